#include "startup.h"

#include "app/assistantforms.h"
#include "app/dialogs/unit_about.h"
#include "app/frameform.h"
#include "app/icons.h"
#include "app/launchers.h"
#include "app/settingsform.h"
#include "app/splash.h"
#include "app/workflow.h"
#include "controls/qv/qvexceptiondialog.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/shell/shell.h"

#include <QApplication>
#include <QByteArray>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <QTimer>

namespace app {

namespace {

QtMessageHandler previousHandler = nullptr;

// Text in a script that no installed font covers makes Qt name every font it tries, one line each (some
// twenty per script): the text shows as boxes either way, and the lines would bury the warnings that
// mean something.
bool fontFallbackChatter(const QString &message)
{
    return QStringView(message).trimmed().startsWith(QLatin1String("OpenType support missing for "));
}

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || (type == QtWarningMsg && fontFallbackChatter(message)))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// A folder only this user may enter, as the session's runtime folder must be.
bool privateFolder(const QByteArray &path)
{
    struct stat st;
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 0777) == 0700 || ::chmod(path.constData(), 0700) == 0;
}

} // namespace

void PrepareQuietTerminal()
{
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QByteArray tmp = qgetenv("TMPDIR");
        if (tmp.isEmpty())
            tmp = "/tmp";
        const QByteArray folder = tmp + "/kestrova5-runtime-" + QByteArray::number(::geteuid());
        if (privateFolder(folder))
            qputenv("XDG_RUNTIME_DIR", folder);
    }
    if (qEnvironmentVariableIsEmpty("KESTROVA_VERBOSE"))
        previousHandler = qInstallMessageHandler(quietHandler);
}

StartedApplication StartUp()
{
    StartedApplication s;
    // Before any window: an exception that escapes an event handler is shown in detail from here on.
    qv::InstallExceptionDialog();
    // The program's help page has a part on errors: F1 in the exception dialog opens the page.
    qv::ErrorHelpContext() = 1;
    qv::ApplicationHelp() = [](int) {
        platform::OpenWithShellOrSay(QApplication::activeWindow(), platform::ProgramFile(QStringLiteral("Help/index.htm")));
    };
    // Every window, the splash and the dialogs made later included, shows the program's own icon.
    QApplication::setWindowIcon(ApplicationIcon());
    s.splash = new TSplash;
    s.splash->show();
    s.splash->repaint();
    QApplication::processEvents();

    // The main window is created before every other form, so it is the main window.
    s.frame = new TFrameForm;
    platform::SetApplicationTitle(QStringLiteral("Kestrova 5"));
    s.frame->setAttribute(Qt::WA_DeleteOnClose);
    // The service forms live hidden from here to the end.
    CreateTagChooser();
    new dialogs::TInfo(s.frame);
    CreateFilelist(s.frame);
    CreateSignature();
    CreateCustomTagForms();
    FtpSettingsWindow();
    new TSettings(s.frame);
    VCardForm();
    s.frame->show();
    // On top of the main window, but the main window keeps the activation that ends the splash.
    s.splash->raise();
    s.splash->CloseWhenActive(s.frame);
    // Start-up is done once the event loop runs: the splash goes then at the latest.
    QTimer::singleShot(0, s.splash, &QWidget::close);
    BindTemplateDialog(s.frame);
    // A second later the start dialog offers the ways to begin.
    auto *timer2 = new QTimer(s.frame);
    timer2->setObjectName(QStringLiteral("Timer2"));
    timer2->setSingleShot(true);
    timer2->setInterval(1000);
    QObject::connect(timer2, &QTimer::timeout, s.frame, [] { ShowStartDialog(); });
    timer2->start();
    return s;
}

} // namespace app
