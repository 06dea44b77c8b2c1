#include "k5test.h"

#include "controls/zel/explorer.h"
#include "platform/error.h"
#include "platform/shell/volumes.h"

#include <QDir>
#include <QFile>

using namespace zel;

class TestExplorer : public QObject {
    Q_OBJECT

    QString vols, c, floppy, net, home;

    static QStringList childTexts(QTreeWidgetItem *node)
    {
        QStringList out;
        for (int i = 0; i < node->childCount(); ++i)
            out << node->child(i)->text(0);
        return out;
    }

    QTreeWidgetItem *top(TZELExplorerTree &tree, const QString &text)
    {
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            if (tree.topLevelItem(i)->text(0) == text)
                return tree.topLevelItem(i);
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        vols = k5test::Root() + QStringLiteral("/vols/");
        c = vols + QStringLiteral("C/");
        floppy = vols + QStringLiteral("A/");
        net = vols + QStringLiteral("N/");
        home = QDir::homePath() + QLatin1Char('/');
        for (const char *d : {"WINDOWS/SYSTEM/deep", "Web pages/images", "RECYCLED/inner", "Mixed Case", "Ärger", "empty"})
            QDir().mkpath(c + QString::fromUtf8(d));
        QDir().mkpath(floppy);
        QDir().mkpath(net + QStringLiteral("share"));
        QDir().mkpath(home + QStringLiteral("Documents"));
        QVERIFY(QFile::link(c, c + QStringLiteral("Web pages/back to C")));
        const QList<platform::Volume> volumes{{floppy, QStringLiteral("Floppy (A:)"), platform::DRIVE_REMOVABLE},
                                              {c, QStringLiteral("Local Disk (C:)"), platform::DRIVE_FIXED},
                                              {home, QStringLiteral("Home"), platform::DRIVE_FIXED},
                                              {net, QStringLiteral("Network (N:)"), platform::DRIVE_REMOTE}};
        platform::SetVolumeProvider([volumes] { return volumes; });
    }

    void cleanupTestCase() { platform::SetVolumeProvider(nullptr); }

    void volumesAreTheTopLevel()
    {
        TZELExplorerTree tree;
        QCOMPARE(tree.topLevelItemCount(), 4);
        QVERIFY(tree.Ready());
        QTreeWidgetItem *a = top(tree, QStringLiteral("Floppy (A:)"));
        QTreeWidgetItem *cNode = top(tree, QStringLiteral("Local Disk (C:)"));
        QVERIFY(a && cNode);
        // The floppy gets an empty marker without being read; C was probed.
        QCOMPARE(childTexts(a), QStringList({QString()}));
        QCOMPARE(childTexts(cNode), QStringList({QStringLiteral("**")}));
        QVERIFY(!TZELExplorerTree::ChildrenLoaded(cNode));
        QCOMPARE(tree.Directory(), QStringLiteral("nil"));

        // Expanding reads the folder; the empty floppy ends up with nothing.
        tree.expandItem(a);
        QCOMPARE(a->childCount(), 0);
        tree.expandItem(cNode);
        QCOMPARE(childTexts(cNode), QStringList({QStringLiteral("Ärger"), QStringLiteral("empty"), QStringLiteral("Mixed Case"),
                                                 QStringLiteral("RECYCLED"), QStringLiteral("Web pages"), QStringLiteral("WINDOWS")}));
        // Each child was probed for subfolders.
        QCOMPARE(cNode->child(1)->childCount(), 0);
        QCOMPARE(childTexts(cNode->child(5)), QStringList({QStringLiteral("**")}));
        // The recycled folder shows, what is inside it does not.
        QCOMPARE(cNode->child(3)->childCount(), 0);
    }

