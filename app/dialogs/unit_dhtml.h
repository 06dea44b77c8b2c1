#pragma once
#include "app/dialogs/engine.h"

class QRadioButton;

namespace dialogs {

// "DHTML Animation": a paragraph that flies, drops, spirals or zooms into place. "Max" brings the script
// that moves it (and starts it when the page has loaded); "Min" is for a page that has the script already.
class TAnimation : public TEngineDialog {
    Q_OBJECT
public:
    TAnimation(const TDialogDesc &desc, QWidget *parent = nullptr);
    QRadioButton *Min = nullptr, *Max = nullptr;
    QLabel *Hint = nullptr;
    QString Build() const override;
    // Without a choice of Min or Max nothing goes in and the dialog stays open.
    bool OkAllowed() override;
};

} // namespace dialogs
