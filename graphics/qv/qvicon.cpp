#include "qvicon.h"

#include "platform/graphics/bytereader.h"
#include "platform/graphics/picture.h"

#include <QIODevice>
#include <QMimeData>
#include <QPainter>
#include <QSet>
#include <cstring>

namespace gfx {

using platform::ByteReader;
using platform::Graphic;

namespace {

[[noreturn]] void invalidIcon() { throw platform::InvalidGraphic(QStringLiteral("Invalid icon")); }

constexpr char kPngSignature[] = "\x89PNG\r\n\x1A\n";

bool isPng(const char *data, qsizetype size) { return size >= 8 && std::memcmp(data, kPngSignature, 8) == 0; }

quint32 bigEndian32(const char *p)
{
    const auto *u = reinterpret_cast<const uint8_t *>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | u[3];
}

// The entry's image bytes; the directory reader has already checked that they lie within the file.
QByteArray entryBytes(const QByteArray &bytes, const TIconDirEntry &entry)
{
    if (entry.Offset > quint32(bytes.size()) || entry.Size > quint32(bytes.size()) - entry.Offset)
        invalidIcon();
    return QByteArray::fromRawData(bytes.constData() + entry.Offset, qsizetype(entry.Size));
}

QImage decodePng(const QByteArray &png)
{
    // The header chunk comes first: check the size before Qt allocates anything for it.
    if (png.size() < 24 || png.mid(12, 4) != "IHDR")
        invalidIcon();
    const quint32 width = bigEndian32(png.constData() + 16);
    const quint32 height = bigEndian32(png.constData() + 20);
    if (width == 0 || height == 0 || width > quint32(kIconMaxSide) || height > quint32(kIconMaxSide))
        invalidIcon();
    // Every chunk must lie within the data, up to the end chunk: the PNG reader would allocate what a
    // chunk claims before finding that the data ends.
    bool complete = false;
    for (qsizetype pos = 8; !complete && png.size() - pos >= 12;) {
        const quint32 length = bigEndian32(png.constData() + pos);
        if (length > quint64(png.size() - pos - 12))
            invalidIcon();
        complete = png.mid(pos + 4, 4) == "IEND";
        pos += 12 + qsizetype(length);
    }
    QImage image;
    if (!complete || !image.loadFromData(png, "PNG") || image.width() != int(width) ||
        image.height() != int(height))
        invalidIcon();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage decodeDib(const QByteArray &dib)
{
    QImage image;
    try {
        ByteReader rd(dib);
        const quint32 headerSize = rd.U32();
        const qint32 width = rd.I32();
        const qint32 doubledHeight = rd.I32();
        rd.Skip(2); // planes
        const int bits = rd.U16();
        const quint32 compression = rd.U32();
        rd.Skip(12);
        const quint32 colorsUsed = rd.U32();
        // The height counts the colour rows and the mask rows.
        if (headerSize < 40 || headerSize > quint32(dib.size()) || compression != 0 || width <= 0 ||
            width > kIconMaxSide || doubledHeight <= 0 || doubledHeight % 2 != 0 || doubledHeight / 2 > kIconMaxSide)
            invalidIcon();
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
            invalidIcon();
        const int height = doubledHeight / 2;
        rd.Seek(qsizetype(headerSize));
        QList<QRgb> palette;
        if (bits <= 8) {
            const quint32 full = 1u << bits;
            const quint32 entries = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
            for (quint32 i = 0; i < entries; ++i) {
                const uint8_t b = rd.U8(), g = rd.U8(), r = rd.U8();
                rd.Skip(1);
                palette.append(qRgb(r, g, b));
            }
            // Indices past a short table show black, as the system draws them.
            while (palette.size() < qsizetype(full))
                palette.append(qRgb(0, 0, 0));
        }
        const qsizetype colorStride = platform::BytesPerScanline(width, bits, 32);
        const qsizetype maskStride = platform::BytesPerScanline(width, 1, 32);
        const uint8_t *colors = rd.Here();
        rd.Skip(colorStride * height);
        // A 32-bit image carries its own alpha and may come without a mask; the others need one.
        const uint8_t *mask = nullptr;
        if (rd.Remaining() >= maskStride * height)
            mask = rd.Here();
        else if (bits != 32)
            invalidIcon();

        image = QImage(width, height, QImage::Format_ARGB32);
        if (image.isNull())
            invalidIcon();
        bool anyAlpha = false;
        for (int y = 0; y < height; ++y) {
            const uint8_t *row = colors + (height - 1 - y) * colorStride;
            auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                switch (bits) {
                case 1: out[x] = palette[row[x >> 3] >> (7 - (x & 7)) & 1]; break;
                case 4: out[x] = palette[row[x >> 1] >> (x & 1 ? 0 : 4) & 0xF]; break;
                case 8: out[x] = palette[row[x]]; break;
                case 24: out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
                default:
                    out[x] = qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]);
                    anyAlpha = anyAlpha || row[4 * x + 3] != 0;
                }
            }
        }
        // Without a single alpha value the mask decides, as for the shallower images.
        if (bits != 32 || !anyAlpha) {
            for (int y = 0; y < height; ++y) {
                const uint8_t *row = mask ? mask + (height - 1 - y) * maskStride : nullptr;
                auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
                for (int x = 0; x < width; ++x) {
                    const bool transparent = row && (row[x >> 3] >> (7 - (x & 7)) & 1);
                    out[x] = transparent ? 0 : (out[x] | 0xFF000000u);
                }
            }
        }
    } catch (const platform::StreamError &) {
        invalidIcon();
    }
    return image;
}

