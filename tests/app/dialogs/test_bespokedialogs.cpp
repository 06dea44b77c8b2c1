// The dialogs with buttons and state of their own: colour chooser, special characters, filter effects,
// search engine, link combo box, insert file, picture preview and the colour lookup of the tag dialogs.
#include "k5test.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/unit_excharacters.h"
#include "app/dialogs/unit_farve.h"
#include "app/dialogs/unit_filter.h"
#include "app/dialogs/unit_insert.h"
#include "app/dialogs/unit_picture.h"
#include "app/dialogs/unit_search.h"
#include "controls/zel/lookupedit.h"

#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QSlider>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace dialogs;

namespace {

template <class T>
std::unique_ptr<T> open(const char *className)
{
    auto *d = qobject_cast<T *>(CreateDialog(QString::fromLatin1(className), nullptr));
    d->show();
    return std::unique_ptr<T>(d);
}

QPushButton *ok(TEngineDialog *d) { return d->findChild<QPushButton *>(d->Desc().okName); }

} // namespace

class TestBespokeDialogs : public QObject {
    Q_OBJECT

private slots:
    void theColourChooserShowsItsBarsAsAnHtmlValue()
    {
        auto d = open<TFarve1>("TFarve1");
        QCOMPARE(d->HTMLValue->text(), QStringLiteral("#c0c0c0"));
        QCOMPARE(d->RedLabel->text(), QStringLiteral("Red: 192"));
        d->Red->setValue(255);
        d->Green->setValue(0);
        d->Blue->setValue(128);
        QCOMPARE(d->HTMLValue->text(), QStringLiteral("#ff0080"));
        QCOMPARE(d->GreenLabel->text(), QStringLiteral("Green: 0"));
        d->TrackBar1->setValue(7);
        QCOMPARE(d->ScrollLabel->text(), QStringLiteral("Scroll by 7"));
        QCOMPARE(d->Blue->pageStep(), 7);
        // Typing into the value lasts until the event loop turns: the swatch wins.
        d->HTMLValue->setFocus();
        QTest::keyClicks(d->HTMLValue, QStringLiteral("zz"));
        QTRY_COMPARE(d->HTMLValue->text(), QStringLiteral("#ff0080"));
        QString built;
        d->OnOk = [&] { built = d->Build(); };
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        QCOMPARE(built, QStringLiteral("#ff0080"));
    }

    void windowsColorsAppliesOnlyOnOk()
    {
        auto d = open<TFarve1>("TFarve1");
        {
            k5test::User user;
            user.Escape();
            d->WindowsColors->click();
            QVERIFY(user.Done());
        }
        QCOMPARE(d->HTMLValue->text(), QStringLiteral("#c0c0c0"));
        {
            k5test::User user;
            user.Then([](QWidget *w) {
                auto *cd = qobject_cast<QColorDialog *>(w);
                if (!cd)
                    return false;
                cd->setCurrentColor(QColor(10, 20, 30));
                cd->accept();
                return true;
            });
            d->WindowsColors->click();
            QVERIFY(user.Done());
        }
        QCOMPARE(d->HTMLValue->text(), QStringLiteral("#0a141e"));
        QCOMPARE(d->Red->value(), 10);
        // The labels follow the bars.
        QCOMPARE(d->BlueLabel->text(), QStringLiteral("Blue: 30"));
    }

    void aColourLookupCancelledKeepsWhatWasTyped()
    {
        std::unique_ptr<TTagDialog> d(CreateDialog(QStringLiteral("TMarquee"), nullptr));
        d->show();
        auto *color = d->findChild<zel::TZELLookupEdit *>(QStringLiteral("Color"));
        color->setText(QStringLiteral("navy"));
        {
            k5test::User user;
            user.Escape();
            color->ClickButton2();
            QVERIFY(user.Done());
        }
        QCOMPARE(color->text(), QStringLiteral("navy"));
        {
            k5test::User user;
            user.Then([](QWidget *w) {
                auto *cd = qobject_cast<QColorDialog *>(w);
                if (!cd)
                    return false;
                cd->setCurrentColor(QColor(255, 0, 128));
                cd->accept();
                return true;
            });
            color->ClickButton2();
            QVERIFY(user.Done());
        }
        QCOMPARE(color->text(), QStringLiteral("#ff0080"));
    }

