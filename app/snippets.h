#pragma once
// The fixed texts that document commands insert at the caret: search boxes, cookie scripts, game and
// tool pages, and the body of the search engine script. Each is a shipped data file, kept byte for byte
// (lines end in CR LF).
#include <QString>
#include <QStringList>

namespace app {

// The text of the snippet `name`, read once and kept; empty when its file is missing or unreadable.
QString Snippet(const QString &name);

// The names of every data text the program ships: the snippets and the texts the dialogs are built from.
QStringList SnippetNames();

} // namespace app
