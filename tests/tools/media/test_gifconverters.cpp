// The three picture converters driven as a user drives them: files chosen in the real file dialogs,
// Ok pressed, the message answered; then the files written are read back.
#include "tools/media/gifconverters.h"
#include "tools/media/gifimage.h"

#include "graphics/qv/qvgif.h"
#include "tests/graphics/qv/giftestsupport.h"
#include "platform/graphics/bitmap.h"
#include "platform/shell/folderdialog.h"

#include "k5test.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using k5test::User;

namespace {

// A picture of four colours whose bottom-left pixel is the only dark red one.
QImage fourColours(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(250, 250, 250), qRgb(0, 120, 0), qRgb(0, 0, 200)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, colours[(x + y) % 3]);
    img.setPixel(0, height - 1, qRgb(128, 0, 0));
    return img;
}

QString writeBitmap(const QString &path, const QImage &img)
{
    platform::Bitmap bmp;
    bmp.SetImage(img.convertToFormat(QImage::Format_RGB888));
    bmp.SaveToFile(path);
    return path;
}

QImage readBitmap(const QString &path)
{
    platform::Bitmap bmp;
    bmp.LoadFromFile(path);
    return bmp.Image().convertToFormat(QImage::Format_RGB32);
}

// An animation of the given frames, written by the editor's GIF model.
QString writeAnimation(const QString &path, const QList<QImage> &frames)
{
    gfx::TGIFImage gif;
    for (const QImage &f : frames) {
        platform::Bitmap bmp;
        bmp.SetImage(f.convertToFormat(QImage::Format_Indexed8));
        gif.AddFrame(&bmp);
    }
    k5test::WriteFile(path, gif.WriteGIF(false));
    return path;
}

QImage solid(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) | 0xFF000000u) != (b.pixel(x, y) | 0xFF000000u))
                return false;
    return true;
}

// Presses Ok and answers the one message with OK; gives its text.
QString pressOk(media::TConverterWindow &w)
{
    User user;
    user.Click(QStringLiteral("OK"));
    QTest::mouseClick(w.OkButton, Qt::LeftButton);
    k5test::Settle();
    return user.Texts.value(0);
}

QStringList filesIn(const QString &folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

} // namespace

class TestGifConverters : public QObject {
    Q_OBJECT

private slots:
    void windowsShowTheirCaptions()
    {
        media::Tbmptogif a;
        media::Tgiftobmp b;
        media::Tdeanimation c;
        QCOMPARE(a.windowTitle(), QString("Bitmap to GIF Conversion"));
        QCOMPARE(b.windowTitle(), QString("GIF to Bitmap Conversion"));
        QCOMPARE(c.windowTitle(), QString("GIF De-Animation"));
        QVERIFY(a.findChild<QLabel *>("Banner")->text() == "Convert BMP Files to GIF Files...");
        QVERIFY(b.findChild<QLabel *>("Banner")->text() == "Convert GIF Files to BMP Files...");
        QVERIFY(c.findChild<QLabel *>("Banner")->text() == "Make your Animated GIF Files to a Non-Animated File");
        QVERIFY(c.findChild<QLabel *>("Output Folder"));
        QCOMPARE(a.TransparentColor(), qRgb(0x80, 0x80, 0) & 0xFFFFFF); // olive
        QVERIFY(a.ProgressLabel->isHidden());
        a.show();
        QTest::mouseClick(a.CancelButton, Qt::LeftButton);
        QVERIFY(!a.isVisible());
    }

    void bitmapToGifThroughTheDialogs()
    {
        QTemporaryDir dir;
        const QImage img = fourColours(30, 100);
        const QString in = writeBitmap(dir.filePath("in.bmp"), img);
        const QString out = dir.filePath("out.gif");
        media::Tbmptogif w;
        w.show();
        {
            User user;
            user.TypeFileName(in).TypeFileName(out);
            QTest::mouseClick(w.InputBrowse, Qt::LeftButton);
            QTest::mouseClick(w.OutputBrowse, Qt::LeftButton);
            QVERIFY(user.Done());
        }
        QCOMPARE(w.InputEdit->text(), in);
        QCOMPARE(w.OutputEdit->text(), out);
        // The transparent colour offered is the bottom-left pixel's.
        QCOMPARE(w.TransparentColor(), qRgb(128, 0, 0) & 0xFFFFFF);
        w.SaveTransparent->setChecked(true);
        w.SaveInterlaced->setChecked(true);
        // The label follows the writer's progress and goes at the end.
        QStringList seen;
        const auto shown = w.GIFImage1->OnProgress;
        w.GIFImage1->OnProgress = [&](QObject *s, qint64 p, bool &go, int percent, qint64 size) {
            shown(s, p, go, percent, size);
            seen << (w.ProgressLabel->isVisible() ? w.ProgressLabel->text() : QStringLiteral("hidden"));
        };
        QCOMPARE(pressOk(w), QString("GIF Saved. Success!"));
        QCOMPARE(seen.value(0), QString("0% Complete"));
        QVERIFY(seen.contains("50% Complete"));
        QCOMPARE(seen.last(), QString("hidden"));
        QVERIFY(w.ProgressLabel->isHidden());
        media::TGIFImage back;
        QVERIFY(back.LoadFromFile(out));
        media::TGIFFrameInfo info;
        QVERIFY(back.GetFrameInfo(1, info));
        QVERIFY(info.Interlaced);
        QVERIFY(info.Transparent);
        QCOMPARE(info.TransparentColor, qRgb(128, 0, 0));
        QVERIFY(samePixels(info.Bitmap, img));
    }

