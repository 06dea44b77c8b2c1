#include "qvlabel.h"

#include "controls/qv/qvutils.h"

#include <QApplication>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <climits>

namespace qv {

QPoint ShadowOffset(TShadowPosition position, int size)
{
    switch (position) {
    case spLeftTop: return {-size, -size};
    case spLeftBottom: return {-size, size};
    case spRightBottom: return {size, size};
    case spRightTop: return {size, -size};
    }
    return {};
}

TQvCustomLabel::TQvCustomLabel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QvLabel"));
    resize(65, 17);
    connect(qApp, &QApplication::focusChanged, this, [this] { focusChanged(); });
}

TQvCustomLabel::~TQvCustomLabel() = default;

void TQvCustomLabel::SetCaption(const QString &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    updateShortcut();
    adjustBounds();
    update();
}

void TQvCustomLabel::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    update();
}

void TQvCustomLabel::SetAutoSize(bool on)
{
    if (on == autoSize_)
        return;
    autoSize_ = on;
    adjustBounds();
}

QColor TQvCustomLabel::Color() const
{
    if (parentColor_ && parentWidget())
        return parentWidget()->palette().color(parentWidget()->backgroundRole());
    return color_.isValid() ? color_ : palette().color(QPalette::Button);
}

void TQvCustomLabel::SetColor(const QColor &color)
{
    color_ = color;
    parentColor_ = false;
    update();
}

void TQvCustomLabel::SetParentColor(bool on)
{
    if (on == parentColor_)
        return;
    parentColor_ = on;
    update();
}

QColor TQvCustomLabel::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TQvCustomLabel::SetFontColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
    update();
}

void TQvCustomLabel::SetFocusControl(QWidget *control)
{
    focusControl_ = control;
    focusChanged();
}

void TQvCustomLabel::SetLayout(TTextLayout layout)
{
    if (layout == layout_)
        return;
    layout_ = layout;
    update();
}

QColor TQvCustomLabel::ShadowColor() const
{
    return shadowColor_.isValid() ? shadowColor_ : palette().color(QPalette::Light);
}

void TQvCustomLabel::SetShadowColor(const QColor &color)
{
    shadowColor_ = color;
    update();
}

void TQvCustomLabel::SetShadowSize(int size)
{
    size = std::clamp(size, 0, 255);
    if (size == shadowSize_)
        return;
    shadowSize_ = size;
    adjustBounds();
    update();
}

void TQvCustomLabel::SetShadowPos(TShadowPosition position)
{
    if (position == shadowPos_)
        return;
    shadowPos_ = position;
    update();
}

void TQvCustomLabel::SetShowAccelChar(bool on)
{
    if (on == showAccelChar_)
        return;
    showAccelChar_ = on;
    updateShortcut();
    adjustBounds();
    update();
}

void TQvCustomLabel::SetShowFocus(bool on)
{
    if (on == showFocus_)
        return;
    showFocus_ = on;
    update();
}

void TQvCustomLabel::SetTransparent(bool on)
{
    if (on == transparent_)
        return;
    transparent_ = on;
    update();
}

void TQvCustomLabel::SetWordWrap(bool on)
{
    if (on == wordWrap_)
        return;
    wordWrap_ = on;
    adjustBounds();
    update();
}

QString TQvCustomLabel::displayText() const
{
    // An empty caption (or a lone accelerator mark) still measures one line high.
    if (caption_.isEmpty() || (showAccelChar_ && caption_ == QLatin1String("&")))
        return caption_ + QLatin1Char(' ');
    return caption_;
}

int TQvCustomLabel::textFlags() const
{
    int flags = int(HorizontalAlignment(alignment_)) | Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_)
        flags |= Qt::TextWordWrap;
    if (showAccelChar_)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QRect TQvCustomLabel::measure(int width) const
{
    const QFontMetrics fm(font());
    return fm.boundingRect(QRect(0, 0, std::max(0, width), INT_MAX / 4), textFlags(), displayText());
}

QRect TQvCustomLabel::TextRect() const
{
    QRect r = rect().adjusted(1, 1, -1, -1);
    if (layout_ != tlTop) {
        const int free = r.height() - measure(r.width()).height();
        r.translate(0, layout_ == tlCenter ? free / 2 : free);
    }
    return r;
}

