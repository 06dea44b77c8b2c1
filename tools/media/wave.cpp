#include "wave.h"

#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace media {

namespace {

const char *const kNotOpened = "Stream not opend";
const char *const kWaveInvalid = "Wave is invalid";
const char *const kFormatInvalid = "Format is invalid";
const char *const kAlreadyOpened = "Stream has already been opened";

constexpr int kPCMFormatSize = 18;
// The largest format record: the fixed part and the most extra bytes its size field can count.
constexpr qint64 kMaxFormatSize = kPCMFormatSize + 0xFFFF;
constexpr qint64 kMaxChunkSize = 0xFFFFFFFFll;

[[noreturn]] void Fail(const char *text)
{
    throw EWaveStreamError(QString::fromLatin1(text));
}

[[noreturn]] void DeviceFailed(QIODevice *device)
{
    throw platform::FileError(QStringLiteral("Cannot write the sound file. %1").arg(device->errorString()));
}

quint32 LE32(const char *bytes)
{
    return qFromLittleEndian<quint32>(bytes);
}

} // namespace

// ---- TCustomWaveStream ----

TCustomWaveStream::~TCustomWaveStream() = default;

qint64 TCustomWaveStream::Read(void *buffer, qint64 count)
{
    if (count <= 0)
        return 0;
    const qint64 n = ReadWave(buffer, count);
    position_ += n;
    return n;
}

qint64 TCustomWaveStream::Write(const void *buffer, qint64 count)
{
    if (count <= 0)
        return 0;
    const qint64 n = WriteWave(buffer, count);
    position_ += n;
    return n;
}

qint64 TCustomWaveStream::Seek(qint64 offset, SeekOrigin origin)
{
    const qint64 size = std::max<qint64>(0, DataSize());
    qint64 base = 0;
    if (origin == SeekOrigin::Current)
        base = position_;
    else if (origin == SeekOrigin::End)
        base = size;
    position_ = std::clamp<qint64>(base + offset, 0, size);
    return position_;
}

void TCustomWaveStream::SetPCMFormat(int rate, int bits, int channels)
{
    SetFormatSize(kPCMFormatSize);
    const quint16 blockAlign = quint16(channels * (bits / 8));
    char *f = Format();
    qToLittleEndian<quint16>(1, f);
    qToLittleEndian<quint16>(quint16(channels), f + 2);
    qToLittleEndian<quint32>(quint32(rate), f + 4);
    qToLittleEndian<quint32>(quint32(blockAlign) * quint32(rate), f + 8);
    qToLittleEndian<quint16>(blockAlign, f + 12);
    qToLittleEndian<quint16>(quint16(bits), f + 14);
    qToLittleEndian<quint16>(0, f + 16);
}

TWaveFormatEx TCustomWaveStream::WaveFormat() const
{
    char f[kPCMFormatSize] = {};
    std::memcpy(f, Format(), std::min(FormatSize(), kPCMFormatSize));
    TWaveFormatEx w;
    w.FormatTag = qFromLittleEndian<quint16>(f);
    w.Channels = qFromLittleEndian<quint16>(f + 2);
    w.SamplesPerSec = qFromLittleEndian<quint32>(f + 4);
    w.AvgBytesPerSec = qFromLittleEndian<quint32>(f + 8);
    w.BlockAlign = qFromLittleEndian<quint16>(f + 12);
    w.BitsPerSample = qFromLittleEndian<quint16>(f + 14);
    w.ExtraSize = qFromLittleEndian<quint16>(f + 16);
    return w;
}

void TCustomWaveStream2::SetFormatSize(int size)
{
    format_.fill('\0', std::max(size, 0));
}

// ---- TWaveStream ----

TWaveStream::TWaveStream(QIODevice *stream) : stream_(nullptr)
{
    if (stream)
        Attach(stream);
}

TWaveStream::~TWaveStream()
{
    try {
        TWaveStream::Complete();
    } catch (const platform::Error &) {
        // Nobody is left to tell; callers that care call Complete themselves.
    }
}

void TWaveStream::Attach(QIODevice *stream)
{
    stream_ = stream;
    riffStart_ = stream->pos();
}

void TWaveStream::SeekStream(qint64 pos)
{
    if (!stream_->seek(pos))
        DeviceFailed(stream_);
}

void TWaveStream::WriteStream(const char *bytes, qint64 count)
{
    // A short write (a disk filling up) is tried again for the rest, which brings out the reason.
    while (count > 0) {
        const qint64 n = stream_->write(bytes, count);
        if (n <= 0)
            DeviceFailed(stream_);
        bytes += n;
        count -= n;
    }
}

bool TWaveStream::ChunkAt(qint64 pos, qint64 left)
{
    char header[8];
    if (left < 8 || !stream_->seek(pos) || stream_->read(header, 8) != 8)
        return false;
    for (int i = 0; i < 4; ++i)
        if (uchar(header[i]) < 0x20 || uchar(header[i]) > 0x7E)
            return false;
    return LE32(header + 4) <= quint64(left - 8);
}

