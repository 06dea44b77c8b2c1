// The form saver: positions, sizes, states and visibility of every form, through the registry.
#include "controls/zel/zelformsaver.h"
#include "k5test.h"
#include "platform/error.h"
#include "platform/form.h"
#include "platform/registry.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <memory>

using namespace zel;

namespace {

const QString kFormsaver = QStringLiteral("Kestrova 5\\Kestrova 5\\Formsaver");

QString regString(const QString &name)
{
    platform::Registry reg;
    if (!reg.OpenKey(QLatin1Char('\\') + kFormsaver, false) || !reg.ValueExists(name))
        return QStringLiteral("<missing>");
    return reg.ReadString(name);
}

// "left,top,width,height" as stored for a name.
QString bounds(const QString &name)
{
    QStringList out;
    for (const char *key : {"_Left", "_Top", "_Width", "_Height"})
        out << regString(name + QLatin1String(key));
    return out.join(QLatin1Char(','));
}

void regPut(const QString &name, const QString &value)
{
    platform::Registry reg;
    QVERIFY(reg.OpenKey(QLatin1Char('\\') + kFormsaver, true));
    reg.WriteString(name, value);
}

class TMainTestForm : public platform::FormOf<QMainWindow> {
    Q_OBJECT
public:
    explicit TMainTestForm(bool storeControls = false)
    {
        setGeometry(50, 60, 400, 300);
        saver = new TZELFormSaver(this);
        saver->FormStore()->Registry.Path = QStringLiteral("Kestrova 5");
        saver->FormStore()->Registry.Section = QStringLiteral("Formsaver");
        saver->StoreControls = storeControls;
        auto *central = new QWidget(this);
        central->setObjectName(QStringLiteral("Central"));
        setCentralWidget(central);
        panel = new QWidget(central);
        panel->setObjectName(QStringLiteral("Panel1"));
        panel->setGeometry(10, 20, 200, 100);
        button = new QWidget(panel);
        button->setObjectName(QStringLiteral("Button1"));
        button->setGeometry(5, 6, 70, 25);
        label = new QWidget(central);
        label->setObjectName(QStringLiteral("Label1"));
        label->setGeometry(220, 20, 60, 15);
        FinishLoading();
    }
    TZELFormSaver *saver;
    QWidget *panel;
    QWidget *button;
    QWidget *label;
};

class TToolTestForm : public platform::FormOf<QWidget> {
    Q_OBJECT
public:
    TToolTestForm() { setGeometry(300, 200, 150, 120); }
};

class TDocTestForm : public platform::FormOf<QWidget> {
    Q_OBJECT
};

// A dialog as the service forms are: made hidden at start, given no place, centred by Qt when shown.
class TServiceTestForm : public platform::FormOf<QDialog> {
    Q_OBJECT
public:
    explicit TServiceTestForm(QWidget *parent) : FormOf<QDialog>(parent)
    {
        auto *col = new QVBoxLayout(this);
        col->addWidget(new QLabel(QStringLiteral("Settings of a service"), this));
        FinishLoading();
    }
};

void showAndWait(QWidget *w)
{
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

} // namespace

class TestFormSaver : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void defaults()
    {
        TMainTestForm form;
        TZELFormSaver *s = form.saver;
        QVERIFY(s->StoreSize && s->StoreLocation && s->StoreState && s->StoreVisible);
        QCOMPARE(s->FormStore()->ErrorStr, QStringLiteral("Error"));
        QVERIFY(!s->HasSnapshot());
    }

    void ownerMustBeAForm()
    {
        QObject notWidget;
        QWidget plain;
        for (QObject *owner : {static_cast<QObject *>(&notWidget), static_cast<QObject *>(&plain)}) {
            try {
                TZELFormSaver saver(owner);
                QFAIL("no exception");
            } catch (const platform::Error &e) {
                QCOMPARE(e.message(), QStringLiteral("Invalid class typecast"));
            }
        }
        try {
            TZELHookComponent hook(&notWidget);
            QFAIL("no exception");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Invalid class typecast"));
        }
        TZELHookComponent onWidget(&plain);
        QCOMPARE(onWidget.OwnerForm(), &plain);
    }