QSize TQvCustomLabel::sizeHint() const
{
    const QRect r = measure(wordWrap_ ? width() - 2 : INT_MAX / 4);
    return {r.width() + 2, r.height() + 2};
}

void TQvCustomLabel::adjustBounds()
{
    if (!autoSize_)
        return;
    const QSize s = sizeHint();
    int x = this->x();
    // Right-aligned text keeps its right edge where it was.
    if (alignment_ == taRightJustify)
        x += width() - s.width();
    setGeometry(x, y(), s.width(), s.height());
}

void TQvCustomLabel::updateShortcut()
{
    const QKeySequence key = showAccelChar_ ? QKeySequence::mnemonic(caption_) : QKeySequence();
    if (key.isEmpty()) {
        delete shortcut_;
        shortcut_ = nullptr;
        return;
    }
    if (!shortcut_) {
        shortcut_ = new QShortcut(this);
        shortcut_->setContext(Qt::WindowShortcut);
        connect(shortcut_, &QShortcut::activated, this, [this] { accelerator(); });
    }
    shortcut_->setKey(key);
}

void TQvCustomLabel::accelerator()
{
    QWidget *target = focusControl_;
    if (!target || !isEnabled() || !showAccelChar_)
        return;
    if (target->isEnabled() && target->isVisible() && target->focusPolicy() != Qt::NoFocus)
        target->setFocus(Qt::ShortcutFocusReason);
}

void TQvCustomLabel::focusChanged()
{
    const bool now = focusControl_ && focusControl_->hasFocus();
    if (now == focused_)
        return;
    focused_ = now;
    if (showFocus_)
        update();
}

void TQvCustomLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!transparent_)
        p.fillRect(rect(), Color());
    p.setFont(font());
    const QRect r = TextRect();
    const QString text = displayText();
    const int flags = textFlags() | Qt::TextDontClip;
    int size = shadowSize_;
    TShadowPosition pos = shadowPos_;
    QColor shadow = ShadowColor();
    QColor face = FontColor();
    if (!isEnabled()) {
        shadow = palette().color(QPalette::Light);
        face = palette().color(QPalette::Disabled, QPalette::WindowText);
        if (size == 0) {
            size = 1;
            pos = spRightBottom;
        }
    }
    if (size > 0) {
        p.setPen(shadow);
        p.drawText(r.translated(ShadowOffset(pos, size)), flags, text);
    }
    p.setPen(face);
    p.drawText(r, flags, text);
    if (showFocus_ && focused_) {
        p.setPen(QPen(face, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(p.boundingRect(r, flags, text).adjusted(-1, -1, 0, 0));
    }
}

void TQvCustomLabel::setMouseIn(bool in)
{
    if (in == mouseIn_)
        return;
    mouseIn_ = in;
    if (in && OnMouseEnter)
        OnMouseEnter(this);
    if (!in && OnMouseLeave)
        OnMouseLeave(this);
}

void TQvCustomLabel::enterEvent(QEnterEvent *)
{
    leavePending_ = false;
    if (isEnabled() && ThreadOwnsActiveWindow())
        setMouseIn(true);
}

void TQvCustomLabel::leaveEvent(QEvent *)
{
    // A held button keeps the label under the mouse until it is released.
    if (pressed_)
        leavePending_ = true;
    else
        setMouseIn(false);
}

void TQvCustomLabel::mousePressEvent(QMouseEvent *e)
{
    pressed_ = true;
    const QPoint p = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TQvCustomLabel::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    pressed_ = e->buttons() != Qt::NoButton;
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton && rect().contains(p) && OnClick)
        OnClick(this);
    if (!pressed_ && leavePending_) {
        leavePending_ = false;
        if (!rect().contains(p))
            setMouseIn(false);
    }
}

void TQvCustomLabel::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), p.x(), p.y());
}

void TQvCustomLabel::mouseDoubleClickEvent(QMouseEvent *e)
{
    pressed_ = true;
    if (e->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
}

void TQvCustomLabel::changeEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::FontChange:
        adjustBounds();
        update();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled())
            setMouseIn(false);
        update();
        break;
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(e);
}

} // namespace qv
