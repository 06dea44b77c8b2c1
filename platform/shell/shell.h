#pragma once
// Small shell services: the system beep, the "open" verb and the trash. Each has a seam for tests.
#include <QString>
#include <functional>

class QWidget;

namespace platform {

// MessageBeep types.
enum BeepType : unsigned {
    BeepDefault = 0, BeepHand = 0x10, BeepQuestion = 0x20, BeepExclamation = 0x30, BeepAsterisk = 0x40,
};
void MessageBeep(unsigned type = BeepDefault);
// Tests count beeps instead of hearing them.
void SetBeepHook(std::function<void(unsigned)> hook);

// Opens a file, folder or address with the desktop's handler ("open" verb); false when none took it.
bool OpenWithShell(const QString &fileOrUrl);
void SetOpenHook(std::function<bool(const QString &)> hook);
// The same, saying so in a message box over parent when nothing took it.
bool OpenWithShellOrSay(QWidget *parent, const QString &fileOrUrl);

// The name the desktop gives the program that opens folders by default (its file manager), as its entry
// names it; "your file manager" when the desktop names none.
QString FileManagerName();

// Moves a file or folder to the desktop's trash; false (and the item untouched) when that fails.
bool MoveToTrash(const QString &path);

} // namespace platform
