#pragma once
// Helpers shared by the GIF tests.
#include "graphics/qv/qvgif.h"

#include <QByteArray>
#include <QImage>
#include <algorithm>

namespace giftest {

// The pixel values of a frame's bitmap, top-down, one byte each.
inline QByteArray IndicesOf(gfx::TGIFFrame *f)
{
    const QImage &img = f->Bitmap()->Image();
    QByteArray out;
    for (int y = 0; y < img.height(); ++y)
        out.append(reinterpret_cast<const char *>(img.constScanLine(y)), img.width());
    return out;
}

// A valid GIF of one black frame of width x height pixels filling its screen, as small as LZW makes it:
// runs of growing length fill the code table, then the longest run is said again and again without a
// clear code (4091 pixels in 12 bits: 16000 x 16000 pixels take about 97 KB).
inline QByteArray FlatGIF(int width, int height)
{
    QByteArray codes;
    quint32 acc = 0;
    int bits = 0;
    auto put = [&](int code, int size) {
        acc |= quint32(code) << bits;
        for (bits += size; bits >= 8; bits -= 8) {
            codes.append(char(acc & 0xFF));
            acc >>= 8;
        }
    };
    // Minimum code size 2: clear 4, end 5, the first new code 6, whose run of zeros is two long.
    int next = 6, size = 3;
    auto added = [&] {
        if (next < 4096 && ++next == 1 << size && size < 12)
            ++size;
    };
    put(4, size);
    put(0, size);
    for (qint64 left = qint64(width) * height - 1; left > 0;) {
        if (next < 4096 && next - 4 <= left) {
            put(next, size); // the run the reader is about to make
            left -= next - 4;
        } else {
            const qint64 run = std::min<qint64>(left, std::min(next - 1, 4095) - 4);
            put(run == 1 ? 0 : int(run + 4), size);
            left -= run;
        }
        added();
    }
    put(5, size);
    if (bits > 0)
        codes.append(char(acc & 0xFF));

    QByteArray gif("GIF89a");
    auto put16 = [&gif](int v) {
        gif.append(char(v & 0xFF));
        gif.append(char(v >> 8 & 0xFF));
    };
    put16(width);
    put16(height);
    gif.append("\x80\x00\x00", 3);
    gif.append("\x00\x00\x00\xFF\xFF\xFF", 6);
    gif.append(',');
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.append('\0');
    gif.append('\x02');
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const qsizetype n = std::min<qsizetype>(255, codes.size() - at);
        gif.append(char(n));
        gif.append(codes.constData() + at, n);
    }
    gif.append('\0');
    gif.append(';');
    return gif;
}

} // namespace giftest
