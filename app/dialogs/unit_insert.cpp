#include "unit_insert.h"

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/shell/filedialogs.h"
#include "platform/textfile.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/rilomemo.h"

#include <QFileInfo>

namespace dialogs {

Tinsert::Tinsert(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    SelectFile = AddButton(QStringLiteral("SelectFile"), QStringLiteral("&Select file..."));
    RiloMemo1 = new textcontrol::TRiloMemo(this);
    RiloMemo1->setObjectName(QStringLiteral("RiloMemo1"));
    RiloMemo1->SetReadOnly(true);
    RiloMemo1->SetWantTabs(false); // a preview: Tab goes on to the buttons
    RiloMemo1->setMinimumSize(480, 300);
    textcontrol::FillHtmlRules(RiloMemo1->Keywords(), RiloMemo1->StartStopKeys());
    RiloMemo1->ReApplyKeys();
    grid_->addWidget(RiloMemo1, grid_->rowCount(), 0, 1, 2);
    connect(SelectFile, &QPushButton::clicked, this, [this] { SelectFileClick(); });
    FinishLoading();
}

bool Tinsert::LoadFile(const QString &path)
{
    try {
        const platform::TextDocument doc = platform::LoadTextDocument(path);
        RiloMemo1->SetReadOnly(false);
        RiloMemo1->SetTextBuf(doc.text);
        RiloMemo1->SetReadOnly(true);
        RiloMemo1->ClearUndo();
        return true;
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), QStringLiteral("Insert File"), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
}

void Tinsert::SelectFileClick()
{
    platform::FileDialogRequest r;
    r.defaultExt = QStringLiteral("htm");
    r.filter = QStringLiteral("HTML Files|*.htm;*.html|All Files|*.*");
    r.options = platform::ofFileMustExist | platform::ofHideReadOnly;
    if (platform::ExecuteFileDialog(this, r))
        LoadFile(r.fileName);
}

QString Tinsert::Build() const
{
    // The whole text, as the file held it, with the document's CR LF line ends.
    return RiloMemo1->Text();
}

} // namespace dialogs