    // Closing the owner writes every form; showing a new owner reads them back.
    void roundTrip()
    {
        {
            TMainTestForm main;
            TToolTestForm tool;
            TToolTestForm hidden; // same class: shares its keys, written after the first
            Q_UNUSED(hidden);
            showAndWait(&main);
            showAndWait(&tool);
            main.move(70, 80);
            main.resize(420, 310);
            tool.move(333, 222);
            tool.resize(160, 130);
            hidden.hide();
            int stores = 0;
            main.saver->OnStore = [&](QObject *sender) {
                QCOMPARE(sender, &main);
                ++stores;
            };
            main.close();
            QCOMPARE(stores, 1);
            QCOMPARE(bounds(QStringLiteral("TMainTestForm")), QStringLiteral("70,80,420,310"));
            QCOMPARE(regString(QStringLiteral("TMainTestForm_WindowState")), QStringLiteral("2"));
            QCOMPARE(regString(QStringLiteral("TMainTestForm_Visible")), QStringLiteral("1"));
            QCOMPARE(regString(QStringLiteral("Panel1_Width")), QStringLiteral("<missing>"));
            // The later form of the same class wrote last.
            QCOMPARE(regString(QStringLiteral("TToolTestForm_Left")), QStringLiteral("300"));
            QCOMPARE(regString(QStringLiteral("TToolTestForm_Visible")), QStringLiteral("0"));
        }
        regPut(QStringLiteral("TToolTestForm_Left"), QStringLiteral("333"));
        regPut(QStringLiteral("TToolTestForm_Visible"), QStringLiteral("1"));

        TMainTestForm main;
        TToolTestForm tool;
        int restores = 0;
        main.saver->OnRestore = [&](QObject *) { ++restores; };
        showAndWait(&main);
        QCOMPARE(restores, 1);
        QCOMPARE(main.pos(), QPoint(70, 80));
        QCOMPARE(main.size(), QSize(420, 310));
        QCOMPARE(tool.pos(), QPoint(333, 200));
        QVERIFY(tool.isVisible()); // stored as visible: shown
    }

    void firstRunKeepsTheDesign()
    {
        TMainTestForm main;
        TToolTestForm tool;
        int errors = 0;
        main.saver->FormStore()->OnError = [&](TZELDataStore *) { ++errors; };
        showAndWait(&main);
        QCOMPARE(main.geometry(), QRect(50, 60, 400, 300));
        QCOMPARE(tool.pos(), QPoint(300, 200));
        QVERIFY(!tool.isVisible());
        QVERIFY(!main.isMaximized());
        // Every missing integer says so (four bounds, the state uses its own default).
        QCOMPARE(errors, 2 * 5);
    }

    // A form never shown keeps the place the window system gives it when it is shown at last, however
    // many starts and exits pass before.
    void aNeverShownFormKeepsItsDesignedPlace()
    {
        QPoint centred;
        QSize designed;
        {
            TMainTestForm main;
            TServiceTestForm service(&main);
            showAndWait(&main);
            main.close();
            for (const char *key : {"_Left", "_Top", "_Width", "_Height"})
                QCOMPARE(regString(QStringLiteral("TServiceTestForm") + QLatin1String(key)), QStringLiteral("<missing>"));
            QCOMPARE(regString(QStringLiteral("TServiceTestForm_Visible")), QStringLiteral("0"));
            // A form of the same kind that was never stored at all: where it opens.
            TMainTestForm fresh;
            fresh.saver->FormStore()->Enabled = false;
            TServiceTestForm reference(&fresh);
            showAndWait(&fresh);
            showAndWait(&reference);
            centred = reference.pos();
            designed = reference.size();
            QVERIFY(centred != QPoint(0, 0));
        }
        // The place an earlier version wrote for such a form (its stand-in place) pins it no longer.
        regPut(QStringLiteral("TServiceTestForm_Left"), QStringLiteral("0"));
        regPut(QStringLiteral("TServiceTestForm_Top"), QStringLiteral("0"));
        for (int start = 0; start < 2; ++start) {
            TMainTestForm main;
            TServiceTestForm service(&main);
            showAndWait(&main);
            showAndWait(&service);
            QCOMPARE(service.pos(), centred);
            QCOMPARE(service.size(), designed);
            service.hide();
            main.close();
        }
        // Once the user has moved it, it opens where it was left.
        {
            TMainTestForm main;
            TServiceTestForm service(&main);
            showAndWait(&main);
            showAndWait(&service);
            service.move(centred + QPoint(37, 21));
            service.hide();
            main.close();
        }
        TMainTestForm main;
        TServiceTestForm service(&main);
        showAndWait(&main);
        showAndWait(&service);
        QCOMPARE(service.pos(), centred + QPoint(37, 21));
    }

