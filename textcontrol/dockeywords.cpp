// The keyword pass: keywords found between separators, inside the contexts that allow them.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

template <class Ch> bool TextDocument::FindKeywords(const Ch *s, int len, int a, int b, std::vector<Transition> &trans)
{
    // trans starts with an entry at 0 and is sorted by position.
    struct Hit {
        int start, end, keyword;
    };
    std::vector<Hit> hits;
    std::vector<uchar> taken;
    const auto sep = [this](ushort c) { return IsSeparator(c); };
    auto firstAfter = [&](int i) {
        return std::upper_bound(trans.begin(), trans.end(), quint32(i), [](quint32 v, const Transition &x) { return v < x.pos; });
    };
    for (int k = 0; k < keywords_.Count(); ++k) {
        const bool cs = keywords_.Style(k).flags & kfCaseSensitive;
        const QString &key = cs ? keywords_.Strings(k) : keywords_.Folded(k);
        const int m = int(key.size());
        if (m == 0)
            continue;
        for (int i = a; i + m <= b; ++i) {
            i = NextCandidate(s, len, i, b - m + 1, keywords_.First(k), cs);
            if (i + m > b)
                break;
            if (!MatchAt(s, len, i, key, cs, true, true, sep))
                continue;
            if (!taken.empty() && std::find(taken.begin() + (i - a), taken.begin() + (i - a + m), uchar(1)) != taken.begin() + (i - a + m))
                continue;
            const auto after = firstAfter(i);
            if (after != trans.end() && after->pos < quint32(i + m))
                continue; // a context boundary inside the word
            if (states_.Get((after - 1)->state).InStartStop())
                continue;
            if (taken.empty())
                taken.assign(size_t(b - a), 0);
            std::fill(taken.begin() + (i - a), taken.begin() + (i - a + m), uchar(1));
            hits.push_back({i, i + m, k});
        }
    }
    if (hits.empty())
        return false;
    std::sort(hits.begin(), hits.end(), [](const Hit &x, const Hit &y) { return x.start < y.start; });
    std::vector<Transition> out;
    out.reserve(trans.size() + 2 * hits.size());
    size_t ti = 0;
    StateId cur = trans.front().state;
    for (const Hit &h : hits) {
        while (ti < trans.size() && trans[ti].pos <= quint32(h.start)) {
            out.push_back(trans[ti]);
            cur = trans[ti++].state;
        }
        const StateId kw = PushKeyword(cur, h.keyword);
        if (kw == cur)
            continue;
        if (!out.empty() && out.back().pos == quint32(h.start))
            out.back().state = kw;
        else
            out.push_back({quint32(h.start), kw});
        if (!(ti < trans.size() && trans[ti].pos == quint32(h.end)))
            out.push_back({quint32(h.end), cur});
    }
    out.insert(out.end(), trans.begin() + std::ptrdiff_t(ti), trans.end());
    trans.swap(out);
    return true;
}

template <class Ch>
bool TextDocument::AnyKeyword(const Ch *s, int len, int a, int b, std::span<const Transition> trans, StateId first) const
{
    // Text wholly inside contexts (comments, strings, scripts) needs no search at all.
    const auto firstAfter = [&](int i) {
        return std::upper_bound(trans.begin(), trans.end(), quint32(i), [](quint32 v, const Transition &x) { return v < x.pos; });
    };
    const auto outside = [&](std::span<const Transition>::iterator after) {
        return !states_.Get(after == trans.begin() ? first : (after - 1)->state).InStartStop();
    };
    bool any = false;
    for (auto it = firstAfter(a);; ++it) {
        if (outside(it)) {
            any = true;
            break;
        }
        if (it == trans.end() || it->pos >= quint32(b))
            break;
    }
    if (!any)
        return false;
    const auto sep = [this](ushort c) { return IsSeparator(c); };
    // One pass over the text: a keyword starts after a separator (or at the paragraph start) with a
    // character that may begin one.
    const bool wideKeys = !keywordsWide_.empty();
    if (keywordBytes_.empty() && !(sizeof(Ch) > 1 && wideKeys))
        return false;
    const auto startsAt = [&](int i) {
        const ushort c = ushort(s[i]);
        for (int k : c < 256 ? keywordsByFirst_[c] : keywordsWide_) {
            const bool cs = keywords_.Style(k).flags & kfCaseSensitive;
            const QString &key = cs ? keywords_.Strings(k) : keywords_.Folded(k);
            if (i + int(key.size()) <= b && MatchAt(s, len, i, key, cs, true, true, sep) && outside(firstAfter(i)))
                return true;
        }
        return false;
    };
    const auto mayStart = [&](ushort c) { return c < 256 ? keywordFirst_[c] : wideKeys; };
    int i = a;
    if (i == 0 && i < b) {
        if (mayStart(ushort(s[0])) && startsAt(0))
            return true;
        ++i;
    }
#ifdef __SSE2__
    // A step of sixteen bytes when few bytes start keywords and few separate words: only a place whose
    // character starts one and whose character before separates is looked at.
    const int nk = int(keywordBytes_.size()), ns = int(separatorBytes_.size());
    if (nk <= 4 && ns <= 8) {
        if (ns == 0)
            return false; // nothing separates: no keyword starts after the first place
        constexpr int step = 16 / int(sizeof(Ch));
        const auto splat = [](uchar v) { return sizeof(Ch) == 1 ? _mm_set1_epi8(char(v)) : _mm_set1_epi16(short(v)); };
        const auto same = [](__m128i x, __m128i y) { return sizeof(Ch) == 1 ? _mm_cmpeq_epi8(x, y) : _mm_cmpeq_epi16(x, y); };
        __m128i kb[4], sb[8];
        for (int j = 0; j < 4; ++j)
            kb[j] = nk > 0 ? splat(keywordBytes_[size_t(std::min(j, nk - 1))]) : _mm_set1_epi16(-1);
        for (int j = 0; j < 8; ++j)
            sb[j] = splat(separatorBytes_[size_t(std::min(j, ns - 1))]);
        const __m128i high = _mm_set1_epi16(short(0xFF00)), zero = _mm_setzero_si128();
        // The places of the step from at on.
        const auto places = [&](int at) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + at));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + at - 1));
            __m128i key = same(x, kb[0]), gap = same(before, sb[0]);
            for (int j = 1; j < 4; ++j)
                key = _mm_or_si128(key, same(x, kb[j]));
            for (int j = 1; j < 8; ++j)
                gap = _mm_or_si128(gap, same(before, sb[j]));
            __m128i hit = _mm_and_si128(key, gap);
            if constexpr (sizeof(Ch) > 1) {
                if (wideKeys) // characters from 256 on may start keywords too
                    hit = _mm_or_si128(hit, _mm_andnot_si128(_mm_cmpeq_epi16(_mm_and_si128(x, high), zero), gap));
                hit = _mm_packs_epi16(hit, zero);
            }
            return unsigned(_mm_movemask_epi8(hit));
        };
        for (; i + step <= b; i += step)
            for (unsigned m = places(i); m; m &= m - 1)
                if (startsAt(i + __builtin_ctz(m)))
                    return true;
        // The rest: the last step again, its places before i masked off.
        if (i < b && b - step >= 1) {
            const int at = b - step;
            for (unsigned m = places(at) & (0xFFFFu << (i - at)); m; m &= m - 1)
                if (startsAt(at + __builtin_ctz(m)))
                    return true;
            return false;
        }
    }
