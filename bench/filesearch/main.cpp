// Times the file search window looking for "*.htm" under a generated tree of 100,000 files in 5,000
// folders, beside GNU find on the same tree in the same run: the whole search, the time until the first
// results are in the list, and the longest stall of the event loop while the search runs. Prints medians
// in milliseconds. Usage: bench_filesearch [runs]
#include "app/assistants/searchfile.h"
#include "benchtime.h"
#include "controls/zel/filecollector.h"
#include "controls/zel/folderbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int topFolders = 50;
const int subFolders = 99;   // 50 + 50 * 99 = 5,000 folders
const int filesPerFolder = 20; // 100,000 files

const char *const extensions[] = {".htm", ".html", ".gif", ".css", ".txt"};

int makeTree(const QString &root)
{
    int htm = 0;
    auto fill = [&](const QString &dir) {
        QDir().mkpath(dir);
        for (int f = 0; f < filesPerFolder; ++f) {
            const char *ext = extensions[f % 5];
            QFile file(dir + QStringLiteral("/page%1%2").arg(f).arg(QLatin1String(ext)));
            file.open(QIODevice::WriteOnly);
            if (f % 5 == 0)
                ++htm;
        }
    };
    for (int t = 0; t < topFolders; ++t) {
        const QString top = root + QStringLiteral("/site%1").arg(t);
        fill(top);
        for (int s = 0; s < subFolders; ++s)
            fill(top + QStringLiteral("/section%1").arg(s));
    }
    return htm;
}

struct Run {
    double total = 0, first = 0, stall = 0;
    int found = 0;
};

Run searchWindow(const QString &root)
{
    assistants::TSearchFile window;
    window.Mask->setText(QStringLiteral("*.htm"));
    window.Dir->setText(root);
    window.show();
    QApplication::processEvents();

    Run r;
    QElapsedTimer clock, tick;
    QTimer beat;
    beat.setInterval(1);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        r.stall = std::max(r.stall, double(tick.nsecsElapsed()) / 1e6);
        tick.restart();
    });
    QObject::connect(window.ListBox1->model(), &QAbstractItemModel::rowsInserted, [&] {
        if (r.first == 0)
            r.first = double(clock.nsecsElapsed()) / 1e6;
    });
    clock.start();
    tick.start();
    beat.start();
    window.SearchButton->click();
    while (window.Searching())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    r.total = double(clock.nsecsElapsed()) / 1e6;
    r.stall = std::max(r.stall, double(tick.nsecsElapsed()) / 1e6);
    r.found = window.ListBox1->count();
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir tmp;
    const QString root = tmp.path() + QStringLiteral("/tree");
    const int expected = makeTree(root);

    int findCount = 0;
    const double findMs = benchtime::MedianMs(runs, [&] {
        QProcess find;
        find.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), QStringLiteral("*.htm")});
        find.waitForFinished(-1);
        findCount = int(find.readAllStandardOutput().count('\n'));
    });

    std::vector<double> total, first, stall;
    int found = 0;
    for (int i = 0; i < runs; ++i) {
        const Run r = searchWindow(root);
        total.push_back(r.total);
        first.push_back(r.first);
        stall.push_back(r.stall);
        found = r.found;
    }
    if (found != expected || findCount != expected) {
        std::fprintf(stderr, "found %d, find %d, expected %d\n", found, findCount, expected);
        return 1;
    }
    const double ours = median(total);
    std::printf("tree: %d files in %d folders, %d match *.htm\n", topFolders * (subFolders + 1) * filesPerFolder,
                topFolders * (subFolders + 1), expected);
    std::printf("GNU find -iname '*.htm':       %8.1f ms\n", findMs);
    std::printf("search window, whole search:   %8.1f ms (%.2fx find)\n", ours, ours / findMs);
    std::printf("search window, first results:  %8.1f ms\n", median(first));
    std::printf("longest event-loop stall:      %8.1f ms (worst run %.1f ms)\n", median(stall),
                *std::max_element(stall.begin(), stall.end()));
    return 0;
}
