#include "ftpclient.h"

#include "platform/fileio.h"
#include "platform/filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <atomic>
#include <curl/curl.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

thread_local unsigned lastError = ERROR_SUCCESS;
thread_local QString lastResponse;

// A listing larger than this is refused rather than filling memory.
constexpr qsizetype kMaxListingBytes = 256 * 1024 * 1024;

struct Mapping {
    CURLcode curl;
    unsigned error;
};

const Mapping kCurlErrors[] = {
    {CURLE_OK, ERROR_SUCCESS},
    {CURLE_UNSUPPORTED_PROTOCOL, ERROR_INTERNET_INVALID_URL},
    {CURLE_URL_MALFORMAT, ERROR_INTERNET_INVALID_URL},
    {CURLE_COULDNT_RESOLVE_HOST, ERROR_INTERNET_NAME_NOT_RESOLVED},
    {CURLE_COULDNT_CONNECT, ERROR_INTERNET_CANNOT_CONNECT},
    {CURLE_WEIRD_SERVER_REPLY, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_REMOTE_ACCESS_DENIED, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_FTP_ACCEPT_FAILED, ERROR_INTERNET_CANNOT_CONNECT},
    {CURLE_FTP_WEIRD_PASS_REPLY, ERROR_INTERNET_LOGIN_FAILURE},
    {CURLE_FTP_ACCEPT_TIMEOUT, ERROR_INTERNET_TIMEOUT},
    {CURLE_FTP_WEIRD_PASV_REPLY, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_FTP_WEIRD_227_FORMAT, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_FTP_CANT_GET_HOST, ERROR_INTERNET_CANNOT_CONNECT},
    {CURLE_FTP_COULDNT_SET_TYPE, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_PARTIAL_FILE, ERROR_INTERNET_CONNECTION_ABORTED},
    {CURLE_FTP_COULDNT_RETR_FILE, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_QUOTE_ERROR, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_WRITE_ERROR, ERROR_WRITE_FAULT},
    {CURLE_UPLOAD_FAILED, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_READ_ERROR, ERROR_READ_FAULT},
    {CURLE_OUT_OF_MEMORY, ERROR_NOT_ENOUGH_MEMORY},
    {CURLE_OPERATION_TIMEDOUT, ERROR_INTERNET_TIMEOUT},
    {CURLE_FTP_PORT_FAILED, ERROR_INTERNET_CANNOT_CONNECT},
    {CURLE_RANGE_ERROR, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_ABORTED_BY_CALLBACK, ERROR_INTERNET_OPERATION_CANCELLED},
    {CURLE_GOT_NOTHING, ERROR_INTERNET_CONNECTION_ABORTED},
    {CURLE_SEND_ERROR, ERROR_INTERNET_CONNECTION_RESET},
    {CURLE_RECV_ERROR, ERROR_INTERNET_CONNECTION_RESET},
    {CURLE_FILE_COULDNT_READ_FILE, ERROR_FILE_NOT_FOUND},
    {CURLE_LOGIN_DENIED, ERROR_INTERNET_LOGIN_FAILURE},
    {CURLE_REMOTE_FILE_NOT_FOUND, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_REMOTE_DISK_FULL, ERROR_INTERNET_EXTENDED_ERROR},
    {CURLE_REMOTE_FILE_EXISTS, ERROR_INTERNET_EXTENDED_ERROR},
};

void setError(unsigned error, const QString &response = QString())
{
    lastError = error;
    lastResponse = response;
}

void initCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool hasControlBytes(const QByteArray &s)
{
    return s.contains('\r') || s.contains('\n') || s.contains('\0');
}

// A host name ends up inside a URL: refuse what would change the URL's meaning.
bool validHost(const QString &host)
{
    if (host.isEmpty())
        return false;
    for (QChar c : host)
        if (c.unicode() <= ' ' || QStringLiteral("/?#@\\%").contains(c))
            return false;
    return true;
}

size_t appendBody(char *data, size_t size, size_t count, void *user)
{
    auto *body = static_cast<QByteArray *>(user);
    const qsizetype n = qsizetype(size * count);
    if (body->size() + n > kMaxListingBytes)
        return 0;
    body->append(data, n);
    return size * count;
}

