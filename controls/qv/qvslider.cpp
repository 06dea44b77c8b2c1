#include "qvslider.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvround.h"
#include "controls/qv/qvutils.h"
#include "platform/error.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace qv {
namespace {

// Colours of the built-in images; the key colour marks what is not drawn.
constexpr QRgb kKey = 0xFFFF00FF;
constexpr QRgb kFace = 0xFFC0C0C0;
constexpr QRgb kLight = 0xFFFFFFFF;
constexpr QRgb kShadow = 0xFF808080;
constexpr QRgb kDark = 0xFF000000;

// A shape with three-dimensional edges: raised (light above and left) or sunken (dark above and left).
// The dithered face marks the second thumb state.
template <typename Inside>
QImage shapeImage(int w, int h, Inside inside, bool sunken, bool dithered)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kKey);
    auto in = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && inside(x, y); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!in(x, y))
                continue;
            QRgb c = dithered && (x + y) % 2 ? kLight : kFace;
            const bool outerLow = !in(x + 1, y) || !in(x, y + 1);
            const bool outerHigh = !in(x - 1, y) || !in(x, y - 1);
            const bool innerLow = !in(x + 2, y) || !in(x, y + 2);
            const bool innerHigh = !in(x - 2, y) || !in(x, y - 2);
            if (sunken)
                c = outerHigh ? kShadow : outerLow ? kLight : innerHigh ? kDark : c;
            else
                c = outerLow ? kDark : outerHigh ? kLight : innerLow ? kShadow : c;
            img.setPixel(x, y, c);
        }
    return img;
}

