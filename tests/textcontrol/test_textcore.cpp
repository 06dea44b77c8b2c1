// The text control's core without a window: storage, streams, key lists, highlighting, wrapping,
// the edit core and undo.
#include "k5test.h"

#include "platform/error.h"
#include "platform/formstream.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/memocore.h"
#include "textcontrol/rilostrings.h"
#include "textcontrol/textdocument.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>
#include <set>
#include <functional>

using namespace textcontrol;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// A memo that formats at once, wraps at `width` fixed-width characters.
struct Memo : MemoCore {
    explicit Memo(const QString &text = QString(), int width = 200)
    {
        SetUpdateMode(TUpdateMode::umImmediate);
        SetClientSize(width + 16, 100);
        if (!text.isEmpty())
            SetTextBuf(text);
    }
    void Type(const QString &s)
    {
        for (QChar c : s)
            SetSelText(QString(c));
    }
    void Html() { FillHtmlRules(Keywords(), StartStopKeys()); ReApplyKeys(); }
    void Limit(int chars) { Document().SetMaxLength(chars); }
    QByteArray Save() { return SaveToBytes(); }
    qint16 Ctx(int offset) const { return StateAt(offset).IsContext() ? StateAt(offset).context : 0; }
};

QString Load(MemoCore &m, const QByteArray &bytes)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    m.LoadFromStream(b);
    return m.Text();
}

QByteArray Save(MemoCore &m)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    m.SaveToStream(b);
    return b.data();
}

QString HtmlDoc(int lines)
{
    QString s;
    for (int i = 0; i < lines; ++i) {
        switch (i % 5) {
        case 0: s += QStringLiteral("<p class=\"c%1\">Some text %1 here</p>").arg(i); break;
        case 1: s += QStringLiteral("<!-- comment %1 -->").arg(i); break;
        case 2: s += QStringLiteral("<a href=\"x%1.html\">link</a> and < more >").arg(i); break;
        case 3: s += QStringLiteral("<SCRIPT>var a = {b: \"%1\"}; // note").arg(i); break;
        default: s += QStringLiteral("</SCRIPT> plain words %1").arg(i); break;
        }
        s += CRLF;
    }
    return s;
}

// Every position's state of two memos holding the same text.
bool SameHighlighting(MemoCore &a, MemoCore &b, QString *where)
{
    a.FormatRange(0, a.ParagraphCount() - 1);
    b.FormatRange(0, b.ParagraphCount() - 1);
    if (a.Text() != b.Text()) {
        *where = QStringLiteral("text");
        return false;
    }
    for (int o = 0; o <= a.CharCount(); ++o) {
        const TContextState x = a.StateAt(o), y = b.StateAt(o);
        if (x.IsContext() != y.IsContext() || (x.IsContext() && (x.context != y.context || !SameContext(x, y)))) {
            *where = QStringLiteral("offset %1: %2 vs %3").arg(o).arg(x.context).arg(y.context);
            return false;
        }
    }
    return true;
}

} // namespace

class TestTextCore : public QObject {
    Q_OBJECT
private slots:
    void emptyMemo()
    {
        MemoCore m;
        QCOMPARE(m.CharCount(), 0);
        QCOMPARE(m.ParagraphCount(), 1);
        QCOMPARE(m.LineCount(), 1);
        m.SelectAll();
        QCOMPARE(m.SelStart(), 0);
        QCOMPARE(m.SelLength(), 0);
        QCOMPARE(m.Progress(), -1);
        QVERIFY(!m.Modified());
        m.SetTextBuf(QString());
        QVERIFY(!m.Modified()); // empty into empty changes nothing
        m.SetTextBuf(QStringLiteral("x"));
        QVERIFY(m.Modified());
    }

    void loadingSplitsParagraphs()
    {
        Memo m;
        QCOMPARE(Load(m, "a\r\nb"), QStringLiteral("a\r\nb"));
        QCOMPARE(m.ParagraphCount(), 2);
        Load(m, "a\n\rb");
        QCOMPARE(m.ParagraphCount(), 2);
        Load(m, "a\r\rb");
        QCOMPARE(m.ParagraphCount(), 3);
        QCOMPARE(m.ParagraphText(1), QString());
        Load(m, "abc\r\n");
        QCOMPARE(m.ParagraphCount(), 2);
        QCOMPARE(m.Lines().Count(), 1);
        QCOMPARE(m.CharCount(), 5);
        QCOMPARE(m.CharAt(3), QLatin1Char('\r'));
        QCOMPARE(m.CharAt(4), QLatin1Char('\n'));
        QCOMPARE(m.ParagraphStart(1), 5);
        QCOMPARE(m.GetTextPart(-5, 100), QStringLiteral("abc\r\n"));
        QCOMPARE(m.GetTextPart(3, 2), QString());
    }

    void loadingReplacesReservedCharacters()
    {
        Memo m;
        Load(m, QByteArray("a\x05" "b", 3));
        QCOMPARE(m.Text(), QString(QStringLiteral("a") + QChar(167) + QStringLiteral("b")));
        Load(m, QByteArray("ab\0cd", 5));
        QCOMPARE(m.Text(), QStringLiteral("ab"));
        m.SetNullReplacement(QLatin1Char('?'));
        Load(m, QByteArray("ab\0cd", 5));
        QCOMPARE(m.Text(), QStringLiteral("ab?cd"));
        // Long runs of plain bytes are read eight at a time; what follows them still counts.
        static const char raw[] = "0123456789abcdefgh\r\n0123456789ab\x02" "cdefghij\x05klmnopqrstu\0v\n\rlast byte is non-ASCII \xc3\xa6";
        Load(m, QByteArray(raw, sizeof(raw) - 3)); // all ASCII
        QCOMPARE(m.ParagraphCount(), 3);
        QCOMPARE(m.ParagraphText(1), QString(QStringLiteral("0123456789ab\x02" "cdefghij") + QChar(167) + QStringLiteral("klmnopqrstu?v")));
        QCOMPARE(m.ParagraphText(2), QStringLiteral("last byte is non-ASCII "));
        const QByteArray longer(raw, sizeof(raw) - 1);
        Load(m, longer);
        QCOMPARE(m.ParagraphCount(), 3);
        QCOMPARE(m.ParagraphText(1), QString(QStringLiteral("0123456789ab\x02" "cdefghij") + QChar(167) + QStringLiteral("klmnopqrstu?v")));
        QCOMPARE(int(m.StyleAt(m.ParagraphStart(2))), int(fsBold));
        QCOMPARE(m.ParagraphText(2), QStringLiteral("last byte is non-ASCII \u00e6"));
        // Non-ASCII bytes are read as UTF-8 and kept whole.
        QCOMPARE(Load(m, QStringLiteral("\u00e6\u4e2d\r\nx").toUtf8()), QStringLiteral("\u00e6\u4e2d\r\nx"));
        QCOMPARE(Save(m), QStringLiteral("\u00e6\u4e2d\r\nx").toUtf8());
    }

    void savingDropsEmptyCodePairsAndTrailingBlanks()
    {
        Memo m;
        m.SetTextBuf(QStringLiteral("x\x02\x02y\r\n\x02\x01\x02z  \t"));
        QCOMPARE(Save(m), QByteArray("xy\r\n\x01z  \t"));
        m.DropEmptyCodePairs = false;
        m.SetOptions(m.Options() | rmoDiscardTrailingSpaces);
        QCOMPARE(Save(m), QByteArray("x\x02\x02y\r\n\x02\x01\x02z"));
    }

    void largeTextKeepsOffsetsAcrossBlocks()
    {
        // Random edits against a plain string: offsets, paragraphs and text must always agree.
        QString model;
        for (int i = 0; i < 6000; ++i)
            model += QStringLiteral("line %1 with some words in it\r\n").arg(i);
        Memo m(model, 40);
        QRandomGenerator rng(7);
        const QString inserts[] = {QStringLiteral("x"), QStringLiteral("\r\n"), QStringLiteral("ab\r\ncd\r\nef"),
                                   QStringLiteral("\u4e2d"), QString(), QStringLiteral("\r\n\r\n")};
        for (int round = 0; round < 300; ++round) {
            int a = int(rng.bounded(model.size() + 1)), b = std::min<int>(int(model.size()), a + int(rng.bounded(round % 7 == 0 ? 70000 : 40)));
            // Keep CR LF pairs whole.
            if (a > 0 && a < model.size() && model[a] == QLatin1Char('\n'))
                --a;
            if (b > 0 && b < model.size() && model[b] == QLatin1Char('\n'))
                ++b;
            const QString ins = inserts[rng.bounded(6)];
            m.Select(a, b - a);
            m.SetSelText(ins);
            model.replace(a, b - a, ins);
            QCOMPARE(m.CharCount(), int(model.size()));
            QCOMPARE(m.SelStart(), a + int(ins.size()));
            if (round % 25 == 0) {
                QCOMPARE(m.Text(), model);
                m.CheckConsistency();
                const int probe = int(rng.bounded(model.size() + 1));
                const int p = m.Storage().ParagraphAt(probe);
                QVERIFY(m.ParagraphStart(p) <= probe);
                QCOMPARE(m.ParagraphCount(), int(model.count(CRLF)) + 1);
            }
        }
        QCOMPARE(m.Text(), model);
        m.CheckConsistency();
    }

    void navigatorsFollowEdits()
    {
        Memo m(QStringLiteral("0123456789\r\nabcdef"));
        TRiloNavigator before(&m), inside(&m), after(&m);
        before.SetOffset(2);
        inside.SetOffset(5);
        after.SetOffset(14);
        m.Select(4, 3);
        m.SetSelText(QStringLiteral("XYZW\r\nQ"));
        QCOMPARE(before.Offset(), 2);
        QCOMPARE(inside.Offset(), 4);
        QCOMPARE(after.Offset(), 14 + 4);
        QCOMPARE(m.GetTextPart(after.Offset(), after.Offset() + 2), QStringLiteral("cd"));
        QCOMPARE(after.Paragraph(), 2);
        TRiloNavigator free;
        free.SetOffset(99);
        QCOMPARE(free.Offset(), 99); // a free position is not clamped to any text
    }

    void linesStreamInPieces()
    {
        Memo m;
        m.SetTextBuf(QString(600, QLatin1Char('a')) + CRLF + CRLF + QStringLiteral("end"));
        platform::FormWriter w;
        m.Lines().WriteData(w);
        platform::FormReader r(w.Data());
        r.ReadListBegin();
        QStringList pieces;
        while (!r.EndOfList())
            pieces << r.ReadString();
        QCOMPARE(pieces.size(), 5);
        QCOMPARE(pieces[0].size(), 255);
        QCOMPARE(pieces[0].back(), QChar(5));
        QCOMPARE(pieces[1].size(), 255);
        QCOMPARE(pieces[2].size(), 92);
        QCOMPARE(pieces[3], QString());
        QCOMPARE(pieces[4], QStringLiteral("end"));
        Memo back;
        platform::FormReader r2(w.Data());
        back.Lines().ReadData(r2);
        QCOMPARE(back.Text(), m.Text());
    }

