// Whole-file reads, the opening of files a user names, and the atomic write every save of the program goes
// through.
#include "k5test.h"

#include "platform/error.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

class TestFileIo : public QObject {
    Q_OBJECT

    QString path(const QString &name) const { return k5test::Root() + QStringLiteral("/tmp/fileio/") + name; }

private slots:
    // "Cannot read this file" has one form, whoever gives the reason, and ends in one full stop.
    void aFileThatCannotBeOpenedIsSaidInOneForm()
    {
        const QString missing = path(QStringLiteral("missing.htm"));
        try {
            ReadWholeFile(missing);
            QFAIL("read");
        } catch (const FileError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(QDir::toNativeSeparators(missing)));
        }
        QFile file;
        QString why;
        QVERIFY(!TryOpenForReading(file, missing, &why));
        QCOMPARE(FileErrorText(QStringLiteral("open"), missing, why),
                 QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(QDir::toNativeSeparators(missing)));
        QCOMPARE(FileErrorText(QStringLiteral("read"), missing, QStringLiteral("It is a named pipe, not a file.")),
                 QStringLiteral("Cannot read file \"%1\". It is a named pipe, not a file.").arg(QDir::toNativeSeparators(missing)));
    }

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

    // What is no file is refused at once, named, by every way of opening: nothing waits for a writer to
    // come to a pipe or reads a device without end, and nothing is written into them.
    void whatIsNoFileIsRefusedAtOnce()
    {
        k5test::NotFiles names(path(QStringLiteral("special")), QStringLiteral("x"), QStringLiteral("htm"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        const QString device = path(QStringLiteral("special/zero.htm"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), device));
        const QList<std::pair<QString, QString>> cases = {{names.Pipe, QStringLiteral("It is a named pipe, not a file.")},
                                                          {names.Socket, QStringLiteral("It is a socket, not a file.")},
                                                          {names.Folder, QStringLiteral("It is a folder, not a file.")},
                                                          {device, QStringLiteral("It is a device, not a file.")}};
        k5test::PipeWatchdog watchdog(names.Pipe);
        for (const auto &[name, why] : cases) {
            const QString shown = QDir::toNativeSeparators(name);
            try {
                ReadWholeFile(name);
                QFAIL(qPrintable(name));
            } catch (const FileError &e) {
                QCOMPARE(e.message(), QStringLiteral("Cannot open file \"%1\". %2").arg(shown, why));
            }
            QFile file;
            try {
                OpenForWriting(file, name);
                QFAIL(qPrintable(name));
            } catch (const FileError &e) {
                QCOMPARE(e.message(), QStringLiteral("Cannot create file \"%1\". %2").arg(shown, why));
            }
            QVERIFY(!file.isOpen());
            QString reason;
            QVERIFY(!TryOpenForReading(file, name, &reason));
            QCOMPARE(reason, why);
        }
        // A pipe with a reader is no file to write into either.
        const int reader = ::open(QFile::encodeName(names.Pipe).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        QFile file;
        QVERIFY_THROWS_EXCEPTION(FileError, OpenForWriting(file, names.Pipe));
        ::close(reader);
        QVERIFY(!watchdog.Fired());
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(names.Pipe).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
        // A link to a file is followed unless links are refused.
        const QString target = k5test::WriteFile(path(QStringLiteral("special/target.htm")), "target");
        const QString link = path(QStringLiteral("special/link.htm"));
        QVERIFY(QFile::link(target, link));
        QCOMPARE(ReadWholeFile(link), QByteArray("target"));
        QFile linked;
        QString reason;
        QVERIFY(!TryOpenForReading(linked, link, &reason, Links::Refuse));
        QCOMPARE(reason, QStringLiteral("It is a symbolic link."));
    }

    // A save onto a pipe puts a file in its place: it never waits for a reader.
    void aSaveOntoAPipeReplacesIt()
    {
        k5test::NotFiles names(path(QStringLiteral("saved")), QStringLiteral("x"), QStringLiteral("htm"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        k5test::PipeWatchdog watchdog(names.Pipe);
        WriteFileAtomic(names.Pipe, "saved page");
        QVERIFY(!watchdog.Fired());
        QCOMPARE(ReadWholeFile(names.Pipe), QByteArray("saved page"));
    }

    // A file opened for writing in place is made when missing and emptied when there.
    void writingInPlaceMakesOrEmptiesTheFile()
    {
        const QString p = path(QStringLiteral("inplace.wav"));
        for (const QByteArray &bytes : {QByteArray("first, longer"), QByteArray("second")}) {
            QFile file;
            OpenForWriting(file, p, QIODevice::WriteOnly | QIODevice::Unbuffered);
            QCOMPARE(file.write(bytes), bytes.size());
            file.close();
            QCOMPARE(ReadWholeFile(p), bytes);
        }
    }
};

K5_TEST_MAIN(TestFileIo)
#include "test_fileio.moc"
