#include "k5test.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvlabel.h"
#include "controls/qv/qvspeedbutton.h"
#include "platform/error.h"
#include "tests/controls/qv/windowmouse.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>

using namespace qv;
using namespace windowmouse;

namespace {

// The bounding box of the pixels for which the test holds.
template <typename F>
QRect boxOf(const QImage &img, F test)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (test(img.pixel(x, y)))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

QFont sharpFont()
{
    QFont f;
    f.setPixelSize(20);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

// 16 x 16: a magenta key at the edges, a red square inside, a face-coloured dot at (8, 8).
QImage testGlyph()
{
    QImage g(16, 16, QImage::Format_RGB32);
    g.fill(qRgb(255, 0, 255));
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            g.setPixel(x, y, qRgb(255, 0, 0));
    g.setPixel(8, 8, QPalette().color(QPalette::Button).rgb());
    return g;
}

// A label naming one of two edits, shown active with the other edit focused.
struct LabelWindow {
    QWidget window;
    TQvLabel label{&window};
    QLineEdit *target = new QLineEdit(&window);
    QLineEdit *other = new QLineEdit(&window);
    explicit LabelWindow(const QString &caption)
    {
        window.resize(300, 100);
        label.SetCaption(caption);
        target->move(80, 0);
        other->move(80, 40);
        label.SetFocusControl(target);
        if (!showActive(&window))
            qWarning("window not active");
        other->setFocus();
        if (!QTest::qWaitFor([this] { return other->hasFocus(); }))
            qWarning("the other edit has no focus");
    }
};

struct ErrorCatcher {
    QStringList seen;
    ErrorCatcher()
    {
        platform::Application::SetExceptionHandler([this](const std::exception &e) {
            const auto *err = dynamic_cast<const platform::Error *>(&e);
            seen << (err ? err->message() : QString::fromUtf8(e.what()));
        });
    }
    ~ErrorCatcher() { platform::Application::SetExceptionHandler(nullptr); }
};

// A shown repeating button whose click fails.
struct FailingRepeat {
    ErrorCatcher errors;
    QWidget window;
    TQvSpeedButton button{&window};
    int clicks = 0;
    FailingRepeat()
    {
        window.resize(100, 60);
        button.SetAllowTimer(true);
        button.OnClick = [this](QObject *) {
            ++clicks;
            throw platform::Error(QStringLiteral("Cannot go on"));
        };
        if (!showActive(&window))
            qWarning("window not active");
    }
};

} // namespace

class TestQvSpeedButton : public QObject {
    Q_OBJECT
private slots:
    void labelStartsAtItsSizeAndDefaults()
    {
        TQvLabel label;
        QCOMPARE(label.size(), QSize(65, 17));
        QCOMPARE(label.ShadowSize(), 1);
        QCOMPARE(label.ShadowPos(), spLeftTop);
        QCOMPARE(label.ShadowColor(), label.palette().color(QPalette::Light));
        QVERIFY(label.AutoSize());
        QVERIFY(label.ShowAccelChar());
        QVERIFY(!label.ShowFocus());
        QCOMPARE(label.Layout(), tlTop);
    }

    void labelShadowLiesInItsDirection_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("size");
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("left top") << int(spLeftTop) << 2 << QPoint(-2, -2);
        QTest::newRow("left bottom") << int(spLeftBottom) << 2 << QPoint(-2, 2);
        QTest::newRow("right bottom") << int(spRightBottom) << 3 << QPoint(3, 3);
        QTest::newRow("right top") << int(spRightTop) << 1 << QPoint(1, -1);
    }
    void labelShadowLiesInItsDirection()
    {
        QFETCH(int, position);
        QFETCH(int, size);
        QFETCH(QPoint, offset);
        TQvLabel label;
        label.setFont(sharpFont());
        label.SetParentColor(false);
        label.SetColor(Qt::white);
        label.SetFontColor(Qt::black);
        label.SetShadowColor(Qt::red);
        label.SetShadowPos(TShadowPosition(position));
        label.SetShadowSize(size);
        label.SetAutoSize(false);
        label.resize(60, 40);
        label.SetCaption(QStringLiteral("HI"));
        const QImage img = label.grab().toImage();
        const QRect text = boxOf(img, [](QRgb c) { return (c & 0xFFFFFF) == 0; });
        const QRect all = boxOf(img, [](QRgb c) { return (c & 0xFFFFFF) == 0 || (c & 0xFFFFFF) == 0xFF0000; });
        QVERIFY(!text.isEmpty());
        QCOMPARE(all, text.united(text.translated(offset)));
    }

