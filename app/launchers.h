#pragma once
// The launcher table: where the application meets its dialogs and tool windows. A dialog knows nothing of
// the main window: each row names the menu item that opens a window and the class it opens. Engine dialogs
// hand their text over through the main window's hidden button named in their description; tool windows
// hand theirs to the text relay. An item whose window is not built yet has no row, and stays disabled.
#include <QString>
#include <span>

class QWidget;

namespace publish {
class TvCardForm;
class TFTPSettings;
}

namespace app {

struct TLauncher {
    const char *item;      // menu item of the document (or main) window
    const char *className; // the dialog or window it opens
    // Opens a tool window (null for the engine's dialogs, which Launch makes from their description).
    void (*open)(QWidget *owner) = nullptr;
};

std::span<const TLauncher> Launchers();

// True when the item has a window to open.
bool CanLaunch(const QString &item);
// Opens the window of a menu item, owned by the main window; false when no row names the item.
bool Launch(const QString &item);
// Opens a window by its class, as its menu item does (a dialog modeless when asked); false when the class
// has no window yet.
bool LaunchClass(const QString &className, bool modeless = false);
// Whether a class has a window to open (the template dialog offers its wizards by class).
bool CanLaunchClass(const QString &className);
// The file of the active document, which the dialogs' text goes to; empty while it is unsaved or none is
// open.
QString ActiveDocumentFile();

// The vCard editor, a service form: made hidden at start-up (or on first use, where the start-up did not
// run), owned by the main window, and bound to the text relay.
publish::TvCardForm *VCardForm();

// The FTP settings window: the one start-up made, else one made now for the main window.
publish::TFTPSettings *FtpSettingsWindow();

} // namespace app
