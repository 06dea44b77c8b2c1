#pragma once
// The tree's model: nodes, their collection, the check logic, the selection list, sorting and the
// stored forms (TAB-indented text and the binary record stream).
#include "treenodelist.h"
#include "treetypes.h"

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

namespace platform {
class FormReader;
class FormWriter;
} // namespace platform

namespace tree {

class TCustomZozeZO;
class TZozeZONodes;
class TTreeRecordReader;

// The view's own sort callback: negative, zero or positive for two nodes and the caller's value.
using TTVCompare = std::function<int(TZozeZONode *, TZozeZONode *, qintptr)>;

class TZozeZONode {
public:
    explicit TZozeZONode(TZozeZONodes *owner);
    virtual ~TZozeZONode();
    TZozeZONode(const TZozeZONode &) = delete;
    TZozeZONode &operator=(const TZozeZONode &) = delete;

    TZozeZONodes *Owner() const { return owner_; }
    TCustomZozeZO *TreeView() const;
    // Frees the node with its subtree (nothing while it is already being freed).
    void Delete();

    const QString &Text() const { return text_; }
    void SetText(const QString &value);
    qintptr Data() const { return data_; }
    void SetData(qintptr value);
    quintptr ItemId() const { return itemId_; }
    bool InTree() const { return inTree_; }
    bool Deleting() const { return deleting_; }

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int value);
    int OverlayIndex() const { return overlayIndex_; }
    void SetOverlayIndex(int value);
    int StateIndex() const { return stateIndex_; }
    void SetStateIndex(int value);
    int IntegralHeight() const { return integralHeight_; }
    void SetIntegralHeight(int value);

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TColor GetColor() const;
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    // The own font (made from the tree's on first use) and its colour.
    QFont Font();
    TColor FontColor();
    void SetFont(const QFont &font, TColor color = clWindowText);
    bool HasOwnFont() const { return font_ != nullptr; }
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    void Repaint();

    bool Expanded() const { return expanded_; }
    void SetExpanded(bool value);
    void Expand(bool recurse);
    void Collapse(bool recurse);
    bool HasChildren() const { return hasChildren_; }
    void SetHasChildren(bool value);
    bool Selected() const;
    void SetSelected(bool value);
    bool Focused() const { return focusedBit_; }
    void SetFocused(bool value);
    bool DropTarget() const { return dropBit_; }
    void SetDropTarget(bool value);
    bool Cut() const { return cutBit_; }
    void SetCut(bool value);
    bool StateSelected() const { return selectedBit_; }

    TZozeZONode *Parent() const;
    int Index() const;
    int Count() const { return children_.Count(); }
    TZozeZONode *Item(int index) const;
    const TTreeNodeList &Children() const { return children_; }
    TZozeZONode *GetFirstChild() const { return children_.First(); }
    TZozeZONode *GetLastChild() const { return children_.Last(); }
    TZozeZONode *GetNextSibling() const;
    TZozeZONode *GetPrevSibling() const;
    TZozeZONode *GetNext() const;
    TZozeZONode *GetPrev() const;
    TZozeZONode *GetNextVisible() const;
    TZozeZONode *GetPrevVisible() const;
    TZozeZONode *GetNextSelected() const;
    int AbsoluteIndex() const;
    int Level() const;
    bool IsVisible() const;
    bool HasAsParent(const TZozeZONode *value) const;
    bool IsEqual(const TZozeZONode *node) const;

    QRect DisplayRect(bool textOnly) const;
    void MakeVisible();
    void EndEdit(bool cancel);

    bool AlphaSort();
    bool CustomSort(const TTVCompare &sortProc, qintptr data);
    void DeleteChildren();
    void MoveTo(TZozeZONode *destination, TNodeAttachMode mode);
    virtual void Assign(const TZozeZONode *source);

    int CheckState() const { return checkState_; }
    void SetCheckState(int value);
    int CheckType() const { return checkType_; }
    void SetCheckType(int value);
    bool CheckEnabled() const { return checkEnabled_; }
    void SetCheckEnabled(bool value);
    void ToggleCheck();

    // One node record of the binary form (not its children).
    virtual void WriteData(QByteArray &stream) const;
    virtual void ReadData(TTreeRecordReader &stream);

private:
    friend class TZozeZONodes;
    friend class TCustomZozeZO;
    friend class TZozeZOModel;
    friend class TZozeZODelegate;

    void destroyNode();
    bool checkSupport() const;
    void setStateImage(int value);
    void recomputeParentCheck();
    int rowHint() const;

    TZozeZONodes *owner_;
    QString text_;
    qintptr data_ = 0;
    quintptr itemId_ = 0;
    QFont *font_ = nullptr;
    TColor fontColor_ = clWindowText;
    TZozeZONode *parent_ = nullptr;
    bool expanded_ = false;
    bool parentColor_ = true;
    bool parentFont_ = true;
    int imageIndex_ = -1;
    int selectedIndex_ = -1;
    int overlayIndex_ = -1;
    int stateIndex_ = -1;
    bool deleting_ = false;
    bool destroyed_ = false;
    TColor color_ = clBlack;
    bool inTree_ = false;
    int updateCount_ = 0;
    TTreeNodeList children_;
    quint8 checkState_ = 0;
    quint8 checkType_ = 0;
    bool checkEnabled_ = true;
    // The view item's own state.
    int integralHeight_ = 1;
    bool hasChildren_ = false;
    bool selectedBit_ = false;
    bool focusedBit_ = false;
    bool dropBit_ = false;
    bool cutBit_ = false;
    mutable int rowHint_ = 0;
};

