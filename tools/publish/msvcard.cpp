#include "msvcard.h"

#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/textfile.h"

#include <QIODevice>
#include <QStringDecoder>
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

// The default mail type is no parameter at all, not an empty one.
QString TypeParam(const char *token)
{
    return *token ? QLatin1Char(';') + QLatin1String(token) : QString();
}

template <typename E, int N>
QString WriteTypes(const TmsSet<E> &set, const char *const (&tokens)[N])
{
    QString s;
    for (int t = 0; t < N; ++t)
        if (set.Contains(E(t)))
            s += TypeParam(tokens[t]);
    return s;
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

// A property line: the values escaped and joined by ";", quoted-printable only when a line cannot hold them.
QString PropertyLine(const QString &head, const QStringList &values)
{
    QStringList escaped;
    bool encode = false;
    for (const QString &v : values) {
        escaped << Escape(v);
        encode = encode || NeedsQuotedPrintable(v);
    }
    const QString value = escaped.join(QLatin1Char(';'));
    if (encode)
        return head + QStringLiteral(";ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:") + QuotedPrintable(value);
    // Without a character set a version 2.1 value is ASCII; the file is written as UTF-8.
    const bool ascii = std::all_of(value.begin(), value.end(), [](QChar c) { return c.unicode() < 0x80; });
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
}

void TmsVCard::DropOtherCards()
{
    before_.clear();
    after_.clear();
}

void TmsVCard::Clear()
{
    Identification.Clear();
    DeliveryInfo.Clear();
    TelecomInfo.Clear();
    BusinessInfo.Clear();
    ExplanatoryInfo.Clear();
}

QString TmsVCard::Text() const
{
    // Version 2.1: its type words are those of the card (bare, as in "TEL;WORK;VOICE", the mail services
    // among them) and it carries line breaks quoted-printable; 3.0 has neither.
    QStringList lines{QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:2.1")};

    const TmsNameRec &n = Identification.Name;
    if (!Identification.FormattedName.isEmpty())
        lines << PropertyLine(QStringLiteral("FN"), {Identification.FormattedName});
    const QStringList nameParts{n.FamilyName, n.GivenName, n.AdditionalNames, n.Prefix, n.Suffix};
    if (AnyText(nameParts))
        lines << PropertyLine(QStringLiteral("N"), nameParts);

    for (const TmsAddressRec *a : {&DeliveryInfo.Address1, &DeliveryInfo.Address2}) {
        const QStringList texts = AddressTexts(*a);
        if (AnyText(texts))
            lines << PropertyLine(QStringLiteral("ADR") + WriteTypes(a->Attributes, AddressTypeTokens), texts);
    }

    const TmsTelecomInfo &t = TelecomInfo;
    for (const TmsPhoneRec *p : {&t.Phone1, &t.Phone2, &t.Phone3})
        if (!p->Number.isEmpty())
            lines << PropertyLine(QStringLiteral("TEL") + WriteTypes(p->Attributes, PhoneTypeTokens), {p->Number});
    for (const TmsEmailRec *e : {&t.Email1, &t.Email2})
        if (!e->Address.isEmpty())
            lines << PropertyLine(QStringLiteral("EMAIL") + TypeParam(EmailTypeTokens[e->EmailType]), {e->Address});

    const TmsBusinessInfo &b = BusinessInfo;
    if (!b.Company.Name.isEmpty() || !b.Company.AUnit.isEmpty())
        lines << PropertyLine(QStringLiteral("ORG"), {b.Company.Name, b.Company.AUnit});
    if (!b.Title.isEmpty())
        lines << PropertyLine(QStringLiteral("TITLE"), {b.Title});
    if (!b.Role.isEmpty())
        lines << PropertyLine(QStringLiteral("ROLE"), {b.Role});

    const TmsExplanatoryInfo &x = ExplanatoryInfo;
    if (!x.Comment.isEmpty()) {
        // Further note lines are continuation lines: version 2.1 keeps the blank that starts one, so they
        // read back joined by one space. An encoded note is that joined text on one line.
        if (std::any_of(x.Comment.begin(), x.Comment.end(), NeedsQuotedPrintable)) {
            lines << PropertyLine(QStringLiteral("NOTE"), {x.Comment.join(QLatin1Char(' '))});
        } else {
            lines << PropertyLine(QStringLiteral("NOTE"), {x.Comment.first()});
            for (qsizetype i = 1; i < x.Comment.size(); ++i)
                lines << QLatin1Char(' ') + Escape(x.Comment.at(i));
        }
    }
    if (!x.URL1.isEmpty())
        lines << PropertyLine(QStringLiteral("URL"), {x.URL1});
    if (!x.URL2.isEmpty())
        lines << PropertyLine(QStringLiteral("URL"), {x.URL2});

    lines << QStringLiteral("END:VCARD");
    return before_ + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") + after_;
}

void TmsVCard::SetText(const QString &text)
{
    Clear();
    QList<qsizetype> starts, firsts;
    const QStringList raw = SplitLines(text, &starts);
    const QStringList unfolded = Unfolded(raw, FoldsKeepTheBlank(raw), &firsts);
    qsizetype begin, end;
    QStringList lines = FirstCard(unfolded, &begin, &end);
    // What lies around the card read (other cards of the file) is kept as it stands, line ends and all.
    before_.clear();
    after_.clear();
    if (end > begin) {
        before_ = text.left(starts.at(firsts.at(begin)));
        after_ = end < firsts.size() ? text.mid(starts.at(firsts.at(end))) : QString();
    }
    TmsPropertyParser p;
    p.Lines = &lines;
    auto parse = [&p](const char *name) {
        p.Name = QLatin1String(name);
        return p.Parse();
    };
    auto value = [&p](int i) { return i < p.Values.size() ? p.Values.at(i) : QString(); };

    TmsNameRec &n = Identification.Name;
    if (parse("N")) {
        n.FamilyName = value(0);
        n.GivenName = value(1);
        n.AdditionalNames = value(2);
        n.Prefix = value(3);
        n.Suffix = value(4);
    }
    if (parse("FN"))
        Identification.FormattedName = p.Value;

    for (TmsAddressRec *a : {&DeliveryInfo.Address1, &DeliveryInfo.Address2}) {
        if (!parse("ADR"))
            continue;
        a->Attributes = ReadTypes<TmsAddressType>(p.Types, AddressTypeTokens);
        QString *fields[] = {&a->POAddress, &a->ExtendedAddress, &a->Street, &a->Locality,
                             &a->Region,    &a->PostalCode,      &a->Country};
        for (int i = 0; i < 7; ++i)
            *fields[i] = value(i);
    }

    TmsTelecomInfo &t = TelecomInfo;
    for (TmsPhoneRec *ph : {&t.Phone1, &t.Phone2, &t.Phone3}) {
        if (!parse("TEL"))
            continue;
        ph->Number = p.Value;
        ph->Attributes = ReadTypes<TmsPhoneType>(p.Types, PhoneTypeTokens);
    }
    for (TmsEmailRec *e : {&t.Email1, &t.Email2}) {
        if (!parse("EMAIL"))
            continue;
        e->Address = p.Value;
        for (int type = 0; type < kEmailTypeCount; ++type)
            if (HasType(p.Types, EmailTypeTokens[type]))
                e->EmailType = TmsEmailType(type);
    }

    TmsBusinessInfo &b = BusinessInfo;
    if (parse("ORG")) {
        b.Company.Name = value(0);
        b.Company.AUnit = value(1);
    }
    if (parse("TITLE"))
        b.Title = p.Value;
    if (parse("ROLE"))
        b.Role = p.Value;

    TmsExplanatoryInfo &x = ExplanatoryInfo;
    if (parse("NOTE"))
        x.Comment = p.Values;
    if (parse("URL"))
        x.URL1 = p.Value;
    if (parse("URL"))
        x.URL2 = p.Value;
}

void TmsVCard::SaveToStream(QIODevice &stream) const
{
    const QByteArray bytes = Text().toUtf8();
    if (stream.write(bytes) != bytes.size())
        throw platform::FileError(QStringLiteral("Cannot write the card. %1").arg(stream.errorString()));
}

void TmsVCard::LoadFromStream(QIODevice &stream)
{
    if (!stream.isSequential())
        stream.seek(0);
    SetText(platform::DecodeText(stream.readAll()).text);
}

void TmsVCard::SaveToFile(const QString &fileName) const
{
    platform::WriteFileAtomic(fileName, Text().toUtf8());
}

void TmsVCard::LoadFromFile(const QString &fileName)
{
    SetText(platform::DecodeText(platform::ReadWholeFile(fileName), fileName).text);
}

} // namespace publish
