#include "qvutils.h"

#include "platform/dialogs.h"
#include "platform/error.h"

#include <QApplication>
#include <QBitmap>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QSysInfo>
#include <QTextOption>
#include <QThread>
#include <QVersionNumber>
#include <QWidget>
#include <map>

namespace qv {
namespace {

QHash<int, QCursor> &cursorTable()
{
    static QHash<int, QCursor> table;
    return table;
}

// Our own 32 x 32 cursor pictures: '#' black, '.' white, anything else transparent.
const char *const handCursor[] = {
    "      ##                        ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..###                     ",
    "     #..#..###                  ",
    "     #..#..#..##                ",
    "     #..#..#..#.#               ",
    "  ## #..#..#..#..#              ",
    " #..##........#..#              ",
    " #...#...........#              ",
    "  #..#...........#              ",
    "   #.............#              ",
    "   #.............#              ",
    "    #...........#               ",
    "    #...........#               ",
    "     #.........#                ",
    "     #.........#                ",
    "     ###########                ",
};
const char *const dragCursor[] = {
    "#                               ",
    "##                              ",
    "#.#                             ",
    "#..#                            ",
    "#...#                           ",
    "#....#                          ",
    "#.....#                         ",
    "#......#                        ",
    "#.......#                       ",
    "#........#                      ",
    "#.....#####                     ",
    "#..#..#                         ",
    "#.# #..#                        ",
    "##  #..#                        ",
    "#    #..#                       ",
    "     #..#  ##########           ",
    "      ##   #........#           ",
    "           #........#           ",
    "           #........#           ",
    "           #........#           ",
    "           #........#           ",
    "           ##########           ",
};

QCursor makeCursor(const char *const *rows, int count, QPoint hot)
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < count; ++y)
        for (int x = 0; x < 32 && rows[y][x]; ++x) {
            if (rows[y][x] == '#')
                img.setPixel(x, y, qRgb(0, 0, 0));
            else if (rows[y][x] == '.')
                img.setPixel(x, y, qRgb(255, 255, 255));
        }
    return QCursor(QPixmap::fromImage(img), hot.x(), hot.y());
}

int waitDepth = 0;

// Frames currently on the screen, keyed by rectangle and width, so that a second draw erases.
std::map<std::tuple<int, int, int, int, int>, QPointer<QWidget>> &screenFrames()
{
    static std::map<std::tuple<int, int, int, int, int>, QPointer<QWidget>> frames;
    return frames;
}

class ScreenFrame : public QWidget {
public:
    // The window is shaped to the frame itself: a translucent window would need a compositing manager,
    // without which X11 shows its inside as a black block; a shaped one shows what lies inside on any
    // display.
    ScreenFrame(const QRect &r, int width)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        setGeometry(r);
        const QRect all(QPoint(0, 0), r.size());
        setMask(QRegion(all).subtracted(QRegion(all.adjusted(width, width, -width, -width))));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        // Dots of black and white, as a focus frame drawn inverted: seen on any background.
        QPainter p(this);
        p.fillRect(rect(), QBrush(MakeCheckerPattern(Qt::black, Qt::white)));
    }
};

} // namespace

void LoadControlCursors()
{
    auto &t = cursorTable();
    if (t.contains(crQVHand))
        return;
    t.insert(crQVHand, makeCursor(handCursor, int(std::size(handCursor)), QPoint(6, 0)));
    t.insert(crQVDrag, makeCursor(dragCursor, int(std::size(dragCursor)), QPoint(0, 0)));
}

QCursor ScreenCursor(int id)
{
    LoadControlCursors();
    const auto &t = cursorTable();
    const auto it = t.constFind(id);
    if (it != t.constEnd())
        return *it;
    if (id >= 0 && id <= Qt::LastCursor)
        return QCursor(Qt::CursorShape(id));
    return QCursor(Qt::ArrowCursor);
}

void PaintParentBackground(QWidget *control, QPainter &painter)
{
    QWidget *parent = control ? control->parentWidget() : nullptr;
    if (!parent)
        return;
    const QRect geo = control->geometry();
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), geo.size()));
    // The parent's background only: its children are painted below, in order, up to the control.
    parent->render(&painter, QPoint(0, 0), QRegion(geo), QWidget::DrawWindowBackground);
    for (QObject *o : parent->children()) {
        if (o == control)
            break;
        auto *sib = qobject_cast<QWidget *>(o);
        if (!sib || !sib->isVisible() || sib->isWindow() || !sib->geometry().intersects(geo))
            continue;
        sib->render(&painter, sib->pos() - geo.topLeft(), QRegion(), QWidget::DrawChildren);
    }
    painter.restore();
}

void DrawTransparentBitmap(QPainter &painter, const QRect &dest, const QImage &bitmap, const QRect &source,
                           QColor transparent)
{
    if (bitmap.isNull())
        return;
    QImage src = bitmap.copy(source).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0xFFFFFF;
    for (int y = 0; y < src.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(src.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    painter.drawImage(dest, src);
}

void DrawTransparentBitmap(QPainter &painter, const QRect &dest, const QImage &bitmap, QColor transparent)
{
    DrawTransparentBitmap(painter, dest, bitmap, bitmap.rect(), transparent);
}

void DrawTransparentBitmap(QPainter &painter, const QRect &dest, const QImage &bitmap)
{
    if (bitmap.isNull())
        return;
    DrawTransparentBitmap(painter, dest, bitmap, QColor(bitmap.pixel(0, bitmap.height() - 1)));
}

QImage MakeEmbossedBitmap(const QImage &bitmap, QColor background, QColor highlight, QColor shadow, QColor face)
{
    QImage out(bitmap.size(), QImage::Format_RGB32);
    out.fill(face);
    if (bitmap.isNull())
        return out;
    const QImage src = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb bg = background.rgb() & 0xFFFFFF;
    auto glyph = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < src.width() && y < src.height() && (src.pixel(x, y) & 0xFFFFFF) != bg;
    };
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            if (glyph(x, y))
                out.setPixel(x, y, shadow.rgb());
            else if (glyph(x - 1, y - 1))
                out.setPixel(x, y, highlight.rgb());
        }
    return out;
}

