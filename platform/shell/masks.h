#pragma once
// File masks as our filters and settings write them: "*.htm", "*.htm;*.html", "*.*" (every file).
#include <QString>
#include <QStringList>

namespace platform {

// Splits "*.htm;*.html" at ';' (spaces around parts dropped, empty parts skipped).
QStringList SplitMasks(const QString &masks);
// Whether a bare file name matches one mask, ignoring case; "*.*" and "*" match every name, also
// names without a dot.
bool MatchesMask(const QString &name, const QString &mask);
// Whether the name matches any of the masks.
bool MatchesAnyMask(const QString &name, const QStringList &masks);
// Whether a name holds wildcard characters.
bool HasWildcards(const QString &name);
// A filter written as description|mask pairs, "Gif Files|*.gif|All Files|*.*", as Qt name filters
// ("Gif Files (*.gif)", "All Files (*)"); a description without its mask part is dropped.
QStringList FilterToNameFilters(const QString &filter);
// Case-insensitive name order for sorted lists of names.
bool NameLess(const QString &a, const QString &b);

} // namespace platform
