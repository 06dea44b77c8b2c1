// The start dialog and the template dialog, answered as a user answers them: each way to begin, the
// built-in pages as written, and the user's own templates kept in the program folder.
#include "k5test.h"
#include "apptest.h"

#include "app/assistants/startdialog.h"
#include "app/assistants/templates.h"
#include "app/launchers.h"
#include "app/startup.h"
#include "app/workflow.h"
#include "platform/folders.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

using app::TEditForm;
using app::TFrameForm;
using assistants::TStartup;
using assistants::TTemplates3;

namespace {

const QString crlf = QStringLiteral("\r\n");

QListWidgetItem *itemNamed(QListWidget *view, const QString &text)
{
    const auto found = view->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void doubleClick(QListWidget *view, QListWidgetItem *item)
{
    view->doItemsLayout();
    view->scrollToItem(item);
    view->setCurrentItem(item);
    // What the window system sends for a double click: press, release, double click, release.
    const QPoint at = view->visualItemRect(item).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
}

// A step for the template dialog: shows a page and double-clicks an item on it.
k5test::User::Step chooseTemplate(int page, const QString &item)
{
    return [page, item](QWidget *w) {
        auto *t = qobject_cast<TTemplates3 *>(w);
        if (!t)
            return false;
        t->PageControl1->setCurrentIndex(page);
        auto *view = qobject_cast<QListWidget *>(t->PageControl1->widget(page));
        if (!view)
            view = t->ListView4;
        QListWidgetItem *it = itemNamed(view, item);
        if (!it)
            return false;
        doubleClick(view, it);
        return true;
    };
}

QStringList itemsOf(QListWidget *view)
{
    QStringList out;
    for (int i = 0; i < view->count(); ++i)
        out << view->item(i)->text();
    return out;
}

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    QString customList() const { return platform::ProgramFile(QStringLiteral("customtemplates.qvl")); }

private slots:
    void initTestCase()
    {
        frame = new TFrameForm;
        app::BindTemplateDialog(frame);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
    }
    void cleanupTestCase() { delete frame; }
    void init() { k5test::ResetEnvironment(); }
    void cleanup()
    {
        apptest::CloseAll(*frame);
        frame->OnStartProject = nullptr;
        frame->OnStartTheme = nullptr;
        apptest::Settle();
    }

    void eachWayToBeginDoesItsOwnThing()
    {
        // Blank Document: one empty-skeleton document.
        TStartup *start = app::ShowStartDialog();
        QTest::mouseClick(start->Continue, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(frame->MDIChildCount(), 1);
        QVERIFY(!app::StartDialog());
        apptest::CloseAll(*frame);

        // Templates...: File > New, so a document and the template dialog.
        {
            apptest::User user;
            QString seen;
            user.Then([&](QWidget *w) {
                seen = QString::fromLatin1(w->metaObject()->className());
                QTest::keyClick(w, Qt::Key_Escape);
                return true;
            });
            start = app::ShowStartDialog();
            start->Templates->setChecked(true);
            QTest::mouseClick(start->Continue, Qt::LeftButton);
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(seen, QStringLiteral("assistants::TTemplates3"));
            QCOMPARE(frame->MDIChildCount(), 1);
        }
        apptest::CloseAll(*frame);

        // Quick Start...: a document and the page start dialog.
        {
            apptest::User user;
            QString title;
            user.Then([&](QWidget *w) {
                title = w->windowTitle();
                w->close();
                return true;
            });
            start = app::ShowStartDialog();
            start->QuickStart->setChecked(true);
            QTest::mouseClick(start->Continue, Qt::LeftButton);
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(title, QStringLiteral("HTML Start"));
            QCOMPARE(frame->MDIChildCount(), 1);
        }
        apptest::CloseAll(*frame);

        // Open File...: the open dialog, then the chosen file.
        {
            const QString page = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/start.htm"), "<P>start</P>");
            apptest::User user;
            user.TypeFileName(page);
            start = app::ShowStartDialog();
            start->OpenFile->setChecked(true);
            QTest::mouseClick(start->Continue, Qt::LeftButton);
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(frame->MDIChildCount(), 1);
            QCOMPARE(frame->ActiveEditForm()->FileName, page);
        }
        apptest::CloseAll(*frame);

        // Shared Border and Theme...: their choosers, and no document of their own.
        int borders = 0, themes = 0;
        frame->OnStartProject = [&] { ++borders; };
        frame->OnStartTheme = [&] { ++themes; };
        frame->UpdateDocumentCommands();
        start = app::ShowStartDialog();
        QVERIFY(start->SharedBorder->isEnabled() && start->Theme->isEnabled());
        start->Theme->setChecked(true);
        QTest::mouseClick(start->Continue, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(themes, 1);
        QCOMPARE(borders, 0);
        QCOMPARE(frame->MDIChildCount(), 0);
        start = app::ShowStartDialog();
        start->SharedBorder->setChecked(true);
        QTest::mouseClick(start->Continue, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(borders, 1);
        QCOMPARE(themes, 1);
        QCOMPARE(frame->MDIChildCount(), 0);
    }

    void theTemplatePagesAreInTheirOrder()
    {
        std::unique_ptr<TTemplates3> t(app::CreateTemplates(frame));
        QStringList tabs;
        for (int i = 0; i < t->PageControl1->count(); ++i)
            tabs << t->PageControl1->tabText(i);
        QCOMPARE(tabs, (QStringList{QStringLiteral("HTML"), QStringLiteral("Frames"), QStringLiteral("Custom"), QStringLiteral("Wizards")}));
        QCOMPARE(itemsOf(t->ListView1),
                 (QStringList{QStringLiteral("Press Releases"), QStringLiteral("Employee Directory"), QStringLiteral("FAQ"),
                              QStringLiteral("Feedback"), QStringLiteral("Glossary"), QStringLiteral("Guestbook"),
                              QStringLiteral("Hotlist"), QStringLiteral("Normal"), QStringLiteral("Office Directory"),
                              QStringLiteral("Product Description"), QStringLiteral("Registration Form")}));
        QCOMPARE(itemsOf(t->ListView2),
                 (QStringList{QStringLiteral("Banner and Contents"), QStringLiteral("Contents"), QStringLiteral("Footer"),
                              QStringLiteral("Footnotes"), QStringLiteral("Header, Footer and Contents"),
                              QStringLiteral("Horizontal Split"), QStringLiteral("Nested Hiarachy"),
                              QStringLiteral("Top-Down Hiarachy"), QStringLiteral("Vertical Split")}));
        QCOMPARE(itemsOf(t->ListView5), (QStringList{QStringLiteral("Homepage Index"), QStringLiteral("Personal Homepage"),
                                                     QStringLiteral("Company Homepage")}));
        QCOMPARE(t->windowTitle(), QStringLiteral("Templates..."));
        // The HTML pages share their look.
        for (const QString &name : TTemplates3::HtmlTemplates()) {
            if (name == QLatin1String("Normal"))
                continue;
            const QString page = TTemplates3::TemplateText(name);
            QVERIFY2(page.contains(QStringLiteral("<body bgcolor=\"#FFFFFF\" text=\"#000000\" link=\"#0080FF\" "
                                                  "vlink=\"#0080FF\" alink=\"#0080C0\">")),
                     qPrintable(name));
            QVERIFY(page.contains(QStringLiteral("<font face=\"Verdana\" size=\"2\">")));
            QVERIFY(page.contains(QStringLiteral("<hr width=\"90%\" size=\"1\">")));
            QVERIFY(page.startsWith(QStringLiteral("<html>")) && page.endsWith(QStringLiteral("</html>\r\n")));
            QVERIFY(page.contains(QStringLiteral(" - Kestrova</title>")));
        }
    }

    void normalReplacesTheSkeletonUnmodified()
    {
        apptest::User user;
        user.Then(chooseTemplate(0, QStringLiteral("Normal")));
        frame->New1->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        TEditForm *doc = frame->ActiveEditForm();
        QCOMPARE(frame->MDIChildCount(), 1);
        const QStringList lines = doc->Text().split(crlf);
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines[2], QStringLiteral("<TITLE>Document Title </TITLE>"));
        QCOMPARE(lines[3], QStringLiteral("<META NAME=\"Generator\" CONTENT=\"Kestrova\">"));
        QCOMPARE(lines[4], QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">"));
        QCOMPARE(lines[8], QStringLiteral("<!-- Begin Here -->"));
        QCOMPARE(lines.last(), QStringLiteral("</HTML>"));
        QVERIFY(!doc->Modified());
        // Cancelling the dialog keeps the skeleton.
        user.Escape();
        frame->New1->trigger();
        apptest::Settle();
        QVERIFY(frame->ActiveEditForm()->Text().contains(QStringLiteral("<TITLE>Document Title</TITLE>")));
    }

    void theFramePagesAreWrittenExactly_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QStringList>("frameset");
        auto f = [](const char *name, const char *target, bool fixed, const char *indent = "  ") {
            QString s = QLatin1String(indent) + QStringLiteral("<frame name=\"%1\"").arg(QLatin1String(name));
            if (fixed)
                s += QStringLiteral(" scrolling=\"no\" noresize");
            if (target)
                s += QStringLiteral(" target=\"%1\"").arg(QLatin1String(target));
            return s + QStringLiteral(" src=\"YOURSITE.htm\">");
        };
        QTest::newRow("Banner and Contents") << "Banner and Contents"
            << QStringList{"<frameset rows=\"64,*\">", f("banner", "contents", true), "  <frameset cols=\"150,*\">",
                           f("contents", "main", false, "    "), f("main", nullptr, false, "    "), "  </frameset>"};
        QTest::newRow("Contents") << "Contents" << QStringList{"<frameset cols=\"150,*\">", f("contents", "main", false), f("main", nullptr, false)};
        QTest::newRow("Footer") << "Footer" << QStringList{"<frameset rows=\"*,64\">", f("main", nullptr, false), f("footer", "main", true)};
        QTest::newRow("Footnotes") << "Footnotes" << QStringList{"<frameset rows=\"*,20%\">", f("main", "footnotes", false), f("footnotes", nullptr, false)};
        QTest::newRow("Header, Footer and Contents") << "Header, Footer and Contents"
            << QStringList{"<frameset rows=\"64,*,64\">", f("top", "contents", true), "  <frameset cols=\"150,*\">",
                           f("contents", "main", false, "    "), f("main", nullptr, false, "    "), "  </frameset>",
                           f("bottom", "contents", true)};
        QTest::newRow("Horizontal Split") << "Horizontal Split" << QStringList{"<frameset rows=\"*,*\">", f("top", nullptr, false), f("bottom", nullptr, false)};
        QTest::newRow("Nested Hiarachy") << "Nested Hiarachy"
            << QStringList{"<frameset cols=\"150,*\">", f("left", "rtop", true), "  <frameset rows=\"20%,*\">",
                           f("rtop", "rbottom", false, "    "), f("rbottom", nullptr, false, "    "), "  </frameset>"};
        QTest::newRow("Top-Down Hiarachy") << "Top-Down Hiarachy"
            << QStringList{"<frameset rows=\"64,25%,*\">", f("top", "middle", true), f("middle", "bottom", false), f("bottom", nullptr, false)};
        QTest::newRow("Vertical Split") << "Vertical Split" << QStringList{"<frameset cols=\"*,*\">", f("left", nullptr, false), f("right", nullptr, false)};
    }
    void theFramePagesAreWrittenExactly()
    {
        QFETCH(QString, layout);
        QFETCH(QStringList, frameset);
        QStringList expected;
        if (layout != QLatin1String("Contents")) // it starts with the head element
            expected << QStringLiteral("<html>") << QString();
        expected << QStringLiteral("<head>") << QStringLiteral("<title>Document_title_here</title>")
                 << QStringLiteral("<meta name=\"GENERATOR\" content=\"Kestrova\">")
                 << QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">") << QStringLiteral("</head>")
                 << QString();
        expected << frameset;
        expected << QStringLiteral("  <noframes>") << QStringLiteral("  <body>") << QString()
                 << QStringLiteral("  <p>This page uses frames, but your browser doesn't support them.</p>") << QString()
                 << QStringLiteral("  </body>") << QStringLiteral("  </noframes>") << QStringLiteral("</frameset>")
                 << QStringLiteral("</html>") << QString();

        // Through the dialog, into the new document.
        apptest::User user;
        user.Then(chooseTemplate(1, layout));
        frame->New1->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        TEditForm *doc = frame->ActiveEditForm();
        QCOMPARE(doc->Text().split(crlf), expected);
        QVERIFY(!doc->Modified());
    }

