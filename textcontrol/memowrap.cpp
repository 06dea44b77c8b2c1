// Wrapping paragraphs into display lines through the measurer, and reading those lines.
#include "textcontrol/memocore.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- formatting ------------------------------------------------------------------------------------

int MemoCore::WrapWidth() const
{
    const int client = view_.printWidth > 0 ? view_.printWidth : view_.clientWidth;
    int w;
    if (view_.wordWrap)
        w = client - view_.leftMargin - view_.rightMargin;
    else if (view_.alignment == TAlignment::taLeftJustify)
        w = 32767 - client - view_.rightMargin;
    else
        w = client - view_.leftMargin - view_.rightMargin;
    return std::max(w, LineHeight());
}

template <class Ch>
int MemoCore::WrapText(const Ch *s, int len, int p, int startPos, quint8 startStyle, std::vector<LineBreak> &out, int &widest,
                       const std::vector<LineBreak> *old, int convergeFrom, int stopAfter)
{
    const int W = WrapWidth();
    const int tabw = std::max(1, view_.tabStops) * SpaceWidth(0);
    const auto trans = text_.Transitions(p);
    const StateTable &states = doc_->States();
    size_t ti = size_t(std::upper_bound(trans.begin(), trans.end(), quint32(startPos), [](quint32 v, const Transition &x) { return v < x.pos; }) - trans.begin());
    StateId state = ti > 0 ? trans[ti - 1].state : text_.State(p);
    quint8 code = startStyle;
    int variant = 0;
    const qint32 *table = nullptr;
    // Each variant's table asked once a paragraph: highlighted text changes style at nearly every tag.
    const qint32 *tables[8] = {};
    auto refresh = [&] {
        const TContextState &S = states.Get(state);
        const quint8 eff = (S.style & csStyled) ? quint8(S.style & fsStyleMask) : code;
        variant = FontVariant(eff);
        table = tables[variant] ? tables[variant] : (tables[variant] = view_.measurer->Table(variant));
    };
    // A new line start; true when it meets an old one past the changed text (not recorded then), or
    // when the work pauses at it (recorded).
    auto lineAt = [&](int pos, quint8 style) {
        if (old && pos >= convergeFrom) {
            auto it = std::lower_bound(old->begin(), old->end(), quint32(pos), [](const LineBreak &x, quint32 v) { return x.pos < v; });
            if (it != old->end() && it->pos == quint32(pos))
                return true;
        }
        out.push_back({quint32(pos), style});
        return pos >= stopAfter;
    };
    refresh();
    int x = 0, lineStart = startPos, wordStart = startPos, xWordStart = 0;
    quint8 wordStyle = code;
    bool inWord = false;
    for (int i = startPos; i < len; ++i) {
        if (ti < trans.size() && trans[ti].pos <= quint32(i)) {
            while (ti < trans.size() && trans[ti].pos <= quint32(i))
                state = trans[ti++].state;
            refresh();
        }
        const ushort c = ushort(s[i]);
        if (c < 32) {
            if (IsStyleCode(c)) {
                code = ToggleCode(code, c);
                refresh();
                continue;
            }
            if (c == '\t') {
                x = (x / tabw + 1) * tabw;
                inWord = false;
                continue;
            }
        } else if (c == ' ') {
            x += table[' '];
            inWord = false;
            continue;
        }
        const int adv = c < 256 ? table[c] : view_.measurer->AdvanceAt(s, i, len, variant);
        if constexpr (sizeof(Ch) > 1) {
            if (QChar::isLowSurrogate(c) && i > startPos && QChar::isHighSurrogate(ushort(s[i - 1]))) {
                x += adv; // a line never breaks inside a surrogate pair
                continue;
            }
        }
        if (!inWord) {
            inWord = true;
            wordStart = i;
            xWordStart = x;
            wordStyle = code;
        }
        if (x + adv > W && i > lineStart) {
            // Only style codes before the word: a break there would leave a line showing nothing.
            if (wordStart > lineStart && xWordStart > 0) {
                widest = std::max(widest, xWordStart);
                if (lineAt(wordStart, wordStyle))
                    return wordStart;
                lineStart = wordStart;
                x -= xWordStart;
                xWordStart = 0;
            }
            if (x + adv > W && i > lineStart) {
                widest = std::max(widest, x);
                if (lineAt(i, code))
                    return i;
                lineStart = wordStart = i;
                x = xWordStart = 0;
                wordStyle = code;
            }
        }
        x += adv;
        // The rest of a word of plain characters before the next transition, while it fits: no style,
        // state or line start can change inside it.
        const int runEnd = ti < trans.size() ? std::min(len, int(trans[ti].pos)) : len;
        while (i + 1 < runEnd) {
            const ushort d = ushort(s[i + 1]);
            if (d <= ' ' || d >= 256 || x + table[d] > W)
                break;
            x += table[d];
            ++i;
        }
    }
    widest = std::max(widest, x);
    return -1;
}

