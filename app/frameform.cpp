#include "frameform.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/unit_link.h"
#include "app/editform.h"
#include "app/workflow.h"
#include "app/launchers.h"
#include "controls/misc/propanel.h"
#include "controls/qv/qvclock.h"
#include "controls/zel/zelformsaver.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/filenames.h"
#include "platform/finishedfiles.h"
#include "platform/folders.h"
#include "platform/shell/filedialogs.h"
#include "platform/textfile.h"
#include "textcontrol/rilomemo.h"
#include "tools/publish/ftpsettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>
#include <limits>

namespace app {

TFrameForm *FrameForm = nullptr;

const char *const TFrameForm::OpenFilter =
    "HTML Files|*.htm;*.html|ASP Files|*.asp|HTX Files|*.htx|INI Files|*.ini|LOG Files|*.log|INF Files|*.inf|"
    "ASA Files|*.asa|CDF Files|*.cdf|CFM Files|*.cfm|CFML Files|*.cfml|CGI Files|*.cgi|CSS Files|*.css|"
    "DBM Files|*.dbm|HDM Files|*.hdm|HDML Files|*.hdml|JAVA Files|*.java|JS Files|*.js|PL Files|*.pl|"
    "SHTM Files|*.shtm|SHTML Files|*.shtml|VTM Files|*.vtm|XML Files|*.xml|All Files|*.*";

namespace {

const char *const dropExtensions[] = {".txt", ".ini", ".log", ".inf", ".asa", ".asp", ".cdf", ".cfm",
                                      ".cfml", ".cgi", ".css", ".dbm", ".hdm", ".hdml", ".htm", ".html",
                                      ".java", ".js", ".pl", ".shtm", ".shtml", ".vtm", ".xml"};

// The extension runs from the last "." when no folder separator or drive colon follows it.
QString extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype sep = std::max({name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')),
                                    name.lastIndexOf(QLatin1Char(':'))});
    return dot > sep ? name.mid(dot) : QString();
}

// Questions run event loops of their own, in which a document may go away.
QList<QPointer<TEditForm>> guarded(const QList<TEditForm *> &docs)
{
    return {docs.begin(), docs.end()};
}

QLabel *fixedLabel(const QString &text, QWidget *parent, QHBoxLayout *row)
{
    auto *l = new QLabel(text, parent);
    row->addWidget(l);
    return l;
}

QLabel *valueLabel(const QString &name, QWidget *parent, QHBoxLayout *row)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setMinimumWidth(48);
    // Never narrower than its figure: an offset in a large page has eight digits or more.
    l->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    row->addWidget(l);
    return l;
}

} // namespace

