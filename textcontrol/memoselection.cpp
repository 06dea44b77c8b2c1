// Selection: caret and anchor, selected text and wrapping it in style codes; undo, redo and search
// select what they find.
#include "textcontrol/memocore.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- selection -------------------------------------------------------------------------------------

void MemoCore::SetSelStart(int value)
{
    value = Snap(std::clamp(value, 0, CharCount()), false);
    const int len = view_.selLength;
    const int oldLo = view_.lower.offset_, oldHi = view_.upper.offset_;
    view_.virtualSpaces = 0;
    view_.lower.offset_ = view_.upper.offset_ = value;
    view_.selLength = 0;
    view_.caretLower = true;
    if (len)
        SetSelLength(len);
    doc_->ForceNewRecord();
    if (oldLo != oldHi)
        RepaintSelection(oldLo, oldHi);
    UpdateCaret();
}

void MemoCore::SetSelLength(int value)
{
    const int c = SelStart();
    value = std::clamp(value, -c, CharCount() - c);
    value = Snap(c + value, value > 0) - c;
    if (value == view_.selLength)
        return;
    const int oldMoving = view_.selLength < 1 ? view_.lower.offset_ : view_.upper.offset_;
    if (value < 1) {
        view_.lower.offset_ = c + value;
        view_.upper.offset_ = c;
        view_.caretLower = false;
    } else {
        view_.lower.offset_ = c;
        view_.upper.offset_ = c + value;
        view_.caretLower = true;
    }
    view_.selLength = value;
    doc_->ForceNewRecord();
    const int newMoving = value < 1 ? view_.lower.offset_ : view_.upper.offset_;
    RepaintSelection(oldMoving, newMoving);
}

void MemoCore::RepaintSelection(int a, int b)
{
    if (!HasWindow())
        return;
    if (a > b)
        std::swap(a, b);
    if (updateCount_) {
        // Held updates repaint only the caret when they end: a selection moved meanwhile (a Shift+arrow, a
        // drag) would keep the old look between the caret's two places, plain across a wide character.
        selRepaintLo_ = selRepaintLo_ < 0 ? a : std::min(selRepaintLo_, a);
        selRepaintHi_ = std::max(selRepaintHi_, b);
        return;
    }
    InvalidateLines(LineToRepaint(a), LineToRepaint(b));
}

void MemoCore::Select(int caret, int length)
{
    SetSelLength(0);
    SetSelStart(caret);
    SetSelLength(length);
}

QString MemoCore::SelText() const
{
    if (view_.selLength == 0)
        return QString();
    return text_.Copy(view_.lower.offset_, view_.upper.offset_);
}

int MemoCore::GetSelTextBuf(QChar *buffer, int size) const
{
    if (size <= 0 || !buffer)
        return 0;
    const QString s = SelText().left(size - 1);
    std::copy(s.begin(), s.end(), buffer);
    buffer[s.size()] = QChar(0);
    return int(s.size());
}

void MemoCore::SetSelText(const QString &text)
{
    if (view_.selLength == 0 && view_.virtualSpaces > 0 && HasOption(rmoPutExtraSpaces) && !text.isEmpty()) {
        SetSelTextBuf(QString(view_.virtualSpaces, QLatin1Char(' ')) + text);
        return;
    }
    SetSelTextBuf(text);
}

void MemoCore::SelectAll()
{
    SetSelLength(0);
    SetSelStart(CharCount());
    SetSelLength(-CharCount());
}

int MemoCore::SelLine() { return LineOfOffset(SelStart()); }

void MemoCore::SetSelLine(int line)
{
    line = std::clamp(line, 0, LineCount() - 1);
    Select(LineStart(line), 0);
}

int MemoCore::SelCol()
{
    const int line = SelLine();
    return SelStart() - LineStart(line) + view_.virtualSpaces;
}

void MemoCore::SetSelPar(int par)
{
    par = std::clamp(par, 0, ParagraphCount() - 1);
    Select(text_.Start(par), 0);
}

void MemoCore::WrapSelection(ushort code)
{
    if (std::abs(view_.selLength) >= 2147483545)
        return;
    const int len = std::abs(view_.selLength);
    const int sign = view_.selLength;
    const int lower = SelLower();
    const QString wrapped = QChar(code) + SelText() + QChar(code);
    styleWrap_ = true;
    try {
        SetSelTextBuf(wrapped);
    } catch (...) {
        styleWrap_ = false;
        throw;
    }
    styleWrap_ = false;
    if (sign == 0)
        Select(SelStart() - 1, 0);
    else if (sign > 0)
        Select(lower, len + 2);
    else
        Select(lower + len + 2, -(len + 2));
}

// ---- undo and search -------------------------------------------------------------------------------

void MemoCore::Undo()
{
    doc_->Undo([this](int start, int end, const QString &text) {
        Select(start, end - start);
        SetSelTextBuf(text);
    });
}

void MemoCore::Redo()
{
    doc_->Redo([this](int start, int end, const QString &text) {
        Select(start, end - start);
        SetSelTextBuf(text);
    });
}

bool MemoCore::FindText(const QString &text, bool forward, bool wholeWord, bool matchCase)
{
    int m = 0;
    const int at = doc_->Find(text, SelStart(), forward, wholeWord, matchCase, &m);
    if (at < 0)
        return false;
    if (forward)
        Select(at + m, -m);
    else
        Select(at, m);
    return true;
}

} // namespace textcontrol
