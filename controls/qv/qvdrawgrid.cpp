#include "qvdrawgrid.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvinifiles.h"
#include "platform/error.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

namespace qv {
namespace {

constexpr int kSizingSlack = 2;
constexpr int kMaxListRows = 8;
constexpr int kSearchPause = 4000;
constexpr int kMaxSearch = 32;

// Pixels taken by the fixed cells and their lines.
int fixedExtent(const QList<int> &sizes, int fixed, int line)
{
    int n = 0;
    for (int i = 0; i < fixed; ++i)
        n += sizes[i] + line;
    return n;
}

// Pixels from the start of one cell to the end of another, lines included.
int span(const QList<int> &sizes, int from, int to, int line)
{
    int n = 0;
    for (int i = from; i <= to; ++i)
        n += sizes[i] + line;
    return n;
}

// The last first scrollable cell: from it on, the cells to the end fill the room and no more.
int lastFirst(const QList<int> &sizes, int fixed, int line, int room)
{
    room -= fixedExtent(sizes, fixed, line);
    int first = sizes.size(), used = 0;
    while (first > fixed && used + sizes[first - 1] + line <= room) {
        used += sizes[first - 1] + line;
        --first;
    }
    return std::clamp(first, fixed, std::max(fixed, int(sizes.size()) - 1));
}

// The first scrollable cell that shows `target` whole (or at least its start), moving on from `first`.
int firstShowing(const QList<int> &sizes, int fixed, int first, int target, int line, int room)
{
    first = std::min(first, target);
    while (first < target && fixedExtent(sizes, fixed, line) + span(sizes, first, target, line) > room)
        ++first;
    return first;
}

// Sets one size; false when out of range, true when it changed.
bool setSize(QList<int> &sizes, int index, int size, bool *changed)
{
    if (index < 0 || index >= sizes.size())
        return false;
    size = std::max(0, size);
    *changed = sizes[index] != size;
    sizes[index] = size;
    return true;
}

bool printable(const QKeyEvent *e)
{
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).unicode() >= 32 && t.at(0).unicode() != 127
           && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

// A face with one-pixel edges: raised, or sunken when down.
void drawFace(QPainter &p, const QRect &r, const QPalette &pal, bool down)
{
    p.fillRect(r, pal.color(QPalette::Button));
    p.setPen(pal.color(down ? QPalette::Dark : QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(pal.color(down ? QPalette::Light : QPalette::Dark));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

// The button inside a Qv editor: three dots for an ellipsis editor, an arrow for a pick list.
class EditButtonArea : public QWidget {
public:
    explicit EditButtonArea(TQvInplaceEdit *edit) : QWidget(edit), edit_(edit)
    {
        setObjectName(QStringLiteral("EditButton"));
        setCursor(Qt::ArrowCursor);
    }
    bool pressed = false;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        drawFace(p, rect(), palette(), pressed);
        p.setPen(palette().color(QPalette::ButtonText));
        p.setBrush(palette().color(QPalette::ButtonText));
        const QPoint c = rect().center() + (pressed ? QPoint(1, 1) : QPoint());
        if (edit_->EditStyle() == esEllipsis) {
            for (int dx : {-4, 0, 4})
                p.fillRect(c.x() + dx - 1, c.y(), 2, 2, palette().color(QPalette::ButtonText));
        } else {
            const QPoint arrow[3] = {c + QPoint(-3, -1), c + QPoint(3, -1), c + QPoint(0, 2)};
            p.drawPolygon(arrow, 3);
        }
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        pressed = edit_->EditStyle() == esEllipsis;
        update();
        edit_->ButtonPressed();
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (!(e->buttons() & Qt::LeftButton) || edit_->EditStyle() != esEllipsis)
            return;
        const bool over = rect().contains(e->position().toPoint());
        if (over != pressed) {
            pressed = over;
            update();
        }
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        pressed = false;
        update();
        edit_->ButtonReleased(rect().contains(e->position().toPoint()));
    }

private:
    TQvInplaceEdit *edit_;
};

} // namespace

// --- TInplaceEdit

TInplaceEdit::TInplaceEdit(TDrawGrid *grid) : QLineEdit(grid->viewport()), grid_(grid)
{
    setObjectName(QStringLiteral("InplaceEdit"));
    setFrame(false);
    hide();
    connect(this, &QLineEdit::textChanged, grid, [grid] { grid->EditChanged(); });
}

void TInplaceEdit::UpdateContents()
{
    const int limit = grid_->GetEditLimit();
    setMaxLength(limit > 0 ? limit : 32767);
    setText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    setModified(false);
    selectAll();
    grid_->placeEditor();
}

bool TInplaceEdit::event(QEvent *e)
{
    if (e->type() == QEvent::KeyPress && (grid_->Options() & goTabs)) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TInplaceEdit::keyPressEvent(QKeyEvent *e)
{
    const bool noSelection = selectedText().isEmpty();
    bool toGrid = false;
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter: toGrid = true; break;
    // Left and Right leave the cell only from the ends of its text.
    case Qt::Key_Left: toGrid = noSelection && cursorPosition() == 0; break;
    case Qt::Key_Right: toGrid = noSelection && cursorPosition() == text().size(); break;
    default: break;
    }
    if (toGrid && grid_->GridKey(e)) {
        e->accept();
        return;
    }
    if (printable(e) && !grid_->CanEditAcceptKey(e->text().at(0))) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TInplaceEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    // The text reaches the cell when the focus leaves; a pop-up of the editor's own keeps it.
    if (e->reason() != Qt::PopupFocusReason && grid_->EditorMode() && isModified()) {
        setModified(false);
        grid_->SetEditText(grid_->Col(), grid_->Row(), text());
    }
}

// --- TDrawGrid

TDrawGrid::TDrawGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    colWidths_ = QList<int>(5, defaultColWidth_);
    rowHeights_ = QList<int>(5, defaultRowHeight_);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    updateScrollBars();
}

TDrawGrid::~TDrawGrid()
{
    DestroyEditor();
}

void TDrawGrid::DestroyEditor()
{
    // Out of editor mode first: the editor's focus leaving on the way out writes nothing.
    editorMode_ = false;
    delete editor_;
    editor_ = nullptr;
}

int TDrawGrid::vLine() const
{
    return options_ & (goVertLine | goFixedVertLine) ? 1 : 0;
}

int TDrawGrid::hLine() const
{
    return options_ & (goHorzLine | goFixedHorzLine) ? 1 : 0;
}

// A new count keeps at least one scrollable cell; the current and first cells stay inside.
static void resizeAxis(QList<int> &sizes, int count, int size, int &fixed, int &current, int &first)
{
    sizes.resize(count, size);
    fixed = std::min(fixed, count - 1);
    current = std::clamp(current, fixed, count - 1);
    first = std::clamp(first, fixed, count - 1);
}

void TDrawGrid::SetColCount(int count)
{
    count = std::max(1, count);
    if (count == ColCount())
        return;
    resizeAxis(colWidths_, count, defaultColWidth_, fixedCols_, col_, leftCol_);
    layoutChanged();
}

void TDrawGrid::SetRowCount(int count)
{
    count = std::max(1, count);
    if (count == RowCount())
        return;
    resizeAxis(rowHeights_, count, defaultRowHeight_, fixedRows_, row_, topRow_);
    layoutChanged();
}

void TDrawGrid::SetFixedCols(int count)
{
    if (count < 0 || count >= ColCount())
        throw platform::Error(QStringLiteral("Fixed column count must be less than column count"));
    fixedCols_ = count;
    col_ = std::max(col_, count);
    leftCol_ = std::max(leftCol_, count);
    layoutChanged();
}

void TDrawGrid::SetFixedRows(int count)
{
    if (count < 0 || count >= RowCount())
        throw platform::Error(QStringLiteral("Fixed row count must be less than row count"));
    fixedRows_ = count;
    row_ = std::max(row_, count);
    topRow_ = std::max(topRow_, count);
    layoutChanged();
}

void TDrawGrid::SetDefaultColWidth(int width)
{
    defaultColWidth_ = std::max(0, width);
    colWidths_.fill(defaultColWidth_);
    ColWidthsChanged();
}

void TDrawGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = std::max(0, height);
    rowHeights_.fill(defaultRowHeight_);
    RowHeightsChanged();
}

int TDrawGrid::ColWidths(int col) const
{
    return col >= 0 && col < ColCount() ? colWidths_[col] : 0;
}

void TDrawGrid::SetColWidths(int col, int width)
{
    bool changed = false;
    if (!setSize(colWidths_, col, width, &changed))
        throw platform::Error(QStringLiteral("Grid index out of range"));
    if (changed)
        ColWidthsChanged();
}

int TDrawGrid::RowHeights(int row) const
{
    return row >= 0 && row < RowCount() ? rowHeights_[row] : 0;
}

void TDrawGrid::SetRowHeights(int row, int height)
{
    bool changed = false;
    if (!setSize(rowHeights_, row, height, &changed))
        throw platform::Error(QStringLiteral("Grid index out of range"));
    if (changed)
        RowHeightsChanged();
}

void TDrawGrid::SetOptions(TGridOptions options)
{
    if (options == options_)
        return;
    options_ = options;
    if (!(options & goEditing) && editorMode_)
        HideEditor();
    layoutChanged();
}

void TDrawGrid::layoutChanged()
{
    updateScrollBars();
    placeEditor();
    viewport()->update();
}

void TDrawGrid::ColWidthsChanged()
{
    CancelMouseMode();
    layoutChanged();
}

void TDrawGrid::RowHeightsChanged()
{
    CancelMouseMode();
    layoutChanged();
}

void TDrawGrid::TopLeftChanged()
{
    placeEditor();
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
    viewport()->update();
}

void TDrawGrid::CancelMouseMode()
{
    sizingCol_ = sizingRow_ = -1;
}

int TDrawGrid::colLeft(int col) const
{
    if (col < fixedCols_)
        return fixedExtent(colWidths_, col, vLine());
    return fixedExtent(colWidths_, fixedCols_, vLine()) + span(colWidths_, leftCol_, col - 1, vLine());
}

int TDrawGrid::rowTop(int row) const
{
    if (row < fixedRows_)
        return fixedExtent(rowHeights_, row, hLine());
    return fixedExtent(rowHeights_, fixedRows_, hLine()) + span(rowHeights_, topRow_, row - 1, hLine());
}

QRect TDrawGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return {};
    if ((col >= fixedCols_ && col < leftCol_) || (row >= fixedRows_ && row < topRow_))
        return {};
    const QRect r(colLeft(col), rowTop(row), colWidths_[col], rowHeights_[row]);
    if (r.left() >= viewport()->width() || r.top() >= viewport()->height())
        return {};
    return r;
}

