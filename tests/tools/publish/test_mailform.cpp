#include "mailtest.h"
#include "tools/publish/maildialogs.h"
#include "tools/publish/mailform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <stdexcept>

using namespace publish;

namespace {

QLineEdit *fileNameEdit(QWidget *w)
{
    auto *d = qobject_cast<QFileDialog *>(w);
    auto *e = d ? d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
    return e && e->isVisible() ? e : nullptr;
}

// Types a path into the open dialog's name box and presses Enter.
k5test::ModalHand::Action chooseFile(const QString &path)
{
    return [path](QWidget *w) {
        QLineEdit *e = fileNameEdit(w);
        if (!e)
            return false;
        e->setFocus();
        e->setText(path);
        QTest::keyClick(e, Qt::Key_Return);
        return true;
    };
}

// Opens the body's popup menu as a right click would.
void openPopup(TfrmMail &f)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), f.MessageText->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(f.MessageText->viewport(), &event);
    QTRY_VERIFY(f.PopupMenu1->isVisible());
}

} // namespace

class TestMailForm : public QObject {
    Q_OBJECT

private slots:
    void init() { k5test::ResetEnvironment(); }
    void cleanup() { k5test::FlushEvents(); }

    void windowOpensAfterAFailedLogon()
    {
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("Cancel")).Click(QStringLiteral("OK"));
        TfrmMail f;
        QVERIFY(hand.Done());
        QCOMPARE(hand.Seen, QStringList{QStringLiteral("MAPI Logon failed.")});
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.windowTitle(), QStringLiteral("New Message - Dezov Eriz"));
        QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    void showingClearsTheFields()
    {
        k5test::UseMailServer(25);
        TfrmMail f;
        f.txtRecipient->setText(QStringLiteral("x@y.org"));
        f.txtSubject->setText(QStringLiteral("s"));
        f.MessageText->setPlainText(QStringLiteral("body"));
        f.AddAttachment(QStringLiteral(K5_SOURCE_DIR "/CMakeLists.txt"));
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QVERIFY(f.txtRecipient->text().isEmpty() && f.txtSubject->text().isEmpty());
        QVERIFY(f.MessageText->toPlainText().isEmpty());
        QCOMPARE(f.lvAttachments->count(), 0);
        QVERIFY(!f.lvAttachments->isVisible() && !f.pnlVSplit->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), f.txtRecipient);
        QVERIFY(!f.btnDeleteAttach->isEnabled());
    }

    // A send without names is stopped with a message; only a Cc name is enough; the To text is split.
    void sendingThroughTheWindow()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QCOMPARE(hand.Seen, QStringList{QStringLiteral("There must be at least one name in the To or CC box.")});
        QVERIFY(f.isVisible());

        QTest::keyClicks(f.txtCC, QStringLiteral("cc@example.org"));
        QTest::keyClicks(f.txtSubject, QStringLiteral("Only Cc"));
        QTest::keyClicks(f.MessageText, QStringLiteral("Hello"));
        QVERIFY(f.chkReceipt->isVisible());
        QTest::mouseClick(f.chkReceipt, Qt::LeftButton);
        QVERIFY(f.Email1->Acknowledge);
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QVERIFY(server.WaitForMessages(1));
        k5test::DeliveredMail got = server.Messages().at(0);
        QCOMPARE(got.recipients, QStringList{QStringLiteral("cc@example.org")});
        QCOMPARE(got.Header(QStringLiteral("Subject")), QStringLiteral("Only Cc"));
        QCOMPARE(got.Body(), QStringLiteral("Hello\r\n")); // mail data always ends with a line break
        QVERIFY(got.HasHeader(QStringLiteral("Disposition-Notification-To")));

        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral(" a@example.org;; b@example.org ;"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(server.WaitForMessages(2));
        QCOMPARE(server.Messages().at(1).recipients,
                 QStringList({QStringLiteral("a@example.org"), QStringLiteral("b@example.org")}));
    }

    // Odd spaces pasted into the body reach the server as they were pasted, not as blanks.
    void pastedSpacesAreSentAsPasted()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral("a@example.org"));
        const QString pasted = QStringLiteral("1\u00A0000\u2007km\u202Fh\u3000end\ntwo\u00A0lines");
        QApplication::clipboard()->setText(pasted);
        f.MessageText->setFocus();
        QTest::keyClick(f.MessageText, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(server.WaitForMessages(1));
        QCOMPARE(server.Messages().at(0).Body(), QString(pasted).replace(QStringLiteral("\n"), QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    }

    // An attachment gone or unreadable by the time of sending is named in the message, with the reason.
    void aRefusedAttachmentIsNamed()
    {
        QTemporaryDir dir;
        const QString gone = k5test::WriteFile(dir.path() + QStringLiteral("/gone.txt"), "1");
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral("a@example.org"));
        f.AddAttachment(gone);
        QVERIFY(QFile::remove(gone));
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QCOMPARE(hand.Seen.size(), 1);
        QVERIFY2(hand.Seen[0].startsWith(QStringLiteral("MAPI Sendmail failed.\n\nCannot open file \"%1\". ").arg(gone)),
                 qPrintable(hand.Seen[0]));
        QVERIFY(f.isVisible());

        // A folder put where the file was cannot be read either.
        QVERIFY(QDir().mkdir(gone));
        hand.Seen.clear();
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QCOMPARE(hand.Seen.size(), 1);
        QVERIFY2(hand.Seen[0].contains(QStringLiteral("\"%1\". ").arg(gone)), qPrintable(hand.Seen[0]));
        QVERIFY(server.Messages().isEmpty());
    }

    // An attachment that is no file is said above the mail window, in one form with one full stop.
    void aRefusedAttachmentIsSaidAboveTheMailWindow()
    {
        QTemporaryDir dir;
        k5test::NotFiles names(dir.path(), QStringLiteral("x"), QStringLiteral("txt"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        const k5test::ClosedPort closed;
        k5test::UseMailServer(closed.Port());
        TfrmMail f;
        f.show();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral("a@example.org"));
        f.AddAttachment(names.Pipe);
        k5test::Answerer answers;
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QCOMPARE(answers.Messages().size(), 1);
        QCOMPARE(answers.Messages()[0].parent, &f);
        QCOMPARE(answers.Messages()[0].text,
                 QStringLiteral("MAPI Sendmail failed.\n\nCannot open file \"%1\". It is a named pipe, not a file.").arg(names.Pipe));
    }

    // A server that is down, or one that refuses the login: the message says why, beside the failure.
    void aFailedSendSaysWhy()
    {
        const k5test::ClosedPort closed;
        const quint16 port = closed.Port();
        k5test::UseMailServer(port);
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral("a@example.org"));
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(hand.Done());
        QCOMPARE(hand.Seen.size(), 1);
        const QString down = QStringLiteral("MAPI Sendmail failed.\n\nThe mail server 127.0.0.1 (port %1) could not be reached. ")
                                 .arg(port);
        QVERIFY2(hand.Seen[0].startsWith(down), qPrintable(hand.Seen[0]));
        QVERIFY2(hand.Seen[0].size() > down.size(), qPrintable(hand.Seen[0])); // and the connection's own words
        QVERIFY(f.isVisible());

        k5test::SmtpServer server;
        QVERIFY(server.Start({QStringLiteral("--user"), QStringLiteral("me"), QStringLiteral("--password"), QStringLiteral("right")}));
        k5test::UseMailServer(server.Port(), QStringLiteral("me"), QStringLiteral("wrong"));
        TfrmMail g;
        g.show();
        QVERIFY(QTest::qWaitForWindowActive(&g));
        QTest::keyClicks(g.txtRecipient, QStringLiteral("a@example.org"));
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(g.btnSend, Qt::LeftButton);
        QVERIFY(hand.Done());
        QCOMPARE(hand.Seen.size(), 2);
        const QString refused = QStringLiteral("MAPI Sendmail failed.\n\nThe mail server 127.0.0.1 (port %1) refused the login. "
                                               "The server answered: 535").arg(server.Port());
        QVERIFY2(hand.Seen[1].startsWith(refused), qPrintable(hand.Seen[1]));
        QVERIFY(server.Messages().isEmpty());
    }

    // Each failed send tells its own reason, not the one of the failure before it.
    void aSecondFailureTellsItsOwnReason()
    {
        const k5test::ClosedPort closed;
        k5test::UseMailServer(closed.Port());
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral("a@example.org"));
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(hand.Done());
        QCOMPARE(hand.Seen.size(), 1);
        QVERIFY2(hand.Seen[0].contains(QStringLiteral("could not be reached")), qPrintable(hand.Seen[0]));

        // Now an attachment that went away meanwhile stops the send before the server is asked.
        const QString gone = k5test::WriteFile(k5test::Root() + QStringLiteral("/gone.txt"), "x");
        f.AddAttachment(gone);
        QVERIFY(QFile::remove(gone));
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(hand.Done());
        QCOMPARE(hand.Seen.size(), 2);
        QCOMPARE(hand.Seen[1],
                 QStringLiteral("MAPI Sendmail failed.\n\nCannot open file \"%1\". No such file or directory.").arg(gone));
        QVERIFY(f.isVisible());
    }

    // Files come in through the real open dialog; a failed send and a retry attach each file once.
    void attachmentsAndRetry()
    {
        QTemporaryDir dir;
        const QString one = k5test::WriteFile(dir.path() + QStringLiteral("/one.txt"), "1");
        const QString two = k5test::WriteFile(dir.path() + QStringLiteral("/two.txt"), "2");
        k5test::SmtpServer server;
        QVERIFY(server.Start({QStringLiteral("--refuse"), QStringLiteral("gone@example.org")}));
        k5test::UseMailServer(server.Port());
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        k5test::ModalHand hand;
        hand.Then(chooseFile(one));
        QTest::mouseClick(f.BtnAttach, Qt::LeftButton);
        QVERIFY(hand.Done());
        hand.Then(chooseFile(two));
        QTest::mouseClick(f.BtnAttach, Qt::LeftButton);
        QCOMPARE(f.lvAttachments->count(), 2);
        QVERIFY(f.lvAttachments->isVisible() && f.pnlVSplit->isVisible());
        QCOMPARE(f.lvAttachments->item(0)->text(), QStringLiteral("one.txt"));

        // Dragging the splitter up makes the list taller.
        const int before = f.lvAttachments->height();
        QTest::mousePress(f.pnlVSplit, Qt::LeftButton, {}, QPoint(10, 2));
        QMouseEvent move(QEvent::MouseMove, QPointF(10, -30), f.pnlVSplit->mapToGlobal(QPointF(10, -30)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.pnlVSplit, &move);
        QTest::mouseRelease(f.pnlVSplit, Qt::LeftButton, {}, QPoint(10, -30));
        QCOMPARE(f.lvAttachments->height(), before + 30);

        // Delete the second one, selected with a click.
        const QRect r = f.lvAttachments->visualItemRect(f.lvAttachments->item(1));
        QTest::mouseClick(f.lvAttachments->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(f.btnDeleteAttach->isEnabled());
        QTest::mouseClick(f.btnDeleteAttach, Qt::LeftButton);
        QCOMPARE(f.lvAttachments->count(), 1);
        QVERIFY(!f.btnDeleteAttach->isEnabled());

        QTest::keyClicks(f.txtRecipient, QStringLiteral("gone@example.org"));
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QCOMPARE(hand.Seen, QStringList{QStringLiteral("MAPI Sendmail failed.\n\nA recipient was not accepted. The server "
                                                       "answered: 550 5.1.1 <gone@example.org>: Recipient address rejected")});
        QVERIFY(f.isVisible());
        QVERIFY(server.Messages().isEmpty());
        f.txtRecipient->clear();
        QTest::keyClicks(f.txtRecipient, QStringLiteral("here@example.org"));
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(server.WaitForMessages(1));
        const QJsonArray att = server.Messages().at(0).Attachments();
        QCOMPARE(att.size(), 1);
        QCOMPARE(att[0][QStringLiteral("filename")].toString(), QStringLiteral("one.txt"));

        // Removing the last one hides the list and the splitter again.
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.AddAttachment(one);
        f.lvAttachments->setFocus();
        f.lvAttachments->item(0)->setSelected(true);
        QTest::mouseClick(f.btnDeleteAttach, Qt::LeftButton);
        QVERIFY(!f.lvAttachments->isVisible() && !f.pnlVSplit->isVisible());
    }

    // A send that throws leaves no wait cursor behind, whatever it throws, and a cursor set by someone
    // else stays where it was.
    void aThrowingSendTakesItsWaitCursorAway()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral("to@example.org"));
        std::function<void()> fail;
        connect(f.Email1, &TEmail::BeforeSendMail, &f, [&] {
            QCOMPARE(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
                     Qt::WaitCursor);
            fail();
        });
        // Our own error is shown in the window's message box, without the wait cursor.
        fail = [] { throw platform::Error(QStringLiteral("The hook failed.")); };
        k5test::ModalHand hand;
        // The cursor while the message shows, and the message.
        QList<std::pair<Qt::CursorShape, QString>> shown;
        auto answer = [&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box)
                return false;
            const QCursor *c = QApplication::overrideCursor();
            shown << std::pair{c ? c->shape() : Qt::ArrowCursor, box->text()};
            for (QAbstractButton *b : box->findChildren<QAbstractButton *>())
                if (b->isVisible() && b->text().remove(QLatin1Char('&')) == QLatin1String("OK")) {
                    QTest::mouseClick(b, Qt::LeftButton);
                    return true;
                }
            return false;
        };
        hand.Then(answer);
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(hand.Done());
        QCOMPARE(shown, (QList<std::pair<Qt::CursorShape, QString>>{{Qt::ArrowCursor, QStringLiteral("The hook failed.")}}));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(f.isVisible());
        // Anything else goes on to the program's handler, and the cursor is gone as well.
        QStringList handled;
        platform::Application::SetExceptionHandler(
            [&](const std::exception &e) { handled << QString::fromUtf8(e.what()); });
        struct Restore {
            ~Restore()
            {
                platform::Application::SetExceptionHandler(nullptr);
                while (QApplication::overrideCursor())
                    QApplication::restoreOverrideCursor();
            }
        } restore;
        fail = [] { throw std::runtime_error("out of memory, say"); };
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QCOMPARE(handled, QStringList{QStringLiteral("out of memory, say")});
        QVERIFY(!QApplication::overrideCursor());
        // A busy cursor of the caller's outlives the failed send.
        QApplication::setOverrideCursor(Qt::BusyCursor);
        fail = [] { throw platform::Error(QStringLiteral("Again.")); };
        hand.Then(answer);
        QTest::mouseClick(f.btnSend, Qt::LeftButton);
        QVERIFY(hand.Done());
        QCOMPARE(shown.last(), (std::pair{Qt::BusyCursor, QStringLiteral("Again.")}));
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor);
        QApplication::restoreOverrideCursor();
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(server.Messages().isEmpty());
    }

    void checkNamesAndAddressBook()
    {
        k5test::UseMailServer(25);
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClicks(f.txtRecipient, QStringLiteral("Bob  <bob@x.org>; nobody; [c@x.org]"));
        QTest::keyClicks(f.txtCC, QStringLiteral("d@x.org; Bob;[SMTP:a@b.c]"));
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnCheckNames, Qt::LeftButton);
        QVERIFY(hand.Done());
        // Names that are no addresses stay as typed, and the message names each of them.
        QCOMPARE(f.txtRecipient->text(), QStringLiteral("Bob <bob@x.org>;nobody;[c@x.org]"));
        QCOMPARE(f.txtCC->text(), QStringLiteral("d@x.org;Bob;[SMTP:a@b.c]"));
        QCOMPARE(hand.Seen.size(), 1);
        QVERIFY2(hand.Seen[0].contains(QStringLiteral("\n\nnobody\nBob\n[SMTP:a@b.c]\n\n")), qPrintable(hand.Seen[0]));
        // With every name an address, nothing is said.
        f.txtCC->setText(QStringLiteral("d@x.org"));
        f.txtRecipient->setText(QStringLiteral("Bob  <bob@x.org>; [c@x.org]"));
        {
            k5test::ModalHand unexpected; // would note a message that should not come
            unexpected.Click(QStringLiteral("OK"));
            QTest::mouseClick(f.btnCheckNames, Qt::LeftButton);
            QVERIFY(!unexpected.Done());
        }
        QCOMPARE(f.txtRecipient->text(), QStringLiteral("Bob <bob@x.org>;[c@x.org]"));

        hand.Type([](QWidget *w) {
                auto *d = qobject_cast<TMailAddressDialog *>(w);
                return d ? d->edtCc : nullptr;
            }, QStringLiteral("e@x.org; f@x.org"))
            .Click(QStringLiteral("OK"));
        QTest::mouseClick(f.btnCc, Qt::LeftButton);
        QVERIFY(hand.Done());
        QCOMPARE(f.txtCC->text(), QStringLiteral("e@x.org;f@x.org"));
        QCOMPARE(f.txtRecipient->text(), QStringLiteral("Bob <bob@x.org>;[c@x.org]"));
    }

    void popupCutCopyPaste()
    {
        k5test::UseMailServer(25);
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QGuiApplication::clipboard()->clear();
        f.MessageText->setFocus();
        QTest::keyClicks(f.MessageText, QStringLiteral("some words"));
        openPopup(f);
        QVERIFY(!f.mnuCut->isEnabled() && !f.mnuCopy->isEnabled() && !f.mnuFont->isEnabled());
        QVERIFY(!f.mnuPaste->isEnabled());
        QTest::keyClick(f.PopupMenu1, Qt::Key_Escape);

        QTest::keyClick(f.MessageText, Qt::Key_A, Qt::ControlModifier);
        openPopup(f);
        QVERIFY(f.mnuCut->isEnabled() && f.mnuCopy->isEnabled());
        QTest::keyClick(f.PopupMenu1, Qt::Key_C);
        QTRY_VERIFY(!f.PopupMenu1->isVisible());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("some words"));
        QCOMPARE(f.MessageText->toPlainText(), QStringLiteral("some words"));

        openPopup(f);
        QTest::keyClick(f.PopupMenu1, Qt::Key_T);
        QTRY_VERIFY(f.MessageText->toPlainText().isEmpty());

        openPopup(f);
        QVERIFY(f.mnuPaste->isEnabled() && !f.mnuCut->isEnabled());
        QTest::keyClick(f.PopupMenu1, Qt::Key_P);
        QTRY_COMPARE(f.MessageText->toPlainText(), QStringLiteral("some words"));

        // Font applies to the selection, chosen in the real font dialog.
        QTest::keyClick(f.MessageText, Qt::Key_A, Qt::ControlModifier);
        k5test::ModalHand hand;
        hand.Then([](QWidget *w) {
                auto *d = qobject_cast<QFontDialog *>(w);
                if (!d)
                    return false;
                // The size box is the line edit that shows a number.
                QLineEdit *size = nullptr;
                for (QLineEdit *e : d->findChildren<QLineEdit *>())
                    if (e->isVisible() && e->text().toInt() > 0)
                        size = e;
                if (!size)
                    return false;
                size->setFocus();
                size->selectAll();
                QTest::keyClicks(size, QStringLiteral("31"));
                return true;
            })
            .Click(QStringLiteral("OK"));
        openPopup(f);
        QTest::keyClick(f.PopupMenu1, Qt::Key_F);
        QTRY_VERIFY(hand.Done());
        QTextCursor c = f.MessageText->textCursor();
        c.setPosition(2);
        QCOMPARE(c.charFormat().font().pointSize(), 31);
    }

    // The edit with the focus gets a grey frame one pixel outside it on the panel behind.
    void focusFrame()
    {
        k5test::UseMailServer(25);
        TfrmMail f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const QColor grey = f.palette().color(QPalette::Disabled, QPalette::WindowText);
        auto frameAt = [&f](QLineEdit *e) {
            const QImage shot = f.pnlInfo->grab().toImage();
            const QPoint corner = e->geometry().topLeft() - QPoint(1, 1);
            return QColor(shot.pixel(corner.x() * shot.width() / f.pnlInfo->width(),
                                     corner.y() * shot.height() / f.pnlInfo->height()));
        };
        QTest::mouseClick(f.txtSubject, Qt::LeftButton);
        QTRY_COMPARE(frameAt(f.txtSubject), grey);
        QVERIFY(frameAt(f.txtCC) != grey);
        QTest::mouseClick(f.txtCC, Qt::LeftButton);
        QTRY_COMPARE(frameAt(f.txtCC), grey);
        QVERIFY(frameAt(f.txtSubject) != grey);
    }
};

K5_TEST_MAIN(TestMailForm)
#include "test_mailform.moc"
