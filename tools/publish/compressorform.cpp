#include "compressorform.h"

#include "controls/zel/lookupedit.h"
#include "htmlcompressor.h"

#include "platform/dialogs.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace publish {

TCompressor::TCompressor(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("Compressor"));
    setWindowTitle(QStringLiteral("HTML Compressor"));

    auto *banner = new QLabel(QStringLiteral("Compress you HTML Files up to 20%"), this);
    banner->setObjectName(QStringLiteral("Label3"));
    banner->setAutoFillBackground(true);
    banner->setStyleSheet(QStringLiteral("background-color: #808080; color: #ffffff; padding: 6px;"));

    Edit1 = new zel::TZELFileLookup(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->DefaultExt = QStringLiteral("html");
    Edit1->Filter = QStringLiteral("HTML files|*.html;*.htm;*.shtml;*.chtml;*.asp;*.cfm;*.dhtml;*.dhtm;*.phtml;*.phtm;"
                                   "*.ephtml;*.ephtm|All files (*.*)|*.*");
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));

    auto *sourceLabel = new QLabel(QStringLiteral("Source File:"), this);
    sourceLabel->setObjectName(QStringLiteral("Label1"));
    sourceLabel->setBuddy(Edit1);
    auto *targetLabel = new QLabel(QStringLiteral("Target File:"), this);
    targetLabel->setObjectName(QStringLiteral("Label2"));
    targetLabel->setBuddy(Edit2);

    Button1 = new QPushButton(QStringLiteral("Com&press"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    // The window's own compressor runs every pass that keeps the page looking the same (all but Center).
    HTMLCompressor1 = new THTMLCompressor(this);
    HTMLCompressor1->setObjectName(QStringLiteral("HTMLCompressor1"));

    auto *fields = new QGridLayout;
    fields->addWidget(sourceLabel, 0, 0);
    fields->addWidget(Edit1, 0, 1);
    fields->addWidget(targetLabel, 1, 0);
    fields->addWidget(Edit2, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(420, sizeHint().height());

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TCompressor::Button1Click()
{
    // A source that cannot be read, or has nothing in it, leaves the target alone; every failure says why.
    QString why;
    if (!HTMLCompressor1->Load(Edit1->text(), &why)) {
        tell(why);
        return;
    }
    if (HTMLCompressor1->Buffer().isEmpty()) {
        tell(QStringLiteral("The source file \"%1\" is empty: there is nothing to compress.")
                 .arg(QDir::toNativeSeparators(Edit1->text())));
        return;
    }
    HTMLCompressor1->Compress();
    if (!HTMLCompressor1->Save(Edit2->text(), &why))
        tell(why);
}

void TCompressor::tell(const QString &text)
{
    platform::MessageBox(this, text, windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace publish
