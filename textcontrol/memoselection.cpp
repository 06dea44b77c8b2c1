// Selection: caret and anchor, selected text and wrapping it in style codes.
#include "textcontrol/memocore.h"
#include "textcontrol/memointernal.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- selection -------------------------------------------------------------------------------------

int MemoCore::Snap(int offset, bool forward) const
{
    if (offset <= 0 || offset >= CharCount())
        return offset;
    const int p = text_.ParagraphAt(offset);
    const int i = offset - text_.Start(p);
    if (i == text_.Length(p) + 1 || text_.Text(p).SplitsPair(i))
        return forward ? offset + 1 : offset - 1; // between CR and LF, or inside a surrogate pair
    return offset;
}

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
    forceNewRecord_ = true;
    if (HasWindow() && oldLo != oldHi && !updateCount_)
        InvalidateLines(LineToRepaint(oldLo), LineToRepaint(oldHi));
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
    forceNewRecord_ = true;
    const int newMoving = value < 1 ? view_.lower.offset_ : view_.upper.offset_;
    if (HasWindow() && !updateCount_)
        InvalidateLines(LineToRepaint(oldMoving), LineToRepaint(newMoving));
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

} // namespace textcontrol
