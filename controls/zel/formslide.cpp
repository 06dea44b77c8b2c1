#include "formslide.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <algorithm>
#include <cstring>
#include <optional>

namespace zel {

namespace {

const char *const effectNames[SlideEffectCount] = {
    "efRandom", "efNone", "efWipeTopToBottom", "efWipeBottomToTop", "efWipeLeftToRight", "efWipeRightToLeft",
    "efStretchUp", "efStretchDown", "efStretchLeft", "efStretchRight", "efCloseHorizontalCurtain",
    "efOpenHorizontalCurtain", "efCloseVerticalCurtain", "efOpenVerticalCurtain", "efVerticalInterlace",
    "efHorizontalInterlace", "efLeftRightDoppel", "efTopBottomDoppel", "efRightLeftDoppel", "efBottomTopDoppel",
    "efLeftRightDoppelInOut", "efTopBottomDoppelInOut", "efRightLeftDoppelInOut", "efBottomTopDoppelInOut",
    "efLeftTopToRightBottomWipe", "efLeftBottomToRightTopWipe", "efRightTopToLeftBottomWipe",
    "efRightBottomToLeftTopWipe", "efLTRBClosingCurtain", "efRTLBClosingCurtain", "efQuadVerticalInterlace",
    "efQuadHorizontalInterlace", "efDoppelVerticalInterlace", "efDoppelHorizontalInterlace", "efVerticalQuadUp",
    "efVerticalDoppelDown", "efVeticalQuadDown", "efVerticalDoppelUp", "efWipeEffect1", "efWipeEffect2",
    "efWipeEffect3", "efBitBlt", "efDripVertical", "efDripHorizontal", "efStepWipeVertical", "efStepWipeHorizontal",
    "efScreenOff", "efFadeDown", "efWipeEffect4", "efWipeEffect5", "efWipeEffect6", "efHorizontalQuadLeft",
    "efHorizontalDoppelRight", "efHorizontalQuadRight", "efHorizontalDoppelLeft"};

// Runs body(i) for i = 0 .. n-1, or backwards.
template <class F>
void loop(int n, bool backwards, F body)
{
    for (int k = 0; k < n; ++k)
        body(backwards ? n - 1 - k : k);
}

} // namespace

const char *SlideEffectName(TZELSlideeffects effect)
{
    return effect >= 0 && effect < SlideEffectCount ? effectNames[effect] : "";
}

TSlideSteps::TSlideSteps(TZELSlideeffects effect, int width, int height) : w_(width), h_(height)
{
    // A picture without pixels has nothing to copy; no effect divides by its size.
    if (w_ > 0 && h_ > 0)
        build(effect);
    starts_.push_back(int(copies_.size()));
}

std::span<const TSlideCopy> TSlideSteps::Step(int n) const
{
    if (n < 0 || n >= Count())
        return {};
    return std::span<const TSlideCopy>(copies_).subspan(size_t(starts_[size_t(n)]),
                                                        size_t(starts_[size_t(n) + 1] - starts_[size_t(n)]));
}

void TSlideSteps::rect(int x, int y, int w, int h)
{
    const QRect r = QRect(x, y, w, h) & QRect(0, 0, w_, h_);
    if (!r.isEmpty())
        copies_.push_back({r, r});
}

void TSlideSteps::copy(const QRect &source, const QRect &target)
{
    const QRect pic(0, 0, w_, h_);
    if (!source.isEmpty() && !target.isEmpty() && pic.contains(source) && pic.contains(target))
        copies_.push_back({source, target});
}

void TSlideSteps::rowEvery(int y, int x0, int stride)
{
    for (int x = x0; x < w_; x += stride)
        px(x, y);
}

void TSlideSteps::colEvery(int x, int y0, int stride)
{
    for (int y = y0; y < h_; y += stride)
        px(x, y);
}

// The pixels whose distances from the chosen corner add up to k.
void TSlideSteps::diag(int k, bool flipX, bool flipY)
{
    for (int dx = std::max(0, k - (h_ - 1)); dx <= std::min(k, w_ - 1); ++dx) {
        const int dy = k - dx;
        px(flipX ? w_ - 1 - dx : dx, flipY ? h_ - 1 - dy : dy);
    }
}

void TSlideSteps::build(TZELSlideeffects e)
{
    const int w = w_, h = h_;
    const QRect whole(0, 0, w, h);
    const int qx = (w + 1) / 2, qy = (h + 1) / 2; // the first half's size
    auto row = [this, w](int y) { rect(0, y, w, 1); };
    auto col = [this, h](int x) { rect(x, 0, 1, h); };

    switch (e) {
    case efRandom:
        break;
    case efNone:
        step();
        copy(whole, whole);
        break;
    case efWipeTopToBottom:
    case efWipeBottomToTop:
        loop(h, e == efWipeBottomToTop, [&](int y) { step(), row(y); });
        break;
    case efWipeLeftToRight:
    case efWipeRightToLeft:
        loop(w, e == efWipeRightToLeft, [&](int x) { step(), col(x); });
        break;
    case efStretchUp:
    case efStretchDown: {
        const int s = std::max(1, h / 30);
        for (int y = 0; y < h; y += s) {
            step();
            if (y > 0)
                copy(whole, e == efStretchUp ? QRect(0, h - y, w, y) : QRect(0, 0, w, y));
        }
        step();
        copy(whole, whole);
        break;
    }
    case efStretchLeft:
    case efStretchRight: {
        const int s = std::max(1, w / 30);
        for (int x = 0; x < w; x += s) {
            step();
            if (x > 0)
                copy(whole, e == efStretchLeft ? QRect(w - x, 0, x, h) : QRect(0, 0, x, h));
        }
        step();
        copy(whole, whole);
        break;
    }
    case efCloseHorizontalCurtain:
    case efOpenHorizontalCurtain:
        loop(qx, e == efOpenHorizontalCurtain, [&](int i) {
            step(), col(i);
            if (w - 1 - i != i)
                col(w - 1 - i);
        });
        break;
    case efCloseVerticalCurtain:
    case efOpenVerticalCurtain:
        loop(qy, e == efOpenVerticalCurtain, [&](int i) {
            step(), row(i);
            if (h - 1 - i != i)
                row(h - 1 - i);
        });
        break;
    case efVerticalInterlace: // odd rows from the left, even rows from the right
        for (int i = 0; i < w; ++i) {
            step();
            colEvery(i, 1, 2);
            colEvery(w - 1 - i, 0, 2);
        }
        break;
    case efHorizontalInterlace:
        for (int i = 0; i < h; ++i) {
            step();
            rowEvery(i, 1, 2);
            rowEvery(h - 1 - i, 0, 2);
        }
        break;
    case efLeftRightDoppel:
    case efRightLeftDoppel:
        for (int p = 0; p < 2; ++p)
            loop(w, e == efRightLeftDoppel, [&](int x) { step(), colEvery(x, p, 2); });
        break;
    case efTopBottomDoppel:
    case efBottomTopDoppel:
        for (int p = 0; p < 2; ++p)
            loop(h, e == efBottomTopDoppel, [&](int y) { step(), rowEvery(y, p, 2); });
        break;
    case efLeftRightDoppelInOut:
    case efRightLeftDoppelInOut: {
        const bool back = e == efRightLeftDoppelInOut;
        loop(w, back, [&](int x) { step(), colEvery(x, 1, 2); });
        loop(w, !back, [&](int x) { step(), colEvery(x, 0, 2); });
        break;
    }
    case efTopBottomDoppelInOut:
    case efBottomTopDoppelInOut: {
        const bool back = e == efBottomTopDoppelInOut;
        loop(h, back, [&](int y) { step(), rowEvery(y, 1, 2); });
        loop(h, !back, [&](int y) { step(), rowEvery(y, 0, 2); });
        break;
    }
    case efLeftTopToRightBottomWipe:
    case efLeftBottomToRightTopWipe:
    case efRightTopToLeftBottomWipe:
    case efRightBottomToLeftTopWipe: {
        const bool flipX = e == efRightTopToLeftBottomWipe || e == efRightBottomToLeftTopWipe;
        const bool flipY = e == efLeftBottomToRightTopWipe || e == efRightBottomToLeftTopWipe;
        for (int k = 0; k <= w + h - 2; ++k)
            step(), diag(k, flipX, flipY);
        break;
    }
    case efLTRBClosingCurtain:
    case efRTLBClosingCurtain: {
        const bool flipX = e == efRTLBClosingCurtain;
        const int last = w + h - 2;
        for (int n = 0; n <= last - n; ++n) {
            step(), diag(n, flipX, false);
            if (last - n != n)
                diag(last - n, flipX, false);
        }
        break;
    }
    case efQuadVerticalInterlace: {
        const int q = (w + 3) / 4;
        for (int r = 0; r < h; ++r) {
            step();
            for (int b = 0; b < 4; ++b)
                rect(b * q, b % 2 ? h - 1 - r : r, q, 1);
        }
        break;
    }
    case efQuadHorizontalInterlace: {
        const int q = (h + 3) / 4;
        for (int c = 0; c < w; ++c) {
            step();
            for (int b = 0; b < 4; ++b)
                rect(b % 2 ? w - 1 - c : c, b * q, 1, q);
        }
        break;
    }
    case efDoppelVerticalInterlace:
        for (int r = 0; r < h; ++r) {
            step();
            rect(0, r, qx, 1);
            rect(qx, h - 1 - r, w - qx, 1);
        }
        break;
    case efDoppelHorizontalInterlace:
        for (int c = 0; c < w; ++c) {
            step();
            rect(c, 0, 1, qy);
            rect(w - 1 - c, qy, 1, h - qy);
        }
        break;
    case efVerticalQuadUp:
    case efVeticalQuadDown: // the left half fills downwards, the right half upwards
        loop(qy, e == efVeticalQuadDown, [&](int r) {
            step();
            rect(0, r, qx, 1);
            rect(0, qy + r, qx, 1);
            rect(qx, qy - 1 - r, w - qx, 1);
            if (h - 1 - r >= qy)
                rect(qx, h - 1 - r, w - qx, 1);
        });
        break;
    case efVerticalDoppelDown:
    case efVerticalDoppelUp:
        loop(qy, e == efVerticalDoppelUp, [&](int r) {
            step();
            row(r);
            rect(0, qy + r, w, 1);
        });
        break;
    case efWipeEffect1:
    case efWipeEffect2:
    case efWipeEffect3: {
        // The middle third of the rows opens (or closes) sideways, then the outer thirds follow.
        const int t = (h + 2) / 3, mid = std::min(2 * t, h) - t, cx = w / 2;
        loop(w - cx, e != efWipeEffect1, [&](int k) {
            step();
            rect(cx - 1 - k, t, 1, mid);
            rect(cx + k, t, 1, mid);
        });
        loop(t, e == efWipeEffect3, [&](int k) {
            step();
            rect(0, t - 1 - k, w, 1);
            rect(0, 2 * t + k, w, 1);
        });
        break;
    }
    case efWipeEffect4:
    case efWipeEffect5:
    case efWipeEffect6: {
        const int t = (w + 2) / 3, mid = std::min(2 * t, w) - t, cy = h / 2;
        loop(h - cy, e != efWipeEffect4, [&](int k) {
            step();
            rect(t, cy - 1 - k, mid, 1);
            rect(t, cy + k, mid, 1);
        });
        loop(t, e == efWipeEffect6, [&](int k) {
            step();
            rect(t - 1 - k, 0, 1, h);
            rect(2 * t + k, 0, 1, h);
        });
        break;
    }
    case efBitBlt: {
        // A 3 x 3 ordered pattern: one pass per place in the cell, a row of cells per step.
        static const int offsets[9][2] = {{1, 1}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {0, 0}};
        for (const auto &o : offsets) {
            if (o[0] >= w)
                continue;
            for (int y = o[1]; y < h; y += 3)
                step(), rowEvery(y, o[0], 3);
        }
        break;
    }
    case efDripVertical: // each row falls from the top to its place, the bottom row first
        for (int r = h - 1; r >= 0; --r)
            step(), copy(QRect(0, r, w, 1), QRect(0, 0, w, r + 1));
        break;
    case efDripHorizontal:
        for (int c = w - 1; c >= 0; --c)
            step(), copy(QRect(c, 0, 1, h), QRect(0, 0, c + 1, h));
        break;
    case efStepWipeVertical:
        for (int p = 0; p < 2; ++p)
            for (int x = p; x < w; x += 2)
                loop(h, x % 2 == 1, [&](int y) { step(), px(x, y); });
        break;
    case efStepWipeHorizontal:
        for (int p = 0; p < 2; ++p)
            for (int y = p; y < h; y += 2)
                loop(w, y % 2 == 1, [&](int x) { step(), px(x, y); });
        break;
    case efScreenOff: { // a spiral from the border inwards
        int l = 0, t = 0, r = w - 1, b = h - 1;
        while (l <= r && t <= b) {
            step(), rect(l, t, r - l + 1, 1);
            step(), rect(r, t, 1, b - t + 1);
            step(), rect(l, b, r - l + 1, 1);
            step(), rect(l, t, 1, b - t + 1);
            ++l, ++t, --r, --b;
        }
        break;
    }
    case efFadeDown: // a checkerboard in two passes, top to bottom
        for (int p = 0; p < 2; ++p)
            for (int y = 0; y < h; ++y)
                step(), rowEvery(y, (y + p) % 2, 2);
        break;
    case efHorizontalQuadLeft:
    case efHorizontalQuadRight: // the top half fills rightwards, the bottom half leftwards
        loop(qx, e == efHorizontalQuadRight, [&](int c) {
            step();
            rect(c, 0, 1, qy);
            rect(c + qx, 0, 1, qy);
            rect(qx - 1 - c, qy, 1, h - qy);
            if (w - 1 - c >= qx)
                rect(w - 1 - c, qy, 1, h - qy);
        });
        break;
    case efHorizontalDoppelRight:
    case efHorizontalDoppelLeft:
        loop(qx, e == efHorizontalDoppelLeft, [&](int c) {
            step();
            col(c);
            rect(c + qx, 0, 1, h);
        });
        break;
    }
}

void ApplySlideCopies(QImage &target, const QImage &source, std::span<const TSlideCopy> copies)
{
    if (target.isNull() || source.isNull() || target.format() != source.format())
        return;
    const int bpp = target.depth() / 8;
    const QRect bounds = target.rect() & source.rect();
    std::optional<QPainter> painter;
    for (const TSlideCopy &c : copies) {
        if (!bounds.contains(c.source) || !bounds.contains(c.target))
            continue;
        const QRect s = c.source, t = c.target;
        if (s.size() == t.size() || (s.height() == 1 && s.width() == t.width())) {
            painter.reset(); // raw copies and a painter never work on the picture at once
            // Row by row; one source row is repeated down the whole target.
            for (int y = 0; y < t.height(); ++y) {
                const uchar *from = source.constScanLine(s.height() == 1 ? s.top() : s.top() + y) + s.left() * bpp;
                std::memcpy(target.scanLine(t.top() + y) + t.left() * bpp, from, size_t(t.width() * bpp));
            }
        } else if (s.width() == 1 && s.height() == t.height()) {
            painter.reset();
            // One source column repeated across the target.
            for (int y = 0; y < t.height(); ++y) {
                const uchar *from = source.constScanLine(s.top() + y) + s.left() * bpp;
                uchar *to = target.scanLine(t.top() + y) + t.left() * bpp;
                if (bpp == 4) {
                    quint32 pixel;
                    std::memcpy(&pixel, from, 4);
                    std::fill_n(reinterpret_cast<quint32 *>(to), t.width(), pixel);
                } else {
                    for (int x = 0; x < t.width(); ++x)
                        std::memcpy(to + x * bpp, from, size_t(bpp));
                }
            }
        } else {
            if (!painter)
                painter.emplace(&target);
            painter->drawImage(t, source, s);
        }
    }
}

TZELFormSlide::TZELFormSlide(QWidget *parent) : QWidget(parent)
{
    Random = [](quint32 bound) { return QRandomGenerator::global()->bounded(bound); };
    timer_.setInterval(16);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TZELFormSlide::tick);
}

