#include "gifimage.h"

#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvgiflzw.h"
#include "platform/fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <exception>

namespace media {

QString GIFStatusText(int code)
{
    static const char *const texts[] = {"None",
                                        "Operation Cancelled",
                                        "Internal Error",
                                        "Invalid File Format",
                                        "Image contains too many Colors (>256)",
                                        "Index out of Bounds",
                                        "Windows GDI Error",
                                        "File not Found",
                                        "Resource not Found",
                                        gfx::sGIFTooLarge};
    if (code < 0 || code >= int(std::size(texts)))
        return QString();
    return QString::fromLatin1(texts[code]);
}

namespace {

// Bounds-checked reading of the file's bytes; running past the end sets a flag instead of reading.
class Cursor {
public:
    explicit Cursor(const QByteArray &bytes)
        : p_(reinterpret_cast<const uint8_t *>(bytes.constData())), size_(bytes.size())
    {
    }
    qsizetype Pos() const { return pos_; }
    qsizetype Size() const { return size_; }
    bool AtEnd() const { return pos_ >= size_; }
    bool Has(qsizetype n) const { return n <= size_ - pos_; }
    const uint8_t *Here() const { return p_ + pos_; }
    int Byte() { return Has(1) ? p_[pos_++] : -1; }
    int Word()
    {
        if (!Has(2))
            return -1;
        const int v = p_[pos_] | p_[pos_ + 1] << 8;
        pos_ += 2;
        return v;
    }
    bool Skip(qsizetype n)
    {
        if (!Has(n))
            return false;
        pos_ += n;
        return true;
    }
    // Skips sub-blocks up to and including the terminator; false when the data ends first. Counts the
    // data bytes, and appends them when asked.
    bool SkipSubBlocks(qint64 *dataBytes = nullptr, QByteArray *joined = nullptr)
    {
        for (;;) {
            const int len = Byte();
            if (len < 0)
                return false;
            if (len == 0)
                return true;
            if (!Has(len))
                return false;
            if (dataBytes)
                *dataBytes += len;
            if (joined)
                joined->append(reinterpret_cast<const char *>(Here()), len);
            pos_ += len;
        }
    }

private:
    const uint8_t *p_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

QVector<QRgb> readTable(Cursor &in, int entries, bool &ok)
{
    QVector<QRgb> table;
    ok = in.Has(qsizetype(entries) * 3);
    if (!ok)
        return table;
    table.resize(entries);
    const uint8_t *p = in.Here();
    for (int i = 0; i < entries; ++i)
        table[i] = qRgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    in.Skip(qsizetype(entries) * 3);
    return table;
}

// The most pixels LZW data of this many bytes can give: the i-th code after a clear code adds a string of
// at most i pixels (and no string is longer than the code table), and every code takes at least the
// minimum code size plus one bits.
qint64 maxPixelsFor(qint64 dataBytes, int minCodeSize)
{
    constexpr qint64 kLongest = 4097;
    const qint64 codes = dataBytes * 8 / (minCodeSize + 1);
    if (codes <= kLongest)
        return codes * (codes + 1) / 2;
    return kLongest * (kLongest + 1) / 2 + (codes - kLongest) * kLongest;
}

struct GraphicControl {
    int packed = 0;
    int delay = 0;
    int transparentIndex = 0;
};

enum class FrameResult { Ok, Failed, TooLarge };

// What the display holds, spent on the budget before it is made: four bytes per pixel of each frame's
// bitmap and of the screen the frames are shown on (AutoSize sizes the control to it and painting
// composes it off screen), and a byte per pixel of the largest interlaced frame, decoded first to indices.
struct Spending {
    explicit Spending(qint64 fileBytes) : budget(fileBytes) {}
    gfx::TGIFBudget budget;
    qint64 screenRight = 0, screenBottom = 0;
    qint64 scratchPixels = 0;

