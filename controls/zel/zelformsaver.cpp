#include "zelformsaver.h"

#include "controls/qv/qvplacement.h"
#include "platform/error.h"

#include <QWindowStateChangeEvent>

namespace zel {
namespace {

QWidget *ownerWidget(QObject *owner)
{
    if (!owner || !owner->isWidgetType())
        throw platform::Error(QStringLiteral("Invalid class typecast"));
    return static_cast<QWidget *>(owner);
}

// The controls placed directly on a widget, in creation order; other windows parented to it are not.
QList<QWidget *> controlsOf(QWidget *parent)
{
    QList<QWidget *> out;
    for (QObject *child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto *w = static_cast<QWidget *>(child);
        // Qt's own inner widgets (scroll area viewports and the like) are the widget's business.
        if (w->isWindow() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        out.append(w);
    }
    return out;
}

int stateValue(Qt::WindowState state)
{
    switch (state) {
    case Qt::WindowMinimized:
        return 1;
    case Qt::WindowMaximized:
        return 3;
    default:
        return 2;
    }
}

} // namespace

// TZELHookComponent

TZELHookComponent::TZELHookComponent(QObject *owner) : TZELSystemsComponent(owner), owner_(ownerWidget(owner))
{
    hook();
}

TZELHookComponent::~TZELHookComponent()
{
    unhook();
}

void TZELHookComponent::hook()
{
    if (hooked_ || !owner_)
        return;
    owner_->installEventFilter(this);
    hooked_ = true;
}

void TZELHookComponent::unhook()
{
    if (hooked_ && owner_)
        owner_->removeEventFilter(this);
    hooked_ = false;
}

void TZELHookComponent::Loaded()
{
    // A filter stays on the widget when its window is re-created; only a lost hook is put back.
    hook();
}

void TZELHookComponent::WndProc(qv::TMessage &msg)
{
    msg.Result = false;
}

bool TZELHookComponent::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != owner_)
        return false;
    qv::TMessage msg{event, event->type(), false};
    WndProc(msg);
    return msg.Result;
}

// TZELFormSaver

TZELFormSaver::TZELFormSaver(QObject *owner) : TZELHookComponent(owner), form_(platform::Form::FromWidget(owner))
{
    if (!form_)
        throw platform::Error(QStringLiteral("Invalid class typecast"));
    savedOnShow_ = form_->OnShow;
    savedOnClose_ = form_->OnClose;
    form_->OnShow = [this](QObject *sender) { restoreHandler(sender); };
    form_->OnClose = [this](QObject *sender, platform::TCloseAction &action) { storeHandler(sender, action); };
    destroyListener_ = form_->AddDestroyListener([this](platform::Form *) { form_ = nullptr; });
}

TZELFormSaver::~TZELFormSaver()
{
    if (form_) {
        form_->OnShow = savedOnShow_;
        form_->OnClose = savedOnClose_;
        form_->RemoveDestroyListener(destroyListener_);
    }
}

void TZELFormSaver::WndProc(qv::TMessage &msg)
{
    if (msg.Msg == QEvent::WindowStateChange && form_) {
        const auto *e = static_cast<QWindowStateChangeEvent *>(msg.Event);
        const Qt::WindowStates minMax = Qt::WindowMinimized | Qt::WindowMaximized;
        const Qt::WindowStates now = OwnerForm()->windowState() & minMax;
        // Entering the maximised or minimised state: remember the bounds it leaves.
        if (now && now != (e->oldState() & minMax)) {
            QRect bounds;
            if (form_->NormalBounds(&bounds)) {
                snapshot_ = bounds;
                snapshotTaken_ = true;
            }
        }
    }
    TZELHookComponent::WndProc(msg);
}

int TZELFormSaver::readInteger(const QString &name, int def)
{
    store_.ErrorInt = def;
    return store_.ReadInteger(name);
}

bool TZELFormSaver::readBool(const QString &name, bool def)
{
    store_.ErrorBool = def;
    return store_.ReadBool(name);
}

void TZELFormSaver::writeBounds(const QString &name, const QRect &bounds, bool place, bool size)
{
    if (StoreSize && size) {
        store_.WriteInteger(name + QStringLiteral("_Width"), bounds.width());
        store_.WriteInteger(name + QStringLiteral("_Height"), bounds.height());
    }
    if (StoreLocation && place) {
        store_.WriteInteger(name + QStringLiteral("_Top"), bounds.top());
        store_.WriteInteger(name + QStringLiteral("_Left"), bounds.left());
    }
}

