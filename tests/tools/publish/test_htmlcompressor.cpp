#include "k5test.h"

#include "tools/publish/compressorform.h"
#include "tools/publish/htmlcompressor.h"

#include "controls/zel/lookupedit.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using publish::TCompressor;
using publish::THTMLCompressor;

namespace {

enum Option : unsigned {
    kSimpleTags = 1, kCenter = 2, kInvCommas = 4, kSpaces = 8, kReturns = 16, kAllReturns = 32, kWebbots = 64,
    kAll = 127,
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
    void everyOptionIsOnAtCreation()
    {
        THTMLCompressor c;
        for (const char *name : {"SimpleTags", "Center", "InvCommas", "Spaces", "Returns", "AllReturns", "Webbots"})
            QVERIFY2(c.property(name).toBool(), name);
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
            {"<br>\nx\n", "<br> x\n"},
            {"\r\nabc", "\nabc"},
            {"<a\r\nhref=x>\r\n", "<a\r\nhref=x>"},
            {"<pre>\r\na  \r\n</pre>\r\n<p>", "<pre>\r\na  \r\n</pre><p>"},
            {"<script>\r\nif (a)\r\n\r\n  b();\r\n</script>\r\n<p>", "<script>\r\nif (a)\r\n\r\n  b();\r\n</script><p>"},
            {"a\r\n<pre>b\r\n", "a <pre>b\r\n"},
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

    // 5. Short tag names.
    void simpleTags_data()
    {
        AddRows({
            {"<STRONG>a</Strong><em>b</EM><strike>c</strike>", "<b>a</b><i>b</i><s>c</s>"},
            {"<pre><strong>x</strong></pre>", "<pre><b>x</b></pre>"},
            {"<script>s='<strong>'</script><em>", "<script>s='<strong>'</script><i>"},
            // A closing tag is shortened only together with its bare opening tag.
            {"<strong class=x>a</strong><strong>b</strong>", "<strong class=x>a</strong><b>b</b>"},
            {"<em><em class=y>a</em>b</em></em>", "<i><em class=y>a</em>b</i></em>"},
            {"<STRIKE>a<strike >b</strike>", "<s>a<strike >b</strike>"},
        });
    }
    void simpleTags()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kSimpleTags), expected);
    }

    // 6. Centred paragraphs.
    void center_data()
    {
        AddRows({
            {"<p align=center>x</p>", "<center>x</center>"},
            {"<P ALIGN=\"CENTER\">x</P><p>y</p>", "<center>x</center><p>y</p>"},
            {"<p align=center>a</p><p align=center>b", "<center>a</center><p align=center>b"},
            // A "</p>" after another paragraph began closes that one.
            {"<p align=center>a<p align=center>b</p>", "<p align=center>a<center>b</center>"},
            {"<p align=center>a<P>b</p>c</p>", "<p align=center>a<P>b</p>c</p>"},
            {"<p align=center>a<center>b</center></p>", "<p align=center>a<center>b</center></p>"},
            {"<p align=center>a<pre>b</pre></p>", "<center>a<pre>b</pre></center>"},
            {"<script><p align=center></script></p>", "<script><center></script></center>"},
        });
    }
    void center()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QCOMPARE(Compress(input, kCenter), expected);
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
            "<center>Hello <b>big</b> wide\nworld</center>"
            "<IMG SRC=a.gif ALT=\"a picture\">"
            "<PRE>\r\n  keep   this\r\n</PRE>"
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
        QCOMPARE(Compress(expected, kAll), expected);
    }

    void loadCompressSaveThroughFiles()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/compress");
        const QString source = k5test::WriteFile(dir + QStringLiteral("/in.html"), "<p>\r\n<strong>x</strong>\r\n</p>");
        const QString target = dir + QStringLiteral("/out.html");
        THTMLCompressor c;
        QVERIFY(c.Load(source));
        c.Compress();
        QVERIFY(c.Save(target));
        QCOMPARE(k5test::ReadFile(target), QByteArray("<p><b>x</b></p>"));
        QCOMPARE(QFileInfo(target).size(), qint64(c.CompressedSize()));

        // A failed load keeps what was there.
        QVERIFY(!c.Load(dir + QStringLiteral("/missing.html")));
        QCOMPARE(c.Buffer(), QByteArray("<p><b>x</b></p>"));

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
        for (const char *name : {"SimpleTags", "Center", "InvCommas", "Spaces", "Returns", "AllReturns", "Webbots"})
            QVERIFY2(w.HTMLCompressor1->property(name).toBool(), name);
    }

    void windowBrowsesCompressesAndSaysNothing()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/window");
        const QString source = k5test::WriteFile(dir + QStringLiteral("/page.htm"), "<p>\r\n<em>x</em>  y\r\n</p>");
        const QString target = dir + QStringLiteral("/small.htm");
        k5test::Answerer answer;
        answer.OnModal([&](QDialog *d) {
            auto *files = qobject_cast<QFileDialog *>(d);
            if (!files)
                return int(platform::mrCancel);
            files->selectFile(source);
            return int(platform::mrOk);
        });
        TCompressor w;
        w.Edit1->ClickButton1();
        QCOMPARE(answer.ModalCount(), 1);
        QCOMPARE(w.Edit1->text(), source);
        w.Edit2->setText(target);
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QCOMPARE(k5test::ReadFile(target), QByteArray("<p><i>x</i> y </p>"));

        // A source that cannot be read: no target, no message.
        w.Edit1->setText(dir + QStringLiteral("/missing.htm"));
        w.Edit2->setText(dir + QStringLiteral("/none.htm"));
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        QVERIFY(!QFile::exists(dir + QStringLiteral("/none.htm")));
        QVERIFY(answer.Messages().isEmpty());

        w.show();
        QTest::mouseClick(w.Button2, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }
};

K5_TEST_MAIN(TestHtmlCompressor)
#include "test_htmlcompressor.moc"
