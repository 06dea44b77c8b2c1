// Highlighting: key tables, context states, applying and reading the passes.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- highlighting ----------------------------------------------------------------------------------

QString TextDocument::Separators() const
{
    QString s;
    for (int c = 0; c < 256; ++c)
        if (separators_[c])
            s += QChar(c);
    return s;
}

void TextDocument::SetSeparators(const QString &chars)
{
    std::fill(std::begin(separators_), std::end(separators_), false);
    for (QChar c : chars)
        if (c.unicode() < 256)
            separators_[c.unicode()] = true;
    startStop_.InvalidateTables();
    keyTablesValid_ = false;
}

void TextDocument::SetHighlighter(TRiloHighlighter *h)
{
    if (h == highlighter_)
        return;
    if (highlighter_) {
        auto &v = highlighter_->documents_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    highlighter_ = h;
    if (h)
        h->documents_.push_back(this);
}

void TextDocument::BuildKeyTables()
{
    if (!startStop_.TablesValid()) {
        startStop_.BuildTables([this](QChar c) { return IsSeparator(c); });
        keyTablesValid_ = false;
    }
    if (keyTablesValid_)
        return;
    pairsByFirst_.assign(257, {});
    std::fill(std::begin(maybeStart_), std::end(maybeStart_), false);
    for (int k = 0; k < startStop_.Count(); ++k) {
        const TStartStopKey &key = startStop_[k];
        const ushort fc = key.matchStart[0].unicode();
        if (key.style.flags & kfCaseSensitive) {
            pairsByFirst_[fc < 256 ? fc : 256].push_back(k);
            continue;
        }
        for (char32_t c = 0; c < 256; ++c)
            if (FoldPoint(c) == fc)
                pairsByFirst_[size_t(c)].push_back(k);
        if (fc >= 256 || HasWideFoldSource(fc))
            pairsByFirst_[256].push_back(k);
    }
    for (int c = 0; c < 256; ++c)
        maybeStart_[c] = !pairsByFirst_[size_t(c)].empty();
    keywordsByFirst_.assign(256, {});
    keywordsWide_.clear();
    for (int k = 0; k < keywords_.Count(); ++k) {
        const bool cs = keywords_.Style(k).flags & kfCaseSensitive;
        const QString &key = cs ? keywords_.Strings(k) : keywords_.Folded(k);
        if (key.isEmpty())
            continue;
        const ushort fc = key[0].unicode();
        if (fc >= 256 || (!cs && HasWideFoldSource(fc)))
            keywordsWide_.push_back(k);
        for (char32_t c = 0; c < 256; ++c)
            if ((cs ? ushort(c) : ushort(FoldPoint(c))) == key[0].unicode())
                keywordsByFirst_[size_t(c)].push_back(k);
    }
    keywordBytes_.clear();
    separatorBytes_.clear();
    for (int c = 0; c < 256; ++c) {
        keywordFirst_[c] = !keywordsByFirst_[size_t(c)].empty();
        if (keywordFirst_[c])
            keywordBytes_.push_back(uchar(c));
        if (separators_[c])
            separatorBytes_.push_back(uchar(c));
    }
    oneChar_.assign(size_t(startStop_.Count()), {});
    for (int k = 0; k < startStop_.Count(); ++k) {
        const TStartStopKey &key = startStop_[k];
        OneCharKeys &o = oneChar_[size_t(k)];
        o.startOne = key.matchStart.size() == 1 && !key.startPrecSep && !key.startFollowSep;
        o.start = o.startOne ? key.matchStart[0].unicode() : 0;
        o.stopOne = key.matchStop.size() == 1 && !key.stopPrecSep && !key.stopFollowSep;
        o.stop = o.stopOne ? key.matchStop[0].unicode() : 0;
    }
    keyTablesValid_ = true;
}

TContextState TextDocument::MakeState(const TContextState &below, const TKeyStyle &style, qint16 entry, int startLen, int stopLen)
{
    TContextState n;
    if (below.IsContext()) {
        n.depth = qint8(below.depth + 1);
        std::copy(below.stack, below.stack + below.depth + 1, n.stack);
    } else {
        n.depth = 0;
    }
    n.stack[int(n.depth)] = entry;
    n.style = quint8((style.style & fsStyleMask) | csStyled | csInContext);
    n.background = style.background;
    n.color = style.color;
    n.context = style.context;
    n.value2 = style.value2;
    n.startLen = quint8(std::min(startLen, 255));
    n.stopLen = quint8(std::min(stopLen, 255));
    return n;
}

namespace {

// A pushed state by the state below and the key, -1 while not yet made. Interning new states leaves
// the cache alone, so the slot stays valid.
StateId &PushSlot(std::vector<std::vector<StateId>> &cache, StateId s, int key, int keys, int states)
{
    if (cache.size() <= s)
        cache.resize(size_t(states) + 16);
    auto &row = cache[s];
    if (row.size() != size_t(keys))
        row.assign(size_t(keys), StateId(-1));
    return row[size_t(key)];
}

} // namespace

StateId TextDocument::PushPairNew(StateId s, int pair)
{
    StateId &slot = PushSlot(pushCache_, s, pair, startStop_.Count(), states_.Count());
    if (slot != StateId(-1))
        return slot;
    const TContextState below = states_.Get(s);
    if (below.IsContext() && below.depth >= kMaxContextDepth - 1)
        return s;
    const TStartStopKey &k = startStop_[pair];
    slot = states_.Intern(MakeState(below, k.style, qint16(0x8000 | pair), int(k.start.size()), int(k.stop.size())));
    return slot;
}

StateId TextDocument::PushKeyword(StateId s, int keyword)
{
    StateId &slot = PushSlot(keywordCache_, s, keyword, keywords_.Count(), states_.Count());
    if (slot != StateId(-1))
        return slot;
    const TContextState below = states_.Get(s);
    slot = below.IsContext() && below.depth >= kMaxContextDepth - 1
               ? s
               : states_.Intern(MakeState(below, keywords_.Style(keyword), qint16(keyword), 0, 0));
    return slot;
}

StateId TextDocument::PopNew(StateId s)
{
    const TContextState st = states_.Get(s);
    StateId result = 0;
    if (st.IsContext() && st.depth > 0) {
        const int d = st.depth - 1;
        const qint16 entry = st.stack[d];
        TKeyStyle ks;
        int sl = 0, tl = 0;
        if (entry < 0) {
            const int k = entry & 0x7FFF;
            if (k < startStop_.Count()) {
                ks = startStop_[k].style;
                sl = int(startStop_[k].start.size());
                tl = int(startStop_[k].stop.size());
            }
        } else if (entry < keywords_.Count()) {
            ks = keywords_.Style(entry);
        }
        TContextState below;
        below.style = csStyled | csInContext;
        below.depth = qint8(d - 1);
        std::copy(st.stack, st.stack + d, below.stack);
        if (d == 0)
            below.depth = -1, below.style = 0;
        TContextState n = MakeState(below, ks, entry, sl, tl);
        if (d > 0) {
            n.depth = qint8(d);
            std::copy(st.stack, st.stack + d + 1, n.stack);
        }
        result = states_.Intern(n);
    }
    if (popCache_.size() <= s)
        popCache_.resize(size_t(states_.Count()) + 16, StateId(-1));
    popCache_[s] = result;
    return result;
}

StateId TextDocument::StripKeywords(StateId s)
{
    if (stripCache_.size() > s && stripCache_[s] != StateId(-1))
        return stripCache_[s];
    StateId r = s;
    while (states_.Get(r).InKeyword())
        r = Pop(r);
    if (stripCache_.size() <= s)
        stripCache_.resize(size_t(states_.Count()) + 16, StateId(-1));
    stripCache_[s] = r;
    return r;
}

void TextDocument::HighlightUpTo(int paragraph)
{
    paragraph = std::min(paragraph, ParagraphCount() - 1);
    for (int p = std::max(ctxMark_ + 1, 0); p <= paragraph; ++p) {
        if (text_.Flags(p) & pfContexts)
            continue;
        if (highlighter_) {
            TRiloNavigator a(this), b(this);
            a.offset_ = text_.Start(p);
            b.offset_ = a.offset_ + text_.Length(p);
            highlighter_->ApplyContexts(a, b);
            text_.SetFlags(p, text_.Flags(p) | pfContexts);
            ++highlightCount_;
        } else {
            StartStopPass(p, 0, true);
        }
    }
    ctxMark_ = std::max(ctxMark_, paragraph);
}

void TextDocument::HighlightRange(TRiloNavigator &start, TRiloNavigator &stop)
{
    if (highlighter_) {
        highlighter_->ApplyContexts(start, stop);
        return;
    }
    const int a = std::min(start.Offset(), stop.Offset()), b = std::max(start.Offset(), stop.Offset());
    const int pa = text_.ParagraphAt(a), pb = text_.ParagraphAt(b);
    for (int p = pa; p <= pb; ++p)
        StartStopPass(p, 0, false);
}

void TextDocument::ApplyKeys(TRiloNavigator &start, TRiloNavigator &stop)
{
    if (highlighter_) {
        highlighter_->ApplyKeys(start, stop);
        return;
    }
    const int a = std::min(start.Offset(), stop.Offset()), b = std::max(start.Offset(), stop.Offset());
    const int pa = text_.ParagraphAt(a), pb = text_.ParagraphAt(b);
    for (int p = pa; p <= pb; ++p)
        KeywordPass(p, p == pa ? a - text_.Start(p) : 0, p == pb ? b - text_.Start(p) : text_.Length(p));
}

void TextDocument::ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop, bool markDirty, bool styled, const TContextState &state)
{
    const int a = std::min(start.Offset(), stop.Offset()), b = std::max(start.Offset(), stop.Offset());
    const int pa = text_.ParagraphAt(a), pb = text_.ParagraphAt(b);
    if (markDirty)
        ctxMark_ = std::min(ctxMark_, pa - 1);
    ++editSerial_;
    TContextState s = state;
    if (styled)
        s.style |= csStyled;
    else
        s = TContextState();
    const StateId id = states_.Intern(s);
    for (int p = pa; p <= pb; ++p) {
        const int len = text_.Length(p);
        const int from = p == pa ? std::min(a - text_.Start(p), len) : 0;
        const int to = p == pb ? std::min(b - text_.Start(p), len) : len;
        const StateId remembered = text_.StateAt(p, to);
        std::vector<Transition> out;
        bool atTo = false;
        for (const Transition &x : text_.Transitions(p)) {
            if (x.pos < quint32(from) && p == pa)
                out.push_back(x);
            else if (x.pos >= quint32(to) && p == pb)
                atTo |= x.pos == quint32(to);
        }
        if (p == pa && from > 0)
            out.push_back({quint32(from), id});
        else
            text_.SetState(p, id);
        if (p == pb) {
            if (!atTo && to < len)
                out.push_back({quint32(to), remembered});
            for (const Transition &x : text_.Transitions(p))
                if (x.pos >= quint32(to))
                    out.push_back(x);
        }
        text_.SetTransitions(p, out);
    }
    Unhighlighted(pa);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->ContextsApplied(pa, pb, markDirty);
}

