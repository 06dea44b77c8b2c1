#include "qvgif.h"

#include "platform/graphics/bytereader.h"
#include "platform/graphics/picture.h"

#include <QBuffer>
#include <QIODevice>
#include <QMimeData>
#include <QPainter>

namespace gfx {

using platform::Bitmap;
using platform::Graphic;

namespace {

[[noreturn]] void listError(int index)
{
    throw platform::Error(QStringLiteral("List index out of bounds (%1)").arg(index));
}

// The picture container knows GIF files and the "GIF Image" clipboard format from start-up on.
struct Registration {
    Registration()
    {
        auto create = [] { return std::make_unique<TGIFImage>(); };
        platform::Picture::RegisterFileFormat(QStringLiteral("gif"), QString::fromLatin1(sGIFDescription),
                                              QStringLiteral("TGIFImage"), create);
        platform::Picture::RegisterClipboardFormat(TGIFImage::GIFClipboardFormat(), QStringLiteral("TGIFImage"), create);
    }
} registration;

} // namespace

Color GrayOf(Color c)
{
    const int y = (77 * platform::RedOf(c) + 150 * platform::GreenOf(c) + 29 * platform::BlueOf(c)) >> 8;
    return platform::RGBColor(y, y, y);
}

uint8_t TExtension::Label(uint8_t kind)
{
    static constexpr uint8_t kLabels[4] = {0xF9, 0x01, 0xFF, 0xFE};
    return kLabels[kind & 3];
}

int TExtension::FixedSize(uint8_t kind)
{
    static constexpr int kSizes[4] = {6, 13, 12, 0};
    return kSizes[kind & 3];
}

// ---------------------------------------------------------------------------------------------------------
// Frames

TGIFFrame::TGIFFrame(TGIFImage *owner) : owner_(owner) { NewImage(); }

TGIFFrame::~TGIFFrame() = default;

void TGIFFrame::NewImage()
{
    data_ = std::make_shared<TGIFItem>();
    grayscaleDone_ = false;
    corrupted_ = false;
    transparent_ = clNone;
    topLeft_ = QPoint(0, 0);
    interlaced_ = false;
    delay_ = 0;
    disposal_ = 0;
    localTable_ = false;
}

void TGIFFrame::changed()
{
    if (owner_)
        owner_->signalChange();
}

TGIFItem &TGIFFrame::uniqueItem()
{
    if (data_.use_count() > 1)
        data_ = std::make_shared<TGIFItem>(*data_);
    return *data_;
}

Bitmap *TGIFFrame::Bitmap()
{
    if (bitmap_ && !bitmap_->Empty())
        return bitmap_.get();
    auto b = std::make_unique<platform::Bitmap>();
    if (HasEncodedData() && data_->Width > 0 && data_->Height > 0) {
        LZWProgress progress;
        if (owner_ && owner_->OnProgress)
            progress = [this](platform::ProgressStage s, int p, const QString &m) { owner_->frameProgress(s, p, m); };
        bool bad = false;
        int bits = 8;
        QImage image = DecodeFrameImage(data_->ColorTable, data_->BitsPerPixel, data_->Width, data_->Height,
                                        interlaced_, data_->Data, progress, GIFTolerateCorruptData, bad, bits);
        corrupted_ = corrupted_ || bad;
        b->SetIndexedImage(std::move(image), platform::FormatOfBits(bits));
    }
    bitmap_ = std::move(b);
    return bitmap_.get();
}

int TGIFFrame::Width()
{
    if (HasBitmap())
        return bitmap_->Width();
    return HasEncodedData() ? data_->Width : 0;
}

int TGIFFrame::Height()
{
    if (HasBitmap())
        return bitmap_->Height();
    return HasEncodedData() ? data_->Height : 0;
}

void TGIFFrame::SetAnimateInterval(int ms)
{
    ms = qBound(0, ms, kGIFMaxDelay);
    if (ms == delay_)
        return;
    delay_ = ms;
    if (owner_ && ms > 0)
        owner_->raiseVersion(TGIFImage::gv89a);
    changed();
}

void TGIFFrame::SetDisposalMethod(int value)
{
    value = qBound(0, value, 7);
    if (value == disposal_)
        return;
    disposal_ = value;
    if (owner_ && value != 0)
        owner_->raiseVersion(TGIFImage::gv89a);
    changed();
}

void TGIFFrame::SetTransparentColor(Color value)
{
    if (value == transparent_)
        return;
    transparent_ = value;
    if (owner_ && value != clNone)
        owner_->raiseVersion(TGIFImage::gv89a);
    changed();
}

void TGIFFrame::SetOrigin(const QPoint &value)
{
    if (value == topLeft_)
        return;
    // The frame stays within the largest screen a file can hold.
    topLeft_ = QPoint(qBound(0, value.x(), qMax(0, 65535 - Width())), qBound(0, value.y(), qMax(0, 65535 - Height())));
    // The screen follows the frames where they now lie: a place typed by mistake and then corrected
    // leaves nothing behind.
    if (owner_)
        owner_->fitScreen();
    changed();
}

QStringList TGIFFrame::Comment()
{
    for (const TExtension &e : extensions_)
        if (e.Kind == TExtension::ekComment) {
            return GIFCommentLines(e.Lines);
        }
    TExtension e;
    e.Kind = TExtension::ekComment;
    extensions_.append(e);
    return {};
}

void TGIFFrame::SetComment(const QStringList &lines)
{
    Comment(); // makes sure the extension exists
    for (TExtension &e : extensions_)
        if (e.Kind == TExtension::ekComment) {
            e.Lines.clear();
            for (const QString &l : lines)
                e.Lines.append(GIFCommentBytes(l));
            break;
        }
    changed();
}

int TGIFFrame::TransparentIndex() const
{
    if (transparent_ == clNone)
        return -1;
    if (HasEncodedData() && data_->ColorTable.Count > 0) {
        const TGIFColorTable &table = data_->ColorTable;
        for (const TExtension &e : extensions_) {
            if (e.Kind != TExtension::ekGraphicControl)
                continue;
            if (e.FixedBytes.size() >= 5) {
                const uint8_t packed = uint8_t(e.FixedBytes[1]), kept = uint8_t(e.FixedBytes[4]);
                if ((packed & 1) && kept < table.Count && table.Color(kept) == (transparent_ & 0xFFFFFF))
                    return kept;
            }
            break;
        }
        return table.IndexOf(transparent_);
    }
    if (bitmap_ && bitmap_->Image().format() == QImage::Format_Indexed8) {
        const QRgb rgb = platform::ToQRgb(transparent_) & 0xFFFFFF;
        const QVector<QRgb> table = bitmap_->ColorTable();
        for (qsizetype i = 0; i < table.size(); ++i)
            if ((table[i] & 0xFFFFFF) == rgb)
                return int(i);
    }
    return -1;
}

void TGIFFrame::Draw(QPainter &painter, const QRect &rect, bool transparent)
{
    platform::Bitmap *b = Bitmap();
    if (b->Empty())
        return;
    if (!transparent || transparent_ == clNone) {
        painter.drawImage(rect, b->Image());
        return;
    }
    const QImage &image = b->Image();
    const int index = TransparentIndex();
    if (index < 0 || image.format() != QImage::Format_Indexed8 || index >= image.colorCount()) {
        painter.drawImage(rect, b->KeyedImage(transparent_)); // a deep-colour bitmap has only its colours
        return;
    }
    // Only the pixels of that value are transparent: the table may hold the same colour again for
    // opaque ones.
    QImage keyed = image;
    QVector<QRgb> table = image.colorTable();
    for (QRgb &c : table)
        c |= 0xFF000000;
    table[index] = 0;
    keyed.setColorTable(table);
    painter.drawImage(rect, keyed);
}

void TGIFFrame::Assign(const TGIFFrame *source)
{
    if (!source) {
        Assign(static_cast<const Graphic *>(nullptr));
        return;
    }
    if (source == this)
        return;
    data_ = source->data_;
    localTable_ = source->owner_ == owner_ ? source->localTable_ : true;
    topLeft_ = source->topLeft_;
    interlaced_ = source->interlaced_;
    bitmap_.reset();
    if (source->bitmap_) {
        bitmap_ = std::make_unique<platform::Bitmap>();
        bitmap_->Assign(source->bitmap_.get());
    }
    transparent_ = source->transparent_;
    delay_ = source->delay_;
    disposal_ = source->disposal_;
    grayscaleDone_ = source->grayscaleDone_;
    corrupted_ = source->corrupted_;
    // The graphic control block names the transparent entry, which the table may hold twice: the copy
    // takes the source's, or none, never one of its own from before.
    extensions_.removeIf([](const TExtension &e) { return e.Kind == TExtension::ekGraphicControl; });
    for (const TExtension &e : source->extensions_)
        if (e.Kind == TExtension::ekGraphicControl) {
            extensions_.prepend(e);
            break;
        }
    for (const TExtension &e : source->extensions_)
        if (e.Kind == TExtension::ekComment && !e.Lines.isEmpty()) {
            Comment(); // makes sure the extension exists; the bytes are taken as they are
            for (TExtension &own : extensions_)
                if (own.Kind == TExtension::ekComment) {
                    own.Lines = e.Lines;
                    break;
                }
            changed();
            break;
        }
    if (owner_)
        owner_->UpdateScreenSize();
}

void TGIFFrame::Assign(const TGIFImage *source)
{
    if (!source || source->Count() == 0) {
        Assign(static_cast<const Graphic *>(nullptr));
        return;
    }
    Assign(source->Frames(qMax(source->FrameIndex(), 0)));
}

void TGIFFrame::Assign(const Graphic *source)
{
    if (auto *image = dynamic_cast<const TGIFImage *>(source)) {
        Assign(image);
        return;
    }
    if (source && !source->Empty()) {
        NewImage();
        bitmap_ = std::make_unique<platform::Bitmap>();
        bitmap_->Assign(source);
        if (source->Transparent()) {
            auto *b = dynamic_cast<const platform::Bitmap *>(source);
            transparent_ = b ? b->TransparentColor() : bitmap_->TransparentColor();
        }
    } else {
        NewImage();
        bitmap_.reset();
    }
    if (owner_)
        owner_->UpdateScreenSize();
}

void TGIFFrame::AssignTo(Graphic *dest)
{
    if (auto *image = dynamic_cast<TGIFImage *>(dest)) {
        image->AssignFrame(this);
        return;
    }
    if (!dest)
        return;
    dest->Assign(Bitmap());
    if (auto *b = dynamic_cast<platform::Bitmap *>(dest)) {
        if (transparent_ != clNone) {
            b->SetTransparent(true);
            b->SetTransparentColor(platform::ColorToRGB(transparent_));
        }
    }
}

// ---------------------------------------------------------------------------------------------------------
// The image

TGIFImage::TGIFImage()
{
    NewImage();
    SetTransparent(true);
    SetModified(false);
}

TGIFImage::~TGIFImage() = default;

platform::ClipboardFormat TGIFImage::GIFClipboardFormat()
{
    static const platform::ClipboardFormat format = platform::RegisterClipboardFormat(QStringLiteral("GIF Image"));
    return format;
}

void TGIFImage::NewImage()
{
    data_ = std::make_shared<TGIFData>();
    frames_.clear();
    corrupted_ = false;
    frameIndex_ = -1;
    background_ = clNone;
    repeatCount_ = 1;
    looping_ = false;
    version_ = gvNone;
    screenWidth_ = screenHeight_ = 0;
    readScreen_ = QSize(0, 0);
}

TGIFData &TGIFImage::uniqueData()
{
    if (data_.use_count() > 1)
        data_ = std::make_shared<TGIFData>(*data_);
    return *data_;
}

TGIFFrame *TGIFImage::Frames(int index) const
{
    if (index < 0 || index >= Count())
        listError(index);
    return frames_[size_t(index)].get();
}

void TGIFImage::SetFrameIndex(int value)
{
    value = qBound(-1, value, Count() - 1);
    if (value == frameIndex_)
        return;
    frameIndex_ = value;
    SetPaletteModified(true);
    Changed();
}

void TGIFImage::SetBackgroundColor(Color value)
{
    if (value == background_)
        return;
    background_ = value;
    Changed();
}

void TGIFImage::SetLooping(bool value)
{
    if (value == looping_)
        return;
    looping_ = value;
    Changed();
}

void TGIFImage::SetRepeatCount(int value)
{
    value = qBound(0, value, 30000);
    if (value == repeatCount_)
        return;
    repeatCount_ = value;
    Changed();
}

void TGIFImage::SetComment(const QStringList &lines)
{
    if (lines == data_->Comment)
        return;
    uniqueData().Comment = lines;
    Changed();
}

bool TGIFImage::Corrupted() const
{
    if (corrupted_)
        return true;
    for (const auto &f : frames_)
        if (f->corrupted_)
            return true;
    return false;
}

QString TGIFImage::VersionName() const
{
    static const char *const kNames[3] = {"", "87a", "89a"};
    return QString::fromLatin1(kNames[version_ % 3]);
}

void TGIFImage::growScreen(const QRect &r)
{
    if (r.isEmpty())
        return; // a frame without pixels covers nothing
    screenWidth_ = qMax(screenWidth_, r.left() + r.width());
    screenHeight_ = qMax(screenHeight_, r.top() + r.height());
}

void TGIFImage::UpdateScreenSize()
{
    readScreen_ = QSize(0, 0);
    fitScreen();
}

void TGIFImage::fitScreen()
{
    screenWidth_ = readScreen_.width();
    screenHeight_ = readScreen_.height();
    for (const auto &f : frames_)
        growScreen(QRect(f->topLeft_, QSize(f->Width(), f->Height())));
}

template <typename Source>
int TGIFImage::addFrameFrom(const Source *source)
{
    frames_.push_back(std::make_unique<TGIFFrame>(this));
    TGIFFrame &frame = *frames_.back();
    frameIndex_ = Count() - 1;
    frame.Assign(source);
    raiseVersion(gv87a);
    if (Count() > 1)
        raiseVersion(gv89a);
    growScreen(QRect(frame.topLeft_, QSize(frame.Width(), frame.Height())));
    Changed();
    return frameIndex_;
}

int TGIFImage::AddFrame(const Graphic *graphic) { return addFrameFrom(graphic); }

int TGIFImage::AddFrame(const TGIFFrame *frame) { return addFrameFrom(frame); }

void TGIFImage::AssignFrame(const TGIFFrame *frame)
{
    if (!frame) {
        Clear();
        return;
    }
    NewImage();
    if (frame->owner_) {
        const TGIFData &src = *frame->owner_->data_;
        data_->AspectRatio = src.AspectRatio;
        data_->BitsPerPixel = src.BitsPerPixel;
        data_->ColorResolution = src.ColorResolution;
        data_->ColorTable = src.ColorTable;
    }
    AddFrame(frame);
}

void TGIFImage::DeleteFrame(int index)
{
    if (index < 0 || index >= Count())
        listError(index);
    frames_.erase(frames_.begin() + index);
    UpdateScreenSize();
    if (frameIndex_ >= Count())
        --frameIndex_;
    Changed();
}

void TGIFImage::MoveFrame(int current, int newIndex)
{
    if (current < 0 || current >= Count())
        listError(current);
    if (newIndex < 0 || newIndex >= Count())
        listError(newIndex);
    auto frame = std::move(frames_[size_t(current)]);
    frames_.erase(frames_.begin() + current);
    frames_.insert(frames_.begin() + newIndex, std::move(frame));
    frameIndex_ = newIndex;
    Changed();
}

void TGIFImage::DecodeAllFrames()
{
    for (int i = 0; i < Count(); ++i) {
        try {
            frames_[size_t(i)]->Bitmap();
        } catch (const platform::Abort &) {
            frames_.erase(frames_.begin() + i, frames_.end());
            frameIndex_ = qMin(frameIndex_, Count() - 1);
            corrupted_ = true;
            break;
        } catch (const std::exception &) {
            // A frame that cannot be decoded is skipped; the others still are.
        }
    }
}

void TGIFImage::frameProgress(platform::ProgressStage stage, int percent, const QString &message)
{
    Progress(stage, percent, false, QRect(), message);
}

bool TGIFImage::Empty() const
{
    if (frames_.empty())
        return true;
    const TGIFFrame *f = frames_[size_t(qMax(frameIndex_, 0))].get();
    return !f->HasBitmap() && !f->HasEncodedData();
}

int TGIFImage::Width() const
{
    if (Empty() || frameIndex_ < 0 || frameIndex_ >= Count())
        return 0;
    return frames_[size_t(frameIndex_)]->Width();
}

int TGIFImage::Height() const
{
    if (Empty() || frameIndex_ < 0 || frameIndex_ >= Count())
        return 0;
    return frames_[size_t(frameIndex_)]->Height();
}

void TGIFImage::SetWidth(int) { throw platform::InvalidGraphicOperation(QString::fromLatin1(sGIFCannotResize)); }
void TGIFImage::SetHeight(int) { throw platform::InvalidGraphicOperation(QString::fromLatin1(sGIFCannotResize)); }

void TGIFImage::Draw(QPainter &painter, const QRect &rect)
{
    if (frameIndex_ < 0 || frameIndex_ >= Count())
        return;
    frames_[size_t(frameIndex_)]->Draw(painter, rect, Graphic::Transparent());
}

bool TGIFImage::Transparent() const
{
    if (!Graphic::Transparent())
        return false;
    for (const auto &f : frames_)
        if (f->transparent_ != clNone)
            return true;
    return false;
}

QVector<QRgb> TGIFImage::Palette()
{
    if (frames_.empty())
        return {};
    return GetBitmap()->ColorTable();
}

bool TGIFImage::Equals(const Graphic *other) const
{
    auto *gif = dynamic_cast<const TGIFImage *>(other);
    return gif && gif->data_ == data_;
}

Bitmap *TGIFImage::GetBitmap()
{
    if (frames_.empty()) {
        const platform::Bitmap empty;
        AddFrame(&empty);
        return frames_[0]->Bitmap();
    }
    const int i = frameIndex_ >= 0 && frameIndex_ < Count() ? frameIndex_ : 0;
    return frames_[size_t(i)]->Bitmap();
}

void TGIFImage::Assign(const Graphic *source)
{
    if (source == this)
        return;
    if (!source) {
        NewImage();
        Changed();
        return;
    }
    if (auto *gif = dynamic_cast<const TGIFImage *>(source)) {
        data_ = gif->data_;
        version_ = gif->version_;
        background_ = gif->background_;
        repeatCount_ = gif->repeatCount_;
        looping_ = gif->looping_;
        corrupted_ = gif->corrupted_;
        frames_.clear();
        for (const auto &src : gif->frames_) {
            auto f = std::make_unique<TGIFFrame>(this);
            frames_.push_back(std::move(f));
            frames_.back()->Assign(src.get());
            frames_.back()->localTable_ = src->localTable_;
        }
        screenWidth_ = gif->screenWidth_;
        screenHeight_ = gif->screenHeight_;
        readScreen_ = gif->readScreen_;
        frameIndex_ = gif->frameIndex_;
        Changed();
        return;
    }
    if (auto *bitmap = dynamic_cast<const platform::Bitmap *>(source)) {
        NewImage();
        AddFrame(static_cast<const Graphic *>(bitmap));
        return;
    }
    Graphic::Assign(source);
}

void TGIFImage::AssignTo(Graphic *dest) const
{
    if (auto *gif = dynamic_cast<TGIFImage *>(dest)) {
        gif->Assign(this);
        return;
    }
    if (auto *bitmap = dynamic_cast<platform::Bitmap *>(dest)) {
        auto *self = const_cast<TGIFImage *>(this);
        if (Empty())
            bitmap->Assign(nullptr);
        else if (frameIndex_ < 0)
            bitmap->Assign(self->GetBitmap());
        else
            self->frames_[size_t(frameIndex_)]->AssignTo(bitmap);
        return;
    }
    Graphic::AssignTo(dest);
}

void TGIFImage::LoadFromStream(QIODevice &stream)
{
    ReadGIF(stream.read(qMax<qint64>(0, stream.size() - stream.pos())), true);
}

// ---------------------------------------------------------------------------------------------------------
// Reading

class GIFReader {
public:
    GIFReader(TGIFImage &image, const QByteArray &bytes)
        : image_(image), rd_(bytes)
    {
    }

