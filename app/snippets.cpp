#include "snippets.h"

#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"

#include <QHash>
#include <QMutex>

namespace app {

QString Snippet(const QString &name)
{
    static QMutex mutex;
    static QHash<QString, QString> cache;
    QMutexLocker lock(&mutex);
    auto it = cache.find(name);
    if (it == cache.end()) {
        QString text;
        try {
            text = QString::fromUtf8(platform::ReadWholeFile(platform::ShippedDataFolder() + QStringLiteral("/snippets/")
                                                             + name + QStringLiteral(".txt")));
        } catch (const platform::Error &) {
            text.clear(); // a missing data file inserts nothing rather than failing the command
        }
        it = cache.insert(name, text);
    }
    return *it;
}

QStringList SnippetNames()
{
    return {QStringLiteral("Altavista"), QStringLiteral("Memo5"),    QStringLiteral("Memo6"),
            QStringLiteral("Memo7"),     QStringLiteral("Memo8"),    QStringLiteral("Memo9"),
            QStringLiteral("Cookie1"),   QStringLiteral("Cookie2"),  QStringLiteral("Cookie3"),
            QStringLiteral("Cookie4"),   QStringLiteral("Cookie5"),  QStringLiteral("Cookie6"),
            QStringLiteral("Cookie7"),   QStringLiteral("Cookie8"),  QStringLiteral("Cookie11"),
            QStringLiteral("Cookie12"),  QStringLiteral("Cookie13"), QStringLiteral("Cookie14"),
            QStringLiteral("Dots"),      QStringLiteral("Maze"),     QStringLiteral("Lightsout"),
            QStringLiteral("OnlineEditor"), QStringLiteral("OnlineTable"), QStringLiteral("SearchBody")};
}

} // namespace app
