#pragma once
// Small shared operations of the control set: integers, the set's two cursors, drawing of transparent,
// embossed and checkered images, screen frames, grid cell text, waiting cursors, and word splitting.
#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;
class QObject;
class QFontMetrics;

namespace qv {

// Integers.
inline int Max(int a, int b) { return a > b ? a : b; }
inline int Min(int a, int b) { return a < b ? a : b; }
inline void SwapIntegers(int &a, int &b) { const int t = a; a = b; b = t; }

// Cursors of the set, in the screen's cursor table under these numbers.
constexpr int crQVHand = 14000; // "QV_HANDCUR"
constexpr int crQVDrag = 14001; // "QV_DRAGCUR"
// Loads the set's cursors into the table (done once; later calls do nothing).
void LoadControlCursors();
// A cursor of the table: one of ours, or the standard cursor for a Qt::CursorShape number.
QCursor ScreenCursor(int id);

// Drawing.
// Paints what lies under a control that draws no background of its own: the parent's background, then
// every visible earlier sibling that overlaps it, at its offset.
void PaintParentBackground(QWidget *control, QPainter &painter);
// Copies a bitmap with one colour treated as transparent (stretched to dest when sizes differ).
void DrawTransparentBitmap(QPainter &painter, const QRect &dest, const QImage &bitmap, const QRect &source,
                           QColor transparent);
void DrawTransparentBitmap(QPainter &painter, const QRect &dest, const QImage &bitmap, QColor transparent);
// The transparent colour taken from the bitmap's bottom-left pixel.
void DrawTransparentBitmap(QPainter &painter, const QRect &dest, const QImage &bitmap);
// The glyph embossed: everything not the background colour drawn at (1,1) in the highlight colour,
// then at (0,0) in the shadow colour, over the face colour.
QImage MakeEmbossedBitmap(const QImage &bitmap, QColor background, QColor highlight, QColor shadow, QColor face);
QImage MakeEmbossedBitmap(const QImage &bitmap, QColor background);
// 8 x 8, colour 1 with the pixels of equal row and column parity in colour 2.
QImage MakeCheckerPattern(QColor colour1, QColor colour2);
// A focus-style frame of the given width on the screen; drawing the same frame again erases it.
void DrawScreenFrame(const QRect &screenRect, int width);
// Text in a grid cell: horizontal alignment (Qt::AlignLeft/Right/HCenter), optional word wrap, centred
// vertically.
void DrawGridCellText(QPainter &painter, const QRect &cell, const QString &text, Qt::Alignment alignment,
                      bool wordWrap);
// Cuts characters from the end and appends "..." until the text fits; a text that fits is returned as is.
QString FitTextWithEllipsis(const QString &text, const QFontMetrics &metrics, int maxWidth);

// Messages and process.
// Removes waiting posted events of this type for the receiver.
void DiscardPendingMessage(QObject *receiver, int eventType);
// Nested: the first sets the wait cursor, the last restores what was there.
void BeginWaitCursor(Qt::CursorShape shape = Qt::WaitCursor);
void EndWaitCursor();
// Restores the cursor even when an exception passes.
class WaitCursor {
public:
    explicit WaitCursor(Qt::CursorShape shape = Qt::WaitCursor) { BeginWaitCursor(shape); }
    ~WaitCursor() { EndWaitCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
int WaitCursorDepth();
// Resets the cursor, says "Function not yet implemented" and aborts the operation silently.
[[noreturn]] void ReportNotImplemented();
inline QString ResStr(const QString &message) { return message; }
void SystemBeep();
QString WindowsVersionText();
bool ThreadOwnsActiveWindow();
// A palette-relative colour value.
inline quint32 PaletteRelative(quint32 colour) { return colour | 0x02000000u; }

// Rectangles.
inline int RectWidth(const QRect &r) { return r.right() - r.left() + 1; }
inline int RectHeight(const QRect &r) { return r.bottom() - r.top() + 1; }
// Edges inclusive.
inline bool PointInRect(const QPoint &p, const QRect &r)
{
    return p.x() >= r.left() && p.x() <= r.right() + 1 && p.y() >= r.top() && p.y() <= r.bottom() + 1;
}

// Strings.
// Every occurrence, left to right; a replacement is never searched again. An empty search text leaves the
// text unchanged.
QString ReplaceAll(const QString &text, const QString &search, const QString &replacement);
// Words are maximal runs of characters not in the delimiter set.
int CountWords(const QString &text, const QString &delimiters);
int WordStart(int n, const QString &text, const QString &delimiters); // 1-based; 0 when none
QString NthWord(int n, const QString &text, const QString &delimiters);
// The delimiter set of the layout and placement records.
inline QString BlankComma() { return QStringLiteral(" ,"); }

} // namespace qv
