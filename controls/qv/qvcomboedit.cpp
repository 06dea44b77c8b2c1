#include "qvcomboedit.h"

#include "controls/qv/qvutils.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>

namespace qv {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

// The drop-down arrow: a black triangle pointing down, 7 x 4, on white.
QImage comboArrow()
{
    QImage img(7, 4, QImage::Format_RGB32);
    img.fill(kWhite);
    for (int row = 0; row < 4; ++row)
        for (int x = row; x < 7 - row; ++x)
            img.setPixel(x, row, kBlack);
    return img;
}

} // namespace

QImage EllipsisGlyph(int buttonWidth)
{
    const int b = std::max(1, buttonWidth - 6);
    QImage img(b, 4, QImage::Format_RGB32);
    img.fill(kWhite);
    const int gap = std::clamp((b - 6) / 2, 1, 3);
    const int x0 = ((b - 6) - 2 * gap) / 2;
    for (const int left : {x0, x0 + gap + 2, x0 + 2 * gap + 4})
        for (int x = left; x < left + 2; ++x)
            for (int y = 1; y < 3; ++y)
                if (x >= 0 && x < b)
                    img.setPixel(x, y, kBlack);
    return img;
}

// --- TEditButton

TEditButton::TEditButton(TCustomComboEdit *edit, QWidget *parent) : QToolButton(parent), edit_(edit)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    connect(this, &QToolButton::clicked, this, [this] {
        if (swallowClick_) {
            swallowClick_ = false;
            return;
        }
        edit_->DoClick();
    });
}

void TEditButton::SetGlyph(const QImage &glyph)
{
    glyph_ = glyph;
    update();
}

void TEditButton::SetNumGlyphs(int n)
{
    numGlyphs_ = std::clamp(n, 1, 4);
    update();
}

void TEditButton::mousePressEvent(QMouseEvent *e)
{
    swallowClick_ = false;
    if (e->button() == Qt::LeftButton) {
        if (edit_->PopupVisible()) {
            // This press only closes the pop-up; the click it ends in does nothing more.
            edit_->PopupCloseUp(false);
            swallowClick_ = true;
        } else if (edit_->isEnabled() && edit_->focusPolicy() != Qt::NoFocus) {
            edit_->setFocus(Qt::MouseFocusReason);
        }
    }
    QToolButton::mousePressEvent(e);
}

void TEditButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette pal = palette();
    const int w = width(), h = height();
    const bool down = isDown();
    p.fillRect(rect(), pal.color(QPalette::Button));
    // Raised, or sunken while down.
    p.setPen(pal.color(down ? QPalette::Dark : QPalette::Light));
    p.drawLine(0, 0, w - 1, 0);
    p.drawLine(0, 0, 0, h - 1);
    p.setPen(pal.color(down ? QPalette::Light : QPalette::Shadow));
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.drawLine(w - 1, 0, w - 1, h - 1);
    if (!down) {
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(1, h - 2, w - 2, h - 2);
        p.drawLine(w - 2, 1, w - 2, h - 2);
        // The separator from the text.
        p.setPen(pal.color(QPalette::Button));
        p.drawLine(0, 0, 0, h - 1);
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(1, 1, 1, h - 2);
    }
    if (glyph_.isNull() || glyph_.height() <= 0)
        return;
    const int gw = glyph_.width() / numGlyphs_;
    if (gw <= 0)
        return;
    const int index = !isEnabled() && numGlyphs_ > 1 ? 1 : 0;
    const int shift = down ? 1 : 0;
    const QRect target((w - gw) / 2 + shift, (h - glyph_.height()) / 2 + shift, gw, glyph_.height());
    const QRect source(index * gw, 0, gw, glyph_.height());
    if (!isEnabled() && numGlyphs_ == 1) {
        const QImage part = glyph_.copy(source);
        const QColor bg = QColor::fromRgb(part.pixel(0, part.height() - 1));
        DrawTransparentBitmap(p, target, MakeEmbossedBitmap(part, bg), pal.color(QPalette::Button));
    } else {
        DrawTransparentBitmap(p, target, glyph_, source, QColor::fromRgb(glyph_.pixel(source.left(), glyph_.height() - 1)));
    }
}

// --- TCustomComboEdit

TCustomComboEdit::TCustomComboEdit(QWidget *parent) : QLineEdit(parent)
{
    holder_ = new QWidget(this);
    holder_->setObjectName(QStringLiteral("ButtonHolder"));
    button_ = new TEditButton(this, holder_);
    button_->setObjectName(QStringLiteral("Button"));
    button_->resize(21, 17);
    holder_->resize(21, 17);
    connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
    setMinimumHeight(MinimumHeight());
    resize(121, std::max(21, MinimumHeight()));
    layoutButton();
}

TCustomComboEdit::~TCustomComboEdit()
{
    if (popup_)
        popup_->removeEventFilter(this);
}

void TCustomComboEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboEdit::ButtonClick()
{
    if (OnButtonClick)
        OnButtonClick(this);
}

int TCustomComboEdit::scrollBarWidth() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

int TCustomComboEdit::MinimumHeight() const
{
    const int system = QFontMetrics(QApplication::font()).height();
    return 4 + std::min(system, fontMetrics().height()) + 1;
}

void TCustomComboEdit::applyReadOnly()
{
    setReadOnly(!(directInput_ && !GetReadOnly()) || popupVisible_);
}

void TCustomComboEdit::SetReadOnly(bool on)
{
    readOnly_ = on;
    applyReadOnly();
}

void TCustomComboEdit::SetDirectInput(bool on)
{
    directInput_ = on;
    applyReadOnly();
}

void TCustomComboEdit::SetAlignment(TAlignment a)
{
    alignment_ = a;
    setAlignment(HorizontalAlignment(a) | Qt::AlignVCenter);
}

