#pragma once
// The main window: the MDI frame that owns every document window, with the File and Window menus, the
// status line and the hidden hand-over controls through which dialogs reach the active document.
#include "app/relay.h"
#include "platform/fileio.h"
#include "platform/form.h"
#include "platform/shell/filedialogs.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <limits>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;

namespace misc {
class TProBorder;
}
namespace zel {
class TZELFormSaver;
}
namespace speedbar {
class TSpeedBar;
class TSpeedItem;
}

namespace app {

class TEditForm;

class TFrameForm : public platform::FormOf<QMainWindow> {
    Q_OBJECT
public:
    // The file kinds the Open dialogs offer.
    static const char *const OpenFilter;

    TFrameForm();
    ~TFrameForm() override;

    // The document window that code of the frame works on; null when none is open.
    TEditForm *ActiveEditForm() const;
    QList<TEditForm *> EditForms() const; // MDI child list, index 0 the active one
    int MDIChildCount() const { return int(EditForms().size()); }
    QMdiArea *MdiArea() const { return mdiArea_; }

    // Creates a document window, maximised and active.
    TEditForm *CreateEditForm();
    // Opens a file in a new document window; a file that cannot be read leaves no window behind and the
    // active document active (the error is raised). asFullPath: the way of drops and the side browser (path
    // in Edit4, caption the full path). A file already open (the same file, whatever the path that names
    // it) is not read again: its window becomes the active one.
    TEditForm *OpenDocument(const QString &path, bool asFullPath);
    // The same, with a refusal shown in a message box that names the file and the reason; null then.
    TEditForm *OpenFile(const QString &path, bool asFullPath);
    // The window of a file, when it is open.
    TEditForm *DocumentOf(const QString &path) const;
    // Where a file dialog starts: the folder of the given document (else of the active one) when it has a
    // file, else the folder last chosen in a file dialog, else the home folder.
    QString DialogFolder(const TEditForm *doc = nullptr) const;
    // Runs a file dialog from DialogFolder(doc) and remembers the chosen file's folder.
    bool RunFileDialog(QWidget *parent, platform::FileDialogRequest &request, const TEditForm *doc = nullptr);

    // Inserts at the caret of the active document; discarded when none is open.
    void InsertIntoActive(const QString &text);
    // Replaces the active document's whole text as one edit (one undo step); discarded when none is open.
    void ReplaceActive(const QString &text);

    // Menus.
    QMenu *File1 = nullptr;
    QMenu *Window1 = nullptr;
    QAction *New1 = nullptr, *Open1 = nullptr, *ProjectManager1 = nullptr, *EditFilelist1 = nullptr,
            *StartProject1 = nullptr, *StartTheme1 = nullptr, *CloseProject1 = nullptr, *Exit1 = nullptr,
            *Tile1 = nullptr, *Cascade1 = nullptr, *Arrangeicons1 = nullptr, *MinimazeAll1 = nullptr;

    misc::TProBorder *ProBorder1 = nullptr; // holds the MDI client area

    // The tool bar (on any edge of the client panel) and its pop-up menu.
    speedbar::TSpeedBar *SpeedBar1 = nullptr;
    QMenu *PopupMenu2 = nullptr;
    QAction *Customize1 = nullptr;
    // Opens the bar's customize window.
    void SpeedBar1DblClick();
    // New and Open are always enabled; the other items only with a document, and those that run one of
    // its menu items only while that item is enabled.
    void UpdateToolBar();
    // The bar's layout in kestrova5.ini; a failed save is reported and loses nothing.
    void RestoreToolBarLayout();
    void SaveToolBarLayout();
    // Keeps the place, size and state of the forms from one run to the next.
    zel::TZELFormSaver *ZELFormSaver1 = nullptr;

    // Status line.
    QWidget *PanStatus = nullptr;
    QLabel *LblOffset = nullptr, *LblPar = nullptr, *LblLine = nullptr, *LblCol = nullptr, *LblProgress = nullptr,
           *LblOverwrite = nullptr, *Hint_Label = nullptr;

