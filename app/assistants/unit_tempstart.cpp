#include "unit_tempstart.h"

#include "app/dialogs/dialogbase.h"
#include "controls/zel/formslide.h"
#include "platform/textfile.h"

#include <QButtonGroup>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace assistants {

namespace {

const QString crlf = QStringLiteral("\r\n");
// The two empty lines around every region's text.
const QString twoBreaks = QStringLiteral("\r\n\r\n");

QString cell(const char *indent, const char *width, const QString &text)
{
    return QString::fromLatin1(indent) + QStringLiteral("<TD WIDTH=\"") + QString::fromLatin1(width) + QStringLiteral("\">") +
           twoBreaks + text + twoBreaks + QStringLiteral("</TD>");
}

QString block(const QString &cells)
{
    return QStringLiteral("<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"1\" WIDTH=\"100%\">") + crlf +
           QStringLiteral("  <TR>") + crlf + cells + QStringLiteral("  </TR>") + crlf + QStringLiteral("</TABLE>") + crlf;
}

QString fullWidth(const QString &text) { return block(cell("    ", "100%", text) + crlf); }

// A left region, the page's own place and a right region side by side.
QString threeCells(const QString &left, const QString &right)
{
    return block(cell("    ", "33%", left) + cell("    ", "33%", QStringLiteral("<!--TEXT HERE-->")) +
                 cell("   ", "34%", right) + crlf);
}

// Blocks that follow each other directly are two empty lines apart.
QString blocks(const QStringList &parts) { return parts.join(crlf + crlf); }

const char *regionCaption(TRegion r)
{
    switch (r) {
    case TRegion::Top:
        return "&Top:";
    case TRegion::Left:
        return "&Left:";
    case TRegion::Right:
        return "&Right:";
    case TRegion::Bottom:
        return "&Bottom:";
    }
    return "";
}

const char *regionName(TRegion r)
{
    switch (r) {
    case TRegion::Top:
        return "Top";
    case TRegion::Left:
        return "Left";
    case TRegion::Right:
        return "Right";
    case TRegion::Bottom:
        return "Bottom";
    }
    return "";
}

// Each layout slides in its own way.
const zel::TZELSlideeffects slideEffects[7] = {zel::efWipeLeftToRight, zel::efOpenHorizontalCurtain,
                                               zel::efVerticalInterlace, zel::efLTRBClosingCurtain,
                                               zel::efFadeDown,         zel::efWipeEffect1,
                                               zel::efScreenOff};

} // namespace

std::vector<TRegion> LayoutRegions(int layout)
{
    using R = TRegion;
    switch (layout) {
    case 1:
        return {R::Top};
    case 2:
        return {R::Top, R::Left};
    case 3:
        return {R::Top, R::Left, R::Right};
    case 4:
        return {R::Top, R::Left, R::Right, R::Bottom};
    case 5:
        return {R::Left, R::Right};
    case 6:
        return {R::Right, R::Bottom};
    case 7:
        return {R::Bottom};
    }
    return {};
}

QString DefaultRegionText()
{
    return QStringLiteral("Shared Border - Text Here\r\n\r\nNote! That you can also write HTML codes here.");
}

QString LayoutText(int layout, const std::function<QString(TRegion)> &region)
{
    using R = TRegion;
    switch (layout) {
    case 1:
        return fullWidth(region(R::Top));
    case 2:
        return blocks({fullWidth(region(R::Top)), block(cell("    ", "25%", region(R::Left)) + crlf)});
    case 3:
        return blocks({fullWidth(region(R::Top)), threeCells(region(R::Left), region(R::Right))});
    case 4:
        return blocks({fullWidth(region(R::Top)), threeCells(region(R::Left), region(R::Right)),
                       fullWidth(region(R::Bottom))});
    case 5:
        return threeCells(region(R::Left), region(R::Right));
    case 6:
        return block(QStringLiteral("    <TD WIDTH=\"75%\"><!-- Text here --></TD>") + crlf +
                     cell("    ", "25%", region(R::Right)) + crlf) +
               QStringLiteral("<p>&nbsp;</p>") + crlf + fullWidth(region(R::Bottom));
    case 7:
        return QStringLiteral("<!-- Text here -->") + crlf + fullWidth(region(R::Bottom));
    }
    return QString();
}

