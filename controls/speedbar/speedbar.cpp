#include "speedbar.h"

#include "controls/qv/qvround.h"
#include "controls/qv/qvutils.h"
#include "controls/speedbar/speedbarsetup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <climits>
#include <cmath>

namespace speedbar {
namespace {

QString positionError()
{
    return QStringLiteral("Cannot set this property value while Position is bpAuto");
}

int screenPixelsPerInch()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInch()) : 96;
}

bool horizontalEdge(int align)
{
    return align == alTop || align == alBottom;
}

bool verticalEdge(int align)
{
    return align == alLeft || align == alRight;
}

bool anEdge(int align)
{
    return horizontalEdge(align) || verticalEdge(align);
}

// value * m / d rounded half away from zero; 64 bits in between so that large sizes cannot overflow.
int mulDiv(int value, int m, int d)
{
    if (d == 0)
        return value;
    const qint64 n = qint64(value) * m;
    const qint64 half = std::abs(qint64(d)) / 2;
    const qint64 r = ((n < 0) != (d < 0)) ? (n - (n < 0 ? half : -half)) / d : (n + (n < 0 ? -half : half)) / d;
    return qv::ClampToInt(r);
}

// "Button<n>" with n written without leading zeros; 0 for any other key.
int buttonKeyNumber(const QString &key)
{
    const QString k = key.trimmed();
    if (!k.startsWith(QLatin1String("Button"), Qt::CaseInsensitive))
        return 0;
    const QString digits = k.mid(6);
    if (digits.isEmpty() || digits.size() > 10)
        return 0;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && QString::number(n) == digits ? n : 0;
}

} // namespace

// TSpeedbarButton

TSpeedbarButton::TSpeedbarButton(TSpeedItem *item) : qv::TQvSpeedButton(nullptr), item_(item)
{
    setObjectName(QString());
    hide();
    SetStyle(qv::bsNew);
    SetParentShowHint(true);
}

TSpeedbarButton::~TSpeedbarButton()
{
    endDrag();
}

void TSpeedbarButton::SetBounds(int left, int top, int width, int height)
{
    if (const TSpeedBar *bar = item_ ? item_->SpeedBar() : nullptr) {
        if (bar->Orientation() == boHorizontal)
            top = std::max(top, bar->BtnOffsetVert());
        else
            left = std::max(left, bar->BtnOffsetHorz());
    }
    // A place from a stored layout can be any number: held to what a window's coordinates hold, so that
    // its far edge is still a number.
    constexpr int far = 32767;
    setGeometry(std::clamp(left, -far, far), std::clamp(top, -far, far), std::clamp(width, 0, far), std::clamp(height, 0, far));
}

bool TSpeedbarButton::customising() const
{
    return item_ && item_->Customizing() && item_->SpeedBar();
}

QPoint TSpeedbarButton::dropPoint(QMouseEvent *e) const
{
    const QSize size = dragImage_ ? dragImage_->size() : this->size();
    return item_->SpeedBar()->mapFromGlobal(e->globalPosition().toPoint() - QPoint(size.width(), size.height()));
}

void TSpeedbarButton::endDrag()
{
    delete dragImage_;
    dragImage_ = nullptr;
}

void TSpeedbarButton::mousePressEvent(QMouseEvent *e)
{
    if (!customising()) {
        qv::TQvSpeedButton::mousePressEvent(e);
        return;
    }
    if (e->button() != Qt::LeftButton || !isVisible())
        return;
    const TSpeedBar *bar = item_->SpeedBar();
    // The mouse holds the face by its bottom-right corner.
    QCursor::setPos(mapToGlobal(QPoint(bar->BtnWidth(), bar->BtnHeight())));
    endDrag();
    dragImage_ = new TBtnControl;
    dragImage_->InitData(item_);
    raise();
}

void TSpeedbarButton::mouseMoveEvent(QMouseEvent *e)
{
    if (!customising() || !dragImage_) {
        qv::TQvSpeedButton::mouseMoveEvent(e);
        return;
    }
    if (!dragHidden_) {
        dragHidden_ = true;
        update();
    }
    const TSpeedBar *bar = item_->SpeedBar();
    const QPoint p = dropPoint(e);
    if (bar->rect().contains(p))
        dragImage_->Activate(bar->mapToGlobal(p));
    else
        dragImage_->hide();
}

void TSpeedbarButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (!customising() || !dragImage_) {
        qv::TQvSpeedButton::mouseReleaseEvent(e);
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint p = dropPoint(e);
    endDrag();
    dragHidden_ = false;
    TSpeedBar *bar = item_->SpeedBar();
    if (!bar->rect().contains(p)) {
        lower();
        item_->SetVisible(false);
        bar->notifySetup(snDropped, bar);
    } else if (bar->PlaceItem(item_, p)) {
        bar->notifySetup(snMoved, item_);
    } else {
        bar->notifySetup(snDropped, bar);
    }
    update();
}

void TSpeedbarButton::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (customising())
        mousePressEvent(e);
    else
        qv::TQvSpeedButton::mouseDoubleClickEvent(e);
}

void TSpeedbarButton::paintEvent(QPaintEvent *e)
{
    // While dragged the button leaves its place to the bar.
    if (!dragHidden_)
        qv::TQvSpeedButton::paintEvent(e);
}

// TSpeedItem

TSpeedItem::TSpeedItem(QObject *owner) : QObject(owner), button_(new TSpeedbarButton(this))
{
    button_->SetSpacing(4);
    button_->OnClick = [this](QObject *) {
        if (OnClick)
            OnClick(this);
    };
    button_->OnDblClick = [this](QObject *) {
        if (OnDblClick)
            OnDblClick(this);
    };
    button_->OnMouseDown = [this](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        if (OnMouseDown)
            OnMouseDown(this, b, s, x, y);
    };
    button_->OnMouseUp = [this](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        if (OnMouseUp)
            OnMouseUp(this, b, s, x, y);
    };
    button_->OnMouseMove = [this](QObject *, Qt::KeyboardModifiers s, int x, int y) {
        if (OnMouseMove)
            OnMouseMove(this, s, x, y);
    };
    button_->OnMouseEnter = [this](QObject *) {
        if (OnMouseEnter)
            OnMouseEnter(this);
    };
    button_->OnMouseLeave = [this](QObject *) {
        if (OnMouseLeave)
            OnMouseLeave(this);
    };
    connect(this, &QObject::objectNameChanged, this, &TSpeedItem::nameChanged);
}

