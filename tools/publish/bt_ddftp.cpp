#include "bt_ddftp.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/filenames.h"
#include "platform/registry.h"
#include "platform/shell/volumes.h"
#include "platform/textfile.h"

#include <QAbstractTableModel>
#include <QActionGroup>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QInputDialog>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

namespace publish {

using namespace platform;

namespace {

const char *const kAgent = "DDFTP20";

// Server names are bytes: UTF-8 where they are valid UTF-8, else the Windows code page.
QString decodeName(const QByteArray &raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = utf8(raw);
    return utf8.hasError() ? FromWindows1252(raw) : s;
}

// The "#,##0" pattern: grouped even where the locale (the C locale) would leave the separator out.
QString formatThousands(qint64 value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

// HKEY_CLASSES_ROOT: the user's classes over the machine's. Its root always exists.
bool classesDefault(const QString &key, QString *value)
{
    if (key.isEmpty()) {
        *value = QString();
        return true;
    }
    for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
        Registry reg(root);
        if (reg.OpenKeyReadOnly(QStringLiteral("\\Software\\Classes\\") + key)) {
            *value = reg.ReadString(QString());
            return true;
        }
    }
    return false;
}

QString extensionOf(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString typeText(const QString &name, bool folder)
{
    const QString ext = extensionOf(name);
    QString cls;
    if (!classesDefault(ext, &cls))
        return ext.mid(1).toUpper() + QStringLiteral(" File");
    if (folder)
        cls = QStringLiteral("Folder");
    QString type;
    return classesDefault(cls, &type) ? type : QString();
}

// The date a DOS time stamp can hold: local time, even seconds, 1980 to 2107; else none.
QDateTime dosDateTime(const QDateTime &utc)
{
    if (!utc.isValid())
        return QDateTime();
    QDateTime local = utc.toLocalTime();
    const int year = local.date().year();
    if (year < 1980 || year > 2107)
        return QDateTime();
    const QTime t = local.time();
    local.setTime(QTime(t.hour(), t.minute(), t.second() & ~1));
    return local;
}

struct Entry {
    QString caption;
    QByteArray raw;
    bool folder = false;
    qint64 size = -1; // -1 for folders
    QString sizeText;
    QDateTime date;
    QString dateText;
    QString type;
    QIcon icon;
};

int sign(int v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

QByteArray nameKey(const Entry &e)
{
    return e.folder ? ' ' + e.raw : e.raw;
}

int compareEntries(const Entry &a, const Entry &b, int key)
{
    switch (key) {
    case 1:
        if (a.date == b.date)
            return 0;
        if (!a.date.isValid() || !b.date.isValid())
            return a.date.isValid() ? 1 : -1;
        return a.date < b.date ? -1 : 1;
    case 2: return a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
    case 3: {
        const QString ta = a.folder ? QLatin1Char(' ') + a.caption : a.type;
        const QString tb = b.folder ? QLatin1Char(' ') + b.caption : b.type;
        return sign(ta.compare(tb));
    }
    default: return sign(nameKey(a).compare(nameKey(b)));
    }
}

} // namespace

class FtpEntryModel : public QAbstractTableModel {
public:
    FtpEntryModel(TBTDragDropFTP *owner) : QAbstractTableModel(owner), owner_(owner) {}

    std::vector<Entry> entries;

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(entries.size()); }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 4; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(entries.size()))
            return QVariant();
        const Entry &e = entries[size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            switch (index.column()) {
            case 0: return e.caption;
            case 1: return e.sizeText;
            case 2: return e.dateText;
            default: return e.type;
            }
        case Qt::DecorationRole: return index.column() == 0 ? QVariant(e.icon) : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        default: return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *captions[] = {"Name", "Size", "Date", "Type"};
        if (orientation != Qt::Horizontal || section < 0 || section > 3)
            return QVariant();
        if (role == Qt::DisplayRole)
            return QString::fromLatin1(captions[section]);
        if (role == Qt::TextAlignmentRole && section == 1)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        return index.column() == 0 ? f | Qt::ItemIsEditable : f;
    }

