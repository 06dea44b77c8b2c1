#include "mailaccount.h"

#include "platform/keyring/keyring.h"
#include "platform/registry.h"

namespace platform {
namespace {

const QString kProfiles = QStringLiteral("\\Kestrova 5\\Mail\\Profiles");

bool validName(const QString &name)
{
    return !name.trimmed().isEmpty() && !name.contains(QLatin1Char('\\')) && !HasLineBreak(name);
}

// Account names are matched regardless of case, as the store does.
QString keyringKey(const QString &name) { return QStringLiteral("Mail\\") + name.toLower(); }

} // namespace

QStringList MailAccountNames()
{
    Registry reg;
    if (!reg.OpenKeyReadOnly(kProfiles))
        return {};
    return reg.GetKeyNames();
}

bool LoadMailAccount(const QString &name, MailAccount *account)
{
    Registry reg;
    if (!validName(name) || !reg.OpenKeyReadOnly(kProfiles + QLatin1Char('\\') + name))
        return false;
    MailAccount a;
    a.name = name;
    a.sender = reg.ReadString(QStringLiteral("Sender"));
    a.server.host = reg.ReadString(QStringLiteral("Server"));
    bool ok = false;
    const uint port = reg.ReadString(QStringLiteral("Port")).toUInt(&ok);
    a.server.security = MailSecurity(std::clamp(reg.ReadString(QStringLiteral("Security")).toInt(), 0, 2));
    a.server.port = ok && port > 0 && port <= 0xFFFF ? quint16(port)
                    : a.server.security == MailSecurity::Tls ? 465 : 25;
    a.server.user = reg.ReadString(QStringLiteral("User"));
    a.server.password = reg.ReadString(QStringLiteral("Password"));
    // A password still in the store was saved without a keyring, or by an earlier version.
    if (a.server.password.isEmpty())
        KeyringRead(keyringKey(name), &a.server.password);
    *account = a;
    return true;
}

bool SaveMailAccount(const MailAccount &a)
{
    if (!validName(a.name))
        return false;
    // Into the keyring first: the store gives up its copy only once the keyring holds the password.
    const bool inKeyring = a.server.password.isEmpty() ? (KeyringDelete(keyringKey(a.name)), true)
                                                        : KeyringWrite(keyringKey(a.name), a.server.password);
    Registry reg;
    Registry::BeginUpdate();
    const bool ok = reg.OpenKey(kProfiles + QLatin1Char('\\') + a.name, true);
    if (ok) {
        reg.WriteString(QStringLiteral("Sender"), a.sender);
        reg.WriteString(QStringLiteral("Server"), a.server.host);
        reg.WriteString(QStringLiteral("Port"), QString::number(a.server.port));
        reg.WriteString(QStringLiteral("Security"), QString::number(int(a.server.security)));
        reg.WriteString(QStringLiteral("User"), a.server.user);
        reg.WriteString(QStringLiteral("Password"), inKeyring ? QString() : a.server.password);
    }
    Registry::EndUpdate();
    return ok;
}

bool DeleteMailAccount(const QString &name)
{
    Registry reg;
    if (!validName(name) || !reg.DeleteKey(kProfiles + QLatin1Char('\\') + name))
        return false;
    KeyringDelete(keyringKey(name));
    return true;
}

QString DefaultMailAccount()
{
    Registry reg;
    return reg.OpenKeyReadOnly(kProfiles) ? reg.ReadString(QStringLiteral("DefaultProfile")) : QString();
}

QString MailPasswordPlace()
{
    return KeyringAvailable() ? QStringLiteral("The password is kept in the desktop's keyring.")
                              : QStringLiteral("No keyring is running: the password is kept in the settings file, "
                                               "which only you can read.");
}

void SetDefaultMailAccount(const QString &name)
{
    Registry reg;
    if (reg.OpenKey(kProfiles, true))
        reg.WriteString(QStringLiteral("DefaultProfile"), name);
}

} // namespace platform
