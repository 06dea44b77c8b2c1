#include "fileio.h"

#include "error.h"
#include "filenames.h"
#include "folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString notAFile(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("It is a named pipe, not a file.");
    if (S_ISSOCK(mode))
        return QStringLiteral("It is a socket, not a file.");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("It is a device, not a file.");
    if (S_ISDIR(mode))
        return QStringLiteral("It is a folder, not a file.");
    return QStringLiteral("It is not a file.");
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens without waiting and hands the descriptor to `file` once it is known to be a regular file; false and
// the reason otherwise.
bool openChecked(QFile &file, const QString &path, int flags, QIODevice::OpenMode mode, QString *why)
{
    const QByteArray name = EncodeName(path);
    // Not even opened when it is no file: opening a device can act on it, and opening a pipe can set free
    // another program waiting at its other end.
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        *why = notAFile(st.st_mode);
        return false;
    }
    const int fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        // A pipe put in its place meanwhile refuses a writer that does not wait while it has no reader.
        if (error == ENXIO && ::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            *why = notAFile(st.st_mode);
        else
            *why = error == ELOOP && (flags & O_NOFOLLOW) ? QStringLiteral("It is a symbolic link.") : systemReason(error);
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = notAFile(st.st_mode);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if ((flags & O_ACCMODE) != O_RDONLY && ::ftruncate(fd, 0) != 0) {
        *why = systemReason(errno);
        ::close(fd);
        return false;
    }
    file.setFileName(path);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        *why = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
}

// A file whose name is no text, written as QSaveFile writes (a temporary beside it, renamed over it), by the
// name's bytes: QSaveFile would write to the name with U+FFFD in place of those bytes. It lies in a folder
// that exists, as such a name only comes from a listing.
void writeByBytes(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = EncodeName(QFileInfo(path).absoluteFilePath());
    QByteArray temp = target.left(target.lastIndexOf('/') + 1) + ".k5save-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw FileError(FileErrorText(QStringLiteral("create"), path, systemReason(errno)));
    // The old file's mode, else what a new file gets.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(target.constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    QString why;
    for (qsizetype done = 0; why.isEmpty() && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            why = n == 0 ? QStringLiteral("Nothing more could be written.") : systemReason(errno);
    }
    if (why.isEmpty() && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0))
        why = systemReason(errno);
    if (::close(fd) != 0 && why.isEmpty())
        why = systemReason(errno);
    if (why.isEmpty() && ::rename(temp.constData(), target.constData()) != 0)
        why = systemReason(errno);
    if (!why.isEmpty()) {
        ::unlink(temp.constData());
        throw FileError(FileErrorText(QStringLiteral("write"), path, why));
    }
}

} // namespace

QString FileErrorText(const QString &verb, const QString &path, const QString &why)
{
    return QStringLiteral("Cannot %1 file \"%2\". %3").arg(verb, QDir::toNativeSeparators(ShownName(path)), Punctuated(why));
}

bool TryOpenForReading(QFile &file, const QString &path, QString *why, Links links)
{
    QString reason;
    const bool ok = openChecked(file, path, O_RDONLY | (links == Links::Refuse ? O_NOFOLLOW : 0), QIODevice::ReadOnly, &reason);
    if (why)
        *why = reason;
    return ok;
}

void OpenForReading(QFile &file, const QString &path)
{
    QString why;
    if (!TryOpenForReading(file, path, &why))
        throw FileError(FileErrorText(QStringLiteral("open"), path, why));
}

void OpenForWriting(QFile &file, const QString &path, QIODevice::OpenMode mode)
{
    QString why;
    if (!openChecked(file, path, O_WRONLY | O_CREAT, mode, &why))
        throw FileError(FileErrorText(QStringLiteral("create"), path, why));
}

QByteArray ReadWholeFile(const QString &path)
{
    QFile f;
    OpenForReading(f, path);
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw FileError(FileErrorText(QStringLiteral("read"), path, f.errorString()));
    return bytes;
}

void WriteFileAtomic(const QString &path, const QByteArray &bytes)
{
    if (!IsTextName(path)) {
        writeByBytes(path, bytes);
        return;
    }
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
        throw FileError(FileErrorText(QStringLiteral("create"), path, f.errorString()));
    // The temporary is made private before a byte of it is written.
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (secret && !f.setPermissions(f.permissions() & owner)) {
        const QString why = f.errorString();
        f.cancelWriting();
        throw FileError(QStringLiteral("Cannot make file \"%1\" private. %2").arg(QDir::toNativeSeparators(ShownName(path)), Punctuated(why)));
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
        throw FileError(FileErrorText(QStringLiteral("write"), path, why));
    }
    if (!f.commit())
        throw FileError(FileErrorText(QStringLiteral("write"), path, f.errorString()));
}

FileStamp StampOf(const QString &path)
{
    struct stat st;
    if (::stat(EncodeName(path).constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

} // namespace platform
