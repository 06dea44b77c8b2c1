#pragma once
// The tag chooser: a window that stays on top and lists HTML tags by category. Apply (or a double click)
// opens the dialog that builds the chosen tag, or inserts a ready pair of tags; the items of the "Custom"
// category are the user's own tags, read from the file named in LookUp1, and inserted as they are.
#include "platform/form.h"

#include <QDialog>
#include <functional>
#include <memory>

class QPushButton;

namespace tree {
class TZozeZO;
class TTreeFile;
} // namespace tree
namespace zel {
class TZELFileLookup;
}

namespace assistants {

// What choosing a tag does: open a dialog (modeless when asked), insert a literal, or hand the item's
// own text over (the custom tags).
struct TTagAction {
    enum Kind { Dialog, ModelessDialog, Literal, OwnText } kind = OwnText;
    QString text; // the dialog's class or the literal
};

// The action for an item's text, matched exactly (case counts).
TTagAction TagActionFor(const QString &nodeText);

class TTagchooser : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TTagchooser(QWidget *parent = nullptr);
    ~TTagchooser() override;

    // The categories, and the tags of each list category in the order shown.
    static QStringList Categories();
    static QStringList CategoryTags(const QString &category);

    tree::TZozeZO *Treeview1; // categories
    tree::TZozeZO *Page1;     // tags of the chosen category
    zel::TZELFileLookup *LookUp1; // the file of the "Custom" category
    QPushButton *Button1, *Button2, *SpeedButton1;

    // Shows the tags of a category ("Custom": the tree of the file in LookUp1); other texts do nothing.
    void ShowCategory(const QString &category);
    // Names the file of the "Custom" category and shows it again when that category is shown.
    void SetCustomFile(const QString &path);
    // The category whose tags are shown; empty before the first.
    QString ShownCategory() const { return shown_; }
    void Button1Click();

    // Opens a dialog by its class name, modally or not.
    std::function<void(const QString &className, bool modeless)> OnOpenDialog;
    // Finished text for the text relay.
    std::function<void(const QString &text)> OnRelay;
    // The main window's hidden button for the user's own tags (it inserts the selected item's text).
    std::function<void()> OnTagButton;
    // "&Create Your Customs Tags...": shows the HTML tag creator.
    std::function<void()> OnCreateTags;
    // LookUp1's text, whenever it changes and once at creation.
    std::function<void(const QString &text)> OnLookUpChange;
    // The text of the selected tag; empty when none is selected.
    QString SelectedText() const;

private:
    // Shows the named file when its name is new since the last showing, or always when asked again.
    void showTypedFile(bool again);
    std::unique_ptr<tree::TTreeFile> pageFile_;
    QString shown_;
    QString typedShown_; // the name last shown
};

} // namespace assistants
