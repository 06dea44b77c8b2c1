// The FTP window and the FTP settings window against a real server: settings kept as typed, the
// one-step upload (arrived byte for byte, refused, cancelled, bad host, missing settings) and the
// interactive window's connect, drops and close; every message answered in its real box.
#include "tools/publish/bt_ddftp.h"
#include "tools/publish/ftpsettings.h"
#include "tools/publish/ftpupload.h"

#include "controls/zel/zelstores.h"
#include "platform/application.h"
#include "platform/folders.h"
#include "platform/registry.h"

#include "k5ftpserver.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <QUrl>
#include <QDir>
#include <QtTest>
#include <sys/stat.h>

using namespace publish;

namespace {

// Read and written by its owner alone.
bool privateFile(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & 0777) == 0600;
}

QStringList listed(TBTDragDropFTP *f)
{
    QAbstractItemModel *m = f->findChild<QTreeView *>(QStringLiteral("ListView"))->model();
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, 0).data().toString();
    return out;
}

// Drops local files on the panel as a file manager does.
void drop(TBTDragDropFTP *f, const QStringList &paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f, &dropped);
}

// A step that clicks a button of the upload's wait window.
k5test::User::Step inWaitWindow(const QString &button)
{
    return [button](QWidget *w) {
        if (w->objectName() != QLatin1String("UploadProgress"))
            return false;
        auto *b = w->findChild<QPushButton *>(button);
        QTest::mouseClick(b, Qt::LeftButton);
        return true;
    };
}

} // namespace

class TestFtpWindows : public QObject {
    Q_OBJECT

    k5test::FtpServer server_;
    k5test::FtpServer refusing_;
    QStringList escaped_;

    // A settings window pointed at a server; the port is not one of the settings.
    std::unique_ptr<TFTPSettings> settings(const k5test::FtpServer &server, const QString &password)
    {
        auto w = std::make_unique<TFTPSettings>();
        w->Host->setText(QStringLiteral("127.0.0.1"));
        w->LoginName->setText(server.user);
        w->Password->setText(password);
        w->FTP->SetPort(server.Port());
        return w;
    }

    QString page(const QByteArray &bytes)
    {
        return k5test::WriteFile(platform::ProgramFile(QStringLiteral("upload.htm")), bytes);
    }

    // A value of the settings store, as the registry holds it.
    static QString stored(const QString &name)
    {
        platform::Registry reg;
        if (!reg.OpenKey(QStringLiteral("\\Kestrova 5\\Kestrova 5\\Settings"), false) || !reg.ValueExists(name))
            return QStringLiteral("<missing>");
        return reg.ReadString(name);
    }

