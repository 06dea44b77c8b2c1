#include "startdialog.h"

#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace assistants {

TStartup::TStartup(QWidget *parent) : FormOf<QDialog>(parent)
{
    setObjectName(QStringLiteral("Startup"));
    setWindowTitle(QStringLiteral("Kestrova 5"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    setMinimumWidth(260); // the caption stays whole in the title bar
    auto *layout = new QVBoxLayout(this);
    Header = new QLabel(QStringLiteral("WELCOME"), this);
    Header->setObjectName(QStringLiteral("Header"));
    QFont big = Header->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Header->setFont(big);
    Header->setAlignment(Qt::AlignCenter);
    Header->setAutoFillBackground(true);
    Header->setStyleSheet(QStringLiteral("QLabel { background: #000080; color: white; padding: 8px; }"));
    layout->addWidget(Header);
    auto radio = [this, layout](const QString &caption) {
        auto *r = new QRadioButton(caption, this);
        r->setObjectName(caption);
        layout->addWidget(r);
        return r;
    };
    BlankDocument = radio(QStringLiteral("Blank Document..."));
    Templates = radio(QStringLiteral("Templates..."));
    QuickStart = radio(QStringLiteral("Quick Start..."));
    OpenFile = radio(QStringLiteral("Open File..."));
    SharedBorder = radio(QStringLiteral("Shared Border"));
    Theme = radio(QStringLiteral("Theme..."));
    BlankDocument->setChecked(true);
    Continue = new QPushButton(QStringLiteral("Continue..."), this);
    Continue->setObjectName(QStringLiteral("Continue..."));
    Continue->setDefault(true);
    layout->addWidget(Continue, 0, Qt::AlignRight);
    connect(Continue, &QPushButton::clicked, this, &TStartup::ContinueClick);
    FinishLoading();
}

void TStartup::showEvent(QShowEvent *event)
{
    const QList<QPair<QRadioButton *, std::function<void()> *>> ways = {
        {BlankDocument, &OnBlankDocument}, {Templates, &OnTemplates}, {QuickStart, &OnQuickStart},
        {OpenFile, &OnOpenFile},           {SharedBorder, &OnSharedBorder}, {Theme, &OnTheme}};
    for (const auto &[button, handler] : ways) {
        button->setEnabled(bool(*handler));
        if (!*handler && button->isChecked())
            BlankDocument->setChecked(true);
    }
    QDialog::showEvent(event);
}

void TStartup::ContinueClick()
{
    std::function<void()> chosen;
    const QList<QPair<QRadioButton *, std::function<void()> *>> order = {
        {Templates, &OnTemplates}, {QuickStart, &OnQuickStart}, {SharedBorder, &OnSharedBorder},
        {BlankDocument, &OnBlankDocument}, {OpenFile, &OnOpenFile}, {Theme, &OnTheme}};
    for (const auto &[button, handler] : order)
        if (button->isChecked() && button->isEnabled()) {
            chosen = *handler;
            break;
        }
    // Out of the way first: it stays on top, and the chosen way may open a modal window.
    QPointer<TStartup> self(this);
    hide();
    if (chosen)
        chosen();
    if (self)
        close();
}

} // namespace assistants
