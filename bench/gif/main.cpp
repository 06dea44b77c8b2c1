// Decodes and encodes five pictures (a 60-frame 640 x 480 animation, a photograph in 256 colours, a
// drawing of flat areas, a 16-colour chart and a black-and-white page), composes a 2001-frame animation
// whose frames alternately stay and restore the previous picture, and reduces a 1920 x 1080 photograph
// with each of the six methods; prints our times beside giflib's (the same work through its library) and
// ImageMagick's (its command line, less its start-up), as megapixels per second and ratios.
// Usage: bench_gif [--only-display] [--only-small] [--only-editor]
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvgifanimator.h"
#include "graphics/qv/qvreduce.h"
#include "tools/media/gifanimator.h"
#include "tools/media/gifimage.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QTest>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace {

constexpr int kFrames = 60, kWidth = 640, kHeight = 480;
constexpr int kRuns = 5;

// Best of a few runs, and of more while they take less than half a second in all (short work on a busy
// machine needs more tries to see one undisturbed), in seconds.
double best(const std::function<double()> &timedWork, int runs = kRuns)
{
    double t = 1e9, spent = 0;
    for (int i = 0; i < runs || (spent < 0.5 && i < 100); ++i) {
        const double one = timedWork();
        t = std::min(t, one);
        spent += one;
    }
    return t;
}

double best(const std::function<void()> &work, int runs = kRuns)
{
    return best(std::function<double()>([&] {
                    QElapsedTimer timer;
                    timer.start();
                    work();
                    return timer.nsecsElapsed() / 1e9;
                }),
                runs);
}

// An animation: a 256-colour palette, a slowly moving pattern of bands and a bouncing disc.
std::vector<QImage> animationFrames()
{
    QVector<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, (i * 3) & 255, 255 - i));
    std::vector<QImage> frames;
    for (int f = 0; f < kFrames; ++f) {
        QImage img(kWidth, kHeight, QImage::Format_Indexed8);
        img.setColorTable(palette);
        const int cx = 100 + f * 7, cy = 120 + int(80 * std::sin(f / 6.0));
        for (int y = 0; y < kHeight; ++y) {
            uchar *row = img.scanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                int v = ((x + 2 * f) / 9 + (y / 13) * 3) & 63;
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < 60 * 60)
                    v = 128 + ((x * 7 + y * 3 + f) & 127);
                row[x] = uchar(v);
            }
        }
        frames.push_back(img);
    }
    return frames;
}

// One picture to encode and decode: its frames (8-bit indexed, one table for all).
struct Input {
    const char *name;
    std::vector<QImage> frames;
};

QVector<QRgb> rampPalette(int n)
{
    QVector<QRgb> palette;
    for (int i = 0; i < n; ++i)
        palette.append(qRgb(i * 255 / qMax(n - 1, 1), (i * 77) & 255, 255 - i * 255 / qMax(n - 1, 1)));
    return palette;
}

QImage indexed(int w, int h, int colours, const std::function<int(int x, int y)> &value)
{
    QImage img(w, h, QImage::Format_Indexed8);
    img.setColorTable(rampPalette(colours));
    for (int y = 0; y < h; ++y) {
        uchar *row = img.scanLine(y);
        for (int x = 0; x < w; ++x)
            row[x] = uchar(value(x, y));
    }
    return img;
}

