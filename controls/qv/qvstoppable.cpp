#include "qvstoppable.h"

#include "platform/error.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace qv {

TStoppableWork::TStoppableWork(QWidget *window) : QObject(window), window_(window) {}

TStoppableWork::~TStoppableWork()
{
    if (busy_)
        qApp->removeEventFilter(this);
}

void TStoppableWork::Start()
{
    if (!busy_)
        qApp->installEventFilter(this);
    busy_ = true;
    stopped_ = false;
    shown_ = 0;
    polled_ = -1;
    if (OnProgress)
        OnProgress(0);
}

void TStoppableWork::Finish()
{
    if (busy_)
        qApp->removeEventFilter(this);
    busy_ = false;
    stopped_ = false;
    shown_ = 0;
    if (OnProgress)
        OnProgress(0);
}

void TStoppableWork::Stop()
{
    if (busy_)
        stopped_ = true;
}

void TStoppableWork::Step(int percent)
{
    if (percent >= shown_ + 10 || percent < shown_) {
        shown_ = percent;
        if (OnProgress)
            OnProgress(std::clamp(percent, 0, 100));
    }
    if (!busy_)
        return;
    // Steps may come a million times (a row each): the loop is let run when the work moved on a per cent
    // or a frame's time went by, often enough to repaint and see Esc, seldom enough to cost nothing.
    if (percent != polled_ || !sincePoll_.isValid() || sincePoll_.elapsed() >= 16) {
        polled_ = percent;
        sincePoll_.start();
        QCoreApplication::processEvents();
    }
    if (stopped_)
        throw platform::Abort();
}

bool TStoppableWork::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!busy_ || !widget || !window_ || (widget != window_ && !window_->isAncestorOf(widget)))
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            Stop();
        return true;
    case QEvent::Close:
        if (widget == window_) {
            Stop();
            event->ignore();
            return true;
        }
        return false;
    case QEvent::ShortcutOverride:
        // Taken, so that no shortcut of the window runs a command under the work.
        event->accept();
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::InputMethod:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace qv
