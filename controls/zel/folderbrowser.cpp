#include "folderbrowser.h"

#include "controls/zel/glyphs.h"
#include "platform/dialogs.h"
#include "platform/shell/folderdialog.h"
#include "platform/shell/shell.h"

#include <QApplication>
#include <QFileInfo>

namespace zel {

bool TZELDialogComponent::Execute()
{
    static const unsigned beeps[] = {0, platform::BeepDefault, platform::BeepAsterisk, platform::BeepExclamation,
                                     platform::BeepQuestion, platform::BeepHand};
    if (Sound != bNone)
        platform::MessageBeep(beeps[Sound]);
    return false;
}

int RootCsidl(TZELBrowseRoots root)
{
    static const int csidl[] = {0, -1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 18, 19, 20, 21};
    return csidl[root];
}

QString RootFolder(TZELBrowseRoots root)
{
    const int csidl = RootCsidl(root);
    return csidl < 0 ? QString() : platform::SpecialFolderPath(csidl);
}

namespace {

// Whether a highlighted path may be confirmed. Every entry of the chooser is a file-system folder, none is
// a computer or a printer: a chooser for those has nothing to confirm.
bool acceptable(const QString &path, unsigned flags)
{
    return !path.isEmpty() && !(flags & (bifBrowseForComputer | bifBrowseForPrinter));
}

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString displayNameOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

// Runs the chooser: centred, the folder pre-selected when it exists, onChange for every highlight.
bool runChooser(QWidget *parent, const QString &prompt, TZELBrowseRoots root, bool statusLine,
                const QString &preselect, QPointer<platform::FolderDialog> &keep,
                const std::function<void(platform::FolderDialog &, const QString &)> &onChange, QString &chosen)
{
    platform::FolderDialog dialog(parent, prompt, RootFolder(root), statusLine);
    keep = &dialog;
    dialog.OnSelectionChanged = [&dialog, &onChange](const QString &path) { onChange(dialog, path); };
    dialog.CentreOnScreen();
    if (isFolder(preselect))
        dialog.SetSelection(preselect);
    const bool ok = platform::ShowModal(&dialog) == QDialog::Accepted && dialog.OkEnabled() && !dialog.SelectedPath().isEmpty();
    if (ok)
        chosen = dialog.SelectedPath();
    keep = nullptr;
    return ok;
}

} // namespace

// --- TZELFolderBrowser

TZELFolderBrowser::TZELFolderBrowser(QObject *owner) : TZELDialogComponent(owner) {}

bool TZELFolderBrowser::Execute()
{
    TZELDialogComponent::Execute();
    if (BeforeBrowse)
        BeforeBrowse(this);
    QWidget *parent = qobject_cast<QWidget *>(this->parent());
    parent = parent ? parent->window() : QApplication::activeWindow();
    QString chosen;
    const bool ok = runChooser(parent, BrowseCaption, BrowseRoot, BrowseFlags & bifStatusText, BrowseReturnPath,
                               dialog_,
                               [this](platform::FolderDialog &d, const QString &path) {
                                   currentPath_ = path;
                                   if (BrowsePathLabel)
                                       d.SetStatusText(platform::ShortenPath(path));
                                   d.EnableOk(acceptable(path, BrowseFlags));
                                   if (OnPathChanged)
                                       OnPathChanged(this);
                               },
                               chosen);
    if (ok) {
        BrowseReturnPath = chosen;
        currentPath_ = chosen;
        displayName_ = displayNameOf(chosen);
        imageIndex_ = 0;
    }
    if (AfterBrowse)
        AfterBrowse(this);
    return ok;
}

// --- TZELFolderLookup

TZELFolderLookup::TZELFolderLookup(QWidget *parent) : TZELCustomLookupEdit(parent)
{
    EditButton1().SetGlyph(ZelGlyph(QStringLiteral("ZELFolderLookup")));
    EditButton1().SetNumGlyphs(2);
    EditButton2().SetVisible(false);
    OnButton1Click = [this](QObject *sender) { Lookup(sender); };
}

void TZELFolderLookup::Lookup(QObject *)
{
    if (BeforeLookup)
        BeforeLookup(this);
    QString chosen;
    const bool ok = runChooser(window(), LookupCaption, LookupRoot, LookupFlags & StatusText, text(), dialog_,
                               [this](platform::FolderDialog &d, const QString &path) {
                                   if (LookupFlags & DisplayPath)
                                       d.SetStatusText(path);
                                   d.EnableOk(acceptable(path, LookupFlags));
                               },
                               chosen);
    if (ok) {
        displayName_ = displayNameOf(chosen);
        const QString old = text();
        setText(chosen);
        if (old != chosen && OnPathChanged)
            OnPathChanged(this, old, chosen);
    }
    if (AfterLookup)
        AfterLookup(this);
}

} // namespace zel
