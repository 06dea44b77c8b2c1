// The threaded timer: both mechanisms, re-planning, synchronisation and destruction at any moment.
#include "controls/qv/qvtimer.h"

#include "k5test.h"

#include <QAtomicInt>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QtTest>

using qv::TQvTimer;

namespace {

// Counts ticks and remembers the threads they came from.
struct Recorder {
    QAtomicInt ticks;
    QMutex lock;
    QSet<QThread *> threads;
    QObject *sender = nullptr;
    TQvTimer::Handler handler()
    {
        return [this](QObject *s) {
            QMutexLocker l(&lock);
            sender = s;
            threads.insert(QThread::currentThread());
            ticks.fetchAndAddOrdered(1);
        };
    }
    bool onlyMainThread()
    {
        QMutexLocker l(&lock);
        return threads == QSet<QThread *>{QCoreApplication::instance()->thread()};
    }
    bool onlyOtherThreads()
    {
        QMutexLocker l(&lock);
        return !threads.isEmpty() && !threads.contains(QCoreApplication::instance()->thread());
    }
};

// Waits, without letting this thread's events run, until the worker has handed over as many calls to it
// as given (that have not started).
bool untilPendingCalls(const TQvTimer &t, int count)
{
    QDeadlineTimer limit(10000);
    while (t.PendingCalls() != count && !limit.hasExpired())
        QThread::yieldCurrentThread();
    return t.PendingCalls() == count;
}

} // namespace

class TestQvTimer : public QObject {
    Q_OBJECT

private slots:
    void defaults()
    {
        TQvTimer t;
        QVERIFY(t.Enabled());
        QCOMPARE(t.Interval(), 1000u);
        QVERIFY(t.SyncEvent());
        QVERIFY(t.Threaded());
        QCOMPARE(t.ThreadPriority(), qv::tpNormal);
        QVERIFY(!t.OnTimer);
        QVERIFY(!t.ThreadActive()); // the worker waits for a handler
    }

    void threadedSyncTicksRunOnTheUserInterfaceThread()
    {
        Recorder r;
        TQvTimer t;
        t.SetInterval(10);
        t.OnTimer = r.handler();
        QVERIFY(t.ThreadActive());
        QTRY_VERIFY(r.ticks.loadAcquire() >= 3);
        QVERIFY(r.onlyMainThread());
        QCOMPARE(r.sender, &t);
    }

    // A handler that keeps the user-interface thread busy past the interval holds the worker: it hands
    // nothing further over until the handler has run, and then waits a whole interval again.
    void synchronisedTicksWaitForTheHandler()
    {
        TQvTimer t;
        t.SetInterval(1);
        int ticks = 0, handedOverMeanwhile = 0;
        t.OnTimer = [&](QObject *) {
            ++ticks;
            QDeadlineTimer busy(50);
            while (!busy.hasExpired()) {
                if (t.PendingCalls() != 0)
                    ++handedOverMeanwhile;
                QThread::yieldCurrentThread();
            }
        };
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(handedOverMeanwhile, 0);
        QVERIFY(t.ThreadActive());
    }

    void threadedAsyncTicksRunOnTheWorker()
    {
        Recorder r;
        TQvTimer t;
        t.SetSyncEvent(false);
        t.SetInterval(5);
        t.OnTimer = r.handler();
        QTRY_VERIFY(r.ticks.loadAcquire() >= 3);
        QVERIFY(r.onlyOtherThreads());
    }

    void windowTimerTicks()
    {
        Recorder r;
        TQvTimer t;
        t.SetThreaded(false);
        t.SetInterval(10);
        t.OnTimer = r.handler();
        QVERIFY(!t.ThreadActive());
        QTRY_VERIFY(r.ticks.loadAcquire() >= 3);
        QVERIFY(r.onlyMainThread());
    }

    void intervalZeroStopsBothMechanisms()
    {
        for (bool threaded : {true, false}) {
            Recorder r;
            TQvTimer t;
            t.SetThreaded(threaded);
            t.SetInterval(5);
            t.OnTimer = r.handler();
            QTRY_VERIFY(r.ticks.loadAcquire() >= 1);
            t.SetInterval(0);
            QVERIFY(!t.ThreadActive());
            QVERIFY(!t.WindowTimerActive());
            // Nothing is left that could tick: the worker waits for a plan and has handed nothing over.
            QTRY_VERIFY(t.WorkerParked());
            QCOMPARE(t.PendingCalls(), 0);
            const int seen = r.ticks.loadAcquire();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            QCOMPARE(r.ticks.loadAcquire(), seen);
            QVERIFY(t.WorkerParked());
            QVERIFY(!t.WindowTimerActive());
            QVERIFY(t.Enabled());
        }
    }

