#pragma once
// Types shared by the effect labels, the bevel panel and the border.
#include <QFlags>
#include <QObject>
#include <Qt>
#include <cstdint>
#include <functional>

namespace misc {

enum TShadowStyle { ssNone, ssCustom, ssRaised, ssRecessed, ssShadow, ssThickShadow };
enum TDirection { drNone, drUp, drDown, drLeft, drRight, drUpLeft, drUpRight, drDownLeft, drDownRight };
enum TVerticalAlignment { vaTop, vaCenter, vaBottom };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBevelCut { bvNone, bvLowered, bvRaised };
enum TBorderStyle { bsNone, bsSingle };

enum TSide { sdLeft = 1, sdTop = 2, sdRight = 4, sdBottom = 8 };
Q_DECLARE_FLAGS(TSides, TSide)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSides)
inline constexpr TSides AllSides() { return TSides(sdLeft | sdTop | sdRight | sdBottom); }

using TShadowDepth = std::uint8_t;
using TShadowSize = std::uint8_t;

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TMouseEvent =
    std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject *Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

// Text flags for QPainter::drawText and QFontMetrics::boundingRect.
inline int HorizontalFlags(TAlignment a)
{
    switch (a) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

} // namespace misc
