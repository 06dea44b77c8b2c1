#pragma once
// Window hooks: a component sees every event of another widget (usually its form) before the widget
// handles it, and, when the widget is a platform::Form, after it. Several hooks on one widget share one
// control hook; the most recently attached hook is asked first.
#include "platform/form.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace qv {

// One event as a hook sees it. Before: setting Handled swallows the event (the widget never sees it).
// After: Result is what the widget's own handling returned and may be changed.
struct TMessage {
    QEvent *Event = nullptr;
    QEvent::Type Msg = QEvent::None;
    bool Result = false;
};

using THookMessageEvent = std::function<void(QObject *sender, TMessage &msg, bool &handled)>;

// Private events of the hook list: hook again after the widget's window was re-created, and release a
// control hook that no component uses any more.
constexpr int QV_HOOK_AGAIN = 0xB052;
constexpr int QV_HOOK_RELEASE = 0xB053;

// The widget event that no hook can swallow and after which the widget is hooked again: its native
// window was re-created.
constexpr QEvent::Type QV_WINDOW_RECREATED = QEvent::WinIdChange;

class TControlHook;

class TQvWindowHook : public QObject {
    Q_OBJECT
public:
    explicit TQvWindowHook(QObject *owner = nullptr);
    ~TQvWindowHook() override;

    bool Active() const { return active_; }
    void SetActive(bool active);
    QWidget *WinControl() const { return control_; }
    void SetWinControl(QWidget *control);
    // True when the hooked widget is the owner form; setting True hooks the owner form.
    bool IsForm() const;
    void SetIsForm(bool isForm);

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

    void HookControl() { SetActive(true); }
    void UnhookControl() { SetActive(false); }

private:
    friend class TControlHook;
    void attach();
    void detach();
    void controlDestroyed();

    bool active_ = true;
    bool destroying_ = false;
    QPointer<QWidget> control_;
    QMetaObject::Connection controlWatch_;
    TControlHook *hook_ = nullptr;
};

// Diagnostics for tests: the number of live control hooks, and whether a widget's events pass a hook.
int ControlHookCount();
bool IsWidgetHooked(const QWidget *widget);

} // namespace qv
