// Icons: our decoder against the pictures they were made from and against icotool and ImageMagick, at
// every depth, with and without alpha, short palettes and PNG images; damaged files are refused whole.
#include "graphics/qv/qvicon.h"

#include "icontestsupport.h"
#include "k5test.h"

#include "platform/graphics/picture.h"

#include <QBuffer>
#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace gfx;
using namespace icontest;

namespace {

const QList<QRgb> kTwo = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
const QList<QRgb> kFive = {qRgb(200, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 220), qRgb(250, 250, 0), qRgb(9, 99, 199)};

QList<QRgb> paletteOf(int entries, const QList<QRgb> &first)
{
    QList<QRgb> p = first;
    for (int i = int(p.size()); i < entries; ++i)
        p.append(qRgb(i * 7 % 256, i * 13 % 256, i * 29 % 256));
    return p;
}

std::unique_ptr<TIcon> iconOf(const QByteArray &bytes)
{
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromBytes(bytes);
    return icon;
}

// What icotool and ImageMagick make of an icon file's only image.
struct PeerImages {
    QImage icotool, magick;
};

PeerImages peersOf(const QByteArray &file)
{
    PeerImages out;
    QTemporaryDir dir;
    const QString ico = k5test::WriteFile(dir.filePath(QStringLiteral("x.ico")), file);
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    if (RunTool(Tool(QStringLiteral("icotool")), {QStringLiteral("-x"), QStringLiteral("-o"), dir.filePath("out"), ico})) {
        const QStringList png = QDir(dir.filePath("out")).entryList({QStringLiteral("*.png")});
        if (png.size() == 1)
            out.icotool.load(dir.filePath("out/" + png.first()));
    }
    const QString magick = dir.filePath(QStringLiteral("m.png"));
    if (RunTool(Tool(QStringLiteral("convert")), {ico + "[0]", "PNG32:" + magick}))
        out.magick.load(magick);
    return out;
}

bool havePeers() { return !Tool(QStringLiteral("icotool")).isEmpty() && !Tool(QStringLiteral("convert")).isEmpty(); }

// The picture as an icon shows it: alpha below 128 is transparent for the depths that only have a mask.
QImage masked(const QImage &img)
{
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = out.pixel(x, y);
            out.setPixel(x, y, qAlpha(p) < 128 ? 0u : p | 0xFF000000u);
        }
    return out;
}

// How far the peers are held to our reading: icotool misreads 24-bit rows that need padding, and
// both peers take a 32-bit image whose alpha is all 0 as invisible, where the system (and we) let
// the mask decide.
enum PeerCheck { Exact, MagickOnly, ColoursOnly };

QByteArray pngOf(const QImage &img)
{
    QByteArray png;
    QBuffer b(&png);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return png;
}

// The peer's colours with our alpha.
QImage opaque(const QImage &peer, const QImage &ours)
{
    QImage out = peer.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height() && y < ours.height(); ++y)
        for (int x = 0; x < out.width() && x < ours.width(); ++x)
            out.setPixel(x, y, qAlpha(ours.pixel(x, y)) ? out.pixel(x, y) | 0xFF000000u : 0u);
    return out;
}

} // namespace

