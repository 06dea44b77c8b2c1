// Whole-file reads and the atomic write every save of the program goes through.
#include "k5test.h"

#include "platform/error.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace platform;

class TestFileIo : public QObject {
    Q_OBJECT

    QString path(const QString &name) const { return k5test::Root() + QStringLiteral("/tmp/fileio/") + name; }

private slots:
    // A write over a file replaces it whole: a second name made before keeps the old bytes, and the
    // file keeps no temporary beside it.
    void writesReplaceTheFile()
    {
        const QString p = k5test::WriteFile(path(QStringLiteral("page.htm")), "old page");
        k5test::HardLink old(p);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        WriteFileAtomic(p, "new page");
        QCOMPARE(old.Bytes(), QByteArray("old page"));
        QCOMPARE(ReadWholeFile(p), QByteArray("new page"));
        QCOMPARE(QDir(path(QString())).entryList(QDir::Files), QStringList{QStringLiteral("page.htm")});
    }

    void missingFoldersAreMade()
    {
        const QString p = path(QStringLiteral("a/b/c.txt"));
        WriteFileAtomic(p, "deep");
        QCOMPARE(ReadWholeFile(p), QByteArray("deep"));
    }

    // A write that cannot be made raises with the name and the reason; nothing is left behind.
    void failuresRaiseAndLeaveTheFileAlone()
    {
        const QString blocker = k5test::WriteFile(path(QStringLiteral("blocker")), "a file");
        try {
            WriteFileAtomic(blocker + QStringLiteral("/x.txt"), "new");
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot create file \"%1\". ")
                                                .arg(QDir::toNativeSeparators(blocker + QStringLiteral("/x.txt")))),
                     qPrintable(e.message()));
        }
        QCOMPARE(ReadWholeFile(blocker), QByteArray("a file"));
        // A folder where the file should be stays a folder.
        const QString folder = path(QStringLiteral("folder.htm"));
        QDir().mkpath(folder + QStringLiteral("/inside"));
        QVERIFY_THROWS_EXCEPTION(FileError, WriteFileAtomic(folder, "new"));
        QVERIFY(QFileInfo(folder + QStringLiteral("/inside")).isDir());
        QVERIFY_THROWS_EXCEPTION(FileError, ReadWholeFile(path(QStringLiteral("missing.htm"))));
    }
};

K5_TEST_MAIN(TestFileIo)
#include "test_fileio.moc"
