#pragma once
// The sound recorder window "VO Duvedud": picks a capture device and a format and records into a WAVE
// file. Shown without waiting for it (modeless); closing it stops the recording.
#include "platform/form.h"
#include "tools/media/dscapture.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace media {

class TWaveFileStream;

class THDRecorder : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit THDRecorder(QWidget *owner = nullptr);
    ~THDRecorder() override;

    QLabel *Label1;           // "Record a sound on the HD"
    QComboBox *DriverBox;     // the capture devices
    QComboBox *FormatBox;     // "%dHz %dbit %s" for each format of the device
    QLineEdit *FileNameEdit;  // where the recording goes
    QPushButton *BrowseButton;
    QPushButton *StartButton; // "&Start"
    QPushButton *StopButton;  // "S&top"
    QPushButton *CloseButton; // "&Close"
    QLabel *SizeLabel;        // "%d byte", and the overruns when there were any
    QLabel *MessageLabel;     // why recording is not possible

    TSoundCaptureStream *Capture() const { return capture_.get(); }
    bool Recording() const { return wave_ != nullptr; }

    void DriverBoxChange();
    void BrowseButtonClick();
    void StartButtonClick();
    void StopButtonClick();
    void BufferFilled();

protected:
    void done(int result) override;
    void showEvent(QShowEvent *event) override;

private:
    // Copies every captured byte waiting into the file and brings its header up to date; raises.
    void CopyWaiting();
    // Ends the recording: the last sound, the completed file, the controls back; says why when `why`
    // or the completion has something to tell.
    void StopRecording(const QString &why = QString());
    void SetRecording(bool on);
    void ShowSize();
    void ShowProblem(const QString &text);
    void Tell(const QString &text);

    std::unique_ptr<TSoundCaptureStream> capture_;
    std::unique_ptr<TWaveFileStream> wave_;
};

} // namespace media
