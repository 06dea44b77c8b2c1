// Server listings are untrusted: MLSD facts and Unix or DOS LIST lines must never crash the parsers.
#include "platform/ftp/ftplisting.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    const QDateTime now(QDate(2024, 3, 10), QTime(12, 0), Qt::UTC);
    qsizetype total = 0;
    for (const auto &e : platform::ParseMlsdListing(body))
        total += e.name.size();
    for (const auto &e : platform::ParseListListing(body, now))
        total += e.name.size();
    return total < 0;
}
