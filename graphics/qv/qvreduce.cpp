#include "qvreduce.h"

#include "controls/qv/qvutils.h"
#include "platform/graphics/bytereader.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace gfx {

uint8_t GIFColorReduction = rmFrequency;

namespace {

using platform::Bitmap;
using platform::PixelFormat;

template <size_t N>
struct LevelTable {
    std::array<uint8_t, N> levels;
    std::array<uint8_t, 256> nearest{};
    explicit LevelTable(std::array<uint8_t, N> l) : levels(l)
    {
        for (int v = 0; v < 256; ++v) {
            int best = 0;
            for (int i = 1; i < int(N); ++i)
                if (std::abs(v - levels[size_t(i)]) < std::abs(v - levels[size_t(best)]))
                    best = i;
            nearest[size_t(v)] = uint8_t(best);
        }
    }
};

const LevelTable<4> &table4()
{
    static const LevelTable<4> t({0, 0x55, 0xAA, 0xFF});
    return t;
}
const LevelTable<6> &table6()
{
    static const LevelTable<6> t({0, 0x33, 0x66, 0x99, 0xCC, 0xFF});
    return t;
}
const LevelTable<7> &table7()
{
    static const LevelTable<7> t({0, 0x2B, 0x55, 0x80, 0xAA, 0xD5, 0xFF});
    return t;
}
const LevelTable<8> &table8()
{
    static const LevelTable<8> t({0, 0x24, 0x49, 0x6D, 0x92, 0xB6, 0xDB, 0xFF});
    return t;
}

struct Rgb {
    uint8_t r, g, b;
};

// The 8-bit result of a method: palette, pixel indices (rows bottom-up, padded) and used colours.
struct Reduced {
    std::array<Rgb, 256> palette{};
    int used = 0;
    std::vector<uint8_t> pixels;
};

// The source as rows of QRgb, bottom row first. Every pass of a method goes through the rows, so the
// share of rows reached is what progress is told (each pass counts from 0 again).
class Source {
public:
    Source(const Bitmap &bitmap, const std::function<void(int percent)> &progress)
        : image_(bitmap.Image().convertToFormat(QImage::Format_RGB32)), progress_(progress)
    {
    }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // Stored row i (0 = bottom).
    const QRgb *Row(int i) const
    {
        if (progress_ && (i & 63) == 0)
            progress_(int(qint64(i) * 100 / image_.height()));
        return reinterpret_cast<const QRgb *>(image_.constScanLine(image_.height() - 1 - i));
    }

private:
    QImage image_;
    const std::function<void(int percent)> &progress_;
};

void fillGray(Reduced &out, int from)
{
    for (int i = from; i < 256; ++i)
        out.palette[size_t(i)] = {128, 128, 128};
}

template <typename F>
void mapPixels(const Source &src, Reduced &out, qsizetype stride, F index)
{
    out.pixels.assign(size_t(stride * src.Height()), 0);
    for (int i = 0; i < src.Height(); ++i) {
        const QRgb *row = src.Row(i);
        uint8_t *dst = out.pixels.data() + i * stride;
        for (int x = 0; x < src.Width(); ++x)
            dst[x] = index(row[x], i, x);
    }
}

// Frequency of use: the most used colours, found in a table of at most 2049 colours through a hash of
// 5191 slots; when a 2050th colour turns up, one channel is coarsened by a bit and counting goes on.
class FrequencyReducer {
public:
    static constexpr int kMaxEntries = 2049;
    static constexpr int kSlots = 5191;

