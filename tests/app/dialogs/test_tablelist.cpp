// The table and list dialogs: the grid follows the count spins, and the text built from the cells.
#include "k5test.h"
#include "tests/app/dialogs/dialogtest.h"

#include "app/dialogs/unit_table.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace dialogs;


class TestTableList : public QObject {
    Q_OBJECT

private slots:
    void anEmptyOneByOneTable()
    {
        auto d = dialogtest::OpenDialog<Ttable>("Ttable");
        QCOMPARE(d->StringGrid1->rowCount(), 1);
        QCOMPARE(d->StringGrid1->columnCount(), 1);
        QCOMPARE(dialogtest::OkText(d.get()),
                 QStringLiteral("<TABLE BORDER=\"0\" ALIGN=\"\" WIDTH=\"100%\" CELLPADDING=\"0\"  CELLSPACING=\"0\" BGCOLOR=\"\">\r\n"
                                "<tr>\r\n"
                                "         <TD></TD>\r\n"
                                "</TR>\r\n"
                                "</TABLE>"));
        QVERIFY(!d->isVisible());
    }

    void theGridFollowsTheSpinsAndGivesTheCells()
    {
        auto d = dialogtest::OpenDialog<Ttable>("Ttable");
        k5test::Type(d->Field(QStringLiteral("How many cols ?")), QStringLiteral("3"));
        k5test::Type(d->Field(QStringLiteral("How many rows ?")), QStringLiteral("2"));
        QCOMPARE(d->StringGrid1->columnCount(), 3);
        QCOMPARE(d->StringGrid1->rowCount(), 2);
        dialogtest::FillGrid(d->StringGrid1, {{"a", "b", "c"}, {"d", "", "f"}});
        // Fewer columns drop the last one's cells.
        // The user selects the 3 and types 2 over it.
        auto *cols = qobject_cast<QLineEdit *>(d->Field(QStringLiteral("How many cols ?")));
        cols->selectAll();
        QTest::keyClicks(cols, QStringLiteral("2"));
        QCOMPARE(d->StringGrid1->columnCount(), 2);
        k5test::Type(d->Field(QStringLiteral("Border")), QStringLiteral("1"));
        k5test::Type(d->Field(QStringLiteral("Width")), QStringLiteral("50"));
        k5test::Type(d->Field(QStringLiteral("Cellpadding")), QStringLiteral("2"));
        k5test::Type(d->Field(QStringLiteral("Cellspacing")), QStringLiteral("3"));
        k5test::Type(d->Field(QStringLiteral("Align")), QStringLiteral("LEFT"));
        k5test::Type(d->Field(QStringLiteral("Color")), QStringLiteral("#ff0000"));
        QCOMPARE(dialogtest::OkText(d.get()),
                 QStringLiteral("<TABLE BORDER=\"1\" ALIGN=\"LEFT\" WIDTH=\"50%\" CELLPADDING=\"2\"  CELLSPACING=\"3\" BGCOLOR=\"#ff0000\">\r\n"
                                "<tr>\r\n"
                                "         <TD>a</TD>\r\n"
                                "         <TD>b</TD>\r\n"
                                "</TR>\r\n"
                                "<tr>\r\n"
                                "         <TD>d</TD>\r\n"
                                "         <TD></TD>\r\n"
                                "</TR>\r\n"
                                "</TABLE>"));
    }

