// The form base: its events, the list of forms, loading, and the destruction announcement.
#include "k5test.h"
#include "platform/form.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

using namespace platform;

namespace {

class TAlphaForm : public FormOf<QWidget> {
    Q_OBJECT
};

class TBetaDialog : public FormOf<QDialog> {
    Q_OBJECT
public:
    using FormOf<QDialog>::FormOf;
};

class LoadProbe : public QObject, public Loadable {
public:
    LoadProbe(QObject *parent, QStringList &log, const QString &name) : QObject(parent), log_(log), name_(name) {}
    void Loaded() override { log_ << name_; }

private:
    QStringList &log_;
    QString name_;
};

} // namespace

class TestForm : public QObject {
    Q_OBJECT
private slots:
    void listAndNames()
    {
        QCOMPARE(Form::Forms().size(), 0);
        TAlphaForm main;
        TBetaDialog dialog(&main);
        QCOMPARE(Form::Forms(), QList<Form *>({&main, &dialog}));
        QCOMPARE(Form::MainForm(), &main);
        QCOMPARE(main.ClassName(), QStringLiteral("TAlphaForm"));
        QCOMPARE(ClassName(&dialog), QStringLiteral("TBetaDialog"));
        auto *child = new QWidget(&dialog);
        QCOMPARE(Form::ParentForm(child), &dialog);
        QCOMPARE(Form::FromWidget(child), nullptr);
        QCOMPARE(ClassName(child), QStringLiteral("QWidget"));
    }

    void loading()
    {
        QStringList log;
        TAlphaForm form;
        new LoadProbe(&form, log, QStringLiteral("a"));
        auto *inner = new QWidget(&form);
        new LoadProbe(inner, log, QStringLiteral("b"));
        TBetaDialog nested(&form); // a form inside loads itself
        new LoadProbe(&nested, log, QStringLiteral("nested"));
        form.OnCreate = [&](QObject *sender) {
            QCOMPARE(sender, &form);
            log << QStringLiteral("create");
        };
        QVERIFY(form.Loading());
        form.show(); // a form that did not finish loading does so on its first show
        QCOMPARE(log, QStringList({"a", "b", "create"}));
        form.FinishLoading();
        QCOMPARE(log.size(), 3);
        QVERIFY(!form.Loading());
    }

    void closeActions()
    {
        TAlphaForm form;
        QStringList log;
        bool allow = false;
        TCloseAction next = caNone;
        form.OnCloseQuery = [&](QObject *, bool &canClose) {
            log << QStringLiteral("query");
            canClose = allow;
        };
        form.OnClose = [&](QObject *, TCloseAction &action) {
            QCOMPARE(action, caHide);
            log << QStringLiteral("close");
            action = next;
        };
        form.show();
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        allow = true;
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        next = caMinimize;
        form.close();
        QVERIFY(form.isVisible() && form.isMinimized());
        next = caHide;
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
        QCOMPARE(log, QStringList({"query", "query", "close", "query", "close", "query", "close"}));
    }

    void freedOnClose()
    {
        auto *form = new TAlphaForm;
        QPointer<QWidget> alive(form);
        QString destroyedAs;
        form->OnClose = [](QObject *, TCloseAction &action) { action = caFree; };
        form->OnDestroy = [&](QObject *sender) { destroyedAs = Form::FromWidget(sender)->ClassName(); };
        form->show();
        form->close();
        QCOMPARE(destroyedAs, QStringLiteral("TAlphaForm"));
        QVERIFY(form->Destroying());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive.isNull());
    }

    // Forms still open at the end are destroyed newest first, each while whole.
    void destroyForms()
    {
        QStringList log;
        auto *a = new TAlphaForm;
        auto *b = new TBetaDialog(a);
        auto *c = new TAlphaForm;
        int listener = 0;
        a->AddDestroyListener([&](Form *f) { listener += f == a; });
        for (Form *f : {static_cast<Form *>(a), static_cast<Form *>(b), static_cast<Form *>(c)})
            f->OnDestroy = [&log, f](QObject *) { log << f->ClassName() + QLatin1Char(f->Widget()->isVisible() ? '+' : '-'); };
        a->show();
        Form::DestroyForms();
        QCOMPARE(log, QStringList({"TAlphaForm-", "TBetaDialog-", "TAlphaForm+"}));
        QCOMPARE(listener, 1);
        QCOMPARE(Form::Forms().size(), 0);
    }

    // Deleted without an announcement: the name seen while loading survives the destructor.
    void plainDelete()
    {
        auto *form = new TAlphaForm;
        form->FinishLoading();
        QString name;
        form->OnDestroy = [&](QObject *sender) { name = Form::FromWidget(sender)->ClassName(); };
        delete form;
        QCOMPARE(name, QStringLiteral("TAlphaForm"));
    }

    void boundsAndState()
    {
        TAlphaForm form;
        form.SetBounds(QRect(20, 30, 200, 100));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.Bounds().size(), QSize(200, 100));
        const QRect normal = form.Bounds();
        form.SetState(Qt::WindowMaximized);
        QCOMPARE(form.State(), Qt::WindowMaximized);
        QRect kept;
        QVERIFY(form.NormalBounds(&kept));
        QCOMPARE(kept, normal);
        form.SetState(Qt::WindowMinimized);
        QCOMPARE(form.State(), Qt::WindowMinimized);
    }
};

K5_TEST_MAIN(TestForm)
#include "test_form.moc"
