// Figures of the text control beside QPlainTextEdit + QSyntaxHighlighter and QScintilla.
// Every row on two inputs: the generated ASCII page and a UTF-8 page with the character mix of real
// documentation ("real page").
// Also, asked for by --inputs: "node", the API page nodejs installs repeated whole to the size, and
// "node-a9", the same page with one Windows-1252 byte (0xA9, a copyright sign) after it, which makes
// the whole page Windows-1252.
// Usage: bench_textcontrol [--sizes 1,10,100] [--peer-max MB] [--no-oneline] [--inputs ascii,real,node,node-a9]
//        bench_textcontrol --only-load N [--sizes 100] [--inputs ...]: N loads of each input, their median
//        and fastest (ours alone; for profiling the load)
#include "htmlgen.h"
#include "memory.h"
#include "pages.h"
#include "peers.h"
#include "realpage.h"

#include "textcontrol/htmlrules.h"
#include "textcontrol/memocore.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <malloc.h>
#include <unistd.h>
#include <vector>

using namespace textcontrol;
using benchtext::Peer;
using benchtext::PeakRss;
using benchtext::ResetPeak;
using benchtext::Rss;

namespace {

// A window-less view as the benchmark uses it: 800 x 600, the document window's rules.
std::unique_ptr<MemoCore> NewMemo(Measurer &measure, TUpdateMode mode)
{
    auto m = std::make_unique<MemoCore>();
    m->SetMeasurer(&measure);
    m->SetClientSize(800, 600);
    FillHtmlRules(m->Keywords(), m->StartStopKeys());
    m->SetUpdateMode(mode);
    return m;
}

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// CPU time of the last Ms() call: the machine may be shared, so both are printed.
double lastCpuMs = 0;

template <class F> double Ms(F &&f)
{
    QElapsedTimer t;
    const double cpu0 = ThreadCpuMs();
    t.start();
    f();
    lastCpuMs = ThreadCpuMs() - cpu0;
    return double(t.nsecsElapsed()) / 1e6;
}

struct Stats {
    double median = 0, worst = 0, p99 = 0;
};

template <class F> Stats Repeat(int n, F &&f)
{
    std::vector<double> v;
    v.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        v.push_back(Ms(f));
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back(), v[std::min(v.size() - 1, v.size() * 99 / 100)]};
}

struct Row {
    QString name, unit;
    double ours = -1, sci = -1, plain = -1;
};

void Print(const QString &title, const std::vector<Row> &rows)
{
    std::printf("\n%s\n", qPrintable(title));
    std::printf("%-34s %12s %12s %8s %14s %8s\n", "row", "ours", "QScintilla", "ratio", "QPlainTextEdit", "ratio");
    auto cell = [](double v) { return v < 0 ? QStringLiteral("-") : QString::number(v, 'f', v < 10 ? 3 : 1); };
    auto ratio = [](double a, double b) { return (a < 0 || b <= 0) ? QStringLiteral("-") : QString::number(a / b, 'f', 3); };
    for (const Row &r : rows)
        std::printf("%-34s %12s %12s %8s %14s %8s\n", qPrintable(r.name + " (" + r.unit + ")"), qPrintable(cell(r.ours)),
                    qPrintable(cell(r.sci)), qPrintable(ratio(r.ours, r.sci)), qPrintable(cell(r.plain)),
                    qPrintable(ratio(r.ours, r.plain)));
    std::fflush(stdout);
}

