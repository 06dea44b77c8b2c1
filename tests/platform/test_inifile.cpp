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

    // A write replaces the file whole: a second name made before it keeps the old bytes.
    void writesReplaceTheFile()
    {
        const QString p = k5test::WriteFile(path(QStringLiteral("linked.ini")), "[S]\r\nk=old\r\n");
        k5test::HardLink old(p);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        IniFile ini(p);
        ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new"));
        QCOMPARE(old.Bytes(), QByteArray("[S]\r\nk=old\r\n"));
        QCOMPARE(k5test::ReadFile(p), QByteArray("[S]\r\nk=new\r\n"));
    }

    void aWriteCutShortKeepsTheOldFile()
    {
        const QString dir = path(QStringLiteral("cut"));
        const QString p = k5test::WriteFile(dir + QStringLiteral("/x.ini"), "[S]\r\nk=old\r\n");
        IniFile ini(p);
        {
            // The disk refuses to hold more than a few bytes of the new file, whoever writes it.
            k5test::FileSizeLimit limit(4);
            QVERIFY_THROWS_EXCEPTION(platform::FileError, ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new")));
        }
        QCOMPARE(k5test::ReadFile(p), QByteArray("[S]\r\nk=old\r\n"));
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("x.ini")});
    }

    void failedSaveThroughAFileInTheWayRaises()
    {
        // A path whose folder is a file cannot be written even by root.
        const QString blocker = k5test::WriteFile(path(QStringLiteral("blocker")), "x");
        IniFile ini(blocker + QStringLiteral("/sub.ini"));
        QVERIFY_THROWS_EXCEPTION(platform::FileError, ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
        QCOMPARE(k5test::ReadFile(blocker), QByteArray("x"));
    }

    // What a write does not touch stays as it was, in the section it was in.
    void linesBeforeTheFirstSectionAreKept()
    {
        const QByteArray before = "; made by hand\r\ntop=1\r\n\r\n[S]\r\nk=v\r\n";
        const QString p = k5test::WriteFile(path(QStringLiteral("pre.ini")), before);
        IniFile ini(p);
        QCOMPARE(ini.ReadSections(), QStringList{QStringLiteral("S")});
        ini.WriteString(QStringLiteral("S"), QStringLiteral("n"), QStringLiteral("2"));
        QCOMPARE(k5test::ReadFile(p), before + "n=2\r\n");
        ini.WriteString(QStringLiteral("T"), QStringLiteral("m"), QStringLiteral("3"));
        QCOMPARE(k5test::ReadFile(p), before + "n=2\r\n\r\n[T]\r\nm=3\r\n");
    }

    void namesMatchWithSurroundingBlanksIgnored()
    {
        const QString p = k5test::WriteFile(path(QStringLiteral("blanks.ini")), "[S]\r\n  key = old \r\n");
        IniFile ini(p);
        ini.WriteString(QStringLiteral(" S "), QStringLiteral(" key "), QStringLiteral("new"));
        QCOMPARE(k5test::ReadFile(p), QByteArray("[S]\r\n  key =new\r\n"));
        QCOMPARE(ini.ReadString(QStringLiteral("s"), QStringLiteral(" KEY "), QString()), QStringLiteral("new"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral(" other "), QStringLiteral(" x "));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("x"));
        QCOMPARE(k5test::ReadFile(p), QByteArray("[S]\r\n  key =new\r\nother= x \r\n"));
        // What this object reads is what the file says.
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral(" other "), QString()), QStringLiteral("x"));
        QCOMPARE(IniFile(p).ReadString(QStringLiteral("S"), QStringLiteral("other"), QString()), QStringLiteral("x"));
        QCOMPARE(ini.ReadSection(QStringLiteral("S")), (QStringList{QStringLiteral("key"), QStringLiteral("other")}));
        QVERIFY(ini.ValueExists(QStringLiteral(" s"), QStringLiteral("other ")));
        ini.DeleteKey(QStringLiteral("S"), QStringLiteral(" KEY"));
        QCOMPARE(k5test::ReadFile(p), QByteArray("[S]\r\nother= x \r\n"));
    }

    // A line that only looks like a header is no header, before or after a write.
    void aLineWithoutAKeyStaysAsItWas()
    {
        const QString p = k5test::WriteFile(path(QStringLiteral("lost.ini")), "[S]\n =[]");
        IniFile ini(p);
        QCOMPARE(ini.ReadSections(), QStringList{QStringLiteral("S")});
        QCOMPARE(ini.ReadSection(QStringLiteral("S")), QStringList());
        ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
        QCOMPARE(k5test::ReadFile(p), QByteArray("[S]\n =[]\nk=v\n"));
        IniFile again(p);
        QCOMPARE(again.ReadSections(), QStringList{QStringLiteral("S")});
        QCOMPARE(again.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("v"));
    }

    void untouchedLinesKeepTheirBytes()
    {
        // A byte-order mark, LF and CR LF ends, odd lines, a byte that is no UTF-8, a key met twice, a
        // section met twice, and a last line without an end.
        const QByteArray before = "\xEF\xBB\xBF[A]\nx = 1 \r\n"
                                  "; note\n"
                                  "\n"
                                  "just words\r\n"
                                  "x=shadowed\n"
                                  "caf\xE9=latin\n"
                                  "\t\n"
                                  "[B]\n"
                                  "y=2\n"
                                  "[a]\n"
                                  "z=3\r";
        const QString p = k5test::WriteFile(path(QStringLiteral("odd.ini")), before);
        IniFile ini(p);
        QCOMPARE(ini.ReadSections(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(ini.ReadSection(QStringLiteral("A")).size(), 3); // x, caf?, z
        QCOMPARE(ini.ReadString(QStringLiteral("A"), QStringLiteral("x"), QString()), QStringLiteral("1"));
        QCOMPARE(ini.ReadString(QStringLiteral("A"), QStringLiteral("z"), QString()), QStringLiteral("3"));

        ini.WriteString(QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("two"));
        QByteArray expected = before;
        expected.replace("y=2", "y=two");
        QCOMPARE(k5test::ReadFile(p), expected);
        // A new key of A follows A's last key, in its second part; the last line gets its end.
        ini.WriteString(QStringLiteral("a"), QStringLiteral("w"), QStringLiteral("4"));
        expected += "\r\nw=4\n";
        QCOMPARE(k5test::ReadFile(p), expected);
        // The first of two lines of a key is the one read and written; the second stays.
        ini.WriteString(QStringLiteral("A"), QStringLiteral("X"), QStringLiteral("one"));
        expected.replace("x = 1 ", "x =one");
        QCOMPARE(k5test::ReadFile(p), expected);
        QCOMPARE(IniFile(p).ReadString(QStringLiteral("A"), QStringLiteral("x"), QString()), QStringLiteral("one"));
        // Deleting a key removes every line of it: nothing shadowed comes back.
        ini.DeleteKey(QStringLiteral("A"), QStringLiteral("x"));
        QVERIFY(!IniFile(p).ValueExists(QStringLiteral("A"), QStringLiteral("x")));
        expected.replace("x =one\r\n", "").replace("x=shadowed\n", "");
        QCOMPARE(k5test::ReadFile(p), expected);
        // Erasing a section removes both of its parts and leaves the rest.
        ini.EraseSection(QStringLiteral("A"));
        QCOMPARE(k5test::ReadFile(p), QByteArray("[B]\ny=two\n"));
    }

    void namesThatCannotBeReadBackAreRefused_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("empty key") << "S" << "  " << "v";
        QTest::newRow("key with =") << "S" << "a=b" << "v";
        QTest::newRow("comment key") << "S" << ";c" << "v";
        QTest::newRow("key with a line break") << "S" << "a\nb" << "v";
        QTest::newRow("line that reads as a header") << "S" << "[x" << "]";
        QTest::newRow("section with a line break") << "S\n[T]" << "k" << "v";
    }
    void namesThatCannotBeReadBackAreRefused()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before = "[S]\r\nk=v\r\n";
        const QString p = k5test::WriteFile(path(QStringLiteral("refuse.ini")), before);
        IniFile ini(p);
        QVERIFY_THROWS_EXCEPTION(platform::Error, ini.WriteString(section, key, value));
        QVERIFY_THROWS_EXCEPTION(platform::Error, ini.WriteSection(section, {{key, value}}));
        QCOMPARE(k5test::ReadFile(p), before);
        QCOMPARE(ini.Serialize(), before);
        // The same names with a value that keeps the line a key are fine where the name is.
        if (key == QLatin1String("[x")) {
            ini.WriteString(section, key, QStringLiteral("y"));
            QCOMPARE(IniFile(p).ReadString(section, key, QString()), QStringLiteral("y"));
        }
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