    void stringViews()
    {
        Memo m(QStringLiteral("one\r\ntwo\r\nthree"));
        QCOMPARE(m.Paragraphs().Count(), 3);
        m.Paragraphs().Put(1, QStringLiteral("TWO"));
        m.Paragraphs().Insert(0, QStringLiteral("zero"));
        m.Paragraphs().Delete(3);
        QCOMPARE(m.Text(), QStringLiteral("zero\r\none\r\nTWO\r\n")); // the last paragraph goes without its end
        m.Lines().Add(QStringLiteral("last"));
        QCOMPARE(m.Lines().Get(3), QStringLiteral("last"));
        QCOMPARE(m.SelStart(), m.CharCount());
        m.Lines().Delete(0);
        QCOMPARE(m.Lines().ToStringList(), QStringList({"one", "TWO", "last"}));
        m.Lines().Assign({QStringLiteral("a"), QStringLiteral("b")});
        QCOMPARE(m.Text(), QStringLiteral("a\r\nb\r\n"));
        QCOMPARE(m.Lines().Count(), 2);
        m.Lines().Insert(2, QStringLiteral("c"));
        QCOMPARE(m.Text(), QStringLiteral("a\r\nb\r\nc\r\n"));
        QVERIFY_THROWS_EXCEPTION(platform::Error, m.Lines().Get(99));
    }

    void keyListsAndTheirStreams()
    {
        TKeywordList kw;
        TKeyStyle st{1, fsBold | fsItalic, 7, -3, RGBColor(1, 2, 3), RGBColor(4, 5, 6)};
        kw.Add(QStringLiteral("Begin"), st);
        kw.Add(QStringLiteral("end"), TKeyStyle());
        kw.Assign(QStringList({"x"})); // only keyword lists are taken
        QCOMPARE(kw.Count(), 2);
        platform::FormWriter w;
        kw.WriteData(w);
        TKeywordList back;
        platform::FormReader r(w.Data());
        back.ReadData(r);
        QVERIFY(back == kw);
        TKeyStyle got;
        back.GetKeyStyle(0, got);
        QVERIFY(got == st);
        back.GetKeyStyle(5, got);
        QVERIFY(got == TKeyStyle());

        TStartStopKeyList keys;
        keys.Add(QStringLiteral("<"), QStringLiteral(">"), false, 0, 0, 0, 1, 0, 0);
        keys.Add(QStringLiteral("<"), QStringLiteral(">"), false, 0, 0, 0, 1, 0, 0);
        QCOMPARE(keys[1].link, qint16(0));
        QCOMPARE(keys[0].link, qint16(-1));
        keys.Add(QStringLiteral("rem"), QString(), true, 0, 0, 0, 3, 0, 0);
        QCOMPARE(keys[2].start, QStringLiteral("REM"));
        QCOMPARE(keys.LongestStop(), 2);
        keys.Add(QString(), QStringLiteral("x"), false, 0, 0, 0, 0, 0, 0); // ignored
        QCOMPARE(keys.Count(), 3);
        QVERIFY_THROWS_EXCEPTION(platform::Error, keys.Add(QString(256, QLatin1Char('k')), QString(), false, 0, 0, 0, 0, 0, 0));
        QVERIFY_THROWS_EXCEPTION(platform::Error, kw.Add(QString(256, QLatin1Char('k')), TKeyStyle()));
        platform::FormWriter kwr;
        keys.WriteData(kwr);
        TStartStopKeyList keysBack;
        platform::FormReader kr(kwr.Data());
        keysBack.ReadData(kr);
        QVERIFY(keysBack == keys);
        QCOMPARE(keysBack[1].link, qint16(0));
    }

    void keywordListIsAStringList()
    {
        // Every change through the string-list operations reaches the highlighting: the lookup tables
        // follow the list.
        Memo m(QStringLiteral("alpha beta Gamma gamma"));
        TKeywordList &kw = m.Keywords();
        const TKeyStyle bold{0, fsBold, 0, 0, 0, 0};
        QCOMPARE(kw.Add(QStringLiteral("alpha"), bold), 0);
        kw.Insert(0, QStringLiteral("beta"), bold);
        QVERIFY_THROWS_EXCEPTION(platform::Error, kw.Insert(3, QStringLiteral("x")));
        QCOMPARE(kw.Strings(0), QStringLiteral("beta"));
        QCOMPARE(kw.IndexOf(QStringLiteral("ALPHA")), 1);
        QCOMPARE(kw.IndexOf(QStringLiteral("delta")), -1);
        QVERIFY(*kw.Objects(1) == bold);
        m.ReApplyKeys();
        QVERIFY(m.StateAt(1).InKeyword());
        QVERIFY(m.StateAt(7).InKeyword());
        QVERIFY(!m.StateAt(12).InKeyword());

        kw.SetStrings(0, QStringLiteral("gamma")); // beta is no keyword now, gamma is
        m.ReApplyKeys();
        QVERIFY(!m.StateAt(7).InKeyword());
        QVERIFY(m.StateAt(12).InKeyword());
        QVERIFY(m.StateAt(18).InKeyword());
        // A case-sensitive record matches only the keyword as written.
        kw.SetObjects(0, TKeyStyle{kfCaseSensitive, fsItalic, 0, 0, 0, 0});
        m.ReApplyKeys();
        QVERIFY(!m.StateAt(12).InKeyword());
        QVERIFY(m.StateAt(18).InKeyword());
        QCOMPARE(kw.Objects(0)->style, quint8(fsItalic));

        kw.Exchange(0, 1);
        QCOMPARE(kw.Strings(0), QStringLiteral("alpha"));
        QCOMPARE(kw.Objects(1)->style, quint8(fsItalic));
        kw.Add(QStringLiteral("delta"));
        kw.Move(2, 0);
        QCOMPARE(kw.Text(), QStringLiteral("delta\r\nalpha\r\ngamma\r\n"));
        QVERIFY(*kw.Objects(0) == TKeyStyle());
        QVERIFY_THROWS_EXCEPTION(platform::Error, kw.Objects(3));
        QVERIFY_THROWS_EXCEPTION(platform::Error, kw.Move(0, 3));
        kw.Delete(0);
        QCOMPARE(kw.Count(), 2);
        m.ReApplyKeys();
        QVERIFY(m.StateAt(1).InKeyword());
        QVERIFY(m.StateAt(18).InKeyword());
    }

    void contextsOpenAndClose()
    {
        Memo m(QStringLiteral("text <b class=\"x\">bold</b> tail"));
        m.Html();
        QCOMPARE(m.Ctx(0), qint16(0));
        QCOMPARE(m.Ctx(14), qint16(2));  // inside the quotes
        QCOMPARE(m.Ctx(18), qint16(1));  // between > and <
        QCOMPARE(m.Ctx(m.CharCount() - 1), qint16(1)); // > ... paragraph end
        QVERIFY(m.StateAt(14).style & fsBold);
        QCOMPARE(m.StateAt(14).color, RGBColor(0, 128, 192));
        // Typing a < before the text opens nothing of its own; a quote opens a string to the next quote.
        m.Select(0, 0);
        m.SetSelText(QStringLiteral("\""));
        QCOMPARE(m.Ctx(3), qint16(2));
        QCOMPARE(m.Ctx(16), qint16(0)); // the old opening quote now closes, the old string is outside
        m.Select(0, 1);
        m.SetSelText(QString());
        QCOMPARE(m.Ctx(14), qint16(2));
        QCOMPARE(m.Ctx(0), qint16(0));
        qint16 ctx = 0;
        int a = 0, b = 0;
        QVERIFY(m.ContextAt(14, ctx, a, b));
        QCOMPARE(ctx, qint16(2));
        QCOMPARE(a, 14);
        QCOMPARE(b, 17);
    }

    void unclosedContextsRunOverParagraphs()
    {
        Memo m(QStringLiteral("a <!-- open\r\nstill\r\nend --> out\r\nfree"));
        m.Html();
        QCOMPARE(m.Ctx(m.ParagraphStart(1) + 1), qint16(2));
        QCOMPARE(m.Ctx(m.ParagraphStart(2) + 1), qint16(2));
        QCOMPARE(m.Ctx(m.ParagraphStart(2) + 9), qint16(0));
        QCOMPARE(m.Ctx(m.ParagraphStart(3) + 1), qint16(0));
        qint16 ctx;
        int a, b;
        QVERIFY(m.ContextAt(m.ParagraphStart(1) + 1, ctx, a, b));
        QCOMPARE(a, 2);
        QCOMPARE(b, m.ParagraphStart(2) + 7);
        // The line comment pair ends at the paragraph end (its stop key is empty).
        m.SetTextBuf(QStringLiteral("x // note \"q\r\nnext"));
        QCOMPARE(m.Ctx(5), qint16(3));
        QCOMPARE(m.Ctx(10), qint16(3));
        QCOMPARE(m.Ctx(m.ParagraphStart(1)), qint16(0));
        // A quote never closed stays open into the next paragraph.
        m.SetTextBuf(QStringLiteral("x \"open\r\nnext"));
        QCOMPARE(m.Ctx(m.ParagraphStart(1) + 1), qint16(2));
    }

    void startKeysInsideContextsOpenNothing()
    {
        Memo m(QStringLiteral("<!-- \"quoted\" {x} -->"));
        m.Html();
        QCOMPARE(m.StateAt(8).depth, qint8(0));
        QCOMPARE(m.Ctx(8), qint16(2));
        QCOMPARE(m.Ctx(15), qint16(2));
    }

    void startKeysMatchWhateverTheirSecondCharacter()
    {
        // Keys that share a first character with many candidates: case-folded, case-sensitive, at the
        // paragraph end, and in text held two bytes a character (the euro sign).
        for (const QString &wide : {QString(), QStringLiteral("\u20ac")}) {
            Memo m(wide + QStringLiteral("<Style>a</style> <sTYLE>b</STYLE> <p <Div>c</dIV> <!-- d -->"));
            m.Html();
            m.StartStopKeys().Add(QStringLiteral("<aB"), QStringLiteral("]"), false, 0, 0, 0, 9, 0, kfCaseSensitive);
            m.ReApplyKeys();
            const QString t = m.Text();
            QCOMPARE(m.Ctx(int(t.indexOf(QStringLiteral("a</")))), qint16(5));
            QCOMPARE(m.Ctx(int(t.indexOf(QStringLiteral("b</")))), qint16(5));
            QCOMPARE(m.Ctx(int(t.indexOf(QStringLiteral("c</")))), qint16(6));
            QCOMPARE(m.Ctx(int(t.indexOf(QStringLiteral(" d ")))), qint16(2));
            QCOMPARE(m.Ctx(int(t.indexOf(QStringLiteral("p <")))), qint16(0));
            m.SetTextBuf(wide + QStringLiteral("<Ab x] <aB y] <ab z] <"));
            QCOMPARE(m.Ctx(int(wide.size()) + 4), qint16(0));
            QCOMPARE(m.Ctx(int(wide.size()) + 11), qint16(9));
            QCOMPARE(m.Ctx(int(wide.size()) + 18), qint16(0));
            QCOMPARE(m.Ctx(m.CharCount() - 1), qint16(1)); // a lone "<" ending the paragraph: the keyword only
        }
    }

