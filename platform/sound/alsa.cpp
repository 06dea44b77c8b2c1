// The sound system over ALSA: capture devices from the name hints, formats probed on the device,
// non-blocking interleaved reads.
#include "soundcapture.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdarg>

namespace platform {

namespace {

// ALSA prints its complaints on stderr; ours reach the user through SoundError instead.
void Quiet(const char *, int, const char *, int, const char *, ...) {}

void Silence()
{
    static const bool once = [] {
        snd_lib_error_set_handler(&Quiet);
        return true;
    }();
    (void)once;
}

snd_pcm_format_t SampleFormat(int bits)
{
    switch (bits) {
    case 8:
        return SND_PCM_FORMAT_U8;
    case 16:
        return SND_PCM_FORMAT_S16_LE;
    case 24:
        return SND_PCM_FORMAT_S24_3LE;
    case 32:
        return SND_PCM_FORMAT_S32_LE;
    default:
        return SND_PCM_FORMAT_UNKNOWN;
    }
}

QString Hint(void *hint, const char *field)
{
    char *value = snd_device_name_get_hint(hint, field);
    const QString text = value ? QString::fromUtf8(value) : QString();
    free(value);
    return text;
}

class HwParams {
public:
    HwParams() { snd_pcm_hw_params_malloc(&params_); }
    ~HwParams() { snd_pcm_hw_params_free(params_); }
    HwParams(const HwParams &) = delete;
    HwParams &operator=(const HwParams &) = delete;
    snd_pcm_hw_params_t *get() const { return params_; }

private:
    snd_pcm_hw_params_t *params_ = nullptr;
};

class AlsaCapture : public CaptureDriver {
public:
    explicit AlsaCapture(const QString &name)
    {
        const int error = snd_pcm_open(&pcm_, name.toUtf8().constData(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
        if (error < 0) {
            pcm_ = nullptr;
            throw SoundError(QStringLiteral("The sound capture device \"%1\" cannot be opened (%2).")
                                 .arg(name, QString::fromLocal8Bit(snd_strerror(error))));
        }
    }
    ~AlsaCapture() override
    {
        if (pcm_)
            snd_pcm_close(pcm_);
    }

    bool Supports(const SoundFormat &format) override
    {
        HwParams params;
        return Restrict(params.get(), format) == 0;
    }

    void Start(const SoundFormat &format, qint64 bufferFrames) override
    {
        HwParams params;
        int error = Restrict(params.get(), format);
        snd_pcm_uframes_t buffer = snd_pcm_uframes_t(bufferFrames);
        // Periods of about 50 ms, the pace at which the recorder looks for sound.
        snd_pcm_uframes_t period = std::max<snd_pcm_uframes_t>(1, snd_pcm_uframes_t(format.rate / 20));
        if (error == 0)
            error = snd_pcm_hw_params_set_rate(pcm_, params.get(), unsigned(format.rate), 0);
        if (error == 0)
            error = snd_pcm_hw_params_set_buffer_size_near(pcm_, params.get(), &buffer);
        if (error == 0)
            snd_pcm_hw_params_set_period_size_near(pcm_, params.get(), &period, nullptr);
        if (error == 0)
            error = snd_pcm_hw_params(pcm_, params.get());
        if (error == 0)
            error = snd_pcm_prepare(pcm_);
        if (error == 0)
            error = snd_pcm_start(pcm_);
        if (error < 0)
            throw SoundError(QStringLiteral("The sound capture device refuses %1 Hz, %2 bits, %3 channels (%4).")
                                 .arg(format.rate)
                                 .arg(format.bits)
                                 .arg(format.channels)
                                 .arg(QString::fromLocal8Bit(snd_strerror(error))));
    }

    qint64 Avail() override { return snd_pcm_avail(pcm_); }

    qint64 Read(char *buffer, qint64 frames) override
    {
        const snd_pcm_sframes_t got = snd_pcm_readi(pcm_, buffer, snd_pcm_uframes_t(frames));
        return got == -EAGAIN ? 0 : got;
    }

    int Recover(int error) override
    {
        int result = snd_pcm_recover(pcm_, error, 1);
        if (result == 0)
            result = snd_pcm_start(pcm_);
        return result;
    }

    void Stop() override { snd_pcm_drop(pcm_); }

private:
    // Narrows the device's space to the format (rate left out: the caller tests or sets it exactly).
    int Restrict(snd_pcm_hw_params_t *params, const SoundFormat &format)
    {
        const snd_pcm_format_t sample = SampleFormat(format.bits);
        if (sample == SND_PCM_FORMAT_UNKNOWN)
            return -EINVAL;
        int error = snd_pcm_hw_params_any(pcm_, params);
        if (error >= 0)
            error = snd_pcm_hw_params_set_access(pcm_, params, SND_PCM_ACCESS_RW_INTERLEAVED);
        if (error == 0)
            error = snd_pcm_hw_params_set_format(pcm_, params, sample);
        if (error == 0)
            error = snd_pcm_hw_params_set_channels(pcm_, params, unsigned(format.channels));
        if (error == 0)
            error = snd_pcm_hw_params_test_rate(pcm_, params, unsigned(format.rate), 0);
        return error < 0 ? error : 0;
    }

    snd_pcm_t *pcm_ = nullptr;
};

class Alsa : public SoundSystem {
public:
    QList<SoundDevice> CaptureDevices() override
    {
        Silence();
        QList<SoundDevice> devices;
        void **hints = nullptr;
        if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints)
            return devices;
        for (void **hint = hints; *hint; ++hint) {
            const QString name = Hint(*hint, "NAME");
            const QString io = Hint(*hint, "IOID");
            // The null PCM hands out silence: nothing a person would record from.
            if (name.isEmpty() || name == QLatin1String("null") || (!io.isEmpty() && io != QLatin1String("Input")))
                continue;
            SoundDevice device{name, Hint(*hint, "DESC").section(QLatin1Char('\n'), 0, 0)};
            if (device.description.isEmpty())
                device.description = name;
            if (name == QLatin1String("default"))
                devices.prepend(device);
            else
                devices.append(device);
        }
        snd_device_name_free_hint(hints);
        return devices;
    }

    std::unique_ptr<CaptureDriver> OpenCapture(const QString &id) override
    {
        Silence();
        return std::make_unique<AlsaCapture>(id);
    }
};

} // namespace

std::shared_ptr<SoundSystem> AlsaSoundSystem()
{
    return std::make_shared<Alsa>();
}

} // namespace platform