    void customTemplatesAreAddedInsertedAndDeleted()
    {
        const QString src = k5test::Root() + QStringLiteral("/tmp/mine");
        const QString first = k5test::WriteFile(src + QStringLiteral("/my page.htm"), "<P>mine</P>");
        const QString second = k5test::WriteFile(src + QStringLiteral("/second.htm"), "<B>two</B>");
        const QString own = k5test::WriteFile(src + QStringLiteral("/filelist.qvl"), "not a template");
        const QString templatesFolder = k5test::WriteFile(src + QStringLiteral("/templates"), "folder name");
        const QString broken = k5test::WriteFile(src + QStringLiteral("/two\nlines.htm"), "<P>2</P>");
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->ReplaceText(QStringLiteral("[]"));
        doc->RiloMemo1->SetSelStart(1);

        auto t = std::unique_ptr<TTemplates3>(app::CreateTemplates(frame));
        t->show();
        QVERIFY(!t->DeleteButton->isEnabled());
        apptest::User user;
        // Two templates; a cancelled open dialog adds nothing; the same file again adds no second item.
        user.TypeFileName(first).TypeFileName(second).Escape().TypeFileName(first).Click(QStringLiteral("Yes"));
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(t->InsertButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(t->CustomTemplates(), (QStringList{QStringLiteral("my page.htm"), QStringLiteral("second.htm")}));
        QCOMPARE(k5test::ReadFile(platform::ProgramFile(QStringLiteral("my page.htm"))), QByteArray("<P>mine</P>"));
        QCOMPARE(t->Edit1->text(), QStringLiteral("my page.htm"));

        // Overwriting a file of that name is asked first; No leaves it.
        k5test::WriteFile(first, "<P>changed</P>");
        user.TypeFileName(first).Click(QStringLiteral("No"));
        QTest::mouseClick(t->InsertButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(user.Texts.last().contains(QStringLiteral("my page.htm")));
        QCOMPARE(k5test::ReadFile(platform::ProgramFile(QStringLiteral("my page.htm"))), QByteArray("<P>mine</P>"));

        // The program's own files are refused, and a name the list would read back as two.
        for (const QString &refused : {own, templatesFolder, broken}) {
            user.TypeFileName(refused).Click(QStringLiteral("OK"));
            QTest::mouseClick(t->InsertButton, Qt::LeftButton);
            apptest::Settle();
            QVERIFY(user.Done());
            QVERIFY2(user.Texts.last().contains(QStringLiteral("cannot be a custom template")), qPrintable(user.Texts.last()));
            QCOMPARE(t->CustomTemplates().size(), 2);
        }
        QVERIFY(!QFile::exists(platform::ProgramFile(QStringLiteral("filelist.qvl"))));
        QVERIFY(QFileInfo(platform::ProgramFile(QStringLiteral("templates"))).isDir());
        QVERIFY(!QFile::exists(platform::ProgramFile(QStringLiteral("two\nlines.htm"))));

        // A double click inserts the template at the caret and closes the dialog.
        t->PageControl1->setCurrentIndex(2);
        doubleClick(t->ListView4, itemNamed(t->ListView4, QStringLiteral("second.htm")));
        QCOMPARE(doc->Text(), QStringLiteral("[<B>two</B>]"));
        QVERIFY(!t->isVisible());
        QCOMPARE(k5test::ReadFile(customList()), QByteArray("my page.htm\r\nsecond.htm\r\n"));

        // Made again: the same items; delete takes the item and its file.
        t.reset(app::CreateTemplates(frame));
        t->show();
        QCOMPARE(t->CustomTemplates(), (QStringList{QStringLiteral("my page.htm"), QStringLiteral("second.htm")}));
        t->ListView4->setCurrentItem(t->ListView4->item(0));
        QVERIFY(t->DeleteButton->isEnabled());
        QTest::mouseClick(t->DeleteButton, Qt::LeftButton);
        QVERIFY(!QFile::exists(platform::ProgramFile(QStringLiteral("my page.htm"))));
        QCOMPARE(t->CustomTemplates(), QStringList{QStringLiteral("second.htm")});
        // A template whose file is gone: the item goes, and the missing file is said.
        QVERIFY(QFile::remove(platform::ProgramFile(QStringLiteral("second.htm"))));
        t->ListView4->setCurrentItem(t->ListView4->item(0));
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(t->DeleteButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(user.Texts.last().contains(QStringLiteral("second.htm")));
        QVERIFY(t->CustomTemplates().isEmpty());
        t->close();
        QCOMPARE(k5test::ReadFile(customList()), QByteArray());
    }

    void aHandWrittenListLeadsNowhereOutside()
    {
        const QString outside = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/keep.htm"), "keep");
        const QString program = platform::ProgramFolder();
        k5test::WriteFile(platform::ProgramFile(QStringLiteral("ok.htm")), "<I>ok</I>");
        const QByteArray list = "../tmp/keep.htm\r\n" + outside.toUtf8() + "\r\nok.htm\r\nok.htm\r\nprojects.qvl\r\ngone.htm\r\n";
        k5test::WriteFile(customList(), list);
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->ReplaceText(QStringLiteral("[]"));
        std::unique_ptr<TTemplates3> t(app::CreateTemplates(frame));
        t->show();
        QCOMPARE(t->CustomTemplates(), (QStringList{QStringLiteral("ok.htm"), QStringLiteral("gone.htm")}));
        // A template whose file is gone is said so; the dialog stays and the document is as it was.
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        t->PageControl1->setCurrentIndex(2);
        doubleClick(t->ListView4, t->ListView4->item(1));
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY2(user.Texts.first().contains(QStringLiteral("gone.htm")), qPrintable(user.Texts.first()));
        QVERIFY(t->isVisible());
        QCOMPARE(doc->Text(), QStringLiteral("[]"));
        t->ListView4->setCurrentItem(t->ListView4->item(0));
        QTest::mouseClick(t->DeleteButton, Qt::LeftButton);
        QVERIFY(!QFile::exists(platform::ProgramFile(QStringLiteral("ok.htm"))));
        QCOMPARE(k5test::ReadFile(outside), QByteArray("keep"));
        QVERIFY(QFileInfo(program).isDir());
        QCOMPARE(TTemplates3::RefusedName(QStringLiteral("a/b.htm")).isEmpty(), false);
        QCOMPARE(TTemplates3::RefusedName(QStringLiteral("..")).isEmpty(), false);
        QCOMPARE(TTemplates3::RefusedName(QStringLiteral("FILELIST.QVL")).isEmpty(), false);
        QCOMPARE(TTemplates3::RefusedName(QStringLiteral("kestrova5.ini")).isEmpty(), false);
        QVERIFY(TTemplates3::RefusedName(QStringLiteral("my page.htm")).isEmpty());
    }

    void aListThatDoesNotReadIsLeftByteForByte()
    {
        const QByteArray bad("ok.htm\r\nmy\0page.htm\r\n", 21);
        k5test::WriteFile(customList(), bad);
        // File > New: the list's fault is told, and the dialog is closed as it came, from its Custom page.
        apptest::User user;
        user.Click(QStringLiteral("OK")).Then([](QWidget *w) {
            auto *t = qobject_cast<TTemplates3 *>(w);
            if (!t)
                return false;
            t->PageControl1->setCurrentIndex(2);
            QTest::keyClick(t, Qt::Key_Escape);
            return true;
        });
        frame->New1->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(QStringLiteral("customtemplates.qvl")), qPrintable(user.Texts.first()));
        QCOMPARE(k5test::ReadFile(customList()), bad);
        // Closed with its own button the same way.
        user.Click(QStringLiteral("OK")).Then([](QWidget *w) {
            auto *t = qobject_cast<TTemplates3 *>(w);
            if (!t)
                return false;
            t->close();
            return true;
        });
        frame->New1->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(k5test::ReadFile(customList()), bad);
    }

    void wizardsThatAreNotBuiltOfferNothing()
    {
        std::unique_ptr<TTemplates3> t(app::CreateTemplates(frame));
        t->show();
        for (int i = 0; i < t->ListView5->count(); ++i) {
            QListWidgetItem *item = t->ListView5->item(i);
            const bool built = app::CanLaunchClass(TTemplates3::WizardClass(item->text()));
            QCOMPARE(bool(item->flags() & Qt::ItemIsEnabled), built);
            if (!built) {
                doubleClick(t->ListView5, item);
                QVERIFY(t->isVisible());
                QCOMPARE(frame->MDIChildCount(), 0);
            }
        }
    }

    // Last: the real start-up installs the exception dialog for the rest of the run.
    void theStartDialogComesASecondAfterStartUp()
    {
        // The real start-up, beside the frame of the other cases.
        TFrameForm *own = frame;
        const app::StartedApplication s = app::StartUp();
        auto *timer = s.frame->findChild<QTimer *>(QStringLiteral("Timer2"));
        QVERIFY(timer && timer->isSingleShot() && timer->interval() == 1000 && timer->isActive());
        QVERIFY(!app::StartDialog());
        QTRY_VERIFY_WITH_TIMEOUT(app::StartDialog() && app::StartDialog()->isVisible(), 10000);
        TStartup *start = app::StartDialog();
        QVERIFY(!timer->isActive()); // once
        QCOMPARE(start->windowTitle(), QStringLiteral("Kestrova 5"));
        QCOMPARE(start->Header->text(), QStringLiteral("WELCOME"));
        QVERIFY(start->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!start->isModal());
        QStringList captions;
        for (QRadioButton *r : start->findChildren<QRadioButton *>())
            captions << r->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("Blank Document..."), QStringLiteral("Templates..."),
                                        QStringLiteral("Quick Start..."), QStringLiteral("Open File..."),
                                        QStringLiteral("Shared Border"), QStringLiteral("Theme...")}));
        QVERIFY(start->BlankDocument->isChecked());
        QCOMPARE(start->Continue->text(), QStringLiteral("Continue..."));
        // The shared border and theme windows are built: their ways are offered.
        QVERIFY(start->SharedBorder->isEnabled() && start->Theme->isEnabled());
        // Closing the main window closes it.
        QPointer<TStartup> guard(start);
        s.frame->close();
        QTRY_VERIFY(!guard);
        app::FrameForm = own;
    }
};

K5_TEST_MAIN(TestTemplates)
#include "test_templates.moc"
