#pragma once
#include "app/dialogs/engine.h"

class QScrollBar;
class QSlider;
class QFrame;

namespace dialogs {

// "Color": a colour mixed on three bars (or taken from the colour dialog), shown in two swatches, and its
// HTML value ("#rrggbb") handed over on OK.
class TFarve1 : public TEngineDialog {
    Q_OBJECT
public:
    TFarve1(const TDialogDesc &desc, QWidget *parent = nullptr);

    QScrollBar *Red, *Green, *Blue;
    QLabel *RedLabel, *GreenLabel, *BlueLabel, *ScrollLabel;
    QSlider *TrackBar1; // the large step of the three bars
    QFrame *Shape1;     // the solid colour
    QFrame *Shape2;     // the colour as a thick frame
    QLineEdit *HTMLValue;
    QPushButton *WindowsColors;

    QColor Color() const { return color_; }
    // Shows a colour on the swatches, the value and the bars (their labels follow).
    void SetColor(const QColor &c);
    void WindowsColorsClick();

private:
    void barMoved();
    void showColor();
    QColor color_;
};

} // namespace dialogs
