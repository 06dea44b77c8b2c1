#pragma once
// Start-up in its written order, apart from main() so that tests can run it.
namespace app {

class TFrameForm;
class TSplash;

struct StartedApplication {
    TSplash *splash = nullptr;
    TFrameForm *frame = nullptr;
};

// Before the application object exists: gives the program a private runtime folder when the session has
// none, and keeps the terminal for warnings and errors (debug and information lines are dropped unless
// KESTROVA_VERBOSE is set).
void PrepareQuietTerminal();

// Shows the splash at once, creates the main window first of all forms, sets the title and creates the
// service forms hidden.
StartedApplication StartUp();

} // namespace app
