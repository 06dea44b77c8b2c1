// Animated cursors built chunk by chunk: frames, rates, sequence and names as the file gives them;
// every size checked against its chunk and the file, a damaged file refused whole; the frames handed to
// an icon, an icon list, a strip bitmap and a GIF image.
#include "graphics/qv/qvanifile.h"
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvicolist.h"

#include "icontestsupport.h"
#include "k5test.h"

#include "platform/graphics/jpeg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace gfx;
using namespace icontest;

namespace {

const QList<QRgb> kTwo = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
const QList<QRgb> kColours = {qRgb(200, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 220), qRgb(250, 250, 0)};

QList<QRgb> padded(const QList<QRgb> &colours, int bits)
{
    QList<QRgb> p = colours;
    while (p.size() < (1 << bits))
        p.append(qRgb(0, 0, 0));
    return p;
}

// A 1-bit cursor whose picture depends on n, so frames can be told apart.
QByteArray cursor(int n, int hotX = 0, int hotY = 0, int side = 16)
{
    QImage img = Picture(side, side, kTwo);
    img.setPixel(n % side, side - 1, n % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return SimpleCursor(img, 1, kTwo, hotX, hotY);
}

QByteArray colourIcon(int side, int bits)
{
    return SimpleIcon(Picture(side, side, kColours), bits, bits <= 8 ? padded(kColours, bits) : QList<QRgb>());
}

std::unique_ptr<TAnimatedCursorImage> read(const QByteArray &file)
{
    auto ani = std::make_unique<TAnimatedCursorImage>();
    ani->LoadFromBytes(file);
    return ani;
}

// The usual layout: header, names, rates, sequence, then the icons.
QByteArray threeCursors()
{
    Anih h;
    h.frames = 3;
    h.steps = 3;
    h.rate = 10;
    return Riff(AnihChunk(h) + List("INFO", Chunk("INAM", "Spinner\0") + Chunk("IART", "Someone\0")) +
                Chunk("rate", U32s({5, 6, 7})) + Frames({cursor(0, 1, 2), cursor(1, 3, 4), cursor(2, 5, 6)}));
}

void expectReadError(TAnimatedCursorImage &ani, const QByteArray &file)
{
    try {
        ani.LoadFromBytes(file);
        QFAIL("the file was taken");
    } catch (const platform::StreamError &e) {
        QCOMPARE(e.message(), QStringLiteral("Stream read error"));
    }
}

} // namespace

class TestQvAniFile : public QObject {
    Q_OBJECT

private slots:
    void readsFramesRatesNamesAndHotspots()
    {
        const auto ani = read(threeCursors());
        QCOMPARE(ani->Count(), 3);
        QCOMPARE(ani->Title(), QStringLiteral("Spinner"));
        QCOMPARE(ani->Artist(), QStringLiteral("Someone"));
        QCOMPARE(ani->Header().dwFrames, 3u);
        QCOMPARE(ani->Header().dwSteps, 3u);
        QCOMPARE(ani->Header().dwJIFRate, 10u);
        QCOMPARE(ani->Header().dwFlags, AF_ICON);
        QCOMPARE(ani->IconColors(), 2);
        for (int i = 0; i < 3; ++i) {
            const TIconFrame *f = ani->Frames(i);
            QCOMPARE(f->JiffRate, quint32(5 + i));
            QCOMPARE(f->Seq, i);
            QVERIFY(!f->IsIcon);
            QCOMPARE(f->HotSpot, QPoint(1 + 2 * i, 2 + 2 * i));
            QCOMPARE(f->TagHeader.Id, QByteArray("icon"));
            QCOMPARE(f->TagHeader.Size, quint32(cursor(i).size()));
            // The cursor was read as an icon: its directory says so now, nothing else changed.
            QByteArray expected = cursor(i, 1 + 2 * i, 2 + 2 * i);
            expected[2] = 1;
            QCOMPARE(ani->Icons(i)->Data(), expected);
            QCOMPARE(ani->Icons(i)->Width(), 16);
        }
        QVERIFY(!ani->Icons(0)->Equals(ani->Icons(1)));
        QVERIFY_THROWS_EXCEPTION(platform::Error, ani->Frames(3));
    }