TSpeedItem::~TSpeedItem()
{
    if (bar_)
        bar_->RemoveItem(this);
    delete button_;
}

QString TSpeedItem::SectionName() const
{
    if (bar_)
        if (const TSpeedbarSection *s = bar_->Section(sectionIndex_))
            return s->Caption();
    return sectionName_;
}

void TSpeedItem::SetSpeedBar(TSpeedBar *bar)
{
    if (bar == bar_)
        return;
    const QString name = SectionName();
    const int index = sectionIndex_;
    sectionName_ = name;
    if (bar_)
        bar_->RemoveItem(this);
    if (!bar)
        return;
    const int found = bar->SearchSection(name);
    bar->AddItem(std::max(found >= 0 ? found : index, 0), this);
}

bool TSpeedItem::ownerLoading() const
{
    const platform::Form *form = platform::Form::FromWidget(parent());
    return form && form->Loading();
}

void TSpeedItem::SetCaption(const QString &caption)
{
    const QObject *owner = parent();
    const bool follow =
        !owner || !owner->isWidgetType() || (!ownerLoading() && caption_ == qv::GetShortHint(Hint()));
    caption_ = caption;
    if (!follow)
        return;
    const QString old = Hint();
    const QChar bar = QLatin1Char('|');
    if (caption.contains(bar) && !qv::GetLongHint(caption).isEmpty())
        SetHint(caption);
    else if (caption.contains(bar))
        SetHint(qv::GetShortHint(caption) + bar + qv::GetLongHint(old));
    else if (old.contains(bar))
        SetHint(caption + bar + qv::GetLongHint(old));
    else
        SetHint(caption + bar);
}

void TSpeedItem::nameChanged(const QString &name)
{
    const QObject *owner = parent();
    const bool loadingControl = owner && owner->isWidgetType() && ownerLoading();
    if (caption_ == name_ && !loadingControl)
        SetCaption(name);
    name_ = name;
}

void TSpeedItem::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    applyEnabled();
}

void TSpeedItem::applyEnabled()
{
    if (!customizing_)
        button_->setEnabled(enabled_);
}

void TSpeedItem::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    applyVisible();
}

void TSpeedItem::applyVisible()
{
    // A button stands only on a bar: without one it would be a window of its own.
    const bool show = visible_ && bar_ && bar_->barVisible_;
    if (show && button_->parentWidget() != bar_)
        button_->setParent(bar_);
    button_->setVisible(show);
}

void TSpeedItem::SetImageIndex(int index)
{
    imageIndex_ = index;
    rebuildImage();
}

void TSpeedItem::rebuildImage()
{
    QImage image;
    if (bar_ && bar_->Images() && bar_->Images()->Valid(imageIndex_))
        image = bar_->Images()->Image(imageIndex_).toImage();
    button_->ButtonGlyph().SetListImage(image);
}

void TSpeedItem::SetCustomizing(bool on)
{
    customizing_ = on;
    if (on)
        button_->setEnabled(true);
    else
        applyEnabled();
    applyLooks();
}

void TSpeedItem::applyLooks()
{
    const TSpeedbarOptions o = bar_ ? bar_->Options() : 0;
    button_->SetFlat(!customizing_ && (o & sbFlatBtns));
    button_->SetTransparent(o & sbTransparentBtns);
    button_->SetGrayedInactive(o & sbGrayedBtns);
}

void TSpeedItem::SetTag(int tag)
{
    tag_ = tag;
    button_->setProperty("Tag", tag);
}

void TSpeedItem::SetParentFont(bool on)
{
    if (on) {
        button_->setFont(QFont());
        return;
    }
    QFont f = button_->font();
    f.setResolveMask(QFont::AllPropertiesResolved);
    button_->setFont(f);
}

void TSpeedItem::SetLeft(int left)
{
    button_->SetBounds(left, button_->y(), button_->width(), button_->height());
}

void TSpeedItem::SetTop(int top)
{
    button_->SetBounds(button_->x(), top, button_->width(), button_->height());
}

void TSpeedItem::ButtonClick()
{
    button_->Click();
}

// TSpeedbarSection

TSpeedbarSection::TSpeedbarSection(QObject *owner) : QObject(owner) {}

TSpeedbarSection::~TSpeedbarSection()
{
    while (!items_.isEmpty()) {
        TSpeedItem *item = items_.last();
        delete item;
        // An item off every bar is not taken out by its own destructor.
        if (!items_.isEmpty() && items_.last() == item)
            items_.removeLast();
    }
    if (bar_) {
        bar_->sections_.removeOne(this);
        bar_->renumber();
    }
}

void TSpeedbarSection::SetCaption(const QString &caption)
{
    if (bar_ && !bar_->Loading()) {
        const int found = bar_->SearchSection(caption);
        if (found >= 0 && bar_->Section(found) != this)
            throw ESpeedbarError(QStringLiteral("String list does not allow duplicates"));
    }
    caption_ = caption;
}

int TSpeedbarSection::Index() const
{
    return bar_ ? int(bar_->sections_.indexOf(const_cast<TSpeedbarSection *>(this))) : -1;
}

void TSpeedbarSection::SetIndex(int index)
{
    if (!bar_)
        return;
    const int from = Index();
    index = std::clamp(index, 0, int(bar_->sections_.size()) - 1);
    if (from == index)
        return;
    bar_->sections_.move(from, index);
    bar_->renumber();
}

TSpeedItem *TSpeedbarSection::Item(int index) const
{
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

void TSpeedbarSection::SetSpeedBar(TSpeedBar *bar)
{
    if (bar == bar_)
        return;
    const int old = Index();
    if (TSpeedBar *from = bar_) {
        // The items go with their section.
        for (TSpeedItem *it : std::as_const(items_)) {
            it->button_->setParent(nullptr);
            it->bar_ = nullptr;
            it->sectionIndex_ = -1;
        }
        from->sections_.removeOne(this);
        bar_ = nullptr;
        from->renumber();
    }
    if (!bar)
        return;
    bar->AddSection(this);
    if (old >= 0)
        SetIndex(old);
}

// TSpeedBar

TSpeedBar::TSpeedBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SpeedBar"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    offsetHorz_ = offsetVert_ = MinimumOffset();
    resize(width(), 2 * offsetVert_ + btnHeight_);
    SetFontDefault();
    setAlignValue(alTop);
    computeGrid();
    iniLink_.OnSave = [this] {
        if (qv::IniObject *ini = iniLink_.IniObj())
            SaveLayout(ini, iniLink_.RootSection() + qv::DefaultSection(this));
    };
    iniLink_.OnLoad = [this] {
        if (qv::IniObject *ini = iniLink_.IniObj())
            RestoreLayout(ini, iniLink_.RootSection() + qv::DefaultSection(this));
    };
}

