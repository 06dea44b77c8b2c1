// The main window's tool bar: its items and fresh layout, enabling by document, the items acting on the
// active document, customising by dragging with the mouse, docking, and the layout kept in kestrova5.ini
// from one start to the next.
#include "k5test.h"
#include "apptest.h"

#include "app/toolglyphs.h"
#include "controls/misc/propanel.h"
#include "controls/speedbar/speedbar.h"
#include "controls/speedbar/speedbarsetup.h"
#include "platform/folders.h"
#include "tests/controls/qv/windowmouse.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>

using app::TEditForm;
using app::TFrameForm;
using speedbar::TSpeedItem;
using namespace windowmouse;

namespace {

QString iniPath()
{
    return platform::ConfigFolder() + QStringLiteral("/kestrova5.ini");
}

QList<TSpeedItem *> itemsOf(const speedbar::TSpeedBar *bar)
{
    QList<TSpeedItem *> out;
    bar->ForEachItem([&out](TSpeedItem *it) { out << it; });
    return out;
}

TSpeedItem *itemNamed(const TFrameForm *frame, const QString &caption)
{
    for (TSpeedItem *it : itemsOf(frame->SpeedBar1))
        if (it->Caption() == caption)
            return it;
    return nullptr;
}

// Captions of the items on the bar, left to right, top to bottom.
QStringList shownCaptions(const TFrameForm *frame)
{
    QList<TSpeedItem *> shown;
    for (TSpeedItem *it : itemsOf(frame->SpeedBar1))
        if (it->Visible())
            shown << it;
    std::sort(shown.begin(), shown.end(), [](const TSpeedItem *a, const TSpeedItem *b) {
        return std::pair(a->Top(), a->Left()) < std::pair(b->Top(), b->Left());
    });
    QStringList out;
    for (const TSpeedItem *it : shown)
        out << it->Caption();
    return out;
}

QStringList enabledCaptions(const TFrameForm *frame)
{
    QStringList out;
    for (TSpeedItem *it : itemsOf(frame->SpeedBar1))
        if (it->Enabled())
            out << it->Caption();
    return out;
}

speedbar::TSpeedbarSetupWindow *customizeWindow(const TFrameForm *frame)
{
    return qobject_cast<speedbar::TSpeedbarSetupWindow *>(frame->SpeedBar1->CustomizeWindow());
}

// A main window at the screen's top-left corner, shown and active, closed and gone at the end.
struct Frame {
    TFrameForm *frame = new TFrameForm;
    Frame()
    {
        frame->move(0, 0);
        if (!showActive(frame))
            qWarning("the main window is not active");
    }
    ~Frame()
    {
        if (frame) {
            apptest::CloseAll(*frame);
            delete frame;
        }
        apptest::Settle();
    }
    // Closes the window as the user does (the layout is saved then), and frees it.
    void closeAndFree()
    {
        apptest::CloseAll(*frame);
        frame->close();
        delete frame;
        frame = nullptr;
        apptest::Settle();
    }
    TFrameForm *operator->() const { return frame; }
};

} // namespace

