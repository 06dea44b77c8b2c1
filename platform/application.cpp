#include "application.h"

#include "dialogs.h"
#include "error.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

ExceptionHandler handler;
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    (void)!::write(signalPipe[1], &c, 1);
}

} // namespace

void Application::CloseOnTerminationSignal(QWidget *window)
{
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
    QPointer<QWidget> target(window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
        char c;
        (void)!::read(signalPipe[0], &c, 1);
        if (target)
            target->close();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

void Application::EndWith(QWidget *window)
{
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(window, &QObject::destroyed, qApp, [] { QCoreApplication::quit(); });
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Abort &) {
        return false; // silent by design
    } catch (const std::exception &e) {
        HandleException(e);
    } catch (...) {
        HandleException(Error(QStringLiteral("Unknown exception")));
    }
    return false;
}

void Application::SetExceptionHandler(ExceptionHandler h)
{
    handler = std::move(h);
}

ExceptionHandler Application::CurrentExceptionHandler()
{
    return handler;
}

void Application::HandleException(const std::exception &e)
{
    if (dynamic_cast<const Abort *>(&e))
        return;
    if (handler) {
        try {
            handler(e);
            return;
        } catch (...) {
            // a failing handler falls back to the plain message box
        }
    }
    const auto *err = dynamic_cast<const Error *>(&e);
    MessageBox(nullptr, err ? err->message() : QString::fromLocal8Bit(e.what()), ApplicationTitle(),
               MB_OK | MB_ICONERROR);
}

} // namespace platform