    void Run()
    {
        readHeader();
        uint8_t b = rd_.AtEnd() ? ';' : rd_.U8();
        QList<TExtension> pending;
        while (b != 0 && b != ';' && !rd_.AtEnd()) {
            while (b == '!') {
                readExtension(pending);
                b = rd_.AtEnd() ? ';' : rd_.U8();
            }
            if (b == ',') {
                auto frame = std::make_unique<TGIFFrame>(&image_);
                if (image_.data_->ColorTable.Count > 0)
                    frame->data_->BitsPerPixel = bitsOfCount(image_.data_->ColorTable.Count);
                frame->extensions_ = pending;
                pending.clear();
                readFrame(*frame);
                image_.frames_.push_back(std::move(frame));
                if (rd_.AtEnd()) {
                    b = ';';
                } else {
                    b = rd_.U8();
                    while (b == 0 && !rd_.AtEnd())
                        b = rd_.U8();
                    if (b != '!' && b != ',' && b != ';')
                        b = 0;
                }
            } else if (image_.data_->Comment.isEmpty() && !pending.isEmpty()) {
                QStringList &comment = image_.data_->Comment;
                for (const TExtension &e : pending) {
                    if (e.Kind != TExtension::ekComment)
                        continue;
                    if (!comment.isEmpty())
                        comment.append(QStringLiteral("\r\n\r\n"));
                    comment.append(GIFCommentLines(e.Lines));
                }
                pending.clear();
            } else if (b != 0 && b != ';') {
                throw platform::StreamError(QStringLiteral("Stream read error"));
            }
        }
        chargeMemory();
    }

private:
    static int bitsOfCount(int count)
    {
        for (int b = 1; b <= 8; ++b)
            if (count == 1 << b)
                return b;
        GIFError(sGIFColorCount);
    }

