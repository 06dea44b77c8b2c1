#include "soundtest.h"

#include <cerrno>

using platform::SoundCapture;
using platform::SoundError;
using platform::SoundFormat;
using namespace soundtest;

class TestSoundCapture : public QObject {
    Q_OBJECT

private:
    static QString ErrorOf(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const SoundError &e) {
            return e.message();
        }
        return QString();
    }

private slots:
    void alsaListsCaptureDevicesFromItsHints()
    {
        UseSound alsa(platform::AlsaSoundSystem());
        {
            AlsaRawInput input(Noise(100), true);
            const QList<platform::SoundDevice> devices = platform::CurrentSoundSystem().CaptureDevices();
            QCOMPARE(devices.size(), 2);
            QCOMPARE(devices[0].id, QStringLiteral("default"));
            QCOMPARE(devices[1].id, QStringLiteral("k5raw"));
            QCOMPARE(devices[1].description, QStringLiteral("Raw test input"));
        }
        {
            // The null PCM only makes silence: a machine with nothing else has no capture device.
            const QString dir = k5test::Root() + QStringLiteral("/nullonly");
            const QString conf = k5test::WriteFile(dir + QStringLiteral("/asound.conf"),
                "pcm.null { type null\n hint { show on description \"Discard all samples\" } }\n");
            qputenv("ALSA_CONFIG_PATH", QFile::encodeName(conf));
            QVERIFY(platform::CurrentSoundSystem().CaptureDevices().isEmpty());
            QCOMPARE(ErrorOf([] { SoundCapture c{QString()}; }), QStringLiteral("No sound capture device was found."));
            QVERIFY(ErrorOf([] { SoundCapture c{QStringLiteral("nosuchpcm")}; })
                        .startsWith(QStringLiteral("The sound capture device \"nosuchpcm\" cannot be opened (")));
            qunsetenv("ALSA_CONFIG_PATH");
        }
    }

    void alsaProbesEveryFormatInItsOrder()
    {
        UseSound alsa(platform::AlsaSoundSystem());
        AlsaRawInput input(Noise(100));
        SoundCapture capture{QString()};
        // The file plugin over the null PCM takes every format, so all of them are listed, in order.
        QCOMPARE(capture.Formats(), platform::CandidateFormats());
        QCOMPARE(capture.Formats().size(), 7 * 4 * 2);
        QCOMPARE(capture.Formats().first(), (SoundFormat{8000, 8, 1}));
        QCOMPARE(capture.Formats()[3 * 8], (SoundFormat{33075, 8, 1}));
        QCOMPARE(capture.Formats().last(), (SoundFormat{96000, 32, 2}));
    }

    void alsaRecordsTheRawFileAtTheClocksPace()
    {
        UseSound alsa(platform::AlsaSoundSystem());
        for (const SoundFormat format : {SoundFormat{8000, 8, 1}, SoundFormat{22050, 24, 2}, SoundFormat{48000, 32, 2}}) {
            // Two seconds at 2% over the rate: what the pace lets through in that time.
            const int frames = format.rate * 2 * 51 / 50;
            const QByteArray raw = Noise(frames * format.FrameBytes(), quint32(format.rate));
            AlsaRawInput input(raw);
            ManualClock clock;
            SoundCapture capture(QStringLiteral("k5raw"));
            capture.Start(format, 1000);
            QVERIFY(capture.Running());
            QCOMPARE(capture.Available(), 0);
            QByteArray got;
            QByteArray buffer(1 << 20, '\0');
            for (int step = 1; step <= 8; ++step) {
                clock.SetSeconds(step * 0.25);
                // No more than the clock allows, and what it allows is there at once.
                const qint64 allowed = qint64(format.rate) * step * 51 / 200 * format.FrameBytes() - got.size();
                QCOMPARE(capture.Available(), allowed);
                const qint64 n = capture.Read(buffer.data(), buffer.size());
                QCOMPARE(n, allowed);
                got += buffer.left(int(n));
                QCOMPARE(capture.Available(), 0);
                QCOMPARE(capture.Read(buffer.data(), buffer.size()), 0);
            }
            QCOMPARE(got.size(), raw.size());
            QVERIFY(got == raw);
            QCOMPARE(capture.Overruns(), 0);
            capture.Stop();
            QVERIFY(!capture.Running());
            QCOMPARE(capture.Available(), 0);
        }
    }

    void readsOnlyWholeFramesAndNeverMoreThanAsked()
    {
        FakeRig rig({SoundFormat{8000, 16, 2}}, Noise(40000));
        auto &fake = rig.fake;
        auto &clock = rig.clock;
        SoundCapture capture{QString()};
        QCOMPARE(fake->opened, QStringList{QStringLiteral("a")});
        capture.Start(SoundFormat{8000, 16, 2}, 1000);
        // A second holds 32000 bytes; the ring is at least 8000 bytes.
        QCOMPARE(fake->script->bufferFrames, 8000);
        clock.SetSeconds(1);
        char buffer[11];
        QCOMPARE(capture.Read(buffer, 11), 8);
        QCOMPARE(capture.Read(buffer, 3), 0);
        capture.Start(SoundFormat{8000, 8, 1}, 100);
        QCOMPARE(fake->script->bufferFrames, 8000);
        QCOMPARE(fake->script->stops, 1);
    }

    void overrunsAreRecoveredAndCountedALostDeviceFails()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(100000));
        auto &fake = rig.fake;
        auto &clock = rig.clock;
        SoundCapture capture{QString()};
        capture.Start(SoundFormat{8000, 8, 1}, 1000);
        clock.SetSeconds(1);
        fake->script->availErrors = {-EPIPE};
        // Recovered at once; the pace starts again from the recovery.
        QCOMPARE(capture.Available(), 0);
        QCOMPARE(fake->script->recovers, 1);
        QCOMPARE(capture.Overruns(), 1);
        clock.SetSeconds(2);
        QCOMPARE(capture.Available(), 8160);
        fake->script->availErrors = {-ESTRPIPE};
        QCOMPARE(capture.Available(), 0);
        QCOMPARE(capture.Overruns(), 2);
        QVERIFY(capture.Running());
        // A device that cannot be restarted has stopped working.
        fake->script->availErrors = {-EPIPE};
        fake->script->recoverResult = -ENODEV;
        const QString error = ErrorOf([&] { capture.Available(); });
        QCOMPARE(error, QStringLiteral("The sound capture device stopped working (No such device)."));
        QVERIFY(!capture.Running());

        // A device that goes away fails every later call.
        fake->script->recoverResult = 0;
        capture.Start(SoundFormat{8000, 8, 1}, 1000);
        clock.SetSeconds(2.5);
        char buffer[100];
        QCOMPARE(capture.Read(buffer, 100), 100);
        fake->script->failure = -ENODEV;
        const QString expected = QStringLiteral("The sound capture device stopped working (No such device).");
        QCOMPARE(ErrorOf([&] { capture.Read(buffer, 100); }), expected);
        QCOMPARE(ErrorOf([&] { capture.Available(); }), expected);
        QCOMPARE(fake->script->stops, 2);
        // Starting again is a new chance.
        fake->script->failure = 0;
        capture.Start(SoundFormat{8000, 8, 1}, 1000);
        QCOMPARE(ErrorOf([&] { capture.Available(); }), QString());
    }

    void aRefusedFormatOrDeviceSaysWhy()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}});
        auto &fake = rig.fake;
        SoundCapture capture(QStringLiteral("a"));
        QCOMPARE(ErrorOf([&] { capture.Start(SoundFormat{8000, 12, 1}, 1000); }),
                 QStringLiteral("The sound format is invalid."));
        fake->script->refuseStart = QStringLiteral("busy");
        QCOMPARE(ErrorOf([&] { capture.Start(SoundFormat{8000, 8, 1}, 1000); }), QStringLiteral("busy"));
        QVERIFY(!capture.Running());
        fake->script->refuseOpen = QStringLiteral("gone");
        QCOMPARE(ErrorOf([] { SoundCapture c{QStringLiteral("a")}; }), QStringLiteral("gone"));
    }
};

K5_TEST_MAIN(TestSoundCapture)
#include "test_soundcapture.moc"