    void disabledLabelWithoutShadowGetsOneDownRight()
    {
        TQvLabel label;
        label.setFont(sharpFont());
        label.SetParentColor(false);
        label.SetColor(Qt::white);
        QPalette pal = label.palette();
        pal.setColor(QPalette::Light, Qt::red);
        pal.setColor(QPalette::Disabled, QPalette::WindowText, Qt::black);
        label.setPalette(pal);
        label.SetShadowSize(0);
        label.SetCaption(QStringLiteral("HI"));
        label.setEnabled(false);
        const QImage img = label.grab().toImage();
        const QRect text = boxOf(img, [](QRgb c) { return (c & 0xFFFFFF) == 0; });
        const QRect all = boxOf(img, [](QRgb c) { return (c & 0xFFFFFF) == 0 || (c & 0xFFFFFF) == 0xFF0000; });
        QCOMPARE(all, text.united(text.translated(1, 1)));
        // Enabled with size 0: no shadow at all.
        label.setEnabled(true);
        label.SetFontColor(Qt::black);
        label.SetShadowColor(Qt::red);
        const QImage plain = label.grab().toImage();
        QVERIFY(boxOf(plain, [](QRgb c) { return (c & 0xFFFFFF) == 0xFF0000; }).isEmpty());
    }

    void labelKeepsOneLineForAnEmptyCaptionOrALoneAmpersand()
    {
        TQvLabel label;
        label.SetCaption(QStringLiteral("X"));
        const int lineHeight = label.height();
        QVERIFY(lineHeight > 2);
        label.SetCaption(QString());
        QCOMPARE(label.height(), lineHeight);
        QVERIFY(label.width() > 2);
        label.SetCaption(QStringLiteral("&"));
        QCOMPARE(label.height(), lineHeight);
        QVERIFY(label.width() > 2);
        // Right-aligned text keeps its right edge when the size follows the text.
        label.SetAlignment(taRightJustify);
        label.move(100, 5);
        const int right = label.geometry().right();
        label.SetCaption(QStringLiteral("a longer caption"));
        QCOMPARE(label.geometry().right(), right);
    }

