#include "k5test.h"

#include "barfixture.h"
#include "tests/controls/qv/windowmouse.h"

#include <QPainter>

using namespace speedbar;
using namespace windowmouse;

namespace {

// Drags the bar by its surface from a free point to a point of its parent, in steps.
void dragBar(TSpeedBar *bar, QPoint from, QPoint toInParent)
{
    QWidget *parent = bar->parentWidget();
    press(bar, from);
    const QPoint start = bar->mapTo(parent, from);
    for (int i = 1; i <= 4; ++i)
        move(parent, start + (toInParent - start) * i / 4);
    release(parent, toInParent);
}

QPoint freePoint(const TSpeedBar *bar)
{
    return {bar->width() / 2, bar->height() / 2};
}

// A shown form of 400 x 300 with its bar at the top and one button at the bar's start.
struct ShownBar : BarFixture {
    ShownBar() : BarFixture(3)
    {
        place(1, 3, 3);
        if (!showActive(form.get()))
            qWarning("form not active");
    }
};

// Any pixel of the colour in the row?
bool rowHas(const QImage &img, int y, QRgb colour, int from, int to)
{
    for (int x = from; x < to; ++x)
        if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
            return true;
    return false;
}

} // namespace

class TestSpeedBarGeometry : public QObject {
    Q_OBJECT
private slots:
    void fineStepDividesTheButton_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("step");
        QTest::newRow("24") << 24 << 8;
        QTest::newRow("23") << 23 << 1; // 7 rises to 23, then falls: no divisor but 1
        QTest::newRow("16") << 16 << 8;
        QTest::newRow("9") << 9 << 3;
        QTest::newRow("2") << 2 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("-5") << -5 << 1;
    }
    void fineStepDividesTheButton()
    {
        QFETCH(int, size);
        QFETCH(int, step);
        BarFixture f(0);
        f.bar->SetBtnWidth(size);
        QCOMPARE(f.bar->GridStepHorz(), step);
        QCOMPARE(f.bar->GridStepVert(), 23);
        // On a vertical bar the fine step runs down the bar.
        f.bar->SetAlign(alLeft);
        QCOMPARE(f.bar->GridStepVert(), step);
        QCOMPARE(f.bar->GridStepHorz(), 23);
    }

    void flatButtonsLowerTheMinimumOffset()
    {
        BarFixture f(1);
        f.place(1, 3, 3);
        QCOMPARE(f.bar->MinimumOffset(), 3);
        f.bar->SetOptions(f.bar->Options() | sbFlatBtns);
        QCOMPARE(f.bar->MinimumOffset(), 1);
        QCOMPARE(f.bar->BtnOffsetHorz(), 3); // above the minimum: kept
        f.bar->SetBtnOffsetHorz(1);
        f.bar->SetBtnOffsetVert(0);
        QCOMPARE(f.bar->BtnOffsetVert(), 1);
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(1, 1));
        // Back to raised buttons: the offsets and the buttons move out again.
        f.bar->SetOptions(f.bar->Options() & ~sbFlatBtns);
        QCOMPARE(f.bar->BtnOffsetHorz(), 3);
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(3, 3));
        // Bevels and borders count too.
        f.bar->SetBorderWidth(2);
        f.bar->SetBevelInner(bvLowered);
        QCOMPARE(f.bar->MinimumOffset(), 2 + 2 + 1 + 1);
        QCOMPARE(f.bar->BtnOffsetVert(), 6);
    }

    // A single border style draws an edge round the bar, sunken with Ctl3D, and the buttons keep off it.
    void borderStyleEdgeKeepsTheButtonsInside()
    {
        BarFixture f(1);
        f.place(1, 3, 3);
        QCOMPARE(f.bar->BorderStyle(), bsNone);
        QVERIFY(f.bar->Ctl3D());
        const QPalette pal = f.bar->palette();
        auto colour = [&](QPalette::ColorRole role) { return pal.color(role).rgb(); };
        f.bar->SetBorderStyle(bsSingle);
        QCOMPARE(f.bar->MinimumOffset(), 3 + 2);
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(5, 5));
        QImage img = f.bar->grab().toImage();
        const int h = f.bar->height();
        QCOMPARE(img.pixel(50, 0), colour(QPalette::Dark));
        QCOMPARE(img.pixel(50, 1), colour(QPalette::Shadow));
        QCOMPARE(img.pixel(0, 10), colour(QPalette::Dark));
        QCOMPARE(img.pixel(50, h - 1), colour(QPalette::Light));
        QCOMPARE(img.pixel(50, h - 2), colour(QPalette::Midlight));
        QCOMPARE(img.pixel(50, 2), colour(QPalette::Light)); // the raised bevel inside the edge

        f.bar->SetCtl3D(false);
        QCOMPARE(f.bar->MinimumOffset(), 3 + 1);
        img = f.bar->grab().toImage();
        QCOMPARE(img.pixel(50, 0), colour(QPalette::WindowText));
        QCOMPARE(img.pixel(50, h - 1), colour(QPalette::WindowText));
        QCOMPARE(img.pixel(50, 1), colour(QPalette::Light));
        f.bar->SetBtnOffsetHorz(0);
        QCOMPARE(f.item(1)->Left(), 4);

        f.bar->SetBorderStyle(bsNone);
        QCOMPARE(f.bar->MinimumOffset(), 3);
        QCOMPARE(f.bar->grab().toImage().pixel(50, 0), colour(QPalette::Light));
    }

    void offsetsAndSizesMoveTheButtons()
    {
        BarFixture f(1);
        f.place(1, 27, 3);
        f.bar->SetBtnOffsetHorz(10);
        QCOMPARE(f.item(1)->Left(), 34);
        f.bar->SetBtnHeight(40);
        QCOMPARE(f.item(1)->Button()->size(), QSize(24, 40));
        QCOMPARE(f.bar->height(), 2 * 3 + 40); // the bar makes room for one row
        f.bar->SetBtnHeight(10);
        QCOMPARE(f.bar->height(), 46); // it never shrinks for it
        // Across a horizontal bar a button keeps off the margin.
        f.item(1)->SetTop(0);
        QCOMPARE(f.item(1)->Top(), 3);
        f.item(1)->SetLeft(0);
        QCOMPARE(f.item(1)->Left(), 0);
    }

    void pointsSnapToTheGrid()
    {
        BarFixture f(2);
        // Horizontal: rounded along (halves to even), truncated across; steps 8 and 23, offsets 3.
        QCOMPARE(f.bar->SnapToGrid(QPoint(14, 30)), QPoint(11, 26));
        QCOMPARE(f.bar->SnapToGrid(QPoint(15, 48)), QPoint(19, 26));  // 1.5 steps: to 2
        QCOMPARE(f.bar->SnapToGrid(QPoint(7, 3)), QPoint(3, 3));     // 0.5 steps: to 0
        QCOMPARE(f.bar->SnapToGrid(QPoint(31, 3)), QPoint(35, 3));   // 3.5 steps: to 4
        QCOMPARE(f.bar->SnapToGrid(QPoint(0, 0)), QPoint(3, 3));
        QCOMPARE(f.bar->SnapToGrid(QPoint(-30, -30)), QPoint(-29, -20)); // across: toward zero
        // Vertical: truncated along x, rounded along y.
        f.bar->SetAlign(alLeft);
        QCOMPARE(f.bar->SnapToGrid(QPoint(30, 14)), QPoint(26, 11));
        QCOMPARE(f.bar->SnapToGrid(QPoint(3, 15)), QPoint(3, 19));
        // Dropped inside the bar the item shows; outside it leaves.
        QVERIFY(f.bar->PlaceItem(f.item(1), QPoint(5, 40)));
        QVERIFY(f.item(1)->Visible());
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(3, 43));
        QVERIFY(!f.bar->PlaceItem(f.item(1), QPoint(200, 40)));
        QVERIFY(!f.item(1)->Visible());
    }

    void orientationChangeTransposesTheButtons()
    {
        BarFixture f(2);
        f.place(1, 27, 3);
        f.place(2, 51, 26);
        const int thickness = f.bar->height();
        f.bar->SetAlign(alLeft);
        QCOMPARE(f.bar->Orientation(), boVertical);
        QCOMPARE(f.bar->width(), thickness);
        QCOMPARE(QSize(f.bar->BtnWidth(), f.bar->BtnHeight()), QSize(23, 24));
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(3, 27));
        QCOMPARE(QPoint(f.item(2)->Left(), f.item(2)->Top()), QPoint(26, 51));
        QCOMPARE(f.item(1)->Button()->size(), QSize(23, 24));
        // Right keeps the orientation; top brings everything back.
        f.bar->SetAlign(alRight);
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(3, 27));
        f.bar->SetAlign(alTop);
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(27, 3));
        QCOMPARE(f.bar->height(), thickness);
    }

    void positionDecidesWhatAlignmentsAreAllowed()
    {
        BarFixture f(0);
        try {
            f.bar->SetAlign(alClient);
            QFAIL("no error");
        } catch (const ESpeedbarError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot set this property value while Position is bpAuto"));
        }
        QVERIFY_THROWS_EXCEPTION(ESpeedbarError, f.bar->SetAlign(alNone));
        QCOMPARE(f.bar->Align(), alTop);
        // A custom position keeps its orientation wherever the bar goes.
        f.bar->SetPosition(bpCustom);
        f.bar->SetAlign(alLeft);
        QCOMPARE(f.bar->Orientation(), boHorizontal);
        f.bar->SetAlign(alClient);
        QCOMPARE(f.bar->Align(), alClient);
        // Back to automatic: the orientation follows the edge again.
        f.bar->SetAlign(alRight);
        f.bar->SetPosition(bpAuto);
        QCOMPARE(f.bar->Orientation(), boVertical);
    }

    void draggingDocksOnTheEdgeTheDiagonalsChoose()
    {
        ShownBar f;
        TSpeedBar *bar = f.bar;
        QList<TAlign> asked;
        int moved = 0;
        bar->OnApplyAlign = [&](QObject *, TAlign align, bool &) { asked << align; };
        bar->OnPosChanged = [&](QObject *) { ++moved; };

        dragBar(bar, freePoint(bar), QPoint(200, 290));
        QCOMPARE(bar->Align(), alBottom);
        QCOMPARE(bar->geometry(), QRect(0, 300 - 29, 400, 29));
        QCOMPARE(moved, 1);
        QVERIFY(asked.contains(alBottom));
        QCOMPARE(asked.last(), alBottom);

        dragBar(bar, freePoint(bar), QPoint(10, 150));
        QCOMPARE(bar->Align(), alLeft);
        QCOMPARE(bar->geometry(), QRect(0, 0, 29, 300));
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(3, 3));

        dragBar(bar, freePoint(bar), QPoint(390, 140));
        QCOMPARE(bar->Align(), alRight);
        QCOMPARE(bar->geometry(), QRect(400 - 29, 0, 29, 300));

        dragBar(bar, freePoint(bar), QPoint(210, 8));
        QCOMPARE(bar->Align(), alTop);
        QCOMPARE(bar->geometry(), QRect(0, 0, 400, 29));
        QCOMPARE(moved, 4);
        QVERIFY(!bar->Dragging());
    }

    // While the bar is dragged a frame 3 pixels wide shows where it would go. Only the frame is drawn:
    // what lies inside shows through without a compositing manager (a translucent window would show
    // a black block there); it follows the mouse and goes when the drag ends.
    void theDragFrameIsAFrameOnly()
    {
        ShownBar f;
        TSpeedBar *bar = f.bar;
        auto frames = [&] {
            QList<QWidget *> out;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w != f.form.get() && w->isVisible())
                    out << w;
            return out;
        };
        const QPoint p = freePoint(bar);
        press(bar, p);
        move(bar, p + QPoint(0, 6));
        QVERIFY(bar->Dragging());
        QList<QWidget *> shown = frames();
        QCOMPARE(shown.size(), 1);
        QWidget *frame = shown.first();
        const QRect barOnScreen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
        QCOMPARE(frame->geometry(), barOnScreen);
        QVERIFY(!frame->testAttribute(Qt::WA_TranslucentBackground));
        const QRect all(QPoint(0, 0), barOnScreen.size());
        QCOMPARE(frame->mask(), QRegion(all).subtracted(QRegion(all.adjusted(3, 3, -3, -3))));
        // Seen on any background: both black and white dots.
        const QImage drawn = frame->grab().toImage();
        QVERIFY(rowHas(drawn, 1, qRgb(0, 0, 0), 0, drawn.width()) && rowHas(drawn, 1, qRgb(255, 255, 255), 0, drawn.width()));

        // Towards the bottom edge: the frame goes there with the mouse, one frame at a time.
        QWidget *parent = bar->parentWidget();
        const QPoint start = bar->mapTo(parent, p + QPoint(0, 6)), bottom(200, 290);
        for (int i = 1; i <= 4; ++i)
            move(parent, start + (bottom - start) * i / 4);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        shown = frames();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first()->geometry(), QRect(parent->mapToGlobal(QPoint(0, 300 - 29)), QSize(400, 29)));
        release(parent, bottom);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frames().isEmpty());
        QCOMPARE(bar->Align(), alBottom);
    }

    void dragStartsAtFivePixels()
    {
        ShownBar f;
        TSpeedBar *bar = f.bar;
        const QPoint p = freePoint(bar);
        press(bar, p);
        move(bar, p + QPoint(4, 0));
        move(bar, p + QPoint(0, -4));
        QVERIFY(!bar->Dragging());
        move(bar, p + QPoint(5, 0));
        QVERIFY(bar->Dragging());
        release(bar, p + QPoint(5, 0));
        QVERIFY(!bar->Dragging());
        QCOMPARE(bar->Align(), alTop);
        // Without the drag option nothing starts.
        bar->SetOptions(sbGrayedBtns);
        press(bar, p);
        move(bar, p + QPoint(40, 40));
        QVERIFY(!bar->Dragging());
        release(bar, p + QPoint(40, 40));
    }

    void vetoedDockStaysAndStillReports()
    {
        ShownBar f;
        TSpeedBar *bar = f.bar;
        int moved = 0, asked = 0;
        bar->OnApplyAlign = [&](QObject *, TAlign, bool &apply) {
            ++asked;
            apply = false;
        };
        bar->OnPosChanged = [&](QObject *) { ++moved; };
        dragBar(bar, freePoint(bar), QPoint(200, 290));
        QCOMPARE(bar->Align(), alTop);
        QCOMPARE(bar->geometry(), QRect(0, 0, 400, 29));
        QCOMPARE(moved, 1);
        QVERIFY(asked >= 2); // during the drag and once more at the drop
    }

    void dockedBarGoesAfterEarlierNeighbours()
    {
        ShownBar f;
        auto *panel = new QWidget(f.form.get());
        panel->resize(400, 40);
        TAlignLayout *layout = TAlignLayout::Of(f.form.get(), false);
        QVERIFY(layout);
        layout->SetAlign(panel, alTop);
        panel->show();
        // The panel came after the bar at the top.
        QCOMPARE(f.bar->geometry(), QRect(0, 0, 400, 29));
        QCOMPARE(panel->geometry(), QRect(0, 29, 400, 40));
        // On the left the bar sits below every top child.
        dragBar(f.bar, freePoint(f.bar), QPoint(10, 150));
        QCOMPARE(f.bar->geometry(), QRect(0, 40, 29, 260));
        QCOMPARE(panel->geometry(), QRect(0, 0, 400, 40));
    }

    void parentWithoutSizeKeepsTheAlignment()
    {
        TFrameForm form;
        form.resize(300, 200);
        auto *holder = new QWidget(&form);
        holder->setGeometry(0, 0, 0, 0);
        TSpeedBar bar(holder);
        int moved = 0;
        bar.OnPosChanged = [&](QObject *) { ++moved; };
        // Straight to the bar: its parent has no room to show it.
        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(&bar, QPoint(60, 60));
        QVERIFY(bar.Dragging());
        QTest::mouseMove(&bar, QPoint(80, 90));
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(80, 90));
        QCOMPARE(bar.Align(), alTop);
        QCOMPARE(moved, 1);
    }

    void resizingGoesInWholeRows()
    {
        ShownBar f;
        TSpeedBar *bar = f.bar;
        bar->SetOptions(sbAllowDrag | sbAllowResize | sbGrayedBtns);
        // Only while customised.
        QVERIFY(!bar->OnResizeEdge(QPoint(200, 27)));
        QWidget window;
        bar->SetCustomizeWindow(&window);
        QVERIFY(bar->OnResizeEdge(QPoint(200, 27)));
        QVERIFY(bar->OnResizeEdge(QPoint(1, 26)));
        QVERIFY(!bar->OnResizeEdge(QPoint(200, 25)));
        QVERIFY(!bar->OnResizeEdge(QPoint(0, 27)));
        move(bar, QPoint(200, 10));
        move(bar, QPoint(200, 27));
        QCOMPARE(bar->cursor().shape(), Qt::SizeVerCursor);
        press(bar, QPoint(200, 27));
        QVERIFY(bar->Resizing());
        move(bar, QPoint(200, 60));
        QCOMPARE(bar->height(), 2 * 23 + 6);
        move(bar, QPoint(200, 2));
        QCOMPARE(bar->height(), 23 + 6); // closer than one button: still one row
        move(f.form.get(), QPoint(200, 299));
        QCOMPARE(bar->height(), 12 * 23 + 6);
        move(f.form.get(), QPoint(200, 320)); // outside the parent: nothing
        QCOMPARE(bar->height(), 12 * 23 + 6);
        release(f.form.get(), QPoint(200, 299));
        QVERIFY(!bar->Resizing());
        QCOMPARE(bar->Align(), alTop);
        // A button height below 1 counts as 1.
        bar->SetBtnHeight(0);
        press(bar, QPoint(200, bar->height() - 2));
        move(bar, QPoint(200, 50));
        QCOMPARE(bar->height(), 44 + 6);
        release(bar, QPoint(200, 50));
        bar->SetCustomizeWindow(nullptr);
    }

    void resizeEdgesOfEveryAlignment()
    {
        BarFixture f(0);
        QWidget window;
        f.bar->SetOptions(sbAllowDrag | sbAllowResize);
        f.bar->SetCustomizeWindow(&window);
        f.bar->resize(400, 29);
        f.bar->SetAlign(alBottom);
        QVERIFY(f.bar->OnResizeEdge(QPoint(10, -3)));
        QVERIFY(f.bar->OnResizeEdge(QPoint(10, 4)));
        QVERIFY(!f.bar->OnResizeEdge(QPoint(10, 5)));
        f.bar->SetAlign(alLeft);
        const int w = f.bar->width();
        QVERIFY(f.bar->OnResizeEdge(QPoint(w - 3, 10)));
        QVERIFY(f.bar->OnResizeEdge(QPoint(w + 4, 10)));
        QVERIFY(!f.bar->OnResizeEdge(QPoint(w - 4, 10)));
        f.bar->SetAlign(alRight);
        QVERIFY(f.bar->OnResizeEdge(QPoint(4, 10)));
        QVERIFY(!f.bar->OnResizeEdge(QPoint(5, 10)));
        f.bar->SetCustomizeWindow(nullptr);
    }

    void boundLinesAndWallpaperArePainted()
    {
        BarFixture f(0);
        const QPalette pal = f.bar->palette();
        const QRgb dark = pal.color(QPalette::Dark).rgb(), light = pal.color(QPalette::Light).rgb();
        f.bar->SetBoundLines(blTop | blBottom | blLeft | blRight);
        const QImage lines = f.bar->grab().toImage();
        const int w = f.bar->width();
        // Inside the one-pixel outer bevel: top at 1, 2; bottom at 26, 27; left at 1, 2; right 3 and 2 from
        // the edge.
        QCOMPARE(lines.pixel(50, 1), dark);
        QCOMPARE(lines.pixel(50, 2), light);
        QCOMPARE(lines.pixel(50, 26), dark);
        QCOMPARE(lines.pixel(50, 27), light);
        QCOMPARE(lines.pixel(1, 14), dark);
        QCOMPARE(lines.pixel(2, 14), light);
        QCOMPARE(lines.pixel(w - 3, 14), dark);
        QCOMPARE(lines.pixel(w - 2, 14), light);
        QCOMPARE(f.bar->contentsMargins(), QMargins(2, 2, 2, 2));

        f.bar->SetBoundLines(0);
        QImage tile(30, 20, QImage::Format_RGB32);
        tile.fill(Qt::blue);
        tile.setPixel(0, 0, qRgb(255, 0, 0));
        f.bar->SetWallpaper(tile);
        const QImage tiled = f.bar->grab().toImage();
        QCOMPARE(tiled.pixel(1, 1), qRgb(255, 0, 0));
        QCOMPARE(tiled.pixel(31, 1), qRgb(255, 0, 0));
        QCOMPARE(tiled.pixel(61, 21), qRgb(255, 0, 0));
        QCOMPARE(tiled.pixel(2, 2), qRgb(0, 0, 255));
        QVERIFY(!rowHas(tiled, 0, qRgb(0, 0, 255), 0, f.bar->width())); // clipped inside the bevel
        QImage halves(2, 1, QImage::Format_RGB32);
        halves.setPixel(0, 0, qRgb(255, 0, 0));
        halves.setPixel(1, 0, qRgb(0, 0, 255));
        f.bar->SetWallpaper(halves);
        f.bar->SetOptions(f.bar->Options() | sbStretchBitmap);
        const QImage stretched = f.bar->grab().toImage();
        QCOMPARE(stretched.pixel(10, 14), qRgb(255, 0, 0));
        QCOMPARE(stretched.pixel(f.bar->width() - 10, 14), qRgb(0, 0, 255));
    }

    void scalingSnapsTheButtons()
    {
        BarFixture f(2);
        f.place(1, 27, 3);
        f.bar->ChangeScale(120, 96);
        QCOMPARE(f.bar->BtnWidth(), 30);
        QCOMPARE(f.bar->BtnHeight(), 29);
        QCOMPARE(f.bar->BtnOffsetHorz(), 4);
        QCOMPARE(f.bar->GridStepHorz(), 10);
        // 27 * 1.25 = 34: three steps of 10 from the offset 4.
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(34, 4));
        QCOMPARE(f.item(1)->Button()->size(), QSize(30, 29));
        QCOMPARE(f.bar->height(), 36);
    }

    void barRepaintsNothingWhileUpdating()
    {
        // The paint of the bar never runs its children's code twice: a sanity check of the paint path.
        BarFixture f(3);
        f.place(1, 3, 3);
        f.place(2, 27, 3);
        const QImage img = f.bar->grab().toImage();
        QCOMPARE(img.size(), f.bar->size() * img.devicePixelRatio());
        // The first button's glyph is on the picture (key colour cleared).
        QVERIFY(rowHas(img, 10, barGlyph(qRgb(40, 0, 200)).pixel(8, 8), 3, 27));
    }
};

K5_TEST_MAIN(TestSpeedBarGeometry)
#include "test_speedbargeometry.moc"
