#include "k5test.h"

#include "platform/error.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/registry.h"

using platform::Registry;
using platform::RootKey;

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void openingTheKeyTwiceNestsIt()
    {
        {
            Registry r;
            QVERIFY(r.OpenKey(QStringLiteral("Kestrova 5"), true));
            QVERIFY(r.OpenKey(QStringLiteral("Kestrova 5"), true));
            QVERIFY(r.OpenKey(QStringLiteral("Settings"), true));
            r.WriteString(QStringLiteral("Name"), QStringLiteral("  a\\b\r\nc  "));
            r.WriteInteger(QStringLiteral("Count"), -5);
            r.WriteBool(QStringLiteral("Flag"), true);
            r.WriteBinaryData(QStringLiteral("Bin"), QByteArray("\x00\x01\xff", 3));
        }
        Registry::ResetStore(); // a fresh process sees the same values
        Registry r;
        QVERIFY(r.OpenKey(QStringLiteral("\\Kestrova 5\\Kestrova 5\\Settings"), false));
        QCOMPARE(r.CurrentPath(), QStringLiteral("HKEY_CURRENT_USER\\Kestrova 5\\Kestrova 5\\Settings"));
        QCOMPARE(r.ReadString(QStringLiteral("name")), QStringLiteral("  a\\b\r\nc  "));
        QCOMPARE(r.ReadInteger(QStringLiteral("Count")), -5);
        QCOMPARE(r.ReadBool(QStringLiteral("Flag")), true);
        QCOMPARE(r.ReadBinaryData(QStringLiteral("Bin")), QByteArray("\x00\x01\xff", 3));
        QCOMPARE(r.GetDataType(QStringLiteral("Count")), platform::RegDataType::Integer);
        QCOMPARE(r.GetDataType(QStringLiteral("Name")), platform::RegDataType::String);
        QCOMPARE(r.GetValueNames().size(), 4);
        // The store is an ini file in the config folder, one section per key path.
        platform::IniFile ini(platform::ConfigFolder() + QStringLiteral("/registry.ini"));
        QVERIFY(ini.SectionExists(QStringLiteral("HKEY_CURRENT_USER\\Kestrova 5\\Kestrova 5\\Settings")));
    }

    void missingValuesAndWrongTypes()
    {
        Registry r;
        QVERIFY(!r.OpenKey(QStringLiteral("Nope"), false));
        QVERIFY(r.OpenKey(QStringLiteral("Yes"), true));
        QCOMPARE(r.ReadString(QStringLiteral("missing")), QString());
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, r.ReadInteger(QStringLiteral("missing")));
        r.WriteString(QStringLiteral("s"), QStringLiteral("12"));
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, r.ReadInteger(QStringLiteral("s")));
        r.WriteInteger(QStringLiteral("i"), 3);
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, r.ReadString(QStringLiteral("i")));
        QVERIFY(r.ValueExists(QStringLiteral("I")));
        QVERIFY(r.DeleteValue(QStringLiteral("i")));
        QVERIFY(!r.ValueExists(QStringLiteral("i")));
        QVERIFY(!r.DeleteValue(QStringLiteral("i")));
    }

    void keysListAndDelete()
    {
        Registry r;
        QVERIFY(r.CreateKey(QStringLiteral("Soft\\A")));
        QVERIFY(r.CreateKey(QStringLiteral("Soft\\B\\Deep")));
        QVERIFY(r.KeyExists(QStringLiteral("Soft\\b")));
        QVERIFY(r.OpenKey(QStringLiteral("Soft"), false));
        QCOMPARE(r.GetKeyNames(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QVERIFY(r.DeleteKey(QStringLiteral("B")));
        QCOMPARE(r.GetKeyNames(), QStringList{QStringLiteral("A")});
        QVERIFY(!r.KeyExists(QStringLiteral("B\\Deep")));
    }

    void anyValueNameRoundTrips()
    {
        const QStringList names{QStringLiteral("a=b"),   QStringLiteral(";lead"),   QStringLiteral("[x]"),
                                QStringLiteral("=[;"),   QStringLiteral(" padded "), QStringLiteral("two\nlines"),
                                QStringLiteral("@"),     QString(),                 QStringLiteral("plain"),
                                QStringLiteral("x[3d]")};
        {
            Registry r;
            QVERIFY(r.OpenKey(QStringLiteral("Names"), true));
            for (int i = 0; i < names.size(); ++i)
                r.WriteString(names[i], QString::number(i));
        }
        Registry::ResetStore();
        Registry r;
        QVERIFY(r.OpenKey(QStringLiteral("Names"), false));
        QStringList stored = r.GetValueNames();
        QCOMPARE(stored.size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY2(stored.contains(names[i]), qPrintable(names[i]));
            QCOMPARE(r.ReadString(names[i]), QString::number(i));
        }
        QVERIFY(r.DeleteValue(QStringLiteral("a=b")));
        QVERIFY(!r.ValueExists(QStringLiteral("a=b")));
        QCOMPARE(r.ReadString(QStringLiteral("=[;")), QStringLiteral("3"));
        QCOMPARE(r.ReadString(QString()), QStringLiteral("7")); // "@" is a name of its own
    }

    // Plain names are stored as they always were, so stores written before read the same.
    void plainNamesAreStoredAsBefore()
    {
        const QString file = platform::ConfigFolder() + QStringLiteral("/registry.ini");
        k5test::WriteFile(file, "[HKEY_CURRENT_USER\\K]\r\nOld_Left=\"sz:5\"\r\n@=\"sz:default\"\r\n");
        Registry::ResetStore();
        Registry r;
        QVERIFY(r.OpenKey(QStringLiteral("K"), false));
        QCOMPARE(r.ReadString(QStringLiteral("Old_Left")), QStringLiteral("5"));
        QCOMPARE(r.ReadString(QString()), QStringLiteral("default"));
        r.WriteString(QStringLiteral("New Name"), QStringLiteral("v"));
        QCOMPARE(k5test::ReadFile(file), QByteArray("[HKEY_CURRENT_USER\\K]\r\nOld_Left=\"sz:5\"\r\n@=\"sz:default\"\r\n"
                                                    "New Name=\"sz:v\"\r\n"));
    }

    void theRootIsNeverDeleted()
    {
        Registry w;
        QVERIFY(w.CreateKey(QStringLiteral("Kestrova 5\\Settings")));
        QVERIFY(w.OpenKey(QStringLiteral("Other"), true));
        w.WriteString(QStringLiteral("v"), QStringLiteral("kept"));
        const QByteArray before = k5test::ReadFile(platform::ConfigFolder() + QStringLiteral("/registry.ini"));
        Registry r;
        QVERIFY(!r.DeleteKey(QString()));
        QVERIFY(!r.DeleteKey(QStringLiteral("\\")));
        QVERIFY(r.OpenKey(QStringLiteral("Kestrova 5"), false));
        QVERIFY(!r.DeleteKey(QStringLiteral("/")));
        QCOMPARE(k5test::ReadFile(platform::ConfigFolder() + QStringLiteral("/registry.ini")), before);
        QVERIFY(r.KeyExists(QStringLiteral("\\Kestrova 5\\Settings")));
        // A key below the root still goes, with what it holds.
        QVERIFY(r.DeleteKey(QString()));
        QVERIFY(!r.KeyExists(QStringLiteral("\\Kestrova 5")));
        QVERIFY(r.KeyExists(QStringLiteral("\\Other")));
    }

    void localMachineIsReadOnlyAndSeeded()
    {
        Registry m(RootKey::LocalMachine);
        QVERIFY(!m.OpenKey(QStringLiteral("Software\\X"), true));
        Registry::SeedLocalMachine(QStringLiteral("Software\\X"), QStringLiteral("v"), QStringLiteral("sz:hello"));
        QVERIFY(m.OpenKey(QStringLiteral("Software\\X"), false));
        QCOMPARE(m.ReadString(QStringLiteral("v")), QStringLiteral("hello"));
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, m.WriteString(QStringLiteral("v"), QStringLiteral("no")));
        QVERIFY(!m.DeleteKey(QStringLiteral("\\Software\\X")));
        Registry u;
        QVERIFY(!u.KeyExists(QStringLiteral("Software\\X")));
    }
};

K5_TEST_MAIN(TestRegistry)
#include "test_registry.moc"
