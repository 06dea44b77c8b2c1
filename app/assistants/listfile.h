#pragma once
// The program's line lists ("filelist.qvl", "customtemplates.qvl"): one entry per line, each ended by
// CR LF, rewritten whole.
#include <QString>
#include <QStringList>

namespace assistants {

// The entries of a list file; a missing file is an empty list, and empty lines are no entries. Raises
// platform::FileError when the file exists but cannot be read.
QStringList ReadLineList(const QString &path);
// Writes the entries atomically (the old file stays whole on failure); raises platform::FileError, also
// for an entry that would not read back as itself (one holding a line break), writing nothing then.
void WriteLineList(const QString &path, const QStringList &entries);

// Why a file cannot be an entry of a list (empty when it can): a name holding a line break would read
// back as two entries. Files written before hold none, so they read as they always did.
QString UnlistableName(const QString &path);
// The message refusing the files that UnlistableName turns away, or empty when there are none.
QString UnlistableMessage(const QStringList &paths);

// Why a user's template may not have this name (empty when it may): the name must be a bare file name
// (no folder separator, no ".."), and not one of the program's own files (its lists, its settings, the
// hand-over pages, the program itself, the data it ships, a folder of the program folder), so that a
// template never leads a copy or a delete outside the program folder or over its files.
QString RefusedTemplateName(const QString &name);

} // namespace assistants
