// The view: construction, what the document tells it, caret notifications and the consistency check.
#include "textcontrol/memocore.h"
#include "textcontrol/memointernal.h"

#include "platform/error.h"
#include "textcontrol/rilostrings.h"

#include <QBuffer>
#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

TRiloNavigator::TRiloNavigator(MemoCore *view) : TRiloNavigator(view ? &view->Document() : nullptr) {}

// ---- construction ----------------------------------------------------------------------------------

MemoCore::MemoCore() : MemoCore(std::make_shared<TextDocument>()) {}

MemoCore::MemoCore(std::shared_ptr<TextDocument> document)
    : DropEmptyCodePairs(document->DropEmptyCodePairs), doc_(std::move(document)), text_(doc_->Storage()),
      view_(doc_.get()), lines_(std::make_unique<TRiloLinesStrings>(*this)),
      paragraphs_(std::make_unique<TRiloParaStrings>(*this)), pump_(NewPump(*this))
{
    progressTimer_.start();
    doc_->AddObserver(this);
    // A document with text already (shared with another view) is laid out here anew.
    layout_.Reset(ParagraphCount());
    if (CharCount() > 0)
        PostBackground();
}

MemoCore::~MemoCore() { doc_->RemoveObserver(this); }

// ---- loading and saving through the document ------------------------------------------------------

void MemoCore::SetTextBuf(const QString &text)
{
    if (text.isEmpty() && CharCount() == 0)
        return;
    doc_->LoadText(text);
}

void MemoCore::LoadFromStream(QIODevice &stream)
{
    // A memory stream is read in place.
    QByteArray bytes;
    if (auto *buffer = qobject_cast<QBuffer *>(&stream)) {
        bytes = buffer->buffer().mid(buffer->pos());
        buffer->seek(buffer->size());
    } else {
        bytes = stream.readAll();
    }
    doc_->LoadBytes(bytes);
}

QByteArray MemoCore::SaveToBytes() { return doc_->SaveToBytes(HasOption(rmoDiscardTrailingSpaces)); }

void MemoCore::SaveToStream(QIODevice &stream)
{
    const QByteArray bytes = SaveToBytes();
    if (stream.write(bytes) != bytes.size())
        throw platform::StreamError(QStringLiteral("Stream write error"));
}

void MemoCore::TextLoaded()
{
    layout_.Reset(ParagraphCount());
    view_.selLength = 0;
    view_.virtualSpaces = 0;
    view_.caretLower = true;
    firstDirty_ = lastDirty_ = -1;
    firstUnformatted_ = 0;
    view_.widest = 0;
    if (OnParse)
        OnParse(this, 0, CharCount());
    if (OnProgress)
        OnProgress(this);
    TextReset();
    if (updateCount_ == 0) {
        // The layout was made for this text a moment ago: a walk over every paragraph to check it would
        // be a large part of opening a big file.
        FormatAll(false);
        InvalidateAll();
        UpdateCaret();
    } else {
        layout_.ClearWrappedAll();
        MarkDirty(0, ParagraphCount() - 1);
    }
}

void MemoCore::LongWork()
{
    if (OnProgress)
        OnProgress(this);
}

bool MemoCore::IsVisibleParagraph(int p) const
{
    const int top = TopLine();
    const int first = layout_.FirstLine(p);
    return first + layout_.Lines(p) > top && first < top + VisibleLines();
}

int MemoCore::TopLine() const
{
    const int off = view_.topLine.Offset();
    const int p = text_.ParagraphAt(off);
    const int i = off - text_.Start(p);
    int line = layout_.FirstLine(p);
    for (const LineBreak &b : layout_.Breaks(p))
        if (int(b.pos) <= i)
            ++line;
    return line;
}

void MemoCore::UpdateAfterChange()
{
    if (updateCount_ > 0)
        return;
    const int n = ParagraphCount();
    if (firstDirty_ >= 0) {
        const int a = std::clamp(firstDirty_, 0, n - 1), b = std::clamp(lastDirty_, a, n - 1);
        firstDirty_ = lastDirty_ = -1;
        const int oldLines = LineCount();
        const int firstLine = layout_.FirstLine(a);
        const int now = updateMode_ == TUpdateMode::umBackground ? std::min(b, a + kEditAtOnce - 1) : b;
        for (int p = a; p <= now; ++p)
            FormatParagraph(p);
        if (now < b)
            firstUnformatted_ = std::min(firstUnformatted_, now + 1);
        for (int p = b + 1; p < n && !(text_.Flags(p) & pfContexts) &&
                            (updateMode_ == TUpdateMode::umImmediate || IsVisibleParagraph(p));
             ++p)
            FormatParagraph(p);
        LinesChanged(firstLine, oldLines, LineCount());
        if (updateMode_ == TUpdateMode::umImmediate)
            FormatRange(firstUnformatted_, n - 1);
        else if (updateMode_ == TUpdateMode::umBackground && !FormattingDone())
            PostBackground();
    }
    UpdateCaret();
    Change();
}

