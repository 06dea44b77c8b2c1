// The tree view driven from outside, offscreen: options, clicks and keys for single and multiple
// selection, the delayed change, check boxes by mouse and Space, label editing, popup menus, drag and
// drop inside the tree and the rubber band.
#include "k5test.h"

#include "controls/tree/zozezo.h"

#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QToolTip>
#include <QPainter>
#include <QTimer>

using namespace tree;

namespace {

void build(TZozeZONodes *items, const QStringList &lines)
{
    QList<TZozeZONode *> last;
    for (const QString &line : lines) {
        int level = 0;
        while (line[level] == u'.')
            ++level;
        TZozeZONode *n = items->AddChild(level > 0 ? last[level - 1] : nullptr, line.mid(level));
        last.resize(level);
        last << n;
    }
}

TZozeZONode *find(TZozeZONodes *items, const QString &text)
{
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        if (n->Text() == text)
            return n;
    return nullptr;
}

QStringList selected(TZozeZONodes *items)
{
    QStringList out;
    for (TZozeZONode *n : items->Selection())
        out << n->Text();
    out.sort();
    return out;
}

QPoint labelOf(TZozeZONode *node)
{
    return node->DisplayRect(true).center();
}

void click(TCustomZozeZO &tree, TZozeZONode *node, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, mods, labelOf(node));
}

void key(TCustomZozeZO &tree, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(&tree, k, mods);
}

void move(QWidget *w, QPoint pos, Qt::MouseButtons buttons)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::NoButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Beyond the 300 ms, give or take 5 %, that the auto-scroll timer starts with.
constexpr int kScrollWait = 400;

// Runs the event loop until a precise timer of the given delay, started now, has fired: every timer the
// tree started before, with a delay no longer than that, has fired by then (timers fire in the order of
// their deadlines), so what it would do has been done.
void firesAfter(int ms)
{
    bool fired = false;
    QTimer::singleShot(ms, Qt::PreciseTimer, [&fired] { fired = true; });
    QTRY_VERIFY_WITH_TIMEOUT(fired, ms + 10000);
}

// A shown tree with the nodes A (A1, A2), B (B1), C, D, all expanded.
struct Fixture {
    TZozeZO tree;
    explicit Fixture(TTreeOptions extra = {})
    {
        tree.setObjectName(QStringLiteral("ZozeZO1"));
        tree.resize(240, 300);
        tree.SetOptions(tree.Options() | extra);
        build(tree.Items(), {"A", ".A1", ".A2", "B", ".B1", "C", "D"});
        tree.FullExpand();
        tree.show();
        if (!QTest::qWaitForWindowExposed(&tree))
            qWarning("tree not exposed");
    }
    TZozeZONode *operator()(const char *text) { return find(tree.Items(), QString::fromLatin1(text)); }
};

} // namespace

class TestTreeView : public QObject {
    Q_OBJECT

private slots:
    void defaultsAndOptions()
    {
        TZozeZO tree;
        QCOMPARE(tree.size(), QSize(121, 97));
        QCOMPARE(tree.Options(), DefaultTreeOptions);
        QCOMPARE(tree.ChangeDelay(), 0);
        QCOMPARE(tree.Indent(), 19);
        QCOMPARE(tree.ColorSelected(), clHighlight);
        QCOMPARE(tree.ColorUnfocusedSelected(), cl3DLight);
        QCOMPARE(tree.ColorDropSelected(), clBtnFace);
        QCOMPARE(tree.BorderStyle(), bsSingle);
        QCOMPARE(tree.focusPolicy(), Qt::StrongFocus);
        tree.SetOptions(tree.Options() | toFullRowSelect | toShowLines);
        QVERIFY(tree.Options().testFlag(toFullRowSelect));
        QVERIFY(!tree.Options().testFlag(toShowLines));
        tree.SetScrollTime(50);
        QCOMPARE(tree.ScrollTime(), 100);
        tree.SetScrollTime(250);
        QCOMPARE(tree.ScrollTime(), 250);
        tree.SetItemHeight(0);
        const int standard = tree.ItemHeight();
        QVERIFY(standard > 0);
        tree.SetItemHeight(-4);
        QCOMPARE(tree.ItemHeight(), standard);
        tree.SetItemHeight(21);
        QCOMPARE(tree.ItemHeight(), 20);
        tree.SetOptions(tree.Options() & ~TTreeOptions(toEvenHeight));
        QCOMPARE(tree.ItemHeight(), 21);
        tree.SetIndent(25);
        QCOMPARE(tree.indentation(), 25);
        tree.SetOptions(tree.Options() & ~TTreeOptions(toShowRoot));
        QVERIFY(!tree.rootIsDecorated());
        // Dropping multi-selection clears a multiple selection.
        tree.SetOptions(tree.Options() | toMultiSelect);
        build(tree.Items(), {"x", "y"});
        tree.Items()->SelectAll();
        tree.SetOptions(tree.Options() & ~TTreeOptions(toMultiSelect));
        QCOMPARE(tree.Items()->SelectionCount(), 0);
    }

