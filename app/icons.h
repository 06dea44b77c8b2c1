#pragma once
// The program's own pictures, drawn here so that they stay sharp at every size: the application icon and
// the small glyphs of the preview's buttons.
#include <QIcon>
#include <QString>

namespace app {

// The application's icon (title bars, task bar, about box).
QIcon ApplicationIcon();

// A preview button glyph: "open", "reload", "back", "forward", "goto", "stop", "search", "home", "email",
// "fontsize". An unknown name gives an empty icon.
QIcon PreviewIcon(const QString &name);

} // namespace app