    void frame(const QRect &r, bool interlaced)
    {
        const qint64 pixels = qint64(r.width()) * r.height();
        budget.Spend(pixels * 4);
        const qint64 before = screenRight * screenBottom;
        screenRight = std::max<qint64>(screenRight, qint64(r.left()) + r.width());
        screenBottom = std::max<qint64>(screenBottom, qint64(r.top()) + r.height());
        budget.Spend((screenRight * screenBottom - before) * 4);
        if (interlaced && pixels > scratchPixels) {
            budget.Spend(pixels - scratchPixels);
            scratchPixels = pixels;
        }
    }
};

FrameResult readFrame(const QByteArray &bytes, Cursor &in, const TGIFDisplayData &data, const GraphicControl &gce,
                      Spending &spending, std::vector<uint8_t> &scratch, TGIFDisplayFrame &frame)
{
    in.Skip(1); // the separator
    const int left = in.Word(), top = in.Word(), width = in.Word(), height = in.Word(), packed = in.Byte();
    if (packed < 0)
        return FrameResult::Failed;
    QVector<QRgb> table = data.GlobalColors;
    if (packed & 0x80) {
        bool ok;
        table = readTable(in, 2 << (packed & 7), ok);
        if (!ok)
            return FrameResult::Failed;
    }
    if (table.isEmpty())
        table = QVector<QRgb>(256, qRgb(0, 0, 0));
    const bool interlaced = packed & 0x40;
    const qsizetype codeAt = in.Pos();
    const int minCodeSize = in.Byte();
    if (minCodeSize < 2 || minCodeSize > 9)
        return FrameResult::Failed;
    qint64 dataBytes = 0;
    if (!in.SkipSubBlocks(&dataBytes))
        return FrameResult::Failed;
    const qint64 pixels = qint64(width) * height;
    // Data too short to fill the frame is damaged; checked before anything the size of the frame is made.
    if (pixels > maxPixelsFor(dataBytes, minCodeSize))
        return FrameResult::Failed;

    // The whole frame is kept, also where it reaches beyond the screen the file gives: the screen is
    // made to hold every frame, and a frame saved as a bitmap keeps all its pixels.
    const QRect area(left, top, width, height);
    frame.Left = area.isEmpty() ? 0 : left;
    frame.Top = area.isEmpty() ? 0 : top;
    frame.Width = area.isEmpty() ? 0 : width;
    frame.Height = area.isEmpty() ? 0 : height;
    frame.Interlaced = interlaced;
    frame.Delay = gce.delay * 10;
    frame.DisposalMethod = (gce.packed >> 2) & 7;
    frame.Transparent = (gce.packed & 1) && gce.transparentIndex < table.size();

    QRgb colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = i < table.size() ? table[i] : qRgb(0, 0, 0);
    if (frame.Transparent) {
        frame.TransparentColor = table[gce.transparentIndex] | 0xFF000000u;
        colours[gce.transparentIndex] = table[gce.transparentIndex] & 0x00FFFFFFu;
    }
    if (pixels == 0)
        return FrameResult::Ok;
    try {
        spending.frame(area, interlaced);
    } catch (const platform::Error &) {
        return FrameResult::TooLarge;
    }

    const QByteArray encoded = QByteArray::fromRawData(bytes.constData() + codeAt, in.Pos() - codeAt);
    const QImage::Format format = frame.Transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (!interlaced) {
        // A whole frame stored row after row decodes straight into its bitmap, colours and all.
        frame.Bitmap = QImage(width, height, format);
        if (frame.Bitmap.isNull())
            return FrameResult::TooLarge; // within the budget, and still more than could be had
        if (frame.Bitmap.bytesPerLine() != qsizetype(width) * 4)
            return FrameResult::Failed;
        try {
            if (gfx::DecodeColours(encoded, pixels, colours, gfx::BitsForCount(int(table.size())),
                                   reinterpret_cast<QRgb *>(frame.Bitmap.bits())))
                return FrameResult::Ok;
        } catch (const std::exception &) {
        }
        return FrameResult::Failed;
    }

    scratch.assign(size_t(pixels), 0);
    bool corrupted = false;
    try {
        gfx::Decode(encoded, gfx::TGIFHeader{width, height, 8}, interlaced, nullptr, corrupted, scratch.data(),
                    width, false, gfx::BitsForCount(int(table.size())), true);
    } catch (const std::exception &) {
        return FrameResult::Failed;
    }
    if (corrupted)
        return FrameResult::Failed;
    frame.Bitmap = QImage(frame.Width, frame.Height, format);
    if (frame.Bitmap.isNull())
        return FrameResult::TooLarge;
    for (int y = 0; y < frame.Height; ++y) {
        const uint8_t *src = scratch.data() + qsizetype(y) * width;
        auto *dst = reinterpret_cast<QRgb *>(frame.Bitmap.scanLine(y));
        for (int x = 0; x < frame.Width; ++x)
            dst[x] = colours[src[x]];
    }
    return FrameResult::Ok;
}

} // namespace

int ParseGIFDisplay(const QByteArray &bytes, bool firstImageOnly, const std::function<bool(qint64 position)> &proceed,
                    TGIFDisplayData &out)
{
    out = TGIFDisplayData();
    Cursor in(bytes);
    if (!in.Has(13) || bytes.left(3) != "GIF")
        return gsInvalidFormat;
    out.Version = bytes[4] == '9' ? QStringLiteral("89a") : QStringLiteral("87a");
    in.Skip(6);
    out.ScreenWidth = in.Word();
    out.ScreenHeight = in.Word();
    const int packed = in.Byte();
    const int background = in.Byte();
    in.Skip(1);
    if (packed & 0x80) {
        bool ok;
        out.GlobalColors = readTable(in, 2 << (packed & 7), ok);
        if (!ok)
            return gsInvalidFormat;
    }

    GraphicControl gce;
    QByteArray comment;
    Spending spending(bytes.size());
    std::vector<uint8_t> scratch;
    while (!in.AtEnd()) {
        if (proceed && !proceed(in.Pos()))
            return gsCancelled;
        const int introducer = in.Here()[0];
        if (introducer == 0x3B)
            break;
        if (introducer == 0x2C) {
            if (out.Frames.size() >= size_t(kMaxGIFFrames))
                break;
            TGIFDisplayFrame frame;
            FrameResult result;
            try {
                result = readFrame(bytes, in, out, gce, spending, scratch, frame);
            } catch (const std::bad_alloc &) {
                result = FrameResult::TooLarge;
            }
            if (result != FrameResult::Ok) {
                out = TGIFDisplayData();
                return result == FrameResult::TooLarge ? gsTooLarge : gsInvalidFormat;
            }
            frame.Comment = gfx::GIFCommentText(comment);
            out.Frames.push_back(std::move(frame));
            gce = GraphicControl();
            comment.clear();
            if (firstImageOnly)
                break;
            continue;
        }
        if (introducer != 0x21 || !in.Has(2))
            break; // not a block this reader knows: what came before stands
        in.Skip(1);
        const int label = in.Byte();
        bool complete;
        if (label == 0xF9) {
            // Graphic control: its first sub-block holds the values, any further ones are skipped.
            const int size = in.Byte();
            complete = size >= 0 && in.Has(size);
            if (complete && size >= 4) {
                const uint8_t *p = in.Here();
                gce.packed = p[0];
                gce.delay = p[1] | p[2] << 8;
                gce.transparentIndex = p[3];
            }
            complete = complete && in.Skip(size) && in.SkipSubBlocks();
        } else if (label == 0xFE) {
            complete = in.SkipSubBlocks(nullptr, &comment);
        } else if (label == 0xFF) {
            const int size = in.Byte();
            complete = size >= 0 && in.Has(size);
            if (complete && size == 11 && QByteArray(reinterpret_cast<const char *>(in.Here()), 11) == "NETSCAPE2.0") {
                in.Skip(size);
                const int len = in.Byte();
                complete = len >= 0 && in.Has(len);
                if (complete && len >= 3)
                    out.LoopCount = in.Here()[1] | in.Here()[2] << 8;
                complete = complete && in.Skip(len) && (len == 0 || in.SkipSubBlocks());
            } else {
                complete = complete && in.Skip(size) && in.SkipSubBlocks();
            }
        } else {
            // Plain text and labels this reader does not know: their sub-blocks are passed over.
            complete = in.SkipSubBlocks();
        }
        if (!complete)
            break; // cut short inside an extension: the frames before it stand
    }
    if (out.Frames.empty())
        return gsInvalidFormat;
    out.BackgroundIndex = background;
    int right = 0, bottom = 0;
    for (const TGIFDisplayFrame &f : out.Frames) {
        right = std::max(right, f.Left + f.Width);
        bottom = std::max(bottom, f.Top + f.Height);
    }
    out.ScreenWidth = right;
    out.ScreenHeight = bottom;
    return gsNone;
}

int EncodeBitmapAsGIF(const QImage &bitmap, bool interlaced, QRgb transparentColor, bool transparent, QByteArray &out,
                      const std::function<bool(int percent)> &progress)
{
    const QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    const int width = image.width(), height = image.height();
    if (image.isNull())
        return gsInternalError;
    // What is written here opens here, in this control and in the editor, whose frames end at this side.
    if (width > gfx::kGIFMaxFrameSide || height > gfx::kGIFMaxFrameSide)
        return gsTooLarge;
    // Distinct colours, in the order met, and each pixel's index.
    QHash<QRgb, int> index;
    QVector<QRgb> table;
    std::vector<uint8_t> pixels(size_t(width) * size_t(height));
    int told = -1;
    for (int y = 0; y < height; ++y) {
        const int percent = int(qint64(y) * 100 / height);
        if (progress && percent != told) {
            told = percent;
            if (!progress(percent))
                return gsCancelled;
        }
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uint8_t *dst = pixels.data() + qsizetype(y) * width;
        QRgb last = 0;
        int lastIndex = -1;
        for (int x = 0; x < width; ++x) {
            const QRgb c = row[x] & 0x00FFFFFFu;
            if (c != last || lastIndex < 0) {
                auto it = index.constFind(c);
                if (it == index.constEnd()) {
                    if (table.size() == 256)
                        return gsTooManyColors;
                    it = index.insert(c, int(table.size()));
                    table.append(c);
                }
                last = c;
                lastIndex = *it;
            }
            dst[x] = uint8_t(lastIndex);
        }
    }
    const int bits = gfx::BitsForCount(int(table.size())); // 1..8
    const int tableIndex = index.value(transparentColor & 0x00FFFFFFu, -1);
    transparent = transparent && tableIndex >= 0;

    out.clear();
    auto put16 = [&out](int v) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8 & 0xFF));
    };
    out.append("GIF89a");
    put16(width);
    put16(height);
    out.append(char(0x80 | (bits - 1)));
    out.append('\0');
    out.append('\0');
    for (int i = 0; i < (1 << bits); ++i) {
        const QRgb c = i < table.size() ? table[i] : 0;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append("\x21\xF9\x04", 3);
    out.append(char(transparent ? 1 : 0));
    put16(0);
    out.append(char(transparent ? tableIndex : 0));
    out.append('\0');
    out.append('\x2C');
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    out.append(char(interlaced ? 0x40 : 0));
    gfx::EncodePixels(out, gfx::TGIFHeader{width, height, std::max(2, bits)}, interlaced, nullptr,
                      [&](int y) { return pixels.data() + qsizetype(y) * width; });
    static const char credit[] = "Written by Kestrova 5";
    out.append("\x21\xFE", 2);
    out.append(char(sizeof credit - 1));
    out.append(credit, sizeof credit - 1);
    out.append('\0');
    out.append('\x3B');
    // Nor is a picture written whose file would be too small to claim the memory it takes when shown.
    gfx::TGIFBudget budget(out.size());
    try {
        budget.Spend(qint64(width) * height * (interlaced ? 9 : 8));
    } catch (const platform::Error &) {
        out.clear();
        return gsTooLarge;
    }
    if (progress)
        progress(100);
    return gsNone;
}

