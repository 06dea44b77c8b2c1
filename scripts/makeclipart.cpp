// Draws the shipped clip art (data/Clipart/<category>/*.gif) and writes it with our own GIF writer.
// Usage: k5_makeclipart <data folder>. The pictures are simple shapes; run it again after changing one.
#include "graphics/qv/qvgif.h"
#include "platform/fileio.h"
#include "platform/graphics/bitmap.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter &, const QSize &)>;

struct Art {
    const char *category;
    const char *name;
    QSize size;
    std::vector<Draw> frames; // more than one: an animation
    int delay = 0;
};

QColor rgb(unsigned v) { return QColor::fromRgb(v); }

Draw arrow(double angle, unsigned colour)
{
    return [angle, colour](QPainter &p, const QSize &s) {
        p.translate(s.width() / 2.0, s.height() / 2.0);
        p.rotate(angle);
        QPainterPath path;
        path.moveTo(-13, -5);
        path.lineTo(2, -5);
        path.lineTo(2, -12);
        path.lineTo(14, 0);
        path.lineTo(2, 12);
        path.lineTo(2, 5);
        path.lineTo(-13, 5);
        path.closeSubpath();
        p.setPen(QPen(rgb(0x202020), 1));
        p.setBrush(rgb(colour));
        p.drawPath(path);
    };
}

Draw ball(unsigned colour, QPointF light = {0.35, 0.3})
{
    return [colour, light](QPainter &p, const QSize &s) {
        const QRectF r(2, 2, s.width() - 4, s.height() - 4);
        QRadialGradient g(r.left() + r.width() * light.x(), r.top() + r.height() * light.y(), r.width() * 0.7);
        g.setColorAt(0, Qt::white);
        g.setColorAt(0.35, rgb(colour));
        g.setColorAt(1, rgb(colour).darker(220));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(r);
    };
}

Draw box(unsigned colour, bool open)
{
    return [colour, open](QPainter &p, const QSize &s) {
        const QColor c = rgb(colour);
        const int w = s.width(), h = s.height();
        QPolygonF front{{4, 12}, {w - 10.0, 12}, {w - 10.0, h - 3.0}, {4, h - 3.0}};
        QPolygonF top{{4, 12}, {10, 5}, {w - 3.0, 5}, {w - 10.0, 12}};
        QPolygonF side{{w - 10.0, 12}, {w - 3.0, 5}, {w - 3.0, h - 10.0}, {w - 10.0, h - 3.0}};
        p.setPen(QPen(rgb(0x202020), 1));
        p.setBrush(c);
        p.drawPolygon(front);
        p.setBrush(open ? rgb(0x303030) : c.lighter(140));
        p.drawPolygon(top);
        p.setBrush(c.darker(150));
        p.drawPolygon(side);
    };
}

Draw button(unsigned colour, const char *label)
{
    return [colour, label](QPainter &p, const QSize &s) {
        const QRectF r(1, 1, s.width() - 2, s.height() - 2);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, rgb(colour).lighter(160));
        g.setColorAt(1, rgb(colour).darker(130));
        p.setPen(QPen(rgb(colour).darker(200), 1));
        p.setBrush(g);
        p.drawRoundedRect(r, 6, 6);
        QFont f;
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, QString::fromLatin1(label));
    };
}

Draw line(unsigned a, unsigned b, int style)
{
    return [a, b, style](QPainter &p, const QSize &s) {
        const int w = s.width(), h = s.height();
        if (style == 0) {
            QLinearGradient g(0, 0, w, 0);
            g.setColorAt(0, rgb(a));
            g.setColorAt(0.5, rgb(b));
            g.setColorAt(1, rgb(a));
            p.fillRect(0, h / 2 - 2, w, 4, g);
        } else if (style == 1) {
            p.setPen(Qt::NoPen);
            for (int x = 3, i = 0; x < w; x += 10, ++i) {
                p.setBrush(rgb(i % 2 ? a : b));
                p.drawEllipse(QPointF(x, h / 2.0), 3, 3);
            }
        } else {
            QPainterPath wave;
            wave.moveTo(0, h / 2.0);
            for (int x = 0; x <= w; x += 4)
                wave.lineTo(x, h / 2.0 + ((x / 4) % 2 ? -3 : 3));
            p.setPen(QPen(rgb(a), 2));
            p.drawPath(wave);
        }
    };
}

