// The mail component in a program without a display: where it would show a dialog it answers as if the
// dialog was refused.
#include "k5smtpserver.h"
#include "tools/publish/email.h"

#include <QCoreApplication>
#include <QtTest>

using namespace platform;
using namespace publish;

class TestEmailConsole : public QObject {
    Q_OBJECT

private slots:
    void init() { k5test::ResetEnvironment(); }

    void dialogPathsAnswerRefused()
    {
        TEmail m;
        m.UseDefProfile = true;
        QList<int> errors;
        connect(&m, &TEmail::MapiError, this, [&errors](int code) { errors << code; });
        QCOMPARE(m.Logon(), int(MAPI_USER_ABORT));
        QCOMPARE(errors, QList<int>{MAPI_USER_ABORT});
        m.Recipient = {QStringLiteral("to@example.org")};
        QCOMPARE(m.SendMail(), int(MAPI_E_LOGIN_FAILURE));
        QCOMPARE(m.Address(), int(MAPI_E_LOGIN_FAILURE));

        k5test::SmtpServer server;
        QVERIFY(server.Start());
        MailAccount a;
        a.name = QStringLiteral("Test");
        a.sender = QStringLiteral("me@example.org");
        a.server.host = QStringLiteral("127.0.0.1");
        a.server.port = server.Port();
        QVERIFY(SaveMailAccount(a));
        SetDefaultMailAccount(a.name);
        QCOMPARE(m.Address(), int(MAPI_USER_ABORT));
        m.ShowDialog = true;
        QCOMPARE(m.SendMail(), int(MAPI_USER_ABORT));
        m.ShowDialog = false;
        m.Recipient.clear();
        QCOMPARE(m.SendMail(), int(MAPI_USER_ABORT));
        m.Recipient = {QStringLiteral("to@example.org")};
        QCOMPARE(m.SendMail(), 0);
        QVERIFY(server.WaitForMessages(1));
        QVERIFY(!m.LoggedOn());
    }
};

int main(int argc, char **argv)
{
    k5test::IsolateEnvironment();
    QCoreApplication app(argc, argv);
    int rc = 0;
    {
        TestEmailConsole t;
        rc = QTest::qExec(&t, argc, argv);
    }
    k5test::RemoveEnvironment();
    return rc;
}
#include "test_emailconsole.moc"
