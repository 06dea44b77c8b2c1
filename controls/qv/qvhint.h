#pragma once
// The application's hint window: the hint drawn in the status-bar font in a rectangle, rounded rectangle
// or ellipse, optionally with a drop shadow and a tail pointing at the mouse cursor. One style holds for
// every hint of the application.
#include "controls/qv/qvtypes.h"

#include <QPixmap>
#include <QPainterPath>
#include <QWidget>

class QTimer;

namespace qv {

enum THintShape { hsRectangle, hsRoundRect, hsEllipse };

struct THintStyle {
    THintShape Shape = hsRectangle;
    int ShadowSize = 0; // pixels; 0 for none
    bool Tail = false;
    TAlignment Alignment = taLeftJustify;
};

// Where the hint lies from the cursor (the tail leaves from the corner nearest to it).
enum THintTailPosition { tpBelowLeft, tpBelowRight, tpAboveLeft, tpAboveRight };

class TQvHintWindow : public QWidget {
    Q_OBJECT
public:
    explicit TQvHintWindow(QWidget *parent = nullptr);

    // The window's size for a text at (0, 0): the text box with its margins, room for the shape, the
    // tail and the shadow.
    QRect CalcHintRect(int maxWidth, const QString &hint) const;
    // Shows the hint in a rectangle of that size, placed at the rectangle or, with a tail, about the
    // cursor, and kept on the cursor's screen.
    void ActivateHint(const QRect &rect, const QString &hint);
    void ActivateHint(const QRect &rect, const QString &hint, const QPoint &cursor);
    void ReleaseHint();

    QString Hint() const { return hint_; }
    THintTailPosition TailPosition() const { return tailPosition_; }
    // In window coordinates.
    QRect BodyRect() const;
    QRect TextRect() const;
    QPainterPath BodyPath() const;
    // Whether the screen under the hint was taken to draw around the shape (not where the platform
    // keeps the screen from us).
    bool HasSnapshot() const { return !snapshot_.isNull(); }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QSize textSize(int maxWidth, const QString &hint, TAlignment alignment) const;
    static int textFlags(TAlignment alignment);
    static int tailInset(const THintStyle &s, int bodyWidth);

    QPixmap snapshot_;
    THintTailPosition tailPosition_ = tpBelowRight;
    QString hint_;
    THintStyle style_; // as it was when the hint was shown
};

// Sets the style of every hint and makes TQvHintWindow the application's hint window; a hint on the
// screen goes away so that the next one takes the new style.
void SetHintStyle(THintShape shape, int shadowSize, bool tail, TAlignment alignment);
THintStyle HintStyle();
// The window that shows the application's hints; null before SetHintStyle.
TQvHintWindow *ApplicationHintWindow();
// How long a hint stays (ms).
constexpr int kHintHidePause = 2500;

} // namespace qv
