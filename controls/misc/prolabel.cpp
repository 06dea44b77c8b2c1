#include "prolabel.h"

#include "controls/misc/datetimeformat.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <cmath>
#include <numbers>

namespace misc {

// ---- TProCustomLabel ----

TProCustomLabel::TProCustomLabel(QWidget *parent)
    : QWidget(parent), ControlDragMembers(new platform::ControlDrag(this))
{
    setAutoFillBackground(false);
    setMouseTracking(true);
    shadowColor_ = palette().color(QPalette::Dark);
    adjustBounds();
}

QPoint TProCustomLabel::DirectionStep(TDirection direction)
{
    switch (direction) {
    case drUp: return {0, -1};
    case drDown: return {0, 1};
    case drLeft: return {-1, 0};
    case drRight: return {1, 0};
    case drUpLeft: return {-1, -1};
    case drUpRight: return {1, -1};
    case drDownLeft: return {-1, 1};
    case drDownRight: return {1, 1};
    default: return {0, 0};
    }
}

void TProCustomLabel::SetCaption(const QString &value)
{
    if (value == caption_)
        return;
    caption_ = value;
    updateShortcut();
    adjustBounds();
    update();
}

void TProCustomLabel::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    update();
}

void TProCustomLabel::SetAngle(int value)
{
    const int reduced = ((value % 360) + 360) % 360;
    if (reduced != angle_) {
        angle_ = reduced;
        const double radians = angle_ * std::numbers::pi / 180.0;
        cos_ = std::cos(radians);
        sin_ = std::sin(radians);
    }
    // A rotated caption needs a box of its own size, not the one AutoSize would give.
    if (angle_ != 0)
        SetAutoSize(false);
    update();
}

void TProCustomLabel::SetAutoSize(bool value)
{
    if (value == autoSize_)
        return;
    autoSize_ = value;
    adjustBounds();
}

QColor TProCustomLabel::Color() const { return parentColor_ ? palette().color(backgroundRole()) : color_; }

void TProCustomLabel::SetColor(const QColor &value)
{
    color_ = value;
    parentColor_ = false;
    update();
}

void TProCustomLabel::SetParentColor(bool value)
{
    if (value == parentColor_)
        return;
    parentColor_ = value;
    if (!value && !color_.isValid())
        color_ = palette().color(backgroundRole());
    update();
}

QColor TProCustomLabel::FontColor() const { return palette().color(QPalette::Active, foregroundRole()); }

void TProCustomLabel::SetFontColor(const QColor &value)
{
    QPalette pal = palette();
    pal.setColor(foregroundRole(), value);
    setPalette(pal);
    update();
}

void TProCustomLabel::SetFocusControl(QWidget *value)
{
    focusControl_ = value;
    updateShortcut();
}

void TProCustomLabel::SetOffsetX(int value)
{
    if (value == offsetX_)
        return;
    offsetX_ = value;
    if (value > 0)
        SetAutoSize(false);
    update();
}

void TProCustomLabel::SetOffsetY(int value)
{
    if (value == offsetY_)
        return;
    offsetY_ = value;
    if (value > 0)
        SetAutoSize(false);
    update();
}

void TProCustomLabel::makeCustom()
{
    if (!applyingPreset_)
        shadowStyle_ = ssCustom;
    update();
}

void TProCustomLabel::SetShadowDirection(TDirection value)
{
    if (value == shadowDirection_)
        return;
    shadowDirection_ = value;
    makeCustom();
}

void TProCustomLabel::SetShadowDepth(TShadowDepth value)
{
    if (value == shadowDepth_)
        return;
    shadowDepth_ = value;
    makeCustom();
}

void TProCustomLabel::SetShadowSize(TShadowSize value)
{
    if (value == shadowSize_)
        return;
    shadowSize_ = value;
    makeCustom();
}

void TProCustomLabel::SetShadowColor(const QColor &value)
{
    if (value == shadowColor_)
        return;
    shadowColor_ = value;
    makeCustom();
}

void TProCustomLabel::applyShadowPreset(TShadowStyle style)
{
    struct Preset {
        TDirection direction;
        int depth;
        int size;
        QColor colour;
    };
    const QColor btnShadow = palette().color(QPalette::Dark);
    Preset preset;
    switch (style) {
    case ssNone: preset = {drNone, 0, 0, btnShadow}; break;
    case ssRaised: preset = {drUpLeft, 1, 1, Qt::white}; break;
    case ssRecessed: preset = {drDownRight, 1, 1, Qt::white}; break;
    case ssShadow: preset = {drDownRight, 2, 1, btnShadow}; break;
    case ssThickShadow: preset = {drDownRight, 1, 4, btnShadow}; break;
    default: return;
    }
    applyingPreset_ = true;
    SetShadowDirection(preset.direction);
    SetShadowDepth(TShadowDepth(preset.depth));
    SetShadowSize(TShadowSize(preset.size));
    SetShadowColor(preset.colour);
    applyingPreset_ = false;
}

void TProCustomLabel::SetShadowStyle(TShadowStyle value)
{
    shadowStyle_ = value;
    applyShadowPreset(value);
    update();
}

void TProCustomLabel::SetShowAccelChar(bool value)
{
    if (value == showAccelChar_)
        return;
    showAccelChar_ = value;
    updateShortcut();
    adjustBounds();
    update();
}

void TProCustomLabel::SetTransparent(bool value)
{
    if (value == transparent_)
        return;
    transparent_ = value;
    update();
}

void TProCustomLabel::SetVerticalAlignment(TVerticalAlignment value)
{
    if (value == verticalAlignment_)
        return;
    verticalAlignment_ = value;
    update();
}

void TProCustomLabel::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    adjustBounds();
    update();
}

