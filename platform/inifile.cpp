#include "inifile.h"

#include "error.h"
#include "fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace platform {

int ParseInteger(const QString &text, int def)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) || t.startsWith(QLatin1Char('$')))
        v = t.mid(t.startsWith(QLatin1Char('$')) ? 1 : 2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok)
        return def;
    // Hex values written as unsigned 32-bit (0xFFFFFFFF) read back as -1.
    if (v > 0x7fffffffLL && v <= 0xffffffffLL)
        v -= 0x100000000LL;
    if (v < INT_MIN || v > INT_MAX)
        return def;
    return int(v);
}

IniFile::IniFile(const QString &fileName) : fileName_(fileName)
{
    reloadIfChanged();
}

IniFile::~IniFile()
{
    if (dirty_) {
        try {
            UpdateFile();
        } catch (...) {
            // A destructor cannot report; callers that care call EndUpdate/UpdateFile themselves.
        }
    }
}

IniFile::Line IniFile::parseLine(const QByteArray &raw, bool first)
{
    Line line;
    line.raw = raw;
    QString text = QString::fromUtf8(raw);
    if (first && text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1); // a byte-order mark is no part of the first line's name
    const QString t = text.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
        line.kind = Kind::Header;
        line.name = t.mid(1, t.size() - 2).trimmed();
        return line;
    }
    if (t.startsWith(QLatin1Char(';')))
        return line;
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return line;
    line.name = text.left(eq).trimmed();
    if (line.name.isEmpty())
        return line; // " =x" names nothing: kept as it is
    line.kind = Kind::Pair;
    line.value = text.mid(eq + 1).trimmed();
    return line;
}

void IniFile::parse(const QByteArray &bytes) const
{
    lines_.clear();
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        QByteArray raw, end;
        if (nl < 0) {
            raw = bytes.mid(pos);
            pos = bytes.size();
        } else {
            raw = bytes.mid(pos, nl - pos);
            end = "\n";
            pos = nl + 1;
            if (raw.endsWith('\r')) {
                raw.chop(1);
                end = "\r\n";
            }
        }
        Line line = parseLine(raw, lines_.empty());
        line.end = end;
        lines_.push_back(std::move(line));
    }
    reindex();
}

void IniFile::reindex() const
{
    sections_.clear();
    byName_.clear();
    for (int i = 0; i < int(lines_.size()); ++i) {
        if (lines_[i].kind != Kind::Header)
            continue;
        const QString folded = lines_[i].name.toCaseFolded();
        const auto it = byName_.constFind(folded);
        if (it != byName_.constEnd()) {
            sections_[*it].headers.push_back(i);
        } else {
            byName_.insert(folded, int(sections_.size()));
            sections_.push_back(Section{lines_[i].name, {i}});
        }
    }
}

void IniFile::reloadIfChanged() const
{
    if (dirty_)
        return; // unsaved writes of ours win over the disk
    const QFileInfo info(fileName_);
    if (!info.exists()) {
        if (size_ != -1 || stamp_.isValid()) {
            lines_.clear();
            reindex();
            size_ = -1;
            stamp_ = QDateTime();
        }
        return;
    }
    const QDateTime stamp = info.lastModified();
    if (stamp == stamp_ && info.size() == size_)
        return;
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(fileName_);
    } catch (const FileError &) {
        bytes.clear(); // unreadable reads as empty, like a missing file
    }
    parse(bytes);
    stamp_ = stamp;
    size_ = info.size();
}

const IniFile::Section *IniFile::find(const QString &name) const
{
    const auto it = byName_.constFind(name.trimmed().toCaseFolded());
    return it == byName_.constEnd() ? nullptr : &sections_[*it];
}

int IniFile::blockEnd(int header) const
{
    int i = header + 1;
    while (i < int(lines_.size()) && lines_[i].kind != Kind::Header)
        ++i;
    return i;
}

