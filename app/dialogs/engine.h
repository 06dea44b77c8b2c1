#pragma once
// The dialog engine: most tag and form dialogs are a few fields and one template. Each is described once as
// data (fields, template, hand-over); one builder makes the widgets from the description, and one pure
// function turns the field values into text, so every dialog's output can be checked without a window.
#include "app/dialogs/dialogbase.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

class QTabWidget;

namespace dialogs {

enum class TFieldKind {
    Edit,        // one line
    Combo,       // fixed items, free text allowed
    AutoCombo,   // items completed while typing
    Memo,        // several lines, read with CR LF
    Spin,        // whole number with the spin button
    FileLookup,  // edit with a browse button (filter)
    ColorLookup, // edit whose button opens the colour dialog
    FontCombo,   // the installed fonts, "Arial" at start
    Hidden,      // never shown: holds its initial text for the template
};

struct TFieldDesc {
    QString name;  // objectName of the widget and the placeholder {name} in the template
    QString label; // with its "&" mnemonic
    TFieldKind kind = TFieldKind::Edit;
    QStringList items = {};
    QString initial = {};
    int min = 0, max = 0; // spins: 0..0 means 0..100
    QString filter = {};  // file lookups: "Gif Files|*.gif|All Files|*.*"
    QString note = {};    // a line of explanation under the field
    QString page = {};    // the tab the field is on ("Page 1"); none: under the banner
};

// How the built text reaches the active document.
enum class TRoute {
    Insert,     // replaces the selection at the caret
    ReplaceAll, // replaces the whole text, still one undo step
};

// Placeholders "{@Name}" stand for the data text Name (DataText), put in as it stands.
inline constexpr QLatin1Char DataMark{'@'};

struct TDialogDesc {
    QString className; // "TBookmark": the global is the name without the T
    QString caption;
    QString banner; // a line above the fields; may be empty
    std::vector<TFieldDesc> fields;
    QString templ;    // {field} placeholders; empty for dialogs that build their own text
    QString handOver; // the main window's hidden button that OK clicks
    TRoute route = TRoute::Insert;
    bool closesOnOk = true;
    QString okName = QStringLiteral("Button1"); // objectName of the OK button
    bool modeless = false;
    // Instead of a hidden button: the main window's text relay ("Memo1", "DHTML_Memo") OK hands the text to.
    QString relay = {};
    // Item lists: the button under the fields that the item template's fields are filled for appends the
    // template, {n} the item's number (counted from firstItem each time the dialog opens), to the memo
    // itemList; the fields it used then start again from their initial text.
    QString itemTemplate = {};
    QString itemList = {};
    int firstItem = 0;
    QString addName = QStringLiteral("Add");
    QString addCaption = QStringLiteral("&Add");
    // Attributes left out of the text while their field holds the value given here: a value at which
    // the element would be hidden or disabled ("0" for a size), or one that makes no sense empty.
    QHash<QString, QString> leftOutAt = {};
    // Pieces of the template (as they stand in it) left out while every field they name is blank: a row of
    // a list that the user did not fill in.
    std::vector<std::pair<QString, QStringList>> leftOutBlank = {};
};

using TValues = QHash<QString, QString>;

// The home-page wizards' descriptions (part of the table).
std::vector<TDialogDesc> WizardDescriptions();

// Every description of the engine's table.
std::span<const TDialogDesc> Descriptions();
const TDialogDesc *FindDescription(const QString &className);

// Puts each value in for its {name} in one pass: inserted values are never scanned again, and braces
// that name no value stay as they are. "{name|attr}" escapes the value for an attribute in double quotes,
// "{name|js}" for a JavaScript string, "{name|vbs}" for a VBScript string, "{name|query}" for a value in
// an address's query, "{name|text}" for plain text between tags (of an XML file); "{name|js|attr}" for a
// script string inside an attribute.
QString Expand(const QString &templ, const TValues &values);
// The names the template asks for, in order of first use.
QStringList Placeholders(const QString &templ);
// The data texts a template names ("{@Name}"), keyed as their placeholders.
TValues DataValues(const QString &templ);
// Every data text the dialogs are built from.
QStringList DataNames();

// A dialog built from its description. Subclasses add buttons and state and may build their own text.
class TEngineDialog : public TTagDialog {
    Q_OBJECT
public:
    explicit TEngineDialog(const TDialogDesc &desc, QWidget *parent = nullptr, bool finish = true);
    const TDialogDesc &Desc() const { return desc_; }
    // The text of every field as the user left it.
    TValues Values() const;
    QWidget *Field(const QString &name) const { return fields_.value(name); }
    // The text, its files linked from the saved page.
    QString Build() const override;
    // The text, its files linked from linkingFile (none: as given).
    QString BuildLinkedFrom(const QString &linkingFile) const;
    // The file the built text's files are linked from: the saved page, unless the text goes elsewhere.
    virtual QString LinkingFile() const;
    // Shows each file chosen in a file field anew as the address it becomes (after LinkingFile changed).
    void ShowChosenFiles();
    // A button on a row of its own under the fields, for dialogs that work on their own widgets.
    QPushButton *AddButton(const QString &name, const QString &caption);
    // Item lists: appends the item of the fields' values and readies the fields for the next one.
    void AddItem();
    // Item lists: the number the next item gets.
    int NextItem() const { return nextItem_; }
    // Hands the built text to the relay of the description, if it names one.
    void HandOverOwn() override;

protected:
    QWidget *addField(const TFieldDesc &f);
    QLabel *Banner = nullptr;
    // The tabs of fields that name a page, made with the first such field.
    QTabWidget *PageControl1 = nullptr;

private:
    QGridLayout *gridOf(const TFieldDesc &f);
    TDialogDesc desc_;
    QHash<QString, QWidget *> fields_;
    int nextItem_ = 0;
};

// A long template or snippet shipped as a data file (snippets/<name>.txt, CR LF kept byte for byte), read
// once; empty when the file is missing.
QString DataText(const QString &name);

// The file at path as a page saved as documentFile reaches it: relative to the page's folder
// ("../pictures/a.gif" for a folder beside it) when the two share a folder below the root, else (an unsaved
// page, a file elsewhere on the system) the full path; anything that is no full path (a web address) as given.
QString LinkPath(const QString &path, const QString &documentFile);
// The address by which that page links to the file: LinkPath made an address (UrlPath), so that a browser
// asks for the file by its name. Every file the program names in a page (chosen in a file chooser, a
// folder tree or a list) becomes an address here, once.
QString LinkAddress(const QString &path, const QString &documentFile);
// The address a file field's typed text stands for: a full path names a file and is linked as LinkAddress
// links it, unless it names no file and holds a "%xx" escape (an address already: only made relative);
// anything else (a relative address, a web address) as typed.
QString TypedLinkAddress(const QString &text, const QString &documentFile);

// The text of a field widget the engine made.
QString FieldText(const QWidget *field);
void SetFieldText(QWidget *field, const QString &text);

// Makes the dialog of a description (a bespoke class where one is registered) and records it as the newest
// instance of its class.
TTagDialog *CreateDialog(const QString &className, QWidget *parent);
// The newest open instance of a class; null once it was closed.
TTagDialog *Instance(const QString &className);
void SetInstance(const QString &className, TTagDialog *dialog);

// Dialogs with buttons or state of their own: the maker of a class, null when the engine alone builds it.
using TDialogMaker = TTagDialog *(*)(const TDialogDesc &desc, QWidget *parent);
TDialogMaker BespokeMaker(const QString &className);
// True when the class has a description (and so a dialog).
bool HasDialog(const QString &className);
// The data texts bespoke dialogs read besides those their templates name.
QStringList BespokeDataNames();

} // namespace dialogs
