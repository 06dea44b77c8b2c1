// The find dialog of the document window and of the script editor, used with the keyboard: the text it
// offers is selected, so typing replaces it; after "Search string not found!" it stays open with the text
// selected, so the user types a better one and never into the page.
#include "k5test.h"
#include "apptest.h"

#include "app/dialogs/finddialogs.h"
#include "app/scripteditor.h"

#include <QLineEdit>

using app::TEditForm;

namespace {

// Keys go where the focus is, as they do for a user.
void typeKeys(const QString &text)
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClicks(focus, text);
}

void press(Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, key);
}

} // namespace

class TestFinding : public QObject {
    Q_OBJECT
    app::TFrameForm *frame = nullptr;

    // The dialog is up, active, and its field holds `text`, all of it selected and with the focus.
    static void offersSelected(dialogs::TFindDialog *d, const QString &text)
    {
        QVERIFY(d && d->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(d));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->FindEdit));
        QCOMPARE(d->FindEdit->text(), text);
        QCOMPARE(d->FindEdit->selectedText(), text);
    }

    // The window system gives the activation back to the window under a dialog that went (offscreen it
    // does not).
    static void backTo(QWidget *window)
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    // Searches the page from the dialog with Enter; a "not found" is answered with the box's OK.
    static QStringList enter(QWidget *)
    {
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        press(Qt::Key_Return);
        apptest::Settle();
        return user.Texts;
    }

private slots:
    void initTestCase() { QVERIFY(apptest::ShowFrame(frame)); }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }

    void theDocumentWindowsFindDialog()
    {
        const QString page = QStringLiteral("<P>say hello world</P>");
        TEditForm *doc = apptest::DocWith(*frame, page);
        doc->RiloMemo1->SetSelStart(9); // in "hello"
        apptest::DocItem(doc, "Find2")->trigger();
        dialogs::TFindDialog *d = doc->FindDialog1;
        offersSelected(d, QStringLiteral("hello"));

        // Typing replaces the offered word; a word the page lacks is reported and the dialog stays, its
        // text selected, so the next typing goes into it, not into the page.
        typeKeys(QStringLiteral("absent"));
        QCOMPARE(d->FindEdit->text(), QStringLiteral("absent"));
        QCOMPARE(enter(d), QStringList{QStringLiteral("Search string not found!")});
        offersSelected(d, QStringLiteral("absent"));
        typeKeys(QStringLiteral("world"));
        QCOMPARE(d->FindEdit->text(), QStringLiteral("world"));
        QCOMPARE(doc->Text(), page);

        // Found: the match is selected in the page and the dialog goes.
        QVERIFY(enter(d).isEmpty());
        QVERIFY(!d->isVisible());
        QCOMPARE(doc->RiloMemo1->SelText(), QStringLiteral("world"));
        QCOMPARE(doc->Text(), page);

        // Opened again, it offers the selection, selected.
        backTo(frame);
        apptest::DocItem(doc, "Find2")->trigger();
        offersSelected(d, QStringLiteral("world"));
        typeKeys(QStringLiteral("say"));
        QCOMPARE(d->FindEdit->text(), QStringLiteral("say"));
        d->hide();
        QCOMPARE(doc->Text(), page);
        apptest::CloseAll(*frame);
    }

    void theScriptEditorsFindDialog()
    {
        app::TJavaScript editor(frame);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QString script = QStringLiteral("var total = 0;");
        editor.RiloMemo1->SetTextBuf(script);
        editor.RiloMemo1->SetSelStart(5); // in "total"
        editor.FindClick();
        dialogs::TFindDialog *d = editor.FindDialog1;
        offersSelected(d, QStringLiteral("total"));
        typeKeys(QStringLiteral("missing"));
        QCOMPARE(enter(d), QStringList{QStringLiteral("Search string not found!")});
        offersSelected(d, QStringLiteral("missing"));
        typeKeys(QStringLiteral("var"));
        QCOMPARE(d->FindEdit->text(), QStringLiteral("var"));
        QCOMPARE(editor.RiloMemo1->Text(), script);
        d->hide();
        // Opened again, the text it offers is selected.
        backTo(&editor);
        editor.RiloMemo1->SetSelStart(1);
        editor.FindClick();
        offersSelected(d, QStringLiteral("var"));
        d->hide();
    }
};

K5_TEST_MAIN(TestFinding)
#include "test_finding.moc"