class TestToolBar : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void freshBarShowsItsItemsAndWritesItsRecord()
    {
        Frame f;
        speedbar::TSpeedBar *bar = f->SpeedBar1;
        QCOMPARE(bar->parentWidget()->objectName(), QStringLiteral("ClientPanel"));
        QCOMPARE(bar->Align(), speedbar::alTop);
        QCOMPARE(bar->height(), 33);
        QCOMPARE(bar->width(), f->centralWidget()->width());
        QCOMPARE(bar->toolTip(), QStringLiteral("Double-click to customize the speedbar."));
        QCOMPARE(QSize(bar->BtnWidth(), bar->BtnHeight()), QSize(24, 23));
        QCOMPARE(bar->Options(), speedbar::sbAllowDrag | speedbar::sbAllowResize | speedbar::sbFlatBtns |
                                     speedbar::sbGrayedBtns | speedbar::sbTransparentBtns);
        QStringList sections;
        for (int i = 0; i < bar->SectionCount(); ++i)
            sections << bar->Section(i)->Caption();
        QCOMPARE(sections, (QStringList{"File", "Edit", "Formatting", "Standard", "Forms", "Tools", "Script",
                                        "Cookies", "Help"}));
        const QList<int> sizes = {4, 7, 31, 27, 7, 8, 5, 11, 1};
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(bar->ItemsCount(i), sizes[i]);

        // Every item: its layout name, its caption as tool tip with nothing for the hint line, and a
        // picture of its own.
        const QList<TSpeedItem *> items = itemsOf(bar);
        QCOMPARE(items.size(), 101);
        QSet<QByteArray> pictures;
        for (int i = 0; i < items.size(); ++i) {
            TSpeedItem *it = items[i];
            QCOMPARE(it->objectName(), QStringLiteral("SpeedItem%1").arg(i + 1));
            QCOMPARE(it->Hint(), it->Caption() + QLatin1Char('|'));
            QCOMPARE(it->Button()->toolTip(), it->Caption());
            QVERIFY(it->Button()->statusTip().isEmpty());
            // The picture and its own disabled look.
            QCOMPARE(it->Glyph().size(), QSize(32, 16));
            QCOMPARE(it->NumGlyphs(), 2);
            const QImage glyph = it->Glyph().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(glyph.hasAlphaChannel(), qPrintable(it->Caption()));
            pictures.insert(QByteArray(reinterpret_cast<const char *>(glyph.constBits()), glyph.sizeInBytes()));
            int grey = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 16; x < 32; ++x)
                    grey += qAlpha(glyph.pixel(x, y)) ? 1 : 0;
            QVERIFY2(grey > 10, qPrintable(it->Caption())); // a grey button still shows its picture
        }
        QCOMPARE(pictures.size(), 101);
        // The disabled look embosses strokes, not fills: the table's white cells stay hollow.
        const QImage table = itemNamed(f.frame, QStringLiteral("Table"))->Glyph();
        QCOMPARE(qAlpha(table.pixel(3, 8)), 255);
        QCOMPARE(qAlpha(table.pixel(16 + 3, 8)), 0);
        QCOMPARE(app::ToolGlyph(QStringLiteral("Bold"), 32).size(), QSize(32, 32));
        QVERIFY(app::ToolGlyph(QStringLiteral("No such item")).isNull());
        QCOMPARE(items[0]->Caption(), QStringLiteral("New"));
        QCOMPARE(items[1]->Caption(), QStringLiteral("Open"));

        QCOMPARE(shownCaptions(f.frame),
                 (QStringList{"New", "Open", "Save", "Cut", "Copy", "Paste", "Undo", "Redo", "Bold", "Italic",
                              "Underline", "Left", "Center", "Right", "Justify", "Break Line", "Paragrafh", "Link",
                              "Image", "Table", "List", "Comment", "Font", "Help"}));
        f->SaveToolBarLayout();
        QCOMPARE(k5test::ReadFile(iniPath()), QByteArray("[TFrameFormSpeedBar1]\r\n"
                                                         "Position=1\r\n"
                                                         "Width=33\r\n"
                                                         "Version=0\r\n"
                                                         "PixelsPerInch=96\r\n"
                                                         "BtnWidth=24\r\n"
                                                         "BtnHeight=23\r\n"
                                                         "Button1=SpeedItem1,3,3\r\n"
                                                         "Button2=SpeedItem2,27,3\r\n"
                                                         "Button3=SpeedItem3,51,3\r\n"
                                                         "Button4=SpeedItem5,83,3\r\n"
                                                         "Button5=SpeedItem6,107,3\r\n"
                                                         "Button6=SpeedItem7,131,3\r\n"
                                                         "Button7=SpeedItem8,155,3\r\n"
                                                         "Button8=SpeedItem9,179,3\r\n"
                                                         "Button9=SpeedItem12,211,3\r\n"
                                                         "Button10=SpeedItem13,235,3\r\n"
                                                         "Button11=SpeedItem14,259,3\r\n"
                                                         "Button12=SpeedItem15,291,3\r\n"
                                                         "Button13=SpeedItem16,315,3\r\n"
                                                         "Button14=SpeedItem17,339,3\r\n"
                                                         "Button15=SpeedItem18,363,3\r\n"
                                                         "Button16=SpeedItem19,395,3\r\n"
                                                         "Button17=SpeedItem20,419,3\r\n"
                                                         "Button18=SpeedItem43,451,3\r\n"
                                                         "Button19=SpeedItem44,475,3\r\n"
                                                         "Button20=SpeedItem45,499,3\r\n"
                                                         "Button21=SpeedItem46,523,3\r\n"
                                                         "Button22=SpeedItem47,547,3\r\n"
                                                         "Button23=SpeedItem48,571,3\r\n"
                                                         "Button24=SpeedItem101,603,3\r\n"
                                                         "Count=24\r\n"));
    }

    void tipsAndTheHintLine()
    {
        Frame f;
        speedbar::TSpeedBar *bar = f->SpeedBar1;
        move(f.frame, bar->mapTo(f.frame, QPoint(bar->width() - 30, 15)));
        QCOMPARE(f->Hint_Label->text(), QStringLiteral("Double-click to customize the speedbar."));
        // On the hint line only: the status line keeps its labels.
        QVERIFY(f->statusBar()->currentMessage().isEmpty());
        QVERIFY(f->LblOverwrite->isVisible());
        // A button's hint has nothing after "|": the hint line empties.
        TSpeedItem *save = itemNamed(f.frame, QStringLiteral("Save"));
        move(f.frame, save->Button()->mapTo(f.frame, QPoint(12, 11)));
        QVERIFY(f->Hint_Label->text().isEmpty());
        QVERIFY(f->LblOverwrite->isVisible());
    }

    void itemsFollowTheDocuments()
    {
        Frame f;
        const QStringList fileItems = {QStringLiteral("New"), QStringLiteral("Open")};
        QCOMPARE(enabledCaptions(f.frame), fileItems);
        QVERIFY(!itemNamed(f.frame, QStringLiteral("Bold"))->Button()->isEnabled());
        // A document made with the bar's own New button.
        click(itemNamed(f.frame, QStringLiteral("New"))->Button(), QPoint(12, 11));
        TEditForm *doc = f->ActiveEditForm();
        QVERIFY(doc);
        // With a document the items come alive, their buttons with them.
        int commands = 0;
        for (TSpeedItem *it : itemsOf(f->SpeedBar1)) {
            QVERIFY2(it->Button()->isEnabled() == it->Enabled(), qPrintable(it->Caption()));
            commands += it->Enabled() ? 1 : 0;
        }
        QVERIFY(commands > 60);
        for (const char *on : {"Bold", "Save", "Print", "Cut", "Link", "Image", "Help", "IE Filter", "Bake Cookie"})
            QVERIFY2(itemNamed(f.frame, QString::fromLatin1(on))->Enabled(), on);
        // An item that runs a menu item of the document is enabled exactly while that item is, so the
        // windows that are not built yet are grey on the bar as in the menus.
        const QList<QPair<const char *, const char *>> pressed = {
            {"Table", "Tabeleditor2"}, {"Tagchooser", "TagChooser1"}, {"Channel", "Channel1"},
            {"Gif Animator", "GifAnimator1"}, {"FTP", "FTP1"}, {"JavaScript Samples", "JavaScriptSamplesMenu"},
            {"VB Script", "VBScript1"}, {"DHTML Animation", "DHTMLAnimation1"}, {"IE Filter", "IE45VisualFilters2"}};
        for (const auto &[caption, menuItem] : pressed) {
            const QAction *a = doc->findChild<QAction *>(QString::fromLatin1(menuItem));
            QVERIFY2(a, menuItem);
            QVERIFY2(itemNamed(f.frame, QString::fromLatin1(caption))->Enabled() == a->isEnabled(), caption);
        }
        QAction *rule = doc->findChild<QAction *>(QStringLiteral("HorizontalLine2"));
        rule->setEnabled(false);
        f->UpdateDocumentCommands();
        QVERIFY(!itemNamed(f.frame, QStringLiteral("Horizontal Line"))->Enabled());
        rule->setEnabled(true);
        f->UpdateDocumentCommands();
        QVERIFY(itemNamed(f.frame, QStringLiteral("Horizontal Line"))->Enabled());
        // The last document gone: New and Open again only.
        doc->Frame()->close();
        apptest::Settle();
        QVERIFY(!f->ActiveEditForm());
        QCOMPARE(enabledCaptions(f.frame), fileItems);
        click(itemNamed(f.frame, QStringLiteral("Bold"))->Button(), QPoint(12, 11)); // grey: nothing happens
        QCOMPARE(f->MDIChildCount(), 0);
    }

    void itemsActOnTheActiveDocumentOnly()
    {
        Frame f;
        TEditForm *first = f->CreateEditForm();
        first->ReplaceText(QStringLiteral("first"));
        TEditForm *second = f->CreateEditForm();
        second->ReplaceText(QStringLiteral("second"));
        f->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(first->Frame()));
        QCOMPARE(f->ActiveEditForm(), first);
        first->RiloMemo1->SelectAll();
        click(itemNamed(f.frame, QStringLiteral("Bold"))->Button(), QPoint(12, 11));
        QCOMPARE(first->Text(), QStringLiteral("<B>first</B>"));
        QCOMPARE(second->Text(), QStringLiteral("second"));
        // A menu command runs in the active document too.
        f->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(second->Frame()));
        second->RiloMemo1->Select(0, 0);
        itemNamed(f.frame, QStringLiteral("Horizontal Line"))->ButtonClick();
        QCOMPARE(second->Text(), QStringLiteral("<HR>second"));
        QCOMPARE(first->Text(), QStringLiteral("<B>first</B>"));
        // The text control's own commands.
        click(itemNamed(f.frame, QStringLiteral("Undo"))->Button(), QPoint(12, 11));
        QCOMPARE(second->Text(), QStringLiteral("second"));
        second->RiloMemo1->Select(0, 3);
        click(itemNamed(f.frame, QStringLiteral("Paragrafh"))->Button(), QPoint(12, 11));
        QCOMPARE(second->Text(), QStringLiteral("sec<P>ond"));
        QCOMPARE(first->Text(), QStringLiteral("<B>first</B>"));
    }

    void newMakesAPlainDocumentWhateverStartEditHolds()
    {
        Frame f;
        int templates = 0;
        f->OnShowTemplates = [&templates] { ++templates; };
        f->Memo_Project1->SetText(QStringLiteral("<P>shared border page</P>"));
        f->Start_Edit->SetText(QStringLiteral("1"));
        TSpeedItem *newItem = itemNamed(f.frame, QStringLiteral("New"));
        click(newItem->Button(), QPoint(12, 11));
        QCOMPARE(f->MDIChildCount(), 1);
        QVERIFY(!f->ActiveEditForm()->Text().contains(QStringLiteral("shared border page")));
        f->Start_Edit->SetText(QStringLiteral("0"));
        click(newItem->Button(), QPoint(12, 11));
        QCOMPARE(f->MDIChildCount(), 2);
        QCOMPARE(templates, 0);
        // The menu's New still follows Start_Edit.
        f->Start_Edit->SetText(QStringLiteral("1"));
        f->New1->trigger();
        QCOMPARE(f->ActiveEditForm()->Text(), QStringLiteral("<P>shared border page</P>"));
    }

    void customizingDragsButtonsOntoAndOffTheBar()
    {
        Frame f;
        speedbar::TSpeedBar *bar = f->SpeedBar1;
        // A double click on the bar's free part opens the customize window; the pop-up's item brings it
        // forward again.
        doubleClick(bar, QPoint(bar->width() - 20, 15));
        speedbar::TSpeedbarSetupWindow *w = customizeWindow(f.frame);
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        f->Customize1->trigger();
        QCOMPARE(customizeWindow(f.frame), w);
        QCOMPARE(w->SectionList->RowCount(), 9);
        QVERIFY(itemNamed(f.frame, QStringLiteral("Table"))->Button()->isEnabled()); // every button can be moved

        // "H1" from the Formatting list onto the bar, right of Help.
        click(w->SectionList->viewport(), w->SectionList->visualItemRect(w->SectionList->item(2)).center());
        QCOMPARE(w->SectionList->Row(), 2);
        TSpeedItem *h1 = itemNamed(f.frame, QStringLiteral("H1"));
        int row = -1;
        for (int i = 0; i < w->ButtonsList->RowCount(); ++i)
            if (w->ItemAt(i) == h1)
                row = i;
        QVERIFY(row >= 0);
        QWidget *view = w->ButtonsList->viewport();
        w->ButtonsList->scrollToItem(w->ButtonsList->item(row));
        const QRect cell = w->ButtonsList->visualItemRect(w->ButtonsList->item(row));
        press(view, cell.topLeft() + QPoint(5, 5));
        const QPoint faceAt = bar->mapToGlobal(QPoint(652, 4));
        const QPoint mouse = faceAt + QPoint(bar->BtnWidth(), bar->BtnHeight());
        move(view, view->mapFromGlobal(mouse - QPoint(30, 30)));
        move(view, view->mapFromGlobal(mouse));
        release(view, view->mapFromGlobal(mouse));
        QVERIFY(h1->Visible());
        QCOMPARE(QPoint(h1->Left(), h1->Top()), QPoint(651, 3));

        // "Help" dragged off the bar into the document area.
        TSpeedItem *help = itemNamed(f.frame, QStringLiteral("Help"));
        press(help->Button(), QPoint(5, 5));
        const QPoint away = f->MdiArea()->mapToGlobal(QPoint(200, 200));
        move(f.frame, f->mapFromGlobal(away - QPoint(10, 10)));
        move(f.frame, f->mapFromGlobal(away));
        release(f.frame, f->mapFromGlobal(away));
        QVERIFY(!help->Visible());

        // OK ends customising; the grey items are grey again.
        click(w->CloseBtn, QPoint(10, 10));
        apptest::Settle();
        QVERIFY(!bar->Customizing());
        QVERIFY(!itemNamed(f.frame, QStringLiteral("Table"))->Button()->isEnabled());
        f.closeAndFree();
        const QByteArray record = k5test::ReadFile(iniPath());
        QVERIFY(record.contains("=SpeedItem22,651,3\r\n")); // H1
        QVERIFY(!record.contains("SpeedItem101"));
        QVERIFY(record.contains("Count=24\r\n"));
    }

    void layoutSurvivesARestart()
    {
        {
            Frame f;
            speedbar::TSpeedBar *bar = f->SpeedBar1;
            // Docked on the left edge by dragging it there with the mouse.
            press(bar, QPoint(bar->width() - 30, 12));
            QWidget *panel = bar->parentWidget();
            const QPoint left = panel->mapToGlobal(QPoint(8, panel->height() / 2));
            move(f.frame, f->mapFromGlobal(bar->mapToGlobal(QPoint(bar->width() - 40, 20))));
            move(f.frame, f->mapFromGlobal(left));
            release(f.frame, f->mapFromGlobal(left));
            QCOMPARE(bar->Align(), speedbar::alLeft);
            QCOMPARE(bar->Orientation(), speedbar::boVertical);
            QCOMPARE(bar->width(), 33);
            QCOMPARE(f->ProBorder1->x(), 33);
            // The buttons turned with the bar.
            TSpeedItem *open = itemNamed(f.frame, QStringLiteral("Open"));
            QCOMPARE(QPoint(open->Left(), open->Top()), QPoint(3, 27));
            itemNamed(f.frame, QStringLiteral("Font"))->SetVisible(false);
            TSpeedItem *strike = itemNamed(f.frame, QStringLiteral("Strike"));
            QVERIFY(bar->PlaceItem(strike, QPoint(3, 203)));
            f.closeAndFree();
        }
        Frame again;
        speedbar::TSpeedBar *bar = again->SpeedBar1;
        QCOMPARE(bar->Align(), speedbar::alLeft);
        QCOMPARE(bar->width(), 33);
        QCOMPARE(again->ProBorder1->x(), 33);
        QStringList expected = {"New", "Open", "Save", "Cut", "Copy", "Paste", "Undo", "Redo", "Bold", "Italic",
                                "Underline", "Left", "Center", "Right", "Justify", "Break Line", "Paragrafh", "Strike",
                                "Link", "Image", "Table", "List", "Comment", "Help"};
        QStringList shown = shownCaptions(again.frame);
        std::sort(shown.begin(), shown.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(shown, expected);
        TSpeedItem *strike = itemNamed(again.frame, QStringLiteral("Strike"));
        QCOMPARE(QPoint(strike->Left(), strike->Top()), QPoint(3, 203));
        TSpeedItem *open = itemNamed(again.frame, QStringLiteral("Open"));
        QCOMPARE(QPoint(open->Left(), open->Top()), QPoint(3, 27));
    }

    void damagedLayoutStillStartsWithARepairableBar()
    {
        k5test::WriteFile(iniPath(), "[TFrameFormSpeedBar1]\r\nPosition=9\r\nWidth=-40\r\nVersion=0\r\n"
                                     "PixelsPerInch=96\r\nButton1=SpeedItem4,3,3\r\nButton2=NoSuchItem,27,3\r\n"
                                     "Button3=SpeedItem101,x,y\r\nCount=2000000000\r\n");
        Frame f;
        speedbar::TSpeedBar *bar = f->SpeedBar1;
        QCOMPARE(bar->Align(), speedbar::alTop);
        QCOMPARE(bar->height(), 29); // one row
        QCOMPARE(shownCaptions(f.frame), (QStringList{"Print", "Help"}));
    }

    void anUnwritableLayoutNeverStopsTheProgram()
    {
        QVERIFY(QDir().mkpath(iniPath())); // a folder where the file should be
        Frame f;
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        f.closeAndFree();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY(user.Texts.first().startsWith(QStringLiteral("The tool bar's layout could not be saved.")));
        QVERIFY(QFileInfo(iniPath()).isDir());
    }
};

K5_TEST_MAIN(TestToolBar)
#include "test_toolbar.moc"
