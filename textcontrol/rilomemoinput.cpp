// Keyboard and mouse input of the memo.
#include "textcontrol/rilomemo.h"

#include "textcontrol/rilostrings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace textcontrol {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Delay of one auto-scroll step by how far the pointer is outside (0 = none).
int AutoScrollDelay(int distance)
{
    static const int delays[] = {0, 400, 300, 200, 130, 78, 48, 30};
    return distance >= 1 && distance <= 7 ? delays[distance] : 0;
}

bool IsBlankOrTabChar(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
} // namespace

// ---- positions -------------------------------------------------------------------------------------

int TRiloMemo::PrevCharPos(int offset) const
{
    const TextStorage &t = Storage();
    const int p = t.ParagraphAt(offset);
    int col = std::min(offset - t.Start(p), t.Length(p));
    if (col == 0) {
        if (p == 0)
            return 0;
        const ParaText prev = t.Text(p - 1);
        int end = prev.length;
        if (HasOption(rmoDiscardTrailingSpaces))
            while (end > 0 && (prev[end - 1] == ' ' || prev[end - 1] == '\t'))
                --end;
        return t.Start(p - 1) + end;
    }
    const ParaText txt = t.Text(p);
    if (PassOverCodes())
        while (col > 0 && IsStyleCode(txt[col - 1]))
            --col;
    if (col > 0)
        --col;
    if (txt.SplitsPair(col))
        --col;
    if (PassOverCodes())
        while (col > 0 && IsStyleCode(txt[col - 1]))
            --col;
    return t.Start(p) + col;
}

int TRiloMemo::NextCharPos(int offset) const
{
    const TextStorage &t = Storage();
    const int p = t.ParagraphAt(offset);
    int col = std::min(offset - t.Start(p), t.Length(p));
    const ParaText txt = t.Text(p);
    if (PassOverCodes())
        while (col < txt.length && IsStyleCode(txt[col]))
            ++col;
    if (col >= txt.length)
        return p + 1 < t.ParagraphCount() ? t.Start(p + 1) : t.Start(p) + txt.length;
    ++col;
    if (txt.SplitsPair(col))
        ++col;
    if (PassOverCodes())
        while (col < txt.length && IsStyleCode(txt[col]))
            ++col;
    return t.Start(p) + col;
}

int TRiloMemo::WordLeft(int offset) const
{
    // Back over separators and paragraph ends, then over word characters.
    auto isSep = [this](int off) {
        const QChar c = CharAt(off);
        return c == QLatin1Char('\r') || c == QLatin1Char('\n') || IsSeparator(c);
    };
    while (offset > 0 && isSep(offset - 1))
        --offset;
    while (offset > 0 && !isSep(offset - 1))
        --offset;
    return offset;
}

int TRiloMemo::WordRight(int offset) const
{
    const int n = CharCount();
    auto isSep = [this](int off) {
        const QChar c = CharAt(off);
        return c == QLatin1Char('\r') || c == QLatin1Char('\n') || IsSeparator(c);
    };
    while (offset < n && !isSep(offset))
        ++offset;
    while (offset < n && isSep(offset))
        ++offset;
    return offset;
}

// The offset dLines display lines away at the kept pixel column; vs receives virtual spaces.
int TRiloMemo::LineMove(int caretLine, int dLines, int &vs)
{
    vs = 0;
    if (keepX_ < 0)
        keepX_ = CaretRect().x();
    const int target = std::clamp(caretLine + dLines, 0, LineCount() - 1);
    const int col = XToPos(target, keepX_);
    const int start = LineStart(target);
    if (HasOption(rmoKeepColumnPos)) {
        const int endX = PosToX(target, LineEnd(target) - start);
        if (LineEnd(target) - start == col && keepX_ > endX && LineEnd(target) == ParagraphStart(Storage().ParagraphAt(start)) + Storage().Length(Storage().ParagraphAt(start)))
            vs = (keepX_ - endX) / SpaceWidth();
    }
    return start + col;
}

