#include "email.h"

#include "maildialogs.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QUuid>

using namespace platform;

namespace publish {

namespace {

// The interface's limit on list sizes (0x5555555 entries).
constexpr qsizetype kMaxEntries = 89478485;

// Dialogs need a widget application; a console run answers as if the dialog was refused.
bool hasDisplay()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

bool bracketed(const QString &s)
{
    return s.contains(QLatin1Char('[')) && s.contains(QLatin1Char(']'));
}

QString joined(const QStringList &names)
{
    return names.join(QLatin1Char(';'));
}

} // namespace

TEmail::TEmail(QObject *owner) : QObject(owner) {}

TEmail::~TEmail()
{
    if (session_)
        Logoff();
}

bool TEmail::MapiAvail() const
{
    return SmtpAvailable();
}

void TEmail::CheckMapi()
{
    if (!MapiAvail())
        throw EMapiUnavailable();
}

QString TEmail::DraftsFolder()
{
    return ProgramFolder() + QStringLiteral("/drafts");
}

bool TEmail::logonAccount(const QString &profile, const QString &password)
{
    MailAccount a;
    if (!LoadMailAccount(profile, &a) || a.server.host.isEmpty() || !ParseMailAddress(a.sender).IsValid())
        return false;
    if (!password.isEmpty())
        a.server.password = password;
    session_ = a;
    return true;
}

int TEmail::Logon()
{
    CheckMapi();
    if (session_)
        return SUCCESS_SUCCESS;
    if (UseDefProfile)
        SetProfile(DefaultMailAccount());
    DoBeforeLogon();
    int code = SUCCESS_SUCCESS;
    if (!logonAccount(profile_, password_)) {
        // The second attempt asks the user for the account, as a logon dialog would.
        code = MAPI_USER_ABORT;
        if (hasDisplay()) {
            MailAccount seed;
            if (!LoadMailAccount(profile_, &seed))
                seed.name = profile_;
            TMailAccountDialog dialog(seed, dialogParent_);
            if (ShowModal(&dialog) == QDialog::Accepted) {
                const MailAccount chosen = dialog.Account();
                code = MAPI_E_LOGIN_FAILURE;
                try {
                    if (SaveMailAccount(chosen)) {
                        if (DefaultMailAccount().isEmpty())
                            SetDefaultMailAccount(chosen.name);
                        if (logonAccount(chosen.name, QString())) {
                            SetProfile(chosen.name);
                            code = SUCCESS_SUCCESS;
                        }
                    }
                } catch (const platform::Error &) {
                    // The settings could not be written: the account is not kept, the logon fails.
                }
            }
        }
    }
    if (code != SUCCESS_SUCCESS)
        DoMapiError(code);
    else
        DoAfterLogon();
    return code;
}

int TEmail::Logoff()
{
    if (!session_)
        return SUCCESS_SUCCESS;
    DoBeforeLogoff();
    session_.reset();
    DoAfterLogoff();
    return SUCCESS_SUCCESS;
}

int TEmail::SetLongText(const char *text)
{
    longText_.reset();
    text_.clear();
    if (!text)
        return 0;
    const QByteArray bytes(text);
    longText_ = QString::fromUtf8(bytes);
    return int(bytes.size());
}

QString TEmail::ShortFileName(const QString &name)
{
    if (name.size() < 13)
        return name;
    QString out = name;
    const qsizetype dot = out.indexOf(QLatin1Char('.'));
    if (dot > 8)
        out = out.mid(dot - 8);
    if (out.size() > 12)
        out = out.right(12);
    while (out.startsWith(QLatin1Char('.')))
        out.remove(0, 1);
    return out;
}

int TEmail::resolve(const QString &typed, MailAddress *address)
{
    // A line break would end a header early: such a name is refused outright.
    int code = HasLineBreak(typed) ? MAPI_E_INVALID_RECIPS : SUCCESS_SUCCESS;
    if (!code) {
        *address = ParseMailAddress(typed);
        if (!address->IsValid())
            code = MAPI_E_UNKNOWN_RECIPIENT;
        else if (bracketed(typed))
            address->name.clear();
    }
    if (code)
        DoMapiError(code);
    return code;
}

bool TEmail::resolveList(QStringList &names, QList<MailAddress> *out, int *refused)
{
    for (QString &name : names) {
        if (name.trimmed().isEmpty())
            continue;
        MailAddress a;
        const int code = resolve(name, &a);
        if (code == MAPI_E_INVALID_RECIPS) {
            *refused = code;
            return false;
        }
        if (code)
            continue; // an unknown name is left out; only a refused one ends the list
        if (!bracketed(name))
            name = a.Display();
        *out << a;
    }
    return true;
}

QString TEmail::MakeMessageID(const QString &domain, bool longForm)
{
    const QString host = domain.isEmpty() ? QStringLiteral("localhost") : domain;
    const QString unique = QUuid::createUuid().toString(QUuid::Id128);
    if (longForm)
        return QStringLiteral("<%1.%2@%3>")
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmsszzz")), unique, host);
    // 64 characters at most: 16 hex digits, and as many of the domain's last labels as fit.
    constexpr qsizetype kShort = 64;
    const QString left = unique.left(16);
    QString right = host;
    while (left.size() + right.size() + 3 > kShort) {
        const qsizetype dot = right.indexOf(QLatin1Char('.'));
        right = dot < 0 ? QStringLiteral("localhost") : right.mid(dot + 1);
    }
    return QStringLiteral("<%1@%2>").arg(left, right);
}

namespace {

QString CodeText(int code)
{
    switch (code) {
    case MAPI_USER_ABORT: return QStringLiteral("It was cancelled.");
    case MAPI_E_LOGIN_FAILURE:
        return QStringLiteral("No mail account could be used: it needs a server and a valid sender address.");
    case MAPI_E_NETWORK_FAILURE: return QStringLiteral("The mail server could not be reached.");
    case MAPI_E_UNKNOWN_RECIPIENT:
    case MAPI_E_AMBIGUOUS_RECIPIENT:
    case MAPI_E_INVALID_RECIPS: return QStringLiteral("A recipient was not accepted.");
    case MAPI_E_TOO_MANY_RECIPIENTS: return QStringLiteral("The message has too many recipients.");
    case MAPI_E_TOO_MANY_FILES: return QStringLiteral("The message has too many attachments.");
    case MAPI_E_ATTACHMENT_NOT_FOUND: return QStringLiteral("An attachment was not found.");
    case MAPI_E_ATTACHMENT_OPEN_FAILURE: return QStringLiteral("An attachment could not be read.");
    case MAPI_E_INVALID_MESSAGE: return QStringLiteral("The subject holds a line break.");
    case MAPI_E_INSUFFICIENT_MEMORY: return QStringLiteral("There was not enough memory.");
    case MAPI_E_DISK_FULL: return QStringLiteral("The draft could not be written.");
    default: return QStringLiteral("The mail server did not take the message.");
    }
}

// The failure of a send as the server (or the connection to it) told it.
QString ServerText(int code, const SmtpServer &server, const QString &reply)
{
    const QString where = QStringLiteral("%1 (port %2)").arg(server.host).arg(server.port);
    QString text;
    if (code == MAPI_E_NETWORK_FAILURE)
        text = QStringLiteral("The mail server %1 could not be reached.").arg(where);
    else if (code == MAPI_E_LOGIN_FAILURE)
        text = QStringLiteral("The mail server %1 refused the login.").arg(where);
    else
        text = CodeText(code);
    const QString answer = reply.trimmed();
    if (!answer.isEmpty())
        text += (code == MAPI_E_NETWORK_FAILURE ? QStringLiteral(" ") : QStringLiteral(" The server answered: ")) + answer;
    return text;
}

// An attachment that cannot be sent, named, with the file reader's own reason.
QString AttachmentText(const QString &path, int code)
{
    QFile file;
    try {
        platform::OpenForReading(file, path);
    } catch (const platform::FileError &e) {
        return e.message();
    }
    char probe;
    if (file.peek(&probe, 1) < 0)
        return platform::FileErrorText(QStringLiteral("read"), path, file.errorString());
    // Readable by now: it changed since the check.
    return QStringLiteral("%1 (\"%2\")").arg(CodeText(code), QDir::toNativeSeparators(path));
}

} // namespace

int TEmail::failed(int code)
{
    if (failure_.isEmpty())
        failure_ = CodeText(code);
    return code;
}

int TEmail::sendMail(bool save)
{
    failure_.clear();
    CheckMapi();
    if (Recipient.size() + CC.size() + Bcc.size() > kMaxEntries) {
        DoMapiError(MAPI_E_TOO_MANY_RECIPIENTS);
        return failed(MAPI_E_TOO_MANY_RECIPIENTS);
    }
    if (Attachment.size() > kMaxEntries) {
        DoMapiError(MAPI_E_TOO_MANY_FILES);
        return failed(MAPI_E_TOO_MANY_FILES);
    }
    // A new session puts the open one aside for the call and takes it back afterwards.
    std::optional<MailAccount> aside;
    if (NewSession)
        std::swap(aside, session_);
    const bool wasOpen = session_.has_value();
    if (Logon() != SUCCESS_SUCCESS) {
        session_ = std::move(aside);
        DoMapiError(MAPI_E_LOGIN_FAILURE);
        return failed(MAPI_E_LOGIN_FAILURE);
    }
    const int code = composeMail(save);
    // A session opened for this call ends with it, whatever happened.
    if (!wasOpen)
        Logoff();
    if (aside)
        session_ = std::move(aside);
    return code ? failed(code) : code;
}

int TEmail::composeMail(bool save)
{
    MailMessage m;
    m.from = ParseMailAddress(session_->sender);
    m.messageId = MakeMessageID(m.from.address.section(QLatin1Char('@'), -1), UseLongMessageID);
    m.receiptRequested = Acknowledge;
    int refused = SUCCESS_SUCCESS;
    auto fill = [&] {
        m.to.clear();
        m.cc.clear();
        m.bcc.clear();
        return resolveList(Recipient, &m.to, &refused) && resolveList(CC, &m.cc, &refused) &&
               resolveList(Bcc, &m.bcc, &refused);
    };
    if (!fill())
        return refused;
    const bool none = m.to.isEmpty() && m.cc.isEmpty() && m.bcc.isEmpty();
    // A draft needs no recipient; a message without one goes through the send dialog.
    if (!save && (ShowDialog || none)) {
        int code = askRecipients(true);
        if (!code) {
            if (!fill())
                return refused;
            code = m.to.isEmpty() && m.cc.isEmpty() && m.bcc.isEmpty() ? MAPI_E_INVALID_RECIPS : SUCCESS_SUCCESS;
        }
        if (code) {
            DoMapiError(code);
            return code;
        }
    }
    m.subject = subject_;
    if (HasLineBreak(m.subject)) {
        DoMapiError(MAPI_E_INVALID_MESSAGE);
        return MAPI_E_INVALID_MESSAGE;
    }
    m.body = longText_ ? *longText_ : text_;
    for (const QString &path : Attachment) {
        const QString name = QFileInfo(path).fileName();
        m.attachments << MailAttachment{path, TruncAttFN ? ShortFileName(name) : name};
    }
    // Every attachment is checked before anything is sent.
    int refusedAt = -1;
    if (const int code = CheckAttachments(m.attachments, &refusedAt)) {
        failure_ = AttachmentText(m.attachments.value(refusedAt).path, code);
        DoMapiError(code);
        return code;
    }
    int code;
    if (save) {
        DoBeforeSaveMail();
        code = saveDraft(m);
    } else {
        DoBeforeSendMail();
        QString reply;
        code = SmtpSend(session_->server, m, &reply);
        if (code)
            failure_ = ServerText(code, session_->server, reply);
    }
    if (!code)
        messageId_ = m.messageId;
    if (code)
        DoMapiError(code);
    else if (save)
        DoAfterSaveMail();
    else
        DoAfterSendMail();
    return code;
}

int TEmail::saveDraft(const MailMessage &message)
{
    MimeStream mime(message);
    if (const int code = mime.Open())
        return code;
    if (!QDir().mkpath(DraftsFolder()))
        return MAPI_E_DISK_FULL;
    QSaveFile file(DraftsFolder() + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces) +
                   QStringLiteral(".eml"));
    if (!file.open(QIODevice::WriteOnly))
        return MAPI_E_DISK_FULL;
    char piece[65536];
    for (qint64 n; (n = mime.Read(piece, sizeof piece)) != 0;) {
        if (n < 0)
            return mime.Error();
        if (file.write(piece, n) != n)
            return MAPI_E_DISK_FULL;
    }
    if (!file.commit())
        return MAPI_E_DISK_FULL;
    return SUCCESS_SUCCESS;
}