size_t writeFile(char *data, size_t size, size_t count, void *user)
{
    auto *file = static_cast<QSaveFile *>(user);
    const qint64 n = qint64(size * count);
    return file->write(data, n) == n ? size * count : 0;
}

size_t readFile(char *data, size_t size, size_t count, void *user)
{
    auto *file = static_cast<QFile *>(user);
    const qint64 n = file->read(data, qint64(size * count));
    return n < 0 ? CURL_READFUNC_ABORT : size_t(n);
}

// The quoted folder of a "257" reply: 257 "/a ""b"" c" is current.
QByteArray pwdFromReply(const QByteArray &line)
{
    const int open = line.indexOf('"');
    if (open < 0)
        return QByteArray();
    QByteArray out;
    for (int i = open + 1; i < line.size(); ++i) {
        if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                out += '"';
                ++i;
                continue;
            }
            return out;
        }
        out += line[i];
    }
    return QByteArray();
}

} // namespace

unsigned FtpLastError()
{
    return lastError;
}

QString FtpLastResponse()
{
    return lastResponse;
}

unsigned FtpErrorFromCurl(int curlCode)
{
    for (const Mapping &m : kCurlErrors)
        if (m.curl == curlCode)
            return m.error;
    return ERROR_INTERNET_INTERNAL_ERROR;
}

QString FtpErrorText(unsigned error, const QString &response)
{
    const QString reply = response.trimmed();
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return QStringLiteral("the file was not found");
    case ERROR_PATH_NOT_FOUND: return QStringLiteral("the folder was not found");
    case ERROR_ACCESS_DENIED: return QStringLiteral("the file could not be opened");
    case ERROR_READ_FAULT: return QStringLiteral("the file could not be read");
    case ERROR_WRITE_FAULT: return QStringLiteral("the file could not be written");
    case ERROR_INVALID_NAME: return QStringLiteral("the name is not valid");
    case ERROR_INTERNET_TIMEOUT: return QStringLiteral("the server did not answer in time");
    case ERROR_INTERNET_INVALID_URL: return QStringLiteral("the host name is not valid");
    case ERROR_INTERNET_NAME_NOT_RESOLVED: return QStringLiteral("the host name was not found");
    case ERROR_INTERNET_OPERATION_CANCELLED: return QStringLiteral("cancelled");
    case ERROR_INTERNET_CANNOT_CONNECT: return QStringLiteral("the server could not be reached");
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET: return QStringLiteral("the connection was lost");
    case ERROR_INTERNET_LOGIN_FAILURE:
        return reply.isEmpty() ? QStringLiteral("the server refused the login name or password")
                               : QStringLiteral("the server refused the login: ") + reply;
    case ERROR_INTERNET_EXTENDED_ERROR:
        if (!reply.isEmpty())
            return QStringLiteral("the server answered: ") + reply;
        break;
    default: break;
    }
    return QStringLiteral("Win32 Error %1").arg(error);
}

bool FtpFind::FindNextFile(FtpFindData *data)
{
    if (next_ >= entries_.size()) {
        setError(ERROR_NO_MORE_FILES);
        return false;
    }
    *data = entries_[next_++];
    setError(ERROR_SUCCESS);
    return true;
}

struct FtpConnection::Impl {
    CURL *curl = nullptr;
    CURLM *multi = nullptr; // holds the live connection between calls
    QByteArray base;       // "ftp://host:port/"
    QByteArray user, password, agent;
    QList<QByteArray> replies; // server reply lines of the last call
    char errorText[CURL_ERROR_SIZE] = {};
    curl_slist *quote = nullptr;
    std::atomic<bool> aborted{false};
    // The sockets libcurl opened through us, so that Abort can wake a wait that libcurl does on its own.
    std::mutex socketsLock;
    std::set<curl_socket_t> sockets;

    ~Impl()
    {
        curl_slist_free_all(quote);
        if (curl)
            curl_easy_cleanup(curl);
        if (multi)
            curl_multi_cleanup(multi);
    }

