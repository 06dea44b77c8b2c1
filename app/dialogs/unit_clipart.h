#pragma once
// "Clipart": pictures shipped in the program folder's Clipart folder, by category; the chosen one is
// previewed and inserted as an IMG tag naming its full path.
#include "app/dialogs/engine.h"

class QComboBox;

namespace gfx {
class TQvGIFAnimator;
}
namespace zel {
class TZELExplorerView;
}

namespace dialogs {

class TClipart : public TEngineDialog {
    Q_OBJECT
public:
    TClipart(const TDialogDesc &desc, QWidget *parent = nullptr);
    static QStringList Categories();
    // The folder of a category's pictures.
    static QString CategoryFolder(const QString &category);

    QComboBox *ComboBox1;
    zel::TZELExplorerView *FileListBox1;
    gfx::TQvGIFAnimator *Image1;
    // Lists the pictures of the category.
    void ShowCategory(const QString &category);
    // Previews the picture chosen in the list and puts its full path into Edit1.
    void FileChosen();
};

} // namespace dialogs