    // The end of an in-place edit: the server entry is renamed; a refused rename keeps the old caption.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole || index.column() != 0 || index.row() >= int(entries.size()))
            return false;
        if (!owner_->edited(index.row(), value.toString()))
            return false;
        emit dataChanged(index, index);
        return true;
    }

    void reset(std::vector<Entry> fresh)
    {
        beginResetModel();
        entries = std::move(fresh);
        endResetModel();
    }

    // Sorts and keeps the selection on the same entries.
    void sort(int key, bool descending)
    {
        emit layoutAboutToBeChanged();
        std::vector<int> order(entries.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const int c = compareEntries(entries[size_t(a)], entries[size_t(b)], key);
            return (descending ? -c : c) < 0;
        });
        std::vector<Entry> sorted;
        sorted.reserve(entries.size());
        std::vector<int> newRow(entries.size());
        for (size_t i = 0; i < order.size(); ++i) {
            newRow[size_t(order[i])] = int(i);
            sorted.push_back(std::move(entries[size_t(order[i])]));
        }
        entries = std::move(sorted);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        for (const QModelIndex &i : from)
            to << index(newRow[size_t(i.row())], i.column());
        changePersistentIndexList(from, to);
        emit layoutChanged();
    }

private:
    TBTDragDropFTP *owner_;
};

TUploadThread::TUploadThread(TBTDragDropFTP *owner, std::shared_ptr<FtpConnection> connection, QStringList files)
    : owner_(owner), connection_(std::move(connection)), files_(std::move(files))
{
}

void TUploadThread::Cancel()
{
    connection_->Abort();
}

void TUploadThread::run()
{
    for (const QString &path : std::as_const(files_)) {
        // A name that is no text goes up as the bytes it has; it shows with U+FFFD for them.
        const QString name = platform::ShownName(QFileInfo(path).fileName());
        const QByteArray remote = platform::EncodeName(QFileInfo(path).fileName());
        if (!connection_->Aborted())
            emit Report(QStringLiteral("Uploading \"%1\"").arg(name), false);
        // The local file is opened by the named-file reader first: its message names the file and says why.
        QString unreadable;
        {
            QFile file;
            try {
                platform::OpenForReading(file, path);
            } catch (const platform::FileError &e) {
                unreadable = e.message();
            }
        }
        if (!unreadable.isEmpty()) {
            emit Report(unreadable, true);
            emit Failed(unreadable);
        } else if (!connection_->PutFile(path, remote)) {
            const unsigned error = FtpLastError();
            emit Report(QStringLiteral("Could not upload %1 (Win32 Error %2)").arg(name).arg(error), true);
            emit Failed(name + QStringLiteral(": ") + FtpErrorText(error, FtpLastResponse()));
        }
    }
    emit Done();
}

TBTDragDropFTP::TBTDragDropFTP(QWidget *owner) : QFrame(owner)
{
    setObjectName(QStringLiteral("BTDragDropFTP"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    model_ = new FtpEntryModel(this);
    stack_ = new QStackedWidget(this);
    layout->addWidget(stack_);

    details_ = new QTreeView(stack_);
    details_->setObjectName(QStringLiteral("ListView"));
    details_->setRootIsDecorated(false);
    details_->setItemsExpandable(false);
    details_->setUniformRowHeights(true);
    details_->setModel(model_);
    details_->setIconSize(QSize(16, 16));
    details_->header()->setSectionsClickable(true);
    details_->header()->setStretchLastSection(false);
    const int widths[] = {150, 70, 100, 200};
    for (int c = 0; c < 4; ++c)
        details_->setColumnWidth(c, widths[c]);
    connect(details_->header(), &QHeaderView::sectionClicked, this, [this](int c) { columnClick(c); });

    icons_ = new QListView(stack_);
    icons_->setObjectName(QStringLiteral("ListViewIcons"));
    icons_->setModel(model_);
    QItemSelectionModel *own = icons_->selectionModel();
    icons_->setSelectionModel(details_->selectionModel());
    delete own;

    for (QAbstractItemView *v : {static_cast<QAbstractItemView *>(details_), static_cast<QAbstractItemView *>(icons_)}) {
        v->setSelectionMode(QAbstractItemView::SingleSelection);
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(v, &QAbstractItemView::doubleClicked, this, [this] { GetSelected(); });
        connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint &p) { popupAt(v->viewport(), p); });
        stack_->addWidget(v);
    }
    stack_->setCurrentWidget(details_);
}

