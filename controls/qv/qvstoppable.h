#pragma once
// Long work done on the user-interface thread in steps, which the user stops with Esc. While it runs,
// each step lets the event loop run, so that its window repaints and Esc is seen; the window takes no
// other keys or clicks meanwhile (they would change what the work is working on), and asking it to close
// stops the work instead. The step after Esc throws platform::Abort, which the work's caller catches to
// leave everything as it was.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace qv {

class TStoppableWork : public QObject {
    Q_OBJECT
public:
    explicit TStoppableWork(QWidget *window);
    ~TStoppableWork() override;

    void Start();
    void Finish();
    bool Busy() const { return busy_; }
    // Esc does this; nothing while no work runs.
    void Stop();
    bool Stopped() const { return stopped_; }
    // The work is this far (per cent): OnProgress hears of it at every tenth, or when it goes back. While
    // the work runs, events are let through, and once it was stopped, platform::Abort is thrown.
    void Step(int percent);
    std::function<void(int percent)> OnProgress;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> window_;
    bool busy_ = false;
    bool stopped_ = false;
    int shown_ = 0;
    int polled_ = -1;
    QElapsedTimer sincePoll_;
};

} // namespace qv
