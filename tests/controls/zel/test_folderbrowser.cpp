#include "k5test.h"

#include "controls/zel/folderbrowser.h"
#include "platform/shell/folderdialog.h"
#include "platform/shell/shell.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTreeView>

using namespace zel;
using platform::FolderDialog;

class TestFolderBrowser : public QObject {
    Q_OBJECT

    QString tree;

private slots:
    void initTestCase()
    {
        tree = k5test::Root() + QStringLiteral("/Web pages");
        QDir().mkpath(tree + QStringLiteral("/Site Ä/images"));
        QDir().mkpath(tree + QStringLiteral("/Other"));
    }

    void pathsAreShortened()
    {
        const QChar bs = QLatin1Char('\\');
        QCOMPARE(platform::ShortenPath(QStringLiteral("C:\\Documents\\Web pages\\projects\\site\\images\\buttons"), 35, bs),
                 QStringLiteral("C:\\...\\projects\\site\\images\\buttons"));
        QCOMPARE(platform::ShortenPath(QStringLiteral("C:\\Program Files\\Common Files\\System\\Ole DB"), 35, bs),
                 QStringLiteral("C:\\...\\Common Files\\System\\Ole DB"));
        const QString twoParts = QStringLiteral("C:\\A very long folder name that goes on and on");
        QCOMPARE(platform::ShortenPath(twoParts, 35, bs), twoParts);
        QCOMPARE(platform::ShortenPath(QStringLiteral("/short/path")), QStringLiteral("/short/path"));
        QCOMPARE(platform::ShortenPath(QStringLiteral("/home/someone/projects/site/images/buttons/big")),
                 QStringLiteral("/.../site/images/buttons/big"));
    }

    void browserReportsTheChosenFolder()
    {
        TZELFolderBrowser browser;
        browser.BrowseCaption = QStringLiteral("Choose the source folder");
        browser.BrowseReturnPath = tree + QStringLiteral("/Other");
        browser.BrowsePathLabel = true;
        QStringList events;
        browser.BeforeBrowse = [&](QObject *) { events << QStringLiteral("before"); };
        browser.AfterBrowse = [&](QObject *) { events << QStringLiteral("after"); };
        browser.OnPathChanged = [&](QObject *) { events << QStringLiteral("changed ") + browser.CurrentPath(); };
        const QString target = tree + QStringLiteral("/Site Ä/images");

        k5test::Answerer answer;
        QString preselected, status;
        bool okBefore = false, okAfter = true, centred = false, statusLine = false, sameWindow = false,
             emptyStatus = false;
        answer.OnModal([&](QDialog *d) {
            auto *f = qobject_cast<FolderDialog *>(d);
            if (!f)
                return int(platform::mrCancel);
            preselected = f->SelectedPath();
            statusLine = f->HasStatusLine();
            okBefore = f->OkEnabled();
            const QRect s = QGuiApplication::primaryScreen()->geometry();
            centred = f->pos() == QPoint(s.width() / 2 - f->width() / 2, s.height() / 2 - f->height() / 2);
            sameWindow = browser.DialogWindow() == f;
            f->SetSelection(QString()); // an item outside the file system
            okAfter = f->OkEnabled();
            emptyStatus = f->StatusText().isEmpty();
            f->SetSelection(target);
            status = f->StatusText();
            return int(platform::mrOk);
        });
        QVERIFY(browser.Execute());
        QCOMPARE(preselected, tree + QStringLiteral("/Other"));
        QVERIFY(okBefore);
        QVERIFY(!okAfter);
        QVERIFY(centred);
        QVERIFY(statusLine);
        QVERIFY(sameWindow);
        QVERIFY(emptyStatus);
        QCOMPARE(status, platform::ShortenPath(target));
        QCOMPARE(browser.BrowseReturnPath, target);
        QCOMPARE(browser.CurrentPath(), target);
        QCOMPARE(browser.DisplayName(), QStringLiteral("images"));
        QVERIFY(!browser.DialogWindow());
        QCOMPARE(events.first(), QStringLiteral("before"));
        QCOMPARE(events.last(), QStringLiteral("after"));
        QVERIFY(events.contains(QStringLiteral("changed ") + target));
        QVERIFY(events.contains(QStringLiteral("changed ")));
    }

    void cancelChangesNothingButTheEvents()
    {
        TZELFolderBrowser browser;
        browser.BrowseReturnPath = tree + QStringLiteral("/does not exist");
        browser.Sound = bExclamation;
        QList<unsigned> beeps;
        platform::SetBeepHook([&](unsigned t) { beeps << t; });
        int before = 0, after = 0;
        browser.BeforeBrowse = [&](QObject *) { ++before; };
        browser.AfterBrowse = [&](QObject *) { ++after; };
        k5test::Answerer answer;
        QString preselected = QStringLiteral("x");
        bool ok = true;
        answer.OnModal([&](QDialog *d) {
            auto *f = static_cast<FolderDialog *>(d);
            preselected = f->SelectedPath();
            ok = f->OkEnabled();
            f->SetSelection(tree);
            return int(platform::mrCancel);
        });
        QVERIFY(!browser.Execute());
        platform::SetBeepHook(nullptr);
        QCOMPARE(preselected, QString()); // a missing folder is not pre-selected
        QVERIFY(!ok);
        QCOMPARE(browser.BrowseReturnPath, tree + QStringLiteral("/does not exist"));
        QCOMPARE(before, 1);
        QCOMPARE(after, 1);
        QCOMPARE(beeps, QList<unsigned>({0x30u}));
    }

