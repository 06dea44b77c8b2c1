#include "k5test.h"

#include "app/frameform.h"
#include "app/settingsform.h"
#include "app/splash.h"
#include "app/startup.h"
#include "graphics/qv/qvgifanimator.h"

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void startsInOrder()
    {
        const app::StartedApplication s = app::StartUp();
        QVERIFY(s.splash->isVisible());
        QCOMPARE(s.splash->size(), QSize(340, 61));
        QVERIFY(s.splash->QvGIFAnimator1->Image() && !s.splash->QvGIFAnimator1->Image()->Empty());
        QVERIFY(s.splash->QvGIFAnimator1->Animate());
        // The main window is the first form; the service forms follow it, hidden.
        const QList<platform::Form *> forms = platform::Form::Forms();
        QCOMPARE(platform::Form::MainForm(), static_cast<platform::Form *>(s.frame));
        QCOMPARE(forms.size(), 2);
        QVERIFY(dynamic_cast<app::TSettings *>(forms[1]));
        QVERIFY(!app::Settings->isVisible());
        QCOMPARE(s.frame->windowTitle(), QStringLiteral("Kestrova 5"));
        QCOMPARE(platform::ApplicationTitle(), QStringLiteral("Kestrova 5"));
        QCOMPARE(s.frame->MDIChildCount(), 0); // no document at start
        s.splash->close();
        s.frame->close();
        QTRY_VERIFY(!app::FrameForm);
    }
};

K5_TEST_MAIN(TestStartUp)
#include "test_startup.moc"
