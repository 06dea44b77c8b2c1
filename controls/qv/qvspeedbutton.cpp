#include "qvspeedbutton.h"

#include "controls/qv/qvclock.h"
#include "controls/qv/qvutils.h"
#include "platform/application.h"
#include "platform/error.h"

#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusTipEvent>
#include <QVariant>
#include <climits>

namespace qv {
namespace {

struct GlyphCacheData {
    QList<TGlyphList *> lists;
};
GlyphCacheData *glyphCache = nullptr;

class ButtonPressedEvent : public QEvent {
public:
    ButtonPressedEvent(int group, TQvSpeedButton *sender)
        : QEvent(QEvent::Type(QvButtonPressedEvent)), group(group), sender(sender)
    {
    }
    int group;
    TQvSpeedButton *sender;
};

// Extra width of the drop-down mark beside a caption, and beside a glyph.
constexpr int kMarkTextWidth = 9;
constexpr int kMarkGlyphWidth = 6;

bool pressedLook(TButtonState s)
{
    return s == bsDown || s == bsExclusive;
}

QBrush ditherBrush(const QPalette &pal)
{
    // One pattern for every button while the face colours stay the same.
    static QRgb face = 0, light = 0;
    static QBrush brush;
    const QColor f = pal.color(QPalette::Button), l = pal.color(QPalette::Light);
    if (brush.style() == Qt::NoBrush || f.rgb() != face || l.rgb() != light) {
        face = f.rgb();
        light = l.rgb();
        brush = QBrush(MakeCheckerPattern(f, l));
    }
    return brush;
}

void drawDropDownArrow(QPainter &p, QPoint at, const QColor &colour)
{
    p.setPen(colour);
    for (int i = 0; i < 3; ++i)
        p.drawLine(at.x() + i, at.y() + i, at.x() + 4 - i, at.y() + i);
}

// Whether an image says by its alpha channel where it is clear (else a key colour says it).
bool usesAlpha(const QImage &img)
{
    if (!img.hasAlphaChannel())
        return false;
    const QImage a = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return true;
    }
    return false;
}

// The pixels of an image that are the key colour (or clear, for an image with alpha) become clear.
QImage keyed(const QImage &src, QColor key)
{
    QImage out = src.convertToFormat(QImage::Format_ARGB32);
    const bool alpha = usesAlpha(src);
    const QRgb k = key.rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((!alpha && (line[x] & 0xFFFFFF) == k) || qAlpha(line[x]) == 0)
                line[x] = 0;
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QString GetShortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString GetLongHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

// TGlyphList

int TGlyphList::Add(const QImage &image)
{
    ++count_;
    if (!free_.isEmpty()) {
        const int index = free_.takeLast();
        images_[index] = image;
        return index;
    }
    images_.append(image);
    return int(images_.size()) - 1;
}

void TGlyphList::Delete(int index)
{
    if (index < 0 || index >= images_.size() || images_[index].isNull())
        return;
    images_[index] = QImage();
    free_.append(index);
    --count_;
}

QImage TGlyphList::Image(int index) const
{
    return index >= 0 && index < images_.size() ? images_[index] : QImage();
}

// TGlyphCache

TGlyphList *TGlyphCache::GetList(QSize size)
{
    if (!glyphCache)
        glyphCache = new GlyphCacheData;
    for (TGlyphList *l : std::as_const(glyphCache->lists))
        if (l->Size() == size) {
            ++l->users_;
            return l;
        }
    auto *l = new TGlyphList(size);
    l->users_ = 1;
    glyphCache->lists.append(l);
    return l;
}

void TGlyphCache::ReturnList(TGlyphList *list)
{
    if (!list || !glyphCache || --list->users_ > 0)
        return;
    glyphCache->lists.removeOne(list);
    delete list;
    if (glyphCache->lists.isEmpty()) {
        delete glyphCache;
        glyphCache = nullptr;
    }
}

int TGlyphCache::ListCount()
{
    return glyphCache ? int(glyphCache->lists.size()) : 0;
}

// TQvButtonGlyph

TQvButtonGlyph::TQvButtonGlyph() = default;

TQvButtonGlyph::~TQvButtonGlyph()
{
    Invalidate();
}

void TQvButtonGlyph::Invalidate()
{
    if (!list_)
        return;
    for (int &i : indexes_) {
        list_->Delete(i);
        i = -1;
    }
    TGlyphCache::ReturnList(list_);
    list_ = nullptr;
}

void TQvButtonGlyph::changed()
{
    Invalidate();
    if (OnChange)
        OnChange();
}

void TQvButtonGlyph::SetGlyph(const QImage &glyph)
{
    glyph_ = glyph;
    if (!glyph.isNull()) {
        transparent_ = QColor::fromRgb(glyph.pixel(0, glyph.height() - 1));
        if (glyph.height() > 0 && glyph.width() % glyph.height() == 0) {
            const int n = glyph.width() / glyph.height();
            numGlyphs_ = n > 5 ? 1 : std::max(1, n);
        }
    }
    changed();
}

void TQvButtonGlyph::SetNumGlyphs(int count)
{
    count = std::clamp(count, 1, 5);
    if (count == numGlyphs_)
        return;
    numGlyphs_ = count;
    changed();
}

void TQvButtonGlyph::SetListImage(const QImage &image)
{
    if (image.isNull() && listImage_.isNull())
        return;
    listImage_ = image;
    changed();
}

QSize TQvButtonGlyph::GlyphSize() const
{
    if (!listImage_.isNull())
        return listImage_.size();
    if (glyph_.isNull())
        return {0, 0};
    return {glyph_.width() / numGlyphs_, glyph_.height()};
}

QImage TQvButtonGlyph::part(int index) const
{
    if (!listImage_.isNull())
        return listImage_;
    const QSize s = GlyphSize();
    return glyph_.copy(index * s.width(), 0, s.width(), s.height());
}

QImage TQvButtonGlyph::StateImage(TButtonState state)
{
    const QSize size = GlyphSize();
    if (size.isEmpty())
        return QImage();
    if (list_ && indexes_[state] >= 0)
        return list_->Image(indexes_[state]);
    const int parts = listImage_.isNull() ? numGlyphs_ : 1;
    const QColor key = listImage_.isNull()
                           ? transparent_
                           : QColor::fromRgb(listImage_.pixel(0, listImage_.height() - 1));
    QImage img;
    switch (state) {
    case bsUp:
    case bsDown:
    case bsExclusive:
        img = keyed(part(int(state) < parts ? int(state) : 0), key);
        break;
    case bsDisabled:
        if (parts > 1) {
            img = keyed(part(1), key);
        } else {
            // Embossed: the glyph's shape in the highlight colour one pixel down and right, then in the
            // shadow colour in place.
            const QImage up = keyed(part(0), key).convertToFormat(QImage::Format_ARGB32);
            const QPalette pal;
            const QRgb light = pal.color(QPalette::Light).rgb(), dark = pal.color(QPalette::Dark).rgb();
            img = QImage(up.size(), QImage::Format_ARGB32);
            img.fill(0);
            auto on = [&](int x, int y) {
                return x >= 0 && y >= 0 && x < up.width() && y < up.height() && qAlpha(up.pixel(x, y)) != 0;
            };
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (on(x, y))
                        img.setPixel(x, y, dark);
                    else if (on(x - 1, y - 1))
                        img.setPixel(x, y, light);
            img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
        break;
    case bsInactive:
        if (parts > 4) {
            img = keyed(part(4), key);
        } else {
            // Every pixel that is neither clear nor the face colour turns grey.
            QImage src = part(0).convertToFormat(QImage::Format_ARGB32);
            const QRgb face = QPalette().color(QPalette::Button).rgb() & 0xFFFFFF;
            const QRgb k = key.rgb() & 0xFFFFFF;
            const bool alpha = usesAlpha(part(0));
            for (int y = 0; y < src.height(); ++y) {
                auto *line = reinterpret_cast<QRgb *>(src.scanLine(y));
                for (int x = 0; x < src.width(); ++x) {
                    const QRgb c = line[x] & 0xFFFFFF;
                    if ((!alpha && c == k) || qAlpha(line[x]) == 0 || c == face)
                        continue;
                    const int g = (77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c)) / 256;
                    line[x] = qRgba(g, g, g, qAlpha(line[x]));
                }
            }
            img = keyed(src, key);
        }
        break;
    }
    if (!list_)
        list_ = TGlyphCache::GetList(size);
    indexes_[state] = list_->Add(img);
    return img;
}

TButtonLayoutResult TQvButtonGlyph::CalcLayout(const QFontMetrics &fm, const QRect &client, const QString &caption,
                                               TButtonLayout layout, int margin, int spacing, TButtonState state,
                                               bool wordWrap, bool dropDownMark)
{
    TButtonLayoutResult r;
    const int w = client.width(), h = client.height();
    const bool across = layout == blGlyphLeft || layout == blGlyphRight;
    const QSize glyph = GlyphSize();
    int gw = glyph.width(), gh = glyph.height();
    const bool hasGlyph = gw > 0 && gh > 0;
    const int m = margin != -1 ? margin : 0, s = spacing != -1 ? spacing : 0;
    int roomW = w, roomH = h;
    if (across)
        roomW = w - gw - m - s - (dropDownMark ? kMarkTextWidth : 0);
    else
        roomH = h - gh - m - s;
    roomW = std::max(0, roomW);
    roomH = std::max(0, roomH);

    QString text = caption.left(255);
    if (!wordWrap) {
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString &line : lines) {
            const bool cr = line.endsWith(QLatin1Char('\r'));
            if (cr)
                line.chop(1);
            line = FitTextWithEllipsis(line, fm, roomW);
            while (!line.isEmpty() && line.back() == QLatin1Char(' '))
                line.chop(1);
            if (cr)
                line += QLatin1Char('\r');
        }
        text = lines.join(QLatin1Char('\n'));
    }
    r.text = text;
    int tw = 0, th = 0;
    if (!text.isEmpty()) {
        const int flags = Qt::AlignHCenter | Qt::TextShowMnemonic | (wordWrap ? Qt::TextWordWrap : 0);
        const QRect measured = fm.boundingRect(QRect(0, 0, roomW, INT_MAX / 4), flags, text);
        tw = std::min(measured.width(), roomW);
        th = std::min(measured.height(), roomH);
    }
    if (dropDownMark) {
        if (!hasGlyph || layout == blGlyphLeft)
            tw += kMarkTextWidth;
        else
            gw += kMarkGlyphWidth;
    }

    int gx = 0, gy = 0, tx = 0, ty = 0;
    if (across) {
        gy = h / 2 - gh / 2;
        ty = h / 2 - th / 2;
    } else {
        gx = w / 2 - gw / 2;
        tx = w / 2 - tw / 2;
    }
    const int length = across ? w : h;
    const int glyphLength = across ? gw : gh;
    const int textLength = across ? tw : th;
    int mg = margin, sp = spacing;
    if (!hasGlyph || text.isEmpty())
        sp = 0;
    if (mg == -1) {
        if (sp != -1) {
            const int total = glyphLength + sp + textLength;
            mg = length / 2 - total / 2;
        } else {
            sp = (length - glyphLength - textLength) / 3;
            mg = sp;
        }
    } else if (sp == -1) {
        sp = (length - (mg + glyphLength) - textLength) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        gx = mg;
        tx = gx + gw + sp;
        break;
    case blGlyphRight:
        gx = w - mg - gw;
        tx = gx - sp - tw;
        break;
    case blGlyphTop:
        gy = mg;
        ty = gy + gh + sp;
        break;
    case blGlyphBottom:
        gy = h - mg - gh;
        ty = gy - sp - th;
        break;
    }
    const QPoint offset = client.topLeft() + (pressedLook(state) ? QPoint(1, 1) : QPoint(0, 0));
    r.glyphPos = QPoint(gx, gy) + offset;
    r.textRect = QRect(tx, ty, tw, th).translated(offset);
    return r;
}

QRect TQvButtonGlyph::Draw(QPainter &p, const QRect &client, const QString &caption, TButtonLayout layout,
                           int margin, int spacing, TButtonState state, TAlignment alignment, bool wordWrap,
                           bool dropDownMark, const QPalette &pal)
{
    const TButtonLayoutResult r =
        CalcLayout(p.fontMetrics(), client, caption, layout, margin, spacing, state, wordWrap, dropDownMark);
    const QImage img = StateImage(state);
    if (!img.isNull())
        p.drawImage(r.glyphPos, img);
    QRect textRect = r.textRect;
    const bool markBesideText = dropDownMark && (img.isNull() || layout == blGlyphLeft);
    if (markBesideText)
        textRect.setRight(textRect.right() - kMarkTextWidth);
    if (!r.text.isEmpty()) {
        const int flags = int(HorizontalAlignment(alignment)) | Qt::AlignVCenter | Qt::TextShowMnemonic |
                          (wordWrap ? Qt::TextWordWrap : 0);
        if (state == bsDisabled) {
            p.setPen(pal.color(QPalette::Light));
            p.drawText(textRect.translated(1, 1), flags, r.text);
            p.setPen(pal.color(QPalette::Dark));
        } else {
            p.setPen(pal.color(QPalette::ButtonText));
        }
        p.drawText(textRect, flags, r.text);
    }
    if (dropDownMark) {
        const QColor c = state == bsDisabled ? pal.color(QPalette::Dark) : pal.color(QPalette::ButtonText);
        if (markBesideText)
            drawDropDownArrow(p, QPoint(textRect.right() + 3, r.textRect.center().y() - 1), c);
        else
            drawDropDownArrow(p, QPoint(r.glyphPos.x() + img.width() + 1, r.glyphPos.y() + img.height() / 2 - 1), c);
    }
    return textRect;
}

// TButtonImage

TButtonImage::TButtonImage() : glyph_(std::make_unique<TQvButtonGlyph>()) {}

TButtonImage::~TButtonImage() = default;

void TButtonImage::Draw(QPainter &p, int x, int y, TButtonState state)
{
    const QRect r(QPoint(x, y), ButtonSize);
    const QPalette pal;
    p.save();
    p.fillRect(r, pal.color(QPalette::Button));
    DrawButtonFrame(p, r, pressedLook(state), bsNew, pal);
    p.setFont(Font);
    p.setClipRect(r);
    glyph_->Draw(p, r.adjusted(2, 2, -2, -2), Caption, Layout, Margin, Spacing, state, Alignment, WordWrap, false, pal);
    p.restore();
}

void DrawButtonFrame(QPainter &p, const QRect &r, bool pressed, TButtonStyle style, const QPalette &pal)
{
    if (r.width() < 2 || r.height() < 2)
        return;
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    auto edges = [&](int inset, const QColor &topLeft, const QColor &bottomRight) {
        p.setPen(topLeft);
        p.drawLine(x0 + inset, y1 - inset, x0 + inset, y0 + inset);
        p.drawLine(x0 + inset, y0 + inset, x1 - inset, y0 + inset);
        p.setPen(bottomRight);
        p.drawLine(x1 - inset, y0 + inset, x1 - inset, y1 - inset);
        p.drawLine(x1 - inset, y1 - inset, x0 + inset, y1 - inset);
    };
    if (style == bsWin31) {
        p.setPen(pal.color(QPalette::Shadow));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (pressed)
            edges(1, pal.color(QPalette::Dark), pal.color(QPalette::Button));
        else
            edges(1, pal.color(QPalette::Light), pal.color(QPalette::Dark));
        return;
    }
    if (pressed) {
        edges(0, pal.color(QPalette::Dark), pal.color(QPalette::Light));
        edges(1, pal.color(QPalette::Shadow), pal.color(QPalette::Button));
    } else {
        edges(0, pal.color(QPalette::Light), pal.color(QPalette::Shadow));
        edges(1, pal.color(QPalette::Button), pal.color(QPalette::Dark));
    }
}

// TQvSpeedButton

TQvSpeedButton::TQvSpeedButton(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QvSpeedButton"));
    resize(25, 25);
    glyph_.OnChange = [this] { update(); };
}

TQvSpeedButton::~TQvSpeedButton()
{
    glyph_.OnChange = nullptr;
}

void TQvSpeedButton::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    update();
}

