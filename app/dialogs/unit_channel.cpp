#include "unit_channel.h"
#include "escape.h"

#include "controls/zel/folderbrowser.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace dialogs {

QByteArray ChannelBytes(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x100)
            out += char(c);
        else
            out += "&#" + QByteArray::number(uint(c)) + ';';
    }
    return out;
}

TChannel::TChannel(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    SourceFolder = new QLineEdit(this);
    SourceFolder->setObjectName(QStringLiteral("Source Folder"));
    const int row = grid_->rowCount();
    grid_->addWidget(BuddyLabel(QStringLiteral("&Source Folder:"), SourceFolder, this), row, 0);
    grid_->addWidget(SourceFolder, row, 1);
    // The chooser comes up by itself once; after a Cancel this brings it back.
    Browse = AddButton(QStringLiteral("Browse"), QStringLiteral("&Browse..."));
    connect(Browse, &QPushButton::clicked, this, [this] { BrowseFolder(); });
    ZELFolderBrowser1 = new zel::TZELFolderBrowser(this);
    ZELFolderBrowser1->setObjectName(QStringLiteral("ZELFolderBrowser1"));
    ZELFolderBrowser1->BrowseCaption = QStringLiteral("Choose the folder for the channel file");
    ZELFolderBrowser1->OnPathChanged = [this](QObject *) { SourceFolder->setText(ZELFolderBrowser1->CurrentPath()); };
    // The pictures chosen are shown as the file in its new folder will link them.
    connect(SourceFolder, &QLineEdit::textChanged, this, [this] { ShowChosenFiles(); });
    FinishLoading();
}

QString TChannel::Build() const
{
    const QString page = DocumentFile ? DocumentFile() : QString();
    const QString file = LinkingFile();
    const QString address = page.isEmpty() || file.isEmpty() ? FileName() : LinkAddress(file, page);
    return QStringLiteral("<A HREF=\"%1\">Channel, Click here</A>").arg(HtmlAttribute(address));
}

QString TChannel::LinkingFile() const
{
    return SourceFolder->text().isEmpty() ? QString() : SourceFolder->text() + QLatin1Char('/') + FileName();
}

// The pictures are linked from the channel file, wherever it goes.
QString TChannel::FileText() const { return BuildLinkedFrom(LinkingFile()); }

void TChannel::showEvent(QShowEvent *event)
{
    TEngineDialog::showEvent(event);
    if (browsed_)
        return;
    // Once, and after the dialog is up: coming back from a nested dialog must not ask again.
    browsed_ = true;
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            BrowseFolder();
    });
}

void TChannel::BrowseFolder()
{
    const QString before = SourceFolder->text();
    if (!before.isEmpty())
        ZELFolderBrowser1->BrowseReturnPath = before;
    // The field follows the highlighted folder; a cancelled chooser leaves no folder the user never chose.
    if (ZELFolderBrowser1->Execute())
        SourceFolder->setText(ZELFolderBrowser1->BrowseReturnPath);
    else
        SourceFolder->setText(before);
}

bool TChannel::OkAllowed()
{
    const QString folder = SourceFolder->text();
    // An empty folder would put the file at the root of the file system.
    if (folder.isEmpty()) {
        platform::MessageBox(this, QStringLiteral("Choose the folder the channel file goes into."), windowTitle(),
                             platform::MB_OK | platform::MB_ICONERROR);
        SourceFolder->setFocus();
        return false;
    }
    const QString path = folder + QLatin1Char('/') + FileName();
    try {
        if (!QFileInfo(folder).isDir())
            throw platform::FileError(platform::FileErrorText(QStringLiteral("create"), path, QStringLiteral("The folder does not exist.")));
        platform::WriteFileAtomic(path, ChannelBytes(FileText()));
    } catch (const platform::Error &e) {
        platform::MessageBox(this, e.message(), windowTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    return true;
}

} // namespace dialogs
