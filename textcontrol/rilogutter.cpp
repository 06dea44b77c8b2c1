#include "textcontrol/rilogutter.h"

#include "textcontrol/rilomemo.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

namespace textcontrol {

namespace {
// Ten 10 x 10 bookmark pictures in one strip; white is transparent.
QPixmap MakeIcons()
{
    QImage img(100, 10, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QFont f;
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    for (int n = 0; n < 10; ++n) {
        const QRect r(n * 10, 0, 10, 10);
        p.fillRect(r.adjusted(0, 0, -1, -1), QColor(0, 0, 128));
        p.setPen(QColor(255, 255, 0));
        p.drawText(r.adjusted(0, 0, -1, -1), Qt::AlignCenter, QString::number(n));
    }
    p.end();
    // White as the transparent colour.
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFFFFFF)
                line[x] = 0;
    }
    return QPixmap::fromImage(img);
}

// The digit of a key of the top row. With Shift most layouts report the symbol of the key, so the
// physical key (X11 key codes 10-19) decides then.
int DigitKey(const QKeyEvent &k)
{
    if (k.key() >= Qt::Key_0 && k.key() <= Qt::Key_9)
        return k.key() - Qt::Key_0;
    const quint32 code = k.nativeScanCode();
    if (code >= 10 && code <= 19 && QGuiApplication::platformName() == QLatin1String("xcb"))
        return int((code - 9) % 10);
    return -1;
}
} // namespace

TRiloGutter::TRiloGutter(QWidget *parent)
    : QWidget(parent), ControlDragMembers(new platform::ControlDrag(this)), icons_(MakeIcons())
{
    markLines_.fill(-1);
    resize(30, 50);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumWidth(30);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

TRiloGutter::~TRiloGutter() { Detach(); }

void TRiloGutter::FreeBookmarks()
{
    for (auto &m : marks_)
        m.reset();
    markLines_.fill(-1);
}

void TRiloGutter::Detach()
{
    for (auto *c : {&scrolled_, &changed_, &fontChanged_, &destroyed_, &counted_})
        disconnect(*c);
    if (memo_)
        memo_->removeEventFilter(this);
    FreeBookmarks();
    memo_ = nullptr;
}

void TRiloGutter::SetMemo(TRiloMemo *memo)
{
    if (memo == memo_)
        return;
    Detach();
    memo_ = memo;
    lineCount_ = -1;
    if (memo) {
        memo->installEventFilter(this);
        scrolled_ = connect(memo, &TRiloMemo::VScrolled, this, [this] { MemoScrolled(); });
        changed_ = connect(memo, &TRiloMemo::TextChanged, this, [this] { MemoChanged(); });
        fontChanged_ = connect(memo, &TRiloMemo::FontChanged, this, [this] { update(); });
        counted_ = connect(memo, &TRiloMemo::LineCountChanged, this, [this] { Fit(); });
        // The memo is going: its navigators are already detached, so freeing them is safe.
        destroyed_ = connect(memo, &QObject::destroyed, this, [this] {
            FreeBookmarks();
            memo_ = nullptr;
            Fit();
            update();
        });
    }
    Fit();
    update();
}

int TRiloGutter::NeededWidth() const
{
    if (!memo_ || !lineNumbers_)
        return 0;
    // The digits of the largest number, a pixel free on either side, and the two border lines.
    const int digits = int(QString::number(memo_->LineCount()).size());
    return digits * QFontMetrics(font()).horizontalAdvance(QLatin1Char('0')) + 4;
}

void TRiloGutter::Fit()
{
    // A width set from outside (not the one chosen here) is the least it keeps.
    if (!fitting_ && width() != fitted_)
        written_ = width();
    const int want = std::max(written_, NeededWidth());
    if (want == fitted_)
        return;
    fitted_ = want;
    fitting_ = true;
    resize(want, height()); // a layout places it by its size hint instead
    fitting_ = false;
    updateGeometry();
    update();
}

void TRiloGutter::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    Fit();
}

void TRiloGutter::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        Fit();
}

void TRiloGutter::SetAlignment(TAlignment a)
{
    alignment_ = a;
    update();
}

void TRiloGutter::SetLineNumbers(bool v)
{
    lineNumbers_ = v;
    Fit();
    update();
}

void TRiloGutter::SetColor(TColor c)
{
    color_ = c;
    parentColor_ = false;
    update();
}

void TRiloGutter::SetParentColor(bool v)
{
    parentColor_ = v;
    update();
}

int TRiloGutter::BookmarkLine(int n) const
{
    if (n < 0 || n > 9 || !marks_[size_t(n)] || !memo_)
        return -1;
    return memo_->LineOfOffset(marks_[size_t(n)]->Offset());
}

int TRiloGutter::BookmarkAtLine(int line) const
{
    for (int n = 0; n < 10; ++n)
        if (marks_[size_t(n)] && BookmarkLine(n) == line)
            return n;
    return -1;
}

bool TRiloGutter::SetBookmark(int line, int n)
{
    n &= 127;
    if (n > 9 || !memo_)
        return false; // only ten slots
    if (BookmarkLine(n) == line) {
        marks_[size_t(n)].reset();
        markLines_[size_t(n)] = -1;
        update();
        return true;
    }
    if (BookmarkAtLine(line) >= 0)
        return false;
    auto nav = std::make_unique<TRiloNavigator>(&memo_->Document());
    nav->SetOffset(memo_->LineStart(line));
    marks_[size_t(n)] = std::move(nav);
    update();
    return true;
}

