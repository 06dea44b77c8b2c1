// Colour reduction, checked against values worked out by hand from the level tables and the formulas.
#include "graphics/qv/qvreduce.h"

#include "k5test.h"

#include <QtTest>
#include <algorithm>

using namespace gfx;
using platform::Bitmap;
using platform::PixelFormat;

namespace {

std::unique_ptr<Bitmap> deep(const QImage &img)
{
    auto b = std::make_unique<Bitmap>();
    b->SetImage(img.convertToFormat(QImage::Format_RGB32));
    return b;
}

std::unique_ptr<Bitmap> row(const QList<QRgb> &colours)
{
    QImage img(int(colours.size()), 1, QImage::Format_RGB32);
    for (int x = 0; x < colours.size(); ++x)
        img.setPixel(x, 0, colours[x]);
    return deep(img);
}

struct Result {
    QImage pixels; // indices, top-down
    QVector<QRgb> palette;
    int bits = 0;
    quint32 used = 0;
};

Result parse(const QByteArray &file)
{
    Result r;
    Bitmap b;
    b.LoadFromBitmapFile(file);
    r.pixels = b.Image();
    r.bits = uint8_t(file[28]);
    // The palette as written, all of its entries.
    for (int i = 0; r.bits <= 8 && i < (1 << r.bits); ++i) {
        const auto *p = reinterpret_cast<const uint8_t *>(file.constData()) + 54 + 4 * i;
        r.palette.append(qRgb(p[2], p[1], p[0]));
    }
    r.used = quint32(uint8_t(file[46])) | quint32(uint8_t(file[47])) << 8;
    return r;
}

int at(const Result &r, int x, int y) { return r.pixels.constScanLine(y)[x]; }

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

} // namespace

class TestQvReduce : public QObject {
    Q_OBJECT

private slots:
    void levelTablesTakeTheLowerLevelOnATie()
    {
        QCOMPARE(Levels7()[1], uint8_t(0x2B));
        QCOMPARE(NearestLevel(6, 25), 0);
        QCOMPARE(NearestLevel(6, 26), 1);
        QCOMPARE(NearestLevel(7, 64), 1); // 43 and 85 are both 21 away
        QCOMPARE(NearestLevel(8, 18), 0); // 0 and 36 are both 18 away
        QCOMPARE(NearestLevel(8, 19), 1);
        QCOMPARE(NearestLevel(4, 128), 2);
        QCOMPARE(NearestLevel(4, 255), 3);
    }

    void truncation784()
    {
        const Result r = parse(BitmapToStream(*row({rgb(64, 18, 128), rgb(255, 255, 255)}), PixelFormat::pf8bit, rmTruncate784));
        QCOMPARE(r.bits, 8);
        QCOMPARE(r.used, 224u);
        QCOMPARE(at(r, 0, 0), (1 * 8 + 0) * 4 + 2);
        QCOMPARE(at(r, 1, 0), (6 * 8 + 7) * 4 + 3);
        QCOMPARE(r.palette[34] & 0xFFFFFF, rgb(0x2B, 0, 0xAA) & 0xFFFFFF);
        QCOMPARE(r.palette[223] & 0xFFFFFF, rgb(255, 255, 255) & 0xFFFFFF);
        QCOMPARE(r.palette[224] & 0xFFFFFF, rgb(128, 128, 128) & 0xFFFFFF);
        QCOMPARE(r.palette[255] & 0xFFFFFF, rgb(128, 128, 128) & 0xFFFFFF);
    }

    void truncation666()
    {
        const Result r = parse(BitmapToStream(*row({rgb(0x33, 0x66, 0x99), rgb(0x40, 0, 0xF0)}), PixelFormat::pf8bit, rmTruncate666));
        QCOMPARE(r.used, 216u);
        QCOMPARE(at(r, 0, 0), (1 * 6 + 2) * 6 + 3);
        QCOMPARE(at(r, 1, 0), (1 * 6 + 0) * 6 + 5);
        QCOMPARE(r.palette[51] & 0xFFFFFF, rgb(0x33, 0x66, 0x99) & 0xFFFFFF);
        QCOMPARE(r.palette[216] & 0xFFFFFF, rgb(128, 128, 128) & 0xFFFFFF);
    }

    void tripelShowsOneChannelPerPixel()
    {
        QImage img(3, 2, QImage::Format_RGB32);
        img.fill(rgb(200, 100, 40));
        const Result r = parse(BitmapToStream(*deep(img), PixelFormat::pf8bit, rmTripel));
        // Rows count from the bottom: the bottom row starts with red.
        QCOMPARE(at(r, 0, 1), 50);
        QCOMPARE(at(r, 1, 1), 25 + 64);
        QCOMPARE(at(r, 2, 1), 10 + 128);
        QCOMPARE(at(r, 0, 0), 25 + 64);
        QCOMPARE(at(r, 1, 0), 10 + 128);
        QCOMPARE(at(r, 2, 0), 50);
        QCOMPARE(r.palette[63] & 0xFFFFFF, rgb(252, 0, 0) & 0xFFFFFF);
        QCOMPARE(r.palette[64 + 5] & 0xFFFFFF, rgb(0, 20, 0) & 0xFFFFFF);
        QCOMPARE(r.palette[128 + 1] & 0xFFFFFF, rgb(0, 0, 4) & 0xFFFFFF);
        QCOMPARE(r.palette[192] & 0xFFFFFF, 0u);
    }

