#include "bitmap.h"

#include "bytereader.h"

#include <QBuffer>
#include <QIODevice>
#include <QMimeData>
#include <QPainter>

namespace platform {
namespace {

constexpr int kMaxBitmapSide = 32768;

[[noreturn]] void invalidBitmap() { throw InvalidGraphic(QStringLiteral("Bitmap image is not valid")); }

// 24-bit pixels between RGB (the image's order) and BGR (the file's order); the swap is its own inverse.
void swapRedBlue(uchar *dst, const uchar *src, int width)
{
    for (int x = 0; x < width; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
    }
}

bool isIndexed(PixelFormat pf)
{
    return pf == PixelFormat::pf1bit || pf == PixelFormat::pf4bit || pf == PixelFormat::pf8bit;
}

QVector<QRgb> padded(QVector<QRgb> table, int bits)
{
    table.resize(1 << bits, qRgb(0, 0, 0));
    return table;
}

// An 8-bit indexed image whose values all lie below 2^bits.
QImage remapToTable(const QImage &src, const QVector<QRgb> &table)
{
    QImage out = src.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
    out.setColorTable(table);
    return out;
}

} // namespace

int BitsOf(PixelFormat pf)
{
    switch (pf) {
    case PixelFormat::pf1bit: return 1;
    case PixelFormat::pf4bit: return 4;
    case PixelFormat::pf8bit: return 8;
    case PixelFormat::pf24bit: return 24;
    default: return 32;
    }
}

PixelFormat FormatOfBits(int bits)
{
    switch (bits) {
    case 1: return PixelFormat::pf1bit;
    case 4: return PixelFormat::pf4bit;
    case 8: return PixelFormat::pf8bit;
    case 24: return PixelFormat::pf24bit;
    case 32: return PixelFormat::pf32bit;
    default: return PixelFormat::pfDevice;
    }
}

qsizetype BytesPerScanline(qsizetype pixels, int bits, int alignment)
{
    return ((pixels * bits + alignment - 1) & ~qsizetype(alignment - 1)) / 8;
}

QVector<QRgb> StandardPalette(int bits)
{
    if (bits <= 1)
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    if (bits <= 4)
        return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
                qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    QVector<QRgb> cube;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                cube.append(qRgb(r * 51, g * 51, b * 51));
    for (int i = 0; cube.size() < 256; ++i)
        cube.append(qRgb(i * 255 / 39, i * 255 / 39, i * 255 / 39));
    return cube;
}

void WriteBitmapFileHeaders(QByteArray &out, int width, int height, int bits, qsizetype imageSize,
                            int paletteEntries, quint32 colorsUsed)
{
    const quint32 offset = quint32(14 + 40 + 4 * paletteEntries);
    ByteWriter wr(out);
    wr.Bytes("BM", 2);
    wr.U32(quint32(offset + imageSize));
    wr.U32(0);
    wr.U32(offset);
    wr.U32(40);
    wr.U32(quint32(width));
    wr.U32(quint32(height));
    wr.U16(1);
    wr.U16(unsigned(bits));
    wr.U32(0);
    wr.U32(quint32(imageSize));
    wr.U32(0);
    wr.U32(0);
    wr.U32(colorsUsed);
    wr.U32(0);
}

Bitmap::Bitmap() = default;

Bitmap::Bitmap(int width, int height, PixelFormat pf)
{
    pf_ = pf;
    SetSize(width, height);
}

Bitmap::~Bitmap() = default;

void Bitmap::SetSize(int width, int height)
{
    width = qMax(0, width);
    height = qMax(0, height);
    if (width > kMaxBitmapSide || height > kMaxBitmapSide)
        throw InvalidGraphicOperation(QStringLiteral("Bitmap too large"));
    if (!image_.isNull() && width == image_.width() && height == image_.height())
        return;
    QImage next;
    if (isIndexed(pf_)) {
        next = QImage(width, height, QImage::Format_Indexed8);
        next.setColorTable(image_.isNull() ? padded(StandardPalette(BitsOf(pf_)), BitsOf(pf_)) : image_.colorTable());
        next.fill(0);
    } else {
        next = QImage(width, height, pf_ == PixelFormat::pf24bit ? QImage::Format_RGB888 : QImage::Format_RGB32);
        next.fill(Qt::white);
    }
    if (!image_.isNull() && width && height) {
        const int w = qMin(width, image_.width()), h = qMin(height, image_.height());
        const int bpp = next.depth() / 8;
        for (int y = 0; y < h; ++y)
            std::memcpy(next.scanLine(y), image_.constScanLine(y), size_t(w) * bpp);
    }
    image_ = next;
    Changed();
}

void Bitmap::Draw(QPainter &painter, const QRect &rect)
{
    if (Empty())
        return;
    if (Transparent())
        painter.drawImage(rect, KeyedImage(TransparentColor()));
    else
        painter.drawImage(rect, image_);
}

QImage Bitmap::converted(PixelFormat pf) const
{
    if (image_.isNull())
        return {};
    switch (pf) {
    case PixelFormat::pf1bit:
    case PixelFormat::pf4bit:
    case PixelFormat::pf8bit: {
        const int bits = BitsOf(pf);
        if (isIndexed(pf_) && BitsOf(pf_) <= bits) {
            QImage out = image_.copy();
            out.setColorTable(padded(image_.colorTable(), bits));
            return out;
        }
        if (bits < 8)
            return remapToTable(image_, StandardPalette(bits));
        QImage out = image_.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
        out.setColorTable(padded(out.colorTable(), 8));
        return out;
    }
    case PixelFormat::pf24bit:
        return image_.convertToFormat(QImage::Format_RGB888);
    default:
        return image_.convertToFormat(QImage::Format_RGB32);
    }
}

void Bitmap::SetPixelFormat(PixelFormat pf)
{
    if (pf == pf_ && !image_.isNull())
        return;
    if (image_.isNull()) {
        pf_ = pf;
        return;
    }
    image_ = converted(pf);
    pf_ = pf;
    Changed();
}

void Bitmap::SetColorTable(QVector<QRgb> table)
{
    if (!isIndexed(pf_) || image_.isNull())
        return;
    table.resize(qMin<qsizetype>(table.size(), 1 << BitsOf(pf_)));
    image_.setColorTable(padded(table, BitsOf(pf_)));
    SetPaletteModified(true);
    Changed();
}

bool Bitmap::Monochrome() const
{
    if (pf_ != PixelFormat::pf1bit)
        return false;
    const QVector<QRgb> t = image_.colorTable();
    return t.size() == 2 && (t[0] & 0xFFFFFF) == 0 && (t[1] & 0xFFFFFF) == 0xFFFFFF;
}

void Bitmap::SetMonochrome(bool value)
{
    if (value == Monochrome())
        return;
    if (value) {
        SetPixelFormat(PixelFormat::pf1bit);
        if (!image_.isNull() && !Monochrome()) {
            image_ = remapToTable(image_, StandardPalette(1));
            Changed();
        }
    } else {
        SetPixelFormat(PixelFormat::pfDevice);
    }
}

Color Bitmap::TransparentColor() const
{
    if (fixedTransparent_ != clNone)
        return fixedTransparent_;
    if (Empty())
        return clNone;
    return FromQRgb(image_.pixel(0, image_.height() - 1));
}

void Bitmap::SetTransparentColor(Color value)
{
    if (value == fixedTransparent_)
        return;
    fixedTransparent_ = value;
    Changed();
}

void Bitmap::SetImage(const QImage &image)
{
    if (image.isNull()) {
        image_ = QImage();
    } else if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) {
        SetIndexedImage(image.convertToFormat(QImage::Format_Indexed8), PixelFormat::pf1bit);
        return;
    } else if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Grayscale8) {
        SetIndexedImage(image.convertToFormat(QImage::Format_Indexed8), PixelFormat::pf8bit);
        return;
    } else if (image.format() == QImage::Format_RGB888) {
        image_ = image;
        pf_ = PixelFormat::pf24bit;
    } else {
        image_ = image.convertToFormat(QImage::Format_RGB32);
        pf_ = PixelFormat::pfDevice;
    }
    Changed();
}

