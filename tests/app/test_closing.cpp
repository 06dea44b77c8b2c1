// Every way of closing an edited document, answered through the real question box as a user answers it.
#include "k5test.h"
#include "apptest.h"
#include "crawlitems.h"

#include "app/replaceall.h"

#include "app/dialogs/finddialogs.h"
#include "app/settingsform.h"
#include "app/workflow.h"
#include "controls/zel/zelstores.h"
#include "platform/application.h"

#include <QDialog>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QMenu>
#include <QTabWidget>
#include <csignal>
#include <unistd.h>

using app::TEditForm;
using app::TFrameForm;

namespace {

const QByteArray original = "<P>on disk</P>\r\n";

} // namespace

class TestClosing : public QObject {
    Q_OBJECT
    QPointer<TFrameForm> frame;
    QString file;
    // Answers any question no test expects, so such a question fails the test at once instead of
    // leaving it waiting.
    std::unique_ptr<apptest::User> watchman;

    QString tmp(const QString &name) const { return k5test::Root() + QStringLiteral("/tmp/") + name; }

    // An edited document of its own file, in a main window that frees itself on close as the program's does.
    QPointer<TEditForm> openEdited(const QString &name)
    {
        const QString path = k5test::WriteFile(tmp(name), original);
        QPointer<TEditForm> doc = frame->OpenDocument(path, false);
        doc->RiloMemo1->SetSelStart(0);
        doc->InsertText(QStringLiteral("edited "));
        return doc;
    }
    void checkKept(TEditForm *doc, const QString &path)
    {
        QVERIFY(doc);
        QVERIFY(doc->Frame()->isVisible());
        QVERIFY(doc->Text().startsWith(QStringLiteral("edited <P>on disk</P>")));
        QVERIFY(doc->Modified());
        QCOMPARE(k5test::ReadFile(path), original);
    }

private slots:
    void init()
    {
        watchman = std::make_unique<apptest::User>();
        frame = new TFrameForm;
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->show();
        file = tmp(QStringLiteral("close.htm"));
    }
    void cleanup()
    {
        if (frame) {
            for (TEditForm *doc : frame->EditForms())
                doc->SetModified(false);
            delete frame;
        }
        apptest::Settle();
        const QStringList unexpected = watchman->Texts;
        watchman.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
    }

