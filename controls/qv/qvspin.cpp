#include "qvspin.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvround.h"
#include "controls/qv/qvutils.h"
#include "platform/shell/shell.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <cmath>
#include <cstdio>

namespace qv {
namespace {

constexpr QRgb kKey = 0xFFFF00FF;

// A whole number is one the text reads back as: an int, so a value beyond that range ends at its ends.
double wholeNumber(double v) { return double(ClampToInt(RoundHalfEven(v))); }

// The built-in arrows, 5 x 4 with a blank bottom row so that the corner pixel is the transparent one.
QImage arrowGlyph(bool up)
{
    QImage img(5, 4, QImage::Format_RGB32);
    img.fill(kKey);
    for (int row = 0; row < 3; ++row) {
        const int half = up ? row : 2 - row;
        for (int x = 2 - half; x <= 2 + half; ++x)
            img.setPixel(x, row, qRgb(0, 0, 0));
    }
    return img;
}

// An image without rows or columns is no glyph: there is nothing to draw and no corner to take the
// transparent colour from.
bool hasGlyph(const QImage &glyph)
{
    return !glyph.isNull() && glyph.width() > 0 && glyph.height() > 0;
}

} // namespace

// --- TQvSpinButton

TQvSpinButton::TQvSpinButton(QWidget *parent)
    : QWidget(parent), upGlyph_(arrowGlyph(true)), downGlyph_(arrowGlyph(false))
{
    resize(20, 20);
}

TQvSpinButton::~TQvSpinButton() = default;

int TQvSpinButton::PartAt(const QPoint &p) const
{
    const qint64 w = width(), h = height();
    return qint64(p.x()) * h + qint64(p.y()) * w <= w * h ? 1 : 2;
}

void TQvSpinButton::SetUpGlyph(const QImage &glyph)
{
    upGlyph_ = glyph.isNull() ? arrowGlyph(true) : glyph;
    for (QImage &i : images_)
        i = QImage();
    update();
}

void TQvSpinButton::SetDownGlyph(const QImage &glyph)
{
    downGlyph_ = glyph.isNull() ? arrowGlyph(false) : glyph;
    for (QImage &i : images_)
        i = QImage();
    update();
}

QImage TQvSpinButton::StateImage(int state)
{
    state = std::clamp(state, 0, 2);
    const int w = std::max(1, width()), h = std::max(1, height());
    QImage &img = images_[state];
    if (img.size() == QSize(w, h))
        return img;
    img = QImage(w, h, QImage::Format_RGB32);
    QPainter g(&img);
    const QPalette pal = palette();
    const QColor light = pal.color(QPalette::Light), shadow = pal.color(QPalette::Dark);
    const QColor frame = pal.color(QPalette::Shadow);
    g.fillRect(img.rect(), pal.color(QPalette::Button));
    g.setPen(frame);
    g.drawRect(0, 0, w - 1, h - 1);
    // The upper part is lit on its top and left, the lower part shaded on its bottom and right; a pressed
    // part swaps its two.
    g.setPen(state == 1 ? shadow : light);
    g.drawLine(1, 1, w - 2, 1);
    g.drawLine(1, 1, 1, h - 2);
    g.drawLine(2, h - 1, w - 1, 2);
    g.setPen(state == 2 ? light : shadow);
    g.drawLine(1, h - 2, w - 2, h - 2);
    g.drawLine(w - 2, 1, w - 2, h - 2);
    g.setPen(state == 1 ? light : shadow);
    g.drawLine(0, h - 2, w - 2, 0);
    g.setPen(frame);
    g.drawLine(0, h - 1, w - 1, 0);
    auto glyph = [&](const QImage &gl, double cx, double cy, bool pressed) {
        if (!hasGlyph(gl))
            return;
        const int shift = pressed ? 1 : 0;
        const QRect r(int(std::lround(cx - gl.width() / 2.0)) + shift, int(std::lround(cy - gl.height() / 2.0)) + shift,
                      gl.width(), gl.height());
        DrawTransparentBitmap(g, r, gl);
    };
    glyph(upGlyph_, w * 0.3, h * 0.3, state == 1);
    glyph(downGlyph_, w * 0.7, h * 0.7, state == 2);
    return img;
}

void TQvSpinButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, StateImage(state_));
}

void TQvSpinButton::resizeEvent(QResizeEvent *)
{
    for (QImage &i : images_)
        i = QImage();
}

void TQvSpinButton::setState(int state)
{
    if (state == state_)
        return;
    state_ = state;
    update();
}

