#include "mailtest.h"
#include "platform/folders.h"
#include "tools/publish/email.h"
#include "tools/publish/maildialogs.h"

#include <QDir>
#include <QRegularExpression>
#include <QSpinBox>
#include <QtTest>

using namespace platform;
using namespace publish;

namespace {

// Records the component's events in the order they fire.
struct EventLog {
    QStringList events;
    QList<int> errors;
    explicit EventLog(TEmail &m)
    {
        const QList<std::pair<void (TEmail::*)(), QString>> signals_ = {
            {&TEmail::BeforeLogon, QStringLiteral("BeforeLogon")}, {&TEmail::AfterLogon, QStringLiteral("AfterLogon")},
            {&TEmail::BeforeLogoff, QStringLiteral("BeforeLogoff")}, {&TEmail::AfterLogoff, QStringLiteral("AfterLogoff")},
            {&TEmail::BeforeSendMail, QStringLiteral("BeforeSendMail")},
            {&TEmail::AfterSendMail, QStringLiteral("AfterSendMail")},
            {&TEmail::BeforeSaveMail, QStringLiteral("BeforeSaveMail")},
            {&TEmail::AfterSaveMail, QStringLiteral("AfterSaveMail")}};
        for (const auto &[sig, name] : signals_)
            QObject::connect(&m, sig, [this, name = name] { events << name; });
        QObject::connect(&m, &TEmail::MapiError, [this](int code) {
            events << QStringLiteral("MapiError %1").arg(code);
            errors << code;
        });
    }
};

const QStringList kAroundSend = {QStringLiteral("BeforeLogon"), QStringLiteral("AfterLogon"),
                                 QStringLiteral("BeforeSendMail"), QStringLiteral("AfterSendMail"),
                                 QStringLiteral("BeforeLogoff"), QStringLiteral("AfterLogoff")};

} // namespace

class TestEmail : public QObject {
    Q_OBJECT

private slots:
    void init() { k5test::ResetEnvironment(); }

    void shortFileNames()
    {
        TEmail m;
        QCOMPARE(m.ShortFileName(QStringLiteral("abcdefghijklm.abcd")), QStringLiteral("ghijklm.abcd"));
        QCOMPARE(m.ShortFileName(QStringLiteral("abcdefgh.txt")), QStringLiteral("abcdefgh.txt"));
        QCOMPARE(m.ShortFileName(QStringLiteral("abcdefghi.txt")), QStringLiteral("bcdefghi.txt"));
        QCOMPARE(m.ShortFileName(QStringLiteral("abcdefghijklmno")), QStringLiteral("defghijklmno"));
        QCOMPARE(m.ShortFileName(QStringLiteral("abcdefghij") + QString(11, QLatin1Char('.')) + QStringLiteral("x")),
                 QStringLiteral("x"));
        QCOMPARE(m.Version(), QStringLiteral("9.09.02"));
        QVERIFY(m.MapiAvail());
    }

    void longTextAndShortFields()
    {
        TEmail m;
        m.SetSubject(QString(300, QLatin1Char('s')));
        QCOMPARE(m.Subject().size(), 255);
        m.SetText(QStringLiteral("short"));
        QCOMPARE(m.SetLongText("long body"), 9);
        QVERIFY(m.Text().isEmpty());
        QCOMPARE(m.SetLongText(nullptr), 0);
    }

    // A send that logs on by itself logs off afterwards; a session already open stays open.
    void eventOrderAndSessions()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        TEmail m;
        m.UseDefProfile = true;
        EventLog log(m);
        m.Recipient = {QStringLiteral("to@example.org")};
        m.SetSubject(QStringLiteral("One"));
        QCOMPARE(m.SendMail(), 0);
        QCOMPARE(log.events, kAroundSend);
        QVERIFY(!m.LoggedOn());
        QCOMPARE(m.Profile(), QStringLiteral("Test"));

