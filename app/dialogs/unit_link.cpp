#include "unit_link.h"

#include "app/frameform.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace dialogs {

QPointer<TLink> Link;

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

void TLink::okClicked()
{
    if (app::FrameForm)
        app::FrameForm->Knap_Link->click();
}

QString BuildLink(const TLink &d)
{
    return QStringLiteral("<A HREF=\"%1\" TARGET=\"%2\" NAME=\"%3\">%4</A>")
        .arg(d.URL->currentText(), d.Target->currentText(), d.Name->text(), MemoText(d.Description));
}

void ShowLinkDialog()
{
    // Owned by the application and kept until exit, so Link always names the newest one.
    Link = new TLink(app::FrameForm);
    platform::ShowModal(Link);
}

} // namespace dialogs

void app::TFrameForm::Knap_LinkClick()
{
    if (dialogs::Link)
        InsertIntoActive(dialogs::BuildLink(*dialogs::Link));
}
