#include "k5test.h"

#include "controls/zel/fileoperator.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

using namespace zel;

namespace {

// Records which result events fired, in order.
struct Events {
    QStringList fired;
    void bind(TZELFileOperator &op)
    {
        auto add = [this](const char *name) { return [this, name](QObject *) { fired << QLatin1String(name); }; };
        op.OnSuccessCopy = add("Success Copy");
        op.OnSuccessDelete = add("Success Delete");
        op.OnSuccessMove = add("Success Move");
        op.OnSuccessRename = add("Success Rename");
        op.OnFailCopy = add("Fail Copy");
        op.OnFailDelete = add("Fail Delete");
        op.OnFailMove = add("Fail Move");
        op.OnFailRename = add("Fail Rename");
        op.OnDone = add("Done");
    }
};

int serial = 0;

bool writeBytes(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0640);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

QByteArray readBytes(const QByteArray &path)
{
    QFile f;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "(missing)";
    return f.readAll();
}

// The names in a folder as the system holds them.
QList<QByteArray> namesIn(const QByteArray &dir)
{
    QList<QByteArray> out;
    if (DIR *d = ::opendir(dir.constData())) {
        while (const dirent *e = ::readdir(d))
            if (qstrcmp(e->d_name, ".") && qstrcmp(e->d_name, ".."))
                out << QByteArray(e->d_name);
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

class TestFileOperator : public QObject {
    Q_OBJECT

    QString src, dst;
    TZELFileOperator op;
    Events events;

private slots:
    void init()
    {
        const QString base = k5test::Root() + QStringLiteral("/ops ") + QString::number(++serial);
        src = base + QStringLiteral("/Quelle Ä");
        dst = base + QStringLiteral("/Backup");
        k5test::WriteFile(src + QStringLiteral("/a b.htm"), "page a");
        k5test::WriteFile(src + QStringLiteral("/Bild Ö.GIF"), "GIF89a");
        k5test::WriteFile(src + QStringLiteral("/Folder/inner.txt"), "inner");
        events = Events();
        events.bind(op);
        op.FilesFrom.clear();
        op.Operation = CopyFile;
        op.SetFlags(opAllowUndo | opNoConfirmMkDir);
        op.DirFrom = src;
        op.DirTo = dst;
    }

    void copiesIntoANewTargetFolder()
    {
        k5test::Answerer answer;
        QCOMPARE(op.Flags(), TZELFileFlags(opAllowUndo | opNoConfirmMkDir));
        op.FilesFrom = {QStringLiteral("a b.htm"), QStringLiteral("Bild Ö.GIF"), QStringLiteral("Folder")};
        op.Operation = CopyFile;
        QVERIFY(op.Execute());
        QCOMPARE(op.DirFrom, src + QLatin1Char('/'));
        const QChar nul(0);
        QCOMPARE(op.OperationRecord().from, src + QStringLiteral("/a b.htm") + nul + src + QStringLiteral("/Bild Ö.GIF") + nul
                                                + src + QStringLiteral("/Folder") + nul);
        QCOMPARE(op.OperationRecord().to, dst + nul);
        QCOMPARE(op.OperationRecord().flags, 0x240u);
        QCOMPARE(op.OperationRecord().progressTitle, QStringLiteral("Copying..."));
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/a b.htm")), QByteArray("page a"));
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/Bild Ö.GIF")), QByteArray("GIF89a"));
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/Folder/inner.txt")), QByteArray("inner"));
        QVERIFY(QFile::exists(src + QStringLiteral("/a b.htm")));
        QCOMPARE(events.fired, QStringList({QStringLiteral("Success Copy"), QStringLiteral("Done")}));
        QVERIFY(answer.Messages().isEmpty());
    }

    // Names that are not UTF-8 (an old archive's Latin-1) are names too: a folder copied or moved
    // arrives whole, each such file, folder and link with its own bytes.
    void namesThatAreNoTextGoAcrossByTheirBytes()
    {
        const QByteArray folder = QFile::encodeName(src + QStringLiteral("/Folder"));
        QVERIFY(writeBytes(folder + "/caf\xe9.htm", "latin"));
        QVERIFY(::mkdir(folder + "/d\xf8r", 0750) == 0);
        QVERIFY(writeBytes(folder + "/d\xf8r/inner \xff.txt", "deep"));
        QVERIFY(::symlink("caf\xe9.htm", folder + "/link\xe9") == 0);
        const QList<QByteArray> names{"caf\xe9.htm", "d\xf8r", "inner.txt", "link\xe9"};
        QCOMPARE(namesIn(folder), names);

        k5test::Answerer answer;
        op.FilesFrom = {QStringLiteral("Folder")};
        QVERIFY(op.Execute());
        const QByteArray copy = QFile::encodeName(dst + QStringLiteral("/Folder"));
        QCOMPARE(namesIn(copy), names); // and no temporary file left beside them
        QCOMPARE(readBytes(copy + "/caf\xe9.htm"), QByteArray("latin"));
        QCOMPARE(readBytes(copy + "/d\xf8r/inner \xff.txt"), QByteArray("deep"));
        QCOMPARE(readBytes(copy + "/inner.txt"), QByteArray("inner"));
        char target[64] = {};
        QCOMPARE(::readlink(copy + "/link\xe9", target, sizeof target - 1), ssize_t(8));
        QCOMPARE(QByteArray(target), QByteArray("caf\xe9.htm"));
        QCOMPARE(QFileInfo(QFile::decodeName(copy + "/d\xf8r")).isDir(), false); // no decoded twin was made
        QCOMPARE(events.fired, QStringList({QStringLiteral("Success Copy"), QStringLiteral("Done")}));
        QVERIFY(answer.Messages().isEmpty());

        // Moved onto a folder of the same name: its items go across one by one, these too, and the
        // emptied source goes.
        const QString other = dst + QStringLiteral(" 2");
        QVERIFY(QDir().mkpath(other + QStringLiteral("/Folder")));
        op.DirTo = other;
        op.Operation = MoveFile;
        events.fired.clear();
        QVERIFY(op.Execute());
        QCOMPARE(namesIn(QFile::encodeName(other + QStringLiteral("/Folder"))), names);
        QCOMPARE(readBytes(QFile::encodeName(other + QStringLiteral("/Folder")) + "/d\xf8r/inner \xff.txt"), QByteArray("deep"));
        QVERIFY(!QFileInfo::exists(src + QStringLiteral("/Folder")));
        QCOMPARE(events.fired, QStringList({QStringLiteral("Success Move"), QStringLiteral("Done")}));

        // Copied again over the first copy: such a file is replaced as the others are, and one whose
        // place holds a folder is said and left alone.
        op.DirFrom = other;
        op.DirTo = dst;
        op.Operation = CopyFile;
        op.SetFlags(opAllowUndo | opNoConfirmMkDir | opNoConfirmation);
        QVERIFY(::unlink(copy + "/caf\xe9.htm") == 0);
        QVERIFY(writeBytes(copy + "/caf\xe9.htm", "there before"));
        QVERIFY(::unlink(copy + "/link\xe9") == 0);
        QVERIFY(::mkdir(copy + "/link\xe9", 0750) == 0);
        events.fired.clear();
        QVERIFY(!op.Execute());
        QCOMPARE(readBytes(copy + "/caf\xe9.htm"), QByteArray("latin"));
        QCOMPARE(namesIn(copy), names);
        QCOMPARE(answer.Messages().size(), 1);
        QVERIFY2(answer.Texts().first().contains(QStringLiteral("is already there and is a folder")), qPrintable(answer.Texts().first()));
        QCOMPARE(events.fired, QStringList({QStringLiteral("Fail Copy"), QStringLiteral("Done")}));

        // Deleted for good: the folder goes whole, these names too.
        op.Operation = DeleteFile;
        op.SetFlags(opNoConfirmation);
        op.DirTo = other;
        QVERIFY(op.Execute());
        QVERIFY(!QFileInfo::exists(other + QStringLiteral("/Folder")));
        QCOMPARE(answer.Messages().size(), 1);
    }

    void missingFoldersRaise()
    {
        k5test::Answerer answer;
        op.FilesFrom = {QStringLiteral("a b.htm")};
        op.Operation = DeleteFile;
        op.DirTo.clear();
        try {
            op.Execute();
            QFAIL("no exception");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Directory Information is invalid"));
        }
        op.DirTo = dst;
        op.DirFrom = src + QStringLiteral("/nowhere");
        try {
            op.Execute();
            QFAIL("no exception");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Can not locate current Directory"));
        }
        QVERIFY(events.fired.isEmpty());
        QVERIFY(QFile::exists(src + QStringLiteral("/a b.htm")));
    }

    void nothingToDoFails()
    {
        k5test::Answerer answer;
        op.Operation = MoveFile;
        QVERIFY(!op.Execute());
        QCOMPARE(events.fired, QStringList({QStringLiteral("Fail Move"), QStringLiteral("Done")}));
    }

    void replacingNeedsConsent()
    {
        k5test::WriteFile(dst + QStringLiteral("/a b.htm"), "old");
        op.FilesFrom = {QStringLiteral("a b.htm")};
        k5test::Answerer answer;
        answer.Queue(platform::IDNO);
        QVERIFY(!op.Execute());
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/a b.htm")), QByteArray("old"));
        QCOMPARE(answer.Messages().size(), 1);
        QVERIFY(answer.Messages().first().text.contains(QStringLiteral("\"a b.htm\"")));
        QCOMPARE(answer.Messages().first().caption, QStringLiteral("Confirm File Replace"));
        answer.Queue(platform::IDYES);
        QVERIFY(op.Execute());
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/a b.htm")), QByteArray("page a"));
        // Without confirmation the answer is yes.
        k5test::WriteFile(dst + QStringLiteral("/a b.htm"), "old");
        op.SetFlags(opNoConfirmation);
        QVERIFY(op.Execute());
        QCOMPARE(answer.Messages().size(), 2);
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/a b.htm")), QByteArray("page a"));
        QCOMPARE(events.fired, QStringList({QStringLiteral("Fail Copy"), QStringLiteral("Done"), QStringLiteral("Success Copy"),
                                            QStringLiteral("Done"), QStringLiteral("Success Copy"), QStringLiteral("Done")}));
    }

    void renameOnCollisionKeepsBoth()
    {
        k5test::Answerer answer;
        k5test::WriteFile(dst + QStringLiteral("/a b.htm"), "old");
        k5test::WriteFile(dst + QStringLiteral("/a b (2).htm"), "older");
        op.FilesFrom = {QStringLiteral("a b.htm"), QStringLiteral("Folder")};
        op.SetFlags(opRenameOnCollision | opWantMappingHandle);
        QDir().mkpath(dst + QStringLiteral("/Folder"));
        QVERIFY(op.Execute());
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/a b.htm")), QByteArray("old"));
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/a b (3).htm")), QByteArray("page a"));
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/Folder (2)/inner.txt")), QByteArray("inner"));
        QCOMPARE(op.OperationRecord().nameMappings.size(), 2);
        QCOMPARE(op.OperationRecord().nameMappings.first().second, dst + QStringLiteral("/a b (3).htm"));
        // A copy onto itself gets a new name as well.
        op.DirTo = src;
        op.FilesFrom = {QStringLiteral("Bild Ö.GIF")};
        QVERIFY(op.Execute());
        QVERIFY(QFile::exists(src + QStringLiteral("/Bild Ö (2).GIF")));
    }

    void movesAndReportsMissingSources()
    {
        k5test::Answerer answer;
        op.Operation = MoveFile;
        op.FilesFrom = {QStringLiteral("Bild Ö.GIF"), QStringLiteral("Folder")};
        QVERIFY(op.Execute());
        QVERIFY(!QFile::exists(src + QStringLiteral("/Bild Ö.GIF")));
        QVERIFY(!QFile::exists(src + QStringLiteral("/Folder")));
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/Folder/inner.txt")), QByteArray("inner"));
        op.FilesFrom = {QStringLiteral("gone.htm")};
        QVERIFY(!op.Execute());
        QCOMPARE(answer.Messages().size(), 1);
        QVERIFY(answer.Messages().first().text.contains(QStringLiteral("gone.htm")));
        QCOMPARE(events.fired, QStringList({QStringLiteral("Success Move"), QStringLiteral("Done"), QStringLiteral("Fail Move"),
                                            QStringLiteral("Done")}));
    }

    void aFolderNeverGoesIntoItself()
    {
        k5test::Answerer answer;
        op.FilesFrom = {QStringLiteral("Folder")};
        op.DirTo = src + QStringLiteral("/Folder/sub");
        op.Operation = CopyFile;
        QVERIFY(!op.Execute());
        op.Operation = MoveFile;
        QVERIFY(!op.Execute());
        QVERIFY(!QFile::exists(src + QStringLiteral("/Folder/sub/Folder")));
        QCOMPARE(k5test::ReadFile(src + QStringLiteral("/Folder/inner.txt")), QByteArray("inner"));
        QCOMPARE(answer.Messages().size(), 2);
        // Moving onto its own place does nothing and says so.
        op.DirTo = src;
        QVERIFY(!op.Execute());
        QVERIFY(QFile::exists(src + QStringLiteral("/Folder/inner.txt")));
    }

    void renamesUseTheRealName()
    {
        k5test::Answerer answer;
        op.Operation = RenameFile;
        op.FilesFrom = {QStringLiteral("a b.htm")};
        op.DirTo = src + QStringLiteral("/A B.HTM");
        QVERIFY(op.Execute());
        QVERIFY(QFile::exists(src + QStringLiteral("/A B.HTM")));
        QVERIFY(!QFile::exists(src + QStringLiteral("/a b.htm")));
        QCOMPARE(op.OperationRecord().progressTitle, QStringLiteral("Renaming..."));
        // The unchanged full path is no change at all.
        op.FilesFrom = {QStringLiteral("A B.HTM")};
        QVERIFY(op.Execute());
        // Onto an existing name: refused.
        op.DirTo = src + QStringLiteral("/Bild Ö.GIF");
        QVERIFY(!op.Execute());
        QCOMPARE(k5test::ReadFile(src + QStringLiteral("/Bild Ö.GIF")), QByteArray("GIF89a"));
        QCOMPARE(events.fired.mid(4), QStringList({QStringLiteral("Fail Rename"), QStringLiteral("Done")}));
        // A name given in another case finds the one file of that name.
        op.Operation = CopyFile;
        op.FilesFrom = {QStringLiteral("bild ö.gif")};
        op.DirTo = dst;
        QVERIFY(op.Execute());
        QVERIFY(QFile::exists(dst + QStringLiteral("/Bild Ö.GIF")));
    }

    void specialFilesAreRefusedWithoutWaiting()
    {
        const QString folder = src + QStringLiteral("/Folder");
        k5test::NotFiles names(folder, QStringLiteral("x"), QStringLiteral("htm"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        QVERIFY(QDir(names.Folder).removeRecursively()); // a folder is copied, not refused
        const QString pipe = names.Pipe;
        k5test::Answerer answer;
        op.FilesFrom = {QStringLiteral("Folder"), QStringLiteral("a b.htm")};
        {
            k5test::PipeWatchdog watchdog(pipe);
            QVERIFY(!op.Execute());
            QVERIFY(!watchdog.Fired());
        }
        // Everything else arrived; the pipe and the socket were named and left out.
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/Folder/inner.txt")), QByteArray("inner"));
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("/a b.htm")), QByteArray("page a"));
        QVERIFY(!QFileInfo::exists(dst + QStringLiteral("/Folder/x.pipe.htm")));
        QVERIFY(!QFileInfo::exists(dst + QStringLiteral("/Folder/x.socket.htm")));
        QCOMPARE(answer.Messages().size(), 2);
        QVERIFY(answer.Messages()[0].text.contains(QStringLiteral("x.pipe.htm\": It is a named pipe, not a file.")));
        QVERIFY(answer.Messages()[1].text.contains(QStringLiteral("x.socket.htm\": It is a socket, not a file.")));
        QCOMPARE(answer.Messages()[0].caption, QStringLiteral("Error Copying File or Folder"));
        QCOMPARE(events.fired, QStringList({QStringLiteral("Fail Copy"), QStringLiteral("Done")}));

        // A pipe named on its own is refused as well, and a move across drives cannot happen to it
        // either way: within one drive it is only renamed.
        answer.Clear();
        op.FilesFrom = {QStringLiteral("Folder/x.pipe.htm")};
        op.DirTo = dst + QStringLiteral("/second");
        {
            k5test::PipeWatchdog watchdog(pipe);
            QVERIFY(!op.Execute());
            QVERIFY(!watchdog.Fired());
        }
        QCOMPARE(answer.Messages().size(), 1);
        QVERIFY(!QFileInfo::exists(op.DirTo + QStringLiteral("/x.pipe.htm")));
        op.Operation = MoveFile;
        QVERIFY(op.Execute());
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(op.DirTo + QStringLiteral("/x.pipe.htm")).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    void deleteMovesToTheTrashAfterConsent()
    {
        k5test::Answerer answer;
        op.Operation = DeleteFile;
        op.FilesFrom = {QStringLiteral("a b.htm")};
        answer.Queue(platform::IDNO);
        QVERIFY(!op.Execute());
        QVERIFY(QFile::exists(src + QStringLiteral("/a b.htm")));
        QVERIFY(answer.Messages().first().text.contains(QStringLiteral("trash")));
        answer.Queue(platform::IDYES);
        QVERIFY(op.Execute());
        QVERIFY(!QFile::exists(src + QStringLiteral("/a b.htm")));
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files");
        bool inTrash = false;
        for (const QFileInfo &f : QDir(trash).entryInfoList(QDir::Files))
            inTrash = inTrash || (f.fileName().startsWith(QStringLiteral("a b")) && k5test::ReadFile(f.filePath()) == "page a");
        QVERIFY(inTrash);

        // Without undo it is gone for good.
        op.SetFlags(opNoConfirmation);
        op.FilesFrom = {QStringLiteral("Folder")};
        QVERIFY(op.Execute());
        QVERIFY(!QFile::exists(src + QStringLiteral("/Folder")));
        QCOMPARE(answer.Messages().size(), 2);
        QCOMPARE(events.fired, QStringList({QStringLiteral("Fail Delete"), QStringLiteral("Done"), QStringLiteral("Success Delete"),
                                            QStringLiteral("Done"), QStringLiteral("Success Delete"), QStringLiteral("Done")}));
    }
};

K5_TEST_MAIN(TestFileOperator)
#include "test_fileoperator.moc"
