// The animated control, offscreen: frame delays, looping and stopping in both drawing modes, the
// composition rules, placement and sizing.
#include "graphics/qv/qvgifanimator.h"

#include "k5test.h"

#include <QPainter>
#include <QtTest>

using namespace gfx;
using platform::Bitmap;

namespace {

std::unique_ptr<Bitmap> solid(int w, int h, QRgb colour)
{
    QImage img(w, h, QImage::Format_Indexed8);
    img.setColorTable({colour, qRgb(255, 255, 255)});
    img.fill(0);
    auto b = std::make_unique<Bitmap>();
    b->SetIndexedImage(img, platform::PixelFormat::pf8bit);
    return b;
}

// Frames of the given delays, each a solid colour of the whole screen.
std::unique_ptr<TGIFImage> animation(const QList<int> &delays, int w = 12, int h = 8)
{
    auto gif = std::make_unique<TGIFImage>();
    for (qsizetype i = 0; i < delays.size(); ++i) {
        gif->AddFrame(solid(w, h, qRgb(40 * int(i), 100, 200)).get());
        gif->Frames(int(i))->SetAnimateInterval(delays[i]);
    }
    gif->SetFrameIndex(0);
    return gif;
}

QRgb pixelAt(QWidget *w, int x, int y) { return w->grab().toImage().pixel(x, y) & 0xFFFFFF; }

} // namespace

class TestQvGIFAnimator : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> form_;

    // A control on the form showing frame 0 of the picture, then the given frame.
    std::unique_ptr<TQvGIFAnimator> showing(TGIFImage *gif, int frame)
    {
        gif->SetFrameIndex(0);
        auto anim = std::make_unique<TQvGIFAnimator>(form_.get());
        anim->show();
        anim->SetImage(gif);
        anim->SetFrameIndex(frame);
        return anim;
    }

