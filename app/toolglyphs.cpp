#include "toolglyphs.h"

#include "app/icons.h"

#include <QFont>
#include <QHash>
#include <QLinearGradient>
#include <QPalette>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>

namespace app {
namespace {

using Draw = std::function<void(QPainter &)>;

const QColor ink(40, 60, 90);
const QColor grey(110, 110, 110);
const QColor light(150, 150, 150);
const QColor blue(38, 110, 190);
const QColor paleBlue(200, 225, 250);
const QColor green(46, 140, 70);
const QColor red(200, 45, 45);
const QColor orange(235, 140, 30);
const QColor yellow(245, 205, 70);
const QColor brown(130, 80, 30);

QPen pen(const QColor &c, qreal width = 1)
{
    return QPen(c, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

QPen roundPen(const QColor &c, qreal width)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void line(QPainter &p, qreal x1, qreal y1, qreal x2, qreal y2, const QColor &c, qreal width = 1)
{
    p.setPen(pen(c, width));
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void box(QPainter &p, const QRectF &r, const QColor &fill, const QColor &edge = grey)
{
    p.setPen(pen(edge));
    p.setBrush(fill);
    p.drawRect(r);
}

enum Style { Plain = 0, Bold = 1, Italic = 2, Underline = 4 };

void letters(QPainter &p, const QRectF &r, const QString &s, int px, const QColor &c, int style = Bold,
             QFont::StyleHint hint = QFont::SansSerif)
{
    QFont f(hint == QFont::Serif ? QStringLiteral("Serif")
                                 : hint == QFont::Monospace ? QStringLiteral("Monospace") : QStringLiteral("Sans Serif"));
    f.setStyleHint(hint);
    f.setPixelSize(px);
    f.setBold(style & Bold);
    f.setItalic(style & Italic);
    f.setUnderline(style & Underline);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, s);
}

// A sheet of paper with its top-right corner folded.
void page(QPainter &p, const QRectF &r = QRectF(2.5, 1.5, 11, 13))
{
    const qreal fold = 3;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(pen(grey));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    QPainterPath ear;
    ear.moveTo(r.right() - fold, r.top());
    ear.lineTo(r.right() - fold, r.top() + fold);
    ear.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(215, 215, 215));
    p.drawPath(ear);
}

void textLines(QPainter &p, qreal x, qreal y, const QList<qreal> &widths, qreal gap = 2, const QColor &c = light)
{
    for (int i = 0; i < widths.size(); ++i)
        line(p, x, y + i * gap, x + widths[i], y + i * gap, c);
}

void envelope(QPainter &p, const QRectF &r)
{
    box(p, r, QColor(252, 250, 240), ink);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(ink));
    p.drawPolyline(QPolygonF({r.topLeft(), QPointF(r.center().x(), r.top() + r.height() * 0.6), r.topRight()}));
}

void folder(QPainter &p, const QRectF &r)
{
    p.setPen(pen(QColor(150, 110, 20)));
    p.setBrush(QColor(250, 220, 120));
    QPainterPath tab;
    tab.moveTo(r.left(), r.top() + 2);
    tab.lineTo(r.left() + 1, r.top());
    tab.lineTo(r.left() + 5, r.top());
    tab.lineTo(r.left() + 6, r.top() + 2);
    tab.closeSubpath();
    p.drawPath(tab);
    p.setBrush(QColor(240, 196, 80));
    p.drawRect(QRectF(r.left(), r.top() + 2, r.width(), r.height() - 2));
}

void globe(QPainter &p, const QRectF &r)
{
    p.setPen(pen(QColor(20, 70, 140)));
    p.setBrush(QColor(90, 160, 225));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(QColor(225, 240, 255), 0.8));
    p.drawEllipse(QRectF(r.center().x() - r.width() / 4, r.top(), r.width() / 2, r.height()));
    p.drawLine(QPointF(r.left() + 0.5, r.center().y()), QPointF(r.right() - 0.5, r.center().y()));
}

void magnifier(QPainter &p, const QRectF &lens, const QColor &handle = brown)
{
    p.setPen(pen(ink, 1.4));
    p.setBrush(QColor(215, 235, 250, 220));
    p.drawEllipse(lens);
    const qreal k = 0.7071 * lens.width() / 2;
    const QPointF c = lens.center();
    p.setPen(roundPen(handle, 2.4));
    p.drawLine(c + QPointF(k + 0.8, k + 0.8), c + QPointF(k + 4.2, k + 4.2));
}

void clockFace(QPainter &p, const QRectF &r)
{
    p.setPen(pen(ink));
    p.setBrush(Qt::white);
    p.drawEllipse(r);
    const QPointF c = r.center();
    p.setPen(roundPen(ink, 1.2));
    p.drawLine(c, c + QPointF(0, -r.height() * 0.32));
    p.drawLine(c, c + QPointF(r.width() * 0.25, 0));
}

// An arrow from one point to another with a filled head.
void arrow(QPainter &p, QPointF from, QPointF to, const QColor &c, qreal width = 1.6, qreal head = 3.5)
{
    const QPointF d = to - from;
    const qreal len = std::hypot(d.x(), d.y());
    if (len <= 0)
        return;
    const QPointF u = d / len, n(-u.y(), u.x());
    p.setPen(pen(c, width));
    p.drawLine(from, to - u * head * 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF({to, to - u * head + n * head * 0.7, to - u * head - n * head * 0.7}));
}

void curvedArrow(QPainter &p)
{
    QPainterPath arc;
    arc.moveTo(13, 13.5);
    arc.cubicTo(15, 6, 9.5, 3.5, 5.5, 6.2);
    p.setPen(roundPen(blue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(5.5, 2.5), QPointF(8, 9.5)}));
}

