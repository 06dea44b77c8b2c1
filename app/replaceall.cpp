#include "replaceall.h"

#include "app/pagememo.h"
#include "textcontrol/rilomemo.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace app {

struct TReplaceAll::Run {
    textcontrol::TextDocument::ReplaceSearch search;
    QString find, by;
};

TReplaceAll::TReplaceAll(TPageMemo *memo, QWidget *window) : QObject(window), memo_(memo), window_(window)
{
    next_ = new QTimer(this);
    next_->setSingleShot(true);
    connect(next_, &QTimer::timeout, this, [this] {
        if (running_)
            slice();
    });
}

TReplaceAll::~TReplaceAll() = default;

void TReplaceAll::Start(const QString &find, const QString &replacement, bool wholeWord, bool matchCase)
{
    if (find.isEmpty() || running_)
        return;
    running_ = std::make_unique<Run>();
    running_->search = memo_->Document().StartReplaceAll(find, wholeWord, matchCase);
    running_->find = find;
    running_->by = replacement;
    slice(); // a text searched within one slice is replaced at once, without the window
}

void TReplaceAll::slice()
{
    textcontrol::TextDocument &doc = memo_->Document();
    Run &r = *running_;
    QElapsedTimer clock;
    clock.start();
    bool done = false;
    do
        done = doc.SearchOn(r.search, Slices.chars);
    while (!done && clock.elapsed() < Slices.ms);
    if (!done) {
        if (!Progress) {
            Progress = new QDialog(window_, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
            Progress->setObjectName(QStringLiteral("ReplaceProgress"));
            Progress->setWindowTitle(QStringLiteral("Replace All"));
            Progress->setWindowModality(Qt::ApplicationModal);
            auto *box = new QVBoxLayout(Progress);
            auto *label = new QLabel(Progress);
            label->setObjectName(QStringLiteral("Looking"));
            box->addWidget(label);
            bar_ = new QProgressBar(Progress);
            bar_->setRange(0, 100);
            box->addWidget(bar_);
            auto *stop = new QPushButton(QStringLiteral("Stop"), Progress);
            stop->setObjectName(QStringLiteral("Stop"));
            box->addWidget(stop, 0, Qt::AlignRight);
            connect(stop, &QPushButton::clicked, Progress, &QDialog::reject);
            // Stop, Esc and the close button leave the text as it was.
            connect(Progress, &QDialog::rejected, this, [this] { Stop(); });
        }
        if (!Progress->isVisible()) {
            Progress->findChild<QLabel *>(QStringLiteral("Looking"))->setText(QStringLiteral("Looking for \"%1\"...").arg(r.find));
            Progress->show();
        }
        bar_->setValue(doc.SearchProgress(r.search));
        next_->start(0);
        return;
    }
    const std::unique_ptr<Run> finished = std::move(running_);
    if (Progress)
        Progress->hide();
    // One edit, however many matches: one undo step takes it back.
    if (memo_->ReplaceAllFound(finished->search, finished->by) == 0 && OnNotFound)
        OnNotFound(finished->find);
}

int TReplaceAll::ReplaceNow(const QString &find, const QString &replacement, bool wholeWord, bool matchCase)
{
    if (find.isEmpty())
        return 0;
    textcontrol::TextDocument::ReplaceSearch search = memo_->Document().StartReplaceAll(find, wholeWord, matchCase);
    memo_->Document().SearchOn(search, 0);
    return memo_->ReplaceAllFound(search, replacement);
}

void TReplaceAll::Stop()
{
    running_.reset();
    next_->stop();
    if (Progress)
        Progress->hide();
}

} // namespace app
