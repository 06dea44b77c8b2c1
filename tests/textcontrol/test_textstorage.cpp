// The text storage with paragraphs of one and of two bytes a character side by side: edits that bring
// wide characters in and take them out, at block edges too, surrogate pairs, copies across blocks; and
// UTF-8 and Windows-1252 loaded straight into it.
#include "k5test.h"

#include "textcontrol/memocore.h"
#include "textcontrol/textstorage.h"
#include "platform/error.h"
#include "platform/textfile.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QtTest>

using namespace textcontrol;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The storage and the text it must hold, paragraph ends as CR LF.
struct Checked {
    TextStorage s;
    QString model;

    explicit Checked(const QStringList &paras)
    {
        TextStorage::Builder b(s);
        for (const QString &p : paras) {
            bool wide = false;
            for (QChar c : p)
                wide |= c.unicode() > 0xFF;
            if (wide) {
                b.AddWide(reinterpret_cast<const char16_t *>(p.utf16()), p.size(), 0);
            } else {
                const QByteArray l1 = p.toLatin1();
                b.AddNarrow(reinterpret_cast<const uchar *>(l1.constData()), l1.size(), 0);
            }
        }
        b.Finish();
        model = paras.join(CRLF);
    }
    // Replaces model offsets [from, to) (never inside a CR LF) with text.
    void Replace(int from, int to, const QString &text)
    {
        const int p0 = s.ParagraphAt(from), p1 = s.ParagraphAt(to);
        s.Replace(p0, from - s.Start(p0), p1, to - s.Start(p1), text);
        model.replace(from, to - from, text);
    }
    bool Same() const
    {
        if (s.CharCount() != model.size() || s.Copy(0, s.CharCount()) != model)
            return false;
        const QStringList paras = model.split(CRLF);
        if (s.ParagraphCount() != paras.size())
            return false;
        for (int p = 0; p < paras.size(); ++p) {
            const ParaText t = s.Text(p);
            if (t.Mid(0, t.length) != paras[p] || s.Length(p) != paras[p].size())
                return false;
            for (int i = 0; i < t.length; ++i)
                if (t[i] != paras[p][i].unicode())
                    return false;
        }
        return true;
    }
    int Narrow() const
    {
        int n = 0;
        for (int p = 0; p < s.ParagraphCount(); ++p)
            n += s.Text(p).narrow != nullptr;
        return n;
    }
};

// About 3 MB of short paragraphs: many blocks.
QStringList ManyParagraphs(int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QStringLiteral("<p>paragraph %1 of plain words</p>").arg(i);
    return out;
}

// A place at a paragraph's edge or inside it, never between CR and LF.
int Offset(const Checked &c, quint32 r)
{
    const int p = int(r % quint32(c.s.ParagraphCount()));
    const int len = c.s.Length(p);
    switch (r / 7 % 4) {
    case 0: return c.s.Start(p);
    case 1: return c.s.Start(p) + len;
    default: return c.s.Start(p) + int(r / 31 % quint32(len + 1));
    }
}

} // namespace

class TestTextStorage : public QObject {
    Q_OBJECT

private slots:
    // A paragraph that takes a character beyond one byte goes to two bytes alone; its neighbours keep one.
    void aWideCharacterWidensOnlyItsParagraph()
    {
        Checked c(ManyParagraphs(10));
        QCOMPARE(c.Narrow(), 10);
        const int at = c.s.Start(4) + 3;
        c.Replace(at, at, QStringLiteral("\u201cq\u201d"));
        QVERIFY(c.Same());
        QCOMPARE(c.Narrow(), 9);
        QVERIFY(c.s.Text(4).wide);
        // Latin-1 letters still fit one byte.
        c.Replace(c.s.Start(6), c.s.Start(6), QStringLiteral("caf\u00e9 "));
        QVERIFY(c.Same());
        QCOMPARE(c.Narrow(), 9);
        // Rebuilt without the wide characters, the paragraph is narrow again.
        c.Replace(c.s.Start(4), c.s.Start(5), QStringLiteral("plain\r\n"));
        QVERIFY(c.Same());
        QCOMPARE(c.Narrow(), 10);
        // Storage stays near one byte a character.
        QVERIFY(c.s.MemoryUsed() < size_t(c.model.size()) * 4 + 4096);
    }

