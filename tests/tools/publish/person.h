#pragma once
// Answers the modal windows of the publishing tools the way a person would: each step gets the active
// modal window and says whether it dealt with it (else it is asked again on the next look).
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

namespace k5test {

class Person {
public:
    using Step = std::function<bool(QWidget *)>;
    Person()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(20);
    }
    Person &Then(Step step)
    {
        steps_.push_back(std::move(step));
        return *this;
    }
    // Clicks the button that reads `button` (without its "&") in a message box or a dialog's button box,
    // remembering a message box's text.
    Person &Click(const QString &button)
    {
        return Then([this, button](QWidget *w) {
            if (auto *box = qobject_cast<QMessageBox *>(w))
                texts << box->text();
            for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
                if (b->isVisible() && b->text().remove(QLatin1Char('&')) == button) {
                    QTest::mouseClick(b, Qt::LeftButton);
                    return true;
                }
            }
            if (qobject_cast<QMessageBox *>(w))
                texts.removeLast();
            return false;
        });
    }
    // Types a path into a file dialog's name box and presses Enter.
    Person &TypeFileName(const QString &path)
    {
        return Then([path](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            auto *edit = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
            if (!edit || !edit->isVisible())
                return false;
            edit->setFocus();
            edit->setText(path);
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        });
    }
    // Replaces the text of an input box with `text` key by key, remembering what it offered first.
    Person &TypeInput(const QString &text)
    {
        return Then([this, text](QWidget *w) {
            auto *dialog = qobject_cast<QInputDialog *>(w);
            auto *edit = dialog ? dialog->findChild<QLineEdit *>() : nullptr;
            if (!edit || !edit->isVisible())
                return false;
            texts << edit->text();
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, text);
            return true;
        });
    }
    // Presses Escape in the active modal window.
    Person &Escape()
    {
        return Then([](QWidget *w) {
            QTest::keyClick(w, Qt::Key_Escape);
            return true;
        });
    }
    bool Done() const { return steps_.empty(); }
    QStringList texts;

private:
    void Look()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || steps_.empty())
            return;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        if (!step(w))
            steps_.push_front(std::move(step));
    }
    std::deque<Step> steps_;
    QTimer timer_;
};

// Lets the event loop finish what the windows left, deferred deletions included.
inline void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace k5test
