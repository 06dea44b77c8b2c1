#pragma once
// The open and save file dialogs, run through the modal seam (platform::ShowModal) so that tests answer
// them: an answerer gets the QFileDialog, picks files with selectFile() and returns mrOk.
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// Options of our open and save dialogs (TOpenOptions), one bit each.
enum OpenOption : unsigned {
    ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2, ofNoChangeDir = 1u << 3,
    ofShowHelp = 1u << 4, ofNoValidate = 1u << 5, ofAllowMultiSelect = 1u << 6, ofExtensionDifferent = 1u << 7,
    ofPathMustExist = 1u << 8, ofFileMustExist = 1u << 9, ofCreatePrompt = 1u << 10, ofShareAware = 1u << 11,
    ofNoReadOnlyReturn = 1u << 12, ofNoTestFileCreate = 1u << 13, ofNoNetworkButton = 1u << 14,
    ofNoLongNames = 1u << 15, ofOldStyleDialog = 1u << 16, ofNoDereferenceLinks = 1u << 17,
    ofEnableIncludeNotify = 1u << 18, ofEnableSizing = 1u << 19,
};
using OpenOptions = unsigned;

struct FileDialogRequest {
    bool save = false;
    QString title;      // empty: "Open" or "Save As"
    QString initialDir; // empty: the folder of fileName, else the current folder
    QString filter;     // "Gif Files|*.gif|All Files|*.*"
    QString defaultExt; // appended (with a dot) to a chosen name that has no extension
    QString fileName;   // in: the name shown first; out: the chosen file
    int filterIndex = 1; // 1-based, in and out
    OpenOptions options = 0;
    QStringList files;   // out: every chosen file (several with ofAllowMultiSelect)
};

// Runs the dialog; true when the user confirmed a choice (request then holds it).
bool ExecuteFileDialog(QWidget *parent, FileDialogRequest &request);

} // namespace platform
