#pragma once
// The splash window: our animated picture on a bevelled panel, shown at once at start-up and closed as
// soon as the main window is shown and active, or it loses activation, at the latest when start-up is done.
#include <QPointer>
#include <QWidget>

namespace misc {
class TProPanel;
}
namespace gfx {
class TQvGIFAnimator;
}

namespace app {

// Not one of the program's forms: it must never count as the main window.
class TSplash : public QWidget {
    Q_OBJECT
public:
    TSplash();
    // Closes once this window is visible and active (some window systems never activate the splash, so
    // losing activation alone cannot be waited for).
    void CloseWhenActive(QWidget *mainWindow);
    misc::TProPanel *ProPanel1;
    gfx::TQvGIFAnimator *QvGIFAnimator1;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool wasActive_ = false;
    QPointer<QWidget> mainWindow_;
};

} // namespace app
