// The GIF picture: reading (edge cases and hostile files), writing (golden bytes, extensions, tables),
// round trips, grayscale, clipboard and property data.
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvgifanimator.h"
#include "graphics/qv/qvreduce.h"

#include "platform/graphics/bytereader.h"
#include "platform/graphics/picture.h"

#include "giftestsupport.h"
#include "k5test.h"

#include <QBuffer>
#include <QDir>
#include <QMimeData>
#include <QPainter>
#include <QtTest>

using namespace gfx;
using platform::Bitmap;
using platform::PixelFormat;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(QByteArray(h).replace(' ', "")); }

QByteArray u16(int v) { return QByteArray(1, char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }

// Entry i of the test tables: (16 i, 255 - 16 i, 7).
QByteArray table(int bits)
{
    QByteArray t;
    for (int i = 0; i < (1 << bits); ++i)
        t.append(char(16 * i)).append(char(255 - 16 * i)).append(char(7));
    return t;
}
Color entry(int i) { return platform::RGBColor(16 * i, 255 - 16 * i, 7); }

// Header and screen descriptor; globalBits 0 leaves the global table out.
QByteArray header(const char *version, int w, int h, int globalBits, int background = 0)
{
    QByteArray b = QByteArray("GIF") + version + u16(w) + u16(h);
    b.append(char(globalBits ? 0x80 | (globalBits - 1) << 4 | (globalBits - 1) : 0));
    b.append(char(background)).append(char(0));
    if (globalBits)
        b.append(table(globalBits));
    return b;
}

QByteArray gce(int packed, int delay, int index)
{
    return QByteArray("!\xF9\x04", 3).append(char(packed)).append(u16(delay)).append(char(index)).append('\0');
}

QByteArray subBlocks(const QList<QByteArray> &lines)
{
    QByteArray b;
    for (const QByteArray &l : lines)
        b.append(char(l.size())).append(l);
    return b.append('\0');
}

QByteArray comment(const QList<QByteArray> &lines) { return QByteArray("!\xFE", 2) + subBlocks(lines); }

QByteArray loopBlock(const char *id, int count)
{
    return QByteArray("!\xFF\x0B", 3) + id + subBlocks({QByteArray("\x01", 1) + u16(count)});
}

// LZW data of 8-bit top-down pixels.
QByteArray lzw(const QByteArray &pixels, int w, int h, bool interlaced = false)
{
    const qsizetype stride = GIFStride(w, 8);
    QByteArray buf(stride * h, '\0');
    for (int y = 0; y < h; ++y)
        std::memcpy(buf.data() + (h - 1 - y) * stride, pixels.constData() + y * w, size_t(w));
    QByteArray out;
    Encode(out, TGIFHeader{w, h, 8}, interlaced, {}, reinterpret_cast<const uint8_t *>(buf.constData()));
    return out;
}

QByteArray image(int left, int top, int w, int h, const QByteArray &pixels, int localBits = 0, bool interlaced = false)
{
    QByteArray b = QByteArray(",") + u16(left) + u16(top) + u16(w) + u16(h);
    b.append(char((localBits ? 0x80 | (localBits - 1) : 0) | (interlaced ? 0x40 : 0)));
    if (localBits)
        b.append(table(localBits));
    return b + lzw(pixels, w, h, interlaced);
}

QByteArray pixels(int n, int mod) {
    QByteArray p;
    for (int i = 0; i < n; ++i)
        p.append(char(i % mod));
    return p;
}

std::unique_ptr<TGIFImage> read(const QByteArray &file)
{
    auto gif = std::make_unique<TGIFImage>();
    gif->ReadGIF(file, true);
    return gif;
}

QString errorOf(const QByteArray &file)
{
    TGIFImage gif;
    try {
        gif.ReadGIF(file, true);
    } catch (const platform::Error &e) {
        return e.message();
    }
    return QString();
}

using giftest::IndicesOf;

// LZW data (after the minimum code size byte 2) of count pixels of value 0 that never clears the table:
// once it is full every code is 4095, a string of 4091 pixels in 12 bits.
QByteArray flatLZW(qint64 count)
{
    QByteArray out(1, '\2');
    QByteArray bytes;
    quint64 acc = 0;
    int bits = 0, size = 3, next = 6, limit = 8;
    bool first = true;
    auto put = [&](int code) {
        acc |= quint64(code) << bits;
        for (bits += size; bits >= 8; bits -= 8, acc >>= 8)
            bytes.append(char(acc & 0xFF));
        if (first) {
            first = false;
            return;
        }
        if (next < 4096 && ++next == limit && size < 12) {
            ++size;
            limit <<= 1;
        }
    };
    put(4); // clear
    first = true;
    put(0);
    qint64 left = count - 1;
    for (int code = 6; left > 0; code = qMin(code + 1, 4095)) {
        const qint64 length = qMin<qint64>(code - 4, left);
        put(length == 1 ? 0 : int(length) + 4);
        left -= length;
    }
    put(5); // end
    if (bits > 0)
        bytes.append(char(acc & 0xFF));
    for (qsizetype i = 0; i < bytes.size(); i += 255)
        out += char(qMin<qsizetype>(255, bytes.size() - i)) + bytes.mid(i, 255);
    return out + '\0';
}

std::unique_ptr<Bitmap> indexedBitmap(int w, int h, const QVector<QRgb> &colours, PixelFormat pf,
                                      const QByteArray &values)
{
    QImage img(w, h, QImage::Format_Indexed8);
    img.setColorTable(colours);
    for (int y = 0; y < h; ++y)
        std::memcpy(img.scanLine(y), values.constData() + y * w, size_t(w));
    auto b = std::make_unique<Bitmap>();
    b->SetIndexedImage(img, pf);
    return b;
}

const QByteArray kTwoFrames = header("89a", 8, 4, 2) + loopBlock("NETSCAPE2.0", 3) + gce(0x09, 12, 2) +
                              image(0, 0, 8, 4, pixels(32, 4)) + gce(0x04, 7, 0) + comment({"frame two"}) +
                              image(2, 1, 4, 2, pixels(8, 3), 2) + ";";

} // namespace

