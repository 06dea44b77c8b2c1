#include "qvgiflzw.h"

#include "platform/error.h"
#include "platform/graphics/bytereader.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/color.h"
#include "platform/textfile.h"

#include <QStringDecoder>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace gfx {

bool GIFTolerateCorruptData = true;

void GIFError(const char *message) { throw platform::InvalidGraphicOperation(QString::fromLatin1(message)); }

void GIFTooLarge() { GIFError(sGIFTooLarge); }

QString GIFCommentText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(platform::Windows1252Char(uchar(bytes[i])));
    return text;
}

QByteArray GIFCommentBytes(const QString &text) { return text.toUtf8(); }

QStringList GIFCommentLines(const QList<QByteArray> &blocks)
{
    QByteArray joined;
    for (const QByteArray &b : blocks)
        joined.append(b);
    QStringList lines;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString whole = utf8.decode(joined); // decoded whole only to learn whether it is UTF-8
    if (utf8.hasError()) {
        for (const QByteArray &b : blocks)
            lines.append(GIFCommentText(b));
        return lines;
    }
    auto boundary = [&joined](qsizetype at) {
        while (at < joined.size() && (uint8_t(joined[at]) & 0xC0) == 0x80)
            ++at;
        return at;
    };
    qsizetype end = 0;
    for (const QByteArray &b : blocks) {
        const qsizetype from = boundary(end);
        end += b.size();
        const qsizetype to = boundary(end);
        lines.append(QString::fromUtf8(joined.constData() + from, to - from));
    }
    return lines;
}

int TGIFColorTable::IndexOf(uint32_t c) const
{
    for (int i = 0; i < Count; ++i)
        if (Color(i) == (c & 0xFFFFFF))
            return i;
    return -1;
}

int BitsForCount(int count)
{
    int b = 1;
    while (b < 8 && (1 << b) < count)
        ++b;
    return b;
}

void InterlaceOrder::Next()
{
    static constexpr int kStep[4] = {8, 8, 4, 2};
    static constexpr int kStart[4] = {0, 4, 2, 1};
    if (!interlaced_) {
        ++row_;
        return;
    }
    row_ += kStep[pass_];
    while (row_ >= height_ && pass_ < 3) {
        ++pass_;
        row_ = kStart[pass_];
    }
}

namespace {

constexpr int kMaxCodes = 4096;

// Writes decoded pixels row by row into the buffer.
class PixelWriter {
public:
    PixelWriter(uint8_t *base, qsizetype stride, const TGIFHeader &h, bool bottomUp, bool interlaced)
        : base_(base), stride_(stride), width_(h.Width), height_(h.Height), bits_(h.BitsPerPixel),
          bottomUp_(bottomUp), order_(h.Height, interlaced),
          remaining_(h.Width > 0 && h.Height > 0 ? qint64(h.Width) * h.Height : 0)
    {
        setLine();
    }
    qint64 Remaining() const { return remaining_; }
    // Room for a string of this length in the current row (8-bit buffers only).
    bool FitsInRow(int length) const { return bits_ == 8 && col_ + length <= width_; }
    // The bytes at the current column, for a string written backwards by the caller.
    uint8_t *Reserve(int length)
    {
        uint8_t *p = line_ + col_;
        col_ += length;
        remaining_ -= length;
        if (col_ == width_)
            nextRow();
        return p;
    }
    void Put(uint8_t v)
    {
        switch (bits_) {
        case 8: line_[col_] = v; break;
        case 4:
            if (col_ & 1)
                line_[col_ >> 1] |= v & 15;
            else
                line_[col_ >> 1] = uint8_t(v << 4);
            break;
        default:
            if (col_ & 7)
                line_[col_ >> 3] |= uint8_t((v & 1) << (7 - (col_ & 7)));
            else
                line_[col_ >> 3] = uint8_t(v << 7);
        }
        --remaining_;
        if (++col_ == width_)
            nextRow();
    }

private:
    void nextRow()
    {
        col_ = 0;
        order_.Next();
        setLine();
    }
    void setLine()
    {
        if (order_.Done())
            line_ = nullptr;
        else
            line_ = base_ + (bottomUp_ ? height_ - 1 - order_.Row() : order_.Row()) * stride_;
    }

