#include "searchfile.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/escape.h"
#include "controls/zel/filecollector.h"
#include "controls/zel/folderbrowser.h"
#include "platform/dialogs.h"
#include "platform/filenames.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace assistants {

namespace {

QPushButton *button(const QString &caption, QWidget *parent, QBoxLayout *row)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString(caption).remove(QLatin1Char('&')));
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

// The path an item stands for: its text shows a name that is no text with U+FFFD, the path keeps its bytes.
// An item given as text alone stands for that text.
constexpr int PathRole = Qt::UserRole + 1;

QString pathOf(const QListWidgetItem *item)
{
    const QVariant path = item->data(PathRole);
    return path.isValid() ? path.toString() : item->text();
}

} // namespace

TSearchFile::TSearchFile(QWidget *parent) : FormOf<QDialog>(parent)
{
    setObjectName(QStringLiteral("SearchFile"));
    setWindowTitle(QStringLiteral("Search"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    resize(480, 360);

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    Mask = new QLineEdit(QStringLiteral("*.htm"), this);
    Mask->setObjectName(QStringLiteral("Mask"));
    form->addRow(QStringLiteral("Mask:"), Mask);
    Dir = new zel::TZELFolderLookup(this);
    Dir->setObjectName(QStringLiteral("Dir"));
    Dir->setText(QDir::homePath());
    form->addRow(QStringLiteral("Folder:"), Dir);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true); // many results: no measuring of each
    layout->addWidget(ListBox1, 1);
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    SearchButton = button(QStringLiteral("Search"), this, row);
    StopButton = button(QStringLiteral("Stop"), this, row);
    StopButton->setEnabled(false);
    EditButton = button(QStringLiteral("Edit"), this, row);
    LinkButton = button(QStringLiteral("Insert as Link"), this, row);
    CloseButton = button(QStringLiteral("Close"), this, row);
    SearchButton->setDefault(true);

    FileCollector1 = new zel::TZELFileCollector(this);
    FileCollector1->setObjectName(QStringLiteral("FileCollector1"));
    FileCollector1->FollowLinks = false; // a linked folder can lead anywhere, or round in a circle
    FileCollector1->OnFilesFound = [this](QObject *, const QStringList &files) {
        for (const QString &f : files) {
            auto *item = new QListWidgetItem(platform::ShownName(f), ListBox1);
            item->setData(PathRole, f);
        }
    };
    FileCollector1->OnDone = [this](QObject *) { searchEnded(); };

    connect(SearchButton, &QPushButton::clicked, this, &TSearchFile::SearchClick);
    connect(StopButton, &QPushButton::clicked, this, &TSearchFile::StopClick);
    connect(EditButton, &QPushButton::clicked, this, &TSearchFile::EditClick);
    connect(LinkButton, &QPushButton::clicked, this, &TSearchFile::InsertAsLinkClick);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { EditClick(); });
    connect(ListBox1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item && OnSelect)
            OnSelect(pathOf(item));
    });
    FinishLoading();
}

TSearchFile::~TSearchFile() = default;

bool TSearchFile::Searching() const
{
    return FileCollector1->Running();
}

void TSearchFile::SearchClick()
{
    if (Searching())
        return;
    const QString folder = Dir->text().trimmed();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        platform::MessageBox(this, QStringLiteral("The folder \"%1\" does not exist.").arg(folder),
                             platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    FileCollector1->FileMask = Mask->text().trimmed().isEmpty() ? QStringLiteral("*.*") : Mask->text().trimmed();
    FileCollector1->InitialDirectory = folder;
    SearchButton->setEnabled(false);
    StopButton->setEnabled(true);
    FileCollector1->Start();
}

void TSearchFile::StopClick()
{
    FileCollector1->Stop();
}

void TSearchFile::searchEnded()
{
    SearchButton->setEnabled(true);
    StopButton->setEnabled(false);
}

void TSearchFile::EditClick()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    if (OnSelect)
        OnSelect(pathOf(item));
    if (OnOpen)
        OnOpen();
}

void TSearchFile::InsertAsLinkClick()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item || !item->isSelected() || !OnRelay)
        return;
    const QString path = pathOf(item);
    if (!platform::IsTextName(path)) {
        platform::MessageBox(this, platform::NotTextMessage(path, QStringLiteral("linked")), platform::ApplicationTitle(),
                             platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    const QString page = DocumentFile ? DocumentFile() : QString();
    OnRelay(QStringLiteral("<A HREF=\"%1\">%2</A>")
                .arg(dialogs::HtmlAttribute(dialogs::LinkAddress(path, page)), dialogs::HtmlText(dialogs::LinkPath(path, page))));
}

void TSearchFile::done(int result)
{
    // Nothing searches on for a window nobody sees.
    FileCollector1->Stop();
    QDialog::done(result);
}

} // namespace assistants
