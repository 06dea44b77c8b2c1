#include "k5test.h"

#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace {

// The permission bits as the system holds them.
int modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

QString config(const QString &name) { return platform::ConfigFolder() + QLatin1Char('/') + name; }

} // namespace

class TestPrivateSettings : public QObject {
    Q_OBJECT
    mode_t oldMask_ = 0;
private slots:
    // A umask that would leave every new file readable by all, so only the program can make them private.
    void initTestCase() { oldMask_ = ::umask(022); }
    void cleanupTestCase() { ::umask(oldMask_); }
    void init() { k5test::ResetEnvironment(); }

    void settingsFolderAndStoresAreOwnerOnly()
    {
        // ResetEnvironment leaves the parent of the settings folder; the folder itself is made on use.
        QDir(platform::ConfigFolder()).removeRecursively();
        platform::ResetFolders();
        QCOMPARE(modeOf(platform::ConfigFolder()), 0700);

        platform::Registry r;
        QVERIFY(r.OpenKey(QStringLiteral("\\Kestrova 5\\Mail\\Profiles\\Home"), true));
        r.WriteString(QStringLiteral("Server"), QStringLiteral("mail.example"));
        QCOMPARE(modeOf(config(QStringLiteral("registry.ini"))), 0600);

        platform::IniFile ini(config(QStringLiteral("kestrova5.ini")));
        ini.WriteString(QStringLiteral("Main"), QStringLiteral("Left"), QStringLiteral("10"));
        QCOMPARE(modeOf(config(QStringLiteral("kestrova5.ini"))), 0600);

        // Folders made below the settings folder by a write are private too.
        platform::WriteFileAtomic(config(QStringLiteral("sites/one/list.ini")), "x=1\r\n");
        QCOMPARE(modeOf(config(QStringLiteral("sites"))), 0700);
        QCOMPARE(modeOf(config(QStringLiteral("sites/one"))), 0700);
        QCOMPARE(modeOf(config(QStringLiteral("sites/one/list.ini"))), 0600);
        // Nothing left behind but the files themselves.
        QCOMPARE(QDir(config(QStringLiteral("sites/one"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("list.ini")});
    }

    void olderFilesAndFoldersBecomePrivateOnTheirNextWrite()
    {
        const QString folder = platform::ConfigFolder();
        const QString store = config(QStringLiteral("registry.ini"));
        const QString sub = config(QStringLiteral("layouts"));
        const QString layout = sub + QStringLiteral("/bar.ini");
        QVERIFY(QDir().mkpath(sub));
        QFile f(store);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[HKEY_CURRENT_USER\\Kestrova 5]\r\nOld=\"sz:kept\"\r\n");
        f.close();
        QFile g(layout);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write("[Bar]\r\nTop=3\r\n");
        g.close();
        // As an earlier version left them: readable by everyone.
        for (const QString &p : {folder, sub})
            QVERIFY(::chmod(QFile::encodeName(p).constData(), 0755) == 0);
        for (const QString &p : {store, layout})
            QVERIFY(::chmod(QFile::encodeName(p).constData(), 0644) == 0);

        platform::Registry r;
        QVERIFY(r.OpenKey(QStringLiteral("\\Kestrova 5"), false));
        r.WriteString(QStringLiteral("New"), QStringLiteral("added"));
        QCOMPARE(modeOf(store), 0600);
        QCOMPARE(r.ReadString(QStringLiteral("Old")), QStringLiteral("kept"));
        platform::Registry::ResetStore();
        platform::Registry again;
        QVERIFY(again.OpenKey(QStringLiteral("\\Kestrova 5"), false));
        QCOMPARE(again.ReadString(QStringLiteral("Old")), QStringLiteral("kept"));
        QCOMPARE(again.ReadString(QStringLiteral("New")), QStringLiteral("added"));

        platform::IniFile ini(layout);
        ini.WriteString(QStringLiteral("Bar"), QStringLiteral("Left"), QStringLiteral("4"));
        QCOMPARE(modeOf(layout), 0600);
        QCOMPARE(modeOf(sub), 0700);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(k5test::ReadFile(layout), QByteArray("[Bar]\r\nTop=3\r\nLeft=4\r\n"));

        // Only group and others lose rights: a folder its owner made read-only is not made writable.
        const QString locked = config(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0555) == 0);
        try {
            platform::WriteFileAtomic(locked + QStringLiteral("/a.ini"), "");
        } catch (const platform::FileError &) {
            // refused unless the tests run with rights that pass over folder modes
        }
        QCOMPARE(modeOf(locked), 0500);
        QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0700) == 0);
    }

    void filesOutsideTheSettingsKeepTheirMode()
    {
        // A document the user made group-readable stays so when the program saves over it.
        const QString doc = k5test::Root() + QStringLiteral("/program/page.htm");
        platform::WriteFileAtomic(doc, "<p>one</p>");
        QCOMPARE(modeOf(doc), 0644);
        QVERIFY(::chmod(QFile::encodeName(doc).constData(), 0640) == 0);
        platform::WriteFileAtomic(doc, "<p>two</p>");
        QCOMPARE(modeOf(doc), 0640);
        QCOMPARE(k5test::ReadFile(doc), QByteArray("<p>two</p>"));
        // The folder above the settings folder is the user's, not ours to change.
        const QString parent = QFileInfo(platform::ConfigFolder()).path();
        QVERIFY(::chmod(QFile::encodeName(parent).constData(), 0755) == 0);
        platform::WriteFileAtomic(config(QStringLiteral("a.ini")), "");
        QCOMPARE(modeOf(parent), 0755);
    }
};

K5_TEST_MAIN(TestPrivateSettings)
#include "test_privatesettings.moc"
