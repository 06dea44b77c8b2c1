#include "k5test.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvdrawgrid.h"
#include "controls/qv/qvinifiles.h"
#include "platform/error.h"

#include <QFile>
#include <QMap>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>

using namespace qv;

namespace {

// A grid whose cells hold text, shown and focused.
struct TextGrid {
    TQvDrawGrid grid;
    QMap<QPair<int, int>, QString> cells;
    int sets = 0;
    TextGrid()
    {
        grid.resize(400, 200);
        grid.OnGetEditText = [this](QObject *, int c, int r, QString &v) { v = cells.value({c, r}); };
        grid.OnSetEditText = [this](QObject *, int c, int r, const QString &v) {
            cells[{c, r}] = v;
            ++sets;
        };
    }
    bool show()
    {
        grid.show();
        if (!QTest::qWaitForWindowExposed(&grid))
            return false;
        grid.activateWindow();
        grid.setFocus();
        return QTest::qWaitFor([&] { return grid.hasFocus(); });
    }
    QString cell(int c, int r) const { return cells.value({c, r}); }
    QWidget *vp() { return grid.viewport(); }
    QPoint centre(int c, int r) const { return grid.CellRect(c, r).center(); }
    TQvInplaceEdit *editor() const { return qobject_cast<TQvInplaceEdit *>(grid.InplaceEditor()); }
};

void send(QWidget *w, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(w, c.toLatin1());
}

} // namespace

