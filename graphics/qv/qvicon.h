#pragma once
// Icons: an icon file held as the bytes it was read from, with one of its images decoded by our own
// bounded reader (1, 4, 8, 24 and 32 bits per pixel with the AND mask, PNG images through Qt once their
// size is checked). Icons travel on the clipboard as "Umbrix Icon".
#include "platform/graphics/bitmap.h"
#include "platform/graphics/clipboard.h"

#include <QImage>
#include <QList>
#include <QPoint>

namespace gfx {

// The largest side of an icon image we decode: the most an icon directory can state. A PNG image of this
// size may come from a hundred bytes of data, so a larger bound would let a small file claim much memory.
constexpr int kIconMaxSide = 256;

// One entry of an icon or cursor directory, as stored. A cursor keeps its hotspot where an icon keeps
// its planes and bit count.
struct TIconDirEntry {
    int Width = 0;  // 0 in the file stands for 256
    int Height = 0;
    int ColorCount = 0;
    int Planes = 0;   // a cursor's hotspot x
    int BitCount = 0; // a cursor's hotspot y
    quint32 Size = 0;
    quint32 Offset = 0;
};

struct TIconDirectory {
    int Type = 0; // 1 icon, 2 cursor
    QList<TIconDirEntry> Entries;
};

// The directory of an icon (type 1) or cursor (type 2) file. Raises InvalidGraphic "Invalid icon" unless
// the reserved word is 0, there is at least one entry, and every entry and its image lie within the bytes.
TIconDirectory ReadIconDirectory(const QByteArray &bytes);
// The bits per pixel of an entry's image: the info header's field (1, 4, 8, 24 or 32), or 32 for a PNG
// image. Raises "Invalid icon" for any other count or an image too short to tell.
int IconEntryBitCount(const QByteArray &bytes, const TIconDirEntry &entry);
// An entry's image as ARGB32 (not premultiplied); raises "Invalid icon" when it cannot be read whole.
QImage DecodeIconEntry(const QByteArray &bytes, const TIconDirEntry &entry);
// The entry an icon shows: the one nearest to 32 x 32, then the one with the most bits per pixel.
int BestIconEntry(const TIconDirectory &directory);

class TIcon : public platform::Graphic {
public:
    TIcon();
    ~TIcon() override;

    QString ClassName() const override { return QStringLiteral("TIcon"); }
    std::unique_ptr<platform::Graphic> NewOfSameClass() const override { return std::make_unique<TIcon>(); }

    bool Empty() const override { return data_.isEmpty(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    // "Cannot change the size of an icon".
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void Draw(QPainter &painter, const QRect &rect) override;
    bool Equals(const platform::Graphic *other) const override;

    // The image shown, ARGB32; null when empty.
    const QImage &Image() const { return image_; }
    // Which directory entry is shown (-1 when empty).
    int ImageIndex() const { return imageIndex_; }
    // The icon file as it was read.
    const QByteArray &Data() const { return data_; }

    // Reads Size - Position bytes: an icon file (type 1). Anything else raises InvalidGraphic
    // "Invalid icon" and leaves the icon as it was.
    void LoadFromStream(QIODevice &stream) override;
    // The bytes as they were read; an empty icon raises "Invalid icon".
    void SaveToStream(QIODevice &stream) override;
    void SaveToClipboardFormat(QMimeData &data) override;
    void LoadFromClipboardFormat(const QMimeData &data) override;
    // From another icon; null empties it.
    void Assign(const platform::Graphic *source) override;
    // A bitmap gets the pixels over a colour no opaque pixel has, which becomes its transparent colour.
    void AssignTo(platform::Graphic *dest) const override;

    static platform::ClipboardFormat IconClipboardFormat();

private:
    void load(const QByteArray &bytes);

    QByteArray data_;
    QImage image_;
    int imageIndex_ = -1;
};

} // namespace gfx