bool TDrawGrid::MouseToCell(const QPoint &p, int &col, int &row) const
{
    col = row = -1;
    auto find = [](int at, const QList<int> &sizes, int fixed, int first, int line) {
        int pos = 0;
        for (int i = 0; i < sizes.size(); ++i) {
            if (i >= fixed && i < first)
                continue;
            // The line after a cell belongs to it.
            pos += sizes[i] + line;
            if (at < pos)
                return i;
        }
        return -1;
    };
    if (p.x() < 0 || p.y() < 0)
        return false;
    col = find(p.x(), colWidths_, fixedCols_, leftCol_, vLine());
    row = find(p.y(), rowHeights_, fixedRows_, topRow_, hLine());
    if (col < 0 || row < 0) {
        col = row = -1;
        return false;
    }
    return true;
}

int TDrawGrid::VisibleColCount() const
{
    int n = 0;
    for (int c = leftCol_; c < ColCount() && colLeft(c) + colWidths_[c] <= viewport()->width(); ++c)
        ++n;
    return n;
}

int TDrawGrid::VisibleRowCount() const
{
    int n = 0;
    for (int r = topRow_; r < RowCount() && rowTop(r) + rowHeights_[r] <= viewport()->height(); ++r)
        ++n;
    return n;
}

int TDrawGrid::maxLeftCol() const
{
    return lastFirst(colWidths_, fixedCols_, vLine(), viewport()->width());
}