    // A maximised owner writes the bounds it had before; a new start restores them, then maximises.
    void maximisedOwner()
    {
        {
            TMainTestForm main;
            showAndWait(&main);
            main.setGeometry(40, 50, 380, 280);
            const QPoint framePos = main.pos();
            main.showMaximized();
            QVERIFY(main.saver->HasSnapshot());
            QCOMPARE(main.saver->Snapshot(), QRect(framePos, QSize(380, 280)));
            main.close();
            QCOMPARE(regString(QStringLiteral("TMainTestForm_WindowState")), QStringLiteral("3"));
            QCOMPARE(regString(QStringLiteral("TMainTestForm_Width")), QStringLiteral("380"));
            QCOMPARE(regString(QStringLiteral("TMainTestForm_Height")), QStringLiteral("280"));
            QCOMPARE(regString(QStringLiteral("TMainTestForm_Left")), QString::number(framePos.x()));
        }
        TMainTestForm main;
        showAndWait(&main);
        QVERIFY(main.isMaximized());
        QCOMPARE(main.normalGeometry().size(), QSize(380, 280));
        // Closed again while maximised: the same normal bounds are kept.
        main.close();
        QCOMPARE(regString(QStringLiteral("TMainTestForm_Width")), QStringLiteral("380"));
        QCOMPARE(regString(QStringLiteral("TMainTestForm_WindowState")), QStringLiteral("3"));
    }

    // Another maximised form keeps its own normal bounds, never the owner's.
    void otherMaximisedFormWritesItsOwnBounds()
    {
        TMainTestForm main;
        TToolTestForm tool;
        showAndWait(&main);
        showAndWait(&tool);
        tool.setGeometry(310, 210, 170, 140);
        const QPoint toolPos = tool.pos();
        main.showMaximized();
        tool.showMaximized();
        main.close();
        QCOMPARE(regString(QStringLiteral("TToolTestForm_WindowState")), QStringLiteral("3"));
        QCOMPARE(regString(QStringLiteral("TToolTestForm_Width")), QStringLiteral("170"));
        QCOMPARE(regString(QStringLiteral("TToolTestForm_Left")), QString::number(toolPos.x()));
    }

    void controls()
    {
        {
            TMainTestForm main(true);
            int asked = 0;
            main.saver->OnStoreControl = [&](QObject *sender, bool &result) {
                ++asked;
                if (sender == main.panel)
                    result = false;
            };
            showAndWait(&main);
            main.label->setGeometry(221, 22, 61, 16);
            main.label->hide();
            main.close();
            QVERIFY(asked >= 2);
            QCOMPARE(bounds(QStringLiteral("Label1")), QStringLiteral("221,22,61,16"));
            QCOMPARE(regString(QStringLiteral("Label1_Visible")), QStringLiteral("0"));
            // The skipped panel and what it holds are not written.
            QCOMPARE(regString(QStringLiteral("Panel1_Left")), QStringLiteral("<missing>"));
            QCOMPARE(regString(QStringLiteral("Button1_Left")), QStringLiteral("<missing>"));
        }
        // Values stored for them earlier are still read back.
        regPut(QStringLiteral("Panel1_Left"), QStringLiteral("15"));
        regPut(QStringLiteral("Button1_Width"), QStringLiteral("90"));
        TMainTestForm main(true);
        main.saver->OnStoreControl = [](QObject *, bool &result) { result = false; };
        main.setCentralWidget(main.centralWidget()); // layout settles before the restore
        showAndWait(&main);
        QCOMPARE(main.panel->x(), 15);
        QCOMPARE(main.button->width(), 90);
        QCOMPARE(main.label->geometry(), QRect(221, 22, 61, 16));
        QVERIFY(main.label->isHidden());
    }

    void disabledStore()
    {
        TMainTestForm main;
        main.saver->FormStore()->Enabled = false;
        int stores = 0, restores = 0;
        main.saver->OnStore = [&](QObject *) { ++stores; };
        main.saver->OnRestore = [&](QObject *) { ++restores; };
        regPut(QStringLiteral("TMainTestForm_Left"), QStringLiteral("5"));
        showAndWait(&main);
        QCOMPARE(main.geometry(), QRect(50, 60, 400, 300));
        main.close();
        QCOMPARE(stores, 0);
        QCOMPARE(restores, 1);
        QCOMPARE(regString(QStringLiteral("TMainTestForm_Top")), QStringLiteral("<missing>"));
    }

