#pragma once
// "Project - Shared Border": the user picks one of seven page layouts, fills in its regions (top, left,
// right, bottom) on the layout's own page, which slides in, and gets a new document holding the whole
// page; every further File > New repeats it until the shared border is closed.
#include "platform/form.h"

#include <QDialog>
#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace zel {
class TZELFormSlide;
}

namespace assistants {

// The regions a layout has, in the order its page shows them.
enum class TRegion { Top, Left, Right, Bottom };
std::vector<TRegion> LayoutRegions(int layout);
// What every region holds at first.
QString DefaultRegionText();
// The text of a layout (1 to 7) with the given region texts (CR LF line ends); empty for another number.
QString LayoutText(int layout, const std::function<QString(TRegion)> &region);

// The page a layout's text is framed by.
QString SharedBorderHead();
QString SharedBorderFoot();

// A small picture of a layout: grey regions around the page's own place.
QPixmap LayoutPicture(int layout, QSize size = QSize(64, 48));

// One layout's page: a memo per region and "&Ok".
class TTempStart_Page : public QWidget {
    Q_OBJECT
public:
    TTempStart_Page(int layout, QWidget *parent = nullptr);
    int Layout() const { return layout_; }
    QPlainTextEdit *Region(TRegion region) const;
    // The layout's text from the memos.
    QString Build() const;
    QPushButton *Ok = nullptr;
    std::function<void()> OnOk;

private:
    int layout_;
    std::vector<std::pair<TRegion, QPlainTextEdit *>> memos_;
};

class TTempStart : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TTempStart(QWidget *parent = nullptr);

    std::array<QRadioButton *, 7> RadioButtons{};
    std::array<zel::TZELFormSlide *, 7> Slides{};
    QPushButton *Continue = nullptr;
    QLabel *Help = nullptr;
    // The page shown now (null before the first Continue).
    TTempStart_Page *Page() const;

    // Shows the page of the first checked layout in its own panel; nothing when none is checked.
    void ContinueClick();
    // The whole page a layout page's Ok gives: head, layout text and foot.
    QString PageText() const { return page_; }

    // A page was made: the window has closed and hands the page on for new documents.
    std::function<void(const QString &page)> OnStartPage;

private:
    void pageOk(TTempStart_Page *page);
    QString page_;
};

} // namespace assistants
