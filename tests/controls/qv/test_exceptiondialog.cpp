#include "k5test.h"

#include "controls/qv/qvexceptiondialog.h"
#include "controls/qv/qvlabel.h"
#include "platform/error.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <deque>
#include <memory>
#include <stdexcept>
#include <system_error>

using namespace qv;

namespace {

// Throws from a place of its own, so the throw's address can be told apart.
[[gnu::noinline]] void throwFileError(const QString &message)
{
    throw platform::FileError(message);
}

// An object whose handler of user events throws what it is given.
class Thrower : public QObject {
public:
    std::function<void()> raise;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            raise();
            return true;
        }
        return QObject::event(e);
    }
};

// Lets an event handler throw, through the application object, as in the running program.
void escapeFromHandler(std::function<void()> raise)
{
    Thrower t;
    t.raise = std::move(raise);
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&t, &e);
}

using k5test::User;

// Works on the exception dialog once it is up.
User::Step onDialog(std::function<void(TQvErrorDialog *)> act)
{
    return [act](QWidget *w) {
        auto *d = qobject_cast<TQvErrorDialog *>(w);
        if (!d || !d->isVisible())
            return false;
        act(d);
        return true;
    };
}

// Notes a message box's caption and text and clicks its OK.
User::Step clickMessageOk(QStringList &boxes)
{
    return [&boxes](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || !box->isVisible())
            return false;
        boxes << box->windowTitle() + QStringLiteral(": ") + box->text();
        for (QAbstractButton *b : box->buttons())
            if (b->text() == QStringLiteral("OK"))
                QTest::mouseClick(b, Qt::LeftButton);
        return true;
    };
}

void clickOk(TQvErrorDialog *d) { QTest::mouseClick(d->OKBtn, Qt::LeftButton); }

// The lowest address a file is mapped at in this process (its load address); a library's name may stand
// for its file ("libQt6Core.so.6" for "libQt6Core.so.6.4.2").
quintptr mappedBase(const QString &fileName)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return 0;
    quintptr base = 0;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        if (!line.mid(line.lastIndexOf('/') + 1).startsWith(fileName.toUtf8()))
            continue;
        const quintptr start = line.left(line.indexOf('-')).toULongLong(nullptr, 16);
        if (!base || start < base)
            base = start;
    }
    return base;
}

QString programFile() { return QFileInfo(QCoreApplication::applicationFilePath()).fileName(); }

} // namespace

