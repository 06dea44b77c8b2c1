#include "k5test.h"

#include "tools/publish/ie2url.h"

#include "controls/zel/folderbrowser.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace publish;

namespace {

QString Shortcut(const QString &url)
{
    return QStringLiteral("[DEFAULT]\r\nBASEURL=%1\r\n[InternetShortcut]\r\nURL=%1\r\nModified=20C0\r\n").arg(url);
}

// A favourites folder with a sub-folder holding another, an empty folder, a dot folder and a link back up.
QString MakeFavourites()
{
    const QString root = k5test::Root() + QStringLiteral("/Favorites/");
    QDir(root).removeRecursively();
    k5test::WriteFile(root + QStringLiteral("Home Page.url"), Shortcut(QStringLiteral("http://example.org/?a=1&b=2,3;x%20y")).toUtf8());
    k5test::WriteFile(root + QStringLiteral("Nowhere.URL"), "[InternetShortcut]\r\nIconIndex=0\r\n");
    k5test::WriteFile(root + QStringLiteral("notes.txt"), "not a shortcut");
    k5test::WriteFile(root + QStringLiteral("Links/Search.url"), Shortcut(QStringLiteral("http://search.example/")).toUtf8());
    k5test::WriteFile(root + QStringLiteral("Links/Deep/News.url"), Shortcut(QStringLiteral("http://news.example/")).toUtf8());
    k5test::WriteFile(root + QStringLiteral(".cache/Secret.url"), Shortcut(QStringLiteral("http://secret/")).toUtf8());
    QDir().mkpath(root + QStringLiteral("Empty/Inner"));
    k5test::WriteFile(root + QStringLiteral("Empty/Inner/Kept.url"), Shortcut(QStringLiteral("http://kept/")).toUtf8());
    QFile::link(root, root + QStringLiteral("Links/Deep/Back to top"));
    return root;
}

const QStringList kExpected{
    QStringLiteral("<P><B>Inner</B><P>"),
    QStringLiteral("<a href=\"http://kept/\"><B>Kept</B></a><BR>"),
    QStringLiteral("<P><B>Deep</B><P>"),
    QStringLiteral("<a href=\"http://news.example/\"><B>News</B></a><BR>"),
    QStringLiteral("<P><B>Links</B><P>"),
    QStringLiteral("<a href=\"http://search.example/\"><B>Search</B></a><BR>"),
    QStringLiteral("<P><B>Miscellaneous</B><P>"),
    QStringLiteral("<a href=\"http://example.org/?a=1&b=2,3;x%20y\"><B>Home Page</B></a><BR>"),
    QStringLiteral("<a href=\"N/A\"><B>Nowhere</B></a><BR>"),
};

class History : public THistorySource {
public:
    QList<THistoryPeriod> Periods() const override
    {
        return {{QStringLiteral("Monday"),
                 {{QStringLiteral("example.org"),
                   {{QStringLiteral("Welcome"), QStringLiteral("http://example.org/")},
                    {QStringLiteral("Two lines\r\nof title"), QStringLiteral("http://example.org/two")}}}}},
                {QStringLiteral("Today"), {{QStringLiteral("news.example"), {}}}}};
    }
};

bool ProgramFolderHasPreview()
{
    QDirIterator it(k5test::Root(), {QStringLiteral("preview.htm")}, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext();
}

} // namespace

class TestFavourites : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { k5test::Settle(); }

    void walkWritesSubFoldersFirstOnce()
    {
        QCOMPARE(FavouriteLines(MakeFavourites()), kExpected);
        QVERIFY(FavouriteLines(k5test::Root() + QStringLiteral("/none")).isEmpty());
    }