TGIFImage::TGIFImage(QWidget *parent) : QWidget(parent), timer_(new TTimerEx(this))
{
    resize(105, 105);
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this](QObject *) { tick(); });
}

TGIFImage::~TGIFImage() = default;

bool TGIFImage::LoadFromFile(const QString &fileName)
{
    QFile file;
    if (!platform::TryOpenForReading(file, fileName, nullptr)) {
        setStatus(gsFileNotFound);
        return false;
    }
    return LoadFromStream(file);
}

bool TGIFImage::LoadFromStream(QIODevice &stream)
{
    const QByteArray bytes = stream.readAll();
    return load(bytes);
}

bool TGIFImage::LoadFromData(const QByteArray &bytes) { return load(bytes); }

bool TGIFImage::load(const QByteArray &bytes)
{
    if (OnChanging)
        OnChanging(this);
    setStatus(gsInvalidFormat);
    TGIFDisplayData parsed;
    const qint64 size = bytes.size();
    const int status = ParseGIFDisplay(bytes, firstImageOnly_,
                                       [&](qint64 position) {
                                           bool proceed = true;
                                           if (OnProgress)
                                               OnProgress(this, position, proceed,
                                                          int(size ? position * 100 / size : 100), size);
                                           return proceed;
                                       },
                                       parsed);
    setStatus(status);
    if (status != gsNone)
        return false;
    raw_ = bytes;
    data_ = std::move(parsed);
    current_ = 0;
    passes_ = 1;
    if (autoSize_)
        resize(data_.ScreenWidth, data_.ScreenHeight);
    planTimer();
    update();
    if (OnChange)
        OnChange(this);
    return true;
}