int TRiloMemo::Indentation(int line, int upToCol)
{
    const QString s = LineText(line);
    int n = 0;
    while (n < s.size() && (upToCol < 0 || n < upToCol) && IsBlankOrTabChar(s[n]))
        ++n;
    return n;
}

// ---- moving and selecting --------------------------------------------------------------------------

void TRiloMemo::MoveTo(int offset, int virtualSpaces, bool extend, int anchor)
{
    offset = std::clamp(offset, 0, CharCount());
    if (extend) {
        BeginUpdate(); // one caret report for both steps
        Select(offset, anchor - offset);
        EndUpdate();
    } else {
        if (SelLength() != 0)
            Select(offset, 0);
        else
            SetSelStart(offset);
    }
    SetVirtualSpaces(virtualSpaces);
    ForceNewRecord();
    UpdateCaret();
    ScrollInView();
}

void TRiloMemo::InsertText(const QString &s)
{
    SetSelText(s);
}

void TRiloMemo::SelectWordAt(int offset)
{
    const TextStorage &t = Storage();
    const int p = t.ParagraphAt(offset);
    const ParaText txt = t.Text(p);
    const int col = std::min(offset - t.Start(p), txt.length);
    int a = col, b = col;
    while (a > 0 && !IsSeparator(txt[a - 1]))
        --a;
    while (b < txt.length && !IsSeparator(txt[b]))
        ++b;
    if (HasOption(rmoLargeWordSelect))
        while (b < txt.length && IsSeparator(txt[b]))
            ++b;
    Select(t.Start(p) + b, a - b);
    ForceNewRecord();
}

// ---- keyboard --------------------------------------------------------------------------------------

void TRiloMemo::keyPressEvent(QKeyEvent *e)
{
    if (Updating()) {
        e->accept();
        return;
    }
    int key = e->key();
    if (OnKeyDown) {
        OnKeyDown(this, key, e->modifiers());
        if (key == 0) {
            e->accept();
            return;
        }
    }
    KeyDown(e);
    PaintNow(); // the result of a key is shown before the next key is read
}

void TRiloMemo::keyReleaseEvent(QKeyEvent *e)
{
    if (dragging_ && e->key() == Qt::Key_Control) {
        dragCopy_ = false;
        viewport()->setCursor(Qt::DragMoveCursor);
    }
    if (OnKeyUp) {
        int key = e->key();
        OnKeyUp(this, key, e->modifiers());
    }
    QAbstractScrollArea::keyReleaseEvent(e);
}

