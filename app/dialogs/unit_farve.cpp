#include "unit_farve.h"

#include "platform/dialogs.h"

#include <QColorDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

namespace dialogs {

TFarve1::TFarve1(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    HTMLValue = qobject_cast<QLineEdit *>(Field(QStringLiteral("HTML Value")));
    auto bar = [this](const char *name, QLabel *&label, const QString &caption) {
        auto *b = new QScrollBar(Qt::Horizontal, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setRange(0, 255);
        b->setValue(192);
        b->setPageStep(25);
        b->setMinimumWidth(256);
        label = new QLabel(caption + QStringLiteral(": 192"), this);
        label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
        const int row = grid_->rowCount();
        grid_->addWidget(label, row, 0);
        grid_->addWidget(b, row, 1);
        connect(b, &QScrollBar::valueChanged, this, [this, label, caption](int v) {
            label->setText(caption + QStringLiteral(": ") + QString::number(v));
            barMoved();
        });
        return b;
    };
    Red = bar("Red", RedLabel, QStringLiteral("Red"));
    Green = bar("Green", GreenLabel, QStringLiteral("Green"));
    Blue = bar("Blue", BlueLabel, QStringLiteral("Blue"));

    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(1, 30);
    TrackBar1->setValue(25);
    ScrollLabel = new QLabel(QStringLiteral("Scroll by 25"), this);
    ScrollLabel->setObjectName(QStringLiteral("ScrollLabel"));
    int row = grid_->rowCount();
    grid_->addWidget(ScrollLabel, row, 0);
    grid_->addWidget(TrackBar1, row, 1);
    connect(TrackBar1, &QSlider::valueChanged, this, [this](int n) {
        ScrollLabel->setText(QStringLiteral("Scroll by %1").arg(n));
        for (QScrollBar *b : {Red, Green, Blue})
            b->setPageStep(n);
    });

    auto *swatches = new QHBoxLayout;
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape2 = new QFrame(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    for (QFrame *f : {Shape1, Shape2}) {
        f->setFixedSize(64, 40);
        f->setAutoFillBackground(false);
        swatches->addWidget(f);
    }
    WindowsColors = new QPushButton(QStringLiteral("&Windows Colors..."), this);
    WindowsColors->setObjectName(QStringLiteral("WindowsColors"));
    swatches->addStretch(1);
    swatches->addWidget(WindowsColors);
    grid_->addLayout(swatches, grid_->rowCount(), 0, 1, 2);
    connect(WindowsColors, &QPushButton::clicked, this, [this] { WindowsColorsClick(); });

    // The value always shows the swatch: what is typed there gives way on the next turn of the event loop.
    connect(HTMLValue, &QLineEdit::textEdited, this, [this] {
        QTimer::singleShot(0, this, [this] { showColor(); });
    });
    HTMLValue->setReadOnly(false);
    color_ = QColor(192, 192, 192);
    showColor();
    FinishLoading();
}

void TFarve1::barMoved()
{
    color_ = QColor(Red->value(), Green->value(), Blue->value());
    showColor();
}

void TFarve1::showColor()
{
    const QString name = color_.name(QColor::HexRgb).toLower();
    Shape1->setStyleSheet(QStringLiteral("QFrame#Shape1 { background: %1; border: 1px solid black; }").arg(name));
    Shape2->setStyleSheet(QStringLiteral("QFrame#Shape2 { background: transparent; border: 8px solid %1; }").arg(name));
    if (HTMLValue->text() != name)
        HTMLValue->setText(name);
}

void TFarve1::SetColor(const QColor &c)
{
    color_ = QColor(c.red(), c.green(), c.blue());
    const QSignalBlocker r(Red), g(Green), b(Blue);
    Red->setValue(c.red());
    Green->setValue(c.green());
    Blue->setValue(c.blue());
    RedLabel->setText(QStringLiteral("Red: %1").arg(c.red()));
    GreenLabel->setText(QStringLiteral("Green: %1").arg(c.green()));
    BlueLabel->setText(QStringLiteral("Blue: %1").arg(c.blue()));
    showColor();
}

void TFarve1::WindowsColorsClick()
{
    QColorDialog dlg(color_, this);
    // Cancel leaves the colour as it was.
    if (platform::ShowModal(&dlg) == QDialog::Accepted)
        SetColor(dlg.currentColor());
}

} // namespace dialogs