QImage MakeEmbossedBitmap(const QImage &bitmap, QColor background)
{
    const QPalette pal = QApplication::palette();
    return MakeEmbossedBitmap(bitmap, background, pal.color(QPalette::Light), pal.color(QPalette::Dark),
                              pal.color(QPalette::Button));
}

QImage MakeCheckerPattern(QColor colour1, QColor colour2)
{
    QImage img(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.setPixel(x, y, (x % 2) == (y % 2) ? colour2.rgb() : colour1.rgb());
    return img;
}

void DrawScreenFrame(const QRect &r, int width)
{
    auto &frames = screenFrames();
    const auto key = std::make_tuple(r.x(), r.y(), r.width(), r.height(), width);
    const auto it = frames.find(key);
    if (it != frames.end()) {
        if (it->second)
            it->second->close();
        frames.erase(it);
        return;
    }
    auto *f = new ScreenFrame(r, width);
    f->show();
    frames[key] = f;
}

void DrawGridCellText(QPainter &painter, const QRect &cell, const QString &text, Qt::Alignment alignment,
                      bool wordWrap)
{
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
    const bool single = !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
    if (single && !wordWrap && painter.brush().style() == Qt::SolidPattern) {
        // Opaque and clipped in one pass.
        painter.save();
        painter.setClipRect(cell);
        painter.fillRect(cell, painter.brush());
        painter.drawText(cell, int(h | Qt::AlignVCenter | Qt::TextSingleLine), text);
        painter.restore();
        return;
    }
    painter.save();
    painter.setClipRect(cell);
    painter.drawText(cell, int(h | Qt::AlignVCenter) | (wordWrap ? int(Qt::TextWordWrap) : 0), text);
    painter.restore();
}

QString FitTextWithEllipsis(const QString &text, const QFontMetrics &metrics, int maxWidth)
{
    if (metrics.horizontalAdvance(text) <= maxWidth)
        return text;
    QString t = text;
    const QString dots = QStringLiteral("...");
    while (!t.isEmpty()) {
        t.chop(1);
        if (metrics.horizontalAdvance(t + dots) <= maxWidth)
            break;
    }
    return t + dots; // nothing more to cut: the dots alone
}

void DiscardPendingMessage(QObject *receiver, int eventType)
{
    QCoreApplication::removePostedEvents(receiver, eventType);
}

void BeginWaitCursor(Qt::CursorShape shape)
{
    if (waitDepth++ == 0)
        QApplication::setOverrideCursor(QCursor(shape));
}

void EndWaitCursor()
{
    if (waitDepth == 0)
        return;
    if (--waitDepth == 0)
        QApplication::restoreOverrideCursor();
}

int WaitCursorDepth()
{
    return waitDepth;
}

void ReportNotImplemented()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    waitDepth = 0;
    platform::MessageBox(nullptr, QStringLiteral("Function not yet implemented"), platform::ApplicationTitle(),
                         platform::MB_OK);
    throw platform::Abort();
}

void SystemBeep()
{
    QApplication::beep();
}

QString WindowsVersionText()
{
    // The kernel's version stands in for the system's; the product name takes the service-pack place.
    const QVersionNumber v = QVersionNumber::fromString(QSysInfo::kernelVersion());
    return QStringLiteral("Windows %1 %2.%3.%4 %5")
        .arg(QStringLiteral("NT"))
        .arg(v.majorVersion())
        .arg(v.minorVersion(), 2, 10, QLatin1Char('0'))
        .arg(v.microVersion(), 3, 10, QLatin1Char('0'))
        .arg(QSysInfo::prettyProductName())
        .trimmed();
}

bool ThreadOwnsActiveWindow()
{
    QWidget *w = QApplication::activeWindow();
    return w && w->thread() == QThread::currentThread();
}

QString ReplaceAll(const QString &text, const QString &search, const QString &replacement)
{
    if (search.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(search, from);
        if (at < 0)
            break;
        out += QStringView(text).mid(from, at - from);
        out += replacement;
        from = at + search.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

int WordStart(int n, const QString &text, const QString &delimiters)
{
    int count = 0;
    int i = 0;
    const int len = int(text.size());
    while (i < len && count < n) {
        while (i < len && delimiters.contains(text.at(i)))
            ++i;
        if (i < len)
            ++count;
        if (count == n)
            return i + 1;
        while (i < len && !delimiters.contains(text.at(i)))
            ++i;
    }
    return 0;
}

int CountWords(const QString &text, const QString &delimiters)
{
    int count = 0;
    bool inWord = false;
    for (const QChar c : text) {
        const bool delim = delimiters.contains(c);
        if (!delim && !inWord)
            ++count;
        inWord = !delim;
    }
    return count;
}

QString NthWord(int n, const QString &text, const QString &delimiters)
{
    int i = WordStart(n, text, delimiters);
    if (i == 0)
        return QString();
    --i;
    int j = i;
    while (j < text.size() && !delimiters.contains(text.at(j)))
        ++j;
    return text.mid(i, j - i);
}

} // namespace qv
