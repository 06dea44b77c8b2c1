#pragma once
// A label that acts as a link: it takes another colour while the mouse is over it and after its first
// click, and a click opens a mail, web, FTP or file address through the shell, or raises RunEvent.
#include "platform/form.h"

#include <QColor>
#include <QLabel>
#include <QString>

namespace zel {

enum TZELCommand { runNothing, runMAIL, runURL, runFTP, runFILE, runEVENT };

// What a command puts before the address: "", "mailto:", "http://", "ftp://", "file:" and "event".
QString CommandPrefix(TZELCommand command);

class TZELCommandLabel : public QLabel, public platform::Loadable {
    Q_OBJECT
public:
    explicit TZELCommandLabel(QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString &value) { setText(value); }
    TZELCommand Command() const { return command_; }
    void SetCommand(TZELCommand value) { command_ = value; }
    // The address a click opens. The command's prefix goes before it unless the Caption begins with that
    // prefix, or the address begins with it or, for web and FTP addresses, with a scheme of its own.
    QString CaptionValue() const { return captionValue_; }
    void SetCaptionValue(const QString &value) { captionValue_ = value; }
    QColor FollowedColor() const { return followedColor_; }
    void SetFollowedColor(const QColor &value) { followedColor_ = value; }
    QColor MoveOverColor() const { return moveOverColor_; }
    void SetMoveOverColor(const QColor &value) { moveOverColor_ = value; }

    QColor FontColor() const;
    void SetFontColor(const QColor &value);
    // The font colour the form was loaded with: the colour before the first click.
    QColor NormalColor() const { return normalColor_; }
    bool Followed() const { return followed_; }
    bool Pressed() const { return pressed_; }
    bool Inside() const { return inside_; }

    // What a click hands to the shell: the prefix and CaptionValue; empty when the click raises RunEvent
    // (runEVENT, unless the Caption begins with "event": then CaptionValue is opened as it stands).
    QString Address() const;

    platform::TNotifyEvent RunEvent;
    // A left press and release inside the label, after what the press opened; or Click() called.
    platform::TNotifyEvent OnClick;
    // Fires OnClick when the label is enabled.
    void Click();

    void Loaded() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString EffectivePrefix() const;
    bool RaisesEvent() const;

    TZELCommand command_ = runURL;
    QColor followedColor_;
    QColor normalColor_;
    QColor moveOverColor_;
    bool followed_ = false;
    bool pressed_ = false;
    bool inside_ = false;
    QString captionValue_;
};

} // namespace zel
