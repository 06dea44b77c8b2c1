#include "vcmain.h"

#include "msvcard.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/memotext.h"
#include "platform/shell/filedialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace publish {
namespace {

const char *const kAddressBoxPrefixes[kAddressTypeCount] = {"Dom", "Intl", "Postal", "Parcel", "Home", "Work"};
const char *const kAddressBoxCaptions[kAddressTypeCount] = {"Domestic", "International", "Postal",
                                                            "Parcel",   "Home",          "Work"};
const char *const kPhoneBoxParts[kPhoneTypeCount] = {"Pref", "Work", "Home",  "Voice", "Fax",  "Msg",  "Cell",
                                                     "Pager", "BBS", "Modem", "Car",   "ISDN", "Video"};
const char *const kPhoneBoxCaptions[kPhoneTypeCount] = {"Preferred", "Work", "Home",  "Voice", "Fax",
                                                        "Messaging", "Cellular", "Pager", "BBS", "Modem",
                                                        "Car",       "ISDN", "Video"};
// One name per type after the default, in the model's order, so that each item names what it writes.
const char *const kEmailTypeNames[kEmailTypeCount - 1] = {"AOL",     "AppleLink", "AT&T Mail",  "CompuServe",
                                                          "eWorld",  "Internet",  "IBM Mail",   "MCI Mail",
                                                          "PowerShare", "Prodigy", "Telex",     "X.400 Service"};

const QString kVCardFilter = QStringLiteral("vCard file (*.vcf)|*.vcf|Any file (*.*)|*.*");
const QString kVCardSaveFilter = QStringLiteral("vCard file (*.vcf)|*.vcf|Any files (*.*)|*.*");

QString BoxName(const char *prefix, int n, const char *suffix = "")
{
    return QString::fromLatin1(prefix) + QString::number(n) + QString::fromLatin1(suffix) + QStringLiteral("CheckBox");
}

// Adds a labelled edit on the next row of a grid and returns the edit.
QLineEdit *AddEdit(QWidget *page, QGridLayout *grid, const QString &name, const QString &caption, int column = 0)
{
    auto *edit = new QLineEdit(page);
    edit->setObjectName(name);
    auto *label = new QLabel(caption, page);
    label->setBuddy(edit);
    const int row = grid->rowCount();
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
    return edit;
}

QCheckBox *AddBox(QWidget *page, QGridLayout *grid, const QString &name, const QString &caption, int row, int column)
{
    auto *box = new QCheckBox(caption, page);
    box->setObjectName(name);
    grid->addWidget(box, row, column);
    return box;
}

std::array<QString *, 7> AddressTexts(TmsAddressRec &a)
{
    return {&a.POAddress, &a.ExtendedAddress, &a.Street, &a.Locality, &a.Region, &a.PostalCode, &a.Country};
}

// The note's lines as typed; a last line left empty is no line of the note.
QStringList MemoLines(const QPlainTextEdit *memo)
{
    QStringList lines = platform::MemoLines(memo->document());
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    if (lines == QStringList{QString()})
        return {};
    return lines;
}

} // namespace

QStringList TvCardForm::EmailTypeNames()
{
    QStringList names;
    for (const char *name : kEmailTypeNames)
        names << QString::fromLatin1(name);
    return names;
}

