#pragma once
// The mouse events of a control, fired from Qt's mouse events: a click is a left press and release
// inside the control.
#include "controls/misc/protypes.h"

class QEvent;
class QMouseEvent;
class QWidget;

namespace misc {

class TControlMouseEvents {
public:
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    // Called from the control's event() after Qt's own handling: fires the event's handler. Returns true
    // for a mouse event, which the control has then taken (it does not go on to the parent).
    bool RelayEvent(QWidget *control, QEvent *event);

private:
    void fireMouse(QWidget *control, QMouseEvent *event);

    bool pressed_ = false;
};

} // namespace misc