QImage transposed(const QImage &src)
{
    QImage out(src.height(), src.width(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            out.setPixel(y, x, src.pixel(x, y));
    return out;
}

// One state of the horizontal thumb: a body with a point downwards.
QImage thumbState(bool second)
{
    return shapeImage(
        11, 21,
        [](int x, int y) {
            if (y == 0 && (x == 0 || x == 10))
                return false;
            return y <= 14 || std::abs(x - 5) <= 20 - y;
        },
        false, second);
}

QImage sideBySide(const QImage &a, const QImage &b)
{
    QImage out(a.width() + b.width(), a.height(), QImage::Format_RGB32);
    QPainter p(&out);
    p.drawImage(0, 0, a);
    p.drawImage(a.width(), 0, b);
    return out;
}

QImage builtInImage(int index)
{
    static const QImage images[4] = {
        sideBySide(thumbState(false), thumbState(true)),
        shapeImage(16, 6, [](int x, int y) { return !((x == 0 || x == 15) && (y == 0 || y == 5)); }, true, false),
        sideBySide(transposed(thumbState(false)), transposed(thumbState(true))),
        transposed(shapeImage(16, 6, [](int x, int y) { return !((x == 0 || x == 15) && (y == 0 || y == 5)); },
                              true, false)),
    };
    return images[index];
}

QColor bottomLeft(const QImage &img)
{
    return QColor::fromRgb(img.pixel(0, img.height() - 1));
}

} // namespace

TQvCustomSlider::TQvCustomSlider(QWidget *parent) : QWidget(parent), repeat_(new RepeatTimer(this))
{
    for (int i = 0; i < 4; ++i)
        images_[i] = builtInImage(i);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(150, 40);
    repeat_->OnTimer = [this] { repeatTick(); };
    rebuild();
}

TQvCustomSlider::~TQvCustomSlider() = default;

void TQvCustomSlider::Change()
{
    if (OnChange)
        OnChange(this);
}

void TQvCustomSlider::Changed()
{
    if (OnChanged)
        OnChanged(this);
}

void TQvCustomSlider::SetValue(int value)
{
    value = std::max(std::min(value, maxValue_), minValue_);
    if (value == value_)
        return;
    const QRect old = thumbRect_;
    value_ = value;
    placeThumb();
    update(old);
    update(thumbRect_);
    Change();
}

void TQvCustomSlider::SetRange(int min, int max)
{
    if ((max <= min && !loading_) || (min == minValue_ && max == maxValue_))
        return;
    minValue_ = min;
    maxValue_ = max;
    const qint64 range = qint64(max) - min;
    if (increment_ > range)
        increment_ = ClampToInt(range);
    SetValue(value_);
    rebuild();
}

void TQvCustomSlider::SetIncrement(int value)
{
    const qint64 range = qint64(maxValue_) - minValue_;
    if (!loading_ && (value > range || value < 1))
        throw platform::Error(ResStr(QStringLiteral("Value must be between %1 and %2").arg(1).arg(range)));
    if (value == increment_)
        return;
    increment_ = value;
    SetValue(value_);
    update();
}

void TQvCustomSlider::SetLoading(bool on)
{
    if (on == loading_)
        return;
    loading_ = on;
    if (!on) {
        SetValue(value_);
        rebuild();
    }
}

void TQvCustomSlider::SetOrientation(TSliderOrientation value)
{
    if (value == orientation_)
        return;
    orientation_ = value;
    rebuild();
}

void TQvCustomSlider::SetOptions(TSliderOptions value)
{
    if (value == options_)
        return;
    options_ = value;
    placeThumb();
    update();
}

void TQvCustomSlider::SetBevelStyle(TSliderBevelStyle value)
{
    if (value == bevelStyle_)
        return;
    bevelStyle_ = value;
    rebuild();
}

void TQvCustomSlider::SetEdgeSize(int value)
{
    const QImage r = rulerImage();
    const int thickness = orientation_ == soHorizontal ? r.height() : r.width();
    if (value < 0 || 2 * value > thickness || value == edgeSize_)
        return;
    edgeSize_ = value;
    rebuild();
}

void TQvCustomSlider::SetNumThumbStates(int value)
{
    if ((value != 1 && value != 2) || value == numThumbStates_)
        return;
    numThumbStates_ = value;
    rebuild();
}

void TQvCustomSlider::setImage(int index, const QImage &image)
{
    const unsigned bit = 1u << index;
    if (image.isNull()) {
        images_[index] = builtInImage(index);
        userImages_ &= ~bit;
        options_ &= ~unsigned(index % 2 == 0 ? soThumbOpaque : soRulerOpaque);
    } else {
        images_[index] = image.convertToFormat(QImage::Format_RGB32);
        userImages_ |= bit;
    }
    rebuild();
}

QRect TQvCustomSlider::rulerArea() const
{
    return bevelStyle_ == bvNone ? rect() : rect().adjusted(1, 1, -1, -1);
}

int TQvCustomSlider::thumbLength() const
{
    const QImage t = thumbImage();
    return orientation_ == soHorizontal ? t.width() / numThumbStates_ : t.height();
}

int TQvCustomSlider::thumbThickness() const
{
    const QImage t = thumbImage();
    return orientation_ == soHorizontal ? t.height() : t.width() / numThumbStates_;
}

QRect TQvCustomSlider::RulerRect() const
{
    const QRect area = rulerArea();
    if (orientation_ == soHorizontal)
        return QRect(area.left() + 6, area.top() + (area.height() - ruler_.height()) / 2, ruler_.width(),
                     ruler_.height());
    return QRect(area.left() + (area.width() - ruler_.width()) / 2, area.top() + 6, ruler_.width(), ruler_.height());
}

int TQvCustomSlider::TrackLength() const
{
    const QRect area = rulerArea();
    const int ruler = std::max(0, (orientation_ == soHorizontal ? area.width() : area.height()) - 12);
    return std::max(0, ruler - thumbLength());
}

int TQvCustomSlider::OffsetFromValue(int value) const
{
    const QRect area = rulerArea();
    const int edge = orientation_ == soHorizontal ? area.left() : area.top();
    const qint64 range = qint64(maxValue_) - minValue_;
    // An empty range (allowed while loading) or a track without length leaves the thumb at the start.
    qint64 offset = edge + 6;
    if (range > 0)
        offset += RoundHalfEven(double(TrackLength()) * (double(value) - minValue_) / double(range));
    if (orientation_ == soVertical)
        offset = qint64(area.top()) + area.top() + area.height() - offset - thumbLength();
    return ClampToInt(std::max<qint64>(offset, edge + 6));
}

int TQvCustomSlider::ValueFromOffset(int offset) const
{
    const QRect area = rulerArea();
    const int edge = orientation_ == soHorizontal ? area.left() : area.top();
    if (orientation_ == soVertical)
        offset = height() - offset - thumbLength();
    const qint64 range = qint64(maxValue_) - minValue_;
    const int track = TrackLength();
    if (range <= 0 || track <= 0)
        return minValue_;
    qint64 v = RoundHalfEven(double(offset - edge - 6) * double(range) / track);
    if (!(options_ & soSmooth) && increment_ > 0)
        v = RoundHalfEven(double(v) / increment_) * increment_;
    v = std::max<qint64>(v, 0) + minValue_;
    return ClampToInt(std::min<qint64>(v, maxValue_));
}

void TQvCustomSlider::rebuild()
{
    const QImage src = rulerImage();
    const QRect area = rulerArea();
    const bool horizontal = orientation_ == soHorizontal;
    const int length = (horizontal ? area.width() : area.height()) - 12;
    if (length <= 0 || src.isNull()) {
        ruler_ = QImage();
    } else {
        // The ends keep EdgeSize pixels of the image each; the middle is stretched to the length.
        const QImage s = horizontal ? src : transposed(src);
        const int thickness = s.height(), srcLength = s.width();
        const int cap = std::min({edgeSize_, srcLength / 2, length / 2});
        QImage r(length, thickness, QImage::Format_RGB32);
        QPainter p(&r);
        p.drawImage(QRect(0, 0, cap, thickness), s, QRect(0, 0, cap, thickness));
        p.drawImage(QRect(length - cap, 0, cap, thickness), s, QRect(srcLength - cap, 0, cap, thickness));
        if (srcLength > 2 * cap)
            p.drawImage(QRect(cap, 0, length - 2 * cap, thickness), s, QRect(cap, 0, srcLength - 2 * cap, thickness));
        p.end();
        ruler_ = horizontal ? r : transposed(r);
    }
    placeThumb();
    update();
}

void TQvCustomSlider::placeThumb()
{
    const QRect area = rulerArea();
    const int offset = OffsetFromValue(value_);
    const int length = thumbLength(), thickness = thumbThickness();
    if (orientation_ == soHorizontal)
        thumbRect_ = QRect(offset, area.top() + (area.height() - thickness) / 2, length, thickness);
    else
        thumbRect_ = QRect(area.left() + (area.width() - thickness) / 2, offset, thickness, length);
}

void TQvCustomSlider::step(bool up)
{
    if (increment_ <= 0)
        return;
    const qint64 base = RoundHalfEven(double(value_) / increment_) * increment_;
    const qint64 next = up ? base + increment_ : base - increment_;
    SetValue(ClampToInt(std::clamp<qint64>(next, std::min(minValue_, maxValue_), maxValue_)));
}

bool TQvCustomSlider::increasingSide(const QPoint &p) const
{
    const QPoint c = thumbRect_.center();
    return orientation_ == soHorizontal ? p.x() > c.x() : p.y() < c.y();
}

void TQvCustomSlider::repeatTick()
{
    // The thumb stops once it has reached the pointer.
    if (repeating_ && !thumbRect_.contains(lastPoint_) && increasingSide(lastPoint_) == repeatUp_)
        step(repeatUp_);
}

void TQvCustomSlider::keyPressEvent(QKeyEvent *e)
{
    const bool horizontal = orientation_ == soHorizontal;
    switch (e->key()) {
    case Qt::Key_Home: SetValue(minValue_); break;
    case Qt::Key_End: SetValue(maxValue_); break;
    case Qt::Key_Right:
    case Qt::Key_Left:
        if (!horizontal)
            return QWidget::keyPressEvent(e);
        step(e->key() == Qt::Key_Right);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (horizontal)
            return QWidget::keyPressEvent(e);
        step(e->key() == Qt::Key_Up);
        break;
    default: return QWidget::keyPressEvent(e);
    }
    e->accept();
    Changed();
}

void TQvCustomSlider::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || dragging_ || repeating_)
        return QWidget::mousePressEvent(e);
    const QPoint p = e->position().toPoint();
    if (thumbRect_.contains(p)) {
        dragging_ = true;
        grab_ = orientation_ == soHorizontal ? p.x() - thumbRect_.left() : p.y() - thumbRect_.top();
        update(thumbRect_);
    } else if (rulerArea().contains(p)) {
        repeating_ = true;
        repeatUp_ = increasingSide(p);
        lastPoint_ = p;
        step(repeatUp_);
        repeat_->Start(400);
    }
}

