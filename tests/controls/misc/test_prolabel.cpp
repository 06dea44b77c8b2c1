#include "k5test.h"

#include "controls/misc/datetimeformat.h"
#include "controls/misc/prolabel.h"

#include <QLineEdit>
#include <QMenu>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>

using namespace misc;

namespace {

const QColor kBackground(255, 255, 255);
const QColor kText(0, 0, 0);

// A label with a crisp (not antialiased) font on white, black text.
void setUp(TProCustomLabel &label, const QString &caption, QSize size = {240, 120})
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    f.setStyleStrategy(QFont::NoAntialias);
    label.setFont(f);
    label.SetAutoSize(false);
    label.resize(size);
    label.SetColor(kBackground);
    label.SetFontColor(kText);
    if (auto *plain = qobject_cast<TProLabel *>(&label))
        plain->SetCaption(caption);
}

QImage shot(QWidget &w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Bounding box of the pixels of one colour (or of every pixel not the background when colour is invalid).
QRect inkBox(const QImage &img, const QColor &colour = QColor())
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y) & 0xFFFFFF;
            const bool hit = colour.isValid() ? px == (colour.rgb() & 0xFFFFFF) : px != (kBackground.rgb() & 0xFFFFFF);
            if (hit)
                box = box.united(QRect(x, y, 1, 1));
        }
    return box;
}

int inkCount(const QImage &img, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (kText.rgb() & 0xFFFFFF))
                ++n;
    return n;
}

template <class T>
concept CaptionWritable = requires(T &label) { label.SetCaption(QString()); };
static_assert(CaptionWritable<TProLabel>);
static_assert(!CaptionWritable<TProClockLabel>, "the clock's caption is read-only");

} // namespace

