#include "ftplisting.h"


namespace platform {
namespace {

QList<QByteArray> lines(const QByteArray &body)
{
    QList<QByteArray> out = body.split('\n');
    for (QByteArray &l : out)
        if (l.endsWith('\r'))
            l.chop(1);
    return out;
}

bool allDigits(const QByteArray &s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Sizes larger than a signed 64-bit number count as unknown rather than wrapping.
qint64 toSize(const QByteArray &s)
{
    bool ok = false;
    const qint64 v = s.toLongLong(&ok);
    return ok && v >= 0 ? v : 0;
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    const QDate date(y, mo, d);
    const QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

// "20240131120000" or "20240131120000.123"
QDateTime mlsdTime(const QByteArray &v)
{
    const QByteArray digits = v.left(14);
    if (digits.size() != 14 || !allDigits(digits))
        return QDateTime();
    auto num = [&](int from, int len) { return digits.mid(from, len).toInt(); };
    return utc(num(0, 4), num(4, 2), num(6, 2), num(8, 2), num(10, 2), num(12, 2));
}

// Tokens of a line with the offset where each ends.
struct Token {
    QByteArray text;
    int end;
};

QList<Token> tokens(const QByteArray &line, int max)
{
    QList<Token> out;
    int i = 0;
    while (i < line.size() && out.size() < max) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const int start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            out.append({line.mid(start, i - start), i});
    }
    return out;
}

int month(const QByteArray &t)
{
    static const char *names[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    const QByteArray lower = t.toLower();
    for (int i = 0; i < 12; ++i)
        if (lower == names[i])
            return i + 1;
    return 0;
}

bool parseUnix(const QByteArray &line, const QDateTime &now, FtpFindData *out)
{
    static const QByteArray kinds("-dlbcps");
    if (line.size() < 10 || !kinds.contains(line[0]))
        return false;
    const QList<Token> t = tokens(line, 9);
    // The month follows the size; owner or group may be missing.
    for (int m = 3; m + 2 < t.size(); ++m) {
        const int mon = month(t[m].text);
        if (!mon || !allDigits(t[m - 1].text) || !allDigits(t[m + 1].text) || t[m + 1].text.size() > 2)
            continue;
        const QByteArray &when = t[m + 2].text;
        const int day = t[m + 1].text.toInt();
        QDateTime date;
        if (when.size() == 4 && allDigits(when)) {
            date = utc(when.toInt(), mon, day, 0, 0, 0);
        } else if (when.size() == 5 && when[2] == ':' && allDigits(when.left(2)) && allDigits(when.mid(3))) {
            const int h = when.left(2).toInt(), mi = when.mid(3).toInt();
            date = utc(now.date().year(), mon, day, h, mi, 0);
            // A date without a year lies within the last half year: one "in the future" is last year's.
            if (date.isValid() && date > now.addDays(1))
                date = utc(now.date().year() - 1, mon, day, h, mi, 0);
        } else {
            continue;
        }
        const int nameStart = t[m + 2].end + 1;
        if (nameStart > line.size())
            return false;
        QByteArray name = line.mid(nameStart);
        if (line[0] == 'l') {
            const int arrow = name.indexOf(" -> ");
            if (arrow >= 0)
                name.truncate(arrow);
        }
        if (name.isEmpty())
            return false;
        out->name = name;
        out->attributes = line[0] == 'd' ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        out->size = out->IsDirectory() ? 0 : toSize(t[m - 1].text);
        out->lastWrite = date;
        return true;
    }
    return false;
}

// "01-31-20  02:15PM       <DIR>          name" or "...     1234 name"
bool parseDos(const QByteArray &line, FtpFindData *out)
{
    const QList<Token> t = tokens(line, 3);
    if (t.size() < 3)
        return false;
    const QList<QByteArray> d = t[0].text.split('-');
    if (d.size() != 3 || !allDigits(d[0]) || !allDigits(d[1]) || !allDigits(d[2]))
        return false;
    QByteArray time = t[1].text.toUpper();
    int hourShift = -1; // -1: 24-hour clock
    if (time.endsWith("AM") || time.endsWith("PM")) {
        hourShift = time.endsWith("PM") ? 12 : 0;
        time.chop(2);
    }
    const QList<QByteArray> hm = time.split(':');
    if (hm.size() != 2 || !allDigits(hm[0]) || !allDigits(hm[1]))
        return false;
    int year = d[2].toInt();
    if (d[2].size() <= 2)
        year += year < 70 ? 2000 : 1900;
    int hour = hm[0].toInt();
    if (hourShift >= 0)
        hour = hour % 12 + hourShift;
    const QByteArray &kind = t[2].text;
    const bool dir = kind.toUpper() == "<DIR>";
    if (!dir && !allDigits(kind))
        return false;
    int i = t[2].end;
    while (i < line.size() && line[i] == ' ')
        ++i;
    if (i >= line.size())
        return false;
    out->name = line.mid(i);
    out->attributes = dir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    out->size = dir ? 0 : toSize(kind);
    out->lastWrite = utc(year, d[0].toInt(), d[1].toInt(), hour, hm[1].toInt(), 0);
    return true;
}

bool isDotEntry(const QByteArray &name)
{
    return name == "." || name == "..";
}

} // namespace

QList<FtpFindData> ParseMlsdListing(const QByteArray &body)
{
    QList<FtpFindData> out;
    for (const QByteArray &line : lines(body)) {
        const int space = line.indexOf(' ');
        if (space < 0 || space + 1 >= line.size())
            continue;
        FtpFindData e;
        e.name = line.mid(space + 1);
        QByteArray type;
        for (const QByteArray &fact : line.left(space).split(';')) {
            const int eq = fact.indexOf('=');
            if (eq <= 0)
                continue;
            const QByteArray key = fact.left(eq).toLower();
            const QByteArray value = fact.mid(eq + 1);
            if (key == "type")
                type = value.toLower();
            else if (key == "size" || key == "sizd")
                e.size = toSize(value);
            else if (key == "modify")
                e.lastWrite = mlsdTime(value);
        }
        if (type == "cdir" || type == "pdir" || isDotEntry(e.name))
            continue;
        if (type == "dir") {
            e.attributes = FILE_ATTRIBUTE_DIRECTORY;
            e.size = 0;
        }
        out.append(e);
    }
    return out;
}

QList<FtpFindData> ParseListListing(const QByteArray &body, const QDateTime &now)
{
    QList<FtpFindData> out;
    for (const QByteArray &line : lines(body)) {
        FtpFindData e;
        if ((parseUnix(line, now, &e) || parseDos(line, &e)) && !isDotEntry(e.name))
            out.append(e);
    }
    return out;
}

} // namespace platform