void mirrored(QPainter &p, const Draw &draw)
{
    p.save();
    p.translate(16, 0);
    p.scale(-1, 1);
    draw(p);
    p.restore();
}

void alignLines(QPainter &p, const QList<qreal> &widths, Qt::Alignment align)
{
    for (int i = 0; i < widths.size(); ++i) {
        const qreal w = widths[i];
        const qreal x = align == Qt::AlignLeft ? 2 : align == Qt::AlignRight ? 14 - w : 8 - w / 2;
        p.fillRect(QRectF(x, 2.5 + 3 * i, w, 1.5), ink);
    }
}

void heading(QPainter &p, int level)
{
    letters(p, QRectF(-1, 1, 11, 14), QStringLiteral("H"), 12, blue);
    letters(p, QRectF(8, 5, 8, 11), QString::number(level), 10, ink);
}

void picture(QPainter &p, const QRectF &r)
{
    box(p, r, QColor(190, 225, 250), ink);
    p.setPen(Qt::NoPen);
    p.setBrush(yellow);
    p.drawEllipse(QRectF(r.right() - 4.5, r.top() + 1.5, 3, 3));
    p.setBrush(green);
    p.drawPolygon(QPolygonF({QPointF(r.left() + 0.5, r.bottom() - 0.5), QPointF(r.left() + 4.5, r.top() + 4.5),
                             QPointF(r.left() + 7.5, r.top() + 7.5), QPointF(r.left() + 9.5, r.top() + 5.5),
                             QPointF(r.right() - 0.5, r.bottom() - 0.5)}));
}

void frameWindow(QPainter &p, const QRectF &r = QRectF(1.5, 1.5, 13, 13))
{
    box(p, r, Qt::white, ink);
}

void note(QPainter &p, qreal x, qreal y, qreal scale)
{
    p.save();
    p.translate(x, y);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(0, 9, 4.5, 3.5));
    p.drawEllipse(QRectF(7, 7.5, 4.5, 3.5));
    p.drawRect(QRectF(3.3, 1, 1.2, 10));
    p.drawRect(QRectF(10.3, 0, 1.2, 9.5));
    p.drawPolygon(QPolygonF({QPointF(3.3, 1), QPointF(11.5, 0), QPointF(11.5, 2.4), QPointF(3.3, 3.4)}));
    p.restore();
}

void cookie(QPainter &p, const QRectF &r, bool colourful = false)
{
    p.setPen(pen(QColor(150, 95, 35)));
    p.setBrush(QColor(222, 172, 100));
    p.drawEllipse(r);
    const QColor chips[] = {QColor(90, 50, 20), colourful ? red : QColor(90, 50, 20), colourful ? blue : QColor(90, 50, 20),
                            colourful ? green : QColor(90, 50, 20), colourful ? QColor(235, 200, 0) : QColor(90, 50, 20)};
    const QPointF at[] = {{0.3, 0.3}, {0.65, 0.25}, {0.45, 0.55}, {0.25, 0.7}, {0.7, 0.65}};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(chips[i]);
        const QPointF c(r.left() + at[i].x() * r.width(), r.top() + at[i].y() * r.height());
        p.drawEllipse(c, r.width() * 0.09, r.width() * 0.08);
    }
}

// A cookie at the top left with a small sign at the bottom right.
void cookieWith(QPainter &p, const Draw &sign)
{
    cookie(p, QRectF(0.5, 0.5, 11, 11));
    sign(p);
}

void badge(QPainter &p, const QColor &fill = Qt::white)
{
    p.setPen(pen(ink));
    p.setBrush(fill);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
}

void lightning(QPainter &p, QPointF at)
{
    p.setPen(pen(QColor(160, 110, 0), 0.8));
    p.setBrush(yellow);
    p.drawPolygon(QPolygonF({at + QPointF(3, 0), at + QPointF(0, 5), at + QPointF(2, 5), at + QPointF(1, 9),
                             at + QPointF(5, 3.5), at + QPointF(3, 3.5), at + QPointF(4.5, 0)}));
}

void scriptTile(QPainter &p, const QRectF &r, const QColor &fill, const QString &text, const QColor &textColour)
{
    p.setPen(pen(fill.darker(150)));
    p.setBrush(fill);
    p.drawRoundedRect(r, 1.5, 1.5);
    letters(p, r.adjusted(0, 2, 0, 1), text, 8, textColour);
}

void field(QPainter &p, const QRectF &r)
{
    box(p, r, Qt::white, QColor(90, 90, 90));
}

