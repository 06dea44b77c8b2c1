// The signature, the clip book, the clip art and the XML text, through the document's menu items and the
// real windows: a signature saved once is inserted by later documents and after a restart, the clip book
// inserts all or the selection and writes only on Save, and the clip art inserts its picture's full path.
#include "k5test.h"
#include "apptest.h"

#include "app/assistantforms.h"
#include "app/assistants/clipbook.h"
#include "app/assistants/signature.h"
#include "app/dialogs/unit_clipart.h"
#include "controls/zel/explorer.h"
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvgifanimator.h"
#include "platform/folders.h"

#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

using app::TEditForm;
using app::TFrameForm;

namespace {

QString programFile(const char *name)
{
    return platform::ProgramFile(QString::fromLatin1(name));
}

} // namespace

class TestSignatureClips : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    TEditForm *newDocument()
    {
        TEditForm *doc = frame->CreateEditForm();
        doc->ReplaceText(QString());
        return doc;
    }
    void trigger(TEditForm *doc, const char *item)
    {
        auto *a = doc->findChild<QAction *>(QString::fromLatin1(item));
        QVERIFY2(a && a->isEnabled(), item);
        a->trigger();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { delete frame; }
    void cleanup()
    {
        apptest::CloseAll(*frame);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != frame && w->isVisible() && !qobject_cast<QMenu *>(w))
                w->close();
        apptest::Settle();
    }

    void signatureIsKeptForLaterDocumentsAndRestarts()
    {
        QFile::remove(assistants::TSignature::FilePath());
        delete app::Signature();
        TEditForm *first = newDocument();
        QCOMPARE(app::Signature()->Memo1->toPlainText(), QStringLiteral("NO SIGNATURE!"));
        // "Edit Signature...": the user writes it and presses OK: saved, and inserted at the caret.
        k5test::User user;
        user.Then([](QWidget *w) {
                auto *memo = w->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
                if (!memo || w->objectName() != QLatin1String("Signature"))
                    return false;
                memo->selectAll();
                memo->setFocus();
                QTest::keyClicks(memo, QStringLiteral("Ann Example"));
                QTest::keyClick(memo, Qt::Key_Return);
                QTest::keyClicks(memo, QStringLiteral("ann@example.org"));
                return true;
            })
            .Click(QStringLiteral("&Ok"));
        trigger(first, "EditSignature1");
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(first->Text(), QStringLiteral("Ann Example\r\nann@example.org"));
        QCOMPARE(k5test::ReadFile(assistants::TSignature::FilePath()), QByteArray("Ann Example\r\nann@example.org"));
        QCOMPARE(frame->Memo1->Text(), QString());

        // Cancel changes nothing, and the next showing reads the saved text again.
        user.Then([](QWidget *w) {
                auto *memo = w->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
                if (!memo)
                    return false;
                memo->setPlainText(QStringLiteral("not kept"));
                return true;
            })
            .Click(QStringLiteral("&Cancel"));
        trigger(first, "Signature1");
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(first->Text(), QStringLiteral("Ann Example\r\nann@example.org"));

        // A later document adds it without a window.
        TEditForm *second = newDocument();
        trigger(second, "Signature2");
        apptest::Settle();
        QCOMPARE(second->Text(), QStringLiteral("Ann Example\r\nann@example.org"));
        QVERIFY(user.Texts.isEmpty());

        // After a restart (a new signature window) it is there too.
        delete app::Signature();
        QCOMPARE(app::Signature()->Memo1->toPlainText(), QStringLiteral("Ann Example\nann@example.org"));
        TEditForm *third = newDocument();
        trigger(third, "Signature2");
        apptest::Settle();
        QCOMPARE(third->Text(), QStringLiteral("Ann Example\r\nann@example.org"));
    }

    void signatureFileThatDoesNotReadIsNotReplacedUnseen()
    {
        const QByteArray bad("sig\0nature", 10);
        k5test::WriteFile(assistants::TSignature::FilePath(), bad);
        TEditForm *doc = newDocument();
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        trigger(doc, "Signature2");
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QCOMPARE(doc->Text(), QString());
        QCOMPARE(k5test::ReadFile(assistants::TSignature::FilePath()), bad);
    }

    void clipBookInsertsAndWritesOnlyOnSave()
    {
        k5test::WriteFile(assistants::TClipBook::FilePath(), "first line\r\nsecond line\r\n");
        TEditForm *doc = newDocument();
        trigger(doc, "ClipBook1");
        assistants::TClipBook *book = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                if (auto *b = qobject_cast<assistants::TClipBook *>(w))
                    book = b;
        QVERIFY(book);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(book->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(book->Memo1->toPlainText(), QStringLiteral("first line\nsecond line\n"));
        // Nothing selected: "Insert Selected" inserts nothing.
        QTest::mouseClick(book->InsertSelected, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(doc->Text(), QString());
        QTextCursor c = book->Memo1->textCursor();
        c.setPosition(6);
        c.setPosition(17, QTextCursor::KeepAnchor);
        book->Memo1->setTextCursor(c);
        QTest::mouseClick(book->InsertSelected, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(doc->Text(), QStringLiteral("line\r\nsecond"));
        doc->ReplaceText(QString());
        QTest::mouseClick(book->InsertAll, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(doc->Text(), QStringLiteral("first line\r\nsecond line\r\n"));
        // Save writes the memo; Close does not.
        book->Memo1->setPlainText(QStringLiteral("saved"));
        QTest::mouseClick(book->Save, Qt::LeftButton);
        QCOMPARE(k5test::ReadFile(assistants::TClipBook::FilePath()), QByteArray("saved"));
        book->Memo1->setPlainText(QStringLiteral("dropped"));
        QPointer<assistants::TClipBook> guard(book);
        QTest::mouseClick(book->Close, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(!guard);
        QCOMPARE(k5test::ReadFile(assistants::TClipBook::FilePath()), QByteArray("saved"));
        // Each menu choice makes a clip book of its own, read from the file.
        assistants::TClipBook *again = app::OpenClipBook(frame);
        QCOMPARE(again->Memo1->toPlainText(), QStringLiteral("saved"));
        again->close();
    }

    void clipArtInsertsThePicturesFullPath()
    {
        // The shipped pictures are in the program folder, in their six categories, and read as GIFs.
        for (const QString &category : dialogs::TClipart::Categories()) {
            const QStringList gifs = QDir(dialogs::TClipart::CategoryFolder(category)).entryList({QStringLiteral("*.gif")});
            QVERIFY2(gifs.size() >= 3, qPrintable(category));
            for (const QString &g : gifs) {
                gfx::TGIFImage image;
                image.ReadGIF(k5test::ReadFile(QDir(dialogs::TClipart::CategoryFolder(category)).filePath(g)), true);
                QVERIFY2(image.Count() >= 1 && image.Width() > 0, qPrintable(g));
            }
        }
        TEditForm *doc = newDocument();
        k5test::User user;
        user.Then([](QWidget *w) {
                auto *art = qobject_cast<dialogs::TClipart *>(w);
                if (!art)
                    return false;
                art->ComboBox1->setCurrentText(QStringLiteral("Balls"));
                QListWidget *list = art->FileListBox1;
                const auto found = list->findItems(QStringLiteral("ball_red.gif"), Qt::MatchExactly);
                if (found.size() != 1)
                    return true; // the comparison below tells
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.at(0)).center());
                return true;
            })
            .Click(QStringLiteral("&Ok"));
        trigger(doc, "Clipart1");
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(doc->Text(), QStringLiteral("<IMG SRC=\"%1\">").arg(programFile("Clipart/Balls/ball_red.gif")));
        // Cancel inserts nothing.
        user.Click(QStringLiteral("&Cancel"));
        trigger(doc, "Clipart1");
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(doc->Text(), QStringLiteral("<IMG SRC=\"%1\">").arg(programFile("Clipart/Balls/ball_red.gif")));
        QVERIFY(user.Texts.isEmpty());
    }

    void xmlTextInsertsTheMemo()
    {
        TEditForm *doc = newDocument();
        k5test::User user;
        user.Then([](QWidget *w) {
                auto *memo = w->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
                if (!memo || w->windowTitle() != QLatin1String("XML Text"))
                    return false;
                memo->setFocus();
                QTest::keyClicks(memo, QStringLiteral("<note>"));
                QTest::keyClick(memo, Qt::Key_Return);
                QTest::keyClicks(memo, QStringLiteral("</note>"));
                return true;
            })
            .Click(QStringLiteral("&Ok"));
        trigger(doc, "Text1");
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(doc->Text(), QStringLiteral("<note>\r\n</note>"));
        QVERIFY(user.Texts.isEmpty());
    }
};

K5_TEST_MAIN(TestSignatureClips)
#include "test_signatureclips.moc"
