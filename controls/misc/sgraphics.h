#pragma once
// Text drawn with a 3-D look: a shadow copy in a second colour beside the text, an outline, or both
// settings of a raised or lowered caption.
#include "controls/misc/protypes.h"

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>

class QPainter;

namespace misc {

enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };

// One 3-D setting: where the shadow lies, how far, and in which colour. Every change is told to the
// owner through OnChange.
class TFont3d : public QObject {
    Q_OBJECT
public:
    explicit TFont3d(QObject *owner = nullptr) : QObject(owner) {}

    bool Active() const { return active_; }
    void SetActive(bool value);
    // The palette's highlight (light) colour until one is given.
    QColor Color() const;
    void SetColor(const QColor &value);
    TShadowPosition Position() const { return position_; }
    void SetPosition(TShadowPosition value);
    std::uint8_t Spacing() const { return spacing_; }
    void SetSpacing(std::uint8_t value);

    // Copies another setting; any other source is refused with an error naming both classes.
    void Assign(const QObject *source);

    TNotifyEvent OnChange;

private:
    void changed();

    bool active_ = true;
    QColor color_;
    TShadowPosition position_ = spRightBottom;
    std::uint8_t spacing_ = 1;
};

// Where the text and its shadow go, relative to the rectangle, for a setting: both stay inside the
// rectangle grown by the spacing to the right and bottom.
struct Offsets3d {
    QPoint text;
    QPoint shadow;
};
Offsets3d TextOffsets3d(TShadowPosition position, int spacing);

// Draws length characters of text (all of it when length < 0) into rect with the painter's font and pen
// colour, by style: 0 plain (or 3-D with first when it is active), 1 and 2 3-D with first after moving
// rect for second, 3 outline in second's colour, 4 3-D underlined, 5 3-D in second's colour with first's
// shadow. Without an active second every style draws as 0; without first a setting of spacing 0 is used.
// flags are Qt alignment and text flags; with Qt::TextDontPrint nothing is drawn and rect becomes the
// area the drawing would cover. Returns the text height plus the spacing of the setting drawn with.
int Draw3DText(QPainter &canvas, const QString &text, int length, int style, const TFont3d *first,
               const TFont3d *second, int flags, QRect &rect);

} // namespace misc