    // Edits at the first and last paragraph of blocks, adding and removing wide characters, paragraph ends
    // and surrogate pairs, checked against a plain string after each one.
    void randomEditsAtBlockEdges()
    {
        Checked c(ManyParagraphs(90000));
        QVERIFY(c.Same());
        QRandomGenerator rng(26);
        const QString pieces[] = {QStringLiteral("x"), QStringLiteral("\u00e9"), QStringLiteral("\u2014"), QStringLiteral("\U0001F4DD"),
                                  QStringLiteral("ab\r\ncd"), QStringLiteral("\r\n\u20ac\r\n"), QString(), QStringLiteral("long ").repeated(40),
                                  QStringLiteral("\u201cquoted\u201d\r\n"), QStringLiteral("\U0001F600\U0001F600")};
        for (int k = 0; k < 600; ++k) {
            int a = Offset(c, rng.generate()), b = a;
            if (k % 3 == 0)
                b = std::min(c.s.CharCount(), a + int(rng.generate() % 300));
            // Ends moved off a CR LF and out of surrogate pairs.
            auto settle = [&](int &o) {
                while (o > 0 && o < c.model.size() &&
                       ((c.model[o] == QLatin1Char('\n') && c.model[o - 1] == QLatin1Char('\r')) || c.model[o].isLowSurrogate()))
                    --o;
            };
            settle(a);
            settle(b);
            if (b < a)
                std::swap(a, b);
            c.Replace(a, b, pieces[k % 10]);
            if (k % 50 == 0 || k > 590)
                QVERIFY2(c.Same(), qPrintable(QStringLiteral("after edit %1").arg(k)));
        }
        QVERIFY(c.Same());
        // Copies across blocks, starting and ending anywhere.
        for (int k = 0; k < 200; ++k) {
            const int a = int(rng.generate() % quint32(c.model.size()));
            const int b = std::min<int>(c.model.size(), a + int(rng.generate() % 400000));
            QCOMPARE(c.s.Copy(a, b), c.model.mid(a, b - a));
        }
    }

    // Halves of a surrogate pair in a paragraph of two bytes a character are told apart.
    void surrogatePairsStayWhole()
    {
        Checked c({QStringLiteral("a\U0001F4DDb"), QStringLiteral("plain")});
        const ParaText t = c.s.Text(0);
        QVERIFY(t.wide);
        QCOMPARE(t.length, 4);
        QVERIFY(t.SplitsPair(2));
        QVERIFY(!t.SplitsPair(1) && !t.SplitsPair(3));
        QVERIFY(!c.s.Text(1).SplitsPair(2));
        c.Replace(0, 1, QString());
        QVERIFY(c.Same());
        QVERIFY(c.s.Text(0).SplitsPair(1));
    }

    // Saved as UTF-8, paragraph by paragraph whatever its width; style codes in pairs still go.
    void savedBytesAreTheTextInUtf8()
    {
        MemoCore m;
        const QString text = QStringLiteral("plain\r\ncaf\u00e9 \u00a9 \u00ff\r\n\u201cq\u201d \u2014 \U0001F4DD\r\n\r\nx\u0002\u0002\u00e9y\r\n\u2014\u0002\u0002z");
        m.SetTextBuf(text);
        QString expected = text;
        expected.remove(QStringLiteral("\u0002\u0002"));
        QCOMPARE(m.SaveToBytes(), expected.toUtf8());
        // Loaded back, the bytes give the same text.
        MemoCore back;
        const QByteArray saved = m.SaveToBytes();
        QVERIFY(back.LoadUtf8(saved.constData(), saved.size()));
        QCOMPARE(back.Text(), expected);
    }

