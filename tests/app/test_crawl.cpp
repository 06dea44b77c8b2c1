// Every menu item of the main window and of a document window (the tool bar's items after them), with a document open and with none: each
// item has the caption and the enabled state its row below gives; each enabled item runs, with a
// selection in the active document and text on the clipboard, whatever it opens is cancelled or closed
// (the focus order of every dialog checked on the way), no error is shown, and afterwards the text, the
// clipboard, the open documents and what was handed to the desktop are what the row says the item does.
// An item without a row fails, and the message proposes the row from what the item did: check it, then
// add it.
#include "k5test.h"
#include "apptest.h"
#include "crawlitems.h"

#include "app/settingsform.h"
#include "controls/speedbar/speedbar.h"
#include "platform/mail/mailaccount.h"
#include "platform/shell/shell.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>
#include <QPageSetupDialog>
#include <QPrintDialog>

using app::TEditForm;
using app::TFrameForm;

namespace {

using namespace crawl;

const QString page = QStringLiteral("<HTML>\r\n<BODY>\r\n<P>crawl</P>\r\n</BODY>\r\n</HTML>");
const QString otherPage = QStringLiteral("<P>the other document</P>");
const QString clip = QStringLiteral("from the clipboard");
const int selStart = int(page.indexOf(QStringLiteral("crawl")));
const int selLength = 5;

// Qt's own dialogs, whose focus order is Qt's.
bool isQtsOwn(QWidget *w)
{
    return qobject_cast<QMessageBox *>(w) || qobject_cast<QFileDialog *>(w) || qobject_cast<QPrintDialog *>(w) ||
           qobject_cast<QPageSetupDialog *>(w);
}

// Cancels whatever modal window comes up, noting message boxes and checking each dialog's focus order.
class Canceller : public QObject {
public:
    Canceller()
    {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || !w->isVisible())
                return;
            if (auto *box = qobject_cast<QMessageBox *>(w)) {
                Boxes << box->text();
                if (box->escapeButton())
                    box->escapeButton()->click();
                else
                    box->reject();
            } else if (auto *d = qobject_cast<QDialog *>(w)) {
                Dialogs << QString::fromLatin1(d->metaObject()->className());
                if (!isQtsOwn(d))
                    FocusProblems << apptest::FocusOrderProblems(d);
                if (const QString border = apptest::BorderProblems(d); !border.isEmpty())
                    FocusProblems << border;
                d->reject();
            }
        });
        timer_.start();
    }
    QStringList Boxes, Dialogs, FocusProblems;

private:
    QTimer timer_;
};

QString quoted(const QString &s)
{
    QString out = s;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

class TestCrawl : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    QStringList opened; // what was handed to the desktop

    // Two documents: another one behind, and the active one with the page, "crawl" selected. The active one
    // has a file name, so that commands that need one (upload) run to the end.
    QPair<QPointer<TEditForm>, QPointer<TEditForm>> twoDocuments()
    {
        apptest::CloseAll(*frame);
        frame->Start2->click();
        QPointer<TEditForm> other = frame->ActiveEditForm();
        other->ReplaceText(otherPage);
        frame->Start2->click();
        QPointer<TEditForm> active = frame->ActiveEditForm();
        active->FileName = k5test::Root() + QStringLiteral("/tmp/crawl.htm");
        active->ReplaceText(page);
        active->RiloMemo1->ClearUndo();
        active->RiloMemo1->Select(selStart, selLength);
        return {other, active};
    }
    QStringList closeStrayWindows()
    {
        QStringList problems;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != frame && w->isVisible() && !qobject_cast<QMenu *>(w)) {
                if (qobject_cast<QDialog *>(w) && !isQtsOwn(w))
                    problems << apptest::FocusOrderProblems(w);
                if (const QString border = apptest::BorderProblems(w); !border.isEmpty())
                    problems << border;
                w->close();
            }
        apptest::Settle();
        return problems;
    }
    // The menus shown now: the document's (its pop-up menus too) or the main window's own File menu, and Window.
    QList<QMenu *> menusNow() const
    {
        QList<QMenu *> menus;
        if (TEditForm *doc = frame->ActiveEditForm()) {
            menus << doc->Menus();
            for (const char *popup : {"PopupMenu1", "PopupMenu2"})
                if (auto *m = doc->findChild<QMenu *>(QLatin1String(popup)))
                    menus << m;
        } else {
            menus << frame->File1;
        }
        return menus << frame->Window1;
    }
    // The items, and the menus of the bar as items of their own (their captions count as well).
    QList<QPair<QString, QAction *>> allItems() const
    {
        QList<QPair<QString, QAction *>> out;
        for (QMenu *m : menusNow())
            if (!m->title().isEmpty())
                out << qMakePair(m->objectName(), m->menuAction());
        return out << itemsOf(menusNow());
    }

