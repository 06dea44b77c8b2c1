#include "k5test.h"

#include "controls/misc/sctrls.h"
#include "controls/misc/strans.h"
#include "pixels.h"

#include <QPainter>
#include <QWindow>

using namespace misc;

namespace {

using pixels::Quarters;
using pixels::Shot;
using pixels::InkBox;

// Each pixel of the control's image is the parent's pixel under it.
bool showsParentUnder(QWidget &control)
{
    return pixels::ShowsQuarters(Shot(control), control.geometry().topLeft(), control.rect());
}

QPoint inWindow(QWidget *w, QPoint p) { return w->mapTo(w->window(), p); }
void press(QWidget *w, QPoint p) { QTest::mousePress(w->window()->windowHandle(), Qt::LeftButton, {}, inWindow(w, p)); }
void moveTo(QWidget *w, QPoint p) { QTest::mouseMove(w->window()->windowHandle(), inWindow(w, p)); }
void release(QWidget *w, QPoint p) { QTest::mouseRelease(w->window()->windowHandle(), Qt::LeftButton, {}, inWindow(w, p)); }

bool showActive(QWidget &w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}


} // namespace

class TestSCtrls : public QObject {
    Q_OBJECT
private slots:
    void transparentControlShowsItsParentsPainting()
    {
        Quarters parent;
        auto *c = new TsTransControl(&parent);
        c->setGeometry(80, 40, 50, 30); // over all four quarters
        QVERIFY(!c->Transparent());
        QVERIFY(c->BackgroundStale());
        c->SetColor(Qt::white);
        QCOMPARE(Shot(*c).pixelColor(0, 0), QColor(Qt::white));

        c->SetTransparent(true);
        QVERIFY(showsParentUnder(*c));
        QVERIFY(!c->BackgroundStale());
        QCOMPARE(c->CachedBackground().size(), c->size());

        // Painting again takes nothing new while the background is fresh.
        const qint64 taken = c->CachedBackground().cacheKey();
        Shot(*c);
        QCOMPARE(c->CachedBackground().cacheKey(), taken);

        // Moving and resizing make it stale; the next paint takes the new place.
        c->move(10, 10);
        QVERIFY(c->BackgroundStale());
        QVERIFY(showsParentUnder(*c));
        c->resize(150, 90);
        QVERIFY(c->BackgroundStale());
        QVERIFY(showsParentUnder(*c));

        c->SetTransparent(false);
        QVERIFY(c->CachedBackground().isNull());
        QCOMPARE(Shot(*c).pixelColor(0, 0), QColor(Qt::white));
    }

    void siblingsAreNotPartOfTheBackground()
    {
        Quarters parent;
        auto *sibling = new QWidget(&parent);
        sibling->setAutoFillBackground(true);
        QPalette pal = sibling->palette();
        pal.setColor(QPalette::Window, Qt::magenta);
        sibling->setPalette(pal);
        sibling->setGeometry(0, 0, 60, 60);
        auto *c = new TsTransControl(&parent);
        c->setGeometry(20, 20, 30, 30);
        c->SetTransparent(true);
        QVERIFY(showsParentUnder(*c));
    }

    void buttonLikeControlHasItsDefaults()
    {
        TsBWCCControl b;
        QCOMPARE(b.size(), QSize(75, 25));
        QCOMPARE(b.Alignment(), taLeftJustify);
        QVERIFY(b.HotTrack());
        QCOMPARE(b.TextStyle(), 0);
        QVERIFY(b.Font3d() != b.SecondFont3d());
        QCOMPARE(b.GlyphRect(), QRect(0, 6, 13, 13));
        QCOMPARE(b.CaptionRect(), QRect(17, 0, 58, 25));
        b.SetAlignment(taRightJustify);
        QCOMPARE(b.GlyphRect(), QRect(62, 6, 13, 13));
        QCOMPARE(b.CaptionRect(), QRect(0, 0, 58, 25));
        b.SetAlignment(taCenter);
        QCOMPARE(b.GlyphRect(), QRect(31, 6, 13, 13));
        QCOMPARE(b.CaptionRect(), b.rect());
    }

