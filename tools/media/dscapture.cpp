#include "dscapture.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstring>

namespace media {

namespace {

constexpr int kPollMs = 50;

[[noreturn]] void Rethrow(const platform::Error &e)
{
    throw ESoundCaptureStreamError(e.message());
}

} // namespace

QList<TDirectXDriver> CaptureDrivers()
{
    QList<TDirectXDriver> drivers;
    for (const platform::SoundDevice &device : platform::CurrentSoundSystem().CaptureDevices())
        drivers.append(TDirectXDriver{device.id, device.description, device.id});
    return drivers;
}

TSoundCaptureStream::TSoundCaptureStream(const QString &driverId)
{
    try {
        capture_ = std::make_unique<platform::SoundCapture>(driverId);
    } catch (const platform::Error &e) {
        throw ESoundCaptureStreamError(QStringLiteral("Sound capture cannot be initialized. %1").arg(e.message()));
    }
}

TSoundCaptureStream::~TSoundCaptureStream()
{
    Close();
}

const QList<platform::SoundFormat> &TSoundCaptureStream::SupportedFormats() const
{
    return capture_->Formats();
}

void TSoundCaptureStream::Open()
{
    Close();
    const QList<platform::SoundFormat> &formats = capture_->Formats();
    if (formatIndex_ < 0 || formatIndex_ >= formats.size())
        throw ESoundCaptureStreamError(QStringLiteral("Sound Capture Buffer cannot be made. The device offers no such format."));
    const platform::SoundFormat &format = formats[formatIndex_];
    SetPCMFormat(format.rate, format.bits, format.channels);
    try {
        capture_->Start(format, bufferLength_);
    } catch (const platform::Error &e) {
        throw ESoundCaptureStreamError(QStringLiteral("Sound Capture Buffer cannot be made. %1").arg(e.message()));
    }
    opened_ = true;
    position_ = 0;
    UpdateTimer();
}

void TSoundCaptureStream::Close()
{
    opened_ = false;
    carry_.clear();
    if (capture_)
        capture_->Stop();
    UpdateTimer();
}

qint64 TSoundCaptureStream::FilledSize() const
{
    try {
        return carry_.size() + capture_->Available();
    } catch (const platform::Error &e) {
        Rethrow(e);
    }
}

int TSoundCaptureStream::Overruns() const
{
    return capture_->Overruns();
}

qint64 TSoundCaptureStream::TakeWaiting(char *buffer, qint64 count)
{
    qint64 done = std::min<qint64>(carry_.size(), count);
    std::memcpy(buffer, carry_.constData(), size_t(done));
    carry_.remove(0, done);
    if (done == count)
        return done;
    try {
        const qint64 frame = capture_->Format().FrameBytes();
        const qint64 rest = count - done;
        const qint64 whole = rest - rest % frame;
        const qint64 got = capture_->Read(buffer + done, whole);
        done += got;
        if (got == whole && rest > whole) {
            // The caller asked for part of a frame: keep the remainder for the next read.
            QByteArray one(int(frame), '\0');
            if (capture_->Read(one.data(), frame) == frame) {
                const qint64 part = rest - whole;
                std::memcpy(buffer + done, one.constData(), size_t(part));
                done += part;
                carry_ = one.mid(int(part));
            }
        }
    } catch (const platform::Error &e) {
        Rethrow(e);
    }
    return done;
}

qint64 TSoundCaptureStream::ReadWave(void *buffer, qint64 count)
{
    if (count <= 0)
        return 0;
    if (!opened_)
        Open();
    const QDeadlineTimer deadline(ReadWaitMs);
    for (;;) {
        if (const qint64 n = TakeWaiting(static_cast<char *>(buffer), count); n > 0)
            return n;
        if (deadline.hasExpired())
            throw ESoundCaptureStreamError(
                QStringLiteral("No sound came from the capture device for %1 ms.").arg(ReadWaitMs));
        QThread::msleep(5);
    }
}

void TSoundCaptureStream::SetOnBufferFilled(TBufferFilledEvent event)
{
    onBufferFilled_ = std::move(event);
    UpdateTimer();
}

void TSoundCaptureStream::UpdateTimer()
{
    const bool wanted = opened_ && onBufferFilled_;
    if (!timer_) {
        if (!wanted)
            return;
        timer_ = std::make_unique<QTimer>();
        // The buffer length divided by 4, at most 50 ms.
        timer_->setInterval(std::min(bufferLength_ / 4, kPollMs));
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { Tick(); });
    }
    // Stopped, never deleted here: this may run inside the timer's own signal.
    if (!wanted)
        timer_->stop();
    else if (!timer_->isActive())
        timer_->start();
}

void TSoundCaptureStream::Tick()
{
    bool call = false;
    try {
        call = FilledSize() > 0;
    } catch (const platform::Error &) {
        call = true; // the owner's next read raises the failure and stops
    }
    if (call && onBufferFilled_) {
        // The handler may close the stream or replace itself; keep it alive while it runs.
        const TBufferFilledEvent event = onBufferFilled_;
        event(this);
    }
}

} // namespace media
