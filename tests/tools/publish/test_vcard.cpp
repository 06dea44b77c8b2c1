#include "k5test.h"

#include "tools/publish/msvcard.h"

#include "platform/error.h"

#include <QBuffer>

using namespace publish;

namespace {

QString Card(const QStringList &lines)
{
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// A card as the program wrote it up to now ("VERSION:1.2").
QString Wrapped(QStringList lines, const char *version = "1.2")
{
    lines.prepend(QStringLiteral("VERSION:") + QLatin1String(version));
    lines.prepend(QStringLiteral("BEGIN:VCARD"));
    lines.append(QStringLiteral("END:VCARD"));
    return Card(lines);
}

void FillEverything(TmsVCard &c)
{
    c.Identification.FormattedName = QStringLiteral("Dr. Ann Lee");
    TmsNameRec &n = c.Identification.Name;
    n.FamilyName = QStringLiteral("Lee");
    n.GivenName = QStringLiteral("Ann");
    n.AdditionalNames = QStringLiteral("M");
    n.Prefix = QStringLiteral("Dr.");
    n.Suffix = QStringLiteral("PhD");
    TmsAddressRec &a1 = c.DeliveryInfo.Address1;
    a1.Attributes = {msaWork, msaDomestic, msaPostal};
    a1.POAddress = QStringLiteral("PO 1");
    a1.Street = QStringLiteral("1 Main St");
    a1.Locality = QStringLiteral("Aarhus");
    a1.Country = QStringLiteral("Denmark");
    c.DeliveryInfo.Address2.Attributes = {msaHome};
    c.DeliveryInfo.Address2.PostalCode = QStringLiteral("8000");
    TmsTelecomInfo &t = c.TelecomInfo;
    t.Phone1.Attributes = {mstVoice, mstWork};
    t.Phone1.Number = QStringLiteral("+45 1234");
    t.Phone3.Attributes = {mstFax};
    t.Phone3.Number = QStringLiteral("555");
    t.Email1.EmailType = mseInternet;
    t.Email1.Address = QStringLiteral("ann@example.org");
    t.Email2.Address = QStringLiteral("lee@example.org");
    c.BusinessInfo.Company.Name = QStringLiteral("Acme");
    c.BusinessInfo.Company.AUnit = QStringLiteral("Research");
    c.BusinessInfo.Title = QStringLiteral("Chief");
    c.BusinessInfo.Role = QStringLiteral("Lead");
    c.ExplanatoryInfo.Comment = QStringList{QStringLiteral("first"), QStringLiteral("second")};
    c.ExplanatoryInfo.URL1 = QStringLiteral("http://a.example/");
    c.ExplanatoryInfo.URL2 = QStringLiteral("http://b.example/");
}


// Address book exports as other programs write them: a version 2.1 file of two cards with
// quoted-printable values, and a version 3.0 card with folded lines, escapes, groups and TYPE lists.
const char kExport21[] =
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N;LANGUAGE=da;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=98ster;=C3=85sa;;;\r\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=85sa =C3=98ster\r\n"
    "ORG:Acme A/S;Research\r\n"
    "TITLE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Direkt=F8r\r\n"
    "TEL;WORK;VOICE:+45 1234 5678\r\n"
    "TEL;CELL;VOICE:+45 8765 4321\r\n"
    "ADR;WORK;PREF;ENCODING=QUOTED-PRINTABLE:;;Apt 5\\; Bldg 2=0D=0AM=C3=\r\n"
    "=A6rkevej 1;Aarhus;;8000;Danmark\r\n"
    "LABEL;WORK;PREF;ENCODING=QUOTED-PRINTABLE:Apt 5; Bldg 2=0D=0AM=C3=A6rkevej 1=0D=0A=\r\n"
    "TEL:8000 Aarhus\r\n"
    "EMAIL;PREF;INTERNET:asa@example.org\r\n"
    "URL;WORK:http://www.example.org/\r\n"
    "NOTE;QUOTED-PRINTABLE:Call after 10=0D=0ADoor code 1234=\r\n"
    "5\r\n"
    "REV:20240101T120000Z\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N:Berg;Bo\r\n"
    "FN:Bo Berg\r\n"
    "ADR;HOME:;;Side Road 2;Odense;;5000;Danmark\r\n"
    "TEL;HOME:999\r\n"
    "EMAIL;INTERNET:bo@example.org\r\n"
    "URL:http://bo.example/\r\n"
    "END:VCARD\r\n";

const char kExport30[] =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "PRODID:-//Example Corp.//Address Book 9.0//EN\r\n"
    "N:Lee;Ann;Marie;Dr.;\r\n"
    "FN:Dr. Ann Marie Lee\r\n"
    "ORG:Acme\\, Inc.;Research & Development\r\n"
    "TITLE:Head of R&D\\; Europe\r\n"
    "item1.EMAIL;type=INTERNET;type=pref:ann.lee@example.com\r\n"
    "item1.X-ABLabel:_$!<Other>!$_\r\n"
    "TEL;type=WORK;type=VOICE;type=pref:+1 555 0100\r\n"
    "TEL;TYPE=CELL,VOICE:+1 555 0101\r\n"
    "TEL;TYPE=\"fax,work\":+1 555 0102\r\n"
    "item2.ADR;type=WORK;type=pref:;;Apt 5\\; Bldg 2\\n12 Long Street;Springfield;IL;62701;USA\r\n"
    "item2.X-ABADR:us\r\n"
    "item3.ADR;type=HOME:;;3 Elm Road;Shelbyville;IL;62565;USA\r\n"
    "NOTE:Met at the fair\\, booth 12.\\nPrefers mail. Files in C:\\\\Temp\\\\cards\\; a lon\r\n"
    " g line folded in the middle of a word.\r\n"
    "item4.URL;type=pref:http\\://www.example.com/people/ann/index.h\r\n"
    " tml\r\n"
    "item4.X-ABLabel:_$!<HomePage>!$_\r\n"
    "END:VCARD\r\n";

// Every field of a card as it reads back after being written.
void CompareRoundTrip(const TmsVCard &c)
{
    TmsVCard back;
    back.SetText(c.Text());
    QCOMPARE(back.Identification, c.Identification);
    QCOMPARE(back.DeliveryInfo, c.DeliveryInfo);
    QCOMPARE(back.TelecomInfo, c.TelecomInfo);
    QCOMPARE(back.BusinessInfo, c.BusinessInfo);
    QCOMPARE(back.ExplanatoryInfo, c.ExplanatoryInfo);
}

// The written line that starts with the prefix.
QString WrittenLine(const TmsVCard &c, const QString &prefix)
{
    for (const QString &line : c.Text().split(QStringLiteral("\r\n")))
        if (line.startsWith(prefix))
            return line;
    return QString();
}

} // namespace

class TestVCard : public QObject {
    Q_OBJECT
private slots:
    void onlyAFormattedName()
    {
        TmsVCard c;
        c.Identification.FormattedName = QStringLiteral("Ann");
        QCOMPARE(c.Text(), Card({"BEGIN:VCARD", "VERSION:2.1", "FN:Ann", "END:VCARD"}));
        TmsVCard empty;
        QCOMPARE(empty.Text(), Card({"BEGIN:VCARD", "VERSION:2.1", "END:VCARD"}));
    }

