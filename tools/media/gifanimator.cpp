#include "gifanimator.h"

#include "controls/qv/qvcomboedit.h"
#include "controls/qv/qvdrawgrid.h"
#include "controls/qv/qvinifiles.h"
#include "controls/qv/qvplacement.h"
#include "controls/qv/qvslider.h"
#include "controls/speedbar/speedbar.h"
#include "controls/qv/qvhint.h"
#include "controls/qv/qvspin.h"
#include "controls/qv/qvstoppable.h"
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvgifanimator.h"
#include "graphics/qv/qvreduce.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/graphics/clipboard.h"
#include "platform/graphics/picture.h"
#include "platform/meminfo.h"
#include "platform/memotext.h"
#include "platform/shell/filedialogs.h"
#include "platform/shell/shell.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>

namespace media {

namespace {

const QString kTitle = QStringLiteral("QV Gif Animator");
const QString kGIFFilter = QStringLiteral("GIF Image (*.gif)|*.gif");

QRgb rgbOf(platform::Color c) { return platform::ToQRgb(c) & 0x00FFFFFFu; }

QVector<QRgb> tableColours(const gfx::TGIFColorTable &t)
{
    QVector<QRgb> out;
    for (int i = 0; i < t.Count; ++i)
        out.append(rgbOf(t.Color(i)));
    return out;
}

QString colourText(platform::Color c)
{
    return c == platform::clNone ? QString() : QColor(rgbOf(c)).name();
}

// A paint box with a click.
class TThumbBox : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void(QPainter &)> OnPaint;
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        if (OnPaint)
            OnPaint(p);
    }
    void mousePressEvent(QMouseEvent *) override
    {
        if (OnClick)
            OnClick();
    }
};

QLabel *label(QWidget *parent, const QString &text, const QString &name = QString())
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name.isEmpty() ? QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed() : name);
    return l;
}

qv::TQvSpinEdit *spin(QWidget *parent, const QString &name, int min, int max)
{
    auto *s = new qv::TQvSpinEdit(parent);
    s->setObjectName(name);
    s->SetMinValue(min);
    s->SetMaxValue(max);
    return s;
}

qv::TComboEdit *colourEdit(QWidget *parent, const QString &name)
{
    auto *e = new qv::TComboEdit(parent);
    e->setObjectName(name);
    e->SetDirectInput(false);
    e->SetGlyph(qv::EllipsisGlyph(e->ButtonWidth()));
    return e;
}

// Draws one of the editor's pictures into a 16 x 16 cell.
void drawGlyph(QPainter &p, const QString &c)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPen outline(QColor(0, 0, 0));
    auto page = [&](int x, int y, int w, int h) {
        p.setPen(outline);
        p.setBrush(Qt::white);
        p.drawRect(x, y, w, h);
        p.setPen(QColor(128, 128, 128));
        for (int ly = y + 3; ly < y + h - 1; ly += 2)
            p.drawLine(x + 2, ly, x + w - 2, ly);
    };
    auto arrow = [&](bool up) {
        p.setPen(outline);
        p.setBrush(QColor(0, 160, 0));
        const QPolygon head = up ? QPolygon({QPoint(8, 1), QPoint(14, 8), QPoint(2, 8)})
                                 : QPolygon({QPoint(8, 14), QPoint(14, 7), QPoint(2, 7)});
        p.drawPolygon(head);
        p.drawRect(up ? QRect(5, 8, 6, 6) : QRect(5, 1, 6, 6));
    };
    if (c == QLatin1String("New")) {
        page(3, 1, 10, 14);
    } else if (c == QLatin1String("Open")) {
        p.setPen(outline);
        p.setBrush(QColor(230, 200, 60));
        p.drawRect(1, 4, 13, 10);
        p.drawRect(1, 2, 5, 2);
        p.setBrush(QColor(250, 230, 120));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 14), QPoint(1, 14)}));
    } else if (c == QLatin1String("Save") || c == QLatin1String("Save As")) {
        p.setPen(outline);
        p.setBrush(QColor(40, 60, 170));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(4, 9, 7, 5);
        if (c == QLatin1String("Save As")) {
            p.setPen(QPen(QColor(200, 0, 0), 2));
            p.drawLine(9, 14, 15, 8);
        }
    } else if (c == QLatin1String("Insert")) {
        page(1, 1, 10, 14);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 150, 0));
        p.drawRect(9, 7, 6, 2);
        p.drawRect(11, 5, 2, 6);
    } else if (c == QLatin1String("Cut")) {
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.drawLine(5, 1, 10, 10);
        p.drawLine(10, 1, 5, 10);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 160), 1));
        p.drawEllipse(1, 10, 4, 4);
        p.drawEllipse(10, 10, 4, 4);
    } else if (c == QLatin1String("Copy")) {
        page(1, 1, 8, 10);
        page(6, 5, 8, 10);
    } else if (c == QLatin1String("Paste")) {
        p.setPen(outline);
        p.setBrush(QColor(160, 110, 50));
        p.drawRect(1, 2, 11, 13);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(4, 1, 5, 2);
        page(7, 6, 8, 9);
    } else if (c == QLatin1String("Delete")) {
        p.setPen(QPen(QColor(200, 0, 0), 3));
        p.drawLine(3, 3, 12, 12);
        p.drawLine(12, 3, 3, 12);
    } else if (c == QLatin1String("Move Up")) {
        arrow(true);
    } else if (c == QLatin1String("Move Down")) {
        arrow(false);
    } else if (c == QLatin1String("Grayscale")) {
        for (int x = 0; x < 13; ++x) {
            p.setPen(QColor(x * 20, x * 20, x * 20));
            p.drawLine(x + 1, 2, x + 1, 13);
        }
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawRect(1, 2, 13, 11);
    } else if (c == QLatin1String("Preview")) {
        p.setPen(outline);
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(1, 2, 13, 11);
        p.setBrush(QColor(255, 255, 255));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygon({QPoint(5, 4), QPoint(11, 8), QPoint(5, 12)}));
    } else if (c == QLatin1String("About")) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(outline);
        p.setBrush(QColor(30, 80, 200));
        p.drawEllipse(1, 1, 13, 13);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(7, 3, 2, 2);
        p.drawRect(7, 6, 2, 6);
    }
}

} // namespace

QImage AnimatorGlyph(const QString &caption)
{
    QImage up(16, 16, QImage::Format_ARGB32);
    up.fill(0);
    {
        QPainter p(&up);
        drawGlyph(p, caption);
    }
    QImage strip(32, 16, QImage::Format_ARGB32);
    strip.fill(0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb c = up.pixel(x, y);
            strip.setPixel(x, y, c);
            if (qAlpha(c)) {
                const int g = 128 + qGray(c) / 2;
                strip.setPixel(16 + x, y, qRgb(g, g, g));
            }
        }
    return strip;
}

