// A message about a file comes up above the window the user raised it from and is modal to it: a box
// placed under a window that stays on top is never seen, and that window then no longer reacts. Every
// such message says "cannot read this file" in one form, with one full stop.
#include "k5test.h"
#include "apptest.h"

#include "app/assistantforms.h"
#include "app/assistants/filelist.h"
#include "app/assistants/projectstart.h"
#include "app/assistants/searchfile.h"
#include "app/assistants/tagchooser.h"
#include "app/dialogs/unit_insert.h"
#include "app/dialogs/unit_picture.h"
#include "app/workflow.h"
#include "controls/qv/qvexceptiondialog.h"
#include "controls/zel/explorer.h"
#include "controls/zel/folderbrowser.h"
#include "controls/zel/lookupedit.h"
#include "platform/fileio.h"
#include "platform/folders.h"
#include "tools/media/gifanimator.h"
#include "tools/media/gifconverters.h"
#include "tools/publish/compressorform.h"
#include "tools/publish/vcmain.h"

#include <QDir>
#include <QListWidget>
#include <QWindow>

using app::TEditForm;
using app::TFrameForm;

namespace {

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

// What the user saw of one box, and the window it was shown over.
struct Seen {
    QString kind, text;
    QWidget *parent = nullptr;
    bool onTop = false, modal = false, transientForParent = false;
};

} // namespace

