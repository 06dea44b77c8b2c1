#pragma once
// An integer edit with a square spin button in its right end; the button is split along its diagonal
// into an "up" and a "down" triangle. What a user puts in holds a number only: pasted or dropped text is
// reduced to the number it holds, or refused when it holds none.
#include "controls/zel/systemscomponent.h"

#include <QColor>
#include <QImage>
#include <QLineEdit>

namespace zel {

class TZELCustomSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TZELCustomSpinButton(QWidget *parent = nullptr);

    // 0 nothing pressed, 1 up pressed, 2 down pressed, 3 disabled.
    int State() const { return state_; }
    QColor ArrowColor() const { return arrowColor_; }
    void SetArrowColor(const QColor &c);
    QColor Color() const { return color_; }
    void SetColor(const QColor &c);
    TNotifyEvent OnTopClick;
    TNotifyEvent OnBottomClick;

    // The image of one state as it is painted (for the strip and for tests).
    QImage StateImage(int state);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void rebuildStrip();
    void setState(int s);
    int trackedState(const QPoint &p) const;
    QImage strip_;
    int state_ = 0;
    int pressed_ = 0;
    bool tracking_ = false;
    QColor arrowColor_ = Qt::black;
    QColor color_;
};

class TZELCustomSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TZELCustomSpinEdit(QWidget *parent = nullptr);
    ~TZELCustomSpinEdit() override;

    int MinValue() const { return minValue_; }
    void SetMinValue(int m);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int m);
    int LineSize = 1;
    int MultipleLineSize = 10;
    bool CutandPaste = true;
    bool AutoSelect = true;
    // When set, what is typed, pasted or dropped never leaves a number beyond the limits in the text: it
    // is refused, as a letter is. A number under MinValue that more digits could raise stays until the
    // typing ends (Enter, leaving the field), which brings it to MinValue.
    bool LimitTyping = false;

    // Reads the text (setting it to MinValue when empty); text that is no integer reads as MinValue.
    int Value();
    void SetValue(int v);
    // The value clamped to MinValue..MaxValue; unchanged when both limits are equal (no limits).
    int CheckValue(int v) const;

    QColor ButtonColor() const { return button_->Color(); }
    void SetButtonColor(const QColor &c) { button_->SetColor(c); }
    QColor ArrowColor() const { return button_->ArrowColor(); }
    void SetArrowColor(const QColor &c) { button_->SetArrowColor(c); }
    TZELCustomSpinButton *SpinButton() const { return button_; }

    virtual void DownClick();
    virtual bool IsValidChar(QChar key);
    virtual void UpClick();

    TNotifyEvent OnChange;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    bool editingAllowed() const { return CutandPaste && !isReadOnly(); }
    void stepBy(int delta);
    void layoutButton();
    int minValue_ = 0;
    int maxValue_ = 100;
    QWidget *holder_;
    TZELCustomSpinButton *button_;
};

class TZELSpinEdit : public TZELCustomSpinEdit {
    Q_OBJECT
public:
    using TZELCustomSpinEdit::TZELCustomSpinEdit;
};

} // namespace zel