    void labelAcceleratorFocusesItsControl()
    {
        LabelWindow w(QStringLiteral("&Name"));
        TQvLabel &label = w.label;
        w.label.setEnabled(false);
        QTest::keyClick(&w.window, Qt::Key_N, Qt::AltModifier);
        QVERIFY(w.other->hasFocus());
        label.setEnabled(true);
        QTest::keyClick(&w.window, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(w.target->hasFocus());
        // Without accelerator characters the "&" is a plain character.
        w.other->setFocus();
        QTRY_VERIFY(w.other->hasFocus());
        label.SetShowAccelChar(false);
        QTest::keyClick(&w.window, Qt::Key_N, Qt::AltModifier);
        QVERIFY(w.other->hasFocus());
    }

    void labelMarksTheFocusOfItsControl()
    {
        LabelWindow w(QStringLiteral("Name"));
        w.label.SetShowFocus(true);
        const QImage without = w.label.grab().toImage();
        w.target->setFocus();
        QTRY_VERIFY(w.target->hasFocus());
        QVERIFY(w.label.grab().toImage() != without);
    }

    void glyphCountFollowsTheGlyphsShape()
    {
        TQvSpeedButton b;
        QImage strip(96, 16, QImage::Format_RGB32);
        strip.fill(Qt::white);
        strip.setPixel(0, 15, qRgb(1, 2, 3));
        b.SetGlyph(strip);
        QCOMPARE(b.NumGlyphs(), 1); // six parts count as one
        QCOMPARE(b.ButtonGlyph().TransparentColor(), QColor(1, 2, 3));
        b.SetGlyph(QImage(64, 16, QImage::Format_RGB32));
        QCOMPARE(b.NumGlyphs(), 4);
        QCOMPARE(b.ButtonGlyph().GlyphSize(), QSize(16, 16));
        b.SetGlyph(QImage(20, 16, QImage::Format_RGB32));
        QCOMPARE(b.NumGlyphs(), 4); // not a whole multiple: the count stays
        QCOMPARE(b.ButtonGlyph().GlyphSize(), QSize(5, 16));
    }

    void newButtonDefaults()
    {
        TQvSpeedButton b;
        QCOMPARE(b.size(), QSize(25, 25));
        QCOMPARE(b.InitPause(), 500);
        QCOMPARE(b.RepeatInterval(), 100);
        QCOMPARE(b.Spacing(), 1);
        QCOMPARE(b.Margin(), -1);
        QCOMPARE(b.Layout(), blGlyphTop);
        QCOMPARE(b.Style(), bsAutoDetect);
        QVERIFY(b.GrayedInactive());
        QVERIFY(b.MarkDropDown());
        QVERIFY(b.ShowHint());
        QVERIFY(!b.ParentShowHint());
        QCOMPARE(b.Alignment(), taCenter);
    }

    void flatButtonIsGreyUntilTheMouseComes()
    {
        QWidget window;
        window.resize(100, 60);
        TQvSpeedButton b(&window);
        b.move(10, 10);
        b.SetFlat(true);
        b.SetGlyph(testGlyph());
        QVERIFY(showActive(&window));
        QCOMPARE(b.DrawnState(), bsInactive);
        const QImage grey = b.ButtonGlyph().StateImage(bsInactive);
        const int g = (77 * 255) / 256;
        QCOMPARE(grey.pixel(5, 5), qRgb(g, g, g));
        QCOMPARE(grey.pixel(8, 8), QPalette().color(QPalette::Button).rgb()); // the face colour stays
        QCOMPARE(qAlpha(grey.pixel(0, 0)), 0);                                // the key colour is clear
        // On the screen: the glyph sits centred (25 x 25, flat: client 23 x 23 from 1, 1).
        const QPoint at = b.ButtonGlyph()
                              .CalcLayout(b.fontMetrics(), b.rect().adjusted(1, 1, -1, -1), QString(), blGlyphTop, -1,
                                          1, bsUp, false, false)
                              .glyphPos;
        QCOMPARE(b.grab().toImage().pixel(at + QPoint(5, 5)), qRgb(g, g, g));
        move(&b, QPoint(12, 12));
        QTRY_VERIFY(b.MouseInControl());
        QCOMPARE(b.DrawnState(), bsUp);
        QCOMPARE(b.grab().toImage().pixel(at + QPoint(5, 5)), qRgb(255, 0, 0));
        move(&window, QPoint(90, 50));
        QTRY_VERIFY(!b.MouseInControl());
        QCOMPARE(b.DrawnState(), bsInactive);
        // Without the grey option, or not flat, the colours stay.
        b.SetGrayedInactive(false);
        QCOMPARE(b.DrawnState(), bsUp);
        b.SetGrayedInactive(true);
        b.SetFlat(false);
        QCOMPARE(b.DrawnState(), bsUp);
    }

    void disabledGlyphIsEmbossed()
    {
        TQvSpeedButton b;
        b.SetGlyph(testGlyph());
        b.setEnabled(false);
        QCOMPARE(b.DrawnState(), bsDisabled);
        const QImage img = b.ButtonGlyph().StateImage(bsDisabled);
        const QPalette pal;
        QCOMPARE(img.pixel(4, 4), pal.color(QPalette::Dark).rgb());
        QCOMPARE(img.pixel(12, 12), pal.color(QPalette::Light).rgb());
        QCOMPARE(qAlpha(img.pixel(1, 1)), 0);
        // A glyph with its own disabled part uses it.
        QImage two(32, 16, QImage::Format_RGB32);
        two.fill(qRgb(255, 0, 255));
        two.setPixel(20, 3, qRgb(0, 0, 255));
        b.SetGlyph(two);
        QCOMPARE(b.NumGlyphs(), 2);
        QCOMPARE(b.ButtonGlyph().StateImage(bsDisabled).pixel(4, 3), qRgb(0, 0, 255));
    }

    void glyphImagesShareOneListPerSize()
    {
        QCOMPARE(TGlyphCache::ListCount(), 0);
        {
            TQvSpeedButton a, b, c;
            a.SetGlyph(testGlyph());
            b.SetGlyph(testGlyph());
            QImage big(20, 20, QImage::Format_RGB32);
            big.fill(Qt::blue);
            c.SetGlyph(big);
            a.grab();
            b.grab();
            QCOMPARE(TGlyphCache::ListCount(), 1);
            c.grab();
            QCOMPARE(TGlyphCache::ListCount(), 2);
            TGlyphList *list = TGlyphCache::GetList(QSize(16, 16));
            QCOMPARE(list->Count(), 2);
            TGlyphCache::ReturnList(list);
            // A new glyph gives back the old images.
            a.SetGlyph(big);
            QCOMPARE(TGlyphCache::ListCount(), 2);
        }
        QCOMPARE(TGlyphCache::ListCount(), 0);
    }

    void glyphAndCaptionFollowTheLayout()
    {
        TQvButtonGlyph glyph;
        glyph.SetGlyph(testGlyph());
        const QFontMetrics fm{QFont()};
        // A 24 x 23 bar button: client 20 x 19 inside the frame.
        const QRect client(2, 2, 20, 19);
        TButtonLayoutResult r = glyph.CalcLayout(fm, client, QString(), blGlyphTop, -1, 4, bsUp, false, false);
        QCOMPARE(r.glyphPos, QPoint(4, 3));
        r = glyph.CalcLayout(fm, client, QString(), blGlyphTop, -1, 4, bsDown, false, false);
        QCOMPARE(r.glyphPos, QPoint(5, 4));
        // Margin and spacing -1: each a third of the free length.
        const QRect wide(0, 0, 100, 30);
        r = glyph.CalcLayout(fm, wide, QStringLiteral("Go"), blGlyphLeft, -1, -1, bsUp, false, false);
        const int tw = fm.boundingRect(QStringLiteral("Go")).width();
        const int third = (100 - 16 - r.textRect.width()) / 3;
        QCOMPARE(r.textRect.width(), fm.boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignHCenter, QStringLiteral("Go")).width());
        QVERIFY(tw > 0);
        QCOMPARE(r.glyphPos.x(), third);
        QCOMPARE(r.textRect.left(), third + 16 + third);
        QCOMPARE(r.glyphPos.y(), 15 - 8);
        // Given margin, right layout.
        r = glyph.CalcLayout(fm, wide, QStringLiteral("Go"), blGlyphRight, 5, 3, bsUp, false, false);
        QCOMPARE(r.glyphPos.x(), 100 - 5 - 16);
        QCOMPARE(r.textRect.right() + 1, 100 - 5 - 16 - 3);
        // A caption too long for its room ends in dots.
        r = glyph.CalcLayout(fm, QRect(0, 0, 60, 40), QStringLiteral("A caption far too long"), blGlyphTop, -1, 1,
                             bsUp, false, false);
        QVERIFY(r.text.endsWith(QLatin1String("...")));
        QVERIFY(fm.horizontalAdvance(r.text) <= 60);
        // The drop-down mark widens the glyph of a top layout.
        const TButtonLayoutResult marked =
            glyph.CalcLayout(fm, client, QString(), blGlyphTop, -1, 4, bsUp, false, true);
        QCOMPARE(marked.glyphPos.x(), 2 + 20 / 2 - 22 / 2);
    }