    void colourPanelOffersTheColourDialog()
    {
        media::Tbmptogif w;
        w.show();
        User user;
        user.Then([](QWidget *m) {
                auto *d = qobject_cast<QColorDialog *>(m);
                if (!d)
                    return false;
                d->setCurrentColor(QColor(1, 2, 3));
                d->accept();
                return true;
            })
            .Then([](QWidget *m) {
                auto *d = qobject_cast<QColorDialog *>(m);
                if (!d)
                    return false;
                d->setCurrentColor(QColor(9, 9, 9));
                d->reject();
                return true;
            });
        QTest::mouseClick(w.ColorPanel, Qt::LeftButton);
        QCOMPARE(w.TransparentColor(), qRgb(1, 2, 3) & 0xFFFFFF);
        QTest::mouseClick(w.ColorPanel, Qt::LeftButton); // cancelled: the colour stays
        QVERIFY(user.Done());
        QCOMPARE(w.TransparentColor(), qRgb(1, 2, 3) & 0xFFFFFF);
    }

    void bitmapToGifFailuresSaySoAndWriteNothing()
    {
        QTemporaryDir dir;
        media::Tbmptogif w;
        w.show();
        // More than 256 colours.
        QImage many(257, 1, QImage::Format_RGB32);
        for (int x = 0; x < 257; ++x)
            many.setPixel(x, 0, qRgb(x % 256, x / 256, 7));
        w.InputEdit->setText(writeBitmap(dir.filePath("many.bmp"), many));
        w.OutputEdit->setText(dir.filePath("many.gif"));
        QCOMPARE(pressOk(w), QString("Save Failed. Error Code = 4 [Image contains too many Colors (>256)]"));
        QVERIFY(!QFile::exists(dir.filePath("many.gif")));
        // A file that cannot be written is no success; what was there stays.
        w.InputEdit->setText(writeBitmap(dir.filePath("small.bmp"), fourColours(3, 3)));
        // (Its folder would be a file.)
        w.OutputEdit->setText(k5test::WriteFile(dir.filePath("blocker"), "x") + QStringLiteral("/x.gif"));
        QCOMPARE(pressOk(w), QString("Save Failed. Error Code = 2 [Internal Error]"));
        // A damaged bitmap.
        const QString keep = k5test::WriteFile(dir.filePath("keep.gif"), "kept");
        w.InputEdit->setText(k5test::WriteFile(dir.filePath("bad.bmp"), "BM this is no bitmap"));
        w.OutputEdit->setText(keep);
        QCOMPARE(pressOk(w), QString("Load Failed. Bitmap image is not valid"));
        QCOMPARE(k5test::ReadFile(keep), QByteArray("kept"));
        // A picture wider than the editor opens is not written for it to refuse.
        w.InputEdit->setText(writeBitmap(dir.filePath("wide.bmp"), solid(gfx::kGIFMaxFrameSide + 1, 2, qRgb(1, 2, 3))));
        QCOMPARE(pressOk(w), QString("Save Failed. Error Code = 9 [GIF image too large]"));
        QCOMPARE(k5test::ReadFile(keep), QByteArray("kept"));
        w.InputEdit->setText(writeBitmap(dir.filePath("edge.bmp"), solid(gfx::kGIFMaxFrameSide, 2, qRgb(1, 2, 3))));
        QCOMPARE(pressOk(w), QString("GIF Saved. Success!"));
        gfx::TGIFImage editor;
        editor.ReadGIF(k5test::ReadFile(keep), true);
        QCOMPARE(editor.Frames(0)->Width(), gfx::kGIFMaxFrameSide);
    }

