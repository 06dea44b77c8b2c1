// Decodes and encodes a 60-frame 640 x 480 animation and reduces a 1920 x 1080 photograph with each of the
// six methods; prints our times beside giflib's (the same work through its library) and ImageMagick's
// (its command line, less its start-up), as megapixels per second and ratios.
#include "graphics/qv/qvgif.h"
#include "graphics/qv/qvreduce.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
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

// Best of a few runs, in seconds.
double best(const std::function<void()> &work, int runs = kRuns)
{
    double t = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        t = std::min(t, timer.nsecsElapsed() / 1e9);
    }
    return t;
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

void giflibDecode(const QByteArray &file)
{
    MemoryIn in{&file};
    int err = 0;
    GifFileType *gif = DGifOpen(&in, readMemory, &err);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount != kFrames) {
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
    for (int i = 0; i < 256; ++i)
        colours[i] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])), GifByteType(qBlue(table[i]))};
    ColorMapObject *map = GifMakeMapObject(256, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    for (const QImage &img : frames) {
        EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
        for (int y = 0; y < kHeight; ++y)
            EGifPutLine(gif, const_cast<GifPixelType *>(img.constScanLine(y)), kWidth);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

// ImageMagick's time for a command, less the time it takes to start and do nothing.
class Magick {
public:
    Magick()
    {
        for (const char *name : {"magick", "convert-im6.q16", "convert-im6"}) {
            program_ = QStandardPaths::findExecutable(QLatin1String(name));
            if (!program_.isEmpty())
                break;
        }
        if (!program_.isEmpty())
            startup_ = best([this] { run({"-size", "1x1", "xc:", "null:"}); }, 3);
    }
    bool Available() const { return !program_.isEmpty(); }
    double Time(const QStringList &args)
    {
        return std::max(1e-6, best([&] { run(args); }, 3) - startup_);
    }

private:
    void run(const QStringList &args)
    {
        QProcess p;
        p.start(program_, args);
        p.waitForFinished(-1);
    }
    QString program_;
    double startup_ = 0;
};

void row(const char *what, double mpx, double ours, double giflib, double magick)
{
    auto rate = [&](double t) { return t > 0 ? mpx / t : 0.0; };
    std::printf("%-28s ours %8.1f Mpx/s (%7.3f s)", what, rate(ours), ours);
    if (giflib > 0)
        std::printf("  giflib %8.1f Mpx/s  ours/giflib %5.2fx", rate(giflib), giflib / ours);
    if (magick > 0)
        std::printf("  ImageMagick %8.1f Mpx/s  ours/IM %6.2fx", rate(magick), magick / ours);
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    Magick magick;
    const double animMpx = double(kFrames) * kWidth * kHeight / 1e6;

    const std::vector<QImage> frames = animationFrames();
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
    double encode = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        auto gif = build(); // frames that hold bitmaps only, as the editor makes them
        QElapsedTimer t;
        t.start();
        file = gif->WriteGIF(false);
        encode = std::min(encode, t.nsecsElapsed() / 1e9);
    }
    const double giflibEnc = best([&] { giflibEncode(frames); });
    const double decode = best([&] {
        gfx::TGIFImage gif;
        gif.ReadGIF(file, false);
        gif.DecodeAllFrames();
    });
    const double giflibDec = best([&] { giflibDecode(file); });
    double magickDec = 0, magickEnc = 0;
    const QString animPath = dir.filePath(QStringLiteral("anim.gif"));
    {
        QFile f(animPath);
        f.open(QIODevice::WriteOnly);
        f.write(file);
    }
    if (magick.Available()) {
        magickDec = magick.Time({animPath, "null:"});
        magickEnc = std::max(1e-6, magick.Time({animPath, dir.filePath("copy.gif")}) - magickDec);
    }
    std::printf("GIF animation: %d frames of %d x %d (%.1f Mpx), %lld bytes\n", kFrames, kWidth, kHeight, animMpx,
                static_cast<long long>(file.size()));
    row("decode", animMpx, decode, giflibDec, magickDec);
    row("encode", animMpx, encode, giflibEnc, magickEnc);

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
    bool goals = decode <= giflibDec && encode <= giflibEnc;
    for (const Method &m : methods) {
        const double t = best([&] { gfx::BitmapToStream(bitmap, platform::PixelFormat::pf8bit, m.id); }, 3);
        double im = 0;
        if (magick.Available() && !m.magick.isEmpty())
            im = std::max(1e-6, magick.Time(QStringList{photoPath} + m.magick + QStringList{"bmp3:" + dir.filePath("out.bmp")}) -
                                    magick.Time({photoPath, "bmp3:" + dir.filePath("plain.bmp")}));
        row(m.name, photoMpx, t, 0, im);
        goals = goals && t < 0.5;
    }
    std::printf("\ngoals %s\n", goals ? "met" : "NOT met");
    return 0;
}
