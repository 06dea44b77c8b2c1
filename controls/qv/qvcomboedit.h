#pragma once
// An edit with one button inside its right end: the button raises OnButtonClick, a key combination
// clicks it, its glyph is the user's, a drop-down arrow or an ellipsis, and the text can be kept from
// typing so that only the button sets it. The base also carries the machinery of a pop-up window shown
// under the edit, for descendants that have one.
#include "controls/qv/qvtypes.h"
#include "platform/form.h"

#include <QImage>
#include <QKeyCombination>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>

namespace qv {

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

class TCustomComboEdit;

class TEditButton : public QToolButton {
    Q_OBJECT
public:
    TEditButton(TCustomComboEdit *edit, QWidget *parent);

    // The glyph holds NumGlyphs images side by side: normal, then disabled.
    QImage Glyph() const { return glyph_; }
    void SetGlyph(const QImage &glyph);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    TCustomComboEdit *edit_;
    QImage glyph_;
    int numGlyphs_ = 1;
    bool swallowClick_ = false;
};

class TCustomComboEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCustomComboEdit(QWidget *parent = nullptr);
    ~TCustomComboEdit() override;

    // The key combination that clicks the button (Alt+Down); none while ButtonWidth is 0.
    QKeyCombination ClickKey() const { return clickKey_; }
    void SetClickKey(QKeyCombination key) { clickKey_ = key; }
    bool ReadOnly() const { return GetReadOnly(); }
    void SetReadOnly(bool on);
    // Whether the text may be typed (and pasted); the button works either way.
    bool DirectInput() const { return directInput_; }
    void SetDirectInput(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    bool AutoSelect = true;

    TGlyphKind GlyphKind() const { return glyphKind_; }
    void SetGlyphKind(TGlyphKind kind);
    // Setting a glyph makes the kind gkCustom.
    QImage Glyph() const { return button_->Glyph(); }
    void SetGlyph(const QImage &glyph);
    int NumGlyphs() const { return button_->NumGlyphs(); }
    void SetNumGlyphs(int n);
    // The button shows for widths of 2 and more; a width that would fill the edit is refused.
    int ButtonWidth() const { return button_->width(); }
    void SetButtonWidth(int width);
    QString ButtonHint() const { return button_->toolTip(); }
    void SetButtonHint(const QString &hint) { button_->setToolTip(hint); }
    // Qt's input mask syntax.
    QString EditMask() const { return inputMask(); }
    void SetEditMask(const QString &mask) { setInputMask(mask); }

    platform::TNotifyEvent OnButtonClick;
    platform::TNotifyEvent OnChange;

    TEditButton *Button() const { return button_; }
    QWidget *ButtonHolder() const { return holder_; }
    bool PopupVisible() const { return popupVisible_; }
    // What a click on the button does: nothing when read-only; else OnButtonClick, then the pop-up opens
    // or, when open, closes accepting its value.
    void DoClick();
    // Closes an open pop-up, taking its value when accepted and the value passes.
    void PopupCloseUp(bool accept);
    // The smallest height the edit keeps.
    int MinimumHeight() const;

protected:
    virtual QImage GetDefaultBitmap() const { return {}; }
    virtual void PopupDropDown(bool disableEdit);
    virtual void ShowPopup(const QPoint &origin);
    virtual void HidePopup();
    virtual bool AcceptPopup(const QString &value) { return true; }
    virtual void SetPopupValue(const QString &value) {}
    virtual QString GetPopupValue() const { return {}; }
    // Called after a pop-up closed.
    virtual void PopupClosed(bool accepted) {}
    virtual bool GetReadOnly() const { return readOnly_; }
    virtual void ButtonClick();
    virtual void Change();

    // A descendant's pop-up: a window of its own that never takes the focus from the edit.
    void SetPopup(QWidget *popup);
    QWidget *Popup() const { return popup_; }
    // Lets the button work while the edit is read-only.
    bool AlwaysEnableButton = false;

    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyReadOnly();
    void rebuildGlyph();
    void layoutButton();
    int scrollBarWidth() const;

    QWidget *holder_;
    TEditButton *button_;
    QKeyCombination clickKey_{Qt::AltModifier, Qt::Key_Down};
    bool readOnly_ = false;
    bool directInput_ = true;
    TAlignment alignment_ = taLeftJustify;
    bool popupVisible_ = false;
    TGlyphKind glyphKind_ = gkCustom;
    QPointer<QWidget> popup_;
};

class TComboEdit : public TCustomComboEdit {
    Q_OBJECT
public:
    using TCustomComboEdit::TCustomComboEdit;
};

// The ellipsis of a button `buttonWidth` wide: three 2 x 2 black dots on white, 4 pixels high.
QImage EllipsisGlyph(int buttonWidth);

} // namespace qv
