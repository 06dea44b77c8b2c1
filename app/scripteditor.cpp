#include "scripteditor.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/finddialogs.h"
#include "app/editform.h"
#include "app/pagememo.h"
#include "app/replaceall.h"
#include "app/snippets.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/shell/filedialogs.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/rilogutter.h"
#include "textcontrol/rilomemo.h"
#include "textcontrol/textstorage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSplitter>
#include <QVBoxLayout>

namespace app {

TScriptEditor::TScriptEditor(const QString &className, const QString &caption, const QString &banner, QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags());
    setObjectName(className.mid(1));
    setWindowTitle(caption);
    resize(760, 520);
    auto *outer = new QVBoxLayout(this);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    outer->setMenuBar(MainMenu1);
    auto *title = new QLabel(banner, this);
    title->setObjectName(QStringLiteral("Banner"));
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    outer->addWidget(title);

    auto *split = new QSplitter(this);
    ZozeZO1 = new tree::TZozeZO(split);
    ZozeZO1->setObjectName(QStringLiteral("ZozeZO1"));
    auto *editor = new QWidget(split);
    auto *row = new QHBoxLayout(editor);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *page = new TPageMemo(editor);
    RiloMemo1 = page;
    RiloMemo1->setObjectName(QStringLiteral("RiloMemo1"));
    RiloGutter1 = new textcontrol::TRiloGutter(editor);
    RiloGutter1->setObjectName(QStringLiteral("RiloGutter1"));
    RiloGutter1->SetMemo(RiloMemo1);
    RiloMemo1->SetScrollBars(textcontrol::TScrollStyle::ssBoth);
    Replacer = new TReplaceAll(page, this);
    Replacer->OnNotFound = [this](const QString &find) { NotFound(find); };
    // A search under way ends with the window, the script untouched.
    connect(this, &QDialog::finished, Replacer, &TReplaceAll::Stop);
    // Strings, comments, blocks and the tags around a script stand out as in a document.
    textcontrol::FillHtmlRules(RiloMemo1->Keywords(), RiloMemo1->StartStopKeys());
    RiloMemo1->ReApplyKeys();
    row->addWidget(RiloGutter1);
    row->addWidget(RiloMemo1, 1);
    split->addWidget(ZozeZO1);
    split->addWidget(editor);
    split->setStretchFactor(1, 1);
    outer->addWidget(split, 1);
    ZozeZO1->OnDblClick = [this](QObject *) {
        if (tree::TZozeZONode *node = ZozeZO1->Selected())
            NodeChosen(node);
    };

    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    CloseandinsertScript1 = action(File1, "CloseandinsertScript1", QStringLiteral("Close and insert Script"),
                                   [this] { CloseAndInsert(); });
    SaveAs1 = action(File1, "SaveAs1", QStringLiteral("Save As..."), [this] { SaveAsClick(); });
    File1->addSeparator();
    Exit1 = action(File1, "Exit1", QStringLiteral("Exit"), [this] { close(); });

    Edit1 = MainMenu1->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Undo1 = action(Edit1, "Undo1", QStringLiteral("Undo"), [this] { RiloMemo1->Undo(); });
    Redo1 = action(Edit1, "Redo1", QStringLiteral("Redo"), [this] { RiloMemo1->Redo(); });
    Edit1->addSeparator();
    Cut1 = action(Edit1, "Cut1", QStringLiteral("Cut"), [this] { RiloMemo1->CutToClipboard(); });
    Copy1 = action(Edit1, "Copy1", QStringLiteral("Copy"), [this] { RiloMemo1->CopyToClipboard(); });
    Paste1 = action(Edit1, "Paste1", QStringLiteral("Paste"), [this] { RiloMemo1->PasteFromClipboard(); });
    Edit1->addSeparator();
    Find1 = action(Edit1, "Find1", QStringLiteral("Find..."), [this] { FindClick(); });
    FindNext1 = action(Edit1, "FindNext1", QStringLiteral("Find Next"), [this] { FindNextClick(); });
    Replace1 = action(Edit1, "Replace1", QStringLiteral("Replace"), [this] { ReplaceClick(); });
    Undo1->setShortcut(QKeySequence::Undo);
    Redo1->setShortcut(QKeySequence::Redo);
    Find1->setShortcut(QKeySequence::Find);
    FindNext1->setShortcut(QKeySequence::FindNext);
    for (QAction *a : Edit1->actions())
        PopupMenu1->addAction(a);
    RiloMemo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RiloMemo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(RiloMemo1->mapToGlobal(at)); });
}

