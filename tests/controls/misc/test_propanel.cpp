#include "k5test.h"

#include "controls/misc/propanel.h"

#include <QPainter>

using namespace misc;

namespace {

// Distinct system colours, so every frame line can be told apart.
const QColor kHighlight(250, 250, 250); // button highlight
const QColor kShadow(100, 100, 100);    // button shadow
const QColor kBtnText(10, 10, 10);      // button text
const QColor kLight3D(200, 200, 200);   // 3-D light
const QColor kFrame(1, 2, 3);           // window frame
const QColor kUnder(0, 0, 255);         // what lies under a control with no background
const QColor kGreen(0, 160, 0);

void usePalette(QWidget &w)
{
    QPalette pal = w.palette();
    pal.setColor(QPalette::Light, kHighlight);
    pal.setColor(QPalette::Dark, kShadow);
    pal.setColor(QPalette::ButtonText, kBtnText);
    pal.setColor(QPalette::Midlight, kLight3D);
    pal.setColor(QPalette::Shadow, kFrame);
    w.setPalette(pal);
}

// The control drawn over a blue ground.
QImage draw(QWidget &w)
{
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(kUnder);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

// n colours walking in from an edge: from (x, y) one step at a time.
QList<QColor> walk(const QImage &img, int x, int y, int dx, int dy, int n)
{
    QList<QColor> out;
    for (int i = 0; i < n; ++i)
        out << img.pixelColor(x + i * dx, y + i * dy);
    return out;
}
QList<QColor> fromLeft(const QImage &img, int y, int n) { return walk(img, 0, y, 1, 0, n); }
QList<QColor> fromRight(const QImage &img, int y, int n) { return walk(img, img.width() - 1, y, -1, 0, n); }
QList<QColor> fromTop(const QImage &img, int x, int n) { return walk(img, x, 0, 0, 1, n); }
QList<QColor> fromBottom(const QImage &img, int x, int n) { return walk(img, x, img.height() - 1, 0, -1, n); }

} // namespace

class TestProPanel : public QObject {
    Q_OBJECT
private slots:
    void defaults()
    {
        TProBorder b;
        QCOMPARE(b.size(), QSize(50, 50));
        QVERIFY(b.BevelCtl3D());
        QCOMPARE(b.BevelOuter(), bvRaised);
        QCOMPARE(b.BevelInner(), bvNone);
        QCOMPARE(b.BevelSides(), AllSides());
        QCOMPARE(b.BevelWidth(), 1);
        QCOMPARE(b.BorderWidth(), 0);
        QCOMPARE(b.BorderColor(), b.palette().color(QPalette::Button));

        TProPanel p;
        QVERIFY(!p.BevelCtl3D());
        QCOMPARE(p.BevelOuter(), bvRaised);
        QCOMPARE(p.BevelSides(), AllSides());
        QCOMPARE(p.BorderColor(), p.palette().color(QPalette::Button));
        QCOMPARE(p.Color(), p.palette().color(QPalette::Button));
        QCOMPARE(p.VerticalAlignment(), vaCenter);
        QCOMPARE(p.Alignment(), taCenter);
    }

    void ctl3DSetsTheBevelWidth()
    {
        TProBorder b;
        b.SetBevelCtl3D(false);
        QCOMPARE(b.BevelWidth(), 1);
        b.SetBevelWidth(4);
        QCOMPARE(b.BevelWidth(), 4);
        b.SetBevelCtl3D(true);
        QCOMPARE(b.BevelWidth(), 2);
        // The border ignores width changes while 3-D; the panel takes them.
        b.SetBevelWidth(5);
        QCOMPARE(b.BevelWidth(), 2);
        TProPanel p;
        p.SetBevelCtl3D(true);
        QCOMPARE(p.BevelWidth(), 2);
        p.SetBevelWidth(5);
        QCOMPARE(p.BevelWidth(), 5);
        p.SetBevelCtl3D(false);
        QCOMPARE(p.BevelWidth(), 1);
    }

    void raisedAndLoweredBevels()
    {
        TProBorder b;
        usePalette(b);
        // Raised, 3-D: highlight / button text outside, 3-D light / shadow inside; the frame has no fill.
        QImage img = draw(b);
        QCOMPARE(fromLeft(img, 20, 3), QList<QColor>({kHighlight, kLight3D, kUnder}));
        QCOMPARE(fromTop(img, 20, 3), QList<QColor>({kHighlight, kLight3D, kUnder}));
        QCOMPARE(fromRight(img, 20, 3), QList<QColor>({kBtnText, kShadow, kUnder}));
        QCOMPARE(fromBottom(img, 20, 3), QList<QColor>({kBtnText, kShadow, kUnder}));
        // The bottom-right colour owns the top-right and bottom-left corners.
        QCOMPARE(img.pixelColor(49, 0), kBtnText);
        QCOMPARE(img.pixelColor(0, 49), kBtnText);
        QCOMPARE(img.pixelColor(0, 0), kHighlight);

        // Lowered, 3-D: shadow / highlight outside, button text / 3-D light inside.
        b.SetBevelOuter(bvLowered);
        img = draw(b);
        QCOMPARE(fromLeft(img, 20, 3), QList<QColor>({kShadow, kBtnText, kUnder}));
        QCOMPARE(fromRight(img, 20, 3), QList<QColor>({kHighlight, kLight3D, kUnder}));

        // Flat bevels: one colour pair, BevelWidth lines deep; raised ends in the shadow colour.
        b.SetBevelCtl3D(false);
        b.SetBevelWidth(3);
        img = draw(b);
        QCOMPARE(fromLeft(img, 20, 4), QList<QColor>({kShadow, kShadow, kShadow, kUnder}));
        QCOMPARE(fromBottom(img, 20, 4), QList<QColor>({kHighlight, kHighlight, kHighlight, kUnder}));
        b.SetBevelOuter(bvRaised);
        img = draw(b);
        QCOMPARE(fromTop(img, 20, 4), QList<QColor>({kHighlight, kHighlight, kHighlight, kUnder}));
        QCOMPARE(fromRight(img, 20, 4), QList<QColor>({kShadow, kShadow, kShadow, kUnder}));
        b.SetBevelOuter(bvNone);
        QCOMPARE(draw(b).pixelColor(0, 20), kUnder);
    }

