// Widget figures of the text control, shown offscreen at 800 x 600 in the widget's own font with the
// document window's highlighting rules, beside QPlainTextEdit + QSyntaxHighlighter and QScintilla with its
// HTML lexer. Every row on each input: the generated ASCII page, a generated UTF-8 page with the character
// mix of real documentation ("real page"), two real documentation pages that Debian packages install
// (node, nettle), the node page in Windows-1252 (cp1252), and a generated page with paragraphs in
// twenty scripts that the fonts here lack (scripts).
// Usage: bench_textcontrol_widget [--big MB] [--small MB] [--page MB] [--find MB] [--peer-max MB] [--keys N]
//        [--big-peer-keys N] [--wait-runs N] [--only-find] [--only-open] [--only-wait] [--inputs ascii,real,node,nettle,cp1252,scripts]
#include "htmlgen.h"
#include "memory.h"
#include "pages.h"
#include "peers.h"
#include "realpage.h"

#include "textcontrol/htmlrules.h"
#include "textcontrol/rilogutter.h"
#include "textcontrol/rilomemo.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QProcess>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#ifdef HAVE_QSCINTILLA
#include <Qsci/qsciscintilla.h>
#endif

using namespace textcontrol;
using benchtext::Peer;
using benchtext::PeakRss;
using benchtext::ResetPeak;
using benchtext::Rss;

namespace {

double Now(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Of it, the time spent in the kernel (mostly giving the process new memory).
double ThreadSysMs()
{
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return double(u.ru_stime.tv_sec) * 1e3 + double(u.ru_stime.tv_usec) / 1e3;
}

enum class Input { kAscii, kReal, kNode, kNettle, kWindows1252, kScripts };

const char *const kInputNames[] = {"ascii", "real", "node", "nettle", "cp1252", "scripts"};

QByteArray Generate(Input in, qint64 bytes)
{
    switch (in) {
    case Input::kAscii: return benchtext::GenerateHtml(bytes, false);
    case Input::kReal: return benchtext::GenerateRealPage(bytes);
    case Input::kNode: return benchtext::NodePage(bytes);
    case Input::kNettle: return benchtext::NettlePage(bytes);
    case Input::kWindows1252: return benchtext::Windows1252Page(bytes);
    case Input::kScripts: return benchtext::ScriptsPage(bytes);
    }
    return {};
}

QString Label(Input in, int mb) { return QStringLiteral("%1 %2 MB: ").arg(QLatin1String(kInputNames[int(in)])).arg(mb); }

QString Title(Input in)
{
    switch (in) {
    case Input::kAscii: return QStringLiteral("Widget, generated ASCII page");
    case Input::kReal: return QStringLiteral("Widget, real page (UTF-8)");
    case Input::kNode: return QStringLiteral("Widget, node API page all.html, repeated (nodejs)");
    case Input::kNettle: return QStringLiteral("Widget, nettle.html, repeated (nettle-dev)");
    case Input::kWindows1252: return QStringLiteral("Widget, node API page in Windows-1252, repeated");
    case Input::kScripts: return QStringLiteral("Widget, generated page in twenty scripts the fonts lack");
    }
    return {};
}

// Counts the paints of a widget's viewport.
struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        count += e->type() == QEvent::Paint;
        return false;
    }
};

void Key(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

struct Stats {
    double median = -1, p99 = -1, worst = -1;
};

Stats Summarise(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)], v.back()};
}

