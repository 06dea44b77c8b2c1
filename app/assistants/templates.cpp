#include "templates.h"

#include "app/assistants/listfile.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace assistants {

namespace {

struct Wizard {
    const char *item;
    const char *className;
};
const Wizard wizards[] = {{"Homepage Index", "TWizard1"}, {"Personal Homepage", "TWizard2"}, {"Company Homepage", "TWizard3"}};

QListWidget *listView(const QString &name, QWidget *parent)
{
    auto *v = new QListWidget(parent);
    v->setObjectName(name);
    v->setViewMode(QListView::IconMode);
    v->setResizeMode(QListView::Adjust);
    v->setMovement(QListView::Static);
    v->setWordWrap(true);
    v->setGridSize(QSize(110, 72));
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    return v;
}

void addItems(QListWidget *view, const QStringList &items, const QIcon &icon)
{
    for (const QString &s : items)
        new QListWidgetItem(icon, s, view);
}

} // namespace

QStringList TTemplates3::HtmlTemplates()
{
    return {QStringLiteral("Press Releases"),    QStringLiteral("Employee Directory"), QStringLiteral("FAQ"),
            QStringLiteral("Feedback"),          QStringLiteral("Glossary"),           QStringLiteral("Guestbook"),
            QStringLiteral("Hotlist"),           QStringLiteral("Normal"),             QStringLiteral("Office Directory"),
            QStringLiteral("Product Description"), QStringLiteral("Registration Form")};
}

QStringList TTemplates3::FrameTemplates()
{
    return {QStringLiteral("Banner and Contents"), QStringLiteral("Contents"),
            QStringLiteral("Footer"),              QStringLiteral("Footnotes"),
            QStringLiteral("Header, Footer and Contents"), QStringLiteral("Horizontal Split"),
            QStringLiteral("Nested Hiarachy"),     QStringLiteral("Top-Down Hiarachy"),
            QStringLiteral("Vertical Split")};
}

QStringList TTemplates3::Wizards()
{
    QStringList out;
    for (const Wizard &w : wizards)
        out << QString::fromLatin1(w.item);
    return out;
}

QString TTemplates3::WizardClass(const QString &item)
{
    for (const Wizard &w : wizards)
        if (item == QLatin1String(w.item))
            return QString::fromLatin1(w.className);
    return {};
}

QString TTemplates3::TemplateText(const QString &item)
{
    return platform::LoadTextDocument(platform::ProgramFile(QStringLiteral("templates/") + item + QStringLiteral(".htm"))).text;
}

QString TTemplates3::ListFile()
{
    return platform::ProgramFile(QStringLiteral("customtemplates.qvl"));
}

QString TTemplates3::RefusedName(const QString &name)
{
    return RefusedTemplateName(name);
}

