#include "k5test.h"

#include "controls/misc/sgraphics.h"
#include "platform/error.h"
#include "pixels.h"

#include <QImage>
#include <QPainter>

using namespace misc;

namespace {

const QColor kPaper(255, 255, 255);
const QColor kInk(0, 0, 0);
const QColor kShadow(255, 0, 0);
const QColor kSecond(0, 160, 0);
const QRect kBox(30, 20, 120, 50);
constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop;
const QString kText = QStringLiteral("HM");

QFont crispFont(bool underline = false)
{
    QFont f = pixels::CrispFont(24);
    f.setUnderline(underline);
    return f;
}

QImage paper()
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(kPaper);
    return img;
}

// What Draw3DText draws, on fresh paper.
QImage drawn(int style, const TFont3d *first, const TFont3d *second, int *height = nullptr, int length = -1)
{
    QImage img = paper();
    QPainter p(&img);
    p.setFont(crispFont());
    p.setPen(kInk);
    QRect r = kBox;
    const int h = Draw3DText(p, kText, length, style, first, second, kFlags, r);
    if (height)
        *height = h;
    return img;
}

// Plain text passes, each at an offset of the box in its colour, drawn in order.
struct Stroke {
    QPoint offset;
    QColor colour;
};
QImage expected(const QList<Stroke> &strokes, bool underline = false, const QString &text = kText)
{
    QImage img = paper();
    QPainter p(&img);
    p.setFont(crispFont(underline));
    for (const Stroke &s : strokes) {
        p.setPen(s.colour);
        p.drawText(kBox.translated(s.offset), kFlags, text);
    }
    return img;
}


std::unique_ptr<TFont3d> setting(TShadowPosition pos, int spacing, const QColor &colour)
{
    auto f = std::make_unique<TFont3d>();
    f->SetPosition(pos);
    f->SetSpacing(std::uint8_t(spacing));
    f->SetColor(colour);
    return f;
}

int plainHeight()
{
    QImage img = paper();
    QPainter p(&img);
    p.setFont(crispFont());
    return p.boundingRect(kBox, kFlags, kText).height();
}

} // namespace

class TestSGraphics : public QObject {
    Q_OBJECT
private slots:
    void settingsHaveTheirDefaultsAndTellTheirOwner()
    {
        TFont3d f;
        QVERIFY(f.Active());
        QCOMPARE(f.Position(), spRightBottom);
        QCOMPARE(f.Spacing(), 1);
        QCOMPARE(f.Color(), QApplication::palette().color(QPalette::Light));

        int changes = 0;
        QObject *sender = nullptr;
        f.OnChange = [&](QObject *s) { ++changes, sender = s; };
        f.SetActive(true);
        f.SetSpacing(1);
        f.SetPosition(spRightBottom);
        QCOMPARE(changes, 0); // nothing changed
        f.SetActive(false);
        f.SetSpacing(4);
        f.SetPosition(spLeftTop);
        f.SetColor(Qt::red);
        QCOMPARE(changes, 4);
        QCOMPARE(sender, &f);
    }

    void assignTakesOnlyAnotherSetting()
    {
        auto a = setting(spLeftBottom, 7, Qt::blue);
        a->SetActive(false);
        TFont3d b;
        int changes = 0;
        b.OnChange = [&](QObject *) { ++changes; };
        b.Assign(a.get());
        QCOMPARE(b.Position(), spLeftBottom);
        QCOMPARE(b.Spacing(), 7);
        QCOMPARE(b.Color(), QColor(Qt::blue));
        QVERIFY(!b.Active());
        QCOMPARE(changes, 1);

        QObject other;
        try {
            b.Assign(&other);
            QFAIL("assigned a plain object");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot assign a QObject to a TFont3d"));
        }
        try {
            b.Assign(nullptr);
            QFAIL("assigned nothing");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot assign a nil to a TFont3d"));
        }
        QCOMPARE(b.Spacing(), 7); // kept
    }

