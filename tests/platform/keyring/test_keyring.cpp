#include "k5test.h"

#include "platform/folders.h"
#include "platform/keyring/keyring.h"
#include "platform/mail/mailaccount.h"
#include "platform/registry.h"
#include "tools/publish/ftpsettings.h"
#include "tools/publish/maildialogs.h"

#include "controls/zel/zelstores.h"

#include <QFile>
#include <QLabel>
#include <sys/stat.h>

using namespace platform;

namespace {

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QString store() { return ConfigFolder() + QStringLiteral("/registry.ini"); }

MailAccount work(const QString &password)
{
    MailAccount a;
    a.name = QStringLiteral("Work");
    a.sender = QStringLiteral("Me <me@example.org>");
    a.server.host = QStringLiteral("mail.example.org");
    a.server.user = QStringLiteral("me");
    a.server.password = password;
    return a;
}

// The FTP settings' value in the store, or "<missing>".
QString storedFtpPassword()
{
    Registry r;
    return r.OpenKeyReadOnly(QStringLiteral("\\Kestrova 5\\Kestrova 5\\Settings")) && r.ValueExists(QStringLiteral("FTP Password"))
               ? r.ReadString(QStringLiteral("FTP Password"))
               : QStringLiteral("<missing>");
}

QString storedPassword(const QString &account)
{
    Registry r;
    return r.OpenKeyReadOnly(QStringLiteral("\\Kestrova 5\\Mail\\Profiles\\") + account)
               ? r.ReadString(QStringLiteral("Password"))
               : QStringLiteral("(no account)");
}

} // namespace