    void keysOfOneCharacterAndKeywordStarts()
    {
        // A pair key of one character matches without a full comparison, and keywords are looked for
        // only where one may start after a separator: the contexts are those of the full test, in
        // either case, whether the text is held one byte a character or two.
        const QString lines[] = {
            QStringLiteral("\u00c91\u00f8 q2Q Q3 a \u00b5x b;k c ;k d \u00b5xy"),
            QStringLiteral("w 4 w w5w ok OK \u00e9 open to the end"),
            QStringLiteral(";k at the start, at the end ;k"),
            QStringLiteral("only \u00b5x here"),
        };
        QList<qint16> narrow;
        for (const QString &wide : {QString(), QStringLiteral("\u20ac ")}) {
            QString text;
            for (const QString &l : lines)
                text += wide + l + CRLF;
            Memo m(text);
            m.StartStopKeys().Add(QStringLiteral("\u00e9"), QStringLiteral("\u00d8"), true, 0, 0, 0, 3, 0, 0);
            m.StartStopKeys().Add(QStringLiteral("q"), QStringLiteral("Q"), false, 0, 0, 0, 4, 0, kfCaseSensitive);
            m.StartStopKeys().Add(QStringLiteral("w"), QStringLiteral("w"), false, 0, 0, 0, 5, 0, kfWholeWords);
            m.Keywords().Add(QStringLiteral("\u03bcx"), TKeyStyle{0, 0, 7, 0, 0, 0}); // the micro sign folds to mu
            m.Keywords().Add(QStringLiteral(";k"), TKeyStyle{0, 0, 8, 0, 0, 0});
            m.Keywords().Add(QStringLiteral("ok"), TKeyStyle{kfCaseSensitive, 0, 9, 0, 0, 0});
            m.ReApplyKeys();
            const int w = int(wide.size());
            auto at = [&](int p, int i) { return m.Ctx(m.ParagraphStart(p) + w + i); };
            auto first = [&](int p, const char *s) { return at(p, int(lines[p].indexOf(QLatin1String(s)))); };
            auto last = [&](int p, const char *s) { return at(p, int(lines[p].lastIndexOf(QLatin1String(s)))); };
            QCOMPARE(at(0, 0), qint16(3));
            QCOMPARE(at(0, 2), qint16(3)); // the stop key, folded
            QCOMPARE(at(0, 3), qint16(0));
            QCOMPARE(first(0, "2"), qint16(4));
            QCOMPARE(first(0, "3"), qint16(0)); // the case counts
            QCOMPARE(first(0, "x "), qint16(7));
            QCOMPARE(first(0, ";k"), qint16(0)); // no separator before it
            QCOMPARE(last(0, ";k"), qint16(8));
            QCOMPARE(last(0, "xy"), qint16(0));
            QCOMPARE(first(1, "4"), qint16(5));
            QCOMPARE(first(1, "5"), qint16(0)); // whole words only
            QCOMPARE(first(1, "ok"), qint16(9));
            QCOMPARE(first(1, "OK"), qint16(0));
            QCOMPARE(first(1, "end"), qint16(3));
            QCOMPARE(first(2, ";k"), qint16(8));
            QCOMPARE(last(2, ";k"), qint16(8));
            QCOMPARE(first(3, "x"), qint16(7));
            QList<qint16> all;
            for (int p = 0; p < 4; ++p)
                for (int i = 0; i <= lines[p].size(); ++i)
                    all.push_back(at(p, i));
            if (w == 0)
                narrow = all;
            else
                QCOMPARE(all, narrow);
        }
    }

    void keywordsAndStopKeysAtEveryPlace()
    {
        // The scans take sixteen bytes a step: a keyword or a stop key is found at every place of
        // paragraphs of every length around that, held one byte a character or two (a keyword
        // starting with a character from 256 on, in another case), and a keyword only after a separator.
        Memo m;
        m.Keywords().Add(QStringLiteral("kw"), TKeyStyle{0, 0, 7, 0, 0, 0});
        m.Keywords().Add(QStringLiteral("\u03c9w"), TKeyStyle{0, 0, 7, 0, 0, 0});
        m.StartStopKeys().Add(QStringLiteral("["), QStringLiteral("]"), false, 0, 0, 0, 3, 0, 0);
        for (const bool wide : {false, true}) {
            const QString word = wide ? QStringLiteral("\u03a9W") : QStringLiteral("kw");
            const QString tail = wide ? QStringLiteral(" \u20ac") : QString();
            for (int len = 2; len <= 40; ++len) {
                QString text;
                for (int pos = 0; pos + 2 <= len; ++pos) {
                    for (const QChar before : {QLatin1Char(' '), QLatin1Char('x')}) {
                        QString line(len, QLatin1Char('x'));
                        line.replace(pos, 2, word);
                        if (pos > 0)
                            line[pos - 1] = before;
                        if (pos + 2 < len)
                            line[pos + 2] = QLatin1Char(' ');
                        text += line + tail + CRLF;
                    }
                    QString pair(len, QLatin1Char('y'));
                    pair[0] = QLatin1Char('[');
                    pair[pos + 1] = QLatin1Char(']');
                    text += pair + tail + CRLF;
                }
                m.SetTextBuf(text);
                m.ReApplyKeys();
                int p = 0;
                for (int pos = 0; pos + 2 <= len; ++pos) {
                    const QString where = QStringLiteral("length %1, place %2, wide %3").arg(len).arg(pos).arg(wide);
                    QVERIFY2(m.Ctx(m.ParagraphStart(p++) + pos) == 7, qPrintable(where));
                    QVERIFY2(m.Ctx(m.ParagraphStart(p++) + pos) == (pos == 0 ? 7 : 0), qPrintable(where));
                    const int start = m.ParagraphStart(p++);
                    QVERIFY2(m.Ctx(start + pos + 1) == 3, qPrintable(where));
                    QVERIFY2(m.Ctx(start + pos + 2) == 0 || pos + 2 == len, qPrintable(where));
                }
            }
        }
    }

    void wholeWordPairs()
    {
        Memo m(QStringLiteral("remark here\r\nrem note\r\nx rem y"));
        m.StartStopKeys().Add(QStringLiteral("rem"), QString(), true, RGBColor(9, 9, 9), 0, 0, 4, 0, kfWholeWords);
        m.ReApplyKeys();
        QCOMPARE(m.Ctx(3), qint16(0));
        QCOMPARE(m.Ctx(m.ParagraphStart(1) + 5), qint16(4));
        QCOMPARE(m.Ctx(m.ParagraphStart(2) + 4), qint16(4));
        QCOMPARE(m.Ctx(m.ParagraphStart(2) + 1), qint16(0));
    }

    void nestingStopsAtDepthFifteen()
    {
        Memo m(QStringLiteral("abcdefgh \"q\" \"r\""));
        m.StartStopKeys().Add(QStringLiteral("\""), QStringLiteral("\""), false, 0, 0, 0, 2, 0, 0);
        m.Keywords().Add(QStringLiteral("kw"), TKeyStyle{0, 0, 9, 0, 0, 0});
        // A keyword context 14 deep over the whole text: start keys may still open one more level.
        TContextState deep;
        deep.style = csStyled | csInContext;
        deep.depth = 13;
        deep.context = 9;
        TRiloNavigator a(&m), b(&m);
        a.SetOffset(0);
        b.SetOffset(m.CharCount());
        m.ApplyContexts(a, b, true, true, deep);
        QCOMPARE(m.StateAt(3).depth, qint8(13));
        a.SetOffset(1);
        m.HighlightRange(a, b);
        QCOMPARE(m.StateAt(10).depth, qint8(14));
        QCOMPARE(m.Ctx(10), qint16(2));
        StateId s = 0;
        for (int i = 0; i < 20; ++i)
            s = m.PushPair(s, 0);
        QCOMPARE(m.States().Get(s).depth, qint8(15));
        QCOMPARE(m.States().Get(m.Pop(s)).depth, qint8(14));
    }

    void keywordsOnlyOutsideContexts()
    {
        // Keywords are styled where no pair context is open, also next to one and in a paragraph that
        // a context spans from the one before; text wholly inside a context holds none.
        Memo m(QStringLiteral("x \"a < b\" < c") + CRLF + QStringLiteral("<!-- a < b") + CRLF + QStringLiteral("c < d -->") + CRLF +
               QStringLiteral("e < f"));
        m.Html();
        QVERIFY(!m.StateAt(5).InKeyword()); // in the string
        QVERIFY(m.StateAt(10).InKeyword());
        const int p1 = m.ParagraphStart(1), p2 = m.ParagraphStart(2), p3 = m.ParagraphStart(3);
        QVERIFY(!m.StateAt(p1 + 7).InKeyword());
        QVERIFY(!m.StateAt(p2 + 2).InKeyword()); // the whole paragraph in the comment
        QVERIFY(m.StateAt(p3 + 2).InKeyword()); // after the comment closed
        // Closing the comment earlier brings the keyword of the paragraph after it out.
        m.Select(p2, 0);
        m.SetSelText(QStringLiteral("--> "));
        QVERIFY(m.StateAt(p2 + 6).InKeyword());
        // Opening a string before it takes it back in.
        m.Select(p2 + 4, 0);
        m.SetSelText(QStringLiteral("\""));
        QVERIFY(!m.StateAt(p2 + 7).InKeyword());
        Memo fresh(m.Text());
        fresh.Html();
        QString where;
        QVERIFY2(SameHighlighting(m, fresh, &where), qPrintable(where));
    }

    void surrogatePairsAreNeverSplit()
    {
        // A character beyond 16 bits is two units; no caret, selection end, display line or found
        // text stands between them.
        const QString e = QString::fromUcs4(U"\U0001F600");
        const QString text = QStringLiteral("ab") + e + e + QStringLiteral("cd") + e;
        Memo m(text, 3); // three units a line
        auto inside = [&](int offset) { return m.CharAt(offset).isLowSurrogate() && m.CharAt(offset - 1).isHighSurrogate(); };
        QCOMPARE(m.LineCount(), 3); // ab+pair, pair+c, d+pair
        for (int l = 0; l < m.LineCount(); ++l)
            QVERIFY2(!inside(m.LineStart(l)), qPrintable(QString::number(l)));
        m.SetSelStart(3);
        QCOMPARE(m.SelStart(), 2);
        m.SetSelLength(1);
        QCOMPARE(m.SelText(), e);
        m.Select(5, -2);
        QCOMPARE(m.SelStart(), 4);
        QCOMPARE(m.SelText(), e);
        // Deleting what the selection holds leaves whole characters.
        m.SetSelText(QString());
        QCOMPARE(m.Text(), QStringLiteral("ab") + e + QStringLiteral("cd") + e);
        // Find never returns half a pair.
        m.Select(0, 0);
        QVERIFY(!m.FindText(QString(e[1]), true, false, true));
        QVERIFY(!m.FindText(QString(e[0]), true, false, false));
        m.Select(m.CharCount(), 0);
        QVERIFY(!m.FindText(QString(e[1]), false, false, true));
        QVERIFY(m.FindText(e + QStringLiteral("c"), false, false, true));
        QCOMPARE(m.SelStart(), 2);
        QCOMPARE(m.Save(), (QStringLiteral("ab") + e + QStringLiteral("cd") + e).toUtf8());
    }

    void caseFoldingIsTheSameInFindAndKeys()
    {
        // Find, keywords and start/stop keys without the case flag all fold case the same way:
        // Unicode simple case folding, surrogate pairs included.
        const QString u10400 = QString::fromUcs4(U"\U00010400"), u10428 = QString::fromUcs4(U"\U00010428");
        const struct {
            QString key, text;
            bool same;
        } cases[] = {
            {QStringLiteral("\u00e4"), QStringLiteral("\u00c4"), true},   // a umlaut
            {QStringLiteral("\u00c4"), QStringLiteral("\u00e4"), true},
            {QStringLiteral("\u03c3"), QStringLiteral("\u03a3"), true},   // sigma
            {QStringLiteral("\u03a3"), QStringLiteral("\u03c2"), true},   // final sigma
            {QStringLiteral("k"), QStringLiteral("\u212a"), true},         // Kelvin sign
            {QStringLiteral("\u00df"), QStringLiteral("\u1e9e"), true},   // sharp s
            {QStringLiteral("\u03bc"), QStringLiteral("\u00b5"), true},   // micro sign
            {u10428, u10400, true},                                      // Deseret, beyond 16 bits
            {QStringLiteral("\u00e4"), QStringLiteral("a"), false},
            {QStringLiteral("i"), QStringLiteral("\u0131"), false},        // dotless i stays apart
        };
        for (const auto &c : cases) {
            const QString text = QStringLiteral("x ") + c.text + QStringLiteral(" y");
            Memo m(text);
            m.Select(0, 0);
            QCOMPARE(m.FindText(c.key, true, true, false), c.same);
            if (c.same) {
                QCOMPARE(m.SelLower(), 2);
                QCOMPARE(m.SelText(), c.text);
            }
            m.Select(m.CharCount(), 0);
            QCOMPARE(m.FindText(c.key, false, false, false), c.same);
            QVERIFY(!m.FindText(c.key, true, false, true) || c.key == c.text);
            m.Keywords().Add(c.key, TKeyStyle{0, fsBold, 7, 0, 0, 0});
            m.StartStopKeys().Add(QStringLiteral("<") + c.key, QStringLiteral(">"), false, 0, 0, 0, 8, 0, 0);
            m.ReApplyKeys();
            QCOMPARE(m.Ctx(2), qint16(c.same ? 7 : 0));
            m.SetTextBuf(QStringLiteral("x <") + c.text + QStringLiteral(" y> z"));
            QCOMPARE(m.Ctx(3), qint16(c.same ? 8 : 0));
        }
    }

