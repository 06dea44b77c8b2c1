// Every menu item of the main window and of a document window, and every item of the tool bar, with a
// document open and with none: each enabled item runs, whatever it opens is cancelled or closed, no error
// is shown and the text stays as it was. Items whose windows come later are there, and disabled.
#include "k5test.h"
#include "apptest.h"

#include "controls/speedbar/speedbar.h"
#include "platform/mail/mailaccount.h"

#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

using app::TEditForm;
using app::TFrameForm;

namespace {

const QString page = QStringLiteral("<HTML>\r\n<BODY>\r\n<P>crawl</P>\r\n</BODY>\r\n</HTML>");

QList<QAction *> itemsOf(const QList<QMenu *> &menus)
{
    QList<QAction *> out;
    for (QMenu *m : menus)
        for (QAction *a : m->actions()) {
            if (a->isSeparator())
                continue;
            if (a->menu())
                out << itemsOf({a->menu()});
            else if (!a->objectName().isEmpty())
                out << a;
        }
    return out;
}

// Cancels whatever modal window comes up, noting message boxes.
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
                d->reject();
            }
        });
        timer_.start();
    }
    QStringList Boxes, Dialogs;

private:
    QTimer timer_;
};

} // namespace

class TestCrawl : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    TEditForm *ensureDocument()
    {
        TEditForm *doc = frame->ActiveEditForm();
        if (!doc) {
            frame->Start2->click();
            doc = frame->ActiveEditForm();
            // A document with a file, so that commands that need one (upload) run to the end.
            doc->FileName = k5test::Root() + QStringLiteral("/tmp/crawl.htm");
        }
        if (doc->Text() != page) { // a new document made by an item starts from its own page
            doc->ReplaceText(page);
            doc->RiloMemo1->ClearUndo();
        }
        // An item run before may have left it modified (and undone): closing must not ask.
        doc->SetModified(false);
        return doc;
    }
    void closeStrayWindows()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != frame && w->isVisible() && !qobject_cast<QMenu *>(w))
                w->close();
        apptest::Settle();
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
        frame = new TFrameForm;
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
    }
    void cleanupTestCase()
    {
        apptest::CloseAll(*frame);
        delete frame;
    }

    void laterItemsAreThereAndDisabled()
    {
        QVERIFY(frame->CloseProject1->isVisible() && !frame->CloseProject1->isEnabled());
        // The project manager, the file list, and the shared border and theme windows are built.
        QVERIFY(frame->ProjectManager1->isEnabled() && frame->EditFilelist1->isEnabled());
        QVERIFY(frame->StartProject1->isEnabled() && frame->StartTheme1->isEnabled());
        TEditForm *doc = ensureDocument();
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

    void everyItemRuns_data()
    {
        QTest::addColumn<bool>("withDocument");
        QTest::newRow("no document") << false;
        QTest::newRow("a document") << true;
    }
    void everyItemRuns()
    {
        QFETCH(bool, withDocument);
        if (withDocument)
            ensureDocument();
        QGuiApplication::clipboard()->clear();
        QList<QMenu *> menus = {frame->Window1};
        if (TEditForm *doc = frame->ActiveEditForm())
            menus = doc->Menus() << doc->PopupMenu1 << frame->Window1;
        else
            menus.prepend(frame->File1);
        QStringList names;
        for (QAction *a : itemsOf(menus))
            names << a->objectName();
        QVERIFY(names.size() > 10);
        QStringList ran;
        for (const QString &name : names) {
            // Exit ends the program: it has tests of its own.
            if (name.startsWith(QLatin1String("Exit")))
                continue;
            TEditForm *doc = withDocument ? ensureDocument() : nullptr;
            if (doc)
                doc->RiloMemo1->Select(0, 0);
            QList<QMenu *> now = {frame->Window1};
            now << (doc ? doc->Menus() << doc->PopupMenu1 : QList<QMenu *>{frame->File1});
            QAction *a = nullptr;
            for (QAction *x : itemsOf(now))
                if (x->objectName() == name)
                    a = x;
            if (!a || !a->isEnabled())
                continue;
            Canceller cancel;
            a->trigger();
            apptest::Settle();
            closeStrayWindows();
            QVERIFY2(cancel.Boxes.isEmpty(), qPrintable(name + QStringLiteral(": ") + cancel.Boxes.join(QLatin1Char('\n'))));
            if (doc && frame->EditForms().contains(doc) && doc->Text() != page) {
                // A cancelled window changes nothing; a command that inserts is one step that Undo takes back.
                QVERIFY2(cancel.Dialogs.isEmpty(), qPrintable(name + QStringLiteral(" changed the text")));
                doc->RiloMemo1->Undo();
                QVERIFY2(doc->Text() == page, qPrintable(name + QStringLiteral(" changed the text beyond one undo")));
            }
            ran << name;
        }
        QVERIFY(ran.contains(QStringLiteral("Open1")) || ran.contains(QStringLiteral("Open2")));
        if (withDocument) {
            for (const char *n : {"Print1", "Print2", "PrinterSetup1", "GoToLine1", "HyperLink1", "Find2", "Saveas1"})
                QVERIFY2(ran.contains(QString::fromLatin1(n)), n);
        }
        apptest::CloseAll(*frame);
    }

    // The Preview tab's buttons are crawled too; "Email" opens the same mail window as Quick Email.
    void previewEmailButtonOpensTheMailWindow()
    {
        TEditForm *doc = ensureDocument();
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

    void everyToolBarItemRuns_data() { everyItemRuns_data(); }
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
                doc = ensureDocument();
                doc->RiloMemo1->Select(0, 0);
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
            closeStrayWindows();
            const QString name = item->Caption();
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
