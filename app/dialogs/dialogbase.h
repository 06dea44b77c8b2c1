#pragma once
// What the tag dialogs share: a modal form with "&Ok" and "&Cancel". A dialog knows nothing of the
// windows that use it: OK reports through OnOk (whoever opened the dialog reads its values there) and then
// closes.
#include "platform/form.h"
#include "platform/memotext.h"

#include <QDialog>
#include <QGridLayout>
#include <QPushButton>
#include <functional>
#include <initializer_list>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace dialogs {

class TTagDialog : public platform::FormOf<QDialog> {
public:
    TTagDialog(const QString &caption, const QString &className, QWidget *parent = nullptr);

    QPushButton *Button1 = nullptr; // "&Ok"
    QPushButton *Button2 = nullptr; // "&Cancel"
    // Runs when OK is pressed, before the dialog closes; Cancel and the close button never run it.
    std::function<void()> OnOk;
    // Finished text a dialog hands over itself (the main window's text relay), besides or instead of OK's.
    std::function<void(const QString &text)> OnRelay;
    // The text OK hands over; empty when the dialog hands over nothing through its builder.
    virtual QString Build() const { return QString(); }
    // Runs on OK after OnOk: a dialog that hands text over itself does it here (through OnRelay).
    virtual void HandOverOwn() {}
    // Runs first on OK: a dialog with work of its own that may fail does it here; false keeps the dialog
    // open and hands nothing over.
    virtual bool OkAllowed() { return true; }
    // OK closes the dialog unless it stays open for further insertions.
    bool ClosesOnOk = true;
    // The file of the document the text goes to; empty (or unset) while that document is unsaved.
    std::function<QString()> DocumentFile;

protected:
    // The focus starts in the first field.
    void showEvent(QShowEvent *event) override;
    // Rows of label and field, in the order the user fills them.
    QLineEdit *addEdit(const QString &name, const QString &label);
    QComboBox *addCombo(const QString &name, const QString &label, const QStringList &items);
    QPlainTextEdit *addMemo(const QString &name, const QString &label);
    QGridLayout *grid_ = nullptr;
};

// The window flags of every dialog: a title and a close button, no minimise or maximise button.
Qt::WindowFlags DialogFlags();

// Tab goes through the widgets in this order (the dialog's visual order where creation order differs).
void SetTabOrder(std::initializer_list<QWidget *> widgets);

// A label whose "&" marks the mnemonic that moves the focus to buddy.
QLabel *BuddyLabel(const QString &text, QWidget *buddy, QWidget *parent);

// A memo's text as the user typed or pasted it (see platform/memotext.h).
using platform::MemoText;

} // namespace dialogs
