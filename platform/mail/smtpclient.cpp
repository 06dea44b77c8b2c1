#include "smtpclient.h"

#include <QFile>
#include <curl/curl.h>
#include <mutex>

namespace platform {
namespace {

void initCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
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

size_t readMime(char *data, size_t size, size_t count, void *user)
{
    const qint64 n = static_cast<MimeStream *>(user)->Read(data, qint64(size * count));
    return n < 0 ? CURL_READFUNC_ABORT : size_t(n);
}

// The server's last reply line, kept for error messages.
int trace(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    QByteArray line(data, qsizetype(size));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    // The first refusal tells why; the goodbye that follows it does not.
    auto *kept = static_cast<QByteArray *>(user);
    if (!line.isEmpty() && !(kept->startsWith('4') || kept->startsWith('5')))
        *kept = line;
    return 0;
}

int codeFor(CURLcode result, const char *errorText, long response)
{
    switch (result) {
    case CURLE_OK: return SUCCESS_SUCCESS;
    case CURLE_LOGIN_DENIED: return MAPI_E_LOGIN_FAILURE;
    case CURLE_OUT_OF_MEMORY: return MAPI_E_INSUFFICIENT_MEMORY;
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_READ_ERROR: return MAPI_E_ATTACHMENT_OPEN_FAILURE;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return MAPI_E_FAILURE;
    case CURLE_SEND_ERROR:
        // libcurl reports a refused RCPT TO as a send error; the server did answer, with a refusal.
        if (qstrncmp(errorText, "RCPT failed", 11) == 0 || (response >= 400 && response < 600 &&
                                                              qstrncmp(errorText, "Send failure", 12) != 0))
            return qstrncmp(errorText, "MAIL failed", 11) == 0 ? MAPI_E_FAILURE : MAPI_E_UNKNOWN_RECIPIENT;
        return MAPI_E_NETWORK_FAILURE;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_USE_SSL_FAILED:
    case CURLE_PARTIAL_FILE:
        return response >= 500 && response < 600 && result == CURLE_WEIRD_SERVER_REPLY ? MAPI_E_FAILURE
                                                                                         : MAPI_E_NETWORK_FAILURE;
    default: return MAPI_E_FAILURE;
    }
}

} // namespace

bool SmtpAvailable()
{
    initCurl();
    const curl_version_info_data *info = curl_version_info(CURLVERSION_NOW);
    for (const char *const *p = info->protocols; p && *p; ++p)
        if (qstrcmp(*p, "smtp") == 0)
            return true;
    return false;
}

int SmtpSend(const SmtpServer &server, const MailMessage &message, QString *reply)
{
    initCurl();
    if (reply)
        reply->clear();
    MimeStream mime(message);
    if (const int code = mime.Open())
        return code;
    if (!validHost(server.host))
        return MAPI_E_NETWORK_FAILURE;
    const QByteArray user = server.user.toUtf8(), password = server.password.toUtf8();
    if (HasLineBreak(server.user) || HasLineBreak(server.password))
        return MAPI_E_LOGIN_FAILURE;
    QList<QByteArray> recipients;
    for (const QList<MailAddress> *list : {&message.to, &message.cc, &message.bcc})
        for (const MailAddress &a : *list)
            recipients << a.address.toLatin1();
    if (recipients.isEmpty())
        return MAPI_E_INVALID_RECIPS;

    CURL *curl = curl_easy_init();
    if (!curl)
        return MAPI_E_INSUFFICIENT_MEMORY;
    curl_slist *rcpt = nullptr;
    for (const QByteArray &r : recipients)
        rcpt = curl_slist_append(rcpt, r.constData());
    const QByteArray url = (server.security == MailSecurity::Tls ? "smtps://" : "smtp://") +
                           (server.host.contains(QLatin1Char(':')) ? '[' + server.host.toUtf8() + ']' : server.host.toUtf8()) + ':' + QByteArray::number(server.port) + '/';
    const QByteArray from = message.from.address.toLatin1();
    char errorText[CURL_ERROR_SIZE] = {};
    QByteArray lastLine;
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    if (server.security == MailSecurity::StartTls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    const QByteArray caFile = QFile::encodeName(server.caFile);
    if (!caFile.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &readMime);
    curl_easy_setopt(curl, CURLOPT_READDATA, &mime);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(server.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(std::max(1, (server.connectTimeoutMs + 999) / 1000)));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(std::max(1, (server.stallTimeoutMs + 999) / 1000)));
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &trace);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &lastLine);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    const CURLcode result = curl_easy_perform(curl);
    long response = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
    curl_slist_free_all(rcpt);
    curl_easy_cleanup(curl);

    int code = codeFor(result, errorText, response);
    // A read that failed midway is the attachment's fault, whatever libcurl made of it.
    if (result != CURLE_OK && mime.Error() != SUCCESS_SUCCESS)
        code = mime.Error();
    // A refused certificate is told by libcurl; the server's last line would only be its greeting.
    const bool tlsFault = result == CURLE_PEER_FAILED_VERIFICATION || result == CURLE_SSL_CONNECT_ERROR ||
                          result == CURLE_SSL_CACERT_BADFILE || result == CURLE_USE_SSL_FAILED;
    if (code != SUCCESS_SUCCESS && reply)
        *reply = QString::fromUtf8(lastLine.isEmpty() || tlsFault ? QByteArray(errorText) : lastLine);
    return code;
}

} // namespace platform
