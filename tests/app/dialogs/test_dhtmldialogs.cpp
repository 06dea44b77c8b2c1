// The DHTML effect dialogs filled in as a user does, field by field through their objectNames, and the
// exact text each hands to its relay; the about box and the document information window; the channel
// dialog and the file it writes.
#include "k5test.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/unit_about.h"
#include "app/dialogs/unit_channel.h"
#include "app/dialogs/unit_dhtml.h"
#include "app/dialogs/unit_filter.h"
#include "controls/zel/lookupedit.h"
#include "controls/zel/spinedit.h"
#include "platform/shell/folderdialog.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace dialogs;

namespace {

// A template as it is stored, read from the source tree: what the dialogs put in around it is written
// out by hand below.
QString tpl(const char *name)
{
    return QString::fromUtf8(
        k5test::ReadFile(QStringLiteral(K5_SOURCE_DIR "/data/snippets/") + QLatin1String(name) + QStringLiteral(".txt")));
}

// A dialog opened as the launcher opens it, whose relay and hand-over are recorded.
struct Opened {
    std::unique_ptr<TTagDialog> d;
    QStringList relayed;
    int clicks = 0;

    explicit Opened(const char *className) : d(CreateDialog(QString::fromLatin1(className), nullptr))
    {
        d->OnRelay = [this](const QString &t) { relayed << t; };
        d->OnOk = [this] { ++clicks; };
        d->show();
    }
    QWidget *field(const char *name) const { return d->findChild<QWidget *>(QString::fromUtf8(name)); }
    QString text(const char *name) const { return FieldText(field(name)); }
    void fill(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        for (const auto &[name, value] : values) {
            QWidget *f = field(name);
            QVERIFY2(f, name);
            k5test::Type(f, QString::fromUtf8(value));
        }
    }
    void click(const char *button)
    {
        auto *b = d->findChild<QPushButton *>(QString::fromUtf8(button));
        QVERIFY2(b, button);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // OK, and the one text handed to the relay.
    QString ok()
    {
        click(FindDescription(d->objectName().prepend(QLatin1Char('T')))->okName.toUtf8().constData());
        return relayed.size() == 1 ? relayed.first() : QStringLiteral("<%1 texts>").arg(relayed.size());
    }
};

} // namespace

class TestDhtmlDialogs : public QObject {
    Q_OBJECT

private slots:
    void theSixPreviewDialogsHandTheirTextToTheDhtmlRelay()
    {
        QStringList b2;
        for (const TDialogDesc &d : Descriptions())
            if (d.relay == QLatin1String("DHTML_Memo"))
                b2 << d.className;
        b2.sort();
        QCOMPARE(b2, QStringList({"TDHTML_Bookmark", "TDHTML_Button", "TDHTML_DropdownMenu", "TDHTML_Marquee",
                                  "TDHTML_Menu", "TDHTML_Tooltip"}));
    }

    void bookmark()
    {
        Opened o("TDHTML_Bookmark");
        QCOMPARE(o.d->windowTitle(), QStringLiteral("Bookmark"));
        // The scheme combo starts on its first item.
        QCOMPARE(o.text("Protocol"), QStringLiteral("Http://"));
        o.fill({{"Bookmark URL", "www.kestrova.example/"},
                {"Bookmark Title", "Kestrova & \"Co\""},
                {"The text the user will click on to activate this script", "Bookmark us"}});
        const QString function = tpl("DhtmlBookmark");
        QVERIFY(function.startsWith(QStringLiteral("function addbookmark(){\r\n")));
        QVERIFY(function.contains(QStringLiteral("window.external.AddFavorite(bookmarkurl,bookmarktitle)")));
        QVERIFY(function.endsWith(QStringLiteral("</script>\r\n")));
        QCOMPARE(o.ok(), QStringLiteral("<script language=\"JavaScript1.2\">\r\n"
                                        "// Made with Kestrova 5 - http://www.kestrova.example/\r\n"
                                        "var bookmarkurl=\"Http://www.kestrova.example/\"\r\n"
                                        "var bookmarktitle=\"Kestrova & \\\"Co\\\"\"\r\n") +
                             function +
                             QStringLiteral("\r\n<A HREF=\"javascript:addbookmark()\">Bookmark us</A>\r\n"));
        QCOMPARE(o.clicks, 1);
        QVERIFY(!o.d->isVisible());
    }

