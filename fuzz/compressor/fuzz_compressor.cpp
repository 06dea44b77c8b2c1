// Compresses any bytes with any set of passes (the first byte picks them): it must not crash, the
// result must never be longer than the input, and a second Compress must change nothing.
#include "tools/publish/htmlcompressor.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t options = data[0];
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    publish::THTMLCompressor c;
    c.SimpleTags = options & 1;
    c.Center = options & 2;
    c.InvCommas = options & 4;
    c.Spaces = options & 8;
    c.Returns = options & 16;
    c.AllReturns = options & 32;
    c.Webbots = options & 64;
    c.LoadFromBytes(input);
    c.Compress();
    const QByteArray once = c.Buffer();
    if (once.size() > input.size()) {
        std::fprintf(stderr, "output grew\n");
        std::abort();
    }
    if (c.IsCompressed() && c.CompressedSize() != quint32(once.size()))
        std::abort();
    c.Compress();
    if (c.Buffer() != once) {
        std::fprintf(stderr, "a second Compress changed the text\n");
        std::abort();
    }
    return 0;
}