class TestQvGIF : public QObject {
    Q_OBJECT

private slots:
    void init() { GIFTolerateCorruptData = true; }

    void readsFramesAndTheirFields()
    {
        auto gif = read(kTwoFrames);
        QCOMPARE(gif->Count(), 2);
        QCOMPARE(gif->GetVersion(), int(TGIFImage::gv89a));
        QCOMPARE(gif->ScreenWidth(), 8);
        QCOMPARE(gif->FrameIndex(), 0);
        QVERIFY(gif->Looping());
        QCOMPARE(gif->RepeatCount(), 3);
        QCOMPARE(gif->BackgroundColor(), entry(0));
        TGIFFrame *f0 = gif->Frames(0), *f1 = gif->Frames(1);
        QCOMPARE(f0->AnimateInterval(), 120);
        QCOMPARE(f0->DisposalMethod(), 2);
        QCOMPARE(f0->TransparentColor(), entry(2));
        QVERIFY(!f0->LocalColorTable());
        QCOMPARE(IndicesOf(f0), pixels(32, 4));
        QCOMPARE(f1->Origin(), QPoint(2, 1));
        QCOMPARE(f1->AnimateInterval(), 70);
        QCOMPARE(f1->DisposalMethod(), 1);
        QCOMPARE(f1->TransparentColor(), clNone);
        QVERIFY(f1->LocalColorTable());
        QCOMPARE(f1->Comment(), QStringList{"frame two"});
        QCOMPARE(IndicesOf(f1), pixels(8, 3));
        QCOMPARE(f1->Bitmap()->GetPixelFormat(), PixelFormat::pf4bit);
        QVERIFY(!gif->Corrupted());
        QVERIFY(gif->Transparent());
        QCOMPARE(gif->Width(), 8);
    }

    void versionIsCheckedWithoutCase()
    {
        QCOMPARE(read(header("89A", 2, 2, 1) + ";")->GetVersion(), int(TGIFImage::gv89a));
        QCOMPARE(read(QByteArray("gif87a") + header("87a", 2, 2, 1).mid(6) + ";")->GetVersion(),
                 int(TGIFImage::gv87a));
        QCOMPARE(errorOf(header("90a", 2, 2, 1) + ";"), QStringLiteral("Unknown GIF version"));
        QCOMPARE(errorOf(QByteArray("PNG89a") + header("89a", 2, 2, 1).mid(6)), QStringLiteral("Unknown GIF version"));
    }

    void endsAndJunk()
    {
        // A zero byte right after the global table: no frames, no error.
        auto gif = read(header("89a", 4, 4, 1) + QByteArray(1, '\0') + "garbage");
        QCOMPARE(gif->Count(), 0);
        QVERIFY(gif->Empty());
        QCOMPARE(gif->ScreenWidth(), 0);
        // Junk after the last image ends reading silently; junk before any image is an error.
        gif = read(header("89a", 2, 2, 1) + image(0, 0, 2, 2, pixels(4, 2)) + "junk junk");
        QCOMPARE(gif->Count(), 1);
        gif = read(header("89a", 2, 2, 1) + image(0, 0, 2, 2, pixels(4, 2)) + QByteArray(5, '\0') + image(0, 0, 1, 1, "\x01") + ";");
        QCOMPARE(gif->Count(), 2);
        QCOMPARE(errorOf(header("89a", 2, 2, 1) + "X" + image(0, 0, 2, 2, pixels(4, 2))),
                 QStringLiteral("Stream read error"));
        QCOMPARE(errorOf(header("89a", 2, 2, 1) + QByteArray("!\x3A\x00", 3)),
                 QStringLiteral("Unrecognized extension block: 3A"));
        // An empty file gives an empty image.
        QCOMPARE(read(QByteArray())->Count(), 0);
    }

    void trailingCommentsJoinWithABlankLine()
    {
        auto gif = read(header("89a", 2, 2, 1) + image(0, 0, 2, 2, pixels(4, 2)) + comment({"one", "two"}) +
                        comment({"three"}) + ";");
        QCOMPARE(gif->Comment(), (QStringList{"one", "two", "\r\n\r\n", "three"}));
    }

    // Comments read as UTF-8 when their blocks together are, a character another writer split between
    // blocks going to the line it starts in; else each block reads as the Windows-1252 of older files.
    void commentsReadAsTheyWereMeant()
    {
        const QList<QByteArray> split{"Caf\xC3", "\xA9 \xE2\x82", "\xAC" "5"};
        auto gif = read(header("89a", 2, 2, 1) + comment(split) + image(0, 0, 2, 2, pixels(4, 2)) + comment(split) + ";");
        QCOMPARE(gif->Frames(0)->Comment(), (QStringList{"Café", " €", "5"}));
        QCOMPARE(gif->Comment(), (QStringList{"Café", " €", "5"}));
        gif = read(header("89a", 2, 2, 1) + comment({"Caf\xE9", "\x80" "5"}) + image(0, 0, 2, 2, pixels(4, 2)) + ";");
        QCOMPARE(gif->Frames(0)->Comment(), (QStringList{"Café", "€5"}));
        // Written back, the comment reads the same.
        QCOMPARE(read(gif->WriteGIF(false))->Frames(0)->Comment(), (QStringList{"Café", "€5"}));
    }

    void loopBlocks()
    {
        auto gif = read(header("89a", 2, 2, 1) + loopBlock("NETSCAPE2.0", 0) + image(0, 0, 2, 2, pixels(4, 2)) + ";");
        QVERIFY(gif->Looping());
        QCOMPARE(gif->RepeatCount(), 0);
        gif = read(header("89a", 2, 2, 1) + loopBlock("ANIMEXTS1.0", 40000) + image(0, 0, 2, 2, pixels(4, 2)) + ";");
        QCOMPARE(gif->RepeatCount(), 30000);
        gif = read(header("89a", 2, 2, 1) + loopBlock("XYZABCDE1.0", 5) + image(0, 0, 2, 2, pixels(4, 2)) + ";");
        QVERIFY(!gif->Looping());
        QCOMPARE(gif->RepeatCount(), 1);
    }

