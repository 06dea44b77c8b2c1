#include "textcontrol/linelayout.h"

#include "platform/error.h"

#include <QString>
#include <algorithm>

namespace textcontrol {

namespace {
constexpr int kBlockParagraphs = 1024; // a block is split beyond twice this
}

struct LineLayout::Block {
    std::vector<quint32> brkStart{0}; // per paragraph, where its breaks start in brk; one more at the end
    std::vector<LineBreak> brk;
    std::vector<quint8> wrapped;
    int Count() const { return int(wrapped.size()); }
    int LineTotal() const { return Count() + int(brk.size()); }
};

LineLayout::LineLayout() { Reset(1); }
LineLayout::~LineLayout() = default;

void LineLayout::Reset(int paragraphs)
{
    blocks_.clear();
    paragraphs = std::max(paragraphs, 1);
    for (int done = 0; done < paragraphs;) {
        const int n = std::min(kBlockParagraphs, paragraphs - done);
        auto b = std::make_unique<Block>();
        b->brkStart.assign(size_t(n + 1), 0);
        b->wrapped.assign(size_t(n), 0);
        blocks_.push_back(std::move(b));
        done += n;
    }
    Reindex(0);
}

void LineLayout::Reindex(int fromBlock)
{
    const int n = int(blocks_.size());
    paraCount_.resize(size_t(n + 1));
    lineCount_.resize(size_t(n + 1));
    blockLines_.resize(size_t(n));
    if (fromBlock <= 0) {
        fromBlock = 0;
        paraCount_[0] = lineCount_[0] = 0;
    }
    for (int b = fromBlock; b < n; ++b) {
        paraCount_[size_t(b + 1)] = paraCount_[size_t(b)] + blocks_[size_t(b)]->Count();
        blockLines_[size_t(b)] = blocks_[size_t(b)]->LineTotal();
    }
    LinesChangedIn(std::min(fromBlock, n));
    if (hint_ >= n)
        hint_ = 0;
}

void LineLayout::UpdateLineSums(int b) const
{
    for (int k = linesValid_; k < b; ++k)
        lineCount_[size_t(k + 1)] = lineCount_[size_t(k)] + blockLines_[size_t(k)];
    linesValid_ = b;
}

LineLayout::Loc LineLayout::Find(int p) const
{
    if (p < 0 || p >= ParagraphCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    int b = hint_;
    if (!(paraCount_[size_t(b)] <= p && p < paraCount_[size_t(b + 1)])) {
        if (b + 1 < int(blocks_.size()) && paraCount_[size_t(b + 1)] <= p && p < paraCount_[size_t(b + 2)])
            ++b;
        else
            b = int(std::upper_bound(paraCount_.begin(), paraCount_.end(), p) - paraCount_.begin()) - 1;
        hint_ = b;
    }
    return {b, p - paraCount_[size_t(b)]};
}

int LineLayout::FirstLine(int p) const
{
    const Loc l = Find(p);
    return LineSum(l.block) + l.local + int(blocks_[size_t(l.block)]->brkStart[size_t(l.local)]);
}

int LineLayout::Lines(int p) const
{
    const Loc l = Find(p);
    const Block &bl = *blocks_[size_t(l.block)];
    return 1 + int(bl.brkStart[size_t(l.local + 1)] - bl.brkStart[size_t(l.local)]);
}

int LineLayout::ParagraphOfLine(int line) const
{
    line = std::clamp(line, 0, LineCount() - 1); // every sum brought up to date
    int b = int(std::upper_bound(lineCount_.begin(), lineCount_.end(), line) - lineCount_.begin()) - 1;
    b = std::clamp(b, 0, int(blocks_.size()) - 1);
    const Block &bl = *blocks_[size_t(b)];
    const int o = line - lineCount_[size_t(b)];
    int lo = 0, hi = bl.Count() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (int(bl.brkStart[size_t(mid)]) + mid <= o)
            lo = mid;
        else
            hi = mid - 1;
    }
    return paraCount_[size_t(b)] + lo;
}

std::span<const LineBreak> LineLayout::Breaks(int p) const
{
    const Loc l = Find(p);
    const Block &bl = *blocks_[size_t(l.block)];
    const size_t a = bl.brkStart[size_t(l.local)], e = bl.brkStart[size_t(l.local + 1)];
    return {bl.brk.data() + a, e - a};
}

void LineLayout::SetBreaks(int p, const std::vector<LineBreak> &breaks) { SetBreaksFrom(p, 0, breaks); }

void LineLayout::SetBreaksFrom(int p, size_t from, const std::vector<LineBreak> &breaks) { SetBreaksAt(Find(p), from, breaks); }

int LineLayout::SetLaidOut(int p, size_t from, const std::vector<LineBreak> &breaks)
{
    const Loc l = Find(p);
    blocks_[size_t(l.block)]->wrapped[size_t(l.local)] = 1;
    return SetBreaksAt(l, from, breaks);
}

int LineLayout::SetBreaksAt(Loc l, size_t from, const std::vector<LineBreak> &breaks)
{
    Block &bl = *blocks_[size_t(l.block)];
    const size_t a = bl.brkStart[size_t(l.local)] + from, e = bl.brkStart[size_t(l.local + 1)];
    const std::ptrdiff_t delta = std::ptrdiff_t(breaks.size()) - std::ptrdiff_t(e - a);
    if (delta == 0) {
        std::copy(breaks.begin(), breaks.end(), bl.brk.begin() + std::ptrdiff_t(a));
        return 0;
    }
    bl.brk.erase(bl.brk.begin() + std::ptrdiff_t(a), bl.brk.begin() + std::ptrdiff_t(e));
    bl.brk.insert(bl.brk.begin() + std::ptrdiff_t(a), breaks.begin(), breaks.end());
    for (size_t i = size_t(l.local + 1); i < bl.brkStart.size(); ++i)
        bl.brkStart[i] = quint32(std::ptrdiff_t(bl.brkStart[i]) + delta);
    blockLines_[size_t(l.block)] += int(delta);
    LinesChangedIn(l.block);
    if (bl.brk.capacity() > 4096 && bl.brk.capacity() > 2 * bl.brk.size())
        bl.brk.shrink_to_fit(); // a very long paragraph wrapped narrower before
    return int(delta);
}

bool LineLayout::Wrapped(int p) const
{
    const Loc l = Find(p);
    return blocks_[size_t(l.block)]->wrapped[size_t(l.local)];
}

void LineLayout::SetWrapped(int p, bool v)
{
    const Loc l = Find(p);
    blocks_[size_t(l.block)]->wrapped[size_t(l.local)] = v;
}

void LineLayout::ClearWrappedAll()
{
    for (auto &b : blocks_)
        std::fill(b->wrapped.begin(), b->wrapped.end(), quint8(0));
}

void LineLayout::Walk(const std::function<bool(int, int, std::span<const LineBreak>)> &f) const
{
    LineSum(int(blocks_.size())); // every sum brought up to date
    int p = 0;
    for (size_t b = 0; b < blocks_.size(); ++b) {
        const Block &bl = *blocks_[b];
        const int base = lineCount_[b];
        for (int k = 0; k < bl.Count(); ++k, ++p) {
            const size_t a = bl.brkStart[size_t(k)], e = bl.brkStart[size_t(k + 1)];
            if (!f(p, base + k + int(a), std::span<const LineBreak>(bl.brk.data() + a, e - a)))
                return;
        }
    }
}

void LineLayout::WalkBlocks(const std::function<bool(int, int, int, const quint32 *, const LineBreak *)> &f) const
{
    LineSum(int(blocks_.size()));
    for (size_t b = 0; b < blocks_.size(); ++b) {
        const Block &bl = *blocks_[b];
        if (!f(paraCount_[b], lineCount_[b], bl.Count(), bl.brkStart.data(), bl.brk.data()))
            return;
    }
}

void LineLayout::ReplaceParagraphs(int first, int oldCount, int newCount)
{
    if (oldCount == 1 && newCount == 1) {
        SetBreaks(first, {});
        SetWrapped(first, false);
        return;
    }
    const Loc l = Find(first);
    int b = l.block, local = l.local;
    // Remove the old paragraphs block by block, then put the new ones where the first was.
    int left = oldCount;
    int bi = b, li = local;
    while (left > 0 && bi < int(blocks_.size())) {
        Block &bl = *blocks_[size_t(bi)];
        const int take = std::min(left, bl.Count() - li);
        const size_t a = bl.brkStart[size_t(li)], e = bl.brkStart[size_t(li + take)];
        const quint32 removed = quint32(e - a);
        bl.brk.erase(bl.brk.begin() + std::ptrdiff_t(a), bl.brk.begin() + std::ptrdiff_t(e));
        bl.brkStart.erase(bl.brkStart.begin() + li + 1, bl.brkStart.begin() + li + take + 1);
        for (size_t i = size_t(li + 1); i < bl.brkStart.size(); ++i)
            bl.brkStart[i] -= removed;
        bl.wrapped.erase(bl.wrapped.begin() + li, bl.wrapped.begin() + li + take);
        left -= take;
        ++bi;
        li = 0;
    }
    Block &bl = *blocks_[size_t(b)];
    const quint32 at = bl.brkStart[size_t(local)];
    bl.brkStart.insert(bl.brkStart.begin() + local + 1, size_t(newCount), at);
    bl.wrapped.insert(bl.wrapped.begin() + local, size_t(newCount), quint8(0));
    // Blocks emptied on the way go.
    for (int k = bi - 1; k > b; --k)
        if (blocks_[size_t(k)]->Count() == 0)
            blocks_.erase(blocks_.begin() + k);
    if (bl.Count() == 0 && blocks_.size() > 1)
        blocks_.erase(blocks_.begin() + b);
    Reindex(std::max(0, b - 1));
    if (b < int(blocks_.size()))
        SplitIfLarge(b);
}

void LineLayout::SplitIfLarge(int b)
{
    Block &bl = *blocks_[size_t(b)];
    if (bl.Count() <= 2 * kBlockParagraphs)
        return;
    const int half = bl.Count() / 2;
    auto tail = std::make_unique<Block>();
    const quint32 base = bl.brkStart[size_t(half)];
    tail->brkStart.assign(bl.brkStart.begin() + half, bl.brkStart.end());
    for (quint32 &s : tail->brkStart)
        s -= base;
    tail->brk.assign(bl.brk.begin() + base, bl.brk.end());
    tail->wrapped.assign(bl.wrapped.begin() + half, bl.wrapped.end());
    bl.brkStart.resize(size_t(half + 1));
    bl.brk.resize(base);
    bl.wrapped.resize(size_t(half));
    blocks_.insert(blocks_.begin() + b + 1, std::move(tail));
    Reindex(b);
    SplitIfLarge(b + 1);
    SplitIfLarge(b);
}

void LineLayout::EditInside(int p, int i0, int i1, int delta, int newLength)
{
    const auto brks = Breaks(p);
    if (brks.empty())
        return;
    // Breaks up to i0 stay where they are, those inside the replaced range go, the rest move: a key
    // costs the breaks after it, not the paragraph's.
    const int oldLength = newLength - delta;
    const size_t keep = size_t(std::upper_bound(brks.begin(), brks.end(), quint32(i0), [](quint32 w, const LineBreak &x) { return w < x.pos; }) -
                               brks.begin());
    size_t k = size_t(std::lower_bound(brks.begin() + std::ptrdiff_t(keep), brks.end(), quint32(std::max(i1, 0)),
                                       [](const LineBreak &x, quint32 w) { return x.pos < w; }) -
                      brks.begin());
    std::vector<LineBreak> tail;
    tail.reserve(brks.size() - k);
    int last = keep > 0 ? int(brks[keep - 1].pos) : -1;
    for (; k < brks.size(); ++k) {
        const int pos = int(brks[k].pos) + delta;
        if (pos > 0 && pos < oldLength + delta && last < pos) {
            tail.push_back({quint32(pos), brks[k].style});
            last = pos;
        }
    }
    SetBreaksFrom(p, keep, tail);
}

size_t LineLayout::MemoryUsed() const
{
    size_t n = (paraCount_.capacity() + lineCount_.capacity()) * sizeof(int);
    for (const auto &b : blocks_)
        n += sizeof(Block) + b->brkStart.capacity() * sizeof(quint32) + b->brk.capacity() * sizeof(LineBreak) + b->wrapped.capacity();
    return n;
}

} // namespace textcontrol