    void assigningTheHandlerStartsAnEnabledTimer()
    {
        Recorder r;
        TQvTimer t;
        t.SetInterval(5);
        QVERIFY(!t.ThreadActive());
        t.OnTimer = r.handler();
        QTRY_VERIFY(r.ticks.loadAcquire() >= 1);
        t.OnTimer = nullptr;
        QVERIFY(!t.ThreadActive());
        // A disabled timer does not start on assignment.
        t.SetEnabled(false);
        t.OnTimer = r.handler();
        QVERIFY(!t.ThreadActive());
        t.SetEnabled(true);
        QVERIFY(t.ThreadActive());
    }

    void switchingToTheWindowTimerKeepsTicking()
    {
        Recorder r;
        TQvTimer t;
        t.SetSyncEvent(false);
        t.SetInterval(5);
        t.OnTimer = r.handler();
        QTRY_VERIFY(r.ticks.loadAcquire() >= 2);
        t.SetThreaded(false);
        QVERIFY(t.Enabled());
        QVERIFY(!t.ThreadActive());
        QVERIFY(t.WindowTimerActive());
        QTRY_VERIFY(t.WorkerParked()); // a tick still running on the worker has ended
        {
            QMutexLocker l(&r.lock);
            r.threads.clear();
        }
        const int before = r.ticks.loadAcquire();
        QTRY_VERIFY(r.ticks.loadAcquire() >= before + 3);
        QVERIFY(r.onlyMainThread());
        t.SetThreaded(true);
        QVERIFY(t.ThreadActive());
    }

    void runInMainThread()
    {
        TQvTimer t;
        QThread *ran = nullptr;
        QVERIFY(t.RunInMainThread([&] { ran = QThread::currentThread(); }));
        QCOMPARE(ran, QThread::currentThread());
        // From the worker, while running, the method comes to the user-interface thread.
        QAtomicInt done;
        QThread *where = nullptr;
        t.SetSyncEvent(false);
        t.SetInterval(5);
        t.OnTimer = [&](QObject *) {
            if (done.loadAcquire())
                return;
            t.RunInMainThread([&] { where = QThread::currentThread(); });
            done.storeRelease(1);
        };
        QTRY_VERIFY(done.loadAcquire());
        QCOMPARE(where, QCoreApplication::instance()->thread());
        // From another thread while the timer is stopped, the call is dropped.
        t.SetEnabled(false);
        bool ranStopped = true;
        QThread *other = QThread::create([&] { ranStopped = t.RunInMainThread([] {}); });
        other->start();
        QVERIFY(other->wait(5000));
        delete other;
        QVERIFY(!ranStopped);
    }

    void destroyingNeverWaitsOutTheInterval()
    {
        // An hour's interval: a destructor that slept it out would hang the test.
        for (bool sync : {true, false}) {
            auto *t = new TQvTimer;
            t->SetSyncEvent(sync);
            t->SetInterval(3600 * 1000);
            t->OnTimer = [](QObject *) {};
            QVERIFY(t->ThreadActive());
            delete t;
        }
    }

    void destroyingWhileTheWorkerWaitsForTheUserInterface()
    {
        // The worker is blocked handing a call to a user-interface thread that does not listen; the
        // destructor must release it rather than deadlock.
        auto *t = new TQvTimer;
        bool ran = false;
        t->SetSyncEvent(false);
        t->SetInterval(1);
        t->OnTimer = [&ran, t](QObject *) { t->RunInMainThread([&ran] { ran = true; }); };
        QVERIFY(untilPendingCalls(*t, 1));
        delete t;
        QCoreApplication::processEvents(); // a dropped call must not run on the dead timer
        QVERIFY(!ran);
    }

    void destroyingFromItsOwnSynchronisedHandler()
    {
        auto *t = new TQvTimer;
        bool deleted = false;
        t->SetInterval(5);
        t->OnTimer = [&, t](QObject *) {
            if (deleted)
                return;
            deleted = true;
            delete t;
        };
        QTRY_VERIFY(deleted);
        // Whatever the worker handed over before it ended is dropped with the timer.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    void stoppingWhileASynchronisedTickIsPending()
    {
        Recorder r;
        TQvTimer t;
        t.SetInterval(1);
        t.OnTimer = r.handler();
        QVERIFY(untilPendingCalls(t, 1)); // the worker now waits for the user-interface thread
        t.SetEnabled(false);
        QVERIFY(untilPendingCalls(t, 0)); // and drops its call
        QCoreApplication::processEvents();
        QCOMPARE(r.ticks.loadAcquire(), 0); // a tick of a stopped timer never runs
    }
};

K5_TEST_MAIN(TestQvTimer)
#include "test_qvtimer.moc"
