#include "finishedfiles.h"

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace platform {

FinishedFiles::FinishedFiles(const QString &folder, QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return;
    if (inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY) < 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
#else
    Q_UNUSED(folder);
#endif
}

FinishedFiles::~FinishedFiles()
{
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        notifier_->setEnabled(false);
        ::close(fd_);
    }
#endif
}

void FinishedFiles::readEvents()
{
#ifdef Q_OS_LINUX
    // Read to the end first, so a handler's nested event loop never sees the descriptor half read; the
    // last event of a file decides whether its writer is done.
    QList<QPair<QString, bool>> events;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
            const auto *e = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + e->len;
            if (e->len == 0 || (e->mask & IN_ISDIR))
                continue;
            const QString name = QFile::decodeName(QByteArray(e->name));
            const bool finished = e->mask & (IN_CLOSE_WRITE | IN_MOVED_TO);
            events.removeIf([&name](const QPair<QString, bool> &p) { return p.first == name; });
            events.append({name, finished});
        }
    }
    QPointer<FinishedFiles> self(this);
    for (const auto &[name, finished] : events) {
        if (!self)
            return;
        if (finished && OnFinished)
            OnFinished(name);
        else if (!finished && OnWritten)
            OnWritten(name);
    }
#endif
}

} // namespace platform
