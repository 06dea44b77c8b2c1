#include "ie2url.h"

#include "browserhistory.h"

#include "controls/tree/zozezo.h"
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
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <qdrawutil.h>
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
    // Addresses and names come from any web site: they are escaped for the attribute and the text.
    QStringList links;
    for (const QString &file : shortcuts) {
        if (file.startsWith(QLatin1Char('.')))
            continue;
        const platform::IniFile ini(dir.filePath(file));
        const QString url = ini.ReadString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), QStringLiteral("N/A"));
        links << QStringLiteral("<a href=\"%1\"><B>%2</B></a><BR>").arg(url.toHtmlEscaped(), file.chopped(4).toHtmlEscaped());
    }
    if (links.isEmpty())
        return;
    lines << QStringLiteral("<P><B>%1</B><P>").arg(name.isEmpty() ? QStringLiteral("Miscellaneous") : name.toHtmlEscaped());
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

namespace {

enum HistoryImage { kPeriodImage, kOpenPeriodImage, kSiteImage, kPageImage };

QPixmap StandardIcon(QStyle::StandardPixmap which)
{
    return QApplication::style()->standardIcon(which).pixmap(16, 16);
}

} // namespace

TIETOURL::TIETOURL(QWidget *owner, std::unique_ptr<THistorySource> source)
    : QDialog(owner), source_(source ? std::move(source) : std::make_unique<TBrowserHistory>())
{
    setObjectName(QStringLiteral("IETOURL"));
    setWindowTitle(QStringLiteral("IE History -> URL "));

    TreePanel = new QWidget(this);
    TreePanel->setObjectName(QStringLiteral("TreePanel"));
    TreePanel->setMinimumHeight(120);
    TreePanel->installEventFilter(this);
    Tree3 = new tree::TZozeZO(TreePanel);
    Tree3->setObjectName(QStringLiteral("Tree3"));
    Tree3->SetOptions(tree::TTreeOptions(tree::toReadOnly | tree::toToolTips | tree::toInfoTip | tree::toHotTrack |
                                         tree::toSingleExpand | tree::toFullRowSelect | tree::toShowButtons |
                                         tree::toShowRoot | tree::toEvenHeight));
    Tree3->SetIndent(19);
    // The panel scrolls the tree, not the tree itself.
    Tree3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Tree3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Images = new tree::TImageList(16, 16, this);
    Images->Add(StandardIcon(QStyle::SP_DirClosedIcon));
    Images->Add(StandardIcon(QStyle::SP_DirOpenIcon));
    Images->Add(StandardIcon(QStyle::SP_DriveNetIcon));
    Images->Add(StandardIcon(QStyle::SP_FileIcon));
    Tree3->SetImages(Images);
    Tree3->OnHint = [this](tree::TCustomZozeZO *, tree::TZozeZONode *node, QString &text) { text = NodeHint(node); };
    Tree3->OnChange = [this](tree::TCustomZozeZO *, tree::TZozeZONode *node) { nodeSelected(node); };
    Tree3->OnExpanded = [this](tree::TCustomZozeZO *, tree::TZozeZONode *) { layoutTree(); };
    Tree3->OnCollapsed = [this](tree::TCustomZozeZO *, tree::TZozeZONode *) { layoutTree(); };
    Tree3->OnBeforeItemPaint = [this](tree::TCustomZozeZO *, tree::TZozeZONode *node, const QRect &rect,
                                      tree::TNodeStates states, bool &ownerDraw) {
        ownerDraw = true;
        paintNode(node, rect, states);
    };

    auto arrow = [this](const char *name, Qt::ArrowType type, int rows) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(300);
        b->setAutoRepeatInterval(50);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(b, &QToolButton::clicked, this, [this, rows] { scrollBy(rows); });
        return b;
    };
    UpButton = arrow("UpButton", Qt::UpArrow, -1);
    DownButton = arrow("DownButton", Qt::DownArrow, 1);

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

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Description"), this), 0, 0);
    fields->addWidget(Edit1, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("URL"), this), 1, 0);
    fields->addWidget(Edit2, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    layout->addWidget(UpButton);
    layout->addWidget(TreePanel, 1);
    layout->addWidget(DownButton);
    layout->addSpacing(4);
    layout->addWidget(CountLabel);
    layout->addWidget(WhyLabel);
    layout->addLayout(fields);
    layout->addLayout(ButtonRow(OkButton, CancelButton));
    resize(420, 480);
    layoutTree();
}

TIETOURL::~TIETOURL()
{
    // The tree's events reach into this window: none may run while its parts are going.
    Tree3->OnChange = nullptr;
    Tree3->OnExpanded = nullptr;
    Tree3->OnCollapsed = nullptr;
    Tree3->OnBeforeItemPaint = nullptr;
    Tree3->OnHint = nullptr;
}

void TIETOURL::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded_)
        LoadHistory();
}

bool TIETOURL::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TreePanel && event->type() == QEvent::Resize)
        layoutTree();
    return QDialog::eventFilter(watched, event);
}

