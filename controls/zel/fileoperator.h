#pragma once
// Copies, deletes, moves or renames a list of files in one shell file operation and reports the
// outcome through events.
#include "controls/zel/systemscomponent.h"
#include "platform/shell/fileops.h"

#include <QStringList>

namespace zel {

enum TZELFileFunction { CopyFile, DeleteFile, MoveFile, RenameFile };

enum TZELFileFlag : unsigned {
    opAllowUndo = 1u << 0, opConfirmMouse = 1u << 1, opFilesOnly = 1u << 2, opMultiDestFiles = 1u << 3,
    opNoConfirmation = 1u << 4, opNoConfirmMkDir = 1u << 5, opRenameOnCollision = 1u << 6, opSilent = 1u << 7,
    opSimpleProgress = 1u << 8, opWantMappingHandle = 1u << 9,
};
using TZELFileFlags = unsigned;

class TZELFileOperator : public TZELExecuteComponent {
    Q_OBJECT
public:
    explicit TZELFileOperator(QObject *owner = nullptr);

    QStringList FilesFrom; // names relative to DirFrom
    QString DirTo;
    QString DirFrom;
    TNotifyEvent OnDone;
    TNotifyEvent OnSuccessRename, OnSuccessDelete, OnSuccessCopy, OnSuccessMove;
    TNotifyEvent OnFailRename, OnFailDelete, OnFailCopy, OnFailMove;
    TZELFileFunction Operation = CopyFile;

    // The flags live in the operation record only.
    TZELFileFlags Flags() const;
    void SetFlags(TZELFileFlags flags);

    // True when the operation did all it was asked; raises "Directory Information is invalid" when DirTo
    // is empty and "Can not locate current Directory" when DirFrom cannot be entered.
    bool Execute() override;
    // The operation record of the last Execute (source and target lists, flags, title, mappings).
    const platform::FileOperation &OperationRecord() const { return record_; }

private:
    platform::FileOperation record_;
    bool running_ = false;
};

} // namespace zel
