#include "explorer.h"

#include "platform/error.h"
#include "platform/filenames.h"
#include "platform/shell/masks.h"
#include "platform/shell/volumes.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScopeGuard>
#include <algorithm>

namespace zel {
namespace {

constexpr int PathRole = Qt::UserRole + 1;
constexpr int LoadedRole = Qt::UserRole + 2;
constexpr int NameRole = Qt::UserRole + 3;
// Set on the entries that stand for folders: a file's name may start with "[" as well.
constexpr int FolderRole = Qt::UserRole + 4;

QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// Whether a linked folder leads back to where it sits (or above): entering it would never end.
bool loopsBack(const QString &parentPath, const QString &childPath)
{
    const QFileInfo child(QDir::cleanPath(childPath)); // a trailing separator would look through the link
    if (!child.isSymLink())
        return false;
    const QString target = withSlash(child.canonicalFilePath());
    const QString parent = withSlash(QFileInfo(parentPath).canonicalFilePath());
    return target.size() > 1 && parent.startsWith(target);
}

// The node among the candidates whose path is the prefix; the exact spelling wins over another case.
QTreeWidgetItem *findNode(const QList<QTreeWidgetItem *> &nodes, const QString &prefix)
{
    QTreeWidgetItem *caseBlind = nullptr;
    for (QTreeWidgetItem *n : nodes) {
        const QString p = TZELExplorerTree::NodePath(n);
        if (p == prefix)
            return n;
        if (!caseBlind && p.compare(prefix, Qt::CaseInsensitive) == 0)
            caseBlind = n;
    }
    return caseBlind;
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

// --- TZELExplorerTree

TZELExplorerTree::TZELExplorerTree(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    setSortingEnabled(false);
    setIconSize(QSize(16, 16));
    systemFolder_ = platform::SystemFolder();
    for (const platform::Volume &v : platform::Volumes())
        lastFolder_.insert(v.root, v.root);
    const QString current = withSlash(QDir::currentPath());
    const QString currentRoot = volumeRootOf(current);
    if (!currentRoot.isEmpty())
        lastFolder_.insert(currentRoot, current);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) {
        WaitCursor wait;
        LoadChildren(node);
        for (int i = 0; i < node->childCount(); ++i)
            probe(node->child(i));
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) { selectionChanged(current); });
    reload();
}

TZELExplorerTree::~TZELExplorerTree()
{
    destroying_ = true;
    ready_ = false;
}

QString TZELExplorerTree::NodePath(const QTreeWidgetItem *node)
{
    return node ? node->data(0, PathRole).toString() : QString();
}

bool TZELExplorerTree::ChildrenLoaded(const QTreeWidgetItem *node)
{
    return node && node->data(0, LoadedRole).toBool();
}

QString TZELExplorerTree::volumeRootOf(const QString &path) const
{
    QString best;
    for (auto it = lastFolder_.cbegin(); it != lastFolder_.cend(); ++it)
        if (path.startsWith(it.key()) && it.key().size() > best.size())
            best = it.key();
    return best;
}

QString TZELExplorerTree::Directory() const
{
    const QString path = NodePath(currentItem());
    return path.isEmpty() ? QStringLiteral("nil") : path;
}

void TZELExplorerTree::SetDirectory(const QString &path)
{
    if (path.isEmpty())
        throw platform::Error(QStringLiteral("Invalid Directory Name"));
    if (path == QLatin1String("nil"))
        return;
    QString p = path;
    if (!network_ && platform::DriveTypeOf(p) == platform::DRIVE_REMOTE)
        p = systemFolder_;
    if (!p.startsWith(QLatin1Char('/')))
        return;
    p = withSlash(p);

    WaitCursor wait;
    setUpdatesEnabled(false);
    auto resume = qScopeGuard([this] { setUpdatesEnabled(true); });
    // The volume with the longest root before the path, then one level per separator after it.
    QTreeWidgetItem *node = nullptr;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = topLevelItem(i);
        const QString root = NodePath(top);
        if (p.startsWith(root, Qt::CaseInsensitive) && (!node || root.size() > NodePath(node).size()))
            node = top;
    }
    if (!node)
        return;
    for (int k = int(NodePath(node).size()); k < p.size(); ++k) {
        if (p[k] != QLatin1Char('/'))
            continue;
        if (!ChildrenLoaded(node)) {
            LoadChildren(node);
            // The new children show whether they can be opened.
            for (int i = 0; i < node->childCount(); ++i)
                probe(node->child(i));
        }
        QList<QTreeWidgetItem *> children;
        for (int i = 0; i < node->childCount(); ++i)
            children << node->child(i);
        node = findNode(children, p.left(k + 1));
        if (!node)
            return;
    }
    setCurrentItem(node);
    scrollToItem(node);
}

