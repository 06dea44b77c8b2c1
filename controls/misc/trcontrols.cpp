#include "trcontrols.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace misc {

TCustomTrCheckBox::TCustomTrCheckBox(QWidget *parent) : TTransparentControl<QCheckBox>(parent)
{
    resize(97, 17);
}

void TCustomTrCheckBox::PaintControl(QPainter &painter)
{
    QStyleOptionButton opt;
    initStyleOption(&opt);
    style()->drawControl(QStyle::CE_CheckBox, &opt, &painter, this);
}

TTrRadioButton::TTrRadioButton(QWidget *parent) : TTransparentControl<QRadioButton>(parent)
{
    resize(113, 17);
}

void TTrRadioButton::PaintControl(QPainter &painter)
{
    QStyleOptionButton opt;
    initStyleOption(&opt);
    style()->drawControl(QStyle::CE_RadioButton, &opt, &painter, this);
}

TCustomTrGroupBox::TCustomTrGroupBox(QWidget *parent) : TTransparentControl<QGroupBox>(parent)
{
    resize(185, 105);
    TransObject().OnRefresh = [this] {
        for (QObject *child : children())
            if (auto *control = dynamic_cast<TransparentControl *>(child); control && control->TransObject().Transparent())
                control->TransObject().Refresh();
    };
}

void TCustomTrGroupBox::PaintControl(QPainter &painter)
{
    QStyleOptionGroupBox opt;
    initStyleOption(&opt);
    style()->drawComplexControl(QStyle::CC_GroupBox, &opt, &painter, this);
}

// ---- radio group ----

TCustomTrRadioGroup::TCustomTrRadioGroup(QWidget *parent) : TCustomTrGroupBox(parent) {}

void TCustomTrRadioGroup::SetItems(const QStringList &items)
{
    items_ = items;
    qDeleteAll(buttons_);
    buttons_.clear();
    for (const QString &item : items_) {
        auto *button = new TTrGroupButton(this);
        button->setText(item);
        button->SetTransparent(Transparent());
        connect(button, &QAbstractButton::clicked, this, [this, button] { buttonClicked(button); });
        buttons_.append(button);
    }
    arrangeButtons();
    const int index = itemIndex_;
    itemIndex_ = -1;
    SetItemIndex(index);
}

void TCustomTrRadioGroup::SetColumns(int value)
{
    value = qBound(1, value, 16);
    if (value == columns_)
        return;
    columns_ = value;
    arrangeButtons();
}

void TCustomTrRadioGroup::SetItemIndex(int value)
{
    value = qBound(-1, value, int(buttons_.size()) - 1);
    itemIndex_ = value;
    for (int i = 0; i < buttons_.size(); ++i) {
        TTrGroupButton *b = buttons_[i];
        // An exclusive button cannot be unchecked by itself.
        b->setAutoExclusive(false);
        b->setChecked(i == value);
        b->setAutoExclusive(true);
    }
}

void TCustomTrRadioGroup::SetTransparent(bool value)
{
    TCustomTrGroupBox::SetTransparent(value);
    for (TTrGroupButton *b : buttons_)
        b->SetTransparent(value);
}

void TCustomTrRadioGroup::buttonClicked(TTrGroupButton *button)
{
    itemIndex_ = int(buttons_.indexOf(button));
    if (OnClick)
        OnClick(this);
}

void TCustomTrRadioGroup::arrangeButtons()
{
    if (buttons_.isEmpty())
        return;
    const int textHeight = QFontMetrics(font()).height();
    const int count = int(buttons_.size());
    const int rows = (count + columns_ - 1) / columns_;
    const int buttonWidth = (width() - 10) / columns_;
    const int free = height() - textHeight - 5;
    const int buttonHeight = free / rows;
    const int topMargin = (free % rows) / 2 + textHeight + 1;
    for (int i = 0; i < count; ++i) {
        buttons_[i]->setGeometry((i / rows) * buttonWidth + 8, (i % rows) * buttonHeight + topMargin,
                                 qMax(0, buttonWidth), qMax(0, buttonHeight));
        buttons_[i]->show();
    }
}

void TCustomTrRadioGroup::resizeEvent(QResizeEvent *event)
{
    TCustomTrGroupBox::resizeEvent(event);
    arrangeButtons();
}

void TCustomTrRadioGroup::changeEvent(QEvent *event)
{
    TCustomTrGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        arrangeButtons();
}

} // namespace misc
