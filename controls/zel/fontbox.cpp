#include "fontbox.h"

#include "controls/zel/glyphs.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace zel {
namespace {

const char *const kindGlyphs[] = {"PS", "TTF", "RASTER", "UNKNOWN"};
const unsigned kindFlags[] = {ShowPostScript, ShowTrueType, ShowRaster, ShowOther};
constexpr int KindRole = Qt::UserRole + 1;

// The kind glyph on the background colour (white in the glyph is transparent), then the name.
class FontItemDelegate : public QStyledItemDelegate {
public:
    FontItemDelegate(QObject *parent, const int *itemHeight) : QStyledItemDelegate(parent), itemHeight_(itemHeight) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const QColor back = selected ? option.palette.color(QPalette::Highlight) : option.palette.color(QPalette::Base);
        p->fillRect(r, back);
        const int kind = std::clamp(index.data(KindRole).toInt(), 0, 3);
        QImage glyph = ZelGlyph(QLatin1String(kindGlyphs[kind])).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                if ((glyph.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                    glyph.setPixel(x, y, back.rgba());
        const int side = r.height();
        p->drawImage(QRect(r.left(), r.top(), side, side), glyph);
        p->setFont(option.font);
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(QRect(r.left() + side + 2, r.top(), r.width() - side - 2, side), Qt::AlignLeft | Qt::AlignVCenter,
                    index.data(Qt::DisplayRole).toString());
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width() + *itemHeight_ + 2, *itemHeight_);
    }

private:
    const int *itemHeight_;
};

QFont controlFont()
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setBold(false);
    return f;
}

} // namespace

// --- TZELFontList

int TZELFontList::IndexOf(const QString &name) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void TZELFontList::Add(std::unique_ptr<TZELFontClass> font)
{
    if (IndexOf(font->Name) >= 0)
        return;
    auto at = std::lower_bound(items_.begin(), items_.end(), font->Name, [](const auto &item, const QString &name) {
        return item->Name.compare(name, Qt::CaseInsensitive) < 0;
    });
    items_.insert(at, std::move(font));
}

void TZELFontList::Fill(QObject *sender, TZELFilterOptions filter, const TZELOnFontValidate &validate)
{
    for (const platform::FontFamily &family : platform::InstalledFontFamilies()) {
        auto font = std::make_unique<TZELFontClass>(family.name, quint8(family.kind));
        bool accept = true;
        if (validate)
            validate(sender, *font, accept);
        if (accept && (filter & kindFlags[std::min<int>(font->Kind, 3)]))
            Add(std::move(font));
    }
}

// --- TZELFontBox

TZELFontBox::TZELFontBox(QWidget *parent) : TZELFontControl<QListWidget>(parent)
{
    setFont(controlFont());
    setSortingEnabled(false); // the font list keeps its own order
    setUniformItemSizes(true);
    setItemDelegate(new FontItemDelegate(this, &itemHeight_));
    rebuild();
    if (count() > 0)
        setCurrentRow(0);
}

void TZELFontBox::fillItems()
{
    clear();
    for (int i = 0; i < fonts_.Count(); ++i) {
        auto *item = new QListWidgetItem(fonts_.Name(i), this);
        item->setData(KindRole, int(fonts_.Object(i).Kind));
    }
}

QString TZELFontBox::FontSelected() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void TZELFontBox::SetFontSelected(const QString &name)
{
    const int index = fonts_.IndexOf(name);
    setCurrentRow(index);
    if (index < 0)
        clearSelection();
}

void TZELFontBox::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange) {
        itemHeight_ = fontMetrics().height();
        doItemsLayout();
    }
    QListWidget::changeEvent(e);
}

// --- TZELFontCombo

TZELFontCombo::TZELFontCombo(QWidget *parent) : TZELFontControl<QComboBox>(parent)
{
    setFont(controlFont());
    // Editable, so that a family this system lacks (a page's "Arial") is kept as typed or stored.
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setItemDelegate(new FontItemDelegate(this, &itemHeight_));
    rebuild();
    if (count() > 0)
        setCurrentIndex(0);
}

void TZELFontCombo::fillItems()
{
    clear();
    for (int i = 0; i < fonts_.Count(); ++i) {
        addItem(fonts_.Name(i));
        setItemData(i, int(fonts_.Object(i).Kind), KindRole);
    }
    setCurrentIndex(-1);
}

QString TZELFontCombo::FontSelected() const
{
    const QString typed = currentText();
    if (typed.isEmpty())
        return QString();
    const int index = fonts_.IndexOf(typed);
    if (index >= 0)
        return fonts_.Name(index);
    // An installed family that is not listed (filtered out) is no choice; one this system lacks is kept.
    return platform::IsFontInstalled(typed) ? QString() : typed;
}

void TZELFontCombo::SetFontSelected(const QString &name)
{
    const int index = fonts_.IndexOf(name);
    setCurrentIndex(index);
    if (index < 0)
        setEditText(platform::IsFontInstalled(name) ? QString() : name);
}

} // namespace zel