QAction *TScriptEditor::action(QMenu *menu, const char *name, const QString &caption, std::function<void()> run)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (run)
        connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
    return a;
}

void TScriptEditor::InsertAtCaret(const QString &text)
{
    QString piece = text;
    if (PiecesOnOwnLines && !piece.isEmpty()) {
        // A piece is a statement or more: glued to the code before or after it, the script would not parse.
        const textcontrol::TextStorage &t = RiloMemo1->Storage();
        const int lower = RiloMemo1->SelLower(), upper = RiloMemo1->SelUpper();
        const int p = t.ParagraphAt(lower), q = t.ParagraphAt(upper);
        const QString before = t.Text(p).Mid(0, lower - t.Start(p));
        const QString after = t.Text(q).Mid(upper - t.Start(q), t.Length(q));
        const auto blank = [](const QString &s) { return s.trimmed().isEmpty(); };
        if (!blank(before))
            piece.prepend(QStringLiteral("\r\n"));
        if (!blank(after) && !piece.endsWith(QLatin1Char('\n')) && !piece.endsWith(QLatin1Char('\r')))
            piece += QStringLiteral("\r\n");
    }
    RiloMemo1->SetSelText(piece);
    RiloMemo1->ScrollInView();
    RiloMemo1->setFocus();
}

void TScriptEditor::CloseAndInsert()
{
    RiloMemo1->SelectAll();
    const QString script = RiloMemo1->SelText();
    if (OnInsertScript)
        OnInsertScript(script);
    close();
}

