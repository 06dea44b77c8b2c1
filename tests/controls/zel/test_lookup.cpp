#include "k5test.h"

#include "controls/zel/lookupedit.h"

#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QVBoxLayout>

using namespace zel;

namespace {
QToolButton *buttonA(QWidget *edit) { return edit->findChild<QToolButton *>(QStringLiteral("EditButton2")); }
QToolButton *buttonB(QWidget *edit) { return edit->findChild<QToolButton *>(QStringLiteral("EditButton1")); }
} // namespace

class TestLookup : public QObject {
    Q_OBJECT
private slots:
    void buttonsSitInsideTheRightEnd()
    {
        TZELLookupEdit edit;
        edit.show();
        edit.resize(200, 30);
        QCOMPARE(buttonA(&edit)->geometry(), QRect(170, 0, 26, 26));
        QCOMPARE(buttonB(&edit)->geometry(), QRect(200 - 30 - 26, 0, 26, 26));
        QCOMPARE(edit.textMargins().right(), 52);

        // Hiding A moves B to the far right, and the text reaches to it.
        edit.EditButton2().SetVisible(false);
        QCOMPARE(buttonA(&edit)->geometry(), QRect(201, 0, 0, 0));
        QCOMPARE(buttonB(&edit)->geometry(), QRect(170, 0, 26, 26));
        QCOMPARE(edit.textMargins().right(), 26);
        edit.EditButton1().SetVisible(false);
        QCOMPARE(edit.textMargins().right(), 0);
    }

    void fileLookupShowsOneButton()
    {
        TZELFileLookup edit;
        edit.show();
        edit.resize(150, 24);
        QVERIFY(!edit.EditButton2().Visible());
        QCOMPARE(buttonB(&edit)->geometry(), QRect(126, 0, 20, 20));
        QCOMPARE(edit.Filter, QStringLiteral("All Files|*.*"));
        QCOMPARE(edit.text(), QString());
    }

    void heightIsRaisedToTheMinimum()
    {
        TZELLookupEdit edit;
        edit.show();
        edit.resize(120, 3);
        QVERIFY(edit.height() > 3);
        const int h = edit.height();
        QCOMPARE(h, 4 + std::min(QFontMetrics(QApplication::font()).height(), edit.fontMetrics().height()) / 4
                        + edit.fontMetrics().height() + 1);
        QCOMPARE(buttonA(&edit)->height(), h - 4);
        // A larger font raises it again.
        QFont f = edit.font();
        f.setPixelSize(40);
        edit.setFont(f);
        QVERIFY(edit.height() > h);
        QCOMPARE(buttonA(&edit)->height(), edit.height() - 4);
    }

    void buttonsRaiseTheirEventsAndReturnFocus()
    {
        QDialog dialog;
        auto *edit = new TZELLookupEdit(&dialog);
        auto *other = new QPushButton(QStringLiteral("x"), &dialog);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit);
        layout->addWidget(other);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        other->setFocus();
        QObject *sender1 = nullptr;
        int clicks2 = 0;
        edit->OnButton1Click = [&](QObject *s) { sender1 = s; };
        edit->OnButton2Click = [&](QObject *) { ++clicks2; };
        QTest::mouseClick(buttonB(edit), Qt::LeftButton);
        QCOMPARE(sender1, edit);
        QTRY_VERIFY(edit->hasFocus());
        other->setFocus();
        QTest::mouseClick(buttonA(edit), Qt::LeftButton);
        QCOMPARE(clicks2, 1);
        QTRY_VERIFY(edit->hasFocus());