    void graphicControlRules()
    {
        // Transparency with an index beyond the table leaves the colour unset; the largest delay wins.
        auto gif = read(header("89a", 2, 2, 1) + gce(0x01, 3, 5) + gce(0x00, 0xFFFF, 0) + image(0, 0, 2, 2, pixels(4, 2)) + ";");
        TGIFFrame *f = gif->Frames(0);
        QCOMPARE(f->TransparentColor(), clNone);
        QCOMPARE(f->AnimateInterval(), 655350);
        // A plain text extension drops the extensions before it.
        gif = read(header("89a", 2, 2, 1) + gce(0x01, 9, 1) + QByteArray("!\x01\x0C", 3) + QByteArray(12, 'p') +
                   subBlocks({"text"}) + image(0, 0, 2, 2, pixels(4, 2)) + ";");
        QCOMPARE(gif->Frames(0)->AnimateInterval(), 0);
        QCOMPARE(gif->Frames(0)->TransparentColor(), clNone);
        QVERIFY(gif->Frames(0)->Extensions().isEmpty());
    }

    void zeroSizedAndOutsideFrames()
    {
        // Width 0 takes the screen width.
        auto gif = read(header("89a", 3, 2, 1) + QByteArray(",") + u16(0) + u16(0) + u16(0) + u16(2) +
                        QByteArray(1, '\0') + lzw(pixels(6, 2), 3, 2) + ";");
        QCOMPARE(gif->Frames(0)->Width(), 3);
        QCOMPARE(IndicesOf(gif->Frames(0)), pixels(6, 2));
        QVERIFY(!gif->Corrupted());
        // A frame of no size on a screen of no size is marked and has no pixels.
        gif = read(header("89a", 0, 0, 1) + image(0, 0, 0, 0, QByteArray()) + image(0, 0, 2, 1, pixels(2, 2)) + ";");
        QVERIFY(gif->Corrupted());
        QVERIFY(gif->Frames(0)->Bitmap()->Empty());
        // Such a frame is left out when written: a size of 0 in a file would mean the screen's size.
        auto back = read(gif->WriteGIF(false));
        QCOMPARE(back->Count(), 1);
        QCOMPARE(back->ScreenWidth(), 2);
        QCOMPARE(IndicesOf(back->Frames(0)), pixels(2, 2));
    }

    void framesWithoutAnyColourTable()
    {
        // No table anywhere is allowed: the values show as grays, one for each value the data can hold,
        // and the file written holds the same values and still no table.
        const QByteArray values = pixels(12, 4);
        QByteArray data;
        EncodePixels(data, TGIFHeader{4, 3, 2}, false, {}, [&](int y) { return reinterpret_cast<const uint8_t *>(values.constData()) + 4 * y; });
        const QByteArray file = header("89a", 4, 3, 0) + gce(0x01, 0, 2) + QByteArray(",") + u16(0) + u16(0) + u16(4) +
                                u16(3) + QByteArray(1, '\0') + data + ";";
        for (bool tolerant : {true, false}) {
            GIFTolerateCorruptData = tolerant;
            auto gif = read(file);
            TGIFFrame *f = gif->Frames(0);
            QCOMPARE(IndicesOf(f), pixels(12, 4));
            QVERIFY(!gif->Corrupted());
            QCOMPARE(f->Bitmap()->ColorTable().mid(0, 4),
                     (QVector<QRgb>{qRgb(0, 0, 0), qRgb(85, 85, 85), qRgb(170, 170, 170), qRgb(255, 255, 255)}));
            QCOMPARE(f->TransparentColor(), platform::RGBColor(170, 170, 170));
            const QByteArray written = gif->WriteGIF(false);
            QCOMPARE(uint8_t(written[10]) & 0x80, 0);
            auto back = read(written);
            QCOMPARE(IndicesOf(back->Frames(0)), pixels(12, 4));
            QCOMPARE(uint8_t(written[written.indexOf(',') + 9]) & 0x80, 0);
            QCOMPARE(back->Frames(0)->TransparentColor(), platform::RGBColor(170, 170, 170));
        }
        // Data of eight bits gives 256 grays.
        auto gif = read(header("87a", 16, 16, 0) + image(0, 0, 16, 16, pixels(256, 256)) + ";");
        QCOMPARE(IndicesOf(gif->Frames(0)), pixels(256, 256));
        QCOMPARE(gif->Frames(0)->Bitmap()->ColorTable().value(200), qRgb(200, 200, 200));
    }

