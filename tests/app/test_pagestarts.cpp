// Whole pages from the home-page wizards, the shared-border layouts and the themes, answered in their real
// windows: what the document holds afterwards, in how many undo steps, and what File > New does next.
#include "k5test.h"
#include "apptest.h"

#include "app/assistants/unit_tempstart.h"
#include "app/assistants/unit_theme.h"
#include "app/assistants/templates.h"
#include "app/dialogs/engine.h"
#include "app/workflow.h"
#include "controls/tree/zozezo.h"
#include "controls/tree/zozezonode.h"
#include "controls/zel/formslide.h"
#include "platform/folders.h"
#include "platform/shell/shell.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

using app::TEditForm;
using app::TFrameForm;
using assistants::TRegion;

namespace {

QString crlf(const QStringList &lines) { return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"); }

// Types into named fields of the window that comes up (on whichever tab they are).
apptest::User::Step fills(QList<QPair<QString, QString>> values)
{
    return [values](QWidget *w) {
        for (const auto &[name, value] : values) {
            auto *f = w->findChild<QWidget *>(name);
            if (!f)
                return false;
            if (auto *tabs = w->findChild<QTabWidget *>(QStringLiteral("PageControl1")))
                for (int i = 0; i < tabs->count(); ++i)
                    if (tabs->widget(i)->isAncestorOf(f))
                        tabs->setCurrentIndex(i);
            f->setFocus();
            // Memos take their lines whole; every other field is typed key by key.
            if (qobject_cast<QPlainTextEdit *>(f))
                dialogs::SetFieldText(f, value);
            else
                QTest::keyClicks(f, value);
        }
        return true;
    };
}

// Records what the shell is asked to open.
struct ShellRecorder {
    QStringList opened;
    ShellRecorder()
    {
        platform::SetOpenHook([this](const QString &s) {
            opened << s;
            return true;
        });
    }
    ~ShellRecorder() { platform::SetOpenHook(nullptr); }
};

const QString head = QStringLiteral("<HTML>\r\n<HEAD>\r\n<TITLE>Document Title</TITLE>\r\n"
                                    "<META NAME=\"Generator\" CONTENT=\"Kestrova\">\r\n"
                                    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n</HEAD>\r\n<BODY>\r\n\r\n");
const QString tableOpen = QStringLiteral("<TABLE BORDER=\"0\" CELLPADDING=\"0\" CELLSPACING=\"1\" WIDTH=\"100%\">");

} // namespace

class TestPageStarts : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    TEditForm *doc(const QString &text)
    {
        TEditForm *d = apptest::DocWith(*frame, text);
        d->SetModified(false);
        return d;
    }
    QAction *item(const char *name)
    {
        TEditForm *d = frame->ActiveEditForm();
        return apptest::DocItem(d, name);
    }
    // Runs a wizard from the active document's File menu with the given answers (none: every field empty) and
    // OK or Cancel; returns that document (no other comes), with its text from before in `before`.
    TEditForm *runWizard(const char *menuItem, QList<QPair<QString, QString>> values, bool ok, QString *before = nullptr)
    {
        const int documents = frame->MDIChildCount();
        TEditForm *started = frame->ActiveEditForm();
        apptest::User user;
        QString startText;
        user.Then([&](QWidget *w) {
            startText = frame->ActiveEditForm()->Text();
            return fills(values)(w);
        });
        user.Click(ok ? QStringLiteral("Ok") : QStringLiteral("Cancel"));
        item(menuItem)->trigger();
        apptest::Settle();
        if (!user.Done() || frame->MDIChildCount() != documents || frame->ActiveEditForm() != started)
            return nullptr;
        if (before)
            *before = startText;
        return started;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }
    void cleanup()
    {
        apptest::CloseAll(*frame);
        frame->Start_Edit->SetText(QStringLiteral("0"));
    }

    // ---- Home-page wizards.

    void theCompanyWizardWritesItsPage()
    {
        doc(QStringLiteral("<P>old</P>"));
        QString before;
        TEditForm *d = runWizard("CompanyHomepage1",
                                 {{"Company name", "Acme & Co"},
                                  {"Logo", "logo.gif"},
                                  {"Company description", "We make\nthings."},
                                  {"Product name", "Widget"},
                                  {"Price", "$5"},
                                  {"Product code", "W-1"},
                                  {"Description of product", "A widget"},
                                  {"Image of product", "w.gif"},
                                  {"Company address", "1 Road"},
                                  {"Telephone number", "555"},
                                  {"Fax number", "556"},
                                  {"Email address", "sales@acme.example"}},
                                 true, &before);
        QVERIFY(d);
        QCOMPARE(before, QStringLiteral("<P>old</P>"));
        const QString expected = crlf({
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">",
            " <CENTER>",
            "<IMG SRC=\"logo.gif\" ALT=\"Logo\">",
            "</CENTER>",
            "<P>",
            "<CENTER><FONT  SIZE=+3 COLOR=#FF0000>Acme &amp; Co</FONT></FONT>",
            "<P>",
            "<HR WIDTH=100% SIZE=2></CENTER>",
            "<UL TYPE=circle>",
            "<LI><A HREF=\"#Comapny Description\">Company Description</A>",
            "<LI><A HREF=\"#Product Prices\">Product Prices</A>",
            "<LI><A HREF=\"#Product Descriptions\">Product Descriptions</A>",
            "<LI><A HREF=\"#How to contact the company\">How to contact the company</A>",
            "</UL>",
            "<P>",
            "<HR WIDTH=100% SIZE=2></CENTER>",
            "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"Comapny Description\"></A>Company Description</FONT></CENTER>",
            "<UL>We make\r\nthings.</UL>",
            "<HR WIDTH=100% SIZE=1>",
            "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"Product Prices\">Product Prices</A></A></FONT></CENTER>",
            "<P>",
            "<CENTER><TABLE BORDER=1>",
            "<TR><TD ALIGN=MIDDLE>ITEM</TD><TD ALIGN=MIDDLE>PRICE</TD><TD ALIGN=MIDDLE>PRODUCT CODE</TD></TR>",
            "<TR><TD ALIGN=MIDDLE><A HREF=\"#Prod1\">Widget</A></TD><TD ALIGN=MIDDLE>$5</TD><TD ALIGN=MIDDLE>W-1</TD></TR>",
            "</TABLE></CENTER>",
            "<P>",
            "<HR WIDTH=100% SIZE=1>",
            "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"Product Descriptions\">A widget</A></FONT></CENTER>",
            "<DD>",
            "<IMG SRC=\"w.gif\" ALIGN=\"center\">",
            "<P>",
            "<HR WIDTH=100% SIZE=1>",
            "<CENTER><FONT  SIZE=+2 COLOR=#0000FF><A NAME=\"How to contact the company\">How to contact the company</A></FONT></CENTER>",
            "<CENTER><I>1 Road</I></CENTER>",
            "<P>",
            "<CENTER><I>555</I></CENTER>",
            "<P>",
            "<CENTER><I>556</I></CENTER>",
            "<P>",
            "<CENTER><A HREF=\"mailto:sales@acme.example\"><I>sales@acme.example</I></A></CENTER>",
            "<P>",
            "<HR WIDTH=100% SIZE=1>",
        });
        QCOMPARE(d->Text(), expected);
        // One step: Undo gives the document back as it was.
        d->RiloMemo1->Undo();
        QCOMPARE(d->Text(), before);
    }

    void allEmptyWritesTheSkeleton_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("lineCount");
        QTest::newRow("homepage index") << QStringLiteral("HomepageIndex1")
                                        << QStringList{"<TD ALIGN=CENTER VALIGN=MIDDLE><IMG SRC=\"\" ALT=\"Logo\"></TD>",
                                                       "<H3 ALIGN=CENTER></H3>", "<P></P>",
                                                       "<A HREF=\"mailto:\"></A></CENTER>"}
                                        << 1 + 13 + 1 + 8; // the six blank pages write no rows
        QTest::newRow("personal") << QStringLiteral("PersonalHomepage1")
                                  << QStringList{"<CENTER><FONT  SIZE=+7 COLOR=#000080><B><h1> - Personal Home Page</h1></B></FONT></CENTER>",
                                                 "<DL>", "<UL>", "<A HREF=\"mailto:\"></A><BR>"}
                                  << 1 + 73 - 4 * 2 - 3; // no interest, hobby or hot link
        QTest::newRow("company") << QStringLiteral("CompanyHomepage1")
                                 << QStringList{"<IMG SRC=\"\" ALT=\"Logo\">", "<UL></UL>", "<CENTER><I></I></CENTER>"}
                                 << 1 + 41;
    }
    void allEmptyWritesTheSkeleton()
    {
        QFETCH(QString, item);
        QFETCH(QStringList, lines);
        QFETCH(int, lineCount);
        doc(QStringLiteral("x"));
        QString before;
        TEditForm *d = runWizard(item.toLatin1().constData(), {}, true, &before);
        QVERIFY(d);
        const QString text = d->Text();
        QVERIFY(text != before);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(text.count(QStringLiteral("\r\n")), lineCount);
        const QStringList got = text.split(QStringLiteral("\r\n"));
        for (const QString &line : lines)
            QVERIFY2(got.contains(line), qPrintable(line));
        // A page body only, which says how it is written.
        QVERIFY(text.startsWith(QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n")));
        for (const char *tag : {"<HTML", "<HEAD", "<BODY"})
            QVERIFY(!text.contains(QLatin1String(tag), Qt::CaseInsensitive));
        d->RiloMemo1->Undo();
        QCOMPARE(d->Text(), before);
    }

    void homepageIndexTablesAndCancel()
    {
        doc(QString());
        TEditForm *d = runWizard("HomepageIndex1",
                                 {{"Title", "Home"},
                                  {"Image/Link to 1st page", "a.gif"},
                                  {"Description of 1st page", "All about A"},
                                  {"URL of 1st page", "a.htm"},
                                  {"Description of 1st link", "Page A"},
                                  {"URL of 2nd page", "b.htm"},
                                  {"Heading for afterword", "Bye"}},
                                 true);
        QVERIFY(d);
        const QString text = d->Text();
        QVERIFY(text.startsWith(QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n<!--")));
        // The logo's table, then one for each page the user filled in.
        QCOMPARE(text.count(QStringLiteral("<!--Table-->\r\n")), 3);
        // The first link table quotes its values, the five after it do not.
        QVERIFY(text.contains(crlf({"<!--Table-->",
                                    "<TABLE WIDTH=\"100%\" BORDER=\"1\" CELLSPACING=\"2\" CELLPADDING=\"2\" BGCOLOR=\"#48A4FF\" BORDERCOLOR=\"#000000\">",
                                    "<TR>",
                                    "<TD ALIGN=CENTER VALIGN=MIDDLE BGCOLOR=\"#FFFFD0\" BORDERCOLOR=\"#000000\" WIDTH=\"25%\"><A HREF=\"a.htm\"><IMG SRC=\"a.gif\"></A></TD>",
                                    "<TD VALIGN=MIDDLE BGCOLOR=\"#C5FFE2\" BORDERCOLOR=\"#000000\" WIDTH=\"75%\"><FONT COLOR=\"#000000\"><A HREF=\"a.htm\">Page A</A><BR>All about A</FONT></TD>",
                                    "</TR>", "</TABLE>", "<!-- End Table-->", ""})));
        QCOMPARE(text.count(QStringLiteral("<TABLE WIDTH=100% BORDER=1 CELLSPACING=2 CELLPADDING=2 BGCOLOR=\"#48A4FF\" BORDERCOLOR=\"#000000\">")), 1);
        QVERIFY(text.contains(QStringLiteral("<A HREF=\"b.htm\"><IMG SRC=\"\"></A></TD>")));
        QVERIFY(text.contains(QStringLiteral("<!-- End Table-->\r\n\r\n\r\n<P>\r\n<HR WIDTH=80% SIZE=2>\r\n<H3 ALIGN=CENTER>Bye</H3>")));

        QCOMPARE(text.count(QStringLiteral("<IMG SRC=\"\">")), 1);

        // The personal page: only the entries the user filled in.
        d = runWizard("PersonalHomepage1",
                      {{"Second hobby", "Chess"}, {"Description of first interest", "Birds"}, {"Hot link 2", "b.htm"}}, true);
        QVERIFY(d);
        QVERIFY(d->Text().contains(crlf({"<DL>", "<DT><STRONG></STRONG></DT>", "<DD>Birds</DD>", "<DT><STRONG>Chess</STRONG></DT>",
                                         "<DD></DD>", "</DL>"})));
        QVERIFY(d->Text().contains(crlf({"<UL>", "<LI><A HREF=\"b.htm\"></A> </LI>", "</UL>"})));

        // Cancel leaves the document as it was, and no other behind.
        d->SetModified(false);
        QString before;
        TEditForm *c = runWizard("PersonalHomepage1", {{"Your name", "Ann"}}, false, &before);
        QCOMPARE(c, d);
        QCOMPARE(c->Text(), before);
        QVERIFY(!c->Modified());
    }

    // Answers are text, shown as typed; pictures chosen beside the saved page are linked from its folder.
    void wizardAnswersShowAsTypedAndPicturesLinkFromThePage()
    {
        const QString site = k5test::Root() + QStringLiteral("/wizard/site");
        const QString page = k5test::WriteFile(site + QStringLiteral("/index.htm"), "<P>old</P>\r\n");
        frame->Edit2->SetText(page);
        frame->Search_Start->click();
        QCOMPARE(frame->ActiveEditForm()->FileName, page);
        TEditForm *d = runWizard("HomepageIndex1",
                                 {{"Title", "Welcome <friends>"},
                                  {"Logo", site + QStringLiteral("/pics/logo.gif")},
                                  {"Heading for introduction", "Tom & Jerry"},
                                  {"Image/Link to 1st page", site + QStringLiteral("2/a.gif")},
                                  {"URL of 1st page", "a.htm?x=\"1\""}},
                                 true);
        QVERIFY(d);
        const QString text = d->Text();
        QVERIFY2(text.contains(QStringLiteral("<B>Welcome &lt;friends&gt;</B>")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("<H3 ALIGN=CENTER>Tom &amp; Jerry</H3>")));
        QVERIFY(text.contains(QStringLiteral("<IMG SRC=\"pics/logo.gif\" ALT=\"Logo\">")));
        QVERIFY(text.contains(QStringLiteral("<A HREF=\"a.htm?x=&quot;1&quot;\"><IMG SRC=\"../site2/a.gif\"></A>")));
        QCOMPARE(text.count(QStringLiteral("<!--Table-->\r\n")), 2);
    }

    // File > New made a document for the templates: a wizard chosen there writes into it.
    void aWizardFromTheTemplatesWritesIntoTheNewDocument()
    {
        apptest::User user;
        user.Then([](QWidget *w) {
                auto *t = qobject_cast<assistants::TTemplates3 *>(w);
                if (!t)
                    return false;
                for (int i = 0; i < t->ListView5->count(); ++i)
                    if (t->ListView5->item(i)->text() == QStringLiteral("Company Homepage")) {
                        t->ListView5->setCurrentRow(i);
                        emit t->ListView5->itemDoubleClicked(t->ListView5->item(i));
                    }
                return true;
            })
            .Then(fills({{"Company name", "Acme"}}))
            .Click(QStringLiteral("Ok"));
        app::BindTemplateDialog(frame);
        frame->New1Click();
        frame->OnShowTemplates = nullptr;
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(frame->MDIChildCount(), 1);
        QVERIFY(frame->ActiveEditForm()->Text().contains(QStringLiteral("<CENTER><FONT  SIZE=+3 COLOR=#FF0000>Acme</FONT></FONT>\r\n")));
    }

    void theTemplatesWizardPageOpensOneDocument()
    {
        std::unique_ptr<assistants::TTemplates3> t(app::CreateTemplates(frame));
        t->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.get()));
        QListWidgetItem *company = nullptr;
        for (int i = 0; i < t->ListView5->count(); ++i) {
            QListWidgetItem *it = t->ListView5->item(i);
            QVERIFY(it->flags() & Qt::ItemIsEnabled);
            if (it->text() == QStringLiteral("Company Homepage"))
                company = it;
        }
        QVERIFY(company);
        apptest::User user;
        user.Then(fills({{"Company name", "Acme"}})).Click(QStringLiteral("Ok"));
        t->ListView5->doItemsLayout();
        t->ListView5->setCurrentItem(company);
        const QPoint at = t->ListView5->visualItemRect(company).center();
        // What the window system sends for a double click: press, release, double click, release.
        t->ListView5->doItemsLayout();
        QTest::mouseClick(t->ListView5->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(t->ListView5->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(t->ListView5->viewport(), Qt::LeftButton, {}, at);
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(frame->MDIChildCount(), 1);
        QVERIFY(frame->ActiveEditForm()->Text().contains(QStringLiteral("<CENTER><FONT  SIZE=+3 COLOR=#FF0000>Acme</FONT></FONT>\r\n")));
    }

    void wizardsAskOnTabbedPages()
    {
        for (const auto &[cls, pages] : {std::pair{"TWizard1", 8}, std::pair{"TWizard2", 5}, std::pair{"TWizard3", 3}}) {
            std::unique_ptr<dialogs::TTagDialog> w(dialogs::CreateDialog(QString::fromLatin1(cls), nullptr));
            auto *tabs = w->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
            QVERIFY(tabs);
            QCOMPARE(tabs->count(), pages);
            for (int i = 0; i < pages; ++i)
                QCOMPARE(tabs->tabText(i), QStringLiteral("Page %1").arg(i + 1));
        }
    }

    // ---- Shared borders.

    void eachLayoutsText()
    {
        const QString d = assistants::DefaultRegionText();
        QCOMPARE(d, QStringLiteral("Shared Border - Text Here\r\n\r\nNote! That you can also write HTML codes here."));
        auto regions = [](TRegion r) {
            switch (r) {
            case TRegion::Top:
                return QStringLiteral("T");
            case TRegion::Left:
                return QStringLiteral("L");
            case TRegion::Right:
                return QStringLiteral("R");
            case TRegion::Bottom:
                return QStringLiteral("B");
            }
            return QString();
        };
        const QString top = crlf({tableOpen, "  <TR>", "    <TD WIDTH=\"100%\">", "", "T", "", "</TD>", "  </TR>", "</TABLE>"});
        const QString bottom = crlf({tableOpen, "  <TR>", "    <TD WIDTH=\"100%\">", "", "B", "", "</TD>", "  </TR>", "</TABLE>"});
        const QString three = crlf({tableOpen, "  <TR>", "    <TD WIDTH=\"33%\">", "", "L", "", "</TD>    <TD WIDTH=\"33%\">", "",
                                    "<!--TEXT HERE-->", "", "</TD>   <TD WIDTH=\"34%\">", "", "R", "", "</TD>", "  </TR>",
                                    "</TABLE>"});
        const QString left = crlf({tableOpen, "  <TR>", "    <TD WIDTH=\"25%\">", "", "L", "", "</TD>", "  </TR>", "</TABLE>"});
        const QString gap = QStringLiteral("\r\n\r\n");
        QCOMPARE(assistants::LayoutText(1, regions), top);
        QCOMPARE(assistants::LayoutText(2, regions), top + gap + left);
        QCOMPARE(assistants::LayoutText(3, regions), top + gap + three);
        QCOMPARE(assistants::LayoutText(4, regions), top + gap + three + gap + bottom);
        QCOMPARE(assistants::LayoutText(5, regions), three);
        QCOMPARE(assistants::LayoutText(6, regions),
                 crlf({tableOpen, "  <TR>", "    <TD WIDTH=\"75%\"><!-- Text here --></TD>", "    <TD WIDTH=\"25%\">", "",
                       "R", "", "</TD>", "  </TR>", "</TABLE>", "<p>&nbsp;</p>"}) +
                     bottom);
        QCOMPARE(assistants::LayoutText(7, regions), QStringLiteral("<!-- Text here -->\r\n") + bottom);
        QVERIFY(assistants::LayoutText(8, regions).isEmpty());
    }

    void layoutOneOpensAsANewDocumentAndNewRepeatsIt()
    {
        doc(QStringLiteral("mine"));
        QVERIFY(item("Project1")->isEnabled());
        QVERIFY(frame->StartProject1->isEnabled());
        apptest::User user;
        user.Then([](QWidget *w) {
            auto *win = qobject_cast<assistants::TTempStart *>(w);
            if (!win)
                return false;
            QTest::mouseClick(win->RadioButtons[0], Qt::LeftButton);
            QTest::mouseClick(win->Continue, Qt::LeftButton);
            if (!win->Slides[0]->Busy() || !win->Slides[0]->isVisible())
                return false;
            win->Slides[0]->Finish();
            QTest::mouseClick(win->Page()->Ok, Qt::LeftButton);
            return true;
        });
        item("Project1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(frame->MDIChildCount(), 2);
        const QString page = head +
                             crlf({tableOpen, "  <TR>", "    <TD WIDTH=\"100%\">", "", "Shared Border - Text Here", "",
                                   "Note! That you can also write HTML codes here.", "", "</TD>", "  </TR>", "</TABLE>"}) +
                             assistants::SharedBorderFoot();
        TEditForm *first = frame->ActiveEditForm();
        QCOMPARE(first->Text(), page);
        QVERIFY(!first->Modified());
        QCOMPARE(frame->Start_Edit->Text(), QStringLiteral("1"));
        QVERIFY(assistants::SharedBorderFoot().startsWith(QStringLiteral("\r\n<P ")));
        QVERIFY(assistants::SharedBorderFoot().endsWith(QStringLiteral("</BODY>\r\n</HTML>\r\n")));

        // File > New repeats it, until the shared border is closed.
        item("New2")->trigger();
        apptest::Settle();
        QCOMPARE(frame->MDIChildCount(), 3);
        QCOMPARE(frame->ActiveEditForm()->Text(), page);
        QVERIFY(!frame->ActiveEditForm()->Modified());
        item("CloseProject1")->trigger();
        QCOMPARE(frame->Start_Edit->Text(), QStringLiteral("0"));
        item("New2")->trigger();
        apptest::Settle();
        QCOMPARE(frame->MDIChildCount(), 4);
        QVERIFY(frame->ActiveEditForm()->Text() != page);
    }

    void continueShowsOnlyTheLastChosenLayout()
    {
        assistants::TTempStart win;
        QString started;
        win.OnStartPage = [&](const QString &p) { started = p; };
        win.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win));
        // Nothing chosen: nothing happens.
        QTest::mouseClick(win.Continue, Qt::LeftButton);
        QVERIFY(!win.Page());
        for (auto *s : win.Slides)
            QVERIFY(s->isHidden());
        QTest::mouseClick(win.RadioButtons[3], Qt::LeftButton);
        QTest::mouseClick(win.Continue, Qt::LeftButton);
        QTRY_VERIFY(!win.Slides[3]->Busy());
        QCOMPARE(win.Page()->Layout(), 4);
        QTest::mouseClick(win.RadioButtons[5], Qt::LeftButton);
        QTest::mouseClick(win.Continue, Qt::LeftButton);
        QTRY_VERIFY(!win.Slides[5]->Busy());
        for (int i = 0; i < 7; ++i)
            QCOMPARE(win.Slides[size_t(i)]->isVisible(), i == 5);
        assistants::TTempStart_Page *page = win.Page();
        QCOMPARE(page->Layout(), 6);
        QVERIFY(page->isVisible());
        QCOMPARE(page->geometry(), win.Slides[5]->rect());
        QVERIFY(!page->Region(TRegion::Top) && page->Region(TRegion::Right) && page->Region(TRegion::Bottom));
        // The same layout again: a fresh page slides over the old one, which goes.
        QPointer<QWidget> old = page;
        QTest::mouseClick(win.Continue, Qt::LeftButton);
        win.Slides[5]->Finish();
        apptest::Settle();
        QVERIFY(old.isNull());
        page = win.Page();
        page->Region(TRegion::Right)->setPlainText(QStringLiteral("<B>menu</B>"));
        page->Region(TRegion::Bottom)->setPlainText(QStringLiteral("foot\nline"));
        // Clicked where it shows in the window: nothing lies over the page.
        QCOMPARE(win.childAt(page->Ok->mapTo(&win, page->Ok->rect().center())), page->Ok);
        QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, page->Ok->mapTo(&win, page->Ok->rect().center()));
        QVERIFY(!win.isVisible());
        QCOMPARE(started, head + assistants::LayoutText(6, [](TRegion r) {
                              return r == TRegion::Right ? QStringLiteral("<B>menu</B>") : QStringLiteral("foot\r\nline");
                          }) + assistants::SharedBorderFoot());
    }

    // ---- Themes.

    void themeTenOpensItsArchive()
    {
        doc(QString());
        QVERIFY(item("Themes1")->isEnabled());
        ShellRecorder shell;
        const QString archive = platform::ProgramFile(QStringLiteral("theme10.zip"));
        QVERIFY(QFile::exists(archive));
        const QByteArray zip = k5test::ReadFile(archive);
        QVERIFY(zip.startsWith("PK\x03\x04"));
        for (const char *name : {"banner.png", "background.png", "bullet.png", "line.png"})
            QVERIFY2(zip.contains(name), name);
        apptest::User user;
        user.Then([](QWidget *w) {
            auto *win = qobject_cast<assistants::TTheme *>(w);
            if (!win)
                return false;
            win->SelectTheme(10);
            return win->Previews[9]->isVisible() && !win->Previews[0]->isVisible();
        });
        user.Click(QStringLiteral("Use this theme"));
        item("Themes1")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(shell.opened, QStringList{archive});
        TEditForm *d = frame->ActiveEditForm();
        QCOMPARE(frame->MDIChildCount(), 2);
        QCOMPARE(d->Text(), dialogs::DataText(QStringLiteral("ThemePage")));
        QVERIFY(d->Text().contains(QStringLiteral("\r\n<BODY>\r\n<!-- Banner  Start -->\r\n")));
        QVERIFY(!d->Modified());
        QCOMPARE(frame->Start_Edit->Text(), QStringLiteral("1"));
    }

    void everyThemeOpensItsOwnArchiveWithoutAWord()
    {
        ShellRecorder shell;
        for (int n = 1; n <= 16; ++n) {
            const QString archive = platform::ProgramFile(QStringLiteral("theme%1.zip").arg(n, 2, 10, QLatin1Char('0')));
            QVERIFY2(QFileInfo(archive).isFile(), qPrintable(archive));
            apptest::User user;
            // The theme is clicked in the window's tree, as a user picks it.
            user.Then([n](QWidget *w) {
                auto *win = qobject_cast<assistants::TTheme *>(w);
                if (!win)
                    return false;
                tree::TZozeZONode *node = win->ZozeZO1->Items()->GetFirstNode()->Item(n - 1);
                node->MakeVisible();
                QTest::mouseClick(win->ZozeZO1->viewport(), Qt::LeftButton, {}, win->ZozeZO1->NodeRect(node, true).center());
                return win->SelectedTheme() == n && win->Previews[size_t(n - 1)]->isVisible();
            });
            user.Click(QStringLiteral("Use this theme"));
            frame->StartTheme1->trigger();
            apptest::Settle();
            QVERIFY2(user.Done(), qPrintable(QString::number(n)));
            QVERIFY2(user.Texts.isEmpty(), qPrintable(user.Texts.join(u'\n')));
            QCOMPARE(shell.opened, QStringList{archive});
            shell.opened.clear();
            QCOMPARE(frame->ActiveEditForm()->Text(), assistants::ThemePage(n));
            apptest::CloseAll(*frame);
        }
    }

    void themeThirteenIsDarkAndAMissingArchiveIsTold()
    {
        ShellRecorder shell;
        QVERIFY(QFile::remove(platform::ProgramFile(QStringLiteral("theme13.zip"))));
        apptest::User user;
        user.Then([](QWidget *w) {
            auto *win = qobject_cast<assistants::TTheme *>(w);
            if (!win)
                return false;
            win->SelectTheme(13);
            return true;
        });
        user.Click(QStringLiteral("Use this theme"));
        // The message comes up while the button's click runs: a second user answers it.
        apptest::User reader;
        reader.Click(QStringLiteral("OK"));
        frame->StartTheme1->trigger();
        apptest::Settle();
        QVERIFY(user.Done() && reader.Done());
        QVERIFY(shell.opened.isEmpty());
        QCOMPARE(reader.Texts.size(), 1);
        QVERIFY(reader.Texts[0].contains(QStringLiteral("Theme 13 is missing")));
        QVERIFY(reader.Texts[0].contains(QStringLiteral("theme13.zip")));
        // The page opens all the same.
        TEditForm *d = frame->ActiveEditForm();
        QVERIFY(d);
        QCOMPARE(d->Text(), dialogs::DataText(QStringLiteral("ThemePageDark")));
        QVERIFY(d->Text().contains(QStringLiteral("\r\n<body bgcolor=\"#000000\" text=\"#FFFFFF\">\r\n<!-- Banner  Start -->")));
        QCOMPARE(assistants::ThemePage(5), d->Text());
        QCOMPARE(assistants::ThemePage(4), dialogs::DataText(QStringLiteral("ThemePage")));
    }

    void withoutAThemeNothingHappens()
    {
        ShellRecorder shell;
        assistants::TTheme win;
        int started = 0;
        win.OnStartPage = [&](const QString &) { ++started; };
        win.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win));
        QCOMPARE(win.SelectedTheme(), 0);
        QTest::mouseClick(win.UseTheme, Qt::LeftButton);
        QVERIFY(win.isVisible());
        win.ZozeZO1->SetSelected(win.ZozeZO1->Items()->GetFirstNode()); // the root
        QTest::mouseClick(win.UseTheme, Qt::LeftButton);
        QVERIFY(win.isVisible());
        QCOMPARE(started, 0);
        QVERIFY(shell.opened.isEmpty());
        for (QLabel *p : win.Previews)
            QVERIFY(!p->isVisible());
        QTest::mouseClick(win.Cancel, Qt::LeftButton);
        QVERIFY(!win.isVisible());
        QCOMPARE(started, 0);
    }
};

K5_TEST_MAIN(TestPageStarts)
#include "test_pagestarts.moc"
