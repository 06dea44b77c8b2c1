#include "k5test.h"

#include "controls/zel/commandlabel.h"
#include "platform/form.h"
#include "platform/shell/shell.h"

#include <QWindow>

using namespace zel;

namespace {

const QColor kBlue(0, 0, 255), kRed(255, 0, 0), kPurple(128, 0, 128);

// Records what the shell is asked to open.
struct ShellRecorder {
    QStringList opened;
    ShellRecorder()
    {
        platform::SetOpenHook([this](const QString &s) {
            opened << s;
            return true;
        });
    }
    ~ShellRecorder() { platform::SetOpenHook(nullptr); }
};

class Window : public platform::FormOf<QWidget> {
public:
    Window()
    {
        resize(300, 120);
        label = new TZELCommandLabel(this);
        label->setGeometry(20, 20, 150, 24);
    }
    TZELCommandLabel *label;
};

QPoint inWindow(QWidget *w, QPoint p) { return w->mapTo(w->window(), p); }
void moveTo(QWidget *w, QPoint p) { QTest::mouseMove(w->window()->windowHandle(), inWindow(w, p)); }
void press(QWidget *w) { QTest::mousePress(w->window()->windowHandle(), Qt::LeftButton, {}, inWindow(w, {5, 5})); }
void release(QWidget *w) { QTest::mouseRelease(w->window()->windowHandle(), Qt::LeftButton, {}, inWindow(w, {5, 5})); }

bool showActive(QWidget &w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

class TestCommandLabel : public QObject {
    Q_OBJECT
private slots:
    void looksLikeALink()
    {
        TZELCommandLabel l;
        QCOMPARE(l.objectName(), QStringLiteral("ZELCommandLabel"));
        QCOMPARE(l.Command(), runURL);
        QCOMPARE(l.FollowedColor(), kPurple);
        QCOMPARE(l.MoveOverColor(), kRed);
        QCOMPARE(l.FontColor(), kBlue);
        QCOMPARE(l.font().pointSize(), 10);
        QVERIFY(l.font().underline());
        QVERIFY(!l.Caption().isEmpty());
        QVERIFY(!l.CaptionValue().isEmpty());
        QVERIFY(!l.Followed() && !l.Pressed() && !l.Inside());
    }

    void eachCommandPutsItsPrefixBeforeTheAddress_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("opened");
        QTest::newRow("nothing") << int(runNothing) << "www.a.org/x" << "www.a.org/x";
        QTest::newRow("mail") << int(runMAIL) << "joe@a.org" << "mailto:joe@a.org";
        QTest::newRow("web") << int(runURL) << "www.a.org/x" << "http://www.a.org/x";
        QTest::newRow("ftp") << int(runFTP) << "ftp.a.org/pub" << "ftp://ftp.a.org/pub";
        QTest::newRow("file") << int(runFILE) << "/home/joe/page.htm" << "file:/home/joe/page.htm";
        QTest::newRow("web, scheme given") << int(runURL) << "http://www.a.org" << "http://www.a.org";
        QTest::newRow("web, scheme in capitals") << int(runURL) << "HTTP://www.a.org" << "HTTP://www.a.org";
        QTest::newRow("mail, scheme given") << int(runMAIL) << "mailto:joe@a.org" << "mailto:joe@a.org";
        QTest::newRow("web, other scheme") << int(runURL) << "https://www.a.org" << "https://www.a.org";
        QTest::newRow("web, other scheme in capitals") << int(runURL) << "HTTPS://www.a.org" << "HTTPS://www.a.org";
        QTest::newRow("web, host with port") << int(runURL) << "www.a.org:8080/x" << "http://www.a.org:8080/x";
        QTest::newRow("web, bare host with port") << int(runURL) << "localhost:8080" << "http://localhost:8080";
        QTest::newRow("ftp, other scheme") << int(runFTP) << "sftp://ftp.a.org" << "sftp://ftp.a.org";
        QTest::newRow("file, scheme is never guessed") << int(runFILE) << "c:/page.htm" << "file:c:/page.htm";
    }
    void eachCommandPutsItsPrefixBeforeTheAddress()
    {
        QFETCH(int, command);
        QFETCH(QString, value);
        QFETCH(QString, opened);
        ShellRecorder shell;
        Window w;
        w.label->SetCommand(TZELCommand(command));
        w.label->SetCaptionValue(value);
        int events = 0;
        w.label->RunEvent = [&](QObject *) { ++events; };
        QVERIFY(showActive(w));
        press(w.label);
        QCOMPARE(shell.opened, QStringList{opened});
        release(w.label);
        QCOMPARE(shell.opened.size(), 1);
        QCOMPARE(events, 0);
    }

    // A caption that begins with the command's prefix shows the address: the prefix is not put before it,
    // and an event label whose caption begins with "event" opens its address instead of raising RunEvent.
    void aCaptionBeginningWithThePrefixDropsIt_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("opened");
        QTest::newRow("mail, plain caption") << int(runMAIL) << "Write to Joe" << "joe@a.org" << "mailto:joe@a.org";
        QTest::newRow("mail") << int(runMAIL) << "mailto:joe@a.org" << "joe@a.org" << "joe@a.org";
        QTest::newRow("web") << int(runURL) << "http://www.a.org" << "www.b.org/x" << "www.b.org/x";
        QTest::newRow("ftp") << int(runFTP) << "ftp://ftp.a.org" << "ftp.a.org/pub" << "ftp.a.org/pub";
        QTest::newRow("file") << int(runFILE) << "file:page.htm" << "/home/joe/page.htm" << "/home/joe/page.htm";
        QTest::newRow("event") << int(runEVENT) << "events of the week" << "www.a.org/week" << "www.a.org/week";
        QTest::newRow("event, the prefix alone") << int(runEVENT) << "event" << "www.a.org" << "www.a.org";
    }
    void aCaptionBeginningWithThePrefixDropsIt()
    {
        QFETCH(int, command);
        QFETCH(QString, caption);
        QFETCH(QString, value);
        QFETCH(QString, opened);
        ShellRecorder shell;
        Window w;
        w.label->SetCommand(TZELCommand(command));
        w.label->SetCaption(caption);
        w.label->SetCaptionValue(value);
        int events = 0;
        w.label->RunEvent = [&](QObject *) { ++events; };
        QVERIFY(showActive(w));
        press(w.label);
        release(w.label);
        QCOMPARE(shell.opened, QStringList{opened});
        QCOMPARE(events, 0);
    }

