#pragma once
// Replace All of a Replace dialog over a text control (the document window's and the script editors'):
// the search goes through the text in slices with the event loop running, and where it takes more than one
// slice a window shows how far it came and offers Stop, which leaves the text as it was; then every match
// is replaced in one edit, which one undo step takes back.
#include "textcontrol/textdocument.h"

#include <QObject>
#include <functional>
#include <memory>

class QDialog;
class QProgressBar;
class QTimer;
class QWidget;

namespace app {

class TPageMemo;

class TReplaceAll : public QObject {
public:
    // The progress window belongs to `window`.
    TReplaceAll(TPageMemo *memo, QWidget *window);
    ~TReplaceAll() override;

    // A search under way goes on; an empty find text does nothing.
    void Start(const QString &find, const QString &replacement, bool wholeWord, bool matchCase);
    // The text stays as it was.
    void Stop();
    // The whole search at once, then the edit; returns how many matches were replaced (-1: the user would
    // not have an edit that cannot be undone).
    int ReplaceNow(const QString &find, const QString &replacement, bool wholeWord, bool matchCase);
    bool Running() const { return running_ != nullptr; }

    // A slice looks through `chars` characters at a time for up to `ms` milliseconds (tests make both small).
    struct Slicing {
        int chars = 1 << 20;
        int ms = 15;
    };
    Slicing Slices;
    QDialog *Progress = nullptr;
    // Nothing was found: the window says so.
    std::function<void(const QString &find)> OnNotFound;

private:
    struct Run;
    void slice();
    TPageMemo *memo_;
    QWidget *window_;
    std::unique_ptr<Run> running_;
    QProgressBar *bar_ = nullptr;
    QTimer *next_ = nullptr;
};

} // namespace app
