#include "escape.h"

namespace dialogs {
namespace {

// Length of the character reference at i ("&name;", "&#123;", "&#x1F;"), 0 when there is none.
qsizetype referenceAt(const QString &s, qsizetype i)
{
    qsizetype j = i + 1;
    if (j < s.size() && s.at(j) == QLatin1Char('#')) {
        ++j;
        const bool hex = j < s.size() && (s.at(j) == QLatin1Char('x') || s.at(j) == QLatin1Char('X'));
        if (hex)
            ++j;
        const qsizetype digits = j;
        while (j < s.size() && (hex ? isxdigit(s.at(j).unicode()) != 0 && s.at(j).unicode() < 128 : s.at(j).isDigit()))
            ++j;
        if (j == digits)
            return 0;
    } else {
        const qsizetype letters = j;
        while (j < s.size() && s.at(j).unicode() < 128 && s.at(j).isLetterOrNumber())
            ++j;
        if (j == letters)
            return 0;
    }
    return j < s.size() && s.at(j) == QLatin1Char(';') ? j + 1 - i : 0;
}

// Each character of text in turn, with the text and its place, gives what it is written as (empty: itself).
template <class Escape> QString eachCharacter(const QString &text, Escape escape)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString replaced = escape(text, i);
        out += replaced.isEmpty() ? QString(text.at(i)) : replaced;
    }
    return out;
}

} // namespace

QString HtmlAttribute(const QString &value)
{
    return eachCharacter(value, [](const QString &s, qsizetype i) {
        if (s.at(i) == QLatin1Char('"'))
            return QStringLiteral("&quot;");
        return s.at(i) == QLatin1Char('&') && referenceAt(s, i) == 0 ? QStringLiteral("&amp;") : QString();
    });
}

QString HtmlText(const QString &text)
{
    return eachCharacter(text, [](const QString &s, qsizetype i) {
        switch (s.at(i).unicode()) {
        case '<': return QStringLiteral("&lt;");
        case '>': return QStringLiteral("&gt;");
        case '&': return QStringLiteral("&amp;");
        default: return QString();
        }
    });
}

QString UrlQueryValue(const QString &value)
{
    return eachCharacter(value, [](const QString &s, qsizetype i) {
        switch (s.at(i).unicode()) {
        case '&': return QStringLiteral("%26");
        case '#': return QStringLiteral("%23");
        case '%': return QStringLiteral("%25");
        default: return QString();
        }
    });
}

QString UrlPath(const QString &path)
{
    static const QLatin1String kept("!$&'()*+,-./=@[]_~");
    return eachCharacter(path, [](const QString &s, qsizetype i) {
        const char16_t c = s.at(i).unicode();
        if (c > 0x7f || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            kept.contains(QLatin1Char(char(c))))
            return QString();
        return QStringLiteral("%%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper();
    });
}

QString JsString(const QString &value)
{
    return eachCharacter(value, [](const QString &s, qsizetype i) {
        switch (s.at(i).unicode()) {
        case '\\': return QStringLiteral("\\\\");
        case '"': return QStringLiteral("\\\"");
        case '\'': return QStringLiteral("\\'");
        case '\r': return QStringLiteral("\\r");
        case '\n': return QStringLiteral("\\n");
        case 0x2028: return QStringLiteral("\\u2028");
        case 0x2029: return QStringLiteral("\\u2029");
        // "</script" inside a string would end the script element.
        case '/': return i > 0 && s.at(i - 1) == QLatin1Char('<') ? QStringLiteral("\\/") : QString();
        default: return QString();
        }
    });
}

QString VbsString(const QString &value)
{
    QString out = value;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    out.replace(QLatin1Char('\n'), QStringLiteral("\" & vbCrLf & \""));
    return out;
}

} // namespace dialogs
