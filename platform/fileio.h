#pragma once
#include <QByteArray>
#include <QString>

namespace platform {

// Reads a whole file; raises FileError when it cannot be opened or read.
QByteArray ReadWholeFile(const QString &path);
// Writes a whole file atomically (a temporary beside it, renamed over the old one); raises FileError,
// and then the old file is untouched. Creates missing parent folders. A file that existed keeps its
// mode; a file inside the settings folder (ConfigFolder) loses every right of group and others (new
// ones are 0600) and so do the folders between it and the settings folder, since settings may hold
// passwords.
void WriteFileAtomic(const QString &path, const QByteArray &bytes);

// What tells one state of a file from another: whether it is there, its size and its modification time
// (to the nanosecond).
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp &) const = default;
};
FileStamp StampOf(const QString &path);

} // namespace platform