int TDrawGrid::maxTopRow() const
{
    return lastFirst(rowHeights_, fixedRows_, hLine(), viewport()->height());
}

void TDrawGrid::updateScrollBars()
{
    const int maxLeft = maxLeftCol(), maxTop = maxTopRow();
    const bool moved = leftCol_ > maxLeft || topRow_ > maxTop;
    leftCol_ = std::min(leftCol_, maxLeft);
    topRow_ = std::min(topRow_, maxTop);
    syncingBars_ = true;
    horizontalScrollBar()->setRange(0, maxLeft - fixedCols_);
    horizontalScrollBar()->setPageStep(std::max(1, VisibleColCount()));
    horizontalScrollBar()->setValue(leftCol_ - fixedCols_);
    verticalScrollBar()->setRange(0, maxTop - fixedRows_);
    verticalScrollBar()->setPageStep(std::max(1, VisibleRowCount()));
    verticalScrollBar()->setValue(topRow_ - fixedRows_);
    syncingBars_ = false;
    if (moved)
        TopLeftChanged();
}

void TDrawGrid::scrollContentsBy(int, int)
{
    if (syncingBars_)
        return;
    const int left = fixedCols_ + horizontalScrollBar()->value();
    const int top = fixedRows_ + verticalScrollBar()->value();
    if (left == leftCol_ && top == topRow_)
        return;
    leftCol_ = left;
    topRow_ = top;
    TopLeftChanged();
}

void TDrawGrid::SetLeftCol(int col)
{
    col = std::clamp(col, fixedCols_, maxLeftCol());
    if (col == leftCol_)
        return;
    leftCol_ = col;
    updateScrollBars();
    TopLeftChanged();
}

void TDrawGrid::SetTopRow(int row)
{
    row = std::clamp(row, fixedRows_, maxTopRow());
    if (row == topRow_)
        return;
    topRow_ = row;
    updateScrollBars();
    TopLeftChanged();
}

void TDrawGrid::scrollIntoView(int col, int row)
{
    if (col >= fixedCols_)
        SetLeftCol(firstShowing(colWidths_, fixedCols_, leftCol_, col, vLine(), viewport()->width()));
    if (row >= fixedRows_)
        SetTopRow(firstShowing(rowHeights_, fixedRows_, topRow_, row, hLine(), viewport()->height()));
}

bool TDrawGrid::SelectCell(int col, int row)
{
    bool can = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, can);
    return can;
}

