#include "k5smtpserver.h"
#include "platform/mail/smtpclient.h"

#include <QtTest>

using namespace platform;

namespace {

MailMessage simpleMessage()
{
    MailMessage m;
    m.from = ParseMailAddress(QStringLiteral("Sender <sender@example.org>"));
    m.to = {ParseMailAddress(QStringLiteral("to@example.org"))};
    m.subject = QStringLiteral("Over TLS");
    m.body = QStringLiteral("Sealed text");
    return m;
}

// Certificates made for this run by openssl: two authorities and server certificates signed by them.
class Pki {
public:
    bool Make()
    {
        return dir_.isValid() && authority(QStringLiteral("ca"), QStringLiteral("K5 Test CA")) &&
               authority(QStringLiteral("other"), QStringLiteral("K5 Other CA")) &&
               server(QStringLiteral("good"), QStringLiteral("ca"), QStringLiteral("IP:127.0.0.1,DNS:localhost"), 2) &&
               server(QStringLiteral("stranger"), QStringLiteral("other"), QStringLiteral("IP:127.0.0.1"), 2) &&
               server(QStringLiteral("misnamed"), QStringLiteral("ca"), QStringLiteral("DNS:mail.elsewhere.test"), 2) &&
               server(QStringLiteral("expired"), QStringLiteral("ca"), QStringLiteral("IP:127.0.0.1"), -1);
    }
    QString Path(const QString &name) const { return dir_.path() + QLatin1Char('/') + name; }
    QString Ca() const { return Path(QStringLiteral("ca.pem")); }
    // The server's options for one of the certificates.
    QStringList Serve(const QString &how, const QString &cert) const
    {
        return {how, Path(cert + QStringLiteral(".pem")), Path(cert + QStringLiteral(".key"))};
    }
    QString Error;

private:
    bool run(const QStringList &args)
    {
        QProcess p;
        p.setWorkingDirectory(dir_.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("openssl"), args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            Error = QStringLiteral("openssl %1: %2").arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAll()));
            return false;
        }
        return true;
    }
    bool authority(const QString &name, const QString &cn)
    {
        return run({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                    QStringLiteral("-nodes"), QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                    name + QStringLiteral(".pem"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                    QStringLiteral("/CN=") + cn, QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                    QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
    }
    // days < 0 gives a certificate whose time ran out before it was made.
    bool server(const QString &name, const QString &ca, const QString &altNames, int days)
    {
        const QString ext = Path(name + QStringLiteral(".ext"));
        k5test::WriteFile(ext, "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=" +
                                   altNames.toLatin1() + '\n');
        return run({QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                    QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"), name + QStringLiteral(".csr"),
                    QStringLiteral("-subj"), QStringLiteral("/CN=K5 test server")}) &&
               run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), name + QStringLiteral(".csr"),
                    QStringLiteral("-CA"), ca + QStringLiteral(".pem"), QStringLiteral("-CAkey"), ca + QStringLiteral(".key"),
                    QStringLiteral("-set_serial"), QString::number(qHash(name) & 0x7fffffff), QStringLiteral("-out"),
                    name + QStringLiteral(".pem"), QStringLiteral("-days"), QString::number(days), QStringLiteral("-extfile"), ext});
    }
    QTemporaryDir dir_;
};

SmtpServer account(quint16 port, MailSecurity security, const QString &ca)
{
    SmtpServer s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.security = security;
    s.caFile = ca;
    s.connectTimeoutMs = 5000;
    s.stallTimeoutMs = 10000;
    return s;
}

} // namespace

class TestSmtpTls : public QObject {
    Q_OBJECT
    Pki pki_;

private slots:
    void initTestCase() { QVERIFY2(pki_.Make(), qPrintable(pki_.Error)); }
    void init() { k5test::ResetEnvironment(); }