TFrameForm::TFrameForm()
{
    FrameForm = this;
    setObjectName(QStringLiteral("FrameForm"));
    setWindowTitle(platform::ApplicationTitle());
    resize(847, 482 + 21 + 24);
    setAcceptDrops(true);

    // The bar docks on any edge of this panel; the MDI client area takes what it leaves.
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ClientPanel"));
    ProBorder1 = new misc::TProBorder(panel);
    ProBorder1->setObjectName(QStringLiteral("ProBorder1"));
    ProBorder1->SetBevelWidth(2);
    ProBorder1->SetBorderColor(QColor(192, 192, 192));
    auto *client = new QVBoxLayout(ProBorder1);
    client->setContentsMargins(ProBorder1->contentsMargins());
    mdiArea_ = new QMdiArea(ProBorder1);
    mdiArea_->setObjectName(QStringLiteral("MDIClient"));
    mdiArea_->setFrameShape(QFrame::NoFrame);
    client->addWidget(mdiArea_);
    setCentralWidget(panel);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *) {
        mergeMenus();
        UpdateDocumentCommands();
        UpdateStatus();
    });

    buildHandOver();
    buildMenus();
    // The shared border and theme windows start pages for new documents.
    OnStartProject = [] { Launch(QStringLiteral("Project1")); };
    OnStartTheme = [] { Launch(QStringLiteral("Themes1")); };
    buildStatusLine();
    buildToolBar(panel);

    // Another program hands text over by writing plugin.qvl into the program folder.
    pluginTimer_ = new QTimer(this);
    pluginTimer_->setObjectName(QStringLiteral("Timer4"));
    pluginTimer_->setInterval(250);
    connect(pluginTimer_, &QTimer::timeout, this, [this] { PollPlugin(); });
    pluginTimer_->start();
    // A writer that closes the file need not wait for it to rest.
    auto *finished = new platform::FinishedFiles(platform::ProgramFolder(), this);
    finished->setObjectName(QStringLiteral("PluginWatch"));
    const QString pluginName = QStringLiteral("plugin.qvl");
    finished->OnFinished = [this, pluginName](const QString &name) {
        if (name != pluginName)
            return;
        pluginFinished_ = platform::StampOf(platform::ProgramFile(pluginName));
        PollPlugin();
    };
    finished->OnWritten = [this, pluginName](const QString &name) {
        if (name == pluginName)
            pluginFinished_ = {};
    };

    ZELFormSaver1 = new zel::TZELFormSaver(this);
    ZELFormSaver1->setObjectName(QStringLiteral("ZELFormSaver1"));
    ZELFormSaver1->StoreControls = false;
    ZELFormSaver1->FormStore()->Registry.Path = QStringLiteral("Kestrova 5");
    ZELFormSaver1->FormStore()->Registry.Section = QStringLiteral("Formsaver");
    qApp->installEventFilter(this); // status tips become the hint line
    BindWorkflowWindows(this);
    mergeMenus();
    UpdateDocumentCommands();
    RestoreToolBarLayout();
    // Every document is asked before the frame decides to free itself: Cancel leaves all as it was. The
    // windows that run loops of their own (a dialog open when SIGTERM comes) close next, and the frame
    // closes once their loops have returned, so that no document or menu is freed under them.
    OnCloseQuery = [this](QObject *, bool &canClose) {
        if (!agreed_) {
            for (const QPointer<TEditForm> &doc : guarded(EditForms())) {
                if (doc && !doc->CloseQuery()) {
                    canClose = false;
                    return;
                }
            }
        }
        int level = std::numeric_limits<int>::max();
        if (!closeLoopWindows(&level)) {
            // The user kept a window open: the exit ends here, as with Cancel.
            agreed_ = false;
            unwindTo_ = std::numeric_limits<int>::max();
            unwindTries_ = 0;
            canClose = false;
            return;
        }
        unwindTo_ = std::min(unwindTo_, level);
        if (QThread::currentThread()->loopLevel() > unwindTo_) {
            agreed_ = true;
            canClose = false;
            QTimer::singleShot(unwindTries_++ ? 10 : 0, this, [this] { close(); });
            return;
        }
        agreed_ = false;
        unwindTo_ = std::numeric_limits<int>::max();
        unwindTries_ = 0;
    };
    FinishLoading();
}

