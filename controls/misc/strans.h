#pragma once
// A control that can show what its parent paints under it as its own background, kept in a cached image
// that is taken again after the control moves or changes size.
#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace misc {

class TsTransControl : public QWidget {
    Q_OBJECT
public:
    explicit TsTransControl(QWidget *parent = nullptr);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // The background while not transparent; the palette's button face until one is given.
    QColor Color() const;
    void SetColor(const QColor &value);

    // Whether the cached background must be taken again before it is shown.
    bool BackgroundStale() const { return stale_ || geometry() != takenAt_; }
    // Marks the background stale and repaints.
    void InvalidateBackground();
    // The cached background (null until a transparent paint took it).
    const QPixmap &CachedBackground() const { return background_; }

protected:
    // Fills r with the cached background while transparent (taking it first when stale), else with Color.
    void PaintBackground(QPainter &painter, const QRect &r);

    void paintEvent(QPaintEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void takeBackground();
    void geometryChanged();

    bool transparent_ = false;
    bool stale_ = true;
    QColor color_;
    QPixmap background_;
    QRect takenAt_;
};

// The part of parent's own painting (its children left out) that lies under area, in parent's
// coordinates; a null pixmap without a parent or with an empty area.
QPixmap ParentImage(QWidget *parent, const QRect &area);

} // namespace misc