    void groupedButtonsKeepOneDown()
    {
        QWidget parent;
        TQvSpeedButton a(&parent), b(&parent), c(&parent), loose(&parent);
        for (TQvSpeedButton *x : {&a, &b, &c})
            x->SetGroupIndex(1);
        loose.SetDown(true);
        QVERIFY(!loose.Down()); // not grouped: never down
        a.SetDown(true);
        QVERIFY(a.Down());
        QCOMPARE(a.State(), bsExclusive);
        b.SetDown(true);
        QVERIFY(b.Down());
        QVERIFY(!a.Down());
        QCOMPARE(a.State(), bsUp);
        b.SetDown(false);
        QVERIFY(b.Down()); // no button of the group may come up
        // AllowAllUp set on one button goes to the whole group.
        c.SetAllowAllUp(true);
        QVERIFY(a.AllowAllUp());
        QVERIFY(b.AllowAllUp());
        b.SetDown(false);
        QVERIFY(!b.Down());
    }

    void clickingAGroupedButtonToggles()
    {
        QWidget window;
        window.resize(120, 40);
        TQvSpeedButton a(&window), b(&window);
        b.move(40, 0);
        a.SetGroupIndex(3);
        b.SetGroupIndex(3);
        int clicks = 0;
        a.OnClick = [&](QObject *) { ++clicks; };
        QVERIFY(showActive(&window));
        click(&a, QPoint(5, 5));
        QVERIFY(a.Down());
        QCOMPARE(clicks, 1);
        click(&a, QPoint(5, 5));
        QVERIFY(a.Down()); // the last one down stays down
        QCOMPARE(clicks, 2);
        click(&b, QPoint(5, 5));
        QVERIFY(b.Down());
        QVERIFY(!a.Down());
        // Released outside: no click, no toggle.
        press(&a, QPoint(5, 5));
        QCOMPARE(a.State(), bsDown);
        move(&a, QPoint(100, 30));
        QCOMPARE(a.State(), bsUp);
        release(&a, QPoint(100, 30));
        QVERIFY(!a.Down());
        QCOMPARE(clicks, 2);
    }

