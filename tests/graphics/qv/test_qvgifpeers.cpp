// Independent checks on a generated corpus: wherever giflib reads a file cleanly, our frames, fields and
// pixel indices match its dump and no frame is flagged corrupted; every GIF we write, whether copied or
// freshly encoded, is read by giflib to the same indices and shown by gifsicle and ImageMagick the same.
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvgifanimator.h"

#include "giftestsupport.h"
#include "k5test.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace gfx;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
};

Run run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    return r;
}

// One frame as giflib's dump tells it.
struct DumpFrame {
    int left = 0, top = 0, width = 0, height = 0;
    int disposal = 0, delay = 0, transparent = -1;
    QByteArray indices;
};

QList<DumpFrame> parseDump(const QByteArray &text, const QString &charset)
{
    QList<DumpFrame> frames;
    DumpFrame pending;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QList<QByteArray> w = lines[i].trimmed().split(' ');
        const QByteArray line = lines[i].trimmed();
        if (line.startsWith("disposal mode"))
            pending.disposal = w.last().toInt();
        else if (line.startsWith("delay"))
            pending.delay = w.last().toInt();
        else if (line.startsWith("transparent index"))
            pending.transparent = w.last().toInt();
        else if (line.startsWith("image # ")) {
            frames.append(pending);
            pending = DumpFrame();
        } else if (line.startsWith("image left"))
            frames.last().left = w.last().toInt();
        else if (line.startsWith("image top"))
            frames.last().top = w.last().toInt();
        else if (line.startsWith("image bits")) {
            DumpFrame &f = frames.last();
            f.width = w[2].toInt();
            f.height = w[4].toInt();
            const bool isHex = w.size() > 5 && w[5] == "hex";
            for (int y = 0; y < f.height; ++y) {
                const QByteArray row = lines[++i].trimmed();
                if (isHex)
                    f.indices += QByteArray::fromHex(row);
                else
                    for (char c : row)
                        f.indices.append(char(charset.indexOf(QLatin1Char(c))));
            }
        }
    }
    return frames;
}

using giftest::IndicesOf;

