#include "msvcard.h"

#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/textfile.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace publish {

const char *const AddressTypeTokens[kAddressTypeCount] = {"DOM", "INTL", "POSTAL", "PARCEL", "HOME", "WORK"};
const char *const PhoneTypeTokens[kPhoneTypeCount] = {"PREF", "WORK", "HOME",  "VOICE", "FAX", "MSG",  "CELL",
                                                      "PAGER", "BBS", "MODEM", "CAR",  "ISDN", "VIDEO"};
const char *const EmailTypeTokens[kEmailTypeCount] = {"",         "AOL",     "APPLELINK",  "ATTMAIL", "CIS",
                                                      "EWORLD",   "INTERNET", "IBMMAIL",   "MCIMAIL", "POWERSHARE",
                                                      "PRODIGY",  "TLX",     "X400"};

// ---- TmsPropertyParser ----

namespace {

const QLatin1StringView kBeginCard("BEGIN:VCARD");
const QLatin1StringView kEndCard("END:VCARD");

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsCardLine(QStringView line, QLatin1StringView word)
{
    return line.trimmed().compare(word, Qt::CaseInsensitive) == 0;
}

// Where the value starts: the first ":" outside a double-quoted parameter value; -1 when there is none.
qsizetype ValueColon(QStringView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (line[i] == QLatin1Char(':') && !quoted)
            return i;
    }
    // A quote that never closes was no quoting.
    return quoted ? line.indexOf(QLatin1Char(':')) : -1;
}

QStringList SplitParams(QStringView text)
{
    QStringList parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (text[i] == QLatin1Char(';') && !quoted) {
            parts << text.mid(start, i - start).toString();
            start = i + 1;
        }
    }
    parts << text.mid(start).toString();
    return parts;
}

struct ValueEncoding {
    bool quotedPrintable = false;
    QString charset;
};

// Reads the parameters after the name: the value's encoding, and the type words into types.
ValueEncoding ReadParams(const QStringList &params, QStringList *types)
{
    ValueEncoding encoding;
    auto is = [](QStringView text, const char *word) {
        return text.compare(QLatin1StringView(word), Qt::CaseInsensitive) == 0;
    };
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QStringView param = QStringView(params.at(i)).trimmed();
        const qsizetype eq = param.indexOf(QLatin1Char('='));
        if (eq < 0) {
            if (is(param, "QUOTED-PRINTABLE"))
                encoding.quotedPrintable = true;
            else if (!is(param, "BASE64") && !is(param, "8BIT") && !is(param, "7BIT") && types)
                *types << param.toString();
            continue;
        }
        const QStringView key = param.left(eq).trimmed();
        QString value = param.mid(eq + 1).toString();
        value.remove(QLatin1Char('"'));
        if (is(key, "ENCODING"))
            encoding.quotedPrintable = is(QStringView(value).trimmed(), "QUOTED-PRINTABLE");
        else if (is(key, "CHARSET"))
            encoding.charset = value.trimmed();
        else if (is(key, "TYPE") && types)
            for (const QString &word : value.split(QLatin1Char(',')))
                *types << word.trimmed();
    }
    return encoding;
}

// The logical line that starts at lines[i]: a folded line loses its line break and, unless keepBlank, the
// one blank or TAB that starts the next line; a quoted-printable value goes on after a soft line break
// ("=" at the end). Returns the index after the last line used.
qsizetype JoinProperty(const QStringList &lines, qsizetype i, QString *out, bool keepBlank = false)
{
    *out = lines.at(i);
    // The parameters stand on the first line; only its value part can end in a soft break.
    const qsizetype colon = ValueColon(*out);
    const bool quotedPrintable =
        colon >= 0 && ReadParams(SplitParams(QStringView(*out).left(colon)), nullptr).quotedPrintable;
    for (++i; i < lines.size(); ++i) {
        const QString &next = lines.at(i);
        if (quotedPrintable && out->size() > colon + 1 && out->endsWith(QLatin1Char('='))
            && !IsCardLine(next, kEndCard)) {
            out->chop(1);
            out->append(next);
        } else if (!next.isEmpty() && IsBlank(next.at(0))) {
            out->append(QStringView(next).mid(keepBlank ? 0 : 1));
        } else {
            break;
        }
    }
    return i;
}

