#pragma once
// Mail addresses and the MIME form of a message. The message is produced as a stream: headers and the
// text part are built in memory, attachments are read and base64-encoded piece by piece as they are
// sent, so a large attachment never sits in memory whole.
#include "platform/mail/mailcodes.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace platform {

struct MailAddress {
    QString name;    // display name, may be empty
    QString address; // local@domain
    bool IsValid() const { return !address.isEmpty(); }
    // "Name <local@domain>", or the bare address without a name.
    QString Display() const;
};

// Reads "local@domain", "Name <local@domain>", "\"Name\" <local@domain>" or "[local@domain]"; an
// invalid result (empty address) for anything else, including text with CR, LF or other control bytes.
MailAddress ParseMailAddress(const QString &text);
// Cuts a recipient text at each ";", trims every piece and keeps the non-empty ones.
QStringList SplitRecipients(const QString &text);
// True when the text holds a byte that would end a header line (CR, LF or NUL).
bool HasLineBreak(const QString &text);

struct MailAttachment {
    QString path;        // the file read when the message is sent
    QString displayName; // the file name the receiver sees
};

// Checks that every attachment exists (else MAPI_E_ATTACHMENT_NOT_FOUND) and can be read (else
// MAPI_E_ATTACHMENT_OPEN_FAILURE); the index of the first bad one goes to *failed.
int CheckAttachments(const QList<MailAttachment> &attachments, int *failed = nullptr);

struct MailMessage {
    MailAddress from;
    QList<MailAddress> to, cc, bcc; // Bcc goes into the envelope only
    QString subject;
    QString body;
    QList<MailAttachment> attachments;
    bool receiptRequested = false;
    QDateTime date;    // now, when not set
    QString messageId; // made up from the sender's domain, when not set
};

// The MIME text of a message. Open checks everything that can be checked before a byte goes out (header
// values, attachments that exist and can be opened) and answers with a mail code; Read then hands out
// the text in pieces of the caller's size until it returns 0. A failed read of an attachment midway
// makes Read return -1 and Error() tell why.
class MimeStream {
public:
    explicit MimeStream(MailMessage message);
    ~MimeStream();
    MimeStream(const MimeStream &) = delete;
    MimeStream &operator=(const MimeStream &) = delete;

    int Open();
    qint64 Read(char *data, qint64 size);
    int Error() const { return error_; }
    const MailMessage &Message() const { return message_; }
    // The whole text (tests and small messages).
    QByteArray ReadAll();

private:
    struct Segment {
        QByteArray text;            // fixed text, or
        std::unique_ptr<QFile> file; // a file sent as base64 lines
    };
    bool fill();

    MailMessage message_;
    QList<std::shared_ptr<Segment>> segments_;
    int next_ = 0;
    QByteArray buffer_;
    qsizetype offset_ = 0;
    int error_ = SUCCESS_SUCCESS;
    bool opened_ = false;
};

// Encodings used in the message, exposed for tests.
QByteArray EncodeHeaderWord(const QString &text);   // RFC 2047 when needed, else the text
QByteArray EncodeQuotedPrintable(const QString &text); // UTF-8, lines joined with CRLF

} // namespace platform