    void grayscale()
    {
        const Result r = parse(BitmapToStream(*row({rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 255, 255)}),
                                              PixelFormat::pf8bit, rmGrayscale));
        QCOMPARE(at(r, 0, 0), 76);
        QCOMPARE(at(r, 1, 0), 149);
        QCOMPARE(at(r, 2, 0), 28);
        QCOMPARE(at(r, 3, 0), 255);
        QCOMPARE(r.palette[100] & 0xFFFFFF, rgb(100, 100, 100) & 0xFFFFFF);
        // A 24-bit target keeps 24 bits, gray.
        Bitmap back;
        back.LoadFromBitmapFile(BitmapToStream(*row({rgb(255, 0, 0)}), PixelFormat::pf24bit, rmGrayscale));
        QCOMPARE(back.GetPixelFormat(), PixelFormat::pf24bit);
        QCOMPARE(back.PixelColor(0, 0) & 0xFFFFFF, rgb(76, 76, 76) & 0xFFFFFF);
    }

    void frequencyOfUse()
    {
        const QRgb a = rgb(10, 20, 30), b = rgb(200, 0, 0), c = rgb(0, 0, 250);
        const Result r = parse(BitmapToStream(*row({a, b, b, c}), PixelFormat::pf8bit, rmFrequency));
        QCOMPARE(r.palette[0] & 0xFFFFFF, b & 0xFFFFFF);
        QCOMPARE(r.palette[1] & 0xFFFFFF, a & 0xFFFFFF); // the first of equal counts
        QCOMPARE(r.palette[2] & 0xFFFFFF, c & 0xFFFFFF);
        for (int i = 3; i < 256; ++i)
            QCOMPARE(r.palette[i] & 0xFFFFFF, rgb(128, 128, 128) & 0xFFFFFF);
        QCOMPARE(at(r, 0, 0), 1);
        QCOMPARE(at(r, 1, 0), 0);
        QCOMPARE(at(r, 3, 0), 2);
        // Counting runs bottom row first: of two equal counts the bottom one comes first.
        QImage two(1, 2, QImage::Format_RGB32);
        two.setPixel(0, 0, a);
        two.setPixel(0, 1, c);
        const Result t = parse(BitmapToStream(*deep(two), PixelFormat::pf8bit, rmFrequency));
        QCOMPARE(t.palette[0] & 0xFFFFFF, c & 0xFFFFFF);
        QCOMPARE(at(t, 0, 0), 1);
    }

    void frequencyCoarsensBlueFirst()
    {
        // 2050 colours: 1025 red-green pairs, each with blue 0 and 1.
        QImage img(2050, 1, QImage::Format_RGB32);
        for (int i = 0; i < 2050; ++i) {
            const int p = i / 2;
            img.setPixel(i, 0, rgb(p % 256, p / 256, i % 2));
        }
        const Result r = parse(BitmapToStream(*deep(img), PixelFormat::pf8bit, rmFrequency));
        for (int p = 0; p < 256; ++p)
            QCOMPARE(r.palette[p] & 0xFFFFFF, rgb(p, 0, 0) & 0xFFFFFF);
        QCOMPARE(at(r, 0, 0), 0);
        QCOMPARE(at(r, 1, 0), 0);   // blue 1 joined blue 0
        QCOMPARE(at(r, 511, 0), 255);
        QCOMPARE(at(r, 600, 0), 44); // (44, 1, 0) is nearest to (44, 0, 0)
    }

    void quantizing()
    {
        QImage one(4, 3, QImage::Format_RGB32);
        one.fill(rgb(200, 100, 40));
        Result r = parse(BitmapToStream(*deep(one), PixelFormat::pf8bit, rmQuantize));
        QCOMPARE(r.used, 1u);
        QCOMPARE(r.palette[0] & 0xFFFFFF, rgb(207, 111, 47) & 0xFFFFFF); // levels 12, 6, 2: 16 L + 15
        QCOMPARE(r.palette[1] & 0xFFFFFF, 0u);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                QCOMPARE(at(r, x, y), 0);
        // Black three times and white once: split along red into two boxes; the dark box becomes black.
        r = parse(BitmapToStream(*row({rgb(0, 0, 0), rgb(0, 0, 0), rgb(0, 0, 0), rgb(255, 255, 255)}),
                                 PixelFormat::pf8bit, rmQuantize));
        QCOMPARE(r.used, 2u);
        QCOMPARE(r.palette[0] & 0xFFFFFF, 0u);
        QCOMPARE(r.palette[1] & 0xFFFFFF, rgb(255, 255, 255) & 0xFFFFFF);
        QCOMPARE(at(r, 0, 0), 0);
        QCOMPARE(at(r, 3, 0), 1);
        // Three cells on the red axis with counts 1, 1, 2: half of 4 takes the first two cells.
        r = parse(BitmapToStream(*row({rgb(0, 0, 0), rgb(0x80, 0, 0), rgb(0xF0, 0, 0), rgb(0xF0, 0, 0)}),
                                 PixelFormat::pf8bit, rmQuantize));
        QCOMPARE(r.used, 3u);
        QCOMPARE(at(r, 0, 0), at(r, 0, 0));
        QCOMPARE(at(r, 2, 0), at(r, 3, 0));
        QVERIFY(at(r, 0, 0) != at(r, 1, 0));
        QCOMPARE(r.palette[at(r, 1, 0)] & 0xFFFFFF, rgb(0x8F, 15, 15) & 0xFFFFFF);
        QCOMPARE(r.palette[at(r, 2, 0)] & 0xFFFFFF, rgb(0xFF, 15, 15) & 0xFFFFFF);
    }

    // Every method tells how far it is through the rows and stops when progress raises.
    void reductionsReportProgressAndStop()
    {
        QImage img(300, 700, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, qRgb(x & 255, y & 255, (x * y) & 255));
        const auto bitmap = deep(img);
        for (uint8_t method : {rmFrequency, rmQuantize, rmTruncate784, rmTruncate666, rmTripel, rmGrayscale}) {
            QList<int> seen;
            const QByteArray whole = BitmapToStream(*bitmap, PixelFormat::pf8bit, method, [&](int p) { seen << p; });
            QCOMPARE(whole, BitmapToStream(*bitmap, PixelFormat::pf8bit, method));
            QVERIFY(seen.size() >= 10);
            QVERIFY(std::all_of(seen.begin(), seen.end(), [](int p) { return p >= 0 && p < 100; }));
            QVERIFY(std::find(seen.begin(), seen.end(), 91) != seen.end()); // row 640 of 700
            int calls = 0;
            try {
                BitmapToStream(*bitmap, PixelFormat::pf8bit, method, [&](int p) {
                    ++calls;
                    if (p >= 50)
                        throw platform::Abort();
                });
                QFAIL("not stopped");
            } catch (const platform::Abort &) {
            }
            QCOMPARE(calls, 7); // rows 0, 64, ..., 384
        }
    }

    void formatsAndShortcuts()
    {
        QImage idx(2, 1, QImage::Format_Indexed8);
        idx.setColorTable({rgb(1, 2, 3), rgb(250, 0, 0)});
        idx.scanLine(0)[0] = 0;
        idx.scanLine(0)[1] = 1;
        Bitmap eight;
        eight.SetIndexedImage(idx, PixelFormat::pf8bit);
        QCOMPARE(BitmapToStream(eight, PixelFormat::pf8bit, rmFrequency), eight.BitmapFile());
        const Result gray = parse(BitmapToStream(eight, PixelFormat::pf8bit, rmGrayscale));
        QCOMPARE(at(gray, 1, 0), 75); // 77 x 250 shr 8

        auto colours = row({rgb(255, 0, 0), rgb(0, 0, 0)});
        QCOMPARE(parse(BitmapToStreamByColours(*colours, 2)).bits, 1);
        QCOMPARE(parse(BitmapToStreamByColours(*colours, 16)).bits, 4);
        QCOMPARE(parse(BitmapToStreamByColours(*colours, 256)).bits, 8);
        QCOMPARE(uint8_t(BitmapToStreamByColours(*colours, 1000)[28]), uint8_t(24));
        const Result four = parse(BitmapToStream(*colours, PixelFormat::pf4bit, rmFrequency));
        QCOMPARE(four.palette[at(four, 0, 0)] & 0xFFFFFF, rgb(255, 0, 0) & 0xFFFFFF);

        qsizetype info = 0, image = 0;
        GetDIBSizes(*colours, info, image, PixelFormat::pf4bit);
        QCOMPARE(info, qsizetype(40 + 64));
        QCOMPARE(image, qsizetype(4));
        QCOMPARE(DIBFromBitmap(*colours, PixelFormat::pf24bit).size(), 54 + 8);

        try {
            BitmapToStream(Bitmap(), PixelFormat::pf8bit, rmFrequency);
            QFAIL("no error");
        } catch (const platform::InvalidGraphic &e) {
            QCOMPARE(e.message(), QStringLiteral("Bitmap image is not valid"));
        }
        k5test::Answerer answers;
        QVERIFY_THROWS_EXCEPTION(platform::Abort, BitmapToStream(*colours, PixelFormat::pf32bit, rmFrequency));
        QCOMPARE(answers.Texts(), QStringList{"Function not yet implemented"});
    }
};

K5_TEST_MAIN(TestQvReduce)
#include "test_qvreduce.moc"