    void sendsOverTrustedTls_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("security");
        QTest::newRow("STARTTLS") << QStringLiteral("--starttls") << int(MailSecurity::StartTls);
        QTest::newRow("implicit TLS") << QStringLiteral("--tls") << int(MailSecurity::Tls);
    }
    void sendsOverTrustedTls()
    {
        QFETCH(QString, how);
        QFETCH(int, security);
        k5test::SmtpServer server;
        QVERIFY(server.Start(pki_.Serve(how, QStringLiteral("good")) +
                             QStringList{QStringLiteral("--user"), QStringLiteral("me"), QStringLiteral("--password"),
                                         QStringLiteral("pass word")}));
        SmtpServer a = account(server.Port(), MailSecurity(security), pki_.Ca());
        a.user = QStringLiteral("me");
        a.password = QStringLiteral("pass word");
        QString reply;
        QCOMPARE(SmtpSend(a, simpleMessage(), &reply), int(SUCCESS_SUCCESS));
        QVERIFY(server.WaitForMessages(1));
        const k5test::DeliveredMail m = server.Messages().at(0);
        QCOMPARE(m.from, QStringLiteral("sender@example.org"));
        QCOMPARE(m.recipients, QStringList{QStringLiteral("to@example.org")});
        QCOMPARE(m.Header(QStringLiteral("Subject")), QStringLiteral("Over TLS"));
        QCOMPARE(m.Body().trimmed(), QStringLiteral("Sealed text"));
    }

    // A certificate the client cannot trust ends the send before anything is said in the clear or sent,
    // and the reply tells which fault it was.
    void refusesCertificatesItCannotTrust_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("cert");
        QTest::addColumn<QString>("why");
        for (const auto &[how, security, label] :
             {std::tuple{QStringLiteral("--starttls"), MailSecurity::StartTls, "STARTTLS"},
              std::tuple{QStringLiteral("--tls"), MailSecurity::Tls, "implicit"}}) {
            QTest::addRow("%s, another authority", label) << how << int(security) << QStringLiteral("stranger")
                                                          << QStringLiteral("issuer");
            QTest::addRow("%s, wrong host name", label) << how << int(security) << QStringLiteral("misnamed")
                                                        << QStringLiteral("host");
            QTest::addRow("%s, expired", label) << how << int(security) << QStringLiteral("expired")
                                                << QStringLiteral("expired");
        }
    }
    void refusesCertificatesItCannotTrust()
    {
        QFETCH(QString, how);
        QFETCH(int, security);
        QFETCH(QString, cert);
        QFETCH(QString, why);
        k5test::SmtpServer server;
        QVERIFY(server.Start(pki_.Serve(how, cert)));
        QString reply;
        QCOMPARE(SmtpSend(account(server.Port(), MailSecurity(security), pki_.Ca()), simpleMessage(), &reply),
                 int(MAPI_E_NETWORK_FAILURE));
        QVERIFY2(reply.contains(QStringLiteral("certificate"), Qt::CaseInsensitive) || reply.contains(QStringLiteral("SSL")),
                 qPrintable(reply));
        QVERIFY2(reply.contains(why, Qt::CaseInsensitive), qPrintable(reply));
        QVERIFY(server.Messages().isEmpty());
    }

    // Without a file of its own the client trusts the system's authorities only, which never include a
    // test authority.
    void theSystemsAuthoritiesDoNotVouchForATestServer()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start(pki_.Serve(QStringLiteral("--tls"), QStringLiteral("good"))));
        QString reply;
        QCOMPARE(SmtpSend(account(server.Port(), MailSecurity::Tls, QString()), simpleMessage(), &reply),
                 int(MAPI_E_NETWORK_FAILURE));
        QVERIFY2(reply.contains(QStringLiteral("certificate"), Qt::CaseInsensitive), qPrintable(reply));
        QVERIFY(server.Messages().isEmpty());
    }
};

K5_TEST_MAIN(TestSmtpTls)
#include "test_smtptls.moc"