void TextDocument::ReApplyKeys()
{
    text_.ClearFlagsAll(pfContexts | pfKeywords);
    text_.SetState(0, 0);
    ctxMark_ = -1;
    ++editSerial_;
    KeyListsChanged();
    startStop_.InvalidateTables();
    Unhighlighted(0);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->Rehighlight();
}

TContextState TextDocument::StateAt(int offset) const
{
    offset = std::clamp(offset, 0, CharCount());
    const int p = text_.ParagraphAt(offset);
    const int i = std::min(offset - text_.Start(p), text_.Length(p));
    return states_.Get(text_.StateAt(p, i));
}

bool TextDocument::ContextAt(int offset, qint16 &context, int &start, int &stop) const
{
    const TContextState s = StateAt(offset);
    if (!s.IsContext())
        return false;
    context = s.context;
    const int depth = s.depth;
    const qint16 top = s.stack[depth];
    auto inside = [&](StateId id) {
        const TContextState &x = states_.Get(id);
        return x.IsContext() && x.depth >= depth && x.stack[depth] == top;
    };
    // Back to where the context opened.
    int p = text_.ParagraphAt(offset);
    int i = std::min(offset - text_.Start(p), text_.Length(p));
    start = text_.Start(p);
    for (;;) {
        const auto tr = text_.Transitions(p);
        int k = int(std::upper_bound(tr.begin(), tr.end(), quint32(i), [](quint32 v, const Transition &x) { return v < x.pos; }) - tr.begin()) - 1;
        bool found = false;
        for (; k >= 0; --k) {
            const StateId prev = k > 0 ? tr[size_t(k - 1)].state : text_.State(p);
            if (!inside(prev)) {
                start = text_.Start(p) + int(tr[size_t(k)].pos);
                found = true;
                break;
            }
        }
        if (found || p == 0 || !inside(text_.State(p))) {
            if (!found)
                start = text_.Start(p);
            break;
        }
        --p;
        i = text_.Length(p);
    }
    // On to where it closes.
    p = text_.ParagraphAt(offset);
    i = std::min(offset - text_.Start(p), text_.Length(p));
    stop = CharCount();
    for (; p < ParagraphCount(); ++p) {
        if (!(text_.Flags(p) & pfContexts))
            break;
        bool found = false;
        for (const Transition &x : text_.Transitions(p))
            if (int(x.pos) > i && !inside(x.state)) {
                stop = text_.Start(p) + int(x.pos);
                found = true;
                break;
            }
        if (found)
            break;
        if (p + 1 < ParagraphCount() && !inside(text_.State(p + 1))) {
            stop = text_.Start(p) + text_.Length(p);
            break;
        }
        i = -1;
    }
    return true;
}