bool TScriptEditor::SaveAsClick()
{
    platform::FileDialogRequest request;
    request.save = true;
    request.defaultExt = QStringLiteral("js");
    request.filter = QStringLiteral("Script File|*.js|All Files|*.*");
    request.options = platform::ofOverwritePrompt;
    if (!platform::ExecuteFileDialog(this, request))
        return false;
    try {
        platform::WriteFileAtomic(request.fileName, RiloMemo1->Text().toUtf8());
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    return true;
}

void TScriptEditor::FindClick()
{
    if (!FindDialog1) {
        FindDialog1 = new dialogs::TFindDialog(this);
        FindDialog1->OnFind = [this] {
            FindText = FindDialog1->FindText();
            DoFind(FindText, FindDialog1->Down(), FindDialog1->WholeWord(), FindDialog1->MatchCase());
        };
    }
    const int len = std::abs(RiloMemo1->SelLength());
    if (len == 0)
        FindText = RiloMemo1->WordAtCaret();
    else if (len < 64)
        FindText = RiloMemo1->SelText();
    FindDialog1->SetFindText(FindText);
    FindDialog1->show();
    FindDialog1->raise();
}

bool TScriptEditor::DoFind(const QString &text, bool forward, bool wholeWord, bool matchCase)
{
    const bool found = !text.isEmpty() && RiloMemo1->FindText(text, forward, wholeWord, matchCase);
    if (found)
        RiloMemo1->ScrollInView();
    else
        platform::MessageBox(this, QStringLiteral("Search string not found!"), QStringLiteral("Kestrova"), platform::MB_OK);
    return found;
}

void TScriptEditor::FindNextClick()
{
    if (FindDialog1)
        DoFind(FindText, FindDialog1->Down(), FindDialog1->WholeWord(), FindDialog1->MatchCase());
    else
        FindClick();
}

void TScriptEditor::ReplaceClick()
{
    if (!ReplaceDialog1) {
        ReplaceDialog1 = new dialogs::TReplaceDialog(this);
        ReplaceDialog1->OnFind = [this] {
            FindText = ReplaceDialog1->FindText();
            DoFind(FindText, ReplaceDialog1->Down(), ReplaceDialog1->WholeWord(), ReplaceDialog1->MatchCase());
        };
        ReplaceDialog1->OnReplace = [this](bool all) {
            const bool whole = ReplaceDialog1->WholeWord(), matchCase = ReplaceDialog1->MatchCase();
            if (all)
                Replacer->Start(ReplaceDialog1->FindText(), ReplaceDialog1->ReplaceText(), whole, matchCase);
            else
                ReplaceOnce(ReplaceDialog1->FindText(), ReplaceDialog1->ReplaceText(), whole, matchCase);
        };
    }
    ReplaceDialog1->show();
    ReplaceDialog1->raise();
}

bool TScriptEditor::ReplaceOnce(const QString &find, const QString &replacement, bool wholeWord, bool matchCase)
{
    if (find.isEmpty() || !RiloMemo1->ReplaceFirst(find, replacement, wholeWord, matchCase)) {
        NotFound(find);
        return false;
    }
    return true;
}

bool TScriptEditor::Replacing() const
{
    return Replacer->Running();
}

void TScriptEditor::NotFound(const QString &find)
{
    platform::MessageBox(this, QStringLiteral("Could not find \"%1\"").arg(find), platform::ApplicationTitle(),
                         platform::MB_OK | platform::MB_ICONERROR);
}

namespace {

struct Leaf {
    const char *name;
    const char *text; // the text itself, or "@File" for a shipped data file, or "#Name" for a document snippet
};

// In tree order; the number of a snippet is its place here, from 1.
const Leaf leaves[] = {
    {"Arrays", "@JSArrays"},
    {"Browser Flags", "@JSBrowserFlags"},
    {"Get Cookie Function", "@JSGetCookie"},
    {"Set Cookie Function", "@JSSetCookie"},
    {"Delete Cookie Function", "@JSDeleteCookie"},
    {"Check for Netscape", "if (Browser.netscape) { \r\n}"},
    {"Check for IE", "if (Browser.ie) { \r\n}"},
    {"Full browser check", "@JSFullBrowserCheck"},
    {"Delete Cookie", "DeleteCookie(\"\");"},
    {"Get Cookie Value", "var newCookie = GetCookie(\"\");"},
    {"Set Cookie Value", "var expDate = new Date()\r\nexpDate.setTime(expDate.getTime() + (0*24*60*60*1000))\r\n"
                         "SetCookie (\"\",\"\",expDate)"},
    {"Window.Open()", "OpenNewWindow = window.open(\"\",\"\",\"toolbar,menubar,status,directories,scrollbars,"
                      "resizable,location,copyhistory,height=100,width=100\")"},
    {"Document.Write()", "document.write('Your text here')"},
    {"Alert", "alert(\"Message Text\")"},
    {"Confirm", "confirm(\"Message Text\")"},
    {"Prompt", "prompt(\"Message Text\",\"Default Entry\")"},
    {"Validate Email", "@JSValidateEmail"},
    {"Validate Form", "@JSValidateForm"},
    {"Get Optionbox", "@JSGetOptionbox"},
    {"Swap Images", "@JSSwapImages"},
    {"Preload Images", "@JSPreloadImages"},
    {"Statusbar Wiper", "@JSStatusbarWiper"},
    {"Time Today", "@JSTimeToday"},
    {"Altavista", "#Altavista"},
    {"Excite", "#Memo5"},
    {"Infoseek", "#Memo6"},
    {"Lycos", "#Memo7"},
    {"WebCrawler", "#Memo8"},
    {"Yahoo!", "#Memo9"},
    {"JavaScript Start", "<SCRIPT LANGUAGE=\"Javascript\">\r\n<!--\r\n"},
    {"JavaScript End", "-->\r\n</SCRIPT>\r\n"},
};

QString textOf(const char *spec)
{
    const QString s = QString::fromUtf8(spec);
    if (s.startsWith(QLatin1Char('@')))
        return dialogs::DataText(s.mid(1));
    if (s.startsWith(QLatin1Char('#')))
        return Snippet(s.mid(1));
    return s;
}

} // namespace

QStringList TJavaScript::Leaves()
{
    QStringList names;
    for (const Leaf &l : leaves)
        names << QString::fromUtf8(l.name);
    return names;
}

QString TJavaScript::SnippetOf(const QString &leaf)
{
    for (const Leaf &l : leaves)
        if (leaf == QString::fromUtf8(l.name))
            return textOf(l.text);
    return QString();
}

TJavaScript::TJavaScript(QWidget *parent)
    : TScriptEditor(QStringLiteral("TJavaScript"), QStringLiteral("JavaScript Editor"),
                    QStringLiteral("Creates a JavaScript..."), parent)
{
    PiecesOnOwnLines = true;
    tree::TZozeZONodes *items = ZozeZO1->Items();
    auto group = [items](const char *name, std::initializer_list<const char *> children) {
        tree::TZozeZONode *g = items->Add(nullptr, QString::fromUtf8(name));
        for (const char *c : children)
            items->AddChild(g, QString::fromUtf8(c));
        return g;
    };
    items->Add(nullptr, QStringLiteral("JavaScript Start"));
    group("Building Blocks", {"Arrays", "Browser Flags", "Get Cookie Function", "Set Cookie Function", "Delete Cookie Function"});
    group("Browser & Cookies", {"Check for Netscape", "Check for IE", "Full browser check", "Delete Cookie",
                                "Get Cookie Value", "Set Cookie Value"});
    tree::TZozeZONode *system = group("System Functions", {"Window.Open()", "Document.Write()"});
    tree::TZozeZONode *boxes = items->AddChild(system, QStringLiteral("Messagebox"));
    for (const char *b : {"Alert", "Confirm", "Prompt"})
        items->AddChild(boxes, QString::fromUtf8(b));
    group("Forms & Data", {"Validate Email", "Validate Form", "Get Optionbox"});
    group("User Interface", {"Swap Images", "Preload Images", "Statusbar Wiper"});
    group("HTML Enhancerment", {"Time Today"});
    group("Search", {"Altavista", "Excite", "Infoseek", "Lycos", "WebCrawler", "Yahoo!"});
    items->Add(nullptr, QStringLiteral("JavaScript End"));

    Script1 = MainMenu1->addMenu(QStringLiteral("&Script"));
    Script1->setObjectName(QStringLiteral("Script1"));
    auto put = [this](QMenu *m, const char *name, const QString &caption, const QString &text) {
        action(m, name, caption, [this, text] { InsertAtCaret(text); });
    };
    auto snip = [this](QMenu *m, const char *name, const QString &caption, const char *leaf) {
        const QString l = QString::fromUtf8(leaf);
        action(m, name, caption, [this, l] { InsertAtCaret(SnippetOf(l)); });
    };
    snip(Script1, "Arrays1", QStringLiteral("Arrays"), "Arrays");
    QMenu *browser = Script1->addMenu(QStringLiteral("Browser"));
    browser->setObjectName(QStringLiteral("Browser1"));
    action(browser, "InitFlags1", QStringLiteral("InitFlags"), [this] { InsertAtCaret(dialogs::DataText(QStringLiteral("JSInitFlags"))); });
    snip(browser, "CheckforNetscape1", QStringLiteral("Check for Netscape"), "Check for Netscape");
    snip(browser, "CheckforIE1", QStringLiteral("Check for IE"), "Check for IE");
    snip(browser, "FullBrowserCheck1", QStringLiteral("Full Browser Check"), "Full browser check");
    QMenu *version = browser->addMenu(QStringLiteral("Check Version"));
    version->setObjectName(QStringLiteral("CheckVersion1"));
    for (int v : {3, 4, 5})
        put(version, QStringLiteral("Version%1").arg(v).toLatin1().constData(), QStringLiteral("Version < %1").arg(v),
            QStringLiteral("if (Browser.version<%1){ }").arg(v));
    QMenu *cookies = Script1->addMenu(QStringLiteral("Cookies"));
    cookies->setObjectName(QStringLiteral("Cookies1"));
    snip(cookies, "FunctionGetCookie1", QStringLiteral("Function - Get Cookie"), "Get Cookie Value");
    snip(cookies, "FunctionSetCookie1", QStringLiteral("Function - Set Cookie"), "Set Cookie Value");
    snip(cookies, "FunctionDeleteCookie1", QStringLiteral("Function - Delete Cookie"), "Delete Cookie");
    cookies->addSeparator();
    action(cookies, "CallingGetCookie1", QStringLiteral("Calling - Get Cookie"), [this] { RunBuilder(QStringLiteral("TGetCookie")); });
    action(cookies, "CallingSetCookie1", QStringLiteral("Calling - Set Cookie"), [this] { RunBuilder(QStringLiteral("TSetCookie")); });
    action(cookies, "CallingDeleteCookie1", QStringLiteral("Calling - Delete Cookie"),
           [this] { RunBuilder(QStringLiteral("TDeleteCookie")); });
    QMenu *insert = Script1->addMenu(QStringLiteral("Insert"));
    insert->setObjectName(QStringLiteral("Insert1"));
    action(insert, "WindowOpen1", QStringLiteral("Window.Open()..."), [this] { RunBuilder(QStringLiteral("TWindowOpen")); });
    put(insert, "DocumentWrite1", QStringLiteral("Document.Write()..."), QStringLiteral("document.write('Your text here')"));
    QMenu *boxMenu = insert->addMenu(QStringLiteral("Messageboxs"));
    boxMenu->setObjectName(QStringLiteral("Messageboxs1"));
    snip(boxMenu, "Alert1", QStringLiteral("Alert"), "Alert");
    snip(boxMenu, "Confirm1", QStringLiteral("Confirm"), "Confirm");
    snip(boxMenu, "Prompt1", QStringLiteral("Prompt"), "Prompt");
    FinishLoading();
}

void TJavaScript::NodeChosen(tree::TZozeZONode *node)
{
    // Categories have no snippet of their own.
    const QString text = SnippetOf(node->Text());
    if (!text.isEmpty())
        InsertAtCaret(text);
}

void TJavaScript::RunBuilder(const QString &className)
{
    QPointer<dialogs::TTagDialog> d = dialogs::CreateDialog(className, this);
    if (!d)
        return;
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->OnOk = [this, d] {
        if (d)
            InsertAtCaret(d->Build());
    };
    platform::ShowModal(d);
    if (d)
        d->deleteLater();
}

TVBScriptEditor::TVBScriptEditor(QWidget *parent)
    : TScriptEditor(QStringLiteral("TVBScriptEditor"), QStringLiteral("VBScript Editor"),
                    QStringLiteral("Creates a VBScript..."), parent)
{
    ZozeZO1->LoadFromBytes(TEditForm::ReferenceTree(QStringLiteral("vbscripteditor.qvl")));
    FinishLoading();
}

QStringList TVBScriptEditor::Categories()
{
    return {QStringLiteral("History"), QStringLiteral("Location"),      QStringLiteral("Document"),
            QStringLiteral("Form"),    QStringLiteral("Image"),         QStringLiteral("Link"),
            QStringLiteral("Frame"),   QStringLiteral("Navigator"),     QStringLiteral("Plugin"),
            QStringLiteral("Date and Time"), QStringLiteral("Math"),    QStringLiteral("String"),
            QStringLiteral("Reserved Words"), QStringLiteral("Events")};
}

void TVBScriptEditor::NodeChosen(tree::TZozeZONode *node)
{
    if (Categories().contains(node->Text()))
        return;
    InsertAtCaret(node->Text());
}

} // namespace app