    uint8_t *base_;
    qsizetype stride_;
    int width_, height_, bits_;
    bool bottomUp_;
    InterlaceOrder order_;
    qint64 remaining_;
    uint8_t *line_ = nullptr;
    int col_ = 0;
};

// The sub-blocks' bytes joined into one run, followed by zero padding for word-sized reads.
std::vector<uint8_t> joinSubBlocks(const QByteArray &source, qsizetype from)
{
    std::vector<uint8_t> out;
    out.reserve(size_t(source.size()) + 8);
    const auto *p = reinterpret_cast<const uint8_t *>(source.constData());
    qsizetype pos = from;
    while (pos < source.size()) {
        const int len = p[pos++];
        if (len == 0)
            break;
        const qsizetype take = qMin<qsizetype>(len, source.size() - pos);
        out.insert(out.end(), p + pos, p + pos + take);
        pos += take;
    }
    const size_t bytes = out.size();
    out.resize(bytes + 8, 0);
    out.resize(bytes);
    return out;
}

class Corrupt {};

// The ending stage with the message of the error that stops the work.
void progressFailed(const LZWProgress &progress, const std::exception &e)
{
    if (!progress)
        return;
    const auto *err = dynamic_cast<const platform::Error *>(&e);
    progress(platform::ProgressStage::psEnding, 0, err ? err->message() : QString::fromLocal8Bit(e.what()));
}

} // namespace