    // Runs one call. libcurl's own blocking loop can sit for a second after it starts a data
    // connection without watching that socket, so we drive it with a short poll instead.
    CURLcode perform()
    {
        if (aborted)
            return CURLE_ABORTED_BY_CALLBACK;
        if (curl_multi_add_handle(multi, curl) != CURLM_OK)
            return CURLE_OUT_OF_MEMORY;
        int running = 1;
        CURLcode result = CURLE_OK;
        while (running) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_OUT_OF_MEMORY;
                break;
            }
            if (running)
                curl_multi_poll(multi, nullptr, 0, 10, nullptr);
        }
        int queued = 0;
        while (CURLMsg *m = curl_multi_info_read(multi, &queued))
            if (m->msg == CURLMSG_DONE && m->easy_handle == curl)
                result = m->data.result;
        curl_multi_remove_handle(multi, curl);
        // A call that did not finish was cancelled, whatever a shut-down socket made libcurl say.
        return aborted && result != CURLE_OK ? CURLE_ABORTED_BY_CALLBACK : result;
    }

    void abort()
    {
        aborted = true;
        {
            std::lock_guard<std::mutex> g(socketsLock);
            for (curl_socket_t s : sockets)
                ::shutdown(s, SHUT_RDWR);
        }
        if (multi)
            curl_multi_wakeup(multi);
    }

    static int progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<Impl *>(user)->aborted ? 1 : 0;
    }

    static curl_socket_t openSocket(void *user, curlsocktype, curl_sockaddr *address)
    {
        auto *d = static_cast<Impl *>(user);
        std::lock_guard<std::mutex> g(d->socketsLock);
        if (d->aborted)
            return CURL_SOCKET_BAD;
        const curl_socket_t s = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (s != CURL_SOCKET_BAD)
            d->sockets.insert(s);
        return s;
    }

    static int closeSocket(void *user, curl_socket_t s)
    {
        auto *d = static_cast<Impl *>(user);
        std::lock_guard<std::mutex> g(d->socketsLock);
        d->sockets.erase(s);
        return ::close(s);
    }

    static size_t header(char *data, size_t size, size_t count, void *user)
    {
        QByteArray line(data, qsizetype(size * count));
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        static_cast<Impl *>(user)->replies.append(line);
        return size * count;
    }

    // Every call starts from the same options; the live connection survives the reset.
    void prepare(const FtpConnectOptions &o, const QByteArray &url)
    {
        curl_easy_reset(curl);
        curl_slist_free_all(quote);
        quote = nullptr;
        replies.clear();
        errorText[0] = 0;
        curl_easy_setopt(curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.constData());
        curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(o.connectTimeoutMs));
        curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, long(o.connectTimeoutMs));
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(std::max(1, (o.connectTimeoutMs + 999) / 1000)));
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(std::max(1, (o.stallTimeoutMs + 999) / 1000)));
        curl_easy_setopt(curl, CURLOPT_FTPPORT, o.passive ? nullptr : "-");
        curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Impl::header);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Impl::progress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &Impl::openSocket);
        curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &Impl::closeSocket);
        curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
    }

    // The last reply line that carries a code (for error messages).
    QString lastReply() const
    {
        for (auto it = replies.crbegin(); it != replies.crend(); ++it)
            if (it->size() >= 3 && std::isdigit(uchar(it->at(0))))
                return QString::fromUtf8(*it);
        return QString::fromUtf8(errorText);
    }

    long responseCode() const
    {
        long code = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
        return code;
    }
};

FtpConnection::FtpConnection(const FtpConnectOptions &options) : options_(options), d_(std::make_unique<Impl>()) {}

FtpConnection::~FtpConnection() = default;

