#pragma once
// The mail compose window: a plain-text message with To and Cc recipients and file attachments, sent
// through the mail component.
#include "tools/publish/email.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QLineEdit;
class QListWidget;
class QMenu;
class QTextEdit;
class QToolButton;
class QWidget;

namespace publish {

class TfrmMail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMail(QWidget *parent = nullptr);
    ~TfrmMail() override;

    QWidget *pnlInfo; // the paint box behind the edits, where the focus frame is drawn
    QLineEdit *txtSubject, *txtRecipient, *txtCC;
    QToolButton *btnTo, *btnCc;
    QToolButton *btnSend, *BtnAttach, *btnDeleteAttach, *btnCheckNames;
    QCheckBox *chkReceipt;
    QTextEdit *MessageText;
    QMenu *PopupMenu1;
    QAction *mnuCut, *mnuCopy, *mnuPaste, *mnuFont;
    QFrame *pnlVSplit;
    QListWidget *lvAttachments;
    TEmail *Email1;

    // Adds one file to the attachment list (what the open dialog's choice does for each file).
    void AddAttachment(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnSendClick();
    void BtnAttachClick();
    void btnDeleteAttachClick();
    void btnCheckNamesClick();
    void btnAddressClick();
    void PopupMenu1Popup();
    void mnuFontClick();
    void showAttachments();
    void error(const QString &text);
    void paintFocusFrame();

    QLineEdit *focused_ = nullptr;
};

} // namespace publish
