// The DHTML and JavaScript sample choosers and the VBScript example list, reached from a document's menus and
// worked as a user does: each name shows its own file from the program folder, Insert hands the shown example
// to the document in one step, the DHTML chooser and the VBScript list stay open, the JavaScript chooser
// closes, and a missing file is reported and changes nothing.
#include "k5test.h"
#include "apptest.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/unit_samples.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "platform/fileio.h"
#include "platform/folders.h"

#include <QComboBox>
#include <QDir>
#include <QMenu>

using app::TEditForm;
using app::TFrameForm;

namespace {

// The names and files, in list order, as the lists must offer them.
const QList<QPair<QString, QString>> dhtml = {
    {"Blink Button", "blink_button"}, {"Blink Table", "blink_table"},   {"Bookmark", "bookmark"},
    {"Calculator", "calculator"},     {"Clock 1", "clock01"},           {"Clock 2", "clock02"},
    {"Credit 1", "credit01"},         {"Credit 2", "credit02"},         {"Credit 3", "credit03"},
    {"Glow Text", "glow_text"},       {"Link", "link"},                 {"Menu", "menu"},
    {"Navigation 1", "navigation01"}, {"Navigation 2", "navigation02"}, {"Page Enter 1", "page_enter01"},
    {"Page Enter 2", "page_enter02"}, {"Page Enter 3", "page_enter03"}, {"Page Enter 4", "page_enter04"},
    {"Print", "print"},               {"Update Scroll", "scroll"},      {"Up Down Text", "up_down_text"},
    {"Zoom 1", "zoom01"},             {"Zoom 2", "zoom02"}};

const QList<QPair<QString, QString>> javaScript = {
    {"Agecount", "agecount"},
    {"Browser Detect", "browserdetect"},
    {"Fade Color", "fadecolor"},
    {"Navigator Day", "navigatorday"},
    {"Your Self", "yourself"},
    {"Plugin", "plugin"},
    {"Search", "search"},
    {"Status", "status"},
    {"View Source", "source"},
    {"Casette", "casette"},
    {"T2000", "t2000"},
    {"Day Of Birth", "dayofbirth"},
    {"Past Text", "pasttext"},
    {"Quiz", "quiz"},
    {"Animated Line", "ani_st_text"},
    {"Animated Text", "ani_text"},
    {"Color Change", "color_change"},
    {"Color Selection", "color_selection"},
    {"Background Color", "background_color"},
    {"Bounded Text", "bounded_text"},
    {"Browser Exit", "browser_exit"},
    {"Calculator", "calculator"},
    {"Cool Text", "cool_text"},
    {"Current Date", "current_date"},
    {"Days Left", "days_left"},
    {"Funny Button", "funny_button"},
    {"Information", "information"},
    {"Printing Text", "printing_text"},
    {"Site Navigator", "site_navigator"},
    {"Smart Button", "smart_button"},
    {"Stering Scroll", "stering_scroll"},
    {"Message box", "message_box"},
    {"Box show", "box_show"},
    {"Text window", "text_window"},
    {"Database", "database"},
    {"Simple colors", "simple_colors"},
    {"Advanced colors", "advanced_colors"},
    {"Blink", "blink"},
    {"Color box", "color_box"},
    {"Color cube", "color_cube"},
    {"Sunset", "sunset"},
    {"Random Color", "Random Color"},
    {"Pick a color", "pick_color"},
    {"Bounce", "bounce"},
    {"Faded Text", "faded_text"},
    {"Rotate", "rotate"},
    {"Scroll Text", "scroll_text"},
    {"Statusbar - Point", "point"},
    {"Statusbar - Mouse Over", "mouseover"},
    {"Statusbar - Flash", "flash"},
    {"Statusbar - Scroller", "scoller"}};

QString programFile(const QString &folder, const QString &file)
{
    return platform::ProgramFolder() + QLatin1Char('/') + folder + QLatin1Char('/') + file;
}

QString fileText(const QString &path) { return QString::fromUtf8(platform::ReadWholeFile(path)); }

// Picks a name from the drop-down with the keyboard, as a user does: the first entry, then down.
void choose(QComboBox *combo, const QString &name)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < combo->count() && combo->currentText() != name; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

QPushButton *button(QWidget *w, const char *caption)
{
    for (QPushButton *b : w->findChildren<QPushButton *>())
        if (b->text() == QString::fromLatin1(caption) && b->isVisible())
            return b;
    return nullptr;
}

template <class T>
T *openWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

} // namespace

