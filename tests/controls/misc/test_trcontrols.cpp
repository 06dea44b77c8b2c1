#include "k5test.h"

#include "controls/misc/trcontrols.h"
#include "pixels.h"

#include <QPainter>
#include <QWindow>

using namespace misc;
using pixels::Quarters;
using pixels::Shot;

namespace {

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A window in one colour that can be changed.
class Plain : public QWidget {
public:
    QColor colour = Qt::red;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), colour); }
};

bool corners(const QImage &img, QPoint origin)
{
    const int r = img.width() - 1, b = img.height() - 1;
    for (QPoint p : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)})
        if (QColor(img.pixel(p)) != Quarters::At(origin + p))
            return false;
    return true;
}

bool anyPixel(const QImage &img, const QRect &area, const std::function<bool(QColor)> &test)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(QColor(img.pixel(x, y))))
                return true;
    return false;
}

bool showExposed(QWidget &w)
{
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

} // namespace

class TestTrControls : public QObject {
    Q_OBJECT
private slots:
    void checkBoxIsLaidOverWhatItsParentPaints()
    {
        Quarters parent;
        auto *box = new TTrCheckBox(&parent);
        box->setText(QStringLiteral("Check me"));
        box->setGeometry(50, 45, 120, 30); // over all four quarters
        QVERIFY(!box->Transparent());
        const QColor window = box->palette().color(box->backgroundRole());

        box->SetTransparent(true);
        const QImage img = Shot(*box);
        QVERIFY(corners(img, box->pos()));
        // The box's own colour (the bottom-right pixel of its own image) is left out everywhere...
        QVERIFY(!anyPixel(img, img.rect(), [&](QColor c) { return c == window; }));
        // ...while its indicator and text are drawn.
        QVERIFY(anyPixel(img, img.rect(), [&](QColor c) { return c != Quarters::At({0, 0}) && c != Quarters::At({100, 0}) &&
                                                                  c != Quarters::At({0, 60}) && c != Quarters::At({100, 60}); }));
        QVERIFY(!box->TransObject().BackgroundStale());

        box->SetTransparent(false);
        QVERIFY(box->TransObject().Background().isNull());
        QVERIFY(!corners(Shot(*box), box->pos()));
    }

    void radioButtonAndGroupBoxToo()
    {
        Quarters parent;
        auto *radio = new TTrRadioButton(&parent);
        radio->setText(QStringLiteral("Radio"));
        radio->setGeometry(60, 50, 100, 20);
        radio->SetTransparent(true);
        QVERIFY(corners(Shot(*radio), radio->pos()));

        auto *group = new TTrGroupBox(&parent);
        group->setTitle(QStringLiteral("Group"));
        group->setGeometry(10, 10, 180, 100);
        group->SetTransparent(true);
        const QImage img = Shot(*group);
        // Inside the frame the quarters show (through what tint the style gives the frame).
        for (QPoint p : {QPoint(20, 40), QPoint(160, 40), QPoint(20, 80), QPoint(160, 80)}) {
            const QColor want = Quarters::At(group->pos() + p), got = img.pixelColor(p);
            QVERIFY2(qAbs(got.red() - want.red()) < 24 && qAbs(got.green() - want.green()) < 24 &&
                         qAbs(got.blue() - want.blue()) < 24,
                     qPrintable(got.name()));
        }
    }

    void transparentAncestorsAreLookedThrough()
    {
        Quarters parent;
        auto *group = new TTrGroupBox(&parent);
        group->setGeometry(20, 20, 160, 90);
        auto *box = new TTrCheckBox(group);
        box->setGeometry(40, 30, 100, 20);
        box->SetTransparent(true);
        QCOMPARE(box->TransObject().BackgroundSource(), group);
        group->SetTransparent(true);
        QCOMPARE(box->TransObject().BackgroundSource(), &parent);
        QVERIFY(corners(Shot(*box), QPoint(60, 50)));
    }

    void theWatchIsOnWhileAnyControlIsTransparent()
    {
        QCOMPARE(TTransObject::TransparentCount(), 0);
        QVERIFY(!TTransObject::Watching());
        auto *a = new TTrCheckBox;
        auto *b = new TTrRadioButton;
        a->SetTransparent(true);
        b->SetTransparent(true);
        QCOMPARE(TTransObject::TransparentCount(), 2);
        QVERIFY(TTransObject::Watching());
        QVERIFY(TTransObject::IsTransparent(a));
        a->SetTransparent(false);
        QVERIFY(TTransObject::Watching());
        delete b;
        QCOMPARE(TTransObject::TransparentCount(), 0);
        QVERIFY(!TTransObject::Watching());
        delete a;
    }

    void parentsPaintingRefreshesTheBackgroundWithoutEndlessRepaints()
    {
        Plain window;
        window.resize(200, 100);
        auto *box = new TTrCheckBox(&window);
        box->setGeometry(20, 20, 120, 24);
        auto *sibling = new QWidget(&window);
        sibling->setAutoFillBackground(true); // its repaints do not repaint the window under it
        sibling->setGeometry(150, 20, 40, 40);
        box->SetTransparent(true);
        PaintCounter counter(box);
        QVERIFY(showExposed(window));
        QTRY_VERIFY(counter.paints > 0 && !box->TransObject().BackgroundStale());
        QCOMPARE(box->TransObject().Background().toImage().pixelColor(0, 0), QColor(Qt::red));

        // A sibling's painting is not under the box.
        const int settled = counter.paints;
        sibling->repaint();
        QVERIFY(!box->TransObject().BackgroundStale());

        window.colour = Qt::blue;
        window.update();
        QTRY_COMPARE(box->TransObject().Background().toImage().pixelColor(0, 0), QColor(Qt::blue));
        QTRY_VERIFY(!box->TransObject().BackgroundStale());
        const int after = counter.paints;
        QVERIFY(after > settled);
        QTest::qWait(100); // nothing may keep it repainting
        QCOMPARE(counter.paints, after);
    }

