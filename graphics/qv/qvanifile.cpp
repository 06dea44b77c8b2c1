#include "qvanifile.h"

#include "qvgif.h"
#include "qvicolist.h"
#include "qvreduce.h"

#include "controls/qv/qvutils.h"
#include "platform/fileio.h"
#include "platform/graphics/bytereader.h"
#include "platform/textfile.h"

#include <QHash>
#include <QIODevice>
#include <QPainter>
#include <algorithm>

namespace gfx {

using platform::ByteReader;

namespace {

[[noreturn]] void readError() { throw platform::StreamError(QStringLiteral("Stream read error")); }

[[noreturn]] void listError(int index)
{
    throw platform::Error(QStringLiteral("List index out of bounds (%1)").arg(index));
}

constexpr int kMaxName = 255;
// The longest side of a strip: beyond it the painting of its cells is no longer exact.
constexpr qint64 kMaxStripSide = 32767;

int coloursOfBits(int bits) { return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0; }

// One chunk header and where its data lies.
struct Chunk {
    QByteArray id;
    quint32 size = 0;
    qsizetype data = 0;
    // The data lies wholly before the end of its container.
    bool fits = false;
    // Where the next chunk starts: after the data and its pad byte, never past the container.
    qsizetype next = 0;
};

// Reads the chunk header at pos; false when fewer than 8 bytes remain before end.
bool chunkAt(const QByteArray &bytes, qsizetype pos, qsizetype end, Chunk &chunk)
{
    if (end - pos < 8)
        return false;
    ByteReader rd(bytes.constData() + pos, end - pos);
    chunk.id = rd.Bytes(4);
    chunk.size = rd.U32();
    chunk.data = pos + 8;
    chunk.fits = chunk.size <= quint64(end - chunk.data);
    chunk.next = chunk.fits ? std::min<qsizetype>(chunk.data + qsizetype(chunk.size) + (chunk.size & 1), end) : end;
    return true;
}

// A name of at most 255 characters, ended by its first NUL.
QString nameOf(const QByteArray &bytes, const Chunk &chunk)
{
    QByteArray raw = bytes.mid(chunk.data, std::min<qsizetype>(chunk.size, kMaxName));
    const qsizetype nul = raw.indexOf('\0');
    if (nul >= 0)
        raw.truncate(nul);
    return platform::FromWindows1252(raw);
}

// An icon of the "fram" list with what its chunk told.
struct ReadIcon {
    TIcon icon;
    bool isIcon = false;
    TChunkHeader header;
    QPoint hotSpot;
};

} // namespace

// Reads the whole file into a fresh cursor; the caller takes it only when nothing went wrong.
class AniReader {
public:
    AniReader(const QByteArray &bytes, TAnimatedCursorImage &out) : bytes_(bytes), out_(out) {}

    void Read()
    {
        if (bytes_.size() < 12 || bytes_.left(4) != "RIFF" || bytes_.mid(8, 4) != "ACON")
            readError();
        // Writers often get the RIFF size wrong: the end of the file bounds the chunks.
        const qsizetype end = bytes_.size();
        qsizetype pos = 12;
        Chunk c;
        while (chunkAt(bytes_, pos, end, c)) {
            if (c.id == "anih")
                readHeader(c);
            else if (c.id == "rate")
                takeArray(c, rates_);
            else if (c.id == "seq ")
                takeArray(c, sequence_);
            else if (c.id == "LIST") {
                if (c.size < 4 && c.fits)
                    break;
                const QByteArray type = bytes_.mid(c.data, 4);
                if (type == "fram") {
                    if (!c.fits)
                        readError();
                    readIcons(c.data + 4, c.data + c.size);
                } else if (type == "INFO" && c.fits) {
                    readNames(c.data + 4, c.data + c.size);
                } else if (!c.fits) {
                    break;
                }
            } else if (!c.fits) {
                break; // a chunk we do not read ends the file where it overruns it
            }
            pos = c.next;
        }
        finish();
    }

private:
    void readHeader(const Chunk &c)
    {
        if (!c.fits)
            readError();
        if (haveHeader_)
            return;
        haveHeader_ = true;
        // Only the fields we know are read; a longer header keeps its rest to itself.
        QByteArray fields = bytes_.mid(c.data, std::min<qsizetype>(c.size, 36));
        fields.append(36 - fields.size(), '\0');
        ByteReader rd(fields);
        TANIHeader &h = out_.header_;
        for (quint32 *field : {&h.dwSizeof, &h.dwFrames, &h.dwSteps, &h.dwCX, &h.dwCY, &h.dwBitCount, &h.dwPlanes,
                               &h.dwJIFRate, &h.dwFlags})
            *field = rd.U32();
        if (!(h.dwFlags & AF_ICON) || h.dwSteps == 0)
            readError();
        // Each step takes at least four bytes of the file (its "seq " entry or more of its own icon), so
        // a count beyond that cannot be meant.
        steps_ = int(std::min<qint64>(h.dwSteps, bytes_.size() / 4));
        for (int i = 0; i < steps_; ++i)
            out_.frames_.push_back(std::make_unique<TIconFrame>(i, h.dwJIFRate));
    }

