#pragma once
// The launcher table: where the application meets its dialogs. A dialog knows nothing of the main window;
// each row names the document window's menu item that opens a dialog and the main window's hidden button
// that the dialog's OK clicks, whose handler reads the dialog's values and inserts what the builder makes.
#include <QString>
#include <span>

class QWidget;

namespace dialogs {
class TTagDialog;
}

namespace app {

struct TLauncher {
    const char *item;     // menu item of the document window
    const char *handOver; // hidden button of the main window
    // Creates the dialog into its global, owned by parent.
    dialogs::TTagDialog *(*create)(QWidget *parent);
};

std::span<const TLauncher> Launchers();

// Opens the dialog of a menu item modally, owned by the main window; false when no row names the item.
bool Launch(const QString &item);

} // namespace app
