// Names a user gives that are no files (a named pipe, a socket, a folder) go every way the program reads
// a file the user names: each is refused at once, in a message that names it, and nothing else changes
// (the documents stay as they were and no window is left behind). A watchdog sets free whatever waits on
// the pipe, so a way that hangs fails instead of holding the run.
// A folder cannot be picked in an open dialog (Enter opens it), so the ways through one take the pipe and
// the socket; the ways where a name is typed, listed or dropped take all three.
#include "k5test.h"
#include "apptest.h"

#include "app/assistantforms.h"
#include "app/assistants/filelist.h"
#include "app/assistants/searchfile.h"
#include "app/assistants/tagchooser.h"
#include "app/assistants/templates.h"
#include "app/dialogs/unit_insert.h"
#include "app/workflow.h"
#include "platform/folders.h"
#include "controls/qv/qvclock.h"
#include "controls/zel/explorer.h"
#include "controls/zel/folderbrowser.h"
#include "controls/zel/lookupedit.h"
#include "tools/media/gifanimator.h"
#include "tools/media/gifconverters.h"
#include "tools/publish/compressorform.h"
#include "tools/publish/vcmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <sys/stat.h>

using app::TEditForm;
using app::TFrameForm;

namespace {

// One name sent one way.
struct Run {
    Run(const QString &way, const QString &name) : way(way), name(name) {}
    QString way, name;
    QElapsedTimer clock;
    qint64 ms = -1;
    QStringList messages;
    // How each message's label shows its text.
    QList<Qt::TextFormat> formats;
};

// What the user sees of the program: the documents and the windows shown.
struct Scene {
    QStringList documents;
    QList<QWidget *> windows;
    bool operator==(const Scene &) const = default;
};

} // namespace

