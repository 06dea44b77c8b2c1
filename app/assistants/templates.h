#pragma once
// The template dialog: built-in pages and frame layouts, the user's own template files kept in the
// program folder (named in "customtemplates.qvl"), and the home page wizards.
#include "platform/form.h"
#include "platform/shell/filedialogs.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTimer;

namespace assistants {

class TTemplates3 : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TTemplates3(QWidget *parent = nullptr);
    ~TTemplates3() override;

    // The built-in items in their order; each names a page "templates/<item>.htm" in the program folder.
    static QStringList HtmlTemplates();
    static QStringList FrameTemplates();
    // The wizards in their order, with the classes that run them.
    static QStringList Wizards();
    static QString WizardClass(const QString &item);
    // The text of a built-in page; raises platform::FileError when it cannot be read.
    static QString TemplateText(const QString &item);
    // Why a custom template may not have this name (empty when it may): it must be a bare file name in
    // the program folder, not one of the program's own files.
    static QString RefusedName(const QString &name);
    static QString ListFile();

    QTabWidget *PageControl1 = nullptr;
    QListWidget *ListView1 = nullptr, *ListView2 = nullptr, *ListView4 = nullptr, *ListView5 = nullptr;
    QPushButton *InsertButton = nullptr, *DeleteButton = nullptr;
    QLineEdit *Edit1 = nullptr;

    // A whole page for the active document (the page relay).
    std::function<void(const QString &page)> OnPage;
    // Text for the caret of the active document (the text relay).
    std::function<void(const QString &text)> OnInsert;
    // Whether a wizard class can run, and running it (in a new document).
    std::function<bool(const QString &className)> CanRunWizard;
    std::function<void(const QString &className)> OnRunWizard;
    // Runs the open dialog; without it the dialog runs from the home folder.
    std::function<bool(QWidget *parent, platform::FileDialogRequest &request)> OnRunFileDialog;

    QStringList CustomTemplates() const;
    // Double click on an item of one of the four pages.
    void Choose(QListWidgetItem *item);
    void InsertClick();
    // Copies a file into the program folder as a custom template; false when refused or not done.
    bool AddCustomTemplate(const QString &source);
    void DeleteClick();
    // Writes the custom templates' names in order.
    bool SaveList();

protected:
    void showEvent(QShowEvent *event) override;
    // Every way of closing (Close, Escape, the title bar) ends here.
    void done(int result) override;

private:
    void fail(const QString &text);
    bool listLoaded_ = true;
    bool listChanged_ = false;
};

} // namespace assistants
