// The tree's stored forms: text lines with TAB indentation, the record stream, the binary file and the
// "Data" property. Expected bytes are laid out by hand from the record table.
#include "k5test.h"

#include "controls/tree/zozezo.h"
#include "platform/formstream.h"

#include <QBuffer>
#include <QtEndian>

using namespace tree;

namespace {

QByteArray i32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

// One node block (length and record) as the table lays it out; the font fields stay zero.
struct Rec {
    qint32 image = -1, selectedImage = -1, state = -1, overlay = -1, integral = 1;
    quint8 checkState = 0, checkType = 0, checkEnabled = 1, expanded = 0, selected = 0;
    qint32 data = 0, children = 0, color = 0;
    quint8 parentColor = 1, parentFont = 1;
    QByteArray text;
    // Own font, written only when parentFont is 0.
    qint32 fontHeight = 0;
    quint8 pitch = 0, style = 0;
    QByteArray fontName;
    qint32 fontColor = 0;

    QByteArray block() const
    {
        QByteArray r(88, '\0');
        auto put = [&r](int at, qint32 v) { qToLittleEndian<qint32>(v, r.data() + at); };
        put(0, image);
        put(4, selectedImage);
        put(8, state);
        put(12, overlay);
        put(16, integral);
        r[20] = char(checkState);
        r[21] = char(checkType);
        r[22] = char(checkEnabled);
        r[23] = char(expanded);
        r[24] = char(selected);
        put(25, data);
        put(29, children);
        put(33, color);
        r[37] = char(parentColor);
        r[38] = char(parentFont);
        if (!parentFont) {
            put(43, fontHeight);
            r[47] = char(pitch);
            r[48] = char(style);
            r[50] = char(fontName.size());
            for (int i = 0; i < fontName.size(); ++i)
                r[51 + i] = fontName[i];
            put(83, fontColor);
        }
        r[87] = char(text.size());
        r.append(text);
        return i32(qint32(r.size())) + r;
    }
};

QByteArray stream(quint8 checkType, qint32 count, const QByteArray &blocks)
{
    return QByteArray(1, char(checkType)) + i32(count) + blocks;
}

Rec named(const char *text, qint32 children = 0)
{
    Rec r;
    r.text = text;
    r.children = children;
    return r;
}

QStringList shape(TZozeZONodes *items)
{
    QStringList out;
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        out << QString(n->Level(), u'.') + n->Text();
    return out;
}

const QByteArray Magic("\x0D\x54\x4E\x54\x0D", 5);

} // namespace

class TestTreeForms : public QObject {
    Q_OBJECT

private slots:
    void emptyTreeForms()
    {
        TZozeZO tree;
        QCOMPARE(tree.Items()->WriteData(), QByteArray(5, '\0'));
        QCOMPARE(tree.SaveToBytes(false), QByteArray());
        QCOMPARE(tree.SaveToBytes(true), Magic + QByteArray(5, '\0'));
    }

    void singleNodeLiteralBytes()
    {
        TZozeZO tree;
        tree.Items()->Add(nullptr, QStringLiteral("A"));
        // Defaults pinned: images -1, integral height 1, check enabled, colour 0, inherited colour and
        // font, reserved and font bytes zero.
        const QByteArray expected = QByteArray::fromHex(
            "00" "01000000" "59000000"
            "ffffffff" "ffffffff" "ffffffff" "ffffffff" "01000000"
            "00" "00" "01" "00" "00" "00000000" "00000000" "00000000" "01" "01"
            "000000000000000000000000000000000000000000000000"
            "000000000000000000000000000000000000000000000000"
            "01" "41");
        QCOMPARE(tree.Items()->WriteData(), expected);
    }

    void recordStreamWritesTheTable()
    {
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toMultiSelect);
        TZozeZONodes *items = tree.Items();
        TZozeZONode *a = items->Add(nullptr, QStringLiteral("Alpha"));
        TZozeZONode *b = items->AddChild(a, QStringLiteral("Beta"));
        TZozeZONode *c = items->Add(nullptr, QStringLiteral("Gamma"));
        a->SetImageIndex(3);
        a->SetSelectedIndex(4);
        a->SetOverlayIndex(2);
        a->SetIntegralHeight(2);
        a->SetData(-7);
        a->SetCheckType(1);
        a->Expand(false);
        b->SetCheckState(1);
        b->SetCheckEnabled(false);
        b->SetColor(0x00FF8040);
        QFont font(QStringLiteral("Courier New"));
        font.setPixelSize(13);
        font.setFixedPitch(true);
        font.setBold(true);
        font.setUnderline(true);
        c->SetFont(font, clRed);
        items->SetNodeSelected(c, 0);

