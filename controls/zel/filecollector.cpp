#include "filecollector.h"

#include "platform/filenames.h"
#include "platform/shell/masks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

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
    if (Running())
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
    const QString real = platform::CanonicalName(dir);
    if (real.isEmpty() || visited_.contains(real))
        return;
    visited_ << real;
    if (OnDirectoryFound)
        OnDirectoryFound(this);

    QStringList folders, files;
    for (const platform::FolderEntry &e : platform::ReadFolder(dir)) {
        if (e.folder && e.link && !FollowLinks)
            continue;
        if (e.folder)
            folders << dir + e.name + QLatin1Char('/');
        else if (platform::MatchesMask(e.name, FileMask))
            files << dir + e.name;
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

// The state of one background search, shared by the worker and the collector.
struct TZELFileCollector::Walk {
    using Clock = std::chrono::steady_clock;
    std::atomic<bool> stop{false};
    QString mask;
    bool follow = true;
    TZELFileCollector *owner = nullptr;
    std::weak_ptr<Walk> self;
    QStringList pending;
    Clock::time_point lastPost;
    bool posted = false;
    std::set<std::pair<dev_t, ino_t>> visited;

    // Batches go out at once for the first files, then at most every 25 ms or 2000 files, so the window
    // shows results early and never spends long adding one batch.
    void post(bool last)
    {
        if (!last && (pending.isEmpty() || (posted && Clock::now() - lastPost < std::chrono::milliseconds(25) &&
                                            pending.size() < 2000)))
            return;
        posted = true;
        lastPost = Clock::now();
        QStringList files = std::move(pending);
        pending = QStringList();
        TZELFileCollector *c = owner;
        QMetaObject::invokeMethod(
            c, [c, me = self.lock(), files = std::move(files), last]() mutable { c->delivered(me, std::move(files), last); },
            Qt::QueuedConnection);
    }

    bool enter(const QByteArray &dir)
    {
        if (!follow)
            return true;
        struct stat st;
        if (::stat(dir.constData(), &st) != 0)
            return false;
        return visited.insert({st.st_dev, st.st_ino}).second; // a linked loop is entered once
    }

    void walk(const QByteArray &dir)
    {
        if (stop || !enter(dir))
            return;
        DIR *d = ::opendir(dir.constData());
        if (!d)
            return;
        QStringList files;
        std::vector<std::pair<QString, QByteArray>> folders;
        while (const dirent *e = ::readdir(d)) {
            if (stop)
                break;
            const char *name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            bool folder = e->d_type == DT_DIR;
            if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
                const QByteArray full = dir + name;
                struct stat st;
                if (::lstat(full.constData(), &st) != 0)
                    continue;
                if (S_ISLNK(st.st_mode)) {
                    if (::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
                        if (!follow)
                            continue;
                        folder = true;
                    }
                } else {
                    folder = S_ISDIR(st.st_mode);
                }
            }
            const QString qname = platform::DecodeName(name);
            if (folder)
                folders.emplace_back(qname, dir + name + '/');
            else if (platform::MatchesMask(qname, mask))
                files << qname;
        }
        ::closedir(d);
        if (stop)
            return;
        std::sort(files.begin(), files.end(), platform::NameLess);
        const QString prefix = platform::DecodeName(dir);
        for (const QString &f : files)
            pending << prefix + f;
        post(false);
        std::sort(folders.begin(), folders.end(),
                  [](const auto &a, const auto &b) { return platform::NameLess(a.first, b.first); });
        for (const auto &f : folders)
            walk(f.second);
    }
};

TZELFileCollector::~TZELFileCollector()
{
    if (walk_)
        walk_->stop = true;
    if (worker_.joinable())
        worker_.join();
}

bool TZELFileCollector::Start()
{
    if (Running())
        return false;
    if (OnStart)
        OnStart(this);
    located_.clear();
    if (InitialDirectory.isEmpty())
        InitialDirectory = QDir::currentPath();
    InitialDirectory = WithTrailingSeparator(InitialDirectory);
    auto walk = std::make_shared<Walk>();
    walk->mask = FileMask;
    walk->follow = FollowLinks;
    walk->owner = this;
    walk->self = walk;
    walk_ = walk;
    const QByteArray root = platform::EncodeName(InitialDirectory);
    worker_ = std::thread([walk, root] {
        walk->walk(root);
        walk->post(true);
    });
    return true;
}

void TZELFileCollector::Stop()
{
    if (!walk_)
        return;
    walk_->stop = true;
    if (worker_.joinable())
        worker_.join();
    walk_.reset(); // a batch still on its way finds itself stale
    if (OnDone)
        OnDone(this);
}

void TZELFileCollector::delivered(const std::shared_ptr<Walk> &walk, QStringList files, bool last)
{
    if (walk != walk_)
        return;
    if (!files.isEmpty()) {
        located_ << files;
        if (OnFilesFound)
            OnFilesFound(this, files);
    }
    if (!last || walk != walk_) // a handler may have stopped the search
        return;
    if (worker_.joinable())
        worker_.join();
    walk_.reset();
    if (OnDone)
        OnDone(this);
}

} // namespace zel
