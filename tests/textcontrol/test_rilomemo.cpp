// The memo widget: selection, caret, scrolling, search, clipboard, keyboard and mouse editing,
// painting and printing.
#include "k5test.h"

#include "platform/formstream.h"
#include "textcontrol/htmlrules.h"
#include "textcontrol/rilomemo.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
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

} // namespace

class TestRiloMemo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void publishedDefaults();
    void typingAndEditingKeys();
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
    QCOMPARE(m.CharCount(), 0);
    QCOMPARE(m.ParagraphCount(), 1);
    QCOMPARE(m.LineCount(), 1);
    QCOMPARE(m.Color(), clWindow);
    QCOMPARE(m.width(), 100);
    QCOMPARE(m.height(), 60);
    QVERIFY(m.focusPolicy() & Qt::TabFocus);
}

void TestRiloMemo::typingAndEditingKeys()
{
    Shown s;
    TRiloMemo &m = *s.memo;
    QTest::keyClicks(&m, QStringLiteral("hello"));
    QCOMPARE(m.Text(), QStringLiteral("hello"));
    QTest::keyClick(&m, Qt::Key_Return);
    QTest::keyClicks(&m, QStringLiteral("world"));
    QCOMPARE(m.Text(), QStringLiteral("hello") + CRLF + QStringLiteral("world"));
    QTest::keyClick(&m, Qt::Key_Backspace);
    QCOMPARE(m.Text(), QStringLiteral("hello") + CRLF + QStringLiteral("worl"));
    QTest::keyClick(&m, Qt::Key_Home);
    QCOMPARE(m.SelStart(), 7);
    QTest::keyClick(&m, Qt::Key_Backspace); // joins the paragraphs
    QCOMPARE(m.Text(), QStringLiteral("helloworl"));
    QTest::keyClick(&m, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&m, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(m.SelStart(), 3);
    QCOMPARE(m.SelLength(), 2);
    QCOMPARE(m.SelText(), QStringLiteral("lo"));
    QTest::keyClick(&m, Qt::Key_Delete);
    QCOMPARE(m.Text(), QStringLiteral("helworl"));
}

K5_TEST_MAIN(TestRiloMemo)
#include "test_rilomemo.moc"