TFrameForm::~TFrameForm()
{
    // Document windows still open go with the MDI area below; the frame must not hear of it then.
    disconnect(mdiArea_, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    if (FrameForm == this)
        FrameForm = nullptr;
}

void TFrameForm::buildHandOver()
{
    auto relay = [this](const char *name) { return new TRelay(QString::fromLatin1(name), this); };
    auto button = [this](const char *name) { return new THiddenButton(QString::fromLatin1(name), this); };
    Memo1 = relay("Memo1");
    DHTML_Memo = relay("DHTML_Memo");
    TempMemo = relay("TempMemo");
    Memo_Project1 = relay("Memo_Project1");
    Start_Edit = relay("Start_Edit");
    Start_Edit->SetText(QStringLiteral("0"));
    Edit2 = relay("Edit2");
    Edit3 = relay("Edit3");
    gem = relay("gem");
    Memo4 = relay("Memo4");
    QStringList exts;
    for (const char *e : dropExtensions)
        exts << QString::fromLatin1(e);
    Memo4->SetLines(exts);
    Memo2 = relay("Memo2");
    Memo2->SetLines({QStringLiteral("<SCRIPT LANGUAGE=\"JavaScript\">"), QStringLiteral("<!-- "), QString(), QString(),
                     QString(), QStringLiteral("// -->"), QStringLiteral("</SCRIPT>")});
    Tag = relay("Tag");
    Tag1 = relay("Tag1");
    Tag2 = relay("Tag2");

    Memo1->OnChange = [this](QObject *) { relayInsert(Memo1, true); };
    // Emptied like Memo1, so that the same effect handed over twice is inserted twice.
    DHTML_Memo->OnChange = [this](QObject *) { relayInsert(DHTML_Memo, true); };
    Tag->OnChange = [this](QObject *) { relayInsert(Tag, true); };
    Tag1->OnChange = [this](QObject *) { relayInsert(Tag1, true); };
    Tag2->OnChange = [this](QObject *) { relayInsert(Tag2, true); };
    TempMemo->OnChange = [this](QObject *) {
        const QString page = TempMemo->Text();
        if (page.isEmpty())
            return;
        if (TEditForm *doc = ActiveEditForm())
            doc->ReplaceText(page);
        TempMemo->Clear();
    };

    Start1 = button("Start1");
    Start2 = button("Start2");
    Search_Start = button("Search_Start");
    Button_CloseAll = button("Button_CloseAll");
    // One hidden button for each dialog's hand-over: its click builds the newest instance's text.
    for (const dialogs::TDialogDesc &d : dialogs::Descriptions()) {
        if (d.handOver.isEmpty())
            continue; // handed over through a relay
        auto *b = new THiddenButton(d.handOver, this);
        const QString className = d.className;
        b->OnClick = [this, className](QObject *) { HandOver(className); };
    }
    Knap_Link = findChild<THiddenButton *>(QStringLiteral("Knap_Link"));
    Start1->OnClick = [this](QObject *) { Start1Click(); };
    Start2->OnClick = [this](QObject *) { Start2Click(); };
    Search_Start->OnClick = [this](QObject *) { Search_StartClick(); };
    Button_CloseAll->OnClick = [this](QObject *) { Button_CloseAllClick(); };
}

void TFrameForm::Knap_LinkClick() { HandOver(QStringLiteral("TLink")); }

void TFrameForm::HandOver(const QString &className)
{
    const dialogs::TDialogDesc *desc = dialogs::FindDescription(className);
    dialogs::TTagDialog *dialog = dialogs::Instance(className);
    if (!desc || !dialog)
        return;
    const QString text = dialog->Build();
    // Nothing to put in (a chooser with no choice yet): the selection stays.
    if (text.isEmpty())
        return;
    if (desc->route == dialogs::TRoute::ReplaceAll)
        ReplaceActive(text);
    else
        InsertIntoActive(text);
}

void TFrameForm::relayInsert(TRelay *relay, bool empty)
{
    const QString text = relay->Text();
    if (text.isEmpty())
        return;
    InsertIntoActive(text);
    if (empty)
        relay->Clear();
}

void TFrameForm::buildMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption, void (TFrameForm::*slot)()) {
        auto *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (slot)
            connect(a, &QAction::triggered, this, slot);
        return a;
    };
    File1 = new QMenu(QStringLiteral("&File"), this);
    File1->setObjectName(QStringLiteral("File1"));
    New1 = action(File1, "New1", QStringLiteral("&New..."), &TFrameForm::New1Click);
    Open1 = action(File1, "Open1", QStringLiteral("&Open..."), &TFrameForm::Open1Click);
    File1->addSeparator();
    ProjectManager1 = action(File1, "ProjectManager1", QStringLiteral("Project Manager..."), nullptr);
    EditFilelist1 = action(File1, "EditFilelist1", QStringLiteral("Filelist..."), nullptr);
    File1->addSeparator();
    StartProject1 = action(File1, "StartProject1", QStringLiteral("Shared Border..."), nullptr);
    StartTheme1 = action(File1, "StartTheme1", QStringLiteral("Theme..."), nullptr);
    const QList<QPair<QAction *, std::function<void()> TFrameForm::*>> later = {
        {ProjectManager1, &TFrameForm::OnProjectManager},
        {EditFilelist1, &TFrameForm::OnEditFilelist},
        {StartProject1, &TFrameForm::OnStartProject},
        {StartTheme1, &TFrameForm::OnStartTheme}};
    for (const auto &[item, hook] : later)
        connect(item, &QAction::triggered, this, [this, hook] {
            if (this->*hook)
                (this->*hook)();
        });
    CloseProject1 = action(File1, "CloseProject1", QStringLiteral("Close Shared Border or Theme"), &TFrameForm::CloseProject1Click);
    File1->addSeparator();
    Exit1 = action(File1, "Exit1", QStringLiteral("E&xit"), &TFrameForm::Exit1Click);

    Window1 = new QMenu(QStringLiteral("&Window"), this);
    Window1->setObjectName(QStringLiteral("Window1"));
    Tile1 = action(Window1, "Tile1", QStringLiteral("&Tile"), nullptr);
    connect(Tile1, &QAction::triggered, mdiArea_, &QMdiArea::tileSubWindows);
    Cascade1 = action(Window1, "Cascade1", QStringLiteral("&Cascade"), nullptr);
    connect(Cascade1, &QAction::triggered, mdiArea_, &QMdiArea::cascadeSubWindows);
    Arrangeicons1 = action(Window1, "Arrangeicons1", QStringLiteral("&Arrange icons"), &TFrameForm::Arrangeicons1Click);
    MinimazeAll1 = action(Window1, "MinimazeAll1", QStringLiteral("Minimize  All"), &TFrameForm::MinimazeAll1Click);
    Window1->addSeparator();
    // The window list, as the frame's window menu shows it.
    connect(Window1, &QMenu::aboutToShow, this, [this] {
        const auto acts = Window1->actions();
        for (int i = acts.indexOf(MinimazeAll1) + 2; i < acts.size(); ++i)
            Window1->removeAction(acts[i]), acts[i]->deleteLater();
        int n = 1;
        for (QMdiSubWindow *w : mdiArea_->subWindowList()) {
            auto *a = Window1->addAction(QStringLiteral("&%1 %2").arg(n++).arg(w->windowTitle()));
            a->setCheckable(true);
            a->setChecked(w == mdiArea_->currentSubWindow());
            connect(a, &QAction::triggered, mdiArea_, [this, w] {
                mdiArea_->setActiveSubWindow(w);
                // The user goes on typing where the menu took them.
                if (auto *doc = qobject_cast<TEditForm *>(w->widget()))
                    doc->RiloMemo1Focus();
            });
        }
    });
}

