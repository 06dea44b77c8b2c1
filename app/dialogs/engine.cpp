#include "engine.h"
#include "escape.h"

#include "controls/zel/autocombo.h"
#include "controls/zel/fontbox.h"
#include "controls/zel/lookupedit.h"
#include "controls/zel/spinedit.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

namespace dialogs {

namespace {

// "{name|attr|js}": the name, then the escapes the value goes through, in order.
QString baseName(const QString &placeholder) { return placeholder.section(QLatin1Char('|'), 0, 0); }

QString escaped(QString value, const QString &placeholder)
{
    const QStringList filters = placeholder.split(QLatin1Char('|'));
    for (qsizetype i = 1; i < filters.size(); ++i) {
        if (filters[i] == QLatin1String("attr"))
            value = HtmlAttribute(value);
        else if (filters[i] == QLatin1String("js"))
            value = JsString(value);
        else if (filters[i] == QLatin1String("text"))
            value = HtmlText(value);
        else if (filters[i] == QLatin1String("query"))
            value = UrlQueryValue(value);
        else if (filters[i] == QLatin1String("vbs"))
            value = VbsString(value);
    }
    return value;
}

} // namespace

QString Expand(const QString &templ, const TValues &values)
{
    QString out;
    out.reserve(templ.size() + 64);
    qsizetype i = 0;
    while (i < templ.size()) {
        const qsizetype open = templ.indexOf(QLatin1Char('{'), i);
        if (open < 0)
            break;
        const qsizetype close = templ.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0)
            break;
        out += QStringView(templ).mid(i, open - i);
        const QString name = templ.mid(open + 1, close - open - 1);
        auto it = values.constFind(baseName(name));
        if (it != values.constEnd()) {
            out += escaped(*it, name);
            i = close + 1;
        } else {
            // Not a placeholder: keep the brace and look again right after it.
            out += QLatin1Char('{');
            i = open + 1;
        }
    }
    out += QStringView(templ).mid(i);
    return out;
}

QStringList Placeholders(const QString &templ)
{
    QStringList names;
    qsizetype i = 0;
    while (true) {
        const qsizetype open = templ.indexOf(QLatin1Char('{'), i);
        if (open < 0)
            break;
        const qsizetype close = templ.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0)
            break;
        const QString name = templ.mid(open + 1, close - open - 1);
        if (name.isEmpty() || name.contains(QLatin1Char('{'))) {
            // A literal brace: a placeholder may still follow it, as Expand finds it.
            i = open + 1;
            continue;
        }
        if (!names.contains(baseName(name)))
            names << baseName(name);
        i = close + 1;
    }
    return names;
}

TValues DataValues(const QString &templ)
{
    TValues v;
    for (const QString &name : Placeholders(templ))
        if (name.startsWith(DataMark))
            v.insert(name, DataText(name.mid(1)));
    return v;
}

QStringList DataNames()
{
    QStringList names;
    for (const TDialogDesc &d : Descriptions())
        for (const QString &t : {d.templ, d.itemTemplate})
            for (const QString &name : Placeholders(t))
                if (name.startsWith(DataMark) && !names.contains(name.mid(1)))
                    names << name.mid(1);
    for (const QString &name : BespokeDataNames())
        if (!names.contains(name))
            names << name;
    return names;
}

QString DataText(const QString &name)
{
    static QHash<QString, QString> cache;
    auto it = cache.find(name);
    if (it == cache.end()) {
        QString text;
        try {
            text = QString::fromUtf8(platform::ReadWholeFile(platform::ShippedDataFolder() + QStringLiteral("/snippets/") +
                                                             name + QStringLiteral(".txt")));
        } catch (const platform::Error &) {
            text.clear(); // a missing data file builds nothing rather than failing the dialog
        }
        it = cache.insert(name, text);
    }
    return *it;
}

const TDialogDesc *FindDescription(const QString &className)
{
    for (const TDialogDesc &d : Descriptions())
        if (d.className == className)
            return &d;
    return nullptr;
}

bool HasDialog(const QString &className) { return FindDescription(className) != nullptr; }

