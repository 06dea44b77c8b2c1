#include "k5smtpserver.h"
#include "platform/mail/mailaccount.h"
#include "platform/mail/smtpclient.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace platform;

namespace {

MailMessage simpleMessage()
{
    MailMessage m;
    m.from = ParseMailAddress(QStringLiteral("Sender <sender@example.org>"));
    m.to = {ParseMailAddress(QStringLiteral("to@example.org"))};
    m.subject = QStringLiteral("Hello");
    m.body = QStringLiteral("Body text");
    return m;
}

SmtpServer serverAt(quint16 port)
{
    SmtpServer s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.connectTimeoutMs = 5000;
    s.stallTimeoutMs = 10000;
    return s;
}

QString md5(const QByteArray &b)
{
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Md5).toHex());
}

} // namespace

class TestSmtpClient : public QObject {
    Q_OBJECT

private slots:
    void init() { k5test::ResetEnvironment(); }

    void addressesAndRecipientTexts()
    {
        QCOMPARE(SplitRecipients(QStringLiteral(" a@b.c ;; Bob <bob@x.org>;  ;")),
                 QStringList({QStringLiteral("a@b.c"), QStringLiteral("Bob <bob@x.org>")}));
        QVERIFY(SplitRecipients(QString()).isEmpty());

        MailAddress a = ParseMailAddress(QStringLiteral("\"Smith, Ann\" <ann@x.org>"));
        QCOMPARE(a.name, QStringLiteral("Smith, Ann"));
        QCOMPARE(a.address, QStringLiteral("ann@x.org"));
        QCOMPARE(a.Display(), QStringLiteral("\"Smith, Ann\" <ann@x.org>"));
        QCOMPARE(ParseMailAddress(QStringLiteral("[ann@x.org]")).address, QStringLiteral("ann@x.org"));
        QCOMPARE(ParseMailAddress(QStringLiteral("ann@x.org")).Display(), QStringLiteral("ann@x.org"));
        for (const char *bad : {"Bob", "@x.org", "ann@", "a b@x.org", "ann@x.org\r\nBcc: eve@y.org",
                                "Ann <ann@x.org", "ann@x.org\n"})
            QVERIFY2(!ParseMailAddress(QString::fromLatin1(bad)).IsValid(), bad);
    }

    void encodings()
    {
        QCOMPARE(EncodeHeaderWord(QStringLiteral("Plain subject")), QByteArray("Plain subject"));
        const QByteArray word = EncodeHeaderWord(QString::fromUtf8("Grüße aus Århus, eine längere Betreffzeile"));
        QVERIFY(word.startsWith("=?UTF-8?B?"));
        for (const QByteArray &line : word.split('\n'))
            QVERIFY(line.size() <= 76);

        const QByteArray qp = EncodeQuotedPrintable(QString(100, QLatin1Char('x')) + QStringLiteral(" a=b \nend"));
        for (const QByteArray &line : qp.split('\n'))
            QVERIFY(line.size() <= 77); // 76 and the CR
        QVERIFY(qp.endsWith("a=3Db=20\r\nend"));
    }

    // A real message read back: headers, text, attachments, and Bcc only in the envelope.
    void deliveredMessageReadsBack()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        QTemporaryDir dir;
        QByteArray binary;
        for (int i = 0; i < 200000; ++i)
            binary += char(i * 7 % 256);
        const QString bin = k5test::WriteFile(dir.path() + QStringLiteral("/data.bin"), binary);
        const QString txt = k5test::WriteFile(dir.path() + QString::fromUtf8("/Übersicht.txt"), "line\n");
        const QString empty = k5test::WriteFile(dir.path() + QStringLiteral("/empty.dat"), QByteArray());

