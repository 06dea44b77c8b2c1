#pragma once
// The window of one open document: the source in a highlighting text control with its gutter on the
// "Editor" tab, the page in the browser on the "Preview" tab, and reference trees, a file browser, link
// and e-mail shortcuts and a download-time calculator on the side panel.
#include "app/relay.h"
#include "platform/fileio.h"
#include "platform/form.h"
#include "platform/textfile.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QPrinter;
class QPageLayout;

namespace misc {
class TProClockLabel;
}
namespace tree {
class TZozeZO;
}
namespace zel {
class TZELExplorerTree;
class TZELExplorerView;
class TZELControlStore;
class TZELStoreEdit;
}
class QPushButton;
class QComboBox;
class QToolButton;
class QDialog;
class QProgressBar;
class QTimer;

namespace textcontrol {
class TRiloMemo;
class TRiloGutter;
}

namespace dialogs {
class TFindDialog;
class TReplaceDialog;
}

namespace app {

class TFrameForm;
class TPreviewHTML;
class TReplaceAll;

class TEditForm : public platform::FormOf<QWidget> {
    Q_OBJECT
public:
    explicit TEditForm(TFrameForm *frame);
    ~TEditForm() override;

    QString FileName;

    textcontrol::TRiloMemo *RiloMemo1 = nullptr;
    textcontrol::TRiloGutter *RiloGutter1 = nullptr;
    QTabWidget *PageControl2 = nullptr; // "Editor", "Preview"
    QWidget *TabEditor = nullptr;
    QWidget *TabPreview = nullptr;
    QWidget *Leftside = nullptr;
    QTabWidget *PageControl1 = nullptr; // "Tags", "Browse", "Link", "Email", "Document Weight"
    QSplitter *Splitter1 = nullptr;

    // Hidden controls.
    TRelay *Tag, *Fejl, *Edit4, *LinkToKestrova, *Cookie1, *Cookie2, *Cookie3, *Memo2, *RiloMemo2;

    // Side panel: reference trees, link and e-mail pairs.
    tree::TZozeZO *TreeView1 = nullptr, *TreeView2 = nullptr, *TreeView3 = nullptr;
    QPushButton *Knap1 = nullptr, *Knap2 = nullptr;
    zel::TZELControlStore *ZELControlStore1 = nullptr;
    QList<QPair<zel::TZELStoreEdit *, zel::TZELStoreEdit *>> LinkPairs, EmailPairs;
    void TreeDblClick(tree::TZozeZO *tree);
    // A node let go at a point of the screen: inserted when the point is over the editor.
    bool DropTreeNode(tree::TZozeZO *tree, const QPoint &globalPos);
    // A reference tree's text form from the shipped data, read once.
    static QByteArray ReferenceTree(const QString &name);

    // Browse tab.
    zel::TZELExplorerTree *DirectoryListBox1 = nullptr;
    zel::TZELExplorerView *FileListBox1 = nullptr;
    QAction *Edit5 = nullptr, *InsertAsLink1 = nullptr, *WebDocuments1 = nullptr, *AllFiles1 = nullptr;
    void BrowseEdit();
    void BrowseInsertAsLink();

    // Eleven hidden clocks (formats "c" to "d.mm.yyyy tt") for the date stamps.
    QList<misc::TProClockLabel *> ProClockLabels;

    // Document weight.
    QLabel *Dsize = nullptr, *DocKB = nullptr, *Modem144 = nullptr, *Modem288 = nullptr, *Modem566 = nullptr,
           *ModemISDN = nullptr;

    // The editor's pop-up menu.
    QMenu *PopupMenu1 = nullptr;
    // What the date stamp of clock index (0..10) inserts now.
    QString DateStamp(int index) const;
    void RefreshDateStamps(QMenu *stamps);

    // Menus merged into the main window's bar.
    QList<QMenu *> Menus() const { return menus_; }
    QAction *Save1 = nullptr, *Saveas1 = nullptr, *Close1 = nullptr, *CloseAll1 = nullptr, *Print1 = nullptr,
            *Print2 = nullptr, *PrinterSetup1 = nullptr, *Undo1 = nullptr, *Redo1 = nullptr, *Cut1 = nullptr,
            *Copy1 = nullptr, *Paste1 = nullptr, *Delete1 = nullptr, *Selectall1 = nullptr, *Find2 = nullptr,
            *FindNext1 = nullptr, *Replace1 = nullptr, *GoToLine1 = nullptr, *Wordwrap1 = nullptr,
            *HyperLink1 = nullptr;

    // Files. Load raises platform::FileError; what the window held stays as it was then. Larger files
    // are refused unread. A save writes the document in the encoding and with the line ends it was read
    // with; it asks before changing the encoding and before writing over a file that another program
    // changed since it was read or last written. A failed or refused save writes nothing and leaves the
    // document modified.
    static constexpr qint64 MaxFileSize = 1073741824;
    void LoadFile(const QString &path);
    bool Save1Click();   // true when saved
    bool Saveas1Click(); // true when saved
    platform::TextEncoding Encoding() const { return encoding_; }
    platform::LineEnd LineEnds() const { return lineEnd_; }

    // The text relay's work: insert at the caret (replacing the selection).
    void InsertText(const QString &text);
    // The page relay's work: the whole text replaced, not modified afterwards.
    void ReplaceText(const QString &page);
    QString Text() const;
    bool Modified() const;
    void SetModified(bool modified);
    void SetCaption(const QString &caption);
    bool ToggleOverwrite();
    // Items whose windows join later stay disabled until the main window has them.
    void UpdateLaterCommands();
    QAction *CloseProject2 = nullptr;
    // Shows the caret position and the overwrite mode on the main window's status line (when active).
    void UpdateStatus();
    void RiloMemo1Focus();

