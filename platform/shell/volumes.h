#pragma once
// The machine's volumes (the drives of the shell tree), their kinds, and shell names and icons of
// files and folders.
#include <QIcon>
#include <QList>
#include <QString>
#include <functional>

namespace platform {

// Drive kinds.
enum DriveType : int {
    DRIVE_UNKNOWN = 0, DRIVE_NO_ROOT_DIR = 1, DRIVE_REMOVABLE = 2, DRIVE_FIXED = 3, DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5, DRIVE_RAMDISK = 6,
};

struct Volume {
    QString root; // ends in '/'
    QString displayName;
    int type = DRIVE_FIXED;
};

// The file system root and the mounted data volumes, in root order.
QList<Volume> Volumes();
// Tests give their own volumes; nullptr restores the system's.
void SetVolumeProvider(std::function<QList<Volume>()> provider);
// The kind of the volume that holds a path (the one with the longest root before it).
int DriveTypeOf(const QString &path);
// Stands for the system folder of the other platform: the user's home folder, ending in '/'.
QString SystemFolder();

// The name the desktop shows for a file or folder (a volume's own name for its root).
QString DisplayName(const QString &path);
// The desktop's small icon of a file or folder; folders may be asked for open.
QIcon FileIcon(const QString &path, bool open = false);
// The desktop's icon for files of the type a name says (by its extension), where no such file need
// exist: a file on a server.
QIcon FileTypeIcon(const QString &name);

} // namespace platform
