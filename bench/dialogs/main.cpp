// Every dialog of the engine: first show and OK (median and worst), and a dialog's text put into the
// middle of a big document (time, one undo step, the text given back byte for byte). Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/bench/dialogs/bench_dialogs [megabytes, default 100]
#include "app/dialogs/engine.h"
#include "app/editform.h"
#include "app/frameform.h"
#include "platform/application.h"
#include "textcontrol/rilomemo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
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

    // First show and OK of each dialog, with a document to take the text.
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
    std::printf("dialogs: %zu, first show and OK: median %.2f ms, worst %.2f ms (%s)\n", times.size(),
                times[times.size() / 2].first, times.back().first, qPrintable(times.back().second));

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
    return same && steps == 1 ? 0 : 1;
}