void TDrawGrid::FocusCell(int col, int row)
{
    if (ColCount() <= fixedCols_ || RowCount() <= fixedRows_)
        return;
    col = std::clamp(col, fixedCols_, ColCount() - 1);
    row = std::clamp(row, fixedRows_, RowCount() - 1);
    if (col == col_ && row == row_) {
        scrollIntoView(col, row);
        return;
    }
    if (!SelectCell(col, row))
        return;
    const bool editing = editorMode_ && editor_;
    if (editing && editor_->isModified()) {
        editor_->setModified(false);
        SetEditText(col_, row_, editor_->text());
    }
    InvalidateCell(col_, row_);
    col_ = col;
    row_ = row;
    InvalidateCell(col_, row_);
    scrollIntoView(col, row);
    if (editing) {
        if (options_ & goAlwaysShowEditor)
            editor_->UpdateContents();
        else
            DiscardEditor();
    }
}

void TDrawGrid::InvalidateCell(int col, int row)
{
    const QRect r = CellRect(col, row);
    if (options_ & goRowSelect)
        viewport()->update();
    else if (!r.isEmpty())
        viewport()->update(r.adjusted(-1, -1, 1, 1));
}

bool TDrawGrid::CanEditShow()
{
    return (options_ & goEditing) && !(options_ & goRowSelect) && col_ >= fixedCols_ && row_ >= fixedRows_
           && col_ < ColCount() && row_ < RowCount();
}

TInplaceEdit *TDrawGrid::CreateEditor()
{
    return new TInplaceEdit(this);
}

void TDrawGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    if (!editor_)
        editor_ = CreateEditor();
    editorMode_ = true;
    editor_->UpdateContents();
    if (editorMode_ && !editor_->geometry().isEmpty()) {
        editor_->show();
        editor_->setFocus(Qt::OtherFocusReason);
    }
}

void TDrawGrid::HideEditor()
{
    if (!editorMode_ || !editor_)
        return;
    if (editor_->isModified()) {
        editor_->setModified(false);
        SetEditText(col_, row_, editor_->text());
    }
    DiscardEditor();
}

void TDrawGrid::DiscardEditor()
{
    editorMode_ = false;
    if (!editor_)
        return;
    editor_->setModified(false);
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    InvalidateCell(col_, row_);
}

void TDrawGrid::SetEditorMode(bool on)
{
    if (on)
        ShowEditor();
    else
        HideEditor();
}

void TDrawGrid::placeEditor()
{
    if (!editor_ || !editorMode_)
        return;
    const QRect r = CellRect(col_, row_);
    if (r.isEmpty()) {
        editor_->setGeometry(QRect());
        return;
    }
    editor_->setGeometry(r);
}

bool TDrawGrid::CanEditAcceptKey(QChar)
{
    return true;
}

int TDrawGrid::GetEditLimit()
{
    return 0;
}

QString TDrawGrid::GetEditText(int col, int row)
{
    QString value;
    if (OnGetEditText)
        OnGetEditText(this, col, row, value);
    return value;
}

void TDrawGrid::SetEditText(int col, int row, const QString &value)
{
    if (OnSetEditText)
        OnSetEditText(this, col, row, value);
}

void TDrawGrid::DrawCell(int col, int row, QPainter &painter, const QRect &rect, TGridDrawState state)
{
    if (OnDrawCell)
        OnDrawCell(this, col, row, painter, rect, state);
}

void TDrawGrid::moveBy(int dCol, int dRow)
{
    FocusCell(col_ + dCol, row_ + dRow);
}

bool TDrawGrid::GridKey(QKeyEvent *e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Up: moveBy(0, -1); break;
    case Qt::Key_Down: moveBy(0, 1); break;
    case Qt::Key_Left: moveBy(-1, 0); break;
    case Qt::Key_Right: moveBy(1, 0); break;
    case Qt::Key_PageUp: moveBy(0, -std::max(1, VisibleRowCount())); break;
    case Qt::Key_PageDown: moveBy(0, std::max(1, VisibleRowCount())); break;
    case Qt::Key_Home:
        if (ctrl)
            FocusCell(col_, fixedRows_);
        else
            FocusCell(fixedCols_, row_);
        break;
    case Qt::Key_End:
        if (ctrl)
            FocusCell(col_, RowCount() - 1);
        else
            FocusCell(ColCount() - 1, row_);
        break;
    case Qt::Key_Tab:
        if (!(options_ & goTabs))
            return false;
        if (col_ < ColCount() - 1)
            FocusCell(col_ + 1, row_);
        else if (row_ < RowCount() - 1)
            FocusCell(fixedCols_, row_ + 1);
        break;
    case Qt::Key_Backtab:
        if (!(options_ & goTabs))
            return false;
        if (col_ > fixedCols_)
            FocusCell(col_ - 1, row_);
        else if (row_ > fixedRows_)
            FocusCell(ColCount() - 1, row_ - 1);
        break;
    case Qt::Key_F2:
        if (!(options_ & goEditing))
            return false;
        ShowEditor();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!(options_ & goEditing) || (options_ & goAlwaysShowEditor))
            return false;
        if (editorMode_)
            HideEditor();
        else
            ShowEditor();
        break;
    default: return false;
    }
    return true;
}

