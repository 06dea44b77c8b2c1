#pragma once
// A label that draws its caption with a shadow in one of four diagonal directions, can mark the focus of
// the control it names, and hands the focus to that control on its accelerator.
#include "controls/qv/qvtypes.h"
#include "platform/form.h"

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <functional>

class QShortcut;

namespace qv {

enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };
enum TTextLayout { tlTop, tlCenter, tlBottom };

using TMouseEvent = std::function<void(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject *sender, Qt::KeyboardModifiers shift, int x, int y)>;

// The click and mouse events of the set's controls.
struct TMouseEvents {
    platform::TNotifyEvent OnClick;
    platform::TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    platform::TNotifyEvent OnMouseEnter;
    platform::TNotifyEvent OnMouseLeave;
};

// Where the shadow of a text lies, relative to the text.
QPoint ShadowOffset(TShadowPosition position, int size);

class TQvCustomLabel : public QWidget, public TMouseEvents {
    Q_OBJECT
public:
    explicit TQvCustomLabel(QWidget *parent = nullptr);
    ~TQvCustomLabel() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    // The background; while ParentColor is set the parent's button face shows.
    QColor Color() const;
    void SetColor(const QColor &color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool on);
    QColor FontColor() const;
    void SetFontColor(const QColor &color);
    QWidget *FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget *control);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    // The highlight colour of the palette until one is given.
    QColor ShadowColor() const;
    void SetShadowColor(const QColor &color);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int size); // 0..255
    TShadowPosition ShadowPos() const { return shadowPos_; }
    void SetShadowPos(TShadowPosition position);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool on);
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);

    // Whether the mouse is over the label by the set's rule.
    bool MouseInControl() const { return mouseIn_; }
    // The text rectangle the caption is drawn in (client narrowed by 1, moved down for the layout).
    QRect TextRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    QString displayText() const;
    int textFlags() const;
    QRect measure(int width) const;
    void adjustBounds();
    void updateShortcut();
    void accelerator();
    void focusChanged();
    void setMouseIn(bool in);

    QString caption_;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    QColor color_;
    bool parentColor_ = true;
    QPointer<QWidget> focusControl_;
    TTextLayout layout_ = tlTop;
    QColor shadowColor_;
    int shadowSize_ = 1;
    TShadowPosition shadowPos_ = spLeftTop;
    bool showAccelChar_ = true;
    bool showFocus_ = false;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool focused_ = false;
    bool mouseIn_ = false;
    bool pressed_ = false;
    bool leavePending_ = false;
    QShortcut *shortcut_ = nullptr;
};

class TQvLabel : public TQvCustomLabel {
    Q_OBJECT
public:
    using TQvCustomLabel::TQvCustomLabel;
};

} // namespace qv
