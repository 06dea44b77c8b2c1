#include "platform/memotext.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace platform {

QStringList MemoLines(const QTextDocument *document)
{
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines += block.text().split(QChar::LineSeparator);
    return lines;
}

QString MemoText(const QPlainTextEdit *memo) { return MemoLines(memo->document()).join(QStringLiteral("\r\n")); }

} // namespace platform
