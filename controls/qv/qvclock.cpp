#include "qvclock.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <algorithm>

namespace qv {
namespace {

ManualClock *manualClock = nullptr;
QList<RepeatTimer *> manualTimers;

} // namespace

qint64 TickCount()
{
    if (manualClock)
        return manualClock->Now();
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

RepeatTimer::RepeatTimer(QObject *parent) : QObject(parent) {}

RepeatTimer::~RepeatTimer()
{
    manualTimers.removeAll(this);
}

void RepeatTimer::Start(int intervalMs)
{
    Stop();
    interval_ = std::max(1, intervalMs);
    active_ = true;
    if (manualClock) {
        due_ = manualClock->Now() + interval_;
        manualTimers.append(this);
        return;
    }
    if (!timer_) {
        timer_ = new QTimer(this);
        connect(timer_, &QTimer::timeout, this, &RepeatTimer::fire);
    }
    timer_->start(interval_);
}

void RepeatTimer::SetInterval(int intervalMs)
{
    if (active_)
        Start(intervalMs);
    else
        interval_ = std::max(1, intervalMs);
}

void RepeatTimer::Stop()
{
    active_ = false;
    manualTimers.removeAll(this);
    if (timer_)
        timer_->stop();
}

void RepeatTimer::fire()
{
    if (active_ && OnTimer)
        OnTimer();
}

ManualClock::ManualClock(qint64 start) : now_(start)
{
    manualClock = this;
}

ManualClock::~ManualClock()
{
    // Timers started on this clock stop with it rather than firing at a time that never comes.
    for (RepeatTimer *t : std::as_const(manualTimers))
        t->active_ = false;
    manualTimers.clear();
    if (manualClock == this)
        manualClock = nullptr;
}

void ManualClock::Advance(qint64 ms)
{
    const qint64 target = now_ + std::max<qint64>(0, ms);
    for (;;) {
        RepeatTimer *next = nullptr;
        for (RepeatTimer *t : std::as_const(manualTimers))
            if (t->due_ <= target && (!next || t->due_ < next->due_))
                next = t;
        if (!next)
            break;
        now_ = next->due_;
        next->due_ += next->interval_;
        // The handler may stop, restart or destroy any timer; the list is searched afresh after it.
        next->fire();
    }
    now_ = target;
}

} // namespace qv
