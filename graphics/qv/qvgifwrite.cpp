// Writing GIF files: encoding frames from bitmaps, the graphic control extensions, the stream itself,
// property data, the clipboard and the grayscale conversion.
#include "qvgif.h"
#include "qvreduce.h"

#include "platform/graphics/bytereader.h"

#include <QIODevice>
#include <QMimeData>

namespace gfx {

using platform::Bitmap;
using platform::PixelFormat;

namespace {

[[noreturn]] void noData() { GIFError(sGIFNoData); }

// Each line as a sub-block (empty lines give none), then the terminator. A line longer than a block
// holds goes on in the next ones, split where a character begins, so none of it is lost.
void writeLines(platform::ByteWriter &wr, const QByteArrayList &lines)
{
    for (const QByteArray &l : lines) {
        for (qsizetype at = 0; at < l.size();) {
            qsizetype n = qMin<qsizetype>(l.size() - at, 255);
            for (int back = 0; back < 3 && at + n < l.size() && n > 1 && (uint8_t(l[at + n]) & 0xC0) == 0x80; ++back)
                --n;
            wr.U8(unsigned(n));
            wr.Bytes(l.constData() + at, n);
            at += n;
        }
    }
    wr.U8(0);
}

QByteArrayList commentLines(const QStringList &lines)
{
    QByteArrayList out;
    for (const QString &l : lines)
        out.append(GIFCommentBytes(l));
    return out;
}

void writeTable(platform::ByteWriter &wr, const TGIFColorTable &table, int bits)
{
    wr.Bytes(table.Colors.data(), 3 * (qsizetype(1) << bits));
}

int bitsOfPowerOfTwo(int count)
{
    for (int b = 1; b <= 8; ++b)
        if (count == 1 << b)
            return b;
    GIFError(sGIFColorCount);
}

// Whether the encoded data ends with its terminator; data cut short by a damaged file is closed so that
// the written file stays well-formed.
bool terminated(const QByteArray &data)
{
    qsizetype pos = 1;
    while (pos < data.size()) {
        const int len = uint8_t(data[pos]);
        if (len == 0)
            return pos == data.size() - 1;
        pos += 1 + len;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// Frames

void TGIFFrame::EncodeBitmapFile(const QByteArray &file)
{
    platform::ByteReader rd(file);
    int width = 0, height = 0, bits = 0;
    quint32 offset = 0;
    try {
        rd.Seek(10);
        offset = rd.U32();
        rd.Seek(18);
        width = rd.I32();
        height = rd.I32();
        rd.Skip(2);
        bits = rd.U16();
    } catch (const platform::StreamError &) {
        GIFError(sGIFEncodingError);
    }
    if (bits != 1 && bits != 4 && bits != 8)
        GIFError(sGIFEncodingError);
    const int colours = 1 << bits;
    const qsizetype stride = GIFStride(width, bits);
    if (width <= 0 || height <= 0 || width > kGIFMaxFrameSide || height > kGIFMaxFrameSide ||
        14 + 40 + 4 * colours > file.size() || qint64(offset) + stride * height > file.size())
        GIFError(sGIFEncodingError);
    QVector<QRgb> palette;
    for (int i = 0; i < colours; ++i) {
        const auto *p = reinterpret_cast<const uint8_t *>(file.constData()) + 54 + 4 * i;
        palette.append(qRgb(p[2], p[1], p[0]));
    }
    const auto *pixels = reinterpret_cast<const uint8_t *>(file.constData()) + offset;
    encodePixels(width, height, bits, palette, [&](QByteArray &data, const LZWProgress &progress) {
        Encode(data, TGIFHeader{width, height, bits}, false, progress, pixels);
    });
}

void TGIFFrame::encodePixels(int width, int height, int bits, const QVector<QRgb> &palette,
                             const std::function<void(QByteArray &, const LZWProgress &)> &encode)
{
    const int colours = 1 << bits;
    interlaced_ = false;
    auto item = std::make_shared<TGIFItem>();
    ColourTableFromPalette(item->ColorTable, palette, colours);
    LZWProgress progress = owner_ ? owner_->encodeProgress_ : LZWProgress();
    if (!progress && owner_ && owner_->OnProgress)
        progress = [this](platform::ProgressStage s, int p, const QString &m) { owner_->frameProgress(s, p, m); };
    encode(item->Data, progress);
    item->BitsPerPixel = BitsForCount(colours);
    item->Width = width;
    item->Height = height;
    data_ = item;
    if (owner_) {
        TGIFData &global = *owner_->data_;
        if (global.ColorTable.Count == 0) {
            TGIFData &data = owner_->uniqueData();
            data.ColorTable = item->ColorTable;
            data.BitsPerPixel = item->BitsPerPixel;
            data.ColorResolution = item->BitsPerPixel;
            localTable_ = false;
        } else {
            localTable_ = true;
        }
        owner_->growScreen(QRect(topLeft_, QSize(width, height)));
    }
}

void TGIFFrame::EncodeFromBitmap()
{
    if (!bitmap_ || bitmap_->Empty())
        noData();
    const PixelFormat pf = bitmap_->GetPixelFormat();
    const QImage &image = bitmap_->Image();
    if (pf == PixelFormat::pf8bit && image.format() == QImage::Format_Indexed8 && image.colorCount() == 256 &&
        image.width() <= kGIFMaxFrameSide && image.height() <= kGIFMaxFrameSide) {
        // Its rows are encoded where they are, without a bitmap file in between.
        const int w = image.width(), h = image.height();
        encodePixels(w, h, 8, image.colorTable(), [&](QByteArray &data, const LZWProgress &progress) {
            EncodePixels(data, TGIFHeader{w, h, 8}, false, progress, [&](int y) { return image.constScanLine(y); });
        });
        return;
    }
    QByteArray file;
    if (pf == PixelFormat::pf1bit || pf == PixelFormat::pf4bit || pf == PixelFormat::pf8bit) {
        file = bitmap_->BitmapFile();
    } else {
        const uint8_t method = grayscaleDone_ ? uint8_t(rmGrayscale) : GIFColorReduction;
        // The reduction of a large picture takes as long as its encoding: it reports too.
        std::function<void(int)> reducing;
        if (owner_ && owner_->encodeProgress_)
            reducing = [this](int percent) { owner_->encodeProgress_(platform::ProgressStage::psRunning, percent, QString()); };
        file = BitmapToStream(*bitmap_, PixelFormat::pf8bit, method, reducing);
        if (method == rmGrayscale)
            grayscaleDone_ = true;
    }
    EncodeBitmapFile(file);
}

void TGIFFrame::RebuildGraphicControl()
{
    TExtension *gc = nullptr;
    for (TExtension &e : extensions_)
        if (e.Kind == TExtension::ekGraphicControl) {
            gc = &e;
            break;
        }
    if (!gc && (delay_ > 0 || transparent_ != clNone || disposal_ != 0)) {
        TExtension e;
        e.Kind = TExtension::ekGraphicControl;
        e.FixedBytes = QByteArray("\x04\0\0\0\0\0", 6);
        extensions_.append(e);
        gc = &extensions_.last();
    }
    if (gc) {
        QByteArray &fixed = gc->FixedBytes;
        fixed.resize(6, '\0');
        const int field = delay_ / 10;
        fixed[2] = char(field & 0xFF);
        fixed[3] = char(field >> 8);
        uint8_t packed = uint8_t(fixed[1]);
        const int index = TransparentIndex();
        if (index >= 0) {
            fixed[4] = char(index);
            packed |= 1;
        } else {
            packed &= ~1;
        }
        packed = uint8_t((packed & 0xE3) | (disposal_ & 7) << 2);
        fixed[1] = char(packed);
    }
    extensions_.removeIf([](const TExtension &e) { return e.Kind == TExtension::ekComment && e.Lines.isEmpty(); });
    if (!extensions_.isEmpty() && owner_)
        owner_->raiseVersion(TGIFImage::gv89a);
}

void TGIFFrame::Grayscale(bool forceEncoding)
{
    if (grayscaleDone_ || (!HasBitmap() && !HasEncodedData()))
        return;
    if (HasEncodedData() && data_->ColorTable.Count >= 1) {
        bitmap_.reset();
        TGIFItem &item = uniqueItem();
        const int index = transparent_ == clNone ? -1 : item.ColorTable.IndexOf(transparent_);
        for (int i = 0; i < item.ColorTable.Count; ++i)
            item.ColorTable.SetColor(i, GrayOf(item.ColorTable.Color(i)));
        transparent_ = index >= 0 ? item.ColorTable.Color(index) : clNone;
        grayscaleDone_ = true;
        Bitmap();
        return;
    }
    if (!HasBitmap())
        return;
    const QByteArray file = BitmapToStream(*bitmap_, PixelFormat::pf8bit, rmGrayscale);
    data_ = std::make_shared<TGIFItem>();
    if (forceEncoding)
        EncodeBitmapFile(file);
    grayscaleDone_ = true;
    if (transparent_ != clNone)
        transparent_ = GrayOf(platform::ColorToRGB(transparent_));
    bitmap_->LoadFromBitmapFile(file);
}

// ---------------------------------------------------------------------------------------------------------
// The image

int TGIFImage::AddEncodedFrame(const platform::Graphic *graphic, const LZWProgress &progress)
{
    // Held here, the shared data is copied before the new frame's table could change it.
    const std::shared_ptr<TGIFData> data = data_;
    const uint8_t version = version_;
    const int index = frameIndex_, width = screenWidth_, height = screenHeight_;
    const QSize readScreen = readScreen_;
    const bool corrupted = corrupted_;
    const qsizetype count = qsizetype(frames_.size());
    encodeProgress_ = progress;
    try {
        if (progress)
            progress(platform::ProgressStage::psStarting, 0, QString());
        const int added = AddFrame(graphic);
        TGIFFrame &f = *frames_[size_t(added)];
        if (!f.HasEncodedData()) {
            f.data_ = std::make_shared<TGIFItem>();
            f.EncodeFromBitmap();
        }
        // The frame shows as it will be written: reduced.
        if (f.bitmap_ && f.bitmap_->ColorTable().isEmpty()) {
            f.bitmap_.reset();
            f.Bitmap();
        }
        f.RebuildGraphicControl();
        encodeProgress_ = nullptr;
        return added;
    } catch (...) {
        encodeProgress_ = nullptr;
        frames_.resize(size_t(count));
        data_ = data;
        version_ = version;
        frameIndex_ = index;
        screenWidth_ = width;
        screenHeight_ = height;
        readScreen_ = readScreen;
        corrupted_ = corrupted;
        Changed();
        throw;
    }
}

void TGIFImage::EncodeFrames(bool refresh)
{
    for (auto &f : frames_) {
        if (!f->HasEncodedData()) {
            f->data_ = std::make_shared<TGIFItem>();
            f->EncodeFromBitmap();
        }
        if (refresh && f->bitmap_ && f->bitmap_->ColorTable().isEmpty()) {
            f->bitmap_.reset();
            f->Bitmap();
        }
    }
    for (auto &f : frames_)
        f->RebuildGraphicControl();
}

QByteArray TGIFImage::WriteGIF(bool withCount, const std::function<void(int percent)> &progress)
{
    if (frames_.empty())
        noData();
    EncodeFrames(false);
    if (!data_->Comment.isEmpty())
        raiseVersion(gv89a);
    QByteArray out;
    platform::ByteWriter wr(out);
    wr.Bytes("GIF", 3);
    wr.Bytes(version_ == gvNone ? QByteArray("87a") : VersionName().toLatin1());
    // The screen stays as read or made: it only grows when a frame would not fit on it.
    for (const auto &f : frames_)
        growScreen(QRect(f->topLeft_, QSize(f->Width(), f->Height())));
    wr.U16(unsigned(qMin(screenWidth_, 65535)));
    wr.U16(unsigned(qMin(screenHeight_, 65535)));
    const TGIFColorTable &global = data_->ColorTable;
    int globalBits = 0;
    if (global.Count == 0) {
        wr.U8(0);
        wr.U8(0);
    } else {
        globalBits = bitsOfPowerOfTwo(global.Count);
        const int tableBits = qBound(1, data_->BitsPerPixel, 8);
        wr.U8(unsigned(0x80 + (globalBits - 1) * 16 + (tableBits - 1)));
        const int bg = background_ == clNone ? -1 : global.IndexOf(background_);
        wr.U8(unsigned(qMax(bg, 0)));
    }
    wr.U8(data_->AspectRatio);
    if (global.Count > 0)
        writeTable(wr, global, globalBits);
    if (looping_ && Count() > 1) {
        wr.Bytes("!\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        wr.U16(unsigned(repeatCount_));
        wr.U8(0);
    }
    int written = 0;
    for (auto &f : frames_) {
        if (progress)
            progress(int(qint64(written++) * 100 / Count()));
        // A frame without pixels cannot be written: a size of 0 in a file means the screen's size.
        if (f->data_->Width <= 0 || f->data_->Height <= 0)
            continue;
        for (const TExtension &e : f->extensions_) {
            wr.U8('!');
            wr.U8(TExtension::Label(e.Kind));
            QByteArray fixed = e.FixedBytes;
            fixed.resize(TExtension::FixedSize(e.Kind), '\0');
            wr.Bytes(fixed);
            if (e.Kind != TExtension::ekGraphicControl)
                writeLines(wr, e.Lines);
        }
        TGIFItem &item = *f->data_;
        wr.U8(',');
        wr.U16(unsigned(f->topLeft_.x()));
        wr.U16(unsigned(f->topLeft_.y()));
        wr.U16(unsigned(item.Width));
        wr.U16(unsigned(item.Height));
        uint8_t packed = 0;
        if (f->localTable_) {
            item.BitsPerPixel = BitsForCount(item.ColorTable.Count);
            packed = uint8_t(0x80 | (item.BitsPerPixel - 1));
        }
        if (f->interlaced_)
            packed |= 0x40;
        wr.U8(packed);
        if (f->localTable_)
            writeTable(wr, item.ColorTable, item.BitsPerPixel);
        wr.Bytes(item.Data);
        if (!terminated(item.Data))
            wr.U8(0);
    }
    if (!data_->Comment.isEmpty()) {
        wr.U8('!');
        wr.U8(0xFE);
        writeLines(wr, commentLines(data_->Comment));
    }
    wr.U8(';');
    // What is written here is opened here: a picture the reader would refuse (its screen beyond the
    // budget of so small a file) is not written at all.
    TGIFImage().ReadGIF(out, false);
    if (progress)
        progress(100);
    if (!withCount)
        return out;
    QByteArray counted;
    platform::ByteWriter cw(counted);
    cw.U32(uint32_t(out.size()));
    counted.append(out);
    return counted;
}

void TGIFImage::SaveToStream(QIODevice &stream) { stream.write(WriteGIF(false)); }

void TGIFImage::WriteData(QIODevice &stream) { stream.write(WriteGIF(true)); }

void TGIFImage::ReadData(QIODevice &stream)
{
    const QByteArray head = stream.read(4);
    if (head.size() < 4)
        throw platform::StreamError(QStringLiteral("Stream read error"));
    const qint32 count = platform::ByteReader(head).I32();
    if (count < 0 || count > stream.size() - stream.pos())
        throw platform::StreamError(QStringLiteral("Stream read error"));
    ReadGIF(stream.read(count), true);
}

void TGIFImage::SaveToClipboardFormat(QMimeData &data)
{
    if (frames_.empty())
        return;
    frames_[0]->Bitmap()->SaveToClipboardFormat(data);
    for (const auto &f : frames_)
        if (!f->HasEncodedData())
            return;
    try {
        platform::SetFormatData(data, GIFClipboardFormat(), WriteGIF(true));
    } catch (const platform::InvalidGraphicOperation &e) {
        // A picture that could not be read back travels as its bitmap alone.
        if (e.message() != QLatin1String(sGIFTooLarge))
            throw;
    }
}

void TGIFImage::LoadFromClipboardFormat(const QMimeData &data)
{
    if (platform::HasFormat(data, GIFClipboardFormat())) {
        const QByteArray block = platform::FormatData(data, GIFClipboardFormat());
        if (block.size() < 4)
            throw platform::StreamError(QStringLiteral("Stream read error"));
        const qint32 count = platform::ByteReader(block).I32();
        if (count < 0 || count > block.size() - 4)
            throw platform::StreamError(QStringLiteral("Stream read error"));
        ReadGIF(block.mid(4, count), false);
        if (!frames_.empty()) {
            frameIndex_ = 0;
            if (data.hasImage()) {
                auto b = std::make_unique<Bitmap>();
                b->SetImage(qvariant_cast<QImage>(data.imageData()));
                frames_[0]->bitmap_ = std::move(b);
            }
        }
        return;
    }
    Bitmap b;
    b.LoadFromClipboardFormat(data);
    Assign(&b);
}

void TGIFImage::Grayscale(bool forceEncoding)
{
    if (frames_.empty())
        noData();
    for (auto &f : frames_)
        f->Grayscale(forceEncoding);
    // The global table turns gray too: frames written without a table of their own use it.
    int bgIndex = -1;
    if (data_->ColorTable.Count > 0) {
        if (background_ != clNone)
            bgIndex = data_->ColorTable.IndexOf(background_);
        TGIFColorTable &table = uniqueData().ColorTable;
        for (int i = 0; i < table.Count; ++i)
            table.SetColor(i, GrayOf(table.Color(i)));
    }
    if (background_ != clNone)
        background_ = bgIndex >= 0 ? data_->ColorTable.Color(bgIndex) : GrayOf(platform::ColorToRGB(background_));
    SetPaletteModified(true);
    Changed();
}

} // namespace gfx