// The memo as the benchmark drives it; the peers come from the core benchmark.
class Ours : public Peer {
public:
    Ours()
    {
        memo_.resize(800, 600);
        memo_.SetScrollBars(TScrollStyle::ssBoth);
        FillHtmlRules(memo_.Keywords(), memo_.StartStopKeys());
    }
    QString Name() const override { return QStringLiteral("TRiloMemo"); }
    void Load(const QByteArray &bytes) override
    {
        QBuffer b;
        b.setData(bytes);
        b.open(QIODevice::ReadOnly);
        memo_.LoadFromStream(b);
    }
    void HighlightAll() override
    {
        while (memo_.Progress() != 100)
            QCoreApplication::processEvents();
    }
    void Insert(bool atEnd) override
    {
        memo_.Select(atEnd ? memo_.CharCount() : 0, 0);
        memo_.SetSelText(QStringLiteral("x"));
    }
    bool Find(const QString &absent) override { return memo_.FindText(absent, true, false, false); }
    QByteArray Save() override { return memo_.SaveToBytes(); }
    QWidget *Widget() override { return &memo_; }
    void MoveToEnd() override { Key(&memo_, Qt::Key_End, Qt::ControlModifier); }
    void MoveToStart() override { Key(&memo_, Qt::Key_Home, Qt::ControlModifier); }
    void TypeChar(QChar c) override { Key(&memo_, c.unicode(), Qt::NoModifier, QString(c)); }
    void PageDown() override { Key(&memo_, Qt::Key_PageDown); }
    bool AtEnd() override { return memo_.SelStart() >= memo_.CharCount() || memo_.SelLine() >= memo_.LineCount() - 1; }
    TRiloMemo &Memo() { return memo_; }

private:
    TRiloMemo memo_;
};

enum Which { kOurs, kSci, kPlain };

std::unique_ptr<Peer> Make(Which w)
{
    switch (w) {
    case kOurs: return std::make_unique<Ours>();
    case kSci: return benchtext::MakeScintillaPeer();
    default: return benchtext::MakePlainPeer();
    }
}

// One control shown offscreen, its paints counted.
struct Shown {
    Which which;
    std::unique_ptr<Peer> peer;
    PaintCounter paints;

    explicit Shown(Which w, Input in = Input::kAscii) : which(w), peer(Make(w))
    {
        if (peer)
            peer->windows1252 = in == Input::kWindows1252;
    }
    QWidget *Widget() const { return peer->Widget(); }
    // Opens a page the way each control shows one fastest: ours highlights lazily and in the background;
    // QScintilla is given the raw UTF-8 bytes, wraps from then on and styles what it paints; QPlainTextEdit
    // gets its highlighter after the text (which colours every block on the next turn of the event loop)
    // and lays out what it paints.
    void Open(const QByteArray &doc)
    {
        peer->Load(doc);
        Show();
    }
    void Show()
    {
#ifdef HAVE_QSCINTILLA
        if (auto *sci = qobject_cast<QsciScintilla *>(Widget()))
            sci->setWrapMode(QsciScintilla::WrapWord);
#endif
        peer->StartHighlighting();
        auto *area = qobject_cast<QAbstractScrollArea *>(Widget());
        (area ? area->viewport() : Widget())->installEventFilter(&paints);
        Widget()->show();
        Widget()->setFocus();
        WaitForPaint();
    }
    void WaitForPaint()
    {
        const int before = paints.count;
        for (int i = 0; i < 8 && paints.count == before; ++i)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // Colours and display lines of the whole text, as far as the peer keeps them: ours in its background
    // slices; QScintilla styled to the end, then its idle wrapping run until the count of display lines
    // stays the same for 100 ms (those 100 ms not counted); QPlainTextEdit with every block laid out.
    void CompleteLayout()
    {
        peer->HighlightAll();
#ifdef HAVE_QSCINTILLA
        if (auto *sci = qobject_cast<QsciScintilla *>(Widget())) {
            auto displayLines = [sci] {
                const long last = sci->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT) - 1;
                return sci->SendScintilla(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(last)) +
                       sci->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, static_cast<unsigned long>(last));
            };
            long lines = displayLines();
            QElapsedTimer still;
            still.start();
            while (still.elapsed() < 100) {
                QCoreApplication::processEvents();
                const long now = displayLines();
                if (now != lines) {
                    lines = now;
                    still.restart();
                }
            }
            settleMs = 100;
        }
#endif
    }
    double settleMs = 0;
    // Lets the last input reach the screen. Ours paints before its key handler returns; the peers
    // paint on the next frame, after work they queue for the event loop.
    void Flush()
    {
        if (which != kOurs)
            WaitForPaint();
    }
};