TSpeedBar::~TSpeedBar()
{
    OnApplyAlign = nullptr;
    OnPosChanged = nullptr;
    OnVisibleChanged = nullptr;
    OnCustomize = nullptr;
    OnAddItem = nullptr;
    iniLink_.SetPlacement(nullptr);
    if (QWidget *w = setupWindow_) {
        notifySetup(snBarGoing, this);
        setupWindow_ = nullptr;
        Q_UNUSED(w);
    }
    while (!sections_.isEmpty())
        delete sections_.last();
}

void TSpeedBar::SetPosition(TBarPosition position)
{
    position_ = position;
    if (position == bpAuto && anEdge(align_))
        setOrientation(horizontalEdge(align_) ? boHorizontal : boVertical);
}

TBarOrientation TSpeedBar::Orientation() const
{
    if (position_ == bpAuto) {
        if (horizontalEdge(align_))
            return boHorizontal;
        if (verticalEdge(align_))
            return boVertical;
    }
    return orientation_;
}

void TSpeedBar::setAlignValue(int value)
{
    if (loading_ && value == alNone && position_ == bpAuto)
        loadedAlignNone_ = true;
    if (value == align_)
        return;
    const bool known = value >= alNone && value <= alClient;
    if (!known && loading_)
        return;
    if (!known || (!loading_ && position_ == bpAuto && (value == alNone || value == alClient)))
        throw ESpeedbarError(positionError());
    const TAlign old = align_;
    align_ = TAlign(value);
    // The bar keeps its thickness between a horizontal and a vertical edge.
    if (!loading_ && anEdge(old) && anEdge(value) && horizontalEdge(old) != horizontalEdge(value))
        resize(height(), width());
    if (QWidget *p = parentWidget())
        if (TAlignLayout *l = TAlignLayout::Of(p, true))
            l->SetAlign(this, align_);
    if (position_ == bpAuto && anEdge(value))
        setOrientation(horizontalEdge(value) ? boHorizontal : boVertical);
}

void TSpeedBar::setOrientation(TBarOrientation orientation)
{
    if (loading_) {
        orientation_ = orientation;
        return;
    }
    if (orientation == orientation_)
        return;
    updating_ = true;
    orientation_ = orientation;
    std::swap(btnWidth_, btnHeight_);
    std::swap(gridHorz_, gridVert_);
    std::swap(offsetHorz_, offsetVert_);
    ForEachItem([this](TSpeedItem *it) {
        const int left = it->Left(), top = it->Top();
        it->button_->SetBounds(top, left, btnWidth_, btnHeight_);
    });
    updating_ = false;
    update();
    notifySetup(snSizesChanged, this);
}

int TSpeedBar::MinimumOffset() const
{
    return ((options_ & sbFlatBtns) ? 0 : 2) + borderSize();
}

int TSpeedBar::edgeSize() const
{
    return borderStyle_ == bsNone ? 0 : ctl3D_ ? 2 : 1;
}

int TSpeedBar::borderSize() const
{
    return edgeSize() + borderWidth_ + (bevelInner_ != bvNone ? bevelWidth_ : 0) + (bevelOuter_ != bvNone ? bevelWidth_ : 0);
}

void TSpeedBar::computeGrid()
{
    const bool horizontal = Orientation() == boHorizontal;
    const int along = std::max(1, horizontal ? btnWidth_ : btnHeight_);
    const int across = std::max(1, horizontal ? btnHeight_ : btnWidth_);
    int step = std::max(1, std::min(8, along / 3));
    while (along % step != 0)
        ++step;
    if (step == along && along > 1) {
        do
            --step;
        while (step >= 2 && along % step != 0);
        step = std::max(1, step);
    }
    gridHorz_ = horizontal ? step : across;
    gridVert_ = horizontal ? across : step;
}

QPoint TSpeedBar::SnapToGrid(QPoint point) const
{
    const double gh = std::max(1, gridHorz_), gv = std::max(1, gridVert_);
    const double x = point.x() - offsetHorz_, y = point.y() - offsetVert_;
    qint64 left, top;
    if (Orientation() == boHorizontal) {
        left = qv::RoundHalfEven(x / gh) * qint64(gh) + offsetHorz_;
        top = qint64(std::trunc(y / gv)) * qint64(gv) + offsetVert_;
    } else {
        left = qint64(std::trunc(x / gh)) * qint64(gh) + offsetHorz_;
        top = qv::RoundHalfEven(y / gv) * qint64(gv) + offsetVert_;
    }
    return {qv::ClampToInt(left), qv::ClampToInt(top)};
}

bool TSpeedBar::PlaceItem(TSpeedItem *item, QPoint point)
{
    if (!item || item->bar_ != this)
        return false;
    const QPoint at = SnapToGrid(point);
    item->button_->SetBounds(at.x(), at.y(), btnWidth_, btnHeight_);
    const bool inside = rect().contains(at);
    item->SetVisible(inside);
    if (inside)
        item->button_->raise();
    else
        item->button_->lower();
    return inside;
}

void TSpeedBar::shiftButtons(int dx, int dy)
{
    ForEachItem([dx, dy](TSpeedItem *it) {
        it->button_->SetBounds(it->Left() + dx, it->Top() + dy, it->button_->width(), it->button_->height());
    });
}

void TSpeedBar::resizeButtons()
{
    ForEachItem([this](TSpeedItem *it) { it->button_->SetBounds(it->Left(), it->Top(), btnWidth_, btnHeight_); });
}

void TSpeedBar::applyButtonLooks()
{
    ForEachItem([](TSpeedItem *it) { it->applyLooks(); });
}

void TSpeedBar::SetBtnOffsetHorz(int offset)
{
    offset = std::max(offset, MinimumOffset());
    const int shift = offset - offsetHorz_;
    offsetHorz_ = offset;
    explicitOffsetHorz_ = true;
    if (shift != 0)
        shiftButtons(shift, 0);
}

