#include "qvhint.h"

#include "controls/qv/qvutils.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <cmath>

namespace qv {
namespace {

constexpr int kTail = 10;      // room the tail takes above or below the body
constexpr int kTailInset = 10; // from the body's near end to the tip
constexpr int kTailBase = 8;   // width of the tail where it meets the body
constexpr int kCorner = 6;     // radius of the rounded corners

THintStyle currentStyle;

bool screenCanBeGrabbed()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")
           && !platform.startsWith(QLatin1String("wayland"));
}

QScreen *screenAt(const QPoint &p)
{
    QScreen *s = QGuiApplication::screenAt(p);
    return s ? s : QGuiApplication::primaryScreen();
}

bool anyDecoration(const THintStyle &s)
{
    return s.Shape != hsRectangle || s.ShadowSize > 0 || s.Tail;
}

// Shows the hints of the application's widgets in our window.
class HintFilter : public QObject {
public:
    explicit HintFilter(QObject *parent) : QObject(parent), timer_(new QTimer(this))
    {
        timer_->setSingleShot(true);
        connect(timer_, &QTimer::timeout, this, [this] { hide(); });
    }
    ~HintFilter() override { delete window_; }

    TQvHintWindow *Window()
    {
        if (!window_)
            window_ = new TQvHintWindow;
        return window_;
    }
    void hide()
    {
        timer_->stop();
        owner_ = nullptr;
        if (window_)
            window_->ReleaseHint();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ToolTip: {
            auto *w = qobject_cast<QWidget *>(watched);
            if (!w || w->toolTip().isEmpty() || w == window_)
                return false;
            const QPoint cursor = static_cast<QHelpEvent *>(event)->globalPos();
            QScreen *screen = screenAt(cursor);
            TQvHintWindow *hint = Window();
            QRect r = hint->CalcHintRect(screen ? screen->availableGeometry().width() : 640, w->toolTip());
            r.moveTopLeft(cursor + QPoint(0, 20));
            QToolTip::hideText();
            hint->ActivateHint(r, w->toolTip(), cursor);
            owner_ = w;
            timer_->start(kHintHidePause);
            return true;
        }
        case QEvent::Leave:
            if (watched == owner_)
                hide();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::WindowDeactivate:
            if (window_ && window_->isVisible())
                hide();
            break;
        default: break;
        }
        return false;
    }

private:
    QPointer<TQvHintWindow> window_;
    QPointer<QWidget> owner_;
    QTimer *timer_;
};

QPointer<HintFilter> installed;

} // namespace

TQvHintWindow::TQvHintWindow(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFont(QApplication::font("QStatusBar"));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
}

int TQvHintWindow::textFlags(TAlignment alignment)
{
    return int(HorizontalAlignment(alignment)) | Qt::AlignTop | Qt::TextWordWrap;
}

QSize TQvHintWindow::textSize(int maxWidth, const QString &hint, TAlignment alignment) const
{
    return fontMetrics().boundingRect(QRect(0, 0, std::max(1, maxWidth), 0), textFlags(alignment), hint).size();
}

int TQvHintWindow::tailInset(const THintStyle &s, int bodyWidth)
{
    // An ellipse is too round near its ends for a tail to join it there.
    return s.Shape == hsEllipse ? bodyWidth / 4 : kTailInset;
}

QRect TQvHintWindow::CalcHintRect(int maxWidth, const QString &hint) const
{
    const THintStyle &s = currentStyle;
    const QSize t = textSize(maxWidth, hint, s.Alignment);
    int w = t.width() + 6, h = t.height() + 2;
    if (s.Shape == hsRoundRect) {
        w += 8;
        h += 4;
    } else if (s.Shape == hsEllipse) {
        // An ellipse through the corners of a box has axes √2 times the box's.
        w = int(std::ceil(w * M_SQRT2)) + 2;
        h = int(std::ceil(h * M_SQRT2)) + 2;
    }
    if (s.Tail) {
        w = std::max(w, kTailInset + kTailBase + 4);
        h += kTail;
    }
    const int shadow = std::max(0, s.ShadowSize);
    return QRect(0, 0, w + shadow, h + shadow);
}

QRect TQvHintWindow::BodyRect() const
{
    const int shadow = std::max(0, style_.ShadowSize);
    const int tail = style_.Tail ? kTail : 0;
    const bool below = tailPosition_ == tpBelowLeft || tailPosition_ == tpBelowRight;
    return QRect(0, below ? tail : 0, width() - shadow, height() - shadow - tail);
}

QRect TQvHintWindow::TextRect() const
{
    const QRect body = BodyRect();
    QRect r;
    switch (style_.Shape) {
    case hsRectangle: r = body.adjusted(1, 1, -1, -1); break;
    case hsRoundRect: r = body.adjusted(5, 3, -5, -3); break;
    case hsEllipse: {
        // The box whose corners touch the ellipse, less the margins.
        r = QRect(0, 0, int((body.width() - 2) / M_SQRT2) - 2, int((body.height() - 2) / M_SQRT2) - 2);
        r.moveCenter(body.center());
        break;
    }
    }
    // Left-aligned text starts 2 pixels further in; the box keeps its right side, still wide enough.
    if (style_.Alignment == taLeftJustify)
        r.setLeft(r.left() + 2);
    return r;
}