    void keywordsAndStaleStyling()
    {
        Memo m(QStringLiteral("a < b and \"x < y\""));
        m.Html();
        QCOMPARE(m.Ctx(2), qint16(1)); // the keyword <
        QVERIFY(m.StateAt(2).InKeyword());
        QCOMPARE(m.Ctx(13), qint16(2)); // inside a string: no keyword
        QVERIFY(!m.StateAt(13).InKeyword());
        // Typing right after the keyword joins it to a longer word: the styling goes.
        m.Select(3, 0);
        m.SetSelText(QStringLiteral("b"));
        QVERIFY(!m.StateAt(2).InKeyword());
        m.Select(3, 1);
        m.SetSelText(QString());
        QVERIFY(m.StateAt(2).InKeyword());
        // Case rules: keywords without the case flag match any case.
        Memo k(QStringLiteral("Begin begin BEGIN begins"));
        k.Keywords().Add(QStringLiteral("begin"), TKeyStyle{0, fsBold, 5, 0, 0, 0});
        k.Keywords().Add(QStringLiteral("Begin"), TKeyStyle{kfCaseSensitive, 0, 6, 0, 0, 0});
        k.ReApplyKeys();
        QCOMPARE(k.Ctx(0), qint16(5)); // the first keyword in list order wins
        QCOMPARE(k.Ctx(7), qint16(5));
        QCOMPARE(k.Ctx(13), qint16(5));
        QCOMPARE(k.Ctx(19), qint16(0));
        k.SetApplyKeyWords(false);
        k.ReApplyKeys();
        QCOMPARE(k.Ctx(0), qint16(0));
    }

    void convergenceAfterAFlipNearTheTop()
    {
        QString doc;
        for (int i = 0; i < 400; ++i)
            doc += QStringLiteral("<p class=\"c%1\">text %1</p> // x\r\n").arg(i);
        Memo m(doc, 500);
        m.Html();
        m.SetUpdateMode(TUpdateMode::umBackground);
        m.SetClientSize(516, 10); // a few visible lines only
        m.Select(0, 0);
        m.SetSelText(QStringLiteral("<!--"));
        // Only the visible paragraphs follow at once; the rest waits for the background.
        QCOMPARE(m.Ctx(m.ParagraphStart(1) + 2), qint16(2));
        QCOMPARE(m.Ctx(m.ParagraphStart(300) + 1), qint16(0));
        QVERIFY(m.Progress() < 100);
        QTRY_COMPARE(m.Progress(), 100);
        Memo fresh(m.Text(), 500);
        fresh.Html();
        QString where;
        QVERIFY2(SameHighlighting(m, fresh, &where), qPrintable(where));
        // Closing it again converges back to the original colours.
        m.Select(0, 4);
        m.SetSelText(QString());
        QTRY_COMPARE(m.Progress(), 100);
        Memo orig(doc, 500);
        orig.Html();
        QVERIFY2(SameHighlighting(m, orig, &where), qPrintable(where));
    }

    void incrementalEditsMatchFreshHighlighting()
    {
        QString model = HtmlDoc(60);
        Memo m(model, 60);
        m.Html();
        QRandomGenerator rng(11);
        const QString inserts[] = {QStringLiteral("\""), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("-->"),
                                   QStringLiteral("<!--"), QStringLiteral(" < "), QStringLiteral("}"), QStringLiteral("{"),
                                   QStringLiteral("\r\n"), QStringLiteral("</SCRIPT>"), QStringLiteral("//"), QString()};
        for (int round = 0; round < 120; ++round) {
            int a = int(rng.bounded(model.size() + 1));
            int b = std::min<int>(int(model.size()), a + int(rng.bounded(6)));
            if (a > 0 && a < model.size() && model[a] == QLatin1Char('\n'))
                --a;
            if (b > 0 && b < model.size() && model[b] == QLatin1Char('\n'))
                ++b;
            const QString ins = inserts[rng.bounded(12)];
            m.Select(a, b - a);
            m.SetSelText(ins);
            model.replace(a, b - a, ins);
        }
        Memo fresh(model, 60);
        fresh.Html();
        QString where;
        QVERIFY2(SameHighlighting(m, fresh, &where), qPrintable(where));
    }

    void longLineEditsMatchFreshResult()
    {
        // Long paragraphs are re-highlighted and re-wrapped only around an edit.
        QString model = HtmlDoc(300);
        model.remove(CRLF);
        Memo m(model, 50);
        m.Html();
        QRandomGenerator rng(5);
        const QString inserts[] = {QStringLiteral("\""), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("-->"),
                                   QStringLiteral("<!--"), QStringLiteral(" < "), QStringLiteral("a"), QStringLiteral("  "),
                                   QStringLiteral("word "), QStringLiteral("</SCRIPT>"), QStringLiteral("{"), QString()};
        for (int round = 0; round < 60; ++round) {
            const int a = int(rng.bounded(model.size() + 1));
            const int b = std::min<int>(int(model.size()), a + int(rng.bounded(4)));
            const QString ins = inserts[rng.bounded(12)];
            m.Select(a, b - a);
            m.SetSelText(ins);
            model.replace(a, b - a, ins);
            if (round % 20 != 19)
                continue;
            Memo fresh(model, 50);
            fresh.Html();
            QString where;
            QVERIFY2(SameHighlighting(m, fresh, &where), qPrintable(where));
            QCOMPARE(m.LineCount(), fresh.LineCount());
            for (int l = 0; l < m.LineCount(); ++l)
                QCOMPARE(m.LineStart(l), fresh.LineStart(l));
        }
        QVERIFY(m.ParagraphCount() == 1 && m.CharCount() > 4096);
    }

    void shortenedCutWordMovesBackAfterAnEdit()
    {
        // Ten characters a line. "ab " is followed by a word too long for the rest of its line, so
        // the word starts a line of its own and is cut after ten characters:
        //   ... | ab | cdefghijkl | mnop tail | ...
        // Deleting "fghijkl" leaves "cdemnop", which now fits behind "ab ": the line before the one
        // that held the deletion changes too, in a long paragraph re-wrapped around the edit as in
        // one loaded afresh.
        QString filler;
        while (filler.size() < 4200)
            filler += QStringLiteral("word ");
        const QString text = filler + QStringLiteral("ab cdefghijklmnop tail");
        Memo m(text, 10);
        const int ab = int(filler.size());
        QCOMPARE(m.LineText(m.LineOfOffset(ab)), QStringLiteral("ab "));
        QCOMPARE(m.LineText(m.LineOfOffset(ab) + 1), QStringLiteral("cdefghijkl"));
        m.Select(ab + 6, 7);
        QCOMPARE(m.SelText(), QStringLiteral("fghijkl"));
        m.SetSelText(QString());
        QCOMPARE(m.LineText(m.LineOfOffset(ab)), QStringLiteral("ab cdemnop "));
        Memo fresh(m.Text(), 10);
        QCOMPARE(m.LineCount(), fresh.LineCount());
        m.CheckConsistency();
        // Typing the word back splits it as before.
        m.SetSelText(QStringLiteral("fghijkl"));
        QCOMPARE(m.LineText(m.LineOfOffset(ab)), QStringLiteral("ab "));
        QCOMPARE(m.LineCount(), Memo(text, 10).LineCount());
    }

    void longParagraphsInBackgroundChunks()
    {
        // A long paragraph is worked in chunks over many slices; an edit in between restarts it.
        QString line = HtmlDoc(200);
        line.remove(CRLF);
        const QString doc = QStringLiteral("<!-- open\r\n") + line + QStringLiteral("\r\nafter --> \"x\"\r\n") + line;
        MemoCore m;
        m.SetBackgroundTuning(0, 500);
        FillHtmlRules(m.Keywords(), m.StartStopKeys());
        m.SetClientSize(16 + 60, 100);
        m.SetTextBuf(doc);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(m.Progress() < 100);
        m.Select(m.ParagraphStart(3) + 10, 0);
        m.SetSelText(QStringLiteral("\"")); // while the last paragraph is half done
        QTRY_COMPARE(m.Progress(), 100);
        Memo fresh(m.Text(), 60);
        fresh.Html();
        QString where;
        QVERIFY2(SameHighlighting(m, fresh, &where), qPrintable(where));
        QCOMPARE(m.LineCount(), fresh.LineCount());
        for (int l = 0; l < m.LineCount(); l += 7)
            QCOMPARE(m.LineStart(l), fresh.LineStart(l));
        QCOMPARE(m.StateAt(m.ParagraphStart(1) + 3).context, qint16(2)); // inside the comment
        m.CheckConsistency();
    }

    // Looking up a character new to the fonts may take long (its fallback font is searched for): a
    // background slice whose time is up looks up one more and leaves the rest of a paragraph's new
    // characters to the next slices, and every character is looked up once.
    void charactersNewToTheFontsAreLookedUpInSlices()
    {
        // Counts the characters beyond one byte asked for in each variant (a real measurer looks each up once).
        struct Counting : FixedMeasurer {
            std::set<std::pair<ushort, int>> asked;
            int lookups = 0;
            int Advance(QChar c, int variant) override
            {
                if (c.unicode() >= 256 && asked.insert({c.unicode(), variant}).second)
                    ++lookups;
                return FixedMeasurer::Advance(c, variant);
            }
        } counting;
        QString words;
        for (int k = 0; k < 40; ++k)
            words += QChar(0x0905 + k) + QString(k % 6 == 5 ? QStringLiteral(" ") : QString());
        const QString doc = QStringLiteral("<p>plain</p>\r\n") + words + CRLF + words + QStringLiteral(" again");
        MemoCore m;
        m.SetMeasurer(&counting);
        m.SetBackgroundTuning(0, 500);
        m.SetClientSize(16 + 12, 100);
        m.SetTextBuf(doc);
        QCOMPARE(counting.lookups, 0);
        m.BackgroundStep();
        QCOMPARE(counting.lookups, 8); // one character, in the eight variants
        QVERIFY(!m.FormattingDone());
        int slices = 1;
        while (!m.FormattingDone() && slices < 1000) {
            m.BackgroundStep();
            ++slices;
        }
        QVERIFY(slices >= 40);
        QCOMPARE(counting.lookups, 40 * 8);
        Memo fresh(doc, 12);
        QCOMPARE(m.LineCount(), fresh.LineCount());
        for (int l = 0; l < m.LineCount(); ++l)
            QCOMPARE(m.LineStart(l), fresh.LineStart(l));
        m.SetMeasurer(nullptr);
    }