        Rec ra = named("Alpha", 1);
        ra.image = 3;
        ra.selectedImage = 4;
        ra.overlay = 2;
        ra.integral = 2;
        ra.data = -7;
        ra.checkType = 1;
        ra.expanded = 1;
        Rec rb = named("Beta");
        rb.checkState = 1;
        rb.checkEnabled = 0;
        rb.color = 0x00FF8040;
        rb.parentColor = 0;
        Rec rc = named("Gamma");
        rc.selected = 1;
        rc.parentFont = 0;
        rc.fontHeight = -13;
        rc.pitch = 2;
        rc.style = 1 | 4;
        rc.fontName = "Courier New";
        rc.fontColor = clRed;
        QCOMPARE(items->WriteData(), stream(0, 2, ra.block() + rb.block() + rc.block()));

        // And back: reading gives the same nodes, which write the same bytes.
        TZozeZO copy;
        copy.SetOptions(copy.Options() | toMultiSelect);
        copy.Items()->ReadData(items->WriteData());
        QCOMPARE(copy.Items()->WriteData(), items->WriteData());
        TZozeZONode *ca = copy.Items()->GetFirstNode();
        QCOMPARE(ca->Text(), QStringLiteral("Alpha"));
        QCOMPARE(ca->Data(), qintptr(-7));
        QVERIFY(ca->Expanded());
        QCOMPARE(ca->IntegralHeight(), 2);
        TZozeZONode *cb = ca->Item(0);
        QCOMPARE(cb->CheckState(), 1);
        QVERIFY(!cb->CheckEnabled());
        QVERIFY(!cb->ParentColor());
        QCOMPARE(cb->Color(), TColor(0x00FF8040));
        TZozeZONode *cc = ca->GetNextSibling();
        QVERIFY(!cc->ParentFont());
        QCOMPARE(cc->Font().family(), QStringLiteral("Courier New"));
        QCOMPARE(cc->Font().pixelSize(), 13);
        QVERIFY(cc->Font().bold() && cc->Font().underline() && !cc->Font().italic());
        QCOMPARE(cc->FontColor(), clRed);
        QVERIFY(cc->Selected());
    }

    void readingAppliesTheRecord()
    {
        Rec top = named("Root", 2);
        top.checkType = 3;
        top.expanded = 1;
        Rec first = named("One");
        first.data = 0x7FFFFFFF;
        Rec second = named("Two");
        second.checkState = 1;
        second.image = 5;
        second.state = 6;
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toCheckSupport);
        int checked = 0;
        tree.OnChecked = [&](TCustomZozeZO *, TZozeZONode *) { ++checked; };
        tree.Items()->ReadData(stream(2, 1, top.block() + first.block() + second.block()));
        QCOMPARE(tree.Items()->TopLevelCheckType(), 2);
        QCOMPARE(shape(tree.Items()), QStringList({"Root", ".One", ".Two"}));
        TZozeZONode *root = tree.Items()->GetFirstNode();
        QCOMPARE(root->CheckType(), 3);
        QVERIFY(root->Expanded());
        QCOMPARE(root->Item(0)->Data(), qintptr(0x7FFFFFFF));
        // The radio child read as on turned its sibling off; checks went through the events.
        QCOMPARE(root->Item(1)->CheckState(), 1);
        QCOMPARE(root->Item(0)->CheckState(), 0);
        QCOMPARE(root->Item(1)->StateIndex(), 6);
        QCOMPARE(root->Item(0)->StateIndex(), 5);
        QCOMPARE(root->Item(1)->ImageIndex(), 5);
        QVERIFY(checked >= 3);
    }

    void singleExpandIgnoresStoredExpansion()
    {
        Rec top = named("Root", 1);
        top.expanded = 1;
        TZozeZO tree;
        tree.SetOptions(tree.Options() | toSingleExpand);
        tree.Items()->ReadData(stream(0, 1, top.block() + named("Leaf").block()));
        QVERIFY(!tree.Items()->GetFirstNode()->Expanded());
    }

    void longTextIsCutInTheStreamOnly()
    {
        TZozeZO tree;
        const QString text(300, u'x');
        tree.Items()->Add(nullptr, text);
        const QByteArray data = tree.Items()->WriteData();
        QCOMPARE(data.size(), 5 + 4 + 88 + 255);
        QCOMPARE(quint8(data[5 + 4 + 87]), quint8(255));
        QCOMPARE(tree.SaveToBytes(false), QByteArray(300, 'x') + "\r\n");
        TZozeZO copy;
        copy.Items()->ReadData(data);
        QCOMPARE(copy.Items()->GetFirstNode()->Text(), QString(255, u'x'));

        // A cut text reads back as the start of the node's text, whatever the bytes that were cut off:
        // single bytes that looked like UTF-8 only once the cut took what made them invalid, UTF-8
        // characters and surrogate pairs that would be halved, and UTF-8 text whose start fits in
        // single bytes.
        const QString mixed[] = {
            QStringLiteral("\u00c3\u00be") + QString(300, u'=') + QStringLiteral("\u00f1\u00ba"),
            QString(200, u'=') + QStringLiteral("\u00c3\u00be") + QString(60, u'=') + QStringLiteral("\u00f1\u00ba"),
            QString(100, QChar(0x20AC)) + QString(100, u'\u03a9'),
            QString(130, u'a') + QString(80, QChar(0xD83D)).replace(QChar(0xD83D), QStringLiteral("\U0001F600")),
            QString(254, u'x') + QStringLiteral("\U0001F600"),
            QString(250, u'\u00e9') + QString(20, u'\u03a9'),
        };
        for (const QString &text : mixed) {
            tree.Items()->GetFirstNode()->SetText(text);
            const QByteArray saved = tree.SaveToBytes(true);
            copy.LoadFromBytes(saved);
            const QString back = copy.Items()->GetFirstNode()->Text();
            QVERIFY2(text.startsWith(back), qPrintable(back));
            QVERIFY(!back.isEmpty() && !back.back().isHighSurrogate());
            QCOMPARE(copy.SaveToBytes(true), saved);
        }

        // Characters of four bytes each: the cut leaves whole characters, none halved or replaced.
        QString faces;
        for (int i = 0; i < 64; ++i)
            faces += QStringLiteral("\U0001F600");
        tree.Items()->GetFirstNode()->SetText(faces);
        const QByteArray cutFaces = tree.Items()->WriteData();
        QCOMPARE(quint8(cutFaces[5 + 4 + 87]), quint8(63 * 4));
        copy.Items()->ReadData(cutFaces);
        QCOMPARE(copy.Items()->GetFirstNode()->Text(), faces.left(2 * 63));

        // So is a font name beyond the 31 bytes its record holds.
        QFont font = tree.font();
        const QString names[][2] = {
            {QStringLiteral("AB") + QString(20, u'\u03a9'), QStringLiteral("AB") + QString(14, u'\u03a9')},
            {faces.left(2 * 8), faces.left(2 * 7)},
            {QString(40, u'\u00e9'), QString(31, u'\u00e9')},
        };
        for (const auto &[name, kept] : names) {
            font.setFamily(name);
            tree.Items()->GetFirstNode()->SetFont(font, clRed);
            copy.Items()->ReadData(tree.Items()->WriteData());
            QCOMPARE(copy.Items()->GetFirstNode()->Font().family(), kept);
        }
    }

    void nodeTextEncodings()
    {
        TZozeZO tree;
        tree.Items()->Add(nullptr, QStringLiteral("caf\u00e9 \u20ac"));
        // Windows-1252 where it holds the text, in both forms.
        QCOMPARE(tree.SaveToBytes(false), QByteArray("caf\xE9 \x80\r\n"));
        QVERIFY(tree.Items()->WriteData().endsWith(QByteArray("\x06" "caf\xE9 \x80")));
        // Other text is kept as UTF-8 rather than lost.
        tree.Items()->GetFirstNode()->SetText(QStringLiteral("\u03a9mega"));
        QCOMPARE(tree.SaveToBytes(false), QByteArray("\xCE\xA9mega\r\n"));
        TZozeZO copy;
        copy.LoadFromBytes(tree.SaveToBytes(true));
        QCOMPARE(copy.Items()->GetFirstNode()->Text(), QStringLiteral("\u03a9mega"));
        copy.LoadFromBytes(tree.SaveToBytes(false));
        QCOMPARE(copy.Items()->GetFirstNode()->Text(), QStringLiteral("\u03a9mega"));
        copy.LoadFromBytes(QByteArray("caf\xE9\r\n"));
        QCOMPARE(copy.Items()->GetFirstNode()->Text(), QStringLiteral("caf\u00e9"));
        // Single bytes that would read back as UTF-8 or as a byte order mark are written as UTF-8.
        for (const QString &text : {QStringLiteral("\u00c3\u00a9"), QStringLiteral("\u00ff\u00fex")}) {
            tree.Items()->GetFirstNode()->SetText(text);
            copy.LoadFromBytes(tree.SaveToBytes(false));
            QCOMPARE(copy.Items()->GetFirstNode()->Text(), text);
            copy.LoadFromBytes(tree.SaveToBytes(true));
            QCOMPARE(copy.Items()->GetFirstNode()->Text(), text);
        }
        // Half a surrogate pair is stored as the replacement character.
        tree.Items()->GetFirstNode()->SetText(QString(QChar(0xD8D8)) + QStringLiteral("x\u00d8"));
        QCOMPARE(tree.SaveToBytes(false), QByteArray("\xEF\xBF\xBDx\xC3\x98\r\n"));
        copy.LoadFromBytes(tree.SaveToBytes(true));
        QCOMPARE(copy.SaveToBytes(true), tree.SaveToBytes(true));
    }

    void textFormWritesLevels()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        TZozeZONode *a = items->Add(nullptr, QStringLiteral("A"));
        TZozeZONode *b = items->AddChild(a, QStringLiteral("B"));
        items->AddChild(b, QStringLiteral("C"));
        items->Add(nullptr, QStringLiteral("D"));
        QCOMPARE(tree.SaveToBytes(false), QByteArray("A\r\n\tB\r\n\t\tC\r\nD\r\n"));
    }

    void textFormReadsLevels_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("shape");
        const QStringList abcd{"A", ".B", "..C", "D"};
        QTest::newRow("tabs") << QByteArray("A\r\n\tB\r\n\t\tC\r\nD\r\n") << abcd;
        QTest::newRow("no final line end") << QByteArray("A\r\n\tB\r\n\t\tC\r\nD") << abcd;
        QTest::newRow("LF only") << QByteArray("A\n\tB\n\t\tC\nD\n") << abcd;
        QTest::newRow("blank lines between") << QByteArray("A\r\n\r\n\tB\r\n\r\n\r\n\t\tC\r\nD\r\n") << abcd;
        QTest::newRow("space indents") << QByteArray("A\r\n B\r\n \tC\r\nD\r\n") << abcd;
        QTest::newRow("leading blank line") << QByteArray("\r\nA\r\n\tB\r\n\t\tC\r\nD\r\n") << abcd;
        QTest::newRow("whitespace-only lines") << QByteArray(" \r\nA\r\n\t\r\n\tB\r\n\t\tC\r\n  \r\nD\r\n") << abcd;
        QTest::newRow("back two levels") << QByteArray("A\r\n\tB\r\n\t\tC\r\nD\r\n\tE\r\n")
                                         << QStringList({"A", ".B", "..C", "D", ".E"});
        QTest::newRow("first line keeps its indent") << QByteArray("\tA\r\nB\r\n") << QStringList({"\tA", "B"});
        QTest::newRow("byte order marks before the first text")
            << QByteArray("\xEF\xBB\xBF\t\t\r\xEF\xBB\xBF" "A\r\n\tB") << QStringList({"A", ".B"});
        QTest::newRow("NUL ends the data") << QByteArray("A\r\nB\0C\r\n", 9) << QStringList({"A", "B"});
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("only blanks") << QByteArray("\r\n \t\r\n\r\n") << QStringList();
    }

    void textFormReadsLevels()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, shape);
        TZozeZO tree;
        tree.LoadFromBytes(text);
        QCOMPARE(::shape(tree.Items()), shape);
        QCOMPARE(tree.Items()->Count(), shape.size());
    }

    void levelJumpIsAnError()
    {
        TZozeZO tree;
        tree.Items()->Add(nullptr, QStringLiteral("kept"));
        try {
            tree.LoadFromBytes(QByteArray("A\r\n\t\tB\r\n"));
            QFAIL("no error");
        } catch (const EZozeZOError &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid item level assignment"));
        }
        // Nothing was lost.
        QCOMPARE(shape(tree.Items()), QStringList({"kept"}));
    }

    void loadErrorHandlerCanLetItPass()
    {
        TZozeZO tree;
        QList<int> lines;
        tree.OnLoadError = [&](TCustomZozeZO *, int line, bool &raise) {
            lines << line;
            raise = false;
        };
        tree.LoadFromBytes(QByteArray("A\r\n\r\nB\r\n\t\t\tC\r\n\tD\r\nE\r\n"));
        // Blank lines do not count; C (line 3) becomes B's child and parsing goes on. D, less deep
        // than C's level, goes back to where that level began: the top.
        QCOMPARE(lines, QList<int>({3}));
        QCOMPARE(shape(tree.Items()), QStringList({"A", "B", ".C", "D", "E"}));
    }

    void badStreamsAreRejectedWhole_data()
    {
        QTest::addColumn<QByteArray>("data");
        Rec good = named("X");
        QByteArray shortRec = good.block();
        qToLittleEndian<qint32>(87, shortRec.data());
        shortRec.remove(4 + 86, 2);
        Rec longText = named("ABCDEFGHIJ");
        QByteArray tooLong = longText.block();
        qToLittleEndian<qint32>(344, tooLong.data());
        tooLong.append(QByteArray(344 - 98, '\0'));
        QByteArray textPastRecord = good.block();
        textPastRecord[4 + 87] = char(5);
        Rec negative = named("N", -1);
        Rec many = named("M", 1000);
        Rec badState = named("S");
        badState.checkState = 2;
        Rec badType = named("T");
        badType.checkType = 4;
        Rec badFont = named("F");
        badFont.parentFont = 0;
        badFont.fontName = "x";
        QByteArray badFontBlock = badFont.block();
        badFontBlock[4 + 50] = char(32);

        QTest::newRow("length 87") << stream(0, 1, shortRec);
        QTest::newRow("length 344") << stream(0, 1, tooLong);
        QTest::newRow("text past the record") << stream(0, 1, textPastRecord);
        QTest::newRow("negative child count") << stream(0, 1, negative.block());
        QTest::newRow("impossible child count") << stream(0, 1, many.block());
        QTest::newRow("negative top count") << stream(0, -1, QByteArray());
        QTest::newRow("impossible top count") << stream(0, 3, good.block());
        QTest::newRow("check type byte") << stream(5, 0, QByteArray());
        QTest::newRow("check state") << stream(0, 1, badState.block());
        QTest::newRow("children check type") << stream(0, 1, badType.block());
        QTest::newRow("font name length") << stream(0, 1, badFontBlock);
        QTest::newRow("nothing") << QByteArray();
        const QByteArray whole = stream(0, 1, named("P", 1).block() + named("Q").block());
        for (int cut = 1; cut < whole.size(); cut += 7)
            QTest::newRow(qPrintable(QStringLiteral("cut at %1").arg(cut))) << whole.left(cut);
    }

    void badStreamsAreRejectedWhole()
    {
        QFETCH(QByteArray, data);
        TZozeZO tree;
        TZozeZONode *kept = tree.Items()->Add(nullptr, QStringLiteral("kept"));
        tree.Items()->AddChild(kept, QStringLiteral("child"));
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, tree.Items()->ReadData(data));
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, tree.LoadFromBytes(Magic + data));
        QCOMPARE(shape(tree.Items()), QStringList({"kept", ".child"}));
    }

    void trailingBytesAfterTheStreamAreIgnored()
    {
        TZozeZO tree;
        tree.Items()->ReadData(stream(0, 1, named("Only").block()) + "junk");
        QCOMPARE(shape(tree.Items()), QStringList({"Only"}));
    }

    void deepNestingReadsWithoutRecursion()
    {
        // Each node holds the next: a chain far deeper than a recursive reader could take.
        const int depth = 20000;
        QByteArray blocks;
        for (int i = 0; i < depth; ++i)
            blocks += named("n", i + 1 < depth ? 1 : 0).block();
        TZozeZO tree;
        tree.Items()->ReadData(stream(0, 1, blocks));
        QCOMPARE(tree.Items()->Count(), depth);
        QCOMPARE(tree.Items()->Item(depth - 1)->Level(), depth - 1);
        QCOMPARE(tree.Items()->WriteData(), stream(0, 1, blocks));
        tree.Items()->Clear();
        QCOMPARE(tree.Items()->Count(), 0);
    }

    void filesAndStreams()
    {
        const QString dir = k5test::Root() + QStringLiteral("/tmp/");
        TZozeZO tree;
        TZozeZONode *a = tree.Items()->Add(nullptr, QStringLiteral("A"));
        tree.Items()->AddChild(a, QStringLiteral("B"));
        tree.SaveToFile(dir + QStringLiteral("text.qvl"));
        QCOMPARE(k5test::ReadFile(dir + QStringLiteral("text.qvl")), QByteArray("A\r\n\tB\r\n"));
        tree.SaveToFile(dir + QStringLiteral("tree.bin"), true);
        QCOMPARE(k5test::ReadFile(dir + QStringLiteral("tree.bin")), Magic + tree.Items()->WriteData());
        {
            // Saved over, the file is replaced whole: a second name made before keeps the old bytes.
            k5test::HardLink old(dir + QStringLiteral("text.qvl"));
            QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
            tree.SaveToFile(dir + QStringLiteral("text.qvl"), true);
            QCOMPARE(old.Bytes(), QByteArray("A\r\n\tB\r\n"));
            tree.SaveToFile(dir + QStringLiteral("text.qvl"));
        }

        TZozeZO loaded;
        loaded.LoadFromFile(dir + QStringLiteral("tree.bin"));
        QCOMPARE(shape(loaded.Items()), QStringList({"A", ".B"}));
        loaded.LoadFromFile(dir + QStringLiteral("text.qvl"));
        QCOMPARE(shape(loaded.Items()), QStringList({"A", ".B"}));
        // Almost the magic: read as text from the start.
        k5test::WriteFile(dir + QStringLiteral("near.qvl"), QByteArray("\x0DTNTX\r\nY\r\n"));
        loaded.LoadFromFile(dir + QStringLiteral("near.qvl"));
        QCOMPARE(shape(loaded.Items()), QStringList({"TNTX", "Y"}));
        QVERIFY_THROWS_EXCEPTION(platform::FileError, loaded.LoadFromFile(dir + QStringLiteral("missing.qvl")));

        // Streams read from where they stand.
        QByteArray bytes = "prefix" + tree.SaveToBytes(true);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(6);
        loaded.LoadFromStream(buffer);
        QCOMPARE(shape(loaded.Items()), QStringList({"A", ".B"}));
        QByteArray out;
        QBuffer outBuffer(&out);
        outBuffer.open(QIODevice::WriteOnly);
        loaded.SaveToStream(outBuffer, false);
        QCOMPARE(out, QByteArray("A\r\n\tB\r\n"));
    }

    void dataPropertyStoredWhenItDiffers()
    {
        TZozeZO tree;
        TZozeZONodes *items = tree.Items();
        QVERIFY(!items->DataStored());
        items->SetTopLevelCheckType(1);
        QVERIFY(items->DataStored());
        items->SetTopLevelCheckType(0);
        items->Add(nullptr, QStringLiteral("A"));
        QVERIFY(items->DataStored());

        TZozeZO ancestor;
        ancestor.Items()->Add(nullptr, QStringLiteral("A"));
        QVERIFY(!items->DataStored(ancestor.Items()));
        items->GetFirstNode()->SetData(1);
        QVERIFY(items->DataStored(ancestor.Items()));
        items->GetFirstNode()->SetData(0);
        items->SetTopLevelCheckType(3);
        QVERIFY(items->DataStored(ancestor.Items()));
        ancestor.Items()->Add(nullptr, QStringLiteral("B"));
        QVERIFY(items->DataStored(ancestor.Items()));

        platform::FormWriter writer;
        items->DefineProperties(writer);
        platform::FormReader reader(writer.Data());
        QCOMPARE(reader.ReadString(), QStringLiteral("Data"));
        TZozeZO copy;
        QVERIFY(copy.Items()->ReadProperty(QStringLiteral("Data"), reader));
        QVERIFY(reader.AtEnd());
        QCOMPARE(copy.Items()->WriteData(), items->WriteData());
        QCOMPARE(copy.Items()->TopLevelCheckType(), 3);
        platform::FormReader other(writer.Data());
        QVERIFY(!copy.Items()->ReadProperty(QStringLiteral("Strings"), other));

        platform::FormWriter none;
        ancestor.Items()->Clear();
        TZozeZO empty;
        empty.Items()->DefineProperties(none);
        QVERIFY(none.Data().isEmpty());
    }
};

K5_TEST_MAIN(TestTreeForms)
#include "test_treeforms.moc"