QString FreeMemoryText(const QByteArray &meminfo)
{
    qint64 free = platform::MemInfoValue(meminfo, "MemAvailable");
    if (free < 0)
        free = platform::MemInfoValue(meminfo, "MemFree");
    if (free < 0)
        return QStringLiteral("? KB");
    QLocale grouped;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    return QStringLiteral("%1 KB").arg(grouped.toString(free));
}

int MemoryLoad(const QByteArray &meminfo)
{
    const qint64 total = platform::MemInfoValue(meminfo, "MemTotal");
    qint64 free = platform::MemInfoValue(meminfo, "MemAvailable");
    if (free < 0)
        free = platform::MemInfoValue(meminfo, "MemFree");
    if (total <= 0 || free < 0 || free > total)
        return -1;
    return int(100 * (total - free) / total);
}

// The palette window.

TPaletteForm::TPaletteForm(QWidget *owner, const QVector<QRgb> &colours, QRgb colour)
    : QDialog(owner), colours_(colours), given_(colour & 0x00FFFFFFu)
{
    setObjectName(QStringLiteral("PaletteForm"));
    setWindowTitle(QStringLiteral("Palette"));
    for (QRgb &c : colours_)
        c &= 0x00FFFFFFu;
    const int n = int(colours_.size());
    columns_ = n > 16 ? 16 : 8;
    cell_ = n > 16 ? 18 : 31;
    const int rows = n > 16 ? (n + 15) / 16 : 2;
    PaletteGrid = new qv::TQvDrawGrid(this);
    PaletteGrid->setObjectName(QStringLiteral("PaletteGrid"));
    PaletteGrid->SetFixedCols(0);
    PaletteGrid->SetFixedRows(0);
    PaletteGrid->SetColCount(columns_);
    PaletteGrid->SetRowCount(rows);
    PaletteGrid->SetDefaultColWidth(cell_);
    PaletteGrid->SetDefaultRowHeight(cell_);
    PaletteGrid->OnDrawCell = [this](QObject *, int col, int row, QPainter &p, const QRect &r, qv::TGridDrawState state) {
        const int i = row * columns_ + col;
        p.fillRect(r, i < colours_.size() ? QColor(colours_[i]) : palette().color(QPalette::Button));
        if (state & qv::gdSelected) {
            p.setPen(QPen(Qt::black, 2));
            p.drawRect(r.adjusted(1, 1, -1, -1));
        }
    };
    PaletteGrid->OnSelectCell = [this](QObject *, int col, int row, bool &can) { can = row * columns_ + col < colours_.size(); };
    // Room for every cell and its grid line; a table of more than 16 rows scrolls.
    const int extra = 2 * PaletteGrid->frameWidth() + 2;
    const int shown = std::min(rows, 16);
    const int bar = rows > shown ? PaletteGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    PaletteGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PaletteGrid->setVerticalScrollBarPolicy(rows > shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    PaletteGrid->setFixedSize(columns_ * (cell_ + 1) + extra + bar, shown * (cell_ + 1) + extra);
    // The nearest entry to the colour is chosen first.
    int best = 0;
    qint64 bestDistance = -1;
    for (int i = 0; i < n; ++i) {
        const QRgb c = colours_[i];
        const qint64 dr = qRed(c) - qRed(given_), dg = qGreen(c) - qGreen(given_), db = qBlue(c) - qBlue(given_);
        const qint64 d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    if (n)
        PaletteGrid->FocusCell(best % columns_, best / columns_);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PaletteGrid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

int TPaletteForm::Selected() const
{
    const int i = PaletteGrid->Row() * columns_ + PaletteGrid->Col();
    return i >= 0 && i < colours_.size() ? i : -1;
}

QRgb TPaletteForm::Result() const
{
    const int i = Selected();
    return i < 0 ? given_ : colours_[i];
}

QRgb TPaletteForm::Execute(QWidget *owner, const QVector<QRgb> &colours, QRgb colour, bool *accepted)
{
    TPaletteForm form(owner, colours, colour);
    const bool ok = platform::ShowModal(&form) == QDialog::Accepted;
    if (accepted)
        *accepted = ok;
    return ok ? form.Result() : (colour & 0x00FFFFFFu);
}

// The preview window.

TPreviewForm::TPreviewForm(QWidget *owner, const gfx::TGIFImage &image) : QDialog(owner)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Preview"));
    Animator = new gfx::TQvGIFAnimator(this);
    Animator->setObjectName(QStringLiteral("Animator"));
    Animator->SetImage(&image);
    Animator->SetLoop(image.Looping());
    auto tool = [this](const QString &name, const QString &text, QStyle::StandardPixmap icon) {
        auto *b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(text);
        b->setIcon(style()->standardIcon(icon));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    PlayBtn = tool(QStringLiteral("PlayBtn"), QStringLiteral("Play"), QStyle::SP_MediaPlay);
    StopBtn = tool(QStringLiteral("StopBtn"), QStringLiteral("Stop"), QStyle::SP_MediaStop);
    RewindBtn = tool(QStringLiteral("RewindBtn"), QStringLiteral("Rewind"), QStyle::SP_MediaSkipBackward);
    BackBtn = tool(QStringLiteral("BackBtn"), QStringLiteral("Back One Frame"), QStyle::SP_MediaSeekBackward);
    ForwardBtn = tool(QStringLiteral("ForwardBtn"), QStringLiteral("Forward One Frame"), QStyle::SP_MediaSeekForward);
    FastForwardBtn = tool(QStringLiteral("FastForwardBtn"), QStringLiteral("Fast Forward"), QStyle::SP_MediaSkipForward);
    FrameSlider = new qv::TQvSlider(this);
    FrameSlider->setObjectName(QStringLiteral("FrameSlider"));
    FrameSlider->SetRange(0, std::max(0, image.Count() - 1));
    FrameSlider->setFixedHeight(30);
    FrameLabel = new QLabel(this);
    FrameLabel->setObjectName(QStringLiteral("FrameLabel"));
    auto *bar = new QHBoxLayout;
    for (QToolButton *b : {PlayBtn, StopBtn, RewindBtn, BackBtn, ForwardBtn, FastForwardBtn})
        bar->addWidget(b);
    bar->addStretch();
    bar->addWidget(FrameLabel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(FrameSlider);
    layout->addWidget(Animator, 1);

    connect(PlayBtn, &QToolButton::clicked, this, [this] { Play(); });
    connect(StopBtn, &QToolButton::clicked, this, [this] { Stop(); });
    connect(RewindBtn, &QToolButton::clicked, this, [this] { Rewind(); });
    connect(BackBtn, &QToolButton::clicked, this, [this] { BackOne(); });
    connect(ForwardBtn, &QToolButton::clicked, this, [this] { ForwardOne(); });
    connect(FastForwardBtn, &QToolButton::clicked, this, [this] { FastForward(); });
    FrameSlider->OnChange = [this](QObject *) {
        if (!updating_ && FrameSlider->Value() != Animator->FrameIndex())
            Animator->SetFrameIndex(FrameSlider->Value());
    };
    Animator->OnFrameChanged = [this](QObject *) { showFrame(); };
    Animator->OnStart = [this](QObject *) { updateButtons(); };
    Animator->OnStop = [this](QObject *) { updateButtons(); };

    // The image plus the bar, at least 270 x 70 and at most the screen.
    const QSize screen = (owner && owner->screen() ? owner->screen() : QApplication::primaryScreen())->availableSize();
    const int barHeight = std::max(PlayBtn->sizeHint().height(), 24) + FrameSlider->height() + layout->spacing() +
                          2 * layout->contentsMargins().top();
    QSize want(image.ScreenWidth() + 2 * layout->contentsMargins().left(), image.ScreenHeight() + barHeight + layout->spacing());
    want = want.expandedTo(QSize(270, 70)).expandedTo(QSize(bar->minimumSize().width() + 24, 70)).boundedTo(screen);
    resize(want);
    showFrame();
    updateButtons();
}

TPreviewForm::~TPreviewForm()
{
    Animator->OnFrameChanged = nullptr;
    Animator->OnStart = nullptr;
    Animator->OnStop = nullptr;
    Animator->SetAnimate(false);
}

void TPreviewForm::showFrame()
{
    updating_ = true;
    FrameSlider->SetValue(Animator->FrameIndex());
    updating_ = false;
    FrameLabel->setText(QStringLiteral("Frame:   %1").arg(Animator->FrameIndex() + 1));
}

void TPreviewForm::updateButtons()
{
    const int count = Animator->Image()->Count();
    PlayBtn->setEnabled(!Animator->Animate() && count > 1);
    StopBtn->setEnabled(Animator->Animate());
    for (QToolButton *b : {RewindBtn, BackBtn, ForwardBtn, FastForwardBtn})
        b->setEnabled(count > 1);
}

void TPreviewForm::Play()
{
    if (Animator->Image()->Count() > 1)
        Animator->SetAnimate(true);
    updateButtons();
}

void TPreviewForm::Stop()
{
    Animator->SetAnimate(false);
    updateButtons();
}

void TPreviewForm::Rewind() { Animator->SetFrameIndex(0); }

void TPreviewForm::BackOne()
{
    const int count = Animator->Image()->Count(), i = Animator->FrameIndex();
    if (i > 0)
        Animator->SetFrameIndex(i - 1);
    else if (Animator->Image()->Looping() && count > 1)
        Animator->SetFrameIndex(count - 1);
}

void TPreviewForm::ForwardOne()
{
    const int count = Animator->Image()->Count(), i = Animator->FrameIndex();
    if (i < count - 1)
        Animator->SetFrameIndex(i + 1);
    else if (Animator->Image()->Looping() && count > 1)
        Animator->SetFrameIndex(0);
}

void TPreviewForm::FastForward() { Animator->SetFrameIndex(std::max(0, Animator->Image()->Count() - 1)); }

void TPreviewForm::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F9:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Play();
        return;
    case Qt::Key_Escape:
        if (Animator->Animate())
            Stop();
        else
            reject();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TPreviewForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Play();
}

// The about box.

namespace {

// What failed on a file, naming the file once: the file reader's own message already names it.
QString FailedOn(const QString &what, const QString &fileName, const platform::Error &e)
{
    if (dynamic_cast<const platform::FileError *>(&e))
        return e.message();
    return QStringLiteral("Cannot %1 \"%2\": %3").arg(what, fileName, e.message());
}

class TGifAboutBox : public QDialog {
public:
    explicit TGifAboutBox(QWidget *owner) : QDialog(owner)
    {
        setObjectName(QStringLiteral("GifAboutBox"));
        setWindowTitle(QStringLiteral("QV GIF Animator"));
        const QByteArray meminfo = platform::ReadMemInfo();
        auto *icon = new QLabel(this);
        icon->setPixmap(QApplication::windowIcon().pixmap(32, 32).isNull()
                            ? QPixmap::fromImage(AnimatorGlyph(QStringLiteral("Preview")).copy(0, 0, 16, 16).scaled(32, 32))
                            : QApplication::windowIcon().pixmap(32, 32));
        auto *grid = new QGridLayout;
        grid->addWidget(icon, 0, 0, 2, 1);
        grid->addWidget(label(this, QStringLiteral("QV GIF Animator"), QStringLiteral("ProductName")), 0, 1, 1, 2);
        grid->addWidget(label(this, QStringLiteral("Version %1.%2").arg(1).arg(0, 2, 10, QLatin1Char('0')), QStringLiteral("Version")),
                        1, 1, 1, 2);
        grid->addWidget(label(this, QStringLiteral("Physical Memory:")), 2, 1);
        grid->addWidget(label(this, FreeMemoryText(meminfo), QStringLiteral("PhysMem")), 2, 2);
        grid->addWidget(label(this, QStringLiteral("Memory Load:")), 3, 1);
        const int load = MemoryLoad(meminfo);
        grid->addWidget(label(this, load < 0 ? QStringLiteral("? %") : QStringLiteral("%1 %").arg(load), QStringLiteral("MemLoad")), 3, 2);
        auto *ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("OKButton"));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        auto *layout = new QVBoxLayout(this);
        layout->addLayout(grid);
        layout->addWidget(ok, 0, Qt::AlignHCenter);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
};

} // namespace

// The editor.

TAnimatorForm::TAnimatorForm(QWidget *owner) : image_(std::make_unique<gfx::TGIFImage>())
{
    setParent(owner, Qt::Dialog);
    setObjectName(QStringLiteral("AnimatorForm"));
    setWindowTitle(kTitle);
    work_ = new qv::TStoppableWork(this);
    // The editor's hints, and from now on every hint of the program, come in our hint window.
    qv::SetHintStyle(qv::hsRectangle, 3, false, qv::taCenter);

    auto *top = new QWidget(this);
    SpeedBar1 = new speedbar::TSpeedBar(top);
    SpeedBar1->setObjectName(QStringLiteral("SpeedBar1"));
    SpeedBar1->SetOptions(speedbar::sbGrayedBtns | speedbar::sbFlatBtns | speedbar::sbTransparentBtns);
    SpeedBar1->SetBtnWidth(25);
    SpeedBar1->SetBtnHeight(25);
    for (const char *name : {"File", "Edit", "Image", "Help"}) {
        auto *section = new speedbar::TSpeedbarSection(this);
        section->SetCaption(QString::fromLatin1(name));
        SpeedBar1->AddSection(section);
    }
    int left = 4;
    auto item = [&](const char *section, const QString &name, const QString &caption, void (TAnimatorForm::*click)()) {
        auto *it = new speedbar::TSpeedItem(this);
        it->setObjectName(name);
        it->SetCaption(caption);
        it->SetHint(caption + QLatin1Char('|'));
        it->SetGlyph(AnimatorGlyph(caption));
        it->SetNumGlyphs(2);
        it->OnClick = [this, click](QObject *) {
            if (!work_->Busy())
                (this->*click)();
        };
        SpeedBar1->AddItem(SpeedBar1->SearchSection(QString::fromLatin1(section)), it);
        it->SetLeft(left);
        it->SetTop(2);
        it->SetVisible(true);
        left += SpeedBar1->BtnWidth();
        return it;
    };
    NewBtn = item("File", QStringLiteral("NewBtn"), QStringLiteral("New"), &TAnimatorForm::NewClick);
    OpenBtn = item("File", QStringLiteral("OpenBtn"), QStringLiteral("Open"), &TAnimatorForm::OpenClick);
    SaveBtn = item("File", QStringLiteral("SaveBtn"), QStringLiteral("Save"), &TAnimatorForm::SaveClick);
    SaveAsBtn = item("File", QStringLiteral("SaveAsBtn"), QStringLiteral("Save As"), &TAnimatorForm::SaveAsClick);
    InsertBtn = item("File", QStringLiteral("InsertBtn"), QStringLiteral("Insert"), &TAnimatorForm::InsertClick);
    left += 8;
    CutBtn = item("Edit", QStringLiteral("CutBtn"), QStringLiteral("Cut"), &TAnimatorForm::CutClick);
    CopyBtn = item("Edit", QStringLiteral("CopyBtn"), QStringLiteral("Copy"), &TAnimatorForm::CopyClick);
    PasteBtn = item("Edit", QStringLiteral("PasteBtn"), QStringLiteral("Paste"), &TAnimatorForm::PasteClick);
    DeleteBtn = item("Edit", QStringLiteral("DeleteBtn"), QStringLiteral("Delete"), &TAnimatorForm::DeleteClick);
    left += 8;
    MoveUpBtn = item("Image", QStringLiteral("MoveUpBtn"), QStringLiteral("Move Up"), &TAnimatorForm::MoveUpClick);
    MoveDownBtn = item("Image", QStringLiteral("MoveDownBtn"), QStringLiteral("Move Down"), &TAnimatorForm::MoveDownClick);
    GrayscaleBtn = item("Image", QStringLiteral("GrayscaleBtn"), QStringLiteral("Grayscale"), &TAnimatorForm::GrayscaleClick);
    PreviewBtn = item("Image", QStringLiteral("PreviewBtn"), QStringLiteral("Preview"), &TAnimatorForm::PreviewClick);
    left += 8;
    AboutBtn = item("Help", QStringLiteral("AboutBtn"), QStringLiteral("About"), &TAnimatorForm::AboutClick);
    top->setFixedHeight(SpeedBar1->BtnHeight() + 8);
    SpeedBar1->setGeometry(0, 0, left + 8, SpeedBar1->BtnHeight() + 6);

    // Thumbnails.
    auto *thumbRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QFrame(this);
        panel->setObjectName(QStringLiteral("ThumbPanel%1").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        auto *box = new TThumbBox(panel);
        box->setObjectName(QStringLiteral("Thumb%1").arg(i + 1));
        box->setMinimumSize(96, 80);
        box->OnPaint = [this, i](QPainter &p) { paintThumb(i, p); };
        box->OnClick = [this, i] {
            if (!work_->Busy() && first_ + i < image_->Count())
                SelectFrame(first_ + i);
        };
        Thumbs[i] = box;
        ThumbNumbers[i] = label(panel, QString(), QStringLiteral("ThumbNumber%1").arg(i + 1));
        auto *caption = new QHBoxLayout;
        caption->addWidget(label(panel, QStringLiteral("Frame #"), QStringLiteral("FrameCaption%1").arg(i + 1)));
        caption->addWidget(ThumbNumbers[i]);
        caption->addStretch();
        auto *v = new QVBoxLayout(panel);
        v->setContentsMargins(3, 3, 3, 3);
        v->addWidget(box, 1);
        v->addLayout(caption);
        thumbRow->addWidget(panel);
    }
    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    ScrollBar1->setPageStep(4);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int v) {
        if (!updating_ && !work_->Busy() && v >= 0 && v < image_->Count())
            SelectFrame(v);
    });
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    work_->OnProgress = [this](int percent) { ProgressBar1->setValue(percent); };
    StatusLabel = label(this, QStringLiteral("Ready"), QStringLiteral("StatusLabel"));
    auto *status = new QHBoxLayout;
    status->addWidget(ProgressBar1, 1);
    status->addWidget(StatusLabel, 2);

    // The pages.
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    OptionsPage = new QWidget(PageControl1);
    OptionsPage->setObjectName(QStringLiteral("OptionsPage"));
    AnimationPage = new QWidget(PageControl1);
    AnimationPage->setObjectName(QStringLiteral("AnimationPage"));
    AnimationPage->hide();
    ImagePage = new QWidget(PageControl1);
    ImagePage->hide();
    ImagePage->setObjectName(QStringLiteral("ImagePage"));

    ColorDepth = new QComboBox(OptionsPage);
    ColorDepth->setObjectName(QStringLiteral("ColorDepth"));
    ColorDepth->addItems({QStringLiteral("Frequency of use"), QStringLiteral("Quantizing"), QStringLiteral("Truncate 7x8x4"),
                          QStringLiteral("Truncate 6x6x6"), QStringLiteral("Tripel ")});
    ThumbnailsBox = new TOptionBox(QStringLiteral("Thumbnails Reflect Image\nPosition"), OptionsPage);
    ThumbnailsBox->setObjectName(QStringLiteral("ThumbnailsBox"));
    ThumbnailsBox->setChecked(true);
    FlatBtns = new TOptionBox(QStringLiteral("Flat Toolbar Buttons "), OptionsPage);
    FlatBtns->setObjectName(QStringLiteral("FlatBtns"));
    FlatBtns->setChecked(true);
    AlwaysOnTop = new TOptionBox(QStringLiteral("Main Dialog Window\nAlways On Top"), OptionsPage);
    AlwaysOnTop->setObjectName(QStringLiteral("AlwaysOnTop"));
    {
        auto *g = new QGridLayout(OptionsPage);
        g->addWidget(label(OptionsPage, QStringLiteral("Color Depth Method: ")), 0, 0);
        g->addWidget(ColorDepth, 0, 1);
        g->addWidget(ThumbnailsBox, 1, 0, 1, 2);
        g->addWidget(FlatBtns, 2, 0, 1, 2);
        g->addWidget(AlwaysOnTop, 3, 0, 1, 2);
        g->setRowStretch(4, 1);
    }

    TrailingComment = new QPlainTextEdit(AnimationPage);
    TrailingComment->setObjectName(QStringLiteral("TrailingComment"));
    TrailingComment->setMaximumHeight(60);
    AnimationWidth = label(AnimationPage, QString(), QStringLiteral("AnimationWidth"));
    AnimationHeight = label(AnimationPage, QString(), QStringLiteral("AnimationHeight"));
    ImageCount = label(AnimationPage, QString(), QStringLiteral("ImageCount"));
    GIFVersion = label(AnimationPage, QString(), QStringLiteral("GIFVersion"));
    BackgroundColor = colourEdit(AnimationPage, QStringLiteral("BackgroundColor"));
    Looping = new QCheckBox(QStringLiteral("&Looping"), AnimationPage);
    Looping->setObjectName(QStringLiteral("Looping"));
    RepeatForever = new QCheckBox(QStringLiteral("Repeat &Forever"), AnimationPage);
    RepeatForever->setObjectName(QStringLiteral("RepeatForever"));
    RepeatCount = spin(AnimationPage, QStringLiteral("RepeatCount"), 0, 30000);
    RepeatCount->setMaxLength(5);
    {
        auto *g = new QGridLayout(AnimationPage);
        auto *commentLabel = label(AnimationPage, QStringLiteral("&Trailing Comment:  "));
        commentLabel->setBuddy(TrailingComment);
        g->addWidget(commentLabel, 0, 0);
        g->addWidget(TrailingComment, 0, 1, 1, 3);
        g->addWidget(label(AnimationPage, QStringLiteral("Animation Width:  ")), 1, 0);
        g->addWidget(AnimationWidth, 1, 1);
        g->addWidget(label(AnimationPage, QStringLiteral("Animation Height:  ")), 2, 0);
        g->addWidget(AnimationHeight, 2, 1);
        g->addWidget(label(AnimationPage, QStringLiteral("Image Count:  ")), 3, 0);
        g->addWidget(ImageCount, 3, 1);
        auto *bgLabel = label(AnimationPage, QStringLiteral("&Background Color:  "));
        bgLabel->setBuddy(BackgroundColor);
        g->addWidget(bgLabel, 4, 0);
        g->addWidget(BackgroundColor, 4, 1);
        g->addWidget(label(AnimationPage, QStringLiteral("GIF Version:  ")), 5, 0);
        g->addWidget(GIFVersion, 5, 1);
        g->addWidget(Looping, 1, 2);
        g->addWidget(RepeatForever, 2, 2);
        auto *countLabel = label(AnimationPage, QStringLiteral("&Repeat Count: "));
        countLabel->setBuddy(RepeatCount);
        g->addWidget(countLabel, 3, 2);
        g->addWidget(RepeatCount, 3, 3);
        g->setRowStretch(6, 1);
    }

    ImageComment = new QPlainTextEdit(ImagePage);
    ImageComment->setObjectName(QStringLiteral("ImageComment"));
    ImageComment->setMaximumHeight(60);
    ImageWidth = label(ImagePage, QString(), QStringLiteral("ImageWidth"));
    ImageHeight = label(ImagePage, QString(), QStringLiteral("ImageHeight"));
    Left = spin(ImagePage, QStringLiteral("Left"), 0, 65535);
    Top = spin(ImagePage, QStringLiteral("Top"), 0, 65535);
    Duration = spin(ImagePage, QStringLiteral("Duration"), 0, 65535);
    UndrawMethod = new QComboBox(ImagePage);
    UndrawMethod->setObjectName(QStringLiteral("UndrawMethod"));
    UndrawMethod->addItems({QStringLiteral("Undefined"), QStringLiteral("Leave"), QStringLiteral("Restore Background"),
                            QStringLiteral("Restore Previous")});
    Transparency = new QCheckBox(QStringLiteral("Transparency  "), ImagePage);
    Transparency->setObjectName(QStringLiteral("Transparency"));
    TransparentColor = colourEdit(ImagePage, QStringLiteral("TransparentColor"));
    {
        auto *g = new QGridLayout(ImagePage);
        g->addWidget(label(ImagePage, QStringLiteral("Image Comment:  ")), 0, 0);
        g->addWidget(ImageComment, 0, 1, 1, 3);
        g->addWidget(label(ImagePage, QStringLiteral("Image Width:  ")), 1, 0);
        g->addWidget(ImageWidth, 1, 1);
        g->addWidget(label(ImagePage, QStringLiteral("Image Height:  ")), 2, 0);
        g->addWidget(ImageHeight, 2, 1);
        g->addWidget(label(ImagePage, QStringLiteral("Left:  ")), 3, 0);
        g->addWidget(Left, 3, 1);
        g->addWidget(label(ImagePage, QStringLiteral("Top:  ")), 4, 0);
        g->addWidget(Top, 4, 1);
        g->addWidget(label(ImagePage, QStringLiteral("Duration (1/100 s):  ")), 1, 2);
        g->addWidget(Duration, 1, 3);
        g->addWidget(label(ImagePage, QStringLiteral("Undraw Method:  ")), 2, 2);
        g->addWidget(UndrawMethod, 2, 3);
        g->addWidget(Transparency, 3, 2);
        g->addWidget(label(ImagePage, QStringLiteral("Transparent Color:  ")), 4, 2);
        g->addWidget(TransparentColor, 4, 3);
        g->setRowStretch(5, 1);
    }
    PageControl1->addTab(OptionsPage, QStringLiteral("Options"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(top);
    layout->addLayout(thumbRow, 1);
    layout->addWidget(ScrollBar1);
    layout->addLayout(status);
    layout->addWidget(PageControl1);
    resize(560, 520);

    // Settings edits go straight into the image.
    auto edit = [this](auto apply) {
        return [this, apply] {
            if (updating_)
                return;
            apply();
            setModified(true);
            updateThumbs();
        };
    };
    connect(TrailingComment, &QPlainTextEdit::textChanged, this,
            edit([this] { image_->SetComment(platform::MemoLines(TrailingComment->document())); }));
    connect(ImageComment, &QPlainTextEdit::textChanged, this, edit([this] {
                if (current_ >= 0)
                    image_->Frames(current_)->SetComment(platform::MemoLines(ImageComment->document()));
            }));
    auto onSpin = [this, edit](qv::TQvSpinEdit *s, auto apply) {
        s->OnChange = [f = edit(apply)](QObject *) { f(); };
    };
    // A frame moved takes the screen with it: its size is shown as it now is.
    auto showScreen = [this] {
        AnimationWidth->setText(QString::number(image_->ScreenWidth()));
        AnimationHeight->setText(QString::number(image_->ScreenHeight()));
    };
    onSpin(Left, [this, showScreen] {
        if (current_ >= 0)
            image_->Frames(current_)->SetOrigin(QPoint(int(Left->Value()), image_->Frames(current_)->Origin().y()));
        showScreen();
    });
    onSpin(Top, [this, showScreen] {
        if (current_ >= 0)
            image_->Frames(current_)->SetOrigin(QPoint(image_->Frames(current_)->Origin().x(), int(Top->Value())));
        showScreen();
    });
    onSpin(Duration, [this] {
        if (current_ >= 0)
            image_->Frames(current_)->SetAnimateInterval(int(Duration->Value()) * 10);
    });
    onSpin(RepeatCount, [this] {
        if (!RepeatForever->isChecked())
            image_->SetRepeatCount(int(RepeatCount->Value()));
    });
    connect(UndrawMethod, &QComboBox::currentIndexChanged, this, edit([this] {
                if (current_ >= 0)
                    image_->Frames(current_)->SetDisposalMethod(std::max(0, UndrawMethod->currentIndex()));
            }));
    connect(Transparency, &QCheckBox::toggled, this, edit([this] {
                if (current_ < 0)
                    return;
                gfx::TGIFFrame *f = image_->Frames(current_);
                if (!Transparency->isChecked()) {
                    f->SetTransparentColor(platform::clNone);
                } else {
                    const QColor c(TransparentColor->text());
                    const QVector<QRgb> table = f->LocalColorTable() ? tableColours(f->Item().ColorTable)
                                                                     : tableColours(image_->Data().ColorTable);
                    if (c.isValid())
                        f->SetTransparentColor(platform::FromQRgb(c.rgb()));
                    else if (!table.isEmpty())
                        f->SetTransparentColor(platform::FromQRgb(table[0]));
                }
                TransparentColor->setText(colourText(f->TransparentColor()));
            }));
    connect(Looping, &QCheckBox::toggled, this, edit([this] {
                image_->SetLooping(Looping->isChecked());
                RepeatForever->setEnabled(Looping->isChecked());
                RepeatCount->setEnabled(Looping->isChecked() && !RepeatForever->isChecked());
            }));
    connect(RepeatForever, &QCheckBox::toggled, this, edit([this] {
                image_->SetRepeatCount(RepeatForever->isChecked() ? 0 : int(RepeatCount->Value()));
                RepeatCount->setEnabled(Looping->isChecked() && !RepeatForever->isChecked());
            }));
    BackgroundColor->OnButtonClick = [this](QObject *) { BackgroundColorClick(); };
    TransparentColor->OnButtonClick = [this](QObject *) { TransparentColorClick(); };
    connect(FlatBtns, &QCheckBox::toggled, this, [this] { applyFlat(); });
    connect(AlwaysOnTop, &QCheckBox::toggled, this, [this] { applyOnTop(); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateButtons(); });

    // The options and the dialogs' folders are kept under the editor's own key.
    OpenDialog = new TDialogMemory(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    SaveDialog = new TDialogMemory(this);
    SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
    FormStorage1 = new qv::TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->UseRegistry = true;
    FormStorage1->Options = 0;
    FormStorage1->SetIniFileName(QStringLiteral("Software\\QV\\") + platform::ApplicationTitle());
    FormStorage1->SetStoredProps({QStringLiteral("ThumbnailsBox.Checked"), QStringLiteral("FlatBtns.Checked"),
                                  QStringLiteral("AlwaysOnTop.Checked"), QStringLiteral("OpenDialog.InitialDir"),
                                  QStringLiteral("SaveDialog.InitialDir")});
    connect(ThumbnailsBox, &QCheckBox::toggled, this, [this] { updateThumbs(); });

    FinishLoading();
    imageChanged();
    setStatus(QStringLiteral("Ready"));
}

TAnimatorForm::~TAnimatorForm() = default;

QString TAnimatorForm::caption() const
{
    return fileName_.isEmpty() ? kTitle : platform::ApplicationTitle() + QStringLiteral(" - ") + QFileInfo(fileName_).fileName();
}

void TAnimatorForm::setStatus(const QString &text) { StatusLabel->setText(text); }

void TAnimatorForm::setModified(bool on) { modified_ = on; }

void TAnimatorForm::applyFlat()
{
    speedbar::TSpeedbarOptions o = SpeedBar1->Options();
    o = FlatBtns->isChecked() ? (o | speedbar::sbFlatBtns) : (o & ~speedbar::TSpeedbarOptions(speedbar::sbFlatBtns));
    SpeedBar1->SetOptions(o);
}

void TAnimatorForm::applyOnTop()
{
    const bool on = AlwaysOnTop->isChecked();
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == on)
        return;
    if (!isVisible() || !windowHandle()) {
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
        return;
    }
    // Re-flagging a shown widget would hide it, which ends a modal run: the window is told directly.
    overrideWindowFlags(on ? windowFlags() | Qt::WindowStaysOnTopHint : windowFlags() & ~Qt::WindowStaysOnTopHint);
    windowHandle()->setFlag(Qt::WindowStaysOnTopHint, on);
}

void TAnimatorForm::SelectFrame(int index)
{
    if (image_->Count() == 0) {
        current_ = -1;
        first_ = 0;
    } else {
        current_ = std::clamp(index, 0, image_->Count() - 1);
        // The first shown stays between n-3 and n, and within the frames.
        first_ = std::clamp(first_, std::max(0, current_ - 3), current_);
        first_ = std::min(first_, std::max(0, image_->Count() - 4));
        image_->SetFrameIndex(current_);
    }
    fillControls();
    updateThumbs();
    UpdateButtons();
}

void TAnimatorForm::imageChanged()
{
    SelectFrame(image_->Count() ? std::clamp(current_, 0, image_->Count() - 1) : -1);
    setWindowTitle(caption());
}

void TAnimatorForm::fillControls()
{
    updating_ = true;
    const bool empty = image_->Count() == 0;
    // The pages that describe an image exist only while there is one.
    if (empty) {
        PageControl1->removeTab(PageControl1->indexOf(AnimationPage));
        PageControl1->removeTab(PageControl1->indexOf(ImagePage));
    } else if (PageControl1->indexOf(AnimationPage) < 0) {
        PageControl1->addTab(AnimationPage, QStringLiteral("Animation"));
        PageControl1->addTab(ImagePage, QStringLiteral("Image"));
    }
    ScrollBar1->setEnabled(!empty);
    ScrollBar1->setRange(0, std::max(0, image_->Count() - 1));
    ScrollBar1->setValue(std::max(0, current_));
    if (!empty) {
        TrailingComment->setPlainText(image_->Comment().join(QLatin1Char('\n')));
        AnimationWidth->setText(QString::number(image_->ScreenWidth()));
        AnimationHeight->setText(QString::number(image_->ScreenHeight()));
        ImageCount->setText(QString::number(image_->Count()));
        GIFVersion->setText(image_->VersionName());
        BackgroundColor->setText(colourText(image_->BackgroundColor()));
        Looping->setChecked(image_->Looping());
        RepeatForever->setChecked(image_->RepeatCount() == 0);
        RepeatCount->SetValue(image_->RepeatCount());
        RepeatForever->setEnabled(image_->Looping());
        RepeatCount->setEnabled(image_->Looping() && image_->RepeatCount() != 0);
        gfx::TGIFFrame *f = image_->Frames(current_);
        ImageComment->setPlainText(f->Comment().join(QLatin1Char('\n')));
        ImageWidth->setText(QString::number(f->Width()));
        ImageHeight->setText(QString::number(f->Height()));
        Left->SetValue(f->Origin().x());
        Top->SetValue(f->Origin().y());
        Duration->SetValue(f->AnimateInterval() / 10);
        UndrawMethod->setCurrentIndex(std::clamp(f->DisposalMethod(), 0, 3));
        Transparency->setChecked(f->TransparentColor() != platform::clNone);
        TransparentColor->setText(colourText(f->TransparentColor()));
    }
    updating_ = false;
}

void TAnimatorForm::updateThumbs()
{
    for (int i = 0; i < 4; ++i) {
        const int n = first_ + i;
        QWidget *panel = Thumbs[i]->parentWidget();
        // A hidden panel keeps its room, so the others stay where they are.
        QSizePolicy keep = panel->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        panel->setSizePolicy(keep);
        panel->setVisible(n < image_->Count());
        ThumbNumbers[i]->setText(QString::number(n + 1));
        Thumbs[i]->update();
    }
}

void TAnimatorForm::paintThumb(int slot, QPainter &p)
{
    const int n = first_ + slot;
    if (n >= image_->Count())
        return;
    QWidget *box = Thumbs[slot];
    if (n == current_) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(box->rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    const QRect area = box->rect().adjusted(3, 3, -3, -3);
    gfx::TGIFFrame *f = image_->Frames(n);
    const bool reflect = ThumbnailsBox->isChecked();
    const QSize ref = reflect ? QSize(image_->ScreenWidth(), image_->ScreenHeight()) : QSize(f->Width(), f->Height());
    const QPoint at = reflect ? f->Origin() : QPoint();
    if (ref.isEmpty() || area.isEmpty())
        return;
    QRect r(at, QSize(f->Width(), f->Height()));
    if (ref.width() <= area.width() && ref.height() <= area.height()) {
        r.translate(3, 3);
    } else {
        // Scaled by height when scaling by width would run past the bottom.
        const double byWidth = double(area.width()) / ref.width();
        const double scale = ref.height() * byWidth > area.height() ? double(area.height()) / ref.height() : byWidth;
        r = QRect(QPoint(3 + int(at.x() * scale), 3 + int(at.y() * scale)),
                  QSize(std::max(1, int(std::lround(f->Width() * scale))), std::max(1, int(std::lround(f->Height() * scale)))));
    }
    p.setClipRect(area);
    f->Draw(p, r, true);
}

void TAnimatorForm::UpdateButtons()
{
    const bool has = image_->Count() > 0 && current_ >= 0;
    SaveBtn->SetEnabled(has && !fileName_.isEmpty());
    for (speedbar::TSpeedItem *b : {SaveAsBtn, CutBtn, CopyBtn, DeleteBtn, PreviewBtn})
        b->SetEnabled(has);
    const QMimeData *clip = platform::ClipboardData();
    PasteBtn->SetEnabled(clip && (platform::HasFormat(*clip, gfx::TGIFImage::GIFClipboardFormat()) ||
                                  platform::HasFormat(*clip, platform::CF_BITMAP)));
    MoveUpBtn->SetEnabled(has && current_ > 0);
    MoveDownBtn->SetEnabled(has && current_ < image_->Count() - 1);
    GrayscaleBtn->SetEnabled(image_->Count() > 0);
}

void TAnimatorForm::progress(int percent, const QString &message)
{
    if (!message.isEmpty())
        setStatus(message);
    // Lets Esc through while a file is read, inserted or written.
    work_->Step(percent);
}

bool TAnimatorForm::Loading() const { return work_->Busy(); }

void TAnimatorForm::setBusy(bool on)
{
    if (on)
        work_->Start();
    else
        work_->Finish();
    // What the pages would change must not change under a file being read or written.
    PageControl1->setEnabled(!on);
    ScrollBar1->setEnabled(!on && image_->Count() > 0);
    setStatus(on ? QStringLiteral("Press <Esc> to cancel") : QStringLiteral("Ready"));
}

bool TAnimatorForm::askSave()
{
    if (!modified_)
        return true;
    switch (platform::MessageBox(this, QStringLiteral("Save changes to current animation?"), kTitle,
                                 platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION)) {
    case platform::IDYES:
        SaveClick();
        return !modified_;
    case platform::IDNO:
        return true;
    default:
        return false;
    }
}

void TAnimatorForm::keyPressEvent(QKeyEvent *event)
{
    if (work_->Busy()) {
        if (event->key() == Qt::Key_Escape)
            work_->Stop();
        return;
    }
    platform::FormOf<QDialog>::keyPressEvent(event);
}

void TAnimatorForm::reject()
{
    if (work_->Busy()) {
        work_->Stop();
        return;
    }
    if (askSave())
        platform::FormOf<QDialog>::reject();
}

void TAnimatorForm::NewClick()
{
    if (!askSave())
        return;
    image_->Clear();
    fileName_.clear();
    setModified(false);
    current_ = -1;
    first_ = 0;
    imageChanged();
    setStatus(QStringLiteral("Ready"));
}

void TAnimatorForm::OpenClick()
{
    if (!askSave())
        return;
    platform::FileDialogRequest r;
    r.filter = kGIFFilter;
    r.defaultExt = QStringLiteral("gif");
    r.initialDir = OpenDialog->InitialDir();
    r.options = platform::ofFileMustExist;
    if (!platform::ExecuteFileDialog(this, r))
        return;
    OpenDialog->SetInitialDir(QFileInfo(r.fileName).absolutePath());
    OpenFile(r.fileName);
}

bool TAnimatorForm::OpenFile(const QString &fileName)
{
    // Read into an image of its own: a file that fails or is cancelled leaves the edited one whole.
    auto read = std::make_unique<gfx::TGIFImage>();
    read->OnProgress = [this](platform::Graphic *, platform::ProgressStage stage, int percent, bool, const QRect &,
                              const QString &) {
        if (stage != platform::ProgressStage::psEnding)
            progress(percent, QString());
    };
    setBusy(true);
    bool ok = false;
    QString why;
    try {
        read->ReadGIF(platform::ReadWholeFile(fileName), true);
        ok = true;
    } catch (const platform::Abort &) {
    } catch (const platform::Error &e) {
        why = FailedOn(QStringLiteral("open"), fileName, e);
    } catch (const std::bad_alloc &) {
        why = QStringLiteral("Cannot open \"%1\": Out of memory").arg(fileName);
    }
    setBusy(false);
    if (!ok) {
        if (!why.isEmpty())
            platform::MessageBox(this, why, kTitle, platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    read->OnProgress = nullptr;
    image_ = std::move(read);
    fileName_ = fileName;
    setModified(false);
    current_ = 0;
    first_ = 0;
    imageChanged();
    return true;
}

bool TAnimatorForm::SaveTo(const QString &fileName)
{
    setBusy(true);
    QString why;
    try {
        // Cancelled while it is made, the file is never written: the one on disk stays whole.
        const QByteArray bytes = image_->WriteGIF(false, [this](int percent) { progress(percent, QString()); });
        platform::WriteFileAtomic(fileName, bytes);
    } catch (const platform::Abort &) {
        setBusy(false);
        return false;
    } catch (const platform::Error &e) {
        why = FailedOn(QStringLiteral("save"), fileName, e);
    } catch (const std::bad_alloc &) {
        why = QStringLiteral("Cannot save \"%1\": Out of memory").arg(fileName);
    }
    setBusy(false);
    if (!why.isEmpty()) {
        platform::MessageBox(this, why, kTitle, platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    setModified(false);
    return true;
}

void TAnimatorForm::SaveClick()
{
    if (fileName_.isEmpty()) {
        SaveAsClick();
        return;
    }
    SaveTo(fileName_);
}

void TAnimatorForm::SaveAsClick()
{
    if (image_->Count() == 0)
        return;
    platform::FileDialogRequest r;
    r.save = true;
    r.filter = kGIFFilter;
    r.defaultExt = QStringLiteral("gif");
    r.initialDir = fileName_.isEmpty() ? SaveDialog->InitialDir() : QFileInfo(fileName_).absolutePath();
    r.options = platform::ofOverwritePrompt;
    if (!platform::ExecuteFileDialog(this, r))
        return;
    SaveDialog->SetInitialDir(QFileInfo(r.fileName).absolutePath());
    if (!SaveTo(r.fileName))
        return;
    fileName_ = r.fileName;
    setWindowTitle(caption());
    UpdateButtons();
}

bool TAnimatorForm::InsertFile(const QString &fileName)
{
    platform::Picture picture;
    setBusy(true);
    QString why;
    try {
        picture.LoadFromFile(fileName);
        if (!picture.GetGraphic() || picture.GetGraphic()->Empty())
            throw platform::Error(QStringLiteral("The picture is empty"));
        if (work_->Stopped())
            throw platform::Abort();
        gfx::GIFColorReduction = uint8_t(std::clamp(ColorDepth->currentIndex(), 0, int(gfx::rmTripel)));
        // Reduced and encoded now, by the method chosen now; a picture that cannot be encoded, or whose
        // encoding is cancelled, leaves the animation as it was.
        current_ = image_->AddEncodedFrame(picture.GetGraphic(), [this](platform::ProgressStage stage, int percent,
                                                                         const QString &) {
            if (stage != platform::ProgressStage::psEnding)
                progress(percent, QString());
        });
        setModified(true);
    } catch (const platform::Abort &) {
        setBusy(false);
        return false;
    } catch (const platform::Error &e) {
        why = FailedOn(QStringLiteral("insert"), fileName, e);
    } catch (const std::bad_alloc &) {
        why = QStringLiteral("Cannot insert \"%1\": Out of memory").arg(fileName);
    }
    setBusy(false);
    if (!why.isEmpty()) {
        platform::MessageBox(this, why, kTitle, platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    image_->UpdateScreenSize();
    imageChanged();
    return true;
}

void TAnimatorForm::InsertClick()
{
    platform::FileDialogRequest r;
    r.filter = platform::Picture::GraphicFilter();
    r.initialDir = OpenDialog->InitialDir();
    r.options = platform::ofFileMustExist;
    if (!platform::ExecuteFileDialog(this, r))
        return;
    OpenDialog->SetInitialDir(QFileInfo(r.fileName).absolutePath());
    InsertFile(r.fileName);
}

void TAnimatorForm::CopyClick()
{
    if (current_ < 0)
        return;
    gfx::TGIFImage one;
    one.AssignFrame(image_->Frames(current_));
    auto *data = new QMimeData;
    one.SaveToClipboardFormat(*data);
    platform::SetClipboardData(data);
    UpdateButtons();
}

void TAnimatorForm::CutClick()
{
    if (current_ < 0)
        return;
    CopyClick();
    DeleteClick();
}

void TAnimatorForm::PasteClick()
{
    const QMimeData *clip = platform::ClipboardData();
    if (!clip)
        return;
    try {
        int added;
        if (platform::HasFormat(*clip, gfx::TGIFImage::GIFClipboardFormat())) {
            gfx::TGIFImage pasted;
            pasted.LoadFromClipboardFormat(*clip);
            if (pasted.Count() == 0)
                return;
            added = image_->AddFrame(pasted.Frames(0));
        } else if (platform::HasFormat(*clip, platform::CF_BITMAP)) {
            platform::Bitmap bmp;
            bmp.LoadFromClipboardFormat(*clip);
            gfx::GIFColorReduction = uint8_t(std::clamp(ColorDepth->currentIndex(), 0, int(gfx::rmTripel)));
            added = image_->AddFrame(&bmp);
            image_->EncodeAllFrames();
        } else {
            return;
        }
        current_ = added;
        setModified(true);
    } catch (const platform::Error &e) {
        platform::MessageBox(this, QStringLiteral("Cannot paste: %1").arg(e.message()), kTitle,
                             platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    image_->UpdateScreenSize();
    imageChanged();
}

void TAnimatorForm::DeleteClick()
{
    if (current_ < 0)
        return;
    image_->DeleteFrame(current_);
    setModified(true);
    current_ = std::min(current_, image_->Count() - 1);
    imageChanged();
}

void TAnimatorForm::MoveUpClick()
{
    if (current_ <= 0)
        return;
    image_->MoveFrame(current_, current_ - 1);
    setModified(true);
    SelectFrame(current_ - 1);
}

void TAnimatorForm::MoveDownClick()
{
    if (current_ < 0 || current_ >= image_->Count() - 1)
        return;
    image_->MoveFrame(current_, current_ + 1);
    setModified(true);
    SelectFrame(current_ + 1);
}

void TAnimatorForm::GrayscaleClick()
{
    if (image_->Count() == 0)
        return;
    image_->Grayscale(true);
    setModified(true);
    imageChanged();
}

void TAnimatorForm::PreviewClick()
{
    if (image_->Count() == 0)
        return;
    TPreviewForm preview(this, *image_);
    platform::ShowModal(&preview);
}

void TAnimatorForm::AboutClick()
{
    TGifAboutBox about(this);
    platform::ShowModal(&about);
}

void TAnimatorForm::BackgroundColorClick()
{
    const QVector<QRgb> table = tableColours(image_->Data().ColorTable);
    if (table.isEmpty()) {
        platform::MessageBeep();
        return;
    }
    bool chosen = false;
    const QRgb c = TPaletteForm::Execute(this, table, rgbOf(image_->BackgroundColor()), &chosen);
    if (!chosen || platform::FromQRgb(c) == image_->BackgroundColor())
        return;
    image_->SetBackgroundColor(platform::FromQRgb(c));
    setModified(true);
    fillControls();
    updateThumbs();
}

void TAnimatorForm::TransparentColorClick()
{
    if (current_ < 0) {
        platform::MessageBeep();
        return;
    }
    gfx::TGIFFrame *f = image_->Frames(current_);
    const QVector<QRgb> table = f->LocalColorTable() ? tableColours(f->Item().ColorTable) : tableColours(image_->Data().ColorTable);
    if (table.isEmpty()) {
        platform::MessageBeep();
        return;
    }
    const QRgb given = f->TransparentColor() == platform::clNone ? table[0] : rgbOf(f->TransparentColor());
    bool chosen = false;
    const QRgb c = TPaletteForm::Execute(this, table, given, &chosen);
    // Cancel changes nothing, not even a frame without a transparent colour.
    if (!chosen || (f->TransparentColor() != platform::clNone && platform::FromQRgb(c) == f->TransparentColor()))
        return;
    f->SetTransparentColor(platform::FromQRgb(c));
    setModified(true);
    fillControls();
    updateThumbs();
}

} // namespace media
