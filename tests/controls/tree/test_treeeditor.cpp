// The tree item editor: edits a copy and writes it back only on OK; the attribute panel follows the
// selection; structure commands, image buttons, font and colour dialogs, and drops.
#include "k5test.h"

#include "controls/tree/zozezoeditor.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>

using namespace tree;

namespace {

QStringList shape(TZozeZONodes *items)
{
    QStringList out;
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        out << QString(n->Level(), u'.') + n->Text();
    return out;
}

TZozeZONode *find(TZozeZONodes *items, const QString &text)
{
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        if (n->Text() == text)
            return n;
    return nullptr;
}

void select(TZozeZOEditor &editor, const QStringList &texts)
{
    TZozeZONodes *items = editor.Tree->Items();
    editor.Tree->ClearSelection();
    for (const QString &t : texts)
        items->SetNodeSelected(find(items, t), 0);
    editor.TreeChange(nullptr);
}

// An editor with A (A1, A2), B.
struct Editor {
    TZozeZOEditor editor;
    Editor()
    {
        TZozeZONodes *items = editor.Tree->Items();
        TZozeZONode *a = items->Add(nullptr, QStringLiteral("A"));
        items->AddChild(a, QStringLiteral("A1"));
        items->AddChild(a, QStringLiteral("A2"));
        items->Add(nullptr, QStringLiteral("B"));
        editor.TreeChange(nullptr);
    }
    TZozeZONodes *items() { return editor.Tree->Items(); }
    TZozeZONode *operator()(const char *t) { return find(items(), QString::fromLatin1(t)); }
};

} // namespace

class TestTreeEditor : public QObject {
    Q_OBJECT

private slots:
    void cancelLeavesTheTreeUntouched()
    {
        TZozeZO tree;
        TZozeZONode *a = tree.Items()->Add(nullptr, QStringLiteral("A"));
        tree.Items()->AddChild(a, QStringLiteral("A1"));
        const QByteArray before = tree.SaveToBytes(true);
        k5test::Answerer answers;
        answers.OnModal([](QDialog *d) {
            auto *editor = qobject_cast<TZozeZOEditor *>(d);
            if (!editor)
                return int(platform::mrCancel);
            [&] {
                QCOMPARE(editor->windowTitle(), QStringLiteral("ZozeZO Item Editor"));
                QCOMPARE(shape(editor->Tree->Items()), QStringList({"A", ".A1"}));
                QVERIFY(editor->Tree->Options().testFlag(toMultiSelect));
                QVERIFY(editor->Tree->Options().testFlag(toRightClickSelect));
                QVERIFY(!editor->Tree->Options().testFlag(toHideSelection));
                QCOMPARE(editor->Tree->Selected(), nullptr);
            }();
            TZozeZONodes *items = editor->Tree->Items();
            items->SetNodeSelected(items->GetFirstNode(), 0);
            editor->InsertNodeClick();
            editor->AddChildItemClick();
            items->SetTopLevelCheckType(2);
            items->GetFirstNode()->SetText(QStringLiteral("changed"));
            return int(platform::mrCancel);
        });
        QVERIFY(!EditZozeZOItems(tree.Items()));
        QCOMPARE(answers.ModalCount(), 1);
        QCOMPARE(tree.SaveToBytes(true), before);
    }

    // Shown for real, the editor opens with no node selected, also once its tree has taken the focus.
    void opensWithNoNodeSelected()
    {
        TZozeZO tree;
        TZozeZONode *a = tree.Items()->Add(nullptr, QStringLiteral("A"));
        tree.Items()->AddChild(a, QStringLiteral("A1"));
        tree.Items()->Add(nullptr, QStringLiteral("B"));
        QString seen;
        k5test::User user;
        user.Then([&](QWidget *w) {
                auto *editor = qobject_cast<TZozeZOEditor *>(w);
                if (!editor || !editor->isActiveWindow() || !editor->Tree->hasFocus())
                    return false;
                seen = QStringLiteral("%1 selected, %2, %3")
                           .arg(editor->Tree->Items()->SelectionCount())
                           .arg(editor->Tree->Selected() ? editor->Tree->Selected()->Text() : QStringLiteral("none"),
                                editor->Panel3->text());
                return true;
            })
            .Click(QStringLiteral("&Cancel"));
        QVERIFY(!EditZozeZOItems(tree.Items()));
        k5test::Settle();
        QVERIFY(user.Done());
        QCOMPARE(seen, QStringLiteral("0 selected, none, selected nodes:  0"));
        QVERIFY(user.Texts.isEmpty());
    }

