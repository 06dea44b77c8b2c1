#include "webbrowser.h"
#include "localpages.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/filenames.h"
#include "platform/folders.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QQuickWindow>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <unistd.h>

namespace platform {

void PrepareBrowserEnvironment()
{
    // The engine's sandbox refuses to start as root; a user who set the variable decides for themselves.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine shares its OpenGL contexts; this can only be said before the application object exists.
    if (!QCoreApplication::instance())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Pages are composed in software. A view composed through OpenGL would make the whole main window
    // compose through OpenGL for as long as it lives, the editor's caret blink included, which with a
    // software OpenGL costs several percent of a core while nothing happens. A user's own choice stands.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND") && !qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    RegisterLocalPageScheme();
}

QString BrowserHomePage() { return ProgramFile(QStringLiteral("Help/index.htm")); }

QString BrowserSearchPage() { return BrowserHomePage(); }

QUrl BrowserAddress(const QString &address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return QUrl();
    if (QFileInfo(a).isAbsolute())
        return FileUrlOf(a);
    return QUrl::fromUserInput(a);
}

namespace {

constexpr double kTextSizeFactors[] = {0.75, 0.875, 1.0, 1.25, 1.5};

} // namespace

// The engine's page, with its dialogs routed through the program's dialog seam.
class BrowserPage : public QWebEnginePage {
public:
    BrowserPage(WebBrowser *owner) : QWebEnginePage(owner), owner_(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (isMainFrame && LocalPageAddress(url) != url) {
            // A link or a drop to a file: address; the page comes through the local page scheme.
            QTimer::singleShot(0, owner_, [o = owner_, url] { o->load(url); });
            return false;
        }
        if (isMainFrame && !owner_->beforeNavigate(FileAddress(url)))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    void javaScriptAlert(const QUrl &, const QString &msg) override
    {
        MessageBox(owner_, msg, ApplicationTitle(), MB_OK | MB_ICONWARNING);
    }

    bool javaScriptConfirm(const QUrl &, const QString &msg) override
    {
        return MessageBox(owner_, msg, ApplicationTitle(), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }

    bool javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue, QString *result) override
    {
        QInputDialog dialog(owner_);
        dialog.setWindowTitle(ApplicationTitle());
        dialog.setLabelText(msg);
        // A page's question is shown as the page wrote it, never as markup.
        for (QLabel *label : dialog.findChildren<QLabel *>())
            label->setTextFormat(Qt::PlainText);
        dialog.setTextValue(defaultValue);
        if (ShowModal(&dialog) != mrOk)
            return false;
        *result = dialog.textValue();
        return true;
    }

    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles, const QStringList &) override
    {
        QFileDialog dialog(owner_);
        dialog.setFileMode(mode == FileSelectOpenMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        if (!oldFiles.isEmpty())
            dialog.selectFile(oldFiles.first());
        return ShowModal(&dialog) == mrOk ? dialog.selectedFiles() : QStringList();
    }

private:
    WebBrowser *owner_;
};

WebBrowser::WebBrowser(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QWebEngineView(this);
    page_ = new BrowserPage(this);
    ProtectFromLocalPages(page_);
    view_->setPage(page_);
    layout->addWidget(view_);
    setFocusProxy(view_);

    connect(page_, &QWebEnginePage::loadStarted, this, [this] { setBusy(true); });
    connect(page_, &QWebEnginePage::loadFinished, this, &WebBrowser::loadFinished);
    connect(page_, &QWebEnginePage::urlChanged, this, [this] {
        if (OnHistoryChange)
            OnHistoryChange(this);
    });
    connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString &title) {
        if (OnTitleChange)
            OnTitleChange(this, title);
    });
    // A page taken out of view does nothing: its timers and animations stop until it is shown again.
    // One still loading is frozen once it has loaded. (A browser never shown is left alone.)
    connect(page_, &QWebEnginePage::visibleChanged, this, [this](bool visible) {
        leftView_ = !visible;
        freezeIfHidden();
    });
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                rendererEnded(int(status), exitCode);
            });
}

WebBrowser::~WebBrowser()
{
    // Nothing may reach the owner's handlers while the engine shuts down.
    OnBeforeNavigate = nullptr;
    OnNavigateComplete = nullptr;
    OnBusyChange = nullptr;
    OnTitleChange = nullptr;
    OnHistoryChange = nullptr;
    page_->disconnect(this);
    // The page goes before the view that shows it.
    delete page_;
    page_ = nullptr;
}

QWebEnginePage *WebBrowser::Page() const { return page_; }

