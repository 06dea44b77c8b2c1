#include "k5test.h"

#include "tests/platform/browser/browsertest.h"

#include "platform/browser/webbrowser.h"
#include "platform/error.h"
#include "platform/folders.h"

#include <QQuickWindow>
#include <QWebEnginePage>
#include <csignal>
#include <unistd.h>

using platform::WebBrowser;

namespace {

const bool prepared = browsertest::Prepare();

QString page(const QString &name, const QString &title, const QString &body)
{
    return k5test::WriteFile(k5test::Root() + QStringLiteral("/pages/") + name,
                             QStringLiteral("<html><head><title>%1</title></head><body>%2</body></html>")
                                 .arg(title, body)
                                 .toUtf8());
}

QString fileUrl(const QString &path) { return QUrl::fromLocalFile(path).toString(); }

QVariant runJavaScript(WebBrowser &b, const QString &script) { return browsertest::RunJavaScript(b.Page(), script); }

// Records the events; waits for the next completed navigation.
struct Recorder {
    explicit Recorder(WebBrowser &b) : browser(b)
    {
        b.OnBeforeNavigate = [this](WebBrowser *, const QString &url, bool &cancel) {
            log << QStringLiteral("before ") + url;
            cancel = url == cancelUrl;
        };
        b.OnBusyChange = [this](WebBrowser *, bool busy) { log << (busy ? "busy" : "idle"); };
        b.OnNavigateComplete = [this](WebBrowser *, const QString &url, bool ok) {
            log << QStringLiteral("complete %1 %2").arg(url).arg(ok);
            ++completed;
        };
    }
    bool WaitComplete(int count)
    {
        return browsertest::WaitUntil([&] { return completed >= count; });
    }
    WebBrowser &browser;
    QStringList log;
    QString cancelUrl;
    int completed = 0;
};

} // namespace

