// Times the tool bar the main window carries: 101 items in nine sections, all on the bar in rows of
// flat, transparent, grey-until-hovered buttons. Prints, in milliseconds (medians of several runs):
// painting the whole bar (goal: under 2 ms), restoring its layout of 101 buttons from an ini file (goal:
// under 5 ms), and, for setting Enabled on every item when nothing changes, the repaints it caused (goal:
// none) and the time of one round.
#include "benchtime.h"
#include "controls/qv/qvinifiles.h"
#include "controls/speedbar/speedbar.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// A 16-colour-like glyph: a key colour round a pattern that differs per item.
QImage glyph(int n)
{
    static const QRgb colours[] = {0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080,
                                   0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFF00FFFF};
    QImage g(16, 16, QImage::Format_RGB32);
    g.fill(qRgb(255, 0, 255));
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x)
            if ((x * y + n) % 3 != 0)
                g.setPixel(x, y, colours[(x + y + n) % 12]);
    return g;
}

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    QWidget window;
    window.resize(840, 600);
    auto *bar = new speedbar::TSpeedBar(&window);
    bar->setObjectName(QStringLiteral("SpeedBar1"));
    bar->SetOptions(speedbar::sbGrayedBtns | speedbar::sbAllowDrag | speedbar::sbAllowResize | speedbar::sbFlatBtns |
                    speedbar::sbTransparentBtns);
    const char *sections[] = {"File", "Edit", "Formatting", "Standard", "Forms", "Tools", "Script", "Cookies", "Help"};
    const int perSection[] = {4, 7, 31, 27, 7, 8, 5, 11, 1};
    QList<speedbar::TSpeedItem *> items;
    for (int s = 0; s < 9; ++s) {
        auto *section = new speedbar::TSpeedbarSection(&window);
        section->SetCaption(QString::fromLatin1(sections[s]));
        bar->AddSection(section);
        for (int i = 0; i < perSection[s]; ++i) {
            auto *item = new speedbar::TSpeedItem(&window);
            item->setObjectName(QStringLiteral("SpeedItem%1").arg(items.size() + 1));
            item->SetCaption(QStringLiteral("Command %1").arg(items.size() + 1));
            item->SetGlyph(glyph(int(items.size())));
            bar->AddItem(s, item);
            items.append(item);
        }
    }
    const int perRow = (840 - 2 * bar->BtnOffsetHorz()) / bar->BtnWidth();
    const int rows = (int(items.size()) + perRow - 1) / perRow;
    bar->resize(840, rows * bar->BtnHeight() + 2 * bar->BtnOffsetVert());
    for (int i = 0; i < items.size(); ++i) {
        items[i]->SetLeft(bar->BtnOffsetHorz() + (i % perRow) * bar->BtnWidth());
        items[i]->SetTop(bar->BtnOffsetVert() + (i / perRow) * bar->BtnHeight());
        items[i]->SetVisible(true);
    }
    window.show();
    QApplication::processEvents();

    // Painting: the bar and its 101 buttons into an image, and a repaint of the shown bar.
    QImage target(bar->size(), QImage::Format_ARGB32_Premultiplied);
    const double render = benchtime::MedianMs(31, [&] {
        QPainter p(&target);
        bar->render(&p);
    });
    const double repaint = benchtime::MedianMs(31, [&] { bar->repaint(); });

    // Restoring: the ini file parsed and the layout of 101 buttons applied.
    const QString iniName = dir.filePath(QStringLiteral("kestrova5.ini"));
    const QString section = QStringLiteral("TFrameFormSpeedBar1");
    {
        qv::IniFileObject ini(iniName);
        bar->SaveLayout(&ini, section);
    }
    const double restore = benchtime::MedianMs(31, [&] {
        qv::IniFileObject ini(iniName);
        bar->RestoreLayout(&ini, section);
    });
    int shown = 0;
    for (const speedbar::TSpeedItem *it : items)
        shown += it->Visible() ? 1 : 0;
    if (shown != int(items.size())) {
        std::fprintf(stderr, "the restored layout shows %d of %d buttons\n", shown, int(items.size()));
        return 1;
    }
    QApplication::processEvents();

    // Enabling when nothing changes.
    PaintCounter counter;
    for (speedbar::TSpeedItem *it : items)
        it->Button()->installEventFilter(&counter);
    bar->repaint();
    QApplication::processEvents();
    counter.paints = 0;
    const double enable = benchtime::MedianMs(1001, [&] {
        for (speedbar::TSpeedItem *it : items)
            it->SetEnabled(true);
    });
    QApplication::processEvents();
    const int repaints = counter.paints;

    std::printf("tool bar of %d items in %d rows (%dx%d)\n", int(items.size()), rows, bar->width(), bar->height());
    std::printf("paint, whole bar into an image:       %8.3f ms (goal < 2 ms)\n", render);
    std::printf("paint, repaint of the shown bar:      %8.3f ms (goal < 2 ms)\n", repaint);
    std::printf("restore layout of %d buttons:        %8.3f ms (goal < 5 ms)\n", shown, restore);
    std::printf("Enabled on every item, no change:     %8.3f us a round, %d repaints (goal: 0)\n", enable * 1000.0,
                repaints);
    return 0;
}
