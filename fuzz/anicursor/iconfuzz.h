#pragma once
// Shared by the icon fuzz targets.
#include <QByteArray>
#include <cstdlib>

namespace fuzzicon {

inline void Check(bool ok)
{
    if (!ok)
        std::abort();
}

inline QByteArray U32(quint32 v)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(char(v >> (8 * i) & 0xFF));
    return out;
}

// What the targets hold before each input: a one-image 2 x 2 icon of 24 bits.
inline QByteArray SmallIcon()
{
    const QByteArray dib = U32(40) + U32(2) + U32(4) + QByteArray("\x01\x00\x18\x00", 4) + QByteArray(24, '\0') +
                           QByteArray(16, '\x7F') + QByteArray(8, '\0');
    return QByteArray("\0\0\1\0\1\0\2\2\0\0\1\0\x18\0", 14) + U32(quint32(dib.size())) + U32(22) + dib;
}

} // namespace fuzzicon
