// The tree's node model: node lists, navigation, checks and radio groups, linked parents, moving,
// selection, sorting and deletion.
#include "k5test.h"

#include "controls/tree/zozezo.h"

#include <QRandomGenerator>
#include <climits>

using namespace tree;

namespace {

QStringList shape(TZozeZONodes *items)
{
    QStringList out;
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        out << QString(n->Level(), u'.') + n->Text();
    return out;
}

// The rows the view shows, depth first.
QStringList viewShape(TCustomZozeZO &tree, const QModelIndex &parent = QModelIndex(), int level = 0)
{
    QStringList out;
    QAbstractItemModel *model = tree.model();
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex i = model->index(r, 0, parent);
        out << QString(level, u'.') + i.data().toString();
        out += viewShape(tree, i, level + 1);
    }
    return out;
}

// "A(B C) D" style: builds nodes from a list of (level, text).
void build(TZozeZONodes *items, const QStringList &lines)
{
    QList<TZozeZONode *> last;
    for (const QString &line : lines) {
        int level = 0;
        while (line[level] == u'.')
            ++level;
        TZozeZONode *parent = level > 0 ? last[level - 1] : nullptr;
        TZozeZONode *n = items->AddChild(parent, line.mid(level));
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
    return out;
}

// The quicksort as it is written, recursing on the left part and looping on the right.
void referenceSort(QList<int> &a, int l, int r, const std::function<int(int, int)> &cmp)
{
    int i;
    do {
        i = l;
        int j = r;
        const int p = a[(l + r) >> 1];
        do {
            while (cmp(a[i], p) < 0)
                ++i;
            while (cmp(a[j], p) > 0)
                --j;
            if (i <= j) {
                std::swap(a[i], a[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j)
            referenceSort(a, l, j, cmp);
        l = i;
    } while (i < r);
}

} // namespace

class TestTreeModel : public QObject {
    Q_OBJECT

private slots:
    void nodeListLimitsAndGrowth()
    {
        TTreeNodeList list;
        QList<int> capacities;
        for (int i = 0; i < 100; ++i) {
            list.Add(nullptr);
            if (capacities.isEmpty() || capacities.last() != list.Capacity())
                capacities << list.Capacity();
        }
        QCOMPARE(capacities, QList<int>({4, 8, 12, 28, 44, 60, 76, 95, 118}));
        try {
            list.Items(100);
            QFAIL("no error");
        } catch (const EListError &e) {
            QCOMPARE(e.message(), QStringLiteral("List index out of bounds (100)"));
        }
        QVERIFY_THROWS_EXCEPTION(EListError, list.Items(-1));
        QVERIFY_THROWS_EXCEPTION(EListError, list.Insert(101, nullptr));
        QVERIFY_THROWS_EXCEPTION(EListError, list.Delete(-1));
        try {
            list.SetCapacity(99);
            QFAIL("no error");
        } catch (const EListError &e) {
            QCOMPARE(e.message(), QStringLiteral("List capacity out of bounds (99)"));
        }
        try {
            list.SetCount(-2);
            QFAIL("no error");
        } catch (const EListError &e) {
            QCOMPARE(e.message(), QStringLiteral("List count out of bounds (-2)"));
        }
        QVERIFY_THROWS_EXCEPTION(EListError, list.SetCapacity(TTreeNodeList::MaxListSize + 1));
        auto *a = reinterpret_cast<TZozeZONode *>(quintptr(16));
        auto *b = reinterpret_cast<TZozeZONode *>(quintptr(32));
        list.Clear();
        list.Add(a);
        list.Add(nullptr);
        list.Add(b);
        list.Add(a);
        QCOMPARE(list.IndexOf(a), 0);
        QCOMPARE(list.Remove(a), 0);
        QCOMPARE(list.IndexOf(a), 2);
        QCOMPARE(list.Remove(reinterpret_cast<TZozeZONode *>(quintptr(48))), -1);
        list.Pack();
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list[0], b);
        list.SetCount(4);
        QCOMPARE(list[3], nullptr);
    }

    void sortKeepsTheWrittenTieOrder()
    {
        // Keys with many ties; Data holds each node's first position.
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        QRandomGenerator random(7);
        QList<int> keys;
        for (int i = 0; i < 300; ++i) {
            keys << int(random.bounded(12));
            items->Add(nullptr, QStringLiteral("k%1").arg(keys.last(), 2, 10, QLatin1Char('0')))->SetData(i);
        }
        QList<int> expected;
        for (int i = 0; i < keys.size(); ++i)
            expected << i;
        referenceSort(expected, 0, int(expected.size()) - 1, [&](int x, int y) { return keys[x] - keys[y]; });
        tree.SetSortType(stText);
        QList<int> actual;
        for (TZozeZONode *n : items->Root()->Children())
            actual << int(n->Data());
        QCOMPARE(actual, expected);
        // The view shows the list's order.
        QCOMPARE(viewShape(tree), shape(items));
    }

    void navigation()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        build(items, {"A", ".B", "..C", ".D", "E"});
        TZozeZONode *a = find(items, "A"), *b = find(items, "B"), *c = find(items, "C"), *d = find(items, "D"),
                    *e = find(items, "E");
        QCOMPARE(items->Count(), 5);
        QCOMPARE(items->GetFirstNode(), a);
        QCOMPARE(a->GetNext(), b);
        QCOMPARE(c->GetNext(), d);
        QCOMPARE(d->GetNext(), e);
        QCOMPARE(e->GetNext(), nullptr);
        QCOMPARE(e->GetPrev(), d);
        QCOMPARE(d->GetPrev(), c);
        QCOMPARE(b->GetPrev(), a);
        QCOMPARE(a->GetPrev(), nullptr);
        QCOMPARE(c->Level(), 2);
        QCOMPARE(a->Parent(), nullptr);
        QCOMPARE(c->Parent(), b);
        QCOMPARE(d->Index(), 1);
        QCOMPARE(a->GetLastChild(), d);
        QCOMPARE(b->GetNextSibling(), d);
        QCOMPARE(d->GetPrevSibling(), b);
        QCOMPARE(d->AbsoluteIndex(), 3);
        QCOMPARE(items->Item(2), c);
        QVERIFY(c->HasAsParent(a) && c->HasAsParent(c) && c->HasAsParent(nullptr) && !a->HasAsParent(c));
        QCOMPARE(items->GetNode(c->ItemId()), c);
        QCOMPARE(items->GetNode(0), nullptr);
        for (int bad : {2, -1}) {
            try {
                a->Item(bad);
                QFAIL("no error");
            } catch (const EZozeZOError &err) {
                QCOMPARE(err.message(), QStringLiteral("List index out of bounds (%1)").arg(bad));
            }
        }
        // Visible nodes follow the cached expand states.
        QVERIFY(!b->IsVisible());
        QCOMPARE(a->GetNextVisible(), e);
        a->Expand(false);
        QVERIFY(b->IsVisible() && !c->IsVisible());
        QCOMPARE(a->GetNextVisible(), b);
        QCOMPARE(b->GetNextVisible(), d);
        QCOMPARE(e->GetPrevVisible(), d);
        QCOMPARE(c->GetNextVisible(), nullptr);
        QVERIFY(a->IsEqual(a) && !a->IsEqual(b));
        // Insert goes before its node; without one, at the end of the top level.
        TZozeZONode *x = items->Insert(d, QStringLiteral("X"));
        QCOMPARE(x->Index(), 1);
        QCOMPARE(x->Parent(), a);
        QCOMPARE(x->Data(), qintptr(0));
        QCOMPARE(items->Insert(nullptr, QStringLiteral("Y"))->GetPrevSibling(), e);
        QCOMPARE(viewShape(tree), shape(items));
    }

    void checkBoxes()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toCheckSupport);
        TZozeZONodes *items = tree.Items();
        build(items, {"P", ".A", ".B"});
        TZozeZONode *p = find(items, "P"), *a = find(items, "A"), *b = find(items, "B");
        QCOMPARE(p->StateIndex(), 0);
        p->SetCheckType(1);
        QCOMPARE(a->StateIndex(), 1);
        a->SetCheckState(3);
        QCOMPARE(a->CheckState(), 1);
        QCOMPARE(a->StateIndex(), 2);
        a->ToggleCheck();
        QCOMPARE(a->CheckState(), 0);
        QCOMPARE(a->StateIndex(), 1);
        // A child added later starts unchecked.
        QCOMPARE(items->AddChild(p, QStringLiteral("C"))->StateIndex(), 1);

        // Disabled checks grey the image and block changes.
        b->SetCheckState(1);
        b->SetCheckEnabled(false);
        QCOMPARE(b->StateIndex(), 4);
        b->SetCheckState(0);
        QCOMPARE(b->CheckState(), 1);
        b->ToggleCheck();
        QCOMPARE(b->CheckState(), 1);
        QCOMPARE(b->StateIndex(), 2); // the enabled-looking image, as a released click leaves it
        b->SetCheckEnabled(true);
        b->SetCheckEnabled(false);
        QCOMPARE(b->StateIndex(), 4);
        b->SetCheckEnabled(true);
        QCOMPARE(b->StateIndex(), 2);

        // The checking event can refuse; the checked event follows every attempt that was allowed.
        QList<QString> checked;
        bool allow = false;
        tree.OnChecking = [&](TCustomZozeZO *, TZozeZONode *, bool &ok) { ok = allow; };
        tree.OnChecked = [&](TCustomZozeZO *, TZozeZONode *n) { checked << n->Text(); };
        a->SetCheckState(1);
        QCOMPARE(a->CheckState(), 0);
        allow = true;
        a->SetCheckState(1);
        QCOMPARE(checked, QList<QString>({"A"}));

        // Without check support the states change but no image is set.
        TZozeZO plain;
        build(plain.Items(), {"P", ".A"});
        TZozeZONode *pp = plain.Items()->GetFirstNode();
        pp->SetCheckType(1);
        pp->Item(0)->SetCheckState(1);
        QCOMPARE(pp->Item(0)->CheckState(), 1);
        QCOMPARE(pp->Item(0)->StateIndex(), -1);
        // The shared check images are there all the same.
        QCOMPARE(plain.StateImageList(), CheckImages());
        QCOMPARE(CheckImages()->Count(), 9);
    }

    void checkTypeChanges()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toCheckSupport);
        TZozeZONodes *items = tree.Items();
        build(items, {"P", ".A", ".B", ".C"});
        TZozeZONode *p = find(items, "P"), *a = find(items, "A"), *b = find(items, "B"), *c = find(items, "C");
        p->SetCheckType(1);
        b->SetCheckState(1);
        a->SetCheckEnabled(false);
        // Radio buttons: the first enabled child is switched on.
        p->SetCheckType(3);
        QCOMPARE(a->StateIndex(), 7);
        QCOMPARE(b->StateIndex(), 6);
        QCOMPARE(b->CheckState(), 1);
        QCOMPARE(c->StateIndex(), 5);
        // A radio child toggled on turns its siblings off.
        c->ToggleCheck();
        QCOMPARE(c->CheckState(), 1);
        QCOMPARE(c->StateIndex(), 6);
        QCOMPARE(b->CheckState(), 0);
        QCOMPARE(b->StateIndex(), 5);
        c->SetCheckState(0); // switching a radio off does nothing
        QCOMPARE(c->CheckState(), 1);
        // Back to boxes: states kept, images follow them.
        p->SetCheckType(1);
        QCOMPARE(c->StateIndex(), 2);
        QCOMPARE(a->StateIndex(), 3);
        p->SetCheckType(0);
        QCOMPARE(c->CheckState(), 0);
        QCOMPARE(c->StateIndex(), 0);
        // Top-level check type goes to the hidden root.
        items->SetTopLevelCheckType(3);
        QCOMPARE(p->StateIndex(), 6);
        QCOMPARE(p->CheckState(), 1);
        QCOMPARE(items->Root()->CheckType(), 3);
    }

    void linkedCheckBoxes()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toCheckSupport);
        TZozeZONodes *items = tree.Items();
        build(items, {"R", ".P", "..A", "..B", ".Q", "..C"});
        TZozeZONode *r = find(items, "R"), *p = find(items, "P"), *q = find(items, "Q"), *a = find(items, "A"),
                    *b = find(items, "B"), *c = find(items, "C");
        items->SetTopLevelCheckType(2);
        r->SetCheckType(2);
        p->SetCheckType(2);
        q->SetCheckType(2);
        // Checking a parent checks its children, all the way down.
        r->SetCheckState(1);
        for (TZozeZONode *n : {p, q, a, b, c})
            QCOMPARE(n->CheckState(), 1);
        // One child off: its parent is partly checked, which counts as checked one level up.
        a->SetCheckState(0);
        QCOMPARE(p->CheckState(), 3);
        QCOMPARE(p->StateIndex(), 4);
        QCOMPARE(r->CheckState(), 1);
        b->SetCheckState(0);
        QCOMPARE(p->CheckState(), 0);
        QCOMPARE(p->StateIndex(), 1);
        QCOMPARE(r->CheckState(), 3);
        // Children that are all partly checked make their parent checked.
        a->SetCheckState(1);
        b->SetCheckState(1);
        c->SetCheckState(1);
        QCOMPARE(r->CheckState(), 1);
        p->SetCheckState(3);
        q->SetCheckState(3);
        QCOMPARE(r->CheckState(), 1);
        QCOMPARE(r->StateIndex(), 2);
        // The cycle of a click: unchecked, partly, checked.
        TZozeZONode *leaf = items->Add(nullptr, QStringLiteral("L"));
        leaf->ToggleCheck();
        QCOMPARE(leaf->CheckState(), 3);
        leaf->ToggleCheck();
        QCOMPARE(leaf->CheckState(), 1);
        leaf->ToggleCheck();
        QCOMPARE(leaf->CheckState(), 0);
    }

    void moveTo()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        build(items, {"A", ".A1", ".A2", "B", ".B1", "C"});
        TZozeZONode *a = find(items, "A"), *b = find(items, "B"), *c = find(items, "C"), *a1 = find(items, "A1"),
                    *b1 = find(items, "B1");
        int changes = 0;
        tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *) { ++changes; };
        tree.SetSelected(a1);
        changes = 0;

        // Onto its own descendant: nothing.
        a->MoveTo(a1, naAddChild);
        QCOMPARE(shape(items), QStringList({"A", ".A1", ".A2", "B", ".B1", "C"}));
        a->MoveTo(a, naAdd);
        QCOMPARE(shape(items), QStringList({"A", ".A1", ".A2", "B", ".B1", "C"}));

        a1->MoveTo(b, naAddChild);
        QCOMPARE(shape(items), QStringList({"A", ".A2", "B", ".B1", ".A1", "C"}));
        QVERIFY(b->Expanded());
        a1->MoveTo(b, naAddChildFirst);
        QCOMPARE(shape(items), QStringList({"A", ".A2", "B", ".A1", ".B1", "C"}));
        c->MoveTo(b1, naInsert); // right after its destination
        QCOMPARE(shape(items), QStringList({"A", ".A2", "B", ".A1", ".B1", ".C", }));
        c->MoveTo(a1, naAddFirst);
        QCOMPARE(shape(items), QStringList({"A", ".A2", "B", ".C", ".A1", ".B1"}));
        c->MoveTo(nullptr, naAdd);
        QCOMPARE(shape(items), QStringList({"A", ".A2", "B", ".A1", ".B1", "C"}));
        b->MoveTo(nullptr, naInsert);
        QCOMPARE(shape(items), QStringList({"A", ".A2", "C", "B", ".A1", ".B1"}));
        a->MoveTo(b1, naAddChild); // a whole subtree
        QCOMPARE(shape(items), QStringList({"C", "B", ".A1", ".B1", "..A", "...A2"}));
        QCOMPARE(viewShape(tree), shape(items));
        QCOMPARE(items->Count(), 6);
        // The change handlers were off during the moves, and the selection stayed.
        QCOMPARE(changes, 0);
        QVERIFY(tree.OnChange != nullptr);
        QCOMPARE(tree.Selected(), a1);

        // Another tree's node is no destination.
        TZozeZO other;
        TZozeZONode *stranger = other.Items()->Add(nullptr, QStringLiteral("S"));
        c->MoveTo(stranger, naAddChild);
        QCOMPARE(c->Parent(), nullptr);
        QCOMPARE(stranger->Count(), 0);
    }

    void moveKeepsCheckImagesTrue()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toCheckSupport);
        TZozeZONodes *items = tree.Items();
        build(items, {"P", ".A", "Q", ".B"});
        TZozeZONode *p = find(items, "P"), *q = find(items, "Q"), *a = find(items, "A");
        p->SetCheckType(1);
        q->SetCheckType(1);
        a->SetCheckState(1);
        a->MoveTo(q, naAddChild);
        QCOMPARE(a->CheckState(), 1);
        QCOMPARE(a->StateIndex(), 2);
        QVERIFY(!p->HasChildren());
    }

    void selectionList()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toMultiSelect);
        TZozeZONodes *items = tree.Items();
        build(items, {"A", ".A1", ".A2", "B", ".B1", "C"});
        TZozeZONode *a = find(items, "A"), *a2 = find(items, "A2"), *b = find(items, "B"), *b1 = find(items, "B1"),
                    *c = find(items, "C");
        QList<TZozeZONode *> changes;
        tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *n) { changes << n; };

        items->SetNodeSelected(b, 0);
        items->SetNodeSelected(b, 0);
        QCOMPARE(items->SelectionCount(), 1);
        items->SetNodeSelected(b, 2);
        QCOMPARE(items->SelectionCount(), 0);
        items->SetNodeSelected(c, 2);
        QVERIFY(c->Selected());
        QCOMPARE(changes, QList<TZozeZONode *>({b, b, b, c}));

        changes.clear();
        items->SelectRange(b1, a2, false);
        QCOMPARE(selected(items), QStringList({"A2", "B", "B1"}));
        QCOMPARE(changes, QList<TZozeZONode *>({b1}));
        items->SelectRange(a, a, true);
        QCOMPARE(selected(items), QStringList({"A2", "B", "B1", "A"}));
        QCOMPARE(a->GetNextSelected(), nullptr);
        QCOMPARE(b->GetNextSelected(), b1);

        // A locked selection list stays as it is.
        items->LockSelection();
        items->SetNodeSelected(a, 1);
        QVERIFY(a->Selected());
        items->UnlockSelection();
        items->UnlockSelection();
        items->SetNodeSelected(a, 1);
        QVERIFY(!a->Selected());

        tree.ClearSelection();
        QCOMPARE(items->SelectionCount(), 0);
        QCOMPARE(changes.last(), nullptr);
        items->SelectAll();
        QCOMPARE(items->SelectionCount(), 6);

        // The changing event can refuse a selection.
        tree.ClearSelection();
        tree.OnChanging = [&](TCustomZozeZO *, TZozeZONode *n, bool &ok) { ok = n != c; };
        items->SetNodeSelected(c, 0);
        QVERIFY(!c->Selected());
        tree.OnChanging = nullptr;

        // Only nodes of the selection level with the constraint.
        tree.SetOptions(tree.Options() | toLevelSelectConstraint);
        tree.SetSelected(b1);
        QCOMPARE(items->SelectionLevel(), 1);
        items->SetNodeSelected(c, 0);
        QVERIFY(!c->Selected());
        items->SetNodeSelected(a2, 0);
        QVERIFY(a2->Selected());
    }

    void deletingSelectionAndNodes()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toMultiSelect);
        TZozeZONodes *items = tree.Items();
        build(items, {"A", ".A1", "..A11", ".A2", "B"});
        QStringList deleted;
        tree.OnDeletion = [&](TZozeZONodes *sender, TZozeZONode *n) {
            QCOMPARE(sender, items);
            deleted << n->Text();
        };
        // A selected node inside another selected subtree goes with it.
        items->SetNodeSelected(find(items, "A11"), 0);
        items->SetNodeSelected(find(items, "A"), 0);
        items->DeleteSelection();
        QCOMPARE(shape(items), QStringList({"B"}));
        QCOMPARE(deleted, QStringList({"A11", "A1", "A2", "A"}));
        QCOMPARE(items->Count(), 1);
        QCOMPARE(items->SelectionCount(), 0);

        QList<TZozeZONode *> changes;
        tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *n) { changes << n; };
        items->SetNodeSelected(items->GetFirstNode(), 0);
        changes.clear();
        items->DeleteSelection();
        QCOMPARE(items->Count(), 0);
        QCOMPARE(changes, QList<TZozeZONode *>({nullptr}));

        build(items, {"X", ".Y", ".Z"});
        TZozeZONode *x = items->GetFirstNode();
        x->Expand(false);
        deleted.clear();
        x->DeleteChildren();
        QCOMPARE(deleted, QStringList({"Y", "Z"}));
        QVERIFY(!x->HasChildren() && !x->Expanded());
        x->Delete();
        QCOMPARE(items->Count(), 0);
        QCOMPARE(viewShape(tree), QStringList());
    }

    void caretFollowsDeletion()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        build(items, {"A", ".A1", ".A2", "B"});
        QList<TZozeZONode *> changes;
        tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *n) { changes << n; };
        TZozeZONode *a1 = find(items, "A1"), *a2 = find(items, "A2"), *a = find(items, "A");
        tree.SetSelected(a1);
        QCOMPARE(tree.Selected(), a1);
        QVERIFY(a1->Selected());
        a1->Delete();
        QCOMPARE(tree.Selected(), a2);
        a2->Delete();
        QCOMPARE(tree.Selected(), a);
        QCOMPARE(changes.last(), a);
        items->Clear();
        QCOMPARE(tree.Selected(), nullptr);
    }

    void sortingRules()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        build(items, {"beta", "Alpha", ".z", ".Y", "gamma", "_x"});
        tree.SetSortType(stText);
        // ASCII letters without case; other characters by code ('_' sorts after the letters' upper case).
        QCOMPARE(shape(items), QStringList({"Alpha", ".Y", ".z", "beta", "gamma", "_x"}));
        QCOMPARE(viewShape(tree), shape(items));
        // Renaming re-sorts its level.
        find(items, "gamma")->SetText(QStringLiteral("aardvark"));
        QCOMPARE(shape(items), QStringList({"aardvark", "Alpha", ".Y", ".z", "beta", "_x"}));

        // By data: no re-sort on a data change without a compare handler; extremes compare right.
        TZozeZO byData;
        TZozeZONodes *d = byData.Items();
        build(d, {"p", "q", "r"});
        find(d, "p")->SetData(INT_MAX);
        find(d, "q")->SetData(INT_MIN);
        find(d, "r")->SetData(0);
        byData.SetSortType(stData);
        QCOMPARE(shape(d), QStringList({"q", "r", "p"}));
        find(d, "q")->SetData(qintptr(INT_MAX) + 1);
        QCOMPARE(shape(d), QStringList({"q", "r", "p"}));
        byData.OnCompare = [](TCustomZozeZO *, TZozeZONode *x, TZozeZONode *y, qintptr, int &cmp) {
            cmp = (x->Data() > y->Data()) - (x->Data() < y->Data());
        };
        find(d, "q")->SetData(5);
        QCOMPARE(shape(d), QStringList({"r", "q", "p"}));

        // Both: text, then data.
        TZozeZO both;
        build(both.Items(), {"s", "s", "a"});
        both.Items()->Item(0)->SetData(9);
        both.Items()->Item(1)->SetData(-9);
        both.SetSortType(stBoth);
        QCOMPARE(both.Items()->Item(0)->Text(), QStringLiteral("a"));
        QCOMPARE(both.Items()->Item(1)->Data(), qintptr(-9));

        // A node's own sort with a callback reorders that level only.
        TZozeZO custom;
        build(custom.Items(), {"P", ".a", ".bbb", ".cc", "Q"});
        custom.Items()->GetFirstNode()->CustomSort(
            [](TZozeZONode *x, TZozeZONode *y, qintptr sign) {
                return int(sign) * int(x->Text().size() - y->Text().size());
            },
            -1);
        QCOMPARE(shape(custom.Items()), QStringList({"P", ".bbb", ".cc", ".a", "Q"}));
        QCOMPARE(viewShape(custom), shape(custom.Items()));
    }

    void nodeAttributesAndAssign()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        build(items, {"A", ".A1"});
        TZozeZONode *a = items->GetFirstNode();
        QVERIFY(a->ParentColor() && a->ParentFont());
        QCOMPARE(a->GetColor(), tree.Color());
        a->SetColor(clRed);
        QVERIFY(!a->ParentColor());
        QCOMPARE(a->GetColor(), clRed);
        a->SetParentColor(true);
        QCOMPARE(a->GetColor(), clWindow);
        QFont f = a->Font();
        QVERIFY(a->HasOwnFont());
        f.setItalic(true);
        a->SetFont(f, clRed);
        QVERIFY(!a->ParentFont());
        a->SetImageIndex(2);
        a->SetData(77);
        a->SetCheckType(3);

        TZozeZONode *copy = items->Add(nullptr, QString());
        copy->Assign(a);
        QCOMPARE(copy->Text(), QStringLiteral("A"));
        QCOMPARE(copy->Data(), qintptr(77));
        QCOMPARE(copy->ImageIndex(), 2);
        QCOMPARE(copy->CheckType(), 3);
        QVERIFY(!copy->ParentFont());
        QVERIFY(copy->Font().italic());
        QCOMPARE(copy->FontColor(), clRed);
        QCOMPARE(copy->Count(), 0); // children are not copied
        a->SetParentFont(true);
        QVERIFY(!a->HasOwnFont());

        // Whole collections copy through the record stream.
        TZozeZO other;
        other.Items()->Assign(items);
        QCOMPARE(shape(other.Items()), shape(items));
        QCOMPARE(other.Items()->GetFirstNode()->Data(), qintptr(77));
        QCOMPARE(other.Items()->GetFirstNode()->CheckType(), 3);
        other.SetItems(nullptr);
        QCOMPARE(other.Items()->Count(), 3);
    }

    void updateNestingAndEvents()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        int changes = 0;
        tree.OnChange = [&](TCustomZozeZO *, TZozeZONode *) { ++changes; };
        items->BeginUpdate();
        items->BeginUpdate();
        build(items, {"A", ".B"});
        items->EndUpdate();
        items->EndUpdate();
        items->EndUpdate();
        QCOMPARE(items->UpdateCount(), 0);
        // Every node added triggers the change.
        QCOMPARE(changes, 2);
        QCOMPARE(viewShape(tree), QStringList({"A", ".B"}));
        // Expanding fires the events once, and they may refuse.
        QStringList events;
        tree.OnExpanded = [&](TCustomZozeZO *, TZozeZONode *n) { events << "+" + n->Text(); };
        tree.OnCollapsed = [&](TCustomZozeZO *, TZozeZONode *n) { events << "-" + n->Text(); };
        TZozeZONode *a = items->GetFirstNode();
        a->Expand(true);
        QVERIFY(tree.isExpanded(tree.model()->index(0, 0)));
        tree.OnCollapsing = [](TCustomZozeZO *, TZozeZONode *, bool &ok) { ok = false; };
        a->Collapse(false);
        QVERIFY(a->Expanded());
        tree.OnCollapsing = nullptr;
        a->Collapse(false);
        QCOMPARE(events, QStringList({"+A", "-A"}));
        QVERIFY(!tree.isExpanded(tree.model()->index(0, 0)));
        // Expanded states survive a reload under BeginUpdate.
        a->Expand(false);
        tree.LoadFromBytes(tree.SaveToBytes(true));
        QVERIFY(tree.isExpanded(tree.model()->index(0, 0)));
        // A node of another class from the create-node event.
        struct Special : TZozeZONode {
            using TZozeZONode::TZozeZONode;
        };
        tree.OnCreateNode = [](TCustomZozeZO *, TZozeZONodeClass &cls) {
            cls = [](TZozeZONodes *owner) { return new Special(owner); };
        };
        QVERIFY(dynamic_cast<Special *>(items->Add(nullptr, QStringLiteral("S"))));
    }
};

K5_TEST_MAIN(TestTreeModel)
#include "test_treemodel.moc"