TZELFormSlide::~TZELFormSlide()
{
    timer_.stop();
    OnHandBack = nullptr;
    OnDone = nullptr;
}

void TZELFormSlide::ShowForm(QWidget *form)
{
    if (!form || form == current_ || busy_)
        return;
    busy_ = true;
    freeOld_ = FreeOldForm;
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    // What the control shows now is where the transition starts.
    snapshot_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    snapshot_.setDevicePixelRatio(dpr);
    snapshot_.fill(palette().color(backgroundRole()));
    old_ = current_;
    oldParent_ = currentParent_;
    if (old_) {
        QPainter p(&snapshot_);
        p.drawImage(QPoint(0, 0), old_->grab().toImage());
    }

    // The new form is laid out at the control's size where it cannot be seen, and its picture taken.
    current_ = form;
    currentParent_ = form->parentWidget();
    form->setWindowFlags(Qt::Widget);
    form->setParent(this);
    form->setGeometry(QRect(QPoint(width() + 1, height() + 1), size()));
    form->show();
    source_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    source_.setDevicePixelRatio(dpr);
    source_.fill(palette().color(backgroundRole()));
    {
        QPainter p(&source_);
        p.drawImage(QPoint(0, 0), form->grab().toImage());
    }

    TZELSlideeffects effect = effect_;
    if (effect == efRandom)
        effect = TZELSlideeffects(1 + int(Random ? Random(SlideEffectCount - 1) % (SlideEffectCount - 1) : 0));
    steps_ = std::make_unique<TSlideSteps>(effect, source_.width(), source_.height());
    done_ = 0;
    last_ = TTransition();
    last_.effect = effect;
    last_.steps = steps_->Count();
    clock_.start();
    update();
    if (steps_->Count() == 0)
        finish();
    else
        timer_.start();
}

