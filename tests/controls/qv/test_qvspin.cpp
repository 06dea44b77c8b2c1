#include "k5test.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvspin.h"
#include "platform/shell/shell.h"

#include <QDialog>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace qv;

namespace {

// Counts beeps while alive.
struct Beeps {
    int count = 0;
    Beeps() { platform::SetBeepHook([this](unsigned) { ++count; }); }
    ~Beeps() { platform::SetBeepHook(nullptr); }
};

// Mouse actions through the window, as the platform delivers them (the application's button state
// follows).
QPoint inWindow(QWidget *w, QPoint p)
{
    return w->mapTo(w->window(), p);
}
void press(QWidget *w, QPoint p)
{
    QTest::mousePress(w->window()->windowHandle(), Qt::LeftButton, {}, inWindow(w, p));
}
void move(QWidget *w, QPoint p)
{
    QTest::mouseMove(w->window()->windowHandle(), inWindow(w, p));
}
void release(QWidget *w, QPoint p)
{
    QTest::mouseRelease(w->window()->windowHandle(), Qt::LeftButton, {}, inWindow(w, p));
}

bool showAndWait(QWidget *w)
{
    w->show();
    return QTest::qWaitForWindowExposed(w);
}

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(w, c.toLatin1());
}

} // namespace

class TestQvSpin : public QObject {
    Q_OBJECT
private slots:
    void buttonPartsFollowOneRule()
    {
        QWidget window;
        window.resize(100, 40);
        TQvSpinButton b(&window);
        b.resize(40, 20);
        QVERIFY(showAndWait(&window));
        int top = 0, bottom = 0;
        b.OnTopClick = [&](QObject *) { ++top; };
        b.OnBottomClick = [&](QObject *) { ++bottom; };
        QCOMPARE(b.PartAt(QPoint(0, 0)), 1);
        QCOMPARE(b.PartAt(QPoint(39, 19)), 2);
        QCOMPARE(b.PartAt(QPoint(20, 10)), 1); // on the diagonal
        QCOMPARE(b.PartAt(QPoint(21, 10)), 2);
        // On a wide button this point is over the upper part both for the press and for a move.
        press(&b, QPoint(10, 8));
        QCOMPARE(b.State(), 1);
        QCOMPARE(top, 1);
        move(&b, QPoint(11, 8));
        QCOMPARE(b.State(), 1);
        move(&b, QPoint(35, 15));
        QCOMPARE(b.State(), 0);
        move(&b, QPoint(60, 8));
        QCOMPARE(b.State(), 0);
        move(&b, QPoint(12, 9));
        QCOMPARE(b.State(), 1);
        release(&b, QPoint(12, 9));
        QCOMPARE(b.State(), 0);
        QCOMPARE(top, 1);
        press(&b, QPoint(35, 15));
        QCOMPARE(b.State(), 2);
        QCOMPARE(bottom, 1);
        release(&b, QPoint(35, 15));
        QCOMPARE(b.State(), 0);
    }

    void heldPartRepeatsAfter400ThenEvery100Ms()
    {
        ManualClock clock;
        TQvSpinButton b;
        QVERIFY(showAndWait(&b));
        int top = 0;
        b.OnTopClick = [&](QObject *) { ++top; };
        press(&b, QPoint(3, 3));
        QCOMPARE(top, 1);
        clock.Advance(399);
        QCOMPARE(top, 1);
        clock.Advance(1);
        QCOMPARE(top, 2);
        clock.Advance(99);
        QCOMPARE(top, 2);
        clock.Advance(1);
        QCOMPARE(top, 3);
        clock.Advance(300);
        QCOMPARE(top, 6);
        // Off the part it rests; back on it, it goes on.
        move(&b, QPoint(17, 17));
        clock.Advance(500);
        QCOMPARE(top, 6);
        move(&b, QPoint(3, 3));
        clock.Advance(100);
        QCOMPARE(top, 7);
        release(&b, QPoint(3, 3));
        clock.Advance(1000);
        QCOMPARE(top, 7);
    }