private slots:
    void init()
    {
        form_ = std::make_unique<QWidget>();
        form_->resize(200, 150);
        form_->show();
    }
    void cleanup() { form_.reset(); }

    void framesPlayForTheirClampedDelays()
    {
        TQvGIFAnimator anim(form_.get());
        QCOMPARE(anim.objectName(), QStringLiteral("QvGIFAnimator"));
        auto gif = animation({0, 20, 65535, 700});
        anim.SetImage(gif.get());
        QCOMPARE(anim.FrameIndex(), 0);
        QCOMPARE(anim.Timer()->Interval(), 50u);
        anim.SetFrameIndex(1);
        QCOMPARE(anim.Timer()->Interval(), 50u);
        anim.SetFrameIndex(2);
        QCOMPARE(anim.Timer()->Interval(), 10000u);
        anim.SetFrameIndex(3);
        QCOMPARE(anim.FrameDelay(), 700u);
        // Out-of-range indices are ignored.
        anim.SetFrameIndex(4);
        anim.SetFrameIndex(-1);
        QCOMPARE(anim.FrameIndex(), 3);
    }

    void oneFrameNeverSteps()
    {
        TQvGIFAnimator anim(form_.get());
        anim.show();
        auto gif = animation({100});
        anim.SetImage(gif.get());
        QCOMPARE(anim.FrameDelay(), 0u);
        int changes = 0;
        anim.OnFrameChanged = [&](QObject *) { ++changes; };
        anim.SetAnimate(true);
        QVERIFY(anim.Animate());
        // An interval of 0 keeps the timer still, and a tick given by hand does not step either.
        QVERIFY(!anim.Timer()->ThreadActive());
        QVERIFY(!anim.Timer()->WindowTimerActive());
        anim.Timer()->Tick();
        QCOMPARE(changes, 0);
        QCOMPARE(anim.FrameIndex(), 0);
    }

    void playsOnceWithoutLoop_data()
    {
        QTest::addColumn<bool>("async");
        QTest::newRow("synchronised") << false;
        QTest::newRow("asynchronous") << true;
    }
    void playsOnceWithoutLoop()
    {
        QFETCH(bool, async);
        TQvGIFAnimator anim(form_.get());
        anim.show();
        anim.SetAsyncDrawing(async);
        QCOMPARE(anim.Timer()->SyncEvent(), !async);
        anim.SetLoop(false);
        auto gif = animation({0, 0, 0});
        anim.SetImage(gif.get());
        QList<int> shown;
        QList<QThread *> threads;
        int starts = 0, stops = 0;
        anim.OnFrameChanged = [&](QObject *s) {
            QCOMPARE(s, &anim);
            shown.append(anim.FrameIndex());
            threads.append(QThread::currentThread());
        };
        anim.OnStart = [&](QObject *) { ++starts; };
        anim.OnStop = [&](QObject *) { ++stops; };
        anim.SetAnimate(true);
        QVERIFY(anim.Animate());
        QCOMPARE(starts, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!anim.Animate(), 5000);
        QCOMPARE(shown, (QList<int>{1, 2, 0}));
        QCOMPARE(anim.FrameIndex(), 0);
        QCOMPARE(stops, 1);
        for (QThread *t : threads)
            QCOMPARE(t, QCoreApplication::instance()->thread()); // handlers always on this thread
        // Stopped for good: the worker waits for a plan, nothing is handed over, and a tick does nothing.
        QVERIFY(!anim.Timer()->Enabled());
        QTRY_VERIFY(anim.Timer()->WorkerParked());
        QCOMPARE(anim.Timer()->PendingCalls(), 0);
        anim.Timer()->Tick();
        QCoreApplication::processEvents();
        QCOMPARE(shown.size(), 3);
    }

    void loopsUntilStopped()
    {
        TQvGIFAnimator anim(form_.get());
        anim.show();
        anim.SetAsyncDrawing(true);
        auto gif = animation({0, 0});
        anim.SetImage(gif.get());
        int changes = 0;
        anim.OnFrameChanged = [&](QObject *) { ++changes; };
        anim.SetAnimate(true);
        QTRY_VERIFY_WITH_TIMEOUT(changes >= 4, 5000);
        QVERIFY(anim.Animate());
        anim.SetAnimate(false);
        QVERIFY(!anim.Timer()->Enabled());
        QVERIFY(!anim.Timer()->OnTimer);
    }

    void hiddenControlsDoNotStep()
    {
        TQvGIFAnimator anim(form_.get());
        anim.hide();
        auto gif = animation({0, 0});
        anim.SetImage(gif.get());
        anim.SetAnimate(true);
        anim.Timer()->Tick(); // as the timer would
        QCOMPARE(anim.FrameIndex(), 0);
        anim.show();
        QTRY_VERIFY_WITH_TIMEOUT(anim.FrameIndex() == 1, 5000);
    }

    void composesAfterDisposal()
    {
        // Frame 0 fills the screen red; frame 1 is a blue square at (0,0) that restores the previous picture
        // after it; frame 2 is a green square at (6,0).
        auto gif = std::make_unique<TGIFImage>();
        gif->AddFrame(solid(12, 8, qRgb(255, 0, 0)).get());
        gif->AddFrame(solid(4, 4, qRgb(0, 0, 255)).get());
        gif->AddFrame(solid(4, 4, qRgb(0, 255, 0)).get());
        gif->Frames(2)->SetOrigin(QPoint(6, 0));
        gif->Frames(1)->SetDisposalMethod(3);
        auto shown = showing(gif.get(), 1);
        TQvGIFAnimator &anim = *shown;
        QCOMPARE(pixelAt(&anim, 1, 1), qRgb(0, 0, 255) & 0xFFFFFF);
        anim.SetFrameIndex(2);
        QCOMPARE(pixelAt(&anim, 1, 1), qRgb(255, 0, 0) & 0xFFFFFF); // restored, not kept
        QCOMPARE(pixelAt(&anim, 7, 1), qRgb(0, 255, 0) & 0xFFFFFF);
        // Kept when the square does not restore; cleared to the fill colour when it restores the background.
        gif->Frames(1)->SetDisposalMethod(1);
        anim.SetImage(gif.get());
        anim.SetFrameIndex(1);
        anim.SetFrameIndex(2);
        QCOMPARE(pixelAt(&anim, 1, 1), qRgb(0, 0, 255) & 0xFFFFFF);
        gif->Frames(1)->SetDisposalMethod(2);
        anim.SetImage(gif.get());
        anim.SetFrameIndex(2);
        QCOMPARE(pixelAt(&anim, 1, 1), platform::ToQColor(platform::clWindow).rgb() & 0xFFFFFF);
        QCOMPARE(pixelAt(&anim, 5, 5), qRgb(255, 0, 0) & 0xFFFFFF);
    }

    void transparentPixelsShowEarlierFrames()
    {
        auto gif = std::make_unique<TGIFImage>();
        gif->AddFrame(solid(6, 6, qRgb(255, 0, 0)).get());
        QImage img(6, 6, QImage::Format_Indexed8);
        img.setColorTable({qRgb(0, 255, 0), qRgb(1, 2, 3)});
        img.fill(1);
        img.setPixel(0, 0, 0);
        Bitmap b;
        b.SetIndexedImage(img, platform::PixelFormat::pf8bit);
        gif->AddFrame(&b);
        gif->Frames(1)->SetTransparentColor(platform::RGBColor(1, 2, 3));
        auto anim = showing(gif.get(), 1);
        QCOMPARE(pixelAt(anim.get(), 0, 0), qRgb(0, 255, 0) & 0xFFFFFF);
        QCOMPARE(pixelAt(anim.get(), 3, 3), qRgb(255, 0, 0) & 0xFFFFFF);
    }

    void opaquePixelsOfTheTransparentColourStay()
    {
        // Frame 0 is red with one pixel of (1,2,3); frame 1 is transparent where its value is 1, and its
        // table holds (1,2,3) again at 2, for an opaque pixel.
        const QRgb key = qRgb(1, 2, 3);
        QImage first(6, 6, QImage::Format_Indexed8);
        first.setColorTable({qRgb(255, 0, 0), key});
        first.fill(0);
        first.setPixel(5, 5, 1);
        QImage second(6, 6, QImage::Format_Indexed8);
        second.setColorTable({qRgb(0, 255, 0), key, key});
        second.fill(1);
        second.setPixel(0, 0, 0);
        second.setPixel(1, 0, 2);
        Bitmap a, b;
        a.SetIndexedImage(first, platform::PixelFormat::pf8bit);
        b.SetIndexedImage(second, platform::PixelFormat::pf8bit);
        auto gif = std::make_unique<TGIFImage>();
        gif->AddFrame(&a);
        gif->AddFrame(&b);
        gif->Frames(1)->SetTransparentColor(platform::FromQRgb(key));
        QCOMPARE(gif->Frames(1)->TransparentIndex(), 1);
        auto shown = showing(gif.get(), 1);
        TQvGIFAnimator &anim = *shown;
        QCOMPARE(pixelAt(&anim, 0, 0), qRgb(0, 255, 0) & 0xFFFFFF);
        QCOMPARE(pixelAt(&anim, 1, 0), key & 0xFFFFFF);
        QCOMPARE(pixelAt(&anim, 3, 3), qRgb(255, 0, 0) & 0xFFFFFF);
        QCOMPARE(pixelAt(&anim, 5, 5), key & 0xFFFFFF);
        // An opaque control shows the transparent colour where nothing is drawn.
        auto lone = std::make_unique<TGIFImage>();
        lone->AddFrame(&b);
        lone->Frames(0)->SetTransparentColor(platform::FromQRgb(key));
        anim.SetImage(lone.get());
        anim.SetTransparent(false);
        QCOMPARE(pixelAt(&anim, 3, 3), key & 0xFFFFFF);
        QCOMPARE(pixelAt(&anim, 0, 0), qRgb(0, 255, 0) & 0xFFFFFF);
        // The picture drawn on its own keys the same pixels.
        QImage canvas(6, 6, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter p(&canvas);
            gif->SetFrameIndex(1);
            gif->Draw(p, QRect(0, 0, 6, 6));
        }
        QCOMPARE(canvas.pixel(1, 0) & 0xFFFFFF, key & 0xFFFFFF);
        QCOMPARE(canvas.pixel(3, 3) & 0xFFFFFF, qRgb(255, 255, 255) & 0xFFFFFF);
    }

    void restoringFramesComposeInLinearWork()
    {
        // A full red frame, then 4 x 4 squares with a transparent colour that alternately stay and restore
        // the previous picture.
        constexpr int kFrames = 300;
        auto gif = std::make_unique<TGIFImage>();
        gif->AddFrame(solid(40, 40, qRgb(255, 0, 0)).get());
        for (int i = 1; i < kFrames; ++i) {
            QImage img(4, 4, QImage::Format_Indexed8);
            img.setColorTable({qRgb(0, i % 256, 255), qRgb(9, 9, 9)});
            img.fill(0);
            img.setPixel(3, 3, 1);
            Bitmap b;
            b.SetIndexedImage(img, platform::PixelFormat::pf8bit);
            gif->AddFrame(&b);
            TGIFFrame *f = gif->Frames(i);
            f->SetOrigin(QPoint((i % 10) * 4, (i / 10 % 10) * 4));
            f->SetTransparentColor(platform::RGBColor(9, 9, 9));
            f->SetDisposalMethod(i % 2 ? 1 : 3);
        }
        auto anim = showing(gif.get(), 0);
        for (int i = 1; i < kFrames; ++i) {
            anim->SetFrameIndex(i);
            anim->grab();
        }
        // Each step draws its own frame (re-composing from the start would draw some 11000).
        QVERIFY2(anim->FramesDrawn() <= 2 * kFrames, qPrintable(QString::number(anim->FramesDrawn())));
        // The same picture as composed from scratch.
        for (int i : {kFrames - 1, kFrames - 2, 7}) {
            anim->SetFrameIndex(i);
            QCOMPARE(anim->grab().toImage(), showing(gif.get(), i)->grab().toImage());
        }
    }

    void placementAndSize()
    {
        // Columns of distinct colours, 21 wide.
        QImage img(21, 4, QImage::Format_Indexed8);
        QVector<QRgb> table;
        for (int x = 0; x < 21; ++x)
            table.append(qRgb(x * 10, 50, 50));
        img.setColorTable(table);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 21; ++x)
                img.setPixel(x, y, uint(x));
        Bitmap b;
        b.SetIndexedImage(img, platform::PixelFormat::pf8bit);
        TGIFImage gif;
        gif.AddFrame(&b);

        TQvGIFAnimator anim(form_.get());
        anim.show();
        anim.SetImage(&gif);
        QCOMPARE(anim.size(), QSize(21, 4)); // auto-sized to the screen
        anim.SetAutoSize(false);
        anim.resize(10, 4);
        anim.SetCenter(true);
        // (10 - 21) / 2 rounds toward zero: the picture starts at -5.
        QCOMPARE(pixelAt(&anim, 0, 0), qRgb(50, 50, 50) & 0xFFFFFF);
        anim.SetCenter(false);
        QCOMPARE(pixelAt(&anim, 0, 0), qRgb(0, 50, 50) & 0xFFFFFF);
        anim.SetStretch(true);
        anim.resize(42, 8);
        QCOMPARE(pixelAt(&anim, 41, 7), qRgb(200, 50, 50) & 0xFFFFFF);
        QCOMPARE(anim.size(), QSize(42, 8)); // kept without auto-size
    }

    void storedDataAndChanges()
    {
        TQvGIFAnimator anim(form_.get());
        int changes = 0;
        anim.OnChange = [&](QObject *) { ++changes; };
        auto gif = animation({100, 200});
        anim.SetImage(gif.get());
        QVERIFY(changes >= 1);
        QByteArray stored;
        QBuffer out(&stored);
        out.open(QIODevice::WriteOnly);
        anim.WriteData(out);
        TQvGIFAnimator other(form_.get());
        QBuffer in(&stored);
        in.open(QIODevice::ReadOnly);
        other.ReadData(in);
        QCOMPARE(other.Image()->Count(), 2);
        QCOMPARE(other.FrameDelay(), 100u);
    }

    void destroyedWhilePlaying()
    {
        for (bool async : {false, true}) {
            auto *anim = new TQvGIFAnimator(form_.get());
            anim->show();
            anim->SetAsyncDrawing(async);
            auto gif = animation({0, 0, 0});
            anim->SetImage(gif.get());
            int changes = 0;
            anim->OnFrameChanged = [&](QObject *) { ++changes; };
            anim->SetAnimate(true);
            QTRY_VERIFY_WITH_TIMEOUT(changes >= 2, 5000);
            delete anim;
            const int seen = changes;
            // What the control had asked of the event loop goes with it.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            QCOMPARE(changes, seen);
        }
    }
};

K5_TEST_MAIN(TestQvGIFAnimator)
#include "test_qvgifanimator.moc"
