#include "shell.h"

#include "platform/dialogs.h"
#include "platform/filenames.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QDateTime>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {
std::function<void(unsigned)> beepHook;
std::function<bool(const QString &)> openHook;
} // namespace

void MessageBeep(unsigned type)
{
    if (beepHook)
        beepHook(type);
    else
        QApplication::beep();
}

void SetBeepHook(std::function<void(unsigned)> hook)
{
    beepHook = std::move(hook);
}

bool OpenWithShell(const QString &fileOrUrl)
{
    if (openHook)
        return openHook(fileOrUrl);
    const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(QFileInfo(fileOrUrl).absoluteFilePath())
                                                  : QUrl::fromUserInput(fileOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void SetOpenHook(std::function<bool(const QString &)> hook)
{
    openHook = std::move(hook);
}

bool OpenWithShellOrSay(QWidget *parent, const QString &fileOrUrl)
{
    if (OpenWithShell(fileOrUrl))
        return true;
    const QString what = QFileInfo::exists(fileOrUrl) ? QDir::toNativeSeparators(fileOrUrl) : fileOrUrl;
    MessageBox(parent,
               QStringLiteral("No program is set up to open \"%1\". Install a web browser, or open it with a "
                              "program of your choice.").arg(what),
               ApplicationTitle(), MB_OK | MB_ICONWARNING);
    return false;
}

namespace {

// The home trash of the desktop's trash rules, for a name that is no text (Qt's trash takes names as text).
// Only an item on the trash's own file system goes there: it is renamed in, never copied.
bool trashByBytes(const QString &path)
{
    const QByteArray from = EncodeName(QFileInfo(path).absoluteFilePath());
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    const QByteArray trash = QFile::encodeName(home + QStringLiteral("/Trash"));
    if (!QDir().mkpath(QFile::decodeName(trash + "/files")) || !QDir().mkpath(QFile::decodeName(trash + "/info")))
        return false;
    const QByteArray name = from.mid(from.lastIndexOf('/') + 1);
    const QByteArray info = "[Trash Info]\nPath=" + from.toPercentEncoding("/") + "\nDeletionDate=" +
                            QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const QByteArray taken = n == 1 ? name : name + '.' + QByteArray::number(n);
        const QByteArray infoFile = trash + "/info/" + taken + ".trashinfo";
        const int fd = ::open(infoFile.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = ::write(fd, info.constData(), size_t(info.size())) == info.size();
        ::close(fd);
        const QByteArray kept = trash + "/files/" + taken;
        struct stat st {};
        if (written && ::lstat(kept.constData(), &st) == 0) { // an item without its info: left as it is
            ::unlink(infoFile.constData());
            continue;
        }
        if (written && ::rename(from.constData(), kept.constData()) == 0)
            return true;
        ::unlink(infoFile.constData());
        return false;
    }
    return false;
}

} // namespace

bool MoveToTrash(const QString &path)
{
    if (!StatName(path, true).exists)
        return false;
    if (!IsTextName(path))
        return trashByBytes(path);
    return QFile::moveToTrash(path);
}

} // namespace platform
