#include "k5test.h"

#include "controls/zel/formslide.h"

#include <QPointer>

using namespace zel;

namespace {

// A picture in which every pixel differs from its neighbours.
QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + y) % 256));
    return img;
}

QWidget *form(QWidget *parent, const QColor &color)
{
    auto *f = new QWidget(parent);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, color);
    f->setPalette(p);
    return f;
}

} // namespace

class TestFormSlide : public QObject {
    Q_OBJECT
private slots:
    void everyEffectStaysInsideAndEndsWithTheNewPicture_data()
    {
        QTest::addColumn<int>("effect");
        for (int e = efNone; e < SlideEffectCount; ++e)
            QTest::newRow(SlideEffectName(TZELSlideeffects(e))) << e;
    }
    void everyEffectStaysInsideAndEndsWithTheNewPicture()
    {
        QFETCH(int, effect);
        // Odd and even sizes, single rows and columns, and a control lower than 30 pixels (stretch step 1).
        for (const QSize size : {QSize(1, 1), QSize(1, 7), QSize(7, 1), QSize(2, 2), QSize(3, 5), QSize(37, 23),
                                 QSize(30, 31), QSize(64, 9)}) {
            const TSlideSteps steps(TZELSlideeffects(effect), size.width(), size.height());
            QVERIFY(steps.Count() > 0);
            const QRect pic(QPoint(0, 0), size);
            const QImage source = pattern(size.width(), size.height());
            QImage shown(size, QImage::Format_ARGB32_Premultiplied);
            shown.fill(Qt::transparent);
            for (int n = 0; n < steps.Count(); ++n) {
                for (const TSlideCopy &c : steps.Step(n)) {
                    QVERIFY2(pic.contains(c.source) && pic.contains(c.target) && !c.target.isEmpty(),
                             qPrintable(QStringLiteral("%1x%2 step %3").arg(size.width()).arg(size.height()).arg(n)));
                }
                ApplySlideCopies(shown, source, steps.Step(n));
            }
            QVERIFY2(shown == source, qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        }
    }

    void emptyPicturesAndUnknownEffectsHaveNoSteps()
    {
        for (int e = efRandom; e <= SlideEffectCount; ++e)
            for (const QSize size : {QSize(0, 0), QSize(0, 40), QSize(40, 0), QSize(-3, 5)})
                QCOMPARE(TSlideSteps(TZELSlideeffects(e), size.width(), size.height()).Count(), 0);
        QCOMPARE(TSlideSteps(efRandom, 10, 10).Count(), 0);
        QCOMPARE(TSlideSteps(TZELSlideeffects(SlideEffectCount), 10, 10).Count(), 0);
        QCOMPARE(TSlideSteps(efWipeTopToBottom, 10, 10).Step(10).size(), size_t(0));
        QCOMPARE(TSlideSteps(efWipeTopToBottom, 10, 10).Step(-1).size(), size_t(0));
    }

    void showFormHandsBackOnlyAReplacedForm()
    {
        QWidget window;
        window.resize(200, 150);
        auto *slide = new TZELFormSlide(&window);
        slide->setGeometry(10, 10, 120, 80);
        slide->SetSlideEffect(efWipeLeftToRight);
        QWidget holder;
        QWidget *a = form(&holder, Qt::red), *b = form(&holder, Qt::green), *c = form(&holder, Qt::blue);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QList<QWidget *> handedBack;
        int done = 0;
        slide->OnHandBack = [&](QWidget *f) { handedBack << f; };
        slide->OnDone = [&] { ++done; };

        slide->ShowForm(nullptr);
        QVERIFY(!slide->Busy());
        slide->ShowForm(a);
        QVERIFY(slide->Busy());
        QCOMPARE(a->parentWidget(), slide);
        // Runs on its own, frame by frame.
        QTRY_COMPARE(done, 1);
        QVERIFY(!slide->Busy());
        QVERIFY(handedBack.isEmpty());
        QCOMPARE(slide->CurrentForm(), a);
        QCOMPARE(a->geometry(), slide->rect());
        QVERIFY(a->isVisible());
        QVERIFY(slide->LastTransition().frames >= 1);

        slide->ShowForm(a); // the form shown now
        QVERIFY(!slide->Busy());
        slide->Duration = 100000;
        slide->ShowForm(b);
        QVERIFY(slide->Busy());
        slide->ShowForm(c); // while busy
        QCOMPARE(c->parentWidget(), &holder);
        slide->Finish();
        QVERIFY(!slide->Busy());
        QCOMPARE(done, 2);
        QCOMPARE(handedBack, QList<QWidget *>{a});
        QCOMPARE(a->parentWidget(), &holder);
        QVERIFY(a->isHidden());
        QCOMPARE(slide->CurrentForm(), b);
        QCOMPARE(b->geometry(), slide->rect());

        // Freed instead of handed back, for one ShowForm only.
        QPointer<QWidget> gone = b;
        slide->FreeOldForm = true;
        slide->ShowForm(c);
        slide->Finish();
        QVERIFY(!slide->FreeOldForm);
        QTRY_VERIFY(gone.isNull());
        QCOMPARE(handedBack.size(), 1);
        slide->ShowForm(a);
        slide->Finish();
        QCOMPARE(handedBack, (QList<QWidget *>{a, c}));
    }

    void randomPicksARealEffectFromItsSource()
    {
        QWidget window;
        window.resize(60, 40);
        auto *slide = new TZELFormSlide(&window);
        slide->resize(60, 40);
        slide->SetSlideEffect(efRandom);
        window.show();
        QList<quint32> bounds;
        for (const quint32 drawn : {0u, 17u, 53u, 200u}) {
            slide->Random = [&bounds, drawn](quint32 bound) {
                bounds << bound;
                return drawn;
            };
            slide->FreeOldForm = true;
            slide->ShowForm(form(nullptr, Qt::yellow));
            slide->Finish();
            const TZELSlideeffects e = slide->LastTransition().effect;
            QVERIFY(e >= efNone && e <= efHorizontalDoppelLeft);
            if (drawn < 54)
                QCOMPARE(int(e), int(drawn) + 1);
        }
        QCOMPARE(bounds, (QList<quint32>{54, 54, 54, 54}));
        QCOMPARE(slide->SlideEffect(), efRandom);
    }

    void anEmptyControlChangesAtOnce()
    {
        TZELFormSlide slide;
        slide.resize(0, 0);
        slide.SetSlideEffect(efStretchUp);
        int done = 0;
        slide.OnDone = [&] { ++done; };
        QWidget *f = form(nullptr, Qt::gray);
        slide.ShowForm(f);
        QVERIFY(!slide.Busy());
        QCOMPARE(done, 1);
        QCOMPARE(slide.CurrentForm(), f);
        QCOMPARE(slide.LastTransition().steps, 0);
    }
};

K5_TEST_MAIN(TestFormSlide)
#include "test_formslide.moc"