    static QStringList serverFiles(const k5test::FtpServer &server)
    {
        return QDir(server.Root()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(server_.Start());
        QVERIFY(refusing_.Start({QStringLiteral("--refuse"), QStringLiteral("upload.htm"), QStringLiteral("--refuse"),
                                  QStringLiteral("one.htm"), QStringLiteral("--refuse"), QStringLiteral("two.htm")}));
    }
    void cleanupTestCase()
    {
        server_.Stop();
        refusing_.Stop();
    }

    void init()
    {
        // Nothing may be thrown out of an event.
        escaped_.clear();
        platform::Application::SetExceptionHandler([this](const std::exception &e) { escaped_ << QString::fromUtf8(e.what()); });
        k5test::ResetEnvironment();
        for (const QString &name : serverFiles(server_))
            QVERIFY(QFileInfo(server_.Path(name)).isDir() ? QDir(server_.Path(name)).removeRecursively()
                                                           : QFile::remove(server_.Path(name)));
    }
    void cleanup()
    {
        k5test::Settle();
        platform::Application::SetExceptionHandler(nullptr);
        QVERIFY2(escaped_.isEmpty(), qPrintable(escaped_.join(QLatin1Char('|'))));
    }

    // The three values are kept as typed in the private settings store, and come back next time.
    void settingsAreKeptAsTyped()
    {
        {
            TFTPSettings w;
            QCOMPARE(FTPSettings, &w);
            QTest::keyClicks(w.Host, QStringLiteral("ftp.example.org"));
            QTest::keyClicks(w.LoginName, QStringLiteral("me"));
            QTest::keyClicks(w.Password, QStringLiteral("Error"));
            QCOMPARE(w.Password->echoMode(), QLineEdit::Password);
        }
        QVERIFY(!FTPSettings);
        QCOMPARE(stored(QStringLiteral("FTP Host Name")), QStringLiteral("ftp.example.org"));
        QCOMPARE(stored(QStringLiteral("FTP Login Name")), QStringLiteral("me"));
        QCOMPARE(stored(QStringLiteral("FTP Password")), QStringLiteral("Error"));
        // The store's file, password and all, is the user's alone.
        QVERIFY(privateFile(platform::ConfigFolder() + QStringLiteral("/registry.ini")));

        TFTPSettings again;
        // No keyring runs here, and the window says where the password went.
        QVERIFY2(again.PasswordPlace->text().contains(QStringLiteral("settings file")), qPrintable(again.PasswordPlace->text()));
        QCOMPARE(again.Host->text(), QStringLiteral("ftp.example.org"));
        QCOMPARE(again.LoginName->text(), QStringLiteral("me"));
        QCOMPARE(again.Password->text(), QStringLiteral("Error")); // not taken for a missing value
        QTest::keyClick(again.Password, Qt::Key_Backspace);
        QCOMPARE(stored(QStringLiteral("FTP Password")), QStringLiteral("Erro"));
    }

    // The page and a project file arrive byte for byte; the root project node uploads nothing.
    void uploadsThePageAndAProjectFile()
    {
        auto w = settings(server_, server_.password);
        const QByteArray bytes = "<HTML>\r\n<P>caf\xc3\xa9 \xe2\x82\xac</P>\r\n</HTML>\r\n";
        page(bytes);
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Upload complete")});
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("upload.htm"))), bytes);
        QVERIFY(!w->FTP->Connected());
        QVERIFY(!w->Uploading());

        const QString project = k5test::WriteFile(k5test::Root() + QStringLiteral("/site/about us.htm"), QByteArray(70000, 'p'));
        QString node = QStringLiteral("Project(s)");
        w->SelectedProjectNode = [&node] { return node; };
        k5test::User none;
        w->Button1->click();
        k5test::Settle();
        QVERIFY(none.Texts.isEmpty());
        QCOMPARE(serverFiles(server_), QStringList{QStringLiteral("upload.htm")});

        node = project;
        user.Click(QStringLiteral("OK"));
        w->Button1->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.last(), QStringLiteral("Upload complete"));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("about us.htm"))), QByteArray(70000, 'p'));
        QVERIFY(none.Texts.isEmpty());
    }

    // The settings have no port: a host typed with one (or with a scheme, a folder, a blank) is named at
    // once while typing, Ok says why and keeps the window open, and an upload with it never starts.
    void aHostNameTheSettingsCannotTakeIsToldAtOnce()
    {
        page("<P>x</P>");
        auto w = settings(server_, server_.password);
        w->Host->clear();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::keyClicks(w->Host, QStringLiteral("ftp.example.org:2121"));
        const QString port = QStringLiteral("The host name \"ftp.example.org:2121\" holds a port (2121). The upload always "
                                            "uses port 21, the FTP port: give the host name alone, \"ftp.example.org\".");
        QVERIFY(w->HostProblem->isVisible());
        QCOMPARE(w->HostProblem->text(), port);
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(w->OkButton, Qt::LeftButton);
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{port});
        QVERIFY(w->isVisible());
        QCOMPARE(w->focusWidget(), w->Host);

        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.last(), port);
        QVERIFY(!w->FTP->Connected() && serverFiles(server_).isEmpty());

        for (const char *bad : {"ftp://ftp.example.org/", "ftp.example.org/site", "ftp example.org", "ftp.example.org:21:x", "host:"}) {
            w->Host->setText(QString::fromLatin1(bad));
            QVERIFY2(w->HostProblem->isVisible(), bad);
            QVERIFY2(w->HostProblem->text().contains(QString::fromLatin1(bad).trimmed()), bad);
        }
        for (const char *good : {"ftp.example.org", "127.0.0.1", "::1", "fe80::1", "my_host", ""}) {
            w->Host->setText(QString::fromLatin1(good));
            QVERIFY2(!w->HostProblem->isVisible(), good);
            QCOMPARE(HostNameProblem(QString::fromLatin1(good)), QString());
        }
        w->Host->setText(QStringLiteral(" 127.0.0.1 "));
        QTest::mouseClick(w->OkButton, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.last(), QStringLiteral("Upload complete"));
    }

    // Missing settings, a wrong password, a bad host: each says so, and nothing is uploaded.
    void failuresToConnectAreShown()
    {
        page("<P>x</P>");
        auto w = settings(server_, QString());
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Password must be specified")});
        QVERIFY(!w->FTP->Busy() && !w->FTP->Connected());

        w->Password->setText(QStringLiteral("wrong"));
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QVERIFY2(user.Texts.last().startsWith(QStringLiteral("Could not connect to 127.0.0.1 (the server refused the login: 530")),
                 qPrintable(user.Texts.last()));
        QVERIFY(user.Texts.last().endsWith(QStringLiteral(")\n\nCould not start upload - Please check the FTP Settings")));

        w->Host->setText(QStringLiteral("no-such-host.invalid"));
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.last(), QStringLiteral("Could not connect to no-such-host.invalid (the host name was not found)\n\n"
                                                   "Could not start upload - Please check the FTP Settings"));

        const k5test::ClosedPort closed;
        w->Host->setText(QStringLiteral("127.0.0.1"));
        w->Password->setText(server_.password);
        w->FTP->SetPort(closed.Port());
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.last(), QStringLiteral("Could not connect to 127.0.0.1 (the server could not be reached)\n\n"
                                                   "Could not start upload - Please check the FTP Settings"));
        QVERIFY(serverFiles(server_).isEmpty());
        QVERIFY(!w->FTP->Connected() && !w->Uploading());
    }

    // A server that refuses the file: not reported as uploaded. A file that cannot be read: likewise.
    void refusedUploadSaysTheFileWasNotUploaded()
    {
        page("<P>refused</P>");
        auto w = settings(refusing_, refusing_.password);
        w->FTP->SetPort(refusing_.Port());
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts[0].startsWith(QStringLiteral("The file was not uploaded.\nupload.htm: the server answered: 553")),
                 qPrintable(user.Texts[0]));
        QVERIFY(!QFile::exists(refusing_.Path(QStringLiteral("upload.htm"))));

        auto good = settings(server_, server_.password);
        QString missing = k5test::Root() + QStringLiteral("/gone.htm");
        good->SelectedProjectNode = [&missing] { return missing; };
        user.Click(QStringLiteral("OK"));
        good->Button1->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.last(),
                 QStringLiteral("The file was not uploaded.\nCannot open file \"%1\". No such file or directory.").arg(missing));
        QVERIFY(serverFiles(server_).isEmpty());
    }

    // Cancel in the wait window ends the transfer at once; nothing says it arrived; the next one works.
    void cancellingTheUpload()
    {
        k5test::FtpServer slow;
        QVERIFY(slow.Start({QStringLiteral("--throttle"), QStringLiteral("16384")}));
        page(QByteArray(4 * 1024 * 1024, 'b'));
        auto w = settings(slow, slow.password);
        k5test::User user;
        user.Then([&slow](QWidget *modal) {
            // Once bytes are on their way.
            return modal->objectName() == QLatin1String("UploadProgress") &&
                   QFileInfo(slow.Path(QStringLiteral("upload.htm"))).size() > 0;
        });
        user.Then(inWaitWindow(QStringLiteral("Cancel")));
        w->Button3->click();
        QVERIFY(user.Done());
        k5test::Settle();
        QVERIFY2(user.Texts.isEmpty(), qPrintable(user.Texts.join(QLatin1Char('|'))));
        QVERIFY(!w->FTP->Busy() && !w->FTP->Connected() && !w->Uploading());
        QVERIFY(QFileInfo(slow.Path(QStringLiteral("upload.htm"))).size() < 4 * 1024 * 1024);

        page("<P>small</P>");
        user.Click(QStringLiteral("OK"));
        w->Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Upload complete")});
        QCOMPARE(k5test::ReadFile(slow.Path(QStringLiteral("upload.htm"))), QByteArray("<P>small</P>"));
    }

    // With no host yet the settings window comes up: closed empty it uploads nothing; filled in, it goes on.
    void noSiteAsksForOne()
    {
        page("<P>first</P>");
        TFTPSettings w;
        w.FTP->SetPort(server_.Port());
        k5test::User user;
        user.Escape();
        w.Button3->click();
        QVERIFY(user.Done());
        k5test::Settle();
        QVERIFY(user.Texts.isEmpty());
        QVERIFY(!w.isVisible());
        QVERIFY(serverFiles(server_).isEmpty());

        user.Then([this](QWidget *modal) {
            auto *s = qobject_cast<TFTPSettings *>(modal);
            if (!s)
                return false;
            QTest::keyClicks(s->Host, QStringLiteral("127.0.0.1"));
            QTest::keyClicks(s->LoginName, server_.user);
            QTest::keyClicks(s->Password, server_.password);
            QTest::mouseClick(s->OkButton, Qt::LeftButton);
            return true;
        });
        user.Click(QStringLiteral("OK"));
        w.Button3->click();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Upload complete")});
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("upload.htm"))), QByteArray("<P>first</P>"));
        QCOMPARE(stored(QStringLiteral("FTP Host Name")), QStringLiteral("127.0.0.1"));
    }

    // The interactive window: the typed data and folder, and failures in a box.
    void ftpWindowConnects()
    {
        k5test::WriteFile(server_.Path(QStringLiteral("pages/index.htm")), "<P>i</P>");
        TFtpUpload w;
        w.Ftp->SetPort(server_.Port());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Ftp"));
        QVERIFY(w.Ftp->Active() && w.Ftp->acceptDrops());

        k5test::User user;
        // A port typed with the host is named at Connect.
        QTest::keyClicks(w.Host, QStringLiteral("127.0.0.1:2121"));
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(w.ConnectButton, Qt::LeftButton);
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{HostNameProblem(QStringLiteral("127.0.0.1:2121"))});
        QVERIFY(user.Texts[0].contains(QStringLiteral("holds a port (2121)")));
        QVERIFY(!w.Ftp->Connected());
        user.Texts.clear();
        w.Host->clear();
        QTest::keyClicks(w.Host, QStringLiteral("127.0.0.1"));
        QTest::keyClicks(w.loginName, server_.user);
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(w.ConnectButton, Qt::LeftButton);
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Password must be specified")});

        QTest::keyClicks(w.Password, QStringLiteral("wrong"));
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(w.ConnectButton, Qt::LeftButton);
        QTRY_VERIFY(user.Done());
        QVERIFY2(user.Texts.last().startsWith(QStringLiteral("Could not connect to 127.0.0.1 (the server refused the login")),
                 qPrintable(user.Texts.last()));

        w.Password->setText(server_.password);
        QTest::keyClicks(w.Directory, QStringLiteral("nowhere"));
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(w.ConnectButton, Qt::LeftButton);
        QTRY_VERIFY(user.Done());
        QVERIFY2(user.Texts.last().startsWith(QStringLiteral("Could not change to nowhere (the server answered: 550")),
                 qPrintable(user.Texts.last()));

        w.Directory->setText(QStringLiteral("pages"));
        QTest::mouseClick(w.ConnectButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(user.Texts.size(), 3);
        QVERIFY(w.Ftp->Connected());
        QCOMPARE(listed(w.Ftp), (QStringList{QStringLiteral(".."), QStringLiteral("index.htm")}));
        QCOMPARE(w.Status->text(), QStringLiteral("Transfer completed (8 bytes in 1 files)"));

        QTest::mouseClick(w.DisconnectButton, Qt::LeftButton);
        QVERIFY(!w.Ftp->Connected());
        QCOMPARE(w.Status->text(), QStringLiteral("Not connected"));

        w.Host->setText(QStringLiteral("no-such-host.invalid"));
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(w.ConnectButton, Qt::LeftButton);
        QTRY_VERIFY(user.Done());
        QCOMPARE(user.Texts.last(), QStringLiteral("Could not connect to no-such-host.invalid (the host name was not found)"));

        QTest::mouseClick(w.ExitButton, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }

    // Dropped files go up with what is typed; those the server refuses are named when the upload ends;
    // a drop without a password is reported, never thrown.
    void ftpWindowUploadsDrops()
    {
        const QString one = k5test::WriteFile(k5test::Root() + QStringLiteral("/drop/one.htm"), "<P>1</P>\r\n");
        const QString two = k5test::WriteFile(k5test::Root() + QStringLiteral("/drop/two.htm"), "<P>2</P>\r\n");
        TFtpUpload w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Host->setText(QStringLiteral("127.0.0.1"));
        w.loginName->setText(server_.user);
        w.Ftp->SetPort(server_.Port());

        k5test::User user;
        user.Click(QStringLiteral("OK"));
        drop(w.Ftp, {one});
        QTRY_VERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Password must be specified")});
        QVERIFY(!w.Ftp->Busy());

        w.Password->setText(server_.password);
        drop(w.Ftp, {one, two});
        QTRY_VERIFY(!w.Ftp->Busy());
        k5test::Settle();
        QCOMPARE(user.Texts.size(), 1);
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("one.htm"))), QByteArray("<P>1</P>\r\n"));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("two.htm"))), QByteArray("<P>2</P>\r\n"));
        QCOMPARE(listed(w.Ftp), (QStringList{QStringLiteral("one.htm"), QStringLiteral("two.htm")}));

        QTest::mouseClick(w.DisconnectButton, Qt::LeftButton);
        w.Ftp->SetPort(refusing_.Port());
        QVERIFY(w.Ftp->Connect());
        user.Click(QStringLiteral("OK"));
        drop(w.Ftp, {one, two});
        QTRY_VERIFY(user.Done());
        const QString text = user.Texts.last();
        QVERIFY2(text.startsWith(QStringLiteral("These files were not uploaded:\none.htm: the server answered: 553")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("\ntwo.htm: the server answered: 553")));
        QVERIFY(!QFile::exists(refusing_.Path(QStringLiteral("one.htm"))));

        // A dropped file gone before it is sent, or no file at all, is named with the reason.
        QTest::mouseClick(w.DisconnectButton, Qt::LeftButton);
        w.Ftp->SetPort(server_.Port());
        QVERIFY(w.Ftp->Connect());
        const QString gone = k5test::Root() + QStringLiteral("/drop/gone.htm");
        const QString folder = k5test::Root() + QStringLiteral("/drop/folder.htm");
        QVERIFY(QDir().mkpath(folder));
        user.Click(QStringLiteral("OK"));
        drop(w.Ftp, {gone, folder});
        QTRY_VERIFY(user.Done());
        const QStringList lines = user.Texts.last().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("These files were not uploaded:"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(gone)) && lines[1].size() > gone.size() + 20,
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(folder)) && lines[2].size() > folder.size() + 20,
                 qPrintable(lines[2]));
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("folder.htm"))));
    }

    // A file that cannot be read is said above the window it was dropped on, and above the window the user
    // asked for the one-step upload from (the settings window is hidden then); in one form, one full stop.
    void messagesStandAboveTheWindowAtWork()
    {
        k5test::NotFiles names(k5test::Root() + QStringLiteral("/drop/names"), QStringLiteral("x"), QStringLiteral("htm"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        const QString said = QStringLiteral("Cannot open file \"%1\". It is a named pipe, not a file.").arg(names.Pipe);
        TFtpUpload w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Host->setText(QStringLiteral("127.0.0.1"));
        w.loginName->setText(server_.user);
        w.Password->setText(server_.password);
        w.Ftp->SetPort(server_.Port());
        k5test::Answerer answers;
        drop(w.Ftp, {names.Pipe});
        QTRY_COMPARE(answers.Messages().size(), 1);
        QCOMPARE(answers.Messages()[0].parent, &w);
        QCOMPARE(answers.Messages()[0].text, QStringLiteral("These files were not uploaded:\n") + said);
        QTest::mouseClick(w.DisconnectButton, Qt::LeftButton);
        w.hide();

        QWidget manager(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        manager.show();
        manager.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&manager));
        auto settingsWindow = settings(server_, server_.password);
        settingsWindow->SelectedProjectNode = [&names] { return names.Pipe; };
        // The wait window is left once the upload has ended, as it leaves itself.
        QSignalSpy ended(settingsWindow->FTP, &TBTDragDropFTP::UploadEnded);
        answers.OnModal([&ended](QDialog *) { return ended.count() || ended.wait(10000) ? int(platform::mrOk) : int(platform::mrCancel); });
        settingsWindow->Button1->click();
        QCOMPARE(answers.Messages().size(), 2);
        QCOMPARE(answers.Messages()[1].parent, &manager);
        QCOMPARE(answers.Messages()[1].text, QStringLiteral("The file was not uploaded.\n") + said);
    }

    // The help line names the desktop's own file manager, as its entry names it, shown as written.
    void theHelpLineNamesTheDesktopsFileManager()
    {
        const QString config = k5test::Root() + QStringLiteral("/config/mimeapps.list");
        const QString entry = k5test::Root() + QStringLiteral("/data/applications/k5-files.desktop");
        k5test::WriteFile(config, "[Default Applications]\ninode/directory=k5-files.desktop;\n");
        k5test::WriteFile(entry, "[Desktop Entry]\nType=Application\nName=Files <&> Folders\nExec=files %U\n");
        TFtpUpload w;
        QFile::remove(config);
        QFile::remove(entry);
        auto *hint = w.findChild<QLabel *>(QStringLiteral("Label5"));
        QVERIFY(hint);
        QCOMPARE(hint->text(), QStringLiteral("Start Files <&> Folders and drag all the files you want to upload over the FTP area."));
        QCOMPARE(hint->textFormat(), Qt::PlainText);
    }

    // While an upload runs the window stays; Disconnect cancels it, and then it closes.
    void ftpWindowStaysWhileUploading()
    {
        k5test::FtpServer slow;
        QVERIFY(slow.Start({QStringLiteral("--throttle"), QStringLiteral("16384")}));
        const QString big = k5test::WriteFile(k5test::Root() + QStringLiteral("/drop/big.bin"), QByteArray(4 * 1024 * 1024, 'b'));
        TFtpUpload w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Host->setText(QStringLiteral("127.0.0.1"));
        w.loginName->setText(slow.user);
        w.Password->setText(slow.password);
        w.Ftp->SetPort(slow.Port());
        drop(w.Ftp, {big});
        QVERIFY(w.Ftp->Busy());
        QTRY_VERIFY(QFileInfo(slow.Path(QStringLiteral("big.bin"))).size() > 0);

        const QString refused = QStringLiteral("File upload in progress! Press Disconnect to cancel it.");
        k5test::User user;
        user.Click(QStringLiteral("OK")).Click(QStringLiteral("OK")).Click(QStringLiteral("OK"));
        QTest::mouseClick(w.ExitButton, Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_Escape);
        w.close();
        QVERIFY(user.Done());
        k5test::Settle();
        QCOMPARE(user.Texts, (QStringList{refused, refused, refused}));
        QVERIFY(w.isVisible());
        QVERIFY(w.Ftp->Busy());

        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(w.DisconnectButton, Qt::LeftButton);
        QVERIFY(!w.Ftp->Busy());
        QTRY_VERIFY(user.Done());
        QCOMPARE(user.Texts.last(), QStringLiteral("These files were not uploaded:\nbig.bin: cancelled"));
        QVERIFY(QFileInfo(slow.Path(QStringLiteral("big.bin"))).size() < 4 * 1024 * 1024);
        QTest::mouseClick(w.ExitButton, Qt::LeftButton);
        QVERIFY(!w.isVisible());
    }
};

K5_TEST_MAIN(TestFtpWindows)
#include "test_ftpwindows.moc"