#endif
    for (; i < b; ++i)
        if (mayStart(ushort(s[i])) && IsSeparator(ushort(s[i - 1])) && startsAt(i))
            return true;
    return false;
}

void TextDocument::KeywordPass(int p, int from, int to, bool finish)
{
    if (highlighter_) {
        TRiloNavigator a(this), b(this);
        a.offset_ = text_.Start(p) + from;
        b.offset_ = text_.Start(p) + to;
        highlighter_->ApplyKeys(a, b);
        if (finish)
            text_.SetFlags(p, text_.Flags(p) | pfKeywords);
        return;
    }
    if (!applyKeyWords_ || keywords_.Count() == 0) {
        if (finish)
            text_.SetFlags(p, text_.Flags(p) | pfKeywords);
        return;
    }
    const ParaInfo in = text_.Info(p);
    KeywordsIn(p, in.text, in.state, in.trans, from, to);
    if (finish)
        text_.ChangeFlags(p, pfKeywords, 0);
}

void TextDocument::KeywordsIn(int p, const ParaText &t, StateId first, std::span<const Transition> cur, int from, int to)
{
    BuildKeyTables();
    int a = std::clamp(from, 0, t.length), b = std::clamp(to, a, t.length);
    while (a > 0 && !IsSeparator(t[a - 1]))
        --a;
    while (b < t.length && !IsSeparator(t[b]))
        ++b;
    // Most paragraphs hold no keyword at all: leave them without building anything.
    bool work = false;
    for (const Transition &x : cur)
        if (x.pos >= quint32(a) && x.pos < quint32(b) && states_.Get(x.state).InKeyword()) {
            work = true;
            break;
        }
    if (!work)
        work = t.narrow ? AnyKeyword(t.narrow, t.length, a, b, cur, first) : AnyKeyword(t.wide, t.length, a, b, cur, first);
    if (!work)
        return;
    // Work on the paragraph's transitions with the start state as an entry at 0.
    static thread_local std::vector<Transition> trans, clean, stored;
    trans.clear();
    trans.reserve(cur.size() + 8);
    trans.push_back({0, first});
    for (const Transition &x : cur) {
        if (x.pos == 0)
            trans.back().state = x.state;
        else
            trans.push_back(x);
    }
    // Stale keyword styling in the range goes first.
    bool stripped = false;
    for (Transition &x : trans)
        if (x.pos >= quint32(a) && x.pos < quint32(b)) {
            const StateId st = StripKeywords(x.state);
            stripped |= st != x.state;
            x.state = st;
        }
    clean.clear();
    for (const Transition &x : trans)
        if (clean.empty() || clean.back().state != x.state)
            clean.push_back(x);
    const bool found = t.narrow ? FindKeywords(t.narrow, t.length, a, b, clean) : FindKeywords(t.wide, t.length, a, b, clean);
    if (stripped || found) {
        // Back to the stored form: the entry at 0 only when it differs from the start state.
        stored.clear();
        StateId prev = first;
        for (const Transition &x : clean) {
            if (x.state == prev)
                continue;
            stored.push_back(x);
            prev = x.state;
        }
        text_.SetTransitions(p, stored);
    }
    ReleaseIfLarge(trans);
    ReleaseIfLarge(clean);
    ReleaseIfLarge(stored);
}

} // namespace textcontrol
