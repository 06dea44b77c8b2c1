// The GIF display control: its reader on files built here byte by byte (cross-checked with giflib's
// tools and ImageMagick), its frames, status codes and animation, and its GIF89a writer read back by
// giflib, ImageMagick and itself.
#include "tools/media/gifimage.h"

#include "k5test.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using media::TGIFFrameInfo;
using media::TGIFImage;

namespace {

// Builds GIF files block by block. Image data is written as literal codes with a clear code before the
// code size would grow: plain, and independent of any encoder under test.
class GifBuilder {
public:
    explicit GifBuilder(int width, int height, int tableBits = 2, const char *version = "GIF89a")
    {
        bytes_.append(version);
        put16(width);
        put16(height);
        if (tableBits > 0) {
            bytes_.append(char(0x80 | (tableBits - 1)));
            bytes_.append(2, '\0');
            table(1 << tableBits);
        } else {
            bytes_.append(3, '\0');
        }
    }
    GifBuilder &control(int disposal, int delay, bool transparent, int index)
    {
        bytes_.append("\x21\xF9\x04", 3);
        bytes_.append(char(disposal << 2 | (transparent ? 1 : 0)));
        put16(delay);
        bytes_.append(char(index));
        bytes_.append('\0');
        return *this;
    }
    GifBuilder &comment(const QByteArray &text)
    {
        bytes_.append("\x21\xFE", 2);
        subBlocks(text);
        return *this;
    }
    GifBuilder &loop(int count)
    {
        bytes_.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        put16(count);
        bytes_.append('\0');
        return *this;
    }
    GifBuilder &raw(const QByteArray &more)
    {
        bytes_.append(more);
        return *this;
    }
    // A frame of the given pixels (row by row), with a local table of 2^localBits entries when given.
    GifBuilder &image(int left, int top, int width, int height, const QByteArray &pixels, int localBits = 0,
                      bool interlaced = false, int minCodeSize = 2)
    {
        bytes_.append('\x2C');
        put16(left);
        put16(top);
        put16(width);
        put16(height);
        bytes_.append(char((localBits ? 0x80 | (localBits - 1) : 0) | (interlaced ? 0x40 : 0)));
        if (localBits)
            table(1 << localBits, 0x40);
        QByteArray stored = pixels;
        if (interlaced) {
            int out = 0;
            for (int pass = 0; pass < 4; ++pass) {
                static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
                for (int y = start[pass]; y < height; y += step[pass])
                    stored.replace(out++ * width, width, pixels.mid(y * width, width));
            }
        }
        bytes_.append(char(minCodeSize));
        subBlocks(literalCodes(stored, std::clamp(minCodeSize, 2, 8)));
        return *this;
    }
    QByteArray finish() const { return bytes_ + '\x3B'; }
    QByteArray bytes() const { return bytes_; }

