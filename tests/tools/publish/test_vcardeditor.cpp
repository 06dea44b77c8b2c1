#include "k5test.h"

#include "tools/publish/msvcard.h"
#include "tools/publish/vcmain.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

using namespace publish;
using k5test::User;

namespace {

void FillEverything(TmsVCard &c)
{
    c.Identification.FormattedName = QStringLiteral("Dr. Ann Lee");
    TmsNameRec &n = c.Identification.Name;
    n.FamilyName = QStringLiteral("Lee");
    n.GivenName = QStringLiteral("Ann");
    n.AdditionalNames = QStringLiteral("Mary");
    n.Prefix = QStringLiteral("Dr.");
    n.Suffix = QStringLiteral("PhD");
    TmsAddressRec &a1 = c.DeliveryInfo.Address1;
    a1.Attributes = {msaDomestic, msaHome};
    a1.POAddress = QStringLiteral("Box 1");
    a1.ExtendedAddress = QStringLiteral("Flat 2");
    a1.Street = QStringLiteral("3 Hill Road");
    a1.Locality = QStringLiteral("Ashby");
    a1.Region = QStringLiteral("North");
    a1.PostalCode = QStringLiteral("AB1 2CD");
    a1.Country = QStringLiteral("Nowhere");
    TmsAddressRec &a2 = c.DeliveryInfo.Address2;
    a2.Attributes = {msaInternational, msaPostal, msaParcel, msaWork};
    a2.Street = QStringLiteral("9 Dock Lane");
    c.TelecomInfo.Phone1.Attributes = {mstWork, mstVoice};
    c.TelecomInfo.Phone1.Number = QStringLiteral("+1 555 0100");
    c.TelecomInfo.Phone2.Attributes = {mstPreferred, mstHome, mstFax, mstMessaging, mstCellular, mstPager};
    c.TelecomInfo.Phone2.Number = QStringLiteral("555 0101");
    c.TelecomInfo.Phone3.Attributes = {mstBBS, mstModem, mstCar, mstISDN, mstVideo};
    c.TelecomInfo.Phone3.Number = QStringLiteral("555 0102");
    c.TelecomInfo.Email1.EmailType = mseInternet;
    c.TelecomInfo.Email1.Address = QStringLiteral("ann@example.org");
    c.TelecomInfo.Email2.EmailType = mseX400;
    c.TelecomInfo.Email2.Address = QStringLiteral("c=xx;a=yy");
    c.BusinessInfo.Title = QStringLiteral("Engineer");
    c.BusinessInfo.Role = QStringLiteral("Lead");
    c.BusinessInfo.Company.Name = QStringLiteral("Acme");
    c.BusinessInfo.Company.AUnit = QStringLiteral("Labs");
    c.ExplanatoryInfo.Comment = QStringList{QStringLiteral("First line"), QStringLiteral("Second line")};
    c.ExplanatoryInfo.URL1 = QStringLiteral("http://example.org/");
    c.ExplanatoryInfo.URL2 = QStringLiteral("http://example.org/ann");
}

bool SameCard(const TmsVCard &a, const TmsVCard &b)
{
    return a.Identification == b.Identification && a.DeliveryInfo == b.DeliveryInfo && a.TelecomInfo == b.TelecomInfo
        && a.BusinessInfo == b.BusinessInfo && a.ExplanatoryInfo == b.ExplanatoryInfo;
}

QString Folder()
{
    const QString dir = k5test::Root() + QStringLiteral("/cards");
    QDir().mkpath(dir);
    return dir;
}

} // namespace