    void lookupPutsTheFolderIntoTheEdit()
    {
        TZELFolderLookup edit;
        edit.setText(tree + QStringLiteral("/Other"));
        edit.LookupFlags = StatusText | DisplayPath;
        QList<QStringList> changes;
        edit.OnPathChanged = [&](QObject *, const QString &o, const QString &n) { changes << QStringList{o, n}; };
        int before = 0, after = 0;
        edit.BeforeLookup = [&](QObject *) { ++before; };
        edit.AfterLookup = [&](QObject *) { ++after; };
        const QString target = tree + QStringLiteral("/Site Ä/images");

        k5test::Answerer answer;
        QString preselected, status;
        answer.OnModal([&](QDialog *d) {
            auto *f = static_cast<FolderDialog *>(d);
            preselected = f->SelectedPath();
            f->SetSelection(target);
            status = f->StatusText();
            return int(platform::mrOk);
        });
        edit.EditButton1().ShortCutKey = int(Qt::AltModifier) | Qt::Key_Down;
        QTest::keyClick(&edit, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(preselected, tree + QStringLiteral("/Other"));
        QCOMPARE(status, target); // the full path, not shortened
        QCOMPARE(edit.text(), target);
        QCOMPARE(changes, QList<QStringList>({{tree + QStringLiteral("/Other"), target}}));
        QCOMPARE(edit.DisplayName(), QStringLiteral("images"));

        // The same folder again: no event.
        QTest::keyClick(&edit, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(before, 2);
        QCOMPARE(after, 2);

        // Cancelled: the text stays.
        answer.OnModal([](QDialog *) { return int(platform::mrCancel); });
        edit.Lookup(&edit);
        QCOMPARE(edit.text(), target);
        QCOMPARE(after, 3);
    }

    void displayPathWithoutStatusTextShowsNothing()
    {
        TZELFolderLookup edit;
        edit.LookupFlags = DisplayPath;
        k5test::Answerer answer;
        bool statusLine = true;
        answer.OnModal([&](QDialog *d) {
            auto *f = static_cast<FolderDialog *>(d);
            statusLine = f->HasStatusLine();
            f->SetSelection(tree);
            return int(platform::mrOk);
        });
        edit.Lookup(&edit);
        QVERIFY(!statusLine);
        QCOMPARE(edit.text(), tree);
    }

    // The chooser opens with the pre-selected folder in view, also when it lies far down among folders
    // that are read while the chooser comes up.
    void preselectedFolderIsScrolledIntoView()
    {
        const QString many = tree + QStringLiteral("/Many");
        for (int i = 0; i < 300; ++i)
            QDir().mkpath(many + QStringLiteral("/f%1").arg(i, 3, 10, QLatin1Char('0')));
        const QString wanted = many + QStringLiteral("/f250");
        TZELFolderBrowser browser;
        browser.BrowseReturnPath = wanted;
        k5test::User user;
        QString highlighted;
        bool inView = false;
        user.Then([&](QWidget *modal) {
            auto *f = qobject_cast<FolderDialog *>(modal);
            if (!f)
                return false;
            auto *view = f->findChild<QTreeView *>(QStringLiteral("FolderTree"));
            highlighted = f->SelectedPath();
            // Once every folder beside it has been read and sorted in.
            const QPersistentModelIndex current(view->currentIndex());
            if (!QTest::qWaitFor([&] { return current.row() == 250 && view->model()->rowCount(current.parent()) == 300; }))
                return true;
            k5test::Settle();
            const QRect r = view->visualRect(view->currentIndex());
            inView = r.isValid() && view->viewport()->rect().contains(r);
            return true;
        });
        user.Click(QStringLiteral("OK"));
        QVERIFY(browser.Execute());
        QVERIFY(user.Done());
        QCOMPARE(highlighted, wanted);
        QVERIFY(inView);
        QCOMPARE(browser.BrowseReturnPath, wanted);
    }

    // No entry of the chooser is a computer or a printer: a chooser for them has nothing to confirm.
    void computersAndPrintersCannotBeChosen()
    {
        for (unsigned flag : {unsigned(bifBrowseForComputer), unsigned(bifBrowseForPrinter)}) {
            TZELFolderBrowser browser;
            browser.BrowseFlags |= flag;
            browser.BrowseReturnPath = tree + QStringLiteral("/Other");
            k5test::Answerer answer;
            bool okEnabled = true;
            answer.OnModal([&](QDialog *d) {
                auto *f = static_cast<FolderDialog *>(d);
                f->SetSelection(tree);
                okEnabled = f->OkEnabled();
                return int(platform::mrOk);
            });
            QVERIFY(!browser.Execute());
            QVERIFY(!okEnabled);
            QCOMPARE(browser.BrowseReturnPath, tree + QStringLiteral("/Other"));
        }
        TZELFolderLookup edit;
        edit.LookupFlags |= LookupForComputer;
        k5test::Answerer answer;
        answer.OnModal([&](QDialog *d) {
            static_cast<FolderDialog *>(d)->SetSelection(tree);
            return int(platform::mrOk);
        });
        edit.Lookup(&edit);
        QCOMPARE(edit.text(), QString());
    }

    void rootsMapToFolders()
    {
        QCOMPARE(RootCsidl(csidlDesktopExpanded), -1);
        QCOMPARE(RootCsidl(csidlMyComputer), 17);
        QCOMPARE(RootCsidl(csidlTemplates), 21);
        QCOMPARE(RootFolder(csidlDesktopExpanded), QString());
        QCOMPARE(RootFolder(csidlMyComputer), QDir::rootPath());
        QCOMPARE(RootFolder(csidlPrinters), QString());
    }
};

K5_TEST_MAIN(TestFolderBrowser)
#include "test_folderbrowser.moc"
