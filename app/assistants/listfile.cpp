#include "listfile.h"

#include "platform/fileio.h"
#include "platform/textfile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace assistants {

QStringList ReadLineList(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    const QString text = platform::LoadTextDocument(path).text;
    QStringList out;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r"))))
        if (!line.isEmpty())
            out << line;
    return out;
}

void WriteLineList(const QString &path, const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &e : entries)
        bytes += e.toUtf8() + "\r\n";
    platform::WriteFileAtomic(path, bytes);
}

} // namespace assistants