    void gifToBitmapWritesTheFirstFrame()
    {
        QTemporaryDir dir;
        const QImage first = fourColours(5, 4);
        const QString in = writeAnimation(dir.filePath("anim.gif"), {first, solid(5, 4, qRgb(0, 0, 255))});
        const QString out = dir.filePath("first.bmp");
        media::Tgiftobmp w;
        w.show();
        {
            User user;
            user.TypeFileName(in).TypeFileName(out);
            QTest::mouseClick(w.InputBrowse, Qt::LeftButton);
            QTest::mouseClick(w.OutputBrowse, Qt::LeftButton);
            QVERIFY(user.Done());
        }
        QCOMPARE(pressOk(w), QString("GIF Converted. Success!"));
        QVERIFY(samePixels(readBitmap(out), first));
        // A missing or damaged GIF leaves the bitmap written before alone.
        w.InputEdit->setText(dir.filePath("missing.gif"));
        QCOMPARE(pressOk(w), QString("Load Failed. Error Code = 7 [File not Found]\nCannot open file \"%1\". No such file or directory.")
                                 .arg(dir.filePath("missing.gif")));
        w.InputEdit->setText(k5test::WriteFile(dir.filePath("bad.gif"), "GIF89a\x01"));
        QCOMPARE(pressOk(w), QString("Load Failed. Error Code = 3 [Invalid File Format]"));
        QVERIFY(samePixels(readBitmap(out), first));
    }

    void deanimationWritesOneBitmapPerFrame()
    {
        QTemporaryDir dir;
        const QList<QImage> frames{solid(4, 3, qRgb(255, 0, 0)), solid(4, 3, qRgb(0, 255, 0)), fourColours(4, 3)};
        const QString in = writeAnimation(dir.filePath("anim.gif"), frames);
        const QString folder = dir.filePath("frames");
        QVERIFY(QDir().mkpath(folder));
        media::Tdeanimation w;
        w.show();
        {
            User user;
            user.TypeFileName(in).Then([&](QWidget *m) {
                auto *d = qobject_cast<platform::FolderDialog *>(m);
                if (!d)
                    return false;
                d->SetSelection(folder);
                d->accept();
                return true;
            });
            QTest::mouseClick(w.InputBrowse, Qt::LeftButton);
            QTest::mouseClick(w.OutputBrowse, Qt::LeftButton);
            QVERIFY(user.Done());
        }
        QCOMPARE(w.OutputEdit->text(), folder);
        QCOMPARE(pressOk(w), QString("Animation Saved. Success!"));
        QCOMPARE(filesIn(folder), (QStringList{"Frame001.bmp", "Frame002.bmp", "Frame003.bmp"}));
        for (int i = 0; i < 3; ++i)
            QVERIFY(samePixels(readBitmap(folder + QStringLiteral("/Frame00%1.bmp").arg(i + 1)), frames[i]));

        // One image: one file, number 001.
        const QString single = dir.filePath("single");
        QVERIFY(QDir().mkpath(single));
        w.InputEdit->setText(writeAnimation(dir.filePath("one.gif"), {fourColours(2, 2)}));
        w.OutputEdit->setText(single + QLatin1Char('/'));
        QCOMPARE(pressOk(w), QString("Animation Saved. Success!"));
        QCOMPARE(filesIn(single), QStringList{"Frame001.bmp"});

        // No folder, or one that does not exist: nothing is written anywhere.
        w.OutputEdit->setText(dir.filePath("nowhere"));
        QCOMPARE(pressOk(w), QString("Save Failed. The output folder \"%1\" does not exist.").arg(dir.filePath("nowhere")));
        w.OutputEdit->clear();
        QVERIFY(pressOk(w).startsWith("Save Failed."));
        QVERIFY(!QFile::exists(dir.filePath("Frame001.bmp")));
        w.InputEdit->setText(dir.filePath("missing.gif"));
        QCOMPARE(pressOk(w), QString("Load Failed. Error Code = 7 [File not Found]\nCannot open file \"%1\". No such file or directory.")
                                 .arg(dir.filePath("missing.gif")));
    }

    // A valid file of 16000 x 16000 pixels in under 100 KB would hold gigabytes once shown: both
    // converters refuse it with the words the editor uses, and the files already there stay as they were.
    void aPictureBeyondTheBudgetIsRefusedAndReplacesNothing()
    {
        QTemporaryDir dir;
        const QByteArray huge = giftest::FlatGIF(16000, 16000);
        QVERIFY(huge.size() < 100 * 1024);
        const QString in = k5test::WriteFile(dir.filePath("huge.gif"), huge);
        try {
            gfx::TGIFImage editor;
            editor.ReadGIF(huge, false);
            QFAIL("the editor's reader took it");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QString("GIF image too large"));
        }
        const QString tooLarge = QStringLiteral("Load Failed. Error Code = 9 [GIF image too large]");

