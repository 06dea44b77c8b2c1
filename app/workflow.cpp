#include "workflow.h"

#include "app/assistants/filelist.h"
#include "app/assistants/projectstart.h"
#include "app/assistants/searchfile.h"
#include "app/assistants/startdialog.h"
#include "app/assistants/templates.h"
#include "app/editform.h"
#include "app/frameform.h"
#include "app/launchers.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "tools/publish/ftpsettings.h"

#include <QPointer>

namespace app {

namespace {

QPointer<assistants::TStartup> startDialog;
QPointer<assistants::TFilelist> filelist;

void showModeless(QWidget *w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

bool runFileDialog(QWidget *parent, platform::FileDialogRequest &request)
{
    return FrameForm && FrameForm->RunFileDialog(parent, request);
}

// The Open relay: the path in Edit2, opened by a click on Search_Start.
void openThroughRelay(const QString &path)
{
    if (!FrameForm)
        return;
    FrameForm->Edit2->SetText(path);
    // The window that asked has no answer to a file that cannot be read: it is reported here.
    try {
        FrameForm->Search_Start->click();
    } catch (const platform::Error &e) {
        platform::Application::HandleException(e);
    }
}

void runTemplates()
{
    if (!FrameForm)
        return;
    QPointer<assistants::TTemplates3> t = CreateTemplates(FrameForm);
    t->setAttribute(Qt::WA_DeleteOnClose);
    platform::ShowModal(t);
    if (t)
        t->deleteLater();
}

} // namespace

assistants::TTemplates3 *CreateTemplates(QWidget *owner)
{
    auto *t = new assistants::TTemplates3(owner);
    t->OnPage = [](const QString &page) {
        if (FrameForm)
            FrameForm->TempMemo->SetText(page);
    };
    t->OnInsert = [](const QString &text) {
        if (FrameForm)
            FrameForm->Memo1->SetText(text);
    };
    t->CanRunWizard = [](const QString &className) { return CanLaunchClass(className); };
    // The templates are offered for the document File > New has just made: the wizard writes its page there.
    t->OnRunWizard = [](const QString &className) {
        if (!FrameForm)
            return;
        if (!FrameForm->ActiveEditForm())
            FrameForm->CreateEditForm();
        LaunchClass(className);
    };
    t->OnRunFileDialog = runFileDialog;
    return t;
}

assistants::TStartup *StartDialog() { return startDialog; }

assistants::TStartup *ShowStartDialog()
{
    if (!FrameForm)
        return nullptr;
    auto *s = new assistants::TStartup(FrameForm);
    s->setAttribute(Qt::WA_DeleteOnClose);
    s->OnTemplates = [] {
        if (FrameForm)
            FrameForm->New1->trigger();
    };
    s->OnQuickStart = [] {
        if (!FrameForm)
            return;
        FrameForm->CreateEditForm();
        Launch(QStringLiteral("HTMLStart2"));
    };
    // The shared border and theme choosers, through the main window's menu or by their class.
    if (FrameForm->OnStartProject || CanLaunchClass(QStringLiteral("TTempStart")))
        s->OnSharedBorder = [] {
            if (!FrameForm)
                return;
            if (FrameForm->OnStartProject)
                FrameForm->StartProject1->trigger();
            else
                LaunchClass(QStringLiteral("TTempStart"));
        };
    s->OnBlankDocument = [] {
        if (FrameForm)
            FrameForm->CreateEditForm();
    };
    s->OnOpenFile = [] {
        if (FrameForm)
            FrameForm->Open1->trigger();
    };
    if (FrameForm->OnStartTheme || CanLaunchClass(QStringLiteral("TTheme")))
        s->OnTheme = [] {
            if (!FrameForm)
                return;
            if (FrameForm->OnStartTheme)
                FrameForm->StartTheme1->trigger();
            else
                LaunchClass(QStringLiteral("TTheme"));
        };
    startDialog = s;
    showModeless(s);
    return s;
}

assistants::TFilelist *CreateFilelist(QWidget *owner)
{
    if (!filelist) {
        filelist = new assistants::TFilelist(owner);
        filelist->OnRunFileDialog = runFileDialog;
        // A file that cannot be read is said in a plain box, as on every other way of opening one.
        filelist->OnEdit = [](const QString &path) {
            if (FrameForm)
                FrameForm->OpenFile(path, true);
        };
    }
    return filelist;
}

assistants::TFilelist *ShowFilelist(QWidget *owner)
{
    assistants::TFilelist *list = CreateFilelist(owner);
    showModeless(list);
    return list;
}

assistants::TProjectStart *ShowProjectManager(QWidget *owner)
{
    auto *p = new assistants::TProjectStart(owner);
    p->setAttribute(Qt::WA_DeleteOnClose);
    p->OnSelect = [](const QString &text) {
        if (FrameForm)
            FrameForm->Edit2->SetText(text);
    };
    p->OnOpen = openThroughRelay;
    p->OnRunFileDialog = runFileDialog;
    // A project's file goes up with the stored FTP settings, as the page does from "Transfer to Internet".
    p->OnUpload = [](const QString &path) { FtpSettingsWindow()->UploadFile(path); };
    showModeless(p);
    return p;
}

assistants::TSearchFile *ShowSearchFile(QWidget *owner)
{
    auto *s = new assistants::TSearchFile(owner);
    s->setAttribute(Qt::WA_DeleteOnClose);
    s->OnSelect = [](const QString &path) {
        if (FrameForm)
            FrameForm->Edit2->SetText(path);
    };
    s->OnOpen = [] {
        if (FrameForm)
            openThroughRelay(FrameForm->Edit2->Text());
    };
    s->OnRelay = [](const QString &text) {
        if (FrameForm)
            FrameForm->Memo1->SetText(text);
    };
    s->DocumentFile = ActiveDocumentFile;
    showModeless(s);
    return s;
}

void BindTemplateDialog(TFrameForm *frame)
{
    frame->OnShowTemplates = runTemplates;
}

void BindWorkflowWindows(TFrameForm *frame)
{
    frame->OnEditFilelist = [frame] { ShowFilelist(frame); };
    frame->OnProjectManager = [frame] { ShowProjectManager(frame); };
    std::function<void()> before = frame->OnShutdown;
    frame->OnShutdown = [before] {
        if (before)
            before();
        if (startDialog)
            startDialog->close();
        if (filelist)
            filelist->close(); // writes the list
    };
}

} // namespace app