QByteArray u16(int v) { return QByteArray(1, char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }

// One frame of a hand-made file: its rectangle, 8-bit pixels top-down, and a graphic control extension
// when packed >= 0.
struct Piece {
    int left, top, width, height;
    QByteArray pixels;
    int packed = -1, delay = 0, transparent = 0;
};

// A GIF89a file with a global table of the given colours (a power of two of them).
QByteArray handMade(int screenWidth, int screenHeight, const QList<QRgb> &colours, const QList<Piece> &pieces)
{
    int bits = 1;
    while ((1 << bits) < colours.size())
        ++bits;
    QByteArray file = QByteArray("GIF89a") + u16(screenWidth) + u16(screenHeight);
    file.append(char(0x80 | (bits - 1) << 4 | (bits - 1))).append('\0').append('\0');
    for (int i = 0; i < (1 << bits); ++i) {
        const QRgb c = i < colours.size() ? colours[i] : 0;
        file.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    for (const Piece &p : pieces) {
        if (p.packed >= 0)
            file += QByteArray("!\xF9\x04", 3) + char(p.packed) + u16(p.delay) + char(p.transparent) + '\0';
        file += QByteArray(",") + u16(p.left) + u16(p.top) + u16(p.width) + u16(p.height) + '\0';
        const qsizetype stride = GIFStride(p.width, 8);
        QByteArray rows(stride * p.height, '\0');
        for (int y = 0; y < p.height; ++y)
            std::memcpy(rows.data() + (p.height - 1 - y) * stride, p.pixels.constData() + y * p.width, size_t(p.width));
        Encode(file, TGIFHeader{p.width, p.height, 8}, false, {}, reinterpret_cast<const uint8_t *>(rows.constData()));
    }
    return file + ';';
}

// LZW data that gives each pixel as a root code followed by a clear code, so every code has the first
// width: a minimum code size of any value, and the leading clear code left out when asked.
QByteArray literalLZW(int minCodeSize, const QByteArray &pixels, bool leadingClear)
{
    const int clear = 1 << minCodeSize, width = minCodeSize + 1;
    QList<int> codes;
    if (leadingClear)
        codes.append(clear);
    for (char p : pixels)
        codes << uint8_t(p) << clear;
    codes.append(clear + 1);
    QByteArray joined;
    quint64 acc = 0;
    int bits = 0;
    for (int code : codes)
        for (acc |= quint64(code) << bits, bits += width; bits >= 8; bits -= 8, acc >>= 8)
            joined.append(char(acc & 0xFF));
    if (bits)
        joined.append(char(acc & 0xFF));
    QByteArray out(1, char(minCodeSize));
    for (qsizetype at = 0; at < joined.size(); at += 255)
        out += char(qMin<qsizetype>(255, joined.size() - at)) + joined.mid(at, 255);
    return out + '\0';
}

QByteArray ramp(int n, int mod)
{
    QByteArray p;
    for (int i = 0; i < n; ++i)
        p.append(char(i % mod));
    return p;
}

} // namespace

class TestQvGIFPeers : public QObject {
    Q_OBJECT

    QString dir_, gifbuild_, giftext_, gifsicle_, gifdiff_, magick_, charset_;
    QStringList corpus_;

    QString tool(const QStringList &names)
    {
        for (const QString &n : names) {
            const QString path = QStandardPaths::findExecutable(n);
            if (!path.isEmpty())
                return path;
        }
        return QString();
    }

    QList<DumpFrame> dump(const QString &file, bool *clean = nullptr)
    {
        const Run r = run(gifbuild_, {QStringLiteral("-d"), file});
        const Run t = run(giftext_, {file});
        if (clean)
            *clean = r.exitCode == 0 && t.exitCode == 0;
        return parseDump(r.out, charset_);
    }

    QByteArray rendered(const QString &file)
    {
        return run(magick_, {file, QStringLiteral("-coalesce"), QStringLiteral("rgba:-")}).out;
    }

    void make(const QString &name, const QString &program, const QStringList &args)
    {
        const Run r = run(program, args);
        QVERIFY2(r.exitCode == 0 && QFile::exists(dir_ + name), qPrintable(name));
        corpus_.append(dir_ + name);
    }

private slots:
    void initTestCase()
    {
        gifbuild_ = tool({"gifbuild"});
        giftext_ = tool({"giftext"});
        gifsicle_ = tool({"gifsicle"});
        gifdiff_ = tool({"gifdiff"});
        // The real ImageMagick, by the names its packages give it.
        magick_ = tool({"magick", "convert-im6.q16", "convert-im6"});
        if (gifbuild_.isEmpty() || giftext_.isEmpty() || gifsicle_.isEmpty() || gifdiff_.isEmpty() || magick_.isEmpty())
            QSKIP("giflib-tools, gifsicle or imagemagick is not installed");
        dir_ = k5test::Root() + QStringLiteral("/peers/");
        QDir().mkpath(dir_);

        // The dump's characters for indices, learnt from a file with a 64-entry table and indices 0..63.
        QByteArray calib = QByteArray("GIF89a\x40\x00\x01\x00\xD5\x00\x00", 13);
        QByteArray row(GIFStride(64, 8), '\0');
        for (int i = 0; i < 64; ++i) {
            calib.append(char(i * 4)).append(char(255 - i * 4)).append(char(i));
            row[i] = char(i);
        }
        calib.append(QByteArray(",\0\0\0\0\x40\0\x01\0\0", 10));
        Encode(calib, TGIFHeader{64, 1, 8}, false, {}, reinterpret_cast<const uint8_t *>(row.constData()));
        calib.append(';');
        k5test::WriteFile(dir_ + QStringLiteral("calib.gif"), calib);
        const Run r = run(gifbuild_, {QStringLiteral("-d"), dir_ + QStringLiteral("calib.gif")});
        const QList<QByteArray> lines = r.out.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            if (lines[i].startsWith("image bits") && !lines[i].contains("hex"))
                charset_ = QString::fromLatin1(lines[i + 1].trimmed());
        QCOMPARE(charset_.size(), 64);
    }

    void buildCorpus()
    {
        auto im = [&](const QString &name, const QStringList &args) { make(name, magick_, args + QStringList{dir_ + name}); };
        auto sicle = [&](const QString &name, const QStringList &args) {
            make(name, gifsicle_, args + QStringList{QStringLiteral("-o"), dir_ + name});
        };
        im("grad.gif", {"-size", "40x30", "gradient:red-blue", "-colors", "64"});
        im("grad2.gif", {"-size", "40x30", "gradient:yellow-green", "-colors", "20"});
        im("anim.gif", {"-delay", "7", "-size", "40x30", "xc:red", "xc:green", "xc:blue", "-loop", "0"});
        im("trans.gif", {"-size", "30x20", "xc:none", "-fill", "blue", "-draw", "circle 15,10 15,3"});
        im("mono.gif", {"-size", "33x17", "pattern:checkerboard", "-monochrome"});
        im("noise.gif", {"-size", "120x90", "xc:", "+noise", "Random", "-colors", "256"});
        im("move.gif", {"-delay", "5", "-size", "48x32", "xc:white", "(", "+clone", "-fill", "red", "-draw",
                        "rectangle 4,4 14,14", ")", "(", "+clone", "-fill", "blue", "-draw", "rectangle 20,10 30,20",
                        ")", "-layers", "OptimizeTransparency"});
        sicle("inter.gif", {"--interlace", dir_ + "grad.gif"});
        sicle("local.gif", {"--merge", dir_ + "grad.gif", dir_ + "grad2.gif", dir_ + "anim.gif"});
        sicle("prev.gif", {"--disposal", "previous", "--delay", "300", dir_ + "anim.gif"});
        sicle("optimized.gif", {"-O3", dir_ + "move.gif"});
        sicle("comment.gif", {"--comment", "hello peers", dir_ + "grad.gif"});
        sicle("noise-inter.gif", {"--interlace", dir_ + "noise.gif"});
    }

    void readsWhatGiflibReads()
    {
        QVERIFY(!corpus_.isEmpty());
        int frames = 0, local = 0, transparent = 0, interlaced = 0;
        for (const QString &file : std::as_const(corpus_)) {
            bool clean = false;
            const QList<DumpFrame> theirs = dump(file, &clean);
            if (!clean)
                continue;
            TGIFImage gif;
            gif.LoadFromFile(file);
            gif.DecodeAllFrames();
            QVERIFY2(!gif.Corrupted(), qPrintable(file));
            QCOMPARE(gif.Count(), int(theirs.size()));
            for (int i = 0; i < gif.Count(); ++i) {
                TGIFFrame *f = gif.Frames(i);
                const DumpFrame &d = theirs[i];
                const QString where = QStringLiteral("%1 frame %2").arg(file).arg(i);
                QVERIFY2(f->Origin() == QPoint(d.left, d.top), qPrintable(where));
                QVERIFY2(f->Width() == d.width && f->Height() == d.height, qPrintable(where));
                QVERIFY2(f->AnimateInterval() == d.delay * 10, qPrintable(where));
                QVERIFY2(f->DisposalMethod() == d.disposal, qPrintable(where));
                const Color expected = d.transparent < 0 ? clNone : f->Item().ColorTable.Color(d.transparent);
                QVERIFY2(f->TransparentColor() == expected, qPrintable(where));
                QVERIFY2(IndicesOf(f) == d.indices, qPrintable(where));
                ++frames;
                local += f->LocalColorTable();
                transparent += f->TransparentColor() != clNone;
                interlaced += f->Interlaced();
            }
        }
        // The corpus holds what it is meant to.
        QVERIFY(frames >= 20);
        QVERIFY(local >= 2);
        QVERIFY(transparent >= 3);
        QVERIFY(interlaced >= 2);
    }

    void framesBeyondTheScreenAreKeptAsElsewhere()
    {
        // A 12 x 8 screen; frame 0 is 20 x 10 at (0,0), frame 1 is 10 x 10 at (6,4).
        QList<QRgb> colours;
        for (int i = 0; i < 16; ++i)
            colours.append(qRgb(i * 16, 255 - i * 16, (i * 40) & 255));
        const QString file = k5test::WriteFile(dir_ + QStringLiteral("beyond.gif"),
                                               handMade(12, 8, colours, {{0, 0, 20, 10, ramp(200, 16), 0x04, 10},
                                                                         {6, 4, 10, 10, ramp(100, 7), 0x04, 10}}));
        // giflib keeps the frames whole; gifsicle grows the screen to hold them, and so do we.
        const QList<DumpFrame> original = dump(file);
        QCOMPARE(original.size(), 2);
        QCOMPARE(QSize(original[1].width, original[1].height), QSize(10, 10));
        const QString sicled = file + QStringLiteral(".sicle.gif");
        QCOMPARE(run(gifsicle_, {file, QStringLiteral("-o"), sicled}).exitCode, 0);
        const QByteArray sicledBytes = k5test::ReadFile(sicled);
        QCOMPARE(sicledBytes.mid(6, 4), u16(20) + u16(14));
        TGIFImage gif;
        gif.LoadFromFile(file);
        QCOMPARE(QSize(gif.ScreenWidth(), gif.ScreenHeight()), QSize(20, 14));
        QVERIFY(!gif.Corrupted());
        for (int i = 0; i < 2; ++i)
            QCOMPARE(IndicesOf(gif.Frames(i)), original[i].indices);
        const QString copy = file + QStringLiteral(".copy.gif");
        gif.SaveToFile(copy);
        bool clean = false;
        const QList<DumpFrame> ours = dump(copy, &clean);
        QVERIFY(clean);
        QCOMPARE(ours.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(QSize(ours[i].width, ours[i].height), QSize(original[i].width, original[i].height));
            QCOMPARE(ours[i].indices, original[i].indices);
        }
        // ImageMagick shows the screen a file gives: on the part the original's screen covers, the copy
        // looks the same.
        const QByteArray theirs = rendered(file), mine = rendered(copy);
        QCOMPARE(theirs.size(), 2 * 12 * 8 * 4);
        QCOMPARE(mine.size(), 2 * 20 * 14 * 4);
        for (int n = 0; n < 2; ++n)
            for (int y = 0; y < 8; ++y)
                QCOMPARE(mine.mid((n * 20 * 14 + y * 20) * 4, 12 * 4), theirs.mid((n * 12 * 8 + y * 12) * 4, 12 * 4));
    }

    void legalOddFilesReadAsElsewhere()
    {
        const QByteArray px = ramp(12, 4);
        const QByteArray table = QByteArray::fromHex("ff0000 00ff00 0000ff 102030");
        auto file = [&](const QString &name, bool global, int minCodeSize, bool leadingClear) {
            QByteArray b = QByteArray("GIF89a") + u16(4) + u16(3) + char(global ? 0x91 : 0) + '\0' + '\0';
            if (global)
                b += table;
            b += QByteArray(",") + u16(0) + u16(0) + u16(4) + u16(3) + '\0' + literalLZW(minCodeSize, px, leadingClear) + ';';
            return k5test::WriteFile(dir_ + name, b);
        };
        // No leading clear code, and no colour table at all: giflib reads both to these values, and so
        // do we, unmarked also where damage is refused.
        for (const QString &name : {file(QStringLiteral("noclear.gif"), true, 2, false),
                                    file(QStringLiteral("notable.gif"), false, 2, true)}) {
            bool clean = false;
            const QList<DumpFrame> theirs = dump(name, &clean);
            QVERIFY2(clean, qPrintable(name));
            QCOMPARE(theirs.value(0).indices, px);
            for (bool tolerant : {true, false}) {
                GIFTolerateCorruptData = tolerant;
                TGIFImage gif;
                gif.LoadFromFile(name);
                QCOMPARE(IndicesOf(gif.Frames(0)), px);
                QVERIFY(!gif.Corrupted());
                // What we write from it giflib reads to the same values.
                const QString copy = name + QStringLiteral(".copy.gif");
                gif.SaveToFile(copy);
                QCOMPARE(dump(copy, &clean).value(0).indices, px);
                QVERIFY(clean);
            }
            GIFTolerateCorruptData = true;
        }
        // A minimum code size of 9: gifsicle and ImageMagick show it, and so do we.
        const QString nine = file(QStringLiteral("nine.gif"), true, 9, true);
        QCOMPARE(run(gifsicle_, {QStringLiteral("-I"), nine}).exitCode, 0);
        const QByteArray theirs = rendered(nine);
        QCOMPARE(theirs.size(), 12 * 4);
        TGIFImage gif;
        gif.LoadFromFile(nine);
        QVERIFY(!gif.Corrupted());
        QCOMPARE(IndicesOf(gif.Frames(0)), px);
        const QImage mine = gif.Frames(0)->Bitmap()->Image().convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < 12; ++i) {
            const auto *p = reinterpret_cast<const uchar *>(theirs.constData()) + 4 * i;
            QCOMPARE(mine.pixel(i % 4, i / 4) & 0xFFFFFF, qRgb(p[0], p[1], p[2]) & 0xFFFFFF);
        }
    }

    void transparencyFollowsTheIndexAsElsewhere()
    {
        // Entries 1 and 2 share a colour; frame 1 is transparent at index 1 only.
        const QList<QRgb> colours{qRgb(255, 0, 0), qRgb(1, 2, 3), qRgb(1, 2, 3), qRgb(0, 255, 0)};
        QByteArray second;
        for (int i = 0; i < 24; ++i)
            second.append(char(i % 3 == 0 ? 1 : i % 3 == 1 ? 2 : 3));
        const QString file = k5test::WriteFile(dir_ + QStringLiteral("sharedkey.gif"),
                                               handMade(6, 4, colours, {{0, 0, 6, 4, QByteArray(24, '\0')},
                                                                        {0, 0, 6, 4, second, 0x05, 10, 1}}));
        const QByteArray theirs = rendered(file);
        QCOMPARE(theirs.size(), 2 * 6 * 4 * 4);
        TGIFImage gif;
        gif.LoadFromFile(file);
        QWidget form;
        form.resize(40, 40);
        form.show();
        TQvGIFAnimator anim(&form);
        anim.show();
        anim.SetImage(&gif);
        anim.SetFrameIndex(1);
        const QImage shown = anim.grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const char *px = theirs.constData() + 6 * 4 * 4 + (y * 6 + x) * 4;
                QCOMPARE(uchar(px[3]), uchar(255));
                QCOMPARE(shown.pixel(x, y) & 0xFFFFFF, qRgb(uchar(px[0]), uchar(px[1]), uchar(px[2])) & 0xFFFFFF);
            }
    }

    void longestDelaysAgreeWithGiflib()
    {
        const QString file = dir_ + QStringLiteral("slow.gif");
        make(QStringLiteral("slow.gif"), gifsicle_, {"--delay", "65535", dir_ + "anim.gif", "-o", file});
        corpus_.removeLast();
        TGIFImage gif;
        gif.LoadFromFile(file);
        QVERIFY(gif.Count() >= 2);
        QCOMPARE(gif.Frames(0)->AnimateInterval(), 655350);
        gif.Frames(1)->SetAnimateInterval(655340);
        const QString copy = file + QStringLiteral(".copy.gif");
        gif.SaveToFile(copy);
        bool clean = false;
        const QList<DumpFrame> theirs = dump(copy, &clean);
        QVERIFY(clean);
        QCOMPARE(theirs[0].delay, 65535);
        QCOMPARE(theirs[1].delay, 65534);
    }

    void whatWeWriteReadsTheSameElsewhere()
    {
        for (const QString &file : std::as_const(corpus_)) {
            TGIFImage gif;
            gif.LoadFromFile(file);
            const QString copy = file + QStringLiteral(".copy.gif");
            gif.SaveToFile(copy);
            bool clean = false;
            const QList<DumpFrame> ours = dump(copy, &clean);
            QVERIFY2(clean, qPrintable(copy));
            QCOMPARE(ours.size(), dump(file).size());
            QVERIFY2(run(gifdiff_, {file, copy}).exitCode == 0, qPrintable(copy));
            QVERIFY2(rendered(copy) == rendered(file), qPrintable(copy));

            // Every frame encoded afresh by our encoder from its bitmap.
            TGIFImage fresh;
            gif.DecodeAllFrames();
            for (int i = 0; i < gif.Count(); ++i) {
                TGIFFrame *src = gif.Frames(i);
                fresh.AddFrame(src->Bitmap());
                TGIFFrame *dst = fresh.Frames(i);
                dst->SetOrigin(src->Origin());
                dst->SetAnimateInterval(src->AnimateInterval());
                dst->SetDisposalMethod(src->DisposalMethod());
                dst->SetTransparentColor(src->TransparentColor());
            }
            fresh.SetLooping(gif.Looping());
            fresh.SetRepeatCount(gif.RepeatCount());
            const QString encoded = file + QStringLiteral(".fresh.gif");
            fresh.SaveToFile(encoded);
            const QList<DumpFrame> theirs = dump(encoded, &clean);
            QVERIFY2(clean, qPrintable(encoded));
            QCOMPARE(theirs.size(), qsizetype(fresh.Count()));
            for (int i = 0; i < fresh.Count(); ++i)
                QVERIFY2(theirs[i].indices == IndicesOf(gif.Frames(i)), qPrintable(QStringLiteral("%1 frame %2").arg(encoded).arg(i)));
            QVERIFY2(run(gifdiff_, {file, encoded}).exitCode == 0, qPrintable(encoded));
            QVERIFY2(rendered(encoded) == rendered(file), qPrintable(encoded));
        }
    }
};

K5_TEST_MAIN(TestQvGIFPeers)
#include "test_qvgifpeers.moc"