void TRiloMemo::KeyDown(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool ctrl = mods & Qt::ControlModifier, shift = mods & Qt::ShiftModifier, alt = mods & Qt::AltModifier;
    const int key = e->key();
    e->accept();

    if (dragging_) {
        if (key == Qt::Key_Control && !dragCancelled_) {
            dragCopy_ = true;
            viewport()->setCursor(Qt::DragCopyCursor);
        } else if (key == Qt::Key_Escape) {
            dragCancelled_ = true;
            viewport()->setCursor(Qt::IBeamCursor);
            DirtyAll();
        }
        return;
    }

    if (displayOnly_) {
        const int maxTop = std::max(0, LineCount() - VisibleLines() + 1);
        switch (key) {
        case Qt::Key_PageUp:
            if (ctrl)
                SetTopLine(0);
            else
                VScrollLines(-1);
            break;
        case Qt::Key_Up: VScrollLines(-1); break;
        case Qt::Key_PageDown:
            if (ctrl)
                SetTopLine(maxTop);
            else if (TopLine() < maxTop)
                SetTopLine(TopLine() + 1);
            break;
        case Qt::Key_Down:
            if (TopLine() < maxTop)
                SetTopLine(TopLine() + 1);
            break;
        case Qt::Key_Home: SetHorzOffset(0); break;
        case Qt::Key_End: SetHorzOffset(std::max(0, WidestLine() + RightMargin() - ClientWidth())); break;
        case Qt::Key_Left: HScrollBy(-std::max(1, SpaceWidth())); break;
        case Qt::Key_Right: HScrollBy(std::max(1, SpaceWidth())); break;
        default: e->ignore(); break;
        }
        return;
    }

    if (ctrl && !alt) {
        bool done = true;
        if (enableHotKeys_ && !ReadOnly()) {
            switch (key) {
            case Qt::Key_B: ToggleBold(); break;
            case Qt::Key_I: ToggleItalic(); break;
            case Qt::Key_U: ToggleUnderline(); break;
            case Qt::Key_H: ToggleHighlight(); break;
            case Qt::Key_F: ToggleAltFont(); break;
            case Qt::Key_T: InsertText(QStringLiteral("\t")); break;
            case Qt::Key_P: InsertText(kCrLf + QChar(16) + kCrLf); break;
            case Qt::Key_Z:
                if (shift)
                    Redo();
                else
                    Undo();
                break;
            default: done = false; break;
            }
        } else {
            done = false;
        }
        if (done) {
            ScrollInView();
            return;
        }
    }

    const int caret = SelStart();
    const int anchor = SelStart() + SelLength();
    const bool hasSel = SelLength() != 0;
    auto navigate = [&](int offset, int vs = 0) { MoveTo(offset, vs, shift, anchor); };
    auto clearKeep = [&] { keepX_ = -1; };

    switch (key) {
    case Qt::Key_Backspace:
        clearKeep();
        if (!ReadOnly())
            Backspace(ctrl);
        return;
    case Qt::Key_Tab:
        if (alt || (!wantTabs_)) {
            e->ignore();
            return;
        }
        // A text that keeps Tab lets Ctrl+Tab leave it, as other editors do.
        if (ctrl) {
            QAbstractScrollArea::focusNextPrevChild(!shift);
            return;
        }
        clearKeep();
        if (!ReadOnly())
            InsertText(QStringLiteral("\t"));
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int line = LineOfOffset(caret);
        const int d = (VisibleLines() - 1) * (key == Qt::Key_PageUp ? -1 : 1);
        FormatRange(Layout().ParagraphOfLine(std::max(0, line + std::min(d, 0))),
                    Layout().ParagraphOfLine(std::min(LineCount() - 1, line + std::max(d, 0))));
        int vs = 0;
        const int to = LineMove(line, d, vs);
        const int kx = keepX_;
        navigate(to, vs);
        keepX_ = kx;
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int line = LineOfOffset(caret);
        int vs = 0;
        const int to = LineMove(line, key == Qt::Key_Up ? -1 : 1, vs);
        const int kx = keepX_;
        navigate(to, vs);
        keepX_ = kx;
        return;
    }
    case Qt::Key_Home:
        clearKeep();
        navigate(ctrl ? 0 : LineStart(LineOfOffset(caret)));
        return;
    case Qt::Key_End: {
        clearKeep();
        if (ctrl) {
            navigate(CharCount());
            return;
        }
        const int line = LineOfOffset(caret);
        int end = LineEnd(line);
        const int p = Storage().ParagraphAt(LineStart(line));
        if (end < Storage().Start(p) + Storage().Length(p) && end > LineStart(line))
            --end; // the end of a wrapped line is the next line's start
        navigate(end);
        return;
    }
    case Qt::Key_Left:
        clearKeep();
        if (VirtualSpaces() > 0 && !ctrl) {
            const int vs = VirtualSpaces() - 1;
            navigate(caret, vs);
            return;
        }
        if (caret == 0 && !hasSel) {
            e->ignore();
            return;
        }
        navigate(ctrl ? WordLeft(caret) : PrevCharPos(caret));
        return;
    case Qt::Key_Right: {
        clearKeep();
        const int p = Storage().ParagraphAt(caret);
        const bool atEnd = caret - Storage().Start(p) >= Storage().Length(p);
        if (!ctrl && atEnd && HasOption(rmoKeepColumnPos) && !HasOption(rmoWrapCaret)) {
            navigate(caret, VirtualSpaces() + 1);
            return;
        }
        navigate(ctrl ? WordRight(caret) : NextCharPos(caret));
        return;
    }
    case Qt::Key_Insert:
        if (shift) {
            if (!ReadOnly())
                PasteFromClipboard();
        } else if (ctrl) {
            CopyToClipboard();
        } else if (HasOption(rmoInsertKeyActive)) {
            SetOverwrite(!Overwrite());
            if (OnStyleChange)
                OnStyleChange(&view_);
        }
        return;
    case Qt::Key_Delete:
        clearKeep();
        if (!ReadOnly())
            DeleteKey(mods);
        return;
    default: break;
    }

    // The character handler.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!ReadOnly() && !displayOnly_)
            Enter();
        return;
    }
    if (ctrl && !alt) {
        switch (key) {
        case Qt::Key_C: CopyToClipboard(); return;
        case Qt::Key_V:
            if (!ReadOnly())
                PasteFromClipboard();
            return;
        case Qt::Key_X:
            if (!ReadOnly())
                CutToClipboard();
            return;
        case Qt::Key_E:
            if (!ReadOnly()) {
                DirtyAll();
                CheckConsistency();
            }
            return;
        default: e->ignore(); return;
        }
    }
    // Alt with a character belongs to the window, as on the system the control comes from; the text Qt gives
    // such a key is no character the user typed.
    if (alt && !ctrl) {
        e->ignore();
        return;
    }
    const QString text = e->text();
    if (text.isEmpty()) {
        e->ignore();
        return;
    }
    KeyPress(e, text);
}