private slots:
    void initTestCase()
    {
        // With a mail account the mail window opens without asking for one.
        platform::MailAccount account;
        account.name = QStringLiteral("crawl");
        account.sender = QStringLiteral("crawl@example.invalid");
        account.server.host = QStringLiteral("127.0.0.1");
        QVERIFY(platform::SaveMailAccount(account));
        platform::SetDefaultMailAccount(account.name);
        platform::SetOpenHook([this](const QString &what) {
            opened << what;
            return true;
        });
        frame = new TFrameForm;
        new app::TSettings(frame); // as at start-up: the Settings item has its window
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
    }
    void cleanupTestCase()
    {
        apptest::CloseAll(*frame);
        delete frame;
        platform::SetOpenHook(nullptr);
    }

    void laterItemsAreThereAndDisabled()
    {
        QVERIFY(frame->CloseProject1->isVisible() && !frame->CloseProject1->isEnabled());
        // The project manager, the file list, and the shared border and theme windows are built.
        QVERIFY(frame->ProjectManager1->isEnabled() && frame->EditFilelist1->isEnabled());
        QVERIFY(frame->StartProject1->isEnabled() && frame->StartTheme1->isEnabled());
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        QVERIFY(frame->CloseProject1->isEnabled() && doc->CloseProject2->isEnabled());
        // Without those windows there would be nothing to close.
        const auto project = frame->OnStartProject, theme = frame->OnStartTheme;
        frame->OnStartProject = nullptr;
        frame->OnStartTheme = nullptr;
        frame->UpdateDocumentCommands();
        QVERIFY(!frame->StartProject1->isEnabled() && !frame->StartTheme1->isEnabled());
        QVERIFY(!frame->CloseProject1->isEnabled() && doc->CloseProject2->isVisible() && !doc->CloseProject2->isEnabled());
        frame->OnStartProject = project;
        frame->OnStartTheme = theme;
        frame->UpdateDocumentCommands();
        QVERIFY(doc->CloseProject2->isEnabled());
        apptest::CloseAll(*frame);
    }

    void everyItemIsWhatItsRowSaysAndRuns()
    {
        QStringList problems, proposed;
        QSet<QString> met;
        for (const bool withDocument : {false, true}) {
            const QString context = withDocument ? QStringLiteral("with a document") : QStringLiteral("with none");
            if (withDocument)
                twoDocuments();
            else
                apptest::CloseAll(*frame);
            QStringList names;
            int enabled = 0, skipped = 0;
            const QList<QPair<QString, QAction *>> all = allItems();
            QVERIFY(all.size() > 10);
            for (const auto &[key, a] : all) {
                const Item *row = rowOf(key);
                if (!row) {
                    if (a->isEnabled() && !a->menu())
                        names << key; // run, to propose its row
                    else
                        proposed << QStringLiteral("    {%1, %2, On::%3, Does::%4},")
                                        .arg(quoted(key.mid(key.indexOf(QLatin1Char('/')) + 1)), quoted(a->text()),
                                             QLatin1String(a->isEnabled() ? "Always" : "Never"),
                                             QLatin1String(a->menu() ? "Submenu" : "Nothing"));
                    continue;
                }
                met << QLatin1String(row->name);
                if (a->text() != QString::fromUtf8(row->caption))
                    problems << QStringLiteral("%1: caption \"%2\", not \"%3\"").arg(a->objectName(), a->text(), QString::fromUtf8(row->caption));
                const bool shouldBe = row->enabled == On::Always || (row->enabled == On::WithDocument && withDocument);
                if (a->isEnabled() != shouldBe)
                    problems << QStringLiteral("%1 %2: %3").arg(a->objectName(), context, a->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
                if ((a->menu() != nullptr) != (row->does == Does::Submenu))
                    problems << QStringLiteral("%1: %2").arg(a->objectName(), a->menu() ? QStringLiteral("a submenu") : QStringLiteral("not a submenu"));
                if (!a->isEnabled() || a->menu())
                    continue;
                ++enabled;
                if (row->does == Does::EndsProgram)
                    ++skipped;
                else
                    names << key;
            }

            int ran = 0;
            for (const QString &name : names) {
                QPointer<TEditForm> other, active;
                if (withDocument)
                    std::tie(other, active) = twoDocuments();
                else
                    apptest::CloseAll(*frame);
                QGuiApplication::clipboard()->setText(clip);
                opened.clear();
                QAction *a = nullptr;
                for (const auto &[key, x] : itemsOf(menusNow()))
                    if (key == name)
                        a = x;
                QVERIFY2(a && a->isEnabled(), qPrintable(name));
                const Item *row = rowOf(name);
                const QString itemName = a->objectName(), caption = a->text(); // the item may go with its document
                const int before = frame->MDIChildCount();
                {
                    Canceller cancel;
                    a->trigger();
                    apptest::Settle();
                    problems << closeStrayWindows();
                    problems << cancel.FocusProblems;
                    if (!cancel.Boxes.isEmpty())
                        problems << name + QStringLiteral(" showed: ") + cancel.Boxes.join(QLatin1Char('\n'));
                }
                if (row)
                    ++ran;
                const QString what = name + QLatin1Char(' ') + context + QStringLiteral(": ");

                // What it did.
                const int after = frame->MDIChildCount();
                const QString board = QGuiApplication::clipboard()->text();
                const QString selected = page.mid(selStart, selLength);
                const QString without = QString(page).remove(selStart, selLength);
                Does did = Does::Other;
                QString text;
                if (after == before + 1) {
                    did = Does::NewDocument;
                } else if (withDocument && after == 0) {
                    did = Does::ClosesAll;
                } else if (withDocument && !active && other && after == before - 1) {
                    did = Does::ClosesDocument;
                } else if (after != before || (withDocument && (!active || !other))) {
                    did = Does::Other;
                } else if (!opened.isEmpty()) {
                    did = Does::Opens;
                } else if (!withDocument) {
                    did = Does::Nothing;
                } else {
                    text = active->Text();
                    if (text == page && board == clip)
                        did = std::abs(active->RiloMemo1->SelLength()) == active->RiloMemo1->CharCount() ? Does::SelectAll : Does::Nothing;
                    else if (text == page && board == selected)
                        did = Does::Copy;
                    else if (text == without && board == selected)
                        did = Does::Cut;
                    else if (text == without && board == clip)
                        did = Does::Delete;
                    else if (text == QString(page).replace(selStart, selLength, clip) && board == clip)
                        did = Does::Paste;
                    else if (board == clip && text.size() > without.size() && text.startsWith(page.left(selStart)) &&
                             text.endsWith(page.mid(selStart + selLength)))
                        did = Does::Inserts;
                }
                if (withDocument && other && other->Text() != otherPage)
                    did = Does::Other;
                if (did == Does::Inserts) {
                    // An insertion is one step, which Undo takes back.
                    active->RiloMemo1->Undo();
                    if (active->Text() != page)
                        problems << what + QStringLiteral("Undo does not take the insertion back");
                }
                if (!row) {
                    proposed << QStringLiteral("    {%1, %2, On::Always, Does::%3},").arg(quoted(itemName), quoted(caption), QLatin1String(doesNames[int(did)]));
                    continue;
                }
                if (did != row->does)
                    problems << what + QStringLiteral("did %1, its row says %2%3")
                                           .arg(QLatin1String(doesNames[int(did)]), QLatin1String(doesNames[int(row->does)]),
                                                text.isEmpty() ? QString() : QStringLiteral(" (the text is now ") + quoted(text) + QLatin1Char(')'));
            }
            // Every enabled item ran, but those that end the program.
            if (ran != enabled - skipped)
                problems << QStringLiteral("%1: %2 of %3 enabled items ran").arg(context).arg(ran).arg(enabled - skipped);
        }
        for (const Item &i : items)
            if (!met.contains(QLatin1String(i.name)))
                problems << QStringLiteral("%1: in no menu").arg(QLatin1String(i.name));
        if (!proposed.isEmpty()) {
            // Line by line: a test message of this length would be cut.
            proposed.removeDuplicates();
            problems << QStringLiteral("%1 items without a row; what they did now is below, to check before adding").arg(proposed.size());
            for (const QString &row : proposed)
                qInfo("%s", qPrintable(row));
        }
        apptest::CloseAll(*frame);
        // The whole list, which a failure message would cut short.
        for (const QString &p : problems)
            qInfo("%s", qPrintable(p));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void everyToolBarItemRuns_data()
    {
        QTest::addColumn<bool>("withDocument");
        QTest::newRow("no document") << false;
        QTest::newRow("a document") << true;
    }
    // The Preview tab's buttons are crawled too; "Email" opens the same mail window as Quick Email.
    void previewEmailButtonOpensTheMailWindow()
    {
        TEditForm *doc = twoDocuments().second;
        QVERIFY(doc->OnQuickEmail);
        Canceller cancel;
        doc->SpeedButton11->click();
        apptest::Settle();
        closeStrayWindows();
        QVERIFY2(cancel.Boxes.isEmpty(), qPrintable(cancel.Boxes.join(QLatin1Char('\n'))));
        QCOMPARE(cancel.Dialogs, QStringList{QStringLiteral("publish::TfrmMail")});
        QCOMPARE(doc->Text(), page);
        apptest::CloseAll(*frame);
    }

    void everyToolBarItemRuns()
    {
        QFETCH(bool, withDocument);
        QGuiApplication::clipboard()->clear();
        QList<speedbar::TSpeedItem *> items;
        frame->SpeedBar1->ForEachItem([&items](speedbar::TSpeedItem *it) { items << it; });
        QCOMPARE(items.size(), 101);
        QStringList ran;
        for (speedbar::TSpeedItem *item : items) {
            TEditForm *doc = nullptr;
            if (withDocument) {
                doc = twoDocuments().second;
            } else {
                apptest::CloseAll(*frame); // an item run before may have made one
            }
            if (!item->Enabled())
                continue;
            QHash<TEditForm *, QString> before;
            for (TEditForm *other : frame->EditForms())
                before.insert(other, other->Text());
            Canceller cancel;
            item->ButtonClick();
            apptest::Settle();
            const QStringList stray = closeStrayWindows();
            const QString name = item->Caption();
            QVERIFY2(stray.isEmpty(), qPrintable(name + QStringLiteral(": ") + stray.join(QLatin1Char('\n'))));
            QVERIFY2(cancel.Boxes.isEmpty(), qPrintable(name + QStringLiteral(": ") + cancel.Boxes.join(QLatin1Char('\n'))));
            for (auto it = before.begin(); it != before.end(); ++it)
                if (it.key() != doc && frame->EditForms().contains(it.key()))
                    QVERIFY2(it.key()->Text() == it.value(), qPrintable(name + QStringLiteral(" changed another document")));
            if (doc && frame->EditForms().contains(doc) && doc->Text() != page) {
                QVERIFY2(cancel.Dialogs.isEmpty(), qPrintable(name + QStringLiteral(" changed the text")));
                doc->RiloMemo1->Undo();
                QVERIFY2(doc->Text() == page, qPrintable(name + QStringLiteral(" changed the text beyond one undo")));
            }
            ran << name;
        }
        if (withDocument) {
            QVERIFY(ran.size() > 60);
            for (const char *n : {"Save", "Print", "Bold", "Link", "Find", "Help", "Bake Cookie", "IE Filter"})
                QVERIFY2(ran.contains(QString::fromLatin1(n)), n);
        } else {
            QCOMPARE(ran, (QStringList{QStringLiteral("New"), QStringLiteral("Open")}));
        }
        apptest::CloseAll(*frame);
    }
};

K5_TEST_MAIN(TestCrawl)
#include "test_crawl.moc"
