// The LZW codec, the interlace order and the frame bitmap file, on bytes worked out by hand.
#include "graphics/qv/qvgiflzw.h"
#include "platform/graphics/bitmap.h"

#include "k5test.h"

#include <QRandomGenerator>
#include <map>
#include <QtTest>

using namespace gfx;

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

// A bottom-up buffer of 8-bit rows from top-down rows.
QByteArray buffer8(const QList<QByteArray> &rows)
{
    const int w = int(rows.first().size());
    const qsizetype stride = GIFStride(w, 8);
    QByteArray out(stride * rows.size(), '\0');
    for (int y = 0; y < rows.size(); ++y)
        std::memcpy(out.data() + (rows.size() - 1 - y) * stride, rows[y].constData(), size_t(w));
    return out;
}

// Decodes 8-bit pixels top-down without padding.
QByteArray decode8(const QByteArray &data, int w, int h, bool interlaced, bool &corrupted, int tableBits = 8)
{
    QByteArray out(qsizetype(w) * h, '\0');
    Decode(data, TGIFHeader{w, h, 8}, interlaced, {}, corrupted, reinterpret_cast<uint8_t *>(out.data()), w, false,
           tableBits, true);
    return out;
}

QByteArray encode8(const QByteArray &topDown, int w, int h, bool interlaced)
{
    QList<QByteArray> rows;
    for (int y = 0; y < h; ++y)
        rows.append(topDown.mid(qsizetype(y) * w, w));
    const QByteArray buf = buffer8(rows);
    QByteArray out;
    Encode(out, TGIFHeader{w, h, 8}, interlaced, {}, reinterpret_cast<const uint8_t *>(buf.constData()));
    return out;
}

QByteArray randomPixels(int n, int range, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out(n, '\0');
    for (char &c : out)
        c = char(rng.bounded(range));
    return out;
}

// The codes of an encoded stream, read with the decoder's width rules (test-side reader).
QList<int> codesOf(const QByteArray &data)
{
    QByteArray joined;
    qsizetype pos = 1;
    while (pos < data.size() && data[pos] != 0) {
        const int len = uint8_t(data[pos]);
        joined.append(data.mid(pos + 1, len));
        pos += 1 + len;
    }
    const int min = data[0];
    const int clear = 1 << min;
    int width = min + 1, next = clear + 2;
    bool afterClear = true;
    QList<int> codes;
    qint64 bit = 0;
    while (bit + width <= joined.size() * 8) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((uint8_t(joined[bit >> 3]) >> (bit & 7)) & 1) << i;
        codes.append(code);
        if (code == clear) {
            width = min + 1;
            next = clear + 2;
            afterClear = true;
            continue;
        }
        if (code == clear + 1)
            break;
        if (afterClear) {
            afterClear = false;
            continue;
        }
        if (next < 4096 && ++next == (1 << width) && width < 12)
            ++width;
    }
    return codes;
}

// The codes plain LZW gives, found in an ordered map: the clear code, then the codes of the strings, a
// clear code after the one that takes code 4094, and the end code.
QList<int> plainCodes(const QByteArray &pixels, int minCodeSize)
{
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::map<std::pair<int, int>, int> known;
    QList<int> codes{clear};
    int last = end, prefix = -1;
    for (char ch : pixels) {
        const int c = uint8_t(ch);
        if (prefix < 0) {
            prefix = c;
            continue;
        }
        const auto it = known.find({prefix, c});
        if (it != known.end()) {
            prefix = it->second;
            continue;
        }
        codes.append(prefix);
        known[{prefix, c}] = ++last;
        prefix = c;
        if (last == 4094) {
            codes << prefix << clear;
            known.clear();
            last = end;
            prefix = -1;
        }
    }
    if (prefix >= 0)
        codes.append(prefix);
    return codes << end;
}

// Runs of random values and random lengths up to maxRun.
QByteArray runs(int n, int range, int maxRun, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out;
    while (out.size() < n)
        out.append(QByteArray(int(rng.bounded(1, maxRun + 1)), char(rng.bounded(range))));
    return out.left(n);
}

