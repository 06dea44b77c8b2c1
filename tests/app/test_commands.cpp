// The document window's command families from its menus: tag pairs around the selection, fixed texts,
// texts after the selection, script templates, snippets, date stamps and web links; the dialogs reached
// through the launcher table, answered in their real windows; and what happens with no document.
#include "k5test.h"
#include "apptest.h"

#include "app/dialogs/engine.h"
#include "app/launchers.h"
#include "app/snippets.h"
#include "platform/mail/mailaccount.h"
#include "platform/shell/shell.h"
#include "tools/publish/mailform.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>

using app::TEditForm;
using app::TFrameForm;

class TestCommands : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    TEditForm *doc(const QString &text)
    {
        TEditForm *d = apptest::DocWith(*frame, text);
        return d;
    }
    QAction *item(TEditForm *d, const char *name)
    {
        QAction *a = apptest::DocItem(d, name);
        if (!a)
            qWarning("no item %s", name);
        return a;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }

    void wrapsPutTheSelectionBetweenTheirTags_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("close");
        const char *rows[][3] = {
            {"H12", "<H1>", "</H1>"}, {"H22", "<H2>", "</H2>"}, {"H32", "<H3>", "</H3>"}, {"H42", "<H4>", "</H4>"},
            {"H52", "<H5>", "</H5>"}, {"H62", "<H6>", "</H6>"}, {"Bold2", "<B>", "</B>"}, {"Italic2", "<I>", "</I>"},
            {"Underline2", "<U>", "</U>"}, {"Left2", "<P ALIGN=\"LEFT\">", "</P>"},
            {"Center2", "<P ALIGN=\"CENTER\">", "</P>"}, {"Right2", "<P ALIGN=\"RIGHT\">", "</P>"},
            {"Justify2", "<P ALIGN=\"JUSTIFY\">", "</P>"}, {"Fontsize14", "<FONT SIZE=\"+1\">", "</FONT>"},
            {"Fontsize13", "<FONT SIZE=\"-1\">", "</FONT>"}, {"Preformatted2", "<PRE>", "</PRE>"},
            {"Teletype2", "<TT>", "</TT>"}, {"Address2", "<ADDRESS>", "</ADDRESS>"}, {"Insertion2", "<INS>", "</INS>"},
            {"Emphasis2", "<EM>", "</EM>"}, {"Samp1", "<SAMP>", "</SAMP>"}, {"Code2", "<CODE>", "</CODE>"},
            {"Strong2", "<STRONG>", "</STRONG>"}, {"Var2", "<VAR>", "</VAR>"},
            {"BlockQoute2", "<BLOCKQUOTE>", "</BLOCKQUOTE>"}, {"SubScript2", "<SUB>", "</SUB>"},
            {"SuperScript2", "<SUP>", "</SUP>"}, {"ASPTag2", "<%", "%>"}, {"ASPOutput2", "<%=", "%>"},
            {"ASPIf2", "<% IF ", "%>"}, {"ASPElse2", "<% ELSE ", "%>"}, {"ASPEnd2", "<% END ", "%>"}};
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2]);
    }
    void wrapsPutTheSelectionBetweenTheirTags()
    {
        QFETCH(QString, name);
        QFETCH(QString, open);
        QFETCH(QString, close);
        TEditForm *d = doc(QStringLiteral("one word two"));
        QAction *a = item(d, name.toLatin1().constData());
        QVERIFY(a && a->isEnabled());
        // Selected from its end back to its start: the same pair goes round it.
        d->RiloMemo1->Select(8, -4);
        QCOMPARE(d->RiloMemo1->SelText(), QStringLiteral("word"));
        a->trigger();
        QCOMPARE(d->Text(), QStringLiteral("one ") + open + QStringLiteral("word") + close + QStringLiteral(" two"));
        QCOMPARE(d->RiloMemo1->SelStart(), int(4 + open.size() + 4 + close.size()));
        d->RiloMemo1->Undo();
        QCOMPARE(d->Text(), QStringLiteral("one word two"));
        // Nothing selected: the empty pair at the caret.
        d->RiloMemo1->Select(3, 0);
        a->trigger();
        QCOMPARE(d->Text(), QStringLiteral("one") + open + close + QStringLiteral(" word two"));
    }

    void fixedTextsReplaceTheSelectionAndAppendsFollowIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("keepsSelection");
        QTest::addColumn<QString>("text");
        auto row = [](const char *n, bool keep, const char *t) {
            QTest::newRow(n) << QString::fromLatin1(n) << keep << QString::fromLatin1(t);
        };
        row("Strike1", false, "<STRIKE></STRIKE>");
        row("Object2", false, "<OBJECT></OBJECT>");
        row("Table3", false, "<TABLE></TABLE>");
        row("TableRow2", false, "<TR></TR>");
        row("TableData2", false, "<TD></TD>");
        row("TableCaption2", false, "<CAPTION></CAPTION>");
        row("UnorderedList2", false, "<UL></UL>");
        row("OrderedList1", false, "<OL></OL>");
        row("ListItem2", false, "<LI></LI>");
        row("DefinitionList2", false, "<DL><DT><DD></DL>");
        row("DefinitionTerm2", false, "<DT></DT>");
        row("Definition2", false, "<DD></DD>");
        row("Menu2", false, "<MENU></MENU>");
        row("ASPIncludes2", false, "<!--#INCLUDE FILE=\"\"-->");
        row("Noscript2", false, "<NOSCRIPT></NOSCRIPT>");
        row("Documentwrite2", false, "document.write(\"\")");
        row("RootElement1", false, "<Root_Element=\"\">      </Root_Element>");
        row("ChildElement1", false, "<Child_Element>      </Child_Element>");
        row("Comment1", false, "<!--  -->");
        row("Display1", false, "<DISPLAY NAME=\"name\"></DISPLAY>");
        row("Ce1", false, "<CE VALUE=\"value\" GO|GOARGS|CALL>choice caption");
        row("Attrib1", false, "<attrib name=\"\" control=\"\">");
        row("Item1", false, "<item value=\"\" caption=\"\">");
        row("Tag2", false, "<TAG NAME=\"TagName\" BODYEDITING=\"Yes|No\"></TAG>");
        row("ElementTag1", false, "<E CAPTION=\"caption\" VALUE=\"syntax\" DESC=\"HTMLdescription\" HELPFILE=\"relativepath\">");
        row("LineBreak2", true, "<BR>");
        row("HorizontalLine2", true, "<HR>");
        row("NoBreak2", true, "&nbsp;");
    }
    void fixedTextsReplaceTheSelectionAndAppendsFollowIt()
    {
        QFETCH(QString, name);
        QFETCH(bool, keepsSelection);
        QFETCH(QString, text);
        TEditForm *d = doc(QStringLiteral("a word b"));
        d->RiloMemo1->Select(2, 4);
        QAction *a = item(d, name.toLatin1().constData());
        QVERIFY(a && a->isEnabled());
        a->trigger();
        QCOMPARE(d->Text(), QStringLiteral("a ") + (keepsSelection ? QStringLiteral("word") : QString()) + text +
                                QStringLiteral(" b"));
        // One undo step gives the text back.
        d->RiloMemo1->Undo();
        QCOMPARE(d->Text(), QStringLiteral("a word b"));
    }

    void scriptTemplatesEndEveryLineWithCrLf()
    {
        TEditForm *d = doc(QString());
        item(d, "switchcondition2")->trigger();
        const QString t = d->Text();
        QCOMPARE(t.count(QStringLiteral("\r\n")), 10);
        QVERIFY(t.startsWith(QStringLiteral("switch ( expression ) {\r\ncase label :\r\nstatement;\r\nbreak;\r\n")));
        QVERIFY(t.endsWith(QStringLiteral("default :\r\nstatement;\r\n}\r\n")));
        d = doc(QString());
        item(d, "ifelsecondition2")->trigger();
        QCOMPARE(d->Text(), QStringLiteral("if ( ) {\r\n}\r\nelse {\r\n}\r\n"));
        d = doc(QString());
        item(d, "ScriptHeader2")->trigger();
        QCOMPARE(d->Text(), QStringLiteral("<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!-- \r\n\r\n\r\n\r\n// -->\r\n</SCRIPT>\r\n"));
    }

    void snippetsInsertTheirOwnTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<QString>("mark");
        auto row = [](const char *n, const char *s, const char *mark) {
            QTest::newRow(n) << QString::fromLatin1(n) << QString::fromLatin1(s) << QString::fromLatin1(mark);
        };
        row("Altavista2", "Altavista", "doSearchAltaVista");
        row("Excite2", "Memo5", "doSearchExcite");
        row("Infoseek2", "Memo6", "doSearchInfoseek");
        row("Lycos2", "Memo7", "doSearchLycos");
        row("WebCrawler2", "Memo8", "doSearchWebcrawler");
        row("Yahoo2", "Memo9", "doSearchYahoo");
        row("Visitor1", "Cookie4", "tovi");
        row("HitCounter1", "Cookie8", "tovi");
        row("ColorCookie1", "Cookie14", "tovi");
        row("Dots1", "Dots", "<");
        row("WYSIWYGEditor1", "OnlineEditor", "<");
        row("BakeCookie1", "Cookie1", "<");
        row("TasteCookie1", "Cookie3", "<");
    }
    void snippetsInsertTheirOwnTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, snippet);
        QFETCH(QString, mark);
        const QString text = app::Snippet(snippet);
        QVERIFY2(text.contains(mark), qPrintable(snippet));
        TEditForm *d = doc(QStringLiteral("[sel]"));
        d->RiloMemo1->SelectAll();
        item(d, name.toLatin1().constData())->trigger();
        QCOMPARE(d->Text(), text);
        QVERIFY(frame->Memo1->Text().isEmpty());
    }

    void dateStampsAndTheFooter()
    {
        TEditForm *d = doc(QString());
        item(d, "TimeStamp2")->trigger();
        QCOMPARE(d->Text(), QStringLiteral("Last updated ") + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
        d = doc(QString());
        QAction *stamp = item(d, "Mydate9"); // d.mm.yyyy
        QVERIFY(stamp);
        auto *stamps = d->PopupMenu1->findChild<QMenu *>(QStringLiteral("InsertDateTime1"));
        d->RefreshDateStamps(stamps);
        QCOMPARE(stamp->text(), QDate::currentDate().toString(QStringLiteral("d.MM.yyyy")));
        // Chosen twice, inserted twice.
        stamp->trigger();
        stamp->trigger();
        QCOMPARE(d->Text(), stamp->text() + stamp->text());
        d = doc(QString());
        item(d, "LinkToKestrova2")->trigger();
        QVERIFY(d->Text().contains(QStringLiteral("www.kestrova.example")));
    }

    void webLinksOpenThroughTheShell()
    {
        QStringList opened;
        platform::SetOpenHook([&](const QString &what) {
            opened << what;
            return true;
        });
        TEditForm *d = doc(QString());
        item(d, "N51")->trigger();
        item(d, "Content1")->trigger();
        platform::SetOpenHook(nullptr);
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened.at(0), QStringLiteral("http://www.kestrova.example/"));
        QVERIFY(opened.at(1).endsWith(QStringLiteral("Help/index.htm")));
        QCOMPARE(d->Text(), QString());
    }

    // Where no program takes a page (no launcher on the path), Help > Content and the web links say so in
    // a message box naming the page.
    void whereNoProgramTakesThePageTheUserIsTold()
    {
        const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER"), defaultBrowser = qgetenv("DEFAULT_BROWSER");
        const QString empty = k5test::Root() + QStringLiteral("/tmp/no-programs");
        QDir().mkpath(empty);
        qputenv("PATH", QFile::encodeName(empty));
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            if (!browser.isNull())
                qputenv("BROWSER", browser);
            if (!defaultBrowser.isNull())
                qputenv("DEFAULT_BROWSER", defaultBrowser);
        });
        TEditForm *d = doc(QStringLiteral("kept"));
        apptest::User user;
        user.Click(QStringLiteral("OK")).Click(QStringLiteral("OK"));
        item(d, "Content1")->trigger();
        apptest::Settle();
        item(d, "N51")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 2);
        QVERIFY2(user.Texts.at(0).startsWith(QStringLiteral("No program is set up to open \"")) &&
                     user.Texts.at(0).contains(QStringLiteral("Help/index.htm\"")),
                 qPrintable(user.Texts.at(0)));
        QVERIFY2(user.Texts.at(1).contains(QStringLiteral("\"http://www.kestrova.example/\"")), qPrintable(user.Texts.at(1)));
        QCOMPARE(d->Text(), QStringLiteral("kept"));
    }

    // Help > Comments: the mail window, addressed to the product's support, open beside the document.
    void commentsGoToSupportInAModelessMailWindow()
    {
        platform::MailAccount account;
        account.name = QStringLiteral("comments");
        account.sender = QStringLiteral("me@example.invalid");
        account.server.host = QStringLiteral("127.0.0.1");
        QVERIFY(platform::SaveMailAccount(account));
        platform::SetDefaultMailAccount(account.name);
        TEditForm *d = doc(QString());
        QAction *comments = item(d, "Comments1");
        QVERIFY(comments && comments->isEnabled());
        QCOMPARE(comments->text(), QStringLiteral("Comments"));
        comments->trigger();
        apptest::Settle();
        QPointer<publish::TfrmMail> mail;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *m = qobject_cast<publish::TfrmMail *>(w); m && m->isVisible())
                mail = m;
        QVERIFY(mail);
        QVERIFY(!mail->isModal() && !QApplication::activeModalWidget());
        QCOMPARE(mail->txtRecipient->text(), QStringLiteral("support@kestrova.example"));
        QCOMPARE(mail->focusWidget(), mail->txtSubject);
        // The document goes on taking its text meanwhile.
        QTest::keyClicks(d->RiloMemo1, QStringLiteral("still here"));
        QCOMPARE(d->Text(), QStringLiteral("still here"));
        mail->close();
        apptest::Settle();
        QVERIFY(!mail);
    }

    void dialogsAnsweredInTheirWindowsInsertAtTheCaret()
    {
        TEditForm *d = doc(QStringLiteral("ab"));
        d->RiloMemo1->Select(1, 0);
        {
            apptest::User user;
            user.Then([](QWidget *w) {
                    auto *e = w->findChild<QLineEdit *>(QStringLiteral("Bookmark name"));
                    if (!e)
                        return false;
                    QTest::keyClicks(e, QStringLiteral("top"));
                    return true;
                })
                .Click(QStringLiteral("Ok"));
            item(d, "Bookmark2")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(d->Text(), QStringLiteral("a<A NAME=\"top\">b"));
        // The dialog is gone once closed.
        QVERIFY(!dialogs::Instance(QStringLiteral("TBookmark")));
        {
            apptest::User user;
            user.Then([](QWidget *w) {
                    auto *e = w->findChild<QLineEdit *>(QStringLiteral("Map Name"));
                    if (!e)
                        return false;
                    QTest::keyClicks(e, QStringLiteral("lost"));
                    return true;
                })
                .Click(QStringLiteral("Cancel"));
            item(d, "ImageMap2")->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(d->Text(), QStringLiteral("a<A NAME=\"top\">b"));
    }

    void thePageStartReplacesTheWholeTextInOneStep()
    {
        TEditForm *d = doc(QStringLiteral("old page"));
        apptest::User user;
        user.Then([](QWidget *w) {
                auto *title = w->findChild<QLineEdit *>(QStringLiteral("Title"));
                auto *type = w->findChild<QComboBox *>(QStringLiteral("Document Type"));
                if (!title || !type)
                    return false;
                type->setCurrentIndex(1);
                QTest::keyClicks(title, QStringLiteral("T"));
                return true;
            })
            .Click(QStringLiteral("Ok"));
        item(d, "HTMLStart2")->trigger();
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(d->Text().startsWith(QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\r\n<HTML>")));
        QVERIFY(d->Text().contains(QStringLiteral(" <TITLE>T</TITLE> ")));
        QVERIFY(d->Modified());
        d->RiloMemo1->Undo();
        QCOMPARE(d->Text(), QStringLiteral("old page"));
    }

    void withNoDocumentTheTextIsDiscarded()
    {
        apptest::CloseAll(*frame);
        QVERIFY(!frame->ActiveEditForm());
        apptest::User user;
        user.Then([](QWidget *w) { return w->findChild<QLineEdit *>(QStringLiteral("Bookmark name")) != nullptr; })
            .Click(QStringLiteral("Ok"));
        QVERIFY(app::Launch(QStringLiteral("Bookmark2")));
        apptest::Settle();
        QVERIFY(user.Done());
        QVERIFY(!frame->ActiveEditForm());
        frame->Memo1->SetText(QStringLiteral("x"));
        QVERIFY(frame->Memo1->Text().isEmpty());
    }

    void itemsWithoutAWindowYetAreGrey()
    {
        TEditForm *d = doc(QString());
        // Grey means no window yet: no item is grey that a launcher could open.
        int grey = 0;
        std::function<void(QMenu *)> walk = [&](QMenu *m) {
            for (QAction *a : m->actions()) {
                if (a->menu()) {
                    walk(a->menu());
                } else if (!a->isSeparator() && !a->isEnabled()) {
                    ++grey;
                    QVERIFY2(!app::CanLaunch(a->objectName()), qPrintable(a->objectName()));
                }
            }
        };
        for (QMenu *m : d->Menus())
            walk(m);
        QVERIFY(grey > 0);
        for (const app::TLauncher &l : app::Launchers()) {
            QAction *a = item(d, l.item);
            QVERIFY2(a, l.item);
            QCOMPARE(a->isEnabled(), app::CanLaunch(QString::fromLatin1(l.item)));
        }
    }
};

K5_TEST_MAIN(TestCommands)
#include "test_commands.moc"
