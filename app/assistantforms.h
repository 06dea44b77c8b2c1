#pragma once
// The windows of the work-flow tools that live from start-up to exit (tag chooser, custom tags, signature)
// and those made on each use (clip book), bound to the main window's relays. Made at start-up, or when
// first asked for by a window that was built without the start-up (the tests).
class QWidget;

namespace assistants {
class TTagchooser;
class TTagCreatorWindow;
class TCustomTagPicker;
class TSignature;
class TClipBook;
struct TTagFamily;
} // namespace assistants

namespace app {

enum class TTagFamilyId { Html, Xml, Asp };

// The service forms of the assistants, made hidden and owned by the main window, in their start-up order:
// the tag chooser; the signature; the HTML creator with its new item dialog, the HTML and XML pickers, the
// XML creator with its dialog, the ASP picker, the ASP creator with its dialog.
void CreateTagChooser();
void CreateSignature();
void CreateCustomTagForms();

assistants::TTagchooser *TagChooser();
assistants::TTagCreatorWindow *TagCreator(TTagFamilyId family);
assistants::TCustomTagPicker *CustomTagPicker(TTagFamilyId family);
assistants::TSignature *Signature();

// What the menu items do.
void ShowTagChooser(QWidget *owner);
void ShowCustomTags(QWidget *owner);
void ShowXmlCustomTags(QWidget *owner);
void ShowAspCustomTags(QWidget *owner);
void ShowTagCreator(QWidget *owner);
void EditSignature(QWidget *owner);
void AddSignature(QWidget *owner);
// A new clip book each time, not waited for.
assistants::TClipBook *OpenClipBook(QWidget *owner);

} // namespace app