    void everyPropertyInOrder()
    {
        TmsVCard c;
        FillEverything(c);
        QCOMPARE(c.Text(), Wrapped({
                               "FN:Dr. Ann Lee",
                               "N:Lee;Ann;M;Dr.;PhD",
                               "ADR;DOM;POSTAL;WORK:PO 1;;1 Main St;Aarhus;;;Denmark",
                               "ADR;HOME:;;;;;8000;",
                               "TEL;WORK;VOICE:+45 1234",
                               "TEL;FAX:555",
                               "EMAIL;INTERNET:ann@example.org",
                               "EMAIL:lee@example.org",
                               "ORG:Acme;Research",
                               "TITLE:Chief",
                               "ROLE:Lead",
                               "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:first=0D=0Asecond",
                               "URL:http://a.example/",
                               "URL:http://b.example/",
                           }, "2.1"));
        // Writing leaves the comment as it was.
        QCOMPARE(c.ExplanatoryInfo.Comment, QStringList({"first", "second"}));
    }

    void readsBackWhatItWrote()
    {
        TmsVCard c;
        FillEverything(c);
        TmsVCard back;
        back.SetText(c.Text());
        QCOMPARE(back.Identification, c.Identification);
        QCOMPARE(back.DeliveryInfo, c.DeliveryInfo);
        // Phones fill in file order: the written third phone comes back second.
        TmsTelecomInfo telecom = c.TelecomInfo;
        telecom.Phone2 = telecom.Phone3;
        telecom.Phone3.Clear();
        QCOMPARE(back.TelecomInfo, telecom);
        QCOMPARE(back.BusinessInfo, c.BusinessInfo);
        // The two note lines come back as two lines.
        QCOMPARE(back.ExplanatoryInfo.Comment, QStringList({"first", "second"}));
        QCOMPARE(back.ExplanatoryInfo.URL1, c.ExplanatoryInfo.URL1);
        QCOMPARE(back.ExplanatoryInfo.URL2, c.ExplanatoryInfo.URL2);
    }

    void noteLinesAndSemicolons()
    {
        TmsVCard c;
        c.SetText(Wrapped({"NOTE:one;two", "  three", "\t four;", " ", "FN:x"}));
        QCOMPARE(c.ExplanatoryInfo.Comment, QStringList({"one", "two three four", ""}));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("x"));
    }

    void singleValuedPropertiesKeepSemicolons()
    {
        TmsVCard c;
        c.Identification.FormattedName = QStringLiteral("Lee; Ann");
        c.TelecomInfo.Phone1.Number = QStringLiteral("1;2");
        c.TelecomInfo.Email1.Address = QStringLiteral("a;b@c");
        c.BusinessInfo.Title = QStringLiteral("T;1");
        c.BusinessInfo.Role = QStringLiteral("R;2");
        c.ExplanatoryInfo.URL1 = QStringLiteral("http://x/?a=1;b=2");
        TmsVCard back;
        back.SetText(c.Text());
        QCOMPARE(back.Identification.FormattedName, QStringLiteral("Lee; Ann"));
        QCOMPARE(back.TelecomInfo.Phone1.Number, QStringLiteral("1;2"));
        QCOMPARE(back.TelecomInfo.Email1.Address, QStringLiteral("a;b@c"));
        QCOMPARE(back.BusinessInfo.Title, QStringLiteral("T;1"));
        QCOMPARE(back.BusinessInfo.Role, QStringLiteral("R;2"));
        QCOMPARE(back.ExplanatoryInfo.URL1, QStringLiteral("http://x/?a=1;b=2"));
    }