    void takeArray(const Chunk &c, QByteArray &array)
    {
        if (!c.fits)
            readError();
        if (array.isNull())
            array = bytes_.mid(c.data, c.size);
    }

    void readIcons(qsizetype pos, qsizetype end)
    {
        Chunk c;
        while (chunkAt(bytes_, pos, end, c)) {
            if (c.id == "icon") {
                if (!c.fits)
                    readError();
                readIcon(c);
            } else if (!c.fits) {
                break;
            }
            pos = c.next;
        }
    }

    void readIcon(const Chunk &c)
    {
        auto read = std::make_unique<ReadIcon>();
        QByteArray data = bytes_.mid(c.data, c.size);
        try {
            const TIconDirectory dir = ReadIconDirectory(data);
            read->isIcon = dir.Type == 1;
            // A cursor's directory differs only in its type and the hotspot in each entry: as an icon
            // it reads the same.
            if (dir.Type == 2)
                data[2] = 1;
            for (const TIconDirEntry &e : dir.Entries)
                iconColors_ = std::max(iconColors_, coloursOfBits(IconEntryBitCount(data, e)));
            read->icon.LoadFromBytes(data);
            const TIconDirEntry &shown = dir.Entries[read->icon.ImageIndex()];
            read->hotSpot = read->isIcon ? QPoint(read->icon.Width() / 2, read->icon.Height() / 2)
                                         : QPoint(shown.Planes, shown.BitCount);
        } catch (const platform::InvalidGraphic &) {
            readError();
        }
        read->header = TChunkHeader{c.id, c.size};
        icons_.push_back(std::move(read));
    }

    void readNames(qsizetype pos, qsizetype end)
    {
        Chunk c;
        while (chunkAt(bytes_, pos, end, c) && c.fits) {
            if (c.id == "INAM")
                out_.title_ = nameOf(bytes_, c);
            else if (c.id == "IART")
                out_.artist_ = nameOf(bytes_, c);
            pos = c.next;
        }
    }

    // Rates and sequence hold one value per step; the icons go to every step that shows them, and an
    // icon no step shows becomes a frame of its own.
    void finish()
    {
        auto &frames = out_.frames_;
        if (haveHeader_) {
            const qsizetype need = 4 * qsizetype(steps_);
            if ((!rates_.isNull() && rates_.size() < need) || (!sequence_.isNull() && sequence_.size() < need))
                readError();
            ByteReader rate(rates_), seq(sequence_);
            for (int i = 0; i < steps_; ++i) {
                if (!rates_.isNull())
                    frames[size_t(i)]->JiffRate = rate.U32();
                if (!sequence_.isNull())
                    frames[size_t(i)]->Seq = seq.I32();
            }
        }
        QHash<qint32, QList<TIconFrame *>> steps;
        for (auto &f : frames)
            steps[f->Seq].append(f.get());
        for (qsizetype i = 0; i < qsizetype(icons_.size()); ++i) {
            const ReadIcon &read = *icons_[size_t(i)];
            QList<TIconFrame *> shows = steps.value(qint32(i));
            if (shows.isEmpty()) {
                frames.push_back(std::make_unique<TIconFrame>(-1, out_.header_.dwJIFRate));
                shows.append(frames.back().get());
            }
            for (TIconFrame *f : shows) {
                f->SetIcon(&read.icon);
                f->IsIcon = read.isIcon;
                f->TagHeader = read.header;
                f->HotSpot = read.hotSpot;
            }
        }
        frames.erase(std::remove_if(frames.begin(), frames.end(),
                                    [](const auto &f) { return !f->Icon() || f->Icon()->Empty(); }),
                     frames.end());
        if (frames.empty())
            readError();
        out_.header_.dwSteps = quint32(frames.size());
        out_.iconColors_ = iconColors_;
    }

