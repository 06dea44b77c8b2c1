// What the user's files go through: each is written back with its own line ends and encoding, a change
// made by another program is not overwritten unasked, a file is open in one window at most, and a file
// that cannot be opened is refused with its reason while the document the user works in stays active.
// Every question is answered as a user answers it, on the real message box.
#include "k5test.h"
#include "apptest.h"

#include "controls/zel/explorer.h"
#include "platform/application.h"
#include "platform/folders.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QToolButton>

using app::TEditForm;
using app::TFrameForm;
using platform::LineEnd;

namespace {

QByteArray withEnds(QByteArray crlf, const QByteArray &end)
{
    return crlf.replace("\r\n", end);
}

} // namespace

class TestDocumentFiles : public QObject {
    Q_OBJECT
    TFrameForm *frame = nullptr;
    // Answers any question no test expects, so that it fails the test rather than waiting.
    std::unique_ptr<apptest::User> watchman;

    QString tmp(const QString &name) const { return k5test::Root() + QStringLiteral("/tmp/") + name; }
    // Opened the way the project manager and the file search open files.
    TEditForm *open(const QString &path)
    {
        frame->Edit2->SetText(QString());
        frame->Edit2->SetText(path);
        frame->Search_Start->click();
        return frame->ActiveEditForm();
    }
    void drop(const QString &path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame, &event);
    }
    // Another program writes the file: other bytes, and a modification time of its own.
    void writeBehindTheEditorsBack(const QString &path, const QByteArray &bytes)
    {
        const QDateTime before = QFileInfo(path).lastModified();
        k5test::WriteFile(path, bytes);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(before.addSecs(7), QFileDevice::FileModificationTime));
    }
    static QAction *item(TEditForm *doc, const QString &name)
    {
        for (QMenu *m : doc->Menus())
            for (QAction *a : m->actions())
                if (a->objectName() == name)
                    return a;
        return nullptr;
    }
    void edit(TEditForm *doc, const QString &text = QStringLiteral("edited "))
    {
        doc->RiloMemo1->SetSelStart(0);
        doc->InsertText(text);
        QVERIFY(doc->Modified());
    }

