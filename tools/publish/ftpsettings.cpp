#include "ftpsettings.h"

#include "bt_ddftp.h"
#include "controls/zel/zelstores.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/keyring/keyring.h"
#include "platform/mail/mailaccount.h"

#include <QApplication>
#include <cctype>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QVBoxLayout>

namespace publish {

TFTPSettings *FTPSettings = nullptr;

namespace {

const char *const kStartFailed = "Could not start upload - Please check the FTP Settings";

Qt::WindowFlags toolWindow()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

const QString kPasswordKey = QStringLiteral("FTP Password");

// Hex groups between colons (two at least), an IPv4 address at the end allowed.
bool LooksLikeIPv6(const QString &host)
{
    if (host.count(QLatin1Char(':')) < 2)
        return false;
    for (const QChar c : host)
        if ((c.unicode() > 0x7F || !std::isxdigit(c.unicode())) && c != QLatin1Char(':') && c != QLatin1Char('.'))
            return false;
    return true;
}

} // namespace

QString HostNameProblem(const QString &text)
{
    const QString host = text.trimmed();
    if (host.isEmpty())
        return {};
    const QString example = QStringLiteral("Give the server's name or address alone, such as \"ftp.example.org\".");
    if (host.contains(QLatin1String("://")) || host.contains(QLatin1Char('/')))
        return QStringLiteral("\"%1\" is not a host name: the address of a server holds no \"ftp://\" and no folder. ")
                   .arg(host) + example;
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0 && !LooksLikeIPv6(host)) {
        const QString port = host.mid(colon + 1);
        bool number = false;
        port.toUInt(&number);
        if (number && colon > 0 && host.count(QLatin1Char(':')) == 1)
            return QStringLiteral("The host name \"%1\" holds a port (%2). The upload always uses port 21, the FTP port: "
                                  "give the host name alone, \"%3\".")
                .arg(host, port, host.left(colon));
        return QStringLiteral("The host name \"%1\" holds \":\", which only an IPv6 address may hold. ").arg(host) + example;
    }
    for (const QChar c : host)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringLiteral(" ?#@\\%\"<>").contains(c))
            return QStringLiteral("The host name \"%1\" holds \"%2\", which no host name holds. ").arg(host, c) + example;
    return {};
}