void TQvSpeedButton::SetAllowAllUp(bool value)
{
    if (value == allowAllUp_)
        return;
    allowAllUp_ = value;
    updateExclusive(groupIndex_, this);
}

void TQvSpeedButton::SetAllowTimer(bool value)
{
    allowTimer_ = value;
    if (!value)
        stopRepeat();
}

void TQvSpeedButton::SetGroupIndex(int value)
{
    if (value == groupIndex_)
        return;
    groupIndex_ = value;
    updateExclusive(groupIndex_, this);
}

void TQvSpeedButton::SetDown(bool value)
{
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    if (down_ && !allowAllUp_)
        return;
    down_ = value;
    if (value) {
        state_ = bsExclusive;
        update();
        updateExclusive(groupIndex_, this);
    } else {
        state_ = bsUp;
        update();
    }
}

void TQvSpeedButton::updateExclusive(int groupIndex, TQvSpeedButton *sender)
{
    QWidget *parent = parentWidget();
    if (!parent || groupIndex == 0)
        return;
    ButtonPressedEvent ev(groupIndex, sender);
    // A copy: a receiver may reparent or delete controls.
    const QObjectList children = parent->children();
    for (QObject *o : children)
        if (o != sender && o->isWidgetType())
            QCoreApplication::sendEvent(o, &ev);
}

