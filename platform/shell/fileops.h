#pragma once
// Copy, move, delete and rename of file lists with confirmation prompts, error messages and progress, in
// the manner of the system shell. Prompts go through platform::MessageBox, so tests answer them.
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

enum FileOpFunc : unsigned { FO_MOVE = 1, FO_COPY = 2, FO_DELETE = 3, FO_RENAME = 4 };

enum FileOpFlag : unsigned {
    FOF_MULTIDESTFILES = 0x1,   // the target list names one destination per source
    FOF_CONFIRMMOUSE = 0x2,     // (no effect)
    FOF_SILENT = 0x4,           // no progress window
    FOF_RENAMEONCOLLISION = 0x8, // "name (2).ext" instead of replacing
    FOF_NOCONFIRMATION = 0x10,  // answer every prompt with yes
    FOF_WANTMAPPINGHANDLE = 0x20, // fill nameMappings with the renames on collision
    FOF_ALLOWUNDO = 0x40,       // delete moves to the trash
    FOF_FILESONLY = 0x80,       // wildcards take files only
    FOF_SIMPLEPROGRESS = 0x100, // progress without file names
    FOF_NOCONFIRMMKDIR = 0x200, // create a missing target folder without asking
};

enum FileOpResult : int { FileOpOk = 0, FileOpFailed = 1, FileOpCancelled = 1223 };

struct FileOperation {
    QWidget *owner = nullptr;
    unsigned func = FO_COPY;
    // NUL-separated lists closed by an empty entry ("a\0b\0\0"); relative names are taken from the
    // current folder; the last part of a source may hold '*' and '?' (a source that names an existing
    // file or folder is that one, whatever characters its name holds).
    QString from;
    QString to;
    unsigned flags = 0;
    bool anyOperationsAborted = false;
    QList<QPair<QString, QString>> nameMappings;
    QString progressTitle;
};

// Runs the operation; FileOpOk when everything asked for was done. A missing source, a declined prompt,
// a copy or move of a folder into itself and every system error make it fail (after a message).
int ShellFileOperation(FileOperation &op);

// The entries of a NUL-separated list, up to the empty entry that ends it.
QStringList SplitNulList(const QString &list);
// A free name beside an existing one: "name (2).ext", "name (3).ext", ...
QString NameOnCollision(const QString &path);

} // namespace platform
