#include "qvgifanimator.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QThread>

namespace gfx {

namespace {

bool onUserInterfaceThread() { return QThread::currentThread() == qApp->thread(); }

} // namespace

// ---------------------------------------------------------------------------------------------------------
// TQvImageControl

TQvImageControl::TQvImageControl(QWidget *parent) : QWidget(parent)
{
    resize(105, 105);
    setAutoFillBackground(false);
}

TQvImageControl::~TQvImageControl() = default;

void TQvImageControl::PictureChanged()
{
    if (destroying_)
        return;
    if (!onUserInterfaceThread()) {
        QMetaObject::invokeMethod(this, [this] { PictureChanged(); }, Qt::QueuedConnection);
        return;
    }
    AdjustSize();
    update();
}

void TQvImageControl::PaintThreadAware()
{
    if (destroying_)
        return;
    if (onUserInterfaceThread())
        repaint();
    else
        QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void TQvImageControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!ShowsParent())
        painter.fillRect(rect(), palette().color(QPalette::Window));
    const bool was = drawing_;
    drawing_ = true;
    DoPaintImage(painter);
    drawing_ = was;
}

void TQvImageControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    AdjustSize();
}

// ---------------------------------------------------------------------------------------------------------
// TQvGIFAnimator

TQvGIFAnimator::TQvGIFAnimator(QWidget *parent)
    : TQvImageControl(parent), image_(std::make_unique<TGIFImage>()), timer_(new qv::TQvTimer(this))
{
    setObjectName(QStringLiteral("QvGIFAnimator"));
    timer_->SetEnabled(false);
    image_->OnChange = [this](platform::Graphic *) { imageChanged(); };
}

TQvGIFAnimator::~TQvGIFAnimator()
{
    OnChange = nullptr;
    OnFrameChanged = nullptr;
    OnStart = nullptr;
    OnStop = nullptr;
    SetAnimate(false);
    SetDestroying();
    // The timer goes first, without the lock held: a step running on its thread may still need the lock.
    delete timer_;
    timer_ = nullptr;
    image_->OnChange = nullptr;
}

unsigned TQvGIFAnimator::delayOf(int index) const
{
    if (index < 0 || index >= image_->Count() || image_->Count() < 2)
        return 0;
    return unsigned(qBound(50, image_->Frames(index)->AnimateInterval(), 10000));
}

unsigned TQvGIFAnimator::FrameDelay() const
{
    QMutexLocker lock(&Lock());
    return delayOf(frameIndex_);
}

void TQvGIFAnimator::SetImage(const platform::Graphic *source)
{
    QMutexLocker lock(&Lock());
    image_->Assign(source);
}

void TQvGIFAnimator::imageChanged()
{
    {
        QMutexLocker lock(&Lock());
        cache_ = QImage();
        cacheIndex_ = -1;
        cacheTransparent_ = clNone;
        saved_ = QImage();
        savedIndex_ = -1;
        framesDrawn_ = 0;
        frameIndex_ = image_->FrameIndex();
        if (frameIndex_ >= 0 && image_->Count() > 0 && timer_)
            timer_->SetInterval(delayOf(frameIndex_));
    }
    PictureChanged();
    if (onUserInterfaceThread())
        Change();
}

void TQvGIFAnimator::SetFrameIndex(int value)
{
    {
        QMutexLocker lock(&Lock());
        if (value == frameIndex_ || value < 0 || value >= image_->Count())
            return;
        frameIndex_ = value;
        timer_->SetInterval(delayOf(value));
    }
    FrameChanged();
    PictureChanged();
}

void TQvGIFAnimator::setDrawingFlag(bool &flag, bool value)
{
    if (value == flag)
        return;
    {
        QMutexLocker lock(&Lock());
        flag = value;
    }
    PictureChanged();
}