void TFrameForm::buildStatusLine()
{
    PanStatus = new QWidget(this);
    PanStatus->setObjectName(QStringLiteral("PanStatus"));
    PanStatus->setFixedHeight(21);
    auto *row = new QHBoxLayout(PanStatus);
    row->setContentsMargins(4, 0, 4, 0);
    fixedLabel(QStringLiteral("offset:"), PanStatus, row);
    LblOffset = valueLabel(QStringLiteral("LblOffset"), PanStatus, row);
    fixedLabel(QStringLiteral("parag:"), PanStatus, row);
    LblPar = valueLabel(QStringLiteral("LblPar"), PanStatus, row);
    fixedLabel(QStringLiteral("line:"), PanStatus, row);
    LblLine = valueLabel(QStringLiteral("LblLine"), PanStatus, row);
    fixedLabel(QStringLiteral("col:"), PanStatus, row);
    LblCol = valueLabel(QStringLiteral("LblCol"), PanStatus, row);
    LblProgress = valueLabel(QStringLiteral("LblProgress"), PanStatus, row);
    LblProgress->setText(QStringLiteral("formatting 75%"));
    LblProgress->hide();
    LblOverwrite = valueLabel(QStringLiteral("LblOverwrite"), PanStatus, row);
    LblOverwrite->setText(QStringLiteral("INSERT"));
    LblOverwrite->setAlignment(Qt::AlignCenter);
    LblOverwrite->setFrameShape(QFrame::Panel);
    LblOverwrite->setFrameShadow(QFrame::Sunken);
    LblOverwrite->setMinimumWidth(80);
    LblOverwrite->setCursor(Qt::PointingHandCursor);
    LblOverwrite->installEventFilter(this);
    Hint_Label = valueLabel(QStringLiteral("Hint_Label"), PanStatus, row);
    // The hint gives way first when the window is narrow.
    Hint_Label->setMinimumWidth(0);
    Hint_Label->setMaximumWidth(465);
    Hint_Label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->setStretchFactor(Hint_Label, 1000);
    row->addStretch(1);
    statusBar()->addWidget(PanStatus, 1);
    // The window's own frame is where it is resized: no second grip on the status line.
    statusBar()->setSizeGripEnabled(false);
}

