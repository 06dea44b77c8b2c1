#pragma once
// A list of icons with change notification, stored as a count and each icon's file bytes behind its
// size (0 for an empty entry). The target of an animated cursor's frames.
#include "qvicon.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <vector>

namespace platform {
class FormReader;
class FormWriter;
} // namespace platform

namespace gfx {

class TAnimatedCursorImage;

class TIconList {
public:
    TIconList();
    virtual ~TIconList();
    TIconList(const TIconList &) = delete;
    TIconList &operator=(const TIconList &) = delete;

    // Nested; ending the outermost update signals a change.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // Fires OnChange unless an update is open.
    virtual void Changed();

    int Count() const { return int(list_.size()); }
    // Null for an empty entry. Indices out of range raise "List index out of bounds (%d)".
    TIcon *Icons(int index) const;
    TIcon *operator[](int index) const { return Icons(index); }
    // Index Count appends an entry first; an empty entry gets an icon; the icon becomes a copy of the given
    // one (null empties it). One change.
    void Put(int index, const TIcon *icon);

    // A copy of the icon (null adds an empty entry). A failure adds nothing.
    int Add(const TIcon *icon);
    void Insert(int index, const TIcon *icon);
    // An icon read from a file or Qt resource path; raises "Resource %s not found" when there is none.
    int AddResource(const QString &resourceName);
    void InsertResource(int index, const QString &resourceName);
    void Delete(int index);
    void Exchange(int index1, int index2);
    void Move(int currentIndex, int newIndex);
    // Deletes from the last entry to the first: one change.
    void Clear();
    int IndexOf(const TIcon *icon) const;

    // Copies entry by entry; a single icon becomes the only entry; an animated cursor gives its frames'
    // icons.
    void Assign(const TIconList *source);
    void Assign(const TIcon *source);
    void Assign(const TAnimatedCursorImage *source);
    // Same count, and every entry empty in both or holding the same icon bytes.
    bool Equals(const TIconList *other) const;

    // The stored form. Reading checks every count and size against the bytes that remain and every icon,
    // and leaves the list as it was when anything is wrong ("Stream read error", "Invalid icon").
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream) const;
    // Returns how many bytes the list took.
    qsizetype LoadFromBytes(const QByteArray &bytes);
    QByteArray SaveToBytes() const;

    // The stored property "Icons": written when it differs from the ancestor's (without one, when there
    // are entries).
    bool IconsStored(const TIconList *ancestor = nullptr) const;
    void DefineProperties(platform::FormWriter &writer, const TIconList *ancestor = nullptr) const;
    // Takes the value of a stored property; false when the name is not ours.
    bool ReadProperty(const QString &name, platform::FormReader &reader);

    std::function<void(TIconList *sender)> OnChange;

private:
    void attach(TIcon *icon);
    void checkIndex(int index, int limit) const;
    void insertIcon(int index, std::unique_ptr<TIcon> icon);

    std::vector<std::unique_ptr<TIcon>> list_;
    int updateCount_ = 0;
};

} // namespace gfx