void Bitmap::SetIndexedImage(const QImage &image, PixelFormat pf)
{
    Q_ASSERT(isIndexed(pf) && image.format() == QImage::Format_Indexed8);
    image_ = image;
    pf_ = pf;
    QVector<QRgb> table = image.colorTable();
    table.resize(qMin<qsizetype>(table.size(), 1 << BitsOf(pf)));
    image_.setColorTable(padded(table, BitsOf(pf))); // the bitmap's own pixels from here on
    clampIndices();
    Changed();
}

void Bitmap::SetIndexedImage(QImage &&image, PixelFormat pf)
{
    Q_ASSERT(isIndexed(pf) && image.format() == QImage::Format_Indexed8);
    image_ = std::move(image);
    pf_ = pf;
    QVector<QRgb> table = image_.colorTable();
    table.resize(qMin<qsizetype>(table.size(), 1 << BitsOf(pf)));
    table = padded(table, BitsOf(pf));
    if (table != image_.colorTable())
        image_.setColorTable(table);
    clampIndices();
    Changed();
}

void Bitmap::clampIndices()
{
    // Values beyond the table would name no colour.
    const uchar limit = uchar((1 << BitsOf(pf_)) - 1);
    if (limit == 255)
        return;
    const int width = image_.width(), height = image_.height();
    for (int y = 0; y < height; ++y) {
        const uchar *line = image_.constScanLine(y);
        int x = 0;
        while (x < width && line[x] <= limit)
            ++x;
        if (x == width)
            continue;
        uchar *own = image_.scanLine(y);
        for (; x < width; ++x)
            own[x] = qMin(own[x], limit);
    }
}