void TIETOURL::LoadHistory()
{
    loaded_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    tree::TZozeZONodes *items = Tree3->Items();
    items->BeginUpdate();
    items->Clear();
    pages_.clear();
    int count = 0;
    const QFontMetrics metrics(Tree3->font());
    const int room = width() - 2 * Tree3->Indent() - 40;
    for (const THistoryPeriod &period : source_->Periods()) {
        tree::TZozeZONode *periodNode = items->Add(nullptr, period.name);
        periodNode->SetImageIndex(kPeriodImage);
        periodNode->SetSelectedIndex(kOpenPeriodImage);
        ++count;
        for (const THistorySite &site : period.sites) {
            tree::TZozeZONode *siteNode = items->AddChild(periodNode, site.name);
            siteNode->SetImageIndex(kSiteImage);
            siteNode->SetSelectedIndex(kSiteImage);
            ++count;
            for (const THistoryPage &page : site.pages) {
                // A title of several lines shows its first, shortened with "..." to fit the window.
                const QString title = page.title.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
                QString shown = title;
                for (QString rest = title; !rest.isEmpty() && metrics.horizontalAdvance(shown) > room;) {
                    rest.chop(1);
                    shown = rest + QStringLiteral("...");
                }
                pages_.append({title, page.url});
                tree::TZozeZONode *pageNode = items->AddChild(siteNode, shown);
                pageNode->SetImageIndex(kPageImage);
                pageNode->SetSelectedIndex(kPageImage);
                pageNode->SetData(pages_.size());
                ++count;
            }
        }
    }
    items->EndUpdate();
    if (tree::TZozeZONode *first = items->GetFirstNode())
        Tree3->SetSelected(first);
    Tree3->FullCollapse();
    top_ = 0;
    layoutTree();
    CountLabel->setText(QStringLiteral("%1 entries in history").arg(count));
    WhyLabel->setText(source_->Why());
    WhyLabel->setVisible(!WhyLabel->text().isEmpty());
}

const THistoryPage *TIETOURL::PageOf(tree::TZozeZONode *node) const
{
    const qintptr i = node ? node->Data() - 1 : -1;
    return node && node->Level() == 2 && i >= 0 && i < pages_.size() ? &pages_[i] : nullptr;
}

QString TIETOURL::NodeHint(tree::TZozeZONode *node) const
{
    if (!node)
        return {};
    if (const THistoryPage *page = PageOf(node))
        return page->url;
    if (node->Level() == 0)
        return QStringLiteral("visited pages on ") + node->Text();
    if (node->Level() == 1)
        return node->Text() + QStringLiteral(" visited pages");
    return node->Text() + QStringLiteral(" (") + node->Parent()->Text() + QLatin1Char(')');
}

void TIETOURL::nodeSelected(tree::TZozeZONode *node)
{
    if (node) {
        // A newly selected node is brought into the panel.
        const QRect row = Tree3->NodeRect(node, false).translated(Tree3->viewport()->mapTo(TreePanel, QPoint(0, 0)));
        if (row.top() < 0)
            placeTree(top_ - row.top());
        else if (row.bottom() >= TreePanel->height())
            placeTree(top_ - (row.bottom() + 1 - TreePanel->height()));
    }
    if (const THistoryPage *page = PageOf(node)) {
        Edit2->setText(page->url);
        Edit1->setText(page->title);
    }
}

void TIETOURL::layoutTree()
{
    int rows = 0;
    for (tree::TZozeZONode *n = Tree3->Items()->GetFirstNode(); n; n = n->GetNextVisible())
        ++rows;
    const int frame = 2 * Tree3->frameWidth();
    Tree3->resize(TreePanel->width(), std::max(rows * Tree3->ItemHeight() + frame, TreePanel->height()));
    placeTree(top_);
}

void TIETOURL::placeTree(int top)
{
    top_ = std::clamp(top, std::min(0, TreePanel->height() - Tree3->height()), 0);
    Tree3->move(0, top_);
    UpButton->setEnabled(top_ < 0);
    DownButton->setEnabled(top_ + Tree3->height() > TreePanel->height());
}

void TIETOURL::scrollBy(int rows)
{
    placeTree(top_ - rows * Tree3->ItemHeight());
}

// Periods stand out as buttons (the highlight colour while chosen or under the mouse), pages and sites
// are underlined under the mouse, and the chosen and the hot item have a sunken or raised edge.
void TIETOURL::paintNode(tree::TZozeZONode *node, const QRect &rect, unsigned states)
{
    QPainter *p = Tree3->Canvas();
    const QPalette &pal = Tree3->palette();
    const bool selected = states & tree::nsSelected, hot = states & tree::nsHot;
    const bool top = node->Level() == 0;
    QColor text = pal.color(QPalette::Text);
    if (top) {
        p->fillRect(rect, pal.color(selected || hot ? QPalette::Highlight : QPalette::Button));
        text = pal.color(selected || hot ? QPalette::HighlightedText : QPalette::ButtonText);
    } else if (selected) {
        p->fillRect(rect, pal.color(QPalette::Highlight));
        text = pal.color(QPalette::HighlightedText);
    }
    const int image = selected ? node->SelectedIndex() : node->ImageIndex();
    const int iconY = rect.top() + (rect.height() - Images->Height()) / 2;
    if (Images->Valid(image))
        p->drawPixmap(rect.left() + 2, iconY, Images->Image(image));
    QFont font = Tree3->font();
    font.setUnderline(hot && !top);
    p->setFont(font);
    p->setPen(text);
    p->drawText(rect.adjusted(Images->Width() + 6, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                node->Text());
    if (selected || hot)
        qDrawShadeRect(p, rect, pal, selected, 1);
}

void TIETOURL::OkClick()
{
    if (OnInsertText)
        OnInsertText(QStringLiteral("<A HREF=\"") + Edit2->text().toHtmlEscaped() + QStringLiteral("\">")
                     + Edit1->text().toHtmlEscaped() + QStringLiteral("</A>"));
    accept();
}

} // namespace publish
