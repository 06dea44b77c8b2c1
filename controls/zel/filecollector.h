#pragma once
// Searches a folder and every folder below it for files matching a mask.
#include "controls/zel/systemscomponent.h"

#include <QStringList>

namespace zel {

using TZELOnFileFound = std::function<void(QObject *sender, const QString &fileName)>;

class TZELFileCollector : public TZELExecuteComponent {
    Q_OBJECT
public:
    explicit TZELFileCollector(QObject *owner = nullptr) : TZELExecuteComponent(owner) {}

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
    bool Running() const { return running_; }

private:
    void collect(const QString &dir);
    QStringList located_;
    QStringList visited_; // real paths of the folders searched, so that a linked loop is entered once
    bool running_ = false;
};

// A folder path ending in exactly one separator (the root stays "/").
QString WithTrailingSeparator(const QString &dir);

} // namespace zel