QByteArray TGIFImage::WriteDataProperty() const
{
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(quint32(raw_.size()), out.data());
    return out + raw_;
}

bool TGIFImage::ReadDataProperty(const QByteArray &stored)
{
    if (stored.size() < 4 || qFromLittleEndian<quint32>(stored.constData()) > quint64(stored.size() - 4)) {
        setStatus(gsInvalidFormat);
        return false;
    }
    return load(stored.mid(4, qsizetype(qFromLittleEndian<quint32>(stored.constData()))));
}

bool TGIFImage::GetFrameInfo(int index, TGIFFrameInfo &info)
{
    info = TGIFFrameInfo();
    if (index < 1 || index > FrameCount()) {
        setStatus(gsIndexOutOfBounds);
        return false;
    }
    // The bitmap is shared until one side changes it: a copy made now could fail for want of memory.
    info = data_.Frames[size_t(index - 1)];
    setStatus(gsNone);
    return true;
}

QImage TGIFImage::ToBitmap() const
{
    return Empty() ? QImage() : data_.Frames[size_t(current_)].Bitmap;
}

bool TGIFImage::SaveBitmapAsGIF(const QString &fileName, const QImage &bitmap, bool interlaced,
                                QRgb transparentColor, bool transparent)
{
    setStatus(gsInternalError);
    QByteArray bytes;
    const qint64 rows = bitmap.height();
    int status;
    try {
        status = EncodeBitmapAsGIF(bitmap, interlaced, transparentColor, transparent, bytes, [&](int percent) {
            bool proceed = true;
            if (OnProgress)
                OnProgress(this, rows * percent / 100, proceed, percent, rows);
            return proceed || percent == 100;
        });
    } catch (const std::bad_alloc &) {
        status = gsTooLarge;
    }
    if (status != gsNone) {
        setStatus(status);
        return false;
    }
    try {
        platform::WriteFileAtomic(fileName, bytes);
    } catch (const std::exception &) {
        return false; // the file as it was stays
    }
    setStatus(gsNone);
    return true;
}

