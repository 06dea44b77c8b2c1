#pragma once
// Our web browser control: a window that shows pages, with history, home and search pages, a busy
// state, text sizes and the two navigation events. Its own home and search pages are the program's help
// page. A crashed renderer never takes the program down: the control shows an error page instead. The
// scripts of a page from disk cannot read the user's files (localpages.h).
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

class QWebEnginePage;
class QWebEngineView;

namespace platform {

// Call in main() before the application object exists: lets the browser engine run (without its sandbox
// when the program runs as root and QTWEBENGINE_DISABLE_SANDBOX is unset).
void PrepareBrowserEnvironment();

// The browser's own home and search pages.
QString BrowserHomePage();
QString BrowserSearchPage();

// The address to load for what a user types: web addresses, file: addresses, local paths.
QUrl BrowserAddress(const QString &address);

class WebBrowser : public QWidget {
    Q_OBJECT
public:
    // Refresh levels.
    enum { RefreshNormal = 0, RefreshIfExpired = 1, RefreshCompletely = 3 };

    explicit WebBrowser(QWidget *parent = nullptr);
    ~WebBrowser() override;

    // Failures (an empty address, no page to go back or forward to) raise platform::Error.
    void Navigate(const QString &address);
    void GoBack();
    void GoForward();
    void GoHome();
    void GoSearch();
    void Refresh();
    void Refresh2(int level);
    void Stop();

    bool Busy() const { return busy_; }
    bool CanGoBack() const;
    bool CanGoForward() const;
    // The address shown, and the page's title (empty before the first page).
    QString LocationURL() const;
    QString LocationName() const;

    // Text sizes from smallest to largest; medium at start.
    int TextSizeLowest() const { return 0; }
    int TextSizeHighest() const { return 4; }
    int TextSize() const { return textSize_; }
    void SetTextSize(int size);

    // How many times a renderer ended abnormally while this control showed a page.
    int RendererFailures() const { return rendererFailures_; }

    QWebEnginePage *Page() const;
    QWebEngineView *View() const { return view_; }

    // Before a page of the main frame is loaded; Cancel stops it.
    std::function<void(WebBrowser *Sender, const QString &URL, bool &Cancel)> OnBeforeNavigate;
    // After a page has been loaded (or failed to load: Success false).
    std::function<void(WebBrowser *Sender, const QString &URL, bool Success)> OnNavigateComplete;
    std::function<void(WebBrowser *Sender, bool Busy)> OnBusyChange;
    std::function<void(WebBrowser *Sender, const QString &Title)> OnTitleChange;
    // The pages to go back or forward to may have changed: after every navigation of the main frame, a
    // link followed in the page or a move within it (no page loads then) included.
    std::function<void(WebBrowser *Sender)> OnHistoryChange;

protected:
    void showEvent(QShowEvent *e) override;

private:
    friend class BrowserPage;
    void freezeIfHidden();
    void wake(); // a frozen page becomes active again
    bool beforeNavigate(const QUrl &url);
    void setBusy(bool busy);
    void loadFinished(bool ok);
    void rendererEnded(int status, int exitCode);
    void showRendererError();
    void load(QUrl url); // by value: callers pass failedUrl_, which it clears

    QWebEngineView *view_ = nullptr;
    QWebEnginePage *page_ = nullptr;
    bool busy_ = false;
    int textSize_ = 2;
    int rendererFailures_ = 0;
    QUrl failedUrl_; // the page whose renderer ended, reloaded by Refresh
    bool errorPagePending_ = false;
    bool leftView_ = false; // shown, then hidden
};

} // namespace platform