    void utf8IsLoadedAsQtDecodesIt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << QByteArray("<p>a</p>\r\nb");
        QTest::newRow("Latin-1 letters") << QByteArray("caf\xc3\xa9\nna\xc3\xafve\rend");
        QTest::newRow("wide and narrow lines") << QByteArray("\xe2\x80\x9cq\xe2\x80\x9d\r\nplain\r\n\xe2\x82\xac 5\n");
        QTest::newRow("beyond 16 bits") << QByteArray("x\xf0\x9f\x93\x9dy\n\xf4\x8f\xbf\xbf");
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbfhello");
        QTest::newRow("largest of each length") << QByteArray("\x7f\xdf\xbf\xef\xbf\xbf\xf4\x8f\xbf\xbf");
        QTest::newRow("smallest of each length") << QByteArray("\xc2\x80\xe0\xa0\x80\xf0\x90\x80\x80");
        QTest::newRow("overlong") << QByteArray("a\xc0\x80");
        QTest::newRow("overlong, three bytes") << QByteArray("a\xe0\x80\xaf");
        QTest::newRow("overlong, four bytes") << QByteArray("a\xf0\x8f\xbf\xbf");
        QTest::newRow("surrogate") << QByteArray("a\xed\xa0\x80");
        QTest::newRow("past U+10FFFF") << QByteArray("a\xf4\x90\x80\x80");
        QTest::newRow("cut at the end") << QByteArray("a\xe2\x82");
        QTest::newRow("cut by a line end") << QByteArray("a\xe2\x82\nb");
        QTest::newRow("lone continuation") << QByteArray("a\x80 b");
        QTest::newRow("Windows-1252") << QByteArray("caf\xe9\r\n");
        QTest::newRow("F5 and FF") << QByteArray("\xf5\x80\x80\x80\xff");
    }
    // Valid UTF-8 gives the characters Qt's decoder gives; anything else is refused and changes nothing.
    void utf8IsLoadedAsQtDecodesIt()
    {
        QFETCH(QByteArray, bytes);
        QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString expected = dec(bytes);
        MemoCore m;
        m.SetTextBuf(QStringLiteral("before"));
        const bool ok = m.LoadUtf8(bytes.constData(), bytes.size());
        QCOMPARE(ok, !dec.hasError());
        if (!ok) {
            QCOMPARE(m.Text(), QStringLiteral("before"));
            return;
        }
        MemoCore ref;
        ref.SetTextBuf(expected);
        QCOMPARE(m.Text(), ref.Text());
        for (int p = 0; p < m.ParagraphCount(); ++p) {
            bool wide = false;
            for (QChar ch : m.ParagraphText(p))
                wide |= ch.unicode() > 0xFF;
            QCOMPARE(m.Storage().Text(p).wide != nullptr, wide);
        }
    }

    // The byte scan goes sixteen bytes a step: what ends or widens a paragraph is found at every place
    // within a step and across two, and the text is the one its decoded characters give.
    void bytesAtEveryPlaceOfTheScan()
    {
        const QList<QByteArray> pieces = {"\xc3\xa9", "\xe2\x80\x9c", "\xf0\x9f\x93\x9d", "\r\n", "\r", "\n", "\n\r",
                                          "\t",       "\x7f",         "\x01",             "\xc2\x80\r\n"};
        for (const QByteArray &piece : pieces) {
            for (int at = 0; at < 40; ++at) {
                const QByteArray bytes = QByteArray(at, 'a') + piece + QByteArray(37, 'b') + piece + QByteArray(at % 17, 'c');
                MemoCore m, ref;
                QVERIFY(m.LoadUtf8(bytes.constData(), bytes.size()));
                ref.SetTextBuf(QString::fromUtf8(bytes));
                QCOMPARE(m.Text(), ref.Text());
                QCOMPARE(m.ParagraphCount(), ref.ParagraphCount());
                // A sequence cut by the end of the bytes or by a line end is refused wherever it stands.
                const QByteArray cut = QByteArray(at, 'a') + piece + QByteArray(at, 'b') + "\xe2\x82" + (at % 2 ? "\n" : "");
                QVERIFY(!m.LoadUtf8(cut.constData(), cut.size()));
                QCOMPARE(m.Text(), ref.Text());
            }
        }
    }

    // Many blocks of paragraphs of both widths: the storage holds what the decoded text gives; bytes
    // that stop being UTF-8 only at the very end leave the text that was there whole.
    // A lookup right after one in another block: from a paragraph of each block, the last paragraph of the
    // block before, the first of the next block and the first of the block two on are read whole, as they
    // are after a lookup far away. Paragraphs of both widths and of many lengths, so that no two blocks
    // hold the same count.
    void lookupsNextToTheBlockOfTheLastOne()
    {
        QStringList paras;
        for (int i = 0; i < 9000; ++i)
            paras << QStringLiteral("%1 %2").arg(i).arg(QString(i % 7 == 0 ? QChar(0x2014) : QChar('w')), i % 113);
        Checked c(paras);
        auto blockStarts = [&c] {
            std::vector<int> firsts;
            for (int p = 0; p < c.s.ParagraphCount(); p += c.s.RunOf(p).count)
                firsts.push_back(p);
            return firsts;
        };
        QStringList model;
        std::vector<int> starts;
        auto readsWhole = [&](int from, int p) {
            c.s.Text(from); // the lookup before
            const ParaText t = c.s.Text(p);
            c.s.Text(from);
            const int length = c.s.Length(p);
            c.s.Text(from);
            const int start = c.s.Start(p);
            return t.Mid(0, t.length) == model[p] && length == model[p].size() && start == starts[size_t(p)];
        };
        for (int round = 0; round < 2; ++round) {
            model = c.model.split(CRLF);
            starts.assign(1, 0);
            for (const QString &para : model)
                starts.push_back(starts.back() + int(para.size()) + 2);
            const std::vector<int> firsts = blockStarts();
            QVERIFY(firsts.size() >= 6);
            for (size_t b = 0; b < firsts.size(); ++b) {
                const int inside = firsts[b] + c.s.RunOf(firsts[b]).count / 2;
                if (b > 0)
                    QVERIFY2(readsWhole(inside, firsts[b] - 1), qPrintable(QString::number(b)));
                if (b + 1 < firsts.size())
                    QVERIFY2(readsWhole(inside, firsts[b + 1]), qPrintable(QString::number(b)));
                if (b + 2 < firsts.size())
                    QVERIFY2(readsWhole(inside, firsts[b + 2]), qPrintable(QString::number(b)));
                QVERIFY2(readsWhole(firsts[b], c.s.ParagraphCount() - 1), qPrintable(QString::number(b)));
            }
            // Blocks made by an edit, of other sizes, the same way.
            c.Replace(c.s.Start(100), c.s.Start(4000), QString(20, QLatin1Char('e')) + CRLF + QStringLiteral("new"));
            QVERIFY(c.Same());
        }
    }

    void largeTextsAcrossBlocks()
    {
        QByteArray bytes;
        QRandomGenerator rng(26);
        const QList<QByteArray> words = {"plain ", "caf\xc3\xa9 ", "\xe2\x80\x9cq\xe2\x80\x9d ", "x\xf0\x9f\x93\x9d ", "<p> "};
        while (bytes.size() < 600'000) {
            const int n = int(rng.bounded(40));
            for (int k = 0; k < n; ++k)
                bytes += words[int(rng.bounded(rng.bounded(6) == 0 ? 5 : 1))];
            bytes += rng.bounded(3) == 0 ? "\r\n" : "\n";
            if (rng.bounded(500) == 0)
                bytes += QByteArray(100'000, 'L'); // a paragraph larger than a block
        }
        MemoCore m, ref;
        QVERIFY(m.LoadUtf8(bytes.constData(), bytes.size()));
        ref.SetTextBuf(QString::fromUtf8(bytes));
        QCOMPARE(m.ParagraphCount(), ref.ParagraphCount());
        QCOMPARE(m.CharCount(), ref.CharCount());
        QVERIFY(m.Text() == ref.Text());
        for (int p = 0; p < m.ParagraphCount(); p += 97)
            QCOMPARE(m.Storage().Text(p).wide != nullptr, ref.Storage().Text(p).wide != nullptr);
        const QByteArray late = bytes + "tail \xff";
        QVERIFY(!m.LoadUtf8(late.constData(), late.size()));
        QVERIFY(m.Text() == ref.Text());
        // Edits after such a load find the blocks as any other text leaves them.
        m.Select(m.CharCount() / 2, 0);
        m.SetSelText(QStringLiteral("\u2014mid\r\n"));
        ref.Select(ref.CharCount() / 2, 0);
        ref.SetSelText(QStringLiteral("\u2014mid\r\n"));
        QVERIFY(m.Text() == ref.Text());
    }

    // Paragraphs built without a size given, of both widths and of every size up to several times a
    // block, some larger than the room left where the text is being written: each is read back whole,
    // and edits after the build move them as they move any other.
    void buildingWithoutAKnownSize()
    {
        QStringList paras;
        QRandomGenerator rng(62);
        for (int k = 0; k < 400; ++k) {
            const int len = int(rng.bounded(k % 37 == 0 ? 700'000 : 3000));
            QString p(len, QLatin1Char('a' + k % 26));
            if (k % 3 == 0 && len > 0)
                p[int(rng.bounded(len))] = QChar(0x2014);
            if (k % 5 == 0 && len > 0)
                p[0] = QChar(0xE9);
            paras << p;
        }
        Checked c(paras);
        QVERIFY(c.Same());
        QVERIFY(c.s.MemoryUsed() < size_t(c.model.size()) * 2 + 100'000);
        for (int k = 0; k < 40; ++k) {
            const int at = Offset(c, rng.generate());
            c.Replace(at, at, k % 2 ? QStringLiteral("\u201c\r\n") : QStringLiteral("plain "));
        }
        QVERIFY(c.Same());
        // Many short paragraphs, every other one wide: both kinds fill their room many times over.
        QStringList mixed = ManyParagraphs(60000);
        for (int k = 0; k < mixed.size(); k += 2)
            mixed[k] += QChar(0x2026);
        Checked m(mixed);
        QVERIFY(m.Same());
        // Storages built side by side and one after another keep apart.
        Checked d(ManyParagraphs(30000)), e({QStringLiteral("\u20ac")});
        QVERIFY(c.Same() && d.Same() && e.Same());
        d.Replace(0, d.s.CharCount(), QStringLiteral("gone"));
        QVERIFY(c.Same() && d.Same() && e.Same());
    }

    // A load larger than the memory a load takes at once: the text goes on in further pieces, also when
    // a paragraph larger than the room left comes just there, and every paragraph is read back whole.
    void loadsLargerThanOnePieceOfMemory()
    {
        QByteArray bytes;
        bytes.reserve(40'000'000);
        const QByteArray line = "<p>The quick brown fox jumps over the lazy dog again and again.</p>\r\n";
        const QByteArray wide = "<p>\xe2\x80\x9cquoted\xe2\x80\x9d and \xf0\x9f\x93\x9d beyond sixteen bits</p>\n";
        const QByteArray latin = "<p>caf\xc3\xa9 na\xc3\xafve</p>\r";
        int k = 0;
        while (bytes.size() < 38'000'000) {
            bytes += k % 97 == 0 ? wide : k % 13 == 0 ? latin : line;
            if (k % 150'000 == 0)
                bytes += QByteArray(2'500'000 + k % 7, 'L') + "\xe2\x82\xac\n"; // larger than a block, wide at its end
            ++k;
        }
        MemoCore m;
        QVERIFY(m.LoadUtf8(bytes.constData(), bytes.size()));
        const QString expected = QString::fromUtf8(bytes);
        MemoCore ref;
        ref.SetTextBuf(expected);
        QCOMPARE(m.ParagraphCount(), ref.ParagraphCount());
        QCOMPARE(m.CharCount(), ref.CharCount());
        QVERIFY(m.Text() == ref.Text());
        for (int p = 0; p < m.ParagraphCount(); p += 101)
            QCOMPARE(m.Storage().Text(p).wide != nullptr, ref.Storage().Text(p).wide != nullptr);
        // Not UTF-8 at the very end: the text loaded before stays, nothing of the new one is kept.
        QByteArray late = bytes;
        late += "\xc3";
        QVERIFY(!m.LoadUtf8(late.constData(), late.size()));
        QVERIFY(m.Text() == ref.Text());
        // A small text after a large one holds only its own.
        QVERIFY(m.LoadUtf8("a\r\n\xe2\x82\xac", 6));
        QCOMPARE(m.Text(), QStringLiteral("a\r\n\u20ac"));
        QVERIFY(m.Storage().MemoryUsed() < 4096);
    }

    // Bytes that stop being UTF-8 are read as Windows-1252 throughout, exactly as the whole-file decoder
    // reads them (a mark at the start is then text), wherever the first such byte comes: in the first
    // paragraph, after paragraphs of plain ASCII, after a few paragraphs read as UTF-8 (read again), after
    // more of them than are read again one by one, and in files larger than a block.
    void windows1252IsReadStraight_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QByteArray every;
        for (int b = 0x80; b <= 0xFF; ++b)
            every += "x" + QByteArray(1, char(b)) + (b % 5 ? " " : "\r\n");
        QTest::newRow("every byte from 0x80") << every << false;
        QTest::newRow("the undefined bytes") << QByteArray("\x81\x8d\x8f\x90\x9d") << false;
        QTest::newRow("wide at once") << QByteArray("\x80 euro\r\n\x93q\x94") << false;
        QTest::newRow("a stray mark") << QByteArray("\xef\xbb\xbf<P>caf\xe9</P>") << false;
        QTest::newRow("a stray mark, UTF-8 after it") << QByteArray("\xef\xbb\xbf\xc3\xa9\r\n\xe9") << false;
        QTest::newRow("UTF-8 with its mark") << QByteArray("\xef\xbb\xbf\xc3\xa9\r\n\xe2\x82\xac") << true;
        QTest::newRow("style codes and 5") << QByteArray("a\x02" "b\xe9\x05\r\nc\x02\x80\x15") << false;
        QByteArray ascii;
        while (ascii.size() < 300'000)
            ascii += "<p>plain words of a big page</p>\r\n";
        QTest::newRow("late after ASCII") << ascii + "caf\xe9\r\nend\xc3\xa9" << false;
        QByteArray some = ascii;
        for (int k = 0; k < 40; ++k)
            some.insert(k * 7004 - k * 7004 % 34, "\xe2\x80\x9cq\xe2\x80\x9d caf\xc3\xa9 \xf0\x9f\x93\x9d\r\n");
        QTest::newRow("late after some UTF-8") << some + "\x93" << false;
        QTest::newRow("some UTF-8, all valid") << some << true;
        QByteArray many;
        while (many.size() < 500'000)
            many += "<p>\xe2\x80\x9c" "caf\xc3\xa9\xe2\x80\x9d</p>\n";
        QTest::newRow("late after many UTF-8") << many + "\xe9" << false;
        QTest::newRow("in the middle of a sequence") << QByteArray("\xe2\x82") + ascii << false;
    }
    void windows1252IsReadStraight()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        for (const QChar nul : {QChar(), QChar(u'?'), QChar(0x2400)}) {
            const QByteArray withNul = nul.isNull() ? bytes : bytes + QByteArray("\0\x01\r\n\0", 5) + (utf8 ? "\xc3\xa9" : "\xe9");
            MemoCore m, ref;
            m.SetNullReplacement(nul);
            ref.SetNullReplacement(nul);
            m.SetTextBuf(QStringLiteral("before"));
            QCOMPARE(m.LoadUtf8OrWindows1252(withNul.constData(), withNul.size()), utf8);
            QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QByteArray body = utf8 && withNul.startsWith("\xef\xbb\xbf") ? withNul.mid(3) : withNul;
            ref.SetTextBuf(utf8 ? dec(body) : platform::FromWindows1252(withNul));
            QCOMPARE(m.ParagraphCount(), ref.ParagraphCount());
            QVERIFY(m.Text() == ref.Text());
            if (!nul.isNull()) // a stand-in beyond one byte widens a paragraph of plain ASCII too
                QCOMPARE(m.Text().count(nul) + ref.Text().count(nul), 4);
            for (int p = 0; p < m.ParagraphCount(); ++p) {
                QCOMPARE(m.Storage().Style(p), ref.Storage().Style(p));
                QCOMPARE(m.Storage().Text(p).wide != nullptr, ref.Storage().Text(p).wide != nullptr);
            }
            QVERIFY(m.Modified());
            // Written back, the text gives the bytes it came from.
            if (!utf8 && nul.isNull() && !bytes.contains('\x05') && !bytes.contains('\x02')) {
                QByteArray back;
                QVERIFY(platform::ToWindows1252(platform::WithLineEnds(m.Text(), platform::DetectLineEnd(QByteArrayView(bytes))), &back));
                QCOMPARE(back, bytes);
            }
            // Edits find the storage as any load leaves it.
            m.Select(m.CharCount() / 2, 0);
            m.SetSelText(QStringLiteral("\u2014mid\r\n"));
            ref.Select(ref.CharCount() / 2, 0);
            ref.SetSelText(QStringLiteral("\u2014mid\r\n"));
            QVERIFY(m.Text() == ref.Text());
        }
    }

    // Near the length limit, where the bytes alone cannot tell: UTF-8 that fits as characters is read,
    // Windows-1252 that does not fit is refused and leaves the text as it was.
    void nearTheLengthLimit()
    {
        MemoCore m;
        m.Document().SetMaxLength(3);
        QVERIFY(m.LoadUtf8OrWindows1252("\xc3\xa9\xc3\xa9", 4));
        QCOMPARE(m.Text(), QStringLiteral("\u00e9\u00e9"));
        QVERIFY(m.LoadUtf8OrWindows1252("\xef\xbb\xbf\xc3\xa9\xc3\xa9", 7));
        QCOMPARE(m.Text(), QStringLiteral("\u00e9\u00e9"));
        QVERIFY_THROWS_EXCEPTION(platform::Error, m.LoadUtf8OrWindows1252("\xe9\xe9\xe9\xe9", 4));
        QCOMPARE(m.Text(), QStringLiteral("\u00e9\u00e9"));
        QVERIFY(!m.LoadUtf8OrWindows1252("\xe9\xe9\x80", 3));
        QCOMPARE(m.Text(), QStringLiteral("\u00e9\u00e9\u20ac"));
    }

    void edgesOfTheText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("paragraphs");
        QTest::newRow("empty") << QByteArray() << QStringList{QString()};
        QTest::newRow("only a byte order mark") << QByteArray("\xef\xbb\xbf") << QStringList{QString()};
        QTest::newRow("no final line end") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("final line end") << QByteArray("a\r\n") << QStringList{"a", ""};
        QTest::newRow("lone CR") << QByteArray("a\rb\r\rc") << QStringList{"a", "b", "", "c"};
        QTest::newRow("LF CR is one end") << QByteArray("a\n\rb") << QStringList{"a", "b"};
        QTest::newRow("only line ends") << QByteArray("\r\n\n\r") << QStringList{"", "", ""};
        QTest::newRow("wide last, no end") << QByteArray("a\n\xe2\x82\xac") << QStringList{"a", QStringLiteral("\u20ac")};
    }
    void edgesOfTheText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, paragraphs);
        MemoCore m;
        m.SetTextBuf(QStringLiteral("before"));
        QVERIFY(m.LoadUtf8(bytes.constData(), bytes.size()));
        QCOMPARE(m.ParagraphCount(), int(paragraphs.size()));
        for (int p = 0; p < m.ParagraphCount(); ++p)
            QCOMPARE(m.ParagraphText(p), paragraphs[p]);
    }
};

K5_TEST_MAIN(TestTextStorage)
#include "test_textstorage.moc"
