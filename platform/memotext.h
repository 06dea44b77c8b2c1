#pragma once
// A memo's text as the user typed or pasted it. QTextDocument::toPlainText turns a no-break space into a
// blank, so every memo whose text goes anywhere is read through here instead.
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QTextDocument;

namespace platform {

// The document's lines, character for character. A line break typed with Shift+Enter ends a line too.
QStringList MemoLines(const QTextDocument *document);

// A memo's text, character for character, its lines joined by CR LF (the line end of every text we insert).
QString MemoText(const QPlainTextEdit *memo);

} // namespace platform
