#include "fileio.h"

#include "error.h"
#include "folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), f.errorString()));
    // The temporary is made private before a byte of it is written.
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (secret && !f.setPermissions(f.permissions() & owner)) {
        const QString why = f.errorString();
        f.cancelWriting();
        throw FileError(QStringLiteral("Cannot make file \"%1\" private. %2").arg(QDir::toNativeSeparators(path), why));
    }
    if (f.write(bytes) != bytes.size()) {
        const QString why = f.errorString();
        f.cancelWriting();
        throw FileError(QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), why));
    }
    if (!f.commit())
        throw FileError(QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(path), f.errorString()));
}

} // namespace platform
