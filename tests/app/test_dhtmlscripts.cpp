// What the DHTML effect dialogs insert, put into a page and run in the browser engine: every effect loads
// without a script error, and does what it is for.
#include "k5test.h"

#include "app/dialogs/engine.h"
#include "tests/platform/browser/browsertest.h"

#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using browsertest::WaitUntil;

namespace {

const bool prepared = browsertest::Prepare();

using Browser = browsertest::ScriptBrowser;

using Typed = QList<QPair<QString, QString>>;

// The text a dialog hands over when it is filled in: each list of `items` is an item added with the
// dialog's add button, then `rest` is filled in and, when named, a radio button chosen before OK.
QString effect(const char *className, const QList<Typed> &items, const Typed &rest = {}, const char *radio = nullptr)
{
    std::unique_ptr<dialogs::TTagDialog> d(dialogs::CreateDialog(QString::fromLatin1(className), nullptr));
    if (!d)
        return QString();
    QString handed;
    d->OnRelay = [&](const QString &t) { handed = t; };
    d->show();
    const dialogs::TDialogDesc *desc = dialogs::FindDescription(QString::fromLatin1(className));
    auto fill = [&](const Typed &values) {
        for (const auto &[name, value] : values)
            dialogs::SetFieldText(d->findChild<QWidget *>(name), value);
    };
    for (const Typed &item : items) {
        fill(item);
        d->findChild<QPushButton *>(desc->addName)->click();
    }
    fill(rest);
    if (radio)
        d->findChild<QRadioButton *>(QString::fromLatin1(radio))->click();
    d->findChild<QPushButton *>(desc->okName)->click();
    return handed;
}

} // namespace

