// Reads any bytes with the display control's GIF reader: it is either refused (invalid format, no
// frames, or beyond the GIF budget for a file of its size) or read to 1..256 frames that lie on the
// screen, each a bitmap of its own size, all of it within that budget; every frame the editor could
// open is written as a GIF89a file that reads back to the same pixels, and a wider one is not written.
#include "graphics/qv/qvgif.h"
#include "tools/media/gifimage.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool firstOnly = size > 0 && (data[size - 1] & 1);
    media::TGIFDisplayData gif;
    const int status = media::ParseGIFDisplay(bytes, firstOnly, nullptr, gif);
    if (status != media::gsNone) {
        check(status == media::gsInvalidFormat || status == media::gsTooLarge);
        check(gif.Frames.empty());
        return 0;
    }
    check(!gif.Frames.empty() && gif.Frames.size() <= size_t(media::kMaxGIFFrames));
    check(!firstOnly || gif.Frames.size() == 1);
    const QRect screen(0, 0, gif.ScreenWidth, gif.ScreenHeight);
    qint64 held = qint64(screen.width()) * screen.height() * 4;
    for (const media::TGIFDisplayFrame &f : gif.Frames)
        held += f.Bitmap.sizeInBytes();
    check(held <= gfx::TGIFBudget(qint64(size)).Limit());
    for (const media::TGIFDisplayFrame &f : gif.Frames) {
        const QRect r(f.Left, f.Top, f.Width, f.Height);
        check(r.isEmpty() ? f.Bitmap.isNull() : screen.contains(r) && f.Bitmap.size() == r.size());
        if (r.isEmpty() || qint64(f.Width) * f.Height > 64 * 1024)
            continue;
        QByteArray written;
        if (f.Width > gfx::kGIFMaxFrameSide || f.Height > gfx::kGIFMaxFrameSide) {
            // Wider than the editor opens: not written.
            check(media::EncodeBitmapAsGIF(f.Bitmap, f.Interlaced, f.TransparentColor, f.Transparent, written) ==
                  media::gsTooLarge);
            continue;
        }
        check(media::EncodeBitmapAsGIF(f.Bitmap, f.Interlaced, f.TransparentColor, f.Transparent, written) ==
              media::gsNone);
        media::TGIFDisplayData back;
        check(media::ParseGIFDisplay(written, false, nullptr, back) == media::gsNone && back.Frames.size() == 1);
        const QImage &a = f.Bitmap, &b = back.Frames[0].Bitmap;
        check(b.size() == a.size());
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                check((a.pixel(x, y) & 0xFFFFFF) == (b.pixel(x, y) & 0xFFFFFF));
    }
    return 0;
}
