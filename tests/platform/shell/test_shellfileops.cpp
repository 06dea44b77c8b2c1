#include "k5test.h"

#include "platform/shell/fileops.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProgressDialog>

using namespace platform;

namespace {
QString list(const QStringList &items)
{
    QString out;
    for (const QString &i : items)
        out += i + QChar(0);
    return out;
}
int serial = 0;
} // namespace

class TestShellFileOps : public QObject {
    Q_OBJECT

    QString base;

private slots:
    void init()
    {
        base = k5test::Root() + QStringLiteral("/shell ops ") + QString::number(++serial);
        k5test::WriteFile(base + QStringLiteral("/src/One.HTM"), "1");
        k5test::WriteFile(base + QStringLiteral("/src/two.htm"), "2");
        k5test::WriteFile(base + QStringLiteral("/src/three.gif"), "3");
        k5test::WriteFile(base + QStringLiteral("/src/sub.htm/x.txt"), "x");
    }

    void listsAndNames()
    {
        QCOMPARE(SplitNulList(list({QStringLiteral("a"), QStringLiteral("b c")})), QStringList({QStringLiteral("a"), QStringLiteral("b c")}));
        QCOMPARE(SplitNulList(QString()), QStringList());
        k5test::WriteFile(base + QStringLiteral("/n/file.tar.gz"), "");
        k5test::WriteFile(base + QStringLiteral("/n/.profile"), "");
        QCOMPARE(NameOnCollision(base + QStringLiteral("/n/file.tar.gz")), base + QStringLiteral("/n/file.tar (2).gz"));
        QCOMPARE(NameOnCollision(base + QStringLiteral("/n/.profile")), base + QStringLiteral("/n/.profile (2)"));
        QCOMPARE(NameOnCollision(base + QStringLiteral("/n")), base + QStringLiteral("/n (2)"));
    }

    void wildcardsIgnoreCaseAndMayTakeFilesOnly()
    {
        k5test::Answerer answer;
        FileOperation op;
        op.func = FO_COPY;
        op.from = list({base + QStringLiteral("/src/*.htm")});
        op.to = list({base + QStringLiteral("/dst")});
        op.flags = FOF_SILENT | FOF_NOCONFIRMMKDIR | FOF_FILESONLY;
        QCOMPARE(ShellFileOperation(op), int(FileOpOk));
        QStringList copied = QDir(base + QStringLiteral("/dst")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
        QCOMPARE(copied, QStringList({QStringLiteral("One.HTM"), QStringLiteral("two.htm")}));
        op.flags &= ~FOF_FILESONLY;
        op.to = list({base + QStringLiteral("/dst2")});
        QCOMPARE(ShellFileOperation(op), int(FileOpOk));
        QVERIFY(QFile::exists(base + QStringLiteral("/dst2/sub.htm/x.txt")));
        // A mask that finds nothing is a missing source.
        op.from = list({base + QStringLiteral("/src/*.png")});
        QCOMPARE(ShellFileOperation(op), int(FileOpFailed));
        QCOMPARE(answer.Messages().size(), 1);
    }

    void oneDestinationPerSource()
    {
        k5test::Answerer answer;
        FileOperation op;
        op.func = FO_COPY;
        op.flags = FOF_MULTIDESTFILES | FOF_SILENT | FOF_NOCONFIRMMKDIR;
        op.from = list({base + QStringLiteral("/src/One.HTM"), base + QStringLiteral("/src/three.gif")});
        op.to = list({base + QStringLiteral("/out/first.htm"), base + QStringLiteral("/out/deep/pic.gif")});
        QCOMPARE(ShellFileOperation(op), int(FileOpOk));
        QCOMPARE(k5test::ReadFile(base + QStringLiteral("/out/first.htm")), QByteArray("1"));
        QCOMPARE(k5test::ReadFile(base + QStringLiteral("/out/deep/pic.gif")), QByteArray("3"));
        op.to = list({base + QStringLiteral("/out/only.htm")});
        QCOMPARE(ShellFileOperation(op), int(FileOpFailed));
        QVERIFY(!QFile::exists(base + QStringLiteral("/out/only.htm")));
    }

    void aMissingTargetFolderIsCreatedOnlyWithConsent()
    {
        k5test::Answerer answer;
        FileOperation op;
        op.func = FO_MOVE;
        op.flags = FOF_SILENT;
        op.from = list({base + QStringLiteral("/src/two.htm")});
        op.to = list({base + QStringLiteral("/new folder")});
        answer.Queue(IDNO);
        QCOMPARE(ShellFileOperation(op), int(FileOpCancelled));
        QVERIFY(op.anyOperationsAborted);
        QVERIFY(!QFileInfo::exists(base + QStringLiteral("/new folder")));
        QCOMPARE(answer.Messages().first().caption, QStringLiteral("Confirm Folder Create"));
        answer.Queue(IDYES);
        QCOMPARE(ShellFileOperation(op), int(FileOpOk));
        QVERIFY(!op.anyOperationsAborted);
        QCOMPARE(k5test::ReadFile(base + QStringLiteral("/new folder/two.htm")), QByteArray("2"));
        QVERIFY(!QFile::exists(base + QStringLiteral("/src/two.htm")));
    }

    // A copy over an existing file replaces it whole: a second name made before keeps the old bytes.
    void copyingOverAFileReplacesIt()
    {
        k5test::Answerer answer;
        const QString dst = k5test::WriteFile(base + QStringLiteral("/dst/two.htm"), "old two");
        k5test::HardLink old(dst);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        FileOperation op;
        op.func = FO_COPY;
        op.from = list({base + QStringLiteral("/src/two.htm")});
        op.to = list({base + QStringLiteral("/dst")});
        op.flags = FOF_SILENT | FOF_NOCONFIRMATION;
        QCOMPARE(ShellFileOperation(op), int(FileOpOk));
        QCOMPARE(old.Bytes(), QByteArray("old two"));
        QCOMPARE(k5test::ReadFile(dst), QByteArray("2"));
        QVERIFY(answer.Messages().isEmpty());
    }

    // The progress window shows a name as it is: markup in it is no markup.
    void theProgressShowsANameAsTyped()
    {
        const QString name = QStringLiteral("a <b>bold & co.htm");
        const QString marked = k5test::WriteFile(base + QStringLiteral("/src/") + name, "b");
        k5test::WriteFile(base + QStringLiteral("/dst/two.htm"), "old two");
        auto rendered = [](QLabel *label) {
            QImage image(label->size(), QImage::Format_ARGB32);
            image.fill(Qt::white);
            label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image;
        };
        QString shown;
        bool asTyped = false;
        // Asked about the second file, the window still names the first one.
        platform::SetMessageAnswerer([&](const MessageRequest &) {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *progress = qobject_cast<QProgressDialog *>(w))
                    if (auto *label = progress->findChild<QLabel *>()) {
                        QLabel typed;
                        typed.setTextFormat(Qt::PlainText);
                        typed.setText(name);
                        typed.setFont(label->font());
                        typed.setAlignment(label->alignment());
                        typed.setWordWrap(label->wordWrap());
                        typed.resize(label->size());
                        shown = label->text();
                        asTyped = rendered(label) == rendered(&typed);
                    }
            return int(IDYES);
        });
        FileOperation op;
        op.func = FO_COPY;
        op.from = list({marked, base + QStringLiteral("/src/two.htm")});
        op.to = list({base + QStringLiteral("/dst")});
        const int result = ShellFileOperation(op);
        platform::SetMessageAnswerer(nullptr);
        QCOMPARE(result, int(FileOpOk));
        QCOMPARE(shown, name);
        QVERIFY(asTyped);
    }