QImage Bitmap::KeyedImage(Color key) const
{
    const QRgb rgb = ToQRgb(key) & 0xFFFFFF;
    if (image_.format() == QImage::Format_Indexed8) {
        QImage out = image_;
        QVector<QRgb> table = out.colorTable();
        for (QRgb &c : table)
            c = (c & 0xFFFFFF) == rgb ? 0 : (c | 0xFF000000);
        out.setColorTable(table);
        return out;
    }
    QImage out = image_.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        std::replace_if(line, line + out.width(), [rgb](QRgb p) { return (p & 0xFFFFFF) == rgb; }, QRgb(0));
    }
    return out;
}

QByteArray Bitmap::BitmapFile(PixelFormat pf) const
{
    if (image_.isNull())
        invalidBitmap();
    const int bits = pf == PixelFormat::pfDevice ? 32 : BitsOf(pf);
    const QImage img = pf == pf_ ? image_ : converted(pf);
    const int w = img.width(), h = img.height();
    const qsizetype stride = BytesPerScanline(w, bits, 32);
    const int colours = bits <= 8 ? 1 << bits : 0;
    const qsizetype imageSize = stride * h;
    QByteArray out;
    out.reserve(14 + 40 + 4 * colours + imageSize);
    WriteBitmapFileHeaders(out, w, h, bits, imageSize, colours);
    ByteWriter wr(out);
    if (colours) {
        const QVector<QRgb> table = img.colorTable();
        for (int i = 0; i < colours; ++i) {
            const QRgb c = i < table.size() ? table[i] : 0;
            wr.U8(qBlue(c));
            wr.U8(qGreen(c));
            wr.U8(qRed(c));
            wr.U8(0);
        }
    }
    const qsizetype start = out.size();
    out.resize(start + imageSize);
    std::memset(out.data() + start, 0, size_t(imageSize));
    for (int y = 0; y < h; ++y) {
        auto *dst = reinterpret_cast<uchar *>(out.data() + start + (h - 1 - y) * stride);
        const uchar *src = img.constScanLine(y);
        switch (bits) {
        case 1:
            for (int x = 0; x < w; ++x)
                dst[x >> 3] |= uchar((src[x] & 1) << (7 - (x & 7)));
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x >> 1] |= uchar((src[x] & 15) << ((x & 1) ? 0 : 4));
            break;
        case 8:
            std::memcpy(dst, src, size_t(w));
            break;
        case 24:
            swapRedBlue(dst, src, w);
            break;
        default:
            for (int x = 0; x < w; ++x) {
                const QRgb c = reinterpret_cast<const QRgb *>(src)[x];
                dst[4 * x] = uchar(qBlue(c));
                dst[4 * x + 1] = uchar(qGreen(c));
                dst[4 * x + 2] = uchar(qRed(c));
                dst[4 * x + 3] = 0;
            }
        }
    }
    return out;
}

