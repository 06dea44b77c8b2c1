// Reads any bytes as a card. A card saved, read and saved again unchanged gives the same bytes (its lines
// are kept as read, in the encoding it was read in); and after a further round the bytes stay put.
#include "tools/publish/msvcard.h"

#include "platform/error.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

namespace {

QByteArray Saved(const publish::TmsVCard &card)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    try {
        card.SaveToStream(buffer);
    } catch (const platform::Error &e) {
        // A card read unchanged holds only what its encoding can.
        std::fprintf(stderr, "a card read unchanged cannot be saved: %s\n", qPrintable(e.message()));
        std::abort();
    }
    return buffer.data();
}

void Load(publish::TmsVCard &card, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    card.LoadFromStream(buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    publish::TmsVCard card;
    try {
        Load(card, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const platform::Error &) {
        return 0; // not text
    }
    publish::TmsVCard next;
    const QByteArray written = Saved(card);
    Load(next, written);
    if (Saved(next) != written) {
        std::fprintf(stderr, "a card read unchanged is written otherwise:\n%s\n---\n%s\n", written.constData(),
                     Saved(next).constData());
        std::abort();
    }
    Load(card, Saved(next));
    const QByteArray settled = Saved(card);
    Load(next, settled);
    if (Saved(next) != settled) {
        std::fprintf(stderr, "bytes do not settle:\n%s\n---\n%s\n", settled.constData(), Saved(next).constData());
        std::abort();
    }
    return 0;
}
