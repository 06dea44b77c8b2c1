#pragma once
// JPEG pictures through libjpeg: kept as the compressed bytes as loaded, decoded into a bitmap on first
// use; a picture assigned from a bitmap is compressed when saved.
#include "bitmap.h"

namespace platform {

class JpegImage : public Graphic {
public:
    JpegImage();
    ~JpegImage() override;

    QString ClassName() const override { return QStringLiteral("TJPEGImage"); }
    std::unique_ptr<Graphic> NewOfSameClass() const override { return std::make_unique<JpegImage>(); }

    bool Empty() const override { return data_.isEmpty() && (!bitmap_ || bitmap_->Empty()); }
    int Width() const override;
    int Height() const override;
    void Draw(QPainter &painter, const QRect &rect) override;

    // 1..100; used when the picture is compressed.
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int value) { quality_ = qBound(1, value, 100); }
    // The decoded pixels (24 bit).
    const Bitmap &GetBitmap() const;

    void LoadFromStream(QIODevice &stream) override;
    void SaveToStream(QIODevice &stream) override;
    void Assign(const Graphic *source) override;
    void AssignTo(Graphic *dest) const override;

    // The codec itself: raise InvalidGraphic on damaged data.
    static QImage Decode(const QByteArray &data);
    static QByteArray Encode(const QImage &image, int quality);

private:
    QByteArray data_;
    mutable std::unique_ptr<Bitmap> bitmap_;
    int quality_ = 90;
};

} // namespace platform
