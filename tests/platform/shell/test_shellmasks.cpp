#include "k5test.h"

#include "platform/shell/masks.h"
#include "platform/shell/shell.h"
#include "platform/shell/volumes.h"

#include <QDir>

class TestShellMasks : public QObject {
    Q_OBJECT
private slots:
    void filtersBecomeNameFilters()
    {
        using platform::FilterToNameFilters;
        QCOMPARE(FilterToNameFilters(QStringLiteral("Gif Files|*.gif|All Files|*.*")),
                 QStringList({QStringLiteral("Gif Files (*.gif)"), QStringLiteral("All Files (*)")}));
        QCOMPARE(FilterToNameFilters(QStringLiteral("Web pages|*.htm;*.html; *.asp")),
                 QStringList({QStringLiteral("Web pages (*.htm *.html *.asp)")}));
        // A description without its mask is dropped; no filter at all gives none.
        QCOMPARE(FilterToNameFilters(QStringLiteral("Text|*.txt|Lonely")), QStringList({QStringLiteral("Text (*.txt)")}));
        QVERIFY(FilterToNameFilters(QString()).isEmpty());
    }

    void masksIgnoreCase()
    {
        using platform::MatchesMask;
        QVERIFY(MatchesMask(QStringLiteral("Index.HTM"), QStringLiteral("*.htm")));
        QVERIFY(!MatchesMask(QStringLiteral("index.html"), QStringLiteral("*.htm")));
        QVERIFY(MatchesMask(QStringLiteral("README"), QStringLiteral("*.*")));
        QVERIFY(MatchesMask(QStringLiteral("README"), QStringLiteral("READ*.*")));
        QVERIFY(MatchesMask(QStringLiteral("a.b.c"), QStringLiteral("*.c")));
        QVERIFY(MatchesMask(QStringLiteral("bild1.gif"), QStringLiteral("bild?.GIF")));
        QVERIFY(!MatchesMask(QStringLiteral("bild10.gif"), QStringLiteral("bild?.gif")));
        QVERIFY(MatchesMask(QStringLiteral("[x].txt"), QStringLiteral("[x]*")));
        QVERIFY(MatchesMask(QStringLiteral("Ärger.txt"), QStringLiteral("ä*")));
        QVERIFY(!MatchesMask(QStringLiteral("a.txt"), QString()));
        QVERIFY(platform::MatchesAnyMask(QStringLiteral("a.asp"), platform::SplitMasks(QStringLiteral("*.htm;*.asp"))));
    }

    void nameOrderIgnoresCase()
    {
        QStringList names{QStringLiteral("b.htm"), QStringLiteral("A.htm"), QStringLiteral("a.htm")};
        std::sort(names.begin(), names.end(), platform::NameLess);
        QCOMPARE(names, QStringList({QStringLiteral("A.htm"), QStringLiteral("a.htm"), QStringLiteral("b.htm")}));
    }

    void hooksAnswerBeepAndOpen()
    {
        QList<unsigned> beeps;
        platform::SetBeepHook([&](unsigned t) { beeps << t; });
        platform::MessageBeep();
        platform::MessageBeep(platform::BeepQuestion);
        platform::SetBeepHook(nullptr);
        QCOMPARE(beeps, QList<unsigned>({0u, 0x20u}));
        QString opened;
        platform::SetOpenHook([&](const QString &s) { opened = s; return true; });
        QVERIFY(platform::OpenWithShell(QStringLiteral("/tmp/x.htm")));
        platform::SetOpenHook(nullptr);
        QCOMPARE(opened, QStringLiteral("/tmp/x.htm"));
    }

    void systemVolumesNamesAndIcons()
    {
        const QList<platform::Volume> volumes = platform::Volumes();
        QVERIFY(!volumes.isEmpty());
        QCOMPARE(volumes.first().root, QStringLiteral("/"));
        QCOMPARE(volumes.first().displayName, QStringLiteral("File System"));
        for (const platform::Volume &v : volumes)
            QVERIFY(v.root.endsWith(QLatin1Char('/')));
        QVERIFY(platform::DriveTypeOf(QDir::homePath()) != platform::DRIVE_NO_ROOT_DIR);
        QCOMPARE(platform::DisplayName(QStringLiteral("/usr/bin")), QStringLiteral("bin"));
        QCOMPARE(platform::DisplayName(QStringLiteral("/")), QStringLiteral("File System"));
        QCOMPARE(platform::SystemFolder(), QDir::homePath() + QLatin1Char('/'));
        QVERIFY(!platform::FileIcon(QStringLiteral("/")).isNull());
        QVERIFY(!platform::FileIcon(QDir::homePath(), true).isNull());
    }
};

K5_TEST_MAIN(TestShellMasks)
#include "test_shellmasks.moc"