void MemoCore::Change()
{
    // A window tells its listeners itself, so that a control can take the notification over.
    if (host_)
        host_->Changed();
    else
        FireChange();
}

void MemoCore::FireChange()
{
    if (OnChange)
        OnChange(this);
}

void MemoCore::UpdateCaret()
{
    if (updateCount_ > 0)
        return;
    if (host_)
        host_->PlaceCaret();
    const int off = SelStart();
    // A resize that wraps the text anew moves the caret on screen without changing its offset (its place
    // is looked up only for someone who listens).
    const int line = OnSelMove ? LineOfOffset(off) : -1;
    const int column = OnSelMove ? off - LineStart(line) : -1;
    if (off != view_.lastCaretOffset || line != view_.lastCaretLine || column != view_.lastCaretColumn) {
        view_.lastCaretOffset = off;
        view_.lastCaretLine = line;
        view_.lastCaretColumn = column;
        if (OnSelMove)
            OnSelMove(this);
    }
    const int style = StyleAt(off);
    if (style != view_.lastStyle) {
        view_.lastStyle = style;
        if (OnStyleChange)
            OnStyleChange(this);
    }
}

void MemoCore::CheckConsistency() const
{
    int L = 0, O = 0;
    const int n = ParagraphCount();
    if (layout_.ParagraphCount() != n)
        throw platform::Error(QStringLiteral("Error 1") + Version());
    // One pass over the blocks of the layout and of the text: it runs before every full reformat, on
    // the whole text, so nothing is looked up paragraph by paragraph.
    int error = 0;
    TextStorage::Run run{0, 0, 0, nullptr};
    layout_.WalkBlocks([&](int first, int firstLine, int count, const quint32 *brkStart, const LineBreak *brk) {
        int lines = L, offset = O;
        for (int k = 0; k < count;) {
            const int p = first + k;
            if (p >= run.first + run.count)
                run = text_.RunOf(p);
            // The paragraphs that both blocks hold, with the running totals kept in registers.
            const int local0 = p - run.first, end = std::min(count, k + run.first + run.count - p);
            const quint32 *starts = run.starts + local0;
            const int base = run.base + 2 * (local0 - k); // + 2 k: the paragraph ends before it
            if (brkStart[end] == brkStart[k]) {
                // Not one line break here (a text loaded, not laid out yet): inside a block each first line
                // and start offset follows from the one before, so only the first paragraph is checked.
                if (firstLine + k + int(brkStart[k]) != lines)
                    error = 1;
                else if (base + int(starts[0]) + 2 * k != offset)
                    error = 2;
                if (error)
                    return false;
                lines += end - k;
                offset += int(starts[end - k] - starts[0]) + 2 * (end - k);
                k = end;
                continue;
            }
            for (; k < end; ++k, ++starts) {
                const quint32 b0 = brkStart[k], b1 = brkStart[k + 1];
                if (firstLine + k + int(b0) != lines)
                    error = 1;
                else if (base + int(starts[0]) + 2 * k != offset)
                    error = 2;
                const int len = int(starts[1] - starts[0]);
                int prev = 0;
                for (quint32 i = b0; i < b1 && !error; ++i) {
                    if (int(brk[i].pos) <= prev)
                        error = 3;
                    prev = int(brk[i].pos);
                }
                if (!error && (prev > len || (len == 0 && b1 != b0)))
                    error = 4;
                if (error)
                    return false;
                lines += 1 + int(b1 - b0);
                offset += len + 2;
            }
        }
        L = lines;
        O = offset;
        return true;
    });
    if (error == 1)
        throw platform::Error(QStringLiteral("Error 1") + Version());
    if (error)
        throw platform::Error(QStringLiteral("Error %1 in ").arg(error) + Version());
    if (CharCount() + 2 != O)
        throw platform::Error(QStringLiteral("Error 5 in ") + Version());
    if (LineCount() != L)
        throw platform::Error(QStringLiteral("Error 6 in ") + Version());
}

} // namespace textcontrol