    void framesBeyondTheScreenGrowIt()
    {
        // A 4 x 3 screen and an interlaced 4 x 3 frame at (2,1): the screen grows to 6 x 4 and the frame
        // keeps every pixel, also in the file written.
        for (bool tolerant : {true, false}) {
            GIFTolerateCorruptData = tolerant;
            auto gif = read(header("89a", 4, 3, 4) + image(2, 1, 4, 3, pixels(12, 12), 0, true) + ";");
            QCOMPARE(QSize(gif->ScreenWidth(), gif->ScreenHeight()), QSize(6, 4));
            TGIFFrame *f = gif->Frames(0);
            QCOMPARE(f->Origin(), QPoint(2, 1));
            QCOMPARE(QSize(f->Width(), f->Height()), QSize(4, 3));
            QCOMPARE(IndicesOf(f), pixels(12, 12));
            QVERIFY(f->Interlaced());
            QVERIFY(!gif->Corrupted());
            const QByteArray written = gif->WriteGIF(false);
            QCOMPARE(written.mid(6, 4), u16(6) + u16(4));
            auto back = read(written);
            QCOMPARE(back->Frames(0)->Origin(), QPoint(2, 1));
            QCOMPARE(IndicesOf(back->Frames(0)), pixels(12, 12));
            QVERIFY(!back->Corrupted());
        }
        GIFTolerateCorruptData = true;

        // A frame so far off the screen that the picture could not be held is refused, not cut.
        const QByteArray far = header("89a", 10, 10, 1) + image(0, 0, 10, 10, pixels(100, 2)) + gce(0x00, 50, 0) +
                               QByteArray(",") + u16(60000) + u16(39000) + u16(1115) + u16(750) +
                               QByteArray("\x00\x02\x01\x04\x00", 5) + ";";
        QCOMPARE(errorOf(far), QStringLiteral("GIF image too large"));

        // A screen of no size is given by the frames, also beyond what a file's screen can say; the file
        // says as much as it can and reads back to the same.
        auto gif = read(header("89a", 0, 0, 1) + image(65280, 0, 2048, 1, pixels(2048, 2)) + ";");
        QCOMPARE(QSize(gif->ScreenWidth(), gif->ScreenHeight()), QSize(65280 + 2048, 1));
        QCOMPARE(gif->Frames(0)->Width(), 2048);
        const QByteArray written = gif->WriteGIF(false);
        QCOMPARE(written.mid(6, 4), u16(65535) + u16(1));
        auto back = read(written);
        QCOMPARE(QSize(back->ScreenWidth(), back->ScreenHeight()), QSize(65280 + 2048, 1));
        QCOMPARE(IndicesOf(back->Frames(0)), pixels(2048, 2));
        // A frame moved as far as it goes still starts where a file can say.
        back->Frames(0)->SetOrigin(QPoint(70000, 3));
        QCOMPARE(back->Frames(0)->Origin(), QPoint(65535 - 2048, 3));

        // A screen larger than its frames stays as it is.
        gif = read(header("89a", 10, 10, 1) + image(3, 3, 2, 2, pixels(4, 2)) + ";");
        QCOMPARE(gif->WriteGIF(false).mid(6, 4), u16(10) + u16(10));
    }

    void damagedDataIsToleratedOrRefused()
    {
        QByteArray file = header("89a", 16, 16, 8) + image(0, 0, 16, 16, pixels(256, 200));
        // The file ends inside the data: the frame is corrupted, the rows given are kept.
        const QByteArray cut = file.left(file.size() - 60);
        auto gif = read(cut);
        QCOMPARE(gif->Count(), 1);
        QVERIFY(gif->Corrupted());
        QCOMPARE(IndicesOf(gif->Frames(0)).left(16), pixels(256, 200).left(16));
        GIFTolerateCorruptData = false;
        QCOMPARE(errorOf(cut), QStringLiteral("Stream read error"));
        GIFTolerateCorruptData = true;
        // A screen descriptor cut short is an error, and the image keeps nothing of an earlier file.
        gif = read(kTwoFrames);
        try {
            gif->ReadGIF(header("89a", 2, 2, 1).left(9), true);
            QFAIL("no error");
        } catch (const platform::StreamError &e) {
            QCOMPARE(e.message(), QStringLiteral("Stream read error"));
        }
        QCOMPARE(gif->Count(), 0);
    }

    void oversizedImagesAreRefused()
    {
        // A frame side beyond 16384.
        QCOMPARE(errorOf(header("89a", 20000, 10, 1) + image(0, 0, 20000, 1, QByteArray(20000, '\0')) + ";"),
                 QStringLiteral("GIF image too large"));
        // Frames that together would need more than 1 GiB: 5 frames of 16384 x 16384 (data cut short).
        QByteArray many = header("89a", 16384, 16384, 1);
        for (int i = 0; i < 5; ++i)
            many += QByteArray(",") + u16(0) + u16(0) + u16(16384) + u16(16384) + QByteArray("\x00\x02\x01\x04\x00", 5);
        QCOMPARE(errorOf(many + ";"), QStringLiteral("GIF image too large"));
        // A screen that could not be composed in memory, even for a tiny frame.
        QCOMPARE(errorOf(header("89a", 65535, 65535, 1) + image(0, 0, 1, 1, "\x01") + ";"),
                 QStringLiteral("GIF image too large"));
    }

    // A file is read through before its sizes are weighed, on every route to the reader: a damaged one
    // is told as damaged whatever its screen and frames claim, a sound one as too large.
    void aDamagedFileIsToldBeforeItsSizes()
    {
        const auto counted = [](const QByteArray &file) {
            QByteArray b;
            platform::ByteWriter(b).U32(uint32_t(file.size()));
            return b + file;
        };
        const std::function<void(TGIFImage &, const QByteArray &)> routes[] = {
            [](TGIFImage &gif, const QByteArray &file) { gif.ReadGIF(file, true); },
            [](TGIFImage &gif, const QByteArray &file) {
                QBuffer in;
                in.setData(file);
                in.open(QIODevice::ReadOnly);
                gif.LoadFromStream(in);
            },
            [&](TGIFImage &gif, const QByteArray &file) {
                QBuffer in;
                in.setData(counted(file));
                in.open(QIODevice::ReadOnly);
                gif.ReadData(in);
            },
            [&](TGIFImage &gif, const QByteArray &file) {
                QMimeData data;
                platform::SetFormatData(data, TGIFImage::GIFClipboardFormat(), counted(file));
                gif.LoadFromClipboardFormat(data);
            },
        };
        const QByteArray stub = QByteArray("\x00\x02\x01\x04\x00", 5);
        QByteArray fiveHuge = header("89a", 16384, 16384, 1);
        for (int i = 0; i < 5; ++i)
            fiveHuge += QByteArray(",") + u16(0) + u16(0) + u16(16384) + u16(16384) + stub;
        const struct {
            QByteArray file;
            QString error;
        } cases[] = {
            // A screen of 29728 x 26984 read from the text, then no block at all.
            {"GIF89a this is not a picture at all", QStringLiteral("Stream read error")},
            {header("89a", 65535, 65535, 1) + "X" + image(0, 0, 1, 1, "\x01"), QStringLiteral("Stream read error")},
            {fiveHuge + QByteArray("!\xF9\x04", 3), QStringLiteral("Stream read error")},
            {header("89a", 20000, 10, 1) + image(0, 0, 20000, 1, QByteArray(20000, '\0')) + QByteArray("!\x3A\x00", 3),
             QStringLiteral("Unrecognized extension block: 3A")},
            // The bound stays for a screen and frames that read.
            {header("89a", 65535, 65535, 1) + image(0, 0, 1, 1, "\x01") + ";", QStringLiteral("GIF image too large")},
            {fiveHuge + ";", QStringLiteral("GIF image too large")},
        };
        for (const auto &c : cases) {
            for (const auto &route : routes) {
                auto gif = read(kTwoFrames);
                QString error;
                try {
                    route(*gif, c.file);
                } catch (const platform::Error &e) {
                    error = e.message();
                }
                QCOMPARE(error, c.error);
                QCOMPARE(gif->Count(), 0);
            }
        }
    }

