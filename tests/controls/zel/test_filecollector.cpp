#include "k5test.h"

#include "controls/zel/filecollector.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

using namespace zel;

class TestFileCollector : public QObject {
    Q_OBJECT

    QString root;

private slots:
    void init()
    {
        root = k5test::Root() + QStringLiteral("/web site ") + QString::number(QRandomGenerator::global()->generate());
        k5test::WriteFile(root + QStringLiteral("/b.htm"), "b");
        k5test::WriteFile(root + QStringLiteral("/A.htm"), "a");
        k5test::WriteFile(root + QStringLiteral("/index.html"), "x");
        k5test::WriteFile(root + QStringLiteral("/Z/c.htm"), "c");
        k5test::WriteFile(root + QStringLiteral("/Z/Deep/d.HTM"), "d");
        k5test::WriteFile(root + QStringLiteral("/ärger/ö ü.htm"), "e");
        k5test::WriteFile(root + QStringLiteral("/.hidden.htm"), "h");
    }

    void filesComeBeforeTheirSubfoldersInNameOrder()
    {
        TZELFileCollector c;
        c.InitialDirectory = root;
        c.FileMask = QStringLiteral("*.htm");
        QStringList found;
        QStringList events;
        int folders = 0;
        c.OnStart = [&](QObject *) { events << QStringLiteral("start"); };
        c.OnDone = [&](QObject *) { events << QStringLiteral("done"); };
        c.OnDirectoryFound = [&](QObject *) { ++folders; };
        c.OnFileFound = [&](QObject *sender, const QString &f) {
            QCOMPARE(sender, &c);
            found << f;
        };
        QVERIFY(c.Execute());
        const QString d = root + QLatin1Char('/');
        const QStringList expected{d + QStringLiteral(".hidden.htm"), d + QStringLiteral("A.htm"), d + QStringLiteral("b.htm"),
                                   d + QStringLiteral("ärger/ö ü.htm"), d + QStringLiteral("Z/c.htm"),
                                   d + QStringLiteral("Z/Deep/d.HTM")};
        QCOMPARE(found, expected);
        QCOMPARE(c.LocatedObjects(), expected);
        QCOMPARE(folders, 4);
        QCOMPARE(events, QStringList({QStringLiteral("start"), QStringLiteral("done")}));
        QCOMPARE(c.InitialDirectory, d);
    }

    void initialDirectoryEndsInOneSeparator()
    {
        QCOMPARE(WithTrailingSeparator(QStringLiteral("/srv/web")), QStringLiteral("/srv/web/"));
        QCOMPARE(WithTrailingSeparator(QStringLiteral("/srv/web/")), QStringLiteral("/srv/web/"));
        QCOMPARE(WithTrailingSeparator(QStringLiteral("/srv/web//")), QStringLiteral("/srv/web/"));
        QCOMPARE(WithTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));

        // Empty: the current folder.
        const QString before = QDir::currentPath();
        QDir::setCurrent(root + QStringLiteral("/Z"));
        TZELFileCollector c;
        c.FileMask = QStringLiteral("c.*");
        QVERIFY(c.Execute());
        QDir::setCurrent(before);
        QCOMPARE(c.LocatedObjects(), QStringList({root + QStringLiteral("/Z/c.htm")}));
    }

    void emptyMaskOrMissingFolderFindsNothing()
    {
        TZELFileCollector c;
        c.InitialDirectory = root;
        QVERIFY(!c.Execute());
        QVERIFY(c.LocatedObjects().isEmpty());
        c.FileMask = QStringLiteral("*.*");
        c.InitialDirectory = root + QStringLiteral("/missing");
        int done = 0;
        c.OnDone = [&](QObject *) { ++done; };
        QVERIFY(!c.Execute());
        QCOMPARE(done, 1);
        // "*.*" takes names without a dot too; a second run starts afresh.
        c.InitialDirectory = root + QStringLiteral("/Z");
        k5test::WriteFile(root + QStringLiteral("/Z/README"), "r");
        QVERIFY(c.Execute());
        QCOMPARE(c.LocatedObjects().size(), 3);
    }

    void linkedLoopsAreEnteredOnce()
    {
        QVERIFY(QFile::link(root, root + QStringLiteral("/Z/back to top")));
        TZELFileCollector c;
        c.InitialDirectory = root;
        c.FileMask = QStringLiteral("c.htm");
        QVERIFY(c.Execute());
        QCOMPARE(c.LocatedObjects(), QStringList({root + QStringLiteral("/Z/c.htm")}));
    }

    void aNestedRunIsRefused()
    {
        TZELFileCollector c;
        c.InitialDirectory = root;
        c.FileMask = QStringLiteral("*.htm");
        int nested = -1;
        c.OnFileFound = [&](QObject *, const QString &) {
            if (nested < 0)
                nested = c.Execute() ? 1 : 0;
        };
        QVERIFY(c.Execute());
        QCOMPARE(nested, 0);
        QCOMPARE(c.LocatedObjects().size(), 6);
        QVERIFY(!c.Running());
    }
};

K5_TEST_MAIN(TestFileCollector)
#include "test_filecollector.moc"
