#include "picture.h"

#include "jpeg.h"

#include <QFileInfo>
#include <QMimeData>
#include <QMutex>

namespace platform {
namespace {

struct ClipboardEntry {
    ClipboardFormat format;
    QString className;
    GraphicFactory create;
};

struct Registry {
    QList<FileFormat> files;
    QList<ClipboardEntry> clipboard;
    Registry()
    {
        files.append({QStringLiteral("bmp"), QStringLiteral("Bitmaps"), QStringLiteral("TBitmap"),
                      [] { return std::make_unique<Bitmap>(); }});
        for (const char *ext : {"jpg", "jpeg"})
            files.append({QLatin1String(ext), QStringLiteral("JPEG Image File"), QStringLiteral("TJPEGImage"),
                          [] { return std::make_unique<JpegImage>(); }});
    }
};

QMutex &lock()
{
    static QMutex m;
    return m;
}

Registry &registry()
{
    static Registry r;
    return r;
}

std::unique_ptr<Graphic> forExtension(const QString &path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    QMutexLocker locker(&lock());
    // The latest registration of an extension wins.
    const QList<FileFormat> &files = registry().files;
    for (qsizetype i = files.size() - 1; i >= 0; --i)
        if (files[i].extension == ext)
            return files[i].create();
    throw InvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(ext));
}

} // namespace

Picture::Picture() = default;
Picture::~Picture() = default;

void Picture::changed()
{
    if (OnChange)
        OnChange(graphic_.get());
}

void Picture::SetGraphic(const Graphic *graphic)
{
    if (!graphic) {
        graphic_.reset();
    } else {
        std::unique_ptr<Graphic> copy = graphic->NewOfSameClass();
        copy->Assign(graphic);
        graphic_ = std::move(copy);
    }
    changed();
}

void Picture::TakeGraphic(std::unique_ptr<Graphic> graphic)
{
    graphic_ = std::move(graphic);
    changed();
}

Bitmap *Picture::GetBitmap()
{
    if (auto *b = dynamic_cast<Bitmap *>(graphic_.get()))
        return b;
    auto b = std::make_unique<Bitmap>();
    if (graphic_ && !graphic_->Empty())
        b->Assign(graphic_.get());
    graphic_ = std::move(b);
    changed();
    return static_cast<Bitmap *>(graphic_.get());
}

void Picture::LoadFromFile(const QString &path)
{
    std::unique_ptr<Graphic> g = forExtension(path);
    g->LoadFromFile(path);
    TakeGraphic(std::move(g));
}

void Picture::SaveToFile(const QString &path)
{
    if (graphic_)
        graphic_->SaveToFile(path);
}

void Picture::LoadFromClipboardFormat(const QMimeData &data)
{
    std::unique_ptr<Graphic> g;
    {
        QMutexLocker locker(&lock());
        for (const ClipboardEntry &e : registry().clipboard)
            if (HasFormat(data, e.format)) {
                g = e.create();
                break;
            }
    }
    if (!g)
        g = std::make_unique<Bitmap>();
    g->LoadFromClipboardFormat(data);
    TakeGraphic(std::move(g));
}

void Picture::SaveToClipboardFormat(QMimeData &data) const
{
    if (graphic_)
        graphic_->SaveToClipboardFormat(data);
}

void Picture::RegisterFileFormat(const QString &extension, const QString &description, const QString &className,
                                 GraphicFactory create)
{
    QMutexLocker locker(&lock());
    registry().files.append({extension.toLower(), description, className, std::move(create)});
}

void Picture::RegisterClipboardFormat(ClipboardFormat format, const QString &className, GraphicFactory create)
{
    QMutexLocker locker(&lock());
    registry().clipboard.append({format, className, std::move(create)});
}

void Picture::UnregisterGraphicClass(const QString &className)
{
    QMutexLocker locker(&lock());
    Registry &r = registry();
    r.files.removeIf([&](const FileFormat &f) { return f.className == className; });
    r.clipboard.removeIf([&](const ClipboardEntry &e) { return e.className == className; });
}

QList<FileFormat> Picture::FileFormats()
{
    QMutexLocker locker(&lock());
    return registry().files;
}

bool Picture::SupportsClipboardFormat(ClipboardFormat format)
{
    if (format == CF_BITMAP)
        return true;
    QMutexLocker locker(&lock());
    for (const ClipboardEntry &e : registry().clipboard)
        if (e.format == format)
            return true;
    return false;
}

QString Picture::GraphicFilter()
{
    const QList<FileFormat> files = FileFormats();
    QStringList all, entries;
    for (const FileFormat &f : files) {
        all.append(QStringLiteral("*.") + f.extension);
        entries.append(QStringLiteral("%1 (*.%2)").arg(f.description, f.extension));
    }
    entries.prepend(QStringLiteral("All (%1)").arg(all.join(QLatin1Char(' '))));
    return entries.join(QStringLiteral(";;"));
}

QString Picture::GraphicExtension(const QString &className)
{
    for (const FileFormat &f : FileFormats())
        if (f.className == className)
            return f.extension;
    return {};
}

} // namespace platform
