#pragma once
// The file search: finds files by mask below a folder, in the background, and opens them or links them.
#include "platform/form.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zel {
class TZELFileCollector;
class TZELFolderLookup;
} // namespace zel

namespace assistants {

class TSearchFile : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TSearchFile(QWidget *parent = nullptr);
    ~TSearchFile() override;

    QLineEdit *Mask = nullptr;
    zel::TZELFolderLookup *Dir = nullptr;
    QListWidget *ListBox1 = nullptr;
    QPushButton *SearchButton = nullptr, *StopButton = nullptr, *EditButton = nullptr, *LinkButton = nullptr,
                *CloseButton = nullptr;
    zel::TZELFileCollector *FileCollector1 = nullptr;

    // A found path was selected (the main window's open relay holds it).
    std::function<void(const QString &path)> OnSelect;
    // Opens the selected path in a new document.
    std::function<void()> OnOpen;
    // Finished text for the caret of the active document.
    std::function<void(const QString &text)> OnRelay;
    // The file of the document a link goes into (empty while it is unsaved): a file beside it is linked
    // relative to it.
    std::function<QString()> DocumentFile;

    // Starts a search in the background; its results are appended below those of earlier searches.
    void SearchClick();
    void StopClick();
    void EditClick();
    void InsertAsLinkClick();
    bool Searching() const;

protected:
    // Every way of closing (Close, Escape, the title bar) ends here.
    void done(int result) override;

private:
    void searchEnded();
};

} // namespace assistants
