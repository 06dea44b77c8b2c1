#pragma once
#include <QByteArray>
#include <QString>

namespace platform {

// Reads a whole file; raises FileError when it cannot be opened or read.
QByteArray ReadWholeFile(const QString &path);
// Writes a whole file atomically (a temporary beside it, renamed over the old one); raises FileError,
// and then the old file is untouched. Creates missing parent folders.
void WriteFileAtomic(const QString &path, const QByteArray &bytes);

} // namespace platform
