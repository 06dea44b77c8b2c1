#pragma once
// The clip book: a text kept in "clipbook.qvl" from which the whole text or the selected part is inserted
// at the caret. Save writes the file; Close closes without writing.
#include "platform/form.h"

#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace assistants {

class TClipBook : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TClipBook(QWidget *parent = nullptr);
    static QString FilePath();

    QPlainTextEdit *Memo1;
    QPushButton *InsertAll, *InsertSelected, *Save, *Close;
    void InsertAllClick();
    void InsertSelectedClick();
    // Writes the memo; false (reported) when it could not, or when the file did not read and the memo was
    // not changed since (the file is then left as it is).
    bool SaveClick();

    std::function<void(const QString &text)> OnRelay;

private:
    bool loadFailed_ = false;
};

} // namespace assistants