    static QByteArray literalCodes(const QByteArray &pixels, int minCodeSize)
    {
        const int clear = 1 << minCodeSize, size = minCodeSize + 1;
        QByteArray out;
        quint32 acc = 0;
        int bits = 0;
        auto put = [&](int code) {
            acc |= quint32(code) << bits;
            bits += size;
            while (bits >= 8) {
                out.append(char(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        };
        for (int i = 0; i < pixels.size(); ++i) {
            if (i % (clear - 2) == 0)
                put(clear);
            put(uchar(pixels[i]));
        }
        put(clear + 1);
        if (bits)
            out.append(char(acc & 0xFF));
        return out;
    }

private:
    void put16(int v)
    {
        bytes_.append(char(v & 0xFF));
        bytes_.append(char(v >> 8 & 0xFF));
    }
    void table(int entries, int shift = 0)
    {
        for (int i = 0; i < entries; ++i) {
            bytes_.append(char(i * 50 + shift));
            bytes_.append(char(255 - i * 50));
            bytes_.append(char(i * 20 + shift));
        }
    }
    void subBlocks(const QByteArray &data)
    {
        for (int at = 0; at < data.size(); at += 255) {
            const QByteArray part = data.mid(at, 255);
            bytes_.append(char(part.size()));
            bytes_.append(part);
        }
        bytes_.append('\0');
    }
    QByteArray bytes_;
};

QRgb globalColour(int i) { return qRgb(i * 50, 255 - i * 50, i * 20); }
QRgb localColour(int i) { return qRgb(i * 50 + 0x40, 255 - i * 50, i * 20 + 0x40); }

QByteArray pattern(int width, int height, int colours)
{
    QByteArray p;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.append(char((x + 2 * y) % colours));
    return p;
}

QString writeTemp(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

// Runs a tool; its standard output, or a null array when it fails or is missing.
QByteArray run(const QString &program, const QStringList &args)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return QByteArray();
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QByteArray();
    const QByteArray out = p.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// ImageMagick's view of a file: one line per frame, "width height delay-in-hundredths".
QByteArray magickFrames(const QString &path)
{
    return run("identify", {"-format", "%w %h %T\\n", path});
}

// ImageMagick's pixels of the first frame as RGB bytes.
QByteArray magickPixels(const QString &path)
{
    return run("convert", {path + "[0]", "-depth", "8", "rgb:-"});
}

QByteArray rgbOf(const QImage &img)
{
    QByteArray out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            out.append(char(qRed(c)));
            out.append(char(qGreen(c)));
            out.append(char(qBlue(c)));
        }
    return out;
}

} // namespace

class TestGifImage : public QObject {
    Q_OBJECT

private slots:
    // A comment reads as UTF-8 when it is, else as the Windows-1252 bytes older files hold.
    void commentsReadAsTheyWereMeant()
    {
        for (const QByteArray &bytes : {QByteArray("Caf\xC3\xA9 \xE2\x82\xAC" "5"), QByteArray("Caf\xE9 \x80" "5")}) {
            TGIFImage gif;
            QVERIFY(gif.LoadFromData(GifBuilder(2, 2).comment(bytes).image(0, 0, 2, 2, pattern(2, 2, 4)).finish()));
            TGIFFrameInfo info;
            QVERIFY(gif.GetFrameInfo(1, info));
            QCOMPARE(info.Comment, QStringLiteral("Café €5"));
        }
    }

    void readsEveryFrameAsGiflibAndImageMagickDo()
    {
        QTemporaryDir dir;
        const QByteArray first = pattern(6, 5, 4), second = pattern(3, 9, 4);
        const QByteArray bytes = GifBuilder(8, 10)
                                     .loop(3)
                                     .comment("first frame")
                                     .control(2, 7, true, 1)
                                     .image(1, 0, 6, 5, first)
                                     .control(1, 12, false, 0)
                                     .image(5, 1, 3, 9, second, 2, true)
                                     .finish();
        const QString path = writeTemp(dir, "two.gif", bytes);
        QVERIFY(!run("giftext", {path}).isNull());
        QCOMPARE(magickFrames(path), QByteArray("6 5 7\n3 9 12\n"));

        TGIFImage gif;
        QVERIFY(gif.LoadFromFile(path));
        QCOMPARE(gif.Status(), int(media::gsNone));
        QCOMPARE(gif.StatusText(), QString("None"));
        QCOMPARE(gif.Version(), QString("89a"));
        QCOMPARE(gif.FrameCount(), 2);
        QCOMPARE(gif.LoopCount(), 3);
        QCOMPARE(gif.ScreenWidth(), 8);
        QCOMPARE(gif.ScreenHeight(), 10);
        QCOMPARE(gif.Data(), bytes);
        TGIFFrameInfo a, b;
        QVERIFY(gif.GetFrameInfo(1, a));
        QVERIFY(gif.GetFrameInfo(2, b));
        QCOMPARE(QRect(a.Left, a.Top, a.Width, a.Height), QRect(1, 0, 6, 5));
        QCOMPARE(a.Delay, 70);
        QCOMPARE(a.DisposalMethod, 2);
        QVERIFY(a.Transparent);
        QCOMPARE(a.TransparentColor, globalColour(1));
        QCOMPARE(a.Comment, QString("first frame"));
        QCOMPARE(QRect(b.Left, b.Top, b.Width, b.Height), QRect(5, 1, 3, 9));
        QVERIFY(b.Interlaced);
        QVERIFY(!b.Transparent);
        QVERIFY(b.Comment.isEmpty());
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const int i = first[y * 6 + x];
                QCOMPARE(a.Bitmap.pixel(x, y) | (i == 1 ? 0 : 0xFF000000u), i == 1 ? globalColour(1) & 0xFFFFFF : globalColour(i));
            }
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(b.Bitmap.pixel(x, y), localColour(second[y * 3 + x]));
        // The frames agree with ImageMagick's pixels of the first frame.
        const QByteArray magick = magickPixels(writeTemp(dir, "one.gif", GifBuilder(6, 5).image(0, 0, 6, 5, first).finish()));
        if (!magick.isNull()) {
            TGIFImage one;
            QVERIFY(one.LoadFromFile(dir.filePath("one.gif")));
            QCOMPARE(rgbOf(one.ToBitmap()), magick);
        }
    }

    void failuresGiveTheirStatusAndKeepThePicture()
    {
        QTemporaryDir dir;
        TGIFImage gif;
        QVERIFY(gif.LoadFromData(GifBuilder(2, 2).image(0, 0, 2, 2, pattern(2, 2, 4)).finish()));
        const QByteArray good = gif.Data();
        auto fails = [&](const QByteArray &bytes, int status) {
            if (gif.LoadFromData(bytes))
                return false;
            return gif.Status() == status && gif.FrameCount() == 1 && gif.Data() == good;
        };
        QVERIFY(!gif.LoadFromFile(dir.filePath("missing.gif")));
        QCOMPARE(gif.Status(), int(media::gsFileNotFound));
        QCOMPARE(gif.StatusText(), QString("File not Found"));
        QVERIFY(fails("PNG89a" + QByteArray(20, '\0'), media::gsInvalidFormat));
        QCOMPARE(gif.StatusText(), QString("Invalid File Format"));
        QVERIFY(fails("GIF89a", media::gsInvalidFormat));
        QVERIFY(fails(GifBuilder(2, 2).finish(), media::gsInvalidFormat)); // no image at all
        // LZW minimum code sizes outside 2..9.
        QVERIFY(fails(GifBuilder(2, 2).image(0, 0, 2, 2, pattern(2, 2, 2), 0, false, 1).finish(), media::gsInvalidFormat));
        QVERIFY(fails(GifBuilder(2, 2).image(0, 0, 2, 2, pattern(2, 2, 2), 0, false, 10).finish(), media::gsInvalidFormat));
        // Image data cut short, and an image far larger than its data could ever fill.
        QByteArray cut = GifBuilder(40, 40).image(0, 0, 40, 40, pattern(40, 40, 4)).bytes();
        cut.chop(30);
        QVERIFY(fails(cut, media::gsInvalidFormat));
        QVERIFY(fails(GifBuilder(0xFFFF, 0xFFFF).image(0, 0, 0xFFFF, 0xFFFF, pattern(2, 2, 4)).finish(),
                      media::gsInvalidFormat));
        // Image data whose end code comes before the frame is full, read straight or interlaced.
        for (bool interlaced : {false, true})
            QVERIFY(fails(GifBuilder(4, 4).image(0, 0, 4, 4, pattern(4, 2, 4), 0, interlaced).finish(),
                          media::gsInvalidFormat));
        // A block introducer nobody knows before any image.
        QVERIFY(fails(GifBuilder(2, 2).raw("\x55\x01\x02").image(0, 0, 2, 2, pattern(2, 2, 4)).finish(),
                      media::gsInvalidFormat));
        // Cancelled from the progress event.
        gif.OnProgress = [](QObject *, qint64, bool &proceed, int, qint64) { proceed = false; };
        QVERIFY(fails(GifBuilder(2, 2).image(0, 0, 2, 2, pattern(2, 2, 4)).finish(), media::gsCancelled));
        gif.OnProgress = nullptr;
        // Frame access outside the frames.
        TGIFFrameInfo info;
        QVERIFY(!gif.GetFrameInfo(0, info));
        QCOMPARE(gif.Status(), int(media::gsIndexOutOfBounds));
        QVERIFY(info.Bitmap.isNull());
        QCOMPARE(info.Width, 0);
        QVERIFY(!gif.GetFrameInfo(2, info));
        gif.SetCurrentFrame(2);
        QCOMPARE(gif.Status(), int(media::gsIndexOutOfBounds));
        QCOMPARE(gif.CurrentFrame(), 1);
    }

    void blocksAreSkippedByTheirSizes()
    {
        TGIFImage gif;
        const QByteArray px = pattern(2, 2, 4);
        // An unknown extension label, a plain text block and an application block of another size, each
        // with sub-blocks that look like images.
        const QByteArray fake = QByteArray("\x03\x2C\x2C\x2C\x02\x21\xF9", 7) + '\0';
        const QByteArray bytes = GifBuilder(2, 2)
                                     .raw("\x21\x99" + fake)
                                     .raw("\x21\x01\x0C" + QByteArray(12, '\x2C') + fake)
                                     .raw("\x21\xFF\x05" + QByteArray("\x2C\x2C\x2C\x2C\x2C", 5) + fake)
                                     .image(0, 0, 2, 2, px)
                                     .finish();
        QVERIFY(gif.LoadFromData(bytes));
        QCOMPARE(gif.FrameCount(), 1);
        QCOMPARE(gif.LoopCount(), 0);
        QTemporaryDir dir;
        QCOMPARE(magickFrames(writeTemp(dir, "ext.gif", bytes)), QByteArray("2 2 0\n"));
        // An unknown introducer after an image ends the reading; the image read stands.
        QVERIFY(gif.LoadFromData(GifBuilder(2, 2).image(0, 0, 2, 2, px).raw("\x55garbage").image(0, 0, 2, 2, px).finish()));
        QCOMPARE(gif.FrameCount(), 1);
        // So does an extension cut short.
        QVERIFY(gif.LoadFromData(GifBuilder(2, 2).image(0, 0, 2, 2, px).raw("\x21\xFE\x30" "abc").bytes()));
        QCOMPARE(gif.FrameCount(), 1);
    }

    void transparencyAndFramesBeyondTheScreen()
    {
        TGIFImage gif;
        // A transparent index beyond the 4-entry table clears the transparency.
        QVERIFY(gif.LoadFromData(GifBuilder(2, 2).control(0, 0, true, 9).image(0, 0, 2, 2, pattern(2, 2, 4)).finish()));
        TGIFFrameInfo info;
        QVERIFY(gif.GetFrameInfo(1, info));
        QVERIFY(!info.Transparent);
        QCOMPARE(info.Bitmap.pixel(1, 0), globalColour(1));
        // A frame reaching past the 4 x 4 screen, and one wholly beyond it, keep all their pixels: the
        // screen grows to hold them.
        const QByteArray px = pattern(4, 4, 4);
        QVERIFY(gif.LoadFromData(GifBuilder(4, 4).image(2, 3, 4, 4, px).image(9, 9, 2, 2, pattern(2, 2, 4)).finish()));
        QCOMPARE(gif.FrameCount(), 2);
        QVERIFY(gif.GetFrameInfo(1, info));
        QCOMPARE(QRect(info.Left, info.Top, info.Width, info.Height), QRect(2, 3, 4, 4));
        QCOMPARE(info.Bitmap.size(), QSize(4, 4));
        for (int i = 0; i < 16; ++i)
            QCOMPARE(info.Bitmap.pixel(i % 4, i / 4), globalColour(px[i]));
        QVERIFY(gif.GetFrameInfo(2, info));
        QCOMPARE(QRect(info.Left, info.Top, info.Width, info.Height), QRect(9, 9, 2, 2));
        QCOMPARE(info.Bitmap.pixel(1, 1), globalColour(pattern(2, 2, 4)[3]));
        QCOMPARE(gif.ScreenWidth(), 11);
        QCOMPARE(gif.ScreenHeight(), 11);
        // Data of minimum code size 9 (each pixel a root code, then a clear code) reads as well.
        QByteArray nine = QByteArray("GIF89a\x02\x00\x01\x00\x80\x00\x00", 13) + QByteArray::fromHex("ff0000 00ff00");
        nine += QByteArray(",\0\0\0\0\x02\0\x01\0\0", 10);
        // Codes of 10 bits: 512, 1, 512, 0, 512, 513.
        nine += QByteArray::fromHex("09 08 00 06 00 20 00 00 06 08 00") + ';';
        QVERIFY(gif.LoadFromData(nine));
        QVERIFY(gif.GetFrameInfo(1, info));
        QCOMPARE(info.Bitmap.pixel(0, 0), qRgb(0, 255, 0));
        QCOMPARE(info.Bitmap.pixel(1, 0), qRgb(255, 0, 0));
        // So does data that does not open with a clear code (codes 1, clear, 0, end of 3 bits).
        QByteArray noClear = nine.left(13 + 6 + 10);
        noClear += QByteArray::fromHex("02 02 21 0a 00") + ';';
        QVERIFY(gif.LoadFromData(noClear));
        QVERIFY(gif.GetFrameInfo(1, info));
        QCOMPARE(info.Bitmap.pixel(0, 0), qRgb(0, 255, 0));
        QCOMPARE(info.Bitmap.pixel(1, 0), qRgb(255, 0, 0));
    }

    void keepsAtMost256FramesAndTheFirstWhenAsked()
    {
        GifBuilder b(1, 1);
        for (int i = 0; i < 300; ++i)
            b.image(0, 0, 1, 1, QByteArray(1, char(i % 4)));
        TGIFImage gif;
        QVERIFY(gif.LoadFromData(b.finish()));
        QCOMPARE(gif.FrameCount(), 256);
        gif.SetFirstImageOnly(true);
        QVERIFY(gif.LoadFromData(b.finish()));
        QCOMPARE(gif.FrameCount(), 1);
        QCOMPARE(gif.Version(), QString("89a"));
        QVERIFY(gif.LoadFromData(GifBuilder(1, 1, 2, "GIF87a").image(0, 0, 1, 1, QByteArray(1, '\0')).finish()));
        QCOMPARE(gif.Version(), QString("87a"));
    }

    void animatesAndStopsAfterItsLoops()
    {
        TGIFImage gif;
        QVERIFY(gif.LoadFromData(GifBuilder(1, 1)
                                     .loop(2)
                                     .image(0, 0, 1, 1, QByteArray(1, '\0'))
                                     .image(0, 0, 1, 1, QByteArray(1, '\1'))
                                     .image(0, 0, 1, 1, QByteArray(1, '\2'))
                                     .finish()));
        int wraps = 0;
        gif.OnWrapAnimation = [&](QObject *) { ++wraps; };
        gif.SetSpeed(1000); // 50 ms frames shown for 5 ms
        QCOMPARE(gif.Timer().Interval(), 1000u); // not animating yet
        gif.SetAnimate(true);
        QCOMPARE(gif.Timer().Interval(), 5u);
        QVERIFY(gif.Timer().Enabled());
        QTRY_COMPARE(wraps, 2);
        QTRY_VERIFY(!gif.Timer().Enabled());
        QCOMPARE(gif.CurrentFrame(), 3);
        // Looping again restarts at the first frame.
        gif.SetLoop(true);
        QCOMPARE(gif.CurrentFrame(), 1);
        QTRY_VERIFY(wraps >= 4);
        gif.SetAnimate(false);
        QCOMPARE(gif.CurrentFrame(), 1);
        QVERIFY(!gif.Timer().Enabled());
    }

    void dataPropertyStoresTheFileWithItsCount()
    {
        TGIFImage gif;
        const QByteArray file = GifBuilder(2, 2).image(0, 0, 2, 2, pattern(2, 2, 4)).finish();
        QVERIFY(gif.LoadFromData(file));
        const QByteArray stored = gif.WriteDataProperty();
        QCOMPARE(stored.size(), file.size() + 4);
        QCOMPARE(quint8(stored[0]) | quint8(stored[1]) << 8, file.size());
        TGIFImage back;
        QVERIFY(back.ReadDataProperty(stored));
        QCOMPARE(back.Data(), file);
        QCOMPARE(back.FrameCount(), 1);
        // A count beyond the bytes, or bytes that are no GIF, change nothing.
        QVERIFY(!back.ReadDataProperty(stored.left(stored.size() - 1)));
        QCOMPARE(back.Status(), int(media::gsInvalidFormat));
        QVERIFY(!back.ReadDataProperty(QByteArray("\x03\0\0\0abc", 7)));
        QCOMPARE(back.Data(), file);
        QCOMPARE(back.FrameCount(), 1);
    }

    void paintsTheCurrentFrameAsPlaced()
    {
        // A 2 x 2 frame at 1,1 of a 3 x 3 screen (the screen's size is the frame's far corner), in a
        // 9 x 9 control on red.
        TGIFImage gif;
        QPalette pal = gif.palette();
        pal.setColor(QPalette::Window, Qt::red);
        gif.setPalette(pal);
        gif.resize(9, 9);
        const QByteArray px("\0\1\2\3", 4);
        QVERIFY(gif.LoadFromData(GifBuilder(3, 3).control(0, 0, true, 3).image(1, 1, 2, 2, px).finish()));
        auto at = [&](int x, int y) { return gif.grab().toImage().pixel(x, y) | 0xFF000000u; };
        QCOMPARE(at(0, 0), qRgb(255, 0, 0));
        QCOMPARE(at(1, 1), globalColour(0));
        QCOMPARE(at(2, 1), globalColour(1));
        QCOMPARE(at(2, 2), qRgb(255, 0, 0)); // the transparent pixel shows the background
        gif.SetCenter(true);
        QCOMPARE(at(4, 4), globalColour(0)); // the 3 x 3 screen starts at 3,3
        QCOMPARE(at(1, 1), qRgb(255, 0, 0));
        gif.SetStretch(true); // three times larger: the frame covers 3..8
        QCOMPARE(at(3, 3), globalColour(0));
        QCOMPARE(at(8, 3), globalColour(1));
        QCOMPARE(at(3, 8), globalColour(2));
        QCOMPARE(at(2, 2), qRgb(255, 0, 0));
        // Composed off screen or painted straight, the picture is the same.
        QVERIFY(gif.DoubleBuffered());
        const QImage buffered = gif.grab().toImage();
        gif.SetDoubleBuffered(false);
        QCOMPARE(gif.grab().toImage(), buffered);
        gif.SetAutoSize(true);
        QCOMPARE(gif.size(), QSize(3, 3));
    }

    void writerOutputReadsBackEverywhere()
    {
        QTemporaryDir dir;
        QImage bmp(37, 23, QImage::Format_RGB32);
        for (int y = 0; y < bmp.height(); ++y)
            for (int x = 0; x < bmp.width(); ++x)
                bmp.setPixel(x, y, qRgb(x % 8 * 30, y % 8 * 30, (x + y) % 3 * 100)); // 192 colours
        for (bool interlaced : {false, true}) {
            const QString path = dir.filePath(interlaced ? "inter.gif" : "plain.gif");
            TGIFImage gif;
            QVERIFY(gif.SaveBitmapAsGIF(path, bmp, interlaced, bmp.pixel(0, 0), true));
            QCOMPARE(gif.Status(), int(media::gsNone));
            const QByteArray text = run("giftext", {path});
            QVERIFY(!text.isNull());
            QVERIFY(text.contains(interlaced ? "Image is Interlaced" : "Image is Non Interlaced"));
            QCOMPARE(magickFrames(path), QByteArray("37 23 0\n"));
            const QByteArray magick = magickPixels(path);
            QVERIFY(!magick.isNull());
            QCOMPARE(magick, rgbOf(bmp));
            QVERIFY(gif.LoadFromFile(path));
            TGIFFrameInfo info;
            QVERIFY(gif.GetFrameInfo(1, info));
            QVERIFY(info.Transparent);
            QCOMPARE(info.TransparentColor, bmp.pixel(0, 0));
            QCOMPARE(info.Interlaced, interlaced);
            QCOMPARE(rgbOf(info.Bitmap), rgbOf(bmp));
        }
        // 257 colours: status 4 and the file there before is untouched.
        const QString kept = writeTemp(dir, "kept.gif", "old");
        QImage many(257, 1, QImage::Format_RGB32);
        for (int x = 0; x < 257; ++x)
            many.setPixel(x, 0, qRgb(x % 256, x / 256, 0));
        TGIFImage gif;
        QVERIFY(!gif.SaveBitmapAsGIF(kept, many, false, 0, false));
        QCOMPARE(gif.Status(), int(media::gsTooManyColors));
        QCOMPARE(gif.StatusText(), QString("Image contains too many Colors (>256)"));
        QFile f(kept);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
        QVERIFY(!gif.SaveBitmapAsGIF(dir.filePath("none.gif"), many, false, 0, false));
        QVERIFY(!QFile::exists(dir.filePath("none.gif")));
    }

    // A two-pixel picture comes out byte for byte as the format lays it down, and every other reader
    // (giflib, gifsicle, Qt's own reader) agrees on what it holds.
    void writesTheSmallestPictureExactly()
    {
        QTemporaryDir dir;
        QImage bmp(2, 1, QImage::Format_RGB32);
        bmp.setPixel(0, 0, qRgb(255, 0, 0));
        bmp.setPixel(1, 0, qRgb(0, 0, 255));
        const QString path = dir.filePath("two.gif");
        TGIFImage gif;
        QVERIFY(gif.SaveBitmapAsGIF(path, bmp, false, 0, false));
        const QByteArray expected = QByteArray("GIF89a", 6) +
                                    QByteArray("\x02\x00\x01\x00\x80\x00\x00", 7) + // screen, 2-entry table
                                    QByteArray("\xFF\x00\x00\x00\x00\xFF", 6) +
                                    QByteArray("\x21\xF9\x04\x00\x00\x00\x00\x00", 8) + // no delay, no transparency
                                    QByteArray("\x2C\x00\x00\x00\x00\x02\x00\x01\x00\x00", 10) +
                                    QByteArray("\x02\x02\x44\x0A\x00", 5) + // clear, 0, 1, end in 3-bit codes
                                    QByteArray("\x21\xFE\x15", 3) + "Written by Kestrova 5" + QByteArray("\x00\x3B", 2);
        QCOMPARE(k5test::ReadFile(path), expected);
        QVERIFY(!run("giftext", {path}).isNull());
        const QByteArray info = run("gifsicle", {"--info", path});
        QVERIFY(!info.isNull());
        QVERIFY(info.contains("1 image"));
        QVERIFY(info.contains("logical screen 2x1"));
        QImage qt(path, "gif");
        QCOMPARE(qt.size(), QSize(2, 1));
        QCOMPARE(qt.pixel(0, 0) | 0xFF000000u, qRgb(255, 0, 0));
        QCOMPARE(qt.pixel(1, 0) | 0xFF000000u, qRgb(0, 0, 255));
        // A bigger picture reads back the same through Qt's reader too.
        QImage big(61, 17, QImage::Format_RGB32);
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x)
                big.setPixel(x, y, qRgb(x % 8 * 30, y % 8 * 30, (x + y) % 3 * 100)); // 192 colours
        QVERIFY(gif.SaveBitmapAsGIF(path, big, true, 0, false));
        QCOMPARE(rgbOf(QImage(path, "gif").convertToFormat(QImage::Format_RGB32)), rgbOf(big));
    }

