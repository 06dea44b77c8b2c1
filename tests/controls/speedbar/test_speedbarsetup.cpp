#include "k5test.h"

#include "barfixture.h"
#include "controls/qv/qvinifiles.h"
#include "controls/speedbar/speedbarsetup.h"
#include "platform/folders.h"
#include "tests/controls/qv/windowmouse.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace speedbar;
using namespace windowmouse;

namespace {

QList<TSpeedbarSetupWindow *> setupWindows()
{
    QList<TSpeedbarSetupWindow *> out;
    for (platform::Form *f : platform::Form::Forms())
        if (auto *w = dynamic_cast<TSpeedbarSetupWindow *>(f); w && !f->Destroying())
            out << w;
    return out;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QString savedRecord(TSpeedBar *bar)
{
    const QString path = platform::ConfigFolder() + QStringLiteral("/layout.ini");
    QFile::remove(path);
    qv::IniFileObject ini(path);
    bar->SaveLayout(&ini);
    return QString::fromUtf8(k5test::ReadFile(path));
}

// A shown bar (its form at the screen's top-left corner) with its customise window open.
struct Customised : BarFixture {
    TSpeedbarSetupWindow *window = nullptr;
    int customized = 0;
    Customised() : BarFixture(4, 3)
    {
        place(1, 3, 3);
        place(4, 27, 3);
        form->move(0, 0);
        bar->OnCustomize = [this](QObject *) { ++customized; };
        if (!showActive(form.get()))
            qWarning("form not active");
        bar->Customize(0);
        window = qobject_cast<TSpeedbarSetupWindow *>(bar->CustomizeWindow());
        if (!window || !QTest::qWaitForWindowExposed(window))
            qWarning("no customise window");
    }
    ~Customised()
    {
        if (QWidget *w = bar ? bar->CustomizeWindow() : nullptr)
            delete w;
    }
    // Drags the row of ButtonsList by its button so that the face's top-left corner ends at a screen point.
    void dragRowTo(int row, QPoint faceTopLeft)
    {
        QWidget *view = window->ButtonsList->viewport();
        const QRect cell = window->ButtonsList->visualItemRect(window->ButtonsList->item(row));
        press(view, cell.topLeft() + QPoint(5, 5));
        const QPoint mouse = faceTopLeft + QPoint(bar->BtnWidth(), bar->BtnHeight());
        move(view, view->mapFromGlobal(mouse - QPoint(20, 20)));
        move(view, view->mapFromGlobal(mouse));
        release(view, view->mapFromGlobal(mouse));
    }
    // Drags a button on the bar so that its face's top-left corner ends at a point of the bar.
    void dragButtonTo(TSpeedItem *item, QPoint inBar)
    {
        TSpeedbarButton *b = item->Button();
        press(b, QPoint(5, 5));
        const QPoint mouse = bar->mapToGlobal(inBar) + QPoint(bar->BtnWidth(), bar->BtnHeight());
        move(form.get(), form->mapFromGlobal(mouse - QPoint(7, 7)));
        move(form.get(), form->mapFromGlobal(mouse));
        release(form.get(), form->mapFromGlobal(mouse));
    }
};

} // namespace

class TestSpeedBarSetup : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void windowShowsItsTextsAndSizes()
    {
        Customised c;
        TSpeedbarSetupWindow *w = c.window;
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Customize Speedbar"));
        QCOMPARE(w->CategoriesLabel->text(), QStringLiteral("&Categories:"));
        QCOMPARE(w->ButtonsLabel->text(), QStringLiteral("&Available buttons:"));
        QCOMPARE(w->HintLabel->text(),
                 QStringLiteral("To add command buttons, drag and drop buttons onto the SpeedBar. To remove command "
                                "buttons, drag them off of the SpeedBar."));
        QCOMPARE(w->CloseBtn->text(), QStringLiteral("OK"));
        QCOMPARE(w->HelpBtn->text(), QStringLiteral("&Help"));
        QVERIFY(!w->HelpBtn->isVisible());
        QVERIFY(!w->CloseBtn->isDefault());
        QCOMPARE(w->size(), QSize(421, 262));
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        const QPoint off = w->geometry().center() - w->screen()->availableGeometry().center();
        QVERIFY2(off.manhattanLength() <= 4, "centred on the screen");
        QCOMPARE(w->CategoriesLabel->buddy(), w->SectionList);
        QCOMPARE(w->ButtonsLabel->buddy(), w->ButtonsList);
        // Rows one button high (plus 2), as many whole rows as fit 186 pixels at 96 dots per inch.
        QCOMPARE(w->ButtonsList->RowHeight(), 25);
        QCOMPARE(w->ButtonsList->ClientHeight(), 175);
        QCOMPARE(w->SectionList->ClientHeight(), 175);
        QCOMPARE(w->SectionList->RowHeight(), QFontMetrics(w->font()).boundingRect(QStringLiteral("Wg")).height() + 2);
        // The sections, none chosen yet; every item is being customised.
        QCOMPARE(w->SectionList->RowCount(), 2);
        QCOMPARE(w->SectionList->Row(), -1);
        QCOMPARE(w->ButtonsList->RowCount(), 0);
        QCOMPARE(w->SpeedBar(), c.bar);
        QVERIFY(c.bar->Customizing());
        QVERIFY(c.item(2)->Customizing());
        // A new button size gives the list new rows.
        c.bar->SetBtnHeight(30);
        QCOMPARE(w->ButtonsList->RowHeight(), 32);
        QCOMPARE(w->ButtonsList->ClientHeight(), 160);
    }

