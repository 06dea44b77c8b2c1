#include "k5test.h"
#include "../apptest.h"
#include "../../platform/browser/browsertest.h"

#include "app/assistants/unit_tempstart.h"
#include "app/assistants/unit_theme.h"
#include "app/dialogs/engine.h"
#include "app/preview/previewhtml.h"
#include "platform/folders.h"
#include "platform/textfile.h"

#include <QDir>

#include <QComboBox>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QWebEngineView>

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
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }

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

    // Every page the program begins with says how it is written: letters beyond ASCII typed into it show
    // as typed in the preview, and from the saved file over HTTP.
    void pagesTheProgramBeginsShowTheirLettersRight()
    {
        const QString typed = QStringLiteral("5 \u20ac caf\u00e9 \u4f60\u597d");
        QList<std::pair<QString, QString>> pages;
        frame->New1Click();
        pages.append({QStringLiteral("new page"), frame->ActiveEditForm()->Text()});
        const QString templates = platform::ProgramFile(QStringLiteral("templates"));
        const QStringList names = QDir(templates).entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
        QCOMPARE(names.size(), 20);
        for (const QString &name : names)
            pages.append({name, platform::LoadTextDocument(templates + QLatin1Char('/') + name).text});
        pages.append({QStringLiteral("shared border"), assistants::SharedBorderHead() + assistants::SharedBorderFoot()});
        pages.append({QStringLiteral("theme"), assistants::ThemePage(1)});
        pages.append({QStringLiteral("dark theme"), assistants::ThemePage(5)});
        for (const char *cls : {"ThtmlStart", "TWizard1", "TWizard2", "TWizard3"}) {
            std::unique_ptr<dialogs::TTagDialog> d(dialogs::CreateDialog(QString::fromLatin1(cls), nullptr));
            pages.append({QString::fromLatin1(cls), d->Build()});
        }

        TEditForm *doc = frame->ActiveEditForm();
        const QString preview = platform::ProgramFile(QStringLiteral("preview.htm"));
        const QString shown = QStringLiteral("document.title + ' ' + (document.body ? document.body.innerText : '')");
        QStringList wrong;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            // The page as the template dialog hands it over, and the letters typed into its title (a frame
            // page shows nothing else), else at its end.
            doc->PageControl2->setCurrentIndex(0);
            frame->TempMemo->SetText(pages[i].second);
            const qsizetype title = doc->Text().indexOf(QStringLiteral("<TITLE>"), 0, Qt::CaseInsensitive);
            doc->RiloMemo1->SetSelStart(title < 0 ? doc->RiloMemo1->CharCount() : int(title + 7));
            const QString tag = QStringLiteral("[page %1]").arg(i), mark = typed + tag;
            QTest::sendKeyEvent(QTest::Click, doc->RiloMemo1, Qt::Key_unknown, mark, Qt::NoModifier);
            QVERIFY(doc->Text().contains(mark));
            doc->PageControl2->setCurrentIndex(1);
            QVERIFY(browsertest::WaitUntil([&] {
                return QUrl(doc->PreviewHTML1->LocationURL()).toLocalFile() == preview && !doc->PreviewHTML1->Busy() &&
                       browsertest::RunJavaScript(doc->PreviewHTML1->Browser()->Page(), shown).toString().contains(tag);
            }));
            if (!browsertest::RunJavaScript(doc->PreviewHTML1->Browser()->Page(), shown).toString().contains(mark))
                wrong << pages[i].first;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));

        // The Normal page saved and served as a web server serves it (no character set in its answer).
        doc->PageControl2->setCurrentIndex(0);
        frame->TempMemo->SetText(pages[1 + names.indexOf(QStringLiteral("Normal.htm"))].second);
        doc->RiloMemo1->SetSelStart(int(doc->Text().indexOf(QStringLiteral("<!-- Begin Here -->"))));
        QTest::sendKeyEvent(QTest::Click, doc->RiloMemo1, Qt::Key_unknown, typed, Qt::NoModifier);
        const QString site = k5test::Root() + QStringLiteral("/tmp/served");
        QVERIFY(QDir().mkpath(site));
        {
            apptest::User user;
            user.TypeFileName(site + QStringLiteral("/index.htm"));
            QVERIFY(doc->Saveas1Click());
            QVERIFY(user.Done());
        }
        k5test::PythonServer server;
        QVERIFY(browsertest::ServeFolder(server, site));
        browsertest::ScriptBrowser b;
        QVERIFY(b.Load(QUrl(QStringLiteral("http://127.0.0.1:%1/index.htm").arg(server.Port()))));
        QVERIFY2(b.Text().contains(typed), qPrintable(b.Text()));
        doc->SetModified(false);
        apptest::CloseAll(*frame);
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

    // Back and Forward follow the pages the preview went through, links the user followed in the page
    // included (one to another file, one to a place in the same page).
    void backAndForwardFollowTheLinksFollowed()
    {
        const QByteArray link = "STYLE=\"display: block; width: 300px; height: 120px\"";
        const QString folder = k5test::Root() + QStringLiteral("/tmp/linked");
        k5test::WriteFile(folder + QStringLiteral("/second.htm"),
                          "<HTML><HEAD><TITLE>second</TITLE></HEAD><BODY><A HREF=\"#end\" " + link + ">down</A>"
                          "<P STYLE=\"margin-top: 3000px\"><A NAME=\"end\">end</A></P></BODY></HTML>");
        const QString path = k5test::WriteFile(folder + QStringLiteral("/first.htm"),
                                               "<HTML><HEAD><TITLE>first</TITLE></HEAD><BODY>"
                                               "<A HREF=\"second.htm\" " + link + ">on</A></BODY></HTML>");
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->PageControl2->setCurrentIndex(1);
        app::TPreviewHTML *preview = doc->Preview();
        auto shows = [&](const char *title) {
            return browsertest::WaitUntil([&] { return preview->LocationName() == QLatin1String(title) && !preview->Busy(); });
        };
        // A click on the page's first link, as the user's mouse gives it.
        auto followLink = [&] {
            const QVariantList at = browsertest::RunJavaScript(preview->Browser()->Page(),
                QStringLiteral("var r = document.links[0].getBoundingClientRect(); [r.left + 20, r.top + 20]")).toList();
            QCOMPARE(at.size(), 2);
            QWidget *surface = preview->Browser()->View()->focusProxy();
            QVERIFY(surface);
            QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(at[0].toInt(), at[1].toInt()));
        };
        QVERIFY(shows("first"));
        QVERIFY(!doc->BackBtn->isEnabled() && !doc->ForwardBtn->isEnabled());

        followLink();
        QVERIFY(shows("second"));
        QVERIFY(browsertest::WaitUntil([&] { return doc->BackBtn->isEnabled(); }));
        QVERIFY(!doc->ForwardBtn->isEnabled());

        QTest::mouseClick(doc->BackBtn, Qt::LeftButton);
        QVERIFY(shows("first"));
        QVERIFY(browsertest::WaitUntil([&] { return !doc->BackBtn->isEnabled() && doc->ForwardBtn->isEnabled(); }));
        QTest::mouseClick(doc->ForwardBtn, Qt::LeftButton);
        QVERIFY(shows("second"));
        QVERIFY(browsertest::WaitUntil([&] { return doc->BackBtn->isEnabled() && !doc->ForwardBtn->isEnabled(); }));

        // A place in the same page: no page loads, and Back returns to the top of the page.
        followLink();
        QVERIFY(browsertest::WaitUntil([&] { return preview->LocationURL().endsWith(QLatin1String("#end")); }));
        QTest::mouseClick(doc->BackBtn, Qt::LeftButton);
        QVERIFY(browsertest::WaitUntil([&] { return !preview->LocationURL().endsWith(QLatin1String("#end")); }));
        QVERIFY(browsertest::WaitUntil([&] { return doc->BackBtn->isEnabled() && doc->ForwardBtn->isEnabled(); }));
        QCOMPARE(preview->LocationName(), QStringLiteral("second"));
    }

    // Stop stops the page that is loading (no reload); Search goes to the product's search page.
    void stopStopsAndSearchGoesToTheSearchPage()
    {
        // A page that comes in part and then keeps the browser waiting.
        const QString script = k5test::WriteFile(k5test::Root() + QStringLiteral("/stall.py"), R"(import http.server, time
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.end_headers()
        self.wfile.write(b"<html><head><title>partial</title></head><body><p>partial")
        self.wfile.flush()
        time.sleep(30)
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print("PORT", server.server_address[1], flush=True)
server.serve_forever()
)");
        k5test::PythonServer server;
        QVERIFY(server.Start(script, {}));
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->PageControl2->setCurrentIndex(1);
        app::TPreviewHTML *preview = doc->Preview();
        QVERIFY(browsertest::WaitUntil([&] { return !preview->LocationURL().isEmpty() && !preview->Busy(); }));
        platform::WebBrowser *browser = preview->Browser();
        QStringList asked;
        const auto previous = browser->OnBeforeNavigate;
        browser->OnBeforeNavigate = [&, previous](platform::WebBrowser *sender, const QString &url, bool &cancel) {
            asked << url;
            // Nothing leaves this machine.
            if (QUrl(url).host() != QLatin1String("127.0.0.1") && QUrl(url).scheme() != QLatin1String("file"))
                cancel = true;
            else if (previous)
                previous(sender, url, cancel);
        };
        const QString stalling = QStringLiteral("http://127.0.0.1:%1/slow.htm").arg(server.Port());
        k5test::Type(doc->URLs, stalling + QLatin1Char('\n'));
        QVERIFY(browsertest::WaitUntil([&] { return preview->Busy() && preview->LocationName() == QLatin1String("partial"); }));
        QCOMPARE(asked, QStringList{stalling});
        QTest::mouseClick(doc->SpeedButton12, Qt::LeftButton); // Stop
        QVERIFY(browsertest::WaitUntil([&] { return !preview->Busy(); }, 10000));
        apptest::Settle();
        QCOMPARE(asked, QStringList{stalling});
        QVERIFY(!preview->Busy());

        QTest::mouseClick(doc->SpeedButton13, Qt::LeftButton); // Search
        QVERIFY(browsertest::WaitUntil([&] { return asked.size() == 2; }, 10000));
        QCOMPARE(asked.last(), QStringLiteral("http://www.kestrova.example/search/"));
        browser->OnBeforeNavigate = previous;
        server.Stop();
    }
};

K5_TEST_MAIN(TestPreviewTab)
#include "test_previewtab.moc"
