#pragma once
// The picture classes' common base: a graphic that can be drawn, loaded, saved, put on the clipboard and
// stored as a form property, with change and progress notifications.
#include "platform/error.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QVector>
#include <QRgb>
#include <functional>
#include <memory>

class QIODevice;
class QMimeData;
class QPainter;

namespace platform {

// A picture operation that cannot be done ("Cannot change the Size of a GIF image", ...).
class InvalidGraphicOperation : public Error {
public:
    using Error::Error;
};

// Picture data that cannot be read ("Bitmap image is not valid", ...).
class InvalidGraphic : public Error {
public:
    using Error::Error;
};

enum class ProgressStage { psStarting = 0, psRunning = 1, psEnding = 2 };

class Graphic;
using NotifyEvent = std::function<void(Graphic *sender)>;
using ProgressEvent = std::function<void(Graphic *sender, ProgressStage stage, int percent, bool redrawNow,
                                         const QRect &rect, const QString &message)>;

class Graphic {
public:
    Graphic() = default;
    virtual ~Graphic();
    Graphic(const Graphic &) = delete;
    Graphic &operator=(const Graphic &) = delete;

    // The class name under which the format registry knows this graphic.
    virtual QString ClassName() const = 0;
    // A new, empty graphic of the same class.
    virtual std::unique_ptr<Graphic> NewOfSameClass() const = 0;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int value);
    virtual void SetHeight(int value);
    virtual void Draw(QPainter &painter, const QRect &rect) = 0;
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    // The colours a palette-based display would realise; empty when the graphic has none.
    virtual QVector<QRgb> Palette() { return {}; }
    virtual bool Equals(const Graphic *other) const;

    // Reads Size - Position bytes of the stream.
    virtual void LoadFromStream(QIODevice &stream) = 0;
    virtual void SaveToStream(QIODevice &stream) = 0;
    void LoadFromBytes(const QByteArray &bytes);
    QByteArray SaveToBytes();
    void LoadFromFile(const QString &path);
    // Written atomically: a failed save leaves the old file whole.
    void SaveToFile(const QString &path);

    // Stored property data; by default the saved stream with nothing around it.
    virtual void ReadData(QIODevice &stream);
    virtual void WriteData(QIODevice &stream);

    // The clipboard: this graphic's formats into mime data, or from mime data of a registered format.
    virtual void SaveToClipboardFormat(QMimeData &data);
    virtual void LoadFromClipboardFormat(const QMimeData &data);

    // Copies another graphic; a source it does not understand is asked to assign itself (AssignTo),
    // and when neither knows the other the assignment fails.
    virtual void Assign(const Graphic *source);
    virtual void AssignTo(Graphic *dest) const;

    bool Modified() const { return modified_; }
    void SetModified(bool value);
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }

    NotifyEvent OnChange;
    ProgressEvent OnProgress;

protected:
    void Changed();
    void Progress(ProgressStage stage, int percent, bool redrawNow, const QRect &rect, const QString &message);
    [[noreturn]] void AssignError(const Graphic *source) const;

private:
    bool transparent_ = false;
    bool modified_ = false;
    bool paletteModified_ = false;
};

} // namespace platform