void TDrawGrid::keyPressEvent(QKeyEvent *e)
{
    if (GridKey(e)) {
        e->accept();
        return;
    }
    if (printable(e) && (options_ & goEditing) && !editorMode_) {
        ShowEditor();
        // The key typed starts the text anew.
        if (editorMode_ && editor_) {
            QApplication::sendEvent(editor_, e);
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(e);
}

bool TDrawGrid::event(QEvent *e)
{
    if (e->type() == QEvent::KeyPress && (options_ & goTabs)) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    if (e->type() == QEvent::WindowDeactivate)
        CancelMouseMode();
    return QAbstractScrollArea::event(e);
}

void TDrawGrid::sizingCol(const QPoint &p, int *col) const
{
    *col = -1;
    if (!(options_ & goColSizing) || fixedRows_ == 0 || p.y() >= fixedExtent(rowHeights_, fixedRows_, hLine()))
        return;
    for (int c = 0; c < ColCount(); ++c) {
        const QRect r = CellRect(c, 0);
        if (r.isEmpty())
            continue;
        if (std::abs(p.x() - (r.right() + 1)) <= kSizingSlack) {
            *col = c;
            return;
        }
    }
}

void TDrawGrid::sizingRow(const QPoint &p, int *row) const
{
    *row = -1;
    if (!(options_ & goRowSizing) || fixedCols_ == 0 || p.x() >= fixedExtent(colWidths_, fixedCols_, vLine()))
        return;
    for (int r = 0; r < RowCount(); ++r) {
        const QRect cell = CellRect(0, r);
        if (cell.isEmpty())
            continue;
        if (std::abs(p.y() - (cell.bottom() + 1)) <= kSizingSlack) {
            *row = r;
            return;
        }
    }
}

bool TDrawGrid::InSizingZone(const QPoint &p) const
{
    int c, r;
    sizingCol(p, &c);
    sizingRow(p, &r);
    return c >= 0 || r >= 0;
}

void TDrawGrid::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(e);
    const QPoint p = e->position().toPoint();
    int c, r;
    sizingCol(p, &c);
    sizingRow(p, &r);
    if (c >= 0) {
        sizingCol_ = c;
        sizingStart_ = p.x();
        sizingOrigin_ = colWidths_[c];
        return;
    }
    if (r >= 0) {
        sizingRow_ = r;
        sizingStart_ = p.y();
        sizingOrigin_ = rowHeights_[r];
        return;
    }
    if (!MouseToCell(p, c, r) || c < fixedCols_ || r < fixedRows_)
        return;
    if (c == col_ && r == row_) {
        if ((options_ & goEditing) && !editorMode_)
            ShowEditor();
        return;
    }
    FocusCell(c, r);
}

void TDrawGrid::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (sizingCol_ >= 0) {
        const int col = sizingCol_;
        SetColWidths(col, sizingOrigin_ + p.x() - sizingStart_);
        sizingCol_ = col; // the change cancels mouse modes; this one goes on
        return;
    }
    if (sizingRow_ >= 0) {
        const int row = sizingRow_;
        SetRowHeights(row, sizingOrigin_ + p.y() - sizingStart_);
        sizingRow_ = row;
        return;
    }
    int c, r;
    sizingCol(p, &c);
    sizingRow(p, &r);
    if (c >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (r >= 0)
        viewport()->setCursor(Qt::SplitVCursor);
    else
        viewport()->unsetCursor();
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        sizingCol_ = sizingRow_ = -1;
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void TDrawGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    mousePressEvent(e);
}

void TDrawGrid::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
    placeEditor();
}

void TDrawGrid::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    InvalidateCell(col_, row_);
    if ((options_ & goAlwaysShowEditor) && (options_ & goEditing) && !editorMode_)
        ShowEditor();
}

void TDrawGrid::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    InvalidateCell(col_, row_);
    CancelMouseMode();
}

