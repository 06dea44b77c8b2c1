#pragma once
#include "app/dialogs/engine.h"

#include <QPointer>

namespace dialogs {

// The values of a link, each as the user typed it (the description's lines joined by CR LF).
struct LinkValues {
    QString url, target, name, description;
};

// `<A HREF="{url}" TARGET="{target}" NAME="{name}">{description}</A>`: every attribute written, even
// when empty, no value trimmed, and the attribute values escaped for their quotes.
QString BuildLink(const LinkValues &values);

// "Link": address, target, name and description of an A element.
class TLink : public TEngineDialog {
    Q_OBJECT
public:
    explicit TLink(QWidget *parent = nullptr);
    LinkValues Values() const;

    QComboBox *URL;
    QComboBox *Target;
    QLineEdit *Name;
    QPlainTextEdit *Description;
};

// The most recent instance.
extern QPointer<TLink> Link;

} // namespace dialogs
