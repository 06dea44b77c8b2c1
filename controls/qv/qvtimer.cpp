#include "qvtimer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QMutex>
#include <QTimer>
#include <QWaitCondition>
#include <atomic>
#include <memory>

namespace qv {

namespace {

// One call handed to the user-interface thread.
struct SyncCall {
    bool started = false;
    bool done = false;
    bool dropped = false;
};

} // namespace

// Everything the worker and the user-interface thread share, under one lock. Held by both and by queued
// calls, so that it outlives the timer object.
struct TimerShared {
    QMutex mutex;
    QWaitCondition wake;
    bool enabled = true;
    unsigned interval = 1000;
    bool syncEvent = true;
    bool threaded = true;
    TThreadPriority priority = tpNormal;
    TQvTimer::Handler handler;
    bool destroying = false;
    // The worker's plan.
    bool running = false;
    bool terminated = false;
    unsigned threadInterval = 1000;
    quint64 generation = 0;
    std::atomic<bool> inWorkerTick{false};
    bool parked = false;
    int pendingCalls = 0;
    // Calls handed to the user-interface thread by other threads that wait for them.
    QList<std::shared_ptr<SyncCall>> waitingCalls;

    // Drops the calls that have not started; with the lock held.
    void dropWaitingCalls()
    {
        for (const std::shared_ptr<SyncCall> &call : waitingCalls)
            if (!call->started && !call->dropped) {
                call->dropped = true;
                --pendingCalls;
            }
        wake.wakeAll();
    }
};

namespace {

QThread::Priority qtPriority(TThreadPriority p)
{
    switch (p) {
    case tpIdle: return QThread::IdlePriority;
    case tpLowest: return QThread::LowestPriority;
    case tpLower: return QThread::LowPriority;
    case tpHigher: return QThread::HighPriority;
    case tpHighest: return QThread::HighestPriority;
    case tpTimeCritical: return QThread::TimeCriticalPriority;
    default: return QThread::NormalPriority;
    }
}

} // namespace

TTimerThread::TTimerThread(TQvTimer *timer, std::shared_ptr<TimerShared> shared)
    : timer_(timer), shared_(std::move(shared))
{
}

void TTimerThread::run()
{
    TimerShared &s = *shared_;
    QMutexLocker lock(&s.mutex);
    while (!s.terminated) {
        if (!s.running) {
            s.parked = true;
            s.wake.wait(&s.mutex);
            s.parked = false;
            continue;
        }
        const quint64 plan = s.generation;
        QDeadlineTimer deadline(qint64(s.threadInterval));
        bool fullTime = false;
        while (!s.terminated && s.generation == plan) {
            if (!s.wake.wait(&s.mutex, deadline)) {
                fullTime = true;
                break;
            }
        }
        if (!fullTime || s.terminated || s.generation != plan || !s.running || !s.enabled ||
            QCoreApplication::closingDown())
            continue;
        const bool sync = s.syncEvent;
        lock.unlock();
        if (sync) {
            // The next interval starts once the handler has run: a busy user-interface thread spaces the
            // ticks out, none is skipped or merged.
            timer_->RunInMainThread([timer = timer_] { timer->Tick(); });
        } else {
            s.inWorkerTick = true;
            timer_->Tick();
            s.inWorkerTick = false;
        }
        lock.relock();
    }
}

TQvTimer::TimerEvent &TQvTimer::TimerEvent::operator=(Handler handler)
{
    owner_->setHandler(std::move(handler));
    return *this;
}

TQvTimer::TimerEvent::operator bool() const { return bool(owner_->handler()); }

void TQvTimer::TimerEvent::operator()(QObject *sender) const
{
    if (const Handler h = owner_->handler())
        h(sender);
}

TQvTimer::TQvTimer(QObject *owner) : QObject(owner), shared_(std::make_shared<TimerShared>())
{
    thread_ = new TTimerThread(this, shared_);
    thread_->start(); // it parks at once: no plan yet
}

TQvTimer::~TQvTimer()
{
    {
        QMutexLocker lock(&shared_->mutex);
        shared_->destroying = true;
        shared_->enabled = false;
        shared_->handler = nullptr;
        shared_->running = false;
        shared_->terminated = true;
        shared_->dropWaitingCalls();
        ++shared_->generation;
        shared_->wake.wakeAll();
    }
    // The worker leaves its wait at once; a handler running on it finishes first.
    thread_->wait();
    delete thread_;
    if (windowTimer_)
        windowTimer_->stop();
}

template <typename T>
T TQvTimer::get(T TimerShared::*field) const
{
    QMutexLocker lock(&shared_->mutex);
    return (*shared_).*field;
}

template <typename T>
void TQvTimer::set(T TimerShared::*field, T value, bool replan)
{
    QMutexLocker lock(&shared_->mutex);
    if (value == (*shared_).*field || shared_->destroying)
        return;
    (*shared_).*field = value;
    if (replan)
        replanLocked();
}

bool TQvTimer::Enabled() const { return get(&TimerShared::enabled); }
void TQvTimer::SetEnabled(bool value) { set(&TimerShared::enabled, value, true); }
unsigned TQvTimer::Interval() const { return get(&TimerShared::interval); }
void TQvTimer::SetInterval(unsigned value) { set(&TimerShared::interval, value, true); }
bool TQvTimer::SyncEvent() const { return get(&TimerShared::syncEvent); }
void TQvTimer::SetSyncEvent(bool value) { set(&TimerShared::syncEvent, value, false); }
bool TQvTimer::Threaded() const { return get(&TimerShared::threaded); }
void TQvTimer::SetThreaded(bool value) { set(&TimerShared::threaded, value, true); }
TThreadPriority TQvTimer::ThreadPriority() const { return get(&TimerShared::priority); }
void TQvTimer::SetThreadPriority(TThreadPriority value) { set(&TimerShared::priority, value, Threaded()); }
bool TQvTimer::ThreadActive() const { return get(&TimerShared::running); }
bool TQvTimer::WorkerParked() const { return get(&TimerShared::parked); }
bool TQvTimer::WindowTimerActive() const { return windowTimer_ && windowTimer_->isActive(); }
int TQvTimer::PendingCalls() const { return get(&TimerShared::pendingCalls); }

void TQvTimer::setHandler(Handler handler)
{
    QMutexLocker lock(&shared_->mutex);
    if (shared_->destroying)
        return;
    const bool wasAssigned = bool(shared_->handler);
    shared_->handler = std::move(handler);
    if (wasAssigned != bool(shared_->handler))
        replanLocked();
}

TQvTimer::Handler TQvTimer::handler() const
{
    QMutexLocker lock(&shared_->mutex);
    return shared_->handler;
}

void TQvTimer::replanLocked()
{
    TimerShared &s = *shared_;
    const bool active = s.interval != 0 && s.enabled && s.handler;
    // One mechanism at a time: the worker's plan and the window timer are both set from the same state.
    s.running = s.threaded && active;
    s.threadInterval = s.interval;
    // A stopped timer's tick never runs, also one the worker already handed over.
    if (!s.running)
        s.dropWaitingCalls();
    ++s.generation;
    s.wake.wakeAll();
    if (s.running)
        thread_->setPriority(qtPriority(s.priority));
    if (QThread::currentThread() == thread()) {
        setWindowTimer(!s.threaded && active, s.interval);
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            bool on;
            unsigned interval;
            {
                QMutexLocker lock(&shared_->mutex);
                const TimerShared &t = *shared_;
                on = !t.threaded && !t.destroying && t.interval != 0 && t.enabled && t.handler;
                interval = t.interval;
            }
            setWindowTimer(on, interval);
        },
        Qt::QueuedConnection);
}