void TDrawGrid::paintEvent(QPaintEvent *e)
{
    QPainter p(viewport());
    const QPalette pal = palette();
    const QRect area = viewport()->rect();
    p.fillRect(e->rect(), pal.color(QPalette::Base));
    const bool focused = hasFocus() || (editor_ && editor_->hasFocus());
    QList<int> rows, cols;
    for (int r = 0; r < RowCount(); ++r)
        if (r < fixedRows_ || r >= topRow_)
            rows << r;
    for (int c = 0; c < ColCount(); ++c)
        if ((c < fixedCols_ || c >= leftCol_) && colLeft(c) < area.width())
            cols << c;
    for (int r : rows) {
        const int y = rowTop(r);
        if (y >= area.height())
            break;
        for (int c : cols) {
            const QRect rect(colLeft(c), y, colWidths_[c], rowHeights_[r]);
            if (!rect.intersects(e->rect().adjusted(-1, -1, 1, 1)))
                continue;
            const bool fixed = c < fixedCols_ || r < fixedRows_;
            TGridDrawState state = 0;
            if (fixed)
                state |= gdFixed;
            else if (r == row_ && (c == col_ || (options_ & goRowSelect))) {
                state |= gdSelected;
                if (focused)
                    state |= gdFocused;
            }
            p.save();
            p.setClipRect(rect);
            if (fixed) {
                drawFace(p, rect, pal, FixedCellPressed(c, r));
                p.setPen(pal.color(QPalette::ButtonText));
            } else if ((state & gdSelected)
                       && (!(state & gdFocused) || (options_ & (goDrawFocusSelected | goRowSelect)))) {
                p.fillRect(rect, pal.color(QPalette::Highlight));
                p.setPen(pal.color(QPalette::HighlightedText));
            } else {
                p.setPen(pal.color(QPalette::Text));
            }
            DrawCell(c, r, p, rect, state);
            p.restore();
            if ((state & gdFocused) && c == col_ && !editorMode_ && !(options_ & goRowSelect)) {
                p.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
                p.setBrush(Qt::NoBrush);
                p.drawRect(rect.adjusted(0, 0, -1, -1));
            }
            // The lines on the right and below the cell.
            const bool vertical = options_ & (fixed ? goFixedVertLine : goVertLine);
            const bool horizontal = options_ & (fixed ? goFixedHorzLine : goHorzLine);
            const QColor line = pal.color(fixed ? QPalette::Shadow : QPalette::Mid);
            if (vertical && vLine())
                p.fillRect(QRect(rect.right() + 1, rect.top(), vLine(), rect.height() + hLine()), line);
            if (horizontal && hLine())
                p.fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width() + vLine(), hLine()), line);
        }
    }
}

// --- TPopupListbox

TPopupListbox::TPopupListbox(TQvInplaceEdit *editor) : QListWidget(editor), editor_(editor)
{
    setWindowFlags(Qt::Popup);
    setObjectName(QStringLiteral("PickList"));
    setUniformItemSizes(true);
    // A press that closes the list does no more: no reopening it from the editor's button.
    setAttribute(Qt::WA_NoMouseReplay);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int TPopupListbox::ItemHeight() const
{
    const int h = count() > 0 ? sizeHintForRow(0) : -1;
    return h > 0 ? h : fontMetrics().height();
}

void TPopupListbox::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && (e->modifiers() & Qt::AltModifier)) {
        editor_->CloseUp(true);
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: editor_->CloseUp(true); return;
    case Qt::Key_Escape:
        searchText_.clear();
        editor_->CloseUp(false);
        return;
    case Qt::Key_Backspace: searchText_.clear(); return;
    default: break;
    }
    if (printable(e)) {
        const qint64 now = TickCount();
        if (now - lastKey_ > kSearchPause)
            searchText_.clear();
        lastKey_ = now;
        if (searchText_.size() < kMaxSearch)
            searchText_ += e->text().left(kMaxSearch - searchText_.size());
        for (int i = 0; i < count(); ++i)
            if (item(i)->text().startsWith(searchText_, Qt::CaseInsensitive)) {
                setCurrentRow(i);
                break;
            }
        e->accept();
        return;
    }
    QListWidget::keyPressEvent(e);
}

bool TPopupListbox::event(QEvent *e)
{
    // A pop-up gets the presses and releases outside it itself, where a scroll area would drop them.
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: mousePressEvent(static_cast<QMouseEvent *>(e)); return true;
    case QEvent::MouseButtonRelease: mouseReleaseEvent(static_cast<QMouseEvent *>(e)); return true;
    default: return QListWidget::event(e);
    }
}

void TPopupListbox::mousePressEvent(QMouseEvent *e)
{
    const QRect global(mapToGlobal(QPoint(0, 0)), size());
    if (!global.contains(e->globalPosition().toPoint())) {
        editor_->CloseUp(false);
        return;
    }
    pressedInside_ = true;
    QListWidget::mousePressEvent(e);
}

void TPopupListbox::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint global = e->globalPosition().toPoint();
    const bool wasInside = pressedInside_;
    pressedInside_ = false;
    if (QRect(mapToGlobal(QPoint(0, 0)), size()).contains(global)) {
        QListWidgetItem *under = itemAt(viewport()->mapFromGlobal(global));
        if (under) {
            setCurrentItem(under);
            editor_->CloseUp(true);
            return;
        }
    } else if (wasInside) {
        editor_->CloseUp(false);
        return;
    }
    QListWidget::mouseReleaseEvent(e);
}

void TPopupListbox::hideEvent(QHideEvent *e)
{
    QListWidget::hideEvent(e);
    // Closed by a press elsewhere.
    if (editor_->ListVisible())
        editor_->CloseUp(false);
}

// --- TQvInplaceEdit

TQvInplaceEdit::TQvInplaceEdit(TQvDrawGrid *grid)
    : TInplaceEdit(grid), qvGrid_(grid), button_(new EditButtonArea(this))
{
    button_->hide();
}

TQvInplaceEdit::~TQvInplaceEdit()
{
    listVisible_ = false;
    delete pickList_;
}

int TQvInplaceEdit::ButtonWidth() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void TQvInplaceEdit::SetEditStyle(TEditStyle style)
{
    if (style != esPickList)
        CloseUp(false);
    editStyle_ = style;
    button_->setVisible(style != esSimple);
    setTextMargins(0, 0, style != esSimple ? ButtonWidth() : 0, 0);
    button_->setGeometry(width() - ButtonWidth(), 0, ButtonWidth(), height());
    button_->update();
}

