#pragma once
// Pages from disk are shown through an address scheme of our own instead of file:. Their own side
// files (scripts, style sheets, images, fonts, media, frames, also from folders above) load as before,
// but every local document counts as a stranger to every other one: a page's scripts can neither fetch
// another file nor look into a frame that holds one. The rest of the program only ever sees file:
// addresses.
#include <QUrl>

class QWebEnginePage;

namespace platform {

// Call before the application object exists (PrepareBrowserEnvironment does).
void RegisterLocalPageScheme();

// file: addresses of files map to the scheme and back; other addresses stay as they are.
QUrl LocalPageAddress(const QUrl &url);
QUrl FileAddress(const QUrl &url);

// Takes file access away from the page's scripts and lets its profile serve the scheme.
void ProtectFromLocalPages(QWebEnginePage *page);

} // namespace platform
