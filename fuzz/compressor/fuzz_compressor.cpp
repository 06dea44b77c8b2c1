// Compresses any bytes with any set of passes (the first byte picks them): it must not crash, the
// result must never be longer than the input, and a second Compress must change nothing. Unless centred
// paragraphs were asked for (they change the page by design): a browser must make the same of the
// result as of the input (elements, with strong, em and strike read as b, i and s, attribute values,
// shown text, script and style bodies), and compressing the result again must change nothing.
#include "tests/tools/publish/htmlview.h"
#include "tools/publish/htmlcompressor.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Configure(publish::THTMLCompressor &c, uint8_t options)
{
    c.SimpleTags = options & 1;
    c.Center = options & 2;
    c.InvCommas = options & 4;
    c.Spaces = options & 8;
    c.Returns = options & 16;
    c.AllReturns = options & 32;
    c.Webbots = options & 64;
}

QByteArray Compress(const QByteArray &input, uint8_t options)
{
    publish::THTMLCompressor c;
    Configure(c, options);
    c.LoadFromBytes(input);
    c.Compress();
    return c.Buffer();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t options = data[0];
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    publish::THTMLCompressor c;
    Configure(c, options);
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
    if (c.Center)
        return 0;
    const std::string difference = htmlview::FirstDifference(htmlview::Read(input.toStdString(), c.SimpleTags),
                                                             htmlview::Read(once.toStdString(), c.SimpleTags));
    if (!difference.empty()) {
        std::fprintf(stderr, "a browser would see a change: %s\n", difference.c_str());
        std::abort();
    }
    if (Compress(once, options) != once) {
        std::fprintf(stderr, "compressing the result again changed it\n");
        std::abort();
    }
    return 0;
}
