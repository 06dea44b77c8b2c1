#pragma once
// The bevels, border and sides shared by the bevel panel and the border control, and their painting.
#include "controls/misc/protypes.h"

#include <QColor>
#include <QMargins>
#include <QRect>

class QPainter;
class QPalette;

namespace misc {

// One frame step: the selected sides of r in one-pixel lines (left and top in topLeft, right and bottom
// in bottomRight); r shrinks by one pixel on each selected side.
void FrameStep(QPainter &painter, QRect &r, TSides sides, const QColor &topLeft, const QColor &bottomRight);

class TProBevelFrame {
public:
    virtual ~TProBevelFrame() = default;

    bool BevelCtl3D() const { return ctl3D_; }
    // On: the bevel width becomes 2 (two one-pixel frames); off: 1.
    void SetBevelCtl3D(bool value);
    TBevelCut BevelInner() const { return inner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return outer_; }
    void SetBevelOuter(TBevelCut value);
    TSides BevelSides() const { return sides_; }
    void SetBevelSides(TSides value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    QColor BorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor &value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);

    // Paints outer bevel, border and inner bevel into r, which shrinks to what lies inside them.
    void PaintFrames(QPainter &painter, QRect &r, const QPalette &palette) const;
    // How far the frames reach in on each side (children are laid out inside them).
    QMargins FrameMargins() const;

protected:
    TProBevelFrame(bool ctl3D, const QColor &borderColor) : ctl3D_(ctl3D), borderColor_(borderColor) {}
    // The owner repaints (and relays out).
    virtual void FrameChanged() = 0;
    // Whether BevelWidth may change while BevelCtl3D is on.
    virtual bool WidthFollowsCtl3D() const { return false; }

private:
    void paintBevel(QPainter &painter, QRect &r, TBevelCut cut, const QPalette &palette) const;

    bool ctl3D_;
    TBevelCut inner_ = bvNone;
    TBevelCut outer_ = bvRaised;
    TSides sides_ = AllSides();
    int bevelWidth_ = 1;
    QColor borderColor_;
    int borderWidth_ = 0;
};

} // namespace misc