// The decoder's view of the string table while codes go by: how wide the next code is and the next entry.
struct CodeTable {
    explicit CodeTable(int minCodeSize) : minCodeSize(minCodeSize), clear(1 << minCodeSize) {}
    void Step(int code)
    {
        if (code == clear) {
            next = clear + 2;
            width = minCodeSize + 1;
            afterClear = true;
            full = false;
        } else if (afterClear) {
            afterClear = false;
        } else if (!full && ++next == 1 << width) {
            if (width < 12)
                ++width;
            else
                full = true;
        }
    }
    const int minCodeSize, clear;
    int width = minCodeSize + 1, next = clear + 2;
    bool afterClear = true, full = false;
};

// Packs codes with the decoder's width rules (the first code must be a clear code to be read as one) into a
// minimum code size byte and sub-blocks.
QByteArray packCodes(int minCodeSize, const QList<int> &codes)
{
    CodeTable table(minCodeSize);
    QByteArray joined;
    quint64 acc = 0;
    int bits = 0;
    for (int code : codes) {
        acc |= quint64(code & ((1 << table.width) - 1)) << bits;
        for (bits += table.width; bits >= 8; bits -= 8, acc >>= 8)
            joined.append(char(acc & 0xFF));
        table.Step(code);
    }
    if (bits)
        joined.append(char(acc & 0xFF));
    QByteArray out(1, char(minCodeSize));
    for (qsizetype at = 0; at < joined.size(); at += 255) {
        const QByteArray part = joined.mid(at, 255);
        out.append(char(part.size()));
        out.append(part);
    }
    return out + '\0';
}

// Codes that mostly make sense: strings known or one step ahead, clear codes, a full table kept in use;
// now and then a code beyond the table, a string after a clear code, or an early end code.
QList<int> randomCodes(int minCodeSize, int count, QRandomGenerator &rng)
{
    CodeTable table(minCodeSize);
    const int clear = table.clear, end = clear + 1;
    QList<int> codes{clear};
    while (codes.size() < count) {
        const int dice = int(rng.bounded(1000));
        int code;
        if (dice < 2 && table.next < 4095)
            code = int(rng.bounded(table.next + 1, 4096)); // beyond the table
        else if (dice < 3)
            code = end;
        else if (dice < 8)
            code = clear;
        else if (table.afterClear)
            code = dice < 10 ? clear + 2 : int(rng.bounded(clear));
        else if (dice < 500)
            code = int(rng.bounded(clear));
        else
            code = int(rng.bounded(clear + 2, table.full ? table.next : table.next + 1));
        codes.append(code);
        table.Step(code);
    }
    return codes;
}

// Colour decoding beside the indexed decoder: the same verdict, and when sound, the colours of its pixels.
bool sameAsIndexed(const QByteArray &data, int count, int tableBits, QString &why)
{
    QRgb colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = qRgba(i, 255 - i, i * 7, i ^ 0x5A);
    bool corrupted = false;
    const QByteArray indexed = decode8(data, count, 1, false, corrupted, tableBits);
    std::vector<QRgb> out(static_cast<size_t>(count)); // exactly the pixels: a write beyond them is caught
    const bool sound = DecodeColours(data, count, colours, tableBits, out.data());
    if (sound == corrupted) {
        why = QStringLiteral("verdict %1 against corrupted %2").arg(sound).arg(corrupted);
        return false;
    }
    for (int i = 0; sound && i < count; ++i)
        if (out[size_t(i)] != colours[uint8_t(indexed[i])]) {
            why = QStringLiteral("pixel %1 of %2").arg(i).arg(count);
            return false;
        }
    return true;
}

} // namespace

