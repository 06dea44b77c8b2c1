#pragma once
// Support for tests that host the browser engine.
#include "platform/browser/webbrowser.h"

#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <functional>

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

} // namespace browsertest
