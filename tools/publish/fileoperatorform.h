#pragma once
// The "File Operator" window: copies, deletes, moves or renames the file chosen in the source list.
#include "controls/zel/fileoperator.h"

#include <QDialog>

class QPushButton;

namespace zel {
class TZELExplorerTree;
class TZELExplorerView;
}

namespace publish {

class TFileOperatorForm : public QDialog {
    Q_OBJECT
public:
    explicit TFileOperatorForm(QWidget *owner = nullptr);

    zel::TZELExplorerTree *DirectoryListBox2; // source folder
    zel::TZELExplorerView *FileListBox2;      // source files, shown in lower case
    zel::TZELExplorerTree *DirectoryListBox1; // target folder
    zel::TZELExplorerView *FileListbox1;      // target files, never shown
    QPushButton *CopyButton, *DeleteButton, *MoveButton, *RenameButton, *CloseButton;
    zel::TZELFileOperator *ZELFileOperator1;

    void CopyClick() { run(zel::CopyFile); }
    void DeleteClick() { run(zel::DeleteFile); }
    void MoveClick() { run(zel::MoveFile); }
    void RenameClick() { run(zel::RenameFile); }

private:
    void run(zel::TZELFileFunction operation);
    QString folderOf(const zel::TZELExplorerTree *tree) const;
};

} // namespace publish