    void longTextsAreNotCut()
    {
        TmsVCard c;
        c.Identification.FormattedName = QString(9000, QLatin1Char('f'));
        c.ExplanatoryInfo.Comment = QStringList{QString(5000, QLatin1Char('a')), QString(5000, QLatin1Char('b'))};
        TmsVCard back;
        back.SetText(c.Text());
        QCOMPARE(back.Identification.FormattedName, c.Identification.FormattedName);
        QCOMPARE(back.ExplanatoryInfo.Comment, c.ExplanatoryInfo.Comment);
    }

    void addressesPhonesAndMailsFillInFileOrder()
    {
        TmsVCard c;
        c.SetText(Wrapped({"ADR;home:a", "TEL;CELL;pref:1", "ADR;INTL:b", "ADR:c", "TEL:2", "EMAIL;AOL;internet:m1",
                           "EMAIL:m2", "EMAIL;X400:m3"}));
        QCOMPARE(c.DeliveryInfo.Address1.POAddress, QStringLiteral("a"));
        QCOMPARE(c.DeliveryInfo.Address1.Attributes, TmsAddressTypes({msaHome}));
        QCOMPARE(c.DeliveryInfo.Address2.POAddress, QStringLiteral("b"));
        QCOMPARE(c.DeliveryInfo.Address2.Attributes, TmsAddressTypes({msaInternational}));
        QCOMPARE(c.TelecomInfo.Phone1.Number, QStringLiteral("1"));
        QCOMPARE(c.TelecomInfo.Phone1.Attributes, TmsPhoneTypes({mstCellular, mstPreferred}));
        QCOMPARE(c.TelecomInfo.Phone2.Number, QStringLiteral("2"));
        QVERIFY(c.TelecomInfo.Phone2.Attributes.IsEmpty());
        // Absent: empty, never the values of the property read before.
        QCOMPARE(c.TelecomInfo.Phone3, TmsPhoneRec());
        QCOMPARE(c.TelecomInfo.Email1.EmailType, mseInternet); // the last type named
        QCOMPARE(c.TelecomInfo.Email2.EmailType, mseDefault);
        QCOMPARE(c.TelecomInfo.Email2.Address, QStringLiteral("m2"));
    }

    void titleWithoutRoleAndOneUrl()
    {
        TmsVCard c;
        c.BusinessInfo.Role = QStringLiteral("stale");
        c.ExplanatoryInfo.URL2 = QStringLiteral("stale");
        c.SetText(Wrapped({"TITLE:Boss", "URL:http://x/"}));
        QCOMPARE(c.BusinessInfo.Title, QStringLiteral("Boss"));
        QVERIFY(c.BusinessInfo.Role.isEmpty());
        QCOMPARE(c.ExplanatoryInfo.URL1, QStringLiteral("http://x/"));
        QVERIFY(c.ExplanatoryInfo.URL2.isEmpty());
    }

    void looseTextIsReadWithoutHarm()
    {
        TmsVCard c;
        c.SetText(QStringLiteral("begin:vcard\nfn:Ann\rtel;work\nn:Lee;Ann\r\ngarbage\nORG:Acme\n"));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Ann"));
        QCOMPARE(c.Identification.Name.FamilyName, QStringLiteral("Lee"));
        QCOMPARE(c.Identification.Name.GivenName, QStringLiteral("Ann"));
        QVERIFY(c.Identification.Name.Suffix.isEmpty());
        QVERIFY(c.TelecomInfo.Phone1.Number.isEmpty());
        QCOMPARE(c.BusinessInfo.Company.Name, QStringLiteral("Acme"));
        QVERIFY(c.BusinessInfo.Company.AUnit.isEmpty());

        c.SetText(QString());
        QCOMPARE(c.Identification, TmsIdentification());
        QVERIFY(c.ExplanatoryInfo.Comment.isEmpty());
    }

    void parserFindsExtractsAndSplits()
    {
        QStringList lines{"NOTE:x", "N", "n;a:b;c;", "  more", "N:second"};
        TmsPropertyParser p;
        p.Lines = &lines;
        p.Name = QStringLiteral("N:");
        QCOMPARE(p.Find(), 2); // "NOTE" is another name, "N" alone is no longer than the name
        QVERIFY(p.Parse());
        QCOMPARE(p.Property(), QStringLiteral("n;a:b;c; more"));
        QCOMPARE(p.Params, QStringList({"n", "a"}));
        QCOMPARE(p.Values, QStringList({"b", "c", " more"}));
        QCOMPARE(lines, QStringList({"NOTE:x", "N", "N:second"}));
        p.Name = QStringLiteral("X");
        QVERIFY(!p.Parse());
        QVERIFY(p.Params.isEmpty() && p.Values.isEmpty() && p.Value.isEmpty());

        QStringList trailing{"A:1;"};
        p.Lines = &trailing;
        p.Name = QStringLiteral("A");
        QVERIFY(p.Parse());
        QCOMPARE(p.Values, QStringList({"1", ""}));
    }

