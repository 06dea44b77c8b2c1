#pragma once
// The form saver: when its form closes it writes the position, size, state and visibility of every form
// of the application (and optionally of their controls) into a data store, and reads them back when its
// form is shown. It sees its form's window-state changes through a hook on the form.
#include "controls/qv/qvhooks.h"
#include "controls/zel/systemscomponent.h"
#include "controls/zel/zelstores.h"
#include "platform/form.h"

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

namespace zel {

// Watches the events of its owner, which must be a widget, before the owner handles them.
class TZELHookComponent : public TZELSystemsComponent, public platform::Loadable {
    Q_OBJECT
public:
    // Raises platform::Error "Invalid class typecast" when the owner is not a widget.
    explicit TZELHookComponent(QObject *owner);
    ~TZELHookComponent() override;

    QWidget *OwnerForm() const { return owner_; }
    void Loaded() override;

protected:
    // Sees each event of the owner; setting msg.Result swallows it. The base passes it on.
    virtual void WndProc(qv::TMessage &msg);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void hook();
    void unhook();
    QPointer<QWidget> owner_;
    bool hooked_ = false;
};

using TZELOnStoreControl = std::function<void(QObject *sender, bool &result)>;

class TZELFormSaver : public TZELHookComponent {
    Q_OBJECT
public:
    // The owner must be a form (platform::Form); its OnShow and OnClose are chained.
    explicit TZELFormSaver(QObject *owner);
    ~TZELFormSaver() override;

    TZELDataStore *FormStore() { return &store_; }
    bool StoreSize = true;
    bool StoreLocation = true;
    bool StoreState = true;
    bool StoreVisible = true;
    bool StoreControls = true;

    platform::TNotifyEvent OnStore;
    TZELOnStoreControl OnStoreControl;
    platform::TNotifyEvent OnRestore;

    // The owner's bounds before it was last maximised or minimised, once that happened.
    bool HasSnapshot() const { return snapshotTaken_; }
    QRect Snapshot() const { return snapshot_; }

protected:
    void WndProc(qv::TMessage &msg) override;

private:
    void storeHandler(QObject *sender, platform::TCloseAction &action);
    void restoreHandler(QObject *sender);
    void storeForm(platform::Form *form);
    void storeControl(QWidget *control);
    void restoreForm(platform::Form *form);
    void restoreControl(QWidget *control);
    bool normalBounds(platform::Form *form, QRect *bounds) const;
    // place, size: whether the position, the size are the widget's own to write.
    void writeBounds(const QString &name, const QRect &bounds, bool place, bool size);
    // size: whether the size may be read (a form only in the normal state); form: whether the widget is
    // a form, whose size and place must be ones that can be shown.
    void readBounds(const QString &name, QWidget *widget, bool size, bool form);
    int readInteger(const QString &name, int def);
    bool readBool(const QString &name, bool def);

    TZELDataStore store_;
    platform::Form *form_ = nullptr; // cleared when the form announces its destruction
    int destroyListener_ = 0;
    platform::TNotifyEvent savedOnShow_;
    platform::TCloseEvent savedOnClose_;
    bool snapshotTaken_ = false;
    QRect snapshot_;
};

} // namespace zel
