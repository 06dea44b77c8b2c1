// Reads any bytes as a bitmap file: it is either refused with "Bitmap image is not valid" and leaves the
// bitmap as it was, or read within its data to a bitmap of the size the file gives; what is saved from
// it reads back to the same size, format and pixels, and saves to the same bytes again.
#include "platform/graphics/bitmap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

qint32 i32At(const uint8_t *data, size_t at)
{
    quint32 v = 0;
    std::memcpy(&v, data + at, 4); // the fuzzing machines are little-endian, like the file
    return qint32(v);
}

bool samePixels(const platform::Bitmap &a, const platform::Bitmap &b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if ((a.PixelColor(x, y) & 0xFFFFFF) != (b.PixelColor(x, y) & 0xFFFFFF))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    platform::Bitmap b(2, 2, platform::PixelFormat::pf24bit);
    const QByteArray was = b.BitmapFile();
    try {
        b.LoadFromBitmapFile(bytes);
    } catch (const platform::InvalidGraphic &e) {
        check(e.message() == QLatin1String("Bitmap image is not valid"));
        check(b.BitmapFile() == was);
        return 0;
    }
    check(size >= 26 && !b.Empty());
    const qint64 height = i32At(data, 22);
    check(b.Width() == i32At(data, 18) && b.Height() == (height < 0 ? -height : height));

    const QByteArray saved = b.BitmapFile();
    platform::Bitmap back;
    back.LoadFromBitmapFile(saved); // our own file is never refused
    const platform::PixelFormat pf = b.GetPixelFormat();
    check(back.GetPixelFormat() == (pf == platform::PixelFormat::pfDevice ? platform::PixelFormat::pf32bit : pf));
    check(back.ColorTable() == b.ColorTable());
    check(samePixels(back, b));
    check(back.BitmapFile() == saved);
    return 0;
}