void TGIFImage::SetAnimate(bool value)
{
    if (animate_ == value)
        return;
    animate_ = value;
    if (!animate_) {
        current_ = 0;
        update();
    }
    passes_ = 1;
    planTimer();
}

void TGIFImage::SetCurrentFrame(int value)
{
    if (value < 1 || value > FrameCount()) {
        setStatus(gsIndexOutOfBounds);
        return;
    }
    current_ = value - 1;
    update();
}

void TGIFImage::SetLoop(bool value)
{
    loop_ = value;
    if (data_.LoopCount >= 1 && passes_ > data_.LoopCount) {
        passes_ = 1;
        current_ = 0;
        planTimer();
        update();
    }
}

void TGIFImage::SetSpeed(int value)
{
    speed_ = std::max(1, value);
    planTimer();
}

void TGIFImage::SetAutoSize(bool value)
{
    autoSize_ = value;
    if (autoSize_ && !Empty())
        resize(data_.ScreenWidth, data_.ScreenHeight);
}

QSize TGIFImage::sizeHint() const { return Empty() ? QSize(105, 105) : QSize(data_.ScreenWidth, data_.ScreenHeight); }

unsigned TGIFImage::frameInterval(int index) const
{
    const qint64 delay = std::max(data_.Frames[size_t(index)].Delay, 50);
    return unsigned(std::max<qint64>(1, delay * 100 / speed_));
}