// A photograph-like picture: smooth colour fields with fine grain.
QImage photo()
{
    QImage img(1920, 1080, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < img.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int grain = int((seed >> 16) & 15) - 8;
            const int r = int(128 + 90 * std::sin(x / 211.0) * std::cos(y / 157.0)) + grain;
            const int g = int(120 + 80 * std::sin((x + y) / 301.0)) + grain;
            const int b = int(110 + 100 * std::cos(x / 97.0 - y / 143.0)) + grain;
            row[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    return img;
}



std::vector<Input> inputs()
{
    std::vector<Input> out;
    out.push_back({"animation 60 x 640 x 480", animationFrames()});
    QImage reduced = photo().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    QVector<QRgb> table = reduced.colorTable();
    while (table.size() < 256)
        table.append(0);
    reduced.setColorTable(table);
    out.push_back({"photograph 1920 x 1080", {reduced}});
    out.push_back({"flat drawing 2000 x 2000", {indexed(2000, 2000, 8, [](int x, int y) {
                       const int dx = x - 1000, dy = y - 1000;
                       return dx * dx + dy * dy < 600 * 600 ? 1 + (x / 500) : (y / 250) % 2 ? 6 : 7;
                   })}});
    out.push_back({"chart 16 colours 1600 x 1200", {indexed(1600, 1200, 16, [](int x, int y) {
                       return (x / 40 + y / 30 + ((x * y) >> 9)) & 15;
                   })}});
    out.push_back({"black and white 2400 x 3200", {indexed(2400, 3200, 2, [](int x, int y) {
                       // Lines of "text": short dark runs on white.
                       return (y % 40) < 28 && ((x * 7 + (y / 40) * 13) % 23) < 9 && ((x / 60 + y / 40) % 9) ? 1 : 0;
                   })}});
    return out;
}

struct MemoryIn {
    const QByteArray *data;
    qsizetype pos = 0;
};

int readMemory(GifFileType *gif, GifByteType *buf, int len)
{
    auto *in = static_cast<MemoryIn *>(gif->UserData);
    const int n = int(std::min<qsizetype>(len, in->data->size() - in->pos));
    std::memcpy(buf, in->data->constData() + in->pos, size_t(n));
    in->pos += n;
    return n;
}

int writeMemory(GifFileType *gif, const GifByteType *buf, int len)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(buf), len);
    return len;
}

void giflibDecode(const QByteArray &file, int frames)
{
    MemoryIn in{&file};
    int err = 0;
    GifFileType *gif = DGifOpen(&in, readMemory, &err);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount != frames) {
        std::fprintf(stderr, "giflib could not decode the animation\n");
        std::exit(1);
    }
    DGifCloseFile(gif, &err);
}

