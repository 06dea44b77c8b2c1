#include "speedbarsetup.h"

#include "controls/qv/qvutils.h"
#include "controls/speedbar/speedbar.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyledItemDelegate>

namespace speedbar {
namespace {

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(TSetupGrid *grid) : QStyledItemDelegate(grid), grid_(grid) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (grid_->OnDrawCell) {
            painter->save();
            grid_->OnDrawCell(*painter, option.rect, index.row(), option.state & QStyle::State_Selected);
            painter->restore();
        }
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return {grid_->viewport()->width(), grid_->RowHeight()};
    }

private:
    TSetupGrid *grid_;
};

int screenPixelsPerInch()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInch()) : 96;
}

// Cell background and text colours for a row.
void fillCell(QPainter &p, const QRect &rect, bool selected, const QPalette &pal)
{
    p.fillRect(rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
    p.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
}

// The face of an item's button as the bar would show it.
void loadButtonImage(qv::TButtonImage &image, TSpeedItem *item)
{
    TSpeedbarButton *b = item->Button();
    image.SetGlyph(b->Glyph());
    image.SetNumGlyphs(b->NumGlyphs());
    image.SetListImage(b->ButtonGlyph().ListImage());
    image.Caption = b->Caption();
    image.Alignment = b->Alignment();
    image.Layout = b->Layout();
    image.Margin = b->Margin();
    image.Spacing = b->Spacing();
    image.WordWrap = b->WordWrap();
    image.Font = b->font();
    if (const TSpeedBar *bar = item->SpeedBar())
        image.ButtonSize = QSize(bar->BtnWidth(), bar->BtnHeight());
}

} // namespace

// TBtnControl

TBtnControl::TBtnControl()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setCursor(qv::ScreenCursor(qv::crQVDrag));
}

TBtnControl::~TBtnControl() = default;

void TBtnControl::InitData(TSpeedItem *item)
{
    loadButtonImage(image_, item);
    resize(image_.ButtonSize);
}

void TBtnControl::Activate(QPoint topLeft)
{
    move(topLeft);
    if (isHidden())
        show();
    raise();
}

void TBtnControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    image_.Draw(p, 0, 0);
}

// TSetupGrid

TSetupGrid::TSetupGrid(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new CellDelegate(this));
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (OnSelectCell)
            OnSelectCell(row);
    });
}

void TSetupGrid::SetRowCount(int rows)
{
    clear();
    for (int i = 0; i < rows; ++i) {
        auto *item = new QListWidgetItem(this);
        item->setSizeHint(QSize(0, rowHeight_));
    }
}

void TSetupGrid::SetRowHeight(int height)
{
    rowHeight_ = std::max(1, height);
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(0, rowHeight_));
    doItemsLayout();
}

int TSetupGrid::RowAt(QPoint point) const
{
    const QListWidgetItem *it = itemAt(point);
    return it ? row(it) : -1;
}

void TSetupGrid::SetClientHeight(int height)
{
    setFixedHeight(height + 2 * frameWidth());
}

void TSetupGrid::mousePressEvent(QMouseEvent *e)
{
    QListWidget::mousePressEvent(e);
    const QPoint p = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TSetupGrid::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, e->modifiers(), p.x(), p.y());
    if (HoldsRow && HoldsRow())
        return;
    QListWidget::mouseMoveEvent(e);
}

