#include "previewhtml.h"

#include <QVBoxLayout>

namespace app {

TPreviewHTML::TPreviewHTML(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    resize(200, 200);
}

TPreviewHTML::~TPreviewHTML()
{
    // The browser goes first, while the handlers it could still reach are alive.
    delete browser_;
}

platform::WebBrowser *TPreviewHTML::Browser()
{
    if (browser_)
        return browser_;
    browser_ = new platform::WebBrowser(this);
    layout()->addWidget(browser_);
    setFocusProxy(browser_);
    browser_->OnBeforeNavigate = [this](platform::WebBrowser *, const QString &, bool &) {
        if (OnBeforeNavigate)
            OnBeforeNavigate(this);
    };
    browser_->OnNavigateComplete = [this](platform::WebBrowser *, const QString &, bool) {
        if (OnAfterNavigate)
            OnAfterNavigate(this);
    };
    browser_->OnHistoryChange = [this](platform::WebBrowser *) {
        if (OnHistoryChange)
            OnHistoryChange(this);
    };
    // Busy is reported when it changes, once per change.
    browser_->OnBusyChange = [this](platform::WebBrowser *, bool) { busyChanged(); };
    return browser_;
}

void TPreviewHTML::busyChanged()
{
    const bool busy = Busy();
    if (busy == busy_)
        return;
    busy_ = busy;
    if (OnStatusBusyChange)
        OnStatusBusyChange(this, busy);
}

void TPreviewHTML::Navigate(const QString &address) { Browser()->Navigate(address); }

void TPreviewHTML::GoBack() { Browser()->GoBack(); }

void TPreviewHTML::GoForward() { Browser()->GoForward(); }

void TPreviewHTML::GoHome()
{
    if (!homepage_.isEmpty())
        Navigate(homepage_);
    else
        Browser()->GoHome();
}

void TPreviewHTML::GoSearch()
{
    if (!searchpage_.isEmpty())
        Navigate(searchpage_);
    else
        Browser()->GoSearch();
}

void TPreviewHTML::Refresh() { Browser()->Refresh(); }

void TPreviewHTML::Refresh2(int Level) { Browser()->Refresh2(Level); }

void TPreviewHTML::Stop() { Browser()->Stop(); }

void TPreviewHTML::CycleTextSize()
{
    platform::WebBrowser *b = Browser();
    const int lowest = b->TextSizeLowest();
    const int highest = b->TextSizeHighest();
    quint16 next = quint16(b->TextSize() + 1);
    if (next > highest)
        next = quint16(lowest);
    b->SetTextSize(next);
}

bool TPreviewHTML::CanGoBack() const { return browser_ && browser_->CanGoBack(); }

bool TPreviewHTML::CanGoForward() const { return browser_ && browser_->CanGoForward(); }

QString TPreviewHTML::LocationURL() const { return browser_ ? browser_->LocationURL() : QString(); }

QString TPreviewHTML::LocationName() const { return browser_ ? browser_->LocationName() : QString(); }

bool TPreviewHTML::Busy() const { return browser_ && browser_->Busy(); }

QStringList TPreviewHTML::About() const
{
    return {QStringLiteral("Kestrova 5 preview control"), QStringLiteral("Pages are shown by the browser engine of Qt.")};
}

} // namespace app
