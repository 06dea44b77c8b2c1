#include "k5test.h"

#include "app/snippets.h"
#include "tests/platform/browser/browsertest.h"

#include <QDir>
#include <QStringDecoder>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <memory>

using browsertest::WaitUntil;

namespace {

const bool prepared = browsertest::Prepare();

// A browser of its own per case (its profile keeps no cookies of the other cases) on pages served over
// http, where cookies live.
using Browser = browsertest::ScriptBrowser;

QString snippetFile(const QString &name)
{
    return QStringLiteral(K5_SOURCE_DIR "/data/snippets/") + name + QStringLiteral(".txt");
}

} // namespace

class TestSnippets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(prepared);
        site_ = k5test::Root() + QStringLiteral("/site");
        QVERIFY(QDir().mkpath(site_));
        k5test::WriteFile(site_ + QStringLiteral("/favicon.ico"), QByteArray());
        QVERIFY(browsertest::ServeFolder(server_, site_));
    }

    void filesAreWholeAndByteExact()
    {
        const QStringList names = app::SnippetNames();
        QStringList files = QDir(QStringLiteral(K5_SOURCE_DIR "/data/snippets")).entryList(QDir::Files);
        for (QString &f : files)
            f.chop(4);
        // Every snippet the menus name has its file; every file shipped there (the script editor's too)
        // is held to the same form.
        for (const QString &name : names)
            QVERIFY2(files.contains(name), qPrintable(name));
        for (const QString &name : files) {
            const QByteArray bytes = k5test::ReadFile(snippetFile(name));
            // A menu's snippet ends its last line, so what follows it starts a line of its own.
            if (names.contains(name))
                QVERIFY2(bytes.endsWith("\r\n"), qPrintable(name));
            QVERIFY2(bytes.count('\n') == bytes.count("\r\n") && bytes.count('\r') == bytes.count("\r\n"), qPrintable(name));
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8.decode(bytes);
            QVERIFY2(!utf8.hasError(), qPrintable(name));
            // Through the loader from the build's copy, unchanged.
            QCOMPARE(app::Snippet(name), text);
        }
        QVERIFY(app::Snippet(QStringLiteral("SearchBody")).startsWith(QStringLiteral("\r\n\r\nvar fund=\"\"\r\n")));
        QCOMPARE(app::Snippet(QStringLiteral("NoSuchSnippet")), QString());

        // Read once: a text already read stays when the data folder goes away.
        const QByteArray saved = qgetenv("KESTROVA_DATA");
        qputenv("KESTROVA_DATA", QFile::encodeName(k5test::Root() + QStringLiteral("/nodata")));
        QCOMPARE(app::Snippet(QStringLiteral("Dots")).toUtf8(), k5test::ReadFile(snippetFile(QStringLiteral("Dots"))));
        qputenv("KESTROVA_DATA", saved);
    }

    void searchBoxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("address");
        QTest::newRow("AltaVista") << "Altavista" << "searchaltavista" << "AltaVista" << "https://www.altavista.com/web/results?q=";
        QTest::newRow("Excite") << "Memo5" << "searchexcite" << "Excite" << "https://results.excite.com/serp?q=";
        QTest::newRow("Infoseek") << "Memo6" << "searchinfoseek" << "Infoseek" << "http://www.infoseek.com/Titles?qt=";
        QTest::newRow("Lycos") << "Memo7" << "searchlycos" << "Lycos" << "https://search.lycos.com/web/?q=";
        QTest::newRow("WebCrawler") << "Memo8" << "searchwebcrawler" << "WebCrawler" << "https://www.webcrawler.com/serp?q=";
        QTest::newRow("Yahoo") << "Memo9" << "searchyahoo" << "Yahoo" << "https://search.yahoo.com/search?p=";
    }

    void searchBoxes()
    {
        QFETCH(QString, name);
        QFETCH(QString, form);
        QFETCH(QString, caption);
        QFETCH(QString, address);
        Browser b;
        QVERIFY2(b.Load(page(name + QStringLiteral(".htm"), app::Snippet(name))), qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Text().trimmed(), QStringLiteral("Search %1 for:").arg(caption));
        const QString submit = QStringLiteral("var f = document.forms['%1']; f.searchwords.value = %2;"
                                              "f.querySelector('input[type=submit]').click();")
                                   .arg(form);
        b.Js(submit.arg(QStringLiteral("'Foo Bar'")));
        QVERIFY(WaitUntil([&] { return b.page.elsewhere.size() == 1; }));
        QCOMPARE(b.page.elsewhere.at(0), address + QStringLiteral("foo+bar"));
        // Characters with a meaning in an address reach the engine as the words they are.
        b.Js(submit.arg(QStringLiteral("'Tom & Jerry #1'")));
        QVERIFY(WaitUntil([&] { return b.page.elsewhere.size() == 2; }));
        QCOMPARE(b.page.elsewhere.at(1), address + QStringLiteral("tom+%26+jerry+%231"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void searchEngine()
    {
        // What the search engine dialog inserts: its head, the entries, then the body.
        QString text = QStringLiteral("<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\nword=\"\"\r\nurl=new Array()\r\n"
                                      "keyword=new Array()\r\ndescription=new Array()\r\n\r\n");
        const QStringList entries[] = {{"Cats at home", "cats Pets animals", "cats.htm"},
                                       {"Dogs | big * small", "DOGS pets", "http://www.kestrova.example/dogs.htm"}};
        for (int n = 0; n < 2; ++n)
            text += QStringLiteral("description[%1]=\"%2\"\r\n\r\nkeyword[%1]=\"%3\"\r\n\r\nurl[%1]=\"%4\"\r\n\r\n")
                        .arg(n)
                        .arg(entries[n][0], entries[n][1], entries[n][2]);
        text += app::Snippet(QStringLiteral("SearchBody"));
        Browser b;
        QVERIFY2(b.Load(page(QStringLiteral("search.htm"), text)), qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Text().trimmed(), QStringLiteral("Search This site For"));
        QCOMPARE(b.Js(QStringLiteral("document.forms.keywordform.pia.closest('table').bgColor")).toString(),
                 QStringLiteral("#000080"));

        // The Search button: one paragraph per address, the words found in red after its link.
        b.Js(QStringLiteral("var f = document.forms.keywordform; f.pia.value = 'PETS  dogs birds pets';"
                            "f.querySelector('input[value=Search]').click();"));
        QVERIFY(b.WaitFor(QStringLiteral("document.title == 'Search Result!'")));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('h1').innerText")).toString(), QStringLiteral("Search Result"));
        const QString hits = QStringLiteral(
            "Array.from(document.querySelectorAll('p')).map(function (p) {"
            "  var a = p.querySelector('a');"
            "  return [p.firstChild.textContent, a.getAttribute('href'), a.target,"
            "          Array.from(p.querySelectorAll('font[color=red]')).map(function (f) { return f.innerText; }).join(',')].join(' ~ ');"
            "}).join('\\n')");
        QCOMPARE(b.Js(hits).toString(),
                 QStringLiteral("Cats at home ~ cats.htm ~ ny ~ pets\n"
                                "Dogs | big * small ~ http://www.kestrova.example/dogs.htm ~ ny ~ pets,dogs"));

        // Back shows the search page again; a query that finds nothing says so; Enter searches too.
        const int loads = b.page.loads;
        b.Js(QStringLiteral("document.querySelector('input[value=Back]').click()"));
        QVERIFY(b.WaitLoads(loads + 1));
        QVERIFY(b.WaitFor(QStringLiteral("!!document.forms.keywordform")));
        b.Js(QStringLiteral("document.forms.keywordform.pia.value = 'fish'; document.forms.keywordform.requestSubmit()"));
        QVERIFY(b.WaitFor(QStringLiteral("document.title == 'Search Result!'")));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('p').innerText + ' ' + document.querySelectorAll('p, a').length"
                                     "+ ' ' + !!document.querySelector('input[value=Back]')")).toString(),
                 QStringLiteral("0 Document found! 1 true"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
        QCOMPARE(b.page.elsewhere, QStringList());
    }

    void documentCookies()
    {
        // Bake, try and taste together.
        Browser b;
        QVERIFY(b.Load(page(QStringLiteral("bake.htm"), app::Snippet(QStringLiteral("Cookie1")) +
                                                            app::Snippet(QStringLiteral("Cookie2")) +
                                                            app::Snippet(QStringLiteral("Cookie3")))));
        QCOMPARE(b.Js(QStringLiteral("tryCookie()")), QVariant(true));
        QCOMPARE(b.Js(QStringLiteral("getCookie('cookietest')")), QVariant()); // the test cookie is gone
        b.Js(QStringLiteral("setCookie('flavour', 'oat; raisin = 100%', 2)"));
        QCOMPARE(b.Js(QStringLiteral("getCookie('flavour')")).toString(), QStringLiteral("oat; raisin = 100%"));
        QCOMPARE(b.Js(QStringLiteral("tovi")).toString(), QStringLiteral("flavour=oat%3B%20raisin%20%3D%20100%25"));
        QVERIFY(b.Reload());
        QCOMPARE(b.Js(QStringLiteral("getCookie('flavour')")).toString(), QStringLiteral("oat; raisin = 100%"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void visitCookies()
    {
        Browser b;
        QVERIFY(b.Load(page(QStringLiteral("visit.htm"), app::Snippet(QStringLiteral("Cookie4")))));
        QCOMPARE(b.Text(), QStringLiteral("Welcome! This is your first visit to this page."));
        QVERIFY(b.Reload());
        QVERIFY2(b.Text().startsWith(QStringLiteral("Welcome back! Your last visit was on ")), qPrintable(b.Text()));

        b.page.answers << QStringLiteral("Ann <b>");
        QVERIFY(b.Load(page(QStringLiteral("name.htm"), app::Snippet(QStringLiteral("Cookie5")))));
        QCOMPARE(b.page.prompts, QStringList({"Welcome! What is your name?"}));
        QCOMPARE(b.Text(), QStringLiteral("Hello Ann <b>! You have been here 1 time."));
        QVERIFY(b.Reload());
        QCOMPARE(b.page.prompts.size(), 1);
        QCOMPARE(b.Text(), QStringLiteral("Hello Ann <b>! You have been here 2 times."));

        QVERIFY(b.Load(page(QStringLiteral("first.htm"), app::Snippet(QStringLiteral("Cookie6")))));
        QCOMPARE(b.page.alerts, QStringList({"Welcome! This is your first visit to this page."}));
        QVERIFY(b.Reload());
        QCOMPARE(b.page.alerts.size(), 1);
        QVERIFY(b.Load(page(QStringLiteral("other.htm"), app::Snippet(QStringLiteral("Cookie6")))));
        QCOMPARE(b.page.alerts.size(), 2); // another page's first visit

        QVERIFY(b.Load(page(QStringLiteral("hits.htm"), app::Snippet(QStringLiteral("Cookie8")))));
        QCOMPARE(b.Text(), QStringLiteral("You have visited this page 1 time."));
        QVERIFY(b.Reload());
        QVERIFY(b.Reload());
        QCOMPARE(b.Text(), QStringLiteral("You have visited this page 3 times."));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void greetingCookie()
    {
        Browser b;
        QVERIFY(b.Load(page(QStringLiteral("greeting.htm"), app::Snippet(QStringLiteral("Cookie7")))));
        QCOMPARE(b.Text().trimmed(), QStringLiteral("What is your name?"));
        int loads = b.page.loads;
        b.Js(QStringLiteral("document.forms[0].visitor.value = ' Ann '; document.forms[0].querySelector('[type=submit]').click()"));
        QVERIFY(b.WaitLoads(loads + 1));
        QVERIFY2(b.Text().contains(QStringLiteral(", Ann! Nice to see you again. Not Ann?")), qPrintable(b.Text()));
        loads = b.page.loads;
        b.Js(QStringLiteral("document.querySelector('a').click()"));
        QVERIFY(b.WaitLoads(loads + 1));
        QCOMPARE(b.Text().trimmed(), QStringLiteral("What is your name?"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void viewDeleteAndHelperCookies()
    {
        Browser b;
        QVERIFY(b.Load(page(QStringLiteral("view.htm"), app::Snippet(QStringLiteral("Cookie11")) +
                                                            app::Snippet(QStringLiteral("Cookie12")))));
        b.Js(QStringLiteral("document.querySelector('input[value=\"View Cookie\"]').click()"));
        b.Js(QStringLiteral("document.cookie = 'a=1'; document.cookie = 'b=two%20words'"));
        b.Js(QStringLiteral("document.querySelector('input[value=\"View Cookie\"]').click()"));
        b.Js(QStringLiteral("document.forms[1].cookiename.value = 'a'; document.querySelector('input[value=\"Delete Cookie\"]').click()"));
        b.Js(QStringLiteral("document.querySelector('input[value=\"Delete Cookie\"]').click()"));
        QCOMPARE(b.page.alerts, QStringList({"This page has no cookies.", "The cookies of this page:\n\na = 1\nb = two words",
                                             "The cookie \"a\" is deleted.", "This page has no cookie named \"a\"."}));
        QCOMPARE(b.Js(QStringLiteral("document.cookie")).toString(), QStringLiteral("b=two%20words"));
        b.Js(QStringLiteral("document.querySelector('input[value=\"Delete All Cookies\"]').click()"));
        QCOMPARE(b.Js(QStringLiteral("document.cookie")).toString(), QString());

        QVERIFY(b.Load(page(QStringLiteral("dir/helper.htm"), app::Snippet(QStringLiteral("Cookie13")))));
        b.Js(QStringLiteral("setCookie('k', 'v 1', new Date(Date.now() + 86400000)); setCookie('days', 'd', 3);"
                            "setCookie('elsewhere', 'x', 1, '/other/'); document.cookie = 'here=1'"));
        QCOMPARE(b.Js(QStringLiteral("[getCookie('k'), getCookie('days'), getCookie('elsewhere')].join()")).toString(),
                 QStringLiteral("v 1,d,"));
        QCOMPARE(b.Js(QStringLiteral("deleteCookie('k') && deleteCookie('here') && getCookie('days') == 'd'")), QVariant(true));
        QCOMPARE(b.Js(QStringLiteral("document.cookie")).toString(), QStringLiteral("days=d"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void colourCookie()
    {
        Browser b;
        QVERIFY(b.Load(page(QStringLiteral("colour.htm"), app::Snippet(QStringLiteral("Cookie14")))));
        b.Js(QStringLiteral("var s = document.forms[0].backcolor; s.value = '#CCFFCC'; s.dispatchEvent(new Event('change'))"));
        const QString colour = QStringLiteral("getComputedStyle(document.body).backgroundColor + ' ' + document.forms[0].backcolor.value");
        QCOMPARE(b.Js(colour).toString(), QStringLiteral("rgb(204, 255, 204) #CCFFCC"));
        QVERIFY(b.Reload());
        QCOMPARE(b.Js(colour).toString(), QStringLiteral("rgb(204, 255, 204) #CCFFCC"));
        // Placed in the head, the colour comes when the body does.
        QVERIFY(b.Load(page(QStringLiteral("head.htm"), QString(), app::Snippet(QStringLiteral("Cookie14")))));
        QCOMPARE(b.Js(colour).toString(), QStringLiteral("rgb(204, 255, 204) #CCFFCC"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void dots()
    {
        Browser b;
        QVERIFY2(b.Load(served(QStringLiteral("Dots"))), qPrintable(b.page.errors.join('\n')));
        // Two players: a line passes the turn, the fourth side of a box wins it and keeps the turn.
        b.Js(QStringLiteral("var m = document.getElementById('mode'); m.value = 'two'; m.dispatchEvent(new Event('change'));"
                            "['h0_0', 'v0_0', 'h1_0', 'v0_1'].forEach(function (id) { document.getElementById(id).click(); })"));
        QCOMPARE(b.Js(QStringLiteral("[turn, score[1], score[2], document.getElementById('b0_0').className,"
                                     "document.getElementById('status').innerText].join()"))
                     .toString(),
                 QStringLiteral("2,0,1,box player2,Blue's turn: click between two dots."));
        // Against the computer, which answers each line, until the game is over.
        b.Js(QStringLiteral("var m = document.getElementById('mode'); m.value = 'computer'; m.dispatchEvent(new Event('change'))"));
        for (int moves = 0; moves < 60 && !b.Js(QStringLiteral("gameOver()")).toBool(); ++moves) {
            QVERIFY(b.WaitFor(QStringLiteral("turn == 1 || gameOver()")));
            b.Js(QStringLiteral("if (!gameOver()) { var l = freeLines()[0]; document.getElementById(l[0] + l[1] + '_' + l[2]).click(); }"));
        }
        QVERIFY(b.Js(QStringLiteral("gameOver()")).toBool());
        QVERIFY(b.Js(QStringLiteral("document.querySelectorAll('td.box.player1, td.box.player2').length == 25")).toBool());
        QVERIFY(b.Js(QStringLiteral("/ won, \\d+ to \\d+!$/.test(document.getElementById('status').innerText)")).toBool());
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void maze()
    {
        Browser b;
        QVERIFY2(b.Load(served(QStringLiteral("Maze"))), qPrintable(b.page.errors.join('\n')));
        // Every cell can be reached; the arrow keys walk the way out, and a wall stops them.
        const QString walk = QStringLiteral(R"((function () {
            var from = {}, queue = [[0, 0]], seen = 1;
            from['0,0'] = null;
            while (queue.length) {
              var c = queue.shift();
              [[1, 'ArrowUp'], [2, 'ArrowRight'], [4, 'ArrowDown'], [8, 'ArrowLeft']].forEach(function (d) {
                var x = c[0] + DX[d[0]], y = c[1] + DY[d[0]];
                if ((open[c[1]][c[0]] & d[0]) && !((x + ',' + y) in from)) {
                  from[x + ',' + y] = [c, d[1]];
                  queue.push([x, y]);
                  seen++;
                }
              });
            }
            var keys = [], at = (COLS - 1) + ',' + (ROWS - 1);
            while (from[at]) { keys.unshift(from[at][1]); at = from[at][0].join(); }
            var wall = ['ArrowUp', 'ArrowLeft'];
            wall.concat(keys).forEach(function (k) { document.dispatchEvent(new KeyboardEvent('keydown', { key: k })); });
            return [seen == COLS * ROWS, keys.length, document.getElementById('message').innerText].join();
        })())");
        const QStringList result = b.Js(walk).toString().split(',');
        QCOMPARE(result.size(), 3);
        QCOMPARE(result[0], QStringLiteral("true"));
        QCOMPARE(result[2], QStringLiteral("You found the way out in %1 moves!").arg(result[1]));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void lightsOut()
    {
        Browser b;
        QVERIFY2(b.Load(served(QStringLiteral("Lightsout"))), qPrintable(b.page.errors.join('\n')));
        QVERIFY(b.Js(QStringLiteral("document.querySelectorAll('td.light.on').length")).toInt() > 0);
        // A click switches the light and its four neighbours.
        const QString pattern = QStringLiteral("Array.from(document.querySelectorAll('td.light')).map(function (td) {"
                                               "return td.className == 'light on' ? 1 : 0; }).join('')");
        const QString before = b.Js(pattern).toString();
        b.Js(QStringLiteral("document.getElementById('light2_2').click()"));
        const QString after = b.Js(pattern).toString();
        QCOMPARE(after.size(), 25);
        for (int i = 0; i < 25; ++i)
            QCOMPARE(before[i] != after[i], i == 12 || i == 7 || i == 17 || i == 11 || i == 13);
        // The last light out wins.
        b.Js(QStringLiteral("newGame(); lights = lights.map(function (row) { return row.map(function () { return false; }); });"
                            "lights[0][0] = lights[0][1] = lights[1][0] = true; draw(); document.getElementById('light0_0').click()"));
        QCOMPARE(b.Js(QStringLiteral("document.getElementById('message').innerText")).toString(),
                 QStringLiteral("Well done! All the lights are out after 1 move."));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void onlineTools()
    {
        Browser b;
        QVERIFY2(b.Load(served(QStringLiteral("OnlineEditor"))), qPrintable(b.page.errors.join('\n')));
        b.Js(QStringLiteral("var e = document.getElementById('editor'); e.innerHTML = 'hello world';"
                            "var r = document.createRange(); r.setStart(e.firstChild, 0); r.setEnd(e.firstChild, 5);"
                            "getSelection().removeAllRanges(); getSelection().addRange(r);"
                            "document.querySelector('input[value=B]').click(); document.querySelector('input[value=U]').click();"
                            "document.querySelector('input[value=\"Show HTML\"]').click()"));
        QCOMPARE(b.Js(QStringLiteral("document.getElementById('source').value")).toString(), QStringLiteral("<b><u>hello</u></b> world"));

        QVERIFY2(b.Load(served(QStringLiteral("OnlineTable"))), qPrintable(b.page.errors.join('\n')));
        const QString make = QStringLiteral("rows.value = '%1'; cols.value = '3'; border.value = '2'; width.value = '50%';"
                                            "document.querySelector('input[type=submit]').click();"
                                            "document.getElementById('html').value");
        QCOMPARE(b.Js(make.arg(2)).toString(),
                 QStringLiteral("<TABLE BORDER=\"2\" WIDTH=\"50%\">\n"
                                "  <TR>\n    <TD>&nbsp;</TD>\n    <TD>&nbsp;</TD>\n    <TD>&nbsp;</TD>\n  </TR>\n"
                                "  <TR>\n    <TD>&nbsp;</TD>\n    <TD>&nbsp;</TD>\n    <TD>&nbsp;</TD>\n  </TR>\n"
                                "</TABLE>\n"));
        QCOMPARE(b.Js(QStringLiteral("preview.querySelectorAll('tr').length + ' ' + preview.querySelectorAll('td').length")).toString(),
                 QStringLiteral("2 6"));
        // A wrong number is refused and the table stays as it was.
        QCOMPARE(b.Js(make.arg(QStringLiteral("two"))).toString().count(QStringLiteral("<TR>")), 2);
        QCOMPARE(b.page.alerts, QStringList({"Rows must be a whole number from 1 to 100."}));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void scriptErrorsAreSeen()
    {
        // The checks above would pass on any page if errors went unnoticed.
        Browser b;
        QVERIFY(!b.Load(page(QStringLiteral("broken.htm"), QStringLiteral("<script>noSuchFunction();</script>"))));
        QCOMPARE(b.page.errors.size(), 1);
        QVERIFY(b.page.errors.at(0).contains(QStringLiteral("noSuchFunction")));
    }

private:
    // A page holding `body` (and `head`) on the local server.
    QUrl page(const QString &file, const QString &body, const QString &head = QString())
    {
        k5test::WriteFile(site_ + QLatin1Char('/') + file,
                          (QStringLiteral("<html><head><title>Test</title>\r\n") + head +
                           QStringLiteral("</head><body>\r\n") + body + QStringLiteral("</body></html>\r\n"))
                              .toUtf8());
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(server_.Port()).arg(file));
    }
    // A snippet that is a whole page.
    QUrl served(const QString &name)
    {
        k5test::WriteFile(site_ + QLatin1Char('/') + name + QStringLiteral(".htm"), app::Snippet(name).toUtf8());
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2.htm").arg(server_.Port()).arg(name));
    }

    QString site_;
    k5test::PythonServer server_;
};

K5_TEST_MAIN(TestSnippets)
#include "test_snippets.moc"
