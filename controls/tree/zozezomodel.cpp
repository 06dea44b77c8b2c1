#include "zozezomodel.h"

#include "zozezo.h"

#include <QLineEdit>
#include <QPainter>

namespace tree {

// ---------------------------------------------------------------------------------------------------
// Model

TZozeZOModel::TZozeZOModel(TCustomZozeZO *tree) : QAbstractItemModel(tree), tree_(tree) {}

TZozeZONode *TZozeZOModel::NodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<TZozeZONode *>(index.internalPointer()) : nullptr;
}

QModelIndex TZozeZOModel::IndexOf(const TZozeZONode *node) const
{
    if (!node || !node->parent_ || node == tree_->items_->root_ || node->destroyed_)
        return QModelIndex();
    const int row = node->Index();
    if (row < 0)
        return QModelIndex();
    return createIndex(row, 0, const_cast<TZozeZONode *>(node));
}

QModelIndex TZozeZOModel::index(int row, int column, const QModelIndex &parent) const
{
    const TZozeZONode *p = parent.isValid() ? NodeOf(parent) : tree_->items_->root_;
    if (column != 0 || row < 0 || row >= p->children_.Count())
        return QModelIndex();
    TZozeZONode *node = p->children_.begin()[row];
    node->rowHint_ = row;
    return createIndex(row, 0, node);
}

QModelIndex TZozeZOModel::parent(const QModelIndex &child) const
{
    const TZozeZONode *node = NodeOf(child);
    if (!node)
        return QModelIndex();
    return IndexOf(node->parent_);
}

int TZozeZOModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const TZozeZONode *p = parent.isValid() ? NodeOf(parent) : tree_->items_->root_;
    return p->children_.Count();
}

int TZozeZOModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool TZozeZOModel::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return tree_->items_->root_->children_.Count() > 0;
    const TZozeZONode *p = NodeOf(parent);
    return p->hasChildren_ || p->children_.Count() > 0;
}

QVariant TZozeZOModel::data(const QModelIndex &index, int role) const
{
    const TZozeZONode *node = NodeOf(index);
    if (!node)
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return node->text_;
    return QVariant();
}

bool TZozeZOModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    TZozeZONode *node = NodeOf(index);
    if (!node || role != Qt::EditRole)
        return false;
    QString s = value.toString();
    tree_->Edit(node, s);
    return true;
}

Qt::ItemFlags TZozeZOModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!tree_->Options().testFlag(toReadOnly))
        f |= Qt::ItemIsEditable;
    return f;
}

void TZozeZOModel::BeginReset()
{
    if (resetDepth_++ == 0)
        beginResetModel();
}

void TZozeZOModel::EndReset()
{
    if (resetDepth_ > 0 && --resetDepth_ == 0)
        endResetModel();
}

void TZozeZOModel::BeginInsert(TZozeZONode *parent, int row)
{
    beginInsertRows(IndexOf(parent), row, row);
}

void TZozeZOModel::EndInsert()
{
    endInsertRows();
}

void TZozeZOModel::BeginRemove(TZozeZONode *parent, int first, int last)
{
    beginRemoveRows(IndexOf(parent), first, last);
}

void TZozeZOModel::EndRemove()
{
    endRemoveRows();
}

bool TZozeZOModel::BeginMove(TZozeZONode *from, int row, TZozeZONode *to, int destRow)
{
    moving_ = beginMoveRows(IndexOf(from), row, row, IndexOf(to), destRow);
    return moving_;
}

void TZozeZOModel::EndMove()
{
    if (moving_)
        endMoveRows();
    moving_ = false;
}

void TZozeZOModel::BeginLayout()
{
    emit layoutAboutToBeChanged();
}

void TZozeZOModel::EndLayout()
{
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(IndexOf(NodeOf(index)));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void TZozeZOModel::NodeChanged(const TZozeZONode *node)
{
    if (!Live())
        return;
    const QModelIndex index = IndexOf(node);
    if (index.isValid())
        emit dataChanged(index, index);
}

// ---------------------------------------------------------------------------------------------------
// Delegate

TZozeZODelegate::TZozeZODelegate(TCustomZozeZO *tree) : QStyledItemDelegate(tree), tree_(tree) {}

void TZozeZODelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    TZozeZONode *node = tree_->nodeOf(index);
    if (node)
        tree_->paintItem(painter, option, node);
}

QSize TZozeZODelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const TZozeZONode *node = tree_->nodeOf(index);
    const int height = tree_->ItemHeight() * (node ? node->integralHeight_ : 1);
    const ItemLayout layout = node ? tree_->itemLayout(node, QRect(0, 0, 0, height)) : ItemLayout();
    return QSize(layout.label.right() + 1, height);
}

QWidget *TZozeZODelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *edit = new QLineEdit(parent);
    edit->setFrame(true);
    TZozeZONode *node = tree_->nodeOf(index);
    if (node && node->font_)
        edit->setFont(*node->font_);
    editor_ = edit;
    return edit;
}

void TZozeZODelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        const TZozeZONode *node = tree_->nodeOf(index);
        edit->setText(node ? node->text_ : QString());
        edit->selectAll();
    }
}

void TZozeZODelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *edit = qobject_cast<QLineEdit *>(editor))
        model->setData(index, edit->text(), Qt::EditRole);
}

void TZozeZODelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                           const QModelIndex &index) const
{
    const TZozeZONode *node = tree_->nodeOf(index);
    QRect r = option.rect;
    if (node)
        r = tree_->itemLayout(node, option.rect).label;
    r.setWidth(qMax(r.width() + 16, 60));
    editor->setGeometry(r);
}

void TZozeZODelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor == editor_)
        editor_ = nullptr;
    tree_->editNode_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TZozeZODelegate::EndEdit(bool cancel)
{
    QWidget *editor = editor_;
    if (!editor)
        return;
    if (!cancel)
        emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

} // namespace tree
