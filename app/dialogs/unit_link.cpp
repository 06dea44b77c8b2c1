#include "unit_link.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace dialogs {

QPointer<TLink> Link;

QString BuildLink(const LinkValues &v)
{
    return Expand(FindDescription(QStringLiteral("TLink"))->templ,
                  {{QStringLiteral("URL"), v.url},
                   {QStringLiteral("Target"), v.target},
                   {QStringLiteral("Name"), v.name},
                   {QStringLiteral("Description"), v.description}});
}

TLink::TLink(QWidget *parent) : TEngineDialog(*FindDescription(QStringLiteral("TLink")), parent)
{
    URL = findChild<QComboBox *>(QStringLiteral("URL"));
    Target = findChild<QComboBox *>(QStringLiteral("Target"));
    Name = findChild<QLineEdit *>(QStringLiteral("Name"));
    Description = findChild<QPlainTextEdit *>(QStringLiteral("Description"));
    Link = this;
}

LinkValues TLink::Values() const
{
    return {URL->currentText(), Target->currentText(), Name->text(), MemoText(Description)};
}

} // namespace dialogs
