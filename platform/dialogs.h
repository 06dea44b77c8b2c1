#pragma once
// One seam for every message box and modal dialog, so that tests can answer them without blocking.
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

namespace platform {

// Button sets and icons: combine one of each.
enum MessageFlags : unsigned {
    MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200,
};

// Answers and modal results share one set of numbers, so a button's answer is the dialog's result.
enum ModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
    mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
    IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7,
};

struct MessageRequest {
    QString text;
    QString caption;
    unsigned flags = MB_OK;
    // The window the box stands above and is modal to (MessageParent); null when no window is shown.
    QWidget *parent = nullptr;
};

// The window a message goes above: the modal window the user is answering, else the window the user is in,
// else the window of `raiser` (the widget that raised it), else the main window; only shown windows count.
// A box over another window could be hidden by a window that stays on top, and would block it unseen.
QWidget *MessageParent(QWidget *raiser = nullptr);

// Shows a message box above MessageParent(raiser) and returns the button pressed.
int MessageBox(QWidget *raiser, const QString &text, const QString &caption, unsigned flags = MB_OK);
// A plain notice: the text with an OK button, captioned with the application title.
void ShowMessage(const QString &text);
// Runs a dialog modally and returns its result (QDialog::exec or what the answerer says).
int ShowModal(QDialog *dialog);

// Test seams: when set, they answer instead of a window being shown.
using MessageAnswerer = std::function<int(const MessageRequest &)>;
using ModalAnswerer = std::function<int(QDialog *)>;
void SetMessageAnswerer(MessageAnswerer answerer);
void SetModalAnswerer(ModalAnswerer answerer);
bool HasMessageAnswerer();

// The application title used as the default caption ("Kestrova 5" once the main window sets it).
QString ApplicationTitle();
void SetApplicationTitle(const QString &title);

} // namespace platform
