// Reads any text as a card. A card written, read and written again unchanged is the same text (its
// lines are kept as read); and after a further round the text stays put.
#include "tools/publish/msvcard.h"

#include "platform/error.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    publish::TmsVCard card;
    try {
        card.LoadFromStream(buffer);
    } catch (const platform::Error &) {
        return 0; // not text
    }
    publish::TmsVCard next;
    const QString written = card.Text();
    next.SetText(written);
    if (next.Text() != written) {
        std::fprintf(stderr, "a card read unchanged is written otherwise:\n%s\n---\n%s\n", qPrintable(written),
                     qPrintable(next.Text()));
        std::abort();
    }
    card.SetText(next.Text());
    const QString settled = card.Text();
    next.SetText(settled);
    if (next.Text() != settled) {
        std::fprintf(stderr, "text does not settle:\n%s\n---\n%s\n", qPrintable(settled), qPrintable(next.Text()));
        std::abort();
    }
    return 0;
}
