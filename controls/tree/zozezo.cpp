#include "zozezo.h"

#include "zozezomodel.h"

#include "platform/fileio.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QToolTip>
#include <vector>

namespace tree {

namespace {

const QByteArray TreeFileMagic("\x0D\x54\x4E\x54\x0D", 5);

int compareValues(qintptr a, qintptr b)
{
    return (a > b) - (a < b);
}

// Case-insensitive for the ASCII letters only, otherwise by character code.
int compareTextAscii(const QString &a, const QString &b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ca = a[i].unicode();
        char16_t cb = b[i].unicode();
        if (ca >= u'a' && ca <= u'z')
            ca = char16_t(ca - 32);
        if (cb >= u'a' && cb <= u'z')
            cb = char16_t(cb - 32);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return compareValues(a.size(), b.size());
}

void drawCheckImage(QPainter &p, int image, const QPalette &pal)
{
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor face = pal.color(QPalette::Button);
    const QColor window = pal.color(QPalette::Base);
    const QColor text = pal.color(QPalette::Text);
    const bool greyed = image == 3 || image == 4 || image == 7 || image == 8;
    const bool on = image == 2 || image == 4 || image == 6 || image == 8;
    const QColor fill = greyed ? face : window;
    const QColor mark = greyed ? shadow : text;
    p.setRenderHint(QPainter::Antialiasing, image >= 5);
    if (image >= 1 && image <= 4) {
        p.setPen(shadow);
        p.setBrush(fill);
        p.drawRect(QRect(2, 2, 12, 12));
        if (on) {
            QPen pen(mark, 2);
            p.setPen(pen);
            p.drawPolyline(QPolygon({QPoint(4, 8), QPoint(7, 11), QPoint(12, 5)}));
        }
    } else if (image >= 5) {
        p.setPen(shadow);
        p.setBrush(fill);
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        if (on) {
            p.setPen(Qt::NoPen);
            p.setBrush(mark);
            p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
        }
    }
}

void buildCheckImages(TImageList *list)
{
    const QPalette pal = QApplication::palette();
    list->blockSignals(true);
    list->Clear();
    for (int i = 0; i < 9; ++i) {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        drawCheckImage(p, i, pal);
        p.end();
        list->Add(pm);
    }
    list->blockSignals(false);
    emit list->Changed();
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Colours and image lists

QColor ColorToQColor(TColor color, const QPalette &palette)
{
    if (color == clNone)
        return Qt::transparent;
    if (quint32(color) & 0x80000000u) {
        switch (quint32(color) & 0xFF) {
        case 0x05: return palette.color(QPalette::Base);
        case 0x08: return palette.color(QPalette::Text);
        case 0x0D: return palette.color(QPalette::Highlight);
        case 0x0E: return palette.color(QPalette::HighlightedText);
        case 0x0F: return palette.color(QPalette::Button);
        case 0x10: return palette.color(QPalette::Dark);
        case 0x11: return palette.color(QPalette::Disabled, QPalette::Text);
        case 0x14: return palette.color(QPalette::Light);
        case 0x16: return palette.color(QPalette::Midlight);
        default: return palette.color(QPalette::Window);
        }
    }
    const quint32 c = quint32(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QColor ColorToQColor(TColor color)
{
    return ColorToQColor(color, QApplication::palette());
}

TColor QColorToColor(const QColor &color)
{
    return TColor(quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16));
}

int TImageList::Add(const QPixmap &image)
{
    images_.append(image);
    emit Changed();
    return int(images_.size()) - 1;
}

void TImageList::Clear()
{
    images_.clear();
    emit Changed();
}

void TImageList::Replace(int index, const QPixmap &image)
{
    if (Valid(index)) {
        images_[index] = image;
        emit Changed();
    }
}

QPixmap TImageList::Image(int index) const
{
    return Valid(index) ? images_[index] : QPixmap();
}

TImageList *CheckImages()
{
    static QPointer<TImageList> list;
    if (!list) {
        list = new TImageList(16, 16, qApp);
        buildCheckImages(list);
    }
    return list;
}

// ---------------------------------------------------------------------------------------------------
// Construction

TCustomZozeZO::TCustomZozeZO(QWidget *parent) : QTreeView(parent)
{
    items_ = new TZozeZONodes(this);
    model_ = new TZozeZOModel(this);
    delegate_ = new TZozeZODelegate(this);
    setModel(model_);
    setItemDelegate(delegate_);
    setHeaderHidden(true);
    header()->setStretchLastSection(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    setAutoScroll(false);
    setIndentation(19);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    resize(121, 97);

    expandTimer_.setInterval(1000);
    scrollTimer_.setInterval(300);
    changeTimer_.setInterval(0);
    editTimer_.setSingleShot(true);
    connect(&expandTimer_, &QTimer::timeout, this, [this] { expandTimerFired(); });
    connect(&scrollTimer_, &QTimer::timeout, this, [this] { scrollTimerFired(); });
    connect(&changeTimer_, &QTimer::timeout, this, [this] { changeTimerFired(); });
    connect(&editTimer_, &QTimer::timeout, this, [this] {
        if (editNode_ && editNode_ == caret_ && !dragging_)
            edit(indexOf(editNode_));
    });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &i) { viewExpanded(i, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &i) { viewExpanded(i, false); });
    connect(CheckImages(), &TImageList::Changed, this, [this] { viewport()->update(); });

    options_ = DefaultTreeOptions;
    applyOptions(~TTreeOptions());
    SetColor(clWindow);
}

TCustomZozeZO::~TCustomZozeZO()
{
    destroying_ = true;
    expandTimer_.stop();
    scrollTimer_.stop();
    changeTimer_.stop();
    items_->Clear();
    delete items_;
    items_ = nullptr;
}

std::function<void(int)> &TCustomZozeZO::ApplicationHelp()
{
    static std::function<void(int)> help;
    return help;
}

// ---------------------------------------------------------------------------------------------------
// Properties

void TCustomZozeZO::SetItems(const TZozeZONodes *value)
{
    items_->Assign(value);
}

void TCustomZozeZO::SetImages(TImageList *value)
{
    if (images_)
        disconnect(images_, nullptr, this, nullptr);
    images_ = value;
    if (value)
        connect(value, &TImageList::Changed, this, [this] { applyItemHeight(); });
    applyItemHeight();
}

void TCustomZozeZO::SetStateImages(TImageList *value)
{
    if (stateImages_)
        disconnect(stateImages_, nullptr, this, nullptr);
    stateImages_ = value;
    if (value)
        connect(value, &TImageList::Changed, this, [this] { applyItemHeight(); });
    applyItemHeight();
}

TImageList *TCustomZozeZO::StateImageList() const
{
    return stateImages_ ? stateImages_.data() : CheckImages();
}

void TCustomZozeZO::SetSortType(TSortType value)
{
    if (value == sortType_)
        return;
    sortType_ = value;
    if (value != stNone)
        AlphaSort();
}

void TCustomZozeZO::SetOptions(TTreeOptions value)
{
    if (value.testFlag(toFullRowSelect))
        value &= ~TTreeOptions(toShowLines);
    const TTreeOptions changed = value ^ options_;
    options_ = value;
    applyOptions(changed);
}

void TCustomZozeZO::applyOptions(TTreeOptions changed)
{
    setRootIsDecorated(options_.testFlag(toShowRoot));
    setAllColumnsShowFocus(options_.testFlag(toFullRowSelect));
    setAttribute(Qt::WA_Hover, options_.testFlag(toHotTrack));
    setEditTriggers(options_.testFlag(toReadOnly) ? NoEditTriggers : EditKeyPressed);
    const Qt::ScrollBarPolicy policy = options_.testFlag(toNoScroll) ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    setVerticalScrollBarPolicy(policy);
    setHorizontalScrollBarPolicy(policy);
    if (changed.testFlag(toMultiSelect) && !options_.testFlag(toMultiSelect))
        ClearSelection();
    if (changed.testFlag(toEvenHeight))
        applyItemHeight();
    viewport()->update();
}

void TCustomZozeZO::SetBorderStyle(TBorderStyle value)
{
    borderStyle_ = value;
    setFrameShape(value == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TCustomZozeZO::SetChangeDelay(int value)
{
    changeTimer_.setInterval(qMax(0, value));
}

void TCustomZozeZO::SetScrollTime(int value)
{
    scrollTime_ = value < 100 ? 100 : value;
}

void TCustomZozeZO::SetColor(TColor value)
{
    color_ = value;
    QPalette p = palette();
    p.setColor(QPalette::Base, ColorToQColor(value, QApplication::palette()));
    setPalette(p);
    viewport()->update();
}

void TCustomZozeZO::SetColorUnfocusedSelected(TColor value)
{
    if (value != colorUnfocusedSelected_) {
        colorUnfocusedSelected_ = value;
        viewport()->update();
    }
}

void TCustomZozeZO::SetColorSelected(TColor value)
{
    if (value != colorSelected_) {
        colorSelected_ = value;
        viewport()->update();
    }
}

void TCustomZozeZO::SetColorDropSelected(TColor value)
{
    if (value != colorDropSelected_) {
        colorDropSelected_ = value;
        viewport()->update();
    }
}

void TCustomZozeZO::SetIndent(int value)
{
    if (value != indentation())
        setIndentation(value);
}

int TCustomZozeZO::ItemHeight() const
{
    int h = itemHeight_;
    if (h < 1) {
        h = qMax(fontMetrics().height() + 2, 16);
        if (images_)
            h = qMax(h, images_->Height());
        if (stateImages_)
            h = qMax(h, stateImages_->Height());
    }
    // Even heights are rounded down, as the view always has.
    if (options_.testFlag(toEvenHeight) && (h & 1) && h > 2)
        --h;
    return h;
}

void TCustomZozeZO::SetItemHeight(int value)
{
    itemHeight_ = value < 1 ? -1 : value;
    applyItemHeight();
}

void TCustomZozeZO::applyItemHeight()
{
    setUniformRowHeights(items_->integralNodes_ == 0);
    if (model_->Live())
        scheduleDelayedItemsLayout();
    viewport()->update();
}

TImageList *TCustomZozeZO::GetDragImages() const
{
    return dragImages_ && dragImages_->Count() > 0 ? dragImages_ : nullptr;
}

bool TCustomZozeZO::IsEditing() const
{
    return state() == QAbstractItemView::EditingState;
}

// ---------------------------------------------------------------------------------------------------
// Nodes and the view

QModelIndex TCustomZozeZO::indexOf(const TZozeZONode *node) const
{
    return model_->IndexOf(node);
}

TZozeZONode *TCustomZozeZO::nodeOf(const QModelIndex &index) const
{
    return model_->NodeOf(index);
}

TZozeZONode *TCustomZozeZO::CreateNode()
{
    TZozeZONodeClass nodeClass;
    if (OnCreateNode)
        OnCreateNode(this, nodeClass);
    if (nodeClass)
        return nodeClass(items_);
    return new TZozeZONode(items_);
}

void TCustomZozeZO::updateNode(const TZozeZONode *node)
{
    if (!node || destroying_)
        return;
    model_->NodeChanged(node);
}

void TCustomZozeZO::setViewExpanded(TZozeZONode *node, bool expand)
{
    if (!model_->Live() || destroying_)
        return;
    const QModelIndex index = indexOf(node);
    if (!index.isValid())
        return;
    const bool saved = syncingView_;
    syncingView_ = true;
    setExpanded(index, expand);
    syncingView_ = saved;
    if (!expand && caret_ && caret_ != node && caret_->HasAsParent(node))
        setCaret(node);
}

void TCustomZozeZO::viewExpanded(const QModelIndex &index, bool expanded)
{
    if (inOwnExpand_ || syncingView_)
        return;
    TZozeZONode *node = nodeOf(index);
    if (!node)
        return;
    const bool allowed = expanded ? CanExpand(node) : CanCollapse(node);
    if (!allowed) {
        syncingView_ = true;
        setExpanded(index, !expanded);
        syncingView_ = false;
        return;
    }
    node->expanded_ = expanded;
    if (expanded) {
        Expand(node);
    } else {
        Collapse(node);
        if (caret_ && caret_ != node && caret_->HasAsParent(node))
            setCaret(node);
    }
}

void TCustomZozeZO::syncView()
{
    if (destroying_)
        return;
    syncingView_ = true;
    for (TZozeZONode *n = items_->GetFirstNode(); n; n = n->GetNext())
        if (n->expanded_ && n->children_.Count() > 0)
            setExpanded(indexOf(n), true);
    caretGuard_ = true;
    selectionModel()->setCurrentIndex(indexOf(caret_), QItemSelectionModel::NoUpdate);
    caretGuard_ = false;
    syncingView_ = false;
    applyItemHeight();
}

bool TCustomZozeZO::setCaret(TZozeZONode *node)
{
    if (node == caret_)
        return true;
    if (!CanChange(node))
        return false;
    TZozeZONode *old = caret_;
    caret_ = node;
    if (model_->Live()) {
        caretGuard_ = true;
        selectionModel()->setCurrentIndex(indexOf(node), QItemSelectionModel::NoUpdate);
        caretGuard_ = false;
    }
    caretChanged(old, node);
    return true;
}

void TCustomZozeZO::caretChanged(TZozeZONode *oldNode, TZozeZONode *newNode)
{
    TZozeZONodes *nodes = items_;
    if (oldNode && !oldNode->deleting_) {
        oldNode->focusedBit_ = false;
        if (!keepSelection_) {
            if (!nodes->SelectionLocked())
                nodes->selection_.Remove(oldNode);
            oldNode->selectedBit_ = false;
        }
        updateNode(oldNode);
    }
    if (newNode) {
        newNode->focusedBit_ = true;
        newNode->selectedBit_ = true;
        if (!nodes->SelectionLocked() && nodes->selection_.IndexOf(newNode) < 0)
            nodes->selection_.Add(newNode);
        if (!nodes->multiSelecting_)
            nodes->selectionLevel_ = newNode->Level();
        updateNode(newNode);
        if (options_.testFlag(toSingleExpand) && !nodes->multiSelecting_) {
            bool autoCollapse = true;
            if (OnSingleExpanded)
                OnSingleExpanded(this, newNode, autoCollapse);
            if (autoCollapse && oldNode && !oldNode->deleting_)
                for (TZozeZONode *n = oldNode; n && n != newNode && !newNode->HasAsParent(n); n = n->Parent())
                    if (n->expanded_)
                        n->Collapse(false);
            if (!newNode->expanded_)
                newNode->Expand(false);
        }
    }
    if (!nodes->multiSelecting_)
        DelayedChange(newNode);
}

void TCustomZozeZO::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    if (caretGuard_ || destroying_ || !model_->Live())
        return;
    TZozeZONode *node = nodeOf(current);
    if (node == caret_)
        return;
    if (!CanChange(node)) {
        caretGuard_ = true;
        selectionModel()->setCurrentIndex(indexOf(caret_), QItemSelectionModel::NoUpdate);
        caretGuard_ = false;
        return;
    }
    TZozeZONode *old = caret_;
    caret_ = node;
    caretChanged(old, node);
}

void TCustomZozeZO::nodeRemoving(TZozeZONode *node)
{
    if (!caret_ || !caret_->HasAsParent(node) || items_->clearing_ || destroying_)
        return;
    // The caret goes where the view would put it: next sibling, previous sibling or parent.
    TZozeZONode *next = node->GetNextSibling();
    if (!next)
        next = node->GetPrevSibling();
    if (!next)
        next = node->Parent();
    if (!setCaret(next))
        caret_ = nullptr;
}

void TCustomZozeZO::childrenRemoving(TZozeZONode *node)
{
    if (caret_ && caret_ != node && caret_->HasAsParent(node) && !destroying_)
        if (!setCaret(node))
            caret_ = nullptr;
}

void TCustomZozeZO::nodesClearing()
{
    caret_ = nullptr;
    dragNode_ = dropNode_ = stateDownNode_ = rclickNode_ = anchor_ = pressNode_ = changeNode_ = nullptr;
    bandTouched_.clear();
    if (editNode_)
        delegate_->EndEdit(true);
}

void TCustomZozeZO::nodeDestroyed(TZozeZONode *node)
{
    if (caret_ == node)
        caret_ = nullptr;
    for (TZozeZONode **p : {&dragNode_, &dropNode_, &stateDownNode_, &rclickNode_, &anchor_, &pressNode_, &changeNode_})
        if (*p == node)
            *p = nullptr;
    bandTouched_.removeAll(node);
    if (editNode_ == node) {
        editNode_ = nullptr;
        delegate_->EndEdit(true);
    }
}

// ---------------------------------------------------------------------------------------------------
// Selection and change

TZozeZONode *TCustomZozeZO::Selected() const
{
    if (options_.testFlag(toRightClickSelect) && rclickNode_)
        return rclickNode_;
    return caret_;
}

void TCustomZozeZO::SetSelected(TZozeZONode *node)
{
    setCaret(node);
}

void TCustomZozeZO::ClearSelection()
{
    TZozeZONodes *nodes = items_;
    if (nodes->selection_.Count() == 0)
        return;
    nodes->LockSelection();
    const bool saved = nodes->multiSelecting_;
    nodes->multiSelecting_ = true;
    std::vector<TZozeZONode *> selected(nodes->selection_.begin(), nodes->selection_.end());
    for (TZozeZONode *n : selected)
        nodes->SetNodeSelected(n, 1);
    nodes->selection_.Clear();
    nodes->multiSelecting_ = saved;
    DelayedChange(nullptr);
    nodes->UnlockSelection();
}

void TCustomZozeZO::DelayedChange(TZozeZONode *node)
{
    if (ChangeDelay() < 1) {
        Change(node);
        return;
    }
    changeTimer_.stop();
    changeNode_ = node;
    changeTimer_.start();
}

void TCustomZozeZO::changeTimerFired()
{
    changeTimer_.stop();
    TZozeZONode *node = changeNode_;
    changeNode_ = nullptr;
    Change(node);
}

bool TCustomZozeZO::CanCheck(TZozeZONode *node)
{
    bool allow = true;
    if (OnChecking)
        OnChecking(this, node, allow);
    return allow;
}

bool TCustomZozeZO::CanEdit(TZozeZONode *node)
{
    bool allow = true;
    if (OnEditing)
        OnEditing(this, node, allow);
    return allow;
}

bool TCustomZozeZO::CanChange(TZozeZONode *node)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, node, allow);
    return allow;
}

bool TCustomZozeZO::CanCollapse(TZozeZONode *node)
{
    bool allow = true;
    if (OnCollapsing)
        OnCollapsing(this, node, allow);
    return allow;
}

bool TCustomZozeZO::CanExpand(TZozeZONode *node)
{
    bool allow = true;
    if (OnExpanding)
        OnExpanding(this, node, allow);
    return allow;
}

void TCustomZozeZO::Change(TZozeZONode *node)
{
    if (OnChange)
        OnChange(this, node);
}

void TCustomZozeZO::Checked(TZozeZONode *node)
{
    if (OnChecked)
        OnChecked(this, node);
}

void TCustomZozeZO::Collapse(TZozeZONode *node)
{
    if (OnCollapsed)
        OnCollapsed(this, node);
}

void TCustomZozeZO::Edit(TZozeZONode *node, QString &s)
{
    if (OnEdited)
        OnEdited(this, node, s);
    node->SetText(s);
}

void TCustomZozeZO::Expand(TZozeZONode *node)
{
    if (OnExpanded)
        OnExpanded(this, node);
}

// ---------------------------------------------------------------------------------------------------
// Whole-tree operations

TZozeZONode *TCustomZozeZO::DropTarget() const
{
    return dropNode_;
}

void TCustomZozeZO::SetDropTarget(TZozeZONode *node)
{
    if (dropNode_ == node)
        return;
    if (dropNode_) {
        dropNode_->dropBit_ = false;
        updateNode(dropNode_);
    }
    dropNode_ = node;
    if (node) {
        node->dropBit_ = true;
        updateNode(node);
    }
}

TZozeZONode *TCustomZozeZO::TopItem() const
{
    return nodeOf(indexAt(QPoint(1, 1)));
}

void TCustomZozeZO::SetTopItem(TZozeZONode *node)
{
    const QModelIndex index = indexOf(node);
    if (index.isValid())
        scrollTo(index, QAbstractItemView::PositionAtTop);
}

void TCustomZozeZO::FullExpand()
{
    for (TZozeZONode *n : items_->root_->children_)
        n->Expand(true);
}

void TCustomZozeZO::FullCollapse()
{
    for (TZozeZONode *n : items_->root_->children_)
        n->Collapse(true);
}

int TCustomZozeZO::listCompare(TZozeZONode *a, TZozeZONode *b, qintptr data) const
{
    if (OnCompare) {
        int result = 0;
        OnCompare(const_cast<TCustomZozeZO *>(this), a, b, data, result);
        return result;
    }
    switch (sortType_) {
    case stData: return compareValues(a->data_, b->data_);
    case stBoth: {
        const int t = compareTextAscii(a->text_, b->text_);
        return t != 0 ? t : compareValues(a->data_, b->data_);
    }
    default: return compareTextAscii(a->text_, b->text_);
    }
}

void TCustomZozeZO::sortChildrenList(TZozeZONode *parent, const TTVCompare &sortProc, qintptr data)
{
    if (parent->children_.Count() < 2)
        return;
    if (sortProc)
        parent->children_.Sort([&](TZozeZONode *a, TZozeZONode *b) { return sortProc(a, b, data); });
    else
        parent->children_.Sort([&](TZozeZONode *a, TZozeZONode *b) { return listCompare(a, b, data); });
}

void TCustomZozeZO::sortNodeChildren(TZozeZONode *parent, const TTVCompare &sortProc, qintptr data)
{
    if (parent->children_.Count() < 2)
        return;
    const bool live = model_->Live();
    if (live)
        model_->BeginLayout();
    sortChildrenList(parent, sortProc, data);
    items_->flat_.reset();
    if (live)
        model_->EndLayout();
}

void TCustomZozeZO::sortAll(const TTVCompare &sortProc, qintptr data)
{
    const bool live = model_->Live();
    if (live)
        model_->BeginLayout();
    sortChildrenList(items_->root_, sortProc, data);
    for (TZozeZONode *n = items_->GetFirstNode(); n; n = n->GetNext())
        sortChildrenList(n, sortProc, data);
    items_->flat_.reset();
    if (live)
        model_->EndLayout();
}

void TCustomZozeZO::resortFor(TZozeZONode *node)
{
    if (node->parent_ == items_->root_)
        sortAll(nullptr, 0);
    else if (node->parent_)
        sortNodeChildren(node->parent_, nullptr, 0);
}

bool TCustomZozeZO::AlphaSort()
{
    return CustomSort(nullptr, 0);
}

bool TCustomZozeZO::CustomSort(const TTVCompare &sortProc, qintptr data)
{
    sortAll(sortProc, data);
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Files

void TCustomZozeZO::LoadFromBytes(const QByteArray &bytes)
{
    items_->BeginUpdate();
    struct End {
        TZozeZONodes *n;
        ~End() { n->EndUpdate(); }
    } end{items_};
    if (bytes.startsWith(TreeFileMagic))
        items_->ReadData(bytes.mid(TreeFileMagic.size()));
    else
        items_->ReadText(bytes);
}

QByteArray TCustomZozeZO::SaveToBytes(bool binary) const
{
    if (binary)
        return TreeFileMagic + items_->WriteData();
    return items_->WriteText();
}

void TCustomZozeZO::LoadFromStream(QIODevice &stream)
{
    LoadFromBytes(stream.readAll());
}

void TCustomZozeZO::SaveToStream(QIODevice &stream, bool binary)
{
    const QByteArray bytes = SaveToBytes(binary);
    if (stream.write(bytes) != bytes.size())
        throw platform::FileError(QStringLiteral("Stream write error"));
}

void TCustomZozeZO::LoadFromFile(const QString &fileName)
{
    LoadFromBytes(platform::ReadWholeFile(fileName));
}

void TCustomZozeZO::SaveToFile(const QString &fileName, bool binary)
{
    platform::WriteFileAtomic(fileName, SaveToBytes(binary));
}

// ---------------------------------------------------------------------------------------------------
// Geometry and painting

ItemLayout TCustomZozeZO::itemLayout(const TZozeZONode *node, const QRect &rect) const
{
    ItemLayout l;
    int x = rect.left();
    const int h = rect.height();
    const TImageList *states = StateImageList();
    if (node->stateIndex_ > 0 && states) {
        l.state = QRect(x, rect.top() + (h - states->Height()) / 2, states->Width(), states->Height());
        x += states->Width();
    }
    if (images_) {
        l.icon = QRect(x, rect.top() + (h - images_->Height()) / 2, images_->Width(), images_->Height());
        x += images_->Width();
    }
    const QFontMetrics fm(node->font_ ? *node->font_ : font());
    l.label = QRect(x, rect.top(), fm.horizontalAdvance(node->text_) + 6, h);
    return l;
}

QRect TCustomZozeZO::NodeRect(const TZozeZONode *node, bool textOnly) const
{
    const QModelIndex index = indexOf(node);
    if (!index.isValid() || !model_->Live())
        return QRect();
    const QRect r = visualRect(index);
    if (r.isEmpty())
        return QRect();
    if (textOnly)
        return itemLayout(node, r).label;
    return QRect(0, r.top(), viewport()->width(), r.height());
}

QRect TCustomZozeZO::StateIconRect(const TZozeZONode *node) const
{
    const QModelIndex index = indexOf(node);
    if (!index.isValid() || !model_->Live())
        return QRect();
    return itemLayout(node, visualRect(index)).state;
}

TZozeZONode *TCustomZozeZO::GetNodeAt(int x, int y) const
{
    const THitTests hit = GetHitTestInfoAt(x, y);
    if (!(hit & (htOnItem | htOnButton | htOnIndent | htOnRight)))
        return nullptr;
    return nodeOf(indexAt(QPoint(qMax(0, x), y)));
}

THitTests TCustomZozeZO::GetHitTestInfoAt(int x, int y) const
{
    THitTests result;
    const QRect area = viewport()->rect();
    if (y < 0)
        result |= htAbove;
    else if (y > area.bottom())
        result |= htBelow;
    if (x < 0)
        result |= htToLeft;
    else if (x > area.right())
        result |= htToRight;
    if (result)
        return result;
    const QModelIndex index = indexAt(QPoint(x, y));
    TZozeZONode *node = nodeOf(index);
    if (!node)
        return htNowhere;
    const QRect r = visualRect(index);
    if (x < r.left()) {
        const bool buttonColumn = x >= r.left() - indentation() && (node->Level() > 0 || rootIsDecorated());
        if (buttonColumn && options_.testFlag(toShowButtons) && (node->hasChildren_ || node->children_.Count() > 0))
            return htOnButton;
        return htOnIndent;
    }
    const ItemLayout l = itemLayout(node, r);
    if (!l.state.isNull() && x <= l.state.right())
        return THitTests(htOnStateIcon) | htOnItem;
    if (!l.icon.isNull() && x >= l.icon.left() && x <= l.icon.right())
        return THitTests(htOnIcon) | htOnItem;
    if (x >= l.label.left() && x <= l.label.right())
        return THitTests(htOnLabel) | htOnItem;
    return htOnRight;
}

void TCustomZozeZO::paintItem(QPainter *painter, const QStyleOptionViewItem &option, TZozeZONode *node)
{
    const QRect rect = option.rect;
    const bool focused = hasFocus();
    TNodeStates states;
    if (node->selectedBit_)
        states |= nsSelected;
    if (node == caret_ && focused)
        states |= nsFocused;
    if (node->dropBit_)
        states |= nsMarked;
    if (option.state & QStyle::State_MouseOver)
        states |= nsHot;
    if (node->checkState_ == 1 || node->checkState_ == 3)
        states |= nsChecked;
    if (node->checkState_ == 3)
        states |= nsIndeterminate;
    if (!node->checkEnabled_)
        states |= nsGrayed;

    QPainter *savedCanvas = canvas_;
    canvas_ = painter;
    bool ownerDraw = false;
    if (OnBeforeItemPaint)
        OnBeforeItemPaint(this, node, rect, states, ownerDraw);
    if (!ownerDraw) {
        const QPalette &pal = QApplication::palette();
        const bool showSelected = node->selectedBit_ && (focused || !options_.testFlag(toHideSelection) || dragging_);
        TColor back;
        if (!showSelected)
            back = node->dropBit_ ? colorSelected_ : node->GetColor();
        else if (dragging_)
            back = node->dropBit_ ? colorDropSelected_ : colorSelected_;
        else if (!focused)
            back = colorUnfocusedSelected_;
        else {
            back = colorSelected_;
            if (node->parentColor_ && ColorToQColor(back, pal) == pal.color(QPalette::Base))
                back = color_;
        }
        QColor textColor;
        if (showSelected && focused && !dragging_)
            textColor = pal.color(QPalette::HighlightedText);
        else if (node->dropBit_ && !showSelected)
            textColor = pal.color(QPalette::HighlightedText);
        else if (node->font_ && !showSelected)
            textColor = ColorToQColor(node->fontColor_, pal);
        else
            textColor = pal.color(QPalette::Text);

        const ItemLayout l = itemLayout(node, rect);
        painter->save();
        if (!l.state.isNull()) {
            const TImageList *list = StateImageList();
            if (list && list->Valid(node->stateIndex_))
                painter->drawPixmap(l.state.topLeft(), list->Image(node->stateIndex_));
        }
        if (!l.icon.isNull()) {
            if (OnGetImageIndex)
                OnGetImageIndex(this, node);
            if (OnGetSelectedIndex && node->selectedBit_)
                OnGetSelectedIndex(this, node);
            const int image = node->selectedBit_ ? node->selectedIndex_ : node->imageIndex_;
            if (images_->Valid(image)) {
                if (node->cutBit_)
                    painter->setOpacity(0.5);
                painter->drawPixmap(l.icon.topLeft(), images_->Image(image));
                painter->setOpacity(1.0);
            }
        }
        const QColor backColor = ColorToQColor(back, pal);
        if (back != color_ || showSelected || node->dropBit_)
            painter->fillRect(l.label, backColor);
        painter->setFont(node->font_ ? *node->font_ : font());
        painter->setPen(textColor);
        painter->drawText(l.label.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          node->text_);
        if (node == caret_ && focused) {
            QPen pen(textColor);
            pen.setStyle(Qt::DotLine);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(l.label.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }
    if (OnAfterItemPaint)
        OnAfterItemPaint(this, node, rect, states);
    canvas_ = savedCanvas;
}

void TCustomZozeZO::drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const
{
    if (options_.testFlag(toShowButtons))
        QTreeView::drawBranches(painter, rect, index);
}

void TCustomZozeZO::paintEvent(QPaintEvent *event)
{
    const bool multi = items_->multiSelecting_;
    if (OnBeforePaint && !multi) {
        QPainter p(viewport());
        canvas_ = &p;
        OnBeforePaint(this);
        canvas_ = nullptr;
    }
    QTreeView::paintEvent(event);
    QPainter p(viewport());
    if (banding_) {
        QPen pen(palette().color(QPalette::Text));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(bandRect_.adjusted(0, 0, -1, -1));
    }
    if (OnAfterPaint) {
        canvas_ = &p;
        OnAfterPaint(this);
        canvas_ = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------------
// Mouse

void TCustomZozeZO::mousePressEvent(QMouseEvent *event)
{
    if (IsEditing())
        delegate_->EndEdit(false);
    editTimer_.stop();
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const THitTests hit = GetHitTestInfoAt(pos.x(), pos.y());
    TZozeZONode *node = nodeOf(indexAt(pos));
    const bool multi = options_.testFlag(toMultiSelect);
    TZozeZONodes *nodes = items_;

    if (event->button() == Qt::RightButton) {
        if (options_.testFlag(toRightClickSelect) && node) {
            rclickNode_ = node;
            if (!node->Selected() && multi)
                ClearSelection();
            updateNode(node);
        }
    } else if (event->button() == Qt::LeftButton) {
        if ((hit & htOnStateIcon) && node) {
            stateDownNode_ = node;
            static const int pressed[] = {0, 3, 4, 3, 4, 7, 8, 7, 8};
            if (node->stateIndex_ >= 1 && node->stateIndex_ <= 8)
                node->setStateImage(pressed[node->stateIndex_]);
        } else if (hit & htOnButton) {
            QTreeView::mousePressEvent(event);
        } else if ((hit & htOnItem) || (options_.testFlag(toFullRowSelect) && node)) {
            pressWasCaret_ = caret_ == node;
            if (multi && (shift || ctrl)) {
                TZozeZONode *previous = caret_;
                const bool wasPrevious = previous && previous->Selected();
                const bool wasNode = node->Selected();
                nodes->multiSelecting_ = true;
                if (options_.testFlag(toLevelSelectConstraint))
                    nodes->SetNodeSelected(node, 1);
                setCaret(nullptr);
                setCaret(node);
                // The caret moves touched the selection; the rule below decides it.
                restoreSelected(previous, wasPrevious);
                restoreSelected(node, wasNode && !options_.testFlag(toLevelSelectConstraint));
                if (ctrl && !shift) {
                    nodes->SetNodeSelected(node, 2);
                } else if (ctrl) {
                    nodes->SelectRange(previous ? previous : node, node, true);
                } else {
                    if (!anchor_)
                        anchor_ = node;
                    nodes->SelectRange(anchor_, node, false);
                }
                nodes->multiSelecting_ = false;
                DelayedChange(node);
            } else {
                if (multi && !node->Selected())
                    ClearSelection();
                if (multi && options_.testFlag(toLevelSelectConstraint))
                    nodes->SetNodeSelected(node, 1);
                // A press on a node of a multi-selection keeps the others until it is known whether a
                // drag begins.
                keepSelection_ = multi && dragMode_ == dmAutomatic;
                setCaret(node);
                keepSelection_ = false;
                if (dragMode_ == dmAutomatic) {
                    dragPending_ = true;
                    pressNode_ = node;
                    pressPos_ = pos;
                    pressMods_ = mods;
                } else {
                    applyClickRule(node, mods);
                }
            }
        } else if (multi) {
            if (!shift && !ctrl)
                ClearSelection();
            banding_ = true;
            bandStart_ = pos;
            bandRect_ = QRect(pos, QSize(0, 0));
            bandTouched_.clear();
        }
    }
    if (OnMouseDown)
        OnMouseDown(this, event->button(), mods, pos.x(), pos.y());
}

void TCustomZozeZO::restoreSelected(TZozeZONode *node, bool selected)
{
    if (!node)
        return;
    TTreeNodeList &list = items_->selection_;
    const bool present = list.IndexOf(node) >= 0;
    if (selected && !present)
        list.Add(node);
    else if (!selected && present)
        list.Remove(node);
    node->selectedBit_ = selected;
    updateNode(node);
}

void TCustomZozeZO::applyClickRule(TZozeZONode *node, Qt::KeyboardModifiers mods)
{
    if (!node || !options_.testFlag(toMultiSelect) || (mods & (Qt::ShiftModifier | Qt::ControlModifier)))
        return;
    ClearSelection();
    items_->selectionLevel_ = node->Level();
    items_->SetNodeSelected(node, 0);
    anchor_ = node;
}

void TCustomZozeZO::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
    if (stateDownNode_)
        return;
    if (dragPending_ && (event->buttons() & Qt::LeftButton) &&
        (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        dragPending_ = false;
        beginDrag(pressNode_);
    }
    if (dragging_)
        dragMove(pos);
    else if (banding_)
        bandUpdate(pos, event->modifiers());
    if (options_.testFlag(toAutoScroll) && (dragging_ || banding_))
        AutoScrollTest(pos.x(), pos.y());
    if (!dragging_ && !banding_ && event->buttons() == Qt::NoButton)
        QTreeView::mouseMoveEvent(event);
}

void TCustomZozeZO::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    if (button == Qt::LeftButton) {
        if (stateDownNode_) {
            TZozeZONode *node = stateDownNode_;
            stateDownNode_ = nullptr;
            node->ToggleCheck();
        } else if (dragging_) {
            endDrag(true, pos);
        } else if (dragPending_) {
            dragPending_ = false;
            TZozeZONode *node = pressNode_;
            pressNode_ = nullptr;
            applyClickRule(node, pressMods_);
            if (node && pressWasCaret_ && !options_.testFlag(toReadOnly) &&
                (GetHitTestInfoAt(pos.x(), pos.y()) & htOnLabel) && nodeOf(indexAt(pos)) == node) {
                editNode_ = node;
                editTimer_.start(QApplication::doubleClickInterval());
            }
        }
        if (banding_) {
            banding_ = false;
            bandTouched_.clear();
            scrollTimer_.stop();
            viewport()->update();
        }
    }
    if (OnMouseUp)
        OnMouseUp(this, button, event->modifiers(), pos.x(), pos.y());
    if (button == Qt::RightButton)
        rightButtonUp(event);
    else if (button == Qt::LeftButton && viewport()->rect().contains(pos) && OnClick)
        OnClick(this);
}

void TCustomZozeZO::mouseDoubleClickEvent(QMouseEvent *event)
{
    editTimer_.stop();
    if (editNode_ && !IsEditing())
        editNode_ = nullptr;
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const THitTests hit = GetHitTestInfoAt(pos.x(), pos.y());
        TZozeZONode *node = nodeOf(indexAt(pos));
        const bool fullRow = options_.testFlag(toFullRowSelect) && !options_.testFlag(toSingleExpand);
        if (node && ((hit & (htOnItem | htOnButton)) || (fullRow && (hit & htOnRight))) &&
            !(hit & htOnStateIcon)) {
            if (node->expanded_)
                node->Collapse(false);
            else
                node->Expand(false);
        }
    }
    if (OnDblClick)
        OnDblClick(this);
}

void TCustomZozeZO::rightButtonUp(QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    QMenu *menu = nullptr;
    TZozeZONode *node = Selected();
    if (OnGetPopupMenu && node) {
        for (TZozeZONode *n = node; n; n = n->Parent()) {
            bool askParent = true;
            QMenu *given = nullptr;
            OnGetPopupMenu(this, n, askParent, given);
            if (given) {
                menu = given;
                break;
            }
            if (!askParent)
                break;
        }
    }
    if (!menu) {
        if (options_.testFlag(toRightClickSelect) && OnMouseDown) {
            const QPoint pos = event->position().toPoint();
            OnMouseDown(this, Qt::RightButton, event->modifiers(), pos.x(), pos.y());
        }
        menu = popupMenu_;
    }
    if (menu)
        popupAt(menu, global);
    else
        rclickNode_ = nullptr;
}

void TCustomZozeZO::popupAt(QMenu *menu, const QPoint &globalPos)
{
    menu->setProperty("PopupComponent", QVariant::fromValue<QObject *>(this));
    connect(menu, &QMenu::aboutToHide, this, [this] { rclickNode_ = nullptr; }, Qt::SingleShotConnection);
    menu->popup(globalPos);
}

void TCustomZozeZO::bandUpdate(const QPoint &pos, Qt::KeyboardModifiers mods)
{
    bandRect_ = QRect(bandStart_, pos).normalized();
    viewport()->update();
    if (items_->root_->children_.Count() == 0)
        return;
    TZozeZONodes *nodes = items_;
    const bool ctrl = mods & Qt::ControlModifier;
    TZozeZONode *changed = nullptr;
    nodes->multiSelecting_ = true;
    QSet<TZozeZONode *> inside;
    TZozeZONode *first = nodeOf(indexAt(QPoint(1, qMax(0, bandRect_.top()))));
    if (!first)
        first = nodeOf(indexAt(QPoint(1, 1)));
    for (TZozeZONode *n = first; n; n = n->GetNextVisible()) {
        const QRect r = NodeRect(n, false);
        if (r.isNull() || r.top() > bandRect_.bottom())
            break;
        if (r.intersects(bandRect_))
            inside.insert(n);
    }
    // Nodes that left the band go back.
    for (qsizetype i = bandTouched_.size() - 1; i >= 0; --i) {
        TZozeZONode *n = bandTouched_[i];
        if (inside.contains(n))
            continue;
        bandTouched_.removeAt(i);
        nodes->SetNodeSelected(n, ctrl ? 2 : 1);
        changed = n;
    }
    for (TZozeZONode *n : std::as_const(inside)) {
        if (bandTouched_.contains(n))
            continue;
        bandTouched_.append(n);
        if (ctrl)
            nodes->SetNodeSelected(n, 2);
        else if (!n->Selected())
            nodes->SetNodeSelected(n, 0);
        changed = n;
    }
    nodes->multiSelecting_ = false;
    if (changed)
        DelayedChange(changed);
}

// ---------------------------------------------------------------------------------------------------
// Drag and drop inside the tree

void TCustomZozeZO::beginDrag(TZozeZONode *node)
{
    if (!node)
        return;
    if (options_.testFlag(toMultiSelect) && !node->Selected())
        items_->SetNodeSelected(node, 0);
    setCaret(node);
    dragNode_ = node;
    dragging_ = true;
    dropAccepted_ = false;
    if (!dragImages_)
        dragImages_ = new TImageList(16, 16, this);
    const QRect r = NodeRect(node, true);
    if (!r.isEmpty()) {
        dragImages_->blockSignals(true);
        dragImages_->Clear();
        dragImages_->blockSignals(false);
        dragImages_->Add(viewport()->grab(r));
    }
    QObject *dragObject = nullptr;
    if (OnStartDrag)
        OnStartDrag(this, dragObject);
    expandTimer_.start(1000);
    viewport()->setCursor(dragCursor_);
    dragEntered_ = false;
}

void TCustomZozeZO::dragMove(const QPoint &pos)
{
    const bool over = viewport()->rect().contains(pos);
    if (!over) {
        SetDropTarget(nullptr);
        if (dragEntered_ && OnDragOver) {
            bool accept = false;
            OnDragOver(this, this, pos.x(), pos.y(), dsDragLeave, accept);
        }
        dragEntered_ = false;
        dropAccepted_ = false;
        viewport()->setCursor(Qt::ForbiddenCursor);
        return;
    }
    TZozeZONode *node = nodeOf(indexAt(pos));
    if (node != dropNode_) {
        SetDropTarget(node);
        expandTimer_.start(1000);
    }
    bool accept = false;
    if (OnDragOver)
        OnDragOver(this, this, pos.x(), pos.y(), dragEntered_ ? dsDragMove : dsDragEnter, accept);
    dragEntered_ = true;
    dropAccepted_ = accept;
    viewport()->setCursor(accept ? dragCursor_ : QCursor(Qt::ForbiddenCursor));
}

void TCustomZozeZO::endDrag(bool drop, const QPoint &pos)
{
    expandTimer_.stop();
    scrollTimer_.stop();
    scrollFlags_ = 0;
    dragging_ = false;
    viewport()->unsetCursor();
    QObject *target = nullptr;
    if (drop && dropAccepted_ && viewport()->rect().contains(pos)) {
        target = this;
        if (OnDragDrop)
            OnDragDrop(this, this, pos.x(), pos.y());
    }
    if (OnEndDrag)
        OnEndDrag(this, target, pos.x(), pos.y());
    dragNode_ = nullptr;
    SetDropTarget(nullptr);
    if (caret_)
        updateNode(caret_);
    viewport()->update();
}

void TCustomZozeZO::AutoScrollTest(int x, int y)
{
    const int margin = itemHeight_ >= 1 ? ItemHeight() / 2 : qAbs(fontMetrics().height());
    const QScrollBar *h = horizontalScrollBar();
    const QScrollBar *v = verticalScrollBar();
    const QRect area = viewport()->rect();
    int flags = 0;
    if (x < margin && h->value() > h->minimum())
        flags |= 1;
    if (h->pageStep() > 0 && h->value() < h->maximum() && x > area.width() - margin)
        flags |= 4;
    if (y < margin && v->value() > v->minimum())
        flags |= 2;
    if (v->pageStep() > 0 && y > area.height() - margin && v->value() < v->maximum())
        flags |= 8;
    scrollFlags_ = flags;
    if (!flags) {
        scrollTimer_.stop();
    } else if (!scrollTimer_.isActive()) {
        scrollTimer_.setInterval(300);
        scrollTimer_.start();
    }
}

void TCustomZozeZO::scrollTimerFired()
{
    scrollTimer_.stop();
    int interval = scrollTimer_.interval();
    const bool page = interval < 2;
    if (interval == 300)
        interval = 50;
    else if (interval >= 2)
        interval = interval * 3 / 4;
    QScrollBar *v = verticalScrollBar();
    QScrollBar *h = horizontalScrollBar();
    const int lines = page ? qMax(1, v->pageStep()) : 1;
    if (scrollFlags_ & 2) {
        if (v->value() > v->minimum()) {
            const int before = v->value();
            v->setValue(before - lines);
            bandStart_.ry() += (before - v->value()) * ItemHeight();
        } else {
            scrollFlags_ &= ~2;
        }
    }
    if (scrollFlags_ & 8) {
        if (v->value() < v->maximum()) {
            const int before = v->value();
            v->setValue(before + lines);
            bandStart_.ry() -= (v->value() - before) * ItemHeight();
        } else {
            scrollFlags_ &= ~8;
        }
    }
    if (scrollFlags_ & 1) {
        if (h->value() > h->minimum()) {
            h->setValue(h->value() - h->singleStep());
            bandStart_.rx() += 5;
        } else {
            scrollFlags_ &= ~1;
        }
    }
    if (scrollFlags_ & 4) {
        if (h->value() < h->maximum()) {
            h->setValue(h->value() + h->singleStep());
            bandStart_.rx() -= 5;
        } else {
            scrollFlags_ &= ~4;
        }
    }
    viewport()->update();
    if (scrollFlags_) {
        scrollTimer_.setInterval(qMax(1, interval));
        scrollTimer_.start();
    }
}

void TCustomZozeZO::expandTimerFired()
{
    expandTimer_.stop();
    if (options_.testFlag(toAutoExpand) && dropNode_ && !dropNode_->expanded_ &&
        (dropNode_->hasChildren_ || dropNode_->children_.Count() > 0))
        dropNode_->Expand(false);
}

// ---------------------------------------------------------------------------------------------------
// Keyboard

void TCustomZozeZO::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (OnKeyDown) {
        OnKeyDown(this, key, mods);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (!event->text().isEmpty() && OnKeyPress) {
        QChar ch = event->text().at(0);
        OnKeyPress(this, ch);
        if (ch.isNull()) {
            event->accept();
            return;
        }
    }
    if (IsEditing()) {
        QTreeView::keyPressEvent(event);
        return;
    }
    if (dragging_ && key == Qt::Key_Escape) {
        endDrag(false, QPoint(-1, -1));
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && options_.testFlag(toWantReturn)) {
        TZozeZONode *current = Selected();
        TZozeZONode *next = current ? current->GetNext() : items_->GetFirstNode();
        ClearSelection();
        if (next) {
            setCaret(next);
            next->MakeVisible();
        }
        event->accept();
        return;
    }
    if (!options_.testFlag(toMultiSelect)) {
        anchor_ = Selected();
        QTreeView::keyPressEvent(event);
        return;
    }
    if ((mods & Qt::ControlModifier) || !Selected()) {
        QTreeView::keyPressEvent(event);
        return;
    }
    keySelect(event);
}

void TCustomZozeZO::keySelect(QKeyEvent *event)
{
    const int key = event->key();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    TZozeZONodes *nodes = items_;
    // The caret moves as the view moves it; Shift is taken off so that the view only moves.
    QKeyEvent plain(event->type(), key, event->modifiers() & ~Qt::ShiftModifier, event->text());
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        TZozeZONode *current = caret_;
        TZozeZONode *next = current ? (key == Qt::Key_Up ? current->GetPrevVisible() : current->GetNextVisible())
                                    : nullptr;
        if (!shift) {
            if (next)
                ClearSelection();
            QTreeView::keyPressEvent(&plain);
            anchor_ = caret_;
        } else {
            if (!next)
                break;
            if (!anchor_) {
                anchor_ = next;
                ClearSelection();
            }
            const bool wasSelected = next->Selected();
            QTreeView::keyPressEvent(&plain);
            if (!wasSelected && current && caret_ != current)
                nodes->SetNodeSelected(current, 0);
        }
        break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: {
        if (!shift) {
            if (nodes->SelectionCount() > 1)
                ClearSelection();
            QTreeView::keyPressEvent(&plain);
            anchor_ = caret_;
        } else {
            if (!anchor_) {
                anchor_ = Selected();
                ClearSelection();
            }
            TZozeZONode *old = caret_;
            const int before = nodes->SelectionCount();
            QTreeView::keyPressEvent(&plain);
            if (old && caret_ && old != caret_) {
                nodes->SelectStep(old, caret_);
                if (nodes->SelectionCount() > before)
                    nodes->SetNodeSelected(old, 0);
            }
        }
        break;
    }
    case Qt::Key_Space:
        if (TZozeZONode *node = Selected())
            node->ToggleCheck();
        break;
    case Qt::Key_F1: helpRequested(); break;
    default: {
        const QString text = event->text();
        const bool character = !text.isEmpty() && text.at(0).unicode() >= u'1' && text.at(0).isPrint();
        if (!character) {
            QTreeView::keyPressEvent(event);
            break;
        }
        TZozeZONode *previous = Selected();
        ClearSelection();
        QTreeView::keyPressEvent(event);
        anchor_ = previous;
        break;
    }
    }
    event->accept();
}

void TCustomZozeZO::keyReleaseEvent(QKeyEvent *event)
{
    int key = event->key();
    if (OnKeyUp)
        OnKeyUp(this, key, event->modifiers());
    QTreeView::keyReleaseEvent(event);
}

void TCustomZozeZO::keyboardSearch(const QString &search)
{
    static QElapsedTimer typed;
    if (!typed.isValid() || typed.elapsed() > QApplication::keyboardInputInterval())
        searchString_.clear();
    typed.start();
    searchString_ += search;
    QTreeView::keyboardSearch(search);
}

void TCustomZozeZO::helpRequested()
{
    int context = 0;
    if (OnGetHelpContext)
        for (TZozeZONode *n = Selected(); n && context == 0; n = n->Parent())
            OnGetHelpContext(this, n, context);
    if (context == 0)
        context = helpContext_;
    for (QWidget *w = parentWidget(); w && context == 0; w = w->parentWidget())
        context = w->property("HelpContext").toInt();
    if (context != 0 && ApplicationHelp())
        ApplicationHelp()(context);
}

// ---------------------------------------------------------------------------------------------------
// Focus, tips, editing

void TCustomZozeZO::focusInEvent(QFocusEvent *event)
{
    // Focus alone selects nothing, though the view makes its first row current when none is.
    caretGuard_ = true;
    QTreeView::focusInEvent(event);
    if (model_->Live() && currentIndex() != indexOf(caret_))
        selectionModel()->setCurrentIndex(indexOf(caret_), QItemSelectionModel::NoUpdate);
    caretGuard_ = false;
    viewport()->update();
    if (!anchor_)
        anchor_ = Selected();
    if (OnEnter)
        OnEnter(this);
}

void TCustomZozeZO::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
    if (OnExit)
        OnExit(this);
}

bool TCustomZozeZO::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        TZozeZONode *node = nodeOf(indexAt(help->pos()));
        QString text;
        if (node && options_.testFlag(toInfoTip)) {
            text = node->text_;
            if (OnHint)
                OnHint(this, node, text);
        } else if (node && options_.testFlag(toToolTips) && !node->text_.isEmpty()) {
            const QRect label = NodeRect(node, true);
            if (label.right() > viewport()->width())
                text = node->text_;
        }
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QTreeView::viewportEvent(event);
}

void TCustomZozeZO::leaveEvent(QEvent *event)
{
    scrollTimer_.stop();
    QTreeView::leaveEvent(event);
}

void TCustomZozeZO::changeEvent(QEvent *event)
{
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyItemHeight();
    else if (event->type() == QEvent::ApplicationPaletteChange)
        buildCheckImages(CheckImages());
}

bool TCustomZozeZO::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool wouldEdit = trigger == AllEditTriggers || (trigger & editTriggers());
    TZozeZONode *node = nodeOf(index);
    if (wouldEdit && node) {
        if (options_.testFlag(toReadOnly) || dragging_ || !CanEdit(node))
            return false;
        editNode_ = node;
    }
    const bool result = QTreeView::edit(index, trigger, event);
    if (!IsEditing() && editNode_ == node && !delegate_->Editor())
        editNode_ = nullptr;
    return result;
}

} // namespace tree