    void version21ExportIsDecoded()
    {
        const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/cards/two.vcf"), kExport21);
        TmsVCard c;
        c.LoadFromFile(path);
        QCOMPARE(c.Identification.Name.FamilyName, QStringLiteral("Øster"));
        QCOMPARE(c.Identification.Name.GivenName, QStringLiteral("Åsa"));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Åsa Øster"));
        QCOMPARE(c.BusinessInfo.Title, QStringLiteral("Direktør"));
        QCOMPARE(c.BusinessInfo.Company.Name, QStringLiteral("Acme A/S"));
        const TmsAddressRec &a = c.DeliveryInfo.Address1;
        QCOMPARE(a.Attributes, TmsAddressTypes({msaWork}));
        QCOMPARE(a.Street, QStringLiteral("Apt 5; Bldg 2\r\nMærkevej 1")); // a character cut by a soft break
        QCOMPARE(a.Locality, QStringLiteral("Aarhus"));
        QCOMPARE(a.PostalCode, QStringLiteral("8000"));
        QCOMPARE(a.Country, QStringLiteral("Danmark"));
        QCOMPARE(c.TelecomInfo.Phone1.Attributes, TmsPhoneTypes({mstWork, mstVoice}));
        QCOMPARE(c.TelecomInfo.Phone2.Attributes, TmsPhoneTypes({mstCellular, mstVoice}));
        QCOMPARE(c.TelecomInfo.Phone2.Number, QStringLiteral("+45 8765 4321"));
        // The label's soft-broken last line is no phone, and nothing comes from the second card.
        QCOMPARE(c.TelecomInfo.Phone3, TmsPhoneRec());
        QCOMPARE(c.DeliveryInfo.Address2, TmsAddressRec());
        QCOMPARE(c.TelecomInfo.Email1.EmailType, mseInternet);
        QCOMPARE(c.TelecomInfo.Email1.Address, QStringLiteral("asa@example.org"));
        QCOMPARE(c.TelecomInfo.Email2, TmsEmailRec());
        QCOMPARE(c.ExplanatoryInfo.Comment, QStringList({"Call after 10", "Door code 12345"}));
        QCOMPARE(c.ExplanatoryInfo.URL1, QStringLiteral("http://www.example.org/"));
        QVERIFY(c.ExplanatoryInfo.URL2.isEmpty());
        CompareRoundTrip(c);
        // Saved and opened again, nothing changes.
        c.SaveToFile(path);
        TmsVCard again;
        again.LoadFromFile(path);
        QCOMPARE(again.Text(), c.Text());
    }

    void version30ExportIsDecoded()
    {
        TmsVCard c;
        c.SetText(QString::fromUtf8(kExport30));
        const TmsNameRec &n = c.Identification.Name;
        QCOMPARE(QStringList({n.FamilyName, n.GivenName, n.AdditionalNames, n.Prefix, n.Suffix}),
                 QStringList({"Lee", "Ann", "Marie", "Dr.", ""}));
        QCOMPARE(c.BusinessInfo.Company.Name, QStringLiteral("Acme, Inc."));
        QCOMPARE(c.BusinessInfo.Company.AUnit, QStringLiteral("Research & Development"));
        QCOMPARE(c.BusinessInfo.Title, QStringLiteral("Head of R&D; Europe"));
        QCOMPARE(c.TelecomInfo.Email1.EmailType, mseInternet);
        QCOMPARE(c.TelecomInfo.Email1.Address, QStringLiteral("ann.lee@example.com"));
        QCOMPARE(c.TelecomInfo.Phone1.Attributes, TmsPhoneTypes({mstWork, mstVoice, mstPreferred}));
        QCOMPARE(c.TelecomInfo.Phone2.Attributes, TmsPhoneTypes({mstCellular, mstVoice}));
        QCOMPARE(c.TelecomInfo.Phone3.Attributes, TmsPhoneTypes({mstFax, mstWork}));
        QCOMPARE(c.TelecomInfo.Phone3.Number, QStringLiteral("+1 555 0102"));
        const TmsAddressRec &work = c.DeliveryInfo.Address1;
        QCOMPARE(work.Attributes, TmsAddressTypes({msaWork}));
        QCOMPARE(work.Street, QStringLiteral("Apt 5; Bldg 2\n12 Long Street"));
        QCOMPARE(work.Locality, QStringLiteral("Springfield"));
        QCOMPARE(work.Country, QStringLiteral("USA"));
        QCOMPARE(c.DeliveryInfo.Address2.Attributes, TmsAddressTypes({msaHome}));
        QCOMPARE(c.DeliveryInfo.Address2.Street, QStringLiteral("3 Elm Road"));
        QCOMPARE(c.ExplanatoryInfo.Comment,
                 QStringList({"Met at the fair, booth 12.", "Prefers mail. Files in C:\\Temp\\cards; a long line "
                                                            "folded in the middle of a word."}));
        QCOMPARE(c.ExplanatoryInfo.URL1, QStringLiteral("http://www.example.com/people/ann/index.html"));
        CompareRoundTrip(c);
    }

    void foldsLoseTheLineBreakAndOneBlank()
    {
        TmsVCard c;
        c.SetText(Wrapped({"URL:http://example.org/index.h", " tml", "URL:http://example.org/a", "\tb.htm",
                           "FN:Ann ", " Lee", "TITLE:a", "  b"}));
        QCOMPARE(c.ExplanatoryInfo.URL1, QStringLiteral("http://example.org/index.html"));
        QCOMPARE(c.ExplanatoryInfo.URL2, QStringLiteral("http://example.org/ab.htm"));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Ann Lee"));
        QCOMPARE(c.BusinessInfo.Title, QStringLiteral("a b"));
    }

