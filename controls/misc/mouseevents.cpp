#include "mouseevents.h"

#include <QMouseEvent>
#include <QWidget>

namespace misc {

void TControlMouseEvents::fireMouse(QWidget *control, QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (event->button() == Qt::LeftButton)
            pressed_ = true;
        if (OnMouseDown)
            OnMouseDown(control, event->button(), event->modifiers(), at.x(), at.y());
        break;
    case QEvent::MouseButtonDblClick:
        pressed_ = false;
        if (event->button() == Qt::LeftButton && OnDblClick)
            OnDblClick(control);
        if (OnMouseDown)
            OnMouseDown(control, event->button(), event->modifiers(), at.x(), at.y());
        break;
    case QEvent::MouseButtonRelease: {
        const bool click = event->button() == Qt::LeftButton && pressed_ && control->rect().contains(at);
        if (event->button() == Qt::LeftButton)
            pressed_ = false;
        if (click && OnClick)
            OnClick(control);
        if (OnMouseUp)
            OnMouseUp(control, event->button(), event->modifiers(), at.x(), at.y());
        break;
    }
    case QEvent::MouseMove:
        if (OnMouseMove)
            OnMouseMove(control, event->modifiers(), at.x(), at.y());
        break;
    default:
        break;
    }
}

bool TControlMouseEvents::RelayEvent(QWidget *control, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        fireMouse(control, static_cast<QMouseEvent *>(event));
        event->accept();
        return true;
    case QEvent::Enter:
        if (OnMouseEnter)
            OnMouseEnter(control);
        return false;
    case QEvent::Leave:
        if (OnMouseLeave)
            OnMouseLeave(control);
        return false;
    default:
        return false;
    }
}

} // namespace misc
