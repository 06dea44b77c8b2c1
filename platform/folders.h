#pragma once
#include <QString>

namespace platform {

// $KESTROVA_HOME, else $XDG_DATA_HOME/kestrova5 (~/.local/share/kestrova5). Created on first use and
// seeded with the shipped data files that are missing there.
QString ProgramFolder();
// $XDG_CONFIG_HOME/kestrova5 (~/.config/kestrova5); holds the registry store and kestrova5.ini.
QString ConfigFolder();
// Stands in for the system temporary folder ("c:\windows\temp").
QString TempFolder();
// A file name inside the program folder.
QString ProgramFile(const QString &name);
// Where the shipped data files are (beside the binary, else the build tree).
QString ShippedDataFolder();
// Forget cached folders (tests change the environment between cases).
void ResetFolders();

} // namespace platform