// Makes a node for a collection; the tree's OnCreateNode may choose another kind.
using TZozeZONodeClass = std::function<TZozeZONode *(TZozeZONodes *)>;

class TZozeZONodes {
public:
    explicit TZozeZONodes(TCustomZozeZO *owner);
    virtual ~TZozeZONodes();
    TZozeZONodes(const TZozeZONodes &) = delete;
    TZozeZONodes &operator=(const TZozeZONodes &) = delete;

    TCustomZozeZO *Owner() const { return owner_; }
    int Count() const { return itemCount_; }
    TZozeZONode *Add(TZozeZONode *node, const QString &s);
    TZozeZONode *AddChild(TZozeZONode *node, const QString &s);
    TZozeZONode *Insert(TZozeZONode *node, const QString &s);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    TZozeZONode *GetFirstNode() const;
    TZozeZONode *Item(int index) const;
    TZozeZONode *operator[](int index) const { return Item(index); }
    TZozeZONode *GetNode(quintptr itemId) const;
    // The hidden parent of the top-level nodes.
    TZozeZONode *Root() const { return root_; }

    TZozeZONode *GetFirstSelected() const;
    int SelectionCount() const { return selection_.Count(); }
    const TTreeNodeList &Selection() const { return selection_; }
    // Mode 0 selects, 1 unselects, 2 toggles.
    void SetNodeSelected(TZozeZONode *node, int mode);
    void SelectRange(TZozeZONode *from, TZozeZONode *to, bool keepOthers);
    void SelectAll();
    void DeleteSelection();
    void LockSelection();
    void UnlockSelection();
    bool SelectionLocked() const { return selectionLock_ > 0; }
    bool MultiSelecting() const { return multiSelecting_; }
    void SetMultiSelecting(bool value) { multiSelecting_ = value; }
    // Toggles every visible node strictly between the two, walking from one towards the other.
    void SelectStep(TZozeZONode *from, TZozeZONode *to);
    int SelectionLevel() const { return selectionLevel_; }
    void SetSelectionLevel(int value) { selectionLevel_ = value; }

    void Assign(const TZozeZONodes *source);
    int TopLevelCheckType() const { return topLevelCheckType_; }
    void SetTopLevelCheckType(int value);

    // The stored property "Data": written when it differs from the ancestor's (or, without one, when
    // there are nodes) or when the top-level check type is set.
    bool DataStored(const TZozeZONodes *ancestor = nullptr) const;
    void DefineProperties(platform::FormWriter &writer, const TZozeZONodes *ancestor = nullptr) const;
    // Takes the value of a stored property; false when the name is not ours.
    bool ReadProperty(const QString &name, platform::FormReader &reader);

    // Record stream and text form. The readers check the whole input first and leave the tree as it
    // was when it is damaged.
    QByteArray WriteData() const;
    void ReadData(const QByteArray &stream);
    QByteArray WriteText() const;
    void ReadText(const QByteArray &stream);

    // Drops the flat cache.
    void Changed() { flat_.reset(); }

private:
    friend class TZozeZONode;
    friend class TCustomZozeZO;
    friend class TZozeZOModel;

    TZozeZONode *internalAdd(TZozeZONode *parent, const QString &s, int place);
    void ensureFlat() const;
    void itemDeleted(TZozeZONode *node);
    void freeSubtree(TZozeZONode *node);
    quintptr newItemId(TZozeZONode *node);

    TCustomZozeZO *owner_;
    int updateCount_ = 0;
    bool multiSelecting_ = false;
    bool clearing_ = false;
    TZozeZONode *root_ = nullptr;
    mutable std::unique_ptr<TTreeNodeList> flat_;
    TTreeNodeList selection_;
    int selectionLock_ = 0;
    quint8 topLevelCheckType_ = 0;
    int selectionLevel_ = -1;
    int itemCount_ = 0;
    int integralNodes_ = 0;
    quintptr nextItemId_ = 1;
    QHash<quintptr, TZozeZONode *> items_;
};

// Reads node records from a stream that has already been checked whole. A node's ReadData leaves the
// number of children and the stored expand state of its record here.
class TTreeRecordReader {
public:
    TTreeRecordReader(const QByteArray &data, qsizetype pos) : data_(data), pos_(pos) {}
    qint32 ReadInt32();
    quint8 ReadByte();
    QByteArray ReadBytes(qsizetype n);
    qsizetype Position() const { return pos_; }
    int ChildCount = 0;
    bool Expanded = false;

private:
    const QByteArray &data_;
    qsizetype pos_;
};

// Stored text: Windows-1252 when it can hold it and cannot be mistaken for UTF-8 or a byte order mark,
// UTF-8 otherwise; read back by the same rule.
QByteArray EncodeNodeText(const QString &text, bool *singleByte = nullptr);
QString DecodeNodeText(const QByteArray &bytes);

} // namespace tree