    void readTable(TGIFColorTable &table, int bits)
    {
        table.Clear();
        table.Count = 1 << bits;
        rd_.Read(table.Colors.data(), 3 * table.Count);
    }

    void readHeader()
    {
        const QByteArray sig = rd_.Bytes(3);
        if (sig.toUpper() != "GIF")
            GIFError(sGIFUnknownVersion);
        const QByteArray ver = rd_.Bytes(3).toLower();
        if (ver == "87a")
            image_.version_ = TGIFImage::gv87a;
        else if (ver == "89a")
            image_.version_ = TGIFImage::gv89a;
        else
            GIFError(sGIFUnknownVersion);
        TGIFData &data = *image_.data_;
        image_.screenWidth_ = rd_.U16();
        image_.screenHeight_ = rd_.U16();
        image_.readScreen_ = QSize(image_.screenWidth_, image_.screenHeight_);
        const uint8_t packed = rd_.U8();
        const uint8_t background = rd_.U8();
        data.AspectRatio = rd_.U8();
        data.BitsPerPixel = (packed & 7) + 1;
        data.ColorResolution = ((packed & 0x70) >> 4) + 1;
        if (packed & 0x80) {
            readTable(data.ColorTable, data.BitsPerPixel);
            if (background < data.ColorTable.Count)
                image_.background_ = data.ColorTable.Color(background);
        }
    }