class TestQvGIFLZW : public QObject {
    Q_OBJECT

private slots:
    void encodesGoldenBytes()
    {
        // 1 bit, pixels 0 0 0 1: codes clear(4) 0 6 1 end(5) at 3 bits.
        const QByteArray oneBit = bytes({0x10, 0, 0, 0});
        QByteArray out;
        Encode(out, TGIFHeader{4, 1, 1}, false, {}, reinterpret_cast<const uint8_t *>(oneBit.constData()));
        QCOMPARE(out, bytes({0x02, 0x02, 0x84, 0x53, 0x00}));
        // 4 bits, pixels 1 2 1: codes clear(16) 1 2 1 end(17) at 5 bits, minimum code size 4.
        const QByteArray fourBit = bytes({0x12, 0x10, 0, 0});
        out.clear();
        Encode(out, TGIFHeader{3, 1, 4}, false, {}, reinterpret_cast<const uint8_t *>(fourBit.constData()));
        QCOMPARE(out, bytes({0x04, 0x04, 0x30, 0x88, 0x10, 0x01, 0x00}));
    }

    void decodesGoldenBytesIntoEveryDepth()
    {
        bool corrupted = false;
        QCOMPARE(decode8(bytes({0x02, 0x02, 0x84, 0x53, 0x00}), 4, 1, false, corrupted), bytes({0, 0, 0, 1}));
        QVERIFY(!corrupted);
        // The same pixels packed 1 bit per pixel, bottom-up with 4-byte rows.
        QByteArray packed(4, '\0');
        Decode(bytes({0x02, 0x02, 0x84, 0x53, 0x00}), TGIFHeader{4, 1, 1}, false, {}, corrupted,
               reinterpret_cast<uint8_t *>(packed.data()), 4, true, 1, true);
        QCOMPARE(packed, bytes({0x10, 0, 0, 0}));
        QByteArray nibbles(4, '\0');
        Decode(bytes({0x04, 0x04, 0x30, 0x88, 0x10, 0x01, 0x00}), TGIFHeader{3, 1, 4}, false, {}, corrupted,
               reinterpret_cast<uint8_t *>(nibbles.data()), 4, true, 4, true);
        QCOMPARE(nibbles, bytes({0x12, 0x10, 0, 0}));
        QVERIFY(!corrupted);
    }

    void oneBitDataUsesMinimumCodeSizeTwo()
    {
        const QByteArray buf(GIFStride(16, 1) * 2, '\xA5');
        QByteArray out;
        Encode(out, TGIFHeader{16, 2, 1}, false, {}, reinterpret_cast<const uint8_t *>(buf.constData()));
        QCOMPARE(int(out[0]), 2);
        const QList<int> codes = codesOf(out);
        QCOMPARE(codes.first(), 4); // clear code
        QCOMPARE(codes.last(), 5);  // end code
    }

    void roundTripsRandomPixelsAtEveryDepthAndInterlace()
    {
        for (bool interlaced : {false, true})
            for (int range : {2, 16, 256}) {
                const int w = 97, h = 61;
                const QByteArray px = randomPixels(w * h, range, quint32(range * 7 + interlaced));
                const QByteArray enc = encode8(px, w, h, interlaced);
                bool corrupted = false;
                QCOMPARE(decode8(enc, w, h, interlaced, corrupted), px);
                QVERIFY(!corrupted);
            }
    }

    void encoderWritesTheCodesOfPlainLZW()
    {
        struct Case {
            const char *name;
            QByteArray pixels;
            int width;
        };
        const QList<Case> cases = {
            {"random 2", randomPixels(97 * 61, 2, 1), 97},
            {"random 16", randomPixels(97 * 61, 16, 2), 97},
            {"random 256, clearing mid-row", randomPixels(300 * 100, 256, 3), 300},
            {"short runs", runs(400 * 300, 7, 12, 4), 400},
            {"long runs", runs(500 * 400, 200, 3000, 5), 500},
            {"flat", QByteArray(600 * 600, '\x05'), 600},
            {"one pixel a row", runs(9000, 3, 40, 6), 1},
        };
        for (const Case &c : cases) {
            const int h = int(c.pixels.size() / c.width);
            QVERIFY2(codesOf(encode8(c.pixels, c.width, h, false)) == plainCodes(c.pixels, 8), c.name);
        }
        // Pixels of one byte each at the smallest code size.
        const QByteArray px = runs(200 * 150, 4, 9, 7);
        QByteArray out;
        EncodePixels(out, TGIFHeader{200, 150, 2}, false, {},
                     [&](int y) { return reinterpret_cast<const uint8_t *>(px.constData()) + y * 200; });
        QCOMPARE(uint8_t(out[0]), uint8_t(2));
        QCOMPARE(codesOf(out), plainCodes(px, 2));
    }

