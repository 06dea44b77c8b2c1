#pragma once
// Case-insensitive matching of keys and of Find: Unicode simple case folding, one character at a time
// over UTF-16. A surrogate pair folds as the character it encodes, and a fold never changes how many
// units a character takes, so folded text keeps every length and position.
#include <QChar>
#include <QString>
#include <QStringView>

namespace textcontrol {

inline char32_t FoldPoint(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    const char32_t f = QChar::toCaseFolded(c);
    return (f > 0xFFFF) == (c > 0xFFFF) ? f : c;
}

// The folded unit at i of s[0, len).
template <class Ch> inline ushort FoldAt(const Ch *s, qsizetype len, qsizetype i)
{
    const auto c = ushort(s[i]);
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? ushort(c + 32) : c;
    if constexpr (sizeof(Ch) > 1) {
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < len && QChar::isLowSurrogate(ushort(s[i + 1])))
                return QChar::highSurrogate(FoldPoint(QChar::surrogateToUcs4(c, ushort(s[i + 1]))));
            return c;
        }
        if (QChar::isLowSurrogate(c)) {
            if (i > 0 && QChar::isHighSurrogate(ushort(s[i - 1])))
                return QChar::lowSurrogate(FoldPoint(QChar::surrogateToUcs4(ushort(s[i - 1]), c)));
            return c;
        }
    }
    return ushort(FoldPoint(c));
}

inline QString FoldCase(QStringView s)
{
    QString out(s.size(), Qt::Uninitialized);
    const char16_t *d = s.utf16();
    for (qsizetype i = 0; i < s.size(); ++i)
        out[i] = QChar(FoldAt(d, s.size(), i));
    return out;
}

// Whether c (below 256) is the only character below 256 that folds to itself: then a plain byte
// search finds every place where narrow text may fold to it.
bool FoldsAloneNarrow(ushort c);
// Whether some character from 256 on folds to c.
bool HasWideFoldSource(ushort c);

} // namespace textcontrol