    void directoryWalksDownIgnoringCase()
    {
        TZELExplorerTree tree;
        QTreeWidgetItem *changed = nullptr;
        tree.OnChange = [&](QObject *, QTreeWidgetItem *n) { changed = n; };
        tree.SetDirectory(c + QStringLiteral("windows/system"));
        QCOMPARE(tree.Directory(), c + QStringLiteral("WINDOWS/SYSTEM/"));
        QCOMPARE(TZELExplorerTree::NodePath(changed), c + QStringLiteral("WINDOWS/SYSTEM/"));
        QCOMPARE(tree.LastFolderOn(c), c + QStringLiteral("WINDOWS/SYSTEM/"));
        QTreeWidgetItem *cNode = top(tree, QStringLiteral("Local Disk (C:)"));
        QVERIFY(TZELExplorerTree::ChildrenLoaded(cNode));
        QVERIFY(!TZELExplorerTree::ChildrenLoaded(top(tree, QStringLiteral("Home"))));

        // Unknown folders and "nil" leave the selection; an empty name is an error.
        tree.SetDirectory(c + QStringLiteral("WINDOWS/nothing here"));
        QCOMPARE(tree.Directory(), c + QStringLiteral("WINDOWS/SYSTEM/"));
        tree.SetDirectory(QStringLiteral("nil"));
        QCOMPARE(tree.Directory(), c + QStringLiteral("WINDOWS/SYSTEM/"));
        try {
            tree.SetDirectory(QString());
            QFAIL("no exception");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid Directory Name"));
        }
        tree.SetDirectory(c + QStringLiteral("Ärger/"));
        QCOMPARE(tree.Directory(), c + QStringLiteral("Ärger/"));
        tree.SetDirectory(home + QStringLiteral("Documents"));
        QCOMPARE(tree.Directory(), home + QStringLiteral("Documents/"));
    }

    void withoutNetworkRemoteFoldersBecomeTheSystemFolder()
    {
        TZELExplorerTree tree;
        tree.SetDirectory(net + QStringLiteral("share"));
        QCOMPARE(tree.Directory(), net + QStringLiteral("share/"));
        tree.SetNetwork(false);
        QVERIFY(!top(tree, QStringLiteral("Network (N:)")));
        QCOMPARE(tree.topLevelItemCount(), 3);
        tree.SetDirectory(net + QStringLiteral("share"));
        QCOMPARE(tree.Directory(), home);
        tree.SetNetwork(true);
        QVERIFY(top(tree, QStringLiteral("Network (N:)")));
        QCOMPARE(tree.Directory(), home);
    }

    void linkedLoopsHaveNothingBelowThem()
    {
        TZELExplorerTree tree;
        tree.SetDirectory(c + QStringLiteral("Web pages"));
        QTreeWidgetItem *web = tree.currentItem();
        tree.expandItem(web);
        QCOMPARE(childTexts(web), QStringList({QStringLiteral("back to C"), QStringLiteral("images")}));
        QTreeWidgetItem *loop = web->child(0);
        QCOMPARE(loop->childCount(), 0);
        tree.expandItem(loop);
        QCOMPARE(loop->childCount(), 0);
        // Nothing is found through it: the selection stays.
        tree.SetDirectory(c + QStringLiteral("Web pages/back to C/WINDOWS"));
        QCOMPARE(tree.Directory(), c + QStringLiteral("Web pages/"));
    }