TFTPSettings::TFTPSettings(QWidget *owner)
{
    setParent(owner, toolWindow());
    setObjectName(QStringLiteral("FTPSettings"));
    setWindowTitle(QStringLiteral("FTP Settings"));

    // Only connects for the length of one upload.
    FTP = new TBTDragDropFTP(this);
    FTP->setObjectName(QStringLiteral("FTP"));
    FTP->SetActive(true);
    FTP->hide();
    FTP->OnDisplayMessage = [this](QObject *, const QString &text, bool isError) {
        if (!isError)
            return;
        // Why the connection layer failed, while it still knows.
        if (errors_.isEmpty())
            reason_ = platform::FtpErrorText(platform::FtpLastError(), platform::FtpLastResponse());
        errors_ << text;
    };

    Button3 = new QPushButton(QStringLiteral("Button3"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->hide();

    ZELControlStore2 = new zel::TZELControlStore(this);
    ZELControlStore2->setObjectName(QStringLiteral("ZELControlStore2"));
    zel::TZELDataStore *store = ZELControlStore2->DataStore();
    store->Registry.Path = QStringLiteral("Kestrova 5");
    store->Registry.Section = QStringLiteral("Settings");
    // A password that reads "Error" is a password like any other: a missing value reads as a line
    // break, which no edit holds.
    store->ErrorStr = QStringLiteral("\n");

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(group);
    auto storeEdit = [this, group](const char *name, const char *key) {
        auto *e = new zel::TZELStoreEdit(group);
        e->setObjectName(QString::fromLatin1(name));
        e->SetStore(ZELControlStore2);
        e->StoreKey = QString::fromLatin1(key);
        return e;
    };
    // Made in the order they are shown, so that Tab goes down the window.
    Host = storeEdit("Host", "FTP Host Name");
    LoginName = storeEdit("LoginName", "FTP Login Name");
    Password = storeEdit("Password", "FTP Password");
    Password->setEchoMode(QLineEdit::Password);
    HostProblem = new QLabel(group);
    HostProblem->setObjectName(QStringLiteral("HostProblem"));
    HostProblem->setWordWrap(true);
    HostProblem->setTextFormat(Qt::PlainText);
    HostProblem->setStyleSheet(QStringLiteral("color: #c00000;"));
    HostProblem->hide();
    PasswordPlace = new QLabel(group);
    PasswordPlace->setObjectName(QStringLiteral("lblPasswordPlace"));
    PasswordPlace->setWordWrap(true);
    const std::pair<const char *, QLineEdit *> rows[] = {{"Host Name", Host}, {"Login Name", LoginName}, {"Password", Password}};
    int row = 0;
    for (const auto &[caption, e] : rows) {
        auto *label = new QLabel(QString::fromLatin1(caption), group);
        label->setBuddy(e);
        grid->addWidget(label, row, 0);
        grid->addWidget(e, row, 1);
        ++row;
        if (e == Host)
            grid->addWidget(HostProblem, row++, 1);
    }
    grid->addWidget(PasswordPlace, row, 1);
    // Told while typing, not first by a failed upload.
    connect(Host, &QLineEdit::textChanged, this, [this](const QString &text) {
        HostProblem->setText(HostNameProblem(text));
        HostProblem->setVisible(!HostProblem->text().isEmpty());
    });

    auto *note = new QLabel(QStringLiteral("These fields are needed for the one-step upload of your site."), this);
    note->setObjectName(QStringLiteral("Label4"));
    note->setWordWrap(true);
    note->setAutoFillBackground(true);
    note->setStyleSheet(QStringLiteral("background-color: #808080; color: #ffffff; padding: 6px;"));

    OkButton = new QPushButton(QStringLiteral("&Ok"), this);
    OkButton->setObjectName(QStringLiteral("Ok"));
    OkButton->setDefault(true);
    Button1 = new QPushButton(QStringLiteral("Button1"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->hide();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    group->setMinimumWidth(340);

    connect(OkButton, &QPushButton::clicked, this, [this] {
        if (hostAccepted())
            accept();
    });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    FTP->Loaded();
    FinishLoading();
    keepPasswordInKeyring();
    FTPSettings = this;
}

void TFTPSettings::keepPasswordInKeyring()
{
    // The same words as for the mail accounts' passwords.
    PasswordPlace->setText(platform::MailPasswordPlace());
    if (!platform::KeyringAvailable())
        return;
    // From here on the edit's text goes to the keyring, and the store only ever receives an empty value
    // (or the password, should the keyring refuse it).
    Password->SetStore(nullptr);
    connect(Password, &QLineEdit::textChanged, this, [this] { writePassword(); });
    const QString stored = Password->text();
    QString secret;
    if (!stored.isEmpty())
        writePassword(); // kept in the file where no keyring ran, or by an earlier version: moved
    else if (platform::KeyringRead(kPasswordKey, &secret))
        Password->setText(secret);
}

void TFTPSettings::writePassword()
{
    const QString secret = Password->text();
    const bool inKeyring = secret.isEmpty() ? (platform::KeyringDelete(kPasswordKey), true)
                                            : platform::KeyringWrite(kPasswordKey, secret);
    ZELControlStore2->WriteString(kPasswordKey, inKeyring ? QString() : secret);
}

bool TFTPSettings::hostAccepted()
{
    const QString problem = HostNameProblem(Host->text());
    if (problem.isEmpty())
        return true;
    platform::MessageBox(messageParent(), problem, windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
    if (isVisible()) {
        Host->setFocus();
        Host->selectAll();
    }
    return false;
}

void TFTPSettings::showEvent(QShowEvent *event)
{
    FormOf<QDialog>::showEvent(event);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    Host->setFocus();
}

TFTPSettings::~TFTPSettings()
{
    if (FTPSettings == this)
        FTPSettings = nullptr;
}

QWidget *TFTPSettings::messageParent()
{
    if (isVisible())
        return this;
    QWidget *active = QApplication::activeWindow();
    return active ? active : parentWidget();
}

void TFTPSettings::Button3Click()
{
    UploadFile(platform::ProgramFile(QStringLiteral("upload.htm")));
}

void TFTPSettings::Button1Click()
{
    if (!SelectedProjectNode)
        return;
    const QString node = SelectedProjectNode();
    // The root stands for all projects, not for a file.
    if (node.isEmpty() || node == QLatin1String("Project(s)"))
        return;
    UploadFile(node);
}

void TFTPSettings::UploadFile(const QString &path)
{
    if (uploading_)
        return;
    if (Host->text().trimmed().isEmpty()) {
        // No site yet: the place to give one.
        if (!isVisible())
            platform::ShowModal(this);
        if (Host->text().trimmed().isEmpty())
            return;
    }
    if (!hostAccepted())
        return;
    uploading_ = true;
    struct Done {
        TFTPSettings *self;
        ~Done()
        {
            self->uploading_ = false;
            // The component connects only for the length of one upload.
            if (self->FTP->Connected())
                self->FTP->Disconnect();
        }
    } done{this};
    upload(path);
}

void TFTPSettings::upload(const QString &path)
{
    const QString title = platform::ApplicationTitle();
    FTP->SetLoginName(LoginName->text());
    FTP->SetPassword(Password->text());
    FTP->SetHostName(Host->text().trimmed());
    errors_.clear();
    try {
        FTP->Connect();
    } catch (const platform::Error &e) {
        // A missing login name or password: nothing was started.
        platform::MessageBox(messageParent(), e.message(), title, platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    if (!FTP->Connected()) {
        QString text = QString::fromLatin1(kStartFailed);
        if (!errors_.isEmpty())
            text = errors_.first() + QStringLiteral(" (%1)\n\n").arg(reason_) + text;
        platform::MessageBox(messageParent(), text, title, platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    if (!FTP->Upload(path)) {
        platform::MessageBox(messageParent(), QString::fromLatin1(kStartFailed), title, platform::MB_OK | platform::MB_ICONERROR);
        return;
    }

    // The wait: the rest of the program keeps running, and the user may cancel.
    QDialog wait(messageParent(), toolWindow());
    wait.setObjectName(QStringLiteral("UploadProgress"));
    wait.setWindowTitle(QStringLiteral("FTP Upload"));
    auto *label = new QLabel(QStringLiteral("Uploading \"%1\" to %2").arg(QFileInfo(path).fileName(), FTP->HostName()), &wait);
    auto *bar = new QProgressBar(&wait);
    bar->setRange(0, 0);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &wait);
    cancel->setObjectName(QStringLiteral("Cancel"));
    auto *column = new QVBoxLayout(&wait);
    column->addWidget(label);
    column->addWidget(bar);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel);
    column->addLayout(row);
    wait.setMinimumWidth(320);
    QObject::connect(cancel, &QPushButton::clicked, &wait, &QDialog::reject);
    QObject::connect(FTP, &TBTDragDropFTP::UploadEnded, &wait, &QDialog::accept);
    bool cancelled = false;
    if (FTP->Busy()) {
        platform::ShowModal(&wait);
        // Cancelled while it still ran: Disconnect ends the transfer.
        cancelled = FTP->Busy();
    }
    FTP->Disconnect();
    const QStringList failures = FTP->UploadFailures();
    if (failures.isEmpty())
        platform::MessageBox(messageParent(), QStringLiteral("Upload complete"), QString(), platform::MB_OK);
    else if (!cancelled)
        platform::MessageBox(messageParent(), QStringLiteral("The file was not uploaded.\n") + failures.join(QLatin1Char('\n')),
                             title, platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace publish
