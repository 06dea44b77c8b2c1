#include "k5test.h"

#include "platform/inifile.h"

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void iniReadsWhatWasWritten()
    {
        const QString path = k5test::Root() + QStringLiteral("/tmp/a.ini");
        platform::IniFile ini(path);
        ini.WriteString(QStringLiteral("Sec"), QStringLiteral("Key"), QStringLiteral("value"));
        platform::IniFile again(path);
        QCOMPARE(again.ReadString(QStringLiteral("SEC"), QStringLiteral("key"), QString()), QStringLiteral("value"));
    }
};

K5_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
