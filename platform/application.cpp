#include "application.h"

#include "dialogs.h"
#include "error.h"

namespace platform {
namespace {

ExceptionHandler handler;

} // namespace

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
