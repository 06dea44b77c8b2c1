#include "unit_table.h"
#include "escape.h"

#include "app/preview/previewhtml.h"
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
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>

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

QString TableText(const TValues &a, const QList<QStringList> &rows)
{
    QString s;
    s += QStringLiteral(R"(<TABLE BORDER="%1" ALIGN="%2" WIDTH="%3%" CELLPADDING="%4"  CELLSPACING="%5" BGCOLOR="%6">)")
             .arg(HtmlAttribute(a.value(QStringLiteral("Border"))), HtmlAttribute(a.value(QStringLiteral("Align"))),
                  HtmlAttribute(a.value(QStringLiteral("Width"))), HtmlAttribute(a.value(QStringLiteral("Cellpadding"))),
                  HtmlAttribute(a.value(QStringLiteral("Cellspacing"))), HtmlAttribute(a.value(QStringLiteral("Color"))));
    s += crlf;
    for (const QStringList &row : rows) {
        s += QStringLiteral("<tr>") + crlf;
        for (const QString &cell : row)
            s += cellIndent + QStringLiteral("<TD>") + cell + QStringLiteral("</TD>") + crlf;
        s += QStringLiteral("</TR>") + crlf;
    }
    return s + QStringLiteral("</TABLE>");
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
}

void TGridDialog::finish()
{
    grid_->addWidget(PageControl1, grid_->rowCount(), 0, 1, 3);
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

bool TGridDialog::UpdatePreview()
{
    try {
        // The built text is a piece of a page: the file says how it is written, or a browser guesses.
        platform::WriteFileAtomic(PreviewFile, (QLatin1String(platform::kUtf8Declaration) + QStringLiteral("\r\n") + Build()).toUtf8());
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

void TGridDialog::SetGridSize(int rows, int columns)
{
    for (int r = 0; r < StringGrid1->rowCount(); ++r)
        for (int c = 0; c < StringGrid1->columnCount(); ++c)
            if (r >= rows || c >= columns)
                if (const QTableWidgetItem *item = StringGrid1->item(r, c); item && !item->text().isEmpty())
                    held_.insert({r, c}, item->text());
    const int oldRows = StringGrid1->rowCount(), oldColumns = StringGrid1->columnCount();
    StringGrid1->setRowCount(rows);
    StringGrid1->setColumnCount(columns);
    for (auto it = held_.begin(); it != held_.end();) {
        const auto [r, c] = it.key();
        if (r < rows && c < columns && (r >= oldRows || c >= oldColumns)) {
            StringGrid1->setItem(r, c, new QTableWidgetItem(it.value()));
            it = held_.erase(it);
        } else {
            ++it;
        }
    }
}

void TGridDialog::Follow(QWidget *countBox, std::function<void(int)> resize)
{
    auto *edit = qobject_cast<QLineEdit *>(countBox);
    connect(edit, &QLineEdit::textChanged, this, [resize](const QString &t) { resize(CountOf(t)); });
    connect(edit, &QLineEdit::editingFinished, this, [this] { held_.clear(); });
}

Ttable::Ttable(const TDialogDesc &desc, QWidget *parent) : TGridDialog(desc, QStringLiteral("Table"), parent)
{
    Follow(Field(QStringLiteral("How many cols ?")), [this](int n) { SetGridSize(StringGrid1->rowCount(), n); });
    Follow(Field(QStringLiteral("How many rows ?")), [this](int n) { SetGridSize(n, StringGrid1->columnCount()); });
    finish();
}

QString Ttable::Build() const { return TableText(Values(), Cells()); }

TList::TList(const TDialogDesc &desc, QWidget *parent) : TGridDialog(desc, QStringLiteral("List"), parent)
{
    Follow(Field(QStringLiteral("How many Items do you want ?")), [this](int n) { SetGridSize(n, 1); });
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

QString TList::Build() const
{
    const bool ordered = Ordered->isChecked();
    const QString type = FieldText(Field(ordered ? QStringLiteral("Numbering") : QStringLiteral("Bullet")));
    QStringList items;
    for (const QStringList &row : Cells())
        items << row.value(0);
    return ListText(ordered, type, items);
}

} // namespace dialogs