        const QString out = writeBitmap(dir.filePath("out.bmp"), fourColours(3, 2));
        const QByteArray before = k5test::ReadFile(out);
        {
            media::Tgiftobmp w;
            w.show();
            w.InputEdit->setText(in);
            w.OutputEdit->setText(out);
            QCOMPARE(pressOk(w), tooLarge);
        }
        QCOMPARE(k5test::ReadFile(out), before);

        const QString folder = dir.filePath("frames");
        QVERIFY(QDir().mkpath(folder));
        const QString frame = writeBitmap(folder + QStringLiteral("/Frame001.bmp"), fourColours(2, 2));
        const QByteArray frameBefore = k5test::ReadFile(frame);
        {
            media::Tdeanimation w;
            w.show();
            w.InputEdit->setText(in);
            w.OutputEdit->setText(folder);
            QCOMPARE(pressOk(w), tooLarge);
        }
        QCOMPARE(k5test::ReadFile(frame), frameBefore);
        QCOMPARE(filesIn(folder), QStringList{"Frame001.bmp"});

        // The display control says the same and keeps the picture it showed.
        media::TGIFImage control;
        QVERIFY(control.LoadFromFile(writeAnimation(dir.filePath("small.gif"), {fourColours(4, 3)})));
        QVERIFY(!control.LoadFromFile(in));
        QCOMPARE(control.Status(), 9);
        QCOMPARE(control.StatusText(), QString("GIF image too large"));
        QCOMPARE(control.FrameCount(), 1);
        QCOMPARE(control.ScreenWidth(), 4);

        // The same kind of file at a size the budget holds converts, every pixel black.
        const QString flat = k5test::WriteFile(dir.filePath("flat.gif"), giftest::FlatGIF(1500, 1000));
        // (ImageMagick decodes every pixel of it too: one colour, no complaint.)
        if (!QStandardPaths::findExecutable(QStringLiteral("identify")).isEmpty()) {
            QProcess identify;
            identify.start(QStringLiteral("identify"), {"-format", "%w %h %k", flat});
            QVERIFY(identify.waitForFinished(60000));
            QCOMPARE(identify.readAllStandardOutput(), QByteArray("1500 1000 1"));
            QCOMPARE(identify.readAllStandardError(), QByteArray());
        }
        media::Tgiftobmp w;
        w.show();
        w.InputEdit->setText(flat);
        w.OutputEdit->setText(out);
        QCOMPARE(pressOk(w), QString("GIF Converted. Success!"));
        QVERIFY(samePixels(readBitmap(out), solid(1500, 1000, qRgb(0, 0, 0))));
    }

    void bitmapsWrittenReplaceOldFilesWhole()
    {
        // A file already there, with a second name (a hard link): writing the new picture in its place
        // leaves what the other name holds as it was.
        QTemporaryDir dir;
        const QList<QImage> frames{fourColours(5, 4), solid(5, 4, qRgb(0, 0, 255))};
        const QString in = writeAnimation(dir.filePath("anim.gif"), frames);
        const QString out = k5test::WriteFile(dir.filePath("first.bmp"), "an older picture");
        const QString folder = dir.filePath("frames");
        QVERIFY(QDir().mkpath(folder));
        const QString second = k5test::WriteFile(folder + QStringLiteral("/Frame002.bmp"), "an older frame");
        {
            k5test::HardLink old(out);
            QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
            media::Tgiftobmp w;
            w.show();
            w.InputEdit->setText(in);
            w.OutputEdit->setText(out);
            QCOMPARE(pressOk(w), QString("GIF Converted. Success!"));
            QCOMPARE(old.Bytes(), QByteArray("an older picture"));
            QVERIFY(samePixels(readBitmap(out), frames[0]));
        }
        k5test::HardLink old(second);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        media::Tdeanimation w;
        w.show();
        w.InputEdit->setText(in);
        w.OutputEdit->setText(folder);
        QCOMPARE(pressOk(w), QString("Animation Saved. Success!"));
        QCOMPARE(old.Bytes(), QByteArray("an older frame"));
        QVERIFY(samePixels(readBitmap(second), frames[1]));
    }
};

K5_TEST_MAIN(TestGifConverters)
#include "test_gifconverters.moc"
