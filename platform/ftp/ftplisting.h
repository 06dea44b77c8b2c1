#pragma once
// Directory listings as FTP servers send them: MLSD facts, and the Unix and DOS forms of LIST.
#include <QByteArray>
#include <QDateTime>
#include <QList>

namespace platform {

// File attribute bits of a found entry.
enum FileAttributes : unsigned {
    FILE_ATTRIBUTE_READONLY = 0x01,
    FILE_ATTRIBUTE_DIRECTORY = 0x10,
    FILE_ATTRIBUTE_NORMAL = 0x80,
};

struct FtpFindData {
    QByteArray name;        // raw bytes as the server sent them
    unsigned attributes = FILE_ATTRIBUTE_NORMAL;
    qint64 size = 0;
    QDateTime lastWrite;    // UTC; invalid when the listing gives no usable date
    bool IsDirectory() const { return attributes & FILE_ATTRIBUTE_DIRECTORY; }
};

// Parses an MLSD reply body. "." and ".." (cdir/pdir) are left out.
QList<FtpFindData> ParseMlsdListing(const QByteArray &body);
// Parses a LIST reply body of Unix ("drwxr-xr-x ... name") or DOS ("01-31-20  02:15PM  <DIR> name") lines;
// lines of neither form ("total 12") are skipped. now decides the year of Unix dates that show a time.
QList<FtpFindData> ParseListListing(const QByteArray &body, const QDateTime &now = QDateTime::currentDateTimeUtc());

} // namespace platform
