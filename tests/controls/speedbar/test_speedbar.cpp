#include "k5test.h"

#include "barfixture.h"
#include "controls/qv/qvinifiles.h"
#include "platform/error.h"
#include "platform/folders.h"
#include "tests/controls/qv/windowmouse.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

using namespace speedbar;

namespace {

QString iniPath(const QString &name)
{
    return platform::ConfigFolder() + QLatin1Char('/') + name;
}

// Restores a hand-made record of SpeedBar1 into the fixture's bar.
void restoreFrom(BarFixture &f, const QByteArray &record)
{
    const QString path = k5test::WriteFile(iniPath(QStringLiteral("restore.ini")), "[TFrameFormSpeedBar1]\r\n" + record);
    qv::IniFileObject ini(path);
    f.bar->RestoreLayout(&ini);
}

QByteArray savedRecord(BarFixture &f)
{
    const QString path = iniPath(QStringLiteral("saved.ini"));
    QFile::remove(path);
    qv::IniFileObject ini(path);
    f.bar->SaveLayout(&ini);
    return k5test::ReadFile(path);
}

// Counts the paint events of the bar's buttons.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestSpeedBar : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void newBarDefaults()
    {
        BarFixture f(0);
        TSpeedBar &bar = *f.bar;
        QCOMPARE(bar.BtnWidth(), 24);
        QCOMPARE(bar.BtnHeight(), 23);
        QCOMPARE(bar.Options(), TSpeedbarOptions(sbAllowDrag | sbGrayedBtns));
        QCOMPARE(bar.MinimumOffset(), 3); // 2, and the raised outer bevel
        QCOMPARE(bar.BtnOffsetHorz(), 3);
        QCOMPARE(bar.BtnOffsetVert(), 3);
        QCOMPARE(bar.height(), 29);
        QCOMPARE(bar.Align(), alTop);
        QCOMPARE(bar.Position(), bpAuto);
        QCOMPARE(bar.Orientation(), boHorizontal);
        QCOMPARE(bar.Version(), 0);
        QVERIFY(bar.ShowHint());
        QCOMPARE(bar.BevelOuter(), bvRaised);
        QCOMPARE(bar.BevelInner(), bvNone);
        QCOMPARE(bar.font(), QApplication::font("QMenu"));
        // Docked at the top of its parent, across its width.
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QCOMPARE(bar.geometry(), QRect(0, 0, 400, 29));
        f.form->resize(500, 300);
        QTRY_COMPARE(bar.width(), 500);
    }

    void layoutIsWrittenAsOneRecord()
    {
        BarFixture f(5, 3);
        f.bar->SetVersion(2);
        f.place(1, 3, 3);
        f.place(3, 51, 3);
        f.item(3)->SetStored(false);
        f.place(5, 27, 3);
        f.place(4, 75, 3);
        const QString path = k5test::WriteFile(
            iniPath(QStringLiteral("kestrova5.ini")),
            "[Other]\r\nkeep=1\r\n\r\n[TFrameFormSpeedBar1]\r\nButton9=Old,1,1\r\nCount=9\r\n");
        qv::IniFileObject ini(QStringLiteral("kestrova5.ini")); // a bare name lies in the config folder
        f.bar->SaveLayout(&ini);
        QCOMPARE(k5test::ReadFile(path), QByteArray("[Other]\r\nkeep=1\r\n\r\n"
                                                    "[TFrameFormSpeedBar1]\r\n"
                                                    "Position=1\r\n"
                                                    "Width=29\r\n"
                                                    "Version=2\r\n"
                                                    "PixelsPerInch=96\r\n"
                                                    "BtnWidth=24\r\n"
                                                    "BtnHeight=23\r\n"
                                                    "Button1=SpeedItem1,3,3\r\n"
                                                    "Button2=SpeedItem4,75,3\r\n"
                                                    "Button3=SpeedItem5,27,3\r\n"
                                                    "Count=3\r\n"));
        // A bar on the left writes its width; one without a layout edge writes none.
        f.bar->SetAlign(alLeft);
        QVERIFY(savedRecord(f).contains("Position=3\r\nWidth=29\r\n"));
        f.bar->SetPosition(bpCustom);
        f.bar->SetAlign(alNone);
        QVERIFY(savedRecord(f).contains("Position=0\r\nVersion=2\r\n"));
    }