    void clickSelectsAndReports()
    {
        Fixture f;
        QList<TZozeZONode *> changes;
        QStringList clicks;
        f.tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *n) { changes << n; };
        f.tree.OnClick = [&](TCustomZozeZO *t) { clicks << t->Selected()->Text(); };
        click(f.tree, f("B1"));
        QCOMPARE(f.tree.Selected(), f("B1"));
        QVERIFY(f("B1")->Selected());
        QCOMPARE(changes, QList<TZozeZONode *>({f("B1")}));
        QCOMPARE(clicks, QStringList({"B1"}));
        // The changing event can hold the selection where it is.
        f.tree.OnChanging = [&](TCustomZozeZO *, TZozeZONode *n, bool &ok) { ok = n != f("C"); };
        click(f.tree, f("C"));
        QCOMPARE(f.tree.Selected(), f("B1"));
        key(f.tree, Qt::Key_Down);
        QCOMPARE(f.tree.Selected(), f("B1"));
        f.tree.OnChanging = nullptr;
        key(f.tree, Qt::Key_Down);
        QCOMPARE(f.tree.Selected(), f("C"));
        QCOMPARE(selected(f.tree.Items()), QStringList({"C"}));
        // Without multi-selection, Ctrl adds nothing.
        click(f.tree, f("A"), Qt::ControlModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A"}));
    }

