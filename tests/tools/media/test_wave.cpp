#include "k5test.h"

#include "tools/media/wave.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QtEndian>

using namespace media;

namespace {

QByteArray LE32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray LE16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}

QByteArray Chunk(const QByteArray &id, const QByteArray &body, quint32 declared = 0xFFFFFFFF)
{
    QByteArray c = id + LE32(declared == 0xFFFFFFFF ? quint32(body.size()) : declared) + body;
    if (body.size() & 1)
        c += '\0';
    return c;
}

// The 16-byte record of plain PCM files (no extra-size field).
QByteArray Pcm16(quint16 channels, quint32 rate, quint16 bits)
{
    const quint16 align = quint16(channels * (bits / 8));
    return LE16(1) + LE16(channels) + LE32(rate) + LE32(align * rate) + LE16(align) + LE16(bits);
}

QByteArray Riff(const QByteArray &chunks)
{
    return "RIFF" + LE32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

// Opens bytes for reading and returns the error text ("" when it opened).
QString OpenError(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TWaveStream wave(&buffer);
    try {
        wave.Open(false);
    } catch (const EWaveStreamError &e) {
        return e.message();
    }
    return QString();
}

QString ErrorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const platform::Error &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestWave : public QObject {
    Q_OBJECT
private slots:
    void pcmFormatFields()
    {
        QBuffer buffer;
        TWaveStream wave(&buffer);
        wave.SetPCMFormat(44100, 16, 2);
        QCOMPARE(wave.FormatSize(), 18);
        const TWaveFormatEx f = wave.WaveFormat();
        QCOMPARE(f.FormatTag, quint16(1));
        QCOMPARE(f.Channels, quint16(2));
        QCOMPARE(f.SamplesPerSec, 44100u);
        QCOMPARE(f.BlockAlign, quint16(4));
        QCOMPARE(f.AvgBytesPerSec, 176400u);
        QCOMPARE(f.BitsPerSample, quint16(16));
        QCOMPARE(f.ExtraSize, quint16(0));
    }

    void writtenLayoutByteForByte()
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        {
            TWaveStream wave(&buffer);
            wave.SetPCMFormat(8000, 8, 1);
            wave.Open(true);
            QCOMPARE(wave.Write("\x10\x20\x30", 3), 3);
            QCOMPARE(wave.Position(), 3);
            QCOMPARE(wave.DataSize(), 3);
            wave.Complete();
            QCOMPARE(wave.DataSize(), 3); // the pad byte is no sample
        }
        const QByteArray expected = "RIFF" + LE32(42) + "WAVE" + "fmt " + LE32(18) + LE16(1) + LE16(1) + LE32(8000)
            + LE32(8000) + LE16(1) + LE16(8) + LE16(0) + "data" + LE32(3) + QByteArray("\x10\x20\x30\x00", 4);
        QCOMPARE(buffer.data().size(), 50);
        QCOMPARE(buffer.data(), expected);
    }

    void evenDataHasNoPadAndEmptyDataIsValid()
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        {
            TWaveStream wave(&buffer);
            wave.SetPCMFormat(22050, 16, 1);
            wave.Open(true);
            wave.Write("\1\2\3\4", 4);
        } // destroying completes
        QCOMPARE(buffer.data().size(), 50);
        QCOMPARE(buffer.data().mid(4, 4), LE32(42));
        QCOMPARE(buffer.data().mid(42, 4), LE32(4));

        QBuffer empty;
        empty.open(QIODevice::ReadWrite);
        {
            TWaveStream wave(&empty);
            wave.SetPCMFormat(8000, 8, 1);
            wave.Open(true);
        }
        QCOMPARE(empty.data().size(), 46);
        QCOMPARE(empty.data().mid(4, 4), LE32(38));
        QCOMPARE(empty.data().mid(42, 4), LE32(0));
        QCOMPARE(OpenError(empty.data()), QString());
    }

    void waveInsideAnotherStreamStartsWhereItWas()
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        buffer.write("head:");
        {
            TWaveStream wave(&buffer);
            wave.SetPCMFormat(8000, 8, 1);
            wave.Open(true);
            wave.Write("abc", 3);
        }
        QCOMPARE(buffer.data().left(9), QByteArray("head:RIFF"));
        QCOMPARE(buffer.data().mid(9, 4), LE32(42));
        buffer.seek(5);
        TWaveStream reader(&buffer);
        reader.Open(false);
        char got[8] = {};
        QCOMPARE(reader.Read(got, 8), 3);
        QCOMPARE(QByteArray(got), QByteArray("abc"));
    }

    void readsOnlyTheSampleData()
    {
        // An odd chunk before the format, a 16-byte format, data, and a chunk after the data.
        const QByteArray file = Riff(Chunk("junk", "xyz") + Chunk("fmt ", Pcm16(2, 11025, 8)) + Chunk("data", "12345")
                                     + Chunk("LIST", "tail"));
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        TWaveStream wave(&buffer);
        wave.Open(false);
        QVERIFY(wave.Reading());
        QCOMPARE(wave.FormatSize(), 16);
        QCOMPARE(wave.WaveFormat().Channels, quint16(2));
        QCOMPARE(wave.WaveFormat().SamplesPerSec, 11025u);
        QCOMPARE(wave.DataSize(), 5);
        QCOMPARE(wave.Size(), 5);
        char got[16] = {};
        QCOMPARE(wave.Read(got, 2), 2);
        QCOMPARE(wave.Read(got + 2, 16), 3);
        QCOMPARE(QByteArray(got), QByteArray("12345"));
        QCOMPARE(wave.Read(got, 16), 0);
    }

    // A file with two data chunks holds its sound in the first; the second is not read over it.
    void readsTheFirstOfTwoDataChunks()
    {
        const QByteArray fmt = Chunk("fmt ", Pcm16(1, 8000, 8));
        for (const QByteArray &file : {Riff(fmt + Chunk("data", "first") + Chunk("data", "second!")),
                                       Riff(fmt + Chunk("data", "first") + Chunk("LIST", "x") + Chunk("data", "2"))}) {
            QBuffer buffer;
            buffer.setData(file);
            buffer.open(QIODevice::ReadOnly);
            TWaveStream wave(&buffer);
            wave.Open(false);
            QCOMPARE(wave.DataSize(), 5);
            char got[16] = {};
            QCOMPARE(wave.Read(got, sizeof got), 5);
            QCOMPARE(QByteArray(got), QByteArray("first"));
        }
    }

    void seeksAreClampedToTheData()
    {
        QBuffer buffer;
        buffer.setData(Riff(Chunk("fmt ", Pcm16(1, 8000, 8)) + Chunk("data", "abcd")));
        buffer.open(QIODevice::ReadOnly);
        TWaveStream wave(&buffer);
        wave.Open(false);
        QCOMPARE(wave.Seek(100, SeekOrigin::Beginning), 4);
        QCOMPARE(wave.Seek(-10, SeekOrigin::Current), 0);
        QCOMPARE(wave.Seek(-1, SeekOrigin::End), 3);
        char c = 0;
        QCOMPARE(wave.Read(&c, 1), 1);
        QCOMPARE(c, 'd');
        QCOMPARE(wave.Seek(1, SeekOrigin::Current), 4);
    }

    void writingInReadingModeStaysInsideTheData()
    {
        const QByteArray file = Riff(Chunk("fmt ", Pcm16(1, 8000, 8)) + Chunk("data", "abc") + Chunk("LIST", "tail"));
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadWrite);
        {
            TWaveStream wave(&buffer);
            wave.Open(false);
            wave.Seek(1, SeekOrigin::Beginning);
            QCOMPARE(wave.Write("XYZW", 4), 2);
        }
        QByteArray expected = file;
        expected.replace(expected.indexOf("abc"), 3, "aXY");
        QCOMPARE(buffer.data(), expected);
    }

    void damagedFilesAreRejected_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray fmt = Chunk("fmt ", Pcm16(1, 8000, 8));
        const QString wave = QStringLiteral("Wave is invalid");
        const QString format = QStringLiteral("Format is invalid");
        QTest::newRow("empty") << QByteArray() << wave;
        QTest::newRow("truncated header") << QByteArray("RIFF\0\0\0\0WAV", 11) << wave;
        QTest::newRow("not RIFF") << QByteArray("RIFX" + LE32(4) + "WAVE") << wave;
        QTest::newRow("not WAVE") << QByteArray("RIFF" + LE32(4) + "AVI ") << wave;
        QTest::newRow("no chunks") << Riff(QByteArray()) << format;
        QTest::newRow("no format") << Riff(Chunk("data", "ab")) << format;
        QTest::newRow("no data") << Riff(fmt) << wave;
        QTest::newRow("format cut off") << Riff("fmt " + LE32(18) + QByteArray(10, '\1')) << format;
        QTest::newRow("format too small") << Riff(Chunk("fmt ", QByteArray(8, '\1')) + Chunk("data", "ab")) << format;
        QTest::newRow("truncated last chunk") << Riff(fmt + Chunk("data", "ab") + "LI") << QString();
    }
    void damagedFilesAreRejected()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        QCOMPARE(OpenError(file), error);
    }

    void dataCutShortReadsTheBytesPresent_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("samples");
        const QByteArray fmt = Chunk("fmt ", Pcm16(1, 8000, 8));
        const QByteArray streamed = "RIFF" + LE32(0xFFFFFFFF) + "WAVE" + fmt;
        const QByteArray silence(8, '\0');
        QTest::newRow("cut short") << Riff(fmt + "data" + LE32(1000) + "abc") << QByteArray("abc");
        QTest::newRow("cut short, odd") << Riff(fmt + "data" + LE32(1001) + "abcd") << QByteArray("abcd");
        QTest::newRow("streamed, size unknown") << streamed + "data" + LE32(0xFFFFFFFF) + "abcd" << QByteArray("abcd");
        const QByteArray noisy("\x80\x81\x7f\x80\x82");
        QTest::newRow("streamed, size 0") << streamed + "data" + LE32(0) + noisy << noisy;
        QTest::newRow("streamed silence, size 0") << streamed + "data" + LE32(0) + silence << silence;
        // An empty data chunk is still empty when a chunk follows it.
        QTest::newRow("empty data, then a chunk")
            << Riff(fmt + Chunk("data", "") + Chunk("LIST", "tail")) << QByteArray();
        QTest::newRow("empty data at the end") << Riff(fmt + Chunk("data", "")) << QByteArray();
    }
    void dataCutShortReadsTheBytesPresent()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, samples);
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        TWaveStream wave(&buffer);
        wave.Open(false);
        QCOMPARE(wave.DataSize(), samples.size());
        QByteArray got(samples.size() + 4, 'x');
        QCOMPARE(wave.Read(got.data(), got.size()), samples.size());
        QCOMPARE(got.left(samples.size()), samples);
        QCOMPARE(wave.Seek(0, SeekOrigin::End), samples.size());
    }

    void recordingCutShortOnDiskStillOpens()
    {
        const QString path = k5test::Root() + QStringLiteral("/tmp/rec/cut.wav");
        QDir().mkpath(k5test::Root() + QStringLiteral("/tmp/rec"));
        const QByteArray samples(1000, '\x40');
        {
            TWaveFileStream wave(path, FileMode::Create);
            wave.SetPCMFormat(8000, 16, 1);
            wave.Open(true);
            wave.Write(samples.constData(), samples.size());
            wave.Complete();
        }
        QFile file(path);
        QVERIFY(file.resize(46 + 601)); // the copy stopped in the middle
        TWaveFileStream reader(path, FileMode::OpenRead);
        reader.Open(false);
        QCOMPARE(reader.DataSize(), 601);
        QByteArray got(700, '\0');
        QCOMPARE(reader.Read(got.data(), got.size()), 601);
        QCOMPARE(got.left(601), samples.left(601));
    }

    void misuseIsReported()
    {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        TWaveStream wave(&buffer);
        char c = 0;
        QCOMPARE(ErrorOf([&] { wave.Read(&c, 1); }), QStringLiteral("Stream not opend"));
        QCOMPARE(ErrorOf([&] { wave.Write(&c, 1); }), QStringLiteral("Stream not opend"));
        QCOMPARE(ErrorOf([&] { wave.Open(true); }), QStringLiteral("Format is invalid"));
        QVERIFY(buffer.data().isEmpty());
        wave.SetPCMFormat(8000, 8, 1);
        wave.Open(true);
        QCOMPARE(ErrorOf([&] { wave.Open(true); }), QStringLiteral("Stream has already been opened"));
        QCOMPARE(ErrorOf([&] { wave.Open(false); }), QStringLiteral("Stream has already been opened"));
        wave.Complete();
        QCOMPARE(ErrorOf([&] { wave.Write(&c, 1); }), QStringLiteral("Stream not opend"));
    }

    void fileStreamRoundTrip()
    {
        const QString path = k5test::Root() + QStringLiteral("/tmp/rec/take.wav");
        QDir().mkpath(k5test::Root() + QStringLiteral("/tmp/rec"));
        {
            TWaveFileStream wave(path, FileMode::Create);
            wave.SetPCMFormat(8000, 8, 1);
            wave.Open(true);
            wave.Write("abc", 3);
            QCOMPARE(wave.DataSize(), 3);
            QVERIFY(!QFile::exists(path)); // replaced only when complete
            wave.Complete();
        }
        QCOMPARE(QFile(path).size(), 50);
        TWaveFileStream reader(path, FileMode::OpenRead);
        reader.Open(false);
        QCOMPARE(reader.DataSize(), 3);
        QCOMPARE(reader.WaveFormat().SamplesPerSec, 8000u);
        char got[4] = {};
        QCOMPARE(reader.Read(got, 3), 3);
        QCOMPARE(QByteArray(got), QByteArray("abc"));
    }

    void stoppedBeforeAnyDataLeavesAValidFile()
    {
        const QString path = k5test::Root() + QStringLiteral("/tmp/rec/empty.wav");
        {
            TWaveFileStream wave(path, FileMode::Create);
            wave.SetPCMFormat(44100, 16, 2);
            wave.Open(true);
        }
        QCOMPARE(QFile(path).size(), 46);
        TWaveFileStream reader(path, FileMode::OpenRead);
        reader.Open(false);
        QCOMPARE(reader.DataSize(), 0);
    }

    // A new recording saved over a file replaces it whole: a second name made before keeps the old bytes.
    void savingOverAFileReplacesIt()
    {
        const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/over/take.wav"), "old sound");
        k5test::HardLink old(path);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        {
            TWaveFileStream wave(path, FileMode::Create);
            wave.SetPCMFormat(8000, 8, 1);
            wave.Open(true);
            wave.Write("abcd", 4);
            wave.Complete();
        }
        QCOMPARE(old.Bytes(), QByteArray("old sound"));
        QCOMPARE(QFile(path).size(), 50);
    }

    void failuresKeepTheOldFileAndAreReported()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/old");
        const QString path = k5test::WriteFile(dir + QStringLiteral("/take.wav"), "old");
        {
            TWaveFileStream wave(path, FileMode::Create);
            QCOMPARE(ErrorOf([&] { wave.Open(true); }), QStringLiteral("Format is invalid"));
        }
        QCOMPARE(k5test::ReadFile(path), QByteArray("old"));

        QVERIFY(ErrorOf([&] { TWaveFileStream(dir + QStringLiteral("/missing.wav"), FileMode::OpenRead); })
                    .startsWith(QStringLiteral("Cannot open file")));

        // The folder vanishes while recording: completing cannot put the file in place, and says so.
        const QString gone = k5test::Root() + QStringLiteral("/tmp/gone");
        QDir().mkpath(gone);
        TWaveFileStream wave(gone + QStringLiteral("/take.wav"), FileMode::Create);
        wave.SetPCMFormat(8000, 8, 1);
        wave.Open(true);
        wave.Write("abc", 3);
        QVERIFY(QDir(gone).removeRecursively());
        QVERIFY(ErrorOf([&] { wave.Complete(); }).startsWith(QStringLiteral("Cannot write file")));
    }
};

K5_TEST_MAIN(TestWave)
#include "test_wave.moc"
