// The frame dialogs, the style sheet and the script builders filled in as a user does, and the exact text
// each one builds.
#include "k5test.h"

#include "app/dialogs/engine.h"
#include "app/dialogs/unit_frames.h"
#include "controls/zel/spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

using namespace dialogs;

namespace {

using Typed = QList<QPair<QString, QString>>;

struct Outcome {
    QString built;
    int oks = 0;
    bool closed = false;
};

Outcome fillAndOk(const QString &className, const Typed &typed)
{
    Outcome out;
    std::unique_ptr<TTagDialog> d(CreateDialog(className, nullptr));
    if (!d) {
        out.built = QStringLiteral("<no dialog>");
        return out;
    }
    d->show();
    for (const auto &[name, value] : typed) {
        QWidget *f = d->findChild<QWidget *>(name);
        if (!f) {
            out.built = QStringLiteral("<no field %1>").arg(name);
            return out;
        }
        k5test::Type(f, value);
    }
    d->OnOk = [&] {
        ++out.oks;
        out.built = d->Build();
    };
    QTest::mouseClick(d->findChild<QPushButton *>(FindDescription(className)->okName), Qt::LeftButton);
    out.closed = !d->isVisible();
    return out;
}

// The rule with a declaration, ended by a semicolon, for each property given a value, in the dialog's order.
QString styleRule(const QString &element, const QHash<QString, QString> &v)
{
    QString s = QStringLiteral("<STYLE>") + element + QStringLiteral(" {\r\n");
    for (const char *p : {"font-family", "font-size", "font-weight", "font-style", "font-variant", "cursor", "color",
                          "background", "text-transform", "text-decoration", "text-align", "text-indent", "line-height",
                          "margin-top", "margin-bottom", "margin-left", "margin-right", "padding", "border-top",
                          "border-bottom", "border-left", "border-right", "position", "left", "top", "width", "height",
                          "z-index", "overflow"})
        if (v.contains(QLatin1String(p)))
            s += QStringLiteral("      %1: %2;\r\n").arg(QLatin1String(p), v.value(QLatin1String(p)));
    return s + QStringLiteral("}  </STYLE>\r\n");
}

} // namespace

