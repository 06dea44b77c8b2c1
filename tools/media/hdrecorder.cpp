#include "hdrecorder.h"

#include "platform/dialogs.h"
#include "platform/shell/filedialogs.h"
#include "tools/media/wave.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

namespace media {

namespace {

constexpr qint64 kCopyBytes = 64 * 1024;

QString FormatLine(const platform::SoundFormat &f)
{
    return QString::asprintf("%dHz %dbit %s", f.rate, f.bits, f.channels == 1 ? "Mono" : "Stereo");
}

} // namespace

THDRecorder::THDRecorder(QWidget *owner)
{
    setParent(owner, windowFlags() | Qt::Dialog);
    setObjectName(QStringLiteral("HDRecorder"));
    setWindowTitle(QStringLiteral("VO Duvedud"));

    Label1 = new QLabel(QStringLiteral("Record a sound on the HD"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    Label1->setStyleSheet(QStringLiteral("background-color: #808080; color: #ffffff; padding: 6px;"));

    DriverBox = new QComboBox(this);
    DriverBox->setObjectName(QStringLiteral("DriverBox"));
    FormatBox = new QComboBox(this);
    FormatBox->setObjectName(QStringLiteral("FormatBox"));
    FileNameEdit = new QLineEdit(QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/test.wav")), this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    BrowseButton = new QPushButton(QStringLiteral("Browse"), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    MessageLabel = new QLabel(this);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setWordWrap(true);
    MessageLabel->hide();
    SizeLabel = new QLabel(QStringLiteral("0 byte"), this);
    SizeLabel->setObjectName(QStringLiteral("SizeLabel"));
    StartButton = new QPushButton(QStringLiteral("&Start"), this);
    StartButton->setObjectName(QStringLiteral("StartButton"));
    StartButton->setAutoDefault(false);
    StopButton = new QPushButton(QStringLiteral("S&top"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setAutoDefault(false);
    CloseButton = new QPushButton(QStringLiteral("&Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);

    auto *file = new QHBoxLayout;
    file->addWidget(FileNameEdit, 1);
    file->addWidget(BrowseButton);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(SizeLabel, 1);
    buttons->addWidget(StartButton);
    buttons->addWidget(StopButton);
    buttons->addWidget(CloseButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(DriverBox);
    layout->addWidget(FormatBox);
    layout->addLayout(file);
    layout->addWidget(MessageLabel);
    layout->addLayout(buttons);
    // Word-wrapped messages need the height for their width.
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    for (const TDirectXDriver &driver : CaptureDrivers())
        DriverBox->addItem(driver.Description, driver.Id);
    DriverBox->setCurrentIndex(DriverBox->count() > 0 ? 0 : -1);
    DriverBoxChange();
    resize(380, heightForWidth(380) > 0 ? heightForWidth(380) : sizeHint().height());

    connect(DriverBox, &QComboBox::currentIndexChanged, this, [this] { DriverBoxChange(); });
    connect(BrowseButton, &QPushButton::clicked, this, [this] { BrowseButtonClick(); });
    connect(StartButton, &QPushButton::clicked, this, [this] { StartButtonClick(); });
    connect(StopButton, &QPushButton::clicked, this, [this] { StopButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);

    FinishLoading();
}

void THDRecorder::showEvent(QShowEvent *event)
{
    // Shown again after a close, which let the device go.
    if (!capture_ && DriverBox->count() > 0)
        DriverBoxChange();
    QDialog::showEvent(event);
}

void THDRecorder::done(int result)
{
    // Every way out (Close, the title bar, Escape) ends here: the recording stops and the device is let go.
    StopRecording();
    capture_.reset();
    StartButton->setEnabled(false);
    QDialog::done(result);
}

THDRecorder::~THDRecorder()
{
    StopRecording();
}

void THDRecorder::DriverBoxChange()
{
    StopRecording();
    capture_.reset();
    FormatBox->clear();
    ShowProblem(QString());
    const int index = DriverBox->currentIndex();
    if (index < 0) {
        ShowProblem(QStringLiteral("No sound capture device was found, so nothing can be recorded. "
                                   "Connect a microphone or a line input and open the recorder again."));
    } else {
        try {
            capture_ = std::make_unique<TSoundCaptureStream>(DriverBox->itemData(index).toString());
        } catch (const platform::Error &e) {
            ShowProblem(e.message());
        }
    }
    if (capture_) {
        for (const platform::SoundFormat &format : capture_->SupportedFormats())
            FormatBox->addItem(FormatLine(format));
        FormatBox->setCurrentIndex(FormatBox->count() - 1);
        if (FormatBox->count() == 0)
            ShowProblem(QStringLiteral("The device offers none of the formats the recorder can write."));
    }
    SetRecording(false);
}

void THDRecorder::BrowseButtonClick()
{
    platform::FileDialogRequest request;
    request.save = true;
    request.filter = QStringLiteral("Wave (*.wav)|*.wav|All files (*.*)|*.*");
    request.fileName = QDir::fromNativeSeparators(FileNameEdit->text());
    request.options = platform::ofOverwritePrompt;
    if (platform::ExecuteFileDialog(this, request))
        FileNameEdit->setText(QDir::toNativeSeparators(request.fileName));
}

void THDRecorder::StartButtonClick()
{
    StopRecording();
    if (!capture_ || FormatBox->currentIndex() < 0)
        return;
    // The device first: one that refuses leaves an existing file as it was.
    capture_->SetFormatIndex(FormatBox->currentIndex());
    try {
        capture_->Open();
    } catch (const platform::Error &e) {
        Tell(e.message());
        return;
    }
    const TWaveFormatEx format = capture_->WaveFormat();
    try {
        auto wave = std::make_unique<TWaveFileStream>(QDir::fromNativeSeparators(FileNameEdit->text()),
                                                      FileMode::CreateInPlace);
        wave->SetPCMFormat(int(format.SamplesPerSec), format.BitsPerSample, format.Channels);
        wave->Open(true);
        wave->UpdateSizes();
        wave_ = std::move(wave);
    } catch (const platform::Error &e) {
        capture_->Close();
        Tell(e.message());
        return;
    }
    // A recording is a stream, not a save: it goes straight into its file (not through a temporary file
    // renamed at the end), and the header's sizes follow every write, so a recording cut off by a crash
    // or a kill leaves a valid file holding what was captured until then.
    SetRecording(true);
    ShowSize();
    capture_->SetOnBufferFilled([this](TSoundCaptureStream *) { BufferFilled(); });
}

void THDRecorder::StopButtonClick()
{
    StopRecording();
}

void THDRecorder::CopyWaiting()
{
    std::vector<char> buffer(static_cast<size_t>(kCopyBytes));
    // What is waiting now, not what keeps arriving: the loop ends.
    for (qint64 waiting = capture_->FilledSize(); waiting > 0;) {
        const qint64 n = capture_->ReadWave(buffer.data(), std::min(waiting, kCopyBytes));
        if (wave_->Write(buffer.data(), n) != n)
            throw platform::FileError(QStringLiteral("The sound file has reached the largest size a wave can have."));
        waiting -= n;
    }
    wave_->UpdateSizes();
}

void THDRecorder::BufferFilled()
{
    if (!wave_ || !capture_)
        return;
    try {
        CopyWaiting();
    } catch (const platform::Error &e) {
        StopRecording(e.message());
        return;
    }
    ShowSize();
}

void THDRecorder::StopRecording(const QString &why)
{
    if (!wave_)
        return;
    QString problem = why;
    capture_->SetOnBufferFilled(nullptr);
    if (problem.isEmpty()) {
        try {
            CopyWaiting(); // the sound captured since the last look
        } catch (const platform::Error &e) {
            problem = e.message();
        }
    }
    capture_->Close();
    const QString name = QDir::toNativeSeparators(FileNameEdit->text());
    try {
        wave_->Complete();
    } catch (const platform::Error &e) {
        if (problem.isEmpty())
            problem = e.message();
    }
    ShowSize();
    wave_.reset();
    SetRecording(false);
    if (!problem.isEmpty())
        Tell(QStringLiteral("The recording stopped. %1\nThe file \"%2\" holds what was recorded until then.")
                 .arg(problem, name));
}

void THDRecorder::SetRecording(bool on)
{
    const bool possible = capture_ && FormatBox->count() > 0;
    StartButton->setEnabled(!on && possible);
    StopButton->setEnabled(on);
    DriverBox->setEnabled(!on && DriverBox->count() > 0);
    FormatBox->setEnabled(!on && possible);
    BrowseButton->setEnabled(!on);
    FileNameEdit->setReadOnly(on);
    QPalette edit = FileNameEdit->palette();
    edit.setColor(QPalette::Base, palette().color(on ? QPalette::Button : QPalette::Base));
    FileNameEdit->setPalette(edit);
}

void THDRecorder::ShowSize()
{
    if (!wave_)
        return;
    QString text = QStringLiteral("%1 byte").arg(wave_->DataSize());
    if (const int overruns = capture_->Overruns(); overruns > 0)
        text += overruns == 1 ? QStringLiteral(", 1 overrun") : QStringLiteral(", %1 overruns").arg(overruns);
    SizeLabel->setText(text);
}

void THDRecorder::ShowProblem(const QString &text)
{
    MessageLabel->setText(text);
    MessageLabel->setVisible(!text.isEmpty());
}

void THDRecorder::Tell(const QString &text)
{
    platform::MessageBox(this, text, windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace media
