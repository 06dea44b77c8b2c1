#include "gifconverters.h"

#include "gifimage.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/graphics/bitmap.h"
#include "platform/shell/filedialogs.h"
#include "platform/shell/folderdialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace media {

namespace {

const QString kBitmapFilter = QStringLiteral("Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*");
const QString kGIFFilter = QStringLiteral("GIF Files (*.gif)|*.gif|All Files (*.*)|*.*");

QPushButton *button(QWidget *owner, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, owner);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// Runs an open or save dialog for an edit; the chosen file goes into it.
void browse(QWidget *owner, QLineEdit *edit, bool save, const QString &filter, const QString &ext)
{
    platform::FileDialogRequest r;
    r.save = save;
    r.filter = filter;
    r.defaultExt = ext;
    r.fileName = edit->text();
    r.options = save ? platform::ofOverwritePrompt : platform::ofFileMustExist;
    if (platform::ExecuteFileDialog(owner, r))
        edit->setText(r.fileName);
}

QString failed(const char *what, const TGIFImage &gif)
{
    return QStringLiteral("%1 Failed. Error Code = %2 [%3]").arg(QLatin1String(what)).arg(gif.Status()).arg(gif.StatusText());
}

} // namespace

void SaveFrameAsBitmap(const QString &fileName, const QImage &frame)
{
    // The frame's transparent pixels keep their colour: a bitmap file has no transparency of its own.
    QImage rgb(frame.isNull() ? QSize(1, 1) : frame.size(), QImage::Format_RGB888);
    if (rgb.isNull())
        throw std::bad_alloc();
    rgb.fill(Qt::black); // a frame of no size has no pixels: one black pixel stands for it
    const QImage source = frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32
                              ? frame
                              : frame.convertToFormat(QImage::Format_ARGB32);
    if (source.isNull() != frame.isNull())
        throw std::bad_alloc();
    for (int y = 0; y < source.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        uchar *dst = rgb.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            dst[3 * x] = uchar(qRed(src[x]));
            dst[3 * x + 1] = uchar(qGreen(src[x]));
            dst[3 * x + 2] = uchar(qBlue(src[x]));
        }
    }
    platform::Bitmap bmp;
    bmp.SetImage(std::move(rgb));
    bmp.SaveToFile(fileName);
}

