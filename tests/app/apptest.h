#pragma once
// Helpers shared by the application's tests.
#include "app/editform.h"
#include "app/frameform.h"
#include "textcontrol/rilomemo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <deque>
#include <QTest>
#include <QTimer>

namespace apptest {

// Answers the next file dialog with this path.
inline std::function<int(QDialog *)> ChooseFile(const QString &path)
{
    return [path](QDialog *d) {
        if (auto *fd = qobject_cast<QFileDialog *>(d)) {
            fd->selectFile(path);
            return int(platform::mrOk);
        }
        return int(platform::mrCancel);
    };
}

// Closes every document without questions.
inline void CloseAll(app::TFrameForm &frame)
{
    for (app::TEditForm *doc : frame.EditForms()) {
        doc->SetModified(false);
        doc->Frame()->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Lets the event loop run, deferred deletions included, as it does between two user actions.
inline void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Answers the real modal windows that come up, one step per window in order, the way a user does: from
// the event loop while the window runs its own. Nothing is answered through the program's seams; no
// window is left waiting for ever.
class User : public QObject {
public:
    // Handles the active modal window; false when it is not the window this step expects.
    using Step = std::function<bool(QWidget *modal)>;

    User()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    User &Then(Step step)
    {
        steps_.push_back(std::move(step));
        return *this;
    }
    // Clicks the button with this text ("&Yes", "&No", "Cancel", "OK") on a message box.
    User &Click(const QString &button)
    {
        return Then([this, button](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box)
                return false;
            for (QAbstractButton *b : box->buttons()) {
                if (b->text() == button) {
                    Texts << box->text();
                    QTest::mouseClick(b, Qt::LeftButton);
                    return true;
                }
            }
            return false;
        });
    }
    // Puts a path into a file dialog's name box and presses Enter.
    User &TypeFileName(const QString &path)
    {
        return Then([path](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            auto *edit = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
            if (!edit || !edit->isVisible())
                return false;
            // Pasted rather than typed: the completion list that typing opens would take the Return.
            edit->setFocus();
            edit->setText(path);
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        });
    }
    bool Done() const { return steps_.empty(); }
    // The texts of the message boxes answered; a box that no step expected is answered with its escape
    // button and noted as "unexpected: " and its text.
    QStringList Texts;

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible())
            return;
        if (steps_.empty()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (box && box->escapeButton()) {
                Texts << QStringLiteral("unexpected: ") + box->text();
                QTest::mouseClick(box->escapeButton(), Qt::LeftButton);
            } else if (auto *dialog = qobject_cast<QDialog *>(w)) {
                Texts << QStringLiteral("unexpected: ") + dialog->windowTitle();
                dialog->reject();
            }
            return;
        }
        // Taken first: an answer may bring up a further window, which the next step answers.
        Step step = std::move(steps_.front());
        steps_.pop_front();
        if (!step(w))
            steps_.push_front(std::move(step));
    }
    std::deque<Step> steps_;
    QTimer timer_;
};

} // namespace apptest