class TestDhtmlScripts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(prepared);
        site_ = k5test::Root() + QStringLiteral("/site");
        QVERIFY(QDir().mkpath(site_));
        k5test::WriteFile(site_ + QStringLiteral("/favicon.ico"), QByteArray());
        k5test::WriteFile(site_ + QStringLiteral("/news.htm"), "<html><body>News</body></html>");
        k5test::WriteFile(site_ + QStringLiteral("/pic.gif"),
                          QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACwAAAAAAQABAAACAkQBADs="));
        QVERIFY(browsertest::ServeFolder(server_, site_));
    }

    void bookmarkAndColourButton()
    {
        Browser b;
        QVERIFY2(b.Load(page(QStringLiteral("bookmark.htm"),
                             effect("TDHTML_Bookmark", {}, {{"Bookmark URL", "www.kestrova.example/"}, {"Bookmark Title", "Kestrova"},
                                                            {"The text the user will click on to activate this script", "Keep us"}}))),
                 qPrintable(b.page.errors.join('\n')));
        // A browser that cannot add a favourite from a page says how to do it by hand.
        b.Js(QStringLiteral("document.querySelector('a[href^=javascript]').click()"));
        QVERIFY(WaitUntil([&] { return b.page.alerts.size() == 1; }));
        QVERIFY2(b.page.alerts.at(0).endsWith(QStringLiteral("+D to bookmark \"Kestrova\".")), qPrintable(b.page.alerts.at(0)));

        QVERIFY2(b.Load(page(QStringLiteral("button.htm"),
                             effect("TDHTML_Button", {}, {{"Button Start Color", "#c0c0c0"}, {"OnMouseover Color", "#ffff00"},
                                                          {"OnMouseout Color", "#00ff00"}, {"Protocol", "Http://"},
                                                          {"Button URL", "www.kestrova.example/"}, {"Button Caption", "Go"}}))),
                 qPrintable(b.page.errors.join('\n')));
        const QString colour = QStringLiteral("getComputedStyle(document.querySelector('input[value=Go]')).backgroundColor");
        QCOMPARE(b.Js(colour).toString(), QStringLiteral("rgb(192, 192, 192)"));
        b.Js(QStringLiteral("document.querySelector('input[value=Go]').dispatchEvent(new MouseEvent('mouseover', {bubbles: true}))"));
        QCOMPARE(b.Js(colour).toString(), QStringLiteral("rgb(255, 255, 0)"));
        b.Js(QStringLiteral("document.querySelector('input[value=Go]').dispatchEvent(new MouseEvent('mouseout', {bubbles: true}))"));
        QCOMPARE(b.Js(colour).toString(), QStringLiteral("rgb(0, 255, 0)"));
        b.Js(QStringLiteral("document.querySelector('input[value=Go]').click()"));
        QVERIFY(WaitUntil([&] { return b.page.elsewhere.size() == 1; }));
        QCOMPARE(b.page.elsewhere.at(0), QStringLiteral("http://www.kestrova.example/"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void marqueeMenusAndTip()
    {
        Browser b;
        QVERIFY2(b.Load(page(QStringLiteral("marquee.htm"), effect("TDHTML_Marquee", {}, {{"Marquee's contents", "Sale today"}}))),
                 qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(QStringLiteral("var m = document.querySelector('marquee'); m.innerText + ' ' + m.style.width + ' ' + m.scrollAmount"))
                     .toString(),
                 QStringLiteral("Sale today 300px 6"));

        QVERIFY2(b.Load(page(QStringLiteral("menu.htm"),
                             effect("TDHTML_Menu", {{{"URL", "a.htm"}, {"Description", "First"}}, {{"URL", "b.htm"}, {"Description", "Second"}}},
                                    {{"Image", "pic.gif"}}))),
                 qPrintable(b.page.errors.join('\n')));
        const QString menuShown = QStringLiteral("getComputedStyle(document.getElementById('Menu01')).visibility");
        QCOMPARE(b.Js(menuShown).toString(), QStringLiteral("hidden"));
        QCOMPARE(b.Js(QStringLiteral("Array.from(document.querySelectorAll('#Menu01 a')).map(a => a.getAttribute('href') + ' ' + a.textContent).join()"))
                     .toString(),
                 QStringLiteral("a.htm First,b.htm Second"));
        b.Js(QStringLiteral("document.querySelector('img[src=\"pic.gif\"]').dispatchEvent(new MouseEvent('mouseover', {bubbles: true}))"));
        QCOMPARE(b.Js(menuShown).toString(), QStringLiteral("visible"));

        QVERIFY2(b.Load(page(QStringLiteral("dropdown.htm"),
                             effect("TDHTML_DropdownMenu", {{{"URL", "one.htm"}, {"Description", "One"}}, {{"URL", "two.htm"}, {"Description", "Two"}}},
                                    {{"Text", "Pages"}}))),
                 qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(QStringLiteral("document.querySelectorAll('#dropmenudiv a').length")).toInt(), 2);
        // The text the pointer goes over is the one typed.
        b.Js(QStringLiteral("Array.from(document.querySelectorAll('a[onmouseover]')).filter(a => a.innerText == 'Pages')[0]"
                            ".dispatchEvent(new MouseEvent('mouseover', {bubbles: true}))"));
        // Fading in (a page that is not on screen runs no transition, so the end state is read).
        QCOMPARE(b.Js(QStringLiteral("var m = document.getElementById('dropmenudiv'); m.style.visibility + ' ' + m.style.opacity")).toString(),
                 QStringLiteral("visible 1"));

        QVERIFY2(b.Load(page(QStringLiteral("tip.htm"),
                             effect("TDHTML_Tooltip", {}, {{"URL", "help.htm"}, {"Description", "Help"}, {"Tool Tip", "Read <b>this</b>"}}))),
                 qPrintable(b.page.errors.join('\n')));
        b.Js(QStringLiteral("document.querySelector('a[href=\"help.htm\"]').dispatchEvent(new MouseEvent('mouseover', {bubbles: true, clientX: 5, clientY: 5}))"));
        QCOMPARE(b.Js(QStringLiteral("var t = document.getElementById('tooltip2'); getComputedStyle(t).visibility + ' ' + t.innerText")).toString(),
                 QStringLiteral("visible Read this"));
        b.Js(QStringLiteral("document.querySelector('a[href=\"help.htm\"]').dispatchEvent(new MouseEvent('mouseout', {bubbles: true}))"));
        QCOMPARE(b.Js(QStringLiteral("getComputedStyle(document.getElementById('tooltip2')).visibility")).toString(), QStringLiteral("hidden"));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void menuBars()
    {
        const QList<Typed> items = {{{"Item Caption", "Home"}, {"Item URL", "index.htm"}},
                                    {{"Item Caption", "News"}, {"Item URL", "news.htm"}}};
        const QString links = QStringLiteral("Array.from(document.querySelectorAll('#%1 a')).map(a => a.getAttribute('href') + ' ' + a.textContent).join()");
        Browser b;
        QVERIFY2(b.Load(page(QStringLiteral("slide.htm"), effect("TSlidebar", items))), qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(links.arg(QStringLiteral("slidemenubar"))).toString(), QStringLiteral("index.htm Home,news.htm News"));
        b.Js(QStringLiteral("document.getElementById('slidemenubar').dispatchEvent(new MouseEvent('mouseenter'))"));
        QCOMPARE(b.Js(QStringLiteral("document.getElementById('slidemenubar').style.left")).toString(), QStringLiteral("0px"));

        QVERIFY2(b.Load(page(QStringLiteral("drag.htm"), effect("TDragbar", items))), qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(links.arg(QStringLiteral("dragmenubar"))).toString(), QStringLiteral("index.htm Home,news.htm News"));
        // A click on the grip brings the bar all the way in; a drag to the left takes it back out.
        b.Js(QStringLiteral("var g = document.querySelector('#dragmenubar .grip');"
                            "g.dispatchEvent(new MouseEvent('mousedown', {bubbles: true, clientX: 5}));"
                            "document.dispatchEvent(new MouseEvent('mouseup', {bubbles: true, clientX: 5}))"));
        QCOMPARE(b.Js(QStringLiteral("document.getElementById('dragmenubar').style.left")).toString(), QStringLiteral("0px"));
        b.Js(QStringLiteral("var g = document.querySelector('#dragmenubar .grip');"
                            "g.dispatchEvent(new MouseEvent('mousedown', {bubbles: true, clientX: 150}));"
                            "document.dispatchEvent(new MouseEvent('mousemove', {bubbles: true, clientX: 100}));"
                            "document.dispatchEvent(new MouseEvent('mouseup', {bubbles: true, clientX: 100}))"));
        QCOMPARE(b.Js(QStringLiteral("document.getElementById('dragmenubar').style.left")).toString(), QStringLiteral("-50px"));

        QVERIFY2(b.Load(page(QStringLiteral("keys.htm"), effect("TKeyboardBar", items))), qPrintable(b.page.errors.join('\n')));
        const QString shown = QStringLiteral("getComputedStyle(document.getElementById('keymenubar')).visibility");
        QCOMPARE(b.Js(shown).toString(), QStringLiteral("hidden"));
        b.Js(QStringLiteral("document.dispatchEvent(new KeyboardEvent('keydown', {key: 'x'}))"));
        QCOMPARE(b.Js(shown).toString(), QStringLiteral("visible"));
        b.Js(QStringLiteral("document.dispatchEvent(new KeyboardEvent('keydown', {key: 'Z'}))"));
        QCOMPARE(b.Js(shown).toString(), QStringLiteral("hidden"));

        QVERIFY2(b.Load(page(QStringLiteral("tape.htm"), effect("TFadeTape", items))), qPrintable(b.page.errors.join('\n')));
        QVERIFY(b.WaitFor(QStringLiteral("document.querySelector('#fadetape a') && document.querySelector('#fadetape a').innerText == 'Home'")));

        QVERIFY2(b.Load(page(QStringLiteral("popup.htm"),
                             effect("TPopupMenuCreator", {{{"URL", "index.htm"}, {"Description", "Home"}}, {{"URL", "news.htm"}, {"Description", "News"}}}))),
                 qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(QStringLiteral("Array.from(document.querySelectorAll('#popmenu .menuItem')).map(d => d.id + ' ' + d.textContent.trim()).join()")).toString(),
                 QStringLiteral("mainmenuitem1 Home,mainmenuitem2 News"));
        b.Js(QStringLiteral("document.body.dispatchEvent(new MouseEvent('contextmenu', {bubbles: true, cancelable: true, clientX: 30, clientY: 40}))"));
        QCOMPARE(b.Js(QStringLiteral("getComputedStyle(document.getElementById('popmenu')).visibility")).toString(), QStringLiteral("visible"));
        b.Js(QStringLiteral("document.getElementById('mainmenuitem2').click()"));
        QVERIFY(WaitUntil([&] { return b.page.url().path() == QLatin1String("/news.htm") && b.page.loaded; }));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void smallEffects()
    {
        Browser b;
        QVERIFY2(b.Load(page(QStringLiteral("noclick.htm"), effect("TNoClick", {}))), qPrintable(b.page.errors.join('\n')));
        QVERIFY2(b.Load(page(QStringLiteral("print.htm"), effect("TPrintButton", {}))), qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(QStringLiteral("document.querySelectorAll('input[value=\"Print This Page\"]').length + ' ' + typeof printit")).toString(),
                 QStringLiteral("1 function"));
        QVERIFY2(b.Load(page(QStringLiteral("image.htm"), effect("TPopUpImage", {}, {{"Image URL", "pic.gif"}}))),
                 qPrintable(b.page.errors.join('\n')));
        b.Js(QStringLiteral("document.querySelector('img.popshadow').dispatchEvent(new MouseEvent('mouseover', {bubbles: true}))"));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('img.popshadow').className")).toString(), QStringLiteral("popshadow popped"));
        QVERIFY2(b.Load(page(QStringLiteral("typing.htm"), effect("TTextType", {}, {{"Text", "Hello there"}}))),
                 qPrintable(b.page.errors.join('\n')));
        QVERIFY(b.WaitFor(QStringLiteral("document.getElementById('typing').textContent == 'Hello there'")));
        for (const char *opener : {"TFullScreen", "TFullWindowChannel"}) {
            QVERIFY2(b.Load(page(QStringLiteral("open.htm"), effect(opener, {}, {{"URL", "http://127.0.0.1/x.htm"}, {"Description", "Open"}}))),
                     qPrintable(b.page.errors.join('\n')));
            QCOMPARE(b.Js(QStringLiteral("document.querySelector('a').innerText")).toString(), QStringLiteral("Open"));
        }
        QVERIFY2(b.Load(page(QStringLiteral("blink.htm"), effect("TDHTML_BlinkTable", {}, {{"Blink Table Text", "Look here"}}))),
                 qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('#myexample td').innerText.trim()")).toString(), QStringLiteral("Look here"));
        QVERIFY(b.WaitFor(QStringLiteral("document.getElementById('myexample').style.borderColor == 'red'")));
        QVERIFY(b.WaitFor(QStringLiteral("document.getElementById('myexample').style.borderColor == 'green'")));
        QVERIFY2(b.Load(page(QStringLiteral("credit.htm"), effect("Tdhtml_credit", {}, {{"Text to scroll", "Made by\r\nAnn"}}) +
                                                               QStringLiteral("<p id=\"after\">after</p>"))),
                 qPrintable(b.page.errors.join('\n')));
        QCOMPARE(b.Js(QStringLiteral("document.getElementById('credittext').innerText.trim()")).toString(), QStringLiteral("Made by\nAnn"));
        // What follows the credit stays outside its box.
        QCOMPARE(b.Js(QStringLiteral("document.getElementById('after').parentNode.tagName")).toString(), QStringLiteral("BODY"));
        QVERIFY(b.WaitFor(QStringLiteral("parseInt(document.getElementById('credittext').style.top) < 140")));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void calculatorAndClocks()
    {
        Browser b;
        QVERIFY2(b.Load(page(QStringLiteral("calc.htm"), effect("TDHTM_Calculator", {}))), qPrintable(b.page.errors.join('\n')));
        const QString press = QStringLiteral("'%1'.split('').forEach(function (k) {"
                                             "  Array.from(document.querySelectorAll('form[name=calculator] input[type=button]'))"
                                             "    .filter(function (i) { return i.value.trim() == k; })[0].click(); });"
                                             "document.forms.calculator.display.value");
        QCOMPARE(b.Js(press.arg(QStringLiteral("12+3="))).toString(), QStringLiteral("15"));
        QCOMPARE(b.Js(press.arg(QStringLiteral("C7/2="))).toString(), QStringLiteral("3.5"));
        QCOMPARE(b.Js(press.arg(QStringLiteral("C2+3*4="))).toString(), QStringLiteral("20"));
        QCOMPARE(b.Js(press.arg(QStringLiteral("C0.1+0.2="))).toString(), QStringLiteral("0.3"));
        QCOMPARE(b.Js(press.arg(QStringLiteral("C1/0="))).toString(), QStringLiteral("Error"));

        QVERIFY2(b.Load(page(QStringLiteral("clock1.htm"), effect("Tdhtml_clock", {}))), qPrintable(b.page.errors.join('\n')));
        QVERIFY(b.WaitFor(QStringLiteral("/^\\d{1,2}:\\d\\d:\\d\\d [AP]M$/.test(document.getElementById('liveclock').innerText)")));
        QVERIFY2(b.Load(page(QStringLiteral("clock2.htm"), effect("Tdhtml_clock1", {}))), qPrintable(b.page.errors.join('\n')));
        QVERIFY(b.WaitFor(QStringLiteral("/\\d/.test(document.forms.clockform.clock.value)")));
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());
    }

    void animation()
    {
        Browser b;
        const Typed typed = {{"Text to animate", "Fly in words"}, {"Choose Animation", "flyTopRightWord"}};
        QVERIFY2(b.Load(page(QStringLiteral("anim.htm"), effect("TAnimation", {}, typed, "Max") +
                                                             effect("TAnimation", {}, {{"Text to animate", "Zoom"}, {"Choose Animation", "zoomIn"}}, "Min"))),
                 qPrintable(b.page.errors.join('\n')));
        QVERIFY(b.WaitFor(QStringLiteral("Array.from(document.querySelectorAll('p[dynamicanimation]')).every(p => p.style.left == '0px')")));
        QCOMPARE(b.Js(QStringLiteral("Array.from(document.querySelectorAll('p[dynamicanimation]')).map(p => p.style.left + ' ' + p.innerText).join()")).toString(),
                 QStringLiteral("0px Fly in words,0px Zoom"));
        QCOMPARE(b.Js(QStringLiteral("document.querySelectorAll('p[dynamicanimation] span').length")).toInt(), 3);
        QCOMPARE(b.page.errors.join(QLatin1Char('\n')), QString());

        // Outside quirks mode too, the place the text flies in from is a length the browser takes.
        const QString still = effect("TAnimation", {}, {{"Text to animate", "Still"}, {"Choose Animation", "flyLeft"}}, "Min");
        QVERIFY(b.Load(page(QStringLiteral("standards.htm"), still, QStringLiteral("<!DOCTYPE html>\r\n"))));
        QCOMPARE(b.Js(QStringLiteral("document.compatMode")).toString(), QStringLiteral("CSS1Compat"));
        QCOMPARE(b.Js(QStringLiteral("document.querySelector('p[dynamicanimation]').style.left")).toString(), QStringLiteral("10000px"));
    }

private:
    QUrl page(const QString &file, const QString &body, const QString &doctype = QString())
    {
        k5test::WriteFile(site_ + QLatin1Char('/') + file,
                          (doctype + QStringLiteral("<html><head><title>Test</title></head><body>\r\n") + body +
                           QStringLiteral("</body></html>\r\n"))
                              .toUtf8());
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(server_.Port()).arg(file));
    }

    QString site_;
    k5test::PythonServer server_;
};

K5_TEST_MAIN(TestDhtmlScripts)
#include "test_dhtmlscripts.moc"
