// Loads any bytes into a tree, as its file loader does: bytes that begin with the tree file mark go to
// the record stream reader, all others to the text reader. A load either fails with the tree's errors,
// leaving the nodes as they were, or gives nodes whose saved forms read back the same.
#include "controls/tree/zozezo.h"

#include <QApplication>
#include <cstdint>
#include <cstdlib>

namespace {

tree::TZozeZO *theTree = nullptr;

QByteArray saveBoth(tree::TZozeZO &t)
{
    return t.SaveToBytes(true) + '|' + t.SaveToBytes(false);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    theTree = new tree::TZozeZO;
    theTree->OnLoadError = [](tree::TCustomZozeZO *, int line, bool &raise) {
        if (line < 2)
            std::abort();
        raise = (line % 2) == 0;
    };
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tree::TZozeZO &t = *theTree;
    // The first byte picks the reader, so that both get the whole of the rest.
    if (size == 0)
        return 0;
    const QByteArray magic("\x0D\x54\x4E\x54\x0D", 5);
    QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (data[0] & 1)
        bytes.prepend(magic);
    const bool asText = !bytes.startsWith(magic);
    t.Items()->Clear();
    t.Items()->Add(nullptr, QStringLiteral("before"));
    const QByteArray before = saveBoth(t);
    try {
        t.LoadFromBytes(bytes);
    } catch (const platform::Error &) {
        if (saveBoth(t) != before)
            std::abort();
        return 0;
    }
    // Saved forms are stable: what is written reads back to the same nodes.
    const QByteArray binary = t.SaveToBytes(true);
    const QByteArray text = t.SaveToBytes(false);
    t.LoadFromBytes(binary);
    if (t.SaveToBytes(true) != binary)
        std::abort();
    // The text form holds no empty texts nor line breaks in a text, which the record stream may hold;
    // a tree read from text saves to the same text.
    if (asText) {
        t.LoadFromBytes(text);
        if (t.SaveToBytes(false) != text)
            std::abort();
    }
    return 0;
}
