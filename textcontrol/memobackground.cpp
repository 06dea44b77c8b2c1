// Formatting on demand, at once or in background slices posted to the event loop; each slice first
// gives the document's background highlighting the paragraphs it is about to wrap.
#include "textcontrol/memocore.h"
#include "textcontrol/memointernal.h"

#include <QCoreApplication>
#include <algorithm>
#include <climits>

namespace textcontrol {

using namespace memo_detail;

// Receives the posted background steps.
class MemoCore::Pump : public QObject {
public:
    explicit Pump(MemoCore &memo) : memo_(memo) {}
    bool event(QEvent *e) override
    {
        if (e->type() == kBackgroundEvent) {
            memo_.backgroundPosted_ = false;
            memo_.BackgroundStep();
            return true;
        }
        return QObject::event(e);
    }

private:
    MemoCore &memo_;
};

std::unique_ptr<QObject> MemoCore::NewPump(MemoCore &memo) { return std::make_unique<Pump>(memo); }

void MemoCore::ReportProgress(int done, bool force)
{
    const qint64 now = progressTimer_.elapsed();
    if (!force && now - lastProgress_ < kProgressMs)
        return;
    lastProgress_ = now;
    const int n = ParagraphCount();
    progress_ = int(qint64(done) * 100 / std::max(1, n));
    if (progress_ >= 100)
        progress_ = 99;
    BackgroundProgress();
    if (OnProgress)
        OnProgress(this);
}

void MemoCore::FormatRange(int a, int b)
{
    a = std::max(a, 0);
    b = std::min(b, ParagraphCount() - 1);
    for (int p = a; p <= b; ++p) {
        if (layout_.Wrapped(p))
            continue;
        FormatParagraph(p);
        if ((p & 63) == 0 && view_.printWidth == 0)
            ReportProgress(p, false);
    }
    if (firstUnformatted_ >= a && firstUnformatted_ <= b + 1)
        while (firstUnformatted_ < ParagraphCount() && layout_.Wrapped(firstUnformatted_))
            ++firstUnformatted_;
}

bool MemoCore::FormattingDone() const
{
    auto *self = const_cast<MemoCore *>(this);
    while (self->firstUnformatted_ < ParagraphCount() && layout_.Wrapped(self->firstUnformatted_))
        ++self->firstUnformatted_;
    return firstUnformatted_ >= ParagraphCount();
}

void MemoCore::FormatAll(bool checkFirst)
{
    view_.widest = 0;
    pendingWrap_.p = -1;
    ++layoutSerial_;
    layout_.ClearWrappedAll();
    firstUnformatted_ = 0;
    if (checkFirst && HasWindow() && !updateCount_)
        CheckConsistency();
    switch (updateMode_) {
    case TUpdateMode::umImmediate:
        FormatRange(0, ParagraphCount() - 1);
        progress_ = 100;
        break;
    case TUpdateMode::umBackground:
        PostBackground();
        break;
    case TUpdateMode::umOnNeed:
        break;
    }
    if (HasWindow() && !updateCount_ && updateMode_ == TUpdateMode::umImmediate)
        CheckConsistency();
}

void MemoCore::ReformatAndRepaint()
{
    const int old = LineCount();
    FormatAll();
    if (old != LineCount())
        LinesChanged(0, old, LineCount());
    InvalidateAll();
    UpdateCaret();
}

void MemoCore::PostBackground()
{
    if (backgroundPosted_)
        return;
    backgroundPosted_ = true;
    if (progress_ == 100)
        progress_ = 99; // work is waiting again
    QCoreApplication::postEvent(pump_.get(), new QEvent(kBackgroundEvent));
}

void MemoCore::BackgroundStep()
{
    if (updateCount_ > 0) {
        PostBackground();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    backgroundRunning_ = true;
    const int oldLines = LineCount();
    const int n = ParagraphCount();
    // What is on screen, found once: paragraphs before the top one end above it, and the top line
    // stays put while the paragraphs after it are formatted.
    const int topPara = text_.ParagraphAt(view_.topLine.Offset());
    int top = -1;
    const int vis = VisibleLines();
    bool pastView = false;
    int firstLine = -1;
    int budget = kCheckChars;
    while (firstUnformatted_ < n) {
        const int p = firstUnformatted_;
        if (layout_.Wrapped(p)) {
            ++firstUnformatted_;
            continue;
        }
        // The document highlights what this slice is about to wrap, unless it has (for another view).
        if (!doc_->Highlighted(p) && (doc_->BackgroundSlice(slice, p + 63), !doc_->Highlighted(p)))
            break; // a very long paragraph: the rest of its highlighting in the next slices
        const int length = text_.Length(p);
        bool changed;
        if (length > longChunk_) {
            const int before = layout_.Lines(p);
            if (!StepLongParagraph(p, slice))
                break; // the rest of it in the next slices
            changed = layout_.Lines(p) != before;
        } else {
            const ParaText t = text_.Text(p);
            if (t.wide && !view_.measurer->Learn(t.wide, length, [&] { return slice.elapsed() < sliceMs_; }))
                break; // characters new to the fonts: the rest of them in the next slices
            changed = FormatParagraph(p);
        }
        firstUnformatted_ = p + 1;
        if (changed && firstLine < 0)
            firstLine = layout_.FirstLine(p);
        if (p >= topPara && !pastView) {
            if (top < 0)
                top = TopLine();
            const int first = layout_.FirstLine(p);
            if (first < top + vis)
                InvalidateLines(first, first + layout_.Lines(p) - 1);
            else
                pastView = true;
        }
        if ((budget -= length + kParagraphChars) <= 0) {
            budget = kCheckChars;
            if (slice.elapsed() >= sliceMs_)
                break;
            ReportProgress(p, false);
        }
    }
    const bool done = FormattingDone();
    // Changed line counts reach the window (scroll bars, gutter, caret) when they show, else a few
    // times a second: repainting the bars after every slice would cost more than the slice.
    if (firstLine >= 0 || LineCount() != oldLines)
        linesPendingFrom_ = std::min(linesPendingFrom_ < 0 ? INT_MAX : linesPendingFrom_, firstLine < 0 ? LineCount() : firstLine);
    if (linesPendingFrom_ >= 0) {
        const qint64 now = progressTimer_.elapsed();
        if (done || now - lastLinesReport_ >= kProgressMs / 3 || linesPendingFrom_ < TopLine() + vis) {
            const int from = linesPendingFrom_;
            linesPendingFrom_ = -1;
            lastLinesReport_ = now;
            LinesChanged(from, oldLines, LineCount());
            // Lines before the caret may have been wrapped anew: it is placed again, and told where it is now.
            UpdateCaret();
        }
    }
    if (!done) {
        longestSliceMs_ = std::max(longestSliceMs_, int(slice.elapsed()));
        if (updateMode_ == TUpdateMode::umBackground)
            PostBackground();
        return;
    }
    // The document's work ends the view's: it gives back the spare room the passes left.
    const bool sliced = updateMode_ == TUpdateMode::umBackground;
    while (!doc_->BackgroundSlice(slice)) {
        if (sliced && slice.elapsed() >= sliceMs_) {
            longestSliceMs_ = std::max(longestSliceMs_, int(slice.elapsed()));
            PostBackground();
            return;
        }
    }
    longestSliceMs_ = std::max(longestSliceMs_, int(slice.elapsed()));
    backgroundRunning_ = false;
    progress_ = 100;
    BackgroundProgress();
    if (OnProgress)
        OnProgress(this);
}

bool MemoCore::StepLongParagraph(int p, const QElapsedTimer &slice)
{
    do {
        if (!doc_->Highlighted(p) && (doc_->BackgroundSlice(slice, p), !doc_->Highlighted(p)))
            continue; // an edit restyled it meanwhile
        if (layout_.Wrapped(p)) {
            job_.p = -1;
            return true;
        }
        if (job_.p != p || job_.serial != doc_->EditSerial() + layoutSerial_ || !job_.started) {
            job_ = LongWrap();
            job_.p = p;
            job_.serial = doc_->EditSerial() + layoutSerial_;
            job_.started = true;
            job_.style = text_.Style(p);
        }
        const ParaText t = text_.Text(p);
        const int len = t.length;
        const int stop = t.narrow ? WrapText(t.narrow, len, p, job_.pos, job_.style, job_.breaks, job_.widest, nullptr, 0, job_.pos + longChunk_)
                                  : WrapText(t.wide, len, p, job_.pos, job_.style, job_.breaks, job_.widest, nullptr, 0, job_.pos + longChunk_);
        if (stop >= 0) {
            job_.pos = stop;
            job_.style = job_.breaks.back().style;
            continue;
        }
        layout_.SetBreaks(p, job_.breaks);
        view_.widest = std::max(view_.widest, job_.widest);
        layout_.SetWrapped(p, true);
        job_.p = -1;
        return true;
    } while (slice.elapsed() < sliceMs_);
    return false;
}

void MemoCore::SetBackgroundTuning(int sliceMs, int chunkChars)
{
    sliceMs_ = std::max(0, sliceMs);
    longChunk_ = std::max(16, chunkChars);
    doc_->SetBackgroundTuning(sliceMs, chunkChars);
}

void MemoCore::SetUpdateMode(TUpdateMode m)
{
    updateMode_ = m;
    if (m == TUpdateMode::umImmediate) {
        FormatRange(firstUnformatted_, ParagraphCount() - 1);
        progress_ = 100;
    } else if (m == TUpdateMode::umBackground && !FormattingDone()) {
        PostBackground();
    }
}

} // namespace textcontrol
