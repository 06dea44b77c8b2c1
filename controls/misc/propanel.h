#pragma once
// A panel with per-side bevels, a border colour and vertical caption alignment; and a frame (no
// background of its own) with the same bevels.
#include "controls/misc/mouseevents.h"
#include "controls/misc/probevel.h"
#include "controls/misc/protypes.h"

#include <QColor>
#include <QString>
#include <QWidget>

namespace misc {

class TProCustomPanel : public QWidget, public TProBevelFrame, public TControlMouseEvents {
    Q_OBJECT
public:
    explicit TProCustomPanel(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString &value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
    void SetVerticalAlignment(TVerticalAlignment value);
    QColor Color() const { return color_; }
    void SetColor(const QColor &value);
    // bsSingle: a plain one-pixel window border around everything.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool Locked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool value) { fullRepaint_ = value; }

    TNotifyEvent OnResize;

protected:
    void FrameChanged() override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    QString caption_;
    TAlignment alignment_ = taCenter;
    TVerticalAlignment verticalAlignment_ = vaCenter;
    QColor color_;
    TBorderStyle borderStyle_ = bsNone;
    bool locked_ = false;
    bool fullRepaint_ = true;
};

class TProPanel : public TProCustomPanel {
    Q_OBJECT
public:
    explicit TProPanel(QWidget *parent = nullptr) : TProCustomPanel(parent) {}
};

class TProBorder : public QWidget, public TProBevelFrame {
    Q_OBJECT
public:
    explicit TProBorder(QWidget *parent = nullptr);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void FrameChanged() override;
    bool WidthFollowsCtl3D() const override { return true; }
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

} // namespace misc
