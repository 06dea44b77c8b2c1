#pragma once
// Icon, cursor and animated-cursor files made byte by byte for the tests, and the peers that read icons.
#include "graphics/qv/qvicon.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace icontest {

inline QByteArray U16(unsigned v) { return QByteArray(1, char(v & 0xFF)).append(char(v >> 8 & 0xFF)); }
inline QByteArray U32(quint32 v) { return U16(v & 0xFFFF) + U16(v >> 16); }
inline QByteArray U32s(const QList<quint32> &values)
{
    QByteArray out;
    for (quint32 v : values)
        out += U32(v);
    return out;
}

// A test picture: a few colours, a transparent corner and an odd size, so rows need padding.
inline QImage Picture(int width, int height, const QList<QRgb> &colours)
{
    QImage img(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, x + y < 3 ? 0u : colours[(x / 2 + y) % colours.size()] | 0xFF000000u);
    return img;
}

// The image part of an icon entry: info header (height doubled), palette, colour rows and mask rows,
// bottom-up. Indexed depths take each pixel's place in the palette; the mask is set where alpha < 128.
// A 32-bit image keeps its alpha unless told to write 0.
struct DibOptions {
    int bits = 32;
    QList<QRgb> palette;   // for 1, 4 and 8 bits
    quint32 colorsUsed = 0;
    bool withMask = true;
    bool zeroAlpha = false;
};

inline QByteArray Dib(const QImage &img, const DibOptions &o)
{
    const int w = img.width(), h = img.height();
    QByteArray out = U32(40) + U32(quint32(w)) + U32(quint32(2 * h)) + U16(1) + U16(unsigned(o.bits)) + U32(0) +
                     U32(0) + U32(0) + U32(0) + U32(o.colorsUsed) + U32(0);
    if (o.bits <= 8) {
        const int entries = o.colorsUsed ? int(o.colorsUsed) : 1 << o.bits;
        for (int i = 0; i < entries; ++i) {
            const QRgb c = i < o.palette.size() ? o.palette[i] : 0;
            out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
        }
    }
    const int stride = (w * o.bits + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb p = img.pixel(x, y);
            const int index = o.bits <= 8 ? int(qMax<qsizetype>(o.palette.indexOf(p | 0xFF000000u), 0)) : 0;
            switch (o.bits) {
            case 1: row[x / 8] = char(row[x / 8] | index << (7 - x % 8)); break;
            case 4: row[x / 2] = char(row[x / 2] | index << (x % 2 ? 0 : 4)); break;
            case 8: row[x] = char(index); break;
            default:
                row[o.bits / 8 * x] = char(qBlue(p));
                row[o.bits / 8 * x + 1] = char(qGreen(p));
                row[o.bits / 8 * x + 2] = char(qRed(p));
                if (o.bits == 32)
                    row[4 * x + 3] = char(o.zeroAlpha ? 0 : qAlpha(p));
            }
        }
        out += row;
    }
    if (o.withMask) {
        const int maskStride = (w + 31) / 32 * 4;
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskStride, '\0');
            for (int x = 0; x < w; ++x)
                if (qAlpha(img.pixel(x, y)) < 128)
                    row[x / 8] = char(row[x / 8] | 1 << (7 - x % 8));
            out += row;
        }
    }
    return out;
}

struct Entry {
    QByteArray image; // Dib() or PNG bytes
    int width = 0, height = 0, colorCount = 0;
    int planes = 1, bitCount = 32; // a cursor's hotspot
};

// An icon (type 1) or cursor (type 2) file of the entries.
inline QByteArray IconFile(int type, const QList<Entry> &entries)
{
    QByteArray out = U16(0) + U16(unsigned(type)) + U16(unsigned(entries.size()));
    quint32 offset = quint32(6 + 16 * entries.size());
    for (const Entry &e : entries) {
        out.append(char(e.width)).append(char(e.height)).append(char(e.colorCount)).append('\0');
        out += U16(unsigned(e.planes)) + U16(unsigned(e.bitCount)) + U32(quint32(e.image.size())) + U32(offset);
        offset += quint32(e.image.size());
    }
    for (const Entry &e : entries)
        out += e.image;
    return out;
}

inline Entry DibEntry(const QImage &img, const DibOptions &o)
{
    Entry e;
    e.image = Dib(img, o);
    e.width = img.width() & 0xFF;
    e.height = img.height() & 0xFF;
    e.colorCount = o.bits <= 8 ? (1 << o.bits) & 0xFF : 0;
    e.bitCount = o.bits;
    return e;
}

// A one-image icon of the picture at a depth; indexed depths use the palette given.
inline QByteArray SimpleIcon(const QImage &img, int bits, const QList<QRgb> &palette = {})
{
    DibOptions o;
    o.bits = bits;
    o.palette = palette;
    return IconFile(1, {DibEntry(img, o)});
}

// A cursor of one image with its hotspot.
inline QByteArray SimpleCursor(const QImage &img, int bits, const QList<QRgb> &palette, int hotX, int hotY)
{
    DibOptions o;
    o.bits = bits;
    o.palette = palette;
    Entry e = DibEntry(img, o);
    e.planes = hotX;
    e.bitCount = hotY;
    return IconFile(2, {e});
}

// RIFF pieces: a chunk (padded to an even size), a list, and the whole file.
inline QByteArray Chunk(const QByteArray &id, const QByteArray &data)
{
    QByteArray out = id + U32(quint32(data.size())) + data;
    if (data.size() % 2)
        out.append('\0');
    return out;
}
inline QByteArray List(const QByteArray &type, const QByteArray &chunks) { return Chunk("LIST", type + chunks); }
inline QByteArray Riff(const QByteArray &chunks) { return Chunk("RIFF", "ACON" + chunks); }

struct Anih {
    quint32 frames = 1, steps = 1, width = 0, height = 0, bits = 0, planes = 0, rate = 10, flags = 1;
};
inline QByteArray AnihChunk(const Anih &a)
{
    return Chunk("anih", U32s({36, a.frames, a.steps, a.width, a.height, a.bits, a.planes, a.rate, a.flags}));
}
inline QByteArray Frames(const QList<QByteArray> &icons)
{
    QByteArray chunks;
    for (const QByteArray &icon : icons)
        chunks += Chunk("icon", icon);
    return List("fram", chunks);
}

// Peers: Debian's icotool and ImageMagick.
inline QString Tool(const QString &name) { return QStandardPaths::findExecutable(name); }

inline bool RunTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The differences between two ARGB pictures: pixels transparent in one and not the other, and visible
// pixels of other colours. Empty when they show the same.
inline QString Difference(const QImage &ours, const QImage &theirs)
{
    if (ours.size() != theirs.size())
        return QStringLiteral("size %1x%2 against %3x%4")
            .arg(ours.width())
            .arg(ours.height())
            .arg(theirs.width())
            .arg(theirs.height());
    const QImage a = ours.convertToFormat(QImage::Format_ARGB32);
    const QImage b = theirs.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) != qAlpha(q) || (qAlpha(p) != 0 && (p & 0xFFFFFF) != (q & 0xFFFFFF)))
                return QStringLiteral("pixel %1,%2: %3 against %4")
                    .arg(x)
                    .arg(y)
                    .arg(p, 8, 16, QLatin1Char('0'))
                    .arg(q, 8, 16, QLatin1Char('0'));
        }
    return {};
}

} // namespace icontest
