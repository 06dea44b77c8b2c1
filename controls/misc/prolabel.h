#pragma once
// Effect labels: rotated text, offset text and shadow effects; and a label that shows the current date
// and time.
#include "controls/misc/mouseevents.h"
#include "controls/misc/protypes.h"
#include "platform/controldrag.h"

#include <QColor>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace misc {

class TProCustomLabel : public QWidget, public TControlMouseEvents, public platform::ControlDragMembers {
    Q_OBJECT
public:
    explicit TProCustomLabel(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // Degrees, 0..359; any value is taken modulo 360.
    int Angle() const { return angle_; }
    void SetAngle(int value);
    double AngleCos() const { return cos_; }
    double AngleSin() const { return sin_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // The background colour; while ParentColor is set the parent's colour shows.
    QColor Color() const;
    void SetColor(const QColor &value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    // The text colour (the font's colour).
    QColor FontColor() const;
    void SetFontColor(const QColor &value);
    // The control that takes the focus when the caption's accelerator is pressed.
    QWidget *FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget *value);
    int OffsetX() const { return offsetX_; }
    void SetOffsetX(int value);
    int OffsetY() const { return offsetY_; }
    void SetOffsetY(int value);
    TShadowStyle ShadowStyle() const { return shadowStyle_; }
    void SetShadowStyle(TShadowStyle value);
    TDirection ShadowDirection() const { return shadowDirection_; }
    void SetShadowDirection(TDirection value);
    TShadowDepth ShadowDepth() const { return shadowDepth_; }
    void SetShadowDepth(TShadowDepth value);
    TShadowSize ShadowSize() const { return shadowSize_; }
    void SetShadowSize(TShadowSize value);
    QColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(const QColor &value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
    void SetVerticalAlignment(TVerticalAlignment value);
    TVerticalAlignment Layout() const { return verticalAlignment_; }
    void SetLayout(TVerticalAlignment value) { SetVerticalAlignment(value); }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

    // The menu a right click (or the menu key) pops up at the pointer; none by default.
    QMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu *menu) { popupMenu_ = menu; }

    // One step in a shadow direction.
    static QPoint DirectionStep(TDirection direction);

    QSize sizeHint() const override;

protected:
    void SetCaption(const QString &value);

    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    int textFlags() const;
    void adjustBounds();
    void updateShortcut();
    void applyShadowPreset(TShadowStyle style);
    void makeCustom();

    QString caption_;
    TAlignment alignment_ = taLeftJustify;
    int angle_ = 0;
    double cos_ = 1.0;
    double sin_ = 0.0;
    bool autoSize_ = true;
    bool parentColor_ = true;
    QColor color_;
    QPointer<QWidget> focusControl_;
    int shortcutId_ = 0;
    int offsetX_ = 0;
    int offsetY_ = 0;
    TShadowStyle shadowStyle_ = ssNone;
    TDirection shadowDirection_ = drNone;
    TShadowDepth shadowDepth_ = 0;
    TShadowSize shadowSize_ = 0;
    QColor shadowColor_;
    bool applyingPreset_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    TVerticalAlignment verticalAlignment_ = vaTop;
    bool wordWrap_ = false;
    QPointer<QMenu> popupMenu_;
};

class TProLabel : public TProCustomLabel {
    Q_OBJECT
public:
    explicit TProLabel(QWidget *parent = nullptr) : TProCustomLabel(parent) {}
    using TProCustomLabel::SetCaption;
};

// Its caption is the current date and time in Format, refreshed by its timer every Interval ms.
// Disabling the control stops the timer.
class TProClockLabel : public TProCustomLabel {
    Q_OBJECT
public:
    explicit TProClockLabel(QWidget *parent = nullptr);

    QString Format() const { return format_; }
    void SetFormat(const QString &value);
    int Interval() const { return timer_.interval(); }
    void SetInterval(int value);
    // Whether the timer runs.
    bool TimerActive() const { return timer_.isActive(); }

    TNotifyEvent OnTimer;

protected:
    void changeEvent(QEvent *event) override;

private:
    void tick();
    void refresh();

    QString format_;
    QTimer timer_;
};

} // namespace misc
