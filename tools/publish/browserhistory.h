#pragma once
// The user's browser history for the history window: the visits of the last four weeks from every
// Firefox profile (places.sqlite) and every Chromium or Chrome profile ("History"), by period, site and
// page. The files are SQLite databases that a running browser keeps locked: each is copied (with its
// write-ahead log) into a private temporary folder and read from there, so the browser's own files are
// never opened, let alone written.
#include "tools/publish/ie2url.h"

#include <QDateTime>
#include <QStringList>

namespace publish {

// A history file and the kind of browser that wrote it.
struct THistoryFile {
    enum Kind { Firefox, Chromium } kind;
    QString path;
};

// Every history file under the user's folders: Firefox profiles listed in profiles.ini (and in the
// folders that packaged Firefox uses), and every Chromium and Chrome profile folder holding "History".
QList<THistoryFile> FindHistoryFiles();

class TBrowserHistory : public THistorySource {
public:
    // Periods are counted back from `now` (the current time when invalid); `files` found when empty.
    explicit TBrowserHistory(QList<THistoryFile> files = {}, QDateTime now = QDateTime());

    // Today, Yesterday, the weekday names of the five days before, Last Week, 2 Weeks Ago, 3 Weeks Ago;
    // only periods with visits. A page shows in every period it was visited in, under its site (the host;
    // "Local files" for file addresses), sites and pages in alphabetical order. A page without a title
    // goes by its address.
    QList<THistoryPeriod> Periods() const override;
    // Why the history is empty, or which files could not be read; empty when there is nothing to say.
    QString Why() const override { return why_; }

private:
    QList<THistoryFile> files_;
    QDateTime now_;
    mutable QString why_;
};

} // namespace publish
