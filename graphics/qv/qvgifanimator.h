#pragma once
// The animated picture control: shows a GIF picture and plays it with the threaded timer. Frames are
// composed under the control's own lock, on the timer's thread when drawing asynchronously; painting
// always happens on the user-interface thread from the composed picture.
#include "qvgif.h"

#include "controls/qv/qvtimer.h"

#include <QImage>
#include <QRecursiveMutex>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

namespace gfx {

// A control that paints a picture it composes itself, with a lock shared by its painting and whoever
// changes the picture.
class TQvImageControl : public QWidget {
    Q_OBJECT
public:
    explicit TQvImageControl(QWidget *parent = nullptr);
    ~TQvImageControl() override;

    QRecursiveMutex &Lock() const { return lock_; }

protected:
    virtual void AdjustSize() {}
    // Paints the picture; the painter is the control's.
    virtual void DoPaintImage(QPainter &painter) { Q_UNUSED(painter); }
    // Whether the control shows through where it paints nothing (no picture, or a transparent one).
    virtual bool ShowsParent() const { return true; }
    // The size follows the picture, and the control is painted again (from any thread).
    void PictureChanged();
    // Paints again: at once on the user-interface thread, else by a request to it.
    void PaintThreadAware();
    bool Destroying() const { return destroying_; }
    void SetDestroying() { destroying_ = true; }
    bool Drawing() const { return drawing_; }

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    mutable QRecursiveMutex lock_;
    bool drawing_ = false;
    std::atomic<bool> destroying_{false};
};

class TQvGIFAnimator : public TQvImageControl {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(QObject *sender)>;

    explicit TQvGIFAnimator(QWidget *parent = nullptr);
    ~TQvGIFAnimator() override;

    // The own picture. Change it through SetImage while the control may be animating.
    TGIFImage *Image() const { return image_.get(); }
    void SetImage(const platform::Graphic *source);
    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    bool AsyncDrawing() const { return async_; }
    void SetAsyncDrawing(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool Loop() const { return loop_; }
    void SetLoop(bool value) { loop_ = value; }
    int FrameIndex() const { return frameIndex_; }
    void SetFrameIndex(int value);
    // The timer that drives the animation (its interval is the current frame's delay).
    qv::TQvTimer *Timer() const { return timer_; }
    // The delay the current frame plays for: 0 for fewer than 2 frames, else 50..10000 ms.
    unsigned FrameDelay() const;
    // Frames drawn into the composed picture since the picture was set; for tests and diagnostics.
    qint64 FramesDrawn() const
    {
        QMutexLocker lock(&Lock());
        return framesDrawn_;
    }
    // Stored form data: the picture with its byte count.
    void ReadData(QIODevice &stream);
    void WriteData(QIODevice &stream);

    NotifyEvent OnChange;
    NotifyEvent OnFrameChanged;
    NotifyEvent OnStart;
    NotifyEvent OnStop;

protected:
    virtual void Change();
    virtual void FrameChanged();
    virtual void Start();
    virtual void Stop();
    void AdjustSize() override;
    void DoPaintImage(QPainter &painter) override;
    bool ShowsParent() const override;
    bool event(QEvent *event) override;

private:
    // A flag that changes how the picture is drawn: set under the lock, then painted again.
    void setDrawingFlag(bool &flag, bool value);
    void imageChanged();
    void timerStep();
    unsigned delayOf(int index) const;
    // Builds the picture of frame n in the cache (lock held).
    void compose(int n);
    void drawFrame(QPainter &painter, int index);

    std::unique_ptr<TGIFImage> image_;
    qv::TQvTimer *timer_ = nullptr;
    std::atomic<int> frameIndex_{-1};
    bool stretch_ = false;
    std::atomic<bool> loop_{true};
    bool center_ = false;
    bool transparent_ = true;
    std::atomic<bool> animate_{false};
    std::atomic<bool> async_{false};
    bool autoSize_ = true;
    std::atomic<bool> canStep_{false};
    // The composed picture of frame cacheIndex_, clear where it is transparent, with its transparent colour
    // and the colour it was filled with.
    QImage cache_;
    int cacheIndex_ = -1;
    Color cacheTransparent_ = clNone;
    QColor cacheFill_;
    // The part of the picture that frame savedIndex_ (which restores the previous picture) covers, as it
    // was before that frame was drawn.
    QImage saved_;
    QRect savedRect_;
    int savedIndex_ = -1;
    qint64 framesDrawn_ = 0;
};

} // namespace gfx
