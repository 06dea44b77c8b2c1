#pragma once
// The preview control: hosts the browser control so a window can show a page, with home and search pages
// of its own, a busy notification and text-size cycling. The browser itself is created on first use.
#include "platform/browser/webbrowser.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace app {

using THTMLStatusBusyChange = std::function<void(QObject *Sender, bool Busy)>;

class TPreviewHTML : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewHTML(QWidget *parent = nullptr);
    ~TPreviewHTML() override;

    // Failures of the browser raise platform::Error.
    void Navigate(const QString &address);
    void GoBack();
    void GoForward();
    // To Homepage (Searchpage) when set, else to the browser's own home (search) page.
    void GoHome();
    void GoSearch();
    void Refresh();
    void Refresh2(int Level = platform::WebBrowser::RefreshNormal);
    // Stops loading the page.
    void Stop();
    // The next text size of the shown page; after the largest comes the smallest.
    void CycleTextSize();

    // Whether there is a page to go back or forward to.
    bool CanGoBack() const;
    bool CanGoForward() const;
    QString LocationURL() const;
    QString LocationName() const;
    bool Busy() const;

    QString Homepage() const { return homepage_; }
    void SetHomepage(const QString &value) { homepage_ = value; }
    QString Searchpage() const { return searchpage_; }
    void SetSearchpage(const QString &value) { searchpage_ = value; }
    // Credits; read-only (writing does nothing).
    QStringList About() const;
    void SetAbout(const QStringList &) {}

    // The hosted browser, created on the first call.
    platform::WebBrowser *Browser();
    bool HasBrowser() const { return browser_ != nullptr; }

    std::function<void(QObject *Sender)> OnBeforeNavigate;
    std::function<void(QObject *Sender)> OnAfterNavigate;
    THTMLStatusBusyChange OnStatusBusyChange;
    // Back and Forward may have changed (a page loaded, a link followed, a move within the page).
    std::function<void(QObject *Sender)> OnHistoryChange;

private:
    void busyChanged();

    QString searchpage_;
    bool busy_ = false; // the last Busy value reported
    QString homepage_;
    platform::WebBrowser *browser_ = nullptr;
};

} // namespace app
