// Go To Line, printing on paper of any width, the page setup and where file dialogs start.
#include "k5test.h"
#include "apptest.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>

using app::TEditForm;
using app::TFrameForm;

namespace {

// Every word pdftotext finds, with its box in points, and the page size.
struct PdfWords {
    double pageWidth = 0, pageHeight = 0;
    QList<QRectF> boxes;
    QString text; // the page text with every blank and line end taken out
};

PdfWords readPdf(const QString &pdf)
{
    PdfWords out;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return out;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression page(QStringLiteral(R"RX(<page width="([\d.]+)" height="([\d.]+)")RX"));
    static const QRegularExpression word(
        QStringLiteral(R"RX(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)RX"));
    if (const auto m = page.match(html); m.hasMatch()) {
        out.pageWidth = m.captured(1).toDouble();
        out.pageHeight = m.captured(2).toDouble();
    }
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        out.boxes << QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                            QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        QString w = m.captured(5);
        w.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        w.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        out.text += w;
    }
    return out;
}

} // namespace

class TestDocCommands : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;

    QString tmp(const QString &name) const { return k5test::Root() + QStringLiteral("/tmp/") + name; }
    TEditForm *newDoc(const QString &text)
    {
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->ReplaceText(text);
        return doc;
    }
    // Types a number into the real Go To Line dialog and presses OK (or Cancel).
    static apptest::User::Step answerGoTo(const QString &typed, bool ok, int *maximum = nullptr)
    {
        return [=](QWidget *w) {
            auto *d = qobject_cast<QInputDialog *>(w);
            auto *spin = d ? d->findChild<QSpinBox *>() : nullptr;
            if (!spin || !spin->isVisible())
                return false;
            if (maximum)
                *maximum = spin->maximum();
            spin->setFocus();
            spin->selectAll();
            QTest::keyClicks(spin, typed);
            if (ok)
                QTest::keyClick(spin, Qt::Key_Return);
            else
                QTest::keyClick(spin, Qt::Key_Escape);
            return true;
        };
    }

