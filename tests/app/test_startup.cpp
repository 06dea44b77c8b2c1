#include "k5test.h"

#include "app/assistants/filelist.h"
#include "app/dialogs/unit_about.h"
#include "app/frameform.h"
#include "app/launchers.h"
#include "app/settingsform.h"
#include "app/splash.h"
#include "app/startup.h"
#include "controls/qv/qvexceptiondialog.h"
#include "controls/zel/zelstores.h"
#include "graphics/qv/qvgifanimator.h"
#include "tools/publish/ftpsettings.h"

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
        QHash<QString, QSize> designed;
        {
            const app::StartedApplication s = app::StartUp();
            QVERIFY(QTest::qWaitForWindowExposed(s.frame));
            for (platform::Form *f : platform::Form::Forms())
                designed.insert(f->ClassName(), f->Frame()->size());
            s.frame->close();
            QTRY_VERIFY(!app::FrameForm);
        }
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