void Decode(const QByteArray &source, const TGIFHeader &header, bool interlaced, const LZWProgress &progress,
            bool &corrupted, uint8_t *pixels, qsizetype stride, bool bottomUp, int tableBits, bool tolerant)
{
    using platform::ProgressStage;
    if (progress)
        progress(ProgressStage::psStarting, 0, QString());
    try {
        PixelWriter out(pixels, stride, header, bottomUp, interlaced);
        try {
            if (source.isEmpty())
                throw Corrupt();
            int minSize = uint8_t(source[0]);
            if (minSize < 2 || minSize > 9) {
                if (!tolerant)
                    GIFError(sGIFCodeSize);
                // The data may still be near enough to show something: it is read at the nearest size.
                corrupted = true;
                minSize = qBound(2, minSize, 9);
            }
            std::vector<uint8_t> data = joinSubBlocks(source, 1);
            const uint8_t *bytes = data.data();
            const qint64 totalBits = qint64(data.size()) * 8;
            qint64 bitPos = 0;

            const int clear = 1 << minSize, end = clear + 1, firstFree = clear + 2;
            int codeSize = minSize + 1;
            int mask = (1 << codeSize) - 1;
            int limit = 1 << codeSize;
            int next = firstFree;
            bool full = false;
            const int tableMask = (1 << qBound(1, tableBits, 8)) - 1;

            // One block for the tables, left unfilled: a small picture would spend longer clearing them
            // than decoding. Only the root codes are read before they are written.
            struct Tables {
                uint16_t prefix[kMaxCodes], length[kMaxCodes];
                uint8_t suffix[kMaxCodes], first[kMaxCodes], stack[kMaxCodes + 1];
            };
            const std::unique_ptr<Tables> tables(new Tables);
            uint16_t *const prefix = tables->prefix, *const length = tables->length;
            uint8_t *const suffix = tables->suffix, *const first = tables->first, *const stack = tables->stack;
            for (int c = 0; c < clear; ++c) {
                suffix[size_t(c)] = first[size_t(c)] = uint8_t(c & tableMask);
                length[size_t(c)] = 1;
            }
            int lastPercent = -1;
            auto readCode = [&]() -> int {
                if (bitPos + codeSize > totalBits)
                    return -1;
                const qint64 at = bitPos >> 3;
                const uint32_t word = uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16;
                const int code = int(word >> (bitPos & 7)) & mask;
                bitPos += codeSize;
                if (progress) {
                    const int percent = int(bitPos * 100 / qMax<qint64>(totalBits, 1));
                    if (percent != lastPercent) {
                        lastPercent = percent;
                        progress(ProgressStage::psRunning, qMin(percent, 100), QString());
                    }
                }
                return code;
            };
            // The string of a code, last pixel first.
            auto unwind = [&](int code) {
                int n = 0;
                while (code >= clear) {
                    stack[size_t(n++)] = suffix[size_t(code)];
                    code = prefix[size_t(code)];
                }
                stack[size_t(n++)] = suffix[size_t(code)];
                return n;
            };
            auto output = [&](int code) {
                const int len = length[size_t(code)];
                if (out.FitsInRow(len)) {
                    uint8_t *p = out.Reserve(len) + len - 1;
                    while (code >= clear) {
                        *p-- = suffix[size_t(code)];
                        code = prefix[size_t(code)];
                    }
                    *p = suffix[size_t(code)];
                    return;
                }
                const bool overrun = len > out.Remaining();
                int n = unwind(code);
                while (n > 0 && out.Remaining() > 0)
                    out.Put(stack[size_t(--n)]);
                if (overrun)
                    throw Corrupt(); // the string runs past the last pixel: its head is kept
            };

            // The table starts out clear, so data need not open with a clear code.
            int code = readCode();
            int old = -1;
            while (code >= 0 && code != end && out.Remaining() > 0) {
                if (code == clear) {
                    codeSize = minSize + 1;
                    mask = (1 << codeSize) - 1;
                    limit = 1 << codeSize;
                    next = firstFree;
                    full = false;
                    old = -1;
                } else if (old < 0) {
                    if (code >= clear)
                        throw Corrupt();
                    output(code);
                    old = code;
                } else {
                    if (code > next || (code == next && full))
                        throw Corrupt();
                    if (!full) {
                        prefix[size_t(next)] = uint16_t(old);
                        suffix[size_t(next)] = code == next ? first[size_t(old)] : first[size_t(code)];
                        first[size_t(next)] = first[size_t(old)];
                        length[size_t(next)] = uint16_t(length[size_t(old)] + 1);
                        if (++next == limit) {
                            if (codeSize < 12) {
                                ++codeSize;
                                mask = (1 << codeSize) - 1;
                                limit <<= 1;
                            } else {
                                full = true;
                            }
                        }
                    }
                    output(code);
                    old = code;
                }
                if (out.Remaining() == 0)
                    break;
                code = readCode();
            }
            if (out.Remaining() > 0)
                throw Corrupt(); // the data ended (or an end code came) before every pixel was given
        } catch (const Corrupt &) {
            if (!tolerant)
                GIFError(sGIFCorruptData);
            corrupted = true;
        }
    } catch (const std::exception &e) {
        progressFailed(progress, e);
        throw;
    }
    if (progress)
        progress(ProgressStage::psEnding, 100, QString());
}