    const QByteArray &bytes_;
    TAnimatedCursorImage &out_;
    bool haveHeader_ = false;
    int steps_ = 0;
    QByteArray rates_;
    QByteArray sequence_;
    std::vector<std::unique_ptr<ReadIcon>> icons_;
    int iconColors_ = 0;
};

// ---------------------------------------------------------------------------------------------------------

TIconFrame::TIconFrame(int index, quint32 jiffies) : JiffRate(jiffies), Seq(index) {}

TIconFrame::~TIconFrame() = default;

void TIconFrame::SetIcon(const TIcon *icon)
{
    if (!icon) {
        icon_.reset();
        return;
    }
    if (!icon_)
        icon_ = std::make_unique<TIcon>();
    icon_->Assign(icon);
}

void TIconFrame::Assign(const TIconFrame *source)
{
    if (!source || source == this)
        return;
    SetIcon(source->Icon());
    IsIcon = source->IsIcon;
    TagHeader = source->TagHeader;
    HotSpot = source->HotSpot;
    JiffRate = source->JiffRate;
    Seq = source->Seq;
}

// ---------------------------------------------------------------------------------------------------------

TAnimatedCursorImage::TAnimatedCursorImage() = default;
TAnimatedCursorImage::~TAnimatedCursorImage() = default;

TIconFrame *TAnimatedCursorImage::Frames(int index) const
{
    if (index < 0 || index >= Count())
        listError(index);
    return frames_[size_t(index)].get();
}

void TAnimatedCursorImage::Clear()
{
    frames_.clear();
    header_ = TANIHeader();
    title_.clear();
    artist_.clear();
    iconColors_ = 0;
}

void TAnimatedCursorImage::Assign(const TAnimatedCursorImage *source)
{
    if (source == this)
        return;
    Clear();
    if (!source)
        return;
    header_ = source->header_;
    title_ = source->title_;
    artist_ = source->artist_;
    iconColors_ = source->iconColors_;
    for (const auto &f : source->frames_) {
        frames_.push_back(std::make_unique<TIconFrame>(-1, header_.dwJIFRate));
        frames_.back()->Assign(f.get());
    }
}

void TAnimatedCursorImage::LoadFromBytes(const QByteArray &bytes)
{
    TAnimatedCursorImage read;
    AniReader(bytes, read).Read();
    Assign(&read);
}

void TAnimatedCursorImage::LoadFromStream(QIODevice &stream)
{
    LoadFromBytes(stream.isSequential() ? stream.readAll() : stream.read(stream.size() - stream.pos()));
}

void TAnimatedCursorImage::LoadFromFile(const QString &path) { LoadFromBytes(platform::ReadWholeFile(path)); }

void TAnimatedCursorImage::SaveToStream(QIODevice &) { qv::ReportNotImplemented(); }

std::unique_ptr<platform::Bitmap> TAnimatedCursorImage::IconsStrip(bool horizontal, platform::Color background,
                                                                   bool decreaseColors) const
{
    if (frames_.empty())
        return nullptr;
    const TIcon &first = *frames_.front()->Icon();
    const qint64 cells = qint64(frames_.size());
    const qint64 width = horizontal ? first.Width() * cells : first.Width();
    const qint64 height = horizontal ? first.Height() : first.Height() * cells;
    if (width > kMaxStripSide || height > kMaxStripSide)
        throw platform::InvalidGraphicOperation(QStringLiteral("Icon strip too large"));
    QImage strip(int(width), int(height), QImage::Format_RGB32);
    strip.fill(platform::ToQColor(background));
    {
        QPainter painter(&strip);
        for (qint64 i = 0; i < cells; ++i) {
            const QPoint at = horizontal ? QPoint(int(i * first.Width()), 0) : QPoint(0, int(i * first.Height()));
            TIcon &icon = *frames_[size_t(i)]->Icon();
            // Each icon keeps its own size; one larger than the first is cut at its cell.
            painter.setClipRect(QRect(at, QSize(first.Width(), first.Height())));
            icon.Draw(painter, QRect(at, QSize(icon.Width(), icon.Height())));
        }
    }
    auto bitmap = std::make_unique<platform::Bitmap>();
    bitmap->SetImage(strip);
    if (decreaseColors)
        bitmap->LoadFromBitmapFile(BitmapToStreamByColours(*bitmap, std::max(iconColors_, 16)));
    return bitmap;
}

void TAnimatedCursorImage::assignTo(TGIFImage *gif) const
{
    // Every frame becomes a whole picture of its own: refuse what no GIF picture may hold.
    qint64 pixels = 0;
    for (const auto &f : frames_)
        pixels += qint64(f->Icon()->Width()) * f->Icon()->Height();
    if (4 * pixels > kGIFMaxPixelBytes)
        GIFTooLarge();
    gif->Clear();
    gif->SetBackgroundColor(platform::clWindow);
    for (const auto &f : frames_) {
        const int index = gif->AddFrame(f->Icon());
        gif->Frames(index)->SetAnimateInterval(int(std::min<qint64>(qint64(f->JiffRate) * 100 / 6, kGIFMaxDelay)));
    }
}

void TAnimatedCursorImage::AssignTo(platform::Graphic *dest) const
{
    if (auto *icon = dynamic_cast<TIcon *>(dest)) {
        icon->Assign(frames_.empty() ? nullptr : frames_.front()->Icon());
    } else if (auto *gif = dynamic_cast<TGIFImage *>(dest)) {
        assignTo(gif);
    } else if (auto *bitmap = dynamic_cast<platform::Bitmap *>(dest)) {
        // A bitmap's brush is white until someone paints with another.
        const std::unique_ptr<platform::Bitmap> strip = IconsStrip(true, platform::clWhite, true);
        bitmap->Assign(strip.get());
    } else {
        throw platform::InvalidGraphicOperation(
            QStringLiteral("Cannot assign a TAnimatedCursorImage to a %1")
                .arg(dest ? dest->ClassName() : QStringLiteral("nil")));
    }
}

void TAnimatedCursorImage::AssignTo(TIconList *dest) const
{
    if (!dest)
        return;
    dest->BeginUpdate();
    try {
        dest->Clear();
        for (const auto &f : frames_)
            dest->Add(f->Icon());
    } catch (...) {
        dest->EndUpdate();
        throw;
    }
    dest->EndUpdate();
}

} // namespace gfx
