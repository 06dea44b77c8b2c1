#pragma once
// Searches a folder and every folder below it for files matching a mask.
#include "controls/zel/systemscomponent.h"

#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

namespace zel {

using TZELOnFileFound = std::function<void(QObject *sender, const QString &fileName)>;

class TZELFileCollector : public TZELExecuteComponent {
    Q_OBJECT
public:
    explicit TZELFileCollector(QObject *owner = nullptr) : TZELExecuteComponent(owner) {}
    ~TZELFileCollector() override;

    TZELOnFileFound OnFileFound;
    TNotifyEvent OnDirectoryFound;
    QString InitialDirectory;
    QString FileMask;
    const QStringList &LocatedObjects() const { return located_; }
    void SetLocatedObjects(const QStringList &list) { located_ = list; }
    TNotifyEvent OnStart;
    TNotifyEvent OnDone;

    // Runs the whole search (the window stays responsive); true when a file was found. A call made while
    // a search runs is refused (false).
    bool Execute() override;
    bool Running() const { return running_ || worker_.joinable(); }

    // Whether folders reached through a symbolic link are searched (a link to a file is always a file).
    bool FollowLinks = true;
    // Runs the search on a worker thread: the files found arrive on this object's thread in batches, in
    // the order Execute finds them, followed by OnDone. False when a search is running already.
    bool Start();
    // Ends a running search: nothing more arrives, OnDone follows. Nothing happens when none runs.
    void Stop();
    std::function<void(QObject *sender, const QStringList &files)> OnFilesFound;

private:
    struct Walk;
    void collect(const QString &dir);
    void delivered(const std::shared_ptr<Walk> &walk, QStringList files, bool last);
    std::shared_ptr<Walk> walk_;
    std::thread worker_;
    QStringList located_;
    QStringList visited_; // real paths of the folders searched, so that a linked loop is entered once
    bool running_ = false;
};

// A folder path ending in exactly one separator (the root stays "/").
QString WithTrailingSeparator(const QString &dir);

} // namespace zel
