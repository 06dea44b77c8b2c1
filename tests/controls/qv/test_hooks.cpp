// Window hooks: order, Handled, the after phase, re-created windows, unhooking and freed controls.
#include "controls/qv/qvhooks.h"
#include "k5test.h"
#include "platform/form.h"

#include <QCoreApplication>
#include <QWidget>
#include <memory>

using namespace qv;

namespace {

const QEvent::Type kPing = QEvent::Type(QEvent::User + 7);

// A form that records what reaches its own handling.
class HookedForm : public platform::FormOf<QWidget> {
    Q_OBJECT
public:
    QStringList *log = nullptr;

protected:
    bool event(QEvent *e) override
    {
        if (log && (e->type() == kPing || e->type() == QEvent::Quit || e->type() == QV_WINDOW_RECREATED))
            *log << QStringLiteral("form");
        return FormOf<QWidget>::event(e); // the after phase runs in here
    }
};

// A hook that logs under its name and can swallow before or after.
TQvWindowHook *makeHook(QObject *owner, QWidget *control, const QString &name, QStringList &log,
                        bool swallowBefore = false, bool handleAfter = false)
{
    auto *h = new TQvWindowHook(owner);
    h->BeforeMessage = [&log, name, swallowBefore](QObject *sender, TMessage &msg, bool &handled) {
        if (msg.Msg != kPing && msg.Msg != QEvent::Quit && msg.Msg != QV_WINDOW_RECREATED)
            return;
        QVERIFY(sender != nullptr);
        log << name + QStringLiteral(".before");
        handled = swallowBefore;
    };
    h->AfterMessage = [&log, name, handleAfter](QObject *, TMessage &msg, bool &handled) {
        if (msg.Msg != kPing && msg.Msg != QEvent::Quit && msg.Msg != QV_WINDOW_RECREATED)
            return;
        log << name + QStringLiteral(".after");
        handled = handleAfter;
    };
    h->SetWinControl(control);
    return h;
}

bool ping(QWidget *w)
{
    QEvent e(kPing);
    return QCoreApplication::sendEvent(w, &e);
}

void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

class TestHooks : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        settle();
        QCOMPARE(ControlHookCount(), 0);
    }

    void latestFirstBeforeAndAfter()
    {
        QStringList log;
        HookedForm form;
        form.log = &log;
        makeHook(&form, &form, QStringLiteral("first"), log);
        makeHook(&form, &form, QStringLiteral("second"), log);
        QVERIFY(IsWidgetHooked(&form));
        QCOMPARE(ControlHookCount(), 1); // one control hook shared
        ping(&form);
        QCOMPARE(log, QStringList({"second.before", "first.before", "form", "second.after", "first.after"}));
    }

    void handledBeforeSwallows()
    {
        QStringList log;
        HookedForm form;
        form.log = &log;
        makeHook(&form, &form, QStringLiteral("first"), log);
        makeHook(&form, &form, QStringLiteral("second"), log, true);
        QVERIFY(ping(&form));
        QCOMPARE(log, QStringList({"second.before"}));

        // The re-creation of the window always reaches the form, and the after phase follows.
        log.clear();
        QEvent recreated(QV_WINDOW_RECREATED);
        QCoreApplication::sendEvent(&form, &recreated);
        QCOMPARE(log, QStringList({"second.before", "form", "second.after", "first.after"}));
    }

    void handledAfterStopsEarlierHooksAndResultChanges()
    {
        QStringList log;
        HookedForm form;
        form.log = &log;
        TQvWindowHook *first = makeHook(&form, &form, QStringLiteral("first"), log);
        makeHook(&form, &form, QStringLiteral("second"), log, false, true);
        QVERIFY(ping(&form)); // a user event is handled by the form
        QCOMPARE(log, QStringList({"second.before", "first.before", "form", "second.after"}));

        first->AfterMessage = [](QObject *, TMessage &msg, bool &) { msg.Result = false; };
        first->SetActive(false);
        first->SetActive(true); // now the latest
        log.clear();
        QVERIFY(!ping(&form));
        QCOMPARE(log, QStringList({"first.before", "second.before", "form", "second.after"}));
    }

    void quitSkipsTheBeforePhase()
    {
        QStringList log;
        HookedForm form;
        form.log = &log;
        makeHook(&form, &form, QStringLiteral("only"), log, true);
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(&form, &quit);
        QCOMPARE(log, QStringList({"form", "only.after"}));
    }

    void deactivatingTheLastHookUnhooks()
    {
        QStringList log;
        HookedForm form;
        form.log = &log;
        TQvWindowHook *a = makeHook(&form, &form, QStringLiteral("a"), log);
        TQvWindowHook *b = makeHook(&form, &form, QStringLiteral("b"), log);
        a->SetActive(false);
        QVERIFY(IsWidgetHooked(&form));
        b->SetActive(false);
        QVERIFY(!IsWidgetHooked(&form));
        settle();
        QCOMPARE(ControlHookCount(), 0);
        ping(&form);
        QCOMPARE(log, QStringList({"form"}));
        b->SetActive(true);
        log.clear();
        ping(&form);
        QCOMPARE(log, QStringList({"b.before", "form", "b.after"}));
        b->SetActive(false);
    }

    // A filter that came after ours is never cut off when we leave.
    void laterFilterSurvivesUnhook()
    {
        QStringList log;
        HookedForm form;
        form.log = &log;
        TQvWindowHook *h = makeHook(&form, &form, QStringLiteral("h"), log);
        struct Counter : QObject {
            int seen = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                seen += e->type() == kPing;
                return false;
            }
        } counter;
        form.installEventFilter(&counter);
        h->SetActive(false);
        ping(&form);
        QCOMPARE(counter.seen, 1);
        QCOMPARE(log, QStringList({"form"}));
    }

    void recreatedWindowStaysHooked()
    {
        QStringList log;
        HookedForm form;
        form.log = &log;
        makeHook(&form, &form, QStringLiteral("h"), log);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const WId before = form.winId();
        log.clear();
        form.setWindowFlags(Qt::Tool); // the native window is destroyed and made again
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        settle();
        Q_UNUSED(before);
        QVERIFY(log.contains(QStringLiteral("h.before")));
        log.clear();
        ping(&form);
        QCOMPARE(log, QStringList({"h.before", "form", "h.after"}));
    }

    void freedControl()
    {
        QStringList log;
        QObject owner;
        auto *target = new HookedForm;
        target->log = &log;
        TQvWindowHook *h = makeHook(&owner, target, QStringLiteral("h"), log);
        QCOMPARE(h->WinControl(), target);
        delete target;
        QCOMPARE(h->WinControl(), nullptr);
        settle();
        QCOMPARE(ControlHookCount(), 0);
        h->SetActive(false);
        h->SetActive(true); // nothing to hook: no control hook appears
        QCOMPARE(ControlHookCount(), 0);
    }

    // No hook runs once the form announced its destruction.
    void destroyingFormIsNotHooked()
    {
        QStringList log;
        auto form = std::make_unique<HookedForm>();
        makeHook(form.get(), form.get(), QStringLiteral("h"), log);
        form->AnnounceDestruction();
        ping(form.get());
        QVERIFY(log.isEmpty());
    }

    // A widget that is not a form: the before phase only.
    void plainWidget()
    {
        QStringList log;
        QWidget w;
        QObject owner;
        makeHook(&owner, &w, QStringLiteral("h"), log);
        ping(&w);
        QCOMPARE(log, QStringList({"h.before"}));
    }

    void isForm()
    {
        QStringList log;
        HookedForm form;
        auto *h = new TQvWindowHook(&form);
        QVERIFY(!h->IsForm());
        h->SetIsForm(true);
        QCOMPARE(h->WinControl(), &form);
        QVERIFY(h->IsForm());
        QWidget other;
        h->SetWinControl(&other);
        QVERIFY(!h->IsForm());
        delete h;
    }
};

K5_TEST_MAIN(TestHooks)
#include "test_hooks.moc"
