#pragma once
// The small button and list glyphs of the ZEL controls, drawn once and kept by resource name.
#include <QPixmap>
#include <QString>

namespace zel {

// "ZELLOOKUPEDITB1", "ZELLOOKUPEDITB2", "TZELFILELOOKUPA", "ZELFolderLookup", and the font kinds "PS",
// "TTF", "RASTER", "UNKNOWN". An unknown name gives a null pixmap.
QPixmap ZelGlyph(const QString &name);

} // namespace zel