    void withoutHeaderEveryIconIsAFrame()
    {
        const auto ani = read(Riff(Frames({colourIcon(16, 4), colourIcon(24, 8), colourIcon(20, 32)})));
        QCOMPARE(ani->Count(), 3);
        QCOMPARE(ani->Header().dwSteps, 3u);
        QCOMPARE(ani->IconColors(), 256);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(ani->Frames(i)->JiffRate, 0u);
            QCOMPARE(ani->Frames(i)->Seq, -1);
            QVERIFY(ani->Frames(i)->IsIcon);
        }
        // An icon's hotspot is its middle.
        QCOMPARE(ani->Frames(1)->HotSpot, QPoint(12, 12));
        QCOMPARE(ani->Icons(2)->Width(), 20);
        // Rates and a sequence mean nothing without the header that counts the steps.
        const auto loose = read(Riff(Chunk("rate", U32s({9})) + Chunk("seq ", U32s({1})) + Frames({cursor(0), cursor(1)})));
        QCOMPARE(loose->Count(), 2);
        QCOMPARE(loose->Frames(0)->JiffRate, 0u);
        QCOMPARE(loose->Frames(0)->Seq, -1);
    }

    void sequenceMapsStepsToIcons()
    {
        Anih h;
        h.frames = 3;
        h.steps = 6;
        h.flags = AF_ICON | AF_SEQUENCE;
        h.rate = 4;
        // Step 5 names an icon the file lacks; icon 3 is shown by no step.
        const QByteArray file = Riff(AnihChunk(h) + Chunk("seq ", U32s({0, 1, 2, 1, 0, 7})) +
                                     Chunk("rate", U32s({1, 2, 3, 4, 5, 6})) +
                                     Frames({cursor(0), cursor(1), cursor(2), cursor(3)}));
        const auto ani = read(file);
        QCOMPARE(ani->Count(), 6);
        const QList<int> seq = {0, 1, 2, 1, 0, -1};
        const QList<int> shows = {0, 1, 2, 1, 0, 3};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(ani->Frames(i)->Seq, seq[i]);
            QCOMPARE(ani->Frames(i)->JiffRate, quint32(i < 5 ? i + 1 : 4));
            QByteArray expected = cursor(shows[i]);
            expected[2] = 1;
            QCOMPARE(ani->Icons(i)->Data(), expected);
        }
        QVERIFY(ani->Icons(1) != ani->Icons(3));
        QCOMPARE(ani->Header().dwSteps, 6u);
    }

    void framesWithoutIconsAreRemoved()
    {
        Anih h;
        h.frames = 5;
        h.steps = 5;
        const auto ani = read(Riff(AnihChunk(h) + Frames({cursor(0), cursor(1), cursor(2)})));
        QCOMPARE(ani->Count(), 3);
        QCOMPARE(ani->Header().dwSteps, 3u);
        QCOMPARE(ani->Header().dwFrames, 5u);
        // A count no file could hold costs nothing.
        h.frames = h.steps = 0xFFFFFFFFu;
        QCOMPARE(read(Riff(AnihChunk(h) + Frames({cursor(0), cursor(1)})))->Count(), 2);
    }

    void namesAreCutAt255()
    {
        const QByteArray longName(300, 'n');
        const auto ani = read(Riff(List("INFO", Chunk("INAM", longName) + Chunk("IART", QByteArray("Andr\xE9\0tail", 10))) +
                                   Frames({cursor(0)})));
        QCOMPARE(ani->Title(), QString(255, QLatin1Char('n')));
        QCOMPARE(ani->Artist(), QStringLiteral("Andr\u00E9"));
        // A name larger than its list ends the list; what came before stays.
        const QByteArray info = "INFO" + Chunk("INAM", "First") + QByteArray("IART") + U32(500) + "x";
        const auto cut = read(Riff(Chunk("LIST", info) + Frames({cursor(0)})));
        QCOMPARE(cut->Title(), QStringLiteral("First"));
        QCOMPARE(cut->Artist(), QString());
        QCOMPARE(cut->Count(), 1);
    }

    void headerIsReadAsAtMost36Bytes()
    {
        // A longer header keeps its rest to itself; the chunk after it is found.
        const QByteArray longer =
            Chunk("anih", U32s({44, 2, 2, 0, 0, 0, 0, 8, AF_ICON, 0xFFFFFFFF, 0xFFFFFFFF}));
        const auto ani = read(Riff(longer + Frames({cursor(0), cursor(1)})));
        QCOMPARE(ani->Count(), 2);
        QCOMPARE(ani->Frames(1)->JiffRate, 8u);
        QCOMPARE(ani->Header().dwSizeof, 44u);
        // A shorter one is read as zeros past its end, which leaves no flag.
        TAnimatedCursorImage shorter;
        expectReadError(shorter, Riff(Chunk("anih", U32s({20, 2, 2, 0, 0})) + Frames({cursor(0)})));
    }

    // Chunks we do not read are skipped, odd ones with their pad byte; one that overruns the file ends it.
    void unknownChunksAreSkipped()
    {
        const QByteArray odd = Chunk("junk", "abc") + List("othr", Chunk("icon", "not read"));
        const auto ani = read(Riff(odd + List("fram", Chunk("icon", cursor(0)) + Chunk("note", "x") + Chunk("icon", cursor(1))) + "zzzz" + U32(999)));
        QCOMPARE(ani->Count(), 2);
        // The last chunk may lack its pad byte.
        QByteArray noPad = Riff(Frames({cursor(0)}) + Chunk("last", "abc"));
        noPad.chop(1);
        QCOMPARE(read(noPad)->Count(), 1);
        // The RIFF size is not trusted.
        QByteArray wrongSize = Riff(Frames({cursor(0)}));
        wrongSize.replace(4, 4, U32(4));
        QCOMPARE(read(wrongSize)->Count(), 1);
    }

    void damagedFilesAreRefusedAndLoseNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        Anih h;
        h.frames = h.steps = 2;
        const QByteArray header = AnihChunk(h);
        const QByteArray icons = Frames({cursor(0), cursor(1)});
        Anih noFlag = h;
        noFlag.flags = AF_SEQUENCE;
        Anih noSteps = h;
        noSteps.steps = 0;
        QByteArray badDir = cursor(0);
        badDir.replace(4, 2, U16(40));
        QByteArray badOffset = cursor(0);
        badOffset.replace(18, 4, U32(5000));
        QByteArray badBits = cursor(0);
        badBits.replace(22 + 14, 2, U16(16));
        QByteArray notIcon = cursor(0);
        notIcon.replace(2, 2, U16(3));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not RIFF") << QByteArray("RIFX") + Riff(icons).mid(4);
        QTest::newRow("not ACON") << Chunk("RIFF", "AVI " + icons);
        QTest::newRow("header only") << QByteArray("RIFF\0\0\0\0ACON", 12);
        QTest::newRow("no flag") << Riff(AnihChunk(noFlag) + icons);
        QTest::newRow("step count 0") << Riff(AnihChunk(noSteps) + icons);
        QTest::newRow("header past the end") << Riff(header.left(20));
        QTest::newRow("rate shorter than the steps") << Riff(header + Chunk("rate", U32s({1})) + icons);
        QTest::newRow("rate not whole") << Riff(header + Chunk("rate", U32s({1}) + "xyz") + icons);
        QTest::newRow("sequence shorter than the steps") << Riff(header + Chunk("seq ", U32s({1})) + icons);
        QTest::newRow("rate past the end") << Riff(header + icons + QByteArray("rate") + U32(8) + U32(1));
        QTest::newRow("icon list past the end") << Riff(header + icons.left(icons.size() - 10));
        QTest::newRow("icon past its list")
            << Riff(header + Chunk("LIST", "fram" + QByteArray("icon") + U32(quint32(cursor(0).size()) + 10) + cursor(0)) +
                    icons);
        QTest::newRow("icon directory count") << Riff(header + Frames({cursor(1), badDir}));
        QTest::newRow("icon image offset") << Riff(header + Frames({badOffset}));
        QTest::newRow("icon bit count") << Riff(header + Frames({cursor(1), badBits}));
        QTest::newRow("icon of type 3") << Riff(header + Frames({notIcon}));
        QTest::newRow("no icon") << Riff(header);
        QTest::newRow("empty icon list") << Riff(header + Frames({}));
    }
    void damagedFilesAreRefusedAndLoseNothing()
    {
        QFETCH(QByteArray, file);
        const auto ani = read(threeCursors());
        expectReadError(*ani, file);
        QCOMPARE(ani->Count(), 3);
        QCOMPARE(ani->Title(), QStringLiteral("Spinner"));
        QCOMPARE(ani->Frames(2)->JiffRate, 7u);
    }

    void readsFilesStreamsAndCopies()
    {
        QTemporaryDir dir;
        const QString path = k5test::WriteFile(dir.filePath(QStringLiteral("spin.ani")), threeCursors());
        TAnimatedCursorImage fromFile;
        fromFile.LoadFromFile(path);
        QCOMPARE(fromFile.Count(), 3);
        QVERIFY_THROWS_EXCEPTION(platform::FileError, fromFile.LoadFromFile(dir.filePath("missing.ani")));
        QCOMPARE(fromFile.Count(), 3);

        QBuffer buffer;
        buffer.setData("skip" + threeCursors());
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(4);
        TAnimatedCursorImage fromStream;
        fromStream.LoadFromStream(buffer);
        QCOMPARE(fromStream.Count(), 3);

        TAnimatedCursorImage copy;
        copy.Assign(&fromFile);
        QCOMPARE(copy.Count(), 3);
        QCOMPARE(copy.Title(), fromFile.Title());
        QCOMPARE(copy.IconColors(), 2);
        QCOMPARE(copy.Header().dwJIFRate, 10u);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(copy.Icons(i) != fromFile.Icons(i));
            QVERIFY(copy.Icons(i)->Equals(fromFile.Icons(i)));
            QCOMPARE(copy.Frames(i)->HotSpot, fromFile.Frames(i)->HotSpot);
            QCOMPARE(copy.Frames(i)->JiffRate, fromFile.Frames(i)->JiffRate);
            QCOMPARE(copy.Frames(i)->Seq, fromFile.Frames(i)->Seq);
        }
        copy.Assign(nullptr);
        QCOMPARE(copy.Count(), 0);
        QCOMPARE(copy.Title(), QString());
        QCOMPARE(copy.IconColors(), 0);
        QCOMPARE(copy.Header().dwJIFRate, 0u);
    }

    // icotool's cursors keep their hotspots through our reader.
    void readsCursorsIcotoolMade()
    {
        if (Tool(QStringLiteral("icotool")).isEmpty())
            QSKIP("icoutils is not installed");
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("p.png"));
        QVERIFY(Picture(24, 24, kColours).save(png));
        QList<QByteArray> cursors;
        for (int i = 0; i < 2; ++i) {
            const QString cur = dir.filePath(QStringLiteral("c%1.cur").arg(i));
            QVERIFY(RunTool(Tool(QStringLiteral("icotool")),
                            {"-c", "--cursor", "-X", QString::number(3 + i), "-Y", QString::number(7 + i), "-o", cur, png}));
            cursors.append(k5test::ReadFile(cur));
        }
        const auto ani = read(Riff(Frames(cursors)));
        QCOMPARE(ani->Count(), 2);
        QCOMPARE(ani->Frames(0)->HotSpot, QPoint(3, 7));
        QCOMPARE(ani->Frames(1)->HotSpot, QPoint(4, 8));
        QCOMPARE(ani->IconColors(), 16);
        QCOMPARE(Difference(ani->Icons(0)->Image(), Picture(24, 24, kColours)), QString());
    }

    // The fuzz seeds: cursors and icons made with icotool and by a script of ours, put together.
    void readsTheSeedFiles()
    {
        const QString corpus = QStringLiteral(K5_SOURCE_DIR "/fuzz/anicursor/corpus/");
        const auto two = read(k5test::ReadFile(corpus + "two.ani"));
        QCOMPARE(two->Count(), 2);
        QCOMPARE(two->Frames(0)->HotSpot, QPoint(2, 3));
        QCOMPARE(two->Frames(1)->HotSpot, QPoint(1, 1));
        QCOMPARE(two->Frames(1)->JiffRate, 20u);
        QCOMPARE(two->IconColors(), 16);
        const auto seq = read(k5test::ReadFile(corpus + "seq.ani"));
        QCOMPARE(seq->Count(), 4);
        QCOMPARE(seq->Title(), QStringLiteral("Spin"));
        QCOMPARE(seq->Artist(), QStringLiteral("Kestrova"));
        QVERIFY(seq->Icons(0)->Equals(seq->Icons(3)));
        QVERIFY(seq->Icons(1)->Equals(seq->Icons(2)));
        QCOMPARE(seq->Frames(3)->JiffRate, 4u);
        QCOMPARE(seq->Frames(2)->HotSpot, QPoint(5, 5));
        QCOMPARE(read(k5test::ReadFile(corpus + "noanih.ani"))->Count(), 2);
        QCOMPARE(read(k5test::ReadFile(corpus + "png.ani"))->Icons(0)->Width(), 12);
        const auto deep = read(k5test::ReadFile(corpus + "deep.ani"));
        QCOMPARE(deep->Count(), 3);
        QCOMPARE(deep->IconColors(), 16);
        QCOMPARE(deep->Icons(2)->Width(), 32);
    }

    void handsFramesToIconsListsAndGifs()
    {
        Anih h;
        h.frames = h.steps = 2;
        const auto ani = read(Riff(AnihChunk(h) + Chunk("rate", U32s({6, 45})) + Frames({cursor(0), cursor(1)})));
        TIcon icon;
        ani->AssignTo(&icon);
        QVERIFY(icon.Equals(ani->Icons(0)));

        TIconList list;
        list.Add(icon.Empty() ? nullptr : &icon);
        int changes = 0;
        list.OnChange = [&](TIconList *) { ++changes; };
        list.Assign(ani.get());
        QCOMPARE(changes, 1);
        QCOMPARE(list.Count(), 2);
        QVERIFY(list[1]->Equals(ani->Icons(1)));

        TGIFImage gif;
        ani->AssignTo(&gif);
        QCOMPARE(gif.Count(), 2);
        QCOMPARE(gif.BackgroundColor(), platform::clWindow);
        QCOMPARE(gif.Frames(0)->AnimateInterval(), 100);
        QCOMPARE(gif.Frames(1)->AnimateInterval(), 750);
        QCOMPARE(gif.Frames(1)->Bitmap()->Width(), 16);
        QVERIFY(gif.Frames(0)->TransparentColor() != platform::clNone);

        platform::JpegImage jpeg;
        QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphicOperation, ani->AssignTo(&jpeg));

        TAnimatedCursorImage none;
        none.AssignTo(&icon);
        QVERIFY(icon.Empty());
        platform::Bitmap bitmap(3, 3);
        none.AssignTo(&bitmap);
        QVERIFY(bitmap.Empty());
        QVERIFY(!none.IconsStrip(true, platform::clWhite, true));
    }

    // The strip holds the frames in cells of the first icon's size, reduced to no fewer than 16 colours.
    void stripIsReducedToTheIconColours()
    {
        const auto mono = read(Riff(Frames({cursor(0), cursor(1), cursor(2)})));
        const std::unique_ptr<platform::Bitmap> wide = mono->IconsStrip(true, platform::clWhite, true);
        QCOMPARE(wide->Width(), 48);
        QCOMPARE(wide->Height(), 16);
        QCOMPARE(wide->GetPixelFormat(), platform::PixelFormat::pf4bit);
        const std::unique_ptr<platform::Bitmap> exact = mono->IconsStrip(false, platform::clWhite, false);
        QCOMPARE(exact->Width(), 16);
        QCOMPARE(exact->Height(), 48);
        for (int i = 0; i < 3; ++i) {
            QImage cell = mono->Icons(i)->Image().copy();
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const QRgb p = cell.pixel(x, y);
                    const QRgb shown = qAlpha(p) ? p | 0xFF000000u : 0xFFFFFFFFu;
                    QCOMPARE(wide->PixelColor(16 * i + x, y) | 0xFF000000u, shown);
                    QCOMPARE(exact->PixelColor(x, 16 * i + y) | 0xFF000000u, shown);
                }
        }
        // The bitmap a cursor is assigned to gets the horizontal strip over white.
        platform::Bitmap bitmap;
        mono->AssignTo(&bitmap);
        QCOMPARE(bitmap.Width(), 48);
        QCOMPARE(bitmap.GetPixelFormat(), platform::PixelFormat::pf4bit);

        const auto colour = read(Riff(Frames({colourIcon(16, 8), colourIcon(20, 24)})));
        QCOMPARE(colour->IconColors(), 256);
        const std::unique_ptr<platform::Bitmap> deep = colour->IconsStrip(true, platform::RGBColor(1, 2, 3), true);
        QCOMPARE(deep->GetPixelFormat(), platform::PixelFormat::pf8bit);
        QCOMPARE(deep->Width(), 32);
        QCOMPARE(deep->PixelColor(0, 0) & 0xFFFFFF, qRgb(1, 2, 3) & 0xFFFFFF);
        QCOMPARE(deep->PixelColor(5, 5) & 0xFFFFFF, colour->Icons(0)->Image().pixel(5, 5) & 0xFFFFFF);
    }

    // Saving is not supported: the user is told so in a message box and nothing is written.
    void savingSaysItIsNotImplemented()
    {
        const auto ani = read(threeCursors());
        QString shown;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                    shown = box->text();
                    answer.stop();
                    box->buttons().first()->click();
                }
        });
        answer.start(10);
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(platform::Abort, ani->SaveToStream(buffer));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(shown, QStringLiteral("Function not yet implemented"));
        QVERIFY(out.isEmpty());
        QCOMPARE(ani->Count(), 3);
    }
};

K5_TEST_MAIN(TestQvAniFile)
#include "test_qvanifile.moc"
