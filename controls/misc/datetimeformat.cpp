#include "datetimeformat.h"

#include <QLocale>
#include <QRegularExpression>

namespace misc {
namespace {

// Qt's long time pattern carries the time zone ("t"); our long time is hours, minutes and seconds only.
QString longTimePattern(const QLocale &locale)
{
    QString p = locale.timeFormat(QLocale::LongFormat);
    p.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
    return p.trimmed();
}

// The short time is the long time without its seconds.
QString shortTimePattern(const QLocale &locale)
{
    QString p = longTimePattern(locale);
    p.remove(QRegularExpression(QStringLiteral("[^A-Za-z\\s]?s+")));
    return p.trimmed();
}

QChar separatorIn(const QString &pattern, const QString &candidates, QChar fallback)
{
    for (const QChar ch : pattern)
        if (candidates.contains(ch))
            return ch;
    return fallback;
}

bool startsWithNoCase(const QString &s, int at, const QString &what)
{
    return s.mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

int runLength(const QString &s, int at)
{
    const QChar c = s.at(at).toLower();
    int n = 0;
    while (at + n < s.size() && s.at(at + n).toLower() == c)
        ++n;
    return n;
}

class Formatter {
public:
    Formatter(const QDateTime &value) : date_(value.date()), time_(value.time()) {}

    QString Run(const QString &f, int depth)
    {
        QString out;
        bool afterHour = false; // an "m" right after an hour (letters only count) means minutes
        int i = 0;
        while (i < f.size()) {
            const QChar ch = f.at(i);
            const QChar lc = ch.toLower();
            if (ch.isLetter()) {
                const bool wasHour = afterHour;
                afterHour = lc == QLatin1Char('h');
                if (lc == QLatin1Char('m') && wasHour) {
                    const int k = qMin(runLength(f, i), 2);
                    out += k == 1 ? QString::number(time_.minute()) : twoDigits(time_.minute());
                    i += runLength(f, i);
                    continue;
                }
            }
            if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
                const int end = f.indexOf(ch, i + 1);
                const int stop = end < 0 ? f.size() : end;
                out += f.mid(i + 1, stop - i - 1);
                i = end < 0 ? f.size() : end + 1;
                continue;
            }
            if (startsWithNoCase(f, i, QStringLiteral("am/pm"))) {
                out += ampm(QStringLiteral("am"), QStringLiteral("pm"), f.mid(i, 5));
                i += 5;
                continue;
            }
            if (startsWithNoCase(f, i, QStringLiteral("a/p"))) {
                out += ampm(QStringLiteral("a"), QStringLiteral("p"), f.mid(i, 3));
                i += 3;
                continue;
            }
            if (startsWithNoCase(f, i, QStringLiteral("ampm"))) {
                out += time_.hour() < 12 ? locale_.amText() : locale_.pmText();
                i += 4;
                continue;
            }
            const int n = runLength(f, i);
            if (lc == QLatin1Char('c') && depth == 0) {
                out += Run(QStringLiteral("ddddd"), 1);
                if (time_ != QTime(0, 0))
                    out += QLatin1Char(' ') + Run(QStringLiteral("tt"), 1);
                i += 1;
            } else if (lc == QLatin1Char('d')) {
                const int k = qMin(n, 6);
                switch (k) {
                case 1: out += QString::number(date_.day()); break;
                case 2: out += twoDigits(date_.day()); break;
                case 3: out += locale_.dayName(date_.dayOfWeek(), QLocale::ShortFormat); break;
                case 4: out += locale_.dayName(date_.dayOfWeek(), QLocale::LongFormat); break;
                case 5: out += locale_.toString(date_, QLocale::ShortFormat); break;
                default: out += locale_.toString(date_, QLocale::LongFormat); break;
                }
                i += k;
            } else if (lc == QLatin1Char('m')) {
                const int k = qMin(n, 4);
                if (k == 1)
                    out += QString::number(date_.month());
                else if (k == 2)
                    out += twoDigits(date_.month());
                else
                    out += locale_.monthName(date_.month(), k == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
                i += k;
            } else if (lc == QLatin1Char('y')) {
                out += n <= 2 ? twoDigits(date_.year() % 100) : QString::number(date_.year()).rightJustified(4, QLatin1Char('0'));
                i += n;
            } else if (lc == QLatin1Char('h')) {
                const int k = qMin(n, 2);
                int h = time_.hour();
                if (twelveHourAhead(f, i + k)) {
                    h %= 12;
                    if (h == 0)
                        h = 12;
                }
                out += k == 1 ? QString::number(h) : twoDigits(h);
                i += k;
            } else if (lc == QLatin1Char('n')) {
                const int k = qMin(n, 2);
                out += k == 1 ? QString::number(time_.minute()) : twoDigits(time_.minute());
                i += k;
            } else if (lc == QLatin1Char('s')) {
                const int k = qMin(n, 2);
                out += k == 1 ? QString::number(time_.second()) : twoDigits(time_.second());
                i += k;
            } else if (lc == QLatin1Char('z')) {
                const int k = n >= 3 ? 3 : 1;
                out += k == 1 ? QString::number(time_.msec()) : QString::number(time_.msec()).rightJustified(3, QLatin1Char('0'));
                i += k;
            } else if (lc == QLatin1Char('t')) {
                const int k = qMin(n, 2);
                out += locale_.toString(time_, k == 1 ? shortTimePattern(locale_) : longTimePattern(locale_));
                i += k;
            } else if (ch == QLatin1Char('/')) {
                out += separatorIn(locale_.dateFormat(QLocale::ShortFormat), QStringLiteral("/.-"), QLatin1Char('/'));
                i += 1;
            } else if (ch == QLatin1Char(':')) {
                out += separatorIn(longTimePattern(locale_), QStringLiteral(":."), QLatin1Char(':'));
                i += 1;
            } else {
                out += ch;
                i += 1;
            }
        }
        return out;
    }

private:
    static QString twoDigits(int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); }

    // Upper-case markers give upper-case markers ("AM/PM" -> "PM", "am/pm" -> "pm").
    QString ampm(const QString &am, const QString &pm, const QString &marker) const
    {
        const bool morning = time_.hour() < 12;
        const QChar first = morning ? marker.at(0) : marker.at(marker.indexOf(QLatin1Char('/')) + 1);
        const QString text = morning ? am : pm;
        return first.isUpper() ? text.toUpper() : text;
    }

    // An hour is on the 12-hour clock when an am/pm marker follows anywhere after it.
    static bool twelveHourAhead(const QString &f, int from)
    {
        bool quoted = false;
        QChar quote;
        for (int i = from; i < f.size(); ++i) {
            const QChar ch = f.at(i);
            if (quoted) {
                if (ch == quote)
                    quoted = false;
                continue;
            }
            if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
                quoted = true;
                quote = ch;
                continue;
            }
            if (startsWithNoCase(f, i, QStringLiteral("am/pm")) || startsWithNoCase(f, i, QStringLiteral("a/p")) ||
                startsWithNoCase(f, i, QStringLiteral("ampm")))
                return true;
        }
        return false;
    }

    QDate date_;
    QTime time_;
    QLocale locale_;
};

} // namespace

QString FormatDateTime(const QString &format, const QDateTime &value)
{
    Formatter f(value);
    return f.Run(format.isEmpty() ? QStringLiteral("c") : format, 0);
}

} // namespace misc
