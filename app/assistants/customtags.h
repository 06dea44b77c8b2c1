#pragma once
// The user's own tag lists in three families (HTML, XML, ASP), each a tree in a file of the program folder,
// with the same three windows: a creator that edits and saves the tree, a small dialog that asks for a new
// item's caption, and a picker that inserts the chosen item's text. One piece of code serves all three.
#include "platform/form.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tree {
class TZozeZO;
class TTreeFile;
} // namespace tree

namespace assistants {

struct TTagFamily {
    const char *file;           // in the program folder
    const char *creatorCaption; // "Tag Creator"
    const char *newItemCaption; // "New Item"
    const char *pickerCaption;  // "Custom Tags"
};

extern const TTagFamily HtmlTags, XmlTags, AspTags;

// Asks for the caption of a new item. Its OK hands the caption over (OnCaption), empties the edit and closes;
// closing it otherwise hands nothing over.
class TNewItemDialog : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    TNewItemDialog(const TTagFamily &family, QWidget *parent);
    QLabel *Label1;
    QLineEdit *Edit1;
    QPushButton *Button1; // "&Ok"
    std::function<void(const QString &caption)> OnCaption;
};

// Edits a family's tree: new items as siblings of the selected one (top level when none is selected),
// deletion of the selected item with its children, and saving, also on closing.
class TTagCreatorWindow : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    // Makes its new item dialog, a window of its own, right after itself.
    TTagCreatorWindow(const TTagFamily &family, TNewItemDialog *(*makeNewItem)(QWidget *parent), QWidget *parent);
    ~TTagCreatorWindow() override;
    const TTagFamily &Family() const { return family_; }
    QString FilePath() const;

    tree::TZozeZO *TreeView1;
    QLineEdit *Edit1; // hidden: the caption the new item dialog handed over
    QPushButton *NewItems, *DeleteSelectedItem, *SaveYourTags, *Close;
    TNewItemDialog *NewItemDialog() const { return newItem_; }

    void NewItemsClick();
    void DeleteSelectedItemClick();
    // Writes the tree (see tree::TTreeFile); a failed write is reported and the tree kept as it is.
    bool SaveTags();
    // After every save that wrote the file: its full path.
    std::function<void(const QString &path)> OnSaved;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    const TTagFamily &family_;
    std::unique_ptr<tree::TTreeFile> file_;
    TNewItemDialog *newItem_;
};

// Inserts items of a family's tree, read again from its file each time it is shown.
class TCustomTagPicker : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    TCustomTagPicker(const TTagFamily &family, QWidget *parent);
    ~TCustomTagPicker() override;
    const TTagFamily &Family() const { return family_; }

    tree::TZozeZO *TreeView1;
    QPushButton *CreateTags, *Apply, *Close;
    void Reload();
    void ApplyClick();
    // The text of the chosen item, for the text relay.
    std::function<void(const QString &text)> OnRelay;
    // Shows the family's creator (modally); the tree is read again afterwards.
    std::function<void()> OnCreateTags;

protected:
    void showEvent(QShowEvent *event) override;

private:
    const TTagFamily &family_;
    std::unique_ptr<tree::TTreeFile> file_;
};

// The nine windows under the names the program knows them by.
class TNewItems : public TNewItemDialog {
    Q_OBJECT
public:
    explicit TNewItems(QWidget *parent = nullptr) : TNewItemDialog(HtmlTags, parent) {}
};
class Txmlnewitem : public TNewItemDialog {
    Q_OBJECT
public:
    explicit Txmlnewitem(QWidget *parent = nullptr) : TNewItemDialog(XmlTags, parent) {}
};
class Taspnewitem : public TNewItemDialog {
    Q_OBJECT
public:
    explicit Taspnewitem(QWidget *parent = nullptr) : TNewItemDialog(AspTags, parent) {}
};
class TTagCreator : public TTagCreatorWindow {
    Q_OBJECT
public:
    explicit TTagCreator(QWidget *parent = nullptr)
        : TTagCreatorWindow(HtmlTags, [](QWidget *p) -> TNewItemDialog * { return new TNewItems(p); }, parent)
    {
    }
};
class Txmltagcreator : public TTagCreatorWindow {
    Q_OBJECT
public:
    explicit Txmltagcreator(QWidget *parent = nullptr)
        : TTagCreatorWindow(XmlTags, [](QWidget *p) -> TNewItemDialog * { return new Txmlnewitem(p); }, parent)
    {
    }
};
class Tasptagcreator : public TTagCreatorWindow {
    Q_OBJECT
public:
    explicit Tasptagcreator(QWidget *parent = nullptr)
        : TTagCreatorWindow(AspTags, [](QWidget *p) -> TNewItemDialog * { return new Taspnewitem(p); }, parent)
    {
    }
};
class TCustomTags : public TCustomTagPicker {
    Q_OBJECT
public:
    explicit TCustomTags(QWidget *parent = nullptr) : TCustomTagPicker(HtmlTags, parent) {}
};
class Txmlcustomtags : public TCustomTagPicker {
    Q_OBJECT
public:
    explicit Txmlcustomtags(QWidget *parent = nullptr) : TCustomTagPicker(XmlTags, parent) {}
};
class Taspcustomtags : public TCustomTagPicker {
    Q_OBJECT
public:
    explicit Taspcustomtags(QWidget *parent = nullptr) : TCustomTagPicker(AspTags, parent) {}
};

} // namespace assistants
