#pragma once
// The mail component: logon, logoff, sending, saving, name resolution and the address book of the
// simple-mail interface, with its result codes, over our own SMTP transport. A profile is a mail account
// of our settings; logging on reads it and touches no network. Where the interface would show the
// messaging system's dialogs, the account dialog (logon) and the address dialog (address book, send
// dialog) are shown; without a display those paths answer MAPI_USER_ABORT, as for a refused dialog.
//
// NewSession: a send (or save) logs on afresh for itself, reading the account as it stands now, and
// ends that session after it, even while the component is logged on; the open session is left as it
// was. UseLongMessageID: the Message-ID made for a message carries a time stamp, a UUID and the sender's
// whole domain; without it the identifier stays within 64 characters. DownLoadFirst and UnreadOnly are
// kept and mean nothing here: they are about fetching and reading received mail, and SMTP only sends;
// there is no mailbox to download from or to read.
#include "platform/error.h"
#include "platform/mail/mailaccount.h"

#include <QObject>
#include <QStringList>
#include <optional>

class QWidget;

namespace publish {

class EMapiUnavailable : public platform::Error {
public:
    EMapiUnavailable() : Error(QStringLiteral("MAPI services are not available on this system")) {}
};

// Flag values of the interface, kept for callers that speak in them.
enum MapiFlags : unsigned {
    MAPI_LOGON_UI = 1, MAPI_NEW_SESSION = 2, MAPI_DIALOG = 8, MAPI_FORCE_DOWNLOAD = 4096,
    MAPI_RECEIPT_REQUESTED = 2,
};

class TEmail : public QObject {
    Q_OBJECT
public:
    explicit TEmail(QObject *owner = nullptr);
    ~TEmail() override;

    bool Acknowledge = false;
    QStringList Attachment, Bcc, CC, Recipient;
    bool DownLoadFirst = false;
    bool NewSession = false;
    bool ShowDialog = false;
    bool TruncAttFN = true;
    bool UnreadOnly = false;
    bool UseDefProfile = false;
    bool UseLongMessageID = true;

    bool MapiAvail() const;
    QString Password() const { return password_; }
    void SetPassword(const QString &v) { password_ = v.left(255); }
    QString Profile() const { return profile_; }
    void SetProfile(const QString &v) { profile_ = v.left(255); }
    QString Subject() const { return subject_; }
    void SetSubject(const QString &v) { subject_ = v.left(255); }
    QString Text() const { return text_; }
    void SetText(const QString &v) { text_ = v.left(255); }
    QString Version() const { return QStringLiteral("9.09.02"); }
    // The Message-ID of the last message sent or saved.
    QString MessageID() const { return messageId_; }
    // A new Message-ID for a sender at that domain: long, or within 64 characters.
    static QString MakeMessageID(const QString &domain, bool longForm);
    bool LoggedOn() const { return session_.has_value(); }

    int Logon();
    int Logoff();
    int SendMail() { return sendMail(false); }
    // Why the last send or save failed, in words: the server's own answer where it gave one, else what
    // stood in the way. Empty after one that went through.
    QString FailureText() const { return failure_; }
    // Saves the message as a draft (a MIME file in the drafts folder) instead of sending it.
    int SaveMail() { return sendMail(true); }
    int Address();
    // The resolved name, empty when the name cannot be resolved.
    int ResolveName(const QString &name, QString *result);
    // A null text leaves no long text; the result is the text's length. The long text, when set, is
    // sent instead of Text, which this clears.
    int SetLongText(const char *text);

    virtual void CheckMapi();
    virtual QString ShortFileName(const QString &name);

    // The folder drafts are saved in.
    static QString DraftsFolder();
    // Where the component's dialogs hang (may be null).
    void SetDialogParent(QWidget *parent) { dialogParent_ = parent; }

signals:
    void BeforeLogon();
    void AfterLogon();
    void BeforeLogoff();
    void AfterLogoff();
    void BeforeSaveMail();
    void AfterSaveMail();
    void BeforeSendMail();
    void AfterSendMail();
    void MapiError(int errorCode);

protected:
    virtual void DoBeforeLogon() { emit BeforeLogon(); }
    virtual void DoAfterLogon() { emit AfterLogon(); }
    virtual void DoBeforeLogoff() { emit BeforeLogoff(); }
    virtual void DoAfterLogoff() { emit AfterLogoff(); }
    virtual void DoBeforeSaveMail() { emit BeforeSaveMail(); }
    virtual void DoAfterSaveMail() { emit AfterSaveMail(); }
    virtual void DoBeforeSendMail() { emit BeforeSendMail(); }
    virtual void DoAfterSendMail() { emit AfterSendMail(); }
    virtual void DoMapiError(int code) { emit MapiError(code); }

private:
    int sendMail(bool save);
    // Keeps the reason of a failed send (a plain one when none was given yet) and answers the code.
    int failed(int code);
    int composeMail(bool save);
    // Resolves one typed name; fires the error and answers its code when it cannot be resolved.
    int resolve(const QString &typed, platform::MailAddress *address);
    bool resolveList(QStringList &names, QList<platform::MailAddress> *out, int *refused);
    bool logonAccount(const QString &profile, const QString &password);
    // The address dialog over the three lists (and the subject); MAPI_USER_ABORT when refused.
    int askRecipients(bool withSubject);
    int saveDraft(const platform::MailMessage &message);

    std::optional<platform::MailAccount> session_;
    QString password_, profile_, subject_, text_, messageId_, failure_;
    std::optional<QString> longText_;
    QWidget *dialogParent_ = nullptr;
};

} // namespace publish
