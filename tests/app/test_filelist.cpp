// The file list and the file search, driven as a user drives them: "filelist.qvl" exactly as written,
// paths kept once whatever their case, files opened in new documents, and searches that append.
#include "k5test.h"
#include "apptest.h"

#include "app/assistants/filelist.h"
#include "app/assistants/listfile.h"
#include "app/assistants/searchfile.h"
#include "app/launchers.h"
#include "controls/zel/filecollector.h"
#include "controls/zel/folderbrowser.h"
#include "platform/error.h"
#include "platform/folders.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>

using app::TEditForm;
using app::TFrameForm;
using assistants::TFilelist;
using assistants::TSearchFile;

namespace {

// Double-clicks an item where the list shows it.
void doubleClick(QListWidget *list, QListWidgetItem *item)
{
    list->doItemsLayout();
    list->scrollToItem(item);
    // What the window system sends for a double click: press, release, double click, release.
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

QListWidgetItem *select(QListWidget *list, int row)
{
    QListWidgetItem *item = list->item(row);
    list->setCurrentItem(item);
    item->setSelected(true);
    return item;
}

} // namespace

class TestFilelist : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    QString dir;

    TFilelist *filelist() const { return frame->findChild<TFilelist *>(); }
    QString listFile() const { return platform::ProgramFile(QStringLiteral("filelist.qvl")); }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { delete frame; }
    void init()
    {
        k5test::ResetEnvironment();
        dir = k5test::Root() + QStringLiteral("/files");
        QDir(dir).removeRecursively();
        for (const char *name : {"One.htm", "a.htm", "B.htm", "c.htm"})
            k5test::WriteFile(dir + QLatin1Char('/') + QLatin1String(name), QByteArray("<P>") + name + "</P>");
    }
    void cleanup()
    {
        delete filelist(); // made anew, so that it reads the list file again
        for (TSearchFile *s : frame->findChildren<TSearchFile *>())
            delete s;
        apptest::CloseAll(*frame);
        apptest::Settle();
    }