        log.events.clear();
        QCOMPARE(m.Logon(), 0);
        QCOMPARE(m.SendMail(), 0);
        QCOMPARE(log.events, kAroundSend.mid(0, 4));
        QVERIFY(m.LoggedOn());
        QCOMPARE(m.Logoff(), 0);
        QCOMPARE(log.events, kAroundSend);
        QVERIFY(server.WaitForMessages(2));
    }

    void namesResolve()
    {
        k5test::UseMailServer(25);
        TEmail m;
        m.UseDefProfile = true;
        EventLog log(m);
        QString out;
        QCOMPARE(m.ResolveName(QStringLiteral(" Bob  <bob@x.org> "), &out), 0);
        QCOMPARE(out, QStringLiteral("Bob <bob@x.org>"));
        QCOMPARE(m.ResolveName(QStringLiteral("[bob@x.org]"), &out), 0);
        QCOMPARE(out, QStringLiteral("[bob@x.org]"));
        QCOMPARE(m.ResolveName(QStringLiteral("Bob"), &out), int(MAPI_E_UNKNOWN_RECIPIENT));
        QVERIFY(out.isEmpty());
        QCOMPARE(log.errors, QList<int>{MAPI_E_UNKNOWN_RECIPIENT});
        QVERIFY(!m.LoggedOn());
    }

    // What the server receives, Bcc only in the envelope; an unknown name is reported and left out.
    void messageReadBack()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        QTemporaryDir dir;
        const QString att = k5test::WriteFile(dir.path() + QStringLiteral("/averyveryverylongname.html"), "<P>hi</P>");
        TEmail m;
        m.UseDefProfile = true;
        EventLog log(m);
        m.Recipient = {QStringLiteral("Ann <ann@example.org>"), QStringLiteral("Nobody")};
        m.CC = {QStringLiteral("[cc@example.org]")};
        m.Bcc = {QStringLiteral("secret@example.org")};
        m.SetSubject(QString::fromUtf8("Grüße"));
        m.SetLongText("Body line 1\r\nBody line 2");
        m.Attachment = {att};
        m.Acknowledge = true;
        QCOMPARE(m.SendMail(), 0);
        QCOMPARE(log.errors, QList<int>{MAPI_E_UNKNOWN_RECIPIENT});
        QVERIFY(server.WaitForMessages(1));
        const k5test::DeliveredMail got = server.Messages().at(0);
        QCOMPARE(got.from, QStringLiteral("me@example.org"));
        QCOMPARE(got.recipients, QStringList({QStringLiteral("ann@example.org"), QStringLiteral("cc@example.org"),
                                              QStringLiteral("secret@example.org")}));
        QCOMPARE(got.Header(QStringLiteral("To")), QStringLiteral("Ann <ann@example.org>"));
        QCOMPARE(got.Header(QStringLiteral("Cc")), QStringLiteral("cc@example.org"));
        QVERIFY(!got.HasHeader(QStringLiteral("Bcc")));
        QCOMPARE(got.Header(QStringLiteral("Subject")), QString::fromUtf8("Grüße"));
        QVERIFY(got.HasHeader(QStringLiteral("Disposition-Notification-To")));
        QCOMPARE(got.Body(), QStringLiteral("Body line 1\r\nBody line 2"));
        QCOMPARE(got.Attachments().size(), 1);
        QCOMPARE(got.Attachments()[0][QStringLiteral("filename")].toString(), QStringLiteral("ongname.html"));
        QCOMPARE(m.Recipient.at(0), QStringLiteral("Ann <ann@example.org>"));
    }

    // Every failure is reported with its code, nothing is reported as sent that was not, and the
    // session opened for the call is closed.
    void failures()
    {
        QTemporaryDir dir;
        k5test::SmtpServer server;
        QVERIFY(server.Start({QStringLiteral("--user"), QStringLiteral("k5"), QStringLiteral("--password"),
                              QStringLiteral("secret"), QStringLiteral("--refuse"), QStringLiteral("gone@example.org")}));
        k5test::UseMailServer(server.Port(), QStringLiteral("k5"), QStringLiteral("wrong"));
        TEmail m;
        m.UseDefProfile = true;
        EventLog log(m);
        m.Recipient = {QStringLiteral("to@example.org")};
        QCOMPARE(m.SendMail(), int(MAPI_E_LOGIN_FAILURE));
        QVERIFY(!log.events.contains(QStringLiteral("AfterSendMail")));

        m.SetPassword(QStringLiteral("secret"));
        m.CC = {QStringLiteral("gone@example.org")};
        log.events.clear();
        QCOMPARE(m.SendMail(), int(MAPI_E_UNKNOWN_RECIPIENT));
        QCOMPARE(log.events.last(), QStringLiteral("AfterLogoff"));
        QVERIFY(!log.events.contains(QStringLiteral("AfterSendMail")));

        m.CC.clear();
        for (const auto &[path, code] : {std::pair{dir.path() + QStringLiteral("/missing"), int(MAPI_E_ATTACHMENT_NOT_FOUND)},
                                         std::pair{QStringLiteral("/proc/self/mem"), int(MAPI_E_ATTACHMENT_OPEN_FAILURE)},
                                         std::pair{dir.path(), int(MAPI_E_ATTACHMENT_OPEN_FAILURE)}}) {
            log.events.clear();
            m.Attachment = {path};
            QCOMPARE(m.SendMail(), code);
            QCOMPARE(log.events, QStringList({QStringLiteral("BeforeLogon"), QStringLiteral("AfterLogon"),
                                              QStringLiteral("MapiError %1").arg(code), QStringLiteral("BeforeLogoff"),
                                              QStringLiteral("AfterLogoff")}));
            QVERIFY(!m.LoggedOn());
        }

        m.Attachment.clear();
        m.Recipient = {QStringLiteral("to@example.org\r\nBcc: eve@evil.org")};
        QCOMPARE(m.SendMail(), int(MAPI_E_INVALID_RECIPS));
        m.Recipient = {QStringLiteral("to@example.org")};
        m.SetSubject(QStringLiteral("Hi\nBcc: eve@evil.org"));
        QCOMPARE(m.SendMail(), int(MAPI_E_INVALID_MESSAGE));
        QTest::qWait(100);
        QVERIFY(server.Messages().isEmpty());
    }

    void serverStoppedMidSend()
    {
        QTemporaryDir dir;
        const QString big = k5test::WriteFile(dir.path() + QStringLiteral("/big.bin"), QByteArray(3 << 20, 'q'));
        k5test::SmtpServer server;
        QVERIFY(server.Start({QStringLiteral("--die-after"), QStringLiteral("50000")}));
        k5test::UseMailServer(server.Port());
        TEmail m;
        m.UseDefProfile = true;
        EventLog log(m);
        m.Recipient = {QStringLiteral("to@example.org")};
        m.Attachment = {big};
        QCOMPARE(m.SendMail(), int(MAPI_E_NETWORK_FAILURE));
        QCOMPARE(log.errors, QList<int>{MAPI_E_NETWORK_FAILURE});
        QVERIFY(!log.events.contains(QStringLiteral("AfterSendMail")));
        QVERIFY(server.Messages().isEmpty());
    }

    // With no account, the account dialog stands for the logon dialog; the user fills it in.
    void logonAsksForTheAccount()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        TEmail m;
        m.UseDefProfile = true;
        EventLog log(m);
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("Cancel"));
        QCOMPARE(m.Logon(), int(MAPI_USER_ABORT));
        QCOMPARE(log.errors, QList<int>{MAPI_USER_ABORT});
        m.Recipient = {QStringLiteral("to@example.org")};
        hand.Click(QStringLiteral("Cancel"));
        QCOMPARE(m.SendMail(), int(MAPI_E_LOGIN_FAILURE));

        auto edit = [](int n) {
            return [n](QWidget *w) -> QLineEdit * {
                auto *d = qobject_cast<TMailAccountDialog *>(w);
                return d ? QList<QLineEdit *>{d->edtName, d->edtSender, d->edtServer}.at(n) : nullptr;
            };
        };
        const quint16 port = server.Port();
        hand.Type(edit(0), QStringLiteral("Home"))
            .Type(edit(1), QStringLiteral("Me <me@example.org>"))
            .Type(edit(2), QStringLiteral("127.0.0.1"))
            .Then([port](QWidget *w) {
                auto *d = qobject_cast<TMailAccountDialog *>(w);
                d->spnPort->setValue(port);
                return true;
            })
            .Click(QStringLiteral("OK"));
        QCOMPARE(m.SendMail(), 0);
        QVERIFY(hand.Done());
        QCOMPARE(DefaultMailAccount(), QStringLiteral("Home"));
        QVERIFY(server.WaitForMessages(1));
        k5test::FlushEvents();
    }

    // With no recipient the send dialog asks for them; refusing it sends nothing.
    void sendDialogWithoutRecipients()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        TEmail m;
        m.UseDefProfile = true;
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("Cancel"));
        QCOMPARE(m.SendMail(), int(MAPI_USER_ABORT));
        hand.Type([](QWidget *w) {
                auto *d = qobject_cast<TMailAddressDialog *>(w);
                return d ? d->edtTo : nullptr;
            }, QStringLiteral("a@example.org; b@example.org"))
            .Click(QStringLiteral("OK"));
        QCOMPARE(m.SendMail(), 0);
        QCOMPARE(m.Recipient, QStringList({QStringLiteral("a@example.org"), QStringLiteral("b@example.org")}));
        QVERIFY(server.WaitForMessages(1));
        QCOMPARE(server.Messages().size(), 1);

        // The address book rewrites the three lists.
        m.Recipient.clear();
        hand.Type([](QWidget *w) {
                auto *d = qobject_cast<TMailAddressDialog *>(w);
                return d ? d->edtBcc : nullptr;
            }, QStringLiteral(" x@example.org ;; "))
            .Click(QStringLiteral("OK"));
        QCOMPARE(m.Address(), 0);
        QCOMPARE(m.Bcc, QStringList{QStringLiteral("x@example.org")});
        k5test::FlushEvents();
    }

    void saveMailWritesADraft()
    {
        k5test::UseMailServer(25);
        TEmail m;
        m.UseDefProfile = true;
        EventLog log(m);
        m.SetSubject(QStringLiteral("Draft"));
        QCOMPARE(m.SaveMail(), 0);
        QCOMPARE(log.events, QStringList({QStringLiteral("BeforeLogon"), QStringLiteral("AfterLogon"),
                                          QStringLiteral("BeforeSaveMail"), QStringLiteral("AfterSaveMail"),
                                          QStringLiteral("BeforeLogoff"), QStringLiteral("AfterLogoff")}));
        const QStringList drafts = QDir(TEmail::DraftsFolder()).entryList(QDir::Files);
        QCOMPARE(drafts.size(), 1);
        const QByteArray text = k5test::ReadFile(TEmail::DraftsFolder() + QLatin1Char('/') + drafts[0]);
        QVERIFY(text.contains("Subject: Draft\r\n"));
        QVERIFY(text.contains(m.MessageID().toLatin1()));
    }

    // A long Message-ID carries a time stamp, a UUID and the whole domain; a short one fits 64 characters.
    void messageIdsLongAndShort()
    {
        k5test::SmtpServer server;
        QVERIFY(server.Start());
        k5test::UseMailServer(server.Port());
        TEmail m;
        m.UseDefProfile = true;
        QVERIFY(m.UseLongMessageID);
        m.Recipient = {QStringLiteral("to@example.org")};
        QCOMPARE(m.SendMail(), 0);
        const QString longId = m.MessageID();
        QVERIFY2(QRegularExpression(QStringLiteral("^<\\d{17}\\.[0-9a-f]{32}@example\\.org>$")).match(longId).hasMatch(),
                 qPrintable(longId));
        m.UseLongMessageID = false;
        QCOMPARE(m.SendMail(), 0);
        const QString shortId = m.MessageID();
        QVERIFY2(QRegularExpression(QStringLiteral("^<[0-9a-f]{16}@example\\.org>$")).match(shortId).hasMatch(),
                 qPrintable(shortId));
        QVERIFY(server.WaitForMessages(2));
        QCOMPARE(server.Messages().at(0).Header(QStringLiteral("Message-ID")), longId);
        QCOMPARE(server.Messages().at(1).Header(QStringLiteral("Message-ID")), shortId);

        // A long domain loses its first labels in a short identifier, and a label too long for it all.
        const QString domain = QStringLiteral("mail.department.faculty.university-of-somewhere.example.org");
        QVERIFY(TEmail::MakeMessageID(domain, true).endsWith(QLatin1Char('@') + domain + QLatin1Char('>')));
        const QString cut = TEmail::MakeMessageID(domain, false);
        QVERIFY2(cut.size() <= 64 && cut.endsWith(QStringLiteral("@faculty.university-of-somewhere.example.org>")), qPrintable(cut));
        const QString single = TEmail::MakeMessageID(QString(60, QLatin1Char('d')), false);
        QVERIFY2(single.size() <= 64 && single.endsWith(QStringLiteral("@localhost>")), qPrintable(single));
        QVERIFY(TEmail::MakeMessageID(domain, false) != cut);
    }

    // With NewSession a send logs on afresh for itself (the account as it is now) and the open session
    // stays as it was; without it, a logged-on component sends through its open session.
    void newSessionPerSend()
    {
        k5test::SmtpServer first, second;
        QVERIFY(first.Start());
        QVERIFY(second.Start());
        k5test::UseMailServer(first.Port());
        TEmail m;
        m.UseDefProfile = true;
        m.Recipient = {QStringLiteral("to@example.org")};
        QCOMPARE(m.Logon(), 0);
        k5test::UseMailServer(second.Port()); // the account changes while the session is open

        EventLog log(m);
        QCOMPARE(m.SendMail(), 0);
        QVERIFY(first.WaitForMessages(1));
        QCOMPARE(log.events, kAroundSend.mid(2, 2));

        log.events.clear();
        m.NewSession = true;
        QCOMPARE(m.SendMail(), 0);
        QVERIFY(second.WaitForMessages(1));
        QCOMPARE(log.events, kAroundSend);
        QVERIFY(m.LoggedOn());

        m.NewSession = false;
        QCOMPARE(m.SendMail(), 0);
        QVERIFY(first.WaitForMessages(2));
        QCOMPARE(second.Messages().size(), 1);

        // A new session that cannot log on leaves the open one alone.
        m.NewSession = true;
        m.SetProfile(QStringLiteral("missing"));
        m.UseDefProfile = false;
        k5test::ModalHand hand;
        hand.Click(QStringLiteral("Cancel")); // the account dialog that stands for the logon dialog
        QCOMPARE(m.SendMail(), int(MAPI_E_LOGIN_FAILURE));
        QVERIFY(hand.Done());
        QVERIFY(m.LoggedOn());
        m.NewSession = false;
        QCOMPARE(m.SendMail(), 0);
        QVERIFY(first.WaitForMessages(3));
        QCOMPARE(m.Logoff(), 0);
        k5test::FlushEvents();
    }
};

K5_TEST_MAIN(TestEmail)
#include "test_email.moc"
