#include "volumes.h"

#include <QDir>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace platform {
namespace {

std::function<QList<Volume>()> provider;

int typeOf(const QStorageInfo &s)
{
    const QByteArray fs = s.fileSystemType().toLower();
    if (fs.startsWith("nfs") || fs == "cifs" || fs == "smbfs" || fs == "smb3" || fs.contains("sshfs") || fs == "9p"
        || fs == "afs" || fs.startsWith("fuse.gvfs"))
        return DRIVE_REMOTE;
    if (fs == "iso9660" || fs == "udf")
        return DRIVE_CDROM;
    if (fs == "tmpfs" || fs == "ramfs")
        return DRIVE_RAMDISK;
    const QString root = s.rootPath();
    if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/")))
        return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

bool isDataVolume(const QStorageInfo &s)
{
    const QString root = s.rootPath();
    if (root == QLatin1String("/"))
        return true;
    static const char *const systemPlaces[] = {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var", "/tmp", "/usr", "/etc"};
    for (const char *p : systemPlaces)
        if (root == QLatin1String(p) || root.startsWith(QLatin1String(p) + QLatin1Char('/')))
            return root.startsWith(QLatin1String("/run/media/"));
    return s.isValid() && s.isReady();
}

QList<Volume> systemVolumes()
{
    QList<Volume> out;
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes()) {
        if (!isDataVolume(s))
            continue;
        Volume v;
        v.root = s.rootPath().endsWith(QLatin1Char('/')) ? s.rootPath() : s.rootPath() + QLatin1Char('/');
        v.displayName = s.isRoot() ? QStringLiteral("File System") : (s.displayName().isEmpty() ? s.name() : s.displayName());
        if (v.displayName.isEmpty() || v.displayName == s.rootPath())
            v.displayName = QFileInfo(s.rootPath()).fileName();
        v.type = typeOf(s);
        if (std::none_of(out.cbegin(), out.cend(), [&](const Volume &o) { return o.root == v.root; }))
            out << v;
    }
    std::sort(out.begin(), out.end(), [](const Volume &a, const Volume &b) { return a.root < b.root; });
    return out;
}

const Volume *volumeOf(const QList<Volume> &volumes, const QString &path)
{
    const Volume *best = nullptr;
    const QString p = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    for (const Volume &v : volumes)
        if (p.startsWith(v.root) && (!best || v.root.size() > best->root.size()))
            best = &v;
    return best;
}

} // namespace

QList<Volume> Volumes()
{
    return provider ? provider() : systemVolumes();
}

void SetVolumeProvider(std::function<QList<Volume>()> p)
{
    provider = std::move(p);
}

int DriveTypeOf(const QString &path)
{
    const QList<Volume> volumes = Volumes();
    const Volume *v = volumeOf(volumes, path);
    return v ? v->type : DRIVE_NO_ROOT_DIR;
}

QString SystemFolder()
{
    return QDir::homePath() + QLatin1Char('/');
}

QString DisplayName(const QString &path)
{
    const QList<Volume> volumes = Volumes();
    const QString p = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    for (const Volume &v : volumes)
        if (v.root == p)
            return v.displayName;
    const QString name = QFileInfo(QDir::cleanPath(path)).fileName();
    return name.isEmpty() ? path : name;
}

QIcon FileIcon(const QString &path, bool open)
{
    static QFileIconProvider icons;
    const QFileInfo fi(path);
    if (fi.isDir() && fi.isRoot())
        return icons.icon(QFileIconProvider::Drive);
    if (fi.isDir()) {
        QIcon closed = icons.icon(QFileIconProvider::Folder);
        if (!open)
            return closed;
        // The open look, where the theme has one.
        const QIcon themed = QIcon::fromTheme(QStringLiteral("folder-open"));
        return themed.isNull() ? closed : themed;
    }
    const QIcon own = icons.icon(fi);
    return own.isNull() ? FileTypeIcon(fi.fileName()) : own;
}

QIcon FileTypeIcon(const QString &name)
{
    static const QMimeDatabase types;
    const QMimeType type = types.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    for (const QString &iconName : {type.iconName(), type.genericIconName()}) {
        if (iconName.isEmpty())
            continue;
        const QIcon themed = QIcon::fromTheme(iconName);
        if (!themed.isNull())
            return themed;
    }
    static QFileIconProvider icons;
    return icons.icon(QFileIconProvider::File);
}

} // namespace platform