    void Run(const Source &src, int target, qsizetype stride, Reduced &out)
    {
        slots_.assign(kSlots, 0xFFFF);
        for (int i = 0; i < src.Height(); ++i) {
            const QRgb *row = src.Row(i);
            for (int x = 0; x < src.Width(); ++x) {
                const QRgb c = row[x];
                for (;;) {
                    const int at = find(c);
                    if (slots_[size_t(at)] != 0xFFFF) {
                        ++entries_[slots_[size_t(at)]].count;
                        break;
                    }
                    if (int(entries_.size()) < kMaxEntries) {
                        slots_[size_t(at)] = uint16_t(entries_.size());
                        entries_.push_back({maskR(c), maskG(c), maskB(c), 1, 0});
                        break;
                    }
                    coarsen();
                }
            }
        }
        // The palette: the most counted entries in turn, the first on ties.
        std::vector<int> order(entries_.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return entries_[size_t(a)].count > entries_[size_t(b)].count; });
        const int chosen = std::min<int>(target, int(entries_.size()));
        std::vector<bool> isChosen(entries_.size(), false);
        for (int k = 0; k < chosen; ++k) {
            Entry &e = entries_[size_t(order[size_t(k)])];
            e.index = k;
            isChosen[size_t(order[size_t(k)])] = true;
            out.palette[size_t(k)] = {e.r, e.g, e.b};
        }
        fillGray(out, chosen);
        for (size_t n = 0; n < entries_.size(); ++n) {
            if (isChosen[n])
                continue;
            Entry &e = entries_[n];
            int bound = 0x30000, best = 0;
            for (int k = 0; k < target; ++k) {
                const Rgb &p = out.palette[size_t(k)];
                const int d = (p.r - e.r) * (p.r - e.r) + (p.g - e.g) * (p.g - e.g) + (p.b - e.b) * (p.b - e.b);
                if (d < bound) {
                    bound = d;
                    best = k;
                }
            }
            e.index = best;
        }
        mapPixels(src, out, stride, [&](QRgb c, int, int) {
            return uint8_t(entries_[slots_[size_t(find(c))]].index);
        });
    }

private:
    struct Entry {
        uint8_t r, g, b;
        uint32_t count;
        int index;
    };
    uint8_t maskR(QRgb c) const { return uint8_t(qRed(c) & mr_); }
    uint8_t maskG(QRgb c) const { return uint8_t(qGreen(c) & mg_); }
    uint8_t maskB(QRgb c) const { return uint8_t(qBlue(c) & mb_); }
    // The slot of the colour, or the empty slot where it would go.
    int find(QRgb c) const { return findMasked(maskR(c), maskG(c), maskB(c)); }
    int findMasked(int r, int g, int b) const
    {
        int at = int(uint32_t((r + g) * (g + b) * (b + r)) % kSlots);
        for (;;) {
            const uint16_t s = slots_[size_t(at)];
            if (s == 0xFFFF)
                return at;
            const Entry &e = entries_[s];
            if (e.r == r && e.g == g && e.b == b)
                return at;
            at = at == kSlots - 1 ? 0 : at + 1;
        }
    }
    // One channel loses a bit; the colours counted so far are merged in their order of first appearance,
    // which is what counting again from the first pixel would give.
    void coarsen()
    {
        if (mr_ < mg_)
            mg_ = uint8_t(mg_ << 1);
        else if (mr_ <= mb_)
            mb_ = uint8_t(mb_ << 1);
        else
            mr_ = uint8_t(mr_ << 1);
        std::vector<Entry> old;
        old.swap(entries_);
        slots_.assign(kSlots, 0xFFFF);
        for (const Entry &e : old) {
            const int r = e.r & mr_, g = e.g & mg_, b = e.b & mb_;
            const int at = findMasked(r, g, b);
            if (slots_[size_t(at)] != 0xFFFF) {
                entries_[slots_[size_t(at)]].count += e.count;
            } else {
                slots_[size_t(at)] = uint16_t(entries_.size());
                entries_.push_back({uint8_t(r), uint8_t(g), uint8_t(b), e.count, 0});
            }
        }
    }

    std::vector<Entry> entries_;
    std::vector<uint16_t> slots_;
    uint8_t mr_ = 0xFF, mg_ = 0xFF, mb_ = 0xFF;
};

