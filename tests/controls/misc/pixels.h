#pragma once
// Pixel checks shared by the tests of drawn controls: a crisp font, a parent with four coloured
// quarters, and where a colour lies in an image.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace pixels {

// A font drawn without smoothing, so every pixel of the text has the pen's colour.
inline QFont CrispFont(int pixelSize)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

inline QImage Shot(QWidget &w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The bounding box of the pixels of one colour (empty when there are none).
inline QRect InkBox(const QImage &img, const QColor &colour)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

// A window that paints four coloured quarters, so any part of its image tells where it came from.
class Quarters : public QWidget {
public:
    explicit Quarters(QWidget *parent = nullptr) : QWidget(parent) { resize(200, 120); }
    static QColor At(QPoint p)
    {
        if (p.y() < 60)
            return p.x() < 100 ? QColor(200, 0, 0) : QColor(0, 200, 0);
        return p.x() < 100 ? QColor(0, 0, 200) : QColor(200, 200, 0);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        for (QPoint corner : {QPoint(0, 0), QPoint(100, 0), QPoint(0, 60), QPoint(100, 60)})
            p.fillRect(QRect(corner, QSize(100, 60)), At(corner));
    }
};

// Whether the pixels of img inside area (img's coordinates) are the quarters' pixels at origin + (x, y).
inline bool ShowsQuarters(const QImage &img, QPoint origin, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (QColor(img.pixel(x, y)) != Quarters::At(origin + QPoint(x, y)))
                return false;
    return true;
}

} // namespace pixels
