#include "graphic.h"

#include "platform/fileio.h"

#include <QBuffer>
#include <QMimeData>

namespace platform {

Graphic::~Graphic() = default;

void Graphic::SetWidth(int) {}
void Graphic::SetHeight(int) {}

void Graphic::SetTransparent(bool value)
{
    if (value != transparent_) {
        transparent_ = value;
        Changed();
    }
}

bool Graphic::Equals(const Graphic *other) const
{
    if (!other || other->ClassName() != ClassName())
        return false;
    if (Empty() || other->Empty())
        return Empty() && other->Empty();
    auto *self = const_cast<Graphic *>(this);
    return self->SaveToBytes() == const_cast<Graphic *>(other)->SaveToBytes();
}

void Graphic::LoadFromBytes(const QByteArray &bytes)
{
    QByteArray copy(bytes);
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(buffer);
}

QByteArray Graphic::SaveToBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    return bytes;
}

void Graphic::LoadFromFile(const QString &path) { LoadFromBytes(ReadWholeFile(path)); }

void Graphic::SaveToFile(const QString &path) { WriteFileAtomic(path, SaveToBytes()); }

void Graphic::ReadData(QIODevice &stream) { LoadFromStream(stream); }

void Graphic::WriteData(QIODevice &stream) { SaveToStream(stream); }

void Graphic::SaveToClipboardFormat(QMimeData &) {}

void Graphic::LoadFromClipboardFormat(const QMimeData &)
{
    throw InvalidGraphic(QStringLiteral("Unsupported clipboard format"));
}

void Graphic::Assign(const Graphic *source)
{
    if (!source)
        AssignError(source);
    source->AssignTo(this);
}

void Graphic::AssignTo(Graphic *dest) const
{
    throw InvalidGraphicOperation(QStringLiteral("Cannot assign a %1 to a %2")
                                      .arg(ClassName(), dest ? dest->ClassName() : QStringLiteral("nil")));
}

void Graphic::AssignError(const Graphic *source) const
{
    throw InvalidGraphicOperation(QStringLiteral("Cannot assign a %1 to a %2")
                                      .arg(source ? source->ClassName() : QStringLiteral("nil"), ClassName()));
}

void Graphic::SetModified(bool value)
{
    if (value)
        Changed();
    else
        modified_ = false;
}

void Graphic::Changed()
{
    modified_ = true;
    if (OnChange)
        OnChange(this);
}

void Graphic::Progress(ProgressStage stage, int percent, bool redrawNow, const QRect &rect, const QString &message)
{
    if (OnProgress)
        OnProgress(this, stage, percent, redrawNow, rect, message);
}

} // namespace platform
