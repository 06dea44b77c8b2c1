#pragma once
// The picture converters of the Tools menu: a bitmap file to a GIF file, a GIF file's first frame to a
// bitmap file, and every frame of an animated GIF to a bitmap file of its own. Each reads and writes
// through the GIF display control and the bitmap layer and ends with one message.
#include <QDialog>
#include <QImage>
#include <QRgb>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace media {

class TGIFImage;

// The caption, banner and the parts every converter window has.
class TConverterWindow : public QDialog {
    Q_OBJECT
public:
    QLineEdit *InputEdit;
    QLineEdit *OutputEdit;
    QPushButton *InputBrowse;  // "&Browse..."
    QPushButton *OutputBrowse; // "&Browse..."
    QPushButton *OkButton;     // "&Ok"
    QPushButton *CancelButton; // "&Cancel"
    TGIFImage *GIFImage1;      // the display control that reads and writes the GIFs; not shown

    virtual void OkClick() = 0;

protected:
    TConverterWindow(QWidget *owner, const QString &caption, const QString &banner, const QString &outputCaption);
    // Rows between the inputs and the buttons.
    void addRow(QWidget *widget);
    // The message that ends a conversion.
    void tell(const QString &text);
    // "Load Failed. Error Code = %d [%s]" with the display control's status.
    void tellLoadFailed();

private:
    QVBoxLayout *rows_;
};

class Tbmptogif : public TConverterWindow {
    Q_OBJECT
public:
    explicit Tbmptogif(QWidget *owner = nullptr);

    QCheckBox *SaveInterlaced;
    QCheckBox *SaveTransparent; // "Save with the following pixels as Transparent:"
    QPushButton *ColorPanel;    // the transparent colour; a click offers the colour dialog
    QLabel *ProgressLabel;      // "%d%% Complete" while saving

    QRgb TransparentColor() const { return colour_; }
    void SetTransparentColor(QRgb colour);

    void InputBrowseClick();
    void OutputBrowseClick();
    void ColorPanelClick();
    void OkClick() override;

private:
    // Reads the input bitmap; false (after saying why) when it cannot be read.
    bool loadBitmap(QImage &image);
    QRgb colour_;
};

class Tgiftobmp : public TConverterWindow {
    Q_OBJECT
public:
    explicit Tgiftobmp(QWidget *owner = nullptr);
    void InputBrowseClick();
    void OutputBrowseClick();
    void OkClick() override;
};

class Tdeanimation : public TConverterWindow {
    Q_OBJECT
public:
    explicit Tdeanimation(QWidget *owner = nullptr);
    void InputBrowseClick();
    void OutputBrowseClick();
    void OkClick() override;
};

// Writes a frame bitmap as a 24-bit bitmap file, atomically; the colour of transparent pixels stays.
void SaveFrameAsBitmap(const QString &fileName, const QImage &frame);

} // namespace media