    void tinyFilesCannotClaimHugePictures()
    {
        // 41 bytes claiming a 16000 x 16000 screen: a gigabyte to compose.
        const QByteArray screen = header("89a", 16000, 16000, 1) + image(0, 0, 1, 1, "\x01") + ";";
        QVERIFY(screen.size() <= 41);
        QCOMPARE(errorOf(screen), QStringLiteral("GIF image too large"));
        // A 16384 x 16384 frame from five bytes of data, on a screen of one pixel.
        const QByteArray frame = header("89a", 1, 1, 1) + QByteArray(",") + u16(0) + u16(0) + u16(16384) + u16(16384) +
                                 QByteArray("\x00\x02\x01\x04\x00", 5) + ";";
        QVERIFY(frame.size() < 64);
        QCOMPARE(errorOf(frame), QStringLiteral("GIF image too large"));
        // Frames count together with the screen: thirty 2048 x 2048 frames from a few hundred bytes.
        QByteArray many = header("89a", 2048, 2048, 1);
        for (int i = 0; i < 30; ++i)
            many += QByteArray(",") + u16(0) + u16(0) + u16(2048) + u16(2048) + QByteArray("\x00\x02\x01\x04\x00", 5);
        QVERIFY(many.size() < 600);
        QCOMPARE(errorOf(many + ";"), QStringLiteral("GIF image too large"));
        // So does the part of the picture a restoring frame saves: a frame just within the budget is
        // refused when it restores the previous picture.
        const QByteArray restoring = header("89a", 3000, 3000, 1) + image(0, 0, 1, 1, "\x01");
        QCOMPARE(errorOf(restoring + ";"), QString());
        QCOMPARE(errorOf(restoring + gce(0x0C, 0, 0) + image(0, 0, 1, 1, "\x01") + ";"), QString());
        QByteArray big = restoring + QByteArray(",") + u16(0) + u16(0) + u16(3000) + u16(3000) + QByteArray("\x00\x02\x01\x04\x00", 5);
        QCOMPARE(errorOf(big + ";"), QString());
        big = restoring + gce(0x0C, 0, 0) + big.mid(restoring.size());
        QCOMPARE(errorOf(big + ";"), QStringLiteral("GIF image too large"));

        // A flat picture at the most LZW can say (a 12-bit code for 4091 pixels, no clear code) is read.
        const QByteArray flat = header("89a", 8192, 8192, 1) + QByteArray(",") + u16(0) + u16(0) + u16(8192) +
                                u16(8192) + QByteArray(1, '\0') + flatLZW(8192 * 8192) + ";";
        TGIFImage gif;
        gif.ReadGIF(flat, false);
        QCOMPARE(gif.Count(), 1);
        // The stream is what it claims: a smaller one decodes to every pixel 0.
        auto small = read(header("89a", 2048, 2048, 1) + QByteArray(",") + u16(0) + u16(0) + u16(2048) + u16(2048) +
                          QByteArray(1, '\0') + flatLZW(2048 * 2048) + ";");
        QVERIFY(!small->Corrupted());
        QCOMPARE(IndicesOf(small->Frames(0)), QByteArray(2048 * 2048, '\0'));
    }

    void everyDelayRoundTrips()
    {
        // One frame per delay 0..65535 (hundredths): read as ten times that in ms, written as it was.
        QByteArray file = header("89a", 1, 1, 1);
        const QByteArray one = image(0, 0, 1, 1, "\x01");
        for (int d = 0; d <= 65535; ++d)
            file += gce(0x04, d, 0) + one;
        file += ";";
        auto gif = read(file);
        QCOMPARE(gif->Count(), 65536);
        for (int d = 0; d <= 65535; ++d)
            QCOMPARE(gif->Frames(d)->AnimateInterval(), d * 10);
        QCOMPARE(gif->WriteGIF(false), file);
        // Set in ms: tenths of a hundredth are dropped, and no delay goes beyond what a file can hold.
        gif->Frames(1)->SetAnimateInterval(655359);
        gif->Frames(2)->SetAnimateInterval(700000);
        auto back = read(gif->WriteGIF(false));
        QCOMPARE(back->Frames(1)->AnimateInterval(), 655350);
        QCOMPARE(back->Frames(2)->AnimateInterval(), 655350);
    }

    void decodeAllFramesStopsOnAbort()
    {
        auto gif = read(kTwoFrames);
        gif->Frames(1)->Bitmap(); // already decoded frames are kept as they are
        TGIFImage copy;
        copy.ReadGIF(kTwoFrames, false);
        int starts = 0;
        copy.OnProgress = [&](platform::Graphic *, platform::ProgressStage s, int, bool, const QRect &, const QString &) {
            if (s == platform::ProgressStage::psStarting && ++starts == 2)
                throw platform::Abort();
        };
        copy.DecodeAllFrames();
        QCOMPARE(copy.Count(), 1);
        QVERIFY(copy.Corrupted());
    }

