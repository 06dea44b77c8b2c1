#include "k5test.h"
#include "apptest.h"

#include "app/pagememo.h"
#include "app/replaceall.h"

#include "app/dialogs/finddialogs.h"
#include "app/launchers.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "controls/zel/explorer.h"
#include "controls/zel/zelstores.h"
#include "platform/folders.h"
#include "textcontrol/rilomemo.h"
#include "tools/publish/vcmain.h"

#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

using app::TEditForm;
using app::TFrameForm;

class TestEditForm : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    TEditForm *open(const QString &path)
    {
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        return frame->ActiveEditForm();
    }
    QString tmp(const QString &name) const { return k5test::Root() + QStringLiteral("/tmp/") + name; }

    // A page of about `chars` characters, "cat" on every line.
    static QString catPage(int chars)
    {
        QString s = QStringLiteral("<HTML>\r\n");
        for (int i = 0; s.size() < chars; ++i)
            s += QStringLiteral("<P>cat %1 sat on the mat</P>\r\n").arg(i);
        return s;
    }
    // The client point of a text offset in a document's control (its line shown).
    static QPoint pointOf(textcontrol::TRiloMemo *m, int offset)
    {
        const int line = m->LineOfOffset(offset);
        const int x = m->PosToX(line, offset - m->LineStart(line));
        return QPoint(x + 1, (line - m->TopLine()) * m->LineHeight() + m->LineHeight() / 2);
    }
    // Text dragged with the mouse from one offset to another, as a user drags it.
    static void drag(textcontrol::TRiloMemo *m, int from, int to)
    {
        QWidget *vp = m->viewport();
        QMouseEvent hover(QEvent::MouseMove, pointOf(m, from), vp->mapToGlobal(pointOf(m, from)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &hover);
        QTest::mousePress(vp, Qt::LeftButton, {}, pointOf(m, from));
        QMouseEvent move(QEvent::MouseMove, pointOf(m, to), vp->mapToGlobal(pointOf(m, to)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, pointOf(m, to));
    }
    // The Replace dialog's Replace All, as a user fills it in and clicks it.
    void replaceAllInTheDialog(TEditForm *doc, const QString &find, const QString &by)
    {
        apptest::DocItem(doc, "Replace1")->trigger();
        dialogs::TReplaceDialog *d = doc->ReplaceDialog1;
        d->FindEdit->setText(find);
        d->ReplaceEdit->setText(by);
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QTRY_VERIFY(!doc->Replacing());
        d->hide();
    }

    // A file dropped on the main window, as the window system delivers it.
    void drop(const QString &path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &event);
    }
    // File > Open picked from the main window's menu (no document open: the frame's own File menu).
    void fileOpen()
    {
        QMenu *file = frame->File1;
        file->popup(frame->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(file->isVisible());
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(frame->Open1).center());
    }

private slots:
    void initTestCase()
    {
        frame = new TFrameForm;
        frame->show();
    }
    void cleanupTestCase() { delete frame; }
    void cleanup() { apptest::CloseAll(*frame); }

    void openAndSaveKeepEveryEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("<P>caf\xc3\xa9</P>\r\n<P>\xe2\x82\xac</P>\r\n") << QStringLiteral("<P>caf\u00e9</P>\r\n<P>\u20ac</P>\r\n");
        QTest::newRow("windows-1252") << QByteArray("<P>caf\xe9 \x80</P>\r\n") << QStringLiteral("<P>caf\u00e9 \u20ac</P>\r\n");
        QTest::newRow("utf-16") << QByteArray("\xff\xfe<\0P\0>\0\r\0\n\0", 12) << QStringLiteral("<P>\r\n");
        QTest::newRow("no final line end") << QByteArray("<HTML></HTML>") << QStringLiteral("<HTML></HTML>");
    }
    void openAndSaveKeepEveryEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("enc/page.htm")), bytes);
        TEditForm *doc = open(path);
        QCOMPARE(doc->FileName, path);
        QCOMPARE(doc->windowTitle(), QStringLiteral("page.htm"));
        QCOMPARE(doc->Text(), text);
        QCOMPARE(doc->RiloMemo1->SelStart(), 0);
        QVERIFY(!doc->Modified());
        QVERIFY(doc->Save1Click());
        QCOMPARE(k5test::ReadFile(path), bytes);
    }

    void reloadWritesWhatSaveWrites_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8") << QByteArray("<P>caf\xc3\xa9</P>\r\n");
        QTest::newRow("windows-1252") << QByteArray("<P>caf\xe9 \x80</P>\r\n");
        QTest::newRow("utf-16") << QByteArray("\xff\xfe<\0P\0>\0\r\0\n\0", 12);
    }
    void reloadWritesWhatSaveWrites()
    {
        QFETCH(QByteArray, bytes);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("reload/page.htm")), bytes);
        TEditForm *doc = open(path);
        QStringList shown;
        doc->OnNavigate = [&](const QString &f) { shown << f; };
        doc->RiloMemo1->SetSelStart(0);
        doc->InsertText(QStringLiteral("\u00e9 ")); // a character beyond ASCII
        doc->PageControl2->setCurrentIndex(1);
        QTest::mouseClick(doc->SpeedButton4, Qt::LeftButton); // Reload
        const QByteArray reloaded = k5test::ReadFile(path);
        QVERIFY(!doc->Modified()); // the file holds the text now
        QVERIFY(doc->Save1Click());
        QCOMPARE(reloaded, k5test::ReadFile(path));
        QVERIFY(reloaded != bytes);
        QCOMPARE(shown, (QStringList{path, path}));
    }

    void refusedFilesLeaveNoWindowAndStayUntouched_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("utf-16 U+0000") << QByteArray("\xff\xfe<\0P\0\0\0>\0", 10) << "NUL characters (the first at byte offset 6)";
        for (const char code : {'\x01', '\x02', '\x03', '\x04', '\x05', '\x15'})
            QTest::addRow("utf-8 0x%02X", code) << QByteArray("<P>a") + code + QByteArray("b\xc3\xa9</P>")
                                               << QString::asprintf("0x%02X at byte offset 4", code);
        QTest::newRow("ascii 0x02") << QByteArray("<B>\x02</B>") << "0x02 at byte offset 3";
        QTest::newRow("windows-1252 0x15") << QByteArray("caf\xe9\x15") << "0x15 at byte offset 4";
        QTest::newRow("utf-16 0x03") << QByteArray("\xff\xfe" "a\0\x03\0", 6) << "0x03 at byte offset 4";
    }
    void refusedFilesLeaveNoWindowAndStayUntouched()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("refused/page.htm")), bytes);
        for (int byDrop = 0; byDrop < 2; ++byDrop) {
            apptest::User user;
            if (byDrop) {
                user.Click(QStringLiteral("OK"));
                drop(path);
            } else {
                user.TypeFileName(path).Click(QStringLiteral("OK"));
                fileOpen();
            }
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts.size(), 1);
            QVERIFY2(user.Texts.first().contains(message), qPrintable(user.Texts.first()));
            QVERIFY(user.Texts.first().contains(QStringLiteral("page.htm")));
            QCOMPARE(frame->MDIChildCount(), 0);
            QCOMPARE(k5test::ReadFile(path), bytes);
        }
    }

    // File > Open: a name chosen without an extension opens the file of that name when there is one (README
    // under "All Files"); a name that names no file still finds the page with the default extension.
    void openTakesTheNameChosen()
    {
        const QString folder = tmp(QStringLiteral("names"));
        k5test::WriteFile(folder + QStringLiteral("/README"), "read me\n");
        k5test::WriteFile(folder + QStringLiteral("/README.htm"), "<P>not this one</P>\n");
        k5test::WriteFile(folder + QStringLiteral("/index.htm"), "<P>index</P>\n");
        const QList<QPair<QString, QString>> cases = {{QStringLiteral("README"), QStringLiteral("read me\n")},
                                                       {QStringLiteral("index"), QStringLiteral("<P>index</P>\n")}};
        for (const auto &[typed, text] : cases) {
            apptest::User user;
            user.Then([&](QWidget *w) {
                auto *dialog = qobject_cast<QFileDialog *>(w);
                auto *types = dialog ? dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")) : nullptr;
                if (!types || !types->isVisible())
                    return false;
                // "All Files", the last kind, picked from the keyboard.
                types->setFocus();
                QTest::keyClick(types, Qt::Key_End);
                return types->currentText().startsWith(QStringLiteral("All Files"));
            });
            user.TypeFileName(folder + QLatin1Char('/') + typed);
            fileOpen();
            apptest::Settle();
            QVERIFY(user.Done());
            QVERIFY2(user.Texts.isEmpty(), qPrintable(user.Texts.join(QLatin1Char('\n'))));
            TEditForm *doc = frame->ActiveEditForm();
            QVERIFY2(doc, qPrintable(typed));
            QCOMPARE(doc->Text().trimmed(), text.trimmed());
            QCOMPARE(QFileInfo(doc->FileName).fileName(), text.startsWith(QLatin1Char('<')) ? typed + QStringLiteral(".htm") : typed);
            apptest::CloseAll(*frame);
        }
    }

    void filesAboveOneGibibyteAreRefusedUnread()
    {
        const QString path = tmp(QStringLiteral("huge.htm"));
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        const qint64 size = 1073741824 + 1; // one byte above 1 GiB
        QVERIFY(huge.resize(size)); // sparse: no disk taken
        huge.close();
        const QDateTime written = QFileInfo(path).lastModified();
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        drop(path);
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(QStringLiteral("too large")), qPrintable(user.Texts.first()));
        QVERIFY(user.Texts.first().contains(QStringLiteral("1073741825 bytes")));
        QCOMPARE(frame->MDIChildCount(), 0);
        QCOMPARE(QFileInfo(path).size(), size);
        QCOMPARE(QFileInfo(path).lastModified(), written);
        QFile::remove(path);
    }

    void mixedLineEndsAreWrittenAsTheFirst()
    {
        const QString path = k5test::WriteFile(tmp(QStringLiteral("ends.htm")), "a\nb\rc\r\n");
        TEditForm *doc = open(path);
        doc->RiloMemo1->SetSelStart(doc->RiloMemo1->CharCount());
        doc->InsertText(QStringLiteral("d"));
        QVERIFY(doc->Modified());
        QVERIFY(doc->Save1Click());
        QVERIFY(!doc->Modified());
        QCOMPARE(k5test::ReadFile(path), QByteArray("a\nb\nc\nd"));
    }

    void aFailedOpenLeavesNoWindow()
    {
        k5test::WriteFile(tmp(QStringLiteral("nul.htm")), QByteArray("a\0b", 3));
        apptest::User user;
        user.Click(QStringLiteral("OK")).Click(QStringLiteral("OK"));
        QVERIFY(!open(tmp(QStringLiteral("nul.htm"))));
        QVERIFY(!open(tmp(QStringLiteral("missing.htm"))));
        QTRY_COMPARE(frame->MDIChildCount(), 0);
        QCOMPARE(user.Texts.size(), 2);
        QVERIFY(user.Texts.at(0).contains(QStringLiteral("nul.htm")) && user.Texts.at(0).contains(QStringLiteral("NUL characters")));
        QVERIFY(user.Texts.at(1).contains(QStringLiteral("missing.htm")));
    }

    void aFailedSaveKeepsTheDocumentModified()
    {
        const QString blocker = k5test::WriteFile(tmp(QStringLiteral("blocker")), "old");
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->InsertText(QStringLiteral("precious"));
        doc->FileName = blocker + QStringLiteral("/page.htm");
        k5test::Answerer a;
        QVERIFY(!doc->Save1Click());
        QCOMPARE(a.Messages().size(), 1);
        QVERIFY(a.Texts().first().contains(QStringLiteral("page.htm")));
        QVERIFY(doc->Modified());
        QCOMPARE(k5test::ReadFile(blocker), QByteArray("old"));
    }

    // A save replaces the file whole: a second name made before it keeps the old bytes.
    void savingReplacesTheFileWhole()
    {
        const QString path = k5test::WriteFile(tmp(QStringLiteral("linked/page.htm")), "<P>old</P>\r\n");
        TEditForm *doc = open(path);
        QVERIFY(doc);
        k5test::HardLink old(path);
        QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
        doc->InsertText(QStringLiteral("<B>new</B>"));
        QVERIFY(doc->Save1Click());
        QCOMPARE(old.Bytes(), QByteArray("<P>old</P>\r\n"));
        QVERIFY(k5test::ReadFile(path).startsWith("<B>new</B><P>old</P>"));
    }

    void untitledYesWithCancelledSaveKeepsTheWindow()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->InsertText(QStringLiteral("x"));
        k5test::Answerer a;
        a.Queue(platform::IDYES); // save? yes; then the save dialog is cancelled
        doc->Frame()->close();
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("Save changes to Untitled?")});
        QCOMPARE(a.ModalCount(), 1);
        QCOMPARE(frame->MDIChildCount(), 1);
        QVERIFY(doc->Modified());
        // Yes with a chosen name saves and closes.
        const QString target = tmp(QStringLiteral("saved/new"));
        a.Queue(platform::IDYES);
        a.OnModal(apptest::ChooseFile(target));
        QDir().mkpath(tmp(QStringLiteral("saved")));
        doc->Frame()->close();
        QTRY_COMPARE(frame->MDIChildCount(), 0);
        QVERIFY(k5test::ReadFile(target + QStringLiteral(".htm")).endsWith("</HTML>"));
    }

    void findAndReplaceTellWhatHappened()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        k5test::Answerer a;
        QVERIFY(!doc->DoFind(QStringLiteral("absent words"), true, false, false));
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("Search string not found!")});
        QCOMPARE(a.Messages().first().caption, QStringLiteral("Kestrova"));
        QVERIFY(doc->FindNext1->isEnabled());
        doc->RiloMemo1->SetSelStart(0);
        QVERIFY(doc->DoFind(QStringLiteral("head"), true, false, false));
        QCOMPARE(doc->RiloMemo1->SelText(), QStringLiteral("HEAD"));
        // The find text comes from a short selection, never from a long one.
        doc->Find2Click();
        QCOMPARE(doc->FindDialog1->FindText(), QStringLiteral("HEAD"));
        doc->RiloMemo1->Select(0, 80);
        doc->Find2Click();
        QCOMPARE(doc->FindDialog1->FindText(), QStringLiteral("HEAD"));
        doc->FindDialog1->hide();

        a.Clear();
        QVERIFY(!doc->ReplaceOnce(QStringLiteral("nowhere"), QStringLiteral("x")));
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("Could not find \"nowhere\"")});
        frame->TempMemo->SetText(QStringLiteral("ab ab ab"));
        QVERIFY(doc->ReplaceOnce(QStringLiteral("ab"), QStringLiteral("X")));
        QCOMPARE(doc->Text(), QStringLiteral("X ab ab"));
        // Replace All goes on after each replacement, even when the replacement holds the find text.
        QCOMPARE(doc->ReplaceAll(QStringLiteral("ab"), QStringLiteral("abab")), 2);
        QCOMPARE(doc->Text(), QStringLiteral("X abab abab"));
        QCOMPARE(doc->ReplaceAll(QString(), QStringLiteral("y")), 0);
        QCOMPARE(doc->Text(), QStringLiteral("X abab abab"));
    }

    // The Replace dialog as a user fills it in: every option it shows counts, Replace All is one undo
    // step, and a big Replace All gives what replacing in the plain text gives.
    void replaceHonoursTheDialogAsOneEdit()
    {
        const QString original = QStringLiteral("category Cat cat CAT\r\nCat cat CAT category");
        TEditForm *doc = apptest::DocWith(*frame, original);
        k5test::Answerer a;
        apptest::DocItem(doc, "Replace1")->trigger();
        dialogs::TReplaceDialog *d = doc->ReplaceDialog1;
        QVERIFY(d && d->isVisible());
        QTest::keyClicks(d->FindEdit, QStringLiteral("cat"));
        QTest::keyClicks(d->ReplaceEdit, QStringLiteral("dog"));
        QTest::mouseClick(d->WholeWordBox, Qt::LeftButton);
        QVERIFY(d->WholeWord() && !d->MatchCase());
        QTest::mouseClick(d->ReplaceButton, Qt::LeftButton);
        QCOMPARE(doc->Text(), QStringLiteral("category dog cat CAT\r\nCat cat CAT category"));
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(doc->Text(), QStringLiteral("category dog dog dog\r\ndog dog dog category"));
        QVERIFY(a.Texts().isEmpty());
        // One undo step each, back to the text exactly as it was.
        apptest::DocItem(doc, "Undo1")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("category dog cat CAT\r\nCat cat CAT category"));
        apptest::DocItem(doc, "Undo1")->trigger();
        QCOMPARE(doc->Text(), original);
        apptest::DocItem(doc, "Redo1")->trigger();
        apptest::DocItem(doc, "Redo1")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("category dog dog dog\r\ndog dog dog category"));
        apptest::DocItem(doc, "Undo1")->trigger();
        apptest::DocItem(doc, "Undo1")->trigger();
        // Case counts, words do not: parts of words are replaced, other cases are left.
        QTest::keyClick(d->WholeWordBox, Qt::Key_Space);
        QTest::keyClick(d->MatchCaseBox, Qt::Key_Space);
        QVERIFY(!d->WholeWord() && d->MatchCase());
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(doc->Text(), QStringLiteral("dogegory Cat dog CAT\r\nCat dog CAT dogegory"));
        // Nothing to replace: said so, and nothing changed.
        d->FindEdit->setText(QStringLiteral("cow"));
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("Could not find \"cow\"")});
        QCOMPARE(doc->Text(), QStringLiteral("dogegory Cat dog CAT\r\nCat dog CAT dogegory"));

        // A big page, its matches in every paragraph and several in one, wide characters among them.
        QString big, expected;
        for (int i = 0; i < 60000; ++i) {
            big += QStringLiteral("<P>%1 Cat, the cat;category \u00e9cat cat</P>\r\n").arg(i);
            expected += QStringLiteral("<P>%1 a dog, the a dog;category \u00e9cat cat</P>\r\n").arg(i); // "<" is no separator
        }
        big += QStringLiteral("\u4e2d cat");
        expected += QStringLiteral("\u4e2d a dog");
        doc = apptest::DocWith(*frame, big);
        d->FindEdit->setText(QStringLiteral("cat"));
        d->ReplaceEdit->setText(QStringLiteral("a dog"));
        QTest::keyClick(d->WholeWordBox, Qt::Key_Space);
        QTest::keyClick(d->MatchCaseBox, Qt::Key_Space);
        QVERIFY(d->WholeWord() && !d->MatchCase());
        apptest::DocItem(doc, "Replace1")->trigger();
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(doc->Text(), expected);
        QCOMPARE(doc->RiloMemo1->ParagraphCount(), 60001);
        doc->RiloMemo1->CheckConsistency();
        d->hide();
    }

    // A Replace All that takes several slices runs with the event loop: a window shows how far it came,
    // Stop leaves the text exactly as it was, and one that finishes is one undo step.
    void replaceAllKeepsTheWindowAlive()
    {
        // Within the editor's undo budget of 64 KB, so that the edit can be undone.
        QString page, expected;
        for (int i = 0; i < 2000; ++i) {
            page += QStringLiteral("<P>%1 cat and Cat</P>\r\n").arg(i);
            expected += QStringLiteral("<P>%1 dog and Cat</P>\r\n").arg(i);
        }
        TEditForm *doc = apptest::DocWith(*frame, page);
        doc->Replacer->Slices = {500, 0};
        k5test::Answerer a;
        apptest::DocItem(doc, "Replace1")->trigger();
        dialogs::TReplaceDialog *d = doc->ReplaceDialog1;
        d->FindEdit->clear();
        d->ReplaceEdit->clear();
        QTest::keyClicks(d->FindEdit, QStringLiteral("cat"));
        QTest::keyClicks(d->ReplaceEdit, QStringLiteral("dog"));
        if (!d->MatchCase())
            QTest::keyClick(d->MatchCaseBox, Qt::Key_Space);
        if (d->WholeWord())
            QTest::keyClick(d->WholeWordBox, Qt::Key_Space);
        QVERIFY(!d->WholeWord() && d->MatchCase());
        // A timer of the event loop counts its turns during the search, and presses Stop after a few.
        int turns = 0, lastProgress = -1, stopAt = 5;
        bool textKept = true, progressShown = true;
        QPushButton *stop = nullptr;
        QTimer tick;
        tick.setInterval(0);
        connect(&tick, &QTimer::timeout, this, [&] {
            if (!doc->Replacing())
                return;
            ++turns;
            textKept = textKept && doc->Text() == page;
            progressShown = progressShown && doc->Replacer->Progress && doc->Replacer->Progress->isVisible();
            lastProgress = doc->Replacer->Progress->findChild<QProgressBar *>()->value();
            stop = doc->Replacer->Progress->findChild<QPushButton *>(QStringLiteral("Stop"));
            if (turns == stopAt)
                QTest::mouseClick(stop, Qt::LeftButton);
        });
        tick.start();
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QVERIFY(doc->Replacing()); // more than one slice: the rest wait for the event loop
        QTRY_VERIFY(!doc->Replacing());
        QCOMPARE(turns, 5);
        QVERIFY(textKept && progressShown);
        QVERIFY(lastProgress > 0 && lastProgress < 100);
        QVERIFY(!doc->Replacer->Progress->isVisible());
        QVERIFY(doc->Text() == page);
        QVERIFY(!doc->RiloMemo1->CanUndo());
        QVERIFY(a.Texts().isEmpty());

        // Again, to the end: the event loop ran throughout, and one Undo gives the page back.
        turns = 0;
        stopAt = -1;
        QTest::mouseClick(d->ReplaceAllButton, Qt::LeftButton);
        QTRY_VERIFY(!doc->Replacing());
        QVERIFY(turns > 5);
        QVERIFY(textKept && progressShown);
        QVERIFY(!doc->Replacer->Progress->isVisible());
        QVERIFY(doc->Text() == expected);
        QVERIFY(a.Texts().isEmpty());
        apptest::DocItem(doc, "Undo1")->trigger();
        QVERIFY(doc->Text() == page);
        QVERIFY(!doc->RiloMemo1->CanUndo());
        apptest::DocItem(doc, "Redo1")->trigger();
        QVERIFY(doc->Text() == expected);
        d->hide();
    }

    // Menu commands are undo steps of their own, also when each follows the other at the caret.
    void eachCommandIsAnUndoStep()
    {
        TEditForm *doc = apptest::DocWith(*frame, QStringLiteral("<P></P>"));
        doc->RiloMemo1->setFocus();
        doc->RiloMemo1->SetSelStart(3);
        QTest::keyClicks(doc->RiloMemo1, QStringLiteral("ab"));
        apptest::DocItem(doc, "Bold2")->trigger();
        apptest::DocItem(doc, "Italic2")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("<P>ab<B></B><I></I></P>"));
        apptest::DocItem(doc, "Undo1")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("<P>ab<B></B></P>"));
        apptest::DocItem(doc, "Undo1")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("<P>ab</P>"));
        apptest::DocItem(doc, "Undo1")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("<P></P>"));
        // A selection wrapped, then a command at the caret after it.
        doc->RiloMemo1->Select(0, 3);
        apptest::DocItem(doc, "Bold2")->trigger();
        apptest::DocItem(doc, "Italic2")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("<B><P></B><I></I></P>"));
        apptest::DocItem(doc, "Undo1")->trigger();
        QCOMPARE(doc->Text(), QStringLiteral("<B><P></B></P>"));

        // Typing right after a command, from a menu or handed over by another window, is a step of its own.
        doc = apptest::DocWith(*frame, QStringLiteral("<P></P>"));
        doc->RiloMemo1->setFocus();
        doc->RiloMemo1->SetSelStart(3);
        apptest::DocItem(doc, "Bold2")->trigger();
        QTest::keyClicks(doc->RiloMemo1, QStringLiteral("xy"));
        frame->Memo1->SetText(QStringLiteral("<BR>"));
        QTest::keyClicks(doc->RiloMemo1, QStringLiteral("z"));
        QCOMPARE(doc->Text(), QStringLiteral("<P><B></B>xy<BR>z</P>"));
        for (const char *was : {"<P><B></B>xy<BR></P>", "<P><B></B>xy</P>", "<P><B></B></P>", "<P></P>"}) {
            apptest::DocItem(doc, "Undo1")->trigger();
            QCOMPARE(doc->Text(), QString::fromLatin1(was));
        }
    }

    // Keys pressed in a document window: the control's style-code keys and Ctrl+P change nothing, a
    // typed control character goes nowhere, and the saved page opens again as it was.
    void keysPutNoControlCharacterIntoThePage()
    {
        const QByteArray bytes("<P>word</P>\r\n");
        const QString path = k5test::WriteFile(tmp(QStringLiteral("keys/page.htm")), bytes);
        TEditForm *doc = open(path);
        textcontrol::TRiloMemo *memo = doc->RiloMemo1;
        memo->setFocus();
        memo->Select(3, 4);
        const struct {
            Qt::Key key;
            char text;
        } keys[] = {{Qt::Key_B, 2}, {Qt::Key_I, 9}, {Qt::Key_U, 21}, {Qt::Key_H, 8}, {Qt::Key_P, 16}};
        for (const auto &k : keys) {
            QTest::sendKeyEvent(QTest::Click, memo, k.key, QString(QChar(k.text)), Qt::ControlModifier);
            memo->SetSelStart(7);
            QTest::sendKeyEvent(QTest::Click, memo, k.key, QString(QChar(k.text)), Qt::ControlModifier);
            memo->Select(3, 4);
        }
        QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_Backslash, QString(QChar(0x1c)), Qt::ControlModifier);
        QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, QString(QChar(0x1f)), Qt::NoModifier);
        k5test::Settle();
        QCOMPARE(doc->Text(), QStringLiteral("<P>word</P>\r\n"));
        QVERIFY(!doc->Modified());
        // Typing, Tab, Ctrl+T and Enter still work.
        QTest::keyClick(memo, Qt::Key_X);
        QTest::keyClick(memo, Qt::Key_Tab);
        QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_T, QString(QChar(20)), Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_Return);
        QCOMPARE(doc->Text(), QStringLiteral("<P>x\t\t\r\n</P>\r\n"));
        QVERIFY(doc->Save1Click());
        doc->Frame()->close();
        QTRY_VERIFY(!frame->ActiveEditForm());
        k5test::Answerer a;
        TEditForm *again = open(path);
        QVERIFY(again);
        QVERIFY(a.Texts().isEmpty());
        QCOMPARE(k5test::ReadFile(path), QByteArray("<P>x\t\t\r\n</P>\r\n"));
    }

    void previewFileIsWrittenOnTabSwitch()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        QStringList navigated;
        doc->OnNavigate = [&](const QString &f) { navigated << f; };
        doc->InsertText(QStringLiteral("<P>unsaved</P>"));
        doc->PageControl2->setCurrentIndex(1);
        const QString preview = platform::ProgramFile(QStringLiteral("preview.htm"));
        QCOMPARE(navigated, QStringList{preview});
        QVERIFY(k5test::ReadFile(preview).startsWith("<P>unsaved</P><HTML>\r\n"));
        // A saved document previews its file on disk.
        const QString path = k5test::WriteFile(tmp(QStringLiteral("prev.htm")), "<P>disk</P>");
        TEditForm *saved = open(path);
        saved->OnNavigate = [&](const QString &f) { navigated << f; };
        saved->PageControl2->setCurrentIndex(1);
        QCOMPARE(navigated.last(), path);
    }

    void wordWrapTogglesWithItsScrollBars()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        const bool wrapped = doc->RiloMemo1->WordWrap();
        QCOMPARE(doc->Wordwrap1->isChecked(), wrapped);
        doc->Wordwrap1->trigger();
        QCOMPARE(doc->RiloMemo1->WordWrap(), !wrapped);
        QCOMPARE(doc->Wordwrap1->isChecked(), !wrapped);
        QCOMPARE(doc->RiloMemo1->ScrollBars(), wrapped ? textcontrol::TScrollStyle::ssBoth : textcontrol::TScrollStyle::ssVertical);
        doc->Wordwrap1->trigger();
        QCOMPARE(doc->RiloMemo1->WordWrap(), wrapped);
    }

    void documentWeight()
    {
        frame->New1Click();
        k5test::Answerer a;
        frame->ActiveEditForm()->CalculateWeight();
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("You must save your document first!")});
        QCOMPARE(a.Messages().first().caption, QStringLiteral("Kestrova 5"));
        TEditForm *doc = open(k5test::WriteFile(tmp(QStringLiteral("weight.htm")), QByteArray(2500, 'x')));
        doc->CalculateWeight();
        QCOMPARE(doc->Dsize->text(), QStringLiteral("2500"));
        QCOMPARE(doc->DocKB->text(), QStringLiteral("2.5"));
        QCOMPARE(doc->Modem144->text(), QStringLiteral("1.5 sec"));
        QCOMPARE(doc->Modem288->text(), QStringLiteral("0.75 sec"));
        QCOMPARE(doc->Modem566->text(), QStringLiteral("0.4 sec"));
        QCOMPARE(doc->ModemISDN->text(), QStringLiteral("0.2499975 sec"));
    }

    void referenceTreesInsertTheirNodes()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        QCOMPARE(doc->TreeView1->Items()->Count(), 1257);
        QCOMPARE(doc->TreeView2->Items()->Count(), 300);
        QCOMPARE(doc->TreeView3->Items()->Count(), 249);
        QCOMPARE(doc->TreeView1->Items()->GetFirstNode()->Text(), QStringLiteral("<A>"));
        QVERIFY(doc->TreeView2->isVisibleTo(doc) && !doc->TreeView3->isVisibleTo(doc));
        doc->Knap2->click();
        QVERIFY(!doc->TreeView2->isVisibleTo(doc) && doc->TreeView3->isVisibleTo(doc));

        doc->RiloMemo1->SetSelStart(0);
        doc->TreeDblClick(doc->TreeView1); // nothing selected: nothing happens
        tree::TZozeZONode *a = doc->TreeView1->Items()->GetFirstNode();
        doc->TreeView1->SetSelected(a->GetFirstChild());
        doc->TreeView1->OnDblClick(doc->TreeView1);
        QVERIFY(doc->Text().startsWith(QStringLiteral("HREF=\"\"<HTML>")));
        QCOMPARE(doc->Tag->Text(), QString());
        // A category node goes to the error sink; a member is inserted.
        tree::TZozeZONode *window = doc->TreeView2->Items()->GetFirstNode();
        doc->TreeView2->SetSelected(window);
        doc->TreeDblClick(doc->TreeView2);
        QCOMPARE(doc->Fejl->Text(), QStringLiteral("Window"));
        doc->TreeView2->SetSelected(window->GetFirstChild());
        doc->TreeDblClick(doc->TreeView2);
        QVERIFY(doc->Text().startsWith(QStringLiteral("HREF=\"\"window.closed<HTML>")));
        // Dropped over the editor: inserted at the editor's selection; dropped elsewhere: nothing.
        frame->activateWindow();
        QTRY_VERIFY(doc->RiloMemo1->isVisible());
        doc->RiloMemo1->SetSelStart(0);
        const QPoint overMemo = doc->RiloMemo1->viewport()->mapToGlobal(doc->RiloMemo1->viewport()->rect().center());
        QVERIFY(doc->DropTreeNode(doc->TreeView2, overMemo));
        QVERIFY(doc->Text().startsWith(QStringLiteral("window.closedHREF")));
        QVERIFY(!doc->DropTreeNode(doc->TreeView2, doc->TreeView1->mapToGlobal(QPoint(5, 5))));
        tree::TZozeZONode *events = doc->TreeView3->Items()->GetFirstNode();
        while (events->GetNextSibling())
            events = events->GetNextSibling();
        QCOMPARE(events->Text(), QStringLiteral("Events"));
        doc->TreeView3->SetSelected(events);
        doc->TreeDblClick(doc->TreeView3);
        QCOMPARE(doc->Fejl->Text(), QStringLiteral("Events"));
    }

    void sideBrowserOpensFilesInWindowsOfTheirOwn()
    {
        const QString page = k5test::WriteFile(tmp(QStringLiteral("side/Page One.htm")), "<P>side</P>");
        k5test::WriteFile(tmp(QStringLiteral("side/notes.txt")), "x");
        frame->New1Click();
        TEditForm *origin = frame->ActiveEditForm();
        origin->FileListBox1->SetDirectory(tmp(QStringLiteral("side")));
        QCOMPARE(origin->FileListBox1->count(), 1); // web documents only
        origin->FileListBox1->setCurrentRow(0);
        origin->RiloMemo1->SetSelStart(0);
        origin->BrowseInsertAsLink();
        QVERIFY(origin->Text().startsWith(QStringLiteral("<A HREF=\"Page%20One.htm\">Page One.htm</A>")));
        origin->BrowseEdit();
        TEditForm *opened = frame->ActiveEditForm();
        QVERIFY(opened != origin);
        QCOMPARE(opened->FileName, page);
        QCOMPARE(opened->windowTitle(), page);
        QCOMPARE(frame->Edit3->Text(), page);
        QVERIFY(!opened->Modified());
        origin->SetModified(false);
        origin->Frame()->close();
        QTRY_COMPARE(frame->MDIChildCount(), 1);
        QCOMPARE(frame->ActiveEditForm(), opened);
    }

    // A file whose name starts with "[" or holds "*" and "?" is a file like any other for the menu's
    // Edit and Insert as link.
    void sideBrowserTakesNamesWithPatternCharacters()
    {
        const QString dir = tmp(QStringLiteral("patterns"));
        for (const QString &name : {QStringLiteral("[draft].htm"), QStringLiteral("a*b?.htm")}) {
            const QString page = k5test::WriteFile(dir + QLatin1Char('/') + name, "<P>named</P>");
            frame->New1Click();
            TEditForm *origin = frame->ActiveEditForm();
            origin->FileListBox1->SetDirectory(dir);
            const auto items = origin->FileListBox1->findItems(name, Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            origin->FileListBox1->setCurrentItem(items.first());
            origin->RiloMemo1->SetSelStart(0);
            origin->InsertAsLink1->trigger();
            QVERIFY2(origin->Text().contains(QStringLiteral(">%1</A>").arg(name)), qPrintable(origin->Text().left(80)));
            origin->Edit5->trigger();
            TEditForm *opened = frame->ActiveEditForm();
            QVERIFY(opened != origin);
            QCOMPARE(opened->FileName, page);
            QVERIFY(opened->Text().contains(QStringLiteral("named")));
            apptest::CloseAll(*frame);
            QFile::remove(page);
        }
    }

    // "Save and as Insert as Link" links the card as the page finds it once both are uploaded: relative to
    // the page's folder.
    void aSavedCardIsLinkedRelativeToThePage()
    {
        const QString page = k5test::WriteFile(tmp(QStringLiteral("site/page.htm")), "<P>page</P>");
        QDir().mkpath(tmp(QStringLiteral("site/cards")));
        TEditForm *doc = frame->OpenFile(page, true);
        QVERIFY(doc);
        doc->RiloMemo1->SetSelStart(0);
        publish::TvCardForm *card = app::VCardForm();
        card->show();
        card->New1Click();
        card->FormattedNameEdit->setText(QStringLiteral("Ann"));
        k5test::User person;
        person.TypeFileName(tmp(QStringLiteral("site/cards/ann.vcf")));
        card->SaveAndInsert1->trigger();
        QVERIFY(person.Done());
        k5test::Settle();
        card->hide();
        QVERIFY(QFile::exists(tmp(QStringLiteral("site/cards/ann.vcf"))));
        QVERIFY2(doc->Text().startsWith(QStringLiteral("<A HREF=\"cards/ann.vcf\">My Visit-Card</A>")),
                 qPrintable(doc->Text().left(80)));
        apptest::CloseAll(*frame);
    }

    void linkAndEmailPairsInsertAndPersist()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->LinkPairs[1].first->setText(QStringLiteral("http://a.example/"));
        doc->LinkPairs[1].second->setText(QStringLiteral("A site"));
        doc->EmailPairs[3].first->setText(QStringLiteral("me@a.example"));
        doc->EmailPairs[3].second->setText(QStringLiteral("Mail me"));
        doc->RiloMemo1->SetSelStart(0);
        doc->InsertLinkPair(1, false);
        doc->InsertLinkPair(3, true);
        QVERIFY(doc->Text().startsWith(QStringLiteral("<A HREF=\"http://a.example/\">A site</A><A HREF=\"mailto:me@a.example\">Mail me</A><HTML>")));
        QCOMPARE(doc->LinkPairs[1].first->objectName(), QStringLiteral("url2"));
        QCOMPARE(doc->EmailPairs[3].second->objectName(), QStringLiteral("EDesc4"));
        // A second window shows what the first stored.
        frame->New1Click();
        TEditForm *other = frame->ActiveEditForm();
        QVERIFY(other != doc);
        QCOMPARE(other->LinkPairs[1].first->text(), QStringLiteral("http://a.example/"));
        QCOMPARE(other->EmailPairs[3].second->text(), QStringLiteral("Mail me"));
    }

    void uploadHandsOverTheTextOnceEachTime()
    {
        frame->New1Click();
        k5test::Answerer a;
        frame->ActiveEditForm()->UploadThissite1Click();
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("You must save your document first!")});
        TEditForm *doc = open(k5test::WriteFile(tmp(QStringLiteral("up.htm")), "<P>upload me</P>\r\n"));
        QStringList handed;
        doc->OnUpload = [&](const QString &file) { handed << QString::fromUtf8(k5test::ReadFile(file)); };
        doc->UploadThissite1Click();
        doc->UploadThissite1Click();
        QCOMPARE(handed, (QStringList{QStringLiteral("<P>upload me</P>\r\n"), QStringLiteral("<P>upload me</P>\r\n")}));
        QCOMPARE(doc->RiloMemo1->SelText(), doc->Text()); // the whole text stays selected
    }

    // The edits that take in a whole page, on a page of a megabyte: each is one undo step, which gives the
    // page back byte for byte, and none asks first.
    void bigEditsOfAPageAreEachOneUndoStep()
    {
        const QString page = catPage(1 << 20);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("big.htm")), page.toLatin1());
        TEditForm *doc = open(path);
        QVERIFY(doc);
        QVERIFY(doc->Text() == page);
        textcontrol::TRiloMemo *m = doc->RiloMemo1;
        k5test::Answerer a;
        auto undoneWhole = [&] {
            apptest::DocItem(doc, "Undo1")->trigger();
            return doc->Text() == page && m->SaveToBytes() == page.toLatin1();
        };
        replaceAllInTheDialog(doc, QStringLiteral("cat"), QStringLiteral("dog"));
        QVERIFY(doc->Text().count(QStringLiteral("dog")) > 30000 && !doc->Text().contains(QStringLiteral("cat")));
        QVERIFY(undoneWhole());
        // A paste over all of it, typing over all of it, deleting all of it.
        m->SelectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("short"));
        QTest::keyClick(m, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(doc->Text(), QStringLiteral("short"));
        QVERIFY(undoneWhole());
        m->SelectAll();
        QTest::keyClick(m, Qt::Key_X);
        QCOMPARE(doc->Text(), QStringLiteral("x"));
        QVERIFY(undoneWhole());
        m->SelectAll();
        apptest::DocItem(doc, "Delete1")->trigger();
        QCOMPARE(doc->Text(), QString());
        QVERIFY(undoneWhole());
        // The whole page handed over by the main window's relay.
        frame->TempMemo->SetText(QStringLiteral("<P>new</P>"));
        QCOMPARE(doc->Text(), QStringLiteral("<P>new</P>"));
        QVERIFY(undoneWhole());
        // All but the first line dragged before it.
        m->SetTopLine(0);
        const int second = m->ParagraphStart(1);
        m->Select(m->CharCount(), second - m->CharCount());
        drag(m, second + 3, 2);
        QVERIFY(doc->Text().startsWith(QStringLiteral("<H<P>cat 0")));
        QVERIFY(undoneWhole());
        QCOMPARE(a.Texts(), QStringList());
    }

    // An edit too big for undo to keep is asked about first, by every route of such an edit: No leaves
    // the page as it was, with what undo could take back; Yes makes the edit, and nothing is left to undo.
    void anEditUndoCannotKeepIsAskedAboutFirst_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<bool>("yes");
        for (const char *r : {"Replace All", "Ctrl+V", "typed", "Delete", "Cut", "TempMemo", "drag"})
            QTest::newRow(r) << QString::fromLatin1(r) << false;
        QTest::newRow("Replace All, yes") << "Replace All" << true;
        QTest::newRow("drag, yes") << "drag" << true;
    }
    void anEditUndoCannotKeepIsAskedAboutFirst()
    {
        QFETCH(QString, route);
        QFETCH(bool, yes);
        const app::TPageMemo::UndoRoom room = app::TPageMemo::Room;
        const auto restore = qScopeGuard([room] { app::TPageMemo::Room = room; });
        app::TPageMemo::Room = {1000, 1, 2000};
        const QString page = catPage(80000); // more than the room the window starts with
        TEditForm *doc = apptest::DocWith(*frame, page);
        textcontrol::TRiloMemo *m = doc->RiloMemo1;
        m->setFocus();
        m->SetTopLine(0);
        m->Select(0, 0);
        QTest::keyClicks(m, QStringLiteral("q"));
        const QString before = doc->Text();
        k5test::User user;
        user.Click(yes ? QStringLiteral("&Yes") : QStringLiteral("&No"));
        if (route == QLatin1String("Replace All")) {
            replaceAllInTheDialog(doc, QStringLiteral("cat"), QStringLiteral("dog"));
        } else if (route == QLatin1String("Ctrl+V")) {
            m->SelectAll();
            QGuiApplication::clipboard()->setText(QStringLiteral("short"));
            QTest::keyClick(m, Qt::Key_V, Qt::ControlModifier);
        } else if (route == QLatin1String("typed")) {
            m->SelectAll();
            QTest::keyClick(m, Qt::Key_X);
        } else if (route == QLatin1String("Delete")) {
            m->SelectAll();
            QTest::keyClick(m, Qt::Key_Delete);
        } else if (route == QLatin1String("Cut")) {
            m->SelectAll();
            apptest::DocItem(doc, "Cut1")->trigger();
        } else if (route == QLatin1String("TempMemo")) {
            frame->TempMemo->SetText(QStringLiteral("<P>new</P>"));
            QCOMPARE(frame->TempMemo->Text(), QString()); // taken, whatever the answer
        } else if (route == QLatin1String("drag")) {
            const int second = m->ParagraphStart(1);
            m->Select(m->CharCount(), second - m->CharCount());
            drag(m, second + 3, 2);
        } else {
            QFAIL(qPrintable(route));
        }
        k5test::Settle();
        QVERIFY2(user.Done(), qPrintable(user.Texts.join(QLatin1Char('\n'))));
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(QStringLiteral("cannot be undone")), qPrintable(user.Texts.first()));
        if (yes) {
            QVERIFY(doc->Text() != before);
            QVERIFY(!m->CanUndo());
            return;
        }
        QVERIFY(doc->Text() == before);
        QVERIFY(doc->Modified());
        m->Undo();
        QVERIFY(doc->Text() == page);
    }

    void printsToPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        const QString path = k5test::WriteFile(tmp(QStringLiteral("print.htm")), "<P>one printed line</P>\r\n<P>second</P>\r\n");
        TEditForm *doc = open(path);
        for (int colour = 0; colour < 2; ++colour) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            const QString pdf = tmp(QStringLiteral("out%1.pdf").arg(colour));
            printer.setOutputFileName(pdf);
            if (colour)
                doc->PrintSyntaxColor(printer);
            else
                doc->PrintPlain(printer);
            QProcess p;
            p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
            QVERIFY(p.waitForFinished(30000));
            const QString text = QString::fromUtf8(p.readAllStandardOutput());
            QVERIFY2(text.contains(QStringLiteral("<P>one printed line</P>")), qPrintable(text));
            QVERIFY(text.contains(QStringLiteral("<P>second</P>")));
            if (colour)
                QVERIFY(text.contains(QStringLiteral("print.htm"))); // the header line
        }
    }
};

K5_TEST_MAIN(TestEditForm)
#include "test_editform.moc"
