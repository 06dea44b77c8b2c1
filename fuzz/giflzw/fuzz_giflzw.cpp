// The LZW decoder on any data: the first bytes give the frame (width, height, buffer depth, table bits,
// interlacing, direction), the rest is the encoded data; nothing is written outside the buffer, and the
// quick decoders of whole rows agree with it. Inputs whose first byte is odd also go through the encoder:
// their pixels must come back unchanged.
#include "graphics/qv/qvgiflzw.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const int w = 1 + data[1] % 64;
    const int h = 1 + data[2] % 64;
    static constexpr int kBits[3] = {1, 4, 8};
    const int bits = kBits[data[3] % 3];
    const int tableBits = bits == 8 ? 1 + (data[3] >> 2) % 8 : bits;
    const bool interlaced = data[3] & 0x40;
    const bool bottomUp = data[3] & 0x80;
    const qsizetype stride = gfx::GIFStride(w, bits);
    const QByteArray rest(reinterpret_cast<const char *>(data) + 4, qsizetype(size) - 4);

    if (data[0] & 1) {
        // Round trip of pixels taken from the input.
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t(stride * h)]());
        const int mask = (1 << bits) - 1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int v = rest.isEmpty() ? 0 : uint8_t(rest[(y * w + x) % rest.size()]) & mask;
                uint8_t *row = pixels.get() + y * stride;
                if (bits == 8)
                    row[x] = uint8_t(v);
                else if (bits == 4)
                    row[x >> 1] |= uint8_t((x & 1) ? v : v << 4);
                else
                    row[x >> 3] |= uint8_t(v << (7 - (x & 7)));
            }
        QByteArray encoded;
        gfx::Encode(encoded, gfx::TGIFHeader{w, h, bits}, interlaced, {}, pixels.get());
        std::unique_ptr<uint8_t[]> back(new uint8_t[size_t(stride * h)]());
        bool corrupted = false;
        gfx::Decode(encoded, gfx::TGIFHeader{w, h, bits}, interlaced, {}, corrupted, back.get(), stride, true, bits, true);
        if (corrupted || std::memcmp(pixels.get(), back.get(), size_t(stride * h)) != 0)
            std::abort();
        return 0;
    }
    // The exact buffer, so that any write beyond it is caught.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size_t(stride * h)]());
    bool corrupted = false;
    try {
        gfx::Decode(rest, gfx::TGIFHeader{w, h, bits}, interlaced, {}, corrupted, buffer.get(), stride, bottomUp,
                    tableBits, data[0] & 2);
    } catch (const platform::InvalidGraphicOperation &) {
    }
    // The quick decoders of rows laid one after another agree with it: the same verdict, and when sound the
    // same pixel values (or their colours).
    const int count = w * h;
    std::unique_ptr<uint8_t[]> reference(new uint8_t[size_t(count)]());
    bool damaged = false;
    gfx::Decode(rest, gfx::TGIFHeader{w, h, 8}, false, {}, damaged, reference.get(), w, false, tableBits, true);
    std::unique_ptr<uint8_t[]> indices(new uint8_t[size_t(count)]);
    const bool sound = gfx::DecodeIndices(rest, count, tableBits, indices.get());
    if (sound == damaged || (sound && std::memcmp(indices.get(), reference.get(), size_t(count)) != 0))
        std::abort();
    QRgb colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = 0xFF000000u | uint32_t(i * 0x010203);
    std::unique_ptr<QRgb[]> pixels(new QRgb[size_t(count)]);
    if (gfx::DecodeColours(rest, count, colours, tableBits, pixels.get()) != sound)
        std::abort();
    for (int i = 0; sound && i < count; ++i)
        if (pixels[size_t(i)] != colours[reference[size_t(i)]])
            std::abort();
    return 0;
}
