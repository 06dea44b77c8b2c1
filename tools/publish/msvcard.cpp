#include "msvcard.h"

#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/textfile.h"

#include <QIODevice>

namespace publish {

const char *const AddressTypeTokens[kAddressTypeCount] = {"DOM", "INTL", "POSTAL", "PARCEL", "HOME", "WORK"};
const char *const PhoneTypeTokens[kPhoneTypeCount] = {"PREF", "WORK", "HOME",  "VOICE", "FAX", "MSG",  "CELL",
                                                      "PAGER", "BBS", "MODEM", "CAR",  "ISDN", "VIDEO"};
const char *const EmailTypeTokens[kEmailTypeCount] = {"",         "AOL",     "APPLELINK",  "ATTMAIL", "CIS",
                                                      "EWORLD",   "INTERNET", "IBMMAIL",   "MCIMAIL", "POWERSHARE",
                                                      "PRODIGY",  "TLX",     "X400"};

// ---- TmsPropertyParser ----

int TmsPropertyParser::Find() const
{
    QString name = Name;
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    for (int i = 0; i < Lines->size(); ++i) {
        const QString &line = Lines->at(i);
        if (line.size() > name.size() && line.startsWith(name, Qt::CaseInsensitive)
            && (line.at(name.size()) == QLatin1Char(':') || line.at(name.size()) == QLatin1Char(';')))
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
    auto continues = [this, i] {
        if (i >= Lines->size() || Lines->at(i).isEmpty())
            return false;
        const QChar c = Lines->at(i).at(0);
        return c == QLatin1Char(' ') || c == QLatin1Char('\t');
    };
    do {
        const QString part = Lines->at(i).trimmed();
        if (!part.isEmpty()) {
            if (!buffer_.isEmpty())
                buffer_ += QLatin1Char(' ');
            buffer_ += part;
        }
        Lines->removeAt(i);
    } while (continues());
}

void TmsPropertyParser::Split()
{
    // Cleared even for an absent property, so that it never shows the values of the one before.
    Params.clear();
    Values.clear();
    Value.clear();
    if (buffer_.isEmpty())
        return;
    const qsizetype colon = buffer_.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        Params = buffer_.split(QLatin1Char(';'));
        return;
    }
    Params = buffer_.left(colon).split(QLatin1Char(';'));
    Value = buffer_.mid(colon + 1);
    Values = Value.split(QLatin1Char(';'));
}

bool TmsPropertyParser::Parse()
{
    Extract();
    Split();
    return !buffer_.isEmpty();
}

// ---- TmsVCard ----

namespace {

// The parameter (after the property name) equal to the token, ignoring case.
bool HasParam(const QStringList &params, const char *token)
{
    for (qsizetype i = 1; i < params.size(); ++i)
        if (params.at(i).compare(QLatin1String(token), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

template <typename E, int N>
TmsSet<E> ReadTypes(const QStringList &params, const char *const (&tokens)[N])
{
    TmsSet<E> set;
    for (int t = 0; t < N; ++t)
        if (HasParam(params, tokens[t]))
            set.Include(E(t));
    return set;
}

template <typename E, int N>
QString WriteTypes(const TmsSet<E> &set, const char *const (&tokens)[N])
{
    QString s;
    for (int t = 0; t < N; ++t)
        if (set.Contains(E(t)))
            s += QLatin1Char(';') + QLatin1String(tokens[t]);
    return s;
}

QString Join(const QStringList &parts)
{
    return parts.join(QLatin1Char(';'));
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
    QStringList lines{QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:1.2")};

    const TmsNameRec &n = Identification.Name;
    if (!Identification.FormattedName.isEmpty())
        lines << QStringLiteral("FN:") + Identification.FormattedName;
    const QStringList nameParts{n.FamilyName, n.GivenName, n.AdditionalNames, n.Prefix, n.Suffix};
    if (AnyText(nameParts))
        lines << QStringLiteral("N:") + Join(nameParts);

    for (const TmsAddressRec *a : {&DeliveryInfo.Address1, &DeliveryInfo.Address2}) {
        const QStringList texts = AddressTexts(*a);
        if (AnyText(texts))
            lines << QStringLiteral("ADR") + WriteTypes(a->Attributes, AddressTypeTokens) + QLatin1Char(':') + Join(texts);
    }

    const TmsTelecomInfo &t = TelecomInfo;
    for (const TmsPhoneRec *p : {&t.Phone1, &t.Phone2, &t.Phone3})
        if (!p->Number.isEmpty())
            lines << QStringLiteral("TEL") + WriteTypes(p->Attributes, PhoneTypeTokens) + QLatin1Char(':') + p->Number;
    for (const TmsEmailRec *e : {&t.Email1, &t.Email2})
        if (!e->Address.isEmpty())
            lines << QStringLiteral("EMAIL;") + QLatin1String(EmailTypeTokens[e->EmailType]) + QLatin1Char(':')
                         + e->Address;

    const TmsBusinessInfo &b = BusinessInfo;
    if (!b.Company.Name.isEmpty() || !b.Company.AUnit.isEmpty())
        lines << QStringLiteral("ORG:") + b.Company.Name + QLatin1Char(';') + b.Company.AUnit;
    if (!b.Title.isEmpty())
        lines << QStringLiteral("TITLE:") + b.Title;
    if (!b.Role.isEmpty())
        lines << QStringLiteral("ROLE:") + b.Role;

    const TmsExplanatoryInfo &x = ExplanatoryInfo;
    for (qsizetype i = 0; i < x.Comment.size(); ++i)
        lines << (i == 0 ? QStringLiteral("NOTE:") : QStringLiteral("  ")) + x.Comment.at(i);
    if (!x.URL1.isEmpty())
        lines << QStringLiteral("URL:") + x.URL1;
    if (!x.URL2.isEmpty())
        lines << QStringLiteral("URL:") + x.URL2;

    lines << QStringLiteral("END:VCARD");
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void TmsVCard::SetText(const QString &text)
{
    Clear();
    QStringList lines = platform::ToCrLf(text).split(QStringLiteral("\r\n"));
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
        a->Attributes = ReadTypes<TmsAddressType>(p.Params, AddressTypeTokens);
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
        ph->Attributes = ReadTypes<TmsPhoneType>(p.Params, PhoneTypeTokens);
    }
    for (TmsEmailRec *e : {&t.Email1, &t.Email2}) {
        if (!parse("EMAIL"))
            continue;
        e->Address = p.Value;
        for (int type = 0; type < kEmailTypeCount; ++type)
            if (HasParam(p.Params, EmailTypeTokens[type]))
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
