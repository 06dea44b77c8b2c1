#include "tagchooser.h"

#include "app/assistants/windowplace.h"
#include "app/dialogs/dialogbase.h"
#include "controls/tree/treefile.h"
#include "controls/tree/zozezo.h"
#include "controls/zel/lookupedit.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace assistants {

namespace {

struct Category {
    const char *name;
    std::initializer_list<const char *> tags;
};

const Category categories[] = {
    {"Page Composition",
     {"BASE", "BODY", "FRAME", "FRAMESET", "HEAD", "HTML", "IFRAME", "META", "NOEMBED", "NOFRAMES", "NOSCRIPT", "SERVER",
      "TITLE"}},
    {"Page Elements",
     {"A", "APPLET", "BGSOUND", "BR", "EMBED", "HR", "IMG", "MAP", "MARQUEE", "JAVASCRIPT", "VBSCRIPT", "SOUND"}},
    {"Formatting And Layout",
     {"ADDRESS", "B",     "BASEFONT", "BIG",  "BLINK", "BLOCKQOUTE", "CENTER", "CITE",   "CODE",   "EM",
      "FONT",    "H1",    "H2",       "H3",   "H4",    "H5",         "H6",     "KBD",    "NOBR",   "P",
      "PLAINTEXT", "PRE", "S",        "SAMP", "SMALL", "SPACER",     "STRIKE", "STRONG", "SUB",    "SUP",
      "TT",      "U",     "WBR",      "XMP"}},
    {"Forms",
     {"FORM", "TEXT", "TEXTAREA", "RADIO", "CHECKBOX", "PASSWORD", "IMAGE", "SUBMIT", "RESET", "BUTTON", "FILE", "HIDDEN",
      "COMBOBOX"}},
    {"List", {"LIST", "UNORDERED", "ORDERED", "ITEM", "DEFINITION LIST", "DEFINITION TERM", "DEFINITION", "MENU"}},
    {"Tables", {"Table", "Row", "Data", "Caption"}},
};

const char *const customCategory = "Custom";

QHash<QString, TTagAction> makeActions()
{
    QHash<QString, TTagAction> a;
    auto dialog = [&a](const char *text, const char *cls) {
        a.insert(QString::fromLatin1(text), {TTagAction::Dialog, QString::fromLatin1(cls)});
    };
    auto literal = [&a](const char *text, const char *lit) {
        a.insert(QString::fromLatin1(text), {TTagAction::Literal, QString::fromLatin1(lit)});
    };
    dialog("BASE", "TBaseTarget");
    dialog("BODY", "ThtmlStart");
    dialog("FRAME", "TFrame");
    dialog("FRAMESET", "TFrameset");
    literal("HEAD", "<HEAD></HEAD>");
    literal("HTML", "<HTML></HTML>");
    dialog("IFRAME", "TIFrame");
    dialog("META", "TMeta");
    literal("NOEMBED", "<NOEMBED>");
    dialog("NOFRAMES", "TNOFRAMES");
    literal("NOSCRIPT", "<NOSCRIPT>");
    literal("SERVER", "<NOSCRIPT>");
    literal("TITLE", "<TITLE></TITLE>");
    a.insert(QStringLiteral("<TITLE>"), {TTagAction::ModelessDialog, QStringLiteral("ThtmlStart")});
    dialog("A", "TLink");
    dialog("APPLET", "Tapplet");
    dialog("BGSOUND", "TBGSound");
    literal("BR", "<BR>");
    literal("HR", "<HR>");
    dialog("EMBED", "TEmbed");
    dialog("IMG", "TPicture");
    dialog("MAP", "TMap");
    dialog("MARQUEE", "TMarquee");
    dialog("JAVASCRIPT", "TJavaScript");
    dialog("VBSCRIPT", "TVBScriptEditor");
    dialog("SOUND", "TSound");
    dialog("BASEFONT", "TBase");
    dialog("FONT", "TSkrift");
    literal("BLOCKQOUTE", "<BLOCKQUOTE></BLOCKQUOTE>");
    literal("SPACER", "<SPACER>");
    literal("WBR", "<WBR>");
    for (const char *pair : {"ADDRESS", "B", "BIG", "BLINK", "CENTER", "CITE", "CODE", "EM", "H1", "H2", "H3", "H4", "H5",
                             "H6", "KBD", "NOBR", "P", "PLAINTEXT", "PRE", "S", "SAMP", "SMALL", "STRIKE", "STRONG", "SUB",
                             "SUP", "TT", "U", "XMP"}) {
        const QString name = QString::fromLatin1(pair);
        a.insert(name, {TTagAction::Literal, QStringLiteral("<%1></%1>").arg(name)});
    }
    const char *const forms[][2] = {{"FORM", "TForm0"},         {"TEXT", "TFormText"},    {"TEXTAREA", "TFormTextArea"},
                                    {"RADIO", "TRadio"},        {"CHECKBOX", "TCheckbox"}, {"PASSWORD", "TPassword"},
                                    {"IMAGE", "TFormImage"},    {"SUBMIT", "TSubMit"},    {"RESET", "TFormReset"},
                                    {"BUTTON", "TFormButton"},  {"FILE", "TFormFile"},    {"HIDDEN", "TFormHidden"},
                                    {"COMBOBOX", "TFormCombobox"}};
    for (const auto &f : forms)
        dialog(f[0], f[1]);
    dialog("Table", "Ttable");
    literal("Row", "<TR></TR>");
    literal("Data", "<TD></TD>");
    literal("Caption", "<CAPTION></CAPTION>");
    dialog("LIST", "TList");
    literal("UNORDERED", "<UL></UL>");
    literal("ORDERED", "<OL></OL>");
    literal("ITEM", "<LI></LI>");
    literal("DEFINITION LIST", "<DL><DT><DD></DL>");
    literal("DEFINITION TERM", "<DT></DT>");
    literal("DEFINITION", "<DD></DD>");
    literal("MENU", "<MENU></MENU>");
    return a;
}

} // namespace

