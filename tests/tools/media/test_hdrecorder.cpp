#include "tests/platform/sound/soundtest.h"

#include "tools/media/hdrecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtEndian>
#include <cerrno>
#include <csignal>
#include <deque>
#include <sys/resource.h>
#include <unistd.h>

using namespace media;
using platform::SoundFormat;
using namespace soundtest;

namespace {

// The fmt and data headers of an 8000 Hz 8-bit mono recording of dataSize bytes.
QByteArray Header8k(quint32 dataSize)
{
    QByteArray h(46, '\0');
    char *p = h.data();
    std::memcpy(p, "RIFF", 4);
    qToLittleEndian<quint32>(38 + dataSize + (dataSize & 1), p + 4);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(18, p + 16);
    qToLittleEndian<quint16>(1, p + 20);
    qToLittleEndian<quint16>(1, p + 22);
    qToLittleEndian<quint32>(8000, p + 24);
    qToLittleEndian<quint32>(8000, p + 28);
    qToLittleEndian<quint16>(1, p + 32);
    qToLittleEndian<quint16>(8, p + 34);
    std::memcpy(p + 38, "data", 4);
    qToLittleEndian<quint32>(dataSize, p + 42);
    return h;
}

// The samples of a wave file as a reader finds them; fails the test when the file is not a wave.
QByteArray Samples(const QString &path, TWaveFormatEx *format = nullptr)
{
    TWaveFileStream wave(path, FileMode::OpenRead);
    wave.Open(false);
    if (format)
        *format = wave.WaveFormat();
    QByteArray data(int(wave.DataSize()), '\0');
    wave.Read(data.data(), data.size());
    return data;
}

QStringList Items(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

using k5test::Settle;
using k5test::User;

const char *const kChildVariable = "K5_RECORDER_CHILD";

// Whether this process holds the file open.
bool OpenHere(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target)
            return true;
    return false;
}

// Files of this process may grow no further than a size, as on a disk that is full; a write beyond it
// fails instead of ending the process. Lifted again when this goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

class TestHDRecorder : public QObject {
    Q_OBJECT

private:
    static void VerifyIdle(THDRecorder &w)
    {
        QVERIFY(!w.Recording());
        QVERIFY(w.StartButton->isEnabled());
        QVERIFY(!w.StopButton->isEnabled());
        QVERIFY(w.DriverBox->isEnabled());
        QVERIFY(w.FormatBox->isEnabled());
        QVERIFY(w.BrowseButton->isEnabled());
        QVERIFY(!w.FileNameEdit->isReadOnly());
        QCOMPARE(w.FileNameEdit->palette().color(QPalette::Base), w.palette().color(QPalette::Base));
    }

    static QString WavePath(const QString &name)
    {
        return k5test::Root() + QLatin1Char('/') + name;
    }

    // Starts recording into a file of the test folder and returns its path.
    static QString StartInto(THDRecorder &w, const QString &name)
    {
        const QString path = WavePath(name);
        w.FileNameEdit->setText(path);
        QTest::mouseClick(w.StartButton, Qt::LeftButton);
        return path;
    }

    // Records a tenth of a second from a fake 8000 Hz 8-bit mono device into *path.
    static void RecordTenth(FakeRig &rig, THDRecorder &w, const QString &name, QString *path)
    {
        *path = StartInto(w, name);
        rig.clock.SetSeconds(0.1);
        QTRY_COMPARE(w.SizeLabel->text(), QStringLiteral("816 byte"));
    }

private slots:
    void init()
    {
        QVERIFY(!platform::HasMessageAnswerer());
    }

