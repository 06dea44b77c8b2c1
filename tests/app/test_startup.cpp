#include "k5test.h"

#include "apptest.h"

#include "app/assistants/filelist.h"
#include "app/assistants/startdialog.h"
#include "app/dialogs/unit_about.h"
#include "app/editform.h"
#include "app/frameform.h"
#include "app/launchers.h"
#include "app/settingsform.h"
#include "app/splash.h"
#include "app/startup.h"
#include "app/workflow.h"
#include "controls/qv/qvexceptiondialog.h"
#include "controls/qv/qvinifiles.h"
#include "controls/speedbar/speedbar.h"
#include "controls/zel/zelstores.h"
#include "graphics/qv/qvgifanimator.h"
#include "tools/media/gifanimator.h"
#include "tools/publish/ftpsettings.h"

#include "platform/application.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "platform/shell/shell.h"
#include "tools/publish/vcmain.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace {

// The lines of the sections of an ini file whose names end with one of the suffixes, in file order.
QStringList sectionLines(const QString &file, const QStringList &suffixes)
{
    QStringList out;
    bool in = false;
    for (const QString &line : QString::fromUtf8(k5test::ReadFile(file)).split(QLatin1Char('\n'))) {
        const QString l = line.trimmed();
        if (l.startsWith(QLatin1Char('['))) {
            in = std::any_of(suffixes.begin(), suffixes.end(), [&l](const QString &s) { return l.endsWith(s + QLatin1Char(']')); });
            if (in)
                out << l;
        } else if (in && !l.isEmpty()) {
            out << l;
        }
    }
    return out;
}

// What the exit wrote of the forms' places and the tool bar's layout.
QStringList storedState()
{
    const QString folder = platform::ConfigFolder();
    return sectionLines(folder + QStringLiteral("/registry.ini"), {QStringLiteral("\\Formsaver"), QStringLiteral("\\TAnimatorForm")}) +
           sectionLines(folder + QStringLiteral("/kestrova5.ini"), {QStringLiteral("TFrameFormSpeedBar1")});
}

// A user can take hold of the window: its title bar lies on a screen.
bool titleBarOnScreen(const QWidget *w)
{
    const QRect frame = w->frameGeometry();
    for (const QScreen *s : QGuiApplication::screens()) {
        const QRect area = s->availableGeometry();
        const QRect title = area.intersected(QRect(frame.topLeft(), QSize(frame.width(), 24)));
        if (frame.top() >= area.top() && title.width() >= 24 && title.height() >= 24)
            return true;
    }
    return false;
}