    void framesListAndSharing()
    {
        auto gif = read(kTwoFrames);
        int changes = 0;
        gif->OnChange = [&](platform::Graphic *) { ++changes; };
        gif->SetFrameIndex(7);
        QCOMPARE(gif->FrameIndex(), 1);
        gif->SetFrameIndex(-5);
        QCOMPARE(gif->FrameIndex(), -1);
        QCOMPARE(gif->Width(), 0);
        gif->SetFrameIndex(1);
        gif->MoveFrame(1, 0);
        QCOMPARE(gif->Frames(0)->Origin(), QPoint(2, 1));
        QCOMPARE(gif->FrameIndex(), 0);
        gif->SetFrameIndex(1);
        gif->DeleteFrame(1);
        QCOMPARE(gif->FrameIndex(), 0);
        QCOMPARE(gif->ScreenWidth(), 6); // recomputed from the frame left
        QVERIFY(changes >= 5);
        try {
            gif->SetWidth(3);
            QFAIL("no error");
        } catch (const platform::InvalidGraphicOperation &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot change the Size of a GIF image"));
        }
        // Copies share the image data until one changes its comment.
        auto a = read(kTwoFrames);
        TGIFImage b;
        b.Assign(a.get());
        QVERIFY(b.Equals(a.get()));
        QCOMPARE(b.Count(), 2);
        QVERIFY(b.Frames(1)->LocalColorTable());
        QVERIFY(!b.Frames(0)->LocalColorTable());
        b.SetComment({"mine"});
        QVERIFY(!b.Equals(a.get()));
        QVERIFY(a->Comment().isEmpty());
        QCOMPARE(b.Frames(1)->Comment(), QStringList{"frame two"});
    }

    // The transparent entry's colour may stand earlier in the table too, for opaque pixels. A copy of the
    // frame keeps the entry the file named: it shows the same pixels transparent, in the picture and in
    // the animated control, and writes the same index.
    void copiesKeepTheTransparentIndex()
    {
        QByteArray file = header("89a", 4, 1, 2) + gce(0x01, 0, 3) + image(0, 0, 4, 1, QByteArray("\0\1\2\3", 4)) + ";";
        file.replace(13 + 9, 3, QByteArray(table(2).mid(3, 3))); // entry 3 is entry 1's colour
        const QRgb twin = platform::ToQRgb(entry(1)) & 0xFFFFFF;
        auto a = read(file);
        QCOMPARE(a->Frames(0)->TransparentIndex(), 3);
        // How each copy shows on white: entry 1 opaque, entry 3 transparent.
        auto shownOnWhite = [](platform::Graphic &g) {
            QImage canvas(4, 1, QImage::Format_RGB32);
            canvas.fill(Qt::white);
            QPainter p(&canvas);
            g.Draw(p, QRect(0, 0, 4, 1));
            p.end();
            return std::pair{canvas.pixel(1, 0) & 0xFFFFFF, canvas.pixel(3, 0) & 0xFFFFFF};
        };
        const auto expected = std::pair{twin, qRgb(255, 255, 255) & 0xFFFFFF};
        QCOMPARE(shownOnWhite(*a), expected);

        TGIFImage added;
        added.AddFrame(a->Frames(0));
        TGIFImage assigned;
        assigned.Assign(a.get());
        TGIFImage framed;
        framed.AssignFrame(a->Frames(0));
        TGIFImage overwritten;
        overwritten.ReadGIF(header("89a", 4, 1, 2) + gce(0x01, 0, 0) + image(0, 0, 4, 1, QByteArray(4, '\0')) + ";", true);
        overwritten.Frames(0)->Assign(a->Frames(0));
        for (TGIFImage *copy : {&added, &assigned, &framed, &overwritten}) {
            copy->SetFrameIndex(0);
            QCOMPARE(copy->Frames(0)->TransparentIndex(), 3);
            QCOMPARE(shownOnWhite(*copy), expected);
            auto back = read(copy->WriteGIF(false));
            QCOMPARE(back->Frames(0)->TransparentIndex(), 3);
            QCOMPARE(shownOnWhite(*back), expected);
            // The animated control on a white form.
            QWidget form;
            QPalette white = form.palette();
            white.setColor(QPalette::Window, Qt::white);
            form.setPalette(white);
            form.setAutoFillBackground(true);
            form.resize(8, 4);
            TQvGIFAnimator anim(&form);
            anim.SetTransparent(true);
            anim.SetImage(copy);
            form.show();
            const QImage shot = form.grab().toImage();
            QCOMPARE(std::pair(shot.pixel(1, 0) & 0xFFFFFF, shot.pixel(3, 0) & 0xFFFFFF), expected);
        }
    }

    void addingFramesRaisesTheVersion()
    {
        TGIFImage gif;
        QVERIFY(gif.Empty());
        QCOMPARE(gif.GetVersion(), int(TGIFImage::gvNone));
        const auto b = indexedBitmap(3, 2, {qRgb(255, 0, 0), qRgb(0, 0, 255)}, PixelFormat::pf1bit, "\x00\x01\x00\x01\x00\x01");
        QCOMPARE(gif.AddFrame(b.get()), 0);
        QCOMPARE(gif.GetVersion(), int(TGIFImage::gv87a));
        QCOMPARE(gif.ScreenWidth(), 3);
        gif.Frames(0)->SetOrigin(QPoint(4, 5));
        QCOMPARE(gif.ScreenWidth(), 7);
        QCOMPARE(gif.ScreenHeight(), 7);
        gif.Frames(0)->SetAnimateInterval(100);
        QCOMPARE(gif.GetVersion(), int(TGIFImage::gv89a));
        gif.Frames(0)->SetAnimateInterval(700000);
        QCOMPARE(gif.Frames(0)->AnimateInterval(), 655350);
        // An image without frames hands out a bitmap of a new, empty frame.
        TGIFImage empty;
        QVERIFY(empty.GetBitmap()->Empty());
        QCOMPARE(empty.Count(), 1);
    }

    void writesGoldenBytes()
    {
        TGIFImage gif;
        const auto b = indexedBitmap(2, 1, {qRgb(255, 0, 0), qRgb(0, 0, 255)}, PixelFormat::pf1bit, "\x01\x00");
        gif.AddFrame(b.get());
        // Codes clear(4) 1 0 end(5) at 3 bits.
        QCOMPARE(gif.WriteGIF(false), hex("474946383761 0200 0100 80 00 00 ff0000 0000ff"
                                          "2c 0000 0000 0200 0100 00 02 02 0c0a 00 3b"));
        QCOMPARE(gif.WriteGIF(true), hex("23000000") + gif.WriteGIF(false));
    }

