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

    // The background search finds what Execute finds, in the same order, and ends with one OnDone.
    void aBackgroundSearchFindsWhatExecuteFinds()
    {
        TZELFileCollector sync;
        sync.InitialDirectory = root;
        sync.FileMask = QStringLiteral("*.htm");
        QVERIFY(sync.Execute());

        TZELFileCollector c;
        c.InitialDirectory = root;
        c.FileMask = QStringLiteral("*.htm");
        QStringList found;
        int done = 0, batches = 0;
        c.OnFilesFound = [&](QObject *sender, const QStringList &files) {
            QCOMPARE(sender, &c);
            QVERIFY(!files.isEmpty());
            QCOMPARE(done, 0);
            ++batches;
            found << files;
        };
        c.OnDone = [&](QObject *) { ++done; };
        QVERIFY(c.Start());
        QVERIFY(c.Running());
        QVERIFY(!c.Start()); // one search at a time
        QVERIFY(!c.Execute());
        QTRY_COMPARE(done, 1);
        QVERIFY(!c.Running());
        QVERIFY(batches >= 1);
        QCOMPARE(found, sync.LocatedObjects());
        QCOMPARE(c.LocatedObjects(), sync.LocatedObjects());

        // A missing folder: nothing found, and the search still ends.
        c.InitialDirectory = root + QStringLiteral("/missing");
        found.clear();
        QVERIFY(c.Start());
        QTRY_COMPARE(done, 2);
        QVERIFY(found.isEmpty());
    }

    void linkedFoldersAreLeftAloneWhenAsked()
    {
        const QString outside = k5test::Root() + QStringLiteral("/outside") + QString::number(QRandomGenerator::global()->generate());
        k5test::WriteFile(outside + QStringLiteral("/far.htm"), "f");
        QVERIFY(QFile::link(outside, root + QStringLiteral("/Z/linked")));
        QVERIFY(QFile::link(root, root + QStringLiteral("/Z/back to top")));
        QVERIFY(QFile::link(outside + QStringLiteral("/far.htm"), root + QStringLiteral("/near.htm")));
        for (bool background : {false, true}) {
            TZELFileCollector c;
            c.InitialDirectory = root;
            c.FileMask = QStringLiteral("*.htm");
            c.FollowLinks = false;
            int done = 0;
            c.OnDone = [&](QObject *) { ++done; };
            if (background)
                QVERIFY(c.Start());
            else
                c.Execute();
            QTRY_COMPARE(done, 1);
            const QStringList found = c.LocatedObjects();
            QVERIFY2(!found.join(QLatin1Char('|')).contains(QStringLiteral("/linked/")), qPrintable(found.join(QLatin1Char('|'))));
            QVERIFY(!found.join(QLatin1Char('|')).contains(QStringLiteral("back to top")));
            QVERIFY(found.contains(root + QStringLiteral("/near.htm"))); // a link to a file is a file
            QCOMPARE(found.size(), 7);
        }
        // Following links, a loop is still entered once.
        TZELFileCollector c;
        c.InitialDirectory = root;
        c.FileMask = QStringLiteral("far.htm");
        int done = 0;
        c.OnDone = [&](QObject *) { ++done; };
        QVERIFY(c.Start());
        QTRY_COMPARE(done, 1);
        QCOMPARE(c.LocatedObjects(), QStringList({root + QStringLiteral("/Z/linked/far.htm")}));
    }

    void aStoppedSearchDeliversNothingMore()
    {
        for (int i = 0; i < 40; ++i)
            k5test::WriteFile(root + QStringLiteral("/many/f%1/page.htm").arg(i), "p");
        TZELFileCollector c;
        c.InitialDirectory = root;
        c.FileMask = QStringLiteral("*.htm");
        int done = 0;
        QStringList found;
        c.OnFilesFound = [&](QObject *, const QStringList &files) {
            found << files;
            c.Stop(); // from a handler, after the first batch
        };
        c.OnDone = [&](QObject *) { ++done; };
        QVERIFY(c.Start());
        QTRY_COMPARE(done, 1);
        const qsizetype atStop = found.size();
        QVERIFY(atStop > 0);
        QVERIFY(!c.Running());
        c.Stop(); // nothing runs: nothing happens
        QCOMPARE(done, 1);
        QCoreApplication::processEvents();
        QCOMPARE(found.size(), atStop);

        // A collector that goes while it searches takes its worker with it.
        auto *gone = new TZELFileCollector;
        gone->InitialDirectory = root;
        gone->FileMask = QStringLiteral("*.*");
        gone->OnFilesFound = [&](QObject *, const QStringList &) { QFAIL("a batch reached a deleted collector"); };
        QVERIFY(gone->Start());
        delete gone;
        QCoreApplication::processEvents();
    }
};

K5_TEST_MAIN(TestFileCollector)
#include "test_filecollector.moc"
