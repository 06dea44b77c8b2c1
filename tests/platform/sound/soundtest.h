#pragma once
// Sound for tests without a sound card: ALSA's file plugin reading a raw file the test made (over the
// null PCM), a scriptable fake sound system, and a clock the test moves by hand.
#include "k5test.h"
#include "platform/sound/soundcapture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <deque>
#include <memory>

namespace soundtest {

// ALSA configured by a file of the test's own (never the user's): one capture PCM, "k5raw", whose
// samples come from a raw file. Puts the old configuration back when destroyed.
class AlsaRawInput {
public:
    // withDefault also defines "default" (the same input) after it, to see that it is listed first.
    explicit AlsaRawInput(const QByteArray &raw, bool withDefault = false)
        : old_(qgetenv("ALSA_CONFIG_PATH")), hadOld_(qEnvironmentVariableIsSet("ALSA_CONFIG_PATH"))
    {
        static int serial = 0;
        const QString dir = k5test::Root() + QStringLiteral("/alsa%1").arg(++serial);
        rawPath_ = k5test::WriteFile(dir + QStringLiteral("/input.raw"), raw);
        QByteArray config = Pcm("k5raw", "Raw test input\nfrom a file the test wrote");
        if (withDefault)
            config += Pcm("default", "Default test input");
        // A new file each time: ALSA reloads its configuration when the list of files changes.
        qputenv("ALSA_CONFIG_PATH", QFile::encodeName(k5test::WriteFile(dir + QStringLiteral("/asound.conf"), config)));
    }
    ~AlsaRawInput()
    {
        if (hadOld_)
            qputenv("ALSA_CONFIG_PATH", old_);
        else
            qunsetenv("ALSA_CONFIG_PATH");
    }
    AlsaRawInput(const AlsaRawInput &) = delete;
    AlsaRawInput &operator=(const AlsaRawInput &) = delete;

private:
    QByteArray Pcm(const char *name, const char *description) const
    {
        // A line break stands in the string as it is: ALSA's parser keeps it.
        const QByteArray d(description);
        return QByteArray("pcm.") + name + " {\n  type file\n  slave.pcm { type null }\n  file \"/dev/null\"\n"
               + "  infile \"" + QFile::encodeName(rawPath_) + "\"\n  format \"raw\"\n"
               + "  hint { show on description \"" + d + "\" }\n}\n";
    }

    QString rawPath_;
    QByteArray old_;
    bool hadOld_;
};

// The clock of the sound layer, moved by the test; installed for the object's lifetime.
class ManualClock {
public:
    ManualClock()
    {
        auto now = now_;
        platform::SetSoundClock([now] { return *now; });
    }
    ~ManualClock() { platform::SetSoundClock(nullptr); }
    void Set(qint64 ns) { *now_ = ns; }
    void SetSeconds(double s) { *now_ = qint64(s * 1e9); }

private:
    std::shared_ptr<qint64> now_ = std::make_shared<qint64>(0);
};

// Bytes that are not all alike, so that a shifted or repeated piece shows.
inline QByteArray Noise(int size, quint32 seed = 5)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

// What a fake device does; shared with the test, which changes it while the device runs.
struct FakeScript {
    QList<platform::SoundFormat> formats;
    QByteArray data;              // handed out as it is asked for, as fast as asked (no clock of its own)
    qint64 ring = 1 << 30;        // the most frames waiting at once
    std::deque<int> availErrors;  // returned by the next calls of Avail, one each
    int failure = 0;              // once set, every call fails with it (an unplugged device)
    int recoverResult = 0;
    QString refuseStart;          // Start raises this when not empty
    QString refuseOpen;
    // What the device saw.
    int starts = 0;
    int stops = 0;
    int recovers = 0;
    qint64 bufferFrames = 0;
    platform::SoundFormat started;
    qint64 consumed = 0; // bytes handed out
};

class FakeDriver : public platform::CaptureDriver {
public:
    explicit FakeDriver(std::shared_ptr<FakeScript> s) : s_(std::move(s)) {}
    bool Supports(const platform::SoundFormat &f) override { return s_->formats.contains(f); }
    void Start(const platform::SoundFormat &f, qint64 bufferFrames) override
    {
        if (!s_->refuseStart.isEmpty())
            throw platform::SoundError(s_->refuseStart);
        ++s_->starts;
        s_->started = f;
        s_->bufferFrames = bufferFrames;
    }
    qint64 Avail() override
    {
        if (s_->failure)
            return s_->failure;
        if (!s_->availErrors.empty()) {
            const int e = s_->availErrors.front();
            s_->availErrors.pop_front();
            return e;
        }
        const qint64 left = (s_->data.size() - s_->consumed) / s_->started.FrameBytes();
        return std::min(left, s_->ring);
    }
    qint64 Read(char *buffer, qint64 frames) override
    {
        if (s_->failure)
            return s_->failure;
        const qint64 bytes = std::min<qint64>(frames * s_->started.FrameBytes(), s_->data.size() - s_->consumed);
        std::memcpy(buffer, s_->data.constData() + s_->consumed, size_t(bytes));
        s_->consumed += bytes;
        return bytes / s_->started.FrameBytes();
    }
    int Recover(int) override
    {
        ++s_->recovers;
        return s_->recoverResult;
    }
    void Stop() override { ++s_->stops; }

private:
    std::shared_ptr<FakeScript> s_;
};

// A fake sound system with the given devices, all running one script; installed for its lifetime.
class FakeSound : public platform::SoundSystem {
public:
    explicit FakeSound(QList<platform::SoundDevice> devices) : devices_(std::move(devices)) {}
    QList<platform::SoundDevice> CaptureDevices() override { return devices_; }
    std::unique_ptr<platform::CaptureDriver> OpenCapture(const QString &id) override
    {
        opened << id;
        if (!script->refuseOpen.isEmpty())
            throw platform::SoundError(script->refuseOpen);
        return std::make_unique<FakeDriver>(script);
    }
    std::shared_ptr<FakeScript> script = std::make_shared<FakeScript>();
    QStringList opened;

private:
    QList<platform::SoundDevice> devices_;
};

// Installs a fake sound system (or ALSA with null) for the object's lifetime.
class UseSound {
public:
    explicit UseSound(std::shared_ptr<platform::SoundSystem> system) { platform::SetSoundSystem(std::move(system)); }
    ~UseSound() { platform::SetSoundSystem(nullptr); }
    UseSound(const UseSound &) = delete;
    UseSound &operator=(const UseSound &) = delete;
};

// One fake device ("a", described "A") with its formats and data, installed with a manual clock.
struct FakeRig {
    explicit FakeRig(QList<platform::SoundFormat> formats, QByteArray data = QByteArray())
        : fake(MakeFake(std::move(formats), std::move(data))), use(fake)
    {
    }
    FakeScript &Script() { return *fake->script; }

    std::shared_ptr<FakeSound> fake;
    UseSound use;
    ManualClock clock;

private:
    static std::shared_ptr<FakeSound> MakeFake(QList<platform::SoundFormat> formats, QByteArray data)
    {
        auto f = std::make_shared<FakeSound>(QList<platform::SoundDevice>{{QStringLiteral("a"), QStringLiteral("A")}});
        f->script->formats = std::move(formats);
        f->script->data = std::move(data);
        return f;
    }
};

} // namespace soundtest
