// Records a minute of 48 kHz 32-bit stereo from ALSA's file plugin (over the null PCM, read at the
// clock's pace) with the recorder window, once with the user-interface thread idle and once while it
// runs 40 ms tasks back to back. Prints the overruns, whether every byte arrived, the longest gap between
// two reads of the device, and the CPU the recording took outside the tasks, as a share of one core.
// Goal: no overrun, no byte lost, under 2% of one core. Usage: bench_recorder [seconds] (default 60).
#include "tests/platform/sound/soundtest.h"

#include "tools/media/hdrecorder.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

qint64 CpuNs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// ALSA as it is, with the time of every read noted.
struct Reads {
    qint64 frames = 0;
    qint64 last = 0;
    qint64 longestGap = 0;
    int count = 0;
};

class TimedDriver : public platform::CaptureDriver {
public:
    TimedDriver(std::unique_ptr<platform::CaptureDriver> inner, Reads *reads) : inner_(std::move(inner)), reads_(reads) {}
    bool Supports(const platform::SoundFormat &f) override { return inner_->Supports(f); }
    void Start(const platform::SoundFormat &f, qint64 frames) override { inner_->Start(f, frames); }
    qint64 Avail() override { return inner_->Avail(); }
    qint64 Read(char *buffer, qint64 frames) override
    {
        const qint64 got = inner_->Read(buffer, frames);
        const qint64 now = platform::SoundClockNow();
        if (reads_->last)
            reads_->longestGap = std::max(reads_->longestGap, now - reads_->last);
        reads_->last = now;
        reads_->frames += std::max<qint64>(0, got);
        ++reads_->count;
        return got;
    }
    int Recover(int error) override { return inner_->Recover(error); }
    void Stop() override { inner_->Stop(); }

private:
    std::unique_ptr<platform::CaptureDriver> inner_;
    Reads *reads_;
};

class TimedAlsa : public platform::SoundSystem {
public:
    explicit TimedAlsa(Reads *reads) : alsa_(platform::AlsaSoundSystem()), reads_(reads) {}
    QList<platform::SoundDevice> CaptureDevices() override { return alsa_->CaptureDevices(); }
    std::unique_ptr<platform::CaptureDriver> OpenCapture(const QString &id) override
    {
        return std::make_unique<TimedDriver>(alsa_->OpenCapture(id), reads_);
    }

private:
    std::shared_ptr<platform::SoundSystem> alsa_;
    Reads *reads_;
};

bool Run(const QByteArray &raw, int seconds, bool busy)
{
    Reads reads;
    soundtest::UseSound use(std::make_shared<TimedAlsa>(&reads));
    k5test::Answerer answers;
    media::THDRecorder w;
    w.show();
    w.FormatBox->setCurrentIndex(w.FormatBox->findText(QStringLiteral("48000Hz 32bit Stereo")));
    if (w.FormatBox->currentIndex() < 0) {
        std::fprintf(stderr, "the file plugin does not offer 48000Hz 32bit Stereo\n");
        return false;
    }
    const QString path = k5test::Root() + QStringLiteral("/bench.wav");
    w.FileNameEdit->setText(path);

    // 40 ms of work, one task after another, each in its own turn of the event loop.
    qint64 taskNs = 0;
    int tasks = 0;
    QTimer work;
    work.setInterval(0);
    QObject::connect(&work, &QTimer::timeout, [&] {
        const qint64 start = CpuNs(CLOCK_THREAD_CPUTIME_ID);
        QElapsedTimer t;
        t.start();
        while (t.nsecsElapsed() < 40000000) {
        }
        taskNs += CpuNs(CLOCK_THREAD_CPUTIME_ID) - start;
        ++tasks;
    });

    const qint64 wanted = qint64(48000) * seconds;
    QElapsedTimer wall;
    wall.start();
    const qint64 cpu0 = CpuNs(CLOCK_PROCESS_CPUTIME_ID);
    w.StartButton->click();
    if (busy)
        work.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (reads.frames >= wanted || !w.Recording())
            loop.quit();
    });
    check.start(100);
    loop.exec();
    work.stop();
    w.StopButton->click();
    const qint64 cpu = CpuNs(CLOCK_PROCESS_CPUTIME_ID) - cpu0 - taskNs;
    const double wallS = double(wall.nsecsElapsed()) / 1e9;

    QByteArray samples;
    {
        media::TWaveFileStream wave(path, media::FileMode::OpenRead);
        wave.Open(false);
        samples.resize(int(wave.DataSize()));
        wave.Read(samples.data(), samples.size());
    }
    const bool whole = samples.size() == reads.frames * 8 && samples == raw.left(samples.size());
    std::printf("%-5s UI: %.1f s of sound in %.1f s, %d reads, longest gap %.0f ms, %d overruns, %s, "
                "CPU outside the tasks %.2f%% of one core (%d tasks of 40 ms)%s\n",
                busy ? "busy" : "idle", double(samples.size()) / 384000.0, wallS, reads.count,
                double(reads.longestGap) / 1e6, w.Capture()->Overruns(), whole ? "no byte lost" : "BYTES LOST",
                100.0 * double(cpu) / 1e9 / wallS, tasks,
                answers.Texts().isEmpty() ? "" : qPrintable(QStringLiteral(", said: ") + answers.Texts().join(u' ')));
    return whole && w.Capture()->Overruns() == 0 && answers.Texts().isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    k5test::IsolateEnvironment();
    platform::Application app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    // A little more than the recording takes, so the file plugin never reads past its end.
    const QByteArray raw = soundtest::Noise((seconds + 2) * 384000);
    bool ok = true;
    {
        soundtest::AlsaRawInput input(raw);
        ok = Run(raw, seconds, false) && ok;
    }
    {
        soundtest::AlsaRawInput input(raw);
        ok = Run(raw, seconds, true) && ok;
    }
    k5test::RemoveEnvironment();
    return ok ? 0 : 1;
}
