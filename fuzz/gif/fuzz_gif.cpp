// Reads any bytes as a GIF: it is either refused with an error and leaves the picture empty, or read
// within its data; every frame decodes to its own size, and what we write from it reads back to the
// same frames and pixels.
#include "graphics/qv/qvgif.h"

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
    // Huge frames are legal up to the limits, but decoding them here would only slow the search.
    qint64 pixels = 0;
    for (int i = 0; i < gif.Count(); ++i)
        pixels += qint64(gif.Frames(i)->Item().Width) * gif.Frames(i)->Item().Height;
    if (pixels > (qint64(1) << 18))
        return 0;
    gif.DecodeAllFrames();
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
        return 0; // a frame without any data cannot be written
    }
    gfx::TGIFImage back;
    try {
        back.ReadGIF(written, false);
    } catch (const platform::InvalidGraphicOperation &) {
        // Frames outside the screen grow it when written; a screen grown beyond what can be shown is
        // refused on reading, and nothing else may be.
        qint64 need = gif.ScreenWidth() * qint64(gif.ScreenHeight()) * 4;
        for (int i = 0; i < gif.Count(); ++i)
            need += qint64(gif.Frames(i)->Item().Width) * gif.Frames(i)->Item().Height;
        if (need <= gfx::kGIFMaxPixelBytes)
            std::abort();
        return 0;
    }
    // Frames without pixels are left out of the file; the others come back in order.
    int n = 0;
    for (int i = 0; i < gif.Count(); ++i) {
        gfx::TGIFFrame *f = gif.Frames(i);
        if (f->Item().Width <= 0 || f->Item().Height <= 0)
            continue;
        if (n >= back.Count() || indices(back.Frames(n)) != indices(f))
            std::abort();
        ++n;
    }
    if (n != back.Count())
        std::abort();
    if (back.Count() > 0)
        back.Grayscale(false);
    return 0;
}
