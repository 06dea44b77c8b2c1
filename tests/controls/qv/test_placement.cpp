// Form placement and property storage through ini files and the registry, and the shared ini operations.
#include "controls/qv/qvinifiles.h"
#include "controls/qv/qvplacement.h"
#include "k5test.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/form.h"
#include "platform/registry.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>
#include <memory>

using namespace qv;

namespace {

class Props : public QObject {
    Q_OBJECT
public:
    enum Kind { First, Second, Third };
    Q_ENUM(Kind)
    enum Flag { A = 1, B = 2, C = 4 };
    Q_DECLARE_FLAGS(Flags, Flag)
    Q_FLAG(Flags)

    Q_PROPERTY(int number MEMBER number)
    Q_PROPERTY(double ratio MEMBER ratio)
    Q_PROPERTY(QChar letter MEMBER letter)
    Q_PROPERTY(QString caption MEMBER caption)
    Q_PROPERTY(Kind kind MEMBER kind)
    Q_PROPERTY(Flags flags READ getFlags WRITE setFlags)
    Q_PROPERTY(QStringList lines MEMBER lines)
    Q_PROPERTY(QObject *buddy MEMBER buddy)
    Q_PROPERTY(QObject *inner MEMBER inner)
    Q_PROPERTY(QColor colour MEMBER colour)

