#include "clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMutex>
#include <QStringList>

namespace platform {
namespace {

constexpr ClipboardFormat kFirstRegistered = 0xC000;

QStringList &registered()
{
    static QStringList names;
    return names;
}

QMutex &registryLock()
{
    static QMutex lock;
    return lock;
}

} // namespace

ClipboardFormat RegisterClipboardFormat(const QString &name)
{
    if (name.isEmpty())
        return 0;
    QMutexLocker locker(&registryLock());
    QStringList &names = registered();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return kFirstRegistered + ClipboardFormat(i);
    names.append(name);
    return kFirstRegistered + ClipboardFormat(names.size() - 1);
}

QString ClipboardFormatName(ClipboardFormat format)
{
    QMutexLocker locker(&registryLock());
    const QStringList &names = registered();
    if (format < kFirstRegistered || format - kFirstRegistered >= ClipboardFormat(names.size()))
        return {};
    return names[qsizetype(format - kFirstRegistered)];
}

QString ClipboardFormatMime(ClipboardFormat format)
{
    if (format == CF_BITMAP)
        return QStringLiteral("application/x-qt-image");
    const QString name = ClipboardFormatName(format);
    if (name.isEmpty())
        return {};
    return QStringLiteral("application/x-kestrova-") + name.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

bool HasFormat(const QMimeData &data, ClipboardFormat format)
{
    if (format == CF_BITMAP)
        return data.hasImage();
    const QString mime = ClipboardFormatMime(format);
    return !mime.isEmpty() && data.hasFormat(mime);
}

QByteArray FormatData(const QMimeData &data, ClipboardFormat format)
{
    const QString mime = ClipboardFormatMime(format);
    return mime.isEmpty() ? QByteArray() : data.data(mime);
}

void SetFormatData(QMimeData &data, ClipboardFormat format, const QByteArray &bytes)
{
    const QString mime = ClipboardFormatMime(format);
    if (!mime.isEmpty() && format != CF_BITMAP)
        data.setData(mime, bytes);
}

bool ClipboardHasFormat(ClipboardFormat format)
{
    const QMimeData *data = ClipboardData();
    return data && HasFormat(*data, format);
}

const QMimeData *ClipboardData() { return QGuiApplication::clipboard()->mimeData(); }

void SetClipboardData(QMimeData *data) { QGuiApplication::clipboard()->setMimeData(data); }

} // namespace platform
