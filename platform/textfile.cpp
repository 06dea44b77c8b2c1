#include "textfile.h"

#include "error.h"
#include "fileio.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <optional>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace platform {
namespace {

// Decodes in one pass; false when the bytes are not valid UTF-8.
bool decodeUtf8(const QByteArray &bytes, QString *out)
{
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *out = dec(bytes);
    return !dec.hasError();
}

FileError nulError(const QString &name, qsizetype offset)
{
    return FileError(QStringLiteral("\"%1\" is not a text document: it contains NUL characters (the first at "
                                    "byte offset %2).")
                         .arg(QDir::toNativeSeparators(name))
                         .arg(offset));
}

bool isUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

} // namespace

QString FromWindows1252(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(Windows1252Char(uchar(bytes[i])));
    return out;
}

namespace {

// The Windows-1252 byte of a character; -1 when it has none.
int cp1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c < 0x100) || (c >= 0x80 && c < 0xA0 && kWindows1252High[c - 0x80] == 0))
        return c;
    for (int k = 0; k < 32; ++k)
        if (kWindows1252High[k] == c)
            return 0x80 + k;
    return -1;
}

} // namespace

bool ToWindows1252(const QString &text, QByteArray *out)
{
    out->resize(text.size());
    char *d = out->data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = cp1252Byte(text.at(i).unicode());
        if (b < 0)
            return false;
        d[i] = char(b);
    }
    return true;
}

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::Utf16LE: return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16BE: return QStringLiteral("UTF-16BE");
    case TextEncoding::Windows1252: return QStringLiteral("Windows-1252");
    }
    return QString();
}

namespace {

bool namesUtf8(QStringView name)
{
    const QStringView n = name.trimmed();
    return n.compare(u"utf-8", Qt::CaseInsensitive) == 0 || n.compare(u"utf8", Qt::CaseInsensitive) == 0;
}

bool isNameChar(QChar c)
{
    return c.unicode() < 128 && (c.isLetterOrNumber() || QStringView(u".:_-").contains(c));
}

// The charset named in a meta element's text, when it names one.
std::optional<TextSpan> metaCharset(QStringView tag)
{
    static const QRegularExpression attribute(
        QStringLiteral(R"re(\s([^\s=/>"']+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))?)re"));
    static const QRegularExpression parameter(QStringLiteral(R"re(charset\s*=\s*["']?\s*([^\s;"']+))re"),
                                              QRegularExpression::CaseInsensitiveOption);
    std::optional<TextSpan> charset, content;
    bool contentType = false;
    for (auto it = attribute.globalMatch(tag); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        int group = 2;
        while (group < 4 && m.capturedStart(group) < 0)
            ++group;
        const TextSpan value{m.capturedStart(group), m.capturedLength(group)};
        const QStringView name = m.capturedView(1);
        if (name.compare(u"charset", Qt::CaseInsensitive) == 0 && value.start >= 0 && !charset)
            charset = value;
        else if (name.compare(u"http-equiv", Qt::CaseInsensitive) == 0)
            contentType = m.capturedView(group).trimmed().compare(u"content-type", Qt::CaseInsensitive) == 0;
        else if (name.compare(u"content", Qt::CaseInsensitive) == 0 && value.start >= 0 && !content)
            content = value;
    }
    // A name is letters, digits and ".:_-"; what follows it (an unquoted "/>") is not part of it.
    auto name = [&](TextSpan span) {
        while (span.length > 0 && tag.at(span.start).isSpace())
            ++span.start, --span.length;
        qsizetype n = 0;
        while (n < span.length && isNameChar(tag.at(span.start + n)))
            ++n;
        return TextSpan{span.start, n};
    };
    if (charset)
        return name(*charset);
    if (!contentType || !content)
        return std::nullopt;
    const QRegularExpressionMatch m = parameter.match(tag.mid(content->start, content->length));
    if (!m.hasMatch())
        return std::nullopt;
    return name({content->start + m.capturedStart(1), m.capturedLength(1)});
}

} // namespace

