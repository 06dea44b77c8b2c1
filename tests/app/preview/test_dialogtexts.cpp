// What the dialogs write, as a user gets it: the fields filled in the real dialog, OK pressed, the text
// taken from the document (or the script editor), and then read by the browser engine, which must apply
// every rule and attribute the user set, run every script without an error, and see each typed value as
// it was typed, quotes and all.
#include "k5test.h"
#include "../apptest.h"
#include "controls/zel/lookupedit.h"
#include <QFileDialog>
#include "../../platform/browser/browsertest.h"

#include "app/assistants/searchfile.h"
#include "app/dialogs/engine.h"
#include "app/dialogs/escape.h"
#include "app/launchers.h"
#include "app/scripteditor.h"
#include "app/workflow.h"
#include "tests/app/dialogs/dialogtest.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>

using app::TEditForm;

static const bool prepared = browsertest::Prepare();

namespace {

using Fields = QList<QPair<QString, QString>>;

// Types each value into its field of the dialog that comes up, then presses its OK.
k5test::User::Step fill(const Fields &fields, std::function<void(QWidget *)> more = {})
{
    return [fields, more](QWidget *w) {
        auto *d = dynamic_cast<dialogs::TTagDialog *>(w);
        if (!d || !d->isVisible())
            return false;
        for (const auto &[name, value] : fields) {
            QWidget *field = d->findChild<QWidget *>(name);
            if (!field)
                qWarning("no field %s", qPrintable(name));
            else
                k5test::Type(field, value);
        }
        if (more)
            more(d);
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        return true;
    };
}

} // namespace

class TestDialogTexts : public QObject {
    Q_OBJECT
    app::TFrameForm *frame = nullptr;

    // A new empty document, active.
    TEditForm *newDocument()
    {
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->ReplaceText(QString());
        return doc;
    }
    // The menu item run in the active document with the user's steps; the text it left there.
    QString run(const char *item, k5test::User::Step step)
    {
        TEditForm *doc = frame->ActiveEditForm();
        apptest::User user;
        user.Then(std::move(step));
        const bool launched = app::Launch(QString::fromLatin1(item));
        apptest::Settle();
        // A dialog that did not come up, or a message on the way, shows as text no check expects.
        if (!launched || !user.Done() || !user.Texts.isEmpty())
            return QStringLiteral("(%1 did not run as a user runs it: %2)").arg(QLatin1String(item), user.Texts.join(QLatin1Char('\n')));
        return doc->Text();
    }
    // The page in the browser engine, loaded with no script error.
    bool show(browsertest::ScriptBrowser &b, const QString &html)
    {
        const int before = b.page.loads;
        b.page.keepLocal = false; // the page is given as text
        b.page.setHtml(html, QUrl(QStringLiteral("http://127.0.0.1/page.htm")));
        const bool shown = b.WaitLoads(before + 1) && b.page.loaded && b.page.errors.isEmpty();
        if (!shown)
            qWarning("not shown (%s): %s", b.page.loaded ? "loaded" : "not loaded", qPrintable(b.page.errors.join(QLatin1Char('\n'))));
        return shown;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(prepared);
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }

    void everyRuleOfTheStyleSheetTakesEffect()
    {
        newDocument();
        const QString text = run("StyleSheet2", fill({{"Element / Target", "H3"},
                                                      {"Text Color", "#ff0000"},
                                                      {"Size", "20"},
                                                      {"Size unit", "px"},
                                                      {"Font Weight", "bold"},
                                                      {"Font Style", "italic"},
                                                      {"Cursor", "hand"},
                                                      {"Text Decoration", "underline"},
                                                      {"Margin Left", "2"},
                                                      {"Margin Left unit", "cm"},
                                                      {"Padding", "7"},
                                                      {"Position Type", "relative"},
                                                      {"Z-Order", "5"}}));
        QVERIFY2(text.startsWith(QStringLiteral("<STYLE>H3 {\r\n      font-family: Arial;\r\n      font-size: 20px;\r\n")), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("}  </STYLE>\r\n")), qPrintable(text));
        // What the user left empty is not written.
        QVERIFY2(!text.contains(QStringLiteral("overflow")) && !text.contains(QStringLiteral(": ;")), qPrintable(text));

