#pragma once
// A graphic control that shows a GIF file: every image of it is kept as a frame bitmap of its own, shown
// still or animated by a TTimerEx. Every operation leaves its outcome in a status code with a fixed text.
// The same unit writes one bitmap as a GIF89a file. (Unrelated to gfx::TGIFImage, the editor's model.)
#include "tools/media/timerex.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>
#include <vector>

class QPainter;

class QIODevice;

namespace media {

enum TGIFStatus {
    gsNone = 0,
    gsCancelled = 1,
    gsInternalError = 2,
    gsInvalidFormat = 3,
    gsTooManyColors = 4,
    gsIndexOutOfBounds = 5,
    gsGDIError = 6,
    gsFileNotFound = 7,
    gsResourceNotFound = 8,
    // The picture would hold more memory than the GIF budget allows a file of its size (or more than
    // could be had).
    gsTooLarge = 9,
};

// The fixed text of a status code ("" for a code outside the list).
QString GIFStatusText(int code);

inline constexpr int kMaxGIFFrames = 256;

// One image of the file, whole, at its place on the screen.
struct TGIFDisplayFrame {
    // 32 bits a pixel; transparent pixels (when Transparent) have alpha 0.
    QImage Bitmap;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Delay = 0; // milliseconds
    int DisposalMethod = 0;
    bool Interlaced = false;
    bool Transparent = false;
    QRgb TransparentColor = 0;
    QString Comment;
};

// Everything a parse yields.
struct TGIFDisplayData {
    QString Version; // "87a" or "89a"
    int ScreenWidth = 0, ScreenHeight = 0;
    int BackgroundIndex = 0;
    QVector<QRgb> GlobalColors;
    int LoopCount = 0;
    std::vector<TGIFDisplayFrame> Frames;
};

// Position, continue flag, percentage and size; clearing the flag cancels.
using TGIFProgress = std::function<void(QObject *sender, qint64 position, bool &proceed, int percent, qint64 size)>;

// Parses a whole GIF file into data and gives the status (gsNone, gsInvalidFormat, gsTooLarge or
// gsCancelled). What the frames, the screen they are shown on and the decoding hold is spent on the GIF
// budget (graphics/qv) before it is made.
int ParseGIFDisplay(const QByteArray &bytes, bool firstImageOnly, const std::function<bool(qint64 position)> &proceed,
                    TGIFDisplayData &out);

// A bitmap as a whole GIF89a file (status gsNone), or the status of the failure (gsTooManyColors,
// gsTooLarge for a picture that reading the file would refuse, or gsCancelled when progress, told the
// percentage done as the rows are read, answers false).
int EncodeBitmapAsGIF(const QImage &bitmap, bool interlaced, QRgb transparentColor, bool transparent, QByteArray &out,
                      const std::function<bool(int percent)> &progress = {});

// Filled by GetFrameInfo.
using TGIFFrameInfo = TGIFDisplayFrame;

class TGIFImage : public QWidget {
    Q_OBJECT
public:
    explicit TGIFImage(QWidget *parent = nullptr);
    ~TGIFImage() override;

    // Loads a file or a stream's remaining bytes; on failure the status tells why and the picture
    // shown before stays.
    bool LoadFromFile(const QString &fileName);
    bool LoadFromStream(QIODevice &stream);
    bool LoadFromData(const QByteArray &bytes);
    // The raw GIF bytes.
    const QByteArray &Data() const { return raw_; }
    // The "Data" property as stored with a form: a 32-bit little-endian byte count, then the file's
    // bytes. Reading parses them again; a count beyond the bytes or a file that fails to parse leaves
    // the control as it was (status 3).
    QByteArray WriteDataProperty() const;
    bool ReadDataProperty(const QByteArray &stored);

    int Status() const { return status_; }
    QString StatusText() const { return GIFStatusText(status_); }
    bool Empty() const { return data_.Frames.empty(); }
    int FrameCount() const { return int(data_.Frames.size()); }
    int ScreenWidth() const { return data_.ScreenWidth; }
    int ScreenHeight() const { return data_.ScreenHeight; }
    int BackgroundIndex() const { return data_.BackgroundIndex; }
    int LoopCount() const { return data_.LoopCount; }
    QString Version() const { return data_.Version; }
    // A copy of frame index (1-based); an index outside the frames sets status 5 and gives an empty record.
    bool GetFrameInfo(int index, TGIFFrameInfo &info);
    // The current frame as a bitmap (null when empty or when the frame has no pixels).
    QImage ToBitmap() const;

    // Writes one bitmap as a GIF89a file, atomically and only on success; OnProgress follows the rows
    // read (position and size in rows) up to 100 and may cancel.
    bool SaveBitmapAsGIF(const QString &fileName, const QImage &bitmap, bool interlaced, QRgb transparentColor,
                         bool transparent);

    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    int CurrentFrame() const { return current_ + 1; }
    void SetCurrentFrame(int value);
    bool FirstImageOnly() const { return firstImageOnly_; }
    void SetFirstImageOnly(bool value) { firstImageOnly_ = value; }
    bool Loop() const { return loop_; }
    void SetLoop(bool value);
    int Speed() const { return speed_; }
    void SetSpeed(int value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value) { center_ = value; update(); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value) { stretch_ = value; update(); }
    bool StretchRatio() const { return stretchRatio_; }
    void SetStretchRatio(bool value) { stretchRatio_ = value; update(); }
    bool Tile() const { return tile_; }
    void SetTile(bool value) { tile_ = value; update(); }
    bool Opaque() const { return opaque_; }
    void SetOpaque(bool value) { opaque_ = value; update(); }
    // Each frame is composed off screen and shown in one piece (on by default).
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
    bool Threaded() const { return timer_->Threaded(); }
    void SetThreaded(bool value) { timer_->SetThreaded(value); }
    TThreadPriority ThreadPriority() const { return timer_->ThreadPriority(); }
    void SetThreadPriority(TThreadPriority value) { timer_->SetThreadPriority(value); }
    const TTimerEx &Timer() const { return *timer_; }

    std::function<void(QObject *)> OnChanging, OnChange, OnWrapAnimation;
    TGIFProgress OnProgress;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool load(const QByteArray &bytes);
    void setStatus(int status) { status_ = status; }
    void paint(QPainter &painter);
    void tick();
    void planTimer();
    unsigned frameInterval(int index) const;

    QByteArray raw_;
    TGIFDisplayData data_;
    int status_ = gsNone;
    int current_ = 0;
    int passes_ = 1;
    bool animate_ = false, firstImageOnly_ = false, loop_ = false, autoSize_ = false, center_ = false;
    bool stretch_ = false, stretchRatio_ = false, tile_ = false, opaque_ = false, doubleBuffered_ = true;
    int speed_ = 100;
    TTimerEx *timer_;
};

} // namespace media