namespace {

// Every charset declaration of the page in order, UTF-8 ones included; with `head`, only the first, and
// only before the page's BODY starts (where a browser still takes one).
QList<TextSpan> charsetDeclarations(QStringView page, bool head)
{
    QList<TextSpan> out;
    static const QRegularExpression xml(QStringLiteral(R"re(^\x{FEFF}?<\?xml\b[^>]*?\sencoding\s*=\s*["']([^"'>]*)["'])re"));
    qsizetype from = 0; // the meta elements come after the declaration
    if (const QRegularExpressionMatch m = xml.match(page); m.hasMatch()) {
        from = m.capturedEnd();
        if (m.capturedLength(1) > 0) {
            out << TextSpan{m.capturedStart(1), m.capturedLength(1)};
            if (head)
                return out;
        }
    }
    // An unterminated comment or tag runs to the end (as in a browser), so each is scanned once.
    static const QRegularExpression tags(QStringLiteral(R"re(<!--.*?(?:-->|\z)|<meta\b[^>]*+(?:>|\z)|<body\b)re"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
    for (auto it = tags.globalMatch(page, from); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QStringView tag = m.capturedView();
        if (tag.startsWith(u"<!--"))
            continue;
        if (!tag.startsWith(u"<m", Qt::CaseInsensitive)) {
            if (head)
                break;
            continue;
        }
        if (const std::optional<TextSpan> span = metaCharset(tag); span && span->length > 0) {
            out << TextSpan{m.capturedStart() + span->start, span->length};
            if (head)
                break;
        }
    }
    return out;
}

} // namespace

QList<TextSpan> ForeignCharsetDeclarations(QStringView page)
{
    QList<TextSpan> out;
    for (const TextSpan &span : charsetDeclarations(page, false))
        if (!namesUtf8(page.mid(span.start, span.length)))
            out << span;
    return out;
}

std::optional<TextEncoding> EncodingOfLabel(QStringView label)
{
    const QString name = label.trimmed().toString().toLower();
    // The names browsers read as UTF-8 or as Windows-1252.
    static const QStringList utf8{QStringLiteral("utf-8"), QStringLiteral("utf8"), QStringLiteral("unicode-1-1-utf-8"),
                                  QStringLiteral("unicode11utf8"), QStringLiteral("unicode20utf8"),
                                  QStringLiteral("x-unicode20utf8")};
    static const QStringList cp1252{
        QStringLiteral("windows-1252"), QStringLiteral("x-cp1252"), QStringLiteral("cp1252"), QStringLiteral("iso-8859-1"),
        QStringLiteral("iso8859-1"), QStringLiteral("iso88591"), QStringLiteral("iso_8859-1"), QStringLiteral("iso_8859-1:1987"),
        QStringLiteral("iso-ir-100"), QStringLiteral("latin1"), QStringLiteral("l1"), QStringLiteral("csisolatin1"),
        QStringLiteral("cp819"), QStringLiteral("ibm819"), QStringLiteral("us-ascii"), QStringLiteral("ascii"),
        QStringLiteral("ansi_x3.4-1968")};
    if (utf8.contains(name))
        return TextEncoding::Utf8;
    if (cp1252.contains(name))
        return TextEncoding::Windows1252;
    return std::nullopt;
}

std::optional<TextEncoding> DeclaredEncoding(QStringView page)
{
    const QList<TextSpan> first = charsetDeclarations(page, true);
    if (first.isEmpty())
        return std::nullopt;
    return EncodingOfLabel(page.mid(first.first().start, first.first().length));
}

TextEncoding EncodingToWrite(QStringView page, TextEncoding held, bool bom)
{
    // A byte order mark outweighs any declaration in a browser.
    if (bom || isUtf16(held))
        return held;
    return DeclaredEncoding(page).value_or(held);
}

QString DeclaringUtf8(const QString &page, const QList<TextSpan> &declarations)
{
    QString out = page;
    for (auto it = declarations.rbegin(); it != declarations.rend(); ++it) {
        const QStringView name = QStringView(page).mid(it->start, it->length);
        const bool lower = std::none_of(name.begin(), name.end(), [](QChar c) { return c.isUpper(); });
        out.replace(it->start, it->length, lower ? QStringLiteral("utf-8") : QStringLiteral("UTF-8"));
    }
    return out;
}

namespace {

TextDocument decode(const QByteArray &bytes, const QString &name)
{
    TextDocument doc;
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) {
        doc.encoding = TextEncoding::Utf16LE;
        doc.bom = true;
        doc.text = QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2));
        return doc;
    }
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF) {
        doc.encoding = TextEncoding::Utf16BE;
        doc.bom = true;
        doc.text = QStringDecoder(QStringDecoder::Utf16BE)(bytes.mid(2));
        return doc;
    }
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        throw nulError(name, nul);
    if (bytes.size() >= 3 && uchar(bytes[0]) == 0xEF && uchar(bytes[1]) == 0xBB && uchar(bytes[2]) == 0xBF) {
        doc.bom = true;
        doc.encoding = TextEncoding::Utf8;
        if (decodeUtf8(bytes.mid(3), &doc.text))
            return doc;
        doc.bom = false; // a stray mark on a Windows-1252 file: keep its bytes as they are
    }
    if (decodeUtf8(bytes, &doc.text)) {
        doc.encoding = TextEncoding::Utf8;
        return doc;
    }
    doc.encoding = TextEncoding::Windows1252;
    doc.bom = false;
    doc.text = FromWindows1252(bytes);
    return doc;
}