QString LinkPath(const QString &path, const QString &documentFile)
{
    if (documentFile.isEmpty() || !QDir::isAbsolutePath(path))
        return path;
    const QString folder = QDir::cleanPath(QFileInfo(documentFile).absolutePath());
    const QString file = QDir::cleanPath(path);
    // A file that shares no folder with the page but the root is no part of the site: its full path stays.
    const QString top = folder.section(QLatin1Char('/'), 1, 1);
    if (top.isEmpty() || file.section(QLatin1Char('/'), 1, 1) != top)
        return path;
    return QDir(folder).relativeFilePath(file);
}

QString LinkAddress(const QString &path, const QString &documentFile)
{
    if (!QDir::isAbsolutePath(path))
        return path;
    return UrlPath(LinkPath(path, documentFile));
}

QString TypedLinkAddress(const QString &text, const QString &documentFile)
{
    static const QRegularExpression escape(QStringLiteral("%[0-9A-Fa-f]{2}"));
    if (!QDir::isAbsolutePath(text))
        return text;
    if (text.contains(escape) && !QFileInfo::exists(text))
        return LinkPath(text, documentFile);
    return LinkAddress(text, documentFile);
}

QString FieldText(const QWidget *field)
{
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(field))
        return MemoText(memo);
    if (auto *combo = qobject_cast<const QComboBox *>(field))
        return combo->currentText();
    if (auto *edit = qobject_cast<const QLineEdit *>(field))
        return edit->text();
    return QString();
}

void SetFieldText(QWidget *field, const QString &text)
{
    if (auto *memo = qobject_cast<QPlainTextEdit *>(field)) {
        QString t = text;
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        memo->setPlainText(t);
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        combo->setEditText(text);
    } else if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        edit->setText(text);
    }
}

namespace {

QString HtmlColor(const QColor &c)
{
    return QStringLiteral("#%1%2%3")
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0'));
}

} // namespace

TEngineDialog::TEngineDialog(const TDialogDesc &desc, QWidget *parent, bool finish)
    : TTagDialog(desc.caption, desc.className, parent), desc_(desc)
{
    ClosesOnOk = desc.closesOnOk;
    Button1->setObjectName(desc.okName);
    if (desc.okName == QLatin1String("Button2"))
        Button2->setObjectName(QStringLiteral("Button1"));
    if (!desc.banner.isEmpty()) {
        Banner = new QLabel(desc.banner, this);
        Banner->setObjectName(QStringLiteral("Banner"));
        QFont f = Banner->font();
        f.setBold(true);
        Banner->setFont(f);
        grid_->addWidget(Banner, 0, 0, 1, 2);
    }
    nextItem_ = desc.firstItem;
    // The add button of an item list comes right under the last field an item is made of.
    const QStringList itemFields = Placeholders(desc.itemTemplate);
    qsizetype left = 0;
    for (const TFieldDesc &f : desc.fields)
        left += itemFields.contains(f.name);
    for (const TFieldDesc &f : desc.fields) {
        addField(f);
        if (itemFields.contains(f.name) && --left == 0)
            connect(AddButton(desc.addName, desc.addCaption), &QPushButton::clicked, this, [this] { AddItem(); });
    }
    if (finish)
        FinishLoading();
}

void TEngineDialog::AddItem()
{
    auto *list = qobject_cast<QPlainTextEdit *>(Field(desc_.itemList));
    if (!list)
        return;
    TValues v = Values();
    v.insert(QStringLiteral("n"), QString::number(nextItem_++));
    QString item = Expand(desc_.itemTemplate, v);
    item.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCursor c(list->document());
    c.movePosition(QTextCursor::End);
    // Each item starts a line of its own, whatever the user typed into the list.
    if (!list->document()->isEmpty() && !list->toPlainText().endsWith(QLatin1Char('\n')))
        item.prepend(QLatin1Char('\n'));
    c.insertText(item);
    for (const TFieldDesc &f : desc_.fields)
        if (Placeholders(desc_.itemTemplate).contains(f.name))
            SetFieldText(Field(f.name), f.initial);
}

