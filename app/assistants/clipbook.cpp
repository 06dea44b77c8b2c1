#include "clipbook.h"

#include "app/assistants/signature.h"
#include "app/dialogs/dialogbase.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace assistants {

TClipBook::TClipBook(QWidget *parent)
{
    setParent(parent, dialogs::DialogFlags() | Qt::WindowStaysOnTopHint);
    setObjectName(QStringLiteral("ClipBook"));
    setWindowTitle(QStringLiteral("ClipBook"));
    auto *col = new QVBoxLayout(this);
    auto *header = new QLabel(QStringLiteral("Insert text from the ClipBook into the document..."), this);
    header->setObjectName(QStringLiteral("Header"));
    QFont f = header->font();
    f.setBold(true);
    header->setFont(f);
    col->addWidget(header);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setMinimumSize(420, 240);
    col->addWidget(Memo1, 1);
    auto *row = new QHBoxLayout;
    auto button = [this, row](const char *name, const char *caption) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    InsertAll = button("InsertAll", "Insert All");
    InsertSelected = button("InsertSelected", "Insert Selected");
    row->addStretch();
    Save = button("Save", "Save");
    Close = button("Close", "Close");
    col->addLayout(row);
    connect(InsertAll, &QPushButton::clicked, this, &TClipBook::InsertAllClick);
    connect(InsertSelected, &QPushButton::clicked, this, &TClipBook::InsertSelectedClick);
    connect(Save, &QPushButton::clicked, this, &TClipBook::SaveClick);
    connect(Close, &QPushButton::clicked, this, &QWidget::close);
    try {
        Memo1->setPlainText(ReadListText(FilePath()));
    } catch (const platform::Error &e) {
        loadFailed_ = true;
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
    }
    Memo1->document()->setModified(false);
    FinishLoading();
}

QString TClipBook::FilePath()
{
    return platform::ProgramFile(QStringLiteral("clipbook.qvl"));
}

void TClipBook::InsertAllClick()
{
    if (OnRelay)
        OnRelay(dialogs::MemoText(Memo1));
}

void TClipBook::InsertSelectedClick()
{
    QString text = Memo1->textCursor().selectedText();
    // The selection's paragraph marks are line ends of the document.
    text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    if (!text.isEmpty() && OnRelay)
        OnRelay(text);
}

bool TClipBook::SaveClick()
{
    if (loadFailed_ && !Memo1->document()->isModified())
        return false;
    try {
        WriteListText(FilePath(), dialogs::MemoText(Memo1));
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    loadFailed_ = false;
    Memo1->document()->setModified(false);
    return true;
}

} // namespace assistants