    void sectionNameFollowsTheForm()
    {
        BarFixture f(1);
        QCOMPARE(qv::DefaultSection(f.bar), QStringLiteral("TFrameFormSpeedBar1"));
        // A bar on no form: its parent's name and its own.
        QWidget holder;
        holder.setObjectName(QStringLiteral("Holder"));
        TSpeedBar loose(&holder);
        loose.setObjectName(QStringLiteral("Bar"));
        QCOMPARE(qv::DefaultSection(&loose), QStringLiteral("HolderBar"));
    }

    void restoreBringsBackPlacesAndVisibility()
    {
        BarFixture f(6);
        f.place(1, 3, 3);
        f.place(2, 27, 3);
        f.item(6)->SetStored(false);
        f.place(6, 99, 3);
        const QByteArray saved = savedRecord(f);
        BarFixture g(6);
        g.place(3, 51, 3);
        g.item(6)->SetStored(false);
        g.place(6, 99, 3);
        restoreFrom(g, saved.mid(saved.indexOf('\n') + 1));
        QVERIFY(g.item(1)->Visible());
        QCOMPARE(QPoint(g.item(1)->Left(), g.item(1)->Top()), QPoint(3, 3));
        QVERIFY(g.item(2)->Visible());
        QCOMPARE(g.item(2)->Left(), 27);
        QVERIFY(!g.item(3)->Visible()); // every item goes first
        QVERIFY(!g.item(6)->Visible()); // not stored: hidden by a restore with buttons
        QCOMPARE(g.item(1)->Button()->parentWidget(), g.bar);
    }

    void restoreFollowsTheVersion()
    {
        const QByteArray record = "Position=1\r\nVersion=2\r\nPixelsPerInch=96\r\nButton1=SpeedItem2,27,3\r\nCount=1\r\n";
        for (int version : {1, 2, 3}) {
            BarFixture f(3);
            f.place(1, 3, 3);
            f.bar->SetVersion(version);
            restoreFrom(f, record);
            QCOMPARE(f.item(2)->Visible(), version <= 2);
            QCOMPARE(f.item(1)->Visible(), version > 2);
        }
    }

    void otherPixelDensityRestoresOnlyThePosition()
    {
        BarFixture f(3);
        f.bar->SetOptions(sbAllowDrag | sbAllowResize);
        f.place(1, 3, 3);
        int moved = 0;
        f.bar->OnPosChanged = [&](QObject *) { ++moved; };
        restoreFrom(f, "Position=3\r\nWidth=60\r\nPixelsPerInch=120\r\nButton1=SpeedItem2,27,3\r\nCount=1\r\n");
        QCOMPARE(f.bar->Align(), alLeft);
        QCOMPARE(moved, 1);
        QCOMPARE(f.bar->width(), 29); // the thickness stays
        QVERIFY(f.item(1)->Visible());
        QVERIFY(!f.item(2)->Visible());
        // Without dragging allowed not even the position.
        BarFixture g(3);
        g.bar->SetOptions(0);
        restoreFrom(g, "Position=3\r\nPixelsPerInch=96\r\nCount=0\r\n");
        QCOMPARE(g.bar->Align(), alTop);
    }

    void badPositionFallsBackToTheTop_data()
    {
        QTest::addColumn<QByteArray>("position");
        QTest::newRow("none") << QByteArray("0");
        QTest::newRow("client") << QByteArray("5");
        QTest::newRow("outside") << QByteArray("7");
        QTest::newRow("negative") << QByteArray("-1");
        QTest::newRow("text") << QByteArray("left");
    }
    void badPositionFallsBackToTheTop()
    {
        QFETCH(QByteArray, position);
        BarFixture f(2);
        f.bar->SetAlign(alBottom);
        restoreFrom(f, "Position=" + position + "\r\nPixelsPerInch=96\r\nButton1=SpeedItem1,3,3\r\nCount=1\r\n");
        QCOMPARE(f.bar->Align(), position == "left" ? alBottom : alTop);
        QVERIFY(f.item(1)->Visible()); // the restore goes on
    }

