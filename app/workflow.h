#pragma once
// Where the work-flow windows (start dialog, templates, file list, file search, project manager) meet the
// main window: they know nothing of it and reach it through the handlers bound here.
class QWidget;

namespace assistants {
class TFilelist;
class TProjectStart;
class TSearchFile;
class TStartup;
class TTemplates3;
} // namespace assistants

namespace app {

class TFrameForm;

// Sets the main window's hooks for the file list and the project manager, and closes the start dialog and
// the file list when the main window closes.
void BindWorkflowWindows(TFrameForm *frame);
// File > New shows the template dialog from here on (the program's start-up does this).
void BindTemplateDialog(TFrameForm *frame);
// Creates a start dialog bound to the main window and shows it modeless.
assistants::TStartup *ShowStartDialog();
// The start dialog shown last, while it lives.
assistants::TStartup *StartDialog();
// The template dialog bound to the main window (not shown).
assistants::TTemplates3 *CreateTemplates(QWidget *owner);
// The file list, a service form: made once (at start-up, hidden) and kept hidden when closed.
assistants::TFilelist *CreateFilelist(QWidget *owner);
// The file list, shown modeless.
assistants::TFilelist *ShowFilelist(QWidget *owner);
// A new project manager, shown modeless (several may be open).
assistants::TProjectStart *ShowProjectManager(QWidget *owner);
// A new file search, shown modeless.
assistants::TSearchFile *ShowSearchFile(QWidget *owner);

} // namespace app
