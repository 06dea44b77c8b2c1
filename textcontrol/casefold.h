#pragma once
// Case-insensitive matching of keys and of Find: Unicode simple case folding, one character at a time
// over UTF-16. A surrogate pair folds as the character it encodes, and a fold never changes how many
// units a character takes, so folded text keeps every length and position.
#include <QChar>
#include <QString>
#include <QStringView>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// The first character of a key or pattern as a search looks for it: its folded form (itself when the
// case counts), and the characters below 256 that text of one byte a character may hold there.
struct FirstChar {
    ushort folded = 0;
    quint8 count = 0; // of narrow; more than three: any character may be one, test each
    uchar narrow[3] = {};
};
FirstChar MakeFirstChar(QStringView key, bool caseSensitive);
// Whether some character from 256 on folds to c.
bool HasWideFoldSource(ushort c);

// Next index from i up to end where the text s[0, len) may hold the first character f.
template <class Ch> int NextCandidate(const Ch *s, qsizetype len, int i, int end, const FirstChar &f, bool cs)
{
    if constexpr (sizeof(Ch) == 1) {
        switch (f.count) {
        case 0: return end;
        case 1: {
#ifdef __SSE2__
            // Most keys close near where they are looked for: the first sixteen bytes without a call.
            if (i + 16 <= end) {
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
                if (const int m = _mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(char(f.narrow[0])))))
                    return i + __builtin_ctz(unsigned(m));
                i += 16;
            }
#endif
            const void *hit = i < end ? std::memchr(s + i, f.narrow[0], size_t(end - i)) : nullptr;
            return hit ? int(static_cast<const Ch *>(hit) - s) : end;
        }
        case 2:
        case 3: {
            const uchar a = f.narrow[0], b = f.narrow[1], c = f.count == 3 ? f.narrow[2] : f.narrow[1];
#ifdef __SSE2__
            // Sixteen bytes a step: a search for a letter in either case runs near memchr's speed.
            const __m128i va = _mm_set1_epi8(char(a)), vb = _mm_set1_epi8(char(b)), vc = _mm_set1_epi8(char(c));
            for (; i + 16 <= end; i += 16) {
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
                const int hits = _mm_movemask_epi8(
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb)), _mm_cmpeq_epi8(x, vc)));
                if (hits)
                    return i + __builtin_ctz(unsigned(hits));
            }
#endif
            for (; i < end; ++i)
                if (uchar(s[i]) == a || uchar(s[i]) == b || uchar(s[i]) == c)
                    return i;
            return end;
        }
        default: break;
        }
    }
    for (; i < end; ++i) {
#ifdef __SSE2__
        if constexpr (sizeof(Ch) == 2) {
            // Eight units a step past those that cannot be it: only the character itself, its ASCII
            // capital, and (ignoring case) characters beyond ASCII can fold to it.
            const ushort up = (!cs && f.folded >= 'a' && f.folded <= 'z') ? ushort(f.folded - 32) : f.folded;
            const __m128i va = _mm_set1_epi16(short(f.folded)), vu = _mm_set1_epi16(short(up)), zero = _mm_setzero_si128();
            const __m128i high = _mm_set1_epi16(short(cs ? 0 : 0xFF80));
            for (; i + 8 <= end; i += 8) {
                const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
                const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(x, high), zero);
                const __m128i maybe = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(x, va), _mm_cmpeq_epi16(x, vu)), _mm_xor_si128(ascii, _mm_cmpeq_epi16(zero, zero)));
                if (const int m = _mm_movemask_epi8(maybe)) {
                    i += __builtin_ctz(unsigned(m)) / 2;
                    break;
                }
            }
            if (i >= end)
                return end;
        }
#endif
        const auto c = ushort(s[i]);
        if (c == f.folded || (!cs && c >= 'A' && FoldAt(s, len, i) == f.folded))
            return i;
    }
    return end;
}

} // namespace textcontrol