    void clearsAfterCode4094AndRestartsAtTheInitialSize()
    {
        const int w = 5000;
        const QByteArray px = randomPixels(w, 256, 42);
        const QByteArray enc = encode8(px, w, 1, false);
        const QList<int> codes = codesOf(enc);
        QCOMPARE(codes.first(), 256);
        // Codes 258..4094 are assigned by the first 3837 emissions; then the pixel and a clear follow.
        const qsizetype clearAt = codes.indexOf(256, 1);
        QVERIFY(clearAt > 0);
        QCOMPARE(clearAt, qsizetype(1 + 3837 + 1));
        bool corrupted = false;
        QCOMPARE(decode8(enc, w, 1, false, corrupted), px);
        QVERIFY(!corrupted);
    }

    void subBlocksAreFullExceptTheLast()
    {
        const QByteArray px = randomPixels(200 * 100, 256, 7);
        const QByteArray enc = encode8(px, 200, 100, false);
        qsizetype pos = 1;
        QList<int> sizes;
        while (enc[pos] != 0) {
            sizes.append(uint8_t(enc[pos]));
            pos += 1 + uint8_t(enc[pos]);
        }
        QCOMPARE(pos, enc.size() - 1);
        QVERIFY(sizes.size() > 2);
        for (qsizetype i = 0; i + 1 < sizes.size(); ++i)
            QCOMPARE(sizes[i], 255);
        QVERIFY(sizes.last() >= 1 && sizes.last() <= 255);
    }

