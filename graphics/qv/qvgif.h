#pragma once
// The GIF picture: a whole GIF87a/GIF89a file held as a list of frames, each with its encoded data shared
// by reference, the bitmap decoded from it on first use, and its extensions. Reads hostile files safely,
// writes GIF files, and travels on the clipboard as "GIF Image".
#include "qvgiflzw.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/clipboard.h"
#include "platform/graphics/color.h"

#include <QByteArrayList>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <memory>
#include <vector>

namespace gfx {

using platform::Color;
using platform::clNone;

// Image-level data, shared between images (copied before a change while shared).
struct TGIFData {
    QStringList Comment; // the trailing comment
    uint8_t AspectRatio = 0;
    int BitsPerPixel = 0; // of the global table
    int ColorResolution = 0;
    TGIFColorTable ColorTable; // the global table
};

// A frame's encoded data, shared between frames.
struct TGIFItem {
    QByteArray Data; // LZW minimum code size byte and the data sub-blocks, terminator included
    int Width = 0;
    int Height = 0;
    uint8_t Packed = 0;
    int BitsPerPixel = 0; // of the frame's table
    TGIFColorTable ColorTable;
};

class TExtension {
public:
    enum Kind : uint8_t { ekGraphicControl = 0, ekPlainText = 1, ekApplication = 2, ekComment = 3 };
    uint8_t Kind = ekComment;
    QByteArrayList Lines;   // one per data sub-block
    QByteArray FixedBytes;  // the block-size byte first

    static uint8_t Label(uint8_t kind);
    // 6, 13, 12 or 0 fixed bytes by kind.
    static int FixedSize(uint8_t kind);
    void Assign(const TExtension &other) { *this = other; }
};

// Limits that keep a hostile file from exhausting memory. One budget covers what showing a picture holds:
// a byte per frame pixel, four per screen pixel for the composed picture, and four per pixel of the largest
// frame that restores the previous picture (the part it covers is saved). A file may claim no more than
// the fixed cap, and no more than the slack plus a share per byte of the file. One byte of LZW data
// describes at most about 2730 pixels (a 12-bit code for a string of 4091); flat pictures come out at
// about 1450 pixels per byte from encoders that clear a full table and 1900 from the tightest optimisers,
// and a frame that fills the screen costs at most 9 bytes per pixel: 32768 per byte of file keeps every
// picture an encoder can make, while a 40-byte file cannot claim much more than the slack.
constexpr int kGIFMaxFrameSide = 16384;
constexpr qint64 kGIFMaxPixelBytes = qint64(1) << 30;
constexpr qint64 kGIFSlackPixelBytes = qint64(64) << 20;
constexpr qint64 kGIFPixelBytesPerFileByte = 32768;
// The longest delay a file can hold: 65535 hundredths of a second.
constexpr int kGIFMaxDelay = 655350;

// The budget above for one file: every reader of GIF files spends on it what it will hold of the screen
// and the frames once it has read the blocks that give their sizes, before it makes them, and is stopped
// with "GIF image too large" past it (a file whose blocks do not read is told as such first).
class TGIFBudget {
public:
    explicit TGIFBudget(qint64 fileBytes)
        : limit_(qMin(kGIFMaxPixelBytes, kGIFSlackPixelBytes + kGIFPixelBytesPerFileByte * qMax<qint64>(0, fileBytes)))
    {
    }
    qint64 Limit() const { return limit_; }
    qint64 Spent() const { return spent_; }
    void Spend(qint64 pixelBytes)
    {
        spent_ += pixelBytes;
        if (spent_ > limit_)
            GIFTooLarge();
    }

private:
    qint64 limit_;
    qint64 spent_ = 0;
};

class TGIFImage;

class TGIFFrame {
public:
    explicit TGIFFrame(TGIFImage *owner);
    ~TGIFFrame();
    TGIFFrame(const TGIFFrame &) = delete;
    TGIFFrame &operator=(const TGIFFrame &) = delete;

