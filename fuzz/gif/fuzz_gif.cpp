// Reads any bytes as a GIF: it is either refused with an error and leaves the picture empty, or read
// within its data and its budget; every frame lies on the screen and decodes to its own size, the frames
// compose onto the screen, and what we write from it reads back to the same screen, frames and pixels.
#include "graphics/qv/qvgif.h"

#include <QPainter>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray indices(gfx::TGIFFrame *f)
{
    const QImage &img = f->Bitmap()->Image();
    QByteArray out;
    for (int y = 0; y < img.height(); ++y)
        out.append(reinterpret_cast<const char *>(img.constScanLine(y)), img.width());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    gfx::TGIFImage gif;
    try {
        gif.ReadGIF(bytes, false);
    } catch (const platform::Error &) {
        if (gif.Count() != 0)
            std::abort();
        return 0;
    }
    // What showing the picture holds stays within the budget for a file of this size.
    const QRect screen(0, 0, gif.ScreenWidth(), gif.ScreenHeight());
    qint64 frames = 0;
    for (int i = 0; i < gif.Count(); ++i) {
        gfx::TGIFFrame *f = gif.Frames(i);
        const QRect r(f->Origin(), QSize(f->Width(), f->Height()));
        if (!gif.Empty() && !r.isEmpty() && !screen.contains(r))
            std::abort();
        frames += qint64(f->Item().Width) * f->Item().Height;
    }
    const qint64 held = frames + qint64(screen.width()) * screen.height() * 4;
    if (held > gfx::TGIFBudget(qint64(size)).Limit())
        std::abort();
    // Within the budget every picture could be shown; the biggest would only slow the search.
    if (held > (qint64(1) << 22))
        return 0;
    gif.DecodeAllFrames();
    if (!screen.isEmpty()) {
        QImage canvas(screen.size(), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        for (int i = 0; i < gif.Count(); ++i) {
            gfx::TGIFFrame *f = gif.Frames(i);
            f->Draw(painter, QRect(f->Origin(), QSize(f->Width(), f->Height())), true);
        }
    }
    for (int i = 0; i < gif.Count(); ++i) {
        gfx::TGIFFrame *f = gif.Frames(i);
        const platform::Bitmap *b = f->Bitmap();
        if (!b->Empty() && (b->Width() != f->Item().Width || b->Height() != f->Item().Height))
            std::abort();
    }
    QByteArray written;
    try {
        written = gif.WriteGIF(false);
    } catch (const platform::Error &) {
        return 0; // a frame without any data cannot be written, nor a picture its file could not claim
    }
    gfx::TGIFImage back;
    back.ReadGIF(written, false); // what we write we can read: a failure here ends the run
    if (back.Count() > 0 && (back.ScreenWidth() != gif.ScreenWidth() || back.ScreenHeight() != gif.ScreenHeight()))
        std::abort();
    // Frames without pixels are left out of the file; the others come back in order.
    int n = 0;
    for (int i = 0; i < gif.Count(); ++i) {
        gfx::TGIFFrame *f = gif.Frames(i);
        if (f->Item().Width <= 0 || f->Item().Height <= 0)
            continue;
        if (n >= back.Count() || back.Frames(n)->Origin() != f->Origin() || indices(back.Frames(n)) != indices(f))
            std::abort();
        ++n;
    }
    if (n != back.Count())
        std::abort();
    if (back.Count() > 0)
        back.Grayscale(false);
    return 0;
}
