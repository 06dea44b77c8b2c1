#include "qvhooks.h"

#include <QCoreApplication>
#include <QList>

namespace qv {

// One per hooked widget: an event filter for the "before" phase and, on a form, an observer of the
// "after" phase. The hooks are kept in attachment order.
class TControlHook : public QObject, public platform::EventObserver {
public:
    explicit TControlHook(QWidget *control) : control_(control) {}
    ~TControlHook() override;

    QWidget *Control() const { return control_; }
    QList<TQvWindowHook *> &Hooks() { return hooks_; }
    void Hook();
    void Unhook();
    bool Hooked() const { return hooked_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void AfterEvent(QObject *receiver, QEvent *event, bool &result) override;

private:
    bool callable() const;
    platform::Form *form() const { return platform::Form::FromWidget(control_); }

    QPointer<QWidget> control_;
    QList<TQvWindowHook *> hooks_;
    bool hooked_ = false;
    bool destroying_ = false;
};

namespace {

class HookEvent : public QEvent {
public:
    HookEvent(int type, TControlHook *hook) : QEvent(QEvent::Type(type)), hook(hook) {}
    TControlHook *hook;
};

// Process-wide list of control hooks with the object that receives the private events.
class HookList : public QObject {
public:
    QList<TControlHook *> hooks;

    TControlHook *find(const QWidget *control) const
    {
        for (TControlHook *h : hooks)
            if (h->Control() == control)
                return h;
        return nullptr;
    }

    ~HookList() override
    {
        while (!hooks.isEmpty())
            delete hooks.takeLast();
    }

protected:
    void customEvent(QEvent *event) override
    {
        auto *e = static_cast<HookEvent *>(event);
        if (!hooks.contains(e->hook))
            return;
        if (int(event->type()) == QV_HOOK_AGAIN) {
            if (e->hook->Control())
                e->hook->Hook();
        } else if (int(event->type()) == QV_HOOK_RELEASE) {
            if (e->hook->Hooks().isEmpty()) {
                hooks.removeAll(e->hook);
                delete e->hook;
            }
        }
    }
};

HookList *hookList(bool create)
{
    static QPointer<HookList> list;
    if (!list && create && QCoreApplication::instance()) {
        list = new HookList;
        list->setParent(QCoreApplication::instance()); // freed with the application
    }
    return list;
}

void post(int type, TControlHook *hook)
{
    if (HookList *list = hookList(false))
        QCoreApplication::postEvent(list, new HookEvent(type, hook));
}

} // namespace

// TControlHook

TControlHook::~TControlHook()
{
    destroying_ = true;
    const auto hooks = hooks_;
    for (TQvWindowHook *h : hooks)
        h->hook_ = nullptr;
    hooks_.clear();
    Unhook();
}

void TControlHook::Hook()
{
    if (hooked_ || destroying_ || !control_)
        return;
    platform::Form *f = form();
    if (f && f->Destroying())
        return;
    control_->installEventFilter(this);
    if (f)
        f->AddEventObserver(this);
    hooked_ = true;
}

void TControlHook::Unhook()
{
    if (!hooked_)
        return;
    hooked_ = false;
    if (!control_)
        return;
    // Removing our filter never takes another one off the widget.
    control_->removeEventFilter(this);
    if (platform::Form *f = form())
        f->RemoveEventObserver(this);
}

bool TControlHook::callable() const
{
    if (!control_ || hooks_.isEmpty() || destroying_)
        return false;
    const platform::Form *f = form();
    return !(f && f->Destroying());
}

bool TControlHook::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != control_ || !callable())
        return false;
    TMessage msg{event, event->type(), false};
    bool handled = false;
    if (event->type() != QEvent::Quit) {
        const auto hooks = hooks_;
        for (int i = hooks.size() - 1; i >= 0 && !handled; --i)
            if (hooks_.contains(hooks[i]) && hooks[i]->BeforeMessage)
                hooks[i]->BeforeMessage(hooks[i], msg, handled);
    }
    if (event->type() == QV_WINDOW_RECREATED)
        post(QV_HOOK_AGAIN, this);
    if (handled && event->type() != QV_WINDOW_RECREATED)
        return true;
    return false;
}

void TControlHook::AfterEvent(QObject *receiver, QEvent *event, bool &result)
{
    if (receiver != control_ || !callable())
        return;
    TMessage msg{event, event->type(), result};
    bool handled = false;
    const auto hooks = hooks_;
    for (int i = hooks.size() - 1; i >= 0 && !handled; --i)
        if (hooks_.contains(hooks[i]) && hooks[i]->AfterMessage)
            hooks[i]->AfterMessage(hooks[i], msg, handled);
    result = msg.Result;
}

// TQvWindowHook

TQvWindowHook::TQvWindowHook(QObject *owner) : QObject(owner) {}

TQvWindowHook::~TQvWindowHook()
{
    destroying_ = true;
    detach();
    disconnect(controlWatch_);
}

void TQvWindowHook::attach()
{
    if (!control_ || destroying_)
        return;
    HookList *list = hookList(true);
    if (!list)
        return;
    TControlHook *h = list->find(control_);
    if (!h) {
        h = new TControlHook(control_);
        list->hooks.append(h);
    }
    if (!h->Hooks().contains(this))
        h->Hooks().append(this);
    hook_ = h;
    h->Hook();
}

void TQvWindowHook::detach()
{
    TControlHook *h = hook_;
    hook_ = nullptr;
    if (!h)
        return;
    h->Hooks().removeAll(this);
    if (h->Hooks().isEmpty()) {
        h->Unhook();
        post(QV_HOOK_RELEASE, h);
    }
}

void TQvWindowHook::SetActive(bool active)
{
    if (active_ == active)
        return;
    active_ = active;
    if (active)
        attach();
    else
        detach();
}

void TQvWindowHook::SetWinControl(QWidget *control)
{
    if (control == control_)
        return;
    detach();
    disconnect(controlWatch_);
    control_ = control;
    if (control_)
        controlWatch_ = connect(control_, &QObject::destroyed, this, [this] { controlDestroyed(); });
    if (active_)
        attach();
}

void TQvWindowHook::controlDestroyed()
{
    detach();
    control_ = nullptr;
}

bool TQvWindowHook::IsForm() const
{
    return control_ && control_ == parent() && platform::Form::FromWidget(control_);
}

void TQvWindowHook::SetIsForm(bool isForm)
{
    if (isForm && parent() && parent()->isWidgetType())
        SetWinControl(static_cast<QWidget *>(parent()));
}

int ControlHookCount()
{
    HookList *list = hookList(false);
    return list ? int(list->hooks.size()) : 0;
}

bool IsWidgetHooked(const QWidget *widget)
{
    HookList *list = hookList(false);
    TControlHook *h = list ? list->find(widget) : nullptr;
    return h && h->Hooked();
}

} // namespace qv