int TEmail::askRecipients(bool withSubject)
{
    if (!hasDisplay())
        return MAPI_USER_ABORT;
    TMailAddressDialog dialog(withSubject, dialogParent_);
    dialog.edtTo->setText(joined(Recipient));
    dialog.edtCc->setText(joined(CC));
    dialog.edtBcc->setText(joined(Bcc));
    if (withSubject)
        dialog.edtSubject->setText(subject_);
    if (ShowModal(&dialog) != QDialog::Accepted)
        return MAPI_USER_ABORT;
    Recipient = SplitRecipients(dialog.edtTo->text());
    CC = SplitRecipients(dialog.edtCc->text());
    Bcc = SplitRecipients(dialog.edtBcc->text());
    if (withSubject)
        SetSubject(dialog.edtSubject->text());
    return SUCCESS_SUCCESS;
}

int TEmail::Address()
{
    CheckMapi();
    const bool wasOpen = session_.has_value();
    if (Logon() != SUCCESS_SUCCESS) {
        DoMapiError(MAPI_E_LOGIN_FAILURE);
        return MAPI_E_LOGIN_FAILURE;
    }
    const int code = askRecipients(false);
    if (code)
        DoMapiError(code);
    if (!wasOpen)
        Logoff();
    return code;
}

int TEmail::ResolveName(const QString &name, QString *result)
{
    CheckMapi();
    result->clear();
    const bool wasOpen = session_.has_value();
    if (const int code = Logon())
        return code;
    MailAddress a;
    const int code = resolve(name, &a);
    if (!code)
        *result = bracketed(name) ? name : a.Display();
    if (!wasOpen)
        Logoff();
    return code;
}

} // namespace publish