    void readSubBlocks(TExtension &e)
    {
        while (!rd_.AtEnd()) {
            const int len = rd_.U8();
            if (len == 0)
                break;
            // A block cut short by the end of the file keeps what is there.
            e.Lines.append(rd_.Bytes(qMin<qsizetype>(len, rd_.Remaining())));
        }
    }

    void readExtension(QList<TExtension> &pending)
    {
        const uint8_t label = rd_.U8();
        TExtension e;
        switch (label) {
        case 0xF9: e.Kind = TExtension::ekGraphicControl; break;
        case 0x01: e.Kind = TExtension::ekPlainText; break;
        case 0xFF: e.Kind = TExtension::ekApplication; break;
        case 0xFE: e.Kind = TExtension::ekComment; break;
        default:
            throw platform::InvalidGraphicOperation(
                QString::fromLatin1(sGIFUnknownExtension).arg(QString::number(label, 16).rightJustified(2, QLatin1Char('0')).toUpper()));
        }
        e.FixedBytes = rd_.Bytes(TExtension::FixedSize(e.Kind));
        if (e.Kind != TExtension::ekGraphicControl)
            readSubBlocks(e);
        switch (e.Kind) {
        case TExtension::ekGraphicControl:
        case TExtension::ekComment:
            pending.append(e);
            break;
        case TExtension::ekPlainText:
            pending.clear();
            break;
        default:
            loopBlock(e);
        }
    }