void TQvInplaceEdit::resizeEvent(QResizeEvent *e)
{
    TInplaceEdit::resizeEvent(e);
    button_->setGeometry(width() - ButtonWidth(), 0, ButtonWidth(), height());
}

void TQvInplaceEdit::UpdateContents()
{
    CloseUp(false);
    const int col = Grid()->Col(), row = Grid()->Row();
    SetEditStyle(qvGrid_->GetEditStyle(col, row));
    setAlignment(HorizontalAlignment(qvGrid_->GetEditAlign(col, row)) | Qt::AlignVCenter);
    TInplaceEdit::UpdateContents();
}

void TQvInplaceEdit::DropDown()
{
    if (editStyle_ != esPickList || listVisible_)
        return;
    if (!pickList_)
        pickList_ = new TPopupListbox(this);
    pickList_->clear();
    pickList_->ClearSearch();
    pickList_->addItems(qvGrid_->GetPicklist(Grid()->Col(), Grid()->Row()));
    pickList_->setFont(Grid()->font());
    pickList_->setPalette(Grid()->palette());
    const QSize size(width(), std::min(pickList_->count(), kMaxListRows) * pickList_->ItemHeight() + 4);
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + size.height() > area.bottom() + 1)
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
    }
    pickList_->setGeometry(QRect(at, size));
    listVisible_ = true;
    pickList_->show();
    pickList_->setFocus(Qt::PopupFocusReason);
    // After the focus came: a list taking the focus picks its first item itself.
    const auto found = pickList_->findItems(text(), Qt::MatchFixedString);
    pickList_->clearSelection();
    pickList_->setCurrentItem(found.isEmpty() ? nullptr : found.first());
}

void TQvInplaceEdit::CloseUp(bool accept)
{
    if (!listVisible_ || !pickList_)
        return;
    listVisible_ = false;
    QListWidgetItem *chosen = pickList_->currentItem();
    const QString value = chosen ? chosen->text() : QString();
    pickList_->hide();
    static_cast<EditButtonArea *>(button_)->pressed = false;
    button_->update();
    if (accept && chosen && !isReadOnly()) {
        setText(value);
        setModified(true);
        selectAll();
    }
    if (isVisible())
        setFocus(Qt::OtherFocusReason);
}

void TQvInplaceEdit::ButtonPressed()
{
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (editStyle_ != esPickList)
        return;
    if (listVisible_)
        CloseUp(false);
    else
        DropDown();
}

void TQvInplaceEdit::ButtonReleased(bool over)
{
    if (editStyle_ == esEllipsis && over)
        qvGrid_->EditButtonClick();
}

void TQvInplaceEdit::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    const bool alt = e->modifiers() & Qt::AltModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (editStyle_ == esPickList && alt && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        if (listVisible_)
            CloseUp(true);
        else
            DropDown();
        e->accept();
        return;
    }
    if (editStyle_ == esEllipsis && ctrl && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        e->accept();
        qvGrid_->EditButtonClick();
        return;
    }
    if (key == Qt::Key_Escape && !ctrl && Grid()->EditorMode() && !(Grid()->Options() & goAlwaysShowEditor)) {
        e->accept();
        qvGrid_->CancelEdit();
        return;
    }
    TInplaceEdit::keyPressEvent(e);
}

// --- TQvDrawGrid

TQvDrawGrid::TQvDrawGrid(QWidget *parent) : TDrawGrid(parent)
{
    SetDefaultRowHeight(18);
    SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected | goColSizing);
    link_.OnSave = [this] { saveLayout(); };
    link_.OnLoad = [this] { loadLayout(); };
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        auto inside = [this](QWidget *w) {
            if (!w)
                return false;
            if (w == this || isAncestorOf(w))
                return true;
            auto *editor = qobject_cast<TQvInplaceEdit *>(InplaceEditor());
            return editor && editor->PickList() && (w == editor->PickList() || editor->PickList()->isAncestorOf(w));
        };
        if (inside(old) != inside(now) && OnChangeFocus)
            OnChangeFocus(this);
    });
}

TQvDrawGrid::~TQvDrawGrid()
{
    disconnect(focusWatch_);
    DestroyEditor();
    link_.SetPlacement(nullptr);
}

void TQvDrawGrid::SetFixedButtons(bool on)
{
    fixedButtons_ = on;
    if (!on)
        releasePressed();
}

TInplaceEdit *TQvDrawGrid::CreateEditor()
{
    return new TQvInplaceEdit(this);
}

bool TQvDrawGrid::CanEditShow()
{
    bool allow = TDrawGrid::CanEditShow();
    if (allow && OnShowEditor)
        OnShowEditor(this, Col(), Row(), allow);
    return allow;
}