void TSpeedBar::SetBtnOffsetVert(int offset)
{
    offset = std::max(offset, MinimumOffset());
    const int shift = offset - offsetVert_;
    offsetVert_ = offset;
    explicitOffsetVert_ = true;
    if (shift != 0)
        shiftButtons(0, shift);
}

void TSpeedBar::ensureRoom()
{
    if (loading_)
        return;
    if (Orientation() == boHorizontal) {
        const int need = 2 * offsetVert_ + btnHeight_;
        if (height() < need)
            setThickness(need);
    } else {
        const int need = 2 * offsetHorz_ + btnWidth_;
        if (width() < need)
            setThickness(need);
    }
}

void TSpeedBar::SetBtnWidth(int width)
{
    btnWidth_ = width;
    explicitBtnWidth_ = true;
    computeGrid();
    ensureRoom();
    resizeButtons();
    notifySetup(snSizesChanged, this);
}

void TSpeedBar::SetBtnHeight(int height)
{
    btnHeight_ = height;
    explicitBtnHeight_ = true;
    computeGrid();
    ensureRoom();
    resizeButtons();
    notifySetup(snSizesChanged, this);
}

void TSpeedBar::SetOptions(TSpeedbarOptions options)
{
    if (options == options_)
        return;
    const bool flatChanged = (options ^ options_) & sbFlatBtns;
    options_ = options;
    applyButtonLooks();
    computeGrid();
    if (flatChanged)
        alignChildren();
    update();
}

void TSpeedBar::SetBoundLines(TBoundLines lines)
{
    boundLines_ = lines;
    alignChildren();
    update();
}

void TSpeedBar::alignChildren()
{
    // Aligned children of the bar keep off the bound lines.
    setContentsMargins((boundLines_ & blLeft) ? 2 : 0, (boundLines_ & blTop) ? 2 : 0, (boundLines_ & blRight) ? 2 : 0,
                       (boundLines_ & blBottom) ? 2 : 0);
    const int minimum = MinimumOffset();
    int dx = 0, dy = 0;
    if (offsetHorz_ < minimum) {
        dx = minimum - offsetHorz_;
        offsetHorz_ = minimum;
    }
    if (offsetVert_ < minimum) {
        dy = minimum - offsetVert_;
        offsetVert_ = minimum;
    }
    if ((dx || dy) && !loading_)
        shiftButtons(dx, dy);
}

void TSpeedBar::SetIniStorage(qv::TFormPlacement *placement)
{
    iniLink_.SetPlacement(placement);
}

void TSpeedBar::SetWallpaper(const QImage &image)
{
    wallpaper_ = image;
    update();
}

void TSpeedBar::SetImages(tree::TImageList *images)
{
    if (images == images_)
        return;
    disconnect(imagesChanged_);
    images_ = images;
    if (images)
        imagesChanged_ = connect(images, &tree::TImageList::Changed, this, [this] {
            ForEachItem([](TSpeedItem *it) {
                if (it->ImageIndex() >= 0)
                    it->rebuildImage();
            });
        });
    ForEachItem([](TSpeedItem *it) { it->rebuildImage(); });
}

void TSpeedBar::SetBevelInner(TPanelBevel bevel)
{
    bevelInner_ = bevel;
    alignChildren();
    update();
}

void TSpeedBar::SetBevelOuter(TPanelBevel bevel)
{
    bevelOuter_ = bevel;
    alignChildren();
    update();
}

void TSpeedBar::SetBevelWidth(int width)
{
    bevelWidth_ = std::max(1, width);
    alignChildren();
    update();
}

void TSpeedBar::SetBorderWidth(int width)
{
    borderWidth_ = std::max(0, width);
    alignChildren();
    update();
}

void TSpeedBar::SetBorderStyle(TBorderStyle style)
{
    borderStyle_ = style;
    alignChildren();
    update();
}

void TSpeedBar::SetCtl3D(bool on)
{
    ctl3D_ = on;
    alignChildren();
    update();
}

QColor TSpeedBar::Color() const
{
    return color_.isValid() ? color_ : palette().color(QPalette::Button);
}

void TSpeedBar::SetColor(const QColor &color)
{
    color_ = color;
    update();
}

void TSpeedBar::SetFontDefault()
{
    setFont(QApplication::font("QMenu"));
}

// Sections and items

int TSpeedBar::AddSection(TSpeedbarSection *section)
{
    if (!section)
        return -1;
    if (const int at = int(sections_.indexOf(section)); at >= 0)
        return at;
    const QString base = section->caption_;
    QString caption = base;
    for (int n = 1; SearchSection(caption) >= 0; ++n)
        caption = QStringLiteral("%1 (%2)").arg(base).arg(n);
    section->caption_ = caption;
    sections_.append(section);
    section->bar_ = this;
    const int index = int(sections_.size()) - 1;
    for (TSpeedItem *it : std::as_const(section->items_)) {
        it->sectionIndex_ = index;
        joinItem(it, !loading_);
    }
    return index;
}

void TSpeedBar::ForEachItem(const std::function<void(TSpeedItem *)> &proc) const
{
    if (!proc)
        return;
    const QList<TSpeedbarSection *> sections = sections_;
    for (const TSpeedbarSection *s : sections) {
        if (!s)
            continue;
        const QList<TSpeedItem *> items = s->items_;
        for (TSpeedItem *it : items)
            if (it)
                proc(it);
    }
}

TSpeedbarSection *TSpeedBar::Section(int index) const
{
    return index >= 0 && index < sections_.size() ? sections_[index] : nullptr;
}

int TSpeedBar::ItemsCount(int section) const
{
    const TSpeedbarSection *s = Section(section);
    return s ? s->Count() : 0;
}

TSpeedItem *TSpeedBar::Item(int section, int index) const
{
    const TSpeedbarSection *s = Section(section);
    return s ? s->Item(index) : nullptr;
}

int TSpeedBar::SearchSection(const QString &caption) const
{
    for (int i = 0; i < sections_.size(); ++i)
        if (sections_[i]->caption_ == caption)
            return i;
    return -1;
}

void TSpeedBar::RemoveSection(int index)
{
    TSpeedbarSection *s = Section(index);
    if (!s)
        return;
    while (!s->items_.isEmpty())
        RemoveItem(s->items_.last());
    s->bar_ = nullptr;
    sections_.removeAt(index);
    renumber();
}

void TSpeedBar::renumber()
{
    for (int i = 0; i < sections_.size(); ++i)
        for (TSpeedItem *it : std::as_const(sections_[i]->items_))
            it->sectionIndex_ = i;
}

