#pragma once
// Tells as soon as a writer has finished a file in a folder: closed it after writing, or renamed a whole
// file into the folder. Through inotify on Linux; elsewhere, or when the folder cannot be watched, it
// never tells (Watching() is false) and the caller keeps to polling.
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

namespace platform {

class FinishedFiles : public QObject {
    Q_OBJECT
public:
    explicit FinishedFiles(const QString &folder, QObject *parent = nullptr);
    ~FinishedFiles() override;
    bool Watching() const { return fd_ >= 0; }

    // A file of the folder (its name, without the folder) that a writer has finished.
    std::function<void(const QString &name)> OnFinished;
    // A file of the folder that was written to, by a writer that may still go on.
    std::function<void(const QString &name)> OnWritten;

private:
    void readEvents();
    int fd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace platform
