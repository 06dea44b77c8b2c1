#pragma once
// TBTDragDropFTP: a panel that shows an FTP server's current folder, browses it, gets, deletes, renames
// and creates entries, and uploads the files dropped on it on a worker thread (TUploadThread).
#include "platform/ftp/ftpclient.h"

#include <QFrame>
#include <QStringList>
#include <QThread>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QListView;
class QStackedWidget;
class QTreeView;

namespace publish {

using TNotifyEvent = std::function<void(QObject *sender)>;
using TDisplayMessageEvent = std::function<void(QObject *sender, const QString &messageText, bool isError)>;
using TGetConfirmationEvent = std::function<void(QObject *sender, const QString &messageText, bool &confirm)>;
using TGetLocalFileEvent =
    std::function<void(QObject *sender, const QString &remoteFileName, QString &localFileName)>;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TBTDragDropFTP;
class FtpEntryModel;

// Stores a list of local files in the server's current folder, one after the other.
class TUploadThread : public QThread {
    Q_OBJECT
public:
    TUploadThread(TBTDragDropFTP *owner, std::shared_ptr<platform::FtpConnection> connection, QStringList files);
    TBTDragDropFTP *Owner() const { return owner_; }
    // Ends the transfer under way at once; it and the files after it fail as cancelled.
    void Cancel();

signals:
    void Report(const QString &text, bool isError);
    // A file that did not arrive, named, and why in words.
    void Failed(const QString &line);
    void Done();

protected:
    void run() override;

private:
    TBTDragDropFTP *owner_;
    std::shared_ptr<platform::FtpConnection> connection_;
    QStringList files_;
};

class TBTDragDropFTP : public QFrame {
    Q_OBJECT
public:
    explicit TBTDragDropFTP(QWidget *owner);
    ~TBTDragDropFTP() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    QString HostName() const { return hostName_; }
    void SetHostName(const QString &value) { hostName_ = value; }
    QString LoginName() const { return loginName_; }
    void SetLoginName(const QString &value) { loginName_ = value; }
    bool Passive() const { return passive_; }
    void SetPassive(bool value) { passive_ = value; }
    QString Password() const { return password_; }
    void SetPassword(const QString &value) { password_ = value; }
    int Port() const { return port_; }
    void SetPort(int value) { port_ = value; }
    QString RemoteDir() const { return remoteDir_; }
    void SetRemoteDir(const QString &value) { remoteDir_ = value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnDblClick;
    TDisplayMessageEvent OnDisplayMessage;
    TGetConfirmationEvent OnGetConfirmation;
    TGetLocalFileEvent OnGetLocalFile;

    // The panel's popup menu: set one before Loaded to have the component's items appended to it.
    QMenu *PopupMenu() const { return popup_; }
    void SetPopupMenu(QMenu *menu) { popup_ = menu; }
    // Called by the owner once its properties are set: builds the popup items and reports "Not connected".
    void Loaded();

    // Raises platform::Error when the host, login name or password is missing.
    bool Connect();
    bool Connected() const { return connection_ != nullptr; }
    // Cancels a running upload (its files report the cancel) and lists nothing.
    void Disconnect();
    void Refresh();
    // One local path per line; False when an upload runs or there is no connection.
    bool Upload(const QString &files);
    // An upload is running: server commands are refused until it ends.
    bool Busy() const { return busy_; }
    // The files of the last upload that did not arrive, each as its name, ": " and why.
    QStringList UploadFailures() const { return failures_; }
    void GetSelected();
    void DeleteSelected();
    void RenameSelected();
    void NewFolder(const QString &folderName);

    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle style);

signals:
    // The upload has ended, cancelled or not; its failures are known by now.
    void UploadEnded();

protected:
    void Change();
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void UploadDone();
    void uploadReport(const QString &text, bool isError);

private:
    friend class FtpEntryModel;
    void Info(const QString &text);
    void Error(const QString &text);
    bool Confirm(const QString &question);
    bool idle();
    int selectedRow() const;
    void columnClick(int column);
    void sortEntries();
    bool edited(int row, const QString &text);
    void updatePopupItems();
    void popupAt(QWidget *view, const QPoint &pos);
    void newFolderClick();
    void cancelUpload();
    QString errorSuffix() const;

    // Sort keys: 0 Name, 1 Date, 2 Size, 3 Type.
    bool descending_[4] = {false, false, false, false};
    int sortKey_ = 0;
    QMenu *viewMenu_ = nullptr;
    QMenu *orderMenu_ = nullptr;
    int ownItemsStart_ = 0;
    int fileCount_ = 0;
    bool active_ = false;
    bool busy_ = false;
    qint64 byteSum_ = 0;
    std::shared_ptr<platform::FtpConnection> connection_;

    QString hostName_ = QStringLiteral("localhost");
    QString loginName_ = QStringLiteral("anonymous");
    bool passive_ = true;
    QString password_;
    int port_ = 21;
    QString remoteDir_;

    bool destroying_ = false;
    bool loaded_ = false;
    TViewStyle viewStyle_ = vsReport;
    QMenu *popup_ = nullptr;
    QAction *get_ = nullptr, *delete_ = nullptr, *rename_ = nullptr, *newFolder_ = nullptr, *refresh_ = nullptr;
    FtpEntryModel *model_ = nullptr;
    QStackedWidget *stack_ = nullptr;
    QTreeView *details_ = nullptr;
    QListView *icons_ = nullptr;
    std::unique_ptr<TUploadThread> thread_;
    QStringList failures_;
};

} // namespace publish