std::vector<int> IniFile::pairLines(const Section &s) const
{
    std::vector<int> out;
    for (int h : s.headers)
        for (int i = h + 1, end = blockEnd(h); i < end; ++i)
            if (lines_[i].kind == Kind::Pair)
                out.push_back(i);
    return out;
}

int IniFile::firstPair(const Section &s, const QString &key) const
{
    const QString k = key.trimmed();
    for (int i : pairLines(s))
        if (lines_[i].name.compare(k, Qt::CaseInsensitive) == 0)
            return i; // the first occurrence wins, as the system reads it
    return -1;
}

// New keys go after the section's last key, so that keys keep the order they were written in; in a
// section without keys, after its last line that is not blank (blank lines part sections).
int IniFile::insertionPoint(const Section &s) const
{
    const std::vector<int> pairs = pairLines(s);
    if (!pairs.empty())
        return pairs.back() + 1;
    const int h = s.headers.front();
    int after = h;
    for (int i = h + 1, end = blockEnd(h); i < end; ++i)
        if (!lines_[i].raw.trimmed().isEmpty())
            after = i;
    return after + 1;
}

QByteArray IniFile::newline() const
{
    for (const Line &l : lines_)
        if (!l.end.isEmpty())
            return l.end;
    return "\r\n";
}