    void listsDevicesAndFormatLines()
    {
        {
            UseSound alsa(platform::AlsaSoundSystem());
            AlsaRawInput input(Noise(10), true);
            THDRecorder w;
            QCOMPARE(w.objectName(), QStringLiteral("HDRecorder"));
            QCOMPARE(w.windowTitle(), QStringLiteral("VO Duvedud"));
            QCOMPARE(w.Label1->text(), QStringLiteral("Record a sound on the HD"));
            QCOMPARE(w.SizeLabel->text(), QStringLiteral("0 byte"));
            QCOMPARE(w.FileNameEdit->text(), QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/test.wav")));
            QCOMPARE(Items(w.DriverBox), (QStringList{QStringLiteral("Default test input"), QStringLiteral("Raw test input")}));
            QCOMPARE(w.DriverBox->currentIndex(), 0);
            const QStringList lines = Items(w.FormatBox);
            QCOMPARE(lines.size(), 56);
            QCOMPARE(lines.first(), QStringLiteral("8000Hz 8bit Mono"));
            QCOMPARE(lines[1], QStringLiteral("8000Hz 8bit Stereo"));
            QCOMPARE(lines[2], QStringLiteral("8000Hz 16bit Mono"));
            QCOMPARE(lines[24], QStringLiteral("33075Hz 8bit Mono"));
            QCOMPARE(lines.last(), QStringLiteral("96000Hz 32bit Stereo"));
            QCOMPARE(w.FormatBox->currentIndex(), 55);
            VerifyIdle(w);
            QVERIFY(w.MessageLabel->isHidden());
        }
        {
            // A device with one format lists one line; choosing another device reads its formats.
            auto fake = std::make_shared<FakeSound>(QList<platform::SoundDevice>{
                {QStringLiteral("a"), QStringLiteral("First")}, {QStringLiteral("b"), QStringLiteral("Second")}});
            fake->script->formats = {SoundFormat{44100, 16, 2}};
            UseSound use(fake);
            THDRecorder w;
            QCOMPARE(Items(w.FormatBox), QStringList{QStringLiteral("44100Hz 16bit Stereo")});
            QCOMPARE(w.FormatBox->currentIndex(), 0);
            fake->script->formats = {SoundFormat{8000, 8, 1}, SoundFormat{11025, 8, 2}};
            w.DriverBox->setCurrentIndex(1);
            QCOMPARE(fake->opened, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
            QCOMPARE(Items(w.FormatBox), (QStringList{QStringLiteral("8000Hz 8bit Mono"), QStringLiteral("11025Hz 8bit Stereo")}));
            QCOMPARE(w.FormatBox->currentIndex(), 1);
        }
    }

    void opensWithoutACaptureDevice()
    {
        {
            auto fake = std::make_shared<FakeSound>(QList<platform::SoundDevice>{});
            UseSound use(fake);
            THDRecorder w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.isVisible());
            QCOMPARE(w.DriverBox->count(), 0);
            QCOMPARE(w.FormatBox->count(), 0);
            QVERIFY(!w.StartButton->isEnabled());
            QVERIFY(!w.StopButton->isEnabled());
            QVERIFY(!w.DriverBox->isEnabled());
            QVERIFY(!w.FormatBox->isEnabled());
            QVERIFY(w.MessageLabel->isVisible());
            QVERIFY(w.MessageLabel->text().startsWith(QStringLiteral("No sound capture device was found")));
            QTest::mouseClick(w.StartButton, Qt::LeftButton);
            QVERIFY(!w.Recording());
            QTest::mouseClick(w.CloseButton, Qt::LeftButton);
            QVERIFY(!w.isVisible());
        }
        {
            // As on a server: ALSA knows nothing but the null PCM.
            UseSound alsa(platform::AlsaSoundSystem());
            const QString conf = k5test::WriteFile(WavePath(QStringLiteral("nullonly/asound.conf")),
                "pcm.null { type null\n hint { show on description \"Discard all samples\" } }\n");
            qputenv("ALSA_CONFIG_PATH", QFile::encodeName(conf));
            THDRecorder w;
            QCOMPARE(w.DriverBox->count(), 0);
            QVERIFY(!w.StartButton->isEnabled());
            QVERIFY(!w.MessageLabel->text().isEmpty());
            qunsetenv("ALSA_CONFIG_PATH");
        }
        {
            // A device that cannot be opened says why.
            FakeRig rig({SoundFormat{8000, 8, 1}});
            rig.Script().refuseOpen = QStringLiteral("The device is busy.");
            THDRecorder w;
            QCOMPARE(w.DriverBox->count(), 1);
            QVERIFY(!w.StartButton->isEnabled());
            QCOMPARE(w.MessageLabel->text(), QStringLiteral("Sound capture cannot be initialized. The device is busy."));
        }
        {
            FakeRig rig({});
            THDRecorder w;
            QVERIFY(!w.StartButton->isEnabled());
            QCOMPARE(w.MessageLabel->text(), QStringLiteral("The device offers none of the formats the recorder can write."));
        }
    }

    void stoppingAtOnceLeavesAnEmptyWave()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(1000));
        THDRecorder w;
        const QString path = StartInto(w, QStringLiteral("empty.wav"));
        QVERIFY(w.Recording());
        QTest::mouseClick(w.StopButton, Qt::LeftButton);
        QVERIFY(!w.Recording());
        QCOMPARE(k5test::ReadFile(path), Header8k(0));
        QCOMPARE(Samples(path), QByteArray());
        QCOMPARE(w.SizeLabel->text(), QStringLiteral("0 byte"));
        QCOMPARE(rig.Script().stops, 1);
        VerifyIdle(w);
    }