        browsertest::ScriptBrowser b;
        QVERIFY(show(b, text + QStringLiteral("<H3 id=\"h\">Heading</H3>")));
        const auto css = [&b](const char *property) {
            return b.Js(QStringLiteral("getComputedStyle(document.getElementById('h')).%1").arg(QLatin1String(property))).toString();
        };
        QCOMPARE(css("color"), QStringLiteral("rgb(255, 0, 0)"));
        QCOMPARE(css("fontSize"), QStringLiteral("20px"));
        QCOMPARE(css("fontWeight"), QStringLiteral("700"));
        QCOMPARE(css("fontStyle"), QStringLiteral("italic"));
        QCOMPARE(css("cursor"), QStringLiteral("pointer"));
        QCOMPARE(css("textDecorationLine"), QStringLiteral("underline"));
        QVERIFY2(css("marginLeft").startsWith(QStringLiteral("75.")), qPrintable(css("marginLeft"))); // 2 cm
        QCOMPARE(css("paddingTop"), QStringLiteral("7px"));
        QCOMPARE(css("position"), QStringLiteral("relative"));
        QCOMPARE(css("zIndex"), QStringLiteral("5"));
        QVERIFY(css("fontFamily").contains(QStringLiteral("Arial")));
    }

    void attributesLeftAtAHidingValueAreLeftOut()
    {
        browsertest::ScriptBrowser b;
        // A text field whose sizes the user left alone takes what is typed; one with a length keeps it.
        newDocument();
        QString text = run("Text2", fill({{"Name", "who"}}));
        QCOMPARE(text, QStringLiteral("<INPUT TYPE=\"TEXT\" NAME=\"who\" VALUE=\"\" ALIGN=\"\">"));
        QVERIFY(show(b, text));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('input').maxLength")).toInt(), -1);
        b.Js(QStringLiteral("var i = document.querySelector('input'); i.focus(); document.execCommand('insertText', false, 'typed');"));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('input').value")).toString(), QStringLiteral("typed"));
        newDocument();
        QCOMPARE(run("Password3", fill({{"Name", "pw"}, {"Size", "12"}, {"Max Length", "8"}})),
                 QStringLiteral("<INPUT TYPE=\"PASSWORD\" NAME=\"pw\" VALUE=\"\" ALIGN=\"\" Size=\"12\" MAXLENGTH=\"8\">"));

        // The marquee at its defaults is seen and moves.
        newDocument();
        text = run("Marquee2", fill({{"Scrolling Text", "News"}}));
        QVERIFY2(!text.contains(QStringLiteral("WIDTH=")) && !text.contains(QStringLiteral("HEIGHT=")) &&
                     !text.contains(QStringLiteral("SCROLLAMOUNT=")),
                 qPrintable(text));
        QVERIFY(show(b, text));
        QVERIFY(b.Js(QStringLiteral("document.querySelector('marquee').offsetHeight")).toInt() > 0);
        QVERIFY(b.Js(QStringLiteral("document.querySelector('marquee').scrollAmount")).toInt() > 0);

        // A picture with no map uses none, and one at no size keeps its own.
        newDocument();
        text = run("Picture2", fill({{"URL", "logo.gif"}, {"Alt. Text", "Logo"}}));
        QCOMPARE(text, QStringLiteral("<IMG SRC=\"logo.gif\" ALT=\"Logo\" HSPACE=\"0\" VSPACE=\"0\" ALIGN=\"\">"));
        newDocument();
        QVERIFY(run("Picture2", fill({{"URL", "logo.gif"}, {"Use Map", "nav"}, {"Width", "30"}}))
                    .contains(QStringLiteral("USEMAP=\"#nav\" WIDTH=\"30\" HSPACE")));
    }

    void aChosenBulletIsTheOneShown()
    {
        newDocument();
        const QString text = run("Listeditor2", fill({}, [](QWidget *d) {
            QTest::mouseClick(d->findChild<QWidget *>(QStringLiteral("Unordered")), Qt::LeftButton);
            auto *bullet = d->findChild<QComboBox *>(QStringLiteral("Bullet"));
            bullet->setCurrentIndex(bullet->findText(QStringLiteral("square"), Qt::MatchStartsWith));
        }));
        browsertest::ScriptBrowser b;
        QVERIFY(show(b, text));
        QCOMPARE(b.Js(QStringLiteral("getComputedStyle(document.querySelector('ul')).listStyleType")).toString(), QStringLiteral("square"));
    }

    void aChosenSchemeIsFollowedByTheAddressAlone()
    {
        browsertest::ScriptBrowser b;
        for (const QString &scheme : {QStringLiteral("Https://"), QStringLiteral("Ftp://"), QStringLiteral("File://")}) {
            newDocument();
            const QString text = run("HyperLink1", fill({{"Description", "Site"}}, [&](QWidget *d) {
                auto *url = d->findChild<QComboBox *>(QStringLiteral("URL"));
                url->setCurrentIndex(url->findText(scheme));
                url->lineEdit()->end(false);
                QTest::keyClicks(url->lineEdit(), QStringLiteral("host.example/a"));
            }));
            QVERIFY2(text.startsWith(QStringLiteral("<A HREF=\"") + scheme + QStringLiteral("host.example/a\"")), qPrintable(text));
            QVERIFY(show(b, text));
            QCOMPARE(b.Js(QStringLiteral("document.querySelector('a').href")).toString(),
                     scheme.toLower() + QStringLiteral("host.example/a"));
        }
    }

    void filesBesideTheSavedPageAreLinkedRelatively()
    {
        const QString site = k5test::Root() + QStringLiteral("/tmp/site");
        const QString path = k5test::WriteFile(site + QStringLiteral("/page.htm"), "");
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        TEditForm *saved = frame->ActiveEditForm();
        QCOMPARE(saved->FileName, path);
        // Its file chooser opens in the page's folder.
        QString opened;
        {
            apptest::User user;
            user.Then([&](QWidget *w) {
                    auto *d = dynamic_cast<dialogs::TTagDialog *>(w);
                    if (!d || !d->isVisible())
                        return false;
                    auto *url = d->findChild<zel::TZELFileLookup *>(QStringLiteral("URL"));
                    if (!url)
                        return false;
                    QTest::mouseClick(url->EditButton1().Button(), Qt::LeftButton);
                    d->reject();
                    return true;
                })
                .Then([&](QWidget *w) {
                    auto *chooser = qobject_cast<QFileDialog *>(w);
                    if (!chooser)
                        return false;
                    opened = chooser->directory().absolutePath();
                    chooser->reject();
                    return true;
                });
            QVERIFY(app::Launch(QStringLiteral("Picture2")));
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(opened, QFileInfo(site).absoluteFilePath());
        QImage logo(4, 3, QImage::Format_RGB32);
        logo.fill(Qt::blue);
        QVERIFY(QDir().mkpath(site + QStringLiteral("/img")) && logo.save(site + QStringLiteral("/img/logo.bmp")));
        QCOMPARE(run("Picture2", fill({{"URL", site + QStringLiteral("/img/logo.bmp")}})).left(27),
                 QStringLiteral("<IMG SRC=\"img/logo.bmp\" ALT"));
        // A folder beside the page's is reached up and across, also one whose name starts with the page
        // folder's name.
        for (const QString &beside : {QStringLiteral("/tmp/site2/clip.avi"), QStringLiteral("/tmp/other/clip.avi")}) {
            saved->ReplaceText(QString());
            QCOMPARE(run("Movie2", fill({{"URL", k5test::Root() + beside}})).section(QLatin1Char('"'), 0, 1),
                     QStringLiteral("<IMG DYNSRC=\"..") + beside.mid(4));
        }
        // A file that shares no folder with the page but the root keeps its full path; so does any file while
        // the page is unsaved.
        saved->ReplaceText(QString());
        const QString elsewhere = QStringLiteral("/k5-elsewhere/clip.avi");
        QVERIFY(run("Movie2", fill({{"URL", elsewhere}})).startsWith(QStringLiteral("<IMG DYNSRC=\"") + elsewhere + QLatin1Char('"')));
        newDocument();
        QVERIFY(run("Movie2", fill({{"URL", site + QStringLiteral("/img/clip.avi")}}))
                    .startsWith(QStringLiteral("<IMG DYNSRC=\"") + site + QStringLiteral("/img/clip.avi\"")));

        // The file search links the same way, with the name shown as text.
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        TEditForm *again = frame->ActiveEditForm();
        again->ReplaceText(QString());
        QPointer<assistants::TSearchFile> search = app::ShowSearchFile(frame);
        search->ListBox1->addItem(site + QStringLiteral("/sub/a&b.htm"));
        search->ListBox1->setCurrentRow(0);
        QTest::mouseClick(search->LinkButton, Qt::LeftButton);
        QCOMPARE(again->Text(), QStringLiteral("<A HREF=\"sub/a&amp;b.htm\">sub/a&amp;b.htm</A>"));
        search->close();
        apptest::Settle();
    }

    // The browser engine itself finds files of awkward names by the addresses the program writes for them.
    void theEngineFindsFilesByTheirAddresses()
    {
        const QString site = k5test::Root() + QStringLiteral("/tmp/awkward site");
        const QString page = site + QStringLiteral("/page.htm");
        QImage dot(3, 2, QImage::Format_RGB32);
        dot.fill(Qt::green);
        QString html;
        const QStringList names{"q?x.png", "h#1.png", "p%41.png", " lead.png", "line\nend.png", "ünï€ 2.png",
                                "c:d.png", "r&amp;s.png", "b\\s.png", "sub #?/in.png"};
        for (const QString &name : names) {
            QVERIFY(QDir().mkpath(QFileInfo(site + QLatin1Char('/') + name).absolutePath()));
            QVERIFY(dot.save(site + QLatin1Char('/') + name, "PNG"));
            html += QStringLiteral("<IMG SRC=\"%1\">\r\n").arg(dialogs::HtmlAttribute(dialogs::LinkAddress(site + QLatin1Char('/') + name, page)));
        }
        k5test::WriteFile(page, html.toUtf8());
        browsertest::ScriptBrowser b;
        b.page.keepLocal = false;
        QVERIFY(b.Load(QUrl::fromLocalFile(page)));
        QVERIFY(b.WaitFor(QStringLiteral("Array.from(document.images).every(i => i.complete)")));
        QCOMPARE(b.Js(QStringLiteral("Array.from(document.images).map(i => i.naturalWidth).join(',')")).toString(),
                 QStringList(names.size(), QStringLiteral("3")).join(QLatin1Char(',')));
    }

    void typedValuesStayWholeInsideQuotes()
    {
        browsertest::ScriptBrowser b;
        const QString typed = QStringLiteral("O\"Neil's <b> & \\ </script>");

        // A form field's value attribute.
        newDocument();
        QString text = run("Hidden2", fill({{"Name", "n"}, {"Value", typed}}));
        QVERIFY(show(b, text));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('input').value")).toString(), typed);

        // The cookie and window.open builders write into the script editor.
        app::TJavaScript js;
        js.show();
        for (const char *builder : {"CallingSetCookie1", "WindowOpen1"}) {
            apptest::User user;
            user.Then(fill({{builder[0] == 'C' ? "Cookie Name" : "URL", "visitor"},
                            {builder[0] == 'C' ? "Cookie Value" : "Window Title", typed}}));
            js.RiloMemo1->SelectAll();
            js.findChild<QAction *>(QString::fromLatin1(builder))->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            const QString script = js.RiloMemo1->Text();
            QVERIFY(show(b, QStringLiteral("<SCRIPT>var got; function SetCookie(n, v, e) { got = [n, v]; }"
                                           " window.open = function (u, n) { got = [u, n]; };\r\n") +
                                script + QStringLiteral("\r\n</SCRIPT>")));
            QCOMPARE(b.Js(QStringLiteral("got[0]")).toString(), QStringLiteral("visitor"));
            QCOMPARE(b.Js(QStringLiteral("got[1]")).toString(), typed);
        }

        // An effect's script string inside an attribute.
        newDocument();
        text = run("ToolTip1", fill({{"URL", "a.htm"}, {"Description", "Tip"}, {"Tool Tip", typed}}));
        QVERIFY(show(b, text));
        b.Js(QStringLiteral("var got; showtip2 = function (a, e, t) { got = t; };"
                            "document.querySelector('a[onmouseover]').dispatchEvent(new MouseEvent('mouseover'));"));
        QCOMPARE(b.Js(QStringLiteral("got")).toString(), typed);
        QVERIFY(b.page.errors.isEmpty());

        // A VBScript string doubles its quotes.
        auto asp = dialogtest::OpenDialog<dialogs::TEngineDialog>("TASP");
        k5test::Type(asp->Field(QStringLiteral("Server Variable")), QStringLiteral("a\"b"));
        QCOMPARE(dialogtest::OkText(asp.get()), QStringLiteral("<%= Request.ServerVariables(\"a\"\"b\") %>"));
    }
};

K5_TEST_MAIN(TestDialogTexts)
#include "test_dialogtexts.moc"
