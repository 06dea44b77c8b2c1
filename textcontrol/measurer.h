#pragma once
// Character widths for wrapping and hit-testing, one table per font variant (bold, italic, alternative
// font). The widget measures its fonts; tests use a fixed width.
#include <QChar>
#include <QtGlobal>
#include <algorithm>
#include <functional>
#include <unordered_map>

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

    // The widest advance of each character 0..255 over the eight variants, never below 0; style codes
    // count 0 and a tab tabWidth. A sum of these bounds every prefix of a line, however it is styled.
    const qint32 *WidestTable(int tabWidth)
    {
        if (!widestBuilt_ || widestTab_ != tabWidth) {
            std::fill(std::begin(widest_), std::end(widest_), 0);
            for (int v = 0; v < 8; ++v) {
                const qint32 *t = Table(v);
                for (int c = 0; c < 256; ++c)
                    widest_[c] = std::max(widest_[c], t[c]);
            }
            for (int c : {1, 2, 3, 4, 21})
                widest_[c] = 0;
            widest_[int('\t')] = std::max(0, tabWidth);
            widestTab_ = tabWidth;
            widestBuilt_ = true;
        }
        return widest_;
    }
    // The widest advance over the variants of the character at i of s (n units), as AdvanceAt gives it.
    template <class Ch> int WidestAt(const Ch *s, int i, int n)
    {
        const ushort c = ushort(s[i]);
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(ushort(s[i + 1]));
        const char32_t key = pair ? QChar::surrogateToUcs4(c, ushort(s[i + 1])) : char32_t(c);
        const auto it = widestWide_.find(key);
        if (it != widestWide_.end())
            return it->second;
        int w = 0;
        for (int v = 0; v < 8; ++v)
            w = std::max(w, AdvanceAt(s, i, n, v));
        widestWide_.emplace(key, w);
        return w;
    }

    // Looks up the widest advances of the characters of s not known yet, one at least, then while more()
    // allows; false when some are left. A background slice does this before it wraps a paragraph, so that
    // a paragraph of characters new to the fonts is measured over several slices.
    template <class More> bool Learn(const char16_t *s, int n, More &&more)
    {
        bool first = true, prepared = false;
        for (int i = 0; i < n; ++i) {
            const ushort c = s[i];
            if (c < 256 || QChar::isLowSurrogate(c))
                continue;
            const bool pair = QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(ushort(s[i + 1]));
            if (widestWide_.count(pair ? QChar::surrogateToUcs4(c, ushort(s[i + 1])) : char32_t(c)))
                continue;
            if (!first && !more())
                return false;
            first = false;
            if (!prepared && !Prepare(s, n, more))
                return false;
            prepared = true;
            WidestAt(s, i, n);
        }
        return true;
    }

    // Readies what measuring the characters of s (n units) needs that may take long, without blocking
    // the caller beyond what more() allows; false when it is not ready yet (it goes on meanwhile, to be
    // asked again).
    virtual bool Prepare(const char16_t *s, int n, const std::function<bool()> &more)
    {
        Q_UNUSED(s);
        Q_UNUSED(n);
        Q_UNUSED(more);
        return true;
    }

protected:
    // Widths changed (new fonts, a new fixed width).
    void ForgetWidest()
    {
        widestBuilt_ = false;
        widestWide_.clear();
    }

private:
    bool widestBuilt_ = false;
    int widestTab_ = 0;
    qint32 widest_[256];
    std::unordered_map<char32_t, int> widestWide_; // a pair's key is its code point, beyond 16 bits
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
        ForgetWidest();
    }
    const qint32 *Table(int) override { return table_; }
    int Advance(QChar, int) override { return width_; }

private:
    int width_ = 1;
    qint32 table_[256];
};

} // namespace textcontrol
