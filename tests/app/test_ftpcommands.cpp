// The FTP items of the document menus: "FTP Settings..." shows the one kept settings window, "FTP..."
// opens the FTP window, and "Transfer to Internet" uploads the page with the stored settings to a real
// server.
#include "k5test.h"
#include "apptest.h"
#include "k5ftpserver.h"

#include "app/launchers.h"
#include "controls/zel/zelstores.h"
#include "platform/folders.h"
#include "tools/publish/bt_ddftp.h"
#include "tools/publish/ftpsettings.h"
#include "tools/publish/ftpupload.h"

#include <QMenu>
#include <QPushButton>

using app::TEditForm;
using app::TFrameForm;

class TestFtpCommands : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    k5test::FtpServer server_;

    QAction *item(TEditForm *d, const char *name) { return apptest::DocItem(d, name); }

private slots:
    void initTestCase()
    {
        QVERIFY(server_.Start());
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase()
    {
        apptest::CloseAll(*frame);
        delete frame;
        QVERIFY(!publish::FTPSettings);
        server_.Stop();
    }

    void settingsWindowIsKeptBetweenUses()
    {
        frame->Start2->click();
        TEditForm *d = frame->ActiveEditForm();
        QAction *settings = item(d, "FTP2");
        QVERIFY(settings && settings->isEnabled());
        publish::TFTPSettings *shown = nullptr;
        apptest::User user;
        user.Then([&shown](QWidget *w) {
            shown = qobject_cast<publish::TFTPSettings *>(w);
            if (!shown)
                return false;
            QTest::keyClicks(shown->Host, QStringLiteral("127.0.0.1"));
            QTest::keyClicks(shown->LoginName, QStringLiteral("k5"));
            QTest::mouseClick(shown->OkButton, Qt::LeftButton);
            return true;
        });
        settings->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(shown && shown == publish::FTPSettings && !shown->isVisible());
        QCOMPARE(shown->windowTitle(), QStringLiteral("FTP Settings"));
        QCOMPARE(app::FtpSettingsWindow(), shown);
        QString host;
        user.Then([shown, &host](QWidget *w) {
            if (w != shown)
                return false;
            host = shown->Host->text();
            QTest::keyClick(w, Qt::Key_Escape);
            return true;
        });
        settings->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(host, QStringLiteral("127.0.0.1"));
        QCOMPARE(publish::FTPSettings, shown);
        apptest::CloseAll(*frame);
    }

    void ftpWindowOpensAndGoes()
    {
        frame->Start2->click();
        TEditForm *d = frame->ActiveEditForm();
        QAction *ftp = item(d, "FTP1");
        QVERIFY(ftp && ftp->isEnabled());
        QPointer<publish::TFtpUpload> shown;
        apptest::User user;
        user.Then([&shown](QWidget *w) {
            shown = qobject_cast<publish::TFtpUpload *>(w);
            if (!shown)
                return false;
            QTest::mouseClick(shown->ExitButton, Qt::LeftButton);
            return true;
        });
        ftp->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(user.Texts.isEmpty());
        QVERIFY(!shown); // made for one use
        apptest::CloseAll(*frame);
    }

    // The page as it is in the editor arrives on the server; an unsaved page asks to be saved first.
    void transferToInternetUploadsThePage()
    {
        publish::TFTPSettings *settings = app::FtpSettingsWindow();
        settings->Host->setText(QStringLiteral("127.0.0.1"));
        settings->LoginName->setText(server_.user);
        settings->Password->setText(server_.password);
        settings->FTP->SetPort(server_.Port());

        frame->Start2->click();
        TEditForm *d = frame->ActiveEditForm();
        d->ReplaceText(QStringLiteral("<P>unsaved</P>"));
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        item(d, "TransfertoInternet1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{QStringLiteral("You must save your document first!")});
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("upload.htm"))));

        const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/site/page.htm"), "<P>old</P>\r\n");
        TEditForm *page = frame->OpenDocument(path, false);
        const QString text = QStringLiteral("<HTML>\r\n<P>new text \u00e9</P>\r\n</HTML>");
        page->ReplaceText(text);
        user.Click(QStringLiteral("OK"));
        item(page, "TransfertoInternet1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.last(), QStringLiteral("Upload complete"));
        // What the editor holds, not what is saved.
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("upload.htm"))), text.toUtf8());
        QCOMPARE(k5test::ReadFile(platform::ProgramFile(QStringLiteral("upload.htm"))), text.toUtf8());
        QCOMPARE(k5test::ReadFile(path), QByteArray("<P>old</P>\r\n"));
        QCOMPARE(page->Text(), text);
        QVERIFY(!settings->FTP->Connected());
        apptest::CloseAll(*frame);
    }
};

K5_TEST_MAIN(TestFtpCommands)
#include "test_ftpcommands.moc"
