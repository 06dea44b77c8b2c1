#pragma once
// A track bar drawn from bitmaps: a ruler and a thumb, horizontal or vertical, with optional tick points,
// keyboard and mouse stepping and dragging.
#include "platform/form.h"

#include <QImage>
#include <QWidget>
#include <functional>

class QPainter;

namespace qv {

class RepeatTimer;

enum TSliderOrientation { soHorizontal, soVertical };
enum TSliderOption : unsigned {
    soShowFocus = 1,
    soShowPoints = 2,
    soSmooth = 4,
    soRulerOpaque = 8,
    soThumbOpaque = 16,
};
using TSliderOptions = unsigned;
enum TSliderBevelStyle { bvNone, bvLowered, bvRaised };
// Which images the user replaced.
enum TSliderImage : unsigned { siHThumb = 1, siHRuler = 2, siVThumb = 4, siVRuler = 8 };
using TSliderImages = unsigned;

using TDrawPointsEvent = std::function<void(QObject *sender, QPainter &painter)>;

class TQvCustomSlider : public QWidget {
    Q_OBJECT
public:
    explicit TQvCustomSlider(QWidget *parent = nullptr);
    ~TQvCustomSlider() override;

    int Value() const { return value_; }
    void SetValue(int value);
    int MinValue() const { return minValue_; }
    void SetMinValue(int value) { SetRange(value, maxValue_); }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value) { SetRange(minValue_, value); }
    // Ignored when max <= min, unless loading.
    void SetRange(int min, int max);
    int Increment() const { return increment_; }
    // Raises platform::Error "Value must be between 1 and <range>" outside 1..range (unless loading).
    void SetIncrement(int value);

    TSliderOrientation Orientation() const { return orientation_; }
    void SetOrientation(TSliderOrientation value);
    TSliderOptions Options() const { return options_; }
    void SetOptions(TSliderOptions value);
    TSliderBevelStyle BevelStyle() const { return bevelStyle_; }
    void SetBevelStyle(TSliderBevelStyle value);
    int EdgeSize() const { return edgeSize_; }
    // Ignored when twice the size does not fit the ruler's thickness.
    void SetEdgeSize(int value);
    int NumThumbStates() const { return numThumbStates_; }
    // 1 or 2; anything else is ignored.
    void SetNumThumbStates(int value);

    // Assigning an image marks it the user's; a null image brings back the built-in one and clears the
    // opaque option of its kind.
    QImage ImageHThumb() const { return images_[0]; }
    void SetImageHThumb(const QImage &image) { setImage(0, image); }
    QImage ImageHRuler() const { return images_[1]; }
    void SetImageHRuler(const QImage &image) { setImage(1, image); }
    QImage ImageVThumb() const { return images_[2]; }
    void SetImageVThumb(const QImage &image) { setImage(2, image); }
    QImage ImageVRuler() const { return images_[3]; }
    void SetImageVRuler(const QImage &image) { setImage(3, image); }
    TSliderImages UserImages() const { return userImages_; }

    // While loading, limits may pass through empty ranges and the increment is not checked.
    bool Loading() const { return loading_; }
    void SetLoading(bool on);

    // Where the thumb is drawn, and the value a thumb offset stands for (offset of its left or top side).
    QRect ThumbRect() const { return thumbRect_; }
    QRect RulerRect() const;
    int OffsetFromValue(int value) const;
    int ValueFromOffset(int offset) const;
    // Pixels the thumb can travel.
    int TrackLength() const;
    bool Dragging() const { return dragging_; }

    platform::TNotifyEvent OnChange;
    platform::TNotifyEvent OnChanged;
    TDrawPointsEvent OnDrawPoints;

    QSize sizeHint() const override { return {150, 40}; }

protected:
    // The value changed.
    virtual void Change();
    // A keyboard step, a drag or a mouse repeat ended.
    virtual void Changed();

    void paintEvent(QPaintEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void setImage(int index, const QImage &image);
    void rebuild();
    void placeThumb();
    void step(bool up);
    void repeatTick();
    int thumbLength() const;
    int thumbThickness() const;
    QRect rulerArea() const;
    QImage thumbImage() const { return images_[orientation_ == soHorizontal ? 0 : 2]; }
    QImage rulerImage() const { return images_[orientation_ == soHorizontal ? 1 : 3]; }
    void drawPoints(QPainter &p);
    // Whether the point lies on the increasing side of the thumb.
    bool increasingSide(const QPoint &p) const;

    QImage images_[4];
    TSliderImages userImages_ = 0;
    QImage ruler_;
    int edgeSize_ = 2;
    int numThumbStates_ = 2;
    TSliderOrientation orientation_ = soHorizontal;
    TSliderOptions options_ = soShowFocus | soShowPoints | soSmooth;
    TSliderBevelStyle bevelStyle_ = bvNone;
    int minValue_ = 0;
    int maxValue_ = 100;
    int increment_ = 10;
    int value_ = 0;
    QRect thumbRect_;
    bool dragging_ = false;
    int grab_ = 0;
    bool repeating_ = false;
    bool repeatUp_ = false;
    QPoint lastPoint_;
    bool loading_ = false;
    RepeatTimer *repeat_;
};

class TQvSlider : public TQvCustomSlider {
    Q_OBJECT
public:
    using TQvCustomSlider::TQvCustomSlider;
};

} // namespace qv