void TSpeedBar::DeleteSection(int index)
{
    delete Section(index);
}

TSpeedItem *TSpeedBar::FindItemByName(const QString &name) const
{
    for (const TSpeedbarSection *s : sections_)
        for (TSpeedItem *it : s->items_)
            if (it->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return it;
    return nullptr;
}

bool TSpeedBar::SearchItem(const TSpeedItem *item, int *section, int *index) const
{
    for (int s = 0; s < sections_.size(); ++s) {
        const int i = int(sections_[s]->items_.indexOf(const_cast<TSpeedItem *>(item)));
        if (i >= 0) {
            if (section)
                *section = s;
            if (index)
                *index = i;
            return true;
        }
    }
    if (section)
        *section = -1;
    if (index)
        *index = -1;
    return false;
}

void TSpeedBar::AddItem(int section, TSpeedItem *item)
{
    if (!item)
        return;
    int from = -1, at = -1;
    if (item->bar_ == this && SearchItem(item, &from, &at)) {
        const int to = std::clamp(section, 0, int(sections_.size()) - 1);
        if (to != from) {
            sections_[from]->items_.removeAt(at);
            sections_[to]->items_.append(item);
        }
        item->sectionIndex_ = to;
        return;
    }
    if (section < 0)
        return;
    if (item->bar_)
        item->bar_->RemoveItem(item);
    int s = section;
    if (OnAddItem)
        OnAddItem(item, s);
    if (sections_.isEmpty())
        AddSection(new TSpeedbarSection(this));
    s = std::clamp(s, 0, int(sections_.size()) - 1);
    sections_[s]->items_.append(item);
    item->sectionIndex_ = s;
    joinItem(item, !loading_);
}

void TSpeedBar::joinItem(TSpeedItem *item, bool resize)
{
    item->bar_ = this;
    TSpeedbarButton *b = item->button_;
    if (b->parentWidget() != this) {
        b->setParent(this);
        b->hide();
    }
    if (resize)
        b->SetBounds(b->x(), b->y(), btnWidth_, btnHeight_);
    item->SetCustomizing(Customizing());
    item->rebuildImage();
    item->applyVisible();
}

void TSpeedBar::RemoveItem(TSpeedItem *item)
{
    int s = -1, i = -1;
    if (!item || !SearchItem(item, &s, &i))
        return;
    item->sectionName_ = sections_[s]->caption_;
    sections_[s]->items_.removeAt(i);
    item->button_->setParent(nullptr);
    item->bar_ = nullptr;
    item->sectionIndex_ = -1;
    item->SetCustomizing(false);
}

void TSpeedBar::ReadSections(const QStringList &captions)
{
    for (const QString &c : captions)
        if (SearchSection(c) < 0) {
            auto *s = new TSpeedbarSection(this);
            s->caption_ = c;
            AddSection(s);
        }
}

// Layout record

void TSpeedBar::SaveLayout(qv::IniObject *ini)
{
    SaveLayout(ini, qv::DefaultSection(this));
}

void TSpeedBar::SaveLayout(qv::IniObject *ini, const QString &section)
{
    if (!ini)
        return;
    // The whole record is made first; the section is then replaced in one write.
    QList<QPair<QString, QString>> record;
    auto add = [&record](const QString &key, const QString &value) { record.append({key, value}); };
    add(QStringLiteral("Position"), QString::number(int(align_)));
    if (horizontalEdge(align_))
        add(QStringLiteral("Width"), QString::number(height()));
    else if (verticalEdge(align_))
        add(QStringLiteral("Width"), QString::number(width()));
    add(QStringLiteral("Version"), QString::number(version_));
    add(QStringLiteral("PixelsPerInch"), QString::number(screenPixelsPerInch()));
    add(QStringLiteral("BtnWidth"), QString::number(btnWidth_));
    add(QStringLiteral("BtnHeight"), QString::number(btnHeight_));
    int n = 0;
    ForEachItem([&](TSpeedItem *it) {
        if (it->Visible() && it->Stored())
            add(QStringLiteral("Button%1").arg(++n),
                QStringLiteral("%1,%2,%3").arg(it->objectName()).arg(it->Left()).arg(it->Top()));
    });
    add(QStringLiteral("Count"), QString::number(n));

    qv::IniUpdate batch(ini);
    ini->EraseSection(section);
    for (const auto &[key, value] : std::as_const(record))
        ini->WriteString(section, key, value);
    batch.Commit();
}

void TSpeedBar::RestoreLayout(qv::IniObject *ini)
{
    RestoreLayout(ini, qv::DefaultSection(this));
}

void TSpeedBar::RestoreLayout(qv::IniObject *ini, const QString &section)
{
    if (!ini)
        return;
    const TAlign before = align_;
    if (ini->ReadInteger(section, QStringLiteral("Version"), version_) < version_)
        return;
    if (options_ & sbAllowDrag) {
        const int position = ini->ReadInteger(section, QStringLiteral("Position"), int(align_));
        try {
            setAlignValue(position);
        } catch (const ESpeedbarError &) {
            setAlignValue(alTop);
        }
    }
    const int ownPpi = platform::Form::ParentForm(this) ? screenPixelsPerInch() : 0;
    if (ini->ReadInteger(section, QStringLiteral("PixelsPerInch"), ownPpi) != screenPixelsPerInch()) {
        if (align_ != before && OnPosChanged)
            OnPosChanged(this);
        return;
    }
    if ((options_ & sbAllowResize) && anEdge(align_)) {
        const bool horizontal = horizontalEdge(align_);
        int thickness = ini->ReadInteger(section, QStringLiteral("Width"), horizontal ? height() : width());
        // A damaged value still leaves one row, and no more than the parent holds.
        const int oneRow = horizontal ? std::max(1, btnHeight_) + 2 * offsetVert_ : std::max(1, btnWidth_) + 2 * offsetHorz_;
        if (const QWidget *p = parentWidget()) {
            const int room = horizontal ? p->height() : p->width();
            if (room > 0)
                thickness = std::min(thickness, room);
        }
        setThickness(std::max(thickness, oneRow));
    }
    if (align_ != before && OnPosChanged)
        OnPosChanged(this);
    const int count = ini->ReadInteger(section, QStringLiteral("Count"), 0);
    if (count > 0) {
        ForEachItem([](TSpeedItem *it) { it->SetVisible(false); });
        // Only the keys that are there are visited: a damaged count costs nothing.
        QList<QPair<int, QString>> keys;
        for (const QString &key : ini->ReadSection(section)) {
            const int n = buttonKeyNumber(key);
            if (n >= 1 && n <= count)
                keys.append({n, key});
        }
        std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        QList<QRect> taken;
        QList<TSpeedItem *> misplaced;
        int last = 0;
        for (const auto &[n, key] : std::as_const(keys)) {
            if (n == last)
                continue;
            last = n;
            const QString value = ini->ReadString(section, key, QString());
            if (value.isEmpty())
                continue;
            const QString blankComma = qv::BlankComma();
            TSpeedItem *it = FindItemByName(qv::NthWord(1, value, blankComma));
            if (!it)
                continue;
            const int left = std::max(qv::StrToIntDef(qv::NthWord(2, value, blankComma), it->Left()), offsetHorz_);
            const int top = std::max(qv::StrToIntDef(qv::NthWord(3, value, blankComma), it->Top()), offsetVert_);
            it->button_->SetBounds(left, top, it->button_->width(), it->button_->height());
            const QRect place = it->button_->geometry();
            if (!showableButton(place) || taken.contains(place)) {
                misplaced.append(it);
                continue;
            }
            taken.append(place);
            it->SetVisible(true);
        }
        // An item that cannot be shown where it was stored (beyond what the bar can ever be, on a place
        // another item holds) goes where it can be, or off the bar, where customising offers it again.
        for (TSpeedItem *it : std::as_const(misplaced)) {
            const QRect place = freeButtonPlace(taken);
            if (place.isEmpty())
                continue;
            it->button_->SetBounds(place.left(), place.top(), it->button_->width(), it->button_->height());
            taken.append(it->button_->geometry());
            it->SetVisible(true);
        }
    }
    update();
}

int TSpeedBar::reachAlong() const
{
    // The bar can be no longer than the screens hold, or than it is now.
    const bool horizontal = orientation_ == boHorizontal;
    int reach = horizontal ? width() : height();
    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect desk = s->availableVirtualGeometry();
        reach = std::max(reach, horizontal ? desk.width() : desk.height());
    }
    return reach;
}