    void okWritesTheCopyBack()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toCheckSupport);
        TZozeZONode *a = tree.Items()->Add(nullptr, QStringLiteral("A"));
        tree.Items()->AddChild(a, QStringLiteral("A1"));
        k5test::Answerer answers;
        answers.OnModal([](QDialog *d) {
            auto *editor = qobject_cast<TZozeZOEditor *>(d);
            TZozeZONodes *items = editor->Tree->Items();
            items->SetNodeSelected(find(items, QStringLiteral("A1")), 0);
            editor->TreeChange(nullptr);
            editor->DuplicateNodeClick();
            editor->Tree->ClearSelection();
            items->SetNodeSelected(find(items, QStringLiteral("A")), 0);
            editor->TreeChange(nullptr);
            editor->CheckStyleCombo->setCurrentIndex(3);
            emit editor->CheckStyleCombo->activated(3);
            return int(platform::mrOk);
        });
        QVERIFY(EditZozeZOItems(tree.Items()));
        QCOMPARE(shape(tree.Items()), QStringList({"A", ".A1", ".A1"}));
        TZozeZONode *na = tree.Items()->GetFirstNode();
        QCOMPARE(na->CheckType(), 3);
        QCOMPARE(na->Item(0)->CheckState(), 1);
        QCOMPARE(na->Item(0)->StateIndex(), 6);
    }

    void emptyTreeTopLevelCheckType()
    {
        TZozeZO tree;
        k5test::Answerer answers;
        int answer = platform::mrCancel;
        answers.OnModal([&](QDialog *d) {
            auto *editor = qobject_cast<TZozeZOEditor *>(d);
            [&] {
                QCOMPARE(editor->CheckTypeLabel->text(), QStringLiteral("Top level check type:"));
                QCOMPARE(editor->CheckStyleCombo->count(), 4);
                QCOMPARE(editor->CheckStyleCombo->itemText(2), QStringLiteral("check boxes (grayed)"));
                QVERIFY(!editor->FontButton->isEnabled());
                QVERIFY(!editor->IntegralEdit->isEnabled());
                QCOMPARE(editor->Panel3->text(), QStringLiteral("selected nodes:  0"));
            }();
            editor->CheckStyleCombo->setCurrentIndex(2);
            emit editor->CheckStyleCombo->activated(2);
            [&] { QCOMPARE(editor->Tree->Items()->TopLevelCheckType(), 2); }();
            return answer;
        });
        QVERIFY(!EditZozeZOItems(tree.Items()));
        QCOMPARE(tree.Items()->TopLevelCheckType(), 0);
        answer = platform::mrOk;
        QVERIFY(EditZozeZOItems(tree.Items()));
        QCOMPARE(tree.Items()->TopLevelCheckType(), 2);
    }

    void panelFollowsTheSelection()
    {
        Editor e;
        e("A1")->SetColor(clRed);
        e("A1")->SetIntegralHeight(2);
        e("A2")->SetIntegralHeight(2);
        select(e.editor, {"A1", "A2"});
        QCOMPARE(e.editor.Panel3->text(), QStringLiteral("selected nodes:  2"));
        QCOMPARE(e.editor.CheckTypeLabel->text(), QStringLiteral("Children check type:"));
        QVERIFY(e.editor.FontButton->isEnabled());
        QCOMPARE(e.editor.ParentColorBox->checkState(), Qt::PartiallyChecked);
        QCOMPARE(e.editor.ParentFontBox->checkState(), Qt::Checked);
        QCOMPARE(e.editor.EnabledBox->checkState(), Qt::Checked);
        QCOMPARE(e.editor.IntegralEdit->text(), QStringLiteral("2"));
        QCOMPARE(e.editor.CheckStyleCombo->currentIndex(), 0);
        e("A2")->SetCheckType(1);
        e.editor.TreeChange(nullptr);
        QCOMPARE(e.editor.CheckStyleCombo->currentIndex(), -1);
        QVERIFY(e.editor.IntegralEdit->text() == QStringLiteral("2"));

        // Check boxes apply to every selected node; a greyed box goes to checked on a click.
        e.editor.ParentColorBox->click();
        QCOMPARE(e.editor.ParentColorBox->checkState(), Qt::Checked);
        QVERIFY(e("A1")->ParentColor() && e("A2")->ParentColor());
        e.editor.EnabledBox->click();
        QVERIFY(!e("A1")->CheckEnabled() && !e("A2")->CheckEnabled());

        // Integral height: 0 is ignored, other numbers go to all.
        e.editor.IntegralEdit->clear();
        QTest::keyClicks(e.editor.IntegralEdit, QStringLiteral("0"));
        QCOMPARE(e("A1")->IntegralHeight(), 2);
        e.editor.IntegralEdit->clear();
        QTest::keyClicks(e.editor.IntegralEdit, QStringLiteral("3"));
        QCOMPARE(e("A1")->IntegralHeight(), 3);
        QCOMPARE(e("A2")->IntegralHeight(), 3);

        // Children check type for the selection.
        emit e.editor.CheckStyleCombo->activated(2);
        QCOMPARE(e("A1")->CheckType(), 2);
        QCOMPARE(e("A2")->CheckType(), 2);
        QCOMPARE(e.items()->TopLevelCheckType(), 0);
    }

    void structureCommands()
    {
        Editor e;
        e.editor.Tree->ClearSelection();
        e.editor.InsertNodeClick();
        QCOMPARE(shape(e.items()), QStringList({"A", ".A1", ".A2", "B", "New Node"}));
        select(e.editor, {"A2", "B"});
        e.editor.InsertNodeClick();
        QCOMPARE(shape(e.items()), QStringList({"A", ".A1", ".New Child", ".A2", "New Node", "B", "New Node"}));
        e.editor.AddChildItemClick();
        QCOMPARE(shape(e.items()),
                 QStringList({"A", ".A1", ".New Child", ".A2", "..New Child", "New Node", "B", ".New Child", "New Node"}));
        select(e.editor, {"A"});
        e("A1")->SetImageIndex(4);
        e.editor.DuplicateNodeClick();
        QCOMPARE(shape(e.items()).mid(0, 6), QStringList({"A", ".A1", ".New Child", ".A2", "..New Child", "A"}));
        QCOMPARE(e.items()->Item(1)->ImageIndex(), 4);
        QCOMPARE(e.items()->Count(), 14);
        // The duplicate goes before the original, which stays selected alone.
        QCOMPARE(e.items()->SelectionCount(), 1);
        QCOMPARE(e.items()->GetFirstSelected(), e.items()->Item(5));

        // Popup items follow the selection.
        e.editor.PopupMenuPopup();
        QCOMPARE(e.editor.DeleteNode->text(), QStringLiteral("D&elete Item + children"));
        select(e.editor, {"A1", "B"});
        e.editor.PopupMenuPopup();
        QCOMPARE(e.editor.DeleteNode->text(), QStringLiteral("D&elete 2 Items + children"));
        e.editor.Tree->ClearSelection();
        e.editor.PopupMenuPopup();
        QVERIFY(!e.editor.DeleteNode->isEnabled() && !e.editor.DuplicateNode->isEnabled() &&
                !e.editor.AddChildItem->isEnabled());
        QVERIFY(e.editor.InsertNode->isEnabled());
        QCOMPARE(e.editor.InsertNode->statusTip(), QStringLiteral("inserts a new node before the focused node"));

        e.editor.SelectAllClick();
        QCOMPARE(e.items()->SelectionCount(), e.items()->Count());
        e.editor.DeleteNodeClick();
        QCOMPARE(e.items()->Count(), 0);
    }

    void keysAndMouse()
    {
        Editor e;
        e.editor.show();
        e.editor.Tree->setFocus();
        select(e.editor, {"B"});
        QTest::keyClick(e.editor.Tree, Qt::Key_Insert);
        QCOMPARE(shape(e.items()), QStringList({"A", ".A1", ".A2", "New Node", "B"}));
        QTest::keyClick(e.editor.Tree, Qt::Key_Delete);
        QCOMPARE(shape(e.items()), QStringList({"A", ".A1", ".A2", "New Node"}));
        // Right button over a node selects it; over empty space clears the selection.
        QWidget *vp = e.editor.Tree->viewport();
        QTest::mouseClick(vp, Qt::RightButton, Qt::NoModifier, e("A")->DisplayRect(true).center());
        QCOMPARE(e.editor.Tree->Selected(), e("A"));
        QVERIFY(e.editor.PopupMenu->isVisible());
        QCOMPARE(e.editor.DeleteNode->text(), QStringLiteral("D&elete Item + children"));
        e.editor.PopupMenu->hide();
        QTest::mouseClick(vp, Qt::RightButton, Qt::NoModifier, QPoint(5, vp->height() - 5));
        QCOMPARE(e.items()->SelectionCount(), 0);
        e.editor.PopupMenu->hide();
        QTest::keyClick(e.editor.Tree, Qt::Key_Escape);
        QCOMPARE(e.editor.result(), int(platform::mrCancel));
        QVERIFY(!e.editor.isVisible());
    }

    void dropsMoveTheSelection()
    {
        Editor e;
        TZozeZONode *a1 = e("A1");
        select(e.editor, {"A"});
        // Not onto itself or its own child.
        QVERIFY(!e.editor.CanDropOn(e("A")));
        QVERIFY(!e.editor.CanDropOn(a1));
        QVERIFY(!e.editor.CanDropOn(nullptr));
        QVERIFY(e.editor.CanDropOn(e("B")));
        select(e.editor, {"A", "A2"});
        QVERIFY(e.editor.CanDropOn(a1)); // A2 may go there
        e.editor.DropOn(a1);
        QCOMPARE(shape(e.items()), QStringList({"A", ".A1", "..A2", "B"}));
        select(e.editor, {"A2", "B"});
        e.editor.DropOn(e("A"));
        QCOMPARE(shape(e.items()), QStringList({"A", ".A1", ".A2", ".B"}));
        QCOMPARE(e.editor.Panel3->text(), QStringLiteral("selected nodes:  2"));
    }

    void imageButtonsAndDialogs()
    {
        TImageList images;
        for (int i = 0; i < 3; ++i) {
            QPixmap p(16, 16);
            p.fill(QColor(40 * i, 0, 0));
            images.Add(p);
        }
        Editor e;
        e.editor.Tree->SetImages(&images);
        e.editor.Tree->SetStateImages(&images);
        e.editor.MakeImageButtons();
        auto *i1 = e.editor.ImageBox->findChild<QToolButton *>(QStringLiteral("I1"));
        auto *si2 = e.editor.SImageBox->findChild<QToolButton *>(QStringLiteral("SI2"));
        auto *sti0 = e.editor.StateImageBox->findChild<QToolButton *>(QStringLiteral("STI0"));
        QVERIFY(i1 && si2 && sti0);
        QCOMPARE(i1->size(), QSize(32, 32));
        QCOMPARE(e.editor.ImageBox->statusTip(), QStringLiteral("all selected nodes will get the image you choose here"));
        select(e.editor, {"A1", "A2"});
        e.editor.Tree->SetSelected(e("A2"));
        e.items()->SetNodeSelected(e("A1"), 0);
        i1->click();
        si2->click();
        sti0->click();
        QCOMPARE(e("A1")->ImageIndex(), 1);
        QCOMPARE(e("A2")->ImageIndex(), 1);
        QCOMPARE(e("A2")->SelectedIndex(), 2);
        QCOMPARE(e("A1")->StateIndex(), 0);
        i1->click(); // released: no image
        QCOMPARE(e("A1")->ImageIndex(), -1);
        e("A2")->SetImageIndex(2);
        e("A1")->SetImageIndex(2);
        e.editor.TreeChange(nullptr);
        QVERIFY(e.editor.ImageBox->findChild<QToolButton *>(QStringLiteral("I2"))->isChecked());
        QVERIFY(!i1->isChecked());

        k5test::Answerer answers;
        answers.OnModal([](QDialog *d) {
            if (auto *fd = qobject_cast<QFontDialog *>(d)) {
                QFont f = fd->currentFont();
                f.setItalic(true);
                fd->setCurrentFont(f);
                return int(platform::mrOk);
            }
            if (auto *cd = qobject_cast<QColorDialog *>(d)) {
                cd->setCurrentColor(QColor(0, 0, 255));
                return int(platform::mrOk);
            }
            return int(platform::mrCancel);
        });
        e.editor.FontButtonClick();
        QVERIFY(!e("A1")->ParentFont() && !e("A2")->ParentFont());
        QVERIFY(e("A1")->Font().italic());
        QCOMPARE(e.editor.ParentFontBox->checkState(), Qt::Unchecked);
        e.editor.ColorButtonClick();
        QCOMPARE(e("A1")->Color(), TColor(0xFF0000));
        QVERIFY(!e("A2")->ParentColor());
        QCOMPARE(answers.ModalCount(), 2);
    }
};

K5_TEST_MAIN(TestTreeEditor)
#include "test_treeeditor.moc"