template <class Ch> int MemoCore::WidestSum(const Ch *s, int len, int limit)
{
    Measurer &m = *view_.measurer;
    const qint32 *table = m.WidestTable(std::max(1, view_.tabStops) * SpaceWidth(0));
    qint64 sum = 0;
    for (int i = 0; i < len;) {
        // In runs, so that the bound is checked once per run and a long paragraph stops early.
        const int e = std::min(len, i + 64);
        int run = 0;
        if constexpr (sizeof(Ch) == 1) {
            for (; i < e; ++i)
                run += table[s[i]];
        } else {
            for (; i < e; ++i) {
                const ushort c = ushort(s[i]);
                run += c < 256 ? table[c] : m.WidestAt(s, i, len);
            }
        }
        sum += run;
        if (sum > limit)
            return -1;
    }
    return int(sum);
}

std::vector<LineBreak> MemoCore::Wrap(int p, int &widest, size_t &kept)
{
    std::vector<LineBreak> out;
    kept = 0;
    const ParaText t = text_.Text(p);
    // A paragraph that cannot reach the width even in the widest variant of each of its characters
    // needs no measuring.
    if (view_.wordWrap) {
        const int W = WrapWidth();
        const int bound = t.narrow ? WidestSum(t.narrow, t.length, W) : WidestSum(t.wide, t.length, W);
        if (bound >= 0) {
            widest = std::max(widest, bound);
            return out;
        }
    }
    const PendingWrap pend = pendingWrap_;
    if (pend.p == p || pend.p == -2)
        pendingWrap_.p = -1;
    if (pend.p == p) {
        // Only the lines from the one before the edit until the breaks agree again. A break at the
        // edit itself may be one that a deletion shifted there, so the line before it counts as the
        // edited one: the line before that can take back the start of a word cut there.
        // The breaks before the rewrapped lines stay in the layout: only those after them are copied.
        const auto cur = layout_.Breaks(p);
        size_t line = size_t(std::lower_bound(cur.begin(), cur.end(), quint32(pend.from), [](const LineBreak &x, quint32 v) { return x.pos < v; }) - cur.begin());
        const size_t keep = line > 0 ? line - 1 : 0; // breaks kept before the rewrapped lines
        const int startPos = keep > 0 ? int(cur[keep - 1].pos) : 0;
        const quint8 startStyle = keep > 0 ? cur[keep - 1].style : text_.Style(p);
        static thread_local std::vector<LineBreak> old;
        old.assign(cur.begin() + std::ptrdiff_t(keep), cur.end());
        kept = keep;
        const int met = t.narrow ? WrapText(t.narrow, t.length, p, startPos, startStyle, out, widest, &old, std::max(pend.end + 1, pend.settled))
                                 : WrapText(t.wide, t.length, p, startPos, startStyle, out, widest, &old, std::max(pend.end + 1, pend.settled));
        if (met >= 0)
            out.insert(out.end(), std::lower_bound(old.begin(), old.end(), quint32(met), [](const LineBreak &x, quint32 v) { return x.pos < v; }), old.end());
        ReleaseIfLarge(old);
        return out;
    }
    if (t.narrow)
        WrapText(t.narrow, t.length, p, 0, text_.Style(p), out, widest);
    else
        WrapText(t.wide, t.length, p, 0, text_.Style(p), out, widest);
    return out;
}

bool ViewHost::FormatOne(MemoCore &view, int p) { return view.DoFormatParagraph(p); }

bool MemoCore::FormatParagraph(int p) { return host_ ? host_->FormatOne(*this, p) : DoFormatParagraph(p); }

bool MemoCore::DoFormatParagraph(int p)
{
    doc_->HighlightParagraph(p);
    int widest = 0;
    size_t kept = 0;
    const std::vector<LineBreak> breaks = Wrap(p, widest, kept);
    view_.widest = std::max(view_.widest, widest);
    return layout_.SetLaidOut(p, kept, breaks) != 0;
}

int MemoCore::LineOfOffset(int offset)
{
    offset = std::clamp(offset, 0, CharCount());
    const int p = text_.ParagraphAt(offset);
    if (!layout_.Wrapped(p))
        FormatParagraph(p);
    const int i = offset - text_.Start(p);
    int line = layout_.FirstLine(p);
    for (const LineBreak &b : layout_.Breaks(p)) {
        if (int(b.pos) > i)
            break;
        ++line;
    }
    return line;
}