// Median cut over a 16 x 16 x 16 histogram.
void quantize(const Source &src, qsizetype stride, Reduced &out)
{
    auto cellOf = [](QRgb c) { return (qRed(c) >> 4) << 8 | (qGreen(c) >> 4) << 4 | qBlue(c) >> 4; };
    auto level = [](int cell, int ch) { return ch == 0 ? cell >> 8 : ch == 1 ? (cell >> 4) & 15 : cell & 15; };
    std::vector<uint32_t> histogram(4096, 0);
    for (int i = 0; i < src.Height(); ++i) {
        const QRgb *row = src.Row(i);
        for (int x = 0; x < src.Width(); ++x)
            ++histogram[size_t(cellOf(row[x]))];
    }
    struct Box {
        int first, count;
        uint64_t total;
        int lo[3], ext[3];
    };
    std::vector<int> cells;
    uint64_t total = 0;
    for (int c = 0; c < 4096; ++c)
        if (histogram[size_t(c)]) {
            cells.push_back(c);
            total += histogram[size_t(c)];
        }
    std::vector<Box> boxes;
    if (!cells.empty())
        boxes.push_back({0, int(cells.size()), total, {0, 0, 0}, {256, 256, 256}});
    while (!boxes.empty() && boxes.size() < 256) {
        int pick = -1, channel = 0, widest = -1;
        for (size_t n = 0; n < boxes.size(); ++n) {
            const Box &b = boxes[n];
            if (b.count < 2)
                continue;
            for (int ch = 0; ch < 3; ++ch)
                if (b.ext[ch] > widest) {
                    widest = b.ext[ch];
                    pick = int(n);
                    channel = ch;
                }
        }
        if (pick < 0)
            break;
        Box &b = boxes[size_t(pick)];
        auto begin = cells.begin() + b.first, finish = begin + b.count;
        std::sort(begin, finish, [&](int x, int y) {
            const int lx = level(x, channel), ly = level(y, channel);
            return lx != ly ? lx < ly : x < y;
        });
        const uint64_t half = b.total / 2;
        int k = 0;
        uint64_t sum = 0;
        while (k < b.count - 1 && sum + histogram[size_t(cells[size_t(b.first + k)])] <= half) {
            sum += histogram[size_t(cells[size_t(b.first + k)])];
            ++k;
        }
        if (k == 0) {
            sum = histogram[size_t(cells[size_t(b.first)])];
            k = 1;
        }
        Box second = b;
        second.first = b.first + k;
        second.count = b.count - k;
        second.total = b.total - sum;
        second.lo[channel] = level(cells[size_t(second.first)], channel) * 16;
        second.ext[channel] = b.ext[channel] - (second.lo[channel] - b.lo[channel]);
        b.count = k;
        b.total = sum;
        b.ext[channel] = level(cells[size_t(b.first + k - 1)], channel) * 16 - b.lo[channel];
        boxes.push_back(second);
    }
    std::vector<uint8_t> boxOfCell(4096, 0);
    for (size_t n = 0; n < boxes.size(); ++n) {
        const Box &b = boxes[n];
        int sums[3] = {0, 0, 0};
        for (int k = 0; k < b.count; ++k) {
            const int cell = cells[size_t(b.first + k)];
            boxOfCell[size_t(cell)] = uint8_t(n);
            for (int ch = 0; ch < 3; ++ch)
                sums[ch] += level(cell, ch);
        }
        int v[3];
        for (int ch = 0; ch < 3; ++ch)
            v[ch] = (16 * sums[ch] + 15) / b.count;
        if (v[0] <= 16 && v[1] <= 16 && v[2] <= 16)
            v[0] = v[1] = v[2] = 0;
        out.palette[n] = {uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2])};
    }
    out.used = int(boxes.size());
    mapPixels(src, out, stride, [&](QRgb c, int, int) { return boxOfCell[size_t(cellOf(c))]; });
}

// Truncation: every channel to its nearest level; index = (red level x greens + green level) x blues +
// blue level; the entries past the levels' product are gray.
template <size_t R, size_t G, size_t B>
void truncate(const Source &src, qsizetype stride, Reduced &out, const LevelTable<R> &tr, const LevelTable<G> &tg,
              const LevelTable<B> &tb)
{
    constexpr int used = int(R * G * B);
    for (size_t r = 0; r < R; ++r)
        for (size_t g = 0; g < G; ++g)
            for (size_t b = 0; b < B; ++b)
                out.palette[(r * G + g) * B + b] = {tr.levels[r], tg.levels[g], tb.levels[b]};
    fillGray(out, used);
    out.used = used;
    mapPixels(src, out, stride, [&](QRgb c, int, int) {
        return uint8_t((tr.nearest[size_t(qRed(c))] * G + tg.nearest[size_t(qGreen(c))]) * B + tb.nearest[size_t(qBlue(c))]);
    });
}

Reduced reduce(const Source &src, uint8_t method, qsizetype stride)
{
    Reduced out;
    switch (method) {
    case rmQuantize:
        quantize(src, stride, out);
        break;
    case rmTruncate784:
        truncate(src, stride, out, table7(), table8(), table4());
        break;
    case rmTruncate666:
        truncate(src, stride, out, table6(), table6(), table6());
        break;
    case rmTripel:
        for (int i = 0; i < 64; ++i) {
            out.palette[size_t(i)] = {uint8_t(4 * i), 0, 0};
            out.palette[size_t(64 + i)] = {0, uint8_t(4 * i), 0};
            out.palette[size_t(128 + i)] = {0, 0, uint8_t(4 * i)};
        }
        // Rows count from the bottom, as stored.
        mapPixels(src, out, stride, [](QRgb c, int row, int col) {
            switch ((row + col) % 3) {
            case 0: return uint8_t(qRed(c) >> 2);
            case 1: return uint8_t((qGreen(c) >> 2) + 64);
            default: return uint8_t((qBlue(c) >> 2) + 128);
            }
        });
        break;
    case rmGrayscale:
        for (int i = 0; i < 256; ++i)
            out.palette[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i)};
        mapPixels(src, out, stride, [](QRgb c, int, int) {
            return uint8_t((77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c)) >> 8);
        });
        break;
    default:
        FrequencyReducer().Run(src, 256, stride, out);
        break;
    }
    return out;
}

