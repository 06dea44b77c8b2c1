#include "glyphs.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPolygon>

namespace zel {
namespace {

QPixmap blank(int w, int h)
{
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

QPixmap dots()
{
    QPixmap p = blank(12, 12);
    QPainter g(&p);
    for (int x : {2, 5, 8})
        g.fillRect(x, 8, 2, 2, Qt::black);
    return p;
}

QPixmap arrowDown()
{
    QPixmap p = blank(12, 12);
    QPainter g(&p);
    g.setPen(Qt::NoPen);
    g.setBrush(Qt::black);
    g.drawPolygon(QPolygon({QPoint(2, 4), QPoint(10, 4), QPoint(6, 8)}));
    return p;
}

QPixmap folder()
{
    QPixmap p = blank(14, 12);
    QPainter g(&p);
    g.setPen(QColor(128, 96, 0));
    g.setBrush(QColor(255, 220, 96));
    g.drawRect(1, 3, 11, 7);
    g.drawRect(1, 1, 5, 2);
    return p;
}

QPixmap lettered(const QString &letters, QColor colour)
{
    QPixmap p = blank(16, 16);
    QPainter g(&p);
    g.fillRect(p.rect(), Qt::white); // white is the transparent colour of these glyphs
    QFont f;
    f.setPixelSize(letters.size() > 2 ? 7 : 9);
    f.setBold(true);
    g.setFont(f);
    g.setPen(colour);
    g.drawText(p.rect(), Qt::AlignCenter, letters);
    return p;
}

} // namespace

QPixmap ZelGlyph(const QString &name)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;
    QPixmap p;
    if (name == QLatin1String("ZELLOOKUPEDITB1"))
        p = arrowDown();
    else if (name == QLatin1String("ZELLOOKUPEDITB2") || name == QLatin1String("TZELFILELOOKUPA"))
        p = dots();
    else if (name == QLatin1String("ZELFolderLookup"))
        p = folder();
    else if (name == QLatin1String("PS"))
        p = lettered(QStringLiteral("a"), QColor(160, 0, 0));
    else if (name == QLatin1String("TTF"))
        p = lettered(QStringLiteral("TT"), QColor(0, 0, 160));
    else if (name == QLatin1String("RASTER"))
        p = lettered(QStringLiteral("A"), QColor(0, 128, 0));
    else if (name == QLatin1String("UNKNOWN"))
        p = lettered(QStringLiteral("?"), QColor(96, 96, 96));
    cache.insert(name, p);
    return p;
}

} // namespace zel
