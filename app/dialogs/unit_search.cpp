#include "unit_search.h"
#include "escape.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace dialogs {
namespace {

QPlainTextEdit *entryList(TEngineDialog *d, QGridLayout *grid)
{
    auto *m = new QPlainTextEdit(d);
    m->setObjectName(QStringLiteral("Memo1"));
    m->setTabChangesFocus(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setMinimumSize(420, 140);
    grid->addWidget(m, grid->rowCount(), 0, 1, 2);
    return m;
}

// Lines as a memo holds them: each one ended by CR LF.
QString memoLines(std::initializer_list<const char *> lines)
{
    QString s;
    for (const char *l : lines)
        s += QString::fromUtf8(l) + QStringLiteral("\r\n");
    return s;
}

void appendText(QPlainTextEdit *memo, const QString &crlfText)
{
    QString t = crlfText;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCursor c(memo->document());
    c.movePosition(QTextCursor::End);
    c.insertText(t);
}

} // namespace

TSearch::TSearch(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    AddButton = TEngineDialog::AddButton(QStringLiteral("Add"), QStringLiteral("&Add"));
    Memo1 = entryList(this, grid_);
    connect(AddButton, &QPushButton::clicked, this, [this] { AddClick(); });
    FinishLoading();
}

void TSearch::AddClick()
{
    // Empty fields still make an entry: the user completes it by hand.
    const TValues v = Values();
    const QString n = QString::number(next_++);
    QString lines;
    lines += QStringLiteral("description[%1]=\"%2\"\r\n\r\n").arg(n, JsString(v.value(QStringLiteral("Description"))));
    lines += QStringLiteral("keyword[%1]=\"%2\"\r\n\r\n").arg(n, JsString(v.value(QStringLiteral("Keywords"))));
    lines += QStringLiteral("url[%1]=\"%2\"\r\n\r\n").arg(n, JsString(v.value(QStringLiteral("URL"))));
    appendText(Memo1, lines);
    for (const char *f : {"Description", "Keywords", "URL"})
        SetFieldText(Field(QString::fromLatin1(f)), QString());
}

QString TSearch::Head()
{
    return memoLines({"<SCRIPT LANGUAGE=\"JavaScript\">", "<!--", "word=\"\"", "url=new Array()", "keyword=new Array()",
                      "description=new Array()", ""});
}

QString TSearch::Build() const { return Head() + MemoText(Memo1) + DataText(QStringLiteral("SearchBody")); }

TLinkCombobox::TLinkCombobox(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    AddButton = TEngineDialog::AddButton(QStringLiteral("Add"), QStringLiteral("A&dd"));
    Memo1 = entryList(this, grid_);
    connect(AddButton, &QPushButton::clicked, this, [this] { AddClick(); });
    FinishLoading();
}

void TLinkCombobox::AddClick()
{
    const TValues v = Values();
    // An option shows plain text: markup in it would be dropped, or end the list.
    appendText(Memo1, QStringLiteral("<OPTION VALUE=\"%1\">%2\r\n").arg(HtmlAttribute(v.value(QStringLiteral("URL"))),
                                                                        HtmlText(v.value(QStringLiteral("Description")))));
    SetFieldText(Field(QStringLiteral("URL")), QString());
    SetFieldText(Field(QStringLiteral("Description")), QString());
}

QString TLinkCombobox::Head()
{
    return memoLines({"<CENTER>", "<FORM>", "", "<SELECT NAME=\"list\">", "",
                      "<OPTION SELECTED VALUE=\"http://www.kestrova.example/\">Kestrova home page"});
}

QString TLinkCombobox::Tail()
{
    return memoLines({"</SELECT><P>", "",
                      "<INPUT TYPE=BUTTON VALUE=\"Go\" "
                      "onClick=\"top.location.href=this.form.list.options[this.form.list.selectedIndex].value\">",
                      "", "</FORM>", "</CENTER>"});
}

QString TLinkCombobox::Build() const { return Head() + MemoText(Memo1) + Tail(); }

} // namespace dialogs
