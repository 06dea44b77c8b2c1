#pragma once
// A timer that fires from a worker thread of its own or from an ordinary timer of the user-interface
// thread. With SyncEvent the handler runs on the user-interface thread and the worker waits until it has
// run; without, it runs on the worker. The timer can be stopped or destroyed at any moment: the worker
// only ever parks at its own waiting points, and nothing waits out an interval.
#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

class QTimer;

namespace qv {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TQvTimer;
struct TimerShared;

// The worker: sleeps the interval and fires, until it is terminated.
class TTimerThread : public QThread {
    Q_OBJECT
public:
    TTimerThread(TQvTimer *timer, std::shared_ptr<TimerShared> shared);

protected:
    void run() override;

private:
    TQvTimer *timer_;
    std::shared_ptr<TimerShared> shared_;
};

class TQvTimer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QObject *sender)>;

    // OnTimer holds a handler like a std::function member; assigning or clearing it re-plans the timer.
    class TimerEvent {
    public:
        TimerEvent &operator=(Handler handler);
        TimerEvent &operator=(std::nullptr_t) { return *this = Handler(); }
        explicit operator bool() const;
        void operator()(QObject *sender) const;

    private:
        friend class TQvTimer;
        explicit TimerEvent(TQvTimer *owner) : owner_(owner) {}
        TimerEvent(const TimerEvent &) = delete;
        TQvTimer *owner_;
    };

    explicit TQvTimer(QObject *owner = nullptr);
    ~TQvTimer() override;

    bool Enabled() const;
    void SetEnabled(bool value);
    unsigned Interval() const;
    void SetInterval(unsigned value);
    bool SyncEvent() const;
    void SetSyncEvent(bool value);
    bool Threaded() const;
    void SetThreaded(bool value);
    TThreadPriority ThreadPriority() const;
    void SetThreadPriority(TThreadPriority value);

    TimerEvent OnTimer{this};

    // Calls OnTimer with the timer as sender while enabled, assigned and not being destroyed.
    virtual void Tick();
    // Runs the method on the user-interface thread: directly when called there, else through the
    // worker's synchronisation (waiting until it ran). A call from another thread while the timer is
    // stopping or being destroyed is dropped; returns whether the method ran.
    bool RunInMainThread(const std::function<void()> &method);

    // Whether the worker is running its loop (not parked); for tests and diagnostics.
    bool ThreadActive() const;
    // For tests and diagnostics too: whether the worker waits for a plan (so it cannot tick until the timer
    // is re-planned), whether the user-interface thread's timer runs, and how many calls the worker has
    // handed to the user-interface thread that have not started there yet (ticks and RunInMainThread).
    bool WorkerParked() const;
    bool WindowTimerActive() const;
    int PendingCalls() const;

private:
    friend class TTimerThread;
    template <typename T>
    T get(T TimerShared::*field) const;
    // Sets a field when it differs (and the timer is not being destroyed), re-planning when asked.
    template <typename T>
    void set(T TimerShared::*field, T value, bool replan);
    void setHandler(Handler handler);
    Handler handler() const;
    // Re-plans with the shared lock held.
    void replanLocked();
    // The user-interface thread's timer, used when not threaded.
    void setWindowTimer(bool on, unsigned interval);
    void windowTick();

    std::shared_ptr<TimerShared> shared_;
    TTimerThread *thread_ = nullptr;
    QTimer *windowTimer_ = nullptr;
};

} // namespace qv
