#pragma once
// Sound capture as a wave stream: the captured sample bytes of one device in one of the formats it
// supports, read on the user-interface thread. A 50 ms timer tells the owner when captured data is waiting.
#include "platform/sound/soundcapture.h"
#include "tools/media/wave.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QTimer;

namespace media {

class ESoundCaptureStreamError : public EWaveStreamError {
public:
    using EWaveStreamError::EWaveStreamError;
};

// A capture device: its id (the name the sound system opens) and the first line of its description.
struct TDirectXDriver {
    QString Id;
    QString Description;
    QString DriverName;
};

// The capture devices present now, the system's default first.
QList<TDirectXDriver> CaptureDrivers();

class TSoundCaptureStream : public TCustomWaveStream2 {
public:
    // Opens the device (empty: the first one) and probes its formats; raises ESoundCaptureStreamError.
    explicit TSoundCaptureStream(const QString &driverId = QString());
    ~TSoundCaptureStream() override;

    const QList<platform::SoundFormat> &SupportedFormats() const;
    int FormatIndex() const { return formatIndex_; }
    void SetFormatIndex(int index) { formatIndex_ = index; }
    int BufferLength() const { return bufferLength_; }

    // Starts capturing in the chosen format; raises ESoundCaptureStreamError.
    void Open();
    void Close();
    bool Opened() const { return opened_; }

    // Captured bytes not yet read; raises once the device has stopped working.
    qint64 FilledSize() const override;
    // Opens when needed and returns the captured bytes waiting (at most count). With none waiting it
    // waits up to ReadWaitMs for some, then raises: the caller is never held longer than that.
    qint64 ReadWave(void *buffer, qint64 count) override;
    static constexpr int ReadWaitMs = 500;

    // Overruns since Open: sound lost because it was not read in time.
    int Overruns() const;

    // Called on the user-interface thread while capturing, when data is waiting or the device failed
    // (the next read says why). Setting it while capturing starts or stops the timer.
    using TBufferFilledEvent = std::function<void(TSoundCaptureStream *sender)>;
    void SetOnBufferFilled(TBufferFilledEvent event);

private:
    qint64 TakeWaiting(char *buffer, qint64 count);
    void Tick();
    void UpdateTimer();

    std::unique_ptr<platform::SoundCapture> capture_;
    std::unique_ptr<QTimer> timer_;
    TBufferFilledEvent onBufferFilled_;
    int formatIndex_ = 0;
    int bufferLength_ = 1000;
    bool opened_ = false;
    // The rest of a frame that a read of a partial frame split.
    QByteArray carry_;
};

} // namespace media