void TRiloMemo::KeyPress(QKeyEvent *e, const QString &text)
{
    if (ReadOnly())
        return;
    for (qsizetype k = 0; k < text.size(); ++k) {
        QChar ch = text[k];
        if (OnKeyPress) {
            OnKeyPress(this, ch);
            if (ch.isNull())
                continue;
        }
        const ushort u = ch.unicode();
        if (u < 28 || u == 127) {
            if (u == '\r')
                Enter();
            else if (u == '\t')
                InsertText(QStringLiteral("\t"));
            continue;
        }
        // A character beyond 16 bits comes as a pair of units and is typed as one.
        if (ch.isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate())
            TypeChar(QString(ch) + text[++k]);
        else
            TypeChar(QString(ch));
    }
    keepX_ = -1;
    e->accept();
}

void TRiloMemo::TypeChar(const QString &c)
{
    const int caret = SelStart();
    const int p = Storage().ParagraphAt(caret);
    const int col = caret - Storage().Start(p);
    const bool atEnd = col >= Storage().Length(p);
    // The second half of a pair typed on its own completes the first one; it replaces nothing.
    const bool completesPair = c.size() == 1 && c[0].isLowSurrogate() && col > 0 &&
                               QChar::isHighSurrogate(Storage().Text(p)[col - 1]);
    if (c == QLatin1String(" ") && atEnd && SelLength() == 0 && HasOption(rmoDiscardTrailingSpaces) &&
        HasOption(rmoKeepColumnPos)) {
        SetVirtualSpaces(VirtualSpaces() + 1);
        UpdateCaret();
        ScrollInView();
        return;
    }
    if (Overwrite() && SelLength() == 0 && !atEnd && VirtualSpaces() == 0 && !completesPair) {
        BeginUpdate();
        Select(caret, 1); // a whole surrogate pair when one follows
        EndUpdate();
    }
    SetSelText(c);
}

void TRiloMemo::Enter()
{
    if (Overwrite() && SelLength() == 0) {
        const int line = LineOfOffset(SelStart());
        if (line >= LineCount() - 1) {
            Select(CharCount(), 0);
            SetSelText(kCrLf);
        } else {
            Select(LineStart(line + 1), 0);
            ScrollInView();
        }
        return;
    }
    if (HasOption(rmoAutoIndent) && SelLength() == 0) {
        const int line = LineOfOffset(SelStart());
        const int col = SelStart() - LineStart(line) + VirtualSpaces();
        const QString lt = LineText(line);
        const int n = Indentation(line, col);
        SetSelText(kCrLf + lt.left(n));
        return;
    }
    SetSelText(kCrLf);
}

