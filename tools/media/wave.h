#pragma once
// RIFF WAVE sound data as a stream of sample bytes: positions, sizes and seeks count the sample data
// only, while the classes read or write the RIFF header, the "fmt " chunk and the "data" chunk around it.
#include "platform/error.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QFileDevice;
class QIODevice;

namespace media {

class EWaveStreamError : public platform::StreamError {
public:
    using StreamError::StreamError;
};

enum class SeekOrigin { Beginning, Current, End };

// The fields of the format record (WAVEFORMATEX); the record itself is kept as its 18 (or more) bytes.
struct TWaveFormatEx {
    quint16 FormatTag = 0;
    quint16 Channels = 0;
    quint32 SamplesPerSec = 0;
    quint32 AvgBytesPerSec = 0;
    quint16 BlockAlign = 0;
    quint16 BitsPerSample = 0;
    quint16 ExtraSize = 0;
};

class TCustomWaveStream {
public:
    virtual ~TCustomWaveStream();

    // The stream interface: transfers move the data position; seeks are clamped to 0..data size.
    qint64 Read(void *buffer, qint64 count);
    qint64 Write(const void *buffer, qint64 count);
    qint64 Seek(qint64 offset, SeekOrigin origin);
    qint64 Position() const { return position_; }
    qint64 Size() const { return DataSize(); }
    void SetSize(qint64) {}

    // Captured or stored bytes waiting to be read; -1 when the stream does not know.
    virtual qint64 FilledSize() const { return -1; }
    virtual char *Format() = 0;
    virtual const char *Format() const = 0;
    virtual int FormatSize() const { return 0; }
    virtual qint64 DataSize() const { return -1; }
    virtual qint64 ReadWave(void *buffer, qint64 count) { return 0; }
    virtual void SetFormatSize(int size) = 0;
    virtual qint64 WriteWave(const void *buffer, qint64 count) { return 0; }

    // A PCM format of 18 bytes: tag 1, the channels, rate and bits, block align and bytes per second.
    void SetPCMFormat(int rate, int bits, int channels);
    // The fields of the format (zero where the format is shorter).
    TWaveFormatEx WaveFormat() const;

protected:
    qint64 position_ = 0;
};

// Keeps its format in a buffer of its own.
class TCustomWaveStream2 : public TCustomWaveStream {
public:
    char *Format() override { return format_.data(); }
    const char *Format() const override { return format_.constData(); }
    int FormatSize() const override { return int(format_.size()); }
    void SetFormatSize(int size) override;

private:
    QByteArray format_;
};

// A wave held in another stream, from that stream's position at creation on.
class TWaveStream : public TCustomWaveStream2 {
public:
    explicit TWaveStream(QIODevice *stream);
    // Completes a file open for writing; errors can no longer be reported here, so call Complete first.
    ~TWaveStream() override;

    // False reads the header and finds the sample data; true writes a header for the format.
    void Open(bool write);
    // Writes the pad byte and the final sizes of a file open for writing; raises on a write error.
    virtual void Complete();
    // Writes the sizes of the data written so far into the header of a file open for writing, which
    // stays open: a file cut off after this reads as a whole wave.
    void UpdateSizes();

    qint64 DataSize() const override;
    qint64 ReadWave(void *buffer, qint64 count) override;
    qint64 WriteWave(const void *buffer, qint64 count) override;

    bool Opened() const { return opened_; }
    bool Reading() const { return reading_; }

protected:
    // For a subclass that creates the wrapped stream itself.
    void Attach(QIODevice *stream);
    bool Completed() const { return completed_; }

    QIODevice *stream_;

private:
    // Whether the bytes at pos look like a chunk header: four printable characters and a size that fits.
    bool ChunkAt(qint64 pos, qint64 left);
    void SeekStream(qint64 pos);
    void WriteStream(const char *bytes, qint64 count);
    void WriteSizes(qint64 dataSize, qint64 pad);
    qint64 Remaining() const;

    qint64 riffStart_ = 0;
    qint64 dataHeader_ = 0;
    qint64 dataStart_ = 0;
    bool opened_ = false;
    bool reading_ = false;
    bool completed_ = false;
    qint64 dataSize_ = 0;
};

// Create writes a new file that replaces the old one only when it is completed. CreateInPlace writes
// straight into the named file, unbuffered: for a recording, which keeps what was captured through a crash
// when its sizes are updated as it goes (UpdateSizes).
enum class FileMode { OpenRead, Create, CreateInPlace };

// A wave in a file of its own.
class TWaveFileStream : public TWaveStream {
public:
    TWaveFileStream(const QString &fileName, FileMode mode);
    ~TWaveFileStream() override;
    void Complete() override;

private:
    std::unique_ptr<QFileDevice> file_;
    QString fileName_;
};

} // namespace media