void TQvSpeedButton::SetDropDownMenu(QMenu *menu)
{
    if (menu == dropDownMenu_)
        return;
    dropDownMenu_ = menu;
    update();
}

void TQvSpeedButton::SetCaption(const QString &value)
{
    if (value == caption_)
        return;
    caption_ = value;
    update();
}

void TQvSpeedButton::SetFlat(bool value)
{
    if (value == flat_)
        return;
    flat_ = value;
    update();
}

void TQvSpeedButton::SetGlyph(const QImage &glyph)
{
    glyph_.SetGlyph(glyph);
}

void TQvSpeedButton::SetGrayedInactive(bool value)
{
    if (value == grayedInactive_)
        return;
    grayedInactive_ = value;
    if (flat_)
        update();
}

void TQvSpeedButton::SetLayout(TButtonLayout value)
{
    if (value == layout_)
        return;
    layout_ = value;
    update();
}

void TQvSpeedButton::SetMargin(int value)
{
    if (value == margin_ || value < -1)
        return;
    margin_ = value;
    update();
}

void TQvSpeedButton::SetMarkDropDown(bool value)
{
    if (value == markDropDown_)
        return;
    markDropDown_ = value;
    update();
}

void TQvSpeedButton::SetNumGlyphs(int count)
{
    glyph_.SetNumGlyphs(count);
}

