#include "k5test.h"

#include "platform/error.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFile>

using namespace platform;

class TestTextFile : public QObject {
    Q_OBJECT
    QString path(const QString &name) { return k5test::Root() + QStringLiteral("/tmp/") + name; }

private slots:
    void decodesEachEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<bool>("bom");
        QTest::newRow("ascii") << QByteArray("<P>x</P>\r\n") << QStringLiteral("<P>x</P>\r\n") << int(TextEncoding::Utf8) << false;
        QTest::newRow("utf8") << QByteArray("caf\xc3\xa9 \xe2\x82\xac") << QStringLiteral("caf\u00e9 \u20ac") << int(TextEncoding::Utf8) << false;
        QTest::newRow("utf8 bom") << QByteArray("\xef\xbb\xbfok") << QStringLiteral("ok") << int(TextEncoding::Utf8) << true;
        QTest::newRow("cp1252") << QByteArray("caf\xe9 \x80 \x93q\x94 \x81") << QStringLiteral("caf\u00e9 \u20ac \u201cq\u201d \u0081")
                                << int(TextEncoding::Windows1252) << false;
        QTest::newRow("utf16le") << QByteArray("\xff\xfe" "a\0\xe9\0\r\0\n\0", 10) << QStringLiteral("a\u00e9\r\n") << int(TextEncoding::Utf16LE) << true;
        QTest::newRow("utf16be") << QByteArray("\xfe\xff\0a\0\xe9", 6) << QStringLiteral("a\u00e9") << int(TextEncoding::Utf16BE) << true;
    }
    void decodesEachEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(int, encoding);
        QFETCH(bool, bom);
        const QString p = k5test::WriteFile(path(QStringLiteral("doc.htm")), bytes);
        const TextDocument doc = LoadTextDocument(p);
        QCOMPARE(doc.text, text);
        QCOMPARE(int(doc.encoding), encoding);
        QCOMPARE(doc.bom, bom);
        // Written back in the same encoding: the same bytes (these samples already use CR LF or no ends).
        SaveTextDocument(p, doc.text, doc.encoding, doc.bom);
        QCOMPARE(k5test::ReadFile(p), bytes);
    }

    void lineEndsBecomeCrLf()
    {
        QCOMPARE(ToCrLf(QStringLiteral("a\nb\rc\r\nd\n\re")), QStringLiteral("a\r\nb\r\nc\r\nd\r\n\r\ne"));
        const QString p = path(QStringLiteral("ends.htm"));
        SaveTextDocument(p, QStringLiteral("1\n2\r3\r\n"), TextEncoding::Utf8, false);
        QCOMPARE(k5test::ReadFile(p), QByteArray("1\r\n2\r\n3\r\n"));
        SaveTextDocument(p, QStringLiteral("x\ny"), TextEncoding::Utf16LE, true);
        QCOMPARE(k5test::ReadFile(p), QByteArray("\xff\xfex\0\r\0\n\0y\0", 10));
    }

    void nulBytesAreRefused()
    {
        const QString p = k5test::WriteFile(path(QStringLiteral("bin.htm")), QByteArray("ab\0cd", 5));
        try {
            LoadTextDocument(p);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY(e.message().contains(QStringLiteral("NUL characters (the first at byte offset 2)")));
            QVERIFY(e.message().contains(QStringLiteral("bin.htm")));
        }
    }

    void utf16DocumentsHoldingUPlus0000AreRefused()
    {
        // The text control would cut the text there, and a save would write what is left.
        const QString le = k5test::WriteFile(path(QStringLiteral("le.htm")), QByteArray("\xff\xfe" "a\0b\0\0\0c\0", 10));
        try {
            LoadTextDocument(le);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("NUL characters (the first at byte offset 6)")), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("le.htm")));
        }
        QVERIFY_THROWS_EXCEPTION(FileError, DecodeDocument(QByteArray("\xfe\xff\0a\0\0", 6), QStringLiteral("be.htm")));
        QCOMPARE(DecodeDocument(QByteArray("\xfe\xff\0a\x01\0", 6)).text, QStringLiteral("a\u0100"));
    }

    void styleCodesAreFoundWhereTheEditorWouldMeetThem_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("found"); // empty: accepted
        QTest::newRow("plain") << QByteArray("<P>\t\x06\x14\x16\x1f</P>\r\n") << int(TextEncoding::Utf8) << QString();
        QTest::newRow("utf-8 0x01") << QByteArray("\x01") << int(TextEncoding::Utf8) << "0x01 at byte offset 0";
        QTest::newRow("utf-8 0x15 after a wide character") << QByteArray("\xe2\x82\xac\x15") << int(TextEncoding::Utf8) << "0x15 at byte offset 3";
        QTest::newRow("windows-1252 0x05") << QByteArray("\xe9\x05") << int(TextEncoding::Windows1252) << "0x05 at byte offset 1";
        // Long texts are scanned sixteen bytes a step: codes at the edges of a step and past the last whole one.
        const QByteArray lines = QByteArray("<p>\tline</p>\r\n\x06\x14\x16\x7f\xc3\xa9").repeated(4);
        QTest::newRow("long, none") << lines << int(TextEncoding::Utf8) << QString();
        QTest::newRow("long, last of a step") << lines.left(15) + "\x01" + lines << int(TextEncoding::Utf8) << "0x01 at byte offset 15";
        QTest::newRow("long, first of a step") << lines.left(16) + "\x15" + lines << int(TextEncoding::Utf8) << "0x15 at byte offset 16";
        QTest::newRow("long, within a step") << lines.left(37) + "\x05" + lines << int(TextEncoding::Windows1252) << "0x05 at byte offset 37";
        QTest::newRow("long, in the tail") << lines.left(64) + "\x03" << int(TextEncoding::Utf8) << "0x03 at byte offset 64";
        // In UTF-16 only whole characters count: U+0201 holds the bytes 01 02 and is no style code.
        QTest::newRow("utf-16le letter") << QByteArray("\xff\xfe\x01\x02", 4) << int(TextEncoding::Utf16LE) << QString();
        QTest::newRow("utf-16le 0x04") << QByteArray("\xff\xfe" "a\0\x04\0", 6) << int(TextEncoding::Utf16LE) << "0x04 at byte offset 4";
        QTest::newRow("utf-16be 0x15") << QByteArray("\xfe\xff\0\x15", 4) << int(TextEncoding::Utf16BE) << "0x15 at byte offset 2";
    }
    void styleCodesAreFoundWhereTheEditorWouldMeetThem()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(QString, found);
        try {
            RefuseStyleCodes(bytes, TextEncoding(encoding), QStringLiteral("/x/page.htm"));
            QVERIFY2(found.isEmpty(), "not refused");
        } catch (const FileError &e) {
            QVERIFY2(!found.isEmpty() && e.message().contains(found), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("page.htm")));
        }
    }

    void textThatWindows1252CannotHoldIsSavedAsUtf8()
    {
        const QString p = path(QStringLiteral("wide.htm"));
        const TextEncoding used = SaveTextDocument(p, QStringLiteral("\u0101 \u20ac"), TextEncoding::Windows1252, false);
        QCOMPARE(int(used), int(TextEncoding::Utf8));
        QCOMPARE(LoadTextDocument(p).text, QStringLiteral("\u0101 \u20ac"));
        QCOMPARE(int(SaveTextDocument(p, QStringLiteral("\u20ac"), TextEncoding::Windows1252, false)), int(TextEncoding::Windows1252));
        QCOMPARE(k5test::ReadFile(p), QByteArray("\x80"));
    }

    void everyWindows1252ByteRoundTrips()
    {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(char(b));
        QByteArray back;
        QVERIFY(ToWindows1252(FromWindows1252(all), &back));
        QCOMPARE(back, all);
    }

    // The character sets a page declares other than UTF-8, made UTF-8 in their own letter case.
    void declaredCharsetsBecomeUtf8_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("declared");
        QTest::newRow("single quotes, spaces") << QStringLiteral("<meta  Charset = ' Latin1 ' >") << QStringLiteral("<meta  Charset = ' UTF-8 ' >");
        QTest::newRow("http-equiv in any case") << QStringLiteral("<META content='text/html;charset=windows-1252' http-equiv=CONTENT-TYPE>")
                                               << QStringLiteral("<META content='text/html;charset=utf-8' http-equiv=CONTENT-TYPE>");
        QTest::newRow("already UTF-8") << QStringLiteral("<meta charset=\"UTF8\"><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">")
                                      << QStringLiteral("<meta charset=\"UTF8\"><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
        QTest::newRow("not a Content-Type") << QStringLiteral("<meta http-equiv=\"refresh\" content=\"5; charset=latin1\">")
                                           << QStringLiteral("<meta http-equiv=\"refresh\" content=\"5; charset=latin1\">");
        QTest::newRow("unterminated comment") << QStringLiteral("<meta charset=a><!-- <meta charset=b>") << QStringLiteral("<meta charset=utf-8><!-- <meta charset=b>");
        QTest::newRow("unterminated tag") << QStringLiteral("<p>\u00e9</p><meta charset=KOI8-R") << QStringLiteral("<p>\u00e9</p><meta charset=UTF-8");
        // What reads as an XML declaration's name ends at its tag: a meta element after it is one of its own.
        QTest::newRow("meta element in what looks like an xml declaration")
            << QStringLiteral("<?xml version=\"1.0\" encoding=\"x <meta charset=latin1>\"?>")
            << QStringLiteral("<?xml version=\"1.0\" encoding=\"x <meta charset=utf-8>\"?>");
        QTest::newRow("xml declaration not first") << QStringLiteral(" <?xml version=\"1.0\" encoding=\"latin1\"?>")
                                                  << QStringLiteral(" <?xml version=\"1.0\" encoding=\"latin1\"?>");
    }
    void declaredCharsetsBecomeUtf8()
    {
        QFETCH(QString, page);
        QFETCH(QString, declared);
        QCOMPARE(DeclaringUtf8(page, ForeignCharsetDeclarations(page)), declared);
    }

    // The encoding a page is written in: the one its first declaration names where a browser takes it.
    void aPageIsWrittenAsItsFirstDeclarationSays_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("held");
        QTest::addColumn<bool>("bom");
        QTest::addColumn<int>("written");
        const int utf8 = int(TextEncoding::Utf8), cp1252 = int(TextEncoding::Windows1252), le = int(TextEncoding::Utf16LE);
        QTest::newRow("names a browser reads as Windows-1252")
            << QStringLiteral("<meta charset=US-ASCII><meta charset=utf-8>") << utf8 << false << cp1252;
        QTest::newRow("Content-Type in any case") << QStringLiteral("<META CONTENT='text/html;CHARSET=Latin1' HTTP-EQUIV=content-type>")
                                                  << utf8 << false << cp1252;
        QTest::newRow("UTF-8 under another name") << QStringLiteral("<meta charset=\"unicode-1-1-utf-8\">") << cp1252 << false << utf8;
        QTest::newRow("the first one counts") << QStringLiteral("<meta charset=utf8><meta charset=windows-1252>") << cp1252 << false << utf8;
        QTest::newRow("an encoding we do not write") << QStringLiteral("<meta charset=koi8-r><meta charset=utf-8>") << cp1252 << false << cp1252;
        QTest::newRow("in a comment") << QStringLiteral("<!-- <meta charset=utf-8> --><p>") << cp1252 << false << cp1252;
        QTest::newRow("after BODY") << QStringLiteral("<head></head><Body><meta charset=utf-8>") << cp1252 << false << cp1252;
        QTest::newRow("no declaration") << QStringLiteral("<p>caf\u00e9</p>") << utf8 << false << utf8;
        QTest::newRow("a mark outweighs it") << QStringLiteral("<meta charset=windows-1252>") << utf8 << true << utf8;
        QTest::newRow("UTF-16 outweighs it") << QStringLiteral("<meta charset=windows-1252>") << le << true << le;
        QTest::newRow("empty name") << QStringLiteral("<?xml version=\"1.0\" encoding=\"\"?><meta charset=utf-8>") << cp1252 << false << utf8;
    }
    void aPageIsWrittenAsItsFirstDeclarationSays()
    {
        QFETCH(QString, page);
        QFETCH(int, held);
        QFETCH(bool, bom);
        QFETCH(int, written);
        QCOMPARE(int(EncodingToWrite(page, TextEncoding(held), bom)), written);
    }

    void aWriteCutShortKeepsTheOldFile()
    {
        const QString dir = path(QStringLiteral("cut"));
        const QString p = k5test::WriteFile(dir + QStringLiteral("/keep.htm"), "old");
        {
            // The disk refuses to hold more than a few bytes of the new file, whoever writes it; the
            // write fails both buffered (small) and unbuffered (large).
            k5test::FileSizeLimit limit(2);
            QVERIFY_THROWS_EXCEPTION(FileError, SaveTextDocument(p, QStringLiteral("new text"), TextEncoding::Utf8, false));
            QVERIFY_THROWS_EXCEPTION(FileError, SaveTextDocument(p, QString(1 << 20, QLatin1Char('x')), TextEncoding::Utf8, false));
        }
        QCOMPARE(k5test::ReadFile(p), QByteArray("old"));
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("keep.htm")});
    }

    void failedSaveKeepsTheOldFile()
    {
        const QString p = k5test::WriteFile(path(QStringLiteral("keep.htm")), "old");
        // The folder of the target is a file: the temporary cannot be created, whatever our rights are.
        QVERIFY_THROWS_EXCEPTION(FileError, SaveTextDocument(p + QStringLiteral("/x.htm"), QStringLiteral("new"), TextEncoding::Utf8, false));
        QCOMPARE(k5test::ReadFile(p), QByteArray("old"));
        QVERIFY_THROWS_EXCEPTION(FileError, LoadTextDocument(path(QStringLiteral("missing.htm"))));
    }
};

K5_TEST_MAIN(TestTextFile)
#include "test_textfile.moc"