    // The graphic control block names the table entry of the transparent colour, wherever it stands.
    void transparentColourIsTheIndexWritten()
    {
        QTemporaryDir dir;
        QImage bmp(4, 2, QImage::Format_RGB32);
        const QRgb colours[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(90, 90, 90)};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                bmp.setPixel(x, y, colours[(x + y) % 4]);
        for (const QRgb key : {colours[2], colours[3], colours[1]}) {
            const QString path = dir.filePath("key.gif");
            TGIFImage gif;
            QVERIFY(gif.SaveBitmapAsGIF(path, bmp, false, key, true));
            const QByteArray file = k5test::ReadFile(path);
            // Header, screen, then a global table of 2^(n+1) entries and the graphic control block.
            QVERIFY(file.size() > 13 && (uchar(file[10]) & 0x80));
            const int entries = 2 << (uchar(file[10]) & 7);
            const qsizetype gce = 13 + 3 * entries;
            QVERIFY(file.size() > gce + 8);
            QCOMPARE(file.mid(gce, 3), QByteArray("\x21\xF9\x04", 3));
            QVERIFY(uchar(file[gce + 3]) & 1);
            const int index = uchar(file[gce + 6]);
            QVERIFY(index < entries);
            const char *rgb = file.constData() + 13 + 3 * index;
            QCOMPARE(qRgb(uchar(rgb[0]), uchar(rgb[1]), uchar(rgb[2])), key);
            QVERIFY(gif.LoadFromFile(path));
            TGIFFrameInfo info;
            QVERIFY(gif.GetFrameInfo(1, info));
            QVERIFY(info.Transparent);
            QCOMPARE(info.TransparentColor, key);
        }
        // A colour the picture does not hold makes nothing transparent.
        TGIFImage gif;
        QVERIFY(gif.SaveBitmapAsGIF(dir.filePath("none.gif"), bmp, false, qRgb(1, 2, 3), true));
        const QByteArray file = k5test::ReadFile(dir.filePath("none.gif"));
        const qsizetype gce = 13 + 3 * (2 << (uchar(file[10]) & 7));
        QCOMPARE(file.mid(gce, 3), QByteArray("\x21\xF9\x04", 3));
        QCOMPARE(uchar(file[gce + 3]) & 1, 0);
    }

    // Saving over a file replaces it whole: a second name made before the save keeps the old bytes.
    void savingOverAFileReplacesIt()
    {
        QTemporaryDir dir;
        const QString path = writeTemp(dir, "over.gif", "old bytes");
        k5test::HardLink old(path);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        QImage bmp(3, 3, QImage::Format_RGB32);
        bmp.fill(qRgb(10, 20, 30));
        TGIFImage gif;
        QVERIFY(gif.SaveBitmapAsGIF(path, bmp, false, 0, false));
        QCOMPARE(old.Bytes(), QByteArray("old bytes"));
        QVERIFY(k5test::ReadFile(path).startsWith("GIF89a"));
    }
};

K5_TEST_MAIN(TestGifImage)
#include "test_gifimage.moc"
