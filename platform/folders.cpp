#include "folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

namespace platform {
namespace {

QMutex mutex;
QString programFolder;
QString configFolder;

QString envPath(const char *name)
{
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString() : QDir::cleanPath(v);
}

// Takes every right away from group and others and leaves the owner's as they are (a folder its owner
// made read-only stays so).
void makePrivate(const QString &path)
{
    // The User flags tell what this process may do, not the mode: only the Owner ones are kept.
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QFileDevice::Permissions now = QFile::permissions(path);
    if (now & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
               QFileDevice::WriteOther | QFileDevice::ExeOther))
        QFile::setPermissions(path, now & owner);
}

QString configPath()
{
    QString conf = envPath("XDG_CONFIG_HOME");
    if (conf.isEmpty())
        conf = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(conf + QStringLiteral("/kestrova5"));
}

void seed(const QString &from, const QString &to)
{
    if (from.isEmpty() || !QFileInfo(from).isDir())
        return;
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString rel = QDir(from).relativeFilePath(src);
        const QString dst = to + QLatin1Char('/') + rel;
        if (QFileInfo::exists(dst))
            continue;
        QDir().mkpath(QFileInfo(dst).absolutePath());
        QFile::copy(src, dst);
        QFile(dst).setPermissions(QFile(dst).permissions() | QFileDevice::WriteOwner);
    }
}

} // namespace

QString ShippedDataFolder()
{
    const QString env = envPath("KESTROVA_DATA");
    if (!env.isEmpty())
        return env;
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/data");
        if (QFileInfo(beside).isDir())
            return beside;
    }
#ifdef KESTROVA_SHIPPED_DATA
    return QStringLiteral(KESTROVA_SHIPPED_DATA);
#else
    return QString();
#endif
}

QString ProgramFolder()
{
    QMutexLocker lock(&mutex);
    if (programFolder.isEmpty()) {
        QString dir = envPath("KESTROVA_HOME");
        if (dir.isEmpty()) {
            QString data = envPath("XDG_DATA_HOME");
            if (data.isEmpty())
                data = QDir::homePath() + QStringLiteral("/.local/share");
            dir = data + QStringLiteral("/kestrova5");
        }
        QDir().mkpath(dir);
        seed(ShippedDataFolder(), dir);
        programFolder = dir;
    }
    return programFolder;
}

QString ConfigFolder()
{
    QMutexLocker lock(&mutex);
    if (configFolder.isEmpty()) {
        configFolder = configPath();
        QDir().mkpath(configFolder);
        makePrivate(configFolder);
    }
    return configFolder;
}

bool IsInConfigFolder(const QString &path)
{
    const QString root = configPath();
    const QString clean = QDir::cleanPath(path);
    return clean == root || clean.startsWith(root + QLatin1Char('/'));
}

bool MakePrivateFolder(const QString &path)
{
    const QString root = configPath();
    QString dir = QDir::cleanPath(path);
    if (!QDir().mkpath(dir))
        return false;
    // Up to the settings folder itself, never above it: the folders above belong to the user.
    for (;;) {
        makePrivate(dir);
        if (dir == root || !dir.startsWith(root + QLatin1Char('/')))
            return true;
        dir = QFileInfo(dir).path();
    }
}

QString TempFolder()
{
    return QDir::cleanPath(QDir::tempPath());
}

QString ProgramFile(const QString &name)
{
    return ProgramFolder() + QLatin1Char('/') + name;
}

void ResetFolders()
{
    QMutexLocker lock(&mutex);
    programFolder.clear();
    configFolder.clear();
}

} // namespace platform