    void writerEdgeCases()
    {
        const auto red = indexedBitmap(2, 2, {qRgb(255, 0, 0), qRgb(0, 255, 0)}, PixelFormat::pf1bit, "\x00\x01\x01\x00");
        const auto blue = indexedBitmap(2, 2, {qRgb(0, 0, 255), qRgb(9, 9, 9)}, PixelFormat::pf1bit, "\x01\x01\x00\x00");
        // One frame with Looping: no loop block; two frames: one, with the repeat count.
        TGIFImage gif;
        gif.AddFrame(red.get());
        gif.SetLooping(true);
        QVERIFY(!gif.WriteGIF(false).contains("NETSCAPE2.0"));
        gif.AddFrame(blue.get());
        gif.SetRepeatCount(260);
        QVERIFY(gif.WriteGIF(false).contains(QByteArray("!\xFF\x0BNETSCAPE2.0\x03\x01\x04\x01\x00", 19)));
        // The first frame's table became the global one; the second frame carries its own.
        auto back = read(gif.WriteGIF(false));
        QVERIFY(!back->Frames(0)->LocalColorTable());
        QVERIFY(back->Frames(1)->LocalColorTable());
        QCOMPARE(back->Data().ColorTable.Color(1), platform::RGBColor(0, 255, 0));
        QCOMPARE(back->Frames(1)->Item().ColorTable.Color(0), platform::RGBColor(0, 0, 255));
        // No graphic control extension unless a field needs one.
        QVERIFY(!gif.WriteGIF(false).contains(QByteArray("!\xF9", 2)));
        gif.Frames(1)->SetAnimateInterval(125);
        gif.Frames(1)->SetTransparentColor(platform::RGBColor(1, 2, 3)); // not in its table
        gif.Frames(1)->SetDisposalMethod(2);
        QVERIFY(gif.WriteGIF(false).contains(gce(0x08, 12, 0)));
        gif.Frames(1)->SetTransparentColor(platform::RGBColor(9, 9, 9));
        QVERIFY(gif.WriteGIF(false).contains(gce(0x09, 12, 1)));
        // A frame read with an extension keeps it, refreshed.
        auto kept = read(header("89a", 2, 2, 1) + gce(0x00, 0, 0) + image(0, 0, 2, 2, pixels(4, 2)) + ";");
        QVERIFY(kept->WriteGIF(false).contains(gce(0x00, 0, 0)));
        kept->Frames(0)->SetAnimateInterval(50);
        QVERIFY(kept->WriteGIF(false).contains(gce(0x00, 5, 0)));
        QVERIFY(TGIFImage().Count() == 0);
        try {
            TGIFImage().WriteGIF(false);
            QFAIL("no error");
        } catch (const platform::InvalidGraphicOperation &e) {
            QCOMPARE(e.message(), QStringLiteral("No GIF Data to write"));
        }
    }

    void trailingCommentsAreWritten()
    {
        TGIFImage gif;
        const auto b = indexedBitmap(2, 1, {qRgb(255, 0, 0), qRgb(0, 0, 255)}, PixelFormat::pf1bit, "\x01\x00");
        gif.AddFrame(b.get());
        gif.SetComment({QString(300, QLatin1Char('c')), QString(), "end"});
        const QByteArray out = gif.WriteGIF(false);
        QVERIFY(out.startsWith("GIF89a"));
        // A line longer than a block goes on in the next one; nothing of it is lost.
        QVERIFY(out.endsWith(QByteArray("!\xFE\xFF", 3) + QByteArray(255, 'c') + '\x2D' + QByteArray(45, 'c') +
                             QByteArray("\x03" "end\x00;", 6)));
        QCOMPARE(read(out)->Comment(), (QStringList{QString(255, QLatin1Char('c')), QString(45, QLatin1Char('c')), "end"}));
        // Text beyond ASCII is written as UTF-8, and a block never ends inside a character.
        const QString euros = QLatin1Char('a') + QString(200, QChar(0x20AC));
        gif.SetComment({euros});
        const QByteArray written = gif.WriteGIF(false);
        QVERIFY(written.contains(QByteArray("!\xFE\xFD" "a", 4) + QString(84, QChar(0x20AC)).toUtf8() + '\xFF'));
        QCOMPARE(read(written)->Comment().join(QString()), euros);
    }

    void loadThenSaveKeepsTheFile()
    {
        auto gif = read(kTwoFrames + QByteArray());
        const QByteArray once = gif->WriteGIF(false);
        auto again = read(once);
        QCOMPARE(again->WriteGIF(false), once);
        QCOMPARE(again->Count(), 2);
        QCOMPARE(IndicesOf(again->Frames(1)), pixels(8, 3));
        QCOMPARE(again->Frames(0)->TransparentColor(), entry(2));
        // A table holding the transparent colour twice keeps the index the file named.
        QByteArray dup = header("89a", 2, 2, 2);
        dup[13 + 3 * 3] = dup[13 + 3 * 1];
        dup[13 + 3 * 3 + 1] = dup[13 + 3 * 1 + 1];
        dup[13 + 3 * 3 + 2] = dup[13 + 3 * 1 + 2];
        auto twice = read(dup + gce(0x01, 0, 3) + image(0, 0, 2, 2, pixels(4, 4)) + ";");
        QVERIFY(twice->WriteGIF(false).contains(gce(0x01, 0, 3)));
        // Interlaced frames stay interlaced.
        auto inter = read(header("89a", 5, 9, 3) + image(0, 0, 5, 9, pixels(45, 8), 0, true) + ";");
        QVERIFY(inter->Frames(0)->Interlaced());
        QCOMPARE(IndicesOf(inter->Frames(0)), pixels(45, 8));
        QCOMPARE(IndicesOf(read(inter->WriteGIF(false))->Frames(0)), pixels(45, 8));
    }

