#include "snippets.h"

#include "app/dialogs/engine.h"

namespace app {

QString Snippet(const QString &name) { return dialogs::DataText(name); }

QStringList SnippetNames()
{
    return dialogs::DataNames() + QStringList{QStringLiteral("Altavista"), QStringLiteral("Memo5"),    QStringLiteral("Memo6"),
            QStringLiteral("Memo7"),     QStringLiteral("Memo8"),    QStringLiteral("Memo9"),
            QStringLiteral("Cookie1"),   QStringLiteral("Cookie2"),  QStringLiteral("Cookie3"),
            QStringLiteral("Cookie4"),   QStringLiteral("Cookie5"),  QStringLiteral("Cookie6"),
            QStringLiteral("Cookie7"),   QStringLiteral("Cookie8"),  QStringLiteral("Cookie11"),
            QStringLiteral("Cookie12"),  QStringLiteral("Cookie13"), QStringLiteral("Cookie14"),
            QStringLiteral("Dots"),      QStringLiteral("Maze"),     QStringLiteral("Lightsout"),
            QStringLiteral("OnlineEditor"), QStringLiteral("OnlineTable"), QStringLiteral("SearchBody")};
}

} // namespace app
