#pragma once
// The folder chooser as a dialog component (TZELFolderBrowser) and as a lookup edit (TZELFolderLookup).
#include "controls/zel/lookupedit.h"
#include "controls/zel/systemscomponent.h"
#include "platform/shell/folderdialog.h"

#include <QPointer>

namespace zel {

enum TZELBeeptype { bNone, bDefault, bAsterix, bExclamation, bQuestion, bCriticalStop };

// Base of the dialog components: the beep of Sound at the start of Execute.
class TZELDialogComponent : public TZELSystemsComponent {
    Q_OBJECT
public:
    explicit TZELDialogComponent(QObject *owner = nullptr) : TZELSystemsComponent(owner) {}
    TZELBeeptype Sound = bNone;
    virtual bool Execute();
};

// Bits of the browse flag sets (the lookup's DisplayPath has no browse flag of its own).
enum TZELBrowseInfoFlag : unsigned {
    bifFileSystemDirsOnly = 1u << 0, bifDontGoBelowDomain = 1u << 1, bifStatusText = 1u << 2,
    bifFileSystemAncestors = 1u << 3, bifBrowseForComputer = 1u << 4, bifBrowseForPrinter = 1u << 5,
};
enum TZELInfoFlag : unsigned {
    FileSystemDirsOnly = 1u << 0, DontGoBelowDomain = 1u << 1, StatusText = 1u << 2,
    FileSystemAncestors = 1u << 3, LookupForComputer = 1u << 4, LookupForPrinter = 1u << 5,
    DisplayPath = 1u << 6,
};
using TZELBrowseInfoFlagSet = unsigned;
using TZELInfoFlagSet = unsigned;

enum TZELBrowseRoots {
    csidlDesktop, csidlDesktopExpanded, csidlPrograms, csidlControlPanel, csidlPrinters, csidlPersonal,
    csidlFavorites, csidlStartup, csidlRecent, csidlSendto, csidlRecycleBin, csidlStartMenu,
    csidlDesktopDirectory, csidlMyComputer, csidlNetwork, csidlNetworkNeighborhood, csidlFonts, csidlTemplates,
};
using TZELRoots = TZELBrowseRoots;
// The special folder number of a root (platform::SpecialFolderPath); -1 for the whole namespace.
int RootCsidl(TZELBrowseRoots root);
// The folder at the top of the chooser for a root; empty for the whole file system.
QString RootFolder(TZELBrowseRoots root);

class TZELFolderBrowser : public TZELDialogComponent {
    Q_OBJECT
public:
    explicit TZELFolderBrowser(QObject *owner = nullptr);

    QString BrowseCaption;
    QString BrowseReturnPath;
    TZELBrowseInfoFlagSet BrowseFlags = bifFileSystemDirsOnly | bifStatusText;
    bool BrowsePathLabel = false;
    TZELBrowseRoots BrowseRoot = csidlDesktopExpanded;
    TNotifyEvent BeforeBrowse;
    TNotifyEvent AfterBrowse;
    TNotifyEvent OnPathChanged;

    // True when the user confirmed a folder; BrowseReturnPath and CurrentPath then hold it.
    bool Execute() override;
    QString CurrentPath() const { return currentPath_; }
    QString DisplayName() const { return displayName_; }
    int ImageIndex() const { return imageIndex_; }
    // The chooser while it is open.
    platform::FolderDialog *DialogWindow() const { return dialog_; }

private:
    QPointer<platform::FolderDialog> dialog_;
    QString displayName_;
    int imageIndex_ = 0;
    QString currentPath_;
};

class TZELFolderLookup : public TZELCustomLookupEdit {
    Q_OBJECT
public:
    explicit TZELFolderLookup(QWidget *parent = nullptr);

    QString LookupCaption;
    TZELInfoFlagSet LookupFlags = FileSystemDirsOnly | StatusText;
    TZELRoots LookupRoot = csidlDesktopExpanded;
    TNotifyEvent BeforeLookup;
    TNotifyEvent AfterLookup;
    std::function<void(QObject *sender, const QString &oldPath, const QString &newPath)> OnPathChanged;

    // The lookup of the button: the chooser; a confirmed folder becomes the text.
    void Lookup(QObject *sender);
    QString DisplayName() const { return displayName_; }
    platform::FolderDialog *DialogWindow() const { return dialog_; }

private:
    QPointer<platform::FolderDialog> dialog_;
    QString displayName_;
};

} // namespace zel