void TCustomComboEdit::SetButtonWidth(int width)
{
    if (width == ButtonWidth() || width < 0)
        return;
    holder_->setVisible(width > 1);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    if (width >= this->width() - 2 * frame)
        return;
    button_->resize(width, button_->height());
    layoutButton();
    rebuildGlyph();
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind kind)
{
    if (kind == glyphKind_)
        return;
    glyphKind_ = kind;
    rebuildGlyph();
    if (kind == gkDefault && !button_->Glyph().isNull())
        SetButtonWidth(std::max(button_->Glyph().width() / NumGlyphs() + 6, ButtonWidth()));
    else if (kind == gkDropDown)
        SetButtonWidth(scrollBarWidth());
}

void TCustomComboEdit::SetGlyph(const QImage &glyph)
{
    button_->SetGlyph(glyph);
    glyphKind_ = gkCustom;
}

void TCustomComboEdit::SetNumGlyphs(int n)
{
    button_->SetNumGlyphs(glyphKind_ == gkDropDown || glyphKind_ == gkEllipsis || glyphKind_ == gkDefault ? 1 : n);
}

void TCustomComboEdit::rebuildGlyph()
{
    switch (glyphKind_) {
    case gkDefault:
        button_->SetGlyph(GetDefaultBitmap());
        button_->SetNumGlyphs(1);
        break;
    case gkDropDown:
        button_->SetGlyph(comboArrow());
        button_->SetNumGlyphs(1);
        break;
    case gkEllipsis:
        button_->SetGlyph(EllipsisGlyph(ButtonWidth()));
        button_->SetNumGlyphs(1);
        break;
    case gkCustom: break;
    }
}

void TCustomComboEdit::layoutButton()
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int bw = button_->width();
    holder_->setGeometry(width() - frame - bw, frame, bw, std::max(0, height() - 2 * frame));
    button_->setGeometry(0, 0, bw, holder_->height());
    setTextMargins(0, 0, bw + 2, 0);
}

void TCustomComboEdit::resizeEvent(QResizeEvent *e)
{
    QLineEdit::resizeEvent(e);
    layoutButton();
}

void TCustomComboEdit::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        setMinimumHeight(MinimumHeight());
        layoutButton();
    }
    QLineEdit::changeEvent(e);
}

void TCustomComboEdit::DoClick()
{
    if (GetReadOnly() && !AlwaysEnableButton)
        return;
    const QPointer<TCustomComboEdit> self(this);
    ButtonClick();
    if (!self || !popup_)
        return;
    if (popupVisible_)
        PopupCloseUp(true);
    else
        PopupDropDown(true);
}

void TCustomComboEdit::keyPressEvent(QKeyEvent *e)
{
    const QKeyCombination pressed(e->modifiers() & ~Qt::KeypadModifier, Qt::Key(e->key()));
    if (pressed == clickKey_ && ButtonWidth() > 0) {
        e->accept();
        DoClick();
        return;
    }
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (popupVisible_ && (enter || e->key() == Qt::Key_Escape)) {
        e->accept();
        PopupCloseUp(enter);
        return;
    }
    // Enter and Escape go on to the dialog's default and cancel buttons.
    QLineEdit::keyPressEvent(e);
}

void TCustomComboEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    if (AutoSelect && directInput_ && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
    else if (!AutoSelect)
        deselect();
}

void TCustomComboEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason)
        PopupCloseUp(false);
}

void TCustomComboEdit::mousePressEvent(QMouseEvent *e)
{
    if (popupVisible_)
        PopupCloseUp(false);
    QLineEdit::mousePressEvent(e);
}

void TCustomComboEdit::SetPopup(QWidget *popup)
{
    if (popup_)
        popup_->removeEventFilter(this);
    popup_ = popup;
    if (!popup)
        return;
    popup->setParent(this, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint);
    popup->setAttribute(Qt::WA_ShowWithoutActivating);
    popup->setFocusPolicy(Qt::NoFocus);
    popup->hide();
    popup->installEventFilter(this);
}

void TCustomComboEdit::PopupDropDown(bool disableEdit)
{
    if (!popup_ || popupVisible_ || GetReadOnly())
        return;
    SetPopupValue(text());
    const QSize size = popup_->size();
    const QPoint below = mapToGlobal(QPoint(0, height()));
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(below, size);
    QPoint at = below;
    if (alignment_ == taRightJustify)
        at.setX(mapToGlobal(QPoint(width(), 0)).x() - size.width());
    if (at.y() + size.height() > area.bottom() + 1)
        at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - size.width())));
    popupVisible_ = true;
    ShowPopup(at);
    if (disableEdit)
        applyReadOnly();
}

void TCustomComboEdit::ShowPopup(const QPoint &origin)
{
    popup_->move(origin);
    popup_->show();
}

void TCustomComboEdit::HidePopup()
{
    popup_->hide();
}

void TCustomComboEdit::PopupCloseUp(bool accept)
{
    if (!popupVisible_ || !popup_)
        return;
    const QString value = GetPopupValue();
    popupVisible_ = false;
    HidePopup();
    if (isEnabled() && isVisible())
        setFocus(Qt::OtherFocusReason);
    applyReadOnly();
    if (accept && AcceptPopup(value)) {
        const bool same = text() == value;
        setText(value);
        setModified(true);
        if (same)
            Change();
    }
    PopupClosed(accept);
}

bool TCustomComboEdit::eventFilter(QObject *watched, QEvent *event)
{
    // A pop-up hidden by other hands is closed without taking its value.
    if (watched == popup_ && event->type() == QEvent::Hide && popupVisible_)
        PopupCloseUp(false);
    return QLineEdit::eventFilter(watched, event);
}

} // namespace qv
