// Reads any bytes as an ini file (or an internet shortcut), writes one key into a copy of it, and reads
// again: every section holds what it held (plus the new key), what the object reads is what a fresh read
// of the file gives, and the lines not written are kept byte for byte, each in its own section. A name
// the file could not hold is refused and leaves the file as it was.
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

using Keys = QList<QPair<QString, QString>>;
using Snapshot = QList<QPair<QString, Keys>>;

const QString kMissing = QStringLiteral("\x01missing");

Snapshot snapshot(const platform::IniFile &ini)
{
    Snapshot out;
    for (const QString &s : ini.ReadSections()) {
        Keys keys;
        for (const QString &k : ini.ReadSection(s))
            keys.append({k, ini.ReadString(s, k, kMissing)});
        out.append({s, keys});
    }
    return out;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// What a write of the value reads back as: one line, trimmed, one pair of surrounding quotes removed.
QString readsAs(QString v)
{
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    v = v.trimmed();
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    return v;
}

Snapshot expectedAfter(Snapshot s, const QString &section, const QString &key, const QString &value)
{
    for (auto &sec : s) {
        if (sec.first.compare(section.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        for (auto &kv : sec.second) {
            if (kv.first.compare(key.trimmed(), Qt::CaseInsensitive) == 0) {
                kv.second = readsAs(value);
                return s;
            }
        }
        sec.second.append({key.trimmed(), readsAs(value)});
        return s;
    }
    s.append({section.trimmed(), Keys{{key.trimmed(), readsAs(value)}}});
    return s;
}

struct Line {
    QByteArray text;
    QByteArray end;
};

QList<Line> lines(const QByteArray &bytes)
{
    QList<Line> out;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        if (nl < 0) {
            out.append({bytes.mid(pos), QByteArray()});
            break;
        }
        Line l{bytes.mid(pos, nl - pos), "\n"};
        if (l.text.endsWith('\r')) {
            l.text.chop(1);
            l.end = "\r\n";
        }
        out.append(l);
        pos = nl + 1;
    }
    return out;
}

bool looksLikeHeader(const QByteArray &text)
{
    const QByteArray t = QString::fromUtf8(text).trimmed().toUtf8();
    return t.size() >= 2 && t.startsWith('[') && t.endsWith(']');
}

// The file after one write: the old lines with at most one of them replaced or a few lines put in, and
// a new header only at the end (a line never moves to another section).
void checkLines(const QByteArray &before, const QByteArray &after)
{
    const QList<Line> o = lines(before), n = lines(after);
    auto same = [&](qsizetype i, qsizetype j) {
        if (o[i].text == n[j].text && o[i].end == n[j].end)
            return true;
        // The last line gains the end it lacked when lines follow it; a CR it ended in stays its own.
        if (i != o.size() - 1 || !o[i].end.isEmpty())
            return false;
        return o[i].text == n[j].text || (o[i].text.endsWith('\r') && o[i].text.chopped(1) == n[j].text);
    };
    qsizetype p = 0;
    while (p < o.size() && p < n.size() && same(p, p))
        ++p;
    qsizetype s = 0;
    while (s < o.size() - p && s < n.size() - p && same(o.size() - 1 - s, n.size() - 1 - s))
        ++s;
    const qsizetype oldChanged = o.size() - p - s, newChanged = n.size() - p - s;
    check(oldChanged <= 1 && newChanged <= 3 && newChanged >= oldChanged);
    for (qsizetype j = p; j < p + newChanged; ++j)
        if (looksLikeHeader(n[j].text))
            check(s == 0 && oldChanged == 0);
}

QString folder()
{
    static QTemporaryDir dir(QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm/fuzz_ini-XXXXXX")
                                                                       : QString());
    return dir.path();
}

void writeOnce(const QByteArray &bytes, const QString &section, const QString &key, const QString &value)
{
    const QString path = folder() + QStringLiteral("/test.ini");
    platform::WriteFileAtomic(path, bytes);
    platform::IniFile ini(path);
    check(ini.Serialize() == bytes);
    const Snapshot before = snapshot(ini);
    try {
        ini.WriteString(section, key, value);
    } catch (const platform::FileError &) {
        std::abort();
    } catch (const platform::Error &) {
        check(platform::ReadWholeFile(path) == bytes && ini.Serialize() == bytes && snapshot(ini) == before);
        return;
    }
    const QByteArray after = platform::ReadWholeFile(path);
    check(after == ini.Serialize());
    const Snapshot now = snapshot(ini);
    check(now == snapshot(platform::IniFile(path)));
    check(now == expectedAfter(before, section, key, value));
    checkLines(bytes, after);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QStringList values{QStringLiteral("v"),      QStringLiteral(" padded "), QStringLiteral("\"q\""),
                                    QStringLiteral("]"),      QStringLiteral("a\r\nb"),   QString(),
                                    QStringLiteral("x=y;z")};
    QStringList sections, odd;
    QList<QStringList> keys;
    {
        const QString path = folder() + QStringLiteral("/read.ini");
        platform::WriteFileAtomic(path, bytes);
        const platform::IniFile ini(path);
        sections = ini.ReadSections();
        for (const QString &s : sections)
            keys.append(ini.ReadSection(s));
    }
    // Names the fuzzer controls: the text of lines that are neither headers nor keys.
    for (const Line &l : lines(bytes))
        if (!l.text.contains('=') && !looksLikeHeader(l.text))
            odd.append(QString::fromUtf8(l.text));
    int n = int(size);
    auto value = [&] { return values[n++ % values.size()]; };
    for (qsizetype i : {qsizetype(0), sections.size() - 1}) {
        if (i < 0 || i >= sections.size())
            continue;
        writeOnce(bytes, sections[i], QStringLiteral("k"), value());
        if (!keys[i].isEmpty())
            writeOnce(bytes, sections[i], keys[i].first(), value());
    }
    writeOnce(bytes, QStringLiteral("New"), QStringLiteral("k"), value());
    if (!odd.isEmpty()) {
        const QString name = odd[n % odd.size()];
        writeOnce(bytes, sections.value(0, QStringLiteral("S")), name, value());
        writeOnce(bytes, name, QStringLiteral("k"), value());
    }
    return 0;
}