template <class Ch> LineEnd detect(const Ch *p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == Ch('\n'))
            return LineEnd::Lf;
        if (p[i] == Ch('\r'))
            return i + 1 < n && p[i + 1] == Ch('\n') ? LineEnd::CrLf : LineEnd::Cr;
    }
    return LineEnd::CrLf;
}

} // namespace

TextDocument DecodeText(const QByteArray &bytes, const QString &name)
{
    TextDocument doc = decode(bytes, name);
    doc.lineEnd = DetectLineEnd(doc.text);
    return doc;
}

LineEnd DetectLineEnd(QStringView text)
{
    return detect(text.utf16(), text.size());
}

LineEnd DetectLineEnd(QByteArrayView bytes)
{
    return detect(bytes.data(), bytes.size());
}

QString LineEndName(LineEnd ends)
{
    switch (ends) {
    case LineEnd::CrLf: return QStringLiteral("CR LF");
    case LineEnd::Lf: return QStringLiteral("LF");
    case LineEnd::Cr: return QStringLiteral("CR");
    }
    return QString();
}

bool IsPlainAscii(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    uchar any = 0, zero = 0;
    for (qsizetype i = 0; i < n; ++i) {
        any |= p[i];
        zero |= uchar(p[i] == 0);
    }
    return !(any & 0x80) && !zero;
}

TextDocument DecodeDocument(const QByteArray &bytes, const QString &name)
{
    TextDocument doc = DecodeText(bytes, name);
    if (isUtf16(doc.encoding))
        if (const qsizetype nul = doc.text.indexOf(QChar(0)); nul >= 0)
            throw nulError(name, 2 + 2 * nul); // after the byte order mark, two bytes a character
    return doc;
}

TextDocument LoadTextDocument(const QString &path)
{
    return DecodeDocument(ReadWholeFile(path), path);
}

bool IsStyleCodeChar(char16_t c)
{
    return (c >= 0x01 && c <= 0x05) || c == 0x15;
}

void RefuseStyleCodes(const QByteArray &bytes, TextEncoding encoding, const QString &name)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype at = -1;
    char16_t code = 0;
    if (isUtf16(encoding)) {
        const bool le = encoding == TextEncoding::Utf16LE;
        for (qsizetype i = 2; i + 1 < n; i += 2) {
            const char16_t c = le ? char16_t(p[i] | p[i + 1] << 8) : char16_t(p[i] << 8 | p[i + 1]);
            if (IsStyleCodeChar(c)) {
                at = i;
                code = c;
                break;
            }
        }
    } else {
        // These bytes never occur inside a UTF-8 sequence: one scan serves every 8-bit encoding.
        qsizetype i = 0;
#ifdef __SSE2__
        // Sixteen bytes a step up to the first that is 1 to 5 or 21 (a page holds none, so the scan
        // usually runs to the end).
        const __m128i one = _mm_set1_epi8(1), four = _mm_set1_epi8(4), nak = _mm_set1_epi8(21);
        for (; i + 16 <= n; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i low = _mm_sub_epi8(x, one);
            const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(low, four), low), _mm_cmpeq_epi8(x, nak));
            if (_mm_movemask_epi8(hit))
                break;
        }
