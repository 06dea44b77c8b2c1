#include "k5test.h"

#include "controls/zel/autocombo.h"

#include <QLineEdit>

using namespace zel;

class TestAutoCombo : public QObject {
    Q_OBJECT

    static void fill(TZELAutoCombo &c)
    {
        c.addItems({QStringLiteral("Arial"), QStringLiteral("Arial Black"), QStringLiteral("Courier")});
        c.setEditText(QString());
    }

private slots:
    void completesTheFirstMatchingItem()
    {
        TZELAutoCombo combo;
        fill(combo);
        QTest::keyClicks(&combo, QStringLiteral("ar"));
        QCOMPARE(combo.currentText(), QStringLiteral("Arial"));
        QCOMPARE(combo.lineEdit()->selectedText(), QStringLiteral("ial"));
        QCOMPARE(combo.lineEdit()->selectionStart(), 2);
        // Typing on replaces the completed tail; "ara" matches nothing and stays.
        QTest::keyClicks(&combo, QStringLiteral("a"));
        QCOMPARE(combo.currentText(), QStringLiteral("Ara"));
        QCOMPARE(combo.lineEdit()->selectedText(), QString());
    }

    void theItemKeepsItsOwnCase()
    {
        TZELAutoCombo combo;
        fill(combo);
        QTest::keyClicks(&combo, QStringLiteral("AR"));
        QCOMPARE(combo.currentText(), QStringLiteral("Arial"));
        QCOMPARE(combo.lineEdit()->selectionStart(), 2);
        QCOMPARE(combo.lineEdit()->selectionEnd(), 5);
        QTest::keyClicks(&combo, QStringLiteral("IAL B"));
        QCOMPARE(combo.currentText(), QStringLiteral("Arial Black"));
        combo.setEditText(QString());
        QTest::keyClicks(&combo, QStringLiteral("c"));
        QCOMPARE(combo.currentText(), QStringLiteral("Courier"));
    }

    void deletingNeverCompletesAgain()
    {
        TZELAutoCombo combo;
        fill(combo);
        QTest::keyClicks(&combo, QStringLiteral("ar"));
        QTest::keyClick(&combo, Qt::Key_Backspace);
        QCOMPARE(combo.currentText(), QStringLiteral("Ar"));
        QTest::keyClick(&combo, Qt::Key_Backspace);
        QCOMPARE(combo.currentText(), QStringLiteral("A"));
        QCOMPARE(combo.LastKey(), quint16(8));

        // A field emptied another way is not refilled either.
        combo.lineEdit()->selectAll();
        QTest::keyClick(&combo, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(combo.currentText(), QString());
    }

    void minCompleteWaitsForEnoughCharacters()
    {
        TZELAutoCombo combo;
        fill(combo);
        combo.MinComplete = 3;
        QTest::keyClicks(&combo, QStringLiteral("ar"));
        QCOMPARE(combo.currentText(), QStringLiteral("ar"));
        QTest::keyClicks(&combo, QStringLiteral("i"));
        QCOMPARE(combo.currentText(), QStringLiteral("Arial"));
        QCOMPARE(combo.lineEdit()->selectedText(), QStringLiteral("al"));
    }

    void onCompleteMayKeepTheText()
    {
        TZELAutoCombo combo;
        fill(combo);
        QList<QPair<quint16, QString>> calls;
        combo.OnComplete = [&](QObject *, quint16 key, const QString &item, bool &change) {
            calls << qMakePair(key, item);
            change = false;
        };
        int changes = 0;
        combo.OnChange = [&](QObject *) { ++changes; };
        QTest::keyClicks(&combo, QStringLiteral("co"));
        QCOMPARE(combo.currentText(), QStringLiteral("co"));
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls.last().first, quint16(Qt::Key_O));
        QCOMPARE(calls.last().second, QStringLiteral("Courier"));
        QCOMPARE(changes, 2);
        combo.Complete = false;
        QTest::keyClicks(&combo, QStringLiteral("u"));
        QCOMPARE(calls.size(), 2);
    }

    void aDropDownListNeverCompletes()
    {
        TZELAutoCombo combo;
        combo.SetStyle(TZELAutoCombo::csDropDownList);
        fill(combo);
        int calls = 0;
        combo.OnComplete = [&](QObject *, quint16, const QString &, bool &) { ++calls; };
        QVERIFY(!combo.lineEdit());
        QTest::keyClicks(&combo, QStringLiteral("ar"));
        QCOMPARE(calls, 0);
    }
};

K5_TEST_MAIN(TestAutoCombo)
#include "test_autocombo.moc"
