#include "spinedit.h"

#include "controls/zel/editutils.h"
#include "platform/shell/shell.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QValidator>
#include <climits>
#include <cmath>

namespace zel {

// --- TZELCustomSpinButton

TZELCustomSpinButton::TZELCustomSpinButton(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SpinButton"));
    color_ = palette().color(QPalette::Button);
    resize(20, 20);
}

void TZELCustomSpinButton::SetArrowColor(const QColor &c)
{
    arrowColor_ = c;
    strip_ = QImage();
    update();
}

void TZELCustomSpinButton::SetColor(const QColor &c)
{
    color_ = c;
    strip_ = QImage();
    update();
}

QImage TZELCustomSpinButton::StateImage(int state)
{
    const int w = width(), h = height();
    QImage img(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    QPainter g(&img);
    const QPalette pal = palette();
    const QColor light = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor frame = pal.color(QPalette::Shadow);
    g.fillRect(img.rect(), color_);

    // Edges: the up half raised or sunken on its left and top, the down half on its right and bottom.
    g.setPen(state == 1 ? shadow : light);
    g.drawLine(0, 0, 0, h - 1);
    g.drawLine(0, 0, w - 1, 0);
    g.setPen(state == 2 ? light : frame);
    g.drawLine(w - 1, 0, w - 1, h - 1);
    g.drawLine(0, h - 1, w - 1, h - 1);
    g.setPen(state == 2 ? light : shadow);
    g.drawLine(w - 2, 1, w - 2, h - 2);
    g.drawLine(1, h - 2, w - 2, h - 2);

    // The diagonal, three lines from bottom-left to top-right.
    g.setPen(state == 1 ? light : shadow);
    g.drawLine(0, h - 2, w - 2, 0);
    g.setPen(frame);
    g.drawLine(0, h - 1, w - 1, 0);
    g.setPen(state == 2 ? shadow : light);
    g.drawLine(0, h, w, 0);

    auto arrows = [&](QColor c, int shift) {
        g.setPen(c);
        const int du = state == 1 ? 2 : 1;
        const int ux = int(std::lround(w * 0.25 - 2)) + du + shift, uy = int(std::lround(h * 0.25 - 2)) + du + shift;
        for (int i = 0; i <= 2; ++i)
            g.drawLine(ux + 1 - i, uy + i, ux + 1 + i, uy + i);
        const int dd = state == 2 ? 0 : 1;
        const int dx = int(std::lround(3 * w * 0.25 - 2)) - dd + shift, dy = int(std::lround(3 * h * 0.25 - 2)) - dd + shift;
        for (int i = 0; i <= 1; ++i)
            g.drawLine(dx + i, dy + i, dx + i + (3 - i) * 2 - 2, dy + i);
        g.drawPoint(dx + 2, dy + 2);
    };
    if (state == 3) {
        arrows(pal.color(QPalette::HighlightedText), 1);
        arrows(pal.color(QPalette::Disabled, QPalette::Text), 0);
    } else {
        arrows(arrowColor_, 0);
    }
    return img;
}

void TZELCustomSpinButton::rebuildStrip()
{
    const int w = std::max(width(), 1), h = std::max(height(), 1);
    strip_ = QImage(4 * w, h, QImage::Format_RGB32);
    QPainter g(&strip_);
    for (int s = 0; s < 4; ++s)
        g.drawImage(s * w, 0, StateImage(s));
}

void TZELCustomSpinButton::paintEvent(QPaintEvent *)
{
    if (strip_.height() != height() || strip_.width() / 4 != width())
        rebuildStrip();
    QPainter g(this);
    g.drawImage(QPoint(0, 0), strip_, QRect(state_ * width(), 0, width(), height()));
}

void TZELCustomSpinButton::setState(int s)
{
    if (s != state_) {
        state_ = s;
        update();
    }
}

int TZELCustomSpinButton::trackedState(const QPoint &p) const
{
    if (!rect().contains(p))
        return 0;
    const double w = width(), h = height();
    const int part = p.y() <= h - (w / h) * p.x() ? 1 : 2;
    return part == pressed_ ? pressed_ : 0;
}

void TZELCustomSpinButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !isEnabled() || state_ != 0)
        return;
    const double w = width(), h = height();
    const int part = e->position().x() <= h - (w / h) * e->position().y() ? 1 : 2;
    pressed_ = part;
    setState(part);
    tracking_ = true;
}

void TZELCustomSpinButton::mouseMoveEvent(QMouseEvent *e)
{
    if (tracking_)
        setState(trackedState(e->position().toPoint()));
}

void TZELCustomSpinButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (!tracking_ || e->button() != Qt::LeftButton)
        return;
    tracking_ = false;
    // Judged where the button goes up, so that a release off the part never clicks it.
    const QPoint p = e->position().toPoint();
    const int released = trackedState(p);
    if (rect().contains(p)) {
        pressed_ = 0;
        setState(0);
    } else {
        setState(0);
    }
    if (released == 1 && OnTopClick)
        OnTopClick(this);
    else if (released == 2 && OnBottomClick)
        OnBottomClick(this);
}

void TZELCustomSpinButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange) {
        tracking_ = false;
        setState(isEnabled() ? 0 : 3);
    }
    QWidget::changeEvent(e);
}

// --- TZELCustomSpinEdit

namespace {

// Whatever reaches the text (a paste, a drop, the middle button) leaves a whole number or nothing:
// text holding digits is reduced to them (and a sign in front), text holding none is refused.
class NumberOnly : public QValidator {
public:
    explicit NumberOnly(TZELCustomSpinEdit *edit) : QValidator(edit), edit_(edit) {}
    State validate(QString &input, int &pos) const override
    {
        const State state = reduce(input, pos);
        return state == Acceptable ? withinLimits(input) : state;
    }
    void fixup(QString &input) const override
    {
        if (!limited())
            return;
        bool ok = false;
        const qint64 v = input.toLongLong(&ok);
        input = QString::number(ok ? std::clamp<qint64>(v, edit_->MinValue(), edit_->MaxValue()) : edit_->MinValue());
    }

private:
    bool limited() const { return edit_->LimitTyping && edit_->MinValue() != edit_->MaxValue(); }
    State withinLimits(const QString &number) const
    {
        if (!limited())
            return Acceptable;
        bool ok = false;
        const qint64 v = number.toLongLong(&ok);
        if (!ok || v > edit_->MaxValue())
            return Invalid;
        if (v >= edit_->MinValue())
            return Acceptable;
        // Under the least: more digits raise a number that has no sign, and only lower one that has.
        return number.at(0).isDigit() && v >= 0 ? Intermediate : Invalid;
    }
    State reduce(QString &input, int &pos) const
    {
        const QString trimmed = input.trimmed();
        QString number;
        if (trimmed.startsWith(QLatin1Char('-')) || trimmed.startsWith(QLatin1Char('+')))
            number += trimmed.at(0);
        for (const QChar c : trimmed)
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                number += c;
        if (number.isEmpty() || number == QLatin1String("-") || number == QLatin1String("+")) {
            if (number == QLatin1String("-") && limited() && edit_->MinValue() >= 0)
                return Invalid;
            return input == number ? Intermediate : Invalid;
        }
        if (number != input) {
            // The caret keeps its place among the characters that stay.
            int kept = 0;
            for (int i = 0; i < pos && i < input.size(); ++i)
                kept += input.at(i).isDigit() && input.at(i).unicode() < 128;
            input = number;
            pos = std::min(int(input.size()), kept + (number.at(0).isDigit() ? 0 : 1));
        }
        return Acceptable;
    }
    TZELCustomSpinEdit *edit_;
};

} // namespace

TZELCustomSpinEdit::TZELCustomSpinEdit(QWidget *parent) : QLineEdit(parent)
{
    holder_ = new QWidget(this);
    holder_->setObjectName(QStringLiteral("ButtonHolder"));
    holder_->setCursor(Qt::ArrowCursor);
    button_ = new TZELCustomSpinButton(holder_);
    button_->OnTopClick = [this](QObject *) { UpClick(); };
    button_->OnBottomClick = [this](QObject *) { DownClick(); };
    setText(QStringLiteral("0"));
    setValidator(new NumberOnly(this));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange)
            OnChange(this);
    });
    layoutButton();
}

TZELCustomSpinEdit::~TZELCustomSpinEdit()
{
    button_->OnTopClick = nullptr;
    button_->OnBottomClick = nullptr;
}

int TZELCustomSpinEdit::CheckValue(int v) const
{
    if (minValue_ == maxValue_)
        return v;
    return std::clamp(v, minValue_, maxValue_);
}

int TZELCustomSpinEdit::Value()
{
    if (text().isEmpty())
        setText(QString::number(minValue_));
    bool ok = false;
    const int v = text().toInt(&ok);
    return ok ? v : minValue_;
}

void TZELCustomSpinEdit::SetValue(int v)
{
    setText(QString::number(CheckValue(v)));
}

