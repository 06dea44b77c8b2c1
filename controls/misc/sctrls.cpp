#include "sctrls.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace misc {

namespace {
constexpr int kCaptionGap = 4;
}

TsBWCCControl::TsBWCCControl(QWidget *parent)
    : TsTransControl(parent), font3d_(new TFont3d(this)), secondFont3d_(new TFont3d(this))
{
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
    font3d_->OnChange = [this](QObject *) { update(); };
    secondFont3d_->OnChange = [this](QObject *) { update(); };
}

void TsBWCCControl::SetCaption(const QString &value)
{
    if (value == caption_)
        return;
    caption_ = value;
    updateShortcut();
    update();
}

void TsBWCCControl::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    update();
}

void TsBWCCControl::SetGlyph(const QPixmap &value)
{
    glyph_ = value;
    update();
}

void TsBWCCControl::SetTextStyle(int value)
{
    if (value == textStyle_)
        return;
    textStyle_ = value;
    update();
}

QRect TsBWCCControl::GlyphRect() const
{
    const int top = (height() - GlyphBoxSize) / 2;
    switch (alignment_) {
    case taRightJustify: return {width() - GlyphBoxSize, top, GlyphBoxSize, GlyphBoxSize};
    case taCenter: return {(width() - GlyphBoxSize) / 2, top, GlyphBoxSize, GlyphBoxSize};
    default: return {0, top, GlyphBoxSize, GlyphBoxSize};
    }
}

QRect TsBWCCControl::CaptionRect() const
{
    switch (alignment_) {
    case taRightJustify: return rect().adjusted(0, 0, -(GlyphBoxSize + kCaptionGap), 0);
    case taCenter: return rect();
    default: return rect().adjusted(GlyphBoxSize + kCaptionGap, 0, 0, 0);
    }
}

void TsBWCCControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TsBWCCControl::PaintGlyph(QPainter &painter, const QRect &box)
{
    if (glyph_.isNull())
        return;
    const QSize size = glyph_.size().boundedTo(box.size());
    const QRect target(box.center() - QPoint(size.width() / 2, size.height() / 2), size);
    painter.drawPixmap(target, glyph_);
}

void TsBWCCControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TsBWCCControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TsBWCCControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    PaintBackground(p, rect());
    PaintGlyph(p, GlyphRect());
    p.setFont(font());
    QRect r = CaptionRect();
    if (down_)
        r.translate(1, 1);
    const int flags = HorizontalFlags(alignment_) | Qt::AlignVCenter | Qt::TextShowMnemonic;
    if (isEnabled()) {
        p.setPen(palette().color(QPalette::ButtonText));
        Draw3DText(p, caption_, -1, textStyle_, font3d_, secondFont3d_, flags, r);
    } else {
        // A disabled caption: grey text over a highlight shadow, so it still reads on any background.
        TFont3d engraved;
        p.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
        Draw3DText(p, caption_, -1, 0, &engraved, nullptr, flags, r);
    }
}

void TsBWCCControl::setDown(bool value)
{
    if (value == down_)
        return;
    down_ = value;
    update();
}

void TsBWCCControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return TsTransControl::mousePressEvent(event);
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    mouseDown_ = true;
    setDown(true);
}

void TsBWCCControl::mouseMoveEvent(QMouseEvent *event)
{
    if (mouseDown_)
        setDown(rect().contains(event->position().toPoint()));
    TsTransControl::mouseMoveEvent(event);
}

void TsBWCCControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !mouseDown_)
        return TsTransControl::mouseReleaseEvent(event);
    mouseDown_ = false;
    setDown(keyDown_);
    if (rect().contains(event->position().toPoint()))
        Click();
}

void TsBWCCControl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier)
        return TsTransControl::keyPressEvent(event);
    if (!event->isAutoRepeat()) {
        keyDown_ = true;
        setDown(true);
    }
}

void TsBWCCControl::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat() || !keyDown_)
        return TsTransControl::keyReleaseEvent(event);
    keyDown_ = false;
    setDown(mouseDown_);
    Click();
}

void TsBWCCControl::focusInEvent(QFocusEvent *event)
{
    TsTransControl::focusInEvent(event);
    update();
}

void TsBWCCControl::focusOutEvent(QFocusEvent *event)
{
    TsTransControl::focusOutEvent(event);
    keyDown_ = false;
    setDown(mouseDown_);
    update();
}

void TsBWCCControl::hotRepaint()
{
    if (isEnabled() && !glyph_.isNull() && hotTrack_ && !down_)
        update();
}

void TsBWCCControl::enterEvent(QEnterEvent *event)
{
    TsTransControl::enterEvent(event);
    mouseInside_ = true;
    MouseEnter();
    hotRepaint();
}

void TsBWCCControl::leaveEvent(QEvent *event)
{
    TsTransControl::leaveEvent(event);
    mouseInside_ = false;
    MouseLeave();
    hotRepaint();
}

void TsBWCCControl::changeEvent(QEvent *event)
{
    TsTransControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
}

void TsBWCCControl::updateShortcut()
{
    if (shortcutId_ != 0) {
        releaseShortcut(shortcutId_);
        shortcutId_ = 0;
    }
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty())
        shortcutId_ = grabShortcut(key);
}

bool TsBWCCControl::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent *>(event)->shortcutId() == shortcutId_) {
        if (isEnabled())
            Click();
        return true;
    }
    return TsTransControl::event(event);
}

} // namespace misc