    void eventsFilterAndReportNodes()
    {
        TZELExplorerTree tree;
        int icons = 0, deleted = 0;
        tree.OnAddDirectory = [](QObject *, const QString &path, bool &add) {
            add = !path.endsWith(QStringLiteral("/Mixed Case/"));
        };
        tree.OnGetIcon = [&](QObject *, QTreeWidgetItem *n) {
            ++icons;
            QVERIFY(!n->icon(0).isNull());
        };
        tree.OnDeleteItem = [&](QObject *, QTreeWidgetItem *) { ++deleted; };
        tree.SetDirectory(c + QStringLiteral("WINDOWS"));
        QCOMPARE(childTexts(tree.currentItem()->parent()).contains(QStringLiteral("Mixed Case")), false);
        QCOMPARE(icons, 5);
        tree.Refresh();
        QCOMPARE(deleted, 4 + 5);
        QCOMPARE(tree.Directory(), c + QStringLiteral("WINDOWS/"));

        // A search step may end the search of its folder.
        QList<bool> firsts;
        tree.OnFindDirectory = [&](QObject *, const QString &path, int &result, bool first) {
            firsts << first;
            if (path.endsWith(QStringLiteral("/SYSTEM")))
                result = 1;
        };
        tree.SetDirectory(c + QStringLiteral("WINDOWS/SYSTEM"));
        QCOMPARE(tree.Directory(), c + QStringLiteral("WINDOWS/"));
        QCOMPARE(firsts.value(0), true);
        QCOMPARE(firsts.size(), 1);
    }

    void fileViewShowsRealNamesWithIcons()
    {
        const QString dir = k5test::Root() + QStringLiteral("/files/");
        k5test::WriteFile(dir + QStringLiteral("Index.HTM"), "x");
        k5test::WriteFile(dir + QStringLiteral("b.gif"), "x");
        k5test::WriteFile(dir + QStringLiteral("notes.txt"), "x");
        k5test::WriteFile(dir + QStringLiteral(".hidden.htm"), "x");
        QDir().mkpath(dir + QStringLiteral("Sub"));
        TZELExplorerView view;
        view.SetMask(QStringLiteral("*.htm;*.gif"));
        view.SetDirectory(dir);
        QCOMPARE(view.count(), 2);
        QCOMPARE(view.item(0)->text(), QStringLiteral("b.gif"));
        QCOMPARE(view.item(1)->text(), QStringLiteral("index.htm"));
        QVERIFY(!view.item(1)->icon().isNull());
        QCOMPARE(view.FileName(), QString());
        int changes = 0;
        view.OnChange = [&](QObject *) { ++changes; };
        view.setCurrentRow(1);
        QCOMPARE(changes, 1);
        QCOMPARE(view.FileName(), dir + QStringLiteral("Index.HTM"));
        view.SetCharCase(ecNormal);
        QCOMPARE(view.item(1)->text(), QStringLiteral("Index.HTM"));
        QCOMPARE(view.FileName(), dir + QStringLiteral("Index.HTM"));
        view.SetFileType(ftNormal | ftDirectory);
        QCOMPARE(view.item(0)->text(), QStringLiteral("[..]"));
        QCOMPARE(view.item(3)->text(), QStringLiteral("[Sub]"));
        view.SetMask(QStringLiteral("*.*"));
        QCOMPARE(view.count(), 2 + 3);
        QFile::remove(dir + QStringLiteral("b.gif"));
        view.Update();
        QCOMPARE(view.count(), 2 + 2);
    }

    // A file whose name is in brackets is a file; the entries for folders (shown in brackets) name none.
    void aBracketedFileNameIsAFile()
    {
        const QString dir = k5test::Root() + QStringLiteral("/brackets/");
        k5test::WriteFile(dir + QStringLiteral("[draft].htm"), "x");
        QDir().mkpath(dir + QStringLiteral("[old]"));
        TZELExplorerView view;
        view.SetCharCase(ecNormal);
        view.SetFileType(ftNormal | ftDirectory);
        view.SetDirectory(dir);
        QStringList shown;
        for (int i = 0; i < view.count(); ++i)
            shown << view.item(i)->text();
        QCOMPARE(shown, (QStringList{"[..]", "[draft].htm", "[[old]]"}));
        view.setCurrentRow(1);
        QCOMPARE(view.FileName(), dir + QStringLiteral("[draft].htm"));
        for (int row : {0, 2}) {
            view.setCurrentRow(row);
            QCOMPARE(view.FileName(), QString());
        }
    }
};

K5_TEST_MAIN(TestExplorer)
#include "test_explorer.moc"
