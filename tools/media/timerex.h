#pragma once
// A non-visual timer that fires OnTimer every Interval milliseconds from a worker thread of its own or
// from a timer of the user-interface thread. A face over the threaded timer core: ThreadSafe lets the
// handler run on the worker, otherwise it runs on the user-interface thread. Stopping, re-timing and
// destroying never wait out an interval.
#include "controls/qv/qvtimer.h"

#include <QMutex>
#include <QObject>
#include <functional>

namespace media {

using qv::TThreadPriority;

class TTimerEx : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QObject *sender)>;

    explicit TTimerEx(QObject *owner = nullptr);
    ~TTimerEx() override;

    bool Enabled() const { return core_->Enabled(); }
    void SetEnabled(bool value) { core_->SetEnabled(value); }
    unsigned Interval() const { return core_->Interval(); }
    void SetInterval(unsigned value) { core_->SetInterval(value); }
    bool Threaded() const { return core_->Threaded(); }
    void SetThreaded(bool value) { core_->SetThreaded(value); }
    TThreadPriority ThreadPriority() const { return core_->ThreadPriority(); }
    void SetThreadPriority(TThreadPriority value) { core_->SetThreadPriority(value); }
    bool ThreadSafe() const { return !core_->SyncEvent(); }
    void SetThreadSafe(bool value) { core_->SetSyncEvent(!value); }

    Handler OnTimer() const;
    void SetOnTimer(Handler handler);

    // Fires OnTimer with this timer as sender when enabled and bound.
    virtual void Timer();

    // The core, for tests and diagnostics (worker state, queued ticks).
    const qv::TQvTimer &Core() const { return *core_; }

private:
    qv::TQvTimer *core_;
    // Read by the worker when ThreadSafe.
    mutable QMutex handlerLock_;
    Handler onTimer_;
};

} // namespace media
