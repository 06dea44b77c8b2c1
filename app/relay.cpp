#include "relay.h"

namespace app {

TRelay::TRelay(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

void TRelay::SetText(const QString &text)
{
    if (text == text_)
        return;
    text_ = text;
    if (OnChange)
        OnChange(this);
}

void TRelay::SetLines(const QStringList &lines)
{
    SetText(lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

QStringList TRelay::Lines() const
{
    if (text_.isEmpty())
        return {};
    QString t = text_;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

THiddenButton::THiddenButton(const QString &name, QWidget *parent) : QPushButton(name, parent)
{
    setObjectName(name);
    hide();
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}

} // namespace app