    void oddWindowStateIsIgnored()
    {
        regPut(QStringLiteral("TMainTestForm_WindowState"), QStringLiteral("7"));
        regPut(QStringLiteral("TToolTestForm_WindowState"), QStringLiteral("1"));
        TMainTestForm main;
        TToolTestForm tool;
        showAndWait(&main);
        QVERIFY(!main.isMaximized() && !main.isMinimized());
        QVERIFY(tool.windowState() & Qt::WindowMinimized);
    }

    // The owner's own handlers run first, and come back when the saver goes.
    void chainsTheOwnersEvents()
    {
        QStringList log;
        TMainTestForm main;
        main.OnShow = nullptr;
        delete main.saver;
        main.OnShow = [&](QObject *) { log << QStringLiteral("own show"); };
        main.OnClose = [&](QObject *, platform::TCloseAction &action) {
            log << QStringLiteral("own close");
            action = platform::caNone; // the store happens whatever the action
        };
        auto *saver = new TZELFormSaver(&main);
        saver->FormStore()->Registry.Path = QStringLiteral("Kestrova 5");
        saver->FormStore()->Registry.Section = QStringLiteral("Formsaver");
        saver->OnRestore = [&](QObject *) { log << QStringLiteral("restore"); };
        saver->OnStore = [&](QObject *) { log << QStringLiteral("store"); };
        showAndWait(&main);
        main.close();
        QVERIFY(main.isVisible());
        QCOMPARE(log, QStringList({"own show", "restore", "own close", "store"}));
        delete saver;
        log.clear();
        main.close();
        QCOMPARE(log, QStringList({"own close"}));
    }

    // A document window is kept by its sub-window, inside the MDI area.
    void documentWindow()
    {
        TMainTestForm main;
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        auto *doc = new TDocTestForm;
        QMdiSubWindow *sub = area->addSubWindow(doc);
        QVERIFY(main.IsMdiFrame());
        QVERIFY(doc->IsMdiChild());
        QCOMPARE(doc->Frame(), sub);
        showAndWait(&main);
        sub->setGeometry(10, 20, 200, 150);
        main.close();
        QCOMPARE(bounds(QStringLiteral("TDocTestForm")), QStringLiteral("10,20,200,150"));
        QCOMPARE(regString(QStringLiteral("TDocTestForm_Visible")), QStringLiteral("1"));
        regPut(QStringLiteral("TDocTestForm_Left"), QStringLiteral("30"));
        main.show();
        QCOMPARE(sub->pos(), QPoint(30, 20));
    }

    // An owner that goes without being closed writes nothing: what its last close wrote stays. The saver
    // goes with it, so forms closed later write nothing either.
    void ownerDestroyed()
    {
        auto main = std::make_unique<TMainTestForm>();
        showAndWait(main.get());
        main->move(70, 80);
        main->resize(420, 310);
        main->close();
        QCOMPARE(bounds(QStringLiteral("TMainTestForm")), QStringLiteral("70,80,420,310"));
        QCOMPARE(regString(QStringLiteral("TMainTestForm_Visible")), QStringLiteral("1"));
        showAndWait(main.get());
        main->setGeometry(90, 95, 410, 320);
        auto tool = std::make_unique<TToolTestForm>();
        showAndWait(tool.get());
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(bounds(QStringLiteral("TMainTestForm")), QStringLiteral("70,80,420,310"));
        QCOMPARE(regString(QStringLiteral("TToolTestForm_Left")), QStringLiteral("<missing>"));
        tool->move(310, 210);
        tool->close();
        tool.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(regString(QStringLiteral("TToolTestForm_Left")), QStringLiteral("<missing>"));
        QCOMPARE(regString(QStringLiteral("TToolTestForm_Visible")), QStringLiteral("<missing>"));
        QCOMPARE(bounds(QStringLiteral("TMainTestForm")), QStringLiteral("70,80,420,310"));
    }
};

K5_TEST_MAIN(TestFormSaver)
#include "test_formsaver.moc"