int MemoCore::LineToRepaint(int offset)
{
    const int p = text_.ParagraphAt(std::clamp(offset, 0, CharCount()));
    if (!layout_.Wrapped(p) && !IsVisibleParagraph(p))
        return layout_.FirstLine(p);
    return LineOfOffset(offset);
}

int MemoCore::LineStart(int line)
{
    line = std::clamp(line, 0, LineCount() - 1);
    int p = layout_.ParagraphOfLine(line);
    for (int guard = 0; guard < 1000 && !layout_.Wrapped(p); ++guard) {
        FormatRange(std::max(0, p - 1), p);
        line = std::clamp(line, 0, LineCount() - 1);
        p = layout_.ParagraphOfLine(line);
    }
    const int k = std::clamp(line - layout_.FirstLine(p), 0, layout_.Lines(p) - 1);
    return text_.Start(p) + (k == 0 ? 0 : int(layout_.Breaks(p)[size_t(k - 1)].pos));
}

int MemoCore::LineEnd(int line)
{
    const int start = LineStart(line);
    const int p = text_.ParagraphAt(start);
    const int k = std::clamp(line - layout_.FirstLine(p), 0, layout_.Lines(p) - 1);
    const auto br = layout_.Breaks(p);
    return text_.Start(p) + (size_t(k) < br.size() ? int(br[size_t(k)].pos) : text_.Length(p));
}

QString MemoCore::LineText(int line) { return text_.Copy(LineStart(line), LineEnd(line)); }

quint8 MemoCore::LineStyle(int line)
{
    const int start = LineStart(line);
    const int p = text_.ParagraphAt(start);
    const int k = std::clamp(line - layout_.FirstLine(p), 0, layout_.Lines(p) - 1);
    return k == 0 ? text_.Style(p) : layout_.Breaks(p)[size_t(k - 1)].style;
}

quint8 MemoCore::StyleAt(int offset) const
{
    offset = std::clamp(offset, 0, CharCount());
    const int p = text_.ParagraphAt(offset);
    const ParaText t = text_.Text(p);
    const int i = std::min(offset - text_.Start(p), t.length);
    quint8 st = text_.Style(p);
    int from = 0;
    for (const LineBreak &b : layout_.Breaks(p)) {
        if (int(b.pos) > i)
            break;
        st = b.style;
        from = int(b.pos);
    }
    for (int k = from; k < i; ++k)
        st = ToggleCode(st, t[k]);
    return st;
}

void MemoCore::SetClientSize(int width, int height)
{
    const bool widthChanged = width != view_.clientWidth;
    view_.clientWidth = std::max(0, width);
    view_.clientHeight = std::max(0, height);
    if (widthChanged && (view_.wordWrap || view_.alignment != TAlignment::taLeftJustify))
        ReformatAndRepaint();
}

void MemoCore::SetMeasurer(Measurer *m)
{
    view_.measurer = m ? m : &view_.fixed;
    ReformatAndRepaint();
}

void MemoCore::SetAlignment(TAlignment a)
{
    if (a == view_.alignment)
        return;
    const bool reformat = !view_.wordWrap && ((a == TAlignment::taLeftJustify) != (view_.alignment == TAlignment::taLeftJustify));
    view_.alignment = a;
    if (reformat)
        ReformatAndRepaint();
    else {
        InvalidateAll();
        UpdateCaret();
    }
}

void MemoCore::SetWordWrap(bool v)
{
    if (v == view_.wordWrap)
        return;
    view_.wordWrap = v;
    ReformatAndRepaint();
    ScrollInView();
}

void MemoCore::SetFormatValue(int &field, int v)
{
    if (v == field)
        return;
    field = v;
    ReformatAndRepaint();
}

void MemoCore::SetLeftMargin(int v) { SetFormatValue(view_.leftMargin, v); }
void MemoCore::SetRightMargin(int v) { SetFormatValue(view_.rightMargin, v); }
void MemoCore::SetTabStops(int v) { SetFormatValue(view_.tabStops, std::max(1, v)); }

// The background steps wrap very long paragraphs in chunks.
template int MemoCore::WrapText<uchar>(const uchar *, int, int, int, quint8, std::vector<LineBreak> &, int &,
                                       const std::vector<LineBreak> *, int, int);
template int MemoCore::WrapText<char16_t>(const char16_t *, int, int, int, quint8, std::vector<LineBreak> &, int &,
                                          const std::vector<LineBreak> *, int, int);

} // namespace textcontrol
