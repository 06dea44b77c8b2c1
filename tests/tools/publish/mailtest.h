#pragma once
// Shared by the mail tests: a mail account on the local SMTP server, and a hand that works the real
// modal windows the mail tools show, one queued action per window.
#include "k5smtpserver.h"
#include "platform/mail/mailaccount.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>

namespace k5test {

inline void UseMailServer(quint16 port, const QString &user = QString(), const QString &password = QString())
{
    platform::MailAccount a;
    a.name = QStringLiteral("Test");
    a.sender = QStringLiteral("Me <me@example.org>");
    a.server.host = QStringLiteral("127.0.0.1");
    a.server.port = port;
    a.server.user = user;
    a.server.password = password;
    a.server.connectTimeoutMs = 5000;
    QVERIFY(platform::SaveMailAccount(a));
    platform::SetDefaultMailAccount(a.name);
}

// Each action gets the active modal window and returns false to be offered the next one again.
class ModalHand {
public:
    using Action = std::function<bool(QWidget *)>;
    ModalHand()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || !w->isVisible() || actions_.empty())
                return;
            Action a = std::move(actions_.front());
            actions_.pop_front();
            if (!a(w))
                actions_.push_front(std::move(a));
        });
        timer_.start(15);
    }
    ModalHand &Then(Action a)
    {
        actions_.push_back(std::move(a));
        return *this;
    }
    // Clicks the visible button reading `text` (without "&"); a message box's text is kept in Seen.
    ModalHand &Click(const QString &text)
    {
        return Then([this, text](QWidget *w) {
            for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
                if (b->isVisible() && b->isEnabled() && b->text().remove(QLatin1Char('&')) == text) {
                    if (auto *box = qobject_cast<QMessageBox *>(w))
                        Seen << box->text();
                    QTest::mouseClick(b, Qt::LeftButton);
                    return true;
                }
            return false;
        });
    }
    // Types into the line edit that `pick` chooses from the window.
    ModalHand &Type(std::function<QLineEdit *(QWidget *)> pick, const QString &text)
    {
        return Then([pick, text](QWidget *w) {
            QLineEdit *e = pick(w);
            if (!e)
                return false;
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, text);
            return true;
        });
    }
    bool Done() const { return actions_.empty(); }
    QStringList Seen;

private:
    std::deque<Action> actions_;
    QTimer timer_;
};

inline void FlushEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace k5test