void TSetupGrid::mouseReleaseEvent(QMouseEvent *e)
{
    QListWidget::mouseReleaseEvent(e);
    const QPoint p = e->position().toPoint();
    if (OnMouseUp)
        OnMouseUp(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TSetupGrid::focusInEvent(QFocusEvent *e)
{
    // Taking the focus chooses no row: the user does.
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

// TSpeedbarSetupWindow

std::function<void(int)> &TSpeedbarSetupWindow::ApplicationHelp()
{
    static std::function<void(int)> help;
    return help;
}

TSpeedbarSetupWindow::TSpeedbarSetupWindow(QWidget *parent)
    : FormOf<QWidget>(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                  Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("SpeedbarSetupWindow"));
    ButtonsList = new TSetupGrid(this);
    ButtonsList->setObjectName(QStringLiteral("ButtonsList"));
    ButtonsLabel = new QLabel(this);
    ButtonsLabel->setObjectName(QStringLiteral("ButtonsLabel"));
    ButtonsLabel->setBuddy(ButtonsList);
    SectionList = new TSetupGrid(this);
    SectionList->setObjectName(QStringLiteral("SectionList"));
    CategoriesLabel = new QLabel(this);
    CategoriesLabel->setObjectName(QStringLiteral("CategoriesLabel"));
    CategoriesLabel->setBuddy(SectionList);
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    HintLabel = new QLabel(this);
    HintLabel->setObjectName(QStringLiteral("HintLabel"));
    HintLabel->setWordWrap(true);
    HintLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    CloseBtn = new QPushButton(this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    HelpBtn = new QPushButton(this);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    HelpBtn->setVisible(false);

    CloseBtn->setAutoDefault(false);
    CloseBtn->setDefault(false);
    HelpBtn->setAutoDefault(false);
    CloseBtn->setText(QStringLiteral("OK"));
    HelpBtn->setText(QStringLiteral("&Help"));
    setWindowTitle(QStringLiteral("Customize Speedbar"));
    CategoriesLabel->setText(QStringLiteral("&Categories:"));
    ButtonsLabel->setText(QStringLiteral("&Available buttons:"));
    HintLabel->setText(QStringLiteral("To add command buttons, drag and drop buttons onto the SpeedBar. To remove "
                                      "command buttons, drag them off of the SpeedBar."));
    setFixedSize(421, 262);

    // The close button is the cancel button: Escape presses it.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, CloseBtn, &QPushButton::click);
    connect(CloseBtn, &QPushButton::clicked, this, [this] { close(); });
    connect(HelpBtn, &QPushButton::clicked, this, [this] {
        if (ApplicationHelp())
            ApplicationHelp()(helpContext_);
    });
    SectionList->OnDrawCell = [this](QPainter &p, const QRect &r, int row, bool sel) {
        sectionListDrawCell(p, r, row, sel);
    };
    SectionList->OnSelectCell = [this](int) { fillButtons(); };
    ButtonsList->OnDrawCell = [this](QPainter &p, const QRect &r, int row, bool sel) {
        buttonsListDrawCell(p, r, row, sel);
    };
    ButtonsList->OnSelectCell = [this](int) {
        const TSpeedItem *item = CurrentItem();
        setToolTip(item ? qv::GetShortHint(item->Hint()) : QString());
    };
    ButtonsList->OnMouseDown = [this](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        buttonsListMouseDown(b, x, y);
    };
    ButtonsList->OnMouseMove = [this](QObject *, Qt::KeyboardModifiers, int x, int y) { buttonsListMouseMove(x, y); };
    ButtonsList->OnMouseUp = [this](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        buttonsListMouseUp(b, x, y);
    };
    ButtonsList->HoldsRow = [this] { return mouseDown_; };
    OnClose = [this](QObject *, platform::TCloseAction &action) {
        formClose();
        action = platform::caFree;
    };
    layoutControls();
    FinishLoading();
}

TSpeedbarSetupWindow::~TSpeedbarSetupWindow()
{
    freeDragImage();
    if (TSpeedBar *bar = bar_) {
        bar_ = nullptr;
        bar->SetCustomizeWindow(nullptr);
    }
}

void TSpeedbarSetupWindow::SetSpeedBar(TSpeedBar *bar)
{
    if (bar == bar_)
        return;
    if (TSpeedBar *old = bar_) {
        bar_ = nullptr;
        old->SetCustomizeWindow(nullptr);
    }
    bar_ = bar;
    if (bar) {
        bar->SetCustomizeWindow(this);
        ComputeSizes();
    }
    fillSections(-1);
}

void TSpeedbarSetupWindow::SetHelpContext(int context)
{
    helpContext_ = context;
    HelpBtn->setVisible(context >= 1);
    layoutControls();
}

TSpeedItem *TSpeedbarSetupWindow::ItemAt(int row) const
{
    return bar_ ? bar_->Item(SectionList->Row(), row) : nullptr;
}

TSpeedItem *TSpeedbarSetupWindow::CurrentItem() const
{
    return ItemAt(ButtonsList->Row());
}

void TSpeedbarSetupWindow::ComputeSizes()
{
    ButtonsList->setFont(font());
    SectionList->setFont(font());
    const int maxHeight = (186 * screenPixelsPerInch() + 48) / 96;
    const int rowHeight = (bar_ ? bar_->BtnHeight() : 23) + 2;
    ButtonsList->SetRowHeight(rowHeight);
    const int rows = std::max(1, std::max(ButtonsList->ClientHeight(), maxHeight) / rowHeight);
    const int clientHeight = std::min(maxHeight, rowHeight * rows);
    ButtonsList->SetClientHeight(clientHeight);
    SectionList->SetClientHeight(clientHeight);
    SectionList->SetRowHeight(QFontMetrics(font()).boundingRect(QStringLiteral("Wg")).height() + 2);
    layoutControls();
}

void TSpeedbarSetupWindow::layoutControls()
{
    const int top = 22;
    CategoriesLabel->setGeometry(8, 4, 128, 16);
    ButtonsLabel->setGeometry(144, 4, 269, 16);
    SectionList->setGeometry(8, top, 128, SectionList->height());
    ButtonsList->setGeometry(144, top, 269, ButtonsList->height());
    const int below = top + std::max(SectionList->height(), ButtonsList->height()) + 6;
    const int room = std::max(24, height() - below - 6);
    Bevel1->setGeometry(8, below, 322, room);
    HintLabel->setGeometry(Bevel1->geometry().adjusted(6, 2, -6, -2));
    CloseBtn->setGeometry(338, below, 75, 24);
    HelpBtn->setGeometry(338, below + 28, 75, 24);
}

void TSpeedbarSetupWindow::showEvent(QShowEvent *e)
{
    if (!e->spontaneous()) {
        if (bar_)
            ComputeSizes();
        // Centred on the screen the first time.
        if (!property("k5Placed").toBool()) {
            setProperty("k5Placed", true);
            if (const QScreen *s = screen())
                move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        }
        SectionList->setFocus();
    }
    FormOf<QWidget>::showEvent(e);
}

bool TSpeedbarSetupWindow::event(QEvent *e)
{
    if (e->type() == QEvent::Type(TSetupNoticeEvent::Type)) {
        const auto *notice = static_cast<TSetupNoticeEvent *>(e);
        if (notice->code == snMoved || notice->subject != bar_)
            return true;
        switch (notice->code) {
        case snDropped: fillSections(SectionList->Row()); break;
        case snBarGoing: close(); break;
        case snSizesChanged: ComputeSizes(); break;
        default: break;
        }
        return true;
    }
    return FormOf<QWidget>::event(e);
}

void TSpeedbarSetupWindow::fillSections(int keep)
{
    const int rows = bar_ ? bar_->SectionCount() : 0;
    const int buttonRow = ButtonsList->Row();
    SectionList->SetRowCount(rows);
    if (keep >= 0 && keep < rows) {
        SectionList->setCurrentRow(keep);
        if (buttonRow >= 0 && buttonRow < ButtonsList->RowCount())
            ButtonsList->setCurrentRow(buttonRow);
    } else {
        fillButtons();
    }
}

void TSpeedbarSetupWindow::fillButtons()
{
    const int section = SectionList->Row();
    ButtonsList->SetRowCount(bar_ ? bar_->ItemsCount(section) : 0);
    setToolTip(QString());
}

void TSpeedbarSetupWindow::sectionListDrawCell(QPainter &p, const QRect &rect, int row, bool selected)
{
    fillCell(p, rect, selected, SectionList->palette());
    const TSpeedbarSection *s = bar_ ? bar_->Section(row) : nullptr;
    if (s)
        p.drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, s->Caption());
}

void TSpeedbarSetupWindow::buttonsListDrawCell(QPainter &p, const QRect &rect, int row, bool selected)
{
    fillCell(p, rect, selected, ButtonsList->palette());
    TSpeedItem *item = ItemAt(row);
    if (!item || !bar_)
        return;
    const QPen textPen = p.pen();
    loadButtonImage(image_, item);
    image_.Draw(p, rect.left(), rect.top() + (rect.height() - bar_->BtnHeight()) / 2);
    p.setPen(textPen);
    p.setFont(ButtonsList->font());
    const QRect text(rect.left() + bar_->BtnWidth() + 3, rect.top(), rect.width() - bar_->BtnWidth() - 3, rect.height());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item->Caption());
}

void TSpeedbarSetupWindow::freeDragImage()
{
    delete dragImage_;
    dragImage_ = nullptr;
}

void TSpeedbarSetupWindow::buttonsListMouseDown(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton || !bar_ || x >= bar_->BtnWidth() + 2)
        return;
    mouseDown_ = true;
    TSpeedItem *item = ItemAt(ButtonsList->RowAt(QPoint(x, y)));
    // An item already on the bar is moved on the bar itself.
    if (item && !item->Visible()) {
        dragItem_ = item;
        freeDragImage();
        dragImage_ = new TBtnControl;
        dragImage_->InitData(item);
    }
}

