// The document window with a big page: open, first paint, scrolling page by page with the longest stall,
// typing at the end, and save. Prints its figures; run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/bench/editor/bench_editor [megabytes, default 50]
#include "app/editform.h"
#include "app/frameform.h"
#include "platform/application.h"
#include "platform/folders.h"
#include "textcontrol/htmlgen.h"
#include "textcontrol/rilomemo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    qputenv("KESTROVA_HOME", QFile::encodeName(root.path() + QStringLiteral("/program")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + QStringLiteral("/config")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 50;

    const QString path = root.path() + QStringLiteral("/big.htm");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(benchtext::GenerateHtml(qint64(megabytes) << 20, false));
    }
    app::TFrameForm frame;
    frame.resize(1024, 768);
    frame.show();
    QCoreApplication::processEvents();

    QElapsedTimer t;
    t.start();
    frame.Edit2->SetText(path);
    frame.Search_Start->click();
    const double openMs = ms(t);
    app::TEditForm *doc = frame.ActiveEditForm();
    textcontrol::TRiloMemo *memo = doc->RiloMemo1;
    memo->repaint();
    QCoreApplication::processEvents();
    const double paintMs = ms(t);

    // Page Down through 10% of the document: every step is handled and painted before the next.
    std::vector<double> steps;
    QElapsedTimer whole;
    whole.start();
    const int lineStart = memo->SelLine();
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer s;
        s.start();
        QTest::keyClick(memo, Qt::Key_PageDown);
        memo->repaint();
        steps.push_back(ms(s));
    }
    const double scrollMs = ms(whole);
    const int lines = memo->SelLine() - lineStart;

    // Typing at the end.
    memo->SetSelStart(memo->CharCount());
    std::vector<double> keys;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer s;
        s.start();
        QTest::keyClick(memo, Qt::Key_A);
        memo->repaint();
        keys.push_back(ms(s));
    }
    std::sort(keys.begin(), keys.end());

    t.restart();
    const bool saved = doc->Save1Click();
    const double saveMs = ms(t);

    std::printf("document window, %d MB page\n", megabytes);
    std::printf("  open (read, decode, load)      %8.1f ms\n", openMs);
    std::printf("  open to first paint            %8.1f ms\n", paintMs);
    std::printf("  page down x400: %d lines in %.1f ms = %.0f lines/s, longest step %.1f ms\n", lines, scrollMs,
                lines / (scrollMs / 1000.0), *std::max_element(steps.begin(), steps.end()));
    std::printf("  keystroke at the end: median %.2f ms, worst %.2f ms\n", keys[keys.size() / 2], keys.back());
    std::printf("  save                           %8.1f ms%s\n", saveMs, saved ? "" : " (FAILED)");
    doc->SetModified(false);
    return saved ? 0 : 1;
}