QWidget *TEngineDialog::addField(const TFieldDesc &f)
{
    QWidget *w = nullptr;
    switch (f.kind) {
    case TFieldKind::Edit:
        w = new QLineEdit(this);
        break;
    case TFieldKind::Combo:
    case TFieldKind::AutoCombo: {
        QComboBox *c = f.kind == TFieldKind::AutoCombo ? new zel::TZELAutoCombo(this) : new QComboBox(this);
        c->setEditable(true);
        c->addItems(f.items);
        c->setCurrentIndex(-1);
        w = c;
        break;
    }
    case TFieldKind::Memo: {
        auto *m = new QPlainTextEdit(this);
        m->setTabChangesFocus(true);
        m->setMinimumHeight(60);
        w = m;
        break;
    }
    case TFieldKind::Spin: {
        auto *s = new zel::TZELSpinEdit(this);
        // The text is what the dialog writes: it never holds a number the limits would change.
        s->LimitTyping = true;
        s->SetMinValue(f.min);
        s->SetMaxValue(f.max == 0 && f.min == 0 ? 10000 : f.max);
        s->setText(QString::number(f.min));
        w = s;
        break;
    }
    case TFieldKind::FileLookup: {
        auto *l = new zel::TZELFileLookup(this);
        if (!f.filter.isEmpty())
            l->Filter = f.filter;
        // The field shows what the page gets.
        l->TextOfFile = [this](const QString &file) { return LinkAddress(file, LinkingFile()); };
        // The chooser opens beside a saved page, where the files it links to usually are.
        l->OnButton1Click = [this, l](QObject *sender) {
            const QString page = DocumentFile ? DocumentFile() : QString();
            if (l->InitialDir.isEmpty() && QFileInfo(page).isAbsolute())
                l->InitialDir = QFileInfo(page).absolutePath();
            l->FileLookup(sender);
        };
        w = l;
        break;
    }
    case TFieldKind::ColorLookup: {
        auto *l = new zel::TZELLookupEdit(this);
        // One button: the colour dialog.
        l->EditButton1().SetVisible(false);
        l->Relayout();
        l->OnButton2Click = [this, l](QObject *) {
            QColorDialog dlg(this);
            const QColor current(l->text());
            if (current.isValid())
                dlg.setCurrentColor(current);
            // Cancel keeps what the user had typed.
            if (platform::ShowModal(&dlg) == QDialog::Accepted)
                l->setText(HtmlColor(dlg.currentColor()));
        };
        w = l;
        break;
    }
    case TFieldKind::FontCombo: {
        auto *c = new zel::TZELFontCombo(this);
        c->setEditable(true);
        w = c;
        break;
    }
    case TFieldKind::Hidden:
        w = new QLineEdit(this);
        break;
    }
    w->setObjectName(f.name);
    if (!f.initial.isNull())
        SetFieldText(w, f.initial);
    else if (f.kind == TFieldKind::FontCombo)
        SetFieldText(w, QStringLiteral("Arial"));
    fields_.insert(f.name, w);
    if (f.kind == TFieldKind::Hidden) {
        w->hide();
        return w;
    }
    const bool firstOnPages = !f.page.isEmpty() && !PageControl1;
    QGridLayout *grid = gridOf(f);
    if (firstOnPages) {
        // The pages were made after this field: Tab reaches their tabs first, then the field.
        QWidget *last = PageControl1;
        for (QWidget *c : PageControl1->findChildren<QWidget *>())
            if (c->focusPolicy() & Qt::TabFocus)
                last = c;
        setTabOrder(last, w);
    }
    const int row = grid->rowCount();
    grid->addWidget(BuddyLabel(f.label, w, this), row, 0, f.kind == TFieldKind::Memo ? Qt::AlignTop : Qt::Alignment());
    grid->addWidget(w, row, 1);
    if (!f.note.isEmpty())
        grid->addWidget(new QLabel(f.note, this), row + 1, 1);
    return w;
}