    // Asks "Save changes to %s?" when modified; false keeps the window open.
    bool CloseQuery();

    // Find and replace.
    void Find2Click();
    void FindNext();
    bool DoFind(const QString &text, bool forward, bool wholeWord, bool matchCase);
    void Replace1Click();
    // The dialog's options: whole word, match case (the defaults: exact case).
    bool ReplaceOnce(const QString &find, const QString &replacement, bool wholeWord = false, bool matchCase = true);
    int ReplaceAll(const QString &find, const QString &replacement, bool wholeWord = false, bool matchCase = true);
    void NotFound(const QString &find);
    // The dialog's Replace All, searching in slices with the event loop running (TReplaceAll).
    void StartReplaceAll(const QString &find, const QString &replacement, bool wholeWord, bool matchCase);
    void StopReplaceAll();
    bool Replacing() const;
    TReplaceAll *Replacer = nullptr;
    QString FindText;
    dialogs::TFindDialog *FindDialog1 = nullptr;
    dialogs::TReplaceDialog *ReplaceDialog1 = nullptr;

    // Printing (the printer comes from the print dialog, or is given by tests). Lines wider than the
    // page wrap; the text keeps at least MinPrintMarginMm from every edge of the paper.
    static constexpr double MinPrintMarginMm = 15;
    void Print1Click();
    void Print2Click();
    void PrinterSetup1Click();
    void PrintPlain(QPrinter &printer);
    void PrintSyntaxColor(QPrinter &printer);
    // The page chosen in "Printer Setup...", shared by every document for the whole session.
    static QPageLayout &PrintPageLayout();
    // Puts the chosen page on a printer (margins raised to the minimum).
    static void PreparePrinter(QPrinter &printer);

    // Go To Line: asks for a line number (1 to the last) and puts the caret at the start of that line.
    void GoToLine1Click();
    // 1-based; false (nothing moves) when out of range.
    bool GoToLine(int line);

    // Preview: writes the text where the preview reads it and navigates there.
    void PageControl2Change();
    QString PreviewFile() const;
    // The browser of the Preview tab, created on the first visit.
    TPreviewHTML *Preview();
    TPreviewHTML *PreviewHTML1 = nullptr;
    QComboBox *URLs = nullptr;
    QToolButton *SpeedButton3 = nullptr, *SpeedButton4 = nullptr, *BackBtn = nullptr, *ForwardBtn = nullptr,
                *SpeedButton7 = nullptr, *SpeedButton12 = nullptr, *SpeedButton13 = nullptr,
                *SpeedButton14 = nullptr, *SpeedButton11 = nullptr, *SpeedButton15 = nullptr;
    bool TypedURL = false;
    int BackCount = 0, ForwardCount = 0;
    void PreviewNavigate(const QString &address, bool typed);
    void ReloadClick();
    void GobackClick();
    void GoForwardClick();
    void AfterNavigate();
    // Goback and GoForward are enabled while the preview has a page to go back or forward to.
    void UpdateHistoryButtons();

    // Side panel.
    void CalculateWeight();
    void InsertLinkPair(int index, bool email);
    void UploadThissite1Click();

    // What the settings window says (highlighting, side panel); the settings form sets this when it exists.
    static std::function<bool(const QString &box)> SettingsSource;
    // The preview navigates here (the browser is created on the first visit to the tab).
    std::function<void(const QString &file)> OnNavigate;
    // The preview's "Email" button runs the Quick Email command of the mail tools.
    std::function<void()> OnQuickEmail;
    // The upload buffer wrote upload.htm: the FTP settings window takes it from here.
    std::function<void(const QString &file)> OnUpload;
    void ApplySettings();
    // The settings window changed: every open document follows at once.
    static void ApplySettingsToAll();

private:
    void buildEditor();
    void buildMenus();
    // The command menus (Formatting to Help) and the pop-up; items join the document's File menu too.
    void buildCommandMenus(QMenu *file);
    void buildSidePanel();
    void buildPreviewTab();
    // What Save writes, with the document's line ends, in the encoding the page declares, else the one it
    // was read in (returned in target); the encoding actually used is returned in used.
    QByteArray savedBytes(platform::TextEncoding *target, platform::TextEncoding *used);
    // The encoding a page text of this window is written in.
    platform::TextEncoding targetEncoding(QStringView page) const;
    // The questions before text leaves for a file: false when the user refused. `upload`: the text goes
    // to the server rather than over the file.
    bool askChangedOnDisk(const QString &path, bool upload);
    bool askEncodingChange(const QString &path, bool upload, platform::TextEncoding target);
    bool writeTo(const QString &path);
    // The page's charset declarations say UTF-8 (after it was written so), as one edit.
    void declareEncoding();
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, std::function<void()> f,
                     const QKeySequence &key = QKeySequence());

    TFrameForm *frame_;
    QList<QMenu *> menus_;
    platform::TextEncoding encoding_ = platform::TextEncoding::Utf8;
    bool bom_ = false;
    platform::LineEnd lineEnd_ = platform::LineEnd::CrLf;
    // The file as this window last read or wrote it: a change since is another program's.
    QString stampPath_;
    platform::FileStamp stamp_;
    bool asking_ = false;
    QWidget *previewHost_ = nullptr;
};

} // namespace app
