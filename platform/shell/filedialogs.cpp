#include "filedialogs.h"

#include "platform/dialogs.h"
#include "platform/shell/masks.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>

namespace platform {
namespace {

// An open dialog takes a name without an extension as it stands when such a file exists; only a name
// that names no file gets the default extension (the way "index" finds index.htm).
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    QString openSuffix;
    // The file a save takes when the typed name holds quotes.
    QString typedWhole;

    void accept() override
    {
        if (acceptMode() == AcceptSave) {
            const auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (edit && edit->text().contains(QLatin1Char('"'))) {
                acceptWhole(edit->text());
                return;
            }
        }
        if (!openSuffix.isEmpty()) {
            setDefaultSuffix(QString());
            const QStringList typed = selectedFiles();
            const bool asTyped = std::all_of(typed.begin(), typed.end(), [](const QString &f) {
                const QFileInfo info(f);
                return !info.suffix().isEmpty() || info.exists();
            });
            setDefaultSuffix(asTyped ? QString() : openSuffix);
        }
        QFileDialog::accept();
    }

private:
    // Qt reads the name box's quotes as marking several names ("a" "b") and would save under the first
    // quoted part; a save names one file, so the name is the whole text, quotes and all.
    void acceptWhole(const QString &typed)
    {
        QString path = QDir(directory().absolutePath()).absoluteFilePath(typed);
        if (QFileInfo(path).isDir()) {
            setDirectory(path);
            if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                edit->clear();
            return;
        }
        if (!defaultSuffix().isEmpty() && !QFileInfo(path).fileName().contains(QLatin1Char('.')))
            path += QLatin1Char('.') + defaultSuffix();
        const QFileInfo info(path);
        if (info.exists() && !testOption(DontConfirmOverwrite) &&
            MessageBox(this, QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(info.fileName()), windowTitle(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return;
        typedWhole = path;
        QDialog::accept();
    }
};

} // namespace

bool ExecuteFileDialog(QWidget *parent, FileDialogRequest &r)
{
    QString title = r.title;
    if (title.isEmpty())
        title = r.save ? QStringLiteral("Save As") : QStringLiteral("Open");
    QString dir = r.initialDir;
    if (dir.isEmpty() && !r.fileName.isEmpty() && QFileInfo(r.fileName).isAbsolute())
        dir = QFileInfo(r.fileName).absolutePath();
    if (dir.isEmpty())
        dir = QDir::currentPath();

    FileDialog dialog(parent, title, dir);
    dialog.setObjectName(r.save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (r.save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else if (r.options & ofAllowMultiSelect)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (r.options & ofFileMustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    if (r.options & ofNoDereferenceLinks)
        dialog.setOption(QFileDialog::DontResolveSymlinks);
    if (r.save && !(r.options & ofOverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (r.options & ofReadOnly)
        dialog.setOption(QFileDialog::ReadOnly);
    const QStringList filters = FilterToNameFilters(r.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = r.filterIndex >= 1 && r.filterIndex <= filters.size() ? r.filterIndex - 1 : 0;
        dialog.selectNameFilter(filters[index]);
    }
    if (!r.defaultExt.isEmpty()) {
        const QString suffix = r.defaultExt.startsWith(QLatin1Char('.')) ? r.defaultExt.mid(1) : r.defaultExt;
        if (r.save)
            dialog.setDefaultSuffix(suffix);
        else
            dialog.openSuffix = suffix;
    }
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);

    if (ShowModal(&dialog) != QDialog::Accepted)
        return false;
    QStringList files = dialog.typedWhole.isEmpty() ? dialog.selectedFiles() : QStringList{dialog.typedWhole};
    if (files.isEmpty())
        return false;
    if (!r.defaultExt.isEmpty()) {
        const QString ext = r.defaultExt.startsWith(QLatin1Char('.')) ? r.defaultExt : QLatin1Char('.') + r.defaultExt;
        for (QString &f : files)
            if (QFileInfo(f).suffix().isEmpty() && !QFileInfo(f).isDir() && (r.save || !QFileInfo::exists(f)))
                f += ext;
    }
    r.files = files;
    r.fileName = files.first();
    const int index = filters.indexOf(dialog.selectedNameFilter());
    if (index >= 0)
        r.filterIndex = index + 1;
    return true;
}

} // namespace platform