void TQvSpinButton::click(int part)
{
    const platform::TNotifyEvent &handler = part == 1 ? OnTopClick : OnBottomClick;
    if (handler)
        handler(this);
}

void TQvSpinButton::stop()
{
    tracking_ = false;
    pressed_ = 0;
    if (repeat_)
        repeat_->Stop();
    setState(0);
}

void TQvSpinButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !isEnabled())
        return QWidget::mousePressEvent(e);
    if (focusControl_ && focusControl_->isEnabled() && focusControl_->focusPolicy() != Qt::NoFocus
        && !focusControl_->hasFocus())
        focusControl_->setFocus(Qt::MouseFocusReason);
    if (state_ != 0)
        return;
    const int part = PartAt(e->position().toPoint());
    pressed_ = part;
    tracking_ = true;
    setState(part);
    const QPointer<TQvSpinButton> self(this);
    click(part);
    if (!self)
        return;
    // The click may have run a dialog, and the button came up meanwhile where we could not see it.
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        stop();
        return;
    }
    if (!repeat_) {
        repeat_ = new RepeatTimer(this);
        repeat_->OnTimer = [this] { timerTick(); };
    }
    repeat_->Start(400);
}

void TQvSpinButton::timerTick()
{
    if (repeat_->Interval() != 100)
        repeat_->SetInterval(100);
    if (tracking_ && state_ != 0)
        click(pressed_);
}

void TQvSpinButton::mouseMoveEvent(QMouseEvent *e)
{
    if (!tracking_)
        return;
    const QPoint p = e->position().toPoint();
    setState(rect().contains(p) && PartAt(p) == pressed_ ? pressed_ : 0);
}

void TQvSpinButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (tracking_ && e->button() == Qt::LeftButton)
        stop();
}

void TQvSpinButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange && !isEnabled())
        stop();
    else if (e->type() == QEvent::PaletteChange)
        for (QImage &i : images_)
            i = QImage();
    QWidget::changeEvent(e);
}

// --- TQvUpDown

TQvUpDown::TQvUpDown(QWidget *parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setObjectName(QStringLiteral("UpButton"));
    down_->setObjectName(QStringLiteral("DownButton"));
    for (QToolButton *b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { click(btNext); });
    connect(down_, &QToolButton::clicked, this, [this] { click(btPrev); });
    setFixedWidth(NaturalWidth());
    resize(NaturalWidth(), 20);
}

int TQvUpDown::NaturalWidth() const
{
    return std::min(style()->pixelMetric(QStyle::PM_ScrollBarExtent), 15);
}

void TQvUpDown::SetRange(int min, int max)
{
    min_ = min;
    max_ = max;
    SetPosition(position_);
}

void TQvUpDown::SetPosition(int position)
{
    position_ = std::max(min_, std::min(position, max_));
}

void TQvUpDown::SetArrowKeys(bool on)
{
    arrowKeys_ = on;
}

void TQvUpDown::SetAssociate(QWidget *control)
{
    if (associate_)
        associate_->removeEventFilter(this);
    associate_ = control;
    if (control)
        control->installEventFilter(this);
}

void TQvUpDown::click(TUDBtnType button)
{
    SetPosition(position_ + (button == btNext ? 1 : -1));
    if (OnClick)
        OnClick(this, button);
}

bool TQvUpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == associate_ && arrowKeys_ && isEnabled() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            click(key == Qt::Key_Up ? btNext : btPrev);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TQvUpDown::resizeEvent(QResizeEvent *)
{
    const int h = height();
    up_->setGeometry(0, 0, width(), h / 2);
    down_->setGeometry(0, h / 2, width(), h - h / 2);
}

// --- Fixed-point text