namespace {

// Copies a string of pixels decoded earlier to the end of the output, sixteen bytes at a time while there
// is room for a whole group after its start: a string ends before the output's end, so what a group copies
// beyond it is written again by the strings that follow.
template <typename Pixel>
inline void copyRun(Pixel *dst, const Pixel *src, int len, bool room)
{
    constexpr int kGroup = 16 / sizeof(Pixel);
    if (room) {
        for (int i = 0; i < len; i += kGroup) {
            Pixel group[kGroup];
            std::memcpy(group, src + i, sizeof group);
            std::memcpy(dst + i, group, sizeof group);
        }
    } else {
        for (int i = 0; i < len; ++i)
            dst[i] = src[i];
    }
}

// Decodes sound data that is not interlaced into count pixels in one run, each root code given by
// pixel(code); false for damaged data, the pixels then partly written. A code's string is where it was
// last written: the string of the code before it and the first pixel of the code after, which lie together
// in the output; so strings are copied, never followed link by link, and nothing needs clearing, as a code
// is only read once it is defined.
template <typename Pixel, typename RootPixel>
bool decodeRun(const QByteArray &source, qint64 count, const RootPixel &pixel, Pixel *out)
{
    if (source.isEmpty())
        return false;
    const int minSize = uint8_t(source[0]);
    if (minSize < 2 || minSize > 9 || count < 0 || count > qint64(UINT32_MAX))
        return false;
    const std::vector<uint8_t> data = joinSubBlocks(source, 1);
    const uint8_t *bytes = data.data();
    const qint64 totalBits = qint64(data.size()) * 8;
    qint64 bitPos = 0;
    const int clear = 1 << minSize, end = clear + 1, firstFree = clear + 2;
    int codeSize = minSize + 1;
    int mask = (1 << codeSize) - 1;
    int limit = 1 << codeSize;
    int next = firstFree;
    bool full = false;
    auto readCode = [&]() -> int {
        if (bitPos + codeSize > totalBits)
            return -1;
        const qint64 at = bitPos >> 3;
        const uint32_t word = uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16;
        const int code = int(word >> (bitPos & 7)) & mask;
        bitPos += codeSize;
        return code;
    };
    struct Tables {
        uint32_t at[kMaxCodes];
        uint16_t length[kMaxCodes];
    };
    const std::unique_ptr<Tables> tables(new Tables);
    uint32_t *const at = tables->at;
    uint16_t *const length = tables->length;
    for (int c = 0; c < clear; ++c)
        length[c] = 1;
    // The code before defines the next free one: its string and the first pixel written now.
    auto define = [&](int old, qint64 oldAt) {
        at[next] = uint32_t(oldAt);
        length[next] = uint16_t(length[old] + 1);
        if (++next == limit) {
            if (codeSize < 12) {
                ++codeSize;
                mask = (1 << codeSize) - 1;
                limit <<= 1;
            } else {
                full = true;
            }
        }
    };
    constexpr int kGroup = 16 / sizeof(Pixel);

    int code = readCode();
    if (code < 0 || code == end)
        return false;
    qint64 done = 0;
    qint64 oldAt = 0;
    int old = -1;
    while (done < count) {
        if (code == clear) {
            codeSize = minSize + 1;
            mask = (1 << codeSize) - 1;
            limit = 1 << codeSize;
            next = firstFree;
            full = false;
            old = -1;
        } else if (code < clear) {
            if (old >= 0 && !full)
                define(old, oldAt);
            oldAt = done;
            out[done++] = pixel(code);
            old = code;
        } else {
            if (old < 0 || code > next || (code == next && full))
                return false;
            const bool unknown = code == next; // the string of the code before and its own first pixel
            if (!full)
                define(old, oldAt);
            const int len = length[code];
            const qint64 left = count - done;
            if (len > left)
                return false; // the string runs past the last pixel
            const Pixel *from = out + at[code];
            copyRun(out + done, from, len, left - len >= kGroup - 1);
            if (unknown)
                out[done + len - 1] = *from;
            oldAt = done;
            done += len;
            old = code;
        }
        if (done == count)
            break;
        code = readCode();
        if (code < 0 || code == end)
            return false; // the data ended (or an end code came) before every pixel was given
    }
    return true;
}

} // namespace

bool DecodeColours(const QByteArray &source, qint64 count, const QRgb *colours, int tableBits, QRgb *out)
{
    const int tableMask = (1 << qBound(1, tableBits, 8)) - 1;
    return decodeRun(source, count, [colours, tableMask](int code) { return colours[code & tableMask]; }, out);
}

bool DecodeIndices(const QByteArray &source, qint64 count, int tableBits, uint8_t *out)
{
    const int tableMask = (1 << qBound(1, tableBits, 8)) - 1;
    return decodeRun(source, count, [tableMask](int code) { return uint8_t(code & tableMask); }, out);
}

