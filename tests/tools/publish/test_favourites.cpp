#include "k5test.h"

#include "tools/publish/ie2url.h"

#include "historytree.h"

#include "controls/zel/folderbrowser.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTextBlock>
#include <QToolButton>
#include <QTextDocument>

using namespace publish;
using namespace historytree;

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
    QStringLiteral("<a href=\"http://example.org/?a=1&amp;b=2,3;x%20y\"><B>Home Page</B></a><BR>"),
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

// What a browser makes of inserted HTML: each link's address and text.
QStringList Links(const QString &html)
{
    QTextDocument doc;
    doc.setHtml(html);
    QStringList out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                out << it.fragment().charFormat().anchorHref() + QStringLiteral(" -> ") + it.fragment().text();
    return out;
}

const QString kOddTitle = QStringLiteral("A <b>bold</b> & title");
const QString kOddUrl = QStringLiteral("http://example.org/?q=\"x\" onclick=\"y\"&z=<1>");

class OddHistory : public THistorySource {
public:
    QList<THistoryPeriod> Periods() const override
    {
        return {{QStringLiteral("Today"), {{QStringLiteral("example.org"), {{kOddTitle, kOddUrl}}}}}};
    }
};

// Twenty periods of three sites of three pages: more rows than the window's panel shows.
class LongHistory : public THistorySource {
public:
    QList<THistoryPeriod> Periods() const override
    {
        QList<THistoryPeriod> out;
        for (int p = 0; p < 20; ++p) {
            THistoryPeriod period{QStringLiteral("Period %1").arg(p), {}};
            for (int s = 0; s < 3; ++s) {
                THistorySite site{QStringLiteral("site%1.example").arg(s), {}};
                for (int g = 0; g < 3; ++g)
                    site.pages.append({QStringLiteral("Page %1").arg(g), QStringLiteral("http://site%1.example/%2").arg(s).arg(g)});
                period.sites.append(site);
            }
            out.append(period);
        }
        return out;
    }
};

