#pragma once
// Check box, radio button, group box and radio group that can be drawn over their parent's background.
#include "controls/misc/protypes.h"
#include "controls/misc/transobject.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QList>
#include <QRadioButton>
#include <QStringList>

namespace misc {

// What every transparent control offers, whatever standard control it is.
class TransparentControl {
public:
    virtual ~TransparentControl() = default;
    virtual TTransObject &TransObject() = 0;
};

template <class Base>
class TTransparentControl : public Base, public TransparentControl {
public:
    explicit TTransparentControl(QWidget *parent = nullptr)
        : Base(parent), trans_(this, [this](QPainter &p) { PaintControl(p); })
    {
    }

    bool Transparent() const { return trans_.Transparent(); }
    virtual void SetTransparent(bool value) { trans_.SetTransparent(value); }
    TTransObject &TransObject() override { return trans_; }

protected:
    // Draws the control the way the standard control draws itself.
    virtual void PaintControl(QPainter &painter) = 0;
    void paintEvent(QPaintEvent *event) override
    {
        if (!trans_.Paint())
            Base::paintEvent(event);
    }
    bool event(QEvent *event) override
    {
        const bool result = Base::event(event);
        if (event->type() == QEvent::Polish)
            trans_.Polished();
        return result;
    }

private:
    TTransObject trans_;
};

class TCustomTrCheckBox : public TTransparentControl<QCheckBox> {
    Q_OBJECT
public:
    explicit TCustomTrCheckBox(QWidget *parent = nullptr);

protected:
    void PaintControl(QPainter &painter) override;
};

class TTrCheckBox : public TCustomTrCheckBox {
    Q_OBJECT
public:
    using TCustomTrCheckBox::TCustomTrCheckBox;
};

class TTrRadioButton : public TTransparentControl<QRadioButton> {
    Q_OBJECT
public:
    explicit TTrRadioButton(QWidget *parent = nullptr);

protected:
    void PaintControl(QPainter &painter) override;
};

// A group box that passes its repaints on to the transparent controls in it.
class TCustomTrGroupBox : public TTransparentControl<QGroupBox> {
    Q_OBJECT
public:
    explicit TCustomTrGroupBox(QWidget *parent = nullptr);

protected:
    void PaintControl(QPainter &painter) override;
};

class TTrGroupBox : public TCustomTrGroupBox {
    Q_OBJECT
public:
    using TCustomTrGroupBox::TCustomTrGroupBox;
};

// One button of a radio group.
class TTrGroupButton : public TTrRadioButton {
    Q_OBJECT
public:
    using TTrRadioButton::TTrRadioButton;
};

// Radio buttons made from Items, laid out in Columns inside a group box; ItemIndex is the checked one.
class TCustomTrRadioGroup : public TCustomTrGroupBox {
    Q_OBJECT
public:
    explicit TCustomTrRadioGroup(QWidget *parent = nullptr);

    QStringList Items() const { return items_; }
    // Makes a button for each item (and keeps ItemIndex within them).
    void SetItems(const QStringList &items);
    int Columns() const { return columns_; }
    // 1 to 16.
    void SetColumns(int value);
    // -1 for none; a value beyond the last item takes the last.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int value);
    // The buttons follow the group's transparency.
    void SetTransparent(bool value) override;

    const QList<TTrGroupButton *> &Buttons() const { return buttons_; }

    // A button was clicked (ItemIndex is already its index).
    TNotifyEvent OnClick;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void arrangeButtons();
    void buttonClicked(TTrGroupButton *button);

    QStringList items_;
    int columns_ = 1;
    int itemIndex_ = -1;
    QList<TTrGroupButton *> buttons_;
};

class TTrRadioGroup : public TCustomTrRadioGroup {
    Q_OBJECT
public:
    using TCustomTrRadioGroup::TCustomTrRadioGroup;
};

} // namespace misc
