// The history window on browser profiles that the tests write with sqlite3, in the tables the browsers
// keep: Firefox's places.sqlite and Chromium's "History".
#include "k5test.h"

#include "tools/publish/browserhistory.h"
#include "tools/publish/ie2url.h"

#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include "historytree.h"

using namespace publish;

namespace {

const char *const kFirefoxTables =
    "CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL, "
    "frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, "
    "recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, UNIQUE (prefix, host));\n"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, "
    "visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, "
    "frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, "
    "url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT, preview_image_url TEXT, site_name TEXT, "
    "origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, "
    "recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);\n"
    "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, "
    "visit_date INTEGER, visit_type INTEGER, session INTEGER, source INTEGER DEFAULT 0 NOT NULL, "
    "triggeringPlaceId INTEGER);\n"
    "CREATE INDEX moz_historyvisits_dateindex ON moz_historyvisits (visit_date);\n";

const char *const kChromiumTables =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);\n"
    "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR, "
    "visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, "
    "last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);\n"
    "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER NOT NULL, visit_time INTEGER NOT NULL, "
    "from_visit INTEGER, transition INTEGER DEFAULT 0 NOT NULL, segment_id INTEGER, "
    "visit_duration INTEGER DEFAULT 0 NOT NULL, incremented_omnibox_typed_score BOOLEAN DEFAULT FALSE NOT NULL, "
    "opener_visit INTEGER, originator_cache_guid TEXT, originator_visit_id INTEGER, "
    "originator_from_visit INTEGER, originator_opener_visit INTEGER, is_known_to_sync BOOLEAN DEFAULT FALSE NOT NULL);\n"
    "CREATE INDEX visits_time_index ON visits (visit_time);\n";

// A Wednesday afternoon, local time: the periods are counted back from it.
const QDateTime kNow(QDate(2026, 3, 11), QTime(15, 0));

QString quoted(const QString &s)
{
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

qint64 unixMicros(int daysAgo, int hour = 10)
{
    return QDateTime(kNow.date().addDays(-daysAgo), QTime(hour, 0)).toMSecsSinceEpoch() * 1000;
}

struct Page {
    QString url, title;
    int daysAgo;
};

// Runs sqlite3 on the file with the statements; false (with its error output) when it fails.
bool runSqlite(const QString &file, const QString &sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file});
    if (!p.waitForStarted()) {
        qWarning("sqlite3 does not start: is it installed (scripts/packages.txt)?");
        return false;
    }
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished();
    if (p.exitCode() != 0)
        qWarning("%s", p.readAllStandardError().constData());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString firefoxRows(const QList<Page> &pages, int firstId = 1)
{
    QString sql;
    int id = firstId;
    for (const Page &page : pages) {
        sql += QStringLiteral("INSERT INTO moz_places (id, url, title, visit_count, last_visit_date, guid) "
                              "VALUES (%1, %2, %3, 1, %4, 'g%1');\n")
                   .arg(id)
                   .arg(quoted(page.url), page.title.isNull() ? QStringLiteral("NULL") : quoted(page.title))
                   .arg(unixMicros(page.daysAgo));
        sql += QStringLiteral("INSERT INTO moz_historyvisits (place_id, visit_date, visit_type) VALUES (%1, %2, 1);\n")
                   .arg(id)
                   .arg(unixMicros(page.daysAgo));
        ++id;
    }
    return sql;
}

// A Firefox profile listed in profiles.ini, holding these visits.
QString writeFirefox(const QString &profileName, const QList<Page> &pages)
{
    const QString root = QDir::homePath() + QStringLiteral("/.mozilla/firefox");
    k5test::WriteFile(root + QStringLiteral("/profiles.ini"),
                      QStringLiteral("[Install4F96D1932A9F858E]\nDefault=%1\n\n[Profile0]\nName=default\n"
                                     "IsRelative=1\nPath=%1\nDefault=1\n\n[General]\nStartWithLastProfile=1\nVersion=2\n")
                          .arg(profileName)
                          .toUtf8());
    const QString file = root + QLatin1Char('/') + profileName + QStringLiteral("/places.sqlite");
    QDir().mkpath(QFileInfo(file).path());
    if (!runSqlite(file, QLatin1String(kFirefoxTables) + firefoxRows(pages)))
        return {};
    return file;
}