class TestNamedFiles : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    QString dir;
    std::unique_ptr<k5test::NotFiles> names;
    QStringList problems;

    Scene scene() const
    {
        Scene s;
        for (TEditForm *d : frame->EditForms())
            s.documents << d->FileName + QLatin1Char('|') + d->Text() + (d->Modified() ? QStringLiteral("*") : QString());
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                s.windows << w;
        return s;
    }

    // The open dialog: the name typed and Enter pressed, from when the clock runs.
    static k5test::User::Step typeName(Run &run)
    {
        return [&run](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            auto *edit = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
            if (!edit || !edit->isVisible())
                return false;
            edit->setFocus();
            edit->setText(run.name);
            QTimer::singleShot(0, edit, [&run, edit] {
                run.clock.start();
                QTest::keyClick(edit, Qt::Key_Return);
            });
            return true;
        };
    }
    // The message that follows, read and closed with its button.
    static k5test::User::Step readMessage(Run &run)
    {
        return [&run](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box)
                return false;
            if (run.ms < 0)
                run.ms = run.clock.elapsed();
            run.messages << box->text();
            const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            run.formats << (label ? label->textFormat() : Qt::AutoText);
            QTest::mouseClick(box->escapeButton(), Qt::LeftButton);
            return true;
        };
    }
    // Something done in a modal window of this class, from its own event loop.
    template <class Window>
    static k5test::User::Step in(Run &run, std::function<void(Window *)> act)
    {
        return [&run, act](QWidget *w) {
            auto *window = qobject_cast<Window *>(w);
            if (!window)
                return false;
            QTimer::singleShot(0, window, [&run, window, act] {
                run.clock.start();
                act(window);
            });
            return true;
        };
    }
    template <class Window>
    static k5test::User::Step closeWindow()
    {
        return [](QWidget *w) {
            auto *window = qobject_cast<Window *>(w);
            if (!window)
                return false;
            QTimer::singleShot(0, window, [window] { window->close(); });
            return true;
        };
    }

    // Runs one way with each name, `how` doing what the user does, and notes what went wrong.
    void sweep(const QString &way, const QStringList &which, const std::function<void(Run &, apptest::User &)> &how,
               const QString &pipe = QString())
    {
        for (const QString &name : which) {
            Run run{way, name};
            const Scene before = scene();
            k5test::PipeWatchdog watchdog(pipe.isEmpty() ? names->Pipe : pipe);
            {
                apptest::User user;
                how(run, user);
                apptest::Settle();
                if (!user.Done() || !user.Texts.isEmpty())
                    problems << QStringLiteral("%1, %2: the windows were not as a user meets them %3")
                                    .arg(way, QFileInfo(name).fileName(), user.Texts.join(QLatin1Char('|')));
            }
            apptest::Settle();
            const QString shown = QFileInfo(run.name).fileName();
            if (watchdog.Fired())
                problems << QStringLiteral("%1, %2: waited on the pipe").arg(way, shown);
            if (run.messages.size() != 1 || !run.messages.first().contains(QDir::toNativeSeparators(run.name)))
                problems << QStringLiteral("%1, %2: messages %3").arg(way, shown, run.messages.join(QLatin1Char('|')));
            else if (run.ms > 1000)
                problems << QStringLiteral("%1, %2: the message came after %3 ms").arg(way, shown).arg(run.ms);
            if (!(scene() == before))
                problems << QStringLiteral("%1, %2: documents or windows changed").arg(way, shown);
        }
    }

    QStringList picked() const { return {names->Pipe, names->Socket}; }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
        dir = k5test::Root() + QStringLiteral("/tmp/names");
        names = std::make_unique<k5test::NotFiles>(dir, QStringLiteral("x"), QStringLiteral("htm"));
        QVERIFY2(names->Error.isEmpty(), qPrintable(names->Error));
        // A picture the converters and the animator would read, were the names files.
        for (const char *ext : {"gif", "bmp", "vcf"})
            QVERIFY(QFile::link(names->Pipe, dir + QStringLiteral("/x.pipe.") + QLatin1String(ext)) &&
                    QFile::link(names->Socket, dir + QStringLiteral("/x.socket.") + QLatin1String(ext)));
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }
    void init()
    {
        problems.clear();
        apptest::DocWith(*frame, QStringLiteral("<P>working</P>"));
    }
    void cleanup() { apptest::CloseAll(*frame); }

    // The document window's and the main window's own ways: File > Open, a drop, the file list, the file
    // search, the Browse tab, Insert > File.
    void documentsAreNeverOpenedFromWhatIsNoFile()
    {
        sweep(QStringLiteral("File > Open"), picked(), [&](Run &run, apptest::User &user) {
            user.Then(typeName(run)).Then(readMessage(run));
            apptest::DocItem(frame->ActiveEditForm(), "Open2")->trigger();
        });
        sweep(QStringLiteral("drop"), names->All(), [&](Run &run, apptest::User &user) {
            user.Then(readMessage(run));
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(run.name)});
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(frame, &enter);
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            run.clock.start();
            QApplication::sendEvent(frame, &drop);
        });
        apptest::DocItem(frame->ActiveEditForm(), "EditFilelist2")->trigger();
        auto *list = frame->findChild<assistants::TFilelist *>();
        QVERIFY(list && list->isVisible());
        list->AddFiles(names->All());
        sweep(QStringLiteral("file list"), names->All(), [&](Run &run, apptest::User &user) {
            user.Then(readMessage(run));
            const auto found = list->ListBox1->findItems(run.name, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            list->ListBox1->setCurrentItem(found.first());
            run.clock.start();
            QTest::mouseClick(list->EditButton, Qt::LeftButton);
        });
        list->close();
        apptest::DocItem(frame->ActiveEditForm(), "SearchFiles1")->trigger();
        auto *search = frame->findChild<assistants::TSearchFile *>();
        QVERIFY(search && search->isVisible());
        search->Dir->setText(dir);
        QTest::mouseClick(search->SearchButton, Qt::LeftButton);
        QTRY_VERIFY(!search->Searching());
        // The search lists what is not a folder.
        sweep(QStringLiteral("file search"), picked(), [&](Run &run, apptest::User &user) {
            user.Then(readMessage(run));
            const auto found = search->ListBox1->findItems(run.name, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            search->ListBox1->setCurrentItem(found.first());
            run.clock.start();
            QTest::mouseClick(search->EditButton, Qt::LeftButton);
        });
        search->close();
        TEditForm *doc = frame->ActiveEditForm();
        doc->FileListBox1->SetMask(QStringLiteral("*.*"));
        doc->FileListBox1->SetDirectory(dir);
        // It lists regular files only (and folders when asked to): what it does not list it cannot offer.
        QStringList listed;
        for (const QString &name : names->All())
            if (!doc->FileListBox1->findItems(QFileInfo(name).fileName(), Qt::MatchExactly).isEmpty())
                listed << name;
        sweep(QStringLiteral("Browse tab"), listed, [&](Run &run, apptest::User &user) {
            user.Then(readMessage(run));
            doc->FileListBox1->setCurrentItem(doc->FileListBox1->findItems(QFileInfo(run.name).fileName(), Qt::MatchExactly).first());
            run.clock.start();
            doc->Edit5->trigger();
        });
        // Another program's plug-in file, made a pipe: it is taken away and refused as any other.
        const QString plugin = platform::ProgramFile(QStringLiteral("plugin.qvl"));
        sweep(QStringLiteral("plug-in file"), {plugin + QStringLiteral(".taken")}, [&](Run &run, apptest::User &user) {
            user.Then(readMessage(run));
            QCOMPARE(::mkfifo(QFile::encodeName(plugin).constData(), 0600), 0);
            // Taken once it has rested: the poll sees it, and the clock lets it rest.
            qv::ManualClock rest;
            frame->PollPlugin();
            rest.Advance(TFrameForm::PluginRestMs);
            run.clock.start(); // it is looked for every 250 ms
            QTRY_VERIFY_WITH_TIMEOUT(user.Done(), 5000);
        }, plugin + QStringLiteral(".taken"));
        QVERIFY(!QFileInfo::exists(plugin) && !QFileInfo::exists(plugin + QStringLiteral(".taken")));
        sweep(QStringLiteral("Insert > File"), picked(), [&](Run &run, apptest::User &user) {
            user.Then(in<dialogs::Tinsert>(run, [](dialogs::Tinsert *w) { QTest::mouseClick(w->SelectFile, Qt::LeftButton); }))
                .Then(typeName(run))
                .Then(readMessage(run))
                .Then(closeWindow<dialogs::Tinsert>());
            apptest::DocItem(frame->ActiveEditForm(), "File4")->trigger();
        });
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // The lists and pages the user names for the work-flow windows: the tag chooser's custom tags file and
    // a new custom template.
    void listsAndTemplatesAreNeverReadFromWhatIsNoFile()
    {
        assistants::TTagchooser *chooser = app::TagChooser();
        app::ShowTagChooser(frame);
        chooser->Treeview1->SetSelected(apptest::NodeNamed(chooser->Treeview1, QStringLiteral("Custom")));
        // A folder is passed through while a name is typed: it shows no tags, without a word.
        sweep(QStringLiteral("custom tags file"), picked(), [&](Run &run, apptest::User &user) {
            user.Then(readMessage(run));
            run.clock.start();
            chooser->LookUp1->setText(run.name);
        });
        chooser->LookUp1->setText(platform::ProgramFile(QStringLiteral("customtags.qvl")));
        chooser->close();
        auto templates = std::unique_ptr<assistants::TTemplates3>(app::CreateTemplates(frame));
        templates->show();
        const QStringList kept = templates->CustomTemplates();
        sweep(QStringLiteral("new custom template"), picked(), [&](Run &run, apptest::User &user) {
            user.Then(typeName(run)).Then(readMessage(run));
            QTest::mouseClick(templates->InsertButton, Qt::LeftButton);
        });
        QCOMPARE(templates->CustomTemplates(), kept);
        QVERIFY(!QFileInfo::exists(platform::ProgramFile(QStringLiteral("x.pipe.htm"))));
        templates.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // The tools' inputs: the compressor's source, the vCard editor's and the GIF animator's Open, and the
    // inputs of BMP To GIF, GIF To BMP and GIF Deanimation.
    void toolsNeverReadWhatIsNoFile()
    {
        sweep(QStringLiteral("compressor"), names->All(), [&](Run &run, apptest::User &user) {
            user.Then(in<publish::TCompressor>(run, [&run](publish::TCompressor *w) {
                    w->Edit1->setText(run.name);
                    w->Edit2->setText(run.name + QStringLiteral(".out.htm"));
                    run.clock.start();
                    QTest::mouseClick(w->Button1, Qt::LeftButton);
                }))
                .Then(readMessage(run))
                .Then(closeWindow<publish::TCompressor>());
            apptest::DocItem(frame->ActiveEditForm(), "HTMLCompressor1")->trigger();
        });
        sweep(QStringLiteral("vCard Open"), picked(), [&](Run &run, apptest::User &user) {
            run.name = QFileInfo(run.name).path() + QLatin1Char('/') + QFileInfo(run.name).completeBaseName() + QStringLiteral(".vcf");
            user.Then(in<publish::TvCardForm>(run, [](publish::TvCardForm *w) { w->Open1->trigger(); }))
                .Then(typeName(run))
                .Then(readMessage(run))
                .Then(closeWindow<publish::TvCardForm>());
            apptest::DocItem(frame->ActiveEditForm(), "VCard1")->trigger();
        });
        sweep(QStringLiteral("GIF animator Open"), picked(), [&](Run &run, apptest::User &user) {
            run.name = QFileInfo(run.name).path() + QLatin1Char('/') + QFileInfo(run.name).completeBaseName() + QStringLiteral(".gif");
            user.Then(in<media::TAnimatorForm>(run, [](media::TAnimatorForm *w) { w->OpenClick(); }))
                .Then(typeName(run))
                .Then(readMessage(run))
                .Then(closeWindow<media::TAnimatorForm>());
            apptest::DocItem(frame->ActiveEditForm(), "GifAnimator1")->trigger();
        });
        const std::pair<const char *, const char *> converters[] = {
            {"BMPToGIF1", "bmp"}, {"GIFToBMP1", "gif"}, {"GIFDeanimation1", "gif"}};
        for (const auto &[item, ext] : converters) {
            QStringList inputs;
            for (const QString &name : names->All())
                inputs << (name.endsWith(QLatin1String(".folder.htm"))
                               ? name
                               : QFileInfo(name).path() + QLatin1Char('/') + QFileInfo(name).completeBaseName() + QLatin1Char('.') + QLatin1String(ext));
            sweep(QLatin1String(item), inputs, [&](Run &run, apptest::User &user) {
                user.Then(in<media::TConverterWindow>(run, [&run](media::TConverterWindow *w) {
                        w->InputEdit->setText(run.name);
                        w->OutputEdit->setText(QFileInfo(run.name).path());
                        run.clock.start();
                        QTest::mouseClick(w->OkButton, Qt::LeftButton);
                    }))
                    .Then(readMessage(run))
                    .Then(closeWindow<media::TConverterWindow>());
                apptest::DocItem(frame->ActiveEditForm(), item)->trigger();
            });
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // A name holding markup shows as typed in the messages of the document window, the GIF animator and the
    // vCard editor: nothing of it is taken for bold or an entity.
    void messagesShowNamesAsTyped()
    {
        const QString folder = k5test::Root() + QStringLiteral("/tmp/markup");
        const QString page = k5test::WriteFile(folder + QStringLiteral("/a <b>&'x.htm"), QByteArray("GIF89a\0\0\x01", 9));
        const QString picture = k5test::WriteFile(folder + QStringLiteral("/a <b>&'x.gif"), "GIF89a, cut short");
        const QString card = k5test::WriteFile(folder + QStringLiteral("/a <b>&amp;'x.vcf"), QByteArray("BEGIN:VCARD\r\n\0", 14));
        auto check = [&](Run &run) {
            if (run.messages.size() != 1 || !run.messages.first().contains(QDir::toNativeSeparators(run.name)) ||
                run.formats.value(0) != Qt::PlainText)
                problems << QStringLiteral("%1: %2 shown as %3").arg(run.way, run.messages.join(QLatin1Char('|'))).arg(int(run.formats.value(0)));
        };
        {
            Run run{QStringLiteral("File > Open"), page};
            apptest::User user;
            user.Then(typeName(run)).Then(readMessage(run));
            apptest::DocItem(frame->ActiveEditForm(), "Open2")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            check(run);
        }
        {
            Run run{QStringLiteral("GIF animator Open"), picture};
            apptest::User user;
            user.Then(in<media::TAnimatorForm>(run, [](media::TAnimatorForm *w) { w->OpenClick(); }))
                .Then(typeName(run))
                .Then(readMessage(run))
                .Then(closeWindow<media::TAnimatorForm>());
            apptest::DocItem(frame->ActiveEditForm(), "GifAnimator1")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            check(run);
        }
        {
            Run run{QStringLiteral("vCard Open"), card};
            apptest::User user;
            user.Then(in<publish::TvCardForm>(run, [](publish::TvCardForm *w) { w->Open1->trigger(); }))
                .Then(typeName(run))
                .Then(readMessage(run))
                .Then(closeWindow<publish::TvCardForm>());
            apptest::DocItem(frame->ActiveEditForm(), "VCard1")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            check(run);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

K5_TEST_MAIN(TestNamedFiles)
#include "test_namedfiles.moc"