namespace {

// Packs codes least significant bit first, four bytes at a time, and cuts the bytes into 255-byte
// sub-blocks at the end.
class BitPacker {
public:
    explicit BitPacker(QByteArray &out) : out_(out) {}
    void Put(int code, int size)
    {
        acc_ |= uint64_t(uint32_t(code)) << bits_;
        bits_ += size;
        if (bits_ >= 32) {
            if (used_ + 4 > raw_.size())
                raw_.resize(raw_.size() * 2 + 4096);
            qToLittleEndian<quint32>(quint32(acc_), raw_.data() + used_);
            used_ += 4;
            acc_ >>= 32;
            bits_ -= 32;
        }
    }
    void Finish()
    {
        for (; bits_ > 0; bits_ -= 8, acc_ >>= 8) {
            if (used_ == raw_.size())
                raw_.resize(raw_.size() + 8);
            raw_[used_++] = uint8_t(acc_);
        }
        out_.reserve(out_.size() + qsizetype(used_ + used_ / 255 + 2));
        for (size_t at = 0; at < used_; at += 255) {
            const size_t len = std::min<size_t>(255, used_ - at);
            out_.append(char(len));
            out_.append(reinterpret_cast<const char *>(raw_.data() + at), qsizetype(len));
        }
        out_.append('\0');
    }

private:
    QByteArray &out_;
    std::vector<uint8_t> raw_;
    size_t used_ = 0;
    uint64_t acc_ = 0;
    int bits_ = 0;
};

} // namespace

namespace {

// The encoder's state between rows. The dictionary keeps, for each code, the first string that extends it
// (pixel << 12 | code, 0 for none) in an array indexed by the code, and every later one in a hash table
// with linear probing whose slots hold (prefix << 8 | pixel) << 12 | code (codes are never 0, so 0 marks
// an empty slot). Strings of flat areas and runs have one extension, and a code without any is known at
// once: most look-ups are one read of a small array, and both tables stay in the nearest cache. How
// strings are found does not change the codes written.
constexpr int kEncoderSlots = 1 << 13;

struct EncoderState {
    std::vector<uint32_t> first = std::vector<uint32_t>(4096, 0);
    std::vector<uint32_t> table = std::vector<uint32_t>(kEncoderSlots, 0);
    int initial = 0, clear = 0, end = 0;
    int last = 0, limit = 0, codeSize = 0;
    int prefix = 0;
    bool inString = false; // a string has begun (prefix holds its code)
};

void encodeRow(const uint8_t *row, int w, EncoderState &st, BitPacker &packer)
{
    uint32_t *const first = st.first.data();
    uint32_t *const table = st.table.data();
    uint32_t prefix = uint32_t(st.prefix);
    int last = st.last, codeSize = st.codeSize, limit = st.limit;
    int x = 0;
    if (!st.inString && w > 0) {
        prefix = row[0];
        st.inString = true;
        x = 1;
    }
    while (x < w) {
        // The string grows while the table knows it: an entry of this pixel xor-ed with it leaves its code.
        uint32_t pixel = row[x];
        uint32_t known = first[prefix];
        uint32_t code = known ^ pixel << 12;
        // The hash table is read together with the array: the short strings of busy pictures end here.
        uint32_t key = prefix << 8 | pixel;
        uint32_t *slot = table + ((key * 0x9E3779B1u) >> 19);
        uint32_t entry = *slot;
        if (code - 1u < 4095u) {
            do {
                prefix = code;
                if (++x == w)
                    goto done;
                pixel = row[x];
                known = first[prefix];
                code = known ^ pixel << 12;
            } while (code - 1u < 4095u);
            key = prefix << 8 | pixel;
            slot = table + ((key * 0x9E3779B1u) >> 19);
            entry = *slot;
        }
        if (known == 0) {
            slot = nullptr; // the code has no extension yet: this one goes into the array
        } else {
            while (entry && (entry >> 12) != key) {
                slot = table + ((slot - table + 1) & (kEncoderSlots - 1));
                entry = *slot;
            }
            if (entry) {
                prefix = entry & 0xFFF;
                ++x;
                continue;
            }
        }
        packer.Put(int(prefix), codeSize);
        ++last;
        if (slot)
            *slot = key << 12 | uint32_t(last);
        else
            first[prefix] = pixel << 12 | uint32_t(last);
        prefix = pixel;
        ++x;
        if (last == limit) {
            limit <<= 1;
            ++codeSize;
        } else if (last == 4094) {
            // The table is full: the pixel goes out alone and everything starts again after a clear code.
            packer.Put(int(prefix), codeSize);
            packer.Put(st.clear, codeSize);
            last = st.end;
            codeSize = st.initial;
            limit = 1 << st.initial;
            std::fill(st.first.begin(), st.first.end(), 0u);
            std::fill(st.table.begin(), st.table.end(), 0u);
            if (x < w) {
                prefix = row[x++];
            } else {
                st.inString = false;
                break;
            }
        }
    }
done:
    st.prefix = int(prefix);
    st.last = last;
    st.codeSize = codeSize;
    st.limit = limit;
}

} // namespace