    void eventCommandRaisesRunEventAndOpensNothing()
    {
        ShellRecorder shell;
        Window w;
        w.label->SetCommand(runEVENT);
        w.label->SetCaption(QStringLiteral("Run the event"));
        w.label->SetCaptionValue(QStringLiteral("www.a.org"));
        QCOMPARE(w.label->Address(), QString());
        QObject *sender = nullptr;
        w.label->RunEvent = [&](QObject *s) { sender = s; };
        QVERIFY(showActive(w));
        press(w.label);
        release(w.label);
        QCOMPARE(sender, w.label);
        QVERIFY(shell.opened.isEmpty());
        // Unassigned, nothing happens at all.
        w.label->RunEvent = nullptr;
        press(w.label);
        release(w.label);
        QVERIFY(shell.opened.isEmpty());
    }

    // OnClick follows what the press did, once per press and release inside, and only when enabled.
    void onClickFiresForAClickInside()
    {
        ShellRecorder shell;
        Window w;
        w.label->SetCaptionValue(QStringLiteral("www.a.org"));
        QStringList log;
        w.label->OnClick = [&](QObject *sender) {
            QCOMPARE(sender, w.label);
            log << QStringLiteral("click after %1 opened").arg(shell.opened.size());
        };
        QVERIFY(showActive(w));
        press(w.label);
        QVERIFY(log.isEmpty());
        release(w.label);
        QCOMPARE(log, QStringList{QStringLiteral("click after 1 opened")});
        // Released outside: no click.
        press(w.label);
        QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, QPoint(250, 100));
        QCOMPARE(log.size(), 1);
        // A right click is no click either.
        QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, inWindow(w.label, {5, 5}));
        QCOMPARE(log.size(), 1);
        w.label->Click();
        QCOMPARE(log.size(), 2);
        w.label->setEnabled(false);
        w.label->Click();
        press(w.label);
        release(w.label);
        QCOMPARE(log.size(), 2);
    }

    void coloursFollowTheMouseAndTheFirstClick()
    {
        ShellRecorder shell;
        Window w;
        w.label->SetFontColor(Qt::darkGreen); // as a form designer would have set it
        w.FinishLoading();
        QCOMPARE(w.label->NormalColor(), QColor(Qt::darkGreen));
        QVERIFY(showActive(w));

        moveTo(&w, {250, 100});
        moveTo(w.label, {5, 5});
        QTRY_VERIFY(w.label->Inside());
        QCOMPARE(w.label->FontColor(), kRed);
        moveTo(&w, {250, 100});
        QTRY_VERIFY(!w.label->Inside());
        QCOMPARE(w.label->FontColor(), QColor(Qt::darkGreen));

        moveTo(w.label, {5, 5});
        QTRY_VERIFY(w.label->Inside());
        press(w.label);
        QVERIFY(w.label->Pressed());
        QVERIFY(w.label->Followed());
        QCOMPARE(w.label->FontColor(), QColor(Qt::darkGreen));
        release(w.label);
        QVERIFY(!w.label->Pressed());
        QVERIFY(!w.label->Inside());
        QCOMPARE(w.label->FontColor(), kPurple);

        moveTo(&w, {250, 100});
        QTRY_COMPARE(w.label->FontColor(), kPurple);
        moveTo(w.label, {6, 6});
        QTRY_COMPARE(w.label->FontColor(), kRed);
        moveTo(&w, {250, 100});
        QTRY_COMPARE(w.label->FontColor(), kPurple);
        QCOMPARE(shell.opened.size(), 1);
    }
};

K5_TEST_MAIN(TestCommandLabel)
#include "test_commandlabel.moc"
