#pragma once
// File names as the file system holds them: bytes, most of them UTF-8 text. Qt leaves a name that is no
// text out of its listings and turns its bytes into U+FFFD (so the name no longer finds the file). Here a
// name goes into a QString losslessly: text as text, and each byte that is no text as the lone surrogate
// U+DC00 + byte, which no text name can hold. Such a path goes through QString interfaces whole, and the
// program's own file calls (this seam, platform/fileio.h, the shell's file operations) take it back to
// its bytes; what shows it to the user uses ShownName.
#include <QByteArray>
#include <QList>
#include <QString>

class QUrl;

namespace platform {

// A name or path from its bytes, and back: EncodeName(DecodeName(b)) == b for any bytes.
QString DecodeName(const QByteArray &bytes);
QByteArray EncodeName(const QString &name);
// Whether a name (or path) decoded by DecodeName holds bytes that are no text.
bool IsTextName(const QString &name);
// The name as shown: each byte that is no text as U+FFFD.
QString ShownName(const QString &name);
// The message for a file whose name is not text, where a route needs a name that is ("The name of the
// file "bad\uFFFD.htm" is not valid text, so it cannot be linked.").
QString NotTextMessage(const QString &path, const QString &what);

// One entry of a folder: its name (lossless, as DecodeName gives it), its bytes and what it is.
struct FolderEntry {
    QString name;
    QByteArray bytes;
    bool folder = false; // a folder, or a link to one
    bool file = false;   // a regular file, or a link to one
    bool link = false;   // a symbolic link
    bool hidden = false; // a name starting with "."
    QString Shown() const { return ShownName(name); }
};
// Every entry of a folder ("." and ".." left out), in the order the file system gives them; an empty
// list when the folder cannot be read.
QList<FolderEntry> ReadFolder(const QString &folder);

// What a path names, by its bytes (links followed unless `lstat`): false when nothing is there.
struct NameStat {
    bool exists = false;
    bool folder = false;
    bool file = false;
    bool link = false;
    qint64 size = 0;
};
NameStat StatName(const QString &path, bool lstat = false);
// The local file a file: address names, its bytes kept (QUrl::toLocalFile turns a "%FF" into U+FFFD).
QString LocalFileName(const QUrl &url);
// The file: address of a path; a name that is no text is percent-encoded by its bytes (QUrl::fromLocalFile
// would encode the escapes as text, which names another file).
QUrl FileUrlOf(const QString &path);
// The path of a file: (or other path-like) address, its bytes kept.
QString PathOfUrl(const QUrl &url);
// The path with every link and "." or ".." resolved, by its bytes; empty when it names nothing.
QString CanonicalName(const QString &path);

} // namespace platform
