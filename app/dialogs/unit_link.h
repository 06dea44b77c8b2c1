#pragma once
#include "app/dialogs/dialogbase.h"

#include <QPointer>

namespace dialogs {

// "Link": address, target, name and description of an A element.
class TLink : public TTagDialog {
    Q_OBJECT
public:
    explicit TLink(QWidget *parent = nullptr);
    QComboBox *URL;
    QComboBox *Target;
    QLineEdit *Name;
    QPlainTextEdit *Description;

protected:
    void okClicked() override;
};

// The most recent instance.
extern QPointer<TLink> Link;

// `<A HREF="{URL}" TARGET="{Target}" NAME="{Name}">{Description}</A>`, every value as typed.
QString BuildLink(const TLink &dialog);

// The HyperLink command: creates the dialog into Link and shows it modally.
void ShowLinkDialog();

} // namespace dialogs
