#pragma once
// The machine's memory as /proc/meminfo reports it.
#include <QByteArray>

namespace platform {

// The number of kB on a line "Name:   1234 kB" of such a report; -1 when it has no such line.
qint64 MemInfoValue(const QByteArray &meminfo, const QByteArray &name);
// This machine's report now (empty when it cannot be read).
QByteArray ReadMemInfo();

} // namespace platform