class TestVCardEditor : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        QDir(Folder()).removeRecursively();
        k5test::Settle();
    }

    void windowHasItsPagesAndMenu()
    {
        TvCardForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("VCard Creator"));
        QStringList pages;
        for (int i = 0; i < form.PageControl1->count(); ++i)
            pages << form.PageControl1->tabText(i);
        QCOMPARE(pages, (QStringList{"Identification", "Home", "Work", "Telecommunications", "Other"}));
        QCOMPARE(form.SaveAndInsert1->text(), QStringLiteral("Save and as Insert as Link"));
        QVERIFY(form.findChild<QCheckBox *>(QStringLiteral("Parcel2CheckBox")));
        QVERIFY(form.findChild<QCheckBox *>(QStringLiteral("Phone3ISDNCheckBox")));
        QCOMPARE(form.findChild<QCheckBox *>(QStringLiteral("Intl1CheckBox"))->text(), QStringLiteral("International"));
    }

    void formAndCardRoundTrip()
    {
        TvCardForm form;
        TmsVCard original;
        FillEverything(original);
        form.msVCard1->Assign(original);
        form.CardToForm();

        QCOMPARE(form.Street1Edit->text(), QStringLiteral("3 Hill Road"));
        QCOMPARE(form.CommentsMemo->toPlainText(), QStringLiteral("First line\nSecond line"));
        QVERIFY(form.findChild<QCheckBox *>(QStringLiteral("Home1CheckBox"))->isChecked());
        QVERIFY(!form.findChild<QCheckBox *>(QStringLiteral("Work1CheckBox"))->isChecked());
        QVERIFY(form.findChild<QCheckBox *>(QStringLiteral("Phone1VoiceCheckBox"))->isChecked());
        QVERIFY(!form.findChild<QCheckBox *>(QStringLiteral("Phone1FaxCheckBox"))->isChecked());
        QCOMPARE(form.Email1ComboBox->currentText(), QStringLiteral("Internet"));
        QCOMPARE(form.Email2ComboBox->currentText(), QStringLiteral("X.400 Service"));

        form.msVCard1->Clear();
        form.FormToCard();
        QVERIFY(SameCard(*form.msVCard1, original));

        // New empties every field and box.
        form.New1Click();
        QVERIFY(form.GivenNameEdit->text().isEmpty());
        QVERIFY(!form.findChild<QCheckBox *>(QStringLiteral("Home1CheckBox"))->isChecked());
        QCOMPARE(form.Email1ComboBox->currentIndex(), -1);
        form.FormToCard();
        QVERIFY(SameCard(*form.msVCard1, TmsVCard()));
    }

    void mailTypeListNamesWhatItWrites()
    {
        TvCardForm form;
        QCOMPARE(form.Email1ComboBox->count(), kEmailTypeCount - 1);
        QCOMPARE(TvCardForm::EmailTypeNames(),
                 (QStringList{"AOL", "AppleLink", "AT&T Mail", "CompuServe", "eWorld", "Internet", "IBM Mail", "MCI Mail",
                              "PowerShare", "Prodigy", "Telex", "X.400 Service"}));
        form.Email1Edit->setText(QStringLiteral("a@b"));
        const QStringList tokens{"AOL", "APPLELINK", "ATTMAIL", "CIS", "EWORLD", "INTERNET", "IBMMAIL", "MCIMAIL",
                                 "POWERSHARE", "PRODIGY", "TLX", "X400"};
        for (int i = 0; i < form.Email1ComboBox->count(); ++i) {
            form.Email1ComboBox->setCurrentIndex(i);
            form.FormToCard();
            QVERIFY2(form.msVCard1->Text().contains(QStringLiteral("\r\nEMAIL;%1:a@b\r\n").arg(tokens[i])),
                     qPrintable(form.Email1ComboBox->itemText(i)));
        }
        // No choice is the default type, which writes no type parameter.
        form.Email1ComboBox->setCurrentIndex(-1);
        form.FormToCard();
        QCOMPARE(form.msVCard1->TelecomInfo.Email1.EmailType, mseDefault);
        QVERIFY(form.msVCard1->Text().contains(QStringLiteral("\r\nEMAIL:a@b\r\n")));
    }

    void openedDefaultMailTypeIsSavedAgainUnchanged()
    {
        const QString card = QStringLiteral("BEGIN:VCARD\r\nVERSION:1.2\r\nFN:Bo\r\nEMAIL;:bo@example.org\r\nEND:VCARD\r\n");
        const QString in = k5test::WriteFile(Folder() + QStringLiteral("/in.vcf"), card.toUtf8());
        const QString out = Folder() + QStringLiteral("/out.vcf");
        TvCardForm form;
        form.show();
        User person;
        person.TypeFileName(in);
        form.Open1->trigger();
        QVERIFY(person.Done());
        QCOMPARE(form.FormattedNameEdit->text(), QStringLiteral("Bo"));
        QCOMPARE(form.Email1Edit->text(), QStringLiteral("bo@example.org"));
        QCOMPARE(form.Email1ComboBox->currentIndex(), -1);
        QVERIFY(form.Email1ComboBox->currentText().isEmpty());

        person.TypeFileName(out);
        QVERIFY(form.SaveAs1Click());
        k5test::Settle();
        // Written again in version 2.1, the default type as no parameter; it opens as it was.
        QCOMPARE(QString::fromUtf8(k5test::ReadFile(out)),
                 QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Bo\r\nEMAIL:bo@example.org\r\nEND:VCARD\r\n"));
        form.New1Click();
        person.TypeFileName(out);
        form.Open1->trigger();
        QVERIFY(person.Done());
        QCOMPARE(form.Email1Edit->text(), QStringLiteral("bo@example.org"));
        QCOMPARE(form.Email1ComboBox->currentIndex(), -1);
    }

    // A file of several cards shows the first; saved, the others stay as they were. A new card is saved alone.
    void savingKeepsTheCardsNotShown()
    {
        const QByteArray others = "BEGIN:VCARD\nVERSION:3.0\nFN:B\xc3\xb8 Berg\nTEL;TYPE=HOME:999\nEND:VCARD\n"
                                  "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Cy\r\nEND:VCARD\r\n";
        const QString path = k5test::WriteFile(Folder() + QStringLiteral("/three.vcf"),
                                               "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ann\r\nEND:VCARD\r\n" + others);
        TvCardForm form;
        form.show();
        User person;
        person.TypeFileName(path);
        form.Open1->trigger();
        QVERIFY(person.Done());
        QCOMPARE(form.FormattedNameEdit->text(), QStringLiteral("Ann"));
        QTest::keyClicks(form.FormattedNameEdit, QStringLiteral(" Lee"));
        person.TypeFileName(path).Click(QStringLiteral("Yes"));
        QVERIFY(form.SaveAs1Click());
        QVERIFY(person.Done());
        k5test::Settle();
        QCOMPARE(k5test::ReadFile(path), "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ann Lee\r\nEND:VCARD\r\n" + others);

        form.New1Click();
        form.FormattedNameEdit->setText(QStringLiteral("New"));
        const QString fresh = Folder() + QStringLiteral("/new.vcf");
        person.TypeFileName(fresh);
        QVERIFY(form.SaveAs1Click());
        QVERIFY(person.Done());
        QCOMPARE(k5test::ReadFile(fresh), QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:New\r\nEND:VCARD\r\n"));
    }

    // A card opened and saved over itself is the card opened plus what the user changed: what the editor
    // does not show (a birthday, a photo, a fourth phone, X- properties) stays as it stood, and the note
    // keeps its lines.
    void savedOverItselfTheCardKeepsWhatTheEditorDoesNotShow()
    {
        const QByteArray head = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nBDAY:1980-04-01\r\n"
                                "PHOTO;ENCODING=BASE64;TYPE=GIF:\r\n"
                                "    R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7R0lGODlhAQABAIAAAAAA\r\n"
                                "    AP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7\r\n"
                                "\r\n"
                                "TEL;WORK;VOICE:+45 1111\r\n";
        const QByteArray home = "TEL;HOME:+45 2222\r\n";
        const QByteArray middle = "TEL;CELL:+45 3333\r\nTEL;FAX:+45 4444\r\nX-ICQ:12345\r\n"
                                  "X-CUSTOM;CHARSET=UTF-8:Bl\xc3\xa5""b\xc3\xa6r\r\n";
        const QByteArray note = "NOTE;ENCODING=QUOTED-PRINTABLE:First line=0D=0ASecond line=0D=0AThird\r\n";
        const QByteArray tail = "EMAIL;INTERNET:ann@example.org\r\nitem1.X-ABLabel:_$!<Other>!$_\r\nEND:VCARD\r\n";
        const QByteArray original = head + home + middle + note + tail;
        const QString path = k5test::WriteFile(Folder() + QStringLiteral("/full.vcf"), original);
        TvCardForm form;
        form.show();
        User person;
        auto open = [&] {
            form.New1Click();
            person.TypeFileName(path);
            form.Open1->trigger();
            QVERIFY(person.Done());
        };
        auto saveOver = [&] {
            person.TypeFileName(path).Click(QStringLiteral("Yes"));
            QVERIFY(form.SaveAs1Click());
            QVERIFY(person.Done());
            k5test::Settle();
        };

        open();
        QCOMPARE(form.CommentsMemo->toPlainText(), QStringLiteral("First line\nSecond line\nThird"));
        QCOMPARE(form.PhoneNumber3Edit->text(), QStringLiteral("+45 3333"));
        saveOver();
        QCOMPARE(k5test::ReadFile(path), original);

        // One phone changed and a title added: that line is written anew where it stood, the title before
        // the end, and nothing else moves.
        open();
        form.PhoneNumber2Edit->setText(QStringLiteral("+45 9999"));
        form.TitleEdit->setText(QStringLiteral("Boss"));
        saveOver();
        const QByteArray changed = head + "TEL;HOME:+45 9999\r\n" + middle + note +
                                   "EMAIL;INTERNET:ann@example.org\r\nitem1.X-ABLabel:_$!<Other>!$_\r\nTITLE:Boss\r\nEND:VCARD\r\n";
        QCOMPARE(k5test::ReadFile(path), changed);

        // A note with a new line is written with its line breaks, and opens with its lines.
        open();
        QCOMPARE(form.TitleEdit->text(), QStringLiteral("Boss"));
        form.CommentsMemo->setPlainText(QStringLiteral("First line\nSecond line\nThird\nFourth; with a semicolon"));
        saveOver();
        const QByteArray noted = head + "TEL;HOME:+45 9999\r\n" + middle +
                                 "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:First line=0D=0ASecond line=0D=0A"
                                 "Third=0D=0AFourth\\; with a semicolon\r\n" +
                                 "EMAIL;INTERNET:ann@example.org\r\nitem1.X-ABLabel:_$!<Other>!$_\r\nTITLE:Boss\r\nEND:VCARD\r\n";
        QCOMPARE(k5test::ReadFile(path), noted);
        open();
        QCOMPARE(form.CommentsMemo->toPlainText(), QStringLiteral("First line\nSecond line\nThird\nFourth; with a semicolon"));
    }

    // Odd spaces pasted into the note are saved as they were pasted, not as blanks.
    void pastedSpacesInTheNoteAreSavedAsPasted()
    {
        TvCardForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FormattedNameEdit->setText(QStringLiteral("Ann Lee"));
        const QString pasted = QStringLiteral("1\u00A0000\u2007km\u202Fh\u3000end\ntwo\u00A0lines");
        QApplication::clipboard()->setText(pasted);
        form.PageControl1->setCurrentIndex(form.PageControl1->indexOf(form.CommentsMemo->parentWidget()));
        form.CommentsMemo->setFocus();
        QTest::keyClick(form.CommentsMemo, Qt::Key_V, Qt::ControlModifier);
        const QString path = Folder() + QStringLiteral("/spaces.vcf");
        User person;
        person.TypeFileName(path);
        QVERIFY(form.SaveAs1Click());
        QVERIFY(person.Done());
        k5test::Settle();
        TmsVCard read;
        read.LoadFromFile(path);
        QCOMPARE(read.ExplanatoryInfo.Comment, pasted.split(QLatin1Char('\n')));
        QVERIFY(k5test::ReadFile(path).contains("1=C2=A0000=E2=80=87km"));
    }

    // A card read as Windows-1252 is written back in it: only the lines changed differ, and a new line
    // holding other letters is ASCII that names its own character set.
    void aWindows1252CardIsSavedInIt()
    {
        const QByteArray head = "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=WINDOWS-1252:M\xfcller;J\xf6rg;;;\r\n"
                                "FN;CHARSET=WINDOWS-1252:J\xf6rg M\xfcller\r\n";
        const QByteArray rest = "NOTE;CHARSET=WINDOWS-1252:Gr\xfc\xdf" "e \x80" "5\r\nEND:VCARD\r\n";
        const QByteArray original = head + "TEL;HOME:+45 2222\r\n" + rest;
        const QString path = k5test::WriteFile(Folder() + QStringLiteral("/ansi.vcf"), original);
        TvCardForm form;
        form.show();
        User person;
        auto open = [&](const QString &file) {
            form.New1Click();
            person.TypeFileName(file);
            form.Open1->trigger();
            QVERIFY(person.Done());
        };
        auto saveOver = [&](const QString &file) {
            person.TypeFileName(file).Click(QStringLiteral("Yes"));
            form.SaveAs1Click();
            QVERIFY(person.Done());
            k5test::Settle();
        };
        open(path);
        QCOMPARE(form.FormattedNameEdit->text(), QStringLiteral("J\u00f6rg M\u00fcller"));
        QCOMPARE(form.CommentsMemo->toPlainText(), QStringLiteral("Gr\u00fc\u00dfe \u20ac5"));
        form.PhoneNumber1Edit->setText(QStringLiteral("+45 9999"));
        form.TitleEdit->setText(QStringLiteral("Zo\u00eb \u6771"));
        saveOver(path);
        QCOMPARE(k5test::ReadFile(path),
                 head + "TEL;HOME:+45 9999\r\n" + "NOTE;CHARSET=WINDOWS-1252:Gr\xfc\xdf" "e \x80" "5\r\n" +
                     "TITLE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Zo=C3=AB =E6=9D=B1\r\nEND:VCARD\r\n");
        open(path);
        QCOMPARE(form.TitleEdit->text(), QStringLiteral("Zo\u00eb \u6771"));
        QCOMPARE(form.GivenNameEdit->text(), QStringLiteral("J\u00f6rg"));

        // A later version has no way to name another character set for one line: the user is told and
        // the file stays as it was.
        const QByteArray modern = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J\xf6rg\r\nEND:VCARD\r\n";
        const QString modernPath = k5test::WriteFile(Folder() + QStringLiteral("/ansi3.vcf"), modern);
        open(modernPath);
        form.TitleEdit->setText(QStringLiteral("Boss \u00e9"));
        saveOver(modernPath);
        QCOMPARE(k5test::ReadFile(modernPath),
                 QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J\xf6rg\r\nTITLE:Boss \xe9\r\nEND:VCARD\r\n"));
        open(modernPath);
        form.TitleEdit->setText(QStringLiteral("\u6771"));
        const QByteArray before = k5test::ReadFile(modernPath);
        person.TypeFileName(modernPath).Click(QStringLiteral("Yes")).Click(QStringLiteral("OK"));
        QVERIFY(!form.SaveAs1Click());
        QVERIFY(person.Done());
        k5test::Settle();
        QVERIFY2(person.Texts.last().contains(QStringLiteral("\u6771")), qPrintable(person.Texts.last()));
        QCOMPARE(k5test::ReadFile(modernPath), before);

        // A new card after it is a new file, in UTF-8.
        form.New1Click();
        form.FormattedNameEdit->setText(QStringLiteral("J\u00f6rg"));
        const QString fresh = Folder() + QStringLiteral("/fresh.vcf");
        person.TypeFileName(fresh);
        QVERIFY(form.SaveAs1Click());
        QVERIFY(person.Done());
        QCOMPARE(k5test::ReadFile(fresh), QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8:J\xc3\xb6rg\r\nEND:VCARD\r\n"));
    }

    void openingAnUnreadableFileKeepsTheForm()
    {
        const QString bad = k5test::WriteFile(Folder() + QStringLiteral("/bad.vcf"), QByteArray("FN:\0\0x\0", 7));
        TvCardForm form;
        form.show();
        form.FormattedNameEdit->setText(QStringLiteral("Kept"));
        form.FormToCard();
        User person;
        person.TypeFileName(bad).Click(QStringLiteral("OK"));
        form.Open1->trigger();
        QVERIFY(person.Done());
        k5test::Settle();
        QCOMPARE(person.Texts.size(), 1);
        QVERIFY(!person.Texts[0].isEmpty());
        QCOMPARE(form.FormattedNameEdit->text(), QStringLiteral("Kept"));
        QCOMPARE(form.msVCard1->Identification.FormattedName, QStringLiteral("Kept"));
    }

    void saveAndInsertSavesThenLinks()
    {
        TvCardForm form;
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        form.FormattedNameEdit->setText(QStringLiteral("Ann Lee"));
        const QString target = Folder() + QStringLiteral("/ann");
        User person;
        person.TypeFileName(target);
        form.SaveAndInsert1->trigger();
        QVERIFY(person.Done());
        k5test::Settle();
        const QString saved = target + QStringLiteral(".vcf");
        QCOMPARE(QString::fromUtf8(k5test::ReadFile(saved)),
                 QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ann Lee\r\nEND:VCARD\r\n"));
        QCOMPARE(inserted, QStringList{QStringLiteral("<A HREF=\"%1\">My Visit-Card</A>").arg(saved)});
    }

    void cancelNeitherSavesNorLinks()
    {
        TvCardForm form;
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        form.FormattedNameEdit->setText(QStringLiteral("Ann Lee"));
        User person;
        person.Click(QStringLiteral("Cancel"));
        form.SaveAndInsert1->trigger();
        QVERIFY(person.Done());
        person.Escape();
        form.SaveAs1->trigger();
        QVERIFY(person.Done());
        k5test::Settle();
        QVERIFY(inserted.isEmpty());
        QVERIFY(QDir(Folder()).entryList(QDir::Files).isEmpty());
        QVERIFY(form.isVisible());
    }

    void unwritableTargetShowsAnErrorAndNoLink()
    {
        TvCardForm form;
        QStringList inserted;
        form.OnInsertText = [&](const QString &text) { inserted << text; };
        form.show();
        const QString blocker = k5test::WriteFile(Folder() + QStringLiteral("/plain"), "x");
        k5test::Answerer answers;
        answers.OnModal([&](QDialog *d) {
            // A folder that is really a file: the name is taken, the write fails.
            static_cast<QFileDialog *>(d)->selectFile(blocker + QStringLiteral("/card.vcf"));
            return int(platform::mrOk);
        });
        form.SaveAndInsert1->trigger();
        k5test::Settle();
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY(inserted.isEmpty());
        QCOMPARE(k5test::ReadFile(blocker), QByteArray("x"));
    }
};

K5_TEST_MAIN(TestVCardEditor)
#include "test_vcardeditor.moc"
