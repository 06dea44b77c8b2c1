#pragma once
// The signature (a service form): the text kept in "signature.qvl", inserted at the caret on OK. The memo
// is read from the file whenever the window is shown or its OK is pressed unseen, so every document sees
// the signature last saved, also after a restart.
#include "platform/form.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace assistants {

class TSignature : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TSignature(QWidget *parent = nullptr);
    static QString FilePath();
    // The memo's text before a signature was ever saved.
    static QString NoSignature();

    QPlainTextEdit *Memo1;
    QPushButton *Button1, *Button2; // "&Ok", "&Cancel"
    // Reads the memo from the file (when there is one); false (reported) when it does not read.
    bool LoadSignature();
    // Writes the memo to the file when it differs, hands its text over and closes; a write that fails is
    // reported and the window stays as it is.
    void Button1Click();
    // "Add Signature...": OK on the signature last saved, without showing the window.
    void AddSignature();

    std::function<void(const QString &text)> OnRelay;

protected:
    void showEvent(QShowEvent *event) override;
};

// Reads a list file of the program folder (one entry a line, CR LF) as text; a missing file gives "".
// Raises platform::FileError for a file that cannot be read or holds NUL characters.
QString ReadListText(const QString &path);
// Writes the text as UTF-8 (raises FileError).
void WriteListText(const QString &path, const QString &text);

} // namespace assistants
