// Every dialog of the engine: first show and OK (median and worst), and a dialog's text put into the
// middle of a big document (time, one undo step, the text given back byte for byte); a 200 x 50 table built
// and its preview file written; the JavaScript editor given a 5 MB script, to its first paint with
// highlighting and the gutter. Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/bench/dialogs/bench_dialogs [megabytes, default 100]
#include "app/dialogs/engine.h"
#include "app/dialogs/unit_table.h"
#include "app/scripteditor.h"
#include "platform/fileio.h"
#include "textcontrol/rilogutter.h"
#include "app/editform.h"
#include "app/frameform.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "textcontrol/rilomemo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
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
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 100;

    app::TFrameForm frame;
    frame.resize(1024, 768);
    frame.show();
    QCoreApplication::processEvents();

    // First show and OK of each dialog, with a document to take the text. A dialog that asks something
    // on OK (an effect with nothing chosen) is answered at once, so the run never waits for a person.
    int boxes = 0;
    platform::SetMessageAnswerer([&boxes](const platform::MessageRequest &) {
        ++boxes;
        return int(platform::IDOK);
    });
    platform::SetModalAnswerer([](QDialog *) { return int(platform::mrCancel); });
    frame.Start2->click();
    std::vector<std::pair<double, QString>> times;
    for (const dialogs::TDialogDesc &desc : dialogs::Descriptions()) {
        QElapsedTimer t;
        t.start();
        dialogs::TTagDialog *d = dialogs::CreateDialog(desc.className, &frame);
        d->setAttribute(Qt::WA_DeleteOnClose);
        d->OnOk = [&frame, cls = desc.className] { frame.HandOver(cls); };
        d->show();
        QCoreApplication::processEvents();
        d->findChild<QPushButton *>(desc.okName)->click();
        if (d->isVisible())
            d->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        times.emplace_back(ms(t), desc.className);
    }
    std::sort(times.begin(), times.end());
    std::printf("dialogs: %zu, first show and OK: median %.2f ms, worst %.2f ms (%s); questions answered: %d\n",
                times.size(), times[times.size() / 2].first, times.back().first, qPrintable(times.back().second), boxes);

    // A dialog's text into the middle of a big document.
    app::TEditForm *doc = frame.ActiveEditForm();
    QString big;
    const QString line = QStringLiteral("<P>Some text of a page, <B>bold</B> and <A HREF=\"x.htm\">a link</A>.</P>\r\n");
    big.reserve(qsizetype(megabytes) << 20);
    while (big.size() < (qsizetype(megabytes) << 20))
        big += line;
    doc->ReplaceText(big);
    doc->RiloMemo1->ClearUndo();
    doc->RiloMemo1->Select(int(big.size() / 2), 0);
    dialogs::TTagDialog *d = dialogs::CreateDialog(QStringLiteral("TMarquee"), &frame);
    QElapsedTimer t;
    t.start();
    frame.HandOver(QStringLiteral("TMarquee"));
    const double insertMs = ms(t);
    const int steps = doc->RiloMemo1->UndoIndex();
    doc->RiloMemo1->Undo();
    const bool same = doc->Text() == big;
    delete d;
    std::printf("insert into the middle of %d MB: %.3f ms, undo steps %d, text back byte for byte after one undo: %s\n",
                megabytes, insertMs, steps, same ? "yes" : "NO");
    doc->SetModified(false);

    // A table of 200 rows and 50 columns, every cell filled: built, then its preview file written.
    auto *table = static_cast<dialogs::Ttable *>(dialogs::CreateDialog(QStringLiteral("Ttable"), &frame));
    dialogs::SetFieldText(table->Field(QStringLiteral("How many cols ?")), QStringLiteral("50"));
    dialogs::SetFieldText(table->Field(QStringLiteral("How many rows ?")), QStringLiteral("200"));
    for (int r = 0; r < 200; ++r)
        for (int c = 0; c < 50; ++c)
            table->StringGrid1->setItem(r, c, new QTableWidgetItem(QStringLiteral("r%1c%2").arg(r).arg(c)));
    table->PreviewFile = root.path() + QStringLiteral("/preview.htm");
    std::vector<double> builds, writes;
    QString built;
    for (int i = 0; i < 20; ++i) {
        t.restart();
        built = table->Build();
        builds.push_back(ms(t));
        t.restart();
        platform::WriteFileAtomic(table->PreviewFile, built.toUtf8());
        writes.push_back(ms(t));
    }
    std::sort(builds.begin(), builds.end());
    std::sort(writes.begin(), writes.end());
    const bool cells = built.count(QStringLiteral("<TD>")) == 200 * 50;
    t.restart();
    const bool previewed = table->UpdatePreview();
    const double updateMs = ms(t);
    std::printf("table 200 x 50 (%lld characters, %s): build median %.2f ms, worst %.2f ms (goal 20); preview file "
                "written median %.2f ms, worst %.2f ms (goal 20); write and hand to the browser %.2f ms\n",
                qlonglong(built.size()), cells ? "10000 cells" : "CELLS MISSING", builds[builds.size() / 2], builds.back(),
                writes[writes.size() / 2], writes.back(), updateMs);
    delete table;

    // The JavaScript editor given a 5 MB script: the text in, then painted with highlighting and the gutter.
    QString script;
    const QString scriptLine = QStringLiteral("function f%1(a, b) { var s = \"text %1\"; // note\r\n  return a + b; }\r\n");
    for (int i = 0; script.size() < (5 << 20); ++i)
        script += scriptLine.arg(i);
    std::vector<double> paints;
    for (int i = 0; i < 5; ++i) {
        app::TJavaScript js(&frame);
        js.resize(900, 700);
        js.show();
        QCoreApplication::processEvents();
        t.restart();
        js.RiloMemo1->SetTextBuf(script);
        js.RiloMemo1->repaint();
        js.RiloGutter1->repaint();
        paints.push_back(ms(t));
        if (js.RiloMemo1->CharCount() < script.size())
            return 1;
    }
    std::sort(paints.begin(), paints.end());
    std::printf("JavaScript editor, %.1f MB script to first paint with highlighting and gutter: median %.1f ms, worst "
                "%.1f ms (goal 100)\n",
                double(script.size()) / (1 << 20), paints[paints.size() / 2], paints.back());
    return same && steps == 1 && cells && previewed ? 0 : 1;
}