bool WebBrowser::beforeNavigate(const QUrl &url)
{
    // Our own error page is no navigation of the user's.
    if (errorPagePending_ && url.scheme() == QLatin1String("data")) {
        errorPagePending_ = false;
        return true;
    }
    bool cancel = false;
    if (OnBeforeNavigate)
        OnBeforeNavigate(this, url.toString(), cancel);
    return !cancel;
}

void WebBrowser::setBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (OnBusyChange)
        OnBusyChange(this, busy);
}

void WebBrowser::freezeIfHidden()
{
    if (leftView_ && !busy_ && page_->lifecycleState() == QWebEnginePage::LifecycleState::Active)
        page_->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
}

void WebBrowser::wake()
{
    if (page_->lifecycleState() != QWebEnginePage::LifecycleState::Active)
        page_->setLifecycleState(QWebEnginePage::LifecycleState::Active);
}

void WebBrowser::showEvent(QShowEvent *e)
{
    wake();
    QWidget::showEvent(e);
}

void WebBrowser::loadFinished(bool ok)
{
    // The engine keeps zoom per site; the chosen text size holds for every page.
    page_->setZoomFactor(kTextSizeFactors[textSize_]);
    setBusy(false);
    if (OnHistoryChange)
        OnHistoryChange(this);
    if (OnNavigateComplete)
        OnNavigateComplete(this, LocationURL(), ok);
    freezeIfHidden();
}

void WebBrowser::load(QUrl url)
{
    wake();
    failedUrl_.clear();
    view_->load(LocalPageAddress(url));
}

void WebBrowser::Navigate(const QString &address)
{
    const QUrl url = BrowserAddress(address);
    if (!url.isValid() || url.isEmpty())
        throw Error(QStringLiteral("Cannot open \"%1\": it is not an address.").arg(address));
    load(url);
}

void WebBrowser::GoBack()
{
    if (!CanGoBack())
        throw Error(QStringLiteral("There is no earlier page to go back to."));
    failedUrl_.clear();
    wake();
    page_->triggerAction(QWebEnginePage::Back);
}

void WebBrowser::GoForward()
{
    if (!CanGoForward())
        throw Error(QStringLiteral("There is no later page to go forward to."));
    failedUrl_.clear();
    wake();
    page_->triggerAction(QWebEnginePage::Forward);
}

bool WebBrowser::CanGoBack() const { return page_->history()->canGoBack(); }

bool WebBrowser::CanGoForward() const { return page_->history()->canGoForward(); }

void WebBrowser::GoHome() { Navigate(BrowserHomePage()); }

void WebBrowser::GoSearch() { Navigate(BrowserSearchPage()); }

void WebBrowser::Refresh() { Refresh2(RefreshNormal); }

void WebBrowser::Refresh2(int level)
{
    // After a renderer failure the error page is shown; refreshing loads the page that failed.
    if (failedUrl_.isValid()) {
        load(failedUrl_);
        return;
    }
    wake();
    page_->triggerAction(level == RefreshCompletely ? QWebEnginePage::ReloadAndBypassCache : QWebEnginePage::Reload);
}

void WebBrowser::Stop() { page_->triggerAction(QWebEnginePage::Stop); }

QString WebBrowser::LocationURL() const
{
    if (failedUrl_.isValid())
        return FileAddress(failedUrl_).toString();
    const QUrl url = FileAddress(page_->url());
    return url.isEmpty() ? QString() : url.toString();
}

QString WebBrowser::LocationName() const { return page_->title(); }

void WebBrowser::SetTextSize(int size)
{
    textSize_ = qBound(TextSizeLowest(), size, TextSizeHighest());
    page_->setZoomFactor(kTextSizeFactors[textSize_]);
}

void WebBrowser::rendererEnded(int status, int exitCode)
{
    Q_UNUSED(exitCode);
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    ++rendererFailures_;
    const QUrl failed = page_->url();
    setBusy(false);
    // The engine is still inside its own notification: show the error page once it has returned.
    QTimer::singleShot(0, this, [this, failed] {
        showRendererError();
        failedUrl_ = failed;
    });
}

void WebBrowser::showRendererError()
{
    const QString html = QStringLiteral(
        "<html><head><title>Page not shown</title></head><body style=\"font-family: sans-serif\">"
        "<h3>Page not shown</h3><p>The browser stopped while it was showing this page. Reload to try again, "
        "or open another page.</p></body></html>");
    errorPagePending_ = true;
    wake();
    page_->setHtml(html);
}

} // namespace platform