    void multiSelectWithTheMouse()
    {
        Fixture f(toMultiSelect);
        click(f.tree, f("A1"));
        click(f.tree, f("B"), Qt::ControlModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "B"}));
        click(f.tree, f("C"), Qt::ControlModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "B", "C"}));
        click(f.tree, f("B"), Qt::ControlModifier); // toggles off
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "C"}));
        // Shift: from the anchor (the last plain click) to here, nothing else.
        click(f.tree, f("B1"), Qt::ShiftModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "A2", "B", "B1"}));
        // Ctrl+Shift adds a range and keeps the rest.
        click(f.tree, f("D"));
        click(f.tree, f("A2"));
        click(f.tree, f("C"), Qt::ControlModifier);
        click(f.tree, f("D"), Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A2", "C", "D"}));
        // A plain click starts over.
        click(f.tree, f("A"));
        QCOMPARE(selected(f.tree.Items()), QStringList({"A"}));
        QCOMPARE(f.tree.Anchor(), f("A"));
    }

    void levelConstraint()
    {
        Fixture f(toMultiSelect | toLevelSelectConstraint);
        click(f.tree, f("A1"));
        click(f.tree, f("B1"), Qt::ControlModifier);
        click(f.tree, f("C"), Qt::ControlModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "B1"}));
    }

    void keyboardSelection()
    {
        Fixture f(toMultiSelect);
        f.tree.setFocus();
        click(f.tree, f("A1"));
        key(f.tree, Qt::Key_Down, Qt::ShiftModifier);
        key(f.tree, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(f.tree.Selected(), f("B"));
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "A2", "B"}));
        key(f.tree, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "A2"}));
        key(f.tree, Qt::Key_Down);
        QCOMPARE(selected(f.tree.Items()), QStringList({"B"}));
        key(f.tree, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(selected(f.tree.Items()), QStringList({"B", "B1", "C", "D"}));
        key(f.tree, Qt::Key_Home);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A"}));
        // Typing searches and leaves one node selected.
        key(f.tree, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClicks(&f.tree, QStringLiteral("c"));
        QCOMPARE(f.tree.Selected(), f("C"));
        QCOMPARE(selected(f.tree.Items()), QStringList({"C"}));
        QCOMPARE(f.tree.SearchString(), QStringLiteral("c"));
    }

    // Focus alone selects no node, however it comes; the keys then start from the first node.
    void focusSelectsNothing()
    {
        for (const Qt::FocusReason reason : {Qt::OtherFocusReason, Qt::TabFocusReason, Qt::ActiveWindowFocusReason}) {
            Fixture f(toMultiSelect);
            QList<TZozeZONode *> changes;
            f.tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *n) { changes << n; };
            f.tree.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&f.tree));
            f.tree.clearFocus();
            f.tree.setFocus(reason);
            QTRY_VERIFY(f.tree.hasFocus());
            k5test::Settle();
            QCOMPARE(f.tree.Selected(), nullptr);
            QCOMPARE(f.tree.Items()->SelectionCount(), 0);
            QVERIFY(changes.isEmpty());
            key(f.tree, Qt::Key_Down);
            QCOMPARE(f.tree.Selected(), f("A"));
            QCOMPARE(selected(f.tree.Items()), QStringList({"A"}));
        }
    }

    void returnMovesOn()
    {
        Fixture f(toWantReturn);
        f.tree.setFocus();
        QCOMPARE(f.tree.Selected(), nullptr);
        // With no node selected, Return selects the first one.
        key(f.tree, Qt::Key_Return);
        QCOMPARE(f.tree.Selected(), f("A"));
        key(f.tree, Qt::Key_Return);
        QCOMPARE(f.tree.Selected(), f("A1"));
        key(f.tree, Qt::Key_Return);
        QCOMPARE(f.tree.Selected(), f("A2"));
        f("B")->Collapse(false);
        click(f.tree, f("B"));
        key(f.tree, Qt::Key_Return); // into the collapsed branch, which opens
        QCOMPARE(f.tree.Selected(), f("B1"));
        QVERIFY(f("B")->Expanded());
    }

    void delayedChangeReportsTheLastNode()
    {
        Fixture f;
        f.tree.SetChangeDelay(60000); // a window that no slow run outlasts
        QList<TZozeZONode *> changes;
        f.tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *n) { changes << n; };
        click(f.tree, f("A"));
        click(f.tree, f("B"));
        f.tree.SetSelected(f("C"));
        QCoreApplication::processEvents();
        QVERIFY(changes.isEmpty());
        // A shorter delay restarts the waiting change with it: the window closes now.
        f.tree.SetChangeDelay(1);
        QTRY_COMPARE(changes.size(), 1);
        QCOMPARE(changes.first(), f("C"));
        // A change still waiting would fire before a timer started after it with the same delay.
        firesAfter(1);
        QCOMPARE(changes.size(), 1);
    }

    void checksByMouseAndSpace()
    {
        Fixture f(toCheckSupport);
        f.tree.Items()->SetTopLevelCheckType(1);
        f("A")->SetCheckType(1);
        TZozeZONode *b = f("B");
        QCOMPARE(b->StateIndex(), 1);
        const QPoint icon = f.tree.StateIconRect(b).center();
        QVERIFY(f.tree.GetHitTestInfoAt(icon.x(), icon.y()).testFlag(htOnStateIcon));
        QTest::mousePress(f.tree.viewport(), Qt::LeftButton, Qt::NoModifier, icon);
        QCOMPARE(b->StateIndex(), 3); // shown pressed
        QCOMPARE(b->CheckState(), 0);
        QTest::mouseRelease(f.tree.viewport(), Qt::LeftButton, Qt::NoModifier, icon + QPoint(0, 40));
        QCOMPARE(b->CheckState(), 1);
        QCOMPARE(b->StateIndex(), 2);
        // The click on the box does not select the node.
        QVERIFY(!b->Selected());

        // Space acts on checks only in a multi-select tree.
        f.tree.setFocus();
        click(f.tree, f("A1"));
        key(f.tree, Qt::Key_Space);
        QCOMPARE(f("A1")->CheckState(), 0);
        f.tree.SetOptions(f.tree.Options() | toMultiSelect);
        key(f.tree, Qt::Key_Space);
        QCOMPARE(f("A1")->CheckState(), 1);
        key(f.tree, Qt::Key_Space);
        QCOMPARE(f("A1")->CheckState(), 0);
    }

    void helpAsksNodesThenParents()
    {
        Fixture f;
        QList<int> shown;
        TCustomZozeZO::ApplicationHelp() = [&](int context) { shown << context; };
        QStringList asked;
        f.tree.OnGetHelpContext = [&](TCustomZozeZO *, TZozeZONode *n, int &context) {
            asked << n->Text();
            if (n == f("A"))
                context = 42;
        };
        f.tree.setFocus();
        click(f.tree, f("A2"));
        key(f.tree, Qt::Key_F1);
        QVERIFY(shown.isEmpty()); // only in a multi-select tree
        f.tree.SetOptions(f.tree.Options() | toMultiSelect);
        key(f.tree, Qt::Key_F1);
        QCOMPARE(asked, QStringList({"A2", "A"}));
        QCOMPARE(shown, QList<int>({42}));
        f.tree.OnGetHelpContext = nullptr;
        f.tree.SetHelpContext(7);
        key(f.tree, Qt::Key_F1);
        QCOMPARE(shown, QList<int>({42, 7}));
        TCustomZozeZO::ApplicationHelp() = nullptr;
    }

    void hitTests()
    {
        Fixture f(toCheckSupport);
        f("A")->SetCheckType(1);
        TZozeZONode *a1 = f("A1");
        const QRect label = a1->DisplayRect(true);
        const QRect state = f.tree.StateIconRect(a1);
        QVERIFY(state.right() < label.left());
        QCOMPARE(f.tree.GetHitTestInfoAt(label.center().x(), label.center().y()), THitTests(htOnLabel) | htOnItem);
        QCOMPARE(f.tree.GetHitTestInfoAt(label.right() + 5, label.center().y()), THitTests(htOnRight));
        QCOMPARE(f.tree.GetHitTestInfoAt(2, label.center().y()), THitTests(htOnIndent));
        const QRect top = f("A")->DisplayRect(true);
        QCOMPARE(f.tree.GetHitTestInfoAt(top.left() - 6, top.center().y()), THitTests(htOnButton));
        QCOMPARE(f.tree.GetHitTestInfoAt(5, -3), THitTests(htAbove));
        QCOMPARE(f.tree.GetHitTestInfoAt(-3, 5), THitTests(htToLeft));
        QCOMPARE(f.tree.GetHitTestInfoAt(5, f.tree.viewport()->height() + 3), THitTests(htBelow));
        QCOMPARE(f.tree.GetHitTestInfoAt(5, f.tree.viewport()->height() - 3), THitTests(htNowhere));
        QCOMPARE(f.tree.GetNodeAt(label.center().x(), label.center().y()), a1);
        QCOMPARE(f.tree.GetNodeAt(5, f.tree.viewport()->height() - 3), nullptr);
        QCOMPARE(f.tree.TopItem(), f("A"));
        QCOMPARE(a1->DisplayRect(false).width(), f.tree.viewport()->width());
    }

    void expandByDoubleClickAndRefusal()
    {
        Fixture f;
        QStringList events;
        f.tree.OnCollapsed = [&](TCustomZozeZO *, TZozeZONode *n) { events << "-" + n->Text(); };
        f.tree.OnExpanded = [&](TCustomZozeZO *, TZozeZONode *n) { events << "+" + n->Text(); };
        QTest::mouseDClick(f.tree.viewport(), Qt::LeftButton, Qt::NoModifier, labelOf(f("B")));
        QVERIFY(!f("B")->Expanded());
        QVERIFY(!f.tree.isExpanded(f.tree.model()->index(1, 0)));
        f.tree.OnExpanding = [](TCustomZozeZO *, TZozeZONode *, bool &ok) { ok = false; };
        QTest::mouseDClick(f.tree.viewport(), Qt::LeftButton, Qt::NoModifier, labelOf(f("B")));
        QVERIFY(!f("B")->Expanded());
        // The view's own expand (Right key) is refused the same way.
        f.tree.setFocus();
        f.tree.SetSelected(f("B"));
        key(f.tree, Qt::Key_Right);
        QVERIFY(!f.tree.isExpanded(f.tree.model()->index(1, 0)));
        f.tree.OnExpanding = nullptr;
        key(f.tree, Qt::Key_Right);
        QVERIFY(f("B")->Expanded());
        QCOMPARE(events, QStringList({"-B", "+B"}));
        // Collapsing over the caret brings it up to the collapsed node.
        f.tree.SetSelected(f("A2"));
        f("A")->Collapse(false);
        QCOMPARE(f.tree.Selected(), f("A"));
    }

    void labelEditing()
    {
        Fixture f;
        f.tree.setFocus();
        QStringList edited;
        f.tree.OnEdited = [&](TCustomZozeZO *, TZozeZONode *n, QString &s) {
            edited << n->Text() + ">" + s;
            s = s.toUpper();
        };
        bool allow = false;
        f.tree.OnEditing = [&](TCustomZozeZO *, TZozeZONode *, bool &ok) { ok = allow; };
        click(f.tree, f("C"));
        key(f.tree, Qt::Key_F2);
        QVERIFY(!f.tree.IsEditing());
        allow = true;
        key(f.tree, Qt::Key_F2);
        QVERIFY(f.tree.IsEditing());
        auto *editor = f.tree.viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("renamed"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!f.tree.IsEditing());
        QCOMPARE(edited, QStringList({"C>renamed"}));
        QCOMPARE(f.tree.Selected()->Text(), QStringLiteral("RENAMED"));
        // Ended from the node: Cancel keeps the text.
        key(f.tree, Qt::Key_F2);
        QTest::keyClicks(f.tree.viewport()->findChild<QLineEdit *>(), QStringLiteral("zzz"));
        f.tree.Selected()->EndEdit(true);
        QVERIFY(!f.tree.IsEditing());
        QCOMPARE(f.tree.Selected()->Text(), QStringLiteral("RENAMED"));
        // Read-only trees do not edit.
        f.tree.SetOptions(f.tree.Options() | toReadOnly);
        key(f.tree, Qt::Key_F2);
        QVERIFY(!f.tree.IsEditing());
    }

    void popupMenusAskUpTheTree()
    {
        Fixture f(toMultiSelect);
        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        QStringList asked;
        TZozeZONode *seenSelected = nullptr;
        f.tree.OnGetPopupMenu = [&](TCustomZozeZO *t, TZozeZONode *n, bool &, QMenu *&popup) {
            asked << n->Text();
            seenSelected = t->Selected();
            if (n == f("A"))
                popup = &menu;
        };
        click(f.tree, f("C"));
        click(f.tree, f("D"), Qt::ControlModifier);
        // A right click on a node outside the selection makes it Selected for the menu, and clears the
        // multiple selection.
        QTest::mouseClick(f.tree.viewport(), Qt::RightButton, Qt::NoModifier, labelOf(f("A2")));
        QCOMPARE(asked, QStringList({"A2", "A"}));
        QCOMPARE(seenSelected, f("A2"));
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.property("PopupComponent").value<QObject *>(), &f.tree);
        QCOMPARE(f.tree.Items()->SelectionCount(), 0);
        menu.hide();
        QCOMPARE(f.tree.Selected(), f("D"));

        // Without a menu from the nodes, the tree's own menu.
        QMenu own;
        own.addAction(QStringLiteral("own"));
        f.tree.SetPopupMenu(&own);
        f.tree.OnGetPopupMenu = [](TCustomZozeZO *, TZozeZONode *, bool &askParent, QMenu *&) { askParent = false; };
        QTest::mouseClick(f.tree.viewport(), Qt::RightButton, Qt::NoModifier, labelOf(f("B1")));
        QVERIFY(own.isVisible());
        own.hide();
    }

    void dragInsideTheTree()
    {
        Fixture f(toMultiSelect);
        f.tree.SetDragMode(dmAutomatic);
        QStringList log;
        f.tree.OnStartDrag = [&](TCustomZozeZO *t, QObject *&) { log << "start " + t->Selected()->Text(); };
        f.tree.OnDragOver = [&](TCustomZozeZO *t, QObject *source, int x, int y, TDragState, bool &accept) {
            QCOMPARE(source, t);
            TZozeZONode *n = t->GetNodeAt(x, y);
            accept = n && n != f("C");
        };
        f.tree.OnDragDrop = [&](TCustomZozeZO *t, QObject *, int x, int y) {
            log << "drop on " + t->GetNodeAt(x, y)->Text() + " target " + t->DropTarget()->Text();
        };
        f.tree.OnEndDrag = [&](TCustomZozeZO *, QObject *target, int, int) {
            log << (target ? "end on tree" : "end nowhere");
        };
        // A press on a node of a selection keeps it for the drag.
        click(f.tree, f("A1"));
        click(f.tree, f("B1"), Qt::ControlModifier);
        QWidget *vp = f.tree.viewport();
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("A1")));
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "B1"}));
        move(vp, labelOf(f("A1")) + QPoint(0, 20), Qt::LeftButton);
        QVERIFY(f.tree.Dragging());
        move(vp, labelOf(f("D")), Qt::LeftButton);
        QCOMPARE(f.tree.DropTarget(), f("D"));
        QVERIFY(f("D")->DropTarget());
        QVERIFY(f.tree.GetDragImages());
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("D")));
        QVERIFY(!f.tree.Dragging());
        QCOMPARE(log, QStringList({"start A1", "drop on D target D", "end on tree"}));
        QCOMPARE(f.tree.DropTarget(), nullptr);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A1", "B1"}));

        // Refused over C; Escape ends a drag without a drop.
        log.clear();
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("B")));
        move(vp, labelOf(f("B")) + QPoint(0, 20), Qt::LeftButton);
        move(vp, labelOf(f("C")), Qt::LeftButton);
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("C")));
        QCOMPARE(log, QStringList({"start B", "end nowhere"}));
        log.clear();
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("A")));
        move(vp, labelOf(f("D")), Qt::LeftButton);
        key(f.tree, Qt::Key_Escape);
        QVERIFY(!f.tree.Dragging());
        QCOMPARE(log, QStringList({"start A", "end nowhere"}));
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("D")));

        // A click without a move is a plain click.
        QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("C")));
        QCOMPARE(selected(f.tree.Items()), QStringList({"C"}));
    }

    void autoExpandWhileDragging()
    {
        Fixture f;
        f.tree.SetDragMode(dmAutomatic);
        f("B")->Collapse(false);
        QWidget *vp = f.tree.viewport();
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("D")));
        move(vp, labelOf(f("D")) - QPoint(0, 20), Qt::LeftButton);
        move(vp, labelOf(f("B")), Qt::LeftButton);
        QTRY_VERIFY(f("B")->Expanded());
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, labelOf(f("B")));
    }

    void rubberBand()
    {
        Fixture f(toMultiSelect);
        QWidget *vp = f.tree.viewport();
        const QRect a2 = f("A2")->DisplayRect(true);
        const QRect b1 = f("B1")->DisplayRect(true);
        const QPoint start(a2.right() + 20, a2.top() + 2);
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, start);
        move(vp, QPoint(a2.left() + 2, b1.top() + 2), Qt::LeftButton);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A2", "B", "B1"}));
        move(vp, QPoint(a2.left() + 2, a2.bottom() - 2), Qt::LeftButton);
        QCOMPARE(selected(f.tree.Items()), QStringList({"A2"}));
        QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(a2.left() + 2, a2.bottom() - 2));
        QCOMPARE(selected(f.tree.Items()), QStringList({"A2"}));
    }

    void infoTipsAskTheHint()
    {
        Fixture f(toInfoTip);
        f.tree.OnHint = [](TCustomZozeZO *, TZozeZONode *n, QString &text) { text = QStringLiteral("about ") + n->Text(); };
        const QPoint at = labelOf(f("B1"));
        QHelpEvent help(QEvent::ToolTip, at, f.tree.viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.tree.viewport(), &help);
        QCOMPARE(QToolTip::text(), QStringLiteral("about B1"));
        // Without info tips, tool tips show a text the view cuts off.
        f.tree.SetOptions((f.tree.Options() & ~TTreeOptions(toInfoTip)) | toToolTips);
        const QString wide(200, u'w');
        TZozeZONode *d = f("D");
        d->SetText(wide);
        const QPoint over(d->DisplayRect(true).left() + 10, labelOf(d).y());
        QHelpEvent cut(QEvent::ToolTip, over, f.tree.viewport()->mapToGlobal(over));
        QApplication::sendEvent(f.tree.viewport(), &cut);
        QCOMPARE(QToolTip::text(), wide);
    }

    void autoScrollNearTheEdges()
    {
        TZozeZO tree;
        tree.resize(200, 120);
        for (int i = 0; i < 60; ++i)
            tree.Items()->Add(nullptr, QStringLiteral("node %1").arg(i));
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QScrollBar *bar = tree.verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        tree.AutoScrollTest(50, 5); // at the top already: nothing to do
        firesAfter(kScrollWait);
        QCOMPARE(bar->value(), 0);
        tree.AutoScrollTest(50, tree.viewport()->height() - 1);
        QTRY_VERIFY(bar->value() >= 3);
        tree.AutoScrollTest(50, tree.viewport()->height() / 2);
        const int stopped = bar->value();
        firesAfter(kScrollWait);
        QCOMPARE(bar->value(), stopped);
        tree.AutoScrollTest(50, 1);
        QTRY_COMPARE(bar->value(), 0);
    }

    void customDrawEvents()
    {
        Fixture f;
        f("B")->SetColor(clRed);
        QStringList before;
        int after = 0;
        bool canvas = true;
        f.tree.OnBeforePaint = [&](TCustomZozeZO *t) { canvas = canvas && t->Canvas(); };
        f.tree.OnBeforeItemPaint = [&](TCustomZozeZO *t, TZozeZONode *n, const QRect &r, TNodeStates, bool &ownerDraw) {
            before << n->Text();
            canvas = canvas && t->Canvas();
            if (n == f("C")) {
                ownerDraw = true;
                t->Canvas()->fillRect(r, Qt::green);
            }
        };
        f.tree.OnAfterItemPaint = [&](TCustomZozeZO *, TZozeZONode *, const QRect &, TNodeStates) { ++after; };
        const QImage image = f.tree.viewport()->grab().toImage();
        QVERIFY(before.contains(QStringLiteral("A1")) && before.contains(QStringLiteral("D")));
        QCOMPARE(after, before.size());
        QVERIFY(canvas);
        const QRect c = f("C")->DisplayRect(false);
        QCOMPARE(image.pixelColor(c.center()), QColor(Qt::green));
        // The node's own colour behind its text.
        const QRect b = f("B")->DisplayRect(true);
        QCOMPARE(image.pixelColor(b.left() + 1, b.top() + 1), QColor(Qt::red));
        // State images come from the shared check strip without StateImages.
        f.tree.SetOptions(f.tree.Options() | toCheckSupport);
        f("A")->SetCheckType(1);
        f("A1")->SetCheckState(1);
        QVERIFY(!f.tree.StateIconRect(f("A1")).isEmpty());
        QCOMPARE(f.tree.StateImageList(), CheckImages());
    }
};

K5_TEST_MAIN(TestTreeView)
#include "test_treeview.moc"