// Runs the event loop with a 5 ms probe timer until done() or the limit; returns the longest gap.
template <class F> double LongestStall(F &&done, double limitMs)
{
    QElapsedTimer t;
    t.start();
    double last = 0, worst = 0;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = Now(t);
        worst = std::max(worst, now - last);
        last = now;
    });
    probe.start();
    while (!done() && Now(t) < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    worst = std::max(worst, Now(t) - last);
    return worst;
}

bool BackgroundDone(const Shown &c)
{
    return c.which == kOurs && static_cast<Ours &>(*c.peer).Memo().Progress() == 100;
}

struct Row {
    QString name;
    double v[3] = {-1, -1, -1};
};

void Print(const QString &title, const std::vector<Row> &rows)
{
    std::printf("\n%s\n", qPrintable(title));
    std::printf("%-60s %11s %11s %9s %14s %9s\n", "row", "ours", "QScintilla", "ratio", "QPlainTextEdit", "ratio");
    auto cell = [](double v) { return v < 0 ? QStringLiteral("-") : QString::number(v, 'f', v < 10 ? 3 : 1); };
    auto ratio = [](double a, double b) { return (a < 0 || b <= 0) ? QStringLiteral("-") : QString::number(a / b, 'f', 3); };
    for (const Row &r : rows)
        std::printf("%-60s %11s %11s %9s %14s %9s\n", qPrintable(r.name), qPrintable(cell(r.v[0])), qPrintable(cell(r.v[1])),
                    qPrintable(ratio(r.v[0], r.v[1])), qPrintable(cell(r.v[2])), qPrintable(ratio(r.v[0], r.v[2])));
    std::fflush(stdout);
}

// Opening a page: load (the text handed to the control), open to first paint, highlighting and wrapping
// complete (from the start of the open), the longest event-loop stall meanwhile (the peers: in the
// second after their first paint, as they have no background work), and memory after load and at its
// peak until the layout is complete, per byte of the file.
void OpenRows(Input in, int mb, int peerMax, std::vector<Row> &rows)
{
    const QByteArray doc = Generate(in, qint64(mb) * 1'000'000);
    const QString tag = Label(in, mb);
    rows.push_back({tag + QStringLiteral("load (ms)")});
    rows.push_back({tag + QStringLiteral("open to first paint (ms)")});
    rows.push_back({tag + QStringLiteral("highlighting and wrapping complete (ms)")});
    rows.push_back({tag + QStringLiteral("longest stall while highlighting (ms)")});
    rows.push_back({tag + QStringLiteral("memory after load, per file byte")});
    rows.push_back({tag + QStringLiteral("memory at peak, per file byte")});
    Row *r = &rows[rows.size() - 6];
    for (Which w : {kOurs, kSci, kPlain}) {
        if (w != kOurs && mb > peerMax)
            continue;
        const double base = Rss();
        ResetPeak();
        {
            Shown c(w, in);
            if (!c.peer)
                continue;
            QElapsedTimer t;
            t.start();
            c.peer->Load(doc);
            r[0].v[w] = Now(t);
            const double afterLoad = Rss();
            c.Show();
            r[1].v[w] = Now(t);
            if (w == kOurs) {
                r[3].v[w] = LongestStall([&] { return BackgroundDone(c); }, 600000);
                r[2].v[w] = Now(t);
            } else {
                r[3].v[w] = LongestStall([] { return false; }, 1000);
                const double probe = Now(t) - r[1].v[w];
                c.CompleteLayout();
                r[2].v[w] = Now(t) - probe - c.settleMs;
            }
            r[4].v[w] = (afterLoad - base) / double(doc.size());
            r[5].v[w] = (PeakRss() - base) / double(doc.size());
        }
        std::fprintf(stderr, "  %s %s opened\n", w == kOurs ? "ours" : w == kSci ? "QScintilla" : "QPlainTextEdit", qPrintable(tag));
    }
}

