// Times the HTML compressor (every pass on) on 1, 10 and 100 MB of generated pages and runs the
// "minify" tool (package minify) on the same files for comparison. Prints MB/s for both and the
// milliseconds for the 1 MB page (the goal: under 50 ms, and at least as fast as minify).
#include "benchtime.h"
#include "tools/publish/htmlcompressor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A page as an editor of the time wrote it: CR LF lines, indenting, quoted attributes, centred
// paragraphs, strong and em, a script and a pre block now and then.
QByteArray MakePage(qsizetype bytes)
{
    QByteArray page = "<HTML>\r\n<HEAD>\r\n  <TITLE>Generated page</TITLE>\r\n</HEAD>\r\n<BODY BGCOLOR=\"#ffffff\">\r\n";
    for (int i = 0; page.size() < bytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        page += "\r\n<P ALIGN=\"center\">\r\n    <STRONG>Section " + n + "</STRONG>\r\n</P>\r\n"
                "<P>  Some   text with <EM>emphasis</EM> and a <A HREF=\"page" + n + ".htm\" TARGET=\"_top\">link</A>,\r\n"
                "    continued on a second line     with blanks.</P>\r\n"
                "<IMG SRC=\"images/pic" + n + ".gif\" ALT=\"picture number " + n + "\" WIDTH=\"100\" HEIGHT=\"80\" >\r\n\r\n"
                "<TABLE BORDER=\"1\" CELLPADDING=\"2\">\r\n  <TR>\r\n    <TD>cell</TD>\r\n    <TD><STRIKE>old</STRIKE></TD>\r\n  </TR>\r\n</TABLE>\r\n";
        if (i % 10 == 0)
            page += "<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\n  var  count = " + n + ";\r\n\r\n  document.write(\"x\");\r\n// -->\r\n</SCRIPT>\r\n";
        if (i % 25 == 0)
            page += "<PRE>\r\n  keep    this\r\n\r\n  as it is\r\n</PRE>\r\n";
        if (i % 40 == 0)
            page += "<!--webbot bot=\"Timestamp\" S-Type=\"EDITED\" S-Format=\"%d.%m.%y\" -->\r\n";
    }
    page += "\r\n</BODY>\r\n</HTML>\r\n";
    return page;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString minify = QStandardPaths::findExecutable(QStringLiteral("minify"));
    std::printf("%-8s %12s %12s %14s %12s %12s\n", "size", "ours ms", "ours MB/s", "ours out %", "minify ms",
                "minify MB/s");
    for (int mb : {1, 10, 100}) {
        const QByteArray page = MakePage(qsizetype(mb) * 1024 * 1024);
        const double megabytes = double(page.size()) / (1024.0 * 1024.0);
        const int runs = mb == 100 ? 3 : (mb == 10 ? 5 : 15);
        QByteArray result;
        const double ours = benchtime::MedianMs(runs, [&] {
            publish::THTMLCompressor c;
            c.LoadFromBytes(page);
            c.Compress();
            result = c.Buffer();
        });

        double theirs = -1;
        if (!minify.isEmpty()) {
            const QString in = dir.filePath(QStringLiteral("page%1.html").arg(mb));
            const QString out = dir.filePath(QStringLiteral("out%1.html").arg(mb));
            QFile f(in);
            if (f.open(QIODevice::WriteOnly))
                f.write(page);
            f.close();
            theirs = benchtime::MedianMs(runs, [&] {
                QProcess::execute(minify, {QStringLiteral("--type=html"), QStringLiteral("-o"), out, in});
            });
        }
        std::printf("%-8s %12.1f %12.1f %13.1f%% %12.1f %12.1f\n", qPrintable(QStringLiteral("%1 MB").arg(mb)), ours,
                    megabytes / (ours / 1000.0), 100.0 * double(result.size()) / double(page.size()), theirs,
                    theirs > 0 ? megabytes / (theirs / 1000.0) : 0.0);
    }
    if (minify.isEmpty())
        std::printf("minify is not installed (package minify): no comparison\n");
    return 0;
}