    // What measuring a character needs may be readied on another thread (its fallback font found): the
    // slices wait for it without blocking, then measure as if it had been ready from the start.
    void slicesWaitForCharactersBeingReadied()
    {
        struct Readying : FixedMeasurer {
            bool ready = false;
            int asked = 0, measured = 0;
            bool Prepare(const char16_t *, int, const std::function<bool()> &more) override
            {
                ++asked;
                while (!ready)
                    if (!more())
                        return false;
                return true;
            }
            int Advance(QChar c, int variant) override
            {
                if (c.unicode() >= 256)
                    ++measured;
                return FixedMeasurer::Advance(c, variant);
            }
        } readying;
        QString words;
        for (int k = 0; k < 40; ++k)
            words += QChar(0x0905 + k) + QString(k % 6 == 5 ? QStringLiteral(" ") : QString());
        const QString doc = QStringLiteral("<p>plain</p>\r\n") + words + CRLF + QStringLiteral("after");
        MemoCore m;
        m.SetMeasurer(&readying);
        m.SetBackgroundTuning(0, 500);
        m.SetClientSize(16 + 12, 100);
        m.SetTextBuf(doc);
        for (int k = 0; k < 5; ++k)
            m.BackgroundStep();
        QVERIFY(readying.asked >= 5);
        QCOMPARE(readying.measured, 0);
        QVERIFY(!m.FormattingDone());
        readying.ready = true;
        int slices = 0;
        while (!m.FormattingDone() && slices < 1000) {
            m.BackgroundStep();
            ++slices;
        }
        QVERIFY(m.FormattingDone());
        Memo fresh(doc, 12);
        QCOMPARE(m.LineCount(), fresh.LineCount());
        for (int l = 0; l < m.LineCount(); ++l)
            QCOMPARE(m.LineStart(l), fresh.LineStart(l));
        m.SetMeasurer(nullptr);
    }

