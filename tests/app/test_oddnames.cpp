// Names the program meets that are awkward for it: a file whose name is no UTF-8 (bytes from an older
// system's disk) is listed by every file view and opened, saved, copied, moved, renamed and deleted by its
// bytes, or the user is told that its name is not text; and a name typed into a save dialog holding
// quotes is saved as that one name.
#include "k5test.h"
#include "apptest.h"

#include "app/assistants/searchfile.h"
#include "app/scripteditor.h"
#include "controls/zel/explorer.h"
#include "controls/zel/filecollector.h"
#include "controls/zel/folderbrowser.h"
#include "platform/fileio.h"
#include "platform/shell/volumes.h"
#include "tools/publish/fileoperatorform.h"
#include "tools/publish/vcmain.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QListWidget>
#include <QMimeData>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using app::TEditForm;
using app::TFrameForm;

namespace {

const QString Shown = QStringLiteral("bad\uFFFD.htm");
const QByteArray Bad = "bad\xff.htm";

QByteArray bytesOf(const QString &path)
{
    return QFile::encodeName(path);
}

void makeFile(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

bool there(const QByteArray &path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

QByteArray contentOf(const QByteArray &path)
{
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "(missing)";
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

QListWidgetItem *itemShown(QListWidget *list, const QString &text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.size() == 1 ? found.first() : nullptr;
}

// Opens a folder in a save dialog, types a name into its name box and presses its Save button, as a user
// does.
k5test::User::Step typeAndSave(const QString &folder, const QString &name)
{
    return [folder, name](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        auto *edit = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
        auto *box = dialog ? dialog->findChild<QDialogButtonBox *>() : nullptr;
        if (!edit || !edit->isVisible() || !box)
            return false;
        dialog->setDirectory(folder);
        edit->setFocus();
        edit->setText(name); // pasted: the completion list that typing opens would cover the button
        QTimer::singleShot(0, dialog, [box] {
            for (QAbstractButton *b : box->buttons())
                if (b->text().remove(QLatin1Char('&')) == QLatin1String("Save"))
                    QTest::mouseClick(b, Qt::LeftButton);
        });
        return true;
    };
}

} // namespace

class TestOddNames : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    QString disk, dir;
    QStringList problems;

    QByteArray at(const QByteArray &name) const { return bytesOf(dir) + '/' + name; }

    // The document that opened (another than the one that was active), or null.
    TEditForm *openedBesides(const QList<TEditForm *> &before) const
    {
        for (TEditForm *d : frame->EditForms())
            if (!before.contains(d))
                return d;
        return nullptr;
    }

    // A document opened from such a name holds the file's text and saves back to that very name.
    void checkOpened(const QString &way, const QList<TEditForm *> &before, const k5test::Answerer &answers)
    {
        TEditForm *opened = openedBesides(before);
        if (!opened) {
            problems << QStringLiteral("%1: not opened (%2)").arg(way, answers.Texts().join(QLatin1Char('|')));
            return;
        }
        if (opened->Text() != QLatin1String("<P>bytes</P>"))
            problems << QStringLiteral("%1: opened holding %2").arg(way, opened->Text());
        if (!opened->windowTitle().contains(Shown))
            problems << QStringLiteral("%1: the caption reads %2").arg(way, opened->windowTitle());
        opened->ReplaceText(QStringLiteral("<P>saved</P>"));
        opened->Save1Click();
        if (contentOf(at(Bad)) != "<P>saved</P>" || there(at("bad\xef\xbf\xbd.htm")))
            problems << QStringLiteral("%1: saved elsewhere (%2)").arg(way, QString::fromLatin1(contentOf(at(Bad))));
        makeFile(at(Bad), "<P>bytes</P>");
        opened->SetModified(false);
        opened->Frame()->close();
        k5test::Settle();
    }

    void checkToldNotText(const QString &way, const k5test::Answerer &answers)
    {
        const QStringList texts = answers.Texts();
        if (texts.size() != 1 || !texts.first().contains(QLatin1String("not valid text")) || !texts.first().contains(Shown))
            problems << QStringLiteral("%1: told %2").arg(way, texts.join(QLatin1Char('|')));
    }

private slots:
    void initTestCase()
    {
        disk = k5test::Root() + QStringLiteral("/disk/");
        const QList<platform::Volume> volumes{{disk, QStringLiteral("Local Disk (C:)"), platform::DRIVE_FIXED}};
        platform::SetVolumeProvider([volumes] { return volumes; });
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase()
    {
        apptest::DeleteFrame(frame);
        platform::SetVolumeProvider(nullptr);
    }
    void init()
    {
        problems.clear();
        std::error_code ec; // by bytes: Qt's removal passes over names that are no text
        std::filesystem::remove_all(bytesOf(disk).toStdString(), ec);
        dir = disk + QStringLiteral("old");
        QVERIFY(QDir().mkpath(dir));
        makeFile(at(Bad), "<P>bytes</P>");
        QCOMPARE(::mkdir(at("sub\xfe").constData(), 0755), 0);
        makeFile(at("sub\xfe/in.htm"), "<P>in</P>");
        apptest::DocWith(*frame, QStringLiteral("<P>working</P>"));
    }
    void cleanup() { apptest::CloseAll(*frame); }

    // The Browse tab's tree and list, a drop on the main window, the file search and the file collector's
    // two ways of searching.
    void everyFileViewListsAndHandlesANameThatIsNoText()
    {
        TEditForm *doc = frame->ActiveEditForm();
        doc->DirectoryListBox1->SetDirectory(dir);
        {
            QTreeWidgetItem *node = doc->DirectoryListBox1->currentItem();
            QVERIFY(node);
            if (node->childCount() == 0)
                problems << QStringLiteral("folder tree: the folder shows no subfolder");
            doc->DirectoryListBox1->LoadChildren(node);
            QTreeWidgetItem *sub = nullptr;
            for (int i = 0; node && i < node->childCount(); ++i)
                if (node->child(i)->text(0) == QStringLiteral("sub\uFFFD"))
                    sub = node->child(i);
            if (!sub) {
                problems << QStringLiteral("folder tree: sub\uFFFD not listed");
            } else {
                doc->DirectoryListBox1->setCurrentItem(sub);
                if (!itemShown(doc->FileListBox1, QStringLiteral("in.htm")))
                    problems << QStringLiteral("folder tree: the folder's files are not listed");
            }
        }
        doc->DirectoryListBox1->SetDirectory(dir);
        doc->FileListBox1->SetMask(QStringLiteral("*.*"));
        if (QListWidgetItem *item = itemShown(doc->FileListBox1, Shown)) {
            doc->FileListBox1->setCurrentItem(item);
            {
                k5test::Answerer answers;
                const QList<TEditForm *> before = frame->EditForms();
                doc->Edit5->trigger();
                k5test::Settle();
                checkOpened(QStringLiteral("Browse tab, Edit"), before, answers);
            }
            doc->FileListBox1->setCurrentItem(itemShown(doc->FileListBox1, Shown));
            k5test::Answerer answers;
            doc->InsertAsLink1->trigger();
            checkToldNotText(QStringLiteral("Browse tab, Insert as link"), answers);
        } else {
            problems << QStringLiteral("Browse tab: not listed");
        }

        {
            // Dropped from a file manager, which gives the name's stray bytes percent-encoded.
            k5test::Answerer answers;
            const QList<TEditForm *> before = frame->EditForms();
            QMimeData data;
            data.setUrls({QUrl::fromEncoded("file://" + at(Bad).toPercentEncoding("/"))});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(frame, &enter);
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(frame, &drop);
            k5test::Settle();
            checkOpened(QStringLiteral("drop"), before, answers);
        }

        apptest::DocItem(doc, "SearchFiles1")->trigger();
        auto *search = frame->findChild<assistants::TSearchFile *>();
        QVERIFY(search && search->isVisible());
        search->Dir->setText(dir);
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        QTRY_VERIFY(!search->Searching());
        if (QListWidgetItem *item = itemShown(search->ListBox1, dir + QLatin1Char('/') + Shown)) {
            search->ListBox1->setCurrentItem(item);
            {
                k5test::Answerer answers;
                const QList<TEditForm *> before = frame->EditForms();
                QTest::mouseClick(search->EditButton, Qt::LeftButton);
                k5test::Settle();
                checkOpened(QStringLiteral("file search, Edit"), before, answers);
            }
            search->ListBox1->setCurrentItem(itemShown(search->ListBox1, dir + QLatin1Char('/') + Shown));
            k5test::Answerer answers;
            QTest::mouseClick(search->LinkButton, Qt::LeftButton);
            checkToldNotText(QStringLiteral("file search, Insert as Link"), answers);
        } else {
            problems << QStringLiteral("file search: not listed");
        }
        search->close();

        for (const bool background : {false, true}) {
            zel::TZELFileCollector collector;
            collector.InitialDirectory = dir;
            collector.FileMask = QStringLiteral("*.htm");
            if (background) {
                QVERIFY(collector.Start());
                QTRY_VERIFY(!collector.Running());
            } else {
                collector.Execute();
            }
            const QString way = background ? QStringLiteral("file collector, Start") : QStringLiteral("file collector, Execute");
            if (collector.LocatedObjects().size() != 2)
                problems << QStringLiteral("%1: found %2").arg(way, collector.LocatedObjects().join(QLatin1Char('|')));
            for (const QString &found : collector.LocatedObjects()) {
                QString why;
                QFile f;
                if (!platform::TryOpenForReading(f, found, &why))
                    problems << QStringLiteral("%1: %2 does not open: %3").arg(way, found, why);
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void theFileOperatorCopiesMovesRenamesAndDeletesByTheBytes()
    {
        const QString target = disk + QStringLiteral("target");
        QVERIFY(QDir().mkpath(target));
        makeFile(at("move\xfe.htm"), "move");
        makeFile(at("ren\xfd.htm"), "ren");
        publish::TFileOperatorForm form(frame);
        form.DirectoryListBox2->SetDirectory(dir);
        form.DirectoryListBox1->SetDirectory(target);
        k5test::Answerer answers;
        answers.OnModal([](QDialog *d) {
            auto *box = qobject_cast<QInputDialog *>(d);
            if (!box)
                return int(platform::mrCancel);
            box->setTextValue(QStringLiteral("renamed.htm"));
            return int(platform::mrOk);
        });
        auto run = [&](const QString &shown, QPushButton *button, const QString &success) {
            answers.Clear();
            for (int i = 0; i < 3; ++i)
                answers.Queue(platform::IDYES);
            QListWidgetItem *item = itemShown(form.FileListBox2, shown);
            if (!item) {
                problems << QStringLiteral("%1: not listed").arg(shown);
                return;
            }
            form.FileListBox2->setCurrentItem(item);
            QTest::mouseClick(button, Qt::LeftButton);
            k5test::Settle();
            if (answers.Texts().value(answers.Texts().size() - 1) != success)
                problems << QStringLiteral("%1, %2: told %3").arg(shown, success, answers.Texts().join(QLatin1Char('|')));
        };
        run(Shown, form.CopyButton, QStringLiteral("Success Copy"));
        if (contentOf(bytesOf(target) + '/' + Bad) != "<P>bytes</P>" || contentOf(at(Bad)) != "<P>bytes</P>")
            problems << QStringLiteral("copy: not whole");
        if (!itemShown(form.FileListbox1, Shown))
            problems << QStringLiteral("target list: the copy is not listed");
        run(QStringLiteral("move\uFFFD.htm"), form.MoveButton, QStringLiteral("Success Move"));
        if (contentOf(bytesOf(target) + "/move\xfe.htm") != "move" || there(at("move\xfe.htm")))
            problems << QStringLiteral("move: not moved");
        run(QStringLiteral("ren\uFFFD.htm"), form.RenameButton, QStringLiteral("Success Rename"));
        if (contentOf(at("renamed.htm")) != "ren" || there(at("ren\xfd.htm")))
            problems << QStringLiteral("rename: not renamed");
        run(Shown, form.DeleteButton, QStringLiteral("Success Delete"));
        // Into the trash, as any other name goes, with the path it came from.
        const QByteArray trash = bytesOf(qEnvironmentVariable("XDG_DATA_HOME")) + "/Trash";
        if (there(at(Bad)) || contentOf(trash + "/files/" + Bad) != "<P>bytes</P>" ||
            !contentOf(trash + "/info/" + Bad + ".trashinfo").contains("/old/bad%FF.htm\n"))
            problems << QStringLiteral("delete: not moved to the trash");
        if (itemShown(form.FileListBox2, Shown) || !itemShown(form.FileListBox2, QStringLiteral("renamed.htm")))
            problems << QStringLiteral("the source list is not read again");
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // The document window's Save As, the vCard editor's and a script editor's: the name typed into the
    // real dialog, quotes, markup and percent sign included, is the name written.
    void everySaveDialogTakesAQuotedNameWhole()
    {
        const QString name = QStringLiteral("R&D \"q\" <b>%x");
        auto written = [&](const QString &ext) { return dir + QLatin1Char('/') + name + ext; };
        auto check = [&](const QString &way, const QString &ext, k5test::User &user) {
            k5test::Settle();
            if (!user.Done() || !user.Texts.isEmpty())
                problems << QStringLiteral("%1: the windows were not as expected %2").arg(way, user.Texts.join(QLatin1Char('|')));
            const QStringList files = QDir(dir).entryList(QDir::Files);
            if (!QFileInfo::exists(written(ext)))
                problems << QStringLiteral("%1: wrote %2").arg(way, files.join(QLatin1Char('|')));
            QFile::remove(written(ext));
            QFile::remove(dir + QStringLiteral("/q") + ext);
        };
        {
            TEditForm *doc = frame->ActiveEditForm();
            k5test::User user;
            user.Then(typeAndSave(dir, name));
            doc->Saveas1->trigger();
            check(QStringLiteral("document Save As"), QStringLiteral(".htm"), user);
        }
        {
            publish::TvCardForm card(frame);
            k5test::User user;
            user.Then(typeAndSave(dir, name));
            card.SaveAs1->trigger();
            check(QStringLiteral("vCard Save As"), QStringLiteral(".vcf"), user);
            // Once more onto the file now there: the user is asked, and Yes replaces it.
            k5test::WriteFile(written(QStringLiteral(".vcf")), "old");
            k5test::User again;
            again.Then(typeAndSave(dir, name)).Click(QStringLiteral("Yes"));
            card.SaveAs1->trigger();
            k5test::Settle();
            if (!again.Done() || again.Texts.size() != 1 || !again.Texts.first().contains(QLatin1String("already exists")))
                problems << QStringLiteral("vCard Save As over a file: %1").arg(again.Texts.join(QLatin1Char('|')));
            if (platform::ReadWholeFile(written(QStringLiteral(".vcf"))) == "old")
                problems << QStringLiteral("vCard Save As over a file: not replaced");
            QFile::remove(written(QStringLiteral(".vcf")));
        }
        {
            app::TJavaScript script;
            script.show();
            k5test::User user;
            user.Then(typeAndSave(dir, name));
            script.SaveAs1->trigger();
            check(QStringLiteral("script Save As"), QStringLiteral(".js"), user);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

K5_TEST_MAIN(TestOddNames)
#include "test_oddnames.moc"