void TRiloMemo::Backspace(bool ctrl)
{
    if (SelLength() != 0) {
        ClearSelection();
        return;
    }
    const int caret = SelStart();
    const TextStorage &t = Storage();
    const int p = t.ParagraphAt(caret);
    const int col = caret - t.Start(p);
    if (ctrl) {
        const int to = WordLeft(caret);
        if (to < caret) {
            Select(to, caret - to);
            ClearSelection();
        }
        return;
    }
    if (col == 0) {
        if (p == 0)
            return;
        const int from = t.Start(p - 1) + t.Length(p - 1);
        Select(from, caret - from);
        ClearSelection();
        return;
    }
    if (HasOption(rmoBackIndent) && VirtualSpaces() == 0) {
        const int line = LineOfOffset(caret);
        const int lineCol = caret - LineStart(line);
        const int indent = Indentation(line);
        if (lineCol > 0 && lineCol == indent) {
            int target = 0;
            for (int l = line - 1; l >= 0; --l) {
                const int ind = Indentation(l);
                if (ind < indent) {
                    target = ind;
                    break;
                }
            }
            const int from = LineStart(line) + target;
            Select(from, caret - from);
            ClearSelection();
            return;
        }
    }
    if (VirtualSpaces() > 0) {
        SetVirtualSpaces(VirtualSpaces() - 1);
        UpdateCaret();
        ScrollInView();
        return;
    }
    // One character back (both halves of a surrogate pair), with the style codes right before it.
    const ParaText txt = t.Text(p);
    int a = col - 1;
    if (txt.SplitsPair(a))
        --a;
    while (a > 0 && IsStyleCode(txt[a - 1]))
        --a;
    const int from = t.Start(p) + a;
    Select(from, caret - from);
    ClearSelection();
}

void TRiloMemo::DeleteKey(Qt::KeyboardModifiers mods)
{
    SetVirtualSpaces(0);
    const bool shift = mods & Qt::ShiftModifier, ctrl = mods & Qt::ControlModifier;
    const TextStorage &t = Storage();
    const int caret = SelStart();
    if (shift) {
        if (SelLength() != 0) {
            CutToClipboard();
            return;
        }
        if (caret == 0)
            return;
        const int from = PrevCharPos(caret);
        const int p = t.ParagraphAt(caret);
        const int start = caret - t.Start(p) == 0 ? t.Start(p - 1) + t.Length(p - 1) : from;
        Select(start, caret - start);
        ClearSelection();
        return;
    }
    if (ctrl) {
        const int la = LineOfOffset(SelLower()), lb = LineOfOffset(SelUpper());
        if (la == lb) {
            const int end = LineEnd(la);
            if (end > SelLower()) {
                Select(SelLower(), end - SelLower());
                ClearSelection();
            }
        }
        return;
    }
    if (SelLength() != 0) {
        ClearSelection();
        return;
    }
    const int p = t.ParagraphAt(caret);
    const int col = caret - t.Start(p);
    const ParaText txt = t.Text(p);
    if (col >= txt.length) {
        if (p + 1 < t.ParagraphCount()) {
            Select(caret, 2);
            ClearSelection();
        }
        return;
    }
    int b = col + 1;
    if (txt.SplitsPair(b))
        ++b;
    while (b < txt.length && IsStyleCode(txt[b]))
        ++b;
    Select(caret, b - col);
    ClearSelection();
}

// ---- mouse -----------------------------------------------------------------------------------------

int TRiloMemo::OffsetAt(const QPoint &pos, int *virtualSpaces)
{
    if (virtualSpaces)
        *virtualSpaces = 0;
    const int line = PixelsToLines(std::max(0, pos.y())) + TopLine();
    if (pos.y() < 0 && TopLine() == 0)
        return LineStart(0) + XToPos(0, pos.x());
    if (line >= LineCount())
        return CharCount();
    const int start = LineStart(line);
    const int col = XToPos(line, pos.x());
    if (virtualSpaces && HasOption(rmoKeepColumnPos)) {
        const int p = Storage().ParagraphAt(start);
        const int end = Storage().Start(p) + Storage().Length(p);
        if (start + col == end) {
            const int endX = PosToX(line, col);
            if (pos.x() > endX)
                *virtualSpaces = (pos.x() - endX) / SpaceWidth();
        }
    }
    return start + col;
}

