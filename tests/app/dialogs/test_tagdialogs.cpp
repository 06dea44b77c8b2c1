// The tag and form-field dialogs filled in as a user does, field by field through their objectNames, and
// the exact text each one builds; the engine's one-pass substitution; and a check that every template asks
// only for fields its dialog has and uses every field it has.
#include "k5test.h"

#include "app/dialogs/engine.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace dialogs;

namespace {

using Typed = QList<QPair<QString, QString>>;

// Opens the dialog, types the values, presses OK and returns what its builder made at that moment.
QString fillAndOk(const QString &className, const Typed &typed, bool *closed = nullptr)
{
    std::unique_ptr<TTagDialog> d(CreateDialog(className, nullptr));
    if (!d)
        return QStringLiteral("<no dialog %1>").arg(className);
    d->show();
    for (const auto &[name, value] : typed) {
        QWidget *f = d->findChild<QWidget *>(name);
        if (!f)
            return QStringLiteral("<no field %1>").arg(name);
        k5test::Type(f, value);
    }
    QString built;
    d->OnOk = [&] { built = d->Build(); };
    auto *ok = d->findChild<QPushButton *>(FindDescription(className)->okName);
    QTest::mouseClick(ok, Qt::LeftButton);
    if (closed)
        *closed = !d->isVisible();
    return built;
}

// Rows of hand-written expectations: what the user types into which field, and the text that must come out.
void addDialogRows()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<Typed>("typed");
    QTest::addColumn<QString>("expected");
    auto row = [](const char *name, const char *cls, Typed typed, const char *expected) {
        QTest::newRow(name) << QString::fromLatin1(cls) << typed << QString::fromUtf8(expected);
    };
    row("link, empty", "TLink", {}, R"(<A HREF="" TARGET="" NAME=""></A>)");
    row("bookmark", "TBookmark", {{"Bookmark name", "top"}}, R"(<A NAME="top">)");
    row("email", "TEmail", {{"Email", "a@b.example"}, {"Subject", "Hi there"}, {"Description", "Write\nme"}},
        "<A HREF=\"mailto:a@b.example?subject=Hi there\">Write\r\nme</A>");
    // The subject is one value of the address's query: "&" and "#" would end it.
    row("email, subject with & and #", "TEmail", {{"Email", "a@b.example"}, {"Subject", "Q&A #1"}},
        "<A HREF=\"mailto:a@b.example?subject=Q%26A %231\"></A>");
    row("picture", "TPicture",
        {{"URL", "p.gif"}, {"Alt. Text", "A \"cat\""}, {"Use Map", "m1"}, {"Width", "40"}, {"Height", "30"},
         {"HSpace", "2"}, {"VSpace", "3"}, {"Align", "left"}},
        R"(<IMG SRC="p.gif" ALT="A &quot;cat&quot;" USEMAP="#m1" WIDTH="40" HEIGHT="30" HSPACE="2" VSPACE="3" ALIGN="left">)");
    row("sound", "TSound", {{"Source", "s.wav"}, {"Loop", "INFINITE"}, {"Delay", "5"}},
        R"(<SOUND SRC="s.wav" LOOP="INFINITE" DELAY="5">)");
    row("bg sound", "TBGSound", {{"Source", "b.wav"}, {"Loop", "2"}}, R"(<BGSOUND SRC="b.wav" LOOP="2">)");
    row("movie", "TMovie", {{"URL", "m.avi"}}, R"(<IMG DYNSRC="m.avi" LOOP="infinite" START="fileopen">)");
    row("embed", "TEmbed", {{"Source", "x.mid"}, {"Width", "10"}, {"Height", "20"}, {"Hidden", "True"}},
        R"(<EMBED SRC="x.mid" WIDTH="10" HEIGHT="20" HIDDEN="True">)");
    row("applet", "Tapplet",
        {{"Applet URL", "A.class"}, {"Width", "50"}, {"Height", "60"}, {"HSpace", "1"}, {"VSpace", "2"},
         {"Align", "MIDLE"}, {"Applet Attributes", "<PARAM>"}, {"Message", "No Java"}},
        R"(<APPLET CODE="A.class" WIDTH="50%" HEIGHT="60%"  VSPACE="2" HSPACE="1" ALIGN="MIDLE"><PARAM>No Java</APPLET>)");
    row("marquee", "TMarquee",
        {{"Color", "#ff0000"}, {"Scrolling Text", "News"}, {"Width", "300"}, {"Height", "20"}, {"Align", "TOP"},
         {"Behavior", "SLIDE"}, {"Direction", "LEFT"}, {"Scroll Amount", "6"}, {"Scroll Delay", "85"},
         {"HSpace", "4"}, {"VSpace", "5"}},
        R"(<MARQUEE BGCOLOR="#ff0000" WIDTH="300" HEIGHT="20" VSPACE="5" HSPACE="4" ALIGN="TOP" DIRECTION="LEFT" SCROLLAMOUNT="6" SCROLLDELAY="85" BEHAVIOR="SLIDE">News</MARQUEE>)");
    row("meta", "TMeta", {{"HTTP-EQUIV", "Refresh"}, {"Name", "Keywords"}, {"Content", "5"}},
        R"(<META HTTP-EQUIV="Refresh" NAME="Keywords" CONTENT="5">)");
    row("base font", "TBase", {{"Size", "3"}, {"Font Face", "Verdana"}}, R"(<BASEFONT SIZE="3" FACE="Verdana">)");
    row("font +2", "TSkrift", {{"Font", "Georgia"}, {"Size", "+2"}, {"Color", "#00ff00"}, {"Text", "big"}},
        R"(<FONT FACE="Georgia" SIZE="+2" COLOR="#00ff00">big</FONT>)");
    row("font starts with Arial", "TSkrift", {}, R"(<FONT FACE="Arial" SIZE="" COLOR=""></FONT>)");
    row("comment", "TKommentar", {{"Memo1", " note "}}, "<!-- note -->");
    row("map", "TMap", {{"Map Name", "nav"}}, R"(<MAP NAME="nav">)");
    row("attribute", "TAttributes", {{"Choose a attributes", "CLASS"}, {"Value", "wide"}}, R"(CLASS="wide")");
    row("asp", "TASP", {{"Server Variable", "REMOTE_ADDR"}}, R"(<%= Request.ServerVariables("REMOTE_ADDR") %>)");
    row("page start", "ThtmlStart",
        {{"Document Type", "<!DOCTYPE html>"}, {"Title", "Home"}, {"Background image", "bg.gif"},
         {"Background Color", "#ffffff"}, {"Text Color", "#000000"}, {"Link Color", "#0000ff"},
         {"Visited Link Color", "#800080"}, {"Active Link Color", "#ff0000"}},
        "<!DOCTYPE html>\r\n<HTML>\r\n\r\n<HEAD> \r\n <TITLE>Home</TITLE> \r\n <META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\"> \r\n</HEAD>\r\n"
        "<BODY BACKGROUND=\"bg.gif\" BGCOLOR=\"#ffffff\" TEXT=\"#000000\" LINK=\"#0000ff\" VLINK=\"#800080\" "
        "ALINK=\"#ff0000\">\r\n\r\n\r\n\r\n\r\n</BODY>\r\n</HTML>");
    row("form, empty target", "TForm0", {{"Action", "/cgi"}, {"Method", "POST"}, {"EncType", "multipart/form-data"}},
        R"(<FORM ACTION="/cgi" METHOD="POST" TARGET="" ENCTYPE="multipart/form-data"></FORM>)");
    row("text field", "TFormText",
        {{"Name", "q"}, {"Value", "v"}, {"Align", "LEFT"}, {"Size", "20"}, {"Max Length", "40"}},
        R"(<INPUT TYPE="TEXT" NAME="q" VALUE="v" ALIGN="LEFT" Size="20" MAXLENGTH="40">)");
    row("password", "TPassword", {{"Name", "pw"}, {"Size", "8"}},
        R"(<INPUT TYPE="PASSWORD" NAME="pw" VALUE="" ALIGN="" Size="8">)");
    row("file field", "TFormFile", {{"Name", "up"}, {"Accept", "image/gif "}},
        R"(<INPUT TYPE="FILE" NAME="up" VALUE="" ALIGN="" ACCEPT="image/gif ">)");
    row("text area", "TFormTextArea",
        {{"Name", "t"}, {"Cols", "40"}, {"Rows", "5"}, {"Wrap", "VIRTUAL"}, {"Content", "a\nb"}},
        "<TEXTAREA NAME=\"t\" COLS=\"40\" ROWS=\"5\" WRAP=\"VIRTUAL\">a\r\nb</TEXTAREA>");
    row("radio", "TRadio", {{"Name", "r"}, {"Value", "1"}, {"Align", "TOP"}},
        R"(<INPUT TYPE="RADIO" NAME="r" VALUE="1" ALIGN="TOP">)");
    row("checkbox", "TCheckbox", {{"Name", "c"}}, R"(<INPUT TYPE="CHECKBOX" NAME="c" VALUE="" ALIGN="">)");
    row("submit", "TSubMit", {{"Value", "Send"}}, R"(<INPUT TYPE="SUBMIT" NAME="" VALUE="Send" ALIGN="">)");
    row("reset", "TFormReset", {{"Value", "Clear"}}, R"(<INPUT TYPE="RESET" NAME="" VALUE="Clear" ALIGN="">)");
    row("button", "TFormButton", {{"Name", "b"}, {"Value", "Go"}, {"Align", "ABSBOTTOM"}},
        R"(<INPUT TYPE="BUTTON" NAME="b" VALUE="Go" ALIGN="ABSBOTTOM">)");
    row("hidden", "TFormHidden", {{"Name", "id"}, {"Value", "7"}}, R"(<INPUT TYPE="HIDDEN" NAME="id" VALUE="7">)");
    row("image", "TFormImage",
        {{"Name", "go"}, {"URL", "go.gif"}, {"Align", "MIDDLE"}, {"Border", "0"}, {"Width", "16"}, {"Height", "16"}},
        R"(<INPUT TYPE="IMAGE" NAME="go" SRC="go.gif" ALIGN="MIDDLE" BORDER="0" WIDTH="16" HEIGHT="16">)");
    row("xml text", "Txmltext", {{"Memo1", "<note>\n  hi</note>"}}, "<note>\r\n  hi</note>");
    row("combobox", "TFormCombobox", {{"Name", "pick"}, {"Size", "1"}, {"Option", "<OPTION>one"}},
        R"(<SELECT NAME="pick" SIZE="1"><OPTION>one</SELECT>)");
}

} // namespace

class TestTagDialogs : public QObject {
    Q_OBJECT

private slots:
    void substitutionIsOnePassAndKeepsStrayBraces()
    {
        const TValues v{{QStringLiteral("A"), QStringLiteral("{B}")}, {QStringLiteral("B"), QStringLiteral("x")}};
        QCOMPARE(Expand(QStringLiteral("{A}{B}"), v), QStringLiteral("{B}x"));
        QCOMPARE(Expand(QStringLiteral("f(){ {A} }"), v), QStringLiteral("f(){ {B} }"));
        QCOMPARE(Expand(QStringLiteral("{{A}} {C} {"), v), QStringLiteral("{{B}} {C} {"));
        QCOMPARE(Placeholders(QStringLiteral("<{A} {B}>{A}")), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
        // A literal brace before a placeholder hides it from neither.
        QCOMPARE(Placeholders(QStringLiteral("p { {A} }")), QStringList({QStringLiteral("A")}));
        QCOMPARE(Expand(QStringLiteral("p { {A} }"), v), QStringLiteral("p { {B} }"));
    }

    void everyTemplateMatchesItsFields()
    {
        int templates = 0;
        for (const TDialogDesc &d : Descriptions()) {
            // Handed over by a hidden button of the main window or through one of its relays, never both.
            QVERIFY2(!d.handOver.isEmpty() || d.relay == QLatin1String("Memo1") || d.relay == QLatin1String("DHTML_Memo"),
                     qPrintable(d.className));
            QVERIFY2(d.handOver.isEmpty() || d.relay.isEmpty(), qPrintable(d.className));
            if (d.templ.isEmpty())
                continue;
            ++templates;
            QStringList names;
            for (const TFieldDesc &f : d.fields)
                names << f.name;
            QStringList used = Placeholders(d.templ);
            for (const QString &p : used) {
                // A data text is there, whole: lines ended by CR LF.
                if (p.startsWith(QLatin1Char('@'))) {
                    const QString text = DataText(p.mid(1));
                    QVERIFY2(text.endsWith(QStringLiteral("\r\n")) && text.count(QLatin1Char('\n')) == text.count(QStringLiteral("\r\n")),
                             qPrintable(d.className + QStringLiteral(" reads ") + p));
                    continue;
                }
                QVERIFY2(names.contains(p), qPrintable(d.className + QStringLiteral(" asks for ") + p));
            }
            // An item list: each Add fills the item template, whose lines go where the template names the list.
            if (!d.itemTemplate.isEmpty()) {
                QVERIFY2(names.contains(d.itemList) && used.contains(d.itemList), qPrintable(d.className));
                QVERIFY2(d.itemTemplate.endsWith(QStringLiteral("\r\n")), qPrintable(d.className));
                for (const QString &p : Placeholders(d.itemTemplate)) {
                    QVERIFY2((names.contains(p) && p != d.itemList) || p == QLatin1String("n"),
                             qPrintable(d.className + QStringLiteral(" items ask for ") + p));
                    used << p;
                }
            }
            for (const QString &n : names)
                QVERIFY2(used.contains(n), qPrintable(d.className + QStringLiteral(" never uses ") + n));
        }
        QVERIFY(templates >= 55);
        // The texts bespoke dialogs read are there too.
        for (const QString &name : DataNames())
            QVERIFY2(DataText(name).endsWith(QStringLiteral("\r\n")), qPrintable(name));
    }

    void eachDialogBuildsItsText_data() { addDialogRows(); }
    void eachDialogBuildsItsText()
    {
        QFETCH(QString, dialog);
        QFETCH(Typed, typed);
        QFETCH(QString, expected);
        bool closed = false;
        QCOMPARE(fillAndOk(dialog, typed, &closed), expected);
        QVERIFY(closed);
    }

    void dialogButtonsWorkOnTheirOwnFields()
    {
        std::unique_ptr<TTagDialog> applet(CreateDialog(QStringLiteral("Tapplet"), nullptr));
        applet->show();
        auto *attrs = applet->findChild<QPlainTextEdit *>(QStringLiteral("Applet Attributes"));
        QTest::mouseClick(applet->findChild<QPushButton *>(QStringLiteral("Add")), Qt::LeftButton);
        QTest::mouseClick(applet->findChild<QPushButton *>(QStringLiteral("Add")), Qt::LeftButton);
        QCOMPARE(MemoText(attrs), QStringLiteral("<PARAM NAME=\"\" VALUE=\"\">\r\n<PARAM NAME=\"\" VALUE=\"\">"));

        std::unique_ptr<TTagDialog> combo(CreateDialog(QStringLiteral("TFormCombobox"), nullptr));
        combo->show();
        auto *options = combo->findChild<QPlainTextEdit *>(QStringLiteral("Option"));
        QTest::mouseClick(combo->findChild<QPushButton *>(QStringLiteral("Newoption")), Qt::LeftButton);
        QTest::keyClicks(options, QStringLiteral("a"));
        QTest::keyClick(options, Qt::Key_End);
        QTest::keyClicks(options, QStringLiteral("A"));
        QCOMPARE(MemoText(options), QStringLiteral("\r\n<OPTION VALUE=\"a\">A"));
    }

    void cancelBuildsNothingAndTheNewestInstanceIsKnown()
    {
        auto *first = CreateDialog(QStringLiteral("TBookmark"), nullptr);
        QCOMPARE(Instance(QStringLiteral("TBookmark")), first);
        auto *second = CreateDialog(QStringLiteral("TBookmark"), nullptr);
        QCOMPARE(Instance(QStringLiteral("TBookmark")), second);
        int oks = 0;
        second->OnOk = [&] { ++oks; };
        second->show();
        QTest::mouseClick(second->findChild<QPushButton *>(QStringLiteral("Button2")), Qt::LeftButton);
        QCOMPARE(oks, 0);
        QVERIFY(!second->isVisible());
        delete second;
        QVERIFY(!Instance(QStringLiteral("TBookmark")));
        delete first;
        QVERIFY(!CreateDialog(QStringLiteral("TNoSuchDialog"), nullptr));
    }
};

K5_TEST_MAIN(TestTagDialogs)
#include "test_tagdialogs.moc"
