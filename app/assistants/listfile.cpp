#include "listfile.h"

#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace assistants {

QStringList ReadLineList(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    QString text = platform::LoadTextDocument(path).text;
    // Byte order marks at the start belong to no entry (the decoder takes one; an editor may add more).
    qsizetype marks = 0;
    while (marks < text.size() && text[marks] == QChar(0xFEFF))
        ++marks;
    text.remove(0, marks);
    // Split by hand: a regular expression gives up on text that is not valid UTF-16 (a lone surrogate
    // read from a UTF-16 file) and would leave the line breaks inside one entry.
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\r' && text[i] != u'\n')
            continue;
        if (i > start)
            out << text.mid(start, i - start);
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    return out;
}

QString UnlistableName(const QString &path)
{
    if (path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n')))
        return QStringLiteral("\"%1\" holds a line break in its name, and a list keeps one name a line.").arg(path);
    return {};
}

QString UnlistableMessage(const QStringList &paths)
{
    QStringList refused;
    for (const QString &p : paths)
        if (!UnlistableName(p).isEmpty())
            refused << QStringLiteral("\"%1\"").arg(p);
    if (refused.isEmpty())
        return {};
    return QStringLiteral("These files are not added: each holds a line break in its name, and the list keeps one "
                          "name a line.\n\n%1").arg(refused.join(QLatin1Char('\n')));
}

void WriteLineList(const QString &path, const QStringList &entries)
{
    QByteArray bytes;
    // Marks at the very start are taken for byte order marks: a first name that begins with one goes
    // after a blank line, which the reader skips, so that it reads back whole.
    if (!entries.isEmpty() && entries.first().startsWith(QChar(0xFEFF)))
        bytes = "\r\n";
    for (const QString &e : entries) {
        if (const QString why = UnlistableName(e); !why.isEmpty())
            throw platform::FileError(QStringLiteral("Cannot write \"%1\": %2").arg(path, why));
        bytes += e.toUtf8() + "\r\n";
    }
    platform::WriteFileAtomic(path, bytes);
}

namespace {

// Files of the program folder that hand data between its parts or hold its settings.
const char *const ownFiles[] = {"kestrova5", "kestrova5.ini", "registry.ini", "preview.htm", "upload.htm", "kestrova_preview.htm"};

} // namespace

QString RefusedTemplateName(const QString &name)
{
    const QString why = QStringLiteral("\"%1\" cannot be a custom template: ").arg(name);
    if (name.trimmed().isEmpty())
        return QStringLiteral("A custom template needs a file name.");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QLatin1String("..")) ||
        name == QLatin1String(".") || name.contains(QChar(0)))
        return why + QStringLiteral("a template is named by its bare file name.");
    if (!UnlistableName(name).isEmpty())
        return why + QStringLiteral("its name holds a line break, and the list of templates keeps one name a line.");
    bool own = name.endsWith(QLatin1String(".qvl"), Qt::CaseInsensitive);
    for (const char *f : ownFiles)
        own = own || name.compare(QLatin1String(f), Qt::CaseInsensitive) == 0;
    if (QCoreApplication::instance())
        own = own || name == QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    // The shipped data (pages, pictures, folders) lies at the top of the program folder too.
    const QString shipped = platform::ShippedDataFolder();
    if (!shipped.isEmpty() && QFileInfo::exists(shipped + QLatin1Char('/') + name))
        own = true;
    if (QFileInfo(platform::ProgramFile(name)).isDir())
        own = true;
    if (own)
        return why + QStringLiteral("the program keeps a file of its own under that name.");
    return {};
}

} // namespace assistants
