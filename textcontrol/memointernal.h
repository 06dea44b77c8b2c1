#pragma once
// Limits and small text helpers shared by the memo's core files.
#include "textcontrol/casefold.h"
#include "textcontrol/textstorage.h"

#include <QEvent>
#include <QString>
#include <QStringView>

namespace textcontrol::memo_detail {

inline constexpr int kProgressMs = 300;
inline constexpr int kIncrementalLength = 4096; // longer paragraphs are re-highlighted and re-wrapped around an edit
// An edit that makes more paragraphs than this highlights and lays out the rest in the background, as a load does.
inline constexpr int kEditAtOnce = 256;
inline constexpr QEvent::Type kBackgroundEvent = QEvent::Type(QEvent::User + 1);
// Background slices read the clock once about this many characters are done, a paragraph counting its
// length and kParagraphChars more for what it costs whatever its length.
inline constexpr int kCheckChars = 4096, kParagraphChars = 64;

// Scratch vectors are kept between calls, but not when a very long paragraph made them big.
template <class V> void ReleaseIfLarge(V &v)
{
    if (v.capacity() > (1u << 16)) {
        v.clear();
        v.shrink_to_fit();
    }
}

// Whether key matches the text at i (case-folded unless cs) with separators where asked.
template <class Ch, class Sep>
bool MatchAt(const Ch *s, int len, int i, const QString &key, bool cs, bool needBefore, bool needAfter, const Sep &isSep)
{
    const int m = int(key.size());
    if (i + m > len)
        return false;
    for (int j = 0; j < m; ++j) {
        const ushort d = cs ? ushort(s[i + j]) : FoldAt(s, len, i + j);
        if (d != key[j].unicode())
            return false;
    }
    if (needBefore && i > 0 && !isSep(ushort(s[i - 1])))
        return false;
    return !(needAfter && i + m < len && !isSep(ushort(s[i + m])));
}

// The style bits the codes of a text toggle (style codes and 5 lie below 22: the rest is passed over at once).
template <class Ch> quint8 CodesToggled(quint8 toggle, const Ch *s, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        if (ushort(s[i]) <= 21)
            toggle = ToggleCode(toggle, ushort(s[i]));
    return toggle;
}

// Appends the codes that close what `toggle` leaves open, so that the text after an edit keeps its style.
inline void CloseStyleCodes(QString &text, quint8 toggle)
{
    static const ushort order[] = {21, 1, 2, 3, 4};
    for (ushort code : order)
        if (ToggleCode(0, code) & toggle)
            text += QChar(code);
}

// Whether a text holds a CR without the LF of its pair right after it.
inline bool HasLoneCr(QStringView in)
{
    for (qsizetype k = in.indexOf(QLatin1Char('\r')); k >= 0; k = in.indexOf(QLatin1Char('\r'), k + 1))
        if (k + 1 == in.size() || in[k + 1] != QLatin1Char('\n'))
            return true;
    return false;
}

// Each CR made a CR LF pair, so that offsets count the paragraph end it makes as two characters; a LF
// that is no CR's partner stays a character.
inline QString LoneCrAsCrLf(QStringView in)
{
    QString out;
    out.reserve(in.size() + 16);
    for (qsizetype k = 0; k < in.size(); ++k) {
        out += in[k];
        if (in[k] == QLatin1Char('\r') && (k + 1 == in.size() || in[k + 1] != QLatin1Char('\n')))
            out += QLatin1Char('\n');
    }
    return out;
}

// Whether every paragraph end of a text is CR LF already (EndsAsCrLf would give it back unchanged).
inline bool EndsAreCrLf(QStringView in)
{
    for (qsizetype k = 0; k < in.size(); ++k) {
        const char16_t c = in[k].unicode();
        if (c > u'\r' || (c != u'\r' && c != u'\n'))
            continue;
        if (c == u'\n' || k + 1 == in.size() || in[k + 1] != QLatin1Char('\n'))
            return false;
        ++k;
    }
    return true;
}

// Paragraph ends as loading reads them: CR LF, LF CR, a lone CR and a lone LF each end one paragraph.
// Each becomes CR LF, so that offsets (caret, undo records, navigators) count it as the text does.
inline QString EndsAsCrLf(QStringView in)
{
    qsizetype k = 0;
    while (k < in.size() && in[k] != QLatin1Char('\r') && in[k] != QLatin1Char('\n'))
        ++k;
    if (k == in.size())
        return in.toString();
    QString out;
    out.reserve(in.size() + in.size() / 8 + 2);
    out += in.left(k);
    while (k < in.size()) {
        const QChar c = in[k];
        out += QLatin1String("\r\n");
        const QChar partner = c == QLatin1Char('\r') ? QLatin1Char('\n') : QLatin1Char('\r');
        if (k + 1 < in.size() && in[k + 1] == partner)
            ++k;
        // The characters up to the next end go in as one piece.
        qsizetype e = ++k;
        while (e < in.size() && in[e] != QLatin1Char('\r') && in[e] != QLatin1Char('\n'))
            ++e;
        out += in.mid(k, e - k);
        k = e;
    }
    return out;
}

// Characters that loading d gives (each paragraph end counting two), read as the scanner reads it.
template <class Ch> qint64 LoadedLength(const Ch *d, qsizetype n, bool nulEnds)
{
    qint64 length = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = ushort(d[i]);
        if (c == 0 && nulEnds)
            break;
        if (c == 13 || c == 10) {
            if (i + 1 < n && ushort(d[i + 1]) == (c == 13 ? 10 : 13))
                ++i;
            length += 2;
        } else {
            ++length;
        }
    }
    return length;
}

} // namespace textcontrol::memo_detail
