// Dialogs that need more than fields and a template: extra buttons, state, or a text of their own.
#include "engine.h"
#include "unit_channel.h"
#include "unit_clipart.h"
#include "unit_dhtml.h"
#include "unit_excharacters.h"
#include "unit_farve.h"
#include "unit_filter.h"
#include "unit_frames.h"
#include "unit_insert.h"
#include "unit_link.h"
#include "unit_picture.h"
#include "unit_samples.h"
#include "unit_search.h"
#include "unit_table.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace dialogs {
namespace {

// Applet: "&Add" appends a parameter line to the attributes.
TTagDialog *makeApplet(const TDialogDesc &desc, QWidget *parent)
{
    auto *d = new TEngineDialog(desc, parent, false);
    auto *memo = qobject_cast<QPlainTextEdit *>(d->Field(QStringLiteral("Applet Attributes")));
    QObject::connect(d->AddButton(QStringLiteral("Add"), QStringLiteral("&Add")), &QPushButton::clicked, d,
                     [memo] { memo->appendPlainText(QStringLiteral(R"(<PARAM NAME="" VALUE="">)")); });
    d->FinishLoading();
    return d;
}

// Drop-down: "New option..." starts a new option line at the caret of the options.
TTagDialog *makeFormCombobox(const TDialogDesc &desc, QWidget *parent)
{
    auto *d = new TEngineDialog(desc, parent, false);
    auto *memo = qobject_cast<QPlainTextEdit *>(d->Field(QStringLiteral("Option")));
    QObject::connect(d->AddButton(QStringLiteral("Newoption"), QStringLiteral("New option...")), &QPushButton::clicked,
                     d, [memo] {
                         QTextCursor c = memo->textCursor();
                         c.insertText(QStringLiteral("\n<OPTION VALUE=\"\">"));
                         // Ready for the value, between its quotes.
                         c.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 2);
                         memo->setTextCursor(c);
                         memo->setFocus();
                     });
    d->FinishLoading();
    return d;
}

struct Maker {
    const char *className;
    TDialogMaker make;
};

const Maker makers[] = {
    {"TLink", [](const TDialogDesc &, QWidget *parent) -> TTagDialog * { return new TLink(parent); }},
    {"Tapplet", makeApplet},
    {"TFarve1", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TFarve1(d, parent); }},
    {"TExCharacters", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TExCharacters(d, parent); }},
    {"Tinsert", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new Tinsert(d, parent); }},
    {"TPicture", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TPicture(d, parent); }},
    {"TFilter", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TFilter(d, parent); }},
    {"TSearch", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TSearch(d, parent); }},
    {"TLinkCombobox", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TLinkCombobox(d, parent); }},
    {"TFormCombobox", makeFormCombobox},
    {"TFrameset", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TFrameset(d, parent); }},
    {"Ttable", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new Ttable(d, parent); }},
    {"TList", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TList(d, parent); }},
    {"TWindowOpen", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TWindowOpen(d, parent); }},
    {"TStyle", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TStyle(d, parent); }},
    {"TAnimation", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TAnimation(d, parent); }},
    {"TDHTML", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TDHTML(d, parent); }},
    {"TJavaScriptSamples1", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TJavaScriptSamples1(d, parent); }},
    {"TVBScript", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TVBScript(d, parent); }},
    {"TChannel", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TChannel(d, parent); }},
    {"TClipart", [](const TDialogDesc &d, QWidget *parent) -> TTagDialog * { return new TClipart(d, parent); }},
};

} // namespace

QStringList BespokeDataNames() { return QStringList{QStringLiteral("Animation")} + TVBScript::DataNames(); }

TDialogMaker BespokeMaker(const QString &className)
{
    for (const Maker &m : makers)
        if (className == QLatin1String(m.className))
            return m.make;
    return nullptr;
}

} // namespace dialogs
