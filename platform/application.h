#pragma once
// The application object: nothing escaping an event handler may end the event loop; it is handed to a
// replaceable handler (a message box until the detailed exception dialog installs itself).
#include <QApplication>
#include <exception>
#include <functional>

namespace platform {

using ExceptionHandler = std::function<void(const std::exception &)>;

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    static void SetExceptionHandler(ExceptionHandler handler);
    // The handler installed now (empty for the plain message box), so a new one can stand in front of it.
    static ExceptionHandler CurrentExceptionHandler();
    // Reports an exception the way an escaped one is reported (for code that catches to stay alive).
    static void HandleException(const std::exception &e);
    // SIGTERM and SIGINT close this window the way the user would (so documents are asked about).
    static void CloseOnTerminationSignal(QWidget *window);
    // The event loop ends once this window is gone, whatever other windows are shown or hidden then (a
    // window left open must not keep the program alive once its main window has closed).
    static void EndWith(QWidget *window);
};

} // namespace platform
