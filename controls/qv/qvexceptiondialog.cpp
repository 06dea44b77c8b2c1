#include "qvexceptiondialog.h"

#include "controls/qv/qvlabel.h"
#include "controls/qv/qvthrowsite.h"
#include "platform/dialogs.h"
#include "platform/error.h"

#include <QApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>
#include <cstdlib>
#include <cxxabi.h>
#include <dlfcn.h>
#include <system_error>
#include <typeinfo>

namespace qv {

namespace {

constexpr int kWidth = 380;
constexpr int kBasicHeight = 92;
constexpr int kDetailsHeight = 160;
constexpr quintptr kProgramBase = 0x1000;
const QString kCrLf = QStringLiteral("\r\n");

QString demangled(const char *name)
{
    int status = 0;
    char *plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    const QString result = QString::fromLatin1(status == 0 && plain ? plain : name);
    std::free(plain);
    return result;
}

QString programName()
{
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                      : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(path).fileName();
}

// An exception from another thread, as it reaches the handler on the dialog's thread.
class HandedOver : public platform::Error {
public:
    using Error::Error;
};

QPointer<TQvErrorDialog> installed;

void removeInstalled()
{
    delete installed;
}

QWidget *panel(const char *name, QWidget *parent)
{
    auto *w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

TErrorInfo CaptureError(const std::exception &e)
{
    TErrorInfo info;
    const auto *err = dynamic_cast<const platform::Error *>(&e);
    info.message = err ? err->message() : QString::fromUtf8(e.what());
    info.className = demangled(typeid(e).name());
    info.address = reinterpret_cast<quintptr>(ThrowAddress(e));
    if (const auto *system = dynamic_cast<const std::system_error *>(&e))
        info.errorCode = system->code().value();
    info.helpContext = ErrorHelpContext();
    return info;
}

int &ErrorHelpContext()
{
    static int context = 0;
    return context;
}

std::function<void(int context)> &ApplicationHelp()
{
    static std::function<void(int)> help;
    return help;
}

TModuleAddress LocateAddress(quintptr address)
{
    Dl_info dl{};
    if (address && dladdr(reinterpret_cast<const void *>(address), &dl) && dl.dli_fbase) {
        const QString module = QFileInfo(QString::fromLocal8Bit(dl.dli_fname ? dl.dli_fname : "")).fileName();
        return {module.isEmpty() ? programName() : module, address - reinterpret_cast<quintptr>(dl.dli_fbase)};
    }
    return {programName(), address - kProgramBase};
}

QString FormatAddress(quintptr address)
{
    return QStringLiteral("%1").arg(quint64(address), int(sizeof(void *) * 2), 16, QLatin1Char('0')).toUpper();
}

QString ErrorHeadline(const QString &message)
{
    QString text = platform::Punctuated(message.trimmed());
    const qsizetype lineEnd = text.indexOf(kCrLf);
    if (lineEnd >= 0)
        text.truncate(lineEnd);
    return text;
}

QString ErrorDetails(const TErrorInfo &error, const QString &module)
{
    QString message = error.message.trimmed();
    if (!message.contains(kCrLf))
        message.replace(QLatin1Char('\n'), kCrLf);
    QString text;
    if (error.errorCode) {
        const auto code = quint32(*error.errorCode);
        text = QStringLiteral("%1.\r\nError Code: %2 (%3).")
                   .arg(message, QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')), QString::number(*error.errorCode));
    } else {
        text = platform::Punctuated(message);
    }
    return QStringLiteral("Exception in module %1.\r\n%2").arg(module, text);
}

QString PlainErrorText(const QString &message)
{
    return platform::Punctuated(message.trimmed());
}

// ---- the dialog ----

TQvErrorDialog::TQvErrorDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("QvErrorDialog"));
    setWindowTitle(QStringLiteral("Error"));
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    setWindowIcon(icon);

    BasicPanel = panel("BasicPanel", this);
    BasicPanel->setFixedWidth(kWidth);
    BasicPanel->setMinimumHeight(kBasicHeight);
    IconPanel = panel("IconPanel", BasicPanel);
    IconPanel->setFixedWidth(56);
    IconImage = new QLabel(IconPanel);
    IconImage->setObjectName(QStringLiteral("IconImage"));
    IconImage->setPixmap(icon.pixmap(32, 32));
    IconImage->setGeometry(12, 12, 32, 32);
    TopPanel = panel("TopPanel", BasicPanel);
    TopPanel->setFixedHeight(12);
    BottomPanel = panel("BottomPanel", BasicPanel);
    BottomPanel->setFixedHeight(12);
    RightPanel = panel("RightPanel", BasicPanel);
    RightPanel->setFixedWidth(8);
    ErrorText = new QLabel(BasicPanel);
    ErrorText->setObjectName(QStringLiteral("ErrorText"));
    ErrorText->setTextFormat(Qt::PlainText); // a message is never markup
    ErrorText->setWordWrap(true);
    ErrorText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ButtonPanel = panel("ButtonPanel", BasicPanel);
    OKBtn = new QPushButton(QStringLiteral("OK"), ButtonPanel);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    DetailsBtn = new QPushButton(ButtonPanel);
    DetailsBtn->setObjectName(QStringLiteral("DetailsBtn"));
    auto *buttons = new QVBoxLayout(ButtonPanel);
    buttons->setContentsMargins(0, 12, 12, 12);
    buttons->addWidget(OKBtn);
    buttons->addWidget(DetailsBtn);
    buttons->addStretch();

    auto *textColumn = new QVBoxLayout;
    textColumn->setSpacing(0);
    textColumn->addWidget(TopPanel);
    textColumn->addWidget(ErrorText, 1);
    textColumn->addWidget(BottomPanel);
    auto *basic = new QHBoxLayout(BasicPanel);
    basic->setContentsMargins(0, 0, 0, 0);
    basic->setSpacing(0);
    basic->addWidget(IconPanel);
    basic->addLayout(textColumn, 1);
    basic->addWidget(RightPanel);
    basic->addWidget(ButtonPanel);

    DetailsPanel = panel("DetailsPanel", this);
    DetailsPanel->setFixedSize(kWidth, kDetailsHeight);
    AddrLabel = new TQvLabel(DetailsPanel);
    AddrLabel->setObjectName(QStringLiteral("AddrLabel"));
    TypeLabel = new TQvLabel(DetailsPanel);
    TypeLabel->setObjectName(QStringLiteral("TypeLabel"));
    for (TQvLabel *label : {AddrLabel, TypeLabel}) {
        label->SetAutoSize(false);
        label->SetAlignment(taRightJustify);
        label->SetLayout(tlCenter);
    }
    AddrLabel->SetCaption(QStringLiteral("Error address: "));
    TypeLabel->SetCaption(QStringLiteral("Error Type: "));
    ErrorAddress = new QLineEdit(DetailsPanel);
    ErrorAddress->setObjectName(QStringLiteral("ErrorAddress"));
    ErrorType = new QLineEdit(DetailsPanel);
    ErrorType->setObjectName(QStringLiteral("ErrorType"));
    for (QLineEdit *edit : {ErrorAddress, ErrorType})
        edit->setReadOnly(true);
    AddrLabel->SetFocusControl(ErrorAddress);
    TypeLabel->SetFocusControl(ErrorType);
    MessageText = new QPlainTextEdit(DetailsPanel);
    MessageText->setObjectName(QStringLiteral("MessageText"));
    MessageText->setReadOnly(true);
    auto *details = new QGridLayout(DetailsPanel);
    details->setContentsMargins(12, 0, 12, 12);
    details->addWidget(AddrLabel, 0, 0);
    details->addWidget(ErrorAddress, 0, 1);
    details->addWidget(TypeLabel, 1, 0);
    details->addWidget(ErrorType, 1, 1);
    details->addWidget(MessageText, 2, 0, 1, 2);

    auto *form = new QVBoxLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->setSpacing(0);
    form->setSizeConstraint(QLayout::SetFixedSize);
    form->addWidget(BasicPanel);
    form->addWidget(DetailsPanel);

    detailsHeight_ = DetailsPanel->height();
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(DetailsBtn, &QPushButton::clicked, this, [this] { DetailsBtnClick(); });
    showDetails(false);

    previous_ = platform::Application::CurrentExceptionHandler();
    platform::Application::SetExceptionHandler([this](const std::exception &e) { HandleException(e); });
}

TQvErrorDialog::~TQvErrorDialog()
{
    platform::Application::SetExceptionHandler(previous_);
}

void TQvErrorDialog::HandleException(const std::exception &e)
{
    if (dynamic_cast<const platform::Abort *>(&e))
        return;
    const TErrorInfo info = CaptureError(e);
    if (QThread::currentThread() != thread()) {
        // The exception object dies with the throwing thread's handler; what is known of it travels.
        QMetaObject::invokeMethod(
            this, [this, info] { report(HandedOver(info.message), info); }, Qt::QueuedConnection);
        return;
    }
    report(e, info);
}

void TQvErrorDialog::report(const std::exception &e, const TErrorInfo &info)
{
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    if (previous_) {
        previous_(e);
        return;
    }
    if (!shown_ && !QCoreApplication::closingDown()) {
        shown_ = info;
        // Above the window the user is in and modal to it, and free of it again afterwards: that window may
        // go while the dialog stays for the next exception.
        QPointer<TQvErrorDialog> self(this);
        const auto done = qScopeGuard([self] {
            if (!self)
                return;
            self->shown_.reset();
            if (self->parentWidget())
                self->setParent(nullptr, self->windowFlags());
        });
        if (QWidget *over = platform::MessageParent(); over && over != this)
            setParent(over, windowFlags());
        FormShow();
        platform::ShowModal(this);
        return;
    }
    platform::MessageBox(nullptr, PlainErrorText(info.message), platform::ApplicationTitle(),
                         platform::MB_OK | platform::MB_ICONERROR);
}

void TQvErrorDialog::FormShow()
{
    QString text = ErrorHeadline(shown_->message);
    if (OnErrorMsg)
        OnErrorMsg(this, *shown_, text);
    ErrorText->setText(text);
    helpContext_ = shown_->helpContext;
    // The title bar offers help exactly when there is some.
    setWindowFlag(Qt::WindowContextHelpButtonHint, helpContext_ != 0);
    showDetails(false);
    DetailsBtn->setEnabled(true);
    OKBtn->setFocus();
}

void TQvErrorDialog::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && helpContext_ != 0 && ApplicationHelp()) {
        ApplicationHelp()(helpContext_);
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void TQvErrorDialog::DetailsBtnClick()
{
    showDetails(!detailsShown_);
}

void TQvErrorDialog::showDetails(bool show)
{
    detailsShown_ = show;
    DetailsPanel->setVisible(show);
    DetailsPanel->setEnabled(show);
    DetailsBtn->setText(show ? QStringLiteral("<< &Details") : QStringLiteral("&Details >>"));
    if (show)
        fillDetails();
}

void TQvErrorDialog::fillDetails()
{
    const TErrorInfo info = shown_.value_or(TErrorInfo{});
    const TModuleAddress where = LocateAddress(info.address);
    ErrorAddress->setText(FormatAddress(where.address));
    ErrorAddress->setEnabled(info.address != 0);
    ErrorType->setText(info.className);
    AddrLabel->setEnabled(!ErrorAddress->text().isEmpty());
    TypeLabel->setEnabled(!ErrorType->text().isEmpty());
    MessageText->setPlainText(ErrorDetails(info, where.module));
}

TQvErrorDialog *InstallExceptionDialog()
{
    static const bool cleanupAdded = [] {
        qAddPostRoutine(removeInstalled);
        return true;
    }();
    Q_UNUSED(cleanupAdded);
    delete installed; // gives back the handler it stood in front of
    installed = new TQvErrorDialog;
    return installed;
}

TQvErrorDialog *ExceptionDialog()
{
    return installed;
}

} // namespace qv
