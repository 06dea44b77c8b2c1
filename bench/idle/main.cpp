// The CPU the program takes while nobody uses it: the main window with one new document on its Editor
// tab, measured over 30 s (or the seconds given) before the Preview tab was ever shown, again after the
// page was previewed and the Editor tab chosen again, and once more after a page that keeps moving (an
// animation, a script on a timer) was previewed. Prints each as a share of one core: the main thread, the
// program's other threads and the browser engine's helper processes. Goal: under 0.5% of a core after a
// preview, as before it. On a display (where the engine draws through OpenGL) or offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/bench/idle/bench_idle [seconds]
#include "app/editform.h"
#include "app/relay.h"
#include "app/frameform.h"
#include "app/preview/previewhtml.h"
#include "platform/application.h"
#include "platform/browser/webbrowser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>
#include <unistd.h>

namespace {

// Nanoseconds a task or process has run: the scheduler's count, else the tick count of its stat file.
qint64 RunNs(const QString &dir)
{
    QFile sched(dir + QStringLiteral("/schedstat"));
    if (sched.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const qint64 ns = sched.readAll().split(' ').value(0).toLongLong(&ok);
        if (ok)
            return ns;
    }
    QFile stat(dir + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    // Fields after the name in parentheses (which may hold blanks): utime and stime are the 12th and 13th.
    const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = f.value(11).toLongLong() + f.value(12).toLongLong();
    return ticks * 1000000000 / sysconf(_SC_CLK_TCK);
}

qint64 ParentOf(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    return s.mid(s.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
}

// Run time of each thread of this process and of each process below it, by id ("t123", "p456").
std::map<QString, qint64> Sample()
{
    std::map<QString, qint64> out;
    const QString self = QString::number(getpid());
    for (const QString &tid : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        out[(tid == self ? QStringLiteral("m") : QStringLiteral("t")) + tid] = RunNs(QStringLiteral("/proc/self/task/") + tid);
    // Helper processes: children, their children, and so on.
    std::map<qint64, qint64> parent;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 id = pid.toLongLong(&isPid);
        if (isPid)
            parent[id] = ParentOf(pid);
    }
    for (const auto &[pid, ppid] : parent) {
        qint64 up = ppid;
        for (int depth = 0; depth < 8 && up > 1 && up != getpid(); ++depth)
            up = parent.count(up) ? parent[up] : -1;
        if (up == getpid())
            out[QStringLiteral("p%1").arg(pid)] = RunNs(QStringLiteral("/proc/%1").arg(pid));
    }
    return out;
}

struct Share {
    double main = 0, threads = 0, helpers = 0;
    int threadCount = 0, helperCount = 0;
    double Total() const { return main + threads + helpers; }
};

// Lets the event loop run for the given time.
void Idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The share of one core each part took while the program sat idle for the given seconds.
Share Measure(int seconds)
{
    const std::map<QString, qint64> before = Sample();
    QElapsedTimer wall;
    wall.start();
    Idle(seconds * 1000);
    const std::map<QString, qint64> after = Sample();
    const double ns = double(wall.nsecsElapsed());
    Share s;
    for (const auto &[id, end] : after) {
        const auto it = before.find(id);
        const double used = double(end - (it != before.end() ? it->second : 0)) / ns * 100;
        switch (id[0].toLatin1()) {
        case 'm': s.main += used; break;
        case 't': s.threads += used; ++s.threadCount; break;
        default: s.helpers += used; ++s.helperCount; break;
        }
    }
    return s;
}

bool WaitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        Idle(20);
    return done();
}

void Print(const char *what, const Share &s)
{
    std::printf("%-34s %7.3f%% %7.3f%% (%2d) %7.3f%% (%d) %7.3f%%\n", what, s.main, s.threads, s.threadCount, s.helpers,
                s.helperCount, s.Total());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    qputenv("KESTROVA_HOME", QFile::encodeName(root.path() + QStringLiteral("/program")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + QStringLiteral("/config")));
    platform::PrepareBrowserEnvironment();
    platform::Application app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;

    app::TFrameForm frame;
    frame.resize(1024, 768);
    frame.show();
    frame.New1Click();
    app::TEditForm *doc = frame.ActiveEditForm();
    if (!doc)
        return 1;
    Idle(2000); // start-up work settles

    std::printf("Idle CPU over %d s, share of one core: main thread, other threads (count), helper processes "
                "(count), all\n", seconds);
    const Share before = Measure(seconds);
    Print("Editor tab, before any preview", before);

    // Shows the Preview tab until the page has loaded, then the Editor tab again.
    auto preview = [&] {
        doc->PageControl2->setCurrentIndex(1);
        const bool shown = WaitUntil([&] {
            return doc->PreviewHTML1 && !doc->PreviewHTML1->Busy() && !doc->PreviewHTML1->LocationURL().isEmpty();
        }, 60000);
        if (!shown)
            std::printf("(the preview did not finish loading within a minute)\n");
        Idle(2000);
        doc->PageControl2->setCurrentIndex(0);
        Idle(2000); // the page that loads again behind the Editor tab settles
    };
    preview();
    const Share after = Measure(seconds);
    Print("Editor tab, after a preview", after);

    // A page that keeps moving: an endless animation and a script on a 16 ms timer.
    frame.TempMemo->SetText(QStringLiteral(
        "<HTML><HEAD><STYLE>@keyframes turn { to { transform: rotate(360deg); } }"
        " DIV { width: 80px; height: 80px; background: teal; animation: turn 1s linear infinite; }</STYLE></HEAD>"
        "<BODY><DIV></DIV><P ID=\"n\"></P><SCRIPT>var n = 0; setInterval(function () {"
        " document.getElementById('n').textContent = ++n; }, 16);</SCRIPT></BODY></HTML>"));
    preview();
    const Share moving = Measure(seconds);
    Print("Editor tab, after a moving page", moving);

    const bool met = after.Total() < 0.5 && moving.Total() < 0.5;
    std::printf("\ngoal (under 0.5%% of a core after a preview) %s\n", met ? "met" : "NOT met");
    return 0;
}
