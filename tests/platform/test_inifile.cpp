#include "k5test.h"

#include "platform/error.h"
#include "platform/inifile.h"

#include <QDir>
#include <QFile>

using platform::IniFile;

class TestIniFile : public QObject {
    Q_OBJECT
    QString path(const QString &name) { return k5test::Root() + QStringLiteral("/tmp/") + name; }

private slots:
    void init() { k5test::ResetEnvironment(); }

    void missingFileReadsAsEmpty()
    {
        IniFile ini(path(QStringLiteral("none.ini")));
        QCOMPARE(ini.ReadString(QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("def")), QStringLiteral("def"));
        QCOMPARE(ini.ReadSections(), QStringList());
        QVERIFY(!QFile::exists(path(QStringLiteral("none.ini"))));
    }

    void namesMatchCaseInsensitivelyAndKeysKeepWriteOrder()
    {
        const QString p = path(QStringLiteral("order.ini"));
        {
            IniFile ini(p);
            ini.WriteString(QStringLiteral("Bar"), QStringLiteral("Zeta"), QStringLiteral("1"));
            ini.WriteString(QStringLiteral("Bar"), QStringLiteral("alpha"), QStringLiteral("2"));
            ini.WriteString(QStringLiteral("bar"), QStringLiteral("ZETA"), QStringLiteral("3"));
            ini.WriteString(QStringLiteral("Other"), QStringLiteral("k"), QStringLiteral("a,b %20 c"));
        }
        QCOMPARE(k5test::ReadFile(p), QByteArray("[Bar]\r\nZeta=3\r\nalpha=2\r\n\r\n[Other]\r\nk=a,b %20 c\r\n"));
        IniFile ini(p);
        QCOMPARE(ini.ReadSection(QStringLiteral("BAR")), (QStringList{QStringLiteral("Zeta"), QStringLiteral("alpha")}));
        QCOMPARE(ini.ReadString(QStringLiteral("other"), QStringLiteral("K"), QString()), QStringLiteral("a,b %20 c"));
        QVERIFY(ini.SectionExists(QStringLiteral("OTHER")));
        QVERIFY(ini.ValueExists(QStringLiteral("bar"), QStringLiteral("ALPHA")));
    }

    void quotesIntegersAndBooleans()
    {
        const QString p = k5test::WriteFile(path(QStringLiteral("q.ini")),
                                            "; comment\r\n[S]\r\nq=\"  padded \"\r\none=\"\r\nhex=0x1F\r\n"
                                            "neg=-12\r\nbad=12abc\r\nbig=0xFFFFFFFF\r\nflag=0\r\n  spaced  =  v  \r\n");
        IniFile ini(p);
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("q"), QString()), QStringLiteral("  padded "));
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("one"), QString()), QStringLiteral("\""));
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("hex"), 0), 31);
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("neg"), 0), -12);
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("bad"), 7), 7);
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("big"), 0), -1);
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("missing"), 5), 5);
        QCOMPARE(ini.ReadBool(QStringLiteral("S"), QStringLiteral("flag"), true), false);
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("spaced"), QString()), QStringLiteral("v"));
    }

    void eraseDeleteAndSections()
    {
        const QString p = path(QStringLiteral("e.ini"));
        IniFile ini(p);
        ini.BeginUpdate();
        ini.WriteInteger(QStringLiteral("A"), QStringLiteral("x"), 1);
        ini.WriteBool(QStringLiteral("A"), QStringLiteral("y"), true);
        ini.WriteInteger(QStringLiteral("B"), QStringLiteral("x"), 2);
        QVERIFY(!QFile::exists(p)); // batched
        ini.EndUpdate();
        QVERIFY(QFile::exists(p));
        ini.DeleteKey(QStringLiteral("a"), QStringLiteral("X"));
        QCOMPARE(ini.ReadSectionValues(QStringLiteral("A")), QStringList{QStringLiteral("y=1")});
        ini.EraseSection(QStringLiteral("b"));
        QCOMPARE(IniFile(p).ReadSections(), QStringList{QStringLiteral("A")});
        ini.WriteSection(QStringLiteral("A"), {{QStringLiteral("n1"), QStringLiteral("v1")}, {QStringLiteral("n2"), QStringLiteral("v2")}});
        QCOMPARE(IniFile(p).ReadSection(QStringLiteral("A")), (QStringList{QStringLiteral("n1"), QStringLiteral("n2")}));
    }

    void anotherWriterIsSeen()
    {
        const QString p = path(QStringLiteral("shared.ini"));
        IniFile a(p);
        IniFile b(p);
        a.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("from a"));
        QCOMPARE(b.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("from a"));
    }

    void failedSaveKeepsTheOldFile()
    {
        const QString dir = path(QStringLiteral("ro"));
        QDir().mkpath(dir);
        const QString p = k5test::WriteFile(dir + QStringLiteral("/x.ini"), "[S]\r\nk=old\r\n");
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFileInfo(dir).isWritable() && QFile(dir + QStringLiteral("/probe")).open(QIODevice::WriteOnly)) {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that ignore folder permissions");
        }
        IniFile ini(p);
        QVERIFY_THROWS_EXCEPTION(platform::FileError, ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new")));
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(k5test::ReadFile(p), QByteArray("[S]\r\nk=old\r\n"));
    }

    void failedSaveThroughAFileInTheWayRaises()
    {
        // A path whose folder is a file cannot be written even by root.
        const QString blocker = k5test::WriteFile(path(QStringLiteral("blocker")), "x");
        IniFile ini(blocker + QStringLiteral("/sub.ini"));
        QVERIFY_THROWS_EXCEPTION(platform::FileError, ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
        QCOMPARE(k5test::ReadFile(blocker), QByteArray("x"));
    }

    void parseIntegerForms()
    {
        QCOMPARE(platform::ParseInteger(QStringLiteral(" 42 "), 0), 42);
        QCOMPARE(platform::ParseInteger(QStringLiteral("0X10"), 0), 16);
        QCOMPARE(platform::ParseInteger(QStringLiteral("$10"), 0), 16);
        QCOMPARE(platform::ParseInteger(QStringLiteral(""), 3), 3);
        QCOMPARE(platform::ParseInteger(QStringLiteral("99999999999"), 3), 3);
    }
};

K5_TEST_MAIN(TestIniFile)
#include "test_inifile.moc"