void TZELCustomSpinEdit::SetMaxValue(int m)
{
    if (m == maxValue_ || m <= minValue_)
        return;
    maxValue_ = m;
    if (Value() > m)
        SetValue(m);
}

void TZELCustomSpinEdit::SetMinValue(int m)
{
    if (m == minValue_ || m >= maxValue_)
        return;
    minValue_ = m;
    if (Value() < m)
        SetValue(m);
}

void TZELCustomSpinEdit::stepBy(int delta)
{
    // Without limits the value stops at the ends of the integer range rather than wrapping round.
    const qint64 next = qint64(Value()) + delta;
    SetValue(int(std::clamp<qint64>(next, INT_MIN, INT_MAX)));
}

void TZELCustomSpinEdit::UpClick()
{
    if (isReadOnly())
        platform::MessageBeep(0);
    else
        stepBy(LineSize);
}

void TZELCustomSpinEdit::DownClick()
{
    if (isReadOnly())
        platform::MessageBeep(0);
    else
        stepBy(-LineSize);
}

bool TZELCustomSpinEdit::IsValidChar(QChar key)
{
    const ushort c = key.unicode();
    bool valid = key == QLatin1Char('+') || key == QLatin1Char('-') || (key >= QLatin1Char('0') && key <= QLatin1Char('9'))
                 || c < 32;
    if (valid && !CutandPaste && (c >= 32 || c == 8 || c == 46))
        valid = false;
    return valid;
}

void TZELCustomSpinEdit::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_PageUp:
        if (!isReadOnly())
            stepBy(MultipleLineSize);
        break;
    case Qt::Key_PageDown:
        if (!isReadOnly())
            stepBy(-MultipleLineSize);
        break;
    case Qt::Key_Up: UpClick(); break;
    case Qt::Key_Down: DownClick(); break;
    default: break;
    }
    if (e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Paste)) {
        if (!editingAllowed()) {
            e->accept();
            return;
        }
        QLineEdit::keyPressEvent(e);
        return;
    }
    // The Delete key makes no character, but it changes the text as Backspace does.
    if (e->key() == Qt::Key_Delete && !CutandPaste) {
        platform::MessageBeep(0);
        e->accept();
        return;
    }
    const QString t = e->text();
    if (!t.isEmpty() && e->key() != Qt::Key_Delete && !IsValidChar(t.at(0))) {
        e->accept();
        platform::MessageBeep(0);
        return;
    }
    // Enter and Escape are left unhandled so that they reach the dialog's default and cancel buttons.
    QLineEdit::keyPressEvent(e);
}

void TZELCustomSpinEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    AutoSelectOnFocus(this, AutoSelect);
}

void TZELCustomSpinEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    const int v = Value();
    if (CheckValue(v) != v)
        SetValue(v);
}

void TZELCustomSpinEdit::layoutButton()
{
    const int w = width(), h = height();
    const int side = std::max(0, h - 4);
    holder_->setGeometry(w - h, 0, side, side);
    button_->setGeometry(0, 0, holder_->width(), holder_->width());
    setTextMargins(0, 0, button_->width() + 2, 0);
}

void TZELCustomSpinEdit::resizeEvent(QResizeEvent *e)
{
    QLineEdit::resizeEvent(e);
    const int minimum = MinimumEditHeight(this);
    if (height() < minimum) {
        resize(width(), minimum);
        return;
    }
    layoutButton();
}

void TZELCustomSpinEdit::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange)
        button_->setEnabled(isEnabled());
    else if (e->type() == QEvent::ReadOnlyChange)
        setAcceptDrops(editingAllowed());
    QLineEdit::changeEvent(e);
}

void TZELCustomSpinEdit::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu *menu = createStandardContextMenu();
    if (!editingAllowed()) {
        for (QAction *a : menu->actions()) {
            const QString name = a->objectName();
            if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-paste")
                || name == QLatin1String("edit-delete"))
                a->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TZELCustomSpinEdit::mousePressEvent(QMouseEvent *e)
{
    // The middle button pastes the selection on this system.
    if (e->button() == Qt::MiddleButton && !editingAllowed())
        return;
    QLineEdit::mousePressEvent(e);
}

void TZELCustomSpinEdit::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::MiddleButton && !editingAllowed())
        return;
    QLineEdit::mouseReleaseEvent(e);
}

void TZELCustomSpinEdit::dropEvent(QDropEvent *e)
{
    if (!editingAllowed()) {
        e->ignore();
        return;
    }
    QLineEdit::dropEvent(e);
}

} // namespace zel
