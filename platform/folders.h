#pragma once
#include <QString>

namespace platform {

// $KESTROVA_HOME, else $XDG_DATA_HOME/kestrova5 (~/.local/share/kestrova5). Created on first use and
// seeded with the shipped data files that are missing there.
QString ProgramFolder();
// $XDG_CONFIG_HOME/kestrova5 (~/.config/kestrova5); holds the registry store and kestrova5.ini.
// Made 0700, or stripped of group and other rights on first use: only its owner may read the settings.
QString ConfigFolder();
// Whether an absolute path lies inside the settings folder (does not create the folder).
bool IsInConfigFolder(const QString &path);
// Creates `path` and the folders above it up to the settings folder, and takes every right on them
// away from group and others (new ones are 0700).
// Returns false when one could not be made.
bool MakePrivateFolder(const QString &path);
// Stands in for the system temporary folder ("c:\windows\temp").
QString TempFolder();
// A file name inside the program folder.
QString ProgramFile(const QString &name);
// Where the shipped data files are (beside the binary, else the build tree).
QString ShippedDataFolder();
// Forget cached folders (tests change the environment between cases).
void ResetFolders();

} // namespace platform