void TQvCustomSlider::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (dragging_) {
        const QRect area = rulerArea();
        const int low = (orientation_ == soHorizontal ? area.left() : area.top()) + 6;
        const int axis = orientation_ == soHorizontal ? p.x() : p.y();
        // Through the value and back, so that the thumb only stops where a value is.
        SetValue(ValueFromOffset(std::clamp(axis - grab_, low, low + TrackLength())));
    } else if (repeating_) {
        lastPoint_ = p;
    }
    if (thumbRect_.contains(p))
        setCursor(ScreenCursor(crQVHand));
    else
        unsetCursor();
}

void TQvCustomSlider::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(e);
    if (dragging_) {
        dragging_ = false;
        update(thumbRect_);
        Changed();
    } else if (repeating_) {
        repeating_ = false;
        repeat_->Stop();
        Changed();
    }
}

void TQvCustomSlider::resizeEvent(QResizeEvent *)
{
    rebuild();
}

void TQvCustomSlider::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            dragging_ = false;
            repeating_ = false;
            repeat_->Stop();
        }
        update();
    }
    QWidget::changeEvent(e);
}

void TQvCustomSlider::focusInEvent(QFocusEvent *e)
{
    update();
    QWidget::focusInEvent(e);
}

void TQvCustomSlider::focusOutEvent(QFocusEvent *e)
{
    update();
    QWidget::focusOutEvent(e);
}

