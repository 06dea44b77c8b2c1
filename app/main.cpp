#include "app/frameform.h"
#include "app/startup.h"
#include "platform/application.h"
#include "platform/browser/webbrowser.h"
#include "platform/form.h"

int main(int argc, char **argv)
{
    app::PrepareQuietTerminal();
    platform::PrepareBrowserEnvironment();
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrova 5"));
    const app::StartedApplication started = app::StartUp();
    platform::Application::CloseOnTerminationSignal(started.frame);
    platform::Application::EndWith(started.frame);
    const int rc = app.exec();
    // Forms still open are destroyed while whole, so that they can store their state.
    platform::Form::DestroyForms();
    return rc;
}