QByteArray bitmapFile8(int width, int height, const Reduced &r, qsizetype stride)
{
    const qsizetype imageSize = stride * height;
    QByteArray out;
    out.reserve(14 + 40 + 1024 + imageSize);
    platform::WriteBitmapFileHeaders(out, width, height, 8, imageSize, 256, quint32(r.used));
    platform::ByteWriter wr(out);
    for (const Rgb &c : r.palette) {
        wr.U8(c.b);
        wr.U8(c.g);
        wr.U8(c.r);
        wr.U8(0);
    }
    wr.Bytes(r.pixels.data(), qsizetype(r.pixels.size()));
    return out;
}

} // namespace

const std::array<uint8_t, 4> &Levels4() { return table4().levels; }
const std::array<uint8_t, 6> &Levels6() { return table6().levels; }
const std::array<uint8_t, 7> &Levels7() { return table7().levels; }
const std::array<uint8_t, 8> &Levels8() { return table8().levels; }

int NearestLevel(int levels, int value)
{
    const auto v = size_t(qBound(0, value, 255));
    switch (levels) {
    case 4: return table4().nearest[v];
    case 6: return table6().nearest[v];
    case 7: return table7().nearest[v];
    case 8: return table8().nearest[v];
    default: return -1;
    }
}

QByteArray BitmapToStream(const Bitmap &bitmap, PixelFormat pf, uint8_t method,
                          const std::function<void(int percent)> &progress)
{
    if (!bitmap.HandleAllocated())
        throw platform::InvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    if (bitmap.GetPixelFormat() == pf && method != rmGrayscale)
        return bitmap.BitmapFile();
    switch (pf) {
    case PixelFormat::pf1bit:
    case PixelFormat::pf4bit:
        return bitmap.BitmapFile(pf);
    case PixelFormat::pf8bit:
        break;
    case PixelFormat::pf24bit:
        if (method != rmGrayscale)
            return bitmap.BitmapFile(pf);
        break;
    default:
        qv::ReportNotImplemented();
    }
    const Source src(bitmap, progress);
    const qsizetype stride = platform::BytesPerScanline(src.Width(), 8, 32);
    const Reduced r = reduce(src, method, stride);
    if (pf == PixelFormat::pf8bit)
        return bitmapFile8(src.Width(), src.Height(), r, stride);
    // A gray 24-bit picture: the gray levels written back as colours.
    Bitmap gray;
    QImage img(src.Width(), src.Height(), QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, i, i));
    img.setColorTable(table);
    for (int y = 0; y < src.Height(); ++y)
        std::memcpy(img.scanLine(y), r.pixels.data() + (src.Height() - 1 - y) * stride, size_t(src.Width()));
    gray.SetIndexedImage(img, PixelFormat::pf8bit);
    return gray.BitmapFile(PixelFormat::pf24bit);
}

QByteArray BitmapToStreamByColours(const Bitmap &bitmap, int colours)
{
    PixelFormat pf = PixelFormat::pf24bit;
    if (colours <= 2)
        pf = PixelFormat::pf1bit;
    else if (colours <= 16)
        pf = PixelFormat::pf4bit;
    else if (colours <= 256)
        pf = PixelFormat::pf8bit;
    return BitmapToStream(bitmap, pf, GIFColorReduction);
}

void GetDIBSizes(const Bitmap &bitmap, qsizetype &infoHeaderSize, qsizetype &imageSize, PixelFormat pf)
{
    const int bits = platform::BitsOf(pf);
    infoHeaderSize = bits <= 8 ? 40 + 4 * (qsizetype(1) << bits) : 40;
    imageSize = platform::BytesPerScanline(bitmap.Width(), bits, 32) * bitmap.Height();
}

QByteArray DIBFromBitmap(const Bitmap &bitmap, PixelFormat pf)
{
    if (!bitmap.HandleAllocated())
        throw platform::InvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    return bitmap.BitmapFile(pf);
}

} // namespace gfx
