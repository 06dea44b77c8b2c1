#pragma once
// Pages beside the generated ones: real documentation pages where Debian packages install them (see
// scripts/packages.txt, "bench"), repeated to the size asked; a real page in Windows-1252; and a page in
// scripts that the machine's fonts do not cover, written here.
#include "realpage.h"

#include "platform/textfile.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace benchtext {

// The first of the paths that exists, repeated whole until it holds at least `bytes`; empty when none.
inline QByteArray RepeatedFile(const QStringList &paths, qint64 bytes)
{
    for (const QString &path : paths) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray one = f.readAll();
        if (one.isEmpty())
            continue;
        QByteArray out;
        out.reserve(bytes + one.size());
        while (out.size() < bytes)
            out += one;
        return out;
    }
    return {};
}

// The API page that the nodejs packages install (Debian's nodejs-doc, or nodejs where it brings it).
inline QByteArray NodePage(qint64 bytes) { return RepeatedFile({QStringLiteral("/usr/share/doc/nodejs/api/all.html")}, bytes); }

// The manual that nettle-dev installs.
inline QByteArray NettlePage(qint64 bytes) { return RepeatedFile({QStringLiteral("/usr/share/doc/nettle-dev/nettle.html")}, bytes); }

// The node API page in Windows-1252: its characters beyond Windows-1252 become "?".
inline QByteArray Windows1252Page(qint64 bytes)
{
    const QString text = QString::fromUtf8(NodePage(bytes));
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int b = c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? int(c) : -1;
        for (int k = 0; k < 32 && b < 0; ++k)
            if (platform::kWindows1252High[k] == c)
                b = 0x80 + k;
        out[i] = char(b < 0 ? '?' : b);
    }
    return out;
}

// Words of one script from the letters of its block, the same every run.
inline QString ScriptWords(char32_t first, int letters, int words, quint32 &seed)
{
    QString s;
    for (int w = 0; w < words; ++w) {
        if (w)
            s += QLatin1Char(' ');
        seed = seed * 1103515245u + 12345u;
        const int n = 2 + int((seed >> 16) % 7);
        for (int k = 0; k < n; ++k) {
            seed = seed * 1103515245u + 12345u;
            s += QChar(char16_t(first + (seed >> 16) % quint32(letters)));
        }
    }
    return s;
}

// The blocks of twenty scripts that the fonts here lack (Indic, South-East Asian, Ethiopic, CJK, Hangul):
// first letter and how many letters follow it.
struct Script {
    const char *code;
    char32_t first;
    int letters;
};
inline const Script kScripts[] = {{"hi", 0x0905, 53}, {"bn", 0x0985, 53}, {"pa", 0x0A05, 53}, {"gu", 0x0A85, 53},
                                  {"or", 0x0B05, 53}, {"ta", 0x0B85, 53}, {"te", 0x0C05, 53}, {"kn", 0x0C85, 53},
                                  {"ml", 0x0D05, 53}, {"si", 0x0D85, 66}, {"my", 0x1000, 42}, {"km", 0x1780, 51},
                                  {"am", 0x1200, 300}, {"bo", 0x0F40, 42}, {"zh", 0x4E00, 3000}, {"ja", 0x3042, 83},
                                  {"ko", 0xAC00, 3000}, {"mr", 0x0915, 37}, {"ne", 0x0930, 10}, {"lo", 0x0E81, 40}};

// A generated documentation page (realpage.h) whose every page of about 64 KB starts with a language
// switcher naming twenty languages in their scripts, and which holds a paragraph of translation in one
// of them about every 16 KB.
inline QByteArray ScriptsPage(qint64 bytes)
{
    const QByteArray base = GenerateRealPage(bytes);
    QByteArray out;
    out.reserve(bytes + bytes / 8);
    quint32 seed = 45;
    int turn = 0;
    qsizetype from = 0;
    while (from < base.size()) {
        if (turn % 4 == 0) {
            QString nav = QStringLiteral("<ul class=\"languages\">");
            for (const Script &s : kScripts)
                nav += QStringLiteral("<li><a href=\"/%1/\" lang=\"%1\">%2</a></li>").arg(QLatin1String(s.code), ScriptWords(s.first, s.letters, 1, seed));
            out += nav.toUtf8() + "</ul>\n";
        }
        const Script &s = kScripts[turn % std::size(kScripts)];
        out += QStringLiteral("<p lang=\"%1\">%2</p>\n").arg(QLatin1String(s.code), ScriptWords(s.first, s.letters, 60, seed)).toUtf8();
        ++turn;
        qsizetype to = std::min(base.size(), from + 16 * 1024);
        while (to < base.size() && base[to - 1] != '\n')
            ++to;
        out.append(base.constData() + from, to - from);
        from = to;
    }
    return out;
}

} // namespace benchtext
