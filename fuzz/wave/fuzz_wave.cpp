// Opens any bytes as a wave: it is either rejected with a wave error or read within its data, and a
// wave written from what was read reads back the same.
#include "tools/media/wave.h"

#include <QBuffer>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    media::TWaveStream wave(&buffer);
    try {
        wave.Open(false);
    } catch (const media::EWaveStreamError &) {
        return 0;
    }
    const qint64 dataSize = wave.DataSize();
    if (dataSize < 0 || dataSize > qint64(size))
        std::abort();
    QByteArray samples(dataSize, '\0');
    qint64 got = 0;
    while (got < dataSize) {
        const qint64 n = wave.Read(samples.data() + got, std::min<qint64>(97, dataSize - got));
        if (n <= 0)
            std::abort();
        got += n;
    }
    char extra;
    if (wave.Read(&extra, 1) != 0 || wave.Position() != dataSize)
        std::abort();
    if (wave.Seek(-3, media::SeekOrigin::Current) != std::max<qint64>(0, dataSize - 3))
        std::abort();
    if (wave.Seek(dataSize + 10, media::SeekOrigin::Beginning) != dataSize)
        std::abort();

    QBuffer copy;
    copy.open(QIODevice::ReadWrite);
    {
        media::TWaveStream out(&copy);
        out.SetFormatSize(wave.FormatSize());
        std::copy(wave.Format(), wave.Format() + wave.FormatSize(), out.Format());
        out.Open(true);
        if (out.Write(samples.constData(), dataSize) != dataSize)
            std::abort();
        out.Complete();
    }
    copy.seek(0);
    media::TWaveStream back(&copy);
    back.Open(false);
    QByteArray again(dataSize, '\0');
    if (back.FormatSize() != wave.FormatSize() || back.Read(again.data(), dataSize) != dataSize || again != samples)
        std::abort();
    return 0;
}