int TSpeedBar::reachAcross() const
{
    return orientation_ == boHorizontal ? std::max(height(), btnHeight_ + 2 * offsetVert_)
                                        : std::max(width(), btnWidth_ + 2 * offsetHorz_);
}

bool TSpeedBar::showableButton(const QRect &place) const
{
    // Half of a button is enough to see and take hold of it.
    const bool horizontal = orientation_ == boHorizontal;
    const QPoint centre = place.center();
    const int along = horizontal ? centre.x() : centre.y();
    const int across = horizontal ? centre.y() : centre.x();
    return along < reachAlong() && across < reachAcross();
}

QRect TSpeedBar::freeButtonPlace(const QList<QRect> &taken) const
{
    const bool horizontal = orientation_ == boHorizontal;
    const int stepAlong = std::max(1, horizontal ? btnWidth_ : btnHeight_);
    const int stepAcross = std::max(1, horizontal ? btnHeight_ : btnWidth_);
    const int startAlong = horizontal ? offsetHorz_ : offsetVert_;
    const int startAcross = horizontal ? offsetVert_ : offsetHorz_;
    const int across = reachAcross();
    // First where the bar shows now, then as far as it can reach.
    const int now = horizontal ? width() : height();
    for (const int reach : {now, reachAlong()})
        for (int b = startAcross; b + stepAcross <= across; b += stepAcross)
            for (int a = startAlong; a + stepAlong <= reach; a += stepAlong) {
                const QRect r = horizontal ? QRect(a, b, btnWidth_, btnHeight_) : QRect(b, a, btnWidth_, btnHeight_);
                if (std::none_of(taken.begin(), taken.end(), [&r](const QRect &t) { return t.intersects(r); }))
                    return r;
            }
    return QRect();
}

// Customising