QPainterPath TQvHintWindow::BodyPath() const
{
    const QRect body = BodyRect();
    QPainterPath path;
    switch (style_.Shape) {
    case hsRectangle: path.addRect(body); break;
    case hsRoundRect: path.addRoundedRect(body, kCorner, kCorner); break;
    case hsEllipse: path.addEllipse(body); break;
    }
    if (!style_.Tail)
        return path;
    const bool below = tailPosition_ == tpBelowLeft || tailPosition_ == tpBelowRight;
    const bool left = tailPosition_ == tpBelowLeft || tailPosition_ == tpAboveLeft;
    // The tip is at the cursor's side; the base lies inside the body so that the two join.
    const int inset = tailInset(style_, body.width());
    const int tipX = left ? body.right() - inset : body.left() + inset;
    const int tipY = below ? 0 : height() - std::max(0, style_.ShadowSize) - 1;
    const int depth = style_.Shape == hsEllipse ? body.height() / 3 : kCorner;
    const int baseY = below ? body.top() + depth : body.bottom() - depth;
    const int otherX = left ? tipX - kTailBase : tipX + kTailBase;
    QPainterPath tail;
    tail.moveTo(tipX, tipY);
    tail.lineTo(tipX, baseY);
    tail.lineTo(otherX, baseY);
    tail.closeSubpath();
    return path.united(tail);
}

void TQvHintWindow::ActivateHint(const QRect &rect, const QString &hint)
{
    ActivateHint(rect, hint, QCursor::pos());
}

void TQvHintWindow::ActivateHint(const QRect &rect, const QString &hint, const QPoint &cursor)
{
    style_ = currentStyle;
    hint_ = hint;
    QScreen *screen = screenAt(cursor);
    const QRect area = screen ? screen->geometry() : QRect(rect.topLeft(), rect.size());
    QRect r = rect;
    const int shadow = std::max(0, style_.ShadowSize);
    if (style_.Tail) {
        // Below and right of the cursor unless that leaves the screen; the tip 3 pixels from it.
        const int bodyWidth = r.width() - shadow;
        const int inset = tailInset(style_, bodyWidth);
        auto place = [&](bool below, bool left) {
            const int x = left ? cursor.x() - (bodyWidth - 1 - inset) : cursor.x() - inset;
            const int y = below ? cursor.y() + 3 : cursor.y() - 3 - (r.height() - shadow - 1);
            r.moveTo(x, y);
        };
        bool below = true, left = false;
        place(below, left);
        if (r.right() > area.right())
            left = true;
        if (r.bottom() > area.bottom())
            below = false;
        place(below, left);
        tailPosition_ = THintTailPosition((below ? 0 : 2) + (left ? 0 : 1));
    } else {
        if (r.right() > area.right())
            r.moveRight(area.right());
        if (r.bottom() > area.bottom())
            r.moveBottom(cursor.y() - 3);
        tailPosition_ = THintTailPosition((r.top() > cursor.y() ? 0 : 2) + (r.left() < cursor.x() ? 0 : 1));
    }
    // Whatever the placement, the whole hint stays on the screen.
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.top() < area.top())
        r.moveTop(area.top());

    hide();
    snapshot_ = QPixmap();
    if (anyDecoration(style_) && screen && screenCanBeGrabbed())
        snapshot_ = screen->grabWindow(0, r.x() - screen->geometry().x(), r.y() - screen->geometry().y(), r.width(),
                                       r.height());
    setGeometry(r);
    show();
    update();
}

void TQvHintWindow::ReleaseHint()
{
    hide();
}

void TQvHintWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette pal = palette();
    if (!snapshot_.isNull())
        p.drawPixmap(0, 0, snapshot_);
    const QPainterPath body = BodyPath();
    const int shadow = std::max(0, style_.ShadowSize);
    if (shadow > 0) {
        const QImage pattern = MakeCheckerPattern(pal.color(QPalette::Button), pal.color(QPalette::Dark));
        p.fillPath(body.translated(shadow, shadow), QBrush(pattern));
    }
    p.fillPath(body, pal.color(QPalette::ToolTipBase));
    if (style_.Shape != hsRectangle || style_.Tail) {
        p.setPen(pal.color(QPalette::ToolTipText));
        p.setBrush(Qt::NoBrush);
        p.drawPath(body);
    } else {
        const QRect r = BodyRect();
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    p.setPen(pal.color(QPalette::ToolTipText));
    p.drawText(TextRect(), textFlags(style_.Alignment), hint_);
}

void SetHintStyle(THintShape shape, int shadowSize, bool tail, TAlignment alignment)
{
    currentStyle = THintStyle{shape, std::max(0, shadowSize), tail, alignment};
    QToolTip::hideText();
    if (installed) {
        installed->hide();
        return;
    }
    if (!qApp)
        return;
    installed = new HintFilter(qApp);
    qApp->installEventFilter(installed);
}

THintStyle HintStyle()
{
    return currentStyle;
}

TQvHintWindow *ApplicationHintWindow()
{
    return installed ? installed->Window() : nullptr;
}

} // namespace qv
