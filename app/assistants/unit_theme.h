#pragma once
// "Theme": starts a new document from one of sixteen page designs. A theme's pictures ship as an archive
// in the program folder ("theme01.zip" to "theme16.zip"), which is handed to the program that opens ZIP
// files so that the user can unpack it next to the page.
#include "platform/form.h"

#include <QDialog>
#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace tree {
class TZozeZO;
}

namespace assistants {

// The archive of theme n (1 to 16): "theme01.zip" ...
QString ThemeArchiveName(int theme);
// The page a theme starts: the dark one for themes 5 and 13, else the common one.
QString ThemePage(int theme);

class TTheme : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TTheme(QWidget *parent = nullptr);

    tree::TZozeZO *ZozeZO1 = nullptr; // "Themes" with "Theme 1" to "Theme 16"
    std::array<QLabel *, 16> Previews{};
    QPushButton *UseTheme = nullptr, *Cancel = nullptr;
    QLabel *Help = nullptr;

    // The theme of the selected node (1 to 16); 0 for the root or nothing.
    int SelectedTheme() const;
    // Selects the node of a theme and shows its preview.
    void SelectTheme(int theme);
    // Opens the theme's archive, closes the window and hands the page on; nothing without a theme.
    void UseThemeClick();

    // The page of the theme chosen: the window has closed.
    std::function<void(const QString &page)> OnStartPage;

private:
    void showPreview(int theme);
};

} // namespace assistants
