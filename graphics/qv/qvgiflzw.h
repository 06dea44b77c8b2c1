#pragma once
// The GIF variable-length-code LZW codec, the GIF interlace order and the conversion of a frame's encoded
// data into an in-memory Windows bitmap file.
#include "platform/graphics/graphic.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QImage>
#include <QRgb>
#include <QStringList>
#include <QVector>
#include <array>
#include <cstdint>
#include <functional>

namespace gfx {

// Texts of the GIF classes' errors.
inline constexpr const char *sGIFUnknownVersion = "Unknown GIF version";
inline constexpr const char *sGIFEncodingError = "GIF image encoding error";
inline constexpr const char *sGIFCorruptData = "GIF encoded data is corrupt";
inline constexpr const char *sGIFCodeSize = "GIF code size not in range 2 to 9";
inline constexpr const char *sGIFColorCount = "Wrong number of colors; must be a power of 2";
inline constexpr const char *sGIFUnknownExtension = "Unrecognized extension block: %1";
inline constexpr const char *sGIFNoData = "No GIF Data to write";
inline constexpr const char *sGIFCannotResize = "Cannot change the Size of a GIF image";
inline constexpr const char *sGIFDescription = "CompuServe GIF Image";
inline constexpr const char *sGIFTooLarge = "GIF image too large";
[[noreturn]] void GIFError(const char *message);
// Raises "GIF image too large".
[[noreturn]] void GIFTooLarge();

// A comment's bytes as text: UTF-8 when they are valid UTF-8, else Windows-1252, as older files hold.
QString GIFCommentText(const QByteArray &bytes);
// A comment's text as written: UTF-8, so that it reads back as typed.
QByteArray GIFCommentBytes(const QString &text);
// The lines of a comment extension, one per data block. Blocks that together are valid UTF-8 read as
// UTF-8, a character that another writer split between two blocks going to the line it starts in;
// otherwise each block reads as Windows-1252.
QStringList GIFCommentLines(const QList<QByteArray> &blocks);

// A GIF colour table: up to 256 RGB triples; triples beyond the count are zero.
struct TGIFColorTable {
    int Count = 0;
    std::array<uint8_t, 768> Colors{};

    // The entry as a colour value (red in the low byte).
    uint32_t Color(int i) const { return uint32_t(Colors[3 * i]) | uint32_t(Colors[3 * i + 1]) << 8 | uint32_t(Colors[3 * i + 2]) << 16; }
    void SetColor(int i, uint32_t c)
    {
        Colors[3 * i] = uint8_t(c);
        Colors[3 * i + 1] = uint8_t(c >> 8);
        Colors[3 * i + 2] = uint8_t(c >> 16);
    }
    // The first entry equal to the colour, or -1.
    int IndexOf(uint32_t c) const;
    void Clear() { *this = TGIFColorTable(); }
    bool operator==(const TGIFColorTable &o) const { return Count == o.Count && Colors == o.Colors; }
};

// Width, height and bits per pixel (1, 4 or 8) of a pixel buffer.
struct TGIFHeader {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 8;
};

// Stage, percentage 0..100 and message; may raise platform::Abort to stop decoding.
using LZWProgress = std::function<void(platform::ProgressStage stage, int percent, const QString &message)>;

// Corrupt LZW data is tolerated (the frame is marked corrupted) instead of raising.
extern bool GIFTolerateCorruptData;

// Bytes of one padded row: ((width * bits + 31) div 32) * 4.
inline qsizetype GIFStride(int width, int bits) { return qsizetype((qint64(width) * bits + 31) / 32 * 4); }

// Image rows in GIF interlace order: 0, 8, 16, ..., then 4, 12, ..., then 2, 6, ..., then 1, 3, ...
class InterlaceOrder {
public:
    InterlaceOrder(int height, bool interlaced) : height_(height), interlaced_(interlaced) {}
    int Row() const { return row_; }
    bool Done() const { return row_ >= height_; }
    void Next();

private:
    int height_;
    bool interlaced_;
    int row_ = 0;
    int pass_ = 0;
};

// Decodes the data (LZW minimum code size byte, then sub-blocks) into a zeroed buffer of Height rows of
// the given stride, stored bottom-up when asked (a bitmap file's body) or top-down. Pixel values are
// masked to 2^TableBits - 1. Damaged data (a code size outside 2..9, read when tolerant at the nearest
// size in that range, a code beyond the next free one, a string longer than the pixels left, data that
// ends early) sets Corrupted when tolerant and raises otherwise; nothing is ever written outside the buffer.
void Decode(const QByteArray &source, const TGIFHeader &header, bool interlaced, const LZWProgress &progress,
            bool &corrupted, uint8_t *pixels, qsizetype stride, bool bottomUp, int tableBits, bool tolerant);

// Decodes data that is not interlaced into count pixels of 32 bits laid one row after another without
// padding, each pixel value masked to 2^TableBits - 1 and replaced by its entry of colours (256 entries).
// False for anything Decode calls damaged; the pixels are then partly written. Nothing is written outside
// the count pixels.
bool DecodeColours(const QByteArray &source, qint64 count, const QRgb *colours, int tableBits, QRgb *out);
// The same with the masked pixel values themselves, a byte each.
bool DecodeIndices(const QByteArray &source, qint64 count, int tableBits, uint8_t *out);

// Encodes a bottom-up buffer of padded rows (a bitmap file's body) and appends the minimum code size
// byte, the sub-blocks and the terminator.
void Encode(QByteArray &dest, const TGIFHeader &header, bool interlaced, const LZWProgress &progress,
            const uint8_t *pixels);

// The same for pixels of one byte each (values below 2^minimum code size): Row(y) gives image row y
// (0 at the top), Width bytes; rows are asked for in the order they are stored (interlaced or not).
// Header.BitsPerPixel is the minimum code size, 2..8.
using LZWRows = std::function<const uint8_t *(int y)>;
void EncodePixels(QByteArray &dest, const TGIFHeader &header, bool interlaced, const LZWProgress &progress,
                  const LZWRows &row);

// A whole Windows bitmap file (1, 4 or 8 bits by the table bits) for a frame's encoded data.
QByteArray BuildBitmapFile(const TGIFColorTable &table, int tableBits, int width, int height, bool interlaced,
                           const QByteArray &encoded, const LZWProgress &progress, bool tolerant, bool &corrupted);

// The same frame as an 8-bit indexed image holding what that file holds: its table of 2, 16 or 256
// entries and its pixels; bits gets the file's depth (1, 4 or 8). Raises as the file and its reading would.
QImage DecodeFrameImage(const TGIFColorTable &table, int tableBits, int width, int height, bool interlaced,
                        const QByteArray &encoded, const LZWProgress &progress, bool tolerant, bool &corrupted,
                        int &bits);

// Table from palette entries: count = Min(256, count), the rest zero.
void ColourTableFromPalette(TGIFColorTable &table, const QVector<QRgb> &palette, int count);

// The smallest b >= 1 with 2^b >= count.
int BitsForCount(int count);

} // namespace gfx