    void linksAreCopiedAsLinks()
    {
        k5test::Answerer answer;
        QVERIFY(QFile::link(base + QStringLiteral("/src"), base + QStringLiteral("/src/sub.htm/loop")));
        FileOperation op;
        op.func = FO_COPY;
        op.flags = FOF_SILENT | FOF_NOCONFIRMMKDIR;
        op.from = list({base + QStringLiteral("/src/sub.htm")});
        op.to = list({base + QStringLiteral("/copy")});
        QCOMPARE(ShellFileOperation(op), int(FileOpOk));
        const QFileInfo link(base + QStringLiteral("/copy/sub.htm/loop"));
        QVERIFY(link.isSymLink());
        QCOMPARE(link.symLinkTarget(), base + QStringLiteral("/src"));
    }

    void movesAcrossFileSystems()
    {
        const QString other = QStringLiteral("/dev/shm");
        if (!QFileInfo(other).isDir() || !QFileInfo(other).isWritable())
            QSKIP("no second writable file system");
        k5test::Answerer answer;
        const QString target = other + QStringLiteral("/k5 move test ") + QString::number(QCoreApplication::applicationPid());
        FileOperation op;
        op.func = FO_MOVE;
        op.flags = FOF_SILENT | FOF_NOCONFIRMMKDIR;
        op.from = list({base + QStringLiteral("/src/sub.htm"), base + QStringLiteral("/src/One.HTM")});
        op.to = list({target});
        const int rc = ShellFileOperation(op);
        const QByteArray moved = k5test::ReadFile(target + QStringLiteral("/sub.htm/x.txt"));
        const bool one = QFile::exists(target + QStringLiteral("/One.HTM"));
        QDir(target).removeRecursively();
        QCOMPARE(rc, int(FileOpOk));
        QCOMPARE(moved, QByteArray("x"));
        QVERIFY(one);
        QVERIFY(!QFileInfo::exists(base + QStringLiteral("/src/sub.htm")));
        QVERIFY(!QFile::exists(base + QStringLiteral("/src/One.HTM")));
    }
};

K5_TEST_MAIN(TestShellFileOps)
#include "test_shellfileops.moc"
