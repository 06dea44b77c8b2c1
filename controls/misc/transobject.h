#pragma once
// What lets a standard control be drawn over its parent's background: the control's own image is laid
// over a cached copy of what lies under it, with the colour of its bottom-right pixel left out.
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>

class QPainter;

namespace misc {

class TTransObject {
public:
    // paintControl draws the control as it would draw itself, into any painter.
    TTransObject(QWidget *owner, std::function<void(QPainter &)> paintControl);
    ~TTransObject();
    TTransObject(const TTransObject &) = delete;
    TTransObject &operator=(const TTransObject &) = delete;

    QWidget *Owner() const { return owner_; }
    bool Transparent() const { return transparent_; }
    // Joins or leaves the program's list of transparent controls, marks the background stale, repaints.
    void SetTransparent(bool value);
    bool BackgroundStale() const { return stale_ || owner_->geometry() != takenAt_; }
    // From the owner's polish event: styles clear the opaque painting a transparent control needs (else
    // every repaint of the control would repaint its parent first, and the parent's repaint it again).
    void Polished();
    // Marks the background stale and repaints (and tells OnRefresh).
    void Refresh();
    // From the owner's paint event: composes and returns true while transparent; false when the owner
    // paints as usual.
    bool Paint();

    // The cached background (null until a transparent paint took it).
    const QPixmap &Background() const { return background_; }
    // The ancestor whose painting lies under the control: the first one that is not transparent.
    QWidget *BackgroundSource() const;

    // Called after every Refresh (groups pass it on to their buttons).
    std::function<void()> OnRefresh;

    // The program's transparent controls and whether the watch over other controls' painting is on.
    static int TransparentCount();
    static bool Watching();
    // Whether the widget is a transparent control.
    static bool IsTransparent(const QWidget *widget);

private:
    void takeBackground();

    QWidget *owner_;
    std::function<void(QPainter &)> paintControl_;
    bool transparent_ = false;
    bool stale_ = true;
    bool hadOpaquePaint_ = false;
    QPixmap background_;
    QRect takenAt_;
};

} // namespace misc
