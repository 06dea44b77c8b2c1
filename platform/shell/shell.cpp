#include "shell.h"

#include "platform/dialogs.h"
#include "platform/filenames.h"
#include "platform/fileio.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>
#include <QUrl>
#include <QDateTime>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {
std::function<void(unsigned)> beepHook;
std::function<bool(const QString &)> openHook;

// A folder list of the desktop's base directories: the variable's folders, else the fallback's.
QStringList baseDirs(const char *variable, const QString &fallback)
{
    QStringList dirs;
    for (const QString &d : qEnvironmentVariable(variable, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d))
            dirs << d;
    return dirs;
}

QString homeDir(const char *variable, const QString &fallback)
{
    const QString d = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(d) ? d : QDir::homePath() + fallback;
}

QStringList dataDirs()
{
    return QStringList{homeDir("XDG_DATA_HOME", QStringLiteral("/.local/share"))} +
           baseDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

// The lists of default applications, in the order the desktop reads them: the user's before the system's,
// and in each folder the list of the desktop in use before the general one.
QStringList defaultsLists()
{
    QStringList desktops;
    for (const QString &d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << d.toLower();
    auto inFolder = [&desktops](const QString &folder, bool old) {
        QStringList lists;
        for (const QString &d : std::as_const(desktops))
            lists << folder + QLatin1Char('/') + d + QStringLiteral("-mimeapps.list");
        lists << folder + QStringLiteral("/mimeapps.list");
        if (old)
            lists << folder + QStringLiteral("/defaults.list");
        return lists;
    };
    QStringList lists;
    for (const QString &d : QStringList{homeDir("XDG_CONFIG_HOME", QStringLiteral("/.config"))} +
                                baseDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        lists << inFolder(d, false);
    for (const QString &d : dataDirs())
        lists << inFolder(d + QStringLiteral("/applications"), true);
    return lists;
}

// The key-value lines of one group of a desktop file (an entry or a list), values unescaped.
QList<QPair<QString, QString>> groupOf(const QString &path, const QString &group)
{
    QList<QPair<QString, QString>> pairs;
    QFile f;
    QString why;
    if (!QFileInfo(path).isFile() || !TryOpenForReading(f, path, &why) || f.size() > 1024 * 1024)
        return pairs;
    bool inside = false;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inside = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inside || line.startsWith(QLatin1Char('#')) || eq <= 0)
            continue;
        QString value;
        const QString escaped = line.mid(eq + 1).trimmed();
        for (qsizetype i = 0; i < escaped.size(); ++i) {
            if (escaped[i] != QLatin1Char('\\') || i + 1 == escaped.size()) {
                value += escaped[i];
                continue;
            }
            const QChar c = escaped[++i];
            value += c == QLatin1Char('s') ? QChar(' ') : c == QLatin1Char('t') ? QChar('\t') : c == QLatin1Char('n') ? QChar(' ') : c;
        }
        pairs << qMakePair(line.left(eq).trimmed(), value);
    }
    return pairs;
}

// Where an installed entry lies: "a-b.desktop" is applications/a-b.desktop, or applications/a/b.desktop.
QString entryFile(const QString &id)
{
    for (const QString &d : dataDirs()) {
        const QString apps = d + QStringLiteral("/applications/");
        QString name = id;
        for (qsizetype dash = -1;;) {
            if (QFileInfo(apps + name).isFile())
                return apps + name;
            dash = id.indexOf(QLatin1Char('-'), dash + 1);
            if (dash < 0)
                break;
            name[dash] = QLatin1Char('/');
        }
    }
    return QString();
}

// An entry's name in the user's language, else its plain name; empty for an entry that is hidden.
QString entryName(const QString &file)
{
    const QString locale = QLocale::system().name(); // "de_DE"
    const QStringList keys{QStringLiteral("Name[%1]").arg(locale), QStringLiteral("Name[%1]").arg(locale.section(QLatin1Char('_'), 0, 0)),
                           QStringLiteral("Name")};
    QMap<QString, QString> values;
    for (const auto &[key, value] : groupOf(file, QStringLiteral("Desktop Entry")))
        values.insert(key, value);
    if (values.value(QStringLiteral("Hidden")) == QLatin1String("true"))
        return QString();
    for (const QString &key : keys)
        if (!values.value(key).trimmed().isEmpty())
            return values.value(key).trimmed();
    return QString();
}
} // namespace

void MessageBeep(unsigned type)
{
    if (beepHook)
        beepHook(type);
    else
        QApplication::beep();
}

void SetBeepHook(std::function<void(unsigned)> hook)
{
    beepHook = std::move(hook);
}

bool OpenWithShell(const QString &fileOrUrl)
{
    if (openHook)
        return openHook(fileOrUrl);
    const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(QFileInfo(fileOrUrl).absoluteFilePath())
                                                  : QUrl::fromUserInput(fileOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void SetOpenHook(std::function<bool(const QString &)> hook)
{
    openHook = std::move(hook);
}

bool OpenWithShellOrSay(QWidget *parent, const QString &fileOrUrl)
{
    if (OpenWithShell(fileOrUrl))
        return true;
    const QString what = QFileInfo::exists(fileOrUrl) ? QDir::toNativeSeparators(fileOrUrl) : fileOrUrl;
    MessageBox(parent,
               QStringLiteral("No program is set up to open \"%1\". Install a web browser, or open it with a "
                              "program of your choice.").arg(what),
               ApplicationTitle(), MB_OK | MB_ICONWARNING);
    return false;
}

namespace {

// The home trash of the desktop's trash rules, for a name that is no text (Qt's trash takes names as text).
// Only an item on the trash's own file system goes there: it is renamed in, never copied.
bool trashByBytes(const QString &path)
{
    const QByteArray from = EncodeName(QFileInfo(path).absoluteFilePath());
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    const QByteArray trash = QFile::encodeName(home + QStringLiteral("/Trash"));
    if (!QDir().mkpath(QFile::decodeName(trash + "/files")) || !QDir().mkpath(QFile::decodeName(trash + "/info")))
        return false;
    const QByteArray name = from.mid(from.lastIndexOf('/') + 1);
    const QByteArray info = "[Trash Info]\nPath=" + from.toPercentEncoding("/") + "\nDeletionDate=" +
                            QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const QByteArray taken = n == 1 ? name : name + '.' + QByteArray::number(n);
        const QByteArray infoFile = trash + "/info/" + taken + ".trashinfo";
        const int fd = ::open(infoFile.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
        ::close(fd);
        const QByteArray kept = trash + "/files/" + taken;
        struct stat st {};
        if (written && ::lstat(kept.constData(), &st) == 0) { // an item without its info: left as it is
            ::unlink(infoFile.constData());
            continue;
        }
        if (written && ::rename(from.constData(), kept.constData()) == 0)
            return true;
        ::unlink(infoFile.constData());
        return false;
    }
    return false;
}

} // namespace

QString FileManagerName()
{
    // What the desktop opens a folder with: the first default that is installed and names itself.
    for (const QString &list : defaultsLists())
        for (const auto &[type, ids] : groupOf(list, QStringLiteral("Default Applications")))
            if (type == QLatin1String("inode/directory"))
                for (const QString &id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts))
                    if (const QString file = entryFile(id.trimmed()); !file.isEmpty())
                        if (const QString name = entryName(file); !name.isEmpty())
                            return name;
    return QStringLiteral("your file manager");
}

bool MoveToTrash(const QString &path)
{
    if (!StatName(path, true).exists)
        return false;
    if (!IsTextName(path))
        return trashByBytes(path);
    return QFile::moveToTrash(path);
}

} // namespace platform