class TestFrameDialogs : public QObject {
    Q_OBJECT

private slots:
    void eachDialogBuildsItsText_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<Typed>("typed");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const char *cls, Typed typed, const QString &expected) {
            QTest::newRow(name) << QString::fromLatin1(cls) << typed << expected;
        };
        row("frame with its defaults", "TFrame", {},
            R"(<FRAME NAME="" SRC="" MARGINWIDTH="100%" MARGINHEIGHT="100%" FRAMEBORDER="1" SCROLLING="">)");
        row("frame", "TFrame",
            {{"Name", "main"}, {"URL", "a.htm"}, {"Scrolling", "AUTO"}, {"Border", "0"}, {"Margin Width", "5"},
             {"Margin Height", "7"}},
            R"(<FRAME NAME="main" SRC="a.htm" MARGINWIDTH="5%" MARGINHEIGHT="7%" FRAMEBORDER="0" SCROLLING="AUTO">)");
        row("inline frame with its defaults", "TIFrame", {{"URL", "x.htm"}},
            R"(<IFRAME NAME="" WIDTH="20%" HEIGHT="20%" SRC="x.htm"></IFRAME>)");
        row("inline frame", "TIFrame", {{"Name", "side"}, {"URL", "s.htm"}, {"Width", "30"}, {"Height", "90"}},
            R"(<IFRAME NAME="side" WIDTH="30%" HEIGHT="90%" SRC="s.htm"></IFRAME>)");
        row("no frames keeps its lines", "TNOFRAMES", {{"Memo1", "Your browser\nshows no frames"}},
            QStringLiteral("<NOFRAMES>Your browser\r\nshows no frames</NOFRAMES>"));
        row("base target", "TBaseTarget", {{"Base Target", "_top"}}, R"(<BASE TARGET="_top">)");
        row("get cookie", "TGetCookie", {{"Name of Cookie", "visits"}}, R"(var newCookie = GetCookie("visits");)");
        row("delete cookie", "TDeleteCookie", {{"Name of Cookie", "visits"}}, R"(DeleteCookie("visits");)");
        row("set cookie for no days", "TSetCookie", {{"Cookie Name", "n"}, {"Cookie Value", "v"}, {"Cookie Days", "0"}},
            QStringLiteral("var expDate = new Date()\r\nexpDate.setTime(expDate.getTime() + (0*24*60*60*1000))\r\n"
                           "SetCookie (\"n\",\"v\",expDate)"));
        row("window.open with its defaults", "TWindowOpen", {{"URL", "a.htm"}, {"Window Title", "A"}},
            R"(OpenNewWindow = window.open("a.htm","A","toolbar,height=100,width=100"))");
        row("style, all empty", "TStyle", {{"Element / Target", "A:LINK"}, {"Font Family", ""}},
            styleRule(QStringLiteral("A:LINK"), {}));
        row("style", "TStyle",
            {{"Element / Target", "P"}, {"Font Family", "Verdana"}, {"Size", "12"}, {"Size unit", "px"},
             {"Font Weight", "bold"}, {"Font Style", "italic"}, {"Cursor", "hand"}, {"Text Color", "#000000"},
             {"Background Color", "#ffffff"}, {"Transform", "none"}, {"Text Decoration", "underline"},
             {"Text Align", "center"}, {"Text Indent", "2"}, {"Text Indent unit", "em"}, {"Line Height", "large"},
             {"Margin Top", "1"}, {"Margin Top unit", "cm"}, {"Margin Bottom", "2"}, {"Margin Left", "3"},
             {"Margin Right", "4"}, {"Padding", "5"}, {"Padding unit", "pt"}, {"Border Top", "solid"},
             {"Border Bottom", "dashed"}, {"Border Left", "inset"}, {"Border Right", "outset"},
             {"Position Type", "absolute"}, {"Left", "10"}, {"Left unit", "px"}, {"Top", "20"}, {"Width", "30"},
             {"Height", "40"}, {"Height unit", "mm"}, {"Z-Order", "3"}, {"Overflow", "auto"}},
            styleRule(QStringLiteral("P"),
                      // A bare number takes px, and the dialog's words CSS spells otherwise are written in its own.
                      {{"font-family", "Verdana"}, {"font-size", "12px"}, {"font-weight", "bold"},
                       {"font-style", "italic"}, {"cursor", "pointer"}, {"color", "#000000"}, {"background", "#ffffff"},
                       {"text-transform", "none"}, {"text-decoration", "underline"}, {"text-align", "center"},
                       {"text-indent", "2em"}, {"line-height", "large"}, {"margin-top", "1cm"},
                       {"margin-bottom", "2px"}, {"margin-left", "3px"}, {"margin-right", "4px"}, {"padding", "5pt"},
                       {"border-top", "solid"}, {"border-bottom", "dashed"}, {"border-left", "inset"},
                       {"border-right", "outset"}, {"position", "absolute"}, {"left", "10px"}, {"top", "20px"},
                       {"width", "30px"}, {"height", "40mm"}, {"z-index", "3"}, {"overflow", "auto"}}));
        row("style, words CSS spells otherwise", "TStyle",
            {{"Element / Target", "B"}, {"Font Family", ""}, {"Font Weight", "light"}, {"Font Style", "small-caps"},
             {"Line Height", "1.5"}},
            styleRule(QStringLiteral("B"), {{"font-weight", "lighter"}, {"font-variant", "small-caps"}, {"line-height", "1.5"}}));
    }
    void eachDialogBuildsItsText()
    {
        QFETCH(QString, dialog);
        QFETCH(Typed, typed);
        QFETCH(QString, expected);
        const Outcome out = fillAndOk(dialog, typed);
        QCOMPARE(out.built, expected);
        QCOMPARE(out.oks, 1);
        QVERIFY(out.closed);
    }

    void theStyleRuleStartsWithArial()
    {
        // Left as it opens, the rule holds the one declaration with a value.
        const Outcome out = fillAndOk(QStringLiteral("TStyle"), {});
        QCOMPARE(out.built, QStringLiteral("<STYLE> {\r\n      font-family: Arial;\r\n}  </STYLE>\r\n"));
        std::unique_ptr<TTagDialog> d(CreateDialog(QStringLiteral("TStyle"), nullptr));
        auto *tabs = d->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(3), QStringLiteral("Position"));
        // Units offer the same list everywhere, "pt" three times among them.
        auto *unit = d->findChild<QComboBox *>(QStringLiteral("Left unit"));
        QCOMPARE(unit->count(), 9);
        QCOMPARE(unit->findText(QStringLiteral("px")), 8);
        QVERIFY(tabs->widget(3)->isAncestorOf(unit));
    }

    void framesetAsksForRowsOrColumns()
    {
        // Neither chosen: OK builds nothing and the dialog stays open.
        std::unique_ptr<TTagDialog> d(CreateDialog(QStringLiteral("TFrameset"), nullptr));
        auto *fs = qobject_cast<TFrameset *>(d.get());
        QVERIFY(fs);
        fs->show();
        QString built = QStringLiteral("unset");
        fs->OnOk = [&] { built = fs->Build(); };
        QTest::mouseClick(fs->Button1, Qt::LeftButton);
        QCOMPARE(built, QString());
        QVERIFY(fs->isVisible());

        QTest::mouseClick(fs->Rows, Qt::LeftButton);
        QVERIFY(fs->Rows->isChecked());
        QVERIFY(fs->SpinRows->isVisible() && !fs->SpinCols->isVisible());
        k5test::Type(fs->SpinRows, QStringLiteral("40"));
        QTest::mouseClick(fs->Button1, Qt::LeftButton);
        QCOMPARE(built, QStringLiteral("<FRAMESET ROWS=\"40%\"></FRAMESET>"));
        QVERIFY(!fs->isVisible());

        std::unique_ptr<TTagDialog> c(CreateDialog(QStringLiteral("TFrameset"), nullptr));
        auto *cols = qobject_cast<TFrameset *>(c.get());
        cols->show();
        QTest::mouseClick(cols->Cols, Qt::LeftButton);
        QVERIFY(cols->SpinCols->isVisible() && !cols->SpinRows->isVisible());
        k5test::Type(cols->SpinCols, QStringLiteral("25"));
        cols->OnOk = [&] { built = cols->Build(); };
        QTest::mouseClick(cols->Button1, Qt::LeftButton);
        QCOMPARE(built, QStringLiteral("<FRAMESET COLS=\"25%\"></FRAMESET>"));
    }

    void windowFeaturesFollowTheirBoxes()
    {
        std::unique_ptr<TTagDialog> d(CreateDialog(QStringLiteral("TWindowOpen"), nullptr));
        auto *w = qobject_cast<TWindowOpen *>(d.get());
        w->show();
        QCOMPARE(w->Options.size(), 8);
        QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("Toolbar")), Qt::LeftButton);
        QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("Menubar")), Qt::LeftButton);
        QCOMPARE(w->Features(), QStringLiteral(",menubar"));
        for (QCheckBox *c : w->Options)
            if (!c->isChecked())
                QTest::mouseClick(c, Qt::LeftButton);
        QCOMPARE(w->Features(), QStringLiteral("toolbar,menubar,status,directories,scrollbars,resizable,location,copyhistory"));
        QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("Location")), Qt::LeftButton);
        k5test::Type(w->Field(QStringLiteral("Width")), QStringLiteral("640"));
        QCOMPARE(w->Build(), QStringLiteral(R"(OpenNewWindow = window.open("","","toolbar,menubar,status,directories,scrollbars,resizable,copyhistory,height=100,width=640"))"));
    }

    void cancelBuildsNothing()
    {
        for (const char *cls : {"TFrameset", "TFrame", "TIFrame", "TNOFRAMES", "TBaseTarget", "TStyle", "TGetCookie", "TSetCookie",
                                "TDeleteCookie", "TWindowOpen"}) {
            std::unique_ptr<TTagDialog> d(CreateDialog(QString::fromLatin1(cls), nullptr));
            int oks = 0;
            d->OnOk = [&] { ++oks; };
            d->show();
            QTest::mouseClick(d->Button2, Qt::LeftButton);
            QCOMPARE(oks, 0);
            QVERIFY2(!d->isVisible(), cls);
        }
    }
};

K5_TEST_MAIN(TestFrameDialogs)
#include "test_framedialogs.moc"
