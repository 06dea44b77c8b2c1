// The table and list dialogs: the grid follows the count spins, and the text built from the cells.
#include "k5test.h"
#include "tests/app/dialogs/dialogtest.h"

#include "app/dialogs/unit_table.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

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

    void aTableNoPageCouldHoldIsRefusedAtOnce()
    {
        auto d = dialogtest::OpenDialog<Ttable>("Ttable");
        k5test::Type(d->Field(QStringLiteral("How many cols ?")), QStringLiteral("10000"));
        QCOMPARE(d->StringGrid1->columnCount(), 10000);
        auto *rows = qobject_cast<QLineEdit *>(d->Field(QStringLiteral("How many rows ?")));
        QApplication::clipboard()->setText(QStringLiteral("9999"));
        rows->setFocus();
        rows->selectAll();
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        QTest::keyClick(rows, Qt::Key_V, Qt::ControlModifier);
        k5test::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(QStringLiteral("10000 columns by 9999 rows is too large")), qPrintable(user.Texts.first()));
        // The grid stays as it was, and the box says so.
        QCOMPARE(d->StringGrid1->rowCount(), 1);
        QCOMPARE(rows->text(), QStringLiteral("1"));
        QVERIFY(d->isVisible());
        // The largest table a page holds is not refused, and one row more is.
        const qint64 most = (MaxTableText - EmptyTableLength(0, 10000)) / (EmptyTableLength(1, 10000) - EmptyTableLength(0, 10000));
        QVERIFY(EmptyTableLength(most, 10000) <= MaxTableText && EmptyTableLength(most + 1, 10000) > MaxTableText);
        QCOMPARE(EmptyTableLength(2, 3), qint64(TableText({}, {{"", "", ""}, {"", "", ""}}).size()));
        // A list's items never come near.
        QVERIFY(EmptyTableLength(10000, 1) < MaxTableText / 1000);
    }

    void aLargeGridShowsItsProgressAndEscStopsIt()
    {
        auto d = dialogtest::OpenDialog<Ttable>("Ttable");
        QVERIFY(!d->ProgressBar1->isVisible() && !d->StatusLabel->isVisible());
        k5test::Type(d->Field(QStringLiteral("How many cols ?")), QStringLiteral("1000"));
        auto *rows = qobject_cast<QLineEdit *>(d->Field(QStringLiteral("How many rows ?")));
        k5test::Type(rows, QStringLiteral("100"));
        k5test::Settle();
        rows->end(false);
        QCOMPARE(d->StringGrid1->rowCount(), 100);
        d->StringGrid1->setItem(99, 999, new QTableWidgetItem(QStringLiteral("corner")));
        // Esc once the work is a tenth done; what was shown meanwhile is noted.
        bool armed = false;
        QStringList seen;
        connect(d->ProgressBar1, &QProgressBar::valueChanged, d.get(), [&](int v) {
            if (v < 10 || !d->Busy())
                return;
            seen << d->StatusLabel->text() + (d->StatusLabel->isVisible() ? QString() : QStringLiteral(" (hidden)"));
            if (std::exchange(armed, false))
                QTest::keyClick(d.get(), Qt::Key_Escape);
        });
        armed = true;
        QTest::keyClicks(rows, QStringLiteral("0"));
        k5test::Settle();
        QVERIFY(!armed);
        QCOMPARE(seen.value(0), QStringLiteral("Press <Esc> to cancel"));
        QCOMPARE(d->StringGrid1->rowCount(), 100);
        QCOMPARE(rows->text(), QStringLiteral("100"));
        QCOMPARE(d->StringGrid1->item(99, 999)->text(), QStringLiteral("corner"));
        QVERIFY(d->isVisible() && !d->Busy() && !d->ProgressBar1->isVisible());
        // Left alone, it is made; the cells typed stay where they were.
        QTest::keyClicks(rows, QStringLiteral("0"));
        QCOMPARE(d->StringGrid1->rowCount(), 1000);
        QCOMPARE(d->StringGrid1->item(99, 999)->text(), QStringLiteral("corner"));
        // Its columns too, fewer and more again.
        auto *cols = qobject_cast<QLineEdit *>(d->Field(QStringLiteral("How many cols ?")));
        cols->setFocus();
        cols->setCursorPosition(4);
        QTest::keyClick(cols, Qt::Key_Backspace);
        QCOMPARE(d->StringGrid1->columnCount(), 100);
        QTest::keyClicks(cols, QStringLiteral("0"));
        QCOMPARE(d->StringGrid1->columnCount(), 1000);
        QCOMPARE(d->StringGrid1->rowCount(), 1000);
        QCOMPARE(d->StringGrid1->item(99, 999)->text(), QStringLiteral("corner"));
        // The preview's text, stopped: no file is written.
        QTemporaryDir dir;
        d->PreviewFile = dir.filePath(QStringLiteral("kestrova_preview.htm"));
        seen.clear();
        armed = true;
        QVERIFY(!d->UpdatePreview());
        QVERIFY(!armed);
        QCOMPARE(seen.value(0), QStringLiteral("Press <Esc> to cancel"));
        QVERIFY(!QFile::exists(d->PreviewFile));
        // OK, stopped: nothing is handed over and the dialog stays.
        armed = true;
        QCOMPARE(dialogtest::OkText(d.get()), QString());
        QVERIFY(!armed);
        QVERIFY(d->isVisible());
        // OK left alone hands the whole table over.
        const QString text = dialogtest::OkText(d.get());
        QVERIFY(!d->isVisible());
        QCOMPARE(text.count(QStringLiteral("<tr>")), 1000);
        QCOMPARE(text.count(QStringLiteral("<TD></TD>")), 1000 * 1000 - 1);
        QVERIFY(text.contains(QStringLiteral("<TD>corner</TD>\r\n</TR>\r\n<tr>")));
        QVERIFY(text.endsWith(QStringLiteral("</TR>\r\n</TABLE>")));
    }

    // The dialog hides as it is destroyed, and the count box with the focus then ends its typing.
    void aCountBoxWithTheFocusLetsItsDialogGo_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("count");
        QTest::newRow("table") << "Ttable" << "How many rows ?";
        QTest::newRow("list") << "TList" << "How many Items do you want ?";
    }
    void aCountBoxWithTheFocusLetsItsDialogGo()
    {
        QFETCH(QString, cls);
        QFETCH(QString, count);
        auto d = dialogtest::OpenDialog<TGridDialog>(cls.toLatin1().constData());
        QApplication::setActiveWindow(d.get());
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        auto *box = qobject_cast<QLineEdit *>(d->Field(count));
        box->setFocus();
        k5test::Settle();
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("2"));
        d->StringGrid1->setItem(1, 0, new QTableWidgetItem(QStringLiteral("held")));
        // On its way to another count: the cell is held while the typing goes on.
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("1"));
        QCOMPARE(d->StringGrid1->rowCount(), 1);
        QVERIFY(box->hasFocus());
        d.reset();
        k5test::Settle();
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