private slots:
    void initTestCase()
    {
        frame = new TFrameForm;
        frame->show();
    }
    void cleanupTestCase() { delete frame; }
    void init() { watchman = std::make_unique<apptest::User>(); }
    void cleanup()
    {
        apptest::CloseAll(*frame);
        apptest::Settle();
        const QStringList unexpected = watchman->Texts;
        watchman.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
    }

    // ---- line ends ----

    // About 300 KB of CR LF lines, every nth one holding UTF-8.
    static QByteArray bigPage(int every)
    {
        QByteArray page;
        for (int k = 0; page.size() < 300'000; ++k)
            page += k % every ? "<P>plain line of a big page</P>\r\n" : "<P>\xe2\x80\x9c" "caf\xc3\xa9\xe2\x80\x9d</P>\r\n";
        return page;
    }

    void lineEndsAreKept_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<int>("lineEnd");
        const QByteArray page = "<HTML>\r\n<BODY>\r\n<P>x</P>\r\n</BODY>\r\n</HTML>\r\n";
        const QByteArray wide = "<P>caf\xc3\xa9</P>\r\n<P>\xe2\x82\xac</P>\r\n";
        for (const auto &[name, end, e] : {std::tuple{"LF", QByteArray("\n"), LineEnd::Lf}, std::tuple{"CR", QByteArray("\r"), LineEnd::Cr},
                                           std::tuple{"CR LF", QByteArray("\r\n"), LineEnd::CrLf}}) {
            QTest::addRow("ASCII, %s", name) << withEnds(page, end) << end << int(e);
            QTest::addRow("UTF-8, %s", name) << withEnds(wide, end) << end << int(e);
            QTest::addRow("Windows-1252, %s", name) << withEnds("<P>caf\xe9 \x80</P>\r\n<P>x</P>", end) << end << int(e);
            QTest::addRow("UTF-8 with its mark, %s", name) << withEnds("\xef\xbb\xbf" + wide, end) << end << int(e);
            QTest::addRow("UTF-8 beyond 16 bits, %s", name)
                << withEnds("<P>\xf0\x9f\x93\x9d \xe2\x80\x9cnote\xe2\x80\x9d</P>\r\n<P>x\xc3\xa9</P>", end) << end << int(e);
            // Read as UTF-8 up to the last line, which is not: the whole file is Windows-1252.
            QTest::addRow("Windows-1252 after UTF-8 lines, %s", name)
                << withEnds(wide + "<P>caf\xe9</P>", end) << end << int(e);
            QTest::addRow("Windows-1252 with a stray mark, %s", name) << withEnds("\xef\xbb\xbf<P>caf\xe9</P>\r\n<P>x</P>", end) << end << int(e);
            // The first byte that is not UTF-8 comes late, after few or many lines read as UTF-8 before it.
            QTest::addRow("Windows-1252 late in a big page, %s", name) << withEnds(bigPage(40) + "<P>\x93q\x94 \x81</P>", end) << end << int(e);
            QTest::addRow("Windows-1252 late after many UTF-8 lines, %s", name) << withEnds(bigPage(1) + "<P>caf\xe9</P>", end) << end << int(e);
            QByteArray utf16("\xff\xfe", 2);
            for (const char c : withEnds("<P>\r\n</P>\r\n", end))
                utf16.append(c).append('\0');
            QTest::addRow("UTF-16, %s", name) << utf16 << end << int(e);
        }
        QTest::newRow("no line end") << QByteArray("<HTML></HTML>") << QByteArray("\r\n") << int(LineEnd::CrLf);
    }
    // Saved unmodified, the file is byte for byte what it was; text inserted by every road takes the
    // document's line ends, in Save, Reload and upload alike.
    void lineEndsAreKept()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, end);
        QFETCH(int, lineEnd);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("ends/page.htm")), bytes);
        TEditForm *doc = open(path);
        QVERIFY(doc);
        QCOMPARE(int(doc->LineEnds()), lineEnd);
        QVERIFY(doc->Save1Click());
        QCOMPARE(k5test::ReadFile(path), bytes);

        // Inserted by the document's relay, by the main window's relays, and typed.
        const QString inserted = QStringLiteral("<A>\r\n</A>\n<B>\r</B>");
        doc->RiloMemo1->SetSelStart(doc->RiloMemo1->CharCount());
        doc->Tag->SetText(inserted);
        frame->Memo1->SetText(inserted);
        frame->DHTML_Memo->SetText(inserted);
        QTest::keyClick(doc->RiloMemo1, Qt::Key_Return);
        QVERIFY(doc->Save1Click());
        const QByteArray saved = k5test::ReadFile(path);
        const QString text = platform::DecodeText(saved).text;
        QVERIFY(text.contains(QStringLiteral("</B><A>")));
        QCOMPARE(platform::WithLineEnds(text, LineEnd(lineEnd)), text); // no other end anywhere
        QCOMPARE(int(platform::DetectLineEnd(text)), int(lineEnd));

        // Reload writes what Save writes.
        QStringList shown;
        doc->OnNavigate = [&](const QString &f) { shown << f; };
        doc->PageControl2->setCurrentIndex(1);
        edit(doc, QStringLiteral("\r\n"));
        QTest::mouseClick(doc->SpeedButton4, Qt::LeftButton);
        QVERIFY(!doc->Modified());
        const QByteArray reloaded = k5test::ReadFile(path);
        QVERIFY(doc->Save1Click());
        QCOMPARE(k5test::ReadFile(path), reloaded);
        QCOMPARE(platform::WithLineEnds(platform::DecodeText(reloaded).text, LineEnd(lineEnd)), platform::DecodeText(reloaded).text);

        // The upload sends what Save writes.
        QStringList uploaded;
        doc->OnUpload = [&](const QString &f) { uploaded << f; };
        doc->UploadThissite1Click();
        QCOMPARE(uploaded.size(), 1);
        QCOMPARE(k5test::ReadFile(uploaded.first()), reloaded);

        // A page handed over whole takes the document's ends as well.
        frame->TempMemo->SetText(QStringLiteral("<HTML>\r\n</HTML>\r\n"));
        doc->SetModified(true);
        QVERIFY(doc->Save1Click());
        QCOMPARE(platform::DecodeText(k5test::ReadFile(path)).text, platform::WithLineEnds(QStringLiteral("<HTML>\r\n</HTML>\r\n"), LineEnd(lineEnd)));
    }

    void pagesAreReadInTheirEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("encoding");
        using E = platform::TextEncoding;
        QTest::newRow("UTF-8") << QByteArray("<P>caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d \xf0\x9f\x93\x9d</P>\n<P>x</P>")
                               << QStringLiteral("<P>caf\u00e9 \u201cq\u201d \U0001F4DD</P>\r\n<P>x</P>") << int(E::Utf8);
        QTest::newRow("UTF-8 with its mark") << QByteArray("\xef\xbb\xbf<P>\xe2\x82\xac</P>") << QStringLiteral("<P>\u20ac</P>") << int(E::Utf8);
        QTest::newRow("Windows-1252 after UTF-8 lines") << QByteArray("<P>\xe2\x82\xac</P>\r\n<P>caf\xe9</P>")
                                                        << QStringLiteral("<P>\u00e2\u201a\u00ac</P>\r\n<P>caf\u00e9</P>") << int(E::Windows1252);
        QTest::newRow("Windows-1252 with a stray mark")
            << QByteArray("\xef\xbb\xbf<P>caf\xe9</P>") << QStringLiteral("\u00ef\u00bb\u00bf<P>caf\u00e9</P>") << int(E::Windows1252);
        for (int every : {40, 1}) {
            const QByteArray late = bigPage(every) + "<P>\x80 \x9d\xe9</P>";
            QTest::addRow("Windows-1252 late, UTF-8 every %d lines before", every)
                << late << platform::WithLineEnds(platform::FromWindows1252(late), LineEnd::CrLf) << int(E::Windows1252);
        }
    }
    // UTF-8 is read straight into the editor; a file that is not UTF-8 somewhere is Windows-1252 throughout.
    void pagesAreReadInTheirEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(int, encoding);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("enc/page.htm")), bytes);
        TEditForm *doc = open(path);
        QVERIFY(doc);
        QCOMPARE(doc->RiloMemo1->Text(), text);
        QCOMPARE(int(doc->Encoding()), encoding);
        QVERIFY(!doc->Modified());
    }

    void aMixedFileTakesItsFirstLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("LF first") << QByteArray("a\nb\r\nc\rd") << QByteArray("a\nb\nc\nd");
        QTest::newRow("CR LF first") << QByteArray("a\r\nb\nc\rd") << QByteArray("a\r\nb\r\nc\r\nd");
        QTest::newRow("CR first") << QByteArray("a\rb\nc\r\nd") << QByteArray("a\rb\rc\rd");
    }
    void aMixedFileTakesItsFirstLineEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, saved);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("mixed.htm")), bytes);
        TEditForm *doc = open(path);
        QVERIFY(doc->Save1Click());
        QCOMPARE(k5test::ReadFile(path), saved);
    }

    void newDocumentsAreWrittenWithCrLf()
    {
        frame->New1Click();
        TEditForm *doc = frame->ActiveEditForm();
        frame->Memo1->SetText(QStringLiteral("<P>\n</P>"));
        const QString target = tmp(QStringLiteral("new/page.htm"));
        QDir().mkpath(tmp(QStringLiteral("new")));
        apptest::User user;
        user.TypeFileName(target);
        QVERIFY(doc->Saveas1Click());
        QVERIFY(user.Done());
        const QByteArray saved = k5test::ReadFile(target);
        QVERIFY(saved.contains("<HTML>\r\n<HEAD>\r\n"));
        QVERIFY(saved.contains("<P>\r\n</P>"));
        QVERIFY(!saved.contains("\r\r") && saved.count('\n') == saved.count("\r\n"));
    }

    // ---- encodings ----

    // A Windows-1252 file holding a character that Windows-1252 cannot hold: asked before it becomes UTF-8.
    void changingTheEncodingIsAsked_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("No") << QStringLiteral("&No");
        QTest::newRow("Escape") << QStringLiteral("Escape");
        QTest::newRow("Yes") << QStringLiteral("&Yes");
    }
    void changingTheEncodingIsAsked()
    {
        QFETCH(QString, answer);
        const QByteArray bytes = "<P>caf\xe9</P>\n<P>x</P>\n";
        const QString path = k5test::WriteFile(tmp(QStringLiteral("cp1252.htm")), bytes);
        TEditForm *doc = open(path);
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Windows1252);
        doc->RiloMemo1->SetSelStart(int(doc->Text().indexOf(QLatin1Char('x'))));
        QTest::sendKeyEvent(QTest::Click, doc->RiloMemo1, Qt::Key_unknown, QStringLiteral("\u03a9"), Qt::NoModifier);
        QVERIFY(doc->Text().contains(QStringLiteral("\u03a9x")));
        apptest::User user;
        if (answer == QLatin1String("Escape"))
            user.Escape();
        else
            user.Click(answer);
        const bool saved = doc->Save1Click();
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        const QString asked = user.Texts.first();
        QVERIFY2(asked.contains(QStringLiteral("cp1252.htm")) && asked.contains(QStringLiteral("Windows-1252")) &&
                     asked.contains(QStringLiteral("\"\u03a9\", in line 2")) && asked.contains(QStringLiteral("UTF-8")),
                 qPrintable(asked));
        if (answer == QLatin1String("&Yes")) {
            QVERIFY(saved);
            QVERIFY(!doc->Modified());
            QCOMPARE(doc->Encoding(), platform::TextEncoding::Utf8);
            QCOMPARE(k5test::ReadFile(path), QByteArray("<P>caf\xc3\xa9</P>\n<P>\xce\xa9x</P>\n"));
            QVERIFY(doc->Save1Click()); // asked once: now it is a UTF-8 file
            return;
        }
        QVERIFY(!saved);
        QVERIFY(doc->Modified());
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Windows1252);
        QCOMPARE(k5test::ReadFile(path), bytes);
        // Closing asks to save; Yes brings the encoding question, and No to it keeps the window and the text.
        apptest::User closing;
        closing.Click(QStringLiteral("&Yes")).Click(QStringLiteral("&No"));
        QPointer<TEditForm> kept = doc;
        doc->Close1->trigger();
        apptest::Settle();
        QCOMPARE(closing.Texts.size(), 2);
        QVERIFY(closing.Texts.at(1).contains(QStringLiteral("Windows-1252")));
        QVERIFY(kept && kept->Modified() && kept->Text().contains(QStringLiteral("\u03a9")));
        QCOMPARE(k5test::ReadFile(path), bytes);
    }

    // Saved as UTF-8 after the question, a page declares UTF-8 where it declared its old character set (in
    // the letter case it had); a declaration in a comment, and every other byte, stay as they were.
    void aPageSavedAsUtf8DeclaresIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QString>("declared");
        QTest::newRow("meta elements")
            << QStringLiteral("declared.htm")
            << QByteArray("<HTML><HEAD>\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=ISO-8859-1\">\r\n"
                          "<!-- <meta charset=\"iso-8859-1\"> -->\r\n<meta charset=windows-1252/>\r\n"
                          "<META NAME=\"description\" CONTENT=\"charset=latin1\">\r\n</HEAD><BODY><P>caf\xe9</P>\r\n<P>x</P></BODY></HTML>\r\n")
            << QByteArray("<HTML><HEAD>\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n"
                          "<!-- <meta charset=\"iso-8859-1\"> -->\r\n<meta charset=utf-8/>\r\n"
                          "<META NAME=\"description\" CONTENT=\"charset=latin1\">\r\n</HEAD><BODY><P>caf\xc3\xa9</P>\r\n<P>\xce\xa9x</P></BODY></HTML>\r\n")
            << QStringLiteral("ISO-8859-1");
        QTest::newRow("xml declaration")
            << QStringLiteral("declared.xml")
            << QByteArray("<?xml version=\"1.0\" encoding='iso-8859-1'?>\n<page>caf\xe9\n<p>x</p></page>\n")
            << QByteArray("<?xml version=\"1.0\" encoding='utf-8'?>\n<page>caf\xc3\xa9\n<p>\xce\xa9x</p></page>\n")
            << QStringLiteral("iso-8859-1");
    }
    void aPageSavedAsUtf8DeclaresIt()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, saved);
        QFETCH(QString, declared);
        const QString path = k5test::WriteFile(tmp(name), bytes);
        TEditForm *doc = open(path);
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Windows1252);
        const QString before = doc->Text();
        doc->RiloMemo1->SetSelStart(int(before.lastIndexOf(QLatin1Char('x'))));
        QTest::sendKeyEvent(QTest::Click, doc->RiloMemo1, Qt::Key_unknown, QStringLiteral("\u03a9"), Qt::NoModifier);
        const int caret = doc->RiloMemo1->SelStart();
        {
            apptest::User user;
            user.Click(QStringLiteral("&Yes"));
            doc->Save1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts.size(), 1);
            QVERIFY2(user.Texts.first().contains(QStringLiteral("declares, \"%1\", will read UTF-8").arg(declared)),
                     qPrintable(user.Texts.first()));
        }
        QCOMPARE(k5test::ReadFile(path), saved);
        QVERIFY(!doc->Modified());
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Utf8);
        // The editor holds what the file holds, the caret where it was; one undo takes the declaration back.
        QCOMPARE(doc->Text(), platform::ToCrLf(platform::DecodeText(saved).text));
        QCOMPARE(doc->RiloMemo1->SelStart(), caret - int(before.size() + 1 - doc->Text().size()));
        QCOMPARE(doc->Text().mid(doc->RiloMemo1->SelStart() - 1, 2), QStringLiteral("\u03a9x"));
        doc->Save1->trigger(); // no question now (the watchman would fail it)
        apptest::Settle();
        QCOMPARE(k5test::ReadFile(path), saved);
        doc->RiloMemo1->Undo();
        QVERIFY(doc->Text().contains(declared));
        QVERIFY(doc->Text().contains(QStringLiteral("\u03a9x")));
        doc->SetModified(false);

        // An upload of the page as UTF-8 declares UTF-8 as well.
        const QString file = k5test::WriteFile(tmp(QStringLiteral("up-") + name), bytes);
        TEditForm *up = open(file);
        up->RiloMemo1->SetSelStart(int(up->Text().lastIndexOf(QLatin1Char('x'))));
        up->InsertText(QStringLiteral("\u03a9"));
        up->OnUpload = [](const QString &) {};
        apptest::User user;
        user.Click(QStringLiteral("&Yes"));
        up->UploadThissite1Click();
        QVERIFY(user.Done());
        QCOMPARE(k5test::ReadFile(platform::ProgramFile(QStringLiteral("upload.htm"))), saved);
        QCOMPARE(k5test::ReadFile(file), bytes);
        up->SetModified(false);
    }

    // A page is written in the encoding it declares (a browser reads it so), whatever it was read in; a page
    // that declares nothing, or an encoding we cannot write, keeps the one it was read in, and a byte order
    // mark (which a browser takes first) keeps its encoding.
    void aPageIsWrittenInTheEncodingItDeclares_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("saved"); // before the "x" typed at the end
        QTest::addColumn<int>("encoding");
        using E = platform::TextEncoding;
        const QByteArray head = "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">"
                                "</HEAD>\r\n<BODY><P>";
        QTest::newRow("UTF-8 declaring windows-1252") << head + "caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x93</P></BODY>\r\n"
                                                      << head + "caf\xe9 \x80 \x96</P></BODY>\r\n" << int(E::Windows1252);
        QTest::newRow("UTF-8 declaring ISO-8859-1") << QByteArray("<meta charset=\"ISO-8859-1\">\n<p>caf\xc3\xa9</p>\n")
                                                    << QByteArray("<meta charset=\"ISO-8859-1\">\n<p>caf\xe9</p>\n") << int(E::Windows1252);
        QTest::newRow("UTF-8 in an XML declaration of latin1") << QByteArray("<?xml version=\"1.0\" encoding=\"latin1\"?><p>\xc3\xa9</p>")
                                                               << QByteArray("<?xml version=\"1.0\" encoding=\"latin1\"?><p>\xe9</p>") << int(E::Windows1252);
        QTest::newRow("Windows-1252 declaring UTF-8") << QByteArray("<meta charset=utf-8>\r\n<p>caf\xe9 \x80</p>\r\n")
                                                      << QByteArray("<meta charset=utf-8>\r\n<p>caf\xc3\xa9 \xe2\x82\xac</p>\r\n") << int(E::Utf8);
        QTest::newRow("UTF-8 declaring nothing") << QByteArray("<p>caf\xc3\xa9</p>\r\n") << QByteArray("<p>caf\xc3\xa9</p>\r\n") << int(E::Utf8);
        QTest::newRow("Windows-1252 declaring nothing") << QByteArray("<p>caf\xe9</p>\r\n") << QByteArray("<p>caf\xe9</p>\r\n") << int(E::Windows1252);
        QTest::newRow("UTF-8 with a mark") << QByteArray("\xef\xbb\xbf<meta charset=windows-1252><p>caf\xc3\xa9</p>")
                                           << QByteArray("\xef\xbb\xbf<meta charset=windows-1252><p>caf\xc3\xa9</p>") << int(E::Utf8);
        QTest::newRow("declared in a comment or in the body")
            << QByteArray("<!-- <meta charset=windows-1252> --><BODY><meta charset=windows-1252><p>caf\xc3\xa9</p>")
            << QByteArray("<!-- <meta charset=windows-1252> --><BODY><meta charset=windows-1252><p>caf\xc3\xa9</p>") << int(E::Utf8);
        QTest::newRow("declaring an encoding we do not write") << QByteArray("<meta charset=koi8-r><p>caf\xc3\xa9</p>")
                                                               << QByteArray("<meta charset=koi8-r><p>caf\xc3\xa9</p>") << int(E::Utf8);
    }
    void aPageIsWrittenInTheEncodingItDeclares()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, saved);
        QFETCH(int, encoding);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("declares.htm")), bytes);
        TEditForm *doc = open(path);
        const QString text = doc->Text();
        doc->RiloMemo1->SetSelStart(doc->RiloMemo1->CharCount());
        doc->InsertText(QStringLiteral("x"));
        doc->Save1->trigger(); // no question (the watchman would fail it)
        apptest::Settle();
        QCOMPARE(k5test::ReadFile(path), saved + "x");
        QVERIFY(!doc->Modified());
        QCOMPARE(int(doc->Encoding()), encoding);
        QCOMPARE(doc->Text(), text + QStringLiteral("x"));
        // Read again, the file holds what the window held.
        doc->Close1->trigger();
        apptest::Settle();
        QCOMPARE(open(path)->Text(), text + QStringLiteral("x"));
        apptest::CloseAll(*frame);
    }

    // A page held as UTF-8 under a Windows-1252 declaration (it became UTF-8 for a character Windows-1252
    // lacks, then the declaration was taken back) goes back to Windows-1252 once its text fits; while it
    // does not, the user is asked before anything is written, and No leaves the file whole.
    void aPageThatCannotBeWrittenAsItDeclaresIsAsked()
    {
        const QByteArray bytes = "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">"
                                 "</HEAD>\r\n<BODY><P>caf\xe9 x</P></BODY>\r\n";
        const QString path = k5test::WriteFile(tmp(QStringLiteral("back.htm")), bytes);
        TEditForm *doc = open(path);
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Windows1252);
        doc->RiloMemo1->SetSelStart(int(doc->Text().lastIndexOf(QLatin1Char('x'))));
        QTest::sendKeyEvent(QTest::Click, doc->RiloMemo1, Qt::Key_unknown, QStringLiteral("\u03a9"), Qt::NoModifier);
        {
            apptest::User user;
            user.Click(QStringLiteral("&Yes"));
            doc->Save1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
        }
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Utf8);
        QVERIFY(doc->Text().contains(QStringLiteral("charset=utf-8")));
        // The declaration taken back: the page is held as UTF-8 and says windows-1252.
        doc->RiloMemo1->Undo();
        QVERIFY(doc->Text().contains(QStringLiteral("charset=windows-1252")));
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Utf8);
        const QByteArray utf8 = k5test::ReadFile(path);

        // Asked, and No: nothing is written.
        for (const QString &refusal : {QStringLiteral("&No"), QStringLiteral("Escape")}) {
            k5test::HardLink old(path);
            QVERIFY2(old.Error().isEmpty(), qPrintable(old.Error()));
            apptest::User user;
            if (refusal == QLatin1String("Escape"))
                user.Escape();
            else
                user.Click(refusal);
            doc->Save1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts.size(), 1);
            const QString asked = user.Texts.first();
            QVERIFY2(asked.contains(QStringLiteral("back.htm")) && asked.contains(QStringLiteral("\"windows-1252\"")) &&
                         asked.contains(QStringLiteral("\"\u03a9\", in line 2")) && asked.contains(QStringLiteral("Save it as UTF-8?")),
                     qPrintable(asked));
            QCOMPARE(old.Bytes(), utf8);
            QCOMPARE(k5test::ReadFile(path), utf8);
            QVERIFY(doc->Modified());
            QVERIFY(doc->Text().contains(QStringLiteral("charset=windows-1252")));
        }

        // Yes: UTF-8, and the page says so (one edit, which undo takes back).
        {
            apptest::User user;
            user.Click(QStringLiteral("&Yes"));
            doc->Save1->trigger();
            apptest::Settle();
            QVERIFY(user.Done());
            QCOMPARE(user.Texts.size(), 1);
        }
        QVERIFY(!doc->Modified());
        const QByteArray declared = k5test::ReadFile(path);
        QVERIFY(declared.contains("charset=utf-8") && declared.contains("caf\xc3\xa9 \xce\xa9x"));
        QCOMPARE(doc->Text(), QString::fromUtf8(declared));
        doc->RiloMemo1->Undo();
        QVERIFY(doc->Text().contains(QStringLiteral("charset=windows-1252")));

        // The character Windows-1252 lacks taken out, the page is written as it declares, unasked.
        const int omega = int(doc->Text().indexOf(QChar(0x03a9)));
        doc->RiloMemo1->Select(omega, 1);
        doc->RiloMemo1->SetSelText(QString());
        doc->Save1->trigger();
        apptest::Settle();
        QCOMPARE(k5test::ReadFile(path), bytes);
        QCOMPARE(doc->Encoding(), platform::TextEncoding::Windows1252);
        QVERIFY(!doc->Modified());
        apptest::CloseAll(*frame);
    }

    void uploadAsksBeforeChangingTheEncoding()
    {
        const QString path = k5test::WriteFile(tmp(QStringLiteral("cp1252up.htm")), "caf\xe9\r\n");
        TEditForm *doc = open(path);
        edit(doc, QStringLiteral("\u03a9"));
        QStringList uploaded;
        doc->OnUpload = [&](const QString &f) { uploaded << f; };
        const QString upload = platform::ProgramFile(QStringLiteral("upload.htm"));
        QFile::remove(upload);
        {
            apptest::User user;
            user.Click(QStringLiteral("&No"));
            doc->UploadThissite1Click();
            QCOMPARE(user.Texts.size(), 1);
            QVERIFY(user.Texts.first().startsWith(QStringLiteral("\"") + path));
            QVERIFY(user.Texts.first().contains(QStringLiteral("Upload it as UTF-8?")));
        }
        QVERIFY(uploaded.isEmpty());
        QVERIFY(!QFile::exists(upload));
        apptest::User user;
        user.Click(QStringLiteral("&Yes"));
        doc->UploadThissite1Click();
        QCOMPARE(uploaded, QStringList{upload});
        QCOMPARE(k5test::ReadFile(upload), QByteArray("\xce\xa9" "caf\xc3\xa9\r\n"));
        QCOMPARE(k5test::ReadFile(path), QByteArray("caf\xe9\r\n")); // the file itself is not written
    }

    // ---- files changed by another program ----

    void aFileChangedOnDiskIsNotOverwrittenUnasked_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("sameSize");
        QTest::newRow("No") << QStringLiteral("&No") << false;
        QTest::newRow("No, same size") << QStringLiteral("&No") << true;
        QTest::newRow("Escape") << QStringLiteral("Escape") << false;
        QTest::newRow("Yes") << QStringLiteral("&Yes") << false;
    }
    void aFileChangedOnDiskIsNotOverwrittenUnasked()
    {
        QFETCH(QString, answer);
        QFETCH(bool, sameSize);
        const QString path = k5test::WriteFile(tmp(QStringLiteral("shared.htm")), "<P>mine</P>\r\n");
        TEditForm *doc = open(path);
        edit(doc);
        QVERIFY(doc->Save1Click()); // our own writes ask nothing
        edit(doc);
        const QByteArray theirs = sameSize ? QByteArray("edited <P>them</P>\r\n") : QByteArray("<P>another program's</P>\r\n");
        if (sameSize)
            QCOMPARE(theirs.size(), k5test::ReadFile(path).size());
        writeBehindTheEditorsBack(path, theirs);
        apptest::User user;
        if (answer == QLatin1String("Escape"))
            user.Escape();
        else
            user.Click(answer);
        const bool saved = doc->Save1Click();
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(QStringLiteral("changed on disk by another program")) &&
                     user.Texts.first().contains(QStringLiteral("overwrite")) && user.Texts.first().contains(path),
                 qPrintable(user.Texts.first()));
        if (answer == QLatin1String("&Yes")) {
            QVERIFY(saved);
            QCOMPARE(k5test::ReadFile(path), QByteArray("edited edited <P>mine</P>\r\n"));
            edit(doc);
            QVERIFY(doc->Save1Click()); // the file is ours again: no question
            return;
        }
        QVERIFY(!saved);
        QVERIFY(doc->Modified());
        QCOMPARE(k5test::ReadFile(path), theirs);
        // Closing: Yes to saving, then No to overwriting keeps the window.
        apptest::User closing;
        closing.Click(QStringLiteral("&Yes")).Click(QStringLiteral("&No"));
        QPointer<TEditForm> kept = doc;
        doc->Close1->trigger();
        apptest::Settle();
        QCOMPARE(closing.Texts.size(), 2);
        QVERIFY(closing.Texts.at(1).contains(QStringLiteral("changed on disk")));
        QVERIFY(kept && kept->Modified());
        QCOMPARE(k5test::ReadFile(path), theirs);
    }

    void reloadAndUploadAskAsWell()
    {
        const QString path = k5test::WriteFile(tmp(QStringLiteral("shared2.htm")), "<P>mine</P>\r\n");
        TEditForm *doc = open(path);
        QStringList shown, uploaded;
        doc->OnNavigate = [&](const QString &f) { shown << f; };
        doc->OnUpload = [&](const QString &f) { uploaded << f; };
        doc->PageControl2->setCurrentIndex(1);
        edit(doc);
        const QByteArray theirs = "<P>another program's</P>\r\n";
        writeBehindTheEditorsBack(path, theirs);
        const QString upload = platform::ProgramFile(QStringLiteral("upload.htm"));
        QFile::remove(upload);
        {
            apptest::User user;
            user.Click(QStringLiteral("&No")).Click(QStringLiteral("&No"));
            QTest::mouseClick(doc->SpeedButton4, Qt::LeftButton); // Reload
            doc->UploadThissite1Click();
            apptest::Settle();
            QCOMPARE(user.Texts.size(), 2);
            QVERIFY(user.Texts.at(0).contains(QStringLiteral("changed on disk by another program")));
            QVERIFY(user.Texts.at(1).contains(QStringLiteral("changed on disk by another program")));
            QVERIFY(user.Texts.at(1).contains(QStringLiteral("Upload")));
        }
        QCOMPARE(k5test::ReadFile(path), theirs);
        QCOMPARE(shown, QStringList{path}); // the tab switch only: no reload
        QVERIFY(uploaded.isEmpty() && !QFile::exists(upload));
        QVERIFY(doc->Modified());
        apptest::User user;
        user.Click(QStringLiteral("&Yes"));
        QTest::mouseClick(doc->SpeedButton4, Qt::LeftButton);
        QCOMPARE(k5test::ReadFile(path), QByteArray("edited <P>mine</P>\r\n"));
        doc->UploadThissite1Click(); // the file is ours again: no question
        QCOMPARE(uploaded, QStringList{upload});
        QCOMPARE(user.Texts.size(), 1);
    }

    void aFileTakenAwayIsWrittenAgainUnasked()
    {
        const QString path = k5test::WriteFile(tmp(QStringLiteral("gone.htm")), "<P>x</P>");
        TEditForm *doc = open(path);
        edit(doc);
        QVERIFY(QFile::remove(path));
        QVERIFY(doc->Save1Click());
        QCOMPARE(k5test::ReadFile(path), QByteArray("edited <P>x</P>"));
    }

    // ---- one window per file ----

    void aFileAlreadyOpenIsActivated()
    {
        const QString path = k5test::WriteFile(tmp(QStringLiteral("once/page.htm")), "<P>once</P>\r\n");
        const QString other = k5test::WriteFile(tmp(QStringLiteral("once/other.htm")), "<P>other</P>\r\n");
        const QString link = tmp(QStringLiteral("once/link.htm"));
        QVERIFY(QFile::link(path, link));
        TEditForm *doc = open(path);
        edit(doc); // what the window holds is kept: it is not read again
        TEditForm *second = open(other);
        QCOMPARE(frame->MDIChildCount(), 2);
        const QStringList ways = {QStringLiteral("relay"), QStringLiteral("drop"), QStringLiteral("File > Open"),
                                  QStringLiteral("side browser"), QStringLiteral("symbolic link"),
                                  QStringLiteral("another spelling")};
        for (const QString &way : ways) {
            frame->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(second->Frame()));
            QCOMPARE(frame->ActiveEditForm(), second);
            if (way == QLatin1String("relay")) {
                open(path);
            } else if (way == QLatin1String("drop")) {
                drop(path);
            } else if (way == QLatin1String("File > Open")) {
                apptest::User user;
                user.TypeFileName(path);
                item(frame->ActiveEditForm(), QStringLiteral("Open2"))->trigger();
                apptest::Settle();
                QVERIFY(user.Done());
            } else if (way == QLatin1String("side browser")) {
                TEditForm *from = frame->ActiveEditForm();
                from->FileListBox1->SetDirectory(tmp(QStringLiteral("once")));
                const auto found = from->FileListBox1->findItems(QStringLiteral("page.htm"), Qt::MatchExactly);
                QCOMPARE(found.size(), 1);
                from->FileListBox1->setCurrentItem(found.first());
                from->Edit5->trigger();
            } else if (way == QLatin1String("symbolic link")) {
                open(link);
            } else {
                open(tmp(QStringLiteral("once/../once/./page.htm")));
            }
            apptest::Settle();
            QCOMPARE(frame->MDIChildCount(), 2);
            QVERIFY2(frame->ActiveEditForm() == doc, qPrintable(way));
            QVERIFY(doc->Modified());
            QVERIFY(doc->Text().startsWith(QStringLiteral("edited ")));
        }
    }

    // ---- refused files ----

    void aRefusedFileLeavesTheActiveDocumentActive_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"File > Open", "drop", "relay", "side browser"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    // Refused with its name and reason in a plain message box (no exception report), and the document the
    // user was working in stays the active one.
    void aRefusedFileLeavesTheActiveDocumentActive()
    {
        QFETCH(QString, way);
        QStringList reported;
        const platform::ExceptionHandler before = platform::Application::CurrentExceptionHandler();
        platform::Application::SetExceptionHandler([&](const std::exception &e) { reported << QString::fromLocal8Bit(e.what()); });
        const QString binary = k5test::WriteFile(tmp(QStringLiteral("refused/picture.htm")), QByteArray("GIF89a\0\0\x01", 9));
        for (const char *name : {"first.htm", "second.htm", "third.htm"})
            open(k5test::WriteFile(tmp(QStringLiteral("refused/") + QString::fromLatin1(name)), "<P>x</P>"));
        TEditForm *working = frame->EditForms().at(1); // neither the newest nor the oldest
        frame->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(working->Frame()));
        QCOMPARE(frame->ActiveEditForm(), working);
        apptest::User user;
        if (way == QLatin1String("File > Open")) {
            user.TypeFileName(binary).Click(QStringLiteral("OK"));
            item(working, QStringLiteral("Open2"))->trigger();
        } else {
            user.Click(QStringLiteral("OK"));
            if (way == QLatin1String("drop")) {
                drop(binary);
            } else if (way == QLatin1String("relay")) {
                open(binary);
            } else {
                working->FileListBox1->SetMask(QStringLiteral("*.*"));
                working->FileListBox1->SetDirectory(tmp(QStringLiteral("refused")));
                const auto found = working->FileListBox1->findItems(QStringLiteral("picture.htm"), Qt::MatchExactly);
                QCOMPARE(found.size(), 1);
                working->FileListBox1->setCurrentItem(found.first());
                working->Edit5->trigger();
            }
        }
        apptest::Settle();
        platform::Application::SetExceptionHandler(before);
        QVERIFY(user.Done());
        QCOMPARE(reported, QStringList());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(QDir::toNativeSeparators(binary)) &&
                     user.Texts.first().contains(QStringLiteral("is not a text document")),
                 qPrintable(user.Texts.first()));
        QCOMPARE(frame->MDIChildCount(), 3);
        QCOMPARE(frame->ActiveEditForm(), working);
    }

    // ---- a write that fails midway ----

    void aSaveCutShortKeepsTheFileAndTheEdits()
    {
        const QByteArray old = "<P>on disk</P>\r\n";
        const QString path = k5test::WriteFile(tmp(QStringLiteral("cut/page.htm")), old);
        TEditForm *doc = open(path);
        edit(doc);
        apptest::User user;
        user.Click(QStringLiteral("OK"));
        {
            // The disk takes no more than a few bytes of the new file, whoever the user is.
            k5test::FileSizeLimit limit(4);
            QVERIFY(!doc->Save1Click());
        }
        apptest::Settle();
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY2(user.Texts.first().contains(path), qPrintable(user.Texts.first()));
        QVERIFY(doc->Modified());
        QCOMPARE(k5test::ReadFile(path), old);
        QCOMPARE(QDir(tmp(QStringLiteral("cut"))).entryList(QDir::Files), QStringList{QStringLiteral("page.htm")});
        QVERIFY(doc->Save1Click()); // its own half-written file was no change by another program
        QCOMPARE(k5test::ReadFile(path), "edited " + old);
    }
};

K5_TEST_MAIN(TestDocumentFiles)
#include "test_documentfiles.moc"