    void noCellIsLostWhileACountIsTyped()
    {
        auto d = dialogtest::OpenDialog<Ttable>("Ttable");
        QWidget *cols = d->Field(QStringLiteral("How many cols ?"));
        QWidget *rows = d->Field(QStringLiteral("How many rows ?"));
        k5test::Type(cols, QStringLiteral("3"));
        k5test::Type(rows, QStringLiteral("3"));
        dialogtest::FillGrid(d->StringGrid1, {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
        // The box is emptied, then the new count typed: it passes through nothing and 1 on the way.
        k5test::Type(cols, QStringLiteral("4"));
        QCOMPARE(d->StringGrid1->columnCount(), 4);
        QCOMPARE(d->Cells(), (QList<QStringList>{{"a", "b", "c", ""}, {"d", "e", "f", ""}, {"g", "h", "i", ""}}));
        // "12" passes through "1".
        k5test::Type(rows, QStringLiteral("12"));
        QCOMPARE(d->StringGrid1->rowCount(), 12);
        QCOMPARE(d->Cells().at(2), (QStringList{"g", "h", "i", ""}));
        // A count that really is smaller drops the cells beyond it, from the text and for good.
        k5test::Type(rows, QStringLiteral("2"));
        QTest::keyClick(rows, Qt::Key_Return);
        QVERIFY(!dialogtest::OkText(d.get()).contains(QStringLiteral("<TD>g</TD>")));
        k5test::Type(rows, QStringLiteral("3"));
        QCOMPARE(d->Cells().at(2), (QStringList{"", "", "", ""}));

        auto list = dialogtest::OpenDialog<TList>("TList");
        QWidget *items = list->Field(QStringLiteral("How many Items do you want ?"));
        k5test::Type(items, QStringLiteral("2"));
        dialogtest::FillGrid(list->StringGrid1, {{"one"}, {"two"}});
        k5test::Type(items, QStringLiteral("3"));
        QCOMPARE(list->Cells(), (QList<QStringList>{{"one"}, {"two"}, {""}}));
    }

    void countsBelowOneGiveOne()
    {
        QCOMPARE(CountOf(QString()), 1);
        QCOMPARE(CountOf(QStringLiteral("-4")), 1);
        QCOMPARE(CountOf(QStringLiteral("0")), 1);
        QCOMPARE(CountOf(QStringLiteral("x")), 1);
        QCOMPARE(CountOf(QStringLiteral(" 7 ")), 7);
        auto d = dialogtest::OpenDialog<Ttable>("Ttable");
        auto *cols = qobject_cast<QLineEdit *>(d->Field(QStringLiteral("How many cols ?")));
        cols->setText(QStringLiteral("3"));
        cols->clear();
        QCOMPARE(d->StringGrid1->columnCount(), 1);
        cols->setText(QStringLiteral("-2"));
        QCOMPARE(d->StringGrid1->columnCount(), 1);
        QVERIFY(dialogtest::OkText(d.get()).contains(QStringLiteral("<TD></TD>")));
    }

    void orderedAndUnorderedLists()
    {
        auto d = dialogtest::OpenDialog<TList>("TList");
        QVERIFY(d->Ordered->isChecked());
        QWidget *numbering = d->Field(QStringLiteral("Numbering"));
        QWidget *bullet = d->Field(QStringLiteral("Bullet"));
        QVERIFY(numbering->isVisible() && !bullet->isVisible());
        k5test::Type(d->Field(QStringLiteral("How many Items do you want ?")), QStringLiteral("2"));
        QCOMPARE(d->StringGrid1->rowCount(), 2);
        QCOMPARE(d->StringGrid1->columnCount(), 1);
        dialogtest::FillGrid(d->StringGrid1, {{"one"}, {"two"}});
        k5test::Type(numbering, QStringLiteral("i"));
        QCOMPARE(d->Build(), QStringLiteral("<OL TYPE=\"i\">\r\n         <LI>one</LI>\r\n         <LI>two</LI>\r\n</OL>\r\n"));

        QTest::mouseClick(d->Unordered, Qt::LeftButton);
        QVERIFY(!numbering->isVisible() && bullet->isVisible());
        k5test::Type(bullet, QStringLiteral("square "));
        QCOMPARE(dialogtest::OkText(d.get()),
                 QStringLiteral("<UL TYPE=\"square \">\r\n         <LI>one</LI>\r\n         <LI>two</LI>\r\n</UL>\r\n"));
    }
};

K5_TEST_MAIN(TestTableList)
#include "test_tablelist.moc"
