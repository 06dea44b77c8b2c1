#include "filecollector.h"

#include "platform/shell/masks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>

namespace zel {

QString WithTrailingSeparator(const QString &dir)
{
    QString d = dir;
    if (!d.endsWith(QLatin1Char('/')))
        d += QLatin1Char('/');
    while (d.size() > 1 && d.endsWith(QLatin1String("//")))
        d.chop(1);
    return d;
}

bool TZELFileCollector::Execute()
{
    if (running_)
        return false;
    running_ = true;
    auto done = qScopeGuard([this] {
        running_ = false;
        visited_.clear();
    });
    if (OnStart)
        OnStart(this);
    located_.clear();
    if (InitialDirectory.isEmpty())
        InitialDirectory = QDir::currentPath();
    InitialDirectory = WithTrailingSeparator(InitialDirectory);
    collect(InitialDirectory);
    if (OnDone)
        OnDone(this);
    return !located_.isEmpty();
}

void TZELFileCollector::collect(const QString &dir)
{
    QCoreApplication::processEvents();
    const QString real = QFileInfo(dir).canonicalFilePath();
    if (real.isEmpty() || visited_.contains(real))
        return;
    visited_ << real;
    if (OnDirectoryFound)
        OnDirectoryFound(this);

    QStringList folders, files;
    const QFileInfoList entries = QDir(dir).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &e : entries) {
        if (e.isDir())
            folders << dir + e.fileName() + QLatin1Char('/');
        else if (platform::MatchesMask(e.fileName(), FileMask))
            files << dir + e.fileName();
    }
    std::sort(files.begin(), files.end(), platform::NameLess);
    std::sort(folders.begin(), folders.end(), platform::NameLess);
    for (const QString &f : files) {
        located_ << f;
        if (OnFileFound)
            OnFileFound(this, f);
    }
    for (const QString &d : folders)
        collect(d);
}

} // namespace zel