std::shared_ptr<FtpConnection> FtpConnection::Open(const FtpConnectOptions &options)
{
    initCurl();
    if (!validHost(options.host)) {
        setError(ERROR_INTERNET_NAME_NOT_RESOLVED);
        return nullptr;
    }
    const QByteArray user = options.user.toUtf8(), password = options.password.toUtf8();
    if (hasControlBytes(user) || hasControlBytes(password)) {
        setError(ERROR_INVALID_NAME);
        return nullptr;
    }
    std::shared_ptr<FtpConnection> c(new FtpConnection(options));
    Impl &d = *c->d_;
    d.curl = curl_easy_init();
    d.multi = curl_multi_init();
    if (!d.curl || !d.multi) {
        setError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    curl_multi_setopt(d.multi, CURLMOPT_MAXCONNECTS, 1L);
    const QString host = options.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + options.host + QLatin1Char(']')
                                                                  : options.host;
    d.base = "ftp://" + host.toUtf8() + ':' + QByteArray::number(options.port) + '/';
    d.user = user;
    d.password = password;
    d.agent = options.agent.toUtf8();
    if (!c->login())
        return nullptr;
    return c;
}

bool FtpConnection::fail(unsigned error)
{
    setError(error);
    return false;
}

bool FtpConnection::failCurl(int code)
{
    setError(FtpErrorFromCurl(code), d_->lastReply());
    return false;
}

bool FtpConnection::validName(const QByteArray &path)
{
    if (hasControlBytes(path))
        return fail(ERROR_INVALID_NAME);
    return true;
}

// Connects and logs in without a transfer; the server's entry folder becomes the current one.
bool FtpConnection::login()
{
    d_->prepare(options_, d_->base);
    curl_easy_setopt(d_->curl, CURLOPT_NOBODY, 1L);
    const CURLcode rc = d_->perform();
    if (rc != CURLE_OK)
        return failCurl(rc);
    const char *entry = nullptr;
    curl_easy_getinfo(d_->curl, CURLINFO_FTP_ENTRY_PATH, &entry);
    cwd_ = entry && *entry == '/' ? QByteArray(entry) : QByteArray("/");
    setError(ERROR_SUCCESS);
    return true;
}

QByteArray FtpConnection::AbsolutePath(const QByteArray &path) const
{
    std::lock_guard<std::mutex> g(lock_);
    return absolute(path);
}

QByteArray FtpConnection::absolute(const QByteArray &path) const
{
    const QByteArray joined = path.startsWith('/') ? path : cwd_ + '/' + path;
    QList<QByteArray> parts;
    for (const QByteArray &p : joined.split('/')) {
        if (p.isEmpty() || p == ".")
            continue;
        if (p == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(p);
    }
    return '/' + parts.join('/');
}

// The URL of an absolute path; "%2F" makes libcurl send it as absolute.
static QByteArray urlFor(const QByteArray &base, const QByteArray &absPath, bool directory)
{
    QByteArray rel = absPath.mid(1).toPercentEncoding("/");
    if (directory && !rel.isEmpty())
        rel += '/';
    return base + "%2F" + rel;
}

bool FtpConnection::commands(const QList<QByteArray> &cmds)
{
    d_->prepare(options_, d_->base);
    for (const QByteArray &c : cmds)
        d_->quote = curl_slist_append(d_->quote, c.constData());
    curl_easy_setopt(d_->curl, CURLOPT_QUOTE, d_->quote);
    curl_easy_setopt(d_->curl, CURLOPT_NOBODY, 1L);
    const CURLcode rc = d_->perform();
    if (rc != CURLE_OK)
        return failCurl(rc);
    setError(ERROR_SUCCESS);
    return true;
}

bool FtpConnection::GetCurrentDirectory(QByteArray *dir)
{
    std::lock_guard<std::mutex> g(lock_);
    *dir = cwd_;
    setError(ERROR_SUCCESS);
    return true;
}

bool FtpConnection::SetCurrentDirectory(const QByteArray &dir)
{
    std::lock_guard<std::mutex> g(lock_);
    if (!validName(dir))
        return false;
    const QByteArray target = absolute(dir);
    if (!commands({"CWD " + target, "PWD"}))
        return false;
    // The server's own spelling of the folder, where it gives one.
    QByteArray reported;
    for (const QByteArray &line : d_->replies)
        if (line.startsWith("257"))
            reported = pwdFromReply(line);
    cwd_ = reported.startsWith('/') && !hasControlBytes(reported) ? reported : target;
    return true;
}

bool FtpConnection::listing(const QByteArray &dir, QList<FtpFindData> *entries)
{
    for (;;) {
        const bool useMlsd = mlsd_ != 0;
        QByteArray body;
        d_->prepare(options_, urlFor(d_->base, dir, true));
        curl_easy_setopt(d_->curl, CURLOPT_CUSTOMREQUEST, useMlsd ? "MLSD" : "LIST");
        curl_easy_setopt(d_->curl, CURLOPT_WRITEFUNCTION, &appendBody);
        curl_easy_setopt(d_->curl, CURLOPT_WRITEDATA, &body);
        const CURLcode rc = d_->perform();
        if (rc == CURLE_WRITE_ERROR)
            return fail(ERROR_NOT_ENOUGH_MEMORY);
        if (rc != CURLE_OK) {
            const long code = d_->responseCode();
            // A server that does not know MLSD says 500 or 502: fall back to LIST for this session.
            if (useMlsd && (code == 500 || code == 502)) {
                mlsd_ = 0;
                continue;
            }
            return failCurl(rc);
        }
        if (useMlsd)
            mlsd_ = 1;
        *entries = useMlsd ? ParseMlsdListing(body) : ParseListListing(body);
        return true;
    }
}

std::unique_ptr<FtpFind> FtpConnection::FindFirstFile(FtpFindData *first)
{
    std::lock_guard<std::mutex> g(lock_);
    QList<FtpFindData> entries;
    if (!listing(cwd_, &entries))
        return nullptr;
    auto find = std::make_unique<FtpFind>(std::move(entries));
    if (!find->FindNextFile(first))
        return nullptr;
    return find;
}

bool FtpConnection::GetFile(const QByteArray &remote, const QString &localPath, bool failIfExists)
{
    std::lock_guard<std::mutex> g(lock_);
    if (!validName(remote))
        return false;
    if (failIfExists && QFileInfo::exists(localPath))
        return fail(ERROR_FILE_EXISTS);
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QFileInfo(localPath).absoluteDir().exists() ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    d_->prepare(options_, urlFor(d_->base, absolute(remote), false));
    curl_easy_setopt(d_->curl, CURLOPT_WRITEFUNCTION, &writeFile);
    curl_easy_setopt(d_->curl, CURLOPT_WRITEDATA, &file);
    const CURLcode rc = d_->perform();
    if (rc != CURLE_OK)
        return failCurl(rc); // the temporary goes; the old local file stays
    if (!file.commit())
        return fail(ERROR_WRITE_FAULT);
    setError(ERROR_SUCCESS);
    return true;
}

bool FtpConnection::PutFile(const QString &localPath, const QByteArray &remote)
{
    std::lock_guard<std::mutex> g(lock_);
    if (!validName(remote))
        return false;
    QFile file;
    if (!StatName(localPath).file)
        return fail(ERROR_FILE_NOT_FOUND);
    if (!TryOpenForReading(file, localPath, nullptr))
        return fail(ERROR_ACCESS_DENIED);
    d_->prepare(options_, urlFor(d_->base, absolute(remote), false));
    curl_easy_setopt(d_->curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(d_->curl, CURLOPT_READFUNCTION, &readFile);
    curl_easy_setopt(d_->curl, CURLOPT_READDATA, &file);
    curl_easy_setopt(d_->curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    const CURLcode rc = d_->perform();
    if (rc != CURLE_OK)
        return failCurl(rc);
    setError(ERROR_SUCCESS);
    return true;
}

void FtpConnection::Abort()
{
    d_->abort();
}

bool FtpConnection::Aborted() const
{
    return d_->aborted;
}

bool FtpConnection::DeleteFile(const QByteArray &remote)
{
    std::lock_guard<std::mutex> g(lock_);
    return validName(remote) && commands({"DELE " + absolute(remote)});
}

bool FtpConnection::RemoveDirectory(const QByteArray &remote)
{
    std::lock_guard<std::mutex> g(lock_);
    return validName(remote) && commands({"RMD " + absolute(remote)});
}

bool FtpConnection::CreateDirectory(const QByteArray &remote)
{
    std::lock_guard<std::mutex> g(lock_);
    return validName(remote) && commands({"MKD " + absolute(remote)});
}

bool FtpConnection::RenameFile(const QByteArray &from, const QByteArray &to)
{
    std::lock_guard<std::mutex> g(lock_);
    return validName(from) && validName(to) && commands({"RNFR " + absolute(from), "RNTO " + absolute(to)});
}

} // namespace platform
