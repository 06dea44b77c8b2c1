#include "shell.h"

#include "platform/dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

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

bool MoveToTrash(const QString &path)
{
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return false;
    return QFile::moveToTrash(path);
}

} // namespace platform
