#include "k5test.h"

#include "platform/folders.h"
#include "platform/keyring/keyring.h"
#include "platform/mail/mailaccount.h"
#include "platform/registry.h"
#include "tools/publish/maildialogs.h"

#include <QFile>
#include <QLabel>
#include <sys/stat.h>

using namespace platform;

// Runs with no session bus: passwords stay in the settings store, which only its owner can read.
class TestNoKeyring : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void passwordsStayInThePrivateStore()
    {
        QVERIFY(!KeyringAvailable());
        QString why;
        QVERIFY(!KeyringWrite(QStringLiteral("Mail\\x"), QStringLiteral("pw"), &why));
        QVERIFY(!why.isEmpty());

        MailAccount a;
        a.name = QStringLiteral("Home");
        a.sender = QStringLiteral("me@example.org");
        a.server.host = QStringLiteral("mail.example.org");
        a.server.password = QStringLiteral("filed s3cret");
        QVERIFY(SaveMailAccount(a));
        const QString store = ConfigFolder() + QStringLiteral("/registry.ini");
        QVERIFY(k5test::ReadFile(store).contains("filed s3cret"));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(store).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        QCOMPARE(::stat(QFile::encodeName(ConfigFolder()).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);

        Registry::ResetStore();
        MailAccount b;
        QVERIFY(LoadMailAccount(QStringLiteral("Home"), &b));
        QCOMPARE(b.server.password, QStringLiteral("filed s3cret"));
    }

    void theAccountDialogSaysTheSettingsFile()
    {
        publish::TMailAccountDialog d(MailAccount{});
        auto *place = d.findChild<QLabel *>(QStringLiteral("lblPasswordPlace"));
        QVERIFY(place);
        QVERIFY2(place->text().contains(QStringLiteral("settings file")), qPrintable(place->text()));
    }
};

K5_TEST_MAIN(TestNoKeyring)
#include "test_nokeyring.moc"
