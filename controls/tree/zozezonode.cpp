#include "zozezonode.h"

#include "zozezo.h"
#include "zozezomodel.h"

#include <utility>
#include <vector>

namespace tree {

namespace {

// State images of a node that has just joined a parent of this check type.
int initialStateImage(int parentCheckType)
{
    switch (parentCheckType) {
    case 1:
    case 2: return 1;
    case 3: return 5;
    default: return 0;
    }
}

// The image that shows a node's check state under a parent of this check type.
int stateImageFor(int parentCheckType, int checkState, bool enabled)
{
    const bool on = checkState == 1 || checkState == 3;
    switch (parentCheckType) {
    case 1: return (on ? 2 : 1) + (enabled ? 0 : 2);
    case 2:
        if (checkState == 3)
            return 4;
        return (on ? 2 : 1) + (enabled ? 0 : 2);
    case 3: return (on ? 6 : 5) + (enabled ? 0 : 2);
    default: return 0;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Node

TZozeZONode::TZozeZONode(TZozeZONodes *owner) : owner_(owner) {}

TZozeZONode::~TZozeZONode()
{
    destroyNode();
}

void TZozeZONode::Delete()
{
    if (deleting_)
        return;
    destroyNode();
    delete this;
}

void TZozeZONode::destroyNode()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    deleting_ = true;
    TZozeZONodes *nodes = owner_;
    TCustomZozeZO *tree = nodes->owner_;
    nodes->selection_.Remove(this);
    if (parent_ && !parent_->deleting_)
        tree->nodeRemoving(this);
    tree->nodeDestroyed(this);
    if (parent_ && !parent_->deleting_) {
        TZozeZONode *parent = parent_;
        const int row = Index();
        const bool live = tree->model_->Live();
        if (live)
            tree->model_->BeginRemove(parent, row, row);
        parent->children_.Delete(row);
        if (live)
            tree->model_->EndRemove();
        if (parent->children_.Count() == 0) {
            parent->expanded_ = false;
            parent->hasChildren_ = false;
            tree->updateNode(parent);
        }
        nodes->flat_.reset();
    }
    if (itemId_)
        nodes->freeSubtree(this);
    data_ = 0;
    delete font_;
    font_ = nullptr;
    children_.Clear();
}

TCustomZozeZO *TZozeZONode::TreeView() const
{
    return owner_->owner_;
}

bool TZozeZONode::checkSupport() const
{
    return TreeView()->Options().testFlag(toCheckSupport);
}

void TZozeZONode::setStateImage(int value)
{
    if (checkSupport())
        SetStateIndex(value);
}

void TZozeZONode::SetText(const QString &value)
{
    text_ = value;
    TreeView()->updateNode(this);
    const TSortType sort = TreeView()->SortType();
    if (inTree_ && (sort == stText || sort == stBoth))
        TreeView()->resortFor(this);
}

void TZozeZONode::SetData(qintptr value)
{
    data_ = value;
    const TSortType sort = TreeView()->SortType();
    if (inTree_ && !deleting_ && (sort == stData || sort == stBoth) && TreeView()->OnCompare)
        TreeView()->resortFor(this);
}

void TZozeZONode::SetImageIndex(int value)
{
    imageIndex_ = value;
    TreeView()->updateNode(this);
}

void TZozeZONode::SetSelectedIndex(int value)
{
    selectedIndex_ = value;
    TreeView()->updateNode(this);
}

void TZozeZONode::SetOverlayIndex(int value)
{
    overlayIndex_ = value;
    TreeView()->updateNode(this);
}

void TZozeZONode::SetStateIndex(int value)
{
    stateIndex_ = value;
    TreeView()->updateNode(this);
}

void TZozeZONode::SetIntegralHeight(int value)
{
    if (value < 1)
        value = 1;
    if (value == integralHeight_)
        return;
    owner_->integralNodes_ += (value > 1) - (integralHeight_ > 1);
    integralHeight_ = value;
    TreeView()->applyItemHeight();
}

void TZozeZONode::SetColor(TColor value)
{
    if (value == color_ && !parentColor_)
        return;
    color_ = value;
    parentColor_ = false;
    Repaint();
}

TColor TZozeZONode::GetColor() const
{
    return parentColor_ ? TreeView()->Color() : color_;
}

void TZozeZONode::SetParentColor(bool value)
{
    parentColor_ = value;
    Repaint();
}

void TZozeZONode::SetParentFont(bool value)
{
    parentFont_ = value;
    if (value) {
        delete font_;
        font_ = nullptr;
    } else if (!font_) {
        font_ = new QFont(TreeView()->font());
        fontColor_ = clWindowText;
    }
    Repaint();
}

QFont TZozeZONode::Font()
{
    if (!font_) {
        font_ = new QFont(TreeView()->font());
        fontColor_ = clWindowText;
    }
    return *font_;
}

TColor TZozeZONode::FontColor()
{
    Font();
    return fontColor_;
}

void TZozeZONode::SetFont(const QFont &font, TColor color)
{
    parentFont_ = false;
    if (!font_)
        font_ = new QFont(font);
    else
        *font_ = font;
    fontColor_ = color;
    Repaint();
}

void TZozeZONode::BeginUpdate()
{
    ++updateCount_;
}

void TZozeZONode::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
}

void TZozeZONode::Repaint()
{
    if (updateCount_ > 0 || deleting_ || owner_->updateCount_ > 0)
        return;
    TreeView()->updateNode(this);
}

void TZozeZONode::SetExpanded(bool value)
{
    if (value)
        Expand(false);
    else
        Collapse(false);
}

void TZozeZONode::Expand(bool recurse)
{
    TCustomZozeZO *tree = TreeView();
    const bool saved = tree->inOwnExpand_;
    tree->inOwnExpand_ = true;
    if ((hasChildren_ || children_.Count() > 0) && tree->CanExpand(this)) {
        expanded_ = true;
        tree->Expand(this);
        tree->setViewExpanded(this, true);
    }
    tree->inOwnExpand_ = saved;
    if (recurse)
        for (TZozeZONode *child : children_)
            child->Expand(true);
}

void TZozeZONode::Collapse(bool recurse)
{
    TCustomZozeZO *tree = TreeView();
    const bool saved = tree->inOwnExpand_;
    tree->inOwnExpand_ = true;
    if ((hasChildren_ || children_.Count() > 0) && tree->CanCollapse(this)) {
        expanded_ = false;
        tree->Collapse(this);
        tree->setViewExpanded(this, false);
    }
    tree->inOwnExpand_ = saved;
    if (recurse)
        for (TZozeZONode *child : children_)
            child->Collapse(true);
}

void TZozeZONode::SetHasChildren(bool value)
{
    hasChildren_ = value;
    TreeView()->updateNode(this);
}

bool TZozeZONode::Selected() const
{
    return owner_->selection_.IndexOf(this) >= 0;
}

void TZozeZONode::SetSelected(bool value)
{
    owner_->SetNodeSelected(this, value ? 0 : 1);
}

void TZozeZONode::SetFocused(bool value)
{
    focusedBit_ = value;
    TreeView()->updateNode(this);
}

void TZozeZONode::SetDropTarget(bool value)
{
    if (value)
        TreeView()->SetDropTarget(this);
    else if (TreeView()->DropTarget() == this)
        TreeView()->SetDropTarget(nullptr);
}

void TZozeZONode::SetCut(bool value)
{
    cutBit_ = value;
    TreeView()->updateNode(this);
}

TZozeZONode *TZozeZONode::Parent() const
{
    return parent_ == owner_->root_ ? nullptr : parent_;
}

int TZozeZONode::rowHint() const
{
    if (!parent_)
        return -1;
    const TTreeNodeList &siblings = parent_->children_;
    if (rowHint_ >= 0 && rowHint_ < siblings.Count() && siblings.begin()[rowHint_] == this)
        return rowHint_;
    rowHint_ = siblings.IndexOf(this);
    return rowHint_;
}

int TZozeZONode::Index() const
{
    return rowHint();
}

TZozeZONode *TZozeZONode::Item(int index) const
{
    if (index < 0 || index >= children_.Count())
        throw EZozeZOError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return children_.begin()[index];
}

TZozeZONode *TZozeZONode::GetNextSibling() const
{
    if (!parent_)
        return nullptr;
    const int i = Index();
    return i >= 0 && i + 1 < parent_->children_.Count() ? parent_->children_.begin()[i + 1] : nullptr;
}

TZozeZONode *TZozeZONode::GetPrevSibling() const
{
    if (!parent_)
        return nullptr;
    const int i = Index();
    return i > 0 ? parent_->children_.begin()[i - 1] : nullptr;
}

TZozeZONode *TZozeZONode::GetNext() const
{
    if (children_.Count() > 0)
        return children_.First();
    for (const TZozeZONode *n = this; n && n != owner_->root_; n = n->parent_)
        if (TZozeZONode *s = n->GetNextSibling())
            return s;
    return nullptr;
}

TZozeZONode *TZozeZONode::GetPrev() const
{
    TZozeZONode *n = GetPrevSibling();
    if (!n)
        return Parent();
    while (n->children_.Count() > 0)
        n = n->children_.Last();
    return n;
}

TZozeZONode *TZozeZONode::GetNextVisible() const
{
    if (!IsVisible())
        return nullptr;
    if (expanded_ && children_.Count() > 0)
        return children_.First();
    for (const TZozeZONode *n = this; n && n != owner_->root_; n = n->parent_)
        if (TZozeZONode *s = n->GetNextSibling())
            return s;
    return nullptr;
}

TZozeZONode *TZozeZONode::GetPrevVisible() const
{
    if (!IsVisible())
        return nullptr;
    TZozeZONode *n = GetPrevSibling();
    if (!n)
        return Parent();
    while (n->expanded_ && n->children_.Count() > 0)
        n = n->children_.Last();
    return n;
}

TZozeZONode *TZozeZONode::GetNextSelected() const
{
    const TTreeNodeList &sel = owner_->selection_;
    const int i = sel.IndexOf(this);
    return i >= 0 && i + 1 < sel.Count() ? sel.begin()[i + 1] : nullptr;
}

int TZozeZONode::AbsoluteIndex() const
{
    owner_->ensureFlat();
    return owner_->flat_->IndexOf(this);
}

int TZozeZONode::Level() const
{
    int level = 0;
    for (const TZozeZONode *n = parent_; n && n != owner_->root_; n = n->parent_)
        ++level;
    return level;
}

bool TZozeZONode::IsVisible() const
{
    if (!inTree_ || !parent_)
        return false;
    for (const TZozeZONode *n = parent_; n && n != owner_->root_; n = n->parent_)
        if (!n->expanded_)
            return false;
    return true;
}

bool TZozeZONode::HasAsParent(const TZozeZONode *value) const
{
    if (!value)
        return true;
    for (const TZozeZONode *n = this; n && n != owner_->root_; n = n->parent_)
        if (n == value)
            return true;
    return false;
}

bool TZozeZONode::IsEqual(const TZozeZONode *node) const
{
    return node && text_ == node->text_ && data_ == node->data_;
}

QRect TZozeZONode::DisplayRect(bool textOnly) const
{
    return TreeView()->NodeRect(this, textOnly);
}

void TZozeZONode::MakeVisible()
{
    std::vector<TZozeZONode *> ancestors;
    for (TZozeZONode *n = parent_; n && n != owner_->root_; n = n->parent_)
        ancestors.push_back(n);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        if (!(*it)->expanded_)
            (*it)->Expand(false);
    TCustomZozeZO *tree = TreeView();
    if (tree->model_->Live())
        tree->scrollTo(tree->indexOf(this));
}

void TZozeZONode::EndEdit(bool cancel)
{
    TCustomZozeZO *tree = TreeView();
    if (tree->editNode_ == this)
        tree->delegate_->EndEdit(cancel);
}

bool TZozeZONode::AlphaSort()
{
    return CustomSort(nullptr, 0);
}

bool TZozeZONode::CustomSort(const TTVCompare &sortProc, qintptr data)
{
    TreeView()->sortNodeChildren(this, sortProc, data);
    return true;
}

void TZozeZONode::DeleteChildren()
{
    TCustomZozeZO *tree = TreeView();
    const int n = children_.Count();
    if (n > 0) {
        if (!owner_->clearing_)
            tree->childrenRemoving(this);
        const bool live = tree->model_->Live();
        if (live)
            tree->model_->BeginRemove(this, 0, n - 1);
        // Detached first, so that no child looks for itself in this list.
        std::vector<TZozeZONode *> children(children_.begin(), children_.end());
        children_.Clear();
        for (TZozeZONode *child : children) {
            child->parent_ = nullptr;
            child->Delete();
        }
        if (live)
            tree->model_->EndRemove();
        owner_->flat_.reset();
    }
    expanded_ = false;
    hasChildren_ = false;
    tree->updateNode(this);
}

void TZozeZONode::MoveTo(TZozeZONode *destination, TNodeAttachMode mode)
{
    if (destination && destination->owner_ != owner_)
        return;
    TCustomZozeZO *tree = TreeView();
    TTVChangingEvent savedChanging = std::move(tree->OnChanging);
    TTVChangedEvent savedChange = std::move(tree->OnChange);
    tree->OnChanging = nullptr;
    tree->OnChange = nullptr;
    TZozeZONode *selected = tree->Selected();
    struct Restore {
        TCustomZozeZO *tree;
        TTVChangingEvent &changing;
        TTVChangedEvent &change;
        ~Restore()
        {
            tree->OnChanging = std::move(changing);
            tree->OnChange = std::move(change);
        }
    } restore{tree, savedChanging, savedChange};

    if (destination && destination->HasAsParent(this))
        return;

    TZozeZONodes *nodes = owner_;
    TZozeZONode *newParent;
    if (mode == naAddChild || mode == naAddChildFirst)
        newParent = destination ? destination : nodes->root_;
    else
        newParent = destination ? destination->parent_ : nodes->root_;

    TZozeZONode *oldParent = parent_;
    const int oldRow = Index();
    // Where the node goes, counted without it.
    int newRow;
    switch (mode) {
    case naAddFirst:
    case naAddChildFirst: newRow = 0; break;
    case naInsert:
        if (destination) {
            newRow = destination->Index() + 1;
            if (newParent == oldParent && oldRow < newRow)
                --newRow;
        } else {
            newRow = newParent->children_.Count() - (newParent == oldParent ? 1 : 0);
        }
        break;
    default: newRow = newParent->children_.Count() - (newParent == oldParent ? 1 : 0); break;
    }

    const bool live = tree->model_->Live();
    int qtDest = newRow;
    if (newParent == oldParent && newRow > oldRow)
        qtDest = newRow + 1;
    const bool moved = live && tree->model_->BeginMove(oldParent, oldRow, newParent, qtDest);
    oldParent->children_.Delete(oldRow);
    if (oldParent->children_.Count() == 0 && oldParent != nodes->root_)
        oldParent->hasChildren_ = false;
    parent_ = newParent;
    newParent->children_.Insert(newRow, this);
    nodes->flat_.reset();
    if (moved)
        tree->model_->EndMove();
    tree->updateNode(oldParent);

    Assign(this);
    // The image follows the node's own check state under its new parent.
    setStateImage(stateImageFor(newParent->checkType_, checkState_, checkEnabled_));
    if (newParent != nodes->root_) {
        newParent->hasChildren_ = true;
        newParent->expanded_ = true;
        tree->setViewExpanded(newParent, true);
    }
    if (selected && !selected->deleting_)
        tree->SetSelected(selected);
}

void TZozeZONode::Assign(const TZozeZONode *source)
{
    if (!source)
        return;
    // Copied first: the setters below may re-sort or run events that look at the source.
    const QString text = source->text_;
    const qintptr data = source->data_;
    const int imageIndex = source->imageIndex_, selectedIndex = source->selectedIndex_,
              stateIndex = source->stateIndex_, overlayIndex = source->overlayIndex_,
              integral = source->integralHeight_;
    const int checkType = source->checkType_, checkState = source->checkState_;
    const bool checkEnabled = source->checkEnabled_, expanded = source->expanded_,
               hasChildren = source->hasChildren_, parentColor = source->parentColor_,
               parentFont = source->parentFont_;
    const TColor color = source->color_;
    const QFont font = source->font_ ? *source->font_ : QFont();
    const TColor fontColor = source->fontColor_;

    SetText(text);
    SetData(data);
    SetImageIndex(imageIndex);
    SetSelectedIndex(selectedIndex);
    SetStateIndex(stateIndex);
    SetCheckType(checkType);
    SetCheckState(checkState);
    SetCheckEnabled(checkEnabled);
    SetOverlayIndex(overlayIndex);
    SetExpanded(expanded);
    SetIntegralHeight(integral);
    SetHasChildren(hasChildren || children_.Count() > 0);
    SetParentColor(parentColor);
    if (!parentColor)
        SetColor(color);
    SetParentFont(parentFont);
    if (!parentFont)
        SetFont(font, fontColor);
}

// ---------------------------------------------------------------------------------------------------
// Checks

void TZozeZONode::SetCheckState(int value)
{
    TCustomZozeZO *tree = TreeView();
    if (!checkEnabled_ || !tree->CanCheck(this))
        return;
    const int parentType = parent_ ? parent_->checkType_ : 0;
    switch (parentType) {
    case 1:
        if (value == 1 || value == 3) {
            checkState_ = 1;
            setStateImage(2);
        } else {
            checkState_ = 0;
            setStateImage(1);
        }
        break;
    case 2:
        checkState_ = quint8(value);
        setStateImage(value == 0 ? 1 : value == 1 ? 2 : 4);
        if (checkType_ == 1 || checkType_ == 2) {
            if (value == 0 || value == 1) {
                std::vector<TZozeZONode *> children(children_.begin(), children_.end());
                for (TZozeZONode *child : children)
                    child->SetCheckState(value);
            }
        }
        break;
    case 3:
        if (value == 1 || value == 3) {
            checkState_ = 1;
            setStateImage(6);
            for (TZozeZONode *sibling : parent_->children_)
                if (sibling != this) {
                    sibling->checkState_ = 0;
                    sibling->setStateImage(sibling->checkEnabled_ ? 5 : 7);
                }
        }
        break;
    default: break;
    }
    if ((parentType == 1 || parentType == 2) && parent_ != owner_->root_ && parent_->parent_ &&
        parent_->parent_->checkType_ == 2)
        recomputeParentCheck();
    tree->Checked(this);
}

void TZozeZONode::recomputeParentCheck()
{
    TZozeZONode *parent = parent_;
    TZozeZONode *root = owner_->root_;
    while (parent && parent != root && parent->parent_ && parent->parent_->checkType_ == 2) {
        int on = 0;
        for (TZozeZONode *child : parent->children_)
            if (child->checkState_ == 1 || child->checkState_ == 3)
                ++on;
        if (on == 0) {
            parent->checkState_ = 0;
            parent->setStateImage(1);
        } else if (on == parent->children_.Count()) {
            parent->checkState_ = 1;
            parent->setStateImage(2);
        } else {
            parent->checkState_ = 3;
            parent->setStateImage(4);
        }
        parent = parent->parent_;
    }
}

void TZozeZONode::SetCheckType(int value)
{
    if (value == checkType_)
        return;
    checkType_ = quint8(value);
    switch (value) {
    case 0:
        for (TZozeZONode *child : children_) {
            child->checkState_ = 0;
            child->setStateImage(0);
        }
        break;
    case 1:
        for (TZozeZONode *child : children_) {
            const bool on = child->checkState_ == 1 || child->checkState_ == 3;
            child->setStateImage((on ? 2 : 1) + (child->checkEnabled_ ? 0 : 2));
        }
        break;
    case 2:
        checkState_ = 0;
        for (TZozeZONode *child : children_)
            child->setStateImage(child->checkEnabled_ ? 1 : 3);
        break;
    case 3: {
        for (TZozeZONode *child : children_) {
            child->checkState_ = 0;
            child->setStateImage(child->checkEnabled_ ? 5 : 7);
        }
        for (TZozeZONode *child : children_)
            if (child->checkEnabled_) {
                child->checkState_ = 1;
                child->setStateImage(6);
                break;
            }
        break;
    }
    default: break;
    }
}

void TZozeZONode::SetCheckEnabled(bool value)
{
    if (value == checkEnabled_)
        return;
    checkEnabled_ = value;
    const int parentType = parent_ ? parent_->checkType_ : 0;
    if (parentType == 0)
        return;
    int image = stateIndex_;
    if (value) {
        switch (image) {
        case 3: image = 1; break;
        case 4:
            if (parentType == 1)
                image = 2;
            break;
        case 7: image = 5; break;
        case 8: image = 6; break;
        default: break;
        }
    } else {
        switch (image) {
        case 1: image = 3; break;
        case 2: image = 4; break;
        case 5: image = 7; break;
        case 6: image = 8; break;
        default: break;
        }
    }
    setStateImage(image);
}

void TZozeZONode::ToggleCheck()
{
    const int parentType = parent_ ? parent_->checkType_ : 0;
    if (checkEnabled_) {
        switch (parentType) {
        case 1: SetCheckState(checkState_ == 1 ? 0 : 1); break;
        case 2: SetCheckState(checkState_ == 0 ? 3 : checkState_ == 3 ? 1 : 0); break;
        case 3: SetCheckState(1); break;
        default: break;
        }
        return;
    }
    switch (parentType) {
    case 1: setStateImage(checkState_ == 1 ? 2 : 1); break;
    case 2:
        if (checkState_ == 0)
            setStateImage(1);
        else if (checkState_ == 1)
            setStateImage(2);
        break;
    case 3: setStateImage(checkState_ == 1 ? 6 : 5); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------------
// Collection

TZozeZONodes::TZozeZONodes(TCustomZozeZO *owner) : owner_(owner)
{
    root_ = new TZozeZONode(this);
    root_->expanded_ = true;
}

TZozeZONodes::~TZozeZONodes()
{
    Clear();
    root_->deleting_ = true;
    root_->destroyed_ = true;
    delete root_;
}

TZozeZONode *TZozeZONodes::Add(TZozeZONode *node, const QString &s)
{
    TZozeZONode *parent = node ? node->parent_ : root_;
    return internalAdd(parent, s, parent->children_.Count());
}

TZozeZONode *TZozeZONodes::AddChild(TZozeZONode *node, const QString &s)
{
    TZozeZONode *parent = node ? node : root_;
    return internalAdd(parent, s, parent->children_.Count());
}

TZozeZONode *TZozeZONodes::Insert(TZozeZONode *node, const QString &s)
{
    if (!node)
        return Add(nullptr, s);
    return internalAdd(node->parent_, s, node->Index());
}

quintptr TZozeZONodes::newItemId(TZozeZONode *node)
{
    const quintptr id = nextItemId_++;
    items_.insert(id, node);
    return id;
}

TZozeZONode *TZozeZONodes::internalAdd(TZozeZONode *parent, const QString &s, int place)
{
    TCustomZozeZO *tree = owner_;
    TZozeZONode *node = tree->CreateNode();
    node->data_ = 0;
    node->text_ = s;
    tree->changeTimer_.stop();
    if (itemCount_ >= TTreeNodeList::MaxListSize) {
        node->deleting_ = true;
        delete node;
        throw EOutOfResources(QStringLiteral("Unable to insert an item"));
    }
    const bool live = tree->model_->Live();
    if (live)
        tree->model_->BeginInsert(parent, place);
    node->itemId_ = newItemId(node);
    node->inTree_ = true;
    node->parent_ = parent;
    node->rowHint_ = place;
    ++itemCount_;
    parent->children_.Insert(place, node);
    if (live)
        tree->model_->EndInsert();
    if (parent != root_) {
        parent->hasChildren_ = true;
        parent->Repaint();
    }
    node->setStateImage(initialStateImage(parent->checkType_));
    flat_.reset();
    tree->DelayedChange(node);
    return node;
}

void TZozeZONodes::itemDeleted(TZozeZONode *node)
{
    TCustomZozeZO *tree = owner_;
    items_.remove(node->itemId_);
    node->itemId_ = 0;
    --itemCount_;
    tree->changeTimer_.stop();
    if (!tree->destroying_ && tree->OnDeletion)
        tree->OnDeletion(this, node);
    flat_.reset();
}

void TZozeZONodes::freeSubtree(TZozeZONode *top)
{
    // Every descendant, children before their parent, without recursion (trees can be deep).
    std::vector<TZozeZONode *> order;
    std::vector<std::pair<TZozeZONode *, int>> stack;
    stack.emplace_back(top, 0);
    while (!stack.empty()) {
        auto &[node, next] = stack.back();
        if (next < node->children_.Count()) {
            TZozeZONode *child = node->children_.begin()[next++];
            child->deleting_ = true;
            stack.emplace_back(child, 0);
        } else {
            if (node != top)
                order.push_back(node);
            stack.pop_back();
        }
    }
    for (TZozeZONode *node : order) {
        if (node->itemId_)
            itemDeleted(node);
        node->destroyNode();
        delete node;
    }
    top->children_.Clear();
    itemDeleted(top);
}

void TZozeZONodes::Clear()
{
    if (root_->children_.Count() == 0)
        return;
    TCustomZozeZO *tree = owner_;
    clearing_ = true;
    root_->deleting_ = true;
    tree->nodesClearing();
    const bool live = tree->model_->Live();
    if (live)
        tree->model_->BeginReset();
    while (root_->children_.Count() > 0) {
        TZozeZONode *node = root_->children_.Last();
        node->DeleteChildren();
        root_->children_.Delete(root_->children_.Count() - 1);
        node->parent_ = nullptr;
        node->Delete();
    }
    root_->children_.Clear();
    flat_.reset();
    if (live)
        tree->model_->EndReset();
    root_->deleting_ = false;
    clearing_ = false;
}

void TZozeZONodes::BeginUpdate()
{
    if (updateCount_++ == 0) {
        owner_->setUpdatesEnabled(false);
        owner_->model_->BeginReset();
    }
}

void TZozeZONodes::EndUpdate()
{
    if (updateCount_ == 0)
        return;
    if (--updateCount_ == 0) {
        owner_->model_->EndReset();
        owner_->syncView();
        owner_->setUpdatesEnabled(true);
        owner_->viewport()->update();
    }
}

TZozeZONode *TZozeZONodes::GetFirstNode() const
{
    return root_->children_.First();
}

void TZozeZONodes::ensureFlat() const
{
    if (flat_)
        return;
    flat_ = std::make_unique<TTreeNodeList>();
    flat_->SetCapacity(itemCount_);
    for (TZozeZONode *n = GetFirstNode(); n; n = n->GetNext())
        flat_->Add(n);
}

TZozeZONode *TZozeZONodes::Item(int index) const
{
    ensureFlat();
    return flat_->Items(index);
}

TZozeZONode *TZozeZONodes::GetNode(quintptr itemId) const
{
    return itemId ? items_.value(itemId, nullptr) : nullptr;
}

TZozeZONode *TZozeZONodes::GetFirstSelected() const
{
    return selection_.First();
}

void TZozeZONodes::SetNodeSelected(TZozeZONode *node, int mode)
{
    TCustomZozeZO *tree = owner_;
    if (!node || !tree->CanChange(node))
        return;
    const bool present = selection_.IndexOf(node) >= 0;
    const bool select = mode == 0 || (mode == 2 && !present);
    if (!select) {
        if (selectionLock_ == 0)
            selection_.Remove(node);
        node->selectedBit_ = false;
    } else {
        if (tree->Options().testFlag(toLevelSelectConstraint) && node->Level() != selectionLevel_)
            return;
        if (selectionLock_ == 0 && !present)
            selection_.Add(node);
        node->selectedBit_ = true;
    }
    tree->updateNode(node);
    if (!multiSelecting_)
        tree->DelayedChange(node);
}

void TZozeZONodes::SelectRange(TZozeZONode *from, TZozeZONode *to, bool keepOthers)
{
    if (!from || !to)
        return;
    multiSelecting_ = true;
    if (from->AbsoluteIndex() > to->AbsoluteIndex())
        std::swap(from, to);
    std::vector<TZozeZONode *> range;
    for (TZozeZONode *n = from; n; n = n->GetNext()) {
        range.push_back(n);
        if (n == to)
            break;
    }
    if (!keepOthers) {
        std::vector<TZozeZONode *> selected(selection_.begin(), selection_.end());
        const QSet<TZozeZONode *> inRange(range.begin(), range.end());
        for (TZozeZONode *n : selected)
            if (!inRange.contains(n))
                SetNodeSelected(n, 1);
    }
    for (TZozeZONode *n : range)
        if (!n->Selected())
            SetNodeSelected(n, 0);
    multiSelecting_ = false;
    owner_->DelayedChange(to);
}

void TZozeZONodes::SelectAll()
{
    multiSelecting_ = true;
    TZozeZONode *last = nullptr;
    for (TZozeZONode *n = GetFirstNode(); n; n = n->GetNext()) {
        SetNodeSelected(n, 0);
        last = n;
    }
    multiSelecting_ = false;
    owner_->DelayedChange(last);
}

void TZozeZONodes::SelectStep(TZozeZONode *from, TZozeZONode *to)
{
    if (!from || !to || from == to)
        return;
    const bool down = from->AbsoluteIndex() < to->AbsoluteIndex();
    multiSelecting_ = true;
    for (TZozeZONode *n = down ? from->GetNextVisible() : from->GetPrevVisible(); n && n != to;
         n = down ? n->GetNextVisible() : n->GetPrevVisible())
        SetNodeSelected(n, 2);
    multiSelecting_ = false;
    owner_->DelayedChange(to);
}

void TZozeZONodes::DeleteSelection()
{
    while (selection_.Count() > 0)
        selection_.Last()->Delete();
    if (itemCount_ == 0)
        owner_->DelayedChange(nullptr);
}

void TZozeZONodes::LockSelection()
{
    ++selectionLock_;
}

void TZozeZONodes::UnlockSelection()
{
    if (selectionLock_ > 0)
        --selectionLock_;
}

void TZozeZONodes::Assign(const TZozeZONodes *source)
{
    if (!source || source == this)
        return;
    const QByteArray stream = source->WriteData();
    Clear();
    BeginUpdate();
    struct End {
        TZozeZONodes *n;
        ~End() { n->EndUpdate(); }
    } end{this};
    ReadData(stream);
}

void TZozeZONodes::SetTopLevelCheckType(int value)
{
    topLevelCheckType_ = quint8(value);
    root_->SetCheckType(value);
}

} // namespace tree