void TQvCustomSlider::drawPoints(QPainter &p)
{
    if (OnDrawPoints) {
        OnDrawPoints(this, p);
        return;
    }
    const qint64 range = qint64(maxValue_) - minValue_;
    const int track = TrackLength();
    if (increment_ <= 0 || range <= 0 || track <= 0)
        return;
    // Ticks at least 4 pixels apart: every k-th multiple of the increment.
    const double pixels = double(track) * increment_ / double(range);
    const qint64 every = std::max<qint64>(1, qint64(std::ceil(4.0 / pixels)));
    const qint64 stride = every * increment_;
    qint64 first = minValue_ / increment_ * qint64(increment_);
    if (first < minValue_)
        first += increment_;
    p.setPen(palette().color(QPalette::WindowText));
    const int half = thumbLength() / 2;
    for (qint64 v = first; v <= maxValue_; v += stride) {
        const int at = OffsetFromValue(int(v)) + half;
        if (orientation_ == soHorizontal)
            p.drawLine(at, thumbRect_.bottom() + 2, at, thumbRect_.bottom() + 4);
        else
            p.drawLine(thumbRect_.right() + 2, at, thumbRect_.right() + 4, at);
    }
}

void TQvCustomSlider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    if (bevelStyle_ != bvNone) {
        const QRect r = rect();
        const QColor high = pal.color(bevelStyle_ == bvRaised ? QPalette::Light : QPalette::Dark);
        const QColor low = pal.color(bevelStyle_ == bvRaised ? QPalette::Dark : QPalette::Light);
        p.setPen(high);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(low);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    if (!ruler_.isNull()) {
        if (options_ & soRulerOpaque)
            p.drawImage(RulerRect().topLeft(), ruler_);
        else
            DrawTransparentBitmap(p, RulerRect(), ruler_);
    }
    if (hasFocus() && (options_ & soShowFocus)) {
        p.setPen(QPen(pal.color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
    if (options_ & soShowPoints)
        drawPoints(p);
    const QImage thumb = thumbImage();
    if (!thumb.isNull() && !thumbRect_.isEmpty()) {
        const int stateWidth = thumb.width() / numThumbStates_;
        const bool second = numThumbStates_ == 2 && (dragging_ || !isEnabled());
        const QRect source(second ? stateWidth : 0, 0, stateWidth, thumb.height());
        if (options_ & soThumbOpaque)
            p.drawImage(thumbRect_, thumb, source);
        else
            DrawTransparentBitmap(p, thumbRect_, thumb, source, bottomLeft(thumb));
    }
}

} // namespace qv