    void heldButtonRepeatsAfterItsPause()
    {
        ManualClock clock;
        QWidget window;
        window.resize(100, 60);
        TQvSpeedButton b(&window);
        b.SetAllowTimer(true);
        int clicks = 0;
        b.OnClick = [&](QObject *) { ++clicks; };
        QVERIFY(showActive(&window));
        press(&b, QPoint(5, 5));
        QCOMPARE(clicks, 0);
        clock.Advance(499);
        QCOMPARE(clicks, 0);
        clock.Advance(1);
        QCOMPARE(clicks, 1);
        clock.Advance(99);
        QCOMPARE(clicks, 1);
        clock.Advance(1);
        QCOMPARE(clicks, 2);
        clock.Advance(300);
        QCOMPARE(clicks, 5);
        // Off the button it rests; back on it, it goes on.
        move(&b, QPoint(80, 50));
        clock.Advance(500);
        QCOMPARE(clicks, 5);
        move(&b, QPoint(5, 5));
        clock.Advance(100);
        QCOMPARE(clicks, 6);
        release(&b, QPoint(5, 5));
        QCOMPARE(clicks, 7); // the release clicks too
        QVERIFY(!b.RepeatActive());
        clock.Advance(1000);
        QCOMPARE(clicks, 7);
        // Other pauses.
        b.SetInitPause(50);
        b.SetRepeatInterval(20);
        press(&b, QPoint(5, 5));
        clock.Advance(50);
        QCOMPARE(clicks, 8);
        clock.Advance(40);
        QCOMPARE(clicks, 10);
        release(&b, QPoint(80, 50));
        QCOMPARE(clicks, 10);
    }

    void failingRepeatedClickStopsAndIsReported()
    {
        ManualClock clock;
        FailingRepeat r;
        press(&r.button, QPoint(5, 5));
        clock.Advance(500);
        QCOMPARE(r.clicks, 1);
        QCOMPARE(r.errors.seen, QStringList{QStringLiteral("Cannot go on")});
        QVERIFY(!r.button.RepeatActive());
        clock.Advance(1000);
        QCOMPARE(r.clicks, 1);
        release(&r.button, QPoint(80, 50));
        QCOMPARE(r.errors.seen.size(), 1);
    }

    void repeatOnARealTimerReachesTheErrorDisplay()
    {
        FailingRepeat r;
        r.button.SetInitPause(10);
        press(&r.button, QPoint(5, 5));
        QTRY_COMPARE(r.errors.seen.size(), 1);
        QVERIFY(!r.button.RepeatActive());
        QCOMPARE(r.clicks, 1);
        release(&r.button, QPoint(80, 50));
    }

