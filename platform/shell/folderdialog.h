#pragma once
// The folder chooser: a tree of folders with a prompt above it, an optional status line, and OK enabled
// only for what its owner accepts. Run it with platform::ShowModal; an answerer picks a folder with
// SetSelection() and returns mrOk.
#include <QDialog>
#include <QPersistentModelIndex>
#include <functional>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QTreeView;

namespace platform {

class FolderDialog : public QDialog {
    Q_OBJECT
public:
    // root: the folder at the top of the tree; empty for the whole file system.
    FolderDialog(QWidget *parent, const QString &prompt, const QString &root, bool statusLine);

    // Highlights a folder as the user would (and reports the change); an empty path highlights nothing.
    // The folder is scrolled into view, and kept there while the folders around it are still being read,
    // until the user moves or scrolls.
    void SetSelection(const QString &path);
    // The highlighted folder; empty when nothing or no file-system folder is highlighted.
    QString SelectedPath() const;
    void SetStatusText(const QString &text);
    QString StatusText() const;
    bool HasStatusLine() const { return statusLine_; }
    void EnableOk(bool enable);
    bool OkEnabled() const;
    // Puts the dialog in the middle of the screen.
    void CentreOnScreen();

    // Called on every change of the highlighted folder with its path.
    std::function<void(const QString &path)> OnSelectionChanged;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectionChanged();
    void keepInView();
    QFileSystemModel *model_;
    QTreeView *tree_;
    QLabel *status_;
    QDialogButtonBox *buttons_;
    bool statusLine_;
    QString statusText_;
    QPersistentModelIndex keptInView_;
    bool keepQueued_ = false;
};

// The folder that stands for a special folder number (0 desktop, 5 documents, 16 the desktop folder,
// 17 the whole machine, ...); empty when this machine has no such folder.
QString SpecialFolderPath(int csidl);

// Shortens a path for a status line: the second part becomes "...", then the third parts are dropped
// while it is still longer than maxLength; a path of fewer than three parts stays as it is.
QString ShortenPath(const QString &path, int maxLength = 35, QChar separator = QLatin1Char('/'));

} // namespace platform
