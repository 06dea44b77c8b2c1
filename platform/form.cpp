#include "form.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QWindow>

namespace platform {
namespace {

QList<Form *> &liveForms()
{
    static QList<Form *> forms;
    return forms;
}

void loadTree(QObject *object)
{
    for (QObject *child : object->children()) {
        // A form inside a form loads itself.
        if (Form::FromWidget(child))
            continue;
        if (auto *l = dynamic_cast<Loadable *>(child))
            l->Loaded();
        loadTree(child);
    }
}

} // namespace

QString ClassName(const QObject *object)
{
    if (!object)
        return QString();
    if (const Form *f = Form::FromWidget(object))
        return f->ClassName();
    const QString name = QString::fromLatin1(object->metaObject()->className());
    const int colon = name.lastIndexOf(QLatin1String("::"));
    return colon < 0 ? name : name.mid(colon + 2);
}

Form::Form(QWidget *self) : widget_(self)
{
    liveForms().append(this);
}

Form::~Form()
{
    liveForms().removeAll(this);
}

QWidget *Form::Frame() const
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(widget_->parentWidget()))
        return sub;
    return widget_;
}

bool Form::IsMdiChild() const
{
    return qobject_cast<QMdiSubWindow *>(widget_->parentWidget()) != nullptr;
}

bool Form::IsMdiFrame() const
{
    auto *main = qobject_cast<QMainWindow *>(widget_);
    return main && qobject_cast<QMdiArea *>(main->centralWidget());
}

QRect Form::Bounds() const
{
    const QWidget *f = Frame();
    return QRect(f->x(), f->y(), f->width(), f->height());
}

void Form::SetBounds(const QRect &bounds)
{
    QWidget *f = Frame();
    MoveFrame(f, bounds.topLeft());
    f->resize(bounds.size());
}

void MoveFrame(QWidget *window, QPoint place)
{
    window->move(place);
    QWindow *handle = window->isWindow() ? window->windowHandle() : nullptr;
    if (handle && !(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        handle->setFramePosition(place);
}

bool Form::NormalBounds(QRect *bounds) const
{
    const QWidget *f = Frame();
    if (State() == Qt::WindowNoState) {
        *bounds = Bounds();
        return true;
    }
    if (!f->isWindow())
        return false;
    const QRect normal = f->normalGeometry();
    if (!normal.isValid())
        return false;
    const QPoint decoration = f->geometry().topLeft() - f->pos();
    *bounds = QRect(normal.topLeft() - decoration, normal.size());
    return true;
}

Qt::WindowState Form::State() const
{
    const Qt::WindowStates s = Frame()->windowState();
    if (s & Qt::WindowMinimized)
        return Qt::WindowMinimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return Qt::WindowMaximized;
    return Qt::WindowNoState;
}

void Form::SetState(Qt::WindowState state)
{
    QWidget *f = Frame();
    const Qt::WindowStates keep = f->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    f->setWindowState(keep | state);
}

void Form::rememberClassName() const
{
    const QString name = QString::fromLatin1(widget_->metaObject()->className());
    const int colon = name.lastIndexOf(QLatin1String("::"));
    className_ = colon < 0 ? name : name.mid(colon + 2);
}

QString Form::ClassName() const
{
    // While the form is destroyed its Qt class no longer knows the derived name: keep the last one seen.
    if (!destroying_)
        rememberClassName();
    return className_;
}

void Form::FinishLoading()
{
    if (loaded_)
        return;
    loaded_ = true;
    rememberClassName();
    loadTree(widget_);
    if (OnCreate)
        OnCreate(widget_);
}

void Form::AnnounceDestruction()
{
    if (!destroying_)
        rememberClassName();
    announce();
}

void Form::destructing()
{
    // The derived classes are gone: their name survives only if it was seen before.
    if (className_.isEmpty())
        rememberClassName();
    announce();
}

void Form::announce()
{
    if (destroying_)
        return;
    destroying_ = true;
    if (OnDestroy)
        OnDestroy(widget_);
    const auto listeners = destroyListeners_;
    for (const auto &l : listeners)
        l.second(this);
}

void Form::AddEventObserver(EventObserver *observer)
{
    if (!observers_.contains(observer))
        observers_.append(observer);
}

void Form::RemoveEventObserver(EventObserver *observer)
{
    observers_.removeAll(observer);
}

int Form::AddDestroyListener(std::function<void(Form *)> listener)
{
    const int id = nextListener_++;
    destroyListeners_.append({id, std::move(listener)});
    return id;
}

void Form::RemoveDestroyListener(int id)
{
    for (int i = 0; i < destroyListeners_.size(); ++i) {
        if (destroyListeners_[i].first == id) {
            destroyListeners_.removeAt(i);
            return;
        }
    }
}

QList<Form *> Form::Forms()
{
    return liveForms();
}

Form *Form::MainForm()
{
    return liveForms().isEmpty() ? nullptr : liveForms().first();
}

Form *Form::FromWidget(const QObject *object)
{
    Form *f = dynamic_cast<Form *>(const_cast<QObject *>(object));
    return f && liveForms().contains(f) ? f : nullptr;
}

Form *Form::ParentForm(const QObject *object)
{
    for (const QObject *o = object; o; o = o->parent())
        if (Form *f = FromWidget(o))
            return f;
    return nullptr;
}

void Form::DestroyForms()
{
    QList<QPointer<QWidget>> frames;
    const QList<Form *> forms = liveForms();
    for (Form *f : forms)
        frames.append(f->Frame());
    for (int i = frames.size() - 1; i >= 0; --i) {
        if (!frames[i])
            continue;
        // The frame may hold the form (MDI sub-window) or be it.
        for (Form *f : liveForms()) {
            if (f->Frame() == frames[i]) {
                f->AnnounceDestruction();
                break;
            }
        }
        delete frames[i].data();
    }
}

void Form::handleClose(QEvent *event)
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(widget_, canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    TCloseAction action = widget_->testAttribute(Qt::WA_DeleteOnClose) ? caFree : caHide;
    if (OnClose)
        OnClose(widget_, action);
    switch (action) {
    case caNone:
        event->ignore();
        break;
    case caMinimize:
        event->ignore();
        Frame()->showMinimized();
        break;
    case caHide:
        event->accept();
        break;
    case caFree:
        event->accept();
        AnnounceDestruction();
        Frame()->deleteLater();
        break;
    }
}

bool Form::dispatchEvent(QEvent *event, const std::function<bool(QEvent *)> &handled)
{
    switch (event->type()) {
    case QEvent::DeferredDelete:
        AnnounceDestruction();
        break;
    case QEvent::Polish:
        if (!destroying_)
            rememberClassName();
        break;
    case QEvent::Show:
        if (!event->spontaneous() && !destroying_) {
            FinishLoading();
            if (OnShow)
                OnShow(widget_);
        }
        break;
    case QEvent::Close:
        if (!destroying_) {
            handleClose(event);
            if (!event->isAccepted())
                return true;
        }
        break;
    default:
        break;
    }
    const QPointer<QWidget> alive(widget_);
    bool result = handled(event);
    if (!alive)
        return result; // deleted by its own handling
    if (!destroying_ && !observers_.isEmpty()) {
        const auto observers = observers_;
        for (EventObserver *o : observers)
            if (observers_.contains(o))
                o->AfterEvent(widget_, event, result);
    }
    return result;
}

} // namespace platform
