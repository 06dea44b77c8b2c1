#include "probevel.h"

#include <QPainter>
#include <QPalette>

namespace misc {

void FrameStep(QPainter &painter, QRect &r, TSides sides, const QColor &topLeft, const QColor &bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (sides & sdLeft)
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    if (sides & sdTop)
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    if (sides & sdRight)
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    if (sides & sdBottom)
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    r.adjust(sides & sdLeft ? 1 : 0, sides & sdTop ? 1 : 0, sides & sdRight ? -1 : 0, sides & sdBottom ? -1 : 0);
}

void TProBevelFrame::SetBevelCtl3D(bool value)
{
    if (value == ctl3D_)
        return;
    ctl3D_ = value;
    bevelWidth_ = value ? 2 : 1;
    FrameChanged();
}

void TProBevelFrame::SetBevelInner(TBevelCut value)
{
    if (value == inner_)
        return;
    inner_ = value;
    FrameChanged();
}

void TProBevelFrame::SetBevelOuter(TBevelCut value)
{
    if (value == outer_)
        return;
    outer_ = value;
    FrameChanged();
}

void TProBevelFrame::SetBevelSides(TSides value)
{
    if (value == sides_)
        return;
    sides_ = value;
    FrameChanged();
}

void TProBevelFrame::SetBevelWidth(int value)
{
    if (value < 0 || value == bevelWidth_ || (ctl3D_ && WidthFollowsCtl3D()))
        return;
    bevelWidth_ = value;
    FrameChanged();
}

void TProBevelFrame::SetBorderColor(const QColor &value)
{
    if (value == borderColor_)
        return;
    borderColor_ = value;
    FrameChanged();
}

void TProBevelFrame::SetBorderWidth(int value)
{
    if (value < 0 || value == borderWidth_)
        return;
    borderWidth_ = value;
    FrameChanged();
}

void TProBevelFrame::paintBevel(QPainter &painter, QRect &r, TBevelCut cut, const QPalette &palette) const
{
    if (cut == bvNone)
        return;
    const QColor btnShadow = palette.color(QPalette::Dark);
    const QColor btnHighlight = palette.color(QPalette::Light);
    const QColor btnText = palette.color(QPalette::ButtonText);
    const QColor light3D = palette.color(QPalette::Midlight);
    QColor outerTL, outerBR, innerTL, innerBR;
    if (cut == bvLowered) {
        outerTL = btnShadow;
        outerBR = btnHighlight;
        innerTL = btnText;
        innerBR = light3D;
    } else {
        outerTL = btnHighlight;
        outerBR = ctl3D_ ? btnText : btnShadow;
        innerTL = light3D;
        innerBR = btnShadow;
    }
    if (ctl3D_) {
        FrameStep(painter, r, sides_, outerTL, outerBR);
        FrameStep(painter, r, sides_, innerTL, innerBR);
    } else {
        for (int i = 0; i < bevelWidth_; ++i)
            FrameStep(painter, r, sides_, outerTL, outerBR);
    }
}

void TProBevelFrame::PaintFrames(QPainter &painter, QRect &r, const QPalette &palette) const
{
    paintBevel(painter, r, outer_, palette);
    for (int i = 0; i < borderWidth_; ++i)
        FrameStep(painter, r, sides_, borderColor_, borderColor_);
    paintBevel(painter, r, inner_, palette);
}

QMargins TProBevelFrame::FrameMargins() const
{
    const auto bevel = [this](TBevelCut cut) { return cut == bvNone ? 0 : ctl3D_ ? 2 : bevelWidth_; };
    const int w = bevel(outer_) + borderWidth_ + bevel(inner_);
    return QMargins(sides_ & sdLeft ? w : 0, sides_ & sdTop ? w : 0, sides_ & sdRight ? w : 0,
                    sides_ & sdBottom ? w : 0);
}

} // namespace misc
