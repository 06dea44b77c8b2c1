#include "k5test.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvslider.h"
#include "controls/qv/qvutils.h"
#include "platform/error.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>

using namespace qv;

namespace {

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Counts the slider's notifications.
struct Counts {
    int change = 0;
    int changed = 0;
    explicit Counts(TQvSlider &s)
    {
        s.OnChange = [this](QObject *) { ++change; };
        s.OnChanged = [this](QObject *) { ++changed; };
    }
};

// A horizontal slider whose thumb travels exactly `track` pixels (the ruler leaves 6 pixels at each end
// and the built-in thumb is 11 pixels long).
void setTrack(TQvSlider &s, int track)
{
    s.resize(track + 11 + 12, 40);
    QCOMPARE(s.TrackLength(), track);
}

} // namespace

class TestQvSlider : public QObject {
    Q_OBJECT
private slots:
    void defaults()
    {
        TQvSlider s;
        QCOMPARE(s.size(), QSize(150, 40));
        QCOMPARE(s.focusPolicy(), Qt::StrongFocus);
        QCOMPARE(s.MinValue(), 0);
        QCOMPARE(s.MaxValue(), 100);
        QCOMPARE(s.Increment(), 10);
        QCOMPARE(s.Value(), 0);
        QCOMPARE(s.EdgeSize(), 2);
        QCOMPARE(s.NumThumbStates(), 2);
        QCOMPARE(s.Orientation(), soHorizontal);
        QCOMPARE(s.Options(), TSliderOptions(soShowFocus | soShowPoints | soSmooth));
        QCOMPARE(s.BevelStyle(), bvNone);
        QCOMPARE(s.UserImages(), TSliderImages(0));
        // Built-in images: two thumb states side by side, the corner pixel marking what is not drawn.
        QVERIFY(!s.ImageHThumb().isNull() && !s.ImageHRuler().isNull());
        QCOMPARE(s.ImageHThumb().width() % 2, 0);
        QCOMPARE(s.ImageVThumb().width() % 2, 0);
    }

    void keysStepOnTheIncrementGrid()
    {
        TQvSlider s;
        Counts n(s);
        s.SetValue(57);
        QCOMPARE(n.change, 1);
        QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(s.Value(), 70);
        QCOMPARE(n.changed, 1);
        s.SetValue(57);
        QTest::keyClick(&s, Qt::Key_Left);
        QCOMPARE(s.Value(), 50);
        // Halves go to the even multiple: 25 is on the way to 20, 35 to 40.
        s.SetValue(25);
        QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(s.Value(), 30);
        s.SetValue(35);
        QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(s.Value(), 50);
        QTest::keyClick(&s, Qt::Key_End);
        QCOMPARE(s.Value(), 100);
        QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(s.Value(), 100);
        QTest::keyClick(&s, Qt::Key_Home);
        QCOMPARE(s.Value(), 0);
        QTest::keyClick(&s, Qt::Key_Left);
        QCOMPARE(s.Value(), 0);
        // Up and Down belong to vertical sliders.
        const int changed = n.changed;
        QTest::keyClick(&s, Qt::Key_Up);
        QCOMPARE(s.Value(), 0);
        QCOMPARE(n.changed, changed);
        s.SetOrientation(soVertical);
        QTest::keyClick(&s, Qt::Key_Up);
        QCOMPARE(s.Value(), 10);
        QTest::keyClick(&s, Qt::Key_Down);
        QTest::keyClick(&s, Qt::Key_Down);
        QCOMPARE(s.Value(), 0);
        QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(s.Value(), 0);
    }

    void limitsAndIncrement()
    {
        TQvSlider s;
        s.SetValue(150);
        QCOMPARE(s.Value(), 100);
        s.SetMaxValue(-5);
        QCOMPARE(s.MaxValue(), 100);
        s.SetMinValue(100);
        QCOMPARE(s.MinValue(), 0);
        s.SetMaxValue(50);
        QCOMPARE(s.Value(), 50);
        QCOMPARE(s.Increment(), 10);
        s.SetMaxValue(5);
        QCOMPARE(s.Increment(), 5); // cut to the range
        s.SetMaxValue(100);
        for (int bad : {0, 101, -1}) {
            try {
                s.SetIncrement(bad);
                QFAIL("no error");
            } catch (const platform::Error &e) {
                QCOMPARE(e.message(), QStringLiteral("Value must be between 1 and 100"));
            }
        }
        QCOMPARE(s.Increment(), 5);
        s.SetIncrement(100);
        QCOMPARE(s.Increment(), 100);
    }