void Bitmap::LoadFromBitmapFile(const QByteArray &bytes)
{
    ByteReader rd(bytes);
    QImage img;
    PixelFormat pf = PixelFormat::pfDevice;
    try {
        if (rd.U8() != 'B' || rd.U8() != 'M')
            invalidBitmap();
        rd.Skip(8);
        const quint32 offset = rd.U32();
        const quint32 infoSize = rd.U32();
        if (infoSize < 40 || infoSize > 1024)
            invalidBitmap();
        const qint32 width = rd.I32();
        const qint32 rawHeight = rd.I32();
        rd.Skip(2);
        const int bits = rd.U16();
        const quint32 compression = rd.U32();
        rd.Skip(12);
        const quint32 clrUsed = rd.U32();
        rd.Seek(14 + infoSize);
        const bool topDown = rawHeight < 0;
        const qint64 height = topDown ? -qint64(rawHeight) : rawHeight;
        // A bitmap without pixels is refused like a damaged one: nothing could be drawn or saved from it.
        if (width <= 0 || width > kMaxBitmapSide || height <= 0 || height > kMaxBitmapSide)
            invalidBitmap();
        quint32 masks[3] = {0xFF0000, 0xFF00, 0xFF};
        if (bits == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x3E0;
            masks[2] = 0x1F;
        }
        if (compression == 3 && (bits == 16 || bits == 32)) {
            if (infoSize == 40) {
                for (quint32 &m : masks)
                    m = rd.U32();
            } else {
                ByteReader hdr(bytes);
                hdr.Seek(14 + 40);
                for (quint32 &m : masks)
                    m = hdr.U32();
            }
        } else if (compression != 0 || !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
            invalidBitmap();
        }
        QVector<QRgb> table;
        if (bits <= 8) {
            const quint32 count = clrUsed ? qMin<quint32>(clrUsed, 1u << bits) : 1u << bits;
            for (quint32 i = 0; i < count; ++i) {
                const uint8_t b = rd.U8(), g = rd.U8(), r = rd.U8();
                rd.U8();
                table.append(qRgb(r, g, b));
            }
        }
        const qsizetype stride = BytesPerScanline(width, bits, 32);
        rd.Seek(offset);
        if (rd.Remaining() < stride * height)
            invalidBitmap();
        const uint8_t *pixels = rd.Here();
        auto channel = [](quint32 v, quint32 mask) -> int {
            if (!mask)
                return 0;
            int shift = 0;
            while (!((mask >> shift) & 1))
                ++shift;
            // In 64 bits: a mask of more than 24 bits would overflow the scaling.
            const quint64 max = mask >> shift;
            return int(quint64((v & mask) >> shift) * 255 / max);
        };
        if (bits <= 8) {
            img = QImage(width, int(height), QImage::Format_Indexed8);
            pf = FormatOfBits(bits);
        } else if (bits == 24) {
            img = QImage(width, int(height), QImage::Format_RGB888);
            pf = PixelFormat::pf24bit;
        } else {
            img = QImage(width, int(height), QImage::Format_RGB32);
            pf = bits == 32 ? PixelFormat::pf32bit : PixelFormat::pfDevice;
        }
        if (img.isNull())
            invalidBitmap(); // too large to hold
        for (qint64 y = 0; y < height; ++y) {
            const uint8_t *src = pixels + (topDown ? y : height - 1 - y) * stride;
            uchar *dst = img.scanLine(int(y));
            switch (bits) {
            case 1:
                for (int x = 0; x < width; ++x)
                    dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
                break;
            case 4:
                for (int x = 0; x < width; ++x)
                    dst[x] = (x & 1) ? src[x >> 1] & 15 : src[x >> 1] >> 4;
                break;
            case 8:
                std::memcpy(dst, src, size_t(width));
                break;
            case 24:
                swapRedBlue(dst, src, width);
                break;
            default:
                for (int x = 0; x < width; ++x) {
                    const quint32 v = bits == 16 ? quint32(src[2 * x] | src[2 * x + 1] << 8)
                                                 : quint32(src[4 * x] | src[4 * x + 1] << 8 | src[4 * x + 2] << 16 |
                                                           quint32(src[4 * x + 3]) << 24);
                    reinterpret_cast<QRgb *>(dst)[x] =
                        qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
                }
            }
        }
        if (bits <= 8) {
            img.setColorTable(table);
            SetIndexedImage(img, pf);
            return;
        }
    } catch (const StreamError &) {
        invalidBitmap();
    }
    image_ = img;
    pf_ = pf;
    Changed();
}

void Bitmap::LoadFromStream(QIODevice &stream) { LoadFromBitmapFile(stream.read(stream.size() - stream.pos())); }

void Bitmap::SaveToStream(QIODevice &stream)
{
    if (image_.isNull())
        return;
    stream.write(BitmapFile());
}

void Bitmap::SaveToClipboardFormat(QMimeData &data)
{
    if (!Empty())
        data.setImageData(image_);
}

void Bitmap::LoadFromClipboardFormat(const QMimeData &data)
{
    if (!data.hasImage())
        throw InvalidGraphic(QStringLiteral("Unsupported clipboard format"));
    SetImage(qvariant_cast<QImage>(data.imageData()));
}

void Bitmap::Assign(const Graphic *source)
{
    if (source == this)
        return;
    if (auto *b = dynamic_cast<const Bitmap *>(source)) {
        image_ = b->image_;
        pf_ = b->pf_;
        fixedTransparent_ = b->fixedTransparent_;
        SetTransparent(b->Transparent());
        Changed();
        return;
    }
    if (!source) {
        image_ = QImage();
        Changed();
        return;
    }
    Graphic::Assign(source);
}

void Bitmap::AssignTo(Graphic *dest) const { Graphic::AssignTo(dest); }

} // namespace platform
