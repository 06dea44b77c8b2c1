#include "dialogs.h"

#include "form.h"

#include <QApplication>
#include <QPointer>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {

MessageAnswerer messageAnswerer;
ModalAnswerer modalAnswerer;
QString title = QStringLiteral("Kestrova 5");

struct ButtonSpec {
    QMessageBox::ButtonRole role;
    const char *text;
    int result;
};

QList<ButtonSpec> buttonsFor(unsigned flags)
{
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {{QMessageBox::AcceptRole, "OK", IDOK}, {QMessageBox::RejectRole, "Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::RejectRole, "&Abort", IDABORT}, {QMessageBox::AcceptRole, "&Retry", IDRETRY},
                {QMessageBox::AcceptRole, "&Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
        return {{QMessageBox::YesRole, "&Yes", IDYES}, {QMessageBox::NoRole, "&No", IDNO},
                {QMessageBox::RejectRole, "Cancel", IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::YesRole, "&Yes", IDYES}, {QMessageBox::NoRole, "&No", IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::AcceptRole, "&Retry", IDRETRY}, {QMessageBox::RejectRole, "Cancel", IDCANCEL}};
    default: return {{QMessageBox::AcceptRole, "OK", IDOK}};
    }
}

QWidget *shownWindow(QWidget *w)
{
    w = w ? w->window() : nullptr;
    return w && w->isVisible() ? w : nullptr;
}

// A window that stays on top hides whatever does not: while one is shown, a modal window must stay on top
// as well, or it waits for an answer behind it.
bool mustStayOnTop(const QWidget *dialog)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != dialog && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return true;
    return false;
}

} // namespace

QWidget *MessageParent(QWidget *raiser)
{
    if (QWidget *modal = shownWindow(QApplication::activeModalWidget()))
        return modal;
    if (QWidget *active = shownWindow(QApplication::activeWindow()))
        return active;
    if (QWidget *own = shownWindow(raiser))
        return own;
    return shownWindow(Form::MainForm() ? Form::MainForm()->Widget() : nullptr);
}

int MessageBox(QWidget *raiser, const QString &text, const QString &caption, unsigned flags)
{
    QWidget *parent = MessageParent(raiser);
    if (messageAnswerer)
        return messageAnswerer(MessageRequest{text, caption, flags, parent});
    // Watched: the window under it may go while it waits, and take the box with it.
    QPointer<QMessageBox> box = new QMessageBox(parent);
    box->setWindowTitle(caption.isEmpty() ? title : caption);
    // Messages quote names as the user typed them: "<b>" in a file name is no markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    switch (flags & 0xF0) {
    case MB_ICONERROR: box->setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box->setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box->setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box->setIcon(QMessageBox::Information); break;
    default: break;
    }
    const auto specs = buttonsFor(flags);
    QList<QPushButton *> buttons;
    for (const ButtonSpec &s : specs)
        buttons << box->addButton(QString::fromLatin1(s.text), s.role);
    const int def = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    if (def < buttons.size())
        box->setDefaultButton(buttons[def]);
    // Escape answers Cancel where there is one, else the only button.
    for (int i = 0; i < specs.size(); ++i)
        if (specs[i].result == IDCANCEL || specs.size() == 1)
            box->setEscapeButton(buttons[i]);
    // Set last: a change of modality gives the box its dialog flags anew.
    box->setWindowModality(Qt::ApplicationModal);
    if (mustStayOnTop(box))
        box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->exec();
    int result = (flags & 0xF) == MB_OK ? IDOK : IDCANCEL;
    if (!box)
        return result;
    for (int i = 0; i < buttons.size(); ++i)
        if (box->clickedButton() == buttons[i])
            result = specs[i].result;
    delete box;
    return result;
}

void ShowMessage(const QString &text)
{
    MessageBox(nullptr, text, title, MB_OK);
}

int ShowModal(QDialog *dialog)
{
    if (modalAnswerer)
        return modalAnswerer(dialog);
    // A window that stays on top (the tag chooser, a picker) would hide the modal window that waits for
    // the user: while one is shown, the modal window stays on top as well.
    const bool raise = !dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && mustStayOnTop(dialog);
    if (raise)
        dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QPointer<QDialog> guard(dialog);
    const int result = dialog->exec();
    if (raise && guard)
        guard->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    return result;
}

void SetMessageAnswerer(MessageAnswerer answerer)
{
    messageAnswerer = std::move(answerer);
}

void SetModalAnswerer(ModalAnswerer answerer)
{
    modalAnswerer = std::move(answerer);
}

bool HasMessageAnswerer()
{
    return bool(messageAnswerer);
}

QString ApplicationTitle()
{
    return title;
}

void SetApplicationTitle(const QString &t)
{
    title = t;
}

} // namespace platform