    void positionsFollowTheRoundingRule()
    {
        TQvSlider s;
        setTrack(s, 200);
        // The thumb sits 6 pixels in; 200 pixels for a range of 100.
        QCOMPARE(s.OffsetFromValue(0), 6);
        QCOMPARE(s.OffsetFromValue(37), 6 + 74);
        QCOMPARE(s.OffsetFromValue(100), 206);
        s.SetValue(37);
        QCOMPARE(s.ThumbRect().left(), 80);
        // Offsets between two values round to the nearest, halves to the even one.
        QCOMPARE(s.ValueFromOffset(6 + 1), 0);
        QCOMPARE(s.ValueFromOffset(6 + 3), 2);
        QCOMPARE(s.ValueFromOffset(6 + 4), 2);
        QCOMPARE(s.ValueFromOffset(0), 0);
        QCOMPARE(s.ValueFromOffset(500), 100);
        // Without soSmooth the value lands on the increment grid: 15 and 25 both give 20.
        s.SetOptions(soShowFocus);
        QCOMPARE(s.ValueFromOffset(6 + 30), 20);
        QCOMPARE(s.ValueFromOffset(6 + 50), 20);
        QCOMPARE(s.ValueFromOffset(6 + 70), 40);
        // Three pixels of track for each value: 1/3 of a value rounds away.
        setTrack(s, 300);
        s.SetOptions(soSmooth);
        QCOMPARE(s.OffsetFromValue(1), 6 + 3);
        QCOMPARE(s.OffsetFromValue(50), 6 + 150);
        s.SetRange(10, 20);
        QCOMPARE(s.OffsetFromValue(15), 6 + 150);
        QCOMPARE(s.ValueFromOffset(6 + 15), 10);
        QCOMPARE(s.ValueFromOffset(6 + 45), 12); // 1.5 → 2
        QCOMPARE(s.ValueFromOffset(6 + 75), 12); // 2.5 → 2
    }

    void verticalSliderHasItsMaximumOnTop()
    {
        TQvSlider s;
        s.SetOrientation(soVertical);
        s.resize(40, 223);
        QCOMPARE(s.TrackLength(), 200);
        s.SetValue(100);
        QCOMPARE(s.ThumbRect().top(), 6);
        s.SetValue(0);
        QCOMPARE(s.ThumbRect().top(), 206);
        s.SetValue(25);
        QCOMPARE(s.ThumbRect().top(), 156);
        QCOMPARE(s.ValueFromOffset(156), 25);
        QCOMPARE(s.ValueFromOffset(6), 100);
    }

    void draggingSnapsTheThumbToValues()
    {
        TQvSlider s;
        setTrack(s, 200);
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        Counts n(s);
        const QRect thumb = s.ThumbRect();
        const QPoint grab = thumb.center();
        sendMouse(&s, QEvent::MouseMove, grab);
        QCOMPARE(s.cursor().shape(), Qt::BitmapCursor); // the hand over the thumb
        sendMouse(&s, QEvent::MouseButtonPress, grab);
        QVERIFY(s.Dragging());
        sendMouse(&s, QEvent::MouseMove, grab + QPoint(41, 7));
        QCOMPARE(s.Value(), 20); // 41 pixels: 20.5 rounds to 20
        QCOMPARE(s.ThumbRect().left(), thumb.left() + 40);
        QCOMPARE(n.changed, 0);
        sendMouse(&s, QEvent::MouseMove, grab + QPoint(1000, 0));
        QCOMPARE(s.Value(), 100);
        sendMouse(&s, QEvent::MouseMove, grab + QPoint(-1000, 0));
        QCOMPARE(s.Value(), 0);
        sendMouse(&s, QEvent::MouseMove, grab + QPoint(60, 0));
        sendMouse(&s, QEvent::MouseButtonRelease, grab + QPoint(60, 0));
        QVERIFY(!s.Dragging());
        QCOMPARE(s.Value(), 30);
        QCOMPARE(n.changed, 1);
        sendMouse(&s, QEvent::MouseMove, QPoint(2, 2));
        QCOMPARE(s.cursor().shape(), Qt::ArrowCursor);
    }

    void pressOnTheRulerRepeatsEvery400Ms()
    {
        ManualClock clock;
        TQvSlider s;
        setTrack(s, 200);
        Counts n(s);
        const int y = s.ThumbRect().center().y();
        const QPoint right(150, y);
        sendMouse(&s, QEvent::MouseButtonPress, right);
        QCOMPARE(s.Value(), 10);
        clock.Advance(399);
        QCOMPARE(s.Value(), 10);
        clock.Advance(1);
        QCOMPARE(s.Value(), 20);
        clock.Advance(400);
        QCOMPARE(s.Value(), 30);
        // The pointer moved behind the thumb: no more steps that way.
        sendMouse(&s, QEvent::MouseMove, QPoint(2, y));
        clock.Advance(1200);
        QCOMPARE(s.Value(), 30);
        QCOMPARE(n.changed, 0);
        sendMouse(&s, QEvent::MouseButtonRelease, QPoint(2, y));
        QCOMPARE(n.changed, 1);
        clock.Advance(2000);
        QCOMPARE(s.Value(), 30);
        // Left of the thumb steps down.
        sendMouse(&s, QEvent::MouseButtonPress, QPoint(8, y));
        QCOMPARE(s.Value(), 20);
        sendMouse(&s, QEvent::MouseButtonRelease, QPoint(8, y));
        QCOMPARE(n.changed, 2);
    }

