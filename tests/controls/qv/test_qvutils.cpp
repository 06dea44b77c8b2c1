#include "k5test.h"

#include "controls/qv/qvutils.h"
#include "platform/error.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

using namespace qv;

class TestQvUtils : public QObject {
    Q_OBJECT
private slots:
    void integers()
    {
        QCOMPARE(Max(-3, 2), 2);
        QCOMPARE(Min(-3, 2), -3);
        int a = 1, b = 2;
        SwapIntegers(a, b);
        QCOMPARE(a, 2);
        QCOMPARE(b, 1);
    }

    void words()
    {
        const QString d = BlankComma();
        QCOMPARE(NthWord(2, QStringLiteral("a,,b"), d), QStringLiteral("b"));
        QCOMPARE(CountWords(QStringLiteral("a,,b"), d), 2);
        QCOMPARE(CountWords(QStringLiteral(" , "), d), 0);
        QCOMPARE(WordStart(2, QStringLiteral(" ab, cd"), d), 6);
        QCOMPARE(WordStart(3, QStringLiteral(" ab, cd"), d), 0);
        QCOMPARE(NthWord(3, QStringLiteral("1 2"), d), QString());
        QCOMPARE(NthWord(1, QStringLiteral("  first,second"), d), QStringLiteral("first"));
    }

    void replaceAll()
    {
        QCOMPARE(ReplaceAll(QStringLiteral("aaaa"), QStringLiteral("aa"), QStringLiteral("a")), QStringLiteral("aa"));
        QCOMPARE(ReplaceAll(QStringLiteral("abc"), QStringLiteral("b"), QStringLiteral("bb")), QStringLiteral("abbc"));
        QCOMPARE(ReplaceAll(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
        QCOMPARE(ReplaceAll(QString(), QStringLiteral("a"), QStringLiteral("x")), QString());
    }

    void ellipsis()
    {
        const QFontMetrics fm(QApplication::font());
        const QString text = QStringLiteral("A rather long caption");
        QCOMPARE(FitTextWithEllipsis(text, fm, fm.horizontalAdvance(text)), text);
        const QString cut = FitTextWithEllipsis(text, fm, fm.horizontalAdvance(QStringLiteral("A rather...")));
        QVERIFY(cut.endsWith(QStringLiteral("...")));
        QVERIFY(text.startsWith(cut.chopped(3)));
        QVERIFY(fm.horizontalAdvance(cut) <= fm.horizontalAdvance(QStringLiteral("A rather...")));
        // Nothing fits: the loop stops with the dots alone instead of running on.
        QCOMPARE(FitTextWithEllipsis(text, fm, 0), QStringLiteral("..."));
    }

    void checkerAndEmboss()
    {
        const QImage c = MakeCheckerPattern(Qt::red, Qt::blue);
        QCOMPARE(c.size(), QSize(8, 8));
        QCOMPARE(QColor(c.pixel(0, 0)), QColor(Qt::blue));
        QCOMPARE(QColor(c.pixel(1, 0)), QColor(Qt::red));
        QCOMPARE(QColor(c.pixel(1, 1)), QColor(Qt::blue));
        QCOMPARE(QColor(c.pixel(7, 6)), QColor(Qt::red));

        QImage glyph(4, 4, QImage::Format_RGB32);
        glyph.fill(Qt::white);
        glyph.setPixel(1, 1, qRgb(0, 0, 0));
        const QImage e = MakeEmbossedBitmap(glyph, Qt::white, Qt::yellow, Qt::darkGray, Qt::lightGray);
        QCOMPARE(QColor(e.pixel(1, 1)), QColor(Qt::darkGray)); // shadow at (0,0)
        QCOMPARE(QColor(e.pixel(2, 2)), QColor(Qt::yellow));   // highlight at (1,1)
        QCOMPARE(QColor(e.pixel(0, 0)), QColor(Qt::lightGray)); // face
    }

    void transparentBitmapKeepsWhatIsUnder()
    {
        QImage bmp(2, 2, QImage::Format_RGB32);
        bmp.fill(Qt::green);
        bmp.setPixel(1, 0, qRgb(255, 0, 0));
        QImage canvas(2, 2, QImage::Format_RGB32);
        canvas.fill(Qt::blue);
        {
            QPainter p(&canvas);
            DrawTransparentBitmap(p, canvas.rect(), bmp); // bottom-left pixel (green) is transparent
        }
        QCOMPARE(QColor(canvas.pixel(0, 0)), QColor(Qt::blue));
        QCOMPARE(QColor(canvas.pixel(1, 0)), QColor(Qt::red));
    }

    void waitCursorNestsAndSurvivesExceptions()
    {
        QVERIFY(!QApplication::overrideCursor());
        try {
            WaitCursor outer;
            {
                WaitCursor inner;
                QCOMPARE(WaitCursorDepth(), 2);
            }
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            throw platform::Error(QStringLiteral("x"));
        } catch (const platform::Error &) {
        }
        QCOMPARE(WaitCursorDepth(), 0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void notImplementedSaysSoAndAborts()
    {
        k5test::Answerer a;
        BeginWaitCursor();
        QVERIFY_THROWS_EXCEPTION(platform::Abort, ReportNotImplemented());
        QCOMPARE(a.Texts(), QStringList{QStringLiteral("Function not yet implemented")});
        QVERIFY(!QApplication::overrideCursor());
    }

    void cursorsAndRectangles()
    {
        QVERIFY(!ScreenCursor(crQVHand).pixmap().isNull());
        QVERIFY(!ScreenCursor(crQVDrag).pixmap().isNull());
        QCOMPARE(ScreenCursor(Qt::WaitCursor).shape(), Qt::WaitCursor);
        const QRect r(10, 10, 5, 5);
        QCOMPARE(RectWidth(r), 5);
        QVERIFY(PointInRect(QPoint(15, 15), r));
        QVERIFY(!PointInRect(QPoint(16, 10), r));
        QCOMPARE(PaletteRelative(0x123456), 0x02123456u);
        QVERIFY(WindowsVersionText().startsWith(QStringLiteral("Windows NT ")));
    }

    void parentBackgroundShowsEarlierSiblings()
    {
        QWidget parent;
        parent.resize(40, 40);
        parent.setAutoFillBackground(true);
        QPalette pal;
        pal.setColor(QPalette::Window, Qt::white);
        parent.setPalette(pal);
        auto *under = new QLabel(&parent);
        under->setAutoFillBackground(true);
        QPalette red;
        red.setColor(QPalette::Window, Qt::red);
        under->setPalette(red);
        under->setGeometry(0, 0, 10, 40);
        auto *control = new QWidget(&parent);
        control->setGeometry(5, 0, 20, 20);
        parent.show();
        QImage img(20, 20, QImage::Format_RGB32);
        img.fill(Qt::black);
        {
            QPainter p(&img);
            PaintParentBackground(control, p);
        }
        QCOMPARE(QColor(img.pixel(2, 5)), QColor(Qt::red));   // the sibling under it
        QCOMPARE(QColor(img.pixel(15, 5)), QColor(Qt::white)); // the parent's background
    }
};

K5_TEST_MAIN(TestQvUtils)
#include "test_qvutils.moc"
