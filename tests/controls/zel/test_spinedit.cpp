#include "k5test.h"

#include "controls/zel/spinedit.h"
#include "platform/shell/shell.h"

#include <QClipboard>
#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>

using namespace zel;

namespace {

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Counts beeps while alive.
struct Beeps {
    int count = 0;
    Beeps() { platform::SetBeepHook([this](unsigned) { ++count; }); }
    ~Beeps() { platform::SetBeepHook(nullptr); }
};

} // namespace

class TestSpinEdit : public QObject {
    Q_OBJECT
private slots:
    void startsAtZeroWithItsDefaults()
    {
        TZELSpinEdit edit;
        QCOMPARE(edit.text(), QStringLiteral("0"));
        QCOMPARE(edit.MinValue(), 0);
        QCOMPARE(edit.MaxValue(), 100);
        QCOMPARE(edit.LineSize, 1);
        QCOMPARE(edit.MultipleLineSize, 10);
        QVERIFY(edit.CutandPaste);
    }

    void keysSpinWithinTheLimits()
    {
        TZELSpinEdit edit;
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.Value(), 1);
        QTest::keyClick(&edit, Qt::Key_PageUp);
        QCOMPARE(edit.Value(), 11);
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(edit.Value(), 10);
        QTest::keyClick(&edit, Qt::Key_PageDown);
        QTest::keyClick(&edit, Qt::Key_PageDown);
        QCOMPARE(edit.text(), QStringLiteral("0"));
        edit.SetValue(95);
        QTest::keyClick(&edit, Qt::Key_PageUp);
        QCOMPARE(edit.Value(), 100);
        edit.LineSize = 7;
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(edit.Value(), 93);
        edit.SetValue(1000);
        QCOMPARE(edit.text(), QStringLiteral("100"));
    }

    void readOnlyBeepsOnSpinsOnly()
    {
        Beeps beeps;
        TZELSpinEdit edit;
        edit.SetValue(5);
        edit.setReadOnly(true);
        QTest::keyClick(&edit, Qt::Key_Up);
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(beeps.count, 2);
        QTest::keyClick(&edit, Qt::Key_PageUp);
        QCOMPARE(beeps.count, 2);
        QCOMPARE(edit.Value(), 5);
    }

    void spinsStopAtTheEndsOfTheIntegerRange()
    {
        TZELSpinEdit edit;
        edit.SetMaxValue(INT_MAX);
        edit.SetMinValue(INT_MIN);
        edit.SetValue(INT_MAX - 3);
        QTest::keyClick(&edit, Qt::Key_PageUp);
        QCOMPARE(edit.Value(), INT_MAX);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString::number(INT_MAX));
        edit.SetValue(INT_MIN + 1);
        QTest::keyClick(&edit, Qt::Key_PageDown);
        QCOMPARE(edit.Value(), INT_MIN);
        // Text beyond the integer range is no integer.
        edit.setText(QStringLiteral("99999999999"));
        QCOMPARE(edit.Value(), INT_MIN);
    }

    void settersRefuseWhatWouldCrossTheOtherLimit()
    {
        TZELSpinEdit edit;
        edit.SetMaxValue(-5);
        edit.SetMinValue(-10);
        QCOMPARE(edit.MinValue(), -10);
        QCOMPARE(edit.MaxValue(), 100);
        edit.SetValue(80);
        edit.SetMaxValue(50);
        QCOMPARE(edit.text(), QStringLiteral("50"));
        edit.SetMinValue(60); // refused: not below MaxValue
        QCOMPARE(edit.MinValue(), -10);
        edit.SetMinValue(20);
        edit.setText(QStringLiteral("3"));
        edit.SetMinValue(30);
        QCOMPARE(edit.text(), QStringLiteral("30"));
    }

    void textThatIsNoNumberReadsAsMinValue()
    {
        QWidget window;
        auto *edit = new TZELSpinEdit(&window);
        auto *other = new QPushButton(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        edit->SetMaxValue(50);
        edit->SetMinValue(5);
        edit->setText(QStringLiteral("abc"));
        QCOMPARE(edit->Value(), 5);
        edit->setFocus();
        other->setFocus();
        QCOMPARE(edit->text(), QStringLiteral("abc"));
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QStringLiteral("6"));

        // Leaving the field clamps a typed value.
        edit->setFocus();
        edit->setText(QStringLiteral("500"));
        other->setFocus();
        QCOMPARE(edit->text(), QStringLiteral("50"));

        edit->clear();
        QCOMPARE(edit->Value(), 5);
        QCOMPARE(edit->text(), QStringLiteral("5"));
    }

    void typingIsFiltered()
    {
        Beeps beeps;
        TZELSpinEdit edit;
        edit.clear();
        QTest::keyClicks(&edit, QStringLiteral("-1a2 "));
        QCOMPARE(edit.text(), QStringLiteral("-12"));
        QCOMPARE(beeps.count, 2);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("-1"));

        // Pasted text leaves its number, or nothing when it holds none; so does a drop or the middle button.
        QApplication::clipboard()->setText(QStringLiteral("4x"));
        edit.clear();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), QStringLiteral("4"));
        QCOMPARE(edit.Value(), 4);
        QApplication::clipboard()->setText(QStringLiteral("30\"><b>x"));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), QStringLiteral("30"));
        QApplication::clipboard()->setText(QStringLiteral("<b>"));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), QStringLiteral("30"));
        edit.setCursorPosition(1);
        QApplication::clipboard()->setText(QStringLiteral(" 7 "));
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), QStringLiteral("370"));
        QApplication::clipboard()->setText(QStringLiteral("-8&"));
        edit.selectAll();
        edit.paste();
        QCOMPARE(edit.text(), QStringLiteral("-8"));
        QCOMPARE(beeps.count, 2);
    }

    void limitedTypingNeverLeavesANumberBeyondTheLimits()
    {
        QDialog dialog;
        auto *edit = new TZELSpinEdit(&dialog);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit);
        edit->LimitTyping = true;
        edit->SetMaxValue(50);
        edit->SetMinValue(5);
        dialog.show();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("-60"));
        QCOMPARE(edit->text(), QStringLiteral("6"));
        // A number under the least may still grow; Enter brings it up.
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("1"));
        QCOMPARE(edit->text(), QStringLiteral("1"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), QStringLiteral("5"));
        // A paste is held to the limits as well.
        QApplication::clipboard()->setText(QStringLiteral("75"));
        edit->selectAll();
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("5"));
        QApplication::clipboard()->setText(QStringLiteral("x42"));
        edit->selectAll();
        edit->paste();
        QCOMPARE(edit->text(), QStringLiteral("42"));
    }

    void withoutCutAndPasteOnlySpinningChangesTheText()
    {
        Beeps beeps;
        TZELSpinEdit edit;
        edit.CutandPaste = false;
        edit.SetValue(42);
        edit.setCursorPosition(2);
        QTest::keyClicks(&edit, QStringLiteral("5"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_Home);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QApplication::clipboard()->setText(QStringLiteral("7"));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(edit.text(), QStringLiteral("42"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("7"));
        QVERIFY(beeps.count >= 3);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QStringLiteral("43"));
    }

    void enterReachesTheDefaultButton()
    {
        QDialog dialog;
        auto *edit = new TZELSpinEdit(&dialog);
        auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setDefault(true);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit);
        layout->addWidget(ok);
        int clicks = 0;
        connect(ok, &QPushButton::clicked, &dialog, [&] { ++clicks; });
        dialog.show();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(clicks, 1);
        QCOMPARE(edit->text(), QStringLiteral("0"));
    }

    void buttonSitsInTheRightEnd()
    {
        TZELSpinEdit edit;
        edit.show();
        edit.resize(120, 24);
        QWidget *holder = edit.findChild<QWidget *>(QStringLiteral("ButtonHolder"));
        QCOMPARE(holder->geometry(), QRect(96, 0, 20, 20));
        QCOMPARE(edit.SpinButton()->geometry(), QRect(0, 0, 20, 20));
        QCOMPARE(edit.textMargins().right(), 22);
        edit.resize(120, 2);
        QCOMPARE(edit.height(), 4 + std::min(QFontMetrics(QApplication::font()).height(), edit.fontMetrics().height()) / 4
                                    + edit.fontMetrics().height());
    }

    void diagonalDecidesThePart()
    {
        TZELSpinEdit edit;
        edit.show();
        edit.resize(120, 24);
        TZELCustomSpinButton *b = edit.SpinButton();
        edit.SetValue(10);

        sendMouse(b, QEvent::MouseButtonPress, QPoint(3, 3));
        QCOMPARE(b->State(), 1);
        sendMouse(b, QEvent::MouseButtonRelease, QPoint(4, 4));
        QCOMPARE(b->State(), 0);
        QCOMPARE(edit.Value(), 11);

        // On the diagonal counts as up; just below it is down.
        sendMouse(b, QEvent::MouseButtonPress, QPoint(10, 10));
        QCOMPARE(b->State(), 1);
        sendMouse(b, QEvent::MouseButtonRelease, QPoint(10, 10));
        sendMouse(b, QEvent::MouseButtonPress, QPoint(11, 10));
        QCOMPARE(b->State(), 2);
        sendMouse(b, QEvent::MouseButtonRelease, QPoint(17, 17));
        QCOMPARE(edit.Value(), 11);

        // Down pressed, dragged off and released: nothing.
        sendMouse(b, QEvent::MouseButtonPress, QPoint(17, 17));
        sendMouse(b, QEvent::MouseMove, QPoint(40, 17));
        QCOMPARE(b->State(), 0);
        sendMouse(b, QEvent::MouseMove, QPoint(16, 16));
        QCOMPARE(b->State(), 2);
        sendMouse(b, QEvent::MouseButtonRelease, QPoint(40, 17));
        QCOMPARE(edit.Value(), 11);
        // Up pressed and released on the down part: nothing.
        sendMouse(b, QEvent::MouseButtonPress, QPoint(2, 2));
        sendMouse(b, QEvent::MouseMove, QPoint(17, 17));
        QCOMPARE(b->State(), 0);
        sendMouse(b, QEvent::MouseButtonRelease, QPoint(17, 17));
        QCOMPARE(edit.Value(), 11);

        edit.setEnabled(false);
        QCOMPARE(b->State(), 3);
        sendMouse(b, QEvent::MouseButtonPress, QPoint(3, 3));
        QCOMPARE(b->State(), 3);
        edit.setEnabled(true);
        QCOMPARE(b->State(), 0);
    }

    void statesLookDifferent()
    {
        TZELCustomSpinButton b;
        b.resize(20, 20);
        const QImage idle = b.StateImage(0), up = b.StateImage(1), down = b.StateImage(2), off = b.StateImage(3);
        QVERIFY(idle != up);
        QVERIFY(idle != down);
        QVERIFY(idle != off);
        // The up arrow sits in the upper-left triangle, drawn in the arrow colour.
        QCOMPARE(idle.pixelColor(5, 4), QColor(Qt::black));
        b.SetArrowColor(Qt::red);
        QCOMPARE(b.StateImage(0).pixelColor(3, 6), QColor(Qt::red));
    }
};

K5_TEST_MAIN(TestSpinEdit)
#include "test_spinedit.moc"