// Core alone: load, highlight and wrap, memory, edits, search, save.
std::vector<Row> CoreRows(const QByteArray &doc, bool withPeers, Row *slices, bool real)
{
    const double mb = double(doc.size()) / 1e6;
    std::vector<Row> rows = {{"load", "ms"},           {"highlight + wrap all", "ms"},   {"highlight + wrap rate", "MB/s"},
                             {"memory per MB of text", "MB"}, {"insert at end, median", "ms"}, {"insert at end, worst", "ms"},
                             {"insert at start, median", "ms"}, {"insert at start, worst", "ms"}, {"find absent word", "ms"},
                             {"save", "ms"},
                             {"load, CPU time", "ms"},        {"highlight + wrap all, CPU time", "ms"},
                             {"highlight + wrap rate, CPU", "MB/s"},
                             {"memory after load, per file byte", "B"}, {"peak in load, per file byte", "B"}};
    {
        const double before = Rss();
        FixedMeasurer measure(7);
        auto m = NewMemo(measure, TUpdateMode::umOnNeed);
        QBuffer buf;
        buf.setData(doc);
        buf.open(QIODevice::ReadOnly);
        ResetPeak();
        rows[0].ours = Ms([&] { m->LoadFromStream(buf); });
        rows[10].ours = lastCpuMs;
        rows[14].ours = (PeakRss() - before) / double(doc.size());
        rows[13].ours = (Rss() - before) / double(doc.size());
        {
            // What a jump to the end needs: contexts up to the last paragraph, the last screen formatted.
            auto jump = NewMemo(measure, TUpdateMode::umOnNeed);
            QBuffer b2;
            b2.setData(doc);
            b2.open(QIODevice::ReadOnly);
            jump->LoadFromStream(b2);
            Row r{"end of text highlighted (Ctrl+End)", "ms"};
            r.ours = Ms([&] {
                const int n = jump->ParagraphCount();
                jump->HighlightUpTo(n - 1);
                jump->FormatRange(std::max(0, n - 60), n - 1);
            });
            rows.push_back(r);
        }
        rows[1].ours = Ms([&] {
            m->FormatRange(0, m->ParagraphCount() - 1);
        });
        rows[11].ours = lastCpuMs;
        rows[12].ours = mb / (lastCpuMs / 1000);
        m->Storage();
        const_cast<TextStorage &>(m->Storage()).CompactTransitions();
        rows[2].ours = mb / (rows[1].ours / 1000);
        rows[3].ours = (Rss() - before) / 1e6 / mb;
        std::printf("  (ours: %d paragraphs, %d display lines, %d states, storage %.2f bytes per byte)\n", m->ParagraphCount(),
                    m->LineCount(), m->States().Count(), double(m->Storage().MemoryUsed()) / double(doc.size()));
        Stats end = Repeat(1000, [&] {
            m->Select(m->CharCount(), 0);
            m->SetSelText(QStringLiteral("x"));
        });
        rows[4].ours = end.median;
        rows[5].ours = end.worst;
        Stats start = Repeat(1000, [&] {
            m->Select(0, 0);
            m->SetSelText(QStringLiteral("x"));
        });
        rows[6].ours = start.median;
        rows[7].ours = start.worst;
        rows[8].ours = Ms([&] {
            m->Select(0, 0);
            m->FindText(QStringLiteral("zqxjv"), true, false, false);
        });
        rows[9].ours = Ms([&] { (void)m->SaveToBytes(); });
        if (slices) {
            // The one-line page in background slices.
            auto one = NewMemo(measure, TUpdateMode::umBackground);
            QElapsedTimer t;
            t.start();
            one->SetTextBuf(real ? QString::fromUtf8(benchtext::GenerateRealPage(2'000'000, true))
                                 : QString::fromLatin1(benchtext::GenerateHtml(2'000'000, true)));
            while (one->Progress() != 100)
                QCoreApplication::processEvents();
            slices->ours = one->LongestSlice();
            slices[1].ours = double(t.nsecsElapsed()) / 1e6;
        }
    }
    if (!withPeers)
        return rows;
    for (int which = 0; which < 2; ++which) {
        const double before = Rss();
        std::unique_ptr<Peer> peer = which == 0 ? benchtext::MakeScintillaPeer() : benchtext::MakePlainPeer();
        if (!peer)
            continue;
        auto set = [&](int i, double v) { (which == 0 ? rows[size_t(i)].sci : rows[size_t(i)].plain) = v; };
        ResetPeak();
        set(0, Ms([&] { peer->Load(doc); }));
        set(10, lastCpuMs);
        set(14, (PeakRss() - before) / double(doc.size()));
        set(13, (Rss() - before) / double(doc.size()));
        set(1, Ms([&] { peer->HighlightAll(); }));
        set(11, lastCpuMs);
        set(12, mb / (lastCpuMs / 1000));
        set(2, mb / ((which == 0 ? rows[1].sci : rows[1].plain) / 1000));
        set(3, (Rss() - before) / 1e6 / mb);
        // The peers' slow rows are sampled less on large files (the count is printed).
        const int reps = (doc.size() > 20'000'000 || !doc.contains('\n')) ? 20 : 1000;
        if (reps != 1000)
            std::printf("  (%s: inserts sampled %d times)\n", qPrintable(peer->Name()), reps);
        Stats end = Repeat(reps, [&] { peer->Insert(true); });
        set(4, end.median);
        set(5, end.worst);
        Stats start = Repeat(reps, [&] { peer->Insert(false); });
        set(6, start.median);
        set(7, start.worst);
        set(8, Ms([&] { peer->Find(QStringLiteral("zqxjv")); }));
        set(9, Ms([&] { (void)peer->Save(); }));
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes = {1, 10, 100};
    int peerMax = 100;
    const bool oneLine = !QCoreApplication::arguments().contains(QStringLiteral("--no-oneline"));
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString &s : args[i + 1].split(QLatin1Char(',')))
                sizes << s.toInt();
        } else if (args[i] == QLatin1String("--peer-max")) {
            peerMax = args[i + 1].toInt();
        }
    }
    QStringList inputs = {QStringLiteral("ascii"), QStringLiteral("real")};
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--inputs"))
            inputs = args[i + 1].split(QLatin1Char(','));
    auto generate = [](const QString &input, qint64 bytes, bool line) {
        if (input.startsWith(QLatin1String("node"))) {
            if (line)
                return QByteArray();
            QByteArray page = benchtext::NodePage(bytes);
            if (!page.isEmpty() && input == QLatin1String("node-a9"))
                page += '\xA9';
            return page;
        }
        return input == QLatin1String("real") ? benchtext::GenerateRealPage(bytes, line) : benchtext::GenerateHtml(bytes, line);
    };
    auto label = [](const QString &input) {
        if (input == QLatin1String("node"))
            return QStringLiteral("node API page (UTF-8)");
        if (input == QLatin1String("node-a9"))
            return QStringLiteral("node API page + one 0xA9 byte (Windows-1252)");
        return input == QLatin1String("real") ? QStringLiteral("real page (UTF-8)") : QStringLiteral("generated ASCII");
    };
    auto missing = [](const QString &input, const QByteArray &doc) {
        if (!doc.isEmpty())
            return false;
        std::printf("\n(%s left out: /usr/share/doc/nodejs/api/all.html is missing; install nodejs)\n", qPrintable(input));
        return true;
    };
    int onlyLoad = 0;
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--only-load"))
            onlyLoad = args[i + 1].toInt();
    if (onlyLoad > 0) {
        for (int mb : sizes) {
            for (const QString &input : inputs) {
                const QByteArray doc = generate(input, qint64(mb) * 1'000'000, false);
                if (missing(input, doc))
                    continue;
                FixedMeasurer measure(7);
                std::vector<double> v;
                for (int k = 0; k < onlyLoad; ++k) {
                    auto m = NewMemo(measure, TUpdateMode::umOnNeed);
                    QBuffer buf;
                    buf.setData(doc);
                    buf.open(QIODevice::ReadOnly);
                    v.push_back(Ms([&] { m->LoadFromStream(buf); }));
                }
                // The first load of a process takes memory never touched before; the others reuse what it freed.
                const double first = v.front();
                std::sort(v.begin() + 1, v.end());
                std::printf("%s, %d MB: first load %.1f ms; the others: median %.1f ms, fastest %.1f ms (%d loads)\n",
                            qPrintable(label(input)), mb, first, v.size() > 1 ? v[1 + (v.size() - 1) / 2] : first,
                            v.size() > 1 ? v[1] : first, onlyLoad);
            }
        }
        return 0;
    }
    std::printf("Text control benchmark (HTML rules of the document window; times in ms)\n");
    for (int mb : sizes) {
        for (const QString &input : inputs) {
            const QByteArray doc = generate(input, qint64(mb) * 1'000'000, false);
            if (missing(input, doc))
                continue;
            Row slices[2] = {{"one-line 2 MB: longest slice", "ms"}, {"one-line 2 MB: highlighted in", "ms"}};
            const bool first = mb == sizes.front() && !input.startsWith(QLatin1String("node"));
            std::vector<Row> rows = CoreRows(doc, mb <= peerMax, first ? slices : nullptr, input == QLatin1String("real"));
            if (first) {
                rows.push_back(slices[0]);
                rows.push_back(slices[1]);
            }
            Print(QStringLiteral("Core, %1 MB, %2").arg(double(doc.size()) / 1e6, 0, 'f', 0).arg(label(input)), rows);
        }
    }
    if (oneLine) {
        for (const QString &input : inputs) {
            const QByteArray line = generate(input, 2'000'000, true);
            if (line.isEmpty())
                continue; // the installed pages are not one line
            std::vector<Row> rows = CoreRows(line, peerMax >= 2, nullptr, input == QLatin1String("real"));
            Print(QStringLiteral("Core, 2 MB on a single line, %1").arg(label(input)), rows);
        }
    }
    return 0;
}
