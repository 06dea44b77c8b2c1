#pragma once
// The base of every form (top-level window, dialog or MDI document window): the form's events as the
// other parts of the program chain them (OnCreate, OnShow, OnCloseQuery, OnClose, OnDestroy), the list of
// live forms in creation order, a destruction announcement made while the form is still whole, and an
// "after" phase for observers that want to see an event once the form has handled it.
//
// Use it as a base of the Qt class the form really is:
//     class TLink : public platform::FormOf<QDialog> { Q_OBJECT ... };
// and call FinishLoading() at the end of the constructor, after the form's events are assigned.
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <type_traits>

class QEvent;
class QObject;

namespace platform {

class Form;

// What the form does after OnClose: nothing, hide, free, minimise.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

// Components that finish setting themselves up once their form has been built (store edits load their
// value, placements wrap the form's events).
class Loadable {
public:
    virtual ~Loadable() = default;
    virtual void Loaded() = 0;
};

// Sees events after the form has handled them (and that nothing before swallowed); may change the result.
class EventObserver {
public:
    virtual ~EventObserver() = default;
    virtual void AfterEvent(QObject *receiver, QEvent *event, bool &result) = 0;
};

using TNotifyEvent = std::function<void(QObject *sender)>;
using TCloseQueryEvent = std::function<void(QObject *sender, bool &canClose)>;
using TCloseEvent = std::function<void(QObject *sender, TCloseAction &action)>;

class Form {
public:
    virtual ~Form();
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TNotifyEvent OnDestroy;

    // The form as a widget.
    QWidget *Widget() const { return widget_; }
    // The window that carries the form's position and size: the MDI sub-window of a document window,
    // else the form itself.
    QWidget *Frame() const;
    bool IsMdiChild() const;
    // A main window whose central widget is an MDI area.
    bool IsMdiFrame() const;

    // Position and size as the program keeps them: the frame's position (decoration included, relative to
    // the MDI area for a document window) and its client size.
    QRect Bounds() const;
    void SetBounds(const QRect &bounds);
    // The bounds the form has in the normal state, or had before it was maximised or minimised; false when
    // that is unknown (a maximised or minimised document window).
    bool NormalBounds(QRect *bounds) const;
    // Normal, minimised or maximised (the other state bits are kept when set).
    Qt::WindowState State() const;
    void SetState(Qt::WindowState state);

    // The form's own class name without namespace (TFrameForm); stays right while the form is destroyed.
    QString ClassName() const;

    // Runs Loaded() of every Loadable object inside the form, then OnCreate. Once; forms call it at the end
    // of their constructor, and it runs on the first show of a form that did not.
    void FinishLoading();
    bool Loading() const { return !loaded_; }

    // Fires OnDestroy and tells the observers of destruction; once. Runs while the form is whole when the
    // form is closed with caFree, deleted with deleteLater() or destroyed by DestroyForms(); otherwise from
    // the destructor.
    void AnnounceDestruction();
    bool Destroying() const { return destroying_; }

    void AddEventObserver(EventObserver *observer);
    void RemoveEventObserver(EventObserver *observer);
    // Called when the form announces its destruction, after OnDestroy.
    int AddDestroyListener(std::function<void(Form *)> listener);
    void RemoveDestroyListener(int id);

    // Live forms in creation order; the first is the main form.
    static QList<Form *> Forms();
    static Form *MainForm();
    static Form *FromWidget(const QObject *object);
    // The form a widget sits on (the nearest form among its ancestors, the widget itself included).
    static Form *ParentForm(const QObject *object);
    // Destroys the forms still open, newest first, each announced while whole (application exit).
    static void DestroyForms();

protected:
    explicit Form(QWidget *self);
    // The event handling of FormOf: runs handled() (the Qt class's own event()) with the form's events
    // and the "after" observers around it.
    bool dispatchEvent(QEvent *event, const std::function<bool(QEvent *)> &handled);
    // The announcement from the destructor of FormOf.
    void destructing();

private:
    void handleClose(QEvent *event);
    void rememberClassName() const;
    void announce();

    QWidget *widget_;
    mutable QString className_;
    bool loaded_ = false;
    bool destroying_ = false;
    QList<EventObserver *> observers_;
    QList<QPair<int, std::function<void(Form *)>>> destroyListeners_;
    int nextListener_ = 1;
};

template <class Base>
class FormOf : public Base, public Form {
public:
    template <class... Args>
        requires std::is_constructible_v<Base, Args...>
    explicit FormOf(Args &&...args) : Base(std::forward<Args>(args)...), Form(this)
    {
    }
    FormOf(const FormOf &) = delete;
    FormOf &operator=(const FormOf &) = delete;
    ~FormOf() override { destructing(); }

protected:
    bool event(QEvent *e) override
    {
        return dispatchEvent(e, [this](QEvent *ev) { return Base::event(ev); });
    }
};

// A class name without its namespace.
QString ClassName(const QObject *object);

// Puts a window's frame (decoration included) at place, as Form::Bounds() reads it; another widget is
// moved as it is. Qt takes a place given to a window that exists but is not framed yet for its client
// area's, so each start would shift the window by its title bar.
void MoveFrame(QWidget *window, QPoint place);

} // namespace platform
