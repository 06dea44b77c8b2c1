#include "folderdialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace platform {

FolderDialog::FolderDialog(QWidget *parent, const QString &prompt, const QString &root, bool statusLine)
    : QDialog(parent), statusLine_(statusLine)
{
    setObjectName(QStringLiteral("FolderDialog"));
    setWindowTitle(QStringLiteral("Browse for Folder"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(prompt, this);
    title->setObjectName(QStringLiteral("Prompt"));
    title->setWordWrap(true);
    layout->addWidget(title);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusText"));
    status_->setVisible(statusLine);
    layout->addWidget(status_);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    const QString top = root.isEmpty() ? QDir::rootPath() : root;
    model_->setRootPath(top);
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("FolderTree"));
    tree_->setModel(model_);
    for (int c = 1; c < model_->columnCount(); ++c)
        tree_->hideColumn(c);
    tree_->header()->hide();
    if (!root.isEmpty())
        tree_->setRootIndex(model_->index(root));
    layout->addWidget(tree_, 1);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { selectionChanged(); });
    // The folders are read in the background: rows come in above the highlighted one and push it away.
    connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { keepInView(); });
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { keepInView(); });
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] { keepInView(); });
    for (QWidget *w : {static_cast<QWidget *>(tree_), tree_->viewport(), static_cast<QWidget *>(tree_->verticalScrollBar())})
        w->installEventFilter(this);
    resize(360, 420);
    EnableOk(false);
}

void FolderDialog::SetSelection(const QString &path)
{
    if (path.isEmpty()) {
        tree_->setCurrentIndex(QModelIndex());
        selectionChanged();
        return;
    }
    const QModelIndex index = model_->index(QDir::cleanPath(path));
    if (!index.isValid())
        return;
    if (index == tree_->currentIndex())
        selectionChanged();
    else
        tree_->setCurrentIndex(index);
    keptInView_ = index;
    tree_->scrollTo(index);
}

void FolderDialog::keepInView()
{
    if (!keptInView_.isValid() || keepQueued_)
        return;
    // Once the rows of this round are in.
    keepQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        keepQueued_ = false;
        if (keptInView_.isValid() && keptInView_ == tree_->currentIndex())
            tree_->scrollTo(keptInView_);
    });
}

void FolderDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    keepInView();
}

bool FolderDialog::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        keptInView_ = QPersistentModelIndex(); // the user takes over
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

QString FolderDialog::SelectedPath() const
{
    const QModelIndex index = tree_->currentIndex();
    return index.isValid() ? model_->filePath(index) : QString();
}

void FolderDialog::SetStatusText(const QString &text)
{
    statusText_ = text;
    status_->setText(text);
}

QString FolderDialog::StatusText() const
{
    return statusText_;
}

void FolderDialog::EnableOk(bool enable)
{
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(enable);
}

bool FolderDialog::OkEnabled() const
{
    return buttons_->button(QDialogButtonBox::Ok)->isEnabled();
}

void FolderDialog::CentreOnScreen()
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    move(s.x() + s.width() / 2 - width() / 2, s.y() + s.height() / 2 - height() / 2);
}

void FolderDialog::selectionChanged()
{
    if (OnSelectionChanged)
        OnSelectionChanged(SelectedPath());
}

QString SpecialFolderPath(int csidl)
{
    auto location = [](QStandardPaths::StandardLocation l) {
        const QString p = QStandardPaths::writableLocation(l);
        return QDir(p).exists() ? p : QString();
    };
    switch (csidl) {
    case 0: // desktop
    case 16: // desktop folder
        return location(QStandardPaths::DesktopLocation);
    case 2: // programs
    case 11: // start menu
        return location(QStandardPaths::ApplicationsLocation);
    case 5: return location(QStandardPaths::DocumentsLocation);
    case 10: { // the trash
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                              + QStringLiteral("/Trash/files");
        return QDir(trash).exists() ? trash : QString();
    }
    case 17: return QDir::rootPath(); // the whole machine
    case 20: return location(QStandardPaths::FontsLocation);
    default: return QString(); // control panel, printers, network and the like do not exist here
    }
}

QString ShortenPath(const QString &path, int maxLength, QChar separator)
{
    if (path.size() <= maxLength)
        return path;
    QStringList parts = path.split(separator);
    if (parts.size() < 3)
        return path;
    parts[1] = QStringLiteral("...");
    QString result = parts.join(separator);
    while (result.size() > maxLength && parts.size() >= 4) {
        parts.removeAt(2);
        result = parts.join(separator);
    }
    return result;
}

} // namespace platform