TBTDragDropFTP::~TBTDragDropFTP()
{
    destroying_ = true;
    if (thread_) {
        // Nothing the upload still has to say may reach a component that is going away.
        disconnect(thread_.get(), nullptr, this, nullptr);
        cancelUpload();
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
        thread_.reset();
        busy_ = false;
    }
    if (Connected())
        Disconnect();
}

void TBTDragDropFTP::SetActive(bool value)
{
    active_ = value;
    if (!busy_)
        setAcceptDrops(value);
}

void TBTDragDropFTP::Loaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    if (!popup_)
        popup_ = new QMenu(this);
    ownItemsStart_ = int(popup_->actions().size());
    get_ = popup_->addAction(QStringLiteral("Get"), this, [this] { GetSelected(); });
    popup_->setDefaultAction(get_);
    popup_->addSeparator();
    delete_ = popup_->addAction(QStringLiteral("Delete"), this, [this] { DeleteSelected(); });
    rename_ = popup_->addAction(QStringLiteral("Rename"), this, [this] { RenameSelected(); });
    newFolder_ = popup_->addAction(QStringLiteral("New Folder"), this, [this] { newFolderClick(); });

    viewMenu_ = popup_->addMenu(QStringLiteral("View"));
    auto *viewGroup = new QActionGroup(viewMenu_);
    const std::pair<const char *, TViewStyle> views[] = {
        {"Large icons", vsIcon}, {"Small icons", vsSmallIcon}, {"List", vsList}, {"Details", vsReport}};
    for (const auto &[text, style] : views) {
        QAction *a = viewMenu_->addAction(QString::fromLatin1(text), this, [this, s = style] { SetViewStyle(s); });
        a->setCheckable(true);
        a->setChecked(style == vsReport);
        viewGroup->addAction(a);
    }
    popup_->addSeparator();
    orderMenu_ = popup_->addMenu(QStringLiteral("Order"));
    auto *orderGroup = new QActionGroup(orderMenu_);
    const std::pair<const char *, int> orders[] = {{"by Name", 0}, {"by Size", 2}, {"by Date", 1}, {"by Type", 3}};
    for (const auto &[text, key] : orders) {
        QAction *a = orderMenu_->addAction(QString::fromLatin1(text), this, [this, k = key] {
            sortKey_ = k;
            sortEntries();
        });
        a->setCheckable(true);
        a->setChecked(key == 0);
        orderGroup->addAction(a);
    }
    popup_->addSeparator();
    refresh_ = popup_->addAction(QStringLiteral("Refresh"), this, [this] { Refresh(); });
    connect(popup_, &QMenu::aboutToShow, this, [this] { updatePopupItems(); });
    Info(QStringLiteral("Not connected"));
}

void TBTDragDropFTP::updatePopupItems()
{
    const bool on = Connected();
    const bool idle = on && !busy_;
    const int row = selectedRow();
    get_->setEnabled(idle && row >= 0 && !model_->entries[size_t(row)].sizeText.isEmpty() && OnGetLocalFile);
    delete_->setEnabled(idle && row >= 0);
    rename_->setEnabled(idle && row >= 0);
    newFolder_->setEnabled(idle);
    refresh_->setEnabled(idle);
    viewMenu_->menuAction()->setEnabled(on);
    orderMenu_->menuAction()->setEnabled(on);
}