    void onlyTheChosenSides()
    {
        TProBorder b;
        usePalette(b);
        b.SetBevelSides(sdLeft | sdTop);
        QImage img = draw(b);
        QCOMPARE(fromLeft(img, 20, 3), QList<QColor>({kHighlight, kLight3D, kUnder}));
        QCOMPARE(fromTop(img, 20, 3), QList<QColor>({kHighlight, kLight3D, kUnder}));
        QCOMPARE(fromRight(img, 20, 1), QList<QColor>({kUnder}));
        QCOMPARE(fromBottom(img, 20, 1), QList<QColor>({kUnder}));
        // With no bottom side the left line runs to the bottom edge.
        QCOMPARE(img.pixelColor(0, 49), kHighlight);
        b.SetBevelSides(sdRight | sdBottom);
        img = draw(b);
        QCOMPARE(fromLeft(img, 20, 1), QList<QColor>({kUnder}));
        QCOMPARE(fromRight(img, 20, 3), QList<QColor>({kBtnText, kShadow, kUnder}));
        QCOMPARE(fromBottom(img, 20, 3), QList<QColor>({kBtnText, kShadow, kUnder}));
        QCOMPARE(b.contentsMargins(), QMargins(0, 0, 2, 2));
    }

    void outerBorderInnerOrder()
    {
        TProBorder b;
        usePalette(b);
        b.SetBevelCtl3D(false);
        b.SetBorderColor(kGreen);
        b.SetBorderWidth(2);
        b.SetBevelInner(bvLowered);
        const QImage img = draw(b);
        QCOMPARE(fromLeft(img, 20, 5), QList<QColor>({kHighlight, kGreen, kGreen, kShadow, kUnder}));
        QCOMPARE(fromRight(img, 20, 5), QList<QColor>({kShadow, kGreen, kGreen, kHighlight, kUnder}));
        QCOMPARE(b.contentsMargins(), QMargins(4, 4, 4, 4));
        b.SetBevelOuter(bvNone);
        b.SetBevelInner(bvNone);
        QCOMPARE(fromTop(draw(b), 20, 3), QList<QColor>({kGreen, kGreen, kUnder}));
    }

    void panelFillsAndAlignsItsCaption()
    {
        TProPanel p;
        usePalette(p);
        p.resize(120, 90);
        const QColor face(255, 255, 255);
        p.SetColor(face);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(16);
        f.setStyleStrategy(QFont::NoAntialias);
        p.setFont(f);
        QPalette pal = p.palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        p.setPalette(pal);
        QImage img = draw(p);
        // Outer raised bevel, one pixel, then the face colour everywhere inside.
        QCOMPARE(fromLeft(img, 40, 3), QList<QColor>({kHighlight, face, face}));
        QCOMPARE(fromRight(img, 40, 2), QList<QColor>({kShadow, face}));

        const auto ink = [&]() {
            const QImage shot = draw(p);
            QRect box;
            for (int y = 1; y < shot.height() - 1; ++y)
                for (int x = 1; x < shot.width() - 1; ++x)
                    if (shot.pixelColor(x, y) == QColor(Qt::black))
                        box = box.united(QRect(x, y, 1, 1));
            return box;
        };
        p.SetCaption(QStringLiteral("Hi"));
        const QRect centre = ink();
        QVERIFY(qAbs(centre.center().x() - 60) <= 3);
        QVERIFY(qAbs(centre.center().y() - 45) <= 5);
        p.SetVerticalAlignment(vaTop);
        QVERIFY(ink().top() < 10);
        p.SetVerticalAlignment(vaBottom);
        QVERIFY(ink().bottom() > 90 - 10);
        p.SetAlignment(taLeftJustify);
        QVERIFY(ink().left() < 6);
        p.SetAlignment(taRightJustify);
        QVERIFY(ink().right() > 120 - 6);

        // A single border style: a plain one-pixel frame outside the bevels.
        p.SetCaption(QString());
        p.SetBorderStyle(bsSingle);
        img = draw(p);
        QCOMPARE(fromLeft(img, 40, 3), QList<QColor>({kFrame, kHighlight, face}));
        QCOMPARE(p.contentsMargins(), QMargins(2, 2, 2, 2));
    }

    void events()
    {
        TProPanel p;
        int resized = 0, clicks = 0;
        p.OnResize = [&](QObject *s) { resized += s == &p; };
        p.OnClick = [&](QObject *) { ++clicks; };
        p.show();
        resized = 0;
        p.resize(77, 33);
        QCOMPARE(resized, 1);
        QTest::mouseClick(&p, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks, 1);

        TProBorder b;
        QStringList log;
        b.OnMouseEnter = [&](QObject *s) { log << (s == &b ? "enter" : "?"); };
        b.OnMouseLeave = [&](QObject *) { log << "leave"; };
        p.OnMouseEnter = [&](QObject *) { log << "panel"; };
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&b, &enter);
        QApplication::sendEvent(&p, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&b, &leave);
        QCOMPARE(log, QStringList({"enter", "panel", "leave"}));
    }
};

K5_TEST_MAIN(TestProPanel)
#include "test_propanel.moc"
