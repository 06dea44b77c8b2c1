// The desktop's own name for its file manager, found the way the desktop finds the program that opens a
// folder: the default for "inode/directory" in the lists of default applications, and that entry's Name.
#include "k5test.h"

#include "platform/shell/shell.h"

#include <QDir>

using namespace platform;

class TestFileManager : public QObject {
    Q_OBJECT
    QString config, data;

    void setFolders()
    {
        // Only the isolated folders count: the machine's own lists stay out of the test.
        config = k5test::Root() + QStringLiteral("/config");
        data = k5test::Root() + QStringLiteral("/data");
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(k5test::Root() + QStringLiteral("/no-config-dirs")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(k5test::Root() + QStringLiteral("/system-data")));
        qunsetenv("XDG_CURRENT_DESKTOP");
        for (const QString &d : {config, data, k5test::Root() + QStringLiteral("/system-data")})
            QDir(d).removeRecursively();
    }
    void entry(const QString &file, const QByteArray &name, const QByteArray &extra = {})
    {
        k5test::WriteFile(file, "[Desktop Entry]\nType=Application\nName=" + name + "\nName[xx]=Other tongue\n" + extra +
                                    "Exec=files %U\nMimeType=inode/directory;\n[Desktop Action New]\nName=New Window\n");
    }

private slots:
    void init() { setFolders(); }
    void cleanupTestCase() { setFolders(); }

    void theDefaultForFoldersIsNamedAsItsEntryNamesIt()
    {
        entry(data + QStringLiteral("/applications/k5-files.desktop"), "Files <&> Folders");
        k5test::WriteFile(config + QStringLiteral("/mimeapps.list"),
                          "[Added Associations]\ninode/directory=k5-other.desktop;\n"
                          "[Default Applications]\ntext/html=k5-browser.desktop\n"
                          "inode/directory=k5-gone.desktop;k5-files.desktop;\n");
        QCOMPARE(FileManagerName(), QStringLiteral("Files <&> Folders"));

        // The list of the desktop in use comes before the general one; a name with a dash may be a subfolder.
        entry(data + QStringLiteral("/applications/k5/commander.desktop"), "Commander");
        k5test::WriteFile(config + QStringLiteral("/k5desk-mimeapps.list"), "[Default Applications]\ninode/directory=k5-commander.desktop\n");
        qputenv("XDG_CURRENT_DESKTOP", "Other:K5Desk");
        QCOMPARE(FileManagerName(), QStringLiteral("Commander"));

        // The system's lists and entries count too, after the user's.
        setFolders();
        entry(k5test::Root() + QStringLiteral("/system-data/applications/k5-system.desktop"), "System Files");
        k5test::WriteFile(k5test::Root() + QStringLiteral("/system-data/applications/mimeapps.list"),
                          "[Default Applications]\ninode/directory=k5-system.desktop\n");
        QCOMPARE(FileManagerName(), QStringLiteral("System Files"));
    }

    void withoutADefaultItSaysYourFileManager()
    {
        QCOMPARE(FileManagerName(), QStringLiteral("your file manager"));
        // An entry that is hidden, or named nowhere, is none.
        entry(data + QStringLiteral("/applications/k5-hidden.desktop"), "Hidden Files", "Hidden=true\n");
        k5test::WriteFile(config + QStringLiteral("/mimeapps.list"), "[Default Applications]\ninode/directory=k5-hidden.desktop;k5-none.desktop\n");
        QCOMPARE(FileManagerName(), QStringLiteral("your file manager"));
    }
};

K5_TEST_MAIN(TestFileManager)
#include "test_filemanager.moc"
