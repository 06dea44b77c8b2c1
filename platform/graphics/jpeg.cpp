#include "jpeg.h"

#include <QIODevice>
#include <QPainter>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace platform {
namespace {

constexpr JDIMENSION kMaxSide = 32768;
constexpr qint64 kMaxPixels = qint64(1) << 28;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr, int) {}

// Errors leave the library through the jump buffer; warnings are dropped.
jpeg_error_mgr *errorManager(ErrorManager &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    return &err.pub;
}

// Only C objects live between setjmp and the library calls; the image belongs to the caller.
bool decodeInto(const QByteArray &data, QImage &out, char *message)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = errorManager(err);
    if (setjmp(err.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width > kMaxSide || cinfo.image_height > kMaxSide ||
        qint64(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Image too large");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB888);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool encodeInto(const QImage &rgb, int quality, unsigned char **buffer, unsigned long *size, char *message)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = errorManager(err);
    if (setjmp(err.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uchar *>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

JpegImage::JpegImage() = default;
JpegImage::~JpegImage() = default;

QImage JpegImage::Decode(const QByteArray &data)
{
    QImage out;
    char message[JMSG_LENGTH_MAX] = {};
    if (!decodeInto(data, out, message))
        throw InvalidGraphic(QStringLiteral("JPEG error: %1").arg(QString::fromLocal8Bit(message)));
    return out;
}

QByteArray JpegImage::Encode(const QImage &image, int quality)
{
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        throw InvalidGraphicOperation(QStringLiteral("Cannot compress an empty JPEG image"));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool ok = encodeInto(rgb, quality, &buffer, &size, message);
    QByteArray out;
    if (ok)
        out = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    if (!ok)
        throw InvalidGraphicOperation(QStringLiteral("JPEG error: %1").arg(QString::fromLocal8Bit(message)));
    return out;
}

const Bitmap &JpegImage::GetBitmap() const
{
    if (!bitmap_) {
        auto b = std::make_unique<Bitmap>();
        if (!data_.isEmpty())
            b->SetImage(Decode(data_));
        bitmap_ = std::move(b);
    }
    return *bitmap_;
}

int JpegImage::Width() const { return Empty() ? 0 : GetBitmap().Width(); }
int JpegImage::Height() const { return Empty() ? 0 : GetBitmap().Height(); }

void JpegImage::Draw(QPainter &painter, const QRect &rect)
{
    if (!Empty())
        painter.drawImage(rect, GetBitmap().Image());
}

void JpegImage::LoadFromStream(QIODevice &stream)
{
    const QByteArray bytes = stream.read(stream.size() - stream.pos());
    auto b = std::make_unique<Bitmap>();
    if (!bytes.isEmpty())
        b->SetImage(Decode(bytes)); // damaged data fails here and leaves the picture as it was
    data_ = bytes;
    bitmap_ = std::move(b);
    Changed();
}

void JpegImage::SaveToStream(QIODevice &stream)
{
    if (data_.isEmpty() && bitmap_ && !bitmap_->Empty())
        data_ = Encode(bitmap_->Image(), quality_);
    stream.write(data_);
}

void JpegImage::Assign(const Graphic *source)
{
    if (source == this)
        return;
    if (auto *j = dynamic_cast<const JpegImage *>(source)) {
        data_ = j->data_;
        quality_ = j->quality_;
        bitmap_.reset();
        if (j->bitmap_) {
            bitmap_ = std::make_unique<Bitmap>();
            bitmap_->Assign(j->bitmap_.get());
        }
        Changed();
        return;
    }
    if (!source) {
        data_.clear();
        bitmap_.reset();
        Changed();
        return;
    }
    if (auto *b = dynamic_cast<const Bitmap *>(source)) {
        data_.clear();
        bitmap_ = std::make_unique<Bitmap>();
        bitmap_->SetImage(b->Image().convertToFormat(QImage::Format_RGB888));
        Changed();
        return;
    }
    Graphic::Assign(source);
}

void JpegImage::AssignTo(Graphic *dest) const
{
    if (auto *b = dynamic_cast<Bitmap *>(dest)) {
        b->Assign(Empty() ? nullptr : &GetBitmap());
        return;
    }
    Graphic::AssignTo(dest);
}

} // namespace platform
