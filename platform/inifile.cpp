#include "inifile.h"

#include "error.h"
#include "fileio.h"

#include <QFile>
#include <QFileInfo>

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

void IniFile::parse(const QByteArray &bytes) const
{
    sections_.clear();
    Section *current = nullptr;
    const QString text = QString::fromUtf8(bytes);
    const auto lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            const QString name = t.mid(1, t.size() - 2).trimmed();
            if (Section *s = find(name)) {
                current = s;
            } else {
                sections_.push_back(Section{name, {}});
                current = &sections_.back();
            }
            continue;
        }
        if (!current)
            continue;
        if (t.isEmpty() && i == lines.size() - 1)
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || t.startsWith(QLatin1Char(';'))) {
            if (!t.isEmpty())
                current->entries.push_back(Entry{QString(), line});
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        bool replaced = false;
        for (Entry &e : current->entries) {
            if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0) {
                replaced = true; // the first occurrence wins, as the system reads it
                break;
            }
        }
        if (!replaced)
            current->entries.push_back(Entry{key, value});
    }
}

void IniFile::reloadIfChanged() const
{
    if (dirty_)
        return; // unsaved writes of ours win over the disk
    const QFileInfo info(fileName_);
    if (!info.exists()) {
        if (size_ != -1 || stamp_.isValid()) {
            sections_.clear();
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

IniFile::Section *IniFile::find(const QString &name) const
{
    for (Section &s : sections_)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

IniFile::Section &IniFile::findOrAdd(const QString &name)
{
    if (Section *s = find(name))
        return *s;
    sections_.push_back(Section{name, {}});
    return sections_.back();
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    reloadIfChanged();
    if (const Section *s = find(section)) {
        for (const Entry &e : s->entries) {
            if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0) {
                QString v = e.value;
                if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
                    v = v.mid(1, v.size() - 2);
                return v;
            }
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
    Section &s = findOrAdd(section);
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (Entry &e : s.entries) {
        if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0) {
            if (e.value == v)
                return;
            e.value = v;
            changed();
            return;
        }
    }
    s.entries.push_back(Entry{key.trimmed(), v});
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
    reloadIfChanged();
    QStringList out;
    if (const Section *s = find(section))
        for (const Entry &e : s->entries)
            if (!e.key.isEmpty())
                out << e.key;
    return out;
}

QStringList IniFile::ReadSectionValues(const QString &section) const
{
    reloadIfChanged();
    QStringList out;
    if (const Section *s = find(section))
        for (const Entry &e : s->entries)
            if (!e.key.isEmpty())
                out << e.key + QLatin1Char('=') + e.value;
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
    if (const Section *s = find(section))
        for (const Entry &e : s->entries)
            if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

void IniFile::EraseSection(const QString &section)
{
    reloadIfChanged();
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (it->name.compare(section, Qt::CaseInsensitive) == 0) {
            sections_.erase(it);
            changed();
            return;
        }
    }
}

void IniFile::DeleteKey(const QString &section, const QString &key)
{
    reloadIfChanged();
    if (Section *s = find(section)) {
        for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
            if (!it->key.isEmpty() && it->key.compare(key, Qt::CaseInsensitive) == 0) {
                s->entries.erase(it);
                changed();
                return;
            }
        }
    }
}

void IniFile::WriteSection(const QString &section, const QList<QPair<QString, QString>> &values)
{
    reloadIfChanged();
    std::vector<Entry> entries;
    entries.reserve(values.size());
    for (const auto &kv : values) {
        QString v = kv.second;
        v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        entries.push_back(Entry{kv.first.trimmed(), v});
    }
    findOrAdd(section).entries = std::move(entries);
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
    QString out;
    bool first = true;
    for (const Section &s : sections_) {
        if (!first)
            out += QStringLiteral("\r\n");
        first = false;
        out += QLatin1Char('[') + s.name + QStringLiteral("]\r\n");
        for (const Entry &e : s.entries) {
            if (e.key.isEmpty())
                out += e.value + QStringLiteral("\r\n");
            else
                out += e.key + QLatin1Char('=') + e.value + QStringLiteral("\r\n");
        }
    }
    return out.toUtf8();
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