class TestExceptionDialog : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        delete ExceptionDialog();
        platform::Application::SetExceptionHandler(nullptr);
    }

    void headlineAndPlainTexts()
    {
        QCOMPARE(ErrorHeadline(QStringLiteral("  Disk full \t")), QStringLiteral("Disk full."));
        // Only CR LF cuts, and the cut takes the added full stop with it.
        QCOMPARE(ErrorHeadline(QStringLiteral("First line\r\nSecond line")), QStringLiteral("First line"));
        QCOMPARE(ErrorHeadline(QStringLiteral("First line\nSecond line")), QStringLiteral("First line\nSecond line."));
        QCOMPARE(ErrorHeadline(QString()), QStringLiteral("."));
        QCOMPARE(PlainErrorText(QStringLiteral(" Second failure ")), QStringLiteral("Second failure."));
    }

    // A message that ends in its own stop gets no second one: not in the line, the details or the plain box.
    void aStopIsNeverDoubled()
    {
        const QString pipe = QStringLiteral("Cannot open file \"/tmp/x.htm\". It is a named pipe, not a file.");
        QCOMPARE(ErrorHeadline(pipe), pipe);
        QCOMPARE(PlainErrorText(pipe), pipe);
        QCOMPARE(ErrorHeadline(QStringLiteral("Search string not found!")), QStringLiteral("Search string not found!"));
        TErrorInfo e;
        e.message = pipe;
        QCOMPARE(ErrorDetails(e, QStringLiteral("k5")), QStringLiteral("Exception in module k5.\r\n") + pipe);
    }

    // The dialog stands above the window the user is in, modal to it, and leaves that window when it closes:
    // the window may go while the dialog stays for the next exception.
    void theDialogStandsAboveTheWindowTheUserIsIn()
    {
        InstallExceptionDialog();
        QList<QWidget *> parents;
        User user;
        for (int i = 0; i < 2; ++i)
            user.Then(onDialog([&parents](TQvErrorDialog *d) {
                parents << d->parentWidget();
                if (!d->isModal() || !d->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                    parents << nullptr;
                QTest::mouseClick(d->OKBtn, Qt::LeftButton);
            }));
        for (int i = 0; i < 2; ++i) {
            auto tool = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
            tool->show();
            tool->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(tool.get()));
            escapeFromHandler([] { throwFileError(QStringLiteral("It is a named pipe, not a file.")); });
            k5test::Settle();
            QCOMPARE(parents.size(), i + 1);
            QVERIFY2(parents[i] == tool.get(), "not above the window the user is in");
            QVERIFY(ExceptionDialog() && !ExceptionDialog()->parentWidget());
        }
        QVERIFY(user.Done());
    }

    void detailsTextsAndFormats()
    {
        TErrorInfo e;
        e.message = QStringLiteral("Cannot open\nthe file ");
        QCOMPARE(ErrorDetails(e, QStringLiteral("kestrova5")),
                 QStringLiteral("Exception in module kestrova5.\r\nCannot open\r\nthe file."));
        e.message = QStringLiteral("One\r\nTwo\nThree");
        QCOMPARE(ErrorDetails(e, QStringLiteral("m")), QStringLiteral("Exception in module m.\r\nOne\r\nTwo\nThree."));
        e.message = QStringLiteral("100%1 %2 done");
        QCOMPARE(ErrorDetails(e, QStringLiteral("%1")), QStringLiteral("Exception in module %1.\r\n100%1 %2 done."));

        e.message = QStringLiteral("No such file or directory");
        e.errorCode = 2;
        QCOMPARE(ErrorDetails(e, QStringLiteral("libc.so.6")),
                 QStringLiteral("Exception in module libc.so.6.\r\nNo such file or directory.\r\nError Code: 00000002 (2)."));
        e.errorCode = -2;
        QCOMPARE(ErrorDetails(e, QStringLiteral("m")),
                 QStringLiteral("Exception in module m.\r\nNo such file or directory.\r\nError Code: fffffffe (-2)."));
        e.errorCode = 0xABCDE;
        QVERIFY(ErrorDetails(e, QStringLiteral("m")).endsWith(QStringLiteral("Error Code: 000abcde (703710).")));

        QCOMPARE(FormatAddress(0x1234), QStringLiteral("0000000000001234"));
        QCOMPARE(FormatAddress(0xABCDEF012), QStringLiteral("0000000ABCDEF012"));
    }

    void captureTakesMessageClassCodeAndThrowSite()
    {
        try {
            throwFileError(QStringLiteral("Cannot open \"a.htm\""));
        } catch (const std::exception &e) {
            const TErrorInfo info = CaptureError(e);
            QCOMPARE(info.message, QStringLiteral("Cannot open \"a.htm\""));
            QCOMPARE(info.className, QStringLiteral("platform::FileError"));
            QVERIFY(!info.errorCode);
            const auto start = reinterpret_cast<quintptr>(&throwFileError);
            QVERIFY(info.address > start && info.address < start + 4096);
        }
        try {
            throw std::system_error(std::error_code(13, std::generic_category()), "open");
        } catch (const std::exception &e) {
            const TErrorInfo info = CaptureError(e);
            QCOMPARE(info.className, QStringLiteral("std::system_error"));
            QCOMPARE(info.errorCode, std::optional<int>(13));
            QCOMPARE(info.message, QString::fromUtf8(e.what()));
            QVERIFY(info.address != 0);
        }
        // An exception that was never thrown has no site.
        const std::runtime_error notThrown("never thrown");
        const TErrorInfo info = CaptureError(notThrown);
        QCOMPARE(info.address, quintptr(0));
        QCOMPARE(info.className, QStringLiteral("std::runtime_error"));
    }

    void addressesAreShownRelativeToTheirModule()
    {
        const auto inProgram = reinterpret_cast<quintptr>(&throwFileError);
        const TModuleAddress p = LocateAddress(inProgram);
        QCOMPARE(p.module, programFile());
        QCOMPARE(p.address, inProgram - mappedBase(programFile()));

        const auto inQt = reinterpret_cast<quintptr>(&qVersion);
        const TModuleAddress q = LocateAddress(inQt);
        QVERIFY2(q.module.startsWith(QStringLiteral("libQt6Core.so")), qPrintable(q.module));
        QCOMPARE(q.address, inQt - mappedBase(q.module));

        // Outside every module: the program, 4096 lower.
        const auto heap = std::make_unique<char[]>(64);
        const auto raw = reinterpret_cast<quintptr>(heap.get());
        const TModuleAddress h = LocateAddress(raw);
        QCOMPARE(h.module, programFile());
        QCOMPARE(h.address, raw - 0x1000);
        QCOMPARE(LocateAddress(0).address, quintptr(0) - 0x1000);
    }

    void escapedExceptionIsShownAndClosedWithOk()
    {
        InstallExceptionDialog();
        User user;
        QString headline, type, address, details, title;
        bool detailsVisible = true, onTop = false;
        user.Then(onDialog([&](TQvErrorDialog *d) {
            title = d->windowTitle();
            onTop = d->windowFlags() & Qt::WindowStaysOnTopHint;
            headline = d->ErrorText->text();
            detailsVisible = d->DetailsPanel->isVisible();
            QCOMPARE(d->OKBtn->text(), QStringLiteral("OK"));
            QCOMPARE(d->DetailsBtn->text(), QStringLiteral("&Details >>"));
            QVERIFY(d->DetailsBtn->isEnabled());
            QTest::mouseClick(d->DetailsBtn, Qt::LeftButton);
            type = d->ErrorType->text();
            address = d->ErrorAddress->text();
            details = d->MessageText->toPlainText();
            QVERIFY(d->ErrorAddress->isEnabled());
            QVERIFY(d->AddrLabel->isEnabled() && d->TypeLabel->isEnabled());
            QCOMPARE(d->AddrLabel->Caption(), QStringLiteral("Error address: "));
            QCOMPARE(d->TypeLabel->Caption(), QStringLiteral("Error Type: "));
            clickOk(d);
        }));
        quintptr thrownAt = 0;
        escapeFromHandler([&] {
            try {
                throwFileError(QStringLiteral("Cannot write \"index.htm\"\nThe disk is full"));
            } catch (const std::exception &e) {
                thrownAt = CaptureError(e).address;
                throw;
            }
        });
        QVERIFY(user.Done());
        QCOMPARE(title, QStringLiteral("Error"));
        QVERIFY(onTop);
        QCOMPARE(headline, QStringLiteral("Cannot write \"index.htm\"\nThe disk is full."));
        QVERIFY(!detailsVisible);
        QCOMPARE(type, QStringLiteral("platform::FileError"));
        QCOMPARE(address, FormatAddress(thrownAt - mappedBase(programFile())));
        QCOMPARE(details, QStringLiteral("Exception in module %1.\nCannot write \"index.htm\"\nThe disk is full.").arg(programFile()));
        QVERIFY(!ExceptionDialog()->Shown());
        QVERIFY(!ExceptionDialog()->isVisible());
    }

    void threeShapesOfMessage_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("details");
        QTest::newRow("one line") << "List index out of bounds (5)" << -1 << "List index out of bounds (5)."
                                  << "List index out of bounds (5).";
        QTest::newRow("CR LF") << "Cannot open file\r\nIt is in use" << -1 << "Cannot open file"
                               << "Cannot open file\nIt is in use.";
        QTest::newRow("with a system error code") << "open" << 13 << "open: Permission denied."
                                                  << "open: Permission denied.\nError Code: 0000000d (13).";
    }
    void threeShapesOfMessage()
    {
        QFETCH(QString, message);
        QFETCH(int, code);
        QFETCH(QString, headline);
        QFETCH(QString, details);
        InstallExceptionDialog();
        User user;
        QString shownHeadline, shownDetails;
        user.Then(onDialog([&](TQvErrorDialog *d) {
            shownHeadline = d->ErrorText->text();
            QTest::mouseClick(d->DetailsBtn, Qt::LeftButton);
            shownDetails = d->MessageText->toPlainText();
            clickOk(d);
        }));
        escapeFromHandler([&] {
            if (code < 0)
                throw platform::Error(message);
            throw std::system_error(std::error_code(code, std::generic_category()), message.toStdString());
        });
        QVERIFY(user.Done());
        QCOMPARE(shownHeadline, headline);
        QCOMPARE(shownDetails, QStringLiteral("Exception in module %1.\n").arg(programFile()) + details);
    }

    void detailsButtonGrowsAndShrinksTheDialog()
    {
        InstallExceptionDialog();
        User user;
        int collapsed = 0, expanded = 0, again = 0;
        QString captionShown, captionHidden;
        bool panelShown = false, panelEnabled = false, panelHidden = false;
        user.Then(onDialog([&](TQvErrorDialog *d) {
            collapsed = d->height();
            QTest::mouseClick(d->DetailsBtn, Qt::LeftButton);
            QTRY_VERIFY(d->height() != collapsed);
            expanded = d->height();
            captionShown = d->DetailsBtn->text();
            panelShown = d->DetailsPanel->isVisible();
            panelEnabled = d->DetailsPanel->isEnabled();
            QTest::mouseClick(d->DetailsBtn, Qt::LeftButton);
            QTRY_VERIFY(d->height() != expanded);
            again = d->height();
            captionHidden = d->DetailsBtn->text();
            panelHidden = !d->DetailsPanel->isVisible() && !d->DetailsPanel->isEnabled();
            clickOk(d);
        }));
        escapeFromHandler([] { throw platform::Error(QStringLiteral("Something failed")); });
        QVERIFY(user.Done());
        QCOMPARE(expanded, collapsed + ExceptionDialog()->DetailsHeight());
        QCOMPARE(again, collapsed);
        QCOMPARE(captionShown, QStringLiteral("<< &Details"));
        QCOMPARE(captionHidden, QStringLiteral("&Details >>"));
        QVERIFY(panelShown && panelEnabled && panelHidden);
        QCOMPARE(ExceptionDialog()->width(), 380);
    }

    void exceptionWhileShowingFallsBackToThePlainMessageBox()
    {
        InstallExceptionDialog();
        platform::SetApplicationTitle(QStringLiteral("Kestrova 5"));
        User user;
        int dialogs = 0;
        QStringList boxes;
        user.Then(onDialog([&](TQvErrorDialog *) {
                ++dialogs;
                // A timer's handler fails while the dialog is up.
                QTimer::singleShot(0, [] { escapeFromHandler([] { throw platform::Error(QStringLiteral(" Second failure ")); }); });
            }))
            .Then(clickMessageOk(boxes))
            .Then(onDialog([&](TQvErrorDialog *d) {
                QCOMPARE(d->ErrorText->text(), QStringLiteral("First failure."));
                clickOk(d);
            }));
        escapeFromHandler([] { throw platform::Error(QStringLiteral("First failure")); });
        QVERIFY(user.Done());
        QCOMPARE(dialogs, 1);
        QCOMPARE(boxes, QStringList{QStringLiteral("Kestrova 5: Second failure.")});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!ExceptionDialog()->Shown());

        // Once it is closed, the next exception has the dialog again.
        User next;
        next.Then(onDialog([](TQvErrorDialog *d) { clickOk(d); }));
        escapeFromHandler([] { throw platform::Error(QStringLiteral("Third")); });
        QVERIFY(next.Done());
        QVERIFY(next.Texts.isEmpty());
    }

    void aHandlerInstalledBeforeWins()
    {
        QStringList seen;
        platform::Application::SetExceptionHandler([&](const std::exception &e) { seen << QString::fromUtf8(e.what()); });
        InstallExceptionDialog();
        k5test::Answerer answerer;
        escapeFromHandler([] { throw platform::Error(QStringLiteral("For the earlier handler")); });
        QCOMPARE(seen, QStringList{QStringLiteral("For the earlier handler")});
        QCOMPARE(answerer.ModalCount(), 0);
        QVERIFY(answerer.Messages().isEmpty());

        // A second installation frees the first and still leaves it to the earlier handler.
        QPointer<TQvErrorDialog> first = ExceptionDialog();
        InstallExceptionDialog();
        QVERIFY(!first);
        escapeFromHandler([] { throw platform::Error(QStringLiteral("Again")); });
        QCOMPARE(seen.size(), 2);

        // Freeing the dialog puts the earlier handler back.
        delete ExceptionDialog();
        escapeFromHandler([] { throw platform::Error(QStringLiteral("Back")); });
        QCOMPARE(seen.last(), QStringLiteral("Back"));
    }

    void abortsAreNeverShown()
    {
        InstallExceptionDialog();
        k5test::Answerer answerer;
        ExceptionDialog()->HandleException(platform::Abort());
        platform::Application::HandleException(platform::Abort());
        escapeFromHandler([] { throw platform::Abort(); });
        QCOMPARE(answerer.ModalCount(), 0);
        QVERIFY(answerer.Messages().isEmpty());
    }

    // F1 asks the program's help for the exception's topic; with no topic it does nothing, and the title
    // bar offers help exactly when there is some.
    void f1ShowsTheHelpOfTheExceptionsTopic()
    {
        InstallExceptionDialog();
        QList<int> asked;
        ApplicationHelp() = [&](int context) { asked << context; };
        const auto restore = qScopeGuard([] {
            ApplicationHelp() = nullptr;
            ErrorHelpContext() = 0;
        });
        for (int topic : {7, 0}) {
            ErrorHelpContext() = topic;
            User user;
            int context = -1;
            bool offersHelp = false;
            user.Then(onDialog([&](TQvErrorDialog *d) {
                context = d->HelpContext();
                offersHelp = d->windowFlags() & Qt::WindowContextHelpButtonHint;
                QTest::keyClick(d->OKBtn, Qt::Key_F1); // the button that has the focus passes it on
                clickOk(d);
            }));
            escapeFromHandler([] { throwFileError(QStringLiteral("Cannot write")); });
            QVERIFY(user.Done());
            QCOMPARE(context, topic);
            QCOMPARE(offersHelp, topic != 0);
        }
        QCOMPARE(asked, QList<int>{7});
    }

    void messageEventMayChangeTheLine()
    {
        InstallExceptionDialog();
        ExceptionDialog()->OnErrorMsg = [](QObject *sender, const TErrorInfo &error, QString &text) {
            QCOMPARE(sender, ExceptionDialog());
            text = QStringLiteral("[%1] %2").arg(error.className, text);
        };
        k5test::Answerer answerer;
        QString line;
        answerer.OnModal([&](QDialog *d) {
            line = static_cast<TQvErrorDialog *>(d)->ErrorText->text();
            return int(platform::mrOk);
        });
        escapeFromHandler([] { throw std::runtime_error("Bad <b>value</b>"); });
        QCOMPARE(line, QStringLiteral("[std::runtime_error] Bad <b>value</b>."));
        QCOMPARE(ExceptionDialog()->ErrorText->textFormat(), Qt::PlainText);
    }

    void exceptionsOnOtherThreadsAreShownOnTheUserInterfaceThread()
    {
        InstallExceptionDialog();
        User user;
        QString headline, type;
        QThread *shownOn = nullptr;
        user.Then(onDialog([&](TQvErrorDialog *d) {
            shownOn = QThread::currentThread();
            headline = d->ErrorText->text();
            QTest::mouseClick(d->DetailsBtn, Qt::LeftButton);
            type = d->ErrorType->text();
            QVERIFY(d->ErrorAddress->isEnabled());
            clickOk(d);
        }));
        std::unique_ptr<QThread> worker(QThread::create([] {
            try {
                throwFileError(QStringLiteral("Upload failed"));
            } catch (const std::exception &e) {
                platform::Application::HandleException(e);
            }
        }));
        worker->start();
        QVERIFY(worker->wait(10000));
        QTRY_VERIFY(user.Done());
        QCOMPARE(shownOn, QCoreApplication::instance()->thread());
        QCOMPARE(headline, QStringLiteral("Upload failed."));
        QCOMPARE(type, QStringLiteral("platform::FileError"));
    }
};

K5_TEST_MAIN(TestExceptionDialog)
#include "test_exceptiondialog.moc"