bool TRiloMemo::OverSelection(const QPoint &pos)
{
    if (SelLength() == 0)
        return false;
    const int line = PixelsToLines(std::max(0, pos.y())) + TopLine();
    if (line >= LineCount() || pos.y() < 0)
        return false;
    const int start = LineStart(line);
    const int end = LineEnd(line);
    const int a = std::max(SelLower(), start), b = std::min(SelUpper(), end);
    if (a >= b)
        return false;
    const int xa = PosToX(line, a - start), xb = PosToX(line, b - start);
    return pos.x() >= xa && pos.x() < xb;
}

void TRiloMemo::TrackPointer(const QPoint &pos)
{
    int vs = 0;
    const int off = OffsetAt(pos, &vs);
    if (dragging_) {
        drop_.SetOffset(off);
        DirtyAll();
    } else {
        ExtendTo(off, vs);
    }
}

void TRiloMemo::ExtendTo(int offset, int vs)
{
    const int anchor = anchor_.Offset();
    BeginUpdate();
    Select(offset, anchor - offset);
    EndUpdate();
    SetVirtualSpaces(vs);
    UpdateCaret();
}

void TRiloMemo::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), pos.x(), pos.y());
    if (e->button() != Qt::LeftButton || Updating()) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    lastMouse_ = pos;
    mouseDownOffset_ = OffsetAt(pos);
    if (displayOnly_ || dblClick_)
        return;
    SetVirtualSpaces(0);
    keepX_ = -1;
    if (overSel_ && !ReadOnly() && !HasOption(rmoNoDragnDrop) && OverSelection(pos)) {
        dragging_ = true;
        dragCancelled_ = false;
        dragCopy_ = e->modifiers() & Qt::ControlModifier;
        drop_.SetOffset(mouseDownOffset_);
        mouseDown_ = true;
        viewport()->setCursor(dragCopy_ ? Qt::DragCopyCursor : Qt::DragMoveCursor);
        return;
    }
    mouseDown_ = true;
    setFocus(Qt::MouseFocusReason);
    int vs = 0;
    const int off = OffsetAt(pos, &vs);
    if (e->modifiers() & Qt::ShiftModifier) {
        if (SelLength() == 0)
            anchor_.SetOffset(SelStart());
        else
            anchor_.SetOffset(SelStart() + SelLength());
        ExtendTo(off, vs);
    } else {
        Select(off, 0);
        SetVirtualSpaces(vs);
        anchor_.SetOffset(off);
    }
    ForceNewRecord();
    UpdateCaret();
}

void TRiloMemo::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    lastMouse_ = pos;
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), pos.x(), pos.y());
    if (Updating())
        return;
    if (!mouseDown_ || !(e->buttons() & Qt::LeftButton)) {
        const bool over = !HasOption(rmoNoDragnDrop) && !ReadOnly() && OverSelection(pos);
        if (over != overSel_) {
            overSel_ = over;
            viewport()->setCursor(over ? Qt::ArrowCursor : Qt::IBeamCursor);
        }
        return;
    }
    if (dblClick_)
        return;
    // Auto-scroll direction and distance class.
    const int w = viewport()->width(), h = viewport()->height();
    int dir = 0, dist = 0;
    const int limit = dragging_ ? 24 : INT_MAX;
    if (pos.x() < 0 && -pos.x() <= limit) {
        dir = 3;
        dist = -pos.x() / 3;
    } else if (pos.x() >= w && pos.x() - w < limit) {
        dir = 4;
        dist = (pos.x() - w) / 3;
    } else if (pos.x() >= -3 && pos.x() <= w + 3) {
        if (pos.y() < -3 && -pos.y() <= limit) {
            dir = 1;
            dist = -pos.y() / 3;
        } else if (pos.y() >= h && pos.y() - h < limit) {
            dir = 2;
            dist = (pos.y() - h) / 3;
        }
    }
    TrackPointer(pos);
    SetAutoScroll(dir, dist);
}

void TRiloMemo::SetAutoScroll(int direction, int distance)
{
    const bool changed = direction != autoDir_;
    autoDir_ = direction;
    autoDist_ = distance;
    if (direction == 0) {
        autoScroll_.stop();
        return;
    }
    if (changed || !autoScroll_.isActive())
        autoScroll_.start(AutoScrollDelay(distance));
}