    void loopBlock(const TExtension &e)
    {
        if (e.Lines.isEmpty())
            return;
        const int n = qBound(0, int(uint8_t(e.FixedBytes[0])), 11);
        const QByteArray id = e.FixedBytes.mid(1, n);
        if (id != QByteArray("NETSCAPE2.0").left(n) && id != QByteArray("ANIMEXTS1.0").left(n))
            return;
        const QByteArray &line = e.Lines.first();
        if (line.size() < 3 || line[0] != 1)
            return;
        image_.looping_ = true;
        image_.repeatCount_ = qMin(int(uint8_t(line[1]) | uint8_t(line[2]) << 8), 30000);
    }

    void readFrame(TGIFFrame &frame)
    {
        TGIFItem &item = *frame.data_;
        const int left = rd_.U16(), top = rd_.U16();
        int width = rd_.U16(), height = rd_.U16();
        const uint8_t packed = rd_.U8();
        frame.interlaced_ = packed & 0x40;
        if (packed & 0x80) {
            item.BitsPerPixel = (packed & 7) + 1;
            readTable(item.ColorTable, item.BitsPerPixel);
            frame.localTable_ = true;
        } else {
            item.ColorTable.Clear();
            frame.localTable_ = false;
        }
        bool corrupted = false;
        if (rd_.AtEnd()) {
            corrupted = true;
        } else {
            item.Data.append(char(rd_.U8()));
            bool terminated = false;
            while (!rd_.AtEnd()) {
                const int len = rd_.U8();
                if (rd_.Remaining() < len) {
                    // The file ends inside this block: what is there is kept, as a block of its true size.
                    corrupted = true;
                    const qsizetype rest = rd_.Remaining();
                    if (rest > 0) {
                        item.Data.append(char(rest));
                        item.Data.append(reinterpret_cast<const char *>(rd_.Here()), rest);
                        rd_.Skip(rest);
                    }
                    break;
                }
                item.Data.append(char(len));
                if (len == 0) {
                    terminated = true;
                    break;
                }
                item.Data.append(reinterpret_cast<const char *>(rd_.Here()), len);
                rd_.Skip(len);
            }
            if (!terminated)
                corrupted = true; // the file ended inside the image data
        }
        if (corrupted && !GIFTolerateCorruptData)
            throw platform::StreamError(QStringLiteral("Stream read error"));
        if (width == 0)
            width = image_.screenWidth_;
        if (height == 0)
            height = image_.screenHeight_;
        if (width == 0 || height == 0)
            corrupted = true;
        frame.topLeft_ = QPoint(left, top);
        item.Width = width;
        item.Height = height;
        item.Packed = packed;
        if (!frame.localTable_)
            item.ColorTable = image_.data_->ColorTable;
        if (item.ColorTable.Count == 0)
            grayRamp(item);
        frame.delay_ = 0;
        for (const TExtension &e : frame.extensions_) {
            if (e.Kind != TExtension::ekGraphicControl)
                continue;
            const auto gc = reinterpret_cast<const uint8_t *>(e.FixedBytes.constData());
            if (gc[1] & 1) {
                if (gc[4] < item.ColorTable.Count)
                    frame.transparent_ = item.ColorTable.Color(gc[4]);
            } else {
                frame.transparent_ = clNone;
            }
            frame.delay_ = qMax((gc[2] | gc[3] << 8) * 10, frame.delay_);
            frame.disposal_ = (gc[1] & 0x1C) >> 2;
        }
        // The screen grows to hold a frame that reaches beyond it: cutting the frame would lose its
        // pixels the next time the picture is saved.
        image_.growScreen(QRect(frame.topLeft_, QSize(item.Width, item.Height)));
        frame.corrupted_ = corrupted;
    }

