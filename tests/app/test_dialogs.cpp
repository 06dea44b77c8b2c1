// Every dialog of the editor is a dialog window (no minimise or maximise button) whose labels show their
// mnemonics rather than a literal "&", and whose mnemonics move the focus.
#include "k5test.h"
#include "apptest.h"

#include "app/dialogs/unit_link.h"
#include "app/dialogs/unit_samples.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "app/dialogs/finddialogs.h"
#include "app/launchers.h"
#include "app/settingsform.h"

#include <QClipboard>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

using app::TEditForm;
using app::TFrameForm;

namespace {

// A lone "&" is shown as it stands; "&&" is a literal ampersand.
bool showsLiteralAmpersand(const QLabel *label)
{
    const QString t = label->text();
    if (!t.contains(QLatin1Char('&')) || label->textFormat() == Qt::RichText)
        return false;
    return label->buddy() == nullptr;
}

QString checkDialog(QWidget *w)
{
    QStringList problems;
    const Qt::WindowFlags f = w->windowFlags();
    if ((f & Qt::WindowType_Mask) != Qt::Dialog)
        problems << QStringLiteral("not a dialog window");
    if (f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint))
        problems << QStringLiteral("minimise or maximise button");
    if (!(f & Qt::WindowCloseButtonHint))
        problems << QStringLiteral("no close button");
    for (QLabel *l : w->findChildren<QLabel *>())
        if (l->isVisible() && showsLiteralAmpersand(l))
            problems << QStringLiteral("label shows \"%1\"").arg(l->text());
    return problems.isEmpty() ? QString() : w->windowTitle() + QStringLiteral(": ") + problems.join(QStringLiteral(", "));
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    TEditForm *doc = nullptr;

private slots:
    void initTestCase()
    {
        frame = new TFrameForm;
        new app::TSettings(frame);
        frame->show();
        frame->Start2->click();
        doc = frame->ActiveEditForm();
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }

    void everyDialogIsADialogWithWorkingMnemonics()
    {
        QStringList problems;
        // The modeless ones.
        doc->Find2->trigger();
        doc->Replace1->trigger();
        app::Settings->show();
        for (QWidget *w : {static_cast<QWidget *>(doc->FindDialog1), static_cast<QWidget *>(doc->ReplaceDialog1),
                           static_cast<QWidget *>(app::Settings)}) {
            QVERIFY(QTest::qWaitForWindowExposed(w));
            if (const QString p = checkDialog(w); !p.isEmpty())
                problems << p;
        }
        doc->ReplaceDialog1->hide();
        app::Settings->hide();
        doc->FindDialog1->hide();

        // The modal ones, walked while they run.
        const QList<QAction *> launchers = {doc->HyperLink1, doc->GoToLine1};
        for (QAction *a : launchers) {
            apptest::User user;
            user.Then([&](QWidget *w) {
                if (!qobject_cast<QDialog *>(w) || !w->isVisible())
                    return false;
                if (const QString p = checkDialog(w); !p.isEmpty())
                    problems << p;
                // A labelled field is reached by its mnemonic.
                for (QLabel *l : w->findChildren<QLabel *>()) {
                    const qsizetype amp = l->text().indexOf(QLatin1Char('&'));
                    if (!l->buddy() || amp < 0 || amp + 1 >= l->text().size())
                        continue;
                    const QChar key = l->text().at(amp + 1).toUpper();
                    w->activateWindow();
                    if (!QTest::qWaitForWindowActive(w))
                        problems << QStringLiteral("%1 is not the active window").arg(w->objectName());
                    QTest::keyClick(w, Qt::Key(key.unicode()), Qt::AltModifier);
                    const auto reached = [&] {
                        QWidget *focus = QApplication::focusWidget();
                        return focus == l->buddy() || l->buddy()->isAncestorOf(focus);
                    };
                    // The window may still be settling from its activation: a second press, as a user's.
                    if (!QTest::qWaitFor(reached, 500))
                        QTest::keyClick(w, Qt::Key(key.unicode()), Qt::AltModifier);
                    if (!QTest::qWaitFor(reached, 1000))
                        problems << QStringLiteral("%1: Alt+%2 does not reach its field (focus: %3)").arg(w->windowTitle(), key, QApplication::focusWidget() ? QApplication::focusWidget()->objectName() + QLatin1Char('/') + QString::fromLatin1(QApplication::focusWidget()->metaObject()->className()) : QString());
                }
                static_cast<QDialog *>(w)->reject();
                return true;
            });
            a->trigger();
            apptest::Settle();
            QVERIFY2(user.Done(), qPrintable(a->text()));
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // Tab walks every dialog in the order the eye reads it, and each has the border of a dialog.
    void tabFollowsTheVisualOrderInEveryDialog()
    {
        QStringList problems;
        doc->Find2->trigger();
        doc->Replace1->trigger();
        app::Settings->show();
        for (QWidget *w : {static_cast<QWidget *>(doc->FindDialog1), static_cast<QWidget *>(doc->ReplaceDialog1),
                           static_cast<QWidget *>(app::Settings)}) {
            QVERIFY(QTest::qWaitForWindowExposed(w));
            problems << apptest::FocusOrderProblems(w);
            w->hide();
        }
        QStringList walked;
        auto walk = [&](QWidget *w) {
            auto *d = qobject_cast<QDialog *>(w);
            if (!d || !d->isVisible())
                return false;
            walked << d->windowTitle();
            problems << apptest::FocusOrderProblems(d);
            if (const QString p = apptest::BorderProblems(d); !p.isEmpty())
                problems << p;
            d->reject();
            return true;
        };
        {
            apptest::User user;
            user.Then(walk);
            doc->GoToLine1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        // Every window of the launcher table: the modal ones while they run, the others once shown.
        for (const app::TLauncher &l : app::Launchers()) {
            const QWidgetList before = QApplication::topLevelWidgets();
            apptest::User user;
            user.Then(walk);
            QVERIFY(app::Launch(QString::fromLatin1(l.item)));
            apptest::Settle();
            if (user.Done())
                continue;
            QWidget *shown = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && !before.contains(w) && w != frame && !qobject_cast<QMenu *>(w))
                    shown = w;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (!shown && w->isVisible() && w != frame && w != app::Settings && !qobject_cast<QMenu *>(w) && w->windowTitle() != QString())
                    shown = w; // shown before and shown again
            // "Add Signature..." inserts the signature at once: no window.
            if (!shown && qstrcmp(l.item, "Signature2") == 0) {
                walked << QStringLiteral("(inserted at once)");
                continue;
            }
            QVERIFY2(shown, l.item);
            QVERIFY(QTest::qWaitForWindowExposed(shown));
            walked << shown->windowTitle();
            problems << apptest::FocusOrderProblems(shown);
            if (const QString p = apptest::BorderProblems(shown); !p.isEmpty())
                problems << p;
            shown->close();
            apptest::Settle();
        }
        QCOMPARE(walked.size(), int(app::Launchers().size()) + 1);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // A window the menu opens again while one is open: each inserts its own text, also once the other
    // has closed.
    void eachOpenWindowOfAKindInsertsItsOwnText()
    {
        doc->ReplaceText(QString());
        auto open = [](const char *item, const char *className) {
            app::Launch(QString::fromLatin1(item));
            apptest::Settle();
            return QPointer<dialogs::TTagDialog>(dialogs::Instance(QString::fromLatin1(className)));
        };
        QPointer<dialogs::TTagDialog> older = open("ExtendedCharacters1", "TExCharacters");
        QPointer<dialogs::TTagDialog> newer = open("ExtendedCharacters1", "TExCharacters");
        QVERIFY(older && newer && older != newer && older->isVisible() && newer->isVisible());
        QTest::mouseClick(older->findChild<QPushButton *>(QStringLiteral("SpeedButton3")), Qt::LeftButton); // "&copy;"
        QTest::mouseClick(newer->findChild<QPushButton *>(QStringLiteral("SpeedButton2")), Qt::LeftButton); // "&reg;"
        QTest::mouseClick(older->Button1, Qt::LeftButton);
        QTest::mouseClick(newer->Button1, Qt::LeftButton);
        QCOMPARE(doc->Text(), QStringLiteral("&copy;&reg;"));
        newer->close();
        apptest::Settle();
        QTest::mouseClick(older->Button1, Qt::LeftButton);
        QCOMPARE(doc->Text(), QStringLiteral("&copy;&reg;&copy;"));
        older->close();

        doc->ReplaceText(QString());
        QPointer<dialogs::TTagDialog> first = open("VBScript1", "TVBScript");
        QPointer<dialogs::TTagDialog> second = open("VBScript1", "TVBScript");
        QVERIFY(first && second && first != second);
        auto choose = [](dialogs::TTagDialog *d, int example) {
            auto *tree = static_cast<dialogs::TVBScript *>(d)->ZozeZO1;
            tree->SetSelected(tree->Items()->Item(example));
        };
        choose(first, 0);
        choose(second, 2);
        QTest::mouseClick(first->Button1, Qt::LeftButton);
        QCOMPARE(doc->Text(), dialogs::TVBScript::Example(dialogs::TVBScript::Names().at(0)));
        second->close();
        apptest::Settle();
        QTest::mouseClick(first->Button1, Qt::LeftButton);
        QCOMPARE(doc->Text(), dialogs::TVBScript::Example(dialogs::TVBScript::Names().at(0)).repeated(2));
        first->close();
        apptest::Settle();
    }

    // What the user pastes or types into a memo field is inserted character for character: a no-break
    // space stays one, and so do the other spaces, marks and joiners a plain-text reading changes.
    void memoFieldsKeepWhatIsPastedAndTyped()
    {
        const QString pasted = QStringLiteral("a\u00a0b\u2007c\u202fd\u3000e\u00adf\u200bg\u200dh\ufeffi\tj\r\nline two\u00a0");
        const QString typed = QStringLiteral("\u00a0k\u00a0");
        struct Case {
            const char *item, *cls, *field;
        };
        const Case cases[] = {{"Comment2", "TKommentar", "Memo1"},   {"Text1", "Txmltext", "Memo1"},
                              {"HyperLink1", "TLink", "Description"}, {"Email2", "TEmail", "Description"},
                              {"NOFrames1", "TNOFRAMES", "Memo1"},    {"Credit1", "Tdhtml_credit", "Text to scroll"}};
        for (const Case &c : cases) {
            doc->ReplaceText(QString());
            apptest::User user;
            bool filled = false;
            user.Then([&](QWidget *w) {
                auto *d = dynamic_cast<dialogs::TTagDialog *>(w);
                auto *memo = d ? d->findChild<QPlainTextEdit *>(QString::fromLatin1(c.field)) : nullptr;
                if (!memo)
                    return false;
                memo->setFocus();
                QGuiApplication::clipboard()->setText(pasted);
                QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
                // A line break typed with Shift+Enter is a line break as well.
                QTest::keyClick(memo, Qt::Key_Return, Qt::ShiftModifier);
                QTest::sendKeyEvent(QTest::Click, memo, Qt::Key_unknown, typed, Qt::NoModifier);
                filled = true;
                QTest::mouseClick(d->Button1, Qt::LeftButton);
                return true;
            });
            QVERIFY(app::Launch(QString::fromLatin1(c.item)));
            apptest::Settle();
            QVERIFY2(user.Done() && filled, c.cls);
            QVERIFY2(doc->Text().contains(pasted + QStringLiteral("\r\n") + typed), qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(c.cls), doc->Text())));
        }
    }

    // The user's way through Replace: the find text, Tab, the replacement, Alt+A.
    void replaceAllByKeyboard()
    {
        doc->ReplaceText(QStringLiteral("<B>old</B> and <I>old</I>"));
        doc->Replace1->trigger();
        dialogs::TReplaceDialog *d = doc->ReplaceDialog1;
        d->FindEdit->clear();
        d->ReplaceEdit->clear();
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        d->FindEdit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d->FindEdit));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("old"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("new"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(d->FindEdit->text(), QStringLiteral("old"));
        QCOMPARE(d->ReplaceEdit->text(), QStringLiteral("new"));
        // A mnemonic presses its button the way a click does, a moment later.
        QTRY_COMPARE(doc->Text(), QStringLiteral("<B>new</B> and <I>new</I>"));
        d->hide();
    }
};

K5_TEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
