#include "app/frameform.h"
#include "app/settingsform.h"
#include "app/splash.h"
#include "platform/application.h"
#include "platform/browser/webbrowser.h"
#include "platform/dialogs.h"
#include "platform/form.h"

int main(int argc, char **argv)
{
    platform::PrepareBrowserEnvironment();
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrova 5"));

    auto *splash = new app::TSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    // The main window is created before every other form, so it is the main window.
    auto *frame = new app::TFrameForm;
    platform::SetApplicationTitle(QStringLiteral("Kestrova 5"));
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // The service forms live hidden from here to the end.
    new app::TSettings(frame);
    frame->show();
    splash->raise();
    splash->activateWindow();
    platform::Application::CloseOnTerminationSignal(frame);

    const int rc = app.exec();
    // Forms still open are destroyed while whole, so that they can store their state.
    platform::Form::DestroyForms();
    return rc;
}
