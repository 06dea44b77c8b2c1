// Reads any bytes as a page (UTF-8 where they are, else Windows-1252) and looks for its character-set
// declarations: every name found lies inside the page, in order and apart; the page with them made UTF-8
// declares no other character set, and a page whose first declaration named an encoding we write then
// declares UTF-8. What the page is written in is one of the encodings it may be.
#include "platform/error.h"
#include "platform/textfile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

using platform::TextEncoding;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString page;
    try {
        page = platform::DecodeText(bytes).text;
    } catch (const platform::FileError &) {
        return 0; // NUL bytes: not a page
    }
    const QList<platform::TextSpan> names = platform::ForeignCharsetDeclarations(page);
    qsizetype end = 0;
    for (const platform::TextSpan &n : names) {
        if (n.length <= 0 || n.start < end || n.start + n.length > page.size())
            std::abort();
        end = n.start + n.length;
    }
    const std::optional<TextEncoding> declared = platform::DeclaredEncoding(page);
    const QString utf8 = platform::DeclaringUtf8(page, names);
    if (!platform::ForeignCharsetDeclarations(utf8).isEmpty())
        std::abort();
    if (declared && platform::DeclaredEncoding(utf8) != TextEncoding::Utf8)
        std::abort();
    for (const TextEncoding held : {TextEncoding::Utf8, TextEncoding::Windows1252, TextEncoding::Utf16LE}) {
        const TextEncoding to = platform::EncodingToWrite(page, held, false);
        if (to != held && to != declared)
            std::abort();
    }
    return 0;
}