void TQvSpeedButton::SetShowHint(bool value)
{
    showHint_ = value;
    parentShowHint_ = false;
}

bool TQvSpeedButton::EffectiveShowHint() const
{
    if (parentShowHint_ && parentWidget()) {
        const QVariant v = parentWidget()->property("ShowHint");
        return v.isValid() ? v.toBool() : true;
    }
    return showHint_;
}

void TQvSpeedButton::SetSpacing(int value)
{
    if (value == spacing_ || value < -1)
        return;
    spacing_ = value;
    update();
}

void TQvSpeedButton::SetStyle(TButtonStyle value)
{
    if (value == style_)
        return;
    style_ = value;
    update();
}

void TQvSpeedButton::SetTransparent(bool value)
{
    if (value == transparent_)
        return;
    transparent_ = value;
    update();
}

void TQvSpeedButton::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    update();
}

void TQvSpeedButton::SetHint(const QString &hint)
{
    hint_ = hint;
    setToolTip(GetShortHint(hint));
    setStatusTip(GetLongHint(hint));
}

void TQvSpeedButton::SetState(TButtonState state)
{
    if (state == state_)
        return;
    state_ = state;
    update();
}

TButtonState TQvSpeedButton::DrawnState() const
{
    if (!isEnabled())
        return bsDisabled;
    if (state_ == bsUp && flat_ && grayedInactive_ && !mouseIn_)
        return bsInactive;
    return state_;
}

