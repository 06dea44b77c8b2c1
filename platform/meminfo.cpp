#include "meminfo.h"

#include <QFile>

namespace platform {

qint64 MemInfoValue(const QByteArray &meminfo, const QByteArray &name)
{
    for (const QByteArray &line : meminfo.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed() != name)
            continue;
        QByteArray value = line.mid(colon + 1).trimmed();
        if (value.endsWith("kB"))
            value.chop(2);
        bool ok = false;
        const qint64 n = value.trimmed().toLongLong(&ok);
        return ok && n >= 0 ? n : -1;
    }
    return -1;
}

QByteArray ReadMemInfo()
{
    QFile f(QStringLiteral("/proc/meminfo"));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

} // namespace platform
