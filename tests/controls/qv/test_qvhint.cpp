#include "k5test.h"

#include "controls/qv/qvhint.h"

#include <QHelpEvent>
#include <QScreen>
#include <QToolTip>

using namespace qv;

namespace {

const QString kText = QStringLiteral("Play the animation");

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// The rectangle a hint asks for, placed under the cursor as the application places hints.
QRect hintRect(TQvHintWindow &w, const QPoint &cursor)
{
    QRect r = w.CalcHintRect(screenArea().width(), kText);
    r.moveTopLeft(cursor + QPoint(0, 20));
    return r;
}

// Colours as the 8-bit pixels hold them.
QRgb rgb(const QColor &c)
{
    return c.rgba();
}

bool isShadow(const QColor &c, const QPalette &pal)
{
    return rgb(c) == rgb(pal.color(QPalette::Button)) || rgb(c) == rgb(pal.color(QPalette::Dark));
}

} // namespace

class TestQvHint : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetHintStyle(hsRectangle, 0, false, taLeftJustify); }

    void plainHintHasARaisedEdge()
    {
        SetHintStyle(hsRectangle, 0, false, taLeftJustify);
        TQvHintWindow w;
        const QSize text = w.fontMetrics().boundingRect(QRect(0, 0, 800, 0), Qt::TextWordWrap, kText).size();
        const QRect r = w.CalcHintRect(800, kText);
        QCOMPARE(r.size(), text + QSize(6, 2));
        const QPoint cursor(100, 100);
        w.ActivateHint(hintRect(w, cursor), kText, cursor);
        QVERIFY(w.isVisible());
        QCOMPARE(w.geometry(), hintRect(w, cursor));
        QCOMPARE(w.Hint(), kText);
        QVERIFY(!w.HasSnapshot());
        QCOMPARE(w.BodyRect(), w.rect());
        // The text starts 3 pixels in: the margin and 2 more for left alignment.
        QCOMPARE(w.TextRect().left(), 3);
        const QImage shot = w.grab().toImage();
        const QPalette pal = w.palette();
        QCOMPARE(rgb(shot.pixelColor(0, 0)), rgb(pal.color(QPalette::Light)));
        QCOMPARE(rgb(shot.pixelColor(w.width() - 1, w.height() - 1)), rgb(pal.color(QPalette::Dark)));
        QCOMPARE(rgb(shot.pixelColor(w.width() - 2, 1)), rgb(pal.color(QPalette::ToolTipBase)));
        w.ReleaseHint();
        QVERIFY(!w.isVisible());
    }

    void shadowAddsItsSizeAndShowsAPattern()
    {
        SetHintStyle(hsRectangle, 0, false, taCenter);
        TQvHintWindow w;
        const QRect plain = w.CalcHintRect(800, kText);
        SetHintStyle(hsRectangle, 3, false, taCenter);
        const QRect shadowed = w.CalcHintRect(800, kText);
        QCOMPARE(shadowed.size(), plain.size() + QSize(3, 3));
        const QPoint cursor(200, 200);
        w.ActivateHint(hintRect(w, cursor), kText, cursor);
        QCOMPARE(w.size(), shadowed.size());
        QCOMPARE(w.BodyRect(), QRect(QPoint(0, 0), plain.size()));
        const QImage shot = w.grab().toImage();
        const QPalette pal = w.palette();
        const int right = w.width() - 1, bottom = w.height() - 1;
        // The lower-right three pixels are the patterned shadow, both colours of it.
        QVERIFY(isShadow(shot.pixelColor(right, bottom), pal));
        QVERIFY(isShadow(shot.pixelColor(right, bottom - 1), pal));
        QVERIFY(shot.pixelColor(right, bottom) != shot.pixelColor(right, bottom - 1));
        QVERIFY(isShadow(shot.pixelColor(10, bottom), pal));
        QVERIFY(isShadow(shot.pixelColor(right, 10), pal));
        // Above and left of the shadow lies what is under the hint, not the hint.
        for (const QPoint p : {QPoint(right, 1), QPoint(1, bottom)}) {
            const QColor c = shot.pixelColor(p);
            QVERIFY2(!isShadow(c, pal) && rgb(c) != rgb(pal.color(QPalette::ToolTipBase)), qPrintable(c.name()));
        }
    }

    void hintStaysOnTheScreen()
    {
        SetHintStyle(hsRoundRect, 2, false, taLeftJustify);
        TQvHintWindow w;
        const QRect area = screenArea();
        const QPoint nearRight(area.right() - 5, 100);
        w.ActivateHint(hintRect(w, nearRight), kText, nearRight);
        QCOMPARE(w.geometry().right(), area.right());
        QCOMPARE(w.geometry().top(), 120);
        // At the bottom it goes above the cursor.
        const QPoint nearBottom(100, area.bottom() - 5);
        w.ActivateHint(hintRect(w, nearBottom), kText, nearBottom);
        QVERIFY(w.geometry().bottom() < nearBottom.y());
        QVERIFY(area.contains(w.geometry()));
        QCOMPARE(w.TailPosition(), tpAboveRight);
        // The round shape leaves room at the corners.
        QCOMPARE(w.CalcHintRect(800, kText).size() - QSize(2, 2),
                 w.fontMetrics().boundingRect(QRect(0, 0, 800, 0), Qt::TextWordWrap, kText).size() + QSize(14, 6));
        QVERIFY(w.BodyRect().contains(w.TextRect()));
    }

    void tailPointsAtTheCursorFromAnySide()
    {
        SetHintStyle(hsRectangle, 0, true, taLeftJustify);
        TQvHintWindow w;
        const QRect area = screenArea();
        struct Case {
            QPoint cursor;
            THintTailPosition position;
        };
        const Case cases[] = {
            {area.center(), tpBelowRight},
            {QPoint(area.right() - 20, area.center().y()), tpBelowLeft},
            {QPoint(area.center().x(), area.bottom() - 20), tpAboveRight},
            {area.bottomRight() - QPoint(20, 20), tpAboveLeft},
        };
        for (const Case &c : cases) {
            w.ActivateHint(hintRect(w, c.cursor), kText, c.cursor);
            QCOMPARE(w.TailPosition(), c.position);
            QVERIFY(area.contains(w.geometry()));
            // The tip is 3 pixels above or below the cursor, straight under or over it.
            const bool below = c.position == tpBelowLeft || c.position == tpBelowRight;
            const QPoint tip = w.mapToGlobal(QPoint(0, 0)) + QPoint(0, below ? 0 : w.height() - 1);
            QCOMPARE(tip.y(), c.cursor.y() + (below ? 3 : -3));
            const QPoint tipLocal(c.cursor.x() - w.x(), below ? 0 : w.height() - 1);
            const bool right = c.position == tpBelowRight || c.position == tpAboveRight;
            QVERIFY(w.BodyPath().contains(QPointF(tipLocal) + QPointF(right ? 0.5 : -0.5, below ? 2.5 : -2.5)));
            QVERIFY(!w.BodyRect().contains(tipLocal));
            QVERIFY(w.BodyRect().contains(w.TextRect()));
        }
        // In the very corner the tail cannot reach all the way, but the hint stays on the screen.
        const QPoint corner = area.bottomRight() - QPoint(2, 2);
        w.ActivateHint(hintRect(w, corner), kText, corner);
        QVERIFY(area.contains(w.geometry()));
        // A tail and the ellipse: the text still fits inside.
        SetHintStyle(hsEllipse, 3, true, taCenter);
        w.ActivateHint(hintRect(w, area.center()), kText, area.center());
        const QRect text = w.TextRect();
        const QPainterPath body = w.BodyPath();
        QVERIFY(body.contains(QRectF(text)));
        (void)w.grab();
    }

    void applicationHintsUseTheWindow()
    {
        SetHintStyle(hsRectangle, 3, false, taCenter);
        QWidget widget;
        widget.setToolTip(kText);
        widget.resize(100, 50);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        const QPoint local(10, 10);
        QHelpEvent help(QEvent::ToolTip, local, widget.mapToGlobal(local));
        QApplication::sendEvent(&widget, &help);
        TQvHintWindow *hint = ApplicationHintWindow();
        QVERIFY(hint);
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->Hint(), kText);
        QVERIFY(!QToolTip::isVisible());
        QCOMPARE(hint->geometry().top(), widget.mapToGlobal(local).y() + 20);
        QCOMPARE(hint->size(), hint->CalcHintRect(screenArea().width(), kText).size());
        // A key press takes it away.
        QTest::keyClick(&widget, Qt::Key_A);
        QVERIFY(!hint->isVisible());
        // A new style takes the shown hint away at once.
        QApplication::sendEvent(&widget, &help);
        QVERIFY(hint->isVisible());
        SetHintStyle(hsEllipse, 0, true, taCenter);
        QVERIFY(!hint->isVisible());
        QCOMPARE(HintStyle().Shape, hsEllipse);
        QVERIFY(HintStyle().Tail);
        // A widget without a hint shows none.
        QWidget bare;
        bare.show();
        QHelpEvent none(QEvent::ToolTip, local, bare.mapToGlobal(local));
        QApplication::sendEvent(&bare, &none);
        QVERIFY(!hint->isVisible());
    }
};

K5_TEST_MAIN(TestQvHint)
#include "test_qvhint.moc"
