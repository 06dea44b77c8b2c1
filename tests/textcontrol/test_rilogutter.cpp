// The gutter beside a memo: line numbers, bookmarks, their keys, scrolling and repaints.
#include "k5test.h"

#include "textcontrol/rilogutter.h"
#include "textcontrol/rilomemo.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPaintEvent>
#include <QtTest>

using namespace textcontrol;

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString Lines(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += (i ? CRLF : QString()) + QStringLiteral("text of line ") + QString::number(i);
    return s;
}

// Counts paint events of a widget.
struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// A window holding a gutter and a memo side by side.
struct Pair {
    QWidget window;
    TRiloGutter *gutter;
    TRiloMemo *memo;
    explicit Pair(const QString &text = Lines(100))
    {
        window.resize(400, 300);
        auto *row = new QHBoxLayout(&window);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        memo = new TRiloMemo(&window);
        gutter = new TRiloGutter(&window);
        gutter->SetMemo(memo);
        row->addWidget(gutter);
        row->addWidget(memo, 1);
        QFont f(QStringLiteral("DejaVu Sans Mono"));
        f.setPixelSize(12);
        memo->setFont(f);
        memo->SetUpdateMode(TUpdateMode::umImmediate);
        memo->SetTextBuf(text);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        memo->setFocus();
        QApplication::processEvents();
    }
    // Gutter row of a display line on screen.
    int RowY(int line) const
    {
        const int top = memo->viewport()->mapTo(&window, QPoint()).y() - gutter->mapTo(&window, QPoint()).y();
        return top + (line - memo->TopLine()) * memo->LineHeight();
    }
    QImage RowImage(int line) const
    {
        QApplication::processEvents();
        const QImage img = gutter->grab().toImage();
        return img.copy(0, RowY(line), gutter->width() - 2, memo->LineHeight());
    }
};

int DarkPixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qGray(img.pixel(x, y)) < 128;
    return n;
}

} // namespace

class TestRiloGutter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void lineNumbersFollowTheMemo();
    void bookmarkKeys();
    void bookmarksFollowTheText();
    void repaintsOnlyWhenNeeded();
    void sharedScrollEvent();
    void lifetimes();
    void widthFitsTheLargestNumber();
    void bookmarkKeysReachTheMemoFirst();
    void mouseMenuAndDragEvents();
};

void TestRiloGutter::defaults()
{
    TRiloGutter g;
    QCOMPARE(g.Alignment(), TAlignment::taCenter);
    QVERIFY(g.Bookmarks());
    QVERIFY(g.LineNumbers());
    QCOMPARE(g.Memo(), nullptr);
    QVERIFY(g.ParentColor());
    QCOMPARE(g.Color(), clWindow);
    QCOMPARE(g.size(), QSize(30, 50));
    QCOMPARE(g.Icons().size(), QSize(100, 10));
    QVERIFY(!g.SetBookmark(0, 1)); // no memo
}

void TestRiloGutter::lineNumbersFollowTheMemo()
{
    Pair p;
    // Numbers are drawn on every visible line, none below the text.
    QVERIFY(DarkPixels(p.RowImage(0)) > 5);
    QVERIFY(DarkPixels(p.RowImage(10)) > 5);
    const QImage one = p.RowImage(0);
    p.gutter->SetLineNumbers(false);
    QCOMPARE(DarkPixels(p.RowImage(0)), 0);
    p.gutter->SetLineNumbers(true);
    // After scrolling, the first row shows the number of the new top line (not "1").
    p.memo->SetTopLine(50);
    QApplication::processEvents();
    QCOMPARE(p.memo->TopLine(), 50);
    QVERIFY(p.RowImage(50) != one);
    p.memo->SetTopLine(0);
    QCOMPARE(p.RowImage(0), one);
    // Alignment moves the numbers.
    p.gutter->SetAlignment(TAlignment::taLeftJustify);
    const QImage left = p.RowImage(0);
    p.gutter->SetAlignment(TAlignment::taRightJustify);
    QVERIFY(p.RowImage(0) != left);
    // The colour of the parent, or its own.
    QPalette pal = p.window.palette();
    pal.setColor(QPalette::Window, QColor(10, 200, 10));
    p.window.setPalette(pal);
    QCOMPARE(p.gutter->grab().toImage().pixelColor(1, p.gutter->height() - 2), QColor(10, 200, 10));
    p.gutter->SetColor(RGBColor(200, 10, 10));
    QVERIFY(!p.gutter->ParentColor());
    QCOMPARE(p.gutter->grab().toImage().pixelColor(1, p.gutter->height() - 2), QColor(200, 10, 10));
    // Wrapped lines are numbered too.
    p.memo->SetTextBuf(QString(400, QLatin1Char('w')));
    QVERIFY(p.memo->LineCount() > 2);
    QVERIFY(DarkPixels(p.RowImage(2)) > 5);
}

