#pragma once
// Helpers shared by the application's tests.
#include "app/editform.h"
#include "app/frameform.h"
#include "textcontrol/rilomemo.h"
#include "k5test.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>
#include <functional>

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

// The shared answerer of real dialogs and the pause between two user actions.
using k5test::Settle;
using k5test::User;

} // namespace apptest