void TFrameForm::mergeMenus()
{
    QMenuBar *bar = menuBar();
    bar->clear();
    if (TEditForm *doc = ActiveEditForm()) {
        for (QMenu *m : doc->Menus())
            bar->addMenu(m);
    } else {
        bar->addMenu(File1);
    }
    bar->addMenu(Window1);
}

TEditForm *TFrameForm::ActiveEditForm() const
{
    // The current sub-window stays current while a modal dialog has the focus.
    QMdiSubWindow *w = mdiArea_->currentSubWindow();
    if (!w) {
        const auto list = mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
        w = list.isEmpty() ? nullptr : list.last();
    }
    return w ? qobject_cast<TEditForm *>(w->widget()) : nullptr;
}

QList<TEditForm *> TFrameForm::EditForms() const
{
    QList<TEditForm *> out;
    const auto list = mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (auto *doc = qobject_cast<TEditForm *>((*it)->widget()))
            out << doc;
    return out;
}

TEditForm *TFrameForm::CreateEditForm()
{
    return adopt(new TEditForm(this));
}

TEditForm *TFrameForm::adopt(TEditForm *doc)
{
    // The preview's "Email" button runs the document's own Quick Email item, so both open the same window.
    doc->OnQuickEmail = [doc] {
        if (auto *item = doc->findChild<QAction *>(QStringLiteral("QuickEmail1")); item && item->isEnabled())
            item->trigger();
    };
    // The page written to upload.htm goes up with the stored FTP settings.
    doc->OnUpload = [](const QString &) { FtpSettingsWindow()->Button3->click(); };
    QMdiSubWindow *sub = mdiArea_->addSubWindow(doc);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->showMaximized();
    mdiArea_->setActiveSubWindow(sub);
    doc->RiloMemo1Focus();
    mergeMenus();
    UpdateDocumentCommands();
    return doc;
}

TEditForm *TFrameForm::DocumentOf(const QString &path) const
{
    const QString wanted = platform::CanonicalName(path);
    if (wanted.isEmpty())
        return nullptr;
    for (TEditForm *doc : EditForms())
        if (doc->FileName != QLatin1String("Untitled") && platform::CanonicalName(doc->FileName) == wanted)
            return doc;
    return nullptr;
}

void TFrameForm::InsertIntoActive(const QString &text)
{
    if (TEditForm *doc = ActiveEditForm())
        doc->InsertText(text);
}

void TFrameForm::ReplaceActive(const QString &text)
{
    if (TEditForm *doc = ActiveEditForm()) {
        // The page is built before the old text goes, and the exchange is one edit.
        doc->RiloMemo1->SelectAll();
        doc->InsertText(text);
    }
}

void TFrameForm::New1Click()
{
    if (Start_Edit->Text() == QLatin1String("0"))
        Start1->click();
    else if (Start_Edit->Text() == QLatin1String("1"))
        Start2->click();
}

void TFrameForm::Start1Click()
{
    CreateEditForm();
    if (OnShowTemplates)
        OnShowTemplates();
}

void TFrameForm::Start2Click()
{
    TEditForm *doc = CreateEditForm();
    doc->ReplaceText(Memo_Project1->Text());
}

TEditForm *TFrameForm::OpenDocument(const QString &path, bool asFullPath)
{
    // A second window of one file would overwrite the first one's saves.
    if (TEditForm *open = DocumentOf(path)) {
        mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(open->Frame()));
        open->RiloMemo1Focus();
        return open;
    }
    // Read before the window joins the others: a refused file leaves the active document active.
    auto *doc = new TEditForm(this);
    try {
        doc->LoadFile(path);
    } catch (...) {
        doc->SetModified(false);
        delete doc;
        throw;
    }
    adopt(doc);
    if (asFullPath) {
        doc->Edit4->SetText(path);
        doc->SetModified(false);
        doc->SetCaption(path);
    }
    return doc;
}

TEditForm *TFrameForm::OpenFile(const QString &path, bool asFullPath)
{
    try {
        return OpenDocument(path, asFullPath);
    } catch (const platform::Error &e) {
        // A refused file is no fault of the program: the reason, with the file's name, in a plain box.
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return nullptr;
    }
}