void TestRiloGutter::bookmarkKeys()
{
    Pair p;
    TRiloMemo &m = *p.memo;
    TRiloGutter &g = *p.gutter;
    const QImage number = p.RowImage(5);
    m.SetSelLine(5);
    QTest::keyClick(&m, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(g.BookmarkAtLine(5), 3);
    QCOMPARE(g.BookmarkLine(3), 5);
    QVERIFY(p.RowImage(5) != number); // the icon instead of the number
    QCOMPARE(m.Text(), Lines(100)); // no text typed
    // Another bookmark on a line that has one: nothing.
    QTest::keyClick(&m, Qt::Key_4, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(g.BookmarkLine(4), -1);
    QCOMPARE(g.BookmarkAtLine(5), 3);
    // Twice on the same line: removed.
    QTest::keyClick(&m, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(g.BookmarkAtLine(5), -1);
    QCOMPARE(p.RowImage(5), number);
    // Set on another line: moved there.
    QVERIFY(g.SetBookmark(5, 3));
    QVERIFY(g.SetBookmark(40, 3));
    QCOMPARE(g.BookmarkLine(3), 40);
    QCOMPARE(g.BookmarkAtLine(5), -1);
    // Only ten slots; the number is taken modulo 128.
    QVERIFY(!g.SetBookmark(7, 12));
    QVERIFY(!g.SetBookmark(7, -1));
    QVERIFY(g.SetBookmark(7, 128 + 2));
    QCOMPARE(g.BookmarkLine(2), 7);
    // Ctrl+digit jumps; without the bookmark nothing happens.
    m.Select(0, 0);
    QTest::keyClick(&m, Qt::Key_5, Qt::ControlModifier);
    QCOMPARE(m.SelStart(), 0);
    QCOMPARE(m.TopLine(), 0);
    QTest::keyClick(&m, Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(m.SelLine(), 40);
    QCOMPARE(m.SelStart(), m.LineStart(40));
    QVERIFY(m.TopLine() > 0 && m.TopLine() <= 40 && 40 <= m.TopLine() + m.VisibleLines() - 2);
}

void TestRiloGutter::bookmarksFollowTheText()
{
    Pair p;
    TRiloMemo &m = *p.memo;
    TRiloGutter &g = *p.gutter;
    QVERIFY(g.SetBookmark(10, 1));
    m.Select(0, 0);
    m.SetSelText(QStringLiteral("new") + CRLF + QStringLiteral("lines") + CRLF);
    QCOMPARE(g.BookmarkLine(1), 12);
    QVERIFY(DarkPixels(p.RowImage(12)) > 0);
    // Replacing the text leaves bookmarks at the start.
    m.SetTextBuf(Lines(3));
    QCOMPARE(g.BookmarkLine(1), 0);
}

void TestRiloGutter::repaintsOnlyWhenNeeded()
{
    Pair p;
    TRiloMemo &m = *p.memo;
    TRiloGutter &g = *p.gutter;
    QVERIFY(g.SetBookmark(20, 0));
    PaintCounter counter;
    g.installEventFilter(&counter);
    QApplication::processEvents();
    counter.count = 0;
    m.Select(m.LineStart(3) + 2, 0);
    QTest::keyClicks(&m, QStringLiteral("abc"));
    QApplication::processEvents();
    QCOMPARE(counter.count, 0);
    // A new line moves the numbers and the bookmark.
    QTest::keyClick(&m, Qt::Key_Return);
    QApplication::processEvents();
    QVERIFY(counter.count > 0);
    QCOMPARE(g.BookmarkLine(0), 21);
    g.removeEventFilter(&counter);
}

void TestRiloGutter::sharedScrollEvent()
{
    Pair p;
    TRiloMemo &m = *p.memo;
    int appScrolls = 0;
    m.OnVScroll = [&](MemoCore *) { ++appScrolls; };
    const QImage top = p.RowImage(0);
    m.SetTopLine(30);
    QApplication::processEvents();
    QCOMPARE(appScrolls, 1);
    // The gutter scrolled with the memo although the application holds the event.
    QVERIFY(p.gutter->grab().toImage().copy(0, p.RowY(30), p.gutter->width() - 2, m.LineHeight()) != top);
    m.SetTopLine(0);
    QCOMPARE(p.RowImage(0), top);
}

void TestRiloGutter::lifetimes()
{
    {
        // The memo goes first.
        auto *g = new TRiloGutter;
        auto *m = new TRiloMemo;
        m->SetTextBuf(Lines(20));
        g->SetMemo(m);
        QVERIFY(g->SetBookmark(3, 1));
        delete m;
        QCOMPARE(g->Memo(), nullptr);
        QCOMPARE(g->BookmarkLine(1), -1);
        g->repaint();
        delete g;
    }
    {
        // The gutter goes first.
        auto *g = new TRiloGutter;
        auto *m = new TRiloMemo;
        m->SetTextBuf(Lines(20));
        g->SetMemo(m);
        QVERIFY(g->SetBookmark(3, 1));
        delete g;
        m->SetSelText(QStringLiteral("edit") + CRLF);
        QTest::keyClick(m, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
        delete m;
    }
    {
        // Moving to another memo frees the bookmarks of the first.
        TRiloGutter g;
        TRiloMemo a, b;
        a.SetTextBuf(Lines(20));
        b.SetTextBuf(Lines(20));
        g.SetMemo(&a);
        QVERIFY(g.SetBookmark(3, 1));
        g.SetMemo(&b);
        QCOMPARE(g.BookmarkLine(1), -1);
        QTest::keyClick(&a, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(g.BookmarkLine(3), -1);
    }
}

void TestRiloGutter::widthFitsTheLargestNumber()
{
    // In a layout beside its memo, as the document window has it: six-digit numbers widen the
    // gutter, and it narrows back to its own width when the text shrinks.
    Pair p(Lines(10));
    TRiloGutter &g = *p.gutter;
    QCOMPARE(g.width(), 30);
    QString many;
    for (int i = 0; i < 100000; ++i)
        many += QStringLiteral("x\r\n");
    p.memo->SetTextBuf(many);
    QCOMPARE(p.memo->LineCount(), 100001);
    const QFontMetrics fm(g.font());
    const int number = fm.horizontalAdvance(QStringLiteral("100001"));
    QTRY_VERIFY(g.width() - 2 >= number + 2);
    QTRY_COMPARE(p.memo->x(), g.width()); // the memo makes room
    // The last number is drawn whole: nothing of it touches the border lines.
    p.memo->SetTopLine(p.memo->LineCount() - 1);
    const QImage row = p.RowImage(p.memo->LineCount() - 1);
    QVERIFY(DarkPixels(row) > 5);
    QCOMPARE(DarkPixels(row.copy(0, 0, 1, row.height())), 0);
    QCOMPARE(DarkPixels(row.copy(row.width() - 1, 0, 1, row.height())), 0);
    // Edits that take lines away narrow it again, to no less than it was given.
    p.memo->SelectAll();
    QTest::keyClick(p.memo, Qt::Key_Delete);
    QTRY_COMPARE(g.width(), 30);
    QTRY_COMPARE(p.memo->x(), 30);
    // Without a layout: a width written from outside stays the least it has.
    QWidget window;
    window.resize(400, 200);
    auto &alone = *new TRiloGutter(&window);
    auto &memo = *new TRiloMemo(&window);
    memo.setGeometry(100, 0, 300, 200);
    alone.SetMemo(&memo);
    alone.resize(35, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(alone.width(), 35);
    memo.SetUpdateMode(TUpdateMode::umImmediate);
    memo.SetTextBuf(many);
    QTRY_VERIFY(alone.width() - 4 >= QFontMetrics(alone.font()).horizontalAdvance(QStringLiteral("100001")));
    QVERIFY(alone.width() > 35);
    memo.Clear();
    QTRY_COMPARE(alone.width(), 35);
    // Without line numbers there is nothing to make room for.
    memo.SetTextBuf(many);
    alone.SetLineNumbers(false);
    QTRY_COMPARE(alone.width(), 35);
}

void TestRiloGutter::bookmarkKeysReachTheMemoFirst()
{
    Pair p;
    TRiloMemo &m = *p.memo;
    TRiloGutter &g = *p.gutter;
    QVERIFY(g.SetBookmark(30, 5));
    m.Select(0, 0);
    // The memo's own key event runs before the gutter moves the caret.
    QStringList keys;
    m.OnKeyDown = [&](QObject *, int &key, Qt::KeyboardModifiers) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            keys << QStringLiteral("%1 at line %2").arg(key - Qt::Key_0).arg(m.SelLine());
    };
    QTest::keyClick(&m, Qt::Key_5, Qt::ControlModifier);
    QCOMPARE(keys, QStringList({QStringLiteral("5 at line 0")}));
    QCOMPARE(m.SelLine(), 30);
    keys.clear();
    QTest::keyClick(&m, Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(keys.size(), 1);
    QCOMPARE(g.BookmarkAtLine(30), 5); // a line that holds one takes no other
    // A digit with no bookmark behind it is not swallowed: the memo has it as any other key.
    keys.clear();
    QTest::keyClick(&m, Qt::Key_7, Qt::ControlModifier);
    QCOMPARE(keys, QStringList({QStringLiteral("7 at line 30")}));
    QCOMPARE(m.SelLine(), 30);
    QVERIFY(g.SetBookmark(60, 7));
    QTest::keyClick(&m, Qt::Key_7, Qt::ControlModifier);
    QCOMPARE(m.SelLine(), 60);
}

void TestRiloGutter::mouseMenuAndDragEvents()
{
    Pair p;
    TRiloGutter &g = *p.gutter;
    QStringList seen;
    g.OnMouseDown = [&](QObject *s, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        QCOMPARE(s, &g);
        seen << QStringLiteral("down %1 %2,%3").arg(int(b)).arg(x).arg(y);
    };
    g.OnMouseUp = [&](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) { seen << QStringLiteral("up %1").arg(int(b)); };
    g.OnMouseMove = [&](QObject *, Qt::KeyboardModifiers, int x, int y) { seen << QStringLiteral("move %1,%2").arg(x).arg(y); };
    g.OnClick = [&](QObject *) { seen << QStringLiteral("click"); };
    g.OnDblClick = [&](QObject *) { seen << QStringLiteral("double"); };
    QTest::mouseClick(&g, Qt::LeftButton, {}, QPoint(4, 9));
    QCOMPARE(seen, QStringList({QStringLiteral("down 1 4,9"), QStringLiteral("up 1"), QStringLiteral("click")}));
    seen.clear();
    QTest::mouseDClick(&g, Qt::LeftButton, {}, QPoint(4, 9));
    QVERIFY(seen.contains(QStringLiteral("double")));
    seen.clear();
    // The right button is no click.
    QTest::mouseClick(&g, Qt::RightButton, {}, QPoint(4, 9));
    QCOMPARE(seen, QStringList({QStringLiteral("down 2 4,9"), QStringLiteral("up 2")}));
    // A press released outside the gutter, beside it or above it, is no click.
    for (QPoint out : {QPoint(g.width() + 30, 9), QPoint(4, -10), QPoint(-3, 9)}) {
        seen.clear();
        QTest::mousePress(&g, Qt::LeftButton, {}, QPoint(4, 9));
        QTest::mouseRelease(&g, Qt::LeftButton, {}, out);
        QCOMPARE(seen, QStringList({QStringLiteral("down 1 4,9"), QStringLiteral("up 1")}));
    }
    seen.clear();
    QTest::mouseClick(&g, Qt::LeftButton, {}, QPoint(4, 9));
    QCOMPARE(seen.last(), QStringLiteral("click"));
    seen.clear();

    // The pop-up menu comes up where the pointer is.
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    g.SetPopupMenu(&menu);
    QContextMenuEvent ctx(QContextMenuEvent::Mouse, QPoint(4, 9), g.mapToGlobal(QPoint(4, 9)));
    QApplication::sendEvent(&g, &ctx);
    QTRY_VERIFY(menu.isVisible());
    menu.close();

    // Dragged onto the memo as a control: the memo takes it when it says so.
    QObject *dropped = nullptr;
    p.memo->OnDragOver = [&](QObject *, QObject *from, int, int, platform::TDragState, bool &accept) { accept = from == &g; };
    p.memo->OnDragDrop = [&](QObject *, QObject *from, int, int) { dropped = from; };
    g.SetDragMode(platform::TDragMode::dmAutomatic);
    const QPoint onMemo = g.mapFromGlobal(p.memo->viewport()->mapToGlobal(QPoint(30, 30)));
    seen.clear();
    QTest::mousePress(&g, Qt::LeftButton, {}, QPoint(4, 9));
    QTest::mouseMove(&g, onMemo);
    QTest::mouseRelease(&g, Qt::LeftButton, {}, onMemo);
    QCOMPARE(dropped, &g);
    QVERIFY(seen.isEmpty()); // a press that starts a drag is no click
}

K5_TEST_MAIN(TestRiloGutter)
#include "test_rilogutter.moc"