bool TQvSpeedButton::RepeatActive() const
{
    return repeat_ && repeat_->Active();
}

bool TQvSpeedButton::wantsDropDownMark() const
{
    return dropDownMenu_ && markDropDown_;
}

void TQvSpeedButton::Click()
{
    if (OnClick)
        OnClick(this);
    if (modalResult_ != 0)
        if (auto *dialog = qobject_cast<QDialog *>(window()))
            dialog->done(modalResult_);
}

void TQvSpeedButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    PaintButton(p);
}

void TQvSpeedButton::PaintButton(QPainter &p)
{
    const QPalette pal = palette();
    const QRect r = rect();
    p.fillRect(r, pal.color(QPalette::Button));
    if (transparent_)
        PaintParentBackground(this, p);
    const TButtonState drawn = DrawnState();
    const bool pressed = pressedLook(state_);
    const bool frame = !flat_ || mouseIn_;
    if (frame) {
        if (flat_) {
            const QColor tl = pal.color(pressed ? QPalette::Dark : QPalette::Light);
            const QColor br = pal.color(pressed ? QPalette::Light : QPalette::Dark);
            p.setPen(tl);
            p.drawLine(0, r.height() - 1, 0, 0);
            p.drawLine(0, 0, r.width() - 1, 0);
            p.setPen(br);
            p.drawLine(r.width() - 1, 0, r.width() - 1, r.height() - 1);
            p.drawLine(r.width() - 1, r.height() - 1, 0, r.height() - 1);
        } else {
            DrawButtonFrame(p, r, pressed, style_, pal);
        }
    }
    const int inset = flat_ ? 1 : 2;
    const QRect client = r.adjusted(inset, inset, -inset, -inset);
    if (state_ == bsExclusive && isEnabled())
        p.fillRect(client, ditherBrush(pal));
    p.setFont(font());
    glyph_.Draw(p, client, caption_, layout_, margin_, spacing_, drawn, alignment_, wordWrap_, wantsDropDownMark(),
                pal);
}