    TGIFImage *Owner() const { return owner_; }
    // The bitmap, decoded from the encoded data on first use and then kept.
    platform::Bitmap *Bitmap();
    bool HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }
    bool HasEncodedData() const { return data_ && !data_->Data.isEmpty(); }
    const TGIFItem &Item() const { return *data_; }
    int Width();
    int Height();

    int AnimateInterval() const { return delay_; }
    void SetAnimateInterval(int ms); // clamped to 0..kGIFMaxDelay
    int DisposalMethod() const { return disposal_; }
    void SetDisposalMethod(int value);
    Color TransparentColor() const { return transparent_; }
    void SetTransparentColor(Color value);
    // The pixel value that is transparent: the one the graphic control extension names while it still has
    // the transparent colour, else the first table entry of that colour; -1 without a transparent colour
    // or (for a frame of a deep-colour bitmap) without a table.
    int TransparentIndex() const;
    QPoint Origin() const { return topLeft_; }
    void SetOrigin(const QPoint &value);
    bool Interlaced() const { return interlaced_; }
    bool Corrupted() const { return corrupted_; }
    bool GrayscaleDone() const { return grayscaleDone_; }
    bool LocalColorTable() const { return localTable_; }
    QList<TExtension> &Extensions() { return extensions_; }
    const QList<TExtension> &Extensions() const { return extensions_; }
    // The lines of the frame's comment extension (created when missing).
    QStringList Comment();
    void SetComment(const QStringList &lines);

    void Draw(QPainter &painter, const QRect &rect, bool transparent);
    // From a frame, an image (its current frame), another graphic (its pixels) or null (empties it).
    void Assign(const TGIFFrame *source);
    void Assign(const TGIFImage *source);
    void Assign(const platform::Graphic *source);
    void AssignTo(platform::Graphic *dest);
    void Grayscale(bool forceEncoding);

private:
    friend class TGIFImage;
    friend class GIFReader;
    void NewImage();
    void changed();
    TGIFItem &uniqueItem();
    // Encodes a Windows bitmap file of 1, 4 or 8 bits as the frame's data.
    void EncodeBitmapFile(const QByteArray &file);
    // Makes the frame's data of width x height pixels of the given bits (1, 4 or 8) with the palette's
    // table; encode appends the LZW data.
    void encodePixels(int width, int height, int bits, const QVector<QRgb> &palette,
                      const std::function<void(QByteArray &data, const LZWProgress &progress)> &encode);
    void EncodeFromBitmap();
    void RebuildGraphicControl();

    TGIFImage *owner_;
    std::unique_ptr<platform::Bitmap> bitmap_;
    std::shared_ptr<TGIFItem> data_;
    QList<TExtension> extensions_;
    QPoint topLeft_;
    bool interlaced_ = false;
    bool corrupted_ = false;
    bool grayscaleDone_ = false;
    Color transparent_ = clNone;
    int delay_ = 0;
    int disposal_ = 0;
    bool localTable_ = false;
};

class TGIFImage : public platform::Graphic {
public:
    enum Version : uint8_t { gvNone = 0, gv87a = 1, gv89a = 2 };

    TGIFImage();
    ~TGIFImage() override;

    QString ClassName() const override { return QStringLiteral("TGIFImage"); }
    std::unique_ptr<platform::Graphic> NewOfSameClass() const override { return std::make_unique<TGIFImage>(); }

