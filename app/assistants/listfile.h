#pragma once
// The program's line lists ("filelist.qvl", "customtemplates.qvl"): one entry per line, each ended by
// CR LF, rewritten whole.
#include <QString>
#include <QStringList>

namespace assistants {

// The entries of a list file; a missing file is an empty list, and empty lines are no entries. Raises
// platform::FileError when the file exists but cannot be read.
QStringList ReadLineList(const QString &path);
// Writes the entries atomically (the old file stays whole on failure); raises platform::FileError.
void WriteLineList(const QString &path, const QStringList &entries);

} // namespace assistants