class TestSamples : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    TEditForm *doc(const QString &text) { return apptest::DocWithCaretAtEnd(*frame, text); }
    QAction *item(TEditForm *d, const char *name) { return apptest::DocItem(d, name); }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != frame && w->isVisible() && !qobject_cast<QMenu *>(w))
                w->close();
        apptest::Settle();
    }

    // Every name of each list shows the file of its own name from the program folder, shipped there.
    void eachNameShowsItsFile_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("folder");
        QTest::newRow("DHTML") << QStringLiteral("TDHTML") << QStringLiteral("DHTML");
        QTest::newRow("JavaScript") << QStringLiteral("TJavaScriptSamples1") << QStringLiteral("JavaScript");
    }
    void eachNameShowsItsFile()
    {
        QFETCH(QString, className);
        QFETCH(QString, folder);
        const auto &expected = folder == QLatin1String("DHTML") ? dhtml : javaScript;
        QCOMPARE(expected.size(), folder == QLatin1String("DHTML") ? 23 : 51);
        std::unique_ptr<dialogs::TTagDialog> d(dialogs::CreateDialog(className, nullptr));
        auto *chooser = qobject_cast<dialogs::TSampleChooser *>(d.get());
        QVERIFY(chooser);
        chooser->show();
        QCOMPARE(chooser->ComboBox1->count(), int(expected.size()));
        QVERIFY(!chooser->ComboBox1->isEditable());
        QCOMPARE(chooser->ComboBox1->currentIndex(), -1);
        QStringList seen;
        for (int i = 0; i < expected.size(); ++i) {
            const auto &[name, file] = expected.at(i);
            QCOMPARE(chooser->ComboBox1->itemText(i), name);
            const QString path = programFile(folder, file);
            QCOMPARE(chooser->FileOf(name), path);
            choose(chooser->ComboBox1, name);
            const QString text = fileText(path);
            QVERIFY2(text.size() > 100 && text.contains(QLatin1String("\r\n")), qPrintable(path));
            QCOMPARE(chooser->RiloMemo1->Text(), text);
            QCOMPARE(chooser->Build(), text);
            QVERIFY2(!seen.contains(text), qPrintable(name + QStringLiteral(" shows the text of another example")));
            seen << text;
            // Seeded from the shipped copy, byte for byte.
            QCOMPARE(platform::ReadWholeFile(path),
                     platform::ReadWholeFile(platform::ShippedDataFolder() + QLatin1Char('/') + folder + QLatin1Char('/') + file));
        }
        // The view is for reading only.
        chooser->RiloMemo1->setFocus();
        QTest::keyClicks(chooser->RiloMemo1, QStringLiteral("typed"));
        QCOMPARE(chooser->RiloMemo1->Text(), seen.last());
        QCOMPARE(chooser->FileOf(QStringLiteral("No such example")), QString());
    }

    void dhtmlChooserStaysOpenOnTopForMoreInserts()
    {
        TEditForm *d = doc(QStringLiteral("<BODY>\r\n"));
        QAction *a = item(d, "DHTMLSamples11");
        QVERIFY(a && a->isEnabled());
        a->trigger();
        apptest::Settle();
        auto *chooser = openWindow<dialogs::TDHTML>();
        QVERIFY(chooser);
        QVERIFY(!chooser->isModal());
        QVERIFY(chooser->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(chooser->windowTitle(), QStringLiteral("DHTML Sample"));
        QVERIFY(chooser->findChild<QLabel *>(QStringLiteral("Banner"))->text() == QStringLiteral("Insert a DHTML Samples"));
        choose(chooser->ComboBox1, QStringLiteral("Clock 1"));
        const QString clock = fileText(programFile(QStringLiteral("DHTML"), QStringLiteral("clock01")));
        QCOMPARE(chooser->RiloMemo1->Text(), clock);
        QCOMPARE(dialogs::Instance(QStringLiteral("TDHTML")), chooser);
        QCOMPARE(frame->ActiveEditForm(), d);
        QTest::mouseClick(button(chooser, "&Insert"), Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(d->Text(), QStringLiteral("<BODY>\r\n") + clock);
        QVERIFY(chooser->isVisible());
        // Another one after it.
        choose(chooser->ComboBox1, QStringLiteral("Zoom 2"));
        const QString zoom = fileText(programFile(QStringLiteral("DHTML"), QStringLiteral("zoom02")));
        QTest::mouseClick(button(chooser, "&Insert"), Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(d->Text(), QStringLiteral("<BODY>\r\n") + clock + zoom);
        QTest::mouseClick(button(chooser, "&Close"), Qt::LeftButton);
        apptest::Settle();
        QVERIFY(!openWindow<dialogs::TDHTML>());
    }

    void javaScriptChooserInsertsAndCloses()
    {
        TEditForm *d = doc(QStringLiteral("<P>before</P>\r\n"));
        const QString random = fileText(programFile(QStringLiteral("JavaScript"), QStringLiteral("Random Color")));
        QVERIFY(random.contains(QLatin1String("Math.random()")));
        apptest::User user;
        user.Then([](QWidget *w) {
                auto *chooser = qobject_cast<dialogs::TJavaScriptSamples1 *>(w);
                if (!chooser)
                    return false;
                choose(chooser->ComboBox1, QStringLiteral("Random Color"));
                return true;
            })
            .Click(QStringLiteral("Insert"));
        item(d, "JavaScriptSamplesMenu")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(user.Texts.isEmpty());
        QCOMPARE(d->Text(), QStringLiteral("<P>before</P>\r\n") + random);
        QVERIFY(!openWindow<dialogs::TJavaScriptSamples1>());
        QVERIFY(!dialogs::Instance(QStringLiteral("TJavaScriptSamples1")));
        d->RiloMemo1->Undo();
        QCOMPARE(d->Text(), QStringLiteral("<P>before</P>\r\n"));
    }

    // Insert with nothing chosen has nothing to put in: the document and its selection stay.
    void insertBeforeAChoiceChangesNothing()
    {
        TEditForm *d = doc(QStringLiteral("<P>keep me</P>"));
        d->RiloMemo1->Select(3, 7);
        apptest::User user;
        user.Click(QStringLiteral("Insert"));
        item(d, "JavaScriptSamplesMenu")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(d->Text(), QStringLiteral("<P>keep me</P>"));
        QCOMPARE(d->RiloMemo1->SelText(), QStringLiteral("keep me"));
        QVERIFY(!d->RiloMemo1->CanUndo());

        item(d, "DHTMLSamples11")->trigger();
        apptest::Settle();
        auto *chooser = openWindow<dialogs::TDHTML>();
        QVERIFY(chooser);
        QTest::mouseClick(button(chooser, "&Insert"), Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(d->Text(), QStringLiteral("<P>keep me</P>"));
        QCOMPARE(d->RiloMemo1->SelText(), QStringLiteral("keep me"));
        QVERIFY(chooser->isVisible());
    }

    void aMissingFileIsReportedAndChangesNothing()
    {
        TEditForm *d = doc(QStringLiteral("<P>page</P>"));
        item(d, "DHTMLSamples11")->trigger();
        apptest::Settle();
        auto *chooser = openWindow<dialogs::TDHTML>();
        QVERIFY(chooser);
        choose(chooser->ComboBox1, QStringLiteral("Zoom 1"));
        const QString zoom1 = fileText(programFile(QStringLiteral("DHTML"), QStringLiteral("zoom01")));
        QCOMPARE(chooser->RiloMemo1->Text(), zoom1);
        const QString gone = programFile(QStringLiteral("DHTML"), QStringLiteral("zoom02"));
        QVERIFY(QFile::remove(gone));
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        choose(chooser->ComboBox1, QStringLiteral("Zoom 2"));
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.at(0).contains(QDir::toNativeSeparators(gone)), qPrintable(user.Texts.at(0)));
        // The example shown before stays, and the document has not changed.
        QCOMPARE(chooser->RiloMemo1->Text(), zoom1);
        QCOMPARE(d->Text(), QStringLiteral("<P>page</P>"));
        QVERIFY(chooser->isVisible());
        // The next start of the program puts the shipped file back.
        platform::ResetFolders();
        platform::ProgramFolder();
        QCOMPARE(fileText(gone), fileText(platform::ShippedDataFolder() + QStringLiteral("/DHTML/zoom02")));
    }

    void vbScriptListInsertsTheChosenExampleAndStaysOpen()
    {
        TEditForm *d = doc(QString());
        QAction *a = item(d, "VBScript1");
        QVERIFY(a && a->isEnabled());
        a->trigger();
        apptest::Settle();
        auto *list = openWindow<dialogs::TVBScript>();
        QVERIFY(list);
        QVERIFY(!list->isModal());
        QCOMPARE(list->windowTitle(), QStringLiteral("VB Script"));
        QCOMPARE(list->ZozeZO1->Items()->Count(), 27);
        QStringList names;
        for (int i = 0; i < 27; ++i)
            names << list->ZozeZO1->Items()->Item(i)->Text();
        QCOMPARE(names, dialogs::TVBScript::Names());
        QCOMPARE(names.first(), QStringLiteral("Alert"));
        QCOMPARE(names.at(23), QStringLiteral("Simple alert  - 3 buttons"));
        QCOMPARE(names.last(), QStringLiteral("2D letter animation"));
        // Nothing selected: nothing goes in.
        QTest::mouseClick(button(list, "&Insert"), Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(d->Text(), QString());
        // "Alert", twice.
        list->ZozeZO1->SetSelected(list->ZozeZO1->Items()->Item(0));
        QTest::mouseClick(button(list, "&Insert"), Qt::LeftButton);
        QTest::mouseClick(button(list, "&Insert"), Qt::LeftButton);
        apptest::Settle();
        const QString alert = QStringLiteral("<SCRIPT LANGUAGE=\"vbscript\">\r\n<!--\r\nSub cmdShowAlert_OnClick\r\n"
                                             "    Alert \"YOUR ALERT \"\r\nEnd Sub\r\n-->\r\n</SCRIPT>\r\n"
                                             "<INPUT TYPE=\"button\" NAME=\"cmdShowAlert\" VALUE=\"YOURTXT\">\r\n");
        QCOMPARE(d->Text(), alert + alert);
        QVERIFY(list->isVisible());
        QTest::mouseClick(button(list, "&Close"), Qt::LeftButton);
        apptest::Settle();
        QVERIFY(!openWindow<dialogs::TVBScript>());
    }

    void vbScriptExamplesAreTheirOwn()
    {
        QStringList seen;
        for (const QString &name : dialogs::TVBScript::Names()) {
            const QString text = dialogs::TVBScript::Example(name);
            QVERIFY2(text.endsWith(QLatin1String("\r\n")) && !seen.contains(text), qPrintable(name));
            seen << text;
        }
        QCOMPARE(dialogs::TVBScript::Example(QStringLiteral("No such example")), QString());
        // The browser detection names the browser; the new-year count counts the days to the year's end.
        const QString detect = dialogs::TVBScript::Example(QStringLiteral("Browser detect"));
        QVERIFY(detect.contains(QLatin1String("Navigator.appName")) && detect.contains(QLatin1String("Document.Write")));
        const QString year = dialogs::TVBScript::Example(QStringLiteral("Counting to new year"));
        QVERIFY(year.contains(QLatin1String("DateDiff(\"d\", Date, DateSerial(Year(Date), 12, 31))")));
    }
};

K5_TEST_MAIN(TestSamples)
#include "test_samples.moc"
