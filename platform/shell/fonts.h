#pragma once
// The installed font families with their kind, as the font lists show them.
#include <QList>
#include <QString>
#include <functional>

namespace platform {

enum FontKind : quint8 { FontPostScript = 0, FontTrueType = 1, FontRaster = 2, FontOther = 3 };

struct FontFamily {
    QString name;
    FontKind kind = FontOther;
};

// One entry per family; a family whose faces are of different kinds counts as FontOther.
QList<FontFamily> InstalledFontFamilies();
// Whether a family of that name (ignoring case) is installed.
bool IsFontInstalled(const QString &family);
// Tests give their own families; nullptr restores the system's.
void SetFontFamilyProvider(std::function<QList<FontFamily>()> provider);

} // namespace platform
