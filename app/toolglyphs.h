#pragma once
// The pictures of the main tool bar's items, drawn here on a 16 x 16 grid.
#include <QImage>
#include <QString>

namespace app {

// The glyph of the tool-bar item with this caption, `size` pixels square with a clear background; a null
// image for a caption the bar does not have.
QImage ToolGlyph(const QString &caption, int size = 16);

// The 16-pixel glyph followed by its disabled look, for a button to take both: the picture's dark strokes
// embossed, while its light fills stay hollow, so that a grey button still shows what it is.
QImage ToolGlyphStrip(const QString &caption);

} // namespace app
