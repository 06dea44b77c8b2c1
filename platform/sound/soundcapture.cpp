#include "soundcapture.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

std::mutex gLock;
std::shared_ptr<SoundSystem> gSystem;
SoundClock gClock;

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(-error));
}

} // namespace

QList<SoundFormat> CandidateFormats()
{
    // 33075, not 32000: the recorder has always offered it.
    static const int kRates[] = {8000, 11025, 22050, 33075, 44100, 48000, 96000};
    QList<SoundFormat> formats;
    for (int rate : kRates)
        for (int bits : {8, 16, 24, 32})
            for (int channels : {1, 2})
                formats.append(SoundFormat{rate, bits, channels});
    return formats;
}

SoundSystem &CurrentSoundSystem()
{
    std::lock_guard<std::mutex> lock(gLock);
    if (!gSystem)
        gSystem = AlsaSoundSystem();
    return *gSystem;
}

void SetSoundSystem(std::shared_ptr<SoundSystem> system)
{
    std::lock_guard<std::mutex> lock(gLock);
    gSystem = std::move(system);
}

void SetSoundClock(SoundClock clock)
{
    std::lock_guard<std::mutex> lock(gLock);
    gClock = std::move(clock);
}

qint64 SoundClockNow()
{
    {
        std::lock_guard<std::mutex> lock(gLock);
        if (gClock)
            return gClock();
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---- SoundCapture ----

SoundCapture::SoundCapture(const QString &deviceId)
{
    SoundSystem &system = CurrentSoundSystem();
    QString id = deviceId;
    if (id.isEmpty()) {
        const QList<SoundDevice> devices = system.CaptureDevices();
        if (devices.isEmpty())
            throw SoundError(QStringLiteral("No sound capture device was found."));
        id = devices.first().id;
    }
    driver_ = system.OpenCapture(id);
    for (const SoundFormat &format : CandidateFormats())
        if (driver_->Supports(format))
            formats_.append(format);
}

SoundCapture::~SoundCapture()
{
    Stop();
}

void SoundCapture::Start(const SoundFormat &format, int bufferMs)
{
    Stop();
    if (format.bits < 8 || format.bits > 32 || format.bits % 8 != 0 || format.channels <= 0 || format.rate <= 0)
        throw SoundError(QStringLiteral("The sound format is invalid."));
    const qint64 bytes = std::max<qint64>(qint64(format.FrameBytes()) * format.rate * bufferMs / 1000, 8000);
    const qint64 frames = (bytes + format.FrameBytes() - 1) / format.FrameBytes();
    driver_->Start(format, frames);
    format_ = format;
    running_ = true;
    overruns_ = 0;
    failure_.clear();
    startNs_ = SoundClockNow();
    framesSinceStart_ = 0;
}

void SoundCapture::Stop()
{
    if (!running_)
        return;
    running_ = false;
    driver_->Stop();
}

void SoundCapture::Fail(int error)
{
    failure_ = QStringLiteral("The sound capture device stopped working (%1).").arg(ErrorText(error));
    running_ = false;
    driver_->Stop();
    throw SoundError(failure_);
}

void SoundCapture::Recover(int error)
{
    if (const int failed = driver_->Recover(error); failed < 0)
        Fail(failed);
    ++overruns_;
    startNs_ = SoundClockNow();
    framesSinceStart_ = 0;
}

qint64 SoundCapture::WaitingFrames()
{
    if (!failure_.isEmpty())
        throw SoundError(failure_);
    if (!running_)
        return 0;
    qint64 avail = driver_->Avail();
    if (avail == -EPIPE || avail == -ESTRPIPE) {
        Recover(int(avail));
        avail = driver_->Avail();
    }
    if (avail == -EAGAIN)
        return 0;
    if (avail < 0)
        Fail(int(avail));
    // A device without a clock of its own (a null or file PCM) has its whole ring ready at any time.
    // Reading at most 2% faster than the rate keeps such a recording as long as the time it took, and
    // never holds back a clocked device, whose rate is far closer than that to the system clock's.
    const qint64 elapsed = std::max<qint64>(0, SoundClockNow() - startNs_);
    const qint64 paced = qint64(__int128(elapsed) * format_.rate * 51 / (50 * __int128(1000000000)));
    return std::clamp<qint64>(paced - framesSinceStart_, 0, avail);
}

qint64 SoundCapture::Available()
{
    return WaitingFrames() * format_.FrameBytes();
}

qint64 SoundCapture::Read(char *buffer, qint64 bytes)
{
    const qint64 frames = std::min(bytes / std::max(1, format_.FrameBytes()), WaitingFrames());
    if (frames <= 0)
        return 0;
    const qint64 got = driver_->Read(buffer, frames);
    if (got == -EAGAIN)
        return 0;
    if (got == -EPIPE || got == -ESTRPIPE) {
        Recover(int(got));
        return 0;
    }
    if (got < 0)
        Fail(int(got));
    framesSinceStart_ += got;
    return got * format_.FrameBytes();
}

} // namespace platform