// Runs inside a private session bus with a keyring unlocked by a test password.
class TestKeyring : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(KeyringAvailable(), "no Secret Service on the session bus"); }
    void init() { k5test::ResetEnvironment(); }

    void passwordsLiveInTheKeyringOnly()
    {
        QVERIFY(SaveMailAccount(work(QStringLiteral("first s3cret"))));
        QCOMPARE(storedPassword(QStringLiteral("Work")), QString());
        QVERIFY(!k5test::ReadFile(store()).contains("s3cret"));
        MailAccount b;
        QVERIFY(LoadMailAccount(QStringLiteral("Work"), &b));
        QCOMPARE(b.server.password, QStringLiteral("first s3cret"));
        QCOMPARE(b.server.user, QStringLiteral("me"));

        // Replaced: the keyring holds the new one, the store neither.
        QVERIFY(SaveMailAccount(work(QStringLiteral("second s3cret"))));
        QVERIFY(LoadMailAccount(QStringLiteral("work"), &b));
        QCOMPARE(b.server.password, QStringLiteral("second s3cret"));
        QVERIFY(!k5test::ReadFile(store()).contains("s3cret"));
        QCOMPARE(modeOf(ConfigFolder()), 0700);
        QCOMPARE(modeOf(store()), 0600);

        // Deleting the account deletes its password.
        QVERIFY(DeleteMailAccount(QStringLiteral("Work")));
        QString left;
        QVERIFY(!KeyringRead(QStringLiteral("Mail\\work"), &left));
        QVERIFY(SaveMailAccount(work(QString())));
        QVERIFY(LoadMailAccount(QStringLiteral("Work"), &b));
        QCOMPARE(b.server.password, QString());
    }

    void anEmptyPasswordClearsTheKeyring()
    {
        QVERIFY(SaveMailAccount(work(QStringLiteral("gone soon"))));
        QVERIFY(SaveMailAccount(work(QString())));
        MailAccount b;
        QVERIFY(LoadMailAccount(QStringLiteral("Work"), &b));
        QCOMPARE(b.server.password, QString());
    }

    // A store written before the keyring was used still reads; the next save moves the password.
    void anOlderStoredPasswordMovesToTheKeyring()
    {
        k5test::WriteFile(store(), "[HKEY_CURRENT_USER\\Kestrova 5\\Mail\\Profiles\\Old]\r\n"
                                   "Sender=\"sz:me@example.org\"\r\nServer=\"sz:mail.example.org\"\r\n"
                                   "User=\"sz:me\"\r\nPassword=\"sz:older s3cret\"\r\n");
        Registry::ResetStore();
        MailAccount a;
        QVERIFY(LoadMailAccount(QStringLiteral("Old"), &a));
        QCOMPARE(a.server.password, QStringLiteral("older s3cret"));
        QVERIFY(SaveMailAccount(a));
        QVERIFY(!k5test::ReadFile(store()).contains("s3cret"));
        QCOMPARE(modeOf(store()), 0600);
        QString kept;
        QVERIFY(KeyringRead(QStringLiteral("Mail\\old"), &kept));
        QCOMPARE(kept, QStringLiteral("older s3cret"));
        Registry::ResetStore();
        QVERIFY(LoadMailAccount(QStringLiteral("Old"), &a));
        QCOMPARE(a.server.password, QStringLiteral("older s3cret"));
        QVERIFY(DeleteMailAccount(QStringLiteral("Old")));
    }

    // The FTP password typed in the settings goes to the keyring; the store keeps an empty value, and the
    // window says where the password is.
    void theFtpPasswordLivesInTheKeyring()
    {
        {
            publish::TFTPSettings w;
            QVERIFY2(w.PasswordPlace->text().contains(QStringLiteral("keyring")), qPrintable(w.PasswordPlace->text()));
            QTest::keyClicks(w.Host, QStringLiteral("ftp.example.org"));
            QTest::keyClicks(w.Password, QStringLiteral("ftp s3cret"));
            QCOMPARE(storedFtpPassword(), QString());
        }
        QVERIFY(!k5test::ReadFile(store()).contains("s3cret"));
        QCOMPARE(modeOf(store()), 0600);
        QString kept;
        QVERIFY(KeyringRead(QStringLiteral("FTP Password"), &kept));
        QCOMPARE(kept, QStringLiteral("ftp s3cret"));

        Registry::ResetStore();
        publish::TFTPSettings again;
        QCOMPARE(again.Host->text(), QStringLiteral("ftp.example.org"));
        QCOMPARE(again.Password->text(), QStringLiteral("ftp s3cret"));
        // Emptied, it leaves the keyring too.
        again.Password->clear();
        QVERIFY(!KeyringRead(QStringLiteral("FTP Password"), &kept));
        QCOMPARE(storedFtpPassword(), QString());
    }

    // A password the file kept (no keyring ran then, or an earlier version wrote it) moves to the keyring
    // when the settings are opened, and leaves the file.
    void aFiledFtpPasswordMovesToTheKeyring()
    {
        k5test::WriteFile(store(), "[HKEY_CURRENT_USER\\Kestrova 5\\Kestrova 5\\Settings]\r\n"
                                   "FTP Host Name=\"sz:ftp.example.org\"\r\nFTP Password=\"sz:filed s3cret\"\r\n");
        Registry::ResetStore();
        {
            publish::TFTPSettings w;
            QCOMPARE(w.Password->text(), QStringLiteral("filed s3cret"));
            QCOMPARE(storedFtpPassword(), QString());
            QVERIFY(!k5test::ReadFile(store()).contains("s3cret"));
        }
        QVERIFY(!k5test::ReadFile(store()).contains("s3cret"));
        QString kept;
        QVERIFY(KeyringRead(QStringLiteral("FTP Password"), &kept));
        QCOMPARE(kept, QStringLiteral("filed s3cret"));
        Registry::ResetStore();
        publish::TFTPSettings again;
        QCOMPARE(again.Password->text(), QStringLiteral("filed s3cret"));
        again.Password->clear();
    }

    void theAccountDialogSaysTheKeyring()
    {
        publish::TMailAccountDialog d(work(QString()));
        auto *place = d.findChild<QLabel *>(QStringLiteral("lblPasswordPlace"));
        QVERIFY(place);
        QVERIFY2(place->text().contains(QStringLiteral("keyring")), qPrintable(place->text()));
        QVERIFY(!place->text().contains(QStringLiteral("settings file")));
    }
};

K5_TEST_MAIN(TestKeyring)
#include "test_keyring.moc"
