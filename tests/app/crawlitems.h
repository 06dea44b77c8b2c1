#pragma once
// The application crawl's list: one row per menu item of the main window and of a document window, with
// its caption, when it is enabled and what it does. The crawl checks every item against its row; the
// closing tests open each item's window before the program is ended.
#include <QAction>
#include <QList>
#include <QMenu>
#include <QPair>
#include <QString>
#include <QtGlobal>

namespace crawl {

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
    {"HomepageIndex1", "Homepage Index...", On::Always, Does::Nothing},
    {"PersonalHomepage1", "Personal Homepage...", On::Always, Does::Nothing},
    {"CompanyHomepage1", "Company Homepage...", On::Always, Does::Nothing},
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

inline const Item *rowOf(const char *name)
{
    for (const Item &i : items)
        if (qstrcmp(name, i.name) == 0)
            return &i;
    return nullptr;
}

// The items of menus, submenus included (their holders too when named), in menu order; each as the
// objectName of its menu in the bar, "/", its own objectName.
inline QList<QPair<QString, QAction *>> itemsOf(const QList<QMenu *> &menus, const QString &root = QString())
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
inline const Item *rowOf(const QString &key)
{
    if (const Item *qualified = rowOf(key.toLatin1().constData()))
        return qualified;
    return rowOf(key.mid(key.indexOf(QLatin1Char('/')) + 1).toLatin1().constData());
}

} // namespace crawl
