#include "alignlayout.h"

#include <QWidget>
#include <algorithm>

namespace speedbar {
namespace {

// Shown, or to be shown with its parent: only a child hidden on purpose leaves the alignment.
bool takesPart(const QWidget *w)
{
    return w && !(w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide));
}

} // namespace

TAlignLayout::TAlignLayout(QWidget *parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    // The layout never sizes its parent.
    setSizeConstraint(QLayout::SetNoConstraint);
}

TAlignLayout::~TAlignLayout()
{
    while (!entries_.isEmpty())
        delete entries_.takeLast().item;
}

TAlignLayout *TAlignLayout::Of(QWidget *parent, bool create)
{
    if (!parent)
        return nullptr;
    if (QLayout *l = parent->layout())
        return qobject_cast<TAlignLayout *>(l);
    return create ? new TAlignLayout(parent) : nullptr;
}

void TAlignLayout::SetAlign(QWidget *widget, TAlign align)
{
    for (Entry &e : entries_)
        if (e.item->widget() == widget) {
            e.align = align;
            Realign();
            return;
        }
    addChildWidget(widget);
    entries_.append({new QWidgetItem(widget), align});
    Realign();
}

TAlign TAlignLayout::AlignOf(const QWidget *widget) const
{
    for (const Entry &e : entries_)
        if (e.item->widget() == widget)
            return e.align;
    return alNone;
}

void TAlignLayout::addItem(QLayoutItem *item)
{
    entries_.append({item, alNone});
    invalidate();
}

QLayoutItem *TAlignLayout::itemAt(int index) const
{
    return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem *TAlignLayout::takeAt(int index)
{
    if (index < 0 || index >= entries_.size())
        return nullptr;
    QLayoutItem *item = entries_.takeAt(index).item;
    invalidate();
    return item;
}

QSize TAlignLayout::sizeHint() const
{
    return {0, 0};
}

QSize TAlignLayout::minimumSize() const
{
    return {0, 0};
}

QRect TAlignLayout::AlignArea() const
{
    const QWidget *parent = parentWidget();
    return parent ? parent->contentsRect().marginsRemoved(contentsMargins()) : QRect();
}

void TAlignLayout::Realign()
{
    if (isEnabled() && parentWidget())
        setGeometry(parentWidget()->contentsRect());
}

void TAlignLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    if (!isEnabled())
        return;
    QRect r = rect.marginsRemoved(contentsMargins());
    for (const TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        QList<QWidget *> group;
        for (const Entry &e : std::as_const(entries_))
            if (e.align == align && takesPart(e.item->widget()))
                group.append(e.item->widget());
        // In the order they stand, nearest to their edge first.
        std::stable_sort(group.begin(), group.end(), [align](const QWidget *a, const QWidget *b) {
            const QRect ga = a->geometry(), gb = b->geometry();
            switch (align) {
            case alTop: return ga.top() < gb.top();
            case alBottom: return ga.bottom() > gb.bottom();
            case alLeft: return ga.left() < gb.left();
            case alRight: return ga.right() > gb.right();
            default: return false;
            }
        });
        for (QWidget *w : std::as_const(group)) {
            const int h = w->height(), wd = w->width();
            switch (align) {
            case alTop:
                w->setGeometry(r.left(), r.top(), r.width(), h);
                r.setTop(r.top() + h);
                break;
            case alBottom:
                w->setGeometry(r.left(), r.bottom() + 1 - h, r.width(), h);
                r.setBottom(r.bottom() - h);
                break;
            case alLeft:
                w->setGeometry(r.left(), r.top(), wd, r.height());
                r.setLeft(r.left() + wd);
                break;
            case alRight:
                w->setGeometry(r.right() + 1 - wd, r.top(), wd, r.height());
                r.setRight(r.right() - wd);
                break;
            default:
                w->setGeometry(r.left(), r.top(), std::max(0, r.width()), std::max(0, r.height()));
                break;
            }
        }
    }
}

} // namespace speedbar