QGridLayout *TEngineDialog::gridOf(const TFieldDesc &f)
{
    if (f.page.isEmpty())
        return grid_;
    if (!PageControl1) {
        PageControl1 = new QTabWidget(this);
        PageControl1->setObjectName(QStringLiteral("PageControl1"));
        grid_->addWidget(PageControl1, grid_->rowCount(), 0, 1, 2);
    }
    for (int i = 0; i < PageControl1->count(); ++i)
        if (PageControl1->tabText(i) == f.page)
            return static_cast<QGridLayout *>(PageControl1->widget(i)->layout());
    auto *tab = new QWidget;
    tab->setObjectName(QString(f.page).remove(QLatin1Char(' ')));
    auto *grid = new QGridLayout(tab);
    grid->setColumnMinimumWidth(1, 320);
    PageControl1->addTab(tab, f.page);
    return grid;
}

QPushButton *TEngineDialog::AddButton(const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(name);
    grid_->addWidget(b, grid_->rowCount(), 1, Qt::AlignLeft);
    return b;
}

TValues TEngineDialog::Values() const
{
    TValues v;
    for (auto it = fields_.constBegin(); it != fields_.constEnd(); ++it)
        v.insert(it.key(), FieldText(it.value()));
    return v;
}

QString TEngineDialog::Build() const { return BuildLinkedFrom(LinkingFile()); }

QString TEngineDialog::LinkingFile() const { return DocumentFile ? DocumentFile() : QString(); }

void TEngineDialog::ShowChosenFiles()
{
    for (QWidget *field : std::as_const(fields_))
        if (auto *lookup = qobject_cast<zel::TZELFileLookup *>(field))
            lookup->ShowChosenFile();
}

QString TEngineDialog::BuildLinkedFrom(const QString &linkingFile) const
{
    TValues v = Values();
    // A file near the file that links to it is linked relatively, so that the link still holds once the
    // site is uploaded.
    for (const TFieldDesc &f : desc_.fields) {
        if (f.kind != TFieldKind::FileLookup)
            continue;
        const auto *lookup = qobject_cast<const zel::TZELFileLookup *>(fields_.value(f.name));
        const QString chosen = lookup ? lookup->ChosenFile() : QString();
        v[f.name] = chosen.isEmpty() ? TypedLinkAddress(v.value(f.name), linkingFile) : LinkAddress(chosen, linkingFile);
    }
    // The items are lines: the last one ends like the others even when the user took its line end away.
    if (!desc_.itemList.isEmpty()) {
        QString &items = v[desc_.itemList];
        if (!items.isEmpty() && !items.endsWith(QStringLiteral("\r\n")))
            items += QStringLiteral("\r\n");
    }
    v.insert(DataValues(desc_.templ));
    QString templ = desc_.templ;
    for (const auto &[piece, names] : desc_.leftOutBlank)
        if (std::all_of(names.begin(), names.end(), [&v](const QString &n) { return v.value(n).trimmed().isEmpty(); }))
            templ.replace(piece, QString());
    for (auto it = desc_.leftOutAt.constBegin(); it != desc_.leftOutAt.constEnd(); ++it)
        if (v.value(it.key()).trimmed() == it.value()) {
            // The whole attribute goes, with the blank before it.
            const QRegularExpression attribute(QStringLiteral(R"(\s+[A-Za-z-]+="[^"{]*\{%1(\|[^}]*)?\}[^"]*")")
                                                   .arg(QRegularExpression::escape(it.key())));
            templ.remove(attribute);
        }
    return Expand(templ, v);
}

void TEngineDialog::HandOverOwn()
{
    if (!desc_.relay.isEmpty() && OnRelay)
        OnRelay(Build());
}

namespace {

QHash<QString, QPointer<TTagDialog>> &instances()
{
    static QHash<QString, QPointer<TTagDialog>> map;
    return map;
}

} // namespace

TTagDialog *Instance(const QString &className) { return instances().value(className).data(); }

void SetInstance(const QString &className, TTagDialog *dialog) { instances()[className] = dialog; }

TTagDialog *CreateDialog(const QString &className, QWidget *parent)
{
    const TDialogDesc *desc = FindDescription(className);
    if (!desc)
        return nullptr;
    TTagDialog *d = nullptr;
    if (TDialogMaker maker = BespokeMaker(className))
        d = maker(*desc, parent);
    else
        d = new TEngineDialog(*desc, parent);
    SetInstance(className, d);
    return d;
}

} // namespace dialogs
