#pragma once
// The "VCard Creator" window: edits one business card on five pages, opens and saves it as a .vcf file,
// and can save it and hand a link to the saved file to the active document. The program makes it at
// start-up, hidden, and shows it whenever it is asked for, with the card as it was left.
#include "platform/form.h"

#include <QDialog>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace publish {

class TmsVCard;

class TvCardForm : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TvCardForm(QWidget *owner = nullptr);

    TmsVCard *msVCard1;
    QTabWidget *PageControl1;
    QLineEdit *GivenNameEdit, *AdditionalNamesEdit, *FamilyNameEdit, *PrefixEdit, *SuffixEdit, *FormattedNameEdit;
    QLineEdit *POAddress1Edit, *ExtendedAddress1Edit, *Street1Edit, *Locality1Edit, *Region1Edit, *PostalCode1Edit,
        *Country1Edit;
    QLineEdit *POAddress2Edit, *ExtendedAddress2Edit, *Street2Edit, *Locality2Edit, *Region2Edit, *PostalCode2Edit,
        *Country2Edit;
    QLineEdit *NameEdit, *UnitEdit, *TitleEdit, *RoleEdit;
    QLineEdit *PhoneNumber1Edit, *PhoneNumber2Edit, *PhoneNumber3Edit;
    QLineEdit *Email1Edit, *Email2Edit;
    QComboBox *Email1ComboBox, *Email2ComboBox; // no choice is the default mail type
    QPlainTextEdit *CommentsMemo;
    QLineEdit *URL1Edit, *URL2Edit;
    QAction *New1, *Open1, *SaveAs1, *SaveAndInsert1, *Close1;

    // Receives the link text for the active document (the main window's insertion relay).
    std::function<void(const QString &text)> OnInsertText;
    // The address by which the active document links to a saved card (relative to its page); the path as
    // it is when unset.
    std::function<QString(const QString &file)> LinkAddressOf;

    void CardToForm();
    void FormToCard();

    void New1Click();
    void Open1Click();
    // True when the card was saved; the chosen file is then in savedFile.
    bool SaveAs1Click(QString *savedFile = nullptr);
    void SaveAndInsert1Click();

    // The mail service names of the type list, one per type after the default.
    static QStringList EmailTypeNames();

private:
    QCheckBox *box(const QString &name) const;
    QLineEdit *addressEdits_[2][7] = {}; // the seven address edits of Address 1 and Address 2, in field order
};

} // namespace publish
