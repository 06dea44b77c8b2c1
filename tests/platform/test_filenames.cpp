// File names by their bytes: a name that is no UTF-8 goes into a QString and back whole, is listed, found,
// read and written under its own name.
#include "k5test.h"

#include "platform/fileio.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QtTest>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

class TestFileNames : public QObject {
    Q_OBJECT

    QByteArray folder() const { return QFile::encodeName(k5test::Root()) + "/tmp/names"; }

private slots:
    void init()
    {
        std::error_code ec; // by bytes: Qt's removal passes over names that are no text
        std::filesystem::remove_all(folder().toStdString(), ec);
        QVERIFY(QDir().mkpath(QFile::decodeName(folder())));
    }

    void namesGoIntoTextAndBackWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ascii") << QByteArray("page.htm") << true << QStringLiteral("page.htm");
        QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9 \xf0\x9f\x99\x82.htm") << true << QStringLiteral("café 🙂.htm");
        QTest::newRow("latin-1 byte") << QByteArray("bad\xff.htm") << false << QStringLiteral("bad\uFFFD.htm");
        QTest::newRow("cut sequence") << QByteArray("a\xc3") << false << QStringLiteral("a\uFFFD");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << false << QStringLiteral("\uFFFD\uFFFD");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xbf") << false << QStringLiteral("\uFFFD\uFFFD\uFFFD");
        QTest::newRow("beyond unicode") << QByteArray("\xf4\x90\x80\x80") << false << QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD");
        QTest::newRow("text after bytes") << QByteArray("\xfe\xc3\xa9/x") << false << QStringLiteral("\uFFFDé/x");
    }
    void namesGoIntoTextAndBackWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, text);
        QFETCH(QString, shown);
        const QString name = DecodeName(bytes);
        QCOMPARE(EncodeName(name), bytes);
        QCOMPARE(IsTextName(name), text);
        QCOMPARE(ShownName(name), shown);
        if (text)
            QCOMPARE(name, QFile::decodeName(bytes));
    }

    // Listed, found and read by its bytes; written atomically under that very name, with no file of the
    // shown name made beside it.
    void aNameThatIsNoTextIsListedReadAndWritten()
    {
        const QByteArray bad = folder() + "/bad\xff.htm";
        const int fd = ::open(bad.constData(), O_WRONLY | O_CREAT, 0640);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "old", 3), ssize_t(3));
        ::close(fd);
        QVERIFY(QDir(QFile::decodeName(folder())).entryList(QDir::Files).isEmpty()); // Qt's listing leaves it out

        const QList<FolderEntry> entries = ReadFolder(QFile::decodeName(folder()));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().bytes, QByteArray("bad\xff.htm"));
        QCOMPARE(entries.first().Shown(), QStringLiteral("bad\uFFFD.htm"));
        QVERIFY(entries.first().file && !entries.first().folder);
        const QString path = QFile::decodeName(folder()) + QLatin1Char('/') + entries.first().name;
        QVERIFY(StatName(path).file);
        QCOMPARE(StatName(path).size, 3);
        QCOMPARE(CanonicalName(path), path);
        QCOMPARE(LocalFileName(QUrl::fromEncoded("file://" + bad.toPercentEncoding("/"))), path);
        QCOMPARE(ReadWholeFile(path), QByteArray("old"));
        QVERIFY(StampOf(path).exists);

        k5test::HardLink old(path);
        WriteFileAtomic(path, "new");
        QCOMPARE(old.Bytes(), QByteArray("old"));
        QCOMPARE(ReadWholeFile(path), QByteArray("new"));
        struct stat st {};
        QCOMPARE(::stat(bad.constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0640u);
        QCOMPARE(ReadFolder(QFile::decodeName(folder())).size(), 1);
    }
};

K5_TEST_MAIN(TestFileNames)
#include "test_filenames.moc"