QByteArray giflibEncode(const std::vector<QImage> &frames)
{
    QByteArray out;
    int err = 0;
    GifFileType *gif = EGifOpen(&out, writeMemory, &err);
    GifColorType colours[256];
    const QVector<QRgb> table = frames[0].colorTable();
    const int count = int(table.size());
    for (int i = 0; i < count; ++i)
        colours[i] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])), GifByteType(qBlue(table[i]))};
    ColorMapObject *map = GifMakeMapObject(count, colours);
    const int w = frames[0].width(), h = frames[0].height();
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, w, h, 8, 0, map);
    for (const QImage &img : frames) {
        EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
        for (int y = 0; y < h; ++y)
            EGifPutLine(gif, const_cast<GifPixelType *>(img.constScanLine(y)), w);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

// ImageMagick's times, as the difference of two runs of its command line: one doing the work and one
// doing less (starting and doing nothing, or doing part of the work). A difference is only a figure when
// it is larger than the spread of the runs it is taken from; else it cannot be measured on this machine
// and is said so, never printed as a rate (kUnmeasurable).
constexpr double kUnmeasurable = -1;

class Magick {
public:
    // The best time of some runs of a command and how far the runs lay apart, in seconds.
    struct Timed {
        double best = 0, spread = 0;
    };

    Magick()
    {
        for (const char *name : {"magick", "convert-im6.q16", "convert-im6"}) {
            program_ = QStandardPaths::findExecutable(QLatin1String(name));
            if (!program_.isEmpty())
                break;
        }
        if (!program_.isEmpty())
            startup_ = Run({"-size", "1x1", "xc:", "null:"});
    }
    bool Available() const { return !program_.isEmpty(); }
    // Three runs, and more while they take less than half a second in all; the spread is how far the
    // middle run lay from the best.
    Timed Run(const QStringList &args) const
    {
        std::vector<double> times;
        double spent = 0;
        while (times.size() < 3 || (spent < 0.5 && times.size() < 100)) {
            QElapsedTimer timer;
            timer.start();
            QProcess p;
            p.start(program_, args);
            p.waitForFinished(-1);
            times.push_back(timer.nsecsElapsed() / 1e9);
            spent += times.back();
        }
        std::sort(times.begin(), times.end());
        return {times.front(), times[times.size() / 2] - times.front()};
    }
    // The time of more work less that of less work, or kUnmeasurable.
    static double Difference(const Timed &more, const Timed &less)
    {
        const double d = more.best - less.best;
        return d > std::max(more.spread, less.spread) ? d : kUnmeasurable;
    }
    Timed Startup() const { return startup_; }

private:
    QString program_;
    Timed startup_;
};

// ImageMagick's column: 0 = not installed, kUnmeasurable = said so.
void row(const char *what, double mpx, double ours, double giflib, double magick)
{
    auto rate = [&](double t) { return t > 0 ? mpx / t : 0.0; };
    std::printf("%-36s ours %8.1f Mpx/s (%7.3f s)", what, rate(ours), ours);
    if (giflib > 0)
        std::printf("  giflib %8.1f Mpx/s  ours/giflib %5.2fx", rate(giflib), giflib / ours);
    if (magick > 0)
        std::printf("  ImageMagick %8.1f Mpx/s  ours/IM %6.2fx", rate(magick), magick / ours);
    else if (magick == kUnmeasurable)
        std::printf("  ImageMagick cannot be measured (within the noise of its runs)");
    std::printf("\n");
}


// Kilobytes of a line of /proc/self/status ("VmRSS:", "VmHWM:").
qint64 statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The display control loading a 200-frame 640 x 480 animation beside giflib; its time and the growth
// of the peak resident memory while it loads, against frames x width x height x 4 bytes.
bool displayControl()
{
    constexpr int kCount = 200;
    std::vector<QImage> frames = animationFrames();
    while (int(frames.size()) < kCount)
        frames.push_back(frames[frames.size() % kFrames]);
    const QByteArray file = giflibEncode(frames);
    frames.clear();
    const double mpx = double(kCount) * kWidth * kHeight / 1e6;
    // The peak is reset and measured around one load, before any other: freed memory the allocator keeps
    // would hide part of it.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    const bool reset = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    clear.close();
    const qint64 before = statusKb("VmRSS:");
    qint64 peak = 0;
    double first = 0;
    {
        media::TGIFImage gif;
        QElapsedTimer timer;
        timer.start();
        gif.LoadFromData(file);
        first = timer.nsecsElapsed() / 1e9;
        peak = statusKb("VmHWM:");
    }
    const double ours = best([&] {
        media::TGIFImage gif;
        if (!gif.LoadFromData(file) || gif.FrameCount() != kCount)
            std::exit(1);
    });
    const double giflib = best([&] { giflibDecode(file, kCount); });
    const double frameBytes = double(kCount) * kWidth * kHeight * 4;
    const double grown = double(peak - before) * 1024;
    std::printf("Display control loading %d frames of %d x %d (%.1f Mpx), %lld bytes\n", kCount, kWidth, kHeight,
                mpx, static_cast<long long>(file.size()));
    row("  load (goal: within 1.2x of giflib)", mpx, ours, giflib, 0);
    // The runs above mostly reuse memory freed by the one before; the first load also takes its frames'
    // memory from the system.
    std::printf("  first load, its frames in memory new to the process: %.3f s\n", first);
    if (reset && before > 0 && peak > 0)
        std::printf("  peak memory grew %.1f MB for %.1f MB of frames (%.2fx; goal: within 1.10x)\n", grown / 1e6,
                    frameBytes / 1e6, grown / frameBytes);
    else
        std::printf("  peak memory: not measurable here\n");
    std::printf("\n");
    return ours <= 1.2 * giflib && (!reset || grown <= 1.1 * frameBytes);
}


// Steps through an animation of 2001 frames of 200 x 200, each with a transparent colour and alternately
// staying and restoring the previous picture, as the control shows it; returns ms per frame over the
// first and the last 100 frames.
std::pair<double, double> composition()
{
    constexpr int kCount = 2001, kSide = 200;
    gfx::TGIFImage gif;
    for (int i = 0; i < kCount; ++i) {
        QImage img = indexed(kSide, kSide, 4, [i](int x, int y) {
            const int dx = x - (i * 3) % kSide, dy = y - 100;
            return i == 0 ? 1 : dx * dx + dy * dy < 400 ? 2 : 3;
        });
        platform::Bitmap b;
        b.SetIndexedImage(img, platform::PixelFormat::pf8bit);
        gif.AddFrame(&b);
        if (i > 0) {
            gif.Frames(i)->SetTransparentColor(platform::FromQRgb(img.colorTable()[3]));
            gif.Frames(i)->SetDisposalMethod(i % 2 ? 1 : 3);
        }
    }
    gif.SetFrameIndex(0);
    QWidget form;
    form.resize(kSide, kSide);
    gfx::TQvGIFAnimator anim(&form);
    anim.SetImage(&gif);
    form.show();
    QImage target(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    auto steps = [&](int from, int to) {
        QElapsedTimer t;
        t.start();
        for (int i = from; i < to; ++i) {
            anim.SetFrameIndex(i);
            anim.render(&target);
        }
        return t.nsecsElapsed() / 1e6 / (to - from);
    };
    const double first = steps(1, 101);
    anim.SetFrameIndex(kCount - 102); // composed from the start once
    anim.render(&target);
    return {first, steps(kCount - 101, kCount)};
}

// The animation editor opening a 500-frame 320 x 240 animation: the time until its window has painted
// the thumbnails and the pages, and whether Esc during a long load stops it.
bool animationEditor(const QString &folder)
{
    constexpr int kCount = 500, kW = 320, kH = 240;
    std::vector<QImage> frames;
    for (int i = 0; i < kCount; ++i) {
        QImage img(kW, kH, QImage::Format_RGB32);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                img.setPixel(x, y, qRgb((x + i) % 200, (y * 2) % 256, ((x ^ y) + i) % 128));
        frames.push_back(img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither));
    }
    const QString path = folder + QStringLiteral("/editor.gif");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(giflibEncode(frames));
    }
    frames.clear();
    const double open = best(
        std::function<double()>([&] {
            QElapsedTimer t;
            t.start();
            media::TAnimatorForm form;
            form.show();
            if (!form.OpenFile(path) || form.Image().Count() != kCount)
                std::exit(1);
            form.repaint();
            for (QWidget *thumb : form.Thumbs)
                thumb->repaint();
            QCoreApplication::processEvents();
            return t.nsecsElapsed() / 1e9;
        }),
        3);
    // A picture whose one frame takes long to decode, with Esc pressed as soon as the reading starts.
    QImage big(4000, 3000, QImage::Format_Indexed8);
    big.setColorCount(256);
    for (int i = 0; i < 256; ++i)
        big.setColor(i, qRgb(i, 255 - i, i / 2));
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            big.scanLine(y)[x] = uchar((x * 7 + y * 13 + x * y) & 255);
    const QString bigPath = folder + QStringLiteral("/big.gif");
    {
        QFile f(bigPath);
        f.open(QIODevice::WriteOnly);
        f.write(giflibEncode({big}));
    }
    media::TAnimatorForm form;
    form.show();
    QElapsedTimer t;
    QTimer::singleShot(0, &form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
    t.start();
    const bool cancelled = !form.OpenFile(bigPath) && form.Image().Count() == 0;
    const double cancelTime = t.nsecsElapsed() / 1e9;
    t.restart();
    const bool whole = form.OpenFile(bigPath);
    const double wholeTime = t.nsecsElapsed() / 1e9;
    std::printf("Animation editor opening %d frames of %d x %d with thumbnails: %.3f s (goal: under 1 s)\n", kCount,
                kW, kH, open);
    std::printf("  Esc during the reading of a 4000 x 3000 frame: %s after %.3f s (the whole reading takes %.3f s%s)\n\n",
                cancelled ? "stopped" : "NOT stopped", cancelTime, wholeTime, whole ? "" : ", and failed");
    return open < 1.0 && cancelled;
}

// ---- small files -----------------------------------------------------------------------------------

// One frame of a small file: its place on the screen, pixels, and graphic control values.
struct SmallFrame {
    QImage pixels; // 8-bit indexed
    int left = 0, top = 0;
    int delay = 0, disposal = 0, transparent = -1;
    bool interlaced = false;
};

struct SmallFile {
    QString name;
    int width = 0, height = 0, colours = 2;
    bool loop = false;
    std::vector<SmallFrame> frames;
};

// Writes a small file through giflib: a global table, a loop block when asked, a graphic control block
// before each frame that has a delay, disposal or transparent entry.
QByteArray writeSmall(const SmallFile &f)
{
    QByteArray out;
    int err = 0;
    GifFileType *gif = EGifOpen(&out, writeMemory, &err);
    std::vector<GifColorType> colours(size_t(f.colours));
    const QVector<QRgb> table = rampPalette(f.colours);
    for (int i = 0; i < f.colours; ++i)
        colours[size_t(i)] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])), GifByteType(qBlue(table[i]))};
    ColorMapObject *map = GifMakeMapObject(f.colours, colours.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, f.width, f.height, 8, 0, map);
    if (f.loop) {
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        const unsigned char loop[3] = {1, 0, 0};
        EGifPutExtensionBlock(gif, 3, loop);
        EGifPutExtensionTrailer(gif);
    }
    for (const SmallFrame &fr : f.frames) {
        if (fr.delay || fr.disposal || fr.transparent >= 0) {
            GraphicsControlBlock gcb{fr.disposal, false, fr.delay / 10, fr.transparent < 0 ? NO_TRANSPARENT_COLOR : fr.transparent};
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        }
        const int w = fr.pixels.width(), h = fr.pixels.height();
        EGifPutImageDesc(gif, fr.left, fr.top, w, h, fr.interlaced, nullptr);
        // Interlaced rows go in their stored order: every 8th from 0, every 8th from 4, every 4th from 2,
        // every 2nd from 1.
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = fr.interlaced ? 0 : 3; pass < 4; ++pass)
            for (int y = fr.interlaced ? start[pass] : 0; y < h; y += fr.interlaced ? step[pass] : 1)
                EGifPutLine(gif, const_cast<GifPixelType *>(fr.pixels.constScanLine(y)), w);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

