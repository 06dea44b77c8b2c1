#pragma once
// The base of owner-drawn, button-like controls: a glyph box and a caption drawn as 3-D text over the
// control's (possibly transparent) background, clicked by the mouse, the space key or its accelerator.
#include "controls/misc/protypes.h"
#include "controls/misc/sgraphics.h"
#include "controls/misc/strans.h"

#include <QPixmap>
#include <QString>

namespace misc {

class TsBWCCControl : public TsTransControl {
    Q_OBJECT
public:
    static constexpr int GlyphBoxSize = 13;

    explicit TsBWCCControl(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString &value);
    // Where the glyph box lies: left or right of the caption, or in the middle under it.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    QPixmap Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap &value);
    // The caption's 3-D settings and the style they are drawn in (see Draw3DText).
    TFont3d *Font3d() const { return font3d_; }
    TFont3d *SecondFont3d() const { return secondFont3d_; }
    int TextStyle() const { return textStyle_; }
    void SetTextStyle(int value);
    // Whether a control with a glyph repaints when the mouse comes and goes.
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value) { hotTrack_ = value; }

    bool MouseInside() const { return mouseInside_; }
    // Whether the control shows itself pressed.
    bool Down() const { return down_; }

    // The glyph box and the caption's rectangle in client coordinates.
    QRect GlyphRect() const;
    QRect CaptionRect() const;

    virtual void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    QSize sizeHint() const override { return {75, 25}; }

protected:
    // Draws the glyph into its box; subclasses draw their own kinds (check marks, radio dots).
    virtual void PaintGlyph(QPainter &painter, const QRect &box);
    virtual void MouseEnter();
    virtual void MouseLeave();

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setDown(bool value);
    void hotRepaint();
    void updateShortcut();

    QString caption_;
    TAlignment alignment_ = taLeftJustify;
    QPixmap glyph_;
    TFont3d *font3d_;
    TFont3d *secondFont3d_;
    int textStyle_ = 0;
    bool hotTrack_ = true;
    bool mouseInside_ = false;
    bool mouseDown_ = false;
    bool keyDown_ = false;
    bool down_ = false;
    int shortcutId_ = 0;
};

} // namespace misc
