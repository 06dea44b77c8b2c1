// The project manager, driven as a user drives it: "projects.qvl" exactly as written, the root left alone,
// documents opened through the main window's open relay, and several managers that keep each other's work.
#include "k5test.h"
#include "apptest.h"

#include "app/assistants/projectstart.h"
#include "app/workflow.h"
#include "controls/tree/treefile.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/folders.h"
#include "tools/publish/ftpsettings.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using app::TEditForm;
using app::TFrameForm;
using assistants::TProjectStart;

namespace {

// Types a name into the new project dialog and presses its Ok.
k5test::User::Step nameProject(const QString &name)
{
    return [name](QWidget *w) {
        auto *ask = qobject_cast<assistants::Tnewproject *>(w);
        if (!ask)
            return false;
        QTest::keyClicks(ask->Edit1, name);
        QTest::mouseClick(ask->Button1, Qt::LeftButton);
        return true;
    };
}

tree::TZozeZONode *find(TProjectStart *m, const QString &text)
{
    for (tree::TZozeZONode *n = m->TreeView1->Items()->GetFirstNode(); n; n = n->GetNext())
        if (n->Text() == text)
            return n;
    return nullptr;
}

void select(TProjectStart *m, const QString &text)
{
    tree::TZozeZONode *n = find(m, text);
    QVERIFY2(n, qPrintable(text));
    m->TreeView1->SetSelected(n);
}

} // namespace