// Where a node's row lies in the panel that holds the tree.
QRect RowInPanel(TIETOURL &form, tree::TZozeZONode *node)
{
    return form.Tree3->NodeRect(node, false).translated(form.Tree3->viewport()->mapTo(form.TreePanel, QPoint(0, 0)));
}

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

    // Names and addresses from the browser are text: a quote cannot end the address, a tag is not made.
    void oddTitlesAndAddressesAreEscaped()
    {
        const QString root = k5test::Root() + QStringLiteral("/OddFavorites/");
        QDir(root).removeRecursively();
        k5test::WriteFile(root + QStringLiteral("<i>Tom<i> & \"Jerry\".url"), Shortcut(kOddUrl).toUtf8());
        k5test::WriteFile(root + QStringLiteral("R&D <sub>/Plain.url"), Shortcut(QStringLiteral("http://plain/")).toUtf8());
        Tfavorit favourites;
        QStringList inserted;
        favourites.OnInsertText = [&](const QString &text) { inserted << text; };
        favourites.show();
        favourites.Edit1->setText(root);
        QTest::mouseClick(favourites.OkButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(Links(inserted[0]), (QStringList{QStringLiteral("http://plain/ -> Plain"),
                                                  kOddUrl + QStringLiteral(" -> <i>Tom<i> & \"Jerry\"")}));
        QVERIFY(inserted[0].contains(QStringLiteral("<P><B>R&amp;D &lt;sub&gt;</B><P>")));
        QVERIFY(!inserted[0].contains(QStringLiteral("<i>")));

        TIETOURL history(nullptr, std::make_unique<OddHistory>());
        history.OnInsertText = [&](const QString &text) { inserted << text; };
        history.show();
        history.Tree3->SetSelected(Nodes(history).at(0)->Item(0)->Item(0));
        QCOMPARE(history.Edit1->text(), kOddTitle);
        QTest::mouseClick(history.OkButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted[1], QStringLiteral("<A HREF=\"http://example.org/?q=&quot;x&quot; onclick=&quot;y&quot;&amp;z=&lt;1&gt;\">"
                                             "A &lt;b&gt;bold&lt;/b&gt; &amp; title</A>"));
        QCOMPARE(Links(inserted[1]), QStringList{kOddUrl + QStringLiteral(" -> ") + kOddTitle});
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
        QVERIFY(Nodes(form).isEmpty());
    }

    void historyPageBecomesALink()
    {
        TIETOURL form(nullptr, std::make_unique<History>());
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        QCOMPARE(form.CountLabel->text(), QStringLiteral("6 entries in history"));
        tree::TZozeZONode *monday = Nodes(form).at(0);
        QCOMPARE(form.Tree3->Selected(), monday);
        QVERIFY(!monday->Expanded());
        QCOMPARE(Hint(form, monday), QStringLiteral("visited pages on Monday"));
        tree::TZozeZONode *site = monday->Item(0);
        QCOMPARE(Hint(form, site), QStringLiteral("example.org visited pages"));
        tree::TZozeZONode *two = site->Item(1);
        QCOMPARE(two->Text(), QStringLiteral("Two lines"));
        QCOMPARE(Hint(form, two), QStringLiteral("http://example.org/two"));

        form.Tree3->SetSelected(two);
        QCOMPARE(form.Edit1->text(), QStringLiteral("Two lines"));
        QCOMPARE(form.Edit2->text(), QStringLiteral("http://example.org/two"));
        // Choosing a site leaves the fields alone.
        form.Tree3->SetSelected(site);
        QCOMPARE(form.Edit2->text(), QStringLiteral("http://example.org/two"));
        form.Edit1->setText(QStringLiteral("Our page"));
        QTest::mouseClick(form.OkButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(inserted, QStringList{QStringLiteral("<A HREF=\"http://example.org/two\">Our page</A>")});
        QVERIFY(!form.isVisible());
    }

    // The history is our tree, with an icon for each kind of node, in a panel that the up and down buttons
    // scroll by a row (held, they repeat); a chosen node comes into view; periods are painted as buttons.
    void historyTreeScrollsInItsPanel()
    {
        TIETOURL form(nullptr, std::make_unique<LongHistory>());
        form.resize(420, 380);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        tree::TZozeZO *tree = form.Tree3;
        QCOMPARE(tree->parentWidget(), form.TreePanel);
        QCOMPARE(tree->Indent(), 19);
        for (tree::TTreeOption o : {tree::toReadOnly, tree::toToolTips, tree::toHotTrack, tree::toSingleExpand, tree::toFullRowSelect})
            QVERIFY(tree->Options().testFlag(o));
        const QList<tree::TZozeZONode *> periods = Nodes(form);
        QCOMPARE(periods.size(), 20);
        tree::TZozeZONode *site = periods[0]->Item(0), *page = site->Item(0);
        QSet<int> icons{periods[0]->ImageIndex(), site->ImageIndex(), page->ImageIndex()};
        QCOMPARE(icons.size(), 3);
        for (int i : icons)
            QVERIFY(tree->Images() && tree->Images()->Valid(i) && !tree->Images()->Image(i).isNull());
        QVERIFY(periods[0]->SelectedIndex() != periods[0]->ImageIndex()); // a chosen period shows open

        // Collapsed, the tree is as tall as its twenty rows: more than the panel shows.
        const int row = tree->ItemHeight();
        QVERIFY(row > 0);
        QVERIFY(tree->height() >= 20 * row);
        QVERIFY(tree->height() > form.TreePanel->height());
        QCOMPARE(tree->y(), 0);
        QVERIFY(!form.UpButton->isEnabled() && form.DownButton->isEnabled());
        QVERIFY(form.UpButton->autoRepeat() && form.DownButton->autoRepeat());
        QCOMPARE(form.DownButton->autoRepeatDelay(), 300);
        QCOMPARE(form.DownButton->autoRepeatInterval(), 50);
        QTest::mouseClick(form.DownButton, Qt::LeftButton);
        QCOMPARE(tree->y(), -row);
        QVERIFY(form.UpButton->isEnabled());
        for (int i = 0; i < 40 && form.DownButton->isEnabled(); ++i)
            QTest::mouseClick(form.DownButton, Qt::LeftButton);
        QVERIFY(!form.DownButton->isEnabled());
        QCOMPARE(tree->geometry().bottom(), form.TreePanel->height() - 1);
        QTest::mouseClick(form.UpButton, Qt::LeftButton);
        QVERIFY(form.DownButton->isEnabled());

        // A node chosen out of sight comes into the panel.
        for (int i = 0; i < 40 && form.UpButton->isEnabled(); ++i)
            QTest::mouseClick(form.UpButton, Qt::LeftButton);
        QCOMPARE(tree->y(), 0);
        const int collapsed = tree->height();
        tree->SetSelected(periods[19]);
        QRect shown = RowInPanel(form, periods[19]);
        QVERIFY2(shown.top() >= 0 && shown.bottom() < form.TreePanel->height(), qPrintable(QString::number(shown.top())));
        // Chosen, a period opens (one at a time) and makes the tree taller by its sites.
        QVERIFY(periods[19]->Expanded());
        QCOMPARE(tree->height(), collapsed + 3 * row);

        // Periods are buttons, the chosen one in the highlight colour; pages are plain.
        tree->SetSelected(periods[18]);
        const QImage image = form.TreePanel->grab().toImage();
        auto colourAt = [&](tree::TZozeZONode *node) {
            const QRect r = RowInPanel(form, node);
            return QColor(image.pixel(r.right() - 4, r.center().y()));
        };
        const QPalette pal = tree->palette();
        QVERIFY(form.TreePanel->rect().contains(RowInPanel(form, periods[18]->Item(0))));
        // (the style's own row shading may differ from the colour by a shade)
        auto near = [](const QColor &a, const QColor &b) {
            return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3 && qAbs(a.blue() - b.blue()) <= 3;
        };
        QCOMPARE(colourAt(periods[17]), pal.color(QPalette::Button));
        QVERIFY2(near(colourAt(periods[18]), pal.color(QPalette::Highlight)), qPrintable(colourAt(periods[18]).name()));
        QCOMPARE(colourAt(periods[18]->Item(0)), pal.color(QPalette::Base));
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
