#include "k5test.h"

#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/formstream.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

using namespace platform;

namespace {
class Thrower : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw Error(QStringLiteral("boom"));
        return QObject::event(e);
    }
};
} // namespace

class TestSeams : public QObject {
    Q_OBJECT
private slots:
    void messageBoxesAreAnsweredFromTheQueue()
    {
        k5test::Answerer a;
        a.Queue(IDNO);
        QCOMPARE(MessageBox(nullptr, QStringLiteral("Save?"), QStringLiteral("Cap"), MB_YESNOCANCEL), int(IDNO));
        QCOMPARE(MessageBox(nullptr, QStringLiteral("Done"), QString(), MB_OK), int(IDOK));
        ShowMessage(QStringLiteral("Hello"));
        QCOMPARE(a.Texts(), (QStringList{QStringLiteral("Save?"), QStringLiteral("Done"), QStringLiteral("Hello")}));
        QCOMPARE(a.Messages().at(0).flags, unsigned(MB_YESNOCANCEL));
        QCOMPARE(a.Messages().at(2).caption, QStringLiteral("Kestrova 5"));
    }

    // A box stands above the window the user is in, whichever widget raised it, and above a modal window
    // that waits for an answer; the request names that window.
    void aMessageStandsAboveTheWindowTheUserIsIn()
    {
        QWidget main;
        auto *inMain = new QPushButton(&main);
        main.show();
        QWidget tool(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        auto *inTool = new QPushButton(&tool);
        tool.show();
        tool.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&tool));
        k5test::Answerer a;
        MessageBox(inMain, QStringLiteral("raised in the main window"), QString());
        MessageBox(nullptr, QStringLiteral("raised by nothing"), QString());
        ShowMessage(QStringLiteral("a notice"));
        for (const MessageRequest &m : a.Messages())
            QCOMPARE(m.parent, &tool);
        QDialog waiting(&main);
        waiting.setModal(true);
        waiting.show();
        QTRY_COMPARE(QApplication::activeModalWidget(), &waiting);
        MessageBox(inTool, QStringLiteral("while a modal window waits"), QString());
        QCOMPARE(a.Messages().last().parent, &waiting);
        waiting.hide();
        QCOMPARE(MessageParent(inMain), &tool);
    }

    // The real box over a window that stays on top: on top as well, modal, the window's own; once answered
    // the window is free and whole.
    void theRealBoxIsAboveAWindowOnTopAndModalToIt()
    {
        QWidget tool(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        auto *button = new QPushButton(QStringLiteral("Edit"), &tool);
        tool.show();
        tool.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&tool));
        QWidget *parent = nullptr;
        bool onTop = false, modal = false, transient = false;
        k5test::User user;
        user.Then([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box)
                return false;
            parent = box->parentWidget();
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            modal = box->isModal() && QApplication::activeModalWidget() == box;
            transient = box->windowHandle() && box->windowHandle()->transientParent() == tool.windowHandle();
            QTest::mouseClick(box->escapeButton(), Qt::LeftButton);
            return true;
        });
        QCOMPARE(MessageBox(nullptr, QStringLiteral("It is a named pipe, not a file."), QString(), MB_OK | MB_ICONERROR), int(IDOK));
        k5test::Settle();
        QVERIFY(user.Done());
        QCOMPARE(parent, &tool);
        QVERIFY(onTop && modal && transient);
        QVERIFY(tool.isVisible() && !QApplication::activeModalWidget());
        QCOMPARE(tool.findChildren<QDialog *>().size(), 0);
        QVERIFY(button->isEnabled());
    }

    void sentencesEndInOneStop_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("punctuated");
        QTest::newRow("bare") << "No such file or directory" << "No such file or directory.";
        QTest::newRow("stop") << "It is a named pipe, not a file." << "It is a named pipe, not a file.";
        QTest::newRow("exclamation") << "Search string not found!" << "Search string not found!";
        QTest::newRow("question") << "Replace it?" << "Replace it?";
        QTest::newRow("spaces after") << "Disk full.  " << "Disk full.";
        QTest::newRow("empty") << "" << ".";
    }
    void sentencesEndInOneStop()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, punctuated);
        QCOMPARE(Punctuated(sentence), punctuated);
    }

    void modalDialogsAreAnsweredByTheCallback()
    {
        k5test::Answerer a;
        QDialog d;
        QCOMPARE(ShowModal(&d), int(mrCancel));
        a.OnModal([](QDialog *dlg) {
            dlg->setObjectName(QStringLiteral("seen"));
            return int(mrOk);
        });
        QCOMPARE(ShowModal(&d), int(mrOk));
        QCOMPARE(d.objectName(), QStringLiteral("seen"));
        QCOMPARE(a.ModalCount(), 2);
    }

    void anExceptionInAHandlerNeverEndsTheLoop()
    {
        QStringList seen;
        Application::SetExceptionHandler([&](const std::exception &e) { seen << QString::fromUtf8(e.what()); });
        Thrower t;
        QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
        bool ranAfter = false;
        QTimer::singleShot(0, [&] { ranAfter = true; });
        QTRY_VERIFY(ranAfter);
        QCOMPARE(seen, QStringList{QStringLiteral("boom")});
        Application::SetExceptionHandler(nullptr);
        // Without a handler the message box seam reports it.
        k5test::Answerer a;
        QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
        QTRY_COMPARE(a.Texts(), QStringList{QStringLiteral("boom")});
    }

    void formStreamRoundTrip()
    {
        FormWriter w;
        w.WriteListBegin();
        w.WriteString(QStringLiteral("line \u00e9"));
        w.WriteInteger(-1);
        w.WriteInteger(Q_INT64_C(1) << 40);
        w.WriteBool(true);
        w.WriteBinary(QByteArray("\0\1", 2));
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteListEnd();
        FormReader r(w.Data());
        r.ReadListBegin();
        QCOMPARE(r.ReadString(), QStringLiteral("line \u00e9"));
        QCOMPARE(r.ReadInteger(), qint64(-1));
        QCOMPARE(r.ReadInteger(), Q_INT64_C(1) << 40);
        QCOMPARE(r.ReadBool(), true);
        QCOMPARE(r.ReadBinary(), QByteArray("\0\1", 2));
        r.SkipValue();
        QVERIFY(r.EndOfList());
        r.ReadListEnd();
        QVERIFY(r.AtEnd());
    }

    void formStreamRejectsMalformedInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("string past end") << QByteArray("\x03\x05" "ab", 4);
        QTest::newRow("binary past end") << QByteArray("\x06\x7f", 2);
        QTest::newRow("unknown type") << QByteArray("\x09", 1);
        QTest::newRow("endless number") << QByteArray(12, '\xff').prepend('\x02');
        QTest::newRow("list end outside") << QByteArray("\x00", 1);
        QTest::newRow("unclosed list") << QByteArray("\x01\x04", 2);
        QTest::newRow("deep") << QByteArray(100000, '\x01');
    }
    void formStreamRejectsMalformedInput()
    {
        QFETCH(QByteArray, bytes);
        FormReader r(bytes);
        QVERIFY_THROWS_EXCEPTION(StreamError, r.SkipValue());
    }

    void programFolderIsSeededFromShippedData()
    {
        const QString help = ProgramFile(QStringLiteral("Help/index.htm"));
        QVERIFY(QFile::exists(help));
        QVERIFY(ProgramFolder().startsWith(k5test::Root()));
        QVERIFY(ConfigFolder().startsWith(k5test::Root()));
        // A user's edited copy is never overwritten by seeding.
        k5test::WriteFile(help, "mine");
        ResetFolders();
        ProgramFolder();
        QCOMPARE(k5test::ReadFile(help), QByteArray("mine"));
    }
};

K5_TEST_MAIN(TestSeams)
#include "test_seams.moc"