// The wait of a user who opens a page in the document window: the control set up as that window sets it
// (its font, caret, margin, scroll bars and options, wrapping, the gutter beside it) in a shown window of
// 1024 x 768, from the start of the load until the control's Progress reaches 100, the event loop
// running meanwhile (a 5 ms probe timer measures its longest stall after the load has returned).
struct Wait {
    double ms = 0, stall = 0, cpu = 0, kernel = 0;
    int lines = 0;
};

Wait WaitOnce(const QByteArray &doc)
{
    Wait w;
    QWidget window;
    window.resize(1024, 768);
    auto *row = new QHBoxLayout(&window);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *memo = new TRiloMemo(&window);
    auto *gutter = new TRiloGutter(&window);
    gutter->SetMemo(memo);
    row->addWidget(gutter);
    row->addWidget(memo, 1);
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(11);
    memo->setFont(f);
    memo->SetCaretWidth(2);
    memo->SetRightMargin(2);
    memo->SetScrollBars(TScrollStyle::ssBoth);
    memo->SetOptions(rmoLargeWordSelect | rmoAutoScrollBars | rmoInsertKeyActive | rmoWideOverwriteCaret | rmoWrapCaret);
    FillHtmlRules(memo->Keywords(), memo->StartStopKeys());
    memo->SetTextBuf(QStringLiteral("<html>\r\n<body>\r\n</body>\r\n</html>"));
    window.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QElapsedTimer t;
    const double cpu0 = ThreadCpuMs();
    const double sys0 = ThreadSysMs();
    t.start();
    QBuffer b;
    b.setData(doc);
    b.open(QIODevice::ReadOnly);
    memo->LoadFromStream(b);
    QEventLoop loop;
    double last = Now(t), worst = 0;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = Now(t);
        worst = std::max(worst, now - last);
        last = now;
        if (memo->Progress() == 100)
            loop.quit();
    });
    probe.start();
    if (memo->Progress() != 100)
        loop.exec();
    w.ms = Now(t);
    w.stall = std::max(worst, Now(t) - last);
    // The machine may be shared: the time the user-interface thread spent on the wait, apart.
    w.cpu = ThreadCpuMs() - cpu0;
    w.kernel = ThreadSysMs() - sys0;
    w.lines = memo->LineCount();
    return w;
}

// The wait, as a user has it who starts the program and opens the page: each run in a process of its
// own (--wait-once), whose first load takes memory new to it. Several runs, as a machine shared with
// other work slows some: the median and the fastest, the longest stall of any, the median CPU time.
void UserWaitRows(const QString &self, Input in, int mb, int runs, std::vector<Row> &rows)
{
    const QString tag = Label(in, mb);
    rows.push_back({tag + QStringLiteral("document window: load to Progress 100 (ms), %1 runs").arg(runs)});
    rows.push_back({tag + QStringLiteral("document window: the same, fastest run (ms)")});
    rows.push_back({tag + QStringLiteral("document window: longest stall after the load (ms)")});
    rows.push_back({tag + QStringLiteral("document window: CPU time of that wait (ms)")});
    rows.push_back({tag + QStringLiteral("document window: of which in the kernel (ms)")});
    Row *r = &rows[rows.size() - 5];
    std::vector<double> ms, cpu, kernel;
    double stall = -1;
    int lines = 0;
    for (int k = 0; k < runs; ++k) {
        QProcess child;
        child.start(self, {QStringLiteral("--wait-once"), QStringLiteral("--inputs"), QLatin1String(kInputNames[int(in)]),
                           QStringLiteral("--big"), QString::number(mb)});
        child.waitForFinished(600000);
        const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
        if (v.size() != 5)
            continue;
        ms.push_back(v[0].toDouble());
        stall = std::max(stall, v[1].toDouble());
        cpu.push_back(v[2].toDouble());
        kernel.push_back(v[3].toDouble());
        lines = v[4].toInt();
    }
    if (ms.empty())
        return;
    r[0].v[kOurs] = Summarise(ms).median;
    r[1].v[kOurs] = *std::min_element(ms.begin(), ms.end());
    r[2].v[kOurs] = stall;
    r[3].v[kOurs] = Summarise(cpu).median;
    r[4].v[kOurs] = Summarise(kernel).median;
    std::fprintf(stderr, "  ours %s waited for (%d display lines)\n", qPrintable(tag), lines);
}

