#include "mailmessage.h"

#include "platform/fileio.h"

#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QUuid>

namespace platform {
namespace {

// Base64 input per piece read from an attachment: a whole number of 57-byte lines (76 characters out).
constexpr qint64 kLineBytes = 57;
constexpr qint64 kPieceBytes = kLineBytes * 1024;

bool printableAscii(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

bool validAddress(const QString &a)
{
    const qsizetype at = a.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == a.size() - 1)
        return false;
    for (QChar c : a)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || QStringLiteral("<>()[],;:\"\\").contains(c))
            return false;
    return true;
}

// A display name as a header phrase: encoded words for non-ASCII, a quoted string for specials.
QByteArray headerPhrase(const QString &name)
{
    if (!printableAscii(name))
        return EncodeHeaderWord(name);
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    for (QChar c : name)
        if (specials.contains(c)) {
            QByteArray q = name.toLatin1();
            q.replace("\\", "\\\\").replace("\"", "\\\"");
            return '"' + q + '"';
        }
    return name.toLatin1();
}

QByteArray headerAddress(const MailAddress &a)
{
    if (a.name.isEmpty())
        return a.address.toLatin1();
    return headerPhrase(a.name) + " <" + a.address.toLatin1() + '>';
}

QByteArray addressList(const QByteArray &field, const QList<MailAddress> &list)
{
    if (list.isEmpty())
        return QByteArray();
    QByteArray out = field + ": ";
    for (int i = 0; i < list.size(); ++i)
        out += (i ? ",\r\n " : "") + headerAddress(list[i]);
    return out + "\r\n";
}

// A file name as a MIME parameter: quoted when plain, RFC 2231 (UTF-8, percent-encoded) otherwise.
QByteArray fileParameter(const QByteArray &attribute, const QString &name)
{
    if (printableAscii(name) && !name.contains(QLatin1Char('"')) && !name.contains(QLatin1Char('\\')))
        return attribute + "=\"" + name.toLatin1() + '"';
    QByteArray out = attribute + "*=UTF-8''";
    static const QByteArray plain = "!#$&+-.^_`|~";
    for (char c : name.toUtf8()) {
        const uchar u = uchar(c);
        if (std::isalnum(u) && u < 0x80)
            out += c;
        else if (plain.contains(c))
            out += c;
        else
            out += '%' + QByteArray::number(u, 16).rightJustified(2, '0').toUpper();
    }
    return out;
}

bool anyLineBreak(const QList<MailAddress> &list)
{
    for (const MailAddress &a : list)
        if (HasLineBreak(a.name) || HasLineBreak(a.address))
            return true;
    return false;
}

std::unique_ptr<QFile> openAttachment(const QString &path, int *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = MAPI_E_ATTACHMENT_NOT_FOUND;
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    // A file that cannot be read fails here rather than mid-send.
    char probe;
    if (!TryOpenForReading(*file, path, nullptr) || file->peek(&probe, 1) < 0) {
        *error = MAPI_E_ATTACHMENT_OPEN_FAILURE;
        return nullptr;
    }
    return file;
}

} // namespace

int CheckAttachments(const QList<MailAttachment> &attachments, int *failed)
{
    for (int i = 0; i < attachments.size(); ++i) {
        int error = SUCCESS_SUCCESS;
        if (!openAttachment(attachments[i].path, &error)) {
            if (failed)
                *failed = i;
            return error;
        }
    }
    return SUCCESS_SUCCESS;
}

QString MailAddress::Display() const
{
    if (name.isEmpty())
        return address;
    return QString::fromLatin1(printableAscii(name) ? headerPhrase(name) : name.toUtf8()) + QStringLiteral(" <") +
           address + QLatin1Char('>');
}

bool HasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

MailAddress ParseMailAddress(const QString &input)
{
    for (QChar c : input)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return {};
    QString text = input.trimmed();
    if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']')))
        text = text.mid(1, text.size() - 2).trimmed();
    MailAddress out;
    if (text.endsWith(QLatin1Char('>'))) {
        const qsizetype open = text.lastIndexOf(QLatin1Char('<'));
        if (open < 0)
            return {};
        out.address = text.mid(open + 1, text.size() - open - 2).trimmed();
        out.name = text.left(open).trimmed();
        if (out.name.size() >= 2 && out.name.startsWith(QLatin1Char('"')) && out.name.endsWith(QLatin1Char('"')))
            out.name = out.name.mid(1, out.name.size() - 2).replace(QStringLiteral("\\\""), QStringLiteral("\""));
    } else {
        out.address = text;
    }
    if (!validAddress(out.address))
        return {};
    return out;
}

QStringList SplitRecipients(const QString &text)
{
    QStringList out;
    for (const QString &piece : text.split(QLatin1Char(';'))) {
        const QString name = piece.trimmed();
        if (!name.isEmpty())
            out << name;
    }
    return out;
}

QByteArray EncodeHeaderWord(const QString &text)
{
    if (printableAscii(text) && !text.contains(QStringLiteral("=?")))
        return text.toLatin1();
    // Each encoded word holds at most 45 bytes (60 base64 characters), cut between characters.
    QByteArray out, piece;
    auto flush = [&] {
        if (piece.isEmpty())
            return;
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + piece.toBase64() + "?=";
        piece.clear();
    };
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray ch = text.mid(i, n).toUtf8();
        if (piece.size() + ch.size() > 45)
            flush();
        piece += ch;
        i += n;
    }
    flush();
    return out;
}