TvCardForm::TvCardForm(QWidget *owner) : FormOf(owner)
{
    setObjectName(QStringLiteral("vCardForm"));
    setWindowTitle(QStringLiteral("VCard Creator"));
    msVCard1 = new TmsVCard(this);
    msVCard1->setObjectName(QStringLiteral("msVCard1"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    // Identification
    auto *ident = new QWidget;
    auto *identGrid = new QGridLayout(ident);
    GivenNameEdit = AddEdit(ident, identGrid, QStringLiteral("GivenNameEdit"), QStringLiteral("Given:"));
    AdditionalNamesEdit = AddEdit(ident, identGrid, QStringLiteral("AdditionalNamesEdit"), QStringLiteral("Additional:"));
    FamilyNameEdit = AddEdit(ident, identGrid, QStringLiteral("FamilyNameEdit"), QStringLiteral("Family:"));
    PrefixEdit = AddEdit(ident, identGrid, QStringLiteral("PrefixEdit"), QStringLiteral("Prefix:"));
    SuffixEdit = AddEdit(ident, identGrid, QStringLiteral("SuffixEdit"), QStringLiteral("Suffix:"));
    FormattedNameEdit = AddEdit(ident, identGrid, QStringLiteral("FormattedNameEdit"), QStringLiteral("Formatted Name:"));
    identGrid->setRowStretch(identGrid->rowCount(), 1);
    PageControl1->addTab(ident, QStringLiteral("Identification"));

    // Home: two addresses side by side
    auto *home = new QWidget;
    auto *homeLayout = new QHBoxLayout(home);
    const char *const addressParts[7] = {"POAddress", "ExtendedAddress", "Street", "Locality", "Region", "PostalCode", "Country"};
    const char *const addressCaptions[7] = {"Post Office:", "Extended:", "Street:", "Locality:", "Region:", "Postal Code:", "Country:"};
    for (int n = 1; n <= 2; ++n) {
        auto *group = new QGroupBox(QStringLiteral("Address %1").arg(n), home);
        auto *grid = new QGridLayout(group);
        for (int i = 0; i < 7; ++i)
            addressEdits_[n - 1][i] = AddEdit(group, grid, QString::fromLatin1(addressParts[i]) + QString::number(n) + QStringLiteral("Edit"),
                                              QString::fromLatin1(addressCaptions[i]));
        const int row = grid->rowCount();
        for (int t = 0; t < kAddressTypeCount; ++t)
            AddBox(group, grid, BoxName(kAddressBoxPrefixes[t], n), QString::fromLatin1(kAddressBoxCaptions[t]), row + t / 2, t % 2);
        homeLayout->addWidget(group);
    }
    POAddress1Edit = addressEdits_[0][0], ExtendedAddress1Edit = addressEdits_[0][1], Street1Edit = addressEdits_[0][2];
    Locality1Edit = addressEdits_[0][3], Region1Edit = addressEdits_[0][4], PostalCode1Edit = addressEdits_[0][5];
    Country1Edit = addressEdits_[0][6];
    POAddress2Edit = addressEdits_[1][0], ExtendedAddress2Edit = addressEdits_[1][1], Street2Edit = addressEdits_[1][2];
    Locality2Edit = addressEdits_[1][3], Region2Edit = addressEdits_[1][4], PostalCode2Edit = addressEdits_[1][5];
    Country2Edit = addressEdits_[1][6];
    PageControl1->addTab(home, QStringLiteral("Home"));

    // Work
    auto *work = new QWidget;
    auto *workGrid = new QGridLayout(work);
    NameEdit = AddEdit(work, workGrid, QStringLiteral("NameEdit"), QStringLiteral("Name:"));
    UnitEdit = AddEdit(work, workGrid, QStringLiteral("UnitEdit"), QStringLiteral("Unit:"));
    TitleEdit = AddEdit(work, workGrid, QStringLiteral("TitleEdit"), QStringLiteral("Job title"));
    RoleEdit = AddEdit(work, workGrid, QStringLiteral("RoleEdit"), QStringLiteral("Role"));
    workGrid->setRowStretch(workGrid->rowCount(), 1);
    PageControl1->addTab(work, QStringLiteral("Work"));

    // Telecommunications
    auto *tele = new QWidget;
    auto *teleLayout = new QVBoxLayout(tele);
    QLineEdit **phoneEdits[3] = {&PhoneNumber1Edit, &PhoneNumber2Edit, &PhoneNumber3Edit};
    for (int n = 1; n <= 3; ++n) {
        auto *group = new QGroupBox(QStringLiteral("Phone %1").arg(n), tele);
        auto *grid = new QGridLayout(group);
        *phoneEdits[n - 1] = new QLineEdit(group);
        (*phoneEdits[n - 1])->setObjectName(QStringLiteral("PhoneNumber%1Edit").arg(n));
        grid->addWidget(*phoneEdits[n - 1], 0, 0, 1, 7);
        for (int t = 0; t < kPhoneTypeCount; ++t)
            AddBox(group, grid, BoxName("Phone", n, kPhoneBoxParts[t]), QString::fromLatin1(kPhoneBoxCaptions[t]), 1 + t / 7, t % 7);
        teleLayout->addWidget(group);
    }
    QLineEdit **mailEdits[2] = {&Email1Edit, &Email2Edit};
    QComboBox **mailBoxes[2] = {&Email1ComboBox, &Email2ComboBox};
    auto *mailGrid = new QGridLayout;
    for (int n = 1; n <= 2; ++n) {
        *mailEdits[n - 1] = AddEdit(tele, mailGrid, QStringLiteral("Email%1Edit").arg(n), QStringLiteral("E-mail %1:").arg(n));
        auto *combo = new QComboBox(tele);
        combo->setObjectName(QStringLiteral("Email%1ComboBox").arg(n));
        combo->addItems(EmailTypeNames());
        combo->setCurrentIndex(-1);
        mailGrid->addWidget(combo, mailGrid->rowCount() - 1, 2);
        *mailBoxes[n - 1] = combo;
    }
    teleLayout->addLayout(mailGrid);
    PageControl1->addTab(tele, QStringLiteral("Telecommunications"));

    // Other
    auto *other = new QWidget;
    auto *otherGrid = new QGridLayout(other);
    CommentsMemo = new QPlainTextEdit(other);
    CommentsMemo->setObjectName(QStringLiteral("CommentsMemo"));
    auto *commentsLabel = new QLabel(QStringLiteral("Comments:"), other);
    commentsLabel->setBuddy(CommentsMemo);
    otherGrid->addWidget(commentsLabel, 0, 0, Qt::AlignTop);
    otherGrid->addWidget(CommentsMemo, 0, 1);
    URL1Edit = AddEdit(other, otherGrid, QStringLiteral("URL1Edit"), QStringLiteral("URL:"));
    URL2Edit = AddEdit(other, otherGrid, QStringLiteral("URL2Edit"), QStringLiteral("URL:"));
    PageControl1->addTab(other, QStringLiteral("Other"));

    auto *menuBar = new QMenuBar(this);
    QMenu *file = menuBar->addMenu(QStringLiteral("&File"));
    New1 = file->addAction(QStringLiteral("&New"), this, [this] { New1Click(); });
    Open1 = file->addAction(QStringLiteral("&Open..."), this, [this] { Open1Click(); });
    SaveAs1 = file->addAction(QStringLiteral("Save &As..."), this, [this] { SaveAs1Click(); });
    SaveAndInsert1 = file->addAction(QStringLiteral("Save and as Insert as Link"), this, [this] { SaveAndInsert1Click(); });
    file->addSeparator();
    Close1 = file->addAction(QStringLiteral("&Close"), this, &QDialog::close);
    menuBar->addMenu(QStringLiteral("Options"));

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(PageControl1);
    FinishLoading();
}

QCheckBox *TvCardForm::box(const QString &name) const
{
    auto *found = findChild<QCheckBox *>(name);
    if (!found)
        platform::ShowMessage(name);
    return found;
}

void TvCardForm::CardToForm()
{
    const TmsNameRec &name = msVCard1->Identification.Name;
    GivenNameEdit->setText(name.GivenName);
    AdditionalNamesEdit->setText(name.AdditionalNames);
    FamilyNameEdit->setText(name.FamilyName);
    PrefixEdit->setText(name.Prefix);
    SuffixEdit->setText(name.Suffix);
    FormattedNameEdit->setText(msVCard1->Identification.FormattedName);

    TmsAddressRec *addresses[2] = {&msVCard1->DeliveryInfo.Address1, &msVCard1->DeliveryInfo.Address2};
    for (int n = 1; n <= 2; ++n) {
        const TmsAddressRec &a = *addresses[n - 1];
        const auto texts = AddressTexts(*addresses[n - 1]);
        for (int i = 0; i < 7; ++i)
            addressEdits_[n - 1][i]->setText(*texts[i]);
        for (int t = 0; t < kAddressTypeCount; ++t)
            if (QCheckBox *b = box(BoxName(kAddressBoxPrefixes[t], n)))
                b->setChecked(a.Attributes.Contains(TmsAddressType(t)));
    }

    const TmsPhoneRec *phones[3] = {&msVCard1->TelecomInfo.Phone1, &msVCard1->TelecomInfo.Phone2, &msVCard1->TelecomInfo.Phone3};
    QLineEdit *const phoneEdits[3] = {PhoneNumber1Edit, PhoneNumber2Edit, PhoneNumber3Edit};
    for (int n = 1; n <= 3; ++n) {
        phoneEdits[n - 1]->setText(phones[n - 1]->Number);
        for (int t = 0; t < kPhoneTypeCount; ++t)
            if (QCheckBox *b = box(BoxName("Phone", n, kPhoneBoxParts[t])))
                b->setChecked(phones[n - 1]->Attributes.Contains(TmsPhoneType(t)));
    }
    const TmsEmailRec *mails[2] = {&msVCard1->TelecomInfo.Email1, &msVCard1->TelecomInfo.Email2};
    QLineEdit *const mailEdits[2] = {Email1Edit, Email2Edit};
    QComboBox *const mailBoxes[2] = {Email1ComboBox, Email2ComboBox};
    for (int n = 0; n < 2; ++n) {
        mailEdits[n]->setText(mails[n]->Address);
        mailBoxes[n]->setCurrentIndex(int(mails[n]->EmailType) - 1);
    }

    NameEdit->setText(msVCard1->BusinessInfo.Company.Name);
    UnitEdit->setText(msVCard1->BusinessInfo.Company.AUnit);
    TitleEdit->setText(msVCard1->BusinessInfo.Title);
    RoleEdit->setText(msVCard1->BusinessInfo.Role);

    CommentsMemo->setPlainText(msVCard1->ExplanatoryInfo.Comment.join(QLatin1Char('\n')));
    URL1Edit->setText(msVCard1->ExplanatoryInfo.URL1);
    URL2Edit->setText(msVCard1->ExplanatoryInfo.URL2);
}

void TvCardForm::FormToCard()
{
    msVCard1->Clear();
    TmsNameRec &name = msVCard1->Identification.Name;
    name.GivenName = GivenNameEdit->text();
    name.AdditionalNames = AdditionalNamesEdit->text();
    name.FamilyName = FamilyNameEdit->text();
    name.Prefix = PrefixEdit->text();
    name.Suffix = SuffixEdit->text();
    msVCard1->Identification.FormattedName = FormattedNameEdit->text();

    TmsAddressRec *addresses[2] = {&msVCard1->DeliveryInfo.Address1, &msVCard1->DeliveryInfo.Address2};
    for (int n = 1; n <= 2; ++n) {
        TmsAddressRec &a = *addresses[n - 1];
        const auto texts = AddressTexts(a);
        for (int i = 0; i < 7; ++i)
            *texts[i] = addressEdits_[n - 1][i]->text();
        for (int t = 0; t < kAddressTypeCount; ++t)
            if (QCheckBox *b = box(BoxName(kAddressBoxPrefixes[t], n)); b && b->isChecked())
                a.Attributes.Include(TmsAddressType(t));
    }

    TmsPhoneRec *phones[3] = {&msVCard1->TelecomInfo.Phone1, &msVCard1->TelecomInfo.Phone2, &msVCard1->TelecomInfo.Phone3};
    QLineEdit *const phoneEdits[3] = {PhoneNumber1Edit, PhoneNumber2Edit, PhoneNumber3Edit};
    for (int n = 1; n <= 3; ++n) {
        phones[n - 1]->Number = phoneEdits[n - 1]->text();
        for (int t = 0; t < kPhoneTypeCount; ++t)
            if (QCheckBox *b = box(BoxName("Phone", n, kPhoneBoxParts[t])); b && b->isChecked())
                phones[n - 1]->Attributes.Include(TmsPhoneType(t));
    }
    TmsEmailRec *mails[2] = {&msVCard1->TelecomInfo.Email1, &msVCard1->TelecomInfo.Email2};
    QLineEdit *const mailEdits[2] = {Email1Edit, Email2Edit};
    QComboBox *const mailBoxes[2] = {Email1ComboBox, Email2ComboBox};
    for (int n = 0; n < 2; ++n) {
        mails[n]->Address = mailEdits[n]->text();
        const int index = mailBoxes[n]->currentIndex();
        mails[n]->EmailType = index >= 0 && index < kEmailTypeCount - 1 ? TmsEmailType(index + 1) : mseDefault;
    }

    msVCard1->BusinessInfo.Company.Name = NameEdit->text();
    msVCard1->BusinessInfo.Company.AUnit = UnitEdit->text();
    msVCard1->BusinessInfo.Title = TitleEdit->text();
    msVCard1->BusinessInfo.Role = RoleEdit->text();

    msVCard1->ExplanatoryInfo.Comment = MemoLines(CommentsMemo);
    msVCard1->ExplanatoryInfo.URL1 = URL1Edit->text();
    msVCard1->ExplanatoryInfo.URL2 = URL2Edit->text();
}

void TvCardForm::New1Click()
{
    msVCard1->Clear();
    msVCard1->DropOtherCards();
    CardToForm();
}

void TvCardForm::Open1Click()
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Open vCard file");
    request.filter = kVCardFilter;
    request.defaultExt = QStringLiteral("vcf");
    if (!platform::ExecuteFileDialog(this, request))
        return;
    // Read into a spare card so that a file that cannot be read leaves the form as it was.
    TmsVCard card;
    try {
        card.LoadFromFile(request.fileName);
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    msVCard1->Assign(card);
    CardToForm();
}

bool TvCardForm::SaveAs1Click(QString *savedFile)
{
    platform::FileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("Save vCard file");
    request.filter = kVCardSaveFilter;
    request.defaultExt = QStringLiteral("vcf");
    // A card saved over another file replaces it, so the user is asked first.
    request.options = platform::ofOverwritePrompt;
    if (!platform::ExecuteFileDialog(this, request))
        return false;
    FormToCard();
    try {
        msVCard1->SaveToFile(request.fileName);
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    if (savedFile)
        *savedFile = request.fileName;
    return true;
}

void TvCardForm::SaveAndInsert1Click()
{
    QString file;
    if (!SaveAs1Click(&file))
        return;
    if (!OnInsertText)
        return;
    const QString address = LinkAddressOf ? LinkAddressOf(file) : file;
    OnInsertText(QStringLiteral("<A HREF=\"") + address.toHtmlEscaped() + QStringLiteral("\">My Visit-Card</A>"));
}

} // namespace publish
