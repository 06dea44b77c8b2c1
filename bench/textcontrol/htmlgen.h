#pragma once
// Deterministic HTML for the benchmark: tags with quoted attributes, comments and script blocks in
// lines of about 60 characters, or one long line.
#include <QByteArray>

namespace benchtext {

inline QByteArray GenerateHtml(qint64 bytes, bool oneLine)
{
    QByteArray out;
    out.reserve(bytes + 256);
    const char *eol = oneLine ? "" : "\r\n";
    qint64 i = 0;
    while (out.size() < bytes) {
        QByteArray n = QByteArray::number(i);
        switch (i % 12) {
        case 0: out += "<div class=\"row" + n + "\" id=\"r" + n + "\">Item number " + n + " here</div>"; break;
        case 1: out += "<p>Some plain words, more words and a <b>bold</b> piece " + n + "</p>"; break;
        case 2: out += "<!-- a comment that explains block " + n + " in a few words -->"; break;
        case 3: out += "<a href=\"page" + n + ".html\" title=\"Page " + n + "\">Go to page " + n + "</a>"; break;
        case 4: out += "<SCRIPT>"; break;
        case 5: out += "  var total" + n + " = compute(\"value\", " + n + "); // running sum"; break;
        case 6: out += "  if (total" + n + " > 10) { show(\"big\"); } else { hide(); }"; break;
        case 7: out += "</SCRIPT>"; break;
        case 8: out += "<img src=\"images/pic" + n + ".gif\" width=\"120\" height=\"80\" alt=\"\">"; break;
        case 9: out += "<table border=\"1\"><tr><td>Cell " + n + "</td><td>next</td></tr></table>"; break;
        case 10: out += "Plain text line " + n + " with < and > signs and some more text"; break;
        default: out += "<input type=\"text\" name=\"field" + n + "\" value=\"\" size=\"20\">"; break;
        }
        out += eol;
        ++i;
    }
    return out;
}

} // namespace benchtext
