#pragma once
// One view's display lines: for each paragraph of the document, where its lines after the first start
// and whether that is still current. Kept in blocks of paragraphs with prefix sums of paragraphs and
// lines, so that paragraph -> first line and line -> paragraph are binary searches over blocks.
#include <QtGlobal>
#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace textcontrol {

// A display line after the first starts at pos; style is the style byte there.
struct LineBreak {
    quint32 pos;
    quint8 style;
};

class LineLayout {
public:
    LineLayout();
    ~LineLayout();
    LineLayout(const LineLayout &) = delete;
    LineLayout &operator=(const LineLayout &) = delete;

    // Every paragraph one line, none laid out.
    void Reset(int paragraphs);

    int ParagraphCount() const { return paraCount_.back(); }
    int LineCount() const { return LineSum(int(blocks_.size())); }
    int FirstLine(int p) const;
    int Lines(int p) const;
    int ParagraphOfLine(int line) const;
    std::span<const LineBreak> Breaks(int p) const;
    void SetBreaks(int p, const std::vector<LineBreak> &breaks);
    // Replaces the breaks from the from-th one of p on.
    void SetBreaksFrom(int p, size_t from, const std::vector<LineBreak> &breaks);
    // SetBreaksFrom and SetWrapped(p, true) in one; returns how many lines p gained.
    int SetLaidOut(int p, size_t from, const std::vector<LineBreak> &breaks);
    bool Wrapped(int p) const;
    void SetWrapped(int p, bool v);
    void ClearWrappedAll();
    // Calls f(p, first line of p, breaks of p) for every paragraph in order, in one pass over the
    // blocks, until it returns false.
    void Walk(const std::function<bool(int, int, std::span<const LineBreak>)> &f) const;
    // The same a block at a time: f(first paragraph, its first line, paragraph count, where each
    // paragraph's breaks start in breaks (count + 1 entries), breaks), for walks over every paragraph
    // that a call per paragraph would slow down.
    void WalkBlocks(const std::function<bool(int, int, int, const quint32 *, const LineBreak *)> &f) const;

    // Paragraphs [first, first + oldCount) became newCount paragraphs of one line each, none laid out.
    void ReplaceParagraphs(int first, int oldCount, int newCount);
    // Characters [i0, i1) of paragraph p became `delta` more: the breaks before the edit stay, those
    // after it move along, those inside it go (the paragraph is laid out again around the edit).
    void EditInside(int p, int i0, int i1, int delta, int newLength);
    size_t MemoryUsed() const;

private:
    struct Block;
    struct Loc {
        int block, local;
    };
    Loc Find(int p) const;
    int SetBreaksAt(Loc l, size_t from, const std::vector<LineBreak> &breaks);
    void Reindex(int fromBlock);
    void SplitIfLarge(int b);

    std::vector<std::unique_ptr<Block>> blocks_;
    std::vector<int> paraCount_; // prefix sums, size blocks + 1
    // Display lines before each block, brought up to date when read: wrapping paragraph after paragraph
    // would change the sums of every later block each time. Entries up to linesValid_ are right; the
    // lines of each block are kept beside them, so that the sums are made without visiting the blocks.
    mutable std::vector<int> lineCount_;
    std::vector<int> blockLines_;
    mutable int linesValid_ = 0;
    int LineSum(int b) const
    {
        if (b > linesValid_)
            UpdateLineSums(b);
        return lineCount_[size_t(b)];
    }
    void UpdateLineSums(int b) const;
    void LinesChangedIn(int b) { linesValid_ = std::min(linesValid_, b); }
    mutable int hint_ = 0;
};

} // namespace textcontrol
