#pragma once
// The dialog that shows an exception nothing else caught: its message, and on request where it was
// thrown (the module and the address within it), its class and its full text.
#include <QDialog>
#include <QString>
#include <exception>
#include <functional>
#include <optional>

#include "platform/application.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class TQvLabel;

// What is known of an exception, taken where it is caught, so it can be shown on another thread.
struct TErrorInfo {
    QString message;     // the exception's own text
    QString className;   // its class, with namespaces
    quintptr address = 0; // the code that threw it; 0 when unknown
    std::optional<int> errorCode; // the system's error number, for system errors
    int helpContext = 0; // the help topic F1 shows; 0 for none
};
TErrorInfo CaptureError(const std::exception &e);

// The help topic the program gives the exceptions it shows (0, the default: none, and F1 does nothing).
int &ErrorHelpContext();
// Shows the program's help on a topic; F1 in the dialog calls it. The program sets it.
std::function<void(int context)> &ApplicationHelp();

// Where a code address lies: the module's file name and the address relative to the module's start;
// outside every module, the program and the address 0x1000 lower.
struct TModuleAddress {
    QString module;
    quintptr address = 0;
};
TModuleAddress LocateAddress(quintptr address);

// An address as the dialog writes it: upper-case hexadecimal, as wide as a pointer.
QString FormatAddress(quintptr address);
// The line shown above the details: the trimmed message with "." added, cut at its first CR LF.
QString ErrorHeadline(const QString &message);
// The text of the details: "Exception in module %s.\r\n" and the message in its form for the class.
QString ErrorDetails(const TErrorInfo &error, const QString &module);
// The plain message box's text, for an exception while the dialog is up or the program is ending.
QString PlainErrorText(const QString &message);

// Lets a handler change the line shown for an exception.
using TErrorMsgEvent = std::function<void(QObject *sender, const TErrorInfo &error, QString &text)>;

class TQvErrorDialog : public QDialog {
    Q_OBJECT
public:
    // Puts its handler in front of the application's current one; the destructor puts that one back.
    explicit TQvErrorDialog(QWidget *parent = nullptr);
    ~TQvErrorDialog() override;

    // The application's exception handler: hands exceptions from other threads to the dialog's thread,
    // leaves them to the handler installed before the dialog when there was one, else shows the dialog
    // (or the plain message box while it is showing one already or the program is ending). Aborts are
    // never shown.
    void HandleException(const std::exception &e);

    // The exception being shown, if any.
    const std::optional<TErrorInfo> &Shown() const { return shown_; }
    bool DetailsShown() const { return detailsShown_; }
    // The details panel's height when shown.
    int DetailsHeight() const { return detailsHeight_; }
    // The help topic of the exception shown (0 for none): F1 asks the program's help for it.
    int HelpContext() const { return helpContext_; }

    TErrorMsgEvent OnErrorMsg;

    QWidget *BasicPanel;
    QLabel *ErrorText;
    QWidget *IconPanel;
    QLabel *IconImage;
    QWidget *TopPanel;
    QWidget *RightPanel;
    QWidget *BottomPanel;
    QWidget *DetailsPanel;
    TQvLabel *AddrLabel;
    TQvLabel *TypeLabel;
    QPlainTextEdit *MessageText;
    QLineEdit *ErrorAddress;
    QLineEdit *ErrorType;
    QWidget *ButtonPanel;
    QPushButton *DetailsBtn;
    QPushButton *OKBtn;

protected:
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void report(const std::exception &e, const TErrorInfo &info);
    void FormShow();
    void DetailsBtnClick();
    void showDetails(bool show);
    void fillDetails();

    platform::ExceptionHandler previous_;
    std::optional<TErrorInfo> shown_;
    int detailsHeight_ = 0;
    bool detailsShown_ = false;
    int helpContext_ = 0;
};

// Creates the program's exception dialog (freeing one made before) and installs it as the handler of
// exceptions that escape event handlers; it lives until the application object ends.
TQvErrorDialog *InstallExceptionDialog();
// The installed dialog; null before InstallExceptionDialog.
TQvErrorDialog *ExceptionDialog();

} // namespace qv
