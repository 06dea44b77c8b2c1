#include "transobject.h"

#include "controls/misc/strans.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QPainter>

namespace misc {

namespace {

QList<TTransObject *> &transparentOnes()
{
    static QList<TTransObject *> list;
    return list;
}

// Taking a background makes its source paint; that must not count as a change of the background.
int takingNesting = 0;

QRect screenRect(const QWidget *w)
{
    return {w->mapToGlobal(QPoint(0, 0)), w->size()};
}

// Watches the painting, sizing and moving of every control that is not transparent. Only a control's
// ancestors draw what lies under it (siblings and children are not part of the cached image), so only
// their changes make it take its background again; a repaint of the control itself never reaches them.
class Watch : public QObject {
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if ((t != QEvent::Paint && t != QEvent::Resize && t != QEvent::Move) || takingNesting > 0 ||
            !object->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(object);
        if (TTransObject::IsTransparent(w))
            return false;
        const QList<TTransObject *> ones = transparentOnes();
        for (TTransObject *one : ones) {
            QWidget *c = one->Owner();
            if (!c->isVisible() || !w->isAncestorOf(c))
                continue;
            if (c->parentWidget() == w || screenRect(c).intersects(screenRect(w)))
                one->Refresh();
        }
        return false;
    }
};

Watch *watch = nullptr;

void join(TTransObject *one)
{
    transparentOnes().append(one);
    if (!watch) {
        watch = new Watch;
        qApp->installEventFilter(watch);
    }
}

void leave(TTransObject *one)
{
    transparentOnes().removeOne(one);
    if (transparentOnes().isEmpty() && watch) {
        qApp->removeEventFilter(watch);
        delete watch;
        watch = nullptr;
    }
}

} // namespace

TTransObject::TTransObject(QWidget *owner, std::function<void(QPainter &)> paintControl)
    : owner_(owner), paintControl_(std::move(paintControl))
{
}

TTransObject::~TTransObject()
{
    if (transparent_)
        leave(this);
}

int TTransObject::TransparentCount()
{
    return int(transparentOnes().size());
}

bool TTransObject::Watching()
{
    return watch != nullptr;
}

bool TTransObject::IsTransparent(const QWidget *widget)
{
    for (const TTransObject *one : transparentOnes())
        if (one->owner_ == widget)
            return true;
    return false;
}

void TTransObject::SetTransparent(bool value)
{
    if (value == transparent_)
        return;
    transparent_ = value;
    if (transparent_) {
        join(this);
        // The control covers itself with the composed image: nothing under it needs painting first.
        hadOpaquePaint_ = owner_->testAttribute(Qt::WA_OpaquePaintEvent);
        owner_->setAttribute(Qt::WA_OpaquePaintEvent);
    } else {
        leave(this);
        owner_->setAttribute(Qt::WA_OpaquePaintEvent, hadOpaquePaint_);
        background_ = QPixmap();
    }
    Refresh();
}

void TTransObject::Polished()
{
    if (transparent_)
        owner_->setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTransObject::Refresh()
{
    stale_ = true;
    owner_->update();
    if (OnRefresh)
        OnRefresh();
}

QWidget *TTransObject::BackgroundSource() const
{
    QWidget *source = owner_->parentWidget();
    while (source && IsTransparent(source))
        source = source->parentWidget();
    return source;
}

void TTransObject::takeBackground()
{
    ++takingNesting;
    takenAt_ = owner_->geometry();
    QWidget *source = BackgroundSource();
    background_ = source ? ParentImage(source, QRect(owner_->mapTo(source, QPoint(0, 0)), owner_->size())) : QPixmap();
    stale_ = false;
    --takingNesting;
}

bool TTransObject::Paint()
{
    if (!transparent_)
        return false;
    if (BackgroundStale())
        takeBackground();
    if (background_.isNull())
        return false;
    QPixmap composed = background_;
    QPixmap image(owner_->size());
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setFont(owner_->font());
        p.setPen(owner_->palette().color(owner_->foregroundRole()));
        paintControl_(p);
    }
    {
        QPainter p(&composed);
        p.drawPixmap(0, 0, image);
    }
    QPainter(owner_).drawPixmap(0, 0, composed);
    return true;
}

} // namespace misc