    void buttonReleasedDuringTheClickStopsAtOnce()
    {
        ManualClock clock;
        QWidget elsewhere;
        QVERIFY(showAndWait(&elsewhere));
        TQvSpinButton b;
        QVERIFY(showAndWait(&b));
        int top = 0;
        // The click's handler ran a window of its own, and the button came up over that window.
        b.OnTopClick = [&](QObject *) {
            ++top;
            QTest::mouseRelease(elsewhere.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
        };
        press(&b, QPoint(3, 3));
        QCOMPARE(top, 1);
        QCOMPARE(b.State(), 0);
        clock.Advance(1000);
        QCOMPARE(top, 1);
    }

    void buttonGivesItsFocusControlTheFocusAndDrawsGlyphs()
    {
        QWidget window;
        auto *edit = new QLineEdit(&window);
        auto *other = new QLineEdit(&window);
        other->move(0, 30);
        auto *b = new TQvSpinButton(&window);
        b->move(100, 0);
        b->SetFocusControl(edit);
        QVERIFY(showAndWait(&window));
        window.activateWindow();
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        press(b, QPoint(15, 15));
        QVERIFY(edit->hasFocus());
        release(b, QPoint(15, 15));
        // The built-in arrows are black; a glyph can be replaced and brought back.
        auto blackPixels = [](const QImage &img) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    n += img.pixelColor(x, y) == QColor(Qt::black);
            return n;
        };
        QCOMPARE(blackPixels(b->StateImage(0)), 18);
        QImage red(3, 3, QImage::Format_RGB32);
        red.fill(Qt::red);
        b->SetUpGlyph(red);
        QCOMPARE(blackPixels(b->StateImage(0)), 9);
        b->SetUpGlyph(QImage());
        QCOMPARE(blackPixels(b->StateImage(1)), 18);
        delete edit; // the button forgets it
        press(b, QPoint(15, 15));
        release(b, QPoint(15, 15));
    }

    void editDefaults()
    {
        TQvSpinEdit e;
        QCOMPARE(e.text(), QStringLiteral("0"));
        QCOMPARE(e.MinValue(), 0.0);
        QCOMPARE(e.MaxValue(), 0.0);
        QCOMPARE(e.Increment(), 1.0);
        QCOMPARE(e.Decimal(), 2);
        QCOMPARE(e.ValueType(), vtInteger);
        QCOMPARE(e.ButtonKind(), bkDiagonal);
        QCOMPARE(e.Alignment(), taLeftJustify);
        QVERIFY(e.ArrowKeys());
        QVERIFY(e.EditorEnabled);
        QVERIFY(e.SpinButton());
        QVERIFY(!e.UpDown());
        QCOMPARE(e.SpinButton()->FocusControl(), &e);
        QCOMPARE(e.MinimumHeight(), e.fontMetrics().height() + 5);
        e.resize(80, 5);
        QCOMPARE(e.height(), e.MinimumHeight());
    }

    void valuesAreClampedOnlyBetweenDifferentLimits()
    {
        TQvSpinEdit e;
        e.SetValue(-5);
        QCOMPARE(e.text(), QStringLiteral("-5"));
        e.SetValue(1e6);
        QCOMPARE(e.text(), QStringLiteral("1000000"));
        e.SetMinValue(1);
        e.SetMaxValue(10);
        e.SetValue(0);
        QCOMPARE(e.text(), QStringLiteral("1"));
        e.SetValue(11);
        QCOMPARE(e.text(), QStringLiteral("10"));
        int changes = 0;
        e.OnChange = [&](QObject *) { ++changes; };
        e.UpClick();
        QCOMPARE(e.text(), QStringLiteral("10"));
        QCOMPARE(changes, 0);
        e.DownClick();
        QCOMPARE(e.text(), QStringLiteral("9"));
        QCOMPARE(changes, 1);
        e.SetValue(std::nan(""));
        QCOMPARE(e.text(), QStringLiteral("9"));
        // Text that is no number reads as the minimum (truncated for integers).
        e.SetMinValue(2.7);
        e.setText(QStringLiteral("abc"));
        QCOMPARE(e.Value(), 2.0);
        e.SetValueType(vtFloat);
        QCOMPARE(e.Value(), 2.7);
        e.setText(QStringLiteral(" 3.25 "));
        QCOMPARE(e.Value(), 3.25);
    }

    // A whole number is shown as one that reads back: beyond the range of an int it ends at its ends.
    void wholeNumbersStayInTheRangeTheyReadBackIn()
    {
        constexpr double kMin = -2147483648.0, kMax = 2147483647.0;
        TQvSpinEdit e;
        e.SetValue(-1e30);
        QCOMPARE(e.text(), QStringLiteral("-2147483648"));
        QCOMPARE(e.Value(), kMin);
        e.DownClick();
        QCOMPARE(e.text(), QStringLiteral("-2147483648"));
        e.SetValue(1e30);
        QCOMPARE(e.text(), QStringLiteral("2147483647"));
        QCOMPARE(e.Value(), kMax);
        e.UpClick();
        QCOMPARE(e.text(), QStringLiteral("2147483647"));
        e.SetValue(-2147483648.6);
        QCOMPARE(e.text(), QStringLiteral("-2147483648"));
        e.SetValue(2147483646.5);
        QCOMPARE(e.text(), QStringLiteral("2147483646"));
        // So with limits beyond it, and for text that reads as the minimum.
        e.SetMinValue(-1e30);
        e.SetMaxValue(1e30);
        e.SetValue(-1e31);
        QCOMPARE(e.text(), QStringLiteral("-2147483648"));
        e.setText(QStringLiteral("abc"));
        QCOMPARE(e.Value(), kMin);
    }