// The logical lines, and in firsts the index of the line each one starts at.
QStringList Unfolded(const QStringList &lines, bool keepBlank, QList<qsizetype> *firsts)
{
    QStringList out;
    QString property;
    for (qsizetype i = 0; i < lines.size();) {
        firsts->append(i);
        i = JoinProperty(lines, i, &property, keepBlank);
        out << property;
    }
    return out;
}

// The text split into lines at CR LF, LF or CR, and where each line starts in it.
QStringList SplitLines(const QString &text, QList<qsizetype> *starts)
{
    QStringList lines;
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        starts->append(run);
        lines << text.mid(run, i - run);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        run = i + 1;
    }
    starts->append(run);
    lines << text.mid(run);
    return lines;
}

// A version 2.x writer folds a line only where the text has a blank, which stays part of the text; later
// versions fold anywhere and add the blank. The version is that of the first card (a nested card is
// another's), read before unfolding: it is never folded.
bool FoldsKeepTheBlank(const QStringList &lines)
{
    int depth = 0;
    bool seenCard = false;
    for (const QString &line : lines) {
        if (IsCardLine(line, kBeginCard)) {
            ++depth;
            seenCard = true;
        } else if (IsCardLine(line, kEndCard)) {
            if (--depth <= 0 && seenCard)
                return false;
        } else if (depth <= 1 && line.startsWith(QLatin1String("VERSION:"), Qt::CaseInsensitive)) {
            const QStringView version = QStringView(line).mid(8).trimmed();
            return version.startsWith(QLatin1Char('2'));
        }
    }
    return false;
}

// The properties of the first card, without those of a card nested in it; all lines when there is no card.
// The card's lines run from *begin up to *end (its BEGIN and END lines included); both are 0 without a card.
QStringList FirstCard(const QStringList &lines, qsizetype *begin, qsizetype *end)
{
    *begin = *end = 0;
    qsizetype i = 0;
    while (i < lines.size() && !IsCardLine(lines.at(i), kBeginCard))
        ++i;
    if (i == lines.size())
        return lines;
    *begin = i;
    QStringList card;
    int depth = 0;
    for (; i < lines.size(); ++i) {
        if (IsCardLine(lines.at(i), kBeginCard))
            ++depth;
        else if (IsCardLine(lines.at(i), kEndCard) && --depth == 0)
            break;
        else if (depth == 1)
            card << lines.at(i);
    }
    *end = std::min(i + 1, lines.size());
    return card;
}

// The length of a group prefix such as "item1." before the property name; 0 when there is none.
qsizetype GroupLength(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i].unicode() < 0x80
           && (line[i].isLetterOrNumber() || line[i] == QLatin1Char('-') || line[i] == QLatin1Char('_')))
        ++i;
    return i > 0 && i < line.size() && line[i] == QLatin1Char('.') ? i + 1 : 0;
}

// Text in the named character set; one that is unknown, or bytes that are not in it, read as the file
// itself would: UTF-8 when valid, else Windows-1252.
QString DecodeCharset(const QByteArray &bytes, const QString &charset)
{
    if (!charset.isEmpty()) {
        QStringDecoder named(charset.toLatin1().constData(), QStringDecoder::Flag::Stateless);
        if (named.isValid()) {
            QString text = named(bytes);
            if (!named.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? platform::FromWindows1252(bytes) : text;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// "=XX" codes become bytes of the character set; a broken code stays as it was written.
QString DecodeQuotedPrintable(QStringView text, const QString &charset)
{
    QString out;
    QByteArray bytes;
    auto flush = [&] {
        if (bytes.isEmpty())
            return;
        out += DecodeCharset(bytes, charset);
        bytes.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('=') && i + 1 == text.size())
            break; // a soft line break with nothing after it
        const int high = c == QLatin1Char('=') && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            bytes += char(high * 16 + low);
            i += 2;
        } else if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
        } else {
            // Already text: the file was not plain ASCII.
            flush();
            out += c;
        }
    }
    flush();
    return out;
}

QString Unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar e = text[i + 1];
        if (e == QLatin1Char('n') || e == QLatin1Char('N'))
            out += QLatin1Char('\n');
        else if (e == QLatin1Char('\\') || e == QLatin1Char(';') || e == QLatin1Char(',') || e == QLatin1Char(':'))
            out += e;
        else {
            // Not an escape (a path such as C:\temp): the backslash stays.
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

// Splits at every ";" that no backslash escapes.
QStringList SplitValues(QStringView text)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\')) {
            ++i;
        } else if (text[i] == QLatin1Char(';')) {
            parts << Unescape(text.mid(start, i - start));
            start = i + 1;
        }
    }
    parts << Unescape(text.mid(start));
    return parts;
}

} // namespace