    void specialCharactersStayOpenForTheNextOne()
    {
        auto d = open<TExCharacters>("TExCharacters");
        QCOMPARE(d->SpeedButtons.size(), 65);
        QVERIFY(d->windowFlags() & Qt::WindowStaysOnTopHint);
        QStringList handed;
        d->OnOk = [&] { handed << d->Build(); };
        d->SpeedButtons.at(2)->click();
        QCOMPARE(d->Edit1->text(), QStringLiteral("&copy;"));
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        d->SpeedButtons.at(3)->click();
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        d->SpeedButtons.at(64)->click();
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        QCOMPARE(handed, QStringList({QStringLiteral("&copy;"), QStringLiteral("<SUP>tm</SUP>"), QStringLiteral("&yuml;")}));
        QVERIFY(d->isVisible());
        QTest::mouseClick(d->Button2, Qt::LeftButton);
        QVERIFY(!d->isVisible());
    }

    void aFilterGoesInByOneRouteOnly()
    {
        auto d = open<TFilter>("TFilter");
        QVERIFY(d->Effects.first()->isChecked());
        d->Text->setText(QStringLiteral("Hi"));
        QStringList relayed;
        QString built;
        d->OnRelay = [&](const QString &t) { relayed << t; };
        d->OnOk = [&] { built = d->Build(); };
        QTest::mouseClick(d->Button1, Qt::LeftButton);
        QCOMPARE(built, QStringLiteral("<SPAN STYLE=\"position:relative; width:30px; height:10px; "
                                       "filter:blur(Add=1,Direction=135,Strength=4)\">\r\nHi</SPAN>"));
        QVERIFY(relayed.isEmpty());

        auto alpha = open<TFilter>("TFilter");
        alpha->Effects.at(3)->setChecked(true);
        QCOMPARE(alpha->Build(), QStringLiteral("<SPAN STYLE=\"position:relative; width:50px; height:10px; filter:alpha(opacity=50)\">\r\n</SPAN>"));

        auto shadow = open<TFilter>("TFilter");
        shadow->Effects.at(4)->setChecked(true);
        shadow->Text->setText(QStringLiteral("Hi"));
        built = QStringLiteral("unset");
        shadow->OnRelay = [&](const QString &t) { relayed << t; };
        shadow->OnOk = [&] { built = shadow->Build(); };
        QTest::mouseClick(shadow->Button1, Qt::LeftButton);
        QCOMPARE(built, QString());
        QCOMPARE(relayed.size(), 1);
        QVERIFY(relayed.first().startsWith(QStringLiteral("<SPAN STYLE=")));
        QVERIFY(relayed.first().endsWith(QStringLiteral("\r\nHi</Span>")));
    }

    void searchEntriesCountFromZeroEachTime()
    {
        for (int round = 0; round < 2; ++round) {
            auto d = open<TSearch>("TSearch");
            auto set = [&](const char *f, const char *v) {
                qobject_cast<QLineEdit *>(d->Field(QString::fromLatin1(f)))->setText(QString::fromLatin1(v));
            };
            set("Description", "Home");
            set("Keywords", "start main");
            set("URL", "index.htm");
            d->AddButton->click();
            QVERIFY(qobject_cast<QLineEdit *>(d->Field(QStringLiteral("URL")))->text().isEmpty());
            d->AddButton->click(); // empty fields still make an entry
            const QString entries = QStringLiteral(
                "description[0]=\"Home\"\r\n\r\nkeyword[0]=\"start main\"\r\n\r\nurl[0]=\"index.htm\"\r\n\r\n"
                "description[1]=\"\"\r\n\r\nkeyword[1]=\"\"\r\n\r\nurl[1]=\"\"\r\n\r\n");
            QCOMPARE(MemoText(d->Memo1), entries);
            const QString head = QStringLiteral("<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\nword=\"\"\r\nurl=new Array()\r\n"
                                                "keyword=new Array()\r\ndescription=new Array()\r\n\r\n");
            QCOMPARE(d->Build(), head + entries + DataText(QStringLiteral("SearchBody")));
        }
    }

    void linkComboOptionsGoBetweenHeadAndTail()
    {
        auto d = open<TLinkCombobox>("TLinkCombobox");
        qobject_cast<QLineEdit *>(d->Field(QStringLiteral("URL")))->setText(QStringLiteral("a.htm"));
        qobject_cast<QLineEdit *>(d->Field(QStringLiteral("Description")))->setText(QStringLiteral("A"));
        d->AddButton->click();
        const QString built = d->Build();
        QVERIFY(built.startsWith(QStringLiteral("<CENTER>\r\n<FORM>\r\n\r\n<SELECT NAME=\"list\">\r\n\r\n<OPTION SELECTED")));
        QVERIFY(built.contains(QStringLiteral("\r\n<OPTION VALUE=\"a.htm\">A\r\n</SELECT><P>\r\n\r\n<INPUT TYPE=BUTTON VALUE=\"Go\"")));
        QVERIFY(built.endsWith(QStringLiteral("</FORM>\r\n</CENTER>\r\n")));
        QCOMPARE(ok(d.get())->objectName(), QStringLiteral("Button2"));
    }