    void coordinatesAreCheckedWordByWord()
    {
        BarFixture f(5);
        f.item(1)->setObjectName(QStringLiteral("Bold"));
        f.item(2)->SetLeft(51);
        f.item(2)->SetTop(3);
        f.bar->SetBtnOffsetHorz(3);
        restoreFrom(f, "PixelsPerInch=96\r\n"
                       "Button1=\r\n"
                       "Button2=Missing,27,3\r\n"
                       "Button3=bOLD,-5,7\r\n"
                       "Button4=SpeedItem2,abc,\r\n"
                       "Button5=SpeedItem3 , 27 ,, 1\r\n"
                       "Count=5\r\n");
        QVERIFY(f.item(1)->Visible());
        QCOMPARE(f.item(1)->Left(), 3);
        QCOMPARE(f.item(1)->Top(), std::max(7, f.bar->BtnOffsetVert()));
        QVERIFY(f.item(2)->Visible());
        QCOMPARE(QPoint(f.item(2)->Left(), f.item(2)->Top()), QPoint(51, 3)); // not numbers: kept
        QVERIFY(f.item(3)->Visible());
        QCOMPARE(QPoint(f.item(3)->Left(), f.item(3)->Top()), QPoint(27, 3)); // top raised to the offset
        QVERIFY(!f.item(4)->Visible());
    }

