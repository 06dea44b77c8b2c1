#include "ftpsettings.h"

#include "bt_ddftp.h"
#include "controls/zel/zelstores.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"

#include <QApplication>
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

} // namespace

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
    const std::pair<const char *, QLineEdit *> rows[] = {{"Host Name", Host}, {"Login Name", LoginName}, {"Password", Password}};
    int row = 0;
    for (const auto &[caption, e] : rows) {
        auto *label = new QLabel(QString::fromLatin1(caption), group);
        label->setBuddy(e);
        grid->addWidget(label, row, 0);
        grid->addWidget(e, row, 1);
        ++row;
    }

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

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    FTP->Loaded();
    FinishLoading();
    FTPSettings = this;
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