private slots:
    void initTestCase()
    {
        frame = new TFrameForm;
        frame->show();
    }
    void cleanupTestCase() { delete frame; }
    void cleanup() { apptest::CloseAll(*frame); }

    void goToLineMovesTheCaretToThatLine()
    {
        QStringList lines;
        for (int i = 1; i <= 300; ++i)
            lines << QStringLiteral("line %1").arg(i);
        TEditForm *doc = newDoc(lines.join(QStringLiteral("\r\n")));
        doc->RiloMemo1->Select(0, 0);
        QVERIFY(doc->GoToLine1->isEnabled());
        int maximum = 0;
        {
            apptest::User user;
            user.Then(answerGoTo(QStringLiteral("250"), true, &maximum));
            doc->GoToLine1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            QVERIFY2(user.Texts.isEmpty(), qPrintable(user.Texts.join(QLatin1Char('\n'))));
        }
        QCOMPARE(maximum, 300);
        QCOMPARE(doc->RiloMemo1->SelStart(), int(doc->Text().indexOf(QStringLiteral("line 250"))));
        QCOMPARE(doc->RiloMemo1->SelLength(), 0);
        // Scrolled into view.
        const int top = doc->RiloMemo1->TopLine();
        QVERIFY2(top <= 249 && 249 < top + std::max(1, doc->RiloMemo1->viewport()->height() / doc->RiloMemo1->LineHeight()),
                 qPrintable(QString::number(top)));

        // Cancel leaves the caret where it was.
        {
            apptest::User user;
            user.Then(answerGoTo(QStringLiteral("3"), false));
            doc->GoToLine1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(doc->RiloMemo1->SelStart(), int(doc->Text().indexOf(QStringLiteral("line 250"))));

        // A number past the last line is not taken: the box keeps to its range.
        {
            apptest::User user;
            user.Then(answerGoTo(QStringLiteral("9999"), true));
            doc->GoToLine1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QVERIFY(doc->RiloMemo1->SelPar() >= 0 && doc->RiloMemo1->SelPar() < 300);
        QCOMPARE(doc->RiloMemo1->SelStart(), doc->RiloMemo1->ParagraphStart(doc->RiloMemo1->SelPar()));
        QVERIFY(!doc->GoToLine(0));
        QVERIFY(!doc->GoToLine(301));
        QVERIFY(doc->GoToLine(1));
        QCOMPARE(doc->RiloMemo1->SelStart(), 0);
    }

    void printedLinesWrapWithinTheMargins_data()
    {
        QTest::addColumn<bool>("colour");
        QTest::addColumn<bool>("wrapOnScreen");
        QTest::newRow("plain") << false << false;
        QTest::newRow("syntax colour") << true << false;
        QTest::newRow("syntax colour, wrapped on screen") << true << true;
    }
    void printedLinesWrapWithinTheMargins()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
        QFETCH(bool, colour);
        QFETCH(bool, wrapOnScreen);
        QString longLine;
        for (int i = 0; i < 50; ++i)
            longLine += QStringLiteral("%1abcdefghi").arg(i % 10);
        QCOMPARE(longLine.size(), 500);
        const QString spaced = QStringLiteral("<P>words that run on and on, ") + QStringLiteral("well past the edge ").repeated(20) + QStringLiteral("</P>");
        TEditForm *doc = newDoc(QStringLiteral("<P>first</P>\r\n") + longLine + QStringLiteral("\r\n") + spaced);
        if (wrapOnScreen != doc->RiloMemo1->WordWrap())
            doc->Wordwrap1->trigger();
        const bool wrappedBefore = doc->RiloMemo1->WordWrap();
        doc->RiloMemo1->Select(5, 3);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = tmp(QStringLiteral("wrap%1%2.pdf").arg(colour).arg(wrapOnScreen));
        printer.setOutputFileName(pdf);
        if (colour)
            doc->PrintSyntaxColor(printer);
        else
            doc->PrintPlain(printer);
        const PdfWords words = readPdf(pdf);
        QVERIFY(words.pageWidth > 0);
        // Every character of the long line is on the page, in order.
        QVERIFY2(words.text.contains(longLine), qPrintable(words.text));
        QString spacedText = spaced;
        spacedText.remove(QLatin1Char(' '));
        QVERIFY2(words.text.contains(spacedText), qPrintable(words.text));
        // At least 15 mm (42.5 pt) from every edge of the paper.
        const double margin = 15 / 25.4 * 72;
        for (const QRectF &b : words.boxes) {
            QVERIFY2(b.left() >= margin && b.top() >= margin && b.right() <= words.pageWidth - margin &&
                         b.bottom() <= words.pageHeight - margin,
                     qPrintable(QStringLiteral("%1,%2 %3,%4 on %5 x %6")
                                    .arg(b.left()).arg(b.top()).arg(b.right()).arg(b.bottom())
                                    .arg(words.pageWidth).arg(words.pageHeight)));
        }
        // The screen is as it was.
        QCOMPARE(doc->RiloMemo1->WordWrap(), wrappedBefore);
        QCOMPARE(doc->RiloMemo1->SelStart(), 5);
        QCOMPARE(doc->RiloMemo1->SelLength(), 3);
    }

    void printerSetupAsksForThePage()
    {
        TEditForm *doc = newDoc(QStringLiteral("<P>x</P>"));
        QString seen;
        {
            apptest::User user;
            user.Then([&](QWidget *w) {
                seen = QString::fromLatin1(w->metaObject()->className());
                if (!qobject_cast<QPageSetupDialog *>(w))
                    return false;
                static_cast<QDialog *>(w)->reject();
                return true;
            });
            doc->PrinterSetup1->trigger();
            apptest::Settle();
            QVERIFY2(user.Done(), qPrintable(seen));
        }
        // The chosen page (kept for the session) never brings the margins under the minimum.
        const QPageLayout before = TEditForm::PrintPageLayout();
        TEditForm::PrintPageLayout().setMinimumMargins(QMarginsF());
        TEditForm::PrintPageLayout().setMargins(QMarginsF(2, 2, 2, 2));
        QPrinter printer;
        TEditForm::PreparePrinter(printer);
        const QMarginsF m = printer.pageLayout().margins(QPageLayout::Millimeter);
        QVERIFY(m.left() >= 14.99 && m.top() >= 14.99 && m.right() >= 14.99 && m.bottom() >= 14.99);
        TEditForm::PrintPageLayout() = before;
    }

    void fileDialogsStartInTheDocumentsFolder()
    {
        const QString first = QDir(tmp(QStringLiteral("first"))).absolutePath();
        const QString second = QDir(tmp(QStringLiteral("second"))).absolutePath();
        k5test::WriteFile(first + QStringLiteral("/a.htm"), "<P>a</P>");
        k5test::WriteFile(second + QStringLiteral("/b.htm"), "<P>b</P>");
        // Nothing chosen yet and no document with a file: the home folder, not the working folder.
        QCOMPARE(frame->DialogFolder(), QDir::homePath());
        // The real dialog opens in the home folder.
        QString started;
        {
            apptest::User user;
            user.Then([&](QWidget *w) {
                auto *d = qobject_cast<QFileDialog *>(w);
                if (!d)
                    return false;
                started = QDir(d->directory()).absolutePath();
                d->reject();
                return true;
            });
            frame->Open1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(started, QDir::homePath());

        // After a file was chosen: that folder.
        frame->OpenDocument(first + QStringLiteral("/a.htm"), false);
        QCOMPARE(frame->DialogFolder(), first); // the active document's folder
        apptest::CloseAll(*frame);
        platform::FileDialogRequest r;
        apptest::User chooser;
        chooser.TypeFileName(second + QStringLiteral("/b.htm"));
        QVERIFY(frame->RunFileDialog(frame, r));
        QCOMPARE(r.fileName, second + QStringLiteral("/b.htm"));
        QCOMPARE(frame->DialogFolder(), second); // no document: the last folder used
        TEditForm *doc = frame->OpenDocument(first + QStringLiteral("/a.htm"), false);
        QCOMPARE(frame->DialogFolder(doc), first);
        TEditForm *untitled = newDoc(QStringLiteral("x"));
        QCOMPARE(frame->DialogFolder(untitled), second);
    }
};

K5_TEST_MAIN(TestDocCommands)
#include "test_doccommands.moc"