class TestMessageParents : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    QString dir;
    std::unique_ptr<k5test::NotFiles> names;
    QStringList problems;

    QString pipeAs(const char *extension) const
    {
        return dir + QStringLiteral("/x.pipe.") + QLatin1String(extension);
    }

    // `window` as the user has it, shown and active; `act` is what the user does in it, `name` the file the
    // message must name. The message must stand above that window and say it once.
    void expectAbove(const QString &way, QWidget *window, const QString &name, const std::function<void()> &act,
                     const QString &chosen = QString())
    {
        window->show();
        window->raise();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window)) {
            problems << way + QStringLiteral(": the window never became active");
            return;
        }
        k5test::Answerer answers;
        int others = 0;
        answers.OnModal([&](QDialog *d) {
            if (auto *fd = qobject_cast<QFileDialog *>(d); fd && !chosen.isEmpty()) {
                fd->selectFile(chosen);
                return int(platform::mrOk);
            }
            ++others;
            return int(platform::mrCancel);
        });
        act();
        apptest::Settle();
        if (others)
            problems << way + QStringLiteral(": %1 other windows instead of a message").arg(others);
        if (answers.Messages().size() != 1) {
            problems << way + QStringLiteral(": %1 messages").arg(answers.Messages().size());
            return;
        }
        const platform::MessageRequest &m = answers.Messages().first();
        if (m.parent != window)
            problems << way + QStringLiteral(": over %1, not over %2")
                                  .arg(m.parent ? m.parent->window()->objectName() : QStringLiteral("nothing"), window->objectName());
        if (!m.text.contains(QStringLiteral("\"%1\"").arg(native(name))))
            problems << way + QStringLiteral(": the name is not in \"%1\"").arg(m.text);
        if (!m.text.endsWith(QLatin1Char('.')) || m.text.endsWith(QLatin1String("..")))
            problems << way + QStringLiteral(": not one full stop at the end of \"%1\"").arg(m.text);
    }

    // Answers whatever comes up the way a user closes it, noting how it stood to the window under it.
    static k5test::User::Step note(QList<Seen> &seen)
    {
        return [&seen](QWidget *w) {
            Seen s;
            s.kind = QString::fromLatin1(w->metaObject()->className());
            s.parent = w->parentWidget();
            s.onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            s.modal = w->isModal() && QApplication::activeModalWidget() == w;
            s.transientForParent = s.parent && w->windowHandle() && w->windowHandle()->transientParent() == s.parent->windowHandle();
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                s.text = box->text();
                QTest::mouseClick(box->escapeButton(), Qt::LeftButton);
            } else if (auto *d = qobject_cast<QDialog *>(w)) {
                d->reject();
            }
            seen << s;
            return true;
        };
    }

    // The user's Edit in a window that stays on top, on a name that is no file, twice: each time one plain
    // message above that window and modal to it; afterwards the window is there and answers as before.
    void editTwiceFrom(const QString &way, QWidget *window, const std::function<void()> &edit,
                       const std::function<QString()> &state)
    {
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const QString before = state();
        const QStringList documents = documentNames();
        QList<Seen> seen;
        for (int round = 0; round < 2; ++round) {
            // As the user's click into it does.
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            k5test::User user;
            user.Then(note(seen));
            edit();
            k5test::Settle();
            if (!user.Done() || !user.Texts.isEmpty())
                problems << way + QStringLiteral(": no window came up, or more than one %1").arg(user.Texts.join(QLatin1Char('|')));
            if (QApplication::activeModalWidget())
                problems << way + QStringLiteral(": a modal window is left");
        }
        for (const Seen &s : std::as_const(seen)) {
            if (s.kind != QLatin1String("QMessageBox"))
                problems << way + QStringLiteral(": a %1 instead of a plain message").arg(s.kind);
            if (s.parent != window || !s.transientForParent)
                problems << way + QStringLiteral(": the box is over %1").arg(s.parent ? s.parent->objectName() : QStringLiteral("nothing"));
            if (!s.onTop || !s.modal)
                problems << way + QStringLiteral(": the box is not on top (%1) or not modal (%2)").arg(s.onTop).arg(s.modal);
            if (!s.text.contains(native(names->Pipe)) || s.text.endsWith(QLatin1String("..")))
                problems << way + QStringLiteral(": \"%1\"").arg(s.text);
        }
        if (!window->isVisible() || state() != before || documentNames() != documents)
            problems << way + QStringLiteral(": something was lost");
    }

    QStringList documentNames() const
    {
        QStringList out;
        for (TEditForm *d : frame->EditForms())
            out << d->FileName;
        return out;
    }

    // The file search, having searched the folder, with the pipe it found selected (null when it found none).
    assistants::TSearchFile *searchFindingThePipe()
    {
        auto *search = app::ShowSearchFile(frame);
        search->Dir->setText(dir);
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return !search->Searching(); }))
            return nullptr;
        const auto found = search->ListBox1->findItems(names->Pipe, Qt::MatchExactly);
        if (found.isEmpty())
            return nullptr;
        search->ListBox1->setCurrentItem(found.first());
        return search;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
        // As the program starts: what escapes a handler goes to the exception dialog.
        qv::InstallExceptionDialog();
        dir = k5test::Root() + QStringLiteral("/tmp/names");
        names = std::make_unique<k5test::NotFiles>(dir, QStringLiteral("x"), QStringLiteral("htm"));
        QVERIFY2(names->Error.isEmpty(), qPrintable(names->Error));
        for (const char *ext : {"gif", "bmp", "vcf"})
            QVERIFY(QFile::link(names->Pipe, pipeAs(ext)));
    }
    void cleanupTestCase()
    {
        delete qv::ExceptionDialog();
        apptest::DeleteFrame(frame);
    }
    void init()
    {
        problems.clear();
        apptest::DocWith(*frame, QStringLiteral("<P>working</P>"));
    }
    void cleanup() { apptest::CloseAll(*frame); }

    // Each window that can say a file cannot be read says it above itself.
    void fileMessagesStandAboveTheWindowThatRaisedThem()
    {
        const QString pipe = names->Pipe;
        auto *search = searchFindingThePipe();
        QVERIFY(search);
        expectAbove(QStringLiteral("file search"), search, pipe, [&] { QTest::mouseClick(search->EditButton, Qt::LeftButton); });
        search->close();

        auto *list = app::ShowFilelist(frame);
        list->AddFiles({pipe});
        list->ListBox1->setCurrentItem(list->ListBox1->findItems(pipe, Qt::MatchExactly).value(0));
        expectAbove(QStringLiteral("file list"), list, pipe, [&] { QTest::mouseClick(list->EditButton, Qt::LeftButton); });
        list->close();

        platform::WriteFileAtomic(assistants::TProjectStart::ProjectsFile(),
                                  (QStringLiteral("Project(s)\r\n\tSite\r\n\t\t") + pipe + QStringLiteral("\r\n")).toUtf8());
        auto *projects = app::ShowProjectManager(frame);
        projects->TreeView1->SetSelected(apptest::NodeNamed(projects->TreeView1, pipe));
        expectAbove(QStringLiteral("project manager"), projects, pipe, [&] { QTest::mouseClick(projects->EditButton, Qt::LeftButton); });
        projects->close();

        // The Browse tab lists files only: one taken away after it was listed.
        TEditForm *doc = frame->ActiveEditForm();
        const QString gone = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/browse/gone.htm"), "<P>gone</P>");
        doc->FileListBox1->SetMask(QStringLiteral("*.*"));
        doc->FileListBox1->SetDirectory(QFileInfo(gone).path());
        doc->FileListBox1->setCurrentItem(doc->FileListBox1->findItems(QStringLiteral("gone.htm"), Qt::MatchExactly).value(0));
        QVERIFY(QFile::remove(gone));
        expectAbove(QStringLiteral("Browse tab"), frame, gone, [&] { doc->Edit5->trigger(); });

        // The tag dialogs are modal, as the document window runs them.
        std::unique_ptr<QWidget> picture(dialogs::CreateDialog(QStringLiteral("TPicture"), frame));
        picture->setWindowModality(Qt::ApplicationModal);
        expectAbove(QStringLiteral("Picture"), picture.get(), pipeAs("gif"),
                    [&] { qobject_cast<dialogs::TPicture *>(picture.get())->LoadPreview(pipeAs("gif")); });
        picture.reset();
        std::unique_ptr<QWidget> insert(dialogs::CreateDialog(QStringLiteral("Tinsert"), frame));
        insert->setWindowModality(Qt::ApplicationModal);
        expectAbove(QStringLiteral("Insert File"), insert.get(), pipe, [&] { qobject_cast<dialogs::Tinsert *>(insert.get())->LoadFile(pipe); });
        insert.reset();

        assistants::TTagchooser *chooser = app::TagChooser();
        app::ShowTagChooser(frame);
        chooser->Treeview1->SetSelected(apptest::NodeNamed(chooser->Treeview1, QStringLiteral("Custom")));
        expectAbove(QStringLiteral("custom tags file"), chooser, pipe, [&] { chooser->LookUp1->setText(pipe); });
        chooser->LookUp1->setText(platform::ProgramFile(QStringLiteral("customtags.qvl")));
        chooser->close();

        {
            publish::TCompressor w(frame);
            expectAbove(QStringLiteral("compressor"), &w, pipe, [&] {
                w.Edit1->setText(pipe);
                w.Edit2->setText(pipe + QStringLiteral(".out.htm"));
                QTest::mouseClick(w.Button1, Qt::LeftButton);
            });
        }
        {
            media::Tbmptogif w(frame);
            w.InputEdit->setText(pipeAs("bmp"));
            w.OutputEdit->setText(dir);
            expectAbove(QStringLiteral("BMP to GIF"), &w, pipeAs("bmp"), [&] { QTest::mouseClick(w.OkButton, Qt::LeftButton); });
        }
        {
            media::Tgiftobmp w(frame);
            w.InputEdit->setText(pipeAs("gif"));
            w.OutputEdit->setText(dir);
            expectAbove(QStringLiteral("GIF to BMP"), &w, pipeAs("gif"), [&] { QTest::mouseClick(w.OkButton, Qt::LeftButton); });
        }
        {
            media::Tdeanimation w(frame);
            w.InputEdit->setText(pipeAs("gif"));
            w.OutputEdit->setText(dir);
            expectAbove(QStringLiteral("GIF deanimation"), &w, pipeAs("gif"), [&] { QTest::mouseClick(w.OkButton, Qt::LeftButton); });
        }
        {
            media::TAnimatorForm w(frame);
            expectAbove(QStringLiteral("GIF animator"), &w, pipeAs("gif"), [&] { w.OpenFile(pipeAs("gif")); });
        }
        {
            publish::TvCardForm w(frame);
            expectAbove(QStringLiteral("vCard"), &w, pipeAs("vcf"), [&] { w.Open1->trigger(); }, pipeAs("vcf"));
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // The real box, from the windows that stay on top: above the window, modal to it; closed, the window
    // reacts as before and has lost nothing.
    void aBoxFromAWindowOnTopIsAboveItAndModalToIt()
    {
        const QString pipe = names->Pipe;
        auto *search = searchFindingThePipe();
        QVERIFY(search);
        editTwiceFrom(QStringLiteral("file search"), search, [&] { QTest::mouseClick(search->EditButton, Qt::LeftButton); }, [&] {
            QStringList found;
            for (int i = 0; i < search->ListBox1->count(); ++i)
                found << search->ListBox1->item(i)->text();
            return found.join(QLatin1Char('|')) + QLatin1Char('@') + search->ListBox1->currentItem()->text();
        });
        search->close();

        auto *list = app::ShowFilelist(frame);
        list->AddFiles({pipe});
        list->ListBox1->setCurrentItem(list->ListBox1->findItems(pipe, Qt::MatchExactly).value(0));
        editTwiceFrom(QStringLiteral("file list"), list, [&] { QTest::mouseClick(list->EditButton, Qt::LeftButton); },
                      [&] { return list->Files().join(QLatin1Char('|')) + QLatin1Char('@') + list->ListBox1->currentItem()->text(); });
        list->close();

        platform::WriteFileAtomic(assistants::TProjectStart::ProjectsFile(),
                                  (QStringLiteral("Project(s)\r\n\tSite\r\n\t\t") + pipe + QStringLiteral("\r\n")).toUtf8());
        auto *projects = app::ShowProjectManager(frame);
        projects->TreeView1->SetSelected(apptest::NodeNamed(projects->TreeView1, pipe));
        editTwiceFrom(QStringLiteral("project manager"), projects, [&] { QTest::mouseClick(projects->EditButton, Qt::LeftButton); },
                      [&] { return projects->TreeView1->Selected() ? projects->TreeView1->Selected()->Text() : QString(); });
        projects->close();
        k5test::Settle();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

K5_TEST_MAIN(TestMessageParents)
#include "test_messageparents.moc"