class TestQvIcon : public QObject {
    Q_OBJECT

private slots:
    void decodesEveryDepthAsThePeersDo_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QImage>("expected");
        QTest::addColumn<int>("peerCheck");
        const QImage two = Picture(13, 11, kTwo);
        const QImage five = Picture(21, 17, kFive);
        QTest::newRow("1 bit") << SimpleIcon(two, 1, kTwo) << masked(two) << int(Exact);
        QTest::newRow("4 bit") << SimpleIcon(five, 4, paletteOf(16, kFive)) << masked(five) << int(Exact);
        QTest::newRow("8 bit") << SimpleIcon(five, 8, paletteOf(256, kFive)) << masked(five) << int(Exact);
        DibOptions shortTable;
        shortTable.bits = 8;
        shortTable.palette = kFive;
        shortTable.colorsUsed = 5;
        QTest::newRow("8 bit, 5 colours used") << IconFile(1, {DibEntry(five, shortTable)}) << masked(five)
                                               << int(Exact);
        const QImage four = Picture(20, 7, kFive);
        QTest::newRow("24 bit") << SimpleIcon(four, 24) << masked(four) << int(Exact);
        QTest::newRow("24 bit, padded rows") << SimpleIcon(five, 24) << masked(five) << int(MagickOnly);
        QImage soft = Picture(20, 9, kFive);
        for (int x = 0; x < soft.width(); ++x)
            soft.setPixel(x, 8, qRgba(10 * x, 5, 100, 12 * x));
        QTest::newRow("32 bit with alpha") << SimpleIcon(soft, 32) << soft << int(Exact);
        DibOptions noAlpha;
        noAlpha.zeroAlpha = true;
        QTest::newRow("32 bit, mask only") << IconFile(1, {DibEntry(five, noAlpha)}) << masked(five)
                                           << int(ColoursOnly);
    }
    void decodesEveryDepthAsThePeersDo()
    {
        QFETCH(QByteArray, file);
        QFETCH(QImage, expected);
        QFETCH(int, peerCheck);
        const auto icon = iconOf(file);
        QCOMPARE(Difference(icon->Image(), expected), QString());
        if (!havePeers())
            QSKIP("icoutils or imagemagick is not installed");
        const PeerImages peers = peersOf(file);
        QVERIFY(!peers.icotool.isNull());
        QVERIFY(!peers.magick.isNull());
        if (peerCheck == ColoursOnly) {
            QCOMPARE(Difference(icon->Image(), opaque(peers.magick, icon->Image())), QString());
            QCOMPARE(Difference(icon->Image(), opaque(peers.icotool, icon->Image())), QString());
            return;
        }
        QCOMPARE(Difference(icon->Image(), peers.magick), QString());
        if (peerCheck == Exact)
            QCOMPARE(Difference(icon->Image(), peers.icotool), QString());
    }

    // Icons the peers write from a PNG picture: icotool at every depth and as a PNG image, ImageMagick in
    // its own way.
    void readsWhatThePeersWrite_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("twoColours");
        for (int bits : {1, 4, 8, 24, 32})
            QTest::addRow("icotool %d bit", bits)
                << QStringList{QStringLiteral("icotool"), QStringLiteral("-c"), QStringLiteral("-b"),
                               QString::number(bits)}
                << bits << (bits == 1);
        QTest::newRow("icotool PNG") << QStringList{QStringLiteral("icotool"), QStringLiteral("-c"), QStringLiteral("-r")}
                                     << 32 << false;
        QTest::newRow("ImageMagick") << QStringList{QStringLiteral("convert")} << 32 << false;
    }
    void readsWhatThePeersWrite()
    {
        QFETCH(QStringList, args);
        QFETCH(int, bits);
        QFETCH(bool, twoColours);
        if (!havePeers())
            QSKIP("icoutils or imagemagick is not installed");
        QTemporaryDir dir;
        const QImage picture = Picture(16, 16, twoColours ? kTwo : kFive);
        const QString png = dir.filePath(QStringLiteral("p.png"));
        QVERIFY(picture.save(png));
        const QString ico = dir.filePath(QStringLiteral("p.ico"));
        const QString program = Tool(args.takeFirst());
        if (args.isEmpty())
            args = QStringList{png, ico};
        else if (args.last() == QLatin1String("-r"))
            args << png << QStringLiteral("-o") << ico;
        else
            args << QStringLiteral("-o") << ico << png;
        QVERIFY(RunTool(program, args));
        const QByteArray file = k5test::ReadFile(ico);
        auto icon = iconOf(file);
        const TIconDirectory dir1 = ReadIconDirectory(file);
        QCOMPARE(IconEntryBitCount(file, dir1.Entries[0]), bits);
        QCOMPARE(Difference(icon->Image(), masked(picture)), QString());
    }

    // An icon that a package installs (clang-tools-14, in scripts/packages.txt) and icons made here with
    // icotool and a script (the animated cursor fuzz seeds): every image in them reads as both peers read it.
    void readsRealIconsAsThePeersDo_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("installed") << QStringLiteral("/usr/share/clang/scan-view-14/share/bugcatcher.ico");
        for (const char *name : {"pal4.ico", "pal4x2.ico", "i1.ico", "i32.ico", "ipng.ico"})
            QTest::newRow(name) << QStringLiteral(K5_SOURCE_DIR "/fuzz/anicursor/corpus/") + QLatin1String(name);
    }
    void readsRealIconsAsThePeersDo()
    {
        QFETCH(QString, path);
        const QByteArray file = k5test::ReadFile(path);
        QVERIFY2(!file.isEmpty(), qPrintable(path));
        const TIconDirectory dir = ReadIconDirectory(file);
        const auto icon = iconOf(file);
        QCOMPARE(icon->Image(), DecodeIconEntry(file, dir.Entries[icon->ImageIndex()]));
        if (!havePeers())
            QSKIP("icoutils or imagemagick is not installed");
        QTemporaryDir tmp;
        const QString ico = k5test::WriteFile(tmp.filePath(QStringLiteral("x.ico")), file);
        for (int i = 0; i < dir.Entries.size(); ++i) {
            const QImage ours = DecodeIconEntry(file, dir.Entries[i]);
            const QString out = tmp.filePath(QStringLiteral("i%1").arg(i));
            QDir(tmp.path()).mkdir(QStringLiteral("i%1").arg(i));
            QVERIFY(RunTool(Tool(QStringLiteral("icotool")), {"-x", "-i", QString::number(i + 1), "-o", out, ico}));
            const QStringList png = QDir(out).entryList({QStringLiteral("*.png")});
            QCOMPARE(png.size(), 1);
            QCOMPARE(Difference(ours, QImage(out + "/" + png.first())), QString());
            const QString magick = tmp.filePath(QStringLiteral("m%1.png").arg(i));
            QVERIFY(RunTool(Tool(QStringLiteral("convert")), {ico + QStringLiteral("[%1]").arg(i), "PNG32:" + magick}));
            QCOMPARE(Difference(ours, QImage(magick)), QString());
        }
    }

    // An icon directory states at most 256: a PNG image may not claim more, however few bytes it takes.
    void pngImagesAreBoundedByWhatADirectoryCanState()
    {
        for (int side : {256, 257}) {
            QImage img(side, 1, QImage::Format_ARGB32);
            img.fill(qRgba(1, 2, 3, 200));
            Entry e;
            e.image = pngOf(img);
            TIcon icon;
            if (side <= kIconMaxSide) {
                icon.LoadFromBytes(IconFile(1, {e}));
                QCOMPARE(Difference(icon.Image(), img), QString());
            } else {
                QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphic, icon.LoadFromBytes(IconFile(1, {e})));
            }
        }
    }

    void showsTheEntryNearest32WithTheMostColours()
    {
        const QImage small = Picture(16, 16, kFive), mid = Picture(32, 32, kFive), big = Picture(48, 48, kFive);
        DibOptions four, eight, deep;
        four.bits = 4;
        four.palette = paletteOf(16, kFive);
        eight.bits = 8;
        eight.palette = paletteOf(256, kFive);
        const QByteArray file = IconFile(1, {DibEntry(small, deep), DibEntry(mid, four), DibEntry(mid, eight),
                                             DibEntry(big, deep)});
        auto icon = iconOf(file);
        QCOMPARE(icon->ImageIndex(), 2);
        QCOMPARE(icon->Width(), 32);
        QCOMPARE(icon->Height(), 32);
        QVERIFY(icon->Transparent());
        // The file is kept byte for byte, every image in it.
        QCOMPARE(icon->SaveToBytes(), file);
        QCOMPARE(DecodeIconEntry(file, ReadIconDirectory(file).Entries[3]).size(), QSize(48, 48));
    }

    void refusesDamagedIconsAndKeepsWhatItHad_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QImage pic = Picture(8, 8, kFive);
        const QByteArray good = SimpleIcon(pic, 24);
        auto patched = [&](int at, const QByteArray &bytes) { return QByteArray(good).replace(at, bytes.size(), bytes); };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut in the directory") << good.left(12);
        QTest::newRow("reserved word") << patched(0, U16(1));
        QTest::newRow("cursor") << patched(2, U16(2));
        QTest::newRow("type 3") << patched(2, U16(3));
        QTest::newRow("no entry") << patched(4, U16(0));
        QTest::newRow("more entries than the file") << patched(4, U16(200));
        QTest::newRow("image past the end") << patched(14, U32(quint32(good.size())));
        QTest::newRow("offset past the end") << patched(18, U32(0xFFFFFFF0u));
        QTest::newRow("image of 0 bytes") << patched(14, U32(0));
        QTest::newRow("file cut in the mask") << good.left(good.size() - 4);
        QTest::newRow("16 bits") << patched(22 + 14, U16(16));
        QTest::newRow("2 bits") << patched(22 + 14, U16(2));
        QTest::newRow("0 bits") << patched(22 + 14, U16(0));
        QTest::newRow("compressed") << patched(22 + 16, U32(3));
        QTest::newRow("no width") << patched(22 + 4, U32(0));
        QTest::newRow("negative width") << patched(22 + 4, U32(0xFFFFFFF8u));
        QTest::newRow("odd height") << patched(22 + 8, U32(15));
        QTest::newRow("top-down") << patched(22 + 8, U32(quint32(-16)));
        QTest::newRow("too wide") << patched(22 + 4, U32(quint32(kIconMaxSide + 1)));
        QTest::newRow("header longer than the image") << patched(22, U32(4000));
        QTest::newRow("short header") << patched(22, U32(12));
        QTest::newRow("palette past the end") << SimpleIcon(pic, 8, paletteOf(256, kFive)).left(22 + 40 + 100);
        const QByteArray png = pngOf(pic);
        QTest::newRow("PNG cut short") << IconFile(1, {Entry{png.left(png.size() - 20)}});
        QByteArray huge = png;
        huge.replace(16, 4, QByteArray::fromHex("00010000")); // 65536 wide
        QTest::newRow("PNG too wide") << IconFile(1, {Entry{huge}});
        QByteArray claims = png;
        claims.insert(33, QByteArray::fromHex("1FFFFFFF") + "tEXt" + QByteArray("Comment\0x", 9));
        QTest::newRow("PNG chunk longer than the data") << IconFile(1, {Entry{claims}});
        QTest::newRow("PNG without its end") << IconFile(1, {Entry{png.left(png.size() - 12)}});
        QTest::newRow("PNG without header") << IconFile(1, {Entry{png.left(8) + QByteArray(40, 'x')}});
    }
    void refusesDamagedIconsAndKeepsWhatItHad()
    {
        QFETCH(QByteArray, file);
        const QByteArray before = SimpleIcon(Picture(5, 5, kTwo), 1, kTwo);
        auto icon = iconOf(before);
        int changes = 0;
        icon->OnChange = [&](platform::Graphic *) { ++changes; };
        try {
            icon->LoadFromBytes(file);
            QFAIL("the icon was taken");
        } catch (const platform::InvalidGraphic &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid icon"));
        }
        QCOMPARE(changes, 0);
        QCOMPARE(icon->Data(), before);
        QCOMPARE(icon->Width(), 5);
    }

    void keepsItsSize()
    {
        auto icon = iconOf(SimpleIcon(Picture(5, 5, kTwo), 1, kTwo));
        QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphicOperation, icon->SetWidth(9));
        QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphicOperation, icon->SetHeight(9));
        QCOMPARE(icon->Width(), 5);
    }

    void assignsComparesAndEmpties()
    {
        const QByteArray file = SimpleIcon(Picture(7, 6, kFive), 24);
        auto a = iconOf(file);
        TIcon b;
        QVERIFY(b.Empty());
        QVERIFY(!a->Equals(&b));
        b.Assign(a.get());
        QVERIFY(b.Equals(a.get()));
        QCOMPARE(b.Image(), a->Image());
        QCOMPARE(b.SaveToBytes(), file);
        platform::Bitmap bitmap(4, 4);
        QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphicOperation, b.Assign(&bitmap));
        QVERIFY(b.Equals(a.get()));
        b.Assign(nullptr);
        QVERIFY(b.Empty());
        QCOMPARE(b.Width(), 0);
        try {
            b.SaveToBytes();
            QFAIL("an empty icon was saved");
        } catch (const platform::InvalidGraphic &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid icon"));
        }
    }

    // A bitmap knows only one transparent colour: it must be one no visible pixel has, white when free.
    void becomesABitmapWithAFreeTransparentColour()
    {
        for (const QList<QRgb> &colours : {kFive, kTwo}) {
            const QImage picture = Picture(9, 9, colours);
            auto icon = iconOf(SimpleIcon(picture, 24));
            platform::Bitmap bitmap;
            bitmap.Assign(icon.get());
            QVERIFY(bitmap.Transparent());
            const platform::Color key = bitmap.TransparentColor();
            QCOMPARE(key == platform::clWhite, !colours.contains(qRgb(255, 255, 255)));
            QCOMPARE(Difference(bitmap.KeyedImage(key), masked(picture)), QString());
        }
        platform::Bitmap bitmap(3, 3);
        TIcon empty;
        bitmap.Assign(&empty);
        QVERIFY(bitmap.Empty());
    }

    void travelsOnTheClipboardAsUmbrixIcon()
    {
        const QByteArray file = SimpleIcon(Picture(10, 12, kFive), 8, paletteOf(256, kFive));
        auto icon = iconOf(file);
        QCOMPARE(platform::ClipboardFormatName(TIcon::IconClipboardFormat()), QStringLiteral("Umbrix Icon"));
        QVERIFY(platform::Picture::SupportsClipboardFormat(TIcon::IconClipboardFormat()));

        auto *data = new QMimeData;
        icon->SaveToClipboardFormat(*data);
        QCOMPARE(data->data(QStringLiteral("application/x-kestrova-umbrix-icon")), file);
        platform::SetClipboardData(data);
        QVERIFY(platform::ClipboardHasFormat(TIcon::IconClipboardFormat()));
        platform::Picture picture;
        picture.LoadFromClipboardFormat(*platform::ClipboardData());
        QCOMPARE(picture.GetGraphic()->ClassName(), QStringLiteral("TIcon"));
        QCOMPARE(static_cast<TIcon *>(picture.GetGraphic())->Data(), file);

        QMimeData other;
        other.setText(QStringLiteral("no icon"));
        auto kept = iconOf(file);
        QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphic, kept->LoadFromClipboardFormat(other));
        QCOMPARE(kept->Data(), file);
        QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphic, TIcon().SaveToClipboardFormat(other));
    }
};

K5_TEST_MAIN(TestQvIcon)
#include "test_qvicon.moc"