    // An item stored where the bar cannot show it (beyond every screen, across the bar's thickness, on the
    // place an item already holds) is put where it can be seen: it is on the bar, Customize counts it
    // there, and the next save writes the place it has, which a later start keeps.
    void anItemThatCannotBeShownWhereStoredIsPutWhereItCan()
    {
        BarFixture f(5);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        const int beyond = QGuiApplication::primaryScreen()->availableVirtualGeometry().width() + 400;
        const int ppi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
        restoreFrom(f, QStringLiteral("PixelsPerInch=%1\r\nButton1=SpeedItem1,3,3\r\nButton2=SpeedItem2,%2,3\r\n"
                                      "Button3=SpeedItem3,3,3\r\nButton4=SpeedItem4,27,2000\r\n"
                                      "Button5=SpeedItem5,51,3\r\nCount=5\r\n")
                           .arg(ppi)
                           .arg(beyond)
                           .toUtf8());
        QList<QRect> seen;
        for (int n = 1; n <= 5; ++n) {
            TSpeedItem *it = f.item(n);
            QVERIFY2(it->Visible() && it->Button()->isVisible(), qPrintable(it->objectName()));
            const QRect r = it->Button()->geometry();
            QVERIFY2(f.bar->rect().contains(r.center()), qPrintable(QStringLiteral("%1 at %2,%3").arg(it->objectName()).arg(r.x()).arg(r.y())));
            for (const QRect &other : std::as_const(seen))
                QVERIFY2(!other.intersects(r), qPrintable(it->objectName()));
            seen << r;
        }
        QCOMPARE(QPoint(f.item(1)->Left(), f.item(1)->Top()), QPoint(3, 3)); // where it was stored
        QCOMPARE(QPoint(f.item(5)->Left(), f.item(5)->Top()), QPoint(51, 3));
        const QByteArray saved = savedRecord(f);
        QVERIFY(!saved.contains(QByteArray::number(beyond)));
        BarFixture g(5);
        g.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.form.get()));
        restoreFrom(g, saved.mid(saved.indexOf('\n') + 1));
        QCOMPARE(savedRecord(g), saved);
    }

    // With no free place left, such an item goes off the bar, where Customize offers it again.
    void anItemWithNoPlaceLeftGoesOffTheBar()
    {
        BarFixture f(40);
        f.form->resize(100, 300);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.bar->SetAlign(alLeft); // one column, as long as the screens are high
        const int rows = (QGuiApplication::primaryScreen()->availableVirtualGeometry().height() - f.bar->BtnOffsetVert()) / f.bar->BtnHeight();
        QVERIFY(rows < 40);
        QByteArray record = "PixelsPerInch=" + QByteArray::number(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch())) + "\r\n";
        for (int n = 1; n <= 40; ++n)
            record += "Button" + QByteArray::number(n) + "=SpeedItem" + QByteArray::number(n) + ",3,3\r\n";
        record += "Count=40\r\n";
        restoreFrom(f, record);
        int on = 0;
        for (TSpeedItem *it : f.items)
            on += it->Visible() ? 1 : 0;
        QCOMPARE(on, rows);
        QVERIFY(f.item(1)->Visible());
        QVERIFY(!f.item(40)->Visible());
    }

    void damagedCountVisitsOnlyKeysThatExist()
    {
        BarFixture f(4);
        QElapsedTimer t;
        t.start();
        restoreFrom(f, "PixelsPerInch=96\r\nButton1=SpeedItem1,3,3\r\nButton07=SpeedItem2,27,3\r\n"
                       "Button3=SpeedItem3,51,3\r\nCount=2000000000\r\n");
        QVERIFY(t.elapsed() < 10000); // a start, not a hang
        QVERIFY(f.item(1)->Visible());
        QVERIFY(!f.item(2)->Visible()); // "Button07" is not a key the bar writes
        QVERIFY(f.item(3)->Visible());
        // Keys past Count are not read.
        BarFixture g(4);
        restoreFrom(g, "PixelsPerInch=96\r\nButton1=SpeedItem1,3,3\r\nButton3=SpeedItem3,51,3\r\nCount=2\r\n");
        QVERIFY(g.item(1)->Visible());
        QVERIFY(!g.item(3)->Visible());
        // Count 0 (or none) hides nothing.
        BarFixture h(2);
        h.place(1, 3, 3);
        restoreFrom(h, "PixelsPerInch=96\r\nButton1=SpeedItem2,27,3\r\n");
        QVERIFY(h.item(1)->Visible());
        QVERIFY(!h.item(2)->Visible());
    }

    void damagedWidthStaysWithinOneRowAndTheParent_data()
    {
        QTest::addColumn<QByteArray>("width");
        QTest::addColumn<int>("expected");
        QTest::newRow("zero") << QByteArray("0") << 29;
        QTest::newRow("negative") << QByteArray("-40") << 29;
        QTest::newRow("huge") << QByteArray("2000000000") << 300;
        QTest::newRow("two rows") << QByteArray("52") << 52;
    }
    void damagedWidthStaysWithinOneRowAndTheParent()
    {
        QFETCH(QByteArray, width);
        QFETCH(int, expected);
        BarFixture f(2);
        f.bar->SetOptions(sbAllowDrag | sbAllowResize);
        restoreFrom(f, "Position=1\r\nWidth=" + width + "\r\nPixelsPerInch=96\r\nCount=0\r\n");
        QCOMPARE(f.bar->height(), expected);
        // On the left the limit is the parent's width.
        BarFixture g(2);
        g.bar->SetOptions(sbAllowDrag | sbAllowResize);
        restoreFrom(g, "Position=3\r\nWidth=" + width + "\r\nPixelsPerInch=96\r\nCount=0\r\n");
        QCOMPARE(g.bar->width(), expected == 300 ? 400 : expected);
    }

    void storedButtonSizeIsNeverRead()
    {
        BarFixture f(2);
        restoreFrom(f, "PixelsPerInch=96\r\nBtnWidth=40\r\nBtnHeight=40\r\nButton1=SpeedItem1,3,3\r\nCount=1\r\n");
        QCOMPARE(f.bar->BtnWidth(), 24);
        QCOMPARE(f.item(1)->Button()->size(), QSize(24, 23));
    }

    void failedSaveKeepsTheOldLayoutAndReportsOnce()
    {
        BarFixture f(2);
        f.place(1, 3, 3);
        // A folder that is a file cannot be written, whoever runs this.
        const QString blocker = k5test::WriteFile(iniPath(QStringLiteral("blocker")), "x");
        qv::IniFileObject blocked(blocker + QStringLiteral("/k.ini"));
        QVERIFY_THROWS_EXCEPTION(platform::FileError, f.bar->SaveLayout(&blocked));
        QCOMPARE(k5test::ReadFile(blocker), QByteArray("x"));
        // An old file in a folder that refuses writing stays whole.
        const QString dir = iniPath(QStringLiteral("ro"));
        QDir().mkpath(dir);
        const QByteArray old = "[TFrameFormSpeedBar1]\r\nButton1=SpeedItem2,27,3\r\nCount=1\r\n";
        const QString path = k5test::WriteFile(dir + QStringLiteral("/k.ini"), old);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFile(dir + QStringLiteral("/probe")).open(QIODevice::WriteOnly)) {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that ignore folder permissions");
        }
        qv::IniFileObject ini(path);
        QVERIFY_THROWS_EXCEPTION(platform::FileError, f.bar->SaveLayout(&ini));
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(k5test::ReadFile(path), old);
    }

    void aWriteCutShortKeepsTheOldLayout()
    {
        BarFixture f(2);
        f.place(1, 3, 3);
        const QByteArray old = "[TFrameFormSpeedBar1]\r\nButton1=SpeedItem2,27,3\r\nCount=1\r\n";
        const QString path = k5test::WriteFile(iniPath(QStringLiteral("cut/k.ini")), old);
        qv::IniFileObject ini(path);
        {
            // The disk refuses to hold more than a few bytes of the new file, whoever writes it.
            k5test::FileSizeLimit limit(8);
            QVERIFY_THROWS_EXCEPTION(platform::FileError, f.bar->SaveLayout(&ini));
        }
        QCOMPARE(k5test::ReadFile(path), old);
        QCOMPARE(QDir(iniPath(QStringLiteral("cut"))).entryList(QDir::Files), QStringList{QStringLiteral("k.ini")});
    }

    void placementSavesAndLoadsTheBar()
    {
        BarFixture f(3);
        f.place(2, 27, 3);
        qv::TFormPlacement placement(f.form.get());
        placement.SetIniFileName(QStringLiteral("placed.ini"));
        placement.SetIniSection(QStringLiteral("Main"));
        f.bar->SetIniStorage(&placement);
        placement.RestorePlacement(); // nothing stored yet: nothing changes
        QVERIFY(f.item(2)->Visible());
        placement.SavePlacement();
        const QByteArray text = k5test::ReadFile(iniPath(QStringLiteral("placed.ini")));
        QVERIFY(text.contains("[Main\\TFrameFormSpeedBar1]\r\nPosition=1\r\n"));
        QVERIFY(text.contains("Button1=SpeedItem2,27,3\r\nCount=1\r\n"));
        f.item(2)->SetVisible(false);
        f.place(3, 51, 3);
        placement.RestorePlacement();
        QVERIFY(f.item(2)->Visible());
        QVERIFY(!f.item(3)->Visible());
        f.bar->SetIniStorage(nullptr);
    }

    void addedSectionsGetUniqueCaptions()
    {
        BarFixture f(0);
        auto *s = new TSpeedbarSection(f.form.get());
        s->SetCaption(QStringLiteral("Edit"));
        QCOMPARE(f.bar->AddSection(s), 2);
        QCOMPARE(s->Caption(), QStringLiteral("Edit (1)"));
        auto *t = new TSpeedbarSection(f.form.get());
        t->SetCaption(QStringLiteral("Edit"));
        f.bar->AddSection(t);
        QCOMPARE(t->Caption(), QStringLiteral("Edit (2)"));
        auto *u = new TSpeedbarSection(f.form.get());
        u->SetCaption(QStringLiteral("edit"));
        f.bar->AddSection(u);
        QCOMPARE(u->Caption(), QStringLiteral("edit")); // captions compare exactly
        // Set directly, a caption another section has is refused.
        try {
            t->SetCaption(QStringLiteral("File"));
            QFAIL("no error");
        } catch (const ESpeedbarError &e) {
            QCOMPARE(e.message(), QStringLiteral("String list does not allow duplicates"));
        }
        QCOMPARE(t->Caption(), QStringLiteral("Edit (2)"));
        t->SetCaption(QStringLiteral("Edit (2)")); // its own caption is no duplicate
        f.bar->ReadSections({QStringLiteral("File"), QStringLiteral("Help")});
        QCOMPARE(f.bar->SectionCount(), 6);
        QCOMPARE(f.bar->Section(5)->Caption(), QStringLiteral("Help"));
    }

    void sectionsAndItemsAreFoundAndMoved()
    {
        BarFixture f(4, 2);
        TSpeedBar &bar = *f.bar;
        QCOMPARE(bar.SearchSection(QStringLiteral("Edit")), 1);
        QCOMPARE(bar.SearchSection(QStringLiteral("edit")), -1);
        QCOMPARE(bar.ItemsCount(1), 2);
        QCOMPARE(bar.ItemsCount(7), 0);
        QCOMPARE(bar.Item(1, 1), f.item(4));
        QVERIFY(!bar.Item(1, 2));
        QVERIFY(!bar.Item(-1, 0));
        QVERIFY(!bar.Section(2));
        QCOMPARE(bar.FindItemByName(QStringLiteral("speeditem3")), f.item(3));
        QVERIFY(!bar.FindItemByName(QStringLiteral("SpeedItem9")));
        int s = 0, i = 0;
        QVERIFY(bar.SearchItem(f.item(4), &s, &i));
        QCOMPARE(QPoint(s, i), QPoint(1, 1));
        QCOMPARE(f.item(4)->SectionName(), QStringLiteral("Edit"));
        // An item on the bar moves to the section given (past the last: the last).
        bar.AddItem(9, f.item(1));
        QCOMPARE(f.item(1)->SectionIndex(), 1);
        QCOMPARE(bar.ItemsCount(0), 1);
        // Sections move; their items follow with their index.
        bar.Section(1)->SetIndex(-4);
        QCOMPARE(bar.Section(0)->Caption(), QStringLiteral("Edit"));
        QCOMPARE(f.item(1)->SectionIndex(), 0);
        QCOMPARE(f.item(2)->SectionIndex(), 1);
        // Every item in section order.
        QStringList names;
        bar.ForEachItem([&](TSpeedItem *it) { names << it->objectName(); });
        QCOMPARE(names, (QStringList{QStringLiteral("SpeedItem3"), QStringLiteral("SpeedItem4"),
                                     QStringLiteral("SpeedItem1"), QStringLiteral("SpeedItem2")}));
    }

    void itemsJoinAndLeaveTheBar()
    {
        BarFixture f(0);
        TSpeedBar &bar = *f.bar;
        TSpeedBar empty(f.form.get());
        auto *item = new TSpeedItem(f.form.get());
        item->setObjectName(QStringLiteral("Lone"));
        // The add-item event may choose another section; a bar without sections gets one.
        int asked = -1;
        empty.OnAddItem = [&](TSpeedItem *, int &section) {
            asked = section;
            section = 3;
        };
        empty.AddItem(0, item);
        QCOMPARE(asked, 0);
        QCOMPARE(empty.SectionCount(), 1);
        QCOMPARE(empty.Section(0)->Caption(), QString());
        QCOMPARE(item->SpeedBar(), &empty);
        QCOMPARE(item->Button()->parentWidget(), &empty);
        QCOMPARE(item->Button()->size(), QSize(24, 23));
        // Off the bar the button has no parent and stays hidden even when the item is visible.
        empty.RemoveItem(item);
        QVERIFY(!item->SpeedBar());
        QCOMPARE(item->SectionIndex(), -1);
        QVERIFY(!item->Button()->parentWidget());
        item->SetVisible(true);
        QVERIFY(item->Button()->isHidden());
        // Given a bar it joins the section of the name it had.
        item->SetSectionName(QStringLiteral("Edit"));
        item->SetSpeedBar(&bar);
        QCOMPARE(item->SectionIndex(), 1);
        QCOMPARE(item->Button()->parentWidget(), &bar);
        // An item freed first leaves its section.
        delete item;
        QCOMPARE(bar.ItemsCount(1), 0);
        // A deleted section frees its items; a removed one lets them go.
        BarFixture g(4, 2);
        QPointer<TSpeedItem> first = g.item(1), third = g.item(3);
        g.bar->DeleteSection(0);
        QVERIFY(!first);
        QCOMPARE(g.bar->SectionCount(), 1);
        QCOMPARE(third->SectionIndex(), 0);
        TSpeedbarSection *edit = g.bar->Section(0);
        g.bar->RemoveSection(0);
        QVERIFY(!third->SpeedBar());
        QCOMPARE(edit->Count(), 0);
        delete edit;
        QVERIFY(third); // owned by the form, not by the removed section
    }

    void barVisibilityShowsAndHidesButtons()
    {
        BarFixture f(2);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.place(1, 3, 3);
        QVERIFY(f.item(1)->Button()->isVisible());
        QVERIFY(!f.item(2)->Button()->isVisible());
        int changes = 0;
        f.bar->OnVisibleChanged = [&](QObject *) { ++changes; };
        f.bar->hide();
        QCOMPARE(changes, 1);
        QVERIFY(f.item(1)->Button()->isHidden());
        f.item(2)->SetVisible(true);
        QVERIFY(f.item(2)->Button()->isHidden());
        f.bar->show();
        QCOMPARE(changes, 2);
        QVERIFY(f.item(1)->Button()->isVisible());
        QVERIFY(f.item(2)->Button()->isVisible());
    }

    void enablingThatChangesNothingPaintsNothing()
    {
        BarFixture f(5);
        QVERIFY(windowmouse::showActive(f.form.get()));
        PaintCounter counter;
        for (int n = 1; n <= 5; ++n) {
            f.item(n)->Button()->installEventFilter(&counter);
            f.place(n, 3 + 24 * (n - 1), 3);
        }
        QTRY_COMPARE(counter.paints, 5);
        counter.paints = 0;
        // (Posted repaints are flushed by one round of the event loop.)
        for (int round = 0; round < 3; ++round)
            for (TSpeedItem *it : f.items)
                it->SetEnabled(true);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
        f.item(2)->SetEnabled(false);
        QVERIFY(!f.item(2)->Button()->isEnabled());
        QTRY_VERIFY(counter.paints > 0);
        // Disabling the bar disables every button; enabling it brings back each item's own state.
        f.bar->setEnabled(false);
        QVERIFY(!f.item(1)->Button()->isEnabled());
        f.bar->setEnabled(true);
        QVERIFY(f.item(1)->Button()->isEnabled());
        QVERIFY(!f.item(2)->Button()->isEnabled());
    }

    void customisingButtonsAreEnabledAndRaised()
    {
        BarFixture f(2);
        f.bar->SetOptions(sbAllowDrag | sbFlatBtns | sbGrayedBtns | sbTransparentBtns);
        TSpeedItem *it = f.item(1);
        it->SetEnabled(false);
        QVERIFY(it->Button()->Flat());
        QVERIFY(it->Button()->Transparent());
        QWidget window;
        f.bar->SetCustomizeWindow(&window);
        QVERIFY(it->Customizing());
        QVERIFY(it->Button()->isEnabled());
        QVERIFY(!it->Button()->Flat());
        it->SetEnabled(true);
        it->SetEnabled(false);
        QVERIFY(it->Button()->isEnabled());
        int customized = 0;
        f.bar->OnCustomize = [&](QObject *) { ++customized; };
        f.bar->SetCustomizeWindow(nullptr);
        QCOMPARE(customized, 1);
        QVERIFY(!it->Customizing());
        QVERIFY(!it->Button()->isEnabled());
        QVERIFY(it->Button()->Flat());
    }

    void hintFollowsTheCaption()
    {
        // An item without an owner: the hint always follows.
        TSpeedItem loose;
        loose.SetCaption(QStringLiteral("Save"));
        QCOMPARE(loose.Hint(), QStringLiteral("Save|"));
        QCOMPARE(loose.Button()->toolTip(), QStringLiteral("Save"));
        loose.SetHint(QStringLiteral("Save|Saves the document"));
        QCOMPARE(loose.Button()->statusTip(), QStringLiteral("Saves the document"));
        loose.SetCaption(QStringLiteral("Store"));
        QCOMPARE(loose.Hint(), QStringLiteral("Store|Saves the document"));
        loose.SetCaption(QStringLiteral("Keep|Keeps it"));
        QCOMPARE(loose.Hint(), QStringLiteral("Keep|Keeps it"));
        loose.SetCaption(QStringLiteral("Hold|"));
        QCOMPARE(loose.Hint(), QStringLiteral("Hold|Keeps it"));
        loose.SetHint(QStringLiteral("Plain"));
        loose.SetCaption(QStringLiteral("New|"));
        QCOMPARE(loose.Hint(), QStringLiteral("New|Plain"));

        // On a form: only while the caption is the hint's first part.
        TFrameForm form;
        TSpeedItem owned(&form);
        owned.SetCaption(QStringLiteral("Open"));
        QCOMPARE(owned.Hint(), QStringLiteral("Open|"));
        owned.SetHint(QStringLiteral("Something else|Long"));
        owned.SetCaption(QStringLiteral("Reopen"));
        QCOMPARE(owned.Hint(), QStringLiteral("Something else|Long"));

        // On a form that is still loading, nothing follows.
        platform::FormOf<QWidget> loading;
        TSpeedItem early(&loading);
        early.SetCaption(QStringLiteral("Cut"));
        QCOMPARE(early.Hint(), QString());
    }

    void captionFollowsARename()
    {
        TFrameForm form;
        TSpeedItem item(&form);
        item.setObjectName(QStringLiteral("SpeedItem1"));
        QCOMPARE(item.Caption(), QStringLiteral("SpeedItem1"));
        item.setObjectName(QStringLiteral("SpeedItem2"));
        QCOMPARE(item.Caption(), QStringLiteral("SpeedItem2"));
        item.SetCaption(QStringLiteral("Bold"));
        item.setObjectName(QStringLiteral("SpeedItem3"));
        QCOMPARE(item.Caption(), QStringLiteral("Bold"));
    }

    void imageListEntriesReplaceTheGlyph()
    {
        BarFixture f(2);
        tree::TImageList images(16, 16);
        QPixmap red(16, 16);
        red.fill(Qt::red);
        images.Add(red);
        TSpeedItem *it = f.item(1);
        it->SetImageIndex(0);
        QVERIFY(it->Button()->ButtonGlyph().ListImage().isNull()); // no list yet
        f.bar->SetImages(&images);
        QCOMPARE(it->Button()->ButtonGlyph().ListImage().pixel(5, 5), qRgb(255, 0, 0));
        QPixmap blue(16, 16);
        blue.fill(Qt::blue);
        images.Replace(0, blue);
        QCOMPARE(it->Button()->ButtonGlyph().ListImage().pixel(5, 5), qRgb(0, 0, 255));
        it->SetImageIndex(4);
        QVERIFY(it->Button()->ButtonGlyph().ListImage().isNull());
        f.bar->SetImages(nullptr);
    }

    void loadedBarWithoutAlignmentGoesToTheTop()
    {
        QWidget parent;
        parent.resize(300, 200);
        TSpeedBar bar(&parent);
        bar.SetLoading(true);
        bar.SetAlign(alNone); // no error while loading
        QCOMPARE(bar.Align(), alNone);
        bar.Loaded();
        QCOMPARE(bar.Align(), alTop);
        QVERIFY(!bar.Loading());
        QVERIFY_THROWS_EXCEPTION(ESpeedbarError, bar.SetAlign(alNone));
    }
};

K5_TEST_MAIN(TestSpeedBar)
#include "test_speedbar.moc"