// A spinner: dots on a ring, one of them bright, going round.
SmallFile spinner(int side, int steps, int colours)
{
    SmallFile f{QStringLiteral("spinner %1 x %1, %2 frames, %3 colours").arg(side).arg(steps).arg(colours), side, side,
                colours, true, {}};
    for (int s = 0; s < steps; ++s) {
        SmallFrame fr;
        fr.delay = 80;
        fr.disposal = 2;
        fr.transparent = 0;
        fr.pixels = indexed(side, side, colours, [&](int x, int y) {
            const double cx = side / 2.0, r = side * 0.36, dot = std::max(1.5, side * 0.09);
            for (int k = 0; k < steps; ++k) {
                const double a = 2 * M_PI * k / steps;
                const double dx = x + 0.5 - (cx + r * std::cos(a)), dy = y + 0.5 - (cx + r * std::sin(a));
                if (dx * dx + dy * dy <= dot * dot)
                    return 1 + ((k - s + steps) % steps) * (colours - 2) / std::max(1, steps - 1);
            }
            return 0;
        });
        f.frames.push_back(fr);
    }
    return f;
}

// One picture: an icon, a button, a bullet, a drawing; interlaced when asked.
SmallFile picture(const QString &what, int w, int h, int colours, bool interlaced, int transparent,
                  const std::function<int(int x, int y)> &value)
{
    SmallFile f{QStringLiteral("%1 %2 x %3, %4 colours%5").arg(what).arg(w).arg(h).arg(colours)
                    .arg(interlaced ? QStringLiteral(", interlaced") : QString()),
                w, h, colours, false, {}};
    SmallFrame fr;
    fr.interlaced = interlaced;
    fr.transparent = transparent;
    fr.pixels = indexed(w, h, colours, value);
    f.frames.push_back(fr);
    return f;
}

