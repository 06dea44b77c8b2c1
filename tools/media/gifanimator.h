#pragma once
// "QV Gif Animator": builds and edits animated GIF files on the GIF model of graphics/qv. Frames are
// opened, inserted, pasted, reordered and deleted; the animation's and each frame's GIF settings are
// edited on two pages; a preview window plays the result, and the palette window picks a table entry.
#include "platform/form.h"

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QToolButton;

namespace gfx {
class TGIFImage;
class TQvGIFAnimator;
} // namespace gfx
namespace qv {
class TStoppableWork;
class TComboEdit;
class TQvDrawGrid;
class TFormStorage;
class TQvSlider;
class TQvSpinEdit;
} // namespace qv
namespace speedbar {
class TSpeedBar;
class TSpeedItem;
} // namespace speedbar

namespace media {

// A check box whose state the form storage keeps as "Checked".
class TOptionBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
public:
    using QCheckBox::QCheckBox;
};

// What a file dialog remembers between runs: the folder it starts in.
class TDialogMemory : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString InitialDir READ InitialDir WRITE SetInitialDir)
public:
    using QObject::QObject;
    QString InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString &dir) { initialDir_ = dir; }

private:
    QString initialDir_;
};

// The picture of a tool-bar button of the editor, by caption ("New", "Open", ..., "About"), drawn here;
// the two-glyph strip (up, grayed) the speed bar wants.
QImage AnimatorGlyph(const QString &caption);

// The free physical memory of a /proc/meminfo report ("1,234 KB", "?" when not told) and the memory
// load in percent (-1 when not told).
QString FreeMemoryText(const QByteArray &meminfo);
int MemoryLoad(const QByteArray &meminfo);

// The palette colour picker: a grid of a table's entries; OK gives the chosen entry, Cancel the colour
// it was opened on.
class TPaletteForm : public QDialog {
    Q_OBJECT
public:
    // colours: the table; colour: the one to select (the nearest entry is).
    TPaletteForm(QWidget *owner, const QVector<QRgb> &colours, QRgb colour);
    qv::TQvDrawGrid *PaletteGrid;
    QPushButton *OKBtn, *CancelBtn;
    // The entry under the cursor, and the colour the window gives back.
    int Selected() const;
    QRgb Result() const;
    int Columns() const { return columns_; }
    int CellSize() const { return cell_; }

    // Runs the window; the chosen colour, or the given one when cancelled (and *accepted false).
    static QRgb Execute(QWidget *owner, const QVector<QRgb> &colours, QRgb colour, bool *accepted = nullptr);

private:
    QVector<QRgb> colours_;
    QRgb given_;
    int columns_, cell_;
};

// "Preview": plays an image with play, stop, rewind, step and fast-forward buttons and a frame slider.
class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    TPreviewForm(QWidget *owner, const gfx::TGIFImage &image);
    ~TPreviewForm() override;
    gfx::TQvGIFAnimator *Animator;
    QToolButton *PlayBtn, *StopBtn, *RewindBtn, *BackBtn, *ForwardBtn, *FastForwardBtn;
    qv::TQvSlider *FrameSlider;
    QLabel *FrameLabel; // "Frame:   " and the 1-based number

    void Play();
    void Stop();
    void Rewind();
    void BackOne();
    void ForwardOne();
    void FastForward();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showFrame();
    void updateButtons();
    bool updating_ = false;
};

class TAnimatorForm : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TAnimatorForm(QWidget *owner = nullptr);
    ~TAnimatorForm() override;

    speedbar::TSpeedBar *SpeedBar1;
    speedbar::TSpeedItem *NewBtn, *OpenBtn, *SaveBtn, *SaveAsBtn, *InsertBtn, *CutBtn, *CopyBtn, *PasteBtn,
        *DeleteBtn, *MoveUpBtn, *MoveDownBtn, *GrayscaleBtn, *PreviewBtn, *AboutBtn;
    QWidget *Thumbs[4];
    QLabel *ThumbNumbers[4];
    QScrollBar *ScrollBar1;
    QProgressBar *ProgressBar1;
    QLabel *StatusLabel;
    QTabWidget *PageControl1;
    QWidget *OptionsPage, *AnimationPage, *ImagePage;
    // Options.
    QComboBox *ColorDepth;
    TOptionBox *ThumbnailsBox, *FlatBtns, *AlwaysOnTop;
    // Animation.
    QPlainTextEdit *TrailingComment;
    QLabel *AnimationWidth, *AnimationHeight, *ImageCount, *GIFVersion;
    qv::TComboEdit *BackgroundColor;
    QCheckBox *Looping, *RepeatForever;
    qv::TQvSpinEdit *RepeatCount;
    // Image.
    QPlainTextEdit *ImageComment;
    QLabel *ImageWidth, *ImageHeight;
    qv::TQvSpinEdit *Left, *Top, *Duration;
    QComboBox *UndrawMethod;
    QCheckBox *Transparency;
    qv::TComboEdit *TransparentColor;
    qv::TFormStorage *FormStorage1;
    TDialogMemory *OpenDialog, *SaveDialog;

    gfx::TGIFImage &Image() const { return *image_; }
    QString FileName() const { return fileName_; }
    bool Modified() const { return modified_; }
    // The current frame (0-based; -1 when the image is empty) and the first of the four shown.
    int Current() const { return current_; }
    int FirstShown() const { return first_; }
    // While a file is read, inserted or written (Esc then cancels it).
    bool Loading() const;
    void SelectFrame(int index);

    // The commands; each does what its tool-bar button does.
    void NewClick();
    void OpenClick();
    void SaveClick();
    void SaveAsClick();
    void InsertClick();
    void CutClick();
    void CopyClick();
    void PasteClick();
    void DeleteClick();
    void MoveUpClick();
    void MoveDownClick();
    void GrayscaleClick();
    void PreviewClick();
    void AboutClick();
    void BackgroundColorClick();
    void TransparentColorClick();

    // Opens a file as the edited image (asks nothing); false, after saying why, when it cannot be read.
    bool OpenFile(const QString &fileName);
    // Adds the picture in a file as a frame after the last one; false when it cannot be read or encoded
    // (after saying why) or when Esc cancels it, and then the animation is as it was.
    bool InsertFile(const QString &fileName);
    // Saves under a name; false, after saying why, when it could not be written, or when Esc cancels
    // it; the file there before stays whole either way.
    bool SaveTo(const QString &fileName);
    // Enables the tool-bar buttons for the state of the image and the clipboard.
    void UpdateButtons();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Esc and the window's close button: asks about unsaved changes first (cancels a load instead).
    void reject() override;

private:
    // Asks about unsaved changes; false when the user cancels (or the save failed).
    bool askSave();
    void setModified(bool on);
    void imageChanged();
    void fillControls();
    void updateThumbs();
    void paintThumb(int slot, QPainter &painter);
    void progress(int percent, const QString &message);
    // While a file is read, inserted or written: Esc cancels, the pages are out of reach.
    void setBusy(bool on);
    void setStatus(const QString &text);
    void applyFlat();
    void applyOnTop();
    QString caption() const;

    std::unique_ptr<gfx::TGIFImage> image_;
    QString fileName_;
    bool modified_ = false;
    int current_ = -1;
    int first_ = 0;
    qv::TStoppableWork *work_;
    bool updating_ = false;
};

} // namespace media
