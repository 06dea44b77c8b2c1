// The link builder's exact text, and the Link dialog reporting its values without any main window.
#include "k5test.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/unit_link.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using dialogs::LinkValues;

class TestLink : public QObject {
    Q_OBJECT

private slots:
    void buildsTheTagFromValuesAsTyped_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("expected");
        QTest::newRow("filled") << "http://x.example/" << "_blank" << "top" << "Home"
                                << "<A HREF=\"http://x.example/\" TARGET=\"_blank\" NAME=\"top\">Home</A>";
        QTest::newRow("every attribute even when empty") << "" << "" << "" << ""
                                                         << "<A HREF=\"\" TARGET=\"\" NAME=\"\"></A>";
        // Nothing trimmed; in the attributes a quote or a bare ampersand is escaped, a reference kept.
        QTest::newRow("nothing trimmed, quotes escaped")
            << " a\"b&c&amp; " << "<t>" << " n " << "x\r\ny"
            << "<A HREF=\" a&quot;b&amp;c&amp; \" TARGET=\"<t>\" NAME=\" n \">x\r\ny</A>";
        // The values are put in as they stand, so a "%1" typed by the user is not read as a placeholder.
        QTest::newRow("placeholders in values") << "%2" << "%3" << "%4" << "%1"
                                                << "<A HREF=\"%2\" TARGET=\"%3\" NAME=\"%4\">%1</A>";
    }
    void buildsTheTagFromValuesAsTyped()
    {
        QFETCH(QString, url);
        QFETCH(QString, target);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(QString, expected);
        QCOMPARE(dialogs::BuildLink(LinkValues{url, target, name, description}), expected);
    }

    void okReportsTheFieldsThenCloses()
    {
        dialogs::TLink link;
        link.URL->setEditText(QStringLiteral("a.htm"));
        link.Target->setEditText(QStringLiteral("_self"));
        link.Name->setText(QStringLiteral("n"));
        link.Description->setPlainText(QStringLiteral("one\ntwo"));
        LinkValues seen;
        bool visibleAtOk = false;
        link.OnOk = [&] {
            seen = link.Values();
            visibleAtOk = link.isVisible();
        };
        link.show();
        QTest::mouseClick(link.Button1, Qt::LeftButton);
        QVERIFY(visibleAtOk);
        QCOMPARE(seen.url, QStringLiteral("a.htm"));
        QCOMPARE(seen.target, QStringLiteral("_self"));
        QCOMPARE(seen.name, QStringLiteral("n"));
        QCOMPARE(seen.description, QStringLiteral("one\r\ntwo"));
        QCOMPARE(link.result(), int(QDialog::Accepted));
        QVERIFY(!link.isVisible());
    }

    void cancelAndCloseReportNothing()
    {
        for (bool byCloseButton : {false, true}) {
            dialogs::TLink link;
            int reports = 0;
            link.OnOk = [&] { ++reports; };
            link.show();
            if (byCloseButton)
                link.close();
            else
                QTest::mouseClick(link.Button2, Qt::LeftButton);
            QCOMPARE(reports, 0);
            QCOMPARE(link.result(), int(QDialog::Rejected));
            QVERIFY(!link.isVisible());
        }
    }

    void filesAreLinkedFromThePagesFolder_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("link");
        QTest::newRow("beside") << "/home/ann/site/a.gif" << "/home/ann/site/index.htm" << "a.gif";
        QTest::newRow("below") << "/home/ann/site/img/a.gif" << "/home/ann/site/index.htm" << "img/a.gif";
        QTest::newRow("a folder whose name starts with the page's") << "/home/ann/site2/a.gif" << "/home/ann/site/index.htm"
                                                                    << "../site2/a.gif";
        QTest::newRow("a folder beside") << "/home/ann/pics/a.gif" << "/home/ann/site/index.htm" << "../pics/a.gif";
        QTest::newRow("above") << "/home/ann/a.gif" << "/home/ann/site/sub/index.htm" << "../../a.gif";
        QTest::newRow("sharing the root only") << "/opt/pics/a.gif" << "/home/ann/site/index.htm" << "/opt/pics/a.gif";
        QTest::newRow("a top folder whose name starts with the page's") << "/home2/a.gif" << "/home/ann/site/index.htm"
                                                                        << "/home2/a.gif";
        QTest::newRow("unsaved page") << "/home/ann/site/a.gif" << "" << "/home/ann/site/a.gif";
        QTest::newRow("web address") << "http://a.example/a.gif" << "/home/ann/site/index.htm" << "http://a.example/a.gif";
        QTest::newRow("typed relative") << "img/a.gif" << "/home/ann/site/index.htm" << "img/a.gif";
        // What an address would read otherwise is percent-encoded; letters beyond ASCII stay.
        QTest::newRow("awkward name") << "/home/ann/site/my pics/a b#1?%41;\n\t\\:é.gif" << "/home/ann/site/index.htm"
                                      << "my%20pics/a%20b%231%3F%2541%3B%0A%09%5C%3Aé.gif";
        QTest::newRow("awkward name, unsaved page") << "/home/ann/site/\"<q>\".gif" << "" << "/home/ann/site/%22%3Cq%3E%22.gif";
        QTest::newRow("awkward folder above") << "/home/ann/a#b/c.gif" << "/home/ann/site/index.htm" << "../a%23b/c.gif";
    }
    void filesAreLinkedFromThePagesFolder()
    {
        QFETCH(QString, file);
        QFETCH(QString, page);
        QFETCH(QString, link);
        QCOMPARE(dialogs::LinkAddress(file, page), link);
    }

    // A full path typed into a file field names a file, unless it already is an address; any other text
    // is an address as typed, never encoded again.
    void typedTextIsEncodedOnlyWhenItNamesAFile()
    {
        const QString site = k5test::Root() + QStringLiteral("/typed");
        const QString page = site + QStringLiteral("/index.htm");
        const QString escaped = k5test::WriteFile(site + QStringLiteral("/100%25.gif"), "GIF89a");
        QCOMPARE(dialogs::TypedLinkAddress(site + QStringLiteral("/a b#1.gif"), page), QStringLiteral("a%20b%231.gif"));
        QCOMPARE(dialogs::TypedLinkAddress(site + QStringLiteral("/img/a%20b.gif"), page), QStringLiteral("img/a%20b.gif"));
        QCOMPARE(dialogs::TypedLinkAddress(escaped, page), QStringLiteral("100%2525.gif"));
        QCOMPARE(dialogs::TypedLinkAddress(QStringLiteral("a%20b.gif"), page), QStringLiteral("a%20b.gif"));
        QCOMPARE(dialogs::TypedLinkAddress(QStringLiteral("a b.gif"), page), QStringLiteral("a b.gif"));
        QCOMPARE(dialogs::TypedLinkAddress(QStringLiteral("http://a.example/a%20b?x=1#y"), page),
                 QStringLiteral("http://a.example/a%20b?x=1#y"));
        QCOMPARE(dialogs::TypedLinkAddress(QString(), page), QString());
    }
};

K5_TEST_MAIN(TestLink)
#include "test_link.moc"
