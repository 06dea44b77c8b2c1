#pragma once
// Our layer for recording sound. A sound system lists the capture devices and opens them (ALSA is the
// real one; tests install their own); SoundCapture runs one device: it probes the formats the recorder
// offers, captures into the device's ring and hands out what is waiting without ever waiting itself,
// restarts after an overrun (and counts it), and fails once the device is gone.
#include "platform/error.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace platform {

// The device is gone, refused a format, or could not be opened.
class SoundError : public Error {
public:
    using Error::Error;
};

struct SoundDevice {
    QString id;          // what OpenCapture takes (the PCM name)
    QString description; // one line for people
};

struct SoundFormat {
    int rate = 0;
    int bits = 0; // 8, 16, 24 or 32; samples of 24 bits take three bytes
    int channels = 0;
    int FrameBytes() const { return channels * (bits / 8); }
    bool operator==(const SoundFormat &) const = default;
};

// The formats a device is asked for, rate outermost, then bits, then channels.
QList<SoundFormat> CandidateFormats();

// One open capture device. Errors are negative errno values: -EPIPE an overrun, -ESTRPIPE a suspension,
// anything else a device that stopped working.
class CaptureDriver {
public:
    virtual ~CaptureDriver() = default;
    // Whether the device can capture the format, asked without capturing.
    virtual bool Supports(const SoundFormat &format) = 0;
    // Starts capturing into a ring of about bufferFrames; raises SoundError when the device refuses.
    virtual void Start(const SoundFormat &format, qint64 bufferFrames) = 0;
    // Frames waiting, or an error.
    virtual qint64 Avail() = 0;
    // Up to frames waiting frames, without waiting: the count read (0 when none), or an error.
    virtual qint64 Read(char *buffer, qint64 frames) = 0;
    // Capturing again after an overrun or suspension; 0, or the error that prevents it.
    virtual int Recover(int error) = 0;
    virtual void Stop() = 0;
};

class SoundSystem {
public:
    virtual ~SoundSystem() = default;
    // The devices that can capture, the system's default first.
    virtual QList<SoundDevice> CaptureDevices() = 0;
    // Raises SoundError when the device cannot be opened.
    virtual std::unique_ptr<CaptureDriver> OpenCapture(const QString &id) = 0;
};

// The sound system in use; ALSA unless a test installed another (null puts ALSA back).
SoundSystem &CurrentSoundSystem();
void SetSoundSystem(std::shared_ptr<SoundSystem> system);
std::shared_ptr<SoundSystem> AlsaSoundSystem();

// Nanoseconds on a steady clock; tests install their own (null puts the real one back).
using SoundClock = std::function<qint64()>;
void SetSoundClock(SoundClock clock);
qint64 SoundClockNow();

class SoundCapture {
public:
    // Opens the device (empty id: the first one listed) and probes its formats; raises SoundError.
    explicit SoundCapture(const QString &deviceId);
    ~SoundCapture();
    SoundCapture(const SoundCapture &) = delete;
    SoundCapture &operator=(const SoundCapture &) = delete;

    const QList<SoundFormat> &Formats() const { return formats_; }

    // Starts capturing into a ring of bufferMs (at least 8000 bytes); raises SoundError.
    void Start(const SoundFormat &format, int bufferMs);
    void Stop();
    bool Running() const { return running_; }
    const SoundFormat &Format() const { return format_; }

    // Bytes waiting (whole frames). Raises SoundError once the device has stopped working, and again
    // on every later call.
    qint64 Available();
    // Copies up to bytes of the waiting data (whole frames) without waiting; raises as Available.
    qint64 Read(char *buffer, qint64 bytes);
    // Overruns (and suspensions) since Start: sound the device dropped before it could be read.
    int Overruns() const { return overruns_; }

private:
    qint64 WaitingFrames();
    // Capturing again after an overrun; the sound dropped meanwhile is counted, not hidden.
    void Recover(int error);
    [[noreturn]] void Fail(int error);

    std::unique_ptr<CaptureDriver> driver_;
    QList<SoundFormat> formats_;
    SoundFormat format_;
    bool running_ = false;
    int overruns_ = 0;
    QString failure_;
    qint64 startNs_ = 0;
    qint64 framesSinceStart_ = 0;
};

} // namespace platform
