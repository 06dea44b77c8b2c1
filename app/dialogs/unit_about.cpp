#include "unit_about.h"

#include "app/dialogs/dialogbase.h"
#include "platform/meminfo.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dialogs {

TInfo *Info = nullptr;

namespace {

QLabel *label(const QString &text, const char *name, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

TMemoryFigures MemoryFigures(const QByteArray &meminfo, const QLocale &locale)
{
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    TMemoryFigures f{QStringLiteral("?"), QStringLiteral("?")};
    const qint64 total = platform::MemInfoValue(meminfo, "MemTotal");
    const qint64 available = platform::MemInfoValue(meminfo, "MemAvailable");
    if (total >= 0)
        f.physical = grouped.toString(total) + QStringLiteral(" KB");
    if (total > 0 && available >= 0 && available <= total)
        f.inUse = QStringLiteral("%1 %").arg(100 * (total - available) / total);
    return f;
}

TMemoryFigures CurrentMemoryFigures()
{
    return MemoryFigures(platform::ReadMemInfo());
}

TAboutBox::TAboutBox(QWidget *parent, const TMemoryFigures &figures)
{
    setParent(parent, DialogFlags());
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Kestrova..."));
    auto *outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    ProductName = label(QStringLiteral("Kestrova 5  Version 5.0"), "ProductName", this);
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    ProductName->setFont(big);
    outer->addWidget(ProductName);
    Comments = label(QStringLiteral("An editor for web pages: tags, scripts, effects and tools at hand."), "Comments", this);
    outer->addWidget(Comments);
    auto *grid = new QGridLayout;
    grid->addWidget(label(QStringLiteral("Physical Memory Available to Windows:"), nullptr, this), 0, 0);
    PhysMem = label(figures.physical, "PhysMem", this);
    grid->addWidget(PhysMem, 0, 1);
    grid->addWidget(label(QStringLiteral("Memory in Use:"), nullptr, this), 1, 0);
    MemUsed = label(figures.inUse, "MemUsed", this);
    grid->addWidget(MemUsed, 1, 1);
    grid->addWidget(label(QStringLiteral("Homepage:"), nullptr, this), 2, 0);
    Homepage = label(QStringLiteral("http://www.kestrova.example/"), "Homepage", this);
    grid->addWidget(Homepage, 2, 1);
    grid->addWidget(label(QStringLiteral("Email:"), nullptr, this), 3, 0);
    Email = label(QStringLiteral("info@kestrova.example"), "Email", this);
    grid->addWidget(Email, 3, 1);
    outer->addLayout(grid);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
    Timer1->start();
    FinishLoading();
}

void TAboutBox::mousePressEvent(QMouseEvent *event)
{
    // The labels pass their clicks on to here: anywhere on the box closes it.
    event->accept();
    accept();
}

TInfo::TInfo(QWidget *parent)
{
    setParent(parent, DialogFlags());
    setObjectName(QStringLiteral("Info"));
    setWindowTitle(QStringLiteral("Document Info"));
    auto *outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto *grid = new QGridLayout;
    const struct {
        const char *caption;
        QLabel *TInfo::*value;
    } rows[] = {{"Parag", &TInfo::Parag},   {"Place", &TInfo::Place},         {"Col", &TInfo::Col},
                {"Offset", &TInfo::Offset}, {"Character", &TInfo::Character}, {"Lines", &TInfo::Lines}};
    int row = 0;
    for (const auto &r : rows) {
        grid->addWidget(label(QString::fromLatin1(r.caption), r.caption, this), row, 0);
        QLabel *value = label(QString(), nullptr, this);
        value->setObjectName(QString::fromLatin1(r.caption) + QStringLiteral("Value"));
        value->setMinimumWidth(80);
        grid->addWidget(value, row++, 1);
        this->*r.value = value;
    }
    outer->addLayout(grid);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Close = new QPushButton(QStringLiteral("&Close"), this);
    Close->setObjectName(QStringLiteral("Close"));
    buttons->addWidget(Close);
    outer->addLayout(buttons);
    connect(Close, &QPushButton::clicked, this, &QWidget::close);
    Info = this;
    FinishLoading();
}

TInfo::~TInfo()
{
    if (Info == this)
        Info = nullptr;
}

} // namespace dialogs
