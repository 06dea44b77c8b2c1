#include "unit_picture.h"

#include "controls/zel/lookupedit.h"
#include "graphics/qv/qvgifanimator.h"
#include "platform/graphics/picture.h"

#include <QFileInfo>

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
        if (browse)
            browse(sender);
        LoadPreview(url->text());
    };
    FinishLoading();
}

bool TPicture::LoadPreview(const QString &path)
{
    Preview->SetAnimate(false);
    Preview->SetImage(nullptr);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    platform::Picture picture;
    try {
        picture.LoadFromFile(path);
        if (!picture.GetGraphic() || picture.Width() <= 0 || picture.Height() <= 0)
            return false;
        Preview->SetImage(picture.GetGraphic());
    } catch (const std::exception &) {
        // Not a picture we can read: the preview stays blank and the fields keep what the user typed.
        Preview->SetImage(nullptr);
        return false;
    }
    Preview->SetAnimate(true);
    SetFieldText(Field(QStringLiteral("Width")), QString::number(picture.Width()));
    SetFieldText(Field(QStringLiteral("Height")), QString::number(picture.Height()));
    return true;
}

} // namespace dialogs
