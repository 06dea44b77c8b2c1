// Reads any bytes as a line list of the program folder (the file list, the custom templates): either the
// read is refused with an error, or every entry is a line without line breaks, and the entries written
// back read back the same. A name the custom templates accept stays inside the program folder.
#include "app/assistants/listfile.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *home = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    home = new QTemporaryDir;
    qputenv("KESTROVA_HOME", (home->path() + QStringLiteral("/program")).toLocal8Bit());
    qputenv("KESTROVA_DATA", (home->path() + QStringLiteral("/shipped")).toLocal8Bit());
    QDir().mkpath(home->path() + QStringLiteral("/shipped/templates"));
    QDir().mkpath(home->path() + QStringLiteral("/program/templates"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = home->path() + QStringLiteral("/list.qvl");
    platform::WriteFileAtomic(path, bytes);
    QStringList entries;
    try {
        entries = assistants::ReadLineList(path);
    } catch (const platform::Error &) {
        return 0;
    }
    bool utf16 = true;
    for (const QString &e : entries) {
        if (e.isEmpty() || e.contains(QLatin1Char('\r')) || e.contains(QLatin1Char('\n')))
            std::abort();
        utf16 = utf16 && e.isValidUtf16();
        if (!assistants::RefusedTemplateName(e).isEmpty())
            continue;
        // Accepted: a file directly inside the program folder, and not a folder of it.
        const QString target = platform::ProgramFile(e);
        if (QFileInfo(QDir::cleanPath(target)).absolutePath() != QDir::cleanPath(platform::ProgramFolder()) ||
            QFileInfo(target).isDir() || e.contains(QLatin1Char('/')))
            std::abort();
    }
    if (!utf16)
        return 0; // a lone surrogate has no UTF-8 form; no path holds one
    const QString again = home->path() + QStringLiteral("/again.qvl");
    assistants::WriteLineList(again, entries);
    if (assistants::ReadLineList(again) != entries)
        std::abort();
    return 0;
}
