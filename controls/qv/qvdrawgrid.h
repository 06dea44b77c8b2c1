#pragma once
// A grid of owner-drawn cells with fixed rows and columns, scrolling, keyboard and mouse selection, column
// and row sizing and an editor shown over the current cell; and its extension whose fixed cells act as
// push buttons, whose editor can carry an ellipsis button or a drop-down pick list, and whose column
// widths are kept with a form placement.
#include "controls/qv/qvplacement.h"
#include "controls/qv/qvtypes.h"
#include "platform/form.h"

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <functional>

class QPainter;

namespace qv {

enum TGridOption : unsigned {
    goFixedVertLine = 0x1,
    goFixedHorzLine = 0x2,
    goVertLine = 0x4,
    goHorzLine = 0x8,
    goDrawFocusSelected = 0x20,
    goRowSizing = 0x40,
    goColSizing = 0x80,
    goEditing = 0x400,
    goTabs = 0x800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
};
using TGridOptions = unsigned;
enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

using TDrawCellEvent =
    std::function<void(QObject *sender, int col, int row, QPainter &painter, const QRect &rect, TGridDrawState state)>;
using TSelectCellEvent = std::function<void(QObject *sender, int col, int row, bool &canSelect)>;
using TGetEditEvent = std::function<void(QObject *sender, int col, int row, QString &value)>;
using TSetEditEvent = std::function<void(QObject *sender, int col, int row, const QString &value)>;

class TDrawGrid;

// The editor over the current cell. Moving keys go to the grid.
class TInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TDrawGrid *grid);
    TDrawGrid *Grid() const { return grid_; }
    // Takes the current cell's text, limit and place.
    virtual void UpdateContents();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    TDrawGrid *grid_;
};

class TDrawGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TDrawGrid(QWidget *parent = nullptr);
    ~TDrawGrid() override;

    int ColCount() const { return colWidths_.size(); }
    void SetColCount(int count);
    int RowCount() const { return rowHeights_.size(); }
    void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);
    int DefaultColWidth() const { return defaultColWidth_; }
    // Every column takes the new width.
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions options);

    int Col() const { return col_; }
    void SetCol(int col) { FocusCell(col, row_); }
    int Row() const { return row_; }
    void SetRow(int row) { FocusCell(col_, row); }
    // Makes the cell current when it can be selected, and scrolls it into view.
    void FocusCell(int col, int row);
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int col);
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    // Scrollable columns and rows wholly in view.
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // In viewport coordinates; empty when the cell is out of view.
    QRect CellRect(int col, int row) const;
    // The cell under a viewport point; false when there is none.
    bool MouseToCell(const QPoint &p, int &col, int &row) const;

    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool on);
    void ShowEditor();
    // Hides the editor, keeping its text in the cell.
    void HideEditor();
    TInplaceEdit *InplaceEditor() const { return editor_; }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;
    platform::TNotifyEvent OnTopLeftChanged;

    virtual bool CanEditAcceptKey(QChar key);
    virtual int GetEditLimit();
    virtual QString GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const QString &value);
    // A key the grid or its editor received; true when the grid used it.
    virtual bool GridKey(QKeyEvent *e);

protected:
    virtual TInplaceEdit *CreateEditor();
    virtual bool CanEditShow();
    virtual void DrawCell(int col, int row, QPainter &painter, const QRect &rect, TGridDrawState state);
    // The face of a fixed cell before it is drawn: raised, or sunken when pressed.
    virtual bool FixedCellPressed(int col, int row) const { return false; }
    virtual bool SelectCell(int col, int row);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void TopLeftChanged();
    // The editor's text changed.
    virtual void EditChanged() {}
    // A mouse action was broken off (focus lost, window left, layout changed).
    virtual void CancelMouseMode();
    // Hides the editor without keeping its text.
    void DiscardEditor();
    // Destructors take the editor away while the grid is whole.
    void DestroyEditor();
    void InvalidateCell(int col, int row);
    bool InSizingZone(const QPoint &p) const;

    void paintEvent(QPaintEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent *e) override;

private:
    friend class TInplaceEdit;
    int vLine() const;
    int hLine() const;
    int colLeft(int col) const;
    int rowTop(int row) const;
    int maxLeftCol() const;
    int maxTopRow() const;
    void updateScrollBars();
    // Scroll bars, editor and picture after a change of sizes or counts.
    void layoutChanged();
    void scrollIntoView(int col, int row);
    void placeEditor();
    void moveBy(int dCol, int dRow);
    void sizingCol(const QPoint &p, int *col) const;
    void sizingRow(const QPoint &p, int *row) const;

    QList<int> colWidths_;
    QList<int> rowHeights_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;
    int col_ = 1;
    int row_ = 1;
    int leftCol_ = 1;
    int topRow_ = 1;
    bool editorMode_ = false;
    TInplaceEdit *editor_ = nullptr;
    bool syncingBars_ = false;
    // Column or row sizing by the mouse.
    int sizingCol_ = -1;
    int sizingRow_ = -1;
    int sizingStart_ = 0;
    int sizingOrigin_ = 0;
};

