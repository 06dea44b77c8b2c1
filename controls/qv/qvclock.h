#pragma once
// Time for the control set's repeat timers and typing pauses: the monotonic clock, or a clock driven by
// hand that tests install to step time without waiting.
#include <QObject>
#include <functional>

class QTimer;

namespace qv {

// Milliseconds since an arbitrary start.
qint64 TickCount();

// A repeating timer of the user-interface thread that follows the installed clock.
class RepeatTimer : public QObject {
    Q_OBJECT
public:
    explicit RepeatTimer(QObject *parent = nullptr);
    ~RepeatTimer() override;

    // (Re)starts: the first tick comes one interval from now.
    void Start(int intervalMs);
    // A running timer restarts with the new interval.
    void SetInterval(int intervalMs);
    void Stop();
    bool Active() const { return active_; }
    int Interval() const { return interval_; }

    std::function<void()> OnTimer;

private:
    friend class ManualClock;
    void fire();
    QTimer *timer_ = nullptr;
    bool active_ = false;
    int interval_ = 0;
    qint64 due_ = 0; // on a manual clock
};

// While alive, TickCount() and every timer started meanwhile follow this clock; nothing fires until
// Advance() moves time on. One at a time.
class ManualClock {
public:
    explicit ManualClock(qint64 start = 1000000);
    ~ManualClock();
    ManualClock(const ManualClock &) = delete;
    ManualClock &operator=(const ManualClock &) = delete;

    qint64 Now() const { return now_; }
    // Fires the timers that fall due, in time order, each at its own moment.
    void Advance(qint64 ms);

private:
    friend class RepeatTimer;
    qint64 now_;
};

} // namespace qv
