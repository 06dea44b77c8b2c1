#pragma once
// The extended tree view: an item view over the node collection with per-node colours and fonts, check
// boxes and radio buttons, multi-selection (mouse, keyboard, rubber band), a delayed change event, drag
// and drop inside the tree with auto-scroll and auto-expand, popup menus and help asked per node, and
// loading and saving of the whole tree.
#include "zozezonode.h"

#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <functional>

class QIODevice;
class QPainter;

namespace tree {

class TZozeZOModel;
class TZozeZODelegate;

enum THitTest : quint32 {
    htAbove = 1u << 0,
    htBelow = 1u << 1,
    htNowhere = 1u << 2,
    htOnItem = 1u << 3,
    htOnButton = 1u << 4,
    htOnIcon = 1u << 5,
    htOnIndent = 1u << 6,
    htOnLabel = 1u << 7,
    htOnRight = 1u << 8,
    htOnStateIcon = 1u << 9,
    htToLeft = 1u << 10,
    htToRight = 1u << 11,
};
Q_DECLARE_FLAGS(THitTests, THitTest)
Q_DECLARE_OPERATORS_FOR_FLAGS(THitTests)

enum TNodeState : quint32 {
    nsSelected = 1u << 0,
    nsGrayed = 1u << 1,
    nsDisabled = 1u << 2,
    nsFocused = 1u << 3,
    nsHot = 1u << 4,
    nsMarked = 1u << 5,
    nsIndeterminate = 1u << 6,
    nsChecked = 1u << 7,
};
Q_DECLARE_FLAGS(TNodeStates, TNodeState)
Q_DECLARE_OPERATORS_FOR_FLAGS(TNodeStates)

enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// Where the parts of an item lie in the view.
struct ItemLayout {
    QRect state;
    QRect icon;
    QRect label;
};

class TCustomZozeZO;
using TNotifyEvent = std::function<void(TCustomZozeZO *)>;
using TTVChangingEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, bool &AllowChange)>;
using TTVChangedEvent = std::function<void(TCustomZozeZO *, TZozeZONode *)>;
using TTVEditingEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, bool &AllowEdit)>;
using TTVEditedEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, QString &S)>;
using TTVExpandingEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, bool &AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, bool &AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TCustomZozeZO *, TZozeZONode *)>;
using TTVHintEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, QString &NewText)>;
using TTVCompareEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, TZozeZONode *, qintptr Data, int &Compare)>;
using TTVPaintEvent = std::function<void(TCustomZozeZO *)>;
using TTVBeforeItemPaintEvent =
    std::function<void(TCustomZozeZO *, TZozeZONode *, const QRect &ItemRect, TNodeStates, bool &OwnerDraw)>;
using TTVAfterItemPaintEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, const QRect &ItemRect, TNodeStates)>;
using TTVSingleExpandingEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, bool &AutoCollapse)>;
using TTVCreateNodeEvent = std::function<void(TCustomZozeZO *, TZozeZONodeClass &NodeClass)>;
using TTVCheckingEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, bool &AllowCheck)>;
using TTVCheckedEvent = std::function<void(TCustomZozeZO *, TZozeZONode *)>;
using TTVPopupEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, bool &AskParent, QMenu *&PopupMenu)>;
using TTVHelpContextEvent = std::function<void(TCustomZozeZO *, TZozeZONode *, int &HelpContext)>;
using TTVDeletionEvent = std::function<void(TZozeZONodes *, TZozeZONode *)>;
using TTVLoadErrorEvent = std::function<void(TCustomZozeZO *, int LineNumber, bool &RaiseError)>;
using TKeyEvent = std::function<void(TCustomZozeZO *, int &Key, Qt::KeyboardModifiers Shift)>;
using TKeyPressEvent = std::function<void(TCustomZozeZO *, QChar &Key)>;
using TMouseEvent = std::function<void(TCustomZozeZO *, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TCustomZozeZO *, Qt::KeyboardModifiers, int X, int Y)>;
using TStartDragEvent = std::function<void(TCustomZozeZO *, QObject *&DragObject)>;
using TDragOverEvent =
    std::function<void(TCustomZozeZO *, QObject *Source, int X, int Y, TDragState State, bool &Accept)>;
using TDragDropEvent = std::function<void(TCustomZozeZO *, QObject *Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TCustomZozeZO *, QObject *Target, int X, int Y)>;

class TCustomZozeZO : public QTreeView {
    Q_OBJECT
public:
    explicit TCustomZozeZO(QWidget *parent = nullptr);
    ~TCustomZozeZO() override;