void TSpeedbarSetupWindow::buttonsListMouseMove(int x, int y)
{
    if (dragItem_ && dragImage_) {
        const QPoint global = ButtonsList->viewport()->mapToGlobal(QPoint(x, y));
        dragImage_->Activate(global - QPoint(dragImage_->width(), dragImage_->height()));
    } else if (mouseDown_) {
        ButtonsList->viewport()->setCursor(Qt::ForbiddenCursor);
    }
}

void TSpeedbarSetupWindow::buttonsListMouseUp(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    if (!dragItem_ || !dragImage_) {
        ButtonsList->viewport()->unsetCursor();
    } else {
        const QPoint drop =
            ButtonsList->viewport()->mapToGlobal(QPoint(x, y)) - QPoint(dragImage_->width(), dragImage_->height());
        freeDragImage();
        QWidget *target = QApplication::widgetAt(drop);
        while (target && target != bar_ && !target->isWindow())
            target = target->parentWidget();
        if (target && target == bar_ && bar_->PlaceItem(dragItem_, bar_->mapFromGlobal(drop)))
            ButtonsList->viewport()->update();
    }
    mouseDown_ = false;
    dragItem_ = nullptr;
}

void TSpeedbarSetupWindow::formClose()
{
    freeDragImage();
    if (TSpeedBar *bar = bar_) {
        bar_ = nullptr;
        bar->SetCustomizeWindow(nullptr);
    }
}

} // namespace speedbar