void EncodePixels(QByteArray &dest, const TGIFHeader &header, bool interlaced, const LZWProgress &progress,
                  const LZWRows &row)
{
    using platform::ProgressStage;
    const int w = header.Width, h = header.Height, minSize = qBound(2, header.BitsPerPixel, 8);
    EncoderState st;
    st.initial = minSize + 1;
    dest.append(char(minSize));
    st.clear = 1 << minSize;
    st.end = st.clear + 1;
    st.last = st.end;
    st.limit = 1 << st.initial;
    st.codeSize = st.initial;
    BitPacker packer(dest);
    packer.Put(st.clear, st.codeSize);
    if (progress)
        progress(ProgressStage::psStarting, 0, QString());
    try {
        int rowsDone = 0;
        for (InterlaceOrder order(h, interlaced); !order.Done(); order.Next()) {
            encodeRow(row(order.Row()), w, st, packer);
            ++rowsDone;
            if (progress)
                progress(ProgressStage::psRunning, int(qint64(rowsDone) * 100 / h), QString());
        }
        if (st.inString)
            packer.Put(st.prefix, st.codeSize);
        packer.Put(st.end, st.codeSize);
        packer.Finish();
    } catch (const std::exception &e) {
        progressFailed(progress, e);
        throw;
    }
    if (progress)
        progress(ProgressStage::psEnding, 100, QString());
}

void Encode(QByteArray &dest, const TGIFHeader &header, bool interlaced, const LZWProgress &progress,
            const uint8_t *pixels)
{
    const int w = header.Width, h = header.Height, bits = header.BitsPerPixel;
    const qsizetype stride = GIFStride(w, bits);
    std::vector<uint8_t> unpacked(bits == 8 ? 0 : size_t(qMax(w, 0)));
    const LZWRows row = [&](int y) -> const uint8_t * {
        const uint8_t *packed = pixels + (h - 1 - y) * stride;
        if (bits == 8)
            return packed;
        for (int x = 0; x < w; ++x)
            unpacked[size_t(x)] = bits == 4 ? ((x & 1) ? packed[x >> 1] & 15 : packed[x >> 1] >> 4)
                                            : (packed[x >> 3] >> (7 - (x & 7))) & 1;
        return unpacked.data();
    };
    EncodePixels(dest, TGIFHeader{w, h, bits == 1 ? 2 : bits}, interlaced, progress, row);
}

namespace {

// The depth of a frame's bitmap file by its table bits.
int fileBits(int tableBits)
{
    if (tableBits == 1)
        return 1;
    if (tableBits >= 2 && tableBits <= 4)
        return 4;
    if (tableBits >= 5 && tableBits <= 8)
        return 8;
    GIFError(sGIFColorCount);
}

} // namespace