    void dropDownMenuOpensBelowAndSwallowsTheClick()
    {
        QWidget window;
        window.resize(100, 60);
        TQvSpeedButton b(&window);
        b.move(10, 10);
        QMenu menu;
        menu.addAction(QStringLiteral("One"));
        b.SetDropDownMenu(&menu);
        int clicks = 0;
        b.OnClick = [&](QObject *) { ++clicks; };
        QVERIFY(showActive(&window));
        QPoint shownAt;
        QTimer closer;
        closer.setInterval(5);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                shownAt = popup->pos();
                popup->close();
            }
        });
        closer.start();
        press(&b, QPoint(5, 5));
        closer.stop();
        QCOMPARE(shownAt, b.mapToGlobal(QPoint(0, b.height())));
        QCOMPARE(b.State(), bsUp);
        release(&b, QPoint(5, 5));
        QCOMPARE(clicks, 0);
        // To the right.
        b.SetMenuPosition(dmpRight);
        closer.start();
        press(&b, QPoint(5, 5));
        closer.stop();
        release(&b, QPoint(5, 5));
        QCOMPARE(shownAt, b.mapToGlobal(QPoint(b.width(), 0)));
        // Without the mark the menu stays closed and the button clicks.
        b.SetMarkDropDown(false);
        click(&b, QPoint(5, 5));
        QCOMPARE(clicks, 1);
    }

    void hintSplitsIntoTipAndStatus()
    {
        QMainWindow window;
        window.resize(200, 150);
        auto *central = new QWidget(&window);
        window.setCentralWidget(central);
        QStatusBar *status = window.statusBar();
        TQvSpeedButton b(central);
        b.move(10, 10);
        b.SetHint(QStringLiteral("Save|Saves the document"));
        QCOMPARE(b.toolTip(), QStringLiteral("Save"));
        QCOMPARE(b.statusTip(), QStringLiteral("Saves the document"));
        QVERIFY(showActive(&window));
        move(central, QPoint(100, 100));
        move(&b, QPoint(5, 5));
        QTRY_COMPARE(status->currentMessage(), QStringLiteral("Saves the document"));
        b.SetHint(QStringLiteral("Plain"));
        QCOMPARE(b.toolTip(), QStringLiteral("Plain"));
        QCOMPARE(GetShortHint(QStringLiteral("a|b|c")), QStringLiteral("a"));
        QCOMPARE(GetLongHint(QStringLiteral("a|b|c")), QStringLiteral("b|c"));
    }

    void toolTipFollowsShowHint()
    {
        QWidget parent;
        parent.setProperty("ShowHint", false);
        TQvSpeedButton b(&parent);
        QVERIFY(b.EffectiveShowHint());
        b.SetParentShowHint(true);
        QVERIFY(!b.EffectiveShowHint());
        parent.setProperty("ShowHint", true);
        QVERIFY(b.EffectiveShowHint());
        b.SetShowHint(false);
        QVERIFY(!b.ParentShowHint());
        QVERIFY(!b.EffectiveShowHint());
    }

    void downButtonDrawsDitheredAndShifted()
    {
        QWidget parent;
        TQvSpeedButton b(&parent);
        b.resize(24, 23);
        b.SetGlyph(testGlyph());
        const QImage up = b.grab().toImage();
        b.SetGroupIndex(1);
        b.SetDown(true);
        const QImage down = b.grab().toImage();
        QVERIFY(up != down);
        const QPalette pal = b.palette();
        // The dither: face and highlight alternate inside the frame.
        const QRgb p1 = down.pixel(3, 3), p2 = down.pixel(4, 3);
        QVERIFY(p1 != p2);
        QVERIFY(p1 == pal.color(QPalette::Light).rgb() || p1 == pal.color(QPalette::Button).rgb());
        // The glyph moved one pixel right and down.
        QCOMPARE(down.pixel(4 + 1 + 5, 3 + 1 + 5), qRgb(255, 0, 0));
        QCOMPARE(up.pixel(4 + 5, 3 + 5), qRgb(255, 0, 0));
    }
};

K5_TEST_MAIN(TestQvSpeedButton)
#include "test_qvspeedbutton.moc"
