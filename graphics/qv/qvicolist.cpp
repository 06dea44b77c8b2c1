#include "qvicolist.h"

#include "qvanifile.h"

#include "platform/fileio.h"
#include "platform/formstream.h"
#include "platform/graphics/bytereader.h"

#include <QFile>
#include <QIODevice>

namespace gfx {

namespace {

bool emptyEntry(const TIcon *icon) { return !icon || icon->Empty(); }

// Ends an update however the block is left.
class Update {
public:
    explicit Update(TIconList &list) : list_(list) { list_.BeginUpdate(); }
    ~Update() { list_.EndUpdate(); }
    Update(const Update &) = delete;
    Update &operator=(const Update &) = delete;

private:
    TIconList &list_;
};

} // namespace

TIconList::TIconList() = default;

TIconList::~TIconList()
{
    // The icons must not call back into a list that is going away.
    for (auto &icon : list_)
        if (icon)
            icon->OnChange = nullptr;
}

void TIconList::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed();
}

void TIconList::Changed()
{
    if (updateCount_ == 0 && OnChange)
        OnChange(this);
}

void TIconList::checkIndex(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw platform::Error(QStringLiteral("List index out of bounds (%1)").arg(index));
}

void TIconList::attach(TIcon *icon)
{
    if (icon)
        icon->OnChange = [this](platform::Graphic *) { Changed(); };
}

TIcon *TIconList::Icons(int index) const
{
    checkIndex(index, Count());
    return list_[size_t(index)].get();
}

void TIconList::Put(int index, const TIcon *icon)
{
    checkIndex(index, Count() + 1);
    Update update(*this);
    if (index == Count())
        list_.emplace_back();
    auto &entry = list_[size_t(index)];
    if (!entry) {
        entry = std::make_unique<TIcon>();
        attach(entry.get());
    }
    entry->Assign(icon);
}

void TIconList::insertIcon(int index, std::unique_ptr<TIcon> icon)
{
    // Filled before it is attached: taking its content is no change of the list yet.
    attach(icon.get());
    list_.insert(list_.begin() + index, std::move(icon));
    Changed();
}

void TIconList::Insert(int index, const TIcon *icon)
{
    checkIndex(index, Count() + 1);
    std::unique_ptr<TIcon> copy;
    if (icon) {
        copy = std::make_unique<TIcon>();
        copy->Assign(icon);
    }
    insertIcon(index, std::move(copy));
}

int TIconList::Add(const TIcon *icon)
{
    Insert(Count(), icon);
    return Count() - 1;
}

void TIconList::InsertResource(int index, const QString &resourceName)
{
    checkIndex(index, Count() + 1);
    QFile file;
    if (resourceName.isEmpty() || !platform::TryOpenForReading(file, resourceName, nullptr))
        throw platform::Error(QStringLiteral("Resource %1 not found").arg(resourceName));
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromStream(file);
    insertIcon(index, std::move(icon));
}

int TIconList::AddResource(const QString &resourceName)
{
    InsertResource(Count(), resourceName);
    return Count() - 1;
}

void TIconList::Delete(int index)
{
    checkIndex(index, Count());
    if (auto &icon = list_[size_t(index)])
        icon->OnChange = nullptr;
    list_.erase(list_.begin() + index);
    Changed();
}

void TIconList::Exchange(int index1, int index2)
{
    checkIndex(index1, Count());
    checkIndex(index2, Count());
    std::swap(list_[size_t(index1)], list_[size_t(index2)]);
    Changed();
}

void TIconList::Move(int currentIndex, int newIndex)
{
    if (currentIndex == newIndex)
        return;
    checkIndex(currentIndex, Count());
    checkIndex(newIndex, Count());
    std::unique_ptr<TIcon> icon = std::move(list_[size_t(currentIndex)]);
    list_.erase(list_.begin() + currentIndex);
    list_.insert(list_.begin() + newIndex, std::move(icon));
    Changed();
}

void TIconList::Clear()
{
    Update update(*this);
    for (int i = Count() - 1; i >= 0; --i)
        Delete(i);
}

int TIconList::IndexOf(const TIcon *icon) const
{
    for (size_t i = 0; i < list_.size(); ++i)
        if (list_[i].get() == icon)
            return int(i);
    return -1;
}

void TIconList::Assign(const TIconList *source)
{
    if (source == this)
        return;
    Update update(*this);
    Clear();
    if (source)
        for (const auto &icon : source->list_)
            Add(icon.get());
}

void TIconList::Assign(const TIcon *source)
{
    Update update(*this);
    Clear();
    if (source)
        Add(source);
}

void TIconList::Assign(const TAnimatedCursorImage *source)
{
    if (!source) {
        Clear();
        return;
    }
    source->AssignTo(this);
}

bool TIconList::Equals(const TIconList *other) const
{
    if (!other || other->Count() != Count())
        return false;
    for (size_t i = 0; i < list_.size(); ++i) {
        const TIcon *a = list_[i].get(), *b = other->list_[i].get();
        if (emptyEntry(a) || emptyEntry(b)) {
            if (emptyEntry(a) != emptyEntry(b))
                return false;
        } else if (a->Data() != b->Data()) {
            return false;
        }
    }
    return true;
}

qsizetype TIconList::LoadFromBytes(const QByteArray &bytes)
{
    // Everything is read and checked before the list changes, so a damaged form loses nothing.
    platform::ByteReader rd(bytes);
    const qint32 count = rd.I32();
    if (count > rd.Remaining() / 4)
        throw platform::StreamError(QStringLiteral("Stream read error"));
    std::vector<std::unique_ptr<TIcon>> read;
    for (qint32 i = 0; i < count; ++i) {
        const qint32 size = rd.I32();
        if (size < 1) {
            read.emplace_back();
            continue;
        }
        auto icon = std::make_unique<TIcon>();
        icon->LoadFromBytes(rd.Bytes(size));
        read.push_back(std::move(icon));
    }
    Update update(*this);
    Clear();
    list_ = std::move(read);
    for (auto &icon : list_)
        attach(icon.get());
    return rd.Position();
}

QByteArray TIconList::SaveToBytes() const
{
    QByteArray out;
    platform::ByteWriter w(out);
    w.U32(quint32(Count()));
    for (const auto &icon : list_) {
        if (emptyEntry(icon.get())) {
            w.U32(0);
            continue;
        }
        const QByteArray bytes = icon->SaveToBytes();
        w.U32(quint32(bytes.size()));
        w.Bytes(bytes);
    }
    return out;
}

void TIconList::LoadFromStream(QIODevice &stream)
{
    const qint64 start = stream.pos();
    const QByteArray rest = stream.isSequential() ? stream.readAll() : stream.read(stream.size() - start);
    const qsizetype used = LoadFromBytes(rest);
    // Whatever follows the list stays to be read.
    if (!stream.isSequential())
        stream.seek(start + used);
}

void TIconList::SaveToStream(QIODevice &stream) const { stream.write(SaveToBytes()); }

bool TIconList::IconsStored(const TIconList *ancestor) const
{
    return ancestor ? !Equals(ancestor) : Count() > 0;
}

void TIconList::DefineProperties(platform::FormWriter &writer, const TIconList *ancestor) const
{
    if (!IconsStored(ancestor))
        return;
    writer.WriteString(QStringLiteral("Icons"));
    writer.WriteBinary(SaveToBytes());
}

bool TIconList::ReadProperty(const QString &name, platform::FormReader &reader)
{
    if (name != QLatin1String("Icons"))
        return false;
    LoadFromBytes(reader.ReadBinary());
    return true;
}

} // namespace gfx
