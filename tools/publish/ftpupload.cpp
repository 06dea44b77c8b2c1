#include "ftpupload.h"

#include "bt_ddftp.h"
#include "ftpsettings.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/ftp/ftpclient.h"
#include "platform/shell/shell.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace publish {

namespace {

QLineEdit *edit(const QString &name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

QPushButton *button(const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(caption);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFtpUpload::TFtpUpload(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FtpUpload"));
    setWindowTitle(QStringLiteral("Ftp"));

    auto *top = new QWidget(this);
    top->setObjectName(QStringLiteral("Panel1"));
    loginName = edit(QStringLiteral("loginName"), top);
    Password = edit(QStringLiteral("Password"), top);
    Password->setEchoMode(QLineEdit::Password);
    Directory = edit(QStringLiteral("Directory"), top);
    Host = edit(QStringLiteral("Host"), top);
    auto *fields = new QGridLayout(top);
    fields->setContentsMargins(0, 0, 0, 0);
    const std::pair<const char *, QLineEdit *> rows[] = {
        {"Login Name", loginName}, {"Password", Password}, {"Directory", Directory}, {"Host", Host}};
    int i = 0;
    for (const auto &[caption, e] : rows) {
        auto *label = new QLabel(QString::fromLatin1(caption), top);
        label->setBuddy(e);
        fields->addWidget(label, i / 2, (i % 2) * 2);
        fields->addWidget(e, i / 2, (i % 2) * 2 + 1);
        ++i;
    }

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel2"));
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    Ftp = new TBTDragDropFTP(panel);
    Ftp->setObjectName(QStringLiteral("Ftp"));
    Ftp->setFrameShape(QFrame::StyledPanel);
    panelLayout->addWidget(Ftp);
    Ftp->SetActive(true);
    Ftp->OnDisplayMessage = [this](QObject *, const QString &text, bool isError) { message(text, isError); };

    DisconnectButton = button(QStringLiteral("Disconnect"), this);
    ConnectButton = button(QStringLiteral("Connect"), this);
    ExitButton = button(QStringLiteral("Exit"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(DisconnectButton);
    buttons->addWidget(ConnectButton);
    buttons->addWidget(ExitButton);

    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Status->setTextFormat(Qt::PlainText); // it names files, which are no markup

    // The file manager is named as this desktop names its own.
    auto *hint = new QLabel(QStringLiteral("Start %1 and drag all the files you want to upload over the FTP area.")
                                .arg(platform::FileManagerName()),
                            this);
    hint->setObjectName(QStringLiteral("Label5"));
    hint->setTextFormat(Qt::PlainText);
    hint->setWordWrap(true);
    hint->setAutoFillBackground(true);
    hint->setStyleSheet(QStringLiteral("background-color: #808080; color: #ffffff; padding: 6px;"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(top);
    layout->addWidget(panel, 1);
    layout->addLayout(buttons);
    layout->addWidget(Status);
    layout->addWidget(hint);
    resize(560, 420);

    // A drop before Connect uses what is typed, too.
    for (QLineEdit *e : {loginName, Password, Directory, Host})
        connect(e, &QLineEdit::textChanged, this, [this] { copySettings(); });
    copySettings();
    connect(ConnectButton, &QPushButton::clicked, this, [this] { ConnectClick(); });
    connect(DisconnectButton, &QPushButton::clicked, this, [this] { DisconnectClick(); });
    connect(ExitButton, &QPushButton::clicked, this, [this] { ExitClick(); });
    connect(Ftp, &TBTDragDropFTP::UploadEnded, this, [this] { uploadEnded(); });
    Ftp->Loaded();
}

void TFtpUpload::copySettings()
{
    Ftp->SetLoginName(loginName->text());
    Ftp->SetPassword(Password->text());
    Ftp->SetHostName(Host->text().trimmed());
    Ftp->SetRemoteDir(Directory->text().trimmed());
}

void TFtpUpload::ConnectClick()
{
    copySettings();
    // The window has no port either: a host typed with one is named, not left to a vague failure.
    if (const QString problem = HostNameProblem(Host->text()); !problem.isEmpty()) {
        pending_ << problem;
        showErrors();
        return;
    }
    try {
        Ftp->Connect();
    } catch (const platform::Error &e) {
        // A missing host, login name or password.
        pending_ << e.message();
    }
    showErrors();
}

void TFtpUpload::DisconnectClick()
{
    Ftp->Disconnect();
}

void TFtpUpload::ExitClick()
{
    if (refuseWhileBusy())
        return;
    Ftp->Disconnect();
    QDialog::reject();
}

void TFtpUpload::reject()
{
    if (refuseWhileBusy())
        return;
    QDialog::reject();
}

bool TFtpUpload::refuseWhileBusy()
{
    if (!Ftp->Busy())
        return false;
    platform::MessageBox(this, QStringLiteral("File upload in progress! Press Disconnect to cancel it."), windowTitle(),
                         platform::MB_OK | platform::MB_ICONWARNING);
    return true;
}

void TFtpUpload::message(const QString &text, bool isError)
{
    Status->setText(text);
    // What the upload says of its files is summed up when it ends.
    if (!isError || Ftp->Busy())
        return;
    QString line = text;
    // These two say where it failed, not why: the connection layer knows.
    if (text.startsWith(QLatin1String("Could not connect to ")) || text.startsWith(QLatin1String("Could not change to ")))
        line += QStringLiteral(" (%1)").arg(platform::FtpErrorText(platform::FtpLastError(), platform::FtpLastResponse()));
    pending_ << line;
    // Shown once the component's step is over, all in one box.
    QTimer::singleShot(0, this, [this] { showErrors(); });
}

void TFtpUpload::uploadEnded()
{
    const QStringList failures = Ftp->UploadFailures();
    if (failures.isEmpty())
        return;
    pending_ << QStringLiteral("These files were not uploaded:") << failures;
    QTimer::singleShot(0, this, [this] { showErrors(); });
}

void TFtpUpload::showErrors()
{
    if (pending_.isEmpty())
        return;
    const QString text = pending_.join(QLatin1Char('\n'));
    pending_.clear();
    platform::MessageBox(this, text, windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
}

void TFtpUpload::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

} // namespace publish