TTagAction TagActionFor(const QString &nodeText)
{
    static const QHash<QString, TTagAction> actions = makeActions();
    return actions.value(nodeText, TTagAction{TTagAction::OwnText, nodeText});
}

QStringList TTagchooser::Categories()
{
    QStringList out;
    for (const Category &c : categories)
        out << QString::fromLatin1(c.name);
    out << QString::fromLatin1(customCategory);
    return out;
}

QStringList TTagchooser::CategoryTags(const QString &category)
{
    QStringList out;
    for (const Category &c : categories)
        if (category == QLatin1String(c.name))
            for (const char *t : c.tags)
                out << QString::fromLatin1(t);
    return out;
}

TTagchooser::TTagchooser(QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags() | Qt::WindowStaysOnTopHint);
    setObjectName(QStringLiteral("Tagchooser"));
    setWindowTitle(QStringLiteral("Tag Chooser"));
    Treeview1 = new tree::TZozeZO(this);
    Treeview1->setObjectName(QStringLiteral("Treeview1"));
    Page1 = new tree::TZozeZO(this);
    Page1->setObjectName(QStringLiteral("Page1"));
    for (tree::TZozeZO *t : {Treeview1, Page1}) {
        t->SetOptions(t->Options() | tree::toReadOnly);
        t->setMinimumSize(180, 260);
    }
    for (const QString &c : Categories())
        Treeview1->Items()->Add(nullptr, c);
    LookUp1 = new zel::TZELFileLookup(this);
    LookUp1->setObjectName(QStringLiteral("LookUp1"));
    LookUp1->Filter = QStringLiteral("All Files|*.*");
    // The user's own tags are there from the start.
    LookUp1->setText(platform::ProgramFile(QStringLiteral("customtags.qvl")));
    typedShown_ = LookUp1->text();
    Button1 = new QPushButton(QStringLiteral("&Apply"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("&Close"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    SpeedButton1 = new QPushButton(QStringLiteral("&Create Your Customs Tags..."), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    // It stands left of Apply and Close.
    setTabOrder(SpeedButton1, Button1);
    setTabOrder(Button1, Button2);
    for (QPushButton *b : {Button1, Button2, SpeedButton1})
        b->setAutoDefault(false);

    auto *col = new QVBoxLayout(this);
    auto *trees = new QHBoxLayout;
    trees->addWidget(Treeview1);
    trees->addWidget(Page1, 1);
    col->addLayout(trees, 1);
    auto *custom = new QHBoxLayout;
    custom->addWidget(dialogs::BuddyLabel(QStringLiteral("C&ustom tags file:"), LookUp1, this));
    custom->addWidget(LookUp1, 1);
    col->addLayout(custom);
    auto *row = new QHBoxLayout;
    row->addWidget(SpeedButton1);
    row->addStretch();
    row->addWidget(Button1);
    row->addWidget(Button2);
    col->addLayout(row);

    PlaceFirst(this);
    pageFile_ = std::make_unique<tree::TTreeFile>(Page1, QString());
    pageFile_->SetReadOnly(true); // the chooser only shows its lists
    Treeview1->OnClick = [this](tree::TCustomZozeZO *) {
        if (tree::TZozeZONode *n = Treeview1->Selected())
            ShowCategory(n->Text());
    };
    Treeview1->OnChange = [this](tree::TCustomZozeZO *, tree::TZozeZONode *n) {
        if (n)
            ShowCategory(n->Text());
    };
    Page1->OnDblClick = [this](tree::TCustomZozeZO *) { Button1Click(); };
    connect(Button1, &QPushButton::clicked, this, &TTagchooser::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QWidget::close);
    connect(SpeedButton1, &QPushButton::clicked, this, [this] {
        if (OnCreateTags)
            OnCreateTags();
    });
    connect(LookUp1, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (OnLookUpChange)
            OnLookUpChange(text);
        // A name put there whole (browsed to, a list just saved) is shown at once; a name being typed is
        // read only when it is complete, or its first letters would name other files on the way.
        if (!LookUp1->isModified())
            showTypedFile(false);
    });
    connect(LookUp1, &QLineEdit::returnPressed, this, [this] { showTypedFile(true); });
    connect(LookUp1, &QLineEdit::editingFinished, this, [this] { showTypedFile(false); });
    FinishLoading();
}

TTagchooser::~TTagchooser() = default;

void TTagchooser::ShowCategory(const QString &category)
{
    if (category == QLatin1String(customCategory)) {
        shown_ = category;
        const QString file = LookUp1->text();
        if (file.isEmpty())
            return;
        // A name being typed passes through folders on its way: they show as no tags, without a word.
        if (QFileInfo(file).isDir()) {
            Page1->Items()->Clear();
            return;
        }
        pageFile_->SetPath(file);
        pageFile_->Load();
        return;
    }
    const QStringList tags = CategoryTags(category);
    if (tags.isEmpty())
        return;
    shown_ = category;
    // The list goes through the scratch file, so the tags are read as every list file is.
    const QString scratch = platform::ProgramFile(QStringLiteral("temp.qvl"));
    try {
        platform::WriteFileAtomic(scratch, (tags.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    pageFile_->SetPath(scratch);
    pageFile_->Load();
}

void TTagchooser::showTypedFile(bool again)
{
    if (!again && !LookUp1->isModified() && LookUp1->text() == typedShown_)
        return;
    // Marked as read first: a message about the file takes the focus, which finishes the editing again.
    LookUp1->setModified(false);
    typedShown_ = LookUp1->text();
    if (shown_ == QLatin1String(customCategory))
        ShowCategory(shown_);
}

void TTagchooser::SetCustomFile(const QString &path)
{
    if (LookUp1->text() != path)
        LookUp1->setText(path); // shows it again through the change
    else if (shown_ == QLatin1String(customCategory))
        ShowCategory(shown_);
}

QString TTagchooser::SelectedText() const
{
    tree::TZozeZONode *n = Page1->Selected();
    return n ? n->Text() : QString();
}

void TTagchooser::Button1Click()
{
    if (!Page1->Selected())
        return;
    const TTagAction action = TagActionFor(SelectedText());
    switch (action.kind) {
    case TTagAction::Dialog:
    case TTagAction::ModelessDialog:
        if (OnOpenDialog)
            OnOpenDialog(action.text, action.kind == TTagAction::ModelessDialog);
        break;
    case TTagAction::Literal:
        if (OnRelay)
            OnRelay(action.text);
        break;
    case TTagAction::OwnText:
        if (OnTagButton)
            OnTagButton();
        break;
    }
}

} // namespace assistants