    void decimalsRoundAsTheyShow()
    {
        TQvSpinEdit e;
        e.SetValueType(vtFloat);
        e.SetValue(1.005);
        QCOMPARE(e.text(), QStringLiteral("1.01"));
        e.SetValue(2.5);
        QCOMPARE(e.text(), QStringLiteral("2.50"));
        e.SetValue(-0.001);
        QCOMPARE(e.text(), QStringLiteral("0.00"));
        e.SetValue(-1.995);
        QCOMPARE(e.text(), QStringLiteral("-2.00"));
        e.SetValue(99.999);
        QCOMPARE(e.text(), QStringLiteral("100.00"));
        e.SetDecimal(0);
        QCOMPARE(e.text(), QStringLiteral("100"));
        e.SetValue(0.5);
        QCOMPARE(e.text(), QStringLiteral("1"));
        e.SetValue(1.5);
        e.SetDecimal(3);
        QCOMPARE(e.text(), QStringLiteral("2.000"));
        QCOMPARE(FloatToStrFixed(1e20, 15, 2, QLatin1Char('.')), QStringLiteral("1.00000000000000E+020"));
        QCOMPARE(FloatToStrFixed(0.000123, 15, 5, QLatin1Char(',')), QStringLiteral("0,00012"));
        // Integers round halves to the even number.
        e.SetValueType(vtInteger);
        e.SetValue(2.5);
        QCOMPARE(e.text(), QStringLiteral("2"));
        e.SetValue(3.5);
        QCOMPARE(e.text(), QStringLiteral("4"));
    }

    void integerTypeRoundsTheIncrement()
    {
        TQvSpinEdit e;
        e.SetValueType(vtFloat);
        e.SetIncrement(0.3);
        e.UpClick();
        QCOMPARE(e.text(), QStringLiteral("0.30"));
        e.SetValueType(vtInteger);
        QCOMPARE(e.Increment(), 1.0);
        e.SetValueType(vtFloat);
        e.SetIncrement(2.6);
        e.SetValueType(vtInteger);
        QCOMPARE(e.Increment(), 3.0);
    }