void IniFile::insertLines(int at, std::vector<Line> lines)
{
    if (lines.empty()) {
        reindex();
        return;
    }
    const QByteArray nl = newline();
    // The line before gets the end it lacked as the last line; a CR of its own stays part of it.
    if (at > 0 && lines_[at - 1].end.isEmpty())
        lines_[at - 1].end = lines_[at - 1].raw.endsWith('\r') ? QByteArray("\r\n") : nl;
    for (Line &l : lines)
        l.end = nl;
    lines_.insert(lines_.begin() + at, std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    reindex();
}

void IniFile::appendSection(const QString &name, std::vector<Line> pairs)
{
    std::vector<Line> lines;
    if (!lines_.empty() && !lines_.back().raw.trimmed().isEmpty())
        lines.push_back(Line{});
    lines.push_back(makeHeader(name));
    for (Line &l : pairs)
        lines.push_back(std::move(l));
    insertLines(int(lines_.size()), std::move(lines));
}

namespace {

[[noreturn]] void badName(const QString &name)
{
    throw Error(QStringLiteral("Cannot write '%1' to an ini file").arg(name));
}

QString oneLine(QString value)
{
    return value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

// A line is made only when it reads back as meant: the key it was made for, with the value trimmed.
IniFile::Line IniFile::makePair(const QByteArray &keyPart, const QString &key, const QString &value, int at) const
{
    const QString v = oneLine(value);
    const QByteArray raw = keyPart + v.toUtf8();
    Line line = parseLine(raw, at == 0);
    if (raw.contains('\n') || line.kind != Kind::Pair || line.name != key || line.value != v.trimmed())
        badName(key);
    return line;
}

IniFile::Line IniFile::makeHeader(const QString &name) const
{
    const QString n = name.trimmed();
    const QByteArray raw = (QLatin1Char('[') + n + QLatin1Char(']')).toUtf8();
    Line line = parseLine(raw, lines_.empty());
    if (raw.contains('\n') || line.kind != Kind::Header || line.name != n)
        badName(name);
    return line;
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    reloadIfChanged();
    if (const Section *s = find(section)) {
        const int i = firstPair(*s, key);
        if (i >= 0) {
            QString v = lines_[i].value;
            if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
                v = v.mid(1, v.size() - 2);
            return v;
        }
    }
    return def;
}

int IniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    const QString v = ReadString(section, key, QString());
    return v.isEmpty() ? def : ParseInteger(v, def);
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    reloadIfChanged();
    const QString k = key.trimmed();
    const Section *s = find(section);
    const int at = s ? firstPair(*s, k) : -1;
    if (at >= 0) {
        // The key's own bytes up to "=" stay as they were; only the value is new.
        const Line &old = lines_[at];
        Line line = makePair(old.raw.left(old.raw.indexOf('=') + 1), old.name, value, at);
        if (line.value == old.value)
            return;
        line.end = old.end;
        lines_[at] = std::move(line);
        changed();
        return;
    }
    Line line = makePair(k.toUtf8() + '=', k, value, -1);
    if (s)
        insertLines(insertionPoint(*s), {std::move(line)});
    else
        appendSection(section, {std::move(line)});
    changed();
}

void IniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList IniFile::ReadSections() const
{
    reloadIfChanged();
    QStringList out;
    for (const Section &s : sections_)
        out << s.name;
    return out;
}

QStringList IniFile::ReadSection(const QString &section) const
{
    QStringList out;
    for (const QString &kv : ReadSectionValues(section))
        out << kv.section(QLatin1Char('='), 0, 0);
    return out;
}

QStringList IniFile::ReadSectionValues(const QString &section) const
{
    reloadIfChanged();
    QStringList out;
    QSet<QString> seen;
    if (const Section *s = find(section)) {
        for (int i : pairLines(*s)) {
            const Line &l = lines_[i];
            const QString folded = l.name.toCaseFolded();
            if (seen.contains(folded))
                continue; // a later duplicate is never read
            seen.insert(folded);
            out << l.name + QLatin1Char('=') + l.value;
        }
    }
    return out;
}

bool IniFile::SectionExists(const QString &section) const
{
    reloadIfChanged();
    return find(section) != nullptr;
}

bool IniFile::ValueExists(const QString &section, const QString &key) const
{
    reloadIfChanged();
    const Section *s = find(section);
    return s && firstPair(*s, key) >= 0;
}

void IniFile::EraseSection(const QString &section)
{
    reloadIfChanged();
    const Section *s = find(section);
    if (!s)
        return;
    const std::vector<int> headers = s->headers;
    for (auto it = headers.rbegin(); it != headers.rend(); ++it)
        lines_.erase(lines_.begin() + *it, lines_.begin() + blockEnd(*it));
    reindex();
    changed();
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    reloadIfChanged();
    const Section *s = find(section);
    if (!s)
        return;
    const QString k = key.trimmed();
    const std::vector<int> pairs = pairLines(*s);
    bool any = false;
    for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) {
        if (lines_[*it].name.compare(k, Qt::CaseInsensitive) == 0) {
            lines_.erase(lines_.begin() + *it);
            any = true;
        }
    }
    if (!any)
        return;
    reindex();
    changed();
}

void IniFile::WriteSection(const QString &section, const QList<QPair<QString, QString>> &values)
{
    reloadIfChanged();
    std::vector<Line> lines;
    lines.reserve(values.size());
    for (const auto &kv : values) {
        const QString k = kv.first.trimmed();
        lines.push_back(makePair(k.toUtf8() + '=', k, kv.second, -1));
    }
    const Section *s = find(section);
    if (!s) {
        appendSection(section, std::move(lines));
        changed();
        return;
    }
    const std::vector<int> pairs = pairLines(*s);
    const int at = pairs.empty() ? insertionPoint(*s) : pairs.front();
    for (auto it = pairs.rbegin(); it != pairs.rend(); ++it)
        lines_.erase(lines_.begin() + *it);
    insertLines(at, std::move(lines));
    changed();
}

void IniFile::changed()
{
    dirty_ = true;
    if (batch_ == 0)
        UpdateFile();
}

void IniFile::BeginUpdate()
{
    ++batch_;
}

void IniFile::EndUpdate()
{
    if (batch_ > 0 && --batch_ == 0 && dirty_)
        UpdateFile();
}

QByteArray IniFile::Serialize() const
{
    QByteArray out;
    for (const Line &l : lines_)
        out += l.raw + l.end;
    return out;
}

void IniFile::UpdateFile()
{
    if (!dirty_)
        return;
    WriteFileAtomic(fileName_, Serialize());
    dirty_ = false;
    const QFileInfo info(fileName_);
    stamp_ = info.lastModified();
    size_ = info.size();
}

} // namespace platform