    void groupsPassRefreshesOnToTheirTransparentControls()
    {
        Quarters parent;
        auto *group = new TTrGroupBox(&parent);
        group->setGeometry(10, 10, 180, 100);
        auto *box = new TTrCheckBox(group);
        box->setGeometry(20, 30, 100, 20);
        auto *plain = new TTrCheckBox(group);
        plain->setGeometry(20, 60, 100, 20);
        box->SetTransparent(true);
        Shot(*box);
        Shot(*plain);
        QVERIFY(!box->TransObject().BackgroundStale());
        group->TransObject().Refresh();
        QVERIFY(box->TransObject().BackgroundStale());
    }

    void radioGroupLaysItsButtonsOut()
    {
        TTrRadioGroup group;
        group.setFont(pixels::CrispFont(13));
        const int t = QFontMetrics(group.font()).height();
        QCOMPARE(t, 15);
        group.resize(210, 133);
        group.SetColumns(2);
        group.SetItems({"one", "two", "three", "four", "five"});
        QCOMPARE(group.Buttons().size(), 5);
        // rows 3; width (210 - 10) / 2 = 100; free height 133 - 15 - 5 = 113; height 113 / 3 = 37;
        // top margin (113 mod 3) / 2 + 15 + 1 = 17.
        const QList<QRect> expected = {{8, 17, 100, 37}, {8, 54, 100, 37}, {8, 91, 100, 37},
                                       {108, 17, 100, 37}, {108, 54, 100, 37}};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(group.Buttons()[i]->geometry(), expected[i]);
            QCOMPARE(group.Buttons()[i]->text(), group.Items()[i]);
            QVERIFY(!group.Buttons()[i]->isHidden());
        }

        group.SetColumns(1);
        group.show(); // a hidden widget learns its new size only when shown
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        group.resize(120, 103);
        // rows 5; width 110; free 83; height 16; top margin (83 mod 5) / 2 + 16 = 17.
        for (int i = 0; i < 5; ++i)
            QCOMPARE(group.Buttons()[i]->geometry(), QRect(8, i * 16 + 17, 110, 16));

        group.SetColumns(0);
        QCOMPARE(group.Columns(), 1);
        group.SetColumns(40);
        QCOMPARE(group.Columns(), 16);
    }

    void transparentRadioGroupShowsItsButtonsOverTheParent()
    {
        Quarters parent;
        auto *group = new TTrRadioGroup(&parent);
        group->setFont(pixels::CrispFont(13));
        group->setGeometry(0, 0, 200, 120);
        group->SetColumns(2);
        group->SetItems({"a", "b", "c", "d"});
        group->SetTransparent(true);
        for (TTrGroupButton *b : group->Buttons())
            QVERIFY(b->Transparent());
        group->SetItems({"a", "b", "c"});
        for (TTrGroupButton *b : group->Buttons())
            QVERIFY(b->Transparent());

        const QImage img = Shot(*group);
        // Rows 2, buttons 95 wide and 50 high from top 16: each button's mark lies in its own place, and
        // its right part shows the quarters.
        QCOMPARE(group->Buttons()[2]->geometry(), QRect(103, 16, 95, 50));
        for (TTrGroupButton *b : group->Buttons()) {
            const QRect r = b->geometry();
            QVERIFY(anyPixel(img, QRect(r.left(), r.top(), 20, r.height()), [&](QColor c) {
                return c != Quarters::At({0, 0}) && c != Quarters::At({100, 0}) && c != Quarters::At({0, 60}) &&
                       c != Quarters::At({100, 60});
            }));
            QVERIFY(pixels::ShowsQuarters(img, {}, QRect(r.right() - 20, r.top() + 2, 15, r.height() - 4)));
        }
    }

    void itemIndexChecksItsButtonAndClicksSetIt()
    {
        QWidget window;
        window.resize(220, 140);
        auto *group = new TTrRadioGroup(&window);
        group->setGeometry(0, 0, 200, 130);
        QCOMPARE(group->ItemIndex(), -1);
        group->SetItems({"one", "two", "three", "four"});
        int clicks = 0;
        group->OnClick = [&](QObject *sender) {
            QCOMPARE(sender, group);
            ++clicks;
        };
        group->SetItemIndex(2);
        QCOMPARE(group->ItemIndex(), 2);
        QVERIFY(group->Buttons()[2]->isChecked());
        group->SetItemIndex(9);
        QCOMPARE(group->ItemIndex(), 3);
        QVERIFY(group->Buttons()[3]->isChecked());
        QVERIFY(!group->Buttons()[2]->isChecked());
        group->SetItemIndex(-5);
        QCOMPARE(group->ItemIndex(), -1);
        for (TTrGroupButton *b : group->Buttons())
            QVERIFY(!b->isChecked());
        QCOMPARE(clicks, 0);

        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        TTrGroupButton *second = group->Buttons()[1];
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, second->mapTo(&window, QPoint(8, second->height() / 2)));
        QTRY_COMPARE(group->ItemIndex(), 1);
        QCOMPARE(clicks, 1);
        QVERIFY(second->isChecked());

        group->SetItemIndex(3);
        group->SetItems({"x", "y"});
        QCOMPARE(group->ItemIndex(), 1);
        QVERIFY(group->Buttons()[1]->isChecked());
    }
};

K5_TEST_MAIN(TestTrControls)
#include "test_trcontrols.moc"