// Small texts in scripts the fonts lack: a paragraph of a language switcher naming twenty languages,
// and one Hindi word.
QByteArray FirstScreenDoc(int d)
{
    quint32 seed = 7;
    QString nav = QStringLiteral("<ul class=\"languages\">");
    for (const benchtext::Script &s : benchtext::kScripts)
        nav += QStringLiteral("<li><a href=\"/%1/\" lang=\"%1\">%2</a></li>").arg(QLatin1String(s.code), benchtext::ScriptWords(s.first, s.letters, 1, seed));
    return d == 0 ? (nav + QStringLiteral("</ul>\n")).toUtf8() : QStringLiteral("<p>\u0939\u093F\u0928\u094D\u0926\u0940</p>\n").toUtf8();
}

// One of them opened to its first paint by one control (--open-small D W), in a process of its own.
double OpenSmall(int d, Which w)
{
    Shown c(w);
    if (!c.peer)
        return -1;
    QElapsedTimer t;
    t.start();
    c.Open(FirstScreenDoc(d));
    return Now(t);
}

// Open to first paint of those texts: the first open in a new process (fonts not yet looked up there),
// and the median of five opens after it. Medians of five processes each.
void FirstScreenRows(const QString &self, std::vector<Row> &rows)
{
    const char *const names[] = {"switcher of twenty languages", "one Hindi word"};
    for (int d = 0; d < 2; ++d) {
        rows.push_back({QString::fromLatin1(names[d]) + QStringLiteral(": first open to first paint (ms)")});
        rows.push_back({QString::fromLatin1(names[d]) + QStringLiteral(": later opens to first paint (ms)")});
        std::vector<double> cold[3], warm[3];
        for (int k = 0; k < 5; ++k)
            for (Which w : {kOurs, kSci, kPlain}) {
                QProcess child;
                child.start(self, {QStringLiteral("--open-small"), QString::number(d), QString::number(int(w))});
                child.waitForFinished(120000);
                const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
                if (v.size() == 2 && v[0].toDouble() >= 0) {
                    cold[w].push_back(v[0].toDouble());
                    warm[w].push_back(v[1].toDouble());
                }
            }
        for (Which w : {kOurs, kSci, kPlain}) {
            rows[rows.size() - 2].v[w] = Summarise(cold[w]).median;
            rows.back().v[w] = Summarise(warm[w]).median;
        }
    }
}

// Ctrl+End until the final colours are shown, the longest event-loop stall while the rest is highlighted
// in the background, and keystrokes at the end and at line 1.
void PageRows(Input in, int mb, int peerMax, int keys, int bigPeerKeys, std::vector<Row> &rows)
{
    const QByteArray doc = Generate(in, qint64(mb) * 1'000'000);
    const QString tag = Label(in, mb);
    rows.push_back({tag + QStringLiteral("open to first paint (ms)")});
    rows.push_back({tag + QStringLiteral("Ctrl+End to final colours (ms)")});
    rows.push_back({tag + QStringLiteral("longest stall, background work (ms)")});
    rows.push_back({tag + QStringLiteral("key at the end, median (ms)")});
    rows.push_back({tag + QStringLiteral("key at the end, 99th pct (ms)")});
    rows.push_back({tag + QStringLiteral("quote at line 1, median (ms)")});
    rows.push_back({tag + QStringLiteral("quote at line 1, 99th pct (ms)")});
    Row *r = &rows[rows.size() - 7];
    for (Which w : {kOurs, kSci, kPlain}) {
        if (w != kOurs && mb > peerMax)
            continue;
        Shown c(w, in);
        if (!c.peer)
            continue;
        QElapsedTimer t;
        t.start();
        c.Open(doc);
        r[0].v[w] = Now(t);
        t.restart();
        c.peer->MoveToEnd();
        c.Flush();
        r[1].v[w] = Now(t);
        // Peers have no background work: their event loop is probed for a second.
        r[2].v[w] = LongestStall([&] { return BackgroundDone(c); }, w == kOurs ? 600000 : 1000);
        // The peers take up to seconds a key on big pages: fewer keys there.
        const int n = (w != kOurs && mb > 10) ? std::min(keys, bigPeerKeys) : keys;
        std::vector<double> v;
        for (int i = 0; i < n; ++i) {
            t.restart();
            c.peer->TypeChar(QLatin1Char(i % 16 == 15 ? ' ' : 'a'));
            c.Flush();
            v.push_back(Now(t));
        }
        Stats s = Summarise(v);
        r[3].v[w] = s.median;
        r[4].v[w] = s.p99;
        // A quote at line 1 and its closing quote, in turn: every context below flips.
        c.peer->MoveToStart();
        c.Flush();
        v.clear();
        for (int i = 0; i < n; ++i) {
            t.restart();
            c.peer->TypeChar(QLatin1Char('"'));
            c.Flush();
            v.push_back(Now(t));
            QCoreApplication::processEvents(); // background work between keys, not timed
        }
        s = Summarise(v);
        r[5].v[w] = s.median;
        r[6].v[w] = s.p99;
        std::fprintf(stderr, "  %s %s done (%d paints)\n", qPrintable(c.peer->Name()), qPrintable(tag), c.paints.count);
    }
}

