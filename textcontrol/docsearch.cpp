// Search in the text and the word at the caret.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- search ----------------------------------------------------------------------------------------

template <class Ch>
int TextDocument::Search(const Ch *s, int len, int from, int to, const QString &pat, const FirstChar &first, bool matchCase,
                     bool wholeWord, bool last) const
{
    const int m = int(pat.size());
    auto at = [&](int i) -> ushort { return matchCase ? ushort(s[i]) : FoldAt(s, len, i); };
    // A match that would begin or end inside a surrogate pair is none.
    auto splitsPair = [&](int i) {
        if constexpr (sizeof(Ch) > 1)
            return i > 0 && i < len && QChar::isLowSurrogate(ushort(s[i])) && QChar::isHighSurrogate(ushort(s[i - 1]));
        return false;
    };
    int found = -1;
    const int end = std::min(to, len) - m + 1;
    for (int i = NextCandidate(s, len, std::max(from, 0), end, first, matchCase); i < end;
         i = NextCandidate(s, len, i + 1, end, first, matchCase)) {
        int j = 1;
        for (; j < m; ++j)
            if (at(i + j) != pat[j].unicode())
                break;
        if (j < m || splitsPair(i) || splitsPair(i + m))
            continue;
        if (wholeWord && ((i > 0 && !IsSeparator(ushort(s[i - 1]))) || (i + m < len && !IsSeparator(ushort(s[i + m])))))
            continue;
        found = i;
        if (!last)
            break;
    }
    return found;
}

int TextDocument::Find(const QString &text, int origin, bool forward, bool wholeWord, bool matchCase, int *length) const
{
    if (text.isEmpty() || text.size() > CharCount())
        return -1;
    const QString pat = matchCase ? text : FoldCase(text);
    const FirstChar first = MakeFirstChar(pat, matchCase);
    const int m = int(pat.size());
    const int caret = std::clamp(origin, 0, CharCount());
    if (length)
        *length = m;
    int p = text_.ParagraphAt(caret);
    int col = std::min(caret - text_.Start(p), text_.Length(p));
    auto search = [&](int par, int from, int to, bool lastMatch) {
        const ParaText t = text_.Text(par);
        return t.narrow ? Search(t.narrow, t.length, from, to, pat, first, matchCase, wholeWord, lastMatch)
                        : Search(t.wide, t.length, from, to, pat, first, matchCase, wholeWord, lastMatch);
    };
    if (forward) {
        const int n = ParagraphCount();
        for (; p < n; ++p, col = 0) {
            // Paragraphs without the first character are passed over a block at a time.
            const int q = text_.NextParagraphWith(p, col, first, matchCase);
            if (q >= n)
                break;
            if (q != p) {
                p = q;
                col = 0;
            }
            const int i = search(p, col, text_.Length(p), false);
            if (i >= 0)
                return text_.Start(p) + i;
        }
        return -1;
    }
    for (int to = col; p >= 0; --p, to = -1) {
        const int i = search(p, 0, to < 0 ? text_.Length(p) : to, true);
        if (i >= 0)
            return text_.Start(p) + i;
        if (p == 0)
            break;
    }
    return -1;
}

int TextDocument::ReplaceAll(const QString &text, const QString &replacement, bool wholeWord, bool matchCase, int *end)
{
    ReplaceSearch s = StartReplaceAll(text, wholeWord, matchCase);
    SearchOn(s, 0);
    return ReplaceFound(s, replacement, end);
}

TextDocument::ReplaceSearch TextDocument::StartReplaceAll(const QString &text, bool wholeWord, bool matchCase) const
{
    ReplaceSearch s;
    s.pattern = matchCase ? text : FoldCase(text);
    s.first = MakeFirstChar(s.pattern, matchCase);
    s.wholeWord = wholeWord;
    s.matchCase = matchCase;
    s.text = textSerial_;
    if (text.isEmpty() || text.size() > CharCount())
        s.next = ParagraphCount();
    return s;
}

bool TextDocument::SearchOn(ReplaceSearch &s, int chars) const
{
    if (s.text != textSerial_) {
        s.at.clear();
        s.next = s.pattern.isEmpty() || s.pattern.size() > CharCount() ? ParagraphCount() : 0;
        s.text = textSerial_;
    }
    const int n = ParagraphCount();
    if (s.next >= n)
        return true;
    const int m = int(s.pattern.size());
    const qint64 stop = chars > 0 ? qint64(text_.Start(s.next)) + chars : std::numeric_limits<qint64>::max();
    int p = text_.NextParagraphWith(s.next, 0, s.first, s.matchCase);
    for (; p < n; p = text_.NextParagraphWith(p + 1, 0, s.first, s.matchCase)) {
        const int base = text_.Start(p);
        if (base >= stop)
            break;
        const ParaText t = text_.Text(p);
        for (int col = 0;;) {
            const int i = t.narrow ? Search(t.narrow, t.length, col, t.length, s.pattern, s.first, s.matchCase, s.wholeWord, false)
                                   : Search(t.wide, t.length, col, t.length, s.pattern, s.first, s.matchCase, s.wholeWord, false);
            if (i < 0)
                break;
            s.at.push_back(base + i);
            col = i + m;
        }
    }
    s.next = std::min(p, n);
    return s.next >= n;
}

int TextDocument::SearchProgress(const ReplaceSearch &s) const
{
    const int n = ParagraphCount();
    if (s.next >= n || s.text != textSerial_)
        return s.next >= n ? 100 : 0;
    return int(qint64(text_.Start(s.next)) * 100 / std::max(1, CharCount()));
}

int TextDocument::ReplaceFound(const ReplaceSearch &s, const QString &replacement, int *end)
{
    if (s.at.empty() || s.text != textSerial_ || s.next < ParagraphCount())
        return 0;
    const std::vector<int> &at = s.at;
    const int m = int(s.pattern.size());
    // The span from the first match to the end of the last one becomes its new text in one edit.
    const int lower = at.front(), upper = at.back() + m;
    const QString old = text_.Copy(lower, upper);
    // Each match is replaced as the edit core replaces a selection: the codes the replacement leaves open
    // against the match are closed after it, so the text after each keeps its style.
    QString by = replacement;
    CloseStyleCodes(by, CodesToggled(CodesToggled(0, replacement.utf16(), 0, replacement.size()), s.pattern.utf16(), 0, m));
    QString out;
    out.reserve(old.size() + qsizetype(at.size()) * (by.size() - m));
    int from = 0;
    for (int a : at) {
        out.append(QStringView(old).mid(from, a - lower - from));
        out.append(by);
        from = a - lower + m;
    }
    forceNewRecord_ = true;
    const int after = ReplaceRange(lower, upper, out, false, &old);
    forceNewRecord_ = true; // what is typed next is an edit of its own
    if (end)
        *end = after;
    return after < 0 ? 0 : int(at.size());
}

QString TextDocument::WordAt(int offset) const
{
    const int caret = std::clamp(offset, 0, CharCount());
    const int p = text_.ParagraphAt(caret);
    const ParaText t = text_.Text(p);
    const int i = std::min(caret - text_.Start(p), t.length);
    int a = i, b = i;
    while (a > 0 && !IsSeparator(t[a - 1]))
        --a;
    while (b < t.length && !IsSeparator(t[b]))
        ++b;
    return t.Mid(a, b);
}

} // namespace textcontrol