QString TFrameForm::DialogFolder(const TEditForm *doc) const
{
    if (!doc)
        doc = ActiveEditForm();
    if (doc && doc->FileName != QLatin1String("Untitled")) {
        const QString folder = QFileInfo(doc->FileName).absolutePath();
        if (QFileInfo(folder).isDir())
            return folder;
    }
    if (!lastFolder_.isEmpty() && QFileInfo(lastFolder_).isDir())
        return lastFolder_;
    return QDir::homePath();
}

bool TFrameForm::RunFileDialog(QWidget *parent, platform::FileDialogRequest &request, const TEditForm *doc)
{
    request.initialDir = DialogFolder(doc);
    if (!platform::ExecuteFileDialog(parent, request))
        return false;
    lastFolder_ = QFileInfo(request.fileName).absolutePath();
    return true;
}

void TFrameForm::Open1Click()
{
    platform::FileDialogRequest r;
    r.filter = QString::fromLatin1(OpenFilter);
    r.defaultExt = QStringLiteral("htm");
    r.options = platform::ofHideReadOnly | platform::ofOverwritePrompt;
    if (!RunFileDialog(this, r))
        return;
    OpenFile(r.fileName, false);
}

void TFrameForm::Search_StartClick()
{
    OpenFile(Edit2->Text(), false);
}

void TFrameForm::Exit1Click()
{
    close();
}

void TFrameForm::MinimazeAll1Click()
{
    // A maximised window that is minimised hands its maximised state to the window activated next, so
    // without this the last one would stay maximised.
    const bool before = mdiArea_->testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    mdiArea_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    const auto docs = EditForms();
    for (qsizetype i = docs.size() - 1; i >= 0; --i)
        if (QWidget *sub = docs[i]->Frame())
            sub->showMinimized();
    mdiArea_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, before);
}

void TFrameForm::Arrangeicons1Click()
{
    // The icons of the minimised windows side by side along the bottom of the client area, in the order
    // the windows were made, a row above the last when one is full; other windows stay where they are.
    const int width = mdiArea_->viewport()->width();
    int x = 0, rowBottom = mdiArea_->viewport()->height(), rowHeight = 0;
    for (QMdiSubWindow *w : mdiArea_->subWindowList()) {
        if (!w->isMinimized())
            continue;
        const QSize icon = w->size();
        if (x > 0 && x + icon.width() > width) {
            x = 0;
            rowBottom -= rowHeight;
            rowHeight = 0;
        }
        w->move(x, rowBottom - icon.height());
        x += icon.width();
        rowHeight = std::max(rowHeight, icon.height());
    }
}

void TFrameForm::Button_CloseAllClick()
{
    const auto docs = guarded(EditForms());
    for (qsizetype i = docs.size() - 1; i >= 0; --i)
        if (docs[i])
            docs[i]->Frame()->close(); // each asks its own question; Cancel keeps it and the walk goes on
}

void TFrameForm::CloseProject1Click()
{
    Start_Edit->SetText(QStringLiteral("0"));
}

void TFrameForm::LblOverwriteClick()
{
    if (TEditForm *doc = ActiveEditForm())
        LblOverwrite->setText(doc->ToggleOverwrite() ? QStringLiteral("OVERWRITE") : QStringLiteral("INSERT"));
}

void TFrameForm::UpdateStatus()
{
    if (TEditForm *doc = ActiveEditForm()) {
        doc->UpdateStatus();
        return;
    }
    for (QLabel *l : {LblOffset, LblPar, LblLine, LblCol})
        l->clear();
    LblProgress->hide();
    LblOverwrite->setText(QStringLiteral("INSERT"));
}

void TFrameForm::DropFiles(const QStringList &paths)
{
    const QStringList accepted = Memo4->Lines();
    for (const QString &path : paths) {
        const QString ext = extensionOf(path);
        if (ext.isEmpty() || !accepted.contains(ext, Qt::CaseInsensitive))
            continue;
        // The files opened before stay open; the drop ends at a refused one.
        if (!OpenFile(path, true))
            return;
    }
}