void TBTDragDropFTP::popupAt(QWidget *view, const QPoint &pos)
{
    if (popup_)
        popup_->popup(view->mapToGlobal(pos));
}

void TBTDragDropFTP::SetViewStyle(TViewStyle style)
{
    viewStyle_ = style;
    if (style == vsReport) {
        stack_->setCurrentWidget(details_);
        return;
    }
    icons_->setViewMode(style == vsIcon ? QListView::IconMode : QListView::ListMode);
    icons_->setFlow(style == vsList ? QListView::TopToBottom : QListView::LeftToRight);
    icons_->setWrapping(true);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setIconSize(style == vsIcon ? QSize(32, 32) : QSize(16, 16));
    stack_->setCurrentWidget(icons_);
}

void TBTDragDropFTP::Info(const QString &text)
{
    if (!destroying_ && OnDisplayMessage)
        OnDisplayMessage(this, text, false);
}

void TBTDragDropFTP::Error(const QString &text)
{
    if (OnDisplayMessage)
        OnDisplayMessage(this, text, true);
}

bool TBTDragDropFTP::Confirm(const QString &question)
{
    if (OnGetConfirmation) {
        bool confirm = false;
        OnGetConfirmation(this, question, confirm);
        return confirm;
    }
    return MessageBox(this, question, QStringLiteral("Confirm"), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TBTDragDropFTP::Change()
{
    if (OnChange)
        OnChange(this);
}

// The connection belongs to the upload thread while it runs.
bool TBTDragDropFTP::idle()
{
    if (!busy_)
        return true;
    Info(QStringLiteral("File upload in progress!"));
    return false;
}

QString TBTDragDropFTP::errorSuffix() const
{
    return QStringLiteral(" (Win32 Error %1)").arg(FtpLastError());
}

bool TBTDragDropFTP::Connect()
{
    if (!idle())
        return false;
    if (Connected())
        Disconnect();
    if (hostName_.isEmpty())
        throw platform::Error(QStringLiteral("HostName must be specified"));
    if (loginName_.isEmpty())
        throw platform::Error(QStringLiteral("LoginName must be specified"));
    if (password_.isEmpty())
        throw platform::Error(QStringLiteral("Password must be specified"));
    Info(QStringLiteral("Connecting to ") + hostName_);
    FtpConnectOptions o;
    o.agent = QString::fromLatin1(kAgent);
    o.host = hostName_;
    o.port = quint16(port_);
    o.user = loginName_;
    o.password = password_;
    o.passive = passive_;
    if (port_ > 0 && port_ <= 0xFFFF)
        connection_ = FtpConnection::Open(o);
    if (!connection_) {
        Error(QStringLiteral("Could not connect to ") + hostName_);
        Disconnect();
        return false;
    }
    Info(QStringLiteral("Connected to ") + hostName_);
    if (!remoteDir_.isEmpty() && !connection_->SetCurrentDirectory(remoteDir_.toUtf8())) {
        Error(QStringLiteral("Could not change to ") + remoteDir_);
        return false;
    }
    Refresh();
    return true;
}

void TBTDragDropFTP::cancelUpload()
{
    if (!thread_)
        return;
    thread_->Cancel();
    thread_->wait();
}

void TBTDragDropFTP::Disconnect()
{
    cancelUpload();
    connection_.reset();
    // What the upload reported is handed out now; its end finds no connection and lists nothing.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    model_->reset({});
    Info(QStringLiteral("Not connected"));
}

void TBTDragDropFTP::Refresh()
{
    if (!Connected() || !idle())
        return;
    QByteArray dir;
    if (!connection_->GetCurrentDirectory(&dir))
        dir.clear();
    const QString dirText = decodeName(dir);
    Info(QStringLiteral("Transferring data for ") + dirText);

    platform::FtpFindData found;
    std::unique_ptr<FtpFind> find = connection_->FindFirstFile(&found);
    if (!find && FtpLastError() != ERROR_NO_MORE_FILES) {
        // The listing stays as it was.
        Error(QStringLiteral("Could not list ") + dirText + errorSuffix());
        return;
    }

    QFileIconProvider provider;
    const QIcon folderIcon = provider.icon(QFileIconProvider::Folder);
    QHash<QString, QIcon> icons;
    QHash<QString, QString> types;
    QLocale locale;
    std::vector<Entry> entries;
    qint64 count = 0, sum = 0;
    if (dir != "/") {
        Entry up;
        up.caption = QStringLiteral("..");
        up.raw = "..";
        up.folder = true;
        up.icon = folderIcon;
        entries.push_back(up);
    }
    if (find) {
        entries.reserve(size_t(find->Count()) + 1);
        do {
            Entry e;
            e.raw = found.name;
            e.caption = decodeName(found.name);
            e.folder = found.IsDirectory();
            const QString ext = extensionOf(e.caption).toLower();
            if (e.folder) {
                e.icon = folderIcon;
            } else {
                auto it = icons.find(ext);
                if (it == icons.end())
                    it = icons.insert(ext, platform::FileTypeIcon(e.caption));
                e.icon = *it;
                e.size = found.size;
                e.sizeText = QString::number(found.size);
                ++count;
                sum += found.size;
            }
            e.date = dosDateTime(found.lastWrite);
            if (e.date.isValid())
                e.dateText = locale.toString(e.date, QLocale::ShortFormat);
            const QString typeKey = (e.folder ? QStringLiteral("/") : QString()) + ext;
            auto t = types.find(typeKey);
            if (t == types.end())
                t = types.insert(typeKey, typeText(e.caption, e.folder));
            e.type = *t;
            entries.push_back(std::move(e));
        } while (find->FindNextFile(&found));
    }
    setUpdatesEnabled(false);
    model_->reset(std::move(entries));
    fileCount_ = int(qMin<qint64>(count, INT_MAX));
    byteSum_ = sum;
    Info(QStringLiteral("Transfer completed (%1 bytes in %2 files)").arg(formatThousands(sum)).arg(count));
    sortEntries();
    setUpdatesEnabled(true);
    Change();
}

void TBTDragDropFTP::sortEntries()
{
    model_->sort(sortKey_, descending_[sortKey_]);
}

void TBTDragDropFTP::columnClick(int column)
{
    const QString caption = model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    static const QStringList keys{QStringLiteral("Name"), QStringLiteral("Date"), QStringLiteral("Size"),
                                  QStringLiteral("Type")};
    const int key = int(keys.indexOf(caption));
    if (key < 0)
        return;
    if (sortKey_ != key)
        sortKey_ = key;
    else
        descending_[key] = !descending_[key];
    sortEntries();
}

int TBTDragDropFTP::selectedRow() const
{
    const QModelIndexList rows = details_->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TBTDragDropFTP::GetSelected()
{
    const int row = selectedRow();
    if (row >= 0 && Connected() && idle()) {
        const Entry e = model_->entries[size_t(row)];
        if (e.sizeText.isEmpty()) {
            if (!connection_->SetCurrentDirectory(e.raw))
                Error(QStringLiteral("Could not change to directory ") + e.caption);
            else
                Refresh();
        } else if (OnGetLocalFile) {
            QString local;
            OnGetLocalFile(this, e.caption, local);
            if (!local.isEmpty() && !connection_->GetFile(e.raw, local))
                Error(QStringLiteral("Could not get ") + e.caption + errorSuffix());
        }
    }
    if (OnDblClick)
        OnDblClick(this);
}

void TBTDragDropFTP::DeleteSelected()
{
    const int row = selectedRow();
    if (row < 0 || !Connected() || !idle())
        return;
    const Entry e = model_->entries[size_t(row)];
    const bool file = !e.sizeText.isEmpty();
    const QString question = (file ? QStringLiteral("Delete \"") : QStringLiteral("Delete folder \"")) + e.caption +
                             QStringLiteral("\" ?");
    if (!Confirm(question))
        return;
    if (file ? connection_->DeleteFile(e.raw) : connection_->RemoveDirectory(e.raw))
        Refresh();
    else
        Error((file ? QStringLiteral("Could not delete ") : QStringLiteral("Could not delete folder ")) + e.caption +
              errorSuffix());
}

void TBTDragDropFTP::RenameSelected()
{
    const int row = selectedRow();
    if (row < 0 || !Connected() || !idle())
        return;
    QAbstractItemView *view = viewStyle_ == vsReport ? static_cast<QAbstractItemView *>(details_)
                                                     : static_cast<QAbstractItemView *>(icons_);
    view->edit(model_->index(row, 0));
}

bool TBTDragDropFTP::edited(int row, const QString &text)
{
    Entry &e = model_->entries[size_t(row)];
    if (text == e.caption || !Connected() || !idle())
        return false;
    const QByteArray raw = text.toUtf8();
    if (!connection_->RenameFile(e.raw, raw)) {
        Error(QStringLiteral("Could not rename ") + e.caption + errorSuffix());
        return false;
    }
    e.caption = text;
    e.raw = raw;
    return true;
}

void TBTDragDropFTP::newFolderClick()
{
    QInputDialog box(this);
    box.setWindowTitle(QStringLiteral("New folder"));
    box.setLabelText(QStringLiteral("Folder name:"));
    box.setTextValue(QString());
    NewFolder(ShowModal(&box) == mrOk ? box.textValue() : QString());
}

void TBTDragDropFTP::NewFolder(const QString &folderName)
{
    if (!Connected()) {
        Error(QStringLiteral("No connection to host."));
        return;
    }
    const QString name = folderName.trimmed();
    if (name.isEmpty() || !idle())
        return;
    if (connection_->CreateDirectory(name.toUtf8()))
        Refresh();
    else
        Error(QStringLiteral("Could not create new folder") + errorSuffix());
}

bool TBTDragDropFTP::Upload(const QString &files)
{
    if (busy_) {
        Info(QStringLiteral("File upload in progress!"));
        return false;
    }
    if (!Connected())
        Connect();
    if (!Connected()) {
        Error(QStringLiteral("No connection to host."));
        return false;
    }
    QStringList paths;
    for (const QString &line : files.split(QLatin1Char('\n')))
        if (const QString p = line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line; !p.isEmpty())
            paths << p;
    busy_ = true;
    setAcceptDrops(false);
    failures_.clear();
    thread_ = std::make_unique<TUploadThread>(this, connection_, paths);
    connect(thread_.get(), &TUploadThread::Report, this, &TBTDragDropFTP::uploadReport, Qt::QueuedConnection);
    connect(
        thread_.get(), &TUploadThread::Failed, this,
        [this](const QString &line) { failures_ << line; },
        Qt::QueuedConnection);
    connect(thread_.get(), &TUploadThread::Done, this, &TBTDragDropFTP::UploadDone, Qt::QueuedConnection);
    thread_->start();
    return true;
}

void TBTDragDropFTP::uploadReport(const QString &text, bool isError)
{
    if (isError)
        Error(text);
    else
        Info(text);
}

void TBTDragDropFTP::UploadDone()
{
    if (!thread_)
        return;
    thread_->wait();
    thread_.reset();
    busy_ = false;
    setAcceptDrops(active_);
    Info(QString());
    Refresh();
    emit UploadEnded();
}

void TBTDragDropFTP::dragEnterEvent(QDragEnterEvent *event)
{
    if (!active_ || busy_ || !event->mimeData()->hasUrls())
        return;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
}

void TBTDragDropFTP::dropEvent(QDropEvent *event)
{
    if (!active_ || busy_)
        return;
    QString files;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            files += platform::LocalFileName(url) + QStringLiteral("\r\n");
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    window()->raise();
    window()->activateWindow();
    // The upload reports back through the event loop; no nested loop here. Missing settings are
    // reported like every other failure: nothing may be thrown out of an event.
    try {
        Upload(files);
    } catch (const platform::Error &e) {
        Error(e.message());
    }
}

} // namespace publish