    // A version 2.1 writer folds a line at a blank that is part of the text: unfolding keeps it. Version
    // 3.0 folds anywhere and adds the blank, so unfolding takes it away.
    void version21FoldsKeepTheBlank()
    {
        TmsVCard c;
        c.SetText(Card({"BEGIN:VCARD", "VERSION:2.1", "FN:Jane", " Doe", "NOTE:one", "\ttwo", "TITLE:a", "  b",
                        "END:VCARD"}));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Jane Doe"));
        QCOMPARE(c.ExplanatoryInfo.Comment, QStringList({"one\ttwo"}));
        QCOMPARE(c.BusinessInfo.Title, QStringLiteral("a  b"));
        c.SetText(Card({"begin:vcard", "version: 2.1 ", "FN:Jane", " Doe", "end:vcard"}));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Jane Doe"));
        c.SetText(Card({"BEGIN:VCARD", "VERSION:3.0", "FN:Jane", " Doe", "NOTE:one", "\ttwo", "END:VCARD"}));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("JaneDoe"));
        QCOMPARE(c.ExplanatoryInfo.Comment, QStringList({"onetwo"}));
        // The version of the card read counts, not that of a card nested in it.
        c.SetText(Card({"BEGIN:VCARD", "VERSION:2.1", "AGENT:", "BEGIN:VCARD", "VERSION:3.0", "END:VCARD", "FN:Jane",
                        " Doe", "END:VCARD"}));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Jane Doe"));
    }

    // A card of an older version is saved as 2.1, whose reader keeps the blank of a fold: the folded lines it
    // keeps are written whole, so they read back as they were meant, the card's end included.
    void foldedLinesOfAnOlderCardReadTheSameAfterSave()
    {
        TmsVCard c;
        c.SetText(QStringLiteral("BEGIN:VCARD\rVERSION:1.2\rFN:Ann\rX-TAG:ab\r cd\rEND:\r VCARD\r"));
        c.Identification.FormattedName = QStringLiteral("Ann Lee");
        const QString saved = c.Text();
        QCOMPARE(saved, QStringLiteral("BEGIN:VCARD\rVERSION:2.1\rFN:Ann Lee\rX-TAG:abcd\rEND:VCARD\r"));
        TmsVCard again;
        again.SetText(saved);
        QCOMPARE(again.Text(), saved);
    }

    // ";" in any text is written escaped (version 2.1 knows no other escape), and every field reads back as it was.
    void separatorsAreEscapedSoTheyComeBack()
    {
        TmsVCard c;
        FillEverything(c);
        const QString odd = QStringLiteral("a;b, c\\d,;");
        c.Identification.FormattedName = QStringLiteral("Lee, Ann; Dr.");
        c.Identification.Name.FamilyName = QStringLiteral("Lee, jr.");
        c.Identification.Name.GivenName = odd;
        c.DeliveryInfo.Address1.Street = QStringLiteral("Apt 5; Bldg 2, back");
        c.DeliveryInfo.Address2.Locality = odd;
        c.TelecomInfo.Phone2.Number = QStringLiteral("1,2;3");
        c.BusinessInfo.Company.Name = QStringLiteral("Acme, Inc.");
        c.BusinessInfo.Company.AUnit = QStringLiteral("R;D");
        c.BusinessInfo.Title = QStringLiteral("Head, R&D; Europe");
        c.BusinessInfo.Role = odd;
        c.ExplanatoryInfo.Comment = QStringList{QStringLiteral("Call after 10, not before; door code 5")};
        c.ExplanatoryInfo.URL1 = QStringLiteral("http://x.example/?a=1;b=2,3");
        CompareRoundTrip(c);
        QCOMPARE(WrittenLine(c, QStringLiteral("NOTE")),
                 QStringLiteral("NOTE:Call after 10, not before\\; door code 5"));
        QCOMPARE(WrittenLine(c, QStringLiteral("ORG")), QStringLiteral("ORG:Acme, Inc.;R\\;D"));
        QCOMPARE(WrittenLine(c, QStringLiteral("FN")), QStringLiteral("FN:Lee, Ann\\; Dr."));
        QCOMPARE(WrittenLine(c, QStringLiteral("ROLE")), QStringLiteral("ROLE:a\\;b, c\\d,\\;"));
        // Written with line breaks (quoted-printable), the escapes stay.
        c.ExplanatoryInfo.Comment = QStringList{QStringLiteral("one, two;"), QStringLiteral("three")};
        c.BusinessInfo.Title = QStringLiteral("x,\ny");
        CompareRoundTrip(c);
        QCOMPARE(WrittenLine(c, QStringLiteral("NOTE")),
                 QStringLiteral("NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:one, two\\;=0D=0Athree"));
        // Saved to a file and read again, too.
        const QString path = k5test::Root() + QStringLiteral("/tmp/cards/odd.vcf");
        c.SaveToFile(path);
        TmsVCard back;
        back.LoadFromFile(path);
        QCOMPARE(back.Text(), c.Text());
    }

    // A version 3.0 card keeps its escapes in the lines written anew for the fields that changed and for
    // those it had no line for: a comma in a value is "\,", as that version reads it.
    void aModernCardEscapesTheCommasOfWhatChanged()
    {
        TmsVCard c;
        c.SetText(QString::fromUtf8(kExport30));
        QCOMPARE(c.BusinessInfo.Company.Name, QStringLiteral("Acme, Inc."));
        c.Identification.FormattedName = QStringLiteral("Lee, Ann");
        c.Identification.Name.Suffix = QStringLiteral("Jr., PhD");
        c.BusinessInfo.Company.Name = QStringLiteral("Acme, Inc. and Sons");
        c.BusinessInfo.Title = QStringLiteral("Head, R&D; Europe");
        c.BusinessInfo.Role = QStringLiteral("Buyer, tools");
        c.DeliveryInfo.Address2.Street = QStringLiteral("3, Elm Road");
        c.ExplanatoryInfo.Comment = QStringList{QStringLiteral("Met at the fair, booth 12."), QStringLiteral("Mail, not calls")};
        QCOMPARE(WrittenLine(c, QStringLiteral("VERSION")), QStringLiteral("VERSION:3.0"));
        QCOMPARE(WrittenLine(c, QStringLiteral("FN")), QStringLiteral("FN:Lee\\, Ann"));
        QCOMPARE(WrittenLine(c, QStringLiteral("N:")), QStringLiteral("N:Lee;Ann;Marie;Dr.;Jr.\\, PhD"));
        QCOMPARE(WrittenLine(c, QStringLiteral("ORG")), QStringLiteral("ORG:Acme\\, Inc. and Sons;Research & Development"));
        QCOMPARE(WrittenLine(c, QStringLiteral("TITLE")), QStringLiteral("TITLE:Head\\, R&D\\; Europe"));
        QCOMPARE(WrittenLine(c, QStringLiteral("ROLE")), QStringLiteral("ROLE:Buyer\\, tools"));
        QCOMPARE(WrittenLine(c, QStringLiteral("ADR;TYPE=HOME")), QStringLiteral("ADR;TYPE=HOME:;;3\\, Elm Road;Shelbyville;IL;62565;USA"));
        QCOMPARE(WrittenLine(c, QStringLiteral("NOTE")), QStringLiteral("NOTE:Met at the fair\\, booth 12.\\nMail\\, not calls"));
        // What did not change stands as it was read.
        QCOMPARE(WrittenLine(c, QStringLiteral("item2.ADR")),
                 QStringLiteral("item2.ADR;type=WORK;type=pref:;;Apt 5\\; Bldg 2\\n12 Long Street;Springfield;IL;62701;USA"));
        TmsVCard back;
        back.SetText(c.Text());
        QCOMPARE(back.Identification, c.Identification);
        QCOMPARE(back.DeliveryInfo, c.DeliveryInfo);
        QCOMPARE(back.BusinessInfo, c.BusinessInfo);
        QCOMPARE(back.ExplanatoryInfo.Comment, c.ExplanatoryInfo.Comment);
    }

    // Saving over a card replaces the file whole: a second name made before the save keeps the old bytes.
    void savingOverACardReplacesIt()
    {
        const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/cards/over.vcf"), "old card");
        k5test::HardLink old(path);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        TmsVCard c;
        FillEverything(c);
        c.SaveToFile(path);
        QCOMPARE(old.Bytes(), QByteArray("old card"));
        QCOMPARE(k5test::ReadFile(path), c.Text().toUtf8());
    }

    void escapesAreReadAndWritten()
    {
        TmsVCard c;
        c.SetText(Wrapped({"ADR:;;Apt 5\\; Bldg 2;Town\\, North;;;", "FN:A\\\\B\\nC\\ND\\tE\\,F\\:G\\"}));
        QCOMPARE(c.DeliveryInfo.Address1.Street, QStringLiteral("Apt 5; Bldg 2"));
        QCOMPARE(c.DeliveryInfo.Address1.Locality, QStringLiteral("Town, North"));
        // An unknown escape keeps its backslash, as does a backslash at the end.
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("A\\B\nC\nD\\tE,F:G\\"));

        TmsVCard model;
        model.DeliveryInfo.Address1.Street = QStringLiteral("Apt 5; Bldg 2");
        model.DeliveryInfo.Address1.Locality = QStringLiteral("C:\\new\\;");
        model.Identification.Name.FamilyName = QStringLiteral("Lee;Ann");
        model.BusinessInfo.Company.Name = QStringLiteral("Acme, Inc.");
        QCOMPARE(WrittenLine(model, QStringLiteral("ADR")),
                 QStringLiteral("ADR:;;Apt 5\\; Bldg 2;C:\\\\new\\\\\\;;;;"));
        QCOMPARE(WrittenLine(model, QStringLiteral("ORG")), QStringLiteral("ORG:Acme, Inc.;"));
        CompareRoundTrip(model);
        // Note lines come back as lines, and a ";" in them stays.
        model.ExplanatoryInfo.Comment = QStringList{QStringLiteral("one;two"), QStringLiteral("three\\")};
        TmsVCard back;
        back.SetText(model.Text());
        QCOMPARE(back.ExplanatoryInfo.Comment, model.ExplanatoryInfo.Comment);
    }

    void lineBreaksAreWrittenQuotedPrintable()
    {
        TmsVCard c;
        c.Identification.FormattedName = QStringLiteral("Æsa Øster");
        c.DeliveryInfo.Address1.Attributes = {msaHome};
        c.DeliveryInfo.Address1.Street = QStringLiteral("Mærkevej 1\r\nBack house = 2");
        c.TelecomInfo.Email1.Address = QStringLiteral("a\nb@example.org");
        c.BusinessInfo.Title = QStringLiteral("bell\x07");
        c.ExplanatoryInfo.Comment = QStringList{QStringLiteral("first;"), QStringLiteral("second\nthird")};
        // Plain texts stay as they are, named UTF-8 beyond ASCII; only a value that a line cannot hold is encoded.
        QCOMPARE(WrittenLine(c, QStringLiteral("FN")), QStringLiteral("FN;CHARSET=UTF-8:Æsa Øster"));
        QCOMPARE(WrittenLine(c, QStringLiteral("ADR")),
                 QStringLiteral("ADR;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:"
                                ";;M=C3=A6rkevej 1=0D=0ABack house =3D 2;;;;"));
        QCOMPARE(WrittenLine(c, QStringLiteral("EMAIL")),
                 QStringLiteral("EMAIL;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:a=0Ab@example.org"));
        QCOMPARE(WrittenLine(c, QStringLiteral("NOTE")),
                 QStringLiteral("NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:first\\;=0D=0Asecond=0Athird"));
        c.ExplanatoryInfo.Comment = QStringList{QStringLiteral("first; second"), QStringLiteral("third")};
        CompareRoundTrip(c);
    }

    void quotedPrintableCharsetsAndDamage()
    {
        TmsVCard c;
        c.SetText(Wrapped({"FN;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-15:=A4 5",
                           "N;CHARSET=WINDOWS-1252;QUOTED-PRINTABLE:=80;x",
                           "TITLE;QUOTED-PRINTABLE;CHARSET=NO-SUCH-SET:caf=C3=A9 =G1 =4",
                           "ROLE;QUOTED-PRINTABLE;CHARSET=UTF-8:=E9t=E9",
                           "ORG;ENCODING=8BIT;CHARSET=UTF-8:a=C3=A9"}));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("€ 5"));
        QCOMPARE(c.Identification.Name.FamilyName, QStringLiteral("€"));
        QCOMPARE(c.Identification.Name.GivenName, QStringLiteral("x"));
        // An unknown set reads as the file does; broken codes stay as they were written.
        QCOMPARE(c.BusinessInfo.Title, QStringLiteral("café =G1 =4"));
        // Bytes that are not the named set are not thrown away.
        QCOMPARE(c.BusinessInfo.Role, QStringLiteral("été"));
        QCOMPARE(c.BusinessInfo.Company.Name, QStringLiteral("a=C3=A9")); // not encoded
    }

    void groupsAndTypesFindTheirProperties()
    {
        TmsVCard c;
        c.SetText(Wrapped({"item1.TEL;TYPE=WORK,VOICE:1", "item2.tel;type=home;type=fax;pref:2",
                           "A-b_3.TEL;WORK;VOICE:3", "item4.EMAIL;TYPE=\"x400\":m", "item5.NOTE:n", "item5.X-ABLabel:l",
                           ".FN:no group", "x.y.FN:bad"}));
        QCOMPARE(c.TelecomInfo.Phone1.Number, QStringLiteral("1"));
        QCOMPARE(c.TelecomInfo.Phone1.Attributes, TmsPhoneTypes({mstWork, mstVoice}));
        QCOMPARE(c.TelecomInfo.Phone2.Attributes, TmsPhoneTypes({mstHome, mstFax, mstPreferred}));
        QCOMPARE(c.TelecomInfo.Phone3.Attributes, TmsPhoneTypes({mstWork, mstVoice}));
        QCOMPARE(c.TelecomInfo.Email1.EmailType, mseX400);
        QCOMPARE(c.ExplanatoryInfo.Comment, QStringList({"n"}));
        QVERIFY(c.Identification.FormattedName.isEmpty());
    }

    void onlyTheFirstCardIsRead()
    {
        TmsVCard c;
        c.SetText(Card({"TEL:before", "BEGIN:VCARD", "VERSION:2.1", "FN:Ann", "AGENT:", "BEGIN:VCARD", "VERSION:2.1",
                        "FN:Agent", "TEL:agent", "END:VCARD", "TEL:1", "NOTE;QUOTED-PRINTABLE:end=", "END:VCARD",
                        "begin:vcard", "FN:Bo", "TEL:2",
                        "URL:http://bo/", "end:vcard"}));
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Ann"));
        QCOMPARE(c.TelecomInfo.Phone1.Number, QStringLiteral("1"));
        QVERIFY(c.TelecomInfo.Phone2.Number.isEmpty());
        QVERIFY(c.ExplanatoryInfo.URL1.isEmpty());
        QCOMPARE(c.ExplanatoryInfo.Comment, QStringList({"end"})); // a soft break never takes the card's end
    }

    // Cards go to other people's programs: the version is one that exists and no parameter is empty. The
    // forms written before (version 1.2, "EMAIL;:") still read.
    void writesVersion21WithValidParameters()
    {
        TmsVCard c;
        FillEverything(c);
        c.TelecomInfo.Email1.EmailType = mseDefault;
        c.TelecomInfo.Email2.Address = QStringLiteral("two\nlines@example.org");
        c.ExplanatoryInfo.Comment << QStringLiteral("Ærø, \\new\\ C:\\temp\\");
        const QStringList lines = c.Text().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(1), QStringLiteral("VERSION:2.1"));
        for (const QString &line : lines) {
            if (line.isEmpty() || line.startsWith(QLatin1Char(' ')))
                continue;
            const QString head = line.left(line.indexOf(QLatin1Char(':')));
            QVERIFY2(!head.split(QLatin1Char(';')).contains(QString()), qPrintable(line));
        }
        QVERIFY(lines.contains(QStringLiteral("EMAIL:ann@example.org")));
        // The note's lines are one quoted-printable value, and read back as lines.
        QCOMPARE(lines.filter(QStringLiteral("second")).size(), 1);
        QVERIFY(lines.filter(QStringLiteral("second")).first().startsWith(QStringLiteral("NOTE;ENCODING=QUOTED-PRINTABLE;")));
        TmsVCard back;
        back.SetText(c.Text());
        QCOMPARE(back.ExplanatoryInfo.Comment, c.ExplanatoryInfo.Comment);
        QCOMPARE(back.TelecomInfo.Email1, c.TelecomInfo.Email1);
        QCOMPARE(back.TelecomInfo.Email2, c.TelecomInfo.Email2);

        TmsVCard old;
        old.SetText(Wrapped({"FN:Bo", "EMAIL;:bo@example.org", "EMAIL;INTERNET:b@example.org", "NOTE:a", "  b"}));
        QCOMPARE(old.TelecomInfo.Email1.EmailType, mseDefault);
        QCOMPARE(old.TelecomInfo.Email1.Address, QStringLiteral("bo@example.org"));
        QCOMPARE(old.TelecomInfo.Email2.EmailType, mseInternet);
        QCOMPARE(old.ExplanatoryInfo.Comment, QStringList{QStringLiteral("a b")});
        QCOMPARE(WrittenLine(old, QStringLiteral("EMAIL")), QStringLiteral("EMAIL:bo@example.org"));
    }

    // A file of several cards: the first is read, and the others come back around it as they stood, line
    // ends and all, whatever the card read became.
    void otherCardsAreKeptAsTheyStand()
    {
        const QString before = QStringLiteral("X-HEADER:kept\n\n");
        const QString second = QStringLiteral("begin:vcard\nversion:3.0\nFN:Bø Berg\nNOTE:a\\, b\n folded\nend:vcard\n");
        const QString third = QStringLiteral("BEGIN:VCARD\rVERSION:2.1\rFN:Cy\rEND:VCARD\r\ntrailing text");
        TmsVCard c;
        c.SetText(before + QStringLiteral("BEGIN:VCARD\nVERSION:2.1\nFN:Ann\nAGENT:\nBEGIN:VCARD\nFN:Agent\nEND:VCARD\n"
                                          "TEL:1\nEND:VCARD\n")
                  + second + third);
        QCOMPARE(c.Identification.FormattedName, QStringLiteral("Ann"));
        c.Identification.FormattedName = QStringLiteral("Ann Lee");
        // The card read keeps its own lines and line ends too: only the changed name is written anew.
        const QString card = QStringLiteral("BEGIN:VCARD\nVERSION:2.1\nFN:Ann Lee\nAGENT:\nBEGIN:VCARD\nFN:Agent\n"
                                            "END:VCARD\nTEL:1\nEND:VCARD\n");
        QCOMPARE(c.Text(), before + card + second + third);
        CompareRoundTrip(c);
        // Saved and read again: the same bytes.
        const QString path = k5test::Root() + QStringLiteral("/tmp/cards/several.vcf");
        c.SaveToFile(path);
        QCOMPARE(k5test::ReadFile(path), (before + card + second + third).toUtf8());
        TmsVCard again;
        again.LoadFromFile(path);
        QCOMPARE(again.Text(), c.Text());
        // Clearing the card keeps the others; a copy has them too.
        c.Clear();
        QVERIFY(c.Text().endsWith(second + third));
        TmsVCard copy;
        copy.Assign(again);
        QCOMPARE(copy.Text(), again.Text());
        // A text that is no card at all is the card: nothing is kept beside it.
        c.SetText(QStringLiteral("FN:Loose\nTEL:2\n"));
        QCOMPARE(c.Text(), Card({"BEGIN:VCARD", "VERSION:2.1", "FN:Loose", "TEL:2", "END:VCARD"}));
        // An unended card leaves nothing after it.
        c.SetText(before + QStringLiteral("BEGIN:VCARD\nFN:Open\n"));
        QCOMPARE(c.Text(), before + QStringLiteral("BEGIN:VCARD\nFN:Open\nEND:VCARD\n"));
        // A card left open inside it is ended first, so a new field lands in the card read, and the text
        // written reads back to itself.
        c.SetText(QStringLiteral("BEGIN:VCARD\nFN:Open\nAGENT:\nBEGIN:VCARD\nFN:Inner\n"));
        c.BusinessInfo.Title = QStringLiteral("Boss");
        const QString closed = QStringLiteral("BEGIN:VCARD\nFN:Open\nAGENT:\nBEGIN:VCARD\nFN:Inner\nEND:VCARD\nTITLE:Boss\nEND:VCARD\n");
        QCOMPARE(c.Text(), closed);
        c.SetText(closed);
        QCOMPARE(c.Text(), closed);
        QCOMPARE(c.BusinessInfo.Title, QStringLiteral("Boss"));
    }

    void assignAndClear()
    {
        TmsVCard a;
        FillEverything(a);
        TmsVCard b;
        b.Assign(a);
        QCOMPARE(b.Text(), a.Text());
        b.Clear();
        QCOMPARE(b.Text(), TmsVCard().Text());
        QCOMPARE(b.TelecomInfo.Email1.EmailType, mseDefault);
    }

    void streamsAndFiles()
    {
        TmsVCard c;
        FillEverything(c);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        c.SaveToStream(buffer);
        QCOMPARE(buffer.data(), c.Text().toUtf8());
        TmsVCard fromStream;
        fromStream.LoadFromStream(buffer); // read from the start, wherever the stream stands
        QCOMPARE(fromStream.Identification, c.Identification);

        const QString path = k5test::Root() + QStringLiteral("/tmp/cards/ann.vcf");
        c.Identification.FormattedName = QStringLiteral("Æsa Øster");
        c.SaveToFile(path);
        TmsVCard fromFile;
        fromFile.LoadFromFile(path);
        QCOMPARE(fromFile.Identification.FormattedName, QStringLiteral("Æsa Øster"));

        bool raised = false;
        try {
            fromFile.LoadFromFile(path + QStringLiteral(".missing"));
        } catch (const platform::FileError &) {
            raised = true;
        }
        QVERIFY(raised);
        QCOMPARE(fromFile.Identification.FormattedName, QStringLiteral("Æsa Øster")); // nothing lost
    }
};

K5_TEST_MAIN(TestVCard)
#include "test_vcard.moc"
