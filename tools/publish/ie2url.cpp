#include "ie2url.h"

#include "browserhistory.h"

#include "controls/zel/folderbrowser.h"
#include "platform/dialogs.h"
#include "platform/inifile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace publish {
namespace {

QLabel *Banner(const QString &text, QWidget *parent)
{
    auto *banner = new QLabel(text, parent);
    banner->setAutoFillBackground(true);
    banner->setStyleSheet(QStringLiteral("background-color: #808080; color: #ffffff; padding: 6px;"));
    return banner;
}

QPushButton *Button(const QString &name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QHBoxLayout *ButtonRow(QPushButton *ok, QPushButton *cancel)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void Walk(const QString &name, const QString &path, QSet<QString> &walked, QStringList &lines)
{
    // A link back up the tree would otherwise be followed for ever.
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty() || walked.contains(real))
        return;
    walked.insert(real);
    const QDir dir(path);
    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
    for (const QString &sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, order))
        if (!sub.startsWith(QLatin1Char('.')))
            Walk(sub, dir.filePath(sub), walked, lines);
    const QStringList shortcuts = dir.entryList(QStringList{QStringLiteral("*.url")}, QDir::Files, order);
    QStringList links;
    for (const QString &file : shortcuts) {
        if (file.startsWith(QLatin1Char('.')))
            continue;
        const platform::IniFile ini(dir.filePath(file));
        const QString url = ini.ReadString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), QStringLiteral("N/A"));
        links << QStringLiteral("<a href=\"%1\"><B>%2</B></a><BR>").arg(url, file.chopped(4));
    }
    if (links.isEmpty())
        return;
    lines << QStringLiteral("<P><B>%1</B><P>").arg(name.isEmpty() ? QStringLiteral("Miscellaneous") : name);
    lines << links;
}

} // namespace

QStringList FavouriteLines(const QString &folder)
{
    QStringList lines;
    QSet<QString> walked;
    Walk(QString(), folder, walked, lines);
    return lines;
}

// ---- Tfavorit ----

Tfavorit::Tfavorit(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("favorit"));
    setWindowTitle(QStringLiteral("HTML Generator for your favorite URLs"));
    Edit1 = new zel::TZELFolderLookup(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setText(QDir::homePath());
    auto *label = new QLabel(QStringLiteral("Select the folder with your favorites:"), this);
    label->setBuddy(Edit1);
    OkButton = Button(QStringLiteral("OkButton"), QStringLiteral("&Ok"), this);
    OkButton->setDefault(true);
    CancelButton = Button(QStringLiteral("CancelButton"), QStringLiteral("&Cancel"), this);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Banner(QStringLiteral("Generator that convert your favorite URLs to HTML"), this));
    layout->addWidget(label);
    layout->addWidget(Edit1);
    layout->addLayout(ButtonRow(OkButton, CancelButton));
    resize(420, sizeHint().height());
}