// Each form's size as the program makes it, seen in a start with nothing stored (empty when the main window
// did not show or did not close).
QHash<QString, QSize> designedSizes()
{
    QHash<QString, QSize> designed;
    const app::StartedApplication s = app::StartUp();
    if (!QTest::qWaitForWindowExposed(s.frame))
        return {};
    for (platform::Form *f : platform::Form::Forms())
        designed.insert(f->ClassName(), f->Frame()->size());
    s.frame->close();
    if (!QTest::qWaitFor([] { return !app::FrameForm; }))
        return {};
    return designed;
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void startsInOrder()
    {
        QVERIFY(!qv::ExceptionDialog());
        const app::StartedApplication s = app::StartUp();
        QVERIFY(qv::ExceptionDialog()); // installed before the splash
        QVERIFY(s.splash->isVisible());
        QCOMPARE(s.splash->size(), QSize(340, 61));
        QVERIFY(s.splash->QvGIFAnimator1->Image() && !s.splash->QvGIFAnimator1->Image()->Empty());
        QVERIFY(s.splash->QvGIFAnimator1->Animate());
        // The main window is the first form; the service forms follow it, hidden.
        const QList<platform::Form *> forms = platform::Form::Forms();
        QCOMPARE(platform::Form::MainForm(), static_cast<platform::Form *>(s.frame));
        QStringList classes;
        for (platform::Form *f : forms.mid(1)) {
            classes << f->ClassName();
            QVERIFY2(!f->Widget()->isVisible(), qPrintable(f->ClassName()));
        }
        QCOMPARE(classes, (QStringList{"TTagchooser", "TInfo", "TFilelist", "TSignature", "TTagCreator", "TNewItems", "TCustomTags",
                                       "Txmlcustomtags", "Txmltagcreator", "Txmlnewitem", "Taspcustomtags",
                                       "Tasptagcreator", "Taspnewitem", "TFTPSettings", "TSettings", "TvCardForm"}));
        QVERIFY(dynamic_cast<dialogs::TInfo *>(forms[2]));
        QVERIFY(!dialogs::Info->isVisible());
        QVERIFY(dynamic_cast<app::TSettings *>(forms.at(forms.size() - 2)));
        QCOMPARE(forms.last()->Widget(), static_cast<QWidget *>(app::VCardForm()));
        QVERIFY(!app::Settings->isVisible());
        QVERIFY(!publish::FTPSettings->isVisible());
        QCOMPARE(s.frame->windowTitle(), QStringLiteral("Kestrova 5"));
        QCOMPARE(platform::ApplicationTitle(), QStringLiteral("Kestrova 5"));
        QCOMPARE(s.frame->MDIChildCount(), 0); // no document at start
        // The file list made at start-up is the one its menu item shows.
        auto *list = dynamic_cast<assistants::TFilelist *>(forms[3]);
        QVERIFY(list);
        s.frame->EditFilelist1->trigger();
        QVERIFY(list->isVisible());
        QCOMPARE(s.frame->findChildren<assistants::TFilelist *>().size(), 1);
        list->close();
        s.splash->close();
        s.frame->close();
        QTRY_VERIFY(!app::FrameForm);
    }

    void theProgramHasItsOwnIconAndKeepsItsPlace()
    {
        QRect placed;
        {
            const app::StartedApplication s = app::StartUp();
            QVERIFY(!QApplication::windowIcon().isNull());
            QVERIFY(QApplication::windowIcon().availableSizes().contains(QSize(16, 16)));
            QCOMPARE(s.frame->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
            QVERIFY(QTest::qWaitForWindowExposed(s.frame));
            // The written first size: client area 847 wide.
            QCOMPARE(s.frame->width(), 847);
            s.frame->move(123, 77);
            s.frame->resize(700, 450);
            placed = s.frame->geometry();
            s.frame->close();
            QTRY_VERIFY(!app::FrameForm);
        }
        // The next start puts the window where it was left.
        const app::StartedApplication s = app::StartUp();
        QVERIFY(QTest::qWaitForWindowExposed(s.frame));
        QCOMPARE(s.frame->geometry(), placed);
        s.frame->close();
        QTRY_VERIFY(!app::FrameForm);
    }

    // The service windows made hidden at start-up open in their designed place, centred on the main
    // window, also after starts and exits in which they were never shown.
    void serviceWindowsKeepTheirCentredPlace()
    {
        auto serviceForm = [](const QString &className) -> QWidget * {
            for (platform::Form *f : platform::Form::Forms())
                if (f->ClassName() == className)
                    return f->Widget();
            return nullptr;
        };
        for (int start = 0; start < 3; ++start) {
            const app::StartedApplication s = app::StartUp();
            QVERIFY(QTest::qWaitForWindowExposed(s.frame));
            if (start == 2) {
                QWidget *list = serviceForm(QStringLiteral("TFilelist"));
                QVERIFY(list);
                s.frame->EditFilelist1->trigger();
                QVERIFY(QTest::qWaitForWindowExposed(list));
                QVERIFY2((list->frameGeometry().center() - s.frame->frameGeometry().center()).manhattanLength() <= 2,
                         qPrintable(QStringLiteral("list at %1,%2").arg(list->x()).arg(list->y())));
                QCOMPARE(list->size(), QSize(420, 300));
                app::Settings->show();
                QVERIFY(QTest::qWaitForWindowExposed(app::Settings));
                QVERIFY((app::Settings->frameGeometry().center() - s.frame->frameGeometry().center()).manhattanLength() <= 2);
                list->close();
                app::Settings->close();
            }
            s.frame->close();
            QTRY_VERIFY(!app::FrameForm);
        }
    }

    // A stored size or place that cannot be shown (none, negative, beyond what a window can be, off every
    // screen) is not used, for any form: each starts in its designed size, the main window shows on the
    // screen, and the exit writes what was shown, so the next start is right again.
    void storedBoundsThatCannotBeShownAreNotUsed_data()
    {
        QTest::addColumn<QStringList>("values"); // width, height, left, top; empty: not written
        QTest::newRow("no width") << QStringList{"0", "", "", ""};
        QTest::newRow("negative width") << QStringList{"-847", "", "", ""};
        QTest::newRow("negative height") << QStringList{"", "-40", "", ""};
        QTest::newRow("no size") << QStringList{"0", "0", "", ""};
        QTest::newRow("wider than a window can be") << QStringList{"100000", "", "", ""};
        QTest::newRow("above and left of every screen") << QStringList{"", "", "-5000", "-5000"};
        QTest::newRow("right of every screen") << QStringList{"", "", "5000", "100"};
        QTest::newRow("below every screen") << QStringList{"", "", "100", "9000"};
        QTest::newRow("beyond what a place can be") << QStringList{"", "", "2147483647", "2147483647"};
    }
    void storedBoundsThatCannotBeShownAreNotUsed()
    {
        QFETCH(QStringList, values);
        k5test::ResetEnvironment();
        zel::TZELDataStore store;
        store.Registry.Path = QStringLiteral("Kestrova 5");
        store.Registry.Section = QStringLiteral("Formsaver");
        const QHash<QString, QSize> designed = designedSizes();
        QVERIFY(!designed.isEmpty());
        const char *const keys[] = {"_Width", "_Height", "_Left", "_Top"};
        for (const QString &name : designed.keys())
            for (int i = 0; i < 4; ++i)
                if (!values[i].isEmpty())
                    store.WriteString(name + QLatin1String(keys[i]), values[i]);

        const app::StartedApplication s = app::StartUp();
        QVERIFY(QTest::qWaitForWindowExposed(s.frame));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.intersected(s.frame->frameGeometry()).width() >= 24,
                 qPrintable(QStringLiteral("main window at %1,%2").arg(s.frame->x()).arg(s.frame->y())));
        for (platform::Form *f : platform::Form::Forms())
            if (designed.contains(f->ClassName()))
                QVERIFY2(f->Frame()->size() == designed.value(f->ClassName()),
                         qPrintable(QStringLiteral("%1: %2 x %3").arg(f->ClassName()).arg(f->Frame()->width()).arg(f->Frame()->height())));
        // A service window shown now opens where it can be seen.
        s.frame->EditFilelist1->trigger();
        auto *list = s.frame->findChild<assistants::TFilelist *>();
        QVERIFY(list && QTest::qWaitForWindowExposed(list));
        QVERIFY(screen.contains(list->frameGeometry().center()));
        list->close();
        s.frame->close();
        QTRY_VERIFY(!app::FrameForm);
        store.ErrorInt = -1;
        QCOMPARE(store.ReadInteger(QStringLiteral("TFrameForm_Width")), designed.value(QStringLiteral("TFrameForm")).width());
        QCOMPARE(store.ReadInteger(QStringLiteral("TFrameForm_Height")), designed.value(QStringLiteral("TFrameForm")).height());
    }

    // Stored places, sizes, visibility and tool-bar places that are none, negative, huge or hidden, for
    // every form the form saver and the placement restore and for the tool bar: the main window is shown
    // with its title bar on the screen, every form shown is on the screen, every item of the bar lies on
    // it, and a start after the exit writes what that exit wrote.
    void storedStateNeverMakesTheProgramUnusable_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("visible");
        QTest::addColumn<QString>("button"); // a place along and across the bar
        QTest::newRow("zero") << "0" << "0" << "" << "0";
        QTest::newRow("negative") << "-20" << "-20" << "-20" << "-20";
        QTest::newRow("far negative") << "-100000" << "-100000" << "" << "-100000";
        QTest::newRow("huge") << "2147483647" << "2147483647" << "2147483647" << "2147483647";
        QTest::newRow("beyond the screen") << "" << "5000" << "" << "5000";
        QTest::newRow("hidden") << "" << "" << "0" << "2000";
    }
    void storedStateNeverMakesTheProgramUnusable()
    {
        QFETCH(QString, size);
        QFETCH(QString, place);
        QFETCH(QString, visible);
        QFETCH(QString, button);
        k5test::ResetEnvironment();
        QHash<QString, QSize> designed = designedSizes();
        QVERIFY(!designed.isEmpty());
        designed.insert(QStringLiteral("TAnimatorForm"), QSize());
        zel::TZELDataStore store;
        store.Registry.Path = QStringLiteral("Kestrova 5");
        store.Registry.Section = QStringLiteral("Formsaver");
        qv::RegIniObject animator(QStringLiteral("Software\\QV\\Kestrova 5"));
        for (const QString &name : designed.keys()) {
            for (const char *key : {"_Width", "_Height"})
                if (!size.isEmpty())
                    store.WriteString(name + QLatin1String(key), size);
            for (const char *key : {"_Left", "_Top"})
                if (!place.isEmpty())
                    store.WriteString(name + QLatin1String(key), place);
            if (!visible.isEmpty())
                store.WriteString(name + QStringLiteral("_Visible"), visible);
        }
        const QString norm = QStringList(4, place.isEmpty() ? QStringLiteral("10") : place).join(QLatin1Char(','));
        animator.WriteString(QStringLiteral("TAnimatorForm"), QStringLiteral("NormPos"), norm);
        animator.WriteString(QStringLiteral("TAnimatorForm"), QStringLiteral("ShowCmd"), visible.isEmpty() ? place : QStringLiteral("0"));
        animator.WriteString(QStringLiteral("TAnimatorForm"), QStringLiteral("Visible"), visible.isEmpty() ? place : visible);
        {
            qv::IniFileObject bar(QStringLiteral("kestrova5.ini"));
            const QString section = QStringLiteral("TFrameFormSpeedBar1");
            bar.WriteString(section, QStringLiteral("Position"), QStringLiteral("1"));
            bar.WriteString(section, QStringLiteral("Width"), button);
            bar.WriteString(section, QStringLiteral("PixelsPerInch"),
                            QString::number(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch())));
            bar.WriteString(section, QStringLiteral("Button1"), QStringLiteral("SpeedItem1,%1,3").arg(button));
            bar.WriteString(section, QStringLiteral("Button2"), QStringLiteral("SpeedItem2,3,%1").arg(button));
            bar.WriteString(section, QStringLiteral("Button3"), QStringLiteral("SpeedItem3,%1,%1").arg(button));
            bar.WriteString(section, QStringLiteral("Button4"), QStringLiteral("SpeedItem4,27,3"));
            bar.WriteString(section, QStringLiteral("Count"), QStringLiteral("4"));
        }

        QStringList written;
        for (int start = 0; start < 2; ++start) {
            const app::StartedApplication s = app::StartUp();
            QVERIFY(QTest::qWaitForWindowExposed(s.frame));
            QVERIFY(s.frame->isVisible());
            QVERIFY2(titleBarOnScreen(s.frame), qPrintable(QStringLiteral("main window at %1,%2").arg(s.frame->x()).arg(s.frame->y())));
            for (platform::Form *f : platform::Form::Forms()) {
                QWidget *w = f->Frame();
                if (!w->isVisible())
                    continue;
                QVERIFY2(QTest::qWaitForWindowExposed(w), qPrintable(f->ClassName()));
                QVERIFY2(titleBarOnScreen(w), qPrintable(f->ClassName()));
                QVERIFY2(w->width() > 0 && w->height() > 0 && w->width() <= 32767, qPrintable(f->ClassName()));
            }
            // Every item of the bar lies on it, none on another, and customising counts them there.
            speedbar::TSpeedBar *bar = s.frame->SpeedBar1;
            QVERIFY(bar->isVisible() && bar->height() >= bar->BtnHeight());
            QList<QRect> seen;
            for (int n = 1; n <= 4; ++n) {
                speedbar::TSpeedItem *it = bar->FindItemByName(QStringLiteral("SpeedItem%1").arg(n));
                QVERIFY(it);
                QVERIFY2(it->Visible() && it->Button()->isVisible(), qPrintable(it->objectName()));
                const QRect r = it->Button()->geometry();
                QVERIFY2(bar->rect().contains(r.center()),
                         qPrintable(QStringLiteral("%1 at %2,%3").arg(it->objectName()).arg(r.x()).arg(r.y())));
                for (const QRect &other : std::as_const(seen))
                    QVERIFY2(!other.intersects(r), qPrintable(it->objectName()));
                seen << r;
            }
            // The placement's form opens where it can be used.
            auto *gif = new media::TAnimatorForm(s.frame);
            gif->setAttribute(Qt::WA_DeleteOnClose);
            gif->show();
            QVERIFY(QTest::qWaitForWindowExposed(gif));
            QVERIFY(titleBarOnScreen(gif));
            gif->close();
            s.frame->close();
            QTRY_VERIFY(!app::FrameForm);
            if (start == 0)
                written = storedState();
        }
        QCOMPARE(storedState(), written);
    }

    // The program ends on SIGTERM whatever is shown or hidden, after the question about an edited page.
    void sigtermEndsTheProgramWhateverIsShown_data()
    {
        QTest::addColumn<QString>("shown");
        for (const char *shown : {"everything", "the main window hidden", "the main window minimised"})
            QTest::newRow(shown) << QString::fromLatin1(shown);
    }
    void sigtermEndsTheProgramWhateverIsShown()
    {
        QFETCH(QString, shown);
        k5test::ResetEnvironment();
        const app::StartedApplication s = app::StartUp();
        QPointer<app::TFrameForm> frame = s.frame;
        platform::Application::CloseOnTerminationSignal(frame);
        platform::Application::EndWith(frame);
        const auto restore = qScopeGuard([] { QGuiApplication::setQuitOnLastWindowClosed(true); });
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        app::TEditForm *doc = frame->CreateEditForm();
        doc->InsertText(QStringLiteral("edited"));
        QPointer<assistants::TStartup> start = app::ShowStartDialog();
        QVERIFY(start && QTest::qWaitForWindowExposed(start));
        if (shown == QLatin1String("the main window hidden"))
            frame->hide();
        else if (shown == QLatin1String("the main window minimised"))
            frame->showMinimized();
        apptest::User user;
        user.Click(QStringLiteral("&No"));
        // The program's own loop, as main() runs it, ended at the latest by the watchdog.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(3); });
        watchdog.start(20000);
        QTimer::singleShot(0, qApp, [] { ::kill(::getpid(), SIGTERM); });
        const int rc = QCoreApplication::exec();
        QCOMPARE(rc, 0);
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Save changes to Untitled?")});
        apptest::Settle();
        QVERIFY(!frame);
    }

    // The program's errors point at its help page: F1 in the error window opens it through the shell.
    void f1InTheErrorWindowOpensTheHelpPage()
    {
        const app::StartedApplication s = app::StartUp();
        QStringList opened;
        platform::SetOpenHook([&](const QString &file) {
            opened << file;
            return true;
        });
        const auto unhook = qScopeGuard([] { platform::SetOpenHook(nullptr); });
        k5test::User user;
        user.Then([](QWidget *w) {
            auto *d = qobject_cast<qv::TQvErrorDialog *>(w);
            if (!d || !d->isVisible())
                return false;
            QTest::keyClick(d->OKBtn, Qt::Key_F1); // the button that has the focus passes it on
            QTest::mouseClick(d->OKBtn, Qt::LeftButton);
            return true;
        });
        // An error escapes an event handler, as one would in the program.
        QTimer::singleShot(0, s.frame, [] { throw platform::FileError(QStringLiteral("Cannot write \"x.htm\"")); });
        QTRY_VERIFY(user.Done());
        QCOMPARE(opened, QStringList{platform::ProgramFile(QStringLiteral("Help/index.htm"))});
        QVERIFY(k5test::ReadFile(opened.at(0)).contains("<A NAME=\"errors\">"));
        s.frame->close();
        QTRY_VERIFY(!app::FrameForm);
    }

    // The vCard editor lives from start-up: each showing finds the card as it was left.
    void theVCardEditorKeepsItsCard()
    {
        const app::StartedApplication s = app::StartUp();
        publish::TvCardForm *card = app::VCardForm();
        QVERIFY(!card->isVisible());
        QCOMPARE(card->parent(), s.frame);
        k5test::Answerer answerer;
        QStringList seen;
        answerer.OnModal([&](QDialog *d) {
            auto *w = qobject_cast<publish::TvCardForm *>(d);
            seen << (w ? w->GivenNameEdit->text() : QStringLiteral("(another window)"));
            if (w)
                w->GivenNameEdit->setText(QStringLiteral("Ann"));
            return int(platform::mrCancel);
        });
        QVERIFY(app::Launch(QStringLiteral("VCard1")));
        QVERIFY(app::Launch(QStringLiteral("VCard1")));
        QCOMPARE(seen, (QStringList{QString(), QStringLiteral("Ann")}));
        QCOMPARE(app::VCardForm(), card);
        s.frame->close();
        QTRY_VERIFY(!app::FrameForm);
    }

    void theTerminalGetsNoDebugLines()
    {
        // Set up by main() before the application object; here only its message filter is checked.
        const QtMessageHandler original = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(original);
        app::PrepareQuietTerminal();
        QVERIFY(!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"));
        static QStringList seen;
        seen.clear();
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) { seen << m; });
        app::PrepareQuietTerminal(); // chains to the recorder above
        qDebug("engine chatter");
        qInfo("more chatter");
        qWarning("a real warning");
        qInstallMessageHandler(original);
        QCOMPARE(seen, QStringList{QStringLiteral("a real warning")});
    }

    // Qt names every font it tries for a script no installed font covers: none of those lines reaches the
    // terminal, and a real warning still does.
    void fontFallbackLinesStayOffTheTerminal()
    {
        const QtMessageHandler original = qInstallMessageHandler(nullptr);
        static QStringList seen;
        seen.clear();
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) { seen << m; });
        app::PrepareQuietTerminal(); // chains to the recorder above
        QFont font(QStringLiteral("Liberation Mono"));
        font.setPointSize(23);
        QImage canvas(300, 40, QImage::Format_RGB32);
        {
            QPainter p(&canvas);
            p.setFont(font);
            // Devanagari, Tamil, Syriac and Oriya.
            p.drawText(5, 30, QStringLiteral("\u0939\u093f\u0928\u094d\u0926\u0940 \u0ba4\u0bae\u0bbf\u0bb4\u0bcd "
                                             "\u0712\u0710 \u0b93\u0b21\u0b3f"));
        }
        // Qt's own wording, for a system that has a font for each of the scripts above.
        qWarning("  OpenType support missing for \"Some Font\", script 11");
        qWarning("a real warning");
        qInstallMessageHandler(original);
        QCOMPARE(seen, QStringList{QStringLiteral("a real warning")});
    }

    void theSplashGoesOnItsOwnWhenItIsNeverActivated()
    {
        // Some window systems never activate the splash, so it never loses activation either.
        struct NeverActive : QObject {
            bool eventFilter(QObject *o, QEvent *e) override
            {
                return qobject_cast<app::TSplash *>(o) &&
                       (e->type() == QEvent::ActivationChange || e->type() == QEvent::WindowActivate ||
                        e->type() == QEvent::WindowDeactivate);
            }
        } neverActive;
        qApp->installEventFilter(&neverActive);
        const app::StartedApplication s = app::StartUp();
        QPointer<app::TSplash> splash = s.splash;
        QVERIFY(splash->isVisible()); // all through start-up
        QTRY_VERIFY(!splash);
        QVERIFY(s.frame->isVisible());
        qApp->removeEventFilter(&neverActive);
        s.frame->close();
        QTRY_VERIFY(!app::FrameForm);
    }
};

K5_TEST_MAIN(TestStartUp)
#include "test_startup.moc"
