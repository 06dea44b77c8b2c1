#include "projectstart.h"

#include "app/assistants/listfile.h"
#include "controls/tree/treefile.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace assistants {

namespace {

QPushButton *button(const QString &caption, QWidget *parent, QBoxLayout *row)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(caption.trimmed());
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

} // namespace

Tnewproject::Tnewproject(QWidget *parent) : FormOf<QDialog>(parent)
{
    setObjectName(QStringLiteral("newproject"));
    setWindowTitle(QStringLiteral("New Project"));
    auto *layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Name of the new Project:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    layout->addWidget(Edit1);
    Label1->setBuddy(Edit1);
    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    layout->addWidget(Button1, 0, Qt::AlignRight);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    FinishLoading();
}

QString TProjectStart::ProjectsFile()
{
    return platform::ProgramFile(QStringLiteral("projects.qvl"));
}

QString TProjectStart::RootText()
{
    return QStringLiteral("Project(s)");
}

TProjectStart::TProjectStart(QWidget *parent) : FormOf<QDialog>(parent)
{
    setObjectName(QStringLiteral("ProjectStart"));
    setWindowTitle(QStringLiteral("Project Manager"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    resize(460, 380);

    auto *layout = new QVBoxLayout(this);
    TreeView1 = new tree::TZozeZO(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->SetOptions(tree::toReadOnly | tree::toShowLines | tree::toShowButtons | tree::toShowRoot |
                          tree::toRightClickSelect | tree::toAutoExpand);
    layout->addWidget(TreeView1, 1);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    NewProjectButton = button(QStringLiteral("New Project"), this, row);
    AddDocumentButton = button(QStringLiteral("Add Document "), this, row);
    EditButton = button(QStringLiteral("Edit Selected File"), this, row);
    UploadButton = button(QStringLiteral("Upload Selected File"), this, row);
    DeleteButton = button(QStringLiteral("Delete Selected Item(s)"), this, row);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(QStringLiteral("New Project"), this, &TProjectStart::NewProjectClick)
        ->setObjectName(QStringLiteral("NewProject1"));
    PopupMenu1->addAction(QStringLiteral("Add Document "), this, &TProjectStart::AddDocumentClick)
        ->setObjectName(QStringLiteral("AddDocument1"));
    PopupMenu1->addAction(QStringLiteral("Delete Selected Item(s)"), this, &TProjectStart::DeleteClick)
        ->setObjectName(QStringLiteral("DeleteSelectedItems1"));
    PopupMenu1->addAction(QStringLiteral("&Expand all"), this, &TProjectStart::ExpandAllClick)
        ->setObjectName(QStringLiteral("Expandall1"));
    PopupMenu1->addAction(QStringLiteral("&Collapse all"), this, &TProjectStart::CollapseAllClick)
        ->setObjectName(QStringLiteral("Collapseall1"));
    TreeView1->SetPopupMenu(PopupMenu1);

    connect(NewProjectButton, &QPushButton::clicked, this, &TProjectStart::NewProjectClick);
    connect(AddDocumentButton, &QPushButton::clicked, this, &TProjectStart::AddDocumentClick);
    connect(EditButton, &QPushButton::clicked, this, &TProjectStart::EditClick);
    connect(UploadButton, &QPushButton::clicked, this, &TProjectStart::UploadClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TProjectStart::DeleteClick);
    TreeView1->OnChange = [this](tree::TCustomZozeZO *, tree::TZozeZONode *node) {
        if (node && OnSelect)
            OnSelect(node->Text());
    };
    file_ = std::make_unique<tree::TTreeFile>(TreeView1, ProjectsFile());
    if (file_->Load() && QFileInfo::exists(ProjectsFile())) {
        try {
            lastBytes_ = platform::ReadWholeFile(ProjectsFile());
        } catch (const platform::Error &) {
        }
    }
    FinishLoading();
}

TProjectStart::~TProjectStart() = default;

tree::TZozeZONode *TProjectStart::selectedItem() const
{
    tree::TZozeZONode *node = TreeView1->Selected();
    return node && node->Text() != RootText() ? node : nullptr;
}

QStringList TProjectStart::pathOf(const tree::TZozeZONode *node) const
{
    QStringList path;
    for (; node; node = node->Parent())
        path.prepend(node->Text());
    return path;
}

tree::TZozeZONode *TProjectStart::nodeAt(const QStringList &path) const
{
    tree::TZozeZONode *found = nullptr;
    tree::TZozeZONode *level = TreeView1->Items()->GetFirstNode();
    for (const QString &text : path) {
        while (level && level->Text() != text)
            level = level->GetNextSibling();
        if (!level)
            return nullptr;
        found = level;
        level = level->GetFirstChild();
    }
    return found;
}

void TProjectStart::change(const std::function<void()> &work)
{
    const QString path = ProjectsFile();
    if (!file_->LoadFailed() && QFileInfo::exists(path)) {
        try {
            const QByteArray now = platform::ReadWholeFile(path);
            if (now != lastBytes_) {
                // Another manager wrote the file: its version is the one to change.
                const QStringList selected = pathOf(TreeView1->Selected());
                try {
                    tree::TTreeFile::LoadBytes(TreeView1, now, path);
                } catch (const platform::Error &) {
                    // It went bad meanwhile: as when a manager opens on it, a copy is kept, the user is
                    // told and the list starts empty. The change was meant for a list no longer shown.
                    file_->Load();
                    lastBytes_.clear();
                    return;
                }
                lastBytes_ = now;
                TreeView1->SetSelected(selected.isEmpty() ? nullptr : nodeAt(selected));
            }
        } catch (const platform::Error &) {
            // It cannot be read now: this manager's tree is written over it below.
        }
    }
    work();
    Save();
}

bool TProjectStart::Save()
{
    if (!file_->Changed())
        return true;
    try {
        if (file_->Save())
            lastBytes_ = tree::TTreeFile::TextOf(TreeView1);
    } catch (const platform::Error &e) {
        if (!reported_) {
            reported_ = true;
            platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        }
        return false;
    }
    reported_ = false;
    return true;
}

void TProjectStart::AddProject(const QString &typed)
{
    const QString name = tree::TTreeFile::StorableText(typed);
    if (name.isEmpty())
        return; // blanks only: no line of the file could hold it
    change([this, name] {
        tree::TZozeZONode *selected = TreeView1->Selected();
        tree::TZozeZONode *node = TreeView1->Items()->Add(selected, name);
        TreeView1->SetSelected(node);
    });
}

void TProjectStart::AddDocuments(const QStringList &given)
{
    if (!selectedItem() || given.isEmpty())
        return;
    QStringList paths;
    for (const QString &p : given)
        if (UnlistableName(p).isEmpty())
            paths << p;
    if (const QString refused = UnlistableMessage(given); !refused.isEmpty())
        platform::MessageBox(this, refused, platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONWARNING);
    if (paths.isEmpty())
        return;
    change([this, paths] {
        tree::TZozeZONode *parent = TreeView1->Selected();
        if (!parent)
            return;
        for (const QString &p : paths)
            TreeView1->Items()->AddChild(parent, QDir::toNativeSeparators(p));
        parent->Expand(false);
    });
}

void TProjectStart::NewProjectClick()
{
    Tnewproject ask(this);
    if (platform::ShowModal(&ask) != QDialog::Accepted)
        return; // closed without OK: nothing is added
    Edit1->setText(ask.Edit1->text());
    AddProject(Edit1->text());
}

void TProjectStart::AddDocumentClick()
{
    if (!selectedItem())
        return;
    platform::FileDialogRequest r;
    r.filter = QStringLiteral("HTML Files|*.htm;*.html|All Files|*.*");
    r.options = platform::ofAllowMultiSelect | platform::ofHideReadOnly | platform::ofFileMustExist;
    bool ok;
    if (OnRunFileDialog) {
        ok = OnRunFileDialog(this, r);
    } else {
        r.initialDir = QDir::homePath();
        ok = platform::ExecuteFileDialog(this, r);
    }
    if (ok)
        AddDocuments(r.files.isEmpty() ? QStringList{r.fileName} : r.files);
}

void TProjectStart::EditClick()
{
    if (tree::TZozeZONode *node = selectedItem(); node && OnOpen)
        OnOpen(node->Text());
}

void TProjectStart::UploadClick()
{
    if (tree::TZozeZONode *node = selectedItem(); node && OnUpload)
        OnUpload(node->Text());
}

void TProjectStart::DeleteClick()
{
    if (!selectedItem())
        return;
    change([this] {
        if (tree::TZozeZONode *node = selectedItem())
            node->Delete();
    });
}

void TProjectStart::ExpandAllClick()
{
    if (TreeView1->Items()->Count() > 0)
        TreeView1->FullExpand();
}

void TProjectStart::CollapseAllClick()
{
    if (TreeView1->Items()->Count() > 0)
        TreeView1->FullCollapse();
}

void TProjectStart::showEvent(QShowEvent *event)
{
    UploadButton->setEnabled(bool(OnUpload));
    QDialog::showEvent(event);
}

void TProjectStart::done(int result)
{
    Save();
    QDialog::done(result);
}

} // namespace assistants
