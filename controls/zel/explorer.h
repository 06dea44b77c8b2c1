#pragma once
// The shell folder tree (volumes and folders, loaded as they are expanded) and the file list with
// shell icons. Paths keep the file system's case and end in '/'.
#include "controls/zel/editutils.h"
#include "controls/zel/systemscomponent.h"

#include <QHash>
#include <QListWidget>
#include <QTreeWidget>

namespace zel {

using TZELAddFileEvent = std::function<void(QObject *sender, const QString &fileName, bool &doAdd)>;
using TZELNodeEvent = std::function<void(QObject *sender, QTreeWidgetItem *node)>;
// Called for each folder entry a search step finds (First for the first of a folder) with its path; a
// Result other than 0 ends the search of that folder.
using TZELFindDirectoryEvent = std::function<void(QObject *sender, const QString &path, int &result, bool first)>;

class TZELExplorerTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TZELExplorerTree(QWidget *parent = nullptr);
    ~TZELExplorerTree() override;

    // The selected folder, or "nil" when none is selected.
    QString Directory() const;
    // Selects a folder, loading the levels on the way; raises "Invalid Directory Name" for an empty
    // path; "nil" and folders that are not there change nothing.
    void SetDirectory(const QString &path);
    bool Network() const { return network_; }
    void SetNetwork(bool network);
    bool FastLoad = false;

    TZELAddFileEvent OnAddDirectory;
    TZELNodeEvent OnDeleteItem;
    TZELNodeEvent OnGetIcon;
    TZELFindDirectoryEvent OnFindDirectory;
    TZELNodeEvent OnChange;

    // Reads the volumes again (selection kept where it still can be).
    void Refresh();
    // The last folder selected on each volume, by volume root.
    QString LastFolderOn(const QString &volumeRoot) const { return lastFolder_.value(volumeRoot); }
    bool Ready() const { return ready_; }
    static QString NodePath(const QTreeWidgetItem *node);
    static bool ChildrenLoaded(const QTreeWidgetItem *node);
    void LoadChildren(QTreeWidgetItem *node);

private:
    void reload();
    QTreeWidgetItem *addFolderNode(QTreeWidgetItem *parent, const QString &path, const QString &text);
    bool passesFilter(const QString &path);
    QStringList subfolders(const QString &path, bool firstOnly);
    void probe(QTreeWidgetItem *node);
    void removeChildren(QTreeWidgetItem *node);
    void deleting(QTreeWidgetItem *node);
    void selectionChanged(QTreeWidgetItem *current);
    QString volumeRootOf(const QString &path) const;

    QHash<QString, QString> lastFolder_;
    bool ready_ = false;
    bool network_ = true;
    bool destroying_ = false;
    QString systemFolder_;
};

enum TFileAttr : unsigned { ftReadOnly = 1, ftHidden = 2, ftSystem = 4, ftVolumeID = 8, ftDirectory = 16, ftArchive = 32, ftNormal = 128 };
using TFileType = unsigned;

class TZELExplorerView : public QListWidget {
    Q_OBJECT
public:
    explicit TZELExplorerView(QWidget *parent = nullptr);

    QString Directory() const { return directory_; }
    void SetDirectory(const QString &dir);
    // "*.htm;*.html"; "*.*" lists every file.
    QString Mask() const { return mask_; }
    void SetMask(const QString &mask);
    TFileType FileType() const { return fileType_; }
    void SetFileType(TFileType type);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase c);
    // The selected file with its real name, "" when none is selected.
    QString FileName() const;
    // Reads the folder again.
    void Update();
    TNotifyEvent OnChange;

private:
    QString directory_;
    QString mask_ = QStringLiteral("*.*");
    TFileType fileType_ = ftNormal;
    TEditCharCase charCase_ = ecLowerCase;
};

} // namespace zel
