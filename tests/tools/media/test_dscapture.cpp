#include "tests/platform/sound/soundtest.h"

#include "tools/media/dscapture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtEndian>
#include <cerrno>

using namespace media;
using platform::SoundFormat;
using namespace soundtest;

namespace {

QString ErrorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ESoundCaptureStreamError &e) {
        return e.message();
    }
    return QString();
}

// A stream that takes only so many bytes, as a full disk does.
class FullDevice : public QBuffer {
public:
    explicit FullDevice(qint64 room) : room_(room) {}

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        if (pos() + len > room_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        return QBuffer::writeData(data, len);
    }

private:
    qint64 room_;
};

quint32 LE32At(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestDsCapture : public QObject {
    Q_OBJECT

private slots:
    void driversAreTheCaptureDevices()
    {
        UseSound alsa(platform::AlsaSoundSystem());
        AlsaRawInput input(Noise(10), true);
        const QList<TDirectXDriver> drivers = CaptureDrivers();
        QCOMPARE(drivers.size(), 2);
        QCOMPARE(drivers[0].Id, QStringLiteral("default"));
        QCOMPARE(drivers[0].Description, QStringLiteral("Default test input"));
        QCOMPARE(drivers[1].Id, QStringLiteral("k5raw"));
        QCOMPARE(drivers[1].Description, QStringLiteral("Raw test input"));
        QCOMPARE(drivers[1].DriverName, QStringLiteral("k5raw"));
    }

    void capturesTheRawInputAsAWaveStream()
    {
        UseSound alsa(platform::AlsaSoundSystem());
        // Half a second at 2% over the rate: less than the one-second ring.
        const QByteArray raw = Noise(22050 * 51 / 100 * 4);
        AlsaRawInput input(raw);
        ManualClock clock;
        TSoundCaptureStream stream(QStringLiteral("k5raw"));
        QCOMPARE(stream.SupportedFormats().size(), 56);
        stream.SetFormatIndex(2 * 8 + 3); // 22050 Hz, 16 bits, stereo
        QCOMPARE(stream.SupportedFormats()[stream.FormatIndex()], (SoundFormat{22050, 16, 2}));
        QCOMPARE(stream.BufferLength(), 1000);
        stream.Open();
        QVERIFY(stream.Opened());
        const TWaveFormatEx f = stream.WaveFormat();
        QCOMPARE(stream.FormatSize(), 18);
        QCOMPARE(f.FormatTag, 1);
        QCOMPARE(f.SamplesPerSec, 22050u);
        QCOMPARE(f.BitsPerSample, 16);
        QCOMPARE(f.Channels, 2);
        QCOMPARE(f.BlockAlign, 4);
        QCOMPARE(f.AvgBytesPerSec, 88200u);
        QCOMPARE(stream.FilledSize(), 0);
        clock.SetSeconds(0.5);
        QCOMPARE(stream.FilledSize(), raw.size());
        // Reads of odd sizes split frames; the pieces still join up.
        QByteArray got;
        char buffer[4096];
        for (int size = 1; got.size() < raw.size(); size = size % 4093 + 7) {
            const qint64 n = stream.Read(buffer, size);
            QVERIFY(n > 0);
            QVERIFY(n <= size);
            got.append(buffer, int(n));
        }
        QVERIFY(got == raw);
        QCOMPARE(stream.Position(), raw.size());
        QCOMPARE(stream.FilledSize(), 0);
        stream.Close();
        QVERIFY(!stream.Opened());
    }

    void readWaveReturnsWhatIsThereOrFailsSoon()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(100000));
        TSoundCaptureStream stream;
        char buffer[20000];
        // Opened by the read; with the clock standing still no sound comes, and the read gives up.
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(ErrorOf([&] { stream.ReadWave(buffer, 100); }),
                 QStringLiteral("No sound came from the capture device for 500 ms."));
        QVERIFY(stream.Opened());
        QVERIFY(waited.elapsed() >= TSoundCaptureStream::ReadWaitMs);
        QVERIFY(waited.elapsed() < 5000);
        // What is waiting comes back at once, even when less than asked for.
        rig.clock.SetSeconds(0.5);
        waited.restart();
        QCOMPARE(stream.ReadWave(buffer, sizeof buffer), 4080);
        QVERIFY(waited.elapsed() < TSoundCaptureStream::ReadWaitMs);
        QVERIFY(QByteArray(buffer, 4080) == rig.Script().data.left(4080));
        // A device that goes away fails the read at once.
        rig.clock.SetSeconds(1);
        rig.Script().failure = -ENODEV;
        QCOMPARE(ErrorOf([&] { stream.ReadWave(buffer, 10); }),
                 QStringLiteral("The sound capture device stopped working (No such device)."));
        QCOMPARE(ErrorOf([&] { stream.FilledSize(); }),
                 QStringLiteral("The sound capture device stopped working (No such device)."));
    }

    void theTimerCallsWhileSoundIsWaiting()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(100000));
        TSoundCaptureStream stream;
        int calls = 0;
        stream.SetOnBufferFilled([&](TSoundCaptureStream *sender) {
            QCOMPARE(sender, &stream);
            ++calls;
            char buffer[100000];
            try {
                while (sender->FilledSize() > 0)
                    sender->ReadWave(buffer, sizeof buffer);
            } catch (const ESoundCaptureStreamError &) {
                sender->SetOnBufferFilled(nullptr);
            }
        });
        // Not before the stream is open, nor while nothing waits.
        QTest::qWait(120);
        QCOMPARE(calls, 0);
        stream.Open();
        QTest::qWait(120);
        QCOMPARE(calls, 0);
        rig.clock.SetSeconds(0.1);
        QTRY_COMPARE(calls, 1);
        rig.clock.SetSeconds(0.2);
        QTRY_COMPARE(calls, 2);
        // A failed device is announced too: the handler's read says why.
        rig.Script().failure = -EIO;
        QTRY_COMPARE(calls, 3);
        QTest::qWait(120);
        QCOMPARE(calls, 3);
        // Set while capturing, the callback starts the timer again.
        rig.Script().failure = 0;
        stream.Open();
        rig.clock.SetSeconds(0.5);
        stream.SetOnBufferFilled([&](TSoundCaptureStream *) { ++calls; stream.Close(); });
        QTRY_COMPARE(calls, 4);
        QTest::qWait(120);
        QCOMPARE(calls, 4);
    }

    void failuresRaiseTheStreamsError()
    {
        {
            FakeRig rig({SoundFormat{8000, 8, 1}});
            rig.Script().refuseOpen = QStringLiteral("The device is busy.");
            QCOMPARE(ErrorOf([] { TSoundCaptureStream s; }),
                     QStringLiteral("Sound capture cannot be initialized. The device is busy."));
        }
        FakeRig rig({SoundFormat{8000, 8, 1}});
        TSoundCaptureStream stream;
        stream.SetFormatIndex(1);
        QCOMPARE(ErrorOf([&] { stream.Open(); }),
                 QStringLiteral("Sound Capture Buffer cannot be made. The device offers no such format."));
        stream.SetFormatIndex(0);
        rig.Script().refuseStart = QStringLiteral("Device or resource busy.");
        QCOMPARE(ErrorOf([&] { stream.Open(); }),
                 QStringLiteral("Sound Capture Buffer cannot be made. Device or resource busy."));
        QVERIFY(!stream.Opened());
        try {
            stream.Open();
            QFAIL("no error");
        } catch (const EWaveStreamError &) {
        }
    }

    void aWaveWrittenInPlaceIsWholeWhileItGrows()
    {
        const QString path = k5test::Root() + QStringLiteral("/inplace.wav");
        TWaveFileStream wave(path, FileMode::CreateInPlace);
        wave.SetPCMFormat(8000, 8, 1);
        wave.Open(true);
        wave.UpdateSizes();
        // Already there under its own name, with sizes for no data.
        QByteArray bytes = k5test::ReadFile(path);
        QCOMPARE(bytes.size(), 46);
        QCOMPARE(bytes.left(4), QByteArray("RIFF"));
        QCOMPARE(LE32At(bytes, 4), 38u);
        QCOMPARE(bytes.mid(8, 4), QByteArray("WAVE"));
        QCOMPARE(LE32At(bytes, 42), 0u);
        wave.Write("abcde", 5);
        wave.UpdateSizes();
        bytes = k5test::ReadFile(path);
        QCOMPARE(bytes.size(), 51);
        QCOMPARE(LE32At(bytes, 4), 43u);
        QCOMPARE(LE32At(bytes, 42), 5u);
        {
            TWaveFileStream reader(path, FileMode::OpenRead);
            reader.Open(false);
            QCOMPARE(reader.DataSize(), 5);
        }
        wave.Complete();
        bytes = k5test::ReadFile(path);
        QCOMPARE(bytes.size(), 52);
        QCOMPARE(LE32At(bytes, 4), 44u);
        QCOMPARE(LE32At(bytes, 42), 5u);
    }

    void aFullDiskLeavesTheSizesWritten()
    {
        // Room for the header and 3 bytes of data, not for the pad byte.
        FullDevice device(49);
        device.open(QIODevice::ReadWrite);
        {
            TWaveStream wave(&device);
            wave.SetPCMFormat(8000, 8, 1);
            wave.Open(true);
            QCOMPARE(wave.Write("xyz", 3), 3);
            try {
                wave.Complete();
                QFAIL("the pad byte fitted");
            } catch (const platform::FileError &) {
            }
        }
        const QByteArray bytes = device.data();
        QCOMPARE(bytes.size(), 49);
        QCOMPARE(LE32At(bytes, 42), 3u);
        QCOMPARE(LE32At(bytes, 4), 42u);
        QCOMPARE(bytes.left(4), QByteArray("RIFF"));
    }
};

K5_TEST_MAIN(TestDsCapture)
#include "test_dscapture.moc"
