#include "customtags.h"

#include "app/assistants/windowplace.h"
#include "app/dialogs/dialogbase.h"
#include "controls/tree/treefile.h"
#include "controls/tree/zozezo.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace assistants {

const TTagFamily HtmlTags{"customtags.qvl", "Tag Creator", "New Item", "Custom Tags"};
const TTagFamily XmlTags{"customtags_xml.qvl", "XML Tag Creator", "New XML Item", "XML Custom Tags"};
const TTagFamily AspTags{"customtags_asp.qvl", "ASP Tag Creator", "ASP New Item", "ASP Custom Tags"};

namespace {

QPushButton *button(QWidget *parent, const char *name, const char *caption)
{
    auto *b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

tree::TZozeZO *makeTree(QWidget *parent)
{
    auto *t = new tree::TZozeZO(parent);
    t->setObjectName(QStringLiteral("TreeView1"));
    t->SetOptions(t->Options() | tree::toReadOnly);
    t->setMinimumSize(260, 240);
    return t;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// New item

TNewItemDialog::TNewItemDialog(const TTagFamily &family, QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags());
    setWindowTitle(QString::fromUtf8(family.newItemCaption));
    auto *col = new QVBoxLayout(this);
    auto *header = new QLabel(QStringLiteral("Add a new item"), this);
    header->setObjectName(QStringLiteral("Header"));
    QFont f = header->font();
    f.setBold(true);
    header->setFont(f);
    col->addWidget(header);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label1 = dialogs::BuddyLabel(QStringLiteral("Item Caption"), Edit1, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    col->addWidget(Label1);
    col->addWidget(Edit1);
    Edit1->setMinimumWidth(280);
    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Button1);
    col->addLayout(row);
    PlaceFirst(this);
    connect(Button1, &QPushButton::clicked, this, [this] {
        const QString caption = Edit1->text();
        Edit1->clear();
        if (OnCaption)
            OnCaption(caption);
        accept();
    });
    FinishLoading();
}

// ---------------------------------------------------------------------------------------------------
// Creator

TTagCreatorWindow::TTagCreatorWindow(const TTagFamily &family, TNewItemDialog *(*makeNewItem)(QWidget *parent),
                                     QWidget *parent)
    : family_(family)
{
    setParent(parent, dialogs::DialogFlags());
    setWindowTitle(QString::fromUtf8(family.creatorCaption));
    newItem_ = makeNewItem(this);
    TreeView1 = makeTree(this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->hide();
    NewItems = button(this, "NewItems", "New Items");
    DeleteSelectedItem = button(this, "DeleteSelectedItem", "Delete Selected Item");
    SaveYourTags = button(this, "SaveYourTags", "Save your tags");
    Close = button(this, "Close", "&Close");
    auto *row = new QHBoxLayout(this);
    row->addWidget(TreeView1, 1);
    auto *col = new QVBoxLayout;
    for (QPushButton *b : {NewItems, DeleteSelectedItem, SaveYourTags})
        col->addWidget(b);
    col->addStretch();
    col->addWidget(Close);
    row->addLayout(col);
    connect(NewItems, &QPushButton::clicked, this, &TTagCreatorWindow::NewItemsClick);
    connect(DeleteSelectedItem, &QPushButton::clicked, this, &TTagCreatorWindow::DeleteSelectedItemClick);
    connect(SaveYourTags, &QPushButton::clicked, this, &TTagCreatorWindow::SaveTags);
    connect(Close, &QPushButton::clicked, this, &QDialog::reject);
    newItem_->OnCaption = [this](const QString &caption) { Edit1->setText(caption); };
    PlaceFirst(this);
    file_ = std::make_unique<tree::TTreeFile>(TreeView1, FilePath());
    file_->Load();
    FinishLoading();
}

TTagCreatorWindow::~TTagCreatorWindow() = default;

QString TTagCreatorWindow::FilePath() const
{
    return platform::ProgramFile(QString::fromUtf8(family_.file));
}

void TTagCreatorWindow::NewItemsClick()
{
    Edit1->clear();
    // A caption typed and then cancelled is not offered again.
    newItem_->Edit1->clear();
    platform::ShowModal(newItem_);
    const QString caption = tree::TTreeFile::StorableText(Edit1->text());
    Edit1->clear();
    if (caption.trimmed().isEmpty())
        return;
    tree::TZozeZONode *selected = TreeView1->Selected();
    tree::TZozeZONode *node = TreeView1->Items()->Add(selected, caption);
    TreeView1->SetSelected(node);
}

void TTagCreatorWindow::DeleteSelectedItemClick()
{
    if (tree::TZozeZONode *selected = TreeView1->Selected())
        selected->Delete();
}

bool TTagCreatorWindow::SaveTags()
{
    file_->SetPath(FilePath());
    try {
        if (!file_->Save())
            return false;
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    if (OnSaved)
        OnSaved(file_->Path());
    return true;
}

void TTagCreatorWindow::showEvent(QShowEvent *event)
{
    // The file may have changed since (another program, another run): it is read again, unless this
    // window holds changes not yet written (a save that failed), which are kept.
    if (!event->spontaneous() && !file_->Changed()) {
        file_->SetPath(FilePath());
        file_->Load();
    }
    QDialog::showEvent(event);
}

void TTagCreatorWindow::done(int result)
{
    SaveTags();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------------
// Picker

TCustomTagPicker::TCustomTagPicker(const TTagFamily &family, QWidget *parent) : family_(family)
{
    setParent(parent, dialogs::DialogFlags() | Qt::WindowStaysOnTopHint);
    setWindowTitle(QString::fromUtf8(family.pickerCaption));
    TreeView1 = makeTree(this);
    CreateTags = button(this, "CreateTags", "&Create your Customs Tags...");
    Apply = button(this, "Apply", "&Apply");
    Close = button(this, "Close", "&Close");
    auto *col = new QVBoxLayout(this);
    col->addWidget(TreeView1, 1);
    col->addWidget(CreateTags);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Apply);
    row->addWidget(Close);
    col->addLayout(row);
    connect(CreateTags, &QPushButton::clicked, this, [this] {
        if (OnCreateTags)
            OnCreateTags();
        Reload();
    });
    connect(Apply, &QPushButton::clicked, this, &TCustomTagPicker::ApplyClick);
    connect(Close, &QPushButton::clicked, this, &QWidget::close);
    TreeView1->OnDblClick = [this](tree::TCustomZozeZO *) { ApplyClick(); };
    PlaceFirst(this);
    file_ = std::make_unique<tree::TTreeFile>(TreeView1, platform::ProgramFile(QString::fromUtf8(family.file)));
    Reload();
    FinishLoading();
}

TCustomTagPicker::~TCustomTagPicker() = default;

void TCustomTagPicker::Reload()
{
    file_->SetPath(platform::ProgramFile(QString::fromUtf8(family_.file)));
    file_->Load();
}

void TCustomTagPicker::ApplyClick()
{
    tree::TZozeZONode *selected = TreeView1->Selected();
    if (selected && OnRelay)
        OnRelay(selected->Text());
}

void TCustomTagPicker::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        Reload();
    QDialog::showEvent(event);
}

} // namespace assistants
