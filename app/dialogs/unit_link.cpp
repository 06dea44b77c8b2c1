#include "unit_link.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace dialogs {

QPointer<TLink> Link;

QString BuildLink(const LinkValues &v)
{
    return QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\" NAME=\"%3\">%4</A>")
        .arg(v.url, v.target, v.name, v.description);
}

TLink::TLink(QWidget *parent) : TTagDialog(QStringLiteral("Link"), QStringLiteral("TLink"), parent)
{
    URL = addCombo(QStringLiteral("URL"), QStringLiteral("&URL:"),
                   {QStringLiteral("Http://"), QStringLiteral("File:// "), QStringLiteral("Ftp:// "),
                    QStringLiteral("Gopher:// "), QStringLiteral("Https:// "), QStringLiteral("News: "),
                    QStringLiteral("Telnet: "), QStringLiteral("Wais:")});
    Target = addCombo(QStringLiteral("Target"), QStringLiteral("&Target:"),
                      {QStringLiteral("_blank"), QStringLiteral("_self"), QStringLiteral("_parent"), QStringLiteral("_top")});
    Name = addEdit(QStringLiteral("Name"), QStringLiteral("&Name:"));
    Description = addMemo(QStringLiteral("Description"), QStringLiteral("&Description:"));
    FinishLoading();
}

LinkValues TLink::Values() const
{
    return {URL->currentText(), Target->currentText(), Name->text(), MemoText(Description)};
}

} // namespace dialogs
