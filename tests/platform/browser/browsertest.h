#pragma once
// Support for tests that host the browser engine.
#include "platform/browser/webbrowser.h"
#include "k5test.h"

#include <QEventLoop>
#include <QStringList>
#include <QUrl>
#include <QWebEngineProfile>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <functional>
#include <memory>

namespace browsertest {

// The engine's first start under the sanitizers can be slow.
constexpr int kWait = 60000;

// Runs the event loop until done() holds. (QTest::qWaitFor sleeps between rounds, and the engine needs
// many rounds of the loop for one page.)
inline bool WaitUntil(const std::function<bool()> &done, int timeout = kWait)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    poll.start();
    loop.exec();
    return done();
}

inline QVariant RunJavaScript(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    bool finished = false;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        finished = true;
    });
    if (!WaitUntil([&] { return finished; }))
        qWarning("the script did not finish");
    return result;
}

// A static of the test: the engine reads its environment before the application object exists.
inline bool Prepare()
{
    platform::PrepareBrowserEnvironment();
    return true;
}

// Serves a folder over HTTP on 127.0.0.1 (a free port) for as long as the server lives.
inline bool ServeFolder(k5test::PythonServer &server, const QString &folder)
{
    const QString script = k5test::WriteFile(k5test::Root() + QStringLiteral("/serve.py"), R"(import http.server, os, sys
os.chdir(sys.argv[1])
class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print("PORT", server.server_address[1], flush=True)
server.serve_forever()
)");
    return server.Start(script, {folder});
}

// A page that notes its script errors, message boxes and prompts (answered from a queue), and, unless told
// otherwise, keeps itself on the local server: an address elsewhere is noted and refused.
class ScriptPage : public QWebEnginePage {
public:
    explicit ScriptPage(QWebEngineProfile *profile) : QWebEnginePage(profile)
    {
        connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            ++loads;
            loaded = ok;
        });
    }
    QStringList errors, alerts, prompts, answers, elsewhere;
    int loads = 0;
    bool loaded = false;
    bool keepLocal = true;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &) override
    {
        if (level == ErrorMessageLevel)
            errors << QStringLiteral("line %1: %2").arg(line).arg(message);
    }
    void javaScriptAlert(const QUrl &, const QString &message) override { alerts << message; }
    bool javaScriptPrompt(const QUrl &, const QString &message, const QString &, QString *result) override
    {
        prompts << message;
        if (answers.isEmpty())
            return false;
        *result = answers.takeFirst();
        return true;
    }
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override
    {
        if (!keepLocal || !isMainFrame || url.host() == QLatin1String("127.0.0.1") ||
            url.scheme() == QLatin1String("javascript"))
            return true;
        elsewhere << url.toString();
        return false;
    }
};

// A page in a profile of its own, with waits for its loads and its scripts.
struct ScriptBrowser {
    QWebEngineProfile profile;
    ScriptPage page{&profile};

    QVariant Js(const QString &script) { return RunJavaScript(&page, script); }

    // Waits for a page the page's own script loads.
    bool WaitLoads(int count) { return WaitUntil([&] { return page.loads >= count; }); }

    bool Load(const QUrl &url)
    {
        const int before = page.loads;
        page.load(url);
        return WaitLoads(before + 1) && page.loaded && page.errors.isEmpty();
    }
    bool Reload()
    {
        const int before = page.loads;
        page.triggerAction(QWebEnginePage::Reload);
        return WaitLoads(before + 1);
    }

    // Waits until a script expression is true, asking the page without nesting one wait in another.
    bool WaitFor(const QString &condition)
    {
        struct State {
            bool met = false, asking = false;
        };
        auto state = std::make_shared<State>();
        return WaitUntil([&] {
            if (!state->asking) {
                state->asking = true;
                page.runJavaScript(condition, [state](const QVariant &v) {
                    state->met = v.toBool();
                    state->asking = false;
                });
            }
            return state->met;
        });
    }
    QString Text() { return Js(QStringLiteral("document.body.innerText")).toString(); }
};

} // namespace browsertest