    // What the picture will hold, charged once the whole stream has read, so that a damaged file is told
    // as damaged whatever its sizes claim, and before any of it is made.
    void chargeMemory()
    {
        TGIFBudget budget(rd_.Size());
        qint64 largestRestore = 0;
        for (const auto &frame : image_.frames_) {
            const TGIFItem &item = *frame->data_;
            if (item.Width > kGIFMaxFrameSide || item.Height > kGIFMaxFrameSide)
                GIFTooLarge();
            const qint64 pixels = qint64(item.Width) * item.Height;
            budget.Spend(pixels);
            if (frame->disposal_ == 3 && pixels > largestRestore) {
                // The part of the picture such a frame covers is saved while it shows.
                budget.Spend((pixels - largestRestore) * 4);
                largestRestore = pixels;
            }
        }
        budget.Spend(qint64(image_.screenWidth_) * image_.screenHeight_ * 4);
    }

    // A file may leave out every colour table: its frames are shown in grays, one for each value the
    // data can hold, and written back without a table, as they came.
    static void grayRamp(TGIFItem &item)
    {
        const int bits = item.Data.isEmpty() ? 1 : qBound(1, int(uint8_t(item.Data[0])), 8);
        const int n = 1 << bits;
        item.BitsPerPixel = bits;
        item.ColorTable.Count = n;
        for (int i = 0; i < n; ++i) {
            const int y = i * 255 / (n - 1);
            item.ColorTable.SetColor(i, platform::RGBColor(y, y, y));
        }
    }

    TGIFImage &image_;
    platform::ByteReader rd_;
};

void TGIFImage::ReadGIF(const QByteArray &bytes, bool decodeCurrent)
{
    NewImage();
    if (!bytes.isEmpty()) {
        try {
            GIFReader(*this, bytes).Run();
        } catch (...) {
            NewImage();
            Changed();
            throw;
        }
    }
    if (!frames_.empty()) {
        frameIndex_ = 0;
        if (decodeCurrent)
            frames_[0]->Bitmap();
    }
    SetPaletteModified(true);
    Changed();
}

} // namespace gfx
