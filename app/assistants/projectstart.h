#pragma once
// The project manager: a tree of projects and their documents, kept in "projects.qvl" in the program
// folder. Several managers may be open at once: each reads the file again before it changes it, so none
// drops what another added.
#include "platform/form.h"
#include "platform/shell/filedialogs.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace tree {
class TTreeFile;
class TZozeZO;
class TZozeZONode;
} // namespace tree

namespace assistants {

// Asks for the name of a new project.
class Tnewproject : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit Tnewproject(QWidget *parent = nullptr);
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;
};

class TProjectStart : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TProjectStart(QWidget *parent = nullptr);
    ~TProjectStart() override;

    static QString ProjectsFile();
    // The root node, which can be neither deleted, opened nor uploaded.
    static QString RootText();

    tree::TZozeZO *TreeView1 = nullptr;
    QLineEdit *Edit1 = nullptr; // hidden: the name handed over by the new project dialog
    QPushButton *NewProjectButton = nullptr, *AddDocumentButton = nullptr, *EditButton = nullptr,
                *UploadButton = nullptr, *DeleteButton = nullptr;
    QMenu *PopupMenu1 = nullptr;

    // A node was selected (its text goes to the main window's open relay).
    std::function<void(const QString &text)> OnSelect;
    // Opens the selected path in a new document.
    std::function<void(const QString &path)> OnOpen;
    // Uploads the selected path; without it the upload button stays grey.
    std::function<void(const QString &path)> OnUpload;
    // Runs the open dialog; without it the dialog runs from the home folder.
    std::function<bool(QWidget *parent, platform::FileDialogRequest &request)> OnRunFileDialog;

    void NewProjectClick();
    void AddDocumentClick();
    void EditClick();
    void UploadClick();
    void DeleteClick();
    void ExpandAllClick();
    void CollapseAllClick();
    // Adds a project named `name` beside the selected node (at the top level when none is selected). Blanks
    // that lead the name are dropped, as the file would read them as levels; blanks only add nothing.
    void AddProject(const QString &name);
    // Adds documents below the selected node, in order; a path holding a line break is refused with a
    // message, as the file could not give it back as one.
    void AddDocuments(const QStringList &paths);
    // Writes the tree when it holds changes not written yet; false when the file could not be written.
    bool Save();

protected:
    void showEvent(QShowEvent *event) override;
    // Every way of closing ends here.
    void done(int result) override;

private:
    // The selected node when it is not the root.
    tree::TZozeZONode *selectedItem() const;
    QStringList pathOf(const tree::TZozeZONode *node) const;
    tree::TZozeZONode *nodeAt(const QStringList &path) const;
    // Reads the file again when it changed since this manager last read or wrote it, keeping the
    // selection; then runs the change and writes the tree.
    void change(const std::function<void()> &work);
    std::unique_ptr<tree::TTreeFile> file_;
    QByteArray lastBytes_; // the file as this manager last read or wrote it
    bool reported_ = false;
};

} // namespace assistants
