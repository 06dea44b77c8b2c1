#include "startup.h"

#include "app/frameform.h"
#include "app/settingsform.h"
#include "app/splash.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QTimer>

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
    // On top of the main window, but the main window keeps the activation that ends the splash.
    s.splash->raise();
    s.splash->CloseWhenActive(s.frame);
    // Start-up is done once the event loop runs: the splash goes then at the latest.
    QTimer::singleShot(0, s.splash, &QWidget::close);
    return s;
}

} // namespace app
