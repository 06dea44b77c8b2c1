// The document window's command menus: tag pairs around the selection, fixed texts, script templates,
// snippets, date stamps, web links, and the items that open dialogs and tool windows. Each family is a table;
// every item puts its text through the same insertion (the selection replaced, one undo step).
#include "app/editform.h"
#include "app/frameform.h"
#include "app/launchers.h"
#include "app/productlinks.h"
#include "app/settingsform.h"
#include "app/snippets.h"
#include "controls/misc/datetimeformat.h"
#include "controls/misc/prolabel.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/shell/shell.h"
#include "textcontrol/rilomemo.h"

#include <QDate>
#include <QDir>
#include <QLocale>
#include <QMenu>

namespace app {
namespace {

struct Wrap {
    const char *name, *caption, *open, *close;
};
struct Fixed {
    const char *name, *caption, *text;
};
struct Lines {
    const char *name, *caption;
    std::initializer_list<const char *> lines;
};
struct Snip {
    const char *name, *caption, *memo;
};
struct Item {
    const char *name, *caption;
};
struct Link {
    const char *name, *caption, *url;
};

QString lat(const char *s) { return QString::fromUtf8(s); }

} // namespace

void TEditForm::buildCommandMenus(QMenu *file)
{
    auto menu = [this](const char *name, const QString &caption) {
        auto *m = new QMenu(caption, this);
        m->setObjectName(lat(name));
        menus_ << m;
        return m;
    };
    auto sub = [](QMenu *parent, const char *name, const QString &caption) {
        QMenu *m = parent->addMenu(caption);
        m->setObjectName(lat(name));
        m->menuAction()->setObjectName(lat(name));
        return m;
    };
    auto wraps = [this](QMenu *m, std::initializer_list<Wrap> items) {
        for (const Wrap &w : items) {
            const QString open = lat(w.open), close = lat(w.close);
            addItem(m, w.name, lat(w.caption), [this, open, close] { InsertText(open + RiloMemo1->SelText() + close); });
        }
    };
    auto fixed = [this](QMenu *m, std::initializer_list<Fixed> items) {
        for (const Fixed &f : items) {
            const QString text = lat(f.text);
            addItem(m, f.name, lat(f.caption), [this, text] { InsertText(text); });
        }
    };
    auto append = [this](QMenu *m, const char *name, const char *caption, const char *text) {
        const QString t = lat(text);
        // The selection stays; the text follows it.
        addItem(m, name, lat(caption), [this, t] { InsertText(RiloMemo1->SelText() + t); });
    };
    auto lines = [this](QMenu *m, std::initializer_list<Lines> items) {
        for (const Lines &l : items) {
            QString text;
            for (const char *line : l.lines)
                text += lat(line) + QStringLiteral("\r\n");
            addItem(m, l.name, lat(l.caption), [this, text] { InsertText(text); });
        }
    };
    // Snippets go through the main window's text relay, as every finished text does.
    auto snippets = [this](QMenu *m, std::initializer_list<Snip> items) {
        for (const Snip &s : items) {
            const QString memo = lat(s.memo);
            QAction *a = addItem(m, s.name, lat(s.caption), [this, memo] { frame_->Memo1->SetText(Snippet(memo)); });
            a->setEnabled(!Snippet(memo).isEmpty());
        }
    };
    auto launches = [this](QMenu *m, std::initializer_list<Item> items) {
        for (const Item &l : items) {
            const QString name = lat(l.name);
            QAction *a = addItem(m, l.name, lat(l.caption), [name] { app::Launch(name); });
            // A window that is not built yet is shown, and grey.
            a->setEnabled(CanLaunch(name));
        }
    };
    auto links = [this](QMenu *m, std::initializer_list<Link> items) {
        for (const Link &l : items) {
            const QString url = lat(l.url);
            addItem(m, l.name, lat(l.caption), [url] { platform::OpenWithShellOrSay(FrameForm, url); });
        }
    };

    // File: the windows that start pages from layouts, themes, wizards and projects.
    for (const Item &l : {Item{"ProjectManager1", "Project Manager..."}, Item{"Project1", "Shared Border..."},
                            Item{"Themes1", "Themes..."}}) {
        auto *a = new QAction(lat(l.caption), file);
        const QString name = lat(l.name);
        a->setObjectName(name);
        // A window that is not built yet is shown, and grey.
        a->setEnabled(CanLaunch(name));
        connect(a, &QAction::triggered, this, [name] { app::Launch(name); });
        file->insertAction(CloseProject2, a);
    }
    {
        auto *wizards = new QMenu(QStringLiteral("Wizards"), file);
        wizards->setObjectName(QStringLiteral("Wizards1"));
        wizards->menuAction()->setObjectName(QStringLiteral("Wizards1"));
        file->insertMenu(CloseProject2, wizards);
        // A wizard writes a whole page into the document it was chosen in (one undo step), so that the
        // pictures it links to are linked from that page's folder.
        for (const Item &w : {Item{"HomepageIndex1", "Homepage Index..."}, Item{"PersonalHomepage1", "Personal Homepage..."},
                              Item{"CompanyHomepage1", "Company Homepage..."}}) {
            const QString name = lat(w.name);
            addItem(wizards, w.name, lat(w.caption), [name] { app::Launch(name); })->setEnabled(CanLaunch(name));
        }
    }

    QMenu *formatting = menu("Formatting1", QStringLiteral("Formatting"));
    QMenu *headings = sub(formatting, "Headings1", QStringLiteral("Headings"));
    wraps(headings, {{"H12", "H1", "<H1>", "</H1>"},
                     {"H22", "H2", "<H2>", "</H2>"},
                     {"H32", "H3", "<H3>", "</H3>"},
                     {"H42", "H4", "<H4>", "</H4>"},
                     {"H52", "H5", "<H5>", "</H5>"},
                     {"H62", "H6", "<H6>", "</H6>"}});
    wraps(formatting, {{"Bold2", "Bold", "<B>", "</B>"},
                       {"Italic2", "Italic", "<I>", "</I>"},
                       {"Underline2", "Underline", "<U>", "</U>"}});
    fixed(formatting, {{"Strike1", "Strike", "<STRIKE></STRIKE>"}});
    formatting->addSeparator();
    QMenu *align = sub(formatting, "Alignment1", QStringLiteral("Alignment"));
    wraps(align, {{"Left2", "Left", "<P ALIGN=\"LEFT\">", "</P>"},
                  {"Center2", "Center", "<P ALIGN=\"CENTER\">", "</P>"},
                  {"Right2", "Right", "<P ALIGN=\"RIGHT\">", "</P>"},
                  {"Justify2", "Justify", "<P ALIGN=\"JUSTIFY\">", "</P>"}});
    wraps(formatting, {{"Fontsize14", "Font size +1", "<FONT SIZE=\"+1\">", "</FONT>"},
                       {"Fontsize13", "Font size -1", "<FONT SIZE=\"-1\">", "</FONT>"}});
    launches(formatting, {{"Font2", "Font..."}, {"BaseFont2", "Base Font..."}, {"Color2", "Color..."}});
    formatting->addSeparator();
    QMenu *text = sub(formatting, "TextStyles1", QStringLiteral("Text Styles"));
    wraps(text, {{"Preformatted2", "Preformatted", "<PRE>", "</PRE>"},
                 {"Teletype2", "Teletype", "<TT>", "</TT>"},
                 {"Address2", "Address", "<ADDRESS>", "</ADDRESS>"},
                 {"Insertion2", "Insertion", "<INS>", "</INS>"},
                 {"Emphasis2", "Emphasis", "<EM>", "</EM>"},
                 {"Samp1", "Samp", "<SAMP>", "</SAMP>"},
                 {"Code2", "Code", "<CODE>", "</CODE>"},
                 {"Strong2", "Strong", "<STRONG>", "</STRONG>"},
                 {"Var2", "Var", "<VAR>", "</VAR>"},
                 {"BlockQoute2", "BlockQoute", "<BLOCKQUOTE>", "</BLOCKQUOTE>"},
                 {"SubScript2", "SubScript", "<SUB>", "</SUB>"},
                 {"SuperScript2", "SuperScript", "<SUP>", "</SUP>"}});
    formatting->addSeparator();
    append(formatting, "LineBreak2", "Line Break", "<BR>");
    append(formatting, "HorizontalLine2", "Horizontal Line", "<HR>");
    // A no-break space is an entity of its own, not a tag.
    append(formatting, "NoBreak2", "No Break", "&nbsp;");

    QMenu *insert = menu("Insert1", QStringLiteral("Insert"));
    launches(insert, {{"HTMLStart2", "HTML Start..."}, {"HyperLink1", "HyperLink..."}});
    HyperLink1 = insert->actions().constLast();
    launches(insert, {{"Picture2", "Picture..."},       {"Sound4", "Sound..."},         {"BGSound2", "BG Sound..."},
                      {"Email2", "Email..."},           {"Embed2", "Embed..."},         {"Bookmark2", "Bookmark..."},
                      {"Comment2", "Comment..."},       {"File4", "File..."},           {"Marquee2", "Marquee..."},
                      {"Movie2", "Movie..."},           {"ImageMap2", "Image Map..."},  {"Meta2", "Meta..."},
                      {"AdvancedAttributes2", "Advanced Attributes..."},
                      {"IE45VisualFilters2", "IE 4/5 Visual Filters..."},
                      {"ExtendedCharacters1", "Extended Characters..."}});
    launches(insert, {{"Channel1", "Channel..."}});
    launches(insert, {{"Clipart1", "Clipart..."}});
    launches(insert, {{"StyleSheet2", "Style Sheet..."}});
    fixed(insert, {{"Object2", "Object", "<OBJECT></OBJECT>"}});
    insert->addSeparator();
    QMenu *forms = sub(insert, "Forms1", QStringLiteral("Forms"));
    launches(forms, {{"Form2", "Form..."},
                     {"Text2", "Text..."},
                     {"Textarea2", "Textarea..."},
                     {"Radio2", "Radio..."},
                     {"Checkbox2", "Checkbox..."},
                     {"Password3", "Password..."},
                     {"Image2", "Image..."},
                     {"Submit2", "Submit..."},
                     {"Reset2", "Reset..."},
                     {"Button7", "Button..."},
                     {"File5", "File..."},
                     {"Hidden2", "Hidden..."},
                     {"Combobox2", "Combobox..."}});
    QMenu *tables = sub(insert, "TableandList1", QStringLiteral("Table and List"));
    launches(tables, {{"Tabeleditor2", "Table Editor..."}, {"Listeditor2", "List Editor..."}});
    tables->addSeparator();
    fixed(tables, {{"Table3", "Table", "<TABLE></TABLE>"},
                   {"TableRow2", "Table Row", "<TR></TR>"},
                   {"TableData2", "Table Data", "<TD></TD>"},
                   {"TableCaption2", "Table Caption", "<CAPTION></CAPTION>"},
                   {"UnorderedList2", "Unordered List", "<UL></UL>"},
                   {"OrderedList1", "Ordered List", "<OL></OL>"},
                   {"ListItem2", "List Item", "<LI></LI>"},
                   {"DefinitionList2", "Definition List", "<DL><DT><DD></DL>"},
                   {"DefinitionTerm2", "Definition Term", "<DT></DT>"},
                   {"Definition2", "Definition", "<DD></DD>"},
                   {"Menu2", "Menu", "<MENU></MENU>"}});
    QMenu *frames = sub(insert, "Frame1", QStringLiteral("Frame"));
    launches(frames, {{"IFrame1", "IFrame..."},
                   {"Frameset1", "Frameset..."},
                   {"Frame2", "Frame..."},
                   {"NOFrames1", "NOFrames..."},
                   {"BaseTarget1", "Base Target..."}});
    insert->addSeparator();
    addItem(insert, "TimeStamp2", QStringLiteral("Time Stamp"), [this] {
        InsertText(QStringLiteral("Last updated ") + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    });
    addItem(insert, "LinktoKestrova1", QStringLiteral("Link to Kestrova"), [this] { InsertText(LinkToKestrova->Text()); });

    QMenu *script = menu("Script1", QStringLiteral("Script"));
    launches(script, {{"Applet2", "Applet..."}});
    launches(script, {{"JavaScriptEditor2", "JavaScript Editor..."}, {"JavaScriptSamplesMenu", "JavaScript Samples..."}});
    launches(script, {{"VBScriptEditor1", "VBScript Editor..."}, {"VBScript1", "VBScript..."}});
    script->addSeparator();
    addItem(script, "ScriptHeader2", QStringLiteral("Script Header"), [this] { InsertText(frame_->Memo2->Text()); });
    lines(script, {{"FunctionTemplate2", "Function Template", {"function name(){", "}"}},
                   {"forloop2", "for loop", {"for ( ; ; ) {", "}"}},
                   {"whileloop2", "while loop", {"while ( condition ) {", "}"}},
                   {"withloop2", "with loop", {"with ( Object ) {", "}"}},
                   {"ifcondition2", "if condition", {"if ( ) {", "}"}},
                   {"ifelsecondition2", "if else condition", {"if ( ) {", "}", "else {", "}"}},
                   {"switchcondition2",
                    "switch condition",
                    {"switch ( expression ) {", "case label :", "statement;", "break;", "case label :", "statement;",
                     "break;", "default :", "statement;", "}"}}});
    fixed(script, {{"Documentwrite2", "Document.write()", "document.write(\"\")"},
                   {"Noscript2", "Noscript", "<NOSCRIPT></NOSCRIPT>"}});
    script->addSeparator();
    QMenu *search = sub(script, "SearchBoxes1", QStringLiteral("Search Boxes"));
    snippets(search, {{"Altavista2", "Altavista", "Altavista"},
                      {"Excite2", "Excite", "Memo5"},
                      {"Infoseek2", "Infoseek", "Memo6"},
                      {"Lycos2", "Lycos", "Memo7"},
                      {"WebCrawler2", "WebCrawler", "Memo8"},
                      {"Yahoo2", "Yahoo", "Memo9"}});

    QMenu *dhtml = menu("DHTML1", QStringLiteral("DHTML"));
    launches(dhtml, {{"DHTMLAnimation1", "DHTML Animation..."}, {"DHTMLSamples11", "DHTML Samples..."}});
    QMenu *assistants = sub(dhtml, "Assistants1", QStringLiteral("Assistants"));
    launches(assistants, {{"Bookmark1", "Bookmark..."},
                       {"ColorButton1", "Color Button..."},
                       {"Marquee1", "Marquee..."},
                       {"MenuBuilder1", "Menu Builder..."},
                       {"FadedDropDownMenu1", "Faded Drop Down Menu..."},
                       {"ToolTip1", "Tool Tip..."},
                       {"SlideInMenu1", "Slide In Menu..."},
                       {"DragInMenuBar1", "Drag In Menu Bar..."},
                       {"KeybordInMenuBar1", "Keybord In Menu Bar..."},
                       {"NoRightClick1", "No Right Click..."},
                       {"PrintButton1", "Print Button..."},
                       {"PopupImage1", "Popup Image..."},
                       {"TextType1", "Text Type..."},
                       {"FadingTickerTape1", "Fading Ticker Tape..."},
                       {"FullScreenWindowOpener1", "Full Screen Window Opener..."},
                       {"FullChannelOpener1", "Full Channel Opener..."},
                       {"BlinkingTable1", "Blinking Table..."},
                       {"Calculator1", "Calculator..."},
                       {"Clock1", "Clock..."},
                       {"Clock21", "Clock 2..."},
                       {"Credit1", "Credit..."},
                       {"PopupMenuCreator1", "Popup Menu Creator..."}});

    QMenu *cookies = menu("Cookies1", QStringLiteral("Cookies"));
    addItem(cookies, "BakeCookie1", QStringLiteral("Bake Cookie"), [this] { InsertText(Cookie1->Text()); });
    addItem(cookies, "TryCookie1", QStringLiteral("Try Cookie"), [this] { InsertText(Cookie2->Text()); });
    addItem(cookies, "TasteCookie1", QStringLiteral("Taste Cookie"), [this] { InsertText(Cookie3->Text()); });
    cookies->addSeparator();
    snippets(cookies, {{"Visitor1", "Remember the time and date of the last visit", "Cookie4"},
                       {"Rememberyournameandcountthenumberoftimesyouvisit1",
                        "Remember your name and count the number of times you visit", "Cookie5"},
                       {"Messageoralertboxonthefirstvisittoapage1",
                        "Message or alert box on the first visit to a page", "Cookie6"},
                       {"PersonalGreeting1", "Personal Greeting", "Cookie7"},
                       {"HitCounter1", "Hit Counter", "Cookie8"},
                       {"ViewingaCookie1", "View Cookie", "Cookie11"},
                       {"deleteCookie1", "Delete Cookie", "Cookie12"},
                       {"ColorCookie1", "Color Cookie", "Cookie14"}});

    QMenu *advanced = menu("Advanced1", QStringLiteral("Advanced"));
    QMenu *asp = sub(advanced, "ASP1", QStringLiteral("ASP"));
    wraps(asp, {{"ASPTag2", "Tag", "<%", "%>"},
                {"ASPOutput2", "Output", "<%=", "%>"},
                {"ASPIf2", "If", "<% IF ", "%>"},
                {"ASPElse2", "Else", "<% ELSE ", "%>"},
                {"ASPEnd2", "End", "<% END ", "%>"}});
    fixed(asp, {{"ASPIncludes2", "Includes", "<!--#INCLUDE FILE=\"\"-->"}});
    launches(asp, {{"ASPServerVariables2", "Server Variables..."}, {"ASPCustomTags1", "ASP Custom Tags..."}});
    QMenu *xml = sub(advanced, "XML1", QStringLiteral("XML"));
    fixed(xml, {{"RootElement1", "Root Element", "<Root_Element=\"\">      </Root_Element>"},
                {"ChildElement1", "Child Element", "<Child_Element>      </Child_Element>"},
                {"Comment1", "Comment", "<!--  -->"}});
    launches(xml, {{"Text1", "Text..."}, {"XMLCustomTags1", "XML Custom Tags..."}});
    QMenu *hdml = sub(advanced, "HDML1", QStringLiteral("HDML"));
    fixed(hdml,
          {{"HDML2", "HDML",
            "<HDML VERSION=\"version\" TTL=\"seconds_cache\" DECKID=\"value\" DECKNAV=\"Autoload|Noautoload\" "
            "DECKTYPE=\"message|default\" DECKSEQ=\"sequence_number\"></HDML>"},
           {"Action1", "Action",
            "<ACTION TYPE=\"ACCEPT|CANCEL|SOFT1\" LABEL=\"label\" GO=\"destination\"|GOARGS=\"destination\"|CALL=\"number\">"},
           {"Ce1", "Ce", "<CE VALUE=\"value\" GO|GOARGS|CALL>choice caption"},
           {"Choice1", "Choice", "<CHOICE NAME=\"name\" KEY=\"argument\" METHOD=\"LIST|ALPHA\" DEFAULT=default></CHOICE>"},
           {"Display1", "Display", "<DISPLAY NAME=\"name\"></DISPLAY>"},
           {"Entry1", "Entry",
            "<ENTRY NAME=\"name\" FORMAT=\"A|N|X|*A|*N|*X\" DEFAULT=default KEY=key ENTRYTYPE=\"TEXT|DEFAULT\"></ENTRY>"}});
    QMenu *vthml = sub(advanced, "VTHML1", QStringLiteral("VTHML"));
    fixed(vthml, {{"Attrib1", "Attrib", "<attrib name=\"\" control=\"\">"},
                  {"Attributes1", "Attributes", "<ATTRIBUTES></ATTRIBUTES>"},
                  {"EditorLayout1", "Editor Layout", "<editorlayout height=\"\" width=\"\" lfheight=\"\" lfwidth=\"\">"},
                  {"Item1", "Item", "<item value=\"\" caption=\"\">"},
                  {"Tag2", "Tag", "<TAG NAME=\"TagName\" BODYEDITING=\"Yes|No\"></TAG>"},
                  {"TagLayout1", "Tag Layout", "<TAGLAYOUT SECTION=\"StartTag|TagBody|EndTag\"></TAGLAYOUT>"},
                  {"Container1", "Container", "<container type=\"Panel|TabPage\" name=\"\">"},
                  {"CatagoryTag1", "Catagory Tag", "<CAT CAPTION=\"caption\" ICON=\"Elements|Folder|RelativePath\">"},
                  {"ElementTag1", "Element Tag",
                   "<E CAPTION=\"caption\" VALUE=\"syntax\" DESC=\"HTMLdescription\" HELPFILE=\"relativepath\">"}});

    QMenu *tools = menu("Tools1", QStringLiteral("Tools"));
    launches(tools, {{"SearchEngine3", "Search Engine..."}, {"LinkCombobox1", "Link Combobox..."}});
    tools->addSeparator();
    launches(tools, {{"BMPToGIF1", "BMP To GIF..."},
                     {"GIFToBMP1", "GIF To BMP..."},
                     {"GIFDeanimation1", "GIF Deanimation..."},
                     {"GifAnimator1", "Gif Animator..."}});
    launches(tools, {{"HDSoundRecorder1", "HD Sound Recorder..."}, {"HTMLCompressor1", "HTML Compressor..."}});
    launches(tools, {{"ClipBook1", "ClipBook..."}, {"SearchFiles1", "File Search..."}, {"CustomTags1", "Custom Tags..."}});
    launches(tools, {{"FileOperator1", "File Operator..."},
                     {"QuickEmail1", "Quick Email..."},
                     {"FavoriteURLsToHTML1", "Favorite URLs To HTML..."},
                     {"IEHistoryURL1", "IE History URL..."},
                     {"VCard1", "VCard..."},
                     {"FTP1", "FTP..."}});
    tools->addSeparator();
    QMenu *games = sub(tools, "OnlineGames1", QStringLiteral("Online Games"));
    snippets(games, {{"Dots1", "Dots", "Dots"}, {"Maze1", "Maze", "Maze"}, {"LightsOut1", "Lights Out", "Lightsout"}});
    QMenu *online = sub(tools, "OnlineTools1", QStringLiteral("Online Tools"));
    snippets(online, {{"WYSIWYGEditor1", "WYSIWYG Editor", "OnlineEditor"}, {"TableEditor1", "Table Editor", "OnlineTable"}});

    QMenu *settings = menu("Settings1", QStringLiteral("Settings"));
    addItem(settings, "Settings2", QStringLiteral("Settings..."), [] {
        if (Settings)
            platform::ShowModal(Settings);
    })->setEnabled(Settings != nullptr);
    launches(settings, {{"FTP2", "FTP Settings..."}});
    launches(settings, {{"TagChooser1", "Tag Chooser"},
                        {"Tag1", "Tag Creator..."},
                        {"EditFilelist1", "Edit Filelist..."},
                        {"Signature1", "Signature..."}});

    QMenu *help = menu("Help1", QStringLiteral("Help"));
    addItem(help, "Content1", QStringLiteral("Content"), [] {
        platform::OpenWithShellOrSay(FrameForm, platform::ProgramFile(QStringLiteral("Help/index.htm")));
    });
    launches(help, {{"Comments1", "Comments"}});
    links(help, {{"N51", "Kestrova Home Page", ProductHomePage}});
    QMenu *useful = sub(help, "UsefulLinks1", QStringLiteral("Useful Links"));
    links(useful, {{"HTMLSpecification1", "HTML Living Standard", "https://html.spec.whatwg.org/"},
                   {"CSSReference1", "CSS Reference", "https://www.w3.org/Style/CSS/"},
                   {"JavaScriptReference1", "JavaScript Reference", "https://tc39.es/ecma262/"},
                   {"MarkupValidator1", "Markup Validator", "https://validator.w3.org/"},
                   {"CSSValidator1", "CSS Validator", "https://jigsaw.w3.org/css-validator/"},
                   {"Accessibility1", "Accessibility Guidelines", "https://www.w3.org/WAI/standards-guidelines/wcag/"}});
    help->addSeparator();
    launches(help, {{"AboutKestrova1", "About..."}});

    // The editor's pop-up menu.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu *tags = sub(PopupMenu1, "Tags1", QStringLiteral("Tags"));
    launches(tags, {{"TagChooser2", "Tag Chooser"}, {"CustomTags2", "Custom Tags..."}, {"CustomTagsCreator1", "Custom Tags Creator..."}});
    addItem(PopupMenu1, "CloseDocument1", QStringLiteral("Close Document"), [this] {
        if (Frame())
            Frame()->close();
    });
    addItem(PopupMenu1, "TransfertoInternet1", QStringLiteral("Transfer to Internet"), [this] { UploadThissite1Click(); });
    PopupMenu1->addSeparator();
    addItem(PopupMenu1, "Undo2", QStringLiteral("Undo"), [this] { RiloMemo1->Undo(); });
    addItem(PopupMenu1, "Redo2", QStringLiteral("Redo"), [this] { RiloMemo1->Redo(); });
    PopupMenu1->addSeparator();
    addItem(PopupMenu1, "Cut2", QStringLiteral("Cu&t"), [this] { RiloMemo1->CutToClipboard(); });
    addItem(PopupMenu1, "Copy2", QStringLiteral("&Copy"), [this] { RiloMemo1->CopyToClipboard(); });
    addItem(PopupMenu1, "Paste2", QStringLiteral("&Paste"), [this] { RiloMemo1->PasteFromClipboard(); });
    PopupMenu1->addSeparator();
    launches(PopupMenu1, {{"EditFilelist2", "Edit Filelist..."}});
    QMenu *signature = sub(PopupMenu1, "Signature3", QStringLiteral("Signature"));
    launches(signature, {{"Signature2", "Add Signature..."}, {"EditSignature1", "Edit Signature..."}});
    QMenu *stamps = sub(PopupMenu1, "InsertDateTime1", QStringLiteral("Insert Date/Time"));
    for (int i = 1; i <= 11; ++i) {
        const QByteArray name = "Mydate" + QByteArray::number(i);
        addItem(stamps, name.constData(), QString(), [this, i] {
            // Through the hidden edit, which empties itself: the same stamp chosen twice goes in twice.
            Tag->SetText(DateStamp(i - 1));
        });
    }
    // The stamps show what they would insert now.
    connect(stamps, &QMenu::aboutToShow, this, [this, stamps] { RefreshDateStamps(stamps); });
    addItem(PopupMenu1, "LinkToKestrova2", QStringLiteral("Link To Kestrova"), [this] { InsertText(LinkToKestrova->Text()); });
}

QString TEditForm::DateStamp(int index) const
{
    if (index < 0 || index >= ProClockLabels.size())
        return QString();
    return misc::FormatDateTime(ProClockLabels.at(index)->Format(), QDateTime::currentDateTime());
}

void TEditForm::RefreshDateStamps(QMenu *stamps)
{
    const QList<QAction *> items = stamps->actions();
    for (int i = 0; i < items.size(); ++i)
        items.at(i)->setText(DateStamp(i));
}

} // namespace app
