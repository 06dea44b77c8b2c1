#include "platform/ftp/ftpclient.h"

#include "k5ftpserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <future>

using namespace platform;

class TestFtpClient : public QObject {
    Q_OBJECT

private:
    k5test::FtpServer server_;
    k5test::FtpServer plainServer_; // knows no MLSD

    std::shared_ptr<FtpConnection> open(bool passive = true, quint16 port = 0)
    {
        FtpConnectOptions o;
        o.agent = QStringLiteral("test");
        o.host = QStringLiteral("127.0.0.1");
        o.port = port ? port : server_.Port();
        o.user = server_.user;
        o.password = server_.password;
        o.passive = passive;
        return FtpConnection::Open(o);
    }

    static QList<FtpFindData> all(FtpConnection &c)
    {
        QList<FtpFindData> out;
        FtpFindData d;
        auto find = c.FindFirstFile(&d);
        if (!find)
            return out;
        do
            out << d;
        while (find->FindNextFile(&d));
        return out;
    }

    static const FtpFindData *byName(const QList<FtpFindData> &l, const QByteArray &name)
    {
        for (const auto &e : l)
            if (e.name == name)
                return &e;
        return nullptr;
    }

    void seed()
    {
        QDir(server_.Root()).removeRecursively();
        QDir().mkpath(server_.Root());
        k5test::WriteFile(server_.Path(QStringLiteral("index.html")), "<HTML>\r\n</HTML>\r\n");
        k5test::WriteFile(server_.Path(QStringLiteral("name with  blanks.txt")), "12345");
        k5test::WriteFile(server_.Path(QStringLiteral("sub dir/inner.bin")), QByteArray(3000, '\x01'));
        QDir().mkpath(server_.Path(QStringLiteral("empty")));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server_.Start({QStringLiteral("--refuse"), QStringLiteral("refused.htm")}));
        QVERIFY(plainServer_.Start({QStringLiteral("--no-mlsd")}));
    }

    void init() { seed(); }

    void parsesMlsd()
    {
        const auto l = ParseMlsdListing("type=cdir;modify=20200101000000; .\r\n"
                                        "type=pdir; ..\r\n"
                                        "type=file;size=5000000000;modify=20240131235958.123; a; b  c.txt\r\n"
                                        "Type=DIR;Size=4096;Modify=19991231120000; caf\xe9 folder\r\n"
                                        "type=file;modify=2024013; bad date\r\n"
                                        "garbage-without-name\r\n");
        QCOMPARE(l.size(), 3);
        QCOMPARE(l[0].name, QByteArray("a; b  c.txt"));
        QCOMPARE(l[0].size, Q_INT64_C(5000000000));
        QCOMPARE(l[0].lastWrite, QDateTime(QDate(2024, 1, 31), QTime(23, 59, 58), Qt::UTC));
        QVERIFY(!l[0].IsDirectory());
        QVERIFY(l[1].IsDirectory());
        QCOMPARE(l[1].size, 0);
        QCOMPARE(l[1].name, QByteArray("caf\xe9 folder")); // raw bytes, whatever their code page
        QVERIFY(!l[2].lastWrite.isValid());
    }

    void parsesUnixList()
    {
        const QDateTime now(QDate(2024, 3, 10), QTime(12, 0), Qt::UTC);
        const auto l = ParseListListing("total 24\r\n"
                                        "drwxr-xr-x   2 user group     4096 Jan 05 10:30 my folder\r\n"
                                        "-rw-r--r--   1 user group 5000000000 Dec 24  2019 big file.iso\r\n"
                                        "-rw-r--r--   1 user       12 Jun 01 08:00 no group\r\n"
                                        "lrwxrwxrwx   1 user group        7 Feb 29  2020 link name -> target\r\n"
                                        "drwxr-xr-x   2 user group     4096 Jan 05 10:30 .\r\n"
                                        "-rw-r--r--   1 user group       3 Feb 01 09:15  leading blank\n",
                                        now);
        QCOMPARE(l.size(), 5);
        QCOMPARE(l[0].name, QByteArray("my folder"));
        QVERIFY(l[0].IsDirectory());
        QCOMPARE(l[0].lastWrite, QDateTime(QDate(2024, 1, 5), QTime(10, 30), Qt::UTC));
        QCOMPARE(l[1].name, QByteArray("big file.iso"));
        QCOMPARE(l[1].size, Q_INT64_C(5000000000));
        QCOMPARE(l[1].lastWrite.date(), QDate(2019, 12, 24));
        // a time without a year that would lie in the future is last year's
        QCOMPARE(l[2].name, QByteArray("no group"));
        QCOMPARE(l[2].lastWrite.date(), QDate(2023, 6, 1));
        QCOMPARE(l[3].name, QByteArray("link name"));
        QCOMPARE(l[4].name, QByteArray(" leading blank"));
    }

    void parsesDosList()
    {
        const auto l = ParseListListing("01-31-20  02:15PM       <DIR>          web site\r\n"
                                        "12-01-1999  09:05AM             1234 old.htm\r\n"
                                        "07-04-21  12:00AM                0 midnight.txt\r\n"
                                        "13-45-20  02:15PM              1 impossible date\r\n");
        QCOMPARE(l.size(), 4);
        QCOMPARE(l[0].name, QByteArray("web site"));
        QVERIFY(l[0].IsDirectory());
        QCOMPARE(l[0].lastWrite, QDateTime(QDate(2020, 1, 31), QTime(14, 15), Qt::UTC));
        QCOMPARE(l[1].size, 1234);
        QCOMPARE(l[1].lastWrite, QDateTime(QDate(1999, 12, 1), QTime(9, 5), Qt::UTC));
        QCOMPARE(l[2].lastWrite.time(), QTime(0, 0));
        QVERIFY(!l[3].lastWrite.isValid());
    }

    void mapsCurlErrorsInOneTable()
    {
        QCOMPARE(FtpErrorFromCurl(7), unsigned(ERROR_INTERNET_CANNOT_CONNECT));
        QCOMPARE(FtpErrorFromCurl(67), unsigned(ERROR_INTERNET_LOGIN_FAILURE));
        QCOMPARE(FtpErrorFromCurl(28), unsigned(ERROR_INTERNET_TIMEOUT));
        QCOMPARE(FtpErrorFromCurl(9999), unsigned(ERROR_INTERNET_INTERNAL_ERROR));
    }

    void listsInBothModes_data()
    {
        k5test::AddTransferModeRows();
    }

    void listsInBothModes()
    {
        QFETCH(bool, passive);
        auto c = open(passive);
        QVERIFY2(c, qPrintable(QString::number(FtpLastError())));
        QByteArray dir;
        QVERIFY(c->GetCurrentDirectory(&dir));
        QCOMPARE(dir, QByteArray("/"));
        const auto l = all(*c);
        QCOMPARE(l.size(), 4);
        QCOMPARE(byName(l, "index.html")->size, 17);
        QCOMPARE(byName(l, "name with  blanks.txt")->size, 5);
        QVERIFY(byName(l, "sub dir")->IsDirectory());
        const QDateTime written = QFileInfo(server_.Path(QStringLiteral("index.html"))).lastModified().toUTC();
        QVERIFY(qAbs(byName(l, "index.html")->lastWrite.secsTo(written)) <= 1);

        // transfers in the same mode
        const QString local = k5test::Root() + QStringLiteral("/down.html");
        QVERIFY(c->GetFile("index.html", local));
        QCOMPARE(k5test::ReadFile(local), QByteArray("<HTML>\r\n</HTML>\r\n"));
        QVERIFY(c->PutFile(local, "copy.html"));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("copy.html"))), QByteArray("<HTML>\r\n</HTML>\r\n"));
    }

    void changesDirectory()
    {
        auto c = open();
        QVERIFY(c);
        QVERIFY(c->SetCurrentDirectory("sub dir"));
        QByteArray dir;
        c->GetCurrentDirectory(&dir);
        QCOMPARE(dir, QByteArray("/sub dir"));
        auto l = all(*c);
        QCOMPARE(l.size(), 1);
        QCOMPARE(l[0].name, QByteArray("inner.bin"));
        QCOMPARE(l[0].size, 3000);

        // a missing folder fails and leaves the current one as it was
        QVERIFY(!c->SetCurrentDirectory("nowhere"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_EXTENDED_ERROR));
        QVERIFY(FtpLastResponse().startsWith(QLatin1String("550")));
        c->GetCurrentDirectory(&dir);
        QCOMPARE(dir, QByteArray("/sub dir"));

        QVERIFY(c->SetCurrentDirectory(".."));
        c->GetCurrentDirectory(&dir);
        QCOMPARE(dir, QByteArray("/"));
        QVERIFY(c->SetCurrentDirectory("/empty"));
        FtpFindData d;
        QVERIFY(!c->FindFirstFile(&d));
        QCOMPARE(FtpLastError(), unsigned(ERROR_NO_MORE_FILES));
    }

    // Commands name absolute paths, so the folder of an earlier transfer does not matter.
    void commandsWorkOnTheCurrentFolder()
    {
        auto c = open();
        QVERIFY(c);
        QVERIFY(c->SetCurrentDirectory("sub dir"));
        all(*c);
        QVERIFY(c->CreateDirectory("made"));
        QVERIFY(QFileInfo(server_.Path(QStringLiteral("sub dir/made"))).isDir());
        QVERIFY(c->RenameFile("inner.bin", "renamed.bin"));
        QVERIFY(QFile::exists(server_.Path(QStringLiteral("sub dir/renamed.bin"))));
        QVERIFY(c->DeleteFile("renamed.bin"));
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("sub dir/renamed.bin"))));
        QVERIFY(c->RemoveDirectory("made"));
        QVERIFY(!QFileInfo::exists(server_.Path(QStringLiteral("sub dir/made"))));

        QVERIFY(!c->DeleteFile("renamed.bin"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_EXTENDED_ERROR));
        QVERIFY(!c->RemoveDirectory("nothing"));
        QVERIFY(!c->RenameFile("nothing", "other"));
        // the connection is still good after refusals
        QCOMPARE(all(*c).size(), 0);
    }

    void refusesLineBreaksInNames()
    {
        auto c = open();
        QVERIFY(c);
        QVERIFY(!c->CreateDirectory("x\r\nDELE index.html"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INVALID_NAME));
        QVERIFY(!c->RenameFile("index.html", "a\nb"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INVALID_NAME));
        QVERIFY(!c->SetCurrentDirectory("sub\rdir"));
        QVERIFY(QFile::exists(server_.Path(QStringLiteral("index.html"))));
    }

    void getKeepsTheOldFileOnFailure()
    {
        auto c = open();
        QVERIFY(c);
        const QString local = k5test::WriteFile(k5test::Root() + QStringLiteral("/keep.txt"), "old");
        QVERIFY(!c->GetFile("missing.txt", local));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_EXTENDED_ERROR));
        QCOMPARE(k5test::ReadFile(local), QByteArray("old"));
        QVERIFY(!c->GetFile("index.html", local, true));
        QCOMPARE(FtpLastError(), unsigned(ERROR_FILE_EXISTS));
        // A file fetched over a local one replaces it whole: a second name made before keeps the old bytes.
        k5test::HardLink old(local);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        QVERIFY(c->GetFile("index.html", local));
        QCOMPARE(k5test::ReadFile(local).size(), 17);
        QCOMPARE(old.Bytes(), QByteArray("old"));
        QVERIFY(!c->GetFile("index.html", k5test::Root() + QStringLiteral("/no/such/folder/x")));
        QCOMPARE(FtpLastError(), unsigned(ERROR_PATH_NOT_FOUND));
        QVERIFY(!c->PutFile(k5test::Root() + QStringLiteral("/absent"), "absent"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_FILE_NOT_FOUND));
    }

    void putKeepsBytesExactly()
    {
        auto c = open();
        QVERIFY(c);
        QByteArray bytes;
        for (int i = 0; i < 70000; ++i)
            bytes += char(i % 256);
        const QString local = k5test::WriteFile(k5test::Root() + QStringLiteral("/bin.dat"), bytes);
        QVERIFY(c->PutFile(local, "/sub dir/bin.dat"));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("sub dir/bin.dat"))), bytes);
    }

    // A server that will not take a file (5xx to STOR) fails the upload with its answer; the connection
    // goes on.
    void refusedUploadFails()
    {
        auto c = open();
        QVERIFY(c);
        const QString local = k5test::WriteFile(k5test::Root() + QStringLiteral("/refused.htm"), "<p>page</p>");
        QVERIFY(!c->PutFile(local, "refused.htm"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_EXTENDED_ERROR));
        QVERIFY2(FtpLastResponse().startsWith(QStringLiteral("553")), qPrintable(FtpLastResponse()));
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("refused.htm"))));
        QVERIFY(!c->PutFile(local, "/sub dir/refused.htm"));
        QVERIFY(!QFile::exists(server_.Path(QStringLiteral("sub dir/refused.htm"))));
        QVERIFY(c->PutFile(local, "taken.htm"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_SUCCESS));
        QCOMPARE(k5test::ReadFile(server_.Path(QStringLiteral("taken.htm"))), QByteArray("<p>page</p>"));
    }

    void fallsBackToList()
    {
        k5test::WriteFile(plainServer_.Path(QStringLiteral("two  blanks.txt")), "abc");
        QDir().mkpath(plainServer_.Path(QStringLiteral("a folder")));
        auto c = open(true, plainServer_.Port());
        QVERIFY(c);
        const auto l = all(*c);
        QCOMPARE(l.size(), 2);
        QCOMPARE(byName(l, "two  blanks.txt")->size, 3);
        QVERIFY(byName(l, "two  blanks.txt")->lastWrite.isValid());
        QVERIFY(byName(l, "a folder")->IsDirectory());
        QCOMPARE(all(*c).size(), 2); // the fallback is remembered
    }

    void reportsConnectFailures()
    {
        FtpConnectOptions o;
        o.host = QStringLiteral("127.0.0.1");
        o.port = server_.Port();
        o.user = server_.user;
        o.password = QStringLiteral("wrong");
        QVERIFY(!FtpConnection::Open(o));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_LOGIN_FAILURE));

        const k5test::ClosedPort closed;
        o.port = closed.Port();
        o.password = server_.password;
        QVERIFY(!FtpConnection::Open(o));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_CANNOT_CONNECT));

        o.host = QStringLiteral("no-such-host.invalid");
        QVERIFY(!FtpConnection::Open(o));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_NAME_NOT_RESOLVED));

        o.host = QStringLiteral("bad host/name");
        QVERIFY(!FtpConnection::Open(o));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_NAME_NOT_RESOLVED));
    }

    void survivesAServerThatGoesAway()
    {
        k5test::FtpServer doomed;
        QVERIFY(doomed.Start());
        FtpConnectOptions o;
        o.host = QStringLiteral("127.0.0.1");
        o.port = doomed.Port();
        o.user = doomed.user;
        o.password = doomed.password;
        auto c = FtpConnection::Open(o);
        QVERIFY(c);
        doomed.Stop();
        FtpFindData d;
        QVERIFY(!c->FindFirstFile(&d));
        QVERIFY(FtpLastError() != ERROR_SUCCESS && FtpLastError() != ERROR_NO_MORE_FILES);
        QVERIFY(!c->CreateDirectory("x"));
    }

    // A test server binds a port of the system's choice and says which, so servers started side by side
    // never share one; a server that cannot serve is never taken for started.
    void testServersHoldPortsOfTheirOwn()
    {
        k5test::FtpServer a, b;
        QVERIFY(a.Start());
        QVERIFY(b.Start());
        QVERIFY(a.Port() != b.Port() && a.Port() != server_.Port() && b.Port() != server_.Port());
        k5test::WriteFile(a.Path(QStringLiteral("a.txt")), "a");
        k5test::WriteFile(b.Path(QStringLiteral("b.txt")), "b");
        auto ca = open(true, a.Port()), cb = open(true, b.Port());
        QVERIFY(ca && cb);
        QCOMPARE(all(*ca).first().name, QByteArray("a.txt"));
        QCOMPARE(all(*cb).first().name, QByteArray("b.txt"));

        k5test::PythonServer broken;
        QVERIFY(!broken.Start(QStringLiteral(K5_SOURCE_DIR "/tests/support/ftpserver.py"),
                              {k5test::Root() + QStringLiteral("/no such folder")}));
        QCOMPARE(broken.Port(), quint16(0));
        QVERIFY2(broken.Output().contains(QLatin1String("no such directory")), qPrintable(broken.Output()));
    }

    void abortEndsATransferAtOnce_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::addColumn<int>("size");
        // a large file is still being sent; a small one sits in the socket buffers while the client waits
        // for the server's final reply
        QTest::newRow("passive, sending") << true << 16 * 1024 * 1024;
        QTest::newRow("active, sending") << false << 16 * 1024 * 1024;
        QTest::newRow("passive, awaiting the reply") << true << 96 * 1024;
        QTest::newRow("active, awaiting the reply") << false << 96 * 1024;
    }

    void abortEndsATransferAtOnce()
    {
        QFETCH(bool, passive);
        QFETCH(int, size);
        k5test::FtpServer slow; // 4 KB/s: the file would take minutes
        QVERIFY(slow.Start({QStringLiteral("--throttle"), QStringLiteral("4096")}));
        auto c = open(passive, slow.Port());
        QVERIFY(c);
        const QString local = k5test::WriteFile(k5test::Root() + QStringLiteral("/slow.bin"), QByteArray(size, 's'));
        auto put = std::async(std::launch::async, [&] {
            const bool ok = c->PutFile(local, "slow.bin");
            return std::make_pair(ok, FtpLastError());
        });
        QTRY_VERIFY(QFileInfo(slow.Path(QStringLiteral("slow.bin"))).size() > 0);
        QElapsedTimer t;
        t.start();
        c->Abort();
        QVERIFY(put.wait_for(std::chrono::seconds(20)) == std::future_status::ready);
        const qint64 took = t.elapsed();
        QVERIFY2(took < 1000, qPrintable(QString::number(took)));
        const auto [ok, error] = put.get();
        QVERIFY(!ok);
        QCOMPARE(error, unsigned(ERROR_INTERNET_OPERATION_CANCELLED));
        QVERIFY(c->Aborted());
        // later calls fail at once, and the server is still there for others
        QVERIFY(!c->CreateDirectory("after"));
        QCOMPARE(FtpLastError(), unsigned(ERROR_INTERNET_OPERATION_CANCELLED));
        QVERIFY(!QFileInfo::exists(slow.Path(QStringLiteral("after"))));
        QVERIFY(open(passive, slow.Port()));
        t.restart();
        c.reset();
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    }

    void cleanupTestCase()
    {
        server_.Stop();
        plainServer_.Stop();
    }
};

K5_TEST_MAIN(TestFtpClient)
#include "test_ftpclient.moc"
