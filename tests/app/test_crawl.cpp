// Every menu item of the main window and of a document window (the tool bar's items after them), with a document open and with none: each
// item has the caption and the enabled state its row below gives; each enabled item runs, with a
// selection in the active document and text on the clipboard, whatever it opens is cancelled or closed
// (the focus order of every dialog checked on the way), no error is shown, and afterwards the text, the
// clipboard, the open documents and what was handed to the desktop are what the row says the item does.
// An item without a row fails, and the message proposes the row from what the item did: check it, then
// add it.
#include "k5test.h"
#include "apptest.h"

#include "app/settingsform.h"
#include "controls/speedbar/speedbar.h"
#include "platform/mail/mailaccount.h"
#include "platform/shell/shell.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>
#include <QPageSetupDialog>
#include <QPrintDialog>

using app::TEditForm;
using app::TFrameForm;

namespace {

enum class On {
    Always,
    WithDocument, // enabled while a document is open
    Never,        // its window joins later: disabled
    AfterFind,    // disabled until the first find
};

enum class Does {
    Nothing,        // text, clipboard and documents stay as they were
    Submenu,        // holds items: not run
    Cut,            // the selection leaves the text for the clipboard
    Copy,           // the selection goes to the clipboard
    Paste,          // the clipboard's text takes the selection's place
    Delete,         // the selection leaves the text
    SelectAll,      // everything is selected
    Inserts,        // some text takes the selection's place
    NewDocument,    // a new document, active; the others stay
    ClosesDocument, // the active document closes; the others stay
    ClosesAll,      // every document closes
    Opens,          // hands an address or file to the desktop
    EndsProgram,    // not run here: the closing tests run it
    Other,          // what none of the above says (never in a row)
};

const char *const doesNames[] = {"Nothing", "Submenu", "Cut", "Copy", "Paste", "Delete", "SelectAll", "Inserts",
                                 "NewDocument", "ClosesDocument", "ClosesAll", "Opens", "EndsProgram", "Other"};

struct Item {
    const char *name;
    const char *caption; // literal: a lost "&" is a fault
    On enabled;
    Does does = Does::Nothing;
};

// One row per item. The main window's menus (its File menu shows while no document is open).
const Item items[] = {
    {"New1", "&New...", On::Always, Does::NewDocument},
    {"Open1", "&Open...", On::Always},
    {"ProjectManager1", "Project Manager...", On::Always},
    {"File1/EditFilelist1", "Filelist...", On::Always},
    {"StartProject1", "Shared Border...", On::Always},
    {"StartTheme1", "Theme...", On::Always},
    {"CloseProject1", "Close Shared Border or Theme", On::WithDocument},
    {"Exit1", "E&xit", On::Always, Does::EndsProgram},
    {"Tile1", "&Tile", On::WithDocument},
    {"Cascade1", "&Cascade", On::WithDocument},
    {"Arrangeicons1", "&Arrange icons", On::WithDocument},
    {"MinimazeAll1", "Minimize  All", On::WithDocument},
    // The document window's menus.
    {"New2", "&New...", On::Always, Does::NewDocument},
    {"Open2", "&Open...", On::Always},
    {"Save1", "&Save", On::Always},
    {"Saveas1", "Save &As...", On::Always},
    {"Close1", "&Close", On::Always, Does::ClosesDocument},
    {"CloseAll1", "Close All", On::Always, Does::ClosesAll},
    {"Print1", "&Print...", On::Always},
    {"Print2", "Print - Syntax Color...", On::Always},
    {"PrinterSetup1", "P&rinter Setup...", On::Always},
    {"Exit2", "E&xit", On::Always, Does::EndsProgram},
    {"Undo1", "&Undo", On::Always},
    {"Redo1", "&Redo", On::Always},
    {"Cut1", "Cu&t", On::Always, Does::Cut},
    {"Copy1", "&Copy", On::Always, Does::Copy},
    {"Paste1", "&Paste", On::Always, Does::Paste},
    {"Delete1", "&Delete", On::Always, Does::Delete},
    {"Selectall1", "Select &All", On::Always, Does::SelectAll},
    {"Find2", "&Find...", On::Always},
    {"FindNext1", "Find &Next", On::AfterFind},
    {"Replace1", "&Replace...", On::Always},
    {"GoToLine1", "Go To Line...", On::Always},
    {"Wordwrap1", "&Word Wrap", On::Always},
    {"HyperLink1", "HyperLink...", On::Always},
    // The side browser's pop-up menu (no file chosen: nothing to do).
    {"Edit5", "Edit...", On::Always},
    {"Insertaslink1", "Insert as link", On::Always},
    // The menus of the bar, the document window's command menus and its pop-up menu, in menu order.
    {"File1", "&File", On::Always, Does::Submenu},
    {"Window1", "&Window", On::Always, Does::Submenu},
    {"File2", "&File", On::Always, Does::Submenu},
    {"Edit1", "&Edit", On::Always, Does::Submenu},
    {"Formatting1", "Formatting", On::Always, Does::Submenu},
    {"Insert1", "Insert", On::Always, Does::Submenu},
    {"Script1", "Script", On::Always, Does::Submenu},
    {"DHTML1", "DHTML", On::Always, Does::Submenu},
    {"Cookies1", "Cookies", On::Always, Does::Submenu},
    {"Advanced1", "Advanced", On::Always, Does::Submenu},
    {"Tools1", "Tools", On::Always, Does::Submenu},
    {"Settings1", "Settings", On::Always, Does::Submenu},
    {"Help1", "Help", On::Always, Does::Submenu},
    {"Project1", "Shared Border...", On::WithDocument, Does::Nothing},
    {"Themes1", "Themes...", On::WithDocument, Does::Nothing},
    {"Wizards1", "Wizards", On::Always, Does::Submenu},
    {"HomepageIndex1", "Homepage Index...", On::Always, Does::NewDocument},
    {"PersonalHomepage1", "Personal Homepage...", On::Always, Does::NewDocument},
    {"CompanyHomepage1", "Company Homepage...", On::Always, Does::NewDocument},
    {"Headings1", "Headings", On::Always, Does::Submenu},
    {"Alignment1", "Alignment", On::Always, Does::Submenu},
    {"TextStyles1", "Text Styles", On::Always, Does::Submenu},
    {"Channel1", "Channel...", On::WithDocument, Does::Nothing},
    {"Clipart1", "Clipart...", On::WithDocument, Does::Nothing},
    {"StyleSheet2", "Style Sheet...", On::WithDocument, Does::Nothing},
    {"Forms1", "Forms", On::Always, Does::Submenu},
    {"TableandList1", "Table and List", On::Always, Does::Submenu},
    {"Tabeleditor2", "Table Editor...", On::WithDocument, Does::Nothing},
    {"Listeditor2", "List Editor...", On::WithDocument, Does::Nothing},
    {"Frame1", "Frame", On::Always, Does::Submenu},
    {"IFrame1", "IFrame...", On::WithDocument, Does::Nothing},
    {"Frameset1", "Frameset...", On::WithDocument, Does::Nothing},
    {"Frame2", "Frame...", On::WithDocument, Does::Nothing},
    {"NOFrames1", "NOFrames...", On::WithDocument, Does::Nothing},
    {"BaseTarget1", "Base Target...", On::WithDocument, Does::Nothing},
    {"JavaScriptEditor2", "JavaScript Editor...", On::WithDocument, Does::Nothing},
    {"JavaScriptSamplesMenu", "JavaScript Samples...", On::WithDocument, Does::Nothing},
    {"VBScriptEditor1", "VBScript Editor...", On::WithDocument, Does::Nothing},
    {"VBScript1", "VBScript...", On::WithDocument, Does::Nothing},
    {"SearchBoxes1", "Search Boxes", On::Always, Does::Submenu},
    {"DHTMLAnimation1", "DHTML Animation...", On::WithDocument, Does::Nothing},
    {"DHTMLSamples11", "DHTML Samples...", On::WithDocument, Does::Nothing},
    {"Assistants1", "Assistants", On::Always, Does::Submenu},
    {"Bookmark1", "Bookmark...", On::WithDocument, Does::Nothing},
    {"ColorButton1", "Color Button...", On::WithDocument, Does::Nothing},
    {"Marquee1", "Marquee...", On::WithDocument, Does::Nothing},
    {"MenuBuilder1", "Menu Builder...", On::WithDocument, Does::Nothing},
    {"FadedDropDownMenu1", "Faded Drop Down Menu...", On::WithDocument, Does::Nothing},
    {"ToolTip1", "Tool Tip...", On::WithDocument, Does::Nothing},
    {"SlideInMenu1", "Slide In Menu...", On::WithDocument, Does::Nothing},
    {"DragInMenuBar1", "Drag In Menu Bar...", On::WithDocument, Does::Nothing},
    {"KeybordInMenuBar1", "Keybord In Menu Bar...", On::WithDocument, Does::Nothing},
    {"NoRightClick1", "No Right Click...", On::WithDocument, Does::Nothing},
    {"PrintButton1", "Print Button...", On::WithDocument, Does::Nothing},
    {"PopupImage1", "Popup Image...", On::WithDocument, Does::Nothing},
    {"TextType1", "Text Type...", On::WithDocument, Does::Nothing},
    {"FadingTickerTape1", "Fading Ticker Tape...", On::WithDocument, Does::Nothing},
    {"FullScreenWindowOpener1", "Full Screen Window Opener...", On::WithDocument, Does::Nothing},
    {"FullChannelOpener1", "Full Channel Opener...", On::WithDocument, Does::Nothing},
    {"BlinkingTable1", "Blinking Table...", On::WithDocument, Does::Nothing},
    {"Calculator1", "Calculator...", On::WithDocument, Does::Nothing},
    {"Clock1", "Clock...", On::WithDocument, Does::Nothing},
    {"Clock21", "Clock 2...", On::WithDocument, Does::Nothing},
    {"Credit1", "Credit...", On::WithDocument, Does::Nothing},
    {"PopupMenuCreator1", "Popup Menu Creator...", On::WithDocument, Does::Nothing},
    {"ASP1", "ASP", On::Always, Does::Submenu},
    {"XML1", "XML", On::Always, Does::Submenu},
    {"Text1", "Text...", On::WithDocument, Does::Nothing},
    {"HDML1", "HDML", On::Always, Does::Submenu},
    {"VTHML1", "VTHML", On::Always, Does::Submenu},
    {"BMPToGIF1", "BMP To GIF...", On::WithDocument, Does::Nothing},
    {"GIFToBMP1", "GIF To BMP...", On::WithDocument, Does::Nothing},
    {"GIFDeanimation1", "GIF Deanimation...", On::WithDocument, Does::Nothing},
    {"GifAnimator1", "Gif Animator...", On::WithDocument, Does::Nothing},
    {"ClipBook1", "ClipBook...", On::WithDocument, Does::Nothing},
    {"Tools1/SearchFiles1", "File Search...", On::WithDocument, Does::Nothing},
    {"Tools1/CustomTags1", "Custom Tags...", On::WithDocument, Does::Nothing},
    {"FTP1", "FTP...", On::WithDocument, Does::Nothing},
    {"OnlineGames1", "Online Games", On::Always, Does::Submenu},
    {"OnlineTools1", "Online Tools", On::Always, Does::Submenu},
    {"FTP2", "FTP Settings...", On::WithDocument, Does::Nothing},
    {"TagChooser1", "Tag Chooser", On::WithDocument, Does::Nothing},
    {"Tag1", "Tag Creator...", On::WithDocument, Does::Nothing},
    {"EditFilelist1", "Edit Filelist...", On::Always, Does::Nothing},
    {"Signature1", "Signature...", On::WithDocument, Does::Nothing},
    {"UsefulLinks1", "Useful Links", On::Always, Does::Submenu},
    {"AboutKestrova1", "About...", On::WithDocument, Does::Nothing},
    {"Tags1", "Tags", On::Always, Does::Submenu},
    {"TagChooser2", "Tag Chooser", On::WithDocument, Does::Nothing},
    {"CustomTags2", "Custom Tags...", On::WithDocument, Does::Nothing},
    {"CustomTagsCreator1", "Custom Tags Creator...", On::WithDocument, Does::Nothing},
    {"EditFilelist2", "Edit Filelist...", On::WithDocument, Does::Nothing},
    {"Signature3", "Signature", On::Always, Does::Submenu},
    {"Signature2", "Add Signature...", On::WithDocument, Does::Inserts},
    {"EditSignature1", "Edit Signature...", On::WithDocument, Does::Nothing},
    {"InsertDateTime1", "Insert Date/Time", On::Always, Does::Submenu},
    {"H12", "H1", On::Always, Does::Inserts},
    {"H22", "H2", On::Always, Does::Inserts},
    {"H32", "H3", On::Always, Does::Inserts},
    {"H42", "H4", On::Always, Does::Inserts},
    {"H52", "H5", On::Always, Does::Inserts},
    {"H62", "H6", On::Always, Does::Inserts},
    {"Bold2", "Bold", On::Always, Does::Inserts},
    {"Italic2", "Italic", On::Always, Does::Inserts},
    {"Underline2", "Underline", On::Always, Does::Inserts},
    {"Strike1", "Strike", On::Always, Does::Inserts},
    {"Left2", "Left", On::Always, Does::Inserts},
    {"Center2", "Center", On::Always, Does::Inserts},
    {"Right2", "Right", On::Always, Does::Inserts},
    {"Justify2", "Justify", On::Always, Does::Inserts},
    {"Fontsize14", "Font size +1", On::Always, Does::Inserts},
    {"Fontsize13", "Font size -1", On::Always, Does::Inserts},
    {"Font2", "Font...", On::Always, Does::Nothing},
    {"BaseFont2", "Base Font...", On::Always, Does::Nothing},
    {"Color2", "Color...", On::Always, Does::Nothing},
    {"Preformatted2", "Preformatted", On::Always, Does::Inserts},
    {"Teletype2", "Teletype", On::Always, Does::Inserts},
    {"Address2", "Address", On::Always, Does::Inserts},
    {"Insertion2", "Insertion", On::Always, Does::Inserts},
    {"Emphasis2", "Emphasis", On::Always, Does::Inserts},
    {"Samp1", "Samp", On::Always, Does::Inserts},
    {"Code2", "Code", On::Always, Does::Inserts},
    {"Strong2", "Strong", On::Always, Does::Inserts},
    {"Var2", "Var", On::Always, Does::Inserts},
    {"BlockQoute2", "BlockQoute", On::Always, Does::Inserts},
    {"SubScript2", "SubScript", On::Always, Does::Inserts},
    {"SuperScript2", "SuperScript", On::Always, Does::Inserts},
    {"LineBreak2", "Line Break", On::Always, Does::Inserts},
    {"HorizontalLine2", "Horizontal Line", On::Always, Does::Inserts},
    {"NoBreak2", "No Break", On::Always, Does::Inserts},
    {"HTMLStart2", "HTML Start...", On::Always, Does::Nothing},
    {"Picture2", "Picture...", On::Always, Does::Nothing},
    {"Sound4", "Sound...", On::Always, Does::Nothing},
    {"BGSound2", "BG Sound...", On::Always, Does::Nothing},
    {"Email2", "Email...", On::Always, Does::Nothing},
    {"Embed2", "Embed...", On::Always, Does::Nothing},
    {"Bookmark2", "Bookmark...", On::Always, Does::Nothing},
    {"Comment2", "Comment...", On::Always, Does::Nothing},
    {"File4", "File...", On::Always, Does::Nothing},
    {"Marquee2", "Marquee...", On::Always, Does::Nothing},
    {"Movie2", "Movie...", On::Always, Does::Nothing},
    {"ImageMap2", "Image Map...", On::Always, Does::Nothing},
    {"Meta2", "Meta...", On::Always, Does::Nothing},
    {"AdvancedAttributes2", "Advanced Attributes...", On::Always, Does::Nothing},
    {"IE45VisualFilters2", "IE 4/5 Visual Filters...", On::Always, Does::Nothing},
    {"ExtendedCharacters1", "Extended Characters...", On::Always, Does::Nothing},
    {"Object2", "Object", On::Always, Does::Inserts},
    {"Form2", "Form...", On::Always, Does::Nothing},
    {"Text2", "Text...", On::Always, Does::Nothing},
    {"Textarea2", "Textarea...", On::Always, Does::Nothing},
    {"Radio2", "Radio...", On::Always, Does::Nothing},
    {"Checkbox2", "Checkbox...", On::Always, Does::Nothing},
    {"Password3", "Password...", On::Always, Does::Nothing},
    {"Image2", "Image...", On::Always, Does::Nothing},
    {"Submit2", "Submit...", On::Always, Does::Nothing},
    {"Reset2", "Reset...", On::Always, Does::Nothing},
    {"Button7", "Button...", On::Always, Does::Nothing},
    {"File5", "File...", On::Always, Does::Nothing},
    {"Hidden2", "Hidden...", On::Always, Does::Nothing},
    {"Combobox2", "Combobox...", On::Always, Does::Nothing},
    {"Table3", "Table", On::Always, Does::Inserts},
    {"TableRow2", "Table Row", On::Always, Does::Inserts},
    {"TableData2", "Table Data", On::Always, Does::Inserts},
    {"TableCaption2", "Table Caption", On::Always, Does::Inserts},
    {"UnorderedList2", "Unordered List", On::Always, Does::Inserts},
    {"OrderedList1", "Ordered List", On::Always, Does::Inserts},
    {"ListItem2", "List Item", On::Always, Does::Inserts},
    {"DefinitionList2", "Definition List", On::Always, Does::Inserts},
    {"DefinitionTerm2", "Definition Term", On::Always, Does::Inserts},
    {"Definition2", "Definition", On::Always, Does::Inserts},
    {"Menu2", "Menu", On::Always, Does::Inserts},
    {"TimeStamp2", "Time Stamp", On::Always, Does::Inserts},
    {"LinktoKestrova1", "Link to Kestrova", On::Always, Does::Inserts},
    {"Applet2", "Applet...", On::Always, Does::Nothing},
    {"ScriptHeader2", "Script Header", On::Always, Does::Inserts},
    {"FunctionTemplate2", "Function Template", On::Always, Does::Inserts},
    {"forloop2", "for loop", On::Always, Does::Inserts},
    {"whileloop2", "while loop", On::Always, Does::Inserts},
    {"withloop2", "with loop", On::Always, Does::Inserts},
    {"ifcondition2", "if condition", On::Always, Does::Inserts},
    {"ifelsecondition2", "if else condition", On::Always, Does::Inserts},
    {"switchcondition2", "switch condition", On::Always, Does::Inserts},
    {"Documentwrite2", "Document.write()", On::Always, Does::Inserts},
    {"Noscript2", "Noscript", On::Always, Does::Inserts},
    {"Altavista2", "Altavista", On::Always, Does::Inserts},
    {"Excite2", "Excite", On::Always, Does::Inserts},
    {"Infoseek2", "Infoseek", On::Always, Does::Inserts},
    {"Lycos2", "Lycos", On::Always, Does::Inserts},
    {"WebCrawler2", "WebCrawler", On::Always, Does::Inserts},
    {"Yahoo2", "Yahoo", On::Always, Does::Inserts},
    {"BakeCookie1", "Bake Cookie", On::Always, Does::Inserts},
    {"TryCookie1", "Try Cookie", On::Always, Does::Inserts},
    {"TasteCookie1", "Taste Cookie", On::Always, Does::Inserts},
    {"Visitor1", "Remember the time and date of the last visit", On::Always, Does::Inserts},
    {"Rememberyournameandcountthenumberoftimesyouvisit1", "Remember your name and count the number of times you visit", On::Always, Does::Inserts},
    {"Messageoralertboxonthefirstvisittoapage1", "Message or alert box on the first visit to a page", On::Always, Does::Inserts},
    {"PersonalGreeting1", "Personal Greeting", On::Always, Does::Inserts},
    {"HitCounter1", "Hit Counter", On::Always, Does::Inserts},
    {"ViewingaCookie1", "View Cookie", On::Always, Does::Inserts},
    {"deleteCookie1", "Delete Cookie", On::Always, Does::Inserts},
    {"ColorCookie1", "Color Cookie", On::Always, Does::Inserts},
    {"ASPTag2", "Tag", On::Always, Does::Inserts},
    {"ASPOutput2", "Output", On::Always, Does::Inserts},
    {"ASPIf2", "If", On::Always, Does::Inserts},
    {"ASPElse2", "Else", On::Always, Does::Inserts},
    {"ASPEnd2", "End", On::Always, Does::Inserts},
    {"ASPIncludes2", "Includes", On::Always, Does::Inserts},
    {"ASPServerVariables2", "Server Variables...", On::Always, Does::Nothing},
    {"Advanced1/ASPCustomTags1", "ASP Custom Tags...", On::WithDocument, Does::Nothing},
    {"RootElement1", "Root Element", On::Always, Does::Inserts},
    {"ChildElement1", "Child Element", On::Always, Does::Inserts},
    {"Comment1", "Comment", On::Always, Does::Inserts},
    {"Advanced1/XMLCustomTags1", "XML Custom Tags...", On::WithDocument, Does::Nothing},
    {"HDML2", "HDML", On::Always, Does::Inserts},
    {"Action1", "Action", On::Always, Does::Inserts},
    {"Ce1", "Ce", On::Always, Does::Inserts},
    {"Choice1", "Choice", On::Always, Does::Inserts},
    {"Display1", "Display", On::Always, Does::Inserts},
    {"Entry1", "Entry", On::Always, Does::Inserts},
    {"Attrib1", "Attrib", On::Always, Does::Inserts},
    {"Attributes1", "Attributes", On::Always, Does::Inserts},
    {"EditorLayout1", "Editor Layout", On::Always, Does::Inserts},
    {"Item1", "Item", On::Always, Does::Inserts},
    {"Tag2", "Tag", On::Always, Does::Inserts},
    {"TagLayout1", "Tag Layout", On::Always, Does::Inserts},
    {"Container1", "Container", On::Always, Does::Inserts},
    {"CatagoryTag1", "Catagory Tag", On::Always, Does::Inserts},
    {"ElementTag1", "Element Tag", On::Always, Does::Inserts},
    {"SearchEngine3", "Search Engine...", On::Always, Does::Nothing},
    {"LinkCombobox1", "Link Combobox...", On::Always, Does::Nothing},
    {"HDSoundRecorder1", "HD Sound Recorder...", On::Always, Does::Nothing},
    {"HTMLCompressor1", "HTML Compressor...", On::Always, Does::Nothing},
    {"FileOperator1", "File Operator...", On::Always, Does::Nothing},
    {"QuickEmail1", "Quick Email...", On::Always, Does::Nothing},
    {"FavoriteURLsToHTML1", "Favorite URLs To HTML...", On::Always, Does::Nothing},
    {"IEHistoryURL1", "IE History URL...", On::Always, Does::Nothing},
    {"VCard1", "VCard...", On::Always, Does::Nothing},
    {"Dots1", "Dots", On::Always, Does::Inserts},
    {"Maze1", "Maze", On::Always, Does::Inserts},
    {"LightsOut1", "Lights Out", On::Always, Does::Inserts},
    {"WYSIWYGEditor1", "WYSIWYG Editor", On::Always, Does::Inserts},
    {"TableEditor1", "Table Editor", On::Always, Does::Inserts},
    {"Settings2", "Settings...", On::Always, Does::Nothing},
    {"Content1", "Content", On::Always, Does::Opens},
    {"Comments1", "Comments", On::Always, Does::Nothing},
    {"N51", "Kestrova Home Page", On::Always, Does::Opens},
    {"HTMLSpecification1", "HTML Living Standard", On::Always, Does::Opens},
    {"CSSReference1", "CSS Reference", On::Always, Does::Opens},
    {"JavaScriptReference1", "JavaScript Reference", On::Always, Does::Opens},
    {"MarkupValidator1", "Markup Validator", On::Always, Does::Opens},
    {"CSSValidator1", "CSS Validator", On::Always, Does::Opens},
    {"Accessibility1", "Accessibility Guidelines", On::Always, Does::Opens},
    {"CloseDocument1", "Close Document", On::Always, Does::ClosesDocument},
    {"TransfertoInternet1", "Transfer to Internet", On::Always, Does::SelectAll},
    {"Undo2", "Undo", On::Always, Does::Nothing},
    {"Redo2", "Redo", On::Always, Does::Nothing},
    {"Cut2", "Cu&t", On::Always, Does::Cut},
    {"Copy2", "&Copy", On::Always, Does::Copy},
    {"Paste2", "&Paste", On::Always, Does::Paste},
    {"Mydate1", "", On::Always, Does::Inserts},
    {"Mydate2", "", On::Always, Does::Inserts},
    {"Mydate3", "", On::Always, Does::Inserts},
    {"Mydate4", "", On::Always, Does::Inserts},
    {"Mydate5", "", On::Always, Does::Inserts},
    {"Mydate6", "", On::Always, Does::Inserts},
    {"Mydate7", "", On::Always, Does::Inserts},
    {"Mydate8", "", On::Always, Does::Inserts},
    {"Mydate9", "", On::Always, Does::Inserts},
    {"Mydate10", "", On::Always, Does::Inserts},
    {"Mydate11", "", On::Always, Does::Inserts},
    {"LinkToKestrova2", "Link To Kestrova", On::Always, Does::Inserts},
};

const Item *rowOf(const char *name)
{
    for (const Item &i : items)
        if (qstrcmp(name, i.name) == 0)
            return &i;
    return nullptr;
}

const QString page = QStringLiteral("<HTML>\r\n<BODY>\r\n<P>crawl</P>\r\n</BODY>\r\n</HTML>");
const QString otherPage = QStringLiteral("<P>the other document</P>");
const QString clip = QStringLiteral("from the clipboard");
const int selStart = int(page.indexOf(QStringLiteral("crawl")));
const int selLength = 5;

// The items of menus, submenus included (their holders too when named), in menu order; each as the
// objectName of its menu in the bar, "/", its own objectName.
QList<QPair<QString, QAction *>> itemsOf(const QList<QMenu *> &menus, const QString &root = QString())
{
    QList<QPair<QString, QAction *>> out;
    for (QMenu *m : menus) {
        const QString top = root.isEmpty() ? m->objectName() : root;
        for (QAction *a : m->actions()) {
            if (a->isSeparator())
                continue;
            if (!a->objectName().isEmpty())
                out << qMakePair(top + QLatin1Char('/') + a->objectName(), a);
            if (a->menu())
                out << itemsOf({a->menu()}, top);
        }
    }
    return out;
}

// A row is found by the item's name, or by its menu and name where two menus have items of one name.
const Item *rowOf(const QString &key)
{
    if (const Item *qualified = rowOf(key.toLatin1().constData()))
        return qualified;
    return rowOf(key.mid(key.indexOf(QLatin1Char('/')) + 1).toLatin1().constData());
}

// Qt's own dialogs, whose focus order is Qt's.
bool isQtsOwn(QWidget *w)
{
    return qobject_cast<QMessageBox *>(w) || qobject_cast<QFileDialog *>(w) || qobject_cast<QPrintDialog *>(w) ||
           qobject_cast<QPageSetupDialog *>(w);
}

// Cancels whatever modal window comes up, noting message boxes and checking each dialog's focus order.
class Canceller : public QObject {
public:
    Canceller()
    {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || !w->isVisible())
                return;
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                Boxes << box->text();
                if (box->escapeButton())
                    box->escapeButton()->click();
                else
                    box->reject();
            } else if (auto *d = qobject_cast<QDialog *>(w)) {
                Dialogs << QString::fromLatin1(d->metaObject()->className());
                if (!isQtsOwn(d))
                    FocusProblems << apptest::FocusOrderProblems(d);
                if (const QString border = apptest::BorderProblems(d); !border.isEmpty())
                    FocusProblems << border;
                d->reject();
            }
        });
        timer_.start();
    }
    QStringList Boxes, Dialogs, FocusProblems;

