#include "unit_filter.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>

namespace dialogs {

QStringList FilterSpans()
{
    return {QStringLiteral(R"x(<SPAN STYLE="position:relative; width:30px; height:10px; filter:blur(Add=1,Direction=135,Strength=4)">)x"),
            QStringLiteral(R"x(<SPAN STYLE="position:relative; width:100%; height:30px; filter:wave(Add=0,Freq=3,LightStrength=20,Phase=25,Strength=4)">)x"),
            QStringLiteral(R"x(<SPAN STYLE="position:relative; width:100%; height:30px; filter:glow(Color=#ffcc00,Strength=4)">)x"),
            QStringLiteral(R"x(<SPAN STYLE="position:relative; width:50px; height:10px; filter:alpha(opacity=50)">)x"),
            QStringLiteral(R"x(<SPAN STYLE="position:relative; width:100%; height:30px; filter:dropshadow(Color=#808080,OffX=3,OffY=3,Positive=1)">)x"),
            QStringLiteral(R"x(<SPAN STYLE="position:relative; width:100%; height:30px; filter:fliph()">)x"),
            QStringLiteral(R"x(<SPAN STYLE="position:relative; width:100%; height:30px; filter:flipv()">)x"),
            QStringLiteral(R"x(<SPAN STYLE="position:relative; width:100%; height:30px; filter:xray()">)x")};
}

TFilter::TFilter(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    Text = qobject_cast<QLineEdit *>(Field(QStringLiteral("Text")));
    const char *const names[] = {"&Blur", "&Wave", "&Glow", "&Alpha", "&Drop Shadow", "Flip&H", "Flip&V", "&Spooky"};
    auto *box = new QGridLayout;
    for (int i = 0; i < 8; ++i) {
        auto *r = new QRadioButton(QString::fromLatin1(names[i]), this);
        r->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        box->addWidget(r, i % 4, i / 4);
        Effects << r;
    }
    Effects.first()->setChecked(true);
    grid_->addLayout(box, grid_->rowCount(), 0, 1, 2);
    FinishLoading();
}

int TFilter::checked() const
{
    for (int i = 0; i < Effects.size(); ++i)
        if (Effects.at(i)->isChecked())
            return i;
    return -1;
}

QString TFilter::Build() const
{
    const int i = checked();
    if (i < 0 || i > 3)
        return QString();
    return FilterSpans().at(i) + QStringLiteral("\r\n") + Text->text() + QStringLiteral("</SPAN>");
}

void TFilter::HandOverOwn()
{
    const QString own = OwnText();
    if (!own.isEmpty() && OnRelay)
        OnRelay(own);
}

QString TFilter::OwnText() const
{
    const int i = checked();
    if (i < 4)
        return QString();
    return FilterSpans().at(i) + QStringLiteral("\r\n") + Text->text() + QStringLiteral("</Span>");
}

} // namespace dialogs