    void colourButton()
    {
        Opened o("TDHTML_Button");
        o.fill({{"Button Start Color", "#c0c0c0"},
                {"OnMouseover Color", "yellow"},
                {"OnMouseout Color", "#00ff00"},
                {"Button URL", "ftp.kestrova.example"},
                {"Button Caption", "Go"}});
        // A scheme picked from the list, as with the mouse.
        auto *scheme = qobject_cast<QComboBox *>(o.field("Protocol"));
        scheme->setCurrentIndex(2);
        const QString styleEnd = tpl("DhtmlButton");
        QVERIFY(styleEnd.startsWith(QStringLiteral("-->\r\n</style>\r\n")));
        QVERIFY(styleEnd.contains(QStringLiteral("function change(color){")));
        QVERIFY(styleEnd.contains(QStringLiteral("function jumpto2(url){")));
        QCOMPARE(o.ok(), QStringLiteral("<style>\r\n<!--\r\n.initial2{font-weight:bold;background-color:#c0c0c0}\r\n") +
                             styleEnd +
                             QStringLiteral("<form onMouseover=\"change('yellow')\" onMouseout=\"change('#00ff00')\">\r\n\r\n"
                                            "<input type=\"button\" value=\"Go\" class=\"initial2\" "
                                            "onClick=\"jumpto2('Ftp://ftp.kestrova.example')\">\r\n</form>\r\n"));
    }

    void marquee()
    {
        Opened o("TDHTML_Marquee");
        QCOMPARE(o.text("Scroll speed"), QStringLiteral("6"));
        QCOMPARE(o.text("Width"), QStringLiteral("300"));
        QCOMPARE(o.text("Height"), QStringLiteral("20"));
        o.fill({{"Marquee's contents", "Sale today"}, {"Width", "450"}});
        const QString rest = tpl("DhtmlMarquee");
        QVERIFY(rest.contains(QStringLiteral("<marquee")) && rest.contains(QStringLiteral("layer")));
        QCOMPARE(o.ok(), QStringLiteral("<script language=\"JavaScript1.2\">\r\nvar marqueewidth=450\r\n"
                                        "var marqueeheight=20\r\nvar speed=6\r\n"
                                        "var marqueecontents='<font face=\"verdana\"><b>Sale today</b></font>'\r\n") +
                             rest);
    }

    void aNumberFieldHoldsOnlyWhatItsDialogWrites()
    {
        // The marquee's speed as typed with a sign: the sign is refused, as a letter is.
        {
            Opened o("TDHTML_Marquee");
            auto *speed = qobject_cast<QLineEdit *>(o.field("Scroll speed"));
            speed->setFocus();
            k5test::Settle();
            speed->selectAll();
            QTest::keyClicks(speed, QStringLiteral("-5"));
            QCOMPARE(o.text("Scroll speed"), QStringLiteral("5"));
            k5test::Type(o.field("Width"), QStringLiteral("1234567"));
            // Digits that would pass the largest width are refused too.
            QCOMPARE(o.text("Width"), QStringLiteral("12345"));
            const QString written = o.ok();
            QVERIFY2(written.contains(QStringLiteral("\r\nvar speed=5\r\n")), qPrintable(written));
            QVERIFY2(written.contains(QStringLiteral("\r\nvar marqueewidth=12345\r\n")), qPrintable(written));
            QCOMPARE(o.text("Scroll speed"), QStringLiteral("5"));
        }
        // Every number field of the dialogs (the grids' counts aside, which their own tests sweep).
        QStringList classes{QStringLiteral("TFrameset")};
        for (const TDialogDesc &d : Descriptions())
            if (d.className != QLatin1String("Ttable") && d.className != QLatin1String("TList") &&
                std::any_of(d.fields.begin(), d.fields.end(), [](const TFieldDesc &f) { return f.kind == TFieldKind::Spin; }))
                classes << d.className;
        QVERIFY(classes.contains(QStringLiteral("TDHTML_Marquee")));
        int swept = 0;
        for (const QString &cls : classes) {
            std::unique_ptr<TTagDialog> d(CreateDialog(cls, nullptr));
            QVERIFY2(d, qPrintable(cls));
            d->show();
            for (zel::TZELSpinEdit *spin : d->findChildren<zel::TZELSpinEdit *>()) {
                const QString where = cls + QLatin1Char('/') + spin->objectName();
                spin->setVisible(true);
                for (const QString &typed : {QStringLiteral("-5"), QStringLiteral("99999999"), QStringLiteral("7")}) {
                    spin->setFocus();
                    spin->selectAll();
                    QTest::keyClicks(spin, typed);
                    bool ok = false;
                    const int shown = spin->text().toInt(&ok);
                    QVERIFY2(ok && shown >= spin->MinValue() && shown <= spin->MaxValue(),
                             qPrintable(where + QStringLiteral(": ") + spin->text()));
                    ++swept;
                }
            }
        }
        QVERIFY(swept > 3 * 10);
    }

