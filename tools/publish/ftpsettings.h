#pragma once
// The "FTP Settings" window (a service form, kept for the whole run): the user's server, login name and
// password, kept as typed in the settings store, and the one-step upload of a file (the current page, a
// project file) with them.
#include "platform/form.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace zel {
class TZELControlStore;
class TZELStoreEdit;
}

namespace publish {

class TBTDragDropFTP;

// Why the text cannot serve as the server's host name (a port, an address or a character no host name
// has); empty when it can, or when it is empty.
QString HostNameProblem(const QString &host);

class TFTPSettings : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TFTPSettings(QWidget *owner = nullptr);
    ~TFTPSettings() override;

    TBTDragDropFTP *FTP;
    QPushButton *Button3; // hidden: uploads upload.htm of the program folder
    QPushButton *Button1; // hidden: uploads the project manager's selected file
    QPushButton *OkButton;
    zel::TZELControlStore *ZELControlStore2;
    zel::TZELStoreEdit *Password, *LoginName, *Host;
    QLabel *HostProblem;   // what the host name cannot be; hidden while it is fine
    QLabel *PasswordPlace; // where the password is kept: the desktop's keyring, or the private settings file

    // The text of the project tree's selected node (a file's path, or the root "Project(s)").
    std::function<QString()> SelectedProjectNode;

    void Button3Click();
    void Button1Click();
    // Uploads one file with the stored settings and says how it went. With no host set yet, this window
    // is shown first; closed still without one, nothing is uploaded.
    void UploadFile(const QString &path);
    bool Uploading() const { return uploading_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void upload(const QString &path);
    // With a keyring running, the password lives there and the store keeps an empty value.
    void keepPasswordInKeyring();
    void writePassword();
    bool hostAccepted();
    QWidget *messageParent();

    bool uploading_ = false;
    QStringList errors_;
    QString reason_; // why the first error happened
};

// The single FTP settings window; null before it is made and after it is gone.
extern TFTPSettings *FTPSettings;

} // namespace publish