void TQvGIFAnimator::SetCenter(bool value) { setDrawingFlag(center_, value); }
void TQvGIFAnimator::SetStretch(bool value) { setDrawingFlag(stretch_, value); }
void TQvGIFAnimator::SetTransparent(bool value) { setDrawingFlag(transparent_, value); }

void TQvGIFAnimator::SetAutoSize(bool value)
{
    if (value == autoSize_)
        return;
    autoSize_ = value;
    PictureChanged();
}

void TQvGIFAnimator::SetAsyncDrawing(bool value)
{
    if (value == async_)
        return;
    QMutexLocker lock(&Lock());
    timer_->SetSyncEvent(!value);
    async_ = value;
}

void TQvGIFAnimator::SetAnimate(bool value)
{
    if (value == animate_ || !timer_)
        return;
    if (value) {
        timer_->OnTimer = [this](QObject *) { timerStep(); };
        timer_->SetEnabled(true);
        animate_ = timer_->Enabled();
        Start();
    } else {
        timer_->SetEnabled(false);
        timer_->OnTimer = nullptr;
        animate_ = false;
        Stop();
        PictureChanged();
    }
}

void TQvGIFAnimator::Change()
{
    if (OnChange)
        OnChange(this);
}

void TQvGIFAnimator::FrameChanged()
{
    if (OnFrameChanged)
        OnFrameChanged(this);
}

void TQvGIFAnimator::Start()
{
    if (OnStart)
        OnStart(this);
}

void TQvGIFAnimator::Stop()
{
    if (OnStop)
        OnStop(this);
}

bool TQvGIFAnimator::event(QEvent *event)
{
    const bool result = TQvImageControl::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange:
        // Read by the timer's thread, which must not ask the widget itself.
        canStep_ = parentWidget() && isVisible();
        break;
    default:
        break;
    }
    return result;
}

void TQvGIFAnimator::timerStep()
{
    if (!canStep_ || Destroying())
        return;
    bool wrapped = false;
    {
        QMutexLocker lock(&Lock());
        const int count = image_->Count();
        if (count < 2)
            return;
        int next = frameIndex_ + 1;
        if (next >= count)
            next = 0;
        wrapped = next == 0;
        frameIndex_ = next;
        // Composed here, so that the user-interface thread only draws the finished picture.
        compose(next);
    }
    if (async_) {
        if (OnFrameChanged)
            timer_->RunInMainThread([this] { FrameChanged(); });
    } else {
        FrameChanged();
    }
    PaintThreadAware();
    {
        QMutexLocker lock(&Lock());
        timer_->SetInterval(delayOf(frameIndex_));
    }
    if (!loop_ && wrapped) {
        if (async_)
            timer_->RunInMainThread([this] { SetAnimate(false); });
        else
            SetAnimate(false);
    }
}

void TQvGIFAnimator::drawFrame(QPainter &painter, int index)
{
    TGIFFrame *f = image_->Frames(index);
    f->Draw(painter, QRect(f->Origin(), QSize(f->Width(), f->Height())), true);
    ++framesDrawn_;
}

