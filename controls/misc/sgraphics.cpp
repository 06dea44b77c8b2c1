#include "sgraphics.h"

#include "platform/error.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace misc {

namespace {

QString shortClassName(const QObject *object)
{
    if (!object)
        return QStringLiteral("nil");
    const QString name = QString::fromLatin1(object->metaObject()->className());
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
}

} // namespace

// ---- TFont3d ----

void TFont3d::changed()
{
    if (OnChange)
        OnChange(this);
}

void TFont3d::SetActive(bool value)
{
    if (value == active_)
        return;
    active_ = value;
    changed();
}

QColor TFont3d::Color() const
{
    return color_.isValid() ? color_ : QApplication::palette().color(QPalette::Light);
}

void TFont3d::SetColor(const QColor &value)
{
    if (value == color_)
        return;
    color_ = value;
    changed();
}

void TFont3d::SetPosition(TShadowPosition value)
{
    if (value == position_)
        return;
    position_ = value;
    changed();
}

void TFont3d::SetSpacing(std::uint8_t value)
{
    if (value == spacing_)
        return;
    spacing_ = value;
    changed();
}

void TFont3d::Assign(const QObject *source)
{
    const auto *other = qobject_cast<const TFont3d *>(source);
    if (!other)
        throw platform::Error(QStringLiteral("Cannot assign a %1 to a %2").arg(shortClassName(source), shortClassName(this)));
    active_ = other->active_;
    color_ = other->color_;
    position_ = other->position_;
    spacing_ = other->spacing_;
    changed();
}

// ---- drawing ----

Offsets3d TextOffsets3d(TShadowPosition position, int s)
{
    switch (position) {
    case spLeftTop: return {{s, s}, {0, 0}};
    case spLeftBottom: return {{s, 0}, {0, s}};
    case spRightTop: return {{0, s}, {s, 0}};
    case spRightBottom: break;
    }
    return {{0, 0}, {s, s}};
}

namespace {

// Room for the second setting of a raised or lowered caption: the full spacing towards left and top,
// what the second spacing exceeds the first by towards right and bottom.
QPoint secondShift(TShadowPosition position, int first, int second)
{
    const int ahead = second - first;
    switch (position) {
    case spLeftTop: return {-second, -second};
    case spLeftBottom: return {-second, ahead};
    case spRightTop: return {ahead, -second};
    case spRightBottom: break;
    }
    return {ahead, ahead};
}

struct Pass {
    QPainter &canvas;
    const QString &text;
    int flags;
    bool measuring;
    QRect covered;

    // Draws (or measures) the text at one offset of rect in one colour; returns the text's own box.
    QRect at(const QRect &rect, QPoint offset, const QColor &colour)
    {
        const QRect r = rect.translated(offset);
        QRect box;
        if (measuring) {
            box = canvas.boundingRect(r, flags & ~Qt::TextDontPrint, text);
        } else {
            canvas.setPen(colour);
            canvas.drawText(r, flags, text, &box);
        }
        covered = covered.isNull() ? box : covered.united(box);
        return box;
    }
};

int draw3d(Pass &pass, const QRect &rect, const TFont3d &setting, const QColor &textColour)
{
    const Offsets3d o = TextOffsets3d(setting.Position(), setting.Spacing());
    pass.at(rect, o.shadow, setting.Color());
    return pass.at(rect, o.text, textColour).height() + setting.Spacing();
}

} // namespace

int Draw3DText(QPainter &canvas, const QString &fullText, int length, int style, const TFont3d *first,
               const TFont3d *second, int flags, QRect &rect)
{
    TFont3d standIn;
    standIn.SetSpacing(0);
    const TFont3d &one = first ? *first : standIn;
    const bool measuring = flags & Qt::TextDontPrint;
    const QString text = length < 0 ? fullText : fullText.left(length);
    const bool withSecond = second && second->Active();
    if (!withSecond || style < 0 || style > 5)
        style = 0;

    canvas.save();
    const QColor fontColour = canvas.pen().color();
    Pass pass{canvas, text, flags & ~Qt::TextDontPrint, measuring, QRect()};
    QRect area = rect;
    int height = 0;
    switch (style) {
    case 1:
    case 2:
        if (!measuring)
            area.translate(secondShift(second->Position(), one.Spacing(), second->Spacing()));
        height = draw3d(pass, area, one, fontColour);
        break;
    case 3: {
        const int s = second->Spacing();
        for (int dy = -s; dy <= s; ++dy)
            for (int dx = -s; dx <= s; ++dx)
                if (dx != 0 || dy != 0)
                    pass.at(area, {dx, dy}, second->Color());
        height = pass.at(area, {}, fontColour).height() + s;
        break;
    }
    case 4: {
        QFont underlined = canvas.font();
        underlined.setUnderline(true);
        canvas.setFont(underlined);
        height = draw3d(pass, area, one, fontColour);
        break;
    }
    case 5:
        height = draw3d(pass, area, one, second->Color());
        break;
    default:
        if (one.Active())
            height = draw3d(pass, area, one, fontColour);
        else
            height = pass.at(area, {}, fontColour).height();
        break;
    }
    canvas.restore();
    if (measuring)
        rect = pass.covered;
    return height;
}

} // namespace misc