    TZozeZONodes *Items() const { return items_; }
    void SetItems(const TZozeZONodes *value);
    TImageList *Images() const { return images_; }
    void SetImages(TImageList *value);
    TImageList *StateImages() const { return stateImages_; }
    void SetStateImages(TImageList *value);
    // StateImages, or the shared check images when none are set.
    TImageList *StateImageList() const;
    TSortType SortType() const { return sortType_; }
    void SetSortType(TSortType value);
    TTreeOptions Options() const { return options_; }
    void SetOptions(TTreeOptions value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    int ChangeDelay() const { return changeTimer_.interval(); }
    void SetChangeDelay(int value);
    int ScrollTime() const { return scrollTime_; }
    void SetScrollTime(int value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TColor ColorUnfocusedSelected() const { return colorUnfocusedSelected_; }
    void SetColorUnfocusedSelected(TColor value);
    TColor ColorSelected() const { return colorSelected_; }
    void SetColorSelected(TColor value);
    TColor ColorDropSelected() const { return colorDropSelected_; }
    void SetColorDropSelected(TColor value);
    TColor InsertMarkColor() const { return insertMarkColor_; }
    void SetInsertMarkColor(TColor value) { insertMarkColor_ = value; }
    int Indent() const { return indentation(); }
    void SetIndent(int value);
    int ItemHeight() const;
    void SetItemHeight(int value);
    QString SearchString() const { return searchString_; }
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    QCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(const QCursor &value) { dragCursor_ = value; }
    QMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu *value) { popupMenu_ = value; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value) { helpContext_ = value; }

    TZozeZONode *Selected() const;
    void SetSelected(TZozeZONode *node);
    TZozeZONode *DropTarget() const;
    void SetDropTarget(TZozeZONode *node);
    TZozeZONode *TopItem() const;
    void SetTopItem(TZozeZONode *node);
    void FullExpand();
    void FullCollapse();
    TZozeZONode *GetNodeAt(int x, int y) const;
    THitTests GetHitTestInfoAt(int x, int y) const;
    bool AlphaSort();
    bool CustomSort(const TTVCompare &sortProc, qintptr data);
    void ClearSelection();
    void LoadFromFile(const QString &fileName);
    void SaveToFile(const QString &fileName, bool binary = false);
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream, bool binary = false);
    // The whole file, as the loader takes it and the saver writes it.
    void LoadFromBytes(const QByteArray &bytes);
    QByteArray SaveToBytes(bool binary = false) const;
    TImageList *GetDragImages() const;
    bool IsEditing() const;
    bool Dragging() const { return dragging_; }
    // The range anchor of keyboard and Shift selection.
    TZozeZONode *Anchor() const { return anchor_; }
    // The painter of the paint cycle under way, for the paint events.
    QPainter *Canvas() const { return canvas_; }
    // Where F1 sends a help context (the application's help).
    static std::function<void(int)> &ApplicationHelp();

    // The rectangle of a node's item: whole row, or only its text.
    QRect NodeRect(const TZozeZONode *node, bool textOnly) const;
    QRect StateIconRect(const TZozeZONode *node) const;

    TNotifyEvent OnAfterPaint;
    TTVAfterItemPaintEvent OnAfterItemPaint;
    TNotifyEvent OnBeforePaint;
    TTVBeforeItemPaintEvent OnBeforeItemPaint;
    TTVChangedEvent OnChange;
    TTVChangingEvent OnChanging;
    TTVCheckedEvent OnChecked;
    TTVCheckingEvent OnChecking;
    TNotifyEvent OnClick;
    TTVExpandedEvent OnCollapsed;
    TTVCollapsingEvent OnCollapsing;
    TTVCompareEvent OnCompare;
    TTVCreateNodeEvent OnCreateNode;
    TTVDeletionEvent OnDeletion;
    TNotifyEvent OnDblClick;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TTVEditedEvent OnEdited;
    TTVEditingEvent OnEditing;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TTVExpandedEvent OnExpanded;
    TTVExpandingEvent OnExpanding;
    TEndDragEvent OnEndDrag;
    TTVHelpContextEvent OnGetHelpContext;
    TTVExpandedEvent OnGetImageIndex;
    TTVPopupEvent OnGetPopupMenu;
    TTVExpandedEvent OnGetSelectedIndex;
    TTVHintEvent OnHint;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TTVSingleExpandingEvent OnSingleExpanded;
    TStartDragEvent OnStartDrag;
    TTVLoadErrorEvent OnLoadError;