void TGIFImage::planTimer()
{
    const bool run = animate_ && FrameCount() >= 2 && (loop_ || data_.LoopCount < 1 || passes_ <= data_.LoopCount);
    if (run)
        timer_->SetInterval(frameInterval(current_));
    timer_->SetEnabled(run);
}

void TGIFImage::tick()
{
    if (FrameCount() < 2)
        return;
    int next = current_ + 1;
    if (next >= FrameCount()) {
        next = 0;
        if (!loop_ && data_.LoopCount >= 1)
            ++passes_;
        if (OnWrapAnimation)
            OnWrapAnimation(this);
        if (!loop_ && data_.LoopCount >= 1 && passes_ > data_.LoopCount) {
            timer_->SetEnabled(false);
            return;
        }
    }
    current_ = next;
    timer_->SetInterval(frameInterval(current_));
    update();
}

void TGIFImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!doubleBuffered_)
        return paint(painter);
    QImage buffer(size() * devicePixelRatio(), QImage::Format_ARGB32_Premultiplied);
    if (buffer.isNull())
        return paint(painter); // no memory for a buffer that size: drawn straight away
    buffer.setDevicePixelRatio(devicePixelRatio());
    buffer.fill(Qt::transparent);
    QPainter offScreen(&buffer);
    paint(offScreen);
    offScreen.end();
    painter.drawImage(0, 0, buffer);
}

void TGIFImage::paint(QPainter &painter)
{
    if (opaque_ || Empty() || !data_.Frames[size_t(current_)].Transparent)
        painter.fillRect(rect(), palette().window());
    if (Empty())
        return;
    const TGIFDisplayFrame &f = data_.Frames[size_t(current_)];
    if (f.Bitmap.isNull())
        return;
    const QSize screen(std::max(1, data_.ScreenWidth), std::max(1, data_.ScreenHeight));
    QRect target(QPoint(f.Left, f.Top), f.Bitmap.size());
    if (tile_) {
        for (int y = 0; y < height(); y += screen.height())
            for (int x = 0; x < width(); x += screen.width())
                painter.drawImage(target.translated(x, y), f.Bitmap);
        return;
    }
    if (stretch_) {
        QSize scaled = stretchRatio_ ? screen.scaled(size(), Qt::KeepAspectRatio) : size();
        const double sx = double(scaled.width()) / screen.width(), sy = double(scaled.height()) / screen.height();
        const QPoint origin = center_ ? QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2) : QPoint();
        target = QRect(origin + QPoint(int(f.Left * sx), int(f.Top * sy)),
                       QSize(int(f.Width * sx + 0.5), int(f.Height * sy + 0.5)));
    } else if (center_) {
        target.translate((width() - screen.width()) / 2, (height() - screen.height()) / 2);
    }
    painter.drawImage(target, f.Bitmap);
}

} // namespace media