    void everyCloseAsksAndKeepsWhatTheAnswerSays_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("answer");
        const char *ways[] = {"File > Close", "close button", "system menu", "Close All", "File > Exit",
                              "main window close button", "SIGTERM"};
        for (const char *way : ways)
            for (const char *answer : {"Cancel", "&No", "&Yes"})
                QTest::addRow("%s, %s", way, answer) << QString::fromLatin1(way) << QString::fromLatin1(answer);
    }
    void everyCloseAsksAndKeepsWhatTheAnswerSays()
    {
        QFETCH(QString, way);
        QFETCH(QString, answer);
        QPointer<TEditForm> doc = openEdited(QStringLiteral("close.htm"));
        apptest::User user;
        user.Click(answer);
        auto *sub = qobject_cast<QMdiSubWindow *>(doc->Frame());
        if (way == QLatin1String("File > Close")) {
            doc->Close1->trigger();
        } else if (way == QLatin1String("close button")) {
            sub->close();
        } else if (way == QLatin1String("system menu")) {
            QAction *close = nullptr;
            for (QAction *a : sub->systemMenu()->actions())
                if (a->text() == QLatin1String("&Close"))
                    close = a;
            QVERIFY(close);
            close->trigger();
        } else if (way == QLatin1String("Close All")) {
            doc->CloseAll1->trigger();
        } else if (way == QLatin1String("File > Exit")) {
            QAction *exit = apptest::FindItem(doc->Menus(), QStringLiteral("Exit2"));
            QVERIFY(exit);
            exit->trigger();
        } else if (way == QLatin1String("main window close button")) {
            frame->close();
        } else {
            platform::Application::CloseOnTerminationSignal(frame);
            ::kill(::getpid(), SIGTERM);
            QTRY_VERIFY(user.Done());
        }
        apptest::Settle();
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Save changes to %1?").arg(file)});
        const bool wholeProgram = way == QLatin1String("File > Exit") || way == QLatin1String("main window close button") ||
                                  way == QLatin1String("SIGTERM");
        if (answer == QLatin1String("Cancel")) {
            checkKept(doc, file);
            QVERIFY(frame && frame->isVisible());
            QCOMPARE(frame->MDIChildCount(), 1);
            return;
        }
        QVERIFY(!doc);
        QCOMPARE(k5test::ReadFile(file), answer == QLatin1String("&Yes") ? "edited " + original : original);
        if (wholeProgram)
            QVERIFY(!frame);
        else
            QVERIFY(frame && frame->MDIChildCount() == 0);
    }

    void escapeDoesNotClose()
    {
        QPointer<TEditForm> doc = openEdited(QStringLiteral("close.htm"));
        apptest::User user;
        user.Click(QStringLiteral("Cancel"));
        QTest::keyClick(doc->RiloMemo1, Qt::Key_Escape);
        apptest::Settle();
        QVERIFY(user.Texts.isEmpty());
        checkKept(doc, file);
    }

    void closeAllGoesOnAfterACancel()
    {
        QPointer<TEditForm> first = openEdited(QStringLiteral("first.htm"));
        QPointer<TEditForm> second = openEdited(QStringLiteral("second.htm")); // active: asked last
        apptest::User user;
        user.Click(QStringLiteral("Cancel")).Click(QStringLiteral("&No"));
        second->CloseAll1->trigger();
        apptest::Settle();
        QCOMPARE(user.Texts, (QStringList{QStringLiteral("Save changes to %1?").arg(tmp(QStringLiteral("first.htm"))),
                                          QStringLiteral("Save changes to %1?").arg(tmp(QStringLiteral("second.htm")))}));
        checkKept(first, tmp(QStringLiteral("first.htm")));
        QVERIFY(!second);
        QCOMPARE(k5test::ReadFile(tmp(QStringLiteral("second.htm"))), original);
    }

    void aCancelledShutdownKeepsEveryDocument()
    {
        QPointer<TEditForm> first = openEdited(QStringLiteral("first.htm"));
        QPointer<TEditForm> second = openEdited(QStringLiteral("second.htm"));
        apptest::User user;
        user.Click(QStringLiteral("&No")).Click(QStringLiteral("Cancel"));
        frame->close();
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 2);
        QVERIFY(frame && frame->isVisible());
        checkKept(first, tmp(QStringLiteral("first.htm")));
        checkKept(second, tmp(QStringLiteral("second.htm")));
    }

    // SIGTERM while Replace All looks through a page ends the program through its normal path: the search
    // stops with the text untouched, the question comes, and the file stays as it was.
    void sigtermEndsAReplaceAllUnderWay()
    {
        QPointer<TEditForm> doc = openEdited(QStringLiteral("close.htm"));
        QString lines;
        for (int i = 0; i < 3000; ++i)
            lines += QStringLiteral("<P>%1 on disk</P>\r\n").arg(i);
        doc->InsertText(lines);
        const QString edited = doc->Text();
        doc->Replacer->Slices = {64, 0};
        platform::Application::CloseOnTerminationSignal(frame);
        bool searching = false, untouched = false;
        apptest::User user;
        user.Then([&](QWidget *w) {
                if (w->objectName() != QLatin1String("ReplaceProgress"))
                    return false;
                searching = doc->Replacing();
                untouched = doc->Text() == edited;
                ::kill(::getpid(), SIGTERM);
                return true;
            })
            .Click(QStringLiteral("&No"));
        apptest::DocItem(doc, "Replace1")->trigger();
        dialogs::TReplaceDialog *d = doc->ReplaceDialog1;
        QTest::keyClicks(d->FindEdit, QStringLiteral("disk"));
        QTest::keyClicks(d->ReplaceEdit, QStringLiteral("tape"));
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QTRY_VERIFY(user.Done());
        apptest::Settle();
        QVERIFY(searching && untouched);
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Save changes to %1?").arg(file)});
        QVERIFY(!doc);
        QVERIFY(!frame);
        QCOMPARE(k5test::ReadFile(file), original);
    }

    // Every item of the crawl that may open a window, with that window open when SIGTERM comes (a modal
    // one, a modeless one or none): the question about the edited page comes as at any other exit, the
    // program ends cleanly (the sanitizers see every write into what was freed) and the file holds what
    // the answer says; Cancel keeps everything, the window too.
    void sigtermWithAnyWindowOpenEndsCleanly_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("answer");
        const char *const answers[] = {"&No", "&Yes", "Cancel"};
        int n = 0;
        for (const crawl::Item &i : crawl::items)
            if ((i.does == crawl::Does::Nothing || i.does == crawl::Does::NewDocument) &&
                (i.enabled == crawl::On::Always || i.enabled == crawl::On::WithDocument))
                QTest::newRow(i.name) << QString::fromLatin1(i.name) << QString::fromLatin1(answers[n++ % 3]);
    }
    void sigtermWithAnyWindowOpenEndsCleanly()
    {
        QFETCH(QString, item);
        QFETCH(QString, answer);
        // As at start-up: the settings window and the template dialog of File > New.
        new app::TSettings(frame);
        app::BindTemplateDialog(frame);
        QPointer<TEditForm> doc = openEdited(QStringLiteral("close.htm"));
        platform::Application::CloseOnTerminationSignal(frame);
        QList<QMenu *> menus = doc->Menus();
        for (const char *popup : {"PopupMenu1", "PopupMenu2"})
            if (auto *m = doc->findChild<QMenu *>(QLatin1String(popup)))
                menus << m;
        menus << frame->File1 << frame->Window1;
        const crawl::Item *row = crawl::rowOf(item.toLatin1().constData());
        QAction *action = nullptr;
        for (const auto &[key, a] : crawl::itemsOf(menus))
            if (!action && crawl::rowOf(key) == row)
                action = a;
        QVERIFY2(action && action->isEnabled(), qPrintable(item));

        // The first modal window the item opens gets SIGTERM, and the save question is answered, not the
        // windows that were open when it came. After Cancel the program goes on, and the user closes
        // what is open and what comes next.
        auto signaller = std::make_unique<apptest::User>();
        auto user = std::make_unique<apptest::User>();
        bool edited = false;
        QString text;
        QByteArray before;
        auto terminate = [&] {
            edited = doc && doc->Modified();
            text = doc ? doc->Text() : QString();
            before = k5test::ReadFile(file);
            ::kill(::getpid(), SIGTERM);
        };
        signaller->Then([&](QWidget *) {
            terminate();
            return true;
        });
        QStringList asked;
        user->Then([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->text().startsWith(QLatin1String("Save changes")))
                return false;
            asked << box->text();
            for (QAbstractButton *b : box->buttons())
                if (b->text() == answer)
                    b->click();
            return true;
        });
        action->trigger();
        const bool modal = signaller->Done();
        signaller.reset();
        if (!modal) {
            terminate(); // a modeless window is open, or none
            if (edited)
                QTRY_VERIFY(!asked.isEmpty());
        }
        apptest::Settle();
        QCOMPARE(asked, edited ? QStringList{QStringLiteral("Save changes to %1?").arg(file)} : QStringList());
        const bool kept = edited && answer == QLatin1String("Cancel");
        for (const QString &t : user->Texts)
            QVERIFY2(kept && t.startsWith(QLatin1String("unexpected: ")), qPrintable(t));
        if (kept) {
            QVERIFY(frame && frame->isVisible());
            QVERIFY(doc && doc->Modified());
            QCOMPARE(doc->Text(), text);
            QCOMPARE(k5test::ReadFile(file), before);
            return;
        }
        QTRY_VERIFY(!frame);
        QVERIFY(!doc);
        QCOMPARE(k5test::ReadFile(file), edited && answer == QLatin1String("&Yes") ? text.toUtf8() : before);
    }

    // SIGTERM while a modal window runs a loop of its own inside its own (as a transfer's wait does): the
    // window closes, and the main window waits, retry after retry, until both loops have returned, so
    // that it is whole when the inner loop returns; then it closes.
    void sigtermWaitsForTheLoopsOfAModalWindow()
    {
        QPointer<TEditForm> doc = openEdited(QStringLiteral("close.htm"));
        platform::Application::CloseOnTerminationSignal(frame);
        apptest::User user;
        user.Click(QStringLiteral("&No"));
        QPointer<QDialog> wait = new QDialog(frame);
        wait->setObjectName(QStringLiteral("Wait"));
        bool wholeWhenInnerReturned = false;
        int retries = 0;
        QTimer::singleShot(0, wait, [&] {
            QEventLoop inner;
            // The transfer goes on for a while after the signal: the main window tries again meanwhile.
            QTimer::singleShot(0, &inner, [] { ::kill(::getpid(), SIGTERM); });
            QTimer counter;
            connect(&counter, &QTimer::timeout, &inner, [&] {
                if ((!wait || !wait->isVisible()) && ++retries >= 30)
                    inner.quit();
            });
            counter.start(5);
            inner.exec();
            wholeWhenInnerReturned = frame && frame->isVisible() && !doc.isNull();
        });
        wait->exec();
        QVERIFY(wholeWhenInnerReturned);
        QTRY_VERIFY(!frame);
        apptest::Settle();
        QVERIFY(!doc);
        QCOMPARE(user.Texts, QStringList{QStringLiteral("Save changes to %1?").arg(file)});
        QCOMPARE(k5test::ReadFile(file), original);
    }

    // Cancel on the first document asked ends the shutdown: the others are not asked.
    void exitAfterACancelAsksNoMore_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"File > Exit", "main window close button", "SIGTERM"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void exitAfterACancelAsksNoMore()
    {
        QFETCH(QString, way);
        QList<QPointer<TEditForm>> docs;
        for (const char *name : {"one.htm", "two.htm", "three.htm"})
            docs << openEdited(QString::fromLatin1(name));
        apptest::User user;
        user.Click(QStringLiteral("Cancel"));
        if (way == QLatin1String("File > Exit")) {
            QAction *exit = apptest::FindItem(docs.last()->Menus(), QStringLiteral("Exit2"));
            QVERIFY(exit);
            exit->trigger();
        } else if (way == QLatin1String("main window close button")) {
            frame->close();
        } else {
            platform::Application::CloseOnTerminationSignal(frame);
            ::kill(::getpid(), SIGTERM);
            QTRY_VERIFY(user.Done());
        }
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY(frame && frame->isVisible());
        QCOMPARE(frame->MDIChildCount(), 3);
        for (const QPointer<TEditForm> &doc : docs)
            checkKept(doc, doc->FileName);
    }

    // Two documents' stored link and e-mail fields: what the user typed last is what is kept when the
    // program ends, whichever window goes last.
    void theStoredFieldTypedLastIsKept_data()
    {
        QTest::addColumn<bool>("typedInFirst");
        QTest::newRow("typed in the second, closed first") << false;
        QTest::newRow("typed in the first, the second closed first") << true;
    }
    void theStoredFieldTypedLastIsKept()
    {
        QFETCH(bool, typedInFirst);
        auto store = [] {
            auto s = std::make_unique<zel::TZELDataStore>();
            s->Registry.Path = QStringLiteral("Kestrova 5");
            s->Registry.Section = QStringLiteral("Settings");
            return s;
        };
        store()->WriteString(QStringLiteral("url1"), QStringLiteral("http://old.example/"));
        store()->WriteString(QStringLiteral("email1"), QStringLiteral("old@example.org"));
        QPointer<TEditForm> first = openEdited(QStringLiteral("first.htm"));
        frame->Start2->click();
        QPointer<TEditForm> second = frame->ActiveEditForm();
        QVERIFY(second && second != first);
        TEditForm *typing = typedInFirst ? first : second;
        for (TEditForm *doc : {first.data(), second.data()})
            QCOMPARE(doc->findChild<QLineEdit *>(QStringLiteral("Url1"))->text(), QStringLiteral("http://old.example/"));
        typing->PageControl1->setCurrentIndex(typing->PageControl1->indexOf(typing->findChild<QWidget *>(QStringLiteral("TabLink"))));
        apptest::Type(typing->findChild<QLineEdit *>(QStringLiteral("Url1")), QStringLiteral("http://typed.example/"));
        typing->PageControl1->setCurrentIndex(typing->PageControl1->indexOf(typing->findChild<QWidget *>(QStringLiteral("TabEmail"))));
        apptest::Type(typing->findChild<QLineEdit *>(QStringLiteral("EEmail1")), QStringLiteral("typed@example.org"));
        // The second window closes, then File > Exit: the edited first document is not saved.
        apptest::DocItem(second, "Close1")->trigger();
        apptest::Settle();
        QVERIFY(!second);
        apptest::User user;
        user.Click(QStringLiteral("&No"));
        apptest::DocItem(first, "Exit2")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(!frame && !first);
        QCOMPARE(store()->ReadString(QStringLiteral("url1")), QStringLiteral("http://typed.example/"));
        QCOMPARE(store()->ReadString(QStringLiteral("email1")), QStringLiteral("typed@example.org"));
        QCOMPARE(k5test::ReadFile(tmp(QStringLiteral("first.htm"))), original);
    }

    void aSecondRequestWhileAskingWaitsForTheAnswer()
    {
        QPointer<TEditForm> doc = openEdited(QStringLiteral("close.htm"));
        apptest::User user;
        // While the question is open a termination request comes in: it must not ask again or close.
        user.Then([&](QWidget *w) {
                if (!qobject_cast<QMessageBox *>(w))
                    return false;
                frame->close();
                return true;
            })
            .Click(QStringLiteral("Cancel"));
        doc->Close1->trigger();
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY(frame && frame->isVisible());
        checkKept(doc, file);
    }
};

K5_TEST_MAIN(TestClosing)
#include "test_closing.moc"
