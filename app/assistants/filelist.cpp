#include "filelist.h"

#include "app/assistants/listfile.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace assistants {

namespace {

const char *const openFilter =
    "HTML Files|*.htm;*.html|ASP Files|*.asp|HTX Files|*.htx|INI Files|*.ini|LOG Files|*.log|INF Files|*.inf|"
    "ASA Files|*.asa|CDF Files|*.cdf|CFM Files|*.cfm|CFML Files|*.cfml|CGI Files|*.cgi|CSS Files|*.css|"
    "DBM Files|*.dbm|HDM Files|*.hdm|HDML Files|*.hdml|JAVA Files|*.java|JS Files|*.js|PL Files|*.pl|"
    "SHTM Files|*.shtm|SHTML Files|*.shtml|VTM Files|*.vtm|XML Files|*.xml|All Files|*.*";

QPushButton *button(const QString &caption, QWidget *parent, QBoxLayout *row)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString(caption).remove(QLatin1Char('&')));
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

} // namespace

QString TFilelist::ListFile()
{
    return platform::ProgramFile(QStringLiteral("filelist.qvl"));
}

TFilelist::TFilelist(QWidget *parent) : FormOf<QDialog>(parent)
{
    setObjectName(QStringLiteral("Filelist"));
    setWindowTitle(QStringLiteral("FileList"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    resize(420, 300);

    auto *layout = new QVBoxLayout(this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setToolTip(QStringLiteral("Edit Filelist"));
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(ListBox1, 1);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    AddFilesButton = button(QStringLiteral("Add File(s)"), this, row);
    DeleteButton = button(QStringLiteral("Delete"), this, row);
    EditButton = button(QStringLiteral("Edit"), this, row);
    CloseButton = button(QStringLiteral("Close"), this, row);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(QStringLiteral("Add File(s)..."), this, &TFilelist::AddFilesClick)
        ->setObjectName(QStringLiteral("AddFiles1"));
    PopupMenu1->addAction(QStringLiteral("Delete"), this, &TFilelist::DeleteClick)->setObjectName(QStringLiteral("Delete1"));
    PopupMenu1->addAction(QStringLiteral("Edit"), this, &TFilelist::EditClick)->setObjectName(QStringLiteral("Edit2"));
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(at)); });

    connect(AddFilesButton, &QPushButton::clicked, this, &TFilelist::AddFilesClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TFilelist::DeleteClick);
    connect(EditButton, &QPushButton::clicked, this, &TFilelist::EditClick);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { EditClick(); });
    // The hint names the whole path, which the list may cut.
    connect(ListBox1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            ListBox1->setToolTip(item->text());
    });

    try {
        ListBox1->addItems(ReadLineList(ListFile()));
    } catch (const platform::Error &e) {
        // The file stays as it is until the user changes the list.
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
    }
    FinishLoading();
}

TFilelist::~TFilelist()
{
    if (dirty_)
        Save();
}

QStringList TFilelist::Files() const
{
    QStringList out;
    for (int i = 0; i < ListBox1->count(); ++i)
        out << ListBox1->item(i)->text();
    return out;
}

void TFilelist::AddFiles(const QStringList &paths)
{
    QStringList files = Files();
    bool any = false;
    for (const QString &p : paths) {
        if (p.isEmpty() || files.contains(p, Qt::CaseInsensitive) || !UnlistableName(p).isEmpty())
            continue;
        files << p;
        ListBox1->addItem(p);
        any = true;
    }
    if (any)
        changed();
    if (const QString refused = UnlistableMessage(paths); !refused.isEmpty())
        platform::MessageBox(this, refused, platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONWARNING);
}

void TFilelist::AddFilesClick()
{
    platform::FileDialogRequest r;
    r.filter = QString::fromLatin1(openFilter);
    r.options = platform::ofAllowMultiSelect | platform::ofHideReadOnly | platform::ofFileMustExist;
    bool ok;
    if (OnRunFileDialog) {
        ok = OnRunFileDialog(this, r);
    } else {
        r.initialDir = QDir::homePath();
        ok = platform::ExecuteFileDialog(this, r);
    }
    if (!ok)
        return;
    AddFiles(r.files.isEmpty() ? QStringList{r.fileName} : r.files);
}

void TFilelist::DeleteClick()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    delete item;
    changed();
}

void TFilelist::EditClick()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    Edit1->setText(item->text());
    if (OnEdit)
        OnEdit(item->text());
}

void TFilelist::changed()
{
    dirty_ = true;
    Save();
}

bool TFilelist::Save()
{
    if (!dirty_)
        return true;
    try {
        WriteLineList(ListFile(), Files());
    } catch (const platform::Error &e) {
        if (!reported_) {
            reported_ = true;
            platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        }
        return false;
    }
    dirty_ = false;
    reported_ = false;
    return true;
}

void TFilelist::done(int result)
{
    Save();
    QDialog::done(result);
}

} // namespace assistants