void TextDocument::HighlightParagraph(int p, const ParaInfo &in)
{
    constexpr quint8 both = pfContexts | pfKeywords;
    if ((in.flags & both) == both)
        return;
    if (in.flags & pfContexts) {
        KeywordPass(p, 0, in.text.length);
        return;
    }
    if (highlighter_ || ctxMark_ != p - 1) {
        HighlightUpTo(p);
        if (!(text_.Flags(p) & pfKeywords))
            KeywordPass(p, 0, text_.Length(p));
        return;
    }
    // The next paragraph in order, as background work meets it: both passes over what was read once,
    // the keyword pass over the transitions the start/stop pass just made, and the flags set once.
    BuildKeyTables();
    static thread_local std::vector<Transition> out;
    out.clear();
    ++highlightCount_;
    Unhighlighted(p);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->ParagraphRestyled(p, false);
    const ParaText &t = in.text;
    const StateId end = t.narrow ? WalkStartStop(t.narrow, t.length, 0, in.state, 0, out) : WalkStartStop(t.wide, t.length, 0, in.state, 0, out);
    text_.SetTransitionsFrom(p, 0, out, true);
    PropagateEnd(p, end);
    ctxMark_ = std::max(ctxMark_, p);
    if (applyKeyWords_ && keywords_.Count() > 0)
        KeywordsIn(p, t, in.state, out, 0, t.length);
    ReleaseIfLarge(out);
    text_.ChangeFlags(p, both, 0);
}