    void shadowAndTextOffsets_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QPoint>("text");
        QTest::addColumn<QPoint>("shadow");
        QTest::newRow("left-top: the text moves down-right") << int(spLeftTop) << QPoint(3, 3) << QPoint(0, 0);
        QTest::newRow("left-bottom: text right, shadow down") << int(spLeftBottom) << QPoint(3, 0) << QPoint(0, 3);
        QTest::newRow("right-bottom: shadow down-right") << int(spRightBottom) << QPoint(0, 0) << QPoint(3, 3);
        QTest::newRow("right-top: text down, shadow right") << int(spRightTop) << QPoint(0, 3) << QPoint(3, 0);
    }
    void shadowAndTextOffsets()
    {
        QFETCH(int, position);
        QFETCH(QPoint, text);
        QFETCH(QPoint, shadow);
        auto first = setting(TShadowPosition(position), 3, kShadow);
        int height = 0;
        const QImage got = drawn(0, first.get(), nullptr, &height);
        QCOMPARE(got, expected({{shadow, kShadow}, {text, kInk}}));
        QCOMPARE(height, plainHeight() + 3);
        // The text itself lies exactly where the plain text would, moved by its offset.
        QCOMPARE(pixels::InkBox(got, kInk), pixels::InkBox(expected({{{}, kInk}}), kInk).translated(text));
    }

    void inactiveOrMissingSettingsDrawPlainText()
    {
        auto first = setting(spRightBottom, 3, kShadow);
        first->SetActive(false);
        int height = 0;
        QCOMPARE(drawn(0, first.get(), nullptr, &height), expected({{{}, kInk}}));
        QCOMPARE(height, plainHeight());
        QCOMPARE(drawn(0, nullptr, nullptr, &height), expected({{{}, kInk}}));
        QCOMPARE(height, plainHeight());
        // Without an active second setting every style draws as style 0.
        auto second = setting(spLeftTop, 2, kSecond);
        second->SetActive(false);
        first->SetActive(true);
        for (int style = 1; style <= 5; ++style)
            QCOMPARE(drawn(style, first.get(), second.get()), drawn(0, first.get(), nullptr));
    }

    void lengthLimitsTheText()
    {
        QCOMPARE(drawn(0, nullptr, nullptr, nullptr, 1), expected({{{}, kInk}}, false, QStringLiteral("H")));
    }

    void raisedAndLoweredMoveForTheSecondSetting_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QPoint>("shift");
        // First spacing 2, second spacing 5.
        QTest::newRow("left-top") << int(spLeftTop) << QPoint(-5, -5);
        QTest::newRow("left-bottom") << int(spLeftBottom) << QPoint(-5, 3);
        QTest::newRow("right-bottom") << int(spRightBottom) << QPoint(3, 3);
        QTest::newRow("right-top") << int(spRightTop) << QPoint(3, -5);
    }
    void raisedAndLoweredMoveForTheSecondSetting()
    {
        QFETCH(int, position);
        QFETCH(QPoint, shift);
        auto first = setting(spRightBottom, 2, kShadow);
        auto second = setting(TShadowPosition(position), 5, kSecond);
        for (int style : {1, 2}) {
            int height = 0;
            QCOMPARE(drawn(style, first.get(), second.get(), &height),
                     expected({{shift + QPoint(2, 2), kShadow}, {shift, kInk}}));
            QCOMPARE(height, plainHeight() + 2);
        }
    }

    void outlineSurroundsTheTextInTheSecondColour()
    {
        auto first = setting(spRightBottom, 1, kShadow);
        auto second = setting(spRightBottom, 2, kSecond);
        QList<Stroke> strokes;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (dx || dy)
                    strokes.append({{dx, dy}, kSecond});
        strokes.append({{}, kInk});
        int height = 0;
        QCOMPARE(drawn(3, first.get(), second.get(), &height), expected(strokes));
        QCOMPARE(height, plainHeight() + 2);
    }

    void underlinedAndSecondColouredStyles()
    {
        auto first = setting(spRightBottom, 2, kShadow);
        auto second = setting(spLeftTop, 4, kSecond);
        QCOMPARE(drawn(4, first.get(), second.get()), expected({{{2, 2}, kShadow}, {{}, kInk}}, true));
        QCOMPARE(drawn(5, first.get(), second.get()), expected({{{2, 2}, kShadow}, {{}, kSecond}}));
    }

    void drawingLeavesThePainterAsItWas()
    {
        auto first = setting(spRightBottom, 2, kShadow);
        auto second = setting(spLeftTop, 4, kSecond);
        QImage img = paper();
        QPainter p(&img);
        p.setFont(crispFont());
        p.setPen(kInk);
        QRect r = kBox;
        Draw3DText(p, kText, -1, 4, first.get(), second.get(), kFlags, r);
        Draw3DText(p, kText, -1, 5, first.get(), second.get(), kFlags, r);
        QCOMPARE(p.pen().color(), kInk);
        QVERIFY(!p.font().underline());
        QCOMPARE(r, kBox);
    }

    void measuringDrawsNothingAndCoversBothCopies()
    {
        auto first = setting(spLeftBottom, 3, kShadow);
        auto second = setting(spLeftTop, 5, kSecond);
        QImage img = paper();
        QPainter p(&img);
        p.setFont(crispFont());
        p.setPen(kInk);
        const QRect plain = p.boundingRect(kBox, kFlags, kText);

        QRect r = kBox;
        QCOMPARE(Draw3DText(p, kText, -1, 0, first.get(), nullptr, kFlags | Qt::TextDontPrint, r), plain.height() + 3);
        QCOMPARE(r, plain.adjusted(0, 0, 3, 3));
        // The raised style does not move the rectangle while measuring.
        r = kBox;
        Draw3DText(p, kText, -1, 1, first.get(), second.get(), kFlags | Qt::TextDontPrint, r);
        QCOMPARE(r, plain.adjusted(0, 0, 3, 3));
        r = kBox;
        Draw3DText(p, kText, -1, 3, first.get(), second.get(), kFlags | Qt::TextDontPrint, r);
        QCOMPARE(r, plain.adjusted(-5, -5, 5, 5));
        r = kBox;
        QCOMPARE(Draw3DText(p, kText, -1, 0, nullptr, nullptr, kFlags | Qt::TextDontPrint, r), plain.height());
        QCOMPARE(r, plain);
        p.end();
        QCOMPARE(img, paper());
    }
};

K5_TEST_MAIN(TestSGraphics)
#include "test_sgraphics.moc"
