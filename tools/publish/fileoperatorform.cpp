#include "fileoperatorform.h"

#include "controls/zel/explorer.h"
#include "platform/dialogs.h"
#include "platform/error.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace publish {

TFileOperatorForm::TFileOperatorForm(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("FileOperatorForm"));
    setWindowTitle(QStringLiteral("File Operator"));

    auto *banner = new QLabel(QStringLiteral("Copy, Delete, Move or Rename file(s)"), this);
    banner->setAutoFillBackground(true);
    banner->setStyleSheet(QStringLiteral("background-color: #808080; color: #ffffff; padding: 6px;"));

    DirectoryListBox2 = new zel::TZELExplorerTree(this);
    DirectoryListBox2->setObjectName(QStringLiteral("DirectoryListBox2"));
    DirectoryListBox2->SetNetwork(true);
    FileListBox2 = new zel::TZELExplorerView(this);
    FileListBox2->setObjectName(QStringLiteral("FileListBox2"));
    FileListBox2->SetCharCase(zel::ecLowerCase);
    DirectoryListBox1 = new zel::TZELExplorerTree(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    FileListbox1 = new zel::TZELExplorerView(this);
    FileListbox1->setObjectName(QStringLiteral("FileListbox1"));
    FileListbox1->hide();

    DirectoryListBox2->OnChange = [this](QObject *, QTreeWidgetItem *) { FileListBox2->SetDirectory(folderOf(DirectoryListBox2)); };
    DirectoryListBox1->OnChange = [this](QObject *, QTreeWidgetItem *) { FileListbox1->SetDirectory(folderOf(DirectoryListBox1)); };

    auto button = [this](const QString &name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    CopyButton = button(QStringLiteral("CopyButton"), QStringLiteral("&Copy"));
    DeleteButton = button(QStringLiteral("DeleteButton"), QStringLiteral("&Delete"));
    MoveButton = button(QStringLiteral("MoveButton"), QStringLiteral("&Move"));
    RenameButton = button(QStringLiteral("RenameButton"), QStringLiteral("&Rename"));
    CloseButton = button(QStringLiteral("CloseButton"), QStringLiteral("&Close"));
    connect(CopyButton, &QPushButton::clicked, this, [this] { CopyClick(); });
    connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteClick(); });
    connect(MoveButton, &QPushButton::clicked, this, [this] { MoveClick(); });
    connect(RenameButton, &QPushButton::clicked, this, [this] { RenameClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);

    ZELFileOperator1 = new zel::TZELFileOperator(this);
    ZELFileOperator1->setObjectName(QStringLiteral("ZELFileOperator1"));
    auto say = [](const char *text) { return [text](QObject *) { platform::ShowMessage(QString::fromLatin1(text)); }; };
    ZELFileOperator1->OnSuccessCopy = say("Success Copy");
    ZELFileOperator1->OnSuccessDelete = say("Success Delete");
    ZELFileOperator1->OnSuccessMove = say("Success Move");
    ZELFileOperator1->OnSuccessRename = say("Success Rename");
    ZELFileOperator1->OnFailCopy = say("Fail Copy");
    ZELFileOperator1->OnFailDelete = say("Fail Delete");
    ZELFileOperator1->OnFailMove = say("Fail Move");
    ZELFileOperator1->OnFailRename = say("Fail Rename");

    auto *lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Source"), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Target"), this), 0, 1);
    lists->addWidget(DirectoryListBox2, 1, 0);
    lists->addWidget(DirectoryListBox1, 1, 1, 2, 1);
    lists->addWidget(FileListBox2, 2, 0);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {CopyButton, DeleteButton, MoveButton, RenameButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addLayout(lists);
    layout->addLayout(buttons);
    resize(560, 480);
}

QString TFileOperatorForm::folderOf(const zel::TZELExplorerTree *tree) const
{
    const QString dir = tree->Directory();
    return dir == QLatin1String("nil") ? QString() : dir;
}

void TFileOperatorForm::run(zel::TZELFileFunction operation)
{
    // The list shows names in lower case; FileName gives the name the file really has.
    const QString file = FileListBox2->FileName();
    if (file.isEmpty()) {
        platform::ShowMessage(QStringLiteral("Please select a file"));
        return;
    }
    const QString source = folderOf(DirectoryListBox2);
    QString target = folderOf(DirectoryListBox1);
    if (operation == zel::RenameFile) {
        QInputDialog box(this);
        box.setWindowTitle(QStringLiteral("New Filename"));
        box.setLabelText(QStringLiteral("New Filename"));
        box.setTextValue(file);
        if (platform::ShowModal(&box) != QDialog::Accepted)
            return;
        // A bare name stays in the source folder, as it did when the shell worked from there.
        target = box.textValue().isEmpty() ? QString() : QDir(source).absoluteFilePath(box.textValue());
    } else if (operation == zel::DeleteFile) {
        target = source;
    } else if (target.isEmpty()) {
        platform::ShowMessage(QStringLiteral("Please select a target folder"));
        return;
    }
    // Whole paths, so that the operator never has to enter the source folder as the working folder.
    ZELFileOperator1->FilesFrom = QStringList{file};
    ZELFileOperator1->DirFrom.clear();
    ZELFileOperator1->DirTo = target;
    ZELFileOperator1->Operation = operation;
    try {
        ZELFileOperator1->Execute();
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
    }
    FileListBox2->Update();
    FileListbox1->Update();
}

} // namespace publish