        // Unassigned events still give the focus back.
        edit->OnButton1Click = nullptr;
        other->setFocus();
        QTest::mouseClick(buttonB(edit), Qt::LeftButton);
        QTRY_VERIFY(edit->hasFocus());
    }

    void shortcutsFireTheirButtonOnly()
    {
        TZELLookupEdit edit;
        int clicks1 = 0, clicks2 = 0;
        edit.OnButton1Click = [&](QObject *) { ++clicks1; };
        edit.OnButton2Click = [&](QObject *) { ++clicks2; };
        QTest::keyClicks(&edit, QStringLiteral("ab"));
        QTest::keyClick(&edit, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(clicks1 + clicks2, 0);
        edit.EditButton1().ShortCutKey = int(Qt::ControlModifier) | Qt::Key_L;
        edit.EditButton2().ShortCutKey = Qt::Key_F4;
        QTest::keyClick(&edit, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(clicks1, 1);
        QTest::keyClick(&edit, Qt::Key_L);
        QCOMPARE(clicks1, 1);
        QTest::keyClick(&edit, Qt::Key_F4);
        QCOMPARE(clicks2, 1);
        QCOMPARE(edit.text(), QStringLiteral("abl"));
    }

    void enterAndEscapeReachTheDialog()
    {
        QDialog dialog;
        auto *edit = new TZELFileLookup(&dialog);
        auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setDefault(true);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit);
        layout->addWidget(ok);
        int accepted = 0;
        connect(ok, &QPushButton::clicked, &dialog, [&] { ++accepted; });
        dialog.show();
        edit->setText(QStringLiteral("one"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(accepted, 1);
        QCOMPARE(edit->text(), QStringLiteral("one"));
        dialog.show();
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    void enabledReachesTheButtons()
    {
        TZELLookupEdit edit;
        edit.setEnabled(false);
        QVERIFY(!buttonA(&edit)->isEnabled());
        QVERIFY(!buttonB(&edit)->isEnabled());
        edit.setEnabled(true);
        QVERIFY(buttonB(&edit)->isEnabled());
    }

    // CharCase converts what the edit holds at once, and then whatever is typed, pasted or set.
    void charCaseGovernsTheText()
    {
        TZELLookupEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCOMPARE(edit.CharCase(), ecNormal);
        edit.setText(QStringLiteral("Rot äh"));
        edit.setCursorPosition(3);
        edit.SetCharCase(ecUpperCase);
        QCOMPARE(edit.text(), QStringLiteral("ROT ÄH"));
        QCOMPARE(edit.cursorPosition(), 3);
        QTest::keyClicks(&edit, QStringLiteral("xy"));
        QCOMPARE(edit.text(), QStringLiteral("ROTXY ÄH"));
        QGuiApplication::clipboard()->setText(QStringLiteral("grün"));
        edit.end(false);
        edit.paste();
        QCOMPARE(edit.text(), QStringLiteral("ROTXY ÄHGRÜN"));
        edit.SetCharCase(ecNormal);
        QTest::keyClicks(&edit, QStringLiteral("Ab"));
        QCOMPARE(edit.text(), QStringLiteral("ROTXY ÄHGRÜNAb"));

        // The file lookup: a chosen file name is shown in the edit's case as well.
        const QString file = k5test::WriteFile(k5test::Root() + QStringLiteral("/case/Bild.GIF"), "GIF89a");
        TZELFileLookup lookup;
        lookup.SetFilename(QStringLiteral("Old.GIF"));
        lookup.SetCharCase(ecLowerCase);
        QCOMPARE(lookup.Filename(), QStringLiteral("old.gif"));
        k5test::Answerer answer;
        answer.OnModal([&](QDialog *d) {
            auto *fd = qobject_cast<QFileDialog *>(d);
            if (!fd)
                return int(platform::mrCancel);
            fd->selectFile(file);
            return int(platform::mrOk);
        });
        QTest::mouseClick(buttonB(&lookup), Qt::LeftButton);
        QCOMPARE(lookup.Filename(), file.toLower());
        QCOMPARE(lookup.CharCase(), ecLowerCase);
    }

    void fileLookupRunsTheOpenDialog()
    {
        const QString dir = k5test::Root() + QStringLiteral("/look up");
        const QString file = k5test::WriteFile(dir + QStringLiteral("/Bild Ä.GIF"), "GIF89a");
        TZELFileLookup edit;
        edit.Filter = QStringLiteral("Gif Files|*.gif|All Files|*.*");
        edit.Title = QStringLiteral("Choose a picture");
        edit.InitialDir = dir;
        edit.setText(QStringLiteral("old.gif"));

        k5test::Answerer answer;
        QStringList filters;
        QString title, shownDir;
        answer.OnModal([&](QDialog *d) {
            auto *fd = qobject_cast<QFileDialog *>(d);
            if (!fd)
                return int(platform::mrCancel);
            filters = fd->nameFilters();
            title = fd->windowTitle();
            shownDir = fd->directory().absolutePath();
            fd->selectFile(file);
            return int(platform::mrOk);
        });
        QTest::mouseClick(buttonB(&edit), Qt::LeftButton);
        QCOMPARE(filters, QStringList({QStringLiteral("Gif Files (*.gif)"), QStringLiteral("All Files (*)")}));
        QCOMPARE(title, QStringLiteral("Choose a picture"));
        QCOMPARE(shownDir, QDir(dir).absolutePath());
        QCOMPARE(edit.Filename(), file);

        // Cancel changes nothing.
        answer.OnModal([](QDialog *) { return int(platform::mrCancel); });
        QTest::mouseClick(buttonB(&edit), Qt::LeftButton);
        QCOMPARE(edit.Filename(), file);
        QCOMPARE(answer.ModalCount(), 2);
    }

    // A confirmed file may become another text (an address of it): the edit shows that text, the chosen
    // file is kept while it does, and the dialog starts at the file again.
    void aChosenFileIsShownAsItsText()
    {
        const QString file = k5test::WriteFile(k5test::Root() + QStringLiteral("/shown/a b.gif"), "GIF89a");
        TZELFileLookup edit;
        QString prefix = QStringLiteral("one/");
        edit.TextOfFile = [&](const QString &f) { return prefix + QFileInfo(f).fileName(); };
        QCOMPARE(edit.ChosenFile(), QString());
        k5test::Answerer answer;
        QString offered;
        answer.OnModal([&](QDialog *d) {
            auto *fd = qobject_cast<QFileDialog *>(d);
            if (!fd)
                return int(platform::mrCancel);
            offered = fd->selectedFiles().value(0);
            fd->selectFile(file);
            return int(platform::mrOk);
        });
        QTest::mouseClick(buttonB(&edit), Qt::LeftButton);
        QCOMPARE(edit.text(), QStringLiteral("one/a b.gif"));
        QCOMPARE(edit.ChosenFile(), file);
        QTest::mouseClick(buttonB(&edit), Qt::LeftButton);
        QCOMPARE(offered, file);
        // Shown anew once what the text depends on changed.
        prefix = QStringLiteral("two/");
        edit.ShowChosenFile();
        QCOMPARE(edit.text(), QStringLiteral("two/a b.gif"));
        QCOMPARE(edit.ChosenFile(), file);
        // Typing over it leaves a text of the user's.
        QTest::keyClick(&edit, Qt::Key_X);
        QCOMPARE(edit.ChosenFile(), QString());
        edit.ShowChosenFile();
        QVERIFY(edit.text().endsWith(QLatin1Char('x')));
    }
};

K5_TEST_MAIN(TestLookup)
#include "test_lookup.moc"
