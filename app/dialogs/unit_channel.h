#pragma once
#include "app/dialogs/engine.h"

namespace zel {
class TZELFolderBrowser;
}

namespace dialogs {

// "Channel": writes a channel definition file (qv_channel.cdf) into a chosen folder and then links it
// from the document. The folder is asked for when the dialog first shows, and again with Browse.
class TChannel : public TEngineDialog {
    Q_OBJECT
public:
    TChannel(const TDialogDesc &desc, QWidget *parent = nullptr);
    QLineEdit *SourceFolder = nullptr;
    zel::TZELFolderBrowser *ZELFolderBrowser1 = nullptr;
    QPushButton *Browse = nullptr;

    static QString FileName() { return QStringLiteral("qv_channel.cdf"); }
    // The link that goes into the document once the file is written: from the saved page's folder to the
    // file, else by the file's name.
    QString Build() const override;
    // The file's text, lines ended by CR LF; the pictures linked relative to the folder it goes into.
    QString FileText() const;
    // The channel file in the Source Folder: its pictures are linked from there.
    QString LinkingFile() const override;
    // Writes the file; a missing folder or a failed write is reported and keeps the dialog open.
    bool OkAllowed() override;
    // Runs the folder chooser; every folder highlighted in it becomes the Source Folder.
    void BrowseFolder();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool browsed_ = false;
};

// The file's bytes: ISO-8859-1, as the file declares; a character outside it becomes "&#N;".
QByteArray ChannelBytes(const QString &text);

} // namespace dialogs