void TRiloMemo::AutoScrollStep()
{
    if (!mouseDown_ || autoDir_ == 0)
        return;
    QPoint pos = lastMouse_;
    const int beyond = 3 * autoDist_;
    switch (autoDir_) {
    case 1:
        VScrollLines(-1);
        pos.setY(-beyond - 4);
        break;
    case 2:
        VScrollLines(1);
        pos.setY(viewport()->height() + beyond);
        break;
    case 3:
        HScrollBy(-SpaceWidth());
        pos.setX(-beyond - 1);
        break;
    case 4:
        HScrollBy(SpaceWidth());
        pos.setX(viewport()->width() + beyond);
        break;
    default: break;
    }
    TrackPointer(pos);
    autoScroll_.start(AutoScrollDelay(autoDist_));
}

void TRiloMemo::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), pos.x(), pos.y());
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(e);
        return;
    }
    const bool wasDown = mouseDown_;
    const bool wasDouble = dblClick_;
    dblClick_ = false;
    mouseDown_ = false;
    SetAutoScroll(0, 0);
    if (dragging_) {
        EndDrag(pos, e->modifiers());
        return;
    }
    // A press released outside the text is no click, as in the gutter.
    if (wasDouble || !wasDown || !viewport()->rect().contains(pos))
        return;
    const int off = OffsetAt(pos);
    if (off == mouseDownOffset_ && OnContext) {
        qint16 ctx = 0;
        int a = 0, b = 0;
        if (ContextAt(off, ctx, a, b) && ctx != 0)
            OnContext(&view_, ctx, a, b);
    }
    if (OnClick)
        OnClick(this);
}

void TRiloMemo::EndDrag(const QPoint &pos, Qt::KeyboardModifiers mods)
{
    dragging_ = false;
    overSel_ = false;
    viewport()->setCursor(Qt::IBeamCursor);
    if (dragCancelled_) {
        DirtyAll();
        return;
    }
    drop_.SetOffset(OffsetAt(pos));
    const int at = drop_.Offset();
    if (at >= SelLower() && at <= SelUpper()) {
        Select(at, 0);
        DirtyAll();
        return;
    }
    const bool copy = (mods & Qt::ControlModifier) || dragCopy_;
    // Held while the text moves; let go however the edits end (one refused as too long throws).
    Lines().BeginUpdate();
    struct Release {
        TRiloMemo &memo;
        ~Release()
        {
            memo.Lines().EndUpdate();
            memo.ScrollInView();
            memo.DirtyAll();
        }
    } release{*this};
    const QString text = SelText();
    bool deletionKept = true;
    if (copy) {
        Select(SelStart(), 0);
    } else {
        // A move whose deletion the edit core did not make (a derived control may refuse an edit) is no move.
        const quint64 serial = Document().TextSerial();
        ClearSelection();
        if (Document().TextSerial() == serial)
            return;
        deletionKept = CanUndo();
    }
    Select(drop_.Offset(), 0);
    ForceNewRecord();
    SetSelText(text);
    // A move is undone whole or not at all: its insertion undone alone would lose the text it moved.
    if (!copy && deletionKept)
        GroupLastRecord();
    else if (!copy)
        ClearUndo();
    const int end = SelStart();
    Select(end, -int(text.size()));
}

void TRiloMemo::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (OnDblClick)
        OnDblClick(this);
    if (e->button() != Qt::LeftButton || displayOnly_ || Updating())
        return;
    dblClick_ = true;
    mouseDown_ = true;
    SelectWordAt(OffsetAt(e->position().toPoint()));
    UpdateCaret();
}

bool TRiloMemo::event(QEvent *e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Menu shortcuts of the window win over the control's own hot keys; plain typing keys do not
        // reach shortcuts.
        auto *k = static_cast<QKeyEvent *>(e);
        if (!(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !k->text().isEmpty() &&
            k->text()[0].unicode() >= 32 && k->text()[0].unicode() != 127) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

} // namespace textcontrol
