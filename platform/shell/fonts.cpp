#include "fonts.h"

#include <QFontDatabase>
#include <QMap>

#ifdef K5_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace platform {
namespace {

std::function<QList<FontFamily>()> provider;

FontKind kindOfFormat(const QByteArray &format)
{
    if (format == "TrueType")
        return FontTrueType;
    if (format == "CFF" || format == "Type 1" || format == "CID Type 1")
        return FontPostScript;
    if (format == "PCF" || format == "BDF" || format == "Windows FNT" || format == "PFR")
        return FontRaster;
    return FontOther;
}

QList<FontFamily> systemFamilies()
{
    QMap<QString, FontKind> kinds; // keyed by name
#ifdef K5_HAVE_FONTCONFIG
    if (FcInit()) {
        FcPattern *pattern = FcPatternCreate();
        FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, nullptr);
        FcFontSet *set = FcFontList(nullptr, pattern, objects);
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8 *family = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch || !family)
                continue;
            FcChar8 *format = nullptr;
            FcPatternGetString(set->fonts[i], FC_FONTFORMAT, 0, &format);
            const QString name = QString::fromUtf8(reinterpret_cast<const char *>(family));
            const FontKind kind = kindOfFormat(format ? QByteArray(reinterpret_cast<const char *>(format)) : QByteArray());
            auto it = kinds.find(name);
            if (it == kinds.end())
                kinds.insert(name, kind);
            else if (*it != kind)
                *it = FontOther;
        }
        if (set)
            FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
    }
#endif
    if (kinds.isEmpty()) {
        for (const QString &family : QFontDatabase::families())
            kinds.insert(family, QFontDatabase::isSmoothlyScalable(family) ? FontTrueType : FontRaster);
    }
    QList<FontFamily> out;
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
        out << FontFamily{it.key(), it.value()};
    return out;
}

} // namespace

QList<FontFamily> InstalledFontFamilies()
{
    if (provider)
        return provider();
    // Enumerating is slow and the set seldom changes while the program runs.
    static const QList<FontFamily> families = systemFamilies();
    return families;
}

bool IsFontInstalled(const QString &family)
{
    for (const FontFamily &f : InstalledFontFamilies())
        if (f.name.compare(family, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void SetFontFamilyProvider(std::function<QList<FontFamily>()> p)
{
    provider = std::move(p);
}

} // namespace platform
