// Text entering a page or a script by every route a user has: whatever comes with it, the page gains no
// byte a reader cannot see (the text control's style codes and the other control characters but TAB, CR
// and LF), is saved, and opens again without a word.
#include "k5test.h"
#include "apptest.h"

#include "app/assistantforms.h"
#include "app/assistants/clipbook.h"
#include "app/assistants/signature.h"
#include "app/assistants/templates.h"
#include "app/dialogs/finddialogs.h"
#include "app/scripteditor.h"
#include "app/workflow.h"
#include "controls/qv/qvclock.h"
#include "controls/tree/zozezo.h"
#include "platform/folders.h"

#include <QClipboard>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

using app::TEditForm;
using app::TFrameForm;

namespace {

// Every kind of byte that must not enter: NUL, the style codes, another control character.
const QString Payload = QString::fromLatin1("a\0b\x01" "c\x02" "d\x03" "e\x04" "f\x10" "g\x15" "h", 15);
const QString Clean = QStringLiteral("abcdefgh");
// Files holding NUL are refused by their readers before anything enters: they carry the rest.
QByteArray fileBytes(const QString &payload = Payload) { return QString(payload).remove(QChar(0)).toLatin1(); }
// Lines ended in every way a text from elsewhere ends them: each ends one paragraph of the page, as reading
// the page's file would end it.
const QString LinesPayload = QStringLiteral("1\n2\r3\r\n4");
const QString LinesClean = QStringLiteral("1\r\n2\r\n3\r\n4");

QString program(const char *name) { return platform::ProgramFile(QString::fromLatin1(name)); }

// Pastes the payload into a dialog's field with Ctrl+V, as a user does, and presses its OK.
k5test::User::Step pasteAndOk(const char *field)
{
    const QString name = QString::fromLatin1(field);
    return [name](QWidget *w) {
        QWidget *edit = w->findChild<QWidget *>(name);
        if (!edit)
            return false;
        QGuiApplication::clipboard()->setText(Payload);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        return true;
    };
}

} // namespace

class TestTextEntry : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    TEditForm *open(const QString &path)
    {
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        return frame->ActiveEditForm();
    }
    TEditForm *empty()
    {
        frame->Start2->click();
        TEditForm *doc = apptest::DocWith(*frame, QString());
        doc->RiloMemo1->setFocus();
        return doc;
    }