        MailMessage m = simpleMessage();
        m.to << ParseMailAddress(QString::fromUtf8("Jörg <joerg@example.org>"));
        m.cc = {ParseMailAddress(QStringLiteral("cc@example.org"))};
        m.bcc = {ParseMailAddress(QStringLiteral("hidden@example.org"))};
        m.subject = QString::fromUtf8("Grüße – a subject long enough to need more than one encoded word, ünd so");
        m.body = QString::fromUtf8("First line\r\n.leading dot\r\nZweite Zeile mit ß\r\n") + QString(200, QLatin1Char('y')) +
                 QStringLiteral("\r\ntrailing space \r\n");
        m.attachments = {{bin, QStringLiteral("data.bin")}, {txt, QString::fromUtf8("Übersicht.txt")},
                         {empty, QStringLiteral("empty.dat")}};
        m.receiptRequested = true;
        QString reply;
        QCOMPARE(SmtpSend(serverAt(server.Port()), m, &reply), int(SUCCESS_SUCCESS));
        QVERIFY(server.WaitForMessages(1));
        const k5test::DeliveredMail got = server.Messages().at(0);
        QCOMPARE(got.from, QStringLiteral("sender@example.org"));
        QCOMPARE(got.recipients, QStringList({QStringLiteral("to@example.org"), QStringLiteral("joerg@example.org"),
                                              QStringLiteral("cc@example.org"), QStringLiteral("hidden@example.org")}));
        QCOMPARE(got.Header(QStringLiteral("Subject")), m.subject);
        QCOMPARE(got.Header(QStringLiteral("From")), QStringLiteral("Sender <sender@example.org>"));
        QCOMPARE(got.Header(QStringLiteral("To")), QString::fromUtf8("to@example.org, Jörg <joerg@example.org>"));
        QCOMPARE(got.Header(QStringLiteral("Cc")), QStringLiteral("cc@example.org"));
        QVERIFY(!got.HasHeader(QStringLiteral("Bcc")));
        QVERIFY(!got.data.contains("hidden@example.org"));
        QVERIFY(got.Header(QStringLiteral("Message-ID")).endsWith(QStringLiteral("@example.org>")));
        QVERIFY(QDateTime::fromString(got.Header(QStringLiteral("Date")), Qt::RFC2822Date).isValid());
        QCOMPARE(got.Header(QStringLiteral("Disposition-Notification-To")), QStringLiteral("Sender <sender@example.org>"));
        QCOMPARE(got.parsed.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));
        QCOMPARE(got.parsed.value(QStringLiteral("encoding")).toString(), QStringLiteral("quoted-printable"));
        QString expected = m.body;
        QCOMPARE(got.Body().replace(QStringLiteral("\r\n"), QStringLiteral("\n")), expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        const QJsonArray att = got.Attachments();
        QCOMPARE(att.size(), 3);
        QCOMPARE(att[0][QStringLiteral("filename")].toString(), QStringLiteral("data.bin"));
        QCOMPARE(att[0][QStringLiteral("size")].toInt(), binary.size());
        QCOMPARE(att[0][QStringLiteral("md5")].toString(), md5(binary));
        QCOMPARE(att[1][QStringLiteral("filename")].toString(), QString::fromUtf8("Übersicht.txt"));
        QCOMPARE(att[1][QStringLiteral("type")].toString(), QStringLiteral("text/plain"));
        QCOMPARE(att[1][QStringLiteral("md5")].toString(), md5("line\n"));
        QCOMPARE(att[2][QStringLiteral("size")].toInt(), 0);
    }

    // Attachments of any size are base64 a parser reads without complaint: lines of at most 76
    // characters, each a whole number of 4-character groups (the last one padded with "="), also where
    // a line or a piece read from the file ends.
    void attachmentsAreCleanBase64()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        QTemporaryDir dir;
        const QList<int> sizes = {1, 2, 3, 56, 57, 58, 57 * 2 + 1, 57 * 1024, 57 * 1024 + 1, 57 * 2048 + 2, 57 * 3000 + 1};
        MailMessage m = simpleMessage();
        QList<QByteArray> contents;
        for (int size : sizes) {
            QByteArray bytes(size, '\0');
            for (int i = 0; i < size; ++i)
                bytes[i] = char((i * 131 + size) % 256);
            contents << bytes;
            const QString name = QStringLiteral("a%1.bin").arg(size);
            m.attachments << MailAttachment{k5test::WriteFile(dir.path() + QLatin1Char('/') + name, bytes), name};
        }
        QCOMPARE(SmtpSend(serverAt(server.Port()), m), int(SUCCESS_SUCCESS));
        QVERIFY(server.WaitForMessages(1));
        const k5test::DeliveredMail got = server.Messages().at(0);
        QCOMPARE(got.Defects(), QStringList());
        const QJsonArray att = got.Attachments();
        QCOMPARE(att.size(), sizes.size());
        for (int i = 0; i < sizes.size(); ++i) {
            const QJsonObject a = att[i].toObject();
            const QString what = QStringLiteral("%1 bytes").arg(sizes[i]);
            QCOMPARE(a[QStringLiteral("size")].toInt(), sizes[i]);
            QCOMPARE(a[QStringLiteral("md5")].toString(), md5(contents[i]));
            QVERIFY2(a[QStringLiteral("defects")].toArray().isEmpty(), qPrintable(what));
            const QJsonArray lines = a[QStringLiteral("lines")].toArray();
            for (const QJsonValue &l : lines) {
                const QString line = l.toString();
                QVERIFY2(line.size() <= 76, qPrintable(what + QStringLiteral(": ") + line));
                QVERIFY2(line.size() % 4 == 0, qPrintable(what + QStringLiteral(": ") + line));
            }
            QCOMPARE(lines.size(), (sizes[i] + 56) / 57); // full lines but the last
            QVERIFY2(lines.last().toString().endsWith(QString(2 - (sizes[i] + 2) % 3, QLatin1Char('='))),
                     qPrintable(what));
        }
    }

    // Header injection through any value that ends up in a header is refused before a connection.
    void lineBreaksInHeaderValuesAreRefused()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        MailMessage m = simpleMessage();
        m.subject = QStringLiteral("Hi\r\nBcc: eve@evil.org");
        QCOMPARE(SmtpSend(serverAt(server.Port()), m), int(MAPI_E_INVALID_MESSAGE));
        m = simpleMessage();
        m.to[0].name = QStringLiteral("Bob\nBcc: eve@evil.org");
        QCOMPARE(SmtpSend(serverAt(server.Port()), m), int(MAPI_E_INVALID_RECIPS));
        m = simpleMessage();
        m.from.name = QStringLiteral("Me\r");
        QCOMPARE(SmtpSend(serverAt(server.Port()), m), int(MAPI_E_INVALID_RECIPS));
        QTest::qWait(100);
        QVERIFY(server.Messages().isEmpty());
    }

    // Every failure is reported, and a message the server did not take is not reported as sent.
    void failuresAreReportedAndNothingIsSent()
    {
        QTemporaryDir dir;
        k5test::SmtpServer server;
        QVERIFY(server.Start({QStringLiteral("--user"), QStringLiteral("k5"), QStringLiteral("--password"),
                              QStringLiteral("secret"), QStringLiteral("--refuse"), QStringLiteral("nobody@example.org")}));
        SmtpServer account = serverAt(server.Port());
        account.user = QStringLiteral("k5");
        account.password = QStringLiteral("wrong");
        QString reply;
        QCOMPARE(SmtpSend(account, simpleMessage(), &reply), int(MAPI_E_LOGIN_FAILURE));
        QVERIFY2(reply.startsWith(QStringLiteral("535")), qPrintable(reply));

        account.password = QStringLiteral("secret");
        MailMessage m = simpleMessage();
        m.cc = {ParseMailAddress(QStringLiteral("nobody@example.org"))};
        QCOMPARE(SmtpSend(account, m, &reply), int(MAPI_E_UNKNOWN_RECIPIENT));
        QVERIFY2(reply.contains(QStringLiteral("nobody@example.org")), qPrintable(reply));

        m = simpleMessage();
        m.attachments = {{dir.path() + QStringLiteral("/missing.txt"), QStringLiteral("missing.txt")}};
        QCOMPARE(SmtpSend(account, m), int(MAPI_E_ATTACHMENT_NOT_FOUND));
        m.attachments = {{dir.path(), QStringLiteral("folder")}};
        QCOMPARE(SmtpSend(account, m), int(MAPI_E_ATTACHMENT_OPEN_FAILURE));
        m.attachments = {{QStringLiteral("/proc/self/mem"), QStringLiteral("mem")}};
        QCOMPARE(SmtpSend(account, m), int(MAPI_E_ATTACHMENT_OPEN_FAILURE));
        // A pipe or a socket is refused before anything is sent, without waiting for a writer.
        k5test::NotFiles names(dir.path() + QStringLiteral("/names"), QStringLiteral("x"), QStringLiteral("txt"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        for (const QString &name : {names.Pipe, names.Socket}) {
            k5test::PipeWatchdog watchdog(names.Pipe);
            m.attachments = {{name, QFileInfo(name).fileName()}};
            QCOMPARE(SmtpSend(account, m), int(MAPI_E_ATTACHMENT_OPEN_FAILURE));
            QVERIFY(!watchdog.Fired());
        }

        QCOMPARE(SmtpSend(account, simpleMessage()), int(SUCCESS_SUCCESS));
        QVERIFY(server.WaitForMessages(1));
        QTest::qWait(100);
        QCOMPARE(server.Messages().size(), 1);

        k5test::ClosedPort closed;
        QCOMPARE(SmtpSend(serverAt(closed.Port()), simpleMessage()), int(MAPI_E_NETWORK_FAILURE));
        SmtpServer badHost = account;
        badHost.host = QStringLiteral("a/b");
        QCOMPARE(SmtpSend(badHost, simpleMessage()), int(MAPI_E_NETWORK_FAILURE));
    }

    // An account that asks for TLS never falls back to sending in the clear.
    void tlsIsNeverDroppedSilently()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        SmtpServer account = serverAt(server.Port());
        account.security = MailSecurity::StartTls;
        QCOMPARE(SmtpSend(account, simpleMessage()), int(MAPI_E_NETWORK_FAILURE));
        account.security = MailSecurity::Tls;
        QCOMPARE(SmtpSend(account, simpleMessage()), int(MAPI_E_NETWORK_FAILURE));
        QVERIFY(server.Messages().isEmpty());
    }

    void serverStoppedMidSend()
    {
        QTemporaryDir dir;
        const QString big = k5test::WriteFile(dir.path() + QStringLiteral("/big.bin"), QByteArray(4 << 20, 'z'));
        k5test::SmtpServer server;
        QVERIFY(server.Start({QStringLiteral("--die-after"), QStringLiteral("100000")}));
        MailMessage m = simpleMessage();
        m.attachments = {{big, QStringLiteral("big.bin")}};
        QCOMPARE(SmtpSend(serverAt(server.Port()), m), int(MAPI_E_NETWORK_FAILURE));
        QVERIFY(server.Messages().isEmpty());
    }

    void accountsRoundTrip()
    {
        MailAccount a;
        a.name = QStringLiteral("Work");
        a.sender = QStringLiteral("Me <me@example.org>");
        a.server.host = QStringLiteral("mail.example.org");
        a.server.port = 587;
        a.server.security = MailSecurity::StartTls;
        a.server.user = QStringLiteral("me");
        a.server.password = QStringLiteral("pw");
        QVERIFY(SaveMailAccount(a));
        SetDefaultMailAccount(QStringLiteral("Work"));
        MailAccount b;
        QVERIFY(LoadMailAccount(QStringLiteral("Work"), &b));
        QCOMPARE(b.sender, a.sender);
        QCOMPARE(b.server.host, a.server.host);
        QCOMPARE(b.server.port, quint16(587));
        QCOMPARE(int(b.server.security), int(MailSecurity::StartTls));
        QCOMPARE(b.server.password, QStringLiteral("pw"));
        QCOMPARE(DefaultMailAccount(), QStringLiteral("Work"));
        QCOMPARE(MailAccountNames(), QStringList{QStringLiteral("Work")});
        QVERIFY(!LoadMailAccount(QStringLiteral("Home"), &b));
        a.name = QStringLiteral("a\\b");
        QVERIFY(!SaveMailAccount(a));
        QVERIFY(DeleteMailAccount(QStringLiteral("Work")));
        QVERIFY(MailAccountNames().isEmpty());
    }
};

K5_TEST_MAIN(TestSmtpClient)
#include "test_smtpclient.moc"
