#pragma once
// The tree item editor: edits a copy of a tree's nodes (structure and per-node attributes of all
// selected nodes at once) and writes the result back only on OK.
#include "zozezo.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QToolButton;
class QAction;

namespace tree {

class TZozeZOEditor : public QDialog {
    Q_OBJECT
public:
    explicit TZozeZOEditor(QWidget *parent = nullptr);

    TZozeZO *Tree;
    QFrame *Panel1;
    QPushButton *FontButton;
    QPushButton *ColorButton;
    QCheckBox *ParentFontBox;
    QCheckBox *ParentColorBox;
    QCheckBox *EnabledBox;
    QLineEdit *IntegralEdit;
    QLabel *CheckTypeLabel;
    QComboBox *CheckStyleCombo;
    QFrame *Panel2;
    QScrollArea *ImageBox;
    QScrollArea *SImageBox;
    QScrollArea *StateImageBox;
    QLabel *Panel3;
    QStatusBar *StatusBar;
    QPushButton *OKButton;
    QPushButton *CancelButton;
    QMenu *PopupMenu;
    QAction *InsertNode;
    QAction *AddChildItem;
    QAction *DuplicateNode;
    QAction *DeleteNode;
    QAction *Expand;
    QAction *Collapse;
    QAction *SelectAll;

    // Fills the panel from the selection (the tree's change handler).
    void TreeChange(TZozeZONode *node);
    void InsertNodeClick();
    void AddChildItemClick();
    void DuplicateNodeClick();
    void DeleteNodeClick();
    void ExpandClick();
    void CollapseClick();
    void SelectAllClick();
    void PopupMenuPopup();
    void FontButtonClick();
    void ColorButtonClick();
    // True when a drop on the node would move something.
    bool CanDropOn(TZozeZONode *target) const;
    void DropOn(TZozeZONode *target);
    // Adds the image buttons (done once, when the window is first shown).
    void MakeImageButtons();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum Group { NormalImages, SelectedImages, StateImagesGroup };
    void imageClicked(Group group, QToolButton *button);
    void pressImage(Group group, int index, bool common);
    QList<TZozeZONode *> selection() const;
    void copySubtree(TZozeZONode *from, TZozeZONode *to);

    bool updating_ = false;
    bool buttonsMade_ = false;
    QList<QToolButton *> buttons_[3];
};

// Runs the editor on a tree's nodes; true when closed with OK (the nodes are then replaced).
bool EditZozeZOItems(TZozeZONodes *items);

} // namespace tree