QString FloatToStrFixed(double value, int precision, int digits, QChar decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
    const QString text = QString::fromLatin1(buf);
    const bool negative = text.startsWith(QLatin1Char('-'));
    const int ePos = text.indexOf(QLatin1Char('e'));
    const int exponent = text.mid(ePos + 1).toInt();
    QString mantissa = text.left(ePos);
    mantissa.remove(QLatin1Char('-')).remove(QLatin1Char('.'));
    if (exponent >= precision) {
        const QString e = QString::number(std::abs(exponent)).rightJustified(3, QLatin1Char('0'));
        return (negative ? QStringLiteral("-") : QString()) + mantissa.left(1) + decimalSeparator + mantissa.mid(1)
               + QStringLiteral("E") + (exponent < 0 ? QLatin1Char('-') : QLatin1Char('+')) + e;
    }
    // The significant digits with the point after `point` of them; rounded on the decimal digits, so
    // what the significant digits show is what is rounded.
    int point = exponent + 1;
    if (point <= 0) {
        mantissa.prepend(QString(1 - point, QLatin1Char('0')));
        point = 1;
    }
    if (mantissa.size() < point + digits + 1)
        mantissa = mantissa.leftJustified(point + digits + 1, QLatin1Char('0'));
    QString kept = mantissa.left(point + digits);
    if (mantissa.at(point + digits) >= QLatin1Char('5')) {
        int i = kept.size() - 1;
        for (; i >= 0 && kept.at(i) == QLatin1Char('9'); --i)
            kept[i] = QLatin1Char('0');
        if (i >= 0) {
            kept[i] = QChar(kept.at(i).unicode() + 1);
        } else {
            kept.prepend(QLatin1Char('1'));
            ++point;
        }
    }
    QString whole = kept.left(point);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    QString result = whole;
    if (digits > 0)
        result += decimalSeparator + kept.mid(point);
    const bool zero = std::all_of(kept.begin(), kept.end(), [](QChar c) { return c == QLatin1Char('0'); });
    return negative && !zero ? QLatin1Char('-') + result : result;
}

// --- TQvSpinEdit

TQvSpinEdit::TQvSpinEdit(QWidget *parent) : QLineEdit(parent)
{
    setText(QStringLiteral("0"));
    connect(this, &QLineEdit::textChanged, this, [this] {
        // A spin reports its change itself, once.
        if (!changing_)
            Change();
    });
    SetAlignment(taLeftJustify);
    setMinimumHeight(MinimumHeight());
    recreateButtons();
}

TQvSpinEdit::~TQvSpinEdit() = default;

void TQvSpinEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TQvSpinEdit::SetAlignment(TAlignment a)
{
    alignment_ = a;
    setAlignment(HorizontalAlignment(a) | Qt::AlignVCenter);
}

QChar TQvSpinEdit::decimalSeparator() const
{
    const QString point = locale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

double TQvSpinEdit::CheckValue(double value) const
{
    if (minValue_ != maxValue_) {
        if (value < minValue_)
            return minValue_;
        if (value > maxValue_)
            return maxValue_;
    }
    return value;
}

double TQvSpinEdit::Value() const
{
    const QString t = text().trimmed();
    bool ok = false;
    if (valueType_ == vtInteger) {
        const int v = t.toInt(&ok, 10);
        return ok ? v : wholeNumber(std::trunc(minValue_));
    }
    const QChar sep = decimalSeparator();
    QString s = t;
    if (sep != QLatin1Char('.')) {
        if (s.contains(QLatin1Char('.')))
            return minValue_;
        s.replace(sep, QLatin1Char('.'));
    }
    const double v = QLocale::c().toDouble(s, &ok);
    return ok && std::isfinite(v) ? v : minValue_;
}

void TQvSpinEdit::SetValue(double value)
{
    if (!std::isfinite(value))
        return;
    value = CheckValue(value);
    if (valueType_ == vtFloat)
        setText(FloatToStrFixed(value, 15, decimal_, decimalSeparator()));
    else
        setText(QString::number(ClampToInt(RoundHalfEven(value))));
}

void TQvSpinEdit::SetDecimal(int places)
{
    places = std::clamp(places, 0, 255);
    if (places == decimal_)
        return;
    decimal_ = places;
    SetValue(Value());
}

void TQvSpinEdit::SetValueType(TValueType type)
{
    if (type == valueType_)
        return;
    valueType_ = type;
    if (type == vtInteger) {
        increment_ = double(RoundHalfEven(increment_));
        if (increment_ == 0)
            increment_ = 1;
    }
}

void TQvSpinEdit::SetArrowKeys(bool on)
{
    arrowKeys_ = on;
    if (upDown_)
        upDown_->SetAssociate(on ? this : nullptr);
}

void TQvSpinEdit::SetButtonKind(TSpinButtonKind kind)
{
    if (kind == buttonKind_)
        return;
    buttonKind_ = kind;
    recreateButtons();
}

void TQvSpinEdit::recreateButtons()
{
    // The old buttons may be in the middle of their own click.
    for (QWidget *old : {static_cast<QWidget *>(holder_), static_cast<QWidget *>(upDown_)}) {
        if (old) {
            old->hide();
            old->deleteLater();
        }
    }
    if (button_)
        button_->OnTopClick = button_->OnBottomClick = nullptr;
    if (upDown_) {
        upDown_->OnClick = nullptr;
        upDown_->SetAssociate(nullptr);
    }
    holder_ = nullptr;
    button_ = nullptr;
    upDown_ = nullptr;
    if (buttonKind_ == bkDiagonal) {
        holder_ = new QWidget(this);
        holder_->setObjectName(QStringLiteral("ButtonHolder"));
        holder_->setCursor(Qt::ArrowCursor);
        button_ = new TQvSpinButton(holder_);
        button_->setObjectName(QStringLiteral("SpinButton"));
        button_->SetFocusControl(this);
        button_->OnTopClick = [this](QObject *) { UpClick(); };
        button_->OnBottomClick = [this](QObject *) { DownClick(); };
        holder_->show();
    } else {
        upDown_ = new TQvUpDown(this);
        upDown_->setObjectName(QStringLiteral("UpDown"));
        upDown_->setCursor(Qt::ArrowCursor);
        upDown_->SetAssociate(arrowKeys_ ? this : nullptr);
        upDown_->OnClick = [this](QObject *, TUDBtnType) {
            if (focusPolicy() != Qt::NoFocus && isEnabled())
                setFocus(Qt::MouseFocusReason);
            // The up-down stays at 0: its position only says which way it was clicked.
            if (positioning_)
                return;
            positioning_ = true;
            const int position = upDown_->Position();
            upDown_->SetPosition(0);
            if (position > 0)
                UpClick();
            else if (position < 0)
                DownClick();
            positioning_ = false;
        };
        upDown_->show();
    }
    layoutButtons();
}

void TQvSpinEdit::layoutButtons()
{
    const int w = width(), h = height();
    int buttonWidth = std::min(style()->pixelMetric(QStyle::PM_ScrollBarExtent), 15);
    if (holder_) {
        const int side = std::max(0, h - 4);
        holder_->setGeometry(w - side - 2, 2, side, side);
        button_->setGeometry(0, 0, side, side);
        buttonWidth = side;
    } else if (upDown_) {
        buttonWidth = upDown_->NaturalWidth();
        upDown_->setGeometry(w - buttonWidth - 2, 2, buttonWidth, std::max(0, h - 4));
    }
    setTextMargins(0, 0, buttonWidth + 2, 0);
}

int TQvSpinEdit::MinimumHeight() const
{
    return 4 + fontMetrics().height() + 1;
}

void TQvSpinEdit::resizeEvent(QResizeEvent *e)
{
    QLineEdit::resizeEvent(e);
    layoutButtons();
}

void TQvSpinEdit::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        setMinimumHeight(MinimumHeight());
        layoutButtons();
    }
    QLineEdit::changeEvent(e);
}

void TQvSpinEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    if (!AutoSelect)
        deselect();
}

bool TQvSpinEdit::IsValidChar(QChar key)
{
    const ushort c = key.unicode();
    bool valid = key == QLatin1Char('+') || key == QLatin1Char('-') || (key >= QLatin1Char('0') && key <= QLatin1Char('9'))
                 || c < 32;
    if (!valid && valueType_ == vtFloat) {
        if (key == decimalSeparator())
            valid = !text().contains(key);
        else if (key == QLatin1Char('e') || key == QLatin1Char('E'))
            valid = !text().contains(QLatin1Char('e'), Qt::CaseInsensitive);
    }
    if (!EditorEnabled)
        valid = valid && c < 32 && c != 8;
    return valid;
}

void TQvSpinEdit::spin(double delta, const platform::TNotifyEvent &after)
{
    if (isReadOnly()) {
        platform::MessageBeep(0);
        return;
    }
    const QString before = text();
    changing_ = true;
    SetValue(Value() + delta);
    changing_ = false;
    if (QString::compare(text(), before, Qt::CaseInsensitive) != 0) {
        setModified(true);
        Change();
    }
    if (after)
        after(this);
}

void TQvSpinEdit::UpClick()
{
    spin(increment_, OnTopClick);
}

void TQvSpinEdit::DownClick()
{
    spin(-increment_, OnBottomClick);
}

void TQvSpinEdit::keyPressEvent(QKeyEvent *e)
{
    if (arrowKeys_ && !upDown_ && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down)) {
        if (e->key() == Qt::Key_Up)
            UpClick();
        else
            DownClick();
        e->accept();
        return;
    }
    // Characters are filtered; commands (with Ctrl) and keys that type nothing pass. Delete comes with
    // the character 127 here but types nothing.
    const QString t = e->text();
    const bool command = e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!t.isEmpty() && !command && t.at(0).unicode() != 127 && !IsValidChar(t.at(0))) {
        platform::MessageBeep(0);
        e->accept();
        return;
    }
    // Enter and Escape go on to the dialog's default and cancel buttons.
    QLineEdit::keyPressEvent(e);
}

} // namespace qv
