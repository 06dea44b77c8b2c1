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
            QTest::qWait(30); // let a tick already handed over arrive
            const int seen = r.ticks.loadAcquire();
            QTest::qWait(100);
            QCOMPARE(r.ticks.loadAcquire(), seen);
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
        QTest::qWait(30);
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
        // The worker is blocked handing a tick to a user-interface thread that does not listen; the
        // destructor must release it rather than deadlock.
        auto *t = new TQvTimer;
        QAtomicInt entered;
        t->SetSyncEvent(false);
        t->SetInterval(1);
        t->OnTimer = [&, t](QObject *) {
            entered.storeRelease(1);
            t->RunInMainThread([] {});
        };
        QDeadlineTimer limit(5000);
        while (!entered.loadAcquire() && !limit.hasExpired())
            QThread::msleep(1);
        QVERIFY(entered.loadAcquire());
        QThread::msleep(20);
        delete t;
        QCoreApplication::processEvents(); // a dropped call must not run on the dead timer
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
        QTest::qWait(20);
    }

    void stoppingWhileASynchronisedTickIsPending()
    {
        Recorder r;
        TQvTimer t;
        t.SetInterval(1);
        t.OnTimer = r.handler();
        QThread::msleep(30); // the worker now waits for the user-interface thread
        t.SetEnabled(false);
        QCoreApplication::processEvents();
        QCOMPARE(r.ticks.loadAcquire(), 0); // a tick of a stopped timer never runs
    }
};

K5_TEST_MAIN(TestQvTimer)
#include "test_qvtimer.moc"