    virtual TZozeZONode *CreateNode();
    virtual bool CanCheck(TZozeZONode *node);
    virtual bool CanEdit(TZozeZONode *node);
    virtual bool CanChange(TZozeZONode *node);
    virtual bool CanCollapse(TZozeZONode *node);
    virtual bool CanExpand(TZozeZONode *node);
    virtual void Change(TZozeZONode *node);
    virtual void Checked(TZozeZONode *node);
    virtual void Collapse(TZozeZONode *node);
    virtual void Edit(TZozeZONode *node, QString &s);
    virtual void Expand(TZozeZONode *node);
    // Runs the change now, or after ChangeDelay for the last node given.
    virtual void DelayedChange(TZozeZONode *node);
    // Starts or stops the scroll timer for a point near an edge.
    virtual void AutoScrollTest(int x, int y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    using QTreeView::edit;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    void keyboardSearch(const QString &search) override;

private:
    friend class TZozeZONode;
    friend class TZozeZONodes;
    friend class TZozeZOModel;
    friend class TZozeZODelegate;

    QModelIndex indexOf(const TZozeZONode *node) const;
    TZozeZONode *nodeOf(const QModelIndex &index) const;
    // The view's caret item, with the selection bookkeeping of a caret change.
    bool setCaret(TZozeZONode *node);
    void caretChanged(TZozeZONode *oldNode, TZozeZONode *newNode);
    void nodeRemoving(TZozeZONode *node);
    void childrenRemoving(TZozeZONode *node);
    void nodesClearing();
    void nodeDestroyed(TZozeZONode *node);
    ItemLayout itemLayout(const TZozeZONode *node, const QRect &rect) const;
    void paintItem(QPainter *painter, const QStyleOptionViewItem &option, TZozeZONode *node);
    void sortChildrenList(TZozeZONode *parent, const TTVCompare &sortProc, qintptr data);
    void syncView();
    void setViewExpanded(TZozeZONode *node, bool expand);
    void updateNode(const TZozeZONode *node);
    void applyOptions(TTreeOptions changed);
    void applyItemHeight();
    void changeTimerFired();
    void scrollTimerFired();
    void expandTimerFired();
    void viewExpanded(const QModelIndex &index, bool expanded);
    void sortNodeChildren(TZozeZONode *parent, const TTVCompare &sortProc, qintptr data);
    void sortAll(const TTVCompare &sortProc, qintptr data);
    void resortFor(TZozeZONode *node);
    int listCompare(TZozeZONode *a, TZozeZONode *b, qintptr data) const;
    void beginDrag(TZozeZONode *node);
    void dragMove(const QPoint &pos);
    void endDrag(bool drop, const QPoint &pos);
    void applyClickRule(TZozeZONode *node, Qt::KeyboardModifiers mods);
    // Puts a node back into or out of the selection without events.
    void restoreSelected(TZozeZONode *node, bool selected);
    void bandUpdate(const QPoint &pos, Qt::KeyboardModifiers mods);
    void rightButtonUp(QMouseEvent *event);
    void helpRequested();
    void keySelect(QKeyEvent *event);
    void popupAt(QMenu *menu, const QPoint &globalPos);

    TZozeZOModel *model_;
    TZozeZODelegate *delegate_;
    TZozeZONodes *items_;
    QPointer<TImageList> images_;
    QPointer<TImageList> stateImages_;
    TSortType sortType_ = stNone;
    TTreeOptions options_;
    TBorderStyle borderStyle_ = bsSingle;
    int scrollTime_ = 100;
    TColor color_ = clWindow;
    TColor colorUnfocusedSelected_ = cl3DLight;
    TColor colorSelected_ = clHighlight;
    TColor colorDropSelected_ = clBtnFace;
    TColor insertMarkColor_ = clBlack;
    int itemHeight_ = -1;
    int helpContext_ = 0;
    QString searchString_;
    TDragMode dragMode_ = dmManual;
    QCursor dragCursor_ = QCursor(Qt::DragMoveCursor);
    QPointer<QMenu> popupMenu_;

    QTimer expandTimer_;
    QTimer scrollTimer_;
    QTimer changeTimer_;
    QTimer editTimer_;
    TZozeZONode *changeNode_ = nullptr;

    TZozeZONode *caret_ = nullptr;
    bool caretGuard_ = false;
    bool syncingView_ = false;
    bool keepSelection_ = false;
    bool inOwnExpand_ = false;
    int scrollFlags_ = 0;
    TZozeZONode *dragNode_ = nullptr;
    TZozeZONode *dropNode_ = nullptr;
    TZozeZONode *stateDownNode_ = nullptr;
    TZozeZONode *rclickNode_ = nullptr;
    TZozeZONode *anchor_ = nullptr;
    TZozeZONode *pressNode_ = nullptr;
    TZozeZONode *editNode_ = nullptr;
    QPoint pressPos_;
    Qt::KeyboardModifiers pressMods_;
    bool pressWasCaret_ = false;
    bool dragPending_ = false;
    bool dragging_ = false;
    bool dropAccepted_ = false;
    bool dragEntered_ = false;
    TImageList *dragImages_ = nullptr;
    bool banding_ = false;
    QPoint bandStart_;
    QRect bandRect_;
    QList<TZozeZONode *> bandTouched_;
    QPainter *canvas_ = nullptr;
    bool destroying_ = false;
};

// The published face of the tree view.
class TZozeZO : public TCustomZozeZO {
    Q_OBJECT
public:
    explicit TZozeZO(QWidget *parent = nullptr) : TCustomZozeZO(parent) {}
};

// The nine shared check images (none; box off, on; greyed box off, on; radio off, on; greyed radio
// off, on), drawn in the current palette.
TImageList *CheckImages();

} // namespace tree
