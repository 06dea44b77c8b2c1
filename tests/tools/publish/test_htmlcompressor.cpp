#include "k5test.h"
#include "htmlview.h"

#include "tools/publish/compressorform.h"
#include "tools/publish/htmlcompressor.h"

#include "controls/zel/lookupedit.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using publish::TCompressor;
using publish::THTMLCompressor;

namespace {

enum Option : unsigned {
    kSimpleTags = 1, kCenter = 2, kInvCommas = 4, kSpaces = 8, kReturns = 16, kAllReturns = 32, kWebbots = 64,
    kAll = 127,
    kDefault = kAll & ~kCenter, // what a new compressor and the window run
};

QByteArray Compress(const QByteArray &input, unsigned options)
{
    THTMLCompressor c;
    c.SimpleTags = options & kSimpleTags;
    c.Center = options & kCenter;
    c.InvCommas = options & kInvCommas;
    c.Spaces = options & kSpaces;
    c.Returns = options & kReturns;
    c.AllReturns = options & kAllReturns;
    c.Webbots = options & kWebbots;
    c.LoadFromBytes(input);
    c.Compress();
    return c.Buffer();
}

// Whether a browser makes the same of both: the same elements, attribute values and shown text. With
// shortNames, strong, em and strike count as b, i and s, which look the same.
bool LooksTheSame(const QByteArray &before, const QByteArray &after, QByteArray *why = nullptr, bool shortNames = false)
{
    const std::string difference = htmlview::FirstDifference(htmlview::Read(before.toStdString(), shortNames),
                                                             htmlview::Read(after.toStdString(), shortNames));
    if (why)
        *why = QByteArray::fromStdString(difference);
    return difference.empty();
}

// Documentation that a package of scripts/packages.txt installs, and how many pages it holds at least.
struct PageSet {
    const char *package;
    const char *folder;
    int least;
};

// The sets come from different generators: pages written by hand and by gtk-doc (tables, forms),
// Doxygen (scripts, code listings), DocBook in two styles, Texinfo and Sphinx (scripts, search forms).
constexpr PageSet kInstalledPages[] = {
    {"libxslt1-dev", "/usr/share/doc/libxslt1-dev", 90},
    {"libjsoncpp-doc", "/usr/share/doc/libjsoncpp-doc", 150},
    {"valgrind", "/usr/share/doc/valgrind/html", 38},
    {"libffi-dev", "/usr/share/doc/libffi8/html", 18},
    {"python3-aiosmtpd", "/usr/share/doc/python3-aiosmtpd/html", 15},
    {"giflib-tools", "/usr/share/doc/giflib-tools/html", 12},
};

QStringList HtmlFiles(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.html"), QStringLiteral("*.htm")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

QRegularExpression Pattern(const char *pattern)
{
    return QRegularExpression(QString::fromLatin1(pattern), QRegularExpression::CaseInsensitiveOption);
}

void AddRows(const QList<std::pair<QByteArray, QByteArray>> &rows)
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    for (const auto &[in, out] : rows)
        QTest::newRow(in.constData()) << in << out;
}

} // namespace

class TestHtmlCompressor : public QObject {
    Q_OBJECT
private slots:
    void everyOptionButCenterIsOnAtCreation()
    {
        THTMLCompressor c;
        for (const char *name : {"SimpleTags", "InvCommas", "Spaces", "Returns", "AllReturns", "Webbots"})
            QVERIFY2(c.property(name).toBool(), name);
        QVERIFY(!c.property("Center").toBool());
    }

