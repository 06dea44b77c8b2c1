// Times the main window's tool bar: 101 items in nine sections, all on the bar in rows of flat,
// transparent, grey-until-hovered buttons. Prints, in milliseconds (medians of several runs): painting
// the whole bar (goal: under 2 ms), restoring its layout of 101 buttons from kestrova5.ini (goal: under
// 5 ms), and, with 20 documents open, switching the active document 1,000 times: the time the bar's
// enabling takes per switch (goal: under 0.2 ms) and the repaints of its buttons (goal: none, since
// nothing changes; closing the last document shows that the count sees repaints). Run offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/bench/toolbar/bench_toolbar
#include "app/editform.h"
#include "app/frameform.h"
#include "benchtime.h"
#include "controls/qv/qvinifiles.h"
#include "controls/speedbar/speedbar.h"
#include "platform/application.h"
#include "platform/folders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    qputenv("HOME", QFile::encodeName(root.path()));
    qputenv("KESTROVA_HOME", QFile::encodeName(root.path() + QStringLiteral("/program")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + QStringLiteral("/data")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application app(argc, argv);

    // A stored layout with every item on the bar, in as many rows as they need.
    const int width = 840, offset = 3, buttonWidth = 24, buttonHeight = 23;
    const int perRow = (width - 2 * offset) / buttonWidth;
    const int rows = (101 + perRow - 1) / perRow;
    QDir().mkpath(platform::ConfigFolder());
    {
        qv::IniFileObject ini(QStringLiteral("kestrova5.ini"));
        const QString section = QStringLiteral("TFrameFormSpeedBar1");
        qv::IniUpdate batch(&ini);
        ini.WriteInteger(section, QStringLiteral("Position"), 1);
        ini.WriteInteger(section, QStringLiteral("Width"), rows * buttonHeight + 2 * offset);
        ini.WriteInteger(section, QStringLiteral("Version"), 0);
        ini.WriteInteger(section, QStringLiteral("PixelsPerInch"), 96);
        for (int i = 0; i < 101; ++i)
            ini.WriteString(section, QStringLiteral("Button%1").arg(i + 1),
                            QStringLiteral("SpeedItem%1,%2,%3")
                                .arg(i + 1)
                                .arg(offset + (i % perRow) * buttonWidth)
                                .arg(offset + (i / perRow) * buttonHeight));
        ini.WriteInteger(section, QStringLiteral("Count"), 101);
        batch.Commit();
    }

    app::TFrameForm frame;
    frame.resize(width, 700);
    frame.show();
    QCoreApplication::processEvents();
    speedbar::TSpeedBar *bar = frame.SpeedBar1;
    QList<speedbar::TSpeedItem *> items;
    bar->ForEachItem([&items](speedbar::TSpeedItem *it) { items << it; });
    int shown = 0;
    for (const speedbar::TSpeedItem *it : items)
        shown += it->Visible() ? 1 : 0;
    if (shown != 101) {
        std::fprintf(stderr, "the restored layout shows %d of %d buttons\n", shown, int(items.size()));
        return 1;
    }

    // Painting: the bar and its 101 buttons into an image, and a repaint of the shown bar.
    QImage target(bar->size(), QImage::Format_ARGB32_Premultiplied);
    const double render = benchtime::MedianMs(31, [&] {
        QPainter p(&target);
        bar->render(&p);
    });
    const double repaint = benchtime::MedianMs(31, [&] { bar->repaint(); });

    // Restoring: kestrova5.ini parsed and the layout of 101 buttons applied.
    const double restore = benchtime::MedianMs(31, [&] { frame.RestoreToolBarLayout(); });

    // Twenty documents; the active one switched 1,000 times.
    for (int i = 0; i < 20; ++i)
        frame.CreateEditForm();
    const QList<QMdiSubWindow *> windows = frame.MdiArea()->subWindowList();
    QCoreApplication::processEvents();
    PaintCounter counter;
    for (speedbar::TSpeedItem *it : items)
        it->Button()->installEventFilter(&counter);
    double enabling = 0, switching = 0;
    for (int i = 0; i < 1000; ++i) {
        QElapsedTimer t;
        t.start();
        frame.MdiArea()->setActiveSubWindow(windows[i % windows.size()]);
        switching += double(t.nsecsElapsed()) / 1e6;
        // The same enabling again, alone: what the switch spent on the bar.
        t.restart();
        frame.UpdateToolBar();
        enabling += double(t.nsecsElapsed()) / 1e6;
    }
    QCoreApplication::processEvents();
    const int repaints = counter.paints;
    // The counter sees repaints when enabling does change something: every document gone greys 99 items.
    counter.paints = 0;
    for (app::TEditForm *doc : frame.EditForms()) {
        doc->SetModified(false);
        doc->Frame()->close();
    }
    QCoreApplication::processEvents();
    const int greyed = counter.paints;

    std::printf("tool bar of %d items in %d rows (%dx%d)\n", int(items.size()), rows, bar->width(), bar->height());
    std::printf("paint, whole bar into an image:       %8.3f ms (goal < 2 ms)\n", render);
    std::printf("paint, repaint of the shown bar:      %8.3f ms (goal < 2 ms)\n", repaint);
    std::printf("restore layout of %d buttons:        %8.3f ms (goal < 5 ms)\n", shown, restore);
    std::printf("20 documents, 1000 switches: enabling %8.4f ms a switch (goal < 0.2 ms), %d button repaints "
                "(goal: 0); the whole switch %.3f ms\n",
                enabling / 1000, repaints, switching / 1000);
    std::printf("(the last document closed: %d button repaints)\n", greyed);
    return 0;
}
