// Replace All of "in" by "on" (case counting, about 540,000 matches in 50 MB) on the generated page:
// the core alone (also as the Replace dialog runs it: the search in slices, then the edit), the control shown offscreen (the call, during which the event loop waits, then the
// time until it has laid out and highlighted again, with the longest stall of the loop meanwhile), and
// QScintilla replacing the same in one undo action. Each result is checked against QString::replace.
#include "htmlgen.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/rilomemo.h"
#include "textcontrol/textdocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#ifdef HAVE_QSCINTILLA
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>
#endif

using namespace textcontrol;

namespace {

double Ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void Row(const char *what, double ms) { std::printf("  %-52s %10.1f ms\n", what, ms); }

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int mb = argc > 1 && argv[1][0] != '-' ? std::max(1, atoi(argv[1])) : 50;
    const QByteArray page = benchtext::GenerateHtml(qint64(mb) * 1000 * 1000, false);
    const QString find = QStringLiteral("in"), by = QStringLiteral("on");
    QString expected = QString::fromUtf8(page);
    const int matches = int(expected.count(find));
    expected.replace(find, by);
    std::printf("Replace All \"%s\" -> \"%s\" on %d MB, %d matches\n", qPrintable(find), qPrintable(by), mb, matches);

    {
        TextDocument doc;
        FillHtmlRules(doc.Keywords(), doc.StartStopKeys());
        doc.LoadUtf8(page.constData(), page.size());
        QElapsedTimer hl;
        hl.start();
        while (!doc.BackgroundSlice(hl))
            ;
        doc.SetUndoMaxSpace(std::numeric_limits<int>::max()); // so that the one step can be taken back
        QElapsedTimer t;
        t.start();
        const int n = doc.ReplaceAll(find, by, false, true);
        Row("ours, core: Replace All (one edit)", Ms(t));
        const bool right = n == matches && doc.Text() == expected;
        t.restart();
        doc.Undo([&](int a, int b, const QString &s) { doc.ReplaceRange(a, b, s); });
        Row("ours, core: its one undo step", Ms(t));
        std::printf("  %s, undo %s\n", right ? "result right" : "RESULT WRONG",
                    doc.Text() == QString::fromUtf8(page) ? "restores the page" : "DOES NOT RESTORE");
        // As the Replace dialog runs it: the search in slices (the event loop runs between them), then the edit.
        TextDocument::ReplaceSearch s = doc.StartReplaceAll(find, false, true);
        double longest = 0;
        int slices = 0;
        for (bool done = false; !done; ++slices) {
            t.restart();
            done = doc.SearchOn(s, 1 << 20);
            longest = std::max(longest, Ms(t));
        }
        std::printf("  %-52s %10.1f ms (%d slices)\n", "ours, core: longest search slice of 1 M characters", longest, slices);
        t.restart();
        const int m = doc.ReplaceFound(s, by);
        Row("ours, core: the one edit after the search", Ms(t));
        std::printf("  %s\n", m == matches && doc.Text() == expected ? "result right" : "RESULT WRONG");
    }
    {
        TRiloMemo memo;
        memo.resize(800, 600);
        FillHtmlRules(memo.Keywords(), memo.StartStopKeys());
        memo.show();
        memo.SetTextBuf(QString::fromUtf8(page));
        while (memo.Progress() != 100)
            QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        const int n = memo.ReplaceAll(find, by, false, true);
        Row("ours, control: Replace All call", Ms(t));
        double last = Ms(t), worst = 0;
        QTimer probe;
        probe.setInterval(5);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            worst = std::max(worst, Ms(t) - last);
            last = Ms(t);
        });
        probe.start();
        while (memo.Progress() != 100)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        Row("ours, control: until laid out and highlighted again", Ms(t));
        Row("ours, control: longest event-loop stall after the call", worst);
        std::printf("  %s\n", n == matches && memo.Text() == expected ? "result right" : "RESULT WRONG");
    }
#ifdef HAVE_QSCINTILLA
    if (!app.arguments().contains(QStringLiteral("--only-ours"))) {
        QsciScintilla sci;
        QsciLexerHTML lexer;
        sci.resize(800, 600);
        sci.setUtf8(true);
        sci.setLexer(&lexer);
        sci.show();
        sci.SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0ul, page.constData());
        sci.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0l, -1l);
        const QByteArray f = find.toUtf8(), r = by.toUtf8();
        QElapsedTimer t;
        t.start();
        int n = 0;
        // No change notifications during the bulk edit, the fastest way it offers.
        sci.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0ul);
        sci.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
        sci.SendScintilla(QsciScintillaBase::SCI_SETSEARCHFLAGS, QsciScintillaBase::SCFIND_MATCHCASE);
        long pos = 0;
        for (;;) {
            const long len = sci.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
            sci.SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(pos));
            sci.SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(len));
            if (sci.SendScintilla(QsciScintillaBase::SCI_SEARCHINTARGET, static_cast<unsigned long>(f.size()), f.constData()) < 0)
                break;
            sci.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(r.size()), r.constData());
            pos = sci.SendScintilla(QsciScintillaBase::SCI_GETTARGETEND);
            ++n;
        }
        sci.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
        Row("QScintilla: Replace All (target search, one undo action)", Ms(t));
        t.restart();
        sci.SendScintilla(QsciScintillaBase::SCI_UNDO);
        Row("QScintilla: its one undo step", Ms(t));
        std::printf("  %s\n", n == matches ? "count right" : "COUNT WRONG");
    }
#endif
    return 0;
}