void TZELExplorerTree::SetNetwork(bool network)
{
    if (network == network_)
        return;
    network_ = network;
    Refresh();
}

bool TZELExplorerTree::passesFilter(const QString &path)
{
    // Folders inside a "recycled" folder stay hidden; the folder itself shows.
    const QString lower = path.toLower();
    const int at = int(lower.indexOf(QLatin1String("/recycled/")));
    if (at >= 0 && lower.size() > at + 10)
        return false;
    bool add = true;
    if (OnAddDirectory)
        OnAddDirectory(this, path, add);
    return add;
}

QStringList TZELExplorerTree::subfolders(const QString &path, bool firstOnly)
{
    QStringList names;
    bool first = true;
    for (const platform::FolderEntry &e : platform::ReadFolder(path)) {
        if (!e.folder || e.hidden)
            continue;
        if (OnFindDirectory) {
            int result = 0;
            OnFindDirectory(this, path + e.name, result, first);
            first = false;
            if (result != 0)
                break;
        }
        if (!passesFilter(path + e.name + QLatin1Char('/')))
            continue;
        names << e.name;
        if (firstOnly)
            break;
    }
    std::sort(names.begin(), names.end(), platform::NameLess);
    return names;
}

QTreeWidgetItem *TZELExplorerTree::addFolderNode(QTreeWidgetItem *parent, const QString &path, const QString &text)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    node->setText(0, text);
    node->setData(0, PathRole, path);
    node->setData(0, LoadedRole, false);
    QIcon icon = platform::FileIcon(path, false);
    const QIcon open = platform::FileIcon(path, true);
    for (const QSize &s : open.availableSizes())
        icon.addPixmap(open.pixmap(s), QIcon::Selected);
    node->setIcon(0, icon);
    if (OnGetIcon)
        OnGetIcon(this, node);
    return node;
}

void TZELExplorerTree::probe(QTreeWidgetItem *node)
{
    const QString path = NodePath(node);
    if (ChildrenLoaded(node) || node->childCount() > 0)
        return;
    const QString parentPath = node->parent() ? NodePath(node->parent()) : QString();
    if (!parentPath.isEmpty() && loopsBack(parentPath, path)) {
        node->setData(0, LoadedRole, true); // a way round in a circle: nothing below it
        return;
    }
    if (!subfolders(path, true).isEmpty())
        new QTreeWidgetItem(node, QStringList(QStringLiteral("**")));
}

void TZELExplorerTree::deleting(QTreeWidgetItem *node)
{
    for (int i = 0; i < node->childCount(); ++i)
        deleting(node->child(i));
    if (OnDeleteItem && !NodePath(node).isEmpty())
        OnDeleteItem(this, node);
}

void TZELExplorerTree::removeChildren(QTreeWidgetItem *node)
{
    const QList<QTreeWidgetItem *> children = node->takeChildren();
    for (QTreeWidgetItem *c : children) {
        deleting(c);
        delete c;
    }
}

void TZELExplorerTree::LoadChildren(QTreeWidgetItem *node)
{
    if (!node || ChildrenLoaded(node))
        return;
    removeChildren(node);
    node->setData(0, LoadedRole, true);
    const QString path = NodePath(node);
    if (node->parent() && loopsBack(NodePath(node->parent()), path))
        return;
    for (const QString &name : subfolders(path, false))
        addFolderNode(node, path + name + QLatin1Char('/'), platform::ShownName(name));
}

void TZELExplorerTree::reload()
{
    ready_ = false;
    WaitCursor wait;
    setUpdatesEnabled(false);
    for (int i = 0; i < topLevelItemCount(); ++i)
        deleting(topLevelItem(i));
    clear();
    for (const platform::Volume &v : platform::Volumes()) {
        if (!network_ && v.type == platform::DRIVE_REMOTE)
            continue;
        if (!passesFilter(v.root))
            continue;
        QTreeWidgetItem *node = addFolderNode(nullptr, v.root, v.displayName);
        // Slow or removable media are not touched until they are opened.
        if (FastLoad || v.type < platform::DRIVE_FIXED || v.type == platform::DRIVE_CDROM)
            new QTreeWidgetItem(node, QStringList(QString()));
        else
            probe(node);
    }
    ready_ = true;
    setUpdatesEnabled(true);
    selectionChanged(currentItem());
}