void TSpeedBar::Customize(int helpContext)
{
    TSpeedbarSetupWindow *window = nullptr;
    for (platform::Form *f : platform::Form::Forms())
        if (auto *w = dynamic_cast<TSpeedbarSetupWindow *>(f); w && w->SpeedBar() == this && !f->Destroying()) {
            window = w;
            break;
        }
    if (!window) {
        window = new TSpeedbarSetupWindow;
        window->SetSpeedBar(this);
    }
    if (helpContext > 0)
        window->SetHelpContext(helpContext);
    window->show();
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void TSpeedBar::SetCustomizeWindow(QWidget *window)
{
    if (window == setupWindow_)
        return;
    setupWindow_ = window;
    const bool on = window != nullptr;
    ForEachItem([on](TSpeedItem *it) { it->SetCustomizing(on); });
    if (on)
        return;
    resizing_ = false;
    unsetCursor();
    if (OnCustomize)
        OnCustomize(this);
}

void TSpeedBar::notifySetup(int code, QObject *subject)
{
    if (QWidget *w = setupWindow_) {
        TSetupNoticeEvent ev(code, subject);
        QCoreApplication::sendEvent(w, &ev);
    }
}

// Loading and scaling

void TSpeedBar::Loaded()
{
    loading_ = false;
    // A bar stored before the stored version was written (0) and without alignment goes to the top.
    if (loadedAlignNone_ && internalVer_ == 0 && align_ == alNone)
        setAlignValue(alTop);
    loadedAlignNone_ = false;
    computeGrid();
    ForEachItem([this](TSpeedItem *it) {
        it->button_->SetBounds(it->Left(), it->Top(), btnWidth_, btnHeight_);
        it->applyVisible();
    });
}

void TSpeedBar::ChangeScale(int m, int d)
{
    if (d == 0 || m == d)
        return;
    const bool all = !loading_;
    if (all || explicitBtnWidth_)
        btnWidth_ = mulDiv(btnWidth_, m, d);
    if (all || explicitBtnHeight_)
        btnHeight_ = mulDiv(btnHeight_, m, d);
    if (all || explicitOffsetHorz_)
        offsetHorz_ = mulDiv(offsetHorz_, m, d);
    if (all || explicitOffsetVert_)
        offsetVert_ = mulDiv(offsetVert_, m, d);
    computeGrid();
    if (horizontalEdge(align_) || (!anEdge(align_) && Orientation() == boHorizontal))
        setThickness(mulDiv(height(), m, d));
    else
        setThickness(mulDiv(width(), m, d));
    ForEachItem([&](TSpeedItem *it) {
        QPoint at(mulDiv(it->Left(), m, d), mulDiv(it->Top(), m, d));
        if (it->Visible())
            at = SnapToGrid(at);
        it->button_->SetBounds(at.x(), at.y(), btnWidth_, btnHeight_);
    });
    explicitOffsetHorz_ = explicitOffsetVert_ = explicitBtnWidth_ = explicitBtnHeight_ = false;
}

void TSpeedBar::setThickness(int thickness)
{
    if (Orientation() == boHorizontal)
        resize(width(), thickness);
    else
        resize(thickness, height());
    realignParent();
}

void TSpeedBar::realignParent()
{
    if (TAlignLayout *l = TAlignLayout::Of(parentWidget(), false))
        l->Realign();
}

// Painting

void TSpeedBar::paintEvent(QPaintEvent *)
{
    if (updating_)
        return;
    QPainter p(this);
    const QPalette pal = palette();
    p.fillRect(rect(), Color());
    QRect r = rect();
    auto frame = [&](const QColor &tl, const QColor &br) {
        p.setPen(tl);
        p.drawLine(r.left(), r.bottom(), r.left(), r.top());
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.setPen(br);
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        p.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
        r.adjust(1, 1, -1, -1);
    };
    if (borderStyle_ == bsSingle && ctl3D_) {
        frame(pal.color(QPalette::Dark), pal.color(QPalette::Light));
        frame(pal.color(QPalette::Shadow), pal.color(QPalette::Midlight));
    } else if (borderStyle_ == bsSingle) {
        frame(pal.color(QPalette::WindowText), pal.color(QPalette::WindowText));
    }
    auto bevel = [&](TPanelBevel kind) {
        if (kind == bvNone)
            return;
        const QColor tl = pal.color(kind == bvRaised ? QPalette::Light : QPalette::Dark);
        const QColor br = pal.color(kind == bvRaised ? QPalette::Dark : QPalette::Light);
        for (int i = 0; i < bevelWidth_ && r.width() > 1 && r.height() > 1; ++i)
            frame(tl, br);
    };
    bevel(bevelOuter_);
    r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);

    const int b = borderSize();
    const QRect inner = rect().adjusted(b, b, -b, -b);
    if (!wallpaper_.isNull() && wallpaper_.width() >= 1 && wallpaper_.height() >= 1) {
        p.save();
        p.setClipRect(inner);
        if (options_ & sbStretchBitmap) {
            p.drawImage(inner, wallpaper_);
        } else {
            const int cols = (width() - 2 * b) / wallpaper_.width(), rows = (height() - 2 * b) / wallpaper_.height();
            for (int row = 0; row <= rows; ++row)
                for (int col = 0; col <= cols; ++col)
                    p.drawImage(inner.left() + col * wallpaper_.width(), inner.top() + row * wallpaper_.height(),
                                wallpaper_);
        }
        p.restore();
    }

    // Bound lines on the inner rectangle (right and bottom as the first pixel past it).
    const int L = inner.left(), T = inner.top(), R = inner.right() + 1, B = inner.bottom() + 1;
    const QColor shadow = pal.color(QPalette::Dark), light = pal.color(QPalette::Light);
    auto line = [&p](const QColor &c, int x1, int y1, int x2, int y2) {
        p.setPen(c);
        p.drawLine(x1, y1, x2, y2);
    };
    if (boundLines_ & blTop) {
        line(shadow, L, T, R - 1, T);
        line(light, L, T + 1, R - 1, T + 1);
    }
    if (boundLines_ & blLeft) {
        line(shadow, L, T, L, B - 1);
        line(light, L + 1, (boundLines_ & blTop) ? T + 1 : T, L + 1, B - 1);
    }
    if (boundLines_ & blBottom) {
        line(shadow, L, B - 2, R - 1, B - 2);
        line(light, L, B - 1, R - 1, B - 1);
    }
    if (boundLines_ & blRight) {
        line(shadow, R - 2, T, R - 2, ((boundLines_ & blBottom) ? B - 1 : B) - 1);
        line(light, R - 1, T, R - 1, B - 1);
    }
}

// Docking and resizing

bool TSpeedBar::OnResizeEdge(QPoint p) const
{
    if (!Customizing() || !(options_ & sbAllowResize) || dragging_)
        return false;
    const int w = width(), h = height();
    switch (align_) {
    case alTop: return p.x() >= 1 && p.x() <= w && h - 4 < p.y() && p.y() <= h + 4;
    case alBottom: return p.x() >= 1 && p.x() <= w && -3 <= p.y() && p.y() < 5;
    case alLeft: return p.y() >= 1 && p.y() <= h && w - 4 < p.x() && p.x() <= w + 4;
    case alRight: return p.y() >= 1 && p.y() <= h && -3 <= p.x() && p.x() < 5;
    default: return false;
    }
}

TAlign TSpeedBar::targetAlign(QPoint global, bool *applied)
{
    *applied = false;
    const QWidget *parent = parentWidget();
    if (!parent || parent->width() <= 0 || parent->height() <= 0)
        return savedAlign_;
    const QPoint q = parent->mapFromGlobal(global);
    const double w = parent->width(), h = parent->height();
    const double a = h / w * q.x(), b = (1.0 - q.x() / w) * h;
    const double y = q.y();
    const TAlign target = y < a ? (y < b ? alTop : alRight) : (y >= b ? alBottom : alLeft);
    bool apply = true;
    if (OnApplyAlign)
        OnApplyAlign(this, target, apply);
    *applied = apply;
    return apply ? target : savedAlign_;
}

