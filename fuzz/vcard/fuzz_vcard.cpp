// Reads any text as a card. Writing and reading again may first move values up (a second URL into
// the first place when the first was empty) and join note lines, but after that the text stays put.
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
    next.SetText(card.Text());
    card.SetText(next.Text());
    const QString settled = card.Text();
    next.SetText(settled);
    if (next.Text() != settled) {
        std::fprintf(stderr, "text does not settle:\n%s\n---\n%s\n", qPrintable(settled), qPrintable(next.Text()));
        std::abort();
    }
    return 0;
}
