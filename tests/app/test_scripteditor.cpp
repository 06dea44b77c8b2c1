// The JavaScript editor as a user works it: pieces from the tree and the Script menu go to the editor's
// caret (categories give nothing), builders ask in their real dialogs and write into the editor only,
// find and replace report what they cannot find, Save As writes the script or reports why not, and
// "Close and insert Script" hands the whole script over.
#include "k5test.h"
#include "apptest.h"

#include "app/dialogs/finddialogs.h"

#include "app/pagememo.h"
#include "app/scripteditor.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/fileio.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

using app::TJavaScript;

namespace {

void doubleClick(TJavaScript &js, const QString &text) { apptest::DoubleClickNode(js.ZozeZO1, text); }

QAction *item(QWidget *w, const char *name) { return w->findChild<QAction *>(QString::fromLatin1(name)); }

// Fills one field of the builder that comes up and presses its OK button.
k5test::User::Step fillBuilder(const char *field, const QString &value)
{
    const QString name = QString::fromLatin1(field);
    return [name, value](QWidget *w) {
        auto *edit = w->findChild<QLineEdit *>(name);
        if (!edit)
            return false;
        edit->setFocus();
        QTest::keyClicks(edit, value);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        return true;
    };
}

} // namespace

class TestScriptEditor : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void leavesInsertTheirSnippetsAndCategoriesNothing()
    {
        TJavaScript js;
        js.show();
        QCOMPARE(TJavaScript::Leaves().size(), 31);
        QCOMPARE(TJavaScript::Leaves().at(28), QStringLiteral("Yahoo!"));
        doubleClick(js, QStringLiteral("Building Blocks"));
        QCOMPARE(js.RiloMemo1->Text(), QString());
        doubleClick(js, QStringLiteral("Check for Netscape"));
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("if (Browser.netscape) { \r\n}"));
        js.RiloMemo1->SelectAll();
        doubleClick(js, QStringLiteral("Set Cookie Function"));
        QVERIFY(js.RiloMemo1->Text().startsWith(QStringLiteral("// Function    : SetCookie\r\n// Description : Set a cookie value\r\n")));
        js.RiloMemo1->SelectAll();
        doubleClick(js, QStringLiteral("JavaScript Start"));
        doubleClick(js, QStringLiteral("JavaScript End"));
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("<SCRIPT LANGUAGE=\"Javascript\">\r\n<!--\r\n-->\r\n</SCRIPT>\r\n"));
        // Every leaf has its text.
        for (const QString &leaf : TJavaScript::Leaves())
            QVERIFY2(!TJavaScript::SnippetOf(leaf).isEmpty(), qPrintable(leaf));
    }

    void theScriptMenuInsertsAtTheCaret()
    {
        TJavaScript js;
        js.show();
        item(&js, "Version4")->trigger();
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("if (Browser.version<4){ }"));
        js.RiloMemo1->SelectAll();
        item(&js, "Prompt1")->trigger();
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("prompt(\"Message Text\",\"Default Entry\")"));
        js.RiloMemo1->SelectAll();
        item(&js, "DocumentWrite1")->trigger();
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("document.write('Your text here')"));
    }

    void buildersWriteIntoTheEditor()
    {
        apptest::User user;
        user.Then(fillBuilder("Name of Cookie", QStringLiteral("visits")));
        TJavaScript js;
        js.show();
        item(&js, "CallingGetCookie1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("var newCookie = GetCookie(\"visits\");"));

        // Cancel writes nothing.
        apptest::User cancel;
        cancel.Click(QStringLiteral("Cancel"));
        item(&js, "WindowOpen1")->trigger();
        apptest::Settle();
        QVERIFY(cancel.Done());
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("var newCookie = GetCookie(\"visits\");"));
    }

    // The script editor's Replace dialog: its options count, Replace takes one occurrence a press.
    void replaceHonoursTheDialog()
    {
        TJavaScript js;
        js.show();
        js.RiloMemo1->SetSelText(QStringLiteral("Total total subtotal"));
        item(&js, "Replace1")->trigger();
        dialogs::TReplaceDialog *d = js.findChild<dialogs::TReplaceDialog *>();
        QVERIFY(d && d->isVisible());
        QTest::keyClicks(d->FindEdit, QStringLiteral("total"));
        QTest::keyClicks(d->ReplaceEdit, QStringLiteral("sum"));
        QTest::keyClick(d->WholeWordBox, Qt::Key_Space);
        QTest::mouseClick(d->ReplaceButton, Qt::LeftButton);
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("sum total subtotal"));
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("sum sum subtotal"));
        QTest::keyClick(d->WholeWordBox, Qt::Key_Space);
        QTest::keyClick(d->MatchCaseBox, Qt::Key_Space);
        d->FindEdit->setText(QStringLiteral("Sum"));
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(d->ReplaceButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("sum sum subtotal"));
        d->hide();
    }

    // Replace All in both script editors replaces every match, as one undo step.
    void replaceAllReplacesEveryMatchAsOneStep()
    {
        app::TJavaScript js;
        app::TVBScriptEditor vb;
        for (app::TScriptEditor *e : {static_cast<app::TScriptEditor *>(&js), static_cast<app::TScriptEditor *>(&vb)}) {
            e->show();
            e->RiloMemo1->SetSelText(QStringLiteral("a a a a\r\naaaa"));
            e->RiloMemo1->ForceNewRecord();
            item(e, "Replace1")->trigger();
            dialogs::TReplaceDialog *d = e->findChild<dialogs::TReplaceDialog *>();
            QVERIFY(d && d->isVisible());
            d->FindEdit->setText(QStringLiteral("a"));
            d->ReplaceEdit->setText(QStringLiteral("b"));
            QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
            QTRY_VERIFY(!e->Replacing());
            QCOMPARE(e->RiloMemo1->Text(), QStringLiteral("b b b b\r\nbbbb"));
            item(e, "Undo1")->trigger();
            QCOMPARE(e->RiloMemo1->Text(), QStringLiteral("a a a a\r\naaaa"));
            // Matches do not overlap: the search goes on after each one.
            d->FindEdit->setText(QStringLiteral("aa"));
            QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
            QTRY_VERIFY(!e->Replacing());
            QCOMPARE(e->RiloMemo1->Text(), QStringLiteral("a a a a\r\nbb"));
            // Nothing to replace: said so, nothing changed.
            apptest::User user;
            user.Click(QStringLiteral("OK"));
            d->FindEdit->setText(QStringLiteral("zz"));
            QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts, QStringList{QStringLiteral("Could not find \"zz\"")});
            QCOMPARE(e->RiloMemo1->Text(), QStringLiteral("a a a a\r\nbb"));
            d->hide();
        }
    }

    // Replace All over a script of a megabyte, in both editors, is one undo step that gives the script back;
    // one that undo could not keep is asked about first, and No leaves the script as it was.
    void bigReplaceAllIsOneStepOrAskedAboutFirst()
    {
        auto scriptOf = [](int chars) {
            QString s;
            for (int i = 0; s.size() < chars; ++i)
                s += QStringLiteral("var v%1 = a;\r\n").arg(i);
            return s;
        };
        auto replaceAll = [](app::TScriptEditor *e) {
            item(e, "Replace1")->trigger();
            dialogs::TReplaceDialog *d = e->findChild<dialogs::TReplaceDialog *>();
            d->FindEdit->setText(QStringLiteral("= a;"));
            d->ReplaceEdit->setText(QStringLiteral("= b;"));
            QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
            QTRY_VERIFY(!e->Replacing());
            d->hide();
        };
        const QString big = scriptOf(1 << 20);
        {
            app::TJavaScript js;
            app::TVBScriptEditor vb;
            for (app::TScriptEditor *e : {static_cast<app::TScriptEditor *>(&js), static_cast<app::TScriptEditor *>(&vb)}) {
                e->show();
                e->RiloMemo1->SetSelText(big);
                e->RiloMemo1->ForceNewRecord();
                replaceAll(e);
                QVERIFY(!e->RiloMemo1->Text().contains(QStringLiteral("= a;")));
                item(e, "Undo1")->trigger();
                QVERIFY(e->RiloMemo1->Text() == big);
            }
        }
        const app::TPageMemo::UndoRoom room = app::TPageMemo::Room;
        const auto restore = qScopeGuard([room] { app::TPageMemo::Room = room; });
        app::TPageMemo::Room = {1000, 1, 2000};
        const QString script = scriptOf(80000); // more than the room an editor starts with
        app::TJavaScript js;
        app::TVBScriptEditor vb;
        for (app::TScriptEditor *e : {static_cast<app::TScriptEditor *>(&js), static_cast<app::TScriptEditor *>(&vb)}) {
            e->show();
            e->RiloMemo1->SetSelText(script);
            e->RiloMemo1->ForceNewRecord();
            apptest::User user;
            user.Click(QStringLiteral("&No"));
            replaceAll(e);
            apptest::Settle();
            QVERIFY2(user.Done(), qPrintable(user.Texts.join(QLatin1Char('\n'))));
            QCOMPARE(user.Texts.size(), 1);
            QVERIFY(user.Texts.first().contains(QStringLiteral("cannot be undone")));
            QVERIFY(e->RiloMemo1->Text() == script);
            item(e, "Undo1")->trigger(); // what undo held is still there
            QCOMPARE(e->RiloMemo1->Text(), QString());
        }
    }

    // Pieces put in one after another, or before a line, each start a line of their own, and the script
    // they make is one that a JavaScript parser takes.
    void insertionsStartLinesOfTheirOwn()
    {
        apptest::User user;
        user.Then(fillBuilder("Name of Cookie", QStringLiteral("visits")));
        TJavaScript js;
        js.show();
        doubleClick(js, QStringLiteral("Get Cookie Function"));
        doubleClick(js, QStringLiteral("Set Cookie Function"));
        doubleClick(js, QStringLiteral("Set Cookie Value"));
        doubleClick(js, QStringLiteral("Set Cookie Value"));
        item(&js, "Alert1")->trigger();
        item(&js, "DocumentWrite1")->trigger();
        item(&js, "CallingGetCookie1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        js.RiloMemo1->Select(0, 0);
        item(&js, "Version4")->trigger();
        const QString script = js.RiloMemo1->Text();
        for (const char *start : {"var expDate", "alert(", "document.write(", "var newCookie", "// Function    : SetCookie"})
            QVERIFY2(script.contains(QStringLiteral("\r\n") + QString::fromLatin1(start)), start);
        QVERIFY(script.startsWith(QStringLiteral("if (Browser.version<4){ }\r\n")));
        QVERIFY(!script.contains(QStringLiteral(")var")));

        const QString path = dir.filePath(QStringLiteral("made.js"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(script.toUtf8());
        f.close();
        QProcess node;
        node.start(QStringLiteral("node"), {QStringLiteral("--check"), path});
        QVERIFY2(node.waitForStarted(), "node (scripts/packages.txt) checks the script");
        QVERIFY(node.waitForFinished(30000));
        QVERIFY2(node.exitCode() == 0, node.readAllStandardError().constData());
    }

    // A script gains no byte its reader cannot see: the control's style-code keys and Ctrl+P add nothing, and
    // typing and undo go on as before.
    void styleCodeKeysAddNothing()
    {
        TJavaScript js;
        js.show();
        js.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&js));
        js.RiloMemo1->setFocus();
        const QString script = QStringLiteral("var total = 1;");
        js.RiloMemo1->SetSelText(script);
        js.RiloMemo1->Select(4, 5);
        for (Qt::Key k : {Qt::Key_B, Qt::Key_I, Qt::Key_U, Qt::Key_H, Qt::Key_P})
            QTest::keyClick(js.RiloMemo1, k, Qt::ControlModifier);
        QCOMPARE(js.RiloMemo1->Text(), script);
        QTest::keyClick(js.RiloMemo1, Qt::Key_X);
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("var x = 1;"));
        QTest::keyClick(js.RiloMemo1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(js.RiloMemo1->Text(), script);
    }

    void findAndReplaceReportWhatIsNotThere()
    {
        TJavaScript js;
        js.show();
        js.RiloMemo1->SetSelText(QStringLiteral("a = 1; a = 2;"));
        QVERIFY(js.ReplaceOnce(QStringLiteral("a ="), QStringLiteral("b =")));
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("b = 1; a = 2;"));
        QVERIFY(js.ReplaceOnce(QStringLiteral("a ="), QStringLiteral("b =")));
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("b = 1; b = 2;"));

        apptest::User user;
        user.Click(QStringLiteral("OK")).Click(QStringLiteral("OK"));
        QVERIFY(!js.ReplaceOnce(QStringLiteral("a ="), QStringLiteral("c =")));
        QVERIFY(!js.DoFind(QStringLiteral("zzz"), true, false, false));
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList({QStringLiteral("Could not find \"a =\""), QStringLiteral("Search string not found!")}));
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("b = 1; b = 2;"));
    }

    void saveAsWritesTheScriptOrSaysWhyNot()
    {
        TJavaScript js;
        js.show();
        js.RiloMemo1->SetSelText(QStringLiteral("alert(\"x\")"));
        const QString path = dir.filePath(QStringLiteral("s.js"));
        {
            apptest::User user;
            user.TypeFileName(path);
            item(&js, "SaveAs1")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(platform::ReadWholeFile(path), QByteArray("alert(\"x\")"));
        {
            // Saved over it with the user's Yes, the file is replaced whole: a second name made before
            // keeps the old bytes.
            k5test::HardLink old(path);
            QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
            js.RiloMemo1->SetSelText(QStringLiteral("// more\r\n"));
            apptest::User user;
            user.TypeFileName(path).Click(QStringLiteral("Yes"));
            item(&js, "SaveAs1")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(old.Bytes(), QByteArray("alert(\"x\")"));
            QCOMPARE(platform::ReadWholeFile(path), QByteArray("alert(\"x\")// more\r\n"));
        }
        QCOMPARE(js.RiloMemo1->Text(), QStringLiteral("alert(\"x\")// more\r\n"));
    }

    void closeAndInsertHandsOverTheWholeScript()
    {
        auto *js = new TJavaScript;
        js->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<TJavaScript> guard(js);
        QString handed;
        js->OnInsertScript = [&](const QString &s) { handed = s; };
        js->show();
        js->RiloMemo1->SetSelText(QStringLiteral("one\r\ntwo"));
        item(js, "CloseandinsertScript1")->trigger();
        apptest::Settle();
        QCOMPARE(handed, QStringLiteral("one\r\ntwo"));
        QVERIFY(!guard);
    }
};

K5_TEST_MAIN(TestScriptEditor)
#include "test_scripteditor.moc"