QRect TSpeedBar::targetRect(TAlign align, bool applied) const
{
    const QWidget *parent = parentWidget();
    if (!applied || !parent)
        return savedRect_;
    const TAlignLayout *layout = TAlignLayout::Of(const_cast<QWidget *>(parent), false);
    QRect r = layout ? layout->AlignArea() : parent->rect();
    const QRect mine = geometry();
    for (const QObject *o : parent->children()) {
        const auto *w = qobject_cast<const QWidget *>(o);
        if (!w || w == this || w->isWindow() || !w->isVisibleTo(parent) || !layout)
            continue;
        const TAlign other = layout->AlignOf(w);
        if (!anEdge(other) || other > align)
            continue;
        const QRect g = w->geometry();
        if (other == align) {
            const bool before = (align == alTop && g.top() < mine.top()) ||
                                (align == alBottom && g.bottom() > mine.bottom()) ||
                                (align == alLeft && g.left() < mine.left()) ||
                                (align == alRight && g.right() > mine.right());
            if (!before)
                continue;
        }
        switch (other) {
        case alTop: r.setTop(r.top() + g.height()); break;
        case alBottom: r.setBottom(r.bottom() - g.height()); break;
        case alLeft: r.setLeft(r.left() + g.width()); break;
        case alRight: r.setRight(r.right() - g.width()); break;
        default: break;
        }
    }
    const int thickness = Orientation() == boHorizontal ? height() : width();
    switch (align) {
    case alTop: r.setHeight(thickness); break;
    case alBottom: r.setTop(r.bottom() + 1 - thickness); break;
    case alLeft: r.setWidth(thickness); break;
    case alRight: r.setLeft(r.right() + 1 - thickness); break;
    default: break;
    }
    return QRect(parent->mapToGlobal(r.topLeft()), r.size());
}

void TSpeedBar::resizeTo(QPoint point)
{
    const QWidget *parent = parentWidget();
    if (!parent || !parent->rect().contains(mapTo(parent, point)))
        return;
    // A button size below 1 counts as 1.
    const int bw = std::max(1, btnWidth_), bh = std::max(1, btnHeight_);
    int rows;
    switch (align_) {
    case alTop: rows = std::abs(point.y() - 2 * offsetVert_) / bh; break;
    case alBottom: rows = std::abs(height() - 2 * offsetVert_ - point.y()) / bh; break;
    case alLeft: rows = std::abs(point.x() - 2 * offsetHorz_) / bw; break;
    case alRight: rows = std::abs(width() - 2 * offsetHorz_ - point.x()) / bw; break;
    default: return;
    }
    rows = std::max(1, rows);
    if (horizontalEdge(align_))
        setThickness(std::min(rows * bh + 2 * offsetVert_, parent->height()));
    else
        setThickness(std::min(rows * bw + 2 * offsetHorz_, parent->width()));
}

void TSpeedBar::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() != Qt::LeftButton || !parentWidget())
        return;
    if (OnResizeEdge(p)) {
        resizing_ = true;
        return;
    }
    if ((options_ & sbAllowDrag) && anEdge(align_)) {
        pressed_ = true;
        downPoint_ = p;
    }
}

void TSpeedBar::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), p.x(), p.y());
    if (resizing_) {
        resizeTo(p);
        return;
    }
    if (!pressed_ || !(e->buttons() & Qt::LeftButton)) {
        if (OnResizeEdge(p))
            setCursor(horizontalEdge(align_) ? Qt::SizeVerCursor : Qt::SizeHorCursor);
        else if (testAttribute(Qt::WA_SetCursor))
            unsetCursor();
        return;
    }
    const QPoint global = e->globalPosition().toPoint();
    if (!dragging_ && (options_ & sbAllowDrag) &&
        (std::abs(p.x() - downPoint_.x()) >= 5 || std::abs(p.y() - downPoint_.y()) >= 5)) {
        dragging_ = true;
        savedRect_ = QRect(mapToGlobal(QPoint(0, 0)), size());
        savedAlign_ = align_;
        frameRect_ = savedRect_;
        qv::DrawScreenFrame(frameRect_, 3);
        QApplication::setOverrideCursor(qv::ScreenCursor(qv::crQVDrag));
    }
    if (!dragging_)
        return;
    // Two statements: the order in which a call's arguments are worked out is not fixed, and the rectangle
    // needs what the edge found.
    bool applied = false;
    const TAlign align = targetAlign(global, &applied);
    const QRect target = targetRect(align, applied);
    if (target != frameRect_) {
        qv::DrawScreenFrame(frameRect_, 3);
        QApplication::changeOverrideCursor(qv::ScreenCursor(qv::crQVDrag));
        qv::DrawScreenFrame(target, 3);
        frameRect_ = target;
    }
}

void TSpeedBar::endDrag(QPoint global)
{
    dragging_ = false;
    qv::DrawScreenFrame(frameRect_, 3);
    QApplication::restoreOverrideCursor();
    bool applied = false;
    const TAlign target = targetAlign(global, &applied);
    const QRect rect = targetRect(target, applied);
    QWidget *parent = parentWidget();
    TAlignLayout *layout = TAlignLayout::Of(parent, true);
    if (layout)
        layout->setEnabled(false);
    setAlignValue(target);
    // In its new place before the alignment runs, so that it lands there among its neighbours.
    if (applied && parent)
        setGeometry(QRect(parent->mapFromGlobal(rect.topLeft()), rect.size()));
    if (layout) {
        layout->setEnabled(true);
        layout->Realign();
    }
    if (OnPosChanged)
        OnPosChanged(this);
}

void TSpeedBar::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    const bool wasDragOrResize = dragging_ || resizing_;
    if (e->button() == Qt::LeftButton) {
        if (resizing_) {
            resizing_ = false;
            unsetCursor();
        } else if (dragging_) {
            endDrag(e->globalPosition().toPoint());
        }
        pressed_ = false;
    }
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), p.x(), p.y());
    if (e->button() == Qt::LeftButton && !wasDragOrResize && rect().contains(p) && OnClick)
        OnClick(this);
}

void TSpeedBar::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
    mousePressEvent(e);
}

void TSpeedBar::enterEvent(QEnterEvent *)
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TSpeedBar::leaveEvent(QEvent *)
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TSpeedBar::contextMenuEvent(QContextMenuEvent *e)
{
    if (QMenu *menu = popupMenu_)
        menu->exec(e->globalPos());
}

void TSpeedBar::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    alignChildren();
}

void TSpeedBar::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange && !loading_)
        ForEachItem([](TSpeedItem *it) { it->applyEnabled(); });
    QWidget::changeEvent(e);
}

bool TSpeedBar::event(QEvent *e)
{
    if (e->type() == QEvent::ParentChange)
        if (QWidget *p = parentWidget())
            if (TAlignLayout *l = TAlignLayout::Of(p, true))
                l->SetAlign(this, align_);
    return QWidget::event(e);
}

void TSpeedBar::setVisible(bool visible)
{
    const bool changed = visible != barVisible_;
    barVisible_ = visible;
    QWidget::setVisible(visible);
    if (!changed || loading_)
        return;
    ForEachItem([](TSpeedItem *it) { it->applyVisible(); });
    if (OnVisibleChanged)
        OnVisibleChanged(this);
}

} // namespace speedbar