class TestProjects : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    QString dir;

    QByteArray file() const { return k5test::ReadFile(TProjectStart::ProjectsFile()); }
    TProjectStart *open()
    {
        const auto before = frame->findChildren<TProjectStart *>();
        frame->ProjectManager1->trigger();
        for (TProjectStart *m : frame->findChildren<TProjectStart *>())
            if (!before.contains(m))
                return m;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { delete frame; }
    void init()
    {
        k5test::ResetEnvironment();
        dir = k5test::Root() + QStringLiteral("/site");
        k5test::WriteFile(dir + QStringLiteral("/a.htm"), "<P>a</P>");
        k5test::WriteFile(dir + QStringLiteral("/b.htm"), "<P>b</P>");
    }
    void cleanup()
    {
        for (TProjectStart *m : frame->findChildren<TProjectStart *>())
            m->close();
        apptest::CloseAll(*frame);
        apptest::Settle();
    }

    void theProjectsFileIsWrittenExactly()
    {
        QCOMPARE(file(), QByteArray("Project(s)\r\n")); // as shipped
        k5test::WriteFile(TProjectStart::ProjectsFile(), "Project(s)\r\n\tSite A\r\n");
        TProjectStart *m = open();
        QVERIFY(m && m->isVisible());
        QCOMPARE(m->windowTitle(), QStringLiteral("Project Manager"));
        QVERIFY(m->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(m->AddDocumentButton->text(), QStringLiteral("Add Document "));

        apptest::User user;
        select(m, QStringLiteral("Site A"));
        QCOMPARE(frame->Edit2->Text(), QStringLiteral("Site A"));
        user.Then(nameProject(QStringLiteral("Site B")));
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(m->Edit1->text(), QStringLiteral("Site B"));
        QCOMPARE(file(), QByteArray("Project(s)\r\n\tSite A\r\n\tSite B\r\n"));

        // Cancelling the new project dialog adds nothing.
        user.Escape();
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(m->TreeView1->Items()->Count(), 3);

        // Documents below the selected project, in the dialog's order.
        select(m, QStringLiteral("Site B"));
        user.Then(apptest::ChooseFiles(dir, {QStringLiteral("b.htm"), QStringLiteral("a.htm")}));
        QTest::mouseClick(m->AddDocumentButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        const QByteArray withDocs = "Project(s)\r\n\tSite A\r\n\tSite B\r\n\t\t" + (dir + QStringLiteral("/b.htm")).toUtf8() +
                                    "\r\n\t\t" + (dir + QStringLiteral("/a.htm")).toUtf8() + "\r\n";
        QCOMPARE(file(), withDocs);

        // Closing writes nothing new; made again, the manager shows the same tree.
        m->close();
        apptest::Settle();
        QCOMPARE(file(), withDocs);
        m = open();
        QCOMPARE(m->TreeView1->SaveToBytes(false), withDocs);

        // Delete takes a node with its children.
        select(m, QStringLiteral("Site B"));
        QTest::mouseClick(m->DeleteButton, Qt::LeftButton);
        QCOMPARE(file(), QByteArray("Project(s)\r\n\tSite A\r\n"));

        // Expand all and collapse all from the pop-up menu.
        QAction *expand = m->PopupMenu1->findChild<QAction *>(QStringLiteral("Expandall1"));
        QAction *collapse = m->PopupMenu1->findChild<QAction *>(QStringLiteral("Collapseall1"));
        QVERIFY(expand && collapse);
        QCOMPARE(expand->text(), QStringLiteral("&Expand all"));
        collapse->trigger();
        QVERIFY(!find(m, QStringLiteral("Project(s)"))->Expanded());
        expand->trigger();
        QVERIFY(find(m, QStringLiteral("Project(s)"))->Expanded());
    }

    void theRootIsLeftAloneWithoutAWord()
    {
        TProjectStart *m = open();
        select(m, QStringLiteral("Project(s)"));
        apptest::User user; // any window that comes up would be an unexpected one
        for (QPushButton *b : {m->AddDocumentButton, m->EditButton, m->DeleteButton})
            QTest::mouseClick(b, Qt::LeftButton);
        int uploads = 0;
        m->OnUpload = [&](const QString &) { ++uploads; };
        m->UploadClick();
        apptest::Settle();
        QVERIFY(user.Texts.isEmpty());
        QCOMPARE(uploads, 0);
        QCOMPARE(frame->MDIChildCount(), 0);
        QCOMPARE(file(), QByteArray("Project(s)\r\n"));
        QCOMPARE(m->TreeView1->Items()->Count(), 1);
        // Uploads go to the FTP settings window.
        QVERIFY(m->UploadButton->isEnabled());
    }

    void uploadWithNoHostAsksForTheSettingsFirst()
    {
        const QString a = dir + QStringLiteral("/up.htm");
        k5test::WriteFile(a, "<P>up</P>");
        k5test::WriteFile(TProjectStart::ProjectsFile(), "Project(s)\r\n\tSite\r\n\t\t" + a.toUtf8() + "\r\n");
        TProjectStart *m = open();
        select(m, a);
        QVERIFY(m->UploadButton->isEnabled());
        QStringList shown;
        {
            apptest::User user;
            // No host is stored: the FTP settings come up; closed without one, nothing goes.
            user.Then([&](QWidget *w) {
                shown << w->windowTitle();
                w->close();
                return true;
            });
            QTest::mouseClick(m->UploadButton, Qt::LeftButton);
            apptest::Settle();
            QVERIFY(user.Done());
            QVERIFY(user.Texts.isEmpty());
        }
        QCOMPARE(shown.size(), 1);
        QVERIFY(!publish::FTPSettings->isVisible());
        QCOMPARE(k5test::ReadFile(a), QByteArray("<P>up</P>"));
        m->close();
        apptest::Settle();
    }

    void editOpensTheSelectedDocument()
    {
        const QString a = dir + QStringLiteral("/a.htm");
        k5test::WriteFile(TProjectStart::ProjectsFile(),
                          "Project(s)\r\n\tSite\r\n\t\t" + a.toUtf8() + "\r\n\t\t" + (dir + QStringLiteral("/gone.htm")).toUtf8() + "\r\n");
        TProjectStart *m = open();
        select(m, a);
        QTest::mouseClick(m->EditButton, Qt::LeftButton);
        TEditForm *doc = frame->ActiveEditForm();
        QVERIFY(doc);
        QCOMPARE(doc->FileName, a);
        QCOMPARE(doc->Text(), QStringLiteral("<P>a</P>"));
        // A document that is gone is reported; nothing else happens.
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        select(m, dir + QStringLiteral("/gone.htm"));
        QTest::mouseClick(m->EditButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(user.Texts.first().contains(QStringLiteral("gone.htm")));
        QCOMPARE(frame->MDIChildCount(), 1);
    }

    void severalManagersKeepEachOthersWork()
    {
        k5test::WriteFile(TProjectStart::ProjectsFile(), "Project(s)\r\n\tSite A\r\n");
        TProjectStart *first = open();
        TProjectStart *second = open();
        QVERIFY(first && second && first != second);
        select(first, QStringLiteral("Site A"));
        first->AddProject(QStringLiteral("From first"));
        select(second, QStringLiteral("Site A"));
        second->AddProject(QStringLiteral("From second"));
        QCOMPARE(file(), QByteArray("Project(s)\r\n\tSite A\r\n\tFrom first\r\n\tFrom second\r\n"));
        // The first one's delete keeps the second one's project, and so does closing either.
        select(first, QStringLiteral("From first"));
        QTest::mouseClick(first->DeleteButton, Qt::LeftButton);
        QCOMPARE(file(), QByteArray("Project(s)\r\n\tSite A\r\n\tFrom second\r\n"));
        second->close();
        first->close();
        apptest::Settle();
        QCOMPARE(file(), QByteArray("Project(s)\r\n\tSite A\r\n\tFrom second\r\n"));
    }

    void projectNamesReadBackAsShown()
    {
        k5test::WriteFile(TProjectStart::ProjectsFile(), "Project(s)\r\n\tSite A\r\n");
        TProjectStart *m = open();
        apptest::User user;
        // Blanks that lead a name would read back as levels of the tree: the name is kept without them.
        select(m, QStringLiteral("Site A"));
        user.Then(nameProject(QStringLiteral("  Spaced")));
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        select(m, QStringLiteral("Project(s)"));
        user.Then(nameProject(QStringLiteral(" \tTop level")));
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        // Lines pasted into the name would end its line in the file: they become one line.
        select(m, QStringLiteral("Top level"));
        user.Then([](QWidget *w) {
            auto *ask = qobject_cast<assistants::Tnewproject *>(w);
            if (!ask)
                return false;
            QApplication::clipboard()->setText(QStringLiteral("Two\r\nlines"));
            ask->Edit1->setFocus();
            QTest::keyClick(ask->Edit1, Qt::Key_V, Qt::ControlModifier);
            QTest::mouseClick(ask->Button1, Qt::LeftButton);
            return true;
        });
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(m->TreeView1->Items()->Count(), 5);
        // A name of blanks only would vanish from the file: nothing is added.
        select(m, QStringLiteral("Site A"));
        user.Then(nameProject(QStringLiteral("   ")));
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        const QByteArray shown = m->TreeView1->SaveToBytes(false);
        QVERIFY(shown.startsWith("Project(s)\r\n\tSite A\r\n\tSpaced\r\nTop level\r\nTwo"));
        QVERIFY(shown.endsWith("lines\r\n"));
        QCOMPARE(file(), shown);
        m->close();
        apptest::Settle();
        // Made again, the manager reads every name back where it was, without a word.
        m = open();
        apptest::Settle();
        QCOMPARE(m->TreeView1->SaveToBytes(false), shown);
        QCOMPARE(find(m, QStringLiteral("Spaced"))->Level(), 1);
        QCOMPARE(find(m, QStringLiteral("Top level"))->Level(), 0);
        QVERIFY(user.Texts.isEmpty());
    }

    // A NUL pasted into a project's name would end the projects file where it stands: it is not stored.
    void aNulInAProjectNameIsNotStored()
    {
        k5test::WriteFile(TProjectStart::ProjectsFile(), "Project(s)\r\n");
        TProjectStart *m = open();
        apptest::User user;
        select(m, QStringLiteral("Project(s)"));
        user.Then([](QWidget *w) {
            auto *ask = qobject_cast<assistants::Tnewproject *>(w);
            if (!ask)
                return false;
            QApplication::clipboard()->setText(QString::fromUtf16(u"Si\0te", 5));
            ask->Edit1->setFocus();
            QTest::keyClick(ask->Edit1, Qt::Key_V, Qt::ControlModifier);
            QTest::mouseClick(ask->Button1, Qt::LeftButton);
            return true;
        });
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(file(), QByteArray("Project(s)\r\nSite\r\n"));
        m->close();
        apptest::Settle();
        m = open();
        apptest::Settle();
        QVERIFY(find(m, QStringLiteral("Site")));
        QVERIFY(user.Texts.isEmpty());
    }

    // A document whose name holds a line break would read back as two nodes: it is refused with a message,
    // the others chosen with it are added.
    void aDocumentNameWithALineBreakIsRefused()
    {
        const QString odd = k5test::WriteFile(dir + QStringLiteral("/two\nlines.htm"), "<P>x</P>");
        k5test::WriteFile(TProjectStart::ProjectsFile(), "Project(s)\r\n\tSite A\r\n");
        TProjectStart *m = open();
        select(m, QStringLiteral("Site A"));
        apptest::User user;
        user.Then(apptest::ChooseFiles(dir, {QStringLiteral("two\nlines.htm"), QStringLiteral("a.htm")}))
            .Click(QStringLiteral("OK"));
        QTest::mouseClick(m->AddDocumentButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts[0].contains(QStringLiteral("\"%1\"").arg(odd)), qPrintable(user.Texts[0]));
        QCOMPARE(file(), "Project(s)\r\n\tSite A\r\n\t\t" + (dir + QStringLiteral("/a.htm")).toUtf8() + "\r\n");
    }

    void aListThatWentBadMeanwhileIsNotWrittenOver()
    {
        // A manager that started from no file holds one project; then the file goes bad behind it.
        QVERIFY(QFile::remove(TProjectStart::ProjectsFile()));
        TProjectStart *m = open();
        m->AddProject(QStringLiteral("Only"));
        QCOMPARE(file(), QByteArray("Only\r\n"));
        tree::TTreeFile::ForgetReportedErrors();
        const QByteArray bad("Project(s)\r\n\t\t\tToo deep\r\n");
        k5test::WriteFile(TProjectStart::ProjectsFile(), bad);
        // Deleting its last project would write an empty list over it: the user is told, and it stays.
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        select(m, QStringLiteral("Only"));
        QTest::mouseClick(m->DeleteButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QCOMPARE(file(), bad);
        QCOMPARE(k5test::ReadFile(TProjectStart::ProjectsFile() + QStringLiteral(".bak")), bad);
        m->close();
        apptest::Settle();
        QCOMPARE(file(), bad);
    }

    void aFileThatDoesNotReadIsKeptUnlessTheTreeChanges()
    {
        tree::TTreeFile::ForgetReportedErrors();
        const QByteArray bad("Project(s)\r\n\tSite\0A\r\n", 21);
        k5test::WriteFile(TProjectStart::ProjectsFile(), bad);
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        TProjectStart *m = open();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QCOMPARE(k5test::ReadFile(TProjectStart::ProjectsFile() + QStringLiteral(".bak")), bad);
        // A second manager on the same file says nothing more; closing both leaves the file.
        TProjectStart *again = open();
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 1);
        again->close();
        m->close();
        apptest::Settle();
        QCOMPARE(file(), bad);
        // A change by the user is written.
        m = open();
        user.Then(nameProject(QStringLiteral("Fresh")));
        QTest::mouseClick(m->NewProjectButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(file(), QByteArray("Fresh\r\n"));
        QCOMPARE(user.Texts.size(), 1);
    }
};

K5_TEST_MAIN(TestProjects)
#include "test_projects.moc"
