// The memo widget: selection, caret, scrolling, search, clipboard, keyboard and mouse editing,
// painting and printing.
#include "k5test.h"

#include "platform/error.h"
#include "platform/formstream.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/rilogutter.h"
#include "textcontrol/rilomemo.h"
#include "textcontrol/rilostrings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScreen>
#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QScrollBar>
#include <QtTest>

using namespace textcontrol;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// A shown memo with a fixed font, formatting at once.
struct Shown {
    QWidget window;
    TRiloMemo *memo;
    explicit Shown(const QString &text = QString(), QSize size = QSize(400, 300))
    {
        window.resize(size);
        memo = new TRiloMemo(&window);
        memo->setGeometry(0, 0, size.width(), size.height());
        QFont f(QStringLiteral("DejaVu Sans Mono"));
        f.setPixelSize(12);
        memo->setFont(f);
        memo->SetUpdateMode(TUpdateMode::umImmediate);
        if (!text.isEmpty())
            memo->SetTextBuf(text);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        memo->setFocus();
        QApplication::processEvents();
    }
    QWidget *vp() const { return memo->viewport(); }
    // Client point of a text offset (middle of the line, at the character's left edge + 1).
    QPoint PointOf(int offset) const
    {
        const int line = memo->LineOfOffset(offset);
        const int x = memo->PosToX(line, offset - memo->LineStart(line));
        return QPoint(x + 1, (line - memo->TopLine()) * memo->LineHeight() + memo->LineHeight() / 2);
    }
    QImage Grab() const
    {
        QApplication::processEvents();
        return vp()->grab().toImage();
    }
};

QString Lines(int n, const QString &prefix = QStringLiteral("line "))
{
    QString s;
    for (int i = 0; i < n; ++i) {
        if (i)
            s += CRLF;
        s += prefix + QString::number(i);
    }
    return s;
}

// Pixels of one colour inside a rectangle of an image.
int CountColour(const QImage &img, const QRect &r, QColor c, int tolerance = 40)
{
    int n = 0;
    const QRect rr = r.intersected(img.rect());
    for (int y = rr.top(); y <= rr.bottom(); ++y)
        for (int x = rr.left(); x <= rr.right(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) + std::abs(p.blue() - c.blue()) <= tolerance)
                ++n;
        }
    return n;
}

// Whether a rectangle holds only greys (black text on white, anti-aliased).
bool AllGrey(const QImage &img, const QRect &r)
{
    const QRect rr = r.intersected(img.rect());
    for (int y = rr.top(); y <= rr.bottom(); ++y)
        for (int x = rr.left(); x <= rr.right(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::max({p.red(), p.green(), p.blue()}) - std::min({p.red(), p.green(), p.blue()}) > 12)
                return false;
        }
    return true;
}

} // namespace

class TestRiloMemo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void selectionGrownStepByStepIsPaintedWhole();
    void selectedChineseIsPaintedWithoutGaps();
    void publishedDefaults();
    void streamOfAFreshControl();
    void overridableOperations();
    void storedFormReadsBack();
    void controlDragOntoAnother();
    void selectionWithSignedLength();
    void caretPlacement();
    void scrollingAndScrollInView();
    void dividedScrollBars();
    void findText();
    void findingFormatsNothingOutOfView();
    void wordAtCaret();
    void clipboard();
    void pasteReadsParagraphEndsAsLoadingDoes();
    void pasteOfATooLongTextChangesNothing();
    void typingAndEditingKeys();
    void surrogatePairsStayWhole();
    void charactersNoFontHasArePaintedInTheirCells();
    void scriptsNewToTheFontsWrapAlikeInTheBackground();
    void overwriteAndInsertKey();
    void selectionByKeys();
    void verticalMovesKeepTheColumn();
    void indentKeys();
    void readOnlyAndDisplayOnly();
    void hotKeysAndMenuShortcuts();
    void mouseClicksAndDrags();
    void doubleClickSelectsWords();
    void dragAndDropOfText();
    void autoScrollWhileSelecting();
    void contextClicks();
    void paintsKeywordsContextsAndSelection();
    void hiddenSelectionAndParagraphEnds();
    void endOfTextMark();
    void printsToPdf();
    void alignmentAndJustification();
    void tabsAndFocus();
    void keysPaintBeforeReturning();
    void loadedAppliesTheKeys();
    void backgroundSlicesFormatAsImmediateFormattingDoes();
    void measuredWidthsMatchThePaintedText();
    void replaceAllGoesOnAfterEachMatchAsAStepOfItsOwn();
    void selectionMovedBackwardsIsRepaintedWhole();
    void fallbackFontsFollowAFontChange();
    void manyNewParagraphsToggleStylesAsTypedOnes();
    void pressReleasedOutsideIsNoClick();
    void placesOutsideTheTextAreLimitedOrRefused();
};

void TestRiloMemo::publishedDefaults()
{
    TRiloMemo m;
    QCOMPARE(m.Alignment(), TAlignment::taLeftJustify);
    QCOMPARE(m.BorderStyle(), TBorderStyle::bsSingle);
    QVERIFY(m.HideSelection());
    QCOMPARE(m.ScrollBars(), TScrollStyle::ssNone);
    QVERIFY(m.WantTabs());
    QVERIFY(m.WordWrap());
    QVERIFY(m.ApplyKeyWords());
    QVERIFY(m.ApplyStartStopKeys());
    QCOMPARE(m.CaretWidth(), 1);
    QVERIFY(!m.DisplayOnly());
    QVERIFY(m.EnableHotKeys());
    QCOMPARE(m.EndOfTextMarkColor(), clRed);
    QCOMPARE(m.HighlightBackgnd(), clWindow);
    QCOMPARE(m.HighlightColor(), clRed);
    QVERIFY(!m.Justified());
    QCOMPARE(m.LeftMargin(), 8);
    QCOMPARE(m.RightMargin(), 8);
    QCOMPARE(m.LineHeightProperty(), 0);
    QVERIFY(m.LineHeight() > 1);
    QCOMPARE(m.Options(), kDefaultOptions);
    QVERIFY(!m.Overwrite());
    QVERIFY(m.PassOverCodes());
    QVERIFY(!m.ReadOnly());
    QCOMPARE(m.Separators(), QStringLiteral("\t ,.:;"));
    QVERIFY(m.ShowEndParSelected());
    QCOMPARE(m.TabStops(), 8);
    QCOMPARE(m.UndoMaxSpace(), 65536);
    QCOMPARE(m.UndoMaxLevel(), 256);
    QCOMPARE(m.UpdateMode(), TUpdateMode::umBackground);
    QCOMPARE(m.Color(), clWindow);
    QCOMPARE(m.NullReplacement(), QChar(0));
    QVERIFY(m.DropEmptyCodePairs);
    QCOMPARE(m.Progress(), -1);
    QVERIFY(!m.Modified());
    QCOMPARE(m.CharCount(), 0);
    QCOMPARE(m.ParagraphCount(), 1);
    QCOMPARE(m.LineCount(), 1);
    QCOMPARE(m.width(), 100);
    QCOMPARE(m.height(), 60);
    QVERIFY(m.focusPolicy() & Qt::TabFocus);
    QCOMPARE(m.viewport()->cursor().shape(), Qt::IBeamCursor);
    QVERIFY(!m.Version().isEmpty());
    // Empty memo: SelectAll selects nothing; SetTextBuf of nothing keeps Modified.
    m.SelectAll();
    QCOMPARE(m.SelStart(), 0);
    QCOMPARE(m.SelLength(), 0);
    m.SetTextBuf(QString());
    QVERIFY(!m.Modified());
    // Automatic caret width.
    m.SetCaretWidth(0);
    QCOMPARE(m.CaretRect().width(), m.LineHeight() / 14 + 1);
    m.SetLineHeight(30);
    QCOMPARE(m.LineHeight(), 30);
    QCOMPARE(m.CaretRect().width(), 30 / 14 + 1);
    m.SetLineHeight(0);
    QCOMPARE(m.LineHeightProperty(), 0);
}

void TestRiloMemo::streamOfAFreshControl()
{
    TRiloMemo m;
    platform::FormWriter w;
    m.WriteProperties(w);
    platform::FormReader r(w.Data());
    QMap<QString, QVariant> props;
    while (!r.AtEnd()) {
        const QString name = r.ReadString();
        switch (r.NextValue()) {
        case platform::ValueType::Integer: props[name] = r.ReadInteger(); break;
        case platform::ValueType::String: props[name] = r.ReadString(); break;
        case platform::ValueType::False:
        case platform::ValueType::True: props[name] = r.ReadBool(); break;
        default:
            r.SkipValue();
            props[name] = QStringLiteral("<data>");
            break;
        }
    }
    // Always stored, or differing from the declared defaults.
    QCOMPARE(props.value(QStringLiteral("UndoMaxSpace")).toInt(), 65536);
    QCOMPARE(props.value(QStringLiteral("TabStop")).toInt(), 1);
    QCOMPARE(props.value(QStringLiteral("CaretWidth")).toInt(), 1);
    QCOMPARE(props.value(QStringLiteral("Options")).toInt(), int(kDefaultOptions));
    QCOMPARE(props.value(QStringLiteral("Separators")).toString(), QStringLiteral("\t ,.:;"));
    for (const char *n : {"Alignment", "Lines.Strings", "ScrollBars", "AltFont", "DisplayOnly", "EndOfTextMark.Color",
                          "Highlighter", "Justified", "Keywords.Strings", "LineHeight", "NullReplacement", "Overwrite"})
        QVERIFY2(props.contains(QString::fromLatin1(n)), n);
    // Defaults are not written.
    for (const char *n : {"WordWrap", "HideSelection", "WantTabs", "LeftMargin", "RightMargin", "TabStops", "UndoMaxLevel",
                          "UpdateMode", "ReadOnly", "HighlightColor", "StartStopKeys.Keys"})
        QVERIFY2(!props.contains(QString::fromLatin1(n)), n);
}

void TestRiloMemo::storedFormReadsBack()
{
    QWidget window;
    TRiloMemo a(&window);
    a.setGeometry(3, 4, 220, 130);
    FillHtmlRules(a.Keywords(), a.StartStopKeys());
    a.SetTextBuf(QStringLiteral("<b>bold</b> ") + QChar(2) + QStringLiteral("styled") + QChar(2) + CRLF + QStringLiteral("second"));
    a.SetAlignment(TAlignment::taCenter);
    a.SetHideSelection(false);
    a.SetScrollBars(TScrollStyle::ssVertical);
    a.SetWantTabs(false);
    a.SetWordWrap(false);
    a.SetCaretWidth(3);
    a.SetEndOfTextMarkColor(RGBColor(0, 128, 0));
    a.SetHighlightColor(RGBColor(1, 2, 3));
    a.SetJustified(true);
    a.SetLeftMargin(11);
    a.SetLineHeight(19);
    a.SetNullReplacement(QLatin1Char('?'));
    a.SetOptions(kDefaultOptions | rmoAutoIndent);
    a.SetReadOnly(true);
    a.SetSeparators(QStringLiteral(" ;"));
    a.SetTabStops(4);
    a.SetUndoMaxLevel(77);
    a.SetUpdateMode(TUpdateMode::umOnNeed);
    a.SetColor(RGBColor(250, 250, 240));
    platform::FormWriter w;
    a.WriteProperties(w);

    TRiloMemo b(&window);
    platform::FormReader r(w.Data());
    b.ReadProperties(r);
    QCOMPARE(b.Text(), a.Text());
    QCOMPARE(b.geometry(), a.geometry());
    QCOMPARE(b.Alignment(), TAlignment::taCenter);
    QVERIFY(!b.WordWrap());
    QCOMPARE(b.LineHeight(), 19);
    QCOMPARE(b.Separators(), QStringLiteral(" ;"));
    QCOMPARE(b.UndoMaxLevel(), 77);
    QVERIFY(b.Keywords() == a.Keywords());
    QVERIFY(b.StartStopKeys() == a.StartStopKeys());
    QCOMPARE(b.UndoCount(), 0); // a form read is no edit to take back
    platform::FormWriter again;
    b.WriteProperties(again);
    QCOMPARE(again.Data(), w.Data());

    // A damaged form, cut short or with a value out of range, is refused whole.
    TRiloMemo c(&window);
    c.SetTextBuf(QStringLiteral("kept"));
    c.SetTabStops(6);
    for (int cut : {int(w.Data().size()) - 1, int(w.Data().size()) / 2, 3}) {
        platform::FormReader bad(w.Data().left(cut));
        QVERIFY_THROWS_EXCEPTION(platform::Error, c.ReadProperties(bad));
        QCOMPARE(c.Text(), QStringLiteral("kept"));
        QCOMPARE(c.TabStops(), 6);
        QVERIFY(c.WordWrap());
    }
    platform::FormWriter wrong;
    wrong.WriteString(QStringLiteral("TabStops"));
    wrong.WriteInteger(2);
    wrong.WriteString(QStringLiteral("Alignment"));
    wrong.WriteInteger(7);
    platform::FormReader rw(wrong.Data());
    QVERIFY_THROWS_EXCEPTION(platform::StreamError, c.ReadProperties(rw));
    QCOMPARE(c.TabStops(), 6);
    // What it does not know (a later version's property) is passed over.
    platform::FormWriter later;
    later.WriteString(QStringLiteral("SomethingNew"));
    later.WriteListBegin();
    later.WriteInteger(1);
    later.WriteListEnd();
    later.WriteString(QStringLiteral("TabStops"));
    later.WriteInteger(2);
    platform::FormReader rl(later.Data());
    c.ReadProperties(rl);
    QCOMPARE(c.TabStops(), 2);
    QCOMPARE(c.Text(), QStringLiteral("kept"));
}

