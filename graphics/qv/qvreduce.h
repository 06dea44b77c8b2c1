#pragma once
// Colour reduction: any bitmap becomes a Windows bitmap file of 1, 4 or 8 bits per pixel, so that deep
// colour pictures can be encoded as GIF frames. Six methods reduce to 8 bits.
#include "platform/graphics/bitmap.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <functional>

namespace gfx {

enum TColorReduction : uint8_t {
    rmFrequency = 0,   // the most used colours
    rmQuantize = 1,    // median cut
    rmTruncate784 = 2, // 7 x 8 x 4 levels
    rmTruncate666 = 3, // 6 x 6 x 6 levels
    rmTripel = 4,      // one channel per pixel
    rmGrayscale = 5,
};

// The method used when a frame's bitmap has more than 8 bits per pixel (the animation editor sets it).
extern uint8_t GIFColorReduction;

// A whole bitmap file in the format. A bitmap already in that format saves itself (unless the method is
// grayscale); 1- and 4-bit targets map to the nearest colours; an 8-bit target from deeper pixels uses the
// method; a 24-bit target keeps the pixels (turned gray by the grayscale method). A bitmap that was never
// given pixels raises "Bitmap image is not valid"; other formats are not implemented. Progress, when
// given, is told how far each pass over the rows is and may raise to stop.
QByteArray BitmapToStream(const platform::Bitmap &bitmap, platform::PixelFormat pf, uint8_t method,
                          const std::function<void(int percent)> &progress = {});
// 1 bit up to 2 colours, 4 up to 16, 8 up to 256, else 24; with the global method.
QByteArray BitmapToStreamByColours(const platform::Bitmap &bitmap, int colours);

// Bitmap file parts: the info header with its palette, and the pixel bytes.
void GetDIBSizes(const platform::Bitmap &bitmap, qsizetype &infoHeaderSize, qsizetype &imageSize,
                 platform::PixelFormat pf);
QByteArray DIBFromBitmap(const platform::Bitmap &bitmap, platform::PixelFormat pf);

// The level tables and, for each byte value, the index of the nearest level (the lower on a tie).
const std::array<uint8_t, 4> &Levels4();
const std::array<uint8_t, 6> &Levels6();
const std::array<uint8_t, 7> &Levels7();
const std::array<uint8_t, 8> &Levels8();
int NearestLevel(int levels, int value);

} // namespace gfx