class TestQvDrawGrid : public QObject {
    Q_OBJECT
private slots:
    void defaults()
    {
        TQvDrawGrid g;
        QCOMPARE(g.DefaultRowHeight(), 18);
        QCOMPARE(g.RowHeights(3), 18);
        QCOMPARE(g.DefaultColWidth(), 64);
        QCOMPARE(g.Options(), TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine
                                           | goDrawFocusSelected | goColSizing));
        QVERIFY(!g.FixedButtons());
        QCOMPARE(g.ColCount(), 5);
        QCOMPARE(g.RowCount(), 5);
        QCOMPARE(g.FixedCols(), 1);
        QCOMPARE(g.FixedRows(), 1);
        QCOMPARE(g.Col(), 1);
        QCOMPARE(g.Row(), 1);
        QCOMPARE(g.IniStorage(), nullptr);
        QCOMPARE(g.PressedCell(), QPoint(-1, -1));
        QVERIFY_THROWS_EXCEPTION(platform::Error, g.SetFixedCols(5));
        QVERIFY_THROWS_EXCEPTION(platform::Error, g.SetColWidths(5, 10));
        QCOMPARE(g.FixedCols(), 1);
    }

    void fixedCellsActAsButtons()
    {
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        QVERIFY(t.show());
        QList<QPoint> clicks;
        g.OnFixedCellClick = [&](QObject *sender, int c, int r) {
            QCOMPARE(sender, &g);
            clicks << QPoint(c, r);
        };
        // Off: a fixed cell is no button.
        send(t.vp(), QEvent::MouseButtonPress, t.centre(0, 2));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(0, 2));
        QVERIFY(clicks.isEmpty());

        g.SetFixedButtons(true);
        g.OnCheckButton = [](QObject *, int c, int, bool &enabled) { enabled = c != 3; };
        send(t.vp(), QEvent::MouseButtonPress, t.centre(0, 2));
        QCOMPARE(g.PressedCell(), QPoint(0, 2));
        QImage shot = g.viewport()->grab().toImage();
        QCOMPARE(shot.pixel(g.CellRect(0, 2).topLeft()), g.palette().color(QPalette::Dark).rgb());
        // Off the cell it is drawn raised; back on it, pressed again.
        send(t.vp(), QEvent::MouseMove, t.centre(0, 3));
        QCOMPARE(g.PressedCell(), QPoint(-1, -1));
        shot = g.viewport()->grab().toImage();
        QCOMPARE(shot.pixel(g.CellRect(0, 2).topLeft()), g.palette().color(QPalette::Light).rgb());
        send(t.vp(), QEvent::MouseMove, t.centre(0, 2));
        QCOMPARE(g.PressedCell(), QPoint(0, 2));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(0, 2));
        QCOMPARE(clicks, QList<QPoint>({QPoint(0, 2)}));
        QCOMPARE(g.PressedCell(), QPoint(-1, -1));
        // Released on another cell: no click.
        send(t.vp(), QEvent::MouseButtonPress, t.centre(2, 0));
        send(t.vp(), QEvent::MouseMove, t.centre(1, 0));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(1, 0));
        QCOMPARE(clicks.size(), 1);
        // The check refuses column 3; a plain cell only becomes current.
        send(t.vp(), QEvent::MouseButtonPress, t.centre(3, 0));
        QCOMPARE(g.PressedCell(), QPoint(-1, -1));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(3, 0));
        send(t.vp(), QEvent::MouseButtonPress, t.centre(2, 2));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(2, 2));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(QPoint(g.Col(), g.Row()), QPoint(2, 2));
        // A double click is a second press.
        send(t.vp(), QEvent::MouseButtonPress, t.centre(1, 0));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(1, 0));
        send(t.vp(), QEvent::MouseButtonDblClick, t.centre(1, 0));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(1, 0));
        QCOMPARE(clicks, QList<QPoint>({QPoint(0, 2), QPoint(1, 0), QPoint(1, 0)}));
        // Column widths changing under the press let the cell go.
        send(t.vp(), QEvent::MouseButtonPress, t.centre(1, 0));
        g.SetColWidths(1, 80);
        QCOMPARE(g.PressedCell(), QPoint(-1, -1));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(1, 0));
        QCOMPARE(clicks.size(), 3);
        // So does scrolling.
        g.SetRowCount(40);
        send(t.vp(), QEvent::MouseButtonPress, t.centre(0, 1));
        QCOMPARE(g.PressedCell(), QPoint(0, 1));
        g.SetTopRow(5);
        QCOMPARE(g.PressedCell(), QPoint(-1, -1));
        send(t.vp(), QEvent::MouseButtonRelease, t.centre(0, 1));
        QCOMPARE(clicks.size(), 3);
    }

    void escapeCancelsAndEnterKeeps()
    {
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        g.SetOptions(g.Options() | goEditing);
        t.cells[{1, 1}] = QStringLiteral("old");
        int cancels = 0, changes = 0;
        g.OnCancelEdit = [&](QObject *) { ++cancels; };
        g.OnEditChange = [&](QObject *) { ++changes; };
        QVERIFY(t.show());
        QTest::keyClick(&g, Qt::Key_F2);
        QVERIFY(g.EditorMode());
        TQvInplaceEdit *e = t.editor();
        QVERIFY(e && e->isVisible() && e->hasFocus());
        QCOMPARE(e->text(), QStringLiteral("old"));
        QCOMPARE(e->geometry(), g.CellRect(1, 1));
        typeText(e, QStringLiteral("new"));
        QVERIFY(changes >= 3);
        QTest::keyClick(e, Qt::Key_Escape);
        QVERIFY(!g.EditorMode());
        QVERIFY(!e->isVisible());
        QCOMPARE(cancels, 1);
        QCOMPARE(t.cell(1, 1), QStringLiteral("old"));
        QCOMPARE(t.sets, 0);
        QVERIFY(g.hasFocus());
        // Typing starts the editor with the key; Enter keeps the text.
        QTest::keyClick(&g, 'a');
        QVERIFY(g.EditorMode());
        QVERIFY(e->hasFocus());
        QTest::keyClick(e, 'b');
        QCOMPARE(e->text(), QStringLiteral("ab"));
        QTest::keyClick(e, Qt::Key_Return);
        QVERIFY(!g.EditorMode());
        QCOMPARE(t.cell(1, 1), QStringLiteral("ab"));
        QCOMPARE(cancels, 1);
        // Moving on keeps the text too.
        QTest::keyClick(&g, Qt::Key_F2);
        typeText(e, QStringLiteral("c"));
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(t.cell(1, 1), QStringLiteral("c"));
        QCOMPARE(g.Row(), 2);
        QVERIFY(!g.EditorMode());
        // With the editor always shown, Escape does not take it away.
        g.SetOptions(g.Options() | goAlwaysShowEditor);
        QTest::keyClick(&g, Qt::Key_F2);
        QVERIFY(g.EditorMode());
        QTest::keyClick(e, Qt::Key_Escape);
        QVERIFY(g.EditorMode());
        QCOMPARE(cancels, 1);
        // Ctrl+Escape is no cancel either.
        g.SetOptions(g.Options() & ~goAlwaysShowEditor);
        QTest::keyClick(e, Qt::Key_Escape, Qt::ControlModifier);
        QVERIFY(g.EditorMode());
        QCOMPARE(cancels, 1);
    }

    void ellipsisButtonAndCtrlEnter()
    {
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        g.SetOptions(g.Options() | goEditing);
        g.OnGetEditStyle = [](QObject *, int c, int, TEditStyle &s) { s = c == 2 ? esEllipsis : esSimple; };
        int buttonClicks = 0;
        g.OnEditButtonClick = [&](QObject *) { ++buttonClicks; };
        QVERIFY(t.show());
        QTest::keyClick(&g, Qt::Key_F2);
        TQvInplaceEdit *e = t.editor();
        QCOMPARE(e->EditStyle(), esSimple);
        QVERIFY(!e->Button()->isVisible());
        QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(buttonClicks, 0);
        g.SetCol(2);
        QTest::keyClick(&g, Qt::Key_F2);
        QCOMPARE(e->EditStyle(), esEllipsis);
        QVERIFY(e->Button()->isVisible());
        QCOMPARE(e->Button()->width(), e->ButtonWidth());
        QCOMPARE(e->Button()->geometry().right(), e->width() - 1);
        typeText(e, QStringLiteral("x"));
        QTest::keyClick(e, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(buttonClicks, 1);
        QVERIFY(g.EditorMode());
        QCOMPARE(e->text(), QStringLiteral("x"));
        QTest::mouseClick(e->Button(), Qt::LeftButton);
        QCOMPARE(buttonClicks, 2);
        // Released off the button: no click.
        QTest::mousePress(e->Button(), Qt::LeftButton);
        QTest::mouseRelease(e->Button(), Qt::LeftButton, {}, QPoint(-20, 5));
        QCOMPARE(buttonClicks, 2);
    }

    void pickListHeightAndChoice()
    {
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        g.SetOptions(g.Options() | goEditing);
        QStringList items = {QStringLiteral("red"), QStringLiteral("green"), QStringLiteral("blue")};
        g.OnGetEditStyle = [](QObject *, int, int, TEditStyle &s) { s = esPickList; };
        g.OnGetPicklist = [&](QObject *, int, int, QStringList &list) { list = items; };
        t.cells[{1, 1}] = QStringLiteral("green");
        QVERIFY(t.show());
        QTest::keyClick(&g, Qt::Key_F2);
        TQvInplaceEdit *e = t.editor();
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(e->ListVisible());
        TPopupListbox *list = e->PickList();
        QVERIFY(list->isVisible());
        QCOMPARE(list->height(), 3 * list->ItemHeight() + 4);
        QCOMPARE(list->width(), e->width());
        QCOMPARE(list->pos(), e->mapToGlobal(QPoint(0, e->height())));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("green"));
        // Enter takes the selected item.
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!e->ListVisible());
        QVERIFY(!list->isVisible());
        QCOMPARE(e->text(), QStringLiteral("blue"));
        // Escape leaves the text.
        QTest::keyClick(e, Qt::Key_Up, Qt::AltModifier);
        QVERIFY(e->ListVisible());
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!e->ListVisible());
        QCOMPARE(e->text(), QStringLiteral("blue"));
        QVERIFY(g.EditorMode());
        // Alt+Down in the open list takes the item as well.
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(e->text(), QStringLiteral("red"));
        // The button opens it; a release over an item takes that item.
        QTest::mouseClick(e->Button(), Qt::LeftButton);
        QVERIFY(e->ListVisible());
        const QRect second = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QVERIFY(!e->ListVisible());
        QCOMPARE(e->text(), QStringLiteral("green"));
        // A press and release that leaves the list closes it unchanged.
        QTest::mouseClick(e->Button(), Qt::LeftButton);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
        QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(-30, -30));
        QVERIFY(!e->ListVisible());
        QCOMPARE(e->text(), QStringLiteral("green"));
        // At most eight rows show.
        items.clear();
        for (int i = 0; i < 20; ++i)
            items << QStringLiteral("item %1").arg(i);
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(list->count(), 20);
        QCOMPARE(list->height(), 8 * list->ItemHeight() + 4);
        QVERIFY(!list->currentItem());
        QTest::keyClick(list, Qt::Key_Escape);
        // The text reaches the cell when the editor goes.
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(t.cell(1, 1), QStringLiteral("green"));
    }

    void pickListSearchesAsTyped()
    {
        ManualClock clock;
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        g.SetOptions(g.Options() | goEditing);
        g.OnGetEditStyle = [](QObject *, int, int, TEditStyle &s) { s = esPickList; };
        g.OnGetPicklist = [](QObject *, int, int, QStringList &list) {
            list = {QStringLiteral("Apple"), QStringLiteral("Apricot"), QStringLiteral("Banana"),
                    QStringLiteral("Blueberry"), QStringLiteral("Cherry")};
        };
        QVERIFY(t.show());
        QTest::keyClick(&g, Qt::Key_F2);
        TQvInplaceEdit *e = t.editor();
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        TPopupListbox *list = e->PickList();
        auto current = [&] { return list->currentItem() ? list->currentItem()->text() : QString(); };
        QTest::keyClick(list, 'b');
        QCOMPARE(current(), QStringLiteral("Banana"));
        clock.Advance(4000);
        QTest::keyClick(list, 'l');
        QCOMPARE(list->SearchText(), QStringLiteral("bl"));
        QCOMPARE(current(), QStringLiteral("Blueberry"));
        // After more than 4 seconds the search starts again.
        clock.Advance(4001);
        QTest::keyClick(list, 'a');
        QCOMPARE(list->SearchText(), QStringLiteral("a"));
        QCOMPARE(current(), QStringLiteral("Apple"));
        QTest::keyClick(list, 'p');
        QTest::keyClick(list, 'r');
        QCOMPARE(current(), QStringLiteral("Apricot"));
        // No match leaves the selection.
        QTest::keyClick(list, 'z');
        QCOMPARE(current(), QStringLiteral("Apricot"));
        QTest::keyClick(list, Qt::Key_Backspace);
        QCOMPARE(list->SearchText(), QString());
        QVERIFY(e->ListVisible());
        for (int i = 0; i < 40; ++i)
            QTest::keyClick(list, 'c');
        QCOMPARE(list->SearchText().size(), 32);
        QCOMPARE(current(), QStringLiteral("Cherry"));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(e->text(), QStringLiteral("Cherry"));
    }

    void editorEvents()
    {
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        g.SetOptions(g.Options() | goEditing);
        g.OnAcceptEditKey = [](QObject *, QChar key, bool &accept) { accept = !key.isDigit(); };
        g.OnGetEditLimit = [](QObject *, int &limit) { limit = 3; };
        g.OnGetEditAlign = [](QObject *, int, int, TAlignment &a) { a = taRightJustify; };
        g.OnShowEditor = [](QObject *, int c, int, bool &allow) { allow = c != 3; };
        QVERIFY(t.show());
        QTest::keyClick(&g, Qt::Key_F2);
        TQvInplaceEdit *e = t.editor();
        QCOMPARE(e->maxLength(), 3);
        QVERIFY(e->alignment() & Qt::AlignRight);
        typeText(e, QStringLiteral("a1b2cd"));
        QCOMPARE(e->text(), QStringLiteral("abc"));
        QTest::keyClick(e, Qt::Key_Return);
        g.SetCol(3);
        QTest::keyClick(&g, Qt::Key_F2);
        QVERIFY(!g.EditorMode());
        typeText(&g, QStringLiteral("q"));
        QVERIFY(!g.EditorMode());
    }

    void focusNotifications()
    {
        QWidget window;
        auto *g = new TQvDrawGrid(&window);
        auto *other = new QLineEdit(&window);
        other->move(0, 250);
        g->resize(300, 200);
        g->SetOptions(g->Options() | goEditing);
        int changes = 0;
        g->OnChangeFocus = [&](QObject *) { ++changes; };
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        changes = 0;
        g->setFocus();
        QCOMPARE(changes, 1);
        // Into its own editor is no change.
        QTest::keyClick(g, Qt::Key_F2);
        QVERIFY(g->InplaceEditor()->hasFocus());
        QCOMPARE(changes, 1);
        other->setFocus();
        QCOMPARE(changes, 2);
    }

    void keysScrollTheCurrentCellIntoView()
    {
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        g.resize(250, 120);
        g.SetColCount(20);
        g.SetRowCount(30);
        QVERIFY(t.show());
        QTest::keyClick(&g, Qt::Key_End);
        QCOMPARE(g.Col(), 19);
        QVERIFY(g.LeftCol() > 1);
        QVERIFY(!g.CellRect(19, 1).isEmpty());
        QVERIFY(g.CellRect(19, 1).right() < g.viewport()->width());
        QTest::keyClick(&g, Qt::Key_Home);
        QCOMPARE(g.Col(), 1);
        QCOMPARE(g.LeftCol(), 1);
        QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g.Row(), 29);
        QVERIFY(g.CellRect(1, 29).bottom() < g.viewport()->height());
        QCOMPARE(g.verticalScrollBar()->value(), g.TopRow() - 1);
        g.verticalScrollBar()->setValue(0);
        QCOMPARE(g.TopRow(), 1);
        QTest::keyClick(&g, Qt::Key_Up);
        QCOMPARE(g.Row(), 28);
        QVERIFY(!g.CellRect(1, 28).isEmpty());
        // The fixed cells stay where they are.
        QCOMPARE(g.CellRect(0, 0).topLeft(), QPoint(0, 0));
        int c = -1, r = -1;
        QVERIFY(g.MouseToCell(g.CellRect(1, 28).center(), c, r));
        QCOMPARE(QPoint(c, r), QPoint(1, 28));
    }

    void columnsSizedByTheMouse()
    {
        TextGrid t;
        TQvDrawGrid &g = t.grid;
        int sized = 0, rowSized = 0;
        g.OnColumnSized = [&](QObject *) { ++sized; };
        g.OnRowSized = [&](QObject *) { ++rowSized; };
        QVERIFY(t.show());
        const QRect head = g.CellRect(1, 0);
        const QPoint edge(head.right() + 1, head.center().y());
        send(t.vp(), QEvent::MouseButtonPress, edge);
        send(t.vp(), QEvent::MouseMove, edge + QPoint(30, 0));
        send(t.vp(), QEvent::MouseButtonRelease, edge + QPoint(30, 0));
        QCOMPARE(g.ColWidths(1), 94);
        QVERIFY(sized >= 1);
        g.SetRowHeights(2, 30);
        QCOMPARE(rowSized, 1);
        // Rows are not sized by the mouse unless asked.
        const QRect side = g.CellRect(0, 1);
        const QPoint bottom(side.center().x(), side.bottom() + 1);
        send(t.vp(), QEvent::MouseButtonPress, bottom);
        send(t.vp(), QEvent::MouseMove, bottom + QPoint(0, 20));
        send(t.vp(), QEvent::MouseButtonRelease, bottom + QPoint(0, 20));
        QCOMPARE(g.RowHeights(1), 18);
    }

    void columnWidthsKeptWithThePlacement()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("layout.ini"));
        QObject owner;
        TFormPlacement placement(&owner);
        placement.Active = false;
        placement.SetIniFileName(ini);
        placement.SetIniSection(QStringLiteral("Palette"));
        {
            TQvDrawGrid g;
            g.setObjectName(QStringLiteral("Grid1"));
            g.SetIniStorage(&placement);
            QCOMPARE(g.IniStorage(), &placement);
            g.SetColWidths(0, 20);
            g.SetColWidths(3, 100);
            placement.SavePlacement();
        }
        IniFileObject file(ini);
        QCOMPARE(file.ReadString(QStringLiteral("Palette\\Grid1"), QStringLiteral("Item0"), QString()),
                 QStringLiteral("20"));
        QCOMPARE(file.ReadString(QStringLiteral("Palette\\Grid1"), QStringLiteral("Item3"), QString()),
                 QStringLiteral("100"));
        QCOMPARE(file.ReadString(QStringLiteral("Palette\\Grid1"), QStringLiteral("Item4"), QString()),
                 QStringLiteral("64"));
        // A width that makes no sense leaves the column alone.
        file.WriteString(QStringLiteral("Palette\\Grid1"), QStringLiteral("Item4"), QStringLiteral("-5"));
        TQvDrawGrid g;
        g.setObjectName(QStringLiteral("Grid1"));
        g.SetIniStorage(&placement);
        int sized = 0;
        g.OnColumnSized = [&](QObject *) { ++sized; };
        placement.RestorePlacement();
        QCOMPARE(g.ColWidths(0), 20);
        QCOMPARE(g.ColWidths(3), 100);
        QCOMPARE(g.ColWidths(4), 64);
        QVERIFY(sized >= 2);
    }
};

K5_TEST_MAIN(TestQvDrawGrid)
#include "test_qvdrawgrid.moc"