QString SharedBorderHead()
{
    return QStringLiteral("<HTML>\r\n<HEAD>\r\n<TITLE>Document Title</TITLE>\r\n"
                          "<META NAME=\"Generator\" CONTENT=\"Kestrova\">\r\n") +
           QLatin1String(platform::kUtf8Declaration) + QStringLiteral("\r\n</HEAD>\r\n<BODY>\r\n\r\n");
}

QString SharedBorderFoot()
{
    return QStringLiteral("\r\n<P ALIGN=\"CENTER\"><FONT FACE=\"Verdana\" SIZE=\"1\">This page was made with "
                          "<A HREF=\"http://www.kestrova.example/\">Kestrova 5</A></FONT></P>\r\n</BODY>\r\n</HTML>\r\n");
}

QPixmap LayoutPicture(int layout, QSize size)
{
    QPixmap pix(size);
    pix.fill(Qt::white);
    QPainter p(&pix);
    const int w = size.width(), h = size.height();
    const int band = h / 5, side = w / 4;
    const QColor region(128, 128, 128);
    const std::vector<TRegion> list = LayoutRegions(layout);
    const QList<TRegion> regions(list.begin(), list.end());
    const bool top = regions.contains(TRegion::Top), bottom = regions.contains(TRegion::Bottom);
    const int y0 = top ? band + 2 : 0, y1 = bottom ? h - band - 2 : h;
    if (top)
        p.fillRect(0, 0, w, band, region);
    if (bottom)
        p.fillRect(0, h - band, w, band, region);
    // Layout 2 has its left region as a band of its own under the top.
    if (layout == 2) {
        p.fillRect(0, y0, side, band, region);
    } else {
        if (regions.contains(TRegion::Left))
            p.fillRect(0, y0, side, y1 - y0, region);
        if (regions.contains(TRegion::Right))
            p.fillRect(w - side, y0, side, y1 - y0, region);
    }
    // The page's own text: short grey lines where it goes.
    const int tx0 = regions.contains(TRegion::Left) && layout != 2 ? side + 3 : 3;
    const int tx1 = regions.contains(TRegion::Right) ? w - side - 3 : w - 3;
    p.setPen(QColor(192, 192, 192));
    for (int y = (layout == 2 ? y0 + band + 3 : y0 + 3); y < y1 - 2; y += 4)
        p.drawLine(tx0, y, tx1, y);
    p.setPen(Qt::black);
    p.drawRect(0, 0, w - 1, h - 1);
    return pix;
}

TTempStart_Page::TTempStart_Page(int layout, QWidget *parent) : QWidget(parent), layout_(layout)
{
    setObjectName(QStringLiteral("TempStart_Page%1").arg(layout));
    setAutoFillBackground(true);
    auto *outer = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Layout %1: write code or text into the fields").arg(layout), this);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    outer->addWidget(title);
    for (TRegion r : LayoutRegions(layout)) {
        auto *memo = new QPlainTextEdit(this);
        memo->setObjectName(QString::fromLatin1(regionName(r)));
        memo->setTabChangesFocus(true);
        QString text = DefaultRegionText();
        memo->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        outer->addWidget(dialogs::BuddyLabel(QString::fromLatin1(regionCaption(r)), memo, this));
        outer->addWidget(memo, 1);
        memos_.emplace_back(r, memo);
    }
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    Ok = new QPushButton(QStringLiteral("&Ok"), this);
    Ok->setObjectName(QStringLiteral("Ok"));
    row->addWidget(Ok);
    outer->addLayout(row);
    connect(Ok, &QPushButton::clicked, this, [this] {
        if (OnOk)
            OnOk();
    });
}

QPlainTextEdit *TTempStart_Page::Region(TRegion region) const
{
    for (const auto &[r, memo] : memos_)
        if (r == region)
            return memo;
    return nullptr;
}