TTemplates3::TTemplates3(QWidget *parent) : FormOf<QDialog>(parent)
{
    setObjectName(QStringLiteral("Templates3"));
    setWindowTitle(QStringLiteral("Templates..."));
    resize(520, 380);
    auto *layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);
    const QIcon pageIcon = style()->standardIcon(QStyle::SP_FileIcon);

    ListView1 = listView(QStringLiteral("ListView1"), PageControl1);
    addItems(ListView1, HtmlTemplates(), pageIcon);
    PageControl1->addTab(ListView1, QStringLiteral("HTML"));
    ListView2 = listView(QStringLiteral("ListView2"), PageControl1);
    addItems(ListView2, FrameTemplates(), pageIcon);
    PageControl1->addTab(ListView2, QStringLiteral("Frames"));

    auto *custom = new QWidget(PageControl1);
    custom->setObjectName(QStringLiteral("Custom"));
    auto *customLayout = new QVBoxLayout(custom);
    ListView4 = listView(QStringLiteral("ListView4"), custom);
    customLayout->addWidget(ListView4, 1);
    auto *row = new QHBoxLayout;
    customLayout->addLayout(row);
    InsertButton = new QPushButton(QStringLiteral("Insert a new custom template"), custom);
    InsertButton->setObjectName(QStringLiteral("Insert a new custom template"));
    DeleteButton = new QPushButton(QStringLiteral("Delete the selected file"), custom);
    DeleteButton->setObjectName(QStringLiteral("Delete the selected file"));
    DeleteButton->setEnabled(false);
    for (QPushButton *b : {InsertButton, DeleteButton}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    Edit1 = new QLineEdit(custom);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    PageControl1->addTab(custom, QStringLiteral("Custom"));

    ListView5 = listView(QStringLiteral("ListView5"), PageControl1);
    addItems(ListView5, Wizards(), style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    PageControl1->addTab(ListView5, QStringLiteral("Wizards"));

    // Names the program would refuse to add are not taken from the list either: a hand-edited list must
    // not lead a delete out of the program folder.
    try {
        QStringList seen;
        for (const QString &name : ReadLineList(ListFile())) {
            if (!RefusedName(name).isEmpty() || seen.contains(name))
                continue;
            seen << name;
            new QListWidgetItem(pageIcon, name, ListView4);
        }
    } catch (const platform::Error &e) {
        listLoaded_ = false; // kept as it is unless the user changes the list
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
    }

    for (QListWidget *v : {ListView1, ListView2, ListView4, ListView5})
        connect(v, &QListWidget::itemDoubleClicked, this, &TTemplates3::Choose);
    connect(ListView4, &QListWidget::itemSelectionChanged, this,
            [this] { DeleteButton->setEnabled(!ListView4->selectedItems().isEmpty()); });
    connect(InsertButton, &QPushButton::clicked, this, &TTemplates3::InsertClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TTemplates3::DeleteClick);
    FinishLoading();
}

TTemplates3::~TTemplates3() = default;

void TTemplates3::showEvent(QShowEvent *event)
{
    // A wizard that is not built offers nothing.
    for (int i = 0; i < ListView5->count(); ++i) {
        QListWidgetItem *item = ListView5->item(i);
        const bool can = CanRunWizard && CanRunWizard(WizardClass(item->text()));
        item->setFlags(can ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags);
    }
    QDialog::showEvent(event);
}

QStringList TTemplates3::CustomTemplates() const
{
    QStringList out;
    for (int i = 0; i < ListView4->count(); ++i)
        out << ListView4->item(i)->text();
    return out;
}

void TTemplates3::fail(const QString &text)
{
    platform::MessageBox(this, text, platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
}

void TTemplates3::Choose(QListWidgetItem *item)
{
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    QListWidget *view = item->listWidget();
    const QString name = item->text();
    try {
        if (view == ListView1 || view == ListView2) {
            const QString page = TemplateText(name);
            if (OnPage)
                OnPage(page);
        } else if (view == ListView4) {
            if (const QString why = RefusedName(name); !why.isEmpty())
                return fail(why);
            const QString text = platform::LoadTextDocument(platform::ProgramFile(name)).text;
            if (OnInsert)
                OnInsert(text);
        } else if (view == ListView5) {
            if (!OnRunWizard)
                return;
            const QString className = WizardClass(name);
            // The wizard runs in its own modal window, after this one is gone from view.
            hide();
            OnRunWizard(className);
        }
    } catch (const platform::Error &e) {
        return fail(e.message());
    }
    accept();
}

void TTemplates3::InsertClick()
{
    platform::FileDialogRequest r;
    r.filter = QStringLiteral("All Files|*.*");
    r.options = platform::ofHideReadOnly | platform::ofFileMustExist;
    bool ok;
    if (OnRunFileDialog) {
        ok = OnRunFileDialog(this, r);
    } else {
        r.initialDir = QDir::homePath();
        ok = platform::ExecuteFileDialog(this, r);
    }
    if (ok)
        AddCustomTemplate(r.fileName);
}

bool TTemplates3::AddCustomTemplate(const QString &source)
{
    const QString name = QFileInfo(source).fileName();
    if (const QString why = RefusedName(name); !why.isEmpty()) {
        fail(why);
        return false;
    }
    const QString target = platform::ProgramFile(name);
    const bool same = QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath();
    if (!same) {
        if (QFileInfo::exists(target) &&
            platform::MessageBox(this, QStringLiteral("A template named \"%1\" exists. Replace it?").arg(name),
                                 platform::ApplicationTitle(), platform::MB_YESNO | platform::MB_ICONQUESTION) !=
                platform::IDYES)
            return false;
        try {
            platform::WriteFileAtomic(target, platform::ReadWholeFile(source));
        } catch (const platform::Error &e) {
            fail(e.message());
            return false;
        }
    }
    Edit1->setText(name);
    if (!CustomTemplates().contains(name)) {
        new QListWidgetItem(style()->standardIcon(QStyle::SP_FileIcon), name, ListView4);
        listChanged_ = true;
    }
    return true;
}

void TTemplates3::DeleteClick()
{
    const QList<QListWidgetItem *> selected = ListView4->selectedItems();
    if (selected.isEmpty())
        return;
    const QString name = selected.first()->text();
    delete selected.first();
    listChanged_ = true;
    if (!RefusedName(name).isEmpty())
        return; // never a file outside the program folder, nor one of the program's own
    const QString path = platform::ProgramFile(name);
    QFile file(path);
    if (!file.exists())
        return fail(QStringLiteral("The template file \"%1\" does not exist.").arg(QDir::toNativeSeparators(path)));
    if (!file.remove())
        fail(QStringLiteral("Cannot delete \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

bool TTemplates3::SaveList()
{
    try {
        WriteLineList(ListFile(), CustomTemplates());
    } catch (const platform::Error &e) {
        fail(e.message());
        return false;
    }
    listLoaded_ = true;
    listChanged_ = false;
    return true;
}

void TTemplates3::done(int result)
{
    if (listLoaded_ || listChanged_)
        SaveList();
    QDialog::done(result);
}

} // namespace assistants