    void emptyRangeAndTrackDivideByNothing()
    {
        TQvSlider s;
        s.SetLoading(true);
        s.SetRange(5, 5);
        QCOMPARE(s.MinValue(), 5);
        QCOMPARE(s.MaxValue(), 5);
        QCOMPARE(s.Increment(), 0);
        QCOMPARE(s.Value(), 5);
        QCOMPARE(s.OffsetFromValue(5), 6);
        QCOMPARE(s.ValueFromOffset(80), 5);
        s.SetIncrement(0); // not checked while loading
        QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(s.Value(), 5);
        (void)s.grab();
        s.SetRange(0, 50);
        s.SetLoading(false);
        // A slider too small for its thumb.
        s.resize(10, 10);
        QCOMPARE(s.TrackLength(), 0);
        QCOMPARE(s.ValueFromOffset(3), 0);
        s.SetValue(50);
        QCOMPARE(s.ThumbRect().left(), 6);
        sendMouse(&s, QEvent::MouseButtonPress, s.ThumbRect().center());
        sendMouse(&s, QEvent::MouseMove, QPoint(9, 5));
        sendMouse(&s, QEvent::MouseButtonRelease, QPoint(9, 5));
        (void)s.grab();
        s.resize(0, 0);
        (void)s.grab();
    }

    void imagesAndPainting()
    {
        TQvSlider s;
        setTrack(s, 200);
        s.SetValue(50);
        // Points are drawn under the thumb at multiples of the increment.
        QImage shot = s.grab().toImage();
        const int tickY = s.ThumbRect().bottom() + 3;
        const QColor text = s.palette().color(QPalette::WindowText);
        QCOMPARE(shot.pixelColor(s.OffsetFromValue(30) + 5, tickY), text);
        QVERIFY(shot.pixelColor(s.OffsetFromValue(35) + 5, tickY) != text);
        // A drawing handler replaces the ticks.
        int drawn = 0;
        s.OnDrawPoints = [&](QObject *sender, QPainter &) {
            QCOMPARE(sender, &s);
            ++drawn;
        };
        shot = s.grab().toImage();
        QCOMPARE(drawn, 1);
        QVERIFY(shot.pixelColor(s.OffsetFromValue(30) + 5, tickY) != text);

        // A user thumb: its corner colour is not drawn unless the thumb is opaque.
        QImage thumb(20, 10, QImage::Format_RGB32);
        thumb.fill(Qt::red);
        thumb.setPixel(0, 9, qRgb(0, 255, 0));
        thumb.setPixel(1, 9, qRgb(0, 255, 0));
        s.SetImageHThumb(thumb);
        QCOMPARE(s.UserImages(), TSliderImages(siHThumb));
        QCOMPARE(s.ThumbRect().size(), QSize(10, 10));
        shot = s.grab().toImage();
        const QRect t = s.ThumbRect();
        QCOMPARE(shot.pixelColor(t.left() + 5, t.top()), QColor(Qt::red));
        QVERIFY(shot.pixelColor(t.left() + 1, t.bottom()) != QColor(0, 255, 0));
        s.SetOptions(s.Options() | soThumbOpaque);
        shot = s.grab().toImage();
        QCOMPARE(shot.pixelColor(t.left() + 1, t.bottom()), QColor(0, 255, 0));
        // Taking the image away brings back the built-in one and its transparency.
        s.SetImageHThumb(QImage());
        QCOMPARE(s.UserImages(), TSliderImages(0));
        QVERIFY(!(s.Options() & soThumbOpaque));
        QCOMPARE(s.ThumbRect().width(), s.ImageHThumb().width() / 2);
        s.SetNumThumbStates(3);
        QCOMPARE(s.NumThumbStates(), 2);
        s.SetNumThumbStates(1);
        QCOMPARE(s.ThumbRect().width(), s.ImageHThumb().width());
        // The ends of the ruler may not take more than its thickness.
        s.SetEdgeSize(4);
        QCOMPARE(s.EdgeSize(), 2);
        s.SetEdgeSize(3);
        QCOMPARE(s.EdgeSize(), 3);
        s.SetBevelStyle(bvLowered);
        QCOMPARE(s.TrackLength(), 200 - 2 + (11 - 22));
        // The bevel runs round the whole control, its last row and column included.
        shot = s.grab().toImage();
        const QPalette pal = s.palette();
        QCOMPARE(shot.pixel(0, 0), pal.color(QPalette::Dark).rgb());
        QCOMPARE(shot.pixel(s.width() - 1, s.height() - 1), pal.color(QPalette::Light).rgb());
        QCOMPARE(shot.pixel(s.width() - 1, 5), pal.color(QPalette::Light).rgb());
    }
};

K5_TEST_MAIN(TestQvSlider)
#include "test_qvslider.moc"