void TQvSpeedButton::popupMenu()
{
    QMenu *menu = dropDownMenu_;
    const QPoint at = menuPosition_ == dmpBottom ? mapToGlobal(QPoint(0, height())) : mapToGlobal(QPoint(width(), 0));
    QPointer<TQvSpeedButton> self(this);
    menu->exec(at);
    if (!self)
        return;
    // The press ends with the menu: no click follows.
    dragging_ = false;
    SetState(down_ ? bsExclusive : bsUp);
}

void TQvSpeedButton::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), pos.x(), pos.y());
    if (e->button() != Qt::LeftButton || !isEnabled() || menuShowing_)
        return;
    pressed_ = true;
    if (!down_)
        SetState(bsDown);
    dragging_ = true;
    if (dropDownMenu_ && markDropDown_) {
        QPointer<TQvSpeedButton> self(this);
        menuShowing_ = true;
        try {
            popupMenu();
        } catch (...) {
            if (self)
                menuShowing_ = false;
            throw;
        }
        if (!self)
            return;
        menuShowing_ = false;
    }
    if (allowTimer_ && dragging_) {
        if (!repeat_) {
            repeat_ = new RepeatTimer(this);
            repeat_->OnTimer = [this] { timerTick(); };
        }
        repeat_->Start(initPause_);
    }
}