// A banner whose frames each change a part of it.
SmallFile banner()
{
    SmallFile f{QStringLiteral("banner 88 x 31, 6 frames of parts, 32 colours"), 88, 31, 32, true, {}};
    for (int i = 0; i < 6; ++i) {
        SmallFrame fr;
        fr.delay = 200;
        fr.disposal = 1;
        const int w = i == 0 ? 88 : 40, h = i == 0 ? 31 : 20;
        fr.left = i == 0 ? 0 : 8 * i;
        fr.top = i == 0 ? 0 : 5;
        fr.pixels = indexed(w, h, 32, [i](int x, int y) { return ((x / 4 + y / 3 + i * 5) % 31) + 1; });
        f.frames.push_back(fr);
    }
    return f;
}

std::vector<SmallFile> smallFiles()
{
    auto ring = [](int side) {
        return [side](int x, int y) {
            const int dx = 2 * x + 1 - side, dy = 2 * y + 1 - side, d = dx * dx + dy * dy;
            return d < side * side / 4 ? 3 : d < side * side ? 2 : 1;
        };
    };
    std::vector<SmallFile> out = {
        spinner(16, 8, 4),
        spinner(24, 8, 2),
        spinner(32, 12, 16),
        spinner(48, 18, 64),
        picture(QStringLiteral("spacer"), 1, 1, 2, false, 0, [](int, int) { return 0; }),
        picture(QStringLiteral("bullet"), 8, 8, 2, false, 0, [](int x, int y) { return (x - 3) * (x - 4) + (y - 3) * (y - 4) < 9; }),
        picture(QStringLiteral("icon"), 16, 16, 16, false, 0, ring(16)),
        picture(QStringLiteral("icon"), 16, 16, 256, false, -1, [](int x, int y) { return (x * 16 + y) & 255; }),
        picture(QStringLiteral("icon"), 32, 32, 16, false, 0, ring(32)),
        picture(QStringLiteral("icon"), 32, 32, 256, false, -1, [](int x, int y) { return (x * 7 + y * 5) & 255; }),
        picture(QStringLiteral("icon"), 48, 48, 64, true, -1, [](int x, int y) { return (x + y) & 63; }),
        picture(QStringLiteral("button"), 88, 31, 32, false, -1, [](int x, int y) { return (x / 6 + y / 8) & 31; }),
        picture(QStringLiteral("drawing"), 120, 90, 8, false, -1, [](int x, int y) {
            return (x - 60) * (x - 60) + (y - 45) * (y - 45) < 900 ? 1 + x / 40 : (y / 15) % 2 ? 6 : 7;
        }),
        picture(QStringLiteral("picture"), 100, 100, 256, false, -1, [](int x, int y) { return (x + 2 * y) * 255 / 300; }),
        picture(QStringLiteral("picture"), 200, 150, 64, true, -1, [](int x, int y) { return ((x * y) / 97 + x / 9) & 63; }),
        banner(),
    };
    return out;
}

