#include "signature.h"

#include "app/assistants/windowplace.h"
#include "app/dialogs/dialogbase.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace assistants {

QString ReadListText(const QString &path)
{
    if (!QFileInfo::exists(path))
        return QString();
    return platform::DecodeDocument(platform::ReadWholeFile(path), path).text;
}

void WriteListText(const QString &path, const QString &text)
{
    platform::WriteFileAtomic(path, platform::EncodeText(text, platform::TextEncoding::Utf8, false));
}

TSignature::TSignature(QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags());
    setObjectName(QStringLiteral("Signature"));
    setWindowTitle(QStringLiteral("Signature"));
    auto *col = new QVBoxLayout(this);
    auto *header = new QLabel(QStringLiteral("Configure Your Signature"), this);
    header->setObjectName(QStringLiteral("Header"));
    QFont f = header->font();
    f.setBold(true);
    header->setFont(f);
    col->addWidget(header);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setPlainText(NoSignature());
    Memo1->setMinimumSize(360, 160);
    // A signature has no use for tab characters: Tab goes on to the buttons.
    Memo1->setTabChangesFocus(true);
    col->addWidget(dialogs::BuddyLabel(QStringLiteral("Your signature"), Memo1, this));
    col->addWidget(Memo1, 1);
    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Button1);
    row->addWidget(Button2);
    col->addLayout(row);
    PlaceFirst(this);
    connect(Button1, &QPushButton::clicked, this, &TSignature::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    LoadSignature();
    FinishLoading();
}

QString TSignature::FilePath()
{
    return platform::ProgramFile(QStringLiteral("signature.qvl"));
}

QString TSignature::NoSignature()
{
    return QStringLiteral("NO SIGNATURE!");
}

bool TSignature::LoadSignature()
{
    try {
        if (QFileInfo::exists(FilePath()))
            Memo1->setPlainText(ReadListText(FilePath()));
        return true;
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
}

void TSignature::Button1Click()
{
    const QString text = dialogs::MemoText(Memo1);
    try {
        bool same = false;
        try {
            same = QFileInfo::exists(FilePath()) && ReadListText(FilePath()) == text;
        } catch (const platform::Error &) {
            same = false; // a file that does not read is replaced by what the user sees
        }
        if (!same)
            WriteListText(FilePath(), text);
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    if (OnRelay)
        OnRelay(text);
    accept();
}

void TSignature::AddSignature()
{
    // A file that does not read is not replaced by a text the user never saw.
    if (LoadSignature())
        Button1Click();
}

void TSignature::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        LoadSignature();
    QDialog::showEvent(event);
    Memo1->setFocus();
}

} // namespace assistants