void TZELFormSlide::tick()
{
    if (!busy_ || !steps_)
        return;
    QElapsedTimer frame;
    frame.start();
    const int count = steps_->Count();
    const qint64 elapsed = clock_.elapsed();
    int target = count;
    if (elapsed < Duration)
        target = std::max(done_ + 1, int((qint64(count) * elapsed + Duration - 1) / Duration));
    target = std::min(target, count);
    for (; done_ < target; ++done_)
        ApplySlideCopies(snapshot_, source_, steps_->Step(done_));
    repaint();
    ++last_.frames;
    last_.longestFrameNs = std::max(last_.longestFrameNs, frame.nsecsElapsed());
    if (done_ >= count)
        finish();
}

void TZELFormSlide::Finish()
{
    if (!busy_)
        return;
    if (steps_)
        for (; done_ < steps_->Count(); ++done_)
            ApplySlideCopies(snapshot_, source_, steps_->Step(done_));
    finish();
}

void TZELFormSlide::finish()
{
    timer_.stop();
    last_.totalNs = clock_.nsecsElapsed();
    if (current_)
        current_->setGeometry(rect());
    if (QWidget *old = old_) {
        old_ = nullptr;
        if (freeOld_) {
            old->hide();
            old->deleteLater();
        } else {
            old->hide();
            old->setParent(oldParent_);
            if (OnHandBack)
                OnHandBack(old);
        }
    }
    oldParent_ = nullptr;
    FreeOldForm = false;
    freeOld_ = false;
    busy_ = false;
    steps_.reset();
    source_ = QImage();
    update();
    if (OnDone)
        OnDone();
}

void TZELFormSlide::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (busy_)
        p.drawImage(QPoint(0, 0), snapshot_);
}

void TZELFormSlide::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (current_ && !busy_)
        current_->setGeometry(rect());
}

} // namespace zel
