#include "maildialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace platform;

namespace publish {

namespace {

QLineEdit *addEdit(QFormLayout *form, const QString &label, const QString &text = QString())
{
    auto *edit = new QLineEdit(text);
    edit->setMaxLength(255);
    form->addRow(label, edit);
    return edit;
}

QDialogButtonBox *addButtons(QDialog *dialog, QFormLayout *form)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    form->addRow(buttons);
    return buttons;
}

} // namespace

TMailAccountDialog::TMailAccountDialog(const MailAccount &a, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Mail Account"));
    auto *form = new QFormLayout(this);
    edtName = addEdit(form, QStringLiteral("&Account:"), a.name);
    edtSender = addEdit(form, QStringLiteral("&Sender:"), a.sender);
    edtServer = addEdit(form, QStringLiteral("Se&rver:"), a.server.host);
    spnPort = new QSpinBox;
    spnPort->setRange(1, 65535);
    spnPort->setValue(a.server.port);
    form->addRow(QStringLiteral("&Port:"), spnPort);
    cmbSecurity = new QComboBox;
    cmbSecurity->addItems({QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("SSL/TLS")});
    cmbSecurity->setCurrentIndex(int(a.server.security));
    form->addRow(QStringLiteral("Se&curity:"), cmbSecurity);
    edtUser = addEdit(form, QStringLiteral("&User:"), a.server.user);
    edtPassword = addEdit(form, QStringLiteral("Pass&word:"), a.server.password);
    edtPassword->setEchoMode(QLineEdit::Password);
    lblPasswordPlace = new QLabel(MailPasswordPlace());
    lblPasswordPlace->setObjectName(QStringLiteral("lblPasswordPlace"));
    lblPasswordPlace->setWordWrap(true);
    form->addRow(QString(), lblPasswordPlace);
    buttons = addButtons(this, form);
    for (QLineEdit *e : {edtName, edtSender, edtServer})
        connect(e, &QLineEdit::textChanged, this, &TMailAccountDialog::updateOk);
    updateOk();
}

// An account is only usable with a name, a server and a sender address.
void TMailAccountDialog::updateOk()
{
    const QString name = edtName->text().trimmed();
    buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(!name.isEmpty() && !name.contains(QLatin1Char('\\')) && !edtServer->text().trimmed().isEmpty() &&
                     ParseMailAddress(edtSender->text()).IsValid());
}

MailAccount TMailAccountDialog::Account() const
{
    MailAccount a;
    a.name = edtName->text().trimmed();
    a.sender = edtSender->text().trimmed();
    a.server.host = edtServer->text().trimmed();
    a.server.port = quint16(spnPort->value());
    a.server.security = MailSecurity(cmbSecurity->currentIndex());
    a.server.user = edtUser->text();
    a.server.password = edtPassword->text();
    return a;
}

TMailAddressDialog::TMailAddressDialog(bool withSubject, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(withSubject ? QStringLiteral("Send Mail") : QStringLiteral("Address Book"));
    auto *form = new QFormLayout(this);
    edtTo = addEdit(form, QStringLiteral("To:"));
    edtCc = addEdit(form, QStringLiteral("Cc:"));
    edtBcc = addEdit(form, QStringLiteral("Bcc:"));
    for (QLineEdit *e : {edtTo, edtCc, edtBcc})
        e->setToolTip(QStringLiteral("Type recipients' names, separated by semicolons"));
    if (withSubject)
        edtSubject = addEdit(form, QStringLiteral("Subject:"));
    buttons = addButtons(this, form);
}

} // namespace publish
