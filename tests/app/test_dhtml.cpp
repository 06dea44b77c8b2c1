// The DHTML menu's effects, the channel file and the about box reached from a document's menus, answered in
// their real windows: what reaches the document, by which relay, and in how many undo steps.
#include "k5test.h"
#include "apptest.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/unit_about.h"
#include "platform/shell/folderdialog.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>

using app::TEditForm;
using app::TFrameForm;

namespace {

// A step that types into named fields of the dialog that comes up.
apptest::User::Step fills(QList<QPair<QString, QString>> values)
{
    return [values](QWidget *w) {
        for (const auto &[name, value] : values) {
            auto *f = w->findChild<QWidget *>(name);
            if (!f)
                return false;
            dialogs::SetFieldText(f, QString());
            f->setFocus();
            QTest::keyClicks(f, value);
        }
        return true;
    };
}

} // namespace

class TestDhtml : public QObject {
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

    void everyEffectHasItsItem()
    {
        TEditForm *d = doc(QString());
        for (const char *name : {"DHTMLAnimation1", "Bookmark1", "ColorButton1", "Marquee1", "MenuBuilder1",
                                 "FadedDropDownMenu1", "ToolTip1", "SlideInMenu1", "DragInMenuBar1", "KeybordInMenuBar1",
                                 "NoRightClick1", "PrintButton1", "PopupImage1", "TextType1", "FadingTickerTape1",
                                 "FullScreenWindowOpener1", "FullChannelOpener1", "BlinkingTable1", "Calculator1", "Clock1",
                                 "Clock21", "Credit1", "PopupMenuCreator1", "Channel1", "AboutKestrova1", "DHTMLSamples11"}) {
            QAction *a = item(d, name);
            QVERIFY2(a && a->isEnabled(), name);
        }
    }

    void theSameEffectTwiceGoesInTwice()
    {
        TEditForm *d = doc(QStringLiteral("<P>"));
        const QString link = QStringLiteral("<A HREF=\"help.htm\" onMouseover=\"showtip2(this,event,'Tip')\" "
                                            "onMouseout=\"hidetip2()\">Help</A>\r\n");
        for (int round = 1; round <= 2; ++round) {
            apptest::User user;
            user.Then(fills({{"URL", "help.htm"}, {"Description", "Help"}, {"Tool Tip", "Tip"}})).Click(QStringLiteral("Ok"));
            item(d, "ToolTip1")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            QVERIFY2(d->Text().count(link) == round, qPrintable(d->Text()));
            QVERIFY(frame->DHTML_Memo->Text().isEmpty());
        }
        QVERIFY(d->Text().startsWith(QStringLiteral("<P>")));
        QCOMPARE(d->Text().count(QStringLiteral("function showtip2(")), 2);
        QVERIFY(!dialogs::Instance(QStringLiteral("TDHTML_Tooltip")));
    }

    void anItemBuilderGoesInThroughMemo1()
    {
        TEditForm *d = doc(QStringLiteral("x"));
        QStringList relayed;
        const app::TNotifyEvent insert = frame->Memo1->OnChange;
        frame->Memo1->OnChange = [&](QObject *s) {
            if (!frame->Memo1->Text().isEmpty())
                relayed << frame->Memo1->Text();
            insert(s);
        };
        apptest::User user;
        user.Then(fills({{"Item Caption", "Home"}, {"Item URL", "index.htm"}}))
            .Click(QStringLiteral("Add"))
            .Click(QStringLiteral("Ok"));
        item(d, "SlideInMenu1")->trigger();
        apptest::Settle();
        frame->Memo1->OnChange = insert;
        QVERIFY(user.Done());
        QCOMPARE(relayed.size(), 1);
        QVERIFY(relayed.at(0).contains(QStringLiteral("sitems[0]=\"Home\"\r\nsitemlinks[0]=\"index.htm\"\r\n")));
        QCOMPARE(d->Text(), QStringLiteral("x") + relayed.at(0));
        QVERIFY(frame->Memo1->Text().isEmpty());
        d->RiloMemo1->Undo();
        QCOMPARE(d->Text(), QStringLiteral("x"));
    }

    void theAnimationStaysForAChoice()
    {
        TEditForm *d = doc(QString());
        item(d, "DHTMLAnimation1")->trigger();
        apptest::Settle();
        dialogs::TTagDialog *dialog = dialogs::Instance(QStringLiteral("TAnimation"));
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        QTest::keyClicks(dialog->findChild<QWidget *>(QStringLiteral("Text to animate")), QStringLiteral("Hi"));
        QTest::mouseClick(dialog->findChild<QRadioButton *>(QStringLiteral("Min")), Qt::LeftButton);
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        apptest::Settle();
        QCOMPARE(d->Text(), QStringLiteral("<p dynamicanimation=\"\" style=\"position: relative !important; "
                                           "left: 10000px !important\">Hi</p>\r\n"));
        QVERIFY(!dialogs::Instance(QStringLiteral("TAnimation")));
    }

    void theChannelWritesItsFileThenLinksIt()
    {
        const QString folder = k5test::Root() + QStringLiteral("/channel");
        QVERIFY(QDir().mkpath(folder));
        TEditForm *d = doc(QStringLiteral("<BODY>"));
        apptest::User user;
        user.Then([folder](QWidget *w) {
                auto *chooser = qobject_cast<platform::FolderDialog *>(w);
                if (!chooser)
                    return false;
                chooser->SetSelection(folder);
                chooser->accept();
                return true;
            })
            .Then(fills({{"Title", "News & <Views>"}, {"Introduction Page", "index.htm"}}))
            .Click(QStringLiteral("Ok"));
        item(d, "Channel1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(d->Text(), QStringLiteral("<BODY><A HREF=\"qv_channel.cdf\">Channel, Click here</A>"));
        const QByteArray file = k5test::ReadFile(folder + QStringLiteral("/qv_channel.cdf"));
        QVERIFY(file.startsWith("<?XML Version=\"1.0\" Encoding=\"iso-8859-1\" ?><Channel HREF=\"index.htm\" BASE=\"\""));
        // The file is XML: the title is text in it, whatever it holds.
        QVERIFY(file.contains("\r\n<Title>News &amp; &lt;Views&gt;</Title>\r\n"));
        // Nothing is left beside it.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"qv_channel.cdf"}));
    }

    void theAboutBoxShowsThisMachinesMemory()
    {
        TEditForm *d = doc(QString());
        QString physical, inUse;
        apptest::User user;
        user.Then([&](QWidget *w) {
            auto *box = qobject_cast<dialogs::TAboutBox *>(w);
            if (!box)
                return false;
            physical = box->PhysMem->text();
            inUse = box->MemUsed->text();
            QTest::mouseClick(box->ProductName, Qt::LeftButton);
            return true;
        });
        item(d, "AboutKestrova1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9][0-9,.\\s\\x{a0}\\x{202f}']* KB$")).match(physical).hasMatch(),
                 qPrintable(physical));
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9]{1,3} %$")).match(inUse).hasMatch(), qPrintable(inUse));
        QCOMPARE(d->Text(), QString());
    }
};

K5_TEST_MAIN(TestDhtml)
#include "test_dhtml.moc"
