#pragma once
// Text documents: read as UTF-8 when the bytes are valid UTF-8, UTF-16 when they start with its byte
// order mark, else Windows-1252; written back in the encoding and with the line ends they were read with,
// atomically.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace platform {

enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Windows1252 };
enum class LineEnd { CrLf, Lf, Cr };

struct TextDocument {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    bool bom = false;
    LineEnd lineEnd = LineEnd::CrLf;
};

// Decodes bytes; raises FileError for a file holding NUL bytes that is not UTF-16 (the text control
// would cut it at the NUL and a later save would destroy the file).
TextDocument DecodeText(const QByteArray &bytes, const QString &nameForMessages = QString());
// A document to be edited: as DecodeText, and a UTF-16 document holding U+0000 is refused as well.
TextDocument DecodeDocument(const QByteArray &bytes, const QString &nameForMessages = QString());
TextDocument LoadTextDocument(const QString &path);
// The characters the text control takes as its own style codes (0x01 to 0x05 and 0x15).
bool IsStyleCodeChar(char16_t c);
// Raises FileError naming the first style-code character of the bytes (read in this encoding) and its
// byte offset: the text control would change or drop it on the next save.
void RefuseStyleCodes(const QByteArray &bytes, TextEncoding encoding, const QString &nameForMessages);
// True when every byte is 1..127: such a file reads the same in every encoding we know and can be handed
// to a text control as it is.
bool IsPlainAscii(const QByteArray &bytes);

// Every line end (CR, LF or CR LF) becomes `ends`. A text that Windows-1252 cannot hold is written as
// UTF-8 instead of losing characters; the encoding actually used is returned.
QByteArray EncodeText(const QString &text, TextEncoding encoding, bool bom, TextEncoding *used = nullptr,
                      LineEnd ends = LineEnd::CrLf);
// The same for text that is already UTF-8 with CR LF line ends (a text control's saved form): no copy
// when it stays UTF-8 with CR LF.
QByteArray EncodeUtf8Text(const QByteArray &utf8CrLf, TextEncoding encoding, bool bom, TextEncoding *used = nullptr,
                          LineEnd ends = LineEnd::CrLf);
TextEncoding SaveTextDocument(const QString &path, const QString &text, TextEncoding encoding, bool bom,
                              LineEnd ends = LineEnd::CrLf);
// The offset of the first character that the encoding cannot hold; -1 when it holds them all.
qsizetype FirstUnencodable(QStringView text, TextEncoding encoding);

// CR, LF and CR LF all become CR LF.
QString ToCrLf(const QString &text);
// CR, LF and CR LF all become `ends`.
QString WithLineEnds(const QString &text, LineEnd ends);
// The line end a text was written with: its first one (CR LF for a text without any). The bytes are
// read as an 8-bit or UTF-8 text.
LineEnd DetectLineEnd(QStringView text);
LineEnd DetectLineEnd(QByteArrayView bytes);
QString LineEndName(LineEnd ends);

// 0x80..0x9F of Windows-1252; zero marks the five undefined bytes, which stand for the C1 control of
// their number. Every other byte is the character of its number.
inline constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
inline char16_t Windows1252Char(unsigned char b)
{
    return b >= 0x80 && b < 0xA0 && kWindows1252High[b - 0x80] ? kWindows1252High[b - 0x80] : char16_t(b);
}
// Windows-1252 conversions (undefined bytes map to the C1 control of the same number and back).
QString FromWindows1252(const QByteArray &bytes);
// False when a character has no Windows-1252 byte.
bool ToWindows1252(const QString &text, QByteArray *out);

QString EncodingName(TextEncoding encoding);

// Where a page names a character set other than UTF-8: the charset of a meta element (its attribute, or
// the parameter in the content of a Content-Type meta) outside comments, and the encoding of an XML
// declaration that opens the page. Offsets and lengths of the names, in order.
struct TextSpan {
    qsizetype start = 0, length = 0;
};
QList<TextSpan> ForeignCharsetDeclarations(QStringView page);
// The encoding of a character-set name: UTF-8, or Windows-1252 for the names a browser reads as it
// (ISO-8859-1 and US-ASCII among them); none for another.
std::optional<TextEncoding> EncodingOfLabel(QStringView label);
// The encoding the page's first declaration names, looked for where a browser takes one (an XML
// declaration that opens the page, else a meta element before BODY); none when there is none or it
// names an encoding other than those two.
std::optional<TextEncoding> DeclaredEncoding(QStringView page);
// The encoding a page held in `held` is written in: the one it declares, so that a browser reads it as
// it was written, unless a byte order mark (which a browser takes first) or UTF-16 says otherwise; else
// the one it was read in.
TextEncoding EncodingToWrite(QStringView page, TextEncoding held, bool bom);
// What a page the program makes declares: that it is written in UTF-8.
inline constexpr char kUtf8Declaration[] = R"(<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=utf-8">)";
// The page with each of those names made UTF-8 (in the name's letter case); nothing else changes.
QString DeclaringUtf8(const QString &page, const QList<TextSpan> &declarations);

} // namespace platform
