#pragma once
// Secrets (account passwords) kept in the desktop's keyring through the Secret Service. Each call waits
// for the keyring's answer; without a running keyring every call fails at once and callers keep the
// secret in the private settings file instead.
#include <QString>

namespace platform {

// Whether a Secret Service keyring runs on the session bus now.
bool KeyringAvailable();
// Stores the secret under `key`, replacing an older one. False (and *why, when given) when no keyring
// took it.
bool KeyringWrite(const QString &key, const QString &secret, QString *why = nullptr);
// True and *secret when the keyring holds `key`.
bool KeyringRead(const QString &key, QString *secret);
// True when the keyring no longer holds `key` (also when it never did).
bool KeyringDelete(const QString &key);

} // namespace platform