    void deepColourFramesAreReduced()
    {
        QImage img(4, 2, QImage::Format_RGB32);
        img.fill(qRgb(200, 100, 50));
        img.setPixel(0, 0, qRgb(10, 20, 30));
        Bitmap deep;
        deep.SetImage(img);
        TGIFImage gif;
        gif.AddFrame(&deep);
        GIFColorReduction = rmTruncate666;
        auto back = read(gif.WriteGIF(false));
        GIFColorReduction = rmFrequency;
        QCOMPARE(back->Data().ColorTable.Count, 256);
        const Bitmap *b = back->Frames(0)->Bitmap();
        QCOMPARE(b->PixelColor(1, 1) & 0xFFFFFF, qRgb(0xCC, 0x66, 0x33) & 0xFFFFFF);
        QCOMPARE(b->PixelColor(0, 0) & 0xFFFFFF, qRgb(0, 0, 0x33) & 0xFFFFFF);
    }

    void grayscale()
    {
        auto gif = read(kTwoFrames);
        gif->Grayscale(false);
        TGIFFrame *f = gif->Frames(0);
        QVERIFY(f->GrayscaleDone());
        QCOMPARE(f->TransparentColor(), GrayOf(entry(2)));
        const int y = (77 * 32 + 150 * 223 + 29 * 7) >> 8;
        QCOMPARE(f->Item().ColorTable.Color(2), platform::RGBColor(y, y, y));
        QCOMPARE(f->Bitmap()->PixelColor(2, 0) & 0xFFFFFF, qRgb(y, y, y) & 0xFFFFFF);
        QCOMPARE(IndicesOf(f), pixels(32, 4)); // the data is unchanged
        QCOMPARE(gif->Data().ColorTable.Color(2), platform::RGBColor(y, y, y));
        QCOMPARE(gif->BackgroundColor(), GrayOf(entry(0)));
        // A frame that holds only a bitmap becomes an 8-bit gray bitmap, encoded when forced.
        QImage img(2, 1, QImage::Format_RGB32);
        img.setPixel(0, 0, qRgb(255, 0, 0));
        img.setPixel(1, 0, qRgb(0, 0, 255));
        Bitmap deep;
        deep.SetImage(img);
        TGIFImage fresh;
        fresh.AddFrame(&deep);
        fresh.Frames(0)->SetTransparentColor(platform::RGBColor(0, 0, 255));
        fresh.Grayscale(true);
        TGIFFrame *g = fresh.Frames(0);
        QVERIFY(g->HasEncodedData());
        QCOMPARE(g->Bitmap()->GetPixelFormat(), PixelFormat::pf8bit);
        QCOMPARE(g->Bitmap()->PixelColor(0, 0) & 0xFFFFFF, qRgb(76, 76, 76) & 0xFFFFFF);
        QCOMPARE(g->TransparentColor(), platform::RGBColor(28, 28, 28));
        try {
            TGIFImage().Grayscale(false);
            QFAIL("no error");
        } catch (const platform::InvalidGraphicOperation &e) {
            QCOMPARE(e.message(), QStringLiteral("No GIF Data to write"));
        }
    }

    void propertyDataAndClipboard()
    {
        auto gif = read(kTwoFrames);
        QByteArray stored;
        {
            QBuffer out(&stored);
            out.open(QIODevice::WriteOnly);
            gif->WriteData(out);
        }
        TGIFImage back;
        {
            QBuffer in(&stored);
            in.open(QIODevice::ReadOnly);
            back.ReadData(in);
        }
        QCOMPARE(back.Count(), 2);
        QCOMPARE(back.WriteGIF(false), gif->WriteGIF(false));
        stored[3] = char(0x7F); // a count beyond the data
        QBuffer bad(&stored);
        bad.open(QIODevice::ReadOnly);
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, back.ReadData(bad));

        QMimeData data;
        gif->SaveToClipboardFormat(data);
        QVERIFY(data.hasImage());
        QVERIFY(platform::HasFormat(data, TGIFImage::GIFClipboardFormat()));
        QCOMPARE(platform::ClipboardFormatName(TGIFImage::GIFClipboardFormat()), QStringLiteral("GIF Image"));
        platform::Picture pic;
        pic.LoadFromClipboardFormat(data);
        auto *pasted = dynamic_cast<TGIFImage *>(pic.GetGraphic());
        QVERIFY(pasted);
        QCOMPARE(pasted->Count(), 2);
        QCOMPARE(pasted->FrameIndex(), 0);
        // A frame that holds only a bitmap puts just the bitmap on the clipboard.
        TGIFImage fresh;
        Bitmap b(3, 3, PixelFormat::pf24bit);
        fresh.AddFrame(&b);
        QMimeData only;
        fresh.SaveToClipboardFormat(only);
        QVERIFY(only.hasImage());
        QVERIFY(!platform::HasFormat(only, TGIFImage::GIFClipboardFormat()));
        TGIFImage fromBitmap;
        fromBitmap.LoadFromClipboardFormat(only);
        QCOMPARE(fromBitmap.Count(), 1);
        QCOMPARE(fromBitmap.Width(), 3);
    }

    void pictureContainerKnowsGIF()
    {
        QVERIFY(platform::Picture::GraphicFilter().contains(QStringLiteral("CompuServe GIF Image (*.gif)")));
        const QString path = k5test::Root() + QStringLiteral("/two.gif");
        k5test::WriteFile(path, kTwoFrames);
        platform::Picture pic;
        pic.LoadFromFile(path);
        QCOMPARE(pic.GetGraphic()->ClassName(), QStringLiteral("TGIFImage"));
        QCOMPARE(pic.Width(), 8);
        // A GIF becomes a bitmap of its current frame, with its transparent colour.
        Bitmap b;
        b.Assign(pic.GetGraphic());
        QCOMPARE(b.Width(), 8);
        QVERIFY(b.Transparent());
        QCOMPARE(b.TransparentColor(), entry(2));
        pic.SaveToFile(k5test::Root() + QStringLiteral("/copy.gif"));
        QCOMPARE(read(k5test::ReadFile(k5test::Root() + QStringLiteral("/copy.gif")))->Count(), 2);
    }
};

K5_TEST_MAIN(TestQvGIF)
#include "test_qvgif.moc"