class TestProLabel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void angleIsKeptInOneTurn()
    {
        TProLabel l;
        QVERIFY(l.AutoSize());
        l.SetAngle(370);
        QCOMPARE(l.Angle(), 10);
        l.SetAngle(-30);
        QCOMPARE(l.Angle(), 330);
        l.SetAngle(720);
        QCOMPARE(l.Angle(), 0);
        l.SetAngle(90);
        QVERIFY(qAbs(l.AngleCos()) < 1e-9);
        QVERIFY(qAbs(l.AngleSin() - 1.0) < 1e-9);
        // A rotated caption, like a positive offset, switches AutoSize off.
        QVERIFY(!l.AutoSize());
        TProLabel m;
        m.SetOffsetX(-3);
        QVERIFY(m.AutoSize());
        m.SetOffsetY(2);
        QVERIFY(!m.AutoSize());
    }

    void autoSizeFollowsTheCaption()
    {
        QWidget host;
        TProLabel l(&host);
        l.move(100, 10);
        l.SetCaption(QStringLiteral("Short"));
        const QSize small = l.size();
        l.SetCaption(QStringLiteral("A much longer caption"));
        QVERIFY(l.width() > small.width());
        QCOMPARE(l.height(), small.height());
        QCOMPARE(l.x(), 100);
        // A right-aligned label keeps its right edge as it grows.
        TProLabel r(&host);
        r.SetAlignment(taRightJustify);
        r.SetCaption(QStringLiteral("ab"));
        r.move(200 - r.width(), 40);
        const int right = r.geometry().right();
        r.SetCaption(QStringLiteral("abcdefghij"));
        QCOMPARE(r.geometry().right(), right);
        // An empty caption still has the height of one line.
        TProLabel e(&host);
        e.SetCaption(QString());
        QCOMPARE(e.height(), small.height());
    }

    void rotatedTextTurnsCounterClockwise()
    {
        // Heavy glyphs first, light ones after: the heavy end shows where the text starts.
        const QString caption = QStringLiteral("MMMM.......");
        TProLabel l;
        setUp(l, caption, {240, 240});
        const QImage flat = shot(l);
        const QRect f = inkBox(flat);
        QVERIFY(f.width() > 2 * f.height());

        l.SetAngle(90);
        const QImage up = shot(l);
        const QRect u = inkBox(up);
        QVERIFY2(u.height() > 2 * u.width(), qPrintable(QStringLiteral("%1x%2").arg(u.width()).arg(u.height())));
        QVERIFY(qAbs(u.height() - f.width()) <= 3);
        QVERIFY(u.left() < 25); // left-aligned box
        // Read upwards: the start of the text is at the bottom.
        const QRect topHalf(u.left(), u.top(), u.width(), u.height() / 2);
        const QRect bottomHalf(u.left(), u.top() + u.height() / 2, u.width(), u.height() - u.height() / 2);
        QVERIFY(inkCount(up, bottomHalf) > 2 * inkCount(up, topHalf));

        l.SetAngle(270);
        const QImage down = shot(l);
        const QRect d = inkBox(down);
        QVERIFY(d.height() > 2 * d.width());
        const QRect dTop(d.left(), d.top(), d.width(), d.height() / 2);
        const QRect dBottom(d.left(), d.top() + d.height() / 2, d.width(), d.height() - d.height() / 2);
        QVERIFY(inkCount(down, dTop) > 2 * inkCount(down, dBottom));

        // Upside down, in the bottom-right corner: the box follows both alignments.
        l.SetAngle(180);
        l.SetAlignment(taRightJustify);
        l.SetVerticalAlignment(vaBottom);
        const QImage turned = shot(l);
        const QRect t = inkBox(turned);
        QVERIFY(t.width() > 2 * t.height());
        QVERIFY(t.right() >= 240 - 4);
        QVERIFY(t.bottom() >= 240 - 25);
        const QRect tLeft(t.left(), t.top(), t.width() / 2, t.height());
        const QRect tRight(t.left() + t.width() / 2, t.top(), t.width() - t.width() / 2, t.height());
        QVERIFY(inkCount(turned, tRight) > 2 * inkCount(turned, tLeft));

        // A slanted caption centred both ways sits around the middle.
        l.SetAngle(45);
        l.SetAlignment(taCenter);
        l.SetVerticalAlignment(vaCenter);
        const QRect s = inkBox(shot(l));
        QVERIFY(qAbs(s.center().x() - 120) <= 12);
        QVERIFY(qAbs(s.center().y() - 120) <= 12);
        QVERIFY(qAbs(s.width() - s.height()) <= 20);
    }

    void offsetsAndVerticalAlignment()
    {
        TProLabel l;
        setUp(l, QStringLiteral("Text"));
        const QRect plain = inkBox(shot(l));
        l.SetOffsetX(7);
        l.SetOffsetY(5);
        QCOMPARE(inkBox(shot(l)), plain.translated(7, 5));
        l.SetOffsetX(0);
        l.SetOffsetY(0);
        l.SetVerticalAlignment(vaBottom);
        const QRect bottom = inkBox(shot(l));
        QCOMPARE(bottom.size(), plain.size());
        QVERIFY(bottom.bottom() > 120 - 10);
        l.SetVerticalAlignment(vaCenter);
        const QRect centre = inkBox(shot(l));
        QVERIFY(qAbs(centre.center().y() - 60) <= 5);
        QCOMPARE(l.Layout(), vaCenter);
        l.SetAlignment(taRightJustify);
        QVERIFY(inkBox(shot(l)).right() >= 240 - 4);
    }

    void shadowPresets()
    {
        TProLabel l;
        const QColor btnShadow = l.palette().color(QPalette::Dark);
        QCOMPARE(l.ShadowStyle(), ssNone);
        QCOMPARE(l.ShadowColor(), btnShadow);
        struct Row {
            TShadowStyle style;
            TDirection direction;
            int depth, size;
            QColor colour;
        };
        const Row rows[] = {{ssRaised, drUpLeft, 1, 1, Qt::white},
                            {ssRecessed, drDownRight, 1, 1, Qt::white},
                            {ssShadow, drDownRight, 2, 1, btnShadow},
                            {ssThickShadow, drDownRight, 1, 4, btnShadow},
                            {ssNone, drNone, 0, 0, btnShadow}};
        for (const Row &r : rows) {
            l.SetShadowStyle(r.style);
            QCOMPARE(l.ShadowStyle(), r.style);
            QCOMPARE(l.ShadowDirection(), r.direction);
            QCOMPARE(int(l.ShadowDepth()), r.depth);
            QCOMPARE(int(l.ShadowSize()), r.size);
            QCOMPARE(l.ShadowColor(), r.colour);
        }
        // Touching one shadow setting makes the style custom; choosing custom changes nothing.
        l.SetShadowStyle(ssShadow);
        l.SetShadowColor(Qt::red);
        QCOMPARE(l.ShadowStyle(), ssCustom);
        l.SetShadowStyle(ssThickShadow);
        l.SetShadowDirection(drLeft);
        QCOMPARE(l.ShadowStyle(), ssCustom);
        l.SetShadowStyle(ssCustom);
        QCOMPARE(l.ShadowDirection(), drLeft);
        QCOMPARE(int(l.ShadowSize()), 4);
        l.SetShadowStyle(ssRaised);
        l.SetShadowDepth(3);
        QCOMPARE(l.ShadowStyle(), ssCustom);
        l.SetShadowStyle(ssRaised);
        l.SetShadowSize(2);
        QCOMPARE(l.ShadowStyle(), ssCustom);
        // Every direction is one step; down-left goes down and to the left.
        QCOMPARE(TProCustomLabel::DirectionStep(drDownLeft), QPoint(-1, 1));
        QCOMPARE(TProCustomLabel::DirectionStep(drUpRight), QPoint(1, -1));
        QCOMPARE(TProCustomLabel::DirectionStep(drNone), QPoint(0, 0));
    }

    void shadowsArePainted()
    {
        const QColor red(255, 0, 0);
        TProLabel l;
        QPalette pal = l.palette();
        pal.setColor(QPalette::Dark, red); // the button shadow colour
        l.setPalette(pal);
        setUp(l, QStringLiteral("Shadow"));
        const QRect text = inkBox(shot(l), kText);

        l.SetShadowStyle(ssShadow); // two steps down-right, drawn once
        QImage img = shot(l);
        QCOMPARE(inkBox(img, kText), text);
        QCOMPARE(inkBox(img, red), text.translated(2, 2));

        l.SetShadowStyle(ssThickShadow); // one step, then four copies
        img = shot(l);
        const QRect thick = inkBox(img, red);
        QCOMPARE(thick.bottomRight(), text.bottomRight() + QPoint(4, 4));
        QCOMPARE(inkBox(img), text.united(text.translated(4, 4)));

        // Raised: white, one step up-left, on a grey face.
        l.SetColor(QColor(128, 128, 128));
        l.SetShadowStyle(ssRaised);
        img = shot(l);
        QCOMPARE(inkBox(img, Qt::white), text.translated(-1, -1));

        // Disabled: the shadow is drawn in the grey text colour.
        const QColor grey(0, 0, 255);
        pal = l.palette();
        pal.setColor(QPalette::Disabled, QPalette::Text, grey);
        l.setPalette(pal);
        l.SetColor(kBackground);
        l.SetShadowStyle(ssShadow);
        l.setEnabled(false);
        img = shot(l);
        QCOMPARE(inkBox(img, grey), text.translated(2, 2));
        QCOMPARE(inkBox(img, kText), text);

        // A custom shadow in one direction only.
        l.setEnabled(true);
        l.SetShadowStyle(ssCustom);
        l.SetShadowDirection(drDown);
        l.SetShadowDepth(3);
        l.SetShadowSize(1);
        l.SetShadowColor(red);
        QCOMPARE(inkBox(shot(l), red), text.translated(0, 3));
    }

    void transparentShowsTheParent()
    {
        QWidget host;
        host.resize(100, 60);
        host.setAutoFillBackground(true);
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, QColor(0, 200, 0));
        host.setPalette(pal);
        TProLabel l(&host);
        setUp(l, QString(), {100, 60});
        QCOMPARE(host.grab().toImage().pixelColor(50, 30), kBackground);
        l.SetTransparent(true);
        QCOMPARE(host.grab().toImage().pixelColor(50, 30), QColor(0, 200, 0));
        // With ParentColor the label takes the parent's colour.
        l.SetTransparent(false);
        l.SetParentColor(true);
        QCOMPARE(l.Color(), QColor(0, 200, 0));
    }

    void accelerator()
    {
        TProLabel l;
        setUp(l, QStringLiteral("&File"));
        const int withAccel = inkBox(shot(l)).width();
        l.SetShowAccelChar(false);
        const int literal = inkBox(shot(l)).width();
        QVERIFY(literal > withAccel); // the ampersand itself is drawn

        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *label = new TProLabel;
        auto *other = new QLineEdit;
        auto *edit = new QLineEdit;
        layout->addWidget(label);
        layout->addWidget(other);
        layout->addWidget(edit);
        label->SetCaption(QStringLiteral("&Name"));
        label->SetFocusControl(edit);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(edit->hasFocus());
        // Without accelerators the key does nothing.
        other->setFocus();
        label->SetShowAccelChar(false);
        QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
        QTest::qWait(20);
        QVERIFY(other->hasFocus());
    }

    void mouseEvents()
    {
        TProLabel l;
        setUp(l, QStringLiteral("Click"));
        QStringList log;
        l.OnClick = [&](QObject *s) { log << QStringLiteral("click") + (s == &l ? "" : "?"); };
        l.OnDblClick = [&](QObject *) { log << QStringLiteral("dbl"); };
        l.OnMouseDown = [&](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            log << QStringLiteral("down %1 %2,%3").arg(int(b)).arg(x).arg(y);
        };
        l.OnMouseUp = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
            log << QStringLiteral("up %1,%2").arg(x).arg(y);
        };
        l.OnMouseEnter = [&](QObject *) { log << QStringLiteral("enter"); };
        l.OnMouseLeave = [&](QObject *) { log << QStringLiteral("leave"); };
        QTest::mouseClick(&l, Qt::LeftButton, {}, QPoint(5, 6));
        QCOMPARE(log, QStringList({"down 1 5,6", "click", "up 5,6"}));
        log.clear();
        // Released outside: no click.
        QTest::mousePress(&l, Qt::LeftButton, {}, QPoint(5, 6));
        QTest::mouseRelease(&l, Qt::LeftButton, {}, QPoint(500, 6));
        QCOMPARE(log, QStringList({"down 1 5,6", "up 500,6"}));
        log.clear();
        QTest::mouseDClick(&l, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(log.contains(QStringLiteral("dbl")));
        log.clear();
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&l, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&l, &leave);
        QCOMPARE(log, QStringList({"enter", "leave"}));
    }

    // A right click pops the label's menu up at the pointer; without one the parent's menu comes.
    void popupMenu()
    {
        QWidget parent;
        parent.resize(300, 200);
        int parentMenus = 0;
        parent.setContextMenuPolicy(Qt::CustomContextMenu);
        connect(&parent, &QWidget::customContextMenuRequested, &parent, [&] { ++parentMenus; });
        auto *l = new TProLabel(&parent);
        setUp(*l, QStringLiteral("Menu"));
        l->move(10, 20);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QMenu menu;
        menu.addAction(QStringLiteral("Copy"));
        QCOMPARE(l->PopupMenu(), nullptr);
        auto rightClick = [&] { QTest::mouseClick(parent.windowHandle(), Qt::RightButton, {}, QPoint(17, 28)); };
        rightClick();
        QCOMPARE(parentMenus, 1);
        l->SetPopupMenu(&menu);
        rightClick();
        QTRY_VERIFY(menu.isVisible());
        QCOMPARE(menu.pos(), l->mapToGlobal(QPoint(7, 8)));
        QCOMPARE(parentMenus, 1);
        menu.hide();
    }

    // In automatic mode a press drags the label as a control: a label that takes it gets the drop, the
    // source hears where it went, and a press that starts a drag is no click.
    void dragOntoAnotherLabel()
    {
        QWidget parent;
        parent.resize(300, 200);
        auto *source = new TProLabel(&parent);
        auto *target = new TProLabel(&parent);
        setUp(*source, QStringLiteral("From"));
        setUp(*target, QStringLiteral("Onto"));
        source->move(10, 20);
        target->move(150, 100);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QStringList log;
        source->OnClick = [&](QObject *) { log << QStringLiteral("click"); };
        target->OnDragOver = [&](QObject *, QObject *from, int, int, platform::TDragState, bool &accept) { accept = from == source; };
        target->OnDragDrop = [&](QObject *sender, QObject *from, int, int) {
            QCOMPARE(sender, target);
            log << (from == source ? QStringLiteral("dropped") : QStringLiteral("other"));
        };
        QObject *to = &parent;
        source->OnEndDrag = [&](QObject *, QObject *t, int, int) { to = t; };
        const QPoint onTarget = source->mapFromGlobal(target->mapToGlobal(QPoint(3, 3)));
        QCOMPARE(source->DragMode(), platform::TDragMode::dmManual);
        QTest::mouseClick(source, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(log, QStringList({QStringLiteral("click")}));
        log.clear();
        source->SetDragMode(platform::TDragMode::dmAutomatic);
        QTest::mousePress(source, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseMove(source, onTarget);
        QTest::mouseRelease(source, Qt::LeftButton, {}, onTarget);
        QCOMPARE(log, QStringList({QStringLiteral("dropped")}));
        QCOMPARE(to, target);
    }

    void clockLabel()
    {
        TProClockLabel c;
        QCOMPARE(c.Format(), QStringLiteral("c"));
        QCOMPARE(c.Interval(), 1000);
        QVERIFY(c.TimerActive());
        const auto nowIs = [](const QString &format, const QString &caption, const auto &refresh) {
            for (int attempt = 0; attempt < 3; ++attempt) {
                const QString before = FormatDateTime(format, QDateTime::currentDateTime());
                refresh();
                const QString after = FormatDateTime(format, QDateTime::currentDateTime());
                if (caption == before || caption == after)
                    return true;
            }
            return false;
        };
        QVERIFY(nowIs(QStringLiteral("c"), c.Caption(), [] {}));

        // "t" is the short time: hours and minutes, so it changes once a minute.
        c.SetFormat(QStringLiteral("t"));
        QVERIFY(nowIs(QStringLiteral("t"), c.Caption(), [] {}));
        QCOMPARE(c.Caption().count(QLatin1Char(':')), 1);

        // A tick writes the caption first, then fires OnTimer.
        c.SetFormat(QStringLiteral("hh:nn:ss.zzz"));
        int ticks = 0;
        QString seen;
        c.OnTimer = [&](QObject *s) {
            ++ticks;
            seen = static_cast<TProClockLabel *>(s)->Caption();
        };
        c.SetInterval(20);
        QTRY_VERIFY(ticks >= 2);
        QCOMPARE(seen, c.Caption());

        // Enabled switches the timer with the control; an interval of 0 stops it.
        c.setEnabled(false);
        QVERIFY(!c.TimerActive());
        c.setEnabled(true);
        QVERIFY(c.TimerActive());
        c.SetInterval(0);
        QVERIFY(!c.TimerActive());
        c.SetInterval(1000);
        QVERIFY(c.TimerActive());
        c.SetInterval(0);
        c.setEnabled(false);
        c.setEnabled(true);
        QVERIFY(!c.TimerActive());
    }

    void dateTimePatterns()
    {
        const QDateTime t(QDate(2026, 3, 4), QTime(17, 6, 7, 8));
        const auto f = [&](const char *pattern) { return FormatDateTime(QString::fromLatin1(pattern), t); };
        QCOMPARE(f("d.mm.yyyy"), QStringLiteral("4.03.2026"));
        QCOMPARE(f("dd/mm/yy"), QStringLiteral("04/03/26"));
        QCOMPARE(f("hh:nn:ss.zzz"), QStringLiteral("17:06:07.008"));
        QCOMPARE(f("h:mm"), QStringLiteral("17:06")); // m right after an hour is the minute
        QCOMPARE(f("h:mm am/pm"), QStringLiteral("5:06 pm"));
        QCOMPARE(f("hh AM/PM"), QStringLiteral("05 PM"));
        QCOMPARE(f("h a/p"), QStringLiteral("5 p"));
        QCOMPARE(f("ddd dddd mmm mmmm"), QStringLiteral("Wed Wednesday Mar March"));
        QCOMPARE(f("'d' \"mm\" d"), QStringLiteral("d mm 4"));
        QCOMPARE(f("ddddd"), QStringLiteral("3/4/26"));
        QCOMPARE(f("dddddd"), QStringLiteral("Wednesday, March 4, 2026"));
        QCOMPARE(f("t"), QStringLiteral("5:06 PM"));
        QCOMPARE(f("tt"), QStringLiteral("5:06:07 PM"));
        QCOMPARE(f("c"), QStringLiteral("3/4/26 5:06:07 PM"));
        QCOMPARE(f("d.mm.yyyy tt"), QStringLiteral("4.03.2026 5:06:07 PM"));
        QCOMPARE(f("ddddd t"), QStringLiteral("3/4/26 5:06 PM"));
        // At midnight "c" leaves the time out.
        QCOMPARE(FormatDateTime(QStringLiteral("c"), QDateTime(QDate(2026, 3, 4), QTime(0, 0))),
                 QStringLiteral("3/4/26"));

        QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
        QCOMPARE(f("t"), QStringLiteral("17.06"));
        QCOMPARE(f("tt"), QStringLiteral("17.06.07"));
        QCOMPARE(f("ddddd"), QStringLiteral("04.03.2026"));
        QCOMPARE(f("d/m/yyyy"), QStringLiteral("4.3.2026"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
};

K5_TEST_MAIN(TestProLabel)
#include "test_prolabel.moc"