void TestRiloMemo::controlDragOntoAnother()
{
    // A memo in automatic drag mode is dragged as a control: the one under the release takes it when
    // its OnDragOver accepted, and the source hears where it went.
    QWidget window;
    window.resize(500, 200);
    TRiloMemo source(&window), target(&window);
    source.setGeometry(0, 0, 200, 200);
    target.setGeometry(300, 0, 200, 200);
    source.SetTextBuf(QStringLiteral("drag me"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList seen;
    QObject *endTarget = &window;
    target.OnDragOver = [&](QObject *sender, QObject *from, int, int, platform::TDragState state, bool &accept) {
        QCOMPARE(sender, &target);
        QCOMPARE(from, &source);
        seen << QStringLiteral("over %1").arg(int(state));
        accept = true;
    };
    target.OnDragDrop = [&](QObject *, QObject *from, int x, int y) {
        QCOMPARE(from, &source);
        seen << QStringLiteral("drop %1,%2").arg(x).arg(y);
    };
    source.OnEndDrag = [&](QObject *, QObject *to, int, int) { endTarget = to; };

    // In manual mode a press selects text as before.
    QTest::mousePress(source.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(source.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(seen.isEmpty());
    QCOMPARE(endTarget, &window);

    source.SetDragMode(platform::TDragMode::dmAutomatic);
    const QPoint over = source.viewport()->mapFromGlobal(target.viewport()->mapToGlobal(QPoint(20, 30)));
    QTest::mousePress(source.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(source.viewport(), over);
    QTest::mouseRelease(source.viewport(), Qt::LeftButton, {}, over);
    const QPoint inTarget = target.mapFromGlobal(source.viewport()->mapToGlobal(over));
    QCOMPARE(seen, QStringList({QStringLiteral("over 0"), QStringLiteral("over 2"),
                               QStringLiteral("drop %1,%2").arg(inTarget.x()).arg(inTarget.y())}));
    QCOMPARE(endTarget, &target);
    QCOMPARE(source.Text(), QStringLiteral("drag me")); // the text did not move

    // Released where nothing takes it: no drop, and the source is told so.
    seen.clear();
    QTest::mousePress(source.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(source.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(endTarget, nullptr);
    QVERIFY(!seen.contains(QStringLiteral("drop"), Qt::CaseInsensitive) && seen.filter(QStringLiteral("drop")).isEmpty());
    // Escape cancels a drag over an accepting target.
    seen.clear();
    endTarget = &window;
    QTest::mousePress(source.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(source.viewport(), over);
    QTest::keyClick(source.viewport(), Qt::Key_Escape);
    QCOMPARE(endTarget, nullptr);
    QVERIFY(seen.filter(QStringLiteral("drop")).isEmpty());
    QCOMPARE(seen.last(), QStringLiteral("over 1")); // told the pointer left it
}

namespace {
// A control that takes over the edit core, the wrapping of a paragraph and the change notification.
struct Custom : TRiloMemo {
    using TRiloMemo::TRiloMemo;
    QStringList edits;
    int formatted = 0, changes = 0;
    void SetSelTextBuf(QStringView t) override
    {
        edits << t.toString();
        TRiloMemo::SetSelTextBuf(t.toString().toUpper());
    }
    bool FormatParagraph(int p) override
    {
        ++formatted;
        return TRiloMemo::FormatParagraph(p);
    }
    void Change() override
    {
        ++changes;
        TRiloMemo::Change();
    }
};
} // namespace

void TestRiloMemo::overridableOperations()
{
    QWidget window;
    window.resize(300, 200);
    auto *m = new Custom(&window);
    m->setGeometry(0, 0, 300, 200);
    int onChange = 0;
    m->OnChange = [&](MemoCore *) { ++onChange; };
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    m->setFocus();
    // Typed keys, SetSelText, the style toggles and paste all reach the override.
    QTest::keyClicks(m, QStringLiteral("ab"));
    m->SetSelText(QStringLiteral("cd"));
    QCOMPARE(m->Text(), QStringLiteral("ABCD"));
    m->SelectAll();
    m->ToggleBold();
    QCOMPARE(m->Text(), QChar(2) + QStringLiteral("ABCD") + QChar(2));
    QApplication::clipboard()->setText(QStringLiteral("ef"));
    m->Select(m->CharCount(), 0);
    m->PasteFromClipboard();
    QCOMPARE(m->Text(), QChar(2) + QStringLiteral("ABCD") + QChar(2) + QStringLiteral("EF"));
    QCOMPARE(m->edits.size(), 5);
    QCOMPARE(m->edits.first(), QStringLiteral("a"));
    QCOMPARE(m->edits.last(), QStringLiteral("ef"));
    // Each edit told the override, which passed it on to OnChange.
    QCOMPARE(m->changes, 5);
    QCOMPARE(onChange, 5);
    // Every paragraph laid out, in the background too, goes through the override.
    m->formatted = 0;
    m->SetUpdateMode(TUpdateMode::umBackground);
    m->SetTextBuf(Lines(3000));
    QTRY_VERIFY_WITH_TIMEOUT(m->FormattingDone(), 20000);
    QVERIFY2(m->formatted >= 3000, qPrintable(QString::number(m->formatted)));
}

void TestRiloMemo::selectionWithSignedLength()
{
    Shown s(QString(1000, QLatin1Char('x')));
    TRiloMemo &m = *s.memo;
    int moves = 0;
    m.OnSelMove = [&](MemoCore *) { ++moves; };
    m.SetSelStart(990);
    QCOMPARE(moves, 1);
    m.SetSelLength(1000);
    QCOMPARE(m.SelLength(), 10);
    m.SetSelLength(-5000);
    QCOMPARE(m.SelLength(), -990);
    QCOMPARE(m.SelLower(), 0);
    // Writing SelStart keeps the signed length, clamped to the text.
    m.SetSelLength(-10);
    m.SetSelStart(5);
    QCOMPARE(m.SelStart(), 5);
    QCOMPARE(m.SelLength(), -5);
    m.SetSelStart(-7);
    QCOMPARE(m.SelStart(), 0);
    QCOMPARE(m.SelLength(), 0); // the length was clamped at the text start
    m.SetSelStart(20);
    m.SetSelLength(-10);
    m.SetSelStart(5000);
    QCOMPARE(m.SelStart(), 1000);
    QCOMPARE(m.SelLength(), -10);
    // The window shows each change of the selection.
    m.SetTextBuf(QStringLiteral("abcdef"));
    m.SetOptions(m.Options() | rmoWindowsSelColors);
    const QColor hl = m.palette().color(QPalette::Highlight);
    const QRect line(0, 0, m.ClientWidth(), m.LineHeight());
    m.Select(0, 0);
    QCOMPARE(CountColour(s.Grab(), line, hl, 0), 0);
    m.SetSelLength(3);
    const int three = CountColour(s.Grab(), line, hl, 0);
    QVERIFY(three > 0);
    m.SetSelLength(6);
    QVERIFY(CountColour(s.Grab(), line, hl, 0) > three);
    m.SetSelStart(1); // keeps the length, clamped
    QCOMPARE(m.SelLength(), 5);
    m.SetSelLength(0);
    QCOMPARE(CountColour(s.Grab(), line, hl, 0), 0);
}

void TestRiloMemo::caretPlacement()
{
    Shown s(QStringLiteral("abc") + CRLF + QStringLiteral("defgh"));
    TRiloMemo &m = *s.memo;
    const int lh = m.LineHeight();
    m.Select(2, 0);
    QCOMPARE(m.CaretRect().y(), 0);
    QCOMPARE(m.CaretRect().x(), m.PosToX(0, 2));
    QCOMPARE(m.CaretRect().height(), lh);
    m.Select(7, 0);
    QCOMPARE(m.SelLine(), 1);
    QCOMPARE(m.SelCol(), 2);
    QCOMPARE(m.SelPar(), 1);
    QCOMPARE(m.CaretRect().y(), lh);
    QCOMPARE(m.CaretRect().x(), m.PosToX(1, 2));
    QVERIFY(m.PosToX(1, 2) > m.PosToX(1, 1));
    QCOMPARE(m.XToPos(1, m.PosToX(1, 3) + 1), 3);
    QCOMPARE(m.XToPos(1, 10000), 5);
    QCOMPARE(m.XToPos(1, -50), 0);
    QCOMPARE(m.inputMethodQuery(Qt::ImCursorRectangle).toRectF().toRect(), m.CaretRect());
    // The caret is painted: the caret column differs between the two blink phases.
    QCOMPARE(m.CaretShown(), true);
    // Wide overwrite caret covers the character under it.
    m.SetCaretWidth(1);
    m.SetOverwrite(true);
    m.Select(5, 0);
    QCOMPARE(m.CaretRect().width(), m.PosToX(1, 1) - m.PosToX(1, 0));
    m.SetOverwrite(false);
    QCOMPARE(m.CaretRect().width(), 1);
    // Characters beyond Latin-1 take room; a surrogate pair is as wide as one character.
    m.SetTextBuf(QStringLiteral("a\u03A9b") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("c"));
    QVERIFY(m.PosToX(0, 2) > m.PosToX(0, 1));
    QVERIFY(m.PosToX(0, 4) > m.PosToX(0, 3));
    QCOMPARE(m.PosToX(0, 5), m.PosToX(0, 4));
    QVERIFY(CountColour(s.Grab(), QRect(m.PosToX(0, 1), 0, m.PosToX(0, 2) - m.PosToX(0, 1), m.LineHeight()), QColor(0, 0, 0), 200) > 0);
    // Blanks past the end of a full line: the caret stays at the right edge.
    m.SetTextBuf(QStringLiteral("word"));
    m.Select(4, 0);
    m.SetSelText(QString(200, QLatin1Char(' ')));
    QCOMPARE(m.SelLine(), 0);
    QVERIFY(m.CaretRect().x() <= m.ClientWidth() - 1);
    // Scrolled out of view: parked one line above the client area.
    m.SetTextBuf(Lines(300));
    m.Select(0, 0);
    m.SetTopLine(100);
    QCOMPARE(m.TopLine(), 100);
    QCOMPARE(m.CaretRect().y(), -lh);
    // Virtual spaces past the paragraph end.
    m.SetOptions(m.Options() | rmoKeepColumnPos);
    m.Select(m.ParagraphStart(100) + 8, 0);
    m.SetVirtualSpaces(3);
    m.UpdateCaret();
    QCOMPARE(m.CaretRect().x(), m.PosToX(100, 8) + 3 * m.SpaceWidth());
    QCOMPARE(m.SelCol(), 11);
}

void TestRiloMemo::scrollingAndScrollInView()
{
    Shown s(Lines(200));
    TRiloMemo &m = *s.memo;
    m.SetScrollBars(TScrollStyle::ssBoth);
    QApplication::processEvents();
    int scrolls = 0, appScrolls = 0;
    m.OnVScroll = [&](MemoCore *) { ++appScrolls; };
    QObject::connect(&m, &TRiloMemo::VScrolled, &m, [&] { ++scrolls; });
    const int vis = m.VisibleLines();
    QCOMPARE(vis, m.viewport()->height() / m.LineHeight() + 1);
    m.Select(m.ParagraphStart(150), 0);
    m.ScrollInView();
    QCOMPARE(m.TopLine(), 150 - vis + 2);
    QVERIFY(scrolls > 0);
    QCOMPARE(appScrolls, scrolls);
    QCOMPARE(m.verticalScrollBar()->value(), m.TopLine());
    m.Select(m.ParagraphStart(20), 0);
    m.ScrollInView();
    QCOMPARE(m.TopLine(), 20);
    // Scroll bar moves the top line; the caret stays in the text.
    m.verticalScrollBar()->setValue(60);
    QCOMPARE(m.TopLine(), 60);
    QCOMPARE(m.SelStart(), m.ParagraphStart(20));
    // Keys: Ctrl+End and Ctrl+Home.
    QTest::keyClick(&m, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m.SelStart(), m.CharCount());
    QCOMPARE(m.TopLine(), 199 - vis + 2);
    QTest::keyClick(&m, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(m.TopLine(), 0);
    // Page Down moves the caret by a page, keeping it in view.
    QTest::keyClick(&m, Qt::Key_PageDown);
    QCOMPARE(m.SelLine(), vis - 1);
    QVERIFY(m.SelLine() >= m.TopLine() && m.SelLine() <= m.TopLine() + vis - 1);
    // The wheel scrolls lines.
    const int top = m.TopLine();
    QWheelEvent wheel(QPointF(10, 10), m.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m.viewport(), &wheel);
    QCOMPARE(m.TopLine(), top + 3);
    // Deleting the text below the view: the bar goes and the view returns to the top.
    m.SetTopLine(100);
    m.Select(m.ParagraphStart(3), 0);
    m.SetSelLength(m.CharCount() - m.ParagraphStart(3));
    m.ClearSelection();
    QCOMPARE(m.LineCount(), 4);
    QCOMPARE(m.TopLine(), 0);
    QCOMPARE(m.verticalScrollBar()->maximum(), 0);
    // Horizontal scrolling without word wrap.
    m.SetTextBuf(QString(300, QLatin1Char('w')));
    m.SetWordWrap(false);
    QCOMPARE(m.LineCount(), 1);
    QVERIFY(m.WidestLine() > m.ClientWidth());
    m.Select(300, 0);
    m.ScrollInView();
    QVERIFY(m.HorzOffset() > 0);
    QVERIFY(m.CaretRect().x() < m.ClientWidth());
    QVERIFY(m.CaretRect().x() >= 0);
    QCOMPARE(m.HorzOffset() % (5 * m.SpaceWidth()), 0);
    m.Select(0, 0);
    m.ScrollInView();
    QCOMPARE(m.HorzOffset(), 0);
    m.SetWordWrap(true);
    QVERIFY(m.LineCount() > 1);
    // Wrapped: blanks typed at the end of a full line scroll the view while the caret is on them; the word
    // pasted after them wraps, and the view is back at its left edge with nothing of the line cut off.
    bool full = false;
    for (int k = 1; k < 80 && !full; ++k) {
        m.SetTextBuf(QString(k, QLatin1Char('x')) + QStringLiteral(" word").repeated(200));
        m.Select(0, 0);
        QTest::keyClick(&m, Qt::Key_End);
        full = m.CaretRect().x() + 2 * m.SpaceWidth() >= m.ClientWidth() && m.SelLine() == 0;
    }
    QVERIFY(full);
    QTest::keyClicks(&m, QStringLiteral("  "));
    QVERIFY(m.HorzOffset() > 0);
    QApplication::clipboard()->setText(QStringLiteral("okayish"));
    QTest::keyClick(&m, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m.SelLine(), 1);
    QCOMPARE(m.HorzOffset(), 0);
}

void TestRiloMemo::dividedScrollBars()
{
    TRiloMemo m;
    m.SetUpdateMode(TUpdateMode::umImmediate);
    m.SetScrollBars(TScrollStyle::ssVertical);
    m.resize(300, 200);
    m.SetTextBuf(Lines(70000, QStringLiteral("x")));
    QCOMPARE(m.LineCount(), 70000);
    QCOMPARE(m.VScrollDivisor(), 3);
    QCOMPARE(m.VScrollRangeMax(), 23333);
    m.verticalScrollBar()->setValue(1000);
    QCOMPARE(m.TopLine(), 3000);
    m.SetTextBuf(Lines(100, QStringLiteral("x")));
    QCOMPARE(m.VScrollDivisor(), 1);
    QCOMPARE(m.TopLine(), 0);
}

void TestRiloMemo::findText()
{
    TRiloMemo m;
    m.SetTextBuf(QStringLiteral("xab") + CRLF + QStringLiteral("ab"));
    m.Select(0, 0);
    QVERIFY(m.FindText(QStringLiteral("ab"), true, false, false));
    QCOMPARE(m.SelLower(), 1);
    QCOMPARE(m.SelUpper(), 3);
    QCOMPARE(m.SelStart(), 3);
    QVERIFY(m.FindText(QStringLiteral("ab"), true, false, false));
    QCOMPARE(m.SelLower(), 5);
    QVERIFY(!m.FindText(QStringLiteral("ab"), true, false, false));
    QCOMPARE(m.SelLower(), 5); // a failed search leaves the selection
    // Backward: never the match the caret stands in, never one that ends after the caret.
    m.Select(6, 0);
    QVERIFY(m.FindText(QStringLiteral("ab"), false, false, false));
    QCOMPARE(m.SelStart(), 1);
    QCOMPARE(m.SelLength(), 2);
    m.Select(2, 0);
    QVERIFY(!m.FindText(QStringLiteral("ab"), false, false, false));
    // Case and whole words.
    m.SetTextBuf(QStringLiteral("print In in"));
    m.Select(0, 0);
    QVERIFY(m.FindText(QStringLiteral("in"), true, true, true));
    QCOMPARE(m.SelLower(), 9);
    m.Select(0, 0);
    QVERIFY(m.FindText(QStringLiteral("in"), true, true, false));
    QCOMPARE(m.SelLower(), 6);
    m.Select(0, 0);
    QVERIFY(m.FindText(QStringLiteral("in"), true, false, true));
    QCOMPARE(m.SelLower(), 2);
    // Nothing is found for an empty text.
    QVERIFY(!m.FindText(QString(), true, false, false));
    QVERIFY(!m.FindText(QString(), false, false, false));
}

void TestRiloMemo::findingFormatsNothingOutOfView()
{
    // Paragraphs that wrap, formatted only where they are shown: a search that stops far below the window
    // leaves the paragraphs it stops in as they were, however often it stops.
    Shown s;
    TRiloMemo &m = *s.memo;
    m.SetUpdateMode(TUpdateMode::umOnNeed);
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("paragraph %1 holds words enough to take more than one line of the window %2%3")
                    .arg(i)
                    .arg(i % 50 == 49 ? QStringLiteral("needle") : QStringLiteral("hay"))
                    .arg(i < 299 ? CRLF : QString());
    m.SetTextBuf(text);
    QApplication::processEvents();
    const int lh = m.LineHeight();
    m.Select(0, 0);
    QList<int> stops;
    while (m.FindText(QStringLiteral("NEEDLE"), true, false, false))
        stops << m.Storage().ParagraphAt(m.SelLower());
    QCOMPARE(stops, QList<int>({49, 99, 149, 199, 249, 299}));
    for (int p : stops)
        QVERIFY(!m.Layout().Wrapped(p));
    // Where the caret is comes out right once it is asked for, as it did when it was placed at once.
    const int caret = m.SelStart();
    const QRect asked = m.CaretRect();
    const int line = m.LineOfOffset(caret);
    QCOMPARE(asked.x(), m.PosToX(line, caret - m.LineStart(line)));
    QCOMPARE(asked.y(), (line - m.TopLine()) * lh);
    QVERIFY(asked.y() >= s.vp()->height());
    // Brought into view it is placed there, the lines above it formatted first so that it stays in view.
    m.Select(m.Storage().Start(199) + 3, 0);
    QVERIFY(!m.Layout().Wrapped(199));
    m.ScrollInView();
    const int shownLine = m.LineOfOffset(m.SelStart());
    QCOMPARE(m.CaretRect().topLeft(), QPoint(m.PosToX(shownLine, 3), (shownLine - m.TopLine()) * lh));
    QVERIFY(m.CaretRect().y() >= 0 && m.CaretRect().y() < s.vp()->height());
    // Scrolled away again above the window: parked one line above the client area.
    m.SetTopLine(m.LineCount() - 1);
    QCOMPARE(m.CaretRect().y(), -lh);
}

void TestRiloMemo::wordAtCaret()
{
    TRiloMemo m;
    m.SetTextBuf(QStringLiteral("one two,three"));
    m.Select(5, 0);
    QCOMPARE(m.WordAtCaret(), QStringLiteral("two"));
    m.Select(4, 0);
    QCOMPARE(m.WordAtCaret(), QStringLiteral("two"));
    m.Select(13, 0);
    QCOMPARE(m.WordAtCaret(), QStringLiteral("three"));
    m.SetTextBuf(QStringLiteral("a  b"));
    m.Select(2, 0);
    QCOMPARE(m.WordAtCaret(), QString());
}

void TestRiloMemo::clipboard()
{
    Shown s(QStringLiteral("alpha") + CRLF + QStringLiteral("beta"));
    TRiloMemo &m = *s.memo;
    QClipboard *cb = QGuiApplication::clipboard();
    cb->setText(QStringLiteral("untouched"));
    m.Select(0, 0);
    m.CopyToClipboard(); // nothing selected: the clipboard keeps its text
    QCOMPARE(cb->text(), QStringLiteral("untouched"));
    m.Select(3, 6);
    m.CopyToClipboard();
    QCOMPARE(cb->text(), QStringLiteral("ha") + CRLF + QStringLiteral("be"));
    m.CutToClipboard();
    QCOMPARE(m.Text(), QStringLiteral("alpta"));
    QCOMPARE(m.SelStart(), 3);
    m.PasteFromClipboard();
    QCOMPARE(m.Text(), QStringLiteral("alpha") + CRLF + QStringLiteral("beta"));
    // LF becomes CR LF on paste; one undo step removes the paste.
    cb->setText(QStringLiteral("x\ny\r\nz"));
    m.Select(0, 0);
    m.PasteFromClipboard();
    QCOMPARE(m.ParagraphCount(), 4);
    QVERIFY(m.Text().startsWith(QStringLiteral("x") + CRLF + QStringLiteral("y") + CRLF + QStringLiteral("zalpha")));
    m.Undo();
    QCOMPARE(m.Text(), QStringLiteral("alpha") + CRLF + QStringLiteral("beta"));
    // Empty and non-text clipboards change nothing.
    const QString before = m.Text();
    cb->setText(QString());
    m.PasteFromClipboard();
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("image/png"), QByteArray("\x89PNG", 4));
    cb->setMimeData(mime);
    m.PasteFromClipboard();
    QCOMPARE(m.Text(), before);
    // Keys: Ctrl+C, Ctrl+X, Ctrl+V, Shift+Insert, Ctrl+Insert, Shift+Delete.
    m.Select(0, 5);
    QTest::keyClick(&m, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(cb->text(), QStringLiteral("alpha"));
    QTest::keyClick(&m, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(m.Text().startsWith(CRLF));
    QTest::keyClick(&m, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m.Text(), before);
    m.Select(7, 4);
    QTest::keyClick(&m, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(cb->text(), QStringLiteral("beta"));
    QTest::keyClick(&m, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(m.Text(), QStringLiteral("alpha") + CRLF);
    QTest::keyClick(&m, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(m.Text(), before);
}

void TestRiloMemo::pasteReadsParagraphEndsAsLoadingDoes()
{
    Shown s(QStringLiteral("end"));
    TRiloMemo &m = *s.memo;
    QClipboard *cb = QGuiApplication::clipboard();
    // LF CR, a lone CR and a lone LF each end one paragraph.
    cb->setText(QStringLiteral("1\n\r2\r3\n4"));
    QTest::keyClick(&m, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("1\r\n2\r\n3\r\n4end"));
    QCOMPARE(m.ParagraphCount(), 4);
    QCOMPARE(m.SelStart(), 10);
    QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("end"));
    // Saved and loaded again it is the same text.
    cb->setText(QStringLiteral("a\n\rb"));
    QTest::keyClick(&m, Qt::Key_V, Qt::ControlModifier);
    const QByteArray saved = m.SaveToBytes();
    TRiloMemo again;
    again.SetTextBuf(QString::fromUtf8(saved));
    QCOMPARE(again.Text(), m.Text());
    QCOMPARE(again.ParagraphCount(), m.ParagraphCount());
}

void TestRiloMemo::pasteOfATooLongTextChangesNothing()
{
    struct Limited : TRiloMemo {
        using TRiloMemo::TRiloMemo;
        void Limit(int chars) { Document().SetMaxLength(chars); }
    };
    QWidget window;
    window.resize(300, 200);
    auto *m = new Limited(&window);
    m->setGeometry(0, 0, 300, 200);
    m->SetTextBuf(QStringLiteral("keep"));
    m->Select(4, 0);
    QTest::keyClicks(m, QStringLiteral("s"));
    m->SetModified(false);
    m->Limit(10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    m->setFocus();
    k5test::Answerer answers;
    QGuiApplication::clipboard()->setText(QStringLiteral("123456"));
    QTest::keyClick(m, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(answers.Texts(), QStringList{QStringLiteral("Text too long")});
    QCOMPARE(m->Text(), QStringLiteral("keeps"));
    QVERIFY(!m->Modified());
    QCOMPARE(m->UndoCount(), 1);
    QCOMPARE(m->SelStart(), 5);
    // What fits still goes in.
    QGuiApplication::clipboard()->setText(QStringLiteral("12345"));
    QTest::keyClick(m, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m->Text(), QStringLiteral("keeps12345"));
}

void TestRiloMemo::typingAndEditingKeys()
{
    Shown s;
    TRiloMemo &m = *s.memo;
    int changes = 0;
    MemoCore *sender = nullptr;
    m.OnChange = [&](MemoCore *s) { ++changes, sender = s; };
    QTest::keyClicks(&m, QStringLiteral("hello"));
    QCOMPARE(m.Text(), QStringLiteral("hello"));
    QCOMPARE(changes, 5);
    // The sender is the control's view, which leads back to the control; a view without a window has none.
    QCOMPARE(sender, &m.View());
    QCOMPARE(TRiloMemo::Of(sender), &m);
    MemoCore windowless(m.SharedDocument());
    QVERIFY(!TRiloMemo::Of(&windowless) && !windowless.HasWindow());
    QVERIFY(m.Modified());
    QTest::keyClick(&m, Qt::Key_Return);
    QTest::keyClicks(&m, QStringLiteral("world"));
    QCOMPARE(m.Text(), QStringLiteral("hello") + CRLF + QStringLiteral("world"));
    QTest::keyClick(&m, Qt::Key_Backspace);
    QCOMPARE(m.Text(), QStringLiteral("hello") + CRLF + QStringLiteral("worl"));
    QTest::keyClick(&m, Qt::Key_Home);
    QCOMPARE(m.SelStart(), 7);
    QTest::keyClick(&m, Qt::Key_Backspace); // joins the paragraphs
    QCOMPARE(m.Text(), QStringLiteral("helloworl"));
    QTest::keyClick(&m, Qt::Key_Home);
    QTest::keyClick(&m, Qt::Key_Backspace); // nothing before the text
    QCOMPARE(m.Text(), QStringLiteral("helloworl"));
    QTest::keyClick(&m, Qt::Key_Delete);
    QCOMPARE(m.Text(), QStringLiteral("elloworl"));
    QTest::keyClick(&m, Qt::Key_End);
    QTest::keyClick(&m, Qt::Key_Delete); // nothing after the text
    QCOMPARE(m.Text(), QStringLiteral("elloworl"));
    // Tab is typed, not a focus move.
    QTest::keyClick(&m, Qt::Key_Tab);
    QCOMPARE(m.Text(), QStringLiteral("elloworl\t"));
    QVERIFY(m.hasFocus());
    // Delete at a paragraph end joins; Ctrl+Backspace deletes the previous word.
    m.SetTextBuf(QStringLiteral("one two") + CRLF + QStringLiteral("three"));
    m.Select(7, 0);
    QTest::keyClick(&m, Qt::Key_Delete);
    QCOMPARE(m.Text(), QStringLiteral("one twothree"));
    m.Select(7, 0);
    QTest::keyClick(&m, Qt::Key_Backspace, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("one three"));
    // Style codes go with the character deleted next to them.
    m.SetTextBuf(QStringLiteral("a") + QChar(2) + QStringLiteral("b"));
    m.Select(3, 0);
    QTest::keyClick(&m, Qt::Key_Backspace); // the code goes with it, and comes back to keep the pairs
    QCOMPARE(m.Text(), QStringLiteral("a") + QChar(2));
    QCOMPARE(m.SelStart(), 2);
    m.SetTextBuf(QStringLiteral("a") + QChar(2) + QStringLiteral("bc"));
    m.Select(0, 0);
    QTest::keyClick(&m, Qt::Key_Delete);
    QCOMPARE(m.Text(), QChar(2) + QStringLiteral("bc"));
    // Ctrl+Delete: to the end of the display line.
    m.SetTextBuf(QStringLiteral("keep this") + CRLF + QStringLiteral("next"));
    m.Select(4, 0);
    QTest::keyClick(&m, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("keep") + CRLF + QStringLiteral("next"));
    // Ctrl+Z and Ctrl+Shift+Z.
    QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("keep this") + CRLF + QStringLiteral("next"));
    QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m.Text(), QStringLiteral("keep") + CRLF + QStringLiteral("next"));
    // Ctrl+P puts a page-break paragraph.
    m.SetTextBuf(QStringLiteral("ab"));
    m.Select(1, 0);
    QTest::keyClick(&m, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("a") + CRLF + QChar(16) + CRLF + QStringLiteral("b"));
    // Control characters are not typed.
    m.SetTextBuf(QStringLiteral("ab"));
    m.Select(1, 0);
    QTest::keyClick(&m, Qt::Key_Escape);
    QCOMPARE(m.Text(), QStringLiteral("ab"));
}

// Characters of a script no font here holds (Devanagari), plain and bold: each is drawn inside the cell
// it is measured to take, as the font's sign for a missing glyph, and the text after them where it is
// measured to stand.
// Paragraphs in scripts met nowhere before in the program (their fallback families are found on the
// measurer's own thread while the slices wait): wrapped in the background as at once, plain and bold.
void TestRiloMemo::scriptsNewToTheFontsWrapAlikeInTheBackground()
{
    QString page;
    for (int k = 0; k < 60; ++k) {
        QString words;
        for (char16_t first : {u'\u10D0', u'\u0E01', u'\u1780', u'\u0F40', u'\u0531'}) // Georgian, Thai, Khmer, Tibetan, Armenian
            for (int w = 0; w < 4; ++w)
                words += QString(QChar(char16_t(first + (k + w) % 24))) + QChar(char16_t(first + (k * 3 + w) % 24)) + QLatin1Char(' ');
        page += QStringLiteral("<p>%1 <b>%1</b></p>\r\n").arg(words);
    }
    auto make = [&](QWidget &window, TUpdateMode mode) {
        window.resize(300, 200);
        auto *m = new TRiloMemo(&window);
        m->setGeometry(0, 0, 300, 200);
        QFont f(QStringLiteral("Sans Serif"));
        f.setPixelSize(11);
        m->setFont(f);
        FillHtmlRules(m->Keywords(), m->StartStopKeys());
        m->SetUpdateMode(mode);
        m->SetBackgroundTuning(1, 4096);
        window.show();
        m->SetTextBuf(page);
        return m;
    };
    QWidget w1, w2;
    TRiloMemo &bg = *make(w1, TUpdateMode::umBackground);
    QVERIFY(QTest::qWaitForWindowExposed(&w1));
    QTRY_COMPARE_WITH_TIMEOUT(bg.Progress(), 100, 60000);
    TRiloMemo &now = *make(w2, TUpdateMode::umImmediate);
    QCOMPARE(bg.LineCount(), now.LineCount());
    QVERIFY(bg.LineCount() > bg.ParagraphCount());
    for (int l = 0; l < bg.LineCount(); ++l)
        QCOMPARE(bg.LineStart(l), now.LineStart(l));
    bg.CheckConsistency();
}

void TestRiloMemo::charactersNoFontHasArePaintedInTheirCells()
{
    const QString hindi = QStringLiteral("\u0939\u093F\u0928\u0926\u0940");
    Shown s(QStringLiteral("a") + hindi + QStringLiteral(" \x02") + hindi + QStringLiteral("\x02 b"));
    TRiloMemo &m = *s.memo;
    const QImage img = s.Grab();
    const int lh = m.LineHeight();
    auto cell = [&](int a) { return QRect(m.PosToX(0, a), 0, m.PosToX(0, a + 1) - m.PosToX(0, a), lh); };
    const int bold = 1 + hindi.size() + 2; // after the style code
    for (int k = 0; k < hindi.size(); ++k) {
        QVERIFY(cell(1 + k).width() > 0);
        QVERIFY2(CountColour(img, cell(1 + k), QColor(0, 0, 0), 200) > 2, qPrintable(QString::number(k)));
        QVERIFY(CountColour(img, cell(bold + k), QColor(0, 0, 0), 200) > 2);
    }
    // The blank between the words is blank; "b" is drawn where it is measured.
    const int blank = 1 + int(hindi.size());
    QCOMPARE(CountColour(img, cell(blank).adjusted(1, 0, -1, 0), QColor(255, 255, 255), 0), (cell(blank).width() - 2) * lh);
    const int b = int(m.Text().size()) - 1;
    QVERIFY(CountColour(img, cell(b), QColor(0, 0, 0), 200) > 2);
    QCOMPARE(CountColour(img, QRect(m.PosToX(0, b + 1) + 2, 0, 100, lh), QColor(255, 255, 255), 0), 100 * lh);
}

void TestRiloMemo::surrogatePairsStayWhole()
{
    // A character beyond 16 bits (two units) is one character to every key and to the mouse.
    const QString e = QString::fromUcs4(U"\U0001F600");
    Shown s(QStringLiteral("a") + e + QStringLiteral("b c"));
    TRiloMemo &m = *s.memo;
    auto inside = [&](int offset) { return m.CharAt(offset).isLowSurrogate() && m.CharAt(offset - 1).isHighSurrogate(); };
    m.Select(1, 0);
    QTest::keyClick(&m, Qt::Key_Right);
    QCOMPARE(m.SelStart(), 3);
    QTest::keyClick(&m, Qt::Key_Left);
    QCOMPARE(m.SelStart(), 1);
    QTest::keyClick(&m, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m.SelText(), e);
    QTest::keyClick(&m, Qt::Key_Left);
    QTest::keyClick(&m, Qt::Key_End, Qt::ShiftModifier);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&m, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(m.SelText(), e);
    QTest::keyClick(&m, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(m.SelText(), QString());
    // Backspace and Delete take the whole pair; what is saved is whole characters.
    m.Select(3, 0);
    QTest::keyClick(&m, Qt::Key_Backspace);
    QCOMPARE(m.Text(), QStringLiteral("ab c"));
    QCOMPARE(m.SaveToBytes(), QByteArray("ab c"));
    QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier);
    m.Select(1, 0);
    QTest::keyClick(&m, Qt::Key_Delete);
    QCOMPARE(m.Text(), QStringLiteral("ab c"));
    QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("a") + e + QStringLiteral("b c"));
    // Shift+Delete without a selection deletes back.
    m.Select(3, 0);
    QTest::keyClick(&m, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(m.Text(), QStringLiteral("ab c"));
    QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier);
    // Clicks on either half of the picture land before or after it; a drag selects all of it.
    const int x1 = m.PosToX(0, 1), x3 = m.PosToX(0, 3);
    QVERIFY(x3 - x1 >= 4);
    const int y = m.LineHeight() / 2;
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, QPoint(x1 + (x3 - x1) / 4, y));
    QCOMPARE(m.SelStart(), 1);
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, QPoint(x3 - (x3 - x1) / 4, y));
    QCOMPARE(m.SelStart(), 3);
    QTest::mousePress(s.vp(), Qt::LeftButton, {}, QPoint(m.PosToX(0, 0), y));
    QTest::mouseMove(s.vp(), QPoint(x3 - (x3 - x1) / 4, y));
    QTest::mouseRelease(s.vp(), Qt::LeftButton, {}, QPoint(x3 - (x3 - x1) / 4, y));
    QCOMPARE(m.SelLower(), 0);
    QCOMPARE(m.SelUpper(), 3);
    QTest::mouseClick(s.vp(), Qt::LeftButton, Qt::ShiftModifier, QPoint(x1 + (x3 - x1) / 2, y));
    QVERIFY(!inside(m.SelLower()) && !inside(m.SelUpper()));
    // Double click and Ctrl+arrows go by words, which hold the pair whole.
    QTest::mouseDClick(s.vp(), Qt::LeftButton, {}, QPoint(x1 + 2, y));
    QCOMPARE(m.SelText(), QStringLiteral("a") + e + QStringLiteral("b "));
    m.Select(0, 0);
    QTest::keyClick(&m, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(m.SelStart(), 5);
    QTest::keyClick(&m, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m.SelText(), QStringLiteral("a") + e + QStringLiteral("b "));
    // Typed in one key event or in two, the pair is one character; overwrite replaces one.
    m.Select(1, 0);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, e);
    QApplication::sendEvent(&m, &key);
    QCOMPARE(m.Text(), QStringLiteral("a") + e + e + QStringLiteral("b c"));
    QCOMPARE(m.SelStart(), 3);
    m.SetTextBuf(QStringLiteral("xyz"));
    m.SetOverwrite(true);
    m.Select(0, 0);
    QApplication::sendEvent(&m, &key);
    QCOMPARE(m.Text(), e + QStringLiteral("yz"));
    for (QChar unit : e) { // one event per unit
        QKeyEvent half(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(unit));
        QApplication::sendEvent(&m, &half);
    }
    QCOMPARE(m.Text(), e + e + QStringLiteral("z"));
    m.Select(0, 0);
    QTest::keyClicks(&m, QStringLiteral("q"));
    QCOMPARE(m.Text(), QStringLiteral("q") + e + QStringLiteral("z"));
    m.SetOverwrite(false);
    // Wrapped lines break between pairs: Home and End stay outside them.
    QString row;
    for (int i = 0; i < 200; ++i)
        row += e;
    m.SetTextBuf(row);
    QVERIFY(m.LineCount() > 2);
    for (int l = 0; l < m.LineCount(); ++l) {
        m.Select(m.LineStart(l) + 2, 0);
        QTest::keyClick(&m, Qt::Key_End);
        QVERIFY(!inside(m.SelStart()));
        QTest::keyClick(&m, Qt::Key_Home);
        QVERIFY(!inside(m.SelStart()));
        QCOMPARE(m.SelStart(), m.LineStart(l));
    }
}

void TestRiloMemo::overwriteAndInsertKey()
{
    Shown s(QStringLiteral("abc") + CRLF + QStringLiteral("de"));
    TRiloMemo &m = *s.memo;
    int styleChanges = 0;
    m.OnStyleChange = [&](MemoCore *) { ++styleChanges; };
    QTest::keyClick(&m, Qt::Key_Insert);
    QVERIFY(m.Overwrite());
    QCOMPARE(styleChanges, 1);
    m.Select(2, 0);
    QTest::keyClick(&m, Qt::Key_X); // over the last character
    QCOMPARE(m.Text(), QStringLiteral("abx") + CRLF + QStringLiteral("de"));
    QTest::keyClick(&m, Qt::Key_Y); // at the paragraph end it inserts
    QCOMPARE(m.Text(), QStringLiteral("abxy") + CRLF + QStringLiteral("de"));
    // Enter in overwrite mode moves to the next line; on the last line it appends a paragraph.
    m.Select(1, 0);
    QTest::keyClick(&m, Qt::Key_Return);
    QCOMPARE(m.SelStart(), 6);
    QCOMPARE(m.ParagraphCount(), 2);
    QTest::keyClick(&m, Qt::Key_Return);
    QCOMPARE(m.ParagraphCount(), 3);
    QCOMPARE(m.SelStart(), m.CharCount());
    // Without the option the Insert key does nothing.
    m.SetOptions(m.Options() & ~rmoInsertKeyActive);
    QTest::keyClick(&m, Qt::Key_Insert);
    QVERIFY(m.Overwrite());
    m.SetOverwrite(false);
    QVERIFY(!m.Overwrite());
}

void TestRiloMemo::selectionByKeys()
{
    Shown s(QStringLiteral("one two three") + CRLF + QStringLiteral("four"));
    TRiloMemo &m = *s.memo;
    m.Select(4, 0);
    QTest::keyClick(&m, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&m, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(m.SelStart(), 6);
    QCOMPARE(m.SelLength(), -2);
    QCOMPARE(m.SelText(), QStringLiteral("tw"));
    QTest::keyClick(&m, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&m, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&m, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(m.SelStart(), 3);
    QCOMPARE(m.SelLength(), 1); // runs forward from the caret now
    QTest::keyClick(&m, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(m.SelText(), QStringLiteral("two three"));
    QTest::keyClick(&m, Qt::Key_Right);
    QCOMPARE(m.SelLength(), 0);
    QCOMPARE(m.SelStart(), 15); // across the paragraph end
    QTest::keyClick(&m, Qt::Key_Left);
    QCOMPARE(m.SelStart(), 13);
    QTest::keyClick(&m, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(m.SelStart(), 8);
    QTest::keyClick(&m, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(m.SelStart(), 15);
    QTest::keyClick(&m, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m.SelText(), QStringLiteral("four"));
    // Style codes are stepped over.
    m.SetTextBuf(QStringLiteral("a") + QChar(2) + QStringLiteral("b") + QChar(2));
    m.Select(0, 0);
    QTest::keyClick(&m, Qt::Key_Right);
    QCOMPARE(m.SelStart(), 2);
    QTest::keyClick(&m, Qt::Key_Right);
    QCOMPARE(m.SelStart(), 4);
    QTest::keyClick(&m, Qt::Key_Left);
    QCOMPARE(m.SelStart(), 0 + 1);
    m.SetPassOverCodes(false);
    m.Select(0, 0);
    QTest::keyClick(&m, Qt::Key_Right);
    QCOMPARE(m.SelStart(), 1);
    // Past the paragraph end with the column option and no caret wrapping: virtual spaces.
    m.SetTextBuf(QStringLiteral("ab") + CRLF + QStringLiteral("cd"));
    m.SetOptions((m.Options() | rmoKeepColumnPos) & ~rmoWrapCaret);
    m.Select(2, 0);
    QTest::keyClick(&m, Qt::Key_Right);
    QTest::keyClick(&m, Qt::Key_Right);
    QCOMPARE(m.SelStart(), 2);
    QCOMPARE(m.VirtualSpaces(), 2);
    QTest::keyClick(&m, Qt::Key_Left);
    QCOMPARE(m.VirtualSpaces(), 1);
    m.SetOptions(m.Options() | rmoPutExtraSpaces);
    QTest::keyClick(&m, Qt::Key_Z);
    QCOMPARE(m.Text(), QStringLiteral("ab z") + CRLF + QStringLiteral("cd"));
}

void TestRiloMemo::verticalMovesKeepTheColumn()
{
    Shown s(QStringLiteral("abcdefgh") + CRLF + QStringLiteral("ab") + CRLF + QStringLiteral("abcdefgh"));
    TRiloMemo &m = *s.memo;
    m.Select(6, 0);
    QTest::keyClick(&m, Qt::Key_Down);
    QCOMPARE(m.SelStart(), 12); // end of the short line
    QTest::keyClick(&m, Qt::Key_Down);
    QCOMPARE(m.SelStart(), 20); // back at column 6
    QTest::keyClick(&m, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(m.SelStart(), 12);
    QCOMPARE(m.SelLength(), 8);
    // With the column option the short line gets virtual spaces.
    m.SetOptions(m.Options() | rmoKeepColumnPos);
    m.Select(6, 0);
    QTest::keyClick(&m, Qt::Key_Down);
    QCOMPARE(m.SelStart(), 12);
    QCOMPARE(m.VirtualSpaces(), 4);
    QCOMPARE(m.CaretRect().x(), m.PosToX(0, 6));
}

void TestRiloMemo::indentKeys()
{
    Shown s;
    TRiloMemo &m = *s.memo;
    m.SetOptions(m.Options() | rmoAutoIndent | rmoBackIndent);
    m.SetTextBuf(QStringLiteral("    four"));
    m.Select(8, 0);
    QTest::keyClick(&m, Qt::Key_Return);
    QCOMPARE(m.Text(), QStringLiteral("    four") + CRLF + QStringLiteral("    "));
    QTest::keyClicks(&m, QStringLiteral("    "));
    QTest::keyClick(&m, Qt::Key_Backspace);
    QCOMPARE(m.Text(), QStringLiteral("    four") + CRLF + QStringLiteral("    "));
    QTest::keyClick(&m, Qt::Key_Backspace);
    QCOMPARE(m.Text(), QStringLiteral("    four") + CRLF);
    // Auto-indent copies no more than the caret column.
    m.SetTextBuf(QStringLiteral("\t\tx"));
    m.Select(1, 0);
    QTest::keyClick(&m, Qt::Key_Return);
    QCOMPARE(m.Text(), QStringLiteral("\t") + CRLF + QStringLiteral("\t\tx"));
}

void TestRiloMemo::readOnlyAndDisplayOnly()
{
    Shown s(Lines(100));
    TRiloMemo &m = *s.memo;
    const QString text = m.Text();
    m.SetReadOnly(true);
    m.Select(3, 0);
    QTest::keyClicks(&m, QStringLiteral("xyz"));
    QTest::keyClick(&m, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(&m, Qt::Key_Tab);
    QTest::keyClick(&m, Qt::Key_Backspace);
    QTest::keyClick(&m, Qt::Key_Delete);
    QTest::keyClick(&m, Qt::Key_Return);
    QCOMPARE(m.Text(), text);
    QTest::keyClick(&m, Qt::Key_Right, Qt::ShiftModifier); // navigation and copy still work
    QCOMPARE(m.SelLength(), -1);
    QTest::keyClick(&m, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("e"));
    m.SetReadOnly(false);
    // Viewer mode: keys scroll, the caret stays.
    m.SetDisplayOnly(true);
    m.Select(0, 0);
    QTest::keyClick(&m, Qt::Key_Down);
    QTest::keyClick(&m, Qt::Key_Down);
    QCOMPARE(m.TopLine(), 2);
    QCOMPARE(m.SelStart(), 0);
    QTest::keyClick(&m, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(m.TopLine(), 100 - m.VisibleLines() + 1);
    QTest::keyClick(&m, Qt::Key_Down);
    QCOMPARE(m.TopLine(), 100 - m.VisibleLines() + 1);
    QTest::keyClick(&m, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(m.TopLine(), 0);
    QTest::keyClicks(&m, QStringLiteral("abc"));
    QCOMPARE(m.Text(), text);
    QVERIFY(!m.CaretShown());
}

void TestRiloMemo::hotKeysAndMenuShortcuts()
{
    Shown s(QStringLiteral("word"));
    TRiloMemo &m = *s.memo;
    m.Select(0, 4);
    QTest::keyClick(&m, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(m.Text(), QChar(2) + QStringLiteral("word") + QChar(2));
    QTest::keyClick(&m, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("word"));
    m.SetEnableHotKeys(false);
    m.Select(0, 4);
    QTest::keyClick(&m, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(m.Text(), QStringLiteral("word"));
    m.SetEnableHotKeys(true);
    // A shortcut of the window that holds the memo wins.
    int fired = 0;
    auto *action = new QAction(&s.window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    action->setShortcutContext(Qt::WindowShortcut);
    s.window.addAction(action);
    QObject::connect(action, &QAction::triggered, [&] { ++fired; });
    QTest::keyClick(&m, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(fired, 1);
    QCOMPARE(m.Text(), QStringLiteral("word"));
    // Alt with a letter is the window's (a menu without that mnemonic, say): it types nothing.
    m.Select(4, 0);
    QTest::keyClick(&m, Qt::Key_I, Qt::AltModifier);
    QTest::keyClick(&m, Qt::Key_I, Qt::AltModifier | Qt::ShiftModifier);
    QCOMPARE(m.Text(), QStringLiteral("word"));
    QTest::keyClick(&m, Qt::Key_S);
    QCOMPARE(m.Text(), QStringLiteral("words"));
}

void TestRiloMemo::mouseClicksAndDrags()
{
    Shown s(QStringLiteral("first line") + CRLF + QStringLiteral("second line"));
    TRiloMemo &m = *s.memo;
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, s.PointOf(14));
    QCOMPARE(m.SelStart(), 14);
    QCOMPARE(m.SelLength(), 0);
    QTest::mouseClick(s.vp(), Qt::LeftButton, Qt::ShiftModifier, s.PointOf(2));
    QCOMPARE(m.SelStart(), 2);
    QCOMPARE(m.SelLength(), 12);
    // Below the last line: the end of the text.
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, QPoint(20, 200));
    QCOMPARE(m.SelStart(), m.CharCount());
    // Drag from 1 to 8 selects backwards from the caret at 8.
    QTest::mousePress(s.vp(), Qt::LeftButton, {}, s.PointOf(1));
    QTest::mouseMove(s.vp(), s.PointOf(5));
    QMouseEvent move(QEvent::MouseMove, s.PointOf(8), s.vp()->mapToGlobal(s.PointOf(8)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.vp(), &move);
    QTest::mouseRelease(s.vp(), Qt::LeftButton, {}, s.PointOf(8));
    QCOMPARE(m.SelStart(), 8);
    QCOMPARE(m.SelLength(), -7);
    // Past the paragraph end with the column option: virtual spaces.
    m.SetOptions(m.Options() | rmoKeepColumnPos);
    const QPoint past = s.PointOf(10) + QPoint(5 * m.SpaceWidth() + 1, 0);
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, past);
    QCOMPARE(m.SelStart(), 10);
    QCOMPARE(m.VirtualSpaces(), 5);
}

void TestRiloMemo::doubleClickSelectsWords()
{
    Shown s(QStringLiteral("alpha beta, gamma"));
    TRiloMemo &m = *s.memo;
    QTest::mouseDClick(s.vp(), Qt::LeftButton, {}, s.PointOf(7));
    QCOMPARE(m.SelText(), QStringLiteral("beta, ")); // with the separators after it
    QCOMPARE(m.SelStart(), 12);
    m.SetOptions(m.Options() & ~rmoLargeWordSelect);
    QTest::mouseDClick(s.vp(), Qt::LeftButton, {}, s.PointOf(1));
    QCOMPARE(m.SelText(), QStringLiteral("alpha"));
    QCOMPARE(m.SelStart(), 5);
}

void TestRiloMemo::dragAndDropOfText()
{
    Shown s(QStringLiteral("move these words"));
    TRiloMemo &m = *s.memo;
    auto drag = [&](int from, int to, Qt::KeyboardModifiers mods) {
        QMouseEvent hover(QEvent::MouseMove, s.PointOf(from), s.vp()->mapToGlobal(s.PointOf(from)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(s.vp(), &hover);
        QTest::mousePress(s.vp(), Qt::LeftButton, {}, s.PointOf(from));
        QMouseEvent move(QEvent::MouseMove, s.PointOf(to), s.vp()->mapToGlobal(s.PointOf(to)), Qt::NoButton, Qt::LeftButton, mods);
        QApplication::sendEvent(s.vp(), &move);
        QTest::mouseRelease(s.vp(), Qt::LeftButton, mods, s.PointOf(to));
    };
    m.Select(5, 6); // "these "
    drag(6, 8, {}); // inside itself: nothing moves
    QCOMPARE(m.Text(), QStringLiteral("move these words"));
    QCOMPARE(m.SelLength(), 0);
    m.Select(5, 6);
    drag(6, 16, {});
    QCOMPARE(m.Text(), QStringLiteral("move wordsthese "));
    QCOMPARE(m.SelText(), QStringLiteral("these "));
    m.Undo(); // one step reverts the move
    QCOMPARE(m.Text(), QStringLiteral("move these words"));
    m.Select(0, 5);
    drag(1, 16, Qt::ControlModifier); // a copy
    QCOMPARE(m.Text(), QStringLiteral("move these wordsmove "));
    // Read-only memos start no drag.
    m.SetReadOnly(true);
    m.Select(0, 5);
    drag(1, 16, {});
    QCOMPARE(m.Text(), QStringLiteral("move these wordsmove "));
}

void TestRiloMemo::autoScrollWhileSelecting()
{
    Shown s(Lines(300), QSize(300, 200));
    TRiloMemo &m = *s.memo;
    m.SetTopLine(100);
    const QPoint inside(20, 20);
    QTest::mousePress(s.vp(), Qt::LeftButton, {}, inside);
    const int anchor = m.SelStart();
    // 10 pixels above: one line each 200 ms.
    QMouseEvent above(QEvent::MouseMove, QPointF(20, -10), s.vp()->mapToGlobal(QPointF(20, -10)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.vp(), &above);
    QTRY_VERIFY(m.TopLine() <= 98);
    QVERIFY(m.SelStart() < anchor);
    QCOMPARE(m.SelStart() + m.SelLength(), anchor);
    // Below, far away: no delay.
    QMouseEvent below(QEvent::MouseMove, QPointF(20, 260), s.vp()->mapToGlobal(QPointF(20, 260)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.vp(), &below);
    QTRY_VERIFY(m.TopLine() >= 120);
    QTest::mouseRelease(s.vp(), Qt::LeftButton, {}, QPoint(20, 260));
    const int top = m.TopLine();
    // Releasing the button ends the scrolling: no step is waiting any more.
    const auto *steps = m.findChild<QTimer *>(QStringLiteral("autoScroll"));
    QVERIFY(steps);
    QVERIFY(!steps->isActive());
    QApplication::processEvents();
    QCOMPARE(m.TopLine(), top);
    QVERIFY(m.SelStart() > anchor);
}

void TestRiloMemo::contextClicks()
{
    Shown s(QStringLiteral("say \"hello there\" now"));
    TRiloMemo &m = *s.memo;
    m.StartStopKeys().Add(QStringLiteral("\""), QStringLiteral("\""), false, RGBColor(0, 0, 255), 0, 0, 42, 0, 0);
    m.ReApplyKeys();
    int calls = 0;
    qint16 ctx = 0;
    int a = -1, b = -1;
    m.OnContext = [&](MemoCore *, qint16 c, int start, int stop) {
        ++calls;
        ctx = c;
        a = start;
        b = stop;
    };
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, s.PointOf(8));
    QCOMPARE(calls, 1);
    QCOMPARE(ctx, qint16(42));
    QCOMPARE(a, 4);
    QCOMPARE(b, 17);
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, s.PointOf(1));
    QCOMPARE(calls, 1);
    // A drag is no click.
    QTest::mousePress(s.vp(), Qt::LeftButton, {}, s.PointOf(6));
    QMouseEvent move(QEvent::MouseMove, s.PointOf(9), s.vp()->mapToGlobal(s.PointOf(9)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.vp(), &move);
    QTest::mouseRelease(s.vp(), Qt::LeftButton, {}, s.PointOf(9));
    QCOMPARE(calls, 1);
}

void TestRiloMemo::paintsKeywordsContextsAndSelection()
{
    Shown s(QStringLiteral("plain KEY \"quoted\" ") + QChar(3) + QStringLiteral("lit") + QChar(3));
    TRiloMemo &m = *s.memo;
    TKeyStyle key;
    key.color = RGBColor(255, 0, 0);
    key.background = RGBColor(0, 255, 0);
    m.Keywords().Add(QStringLiteral("KEY"), key);
    TKeyStyle plain; // colours 0: the font colour with the style bits only
    plain.style = fsBold;
    m.Keywords().Add(QStringLiteral("plain"), plain);
    m.StartStopKeys().Add(QStringLiteral("\""), QStringLiteral("\""), false, RGBColor(0, 0, 255), RGBColor(255, 255, 0), 0, 0, 0, 0);
    m.SetHighlightColor(RGBColor(255, 0, 255));
    m.SetHighlightBackgnd(RGBColor(0, 255, 255));
    m.ReApplyKeys();
    m.Select(0, 0);
    QImage img = s.Grab();
    const int lh = m.LineHeight();
    auto band = [&](int a, int b) { return QRect(m.PosToX(0, a), 0, m.PosToX(0, b) - m.PosToX(0, a), lh); };
    QVERIFY(CountColour(img, band(6, 9), QColor(0, 255, 0)) > 20);  // keyword background
    QVERIFY(CountColour(img, band(6, 9), QColor(255, 0, 0)) > 5);   // keyword text
    QVERIFY(CountColour(img, band(10, 18), QColor(255, 255, 0)) > 20); // context background
    QVERIFY(CountColour(img, band(10, 18), QColor(0, 0, 255)) > 5);
    QVERIFY(CountColour(img, band(20, 23), QColor(0, 255, 255)) > 20); // style code 3
    QVERIFY(CountColour(img, band(20, 23), QColor(255, 0, 255)) > 5);
    QCOMPARE(CountColour(img, band(0, 5), QColor(255, 0, 0)), 0);
    QVERIFY(CountColour(img, band(0, 5), QColor(0, 0, 0), 120) > 5); // the font colour, bold
    QVERIFY(AllGrey(img, band(0, 5)));
    // The selection is inverted: the white background of "plain" turns black.
    const int whiteBefore = CountColour(img, band(0, 5), QColor(255, 255, 255), 0);
    m.Select(0, 5);
    img = s.Grab();
    QVERIFY(CountColour(img, band(0, 5), QColor(0, 0, 0), 0) >= whiteBefore - 2);
    // In system colours.
    m.SetOptions(m.Options() | rmoWindowsSelColors);
    img = s.Grab();
    const QColor hl = m.palette().color(QPalette::Highlight);
    QVERIFY(CountColour(img, band(0, 5), hl, 10) > whiteBefore / 2);
}

void TestRiloMemo::hiddenSelectionAndParagraphEnds()
{
    Shown s(QStringLiteral("abc") + CRLF + QStringLiteral("def"));
    TRiloMemo &m = *s.memo;
    m.SetOptions(m.Options() | rmoWindowsSelColors);
    const QColor hl = m.palette().color(QPalette::Highlight);
    const int lh = m.LineHeight();
    const int sp = m.SpaceWidth();
    const QRect endBlock(m.PosToX(0, 3), 0, sp / 2 + 1, lh);
    m.Select(0, 5); // through the paragraph end
    QImage img = s.Grab();
    QCOMPARE(CountColour(img, endBlock, hl, 0), endBlock.width() * lh);
    m.SetShowEndParSelected(false);
    img = s.Grab();
    QCOMPARE(CountColour(img, endBlock, hl, 0), 0);
    m.SetOptions(m.Options() | rmoFullLineSelect);
    img = s.Grab();
    QVERIFY(CountColour(img, QRect(m.PosToX(0, 3), 0, 100, lh), hl, 0) >= 100 * lh - 2);
    // Unfocused with HideSelection: nothing is drawn; without it the selection stays.
    auto *other = new QLineEdit(&s.window);
    other->move(0, 350);
    other->show();
    other->setFocus();
    QTRY_VERIFY(!m.hasFocus());
    img = s.Grab();
    QCOMPARE(CountColour(img, QRect(0, 0, 300, lh), hl, 0), 0);
    m.SetHideSelection(false);
    img = s.Grab();
    QVERIFY(CountColour(img, QRect(0, 0, 300, lh), hl, 0) > 0);
}

void TestRiloMemo::endOfTextMark()
{
    Shown s(QStringLiteral("one") + CRLF + QStringLiteral("two"));
    TRiloMemo &m = *s.memo;
    const int lh = m.LineHeight();
    QImage img = s.Grab();
    QVERIFY(CountColour(img, QRect(0, 2 * lh, 300, 1), QColor(255, 0, 0), 30) > 250);
    QCOMPARE(CountColour(img, QRect(0, 2 * lh + 3, 300, 20), QColor(255, 0, 0), 30), 0);
    m.SetEndOfTextMarkColor(clNone);
    img = s.Grab();
    QCOMPARE(CountColour(img, QRect(0, 2 * lh, 300, 1), QColor(255, 0, 0), 30), 0);
}

// The window's own pixels (what the incremental repaints left), beside the control painted anew whole.
QImage OnScreen(Shown &s)
{
    QApplication::processEvents();
    return s.window.screen()->grabWindow(s.window.winId()).toImage();
}

// Grows a selection over the first line key by key, by words and by dragging the mouse, checking after
// each step that what the repaints left on screen equals a whole repaint; in both selection looks.
void CheckSelectionGrownWhole(Shown &s)
{
    TRiloMemo &m = *s.memo;
    for (bool winSel : {false, true}) {
        m.SetOptions(winSel ? m.Options() | rmoWindowsSelColors : m.Options() & ~rmoWindowsSelColors);
        auto same = [&](const QString &step) {
            const QImage left = OnScreen(s);
            s.vp()->update();
            const QImage whole = OnScreen(s);
            int differ = 0;
            for (int y = 0; y < m.LineHeight(); ++y)
                for (int x = 0; x < left.width(); ++x)
                    differ += left.pixel(x, y) != whole.pixel(x, y);
            QVERIFY2(differ == 0, qPrintable(QStringLiteral("%1 (Windows colours %2): %3 pixels left unrepainted").arg(step).arg(winSel).arg(differ)));
        };
        auto step = [&](const QString &name) {
            same(name);
            return !QTest::currentTestFailed();
        };
        m.SetSelStart(5);
        OnScreen(s);
        for (int k = 0; k < 8; ++k) {
            QTest::keyClick(s.vp(), Qt::Key_Right, Qt::ShiftModifier);
            if (!step(QStringLiteral("Shift+Right %1").arg(k)))
                return;
        }
        QTest::keyClick(s.vp(), Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
        if (!step(QStringLiteral("Shift+Ctrl+Right")))
            return;
        QTest::keyClick(s.vp(), Qt::Key_Left, Qt::ShiftModifier);
        if (!step(QStringLiteral("Shift+Left")))
            return;
        // A drag from inside one character to inside another.
        const QPoint from = s.PointOf(2), to = s.PointOf(9);
        QTest::mousePress(s.vp(), Qt::LeftButton, Qt::NoModifier, from);
        for (int x = from.x(); x <= to.x(); x += 5) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, from.y()), s.vp()->mapToGlobal(QPointF(x, from.y())), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(s.vp(), &move);
            if (!step(QStringLiteral("drag to %1").arg(x)))
                return;
        }
        QTest::mouseRelease(s.vp(), Qt::LeftButton, Qt::NoModifier, to);
        QVERIFY(m.SelLength() != 0);
        if (!step(QStringLiteral("drag released")))
            return;
    }
}

void TestRiloMemo::selectionGrownStepByStepIsPaintedWhole()
{
    Shown s(QStringLiteral("<p>Some words <b>in bold</b> and plain ones</p>"), QSize(500, 120));
    FillHtmlRules(s.memo->Keywords(), s.memo->StartStopKeys());
    s.memo->ReApplyKeys();
    s.memo->SetCaretWidth(2);
    CheckSelectionGrownWhole(s);
}

// Chinese in the document window's font, among tags: the font lacks it, a fallback font draws it.
void TestRiloMemo::selectedChineseIsPaintedWithoutGaps()
{
    if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        QSKIP("skipped: no font here holds Chinese characters (the test packages of scripts/packages.txt install one)");
    Shown s(QStringLiteral("<p>Hello \u4E2D\u6587\u5B57\u7B26\u6D4B\u8BD5 <b>world</b> \u65E5\u672C\u8A9E\u306E\u6587</p>"), QSize(500, 120));
    TRiloMemo &m = *s.memo;
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(11);
    m.setFont(f);
    m.SetCaretWidth(2);
    FillHtmlRules(m.Keywords(), m.StartStopKeys());
    m.ReApplyKeys();
    CheckSelectionGrownWhole(s);
}

void TestRiloMemo::printsToPdf()
{
    Shown s;
    TRiloMemo &m = *s.memo;
    QString text;
    for (int i = 0; i < 150; ++i)
        text += QStringLiteral("Paragraph number %1 with <b>bold</b> words in it").arg(i) + CRLF;
    m.SetTextBuf(text);
    FillHtmlRules(m.Keywords(), m.StartStopKeys());
    m.ReApplyKeys();
    m.Select(10, 5);
    const int screenLines = m.LineCount();
    const QString pdf = k5test::Root() + QStringLiteral("/memo.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QPainter p;
    QVERIFY(p.begin(&printer));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    m.FormatForCanvas(&p, page.width());
    const int lines = m.LineCount();
    QCOMPARE(lines, 151);
    int first = 0, pages = 0;
    while (first < lines) {
        if (pages++)
            printer.newPage();
        const int painted = m.PaintOnCanvas(first, page);
        QVERIFY(painted > 0);
        first += painted;
    }
    p.end();
    QVERIFY(pages >= 2);
    QCOMPARE(m.PaintOnCanvas(lines, page), 0);
    m.FormatForCanvas(nullptr, 0);
    QCOMPARE(m.LineCount(), screenLines);
    QCOMPARE(m.SelStart(), 10);
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(tool.waitForFinished(30000));
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("Paragraph number 0 with <b>bold</b> words in it")), qPrintable(out.left(400)));
    QVERIFY(out.contains(QStringLiteral("Paragraph number 149 with")));
    QCOMPARE(out.count(QStringLiteral("\f")), pages);
}

void TestRiloMemo::alignmentAndJustification()
{
    Shown s(QStringLiteral("short"));
    TRiloMemo &m = *s.memo;
    const int cw = m.ClientWidth();
    QCOMPARE(m.PosToX(0, 0), m.LeftMargin());
    m.SetAlignment(TAlignment::taRightJustify);
    QCOMPARE(m.PosToX(0, 5), cw - m.RightMargin());
    m.SetAlignment(TAlignment::taCenter);
    const int w = m.PosToX(0, 5) - m.PosToX(0, 0);
    QCOMPARE(m.PosToX(0, 0), m.LeftMargin() + (cw - m.LeftMargin() - m.RightMargin() - w) / 2);
    // Alignment clears the horizontal offset.
    m.SetAlignment(TAlignment::taLeftJustify);
    m.SetWordWrap(false);
    m.SetTextBuf(QString(300, QLatin1Char('m')));
    m.Select(300, 0);
    m.ScrollInView();
    QVERIFY(m.HorzOffset() > 0);
    m.SetAlignment(TAlignment::taCenter);
    QCOMPARE(m.HorzOffset(), 0);
    // Justified: a wrapped line reaches the right margin; the paragraph's last line does not.
    m.SetAlignment(TAlignment::taLeftJustify);
    m.SetWordWrap(true);
    QString words;
    for (int i = 0; i < 40; ++i)
        words += QStringLiteral("ab cde ");
    m.SetTextBuf(words + QStringLiteral("end"));
    QVERIFY(m.LineCount() > 2);
    const int end0 = m.LineEnd(0) - m.LineStart(0);
    const int before = m.PosToX(0, end0 - 1);
    m.SetJustified(true);
    QVERIFY(m.PosToX(0, end0 - 1) > before);
    QVERIFY(m.PosToX(0, end0 - 1) >= cw - m.RightMargin() - 1);
    const int last = m.LineCount() - 1;
    QCOMPARE(m.PosToX(last, 0), m.LeftMargin());
    QVERIFY(m.PosToX(last, 3) < cw / 2);
}

void TestRiloMemo::tabsAndFocus()
{
    Shown s(QStringLiteral("x"));
    TRiloMemo &m = *s.memo;
    auto *next = new QLineEdit(&s.window);
    next->move(0, 320);
    next->show();
    m.setFocus();
    QApplication::processEvents();
    QVERIFY(m.hasFocus());
    m.Select(1, 0);
    QTest::keyClick(&m, Qt::Key_Tab);
    QVERIFY(m.hasFocus());
    QCOMPARE(m.Text(), QStringLiteral("x\t"));
    m.SetWantTabs(false);
    QTest::keyClick(&m, Qt::Key_Tab);
    QTRY_VERIFY(next->hasFocus());
    QCOMPARE(m.Text(), QStringLiteral("x\t"));
    // Viewer mode passes TAB on as well.
    m.SetWantTabs(true);
    m.SetDisplayOnly(true);
    m.setFocus();
    QTRY_VERIFY(m.hasFocus());
    QTest::keyClick(&m, Qt::Key_Tab);
    QTRY_VERIFY(next->hasFocus());
}

void TestRiloMemo::keysPaintBeforeReturning()
{
    Shown s(Lines(50));
    TRiloMemo &m = *s.memo;
    struct Counter : QObject {
        int paints = 0;
        QRegion region;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) {
                ++paints;
                region += static_cast<QPaintEvent *>(e)->region();
            }
            return false;
        }
    } counter;
    QApplication::processEvents();
    s.vp()->installEventFilter(&counter);
    m.Select(m.LineStart(3), 0);
    QApplication::processEvents();
    counter.paints = 0;
    counter.region = QRegion();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&m, &key);
    QCOMPARE(counter.paints, 1); // before the event loop runs again
    // Only the edited line and the lines below it, not the lines above.
    QVERIFY(!counter.region.intersects(QRect(0, 0, 10, 3 * m.LineHeight() - 1)));
    QVERIFY(counter.region.intersects(QRect(0, 3 * m.LineHeight(), 10, 1)));
    // A caret move paints the two caret places only.
    counter.paints = 0;
    counter.region = QRegion();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(&m, &right);
    QCOMPARE(counter.paints, 1);
    QVERIFY(counter.region.boundingRect().height() <= m.LineHeight());
    s.vp()->removeEventFilter(&counter);
}

void TestRiloMemo::loadedAppliesTheKeys()
{
    TRiloMemo m;
    m.SetUpdateMode(TUpdateMode::umImmediate);
    m.SetTextBuf(QStringLiteral("a \"b\" c"));
    m.SetSelText(QStringLiteral("x"));
    QVERIFY(m.CanUndo());
    m.StartStopKeys().Add(QStringLiteral("\""), QStringLiteral("\""), false, RGBColor(0, 0, 255), 0, 0, 9, 0, 0);
    m.Loaded();
    QVERIFY(!m.CanUndo());
    QCOMPARE(m.StateAt(4).context, qint16(9));
    int clicks = 0;
    m.OnClick = [&](QObject *) { ++clicks; };
    m.show();
    QTest::mouseClick(m.viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(clicks, 1);
}

void TestRiloMemo::replaceAllGoesOnAfterEachMatchAsAStepOfItsOwn()
{
    Shown s(QStringLiteral("aaaa aaa") + CRLF + QStringLiteral("aaaaa"));
    TRiloMemo &m = *s.memo;
    // Matches never overlap: the search goes on after the whole of each, at once and in slices.
    QCOMPARE(m.ReplaceAll(QStringLiteral("aa"), QStringLiteral("b"), false, true), 5);
    QCOMPARE(m.Text(), QStringLiteral("bb ba") + CRLF + QStringLiteral("bba"));
    m.SetTextBuf(QStringLiteral("AAAA aaa") + CRLF + QStringLiteral("aAaAa"));
    TextDocument::ReplaceSearch search = m.Document().StartReplaceAll(QStringLiteral("aa"), false, false);
    while (!m.Document().SearchOn(search, 1))
        ;
    QCOMPARE(m.ReplaceFound(search, QStringLiteral("b")), 5);
    QCOMPARE(m.Text(), QStringLiteral("bb ba") + CRLF + QStringLiteral("bba"));
    TextDocument alone;
    alone.LoadText(QStringLiteral("aaaa"));
    QCOMPARE(alone.ReplaceAll(QStringLiteral("aa"), QStringLiteral("b"), false, true), 2);
    QCOMPARE(alone.Text(), QStringLiteral("bb"));

    // Typing right before the first match and right after the replaced text: three undo steps.
    m.SetTextBuf(QStringLiteral("aa aa"));
    m.SetSelStart(0);
    QTest::keyClicks(&m, QStringLiteral("xy"));
    QCOMPARE(m.ReplaceAll(QStringLiteral("aa"), QStringLiteral("b"), false, true), 2);
    QCOMPARE(m.Text(), QStringLiteral("xyb b"));
    QCOMPARE(m.SelStart(), 5);
    QTest::keyClicks(&m, QStringLiteral("zw"));
    QCOMPARE(m.Text(), QStringLiteral("xyb bzw"));
    m.Undo();
    QCOMPARE(m.Text(), QStringLiteral("xyb b"));
    m.Undo();
    QCOMPARE(m.Text(), QStringLiteral("xyaa aa"));
    m.Undo();
    QCOMPARE(m.Text(), QStringLiteral("aa aa"));
    QVERIFY(!m.CanUndo());
}

// The selection's end moved back over lines and to their starts, then forward again: after every key
// what is on screen equals a whole repaint, on every line.
void TestRiloMemo::selectionMovedBackwardsIsRepaintedWhole()
{
    Shown s(Lines(8, QStringLiteral("some words on line ")), QSize(400, 200));
    TRiloMemo &m = *s.memo;
    m.SetCaretWidth(2);
    for (bool winSel : {false, true}) {
        m.SetOptions(winSel ? m.Options() | rmoWindowsSelColors : m.Options() & ~rmoWindowsSelColors);
        m.SetSelStart(m.LineStart(5) + 10);
        OnScreen(s);
        const std::pair<Qt::Key, const char *> keys[] = {
            {Qt::Key_Up, "Up"}, {Qt::Key_Home, "Home"}, {Qt::Key_Up, "Up"}, {Qt::Key_Left, "Left"}, {Qt::Key_Home, "Home"},
            {Qt::Key_Down, "Down"}, {Qt::Key_End, "End"}, {Qt::Key_Down, "Down"}, {Qt::Key_Down, "Down"}, {Qt::Key_Up, "Up"}};
        for (const auto &[key, name] : keys) {
            QTest::keyClick(s.vp(), key, Qt::ShiftModifier);
            const QImage left = OnScreen(s);
            s.vp()->update();
            const QImage whole = OnScreen(s);
            int differ = 0;
            for (int y = 0; y < left.height(); ++y)
                for (int x = 0; x < left.width(); ++x)
                    differ += left.pixel(x, y) != whole.pixel(x, y);
            QVERIFY2(differ == 0, qPrintable(QStringLiteral("Shift+%1 (Windows colours %2): %3 pixels left unrepainted").arg(QLatin1String(name)).arg(winSel).arg(differ)));
        }
        QVERIFY(m.SelLength() != 0);
    }
}

// Chinese in DejaVu Sans, which lacks it: a fallback font draws it, at the size of the control's font
// after the font changed as when the control had that font from the start.
void TestRiloMemo::fallbackFontsFollowAFontChange()
{
    const QString chinese = QStringLiteral("\u4E2D\u6587\u5B57\u7B26");
    const QString text = QStringLiteral("ab ") + chinese + QStringLiteral(" \x02") + chinese + QStringLiteral("\x02 cd");
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(12);
    QFont big = small;
    big.setPixelSize(28);
    if (QRawFont::fromFont(small).supportsCharacter(chinese[0]))
        QSKIP("skipped: the control's font holds Chinese here, no fallback font is needed");
    if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        QSKIP("skipped: no font here holds Chinese characters (the test packages of scripts/packages.txt install one)");
    auto make = [&](QWidget &window, const QFont &font) {
        window.resize(600, 120);
        auto *m = new TRiloMemo(&window);
        m->setGeometry(0, 0, 600, 120);
        m->setFont(font);
        m->SetUpdateMode(TUpdateMode::umImmediate);
        m->SetTextBuf(text);
        window.show();
        return m;
    };
    QWidget w1, w2;
    TRiloMemo &changed = *make(w1, small);
    QVERIFY(QTest::qWaitForWindowExposed(&w1));
    const int smallWidth = changed.PosToX(0, 7) - changed.PosToX(0, 3);
    changed.setFont(big);
    TRiloMemo &fresh = *make(w2, big);
    QVERIFY(QTest::qWaitForWindowExposed(&w2));
    QApplication::processEvents();
    const int end = int(text.size());
    for (int k = 0; k <= end; ++k)
        QCOMPARE(changed.PosToX(0, k), fresh.PosToX(0, k));
    QVERIFY(changed.PosToX(0, 7) - changed.PosToX(0, 3) > 2 * smallWidth);
    // The glyphs drawn are as tall as the fresh control's.
    auto inkRows = [](TRiloMemo &m, int a, int b) {
        const QImage img = m.viewport()->grab().toImage();
        int top = -1, bottom = -1;
        for (int y = 0; y < m.LineHeight(); ++y)
            for (int x = m.PosToX(0, a); x < m.PosToX(0, b); ++x)
                if (qGray(img.pixel(x, y)) < 128) {
                    top = top < 0 ? y : top;
                    bottom = y;
                }
        return bottom - top;
    };
    QVERIFY(inkRows(fresh, 3, 7) > 15);
    QCOMPARE(inkRows(changed, 3, 7), inkRows(fresh, 3, 7));
    QCOMPARE(inkRows(changed, 9, 13), inkRows(fresh, 9, 13));
}

// New paragraphs written straight into new blocks (a big paste, a Replace All that makes many paragraphs):
// every style code in them styles the paragraphs after it as it does in a text loaded or typed.
void TestRiloMemo::manyNewParagraphsToggleStylesAsTypedOnes()
{
    const ushort codes[] = {1, 2, 3, 4, 21};
    QString paste;
    for (int i = 0; i < 4000; ++i) {
        paste += QStringLiteral("paragraph %1 of the pasted text").arg(i);
        if (i % 700 == 350)
            paste.insert(paste.size() - 5, QChar(codes[(i / 700) % 5]));
        paste += CRLF;
    }
    auto sameStyles = [](TRiloMemo &m) {
        Shown fresh(m.Text());
        for (int p = 0; p < m.ParagraphCount(); ++p) {
            const int at = m.Storage().Start(p);
            if (m.StyleAt(at) != fresh.memo->StyleAt(at))
                return QStringLiteral("paragraph %1: style %2, loaded %3").arg(p).arg(m.StyleAt(at)).arg(fresh.memo->StyleAt(at));
        }
        return QString();
    };
    Shown s(QStringLiteral("head") + CRLF + QStringLiteral("tail"));
    TRiloMemo &m = *s.memo;
    QGuiApplication::clipboard()->setText(paste);
    m.SetSelStart(2);
    m.PasteFromClipboard();
    QCOMPARE(m.ParagraphCount(), 4002);
    QCOMPARE(int(m.StyleAt(m.Storage().Start(352))), 2);
    QCOMPARE(int(m.StyleAt(m.Storage().Start(3152))), 2 ^ 1 ^ 16 ^ 32 ^ 4);
    QCOMPARE(sameStyles(m), QString());
    // Each new paragraph holding the code of the alternative font.
    QString line;
    for (int i = 0; i < 3000; ++i)
        line += QStringLiteral("word %1|").arg(i);
    m.SetTextBuf(line);
    QCOMPARE(m.ReplaceAll(QStringLiteral("|"), QStringLiteral("\x15") + CRLF, false, true), 3000);
    QCOMPARE(m.ParagraphCount(), 3001);
    QCOMPARE(sameStyles(m), QString());
    // Each replacement closes the code it opened, as the edit core closes it: the code ends where it began.
    QCOMPARE(int(m.StyleAt(m.Storage().Start(1))), 4);
    QCOMPARE(int(m.StyleAt(m.Storage().Start(1) + 1)), 0);
    QCOMPARE(int(m.StyleAt(m.Storage().Start(2))), 4);
}

// A press of the left button released outside the control is no click, released inside it is one.
void TestRiloMemo::pressReleasedOutsideIsNoClick()
{
    Shown s(QStringLiteral("some text to click on"));
    TRiloMemo &m = *s.memo;
    int clicks = 0;
    m.OnClick = [&](QObject *) { ++clicks; };
    const QPoint in = s.PointOf(3);
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, in);
    QCOMPARE(clicks, 1);
    for (QPoint out : {QPoint(in.x(), -20), QPoint(s.vp()->width() + 20, in.y()), QPoint(-5, in.y())}) {
        QTest::mousePress(s.vp(), Qt::LeftButton, {}, in);
        QTest::mouseRelease(s.vp(), Qt::LeftButton, {}, out);
        QCOMPARE(clicks, 1);
    }
    QTest::mouseClick(s.vp(), Qt::LeftButton, {}, in);
    QCOMPARE(clicks, 2);
}

K5_TEST_MAIN(TestRiloMemo)
#include "test_rilomemo.moc"

namespace {

// A page of the mix real pages have: markup, prose with accented letters, curly quotes, a tab, a
// character beyond 16 bits, a comment over paragraphs; and one paragraph of about 60,000 characters.
QString MixedPage()
{
    const QString words[] = {QStringLiteral("Café owners in São Paulo"), QStringLiteral("the “Keep line ends” option"),
                             QStringLiteral("it’s safe\tto close"), QStringLiteral("résumé – two columns"),
                             QStringLiteral("a note ") + QString::fromUcs4(U"\U0001F4DD"), QStringLiteral("<b>bold</b> and \"quoted\"")};
    QString s;
    for (int i = 0; i < 1500; ++i) {
        switch (i % 7) {
        case 0: s += QStringLiteral("<p class=\"c%1\">").arg(i); break;
        case 3: s += QStringLiteral("<!-- a comment %1").arg(i); break;
        case 4: s += QStringLiteral("ends here --> <a href=\"x%1.html\">").arg(i); break;
        default: break;
        }
        for (int w = 0; w < 1 + i % 9; ++w)
            s += words[(i + w) % 6] + QLatin1Char(' ');
        s += CRLF;
        if (i == 700) {
            for (int w = 0; w < 2000; ++w)
                s += words[w % 6] + QLatin1Char(' ');
            s += CRLF;
        }
    }
    return s;
}

} // namespace

void TestRiloMemo::backgroundSlicesFormatAsImmediateFormattingDoes()
{
    // The same page formatted in short background slices (the long paragraph in chunks) and at once, in
    // a proportional font: the same colours, display lines and line counts, and the window told of them.
    const QString page = MixedPage();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    auto make = [&](QWidget &window, TUpdateMode mode) {
        window.resize(420, 300);
        auto *m = new TRiloMemo(&window);
        m->setGeometry(0, 0, 420, 300);
        m->setFont(font);
        m->SetScrollBars(TScrollStyle::ssVertical);
        FillHtmlRules(m->Keywords(), m->StartStopKeys());
        m->SetUpdateMode(mode);
        m->SetBackgroundTuning(1, 4096);
        window.show();
        m->SetTextBuf(page);
        return m;
    };
    QWidget w1, w2;
    TRiloMemo &bg = *make(w1, TUpdateMode::umBackground);
    TRiloMemo &now = *make(w2, TUpdateMode::umImmediate);
    int told = -1; // the line count when the window (gutter, status line) was last told of a change
    QObject::connect(&bg, &TRiloMemo::LineCountChanged, [&] { told = bg.LineCount(); });
    QVERIFY(QTest::qWaitForWindowExposed(&w1));
    QVERIFY(bg.Progress() < 100);
    QTRY_COMPARE_WITH_TIMEOUT(bg.Progress(), 100, 120000);
    QApplication::processEvents();
    QCOMPARE(bg.ParagraphCount(), now.ParagraphCount());
    QCOMPARE(bg.LineCount(), now.LineCount());
    QVERIFY(bg.LineCount() > bg.ParagraphCount() + 100);
    const TextStorage &a = bg.Storage(), &b = now.Storage();
    const LineLayout &la = bg.Layout(), &lb = now.Layout();
    for (int p = 0; p < bg.ParagraphCount(); ++p) {
        QCOMPARE(la.FirstLine(p), lb.FirstLine(p));
        QCOMPARE(a.Style(p), b.Style(p));
        QCOMPARE(bg.States().Get(a.State(p)), now.States().Get(b.State(p)));
        const auto ta = a.Transitions(p), tb = b.Transitions(p);
        QCOMPARE(ta.size(), tb.size());
        for (size_t k = 0; k < ta.size(); ++k) {
            QCOMPARE(ta[k].pos, tb[k].pos);
            QVERIFY2(bg.States().Get(ta[k].state) == now.States().Get(tb[k].state), qPrintable(QString::number(p)));
        }
        const auto ba = la.Breaks(p), bb = lb.Breaks(p);
        QCOMPARE(ba.size(), bb.size());
        for (size_t k = 0; k < ba.size(); ++k) {
            QCOMPARE(ba[k].pos, bb[k].pos);
            QCOMPARE(ba[k].style, bb[k].style);
        }
    }
    bg.CheckConsistency();
    QCOMPARE(bg.verticalScrollBar()->maximum(), now.verticalScrollBar()->maximum());
    QCOMPARE(told, bg.LineCount());
}

void TestRiloMemo::measuredWidthsMatchThePaintedText()
{
    // Caret places in a proportional font are where Qt paints the same text: accented letters, curly
    // quotes, symbols and a character beyond 16 bits (drawn by a fallback font or as a box) included.
    const QString pair = QString::fromUcs4(U"\U0001F4DD");
    const QString text = QStringLiteral("Wa caf\u00e9 \u201cq\u201d it\u2019s \u2192 21\u00b0C x") + pair + QStringLiteral("Zz");
    Shown s(text, QSize(700, 100));
    TRiloMemo &m = *s.memo;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(17);
    m.setFont(f);
    QApplication::processEvents();
    f.setKerning(false);
    const QFontMetrics fm(f);
    const int z = int(text.indexOf(QLatin1Char('Z')));
    // Each glyph is placed at whole pixels: its advance in the font, rounded.
    for (int k = 0; k < z - 2; ++k)
        QCOMPARE(m.PosToX(0, k + 1) - m.PosToX(0, k), fm.horizontalAdvance(text[k]));
    QCOMPARE(m.PosToX(0, z) - m.PosToX(0, z - 2), fm.horizontalAdvance(pair));
    // What is painted: the last letters stand where the caret says.
    const QImage img = s.Grab();
    auto firstInk = [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            for (int y = 0; y < m.LineHeight(); ++y)
                if (qGray(img.pixel(x, y)) < 128)
                    return x;
        return -1;
    };
    const int xz = m.PosToX(0, z);
    QVERIFY(firstInk(xz, xz + fm.horizontalAdvance(QLatin1Char('Z'))) >= 0);
    QCOMPARE(firstInk(m.PosToX(0, z - 2) + fm.horizontalAdvance(pair), xz), -1); // nothing of the pair beyond its width
    // A tab reaches the next stop of eight spaces.
    m.SetTextBuf(QStringLiteral("\u00e9\u201c\tx"));
    const int tab = 8 * fm.horizontalAdvance(QLatin1Char(' '));
    QCOMPARE(m.PosToX(0, 3) - m.PosToX(0, 0), tab);
}

// Every operation of the control, its view and its document that takes a display line, a paragraph or an
// offset, given places before the start and past the end of a three-line text: each either limits the
// place to the text or refuses it with an error, and leaves the control whole: consistent, its caret,
// selection and top line inside the text, and painted.
void TestRiloMemo::placesOutsideTheTextAreLimitedOrRefused()
{
    Shown s(QStringLiteral("one <B>two</B>") + CRLF + QStringLiteral("three") + CRLF + QStringLiteral("four"));
    TRiloMemo &m = *s.memo;
    FillHtmlRules(m.Keywords(), m.StartStopKeys());
    m.ReApplyKeys();
    TRiloGutter gutter(&s.window);
    gutter.SetMemo(&m);
    const QString original = m.Text();
    QImage page(400, 300, QImage::Format_RGB32);

    using Op = std::function<void(int)>;
    auto nav = [&m](int at) {
        TRiloNavigator n(&m.View());
        n.SetOffset(at);
        (void)n.Paragraph();
        (void)n.Column();
    };
    const std::vector<std::pair<const char *, Op>> ops = {
        {"PosToX line", [&](int v) { m.PosToX(v, 1); m.PosToX(v, 99); }},
        {"PosToX column", [&](int v) { m.PosToX(1, v); }},
        {"PosToX both", [&](int v) { m.PosToX(v, v); }},
        {"XToPos line", [&](int v) { m.XToPos(v, 10); m.XToPos(v, -5); }},
        {"XToPos x", [&](int v) { m.XToPos(1, v); }},
        {"XToPos both", [&](int v) { m.XToPos(v, v); }},
        {"LineStart", [&](int v) { m.LineStart(v); }},
        {"LineEnd", [&](int v) { m.LineEnd(v); }},
        {"LineText", [&](int v) { m.LineText(v); }},
        {"LineStyle", [&](int v) { m.LineStyle(v); }},
        {"LineOfOffset", [&](int v) { m.LineOfOffset(v); }},
        {"SetSelLine", [&](int v) { m.SetSelLine(v); }},
        {"SetSelPar", [&](int v) { m.SetSelPar(v); }},
        {"SetSelStart", [&](int v) { m.SetSelStart(v); }},
        {"SetSelLength", [&](int v) { m.SetSelLength(v); }},
        {"Select caret", [&](int v) { m.Select(v, 0); }},
        {"Select length", [&](int v) { m.Select(2, v); }},
        {"Select both", [&](int v) { m.Select(v, v); }},
        {"SetVirtualSpaces", [&](int v) {
             m.Select(4, 0);
             m.SetVirtualSpaces(v);
             m.UpdateCaret();
             m.ScrollInView();
             m.SetOptions(m.Options() | rmoPutExtraSpaces);
             m.SetSelText(QStringLiteral("x"));
             m.SetOptions(m.Options() & ~rmoPutExtraSpaces);
         }},
        {"Snap", [&](int v) { m.Snap(v, true); m.Snap(v, false); }},
        {"ParagraphStart", [&](int v) { m.ParagraphStart(v); }},
        {"ParagraphText", [&](int v) { m.ParagraphText(v); }},
        {"GetTextPart start", [&](int v) { m.GetTextPart(v, 4); }},
        {"GetTextPart stop", [&](int v) { m.GetTextPart(2, v); }},
        {"GetTextPart both", [&](int v) { m.GetTextPart(v, v); }},
        {"CharAt", [&](int v) { m.CharAt(v); }},
        {"StyleAt", [&](int v) { m.StyleAt(v); }},
        {"StateAt", [&](int v) { m.StateAt(v); }},
        {"ContextAt", [&](int v) { qint16 c = 0; int a = 0, b = 0; m.ContextAt(v, c, a, b); }},
        {"HighlightUpTo", [&](int v) { m.HighlightUpTo(v); }},
        {"FormatRange first", [&](int v) { m.FormatRange(v, 1); }},
        {"FormatRange last", [&](int v) { m.FormatRange(0, v); }},
        {"FormatParagraph", [&](int v) { m.FormatParagraph(v); }},
        {"IsVisibleParagraph", [&](int v) { m.View().IsVisibleParagraph(v); }},
        {"SetTopOffset", [&](int v) { m.View().SetTopOffset(v); m.TopLine(); }},
        {"SetTopLine", [&](int v) { m.SetTopLine(v); }},
        {"LinesToPixels", [&](int v) { m.LinesToPixels(v); m.PixelsToLines(v); }},
        {"SetHorzOffset", [&](int v) { m.SetHorzOffset(v); }},
        {"PaintOnCanvas", [&](int v) {
             QPainter p(&page);
             m.FormatForCanvas(&p, page.width());
             m.PaintOnCanvas(v, page.rect());
             m.FormatForCanvas(nullptr, 0);
         }},
        {"UndoRecordAt", [&](int v) { m.UndoRecordAt(v); }},
        {"SetUndoMaxSpace", [&](int v) { m.SetUndoMaxSpace(v); m.SetUndoMaxSpace(65536); }},
        {"SetUndoMaxLevel", [&](int v) { m.SetUndoMaxLevel(v); m.SetUndoMaxLevel(256); }},
        {"GetSelTextBuf", [&](int v) {
             m.Select(0, 5);
             QChar buffer[8];
             m.GetSelTextBuf(buffer, std::min(v, 8));
         }},
        {"navigator", [&](int v) { nav(v); }},
        {"HighlightRange", [&](int v) {
             TRiloNavigator a(&m.View()), b(&m.View());
             a.SetOffset(v);
             b.SetOffset(2);
             m.HighlightRange(a, b);
             m.HighlightRange(b, a);
             m.ApplyKeys(a, b);
             m.ApplyKeys(b, a);
         }},
        {"Lines.Get", [&](int v) { m.Lines().Get(v); }},
        {"Lines.Put", [&](int v) { m.Lines().Put(v, QStringLiteral("x")); }},
        {"Lines.Delete", [&](int v) { m.Lines().Delete(v); }},
        {"Lines.Insert", [&](int v) { m.Lines().Insert(v, QStringLiteral("x")); }},
        {"Paragraphs.Get", [&](int v) { m.Paragraphs().Get(v); }},
        {"Paragraphs.Put", [&](int v) { m.Paragraphs().Put(v, QStringLiteral("x")); }},
        {"Paragraphs.Delete", [&](int v) { m.Paragraphs().Delete(v); }},
        {"Paragraphs.Insert", [&](int v) { m.Paragraphs().Insert(v, QStringLiteral("x")); }},
        {"Document.ReplaceRange lower", [&](int v) { m.Document().ReplaceRange(v, 3, QStringLiteral("x")); }},
        {"Document.ReplaceRange upper", [&](int v) { m.Document().ReplaceRange(3, v, QStringLiteral("x")); }},
        {"Document.ReplaceRange both", [&](int v) { m.Document().ReplaceRange(v, v, QStringLiteral("x")); }},
        {"Document.Find", [&](int v) { m.Document().Find(QStringLiteral("o"), v, true, false, false); m.Document().Find(QStringLiteral("o"), v, false, false, false); }},
        {"Document.WordAt", [&](int v) { m.Document().WordAt(v); }},
        {"Document.HighlightParagraph", [&](int v) { m.Document().HighlightParagraph(v); }},
        {"Document.HighlightChunk", [&](int v) { m.Document().HighlightChunk(v, 4); }},
        {"Document.Highlighted", [&](int v) { m.Document().Highlighted(v); }},
        {"Document.CompactBlocks", [&](int v) { m.Document().CompactBlocks(v, 1); m.Document().CompactBlocks(0, v); }},
        {"Storage", [&](int v) {
             const TextStorage &t = m.Storage();
             t.ParagraphAt(v);
             t.Copy(v, 5);
             t.Copy(1, v);
             t.Text(v);
         }},
        {"Storage of a paragraph", [&](int v) {
             const TextStorage &t = m.Storage();
             t.Length(v);
             t.Start(v);
             t.Style(v);
             t.State(v);
             t.Flags(v);
             t.Info(v);
             t.Transitions(v);
             t.RunOf(v);
         }},
        {"Storage StateAt", [&](int v) { m.Storage().StateAt(1, v); m.Storage().StateAt(v, 1); }},
        {"Layout", [&](int v) {
             const LineLayout &l = m.Layout();
             l.ParagraphOfLine(v);
             l.FirstLine(v);
             l.Lines(v);
             l.Breaks(v);
             l.Wrapped(v);
         }},
        {"Gutter", [&](int v) {
             gutter.BookmarkAtLine(v);
             gutter.BookmarkLine(v);
             gutter.SetBookmark(v, 1);
             gutter.SetBookmark(1, v);
         }},
    };
    // Just past each kind of end, far past it and before the start.
    const int values[] = {-1, -5, INT_MIN, INT_MIN + 1, m.LineCount(), m.ParagraphCount(), m.CharCount() + 1,
                          m.CharCount() + 2, 99, 1 << 20, INT_MAX - 1, INT_MAX};
    for (const auto &[name, op] : ops) {
        for (const int v : values) {
            m.SetTextBuf(original);
            m.Select(3, 2);
            try {
                op(v);
            } catch (const platform::Error &) {
                // A refusal is an answer too.
            }
            m.CheckConsistency();
            QVERIFY2(m.SelStart() >= 0 && m.SelStart() <= m.CharCount(), name);
            QVERIFY2(m.SelLower() >= 0 && m.SelUpper() <= m.CharCount() && m.SelLower() <= m.SelUpper(), name);
            QVERIFY2(m.TopLine() >= 0 && m.TopLine() < m.LineCount(), name);
            QApplication::processEvents(); // the paint of what the operation left
        }
    }
}