    // Hidden hand-over controls.
    TRelay *Memo1, *DHTML_Memo, *TempMemo, *Memo_Project1, *Start_Edit, *Edit2, *Edit3, *gem, *Memo4, *Memo2;
    TRelay *Tag, *Tag1, *Tag2;
    THiddenButton *Start1, *Start2, *Search_Start, *Button_CloseAll;
    THiddenButton *Knap_Link;

    // Handlers.
    void New1Click();
    void Start1Click();
    void Start2Click();
    void Open1Click();
    void Search_StartClick();
    void Exit1Click();
    void MinimazeAll1Click();
    void Arrangeicons1Click();
    void Button_CloseAllClick();
    void CloseProject1Click();
    void LblOverwriteClick();
    // Inserts the tag built from the Link dialog's values (its OK clicks Knap_Link).
    void Knap_LinkClick();
    // The work of every dialog's hidden button: the newest instance of the class builds its text, which
    // goes to the active document by the dialog's route.
    void HandOver(const QString &className);
    // Opens the files of a drop (those whose extension is listed in Memo4); a file that cannot be opened
    // is reported and ends the drop.
    void DropFiles(const QStringList &paths);
    // One tick of the plug-in poll (also run by its timer). The file is taken as soon as its writer has
    // finished it (closed it, or renamed it into place) and nothing was written since; a file whose
    // finish was not seen (a writer that keeps it open) once its size and time have stayed the same for
    // PluginRestMs (by qv::TickCount).
    void PollPlugin();
    static constexpr qint64 PluginRestMs = 2000;
    // Enables the window commands while a document is open.
    void UpdateDocumentCommands();
    // The status line shows the active document's caret and mode; empty while none is open.
    void UpdateStatus();

    // Hooks for the windows and bars that join the frame later (template dialog, tool bar, start dialog).
    std::function<void()> OnShowTemplates;
    std::function<void(bool anyDocument)> OnDocumentCountChanged;
    std::function<void()> OnShutdown;
    // The File menu's project, file list, shared border and theme windows join later: each item stays
    // disabled until its hook is set (then UpdateDocumentCommands() enables it). "Close Shared Border or
    // Theme" follows the shared border and theme hooks.
    std::function<void()> OnProjectManager, OnEditFilelist, OnStartProject, OnStartTheme;
    bool SharedBordersAvailable() const { return OnStartProject || OnStartTheme; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildStatusLine();
    void buildToolBar(QWidget *panel);
    void runToolItem(int index);
    void buildHandOver();
    void mergeMenus();
    void relayInsert(TRelay *relay, bool empty);
    TEditForm *adopt(TEditForm *doc);
    // Modal windows and pop-up menus run event loops of their own inside the code that opened them (a
    // menu item's handler, a button's click), which goes on with its windows and menus once the loop
    // returns. Each is noted with the loop level it was opened from.
    void noteLoopWindow(QWidget *window);
    // Closes them, newest first, and lowers *level to the lowest level they were opened from; false
    // when one stays open (the user kept it).
    bool closeLoopWindows(int *level);

    QMdiArea *mdiArea_ = nullptr;
    QTimer *pluginTimer_ = nullptr;
    QString pluginError_;
    struct {
        platform::FileStamp stamp;
        qint64 since = 0;
    } pluginSeen_;
    platform::FileStamp pluginFinished_; // the plug-in file as its writer finished it
    QString lastFolder_;
    QList<speedbar::TSpeedItem *> toolItems_; // SpeedItem1 .. SpeedItem101
    QList<QPair<QPointer<QWidget>, int>> loopWindows_;
    // A close the documents agreed to that waits until the loops of the windows it closed have returned
    // (to unwindTo_): nothing is destroyed under code that still runs.
    bool agreed_ = false;
    int unwindTo_ = std::numeric_limits<int>::max();
    int unwindTries_ = 0;
};

// The single main window.
extern TFrameForm *FrameForm;

} // namespace app