void TQvSpeedButton::timerTick()
{
    if (repeat_->Interval() != std::max(1, repeatInterval_))
        repeat_->SetInterval(repeatInterval_);
    if (state_ != bsDown || !dragging_)
        return;
    // A failing click ends the repeat and is reported like any failure of an event handler.
    try {
        Click();
    } catch (const std::exception &ex) {
        stopRepeat();
        platform::Application::HandleException(ex);
    } catch (...) {
        stopRepeat();
        platform::Application::HandleException(platform::Error(QStringLiteral("Unknown exception")));
    }
}

void TQvSpeedButton::stopRepeat()
{
    if (repeat_)
        repeat_->Stop();
}

void TQvSpeedButton::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), pos.x(), pos.y());
    if (!dragging_)
        return;
    TButtonState state = down_ ? bsExclusive : bsUp;
    if (rect().contains(pos) && !down_)
        state = bsDown;
    SetState(state);
}

void TQvSpeedButton::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    QPointer<TQvSpeedButton> self(this);
    if (e->button() == Qt::LeftButton) {
        pressed_ = false;
        stopRepeat();
        if (dragging_) {
            dragging_ = false;
            const bool inside = rect().contains(pos);
            if (groupIndex_ == 0)
                SetState(bsUp);
            else if (inside)
                SetDown(!down_);
            else
                SetState(down_ ? bsExclusive : bsUp);
            if (inside && !menuShowing_)
                Click();
        }
    }
    if (!self)
        return;
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), pos.x(), pos.y());
    if (self && !pressed_ && !rect().contains(pos))
        setMouseIn(false);
}

void TQvSpeedButton::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
    // The second press of a double click presses the button like the first.
    mousePressEvent(e);
}

void TQvSpeedButton::setMouseIn(bool in)
{
    if (in == mouseIn_)
        return;
    mouseIn_ = in;
    if (flat_)
        update();
    if (in && OnMouseEnter)
        OnMouseEnter(this);
    if (!in && OnMouseLeave)
        OnMouseLeave(this);
}

void TQvSpeedButton::enterEvent(QEnterEvent *)
{
    // A hint with "|" says what the status line shows, even when that is nothing.
    if (statusTip().isEmpty() && hint_.contains(QLatin1Char('|'))) {
        QStatusTipEvent tip{QString()};
        QCoreApplication::sendEvent(this, &tip);
    }
    if (isEnabled() && ThreadOwnsActiveWindow())
        setMouseIn(true);
}

void TQvSpeedButton::leaveEvent(QEvent *)
{
    // While a button is held the leave waits for the release.
    if (!pressed_)
        setMouseIn(false);
}

bool TQvSpeedButton::event(QEvent *e)
{
    if (e->type() == QEvent::Type(QvButtonPressedEvent)) {
        auto *ev = static_cast<ButtonPressedEvent *>(e);
        if (ev->group == groupIndex_ && ev->sender != this && ev->sender) {
            if (ev->sender->Down() && down_) {
                down_ = false;
                state_ = bsUp;
                update();
            }
            allowAllUp_ = ev->sender->AllowAllUp();
        }
        return true;
    }
    if (e->type() == QEvent::ToolTip && !EffectiveShowHint()) {
        e->ignore();
        return true;
    }
    return QWidget::event(e);
}

void TQvSpeedButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            stopRepeat();
            dragging_ = false;
            setMouseIn(false);
            state_ = down_ ? bsExclusive : bsUp;
        }
        update();
    } else if (e->type() == QEvent::PaletteChange) {
        glyph_.Invalidate();
        update();
    }
    QWidget::changeEvent(e);
}

} // namespace qv
