// Navigators, construction, reading the text, caret notifications and the consistency check.
#include "textcontrol/memocore.h"
#include "textcontrol/memointernal.h"

#include "platform/error.h"
#include "textcontrol/rilostrings.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- navigators ------------------------------------------------------------------------------------

TRiloNavigator::TRiloNavigator(MemoCore *owner) : owner_(owner)
{
    if (owner_)
        owner_->Register(this);
}

TRiloNavigator::~TRiloNavigator() { Detach(); }

void TRiloNavigator::Detach()
{
    if (owner_)
        owner_->Unregister(this);
    owner_ = nullptr;
}

void TRiloNavigator::SetOffset(int offset)
{
    offset_ = owner_ ? std::clamp(offset, 0, owner_->CharCount()) : std::max(0, offset);
}

int TRiloNavigator::Paragraph() const { return owner_ ? owner_->text_.ParagraphAt(offset_) : 0; }

int TRiloNavigator::Column() const { return owner_ ? offset_ - owner_->text_.Start(Paragraph()) : offset_; }

int TRiloNavigator::Line() const { return owner_ ? owner_->LineOfOffset(offset_) : 0; }

void MemoCore::Unregister(TRiloNavigator *n)
{
    auto it = std::find(navigators_.begin(), navigators_.end(), n);
    if (it != navigators_.end())
        navigators_.erase(it);
}

void MemoCore::AdjustNavigators(int lower, int upper, int delta)
{
    for (TRiloNavigator *n : navigators_) {
        if (n->offset_ >= lower && n->offset_ <= upper)
            n->offset_ = lower;
        else if (n->offset_ > upper)
            n->offset_ += delta;
    }
}

TRiloHighlighter::~TRiloHighlighter()
{
    for (MemoCore *m : memos_)
        m->highlighter_ = nullptr;
}

// ---- construction ----------------------------------------------------------------------------------

MemoCore::MemoCore()
    : view_(this), lines_(std::make_unique<TRiloLinesStrings>(*this)),
      paragraphs_(std::make_unique<TRiloParaStrings>(*this)), pump_(NewPump(*this))
{
    SetSeparators(QStringLiteral("\t ,.:;"));
    keywords_.OnChange = [this] { KeyListsChanged(); };
    startStop_.OnChange = [this] { KeyListsChanged(); };
    progressTimer_.start();
}

MemoCore::~MemoCore()
{
    SetHighlighter(nullptr);
    for (TRiloNavigator *n : navigators_)
        n->owner_ = nullptr;
    navigators_.clear();
}

void MemoCore::KeyListsChanged()
{
    keyTablesValid_ = false;
    pushCache_.clear();
    popCache_.clear();
    stripCache_.clear();
}

int MemoCore::ParagraphStart(int index) const
{
    index = std::clamp(index, 0, ParagraphCount() - 1);
    return text_.Start(index);
}

QChar MemoCore::CharAt(int offset) const
{
    if (offset < 0 || offset >= CharCount())
        return QChar(0);
    const int p = text_.ParagraphAt(offset);
    const int i = offset - text_.Start(p);
    const ParaText t = text_.Text(p);
    if (i < t.length)
        return QChar(t[i]);
    return i == t.length ? QLatin1Char('\r') : QLatin1Char('\n');
}

QString MemoCore::ParagraphText(int index) const
{
    if (index < 0 || index >= ParagraphCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    return text_.ParagraphString(index);
}

bool MemoCore::IsVisibleParagraph(int p) const
{
    const int top = TopLine();
    const int first = text_.FirstLine(p);
    return first + text_.Lines(p) > top && first < top + VisibleLines();
}

int MemoCore::TopLine() const
{
    const int off = view_.topLine.Offset();
    const int p = text_.ParagraphAt(off);
    const int i = off - text_.Start(p);
    int line = text_.FirstLine(p);
    for (const LineBreak &b : text_.Breaks(p))
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
        const int firstLine = text_.FirstLine(a);
        for (int p = a; p <= b; ++p)
            FormatParagraph(p);
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
    if (OnChange)
        OnChange(this);
}

void MemoCore::UpdateCaret()
{
    if (updateCount_ > 0)
        return;
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
    for (int p = 0; p < n; ++p) {
        if (text_.FirstLine(p) != L)
            throw platform::Error(QStringLiteral("Error 1"));
        if (text_.Start(p) != O)
            throw platform::Error(QStringLiteral("Error 2 in ") + Version());
        const int len = text_.Length(p);
        int prev = 0;
        for (const LineBreak &b : text_.Breaks(p)) {
            if (int(b.pos) <= prev)
                throw platform::Error(QStringLiteral("Error 3 in ") + Version());
            prev = int(b.pos);
        }
        if (prev > len || (len == 0 && !text_.Breaks(p).empty()))
            throw platform::Error(QStringLiteral("Error 4 in ") + Version());
        L += text_.Lines(p);
        O += len + 2;
    }
    if (CharCount() + 2 != O)
        throw platform::Error(QStringLiteral("Error 5 in ") + Version());
    if (LineCount() != L)
        throw platform::Error(QStringLiteral("Error 6 in ") + Version());
}

} // namespace textcontrol
