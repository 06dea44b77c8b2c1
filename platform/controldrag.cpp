#include "platform/controldrag.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>

namespace platform {

namespace {
QHash<const QWidget *, ControlDrag *> &Helpers()
{
    static QHash<const QWidget *, ControlDrag *> h;
    return h;
}
} // namespace

ControlDrag *ControlDrag::active_ = nullptr;

ControlDrag::ControlDrag(QWidget *control, QWidget *input) : QObject(control), control_(control), input_(input ? input : control)
{
    Helpers().insert(control_, this);
    input_->installEventFilter(this);
}

ControlDrag::~ControlDrag()
{
    if (active_ == this) {
        // Going away mid-drag: nobody is told, but nothing is left grabbed.
        active_ = nullptr;
        if (input_) {
            input_->releaseMouse();
            input_->releaseKeyboard();
        }
        QGuiApplication::restoreOverrideCursor();
    }
    Helpers().remove(control_);
}

ControlDrag *ControlDrag::Of(const QWidget *control) { return Helpers().value(control); }

ControlDrag *ControlDrag::TargetAt(const QPoint &global)
{
    for (QWidget *w = QApplication::widgetAt(global); w; w = w->parentWidget()) {
        ControlDrag *d = Helpers().value(w);
        if (d && d->OnDragOver && d->control_->isEnabled())
            return d;
    }
    return nullptr;
}

void ControlDrag::BeginDrag()
{
    global_ = QCursor::pos();
    Start();
}

void ControlDrag::Start()
{
    if (active_ && active_ != this)
        active_->EndDrag(false);
    if (active_ == this || !input_)
        return;
    active_ = this;
    over_ = nullptr;
    accepted_ = false;
    QObject *dragObject = nullptr;
    if (OnStartDrag)
        OnStartDrag(control_, dragObject);
    QGuiApplication::setOverrideCursor(QCursor(Qt::ForbiddenCursor));
    input_->grabMouse();
    input_->grabKeyboard();
    Move(global_);
}

void ControlDrag::Leave()
{
    if (over_ && over_->OnDragOver) {
        bool accept = false;
        const QPoint p = over_->control_->mapFromGlobal(global_);
        over_->OnDragOver(over_->control_, control_, p.x(), p.y(), TDragState::dsDragLeave, accept);
    }
    over_ = nullptr;
    accepted_ = false;
}

void ControlDrag::Move(const QPoint &global)
{
    global_ = global;
    ControlDrag *target = TargetAt(global);
    TDragState state = TDragState::dsDragMove;
    if (target != over_) {
        Leave();
        over_ = target;
        state = TDragState::dsDragEnter;
    }
    accepted_ = false;
    if (over_) {
        const QPoint p = over_->control_->mapFromGlobal(global);
        bool accept = false;
        over_->OnDragOver(over_->control_, control_, p.x(), p.y(), state, accept);
        accepted_ = accept && over_; // the handler may have ended the target
    }
    QGuiApplication::changeOverrideCursor(accepted_ ? cursor_ : QCursor(Qt::ForbiddenCursor));
}

void ControlDrag::EndDrag(bool drop)
{
    if (active_ != this)
        return;
    const QPoint global = global_;
    if (drop)
        Move(global);
    active_ = nullptr;
    if (input_) {
        input_->releaseMouse();
        input_->releaseKeyboard();
    }
    QGuiApplication::restoreOverrideCursor();
    QPointer<ControlDrag> target = (drop && accepted_) ? over_ : nullptr;
    if (!target)
        Leave();
    over_ = nullptr;
    accepted_ = false;
    QPoint at = control_->mapFromGlobal(global);
    if (target) {
        at = target->control_->mapFromGlobal(global);
        if (target->OnDragDrop)
            target->OnDragDrop(target->control_, control_, at.x(), at.y());
    }
    if (OnEndDrag)
        OnEndDrag(control_, target ? target->control_ : nullptr, at.x(), at.y());
}

bool ControlDrag::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != input_)
        return false;
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto *m = static_cast<QMouseEvent *>(e);
        if (active_ == this)
            return true;
        if (mode_ == TDragMode::dmAutomatic && m->button() == Qt::LeftButton && control_->isEnabled()) {
            global_ = m->globalPosition().toPoint();
            Start();
            return true; // the control does not also act on the press
        }
        return false;
    }
    case QEvent::MouseMove:
        if (active_ != this)
            return false;
        Move(static_cast<QMouseEvent *>(e)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        if (active_ != this)
            return false;
        global_ = static_cast<QMouseEvent *>(e)->globalPosition().toPoint();
        EndDrag(true);
        return true;
    case QEvent::MouseButtonDblClick:
        return active_ == this;
    case QEvent::KeyPress:
        if (active_ != this)
            return false;
        if (static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape)
            EndDrag(false);
        return true;
    default:
        return false;
    }
}

} // namespace platform
