#include "startup.h"

#include "app/frameform.h"
#include "app/settingsform.h"
#include "app/splash.h"
#include "platform/dialogs.h"

#include <QApplication>

namespace app {

StartedApplication StartUp()
{
    StartedApplication s;
    s.splash = new TSplash;
    s.splash->show();
    s.splash->repaint();
    QApplication::processEvents();

    // The main window is created before every other form, so it is the main window.
    s.frame = new TFrameForm;
    platform::SetApplicationTitle(QStringLiteral("Kestrova 5"));
    s.frame->setAttribute(Qt::WA_DeleteOnClose);
    // The service forms live hidden from here to the end.
    new TSettings(s.frame);
    s.frame->show();
    s.splash->raise();
    s.splash->activateWindow();
    return s;
}

} // namespace app
