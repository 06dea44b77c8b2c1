#pragma once
// Numeric input: a square button split along its diagonal into an up and a down part that repeats while
// held, a thin up-down pair of arrow buttons, and an edit holding an integer or a decimal number with one
// of the two in its right end.
#include "controls/qv/qvtypes.h"
#include "platform/form.h"

#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <functional>

class QToolButton;

namespace qv {

class RepeatTimer;

class TQvSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TQvSpinButton(QWidget *parent = nullptr);
    ~TQvSpinButton() override;

    // 0 nothing pressed, 1 up pressed, 2 down pressed.
    int State() const { return state_; }
    // Which part a point lies over: 1 the upper-left half, 2 the lower-right one. Presses and moves judge
    // by this one rule, so a pressed part stays pressed on any shape of button.
    int PartAt(const QPoint &p) const;

    // A null image brings back the built-in arrow.
    QImage UpGlyph() const { return upGlyph_; }
    void SetUpGlyph(const QImage &glyph);
    QImage DownGlyph() const { return downGlyph_; }
    void SetDownGlyph(const QImage &glyph);
    // Takes the focus when the button is pressed.
    QWidget *FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget *control) { focusControl_ = control; }

    platform::TNotifyEvent OnTopClick;
    platform::TNotifyEvent OnBottomClick;

    // The face of a state (0, 1 or 2) at the button's size.
    QImage StateImage(int state);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void click(int part);
    void setState(int state);
    void timerTick();
    void stop();

    int state_ = 0;
    QImage upGlyph_;
    QImage downGlyph_;
    bool tracking_ = false;
    QImage images_[3];
    RepeatTimer *repeat_ = nullptr;
    int pressed_ = 0;
    QPointer<QWidget> focusControl_;
};

enum TUDBtnType { btNext, btPrev };

// Two small arrow buttons, up above down; each click moves Position by one within Min..Max.
class TQvUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TQvUpDown(QWidget *parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);
    int Position() const { return position_; }
    void SetPosition(int position);
    // With ArrowKeys the Up and Down keys in the associated control click the buttons.
    bool ArrowKeys() const { return arrowKeys_; }
    void SetArrowKeys(bool on);
    QWidget *Associate() const { return associate_; }
    void SetAssociate(QWidget *control);
    // The natural width: the scroll bar's, at most 15.
    int NaturalWidth() const;

    // After Position moved (btNext up, btPrev down).
    std::function<void(QObject *sender, TUDBtnType button)> OnClick;

    QToolButton *UpButton() const { return up_; }
    QToolButton *DownButton() const { return down_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void click(TUDBtnType button);
    QToolButton *up_;
    QToolButton *down_;
    int min_ = -1;
    int max_ = 1;
    int position_ = 0;
    bool arrowKeys_ = true;
    QPointer<QWidget> associate_;
};

enum TValueType { vtInteger, vtFloat };
enum TSpinButtonKind { bkStandard, bkDiagonal };

// Fixed-point text of a number as the spin edit shows it: at most `precision` significant digits, then
// rounded half away from zero at `digits` decimals (so 1.005 with 2 decimals shows 1.01); numbers with
// more than `precision` integer digits come in exponent form.
QString FloatToStrFixed(double value, int precision, int digits, QChar decimalSeparator);

class TQvSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TQvSpinEdit(QWidget *parent = nullptr);
    ~TQvSpinEdit() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    double MinValue() const { return minValue_; }
    void SetMinValue(double v) { minValue_ = v; }
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double v) { maxValue_ = v; }
    double Increment() const { return increment_; }
    void SetIncrement(double v) { increment_ = v; }
    // Decimal places of a vtFloat value; a change formats the text again.
    int Decimal() const { return decimal_; }
    void SetDecimal(int places);
    // Whether characters may be typed.
    bool EditorEnabled = true;
    TValueType ValueType() const { return valueType_; }
    void SetValueType(TValueType type);
    bool ArrowKeys() const { return arrowKeys_; }
    void SetArrowKeys(bool on);
    TSpinButtonKind ButtonKind() const { return buttonKind_; }
    void SetButtonKind(TSpinButtonKind kind);
    bool AutoSelect = true;

    // The text as a number; text that is no number gives MinValue (truncated for vtInteger). A whole
    // number is an int.
    double Value() const;
    // Shows the checked value, for vtInteger rounded and held to the range of an int; a value that is
    // not finite is refused (the text stays).
    void SetValue(double value);
    // Clamped to MinValue..MaxValue unless both are equal (no limits then).
    double CheckValue(double value) const;

    virtual bool IsValidChar(QChar key);
    virtual void UpClick();
    virtual void DownClick();

    platform::TNotifyEvent OnTopClick;
    platform::TNotifyEvent OnBottomClick;
    platform::TNotifyEvent OnChange;

    // The button in use: the diagonal spin button or the up-down (the other is null).
    TQvSpinButton *SpinButton() const { return button_; }
    TQvUpDown *UpDown() const { return upDown_; }
    // The smallest height the edit keeps.
    int MinimumHeight() const;

protected:
    virtual void Change();
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void spin(double delta, const platform::TNotifyEvent &after);
    void recreateButtons();
    void layoutButtons();
    QChar decimalSeparator() const;

    TAlignment alignment_ = taLeftJustify;
    double minValue_ = 0;
    double maxValue_ = 0;
    double increment_ = 1;
    int decimal_ = 2;
    bool changing_ = false;
    TValueType valueType_ = vtInteger;
    QWidget *holder_ = nullptr;
    TQvSpinButton *button_ = nullptr;
    bool arrowKeys_ = true;
    TSpinButtonKind buttonKind_ = bkDiagonal;
    TQvUpDown *upDown_ = nullptr;
    bool positioning_ = false;
};

} // namespace qv
