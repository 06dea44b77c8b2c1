#pragma once
// The file list: the user's favourite files, kept in "filelist.qvl" in the program folder, opened from
// here in new document windows.
#include "platform/form.h"
#include "platform/shell/filedialogs.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace assistants {

class TFilelist : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TFilelist(QWidget *parent = nullptr);
    ~TFilelist() override;

    QListWidget *ListBox1 = nullptr;
    QLineEdit *Edit1 = nullptr; // hidden: the path being opened
    QPushButton *AddFilesButton = nullptr, *DeleteButton = nullptr, *EditButton = nullptr, *CloseButton = nullptr;
    QMenu *PopupMenu1 = nullptr;

    // Runs the open dialog; true when files were chosen. Without it the dialog runs from the home folder.
    std::function<bool(QWidget *parent, platform::FileDialogRequest &request)> OnRunFileDialog;
    // Opens a path in a new document window.
    std::function<void(const QString &path)> OnEdit;

    QStringList Files() const;
    // Appends each path not in the list yet (compared without regard to case), then saves.
    void AddFiles(const QStringList &paths);
    void AddFilesClick();
    void DeleteClick();
    void EditClick();
    // Writes the list when it changed since the last good write; a failure is reported once until a
    // write succeeds again. False when the file could not be written.
    bool Save();
    static QString ListFile();

protected:
    // Every way of closing (Close, Escape, the title bar) ends here.
    void done(int result) override;

private:
    void changed();
    bool dirty_ = false;
    bool reported_ = false;
};

} // namespace assistants