bool TRiloGutter::eventFilter(QObject *watched, QEvent *e)
{
    // The type first: a memo being destroyed still sends events, and reading the pointer then is not sound.
    if (e->type() == QEvent::KeyPress && watched == memo_ && !memoFirst_) {
        auto *k = static_cast<QKeyEvent *>(e);
        const int d = DigitKey(*k);
        const Qt::KeyboardModifiers m = k->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        if (d < 0 || !(m & Qt::ControlModifier) || (m & Qt::AltModifier))
            return QWidget::eventFilter(watched, e);
        const bool set = m & Qt::ShiftModifier;
        if (!set && !marks_[size_t(d)])
            return false; // no bookmark to go to: the key is the memo's and its parents' as any other
        // The memo (and whoever listens to its keys) has the key first; the gutter acts after it.
        QPointer<TRiloMemo> memo = memo_;
        memoFirst_ = true;
        QCoreApplication::sendEvent(memo, e);
        memoFirst_ = false;
        e->accept(); // delivered once: the parents had it already if the memo let it go
        if (!memo || memo != memo_)
            return true;
        if (set) {
            SetBookmark(memo_->SelLine(), d);
            update();
        } else if (marks_[size_t(d)]) {
            memo_->SetSelLine(BookmarkLine(d));
            memo_->ScrollInView();
        }
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void TRiloGutter::mousePressEvent(QMouseEvent *e)
{
    pressed_ = e->button() == Qt::LeftButton;
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
}

void TRiloGutter::mouseMoveEvent(QMouseEvent *e)
{
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
}

void TRiloGutter::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(pos);
    if (e->button() == Qt::LeftButton)
        pressed_ = false;
    QPointer<TRiloGutter> self = this;
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), pos.x(), pos.y());
    if (self && click && OnClick)
        OnClick(this);
}

void TRiloGutter::mouseDoubleClickEvent(QMouseEvent *e)
{
    pressed_ = e->button() == Qt::LeftButton;
    QPointer<TRiloGutter> self = this;
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
    if (self && e->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
}

void TRiloGutter::contextMenuEvent(QContextMenuEvent *e)
{
    if (!popupMenu_) {
        QWidget::contextMenuEvent(e);
        return;
    }
    popupMenu_->popup(e->globalPos());
}

void TRiloGutter::MemoScrolled()
{
    if (!memo_)
        return;
    Fit();
    if (memo_->LineCount() == lineCount_) {
        const int now = memo_->TopLine() * memo_->LineHeight();
        const int dy = topPixel_ - now;
        topPixel_ = now;
        if (dy != 0) {
            if (std::abs(dy) < height())
                scroll(0, dy);
            else
                update();
        }
    } else {
        update();
    }
}

void TRiloGutter::MemoChanged()
{
    if (!memo_)
        return;
    bool repaint = memo_->LineCount() != lineCount_;
    for (int n = 0; n < 10 && !repaint; ++n)
        repaint = BookmarkLine(n) != markLines_[size_t(n)];
    lineCount_ = memo_->LineCount();
    Fit();
    if (repaint)
        update();
}

void TRiloGutter::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    const int w = width() - 2;
    // With ParentColor the gutter takes the colour of what it stands on.
    const QWidget *under = parentWidget() ? parentWidget() : this;
    p.fillRect(rect(), parentColor_ ? under->palette().color(under->backgroundRole()) : ToQColor(color_, palette()));
    if (width() > w) {
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(w, 0, w, height());
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(w + 1, 0, w + 1, height());
    }
    if (!memo_)
        return;
    TRiloMemo &m = *memo_;
    const int h = std::max(1, m.LineHeight());
    topPixel_ = m.TopLine() * h;
    lineCount_ = m.LineCount();
    if (std::max(written_, NeededWidth()) != fitted_)
        QTimer::singleShot(0, this, [this] { Fit(); }); // lines that formatting added meanwhile
    for (int n = 0; n < 10; ++n)
        markLines_[size_t(n)] = BookmarkLine(n);
    // The memo's lines start below its frame.
    const int memoTop = m.viewport()->mapTo(window(), QPoint(0, 0)).y() - mapTo(window(), QPoint(0, 0)).y();
    const QRect area = e->rect();
    const int top = m.TopLine();
    int line = top + std::max(0, area.top() - memoTop) / h;
    int y = memoTop + (line - top) * h;
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm(font());
    const int digitW = alignment_ == TAlignment::taLeftJustify ? 0 : fm.horizontalAdvance(QLatin1Char('0'));
    const int iconY = std::max((h - 10) / 2, m.BaselineOffset() - 10);
    for (; y < height() && y <= area.bottom() && line < m.LineCount(); ++line, y += h) {
        const int n = BookmarkAtLine(line);
        if (n >= 0) {
            const int x = alignment_ == TAlignment::taLeftJustify ? 2 : alignment_ == TAlignment::taRightJustify ? w - 10 : (w - 10) / 2;
            p.drawPixmap(x, y + iconY, icons_, n * 10, 0, 10, 10);
        } else if (lineNumbers_) {
            const QString s = QString::number(line + 1);
            const int tw = int(s.size()) * digitW;
            const int x = alignment_ == TAlignment::taLeftJustify ? 0 : alignment_ == TAlignment::taRightJustify ? w - tw : (w - tw) / 2;
            p.drawText(x, y + m.BaselineOffset(), s);
        }
    }
}

} // namespace textcontrol