QImage DecodeFrameImage(const TGIFColorTable &table, int tableBits, int width, int height, bool interlaced,
                        const QByteArray &encoded, const LZWProgress &progress, bool tolerant, bool &corrupted,
                        int &bits)
{
    bits = fileBits(tableBits);
    constexpr int kMaxSide = 32768; // what a bitmap file may hold
    auto invalid = [] { throw platform::InvalidGraphic(QStringLiteral("Bitmap image is not valid")); };
    if (width <= 0 || width > kMaxSide || height <= 0 || height > kMaxSide)
        invalid();
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        invalid();
    // Entries beyond the table are the file's padding, gray.
    QVector<QRgb> colours(1 << bits, qRgb(128, 128, 128));
    for (int i = 0; i < table.Count && i < colours.size(); ++i)
        colours[i] = qRgb(table.Colors[3 * i], table.Colors[3 * i + 1], table.Colors[3 * i + 2]);
    image.setColorTable(colours);
    const qsizetype stride = image.bytesPerLine();
    if (!progress) {
        // Sound data without anyone to tell goes the quick way: rows one after another, straight into the
        // image when its rows have no padding.
        const qint64 count = qint64(width) * height;
        if (!interlaced && stride == width) {
            if (DecodeIndices(encoded, count, tableBits, image.bits()))
                return image;
        } else {
            const std::unique_ptr<uint8_t[]> run(new uint8_t[size_t(count)]);
            if (DecodeIndices(encoded, count, tableBits, run.get())) {
                const uint8_t *from = run.get();
                for (InterlaceOrder order(height, interlaced); !order.Done(); order.Next(), from += width) {
                    uchar *row = image.bits() + order.Row() * stride;
                    std::memcpy(row, from, size_t(width));
                    std::memset(row + width, 0, size_t(stride - width));
                }
                return image;
            }
        }
    }
    // Damaged data keeps what it gives (and raises unless tolerated) as the file would.
    image.fill(0);
    bool bad = false;
    Decode(encoded, TGIFHeader{width, height, 8}, interlaced, progress, bad, image.bits(), stride, false, tableBits,
           tolerant);
    corrupted = corrupted || bad;
    return image;
}

QByteArray BuildBitmapFile(const TGIFColorTable &table, int tableBits, int width, int height, bool interlaced,
                           const QByteArray &encoded, const LZWProgress &progress, bool tolerant, bool &corrupted)
{
    const int bits = fileBits(tableBits);
    const qsizetype stride = GIFStride(width, bits);
    const qsizetype imageSize = stride * height;
    const int colours = 1 << bits;
    QByteArray out;
    out.reserve(54 + 4 * colours + imageSize);
    platform::WriteBitmapFileHeaders(out, width, height, bits, imageSize, colours);
    platform::ByteWriter wr(out);
    for (int i = 0; i < colours; ++i) {
        if (i < table.Count) {
            wr.U8(table.Colors[3 * i + 2]);
            wr.U8(table.Colors[3 * i + 1]);
            wr.U8(table.Colors[3 * i]);
            wr.U8(0);
        } else {
            wr.U32(0x80808080u);
        }
    }
    const qsizetype start = out.size();
    out.resize(start + imageSize);
    std::memset(out.data() + start, 0, size_t(imageSize));
    bool bad = false;
    Decode(encoded, TGIFHeader{width, height, bits}, interlaced, progress, bad,
           reinterpret_cast<uint8_t *>(out.data() + start), stride, true, tableBits, tolerant);
    corrupted = corrupted || bad;
    return out;
}

void ColourTableFromPalette(TGIFColorTable &table, const QVector<QRgb> &palette, int count)
{
    table.Clear();
    table.Count = qBound(0, qMin<int>(count, int(palette.size())), 256);
    for (int i = 0; i < table.Count; ++i)
        table.SetColor(i, platform::FromQRgb(palette[i]));
}

} // namespace gfx