    void theListFileHoldsEachPathOnce()
    {
        k5test::WriteFile(listFile(), (dir + QStringLiteral("/ONE.htm\r\n")).toUtf8());
        QVERIFY(frame->EditFilelist1->isEnabled());
        frame->EditFilelist1->trigger();
        TFilelist *fl = filelist();
        QVERIFY(fl && fl->isVisible());
        QCOMPARE(fl->windowTitle(), QStringLiteral("FileList"));
        QVERIFY(fl->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(fl->Files(), QStringList{dir + QStringLiteral("/ONE.htm")});

        apptest::User user;
        user.Then(apptest::ChooseFiles(dir, {QStringLiteral("One.htm"), QStringLiteral("a.htm"), QStringLiteral("B.htm")}));
        QTest::mouseClick(fl->AddFilesButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        // Written as soon as it changed; "One.htm" is "ONE.htm" already.
        const QByteArray expected = (dir + QStringLiteral("/ONE.htm\r\n") + dir + QStringLiteral("/a.htm\r\n") + dir +
                                     QStringLiteral("/B.htm\r\n"))
                                        .toUtf8();
        QCOMPARE(k5test::ReadFile(listFile()), expected);

        // Again, with one new path: only that one is added.
        user.Then(apptest::ChooseFiles(dir, {QStringLiteral("a.htm"), QStringLiteral("c.htm")}));
        QTest::mouseClick(fl->AddFilesButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(k5test::ReadFile(listFile()), expected + (dir + QStringLiteral("/c.htm\r\n")).toUtf8());

        // Cancelling the open dialog adds nothing.
        user.Escape();
        QTest::mouseClick(fl->AddFilesButton, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(fl->Files().size(), 4);

        // Delete takes the selected path; with none selected it does nothing.
        fl->ListBox1->clearSelection();
        fl->ListBox1->setCurrentItem(nullptr);
        QTest::mouseClick(fl->DeleteButton, Qt::LeftButton);
        QCOMPARE(fl->Files().size(), 4);
        select(fl->ListBox1, 1);
        QCOMPARE(fl->ListBox1->toolTip(), dir + QStringLiteral("/a.htm")); // the hint names the path
        QTest::mouseClick(fl->DeleteButton, Qt::LeftButton);
        QCOMPARE(k5test::ReadFile(listFile()),
                 (dir + QStringLiteral("/ONE.htm\r\n") + dir + QStringLiteral("/B.htm\r\n") + dir + QStringLiteral("/c.htm\r\n")).toUtf8());

        // Closed and made again, it shows the same list.
        QTest::mouseClick(fl->CloseButton, Qt::LeftButton);
        QVERIFY(!fl->isVisible());
        delete fl;
        frame->EditFilelist1->trigger();
        QCOMPARE(filelist()->Files().size(), 3);
    }

    void editOpensTheFileUnderItsFullPath()
    {
        k5test::WriteFile(listFile(), (dir + QStringLiteral("/a.htm\r\n") + dir + QStringLiteral("/gone.htm\r\n")).toUtf8());
        // The editor's pop-up menu and the Settings menu show the same window.
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        QAction *popup = doc->findChild<QAction *>(QStringLiteral("EditFilelist2"));
        QVERIFY(popup && popup->isEnabled());
        popup->trigger();
        TFilelist *fl = filelist();
        QVERIFY(fl && fl->isVisible());
        QAction *settings = doc->findChild<QAction *>(QStringLiteral("EditFilelist1"));
        QVERIFY(settings && settings->isEnabled());
        settings->trigger();
        QCOMPARE(frame->findChildren<TFilelist *>().size(), 1);
        apptest::CloseAll(*frame);

        select(fl->ListBox1, 0);
        QTest::mouseClick(fl->EditButton, Qt::LeftButton);
        TEditForm *opened = frame->ActiveEditForm();
        QVERIFY(opened);
        QCOMPARE(opened->FileName, dir + QStringLiteral("/a.htm"));
        QCOMPARE(opened->Text(), QStringLiteral("<P>a.htm</P>"));
        QVERIFY(!opened->Modified());
        QCOMPARE(opened->windowTitle(), dir + QStringLiteral("/a.htm"));
        QCOMPARE(fl->Edit1->text(), dir + QStringLiteral("/a.htm"));

        // A double click does the same; a file that is gone is reported and leaves no window.
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        QListWidgetItem *gone = select(fl->ListBox1, 1);
        doubleClick(fl->ListBox1, gone);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(QStringLiteral("gone.htm")), qPrintable(user.Texts.first()));
        QCOMPARE(frame->MDIChildCount(), 1);
        QCOMPARE(fl->Files().size(), 2); // the list keeps the path
    }

    void aFailedWriteIsReportedOnce()
    {
        frame->EditFilelist1->trigger();
        TFilelist *fl = filelist();
        QVERIFY(QDir().mkpath(listFile())); // a folder where the file must go
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        fl->AddFiles({dir + QStringLiteral("/a.htm")});
        apptest::Settle();
        fl->AddFiles({dir + QStringLiteral("/B.htm")});
        fl->close();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1); // once, not at every change nor on close
        // Once the file can be written, everything is there.
        QVERIFY(QDir(listFile()).removeRecursively());
        fl->AddFiles({dir + QStringLiteral("/c.htm")});
        QCOMPARE(k5test::ReadFile(listFile()), (dir + QStringLiteral("/a.htm\r\n") + dir + QStringLiteral("/B.htm\r\n") +
                                                dir + QStringLiteral("/c.htm\r\n"))
                                                   .toUtf8());
        QCOMPARE(user.Texts.size(), 1);
    }

    void aListThatCannotBeReadIsNotOverwritten()
    {
        const QByteArray bad("/a.htm\r\n\0/b.htm\r\n", 17);
        k5test::WriteFile(listFile(), bad);
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        frame->EditFilelist1->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        filelist()->close();
        delete filelist();
        apptest::Settle();
        QCOMPARE(k5test::ReadFile(listFile()), bad);
    }

    void eachLineIsOnePathWhateverTheFileHolds()
    {
        // UTF-16 with a lone surrogate in the first line: the lines are still lines.
        QByteArray utf16("\xff\xfe", 2);
        for (char16_t c : u"/x/a\xDAFF.htm\r\n/x/b.htm\n/x/c.htm\r\r\n") {
            if (c == 0)
                break;
            utf16 += char(c & 0xff);
            utf16 += char(c >> 8);
        }
        k5test::WriteFile(listFile(), utf16);
        frame->EditFilelist1->trigger();
        const QStringList files = filelist()->Files();
        QCOMPARE(files.size(), 3);
        QCOMPARE(files[1], QStringLiteral("/x/b.htm"));
        QCOMPARE(files[2], QStringLiteral("/x/c.htm"));
        for (const QString &f : files)
            QVERIFY(!f.contains(QLatin1Char('\r')) && !f.contains(QLatin1Char('\n')));

        // Byte order marks at the start belong to no path, so a path is written back as it was read.
        delete filelist();
        k5test::WriteFile(listFile(), "\xEF\xBB\xBF\xEF\xBB\xBF/x/a.htm\r\n");
        frame->EditFilelist1->trigger();
        QCOMPARE(filelist()->Files(), QStringList{QStringLiteral("/x/a.htm")});
        filelist()->AddFiles({QStringLiteral("/x/b.htm")});
        QCOMPARE(k5test::ReadFile(listFile()), QByteArray("/x/a.htm\r\n/x/b.htm\r\n"));
        // A name that itself begins with such marks, after a line that holds none, is written so that
        // it reads back whole.
        for (const QByteArray &bytes : {QByteArray("\xFE\xFF\x00\n\xFE\xFF\xFE\xFF", 8), QByteArray("\r\n\xEF\xBB\xBFx\r\ny\r\n")}) {
            k5test::WriteFile(listFile(), bytes);
            const QStringList names = assistants::ReadLineList(listFile());
            QVERIFY(!names.isEmpty() && names.first().startsWith(QChar(0xFEFF)));
            assistants::WriteLineList(listFile(), names);
            QCOMPARE(assistants::ReadLineList(listFile()), names);
        }
    }

    // A name with a line break would read back as two paths: such a file is refused with a message, the
    // others chosen with it are added.
    void aNameWithALineBreakIsRefused()
    {
        const QString odd = k5test::WriteFile(dir + QStringLiteral("/two\nlines.htm"), "<P>x</P>");
        frame->EditFilelist1->trigger();
        TFilelist *fl = filelist();
        apptest::User user;
        user.Then(apptest::ChooseFiles(dir, {QStringLiteral("a.htm"), QStringLiteral("two\nlines.htm")}))
            .Click(QStringLiteral("OK"));
        QTest::mouseClick(fl->AddFilesButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts[0].contains(QStringLiteral("\"%1\"").arg(odd)), qPrintable(user.Texts[0]));
        QCOMPARE(fl->Files(), QStringList{dir + QStringLiteral("/a.htm")});
        QCOMPARE(k5test::ReadFile(listFile()), (dir + QStringLiteral("/a.htm\r\n")).toUtf8());
        // Whatever route a name takes, the list writer never splits it: it writes nothing.
        QVERIFY_THROWS_EXCEPTION(platform::FileError, assistants::WriteLineList(listFile(), {odd}));
        QCOMPARE(k5test::ReadFile(listFile()), (dir + QStringLiteral("/a.htm\r\n")).toUtf8());
    }

    void aSearchAppendsAndLinks()
    {
        k5test::WriteFile(dir + QStringLiteral("/deeper/d.htm"), "d");
        k5test::WriteFile(dir + QStringLiteral("/deeper/e.html"), "e");
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->ReplaceText(QStringLiteral("[]"));
        doc->RiloMemo1->SetSelStart(1);
        QAction *item = doc->findChild<QAction *>(QStringLiteral("SearchFiles1"));
        QVERIFY(item && item->isEnabled());
        item->trigger();
        auto *search = frame->findChild<TSearchFile *>();
        QVERIFY(search && search->isVisible());
        QCOMPARE(search->windowTitle(), QStringLiteral("Search"));
        QCOMPARE(search->Mask->text(), QStringLiteral("*.htm"));
        QCOMPARE(search->Dir->text(), QDir::homePath());
        QVERIFY(!search->FileCollector1->FollowLinks);

        search->Dir->setText(dir);
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        QTRY_VERIFY(!search->Searching());
        const QStringList first{dir + QStringLiteral("/a.htm"), dir + QStringLiteral("/B.htm"), dir + QStringLiteral("/c.htm"),
                                dir + QStringLiteral("/One.htm"), dir + QStringLiteral("/deeper/d.htm")};
        auto shown = [search] {
            QStringList out;
            for (int i = 0; i < search->ListBox1->count(); ++i)
                out << search->ListBox1->item(i)->text();
            return out;
        };
        QCOMPARE(shown(), first);
        QVERIFY(search->SearchButton->isEnabled() && !search->StopButton->isEnabled());
        // A second search appends below the first.
        search->Mask->setText(QStringLiteral("*.html"));
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        QTRY_VERIFY(!search->Searching());
        QCOMPARE(shown(), first + QStringList{dir + QStringLiteral("/deeper/e.html")});

        // Insert as Link: the full path as address and as text, at the caret.
        select(search->ListBox1, 4);
        QCOMPARE(frame->Edit2->Text(), dir + QStringLiteral("/deeper/d.htm"));
        QTest::mouseClick(search->LinkButton, Qt::LeftButton);
        QCOMPARE(doc->Text(), QStringLiteral("[<A HREF=\"%1\">%1</A>]").arg(dir + QStringLiteral("/deeper/d.htm")));

        // Edit opens the selected path through the main window's open relay.
        select(search->ListBox1, 1);
        QTest::mouseClick(search->EditButton, Qt::LeftButton);
        TEditForm *opened = frame->ActiveEditForm();
        QVERIFY(opened != doc);
        QCOMPARE(opened->FileName, dir + QStringLiteral("/B.htm"));
        QCOMPARE(opened->windowTitle(), QStringLiteral("B.htm"));

        // A path that went away is reported; nothing else changes.
        QVERIFY(QFile::remove(dir + QStringLiteral("/c.htm")));
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        QListWidgetItem *gone = select(search->ListBox1, 2);
        doubleClick(search->ListBox1, gone);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(frame->MDIChildCount(), 2);

        // A folder that does not exist is said so.
        search->Dir->setText(dir + QStringLiteral("/nowhere"));
        user.Click(QStringLiteral("OK"));
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(user.Texts.last().contains(QStringLiteral("nowhere")));
        QCOMPARE(search->ListBox1->count(), 6);
        search->close();
    }

    void aSearchStopsAndLeavesLinkedFoldersAlone()
    {
        const QString outside = k5test::Root() + QStringLiteral("/outside");
        k5test::WriteFile(outside + QStringLiteral("/far.htm"), "f");
        QFile::remove(dir + QStringLiteral("/linked"));
        QVERIFY(QFile::link(outside, dir + QStringLiteral("/linked")));
        for (int i = 0; i < 200; ++i)
            k5test::WriteFile(dir + QStringLiteral("/many/f%1/p.htm").arg(i), "p");
        app::Launch(QStringLiteral("SearchFiles1"));
        auto *search = frame->findChild<TSearchFile *>();
        QVERIFY(search);
        search->Dir->setText(dir);
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        QVERIFY(search->StopButton->isEnabled());
        QTRY_VERIFY(!search->Searching());
        QCOMPARE(search->ListBox1->count(), 204);
        for (int i = 0; i < search->ListBox1->count(); ++i)
            QVERIFY(!search->ListBox1->item(i)->text().contains(QStringLiteral("far.htm")));

        // Stop ends the search at once; nothing arrives after it.
        search->ListBox1->clear();
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        QTest::mouseClick(search->StopButton, Qt::LeftButton);
        QVERIFY(!search->Searching());
        QVERIFY(search->SearchButton->isEnabled() && !search->StopButton->isEnabled());
        const int atStop = search->ListBox1->count();
        apptest::Settle();
        QCOMPARE(search->ListBox1->count(), atStop);
        // Closing a searching window stops it too.
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        search->close();
        apptest::Settle();
        QVERIFY(!frame->findChild<TSearchFile *>());
    }
};

K5_TEST_MAIN(TestFilelist)
#include "test_filelist.moc"
