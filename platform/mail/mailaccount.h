#pragma once
// Mail accounts (the "profiles" the mail component logs on with), kept in the registry store under
// "Kestrova 5\Mail\Profiles\<name>", with the default account's name beside them. The password goes to the
// desktop's keyring when one runs (the store then keeps an empty "Password"), else to the store, which
// only its owner can read.
#include "platform/mail/smtpclient.h"

namespace platform {

struct MailAccount {
    QString name;
    QString sender; // "Name <local@domain>" or "local@domain"
    SmtpServer server;
};

QStringList MailAccountNames();
// False when no account of that name exists (or the name is not one the store can hold).
bool LoadMailAccount(const QString &name, MailAccount *account);
// False for an empty name, a name holding "\" or a line break.
bool SaveMailAccount(const MailAccount &account);
bool DeleteMailAccount(const QString &name);
QString DefaultMailAccount();
// Where a password saved now is kept, in words for the account dialog.
QString MailPasswordPlace();
void SetDefaultMailAccount(const QString &name);

} // namespace platform
