#pragma once
#include "app/dialogs/engine.h"

class QRadioButton;

namespace dialogs {

// The opening SPAN tag of each effect, in button order: Blur, Wave, Glow, Alpha, Drop Shadow, FlipH, FlipV,
// Spooky.
QStringList FilterSpans();

// "IE Filter Effect": one effect of eight and a text. The first four go through the main window's builder,
// the last four the dialog hands over itself; exactly one is ever checked, so one text goes in.
class TFilter : public TEngineDialog {
    Q_OBJECT
public:
    TFilter(const TDialogDesc &desc, QWidget *parent = nullptr);
    QList<QRadioButton *> Effects; // RadioButton1 .. RadioButton8
    QLineEdit *Text;
    QString Build() const override;
    // The text of the checked effect when it is one the dialog hands over itself; empty otherwise.
    QString OwnText() const;
    void HandOverOwn() override;

private:
    int checked() const;
};

} // namespace dialogs
