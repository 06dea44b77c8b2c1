#pragma once
// The "Ftp" window: the user types the server data, connects, browses the server and drops files on the
// list to upload them. Failures are shown; the window cannot be closed while an upload runs.
#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace publish {

class TBTDragDropFTP;

class TFtpUpload : public QDialog {
    Q_OBJECT
public:
    explicit TFtpUpload(QWidget *owner = nullptr);

    QLineEdit *loginName, *Password, *Directory, *Host;
    TBTDragDropFTP *Ftp;
    QPushButton *DisconnectButton, *ConnectButton, *ExitButton;
    QLabel *Status; // the component's last message

    void ConnectClick();
    void DisconnectClick();
    void ExitClick();

    // Escape and the close button: refused while an upload runs.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void copySettings();
    void message(const QString &text, bool isError);
    void uploadEnded();
    void showErrors();
    bool refuseWhileBusy();

    QStringList pending_; // errors not shown yet
    bool centred_ = false;
};

} // namespace publish
