// The start/stop pass: pair contexts over a paragraph, resumed around edits.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

template <class Ch>
StateId TextDocument::WalkStartStop(const Ch *s, int len, int from, StateId cur, int bodyStart, std::vector<Transition> &out,
                                const std::vector<Transition> *old, int convergeFrom, int *convergedAt, int limit,
                                int *resumeAt, int *resumeBody)
{
    // Records a transition; true when it meets an old one (same place, same state) past convergeFrom.
    auto record = [&](int pos, StateId st) {
        if (!out.empty() && out.back().pos == quint32(pos))
            out.back().state = st;
        else
            out.push_back({quint32(pos), st});
        if (!old || pos < convergeFrom)
            return false;
        auto it = std::lower_bound(old->begin(), old->end(), quint32(pos), [](const Transition &x, quint32 v) { return x.pos < v; });
        if (it != old->end() && it->pos == quint32(pos) && it->state == st) {
            *convergedAt = pos;
            return true;
        }
        return false;
    };
    const int pairs = startStop_.Count();
    const auto sep = [this](ushort c) { return IsSeparator(c); };
    const bool *maybe = maybeStart_;
    const bool wideKeys = !pairsByFirst_[256].empty();
    int p = from;
    // The walk stops at the first boundary from `limit` on; its state there lets it resume.
    auto finish = [&](StateId st) {
        if (resumeAt)
            *resumeAt = std::min(p, len);
        if (resumeBody)
            *resumeBody = bodyStart;
        return st;
    };
    while (p < len && p < limit) {
        const TContextState &S = states_.Get(cur);
        if (S.InStartStop()) {
            const int k = S.PairIndex();
            const int m = k < pairs ? int(startStop_[k].stop.size()) : 0;
            if (m == 0) { // an empty stop key never matches
                p = len;
                break;
            }
            const TStartStopKey &key = startStop_[k];
            const bool cs = key.style.flags & kfCaseSensitive;
            int q = std::max({bodyStart, p - m + 1, 0});
            const int qEnd = std::min(len - m + 1, limit);
            int found = -1;
            for (; q < qEnd; ++q) {
                q = NextCandidate(s, len, q, qEnd, key.stopFirst, cs);
                if (q >= qEnd)
                    break;
                const OneCharKeys &one = oneChar_[size_t(k)];
                if (one.stopOne ? (cs ? ushort(s[q]) : FoldAt(s, len, q)) == one.stop
                                : MatchAt(s, len, q, key.matchStop, cs, key.stopPrecSep, key.stopFollowSep, sep)) {
                    found = q;
                    break;
                }
            }
            if (found < 0) {
                p = qEnd < len - m + 1 ? limit : len;
                break;
            }
            cur = Pop(cur);
            p = found + m;
            bodyStart = p;
            if (record(p, cur))
                return finish(cur);
            continue;
        }
        if (!applyStartStopKeys_ || (S.IsContext() && S.depth >= kMaxContextDepth - 1) || pairs == 0) {
            p = len;
            break;
        }
        const bool sameTopCheck = S.IsContext();
        const int topPair = S.InStartStop() ? S.PairIndex() : -1;
        int hit = -1, at = -1;
        const int iEnd = std::min(len, limit);
        for (int i = p; i < iEnd && hit < 0; ++i) {
            const ushort c = ushort(s[i]);
            if (c < 256 ? !maybe[c] : !wideKeys)
                continue;
            const auto &cands = pairsByFirst_[c < 256 ? c : 256];
            for (int k : cands) {
                const TStartStopKey &key = startStop_[k];
                const bool cs = key.style.flags & kfCaseSensitive;
                const OneCharKeys &one = oneChar_[size_t(k)];
                if (one.startOne) {
                    if ((cs ? c : FoldAt(s, len, i)) != one.start || (sameTopCheck && topPair == k && key.start == key.stop))
                        continue;
                    hit = k;
                    at = i;
                    break;
                }
                // Most candidates fail on their second character ("<p" against "<!--"); an ASCII one
                // is folded here without a call.
                if (key.matchStart.size() > 1 && i + 1 < len) {
                    const ushort d = ushort(s[i + 1]);
                    if (d < 0x80 && ((cs || d < 'A' || d > 'Z') ? d : ushort(d + 32)) != key.matchStart[1].unicode())
                        continue;
                }
                if (!MatchAt(s, len, i, key.matchStart, cs, key.startPrecSep, key.startFollowSep, sep))
                    continue;
                if (sameTopCheck && topPair == k && key.start == key.stop)
                    continue;
                hit = k;
                at = i;
                break;
            }
        }
        if (hit < 0) {
            p = iEnd < len ? limit : len;
            break;
        }
        cur = PushPair(cur, hit);
        if (record(at, cur))
            return finish(cur);
        p = at + int(startStop_[hit].start.size());
        bodyStart = p;
    }
    return finish(cur);
}