void TQvGIFAnimator::compose(int n)
{
    const int count = image_->Count();
    if (count == 0)
        return;
    n = qBound(0, n, count - 1);
    const int sw = image_->ScreenWidth(), sh = image_->ScreenHeight();
    if (sw < 1 || sh < 1)
        return;
    if (cacheIndex_ == n && !cache_.isNull())
        return;
    auto rectOf = [&](int i) {
        TGIFFrame *f = image_->Frames(i);
        return QRect(f->Origin(), QSize(f->Width(), f->Height())) & QRect(0, 0, sw, sh);
    };
    const bool reuse = !cache_.isNull() && n >= 1 && cacheIndex_ == n - 1 &&
                       (image_->Frames(n - 1)->DisposalMethod() != 3 || savedIndex_ == n - 1);
    QPainter painter;
    if (!reuse) {
        cache_ = QImage(sw, sh, QImage::Format_ARGB32_Premultiplied);
        TGIFFrame *current = image_->Frames(qBound(0, image_->FrameIndex(), count - 1));
        QColor fill;
        cacheTransparent_ = clNone;
        if (current->TransparentColor() != clNone) {
            // Left clear: the parent shows there, or the transparent colour when the control is opaque.
            cacheTransparent_ = platform::FromQRgb(platform::ToQColor(current->TransparentColor()).rgb());
            fill = Qt::transparent;
        } else if (image_->BackgroundColor() != clNone && image_->Transparent()) {
            fill = platform::ToQColor(image_->BackgroundColor());
        } else {
            fill = platform::ToQColor(platform::clWindow);
        }
        cacheFill_ = fill;
        cache_.fill(fill);
        savedIndex_ = -1;
        painter.begin(&cache_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        int start = 0;
        for (int i = n; i >= 1; --i) {
            TGIFFrame *f = image_->Frames(i);
            const bool wholeScreen = f->Width() == sw && f->Height() == sh && f->Origin() == QPoint(0, 0);
            // A frame that restores the background is a clean start only when it covers the whole
            // screen; a smaller one leaves the frames before it showing around its rectangle.
            if (wholeScreen && (f->TransparentColor() == clNone || (f->DisposalMethod() == 2 && i < n))) {
                start = i;
                break;
            }
        }
        for (int i = start; i < n; ++i) {
            const int disposal = image_->Frames(i)->DisposalMethod();
            if (disposal == 2) {
                if (i > start)
                    painter.fillRect(rectOf(i), fill);
            } else if (disposal != 3) {
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
                drawFrame(painter, i);
                painter.setCompositionMode(QPainter::CompositionMode_Source);
            }
        }
    } else {
        painter.begin(&cache_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const int disposal = image_->Frames(n - 1)->DisposalMethod();
        if (disposal == 2)
            painter.fillRect(rectOf(n - 1), cacheFill_);
        else if (disposal == 3)
            painter.drawImage(savedRect_.topLeft(), saved_);
    }
    if (image_->Frames(n)->DisposalMethod() == 3) {
        // What this frame covers comes back after it: one saved copy keeps each step as cheap as a frame.
        savedRect_ = rectOf(n);
        saved_ = cache_.copy(savedRect_);
        savedIndex_ = n;
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawFrame(painter, n);
    painter.end();
    cacheIndex_ = n;
}

bool TQvGIFAnimator::ShowsParent() const
{
    QMutexLocker lock(&Lock());
    return image_->Empty() || image_->Transparent();
}

void TQvGIFAnimator::DoPaintImage(QPainter &painter)
{
    QMutexLocker lock(&Lock());
    if (image_->Empty() || image_->ScreenWidth() < 1 || image_->ScreenHeight() < 1)
        return;
    compose(frameIndex_);
    if (cache_.isNull())
        return;
    QRect target;
    if (stretch_)
        target = rect();
    else if (center_)
        target = QRect((width() - cache_.width()) / 2, (height() - cache_.height()) / 2, cache_.width(), cache_.height());
    else
        target = QRect(0, 0, cache_.width(), cache_.height());
    if (cacheTransparent_ != clNone && !transparent_)
        painter.fillRect(target, platform::ToQColor(cacheTransparent_));
    painter.drawImage(target, cache_);
}

void TQvGIFAnimator::AdjustSize()
{
    if (!autoSize_ || Destroying())
        return;
    int w, h;
    {
        QMutexLocker lock(&Lock());
        if (image_->Empty())
            return;
        w = image_->ScreenWidth();
        h = image_->ScreenHeight();
    }
    if (w != width() || h != height())
        resize(w, h);
}

void TQvGIFAnimator::ReadData(QIODevice &stream)
{
    TGIFImage loaded;
    loaded.ReadData(stream);
    SetImage(&loaded);
}

void TQvGIFAnimator::WriteData(QIODevice &stream)
{
    QMutexLocker lock(&Lock());
    image_->WriteData(stream);
}

} // namespace gfx
