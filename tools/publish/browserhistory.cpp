#include "browserhistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <atomic>

namespace publish {

namespace {

constexpr int kDays = 28; // four weeks of history

QString home()
{
    return QDir::homePath();
}

QString configHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    return xdg.isEmpty() ? home() + QStringLiteral("/.config") : xdg;
}

// Profile folders that profiles.ini lists, relative ones against the folder it lies in.
QStringList listedProfiles(const QString &root)
{
    QFile ini(root + QStringLiteral("/profiles.ini"));
    if (!ini.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList out;
    bool inProfile = false;
    QString path;
    bool relative = true;
    auto flush = [&] {
        if (inProfile && !path.isEmpty())
            out << (relative ? root + QLatin1Char('/') + path : path);
        path.clear();
        relative = true;
    };
    QTextStream in(&ini);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            flush();
            inProfile = line.startsWith(QLatin1String("[Profile"), Qt::CaseInsensitive);
        } else if (line.startsWith(QLatin1String("Path="), Qt::CaseInsensitive)) {
            path = line.mid(5);
        } else if (line.startsWith(QLatin1String("IsRelative="), Qt::CaseInsensitive)) {
            relative = line.mid(11) != QLatin1String("0");
        }
    }
    flush();
    return out;
}

// The sub-folders of root that hold a file of that name.
QStringList foldersHolding(const QString &root, const QString &file)
{
    QStringList out;
    for (const QFileInfo &sub : QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        if (QFileInfo(sub.filePath() + QLatin1Char('/') + file).isFile())
            out << sub.filePath();
    return out;
}

// Each visit as read from a file, its time in milliseconds since 1970 (UTC).
struct Visit {
    QString url, title;
    qint64 msecs;
};

// Microseconds from 1601-01-01 (where Chromium counts from) to 1970-01-01.
constexpr qint64 kChromiumEpochOffsetUs = 11644473600LL * 1000000LL;

std::atomic<int> connectionCount{0};

// Copies the database (and its journal or write-ahead log, which may hold the latest visits) into a
// folder of ours and reads the visits since `sinceMs` from the copy.
bool readVisits(const THistoryFile &file, qint64 sinceMs, QList<Visit> *out, QString *error)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        *error = QStringLiteral("no temporary folder could be made");
        return false;
    }
    const QString copy = dir.filePath(QStringLiteral("history.sqlite"));
    if (!QFile::copy(file.path, copy)) {
        *error = QStringLiteral("the file cannot be copied");
        return false;
    }
    for (const char *side : {"-wal", "-journal"}) {
        const QString from = file.path + QLatin1String(side);
        if (QFileInfo(from).isFile() && !QFile::copy(from, copy + QLatin1String(side))) {
            *error = QStringLiteral("its %1 file cannot be copied").arg(QLatin1String(side + 1));
            return false;
        }
    }
    const QString name = QStringLiteral("k5-history-%1").arg(++connectionCount);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(copy);
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (file.kind == THistoryFile::Firefox)
                query.prepare(QStringLiteral("SELECT p.url, p.title, v.visit_date FROM moz_historyvisits v "
                                             "JOIN moz_places p ON p.id = v.place_id WHERE v.visit_date >= ?"));
            else
                query.prepare(QStringLiteral("SELECT u.url, u.title, v.visit_time FROM visits v "
                                             "JOIN urls u ON u.id = v.url WHERE v.visit_time >= ?"));
            const qint64 sinceUs = sinceMs * 1000 + (file.kind == THistoryFile::Chromium ? kChromiumEpochOffsetUs : 0);
            query.addBindValue(sinceUs);
            if (!query.exec()) {
                *error = query.lastError().text();
            } else {
                while (query.next()) {
                    qint64 us = query.value(2).toLongLong();
                    if (file.kind == THistoryFile::Chromium)
                        us -= kChromiumEpochOffsetUs;
                    out->append({query.value(0).toString(), query.value(1).toString(), us / 1000});
                }
                ok = !query.lastError().isValid();
                if (!ok)
                    *error = query.lastError().text();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// The site a page is listed under; empty for addresses that are no pages (about:, data:, extensions).
QString siteOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return QStringLiteral("Local files");
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"))
        return url.host().toLower();
    return {};
}

QString periodName(int daysAgo, const QDate &day)
{
    if (daysAgo <= 0)
        return QStringLiteral("Today");
    if (daysAgo == 1)
        return QStringLiteral("Yesterday");
    if (daysAgo < 7)
        return QLocale::c().dayName(day.dayOfWeek());
    if (daysAgo < 14)
        return QStringLiteral("Last Week");
    return QStringLiteral("%1 Weeks Ago").arg(daysAgo / 7);
}

bool before(const QString &a, const QString &b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

} // namespace

