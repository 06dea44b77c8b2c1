#pragma once
// The customise window of a speed bar: the bar's sections on the left, the items of the chosen section
// on the right, dragged from there onto the bar; and the small window that shows a button's face under
// the mouse while it is dragged.
#include "controls/qv/qvspeedbutton.h"
#include "platform/form.h"

#include <QEvent>
#include <QListWidget>
#include <QPointer>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace speedbar {

class TSpeedBar;
class TSpeedItem;

// What the bar tells its customise window (the private message 0xB050).
enum TSetupNotice { snDropped = 0, snBarGoing = 1, snMoved = 2, snSizesChanged = 3 };

class TSetupNoticeEvent : public QEvent {
public:
    static constexpr int Type = 0xB050;
    TSetupNoticeEvent(int code, QObject *subject) : QEvent(QEvent::Type(Type)), code(code), subject(subject) {}
    int code;
    QObject *subject;
};

// A button's face that follows the mouse: a pop-up that never takes the mouse or the focus.
class TBtnControl : public QWidget {
    Q_OBJECT
public:
    TBtnControl();
    ~TBtnControl() override;
    // Takes the item's glyph, caption and looks, and the bar's button size.
    void InitData(TSpeedItem *item);
    qv::TButtonImage &Image() { return image_; }
    // Shows the face with its top-left corner at a screen point, above other windows.
    void Activate(QPoint topLeft);

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    qv::TButtonImage image_;
};

// A one-column list of owner-drawn rows of one height.
class TSetupGrid : public QListWidget {
    Q_OBJECT
public:
    explicit TSetupGrid(QWidget *parent = nullptr);
    int RowCount() const { return count(); }
    void SetRowCount(int rows);
    int RowHeight() const { return rowHeight_; }
    void SetRowHeight(int height);
    int Row() const { return currentRow(); }
    // The row under a point of the viewport (-1 for none).
    int RowAt(QPoint point) const;
    void SetClientHeight(int height);
    int ClientHeight() const { return viewport()->height(); }

    std::function<void(QPainter &painter, const QRect &rect, int row, bool selected)> OnDrawCell;
    std::function<void(int row)> OnSelectCell;
    qv::TMouseEvent OnMouseDown;
    qv::TMouseMoveEvent OnMouseMove;
    qv::TMouseEvent OnMouseUp;
    // While it holds, a moving mouse does not change the selected row.
    std::function<bool()> HoldsRow;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;

private:
    int rowHeight_ = 16;
};

class TSpeedbarSetupWindow : public platform::FormOf<QWidget> {
    Q_OBJECT
public:
    explicit TSpeedbarSetupWindow(QWidget *parent = nullptr);
    ~TSpeedbarSetupWindow() override;

    TSetupGrid *ButtonsList;
    QLabel *ButtonsLabel;
    TSetupGrid *SectionList;
    QLabel *CategoriesLabel;
    QFrame *Bevel1;
    QLabel *HintLabel;
    QPushButton *CloseBtn;
    QPushButton *HelpBtn;

    TSpeedBar *SpeedBar() const { return bar_; }
    // The previous bar stops customising, the new one starts; the lists are filled anew.
    void SetSpeedBar(TSpeedBar *bar);
    int HelpContext() const { return helpContext_; }
    // A context of 1 and more shows the help button.
    void SetHelpContext(int context);
    // The item of the current row of ButtonsList.
    TSpeedItem *CurrentItem() const;
    TSpeedItem *ItemAt(int row) const;
    TBtnControl *DragImage() const { return dragImage_; }
    // The list sizes for the bar's button size.
    void ComputeSizes();
    // Where the help button sends the window's help context.
    static std::function<void(int)> &ApplicationHelp();

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void fillSections(int keep);
    void fillButtons();
    void sectionListDrawCell(QPainter &p, const QRect &rect, int row, bool selected);
    void buttonsListDrawCell(QPainter &p, const QRect &rect, int row, bool selected);
    void buttonsListMouseDown(Qt::MouseButton button, int x, int y);
    void buttonsListMouseMove(int x, int y);
    void buttonsListMouseUp(Qt::MouseButton button, int x, int y);
    void formClose();
    void freeDragImage();
    void layoutControls();

    QPointer<TSpeedBar> bar_;
    int helpContext_ = 0;
    TBtnControl *dragImage_ = nullptr;
    qv::TButtonImage image_;
    bool mouseDown_ = false;
    QPointer<TSpeedItem> dragItem_;
};

} // namespace speedbar