int TmsPropertyParser::Find() const
{
    QString name = Name;
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    for (int i = 0; i < Lines->size(); ++i) {
        const QStringView line = QStringView(Lines->at(i));
        const QStringView rest = line.mid(GroupLength(line));
        if (rest.size() > name.size() && rest.startsWith(name, Qt::CaseInsensitive)
            && (rest[name.size()] == QLatin1Char(':') || rest[name.size()] == QLatin1Char(';')))
            return i;
    }
    return -1;
}

void TmsPropertyParser::Extract()
{
    buffer_.clear();
    const int i = Find();
    if (i < 0)
        return;
    const qsizetype end = JoinProperty(*Lines, i, &buffer_);
    Lines->remove(i, end - i);
}

void TmsPropertyParser::Split()
{
    // Cleared even for an absent property, so that it never shows the values of the one before.
    Params.clear();
    Types.clear();
    Values.clear();
    Value.clear();
    if (buffer_.isEmpty())
        return;
    const qsizetype colon = ValueColon(buffer_);
    Params = SplitParams(colon < 0 ? QStringView(buffer_) : QStringView(buffer_).left(colon));
    const ValueEncoding encoding = ReadParams(Params, &Types);
    if (colon < 0)
        return;
    const QStringView raw = QStringView(buffer_).mid(colon + 1);
    const QString text = encoding.quotedPrintable ? DecodeQuotedPrintable(raw, encoding.charset) : raw.toString();
    Value = Unescape(text);
    Values = SplitValues(text);
}

bool TmsPropertyParser::Parse()
{
    Extract();
    Split();
    return !buffer_.isEmpty();
}

// ---- TmsVCard ----

namespace {

bool HasType(const QStringList &types, const char *token)
{
    for (const QString &type : types)
        if (type.compare(QLatin1String(token), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

template <typename E, int N>
TmsSet<E> ReadTypes(const QStringList &types, const char *const (&tokens)[N])
{
    TmsSet<E> set;
    for (int t = 0; t < N; ++t)
        if (HasType(types, tokens[t]))
            set.Include(E(t));
    return set;
}

// The type words of a set, in enumeration order.
template <typename E, int N>
QStringList TypeWords(const TmsSet<E> &set, const char *const (&tokens)[N])
{
    QStringList words;
    for (int t = 0; t < N; ++t)
        if (set.Contains(E(t)))
            words << QLatin1String(tokens[t]);
    return words;
}

// Version 2.1 escapes only ";" (values are split there). A backslash is doubled only where a reader would
// take it for an escape: before one of the escaped characters, or at the end of the value.
QString Escape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(';')) {
            out += QLatin1String("\\;");
        } else if (c == QLatin1Char('\\')) {
            const QChar next = i + 1 < text.size() ? text.at(i + 1) : QLatin1Char(';');
            out += QStringView(u"nN\\;,:").contains(next) ? QLatin1String("\\\\") : QLatin1String("\\");
        } else {
            out += c;
        }
    }
    return out;
}

// Version 3.0 and later escape the backslash, ";" and "," and write a line break as "\n".
QString EscapeModern(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(',')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
        } else {
            out += c;
        }
    }
    return out;
}

// Line breaks and other control characters cannot stand in a line of the card.
bool NeedsQuotedPrintable(const QString &text)
{
    for (const QChar c : text)
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F)
            return true;
    return false;
}

