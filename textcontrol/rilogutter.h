#pragma once
// Line numbers and ten bookmarks beside a memo; adds Ctrl+Shift+digit (set or clear a bookmark on the
// caret's line) and Ctrl+digit (go to a bookmark) to the memo.
#include "platform/controldrag.h"
#include "textcontrol/controlevents.h"
#include "textcontrol/memocore.h"
#include "textcontrol/palettecolor.h"

#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

namespace textcontrol {

class TRiloMemo;

class TRiloGutter : public QWidget, public platform::ControlDragMembers {
    Q_OBJECT

public:
    explicit TRiloGutter(QWidget *parent = nullptr);
    ~TRiloGutter() override;

    TRiloMemo *Memo() const { return memo_; }
    void SetMemo(TRiloMemo *memo);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    bool Bookmarks() const { return bookmarks_; }
    void SetBookmarks(bool v) { bookmarks_ = v; }
    bool LineNumbers() const { return lineNumbers_; }
    void SetLineNumbers(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor c); // also ends ParentColor
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    // Sets, moves or toggles off bookmark n (0-9) on a display line; true when something changed.
    virtual bool SetBookmark(int line, int n);
    int BookmarkAtLine(int line) const;
    // Display line of bookmark n, or -1.
    int BookmarkLine(int n) const;
    const QPixmap &Icons() const { return icons_; }
    // Mouse, drag and pop-up menu of the gutter itself (coordinates are the gutter's).
    TObjectNotify OnClick, OnDblClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    QMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu *menu) { popupMenu_ = menu; }

    // As wide as the largest line number needs, and never narrower than the width it was given.
    QSize sizeHint() const override { return QSize(fitted_, 50); }

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void Detach();
    void MemoScrolled();
    void MemoChanged();
    void FreeBookmarks();
    int NeededWidth() const;
    void Fit();

    QPointer<TRiloMemo> memo_;
    TAlignment alignment_ = TAlignment::taCenter;
    bool bookmarks_ = true, lineNumbers_ = true, parentColor_ = true;
    TColor color_ = clWindow;
    std::array<std::unique_ptr<TRiloNavigator>, 10> marks_;
    std::array<int, 10> markLines_;
    int lineCount_ = -1;
    int topPixel_ = 0;
    QPixmap icons_;
    int written_ = 30, fitted_ = 30; // the width given from outside; the width it has
    bool fitting_ = false;
    bool pressed_ = false;  // the left button went down here: its release inside is a click
    bool memoFirst_ = false; // a bookmark key on its way to the memo before the gutter acts on it
    QPointer<QMenu> popupMenu_;
    QMetaObject::Connection scrolled_, changed_, fontChanged_, destroyed_, counted_;
};

} // namespace textcontrol
