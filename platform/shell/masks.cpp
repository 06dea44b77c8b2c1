#include "masks.h"

#include <QCollator>
#include <QLocale>


namespace platform {

QStringList SplitMasks(const QString &masks)
{
    QStringList out;
    for (const QString &part : masks.split(QLatin1Char(';'))) {
        const QString m = part.trimmed();
        if (!m.isEmpty())
            out << m;
    }
    return out;
}

static bool isEveryFile(const QString &mask)
{
    return mask == QLatin1String("*.*") || mask == QLatin1String("*");
}

// '*' and '?' only: brackets and the like are ordinary characters, as file names may hold them.
static bool globMatch(const QString &name, const QString &mask)
{
    qsizetype n = 0, m = 0, starM = -1, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == QLatin1Char('?') || mask[m].toCaseFolded() == name[n].toCaseFolded())) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == QLatin1Char('*')) {
            starM = m++;
            starN = n;
        } else if (starM >= 0) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == QLatin1Char('*'))
        ++m;
    return m == mask.size();
}

bool MatchesMask(const QString &name, const QString &mask)
{
    if (mask.isEmpty() || name.isEmpty())
        return false;
    if (isEveryFile(mask))
        return true;
    // A mask ending in ".*" also takes names without any extension: "readme.*" finds a bare "readme".
    if (mask.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')))
        return globMatch(name, mask.left(mask.size() - 2));
    return globMatch(name, mask);
}

bool MatchesAnyMask(const QString &name, const QStringList &masks)
{
    for (const QString &m : masks)
        if (MatchesMask(name, m))
            return true;
    return false;
}

bool HasWildcards(const QString &name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

QStringList FilterToNameFilters(const QString &filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &m : SplitMasks(parts[i + 1]))
            patterns << (isEveryFile(m) ? QStringLiteral("*") : m);
        if (patterns.isEmpty())
            continue;
        out << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(QLatin1Char(' ')));
    }
    return out;
}

bool NameLess(const QString &a, const QString &b)
{
    // Letters with accents sort beside their base letter, where a reader looks for them.
    static thread_local QCollator collator = [] {
        QCollator c{QLocale(QLocale::English, QLocale::UnitedStates)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int c = collator.compare(a, b);
    if (c != 0)
        return c < 0;
    const int d = QString::compare(a, b, Qt::CaseInsensitive);
    return d != 0 ? d < 0 : a < b;
}

} // namespace platform
