#pragma once
// Bases of the ZEL component set: the plain component, and the component that runs one job on Execute.
#include <QObject>
#include <functional>

namespace zel {

// A notify event: the handler learns only which object sent it.
using TNotifyEvent = std::function<void(QObject *sender)>;

class TZELSystemsComponent : public QObject {
    Q_OBJECT
public:
    explicit TZELSystemsComponent(QObject *owner = nullptr) : QObject(owner) {}
};

class TZELExecuteComponent : public TZELSystemsComponent {
    Q_OBJECT
public:
    explicit TZELExecuteComponent(QObject *owner = nullptr) : TZELSystemsComponent(owner) {}
    virtual bool Execute() { return false; }
};

} // namespace zel
