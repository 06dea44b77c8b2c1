#include "finddialogs.h"

#include "dialogbase.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dialogs {

TFindDialog::TFindDialog(QWidget *parent, bool withReplace) : QDialog(parent, DialogFlags())
{
    setObjectName(withReplace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
    setWindowTitle(withReplace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    auto *grid = new QGridLayout(this);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    grid->addWidget(BuddyLabel(QStringLiteral("Fi&nd what:"), FindEdit, this), 0, 0);
    grid->addWidget(FindEdit, 0, 1);
    WholeWordBox = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    WholeWordBox->setObjectName(QStringLiteral("WholeWord"));
    MatchCaseBox = new QCheckBox(QStringLiteral("Match &case"), this);
    MatchCaseBox->setObjectName(QStringLiteral("MatchCase"));
    grid->addWidget(WholeWordBox, 3, 0, 1, 2);
    grid->addWidget(MatchCaseBox, 4, 0, 1, 2);
    auto *dir = new QGroupBox(QStringLiteral("Direction"), this);
    auto *dirRow = new QVBoxLayout(dir);
    UpButton = new QRadioButton(QStringLiteral("&Up"), dir);
    DownButton = new QRadioButton(QStringLiteral("&Down"), dir);
    DownButton->setChecked(true);
    dirRow->addWidget(UpButton);
    dirRow->addWidget(DownButton);
    grid->addWidget(dir, 5, 0, 1, 2);
    if (withReplace)
        dir->hide(); // replacing always runs from the start of the text
    buttons_ = new QVBoxLayout;
    auto *buttons = buttons_;
    FindNextButton = new QPushButton(QStringLiteral("&Find Next"), this);
    FindNextButton->setObjectName(QStringLiteral("FindNextButton"));
    FindNextButton->setDefault(true);
    buttons->addWidget(FindNextButton);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 2, 6, 1);
    connect(FindNextButton, &QPushButton::clicked, this, [this] {
        if (OnFind)
            OnFind();
        // Still open (nothing found, or an owner that keeps it): the user goes on in the field, whose
        // text is selected so that typing replaces it and never reaches the page.
        if (isVisible())
            takeTyping();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::hide);
    // Sized by its fields: the window manager offers no maximising and no resize edge.
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

QString TFindDialog::FindText() const { return FindEdit->text(); }

void TFindDialog::SetFindText(const QString &text)
{
    FindEdit->setText(text);
    FindEdit->selectAll();
}

void TFindDialog::takeTyping()
{
    activateWindow();
    FindEdit->setFocus();
    FindEdit->selectAll();
}

void TFindDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The text it opens with is selected: what the user types replaces it.
    takeTyping();
}

bool TFindDialog::Down() const { return DownButton->isChecked(); }
bool TFindDialog::WholeWord() const { return WholeWordBox->isChecked(); }
bool TFindDialog::MatchCase() const { return MatchCaseBox->isChecked(); }

TReplaceDialog::TReplaceDialog(QWidget *parent) : TFindDialog(parent, true)
{
    auto *grid = static_cast<QGridLayout *>(layout());
    ReplaceEdit = new QLineEdit(this);
    ReplaceEdit->setObjectName(QStringLiteral("ReplaceEdit"));
    grid->addWidget(BuddyLabel(QStringLiteral("Re&place with:"), ReplaceEdit, this), 1, 0);
    grid->addWidget(ReplaceEdit, 1, 1);
    ReplaceButton = new QPushButton(QStringLiteral("&Replace"), this);
    ReplaceButton->setObjectName(QStringLiteral("ReplaceButton"));
    ReplaceAllButton = new QPushButton(QStringLiteral("Replace &All"), this);
    ReplaceAllButton->setObjectName(QStringLiteral("ReplaceAllButton"));
    // Below Find Next, above Cancel; Tab goes down the fields, then down the buttons.
    buttons_->insertWidget(1, ReplaceButton);
    buttons_->insertWidget(2, ReplaceAllButton);
    SetTabOrder({FindEdit, ReplaceEdit, WholeWordBox, MatchCaseBox, FindNextButton, ReplaceButton, ReplaceAllButton, cancel_});
    connect(ReplaceButton, &QPushButton::clicked, this, [this] {
        if (OnReplace)
            OnReplace(false);
    });
    connect(ReplaceAllButton, &QPushButton::clicked, this, [this] {
        if (OnReplace)
            OnReplace(true);
    });
}

QString TReplaceDialog::ReplaceText() const { return ReplaceEdit->text(); }
void TReplaceDialog::SetReplaceText(const QString &text) { ReplaceEdit->setText(text); }

} // namespace dialogs
