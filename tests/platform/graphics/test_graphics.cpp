// Bitmaps, bitmap files, JPEG pictures, the picture container's format registry and clipboard formats.
#include "platform/error.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/clipboard.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/picture.h"

#include "k5test.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>
#include <functional>

using namespace platform;

namespace {

// Bytes written as hexadecimal digits with blanks.
QByteArray bytes(const char *hex) { return QByteArray::fromHex(QByteArray(hex).replace(' ', "")); }

// A bitmap file header and info header for hand-built files.
QByteArray headers(int width, int height, int bits, int compression, quint32 offset, int clrUsed = 0)
{
    QByteArray out = bytes("42 4d 00 00 00 00 00 00 00 00");
    auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char(v >> (8 * i)));
    };
    u32(offset);
    u32(40);
    u32(quint32(width));
    u32(quint32(height));
    out.append(char(1)).append(char(0)).append(char(bits)).append(char(0));
    u32(quint32(compression));
    u32(0);
    u32(0);
    u32(0);
    u32(quint32(clrUsed));
    u32(0);
    return out;
}

QImage sample(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 40 % 256, y * 60 % 256, (x + y) * 25 % 256));
    return img;
}

} // namespace

class TestGraphics : public QObject {
    Q_OBJECT

private slots:
    void bytesPerScanlinePadsToTheAlignment()
    {
        QCOMPARE(BytesPerScanline(1, 1, 32), qsizetype(4));
        QCOMPARE(BytesPerScanline(33, 1, 32), qsizetype(8));
        QCOMPARE(BytesPerScanline(3, 24, 32), qsizetype(12));
        QCOMPARE(BytesPerScanline(5, 4, 8), qsizetype(3));
    }

    void writesGoldenBitmapFiles()
    {
        // 2 x 2 at 24 bits: rows bottom-up as blue, green, red, each padded to 8 bytes.
        QImage img(2, 2, QImage::Format_RGB32);
        img.setPixel(0, 0, qRgb(255, 0, 0));
        img.setPixel(1, 0, qRgb(0, 255, 0));
        img.setPixel(0, 1, qRgb(0, 0, 255));
        img.setPixel(1, 1, qRgb(1, 2, 3));
        Bitmap b;
        b.SetImage(img);
        QByteArray expected = headers(2, 2, 24, 0, 54);
        expected[2] = char(70);
        expected[34] = char(16); // image size
        expected.append(bytes("ff 00 00 03 02 01 00 00 00 00 ff 00 ff 00 00 00"));
        QCOMPARE(b.BitmapFile(PixelFormat::pf24bit), expected);

        // 3 x 1 at 4 bits with a 16-entry table.
        QImage idx(3, 1, QImage::Format_Indexed8);
        idx.setColorTable({qRgb(0, 0, 0), qRgb(10, 20, 30), qRgb(40, 50, 60)});
        idx.scanLine(0)[0] = 1;
        idx.scanLine(0)[1] = 2;
        idx.scanLine(0)[2] = 1;
        Bitmap four;
        four.SetIndexedImage(idx, PixelFormat::pf4bit);
        const QByteArray file = four.BitmapFile();
        QCOMPARE(file.size(), 14 + 40 + 64 + 4);
        QCOMPARE(file.mid(54 + 4, 8), bytes("1e 14 0a 00 3c 32 28 00"));
        QCOMPARE(file.mid(54 + 64), bytes("12 10 00 00"));
    }

