#pragma once
// Our layer for the internet library's FTP calls, over libcurl. One connection per session: the control
// connection is opened and logged in by Open and re-used by every later call; calls from several threads
// are serialised. Every command names an absolute path, so a re-used connection never depends on the
// folder an earlier transfer left it in. A call that fails returns false (or null) and leaves its error
// number in FtpLastError(), kept per thread so that threads never see each other's failures. Abort, from any
// thread, ends the running call at once and every later one.
#include "platform/ftp/ftplisting.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <mutex>

namespace platform {

// The error numbers shown to users as "(Win32 Error n)".
enum FtpErrorCode : unsigned {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_NO_MORE_FILES = 18,
    ERROR_WRITE_FAULT = 29,
    ERROR_READ_FAULT = 30,
    ERROR_FILE_EXISTS = 80,
    ERROR_INVALID_NAME = 123,
    ERROR_INTERNET_TIMEOUT = 12002,
    ERROR_INTERNET_EXTENDED_ERROR = 12003, // the server refused; see FtpLastResponse()
    ERROR_INTERNET_INTERNAL_ERROR = 12004,
    ERROR_INTERNET_INVALID_URL = 12005,
    ERROR_INTERNET_NAME_NOT_RESOLVED = 12007,
    ERROR_INTERNET_LOGIN_FAILURE = 12015,
    ERROR_INTERNET_OPERATION_CANCELLED = 12017,
    ERROR_INTERNET_CANNOT_CONNECT = 12029,
    ERROR_INTERNET_CONNECTION_ABORTED = 12030,
    ERROR_INTERNET_CONNECTION_RESET = 12031,
};

// The last error number and server reply of the calling thread.
unsigned FtpLastError();
QString FtpLastResponse();
// The error number for a libcurl result code (CURLcode), in one table.
unsigned FtpErrorFromCurl(int curlCode);
// Why a call failed, in words for users: the server's reply where it refused, else the meaning of the
// error number (with the number where it has none of its own).
QString FtpErrorText(unsigned error, const QString &response = QString());

struct FtpConnectOptions {
    QString agent;          // the session's agent name (kept for the server log only)
    QString host;
    quint16 port = 21;
    QString user;
    QString password;
    bool passive = true;
    int connectTimeoutMs = 15000;  // connecting and each server reply
    int stallTimeoutMs = 30000;    // a transfer that moves no byte for this long fails
};

class FtpConnection;

// The entries of one listing, handed out one by one.
class FtpFind {
public:
    explicit FtpFind(QList<FtpFindData> entries) : entries_(std::move(entries)) {}
    // False with ERROR_NO_MORE_FILES after the last entry.
    bool FindNextFile(FtpFindData *data);
    int Count() const { return int(entries_.size()); }

private:
    QList<FtpFindData> entries_;
    int next_ = 0;
};

class FtpConnection {
public:
    // Connects and logs in; null on failure (FtpLastError() tells why).
    static std::shared_ptr<FtpConnection> Open(const FtpConnectOptions &options);
    ~FtpConnection();
    FtpConnection(const FtpConnection &) = delete;
    FtpConnection &operator=(const FtpConnection &) = delete;

    const FtpConnectOptions &Options() const { return options_; }

    // The current server folder (absolute). It changes only through SetCurrentDirectory.
    bool GetCurrentDirectory(QByteArray *dir);
    // dir is absolute or relative to the current folder ("..", "sub", "a/b").
    bool SetCurrentDirectory(const QByteArray &dir);
    // Lists the current folder (MLSD, else LIST). With no entries it returns null and ERROR_NO_MORE_FILES.
    std::unique_ptr<FtpFind> FindFirstFile(FtpFindData *first);
    // Stores a server file into localPath through a temporary beside it; with failIfExists an existing
    // local file is an error.
    bool GetFile(const QByteArray &remote, const QString &localPath, bool failIfExists = false);
    bool PutFile(const QString &localPath, const QByteArray &remote);
    bool DeleteFile(const QByteArray &remote);
    bool RemoveDirectory(const QByteArray &remote);
    bool CreateDirectory(const QByteArray &remote);
    bool RenameFile(const QByteArray &from, const QByteArray &to);

    // Ends the call running on another thread within moments and fails it and every later call with
    // ERROR_INTERNET_OPERATION_CANCELLED; the connection is closed without a goodbye to the server.
    void Abort();
    bool Aborted() const;

    // The absolute form of a path given relative to the current folder ("." and ".." resolved).
    QByteArray AbsolutePath(const QByteArray &path) const;

private:
    explicit FtpConnection(const FtpConnectOptions &options);
    struct Impl;
    bool login();
    bool commands(const QList<QByteArray> &cmds);
    bool listing(const QByteArray &dir, QList<FtpFindData> *entries);
    bool fail(unsigned error);
    bool failCurl(int code);
    bool validName(const QByteArray &path);
    QByteArray absolute(const QByteArray &path) const;

    FtpConnectOptions options_;
    std::unique_ptr<Impl> d_;
    mutable std::mutex lock_;
    QByteArray cwd_ = "/";
    int mlsd_ = -1; // -1 untried, 0 refused by the server, 1 works
};

} // namespace platform