private:
    QTimer timer_;
};

QString quoted(const QString &s)
{
    QString out = s;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

class TestCrawl : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    QStringList opened; // what was handed to the desktop

    // Two documents: another one behind, and the active one with the page, "crawl" selected. The active one
    // has a file name, so that commands that need one (upload) run to the end.
    QPair<QPointer<TEditForm>, QPointer<TEditForm>> twoDocuments()
    {
        apptest::CloseAll(*frame);
        frame->Start2->click();
        QPointer<TEditForm> other = frame->ActiveEditForm();
        other->ReplaceText(otherPage);
        frame->Start2->click();
        QPointer<TEditForm> active = frame->ActiveEditForm();
        active->FileName = k5test::Root() + QStringLiteral("/tmp/crawl.htm");
        active->ReplaceText(page);
        active->RiloMemo1->ClearUndo();
        active->RiloMemo1->Select(selStart, selLength);
        return {other, active};
    }
    QStringList closeStrayWindows()
    {
        QStringList problems;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != frame && w->isVisible() && !qobject_cast<QMenu *>(w)) {
                if (qobject_cast<QDialog *>(w) && !isQtsOwn(w))
                    problems << apptest::FocusOrderProblems(w);
                if (const QString border = apptest::BorderProblems(w); !border.isEmpty())
                    problems << border;
                w->close();
            }
        apptest::Settle();
        return problems;
    }
    // The menus shown now: the document's (its pop-up menus too) or the main window's own File menu, and Window.
    QList<QMenu *> menusNow() const
    {
        QList<QMenu *> menus;
        if (TEditForm *doc = frame->ActiveEditForm()) {
            menus << doc->Menus();
            for (const char *popup : {"PopupMenu1", "PopupMenu2"})
                if (auto *m = doc->findChild<QMenu *>(QLatin1String(popup)))
                    menus << m;
        } else {
            menus << frame->File1;
        }
        return menus << frame->Window1;
    }
    // The items, and the menus of the bar as items of their own (their captions count as well).
    QList<QPair<QString, QAction *>> allItems() const
    {
        QList<QPair<QString, QAction *>> out;
        for (QMenu *m : menusNow())
            if (!m->title().isEmpty())
                out << qMakePair(m->objectName(), m->menuAction());
        return out << itemsOf(menusNow());
    }