    void keysAreFiltered()
    {
        Beeps beeps;
        TQvSpinEdit e;
        e.clear();
        typeText(&e, QStringLiteral("-1a2"));
        QCOMPARE(e.text(), QStringLiteral("-12"));
        QCOMPARE(beeps.count, 1);
        e.SetValueType(vtFloat);
        e.clear();
        typeText(&e, QStringLiteral("1.5.2e3E"));
        QCOMPARE(e.text(), QStringLiteral("1.52e3"));
        QCOMPARE(beeps.count, 3);
        QTest::keyClick(&e, Qt::Key_Backspace);
        QCOMPARE(e.text(), QStringLiteral("1.52e"));
        QTest::keyClick(&e, Qt::Key_Home);
        QTest::keyClick(&e, Qt::Key_Delete);
        QCOMPARE(e.text(), QStringLiteral(".52e"));
        QCOMPARE(beeps.count, 3);
        // Without the editor nothing can be typed, not even Backspace; commands still work.
        e.EditorEnabled = false;
        QTest::keyClick(&e, Qt::Key_End);
        typeText(&e, QStringLiteral("7"));
        QTest::keyClick(&e, Qt::Key_Backspace);
        QCOMPARE(e.text(), QStringLiteral(".52e"));
        QCOMPARE(beeps.count, 5);
        QTest::keyClick(&e, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(e.selectedText(), QStringLiteral(".52e"));
        QCOMPARE(beeps.count, 5);
    }

    void spinsReportOneChange()
    {
        Beeps beeps;
        TQvSpinEdit e;
        int changes = 0, tops = 0, bottoms = 0;
        e.OnChange = [&](QObject *) { ++changes; };
        e.OnTopClick = [&](QObject *) { ++tops; };
        e.OnBottomClick = [&](QObject *) { ++bottoms; };
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.text(), QStringLiteral("1"));
        QCOMPARE(changes, 1);
        QCOMPARE(tops, 1);
        QVERIFY(e.isModified());
        QTest::keyClick(&e, Qt::Key_Down);
        QTest::keyClick(&e, Qt::Key_Down);
        QCOMPARE(e.text(), QStringLiteral("-1"));
        QCOMPARE(changes, 3);
        QCOMPARE(bottoms, 2);
        e.SetArrowKeys(false);
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.text(), QStringLiteral("-1"));
        e.SetArrowKeys(true);
        // Read-only: the spins only beep.
        e.setReadOnly(true);
        QTest::keyClick(&e, Qt::Key_Up);
        e.DownClick();
        QCOMPARE(e.text(), QStringLiteral("-1"));
        QCOMPARE(beeps.count, 2);
        QCOMPARE(tops, 1);
        QCOMPARE(changes, 3);
    }

    void spinButtonRepeatsInTheEdit()
    {
        ManualClock clock;
        TQvSpinEdit e;
        e.resize(80, 24);
        QVERIFY(showAndWait(&e));
        TQvSpinButton *b = e.SpinButton();
        QVERIFY(b->isVisible());
        QCOMPARE(b->mapTo(&e, QPoint(b->width(), 0)).x(), e.width() - 2);
        int changes = 0;
        e.OnChange = [&](QObject *) { ++changes; };
        press(b, QPoint(2, 2));
        QCOMPARE(e.text(), QStringLiteral("1"));
        QVERIFY(e.hasFocus());
        clock.Advance(500);
        QCOMPARE(e.text(), QStringLiteral("3"));
        QCOMPARE(changes, 3);
        release(b, QPoint(2, 2));
        press(b, QPoint(b->width() - 3, b->height() - 3));
        release(b, QPoint(b->width() - 3, b->height() - 3));
        QCOMPARE(e.text(), QStringLiteral("2"));
        // With ReadOnly the button only beeps.
        Beeps beeps;
        e.setReadOnly(true);
        press(b, QPoint(2, 2));
        release(b, QPoint(2, 2));
        QCOMPARE(e.text(), QStringLiteral("2"));
        QCOMPARE(beeps.count, 1);
    }

    void standardButtonsAreAnUpDown()
    {
        TQvSpinEdit e;
        e.resize(80, 24);
        e.SetButtonKind(bkStandard);
        QVERIFY(!e.SpinButton());
        TQvUpDown *ud = e.UpDown();
        QVERIFY(ud);
        QVERIFY(showAndWait(&e));
        QCOMPARE(ud->width(), ud->NaturalWidth());
        QVERIFY(ud->width() <= 15);
        TQvUpDown alone;
        alone.resize(40, 30);
        QCOMPARE(alone.width(), alone.NaturalWidth());
        QCOMPARE(alone.Min(), -1);
        QCOMPARE(alone.Max(), 1);
        QCOMPARE(alone.Position(), 0);
        QVERIFY(alone.ArrowKeys());
        QTest::mouseClick(ud->UpButton(), Qt::LeftButton);
        QCOMPARE(e.text(), QStringLiteral("1"));
        QCOMPARE(ud->Position(), 0);
        QTest::mouseClick(ud->DownButton(), Qt::LeftButton);
        QTest::mouseClick(ud->DownButton(), Qt::LeftButton);
        QCOMPARE(e.text(), QStringLiteral("-1"));
        QCOMPARE(ud->Position(), 0);
        // The arrow keys reach it through the edit, once per key.
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.text(), QStringLiteral("0"));
        e.SetArrowKeys(false);
        QTest::keyClick(&e, Qt::Key_Up);
        QCOMPARE(e.text(), QStringLiteral("0"));
        e.SetButtonKind(bkDiagonal);
        QVERIFY(e.SpinButton());
        QVERIFY(!e.UpDown());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void enterAndEscapeReachTheDialog()
    {
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
            QDialog dialog;
            auto *layout = new QVBoxLayout(&dialog);
            auto *edit = new TQvSpinEdit(&dialog);
            auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
            ok->setDefault(true);
            QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
            layout->addWidget(edit);
            layout->addWidget(ok);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key(key));
            QTRY_VERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), key == Qt::Key_Return ? int(QDialog::Accepted) : int(QDialog::Rejected));
            QCOMPARE(edit->text(), QStringLiteral("0"));
        }
    }
};

K5_TEST_MAIN(TestQvSpin)
#include "test_qvspin.moc"
