#pragma once
// Animated cursors: a RIFF "ACON" file read into a list of icon frames with their display rates, to be
// handed to a single icon, a strip bitmap, an icon list or a GIF image. Reading only: saving is not
// supported.
#include "qvicon.h"

#include "platform/graphics/color.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;

namespace gfx {

class TGIFImage;
class TIconList;

// The "anih" chunk.
struct TANIHeader {
    quint32 dwSizeof = 0;
    quint32 dwFrames = 0;
    quint32 dwSteps = 0;
    quint32 dwCX = 0;
    quint32 dwCY = 0;
    quint32 dwBitCount = 0;
    quint32 dwPlanes = 0;
    quint32 dwJIFRate = 0; // the default display rate, 1/60 s
    quint32 dwFlags = 0;
};
constexpr quint32 AF_ICON = 1;     // the frames are icon resources
constexpr quint32 AF_SEQUENCE = 2; // a "seq " chunk orders them

struct TChunkHeader {
    QByteArray Id; // four characters
    quint32 Size = 0;
};

class TIconFrame {
public:
    TIconFrame(int index, quint32 jiffies);
    ~TIconFrame();
    TIconFrame(const TIconFrame &) = delete;
    TIconFrame &operator=(const TIconFrame &) = delete;

    // Null until the frame has an icon.
    TIcon *Icon() const { return icon_.get(); }
    void SetIcon(const TIcon *icon);
    // Copies the icon and every field.
    void Assign(const TIconFrame *source);

    bool IsIcon = false; // the icon directory was an icon's rather than a cursor's
    TChunkHeader TagHeader;
    QPoint HotSpot;
    quint32 JiffRate = 0;
    qint32 Seq = -1; // the icon this step shows, -1 for none

private:
    std::unique_ptr<TIcon> icon_;
};

class TAnimatedCursorImage {
public:
    TAnimatedCursorImage();
    ~TAnimatedCursorImage();
    TAnimatedCursorImage(const TAnimatedCursorImage &) = delete;
    TAnimatedCursorImage &operator=(const TAnimatedCursorImage &) = delete;

    int Count() const { return int(frames_.size()); }
    // Indices out of range raise "List index out of bounds (%d)".
    TIcon *Icons(int index) const { return Frames(index)->Icon(); }
    TIconFrame *Frames(int index) const;
    const TANIHeader &Header() const { return header_; }
    QString Title() const { return title_; }
    QString Artist() const { return artist_; }
    // The most colours an image of the icons has: 2, 16 or 256, or 0 when none is of 1, 4 or 8 bits.
    int IconColors() const { return iconColors_; }

    void Clear();
    // Header, names, colour count and a copy of every frame; null clears.
    void Assign(const TAnimatedCursorImage *source);
    // An icon gets the first frame's icon, a bitmap the horizontal strip over white reduced in colours,
    // a GIF image one frame per icon with its rate; others raise.
    void AssignTo(platform::Graphic *dest) const;
    // Cleared, then every frame's icon, as one change.
    void AssignTo(TIconList *dest) const;
    // The frames side by side (or one under the other) in cells of the first icon's size over the
    // background, reduced to Max(IconColors, 16) colours when asked. Null without frames.
    std::unique_ptr<platform::Bitmap> IconsStrip(bool horizontal, platform::Color background,
                                                 bool decreaseColors) const;

    // Reads Size - Position bytes. A file that is not an animated cursor, or whose chunks, icons, rates or
    // sequence do not fit their sizes, raises StreamError "Stream read error" and leaves this as it was.
    void LoadFromStream(QIODevice &stream);
    void LoadFromBytes(const QByteArray &bytes);
    void LoadFromFile(const QString &path);
    // Not supported: says so and aborts silently.
    [[noreturn]] void SaveToStream(QIODevice &stream);

private:
    friend class AniReader;
    void assignTo(TGIFImage *gif) const;

    TANIHeader header_;
    QString title_;
    QString artist_;
    std::vector<std::unique_ptr<TIconFrame>> frames_;
    int iconColors_ = 0;
};

} // namespace gfx