TConverterWindow::TConverterWindow(QWidget *owner, const QString &caption, const QString &banner,
                                   const QString &outputCaption)
    : QDialog(owner)
{
    setWindowTitle(caption);
    auto *bannerLabel = new QLabel(banner, this);
    bannerLabel->setObjectName(QStringLiteral("Banner"));
    bannerLabel->setAutoFillBackground(true);
    bannerLabel->setStyleSheet(QStringLiteral("background-color: #808080; color: #ffffff; padding: 6px;"));

    InputEdit = new QLineEdit(this);
    InputEdit->setObjectName(QStringLiteral("InputEdit"));
    OutputEdit = new QLineEdit(this);
    OutputEdit->setObjectName(QStringLiteral("OutputEdit"));
    InputBrowse = button(this, QStringLiteral("InputBrowse"), QStringLiteral("&Browse..."));
    OutputBrowse = button(this, QStringLiteral("OutputBrowse"), QStringLiteral("&Browse..."));
    OkButton = button(this, QStringLiteral("Ok"), QStringLiteral("&Ok"));
    OkButton->setDefault(true);
    CancelButton = button(this, QStringLiteral("Cancel"), QStringLiteral("&Cancel"));
    GIFImage1 = new TGIFImage(this);
    GIFImage1->setObjectName(QStringLiteral("GIFImage1"));
    GIFImage1->hide();

    auto *inputLabel = new QLabel(QStringLiteral("Input File:"), this);
    inputLabel->setObjectName(QStringLiteral("Input File"));
    inputLabel->setBuddy(InputEdit);
    auto *outputLabel = new QLabel(outputCaption, this);
    outputLabel->setObjectName(QString(outputCaption).remove(QLatin1Char(':')));
    outputLabel->setBuddy(OutputEdit);

    auto *fields = new QGridLayout;
    fields->addWidget(inputLabel, 0, 0);
    fields->addWidget(InputEdit, 0, 1);
    fields->addWidget(InputBrowse, 0, 2);
    fields->addWidget(outputLabel, 1, 0);
    fields->addWidget(OutputEdit, 1, 1);
    fields->addWidget(OutputBrowse, 1, 2);
    rows_ = new QVBoxLayout;
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(bannerLabel);
    layout->addLayout(fields);
    layout->addLayout(rows_);
    layout->addLayout(buttons);
    resize(460, sizeHint().height());

    connect(OkButton, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TConverterWindow::addRow(QWidget *widget) { rows_->addWidget(widget); }

void TConverterWindow::tell(const QString &text) { platform::ShowMessage(text); }

void TConverterWindow::tellLoadFailed()
{
    // The status alone does not say which file could not be opened, nor why.
    QFile input;
    QString why;
    if (GIFImage1->Status() == gsFileNotFound && !platform::TryOpenForReading(input, InputEdit->text(), &why))
        return tell(failed("Load", *GIFImage1) + QLatin1Char('\n') + platform::FileErrorText(QStringLiteral("open"), InputEdit->text(), why));
    tell(failed("Load", *GIFImage1));
}

// Bitmap to GIF.

Tbmptogif::Tbmptogif(QWidget *owner)
    : TConverterWindow(owner, QStringLiteral("Bitmap to GIF Conversion"), QStringLiteral("Convert BMP Files to GIF Files..."),
                       QStringLiteral("Output File:")),
      colour_(qRgb(0x80, 0x80, 0))
{
    setObjectName(QStringLiteral("bmptogif"));
    SaveInterlaced = new QCheckBox(QStringLiteral("Save Interlaced"), this);
    SaveInterlaced->setObjectName(QStringLiteral("Save Interlaced"));
    SaveTransparent = new QCheckBox(QStringLiteral("Save with the following pixels as Transparent:"), this);
    SaveTransparent->setObjectName(QStringLiteral("Save with the following pixels as Transparent"));
    ColorPanel = button(this, QStringLiteral("ColorPanel"), QString());
    ColorPanel->setFixedSize(40, 20);
    ProgressLabel = new QLabel(QStringLiteral("0% Complete"), this);
    ProgressLabel->setObjectName(QStringLiteral("ProgressLabel"));
    ProgressLabel->hide();
    auto *transparentRow = new QWidget(this);
    auto *h = new QHBoxLayout(transparentRow);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(SaveTransparent);
    h->addWidget(ColorPanel);
    h->addStretch();
    addRow(SaveInterlaced);
    addRow(transparentRow);
    addRow(ProgressLabel);
    SetTransparentColor(colour_);
    // The options stand between the file rows and the buttons.
    setTabOrder(OutputBrowse, SaveInterlaced);
    setTabOrder(SaveInterlaced, SaveTransparent);
    setTabOrder(SaveTransparent, ColorPanel);
    setTabOrder(ColorPanel, OkButton);
    setTabOrder(OkButton, CancelButton);

    connect(InputBrowse, &QPushButton::clicked, this, [this] { InputBrowseClick(); });
    connect(OutputBrowse, &QPushButton::clicked, this, [this] { OutputBrowseClick(); });
    connect(ColorPanel, &QPushButton::clicked, this, [this] { ColorPanelClick(); });
    GIFImage1->OnProgress = [this](QObject *, qint64, bool &, int percent, qint64) {
        if (percent < 100) {
            ProgressLabel->setText(QStringLiteral("%1% Complete").arg(percent));
            ProgressLabel->show();
        } else {
            ProgressLabel->hide();
        }
    };
}

void Tbmptogif::SetTransparentColor(QRgb colour)
{
    colour_ = colour & 0x00FFFFFFu;
    ColorPanel->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid black;")
                                  .arg(QColor(colour_).name()));
}

bool Tbmptogif::loadBitmap(QImage &image)
{
    try {
        platform::Bitmap bmp;
        bmp.LoadFromFile(InputEdit->text());
        image = bmp.Image();
        return true;
    } catch (const platform::Error &e) {
        tell(QStringLiteral("Load Failed. %1").arg(e.message()));
        return false;
    } catch (const std::bad_alloc &) {
        tell(QStringLiteral("Load Failed. Out of memory"));
        return false;
    }
}

void Tbmptogif::InputBrowseClick()
{
    browse(this, InputEdit, false, kBitmapFilter, QStringLiteral("bmp"));
    if (InputEdit->text().isEmpty())
        return;
    try {
        platform::Bitmap bmp;
        bmp.LoadFromFile(InputEdit->text());
        if (!bmp.Empty())
            SetTransparentColor(platform::ToQRgb(bmp.TransparentColor()));
    } catch (const platform::Error &) {
        // Said on Ok, when it matters.
    } catch (const std::bad_alloc &) {
    }
}

void Tbmptogif::OutputBrowseClick() { browse(this, OutputEdit, true, kGIFFilter, QStringLiteral("gif")); }

void Tbmptogif::ColorPanelClick()
{
    QColorDialog dialog(QColor(colour_), this);
    if (platform::ShowModal(&dialog) == QDialog::Accepted)
        SetTransparentColor(dialog.currentColor().rgb());
}

void Tbmptogif::OkClick()
{
    QImage image;
    if (!loadBitmap(image))
        return;
    const bool saved = GIFImage1->SaveBitmapAsGIF(OutputEdit->text(), image, SaveInterlaced->isChecked(), colour_,
                                                   SaveTransparent->isChecked());
    ProgressLabel->hide();
    tell(saved ? QStringLiteral("GIF Saved. Success!") : failed("Save", *GIFImage1));
}

// GIF to bitmap.

Tgiftobmp::Tgiftobmp(QWidget *owner)
    : TConverterWindow(owner, QStringLiteral("GIF to Bitmap Conversion"), QStringLiteral("Convert GIF Files to BMP Files..."),
                       QStringLiteral("Output File:"))
{
    setObjectName(QStringLiteral("giftobmp"));
    connect(InputBrowse, &QPushButton::clicked, this, [this] { InputBrowseClick(); });
    connect(OutputBrowse, &QPushButton::clicked, this, [this] { OutputBrowseClick(); });
}

void Tgiftobmp::InputBrowseClick() { browse(this, InputEdit, false, kGIFFilter, QStringLiteral("gif")); }

void Tgiftobmp::OutputBrowseClick() { browse(this, OutputEdit, true, kBitmapFilter, QStringLiteral("bmp")); }

void Tgiftobmp::OkClick()
{
    if (!GIFImage1->LoadFromFile(InputEdit->text())) {
        tellLoadFailed();
        return;
    }
    GIFImage1->SetCurrentFrame(1);
    try {
        SaveFrameAsBitmap(OutputEdit->text(), GIFImage1->ToBitmap());
    } catch (const platform::Error &e) {
        tell(QStringLiteral("Save Failed. %1").arg(e.message()));
        return;
    } catch (const std::bad_alloc &) {
        tell(QStringLiteral("Save Failed. Out of memory"));
        return;
    }
    tell(QStringLiteral("GIF Converted. Success!"));
}

// De-animation.

Tdeanimation::Tdeanimation(QWidget *owner)
    : TConverterWindow(owner, QStringLiteral("GIF De-Animation"),
                       QStringLiteral("Make your Animated GIF Files to a Non-Animated File"), QStringLiteral("Output Folder:"))
{
    setObjectName(QStringLiteral("deanimation"));
    connect(InputBrowse, &QPushButton::clicked, this, [this] { InputBrowseClick(); });
    connect(OutputBrowse, &QPushButton::clicked, this, [this] { OutputBrowseClick(); });
}

void Tdeanimation::InputBrowseClick() { browse(this, InputEdit, false, kGIFFilter, QStringLiteral("gif")); }

void Tdeanimation::OutputBrowseClick()
{
    platform::FolderDialog dialog(this, QStringLiteral("Output Folder:"), QString(), false);
    if (!OutputEdit->text().isEmpty())
        dialog.SetSelection(OutputEdit->text());
    if (platform::ShowModal(&dialog) == QDialog::Accepted && !dialog.SelectedPath().isEmpty())
        OutputEdit->setText(dialog.SelectedPath());
}

void Tdeanimation::OkClick()
{
    if (!GIFImage1->LoadFromFile(InputEdit->text())) {
        tellLoadFailed();
        return;
    }
    // An empty or missing folder would put the frames somewhere nobody asked for.
    QString folder = QDir::fromNativeSeparators(OutputEdit->text());
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        tell(QStringLiteral("Save Failed. The output folder \"%1\" does not exist.").arg(OutputEdit->text()));
        return;
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    TGIFFrameInfo info;
    for (int n = 1; n <= GIFImage1->FrameCount(); ++n) {
        GIFImage1->GetFrameInfo(n, info);
        const QString name = QStringLiteral("%1Frame%2.bmp").arg(folder).arg(n, 3, 10, QLatin1Char('0'));
        try {
            SaveFrameAsBitmap(name, info.Bitmap);
        } catch (const platform::Error &e) {
            tell(QStringLiteral("Save Failed. %1").arg(e.message()));
            return;
        } catch (const std::bad_alloc &) {
            tell(QStringLiteral("Save Failed. Out of memory"));
            return;
        }
    }
    tell(QStringLiteral("Animation Saved. Success!"));
}

} // namespace media