    void Clear() { Assign(static_cast<const platform::Graphic *>(nullptr)); }
    int Count() const { return int(frames_.size()); }
    TGIFFrame *Frames(int index) const;
    int FrameIndex() const { return frameIndex_; }
    void SetFrameIndex(int value);
    int ScreenWidth() const { return Empty() ? 0 : screenWidth_; }
    int ScreenHeight() const { return Empty() ? 0 : screenHeight_; }
    Color BackgroundColor() const { return background_; }
    void SetBackgroundColor(Color value);
    bool Looping() const { return looping_; }
    void SetLooping(bool value);
    int RepeatCount() const { return repeatCount_; }
    void SetRepeatCount(int value); // clamped to 0..30000
    QStringList Comment() const { return data_->Comment; }
    void SetComment(const QStringList &lines);
    bool Corrupted() const;
    int GetVersion() const { return version_; }
    QString VersionName() const;
    const TGIFData &Data() const { return *data_; }

    virtual int AddFrame(const platform::Graphic *graphic);
    int AddFrame(const TGIFFrame *frame);
    // Empties the image and takes the frame with its owner's global data.
    void AssignFrame(const TGIFFrame *frame);
    void DeleteFrame(int index);
    void MoveFrame(int current, int newIndex);
    // Adds a graphic as a new frame, encoded at once (reduced by the chosen method when it has more
    // colours); progress is told how far the encoding is and may raise platform::Abort. A failure or an
    // abort leaves the image as it was.
    int AddEncodedFrame(const platform::Graphic *graphic, const LZWProgress &progress);
    void DecodeAllFrames();
    void EncodeAllFrames() { EncodeFrames(true); }
    void Grayscale(bool forceEncoding);
    // Resets the screen to 0x0 and grows it over every frame (the screen the file gave is forgotten).
    void UpdateScreenSize();

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void Draw(QPainter &painter, const QRect &rect) override;
    bool Transparent() const override;
    QVector<QRgb> Palette() override;
    bool Equals(const platform::Graphic *other) const override;
    // The current frame's bitmap (frame 0 when the index is out of range); an image without frames gets
    // one empty frame first.
    platform::Bitmap *GetBitmap();

    void Assign(const platform::Graphic *source) override;
    void AssignTo(platform::Graphic *dest) const override;
    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void ReadData(QIODevice &stream) override;
    void WriteData(QIODevice &stream) override;
    void SaveToClipboardFormat(QMimeData &data) override;
    void LoadFromClipboardFormat(const QMimeData &data) override;

    // Reads a whole GIF; decodes the current frame when asked. Raises on a bad file, which leaves the
    // image empty.
    void ReadGIF(const QByteArray &bytes, bool decodeCurrent);
    // The GIF file, preceded by its 32-bit byte count when asked; progress is told the share of frames
    // written and may raise platform::Abort. Raises "GIF image too large" rather than write a picture
    // that reading would refuse.
    QByteArray WriteGIF(bool withCount, const std::function<void(int percent)> &progress = {});

    static platform::ClipboardFormat GIFClipboardFormat();

private:
    friend class TGIFFrame;
    friend class GIFReader;
    void NewImage();
    TGIFData &uniqueData();
    void growScreen(const QRect &r);
    // The screen the file gave, grown over every frame where it lies now.
    void fitScreen();
    void raiseVersion(int v)
    {
        if (version_ < v)
            version_ = uint8_t(v);
    }
    void EncodeFrames(bool refresh);
    template <typename Source>
    int addFrameFrom(const Source *source);
    void frameProgress(platform::ProgressStage stage, int percent, const QString &message);
    void signalChange() { Changed(); }

    std::shared_ptr<TGIFData> data_;
    uint8_t version_ = gvNone;
    std::vector<std::unique_ptr<TGIFFrame>> frames_;
    int frameIndex_ = -1;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    QSize readScreen_{0, 0}; // as the file gave it; none for a picture made here or recomputed
    Color background_ = clNone;
    bool looping_ = false;
    bool corrupted_ = false;
    int repeatCount_ = 1;
    LZWProgress encodeProgress_; // while AddEncodedFrame runs
};

// The gray of a colour: (77 R + 150 G + 29 B) shr 8 in all three channels.
Color GrayOf(Color c);

} // namespace gfx
