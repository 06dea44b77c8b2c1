#include "color.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

Color ColorToRGB(Color c)
{
    if (!IsSystemColor(c))
        return c & 0x00FFFFFF;
    const QPalette pal = QGuiApplication::palette();
    QColor q;
    switch (c & 0xFF) {
    case 5: q = pal.color(QPalette::Base); break;         // window
    case 8: q = pal.color(QPalette::Text); break;         // window text
    case 15: q = pal.color(QPalette::Button); break;      // button face
    case 16: q = pal.color(QPalette::Dark); break;        // button shadow
    case 20: q = pal.color(QPalette::Light); break;       // button highlight
    case 13: q = pal.color(QPalette::Highlight); break;
    case 14: q = pal.color(QPalette::HighlightedText); break;
    default: q = pal.color(QPalette::Window); break;
    }
    return RGBColor(q.red(), q.green(), q.blue());
}

QColor ToQColor(Color c)
{
    const Color rgb = ColorToRGB(c);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

Color FromQRgb(QRgb rgb) { return RGBColor(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

} // namespace platform
