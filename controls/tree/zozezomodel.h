#pragma once
// The item model that shows the node collection in the view. The nodes are the only truth; the model
// only reports their changes. While the collection is updating it reports one reset at the end.
#include <QAbstractItemModel>
#include <QPointer>
#include <QStyledItemDelegate>

namespace tree {

class TCustomZozeZO;
class TZozeZONode;

class TZozeZOModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TZozeZOModel(TCustomZozeZO *tree);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QModelIndex IndexOf(const TZozeZONode *node) const;
    TZozeZONode *NodeOf(const QModelIndex &index) const;

    bool Live() const { return resetDepth_ == 0; }
    void BeginReset();
    void EndReset();
    void BeginInsert(TZozeZONode *parent, int row);
    void EndInsert();
    void BeginRemove(TZozeZONode *parent, int first, int last);
    void EndRemove();
    // False when the move changes nothing the view sees.
    bool BeginMove(TZozeZONode *from, int row, TZozeZONode *to, int destRow);
    void EndMove();
    // Around a reordering of children.
    void BeginLayout();
    void EndLayout();
    void NodeChanged(const TZozeZONode *node);

private:
    TCustomZozeZO *tree_;
    int resetDepth_ = 0;
    bool moving_ = false;
};

// Paints an item the way the tree wants it (state image, image, text on its background) and runs the
// label editor.
class TZozeZODelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TZozeZODelegate(TCustomZozeZO *tree);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    QWidget *Editor() const { return editor_; }
    void EndEdit(bool cancel);

private:
    TCustomZozeZO *tree_;
    mutable QPointer<QWidget> editor_;
};

} // namespace tree