    void interlaceOrderVisitsEveryRowOnce_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("1") << 1 << QList<int>{0};
        QTest::newRow("2") << 2 << QList<int>{0, 1};
        QTest::newRow("3") << 3 << QList<int>{0, 2, 1};
        QTest::newRow("5") << 5 << QList<int>{0, 4, 2, 1, 3};
        QTest::newRow("9") << 9 << QList<int>{0, 8, 4, 2, 6, 1, 3, 5, 7};
    }
    void interlaceOrderVisitsEveryRowOnce()
    {
        QFETCH(int, height);
        QFETCH(QList<int>, rows);
        QList<int> seen;
        for (InterlaceOrder o(height, true); !o.Done(); o.Next())
            seen.append(o.Row());
        QCOMPARE(seen, rows);
        // Row r of an interlaced frame holds the value r after a round trip.
        QByteArray px;
        for (int r = 0; r < height; ++r)
            px.append(QByteArray(3, char(r)));
        bool corrupted = false;
        QCOMPARE(decode8(encode8(px, 3, height, true), 3, height, true, corrupted), px);
    }

    void damagedDataIsMarkedAndStaysInBounds()
    {
        const QByteArray px = randomPixels(40 * 10, 256, 3);
        const QByteArray good = encode8(px, 40, 10, false);
        bool corrupted = false;

        // A code size outside 2..9 is marked, and the data read at the nearest size in that range.
        for (int size : {0, 1, 10, 12}) {
            QByteArray bad = good;
            bad[0] = char(size);
            corrupted = false;
            decode8(bad, 40, 10, false, corrupted);
            QVERIFY2(corrupted, qPrintable(QString::number(size)));
        }
        const QList<int> small{4, 0, 1, 2, 3, 5};
        for (int size : {0, 1}) {
            QByteArray bad = packCodes(2, small);
            bad[0] = char(size);
            corrupted = false;
            QCOMPARE(decode8(bad, 4, 1, false, corrupted), bytes({0, 1, 2, 3}));
            QVERIFY(corrupted);
        }
        const QList<int> wide{512, 1, 300, 511, 2, 513};
        for (int size : {10, 11, 200}) {
            QByteArray bad = packCodes(9, wide);
            bad[0] = char(size);
            corrupted = false;
            QCOMPARE(decode8(bad, 4, 1, false, corrupted), bytes({1, 44, 255, 2}));
            QVERIFY(corrupted);
        }
        // Data that ends early: the pixels given stay, the rest is 0.
        QByteArray cut = good.left(60);
        cut[1] = char(58);
        corrupted = false;
        const QByteArray partial = decode8(cut, 40, 10, false, corrupted);
        QVERIFY(corrupted);
        QVERIFY(partial.left(40) == px.left(40));
        QVERIFY(partial.endsWith(QByteArray(40, '\0')));
        // No data at all.
        corrupted = false;
        QCOMPARE(decode8(QByteArray(), 4, 4, false, corrupted), QByteArray(16, '\0'));
        QVERIFY(corrupted);
        // A code above the next free code: clear, 0, then 7 (next free is 6).
        corrupted = false;
        QCOMPARE(decode8(bytes({0x02, 0x02, 0xC4, 0x01, 0x00}), 4, 1, false, corrupted), bytes({0, 0, 0, 0}));
        QVERIFY(corrupted);
        // A string longer than the pixels left: "0" then "00" into a 2-pixel frame keeps the head.
        corrupted = false;
        QCOMPARE(decode8(bytes({0x02, 0x02, 0x84, 0x53, 0x00}), 2, 1, false, corrupted), bytes({0, 0}));
        QVERIFY(corrupted);
        // Pixel values beyond the colour table are masked to it.
        corrupted = false;
        QCOMPARE(decode8(bytes({0x04, 0x04, 0x30, 0x88, 0x10, 0x01, 0x00}), 3, 1, false, corrupted, 1),
                 bytes({1, 0, 1}));
    }

    void colourDecodingMatchesTheIndexedDecoder()
    {
        QString why;
        // Sound pictures as the encoder writes them: noise, runs as long as the table allows, one colour.
        const QList<QByteArray> pictures = {randomPixels(5000, 256, 21), randomPixels(7001, 2, 22),
                                            runs(60000, 16, 300, 23), runs(3000, 4, 3, 24),
                                            QByteArray(200000, '\x03'), QByteArray(1, '\x01')};
        for (const QByteArray &px : pictures)
            for (int width : {1, 3, 64}) {
                if (px.size() % width)
                    continue;
                const QByteArray data = encode8(px, width, int(px.size() / width), false);
                QVERIFY2(sameAsIndexed(data, int(px.size()), 8, why), qPrintable(why));
            }
        // Values beyond a small table are masked to it.
        QVERIFY2(sameAsIndexed(encode8(randomPixels(999, 256, 25), 9, 111, false), 999, 3, why), qPrintable(why));
        // A full table stays in use until a clear code: its last code may not be defined again.
        QList<int> filling{4};
        for (int i = 0; i < 4100; ++i)
            filling.append(i % 4);
        const QByteArray full = packCodes(2, filling + QList<int>{4095, 4000, 5});
        QVERIFY2(sameAsIndexed(full, 4104, 8, why), qPrintable(why));
        QVERIFY2(sameAsIndexed(full, 4103, 8, why), qPrintable(why));
        // Damage of every kind: no data, a code size outside 2..9, a string after a clear code, a code
        // beyond the table, a string past the last pixel, data or an end code too early.
        QVERIFY(!DecodeColours(QByteArray(), 4, nullptr, 8, nullptr));
        for (const QByteArray &bad : {bytes({0x01, 0x02, 0x84, 0x53, 0x00}), packCodes(2, {4, 6}), bytes({0x02, 0x02, 0xC4, 0x01, 0x00}),
                                      packCodes(2, {4, 0, 6, 5}), packCodes(2, {4, 1}), packCodes(2, {4, 1, 5, 2})})
            for (int count : {2, 4}) {
                QVERIFY2(sameAsIndexed(bad, count, 8, why), qPrintable(why));
                std::vector<QRgb> out(static_cast<size_t>(count));
                const QRgb colours[256] = {};
                QVERIFY(!DecodeColours(bad, count, colours, 8, out.data()));
            }
        // Streams of random codes, each read into a frame of a random size.
        QRandomGenerator rng(26);
        for (int round = 0; round < 3000; ++round) {
            const int min = int(rng.bounded(2, 9));
            const QByteArray data = packCodes(min, randomCodes(min, int(rng.bounded(1, 6000)), rng));
            const int count = int(rng.bounded(1, round % 10 ? 2000 : 200000));
            QVERIFY2(sameAsIndexed(data, count, int(rng.bounded(1, 9)), why),
                     qPrintable(QStringLiteral("round %1: %2").arg(round).arg(why)));
        }
    }

    void frameImageHoldsWhatItsBitmapFileHolds()
    {
        TGIFColorTable table;
        table.Count = 5;
        for (int i = 0; i < table.Count; ++i)
            table.SetColor(i, uint32_t(0x102030 * (i + 1)));
        for (int tableBits : {1, 2, 3, 4, 5, 8})
            for (bool interlaced : {false, true})
                for (bool damaged : {false, true}) {
                    const int w = 13, h = 11;
                    QByteArray data = encode8(randomPixels(w * h, 1 << tableBits, quint32(tableBits)), w, h, interlaced);
                    if (damaged)
                        data = data.left(data.size() / 2); // the rest of the pixels stay 0
                    bool fileBad = false, imageBad = false;
                    platform::Bitmap fromFile, fromImage;
                    fromFile.LoadFromBitmapFile(BuildBitmapFile(table, tableBits, w, h, interlaced, data, {}, true, fileBad));
                    int bits = 0;
                    QImage image = DecodeFrameImage(table, tableBits, w, h, interlaced, data, {}, true, imageBad, bits);
                    fromImage.SetIndexedImage(std::move(image), platform::FormatOfBits(bits));
                    QCOMPARE(imageBad, damaged);
                    QCOMPARE(fileBad, damaged);
                    QCOMPARE(fromImage.GetPixelFormat(), fromFile.GetPixelFormat());
                    QVERIFY(fromImage.Image() == fromFile.Image());
                }
        bool corrupted = false;
        int bits = 0;
        try {
            DecodeFrameImage(table, 9, 3, 1, false, QByteArray(), {}, true, corrupted, bits);
            QFAIL("no error");
        } catch (const platform::InvalidGraphicOperation &e) {
            QCOMPARE(e.message(), QStringLiteral("Wrong number of colors; must be a power of 2"));
        }
    }

    void intolerantDecodingRaises()
    {
        QByteArray out(4, '\0');
        bool corrupted = false;
        try {
            Decode(bytes({0x01, 0x02, 0x84, 0x53, 0x00}), TGIFHeader{4, 1, 8}, false, {}, corrupted,
                   reinterpret_cast<uint8_t *>(out.data()), 4, false, 8, false);
            QFAIL("no error");
        } catch (const platform::InvalidGraphicOperation &e) {
            QCOMPARE(e.message(), QStringLiteral("GIF code size not in range 2 to 9"));
        }
        try {
            Decode(bytes({0x02, 0x02, 0xC4, 0x01, 0x00}), TGIFHeader{4, 1, 8}, false, {}, corrupted,
                   reinterpret_cast<uint8_t *>(out.data()), 4, false, 8, false);
            QFAIL("no error");
        } catch (const platform::InvalidGraphicOperation &e) {
            QCOMPARE(e.message(), QStringLiteral("GIF encoded data is corrupt"));
        }
    }

    void soundStreamsOutsideTheUsualFormDecodeUnmarked()
    {
        // Data that does not open with a clear code (the table starts clear), and a minimum code size of
        // 9: both decode whole, with or without tolerance, by both decoders.
        const QList<std::pair<QByteArray, QByteArray>> cases{
            {packCodes(2, {0, 1, 6, 3, 5}), bytes({0, 1, 0, 1, 3})},
            {packCodes(9, {512, 1, 300, 511, 2, 513}), bytes({1, 44, 255, 2})},
            {packCodes(9, {512, 7, 7, 515, 0, 513}), bytes({7, 7, 7, 7, 0})},
        };
        for (const auto &[data, expected] : cases)
            for (bool tolerant : {true, false}) {
                QByteArray out(expected.size(), '\0');
                bool corrupted = false;
                Decode(data, TGIFHeader{int(expected.size()), 1, 8}, false, {}, corrupted,
                       reinterpret_cast<uint8_t *>(out.data()), out.size(), false, 8, tolerant);
                QCOMPARE(out, expected);
                QVERIFY(!corrupted);
                QByteArray fast(expected.size(), '\0');
                QVERIFY(DecodeIndices(data, expected.size(), 8, reinterpret_cast<uint8_t *>(fast.data())));
                QCOMPARE(fast, expected);
            }
    }

    void progressReportsStagesAndAbortStops()
    {
        const QByteArray px = randomPixels(64 * 64, 256, 9);
        const QByteArray enc = encode8(px, 64, 64, false);
        QList<int> stages;
        int last = -1;
        bool corrupted = false;
        QByteArray out(64 * 64, '\0');
        Decode(enc, TGIFHeader{64, 64, 8}, false,
               [&](platform::ProgressStage s, int p, const QString &) {
                   if (stages.isEmpty() || stages.last() != int(s))
                       stages.append(int(s));
                   last = p;
               },
               corrupted, reinterpret_cast<uint8_t *>(out.data()), 64, false, 8, true);
        QCOMPARE(stages, (QList<int>{0, 1, 2}));
        QCOMPARE(last, 100);
        QString endMessage;
        try {
            Decode(enc, TGIFHeader{64, 64, 8}, false,
                   [&](platform::ProgressStage s, int p, const QString &m) {
                       if (s == platform::ProgressStage::psRunning && p > 50)
                           throw platform::Abort();
                       if (s == platform::ProgressStage::psEnding)
                           endMessage = m;
                   },
                   corrupted, reinterpret_cast<uint8_t *>(out.data()), 64, false, 8, true);
            QFAIL("not aborted");
        } catch (const platform::Abort &) {
        }
        QCOMPARE(endMessage, platform::Abort().message());
    }

    void bitmapFileOfAFrame()
    {
        TGIFColorTable table;
        table.Count = 2;
        table.SetColor(0, 0x0000FF); // red
        table.SetColor(1, 0xFF0000); // blue
        bool corrupted = false;
        const QByteArray file =
            BuildBitmapFile(table, 1, 4, 1, false, bytes({0x02, 0x02, 0x84, 0x53, 0x00}), {}, true, corrupted);
        QByteArray expected = bytes({'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, // file header
                                     40, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 4, 0, 0, 0});
        expected.append(QByteArray(16, '\0'));
        expected.append(bytes({0, 0, 255, 0, 255, 0, 0, 0})); // blue, green, red, 0
        expected.append(bytes({0x10, 0, 0, 0}));
        QCOMPARE(file, expected);
        QVERIFY(!corrupted);
        // Table bits 2..4 give 4-bit files whose palette is padded with 128s.
        const QByteArray four =
            BuildBitmapFile(table, 3, 3, 1, false, bytes({0x04, 0x04, 0x30, 0x88, 0x10, 0x01, 0x00}), {}, true, corrupted);
        QCOMPARE(uint8_t(four[28]), uint8_t(4));
        QCOMPARE(four.mid(54 + 8, 4), bytes({128, 128, 128, 128}));
        QCOMPARE(four.mid(54 + 64, 4), bytes({0x12, 0x10, 0, 0}));
        try {
            BuildBitmapFile(table, 9, 3, 1, false, QByteArray(), {}, true, corrupted);
            QFAIL("no error");
        } catch (const platform::InvalidGraphicOperation &e) {
            QCOMPARE(e.message(), QStringLiteral("Wrong number of colors; must be a power of 2"));
        }
    }
};

K5_TEST_MAIN(TestQvGIFLZW)
#include "test_qvgiflzw.moc"
