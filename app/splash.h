#pragma once
// The splash window: our animated picture on a bevelled panel, shown at once at start-up and closed as
// soon as it loses activation.
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
    misc::TProPanel *ProPanel1;
    gfx::TQvGIFAnimator *QvGIFAnimator1;

protected:
    void changeEvent(QEvent *event) override;

private:
    bool wasActive_ = false;
};

} // namespace app