    void recordsTheRawInputByteForByte()
    {
        UseSound alsa(platform::AlsaSoundSystem());
        // One second at 2% over 8000 Hz is what the pace lets through in a second.
        const QByteArray raw = Noise(8160, 77);
        AlsaRawInput input(raw);
        ManualClock clock;
        THDRecorder w;
        w.DriverBox->setCurrentIndex(0);
        w.FormatBox->setCurrentIndex(0);
        const QString path = StartInto(w, QStringLiteral("raw.wav"));
        // Everything but Stop is held while recording.
        QVERIFY(w.Recording());
        QVERIFY(!w.StartButton->isEnabled());
        QVERIFY(w.StopButton->isEnabled());
        QVERIFY(!w.DriverBox->isEnabled());
        QVERIFY(!w.FormatBox->isEnabled());
        QVERIFY(!w.BrowseButton->isEnabled());
        QVERIFY(w.FileNameEdit->isReadOnly());
        QCOMPARE(w.FileNameEdit->palette().color(QPalette::Base), w.palette().color(QPalette::Button));
        QCOMPARE(w.SizeLabel->text(), QStringLiteral("0 byte"));
        clock.SetSeconds(0.5);
        QTRY_COMPARE(w.SizeLabel->text(), QStringLiteral("4080 byte"));
        // The file is a whole wave while it grows.
        QVERIFY(Samples(path) == raw.left(4080));
        clock.SetSeconds(1);
        QTRY_COMPARE(w.SizeLabel->text(), QStringLiteral("8160 byte"));
        QTest::mouseClick(w.StopButton, Qt::LeftButton);
        VerifyIdle(w);
        QCOMPARE(k5test::ReadFile(path), Header8k(8160) + raw);
    }

