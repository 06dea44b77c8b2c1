#pragma once
#include <QByteArray>
#include <QIODevice>
#include <QString>

class QFile;

namespace platform {

// Every file a user can name is opened through these. The open never waits (a named pipe would hold
// open() and read() until some writer came), and what is not a regular file (named pipe, socket,
// device, folder) is refused, checked on the opened descriptor so nothing can be put in its place
// meanwhile. A symbolic link is followed unless the caller handles links itself.
enum class Links { Follow, Refuse };
// The one text that says a file could not be opened, read, created or written: Cannot <verb> file "<name>".
// <why>, the name as the system writes it and the reason ending in one full stop.
QString FileErrorText(const QString &verb, const QString &path, const QString &why);

// Opens `file` for reading; false with `why` set to the reason (one sentence) when it cannot.
bool TryOpenForReading(QFile &file, const QString &path, QString *why, Links links = Links::Follow);
// The same, raising FileError ("Cannot open file ...") naming the file.
void OpenForReading(QFile &file, const QString &path);
// Opens `file` for writing in place (a stream such as a recording or a download), creating it when it
// does not exist and emptying it when it does; an existing path that is not a regular file is refused
// with FileError naming it.
void OpenForWriting(QFile &file, const QString &path, QIODevice::OpenMode mode = QIODevice::WriteOnly);
// Reads a whole file through OpenForReading; raises FileError when it cannot be opened or read.
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