    void wrapping()
    {
        Memo m(QString(25, QLatin1Char('w')), 10);
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(2), QStringLiteral("wwwww"));
        m.SetTextBuf(QStringLiteral("aaaa bbbb         cccc"));
        QCOMPARE(m.LineText(0), QStringLiteral("aaaa bbbb         "));
        QCOMPARE(m.LineText(1), QStringLiteral("cccc"));
        // Tabs go to the next multiple of TabStops space widths.
        m.SetTabStops(4);
        m.SetTextBuf(QStringLiteral("ab\tc\td"));
        QCOMPARE(m.LineCount(), 1); // 0..2, tab to 4, c, tab to 8, d = 9
        m.SetTextBuf(QStringLiteral("ab\tcdef\tg"));
        QCOMPARE(m.LineCount(), 2);
        QCOMPARE(m.LineText(1), QStringLiteral("g"));
        m.SetTabStops(0); // clamped, no division by zero
        QCOMPARE(m.TabStops(), 1);
        // Margins narrow the width.
        m.SetTextBuf(QStringLiteral("aaaa bbbb cccc"));
        QCOMPARE(m.LineCount(), 2);
        m.SetLeftMargin(12);
        QCOMPARE(m.LineCount(), 3);
        // Without word wrap the width is practically unlimited.
        m.SetWordWrap(false);
        QCOMPARE(m.LineCount(), 1);
        // A zero-width measurer is never a divisor.
        FixedMeasurer zero(0);
        m.SetMeasurer(&zero);
        m.SetWordWrap(true);
        m.SetTextBuf(QStringLiteral("a\tb"));
        QCOMPARE(m.LineCount(), 1);
        m.SetMeasurer(nullptr);
    }

    void shortParagraphsWrapAsMeasured()
    {
        // Paragraphs narrower than the width in every variant are not measured character by character;
        // those that may not be are. Either way the lines are those of the actual widths, to the pixel.
        Memo m(QString(), 10);
        // A paragraph exactly as wide as the width fits, one more pixel does not.
        m.SetTextBuf(QStringLiteral("aaaaa bbbb") + CRLF + QStringLiteral("aaaaa bbbbb"));
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(2), QStringLiteral("bbbbb"));
        // A tab reaches its whole stop: 4 + 4 + 3 passes 10.
        m.SetTabStops(4);
        m.SetTextBuf(QStringLiteral("\t\tabc") + CRLF + QStringLiteral("a\tb\tcd")); // 1, 4, 5, 8, 10
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(1), QStringLiteral("abc"));
        QCOMPARE(m.LineText(2), QStringLiteral("a\tb\tcd"));
        // A new width lays the paragraphs out again.
        m.SetTextBuf(QStringLiteral("aaaaa bbbb"));
        QCOMPARE(m.LineCount(), 1);
        m.SetClientSize(9 + 16, 100);
        QCOMPARE(m.LineCount(), 2);
        m.SetClientSize(10 + 16, 100);
        QCOMPARE(m.LineCount(), 1);
        // So do new widths of the same measurer.
        FixedMeasurer fixed(1);
        m.SetMeasurer(&fixed);
        QCOMPARE(m.LineCount(), 1);
        fixed.SetWidth(2);
        m.SetMeasurer(&fixed);
        QCOMPARE(m.LineCount(), 2);

        // Plain characters 1 wide, bold ones 2; characters beyond Latin-1 3 (bold 4); a character beyond
        // 16 bits 5 (bold 6), its second half nothing.
        struct Widths : Measurer {
            qint32 table[8][256];
            Widths()
            {
                for (int v = 0; v < 8; ++v)
                    std::fill(std::begin(table[v]), std::end(table[v]), 1 + (v & 1));
            }
            const qint32 *Table(int v) override { return table[v & 7]; }
            int Advance(QChar c, int v) override { return c.isLowSurrogate() ? 0 : c.unicode() < 256 ? table[v & 7][c.unicode()] : 3 + (v & 1); }
            int PairAdvance(char32_t, int v) override { return 5 + (v & 1); }
        } widths;
        m.SetMeasurer(&widths);
        // A bold run that would fit in plain letters: 4 + 8 passes 10, 4 + 6 does not.
        const QString bold = QString(QChar(2));
        m.SetTextBuf(QStringLiteral("aaaa") + bold + QStringLiteral("bbbb") + bold + CRLF + QStringLiteral("aaaa") + bold + QStringLiteral("bbb"));
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(1), QStringLiteral("b") + bold);
        // Bold given by highlighting rather than by codes.
        m.Keywords().Add(QStringLiteral("wide"), TKeyStyle{0, fsBold, 5, 0, 0, 0});
        m.ReApplyKeys();
        m.SetTextBuf(QStringLiteral("a b wide") + CRLF + QStringLiteral("a wide"));
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(1), QStringLiteral("wide"));
        // Characters beyond Latin-1, in plain and bold, and a pair, which no line splits.
        const QString pair = QString::fromUcs4(U"\U0001F600");
        m.SetTextBuf(QStringLiteral("\u2192\u2192\u2192a") + CRLF + QStringLiteral("abcdef") + pair); // 10; 6 + 5
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(2), pair);
        m.SetTextBuf(bold + QStringLiteral("\u2192\u2192a") + bold + CRLF + QStringLiteral("a") + bold + QStringLiteral("\u2192\u2192b") + bold); // 10; 11
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(2), QStringLiteral("b") + bold);
        m.SetTextBuf(bold + QStringLiteral("a") + pair + QStringLiteral("b") + bold + CRLF + bold + QStringLiteral("ab") + pair + bold); // 10; 4 + 6
        QCOMPARE(m.LineCount(), 2);
        // A style that highlighting changes inside a word: the quoted part is bold, quotes included.
        m.Html();
        m.SetTextBuf(QStringLiteral("aa\"bbb\"cc") + CRLF + QStringLiteral("a\"bb\"c")); // 2 + 10; 1 + 8 + 1
        QCOMPARE(m.LineCount(), 3);
        QCOMPARE(m.LineText(1), QStringLiteral("\"cc"));
        QCOMPARE(m.LineText(2), QStringLiteral("a\"bb\"c"));
        m.SetTextBuf(QStringLiteral("a") + bold + QStringLiteral("bc") + pair + bold); // 5 + 6
        QCOMPARE(m.LineCount(), 2);
        QCOMPARE(m.LineText(1), pair + bold);
        // A word that starts a line after a style code and does not fit is cut, not moved away from the
        // code: no line holds only codes.
        m.SetTextBuf(bold + QStringLiteral("\u2192\u2192ab") + bold); // 4 + 4 + 2 + 2
        QCOMPARE(m.LineCount(), 2);
        QCOMPARE(m.LineText(0), bold + QStringLiteral("\u2192\u2192a"));
        // After a blank the code stays behind on the line before.
        m.SetTextBuf(bold + QStringLiteral("abcdef") + bold + CRLF + QStringLiteral("ab ") + bold + QStringLiteral("cdefghijkl")); // 12; 3 + 20
        QCOMPARE(m.LineCount(), 5);
        QCOMPARE(m.LineText(0), bold + QStringLiteral("abcde"));
        QCOMPARE(m.LineText(2), QStringLiteral("ab ") + bold);
        QCOMPARE(m.LineText(3), QStringLiteral("cdefg"));
        for (int line = 0; line < m.LineCount(); ++line)
            QVERIFY2(!m.LineText(line).remove(QChar(2)).isEmpty(), qPrintable(QString::number(line)));
        m.SetMeasurer(nullptr);
    }

    void wrappingKeepsLineNumbersConsistent()
    {
        Memo m(HtmlDoc(50), 12);
        m.Html();
        const int lines = m.LineCount();
        QVERIFY(lines > 50);
        m.CheckConsistency();
        int total = 0;
        for (int l = 0; l < m.LineCount(); ++l)
            total += int(m.LineText(l).size());
        QCOMPARE(total + 2 * (m.ParagraphCount() - 1), m.CharCount());
        m.Select(m.ParagraphStart(10) + 3, 0);
        m.SetSelText(QStringLiteral("a very long inserted sentence"));
        QVERIFY(m.LineCount() > lines);
        m.CheckConsistency();
        QCOMPARE(m.LineOfOffset(m.ParagraphStart(11)), m.Layout().FirstLine(11));
    }

    // An edit of many paragraphs writes those between its first and last straight into new blocks: the
    // result is what the paragraph-by-paragraph way gives (text, styles, highlighting, lines), and its one
    // undo step gives back the text exactly.
    void bigEditsGiveWhatSmallOnesGive()
    {
        QString model = HtmlDoc(4000);
        model.insert(20000, QStringLiteral("\u4e2d\x02 bold"));
        QString paste;
        for (int i = 0; i < 3000; ++i)
            paste += QStringLiteral("<b>%1</b> %2x %3\n<!-- open\r")
                         .arg(i)
                         .arg(i % 3 == 0 ? QStringLiteral("\x02") : QString())
                         .arg(i % 7 == 0 ? QStringLiteral("\u00e9\u4e2d") : QString());
        paste += QStringLiteral("\x05 closing --> \x02");
        Memo bulk(model, 60), small(model, 60);
        bulk.Html();
        small.Html();
        bulk.SetUndoMaxSpace(1 << 24);
        small.SetUndoMaxSpace(1 << 24);
        for (Memo *m : {&bulk, &small}) {
            TextStorage::SetBulkEditChars(m == &bulk ? 1 : std::numeric_limits<int>::max());
            m->Select(1234, 70000); // from inside one paragraph to inside another, blocks apart
            m->SetSelText(paste);
            m->CheckConsistency();
        }
        TextStorage::SetBulkEditChars(64 * 1024);
        QCOMPARE(bulk.ParagraphCount(), small.ParagraphCount());
        QVERIFY(bulk.Text() == small.Text());
        for (int p = 0; p < bulk.ParagraphCount(); ++p) {
            QCOMPARE(bulk.Storage().Style(p), small.Storage().Style(p));
            QCOMPARE(bulk.Storage().Text(p).wide != nullptr, small.Storage().Text(p).wide != nullptr);
        }
        QString where;
        QVERIFY2(SameHighlighting(bulk, small, &where), qPrintable(where));
        QCOMPARE(bulk.LineCount(), small.LineCount());
        for (int l = 0; l < bulk.LineCount(); l += 97)
            QCOMPARE(bulk.LineStart(l), small.LineStart(l));
        const QString edited = bulk.Text();
        bulk.Undo();
        QVERIFY(bulk.Text() == model);
        bulk.Redo();
        QVERIFY(bulk.Text() == edited);
        bulk.CheckConsistency();
    }

    // Replace All looks for its matches in slices that change nothing, begins anew when the text
    // changed meanwhile, and is one edit with one undo record, also when the replacement makes paragraphs.
    void replaceAllInSlicesIsOneEdit()
    {
        QString model;
        for (int i = 0; i < 20000; ++i)
            model += QStringLiteral("<p>in %1 \u00e9in IN</p>\r\n").arg(i);
        TextDocument doc;
        FillHtmlRules(doc.Keywords(), doc.StartStopKeys());
        doc.SetUndoMaxSpace(std::numeric_limits<int>::max());
        doc.LoadText(model);
        const int records = doc.UndoCount();
        TextDocument::ReplaceSearch s = doc.StartReplaceAll(QStringLiteral("in"), false, true);
        int slices = 1;
        while (!doc.SearchOn(s, 4096))
            ++slices;
        QVERIFY(slices > 50);
        QVERIFY(doc.Text() == model);
        QCOMPARE(doc.SearchProgress(s), 100);
        // The text changed: the next slice begins anew, and an edit of the old matches changes nothing.
        doc.ReplaceRange(0, 0, QStringLiteral("in "));
        model.prepend(QStringLiteral("in "));
        QCOMPARE(doc.ReplaceFound(s, QStringLiteral("x")), 0);
        QVERIFY(doc.Text() == model);
        QVERIFY(!doc.SearchOn(s, 4096));
        QVERIFY(doc.SearchProgress(s) < 100);
        QCOMPARE(doc.ReplaceFound(s, QStringLiteral("x")), 0); // not finished
        while (!doc.SearchOn(s, 4096))
            ;
        const int undoBefore = doc.UndoCount();
        QCOMPARE(doc.ReplaceFound(s, QStringLiteral("on\r\n")), 40001);
        QString expected = model;
        expected.replace(QStringLiteral("in"), QStringLiteral("on\r\n"));
        QVERIFY(doc.Text() == expected);
        QCOMPARE(doc.ParagraphCount(), 60002);
        QCOMPARE(doc.UndoCount(), undoBefore + 1);
        const auto apply = [&doc](int a, int b, const QString &t) { doc.ReplaceRange(a, b, t); };
        doc.Undo(apply);
        QVERIFY(doc.Text() == model);
        doc.Redo(apply);
        QVERIFY(doc.Text() == expected);
        QVERIFY(records <= undoBefore);
    }

    void editCoreKeepsStyles()
    {
        // Deleting a selection holding one bold code inside bold text keeps the tail bold.
        Memo m(QStringLiteral("a\x02" "bold\x02" "c"));
        QCOMPARE(int(m.StyleAt(3)), int(fsBold));
        m.Select(3, 4); // "old" and the closing code
        m.SetSelText(QString());
        QCOMPARE(m.Text(), QStringLiteral("a\x02" "b\x02" "c"));
        QCOMPARE(int(m.StyleAt(4)), 0);
        // Byte 5 typed becomes 165.
        m.SetTextBuf(QString());
        m.Type(QString(QChar(5)));
        QCOMPARE(m.Text(), QString(QChar(165)));
        // Style toggles wrap the selection and keep it selected.
        m.SetTextBuf(QStringLiteral("word"));
        m.Select(0, 4);
        m.ToggleBold();
        QCOMPARE(m.Text(), QStringLiteral("\x02word\x02"));
        QCOMPARE(m.SelLength(), 6);
        m.Select(6, 0);
        m.ToggleItalic();
        QCOMPARE(m.Text(), QStringLiteral("\x02word\x02\x01\x01"));
        QCOMPARE(m.SelStart(), 7);
        // Style codes carry into the next paragraph.
        m.SetTextBuf(QStringLiteral("\x02" "a\r\nb"));
        QCOMPARE(int(m.StyleAt(m.ParagraphStart(1))), int(fsBold));
    }

    // Replace All replaces each match as the edit core replaces a selection holding it: the style the
    // text after each match had stays, whatever codes the replacement or the match hold.
    void replaceAllKeepsTheStyleAfterEachMatch()
    {
        struct Case {
            QString text, find, by;
            bool matchCase;
        };
        const Case cases[] = {
            {QStringLiteral("x A\r\nx B\r\nC"), QStringLiteral("x"), QStringLiteral("y\x15"), true},
            {QStringLiteral("X A\r\nx B\r\nC"), QStringLiteral("x"), QStringLiteral("\x02y\x01"), false},
            {QStringLiteral("\x02x A\x02 \x02x B\r\nC"), QStringLiteral("\x02x"), QStringLiteral("y"), true},
            {QStringLiteral("\x15x\x15 A \x15x\x15 B"), QStringLiteral("\x15x"), QStringLiteral("\x15y\x02"), true},
        };
        for (const Case &c : cases) {
            Memo byHand(c.text);
            while (byHand.FindText(c.find, true, false, c.matchCase))
                byHand.SetSelText(c.by);
            Memo all(c.text);
            QCOMPARE(all.ReplaceAll(c.find, c.by, false, c.matchCase), 2);
            QCOMPARE(all.Text(), byHand.Text());
            // The letters after the matches have the style they had.
            Memo before(c.text);
            for (const QChar letter : {QLatin1Char('A'), QLatin1Char('B'), QLatin1Char('C')}) {
                const int was = int(before.Text().indexOf(letter)), is = int(all.Text().indexOf(letter));
                if (was >= 0)
                    QCOMPARE(int(all.StyleAt(is)), int(before.StyleAt(was)));
            }
            // In slices on the document alone the same, and one undo gives the text back.
            TextDocument alone;
            alone.LoadText(c.text);
            TextDocument::ReplaceSearch search = alone.StartReplaceAll(c.find, false, c.matchCase);
            while (!alone.SearchOn(search, 1))
                ;
            QCOMPARE(alone.ReplaceFound(search, c.by), 2);
            QCOMPARE(alone.Text(), byHand.Text());
            all.Undo();
            QCOMPARE(all.Text(), c.text);
        }
        Memo m(QStringLiteral("x A\r\nx B\r\nC"));
        m.ReplaceAll(QStringLiteral("x"), QStringLiteral("y\x15"), false, true);
        QCOMPARE(m.Text(), QStringLiteral("y\x15\x15 A\r\ny\x15\x15 B\r\nC"));
        QCOMPARE(int(m.StyleAt(int(m.Text().indexOf(QLatin1Char('A'))))), 0);
    }

    void paragraphEndsInsertedAndLoaded()
    {
        // Inserted, a CR ends a paragraph (with the LF right after it) and counts two characters for the
        // caret and the undo record; a LF alone is a character of its paragraph. Loaded, CR LF, LF CR, a
        // lone CR and a lone LF each end one paragraph, and EndsAsLoaded reads a text to insert so.
        struct Case {
            QString insert, text;
            int paragraphs;
        };
        const Case cases[] = {{QStringLiteral("a\r\nb"), QStringLiteral("xa\r\nby"), 2},
                              {QStringLiteral("a\rb"), QStringLiteral("xa\r\nby"), 2},
                              {QStringLiteral("a\nb"), QStringLiteral("xa\nby"), 1},
                              {QStringLiteral("a\n\rb"), QStringLiteral("xa\n\r\nby"), 2}};
        for (const Case &c : cases) {
            Memo m(QStringLiteral("xy"));
            m.Select(1, 0);
            m.SetSelText(c.insert);
            QCOMPARE(m.Text(), c.text);
            QCOMPARE(m.ParagraphCount(), c.paragraphs);
            QCOMPARE(m.SelStart(), int(c.text.size()) - 1);
            m.CheckConsistency();
            m.Undo();
            QCOMPARE(m.Text(), QStringLiteral("xy"));
            m.Redo();
            QCOMPARE(m.Text(), c.text);
            Memo loaded;
            QCOMPARE(Load(loaded, c.insert.toLatin1()), QStringLiteral("a\r\nb"));
            m.SetTextBuf(QStringLiteral("xy"));
            m.Select(1, 0);
            m.SetSelText(EndsAsLoaded(c.insert));
            QCOMPARE(m.Text(), QStringLiteral("xa\r\nby"));
        }
        Memo m;
        m.Type(QStringLiteral("a\nb"));
        QCOMPARE(m.Text(), QStringLiteral("a\nb"));
        QCOMPARE(m.ParagraphCount(), 1);
        // Mixed runs: LF CR LF is a LF and an end, CR CR two ends, LF LF two characters.
        m.SetTextBuf(QString());
        m.SetSelText(QStringLiteral("1\n\r\n2\r\r3\n\n4"));
        QCOMPARE(m.Text(), QStringLiteral("1\n\r\n2\r\n\r\n3\n\n4"));
        QCOMPARE(m.ParagraphCount(), 4);
        QCOMPARE(m.ParagraphText(0), QStringLiteral("1\n"));
        QCOMPARE(m.ParagraphText(3), QStringLiteral("3\n\n4"));
        QCOMPARE(m.SelStart(), m.CharCount());
        m.CheckConsistency();
        // What the text holds goes back as it was: selected and put in again, it is the same text.
        m.SelectAll();
        const QString all = m.SelText();
        m.SetSelText(all);
        QCOMPARE(m.Text(), all);
        QCOMPARE(m.ParagraphCount(), 4);
        m.SetTextBuf(QString());
        m.SetSelText(EndsAsLoaded(QStringLiteral("1\n\r\n2\r\r3\n\n4")));
        QCOMPARE(m.Text(), QStringLiteral("1\r\n\r\n2\r\n\r\n3\r\n\r\n4"));
        QCOMPARE(m.ParagraphCount(), 7);
    }

    void undoGroupsTyping()
    {
        Memo m;
        m.Type(QStringLiteral("abc"));
        QCOMPARE(m.UndoCount(), 1);
        m.Undo();
        QCOMPARE(m.Text(), QString());
        m.Redo();
        QCOMPARE(m.Text(), QStringLiteral("abc"));
        m.Select(1, 0); // a caret move starts a new record
        m.Type(QStringLiteral("X"));
        m.Select(m.CharCount(), 0);
        m.Type(QStringLiteral("Y"));
        QCOMPARE(m.UndoCount(), 3);
        m.Undo();
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("abc"));
        m.Type(QStringLiteral("Z")); // drops the redo records
        QVERIFY(!m.CanRedo());
        m.Redo();
        QCOMPARE(m.Text(), QStringLiteral("aZbc"));
        // A replaced selection comes back with Undo.
        m.Select(0, 4);
        m.SetSelText(QStringLiteral("new"));
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("aZbc"));
        QCOMPARE(m.SelStart(), 4);
    }

    void undoLimits()
    {
        Memo m;
        for (int i = 0; i < 5; ++i) {
            m.ForceNewRecord();
            m.Type(QString::number(i));
        }
        QCOMPARE(m.UndoCount(), 5);
        m.SetUndoMaxLevel(2);
        QCOMPARE(m.UndoCount(), 2);
        m.Undo();
        m.Undo();
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("012"));
        QVERIFY_THROWS_EXCEPTION(platform::Error, m.SetUndoMaxLevel(134217728));
        try {
            m.SetUndoMaxLevel(134217728);
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Undo set too high"));
        }
        m.SetUndoMaxSpace(0);
        m.Type(QStringLiteral("x"));
        QCOMPARE(m.UndoCount(), 0);
        // An edit larger than the budget leaves no half record behind.
        m.SetUndoMaxSpace(100);
        m.Type(QStringLiteral("y"));
        QCOMPARE(m.UndoCount(), 1);
        m.SelectAll();
        m.SetSelText(QString(200, QLatin1Char('z')));
        m.Select(0, 150);
        m.SetSelText(QString());
        QCOMPARE(m.UndoCount(), 0);
        m.Undo();
        QCOMPARE(m.CharCount(), 50);
    }

    void undoLevelLimitsTheRecords()
    {
        // Recording keeps at most UndoMaxLevel records, dropping the oldest.
        Memo m;
        m.SetUndoMaxLevel(3);
        for (int i = 0; i < 5; ++i) {
            m.ForceNewRecord();
            m.Type(QString::number(i));
        }
        QCOMPARE(m.UndoCount(), 3);
        while (m.CanUndo())
            m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("01"));
        // Redo records go before undo records do.
        m.Redo();
        m.ForceNewRecord();
        m.Type(QStringLiteral("x"));
        QCOMPARE(m.UndoCount(), 2);
        QVERIFY(!m.CanRedo());
        // Typing on at one place grows one record and keeps the others.
        m.SetUndoMaxLevel(2);
        m.ForceNewRecord();
        m.Type(QStringLiteral("abc"));
        QCOMPARE(m.UndoCount(), 2);
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("012x"));
        m.SetUndoMaxLevel(0);
        m.Type(QStringLiteral("q"));
        QCOMPARE(m.UndoCount(), 0);
    }

    void tooLongTextsAreRefused()
    {
        // Loading, inserting and string views refuse a text longer than the control can address with
        // a fixed error, and leave the text, its undo history and its modified flag as they were.
        Memo m(QStringLiteral("keep"));
        m.Limit(10);
        m.Select(4, 0);
        m.Type(QStringLiteral("s"));
        m.SetModified(false);
        auto refused = [&](const std::function<void()> &f) {
            try {
                f();
            } catch (const platform::Error &e) {
                return e.message() == QStringLiteral("Text too long");
            }
            return false;
        };
        auto unchanged = [&] {
            return m.Text() == QStringLiteral("keeps") && !m.Modified() && m.UndoCount() == 1 && m.SelStart() == 5;
        };
        QVERIFY(refused([&] { m.SetSelText(QStringLiteral("123456")); }));
        QVERIFY(unchanged());
        QVERIFY(refused([&] { m.SetSelText(QStringLiteral("123\r4")); })); // the CR ends a paragraph: two
        QVERIFY(unchanged());
        QVERIFY(refused([&] { m.SetTextBuf(QStringLiteral("0123456789a")); }));
        QVERIFY(unchanged());
        QVERIFY(refused([&] { Load(m, "abcde\nfghi"); })); // ten bytes, eleven characters
        QVERIFY(unchanged());
        QVERIFY(refused([&] { Load(m, QStringLiteral("\u00e6\u00e6\u00e6\u00e6\u00e6\u00e6\u00e6\u00e6\u00e6\u00e6\u00e6").toUtf8()); }));
        QVERIFY(unchanged());
        QVERIFY(refused([&] { m.Lines().Add(QStringLiteral("12345")); }));
        QVERIFY(unchanged());
        // An undo that would pass the limit keeps its record.
        m.Select(0, 5);
        m.SetSelText(QString());
        m.Limit(3);
        QVERIFY(refused([&] { m.Undo(); }));
        QCOMPARE(m.Text(), QString());
        QVERIFY(m.CanUndo());
        m.Limit(10);
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("keeps"));
        // Up to the limit all goes in.
        m.SetSelText(QStringLiteral("12345"));
        QCOMPARE(m.CharCount(), 10);
        QCOMPARE(Load(m, "abcd\r\nefgh"), QStringLiteral("abcd\r\nefgh"));
        QCOMPARE(Load(m, QStringLiteral("\u00e6\u00e6\u00e6\u00e6\u00e6\u00e6").toUtf8()).size(), 6);
        QCOMPARE(Load(m, QByteArray("0123456789\0tail", 15)), QStringLiteral("0123456789")); // NUL ends it
        m.SetTextBuf(QStringLiteral("0123456789"));
        QCOMPARE(m.CharCount(), 10);
    }

    void groupedUndo()
    {
        Memo m(QStringLiteral("hello world"));
        // A move: delete, then insert elsewhere grouped with the deletion.
        m.Select(0, 6);
        const QString moved = m.SelText();
        m.SetSelText(QString());
        m.Select(m.CharCount(), 0);
        m.ForceNewRecord();
        m.SetSelText(QStringLiteral(" ") + moved.trimmed());
        m.GroupLastRecord();
        QCOMPARE(m.Text(), QStringLiteral("world hello"));
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("hello world"));
        m.Redo();
        QCOMPARE(m.Text(), QStringLiteral("world hello"));
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("hello world"));
        // Trimming the partner away leaves a single step.
        m.Redo();
        m.SetUndoMaxLevel(1);
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("world"));
        m.Undo();
        QCOMPARE(m.Text(), QStringLiteral("world"));
    }

    void selection()
    {
        Memo m(QString(1000, QLatin1Char('x')));
        m.Select(990, 0);
        m.SetSelLength(1000);
        QCOMPARE(m.SelLength(), 10);
        m.SetSelStart(995); // keeps the length, clamped
        QCOMPARE(m.SelLength(), 5);
        m.SetSelLength(-2000);
        QCOMPARE(m.SelLength(), -995);
        QCOMPARE(m.SelLower(), 0);
        m.SelectAll();
        QCOMPARE(m.SelStart(), 1000);
        QCOMPARE(m.SelLength(), -1000);
        QCOMPARE(m.SelText().size(), 1000);
        QChar buf[8];
        QCOMPARE(m.GetSelTextBuf(buf, 8), 7);
        QCOMPARE(buf[7], QChar(0));
        m.SetTextBuf(QStringLiteral("ab\r\ncd\r\nef"));
        m.SetSelPar(2);
        QCOMPARE(m.SelStart(), 8);
        m.SetSelLine(1);
        QCOMPARE(m.SelStart(), 4);
        // Selection ends never fall between CR and LF.
        m.SetSelStart(3);
        QCOMPARE(m.SelStart(), 2);
        m.SetSelLength(1);
        QCOMPARE(m.SelLength(), 2);
        m.SetSelText(QString());
        QCOMPARE(m.Text(), QStringLiteral("abcd\r\nef"));
        m.SetSelStart(6);
        QCOMPARE(m.SelLine(), 1);
        m.Select(7, 0);
        QCOMPARE(m.SelCol(), 1);
    }

    void findText()
    {
        Memo m(QStringLiteral("xab\r\nab"));
        m.Select(0, 0);
        QVERIFY(m.FindText(QStringLiteral("ab"), true, false, true));
        QCOMPARE(m.SelLower(), 1);
        QCOMPARE(m.SelStart(), 3);
        QCOMPARE(m.SelLength(), -2);
        QVERIFY(m.FindText(QStringLiteral("AB"), true, false, false));
        QCOMPARE(m.SelLower(), 5);
        QVERIFY(!m.FindText(QStringLiteral("AB"), true, false, true));
        QVERIFY(!m.FindText(QString(), true, false, false));
        // Backward: a match must end at or before the caret.
        m.Select(6, 0);
        QVERIFY(m.FindText(QStringLiteral("ab"), false, false, true));
        QCOMPARE(m.SelStart(), 1);
        QCOMPARE(m.SelLength(), 2);
        m.Select(2, 0); // inside the first match
        QVERIFY(!m.FindText(QStringLiteral("ab"), false, false, true));
        m.SetTextBuf(QStringLiteral("print in"));
        m.Select(0, 0);
        QVERIFY(m.FindText(QStringLiteral("in"), true, true, false));
        QCOMPARE(m.SelLower(), 6);
        m.Select(3, 0);
        QCOMPARE(m.WordAtCaret(), QStringLiteral("print"));
        m.Select(5, 0);
        QCOMPARE(m.WordAtCaret(), QStringLiteral("print"));
        m.SetSeparators(QStringLiteral(" n"));
        QCOMPARE(m.Separators(), QStringLiteral(" n"));
        m.Select(3, 0);
        QCOMPARE(m.WordAtCaret(), QStringLiteral("pri"));
    }

    void eventsAndProgress()
    {
        MemoCore m;
        int changes = 0, progress = 0, moves = 0, parses = 0;
        QList<int> progressValues;
        m.OnChange = [&](MemoCore *) { ++changes; };
        m.OnProgress = [&](MemoCore *s) { ++progress; progressValues << s->Progress(); };
        m.OnSelMove = [&](MemoCore *) { ++moves; };
        m.OnParse = [&](MemoCore *, int a, int b) { ++parses; QVERIFY(a <= b); };
        m.SetTextBuf(HtmlDoc(3000));
        QCOMPARE(parses, 1);
        QCOMPARE(m.Progress(), -1);
        QTRY_COMPARE(m.Progress(), 100);
        QVERIFY(!m.BackgroundRunning());
        QCOMPARE(progressValues.back(), 100);
        for (int i = 0; i + 1 < progressValues.size(); ++i)
            QVERIFY(progressValues[i] < 100 || progressValues[i] == -1);
        m.SetSelText(QStringLiteral("x"));
        QCOMPARE(changes, 1);
        QCOMPARE(parses, 2);
        QVERIFY(moves >= 1);
        QVERIFY(m.LongestSlice() < 1000);
    }

    void externalHighlighter()
    {
        // Styles every digit through the memo's own operation, in place of both built-in passes.
        struct Digits : TRiloHighlighter {
            int contextCalls = 0, keyCalls = 0;
            void ApplyContexts(TRiloNavigator &start, TRiloNavigator &stop) override
            {
                ++contextCalls;
                TextDocument *m = start.Owner();
                const QString text = m->GetTextPart(start.Offset(), stop.Offset());
                TContextState digit;
                digit.style = csInContext | fsBold;
                digit.depth = 0;
                digit.context = 42;
                for (int i = 0; i < text.size(); ++i)
                    if (text[i].isDigit()) {
                        TRiloNavigator a(m), b(m);
                        a.SetOffset(start.Offset() + i);
                        b.SetOffset(start.Offset() + i + 1);
                        m->ApplyContexts(a, b, false, true, digit);
                    }
            }
            void ApplyKeys(TRiloNavigator &, TRiloNavigator &) override { ++keyCalls; }
        };
        auto h = std::make_unique<Digits>();
        Memo m;
        m.Html();
        m.SetHighlighter(h.get());
        m.SetTextBuf(QStringLiteral("a1 \"b2\"\r\n3"));
        QCOMPARE(m.Ctx(1), qint16(42));
        QCOMPARE(m.Ctx(0), qint16(0));
        QCOMPARE(m.Ctx(4), qint16(0)); // no built-in string context
        QCOMPARE(m.Ctx(5), qint16(42));
        QCOMPARE(m.Ctx(m.ParagraphStart(1)), qint16(42));
        QVERIFY(h->contextCalls >= 2);
        QVERIFY(h->keyCalls >= 2);
        m.Select(0, 0);
        m.SetSelText(QStringLiteral("7"));
        QCOMPARE(m.Ctx(0), qint16(42));
        h.reset(); // detaches itself
        QCOMPARE(m.Highlighter(), nullptr);
        m.ReApplyKeys();
        QCOMPARE(m.Ctx(0), qint16(0));
        QCOMPARE(m.Ctx(5), qint16(2));
    }

    void switchesAndModes()
    {
        Memo m(QStringLiteral("x \"quoted\" y"));
        m.Html();
        QCOMPARE(m.Ctx(4), qint16(2));
        // Without start/stop keys nothing new opens; what is there stays until highlighted again.
        m.SetApplyStartStopKeys(false);
        QCOMPARE(m.Ctx(4), qint16(2));
        m.ReApplyKeys();
        QCOMPARE(m.Ctx(4), qint16(0));
        m.SetApplyStartStopKeys(true);
        // On need: nothing is formatted until asked for.
        MemoCore lazy;
        lazy.SetUpdateMode(TUpdateMode::umOnNeed);
        lazy.SetTextBuf(HtmlDoc(200));
        QCoreApplication::processEvents();
        QCOMPARE(lazy.Progress(), -1);
        QVERIFY(!lazy.Layout().Wrapped(150));
        lazy.FormatRange(0, 10);
        QVERIFY(lazy.Layout().Wrapped(10));
        QVERIFY(!lazy.Layout().Wrapped(150));
        lazy.SetUpdateMode(TUpdateMode::umImmediate);
        QVERIFY(lazy.FormattingDone());
        // Keyword lists hold at most what a state can index.
        TKeywordList many;
        many.BeginUpdate();
        for (int i = 0; i < kMaxKeyEntries; ++i)
            many.Add(QStringLiteral("k"), TKeyStyle());
        QVERIFY_THROWS_EXCEPTION(platform::Error, many.Add(QStringLiteral("k"), TKeyStyle()));
        many.EndUpdate();
        QCOMPARE(many.Count(), kMaxKeyEntries);
        // Paragraph views append what is missing.
        Memo p(QStringLiteral("a"));
        p.Paragraphs().Put(3, QStringLiteral("d"));
        QCOMPARE(p.Text(), QStringLiteral("a\r\n\r\n\r\nd"));
    }

    void consistencyCheck()
    {
        Memo m(HtmlDoc(20), 30);
        m.CheckConsistency();
        m.SelectAll();
        m.SetSelText(QString());
        m.CheckConsistency();
        QCOMPARE(m.ParagraphCount(), 1);
        QCOMPARE(m.LineCount(), 1);
    }

    void documentWithoutAView()
    {
        // What a view hears of the document's work.
        struct Listener : DocumentObserver {
            QStringList heard;
            void TextReplaced(const TextChange &c) override
            {
                heard << QStringLiteral("replaced %1-%2+%3 par %4 %5->%6").arg(c.lower).arg(c.upper).arg(c.inserted).arg(c.first).arg(c.oldCount).arg(c.newCount);
            }
            void EditHighlighted(const TextChange &, int) override { heard << QStringLiteral("around the edit"); }
            void ParagraphRestyled(int, bool) override {}
            void ContextsApplied(int, int, bool) override { heard << QStringLiteral("contexts"); }
            void Rehighlight() override { heard << QStringLiteral("rehighlight"); }
            void TextLoaded() override { heard << QStringLiteral("loaded"); }
            void Parsed(int a, int b) override { heard << QStringLiteral("parsed %1-%2").arg(a).arg(b); }
            void EditDone() override { heard << QStringLiteral("done"); }
            void LongWork() override {}
        } ear;
        TextDocument d;
        d.AddObserver(&ear);
        FillHtmlRules(d.Keywords(), d.StartStopKeys());
        d.LoadText(QStringLiteral("one \"two\"\nthree"));
        QCOMPARE(d.ParagraphCount(), 2);
        QCOMPARE(d.Text(), QStringLiteral("one \"two\"") + CRLF + QStringLiteral("three"));
        TRiloNavigator tail(&d);
        tail.SetOffset(d.CharCount());
        // An edit that splits a paragraph, told in order; the navigator behind it moves.
        QCOMPARE(d.ReplaceRange(3, 4, QStringLiteral("\r\n")), 5);
        QCOMPARE(ear.heard, QStringList({QStringLiteral("loaded"), QStringLiteral("replaced 3-4+2 par 0 1->2"),
                                         QStringLiteral("parsed 3-5"), QStringLiteral("done")}));
        QCOMPARE(tail.Offset(), d.CharCount());
        QCOMPARE(d.ParagraphText(1), QStringLiteral("\"two\""));
        // Both passes without any view, in chunks: the quoted word is a string.
        for (int p = 0; p < d.ParagraphCount(); ++p)
            while (!d.HighlightChunk(p, 2)) {
            }
        QCOMPARE(d.StateAt(d.ParagraphStart(1) + 2).context, qint16(2));
        QVERIFY(!d.StateAt(1).IsContext());
        // Search and undo work on offsets; undo replays through what the caller gives it.
        int length = 0;
        QCOMPARE(d.Find(QStringLiteral("TWO"), 0, true, false, false, &length), d.ParagraphStart(1) + 1);
        QCOMPARE(length, 3);
        QCOMPARE(d.Find(QStringLiteral("TWO"), 0, true, false, true), -1);
        QCOMPARE(d.WordAt(1), QStringLiteral("one"));
        d.Undo([&](int start, int end, const QString &text) { d.ReplaceRange(start, end, text); });
        QCOMPARE(d.Text(), QStringLiteral("one \"two\"") + CRLF + QStringLiteral("three"));
        QVERIFY(!d.CanUndo());
        ear.heard.clear();
        d.ReApplyKeys();
        QCOMPARE(ear.heard, QStringList({QStringLiteral("rehighlight")}));
        d.RemoveObserver(&ear);
    }

    void viewsShareADocument()
    {
        // One document in two views that wrap at different widths: an edit through one is seen by
        // the other, whose caret keeps its place in the text and whose lines are those a fresh view of
        // its width makes.
        Memo a(HtmlDoc(30), 40);
        MemoCore shared(a.SharedDocument());
        shared.SetUpdateMode(TUpdateMode::umImmediate);
        shared.SetClientSize(17 + 16, 100);
        QCOMPARE(&shared.Document(), &a.Document());
        QCOMPARE(shared.Text(), a.Text());
        auto sameLines = [](MemoCore &m, int width) {
            m.CheckConsistency();
            Memo fresh(m.Text(), width);
            if (fresh.LineCount() != m.LineCount())
                return false;
            for (int l = 0; l < m.LineCount(); ++l)
                if (fresh.LineStart(l) != m.LineStart(l))
                    return false;
            return true;
        };
        QVERIFY(shared.LineCount() > a.LineCount());
        QVERIFY(sameLines(a, 40));
        QVERIFY(sameLines(shared, 17));
        int changes = 0;
        shared.OnChange = [&](MemoCore *) { ++changes; };
        shared.Select(shared.ParagraphStart(5), 0);
        a.Select(a.ParagraphStart(2) + 3, 0);
        a.SetSelText(QStringLiteral("a few more words\r\nand a new paragraph "));
        QCOMPARE(shared.Text(), a.Text());
        QCOMPARE(shared.SelStart(), shared.ParagraphStart(6));
        QCOMPARE(changes, 1);
        QVERIFY(sameLines(a, 40));
        QVERIFY(sameLines(shared, 17));
        // Typing inside a paragraph through the narrow view, then joining two through the wide one.
        shared.Select(shared.ParagraphStart(8) + 5, 0);
        for (QChar c : QStringLiteral(" typed through the narrow view"))
            shared.SetSelText(QString(c));
        a.Select(a.ParagraphStart(4), 0);
        a.SetSelLength(-2);
        a.SetSelText(QString());
        QVERIFY(sameLines(a, 40));
        QVERIFY(sameLines(shared, 17));
        // A long paragraph is wrapped again around an edit only, in each view at its own width.
        QString words;
        for (int i = 0; words.size() < 6000; ++i)
            words += QStringLiteral("word%1 ").arg(i % 13);
        a.Select(a.CharCount(), 0);
        a.SetSelText(CRLF + words);
        QVERIFY(sameLines(shared, 17));
        const int mid = a.ParagraphStart(a.ParagraphCount() - 1) + 3000;
        a.Select(mid, 0);
        for (QChar c : QStringLiteral("in the middle "))
            a.SetSelText(QString(c));
        shared.Select(mid + 40, 5);
        shared.SetSelText(QString());
        QVERIFY(sameLines(a, 40));
        QVERIFY(sameLines(shared, 17));
        // Undo belongs to the document: either view takes the edits back.
        while (shared.CanUndo())
            shared.Undo();
        QCOMPARE(a.Text(), HtmlDoc(30));
        QVERIFY(sameLines(a, 40));
        QVERIFY(sameLines(shared, 17));
        // A view in the background catches up with edits made through the other.
        MemoCore late(a.SharedDocument());
        late.SetClientSize(25 + 16, 100);
        a.Select(0, 0);
        a.SetSelText(QStringLiteral("<p class=\"first\">"));
        while (!late.FormattingDone())
            late.BackgroundStep();
        QVERIFY(sameLines(late, 25));
        // The document outlives the views that share it.
        auto c = std::make_unique<MemoCore>(a.SharedDocument());
        c.reset();
        a.SetSelText(QStringLiteral("x"));
        QCOMPARE(shared.Text(), a.Text());
        QVERIFY(sameLines(shared, 17));
    }

    void twoViewsOfOneDocumentHighlightOnce()
    {
        // The document highlights in the background for all its views: two views wrapping at their own
        // widths go through the passes as often as one view does (each paragraph once, a very long one
        // in chunks), and both end laid out as views formatting at once are.
        QString text = HtmlDoc(300);
        QString line;
        for (int i = 0; line.size() < 5000; ++i)
            line += QStringLiteral("<b>w%1</b> \"q%1\" ").arg(i % 17);
        text += line + CRLF + HtmlDoc(40);
        auto highlightsOf = [&](std::vector<MemoCore *> views) {
            TextDocument &d = views.front()->Document();
            FillHtmlRules(d.Keywords(), d.StartStopKeys());
            for (size_t i = 0; i < views.size(); ++i) {
                views[i]->SetBackgroundTuning(1, 700);
                views[i]->SetClientSize(16 + 30 + 11 * int(i), 100);
            }
            const quint64 before = d.ParagraphsHighlighted();
            views.front()->SetTextBuf(text);
            auto done = [&] {
                for (MemoCore *v : views)
                    if (!v->FormattingDone() || v->Progress() != 100)
                        return false;
                return true;
            };
            for (int guard = 0; !done() && guard < 100000; ++guard)
                QCoreApplication::processEvents();
            [&] { QVERIFY(done() && d.BackgroundDone()); }();
            for (size_t i = 0; i < views.size(); ++i) {
                MemoCore &v = *views[i];
                v.CheckConsistency();
                Memo fresh(text, 30 + 11 * int(i));
                fresh.Html();
                [&] {
                    QCOMPARE(v.LineCount(), fresh.LineCount());
                    for (int l = 0; l < v.LineCount(); ++l)
                        QCOMPARE(v.LineStart(l), fresh.LineStart(l));
                    QString where;
                    QVERIFY2(SameHighlighting(v, fresh, &where), qPrintable(where));
                }();
            }
            return d.ParagraphsHighlighted() - before;
        };
        MemoCore alone;
        const quint64 once = highlightsOf({&alone});
        QCOMPARE(once, quint64(alone.ParagraphCount()));
        MemoCore first;
        MemoCore second(first.SharedDocument());
        QCOMPARE(highlightsOf({&first, &second}), once);
    }
};

K5_TEST_MAIN(TestTextCore)
#include "test_textcore.moc"
