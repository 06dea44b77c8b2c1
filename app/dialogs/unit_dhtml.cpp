#include "unit_dhtml.h"

#include "platform/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace dialogs {

TAnimation::TAnimation(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    Hint = new QLabel(QStringLiteral("Choose \"Min\" when the animation script is already in the document, "
                                     "else \"Max\"."),
                      this);
    Hint->setObjectName(QStringLiteral("Hint"));
    Hint->setWordWrap(true);
    grid_->addWidget(Hint, grid_->rowCount(), 0, 1, 2);
    auto *row = new QHBoxLayout;
    Min = new QRadioButton(QStringLiteral("M&in"), this);
    Min->setObjectName(QStringLiteral("Min"));
    Max = new QRadioButton(QStringLiteral("M&ax"), this);
    Max->setObjectName(QStringLiteral("Max"));
    row->addWidget(Min);
    row->addWidget(Max);
    row->addStretch(1);
    grid_->addLayout(row, grid_->rowCount(), 0, 1, 2);
    FinishLoading();
}

QString TAnimation::Build() const
{
    const QString paragraph = TEngineDialog::Build();
    // The script starts the animation when the page has loaded: the page keeps its one BODY start tag.
    if (Max->isChecked())
        return paragraph + DataText(QStringLiteral("Animation"));
    if (Min->isChecked())
        return paragraph;
    return QString();
}

bool TAnimation::OkAllowed()
{
    if (Min->isChecked() || Max->isChecked())
        return true;
    platform::MessageBox(this, QStringLiteral("Choose \"Min\" or \"Max\" first."), windowTitle(),
                         platform::MB_OK | platform::MB_ICONINFORMATION);
    return false;
}

} // namespace dialogs