private slots:
    void initTestCase() { QVERIFY(apptest::ShowFrame(frame)); }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }
    void cleanup()
    {
        apptest::CloseAll(*frame);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != frame && w->isVisible() && !qobject_cast<QMenu *>(w))
                w->close();
        apptest::Settle();
    }

    void noRouteBringsAnInvisibleByteIntoAPage_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QString>("expected");
        for (const char *r : {"typed", "Ctrl+V", "Edit > Paste", "pop-up Paste", "tree drop", "tree double click",
                              "Memo1", "DHTML_Memo", "Tag", "Tag1", "Tag2", "TempMemo"})
            QTest::newRow(r) << QString::fromLatin1(r) << Payload << Clean;
        QTest::newRow("Memo_Project1 page") << "Memo_Project1" << Payload << Clean;
        QTest::newRow("Insert > File...") << "File4" << Payload << Clean;
        QTest::newRow("plugin.qvl") << "plugin" << Payload << Clean + QStringLiteral("\r\n");
        QTest::newRow("custom template") << "template" << Payload << Clean;
        QTest::newRow("signature.qvl") << "signature" << Payload << Clean;
        QTest::newRow("clip book") << "clips" << Payload << Clean;
        QTest::newRow("Comment field paste") << "Comment2" << Payload << QStringLiteral("<!--abcdefgh-->");
        QTest::newRow("JavaScript editor paste") << "JavaScriptEditor2" << Payload << Clean;
        QTest::newRow("VBScript editor paste") << "VBScriptEditor1" << Payload << Clean;
        QTest::newRow("Replace") << "Replace" << Payload << Clean;
        QTest::newRow("Replace All") << "Replace All" << Payload << Clean + QLatin1Char(' ') + Clean;
        // Lines ended with a lone LF or CR: every route that carries lines makes each end one paragraph end.
        for (const char *r : {"Ctrl+V", "Edit > Paste", "pop-up Paste", "tree drop", "tree double click", "Memo1",
                              "DHTML_Memo", "Tag", "Tag1", "Tag2", "TempMemo", "Memo_Project1", "File4", "template",
                              "signature", "clips", "JavaScriptEditor2", "VBScriptEditor1"})
            QTest::newRow(qPrintable(QStringLiteral("%1, lines").arg(QString::fromLatin1(r)))) << QString::fromLatin1(r) << LinesPayload << LinesClean;
        QTest::newRow("plugin, lines") << "plugin" << LinesPayload << LinesClean + QStringLiteral("\r\n");
    }
    void noRouteBringsAnInvisibleByteIntoAPage()
    {
        QFETCH(QString, route);
        QFETCH(QString, payload);
        QFETCH(QString, expected);
        const QByteArray bytes = fileBytes(payload);
        TEditForm *doc = empty();
        textcontrol::TRiloMemo *memo = doc->RiloMemo1;
        apptest::User user;
        if (route == QLatin1String("typed")) {
            for (QChar c : payload)
                QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else if (route == QLatin1String("Ctrl+V")) {
            QGuiApplication::clipboard()->setText(payload);
            QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        } else if (route.endsWith(QLatin1String("Paste"))) {
            QGuiApplication::clipboard()->setText(payload);
            apptest::DocItem(doc, route.startsWith(QLatin1String("Edit")) ? "Paste1" : "Paste2")->trigger();
        } else if (route.startsWith(QLatin1String("tree"))) {
            tree::TZozeZO *tree = doc->TreeView1;
            tree->SetSelected(tree->Items()->Add(nullptr, payload));
            if (route.endsWith(QLatin1String("drop")))
                QVERIFY(doc->DropTreeNode(tree, memo->mapToGlobal(memo->rect().center())));
            else
                doc->TreeDblClick(tree);
        } else if (route == QLatin1String("Memo_Project1")) {
            frame->Memo_Project1->SetText(payload);
            frame->Start2->click();
            doc = frame->ActiveEditForm();
        } else if (auto *relay = frame->findChild<app::TRelay *>(route, Qt::FindDirectChildrenOnly)) {
            relay->SetText(payload);
        } else if (route == QLatin1String("File4")) {
            const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/part.htm"), bytes);
            user.Then([&](QWidget *w) {
                    auto *select = w->findChild<QPushButton *>(QStringLiteral("SelectFile"));
                    if (!select)
                        return false;
                    select->click(); // the file dialog it opens is the next step's
                    return true;
                })
                .TypeFileName(path)
                .Click(QStringLiteral("&Ok"));
            apptest::DocItem(doc, "File4")->trigger();
        } else if (route == QLatin1String("plugin")) {
            qv::ManualClock clock;
            k5test::WriteFile(program("plugin.qvl"), bytes);
            frame->PollPlugin();
            clock.Advance(10000);
            frame->PollPlugin();
            QVERIFY(!QFile::exists(program("plugin.qvl")));
        } else if (route == QLatin1String("template")) {
            k5test::WriteFile(program("sweep.htm"), bytes);
            k5test::WriteFile(program("customtemplates.qvl"), "sweep.htm\r\n");
            std::unique_ptr<assistants::TTemplates3> t(app::CreateTemplates(frame));
            t->show();
            t->PageControl1->setCurrentIndex(2);
            const auto items = t->ListView4->findItems(QStringLiteral("sweep.htm"), Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            t->ListView4->scrollToItem(items.first());
            const QPoint at = t->ListView4->visualItemRect(items.first()).center();
            QTest::mouseClick(t->ListView4->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(t->ListView4->viewport(), Qt::LeftButton, {}, at);
        } else if (route == QLatin1String("signature")) {
            k5test::WriteFile(assistants::TSignature::FilePath(), bytes);
            delete app::Signature();
            apptest::DocItem(doc, "Signature2")->trigger();
        } else if (route == QLatin1String("clips")) {
            k5test::WriteFile(assistants::TClipBook::FilePath(), bytes);
            assistants::TClipBook *book = app::OpenClipBook(frame);
            QTest::mouseClick(book->InsertAll, Qt::LeftButton);
            book->close();
        } else if (route == QLatin1String("Comment2")) {
            user.Then(pasteAndOk("Memo1"));
            apptest::DocItem(doc, "Comment2")->trigger();
        } else if (route.endsWith(QLatin1String("Editor1")) || route.endsWith(QLatin1String("Editor2"))) {
            QString script;
            user.Then([&](QWidget *w) {
                auto *editor = qobject_cast<app::TScriptEditor *>(w);
                if (!editor)
                    return false;
                QGuiApplication::clipboard()->setText(payload);
                editor->RiloMemo1->setFocus();
                editor->Paste1->trigger();
                script = editor->RiloMemo1->Text();
                editor->CloseandinsertScript1->trigger();
                return true;
            });
            apptest::DocItem(doc, route)->trigger();
            apptest::Settle();
            // The script itself holds nothing a reader cannot see, before it reaches the page.
            QCOMPARE(script, expected);
        } else if (route.startsWith(QLatin1String("Replace"))) {
            const bool all = route.endsWith(QLatin1String("All"));
            doc->ReplaceText(all ? QStringLiteral("x x") : QStringLiteral("x"));
            apptest::DocItem(doc, "Replace1")->trigger();
            dialogs::TReplaceDialog *d = doc->ReplaceDialog1;
            d->FindEdit->setText(QStringLiteral("x"));
            d->ReplaceEdit->clear();
            QGuiApplication::clipboard()->setText(payload);
            d->ReplaceEdit->setFocus();
            QTest::keyClick(d->ReplaceEdit, Qt::Key_V, Qt::ControlModifier);
            QTest::mouseClick(all ? d->ReplaceAllButton : d->ReplaceButton, Qt::LeftButton);
            QTRY_VERIFY(!doc->Replacing());
            d->hide();
        } else {
            QFAIL(qPrintable(route));
        }
        apptest::Settle();
        QVERIFY2(user.Done(), qPrintable(user.Texts.join(QLatin1Char('\n'))));
        QCOMPARE(doc->Text(), expected);

        // Saved, it opens again with no message.
        const QString path = k5test::Root() + QStringLiteral("/tmp/entered.htm");
        QFile::remove(path);
        apptest::User saver;
        saver.TypeFileName(path);
        QVERIFY(doc->Saveas1Click());
        QVERIFY(saver.Done());
        doc->Frame()->close();
        apptest::Settle();
        k5test::Answerer a;
        QVERIFY(open(path));
        QVERIFY2(a.Texts().isEmpty(), qPrintable(a.Texts().join(QLatin1Char('\n'))));
        QCOMPARE(frame->ActiveEditForm()->Text(), expected);
        QCOMPARE(k5test::ReadFile(path), expected.toLatin1());
    }

    // A page may hold a control character from its file: undo, and text dragged within the page, put back
    // what was there, byte for byte.
    void whatThePageHeldStaysWhenUndoneOrMoved()
    {
        const QByteArray bytes("<P>one\x0c" "two\x1b</P>\r\n");
        const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/held.htm"), bytes);
        k5test::Answerer a;
        TEditForm *doc = open(path);
        QVERIFY(doc);
        QVERIFY(a.Texts().isEmpty());
        doc->RiloMemo1->SelectAll();
        apptest::DocItem(doc, "Delete1")->trigger();
        QCOMPARE(doc->Text(), QString());
        apptest::DocItem(doc, "Undo1")->trigger();
        QCOMPARE(doc->Text(), QString::fromLatin1(bytes));
        apptest::DocItem(doc, "Redo1")->trigger();
        apptest::DocItem(doc, "Undo1")->trigger();
        QVERIFY(doc->Save1Click());
        QCOMPARE(k5test::ReadFile(path), bytes);

        // "one\f" dragged to the end of the line.
        textcontrol::TRiloMemo *memo = doc->RiloMemo1;
        memo->Select(3, 4);
        const int y = memo->LineHeight() / 2;
        const QPoint from(memo->PosToX(0, 5) + 1, y), to(memo->PosToX(0, 15) + 2, y);
        QTest::mouseMove(memo->viewport(), from);
        QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(memo->viewport(), to);
        QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(doc->Text(), QStringLiteral("<P>two\x1b</P>one\x0c\r\n"));
        QCOMPARE(memo->SelText(), QStringLiteral("one\x0c"));
    }
};

K5_TEST_MAIN(TestTextEntry)
#include "test_textentry.moc"
