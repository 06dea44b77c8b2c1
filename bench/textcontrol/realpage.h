#pragma once
// A deterministic UTF-8 page with the character mix of real documentation: a head with style and script,
// navigation, prose paragraphs on long lines with a few accented letters, curly quotes and symbols per
// screen, code blocks, tables and lists. Pages differ in their numbers and in which sentences they pick;
// the page is repeated to the size asked for. About one character in five hundred and fifty is not ASCII, and
// each page has one character outside the Basic Multilingual Plane.
#include <QByteArray>
#include <cstdint>

namespace benchtext {

namespace realpage {

// Sentences of prose; most picks come from the plain ones (kPlain below), as in real pages.
inline const char *const kSentences[] = {
    "The editor keeps every document in memory and writes it back in one step, so a failed save never leaves half a file behind.",
    "Open the Settings window from the Tools menu and choose the folder where new pages are created.",
    "Each tag dialog fills in its fields from the selection, which makes it quick to change an existing link.",
    "When the page is saved, the line ends it was opened with are kept unless you change them on the File tab.",
    "A project file lists the documents of one site together with the folder they are uploaded to.",
    "The preview shows the page as a browser would, with the scripts running and the style sheets applied.",
    "Use the search window to find a word in every file of a folder; double-click a result to open the file at that line.",
    "Tables can be drawn with the grid, which asks for the number of rows and columns before it inserts anything.",
    "Caf\xc3\xa9 owners in S\xc3\xa3o Paulo used the template for their menus \xe2\x80\x94 the prices in \xe2\x82\xac stayed readable on phones.",
    "The \xe2\x80\x9cKeep line ends\xe2\x80\x9d option is on by default; turn it off only when the server expects CR LF.",
    "It\xe2\x80\x99s safe to close the window while an upload runs: the program asks first and waits for the transfer to end.",
    "Temperatures are shown as 21\xc2\xb0" "C or 70\xc2\xb0" "F, and sizes as 1024\xc3\x97" "768 pixels.",
    "Na\xc3\xafve markup still works, but the checker marks every tag that is opened and never closed.",
    "Colours are picked from the palette; the hexadecimal value appears in the field beside it.",
    "The r\xc3\xa9sum\xc3\xa9 template from the wizard uses two columns \xe2\x80\x93 one for dates, one for the text.",
    "Keyboard shortcuts are listed in the Help menu and can be printed as a single page.",
    "Everything after the closing html tag is kept as it is, so comments placed there are not lost.",
    "Copyright \xc2\xa9 2026 by the authors; the examples may be copied freely \xe2\x80\xa6 with or without changes.",
    "Images are inserted with their width and height, which lets the browser lay out the page before they arrive.",
    "The spell checker skips words inside tags and attributes, and it learns new words from the user\xe2\x80\x99s list.",
    "Choose \xe2\x80\x98Insert\xe2\x80\x99 \xe2\x86\x92 \xe2\x80\x98Special character\xe2\x80\x99 to add a symbol such as \xe2\x84\xa2 or \xc2\xae.",
    "Relative links are resolved against the folder of the current document, not the folder of the program.",
    "A value must be \xe2\x89\xa4 255 for each colour channel; larger numbers are clamped and a warning is shown.",
    "The Z\xc3\xbcrich and K\xc3\xb8" "benhavn offices translated the manual; their glossaries are in the appendix.",
    "Frames are split with the mouse or by typing the sizes in percent, and the result can be previewed at once.",
};

inline const char *const kCode[] = {
    "function toggle(id) {\n  var el = document.getElementById(id);\n  if (!el) return false;\n"
    "  el.style.display = el.style.display == \"none\" ? \"block\" : \"none\";\n  return true;\n}\n",
    "for (var i = 0; i < rows.length; i++) {\n  var cells = rows[i].getElementsByTagName(\"td\");\n"
    "  total += parseFloat(cells[2].innerHTML) || 0;\n}\n",
    ".menu a:hover { color: #003366; background: #e0e8f0; }\n.menu li { list-style: none; margin: 0 0 4px 0; }\n"
    "body { font-family: Verdana, Arial, sans-serif; font-size: 10pt; }\n",
    "&lt;form action=\"send.php\" method=\"post\"&gt;\n  &lt;input type=\"text\" name=\"email\" size=\"30\"&gt;\n"
    "  &lt;input type=\"submit\" value=\"Send\"&gt;\n&lt;/form&gt;\n",
    "if (navigator.userAgent.indexOf(\"MSIE\") != -1) {\n  // old browsers need the layer moved by hand\n"
    "  document.all.layer1.style.pixelTop = y;\n} else {\n  document.getElementById(\"layer1\").style.top = y + \"px\";\n}\n",
};

inline const char *const kCells[] = {"Ctrl+S", "Save", "Ctrl+O", "Open", "F9", "Preview", "Ctrl+F", "Find",
                                     "Ctrl+H", "Replace", "F7", "Spelling", "Ctrl+Shift+T", "Table", "Alt+\xe2\x86\x90", "Back"};

// A small generator of our own so that the page is the same on every machine.
struct Lcg {
    uint32_t s;
    uint32_t Next()
    {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    }
};

inline void Paragraph(QByteArray &out, Lcg &r, int sentences)
{
    out += "<p>";
    const int n = int(sizeof kSentences / sizeof kSentences[0]);
    static const int kPlain[14] = {0, 1, 2, 3, 4, 5, 6, 7, 13, 15, 16, 18, 21, 24};
    for (int i = 0; i < sentences; ++i) {
        if (i)
            out += ' ';
        const uint32_t pick = r.Next();
        const int k = int(pick % 6 == 0 ? pick / 6 % uint32_t(n) : kPlain[pick / 6 % 14]);
        if (pick % 11 == 0)
            out += "<a href=\"topic" + QByteArray::number(pick % 997) + ".html\">";
        out += kSentences[k];
        if (pick % 11 == 0)
            out += "</a>";
    }
    out += "</p>\n";
}

inline void Page(QByteArray &out, int page)
{
    Lcg r{uint32_t(page) * 2654435761u + 12345u};
    const QByteArray n = QByteArray::number(page);
    out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html lang=\"en\">\n<head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n<title>Manual, chapter " +
           n + " \xe2\x80\x93 Working with pages</title>\n<link rel=\"stylesheet\" href=\"manual.css\" type=\"text/css\">\n"
               "<style type=\"text/css\">\n  h2 { border-bottom: 1px solid #cccccc; }\n  pre { background: #f4f4f4; padding: 6px; }\n"
               "</style>\n<script type=\"text/javascript\">\n  var chapter = " +
           n + ";\n  function next() { location.href = \"chapter\" + (chapter + 1) + \".html\"; }\n</script>\n</head>\n"
               "<body>\n<div class=\"nav\"><a href=\"index.html\">Contents</a> | <a href=\"chapter" +
           QByteArray::number(page - 1) + ".html\">\xe2\x86\x90 Previous</a> | <a href=\"chapter" + QByteArray::number(page + 1) +
           ".html\">Next \xe2\x86\x92</a></div>\n<h1>Chapter " + n + ": Working with pages</h1>\n";
    for (int section = 0; section < 6; ++section) {
        out += "<h2 id=\"s" + n + "_" + QByteArray::number(section) + "\">" + n + "." + QByteArray::number(section + 1) +
               " Section title number " + QByteArray::number(section + 1) + "</h2>\n";
        Paragraph(out, r, 3 + int(r.Next() % 6));
        Paragraph(out, r, 1 + int(r.Next() % 3));
        switch (section % 3) {
        case 0:
            out += "<pre><code>";
            out += kCode[r.Next() % 5];
            out += "</code></pre>\n";
            break;
        case 1:
            out += "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">\n<tr><th>Keys</th><th>Command</th></tr>\n";
            for (int i = 0; i < 8; ++i)
                out += QByteArray("<tr><td><kbd>") + kCells[2 * i] + "</kbd></td><td>" + kCells[2 * i + 1] + "</td></tr>\n";
            out += "</table>\n";
            break;
        default:
            out += "<ul>\n";
            for (int i = 0; i < 5; ++i) {
                out += "  <li>";
                out += kSentences[r.Next() % 8];
                out += "</li>\n";
            }
            out += "</ul>\n";
            break;
        }
        Paragraph(out, r, 6 + int(r.Next() % 10)); // a long line
    }
    out += "<!-- generated index entry " + n + " -->\n<p class=\"note\">Note \xf0\x9f\x93\x9d: the examples of chapter " + n +
           " are in the folder <code>examples/" + n + "</code>.</p>\n<div class=\"footer\">\xc2\xa9 Manual authors \xc2\xb7 "
           "<a href=\"#top\">Top</a></div>\n</body>\n</html>\n";
}

} // namespace realpage

// Pages of the manual, one after another, cut at the first line end at or past `bytes`; or all on one
// line (line ends made spaces, cut at `bytes` on a character boundary).
inline QByteArray GenerateRealPage(qint64 bytes, bool oneLine = false)
{
    QByteArray out;
    out.reserve(bytes + 32768);
    for (int page = 1; out.size() < bytes; ++page)
        realpage::Page(out, page);
    if (oneLine) {
        out.replace('\n', ' ');
        qsizetype cut = bytes;
        while (cut < out.size() && (uchar(out[cut]) & 0xC0) == 0x80)
            ++cut;
        out.truncate(cut);
        return out;
    }
    const qsizetype cut = out.indexOf('\n', bytes - 1);
    if (cut >= 0)
        out.truncate(cut + 1);
    return out;
}

} // namespace benchtext