void TFrameForm::PollPlugin()
{
    if (!ActiveEditForm())
        return; // the file waits until a document is open
    const QString path = platform::ProgramFile(QStringLiteral("plugin.qvl"));
    // Another program may still be writing it: it is taken once it has rested (size and time unchanged) a
    // while, so that nothing written later is lost.
    const platform::FileStamp stamp = platform::StampOf(path);
    if (!stamp.exists) {
        pluginSeen_ = {};
        pluginFinished_ = {};
        return;
    }
    if (!(pluginFinished_.exists && stamp == pluginFinished_)) {
        if (!(stamp == pluginSeen_.stamp)) {
            pluginSeen_ = {stamp, qv::TickCount()};
            return;
        }
        if (qv::TickCount() - pluginSeen_.since < PluginRestMs)
            return;
    }
    pluginSeen_ = {};
    pluginFinished_ = {};
    // Taken away first: whatever happens next, the text is never inserted twice.
    const QString taken = path + QStringLiteral(".taken");
    QFile::remove(taken);
    if (!QFile::rename(path, taken)) {
        const QString why = QStringLiteral("Cannot take the plug-in file \"%1\".").arg(QDir::toNativeSeparators(path));
        if (pluginError_ != why) {
            pluginError_ = why;
            platform::MessageBox(this, why, platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        }
        return;
    }
    pluginError_.clear();
    QString text;
    try {
        text = platform::LoadTextDocument(taken).text;
    } catch (const platform::Error &e) {
        QFile::remove(taken);
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    QFile::remove(taken);
    TRelay lines(QString(), nullptr);
    lines.SetText(text);
    Memo1->SetLines(lines.Lines());
    Memo1->Clear();
}

void TFrameForm::UpdateDocumentCommands()
{
    const bool any = !mdiArea_->subWindowList().isEmpty();
    for (QAction *a : {Tile1, Cascade1, Arrangeicons1, MinimazeAll1})
        a->setEnabled(any);
    CloseProject1->setEnabled(any && SharedBordersAvailable());
    ProjectManager1->setEnabled(bool(OnProjectManager));
    EditFilelist1->setEnabled(bool(OnEditFilelist));
    StartProject1->setEnabled(bool(OnStartProject));
    StartTheme1->setEnabled(bool(OnStartTheme));
    for (TEditForm *doc : EditForms())
        doc->UpdateLaterCommands();
    UpdateToolBar();
    if (OnDocumentCountChanged)
        OnDocumentCountChanged(any);
}

void TFrameForm::noteLoopWindow(QWidget *window)
{
    loopWindows_.removeIf([window](const QPair<QPointer<QWidget>, int> &w) { return !w.first || w.first == window || !w.first->isVisible(); });
    loopWindows_.append({window, QThread::currentThread()->loopLevel()});
}

bool TFrameForm::closeLoopWindows(int *level)
{
    const auto windows = loopWindows_;
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        const QPointer<QWidget> w = windows[i].first;
        if (!w || !w->isVisible())
            continue;
        *level = std::min(*level, windows[i].second);
        // As its close button would; a box that has no answer for that is answered as by Escape.
        w->close();
        if (auto *box = qobject_cast<QMessageBox *>(w.data()); box && box->isVisible())
            box->reject();
        if (w && w->isVisible())
            return false;
    }
    return true;
}

void TFrameForm::closeEvent(QCloseEvent *event)
{
    // Reached only once every document agreed (OnCloseQuery).
    for (const QPointer<TEditForm> &doc : guarded(EditForms())) {
        if (!doc)
            continue;
        doc->SetModified(false); // already asked
        doc->Frame()->close();
    }
    SaveToolBarLayout();
    if (OnShutdown)
        OnShutdown();
    QMainWindow::closeEvent(event);
}

void TFrameForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFrameForm::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &u : event->mimeData()->urls())
        if (u.isLocalFile())
            paths << platform::LocalFileName(u);
    event->acceptProposedAction();
    DropFiles(paths);
}

bool TFrameForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->isWindow() && w != this && (w->isModal() || w->windowType() == Qt::Popup))
            noteLoopWindow(w);
    }
    if (event->type() == QEvent::StatusTip && Hint_Label) {
        Hint_Label->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true; // the hint line only: a message of the status bar would cover its labels
    }
    if (watched == LblOverwrite && event->type() == QEvent::MouseButtonRelease) {
        LblOverwriteClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