class TestWebBrowser : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(prepared);
        first_ = page(QStringLiteral("first.htm"), QStringLiteral("First page"),
                      QStringLiteral("Hello from the first page <a id=\"next\" href=\"second.htm\">next</a>"));
        second_ = page(QStringLiteral("second.htm"), QStringLiteral("Second page"), QStringLiteral("Second body"));
    }

    void environment()
    {
        // Without the sandbox only when root, and never over the user's own setting.
        const QByteArray saved = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
        const bool wasSet = qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX");
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        platform::PrepareBrowserEnvironment();
        QCOMPARE(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"), ::geteuid() == 0);
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "0");
        platform::PrepareBrowserEnvironment();
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("0"));
        if (wasSet)
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", saved);
        else
            qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        QVERIFY(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
        // Pages are composed in software unless the user chose how Qt Quick draws.
        if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND") && !qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
            QCOMPARE(QQuickWindow::sceneGraphBackend(), QStringLiteral("software"));
    }

    void addresses()
    {
        using platform::BrowserAddress;
        QCOMPARE(BrowserAddress(QStringLiteral("/tmp/a b#1.htm")), QUrl::fromLocalFile(QStringLiteral("/tmp/a b#1.htm")));
        QCOMPARE(BrowserAddress(QStringLiteral(" file:///tmp/x.htm ")), QUrl(QStringLiteral("file:///tmp/x.htm")));
        QCOMPARE(BrowserAddress(QStringLiteral("http://example.invalid/p?q=1")),
                 QUrl(QStringLiteral("http://example.invalid/p?q=1")));
        QCOMPARE(BrowserAddress(QStringLiteral("www.example.invalid")).scheme(), QStringLiteral("http"));
        QVERIFY(BrowserAddress(QStringLiteral("  ")).isEmpty());
        QCOMPARE(platform::BrowserHomePage(), platform::ProgramFile(QStringLiteral("Help/index.htm")));
        QCOMPARE(platform::BrowserSearchPage(), platform::BrowserHomePage());
    }

    void navigateHistoryAndEvents()
    {
        WebBrowser b;
        b.resize(400, 300);
        b.show();
        Recorder r(b);
        QVERIFY(!b.Busy());
        QCOMPARE(b.LocationURL(), QString());
        QVERIFY_THROWS_EXCEPTION(platform::Error, b.GoBack());
        QVERIFY_THROWS_EXCEPTION(platform::Error, b.GoForward());
        QVERIFY_THROWS_EXCEPTION(platform::Error, b.Navigate(QStringLiteral("  ")));

        b.Navigate(first_);
        QVERIFY(r.WaitComplete(1));
        QCOMPARE(r.log, QStringList({QStringLiteral("before ") + fileUrl(first_), "busy", "idle",
                                     QStringLiteral("complete %1 1").arg(fileUrl(first_))}));
        QVERIFY(!b.Busy());
        QCOMPARE(b.LocationURL(), fileUrl(first_));
        QCOMPARE(b.LocationName(), QStringLiteral("First page"));
        QVERIFY(runJavaScript(b, QStringLiteral("document.body.innerText")).toString().startsWith("Hello from the first page"));

        // A link followed inside the page is announced too.
        runJavaScript(b, QStringLiteral("document.getElementById('next').click()"));
        QVERIFY(r.WaitComplete(2));
        QCOMPARE(b.LocationName(), QStringLiteral("Second page"));
        QVERIFY(r.log.contains(QStringLiteral("before ") + fileUrl(second_)));
        QCOMPARE(runJavaScript(b, QStringLiteral("document.title")).toString(), QStringLiteral("Second page"));

        // History: first, second, first.
        b.Navigate(first_);
        QVERIFY(r.WaitComplete(3));
        QVERIFY(b.CanGoBack());
        QVERIFY(!b.CanGoForward());
        b.GoBack();
        QVERIFY(r.WaitComplete(4));
        QCOMPARE(b.LocationURL(), fileUrl(second_));
        QCOMPARE(b.LocationName(), QStringLiteral("Second page"));
        QVERIFY(b.CanGoForward());
        b.GoForward();
        QVERIFY(r.WaitComplete(5));
        QCOMPARE(b.LocationName(), QStringLiteral("First page"));
        b.GoBack();
        QVERIFY(r.WaitComplete(6));

        // A navigation the handler cancels leaves the page as it was.
        r.cancelUrl = fileUrl(first_);
        r.log.clear();
        b.Navigate(first_);
        QVERIFY(browsertest::WaitUntil([&] { return r.log.contains(QStringLiteral("before ") + fileUrl(first_)); }));
        QCOMPARE(runJavaScript(b, QStringLiteral("document.title")).toString(), QStringLiteral("Second page"));
        QCOMPARE(b.LocationURL(), fileUrl(second_));

        // Refresh loads the same page again.
        const int done = r.completed;
        runJavaScript(b, QStringLiteral("document.title = 'changed'"));
        b.Refresh();
        QVERIFY(r.WaitComplete(done + 1));
        QCOMPARE(b.LocationName(), QStringLiteral("Second page"));

        // Home and search are the program's help page.
        r.cancelUrl.clear();
        b.GoHome();
        QVERIFY(r.WaitComplete(done + 2));
        QCOMPARE(b.LocationURL(), fileUrl(platform::ProgramFile(QStringLiteral("Help/index.htm"))));
        QCOMPARE(b.LocationName(), QStringLiteral("Kestrova 5 Help"));
        b.Navigate(first_);
        QVERIFY(r.WaitComplete(done + 3));
        b.GoSearch();
        QVERIFY(r.WaitComplete(done + 4));
        QCOMPARE(b.LocationName(), QStringLiteral("Kestrova 5 Help"));

        // The text size holds across pages.
        QCOMPARE(b.TextSize(), 2);
        QCOMPARE(b.Page()->zoomFactor(), 1.0);
        b.SetTextSize(9);
        QCOMPARE(b.TextSize(), b.TextSizeHighest());
        QCOMPARE(b.Page()->zoomFactor(), 1.5);
        b.Navigate(second_);
        QVERIFY(r.WaitComplete(done + 5));
        QCOMPARE(b.Page()->zoomFactor(), 1.5);
        b.SetTextSize(-1);
        QCOMPARE(b.TextSize(), b.TextSizeLowest());
        QCOMPARE(b.Page()->zoomFactor(), 0.75);
    }

    void aPageOutOfViewRestsUntilShown()
    {
        WebBrowser b;
        b.resize(400, 300);
        b.show();
        Recorder r(b);
        using State = QWebEnginePage::LifecycleState;
        b.Navigate(first_);
        QVERIFY(r.WaitComplete(1));
        QCOMPARE(b.Page()->lifecycleState(), State::Active);
        // Hidden, it stops; navigated while hidden, it loads the page and stops again.
        b.hide();
        QVERIFY(browsertest::WaitUntil([&] { return b.Page()->lifecycleState() == State::Frozen; }));
        b.Navigate(second_);
        QVERIFY(r.WaitComplete(2));
        QCOMPARE(b.LocationName(), QStringLiteral("Second page"));
        QVERIFY(browsertest::WaitUntil([&] { return b.Page()->lifecycleState() == State::Frozen; }));
        b.Refresh();
        QVERIFY(r.WaitComplete(3));
        // Shown again, it runs.
        b.show();
        QCOMPARE(b.Page()->lifecycleState(), State::Active);
        QCOMPARE(runJavaScript(b, QStringLiteral("document.title")).toString(), QStringLiteral("Second page"));
        b.GoBack();
        QVERIFY(r.WaitComplete(4));
        QCOMPARE(b.LocationName(), QStringLiteral("First page"));

        // A browser that was never shown is left running: its pages answer scripts.
        WebBrowser unseen;
        Recorder u(unseen);
        unseen.Navigate(second_);
        QVERIFY(u.WaitComplete(1));
        QCOMPARE(unseen.Page()->lifecycleState(), State::Active);
        QCOMPARE(runJavaScript(unseen, QStringLiteral("document.title")).toString(), QStringLiteral("Second page"));
    }

    void scriptDialogsGoThroughTheSeam()
    {
        k5test::Answerer answers;
        answers.Queue(platform::IDOK);
        answers.Queue(platform::IDCANCEL);
        const QString path = page(QStringLiteral("dialogs.htm"), QStringLiteral("start"),
                                  QStringLiteral("<script>alert('Hi there');"
                                                 "document.title = confirm('Sure?') ? 'yes' : 'no';</script>"));
        WebBrowser b;
        Recorder r(b);
        b.Navigate(path);
        QVERIFY(r.WaitComplete(1));
        QCOMPARE(answers.Texts(), QStringList({"Hi there", "Sure?"}));
        QCOMPARE(b.LocationName(), QStringLiteral("no"));
    }

    void rendererCrashShowsAnErrorPage()
    {
        WebBrowser b;
        b.show();
        Recorder r(b);
        b.Navigate(first_);
        QVERIFY(r.WaitComplete(1));
        const qint64 pid = b.Page()->renderProcessPid();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
        QVERIFY(browsertest::WaitUntil([&] { return b.RendererFailures() == 1 && r.completed >= 2; }));
        QCOMPARE(b.LocationName(), QStringLiteral("Page not shown"));
        QVERIFY(!b.Busy());
        // The error page is no navigation of the user's; the address stays that of the failed page.
        QCOMPARE(r.log.filter(QStringLiteral("before ")).size(), 1);
        QCOMPARE(b.LocationURL(), fileUrl(first_));
        // Refresh brings the page back with a new renderer.
        b.Refresh();
        QVERIFY(r.WaitComplete(3));
        QCOMPARE(b.LocationName(), QStringLiteral("First page"));
        QCOMPARE(b.LocationURL(), fileUrl(first_));
        QCOMPARE(runJavaScript(b, QStringLiteral("document.title")).toString(), QStringLiteral("First page"));
    }

private:
    QString first_;
    QString second_;
};

K5_TEST_MAIN(TestWebBrowser)
#include "test_webbrowser.moc"
