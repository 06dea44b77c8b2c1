#pragma once
// The dialogs the mail component shows: the account dialog stands where a messaging system would ask
// for its logon, and the address dialog serves both as the address book and as the send dialog.
#include "platform/mail/mailaccount.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;

namespace publish {

class TMailAccountDialog : public QDialog {
    Q_OBJECT
public:
    explicit TMailAccountDialog(const platform::MailAccount &account, QWidget *parent = nullptr);
    platform::MailAccount Account() const;

    QLineEdit *edtName, *edtSender, *edtServer, *edtUser, *edtPassword;
    QSpinBox *spnPort;
    QComboBox *cmbSecurity;
    QLabel *lblPasswordPlace; // where the password will be kept
    QDialogButtonBox *buttons;

private:
    void updateOk();
};

class TMailAddressDialog : public QDialog {
    Q_OBJECT
public:
    // withSubject: the send dialog (recipients and subject); else the address book.
    TMailAddressDialog(bool withSubject, QWidget *parent = nullptr);

    QLineEdit *edtTo, *edtCc, *edtBcc, *edtSubject = nullptr;
    QDialogButtonBox *buttons;
};

} // namespace publish