int TProCustomLabel::textFlags() const
{
    int flags = HorizontalFlags(alignment_) | Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_)
        flags |= Qt::TextWordWrap;
    if (showAccelChar_)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QSize TProCustomLabel::sizeHint() const
{
    // An empty caption still measures one line.
    QString text = caption_;
    if (text.isEmpty() || (showAccelChar_ && text == QStringLiteral("&")))
        text += QLatin1Char(' ');
    const QFontMetrics fm(font());
    if (wordWrap_) {
        const int w = qMax(1, width());
        return {w, fm.boundingRect(QRect(0, 0, w, 1 << 20), textFlags(), text).height()};
    }
    return fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), textFlags(), text).size();
}

void TProCustomLabel::adjustBounds()
{
    updateGeometry();
    if (!autoSize_)
        return;
    const QSize size = sizeHint();
    const QRect g = geometry();
    QRect n(g.topLeft(), size);
    // A right-aligned label keeps its right edge.
    if (alignment_ == taRightJustify)
        n.moveRight(g.right());
    if (n != g)
        setGeometry(n);
}

void TProCustomLabel::updateShortcut()
{
    if (shortcutId_ != 0) {
        releaseShortcut(shortcutId_);
        shortcutId_ = 0;
    }
    if (!showAccelChar_ || !focusControl_)
        return;
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty())
        shortcutId_ = grabShortcut(key);
}

void TProCustomLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect client = rect();
    if (!transparent_)
        p.fillRect(client, Color());
    p.setFont(font());
    const QFontMetrics fm(font());
    const int flags = textFlags();
    const bool rotated = angle_ != 0;

    QRect r = client;
    QPoint origin; // where a rotated caption starts, relative to r
    if (rotated) {
        const int W = fm.horizontalAdvance(caption_);
        const int H = fm.height();
        const int a = qRound(W * cos_), b = qRound(W * sin_), c = qRound(H * cos_), d = qRound(H * sin_);
        int bw, bh;
        if (angle_ < 90) {
            bw = a + d;
            bh = b + c;
        } else if (angle_ < 180) {
            bw = d - a;
            bh = b - c;
        } else if (angle_ < 270) {
            bw = -a - d;
            bh = -b - c;
        } else {
            bw = a - d;
            bh = c - b;
        }
        bw = qMin(bw, client.width());
        bh = qMin(bh, client.height());
        r = QRect(client.left(), client.top(), bw, bh);
        if (alignment_ == taRightJustify)
            r.translate(client.width() - bw, 0);
        else if (alignment_ == taCenter)
            r.translate((client.width() - bw) / 2, 0);
        if (verticalAlignment_ == vaBottom)
            r.translate(0, client.height() - bh);
        else if (verticalAlignment_ == vaCenter)
            r.translate(0, (client.height() - bh) / 2);
        if (angle_ < 90)
            origin = {0, b};
        else if (angle_ < 180)
            origin = {-a, bh};
        else if (angle_ < 270)
            origin = {bw, -c};
        else
            origin = {-d, 0};
    } else if (verticalAlignment_ != vaTop) {
        const int textHeight = fm.boundingRect(client, flags, caption_).height();
        const int free = client.height() - textHeight;
        r.translate(0, verticalAlignment_ == vaBottom ? free : free / 2);
    }
    r.translate(offsetX_, offsetY_);

    const auto draw = [&](const QRect &at, const QColor &colour) {
        p.setPen(colour);
        if (rotated) {
            p.save();
            p.translate(at.topLeft() + origin);
            p.rotate(-angle_); // counter-clockwise
            p.drawText(QPoint(0, fm.ascent()), caption_);
            p.restore();
        } else {
            p.drawText(at, flags, caption_);
        }
    };

    if (shadowStyle_ != ssNone) {
        const QPoint step = DirectionStep(shadowDirection_);
        QRect shadow = r.translated(step * shadowDepth_);
        const QColor colour = isEnabled() ? shadowColor_ : palette().color(QPalette::Disabled, QPalette::Text);
        for (int i = 0; i < shadowSize_; ++i) {
            draw(shadow, colour);
            shadow.translate(step);
        }
    }
    draw(r, FontColor());
}

bool TProCustomLabel::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        const auto *se = static_cast<QShortcutEvent *>(event);
        if (se->shortcutId() == shortcutId_ && focusControl_ && focusControl_->isEnabled()) {
            focusControl_->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    const bool handled = QWidget::event(event);
    return RelayEvent(this, event) || handled;
}

void TProCustomLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        adjustBounds();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void TProCustomLabel::contextMenuEvent(QContextMenuEvent *event)
{
    if (!popupMenu_)
        return QWidget::contextMenuEvent(event); // the parent's menu, if any
    popupMenu_->popup(event->globalPos());
    event->accept();
}

// ---- TProClockLabel ----

TProClockLabel::TProClockLabel(QWidget *parent) : TProCustomLabel(parent), format_(QStringLiteral("c"))
{
    refresh();
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &TProClockLabel::tick);
    timer_.start();
}

void TProClockLabel::refresh() { SetCaption(FormatDateTime(format_, QDateTime::currentDateTime())); }

void TProClockLabel::tick()
{
    refresh();
    if (OnTimer)
        OnTimer(this);
}

void TProClockLabel::SetFormat(const QString &value)
{
    if (value == format_)
        return;
    format_ = value;
    refresh();
}

void TProClockLabel::SetInterval(int value)
{
    timer_.setInterval(qMax(0, value));
    // An interval of 0 stops the timer instead of firing whenever the loop is idle.
    if (value > 0 && !testAttribute(Qt::WA_ForceDisabled))
        timer_.start();
    else
        timer_.stop();
}

void TProClockLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        SetInterval(timer_.interval());
    TProCustomLabel::changeEvent(event);
}

} // namespace misc