private slots:
    void initTestCase()
    {
        // With a mail account the mail window opens without asking for one.
        platform::MailAccount account;
        account.name = QStringLiteral("crawl");
        account.sender = QStringLiteral("crawl@example.invalid");
        account.server.host = QStringLiteral("127.0.0.1");
        QVERIFY(platform::SaveMailAccount(account));
        platform::SetDefaultMailAccount(account.name);
        platform::SetOpenHook([this](const QString &what) {
            opened << what;
            return true;
        });
        frame = new TFrameForm;
        new app::TSettings(frame); // as at start-up: the Settings item has its window
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
    }
    void cleanupTestCase()
    {
        apptest::CloseAll(*frame);
        delete frame;
        platform::SetOpenHook(nullptr);
    }

    void laterItemsAreThereAndDisabled()
    {
        QVERIFY(frame->CloseProject1->isVisible() && !frame->CloseProject1->isEnabled());
        // The project manager, the file list, and the shared border and theme windows are built.
        QVERIFY(frame->ProjectManager1->isEnabled() && frame->EditFilelist1->isEnabled());
        QVERIFY(frame->StartProject1->isEnabled() && frame->StartTheme1->isEnabled());
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        QVERIFY(frame->CloseProject1->isEnabled() && doc->CloseProject2->isEnabled());
        // Without those windows there would be nothing to close.
        const auto project = frame->OnStartProject, theme = frame->OnStartTheme;
        frame->OnStartProject = nullptr;
        frame->OnStartTheme = nullptr;
        frame->UpdateDocumentCommands();
        QVERIFY(!frame->StartProject1->isEnabled() && !frame->StartTheme1->isEnabled());
        QVERIFY(!frame->CloseProject1->isEnabled() && doc->CloseProject2->isVisible() && !doc->CloseProject2->isEnabled());
        frame->OnStartProject = project;
        frame->OnStartTheme = theme;
        frame->UpdateDocumentCommands();
        QVERIFY(doc->CloseProject2->isEnabled());
        apptest::CloseAll(*frame);
    }

    void everyItemIsWhatItsRowSaysAndRuns()
    {
        QStringList problems, proposed;
        QSet<QString> met;
        for (const bool withDocument : {false, true}) {
            const QString context = withDocument ? QStringLiteral("with a document") : QStringLiteral("with none");
            if (withDocument)
                twoDocuments();
            else
                apptest::CloseAll(*frame);
            QStringList names;
            int enabled = 0, skipped = 0;
            const QList<QPair<QString, QAction *>> all = allItems();
            QVERIFY(all.size() > 10);
            for (const auto &[key, a] : all) {
                const Item *row = rowOf(key);
                if (!row) {
                    if (a->isEnabled() && !a->menu())
                        names << key; // run, to propose its row
                    else
                        proposed << QStringLiteral("    {%1, %2, On::%3, Does::%4},")
                                        .arg(quoted(key.mid(key.indexOf(QLatin1Char('/')) + 1)), quoted(a->text()),
                                             QLatin1String(a->isEnabled() ? "Always" : "Never"),
                                             QLatin1String(a->menu() ? "Submenu" : "Nothing"));
                    continue;
                }
                met << QLatin1String(row->name);
                if (a->text() != QString::fromUtf8(row->caption))
                    problems << QStringLiteral("%1: caption \"%2\", not \"%3\"").arg(a->objectName(), a->text(), QString::fromUtf8(row->caption));
                const bool shouldBe = row->enabled == On::Always || (row->enabled == On::WithDocument && withDocument);
                if (a->isEnabled() != shouldBe)
                    problems << QStringLiteral("%1 %2: %3").arg(a->objectName(), context, a->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
                if ((a->menu() != nullptr) != (row->does == Does::Submenu))
                    problems << QStringLiteral("%1: %2").arg(a->objectName(), a->menu() ? QStringLiteral("a submenu") : QStringLiteral("not a submenu"));
                if (!a->isEnabled() || a->menu())
                    continue;
                ++enabled;
                if (row->does == Does::EndsProgram)
                    ++skipped;
                else
                    names << key;
            }

            int ran = 0;
            for (const QString &name : names) {
                QPointer<TEditForm> other, active;
                if (withDocument)
                    std::tie(other, active) = twoDocuments();
                else
                    apptest::CloseAll(*frame);
                QGuiApplication::clipboard()->setText(clip);
                opened.clear();
                QAction *a = nullptr;
                for (const auto &[key, x] : itemsOf(menusNow()))
                    if (key == name)
                        a = x;
                QVERIFY2(a && a->isEnabled(), qPrintable(name));
                const Item *row = rowOf(name);
                const QString itemName = a->objectName(), caption = a->text(); // the item may go with its document
                const int before = frame->MDIChildCount();
                {
                    Canceller cancel;
                    a->trigger();
                    apptest::Settle();
                    problems << closeStrayWindows();
                    problems << cancel.FocusProblems;
                    if (!cancel.Boxes.isEmpty())
                        problems << name + QStringLiteral(" showed: ") + cancel.Boxes.join(QLatin1Char('\n'));
                }
                if (row)
                    ++ran;
                const QString what = name + QLatin1Char(' ') + context + QStringLiteral(": ");

                // What it did.
                const int after = frame->MDIChildCount();
                const QString board = QGuiApplication::clipboard()->text();
                const QString selected = page.mid(selStart, selLength);
                const QString without = QString(page).remove(selStart, selLength);
                Does did = Does::Other;
                QString text;
                if (after == before + 1) {
                    did = Does::NewDocument;
                } else if (withDocument && after == 0) {
                    did = Does::ClosesAll;
                } else if (withDocument && !active && other && after == before - 1) {
                    did = Does::ClosesDocument;
                } else if (after != before || (withDocument && (!active || !other))) {
                    did = Does::Other;
                } else if (!opened.isEmpty()) {
                    did = Does::Opens;
                } else if (!withDocument) {
                    did = Does::Nothing;
                } else {
                    text = active->Text();
                    if (text == page && board == clip)
                        did = std::abs(active->RiloMemo1->SelLength()) == active->RiloMemo1->CharCount() ? Does::SelectAll : Does::Nothing;
                    else if (text == page && board == selected)
                        did = Does::Copy;
                    else if (text == without && board == selected)
                        did = Does::Cut;
                    else if (text == without && board == clip)
                        did = Does::Delete;
                    else if (text == QString(page).replace(selStart, selLength, clip) && board == clip)
                        did = Does::Paste;
                    else if (board == clip && text.size() > without.size() && text.startsWith(page.left(selStart)) &&
                             text.endsWith(page.mid(selStart + selLength)))
                        did = Does::Inserts;
                }
                if (withDocument && other && other->Text() != otherPage)
                    did = Does::Other;
                if (did == Does::Inserts) {
                    // An insertion is one step, which Undo takes back.
                    active->RiloMemo1->Undo();
                    if (active->Text() != page)
                        problems << what + QStringLiteral("Undo does not take the insertion back");
                }
                if (!row) {
                    proposed << QStringLiteral("    {%1, %2, On::Always, Does::%3},").arg(quoted(itemName), quoted(caption), QLatin1String(doesNames[int(did)]));
                    continue;
                }
                if (did != row->does)
                    problems << what + QStringLiteral("did %1, its row says %2%3")
                                           .arg(QLatin1String(doesNames[int(did)]), QLatin1String(doesNames[int(row->does)]),
                                                text.isEmpty() ? QString() : QStringLiteral(" (the text is now ") + quoted(text) + QLatin1Char(')'));
            }
            // Every enabled item ran, but those that end the program.
            if (ran != enabled - skipped)
                problems << QStringLiteral("%1: %2 of %3 enabled items ran").arg(context).arg(ran).arg(enabled - skipped);
        }
        for (const Item &i : items)
            if (!met.contains(QLatin1String(i.name)))
                problems << QStringLiteral("%1: in no menu").arg(QLatin1String(i.name));
        if (!proposed.isEmpty()) {
            // Line by line: a test message of this length would be cut.
            proposed.removeDuplicates();
            problems << QStringLiteral("%1 items without a row; what they did now is below, to check before adding").arg(proposed.size());
            for (const QString &row : proposed)
                qInfo("%s", qPrintable(row));
        }
        apptest::CloseAll(*frame);
        // The whole list, which a failure message would cut short.
        for (const QString &p : problems)
            qInfo("%s", qPrintable(p));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void everyToolBarItemRuns_data()
    {
        QTest::addColumn<bool>("withDocument");
        QTest::newRow("no document") << false;
        QTest::newRow("a document") << true;
    }
    // The Preview tab's buttons are crawled too; "Email" opens the same mail window as Quick Email.
    void previewEmailButtonOpensTheMailWindow()
    {
        TEditForm *doc = twoDocuments().second;
        QVERIFY(doc->OnQuickEmail);
        Canceller cancel;
        doc->SpeedButton11->click();
        apptest::Settle();
        closeStrayWindows();
        QVERIFY2(cancel.Boxes.isEmpty(), qPrintable(cancel.Boxes.join(QLatin1Char('\n'))));
        QCOMPARE(cancel.Dialogs, QStringList{QStringLiteral("publish::TfrmMail")});
        QCOMPARE(doc->Text(), page);
        apptest::CloseAll(*frame);
    }

    void everyToolBarItemRuns()
    {
        QFETCH(bool, withDocument);
        QGuiApplication::clipboard()->clear();
        QList<speedbar::TSpeedItem *> items;
        frame->SpeedBar1->ForEachItem([&items](speedbar::TSpeedItem *it) { items << it; });
        QCOMPARE(items.size(), 101);
        QStringList ran;
        for (speedbar::TSpeedItem *item : items) {
            TEditForm *doc = nullptr;
            if (withDocument) {
                doc = twoDocuments().second;
            } else {
                apptest::CloseAll(*frame); // an item run before may have made one
            }
            if (!item->Enabled())
                continue;
            QHash<TEditForm *, QString> before;
            for (TEditForm *other : frame->EditForms())
                before.insert(other, other->Text());
            Canceller cancel;
            item->ButtonClick();
            apptest::Settle();
            const QStringList stray = closeStrayWindows();
            const QString name = item->Caption();
            QVERIFY2(stray.isEmpty(), qPrintable(name + QStringLiteral(": ") + stray.join(QLatin1Char('\n'))));
            QVERIFY2(cancel.Boxes.isEmpty(), qPrintable(name + QStringLiteral(": ") + cancel.Boxes.join(QLatin1Char('\n'))));
            for (auto it = before.begin(); it != before.end(); ++it)
                if (it.key() != doc && frame->EditForms().contains(it.key()))
                    QVERIFY2(it.key()->Text() == it.value(), qPrintable(name + QStringLiteral(" changed another document")));
            if (doc && frame->EditForms().contains(doc) && doc->Text() != page) {
                QVERIFY2(cancel.Dialogs.isEmpty(), qPrintable(name + QStringLiteral(" changed the text")));
                doc->RiloMemo1->Undo();
                QVERIFY2(doc->Text() == page, qPrintable(name + QStringLiteral(" changed the text beyond one undo")));
            }
            ran << name;
        }
        if (withDocument) {
            QVERIFY(ran.size() > 60);
            for (const char *n : {"Save", "Print", "Bold", "Link", "Find", "Help", "Bake Cookie", "IE Filter"})
                QVERIFY2(ran.contains(QString::fromLatin1(n)), n);
        } else {
            QCOMPARE(ran, (QStringList{QStringLiteral("New"), QStringLiteral("Open")}));
        }
        apptest::CloseAll(*frame);
    }
};

K5_TEST_MAIN(TestCrawl)
#include "test_crawl.moc"