void TZELFormSaver::readBounds(const QString &name, QWidget *widget, bool size, bool form)
{
    // Each value is read with the current one as default, one after the other. A value that changes
    // nothing is not applied: a window given a place or size is no longer placed or sized by the window
    // system when it is first shown (a dialog would no longer be centred). A form's size or place that
    // cannot be shown is not used either: the form keeps its designed one.
    QSize wanted = widget->size();
    if (StoreSize && size) {
        const QSize stored(readInteger(name + QStringLiteral("_Width"), widget->width()),
                           readInteger(name + QStringLiteral("_Height"), widget->height()));
        if (!form || qv::ShowableSize(stored))
            wanted = stored;
    }
    QPoint place = widget->pos();
    bool pin = false;
    if (StoreLocation) {
        const QString left = name + QStringLiteral("_Left"), top = name + QStringLiteral("_Top");
        const QPoint stored(readInteger(left, widget->x()), readInteger(top, widget->y()));
        if (!form || qv::ShowablePlace(widget, stored, wanted)) {
            place = stored;
            // A form being shown, which the window system has not placed yet, reports a stand-in place; a
            // stored place equal to it is still the form's, or the window system would put it elsewhere.
            QString text;
            pin = form && widget->testAttribute(Qt::WA_WState_Created) && !widget->testAttribute(Qt::WA_Moved) &&
                  store_.ReadStored(left, &text) && store_.ReadStored(top, &text);
        }
    }
    if (wanted != widget->size())
        widget->resize(wanted);
    if (place != widget->pos() || pin)
        platform::MoveFrame(widget, place);
}

void TZELFormSaver::storeHandler(QObject *sender, platform::TCloseAction &action)
{
    if (savedOnClose_)
        savedOnClose_(sender, action);
    if (!store_.Enabled)
        return;
    if (OnStore)
        OnStore(sender);
    for (platform::Form *f : platform::Form::Forms())
        storeForm(f);
}

bool TZELFormSaver::normalBounds(platform::Form *form, QRect *bounds) const
{
    if (form->State() == Qt::WindowNoState) {
        *bounds = form->Bounds();
        return true;
    }
    // The saver's own form: the bounds it had before it was last maximised or minimised. Another form
    // keeps its own normal bounds (never the saver form's).
    if (form == form_) {
        *bounds = snapshot_;
        return snapshotTaken_;
    }
    return form->NormalBounds(bounds);
}

void TZELFormSaver::storeForm(platform::Form *form)
{
    const QString name = form->ClassName();
    if (StoreState)
        store_.WriteInteger(name + QStringLiteral("_WindowState"), stateValue(form->State()));
    // A window that was never shown nor placed or sized by the program has no place or size of its own
    // yet: what it reports is a stand-in, and writing it would pin the window there from the next start.
    QWidget *frame = form->Frame();
    const bool made = frame->testAttribute(Qt::WA_WState_Created);
    QRect bounds;
    if (normalBounds(form, &bounds))
        writeBounds(name, bounds, made || frame->testAttribute(Qt::WA_Moved), made || frame->testAttribute(Qt::WA_Resized));
    if (StoreVisible)
        store_.WriteBool(name + QStringLiteral("_Visible"), form->Frame()->isVisible());
    if (StoreControls)
        for (QWidget *c : controlsOf(form->Widget()))
            storeControl(c);
}

void TZELFormSaver::storeControl(QWidget *control)
{
    bool result = true;
    if (OnStoreControl)
        OnStoreControl(control, result);
    if (!result)
        return;
    const QString name = control->objectName();
    // An unnamed control has no key of its own; what it holds may have.
    if (!name.isEmpty()) {
        writeBounds(name, control->geometry(), true, true);
        if (StoreVisible)
            store_.WriteBool(name + QStringLiteral("_Visible"), control->isVisibleTo(control->parentWidget()));
    }
    for (QWidget *c : controlsOf(control))
        storeControl(c);
}

void TZELFormSaver::restoreHandler(QObject *sender)
{
    if (savedOnShow_)
        savedOnShow_(sender);
    if (store_.Enabled)
        for (platform::Form *f : platform::Form::Forms())
            restoreForm(f);
    if (OnRestore)
        OnRestore(sender);
}

void TZELFormSaver::restoreForm(platform::Form *form)
{
    const QString name = form->ClassName();
    QWidget *frame = form->Frame();
    readBounds(name, frame, form->State() == Qt::WindowNoState, true);
    // A stored visibility applies only to windows that may start hidden: the main window, and the form
    // being shown now, are shown whatever was stored, or the program would have no window to use or end.
    if (StoreVisible && form != platform::Form::MainForm() && form != form_)
        frame->setVisible(readBool(name + QStringLiteral("_Visible"), frame->isVisible()));
    if (StoreState) {
        switch (readInteger(name + QStringLiteral("_WindowState"), 2)) {
        case 1:
            form->SetState(Qt::WindowMinimized);
            break;
        case 2:
            form->SetState(Qt::WindowNoState);
            break;
        case 3:
            form->SetState(Qt::WindowMaximized);
            break;
        default:
            break; // not a state: left as it is
        }
    }
    if (StoreControls)
        for (QWidget *c : controlsOf(form->Widget()))
            restoreControl(c);
}

void TZELFormSaver::restoreControl(QWidget *control)
{
    const QString name = control->objectName();
    if (!name.isEmpty()) {
        readBounds(name, control, true, false);
        if (StoreVisible)
            control->setVisible(readBool(name + QStringLiteral("_Visible"), control->isVisibleTo(control->parentWidget())));
    }
    for (QWidget *c : controlsOf(control))
        restoreControl(c);
}

} // namespace zel
