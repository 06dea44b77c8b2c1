#include "fileio.h"

#include "error.h"
#include "folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <sys/stat.h>

namespace platform {

QByteArray ReadWholeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), f.errorString()));
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read file \"%1\". %2").arg(QDir::toNativeSeparators(path), f.errorString()));
    return bytes;
}

void WriteFileAtomic(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    const bool secret = IsInConfigFolder(info.absoluteFilePath());
    if (secret)
        MakePrivateFolder(info.absolutePath());
    else
        QDir().mkpath(info.absolutePath());
    QSaveFile f(path);
    // A read-only folder must fail loudly rather than fall back to writing in place.
    f.setDirectWriteFallback(false);
    // Unbuffered: a disk that takes only part of the bytes (full, or past a size limit) answers with a
    // short count, which a buffered write would lose when flushing, and the cut file would be committed.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), f.errorString()));
    // The temporary is made private before a byte of it is written.
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (secret && !f.setPermissions(f.permissions() & owner)) {
        const QString why = f.errorString();
        f.cancelWriting();
        throw FileError(QStringLiteral("Cannot make file \"%1\" private. %2").arg(QDir::toNativeSeparators(path), why));
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break; // the next write after a short one gives the reason
        done += n;
    }
    if (done != bytes.size()) {
        const QString why = f.errorString();
        f.cancelWriting();
        throw FileError(QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), why));
    }
    if (!f.commit())
        throw FileError(QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), f.errorString()));
}

FileStamp StampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

} // namespace platform