    void okHandsTheLinksOverAndCloses()
    {
        const QString root = MakeFavourites();
        Tfavorit form;
        QCOMPARE(form.windowTitle(), QStringLiteral("HTML Generator for your favorite URLs"));
        QCOMPARE(form.Edit1->text(), QDir::homePath());
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        form.Edit1->setText(root);
        QTest::mouseClick(form.OkButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(inserted, QStringList{kExpected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")});
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
        QVERIFY(!ProgramFolderHasPreview());
    }

    void cancelAndMissingFolderInsertNothing()
    {
        Tfavorit form;
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        form.Edit1->setText(k5test::Root() + QStringLiteral("/not here"));
        k5test::User person;
        person.Click(QStringLiteral("OK"));
        QTest::mouseClick(form.OkButton, Qt::LeftButton);
        QVERIFY(person.Done());
        k5test::Settle();
        QCOMPARE(person.Texts, QStringList{QStringLiteral("The folder \"%1/not here\" does not exist.").arg(k5test::Root())});
        QVERIFY(form.isVisible());
        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
        k5test::Settle();
        QVERIFY(!form.isVisible());
        QVERIFY(inserted.isEmpty());
    }

    // A folder without favourites is said to have none; the window stays for another folder.
    void aFolderWithoutFavouritesIsReported()
    {
        const QString folder = k5test::Root() + QStringLiteral("/no favourites");
        k5test::WriteFile(folder + QStringLiteral("/notes.txt"), "not a shortcut");
        Tfavorit form;
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        form.Edit1->setText(folder);
        k5test::User person;
        person.Click(QStringLiteral("OK"));
        QTest::mouseClick(form.OkButton, Qt::LeftButton);
        k5test::Settle();
        QVERIFY(person.Done());
        QCOMPARE(person.Texts, QStringList{QStringLiteral("No favorites (.url files) were found in \"%1\".").arg(folder)});
        QVERIFY(form.isVisible());
        QVERIFY(inserted.isEmpty());
        form.Edit1->setText(MakeFavourites());
        QTest::mouseClick(form.OkButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(inserted.size(), 1);
        QVERIFY(!form.isVisible());
    }

    void noHistorySourceShowsNoEntries()
    {
        TIETOURL form;
        QCOMPARE(form.windowTitle(), QStringLiteral("IE History -> URL "));
        form.show();
        QCOMPARE(form.CountLabel->text(), QStringLiteral("0 entries in history"));
        QCOMPARE(form.Tree3->topLevelItemCount(), 0);
    }

    void historyPageBecomesALink()
    {
        TIETOURL form(nullptr, std::make_unique<History>());
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        QCOMPARE(form.CountLabel->text(), QStringLiteral("6 entries in history"));
        QTreeWidgetItem *monday = form.Tree3->topLevelItem(0);
        QCOMPARE(form.Tree3->currentItem(), monday);
        QVERIFY(!monday->isExpanded());
        QCOMPARE(monday->toolTip(0), QStringLiteral("visited pages on Monday"));
        QTreeWidgetItem *site = monday->child(0);
        QCOMPARE(site->toolTip(0), QStringLiteral("example.org visited pages"));
        QTreeWidgetItem *two = site->child(1);
        QCOMPARE(two->text(0), QStringLiteral("Two lines"));
        QCOMPARE(two->toolTip(0), QStringLiteral("http://example.org/two"));

        form.Tree3->setCurrentItem(two);
        QCOMPARE(form.Edit1->text(), QStringLiteral("Two lines"));
        QCOMPARE(form.Edit2->text(), QStringLiteral("http://example.org/two"));
        // Choosing a site leaves the fields alone.
        form.Tree3->setCurrentItem(site);
        QCOMPARE(form.Edit2->text(), QStringLiteral("http://example.org/two"));
        form.Edit1->setText(QStringLiteral("Our page"));
        QTest::mouseClick(form.OkButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(inserted, QStringList{QStringLiteral("<A HREF=\"http://example.org/two\">Our page</A>")});
        QVERIFY(!form.isVisible());
    }

    void historyEscapeClosesWithoutLink()
    {
        TIETOURL form(nullptr, std::make_unique<History>());
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        QTest::keyClick(&form, Qt::Key_Escape);
        k5test::Settle();
        QVERIFY(!form.isVisible());
        QVERIFY(inserted.isEmpty());
    }
};

K5_TEST_MAIN(TestFavourites)
#include "test_favourites.moc"
