// The view's edits: every change it makes goes through SetSelTextBuf, and what the document reports of
// edits (its own or another view's) marks what must be laid out again.
#include "textcontrol/memocore.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- edit core -------------------------------------------------------------------------------------

void ViewHost::EditCore(MemoCore &view, QStringView text) { view.DoSetSelTextBuf(text); }

void MemoCore::SetSelTextBuf(QStringView text)
{
    if (host_)
        host_->EditCore(*this, text);
    else
        DoSetSelTextBuf(text);
}

void MemoCore::DoSetSelTextBuf(QStringView text)
{
    if (view_.selLength == 0 && text.isEmpty())
        return;
    EditAndPlaceCaret([&] { return doc_->ReplaceRange(view_.lower.offset_, view_.upper.offset_, text, styleWrap_); });
}

int MemoCore::ReplaceAll(const QString &text, const QString &replacement, bool wholeWord, bool matchCase)
{
    TextDocument::ReplaceSearch s = doc_->StartReplaceAll(text, wholeWord, matchCase);
    doc_->SearchOn(s, 0);
    return ReplaceFound(s, replacement);
}

int MemoCore::ReplaceFound(const TextDocument::ReplaceSearch &search, const QString &replacement)
{
    int count = 0;
    EditAndPlaceCaret([&] {
        int end = -1;
        count = doc_->ReplaceFound(search, replacement, &end);
        return end;
    });
    return count;
}

bool MemoCore::ReplaceFirst(const QString &text, const QString &replacement, bool wholeWord, bool matchCase)
{
    int m = 0;
    const int at = doc_->Find(text, 0, true, wholeWord, matchCase, &m);
    if (at < 0)
        return false;
    Select(at, m);
    SetSelTextBuf(replacement);
    return true;
}

void MemoCore::EditAndPlaceCaret(const std::function<int()> &edit)
{
    view_.virtualSpaces = 0;
    // Held through the edit so that nothing is repainted or reported before the caret has its place.
    ++updateCount_;
    int caret = -1;
    try {
        caret = edit();
    } catch (...) {
        --updateCount_;
        throw;
    }
    if (caret < 0) {
        --updateCount_;
        return;
    }
    view_.selLength = 0;
    view_.lower.offset_ = view_.upper.offset_ = caret;
    view_.caretLower = true;
    if (--updateCount_ == 0) {
        UpdateAfterChange();
        ScrollInView();
    }
}

// ---- what the document reports ---------------------------------------------------------------------

void MemoCore::TextReplaced(const TextChange &c)
{
    const int first = c.first, count = c.newCount, oldCount = c.oldCount;
    if (lastDirty_ >= first + oldCount)
        lastDirty_ += count - oldCount;
    else if (lastDirty_ >= first)
        lastDirty_ = first;
    if (firstDirty_ >= first + count)
        firstDirty_ = first;
    MarkDirty(first, first + count - 1);
    if (oldCount == 1 && count == 1) {
        // Inside one paragraph the lines before the edit keep their breaks, those after it move along.
        editWasWrapped_ = layout_.Wrapped(first);
        layout_.EditInside(first, c.column, c.columnEnd, c.inserted - (c.columnEnd - c.column), text_.Length(first));
        layout_.SetWrapped(first, false);
    } else {
        editWasWrapped_ = false;
        layout_.ReplaceParagraphs(first, oldCount, count);
    }
    firstUnformatted_ = std::min(firstUnformatted_, first);
    if (pendingWrap_.p != -1)
        pendingWrap_.p = -2;
}

void MemoCore::EditHighlighted(const TextChange &c, int settled)
{
    // Only the lines around the edit need wrapping anew, unless the paragraph was not laid out.
    if (pendingWrap_.p == -1 && editWasWrapped_)
        pendingWrap_ = {c.first, c.column, c.column + c.inserted, settled};
}

void MemoCore::ParagraphRestyled(int p, bool relayout)
{
    if (pendingWrap_.p == p)
        pendingWrap_.p = -2; // its colours may change anywhere now: wrap it whole
    if (relayout) {
        layout_.SetWrapped(p, false);
        firstUnformatted_ = std::min(firstUnformatted_, p);
    }
}

void MemoCore::ContextsApplied(int first, int last, bool dirty)
{
    if (dirty) {
        MarkDirty(first, last);
        firstUnformatted_ = std::min(firstUnformatted_, first);
    }
    if (pendingWrap_.p != -1)
        pendingWrap_.p = -2;
    for (int p = first; p <= last; ++p)
        layout_.SetWrapped(p, false);
}

void MemoCore::Rehighlight()
{
    layout_.ClearWrappedAll();
    firstUnformatted_ = 0;
    FormatAll();
    InvalidateAll();
}

void MemoCore::Parsed(int start, int stop)
{
    if (OnParse)
        OnParse(this, start, stop);
}

void MemoCore::EditDone()
{
    // Another view's edit: this one lays out and repaints what it changed here.
    if (updateCount_ == 0)
        UpdateAfterChange();
}

void MemoCore::MarkDirty(int first, int last)
{
    if (firstDirty_ < 0) {
        firstDirty_ = first;
        lastDirty_ = last;
    } else {
        firstDirty_ = std::min(firstDirty_, first);
        lastDirty_ = std::max(lastDirty_, last);
    }
}

void MemoCore::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0) {
        UpdateAfterChange();
        if (selRepaintLo_ >= 0) {
            const int a = std::min(selRepaintLo_, CharCount()), b = std::min(selRepaintHi_, CharCount());
            selRepaintLo_ = selRepaintHi_ = -1;
            RepaintSelection(a, b);
        }
        UpdateCaret();
    }
}

} // namespace textcontrol