bool TextDocument::StartStopPass(int p, int from, bool compact)
{
    BuildKeyTables();
    const ParaInfo in = text_.Info(p);
    const ParaText t = in.text;
    from = std::clamp(from, 0, t.length);
    StateId st = in.state;
    int bodyStart = 0;
    if (from > 0) {
        for (const Transition &x : in.trans) {
            if (x.pos >= quint32(from))
                break;
            st = x.state;
            bodyStart = int(x.pos) + states_.Get(x.state).startLen;
        }
    }
    static thread_local std::vector<Transition> out;
    out.clear();
    ++highlightCount_;
    Unhighlighted(p);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->ParagraphRestyled(p, false); // its colours may change anywhere now
    StateId end = t.narrow ? WalkStartStop(t.narrow, t.length, from, st, bodyStart, out)
                           : WalkStartStop(t.wide, t.length, from, st, bodyStart, out);
    text_.SetTransitionsFrom(p, from, out, compact);
    ReleaseIfLarge(out);
    text_.ChangeFlags(p, pfContexts, pfKeywords);
    return PropagateEnd(p, end);
}

int TextDocument::ResumeStartStop(int p, int editFrom, int editEnd, int &rebuiltFrom)
{
    BuildKeyTables();
    const ParaText t = text_.Text(p);
    const int margin = std::max(startStop_.LongestStart(), startStop_.LongestStop()) + 1;
    const auto cur = text_.Transitions(p);
    static thread_local std::vector<Transition> old, out;
    out.clear();
    // Resume right after the last boundary the walk itself made well before the edit.
    int ti = int(std::lower_bound(cur.begin(), cur.end(), editFrom - margin, [](const Transition &x, int v) { return int(x.pos) < v; }) -
                 cur.begin()) -
             1;
    while (ti >= 0 && states_.Get(cur[size_t(ti)].state).InKeyword())
        --ti;
    // Only the transitions from there on can meet the walk: a key costs what follows it.
    old.assign(cur.begin() + std::max(ti, 0), cur.end());
    StateId st = text_.State(p);
    int walkFrom = 0;
    rebuiltFrom = 0;
    if (ti >= 0) {
        const Transition T = cur[size_t(ti)];
        const TContextState &S = states_.Get(T.state);
        st = T.state;
        rebuiltFrom = int(T.pos);
        walkFrom = int(T.pos) + (S.InStartStop() ? S.startLen : 0);
        out.push_back(T);
    }
    int converged = -1;
    StateId end = t.narrow ? WalkStartStop(t.narrow, t.length, walkFrom, st, walkFrom, out, &old, editEnd + margin, &converged)
                           : WalkStartStop(t.wide, t.length, walkFrom, st, walkFrom, out, &old, editEnd + margin, &converged);
    text_.SetFlags(p, text_.Flags(p) | pfContexts);
    ReleaseIfLarge(old);
    if (converged >= 0) {
        out.pop_back(); // the old one at that place stays
        text_.SpliceTransitions(p, rebuiltFrom, converged, out);
        ReleaseIfLarge(out);
        return converged;
    }
    text_.SetTransitionsFrom(p, rebuiltFrom, out);
    ReleaseIfLarge(out);
    PropagateEnd(p, end);
    return t.length;
}

bool TextDocument::PropagateEnd(int p, StateId end)
{
    const TContextState &E = states_.Get(end);
    if (E.InStartStop() && E.PairIndex() < startStop_.Count() && startStop_[E.PairIndex()].endsAtParEnd)
        end = Pop(end);
    if (p + 1 >= ParagraphCount())
        return false;
    const StateId saved = text_.State(p + 1);
    if (saved == end)
        return false;
    text_.SetState(p + 1, end);
    text_.SetFlags(p + 1, text_.Flags(p + 1) & quint8(~(pfContexts | pfKeywords)));
    ctxMark_ = std::min(ctxMark_, p);
    Unhighlighted(p + 1);
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->ParagraphRestyled(p + 1, true);
    return true;
}

// The background steps walk very long paragraphs in chunks.
template StateId TextDocument::WalkStartStop<uchar>(const uchar *, int, int, StateId, int, std::vector<Transition> &,
                                                const std::vector<Transition> *, int, int *, int, int *, int *);
template StateId TextDocument::WalkStartStop<char16_t>(const char16_t *, int, int, StateId, int, std::vector<Transition> &,
                                                   const std::vector<Transition> *, int, int *, int, int *, int *);

} // namespace textcontrol
