#include "settingsform.h"

#include "app/dialogs/dialogbase.h"
#include "app/editform.h"
#include "controls/zel/zelstores.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace app {

TSettings *Settings = nullptr;

TSettings::TSettings(QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags());
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(QStringLiteral("Settings"));
    ZELControlStore1 = new zel::TZELControlStore(this);
    ZELControlStore1->setObjectName(QStringLiteral("ZELControlStore1"));
    ZELControlStore1->DataStore()->Registry.Path = QStringLiteral("Kestrova 5");
    ZELControlStore1->DataStore()->Registry.Section = QStringLiteral("Settings");
    auto *col = new QVBoxLayout(this);
    Keyword = new zel::TZELStoreCheckbox(QStringLiteral("Keyword"), this);
    Keyword->setObjectName(QStringLiteral("Keyword"));
    Keyword->setText(QStringLiteral("Keyword highlighting"));
    LeftPanel = new zel::TZELStoreCheckbox(QStringLiteral("Left Panel"), this);
    LeftPanel->setObjectName(QStringLiteral("LeftPanel"));
    LeftPanel->setText(QStringLiteral("Left Panel"));
    for (zel::TZELStoreCheckbox *box : {Keyword, LeftPanel}) {
        box->setChecked(true);
        box->SetStore(ZELControlStore1);
        col->addWidget(box);
    }
    Keyword->StoreKey = QStringLiteral("Keyword");
    LeftPanel->StoreKey = QStringLiteral("LeftPanel");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    col->addWidget(buttons);
    col->setSizeConstraint(QLayout::SetFixedSize);
    FinishLoading();
    Settings = this;
    // Documents follow the boxes at once.
    TEditForm::SettingsSource = [this](const QString &box) { return Checked(box); };
    for (zel::TZELStoreCheckbox *box : {Keyword, LeftPanel})
        connect(box, &QCheckBox::toggled, this, [] { TEditForm::ApplySettingsToAll(); });
}

TSettings::~TSettings()
{
    if (Settings == this) {
        Settings = nullptr;
        TEditForm::SettingsSource = nullptr; // documents made later show both again
    }
}

bool TSettings::Checked(const QString &box) const
{
    return box == QLatin1String("Keyword") ? Keyword->isChecked() : LeftPanel->isChecked();
}

} // namespace app
