// The main window's tool bar: 101 items in nine sections, of which a fresh bar shows 24. Most items run
// a menu item of the active document, so that the bar and the menus never disagree on what a command
// does or whether it can run; the rest edit the document's text control directly.
#include "app/editform.h"
#include "app/frameform.h"
#include "app/toolglyphs.h"
#include "controls/misc/propanel.h"
#include "controls/qv/qvinifiles.h"
#include "controls/speedbar/alignlayout.h"
#include "controls/speedbar/speedbar.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "textcontrol/rilomemo.h"

#include <QAction>
#include <QHash>
#include <QPointer>
#include <QMenu>
#include <iterator>

namespace app {
namespace {

enum class Kind {
    New,   // a plain document
    Open,  // the main window's Open
    Press, // the active document's menu item
    Memo,  // an operation of the document's text control
    Wrap,  // text before and after the selection
};

struct ToolItem {
    const char *section;
    const char *caption;
    Kind kind;
    const char *command = ""; // Press: the menu item; Memo: the operation
    const char *open = "";    // Wrap
    const char *close = "";
};

const ToolItem toolItems[] = {
    {"File", "New", Kind::New},
    {"File", "Open", Kind::Open},
    {"File", "Save", Kind::Press, "Save1"},
    {"File", "Print", Kind::Press, "Print1"},

    {"Edit", "Cut", Kind::Memo, "Cut"},
    {"Edit", "Copy", Kind::Memo, "Copy"},
    {"Edit", "Paste", Kind::Memo, "Paste"},
    {"Edit", "Undo", Kind::Memo, "Undo"},
    {"Edit", "Redo", Kind::Memo, "Redo"},
    {"Edit", "Find", Kind::Press, "Find2"},
    {"Edit", "Replace", Kind::Press, "Replace1"},

    {"Formatting", "Bold", Kind::Wrap, "", "<B>", "</B>"},
    {"Formatting", "Italic", Kind::Wrap, "", "<I>", "</I>"},
    {"Formatting", "Underline", Kind::Wrap, "", "<U>", "</U>"},
    {"Formatting", "Left", Kind::Wrap, "", "<P ALIGN=\"LEFT\">", "</P>"},
    {"Formatting", "Center", Kind::Wrap, "", "<P ALIGN=\"CENTER\">", "</P>"},
    {"Formatting", "Right", Kind::Wrap, "", "<P ALIGN=\"RIGHT\">", "</P>"},
    {"Formatting", "Justify", Kind::Wrap, "", "<P ALIGN=\"JUSTIFY\">", "</P>"},
    {"Formatting", "Break Line", Kind::Wrap, "", "", "<BR>"},
    {"Formatting", "Paragrafh", Kind::Wrap, "", "", "<P>"},
    {"Formatting", "Horizontal Line", Kind::Press, "HorizontalLine2"},
    {"Formatting", "H1", Kind::Press, "H12"},
    {"Formatting", "H2", Kind::Press, "H22"},
    {"Formatting", "H3", Kind::Press, "H32"},
    {"Formatting", "H4", Kind::Press, "H42"},
    {"Formatting", "H5", Kind::Press, "H52"},
    {"Formatting", "H6", Kind::Press, "H62"},
    {"Formatting", "Strike", Kind::Press, "Strike1"},
    {"Formatting", "Font Size +1", Kind::Press, "Fontsize14"},
    {"Formatting", "Font Size -1", Kind::Press, "Fontsize13"},
    {"Formatting", "Preformatted", Kind::Press, "Preformatted2"},
    {"Formatting", "Teletype", Kind::Press, "Teletype2"},
    {"Formatting", "Address", Kind::Press, "Address2"},
    {"Formatting", "Insertion", Kind::Press, "Insertion2"},
    {"Formatting", "Emphasis", Kind::Press, "Emphasis2"},
    {"Formatting", "Samp", Kind::Press, "Samp1"},
    {"Formatting", "Code", Kind::Press, "Code2"},
    {"Formatting", "Strong", Kind::Press, "Strong2"},
    {"Formatting", "Var", Kind::Press, "Var2"},
    {"Formatting", "BlockQoute", Kind::Press, "BlockQoute2"},
    {"Formatting", "Subscript", Kind::Press, "SubScript2"},
    {"Formatting", "Supscript", Kind::Press, "SuperScript2"},

    // The dialogs open through the menu items that open them.
    {"Standard", "Link", Kind::Press, "HyperLink1"},
    {"Standard", "Image", Kind::Press, "Picture2"},
    {"Standard", "Table", Kind::Press, "Tabeleditor2"},
    {"Standard", "List", Kind::Press, "Listeditor2"},
    {"Standard", "Comment", Kind::Press, "Comment2"},
    {"Standard", "Font", Kind::Press, "Font2"},
    {"Standard", "Email", Kind::Press, "Email2"},
    {"Standard", "File", Kind::Press, "File4"},
    {"Standard", "Color", Kind::Press, "Color2"},
    {"Standard", "Time Stamp", Kind::Press, "TimeStamp2"},
    {"Standard", "Bookmark", Kind::Press, "Bookmark2"},
    {"Standard", "Movie", Kind::Press, "Movie2"},
    {"Standard", "Image Map", Kind::Press, "ImageMap2"},
    {"Standard", "Sound", Kind::Press, "Sound4"},
    {"Standard", "BG Sound", Kind::Press, "BGSound2"},
    {"Standard", "Embed Sound", Kind::Press, "Embed2"},
    {"Standard", "Extended Characters", Kind::Press, "ExtendedCharacters1"},
    {"Standard", "Advanced Attributes", Kind::Press, "AdvancedAttributes2"},
    {"Standard", "IE Filter", Kind::Press, "IE45VisualFilters2"},
    {"Standard", "Frame", Kind::Press, "Frame2"},
    {"Standard", "Frameset", Kind::Press, "Frameset1"},
    {"Standard", "Noframes", Kind::Press, "NOFrames1"},
    {"Standard", "IFrame", Kind::Press, "IFrame1"},
    {"Standard", "Tagchooser", Kind::Press, "TagChooser1"},
    {"Standard", "Style Sheet Editor", Kind::Press, "StyleSheet2"},
    {"Standard", "HTML Start", Kind::Press, "HTMLStart2"},
    {"Standard", "Link To Kestrova", Kind::Press, "LinktoKestrova1"},

    {"Forms", "New Form", Kind::Press, "Form2"},
    {"Forms", "Text", Kind::Press, "Text2"},
    {"Forms", "Textarea", Kind::Press, "Textarea2"},
    {"Forms", "Radio", Kind::Press, "Radio2"},
    {"Forms", "Checkbox", Kind::Press, "Checkbox2"},
    {"Forms", "Dropdown", Kind::Press, "Combobox2"},
    {"Forms", "Button", Kind::Press, "Button7"},

    {"Tools", "Search Engine", Kind::Press, "SearchEngine3"},
    {"Tools", "Link Combobox", Kind::Press, "LinkCombobox1"},
    {"Tools", "File Tool", Kind::Press, "FileOperator1"},
    {"Tools", "Channel", Kind::Press, "Channel1"},
    {"Tools", "Quick Email", Kind::Press, "QuickEmail1"},
    {"Tools", "Gif Animator", Kind::Press, "GifAnimator1"},
    {"Tools", "HTML Compressor", Kind::Press, "HTMLCompressor1"},
    {"Tools", "FTP", Kind::Press, "FTP1"},

    {"Script", "JavaScript Editor", Kind::Press, "JavaScriptEditor2"},
    {"Script", "JavaScript Samples", Kind::Press, "JavaScriptSamplesMenu"},
    {"Script", "VB Script", Kind::Press, "VBScript1"},
    {"Script", "Applet", Kind::Press, "Applet2"},
    {"Script", "DHTML Animation", Kind::Press, "DHTMLAnimation1"},

    {"Cookies", "Bake Cookie", Kind::Press, "BakeCookie1"},
    {"Cookies", "Try Cookie", Kind::Press, "TryCookie1"},
    {"Cookies", "Taste Cookie", Kind::Press, "TasteCookie1"},
    {"Cookies", "Remember the time and date of the last visit", Kind::Press, "Visitor1"},
    {"Cookies", "Remember your name and count the number of times you visit", Kind::Press,
     "Rememberyournameandcountthenumberoftimesyouvisit1"},
    {"Cookies", "Message or alert box on the first visit to a page", Kind::Press,
     "Messageoralertboxonthefirstvisittoapage1"},
    {"Cookies", "Personal Greeting", Kind::Press, "PersonalGreeting1"},
    {"Cookies", "Hit Counter", Kind::Press, "HitCounter1"},
    {"Cookies", "Viewing a Cookie", Kind::Press, "ViewingaCookie1"},
    {"Cookies", "Deleting a Cookie", Kind::Press, "deleteCookie1"},
    {"Cookies", "Color Cookie", Kind::Press, "ColorCookie1"},

    {"Help", "Help", Kind::Press, "Content1"},
};

static_assert(std::size(toolItems) == 101);

const char *const sections[] = {"File", "Edit", "Formatting", "Standard", "Forms", "Tools", "Script", "Cookies", "Help"};

// What a fresh bar shows, left to right; an empty caption leaves a gap between groups.
const char *const freshBar[] = {"New", "Open", "Save", "", "Cut", "Copy", "Paste", "Undo", "Redo", "",
                                "Bold", "Italic", "Underline", "", "Left", "Center", "Right", "Justify", "",
                                "Break Line", "Paragrafh", "", "Link", "Image", "Table", "List", "Comment",
                                "Font", "", "Help"};

constexpr int barHeight = 33;
constexpr int buttonOffset = 3;
constexpr int groupGap = 8; // one step of the bar's grid

QString lat(const char *s) { return QString::fromUtf8(s); }

// A document's menu items by name, made once and gone with the document, so that enabling the bar on
// every switch between documents costs no search through their menus.
class CommandIndex : public QObject {
public:
    static CommandIndex *Of(TEditForm *doc)
    {
        for (QObject *child : doc->children())
            if (auto *index = dynamic_cast<CommandIndex *>(child))
                return index;
        return new CommandIndex(doc);
    }
    QAction *Find(const QString &name) const { return byName_.value(name); }

private:
    explicit CommandIndex(TEditForm *doc) : QObject(doc)
    {
        for (QAction *a : doc->findChildren<QAction *>())
            if (!a->objectName().isEmpty() && !byName_.contains(a->objectName()))
                byName_.insert(a->objectName(), a);
    }
    QHash<QString, QPointer<QAction>> byName_;
};

} // namespace

void TFrameForm::buildToolBar(QWidget *panel)
{
    SpeedBar1 = new speedbar::TSpeedBar(panel);
    SpeedBar1->setObjectName(QStringLiteral("SpeedBar1"));
    speedbar::TAlignLayout::Of(panel, true)->SetAlign(ProBorder1, speedbar::alClient);
    SpeedBar1->SetOptions(speedbar::sbGrayedBtns | speedbar::sbAllowDrag | speedbar::sbAllowResize |
                          speedbar::sbFlatBtns | speedbar::sbTransparentBtns);
    SpeedBar1->SetBtnOffsetHorz(buttonOffset);
    SpeedBar1->SetBtnOffsetVert(buttonOffset);
    SpeedBar1->resize(width(), barHeight);
    QFont bold = SpeedBar1->font();
    bold.setBold(true);
    SpeedBar1->setFont(bold);
    const QString hint = QStringLiteral("Double-click to customize the speedbar.");
    SpeedBar1->setToolTip(hint);
    SpeedBar1->setStatusTip(hint);
    SpeedBar1->OnDblClick = [this](QObject *) { SpeedBar1DblClick(); };

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Customize1 = PopupMenu2->addAction(QStringLiteral("Customize..."));
    Customize1->setObjectName(QStringLiteral("Customize1"));
    connect(Customize1, &QAction::triggered, this, &TFrameForm::SpeedBar1DblClick);
    SpeedBar1->SetPopupMenu(PopupMenu2);

    for (const char *caption : sections) {
        auto *section = new speedbar::TSpeedbarSection(this);
        section->SetCaption(lat(caption));
        SpeedBar1->AddSection(section);
    }
    for (const ToolItem &t : toolItems) {
        const int index = int(toolItems_.size());
        auto *item = new speedbar::TSpeedItem(this);
        item->setObjectName(QStringLiteral("SpeedItem%1").arg(index + 1));
        item->SetCaption(lat(t.caption));
        // The tool tip is the caption; the hint line stays empty.
        item->SetHint(lat(t.caption) + QLatin1Char('|'));
        item->SetGlyph(ToolGlyphStrip(lat(t.caption)));
        item->OnClick = [this, index](QObject *) { runToolItem(index); };
        SpeedBar1->AddItem(SpeedBar1->SearchSection(lat(t.section)), item);
        toolItems_.append(item);
    }

    int left = buttonOffset;
    for (const char *caption : freshBar) {
        if (!*caption) {
            left += groupGap;
            continue;
        }
        for (qsizetype i = 0; i < toolItems_.size(); ++i)
            if (toolItems_[i]->Caption() == lat(caption)) {
                toolItems_[i]->SetLeft(left);
                toolItems_[i]->SetTop(buttonOffset);
                toolItems_[i]->SetVisible(true);
            }
        left += SpeedBar1->BtnWidth();
    }
}

void TFrameForm::SpeedBar1DblClick()
{
    SpeedBar1->Customize(0);
}

void TFrameForm::UpdateToolBar()
{
    if (toolItems_.isEmpty())
        return;
    TEditForm *doc = ActiveEditForm();
    const CommandIndex *commands = doc ? CommandIndex::Of(doc) : nullptr;
    for (qsizetype i = 0; i < toolItems_.size(); ++i) {
        const ToolItem &t = toolItems[i];
        bool on = t.kind == Kind::New || t.kind == Kind::Open || doc;
        if (commands && t.kind == Kind::Press) {
            const QAction *a = commands->Find(lat(t.command));
            on = a && a->isEnabled();
        }
        toolItems_[i]->SetEnabled(on);
    }
}

void TFrameForm::runToolItem(int index)
{
    const ToolItem &t = toolItems[index];
    if (t.kind == Kind::New) {
        CreateEditForm();
        return;
    }
    if (t.kind == Kind::Open) {
        Open1->trigger();
        return;
    }
    TEditForm *doc = ActiveEditForm();
    if (!doc)
        return;
    const QString command = lat(t.command);
    switch (t.kind) {
    case Kind::Press:
        if (QAction *a = CommandIndex::Of(doc)->Find(command); a && a->isEnabled())
            a->trigger();
        break;
    case Kind::Memo:
        if (command == QLatin1String("Cut"))
            doc->RiloMemo1->CutToClipboard();
        else if (command == QLatin1String("Copy"))
            doc->RiloMemo1->CopyToClipboard();
        else if (command == QLatin1String("Paste"))
            doc->RiloMemo1->PasteFromClipboard();
        else if (command == QLatin1String("Undo"))
            doc->RiloMemo1->Undo();
        else if (command == QLatin1String("Redo"))
            doc->RiloMemo1->Redo();
        break;
    case Kind::Wrap:
        doc->InsertText(lat(t.open) + doc->RiloMemo1->SelText() + lat(t.close));
        break;
    default:
        break;
    }
}

void TFrameForm::RestoreToolBarLayout()
{
    // The bar's thickness is held to the room the panel has, so the panel is placed first.
    if (layout())
        layout()->activate();
    qv::IniFileObject ini(QStringLiteral("kestrova5.ini"));
    SpeedBar1->RestoreLayout(&ini);
}

void TFrameForm::SaveToolBarLayout()
{
    try {
        qv::IniFileObject ini(QStringLiteral("kestrova5.ini"));
        SpeedBar1->SaveLayout(&ini);
    } catch (const platform::Error &e) {
        // The program still ends; the layout of the last start stays as it was.
        platform::MessageBox(this, QStringLiteral("The tool bar's layout could not be saved.\n\n%1").arg(e.message()),
                             platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONWARNING);
    }
}

} // namespace app