// Decoding each small file: ours beside giflib, microseconds a file (the best of many rounds).
bool smallFileRows()
{
    const std::vector<SmallFile> files = smallFiles();
    std::printf("Small files: decode, microseconds a file (best of many rounds)\n");
    std::printf("  %-52s %7s %7s %7s %8s\n", "file", "bytes", "ours", "giflib", "ratio");
    int slower = 0;
    double oursAll = 0, giflibAll = 0;
    for (const SmallFile &f : files) {
        const QByteArray file = writeSmall(f);
        const int frames = int(f.frames.size());
        {
            gfx::TGIFImage check;
            check.ReadGIF(file, false);
            check.DecodeAllFrames();
            if (check.Count() != frames || check.Corrupted()) {
                std::fprintf(stderr, "could not decode %s\n", qPrintable(f.name));
                std::exit(1);
            }
        }
        // Rounds of many decodes each, so that one round lasts long enough to time.
        auto perFile = [&](const std::function<void()> &decode) {
            constexpr int kPerRound = 200;
            return best([&] {
                       for (int i = 0; i < kPerRound; ++i)
                           decode();
                   }, 20) / kPerRound * 1e6;
        };
        const double ours = perFile([&] {
            gfx::TGIFImage gif;
            gif.ReadGIF(file, false);
            gif.DecodeAllFrames();
        });
        const double theirs = perFile([&] { giflibDecode(file, frames); });
        oursAll += ours;
        giflibAll += theirs;
        slower += ours > theirs;
        std::printf("  %-52s %7lld %7.2f %7.2f %7.2fx\n", qPrintable(f.name), static_cast<long long>(file.size()), ours,
                    theirs, theirs / ours);
    }
    std::printf("  %-52s %7s %7.2f %7.2f %7.2fx   (ratio = giflib / ours; ours slower on %d of %d)\n\n", "all", "",
                oursAll, giflibAll, giflibAll / oursAll, slower, int(files.size()));
    return oursAll <= giflibAll;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Either switch runs its rows alone (for profiling, or for alternating builds side by side).
    const bool onlyDisplay = app.arguments().contains(QStringLiteral("--only-display"));
    const bool onlySmall = app.arguments().contains(QStringLiteral("--only-small"));
    const bool onlyEditor = app.arguments().contains(QStringLiteral("--only-editor"));
    if (onlyDisplay || onlySmall || onlyEditor) {
        bool goals = true;
        if (onlyDisplay)
            goals = displayControl();
        if (onlyEditor) {
            QTemporaryDir dir;
            goals = animationEditor(dir.path()) && goals;
        }
        if (onlySmall)
            goals = smallFileRows() && goals;
        std::printf("goals %s\n", goals ? "met" : "NOT met");
        return 0;
    }
    QTemporaryDir dir;
    Magick magick;
    bool goals = displayControl(); // first: its peak memory is measured on a fresh heap
    goals = animationEditor(dir.path()) && goals;
    goals = smallFileRows() && goals;

    for (const Input &input : inputs()) {
        const std::vector<QImage> &frames = input.frames;
        const double mpx = double(frames.size()) * frames[0].width() * frames[0].height() / 1e6;
        auto build = [&] {
            auto gif = std::make_unique<gfx::TGIFImage>();
            for (const QImage &img : frames) {
                platform::Bitmap b;
                b.SetIndexedImage(img, platform::PixelFormat::pf8bit);
                gif->AddFrame(&b);
            }
            return gif;
        };
        QByteArray file;
        const double encode = best(std::function<double()>([&] {
            auto gif = build(); // frames that hold bitmaps only, as the editor makes them
            QElapsedTimer t;
            t.start();
            file = gif->WriteGIF(false);
            return t.nsecsElapsed() / 1e9;
        }));
        const double giflibEnc = best([&] { giflibEncode(frames); });
        const double decode = best([&] {
            gfx::TGIFImage gif;
            gif.ReadGIF(file, false);
            gif.DecodeAllFrames();
        });
        const int count = int(frames.size());
        const double giflibDec = best([&] { giflibDecode(file, count); });
        double magickDec = 0, magickEnc = 0;
        const QString path = dir.filePath(QStringLiteral("input.gif"));
        {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(file);
        }
        if (magick.Available()) {
            // Encoding is what copying takes beyond decoding.
            const Magick::Timed dec = magick.Run({path, "null:"});
            const Magick::Timed copy = magick.Run({path, dir.filePath("copy.gif")});
            magickDec = Magick::Difference(dec, magick.Startup());
            magickEnc = magickDec > 0 ? Magick::Difference(copy, dec) : kUnmeasurable;
        }
        std::printf("%s (%.1f Mpx), %lld bytes\n", input.name, mpx, static_cast<long long>(file.size()));
        row("  decode", mpx, decode, giflibDec, magickDec);
        row("  encode", mpx, encode, giflibEnc, magickEnc);
        goals = goals && decode <= giflibDec && encode <= giflibEnc;
    }

    const auto [first, last] = composition();
    std::printf("\nComposition of 2001 frames of 200 x 200, alternately kept and restored: %.3f ms per frame at "
                "frames 1-100, %.3f ms at frames 1901-2000\n", first, last);
    goals = goals && last < 4 * first + 0.5;

    const QImage picture = photo();
    platform::Bitmap bitmap;
    bitmap.SetImage(picture);
    const QString photoPath = dir.filePath(QStringLiteral("photo.ppm"));
    picture.save(photoPath);
    const double photoMpx = 1920.0 * 1080 / 1e6;
    std::printf("\nColour reduction of a 1920 x 1080 photograph to 8 bits (goal: under 0.5 s each)\n");
    struct Method {
        uint8_t id;
        const char *name;
        QStringList magick;
    };
    const QList<Method> methods = {
        {gfx::rmFrequency, "0 frequency of use", {"-colors", "256", "-dither", "None"}},
        {gfx::rmQuantize, "1 quantizing (median cut)", {"-colors", "256", "-dither", "None"}},
        {gfx::rmTruncate784, "2 truncation 7x8x4", {"-posterize", "8", "-dither", "None"}},
        {gfx::rmTruncate666, "3 truncation 6x6x6", {"-posterize", "6", "-dither", "None"}},
        {gfx::rmTripel, "4 tripel", {}},
        {gfx::rmGrayscale, "5 grayscale", {"-colorspace", "Gray"}},
    };
    for (const Method &m : methods) {
        const double t = best([&] { gfx::BitmapToStream(bitmap, platform::PixelFormat::pf8bit, m.id); }, 3);
        double im = 0;
        if (magick.Available() && !m.magick.isEmpty())
            im = Magick::Difference(magick.Run(QStringList{photoPath} + m.magick + QStringList{"bmp3:" + dir.filePath("out.bmp")}),
                                    magick.Run({photoPath, "bmp3:" + dir.filePath("plain.bmp")}));
        row(m.name, photoMpx, t, 0, im);
        goals = goals && t < 0.5;
    }
    std::printf("\ngoals %s\n", goals ? "met" : "NOT met");
    return 0;
}
