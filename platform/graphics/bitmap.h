#pragma once
// A bitmap of 1, 4, 8 or 24 bits per pixel (or the device's 32) with its colour table, on QImage. Images
// of 1, 4 and 8 bits are held as 8-bit indexed images whose colour table has 2, 16 or 256 entries, so that
// every pixel value names an entry. Saved and loaded as Windows bitmap files.
#include "color.h"
#include "graphic.h"

#include <QImage>

namespace platform {

enum class PixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

// Bits per pixel of a format (pfDevice counts as 32).
int BitsOf(PixelFormat pf);
// The format of 1, 4, 8, 24 or 32 bits; anything else gives pfDevice.
PixelFormat FormatOfBits(int bits);
// ((pixels * bits + alignment - 1) and not (alignment - 1)) div 8: a row's bytes padded to alignment bits.
qsizetype BytesPerScanline(qsizetype pixels, int bits, int alignment);
// The colours the system uses for a format without a palette of its own: black and white, the sixteen
// standard colours, or a 6x6x6 cube followed by grays.
QVector<QRgb> StandardPalette(int bits);
// Appends a bitmap file's 14-byte file header and 40-byte info header; the palette of paletteEntries
// entries and imageSize bytes of pixels are to follow.
void WriteBitmapFileHeaders(QByteArray &out, int width, int height, int bits, qsizetype imageSize,
                            int paletteEntries, quint32 colorsUsed = 0);

class Bitmap : public Graphic {
public:
    Bitmap();
    Bitmap(int width, int height, PixelFormat pf = PixelFormat::pfDevice);
    ~Bitmap() override;

    QString ClassName() const override { return QStringLiteral("TBitmap"); }
    std::unique_ptr<Graphic> NewOfSameClass() const override { return std::make_unique<Bitmap>(); }

    bool Empty() const override { return image_.width() == 0 || image_.height() == 0; }
    // A bitmap without a handle was never given a size or pixels.
    bool HandleAllocated() const { return !image_.isNull(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    void SetWidth(int value) override { SetSize(value, Height()); }
    void SetHeight(int value) override { SetSize(Width(), value); }
    // Keeps the pixels that still fit; new pixels are 0 (white for the device format).
    void SetSize(int width, int height);
    void Draw(QPainter &painter, const QRect &rect) override;
    QVector<QRgb> Palette() override { return ColorTable(); }

    PixelFormat GetPixelFormat() const { return pf_; }
    // Converts the pixels; 1- and 4-bit targets map every colour to the nearest colour of the bitmap's own
    // table when it is small enough, else of the standard palette.
    void SetPixelFormat(PixelFormat pf);
    // The colour table of an indexed bitmap (empty for the direct formats).
    QVector<QRgb> ColorTable() const { return image_.colorTable(); }
    // Replaces the table of an indexed bitmap, padded with black to 2^bits entries (extra entries dropped).
    void SetColorTable(QVector<QRgb> table);
    bool Monochrome() const;
    void SetMonochrome(bool value);

    // The transparent colour: the one set, or else the bottom-left pixel's; clNone when empty.
    Color TransparentColor() const;
    void SetTransparentColor(Color value);
    bool TransparentColorFixed() const { return fixedTransparent_ != clNone; }

    const QImage &Image() const { return image_; }
    // Takes an image: indexed and gray images become 8-bit (or 1-bit for monochrome), 24-bit RGB stays 24
    // bit, everything else the device format.
    void SetImage(const QImage &image);
    // Takes an 8-bit indexed image as a bitmap of the given indexed format (its table padded as above).
    void SetIndexedImage(const QImage &image, PixelFormat pf);
    // The same for an image nobody else holds: its pixels are taken as they are, not copied.
    void SetIndexedImage(QImage &&image, PixelFormat pf);
    // A copy that can be drawn, with alpha 0 where the pixel has the given colour.
    QImage KeyedImage(Color key) const;
    QRgb PixelColor(int x, int y) const { return image_.pixel(x, y); }

    // A whole Windows bitmap file of the pixels in the given format.
    QByteArray BitmapFile(PixelFormat pf) const;
    QByteArray BitmapFile() const { return BitmapFile(pf_); }

    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void LoadFromBitmapFile(const QByteArray &bytes);
    void SaveToClipboardFormat(QMimeData &data) override;
    void LoadFromClipboardFormat(const QMimeData &data) override;
    void Assign(const Graphic *source) override;
    void AssignTo(Graphic *dest) const override;

private:
    QImage converted(PixelFormat pf) const;
    // Values beyond the table of an indexed bitmap would name no colour: they become its last entry.
    void clampIndices();

    QImage image_;
    PixelFormat pf_ = PixelFormat::pfDevice;
    Color fixedTransparent_ = clNone;
};

} // namespace platform
