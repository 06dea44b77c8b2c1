#pragma once
// The main window's hidden hand-over controls: relays that hold text exactly (CR LF kept) and fire their
// change handler when the text changes, and buttons that other windows click.
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <functional>

namespace app {

using TNotifyEvent = std::function<void(QObject *sender)>;

// A hidden memo or edit. Setting the same text again changes nothing and fires nothing.
class TRelay : public QObject {
public:
    TRelay(const QString &name, QObject *parent);
    const QString &Text() const { return text_; }
    void SetText(const QString &text);
    void Clear() { SetText(QString()); }
    // Lines joined with CR LF, as a memo's Lines.Text gives them.
    void SetLines(const QStringList &lines);
    QStringList Lines() const;
    TNotifyEvent OnChange;

private:
    QString text_;
};

// A button that is never shown: its click runs OnClick.
class THiddenButton : public QPushButton {
public:
    THiddenButton(const QString &name, QWidget *parent);
    TNotifyEvent OnClick;
};

} // namespace app