    void stoppingKeepsTheLastSound()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(20000));
        THDRecorder w;
        const QString path = StartInto(w, QStringLiteral("last.wav"));
        // Captured since the last look: stopping still writes it.
        rig.clock.SetSeconds(0.25);
        QTest::mouseClick(w.StopButton, Qt::LeftButton);
        QCOMPARE(w.SizeLabel->text(), QStringLiteral("2040 byte"));
        QVERIFY(Samples(path) == rig.Script().data.left(2040));
        // Closing the window while recording does the same and lets the device go.
        w.show();
        const QString closed = StartInto(w, QStringLiteral("closed.wav"));
        rig.clock.SetSeconds(0.5);
        QTest::mouseClick(w.CloseButton, Qt::LeftButton);
        Settle();
        QVERIFY(!w.isVisible());
        QVERIFY(!w.Recording());
        QVERIFY(!w.Capture());
        QVERIFY(Samples(closed) == rig.Script().data.mid(2040, 2040));
        // Shown again, it takes the device again.
        w.show();
        QVERIFY(w.Capture());
        QVERIFY(w.StartButton->isEnabled());
        // Escape is a way out too.
        const QString escaped = StartInto(w, QStringLiteral("escaped.wav"));
        rig.clock.SetSeconds(0.75);
        QTest::keyClick(&w, Qt::Key_Escape);
        Settle();
        QVERIFY(!w.isVisible());
        QVERIFY(!w.Recording());
        QVERIFY(!w.Capture());
        QVERIFY(Samples(escaped) == rig.Script().data.mid(4080, 2040));
    }

    void overrunsAreCountedBesideTheSize()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(100000));
        THDRecorder w;
        QString path;
        RecordTenth(rig, w, QStringLiteral("overrun.wav"), &path);
        if (QTest::currentTestFailed())
            return;
        // Recovered on the next look; the sound after it is written and the loss is told.
        rig.Script().availErrors = {-EPIPE};
        QTRY_COMPARE(rig.Script().recovers, 1);
        rig.clock.SetSeconds(0.2);
        QTRY_COMPARE(w.SizeLabel->text(), QStringLiteral("1632 byte, 1 overrun"));
        rig.Script().availErrors = {-EPIPE};
        QTRY_COMPARE(rig.Script().recovers, 2);
        rig.clock.SetSeconds(0.3);
        QTRY_COMPARE(w.SizeLabel->text(), QStringLiteral("2448 byte, 2 overruns"));
        QTest::mouseClick(w.StopButton, Qt::LeftButton);
        QCOMPARE(rig.Script().recovers, 2);
        QVERIFY(Samples(path) == rig.Script().data.left(2448));
    }

    void aFileThatCannotBeCreatedSaysWhy()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(1000));
        THDRecorder w;
        w.show();
        w.FileNameEdit->setText(WavePath(QStringLiteral("no/such/folder/x.wav")));
        // Answered on the real message box.
        User person;
        person.Click(QStringLiteral("OK"));
        QTest::mouseClick(w.StartButton, Qt::LeftButton);
        Settle();
        QVERIFY(person.Done());
        QCOMPARE(person.Texts.size(), 1);
        QVERIFY2(person.Texts[0].startsWith(QStringLiteral("Cannot create file \"")), qPrintable(person.Texts[0]));
        QVERIFY2(person.Texts[0].contains(QStringLiteral("No such file or directory.")), qPrintable(person.Texts[0]));
        VerifyIdle(w);
        QVERIFY(!w.Capture()->Opened());
        // A device that refuses to start leaves an existing file as it was.
        const QString kept = k5test::WriteFile(WavePath(QStringLiteral("kept.wav")), "old");
        w.FileNameEdit->setText(kept);
        rig.Script().refuseStart = QStringLiteral("Device or resource busy.");
        k5test::Answerer answer;
        QTest::mouseClick(w.StartButton, Qt::LeftButton);
        QCOMPARE(answer.Texts(), QStringList{QStringLiteral("Sound Capture Buffer cannot be made. Device or resource busy.")});
        QCOMPARE(k5test::ReadFile(kept), QByteArray("old"));
        VerifyIdle(w);
    }

    // A name that is no file is refused at once, named, and the device is left closed: nothing waits for a
    // reader of a pipe or writes into a socket or a folder.
    void aNameThatIsNoFileIsRefusedAtOnce()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(1000));
        THDRecorder w;
        w.show();
        k5test::NotFiles names(WavePath(QStringLiteral("names")), QStringLiteral("x"), QStringLiteral("wav"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        const QStringList why = {QStringLiteral("It is a named pipe, not a file."), QStringLiteral("It is a socket, not a file."),
                                 QStringLiteral("It is a folder, not a file.")};
        for (int i = 0; i < 3; ++i) {
            const QString name = names.All()[i];
            k5test::PipeWatchdog watchdog(names.Pipe);
            w.FileNameEdit->setText(QDir::toNativeSeparators(name));
            User person;
            person.Click(QStringLiteral("OK"));
            QTest::mouseClick(w.StartButton, Qt::LeftButton);
            Settle();
            QVERIFY(person.Done());
            QVERIFY(!watchdog.Fired());
            QCOMPARE(person.Texts, QStringList{QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(name), why[i])});
            VerifyIdle(w);
            QVERIFY(!w.Capture()->Opened());
        }
        QCOMPARE(QFileInfo(names.Pipe).size(), 0);
        QVERIFY(!QFileInfo(names.Pipe).isFile() && !QFileInfo(names.Pipe).isDir());
    }

    void aFullDiskStopsAndCompletesTheFile()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(100000));
        // Made before the window, so that it also answers what a window closed by a failed test says.
        k5test::Answerer answer;
        THDRecorder w;
        QString path;
        RecordTenth(rig, w, QStringLiteral("full.wav"), &path);
        if (QTest::currentTestFailed())
            return;
        {
            // The disk holds 1000 more bytes: files may grow no further than that. A recording that goes
            // on regardless fails here within seconds, and the limit goes whatever happens.
            const FileSizeLimit full(46 + 1000);
            rig.clock.SetSeconds(0.2);
            QTRY_VERIFY_WITH_TIMEOUT(!w.Recording(), 3000);
        }
        VerifyIdle(w);
        QVERIFY2(!OpenHere(path), "the file was left open");
        QCOMPARE(answer.Texts().size(), 1);
        const QString text = answer.Texts().first();
        QVERIFY2(text.startsWith(QStringLiteral("The recording stopped. Cannot write the sound file. File too large")),
                 qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("holds what was recorded until then.")), qPrintable(text));
        QVERIFY(Samples(path) == rig.Script().data.left(1000));
        QCOMPARE(w.SizeLabel->text(), QStringLiteral("1000 byte"));
    }

    void anUnpluggedDeviceStopsAndCompletesTheFile()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}}, Noise(100000));
        k5test::Answerer answer;
        THDRecorder w;
        QString path;
        RecordTenth(rig, w, QStringLiteral("unplugged.wav"), &path);
        if (QTest::currentTestFailed())
            return;
        rig.Script().failure = -ENODEV;
        QTRY_VERIFY_WITH_TIMEOUT(!w.Recording(), 3000);
        VerifyIdle(w);
        QVERIFY2(!OpenHere(path), "the file was left open");
        QCOMPARE(answer.Texts(),
                 QStringList{QStringLiteral("The recording stopped. The sound capture device stopped working (No such "
                                            "device).\nThe file \"%1\" holds what was recorded until then.")
                                 .arg(QDir::toNativeSeparators(path))});
        QVERIFY(Samples(path) == rig.Script().data.left(816));
    }

    void browsingPicksTheFileInTheRealDialog()
    {
        FakeRig rig({SoundFormat{8000, 8, 1}});
        THDRecorder w;
        w.show();
        const QString fresh = WavePath(QStringLiteral("browse/fresh.wav"));
        QDir().mkpath(QFileInfo(fresh).path());
        User person;
        person.TypeFileName(fresh);
        QTest::mouseClick(w.BrowseButton, Qt::LeftButton);
        Settle();
        QVERIFY(person.Done());
        QCOMPARE(w.FileNameEdit->text(), QDir::toNativeSeparators(fresh));
        // An existing file is replaced only when the user says so.
        const QString existing = k5test::WriteFile(WavePath(QStringLiteral("browse/old.wav")), "old");
        User replace;
        replace.TypeFileName(existing).Click(QStringLiteral("Yes"));
        QTest::mouseClick(w.BrowseButton, Qt::LeftButton);
        Settle();
        QVERIFY(replace.Done());
        QCOMPARE(replace.Texts.size(), 1);
        QCOMPARE(w.FileNameEdit->text(), QDir::toNativeSeparators(existing));
        QCOMPARE(k5test::ReadFile(existing), QByteArray("old"));
        // Cancelled, the name stays.
        User cancel;
        cancel.Then([](QWidget *dialog) {
            if (!qobject_cast<QFileDialog *>(dialog))
                return false;
            QTest::keyClick(dialog, Qt::Key_Escape);
            return true;
        });
        QTest::mouseClick(w.BrowseButton, Qt::LeftButton);
        Settle();
        QVERIFY(cancel.Done());
        QCOMPARE(w.FileNameEdit->text(), QDir::toNativeSeparators(existing));
    }

    void aKilledRecordingLeavesAValidFile()
    {
        UseSound alsa(platform::AlsaSoundSystem());
        const QByteArray raw = Noise(8000 * 30, 99);
        AlsaRawInput input(raw);
        const QString path = WavePath(QStringLiteral("killed.wav"));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildVariable), path);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("recorderChild")});
        QVERIFY(child.waitForStarted());
        // Killed once the file says it holds half a second. A child whose recording stops ends at once
        // (recorderChild), so a fault shows within seconds rather than at the time-out.
        auto recorded = [&] {
            const QByteArray head = k5test::ReadFile(path).left(46);
            return head.size() == 46 ? qFromLittleEndian<quint32>(head.constData() + 42) : 0u;
        };
        QTRY_VERIFY_WITH_TIMEOUT(recorded() >= 4000 || child.state() == QProcess::NotRunning, 20000);
        QVERIFY2(child.state() == QProcess::Running,
                 qPrintable(QStringLiteral("the recording child ended with %1").arg(child.exitCode())));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        TWaveFormatEx format;
        const QByteArray samples = Samples(path, &format);
        QCOMPARE(format.SamplesPerSec, 8000u);
        QCOMPARE(format.BitsPerSample, 8);
        QCOMPARE(format.Channels, 1);
        QVERIFY(samples.size() >= 4000);
        QVERIFY(samples.size() < raw.size());
        QVERIFY(samples == raw.left(samples.size()));
    }

    // Run by aKilledRecordingLeavesAValidFile in a process of its own: records until it is killed.
    void recorderChild()
    {
        const QString path = qEnvironmentVariable(kChildVariable);
        if (path.isEmpty())
            QSKIP("runs only as the child of aKilledRecordingLeavesAValidFile");
        // A message would wait for an answer no one gives: the child ends with it instead.
        k5test::Answerer answer;
        THDRecorder w;
        w.FormatBox->setCurrentIndex(0);
        w.FileNameEdit->setText(path);
        QTest::mouseClick(w.StartButton, Qt::LeftButton);
        QVERIFY(w.Recording());
        for (;;) {
            QTest::qWait(50);
            if (!w.Recording() || !answer.Texts().isEmpty()) {
                qWarning("the recording stopped: %s", qPrintable(answer.Texts().join(QLatin1Char('\n'))));
                ::_exit(3);
            }
        }
    }
};

K5_TEST_MAIN(TestHDRecorder)
#include "test_hdrecorder.moc"