// Holding Page Down from the top of a page.
void PagingRows(Input in, int mb, std::vector<Row> &rows)
{
    const QByteArray doc = Generate(in, qint64(mb) * 1'000'000);
    const int lines = int(doc.count('\n'));
    rows.push_back({Label(in, mb) + QStringLiteral("Page Down, lines per second")});
    rows.push_back({Label(in, mb) + QStringLiteral("Page Down, longest stall (ms)")});
    Row *r = &rows[rows.size() - 2];
    for (Which w : {kOurs, kSci, kPlain}) {
        Shown c(w, in);
        if (!c.peer)
            continue;
        c.Open(doc);
        LongestStall([&] { return w != kOurs || BackgroundDone(c); }, 600000);
        c.peer->MoveToStart();
        c.Flush();
        const int paintsBefore = c.paints.count;
        QElapsedTimer all, one;
        all.start();
        double worst = 0;
        int presses = 0;
        while (!c.peer->AtEnd() && presses < 200000) {
            one.start();
            c.peer->PageDown();
            c.Flush();
            worst = std::max(worst, Now(one));
            ++presses;
        }
        r[0].v[w] = lines / (Now(all) / 1000);
        r[1].v[w] = worst;
        std::fprintf(stderr, "  %s paging done (%d presses, %d paints)\n", qPrintable(c.peer->Name()), presses,
                     c.paints.count - paintsBefore);
    }
}