QString QuotedPrintable(const QString &text)
{
    QString out;
    for (const char b : text.toUtf8()) {
        const uchar u = uchar(b);
        if (u >= 0x20 && u < 0x7F && u != '=')
            out += QLatin1Char(b);
        else
            out += QStringLiteral("=%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// A property line (without its line end) in the form of the card's version: for 2.1 the type words bare,
// quoted-printable only when a line cannot hold the values; for later versions a TYPE= list and escapes.
QString PropertyLine(const QString &name, const QStringList &types, const QStringList &values, bool modern,
                     bool asciiOnly)
{
    if (modern) {
        QStringList escaped;
        for (const QString &v : values)
            escaped << EscapeModern(v);
        const QString head = types.isEmpty() ? name : name + QStringLiteral(";TYPE=") + types.join(QLatin1Char(','));
        return head + QLatin1Char(':') + escaped.join(QLatin1Char(';'));
    }
    QString head = name;
    for (const QString &t : types)
        head += QLatin1Char(';') + t;
    QStringList escaped;
    bool encode = false;
    for (const QString &v : values) {
        escaped << Escape(v);
        encode = encode || NeedsQuotedPrintable(v);
    }
    const QString value = escaped.join(QLatin1Char(';'));
    // Without a character set a version 2.1 value is ASCII. A UTF-8 card takes other letters as they are;
    // in a Windows-1252 card they go quoted-printable, so the file keeps to one encoding.
    const bool ascii = std::all_of(value.begin(), value.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (encode || (asciiOnly && !ascii))
        return head + QStringLiteral(";ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:") + QuotedPrintable(value);
    return head + (ascii ? QStringLiteral(":") : QStringLiteral(";CHARSET=UTF-8:")) + value;
}

bool AnyText(const QStringList &parts)
{
    for (const QString &p : parts)
        if (!p.isEmpty())
            return true;
    return false;
}

QStringList AddressTexts(const TmsAddressRec &a)
{
    return {a.POAddress, a.ExtendedAddress, a.Street, a.Locality, a.Region, a.PostalCode, a.Country};
}

// The text's lines, split at CR LF, LF or CR.
QStringList TextLines(const QString &text)
{
    QList<qsizetype> starts;
    return SplitLines(text, &starts);
}

// The fields a card's lines hold, in the order a new card writes them.
enum Slot : int { sFN, sN, sADR1, sADR2, sTEL1, sTEL2, sTEL3, sEMAIL1, sEMAIL2, sORG, sTITLE, sROLE, sNOTE, sURL1, sURL2, kSlots };
// Lines that hold none of them.
constexpr int kKept = -1, kBegin = -2, kEnd = -3, kVersion = -4;

// The property's name without a group prefix; empty for a line that is no property.
QString PropertyName(QStringView line)
{
    const QStringView rest = line.mid(GroupLength(line));
    for (qsizetype i = 0; i < rest.size(); ++i)
        if (rest[i] == QLatin1Char(':') || rest[i] == QLatin1Char(';'))
            return rest.left(i).toString();
    return {};
}

// Which field a property line fills: the first of each single property, the first two or three of those the
// card holds several of; later ones are kept as they are.
class SlotTaker {
public:
    int Take(const QString &name)
    {
        auto is = [&name](const char *word) { return name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; };
        const char *const singles[] = {"FN", "N", "ORG", "TITLE", "ROLE", "NOTE"};
        const int singleSlots[] = {sFN, sN, sORG, sTITLE, sROLE, sNOTE};
        for (int i = 0; i < 6; ++i)
            if (is(singles[i]))
                return taken_[singleSlots[i]]++ == 0 ? singleSlots[i] : kKept;
        const char *const lists[] = {"ADR", "TEL", "EMAIL", "URL"};
        const int firsts[] = {sADR1, sTEL1, sEMAIL1, sURL1};
        const int counts[] = {2, 3, 2, 2};
        for (int i = 0; i < 4; ++i)
            if (is(lists[i]))
                return taken_[firsts[i]] < counts[i] ? firsts[i] + taken_[firsts[i]]++ : kKept;
        return kKept;
    }

private:
    int taken_[kSlots] = {};
};

} // namespace

TmsVCard::TmsVCard(QObject *owner) : QObject(owner) {}

void TmsVCard::Assign(const TmsVCard &source)
{
    Identification.Assign(source.Identification);
    DeliveryInfo.Assign(source.DeliveryInfo);
    TelecomInfo.Assign(source.TelecomInfo);
    BusinessInfo.Assign(source.BusinessInfo);
    ExplanatoryInfo.Assign(source.ExplanatoryInfo);
    before_ = source.before_;
    after_ = source.after_;
    read_ = source.read_;
    lineEnd_ = source.lineEnd_;
    modern_ = source.modern_;
    encoding_ = source.encoding_;
    bom_ = source.bom_;
    upgrade_ = source.upgrade_;
    unclosed_ = source.unclosed_;
    readIdentification_ = source.readIdentification_;
    readDeliveryInfo_ = source.readDeliveryInfo_;
    readTelecomInfo_ = source.readTelecomInfo_;
    readBusinessInfo_ = source.readBusinessInfo_;
    readExplanatoryInfo_ = source.readExplanatoryInfo_;
}

void TmsVCard::DropOtherCards()
{
    before_.clear();
    after_.clear();
    read_.clear();
    lineEnd_ = QStringLiteral("\r\n");
    modern_ = false;
    // A new card is a new file: UTF-8.
    encoding_ = platform::TextEncoding::Utf8;
    bom_ = false;
    upgrade_ = false;
    unclosed_ = 0;
}

void TmsVCard::Clear()
{
    Identification.Clear();
    DeliveryInfo.Clear();
    TelecomInfo.Clear();
    BusinessInfo.Clear();
    ExplanatoryInfo.Clear();
}

bool TmsVCard::sameAsRead(int slot) const
{
    const TmsTelecomInfo &t = TelecomInfo, &rt = readTelecomInfo_;
    switch (slot) {
    case sFN: return Identification.FormattedName == readIdentification_.FormattedName;
    case sN: return Identification.Name == readIdentification_.Name;
    case sADR1: return DeliveryInfo.Address1 == readDeliveryInfo_.Address1;
    case sADR2: return DeliveryInfo.Address2 == readDeliveryInfo_.Address2;
    case sTEL1: return t.Phone1 == rt.Phone1;
    case sTEL2: return t.Phone2 == rt.Phone2;
    case sTEL3: return t.Phone3 == rt.Phone3;
    case sEMAIL1: return t.Email1 == rt.Email1;
    case sEMAIL2: return t.Email2 == rt.Email2;
    case sORG: return BusinessInfo.Company == readBusinessInfo_.Company;
    case sTITLE: return BusinessInfo.Title == readBusinessInfo_.Title;
    case sROLE: return BusinessInfo.Role == readBusinessInfo_.Role;
    case sNOTE: return ExplanatoryInfo.Comment == readExplanatoryInfo_.Comment;
    case sURL1: return ExplanatoryInfo.URL1 == readExplanatoryInfo_.URL1;
    case sURL2: return ExplanatoryInfo.URL2 == readExplanatoryInfo_.URL2;
    default: return true;
    }
}

QString TmsVCard::slotLine(int slot, bool modern) const
{
    const bool asciiOnly = encoding_ == platform::TextEncoding::Windows1252;
    auto line = [modern, asciiOnly](const char *name, const QStringList &values, const QStringList &types = {}) {
        return PropertyLine(QLatin1String(name), types, values, modern, asciiOnly);
    };
    const TmsNameRec &n = Identification.Name;
    const TmsTelecomInfo &t = TelecomInfo;
    const TmsBusinessInfo &b = BusinessInfo;
    const TmsExplanatoryInfo &x = ExplanatoryInfo;
    const TmsAddressRec *addresses[] = {&DeliveryInfo.Address1, &DeliveryInfo.Address2};
    const TmsPhoneRec *phones[] = {&t.Phone1, &t.Phone2, &t.Phone3};
    const TmsEmailRec *mails[] = {&t.Email1, &t.Email2};
    switch (slot) {
    case sFN:
        return Identification.FormattedName.isEmpty() ? QString() : line("FN", {Identification.FormattedName});
    case sN: {
        const QStringList parts{n.FamilyName, n.GivenName, n.AdditionalNames, n.Prefix, n.Suffix};
        return AnyText(parts) ? line("N", parts) : QString();
    }
    case sADR1:
    case sADR2: {
        const TmsAddressRec &a = *addresses[slot - sADR1];
        const QStringList texts = AddressTexts(a);
        return AnyText(texts) ? line("ADR", texts, TypeWords(a.Attributes, AddressTypeTokens)) : QString();
    }
    case sTEL1:
    case sTEL2:
    case sTEL3: {
        const TmsPhoneRec &p = *phones[slot - sTEL1];
        return p.Number.isEmpty() ? QString() : line("TEL", {p.Number}, TypeWords(p.Attributes, PhoneTypeTokens));
    }
    case sEMAIL1:
    case sEMAIL2: {
        // The default mail type is no parameter at all, not an empty one.
        const TmsEmailRec &e = *mails[slot - sEMAIL1];
        const QString token = QLatin1String(EmailTypeTokens[e.EmailType]);
        return e.Address.isEmpty() ? QString() : line("EMAIL", {e.Address}, token.isEmpty() ? QStringList() : QStringList{token});
    }
    case sORG:
        return b.Company.Name.isEmpty() && b.Company.AUnit.isEmpty() ? QString() : line("ORG", {b.Company.Name, b.Company.AUnit});
    case sTITLE: return b.Title.isEmpty() ? QString() : line("TITLE", {b.Title});
    case sROLE: return b.Role.isEmpty() ? QString() : line("ROLE", {b.Role});
    // The note's lines keep their breaks: CR LF quoted-printable in version 2.1, "\n" in later versions.
    case sNOTE:
        return x.Comment.isEmpty() ? QString()
                                   : line("NOTE", {x.Comment.join(modern ? QStringLiteral("\n") : QStringLiteral("\r\n"))});
    case sURL1: return x.URL1.isEmpty() ? QString() : line("URL", {x.URL1});
    case sURL2: return x.URL2.isEmpty() ? QString() : line("URL", {x.URL2});
    default: return {};
    }
}

QString TmsVCard::Text() const
{
    if (read_.isEmpty()) {
        // Version 2.1: its type words are those of the card (bare, as in "TEL;WORK;VOICE", the mail services
        // among them) and it carries line breaks quoted-printable; 3.0 has neither.
        QStringList lines{QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:2.1")};
        for (int slot = 0; slot < kSlots; ++slot)
            if (const QString line = slotLine(slot, false); !line.isEmpty())
                lines << line;
        lines << QStringLiteral("END:VCARD");
        return before_ + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") + after_;
    }
    // The card as read, with the lines of the fields that changed written anew where they stood, and the
    // fields it had no line for before its end.
    QString out;
    auto put = [&out, this](const QString &piece) {
        if (!out.isEmpty() && !out.endsWith(QLatin1Char('\n')) && !out.endsWith(QLatin1Char('\r')))
            out += lineEnd_;
        out += piece;
    };
    bool present[kSlots] = {};
    auto putNew = [&] {
        for (int slot = 0; slot < kSlots; ++slot)
            if (!present[slot])
                if (const QString line = slotLine(slot, modern_); !line.isEmpty())
                    put(line + lineEnd_);
    };
    bool ended = false;
    for (const ReadLine &l : read_) {
        if (l.slot == kEnd) {
            putNew();
            ended = true;
            put(upgrade_ ? l.unfolded : l.text);
        } else if (l.slot == kVersion && upgrade_) {
            put(QStringLiteral("VERSION:2.1") + lineEnd_);
        } else if (l.slot < 0) {
            put(upgrade_ ? l.unfolded : l.text);
        } else {
            present[l.slot] = true;
            if (sameAsRead(l.slot) && !upgrade_)
                put(l.text);
            else if (const QString line = slotLine(l.slot, modern_); !line.isEmpty())
                put(line + lineEnd_);
        }
    }
    if (!ended) {
        // The cards left open inside it end first, so that what is added belongs to the card read.
        for (int i = 1; i < unclosed_; ++i)
            put(QStringLiteral("END:VCARD") + lineEnd_);
        putNew();
        put(QStringLiteral("END:VCARD") + lineEnd_);
    }
    return before_ + out + after_;
}

void TmsVCard::SetText(const QString &text)
{
    Clear();
    DropOtherCards();
    QList<qsizetype> starts, firsts;
    const QStringList raw = SplitLines(text, &starts);
    const QStringList unfolded = Unfolded(raw, FoldsKeepTheBlank(raw), &firsts);
    qsizetype begin, end;
    FirstCard(unfolded, &begin, &end);
    // What lies around the card read (other cards of the file) is kept as it stands, line ends and all.
    const bool card = end > begin;
    if (card) {
        before_ = text.left(starts.at(firsts.at(begin)));
        after_ = end < firsts.size() ? text.mid(starts.at(firsts.at(end))) : QString();
    }

    TmsNameRec &n = Identification.Name;
    TmsTelecomInfo &t = TelecomInfo;
    TmsBusinessInfo &b = BusinessInfo;
    TmsExplanatoryInfo &x = ExplanatoryInfo;
    TmsAddressRec *addresses[] = {&DeliveryInfo.Address1, &DeliveryInfo.Address2};
    TmsPhoneRec *phones[] = {&t.Phone1, &t.Phone2, &t.Phone3};
    TmsEmailRec *mails[] = {&t.Email1, &t.Email2};
    SlotTaker taker;
    int depth = card ? 0 : 1; // without a card every line is read as one of its properties
    for (qsizetype k = card ? begin : 0; k < (card ? end : unfolded.size()); ++k) {
        const QString &line = unfolded.at(k);
        int slot = kKept;
        if (card && IsCardLine(line, kBeginCard)) {
            if (++depth == 1)
                slot = kBegin;
        } else if (card && IsCardLine(line, kEndCard)) {
            if (--depth == 0)
                slot = kEnd;
        } else if (depth == 1) {
            const QString name = PropertyName(line);
            if (name.compare(QLatin1String("VERSION"), Qt::CaseInsensitive) == 0) {
                const QStringView version = QStringView(line).mid(line.indexOf(QLatin1Char(':')) + 1).trimmed();
                modern_ = !version.startsWith(QLatin1Char('1')) && !version.startsWith(QLatin1Char('2'));
                upgrade_ = version.startsWith(QLatin1Char('1'));
                slot = kVersion;
            } else {
                slot = taker.Take(name);
            }
        }
        if (slot >= 0) {
            QStringList one{line};
            TmsPropertyParser p;
            p.Lines = &one;
            p.Name = PropertyName(line);
            p.Parse();
            auto value = [&p](int i) { return i < p.Values.size() ? p.Values.at(i) : QString(); };
            switch (slot) {
            case sN:
                n.FamilyName = value(0);
                n.GivenName = value(1);
                n.AdditionalNames = value(2);
                n.Prefix = value(3);
                n.Suffix = value(4);
                break;
            case sFN: Identification.FormattedName = p.Value; break;
            case sADR1:
            case sADR2: {
                TmsAddressRec *a = addresses[slot - sADR1];
                a->Attributes = ReadTypes<TmsAddressType>(p.Types, AddressTypeTokens);
                QString *fields[] = {&a->POAddress, &a->ExtendedAddress, &a->Street, &a->Locality,
                                     &a->Region,    &a->PostalCode,      &a->Country};
                for (int i = 0; i < 7; ++i)
                    *fields[i] = value(i);
                break;
            }
            case sTEL1:
            case sTEL2:
            case sTEL3:
                phones[slot - sTEL1]->Number = p.Value;
                phones[slot - sTEL1]->Attributes = ReadTypes<TmsPhoneType>(p.Types, PhoneTypeTokens);
                break;
            case sEMAIL1:
            case sEMAIL2: {
                TmsEmailRec *e = mails[slot - sEMAIL1];
                e->Address = p.Value;
                for (int type = 0; type < kEmailTypeCount; ++type)
                    if (HasType(p.Types, EmailTypeTokens[type]))
                        e->EmailType = TmsEmailType(type);
                break;
            }
            case sORG:
                b.Company.Name = value(0);
                b.Company.AUnit = value(1);
                break;
            case sTITLE: b.Title = p.Value; break;
            case sROLE: b.Role = p.Value; break;
            // One comment line per value of the note and per line of each, whatever break it was written with.
            case sNOTE:
                for (const QString &v : p.Values)
                    x.Comment << TextLines(v);
                break;
            case sURL1: x.URL1 = p.Value; break;
            case sURL2: x.URL2 = p.Value; break;
            }
        }
        if (card) {
            const qsizetype at = starts.at(firsts.at(k));
            const qsizetype next = k + 1 < firsts.size() ? starts.at(firsts.at(k + 1)) : text.size();
            const QString raw = text.mid(at, next - at);
            qsizetype body = raw.size();
            while (body > 0 && (raw.at(body - 1) == QLatin1Char('\r') || raw.at(body - 1) == QLatin1Char('\n')))
                --body;
            read_ << ReadLine{raw, slot, line + raw.mid(body)};
        }
    }
    unclosed_ = card ? depth : 0;
    if (!read_.isEmpty()) {
        const QString &first = read_.first().text;
        lineEnd_ = first.endsWith(QLatin1String("\r\n")) ? QStringLiteral("\r\n")
                   : first.endsWith(QLatin1Char('\n'))    ? QStringLiteral("\n")
                   : first.endsWith(QLatin1Char('\r'))    ? QStringLiteral("\r")
                                                          : QStringLiteral("\r\n");
    }
    readIdentification_ = Identification;
    readDeliveryInfo_ = DeliveryInfo;
    readTelecomInfo_ = TelecomInfo;
    readBusinessInfo_ = BusinessInfo;
    readExplanatoryInfo_ = ExplanatoryInfo;
}

QByteArray TmsVCard::bytes() const
{
    const QString text = Text();
    switch (encoding_) {
    case platform::TextEncoding::Utf8: return (bom_ ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
    case platform::TextEncoding::Utf16LE:
    case platform::TextEncoding::Utf16BE: {
        QStringEncoder encoder(encoding_ == platform::TextEncoding::Utf16LE ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                               bom_ ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
        return encoder(text);
    }
    case platform::TextEncoding::Windows1252: break;
    }
    QByteArray out;
    if (platform::ToWindows1252(text, &out))
        return out;
    // A card of a later version cannot name a character set line by line: a character its encoding cannot
    // hold leaves the file as it is, and the user is told which one.
    const qsizetype at = platform::FirstUnencodable(text, encoding_);
    const char32_t c = QStringView(text).mid(at).toUcs4().value(0);
    throw platform::FileError(QStringLiteral("The card was read as %1, which cannot hold the character \"%2\" (U+%3). "
                                             "The card was not saved.")
                                  .arg(platform::EncodingName(encoding_), QString::fromUcs4(&c, 1),
                                       QStringLiteral("%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper()));
}

void TmsVCard::SaveToStream(QIODevice &stream) const
{
    const QByteArray bytes = this->bytes();
    if (stream.write(bytes) != bytes.size())
        throw platform::FileError(QStringLiteral("Cannot write the card. %1").arg(stream.errorString()));
}

void TmsVCard::LoadFromStream(QIODevice &stream)
{
    if (!stream.isSequential())
        stream.seek(0);
    const platform::TextDocument read = platform::DecodeText(stream.readAll());
    SetText(read.text);
    encoding_ = read.encoding;
    bom_ = read.bom;
}

void TmsVCard::SaveToFile(const QString &fileName) const
{
    platform::WriteFileAtomic(fileName, bytes());
}

void TmsVCard::LoadFromFile(const QString &fileName)
{
    const platform::TextDocument read = platform::DecodeText(platform::ReadWholeFile(fileName), fileName);
    SetText(read.text);
    encoding_ = read.encoding;
    bom_ = read.bom;
}

} // namespace publish
