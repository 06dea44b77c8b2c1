#include "strans.h"

#include <QPainter>

namespace misc {

QPixmap ParentImage(QWidget *parent, const QRect &area)
{
    if (!parent || area.isEmpty())
        return {};
    QPixmap image(area.size());
    image.fill(parent->palette().color(parent->backgroundRole()));
    // Children are left out: the control asking is one of them.
    parent->render(&image, QPoint(), QRegion(area), QWidget::DrawWindowBackground);
    return image;
}

TsTransControl::TsTransControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void TsTransControl::SetTransparent(bool value)
{
    if (value == transparent_)
        return;
    transparent_ = value;
    if (!transparent_)
        background_ = QPixmap();
    InvalidateBackground();
}

QColor TsTransControl::Color() const
{
    return color_.isValid() ? color_ : palette().color(QPalette::Button);
}

void TsTransControl::SetColor(const QColor &value)
{
    if (value == color_)
        return;
    color_ = value;
    update();
}

void TsTransControl::InvalidateBackground()
{
    stale_ = true;
    update();
}

void TsTransControl::takeBackground()
{
    takenAt_ = geometry();
    background_ = ParentImage(parentWidget(), takenAt_);
    stale_ = false;
}

void TsTransControl::PaintBackground(QPainter &painter, const QRect &r)
{
    if (!transparent_) {
        painter.fillRect(r, Color());
        return;
    }
    if (BackgroundStale())
        takeBackground();
    if (background_.isNull())
        painter.fillRect(r, Color());
    else
        painter.drawPixmap(r, background_, r);
}

void TsTransControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    PaintBackground(p, rect());
}

void TsTransControl::geometryChanged()
{
    // Hidden controls are told their size again on every grab: only a real change counts.
    if (geometry() != takenAt_)
        InvalidateBackground();
}

void TsTransControl::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    geometryChanged();
}

void TsTransControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    geometryChanged();
}

} // namespace misc
