#include "propanel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace misc {

// ---- TProCustomPanel ----

TProCustomPanel::TProCustomPanel(QWidget *parent)
    : QWidget(parent), TProBevelFrame(false, QColor()), color_(palette().color(QPalette::Button))
{
    SetBorderColor(palette().color(QPalette::Button));
    setMouseTracking(true);
    resize(185, 41);
    FrameChanged();
}

void TProCustomPanel::FrameChanged()
{
    setContentsMargins(FrameMargins() + QMargins(borderStyle_ == bsSingle ? 1 : 0, borderStyle_ == bsSingle ? 1 : 0,
                                                 borderStyle_ == bsSingle ? 1 : 0, borderStyle_ == bsSingle ? 1 : 0));
    update();
}

void TProCustomPanel::SetCaption(const QString &value)
{
    if (value == caption_)
        return;
    caption_ = value;
    update();
}

void TProCustomPanel::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    update();
}

void TProCustomPanel::SetVerticalAlignment(TVerticalAlignment value)
{
    if (value == verticalAlignment_)
        return;
    verticalAlignment_ = value;
    update();
}

void TProCustomPanel::SetColor(const QColor &value)
{
    if (value == color_)
        return;
    color_ = value;
    update();
}

void TProCustomPanel::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    FrameChanged();
}

void TProCustomPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect r = rect();
    if (borderStyle_ == bsSingle)
        FrameStep(p, r, AllSides(), palette().color(QPalette::Shadow), palette().color(QPalette::Shadow));
    PaintFrames(p, r, palette());
    p.fillRect(r, color_);
    if (caption_.isEmpty())
        return;
    const int flags = HorizontalFlags(alignment_) | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextWordWrap |
                      Qt::TextShowMnemonic;
    p.setFont(font());
    const int textHeight = QFontMetrics(font()).boundingRect(r, flags, caption_).height();
    const int free = r.height() - textHeight;
    if (verticalAlignment_ == vaBottom)
        r.translate(0, free);
    else if (verticalAlignment_ == vaCenter)
        r.translate(0, free / 2);
    p.setPen(palette().color(QPalette::Active, foregroundRole()));
    p.drawText(r, flags, caption_);
}

void TProCustomPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (OnResize)
        OnResize(this);
}

bool TProCustomPanel::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    return RelayEvent(this, event) || handled;
}

// ---- TProBorder ----

TProBorder::TProBorder(QWidget *parent) : QWidget(parent), TProBevelFrame(true, QColor())
{
    SetBorderColor(palette().color(QPalette::Button));
    resize(50, 50);
    FrameChanged();
}

void TProBorder::FrameChanged()
{
    setContentsMargins(FrameMargins());
    update();
}

void TProBorder::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect r = rect();
    PaintFrames(p, r, palette());
}

void TProBorder::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TProBorder::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

} // namespace misc