QString TTempStart_Page::Build() const
{
    return LayoutText(layout_, [this](TRegion r) {
        const QPlainTextEdit *memo = Region(r);
        return memo ? dialogs::MemoText(memo) : QString();
    });
}

TTempStart::TTempStart(QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags());
    setObjectName(QStringLiteral("TempStart"));
    setWindowTitle(QStringLiteral("Project - Shared Border"));
    auto *outer = new QVBoxLayout(this);
    auto *banner = new QLabel(QStringLiteral("Start a new project - Insert a shared Border"), this);
    banner->setObjectName(QStringLiteral("Banner"));
    QFont bold = banner->font();
    bold.setBold(true);
    banner->setFont(bold);
    outer->addWidget(banner);
    Help = new QLabel(QStringLiteral("1. Choose a layout and press \"Continue\".\n"
                                     "2. Write code or text into the empty fields and press \"Ok\": a new document "
                                     "opens with the page, and File > New starts from it until you close the "
                                     "shared border."),
                      this);
    Help->setObjectName(QStringLiteral("Help"));
    Help->setWordWrap(true);
    outer->addWidget(Help);

    auto *body = new QHBoxLayout;
    auto *choices = new QGridLayout;
    auto *group = new QButtonGroup(this);
    for (int i = 0; i < 7; ++i) {
        auto *radio = new QRadioButton(QStringLiteral("Layout &%1").arg(i + 1), this);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        group->addButton(radio);
        auto *picture = new QLabel(this);
        picture->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        picture->setPixmap(LayoutPicture(i + 1));
        choices->addWidget(radio, i, 0);
        choices->addWidget(picture, i, 1);
        RadioButtons[size_t(i)] = radio;
    }
    Continue = new QPushButton(QStringLiteral("&Continue"), this);
    Continue->setObjectName(QStringLiteral("Continue"));
    choices->addWidget(Continue, 7, 0, 1, 2);
    choices->setRowStretch(8, 1);
    body->addLayout(choices);

    // The seven panels lie in one place; only the chosen layout's is shown.
    auto *panels = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        auto *slide = new zel::TZELFormSlide(this);
        slide->setObjectName(QStringLiteral("ZELFormSlide%1").arg(i + 1));
        slide->SetSlideEffect(slideEffects[i]);
        slide->setFixedSize(380, 400);
        slide->hide();
        panels->addWidget(slide, 0, 0);
        Slides[size_t(i)] = slide;
    }
    // Keeps the place while no panel shows; below the panels, so that it never takes their clicks.
    auto *placeholder = new QWidget(this);
    placeholder->setFixedSize(380, 400);
    placeholder->setAttribute(Qt::WA_TransparentForMouseEvents);
    panels->addWidget(placeholder, 0, 0);
    placeholder->lower();
    body->addLayout(panels);
    outer->addLayout(body);
    connect(Continue, &QPushButton::clicked, this, &TTempStart::ContinueClick);
    FinishLoading();
}

TTempStart_Page *TTempStart::Page() const
{
    for (zel::TZELFormSlide *s : Slides)
        if (!s->isHidden())
            return qobject_cast<TTempStart_Page *>(s->CurrentForm());
    return nullptr;
}

void TTempStart::ContinueClick()
{
    for (size_t i = 0; i < Slides.size(); ++i) {
        if (!RadioButtons[i]->isChecked())
            continue;
        for (size_t j = 0; j < Slides.size(); ++j)
            Slides[j]->setVisible(j == i);
        zel::TZELFormSlide *slide = Slides[i];
        // A transition still running ends first, so the new page is never turned away.
        slide->Finish();
        auto *page = new TTempStart_Page(int(i) + 1);
        page->OnOk = [this, page] { pageOk(page); };
        slide->FreeOldForm = true;
        slide->ShowForm(page);
        return;
    }
}

void TTempStart::pageOk(TTempStart_Page *page)
{
    page_ = SharedBorderHead() + page->Build() + SharedBorderFoot();
    accept();
    if (OnStartPage)
        OnStartPage(page_);
}

} // namespace assistants
