#include "registry.h"

#include "error.h"
#include "folders.h"
#include "inifile.h"

#include <QMutex>
#include <memory>

namespace platform {
namespace {

QMutex storeMutex;
std::unique_ptr<IniFile> userStore;
std::unique_ptr<IniFile> machineStore; // in memory only: never saved

IniFile &store(RootKey root)
{
    if (root == RootKey::LocalMachine) {
        if (!machineStore)
            machineStore = std::make_unique<IniFile>(QString());
        return *machineStore;
    }
    const QString path = ConfigFolder() + QStringLiteral("/registry.ini");
    if (!userStore || userStore->FileName() != path)
        userStore = std::make_unique<IniFile>(path);
    return *userStore;
}

QString rootName(RootKey root)
{
    return root == RootKey::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE") : QStringLiteral("HKEY_CURRENT_USER");
}

QString normalise(QString path)
{
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

bool isPrefixOf(const QString &parent, const QString &child)
{
    return child.size() > parent.size() && child.startsWith(parent, Qt::CaseInsensitive) &&
           child.at(parent.size()) == QLatin1Char('\\');
}

// Value names are ini keys. The default value ("") is stored as "@". A name the ini file could not hold
// as it is (one with "=", ";", "[" or a line break, blanks around it, or "@" itself) has those characters
// stored as "[hex]": a plain name never holds "[", so a key with one is always an escaped name, and plain
// names are stored as they always were.
bool needsEscape(const QString &name, qsizetype i)
{
    const QChar c = name.at(i);
    return c == QLatin1Char('=') || c == QLatin1Char(';') || c == QLatin1Char('[') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n') || ((i == 0 || i == name.size() - 1) && c.isSpace()) ||
           name == QLatin1String("@");
}

QString valueKey(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("@");
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (needsEscape(name, i))
            out += QLatin1Char('[') + QString::number(name.at(i).unicode(), 16) + QLatin1Char(']');
        else
            out += name.at(i);
    }
    return out;
}

QString valueName(const QString &key)
{
    if (key == QLatin1String("@"))
        return QString();
    if (!key.contains(QLatin1Char('[')))
        return key;
    QString out;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const qsizetype close = key.at(i) == QLatin1Char('[') ? key.indexOf(QLatin1Char(']'), i) : -1;
        bool ok = false;
        const uint code = close > i + 1 ? key.mid(i + 1, close - i - 1).toUInt(&ok, 16) : 0;
        if (ok && code <= 0xFFFF) {
            out += QChar(char16_t(code));
            i = close;
        } else {
            out += key.at(i);
        }
    }
    return out;
}

// Creates the key and every missing key above it, in one write.
void ensurePath(IniFile &s, const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('\\'));
    s.BeginUpdate();
    QString sofar = parts.value(0);
    for (int i = 1; i < parts.size(); ++i) {
        sofar += QLatin1Char('\\') + parts[i];
        if (!s.SectionExists(sofar))
            s.WriteSection(sofar, {});
    }
    s.EndUpdate();
}

} // namespace

Registry::Registry(RootKey root) : root_(root), current_(rootName(root)) {}

Registry::~Registry() = default;

void Registry::SetRoot(RootKey root)
{
    CloseKey();
    root_ = root;
    current_ = rootName(root);
}

QString Registry::resolve(const QString &key) const
{
    const QString rel = normalise(key);
    if (key.startsWith(QLatin1Char('\\')) || key.startsWith(QLatin1Char('/')) || !open_)
        return rel.isEmpty() ? rootName(root_) : rootName(root_) + QLatin1Char('\\') + rel;
    return rel.isEmpty() ? current_ : current_ + QLatin1Char('\\') + rel;
}

bool Registry::OpenKey(const QString &key, bool canCreate)
{
    const QString path = resolve(key);
    QMutexLocker lock(&storeMutex);
    IniFile &s = store(root_);
    if (!s.SectionExists(path)) {
        bool parentOfSome = false;
        for (const QString &sec : s.ReadSections())
            parentOfSome = parentOfSome || isPrefixOf(path, sec);
        if (!parentOfSome) {
            if (!canCreate || root_ == RootKey::LocalMachine)
                return false;
            ensurePath(s, path);
        }
    }
    current_ = path;
    open_ = true;
    return true;
}

bool Registry::OpenKeyReadOnly(const QString &key)
{
    return OpenKey(key, false);
}

void Registry::CloseKey()
{
    open_ = false;
    current_ = rootName(root_);
}

bool Registry::CreateKey(const QString &key)
{
    if (root_ == RootKey::LocalMachine)
        return false;
    const QString path = resolve(key);
    QMutexLocker lock(&storeMutex);
    ensurePath(store(root_), path);
    return true;
}

bool Registry::KeyExists(const QString &key) const
{
    const QString path = resolve(key);
    QMutexLocker lock(&storeMutex);
    IniFile &s = store(root_);
    if (s.SectionExists(path))
        return true;
    for (const QString &sec : s.ReadSections())
        if (isPrefixOf(path, sec))
            return true;
    return false;
}

bool Registry::DeleteKey(const QString &key)
{
    if (root_ == RootKey::LocalMachine)
        return false;
    const QString path = resolve(key);
    if (path.compare(rootName(root_), Qt::CaseInsensitive) == 0)
        return false; // the root is no key of ours: deleting it would empty the whole store
    QMutexLocker lock(&storeMutex);
    IniFile &s = store(root_);
    bool any = false;
    s.BeginUpdate();
    for (const QString &sec : s.ReadSections()) {
        if (sec.compare(path, Qt::CaseInsensitive) == 0 || isPrefixOf(path, sec)) {
            s.EraseSection(sec);
            any = true;
        }
    }
    s.EndUpdate();
    return any;
}