Draw star(unsigned colour, double turn)
{
    return [colour, turn](QPainter &p, const QSize &s) {
        p.translate(s.width() / 2.0, s.height() / 2.0);
        p.rotate(turn);
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 6 : 14, t = i * 3.14159265 / 5 - 3.14159265 / 2;
            star << QPointF(r * std::cos(t), r * std::sin(t));
        }
        p.setPen(QPen(rgb(0x604000), 1));
        p.setBrush(rgb(colour));
        p.drawPolygon(star);
    };
}

Draw textMark(const char *text, unsigned colour)
{
    return [text, colour](QPainter &p, const QSize &s) {
        p.setPen(QPen(rgb(colour), 2));
        p.setBrush(rgb(0xFFFFE0));
        p.drawRect(QRectF(1, 1, s.width() - 3, s.height() - 3));
        QFont f;
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 0, s.width(), s.height()), Qt::AlignCenter, QString::fromLatin1(text));
    };
}

std::vector<Art> arts()
{
    const QSize icon(32, 32), wide(80, 24), rule(300, 8);
    return {
        {"Arrows", "arrow_right.gif", icon, {arrow(0, 0x2060D0)}},
        {"Arrows", "arrow_left.gif", icon, {arrow(180, 0x2060D0)}},
        {"Arrows", "arrow_up.gif", icon, {arrow(-90, 0x20A040)}},
        {"Arrows", "arrow_down.gif", icon, {arrow(90, 0x20A040)}},
        {"Arrows", "arrow_turning.gif", icon, {arrow(0, 0xD04020), arrow(90, 0xD04020), arrow(180, 0xD04020), arrow(270, 0xD04020)}, 250},
        {"Balls", "ball_red.gif", icon, {ball(0xD02020)}},
        {"Balls", "ball_green.gif", icon, {ball(0x20A030)}},
        {"Balls", "ball_blue.gif", icon, {ball(0x2040D0)}},
        {"Balls", "ball_yellow.gif", icon, {ball(0xE0C010)}},
        {"Balls", "ball_shining.gif", icon, {ball(0x8030C0, {0.3, 0.3}), ball(0x8030C0, {0.5, 0.3}), ball(0x8030C0, {0.7, 0.3})}, 200},
        {"Boxes", "box_brown.gif", icon, {box(0xA06030, false)}},
        {"Boxes", "box_blue.gif", icon, {box(0x3060C0, false)}},
        {"Boxes", "box_open.gif", icon, {box(0xA06030, true)}},
        {"Buttons", "button_home.gif", wide, {button(0x2060C0, "Home")}},
        {"Buttons", "button_back.gif", wide, {button(0x606060, "Back")}},
        {"Buttons", "button_next.gif", wide, {button(0x606060, "Next")}},
        {"Buttons", "button_mail.gif", wide, {button(0x20A040, "Mail")}},
        {"Lines", "line_fade.gif", rule, {line(0xFFFFFF, 0x2060C0, 0)}},
        {"Lines", "line_dots.gif", rule, {line(0xD02020, 0x2040D0, 1)}},
        {"Lines", "line_wave.gif", rule, {line(0x20A040, 0, 2)}},
        {"Mix", "star.gif", icon, {star(0xF0C020, 0)}},
        {"Mix", "star_turning.gif", icon, {star(0xF0C020, 0), star(0xF0C020, 12), star(0xF0C020, 24)}, 150},
        {"Mix", "new.gif", QSize(36, 18), {textMark("NEW", 0xD02020)}},
        {"Mix", "hot.gif", QSize(36, 18), {textMark("HOT", 0xE06010)}},
    };
}

QImage render(const Draw &draw, const QSize &size)
{
    // Magenta is the transparent colour: it is in no picture.
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    draw(p, size);
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: k5_makeclipart <data folder>\n");
        return 2;
    }
    const QDir data(QString::fromLocal8Bit(argv[1]));
    for (const Art &art : arts()) {
        gfx::TGIFImage gif;
        for (const Draw &frame : art.frames) {
            platform::Bitmap bitmap;
            bitmap.SetImage(render(frame, art.size));
            bitmap.SetTransparentColor(0xFF00FF);
            const int index = gif.AddFrame(&bitmap);
            gif.Frames(index)->SetTransparentColor(0xFF00FF);
            if (art.frames.size() > 1)
                gif.Frames(index)->SetAnimateInterval(art.delay);
        }
        if (art.frames.size() > 1)
            gif.SetLooping(true);
        const QString path = data.filePath(QStringLiteral("Clipart/%1/%2").arg(QLatin1String(art.category), QLatin1String(art.name)));
        platform::WriteFileAtomic(path, gif.WriteGIF(false));
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