    explicit Props(QObject *parent = nullptr) : QObject(parent) {}
    Flags getFlags() const { return flags; }
    void setFlags(Flags f) { flags = f; }
    int number = 0;
    double ratio = 0;
    QChar letter;
    QString caption;
    Kind kind = First;
    Flags flags;
    QStringList lines;
    QObject *buddy = nullptr;
    QObject *inner = nullptr;
    QColor colour;
};

class Inner : public QObject {
    Q_OBJECT
    Q_PROPERTY(int size MEMBER size)
public:
    using QObject::QObject;
    int size = 0;
};

class TPlacementTestForm : public platform::FormOf<QWidget> {
    Q_OBJECT
public:
    explicit TPlacementTestForm(bool storage = false)
    {
        setGeometry(40, 50, 300, 200);
        placement = storage ? new TFormStorage(this) : new TFormPlacement(this);
        placement->SetIniFileName(QStringLiteral("placement.ini"));
        edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit1"));
        check = new QCheckBox(this);
        check->setObjectName(QStringLiteral("Check1"));
        check->move(0, 40);
        props = new Props(this);
        props->setObjectName(QStringLiteral("Props1"));
        props->inner = new Inner(props);
    }
    TFormPlacement *placement;
    QLineEdit *edit;
    QCheckBox *check;
    Props *props;
};

class TOtherForm : public platform::FormOf<QWidget> {
    Q_OBJECT
};

QString iniPath()
{
    return platform::ConfigFolder() + QStringLiteral("/placement.ini");
}

QString iniText()
{
    return QString::fromUtf8(k5test::ReadFile(iniPath()));
}

void writeIni(const QString &text)
{
    k5test::WriteFile(iniPath(), text.toUtf8());
}

QString suffix()
{
    const QSize s = QGuiApplication::primaryScreen()->geometry().size();
    return QStringLiteral("(%1x%2)").arg(s.width()).arg(s.height());
}

void showAndWait(QWidget *w)
{
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void names()
    {
        QCOMPARE(ProfilePath(QStringLiteral("kestrova5.ini")), platform::ConfigFolder() + QStringLiteral("/kestrova5.ini"));
        QCOMPARE(DefaultIniFileName(), QStringLiteral("test_placement.INI"));
        QCOMPARE(DefaultRegistryKey(), QStringLiteral("Software\\test_placement"));
        platform::SetApplicationTitle(QStringLiteral("Kestrova 5"));
        SetUseApplicationTitle(true);
        SetRegistryCompanyKey(QStringLiteral("QV"));
        QCOMPARE(DefaultRegistryKey(), QStringLiteral("Software\\QV\\Kestrova 5"));
        SetUseApplicationTitle(false);
        SetRegistryCompanyKey(QString());
        platform::SetApplicationTitle(QString());
        SetDefaultIniNameFunction([] { return QStringLiteral("other.ini"); });
        QCOMPARE(DefaultIniFileName(), QStringLiteral("other.ini"));
        SetDefaultIniNameFunction(nullptr);

        TPlacementTestForm form;
        auto *bar = new QWidget(form.edit);
        bar->setObjectName(QStringLiteral("SpeedBar1"));
        QObject timer(&form);
        timer.setObjectName(QStringLiteral("Timer1"));
        QWidget loose;
        loose.setObjectName(QStringLiteral("Loose"));
        auto *child = new QWidget(&loose);
        child->setObjectName(QStringLiteral("Child"));
        QCOMPARE(DefaultSection(&form), QStringLiteral("TPlacementTestForm"));
        QCOMPARE(DefaultSection(bar), QStringLiteral("TPlacementTestFormSpeedBar1"));
        QCOMPARE(DefaultSection(&timer), QStringLiteral("TPlacementTestForm.Timer1"));
        QCOMPARE(DefaultSection(child), QStringLiteral("LooseChild"));
        QCOMPARE(DefaultSection(nullptr), QString());
        QCOMPARE(form.placement->IniSection(), QStringLiteral("TPlacementTestForm"));
        QCOMPARE(form.placement->Options, unsigned(fpState | fpPosition));
        TFormPlacement loosePlacement;
        QCOMPARE(loosePlacement.Options, 0u);
    }

    void iniObjects()
    {
        IniFileObject ini(QStringLiteral("placement.ini"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("single"), QStringLiteral("'abc'"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("double"), QStringLiteral("\"abc\""));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("plain"), QStringLiteral("abc"));
        ini.WriteInteger(QStringLiteral("S"), QStringLiteral("n"), -5);
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("single"), QString()), QStringLiteral("'abc'"));
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("double"), QString()), QStringLiteral("\"abc\""));
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("plain"), QString()), QStringLiteral("abc"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("n"), 0), -5);
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("plain"), 9), 9);
        QVERIFY(iniText().contains(QStringLiteral("single=\"'abc'\"")));

        QList<int> widths{10, 20, 30};
        WriteIntList(&ini, QStringLiteral("Grid"), widths);
        QList<int> back{0, 0, 0, 7};
        ReadIntList(&ini, QStringLiteral("Grid"), back);
        QCOMPARE(back, QList<int>({10, 20, 30, 7}));

        RegIniObject reg(QStringLiteral("Software\\Test"));
        reg.WriteInteger(QStringLiteral("Sec"), QStringLiteral("Width"), 1234);
        platform::Registry raw;
        QVERIFY(raw.OpenKey(QStringLiteral("\\Software\\Test\\Sec"), false));
        QCOMPARE(raw.ReadString(QStringLiteral("Width")), QStringLiteral("1234"));
        QCOMPARE(reg.ReadSection(QStringLiteral("Sec")), QStringList({"Width"}));
        reg.EraseSection(QStringLiteral("Sec"));
        QVERIFY(!raw.KeyExists(QStringLiteral("\\Software\\Test\\Sec")));
        QCOMPARE(reg.ReadInteger(QStringLiteral("Sec"), QStringLiteral("Width"), 3), 3);
    }

    // A batch replaces the stored section in one write: until it ends the old text stays on disk.
    void batchesWriteOnce()
    {
        writeIni(QStringLiteral("[S]\r\nold=1\r\n"));
        IniFileObject ini(QStringLiteral("placement.ini"));
        {
            IniUpdate batch(&ini);
            ini.EraseSection(QStringLiteral("S"));
            ini.WriteString(QStringLiteral("S"), QStringLiteral("new"), QStringLiteral("2"));
            QCOMPARE(iniText(), QStringLiteral("[S]\r\nold=1\r\n"));
            batch.Commit();
        }
        QCOMPARE(iniText(), QStringLiteral("[S]\r\nnew=2\r\n"));

        RegIniObject reg(QStringLiteral("Software\\Batch"));
        reg.WriteString(QStringLiteral("S"), QStringLiteral("old"), QStringLiteral("1"));
        const QString store = platform::ConfigFolder() + QStringLiteral("/registry.ini");
        const QByteArray before = k5test::ReadFile(store);
        {
            IniUpdate batch(&reg);
            reg.EraseSection(QStringLiteral("S"));
            reg.WriteString(QStringLiteral("S"), QStringLiteral("new"), QStringLiteral("2"));
            QCOMPARE(k5test::ReadFile(store), before);
        }
        QVERIFY(k5test::ReadFile(store).contains("new"));
        QVERIFY(!k5test::ReadFile(store).contains("old"));
    }

    void recordWritten()
    {
        TPlacementTestForm form;
        form.FinishLoading();
        showAndWait(&form);
        QVERIFY(form.placement->Restored());
        const QRect b = form.Bounds();
        form.close();
        const QString norm = QStringLiteral("%1,%2,%3,%4").arg(b.left()).arg(b.top()).arg(b.right() + 1).arg(b.bottom() + 1);
        const QString expected = QStringLiteral(
                                     "[TPlacementTestForm]\r\nFlags=0\r\nShowCmd=1\r\nPixelsPerInch=%1\r\n"
                                     "MinMaxPos%2=-1,-1,-1,-1\r\nNormPos%2=%3\r\nMinMaxPos=-1,-1,-1,-1\r\n"
                                     "NormPos=%3\r\nVisible=0\r\n")
                                     .arg(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()))
                                     .arg(suffix(), norm);
        QCOMPARE(iniText(), expected);
    }

    void recordRead()
    {
        // Another screen size: the plain key counts.
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nNormPos(1024x7680)=1,1,500,400\r\nNormPos=20 30, 320,230\r\n"
                                "ShowCmd=1\r\n"));
        TPlacementTestForm form;
        form.FinishLoading();
        showAndWait(&form);
        QCOMPARE(form.Bounds(), QRect(20, 30, 300, 200));

        // This screen's key wins over the plain one.
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nNormPos%1=60,70,260,170\r\nNormPos=20,30,320,230\r\n")
                     .arg(suffix()));
        form.placement->RestorePlacement();
        QCOMPARE(form.Bounds(), QRect(60, 70, 200, 100));

        // Other pixels per inch, or no position at all: the position stays.
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nNormPos=1,2,101,102\r\nPixelsPerInch=1\r\n"));
        form.placement->RestorePlacement();
        QCOMPARE(form.Bounds(), QRect(60, 70, 200, 100));
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nPixelsPerInch=1\r\n"));
        form.placement->RestorePlacement();
        QCOMPARE(form.Bounds(), QRect(60, 70, 200, 100));

        // A form of fixed size takes the position only.
        form.setFixedSize(150, 90);
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nNormPos=5,6,505,406\r\n"));
        form.placement->RestorePlacement();
        QCOMPARE(form.Bounds(), QRect(5, 6, 150, 90));
    }

    // A stored size or place that cannot be shown is not used: the form keeps its own; what can be shown
    // of the record still is.
    void recordThatCannotBeShown_data()
    {
        QTest::addColumn<QString>("norm");
        QTest::addColumn<bool>("placeUsed");
        QTest::addColumn<bool>("sizeUsed");
        QTest::newRow("no width") << "60,70,60,170" << true << false;
        QTest::newRow("negative size") << "60,70,10,20" << true << false;
        QTest::newRow("no height") << "60,70,260,70" << true << false;
        QTest::newRow("wider than a window can be") << "0,0,100000,300" << true << false;
        QTest::newRow("left of every screen") << "-5000,70,-4800,170" << false << true;
        QTest::newRow("below every screen") << "60,9000,260,9100" << false << true;
        QTest::newRow("beyond what a place can be") << "2147483000,2147483000,2147483600,2147483600" << false << true;
        // The title bar is the top of the frame: above the screen it cannot be taken hold of.
        QTest::newRow("title bar above the screen") << "60,-20,260,80" << false << true;
        QTest::newRow("title bar at the top edge") << "60,0,260,100" << true << true;
        // Enough of it to take hold of lies on the screen.
        QTest::newRow("a corner on the screen") << "right-30,bottom-30,right+170,bottom+70" << true << true;
    }
    void recordThatCannotBeShown()
    {
        QFETCH(QString, norm);
        QFETCH(bool, placeUsed);
        QFETCH(bool, sizeUsed);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        norm.replace(QStringLiteral("right"), QString::number(screen.right() + 1)).replace(QStringLiteral("bottom"), QString::number(screen.bottom() + 1));
        QList<qint64> n;
        for (const QString &part : norm.split(QLatin1Char(','))) {
            qint64 v = 0;
            for (const QString &term : QString(part).replace(QLatin1Char('-'), QStringLiteral("+-")).split(QLatin1Char('+'), Qt::SkipEmptyParts))
                v += term.toLongLong();
            n << v;
        }
        norm = QStringLiteral("%1,%2,%3,%4").arg(n[0]).arg(n[1]).arg(n[2]).arg(n[3]);
        QRect designed;
        {
            TPlacementTestForm plain;
            plain.FinishLoading();
            showAndWait(&plain);
            designed = plain.Bounds();
        }
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nNormPos=%1\r\nShowCmd=1\r\n").arg(norm));
        TPlacementTestForm form;
        form.FinishLoading();
        showAndWait(&form);
        const QSize size = sizeUsed ? QSize(int(n[2] - n[0]), int(n[3] - n[1])) : designed.size();
        QCOMPARE(form.Bounds(), QRect(placeUsed ? QPoint(int(n[0]), int(n[1])) : designed.topLeft(), size));
    }

    // A document window's stored place outside its area, or its icon's, is not used either.
    void documentWindowOutsideItsArea()
    {
        platform::FormOf<QMainWindow> frame;
        auto *area = new QMdiArea(&frame);
        frame.setCentralWidget(area);
        frame.resize(600, 400);
        showAndWait(&frame);
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nNormPos=3000,3000,3200,3100\r\nShowCmd=1\r\n"));
        auto *form = new TPlacementTestForm;
        form->FinishLoading();
        QMdiSubWindow *sub = area->addSubWindow(form);
        sub->move(10, 20);
        showAndWait(sub);
        QCOMPARE(sub->pos(), QPoint(10, 20));
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nFlags=1\r\nShowCmd=2\r\nMinMaxPos=-900,-900,-1,-1\r\n"));
        form->placement->RestorePlacement();
        QVERIFY(sub->isMinimized());
        QVERIFY(QRect(QPoint(0, 0), area->viewport()->size()).intersects(sub->geometry()));
    }

    void state()
    {
        TPlacementTestForm form;
        form.FinishLoading();
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nShowCmd=3\r\n"));
        showAndWait(&form);
        QVERIFY(form.isMaximized());
        form.placement->SavePlacement();
        QVERIFY(iniText().contains(QStringLiteral("ShowCmd=3")));
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nShowCmd=9\r\n"));
        form.placement->RestorePlacement();
        QVERIFY(!form.isMaximized());
        // The main form is shown normal, then minimised once the show is done; another form at once.
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nShowCmd=7\r\n"));
        TPlacementTestForm second;
        second.placement->RestorePlacement();
        QVERIFY(second.isMinimized());
        form.placement->RestorePlacement();
        QVERIFY(!form.isMinimized());
        QCoreApplication::processEvents();
        QVERIFY(form.isMinimized());
    }

    void mainMdiFrameDefaultsToMaximised()
    {
        platform::FormOf<QMainWindow> main;
        main.setCentralWidget(new QMdiArea);
        TFormPlacement placement(&main);
        placement.SetIniFileName(QStringLiteral("placement.ini"));
        placement.Options = fpState;
        placement.RestorePlacement();
        QVERIFY(main.windowState() & Qt::WindowMaximized);
    }

    // Closed by the user: "Visible" 0; still open when destroyed at the end: 1; never shown: not written.
    void lifecycle()
    {
        {
            auto form = std::make_unique<TPlacementTestForm>();
            form->FinishLoading();
            form.reset();
            QVERIFY(!QFile::exists(iniPath()));
        }
        auto *form = new TPlacementTestForm;
        QStringList log;
        form->OnShow = [&](QObject *) { log << QStringLiteral("own show"); };
        form->OnCloseQuery = [&](QObject *, bool &) { log << QStringLiteral("own query"); };
        form->OnDestroy = [&](QObject *) { log << QStringLiteral("own destroy"); };
        form->placement->OnRestorePlacement = [&](QObject *) { log << QStringLiteral("restore"); };
        form->placement->OnSavePlacement = [&](QObject *) { log << QStringLiteral("save"); };
        form->FinishLoading();
        showAndWait(form);
        form->close();
        QVERIFY(iniText().contains(QStringLiteral("Visible=0")));
        showAndWait(form);
        platform::Form::DestroyForms();
        QVERIFY(iniText().contains(QStringLiteral("Visible=1")));
        QCOMPARE(log, QStringList({"restore", "own show", "own query", "save", "restore", "own show", "save",
                                   "own destroy"}));
    }

    void unwrapsOnDestroy()
    {
        TPlacementTestForm form;
        int shows = 0;
        form.OnShow = [&](QObject *) { ++shows; };
        form.FinishLoading();
        delete form.placement;
        showAndWait(&form);
        QCOMPARE(shows, 1);
        QVERIFY(!QFile::exists(iniPath()));
        form.close();
        QVERIFY(!QFile::exists(iniPath()));
    }

    void activeControlAndLinks()
    {
        TPlacementTestForm form;
        form.placement->Options |= fpActiveControl;
        TIniLink link;
        link.SetPlacement(form.placement);
        QCOMPARE(link.IniObj(), nullptr);
        QCOMPARE(link.RootSection(), QStringLiteral("TPlacementTestForm\\"));
        QStringList log;
        link.OnSave = [&] {
            QVERIFY(link.IniObj());
            link.IniObj()->WriteString(link.RootSection() + QStringLiteral("Bar"), QStringLiteral("Count"), QStringLiteral("2"));
            log << QStringLiteral("link save");
        };
        link.OnLoad = [&] {
            log << QStringLiteral("link load ") +
                       link.IniObj()->ReadString(link.RootSection() + QStringLiteral("Bar"), QStringLiteral("Count"), QString());
        };
        form.FinishLoading();
        showAndWait(&form);
        form.check->setFocus();
        form.close();
        QVERIFY(iniText().contains(QStringLiteral("ActiveControl=Check1")));
        QVERIFY(iniText().contains(QStringLiteral("[TPlacementTestForm\\Bar]\r\nCount=2")));
        form.edit->setFocus();
        showAndWait(&form);
        QCOMPARE(QApplication::focusWidget(), form.check);
        QCOMPARE(log, QStringList({"link load ", "link save", "link load 2"}));
        link.SetPlacement(nullptr);
        form.close();
        QCOMPARE(log.size(), 3);
    }

    void registry()
    {
        TPlacementTestForm form;
        form.placement->SetIniFileName(QString());
        form.placement->UseRegistry = true;
        QCOMPARE(form.placement->IniFileName(), QStringLiteral("Software\\test_placement"));
        form.FinishLoading();
        showAndWait(&form);
        form.move(77, 88);
        form.close();
        platform::Registry reg;
        QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\test_placement\\TPlacementTestForm"), false));
        QCOMPARE(reg.ReadString(QStringLiteral("ShowCmd")), QStringLiteral("1"));
        QVERIFY(reg.ReadString(QStringLiteral("NormPos")).startsWith(QStringLiteral("77,88,")));
        form.move(0, 0);
        showAndWait(&form);
        QCOMPARE(form.pos(), QPoint(77, 88));
    }

    void sizeLimits()
    {
        TPlacementTestForm form;
        form.setWindowFlags(Qt::Window | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
        form.FinishLoading();
        form.placement->SetPreventResize(true);
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        showAndWait(&form);
        QCOMPARE(form.minimumSize(), form.size());
        QCOMPARE(form.maximumSize(), form.size());
        form.placement->SetPreventResize(false);
        QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(form.isVisible());
        QCOMPARE(form.minimumSize(), QSize(0, 0));

        TWinMinMaxInfo info;
        QVERIFY(info.DefaultMinMaxInfo());
        info.MinTrackWidth = 120;
        info.MaxTrackHeight = 400;
        form.placement->SetMinMaxInfo(info);
        QCOMPARE(form.minimumWidth(), 120);
        QCOMPARE(form.minimumHeight(), 0);
        QCOMPARE(form.maximumHeight(), 400);
        form.placement->SetMinMaxInfo(TWinMinMaxInfo());
        QCOMPARE(form.minimumWidth(), 0);
    }

    // A maximised form takes the maximised place and size that are set; what is 0 stays the system's.
    void maximisedPlaceAndSize()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        auto maximised = [](const TWinMinMaxInfo &info) {
            auto form = std::make_unique<TPlacementTestForm>();
            form->FinishLoading();
            form->placement->SetMinMaxInfo(info);
            form->show();
            form->showMaximized();
            return form;
        };
        TWinMinMaxInfo info;
        info.MaxPosLeft = 30;
        info.MaxPosTop = 40;
        info.MaxSizeWidth = 320;
        info.MaxSizeHeight = 240;
        {
            TPlacementTestForm shown;
            shown.FinishLoading();
            shown.placement->SetMinMaxInfo(info);
            showAndWait(&shown);
            QCOMPARE(shown.Bounds().size(), QSize(300, 200)); // nothing happens until it is maximised
        }
        auto all = maximised(info);
        QTRY_COMPARE(all->Bounds(), QRect(30, 40, 320, 240));

        // Only the size: the position is where the system maximised it; the tracking limits still hold.
        info.MaxPosLeft = info.MaxPosTop = 0;
        info.MaxTrackWidth = 200;
        auto sized = maximised(TWinMinMaxInfo());
        QTRY_COMPARE(sized->State(), Qt::WindowMaximized);
        sized->placement->SetMinMaxInfo(info); // set while maximised, it applies at once
        QTRY_COMPARE(sized->Bounds(), QRect(area.topLeft(), QSize(200, 240)));

        // With none set, maximised is the system's whole area.
        auto none = maximised(TWinMinMaxInfo());
        QTRY_COMPARE(none->frameGeometry().size(), area.size());
        // The record keeps where the form sits maximised.
        none->placement->SavePlacement();
        QVERIFY2(iniText().contains(QStringLiteral("\r\nMinMaxPos=-1,-1,%1,%2\r\n").arg(area.x()).arg(area.y())),
                 qPrintable(iniText()));
    }

    // A minimised document window's icon place is kept in the record and taken back with it.
    void minimisedDocumentWindowKeepsItsIconPlace()
    {
        platform::FormOf<QMainWindow> main;
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.resize(600, 400);
        auto *doc = new TPlacementTestForm;
        doc->FinishLoading();
        QMdiSubWindow *sub = area->addSubWindow(doc);
        showAndWait(&main);
        sub->showMinimized();
        QVERIFY(doc->State() == Qt::WindowMinimized);
        sub->move(150, 120);
        doc->placement->SavePlacement();
        QVERIFY2(iniText().contains(QStringLiteral("Flags=1\r\n")), qPrintable(iniText()));
        QVERIFY2(iniText().contains(QStringLiteral("\r\nMinMaxPos=150,120,-1,-1\r\n")), qPrintable(iniText()));

        auto *again = new TPlacementTestForm;
        again->FinishLoading();
        QMdiSubWindow *second = area->addSubWindow(again);
        second->show();
        again->placement->RestorePlacement();
        QCOMPARE(again->State(), Qt::WindowMinimized);
        QCOMPARE(second->pos(), QPoint(150, 120));
    }

    void storedPropertiesBinding()
    {
        TPlacementTestForm form(true);
        auto *storage = static_cast<TFormStorage *>(form.placement);
        storage->SetStoredProps({QStringLiteral("Edit1.text"), QStringLiteral(" Check1 . checked "),
                                 QStringLiteral("Missing.text"), QStringLiteral("nodot"), QStringLiteral(".x"),
                                 QStringLiteral("Props1.number")});
        QCOMPARE(storage->StoredProps(),
                 QStringList({"Edit1.text", "Check1.checked", "Missing.text", "Props1.number"}));
        form.FinishLoading();
        QCOMPARE(storage->StoredProps(), QStringList({"Edit1.text", "Check1.checked", "Props1.number"}));
        form.edit->setObjectName(QStringLiteral("NameEdit"));
        QCOMPARE(storage->StoredProps(), QStringList({"NameEdit.text", "Check1.checked", "Props1.number"}));
        delete form.check;
        QCOMPARE(storage->StoredProps(), QStringList({"NameEdit.text", "Props1.number"}));
    }

    void storedPropertiesRoundTrip()
    {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TOtherForm other;
        other.setObjectName(QStringLiteral("Other"));
        auto *far = new QObject(&other);
        far->setObjectName(QStringLiteral("Far1"));
        {
            TPlacementTestForm form(true);
            auto *storage = static_cast<TFormStorage *>(form.placement);
            storage->SetStoredProps({"Edit1.text", "Check1.checked", "Props1.number", "Props1.ratio", "Props1.letter",
                                     "Props1.caption", "Props1.kind", "Props1.flags", "Props1.lines", "Props1.buddy",
                                     "Props1.inner", "Props1.colour", "Check1.objectName"});
            form.FinishLoading();
            showAndWait(&form);
            form.edit->setText(QStringLiteral("'quoted'"));
            form.check->setChecked(true);
            form.props->number = -42;
            form.props->ratio = 2.5;
            form.props->letter = QLatin1Char('x');
            form.props->kind = Props::Third;
            form.props->flags = Props::Flags(Props::A) | Props::C;
            form.props->lines = QStringList({"one", "two"});
            form.props->buddy = far;
            static_cast<Inner *>(form.props->inner)->size = 7;
            form.props->colour = QColor(255, 0, 0);
            form.close();
            const QString text = iniText();
            for (const char *line : {"Edit1_text=\"'quoted'\"", "Check1_checked=True", "Props1_number=-42",
                                     "Props1_ratio=2.5", "Props1_letter=x", "Props1_caption=\r\n", "Props1_kind=Third",
                                     "Props1_flags=[A,C]", "Props1_buddy=Other.Far1", "Props1_inner.size=7",
                                     "Props1_colour=#ff0000", "[TPlacementTestForm.Props1_lines]\r\nCount=2\r\n"
                                                              "Item0=one\r\nItem1=two"})
                QVERIFY2(text.contains(QString::fromLatin1(line)), line);
        }
        writeIni(iniText()
                     .replace(QStringLiteral("Props1_flags=[A,C]"), QStringLiteral("Props1_flags=[ b , c,zz]"))
                     .replace(QStringLiteral("Props1_buddy=Other.Far1"), QStringLiteral("Props1_buddy=Check1"))
                     .replace(QStringLiteral("Props1_number=-42"), QStringLiteral("Props1_number= 17 ")));
        TPlacementTestForm form(true);
        auto *storage = static_cast<TFormStorage *>(form.placement);
        storage->SetStoredProps({"Edit1.text", "Check1.checked", "Props1.number", "Props1.ratio", "Props1.letter",
                                 "Props1.kind", "Props1.flags", "Props1.lines", "Props1.buddy", "Props1.inner",
                                 "Props1.colour"});
        form.FinishLoading();
        showAndWait(&form);
        QLocale::setDefault(before);
        QCOMPARE(form.edit->text(), QStringLiteral("'quoted'"));
        QVERIFY(form.check->isChecked());
        QCOMPARE(form.props->number, 17);
        QCOMPARE(form.props->ratio, 2.5);
        QCOMPARE(form.props->letter, QLatin1Char('x'));
        QCOMPARE(form.props->kind, Props::Third);
        QCOMPARE(form.props->flags, Props::Flags(Props::B) | Props::C);
        QCOMPARE(form.props->lines, QStringList({"one", "two"}));
        QCOMPARE(form.props->buddy, form.check);
        QCOMPARE(static_cast<Inner *>(form.props->inner)->size, 7);
        QCOMPARE(form.props->colour, QColor(255, 0, 0));
    }

    void badStoredValues()
    {
        writeIni(QStringLiteral("[TPlacementTestForm]\r\nProps1_number=abc\r\nProps1_kind=Fourth\r\nProps1_ratio=x\r\n"
                                "Props1_letter=\r\n[TPlacementTestForm.Props1_lines]\r\nCount=0\r\n"));
        TPlacementTestForm form(true);
        form.props->number = 5;
        form.props->kind = Props::Second;
        form.props->ratio = 1.5;
        form.props->letter = QLatin1Char('q');
        form.props->lines = QStringList({"keep"});
        static_cast<TFormStorage *>(form.placement)
            ->SetStoredProps({"Props1.number", "Props1.kind", "Props1.ratio", "Props1.letter", "Props1.lines"});
        form.FinishLoading();
        showAndWait(&form);
        QCOMPARE(form.props->number, 0); // not a number
        QCOMPARE(form.props->kind, Props::Second); // unknown name: unchanged
        QCOMPARE(form.props->ratio, 1.5);
        QCOMPARE(form.props->letter, QLatin1Char('q'));
        QCOMPARE(form.props->lines, QStringList({"keep"}));
    }
};

K5_TEST_MAIN(TestPlacement)
#include "test_placement.moc"