    void menuBuilder()
    {
        Opened o("TDHTML_Menu");
        QCOMPARE(o.text("URL"), QStringLiteral("http://"));
        o.fill({{"Image", "menu.gif"}, {"URL", "a.htm"}, {"Description", "First"}});
        {
            // A look at the picture's file dialog, cancelled, leaves the address as typed.
            k5test::User user;
            user.Escape();
            qobject_cast<zel::TZELFileLookup *>(o.field("Image"))->ClickButton1();
            QVERIFY(user.Done());
        }
        QCOMPARE(o.text("URL"), QStringLiteral("a.htm"));
        QCOMPARE(o.text("Image"), QStringLiteral("menu.gif"));
        o.click("Add Item");
        QCOMPARE(o.text("URL"), QStringLiteral("http://"));
        QCOMPARE(o.text("Description"), QString());
        QCOMPARE(o.text("Image"), QStringLiteral("menu.gif")); // not part of an item
        o.fill({{"URL", "http://b.example/"}, {"Description", "Second"}});
        o.click("Add Item");
        QCOMPARE(o.text("Editor Area"), QStringLiteral("<A HREF=\"a.htm\">First</A><br>\r\n"
                                                       "<A HREF=\"http://b.example/\">Second</A><br>\r\n"));
        QCOMPARE(o.ok(), tpl("DhtmlMenu") +
                             QStringLiteral("<p><img src=\"menu.gif\" border=\"0\"></a></p>\r\n<div id=\"Menu01\">\r\n"
                                            "<table border=\"0\" bgcolor=\"White\"><tr><td><font face=\"Verdana\" size=\"2\">\r\n"
                                            "<A HREF=\"a.htm\">First</A><br>\r\n<A HREF=\"http://b.example/\">Second</A><br>\r\n"
                                            "</tr></table></div></font>\r\n"));
    }

    void fadedDropDownMenu()
    {
        Opened o("TDHTML_DropdownMenu");
        o.fill({{"Text", "Pages"}, {"URL", "one.htm"}, {"Description", "One"}});
        o.click("Add Item");
        o.fill({{"URL", "two.htm"}, {"Description", "Two"}});
        o.click("Add Item");
        const QString script = tpl("DhtmlDropdownScript");
        QVERIFY(script.endsWith(QStringLiteral("</script>\r\n")));
        QCOMPARE(o.ok(), tpl("DhtmlDropdownStyle") +
                             QStringLiteral("<p>Pages</a></b></font> </span></span></layer> </ilayer> "
                                            "<script language=\"JavaScript1.2\">\r\nvar enableeffect=true\r\n"
                                            "var selection=new Array()\r\n"
                                            "selection[0]='<A HREF=\"one.htm\">One</A><br>'\r\n"
                                            "selection[1]='<A HREF=\"two.htm\">Two</A><br>'\r\n") +
                             script);
    }

    void toolTip()
    {
        Opened o("TDHTML_Tooltip");
        QCOMPARE(o.text("URL"), QStringLiteral("http://"));
        o.fill({{"URL", "help.htm"}, {"Description", "Help"}, {"Tool Tip", "Read this first"}});
        const QString script = tpl("DhtmlTooltip");
        QVERIFY(script.contains(QStringLiteral("function showtip2(")) && script.contains(QStringLiteral("function hidetip2(")));
        QCOMPARE(o.ok(), script + QStringLiteral("<A HREF=\"help.htm\" onMouseover=\"showtip2(this,event,'Read this first')\" "
                                                 "onMouseout=\"hidetip2()\">Help</A>\r\n"));
    }

    void slideInMenuBarCountsFromZeroEachTime()
    {
        for (int open = 0; open < 2; ++open) {
            Opened o("TSlidebar");
            QCOMPARE(o.d->windowTitle(), QStringLiteral("Slide-In Menu Bar "));
            for (const char *caption : {"Home", "News", "Mail"}) {
                o.fill({{"Item Caption", caption}});
                k5test::Type(o.field("Item URL"), QStringLiteral("http://") + QLatin1String(caption) + QStringLiteral(".example/"));
                o.click("Add");
                QCOMPARE(o.text("Item URL"), QStringLiteral("http://"));
                QCOMPARE(o.text("Item Caption"), QString());
            }
            QCOMPARE(o.ok(), tpl("SlidebarStyle") + tpl("SlidebarOpen") +
                                 QStringLiteral("sitems[0]=\"Home\"\r\nsitemlinks[0]=\"http://Home.example/\"\r\n"
                                                "sitems[1]=\"News\"\r\nsitemlinks[1]=\"http://News.example/\"\r\n"
                                                "sitems[2]=\"Mail\"\r\nsitemlinks[2]=\"http://Mail.example/\"\r\n") +
                                 tpl("SlidebarClose"));
        }
    }