bool TextDocument::HighlightChunk(int p, int chunkChars)
{
    const quint8 f = text_.Flags(p);
    const int phase = !(f & pfContexts) ? 0 : !(f & pfKeywords) ? 1 : 2;
    if (phase == 2) {
        job_.p = -1;
        return true;
    }
    if (job_.p != p || job_.serial != editSerial_ || job_.phase != phase) {
        job_.p = p;
        job_.serial = editSerial_;
        job_.phase = phase;
        job_.pos = job_.body = 0;
        job_.out.clear();
        if (phase == 0) {
            if (p > 0)
                HighlightUpTo(p - 1); // its start state comes from the paragraphs before
            BuildKeyTables();
            if (highlighter_) {
                HighlightUpTo(p);
                return false;
            }
        }
        job_.cur = text_.State(p);
    }
    const ParaText t = text_.Text(p);
    const int len = t.length;
    if (phase == 0) {
        int next = len, body = job_.body;
        const int limit = job_.pos + chunkChars;
        job_.cur = t.narrow ? WalkStartStop(t.narrow, len, job_.pos, job_.cur, job_.body, job_.out, nullptr, 0, nullptr, limit, &next, &body)
                            : WalkStartStop(t.wide, len, job_.pos, job_.cur, job_.body, job_.out, nullptr, 0, nullptr, limit, &next, &body);
        job_.pos = next;
        job_.body = body;
        if (next >= len) {
            text_.SetTransitionsFrom(p, 0, job_.out, true);
            text_.SetFlags(p, quint8((text_.Flags(p) | pfContexts) & ~pfKeywords));
            ++highlightCount_;
            Unhighlighted(p);
            std::vector<Transition>().swap(job_.out);
            PropagateEnd(p, job_.cur);
            if (ctxMark_ == p - 1)
                ctxMark_ = p;
        }
        return false;
    }
    const int b = std::min(len, job_.pos + chunkChars);
    KeywordPass(p, job_.pos, b, b >= len);
    job_.pos = b;
    return false;
}

} // namespace textcontrol
