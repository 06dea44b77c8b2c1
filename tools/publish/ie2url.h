#pragma once
// Pages of links from the user's browser data: the favourites window turns a folder of internet
// shortcut files into headings and links, the history window offers one visited page as a link.
#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zel {
class TZELFolderLookup;
}

namespace tree {
class TImageList;
class TZozeZO;
class TZozeZONode;
}

namespace publish {

// Receives generated HTML for the active document (the main window's insertion relay).
using TInsertTextEvent = std::function<void(const QString &text)>;

// The lines of links for a favourites folder: each folder's sub-folders first (names beginning with "."
// left out, a folder reached again through a link walked only once), then its heading and one link per
// shortcut. Lines carry no line ends.
QStringList FavouriteLines(const QString &folder);

class Tfavorit : public QDialog {
    Q_OBJECT
public:
    explicit Tfavorit(QWidget *owner = nullptr);

    zel::TZELFolderLookup *Edit1; // the favourites folder; the home folder at first
    QPushButton *OkButton, *CancelButton;
    TInsertTextEvent OnInsertText;

    void OkClick();
};

struct THistoryPage {
    QString title;
    QString url;
};
struct THistorySite {
    QString name;
    QList<THistoryPage> pages;
};
struct THistoryPeriod {
    QString name;
    QList<THistorySite> sites;
};

// Where visited pages come from, by period and site (the window reads the user's browsers by default,
// see browserhistory.h).
class THistorySource {
public:
    virtual ~THistorySource() = default;
    virtual QList<THistoryPeriod> Periods() const { return {}; }
    // After Periods: why there is no history, or what could not be read; empty when all is well.
    virtual QString Why() const { return {}; }
};

class TIETOURL : public QDialog {
    Q_OBJECT
public:
    // Takes the source (the user's browsers when none is given).
    explicit TIETOURL(QWidget *owner = nullptr, std::unique_ptr<THistorySource> source = nullptr);
    ~TIETOURL() override;

    // The tree lies in TreePanel, as tall as its visible rows; UpButton and DownButton move it by a row
    // (held, again after 300 ms and then every 50 ms).
    tree::TZozeZO *Tree3;
    QWidget *TreePanel;
    QToolButton *UpButton, *DownButton;
    tree::TImageList *Images; // period, open period, site, page
    QLineEdit *Edit1; // description
    QLineEdit *Edit2; // URL
    QLabel *CountLabel;
    QLabel *WhyLabel; // why the list is empty or short; hidden when there is nothing to say
    QPushButton *OkButton, *CancelButton;
    TInsertTextEvent OnInsertText;

    // Reads the history into the tree (done once, when the window is first shown).
    void LoadHistory();
    void OkClick();
    // A node's hint: a page's address, "visited pages on " + a period, a site + " visited pages".
    QString NodeHint(tree::TZozeZONode *node) const;
    // The page a node stands for; null for a period or a site.
    const THistoryPage *PageOf(tree::TZozeZONode *node) const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void nodeSelected(tree::TZozeZONode *node);
    // Sizes the tree to its visible rows and keeps it within reach of the panel.
    void layoutTree();
    void scrollBy(int rows);
    void placeTree(int top);
    void paintNode(tree::TZozeZONode *node, const QRect &rect, unsigned states);
    std::unique_ptr<THistorySource> source_;
    QList<THistoryPage> pages_; // a page node's data is its place here plus one
    int top_ = 0;               // where the tree's top lies in the panel (0 or above)
    bool loaded_ = false;
};

} // namespace publish