void Tfavorit::OkClick()
{
    const QString folder = Edit1->text();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        platform::MessageBox(this, QStringLiteral("The folder \"%1\" does not exist.").arg(folder), windowTitle(),
                             platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    QString text;
    const QStringList lines = FavouriteLines(folder);
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    restore.dismiss();
    QApplication::restoreOverrideCursor();
    if (lines.isEmpty()) {
        // The window stays, so another folder can be chosen.
        platform::MessageBox(this, QStringLiteral("No favorites (.url files) were found in \"%1\".").arg(folder),
                             windowTitle(), platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    if (OnInsertText)
        OnInsertText(text);
    accept();
}

// ---- TIETOURL ----

TIETOURL::TIETOURL(QWidget *owner, std::unique_ptr<THistorySource> source)
    : QDialog(owner), source_(source ? std::move(source) : std::make_unique<TBrowserHistory>())
{
    setObjectName(QStringLiteral("IETOURL"));
    setWindowTitle(QStringLiteral("IE History -> URL "));
    Tree3 = new QTreeWidget(this);
    Tree3->setObjectName(QStringLiteral("Tree3"));
    Tree3->header()->hide();
    Tree3->setIndentation(19);
    Tree3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tree3->setMouseTracking(true);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    WhyLabel = new QLabel(this);
    WhyLabel->setObjectName(QStringLiteral("WhyLabel"));
    WhyLabel->setWordWrap(true);
    WhyLabel->setTextFormat(Qt::PlainText);
    WhyLabel->hide();
    OkButton = Button(QStringLiteral("OkButton"), QStringLiteral("&Ok"), this);
    OkButton->setDefault(true);
    CancelButton = Button(QStringLiteral("CancelButton"), QStringLiteral("&Cancel"), this);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(Tree3, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) { nodeSelected(node); });
    // One period open at a time.
    connect(Tree3, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) {
        QTreeWidgetItem *parent = node->parent();
        const int count = parent ? parent->childCount() : Tree3->topLevelItemCount();
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem *sibling = parent ? parent->child(i) : Tree3->topLevelItem(i);
            if (sibling != node)
                sibling->setExpanded(false);
        }
    });

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Description"), this), 0, 0);
    fields->addWidget(Edit1, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("URL"), this), 1, 0);
    fields->addWidget(Edit2, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Tree3);
    layout->addWidget(CountLabel);
    layout->addWidget(WhyLabel);
    layout->addLayout(fields);
    layout->addLayout(ButtonRow(OkButton, CancelButton));
    resize(420, 480);
}

TIETOURL::~TIETOURL() = default;

void TIETOURL::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded_)
        LoadHistory();
}

void TIETOURL::LoadHistory()
{
    loaded_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    Tree3->clear();
    int count = 0;
    for (const THistoryPeriod &period : source_->Periods()) {
        auto *periodNode = new QTreeWidgetItem(Tree3, QStringList{period.name});
        periodNode->setToolTip(0, QStringLiteral("visited pages on ") + period.name);
        ++count;
        for (const THistorySite &site : period.sites) {
            auto *siteNode = new QTreeWidgetItem(periodNode, QStringList{site.name});
            siteNode->setToolTip(0, site.name + QStringLiteral(" visited pages"));
            ++count;
            for (const THistoryPage &page : site.pages) {
                // A title of several lines shows its first, shortened with "..." to fit the window.
                const QString title = page.title.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
                QString shown = title;
                const QFontMetrics metrics(Tree3->font());
                const int room = width() - 2 * Tree3->indentation() - 40;
                for (QString rest = title; !rest.isEmpty() && metrics.horizontalAdvance(shown) > room;) {
                    rest.chop(1);
                    shown = rest + QStringLiteral("...");
                }
                auto *pageNode = new QTreeWidgetItem(siteNode, QStringList{shown});
                pageNode->setData(0, Qt::UserRole, page.url);
                pageNode->setData(0, Qt::UserRole + 1, title);
                pageNode->setToolTip(0, page.url);
                ++count;
            }
        }
    }
    Tree3->collapseAll();
    if (Tree3->topLevelItemCount() > 0)
        Tree3->setCurrentItem(Tree3->topLevelItem(0));
    CountLabel->setText(QStringLiteral("%1 entries in history").arg(count));
    WhyLabel->setText(source_->Why());
    WhyLabel->setVisible(!WhyLabel->text().isEmpty());
}

void TIETOURL::nodeSelected(QTreeWidgetItem *node)
{
    if (!node || !node->parent() || !node->parent()->parent())
        return;
    Edit2->setText(node->data(0, Qt::UserRole).toString());
    Edit1->setText(node->data(0, Qt::UserRole + 1).toString());
}

void TIETOURL::OkClick()
{
    if (OnInsertText)
        OnInsertText(QStringLiteral("<A HREF=\"") + Edit2->text() + QStringLiteral("\">") + Edit1->text() + QStringLiteral("</A>"));
    accept();
}

} // namespace publish
