// Reads any bytes as an icon list's stored form. It is either refused ("Stream read error" for counts and
// sizes beyond the bytes, "Invalid icon" for an entry that is no icon) and the list keeps what it held
// without a change being signalled, or read with one change signalled to entries that write back the
// bytes they were read from: the same bytes exactly when no size was negative.
#include "graphics/qv/qvicolist.h"

#include "fuzz/anicursor/iconfuzz.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using fuzzicon::Check;
using fuzzicon::SmallIcon;
using fuzzicon::U32;

qint32 i32At(const QByteArray &bytes, qsizetype at)
{
    qint32 v = 0;
    std::memcpy(&v, bytes.constData() + at, 4); // the fuzzing machines are little-endian, like the form
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    gfx::TIconList list;
    gfx::TIcon icon;
    icon.LoadFromBytes(SmallIcon());
    list.Add(&icon);
    list.Add(nullptr);
    const QByteArray before = list.SaveToBytes();
    int changes = 0;
    list.OnChange = [&](gfx::TIconList *) { ++changes; };
    qsizetype used = 0;
    try {
        used = list.LoadFromBytes(bytes);
    } catch (const platform::Error &e) {
        Check(e.message() == QLatin1String("Stream read error") || e.message() == QLatin1String("Invalid icon"));
        Check(changes == 0 && list.UpdateCount() == 0 && list.SaveToBytes() == before);
        return 0;
    }
    Check(changes == 1 && list.UpdateCount() == 0 && used >= 4 && used <= bytes.size());

    // Walk the form again: every entry of a positive size holds those bytes.
    const qint32 count = i32At(bytes, 0);
    Check(list.Count() == (count < 0 ? 0 : count));
    bool negative = false;
    qsizetype at = 4;
    for (int i = 0; i < list.Count(); ++i) {
        const qint32 n = i32At(bytes, at);
        at += 4;
        negative = negative || n < 0;
        if (n < 1) {
            Check(!list[i]);
            continue;
        }
        Check(list[i] && list[i]->Data() == bytes.mid(at, n) && list[i]->Width() >= 1);
        at += n;
    }
    Check(at == used);
    const QByteArray saved = list.SaveToBytes();
    if (!negative && count >= 0)
        Check(saved == bytes.left(used));
    gfx::TIconList back;
    Check(back.LoadFromBytes(saved) == saved.size() && back.Equals(&list) && back.SaveToBytes() == saved);
    return 0;
}
