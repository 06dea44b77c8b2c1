#pragma once
// Resident memory of this process, for the memory rows of both text control benchmarks.
#include <QFile>
#include <QList>
#include <malloc.h>
#include <unistd.h>

namespace benchtext {

// Resident memory now, in bytes, after freed memory went back to the system.
inline double Rss()
{
    malloc_trim(0);
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

// The peak resident size from here on is measured by PeakRss().
inline void ResetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The peak of resident memory since ResetPeak(), in bytes.
inline double PeakRss()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() * 1024;
    return 0;
}

} // namespace benchtext