bool TQvDrawGrid::CanEditAcceptKey(QChar key)
{
    bool accept = TDrawGrid::CanEditAcceptKey(key);
    if (OnAcceptEditKey)
        OnAcceptEditKey(this, key, accept);
    return accept;
}

int TQvDrawGrid::GetEditLimit()
{
    int limit = TDrawGrid::GetEditLimit();
    if (OnGetEditLimit)
        OnGetEditLimit(this, limit);
    return limit;
}

TAlignment TQvDrawGrid::GetEditAlign(int col, int row)
{
    TAlignment alignment = taLeftJustify;
    if (OnGetEditAlign)
        OnGetEditAlign(this, col, row, alignment);
    return alignment;
}

TEditStyle TQvDrawGrid::GetEditStyle(int col, int row)
{
    TEditStyle style = esSimple;
    if (OnGetEditStyle)
        OnGetEditStyle(this, col, row, style);
    return style;
}

QStringList TQvDrawGrid::GetPicklist(int col, int row)
{
    QStringList list;
    if (OnGetPicklist)
        OnGetPicklist(this, col, row, list);
    return list;
}

void TQvDrawGrid::EditButtonClick()
{
    if (OnEditButtonClick)
        OnEditButtonClick(this);
}

void TQvDrawGrid::CancelEdit()
{
    DiscardEditor();
    if (OnCancelEdit)
        OnCancelEdit(this);
}

void TQvDrawGrid::EditChanged()
{
    if (OnEditChange)
        OnEditChange(this);
}

bool TQvDrawGrid::FixedCellPressed(int col, int row) const
{
    return pressedDown_ && pressedCell_ == QPoint(col, row);
}

bool TQvDrawGrid::isButtonCell(int col, int row)
{
    if (!fixedButtons_ || col < 0 || row < 0 || (col >= FixedCols() && row >= FixedRows()))
        return false;
    bool enabled = true;
    if (OnCheckButton)
        OnCheckButton(this, col, row, enabled);
    return enabled;
}

void TQvDrawGrid::releasePressed()
{
    if (pressedCell_.x() >= 0)
        InvalidateCell(pressedCell_.x(), pressedCell_.y());
    pressedCell_ = QPoint(-1, -1);
    pressedDown_ = false;
    tracking_ = false;
}

void TQvDrawGrid::CancelMouseMode()
{
    TDrawGrid::CancelMouseMode();
    releasePressed();
}

void TQvDrawGrid::TopLeftChanged()
{
    releasePressed();
    TDrawGrid::TopLeftChanged();
}

void TQvDrawGrid::ColWidthsChanged()
{
    TDrawGrid::ColWidthsChanged();
    if (OnColumnSized)
        OnColumnSized(this);
}

void TQvDrawGrid::RowHeightsChanged()
{
    TDrawGrid::RowHeightsChanged();
    if (OnRowSized)
        OnRowSized(this);
}

void TQvDrawGrid::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    int c, r;
    if (fixedButtons_ && e->button() == Qt::LeftButton && !InSizingZone(p) && MouseToCell(p, c, r)
        && isButtonCell(c, r)) {
        releasePressed();
        pressedCell_ = QPoint(c, r);
        pressedDown_ = true;
        tracking_ = true;
        InvalidateCell(c, r);
        return;
    }
    TDrawGrid::mousePressEvent(e);
}

void TQvDrawGrid::mouseMoveEvent(QMouseEvent *e)
{
    if (!tracking_)
        return TDrawGrid::mouseMoveEvent(e);
    int c, r;
    const bool over = MouseToCell(e->position().toPoint(), c, r) && QPoint(c, r) == pressedCell_;
    if (over != pressedDown_) {
        pressedDown_ = over;
        InvalidateCell(pressedCell_.x(), pressedCell_.y());
    }
}

void TQvDrawGrid::mouseReleaseEvent(QMouseEvent *e)
{
    if (!tracking_ || e->button() != Qt::LeftButton)
        return TDrawGrid::mouseReleaseEvent(e);
    int c, r;
    const QPoint cell = pressedCell_;
    const bool over = MouseToCell(e->position().toPoint(), c, r) && QPoint(c, r) == cell;
    releasePressed();
    if (over && OnFixedCellClick)
        OnFixedCellClick(this, cell.x(), cell.y());
}

void TQvDrawGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    // A second press, nothing more.
    mousePressEvent(e);
}

void TQvDrawGrid::saveLayout()
{
    QList<int> widths;
    for (int c = 0; c < ColCount(); ++c)
        widths << ColWidths(c);
    WriteIntList(link_.IniObj(), link_.RootSection() + objectName(), widths);
}

void TQvDrawGrid::loadLayout()
{
    QList<int> widths;
    for (int c = 0; c < ColCount(); ++c)
        widths << ColWidths(c);
    ReadIntList(link_.IniObj(), link_.RootSection() + objectName(), widths);
    // A stored width that makes no sense leaves the column as it is.
    for (int c = 0; c < widths.size(); ++c)
        if (widths[c] >= 0 && widths[c] <= 10000)
            SetColWidths(c, widths[c]);
}

} // namespace qv
