#pragma once
#include "app/dialogs/engine.h"

#include <QMap>
#include <QPair>
#include <functional>

class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace app {
class TPreviewHTML;
}

namespace dialogs {

// The text of a table: its attributes and the cells row by row (an empty cell stays an empty TD).
QString TableText(const TValues &attributes, const QList<QStringList> &rows);
// The text of a list: ordered with its numbering type, or unordered with its bullet.
QString ListText(bool ordered, const QString &type, const QStringList &items);
// A count typed into a spin: never below 1, whatever was typed.
int CountOf(const QString &typed);

// What the table and list dialogs share: the cells in a grid on one tab, the page built from them on the
// other. Each turn of the tabs writes the built text to the preview file and shows it.
class TGridDialog : public TEngineDialog {
    Q_OBJECT
public:
    TGridDialog(const TDialogDesc &desc, const QString &gridTab, QWidget *parent);
    QTabWidget *PageControl1;
    QTableWidget *StringGrid1;
    app::TPreviewHTML *PreviewHTML1;
    // Where the preview is written: the program's own folder (as the document window's preview), unless a
    // test says otherwise.
    QString PreviewFile;
    // Writes the preview file and shows it; a file that cannot be written is reported and the preview
    // stays as it was. False then.
    bool UpdatePreview();
    // The grid's cells row by row.
    QList<QStringList> Cells() const;

protected:
    void finish();
    // Sets the grid's size as a count is typed. Cells that fall outside are held back, not dropped: a
    // count on its way to a larger one ("1" of "12", or the box emptied before the new number) gives
    // them back. Only when the typing is done (the box loses the focus or Enter) do they go.
    void SetGridSize(int rows, int columns);
    // Binds a count box: the grid follows its text through resize, and its typing is done on leaving.
    void Follow(QWidget *countBox, std::function<void(int)> resize);

private:
    QMap<QPair<int, int>, QString> held_;
};

// "Table": columns and rows set the grid's size; OK inserts the table.
class Ttable : public TGridDialog {
    Q_OBJECT
public:
    Ttable(const TDialogDesc &desc, QWidget *parent = nullptr);
    QString Build() const override;
};

// "List": items set the grid's rows; ordered lists choose a numbering, unordered ones a bullet.
class TList : public TGridDialog {
    Q_OBJECT
public:
    TList(const TDialogDesc &desc, QWidget *parent = nullptr);
    QRadioButton *Ordered, *Unordered;
    QString Build() const override;
};

} // namespace dialogs