void TQvTimer::setWindowTimer(bool on, unsigned interval)
{
    if (!on) {
        if (windowTimer_)
            windowTimer_->stop();
        return;
    }
    if (!windowTimer_) {
        windowTimer_ = new QTimer(this);
        connect(windowTimer_, &QTimer::timeout, this, &TQvTimer::windowTick);
    }
    windowTimer_->start(int(qMin(interval, unsigned(INT_MAX))));
}

void TQvTimer::windowTick()
{
    if (shared_->inWorkerTick)
        return; // the worker's last tick is still running
    Tick();
}

void TQvTimer::Tick()
{
    Handler h;
    {
        QMutexLocker lock(&shared_->mutex);
        if (!shared_->enabled || shared_->destroying || !shared_->handler)
            return;
        h = shared_->handler;
    }
    h(this);
}

bool TQvTimer::RunInMainThread(const std::function<void()> &method)
{
    if (QThread::currentThread() == thread()) {
        method();
        return true;
    }
    std::shared_ptr<TimerShared> shared = shared_;
    QMutexLocker lock(&shared->mutex);
    if (shared->terminated || !shared->running)
        return false;
    auto call = std::make_shared<SyncCall>();
    QMetaObject::invokeMethod(
        this,
        [shared, call, method] {
            {
                QMutexLocker inner(&shared->mutex);
                if (call->dropped)
                    return;
                call->started = true;
                --shared->pendingCalls;
            }
            method();
            QMutexLocker inner(&shared->mutex);
            call->done = true;
            shared->wake.wakeAll();
        },
        Qt::QueuedConnection);
    ++shared->pendingCalls;
    shared->waitingCalls.append(call);
    // Stopping or destroying the timer releases the wait; a call not yet started is then dropped.
    while (!call->done && !call->dropped && !shared->terminated && (call->started || shared->running))
        shared->wake.wait(&shared->mutex);
    if (!call->done && !call->started && !call->dropped) {
        call->dropped = true;
        --shared->pendingCalls;
    }
    shared->waitingCalls.removeOne(call);
    return call->done;
}

} // namespace qv