    void mouseClicksOnlyWhenReleasedInside()
    {
        QWidget window;
        window.resize(200, 100);
        auto *b = new TsBWCCControl(&window);
        b->move(10, 10);
        int clicks = 0;
        b->OnClick = [&](QObject *sender) {
            QCOMPARE(sender, b);
            ++clicks;
        };
        QVERIFY(showActive(window));

        press(b, {20, 10});
        QVERIFY(b->Down());
        QVERIFY(b->hasFocus());
        moveTo(b, {120, 10}); // outside
        QVERIFY(!b->Down());
        moveTo(b, {30, 12});
        QVERIFY(b->Down());
        release(b, {30, 12});
        QVERIFY(!b->Down());
        QCOMPARE(clicks, 1);

        press(b, {20, 10});
        moveTo(b, {150, 60});
        release(b, {150, 60});
        QCOMPARE(clicks, 1);
    }

    void spaceAndAcceleratorClick()
    {
        QWidget window;
        window.resize(200, 100);
        auto *b = new TsBWCCControl(&window);
        b->SetCaption(QStringLiteral("&Go"));
        int clicks = 0;
        b->OnClick = [&](QObject *) { ++clicks; };
        QVERIFY(showActive(window));
        b->setFocus();

        QTest::keyPress(b, Qt::Key_Space);
        QVERIFY(b->Down());
        QCOMPARE(clicks, 0);
        QTest::keyRelease(b, Qt::Key_Space);
        QVERIFY(!b->Down());
        QCOMPARE(clicks, 1);

        QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(clicks, 2);
        b->setEnabled(false);
        QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(clicks, 2);
    }

    void enteringAndLeavingRunTheHooks()
    {
        QWidget window;
        window.resize(200, 100);
        auto *b = new TsBWCCControl(&window);
        b->move(10, 10);
        QStringList seen;
        b->OnMouseEnter = [&](QObject *) { seen << QStringLiteral("enter"); };
        b->OnMouseLeave = [&](QObject *) { seen << QStringLiteral("leave"); };
        QVERIFY(showActive(window));
        moveTo(&window, {150, 80});
        moveTo(b, {5, 5});
        QTRY_VERIFY(b->MouseInside());
        moveTo(&window, {150, 80});
        QTRY_VERIFY(!b->MouseInside());
        QCOMPARE(seen, QStringList({QStringLiteral("enter"), QStringLiteral("leave")}));
    }

    void captionIsDrawnIn3dAndEngravedWhenDisabled()
    {
        TsBWCCControl b;
        b.setFont(pixels::CrispFont(16));
        b.resize(120, 30);
        b.SetColor(Qt::white);
        b.SetCaption(QStringLiteral("Hello"));
        QPalette pal = b.palette();
        pal.setColor(QPalette::ButtonText, Qt::black);
        pal.setColor(QPalette::Light, Qt::red);
        pal.setColor(QPalette::Disabled, QPalette::WindowText, Qt::blue);
        b.setPalette(pal);
        QApplication::setPalette(pal); // the shadow's default colour comes from the application

        b.Font3d()->SetColor(Qt::green);
        b.Font3d()->SetSpacing(2);
        QImage img = Shot(b);
        QRect text = InkBox(img, Qt::black);
        QVERIFY(!text.isEmpty());
        QVERIFY(text.left() >= b.CaptionRect().left());
        QCOMPARE(InkBox(img, Qt::green).bottomRight(), text.bottomRight() + QPoint(2, 2));

        b.setEnabled(false);
        img = Shot(b);
        QVERIFY(InkBox(img, Qt::black).isEmpty());
        text = InkBox(img, Qt::blue);
        QVERIFY(!text.isEmpty());
        QCOMPARE(InkBox(img, Qt::red).bottomRight(), text.bottomRight() + QPoint(1, 1));
        QApplication::setPalette(QPalette());
    }

    void glyphIsDrawnInItsBoxOverATransparentBackground()
    {
        Quarters parent;
        auto *b = new TsBWCCControl(&parent);
        b->setGeometry(90, 50, 40, 25);
        b->SetTransparent(true);
        QPixmap glyph(9, 9);
        glyph.fill(Qt::cyan);
        b->SetGlyph(glyph);
        const QImage img = Shot(*b);
        QCOMPARE(InkBox(img, Qt::cyan), QRect(2, 8, 9, 9));
        QCOMPARE(img.pixelColor(39, 0), Quarters::At({129, 50}));
        QCOMPARE(img.pixelColor(39, 24), Quarters::At({129, 74}));
    }
};

K5_TEST_MAIN(TestSCtrls)
#include "test_sctrls.moc"
