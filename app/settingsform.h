#pragma once
// The settings window (a service form, created hidden at start): whether documents highlight their
// source and show the side panel. Both boxes keep their state in the registry.
#include "platform/form.h"

#include <QDialog>

namespace zel {
class TZELControlStore;
class TZELStoreCheckbox;
}

namespace app {

class TSettings : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TSettings(QWidget *parent = nullptr);
    ~TSettings() override;
    zel::TZELControlStore *ZELControlStore1;
    zel::TZELStoreCheckbox *Keyword;
    zel::TZELStoreCheckbox *LeftPanel;
    bool Checked(const QString &box) const;
};

extern TSettings *Settings;

} // namespace app
