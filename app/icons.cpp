#include "icons.h"

#include <QFont>
#include <cmath>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace app {

namespace {

using Draw = std::function<void(QPainter &)>;

// Every glyph is drawn on a 16 x 16 grid and scaled.
QIcon drawnIcon(const Draw &draw, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPen outline(const QColor &c, qreal width = 1.2)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

const QColor ink(40, 60, 90);
const QColor blue(38, 110, 190);
const QColor green(46, 140, 70);

void arrow(QPainter &p, bool right)
{
    QPainterPath path;
    path.moveTo(2, 8);
    path.lineTo(8, 2.5);
    path.lineTo(8, 5.5);
    path.lineTo(14, 5.5);
    path.lineTo(14, 10.5);
    path.lineTo(8, 10.5);
    path.lineTo(8, 13.5);
    path.closeSubpath();
    if (right)
        path = QTransform(-1, 0, 0, 1, 16, 0).map(path);
    p.setPen(outline(green.darker(140), 1));
    p.setBrush(green);
    p.drawPath(path);
}

const QHash<QString, Draw> &glyphs()
{
    static const QHash<QString, Draw> all = {
        {QStringLiteral("open"),
         [](QPainter &p) {
             p.setPen(outline(QColor(150, 110, 20), 1));
             p.setBrush(QColor(240, 200, 90));
             p.drawRect(QRectF(1.5, 4.5, 13, 9));
             p.setBrush(QColor(250, 220, 120));
             QPainterPath tab;
             tab.moveTo(1.5, 4.5);
             tab.lineTo(2.5, 2.5);
             tab.lineTo(6.5, 2.5);
             tab.lineTo(7.5, 4.5);
             p.drawPath(tab);
         }},
        {QStringLiteral("reload"),
         [](QPainter &p) {
             p.setPen(outline(blue, 1.8));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 290 * 16);
             p.setPen(Qt::NoPen);
             p.setBrush(blue);
             p.drawPolygon(QPolygonF({QPointF(7, 0.5), QPointF(11, 3), QPointF(7, 5.5)}));
         }},
        {QStringLiteral("back"), [](QPainter &p) { arrow(p, false); }},
        {QStringLiteral("forward"), [](QPainter &p) { arrow(p, true); }},
        {QStringLiteral("goto"),
         [](QPainter &p) {
             p.setPen(outline(green.darker(140), 1));
             p.setBrush(green);
             p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawPolygon(QPolygonF({QPointF(6, 4.5), QPointF(11.5, 8), QPointF(6, 11.5)}));
         }},
        {QStringLiteral("stop"),
         [](QPainter &p) {
             QPolygonF octagon;
             for (int i = 0; i < 8; ++i) {
                 const qreal a = (22.5 + 45 * i) * M_PI / 180;
                 octagon << QPointF(8 + 7 * std::cos(a), 8 + 7 * std::sin(a));
             }
             p.setPen(outline(QColor(150, 20, 20), 1));
             p.setBrush(QColor(210, 45, 45));
             p.drawPolygon(octagon);
             p.setPen(outline(Qt::white, 1.8));
             p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
             p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
         }},
        {QStringLiteral("search"),
         [](QPainter &p) {
             p.setPen(outline(ink, 1.6));
             p.setBrush(QColor(210, 230, 250));
             p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
             p.setPen(outline(ink, 2.6));
             p.drawLine(QPointF(10, 10), QPointF(14.2, 14.2));
         }},
        {QStringLiteral("home"),
         [](QPainter &p) {
             p.setPen(outline(QColor(140, 50, 30), 1));
             p.setBrush(QColor(200, 80, 50));
             p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(15, 8), QPointF(1, 8)}));
             p.setPen(outline(ink, 1));
             p.setBrush(QColor(245, 240, 225));
             p.drawRect(QRectF(3.5, 8, 9, 6.5));
             p.setBrush(blue);
             p.drawRect(QRectF(6.5, 10, 3, 4.5));
         }},
        {QStringLiteral("email"),
         [](QPainter &p) {
             p.setPen(outline(ink, 1));
             p.setBrush(QColor(250, 250, 245));
             p.drawRect(QRectF(1.5, 3.5, 13, 9));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
         }},
        {QStringLiteral("fontsize"),
         [](QPainter &p) {
             QFont f(QStringLiteral("Sans Serif"));
             f.setBold(true);
             p.setPen(ink);
             f.setPixelSize(7);
             p.setFont(f);
             p.drawText(QRectF(0, 5, 7, 10), Qt::AlignCenter, QStringLiteral("A"));
             f.setPixelSize(12);
             p.setFont(f);
             p.setPen(blue);
             p.drawText(QRectF(5, 1, 11, 15), Qt::AlignCenter, QStringLiteral("A"));
         }},
    };
    return all;
}

void drawApplicationIcon(QPainter &p)
{
    // A rounded blue tile with a white tag bracket and the version on an orange badge.
    QLinearGradient tile(0, 0, 0, 16);
    tile.setColorAt(0, QColor(52, 136, 214));
    tile.setColorAt(1, QColor(20, 74, 140));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.2, 3.2);
    p.setPen(outline(Qt::white, 1.9));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(6, 3.5), QPointF(2.8, 7.5), QPointF(6, 11.5)}));
    p.drawLine(QPointF(10.2, 3), QPointF(7.6, 12));
    p.setPen(outline(QColor(120, 50, 0), 0.6));
    p.setBrush(QColor(255, 150, 30));
    p.drawEllipse(QRectF(9.2, 8.6, 6.6, 6.6));
    QFont f(QStringLiteral("Sans Serif"));
    f.setBold(true);
    f.setPixelSize(6);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(9.2, 8.7, 6.6, 6.6), Qt::AlignCenter, QStringLiteral("5"));
}

} // namespace

QIcon ApplicationIcon()
{
    static const QIcon icon = drawnIcon(drawApplicationIcon, {16, 22, 24, 32, 48, 64, 128, 256});
    return icon;
}

QIcon PreviewIcon(const QString &name)
{
    const auto it = glyphs().find(name);
    return it == glyphs().end() ? QIcon() : drawnIcon(*it, {16, 24, 32});
}

} // namespace app