// A colour that no opaque pixel has, white when it can be.
QRgb freeColour(const QImage &image)
{
    QSet<QRgb> used;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) >= 128)
                used.insert(row[x] | 0xFF000000u);
    }
    QRgb candidate = 0xFFFFFFFFu;
    while (used.contains(candidate))
        --candidate;
    return candidate;
}

// The picture container takes icons from the clipboard from start-up on.
struct Registration {
    Registration()
    {
        platform::Picture::RegisterClipboardFormat(TIcon::IconClipboardFormat(), QStringLiteral("TIcon"),
                                                   [] { return std::make_unique<TIcon>(); });
    }
} registration;

} // namespace

TIconDirectory ReadIconDirectory(const QByteArray &bytes)
{
    TIconDirectory dir;
    try {
        ByteReader rd(bytes);
        if (rd.U16() != 0)
            invalidIcon();
        dir.Type = rd.U16();
        const int count = rd.U16();
        if ((dir.Type != 1 && dir.Type != 2) || count == 0 || rd.Remaining() < 16 * qsizetype(count))
            invalidIcon();
        for (int i = 0; i < count; ++i) {
            TIconDirEntry e;
            e.Width = rd.U8();
            e.Height = rd.U8();
            e.ColorCount = rd.U8();
            rd.Skip(1);
            e.Planes = rd.U16();
            e.BitCount = rd.U16();
            e.Size = rd.U32();
            e.Offset = rd.U32();
            if (e.Size == 0 || e.Offset > quint32(bytes.size()) || e.Size > quint32(bytes.size()) - e.Offset)
                invalidIcon();
            dir.Entries.append(e);
        }
    } catch (const platform::StreamError &) {
        invalidIcon();
    }
    return dir;
}

int IconEntryBitCount(const QByteArray &bytes, const TIconDirEntry &entry)
{
    const QByteArray data = entryBytes(bytes, entry);
    if (isPng(data.constData(), data.size()))
        return 32;
    if (data.size() < 16)
        invalidIcon();
    const int bits = uint8_t(data[14]) | uint8_t(data[15]) << 8;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        invalidIcon();
    return bits;
}

QImage DecodeIconEntry(const QByteArray &bytes, const TIconDirEntry &entry)
{
    const QByteArray data = entryBytes(bytes, entry);
    return isPng(data.constData(), data.size()) ? decodePng(data) : decodeDib(data);
}