void TZELExplorerTree::Refresh()
{
    const QString remembered = Directory();
    reload();
    if (remembered != QLatin1String("nil"))
        SetDirectory(remembered);
    if (!currentItem() && remembered != QLatin1String("nil"))
        SetDirectory(volumeRootOf(remembered).isEmpty() ? QStringLiteral("/") : volumeRootOf(remembered));
    if (!currentItem() && topLevelItemCount() > 0) {
        QTreeWidgetItem *top = topLevelItem(topLevelItemCount() - 1);
        for (int i = 0; i < topLevelItemCount(); ++i) {
            QTreeWidgetItem *t = topLevelItem(i);
            if (t->childCount() == 0 || ChildrenLoaded(t)) {
                top = t;
                break;
            }
        }
        const QString last = lastFolder_.value(NodePath(top), NodePath(top));
        SetDirectory(last);
        if (Directory() != last) {
            setCurrentItem(top);
            selectionChanged(top);
        }
    }
}

void TZELExplorerTree::selectionChanged(QTreeWidgetItem *current)
{
    if (!ready_ || destroying_)
        return;
    const QString path = NodePath(current);
    if (!path.isEmpty()) {
        const QString root = volumeRootOf(path);
        if (!root.isEmpty())
            lastFolder_.insert(root, path);
    }
    if (OnChange)
        OnChange(this, current);
}

// --- TZELExplorerView

TZELExplorerView::TZELExplorerView(QWidget *parent) : QListWidget(parent)
{
    setIconSize(QSize(16, 16));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

void TZELExplorerView::SetDirectory(const QString &dir)
{
    directory_ = dir;
    Update();
}

void TZELExplorerView::SetMask(const QString &mask)
{
    mask_ = mask;
    Update();
}

void TZELExplorerView::SetFileType(TFileType type)
{
    fileType_ = type;
    Update();
}

void TZELExplorerView::SetCharCase(TEditCharCase c)
{
    charCase_ = c;
    Update();
}

QString TZELExplorerView::FileName() const
{
    const QListWidgetItem *item = currentItem();
    if (!item || !item->isSelected() || item->data(FolderRole).toBool())
        return QString();
    return withSlash(directory_) + item->data(NameRole).toString();
}

void TZELExplorerView::Update()
{
    const QString selected = currentItem() ? currentItem()->data(NameRole).toString() : QString();
    clear();
    if (directory_.isEmpty())
        return;
    const QDir dir(directory_);
    const QStringList masks = platform::SplitMasks(mask_);
    // Read by bytes: a name that is no text is listed too (Qt's listings leave it out), and kept whole.
    QList<platform::FolderEntry> entries = platform::ReadFolder(directory_);
    entries.removeIf([this](const platform::FolderEntry &e) {
        return (e.hidden && !(fileType_ & ftHidden)) || (e.folder ? !(fileType_ & ftDirectory) : !e.file);
    });
    std::sort(entries.begin(), entries.end(), [](const platform::FolderEntry &a, const platform::FolderEntry &b) { return platform::NameLess(a.name, b.name); });
    auto shown = [this](const QString &name) {
        return charCase_ == ecLowerCase ? name.toLower() : charCase_ == ecUpperCase ? name.toUpper() : name;
    };
    const QIcon folder = platform::FileIcon(QDir::homePath());
    if ((fileType_ & ftDirectory) && !dir.isRoot()) {
        auto *up = new QListWidgetItem(folder, QStringLiteral("[..]"), this);
        up->setData(NameRole, QStringLiteral(".."));
        up->setData(FolderRole, true);
    }
    for (const platform::FolderEntry &e : entries) {
        QListWidgetItem *item = nullptr;
        if (e.folder) {
            item = new QListWidgetItem(folder, QLatin1Char('[') + shown(e.Shown()) + QLatin1Char(']'), this);
            item->setData(FolderRole, true);
        } else {
            if (!platform::MatchesAnyMask(e.name, masks))
                continue;
            item = new QListWidgetItem(platform::FileIcon(withSlash(directory_) + e.Shown()), shown(e.Shown()), this);
        }
        item->setData(NameRole, e.name);
        item->setSizeHint(QSize(item->sizeHint().width(), 18));
        if (e.name == selected)
            setCurrentItem(item);
    }
}

} // namespace zel