    // 1. Quotes inside tags.
    void quotePass_data()
    {
        AddRows({
            {"<a href=\"x.htm\">go</a>", "<a href=x.htm>go</a>"},
            {"<INPUT VALUE=\"ab\" NAME=\"n\">", "<INPUT VALUE=ab NAME=n>"},
            {"<input value=\"a b\">", "<input value=\"a b\">"},
            {"<img alt=\"a b\" src=\"p.gif\">", "<img alt=\"a b\" src=p.gif>"},
            {"<input value=\"\" name=\"n\">", "<input value=\"\" name=n>"},
            {"<a title=\"a\tb\" x=\"a<b\" y=\"a=b\" z=\"a`b\">", "<a title=\"a\tb\" x=\"a<b\" y=\"a=b\" z=\"a`b\">"},
            {"<a title=\"a\r\nb\" href=\"h\">", "<a title=\"a\r\nb\" href=h>"},
            {"<a title=\"a>b\" href=\"y\">t</a>", "<a title=\"a>b\" href=y>t</a>"},
            {"<a href=\"x\" onclick='go(\"y\")'>", "<a href=\"x\" onclick='go(\"y\")'>"},
            {"<br class=\"x\"/>", "<br class=\"x\"/>"},
            {"<a b=\"c\"d=\"e\">", "<a b=\"c\"d=e>"},
            {"<a href = \"x\" >", "<a href = x >"},
            {"<a \"stray\" href=\"x\">", "<a \"stray\" href=x>"},
            {"<body bgcolor=\"#fff\"\">", "<body bgcolor=\"#fff\"\">"},
            {"<scri\"pt>", "<scri\"pt>"},
            {"<p>\"quoted text\" stays</p>", "<p>\"quoted text\" stays</p>"},
            {"a < b \"c\" > d", "a < b \"c\" > d"},
            {"<!-- a=\"b\" --><?xml v=\"1\"?>", "<!-- a=\"b\" --><?xml v=\"1\"?>"},
            {"<!-- <a href=\"x\"> --><a href=\"y\">", "<!-- <a href=\"x\"> --><a href=y>"},
            {"<script language=\"js\">s=\"<a href=\\\"q\\\">\";</script><a href=\"c\">",
             "<script language=\"js\">s=\"<a href=\\\"q\\\">\";</script><a href=c>"},
            {"<a href=\"x\"><script src=\"s\">", "<a href=x><script src=\"s\">"},
            {"<a href=\"x\"><b class=\"y\"", "<a href=x><b class=\"y\""},
            {"<a href=\"x\"><b class=\"y>", "<a href=x><b class=\"y>"},
        });
    }
    void quotePass()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kInvCommas), expected);
    }

    // 2. Doubled line breaks collapsed (Returns without AllReturns).
    void doubledBreaks_data()
    {
        AddRows({
            {"a\r\r\rb\n\n\nc", "a\rb\nc"},
            {"a\r\n\r\nb", "a\r\n\r\nb"},
            {"<pre>a\n\nb</pre>x\n\ny", "<pre>a\n\nb</pre>x\ny"},
            {"<TEXTAREA>a\r\r</textarea>\r\r", "<TEXTAREA>a\r\r</textarea>\r"},
            {"<script>a\n\n\nb</script>", "<script>a\nb</script>"},
            {"<a\r\r\rhref=x>\r\r", "<a\r\r\rhref=x>\r"},
            {"<pre>a\n\nb", "<pre>a\n\nb"},
        });
    }
    void doubledBreaks()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kReturns), expected);
    }

    // 3. Every line break removed where it touches a tag or a blank (AllReturns).
    void allBreaks_data()
    {
        AddRows({
            {"<p>\r\n<b>x</b>\r\n</p>", "<p><b>x</b></p>"},
            {"a\r\nb", "a\nb"},
            {"a \r\nb", "a b"},
            {"a\r\n b", "a b"},
            {"</p>\r\n\r\n\r\n<p>", "</p><p>"},
            {"word\r\n<b>bold</b>\r\nword", "word <b>bold</b> word"},
            {"<br>\nx\n", "<br>x\n"},
            {"\r\nabc", "\nabc"},
            {"<a\r\nhref=x>\r\n", "<a\r\nhref=x>"},
            {"<pre>\r\na  \r\n</pre>\r\n<p>", "<pre>\r\na  \r\n</pre><p>"},
            {"<script>\r\nif (a)\r\n\r\n  b();\r\n</script>\r\n<p>", "<script>\r\nif (a)\r\n\r\n  b();\r\n</script><p>"},
            {"a\r\n<pre>b\r\n", "a<pre>b\r\n"},
            {"<p>\r\n<b\r\n", "<p><b\r\n"},
            // Runs in any order: between words the last break stays, beside a tag none.
            {"a\n\rb", "a\rb"},
            {"<i>\n\rx", "<i> x"},
            // Inside a tag only line feeds go, and never so that two names run together.
            {"<a \nhref=x\n>", "<a href=x\n>"},
            {"<b\n<i>", "<b <i>"},
        });
    }
    void allBreaks()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kAllReturns), expected);
    }

    void webbotTagsGoOnlyWithTheirOption()
    {
        const QByteArray page = "<p>\r\n<!--webbot bot=\"Stamp\" s-format=\"%d>%m\" -->\r\n<p>";
        QCOMPARE(Compress(page, kAllReturns | kWebbots), QByteArray("<p><p>"));
        QCOMPARE(Compress(page, kAllReturns), QByteArray("<p><!--webbot bot=\"Stamp\" s-format=\"%d>%m\" --><p>"));
        QCOMPARE(Compress("a<!--WEBBOT x-->\r\r\nb", kReturns | kWebbots), QByteArray("a\r\nb"));
        QCOMPARE(Compress("a\r<!--webbot x-->\rb", kReturns | kWebbots), QByteArray("a\rb"));
        QCOMPARE(Compress("<<!--webbot x-->b>", kReturns | kWebbots), QByteArray("<<!--webbot x-->b>"));
        // Without a line-break pass nothing removes them.
        QCOMPARE(Compress("<!--webbot x-->", kWebbots), QByteArray("<!--webbot x-->"));
    }

    // 4. Blank runs.
    void spaces_data()
    {
        AddRows({
            {"a  b   c    d         e", "a b c d e"},
            {"<p  align=x  >", "<p align=x>"},
            {"<pre>a  b </pre>", "<pre>a  b </pre>"},
            {"<textarea>a  b</textarea>  c", "<textarea>a  b</textarea> c"},
            {"<script>a  =  b</script>  c", "<script>a  =  b</script> c"},
            {"a\t\tb", "a\t\tb"},
            {"<!-- a -- > b  -->", "<!-- a -- > b -->"},
        });
    }
    void spaces()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kSpaces), expected);
    }

    // 5. Short tag names: bare strong, em and strike tags become b, i and s, which look the same.
    void shortTagNames_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<unsigned>("options");
        auto row = [](const char *name, const QByteArray &in, const QByteArray &out, unsigned options = kSimpleTags) {
            QTest::newRow(name) << in << out << options;
        };
        row("each pair, in any case", "<STRONG>a</Strong><em>b</EM><strike>c</strike>", "<b>a</b><i>b</i><s>c</s>");
        row("inside preformatted text", "<pre><strong>a  b</strong></pre>", "<pre><b>a  b</b></pre>");
        // A start tag with attributes keeps its name, and so does every tag of that name, so pairs stay pairs.
        row("a strong with attributes", "<strong class=x>a</strong><strong>b</strong><em>c</em>",
            "<strong class=x>a</strong><strong>b</strong><i>c</i>");
        row("an end tag with a blank", "<em>a</em ><em>b</em>", "<em>a</em ><em>b</em>");
        row("the blank gone first", "<em>a</em ><em>b</em>", "<i>a</i><i>b</i>", kSpaces | kSimpleTags);
        row("a self-closing slash", "<strike/>a<strike>b</strike>", "<strike/>a<strike>b</strike>");
        // The page's own styles and scripts would tell the names apart.
        row("named by a style sheet", "<style>strong { color: red }</style><strong>a</strong><em>b</em>",
            "<style>strong { color: red }</style><strong>a</strong><i>b</i>");
        row("named by a script", "<script>q('EM')</script><em>x</em>", "<script>q('EM')</script><em>x</em>");
        row("named by a handler", "<a onclick=\"f('strike')\">x</a><strike>y</strike>",
            "<a onclick=\"f('strike')\">x</a><strike>y</strike>");
        row("a unit is no name", "<style>p { margin: 1em; emphasis: 0 }</style><em>x</em>",
            "<style>p { margin: 1em; emphasis: 0 }</style><i>x</i>");
        row("other names", "<strongest>a</strongest><emph>b</emph>", "<strongest>a</strongest><emph>b</emph>");
        // Text in a text area is text.
        row("text area", "<textarea><strong>a</strong></textarea><strong>b</strong>",
            "<textarea><strong>a</strong></textarea><b>b</b>");
    }
    void shortTagNames()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QFETCH(unsigned, options);
        const QByteArray output = Compress(input, options);
        QCOMPARE(output, expected);
        QByteArray why;
        QVERIFY2(LooksTheSame(input, output, &why, true), why.constData());
        QCOMPARE(Compress(output, options), output);
    }

    // 6. Centred paragraphs, when a caller asks for them: "<p align=center>" becomes "<center>" and the
    // next "</p>" "</center>", then the same for the quoted value.
    void centredParagraphs_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<unsigned>("options");
        auto row = [](const char *name, const QByteArray &in, const QByteArray &out, unsigned options = kCenter) {
            QTest::newRow(name) << in << out << options;
        };
        row("plain value", "<p align=center>x</p>", "<center>x</center>");
        row("quoted value", "<p align=\"center\">x</p>", "<center>x</center>");
        row("in any case", "<P ALIGN=\"CENTER\">x</P><p>y</p>", "<center>x</center><p>y</p>");
        row("quotes dropped first", "<p align=\"center\">x</p>", "<center>x</center>", kInvCommas | kCenter);
        row("plain ones first, then quoted ones", "<p align=\"center\">a</p><p align=center>b</p>",
            "<center>a</center><center>b</center>");
        row("the next end tag closes it", "<p align=center>a<p align=center>b</p>c</p>",
            "<center>a<p align=center>b</center>c</p>");
        row("no end tag", "<p align=center>a<p>b", "<center>a<p>b");
        row("other attributes", "<p align=center class=x>a</p>", "<p align=center class=x>a</p>");
        row("a script's text", "<script>s = '<p align=center>'</script>", "<script>s = '<p align=center>'</script>");
        row("off by default", "<p align=center>x</p>", "<p align=center>x</p>", kDefault);
    }
    void centredParagraphs()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QFETCH(unsigned, options);
        QCOMPARE(Compress(input, options), expected);
    }

    void allPassesInOrder()
    {
        const QByteArray page =
            "<HTML>\r\n<BODY BGCOLOR=\"#ffffff\">\r\n\r\n"
            "<P ALIGN=\"center\">Hello    <STRONG>big</STRONG>\r\nwide\r\nworld</P>\r\n"
            "<IMG SRC=\"a.gif\" ALT=\"a picture\" >\r\n"
            "<PRE>\r\n  keep   this\r\n</PRE>\r\n"
            "<SCRIPT>\r\nvar a  =  \"x\";\r\n\r\n</SCRIPT>\r\n</BODY>\r\n</HTML>\r\n";
        const QByteArray expected =
            "<HTML><BODY BGCOLOR=#ffffff>"
            "<P ALIGN=center>Hello <b>big</b> wide\nworld</P>"
            "<IMG SRC=a.gif ALT=\"a picture\">"
            "<PRE>\r\n  keep   this\r\n</PRE> " // an end tag is trusted to break no line
            "<SCRIPT>\r\nvar a  =  \"x\";\r\n\r\n</SCRIPT></BODY></HTML>";
        THTMLCompressor c;
        c.LoadFromBytes(page);
        QCOMPARE(c.LoadedSize(), quint32(page.size()));
        QCOMPARE(c.CompressedSize(), 0u);
        QVERIFY(!c.IsCompressed());
        c.Compress();
        QCOMPARE(c.Buffer(), expected);
        QCOMPARE(c.CompressedSize(), quint32(expected.size()));
        QVERIFY(c.IsCompressed());
        // A second call changes nothing, and neither does compressing the result again.
        c.Compress();
        QCOMPARE(c.Buffer(), expected);
        QCOMPARE(Compress(expected, kDefault), expected);
        // With centred paragraphs asked for, the paragraph is a center element.
        QByteArray centred = expected;
        centred.replace("<P ALIGN=center>", "<center>").replace("</P>", "</center>");
        QCOMPARE(Compress(page, kAll), centred);
    }

    void loadCompressSaveThroughFiles()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/compress");
        const QString source = k5test::WriteFile(dir + QStringLiteral("/in.html"), "<p>\r\n<strong>x</strong>\r\n</p>");
        const QByteArray small = "<p><b>x</b></p>";
        const QString target = dir + QStringLiteral("/out.html");
        THTMLCompressor c;
        QVERIFY(c.Load(source));
        c.Compress();
        QVERIFY(c.Save(target));
        QCOMPARE(k5test::ReadFile(target), small);
        QCOMPARE(QFileInfo(target).size(), qint64(c.CompressedSize()));

        // A failed load keeps what was there.
        QVERIFY(!c.Load(dir + QStringLiteral("/missing.html")));
        QCOMPARE(c.Buffer(), small);

        // A new load starts afresh.
        QVERIFY(c.Load(source));
        QVERIFY(!c.IsCompressed());
        QCOMPARE(c.CompressedSize(), 0u);
    }

    void emptySourceWritesNoTarget()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/empty");
        const QString source = k5test::WriteFile(dir + QStringLiteral("/in.html"), QByteArray());
        THTMLCompressor c;
        QVERIFY(c.Load(source));
        c.Compress();
        QVERIFY(!c.IsCompressed());
        QVERIFY(!c.Save(dir + QStringLiteral("/out.html")));
        QVERIFY(!QFile::exists(dir + QStringLiteral("/out.html")));
        THTMLCompressor never;
        QVERIFY(!never.Save(dir + QStringLiteral("/out.html")));
    }

    void failedSaveGivesFalse()
    {
        // A regular file where the target's folder should be: no user can write there.
        const QString blocker = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/blocker"), "x");
        THTMLCompressor c;
        c.LoadFromBytes("<p>  x</p>");
        c.Compress();
        QVERIFY(!c.Save(blocker + QStringLiteral("/out.html")));
        QCOMPARE(k5test::ReadFile(blocker), QByteArray("x"));
    }

    // What a browser shows stays: white space between elements stays a blank where it shows.
    void whitespaceThatShowsStays_data()
    {
        AddRows({
            // Inline elements on both sides: the break shows as a blank.
            {"<p>call another_function</code>\n<em>after</em></p>", "<p>call another_function</code> <em>after</em></p>"},
            {"<b>a</b>\r\n<i>b</i>", "<b>a</b> <i>b</i>"},
            {"<a href=x>one</a>\n<a href=y>two</a>", "<a href=x>one</a> <a href=y>two</a>"},
            {"x<img src=a.gif>\n<img src=b.gif>", "x<img src=a.gif> <img src=b.gif>"},
            // Elements that style sheets often make inline keep the blank beside them.
            {"<ul><li>a</li>\n<li>b</li></ul>", "<ul><li>a</li> <li>b</li></ul>"},
            {"<div>a</div>\n<div>b</div>", "<div>a</div> <div>b</div>"},
            // Hidden or restyled blocks, and end tags that close nothing, break no line.
            {"x\n<p hidden>y</p>\nz", "x <p hidden>y</p> z"},
            {"x\n<p style=\"display:inline\">y</p>\nz", "x <p style=\"display:inline\">y</p> z"},
            {"a\n</ul>\nb", "a </ul> b"},
            {"a\n</body>\nb", "a </body> b"},
            {"<body>a\n<body>\nb", "<body>a <body> b"},
            {"a\n<td>\nb", "a <td> b"},
            {"<h1>x<h2>y</h2>a\n</h1>\nb", "<h1>x<h2>y</h2>a </h1> b"},
            {"x<table><tr>\na</tr></table>", "x<table><tr> a</tr></table>"},
            {"<table><tr><td>a<td>b</table>x\n<td>\ny", "<table><tr><td>a<td>b</table>x <td> y"},
            {"<table><table></table><b>x</b>\n<tr>\n<b>y</b>", "<table><table></table><b>x</b> <tr> <b>y</b>"},
            {"a<p hidden>x<td>y</p>\nz", "a<p hidden>x<td>y</p> z"},
            // A row's end tag ends its cell, so the table after it ends the first one and a later row is dropped.
            {"b<table><tr><td></tr><table></table>e\n<tr>\nf", "b<table><tr><td></tr><table></table>e <tr> f"},
            // A table started right in a table ends it, even with a marquee between them.
            {"<table><marquee><table></table>e\n<tr>\nf", "<table><marquee><table></table>e <tr> f"},
            // The same with the row left to the browser, which adds it: the preformatted text ends with its tag.
            {"<pre><table><td></tr><table></table></pre>\nx", "<pre><table><td></tr><table></table></pre> x"},
            // A ">" or "<" in text is no tag.
            {"a.txt >\nb", "a.txt > b"},
            {"x>\ny", "x> y"},
            {"x\n< y", "x < y"},
            // Where a block breaks the line, at the edges of the page and in the head, nothing shows.
            {"<p>\n<b>x</b>\n</p>\n<p>y</p>", "<p><b>x</b></p><p>y</p>"},
            {"a\n<br>\nb", "a<br>b"},
            {"<table>\n<tr>\n<td>x</td>\n</tr>\n</table>", "<table><tr><td>x</td></tr></table>"},
            {"<head>\n<link rel=a>\n<script src=s></script>\n</head>\n<body>\n<b>x</b>\n</body>\n</html>\n",
             "<head><link rel=a><script src=s></script></head><body><b>x</b></body></html>"},
            {"<title>\nA\ntitle\n</title>", "<title>A\ntitle</title>"},
            {"<p>x</p>\n<!-- c -->\n<p>y</p>", "<p>x</p><!-- c --><p>y</p>"},
        });
    }
    void whitespaceThatShowsStays()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kAllReturns), expected);
        QByteArray why;
        QVERIFY2(LooksTheSame(input, Compress(input, kDefault), &why, true), why.constData());
    }

    // A blank before ">" goes only inside tags.
    void blankBeforeBracket_data()
    {
        AddRows({
            {"cat a.txt > b.txt", "cat a.txt > b.txt"},
            {"<p>x  >  y</p>", "<p>x > y</p>"},
            {"<a href=x  >t</a >", "<a href=x>t</a>"},
            {"<br / >", "<br / >"}, // "/>" would close the element in svg
            {"<svg><path d=x / ></svg>", "<svg><path d=x / ></svg>"},
            {"<!DOCTYPE html  PUBLIC \"-//W3C//DTD  HTML//EN\" >", "<!DOCTYPE html  PUBLIC \"-//W3C//DTD  HTML//EN\" >"},
            {"<? pi  >", "<? pi>"},
        });
    }
    void blankBeforeBracket()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kSpaces), expected);
    }

    // Quoted attribute values keep every byte, whatever the options.
    void attributeValuesKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("input");
        for (const char *page : {
                 "<input value=\"a  b\">",
                 "<input value=\"a    b\" name=n>",
                 "<a onclick=\"go( 1 ,  2 )\">x</a>",
                 "<a title=\"line\nbreak\">x</a>",
                 "<a title=\"a\n\nb\" href=h>x</a>",
                 "<a title=\"a\r\r\r\nb\">x</a>",
                 "<textarea placeholder=\"a  \n\n  b\"></textarea>",
                 "<p title=\"x >\">y</p>",
                 "<p title=\"x \n>\">y</p>",
                 "<p title='a  b\n\nc'>y</p>",
                 "<p title=\"<br>\n<br>\">y</p>",
                 "<p\ntitle=\"a\n<b>\">y</p>",
             })
            QTest::newRow(page) << QByteArray(page);
    }
    void attributeValuesKeepTheirBytes()
    {
        QFETCH(QByteArray, input);
        for (unsigned options : {unsigned(kSpaces), unsigned(kReturns), unsigned(kAllReturns), unsigned(kDefault)}) {
            const QByteArray output = Compress(input, options);
            QByteArray why;
            QVERIFY2(LooksTheSame(input, output, &why, true), (output + "\n" + why).constData());
        }
    }

    // Bodies that a browser keeps as they stand: scripts, styles, preformatted text, text areas.
    void keptBodies_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<unsigned>("options");
        auto row = [](const char *name, const QByteArray &in, const QByteArray &out, unsigned options) {
            QTest::newRow(name) << in << out << options;
        };
        const QByteArray style = "<style>\np  {  color : red }\n\n\na[title=\"x  >  y\"]  { }\n</style>";
        row("style: blanks", style, style, kSpaces);
        row("style: breaks", "<style>\np  {  color : red }\n</style>", "<style>\np  {  color : red }\n</style>",
            kAllReturns);
        row("style: doubled breaks", style, "<style>\np  {  color : red }\na[title=\"x  >  y\"]  { }\n</style>",
            kReturns);
        row("style: end tag with a blank", "<style>a  b</style >  c", "<style>a  b</style> c", kSpaces);
        const QByteArray pre = "<pre class=x>\n<b>a  b</b>\n\n  c <i>d</i>\n</pre>";
        row("pre with elements", pre, pre, kSpaces | kAllReturns);
        row("pre end tag in any case", "<PRE>a  b</Pre >  c", "<PRE>a  b</Pre> c", kSpaces);
        row("pre inside pre", "<pre><pre>a</pre>  b  </pre>  c", "<pre><pre>a</pre>  b  </pre> c", kSpaces);
        row("pre end tag inside a table cell closes nothing",
            "<pre><table><tr><td>x</pre>  a  b</td></tr></table></pre>",
            "<pre><table><tr><td>x</pre>  a  b</td></tr></table></pre>", kSpaces);
        row("pre end tag inside an object closes nothing", "<pre><object></pre>  a  b</object></pre>",
            "<pre><object></pre>  a  b</object></pre>", kSpaces);
        row("pre ends only at its own end tag", "<h1>x</h2><pre>a<h3>y</h1>  b  c</pre>",
            "<h1>x</h2><pre>a<h3>y</h1>  b  c</pre>", kSpaces);
        row("pre after a list that another end tag closed", "<div><ul><li>x</div><pre>a</ul>  b  c</pre>",
            "<div><ul><li>x</div><pre>a</ul>  b  c</pre>", kSpaces);
        row("listing", "<listing>a  b\n\nc</listing>", "<listing>a  b\n\nc</listing>", kAll);
        row("a prefix is no pre", "<prefix>a  b</prefix>", "<prefix>a b</prefix>", kSpaces);
        row("textarea: tags inside are text", "<textarea><a href=\"x\">  y</textarea>",
            "<textarea><a href=\"x\">  y</textarea>", kAll);
        row("xmp shows its text as it stands", "<xmp>a  <b>  c\n\n</xmp>", "<xmp>a  <b>  c\n\n</xmp>", kAll);
        row("plaintext to the end", "<plaintext>a  </plaintext>  b\n\nc", "<plaintext>a  </plaintext>  b\n\nc", kAll);
        const QByteArray written = "<script><!--\ndocument.write(\"<script>x=1<\\/script>\");\n"
                                   "document.write('<script src=\"a\"></script>');\nvar  a  =  '<p  >';\n--></script>";
        row("script that writes a script", written, written, kSpaces | kAllReturns | kInvCommas);
        row("script end tag needs a delimiter", "<script>a  </scripts>  b</script>",
            "<script>a  </scripts>  b</script>", kSpaces);
        row("template literal", "<script>t = `a\n\n\nb`;</script>", "<script>t = `a\n\n\nb`;</script>", kAll);
        row("line continued by a backslash", "<script>s = 'a\\\n\nb';</script>", "<script>s = 'a\\\n\nb';</script>",
            kAll);
        row("script of another type", "<script type=\"text/x-template\"><pre>a\n\n</pre></script>",
            "<script type=\"text/x-template\"><pre>a\n\n</pre></script>", kAll);
        row("module", "<script type=module>a\n\n\nb</script>", "<script type=module>a\nb</script>", kReturns);
        row("noscript, iframe", "<noscript><p  a=\"b\">x\n\n</noscript><iframe>a  \"b\"</iframe>",
            "<noscript><p  a=\"b\">x\n\n</noscript><iframe>a  \"b\"</iframe>", kAll);
        row("title collapses like the browser", "<title>a    b\n\n</title>", "<title>a b</title>", kAll);
    }
    void keptBodies()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QFETCH(unsigned, options);
        QCOMPARE(Compress(input, options), expected);
        QByteArray why;
        QVERIFY2(LooksTheSame(input, Compress(input, kDefault), &why, true), why.constData());
    }

    void webbotRemovalJoinsNothing()
    {
        QCOMPARE(Compress("&amp<!--webbot x-->;", kReturns | kWebbots), QByteArray("&amp<!--webbot x-->;"));
        QCOMPARE(Compress("&#38<!--webbot x-->1", kReturns | kWebbots), QByteArray("&#38<!--webbot x-->1"));
        QCOMPARE(Compress("a &<!--webbot x--> b", kReturns | kWebbots), QByteArray("a & b"));
        QCOMPARE(Compress("&amp;<!--webbot x-->b", kReturns | kWebbots), QByteArray("&amp;b"));
    }

    // The reference that the page test relies on tells the faults apart.
    void referenceSeesWhatABrowserShows()
    {
        QVERIFY(!LooksTheSame("another_function</code>\n<em>after", "another_function</code><em>after"));
        QVERIFY(!LooksTheSame("a.txt > b", "a.txt> b"));
        QVERIFY(!LooksTheSame("<input value=\"a  b\">", "<input value=\"a b\">"));
        QVERIFY(!LooksTheSame("<style>a  b</style>", "<style>a b</style>"));
        QVERIFY(!LooksTheSame("<b>x</b>", "<strong>x</strong>"));
        QVERIFY(!LooksTheSame("<pre>a  b</pre>", "<pre>a b</pre>"));
        QVERIFY(!LooksTheSame("<textarea>a\n\nb</textarea>", "<textarea>a\nb</textarea>"));
        QVERIFY(LooksTheSame("<p>\n<b>x</b>\n</p>\n\n<p>y  z</p>", "<p><b>x</b></p><p>y z</p>"));
        QVERIFY(LooksTheSame("<a href=\"x\">t</a>", "<a href=x>t</a>"));
        QVERIFY(!LooksTheSame("<a href=\"?a=b\">t</a>", "<a href=?a=b>t</a>"));
        QVERIFY(!LooksTheSame("<input value=\"a`b\">", "<input value=a`b>"));
        QVERIFY(LooksTheSame("a\n<!--webbot x-->b", "a\nb"));
        QVERIFY(LooksTheSame("<script>a\n\n\nb</script>", "<script>a\nb</script>"));
    }

    // Real pages: a browser makes the same of them after compression, and compressing again changes
    // nothing. They are the documentation that packages install, each set written by another generator,
    // and pages of our own that hold what the sets lack.
    void realPagesLookTheSame()
    {
        QStringList pages;
        for (const PageSet &set : kInstalledPages) {
            const QStringList found = HtmlFiles(QString::fromLatin1(set.folder));
            QVERIFY2(found.size() >= set.least,
                     qPrintable(QStringLiteral("%1 pages in %2, %3 expected: is %4 installed (scripts/packages.txt)?")
                                    .arg(found.size())
                                    .arg(QString::fromLatin1(set.folder))
                                    .arg(set.least)
                                    .arg(QString::fromLatin1(set.package))));
            pages += found;
        }
        const QStringList own = HtmlFiles(QStringLiteral(K5_SOURCE_DIR "/tests/tools/publish/ownpages"));
        QVERIFY(own.size() >= 3);

        // What the installed pages must hold between them, so the sets stay as varied as they are.
        struct Kind {
            const char *what;
            QRegularExpression pattern;
            int least;
            int count = 0;
        };
        Kind kinds[] = {
            {"tables", Pattern("<table[\\s>]"), 50},
            {"preformatted text", Pattern("<pre[\\s>]"), 50},
            {"scripts with a body", Pattern("<script[^>]*>\\s*[^<\\s]"), 50},
            {"style sheets", Pattern("<style[\\s>]|rel=\"?stylesheet"), 50},
            {"forms", Pattern("<form[\\s>]"), 20},
            {"inline elements apart by a line break",
             Pattern("</(a|b|i|em|strong|code|tt|span|var|kbd|samp)>[ \\t]*\\r?\\n\\s*"
                     "<(a|b|i|em|strong|code|tt|span|var|kbd|samp)[\\s>]"),
             20},
            {"character references", Pattern("&([a-z]+|#[0-9]+|#x[0-9a-f]+);"), 50},
            {"non-ASCII text", Pattern("[^\\x00-\\x7f]"), 20},
            {"values with \"=\" that quotes hold", Pattern("=\"[^\"\\s<>`']*=[^\"\\s<>`']*\""), 20},
        };
        // Ours hold values with a backquote, which the installed ones lack.
        const QRegularExpression backquoted = Pattern("=\"[^\"\\s<>']*`[^\"\\s<>']*\"");
        int ownBackquoted = 0;

        const qsizetype installed = pages.size();
        pages += own;
        qint64 in = 0;
        qint64 out = 0;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QString &name = pages.at(i);
            const QByteArray page = k5test::ReadFile(name);
            const QString text = QString::fromLatin1(page);
            if (i < installed) {
                for (Kind &kind : kinds)
                    kind.count += text.contains(kind.pattern);
            } else {
                ownBackquoted += text.contains(backquoted);
            }
            const QByteArray small = Compress(page, kDefault);
            QByteArray why;
            QVERIFY2(LooksTheSame(page, small, &why, true),
                     qPrintable(name + QLatin1Char('\n') + QString::fromUtf8(why)));
            QVERIFY2(Compress(small, kDefault) == small, qPrintable(name));
            in += page.size();
            out += small.size();
        }
        for (const Kind &kind : kinds)
            QVERIFY2(kind.count >= kind.least,
                     qPrintable(QStringLiteral("only %1 pages with %2").arg(kind.count).arg(kind.what)));
        QVERIFY(ownBackquoted >= 2);
        qInfo("%lld pages, %lld bytes to %lld (%.1f%%)", qlonglong(pages.size()), in, out,
              100.0 * double(out) / double(in));
    }

    // The window.
    void windowLooksAsItShould()
    {
        TCompressor w;
        QCOMPARE(w.windowTitle(), QStringLiteral("HTML Compressor"));
        QVERIFY(w.findChild<zel::TZELFileLookup *>(QStringLiteral("Edit1")));
        QVERIFY(w.findChild<QLineEdit *>(QStringLiteral("Edit2")));
        QCOMPARE(w.Edit1->DefaultExt, QStringLiteral("html"));
        QCOMPARE(w.Edit1->Filter,
                 QStringLiteral("HTML files|*.html;*.htm;*.shtml;*.chtml;*.asp;*.cfm;*.dhtml;*.dhtm;*.phtml;*.phtm;"
                                "*.ephtml;*.ephtm|All files (*.*)|*.*"));
        QStringList texts;
        for (auto *label : w.findChildren<QLabel *>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Compress you HTML Files up to 20%")));
        QVERIFY(texts.contains(QStringLiteral("Source File:")));
        QVERIFY(texts.contains(QStringLiteral("Target File:")));
        QCOMPARE(w.Button1->text(), QStringLiteral("Com&press"));
        QCOMPARE(w.Button2->text(), QStringLiteral("&Cancel"));
        for (const char *name : {"SimpleTags", "InvCommas", "Spaces", "Returns", "AllReturns", "Webbots"})
            QVERIFY2(w.HTMLCompressor1->property(name).toBool(), name);
        QVERIFY(!w.HTMLCompressor1->Center);
    }

    void windowBrowsesCompressesAndSaysWhyItCannot()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/window");
        const QString source = k5test::WriteFile(dir + QStringLiteral("/page.htm"), "<p>\r\n<em>x</em>  y\r\n</p>");
        const QString target = dir + QStringLiteral("/small.htm");
        TCompressor w;
        {
            k5test::Answerer answer;
            answer.OnModal([&](QDialog *d) {
                auto *files = qobject_cast<QFileDialog *>(d);
                if (!files)
                    return int(platform::mrCancel);
                files->selectFile(source);
                return int(platform::mrOk);
            });
            w.Edit1->ClickButton1();
            QCOMPARE(answer.ModalCount(), 1);
            QVERIFY(answer.Messages().isEmpty());
        }
        QCOMPARE(w.Edit1->text(), source);
        w.Edit2->setText(target);
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QCOMPARE(k5test::ReadFile(target), QByteArray("<p><i>x</i> y</p>"));

        // Compressed again over the target, which is replaced whole: a second name made before keeps
        // the old bytes.
        k5test::WriteFile(source, "<p>  new  </p>");
        {
            k5test::HardLink old(target);
            QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
            QTest::mouseClick(w.Button1, Qt::LeftButton);
            QCOMPARE(old.Bytes(), QByteArray("<p><i>x</i> y</p>"));
            QCOMPARE(k5test::ReadFile(target), QByteArray("<p> new </p>"));
        }

        // A source that cannot be read: no target, and a message that says why.
        w.Edit1->setText(dir + QStringLiteral("/missing.htm"));
        w.Edit2->setText(dir + QStringLiteral("/none.htm"));
        {
            k5test::User person;
            person.Click(QStringLiteral("OK"));
            QTest::mouseClick(w.Button1, Qt::LeftButton);
            k5test::Settle();
            QVERIFY(person.Done());
            QCOMPARE(person.Texts, QStringList{QStringLiteral("Cannot open file \"%1\". No such file or directory.")
                                                   .arg(QDir::toNativeSeparators(dir + QStringLiteral("/missing.htm")))});
        }
        QVERIFY(!QFile::exists(dir + QStringLiteral("/none.htm")));

        // A result that cannot be saved (its folder is a file): the message says why.
        const QString blocker = k5test::WriteFile(dir + QStringLiteral("/blocker"), "a file");
        w.Edit1->setText(source);
        w.Edit2->setText(blocker + QStringLiteral("/small.htm"));
        {
            k5test::User person;
            person.Click(QStringLiteral("OK"));
            QTest::mouseClick(w.Button1, Qt::LeftButton);
            k5test::Settle();
            QVERIFY(person.Done());
            QCOMPARE(person.Texts.size(), 1);
            const QString shown = QDir::toNativeSeparators(blocker + QStringLiteral("/small.htm"));
            QVERIFY2(person.Texts[0].startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(shown)),
                     qPrintable(person.Texts[0]));
        }
        QCOMPARE(k5test::ReadFile(blocker), QByteArray("a file"));

        // An empty source gives nothing to save: the target stays as it was, and the message says so.
        const QString empty = k5test::WriteFile(dir + QStringLiteral("/empty.htm"), QByteArray());
        w.Edit1->setText(empty);
        w.Edit2->setText(target);
        {
            k5test::User person;
            person.Click(QStringLiteral("OK"));
            QTest::mouseClick(w.Button1, Qt::LeftButton);
            k5test::Settle();
            QVERIFY(person.Done());
            QCOMPARE(person.Texts, QStringList{QStringLiteral("The source file \"%1\" is empty: there is nothing to compress.")
                                                   .arg(QDir::toNativeSeparators(empty))});
        }
        QCOMPARE(k5test::ReadFile(target), QByteArray("<p> new </p>"));

        w.show();
        QTest::mouseClick(w.Button2, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }
};

K5_TEST_MAIN(TestHtmlCompressor)
#include "test_htmlcompressor.moc"