QByteArray EncodeQuotedPrintable(const QString &text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QByteArray out;
    static const char hex[] = "0123456789ABCDEF";
    const QStringList lines = normal.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        if (n)
            out += "\r\n";
        const QString &line = lines[n];
        const QByteArray bytes = line.toUtf8();
        int width = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const uchar b = uchar(bytes[i]);
            const bool last = i == bytes.size() - 1;
            QByteArray token;
            if ((b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !last))
                token = QByteArray(1, char(b));
            else
                token = QByteArray("=") + hex[b >> 4] + hex[b & 15];
            // Lines stay within 76 characters, the soft break included.
            if (width + token.size() > 75) {
                out += "=\r\n";
                width = 0;
            }
            out += token;
            width += int(token.size());
        }
    }
    return out;
}

MimeStream::MimeStream(MailMessage message) : message_(std::move(message)) {}

MimeStream::~MimeStream() = default;

int MimeStream::Open()
{
    MailMessage &m = message_;
    if (HasLineBreak(m.from.name) || HasLineBreak(m.from.address) || anyLineBreak(m.to) || anyLineBreak(m.cc) ||
        anyLineBreak(m.bcc))
        return error_ = MAPI_E_INVALID_RECIPS;
    if (HasLineBreak(m.subject) || HasLineBreak(m.messageId))
        return error_ = MAPI_E_INVALID_MESSAGE;
    QList<std::shared_ptr<Segment>> files;
    for (const MailAttachment &a : m.attachments) {
        auto seg = std::make_shared<Segment>();
        seg->file = openAttachment(a.path, &error_);
        if (!seg->file)
            return error_;
        files << seg;
    }
    if (!m.date.isValid())
        m.date = QDateTime::currentDateTime();
    if (m.messageId.isEmpty()) {
        const qsizetype at = m.from.address.lastIndexOf(QLatin1Char('@'));
        const QString domain = at > 0 ? m.from.address.mid(at + 1) : QStringLiteral("localhost");
        m.messageId = QLatin1Char('<') + QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('@') +
                      domain + QLatin1Char('>');
    }

    const int offset = m.date.offsetFromUtc();
    QByteArray head = "Date: " + QLocale::c().toString(m.date, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")).toLatin1() +
                      QString::asprintf("%c%02d%02d", offset < 0 ? '-' : '+', std::abs(offset) / 3600,
                                        std::abs(offset) % 3600 / 60).toLatin1() + "\r\n";
    head += "From: " + headerAddress(m.from) + "\r\n";
    head += addressList("To", m.to) + addressList("Cc", m.cc);
    head += "Subject: " + EncodeHeaderWord(m.subject) + "\r\n";
    head += "Message-ID: " + m.messageId.toLatin1() + "\r\n";
    if (m.receiptRequested)
        head += "Disposition-Notification-To: " + headerAddress(m.from) + "\r\n";
    head += "MIME-Version: 1.0\r\n";
    const QByteArray textHead = "Content-Type: text/plain; charset=UTF-8\r\n"
                                "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    const QByteArray body = EncodeQuotedPrintable(m.body);

    auto text = [this](const QByteArray &t) {
        auto seg = std::make_shared<Segment>();
        seg->text = t;
        segments_ << seg;
    };
    if (files.isEmpty()) {
        text(head + textHead + body);
    } else {
        const QByteArray boundary = "=_k5_" + QUuid::createUuid().toString(QUuid::Id128).toLatin1();
        text(head + "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n" +
             "This is a multi-part message in MIME format.\r\n--" + boundary + "\r\n" + textHead + body + "\r\n");
        static const QMimeDatabase mimes;
        for (int i = 0; i < files.size(); ++i) {
            const MailAttachment &a = m.attachments[i];
            const QByteArray type = mimes.mimeTypeForFile(a.path).name().toLatin1();
            text("--" + boundary + "\r\nContent-Type: " + (type.isEmpty() ? "application/octet-stream" : type) +
                 "; " + fileParameter("name", a.displayName) + "\r\nContent-Transfer-Encoding: base64\r\n" +
                 "Content-Disposition: attachment; " + fileParameter("filename", a.displayName) + "\r\n\r\n");
            segments_ << files[i];
        }
        text("--" + boundary + "--\r\n");
    }
    opened_ = true;
    return error_ = SUCCESS_SUCCESS;
}

bool MimeStream::fill()
{
    buffer_.clear();
    offset_ = 0;
    while (next_ < segments_.size()) {
        Segment &s = *segments_[next_];
        if (!s.file) {
            buffer_ = s.text;
            ++next_;
            return true;
        }
        const QByteArray raw = s.file->read(kPieceBytes);
        if (raw.isEmpty()) {
            if (!s.file->atEnd() || s.file->error() != QFileDevice::NoError) {
                error_ = MAPI_E_ATTACHMENT_OPEN_FAILURE;
                return false;
            }
            s.file->close();
            ++next_;
            continue;
        }
        buffer_.reserve((raw.size() + 2) / 3 * 4 + raw.size() / kLineBytes * 2 + 2);
        for (qsizetype at = 0; at < raw.size(); at += kLineBytes)
            buffer_ += raw.mid(at, kLineBytes).toBase64() + "\r\n";
        return true;
    }
    return false;
}

qint64 MimeStream::Read(char *data, qint64 size)
{
    if (!opened_ || error_ != SUCCESS_SUCCESS)
        return -1;
    qint64 done = 0;
    while (done < size) {
        if (offset_ >= buffer_.size() && !fill())
            break;
        const qint64 n = std::min<qint64>(size - done, buffer_.size() - offset_);
        memcpy(data + done, buffer_.constData() + offset_, size_t(n));
        offset_ += n;
        done += n;
    }
    return error_ != SUCCESS_SUCCESS && done == 0 ? -1 : done;
}

QByteArray MimeStream::ReadAll()
{
    QByteArray out;
    char piece[65536];
    for (qint64 n; (n = Read(piece, sizeof piece)) > 0;)
        out.append(piece, n);
    return out;
}

} // namespace platform
