#pragma once
// The find and replace dialogs of the document window: modeless, so the user can edit between searches.
#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace dialogs {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget *parent, bool withReplace = false);
    QString FindText() const;
    void SetFindText(const QString &text);
    bool Down() const;
    bool WholeWord() const;
    bool MatchCase() const;

    QLineEdit *FindEdit;
    QCheckBox *WholeWordBox;
    QCheckBox *MatchCaseBox;
    QRadioButton *UpButton;
    QRadioButton *DownButton;
    QPushButton *FindNextButton;
    std::function<void()> OnFind;

protected:
    void showEvent(QShowEvent *event) override;
    // Activates the dialog with the focus in its field, the text selected.
    void takeTyping();
    QPushButton *cancel_;
    QVBoxLayout *buttons_;
};

class TReplaceDialog : public TFindDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget *parent);
    QString ReplaceText() const;
    void SetReplaceText(const QString &text);

    QLineEdit *ReplaceEdit;
    QPushButton *ReplaceButton;
    QPushButton *ReplaceAllButton;
    std::function<void(bool all)> OnReplace;
};

} // namespace dialogs