// A Chromium profile folder holding these visits.
QString writeChromium(const QString &profile, const QList<Page> &pages)
{
    const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/chromium/") + profile +
                         QStringLiteral("/History");
    QDir().mkpath(QFileInfo(file).path());
    QString sql = QLatin1String(kChromiumTables) + QStringLiteral("INSERT INTO meta VALUES ('version', '67');\n");
    int id = 1;
    for (const Page &page : pages) {
        // Chromium counts microseconds from 1601.
        const qint64 time = unixMicros(page.daysAgo, 11) + 11644473600LL * 1000000LL;
        sql += QStringLiteral("INSERT INTO urls (id, url, title, visit_count, last_visit_time) VALUES (%1, %2, %3, 1, %4);\n")
                   .arg(id)
                   .arg(quoted(page.url), quoted(page.title))
                   .arg(time);
        sql += QStringLiteral("INSERT INTO visits (url, visit_time, transition) VALUES (%1, %2, 805306368);\n").arg(id).arg(time);
        ++id;
    }
    if (!runSqlite(file, sql))
        return {};
    return file;
}

std::unique_ptr<TBrowserHistory> history()
{
    return std::make_unique<TBrowserHistory>(QList<THistoryFile>{}, kNow);
}

} // namespace

class TestBrowserHistory : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        k5test::ResetEnvironment();
        // Each test starts with no browser profile at all.
        QDir(QDir::homePath() + QStringLiteral("/.mozilla")).removeRecursively();
        for (const char *browser : {"chromium", "google-chrome"})
            QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QLatin1Char('/') + QLatin1String(browser)).removeRecursively();
    }
    void cleanup() { k5test::Settle(); }

    // Both browsers' visits in one tree of periods, sites and pages; a chosen page becomes the link.
    void bothBrowsersMakeOneTree()
    {
        QVERIFY(!writeFirefox(QStringLiteral("x1y2z3.default-release"),
                              {{QStringLiteral("https://www.example.org/"), QStringLiteral("Example home"), 0},
                               {QStringLiteral("https://www.example.org/news"), QStringLiteral("News\nof the day"), 0},
                               {QStringLiteral("http://Shop.Example.COM/cart"), QString(), 1},
                               {QStringLiteral("file:///home/me/page.htm"), QStringLiteral("My page"), 3},
                               {QStringLiteral("about:preferences"), QStringLiteral("Settings"), 0},
                               {QStringLiteral("https://old.example.net/"), QStringLiteral("Old"), 40}})
                     .isEmpty());
        QVERIFY(!writeChromium(QStringLiteral("Default"),
                               {{QStringLiteral("https://www.example.org/news"), QStringLiteral("News again"), 0},
                                {QStringLiteral("https://docs.example.net/a"), QStringLiteral("A"), 9},
                                {QStringLiteral("https://docs.example.net/b"), QStringLiteral("B"), 16},
                                {QStringLiteral("https://docs.example.net/c"), QStringLiteral("C"), 23},
                                {QStringLiteral("chrome://settings/"), QStringLiteral("Settings"), 0}})
                     .isEmpty());
        QCOMPARE(FindHistoryFiles().size(), 2);

        TIETOURL form(nullptr, history());
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.resize(900, 480);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        using namespace historytree;
        // Sunday was three days before that Wednesday.
        QCOMPARE(Texts(form), (QStringList{QStringLiteral("Today"), QStringLiteral("Yesterday"), QStringLiteral("Sunday"),
                                              QStringLiteral("Last Week"), QStringLiteral("2 Weeks Ago"),
                                              QStringLiteral("3 Weeks Ago")}));
        tree::TZozeZONode *today = Nodes(form).at(0);
        QCOMPARE(form.Tree3->Selected(), today);
        QCOMPARE(Hint(form, today), QStringLiteral("visited pages on Today"));
        QCOMPARE(Texts(form, today), QStringList{QStringLiteral("www.example.org")});
        tree::TZozeZONode *site = today->Item(0);
        QCOMPARE(Hint(form, site), QStringLiteral("www.example.org visited pages"));
        // One entry for a page both browsers visited; a title of two lines shows its first.
        QCOMPARE(site->Count(), 2);
        QCOMPARE(Texts(form, site).at(0), QStringLiteral("Example home"));
        QVERIFY2(Texts(form, site).at(1) == QStringLiteral("News") || Texts(form, site).at(1) == QStringLiteral("News again"),
                 qPrintable(Texts(form, site).at(1)));
        // A page without a title goes by its address, its host in small letters.
        tree::TZozeZONode *yesterday = Nodes(form).at(1);
        QCOMPARE(Texts(form, yesterday), QStringList{QStringLiteral("shop.example.com")});
        QCOMPARE(Texts(form, yesterday->Item(0)), QStringList{QStringLiteral("http://Shop.Example.COM/cart")});
        QCOMPARE(Texts(form, Nodes(form).at(2)), QStringList{QStringLiteral("Local files")});
        QCOMPARE(Texts(form, Nodes(form).at(3)->Item(0)), QStringList{QStringLiteral("A")});
        // Periods, sites and pages are all entries.
        QCOMPARE(form.CountLabel->text(), QStringLiteral("19 entries in history"));
        QVERIFY(!form.WhyLabel->isVisible());

        tree::TZozeZONode *page = site->Item(0);
        QCOMPARE(Hint(form, page), QStringLiteral("https://www.example.org/"));
        form.Tree3->SetSelected(page);
        QCOMPARE(form.Edit1->text(), QStringLiteral("Example home"));
        QCOMPARE(form.Edit2->text(), QStringLiteral("https://www.example.org/"));
        QTest::mouseClick(form.OkButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(inserted, QStringList{QStringLiteral("<A HREF=\"https://www.example.org/\">Example home</A>")});
        QVERIFY(!form.isVisible());
    }

    // A title too wide for the window is shortened with "..."; the link takes its whole first line.
    void longTitlesAreShortenedToFit()
    {
        const QString title = QStringLiteral("A title much longer than the narrow window can show in one row of its tree");
        QVERIFY(!writeChromium(QStringLiteral("Profile 1"), {{QStringLiteral("https://example.org/long"), title, 0}}).isEmpty());
        TIETOURL form(nullptr, history());
        form.resize(300, 400);
        form.show();
        tree::TZozeZONode *page = historytree::Nodes(form).at(0)->Item(0)->Item(0);
        const QString shown = page->Text();
        QVERIFY2(shown.endsWith(QStringLiteral("...")) && title.startsWith(shown.chopped(3)), qPrintable(shown));
        QVERIFY(2 * form.Tree3->Indent() + QFontMetrics(form.Tree3->font()).horizontalAdvance(shown) + 40 <= form.width());
        form.Tree3->SetSelected(page);
        QCOMPARE(form.Edit1->text(), title);
    }

    // A running browser holds its file locked, with its latest visits still in the write-ahead log: the
    // history is read from a copy, and the browser's files keep every byte.
    void lockedProfileIsReadFromACopy()
    {
        const QString file =
            writeFirefox(QStringLiteral("locked.default"), {{QStringLiteral("https://example.org/old"), QStringLiteral("Before"), 2}});
        QVERIFY(!file.isEmpty());
        const QString ready = QDir::homePath() + QStringLiteral("/ready");
        QProcess browser;
        browser.start(QStringLiteral("sqlite3"), {file});
        QVERIFY(browser.waitForStarted());
        browser.write(("PRAGMA journal_mode=WAL;\nPRAGMA locking_mode=EXCLUSIVE;\nPRAGMA wal_autocheckpoint=0;\n" +
                       firefoxRows({{QStringLiteral("https://example.org/new"), QStringLiteral("Latest"), 0}}, 50) +
                       QStringLiteral(".system touch '%1'\n").arg(ready))
                          .toUtf8());
        QTRY_VERIFY(QFileInfo::exists(ready));
        QVERIFY(QFileInfo(file + QStringLiteral("-wal")).size() > 0);
        {
            // Nobody else may read it while the browser runs.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("direct"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(!q.exec(QStringLiteral("SELECT count(*) FROM moz_places")));
            QVERIFY2(q.lastError().text().contains(QStringLiteral("locked")), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("direct"));
        const QByteArray db = k5test::ReadFile(file), wal = k5test::ReadFile(file + QStringLiteral("-wal"));

        TBrowserHistory source({}, kNow);
        const QList<THistoryPeriod> periods = source.Periods();
        QCOMPARE(source.Why(), QString());
        QCOMPARE(periods.size(), 2);
        QCOMPARE(periods[0].name, QStringLiteral("Today"));
        QCOMPARE(periods[0].sites.at(0).pages.at(0).title, QStringLiteral("Latest"));
        QCOMPARE(periods[1].name, QStringLiteral("Monday"));
        QCOMPARE(k5test::ReadFile(file), db);
        QCOMPARE(k5test::ReadFile(file + QStringLiteral("-wal")), wal);
        browser.closeWriteChannel();
        QVERIFY(browser.waitForFinished());
    }

    // No profile: an empty list and a line that says why; likewise with nothing recent, and a file that
    // is no database is named while the others are still listed.
    void emptyOrUnreadableHistorySaysWhy()
    {
        {
            TIETOURL form;
            QCOMPARE(form.windowTitle(), QStringLiteral("IE History -> URL "));
            form.show();
            QCOMPARE(form.CountLabel->text(), QStringLiteral("0 entries in history"));
            QVERIFY(historytree::Nodes(form).isEmpty());
            QVERIFY(form.WhyLabel->isVisible());
            QCOMPARE(form.WhyLabel->text(), QStringLiteral("No Firefox, Chromium or Chrome profile was found in your home "
                                                           "folder, so there is no history to list."));
        }
        QVERIFY(!writeFirefox(QStringLiteral("p.default"), {{QStringLiteral("https://example.org/"), QStringLiteral("Old"), 30}})
                     .isEmpty());
        {
            TIETOURL form(nullptr, history());
            form.show();
            QCOMPARE(form.CountLabel->text(), QStringLiteral("0 entries in history"));
            QCOMPARE(form.WhyLabel->text(), QStringLiteral("No page was visited in the last four weeks."));
        }
        const QString broken = k5test::WriteFile(
            qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/google-chrome/Default/History"), "not a database");
        QVERIFY(!writeChromium(QStringLiteral("Profile 2"), {{QStringLiteral("https://example.org/x"), QStringLiteral("X"), 0}})
                     .isEmpty());
        {
            TIETOURL form(nullptr, history());
            form.show();
            QCOMPARE(form.CountLabel->text(), QStringLiteral("3 entries in history"));
            QVERIFY(form.WhyLabel->isVisible());
            QVERIFY2(form.WhyLabel->text().startsWith(QStringLiteral("The history in %1 could not be read: ").arg(broken)),
                     qPrintable(form.WhyLabel->text()));
            QCOMPARE(k5test::ReadFile(broken), QByteArray("not a database"));
        }
    }
};

K5_TEST_MAIN(TestBrowserHistory)
#include "test_browserhistory.moc"
