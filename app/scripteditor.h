#pragma once
// The script editors: a text control with its line-number gutter beside a tree of ready-made pieces,
// File and Edit menus (find, replace, Save As) and, for JavaScript, a Script menu and builder dialogs; for
// VBScript, a tree of object members.
// Pieces and builders go to the editor's caret; only "Close and insert Script" reaches the document.
#include "platform/form.h"

#include <QDialog>
#include <functional>

class QMenu;
class QMenuBar;
class QAction;

namespace textcontrol {
class TRiloMemo;
class TRiloGutter;
} // namespace textcontrol
namespace tree {
class TZozeZO;
class TZozeZONode;
} // namespace tree
namespace dialogs {
class TFindDialog;
class TReplaceDialog;
} // namespace dialogs

namespace app {

class TReplaceAll;

class TScriptEditor : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    TScriptEditor(const QString &className, const QString &caption, const QString &banner, QWidget *parent);

    textcontrol::TRiloMemo *RiloMemo1;
    textcontrol::TRiloGutter *RiloGutter1;
    tree::TZozeZO *ZozeZO1;
    QMenuBar *MainMenu1;
    QMenu *File1, *Edit1, *PopupMenu1;
    QAction *CloseandinsertScript1, *SaveAs1, *Exit1, *Undo1, *Redo1, *Cut1, *Copy1, *Paste1, *Find1, *FindNext1,
        *Replace1;

    // Receives the whole script on "Close and insert Script".
    std::function<void(const QString &script)> OnInsertScript;

    // Puts text at the caret, in place of the selection; on lines of its own where PiecesOnOwnLines.
    void InsertAtCaret(const QString &text);
    bool PiecesOnOwnLines = false;
    void CloseAndInsert();
    // Asks for a file and writes the script to it; a failure is shown and the script stays.
    bool SaveAsClick();
    void FindClick();
    bool DoFind(const QString &text, bool forward, bool wholeWord, bool matchCase);
    void FindNextClick();
    void ReplaceClick();
    // Replaces the first occurrence in the whole text, with the dialog's options (the defaults: exact
    // case); one per call. The dialog's Replace All replaces every occurrence as one edit, as a document's does.
    bool ReplaceOnce(const QString &find, const QString &replacement, bool wholeWord = false, bool matchCase = true);
    TReplaceAll *Replacer = nullptr;
    bool Replacing() const;
    void NotFound(const QString &find);
    QString FindText;
    dialogs::TFindDialog *FindDialog1 = nullptr;
    dialogs::TReplaceDialog *ReplaceDialog1 = nullptr;

protected:
    // A double click on a node of the tree.
    virtual void NodeChosen(tree::TZozeZONode *node) = 0;
    QAction *action(QMenu *menu, const char *name, const QString &caption, std::function<void()> run);
};

// "JavaScript Editor".
class TJavaScript : public TScriptEditor {
    Q_OBJECT
public:
    explicit TJavaScript(QWidget *parent = nullptr);
    QMenu *Script1;
    // The snippet of a leaf of the tree (or of the Script menu); empty for a category or an unknown name.
    static QString SnippetOf(const QString &leaf);
    // The leaf names in tree order, "Arrays" to "Yahoo!", then "JavaScript Start" and "JavaScript End".
    static QStringList Leaves();
    // Opens one of the builders; its OK puts its text at this editor's caret.
    void RunBuilder(const QString &className);

protected:
    void NodeChosen(tree::TZozeZONode *node) override;
};

// "VBScript Editor": members of the browser's objects and VBScript's own words from a tree; a category
// itself inserts nothing.
class TVBScriptEditor : public TScriptEditor {
    Q_OBJECT
public:
    explicit TVBScriptEditor(QWidget *parent = nullptr);
    // The 14 categories of the tree, in order.
    static QStringList Categories();

protected:
    void NodeChosen(tree::TZozeZONode *node) override;
};

} // namespace app