void dropButton(QPainter &p, const QRectF &r)
{
    box(p, r, QColor(215, 215, 215), QColor(90, 90, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const QPointF c = r.center();
    p.drawPolygon(QPolygonF({c + QPointF(-2, -1), c + QPointF(2, -1), c + QPointF(0, 1.5)}));
}

void chain(QPainter &p, QPointF centre, qreal scale)
{
    p.save();
    p.translate(centre);
    p.rotate(-45);
    p.scale(scale, scale);
    p.setPen(pen(blue, 1.7));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-7, -2.5, 8, 5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(-1, -2.5, 8, 5), 2.5, 2.5);
    p.restore();
}

void star(QPainter &p, QPointF c, qreal outer, qreal inner, const QColor &fill)
{
    QPolygonF s;
    for (int i = 0; i < 10; ++i) {
        const qreal a = (-90 + 36 * i) * M_PI / 180;
        const qreal r = i % 2 ? inner : outer;
        s << c + QPointF(r * std::cos(a), r * std::sin(a));
    }
    p.setPen(pen(fill.darker(160), 0.8));
    p.setBrush(fill);
    p.drawPolygon(s);
}

const QHash<QString, Draw> &glyphs()
{
    static const QHash<QString, Draw> all = {
        // File
        {QStringLiteral("New"),
         [](QPainter &p) {
             page(p);
             star(p, QPointF(12.5, 3.5), 3.5, 1.5, yellow);
         }},
        {QStringLiteral("Open"),
         [](QPainter &p) {
             folder(p, QRectF(1.5, 2.5, 11, 11));
             p.setPen(pen(QColor(150, 110, 20)));
             p.setBrush(QColor(252, 230, 140));
             p.drawPolygon(QPolygonF({QPointF(4, 7.5), QPointF(15, 7.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)}));
         }},
        {QStringLiteral("Save"),
         [](QPainter &p) {
             p.setPen(pen(QColor(20, 50, 110)));
             p.setBrush(QColor(50, 100, 180));
             p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
             box(p, QRectF(4.5, 1.5, 7, 5), QColor(200, 200, 205), QColor(20, 50, 110));
             p.fillRect(QRectF(8, 2.5, 2, 3), QColor(50, 100, 180));
             box(p, QRectF(3.5, 8.5, 9, 6), Qt::white, QColor(20, 50, 110));
             textLines(p, 5, 10.5, {6, 6}, 2);
         }},
        {QStringLiteral("Print"),
         [](QPainter &p) {
             box(p, QRectF(4.5, 1.5, 7, 5), Qt::white);
             p.setPen(pen(ink));
             p.setBrush(QColor(185, 185, 190));
             p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
             box(p, QRectF(4.5, 10.5, 7, 4), Qt::white);
             p.fillRect(QRectF(11.5, 8, 1.5, 1.5), green);
         }},
        // Edit
        {QStringLiteral("Cut"),
         [](QPainter &p) {
             p.setPen(roundPen(QColor(120, 120, 130), 1.4));
             p.drawLine(QPointF(5, 10), QPointF(11, 1.5));
             p.drawLine(QPointF(11, 10), QPointF(5, 1.5));
             p.setPen(pen(red, 1.3));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QRectF(1.5, 9.5, 4.5, 4.5));
             p.drawEllipse(QRectF(10, 9.5, 4.5, 4.5));
         }},
        {QStringLiteral("Copy"),
         [](QPainter &p) {
             page(p, QRectF(1.5, 1.5, 8, 10));
             textLines(p, 3, 5.5, {4, 4, 3});
             page(p, QRectF(6.5, 4.5, 8, 10));
             textLines(p, 8, 8.5, {4, 4, 3});
         }},
        {QStringLiteral("Paste"),
         [](QPainter &p) {
             p.setPen(pen(QColor(110, 70, 25)));
             p.setBrush(QColor(190, 140, 80));
             p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
             box(p, QRectF(4.5, 1.5, 4, 2.5), QColor(200, 200, 200));
             page(p, QRectF(6.5, 5.5, 8, 9.5));
             textLines(p, 8, 9.5, {4, 4, 3});
         }},
        {QStringLiteral("Undo"), [](QPainter &p) { curvedArrow(p); }},
        {QStringLiteral("Redo"), [](QPainter &p) { mirrored(p, curvedArrow); }},
        {QStringLiteral("Find"),
         [](QPainter &p) {
             page(p, QRectF(1.5, 1.5, 10, 12));
             textLines(p, 3, 4.5, {5, 6, 4});
             magnifier(p, QRectF(5.5, 5.5, 6, 6));
         }},
        {QStringLiteral("Replace"),
         [](QPainter &p) {
             letters(p, QRectF(0, 0, 8, 9), QStringLiteral("A"), 9, grey);
             letters(p, QRectF(8, 6, 8, 10), QStringLiteral("B"), 10, blue);
             arrow(p, QPointF(3, 12.5), QPointF(8.5, 12.5), green, 1.4, 3);
         }},
        // Formatting
        {QStringLiteral("Bold"), [](QPainter &p) { letters(p, QRectF(0, 0, 16, 16), QStringLiteral("B"), 14, Qt::black); }},
        {QStringLiteral("Italic"),
         [](QPainter &p) { letters(p, QRectF(0, 0, 16, 16), QStringLiteral("I"), 15, Qt::black, Bold | Italic, QFont::Serif); }},
        {QStringLiteral("Underline"),
         [](QPainter &p) {
             letters(p, QRectF(0, -1, 16, 15), QStringLiteral("U"), 12, Qt::black);
             p.fillRect(QRectF(3, 13.5, 10, 1.5), Qt::black);
         }},
        {QStringLiteral("Left"), [](QPainter &p) { alignLines(p, {12, 8, 12, 6}, Qt::AlignLeft); }},
        {QStringLiteral("Center"), [](QPainter &p) { alignLines(p, {12, 8, 12, 6}, Qt::AlignCenter); }},
        {QStringLiteral("Right"), [](QPainter &p) { alignLines(p, {12, 8, 12, 6}, Qt::AlignRight); }},
        {QStringLiteral("Justify"), [](QPainter &p) { alignLines(p, {12, 12, 12, 12}, Qt::AlignLeft); }},
        {QStringLiteral("Break Line"),
         [](QPainter &p) {
             p.setPen(pen(ink, 1.6));
             p.drawLine(QPointF(12.5, 2), QPointF(12.5, 10));
             arrow(p, QPointF(13.3, 10), QPointF(2, 10), ink, 1.6, 4);
         }},
        {QStringLiteral("Paragrafh"),
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(ink);
             p.drawEllipse(QRectF(3, 2, 7, 7));
             p.drawRect(QRectF(6.5, 2, 6.5, 1.5));
             p.drawRect(QRectF(8.5, 2, 1.5, 12.5));
             p.drawRect(QRectF(11.5, 2, 1.5, 12.5));
         }},
        {QStringLiteral("Horizontal Line"),
         [](QPainter &p) {
             textLines(p, 2, 3.5, {12});
             p.fillRect(QRectF(1, 7, 14, 1.5), QColor(100, 100, 100));
             p.fillRect(QRectF(1, 8.5, 14, 1), Qt::white);
             textLines(p, 2, 12.5, {12});
         }},
        {QStringLiteral("H1"), [](QPainter &p) { heading(p, 1); }},
        {QStringLiteral("H2"), [](QPainter &p) { heading(p, 2); }},
        {QStringLiteral("H3"), [](QPainter &p) { heading(p, 3); }},
        {QStringLiteral("H4"), [](QPainter &p) { heading(p, 4); }},
        {QStringLiteral("H5"), [](QPainter &p) { heading(p, 5); }},
        {QStringLiteral("H6"), [](QPainter &p) { heading(p, 6); }},
        {QStringLiteral("Strike"),
         [](QPainter &p) {
             letters(p, QRectF(0, 0, 16, 16), QStringLiteral("S"), 13, Qt::black);
             p.fillRect(QRectF(1.5, 7.5, 13, 1.5), red);
         }},
        {QStringLiteral("Font Size +1"),
         [](QPainter &p) {
             letters(p, QRectF(-1, 1, 12, 15), QStringLiteral("A"), 13, ink);
             line(p, 10.5, 3.5, 15.5, 3.5, green, 1.6);
             line(p, 13, 1, 13, 6, green, 1.6);
         }},
        {QStringLiteral("Font Size -1"),
         [](QPainter &p) {
             letters(p, QRectF(0, 4, 10, 12), QStringLiteral("A"), 9, ink);
             line(p, 10.5, 3.5, 15.5, 3.5, red, 1.6);
         }},
        {QStringLiteral("Preformatted"),
         [](QPainter &p) {
             page(p);
             textLines(p, 4, 4.5, {5}, 2, ink);
             textLines(p, 6, 6.5, {5, 4}, 2, ink);
             textLines(p, 8, 10.5, {3}, 2, ink);
             textLines(p, 4, 12.5, {2}, 2, ink);
         }},
        {QStringLiteral("Teletype"),
         [](QPainter &p) { letters(p, QRectF(0, 0, 16, 16), QStringLiteral("TT"), 10, ink, Bold, QFont::Monospace); }},
        {QStringLiteral("Address"),
         [](QPainter &p) {
             p.setPen(pen(ink));
             p.setBrush(QColor(252, 245, 205));
             p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 1, 1);
             p.setPen(Qt::NoPen);
             p.setBrush(blue);
             p.drawEllipse(QRectF(2.5, 4.5, 3.5, 3.5));
             p.drawChord(QRectF(1.5, 8.5, 5.5, 5), 0, 180 * 16);
             textLines(p, 8.5, 5.5, {5, 5, 3}, 2.5, grey);
         }},
        {QStringLiteral("Insertion"),
         [](QPainter &p) {
             textLines(p, 1.5, 3.5, {13}, 2, light);
             p.fillRect(QRectF(1.5, 7, 13, 2), green);
             p.setPen(Qt::NoPen);
             p.setBrush(green);
             p.drawPolygon(QPolygonF({QPointF(8, 10), QPointF(11.5, 14.5), QPointF(4.5, 14.5)}));
         }},
        {QStringLiteral("Emphasis"),
         [](QPainter &p) {
             letters(p, QRectF(0, -1, 16, 16), QStringLiteral("e"), 15, QColor(150, 30, 30), Italic, QFont::Serif);
         }},
        {QStringLiteral("Samp"),
         [](QPainter &p) {
             box(p, QRectF(1.5, 2.5, 13, 11), QColor(30, 30, 35), ink);
             p.setPen(pen(QColor(90, 230, 110), 1.3));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF({QPointF(3.5, 5.5), QPointF(6, 8), QPointF(3.5, 10.5)}));
             p.fillRect(QRectF(7.5, 10, 4, 1.3), QColor(90, 230, 110));
         }},
        {QStringLiteral("Code"),
         [](QPainter &p) { letters(p, QRectF(0, -1, 16, 16), QStringLiteral("{}"), 12, blue, Bold, QFont::Monospace); }},
        {QStringLiteral("Strong"),
         [](QPainter &p) {
             letters(p, QRectF(-1, 0, 12, 16), QStringLiteral("S"), 14, Qt::black);
             p.fillRect(QRectF(12, 2, 2.5, 8), red);
             p.fillRect(QRectF(12, 11.5, 2.5, 2.5), red);
         }},
        {QStringLiteral("Var"),
         [](QPainter &p) { letters(p, QRectF(0, -2, 16, 16), QStringLiteral("x"), 16, ink, Italic, QFont::Serif); }},
        {QStringLiteral("BlockQoute"),
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(blue);
             for (const qreal x : {1.0, 5.0}) {
                 p.drawEllipse(QRectF(x, 4, 3.5, 3.5));
                 p.drawPolygon(QPolygonF({QPointF(x, 6), QPointF(x + 3.2, 1.5), QPointF(x + 3.5, 2.3), QPointF(x + 1.5, 6)}));
             }
             textLines(p, 5, 9.5, {9, 9, 6}, 2.5, ink);
         }},
        {QStringLiteral("Subscript"),
         [](QPainter &p) {
             letters(p, QRectF(0, -1, 11, 14), QStringLiteral("x"), 12, ink);
             letters(p, QRectF(9, 7, 7, 9), QStringLiteral("2"), 8, blue);
         }},
        {QStringLiteral("Supscript"),
         [](QPainter &p) {
             letters(p, QRectF(0, 3, 11, 14), QStringLiteral("x"), 12, ink);
             letters(p, QRectF(9, 0, 7, 9), QStringLiteral("2"), 8, blue);
         }},
        // Standard
        {QStringLiteral("Link"), [](QPainter &p) { chain(p, QPointF(8, 8), 1); }},
        {QStringLiteral("Image"), [](QPainter &p) { picture(p, QRectF(1.5, 2.5, 13, 11)); }},
        {QStringLiteral("Table"),
         [](QPainter &p) {
             box(p, QRectF(1.5, 2.5, 13, 11), Qt::white, ink);
             p.fillRect(QRectF(2, 3, 12, 3), QColor(120, 170, 225));
             line(p, 6.5, 3, 6.5, 13, ink);
             line(p, 10.5, 3, 10.5, 13, ink);
             line(p, 2, 6.5, 14, 6.5, ink);
             line(p, 2, 10, 14, 10, ink);
         }},
        {QStringLiteral("List"),
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(blue);
             for (int i = 0; i < 3; ++i)
                 p.drawEllipse(QRectF(1.5, 2 + 4.5 * i, 3, 3));
             textLines(p, 6.5, 3.5, {8, 8, 8}, 4.5, ink);
         }},
        {QStringLiteral("Comment"),
         [](QPainter &p) {
             p.setPen(pen(QColor(170, 140, 20)));
             p.setBrush(QColor(255, 238, 130));
             p.drawPolygon(QPolygonF({QPointF(1.5, 1.5), QPointF(14.5, 1.5), QPointF(14.5, 10.5), QPointF(10.5, 14.5),
                                      QPointF(1.5, 14.5)}));
             p.setBrush(QColor(235, 205, 80));
             p.drawPolygon(QPolygonF({QPointF(14.5, 10.5), QPointF(10.5, 10.5), QPointF(10.5, 14.5)}));
             textLines(p, 3.5, 4.5, {9, 9, 5}, 2.5, QColor(140, 115, 20));
         }},
        {QStringLiteral("Font"),
         [](QPainter &p) {
             letters(p, QRectF(-1, 0, 11, 15), QStringLiteral("A"), 14, QColor(160, 30, 30), Bold, QFont::Serif);
             letters(p, QRectF(8, 5, 8, 11), QStringLiteral("a"), 10, blue);
         }},
        {QStringLiteral("Email"), [](QPainter &p) { envelope(p, QRectF(1.5, 3.5, 13, 9)); }},
        {QStringLiteral("File"),
         [](QPainter &p) {
             page(p, QRectF(4.5, 1.5, 10, 13));
             textLines(p, 8, 5.5, {4, 4, 4, 4}, 2);
             arrow(p, QPointF(0.5, 9.5), QPointF(8, 9.5), green, 2, 4);
         }},
        {QStringLiteral("Color"),
         [](QPainter &p) {
             box(p, QRectF(1.5, 1.5, 6, 6), red, ink);
             box(p, QRectF(8.5, 1.5, 6, 6), green, ink);
             box(p, QRectF(1.5, 8.5, 6, 6), blue, ink);
             box(p, QRectF(8.5, 8.5, 6, 6), yellow, ink);
         }},
        {QStringLiteral("Time Stamp"), [](QPainter &p) { clockFace(p, QRectF(1.5, 1.5, 13, 13)); }},
        {QStringLiteral("Bookmark"),
         [](QPainter &p) {
             p.setPen(pen(QColor(130, 20, 20)));
             p.setBrush(red);
             p.drawPolygon(QPolygonF({QPointF(4.5, 1.5), QPointF(11.5, 1.5), QPointF(11.5, 14.5), QPointF(8, 11),
                                      QPointF(4.5, 14.5)}));
         }},
        {QStringLiteral("Movie"),
         [](QPainter &p) {
             box(p, QRectF(2.5, 1.5, 11, 13), QColor(45, 45, 50), Qt::black);
             for (int i = 0; i < 4; ++i) {
                 p.fillRect(QRectF(3.5, 2.5 + 3.2 * i, 1.5, 1.8), Qt::white);
                 p.fillRect(QRectF(11, 2.5 + 3.2 * i, 1.5, 1.8), Qt::white);
             }
             p.fillRect(QRectF(6, 2.5, 4, 5), QColor(140, 190, 240));
             p.fillRect(QRectF(6, 8.5, 4, 5), QColor(140, 190, 240));
         }},
        {QStringLiteral("Image Map"),
         [](QPainter &p) {
             picture(p, QRectF(1.5, 2.5, 13, 11));
             QPen dash(red, 1.2, Qt::DashLine);
             dash.setDashPattern({1.5, 1.2});
             p.setPen(dash);
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(4.5, 5, 7, 5.5));
         }},
        {QStringLiteral("Sound"), [](QPainter &p) { note(p, 2, 1.5, 1.05); }},
        {QStringLiteral("BG Sound"),
         [](QPainter &p) {
             page(p, QRectF(1.5, 1.5, 11, 13));
             note(p, 6, 6, 0.75);
         }},
        {QStringLiteral("Embed Sound"),
         [](QPainter &p) {
             p.setPen(pen(ink));
             p.setBrush(QColor(120, 130, 145));
             p.drawPolygon(QPolygonF({QPointF(1.5, 6), QPointF(4.5, 6), QPointF(8.5, 2.5), QPointF(8.5, 13.5),
                                      QPointF(4.5, 10), QPointF(1.5, 10)}));
             p.setPen(roundPen(blue, 1.2));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(6, 5, 6, 6), -50 * 16, 100 * 16);
             p.drawArc(QRectF(5, 2.5, 10, 11), -50 * 16, 100 * 16);
         }},
        {QStringLiteral("Extended Characters"),
         [](QPainter &p) {
             p.setPen(pen(ink, 1.3));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
             p.setPen(roundPen(blue, 1.6));
             p.drawArc(QRectF(5, 5, 6, 6), 40 * 16, 280 * 16);
         }},
        {QStringLiteral("Advanced Attributes"),
         [](QPainter &p) {
             p.setPen(pen(QColor(160, 90, 10)));
             p.setBrush(QColor(250, 190, 110));
             p.drawPolygon(QPolygonF({QPointF(0.5, 8), QPointF(5, 3.5), QPointF(15.5, 3.5), QPointF(15.5, 12.5),
                                      QPointF(5, 12.5)}));
             p.setBrush(Qt::white);
             p.drawEllipse(QRectF(3.5, 7, 2, 2));
             p.fillRect(QRectF(8, 6.5, 5, 1.2), ink);
             p.fillRect(QRectF(8, 9, 5, 1.2), ink);
         }},
        {QStringLiteral("IE Filter"),
         [](QPainter &p) {
             QLinearGradient g(0, 2, 0, 14);
             g.setColorAt(0, QColor(120, 180, 240));
             g.setColorAt(1, QColor(150, 60, 170));
             p.setPen(pen(ink));
             p.setBrush(g);
             p.drawPolygon(QPolygonF({QPointF(1.5, 2.5), QPointF(14.5, 2.5), QPointF(9.5, 8.5), QPointF(9.5, 14),
                                      QPointF(6.5, 12.5), QPointF(6.5, 8.5)}));
         }},
        {QStringLiteral("Frame"),
         [](QPainter &p) {
             frameWindow(p);
             p.fillRect(QRectF(2, 2, 4.5, 12), QColor(150, 195, 240));
             line(p, 6.5, 2, 6.5, 14, ink);
         }},
        {QStringLiteral("Frameset"),
         [](QPainter &p) {
             frameWindow(p);
             p.fillRect(QRectF(2, 2, 12, 3.5), QColor(150, 195, 240));
             p.fillRect(QRectF(2, 6, 4, 8), QColor(190, 230, 180));
             line(p, 2, 5.5, 14, 5.5, ink);
             line(p, 6.5, 5.5, 6.5, 14, ink);
         }},
        {QStringLiteral("Noframes"),
         [](QPainter &p) {
             frameWindow(p);
             line(p, 6.5, 2, 6.5, 14, light);
             p.setPen(roundPen(red, 1.8));
             p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
             p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
         }},
        {QStringLiteral("IFrame"),
         [](QPainter &p) {
             page(p);
             textLines(p, 4.5, 4.5, {6});
             box(p, QRectF(4.5, 6.5, 6, 5), QColor(170, 210, 245), blue);
         }},
        {QStringLiteral("Tagchooser"),
         [](QPainter &p) {
             p.setPen(roundPen(green, 1.6));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF({QPointF(5, 3.5), QPointF(1.5, 8), QPointF(5, 12.5)}));
             p.drawPolyline(QPolygonF({QPointF(11, 3.5), QPointF(14.5, 8), QPointF(11, 12.5)}));
             p.setPen(roundPen(ink, 1.4));
             p.drawLine(QPointF(9.5, 3), QPointF(6.5, 13));
         }},
        {QStringLiteral("Style Sheet Editor"),
         [](QPainter &p) {
             p.setPen(roundPen(brown, 2.4));
             p.drawLine(QPointF(14, 2), QPointF(9, 7));
             p.setPen(pen(grey));
             p.setBrush(QColor(200, 200, 205));
             p.drawPolygon(QPolygonF({QPointF(8, 6), QPointF(10, 8), QPointF(8.5, 9.5), QPointF(6.5, 7.5)}));
             p.setPen(pen(QColor(20, 70, 140)));
             p.setBrush(blue);
             QPainterPath tip;
             tip.moveTo(6.5, 7.5);
             tip.lineTo(8.5, 9.5);
             tip.cubicTo(7.5, 13, 4, 14.5, 1, 14.5);
             tip.cubicTo(3, 12.5, 2.5, 9, 6.5, 7.5);
             p.drawPath(tip);
         }},
        {QStringLiteral("HTML Start"),
         [](QPainter &p) {
             page(p);
             p.setPen(roundPen(blue, 1.3));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF({QPointF(6.5, 6), QPointF(4.5, 8.5), QPointF(6.5, 11)}));
             p.drawPolyline(QPolygonF({QPointF(9.5, 6), QPointF(11.5, 8.5), QPointF(9.5, 11)}));
         }},
        {QStringLiteral("Link To Kestrova"),
         [](QPainter &p) { p.drawPixmap(QRectF(0, 0, 16, 16), ApplicationIcon().pixmap(64), QRectF(0, 0, 64, 64)); }},
        // Forms
        {QStringLiteral("New Form"),
         [](QPainter &p) {
             box(p, QRectF(1.5, 1.5, 13, 13), QColor(235, 235, 235), ink);
             p.fillRect(QRectF(2, 2, 12, 2.5), blue);
             field(p, QRectF(3.5, 6.5, 9, 2.5));
             box(p, QRectF(3.5, 10.5, 5, 2.5), QColor(205, 205, 205), grey);
         }},
        {QStringLiteral("Text"),
         [](QPainter &p) {
             field(p, QRectF(0.5, 4.5, 15, 7));
             letters(p, QRectF(1, 4, 9, 8), QStringLiteral("ab"), 7, ink, Plain);
             line(p, 11.5, 6, 11.5, 10, Qt::black);
         }},
        {QStringLiteral("Textarea"),
         [](QPainter &p) {
             field(p, QRectF(1.5, 1.5, 13, 13));
             textLines(p, 3, 4.5, {6, 7, 5, 6}, 2.5, ink);
             box(p, QRectF(11.5, 1.5, 3, 13), QColor(215, 215, 215), QColor(90, 90, 90));
             p.fillRect(QRectF(12, 4, 2, 4), QColor(150, 150, 150));
         }},
        {QStringLiteral("Radio"),
         [](QPainter &p) {
             p.setPen(pen(QColor(90, 90, 90)));
             p.setBrush(Qt::white);
             p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
             p.setPen(Qt::NoPen);
             p.setBrush(blue);
             p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
         }},
        {QStringLiteral("Checkbox"),
         [](QPainter &p) {
             field(p, QRectF(2.5, 2.5, 11, 11));
             p.setPen(roundPen(green, 1.8));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 10.5), QPointF(11.5, 5)}));
         }},
        {QStringLiteral("Dropdown"),
         [](QPainter &p) {
             field(p, QRectF(0.5, 4.5, 15, 7));
             textLines(p, 2, 8, {6}, 2, ink);
             dropButton(p, QRectF(10.5, 4.5, 5, 7));
         }},
        {QStringLiteral("Button"),
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.fillRect(QRectF(1, 4, 14, 8), QColor(80, 80, 80));
             p.fillRect(QRectF(1, 4, 13, 7), Qt::white);
             p.fillRect(QRectF(2, 5, 12, 6), QColor(210, 210, 210));
             textLines(p, 5, 8, {6}, 2, ink);
         }},
        // Tools
        {QStringLiteral("Search Engine"),
         [](QPainter &p) {
             globe(p, QRectF(0.5, 0.5, 10, 10));
             magnifier(p, QRectF(7.5, 6.5, 5, 5));
         }},
        {QStringLiteral("Link Combobox"),
         [](QPainter &p) {
             chain(p, QPointF(7, 4.5), 0.7);
             field(p, QRectF(0.5, 8.5, 15, 6));
             dropButton(p, QRectF(10.5, 8.5, 5, 6));
         }},
        {QStringLiteral("File Tool"),
         [](QPainter &p) {
             folder(p, QRectF(0.5, 1.5, 12, 10));
             p.setPen(pen(QColor(70, 70, 80)));
             p.setBrush(QColor(170, 175, 185));
             const QPointF c(11.5, 11.5);
             QPolygonF gear;
             for (int i = 0; i < 16; ++i) {
                 const qreal a = (i * 22.5) * M_PI / 180;
                 const qreal r = (i / 2) % 2 ? 2.8 : 4.2;
                 gear << c + QPointF(r * std::cos(a), r * std::sin(a));
             }
             p.drawPolygon(gear);
             p.setBrush(Qt::white);
             p.drawEllipse(c, 1.2, 1.2);
         }},
        {QStringLiteral("Channel"),
         [](QPainter &p) {
             line(p, 8, 8, 8, 15, ink, 1.5);
             line(p, 5, 15, 11, 15, ink, 1.5);
             p.setPen(Qt::NoPen);
             p.setBrush(red);
             p.drawEllipse(QRectF(6.3, 4.3, 3.4, 3.4));
             p.setPen(roundPen(blue, 1.3));
             p.setBrush(Qt::NoBrush);
             for (const qreal r : {3.5, 6.0}) {
                 const QRectF a(8 - r, 6 - r, 2 * r, 2 * r);
                 p.drawArc(a, -40 * 16, 80 * 16);
                 p.drawArc(a, 140 * 16, 80 * 16);
             }
         }},
        {QStringLiteral("Quick Email"),
         [](QPainter &p) {
             envelope(p, QRectF(0.5, 3.5, 12, 9));
             lightning(p, QPointF(10, 6.5));
         }},
        {QStringLiteral("Gif Animator"),
         [](QPainter &p) {
             box(p, QRectF(5.5, 0.5, 10, 8), QColor(220, 220, 220), grey);
             box(p, QRectF(3.5, 3, 10, 8), QColor(235, 235, 235), grey);
             picture(p, QRectF(0.5, 5.5, 10, 9));
         }},
        {QStringLiteral("HTML Compressor"),
         [](QPainter &p) {
             page(p, QRectF(5.5, 2.5, 5, 11));
             arrow(p, QPointF(0, 8), QPointF(5, 8), green, 1.6, 3.2);
             arrow(p, QPointF(16, 8), QPointF(11, 8), green, 1.6, 3.2);
         }},
        {QStringLiteral("FTP"),
         [](QPainter &p) {
             globe(p, QRectF(0.5, 4.5, 10, 10));
             arrow(p, QPointF(12, 9), QPointF(12, 0.5), green, 1.5, 3);
             arrow(p, QPointF(14.8, 1), QPointF(14.8, 9.5), blue, 1.5, 3);
         }},
        // Script
        {QStringLiteral("JavaScript Editor"),
         [](QPainter &p) { scriptTile(p, QRectF(1.5, 1.5, 13, 13), QColor(245, 215, 60), QStringLiteral("JS"), Qt::black); }},
        {QStringLiteral("JavaScript Samples"),
         [](QPainter &p) {
             scriptTile(p, QRectF(4.5, 0.5, 11, 11), QColor(250, 235, 150), QString(), Qt::black);
             scriptTile(p, QRectF(0.5, 4.5, 11, 11), QColor(245, 215, 60), QStringLiteral("JS"), Qt::black);
         }},
        {QStringLiteral("VB Script"),
         [](QPainter &p) { scriptTile(p, QRectF(1.5, 1.5, 13, 13), QColor(80, 90, 190), QStringLiteral("VB"), Qt::white); }},
        {QStringLiteral("Applet"),
         [](QPainter &p) {
             QPainterPath piece;
             piece.moveTo(2.5, 4.5);
             piece.lineTo(6, 4.5);
             piece.arcTo(QRectF(6, 1, 4, 4), 200, -220);
             piece.lineTo(13.5, 4.5);
             piece.lineTo(13.5, 8);
             piece.arcTo(QRectF(12, 8, 4, 4), 110, -220);
             piece.lineTo(13.5, 14.5);
             piece.lineTo(2.5, 14.5);
             piece.closeSubpath();
             p.setPen(pen(QColor(160, 80, 10)));
             p.setBrush(orange);
             p.drawPath(piece);
         }},
        {QStringLiteral("DHTML Animation"),
         [](QPainter &p) {
             for (int i = 0; i < 3; ++i)
                 line(p, 0.5 + i, 5.5 + 3 * i, 5 + i, 5.5 + 3 * i, blue, 1.2);
             star(p, QPointF(10.5, 8.5), 5.5, 2.4, yellow);
         }},
        // Cookies
        {QStringLiteral("Bake Cookie"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 badge(p, green);
                 line(p, 9.5, 12, 14.5, 12, Qt::white, 1.5);
                 line(p, 12, 9.5, 12, 14.5, Qt::white, 1.5);
             });
         }},
        {QStringLiteral("Try Cookie"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 badge(p);
                 letters(p, QRectF(8.5, 8.5, 7, 7.5), QStringLiteral("?"), 7, blue);
             });
         }},
        {QStringLiteral("Taste Cookie"),
         [](QPainter &p) {
             QPainterPath disc;
             disc.addEllipse(QRectF(1.5, 1.5, 13, 13));
             QPainterPath bite;
             bite.addEllipse(QRectF(10, -1, 7, 7));
             bite.addEllipse(QRectF(12.5, 3.5, 5, 5));
             p.save();
             p.setClipPath(disc.subtracted(bite));
             cookie(p, QRectF(1.5, 1.5, 13, 13));
             p.restore();
         }},
        {QStringLiteral("Remember the time and date of the last visit"),
         [](QPainter &p) { cookieWith(p, [](QPainter &p) { clockFace(p, QRectF(8.5, 8.5, 7, 7)); }); }},
        {QStringLiteral("Remember your name and count the number of times you visit"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 p.setPen(pen(QColor(20, 60, 120)));
                 p.setBrush(blue);
                 p.drawEllipse(QRectF(10.5, 7.5, 3.5, 3.5));
                 p.drawChord(QRectF(8.5, 11, 7.5, 8), 0, 180 * 16);
             });
         }},
        {QStringLiteral("Message or alert box on the first visit to a page"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 p.setPen(pen(QColor(150, 100, 0)));
                 p.setBrush(yellow);
                 p.drawPolygon(QPolygonF({QPointF(12, 7.5), QPointF(15.5, 15), QPointF(8.5, 15)}));
                 p.fillRect(QRectF(11.4, 9.5, 1.2, 3), Qt::black);
                 p.fillRect(QRectF(11.4, 13, 1.2, 1.2), Qt::black);
             });
         }},
        {QStringLiteral("Personal Greeting"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 p.setPen(pen(ink));
                 p.setBrush(Qt::white);
                 p.drawRoundedRect(QRectF(7.5, 7.5, 8, 5.5), 2, 2);
                 p.drawPolygon(QPolygonF({QPointF(9, 12.8), QPointF(9, 15.5), QPointF(11.5, 12.8)}));
                 p.fillRect(QRectF(9.5, 9.7, 4, 1), ink);
             });
         }},
        {QStringLiteral("Hit Counter"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 box(p, QRectF(6.5, 9.5, 9, 6), QColor(25, 25, 25), Qt::black);
                 for (int i = 0; i < 3; ++i)
                     p.fillRect(QRectF(8 + 2.5 * i, 10.8, 1.2, 3.4), QColor(90, 230, 110));
             });
         }},
        {QStringLiteral("Viewing a Cookie"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 QPainterPath eye;
                 eye.moveTo(6.5, 12);
                 eye.quadTo(11, 7, 15.5, 12);
                 eye.quadTo(11, 17, 6.5, 12);
                 p.setPen(pen(ink));
                 p.setBrush(Qt::white);
                 p.drawPath(eye);
                 p.setPen(Qt::NoPen);
                 p.setBrush(blue);
                 p.drawEllipse(QPointF(11, 12), 1.8, 1.8);
             });
         }},
        {QStringLiteral("Deleting a Cookie"),
         [](QPainter &p) {
             cookieWith(p, [](QPainter &p) {
                 p.setPen(roundPen(red, 2.2));
                 p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
                 p.drawLine(QPointF(14.5, 9.5), QPointF(9.5, 14.5));
             });
         }},
        {QStringLiteral("Color Cookie"), [](QPainter &p) { cookie(p, QRectF(1.5, 1.5, 13, 13), true); }},
        // Help
        {QStringLiteral("Help"),
         [](QPainter &p) {
             p.setPen(pen(QColor(20, 60, 130)));
             p.setBrush(blue);
             p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
             letters(p, QRectF(1.5, 2, 13, 13), QStringLiteral("?"), 11, Qt::white);
         }},
    };
    return all;
}

} // namespace

QImage ToolGlyph(const QString &caption, int size)
{
    const auto it = glyphs().find(caption);
    if (it == glyphs().end() || size <= 0)
        return QImage();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    p.scale(size / 16.0, size / 16.0);
    (*it)(p);
    p.end();
    return image;
}

QImage ToolGlyphStrip(const QString &caption)
{
    const QImage up = ToolGlyph(caption).convertToFormat(QImage::Format_ARGB32);
    if (up.isNull())
        return QImage();
    const int size = up.width();
    auto ink = [&up, size](int x, int y) {
        if (x < 0 || y < 0 || x >= size || y >= size)
            return false;
        const QRgb c = up.pixel(x, y);
        return qAlpha(c) >= 128 && (77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c)) / 256 < 170;
    };
    const QPalette palette;
    const QRgb light = palette.color(QPalette::Light).rgb(), dark = palette.color(QPalette::Dark).rgb();
    QImage strip(2 * size, size, QImage::Format_ARGB32);
    strip.fill(0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            strip.setPixel(x, y, up.pixel(x, y));
            if (ink(x, y))
                strip.setPixel(size + x, y, dark);
            else if (ink(x - 1, y - 1))
                strip.setPixel(size + x, y, light);
        }
    return strip;
}

} // namespace app
