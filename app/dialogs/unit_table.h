#pragma once
#include "app/dialogs/engine.h"

#include <QMap>
#include <QPair>
#include <functional>
#include <optional>

class QLabel;
class QProgressBar;
class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace qv {
class TStoppableWork;
}

namespace app {
class TPreviewHTML;
}

namespace dialogs {

// The text of a table: its attributes and the cells row by row (an empty cell stays an empty TD).
QString TableText(const TValues &attributes, const QList<QStringList> &rows);
// The same in pieces: the opening line, one row, and the end.
QString TableStart(const TValues &attributes);
QString TableRow(const QStringList &cells);
QString TableEnd();
// The most characters a table's text may hold: as much as the document window opens.
inline constexpr qint64 MaxTableText = qint64(1) << 30;
// The length of the text of a table of that size whose cells and attributes are empty.
qint64 EmptyTableLength(qint64 rows, qint64 columns);
// A grid of this many cells or more is made, and its text built, as work that shows its progress and
// that Esc stops.
inline constexpr qint64 LargeGrid = 100000;
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
    ~TGridDialog() override;
    QTabWidget *PageControl1;
    QTableWidget *StringGrid1;
    app::TPreviewHTML *PreviewHTML1;
    // Where the preview is written: the program's own folder (as the document window's preview), unless a
    // test says otherwise.
    QString PreviewFile;
    // Writes the preview file and shows it; a file that cannot be written is reported and the preview
    // stays as it was. False then, and when Esc stopped the building of a large grid's text.
    bool UpdatePreview();
    // The grid's cells row by row.
    QList<QStringList> Cells() const;
    // Shown while a large grid is made or its text built.
    QProgressBar *ProgressBar1;
    QLabel *StatusLabel;
    bool Busy() const;
    // OK builds the text first, as work that Esc stops (the dialog then stays open).
    bool OkAllowed() override;

protected:
    void finish();
    // Sets the grid's size as a count is typed. Cells that fall outside are held back, not dropped: a
    // count on its way to a larger one ("1" of "12", or the box emptied before the new number) gives
    // them back. Only when the typing is done (the box loses the focus or Enter) do they go. A size
    // whose text no page could hold is refused with a message; false then, and when Esc stopped the
    // making of a large grid, which is left as it was.
    bool SetGridSize(int rows, int columns);
    // Binds a count box: the grid follows its text through resize, and its typing is done on leaving.
    // A size refused or stopped puts back the count the grid has.
    void Follow(QWidget *countBox, std::function<bool(int)> resize, std::function<int()> count);
    // The built text of the rows, each row's text from rowText; on a large grid as work that shows its
    // progress and that Esc stops (throwing platform::Abort).
    QString BuildRows(const QString &start, const std::function<QString(int row)> &rowText, const QString &end) const;
    // The text as Build() makes it, for OK to make beforehand.
    virtual QString BuildText() const = 0;

public:
    // The text OK built (handed out once), else the text built now.
    QString Build() const override;

private:
    void setBusy(bool on) const;
    bool growLarge(int rows, int columns);
    QMap<QPair<int, int>, QString> held_;
    qv::TStoppableWork *work_;
    mutable std::optional<QString> okText_;
    QList<QMetaObject::Connection> follows_;
};

// "Table": columns and rows set the grid's size; OK inserts the table.
class Ttable : public TGridDialog {
    Q_OBJECT
public:
    Ttable(const TDialogDesc &desc, QWidget *parent = nullptr);

protected:
    QString BuildText() const override;
};

// "List": items set the grid's rows; ordered lists choose a numbering, unordered ones a bullet.
class TList : public TGridDialog {
    Q_OBJECT
public:
    TList(const TDialogDesc &desc, QWidget *parent = nullptr);
    QRadioButton *Ordered, *Unordered;

protected:
    QString BuildText() const override;
};

} // namespace dialogs
