#include "unit_excharacters.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QTextDocumentFragment>

namespace dialogs {

QStringList ExtendedCharacterTexts()
{
    return {QStringLiteral("&quot;"),  QStringLiteral("&reg;"),    QStringLiteral("&copy;"),   QStringLiteral("<SUP>tm</SUP>"),
            QStringLiteral("&Agrave;"), QStringLiteral("&Aacute;"), QStringLiteral("&Acirc;"),  QStringLiteral("&Atilde;"),
            QStringLiteral("&Auml;"),   QStringLiteral("&Aring;"),  QStringLiteral("&AElig;"),  QStringLiteral("&Ccedil;"),
            QStringLiteral("&Egrave;"), QStringLiteral("&Eacute;"), QStringLiteral("&Ecirc;"),  QStringLiteral("&Euml;"),
            QStringLiteral("&Igrave;"), QStringLiteral("&Iacute;"), QStringLiteral("&Icirc;"),  QStringLiteral("&Iuml;"),
            QStringLiteral("&ETH;"),    QStringLiteral("&Ntilde;"), QStringLiteral("&Ograve;"), QStringLiteral("&Oacute;"),
            QStringLiteral("&Ocirc;"),  QStringLiteral("&Otilde;"), QStringLiteral("&Ouml;"),   QStringLiteral("&Oslash;"),
            QStringLiteral("&Uacute;"), QStringLiteral("&Ugrave;"), QStringLiteral("&Ucirc;"),  QStringLiteral("&Uuml;"),
            QStringLiteral("&Yacute;"), QStringLiteral("&THORN;"),  QStringLiteral("&szlig;"),  QStringLiteral("&aacute;"),
            QStringLiteral("&agrave;"), QStringLiteral("&acirc;"),  QStringLiteral("&atilde;"), QStringLiteral("&auml;"),
            QStringLiteral("&aring;"),  QStringLiteral("&aelig;"),  QStringLiteral("&ccedil;"), QStringLiteral("&eacute;"),
            QStringLiteral("&egrave;"), QStringLiteral("&ecirc;"),  QStringLiteral("&euml;"),   QStringLiteral("&igrave;"),
            QStringLiteral("&iacute;"), QStringLiteral("&iuml;"),   QStringLiteral("&eth;"),    QStringLiteral("&ntilde;"),
            QStringLiteral("&oacute;"), QStringLiteral("&ograve;"), QStringLiteral("&otilde;"), QStringLiteral("&ocirc;"),
            QStringLiteral("&ouml;"),   QStringLiteral("&oslash;"), QStringLiteral("&ugrave;"), QStringLiteral("&uacute;"),
            QStringLiteral("&ucirc;"),  QStringLiteral("&uuml;"),   QStringLiteral("&yacute;"), QStringLiteral("&thorn;"),
            QStringLiteral("&yuml;")};
}

TExCharacters::TExCharacters(const TDialogDesc &desc, QWidget *parent) : TEngineDialog(desc, parent, false)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    Edit1 = qobject_cast<QLineEdit *>(Field(QStringLiteral("Edit1")));
    auto *buttons = new QGridLayout;
    buttons->setSpacing(2);
    const QStringList texts = ExtendedCharacterTexts();
    for (int i = 0; i < texts.size(); ++i) {
        const QString text = texts.at(i);
        // The button shows the character the entity stands for.
        const QString shown = text.startsWith(QLatin1Char('&')) ? QTextDocumentFragment::fromHtml(text).toPlainText()
                                                                 : QStringLiteral("\u2122");
        auto *b = new QPushButton(shown, this);
        b->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
        b->setToolTip(text);
        b->setFixedSize(28, 26);
        b->setAutoDefault(false);
        buttons->addWidget(b, i / 13, i % 13);
        connect(b, &QPushButton::clicked, this, [this, text] { Edit1->setText(text); });
        SpeedButtons << b;
    }
    grid_->addLayout(buttons, grid_->rowCount(), 0, 1, 2);
    FinishLoading();
}

} // namespace dialogs