QList<THistoryFile> FindHistoryFiles()
{
    QList<THistoryFile> out;
    QSet<QString> seen;
    auto add = [&](THistoryFile::Kind kind, const QString &path) {
        const QString real = QFileInfo(path).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real))
            return;
        seen.insert(real);
        out.append({kind, path});
    };
    const QString h = home();
    for (const QString &root : {h + QStringLiteral("/.mozilla/firefox"), h + QStringLiteral("/snap/firefox/common/.mozilla/firefox"),
                                h + QStringLiteral("/.var/app/org.mozilla.firefox/.mozilla/firefox")}) {
        QStringList profiles = listedProfiles(root) + foldersHolding(root, QStringLiteral("places.sqlite"));
        for (const QString &profile : profiles)
            if (QFileInfo(profile + QStringLiteral("/places.sqlite")).isFile())
                add(THistoryFile::Firefox, profile + QStringLiteral("/places.sqlite"));
    }
    const QString c = configHome();
    for (const QString &root : {c + QStringLiteral("/chromium"), c + QStringLiteral("/google-chrome"),
                                c + QStringLiteral("/google-chrome-beta"), c + QStringLiteral("/google-chrome-unstable"),
                                h + QStringLiteral("/snap/chromium/common/chromium"),
                                h + QStringLiteral("/.var/app/org.chromium.Chromium/config/chromium")})
        for (const QString &profile : foldersHolding(root, QStringLiteral("History")))
            add(THistoryFile::Chromium, profile + QStringLiteral("/History"));
    return out;
}

TBrowserHistory::TBrowserHistory(QList<THistoryFile> files, QDateTime now)
    : files_(std::move(files)), now_(std::move(now))
{
}

QList<THistoryPeriod> TBrowserHistory::Periods() const
{
    why_.clear();
    const QList<THistoryFile> files = files_.isEmpty() ? FindHistoryFiles() : files_;
    if (files.isEmpty()) {
        why_ = QStringLiteral("No Firefox, Chromium or Chrome profile was found in your home folder, so there is "
                              "no history to list.");
        return {};
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        why_ = QStringLiteral("The browsers' history cannot be read: Qt's SQLite driver is not installed.");
        return {};
    }
    const QDateTime now = now_.isValid() ? now_ : QDateTime::currentDateTime();
    const QDate today = now.toLocalTime().date();
    const qint64 since = today.addDays(-(kDays - 1)).startOfDay().toMSecsSinceEpoch();

    QStringList problems;
    QList<Visit> visits;
    for (const THistoryFile &file : files) {
        QString error;
        if (!readVisits(file, since, &visits, &error))
            problems << QStringLiteral("The history in %1 could not be read: %2.")
                            .arg(QDir::toNativeSeparators(file.path), error.trimmed());
    }

    // Period (days ago) -> site -> address -> title; the first title met for an address stays.
    QMap<int, QHash<QString, QHash<QString, QString>>> tree;
    QHash<int, QDate> dayOf;
    for (const Visit &v : std::as_const(visits)) {
        const QUrl url(v.url);
        const QString site = siteOf(url);
        if (site.isEmpty())
            continue;
        const QDate day = QDateTime::fromMSecsSinceEpoch(v.msecs).toLocalTime().date();
        const int daysAgo = std::max<qint64>(0, day.daysTo(today));
        // Two weeks and three weeks ago each gather their seven days.
        const int period = daysAgo < 7 ? daysAgo : daysAgo / 7 * 7;
        dayOf.insert(period, day);
        QString &title = tree[period][site][v.url];
        if (title.isEmpty())
            title = v.title.trimmed().isEmpty() ? v.url : v.title;
    }

    QList<THistoryPeriod> out;
    for (auto p = tree.cbegin(); p != tree.cend(); ++p) {
        THistoryPeriod period;
        period.name = periodName(p.key(), dayOf.value(p.key()));
        QStringList sites = p.value().keys();
        std::sort(sites.begin(), sites.end(), before);
        for (const QString &name : std::as_const(sites)) {
            THistorySite site;
            site.name = name;
            const QHash<QString, QString> &pages = p.value()[name];
            for (auto page = pages.cbegin(); page != pages.cend(); ++page)
                site.pages.append({page.value(), page.key()});
            std::sort(site.pages.begin(), site.pages.end(), [](const THistoryPage &a, const THistoryPage &b) {
                return a.title != b.title ? before(a.title, b.title) : a.url < b.url;
            });
            period.sites.append(site);
        }
        out.append(period);
    }
    if (out.isEmpty() && problems.isEmpty())
        why_ = QStringLiteral("No page was visited in the last four weeks.");
    else
        why_ = problems.join(QLatin1Char('\n'));
    return out;
}

} // namespace publish