void TWaveStream::Open(bool write)
{
    if (opened_)
        Fail(kAlreadyOpened);
    if (write) {
        if (FormatSize() == 0)
            Fail(kFormatInvalid);
        SeekStream(riffStart_);
        char header[12] = {};
        WriteStream(header, 12);
        char size[4];
        qToLittleEndian<quint32>(quint32(FormatSize()), size);
        WriteStream("fmt ", 4);
        WriteStream(size, 4);
        WriteStream(Format(), FormatSize());
        if (FormatSize() & 1)
            WriteStream("", 1); // chunks start on even offsets
        dataHeader_ = stream_->pos();
        WriteStream("data\0\0\0\0", 8);
        dataStart_ = stream_->pos();
        reading_ = false;
    } else {
        const qint64 end = stream_->size();
        qint64 pos = riffStart_;
        char header[12];
        if (end - pos < 12 || !stream_->seek(pos) || stream_->read(header, 12) != 12
            || std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
            Fail(kWaveInvalid);
        pos += 12;
        bool haveFormat = false;
        bool haveData = false;
        char chunk[8];
        while (end - pos >= 8 && stream_->seek(pos) && stream_->read(chunk, 8) == 8) {
            pos += 8;
            qint64 size = LE32(chunk + 4);
            const qint64 left = end - pos;
            if (std::memcmp(chunk, "fmt ", 4) == 0) {
                if (size < 16 || size > kMaxFormatSize || size > left)
                    Fail(kFormatInvalid);
                SetFormatSize(int(size));
                if (stream_->read(Format(), size) != size)
                    Fail(kFormatInvalid);
                haveFormat = true;
            } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
                // The sound is the first data chunk; one after it is passed over like any other chunk.
                // A recording cut short, or one streamed before its size was known (0 or 0xFFFFFFFF):
                // the samples are the bytes present.
                if (size > left || (size == 0 && left > 0 && !ChunkAt(pos, left)))
                    size = left;
                dataSize_ = size;
                dataStart_ = pos;
                haveData = true;
            }
            pos += size + (size & 1); // odd chunks carry a pad byte
        }
        if (!haveFormat)
            Fail(kFormatInvalid);
        if (!haveData)
            Fail(kWaveInvalid);
        reading_ = true;
    }
    opened_ = true;
    position_ = 0;
}

qint64 TWaveStream::DataSize() const
{
    if (!opened_)
        return 0;
    if (reading_ || completed_)
        return dataSize_;
    return stream_->size() - dataStart_;
}

qint64 TWaveStream::Remaining() const
{
    return std::max<qint64>(0, DataSize() - position_);
}

qint64 TWaveStream::ReadWave(void *buffer, qint64 count)
{
    if (!opened_ || completed_)
        Fail(kNotOpened);
    // Only sample bytes: never into the chunks after the data.
    count = std::min(count, Remaining());
    if (count <= 0)
        return 0;
    SeekStream(dataStart_ + position_);
    return std::max<qint64>(0, stream_->read(static_cast<char *>(buffer), count));
}

qint64 TWaveStream::WriteWave(const void *buffer, qint64 count)
{
    if (!opened_ || completed_)
        Fail(kNotOpened);
    if (reading_) {
        count = std::min(count, Remaining());
    } else {
        // The sizes in the header are 32-bit, pad byte included.
        const qint64 limit = std::min(kMaxChunkSize, kMaxChunkSize + 8 - (dataStart_ - riffStart_) - 1);
        count = std::min(count, std::max<qint64>(0, limit - position_));
    }
    if (count <= 0)
        return 0;
    SeekStream(dataStart_ + position_);
    WriteStream(static_cast<const char *>(buffer), count);
    return count;
}

void TWaveStream::Complete()
{
    if (!stream_ || !opened_ || reading_ || completed_)
        return;
    // Taken before the pad byte lengthens the stream; no second attempt on a half-written header.
    dataSize_ = DataSize();
    completed_ = true;
    const qint64 pad = dataSize_ & 1;
    // Sizes first: a pad byte that no longer fits on a full disk must not cost the file its header.
    WriteSizes(dataSize_, pad);
    if (pad) {
        SeekStream(dataStart_ + dataSize_);
        WriteStream("", 1);
    }
}

void TWaveStream::UpdateSizes()
{
    if (!stream_ || !opened_ || reading_ || completed_)
        return;
    WriteSizes(DataSize(), 0);
}

void TWaveStream::WriteSizes(qint64 dataSize, qint64 pad)
{
    char size[4];
    SeekStream(dataHeader_);
    WriteStream("data", 4);
    qToLittleEndian<quint32>(quint32(dataSize), size);
    WriteStream(size, 4);
    SeekStream(riffStart_);
    WriteStream("RIFF", 4);
    qToLittleEndian<quint32>(quint32(dataStart_ + dataSize + pad - riffStart_ - 8), size);
    WriteStream(size, 4);
    WriteStream("WAVE", 4);
}

// ---- TWaveFileStream ----

TWaveFileStream::TWaveFileStream(const QString &fileName, FileMode mode) : TWaveStream(nullptr), fileName_(fileName)
{
    if (mode == FileMode::Create) {
        auto file = std::make_unique<QSaveFile>(fileName);
        // A failed save must not destroy the file it would replace.
        file->setDirectWriteFallback(false);
        if (!file->open(QIODevice::WriteOnly))
            throw platform::FileError(platform::FileErrorText(QStringLiteral("create"), fileName, file->errorString()));
        file_ = std::move(file);
    } else {
        // Never waits on a named pipe, nor writes into a device.
        auto file = std::make_unique<QFile>();
        if (mode == FileMode::OpenRead)
            platform::OpenForReading(*file, fileName);
        else
            platform::OpenForWriting(*file, fileName, QIODevice::WriteOnly | QIODevice::Unbuffered);
        file_ = std::move(file);
    }
    Attach(file_.get());
}

TWaveFileStream::~TWaveFileStream()
{
    try {
        Complete();
    } catch (const platform::Error &) {
        // Not committed: the old file stays as it was.
    }
    stream_ = nullptr;
}

void TWaveFileStream::Complete()
{
    if (!Opened() || Reading() || Completed())
        return;
    TWaveStream::Complete();
    if (auto *save = qobject_cast<QSaveFile *>(file_.get()); save && !save->commit())
        throw platform::FileError(platform::FileErrorText(QStringLiteral("write"), fileName_, save->errorString()));
}

} // namespace media
