#include "unit_table.h"
#include "escape.h"

#include "app/preview/previewhtml.h"
#include "controls/qv/qvstoppable.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <tuple>
#include <utility>
#include <vector>

namespace dialogs {

namespace {
const QString crlf = QStringLiteral("\r\n");
const QString cellIndent = QStringLiteral("         "); // nine blanks
} // namespace

int CountOf(const QString &typed)
{
    bool ok = false;
    const int n = typed.trimmed().toInt(&ok);
    return ok && n > 1 ? n : 1;
}

QString TableStart(const TValues &a)
{
    return QStringLiteral(R"(<TABLE BORDER="%1" ALIGN="%2" WIDTH="%3%" CELLPADDING="%4"  CELLSPACING="%5" BGCOLOR="%6">)")
               .arg(HtmlAttribute(a.value(QStringLiteral("Border"))), HtmlAttribute(a.value(QStringLiteral("Align"))),
                    HtmlAttribute(a.value(QStringLiteral("Width"))), HtmlAttribute(a.value(QStringLiteral("Cellpadding"))),
                    HtmlAttribute(a.value(QStringLiteral("Cellspacing"))), HtmlAttribute(a.value(QStringLiteral("Color")))) +
           crlf;
}

QString TableRow(const QStringList &cells)
{
    QString s = QStringLiteral("<tr>") + crlf;
    for (const QString &cell : cells)
        s += cellIndent + QStringLiteral("<TD>") + cell + QStringLiteral("</TD>") + crlf;
    return s + QStringLiteral("</TR>") + crlf;
}

QString TableEnd() { return QStringLiteral("</TABLE>"); }

QString TableText(const TValues &a, const QList<QStringList> &rows)
{
    QString s = TableStart(a);
    for (const QStringList &row : rows)
        s += TableRow(row);
    return s + TableEnd();
}

qint64 EmptyTableLength(qint64 rows, qint64 columns)
{
    static const qint64 row = TableRow({}).size(), cell = TableRow({QString()}).size() - row,
                        ends = TableStart({}).size() + TableEnd().size();
    return ends + rows * (row + columns * cell);
}

QString ListText(bool ordered, const QString &type, const QStringList &items)
{
    const QString tag = ordered ? QStringLiteral("OL") : QStringLiteral("UL");
    QString s = QStringLiteral("<%1 TYPE=\"%2\">").arg(tag, HtmlAttribute(type)) + crlf;
    for (const QString &item : items)
        s += cellIndent + QStringLiteral("<LI>") + item + QStringLiteral("</LI>") + crlf;
    return s + QStringLiteral("</%1>").arg(tag) + crlf;
}

TGridDialog::TGridDialog(const TDialogDesc &desc, const QString &gridTab, QWidget *parent)
    : TEngineDialog(desc, parent, false),
      PreviewFile(platform::ProgramFile(QStringLiteral("kestrova_preview.htm")))
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    StringGrid1 = new QTableWidget(1, 1, PageControl1);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    // Arrows move between cells; Tab goes on through the dialog.
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->setMinimumSize(420, 200);
    PreviewHTML1 = new app::TPreviewHTML(PageControl1);
    PreviewHTML1->setObjectName(QStringLiteral("PreviewHTML1"));
    PageControl1->addTab(StringGrid1, gridTab);
    PageControl1->addTab(PreviewHTML1, QStringLiteral("Preview"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    StatusLabel = new QLabel(QStringLiteral("Press <Esc> to cancel"), this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setTextFormat(Qt::PlainText);
    // The grid keeps its place whether they show or not.
    for (QWidget *w : {static_cast<QWidget *>(ProgressBar1), static_cast<QWidget *>(StatusLabel)}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
    }
    work_ = new qv::TStoppableWork(this);
    work_->OnProgress = [this](int percent) { ProgressBar1->setValue(percent); };
    setBusy(false);
}

TGridDialog::~TGridDialog()
{
    // A count box that loses the focus as the window goes (hidden by the dialog's own destructor) finishes
    // its typing and puts its count right: the grid and its held cells are gone by then.
    for (const QMetaObject::Connection &c : std::as_const(follows_))
        disconnect(c);
}

bool TGridDialog::Busy() const { return work_->Busy(); }

void TGridDialog::setBusy(bool on) const
{
    if (on)
        work_->Start();
    else
        work_->Finish();
    ProgressBar1->setVisible(on);
    StatusLabel->setVisible(on);
}

void TGridDialog::finish()
{
    grid_->addWidget(PageControl1, grid_->rowCount(), 0, 1, 3);
    auto *progress = new QHBoxLayout;
    progress->addWidget(ProgressBar1, 1);
    progress->addWidget(StatusLabel, 2);
    grid_->addLayout(progress, grid_->rowCount(), 0, 1, 3);
    // Built afresh on every turn of the tabs, whichever way.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { UpdatePreview(); });
    FinishLoading();
}

QList<QStringList> TGridDialog::Cells() const
{
    QList<QStringList> rows;
    for (int r = 0; r < StringGrid1->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < StringGrid1->columnCount(); ++c) {
            const QTableWidgetItem *item = StringGrid1->item(r, c);
            row << (item ? item->text() : QString());
        }
        rows << row;
    }
    return rows;
}

QString TGridDialog::BuildRows(const QString &start, const std::function<QString(int row)> &rowText, const QString &end) const
{
    const int rows = StringGrid1->rowCount();
    QString s = start;
    if (qint64(rows) * StringGrid1->columnCount() < LargeGrid || work_->Busy()) {
        for (int r = 0; r < rows; ++r)
            s += rowText(r);
        return s + end;
    }
    // Made room for at once: a text grown by doubling would need half as much again while it is copied.
    s.reserve(qsizetype(std::min(EmptyTableLength(rows, StringGrid1->columnCount()) + held_.size(), MaxTableText)));
    setBusy(true);
    try {
        for (int r = 0; r < rows; ++r) {
            s += rowText(r);
            work_->Step(int(qint64(r) * 100 / rows));
        }
    } catch (...) {
        setBusy(false);
        throw;
    }
    setBusy(false);
    return s + end;
}

QString TGridDialog::Build() const
{
    if (okText_) {
        QString text = std::move(*okText_);
        okText_.reset();
        return text;
    }
    return BuildText();
}

bool TGridDialog::OkAllowed()
{
    okText_.reset();
    try {
        okText_ = BuildText();
    } catch (const platform::Abort &) {
        return false; // stopped: the dialog stays as it was
    } catch (const std::bad_alloc &) {
        platform::MessageBox(this, QStringLiteral("There is not memory enough to build the text of this grid."), windowTitle(),
                             platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    return true;
}

bool TGridDialog::UpdatePreview()
{
    try {
        // The built text is a piece of a page: the file says how it is written, or a browser guesses.
        platform::WriteFileAtomic(PreviewFile,
                                  (QLatin1String(platform::kUtf8Declaration) + QStringLiteral("\r\n") + BuildText()).toUtf8());
    } catch (const platform::Abort &) {
        return false;
    } catch (const std::bad_alloc &) {
        platform::MessageBox(this, QStringLiteral("There is not memory enough to build the text of this grid."), windowTitle(),
                             platform::MB_OK | platform::MB_ICONERROR);
        return false;
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    try {
        PreviewHTML1->Navigate(PreviewFile);
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    return true;
}

bool TGridDialog::SetGridSize(int rows, int columns)
{
    const int oldRows = StringGrid1->rowCount(), oldColumns = StringGrid1->columnCount();
    if (rows == oldRows && columns == oldColumns)
        return true;
    if (const qint64 length = EmptyTableLength(rows, columns); length > MaxTableText) {
        platform::MessageBox(this,
                             QStringLiteral("A table of %1 columns by %2 rows is too large: its text would hold %3 characters, "
                                            "and a page holds at most %4.")
                                 .arg(columns)
                                 .arg(rows)
                                 .arg(length)
                                 .arg(MaxTableText),
                             windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    // Only the cells that fall outside are looked at.
    const QMap<QPair<int, int>, QString> heldBefore = held_;
    for (int r = 0; r < oldRows; ++r)
        for (int c = r < rows ? columns : 0; c < oldColumns; ++c)
            if (const QTableWidgetItem *item = StringGrid1->item(r, c); item && !item->text().isEmpty())
                held_.insert({r, c}, item->text());
    if (qint64(std::max(rows, oldRows)) * std::max(columns, oldColumns) < LargeGrid) {
        StringGrid1->setRowCount(rows);
        StringGrid1->setColumnCount(columns);
    } else if (!growLarge(rows, columns)) {
        held_ = heldBefore;
        return false;
    }
    for (auto it = held_.begin(); it != held_.end();) {
        const auto [r, c] = it.key();
        if (r < rows && c < columns && (r >= oldRows || c >= oldColumns)) {
            StringGrid1->setItem(r, c, new QTableWidgetItem(it.value()));
            it = held_.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

bool TGridDialog::growLarge(int rows, int columns)
{
    const int oldRows = StringGrid1->rowCount(), oldColumns = StringGrid1->columnCount();
    // The grid keeps its cells in one list, row after row: a column added or taken away on a tall grid
    // moves every cell after it, once for each row. So the rows are taken away first and laid anew in
    // steps, their cells put back after; rows alone are added at the end in steps.
    std::vector<std::tuple<int, int, QTableWidgetItem *>> taken;
    const bool relay = columns != oldColumns;
    if (relay)
        for (int r = 0; r < oldRows; ++r)
            for (int c = 0; c < oldColumns; ++c)
                if (QTableWidgetItem *item = StringGrid1->takeItem(r, c))
                    taken.emplace_back(r, c, item);
    auto putBack = [this, &taken](int rowCount, int columnCount) {
        for (auto &[r, c, item] : taken) {
            if (r < rowCount && c < columnCount)
                StringGrid1->setItem(r, c, std::exchange(item, nullptr));
            else
                delete std::exchange(item, nullptr);
        }
    };
    setBusy(true);
    try {
        if (relay) {
            StringGrid1->setRowCount(0);
            StringGrid1->setColumnCount(columns);
        }
        const int from = relay ? 0 : std::min(rows, oldRows);
        StringGrid1->setRowCount(from);
        const int step = std::max(1, (rows - from) / 100);
        for (int r = from; r < rows;) {
            r = std::min(rows, r + step);
            StringGrid1->setRowCount(r);
            work_->Step(int(qint64(r - from) * 100 / std::max(1, rows - from)));
        }
        StringGrid1->setRowCount(rows);
    } catch (const std::exception &e) {
        // Stopped, or out of memory: the grid is laid out as it was, with its cells.
        if (relay) {
            StringGrid1->setRowCount(0);
            StringGrid1->setColumnCount(oldColumns);
        }
        StringGrid1->setRowCount(oldRows);
        putBack(oldRows, oldColumns);
        setBusy(false);
        if (dynamic_cast<const platform::Abort *>(&e))
            return false;
        const auto *error = dynamic_cast<const platform::Error *>(&e);
        platform::MessageBox(this,
                             error ? error->message()
                                   : QStringLiteral("There is not memory enough for a grid of %1 columns by %2 rows.").arg(columns).arg(rows),
                             windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    putBack(rows, columns);
    setBusy(false);
    return true;
}

void TGridDialog::Follow(QWidget *countBox, std::function<bool(int)> resize, std::function<int()> count)
{
    auto *edit = qobject_cast<QLineEdit *>(countBox);
    follows_ << connect(edit, &QLineEdit::textChanged, this, [edit, resize, count](const QString &t) {
        if (resize(CountOf(t)))
            return;
        // The box says what the grid has.
        const QSignalBlocker quiet(edit);
        edit->setText(QString::number(count()));
    });
    follows_ << connect(edit, &QLineEdit::editingFinished, this, [this] { held_.clear(); });
}

Ttable::Ttable(const TDialogDesc &desc, QWidget *parent) : TGridDialog(desc, QStringLiteral("Table"), parent)
{
    Follow(Field(QStringLiteral("How many cols ?")), [this](int n) { return SetGridSize(StringGrid1->rowCount(), n); },
           [this] { return StringGrid1->columnCount(); });
    Follow(Field(QStringLiteral("How many rows ?")), [this](int n) { return SetGridSize(n, StringGrid1->columnCount()); },
           [this] { return StringGrid1->rowCount(); });
    finish();
}

QString Ttable::BuildText() const
{
    const int columns = StringGrid1->columnCount();
    return BuildRows(
        TableStart(Values()),
        [this, columns](int r) {
            QStringList cells;
            cells.reserve(columns);
            for (int c = 0; c < columns; ++c) {
                const QTableWidgetItem *item = StringGrid1->item(r, c);
                cells << (item ? item->text() : QString());
            }
            return TableRow(cells);
        },
        TableEnd());
}

TList::TList(const TDialogDesc &desc, QWidget *parent) : TGridDialog(desc, QStringLiteral("List"), parent)
{
    Follow(Field(QStringLiteral("How many Items do you want ?")), [this](int n) { return SetGridSize(n, 1); },
           [this] { return StringGrid1->rowCount(); });
    Ordered = new QRadioButton(QStringLiteral(" Ordered"), this);
    Ordered->setObjectName(QStringLiteral("Ordered"));
    Unordered = new QRadioButton(QStringLiteral("Unordered"), this);
    Unordered->setObjectName(QStringLiteral("Unordered"));
    auto *types = new QHBoxLayout;
    types->addWidget(Ordered);
    types->addWidget(Unordered);
    types->addStretch(1);
    grid_->addLayout(types, grid_->rowCount(), 1);
    // The numbering belongs to ordered lists, the bullet to unordered ones: only the one in use shows.
    QWidget *numbering = Field(QStringLiteral("Numbering"));
    QWidget *bullet = Field(QStringLiteral("Bullet"));
    auto show = [this, numbering, bullet] {
        const bool ordered = Ordered->isChecked();
        numbering->setVisible(ordered);
        bullet->setVisible(!ordered);
        for (QWidget *f : {numbering, bullet})
            for (QLabel *l : findChildren<QLabel *>())
                if (l->buddy() == f)
                    l->setVisible(f->isVisibleTo(this));
    };
    connect(Ordered, &QRadioButton::toggled, this, show);
    Ordered->setChecked(true);
    show();
    finish();
    // The kinds stand above the grid: Tab reaches them first.
    setTabOrder(Unordered, PageControl1);
    setTabOrder(PageControl1, StringGrid1);
}

QString TList::BuildText() const
{
    const bool ordered = Ordered->isChecked();
    const QString type = FieldText(Field(ordered ? QStringLiteral("Numbering") : QStringLiteral("Bullet")));
    QStringList items;
    for (const QStringList &row : Cells())
        items << row.value(0);
    return ListText(ordered, type, items);
}

} // namespace dialogs
