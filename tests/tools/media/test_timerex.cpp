// The timer face over the threaded timer core: its settings, both mechanisms, at most one queued tick,
// and stopping, re-timing and destroying at once, even from inside OnTimer with a long interval.
#include "tools/media/timerex.h"

#include "k5test.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

using media::TTimerEx;

namespace {

// Generous for sanitizer builds on a busy machine, yet far below the 5 s interval being interrupted.
constexpr qint64 kPromptMs = 1000;

bool mainThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

// Waits without running this thread's events until the core has as many calls queued here.
bool untilQueued(const TTimerEx &t, int count)
{
    QDeadlineTimer limit(10000);
    while (t.Core().PendingCalls() != count && !limit.hasExpired())
        QThread::yieldCurrentThread();
    return t.Core().PendingCalls() == count;
}

} // namespace

class TestTimerEx : public QObject {
    Q_OBJECT

private slots:
    void defaultsAndIntervalZero()
    {
        TTimerEx t;
        QVERIFY(t.Enabled());
        QCOMPARE(t.Interval(), 1000u);
        QVERIFY(t.Threaded());
        QCOMPARE(t.ThreadPriority(), qv::tpNormal);
        QVERIFY(!t.ThreadSafe());
        QVERIFY(!t.OnTimer());
        // Interval 0 never fires, in either mode.
        for (bool threaded : {true, false}) {
            QAtomicInt ticks;
            TTimerEx z;
            z.SetThreaded(threaded);
            z.SetInterval(0);
            z.SetOnTimer([&](QObject *) { ticks.ref(); });
            QVERIFY(!z.Core().ThreadActive());
            QVERIFY(!z.Core().WindowTimerActive());
            QTRY_VERIFY(z.Core().WorkerParked());
            QCoreApplication::processEvents();
            QCOMPARE(ticks.loadAcquire(), 0);
        }
    }

    void ticksComeFromTheChosenThreadWithTheTimerAsSender()
    {
        for (bool threadSafe : {false, true}) {
            TTimerEx t;
            QAtomicInt onMain, onWorker;
            QObject *sender = nullptr;
            t.SetThreadSafe(threadSafe);
            t.SetInterval(5);
            t.SetOnTimer([&](QObject *s) {
                sender = s;
                (mainThread() ? onMain : onWorker).ref();
            });
            QTRY_VERIFY(onMain.loadAcquire() + onWorker.loadAcquire() >= 3);
            t.SetOnTimer(nullptr);
            QTRY_VERIFY(t.Core().WorkerParked());
            QCOMPARE(sender, &t);
            QCOMPARE(onMain.loadAcquire() == 0, threadSafe);
            QCOMPARE(onWorker.loadAcquire() == 0, !threadSafe);
        }
    }

    void switchingModesKeepsTicking()
    {
        TTimerEx t;
        QAtomicInt ticks;
        t.SetInterval(20);
        t.SetOnTimer([&](QObject *) { ticks.ref(); });
        QTRY_VERIFY(ticks.loadAcquire() >= 1);
        for (bool threaded : {false, true, false}) {
            t.SetThreaded(threaded);
            QVERIFY(t.Enabled());
            QCOMPARE(t.Core().ThreadActive(), threaded);
            QCOMPARE(t.Core().WindowTimerActive(), !threaded);
            // The next tick comes within about one interval of the switch.
            const int before = ticks.loadAcquire();
            QElapsedTimer gap;
            gap.start();
            QTRY_VERIFY(ticks.loadAcquire() > before);
            QVERIFY2(gap.elapsed() < 20 + kPromptMs, qPrintable(QString::number(gap.elapsed())));
        }
    }

    void atMostOneTickWaitsForABusyUserInterface()
    {
        TTimerEx t;
        QAtomicInt ticks;
        t.SetInterval(1);
        t.SetOnTimer([&](QObject *) { ticks.ref(); });
        QVERIFY(untilQueued(t, 1));
        // The worker goes on counting intervals without waiting for this thread, and merges them.
        QDeadlineTimer busy(60);
        while (!busy.hasExpired())
            QThread::yieldCurrentThread();
        QVERIFY(!t.Core().WorkerParked());
        QCOMPARE(t.Core().PendingCalls(), 1);
        t.SetInterval(3600 * 1000); // nothing more comes after the queued tick
        QCoreApplication::sendPostedEvents();
        QCOMPARE(ticks.loadAcquire(), 1);
        QCOMPARE(t.Core().PendingCalls(), 0);
    }

    void aSlowHandlerSpacesTheTicks()
    {
        // Each tick keeps the user-interface thread busy for one interval. The worker waits for the
        // handler, then for a whole interval: a tick every two intervals, none merged away.
        TTimerEx t;
        int ticks = 0;
        t.SetInterval(100);
        t.SetOnTimer([&](QObject *) {
            ++ticks;
            QDeadlineTimer busy(100);
            while (!busy.hasExpired())
                QThread::yieldCurrentThread();
        });
        QTRY_VERIFY(ticks >= 1);
        QElapsedTimer clock;
        clock.start();
        const int first = ticks;
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= first + 5, 5000);
        QVERIFY2(clock.elapsed() >= 5 * 200 - 100, qPrintable(QString::number(clock.elapsed())));
    }

    void stoppingDropsTheQueuedTick()
    {
        TTimerEx t;
        QAtomicInt ticks;
        t.SetInterval(1);
        t.SetOnTimer([&](QObject *) { ticks.ref(); });
        QVERIFY(untilQueued(t, 1));
        t.SetEnabled(false);
        QCOMPARE(t.Core().PendingCalls(), 0);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(ticks.loadAcquire(), 0);
    }

    void destroyingOrRetimingInsideOnTimerReturnsAtOnce()
    {
        // First tick soon, then a 5 s interval set from inside the handler; the handler then destroys
        // or re-times the timer: neither may wait out the interval.
        for (bool threadSafe : {false, true}) {
            for (bool destroy : {true, false}) {
                auto *t = new TTimerEx;
                QAtomicInt done;
                qint64 took = -1;
                t->SetThreadSafe(threadSafe);
                t->SetInterval(5);
                t->SetOnTimer([&, t](QObject *) {
                    if (done.loadAcquire())
                        return;
                    t->SetInterval(5000);
                    QElapsedTimer clock;
                    clock.start();
                    if (destroy && !threadSafe)
                        delete t;
                    else
                        t->SetInterval(4000);
                    took = clock.elapsed();
                    done.storeRelease(1);
                });
                QTRY_VERIFY(done.loadAcquire());
                QVERIFY2(took >= 0 && took < kPromptMs, qPrintable(QString::number(took)));
                if (destroy && !threadSafe) {
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                    QCoreApplication::processEvents();
                    continue;
                }
                // Destroying from outside while the worker sits in its 4 s wait.
                QElapsedTimer clock;
                clock.start();
                delete t;
                QVERIFY2(clock.elapsed() < kPromptMs, qPrintable(QString::number(clock.elapsed())));
            }
        }
    }
};

K5_TEST_MAIN(TestTimerEx)
#include "test_timerex.moc"