enum TEditStyle { esSimple, esEllipsis, esPickList };

using TAcceptKeyEvent = std::function<void(QObject *sender, QChar key, bool &accept)>;
using TEditLimitEvent = std::function<void(QObject *sender, int &limit)>;
using TEditShowEvent = std::function<void(QObject *sender, int col, int row, bool &allow)>;
using TFixedCellClickEvent = std::function<void(QObject *sender, int col, int row)>;
using TFixedCellCheckEvent = std::function<void(QObject *sender, int col, int row, bool &enabled)>;
using TEditAlignEvent = std::function<void(QObject *sender, int col, int row, TAlignment &alignment)>;
using TEditStyleEvent = std::function<void(QObject *sender, int col, int row, TEditStyle &style)>;
using TPicklistEvent = std::function<void(QObject *sender, int col, int row, QStringList &picklist)>;

class TQvInplaceEdit;

// The pick list: a pop-up list that selects its items by typed text.
class TPopupListbox : public QListWidget {
    Q_OBJECT
public:
    explicit TPopupListbox(TQvInplaceEdit *editor);
    int ItemHeight() const;
    QString SearchText() const { return searchText_; }
    void ClearSearch() { searchText_.clear(); }

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    TQvInplaceEdit *editor_;
    QString searchText_;
    qint64 lastKey_ = 0;
    bool pressedInside_ = false;
};

class TQvDrawGrid;

class TQvInplaceEdit : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TQvInplaceEdit(TQvDrawGrid *grid);
    ~TQvInplaceEdit() override;

    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle style);
    // The system's vertical scroll bar width.
    int ButtonWidth() const;
    QWidget *Button() const { return button_; }
    bool ListVisible() const { return listVisible_; }
    TPopupListbox *PickList() const { return pickList_; }
    // Opens the pick list under the editor, filled for the current cell with the text selected.
    void DropDown();
    // Closes it, taking the selected item when accepted.
    void CloseUp(bool accept);
    void UpdateContents() override;
    // What the button does when pressed and released over it.
    void ButtonPressed();
    void ButtonReleased(bool over);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    TQvDrawGrid *qvGrid_;
    TEditStyle editStyle_ = esSimple;
    QWidget *button_;
    TPopupListbox *pickList_ = nullptr;
    bool listVisible_ = false;
};

class TQvDrawGrid : public TDrawGrid {
    Q_OBJECT
public:
    explicit TQvDrawGrid(QWidget *parent = nullptr);
    ~TQvDrawGrid() override;

    bool FixedButtons() const { return fixedButtons_; }
    void SetFixedButtons(bool on);
    // Column widths are written and read with the placement, under its section and the grid's name.
    TFormPlacement *IniStorage() const { return link_.Placement(); }
    void SetIniStorage(TFormPlacement *placement) { link_.SetPlacement(placement); }
    // The fixed cell drawn pressed, (-1, -1) when none.
    QPoint PressedCell() const { return pressedDown_ ? pressedCell_ : QPoint(-1, -1); }

    TAcceptKeyEvent OnAcceptEditKey;
    platform::TNotifyEvent OnCancelEdit;
    TFixedCellCheckEvent OnCheckButton;
    platform::TNotifyEvent OnChangeFocus;
    TFixedCellClickEvent OnFixedCellClick;
    platform::TNotifyEvent OnColumnSized;
    platform::TNotifyEvent OnRowSized;
    TEditLimitEvent OnGetEditLimit;
    platform::TNotifyEvent OnEditChange;
    TEditShowEvent OnShowEditor;
    TEditAlignEvent OnGetEditAlign;
    TEditStyleEvent OnGetEditStyle;
    TPicklistEvent OnGetPicklist;
    platform::TNotifyEvent OnEditButtonClick;

    bool CanEditAcceptKey(QChar key) override;
    int GetEditLimit() override;
    TAlignment GetEditAlign(int col, int row);
    TEditStyle GetEditStyle(int col, int row);
    QStringList GetPicklist(int col, int row);
    void EditButtonClick();
    // Escape: the editor goes without keeping its text.
    void CancelEdit();

protected:
    TInplaceEdit *CreateEditor() override;
    bool CanEditShow() override;
    bool FixedCellPressed(int col, int row) const override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void TopLeftChanged() override;
    void EditChanged() override;
    void CancelMouseMode() override;

    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    bool isButtonCell(int col, int row);
    void releasePressed();
    void saveLayout();
    void loadLayout();

    bool fixedButtons_ = false;
    QPoint pressedCell_{-1, -1};
    bool pressedDown_ = false;
    bool tracking_ = false;
    TIniLink link_;
    QMetaObject::Connection focusWatch_;
};

} // namespace qv