#endif
        for (; i < n; ++i) {
            if (p[i] <= 0x15 && IsStyleCodeChar(p[i])) {
                at = i;
                code = p[i];
                break;
            }
        }
    }
    if (at < 0)
        return;
    const QString hex = QStringLiteral("%1").arg(uint(code), 2, 16, QLatin1Char('0')).toUpper();
    throw FileError(QStringLiteral("\"%1\" cannot be edited here: it contains the control character 0x%2 at byte "
                                   "offset %3, which the editor keeps as a text style code and would change on "
                                   "saving.")
                        .arg(QDir::toNativeSeparators(name), hex)
                        .arg(at));
}

QString ToCrLf(const QString &text)
{
    return WithLineEnds(text, LineEnd::CrLf);
}

QString WithLineEnds(const QString &text, LineEnd ends)
{
    const QString end = ends == LineEnd::CrLf ? QStringLiteral("\r\n") : ends == LineEnd::Lf ? QStringLiteral("\n") : QStringLiteral("\r");
    QString out;
    out.reserve(text.size() + text.size() / 32);
    const QChar *p = text.constData();
    const qsizetype n = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        out.append(p + run, i - run);
        out += end;
        if (c == u'\r' && i + 1 < n && p[i + 1].unicode() == u'\n')
            ++i;
        run = i + 1;
    }
    out.append(p + run, n - run);
    return out;
}

qsizetype FirstUnencodable(QStringView text, TextEncoding encoding)
{
    if (encoding != TextEncoding::Windows1252)
        return -1;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (cp1252Byte(text[i].unicode()) < 0)
            return i;
    return -1;
}

QByteArray EncodeText(const QString &text, TextEncoding encoding, bool bom, TextEncoding *used, LineEnd ends)
{
    const QString crlf = WithLineEnds(text, ends);
    QByteArray out;
    switch (encoding) {
    case TextEncoding::Windows1252:
        if (ToWindows1252(crlf, &out)) {
            if (used)
                *used = encoding;
            return out;
        }
        encoding = TextEncoding::Utf8;
        bom = false;
        [[fallthrough]];
    case TextEncoding::Utf8:
        out = crlf.toUtf8();
        if (bom)
            out.prepend("\xEF\xBB\xBF");
        break;
    case TextEncoding::Utf16LE:
        out = QStringEncoder(QStringEncoder::Utf16LE)(crlf);
        if (bom)
            out.prepend("\xFF\xFE");
        break;
    case TextEncoding::Utf16BE:
        out = QStringEncoder(QStringEncoder::Utf16BE)(crlf);
        if (bom)
            out.prepend("\xFE\xFF");
        break;
    }
    if (used)
        *used = encoding;
    return out;
}

QByteArray EncodeUtf8Text(const QByteArray &utf8CrLf, TextEncoding encoding, bool bom, TextEncoding *used, LineEnd ends)
{
    if (encoding == TextEncoding::Utf8) {
        if (used)
            *used = encoding;
        QByteArray out = bom ? QByteArray("\xEF\xBB\xBF") + utf8CrLf : utf8CrLf;
        // Neither byte of a line end occurs inside a UTF-8 sequence.
        if (ends == LineEnd::Lf)
            out.replace("\r\n", "\n");
        else if (ends == LineEnd::Cr)
            out.replace("\r\n", "\r");
        return out;
    }
    return EncodeText(QString::fromUtf8(utf8CrLf), encoding, bom, used, ends);
}

TextEncoding SaveTextDocument(const QString &path, const QString &text, TextEncoding encoding, bool bom, LineEnd ends)
{
    TextEncoding used = encoding;
    WriteFileAtomic(path, EncodeText(text, encoding, bom, &used, ends));
    return used;
}

} // namespace platform
