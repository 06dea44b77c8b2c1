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

QString Wrapped(QStringList lines)
{
    lines.prepend(QStringLiteral("VERSION:1.2"));
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

} // namespace

class TestVCard : public QObject {
    Q_OBJECT
private slots:
    void onlyAFormattedName()
    {
        TmsVCard c;
        c.Identification.FormattedName = QStringLiteral("Ann");
        QCOMPARE(c.Text(), Card({"BEGIN:VCARD", "VERSION:1.2", "FN:Ann", "END:VCARD"}));
        TmsVCard empty;
        QCOMPARE(empty.Text(), Card({"BEGIN:VCARD", "VERSION:1.2", "END:VCARD"}));
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
                               "EMAIL;:lee@example.org",
                               "ORG:Acme;Research",
                               "TITLE:Chief",
                               "ROLE:Lead",
                               "NOTE:first",
                               "  second",
                               "URL:http://a.example/",
                               "URL:http://b.example/",
                           }));
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
        // The two note lines were one property with a continuation line.
        QCOMPARE(back.ExplanatoryInfo.Comment, QStringList({"first second"}));
        QCOMPARE(back.ExplanatoryInfo.URL1, c.ExplanatoryInfo.URL1);
        QCOMPARE(back.ExplanatoryInfo.URL2, c.ExplanatoryInfo.URL2);
    }

    void noteLinesAndSemicolons()
    {
        TmsVCard c;
        c.SetText(Wrapped({"NOTE:one;two", " three", "\tfour;", "   ", "FN:x"}));
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
        QCOMPARE(back.ExplanatoryInfo.Comment,
                 QStringList{QString(5000, QLatin1Char('a')) + QLatin1Char(' ') + QString(5000, QLatin1Char('b'))});
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
        QStringList lines{"NOTE:x", "N", "n;a:b;c;", " more", "N:second"};
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