QStringList Registry::GetKeyNames() const
{
    QMutexLocker lock(&storeMutex);
    IniFile &s = store(root_);
    QStringList out;
    for (const QString &sec : s.ReadSections()) {
        if (!isPrefixOf(current_, sec))
            continue;
        const QString name = sec.mid(current_.size() + 1).section(QLatin1Char('\\'), 0, 0);
        if (!out.contains(name, Qt::CaseInsensitive))
            out << name;
    }
    return out;
}

QString Registry::readRaw(const QString &name, bool *found) const
{
    QMutexLocker lock(&storeMutex);
    IniFile &s = store(root_);
    *found = s.ValueExists(current_, valueKey(name));
    return s.ReadString(current_, valueKey(name), QString());
}

void Registry::write(const QString &name, const QString &raw)
{
    if (root_ == RootKey::LocalMachine)
        throw StreamError(QStringLiteral("Failed to set data for '%1'").arg(name));
    QMutexLocker lock(&storeMutex);
    // Quoted, so that the ini layer keeps leading and trailing blanks of the value.
    store(root_).WriteString(current_, valueKey(name),
                             QLatin1Char('"') + raw + QLatin1Char('"'));
}

bool Registry::ValueExists(const QString &name) const
{
    bool found = false;
    readRaw(name, &found);
    return found;
}

bool Registry::DeleteValue(const QString &name)
{
    if (root_ == RootKey::LocalMachine || !ValueExists(name))
        return false;
    QMutexLocker lock(&storeMutex);
    store(root_).DeleteKey(current_, valueKey(name));
    return true;
}

QStringList Registry::GetValueNames() const
{
    QMutexLocker lock(&storeMutex);
    QStringList names = store(root_).ReadSection(current_);
    for (QString &n : names)
        n = valueName(n);
    return names;
}

RegDataType Registry::GetDataType(const QString &name) const
{
    bool found = false;
    const QString raw = readRaw(name, &found);
    if (!found)
        return RegDataType::Unknown;
    if (raw.startsWith(QLatin1String("sz:")))
        return RegDataType::String;
    if (raw.startsWith(QLatin1String("dword:")))
        return RegDataType::Integer;
    if (raw.startsWith(QLatin1String("hex:")))
        return RegDataType::Binary;
    return RegDataType::Unknown;
}

QString Registry::ReadString(const QString &name) const
{
    bool found = false;
    const QString raw = readRaw(name, &found);
    if (!found)
        return QString();
    if (!raw.startsWith(QLatin1String("sz:")))
        throw StreamError(QStringLiteral("Invalid data type for '%1'").arg(name));
    // Control characters are escaped so that a value stays on one ini line.
    QString out;
    const QString body = raw.mid(3);
    out.reserve(body.size());
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('\\') && i + 1 < body.size()) {
            const QChar n = body.at(++i);
            if (n == QLatin1Char('r'))
                out += QLatin1Char('\r');
            else if (n == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else
                out += n;
        } else {
            out += c;
        }
    }
    return out;
}

int Registry::ReadInteger(const QString &name) const
{
    bool found = false;
    const QString raw = readRaw(name, &found);
    bool ok = false;
    const uint v = raw.mid(6).toUInt(&ok, 16);
    if (!found || !raw.startsWith(QLatin1String("dword:")) || !ok)
        throw StreamError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return int(v);
}

bool Registry::ReadBool(const QString &name) const
{
    return ReadInteger(name) != 0;
}

QByteArray Registry::ReadBinaryData(const QString &name) const
{
    bool found = false;
    const QString raw = readRaw(name, &found);
    if (!found || !raw.startsWith(QLatin1String("hex:")))
        throw StreamError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return QByteArray::fromHex(raw.mid(4).toLatin1());
}

void Registry::WriteString(const QString &name, const QString &value)
{
    QString esc;
    esc.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            esc += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\r'))
            esc += QStringLiteral("\\r");
        else if (c == QLatin1Char('\n'))
            esc += QStringLiteral("\\n");
        else
            esc += c;
    }
    write(name, QStringLiteral("sz:") + esc);
}

void Registry::WriteInteger(const QString &name, int value)
{
    write(name, QStringLiteral("dword:%1").arg(uint(value), 8, 16, QLatin1Char('0')));
}

void Registry::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

void Registry::WriteBinaryData(const QString &name, const QByteArray &value)
{
    write(name, QStringLiteral("hex:") + QString::fromLatin1(value.toHex()));
}

void Registry::BeginUpdate()
{
    QMutexLocker lock(&storeMutex);
    store(RootKey::CurrentUser).BeginUpdate();
}

void Registry::EndUpdate()
{
    QMutexLocker lock(&storeMutex);
    store(RootKey::CurrentUser).EndUpdate();
}

void Registry::SeedLocalMachine(const QString &keyPath, const QString &name, const QString &rawValue)
{
    QMutexLocker lock(&storeMutex);
    IniFile &s = store(RootKey::LocalMachine);
    const QString path = QStringLiteral("HKEY_LOCAL_MACHINE\\") + normalise(keyPath);
    s.BeginUpdate(); // never ends: the machine store has no file
    s.WriteString(path, valueKey(name), rawValue);
}

void Registry::ClearLocalMachine()
{
    QMutexLocker lock(&storeMutex);
    machineStore.reset();
}

void Registry::ResetStore()
{
    QMutexLocker lock(&storeMutex);
    userStore.reset();
}

} // namespace platform