int BestIconEntry(const TIconDirectory &directory)
{
    int best = -1, bestDistance = 0, bestBits = 0;
    for (qsizetype i = 0; i < directory.Entries.size(); ++i) {
        const TIconDirEntry &e = directory.Entries[i];
        const int w = e.Width ? e.Width : 256, h = e.Height ? e.Height : 256;
        const int distance = qAbs(w - 32) + qAbs(h - 32);
        // A cursor's entry keeps its hotspot in the bit count field.
        const int bits = directory.Type == 1 ? e.BitCount : 0;
        if (best < 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            best = int(i);
            bestDistance = distance;
            bestBits = bits;
        }
    }
    return best;
}

// ---------------------------------------------------------------------------------------------------------

TIcon::TIcon()
{
    SetTransparent(true);
    SetModified(false);
}

TIcon::~TIcon() = default;

platform::ClipboardFormat TIcon::IconClipboardFormat()
{
    static const platform::ClipboardFormat format = platform::RegisterClipboardFormat(QStringLiteral("Umbrix Icon"));
    return format;
}

void TIcon::SetWidth(int)
{
    throw platform::InvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
}

void TIcon::SetHeight(int value) { SetWidth(value); }

void TIcon::Draw(QPainter &painter, const QRect &rect)
{
    if (!image_.isNull())
        painter.drawImage(rect, image_);
}

bool TIcon::Equals(const Graphic *other) const
{
    const auto *icon = dynamic_cast<const TIcon *>(other);
    return icon && icon->data_ == data_;
}

void TIcon::load(const QByteArray &bytes)
{
    const TIconDirectory dir = ReadIconDirectory(bytes);
    if (dir.Type != 1)
        invalidIcon();
    const int index = BestIconEntry(dir);
    QImage image = DecodeIconEntry(bytes, dir.Entries[index]);
    data_ = bytes;
    image_ = std::move(image);
    imageIndex_ = index;
    Changed();
}

void TIcon::LoadFromStream(QIODevice &stream) { load(stream.read(stream.size() - stream.pos())); }

void TIcon::SaveToStream(QIODevice &stream)
{
    if (data_.isEmpty())
        invalidIcon();
    stream.write(data_);
}

void TIcon::SaveToClipboardFormat(QMimeData &data)
{
    if (data_.isEmpty())
        invalidIcon();
    platform::SetFormatData(data, IconClipboardFormat(), data_);
}

void TIcon::LoadFromClipboardFormat(const QMimeData &data)
{
    if (!platform::HasFormat(data, IconClipboardFormat())) {
        Graphic::LoadFromClipboardFormat(data);
        return;
    }
    load(platform::FormatData(data, IconClipboardFormat()));
}

void TIcon::Assign(const Graphic *source)
{
    if (source == this)
        return;
    if (!source) {
        data_.clear();
        image_ = QImage();
        imageIndex_ = -1;
        Changed();
        return;
    }
    if (const auto *icon = dynamic_cast<const TIcon *>(source)) {
        data_ = icon->data_;
        image_ = icon->image_;
        imageIndex_ = icon->imageIndex_;
        Changed();
        return;
    }
    Graphic::Assign(source);
}

void TIcon::AssignTo(Graphic *dest) const
{
    auto *bitmap = dynamic_cast<platform::Bitmap *>(dest);
    if (!bitmap) {
        Graphic::AssignTo(dest);
        return;
    }
    if (image_.isNull()) {
        bitmap->Assign(nullptr);
        return;
    }
    // One colour stands for every pixel that is more transparent than opaque, so that a bitmap, which
    // knows only a transparent colour, shows what the icon shows.
    const QRgb key = freeColour(image_);
    QImage flat(image_.size(), QImage::Format_RGB32);
    for (int y = 0; y < image_.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(image_.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(flat.scanLine(y));
        for (int x = 0; x < image_.width(); ++x)
            out[x] = qAlpha(in[x]) >= 128 ? (in[x] | 0xFF000000u) : key;
    }
    bitmap->SetImage(flat);
    bitmap->SetTransparentColor(platform::FromQRgb(key));
    bitmap->SetTransparent(true);
}

} // namespace gfx
