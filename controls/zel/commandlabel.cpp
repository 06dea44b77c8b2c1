#include "commandlabel.h"

#include "platform/shell/shell.h"

#include <QMouseEvent>
#include <QRegularExpression>

namespace zel {

QString CommandPrefix(TZELCommand command)
{
    switch (command) {
    case runMAIL: return QStringLiteral("mailto:");
    case runURL: return QStringLiteral("http://");
    case runFTP: return QStringLiteral("ftp://");
    case runFILE: return QStringLiteral("file:");
    case runEVENT: return QStringLiteral("event");
    case runNothing: break;
    }
    return {};
}

TZELCommandLabel::TZELCommandLabel(QWidget *parent)
    : QLabel(parent), followedColor_(0x80, 0, 0x80), normalColor_(0, 0, 0xFF), moveOverColor_(0xFF, 0, 0),
      captionValue_(QStringLiteral("www.example.com"))
{
    setObjectName(QStringLiteral("ZELCommandLabel"));
    setText(QStringLiteral("ZEL controls"));
    QFont f = font();
    f.setPointSize(10);
    f.setUnderline(true);
    setFont(f);
    SetFontColor(normalColor_);
}

QColor TZELCommandLabel::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TZELCommandLabel::SetFontColor(const QColor &value)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, value);
    setPalette(p);
}

void TZELCommandLabel::Loaded()
{
    normalColor_ = FontColor();
}

QString TZELCommandLabel::EffectivePrefix() const
{
    // A caption that shows the prefix itself says the address needs none.
    const QString prefix = CommandPrefix(command_);
    return text().startsWith(prefix) ? QString() : prefix;
}

bool TZELCommandLabel::RaisesEvent() const
{
    return EffectivePrefix() == QLatin1String("event");
}

QString TZELCommandLabel::Address() const
{
    if (RaisesEvent())
        return {};
    const QString prefix = EffectivePrefix();
    if (prefix.isEmpty())
        return captionValue_;
    // An address that already carries its scheme keeps it once.
    if (captionValue_.startsWith(prefix, Qt::CaseInsensitive))
        return captionValue_;
    // A web or FTP address may name another scheme ("https://", "sftp://"); "host:8080" is a port, not one.
    if (command_ == runURL || command_ == runFTP) {
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d)"));
        if (scheme.match(captionValue_).hasMatch())
            return captionValue_;
    }
    return prefix + captionValue_;
}

void TZELCommandLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QLabel::mousePressEvent(event);
    pressed_ = true;
    inside_ = true;
    SetFontColor(normalColor_);
    followed_ = true;
    QLabel::mousePressEvent(event);
    if (RaisesEvent()) {
        if (RunEvent)
            RunEvent(this);
        return;
    }
    platform::OpenWithShellOrSay(window(), Address());
}

void TZELCommandLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return QLabel::mouseReleaseEvent(event);
    pressed_ = false;
    inside_ = false;
    SetFontColor(followedColor_);
    QLabel::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()))
        Click();
}

void TZELCommandLabel::Click()
{
    if (isEnabled() && OnClick)
        OnClick(this);
}

void TZELCommandLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    inside_ = true;
    SetFontColor(moveOverColor_);
}

void TZELCommandLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    inside_ = false;
    SetFontColor(followed_ ? followedColor_ : normalColor_);
}

} // namespace zel