// Find-all (Find Next from the top until nothing more is found) straight after a page is opened, while
// the rest of it is highlighted in the background, and again once that is complete: the cost of one
// match should not depend on how far the background work has come.
void FindAllRows(Input in, int mb, std::vector<Row> &rows)
{
    const QByteArray doc = Generate(in, qint64(mb) * 1'000'000);
    const QString word = in == Input::kAscii ? QStringLiteral("Cell") : in == Input::kReal ? QStringLiteral("Section") : QStringLiteral("the");
    rows.push_back({Label(in, mb) + QStringLiteral("find-all during background work (us/match)")});
    rows.push_back({Label(in, mb) + QStringLiteral("find-all once highlighted (us/match)")});
    Row *r = &rows[rows.size() - 2];
    Shown c(kOurs, in);
    c.Open(doc);
    TRiloMemo &memo = static_cast<Ours &>(*c.peer).Memo();
    auto findAll = [&](int &progress) {
        progress = memo.Progress();
        memo.Select(0, 0);
        int matches = 0;
        QElapsedTimer t;
        t.start();
        while (memo.FindText(word, true, false, false))
            ++matches;
        const double us = double(t.nsecsElapsed()) / 1e3;
        return matches > 0 ? us / matches : -1.0;
    };
    int during = 0, after = 0;
    r[0].v[kOurs] = findAll(during);
    LongestStall([&] { return BackgroundDone(c); }, 600000);
    r[1].v[kOurs] = findAll(after);
    std::fprintf(stderr, "  find-all %d MB done (background at %d%% and %d%% when it began)\n", mb, during, after);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QPA_UPDATE_IDLE_TIME", "0"); // no frame pacing between an update and its paint
    QApplication app(argc, argv);
    int big = 100, small = 1, page = 10, find = 100, peerMax = 100, keys = 1000, bigPeerKeys = 20, waitRuns = 5;
    const bool onlyFind = app.arguments().contains(QStringLiteral("--only-find"));
    const bool onlyOpen = app.arguments().contains(QStringLiteral("--only-open"));
    const bool onlyWait = app.arguments().contains(QStringLiteral("--only-wait"));
    const QStringList args = app.arguments();
    std::vector<Input> inputs = {Input::kAscii, Input::kReal, Input::kNode, Input::kNettle, Input::kWindows1252, Input::kScripts};
    for (int i = 1; i + 1 < args.size(); ++i) {
        const int v = args[i + 1].toInt();
        if (args[i] == QLatin1String("--big"))
            big = v;
        else if (args[i] == QLatin1String("--small"))
            small = v;
        else if (args[i] == QLatin1String("--page"))
            page = v;
        else if (args[i] == QLatin1String("--find"))
            find = v;
        else if (args[i] == QLatin1String("--peer-max"))
            peerMax = v;
        else if (args[i] == QLatin1String("--keys"))
            keys = v;
        else if (args[i] == QLatin1String("--big-peer-keys"))
            bigPeerKeys = v;
        else if (args[i] == QLatin1String("--wait-runs"))
            waitRuns = std::max(1, v);
        else if (args[i] == QLatin1String("--inputs")) {
            inputs.clear();
            for (const QString &name : args[i + 1].split(QLatin1Char(',')))
                for (int k = 0; k < int(std::size(kInputNames)); ++k)
                    if (name == QLatin1String(kInputNames[k]))
                        inputs.push_back(Input(k));
        }
    }
    if (args.contains(QStringLiteral("--wait-once")) && !inputs.empty()) {
        const Wait w = WaitOnce(Generate(inputs.front(), qint64(big) * 1'000'000));
        std::printf("%.3f %.3f %.3f %.3f %d\n", w.ms, w.stall, w.cpu, w.kernel, w.lines);
        return 0;
    }
    if (const qsizetype at = args.indexOf(QStringLiteral("--open-small")); at > 0 && at + 2 < args.size()) {
        const int d = args[at + 1].toInt();
        const Which w = Which(args[at + 2].toInt());
        const double first = OpenSmall(d, w);
        std::vector<double> later;
        for (int k = 0; k < 5; ++k)
            later.push_back(OpenSmall(d, w));
        std::printf("%.3f %.3f\n", first, Summarise(later).median);
        return 0;
    }
    std::printf("Text control widget benchmark: offscreen 800 x 600, the document window's HTML rules; ratio = ours / peer\n");
    std::printf("(font %s; %d keys each; the peers type %d keys on pages over 10 MB)\n", qPrintable(QApplication::font().toString()),
                keys, std::min(keys, bigPeerKeys));
    for (Input in : inputs) {
        if (Generate(in, 1).isEmpty()) {
            std::printf("\n%s: not installed, left out\n", qPrintable(Title(in)));
            continue;
        }
        std::vector<Row> rows;
        if (in == Input::kScripts)
            FirstScreenRows(app.applicationFilePath(), rows);
        if (!onlyFind) {
            UserWaitRows(app.applicationFilePath(), in, big, waitRuns, rows);
            if (!onlyWait)
                OpenRows(in, big, peerMax, rows);
            if (!onlyOpen && !onlyWait) {
                for (int mb : {small, big})
                    PageRows(in, mb, peerMax, keys, bigPeerKeys, rows);
                PagingRows(in, page, rows);
            }
        }
        if (!onlyOpen && !onlyWait)
            FindAllRows(in, find, rows);
        Print(Title(in), rows);
    }
    return 0;
}
