#include "unit_picture.h"

#include "controls/zel/lookupedit.h"
#include "graphics/qv/qvgifanimator.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/graphics/picture.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace dialogs {

TPicture::TPicture(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    Preview = new gfx::TQvGIFAnimator(this);
    Preview->setObjectName(QStringLiteral("QvGIFAnimator1"));
    Preview->setFixedSize(160, 120);
    Preview->SetCenter(true);
    Preview->SetStretch(false);
    Preview->SetLoop(true);
    grid_->addWidget(Preview, 0, 2, grid_->rowCount(), 1, Qt::AlignTop);
    auto *url = qobject_cast<zel::TZELFileLookup *>(Field(QStringLiteral("URL")));
    // Loaded when a file was browsed to or the typing is finished: never one attempt per keystroke.
    connect(url, &QLineEdit::editingFinished, this, [this, url] { LoadPreview(url->text()); });
    auto browse = url->OnButton1Click;
    url->OnButton1Click = [this, url, browse](QObject *sender) {
        const QString before = url->text();
        if (browse)
            browse(sender);
        // A cancelled chooser leaves the name, and the preview, as they were.
        if (url->text() != before)
            LoadPreview(url->text());
    };
    FinishLoading();
}

bool TPicture::LoadPreview(const QString &path)
{
    Preview->SetAnimate(false);
    Preview->SetImage(nullptr);
    QString file;
    const QUrl url(path);
    if (url.isLocalFile()) {
        file = url.toLocalFile();
    } else if (url.scheme().size() > 1) { // an address on the web; "C:" would be a drive
        return false;
    } else if (QDir::isAbsolutePath(path) && QFileInfo::exists(path)) {
        file = path; // a full path typed
    } else {
        // An address, as the page's browser resolves it: from the saved page, or from the root.
        const QString page = DocumentFile ? DocumentFile() : QString();
        if (!QDir::isAbsolutePath(path) && !QFileInfo(page).isAbsolute())
            return false;
        const QUrl base = QUrl::fromLocalFile(QDir::isAbsolutePath(path) ? QStringLiteral("/") : page);
        file = base.resolved(url).toLocalFile();
    }
    if (file.isEmpty())
        return false;
    platform::Picture picture;
    try {
        picture.LoadFromFile(file);
        if (!picture.GetGraphic() || picture.Width() <= 0 || picture.Height() <= 0)
            throw platform::InvalidGraphic(QStringLiteral("The picture \"%1\" is empty.").arg(QDir::toNativeSeparators(file)));
        Preview->SetImage(picture.GetGraphic());
    } catch (const platform::Error &e) {
        // A picture that cannot be read is no fault of the program: said in a plain box, as everywhere. The
        // fields keep what the user typed: the dialog stays open for a better name.
        Preview->SetImage(nullptr);
        platform::MessageBox(this, e.message(), platform::ApplicationTitle(), platform::MB_OK | platform::MB_ICONERROR);
        return false;
    } catch (const std::exception &e) {
        Preview->SetImage(nullptr);
        platform::Application::HandleException(e);
        return false;
    }
    Preview->SetAnimate(true);
    SetFieldText(Field(QStringLiteral("Width")), QString::number(picture.Width()));
    SetFieldText(Field(QStringLiteral("Height")), QString::number(picture.Height()));
    return true;
}

} // namespace dialogs
