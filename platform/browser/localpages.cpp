#include "localpages.h"

#include "platform/fileio.h"
#include "platform/filenames.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace platform {

namespace {

// A plain array: the scheme is registered from static initialisers too.
constexpr char kScheme[] = "k5file";

bool registered() { return QWebEngineUrlScheme::schemeByName(kScheme).name() == QByteArrayView(kScheme); }

// Serves a file by its absolute path, whatever asks for it: what a page may do with the answer is the
// engine's same-origin rule to decide, and under it local documents are strangers to each other.
class LocalPageHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        const QString path = PathOfUrl(job->requestUrl());
        const QFileInfo info(path);
        if (!info.isAbsolute() || !StatName(path).file) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto *file = new QFile(job);
        if (!TryOpenForReading(*file, path, nullptr)) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        job->reply(mimes_.mimeTypeForFile(info).name().toLatin1(), file);
    }

private:
    QMimeDatabase mimes_;
};

// Decides how each request of a page reaches a file. Documents (pages, frames, objects) and fonts come
// through the scheme: a document there is a stranger to every other, and fonts must answer as the
// page's own to load at all. Everything else comes through file:, whose answers the engine marks as
// foreign to the page, so that a script cannot look into an image, a sound or a style sheet it loaded.
// Scripted requests get nothing.
class LocalReadGuard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        const bool scheme = url.scheme() == QLatin1String(kScheme);
        if (!scheme && !url.isLocalFile())
            return;
        switch (info.resourceType()) {
        case QWebEngineUrlRequestInfo::ResourceTypeXhr:
            info.block(true);
            break;
        case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
            break; // the browser control sends pages through the scheme itself
        case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        case QWebEngineUrlRequestInfo::ResourceTypeObject:
        case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
            if (!scheme && LocalPageAddress(url) != url)
                info.redirect(LocalPageAddress(url));
            break;
        default:
            if (scheme)
                info.redirect(FileAddress(url));
            break;
        }
    }
};

} // namespace

void RegisterLocalPageScheme()
{
    // The engine takes schemes only before it starts.
    if (QCoreApplication::instance() || registered())
        return;
    QWebEngineUrlScheme scheme{QByteArray(kScheme)};
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Local like file: (no web page may load it), and as trusted as file: by the features that ask.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed | QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl LocalPageAddress(const QUrl &url)
{
    if (!registered() || !url.isLocalFile() || !url.host().isEmpty())
        return url;
    const QString path = LocalFileName(url);
    // A folder's listing is the engine's own page; it stays a file: address.
    if (StatName(path).folder)
        return url;
    QUrl page;
    page.setScheme(QString::fromLatin1(kScheme));
    if (IsTextName(path))
        page.setPath(path, QUrl::DecodedMode);
    else // by its bytes, percent-encoded
        page.setPath(FileUrlOf(path).path(QUrl::FullyEncoded), QUrl::TolerantMode);
    page.setQuery(url.query());
    page.setFragment(url.fragment());
    return page;
}

QUrl FileAddress(const QUrl &url)
{
    if (url.scheme() != QLatin1String(kScheme))
        return url;
    QUrl file = FileUrlOf(PathOfUrl(url));
    file.setQuery(url.query());
    file.setFragment(url.fragment());
    return file;
}

void ProtectFromLocalPages(QWebEnginePage *page)
{
    // Makes local documents strangers to each other; with file: itself the engine then also refuses a
    // page its own side files, which is why pages come through the scheme.
    QWebEngineSettings *settings = page->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    page->setUrlRequestInterceptor(new LocalReadGuard(page));
    QWebEngineProfile *profile = page->profile();
    if (registered() && !profile->urlSchemeHandler(kScheme))
        profile->installUrlSchemeHandler(kScheme, new LocalPageHandler(profile));
}

} // namespace platform
