#include "k5test.h"
#include "../apptest.h"
#include "../../platform/browser/browsertest.h"

#include "app/preview/previewhtml.h"
#include "platform/folders.h"

#include <QTabWidget>
#include <QUrl>

using app::TEditForm;

static const bool prepared = browsertest::Prepare();

class TestPreviewTab : public QObject {
    Q_OBJECT
    app::TFrameForm *frame = nullptr;

    QString shownText(TEditForm *doc)
    {
        return browsertest::RunJavaScript(doc->PreviewHTML1->Browser()->Page(), QStringLiteral("document.body.innerText"))
            .toString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(prepared);
        frame = new app::TFrameForm;
        frame->show();
    }
    void cleanupTestCase()
    {
        apptest::CloseAll(*frame);
        delete frame;
    }

    void theTabShowsTheCurrentTextOrTheSavedFile()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        QVERIFY(!doc->PreviewHTML1); // the browser waits for the first visit
        frame->TempMemo->SetText(QStringLiteral("<HTML><BODY><P>not saved yet</P></BODY></HTML>"));
        doc->PageControl2->setCurrentIndex(1);
        QVERIFY(doc->PreviewHTML1);
        const QString preview = platform::ProgramFile(QStringLiteral("preview.htm"));
        QVERIFY(browsertest::WaitUntil([&] {
            return QUrl(doc->PreviewHTML1->LocationURL()).toLocalFile() == preview && !doc->PreviewHTML1->Busy();
        }));
        QVERIFY(browsertest::WaitUntil([&] { return shownText(doc).contains(QStringLiteral("not saved yet")); }));

        // A saved document shows its file on disk, not the unsaved edits.
        const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/site/page.htm"),
                                               "<HTML><BODY><P>on disk</P></BODY></HTML>");
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        TEditForm *saved = frame->ActiveEditForm();
        saved->RiloMemo1->SetSelStart(0);
        saved->InsertText(QStringLiteral("<P>edited</P>"));
        saved->PageControl2->setCurrentIndex(1);
        QVERIFY(browsertest::WaitUntil([&] { return shownText(saved).contains(QStringLiteral("on disk")); }));
        QVERIFY(!shownText(saved).contains(QStringLiteral("edited")));
        // Reload writes the text to the file the preview shows and shows it.
        saved->ReloadClick();
        QVERIFY(browsertest::WaitUntil([&] { return shownText(saved).contains(QStringLiteral("edited")); }));
        QVERIFY(k5test::ReadFile(path).startsWith("<P>edited</P>"));
    }

    void previewedScriptsRunButCannotReadTheUsersFiles()
    {
        // The page's own side script runs; reading the settings file beside it is refused, both for an
        // unsaved document (shown from the program folder) and for a saved one (shown from its folder).
        const QByteArray page =
            "<HTML><HEAD><TITLE>start</TITLE><SCRIPT SRC=\"js/side.js\"></SCRIPT></HEAD><BODY><SCRIPT>"
            "var got; try { var x = new XMLHttpRequest(); x.open('GET', 'kestrova5.ini', false); x.send();"
            " got = x.responseText; } catch (e) { got = 'refused'; }"
            "document.title = (typeof side === 'undefined' ? 'no side script' : side) + ' ' + got;"
            "</SCRIPT></BODY></HTML>";
        const QString shown = QStringLiteral("side script refused");
        const QString folder = k5test::Root() + QStringLiteral("/tmp/own");
        for (const QString &dir : {platform::ProgramFolder(), folder}) {
            k5test::WriteFile(dir + QStringLiteral("/js/side.js"), "var side = 'side script';");
            k5test::WriteFile(dir + QStringLiteral("/kestrova5.ini"), "[Secret]\r\nPassword=hunter2\r\n");
        }

        frame->New1Click();
        TEditForm *unsaved = frame->ActiveEditForm();
        frame->TempMemo->SetText(QString::fromLatin1(page));
        unsaved->PageControl2->setCurrentIndex(1);
        QVERIFY(browsertest::WaitUntil([&] { return unsaved->PreviewHTML1->LocationName() == shown; }));

        const QString path = k5test::WriteFile(folder + QStringLiteral("/page.htm"), page);
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        TEditForm *saved = frame->ActiveEditForm();
        QVERIFY(saved != unsaved);
        saved->PageControl2->setCurrentIndex(1);
        QVERIFY(browsertest::WaitUntil([&] { return saved->PreviewHTML1->LocationName() == shown; }));
        QCOMPARE(QUrl(saved->PreviewHTML1->LocationURL()).toLocalFile(), path);
    }
};

K5_TEST_MAIN(TestPreviewTab)
#include "test_previewtab.moc"