    void menuBarsWithoutItemsHandOverTheirTemplates_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("slide-in") << "TSlidebar" << QStringList{"SlidebarStyle", "SlidebarOpen", "SlidebarClose"};
        QTest::newRow("drag-in") << "TDragbar" << QStringList{"DragbarStyle", "DragbarOpen", "DragbarClose"};
        QTest::newRow("keyboard") << "TKeyboardBar" << QStringList{"KeyboardBarStyle", "KeyboardBarOpen", "KeyboardBarClose"};
        QTest::newRow("ticker") << "TFadeTape" << QStringList{"FadeTapeOpen", "FadeTapeScript"};
    }
    void menuBarsWithoutItemsHandOverTheirTemplates()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, parts);
        Opened o(dialog.toLatin1().constData());
        QString expected;
        for (const QString &p : parts)
            expected += tpl(p.toLatin1().constData());
        QCOMPARE(o.ok(), expected);
    }

    void dragAndKeyboardBarsAndTheTicker()
    {
        {
            Opened o("TDragbar");
            o.fill({{"Item Caption", "A"}, {"Item URL", "a.htm"}});
            o.click("Add");
            QCOMPARE(o.ok(), tpl("DragbarStyle") + tpl("DragbarOpen") +
                                 QStringLiteral("sitems[0]=\"A\"\r\nsitemlinks[0]=\"a.htm\"\r\n") + tpl("DragbarClose"));
        }
        {
            Opened o("TKeyboardBar");
            QCOMPARE(o.d->windowTitle(), QStringLiteral("Keybord-In Menu Bar..."));
            o.fill({{"Item Caption", "B"}, {"Item URL", "b.htm"}});
            o.click("Add");
            QCOMPARE(o.ok(), tpl("KeyboardBarStyle") + tpl("KeyboardBarOpen") +
                                 QStringLiteral("sitems[0]=\"B\"\r\nsitemlinks[0]=\"b.htm\"\r\n") + tpl("KeyboardBarClose"));
        }
        {
            Opened o("TFadeTape");
            o.fill({{"Item Caption", "Big news"}, {"Item URL", "news.htm"}});
            o.click("Add");
            o.fill({{"Item Caption", "Small news"}});
            o.click("Add"); // the address left as "http://"
            QCOMPARE(o.ok(), tpl("FadeTapeOpen") +
                                 QStringLiteral("news[0]=\"<A HREF=\\\"news.htm\\\">Big news</A>\"\r\n"
                                                "news[1]=\"<A HREF=\\\"http://\\\">Small news</A>\"\r\n") +
                                 tpl("FadeTapeScript"));
        }
    }

    void popupMenuCreatorNumbersItsFirstItemOne()
    {
        Opened o("TPopupMenuCreator");
        o.fill({{"URL", "home.htm"}, {"Description", "Home"}});
        o.click("Add");
        o.fill({{"URL", "it's.htm"}, {"Description", "Back"}});
        o.click("Add");
        QCOMPARE(o.ok(),
                 tpl("PopupMenuCreator") +
                     QStringLiteral("document.writeln('<Div id=\"mainmenuitem1\" class=\"menuItem\" onmouseout=\"udspl(this.id)\" "
                                    "onmouseover=\"cdspl(this.id,false)\" onclick=\"gomenu(\\'home.htm\\')\">"
                                    "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Home</Div>')\r\n"
                                    "document.writeln('<Div id=\"mainmenuitem2\" class=\"menuItem\" onmouseout=\"udspl(this.id)\" "
                                    "onmouseover=\"cdspl(this.id,false)\" onclick=\"gomenu(\\'it\\\\\\'s.htm\\')\">"
                                    "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Back</Div>')\r\n"
                                    "document.writeln('</Div>')\r\ndocument.writeln('</Div>')\r\ndocument.close();\r\n}\r\n"
                                    "// Done Hiding-->\r\n</Script>\r\n"));
    }

    void itemsTypedIntoTheListStayLines()
    {
        Opened o("TSlidebar");
        k5test::Type(o.field("Editor Area"), QStringLiteral("sitems[9]=\"Own\""));
        o.fill({{"Item Caption", "Next"}, {"Item URL", "n.htm"}});
        o.click("Add");
        QCOMPARE(o.text("Editor Area"), QStringLiteral("sitems[9]=\"Own\"\r\nsitems[0]=\"Next\"\r\nsitemlinks[0]=\"n.htm\"\r\n"));
        k5test::Type(o.field("Editor Area"), QStringLiteral("var last=1"));
        QCOMPARE(o.ok(), tpl("SlidebarStyle") + tpl("SlidebarOpen") + QStringLiteral("var last=1\r\n") + tpl("SlidebarClose"));
    }

    void noClickAndTheWindowOpeners()
    {
        {
            Opened o("TNoClick");
            QCOMPARE(o.text("Message"), QStringLiteral("The right mouse button has been disabled"));
            QCOMPARE(o.ok(), QStringLiteral("<script language=\"JavaScript1.2\">\r\nif (document.all)\r\n"
                                            "document.body.onmousedown=new Function(\"if (event.button==2)"
                                            "alert('The right mouse button has been disabled')\")\r\n</script>"));
        }
        {
            Opened o("TFullScreen");
            QCOMPARE(o.text("URL"), QStringLiteral("http://"));
            o.fill({{"URL", "http://kestrova.example/show.htm"}, {"Description", "Show"}});
            QCOMPARE(o.ok(), QStringLiteral("<script>\r\n<!--\r\nfunction fullwin(){\r\n"
                                            "window.open(\"http://kestrova.example/show.htm\",\"\",\"fullscreen,scrollbars\")\r\n"
                                            "}\r\n//-->\r\n</script>\r\n<a HREF=\"javascript:fullwin()\">Show</a>\r\n"));
        }
        {
            Opened o("TFullWindowChannel");
            o.fill({{"URL", "tv.htm"}, {"Description", "Watch"}});
            QCOMPARE(o.ok(), QStringLiteral("<script>\r\n<!--\r\nfunction channel(){\r\n"
                                            "window.open(\"tv.htm\",\"\",\"channelmode,scrollbars\")\r\n"
                                            "}\r\n//-->\r\n</script>\r\n<a HREF=\"javascript:channel()\">Watch</a>\r\n"));
        }
    }

    void singleValueEffects()
    {
        {
            Opened o("TPrintButton");
            QCOMPARE(o.text("Caption for the Print Button"), QStringLiteral("Print This Page"));
            const QString head = tpl("PrintButton");
            QVERIFY(head.contains(QStringLiteral("function printit(){")));
            QCOMPARE(o.ok(), head + QStringLiteral("    document.write('<form><input type=button value=\"Print This Page\" "
                                                   "name=\"Print\" onClick=\"printit()\"></form>'); \r\n}</Script>\r\n"));
        }
        {
            Opened o("TPopUpImage");
            o.fill({{"Image URL", "cat.jpg"}});
            QCOMPARE(o.ok(), tpl("PopUpImage") + QStringLiteral("<IMG SRC=\"cat.jpg\" class=\"popshadow\">\r\n"));
        }
        {
            Opened o("TTextType");
            o.fill({{"Text", "Hello {Text}"}});
            QCOMPARE(o.ok(), tpl("TextType") + QStringLiteral("<span id=\"typing\" style=\"visiblity:hidden;height:2px\" "
                                                              "style=\"&amp;{head};\">Hello {Text}</span>\r\n"));
        }
        {
            Opened o("TDHTML_BlinkTable");
            o.fill({{"Blink Table Text", "Line one\nLine two"}});
            const QString open = tpl("BlinkTableOpen");
            QVERIFY(open.startsWith(QStringLiteral(
                "<table border=\"0\" width=\"100%\" id=\"myexample\" style=\"border:5px solid green\">\r\n")));
            QVERIFY(tpl("BlinkTableClose").contains(QStringLiteral("function flashit(){")));
            QCOMPARE(o.ok(), open + QStringLiteral("Line one\r\nLine two\r\n") + tpl("BlinkTableClose"));
        }
        {
            Opened o("Tdhtml_credit");
            o.fill({{"Text to scroll", "Made by\nAnn"}});
            QCOMPARE(o.ok(), tpl("CreditOpen") + QStringLiteral("Made by\r\nAnn\r\n") + tpl("CreditClose"));
        }
        for (const auto &[cls, name] : {std::pair{"TDHTM_Calculator", "Calculator"}, std::pair{"Tdhtml_clock", "Clock1"},
                                        std::pair{"Tdhtml_clock1", "Clock2"}}) {
            Opened o(cls);
            QCOMPARE(o.ok(), tpl(name));
        }
        QVERIFY(tpl("Clock1").contains(QStringLiteral("window.addEventListener(\"load\", show5)")));
        QVERIFY(tpl("Clock2").contains(QStringLiteral("window.addEventListener(\"load\", loadclock)")));
    }

    void cancelHandsNothingOver()
    {
        Opened o("TDHTML_Tooltip");
        o.fill({{"Description", "x"}});
        o.click("Button2");
        QVERIFY(o.relayed.isEmpty());
        QCOMPARE(o.clicks, 0);
        QVERIFY(!o.d->isVisible());
    }

    void animationNeedsMinOrMax()
    {
        Opened o("TAnimation");
        auto *anim = qobject_cast<TAnimation *>(o.d.get());
        QVERIFY(FindDescription(QStringLiteral("TAnimation"))->modeless);
        QCOMPARE(qobject_cast<QComboBox *>(o.field("Choose Animation"))->count(), 13);
        o.fill({{"Text to animate", "Welcome"}, {"Choose Animation", "spiral"}});
        {
            k5test::User user;
            user.Click(QStringLiteral("OK"));
            o.click("Button1");
            QVERIFY(user.Done());
            QCOMPARE(user.Texts, QStringList({"Choose \"Min\" or \"Max\" first."}));
        }
        QVERIFY(o.relayed.isEmpty());
        QVERIFY(o.d->isVisible());
        const QString paragraph = QStringLiteral("<p dynamicanimation=\"spiral\" style=\"position: relative !important; "
                                                 "left: 10000px !important\">Welcome</p>\r\n");
        QTest::mouseClick(anim->Max, Qt::LeftButton);
        const QString script = tpl("Animation");
        QVERIFY(script.contains(QStringLiteral("function KestrovaAnimation(){")));
        QCOMPARE(o.ok(), paragraph + script);

        Opened again("TAnimation");
        again.fill({{"Text to animate", "Welcome"}, {"Choose Animation", "spiral"}});
        QTest::mouseClick(qobject_cast<TAnimation *>(again.d.get())->Min, Qt::LeftButton);
        QCOMPARE(again.ok(), paragraph);
    }

    // An effect goes into a page that has its BODY start tag: one that brings its own starts the page anew in
    // no browser, and its onload never runs. Only a whole page may hold one.
    void effectsHookOntoThePageRatherThanBringAnotherBody()
    {
        for (const QString &name : DataNames()) {
            const QString text = DataText(name);
            if (!text.contains(QStringLiteral("<html"), Qt::CaseInsensitive))
                QVERIFY2(!text.contains(QStringLiteral("<body"), Qt::CaseInsensitive), qPrintable(name));
        }
        Opened o("TAnimation");
        o.fill({{"Text to animate", "Welcome"}});
        QTest::mouseClick(qobject_cast<TAnimation *>(o.d.get())->Max, Qt::LeftButton);
        const QString built = o.ok();
        QVERIFY(!built.contains(QStringLiteral("<body"), Qt::CaseInsensitive));
        QVERIFY(built.contains(QStringLiteral("window.addEventListener(\"load\", KestrovaAnimation)")));
    }

    // Outside quirks mode a length without its unit is no length: the declaration is dropped.
    void everyLengthAnEffectWritesHasItsUnit()
    {
        QStringList texts = FilterSpans();
        for (const TDialogDesc &d : Descriptions())
            texts << d.templ << d.itemTemplate;
        for (const QString &name : DataNames())
            texts << DataText(name);
        // A length property whose value is a number other than 0 with nothing after it.
        static const QRegularExpression bare(QStringLiteral("(?:^|[\\s;\"{])((?:width|height|left|top|right|bottom|margin[a-z-]*|"
                                                            "padding[a-z-]*|font-size|line-height)\\s*:\\s*-?0*[1-9][0-9]*(?:\\.[0-9]+)?)"
                                                            "\\s*(?:[;\"}!\\\\]|$)"),
                                             QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
        QStringList found;
        for (const QString &t : texts)
            for (auto it = bare.globalMatch(t); it.hasNext();)
                found << it.next().captured(1);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral(", "))));
    }

    void memoryFiguresAreGroupedByTheLocale()
    {
        const QByteArray meminfo = "MemTotal:       16318480 kB\nMemFree:         1000000 kB\n"
                                   "MemAvailable:   10198000 kB\nBuffers:          200000 kB\n";
        TMemoryFigures f = MemoryFigures(meminfo, QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(f.physical, QStringLiteral("16,318,480 KB"));
        QCOMPARE(f.inUse, QStringLiteral("37 %")); // 100 * 6120480 / 16318480 = 37.5, cut
        f = MemoryFigures(meminfo, QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(f.physical, QStringLiteral("16.318.480 KB"));
        // The C locale groups as well.
        QCOMPARE(MemoryFigures("MemTotal: 2048 kB\nMemAvailable: 0 kB\n", QLocale::c()).physical, QStringLiteral("2,048 KB"));
        QCOMPARE(MemoryFigures("MemTotal: 2048 kB\nMemAvailable: 0 kB\n", QLocale::c()).inUse, QStringLiteral("100 %"));
        QCOMPARE(MemoryFigures("MemTotal: 512 kB\nMemAvailable: 512 kB\n", QLocale::c()).inUse, QStringLiteral("0 %"));
        // What the report does not tell, or tells wrongly, shows as "?".
        f = MemoryFigures(QByteArray(), QLocale::c());
        QCOMPARE(f.physical, QStringLiteral("?"));
        QCOMPARE(f.inUse, QStringLiteral("?"));
        f = MemoryFigures("MemTotal: 1000 kB\n", QLocale::c());
        QCOMPARE(f.physical, QStringLiteral("1,000 KB"));
        QCOMPARE(f.inUse, QStringLiteral("?"));
        QCOMPARE(MemoryFigures("MemTotal: 0 kB\nMemAvailable: 0 kB\n", QLocale::c()).inUse, QStringLiteral("?"));
        QCOMPARE(MemoryFigures("MemTotal: lots\nMemAvailable: 5 kB\n", QLocale::c()).physical, QStringLiteral("?"));
        QCOMPARE(MemoryFigures("MemTotal: 10 kB\nMemAvailable: 50 kB\n", QLocale::c()).inUse, QStringLiteral("?"));
        // This machine's own figures are there.
        const TMemoryFigures now = CurrentMemoryFigures();
        QVERIFY2(now.physical.endsWith(QStringLiteral(" KB")), qPrintable(now.physical));
        QVERIFY2(now.inUse.endsWith(QStringLiteral(" %")), qPrintable(now.inUse));
    }

    void theAboutBoxClosesOnAClickOrAfterTenSeconds()
    {
        {
            TAboutBox box(nullptr, {QStringLiteral("1,024 KB"), QStringLiteral("12 %")});
            box.show();
            QCOMPARE(box.windowTitle(), QStringLiteral("About Kestrova..."));
            QCOMPARE(box.PhysMem->text(), QStringLiteral("1,024 KB"));
            QCOMPARE(box.MemUsed->text(), QStringLiteral("12 %"));
            QVERIFY(box.Timer1->isActive());
            QCOMPARE(box.Timer1->interval(), 10000);
            // A click on a label is a click on the box.
            QTest::mouseClick(box.PhysMem, Qt::LeftButton);
            QVERIFY(!box.isVisible());
        }
        {
            TAboutBox box;
            box.show();
            QVERIFY(box.PhysMem->text().endsWith(QStringLiteral(" KB")));
            box.Timer1->setInterval(1); // ten seconds are too long to wait here
            box.Timer1->start();
            QTRY_VERIFY(!box.isVisible());
        }
    }

    void theDocumentInfoWindow()
    {
        TInfo info;
        QCOMPARE(Info, &info);
        QCOMPARE(info.windowTitle(), QStringLiteral("Document Info"));
        for (const char *name : {"Parag", "Place", "Col", "Offset", "Character", "Lines"})
            QVERIFY2(info.findChild<QLabel *>(QString::fromLatin1(name)) &&
                         info.findChild<QLabel *>(QString::fromLatin1(name) + QStringLiteral("Value")),
                     name);
        info.show();
        QTest::mouseClick(info.Close, Qt::LeftButton);
        QVERIFY(!info.isVisible());
    }

    void theChannelAsksForItsFolderOnceAndWritesTheFile()
    {
        const QString folder = k5test::Root() + QStringLiteral("/site");
        QVERIFY(QDir().mkpath(folder));
        std::unique_ptr<TChannel> d;
        {
            k5test::User user;
            user.Then([folder](QWidget *w) {
                auto *chooser = qobject_cast<platform::FolderDialog *>(w);
                if (!chooser)
                    return false;
                chooser->SetSelection(folder);
                chooser->accept();
                return true;
            });
            d.reset(qobject_cast<TChannel *>(CreateDialog(QStringLiteral("TChannel"), nullptr)));
            d->show();
            QTRY_VERIFY(user.Done());
            k5test::Settle();
        }
        QCOMPARE(d->SourceFolder->text(), folder);
        // Shown again (as after a nested dialog), it does not ask again: no window comes up.
        {
            k5test::User watcher;
            d->hide();
            d->show();
            k5test::Settle();
            QCOMPARE(watcher.Texts, QStringList());
        }

        QStringList handed;
        d->OnOk = [&] { handed << d->Build(); };
        k5test::Type(d->findChild<QWidget *>(QStringLiteral("Title")), QStringLiteral("Tom & Jerry’s News"));
        k5test::Type(d->findChild<QWidget *>(QStringLiteral("Abstract")), QStringLiteral("Daily news\nCafé ☕"));
        k5test::Type(d->findChild<QWidget *>(QStringLiteral("Introduction Page")), QStringLiteral("index.htm"));
        // The pictures are linked from the folder the file goes into: one below it, one in a folder beside it.
        k5test::Type(d->findChild<QWidget *>(QStringLiteral("Logo Image")), folder + QStringLiteral("/pics/logo.gif"));
        k5test::Type(d->findChild<QWidget *>(QStringLiteral("Icon Image")), k5test::Root() + QStringLiteral("/icons/icon.gif"));
        k5test::Type(d->findChild<QWidget *>(QStringLiteral("Base")), QStringLiteral("http://kestrova.example/"));
        k5test::Type(d->SourceFolder, folder + QStringLiteral("/")); // a doubled separator is still the folder
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        QCOMPARE(handed, QStringList({"<A HREF=\"qv_channel.cdf\">Channel, Click here</A>"}));
        QVERIFY(!d->isVisible());
        QCOMPARE(k5test::ReadFile(folder + QStringLiteral("/qv_channel.cdf")),
                 QByteArray("<?XML Version=\"1.0\" Encoding=\"iso-8859-1\" ?><Channel HREF=\"index.htm\" "
                            "BASE=\"http://kestrova.example/\" SELF=\"qv_channel.cdf\">\r\n\r\n"
                            "<A HREF=\"index.htm\"></A>\r\n<A HREF=\"index.htm\"></A>\r\n"
                            "<Title>Tom &amp; Jerry&#8217;s News</Title>\r\n\r\n"
                            "<Abstract>Daily news\r\nCaf\xe9 &#9749;</Abstract>\r\n\r\n"
                            "<Logo HREF=\"pics/logo.gif\" Style=\"Image\" /> <Logo HREF=\"../icons/icon.gif\" Style=\"Icon\" />\r\n"
                            "<LogTarget HREF=\"index.htm\" Method=\"Post\" Scope=\"Offline\"></LogTarget></Channel>\r\n\r\n"));
        QCOMPARE(ChannelBytes(QStringLiteral("a\U0001F600b")), QByteArray("a&#128512;b"));
    }

    void aChannelWithoutAFolderItCanWriteStaysOpen()
    {
        const QString site = k5test::Root() + QStringLiteral("/site2");
        QVERIFY(QDir().mkpath(site));
        k5test::WriteFile(site + QStringLiteral("/qv_channel.cdf"), "old");
        std::unique_ptr<TChannel> d;
        {
            k5test::User user;
            user.Escape(); // the folder chooser, cancelled
            d.reset(qobject_cast<TChannel *>(CreateDialog(QStringLiteral("TChannel"), nullptr)));
            d->show();
            QTRY_VERIFY(user.Done());
            k5test::Settle();
        }
        QCOMPARE(d->SourceFolder->text(), QString());
        int oks = 0;
        d->OnOk = [&] { ++oks; };
        {
            k5test::User user;
            user.Click(QStringLiteral("OK"));
            QTest::mouseClick(d->Button1, Qt::LeftButton);
            QVERIFY(user.Done());
            QCOMPARE(user.Texts, QStringList({"Choose the folder the channel file goes into."}));
        }
        const QString missing = site + QStringLiteral("/no/such/folder");
        k5test::Type(d->SourceFolder, missing);
        {
            k5test::User user;
            user.Click(QStringLiteral("OK"));
            QTest::mouseClick(d->Button1, Qt::LeftButton);
            QVERIFY(user.Done());
            QCOMPARE(user.Texts.size(), 1);
            QVERIFY2(user.Texts.at(0).contains(QStringLiteral("qv_channel.cdf")), qPrintable(user.Texts.at(0)));
        }
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(oks, 0);
        QVERIFY(d->isVisible());
        // The chooser cancelled at the start can be had again.
        {
            k5test::User user;
            user.Then([site](QWidget *w) {
                auto *chooser = qobject_cast<platform::FolderDialog *>(w);
                if (!chooser)
                    return false;
                chooser->SetSelection(site);
                chooser->accept();
                return true;
            });
            QTest::mouseClick(d->Browse, Qt::LeftButton);
            QVERIFY(user.Done());
        }
        QCOMPARE(d->SourceFolder->text(), site);
        // Cancel writes nothing: the file already there stays as it was.
        k5test::Type(d->SourceFolder, site);
        QTest::mouseClick(d->Button2, Qt::LeftButton);
        QVERIFY(!d->isVisible());
        QCOMPARE(k5test::ReadFile(site + QStringLiteral("/qv_channel.cdf")), QByteArray("old"));
    }
};

K5_TEST_MAIN(TestDhtmlDialogs)
#include "test_dhtmldialogs.moc"
