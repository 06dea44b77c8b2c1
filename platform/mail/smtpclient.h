#pragma once
// Sending one message over SMTP with libcurl (smtp://, smtps://, or STARTTLS on smtp:// when the
// account asks for it). The call blocks until the server took the message or refused it; the answer is
// a mail code, and nothing counts as sent unless the server confirmed the whole message.
#include "platform/mail/mailmessage.h"

namespace platform {

enum class MailSecurity { None, StartTls, Tls };

struct SmtpServer {
    QString host;
    quint16 port = 25;
    QString user;      // no login when empty
    QString password;
    MailSecurity security = MailSecurity::None;
    // A PEM file of the authorities whose certificates are trusted instead of the system's; empty for the
    // system's own. The certificate is always checked, host name included.
    QString caFile;
    int connectTimeoutMs = 15000; // connecting and each server reply
    int stallTimeoutMs = 60000;   // a send that moves no byte for this long fails
};

// Sends to every To, Cc and Bcc address (Bcc in the envelope only). The MIME text is read from the
// files as it goes out. On failure *reply (when given) holds the server's last answer or libcurl's text;
// for a certificate that was refused, why it was.
int SmtpSend(const SmtpServer &server, const MailMessage &message, QString *reply = nullptr);

// Whether the libcurl in use carries SMTP at all.
bool SmtpAvailable();

} // namespace platform