    void choosingASectionListsItsItems()
    {
        Customised c;
        TSpeedbarSetupWindow *w = c.window;
        w->SectionList->setCurrentRow(1);
        QCOMPARE(w->ButtonsList->RowCount(), 1);
        w->ButtonsList->setCurrentRow(0);
        QCOMPARE(w->CurrentItem(), c.item(4));
        QCOMPARE(w->toolTip(), QStringLiteral("Item 4"));
        click(w->SectionList->viewport(), w->SectionList->visualItemRect(w->SectionList->item(0)).center());
        QCOMPARE(w->SectionList->Row(), 0);
        QCOMPARE(w->ButtonsList->RowCount(), 3);
        QCOMPARE(w->ItemAt(2), c.item(3));
        // The list draws each item's face and caption.
        const QImage cells = w->ButtonsList->viewport()->grab().toImage();
        QVERIFY(!cells.isNull());
    }

    void helpButtonShowsForAHelpContext()
    {
        BarFixture f(1);
        int asked = 0;
        TSpeedbarSetupWindow::ApplicationHelp() = [&](int context) { asked = context; };
        f.bar->Customize(7);
        auto *w = qobject_cast<TSpeedbarSetupWindow *>(f.bar->CustomizeWindow());
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->HelpContext(), 7);
        QVERIFY(w->HelpBtn->isVisible());
        w->HelpBtn->click();
        QCOMPARE(asked, 7);
        TSpeedbarSetupWindow::ApplicationHelp() = nullptr;
        delete w;
        QVERIFY(!f.bar->Customizing());
    }

    void itemDraggedFromTheListLandsOnTheBar()
    {
        Customised c;
        c.window->SectionList->setCurrentRow(0);
        const QPoint onBar = c.bar->mapToGlobal(QPoint(60, 3));
        TSpeedItem *second = c.item(2);
        // While dragged its face follows the mouse.
        QWidget *view = c.window->ButtonsList->viewport();
        const QRect cell = c.window->ButtonsList->visualItemRect(c.window->ButtonsList->item(1));
        press(view, cell.topLeft() + QPoint(5, 5));
        QVERIFY(c.window->DragImage());
        move(view, view->mapFromGlobal(onBar + QPoint(24, 23)));
        QVERIFY(c.window->DragImage()->isVisible());
        QCOMPARE(c.window->DragImage()->geometry(), QRect(onBar, QSize(24, 23)));
        QCOMPARE(c.window->ButtonsList->Row(), 1); // the row stays while the mouse is down
        release(view, view->mapFromGlobal(onBar + QPoint(24, 23)));
        QVERIFY(!c.window->DragImage());
        QVERIFY(second->Visible());
        QCOMPARE(QPoint(second->Left(), second->Top()), QPoint(59, 3));
        QVERIFY(savedRecord(c.bar).contains(QStringLiteral("=SpeedItem2,59,3\r\n")));
        QVERIFY(savedRecord(c.bar).contains(QStringLiteral("Count=3\r\n")));
    }

    void itemDroppedBesideTheBarStaysOff()
    {
        Customised c;
        c.window->SectionList->setCurrentRow(0);
        const QRect screen = c.window->screen()->geometry();
        // Nowhere.
        c.dragRowTo(2, screen.bottomRight() - QPoint(60, 60));
        QVERIFY(!c.item(3)->Visible());
        // On another bar.
        TFrameForm other;
        other.resize(200, 100);
        other.move(screen.right() - 220, 0);
        TSpeedBar otherBar(&other);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        c.dragRowTo(2, otherBar.mapToGlobal(QPoint(30, 3)));
        QVERIFY(!c.item(3)->Visible());
        QVERIFY(!savedRecord(c.bar).contains(QStringLiteral("SpeedItem3")));
        // An item already on the bar is not dragged from the list.
        press(c.window->ButtonsList->viewport(),
              c.window->ButtonsList->visualItemRect(c.window->ButtonsList->item(0)).topLeft() + QPoint(5, 5));
        QVERIFY(!c.window->DragImage());
        release(c.window->ButtonsList->viewport(), QPoint(5, 5));
    }

    void buttonDraggedOffTheBarLeavesTheLayout()
    {
        Customised c;
        c.window->SectionList->setCurrentRow(0);
        QVERIFY(savedRecord(c.bar).contains(QStringLiteral("=SpeedItem1,3,3")));
        c.dragButtonTo(c.item(1), QPoint(200, 150));
        QVERIFY(!c.item(1)->Visible());
        QVERIFY(!c.item(1)->Button()->DragImage());
        const QString record = savedRecord(c.bar);
        QVERIFY(!record.contains(QStringLiteral("SpeedItem1")));
        QVERIFY(record.contains(QStringLiteral("Button1=SpeedItem4,27,3\r\nCount=1\r\n")));
        // The window's lists were filled again, the section kept.
        QCOMPARE(c.window->SectionList->Row(), 0);
        QCOMPARE(c.window->ButtonsList->RowCount(), 3);
    }

    void buttonDraggedAlongTheBarSnaps()
    {
        Customised c;
        c.dragButtonTo(c.item(4), QPoint(86, 5));
        QVERIFY(c.item(4)->Visible());
        QCOMPARE(QPoint(c.item(4)->Left(), c.item(4)->Top()), QPoint(83, 3));
        QVERIFY(savedRecord(c.bar).contains(QStringLiteral("=SpeedItem4,83,3")));
        QVERIFY(c.item(4)->Button()->isVisible());
    }

    void secondCustomizeReusesTheWindow()
    {
        Customised c;
        c.bar->Customize(0);
        QCOMPARE(setupWindows().size(), 1);
        QCOMPARE(c.bar->CustomizeWindow(), c.window);
        // Another bar gets its own window.
        BarFixture other(1);
        other.bar->Customize(0);
        QCOMPARE(setupWindows().size(), 2);
        delete other.bar->CustomizeWindow();
    }

    void closingTheWindowEndsCustomisingOnce()
    {
        Customised c;
        QPointer<TSpeedbarSetupWindow> window = c.window;
        QVERIFY(QTest::qWaitForWindowActive(window));
        click(window->CloseBtn, window->CloseBtn->rect().center());
        flushDeletes();
        QVERIFY(!window);
        QCOMPARE(c.customized, 1);
        QVERIFY(!c.bar->Customizing());
        QVERIFY(!c.item(1)->Customizing());
        QVERIFY(setupWindows().isEmpty());
        // What was on the bar stays on it.
        QVERIFY(savedRecord(c.bar).contains(QStringLiteral("Button1=SpeedItem1,3,3\r\nButton2=SpeedItem4,27,3\r\n")));
        // Escape closes a new one the same way.
        c.bar->Customize(0);
        window = qobject_cast<TSpeedbarSetupWindow *>(c.bar->CustomizeWindow());
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Escape);
        flushDeletes();
        QVERIFY(!window);
        QCOMPARE(c.customized, 2);
    }

    void barGoingClosesItsWindow()
    {
        auto *c = new Customised;
        QPointer<TSpeedbarSetupWindow> window = c->window;
        int customized = 0;
        c->bar->OnCustomize = [&](QObject *) { ++customized; };
        delete c->bar;
        c->bar = nullptr;
        flushDeletes();
        QVERIFY(!window);
        QCOMPARE(customized, 0); // a bar that is going no longer reports
        delete c;
    }

    void windowMovesToAnotherBar()
    {
        Customised c;
        BarFixture other(2);
        c.window->SetSpeedBar(other.bar);
        QCOMPARE(c.customized, 1);
        QVERIFY(!c.bar->Customizing());
        QVERIFY(other.bar->Customizing());
        QVERIFY(other.item(1)->Customizing());
        QCOMPARE(c.window->SectionList->RowCount(), 2);
        delete c.window;
        QVERIFY(!other.bar->Customizing());
    }
};

K5_TEST_MAIN(TestSpeedBarSetup)
#include "test_speedbarsetup.moc"
