// Reads any bytes as an animated cursor and as an icon. A cursor is either refused with "Stream read
// error" and keeps what it held, or read to frames that each show an icon of a sane size whose bytes read
// back to the same picture, with as many steps as frames; small ones are also handed to an icon list, a
// strip bitmap and a GIF image. An icon is either refused with "Invalid icon" and keeps what it held, or
// read to a picture of a sane size and saved to the same bytes.
#include "graphics/qv/qvanifile.h"
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvicolist.h"

#include "iconfuzz.h"

#include <cstdint>
#include <cstdlib>

namespace {

using fuzzicon::Check;
using fuzzicon::SmallIcon;
using fuzzicon::U32;

QByteArray chunk(const QByteArray &id, const QByteArray &data)
{
    return id + U32(quint32(data.size())) + data + (data.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

bool saneIcon(const gfx::TIcon *icon)
{
    return icon && !icon->Empty() && icon->Width() >= 1 && icon->Width() <= gfx::kIconMaxSide &&
           icon->Height() >= 1 && icon->Height() <= gfx::kIconMaxSide &&
           icon->Image().format() == QImage::Format_ARGB32;
}

void fuzzCursor(const QByteArray &bytes)
{
    static const QByteArray before =
        chunk("RIFF", "ACON" + chunk("LIST", "INFO" + chunk("INAM", "kept")) +
                          chunk("LIST", "fram" + chunk("icon", SmallIcon())));
    gfx::TAnimatedCursorImage ani;
    ani.LoadFromBytes(before);
    try {
        ani.LoadFromBytes(bytes);
    } catch (const platform::StreamError &e) {
        Check(e.message() == QLatin1String("Stream read error"));
        Check(ani.Count() == 1 && ani.Title() == QLatin1String("kept") && ani.Icons(0)->Data() == SmallIcon());
        return;
    }
    Check(ani.Count() >= 1 && ani.Header().dwSteps == quint32(ani.Count()));
    Check(ani.Title().size() <= 255 && ani.Artist().size() <= 255);
    const int colours = ani.IconColors();
    Check(colours == 0 || colours == 2 || colours == 16 || colours == 256);
    qint64 pixels = 0;
    for (int i = 0; i < ani.Count(); ++i) {
        const gfx::TIconFrame *f = ani.Frames(i);
        Check(saneIcon(f->Icon()));
        Check(f->TagHeader.Id == "icon" && f->TagHeader.Size == quint32(f->Icon()->Data().size()));
        pixels += qint64(f->Icon()->Width()) * f->Icon()->Height();
        // Frames showing the same icon share it; check each distinct one once.
        if (i > 0 && f->Icon()->Data().isSharedWith(ani.Frames(i - 1)->Icon()->Data()))
            continue;
        gfx::TIcon again;
        again.LoadFromBytes(f->Icon()->Data());
        Check(again.Image() == f->Icon()->Image());
        Check(f->IsIcon ? f->HotSpot == QPoint(again.Width() / 2, again.Height() / 2)
                        : f->HotSpot.x() >= 0 && f->HotSpot.x() <= 0xFFFF && f->HotSpot.y() >= 0 &&
                              f->HotSpot.y() <= 0xFFFF);
    }
    if (ani.Count() > 16 || pixels > 64 * 64 * 4)
        return;
    gfx::TIconList list;
    list.Assign(&ani);
    Check(list.Count() == ani.Count());
    const std::unique_ptr<platform::Bitmap> strip = ani.IconsStrip(true, platform::clWhite, true);
    Check(strip && strip->Width() == ani.Icons(0)->Width() * ani.Count() && strip->Height() == ani.Icons(0)->Height());
    gfx::TGIFImage gif;
    ani.AssignTo(&gif);
    Check(gif.Count() == ani.Count());
}

void fuzzIcon(const QByteArray &bytes)
{
    gfx::TIcon icon;
    icon.LoadFromBytes(SmallIcon());
    try {
        icon.LoadFromBytes(bytes);
    } catch (const platform::InvalidGraphic &e) {
        Check(e.message() == QLatin1String("Invalid icon"));
        Check(icon.Data() == SmallIcon() && icon.Width() == 2);
        return;
    }
    Check(saneIcon(&icon));
    Check(icon.SaveToBytes() == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    fuzzCursor(bytes);
    fuzzIcon(bytes);
    return 0;
}