    void bitmapFilesRoundTripInEveryFormat()
    {
        const QImage img = sample(13, 7);
        for (PixelFormat pf : {PixelFormat::pf1bit, PixelFormat::pf4bit, PixelFormat::pf8bit, PixelFormat::pf24bit,
                               PixelFormat::pf32bit}) {
            Bitmap b;
            b.SetImage(img);
            b.SetPixelFormat(pf);
            QCOMPARE(b.GetPixelFormat(), pf);
            Bitmap back;
            back.LoadFromBitmapFile(b.BitmapFile());
            QCOMPARE(back.GetPixelFormat(), pf);
            QCOMPARE(back.Width(), 13);
            QCOMPARE(back.Height(), 7);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 13; ++x)
                    QCOMPARE(back.PixelColor(x, y) & 0xFFFFFF, b.PixelColor(x, y) & 0xFFFFFF);
        }
    }

    void readsTopDownAndBitFieldFiles()
    {
        // 2 x 2, 32 bits, top-down (negative height).
        QByteArray top = headers(2, -2, 32, 0, 54);
        top.append(bytes("00 00 ff 00 00 ff 00 00 ff 00 00 00 09 09 09 00"));
        Bitmap b;
        b.LoadFromBitmapFile(top);
        QCOMPARE(b.PixelColor(0, 0) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
        QCOMPARE(b.PixelColor(0, 1) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF);
        // 1 x 1, 16 bits 5-6-5 through bit-field masks.
        QByteArray sixteen = headers(1, 1, 16, 3, 66);
        sixteen.append(bytes("00 f8 00 00 e0 07 00 00 1f 00 00 00"));
        sixteen.append(bytes("1f f8 00 00")); // red and blue full
        b.LoadFromBitmapFile(sixteen);
        QCOMPARE(b.PixelColor(0, 0) & 0xFFFFFF, qRgb(255, 0, 255) & 0xFFFFFF);
        // An 8-bit file with a short palette: values beyond it name black, not memory beyond the table.
        QByteArray shortTable = headers(2, 1, 8, 0, 58, 1);
        shortTable.append(bytes("0a 14 1e 00 00 c8 00 00"));
        b.LoadFromBitmapFile(shortTable);
        QCOMPARE(b.ColorTable().size(), 256);
        QCOMPARE(b.PixelColor(0, 0) & 0xFFFFFF, qRgb(30, 20, 10) & 0xFFFFFF);
        QCOMPARE(b.PixelColor(1, 0) & 0xFFFFFF, 0u);
    }

    // Masks of any width scale to 0..255, also those wider than 24 bits.
    void wideBitFieldMasks()
    {
        QByteArray file = headers(1, 1, 32, 3, 66);
        file.append(bytes("ff ff ff ff 00 ff 00 00 00 00 00 00"));
        file.append(bytes("ff ff ff ff"));
        Bitmap b;
        b.LoadFromBitmapFile(file);
        QCOMPARE(b.PixelColor(0, 0) & 0xFFFFFF, qRgb(255, 255, 0) & 0xFFFFFF);
    }

    void damagedBitmapFilesRaise_data()
    {
        QTest::addColumn<QByteArray>("file");
        QByteArray good = headers(2, 2, 24, 0, 54);
        good.append(QByteArray(16, '\0'));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not BM") << QByteArray("XM").append(good.mid(2));
        QTest::newRow("pixels cut short") << good.left(60);
        QTest::newRow("header cut short") << good.left(30);
        QTest::newRow("run-length coded") << headers(2, 2, 8, 1, 54).append(QByteArray(64, '\0'));
        QTest::newRow("odd bit count") << headers(2, 2, 7, 0, 54).append(QByteArray(64, '\0'));
        QTest::newRow("huge") << headers(1 << 20, 2, 24, 0, 54).append(QByteArray(64, '\0'));
        QTest::newRow("offset beyond the file") << headers(2, 2, 24, 0, 5000).append(QByteArray(16, '\0'));
        // Sizes that describe no pixels, or more than the file holds.
        QTest::newRow("no width") << headers(0, 2, 8, 0, 54 + 1024).append(QByteArray(1024, '\0'));
        QTest::newRow("no width at 1 bit") << headers(0, 2, 1, 0, 62).append(QByteArray(8, '\0'));
        QTest::newRow("no height") << headers(2, 0, 24, 0, 54).append(QByteArray(16, '\0'));
        QTest::newRow("negative width") << headers(-2, 2, 24, 0, 54).append(QByteArray(16, '\0'));
        QTest::newRow("most negative height") << headers(2, INT_MIN, 24, 0, 54).append(QByteArray(16, '\0'));
        QTest::newRow("palette beyond the file") << headers(2, 1, 8, 0, 54 + 1024).append(QByteArray(12, '\0'));
        QTest::newRow("rows beyond the data") << headers(32768, 32768, 1, 0, 62).append(QByteArray(4096, '\0'));
    }
    void damagedBitmapFilesRaise()
    {
        QFETCH(QByteArray, file);
        Bitmap b(3, 3, PixelFormat::pf24bit);
        try {
            b.LoadFromBitmapFile(file);
            QFAIL("no error");
        } catch (const InvalidGraphic &e) {
            QCOMPARE(e.message(), QStringLiteral("Bitmap image is not valid"));
        }
        QCOMPARE(b.Width(), 3); // the bitmap is unchanged
    }

    void convertsBetweenFormatsAndImages()
    {
        Bitmap b;
        QImage mono(9, 2, QImage::Format_Mono);
        mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        mono.fill(1);
        mono.setPixel(3, 1, 0);
        b.SetImage(mono);
        QCOMPARE(b.GetPixelFormat(), PixelFormat::pf1bit);
        QVERIFY(b.Monochrome());
        QCOMPARE(b.PixelColor(3, 1) & 0xFFFFFF, 0u);
        // Deep colours map to the nearest of the sixteen standard colours at 4 bits.
        QImage rgb(2, 1, QImage::Format_RGB32);
        rgb.setPixel(0, 0, qRgb(250, 10, 5));
        rgb.setPixel(1, 0, qRgb(120, 130, 125));
        b.SetImage(rgb);
        QCOMPARE(b.GetPixelFormat(), PixelFormat::pfDevice);
        b.SetPixelFormat(PixelFormat::pf4bit);
        QCOMPARE(b.ColorTable().size(), 16);
        QCOMPARE(b.PixelColor(0, 0) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
        QCOMPARE(b.PixelColor(1, 0) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);
        // The transparent colour is the bottom-left pixel unless one is set.
        QCOMPARE(b.TransparentColor(), RGBColor(255, 0, 0));
        b.SetTransparentColor(RGBColor(128, 128, 128));
        const QImage keyed = b.KeyedImage(b.TransparentColor()).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(keyed.pixel(1, 0)), 0);
        QCOMPARE(qAlpha(keyed.pixel(0, 0)), 255);
        // Resizing keeps the pixels that still fit.
        b.SetSize(3, 2);
        QCOMPARE(b.PixelColor(0, 0) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
        QCOMPARE(b.Width(), 3);
    }

    void jpegPicturesRoundTripAndRejectDamage()
    {
        const QString dir = k5test::Root() + QStringLiteral("/jpeg");
        QDir().mkpath(dir);
        Bitmap b;
        QImage img(32, 16, QImage::Format_RGB32);
        img.fill(qRgb(200, 40, 40));
        b.SetImage(img);
        JpegImage jpeg;
        jpeg.Assign(&b);
        jpeg.SaveToFile(dir + QStringLiteral("/red.jpg"));
        const QByteArray saved = k5test::ReadFile(dir + QStringLiteral("/red.jpg"));
        QVERIFY(saved.startsWith("\xFF\xD8"));

        Picture pic;
        pic.LoadFromFile(dir + QStringLiteral("/red.jpg"));
        QCOMPARE(pic.GetGraphic()->ClassName(), QStringLiteral("TJPEGImage"));
        QCOMPARE(pic.Width(), 32);
        const QRgb c = pic.GetBitmap()->PixelColor(10, 10);
        QVERIFY(qAbs(qRed(c) - 200) < 8 && qAbs(qGreen(c) - 40) < 8);
        // The bytes as loaded are saved again unchanged.
        JpegImage again;
        again.LoadFromBytes(saved);
        QCOMPARE(again.SaveToBytes(), saved);

        JpegImage broken;
        broken.LoadFromBytes(saved);
        try {
            broken.LoadFromBytes(saved.left(20));
            QFAIL("no error");
        } catch (const InvalidGraphic &e) {
            QVERIFY(e.message().startsWith(QStringLiteral("JPEG error")));
        }
        QCOMPARE(broken.Width(), 32); // the picture as it was
    }

    void pictureChoosesTheClassByExtension()
    {
        const QString dir = k5test::Root() + QStringLiteral("/pictures");
        QDir().mkpath(dir);
        Bitmap b;
        b.SetImage(sample(5, 4));
        b.SaveToFile(dir + QStringLiteral("/a.BMP"));
        Picture pic;
        int changes = 0;
        pic.OnChange = [&](Graphic *) { ++changes; };
        pic.LoadFromFile(dir + QStringLiteral("/a.BMP"));
        QCOMPARE(pic.GetGraphic()->ClassName(), QStringLiteral("TBitmap"));
        QCOMPARE(pic.Height(), 4);
        QCOMPARE(changes, 1);
        try {
            pic.LoadFromFile(dir + QStringLiteral("/a.xyz"));
            QFAIL("no error");
        } catch (const InvalidGraphic &e) {
            QCOMPARE(e.message(), QStringLiteral("Unknown picture file extension (.xyz)"));
        }
        QCOMPARE(pic.Height(), 4);

        const QString filter = Picture::GraphicFilter();
        QVERIFY(filter.contains(QStringLiteral("JPEG Image File (*.jpg)")));
        QVERIFY(filter.contains(QStringLiteral("JPEG Image File (*.jpeg)")));
        QVERIFY(filter.startsWith(QStringLiteral("All (*.bmp")));
        QCOMPARE(Picture::GraphicExtension(QStringLiteral("TJPEGImage")), QStringLiteral("jpg"));

        // A class registered later serves its extension; unregistering forgets it.
        Picture::RegisterFileFormat(QStringLiteral("dib"), QStringLiteral("Device Bitmaps"), QStringLiteral("TDib"),
                                    [] { return std::make_unique<Bitmap>(); });
        b.SaveToFile(dir + QStringLiteral("/b.dib"));
        pic.LoadFromFile(dir + QStringLiteral("/b.dib"));
        QCOMPARE(pic.Width(), 5);
        Picture::UnregisterGraphicClass(QStringLiteral("TDib"));
        QVERIFY(!Picture::GraphicFilter().contains(QStringLiteral("dib")));
    }

    // Saving over a picture replaces the file whole: a second name made before the save keeps the old
    // bytes, for every class and through the picture container.
    void savingOverAFileReplacesIt()
    {
        const QString dir = k5test::Root() + QStringLiteral("/pictures/over");
        Bitmap b;
        b.SetImage(sample(6, 3));
        JpegImage jpeg;
        jpeg.Assign(&b);
        Picture pic;
        pic.SetGraphic(&b);
        const QList<std::pair<QString, std::function<void(const QString &)>>> savers = {
            {QStringLiteral("a.bmp"), [&](const QString &p) { b.SaveToFile(p); }},
            {QStringLiteral("a.jpg"), [&](const QString &p) { jpeg.SaveToFile(p); }},
            {QStringLiteral("b.bmp"), [&](const QString &p) { pic.SaveToFile(p); }},
        };
        for (const auto &[name, save] : savers) {
            const QString path = k5test::WriteFile(dir + QLatin1Char('/') + name, "old picture");
            k5test::HardLink old(path);
            QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
            save(path);
            QCOMPARE(old.Bytes(), QByteArray("old picture"));
            QVERIFY2(k5test::ReadFile(path).size() > 100, qPrintable(name));
        }
        // A save that cannot be made raises and leaves nothing behind.
        k5test::WriteFile(dir + QStringLiteral("/plain"), "a file, not a folder");
        try {
            b.SaveToFile(dir + QStringLiteral("/plain/c.bmp"));
            QFAIL("no error");
        } catch (const FileError &) {
        }
        QCOMPARE(k5test::ReadFile(dir + QStringLiteral("/plain")), QByteArray("a file, not a folder"));
    }

    void clipboardFormatsByName()
    {
        const ClipboardFormat gif = RegisterClipboardFormat(QStringLiteral("Test Image"));
        QVERIFY(gif >= 0xC000);
        QCOMPARE(RegisterClipboardFormat(QStringLiteral("test image")), gif);
        QVERIFY(RegisterClipboardFormat(QStringLiteral("Other")) != gif);
        QCOMPARE(ClipboardFormatName(gif), QStringLiteral("Test Image"));
        QCOMPARE(ClipboardFormatMime(gif), QStringLiteral("application/x-kestrova-test-image"));
        QCOMPARE(RegisterClipboardFormat(QString()), 0u);

        auto *data = new QMimeData;
        SetFormatData(*data, gif, "payload");
        Bitmap b;
        b.SetImage(sample(3, 3));
        b.SaveToClipboardFormat(*data);
        SetClipboardData(data);
        QVERIFY(ClipboardHasFormat(gif));
        QVERIFY(ClipboardHasFormat(CF_BITMAP));
        QCOMPARE(FormatData(*ClipboardData(), gif), QByteArray("payload"));
        Picture pic;
        QVERIFY(!Picture::SupportsClipboardFormat(gif));
        pic.LoadFromClipboardFormat(*ClipboardData());
        QCOMPARE(pic.GetGraphic()->ClassName(), QStringLiteral("TBitmap"));
        QCOMPARE(pic.Width(), 3);
    }
};

K5_TEST_MAIN(TestGraphics)
#include "test_graphics.moc"
