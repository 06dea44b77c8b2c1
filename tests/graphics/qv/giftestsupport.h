#pragma once
// Helpers shared by the GIF tests.
#include "graphics/qv/qvgif.h"

#include <QByteArray>
#include <QImage>

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

} // namespace giftest