    void insertFileHandsOverTheWholeFile()
    {
        const QByteArray bytes("<P>caf\xc3\xa9</P>\r\n<!-- end -->\r\n");
        const QString path = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/part.htm"), bytes);
        auto d = open<Tinsert>("Tinsert");
        {
            k5test::User user;
            user.TypeFileName(path);
            d->SelectFile->click();
            QVERIFY(user.Done());
        }
        QCOMPARE(d->Build(), QString::fromUtf8(bytes));
        k5test::Answerer answers;
        QVERIFY(!d->LoadFile(k5test::Root() + QStringLiteral("/tmp/missing.htm")));
        QCOMPARE(answers.Messages().size(), 1);
        QCOMPARE(d->Build(), QString::fromUtf8(bytes));
    }

    void thePicturePreviewFillsTheSizeOrSaysWhyNot()
    {
        auto d = open<TPicture>("TPicture");
        QImage image(37, 21, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = k5test::Root() + QStringLiteral("/tmp/pic.bmp");
        QVERIFY(image.save(path));
        QVERIFY(d->LoadPreview(path));
        QCOMPARE(qobject_cast<QLineEdit *>(d->Field(QStringLiteral("Width")))->text(), QStringLiteral("37"));
        QCOMPARE(qobject_cast<QLineEdit *>(d->Field(QStringLiteral("Height")))->text(), QStringLiteral("21"));
        // Not a picture, or no file: a message each, the preview blank, the sizes as they were.
        const QString junk = k5test::WriteFile(k5test::Root() + QStringLiteral("/tmp/junk.gif"), "GIF89a\x01");
        {
            k5test::Answerer answers;
            QVERIFY(!d->LoadPreview(junk));
            QVERIFY(!d->LoadPreview(k5test::Root() + QStringLiteral("/tmp/none.gif")));
            QCOMPARE(answers.Messages().size(), 2);
            QVERIFY2(answers.Texts().at(1).contains(QStringLiteral("none.gif")), qPrintable(answers.Texts().at(1)));
            QCOMPARE(qobject_cast<QLineEdit *>(d->Field(QStringLiteral("Width")))->text(), QStringLiteral("37"));
            // What cannot be looked for is not: a web address, a name relative to a page never saved.
            QVERIFY(!d->LoadPreview(QStringLiteral("http://kestrova.example/a.gif")));
            QVERIFY(!d->LoadPreview(QStringLiteral("p")));
            QVERIFY(!d->LoadPreview(QString()));
            QCOMPARE(answers.Messages().size(), 2);
        }
        // A name relative to the saved page is found beside it.
        d->DocumentFile = [] { return k5test::Root() + QStringLiteral("/tmp/page.htm"); };
        QVERIFY(d->LoadPreview(QStringLiteral("pic.bmp")));

        // Typing a name key by key tries nothing until the typing is done; then a name that is no picture is
        // reported, and the dialog stays open with the name as typed.
        auto *url = qobject_cast<QLineEdit *>(d->Field(QStringLiteral("URL")));
        url->setFocus();
        QApplication::setActiveWindow(d.get());
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        url->clear();
        QTest::keyClicks(url, QStringLiteral("none.gif"));
        QVERIFY(user.Texts.isEmpty());
        QTest::keyClick(url, Qt::Key_Tab);
        k5test::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY(d->isVisible());
        QCOMPARE(url->text(), QStringLiteral("none.gif"));

        // The chooser: a picture chosen is shown; a cancelled chooser leaves all as it was, with no message.
        auto *lookup = qobject_cast<zel::TZELFileLookup *>(url);
        k5test::User chooser;
        chooser.Escape().TypeFileName(path);
        QTest::mouseClick(lookup->EditButton1().Button(), Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(url->text(), QStringLiteral("none.gif"));
        QCOMPARE(chooser.Texts, QStringList());
        qobject_cast<QLineEdit *>(d->Field(QStringLiteral("Width")))->setText(QStringLiteral("1"));
        QTest::mouseClick(lookup->EditButton1().Button(), Qt::LeftButton);
        k5test::Settle();
        QVERIFY(chooser.Done());
        QCOMPARE(chooser.Texts, QStringList());
        QCOMPARE(qobject_cast<QLineEdit *>(d->Field(QStringLiteral("Width")))->text(), QStringLiteral("37"));
    }
};

K5_TEST_MAIN(TestBespokeDialogs)
#include "test_bespokedialogs.moc"
