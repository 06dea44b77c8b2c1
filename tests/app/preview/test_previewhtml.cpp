#include "k5test.h"

#include "app/preview/previewhtml.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "tests/platform/browser/browsertest.h"

#include <QPointer>

using app::TPreviewHTML;
using browsertest::WaitUntil;

namespace {

const bool prepared = browsertest::Prepare();

QString page(const QString &name, const QString &title)
{
    return k5test::WriteFile(k5test::Root() + QStringLiteral("/site/") + name,
                             QStringLiteral("<html><head><title>%1</title></head><body>%1</body></html>").arg(title).toUtf8());
}

QString fileUrl(const QString &path) { return QUrl::fromLocalFile(path).toString(); }

struct Events {
    explicit Events(TPreviewHTML &p)
    {
        p.OnBeforeNavigate = [this, &p](QObject *s) { log << (s == &p ? "before" : "?"); };
        p.OnAfterNavigate = [this, &p](QObject *s) {
            log << (s == &p ? "after" : "?");
            ++after;
        };
        p.OnStatusBusyChange = [this](QObject *, bool busy) { log << (busy ? "busy" : "idle"); };
    }
    bool Wait(int count) { return WaitUntil([&] { return after >= count; }); }
    QStringList log;
    int after = 0;
};

} // namespace

class TestPreviewHTML : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(prepared);
        one_ = page(QStringLiteral("one.htm"), QStringLiteral("One"));
        two_ = page(QStringLiteral("two.htm"), QStringLiteral("Two"));
    }

    void browserComesOnFirstUse()
    {
        TPreviewHTML p;
        QCOMPARE(p.size(), QSize(200, 200));
        QVERIFY(!p.HasBrowser());
        // Reading the location or the busy state does not start the engine.
        QCOMPARE(p.LocationURL(), QString());
        QCOMPARE(p.LocationName(), QString());
        QVERIFY(!p.Busy());
        QVERIFY(!p.HasBrowser());
        const QStringList about = p.About();
        QVERIFY(!about.isEmpty());
        p.SetAbout({QStringLiteral("changed")});
        QCOMPARE(p.About(), about);
        QVERIFY(p.Homepage().isEmpty());
        QVERIFY(p.Searchpage().isEmpty());
        QVERIFY_THROWS_EXCEPTION(platform::Error, p.GoBack());
        QVERIFY(p.HasBrowser());
        QCOMPARE(p.Browser()->parentWidget(), &p);
    }

    void navigationEvents()
    {
        TPreviewHTML p;
        p.show();
        Events e(p);
        p.Navigate(one_);
        QVERIFY(e.Wait(1));
        // Busy is reported once per change, not on every check.
        QCOMPARE(e.log, QStringList({"before", "busy", "idle", "after"}));
        QCOMPARE(p.LocationURL(), fileUrl(one_));
        QCOMPARE(p.LocationName(), QStringLiteral("One"));
        QCOMPARE(browsertest::RunJavaScript(p.Browser()->Page(), QStringLiteral("document.body.innerText")).toString(),
                 QStringLiteral("One"));

        p.Navigate(two_);
        QVERIFY(e.Wait(2));
        p.Navigate(one_);
        QVERIFY(e.Wait(3));
        p.GoBack();
        QVERIFY(e.Wait(4));
        QCOMPARE(p.LocationName(), QStringLiteral("Two"));
        p.GoForward();
        QVERIFY(e.Wait(5));
        QCOMPARE(p.LocationName(), QStringLiteral("One"));
        p.Refresh2();
        QVERIFY(e.Wait(6));
        p.Refresh();
        QVERIFY(e.Wait(7));
        QCOMPARE(p.LocationURL(), fileUrl(one_));
        QCOMPARE(e.log.count(QStringLiteral("busy")), 7);
        QCOMPARE(e.log.count(QStringLiteral("idle")), 7);
    }

    void homeAndSearchPages()
    {
        TPreviewHTML p;
        Events e(p);
        const QString help = fileUrl(platform::ProgramFile(QStringLiteral("Help/index.htm")));
        // Empty: the browser's own pages, the program's help page.
        p.GoHome();
        QVERIFY(e.Wait(1));
        QCOMPARE(p.LocationURL(), help);
        p.Navigate(one_);
        QVERIFY(e.Wait(2));
        p.GoSearch();
        QVERIFY(e.Wait(3));
        QCOMPARE(p.LocationURL(), help);
        // Set: those addresses.
        p.SetHomepage(two_);
        p.SetSearchpage(one_);
        p.GoHome();
        QVERIFY(e.Wait(4));
        QCOMPARE(p.LocationURL(), fileUrl(two_));
        p.GoSearch();
        QVERIFY(e.Wait(5));
        QCOMPARE(p.LocationURL(), fileUrl(one_));
    }

    void textSizeCycles()
    {
        TPreviewHTML p;
        platform::WebBrowser *b = p.Browser();
        QCOMPARE(b->TextSize(), 2);
        p.CycleTextSize();
        QCOMPARE(b->TextSize(), 3);
        p.CycleTextSize();
        QCOMPARE(b->TextSize(), b->TextSizeHighest());
        // From the largest size to the smallest.
        p.CycleTextSize();
        QCOMPARE(b->TextSize(), b->TextSizeLowest());
        p.CycleTextSize();
        QCOMPARE(b->TextSize(), 1);
    }

    void destroyedWhileLoading()
    {
        int calls = 0;
        {
            auto *p = new TPreviewHTML;
            p->OnAfterNavigate = [&](QObject *) { ++calls; };
            p->OnStatusBusyChange = [&](QObject *, bool) { ++calls; };
            p->Navigate(one_);
            QVERIFY(WaitUntil([&] { return p->Busy(); }));
            calls = 0;
            delete p;
        }
        QCOMPARE(calls, 0);
        // The engine stays usable for the next preview.
        TPreviewHTML q;
        Events e(q);
        q.Navigate(two_);
        QVERIFY(e.Wait(1));
        QCOMPARE(q.LocationName(), QStringLiteral("Two"));
    }

private:
    QString one_;
    QString two_;
};

K5_TEST_MAIN(TestPreviewHTML)
#include "test_previewhtml.moc"
