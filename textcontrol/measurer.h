#pragma once
// Character widths for wrapping and hit-testing, one table per font variant (bold, italic, alternative
// font). The widget measures its fonts; tests use a fixed width.
#include <QChar>
#include <QtGlobal>

namespace textcontrol {

// The bits of a style byte that change widths.
inline int FontVariant(quint8 style) { return (style & 3) | ((style >> 3) & 4); }

class Measurer {
public:
    virtual ~Measurer() = default;
    // Widths of the characters 0..255 in a variant (0..7).
    virtual const qint32 *Table(int variant) = 0;
    // Width of any character.
    virtual int Advance(QChar c, int variant) = 0;
    // Width of a character beyond 16 bits, carried by its first half.
    virtual int PairAdvance(char32_t ucs, int variant)
    {
        Q_UNUSED(ucs);
        return Advance(QChar(QChar::ReplacementCharacter), variant);
    }
    // Width of the character at i of s (n units): a pair's first half carries the pair's width.
    template <class Ch> int AdvanceAt(const Ch *s, int i, int n, int variant)
    {
        const ushort c = ushort(s[i]);
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(ushort(s[i + 1])))
            return PairAdvance(QChar::surrogateToUcs4(c, ushort(s[i + 1])), variant);
        return Advance(QChar(c), variant);
    }
    int Width(QChar c, int variant)
    {
        const ushort u = c.unicode();
        return u < 256 ? Table(variant)[u] : Advance(c, variant);
    }
};

// Every character has the same width.
class FixedMeasurer : public Measurer {
public:
    explicit FixedMeasurer(int width = 1) { SetWidth(width); }
    void SetWidth(int width)
    {
        width_ = width;
        for (qint32 &w : table_)
            w = width;
    }
    const qint32 *Table(int) override { return table_; }
    int Advance(QChar, int) override { return width_; }

private:
    int width_ = 1;
    qint32 table_[256];
};

} // namespace textcontrol
