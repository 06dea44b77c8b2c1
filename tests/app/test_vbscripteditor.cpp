// The VBScript editor as a user works it from a document's Script menu: members from its object tree go to
// the editor's caret (categories give nothing), find and replace report what they cannot find, Save As
// writes the script or says why not and keeps it, and "Close and insert Script" hands the whole script to the
// document through the main window's text relay.
#include "k5test.h"
#include "apptest.h"

#include "app/scripteditor.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/fileio.h"

#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>

using app::TEditForm;
using app::TFrameForm;
using app::TVBScriptEditor;

namespace {

void doubleClick(TVBScriptEditor &vb, const QString &text) { apptest::DoubleClickNode(vb.ZozeZO1, text); }

QAction *item(QWidget *w, const char *name) { return w->findChild<QAction *>(QString::fromLatin1(name)); }

} // namespace

class TestVBScriptEditor : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void theTreeHoldsTheObjectsAndTheirMembers()
    {
        TVBScriptEditor vb;
        vb.show();
        QCOMPARE(vb.windowTitle(), QStringLiteral("VBScript Editor"));
        QCOMPARE(vb.findChild<QLabel *>(QStringLiteral("Banner"))->text(), QStringLiteral("Creates a VBScript..."));
        tree::TZozeZONodes *items = vb.ZozeZO1->Items();
        QStringList top;
        for (int i = 0; i < items->Count(); ++i)
            if (items->Item(i)->Level() == 0)
                top << items->Item(i)->Text();
        QCOMPARE(top, TVBScriptEditor::Categories());
        QCOMPARE(top, (QStringList{"History", "Location", "Document", "Form", "Image", "Link", "Frame", "Navigator",
                                   "Plugin", "Date and Time", "Math", "String", "Reserved Words", "Events"}));
        QVERIFY2(items->Count() >= 450 && items->Count() <= 600, qPrintable(QString::number(items->Count())));
        // Every category has members, one level down, and no member is a category.
        for (int i = 0; i < items->Count(); ++i) {
            tree::TZozeZONode *n = items->Item(i);
            QVERIFY(n->Level() <= 1);
            if (n->Level() == 0)
                QVERIFY2(n->Count() > 5, qPrintable(n->Text()));
            else
                QVERIFY2(!top.contains(n->Text()) && !n->Text().isEmpty(), qPrintable(n->Text()));
        }
        for (const char *member : {"history.length", "history.back()", "history.forward()", "history.go()",
                                   "location.hash", "location.host", "location.hostname", "location.href",
                                   "location.pathname", "location.port", "location.protocol", "location.search",
                                   "location.reload()", "window.location.replace(\"\")", "document.alinkColor",
                                   "document.anchors[]", "document.bgColor", "document.cookie"}) {
            tree::TZozeZONode *n = apptest::NodeNamed(vb.ZozeZO1, QString::fromUtf8(member));
            QVERIFY2(n && n->Level() == 1, member);
        }
        QCOMPARE(apptest::NodeNamed(vb.ZozeZO1, QStringLiteral("history.back()"))->Parent()->Text(), QStringLiteral("History"));
    }

    void membersGoToTheCaretAndCategoriesGiveNothing()
    {
        TVBScriptEditor vb;
        vb.show();
        doubleClick(vb, QStringLiteral("Math"));
        QCOMPARE(vb.RiloMemo1->Text(), QString());
        doubleClick(vb, QStringLiteral("history.back()"));
        QCOMPARE(vb.RiloMemo1->Text(), QStringLiteral("history.back()"));
        // In place of the selection.
        vb.RiloMemo1->Select(0, 7);
        doubleClick(vb, QStringLiteral("window.location.replace(\"\")"));
        QCOMPARE(vb.RiloMemo1->Text(), QStringLiteral("window.location.replace(\"\").back()"));
        for (const QString &category : TVBScriptEditor::Categories()) {
            doubleClick(vb, category);
            QCOMPARE(vb.RiloMemo1->Text(), QStringLiteral("window.location.replace(\"\").back()"));
        }
        // The document editor's menus: Edit only besides File, with its pop-up twin.
        QVERIFY(item(&vb, "Find1") && item(&vb, "FindNext1") && item(&vb, "Replace1") && item(&vb, "Undo1"));
        QCOMPARE(vb.PopupMenu1->actions(), vb.Edit1->actions());
    }

    void findAndReplaceReportWhatIsNotThere()
    {
        TVBScriptEditor vb;
        vb.show();
        vb.RiloMemo1->SetSelText(QStringLiteral("Dim a\r\na = 1\r\na = 2"));
        // One occurrence per press, the first in the whole text whatever the caret.
        QVERIFY(vb.ReplaceOnce(QStringLiteral("a = "), QStringLiteral("b = ")));
        QCOMPARE(vb.RiloMemo1->Text(), QStringLiteral("Dim a\r\nb = 1\r\na = 2"));
        apptest::User user;
        user.Click(QStringLiteral("OK")).Click(QStringLiteral("OK"));
        QVERIFY(!vb.ReplaceOnce(QStringLiteral("A = "), QStringLiteral("c = ")));
        QVERIFY(!vb.DoFind(QStringLiteral("Wend"), true, false, false));
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList({QStringLiteral("Could not find \"A = \""), QStringLiteral("Search string not found!")}));
        QVERIFY(vb.DoFind(QStringLiteral("a = 2"), true, false, false));
        QCOMPARE(vb.RiloMemo1->SelText(), QStringLiteral("a = 2"));
    }

    void saveAsWritesTheScriptOrKeepsItAndSaysWhy()
    {
        TVBScriptEditor vb;
        vb.show();
        vb.RiloMemo1->SetSelText(QStringLiteral("MsgBox \"x\""));
        const QString path = dir.filePath(QStringLiteral("v.js"));
        {
            apptest::User user;
            user.TypeFileName(path);
            item(&vb, "SaveAs1")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(platform::ReadWholeFile(path), QByteArray("MsgBox \"x\""));
        // A folder nobody may write in (not even root): the reason is shown and the script stays.
        {
            apptest::User user;
            user.TypeFileName(QStringLiteral("/proc/v.js")).Click(QStringLiteral("OK"));
            item(&vb, "SaveAs1")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts.size(), 1);
            QVERIFY2(user.Texts.at(0).contains(QStringLiteral("/proc/v.js")), qPrintable(user.Texts.at(0)));
        }
        QVERIFY(vb.isVisible());
        QCOMPARE(vb.RiloMemo1->Text(), QStringLiteral("MsgBox \"x\""));
    }

    void closeAndInsertGoesThroughTheRelay()
    {
        TFrameForm frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.Start2->click();
        TEditForm *doc = frame.ActiveEditForm();
        doc->ReplaceText(QStringLiteral("<BODY>\r\n"));
        doc->RiloMemo1->ClearUndo();
        doc->RiloMemo1->Select(8, 0);
        QStringList relayed;
        const app::TNotifyEvent insert = frame.Memo1->OnChange;
        frame.Memo1->OnChange = [&](QObject *s) {
            if (!frame.Memo1->Text().isEmpty())
                relayed << frame.Memo1->Text();
            insert(s);
        };
        QAction *open = apptest::DocItem(doc, "VBScriptEditor1");
        QVERIFY(open && open->isEnabled());
        QPointer<TVBScriptEditor> seen;
        apptest::User user;
        user.Then([&seen](QWidget *w) {
            auto *vb = qobject_cast<TVBScriptEditor *>(w);
            if (!vb)
                return false;
            seen = vb;
            doubleClick(*vb, QStringLiteral("document.bgColor"));
            QTest::keyClicks(vb->RiloMemo1, QStringLiteral(" = \"#ffffff\""));
            item(vb, "CloseandinsertScript1")->trigger();
            return true;
        });
        open->trigger();
        apptest::Settle();
        frame.Memo1->OnChange = insert;
        QVERIFY(user.Done());
        QCOMPARE(relayed, QStringList{QStringLiteral("document.bgColor = \"#ffffff\"")});
        QCOMPARE(doc->Text(), QStringLiteral("<BODY>\r\ndocument.bgColor = \"#ffffff\""));
        QVERIFY(frame.Memo1->Text().isEmpty());
        QVERIFY(!seen);
        doc->RiloMemo1->Undo();
        QCOMPARE(doc->Text(), QStringLiteral("<BODY>\r\n"));

        // Exit inserts nothing.
        apptest::User leave;
        leave.Then([](QWidget *w) {
            auto *vb = qobject_cast<TVBScriptEditor *>(w);
            if (!vb)
                return false;
            vb->RiloMemo1->SetSelText(QStringLiteral("Dim x"));
            item(vb, "Exit1")->trigger();
            return true;
        });
        open->trigger();
        apptest::Settle();
        QVERIFY(leave.Done());
        QCOMPARE(doc->Text(), QStringLiteral("<BODY>\r\n"));
        apptest::CloseAll(frame);
    }
};

K5_TEST_MAIN(TestVBScriptEditor)
#include "test_vbscripteditor.moc"
