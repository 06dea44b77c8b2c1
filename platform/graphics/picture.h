#pragma once
// The picture container: holds one graphic of any registered class and chooses the class by file
// extension or clipboard format. Graphic classes register themselves with an extension, a description
// and a factory; bitmaps ("bmp") and JPEG pictures ("jpg", "jpeg") are known from the start.
#include "bitmap.h"
#include "clipboard.h"

#include <QList>
#include <functional>
#include <memory>

namespace platform {

using GraphicFactory = std::function<std::unique_ptr<Graphic>()>;

struct FileFormat {
    QString extension;   // without the dot, lower case
    QString description; // "JPEG Image File"
    QString className;
    GraphicFactory create;
};

class Picture {
public:
    Picture();
    ~Picture();
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;

    Graphic *GetGraphic() const { return graphic_.get(); }
    // A copy of the graphic (of the same class) becomes the picture; null empties it.
    void SetGraphic(const Graphic *graphic);
    void TakeGraphic(std::unique_ptr<Graphic> graphic);
    // The picture as a bitmap: any other graphic is replaced by a bitmap of its pixels.
    Bitmap *GetBitmap();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    void Assign(const Picture *source) { SetGraphic(source ? source->GetGraphic() : nullptr); }

    // Raises "Unknown picture file extension (.%s)" for an extension nobody registered.
    void LoadFromFile(const QString &path);
    // Nothing happens without a graphic.
    void SaveToFile(const QString &path);
    // A registered format of the data, else the bitmap format.
    void LoadFromClipboardFormat(const QMimeData &data);
    void SaveToClipboardFormat(QMimeData &data) const;

    NotifyEvent OnChange;

    static void RegisterFileFormat(const QString &extension, const QString &description, const QString &className,
                                   GraphicFactory create);
    static void RegisterClipboardFormat(ClipboardFormat format, const QString &className, GraphicFactory create);
    // Forgets every file and clipboard format of the class.
    static void UnregisterGraphicClass(const QString &className);
    static QList<FileFormat> FileFormats();
    static bool SupportsClipboardFormat(ClipboardFormat format);
    // A file dialog filter: "All (*.bmp *.jpg ...)" and then one entry per format, joined by ";;".
    static QString GraphicFilter();
    // The first extension registered for a class, or an empty string.
    static QString GraphicExtension(const QString &className);

private:
    void changed();
    std::unique_ptr<Graphic> graphic_;
};

} // namespace platform
