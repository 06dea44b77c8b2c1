// A tree kept in a file: the text form on disk, a missing file, and a file that does not read, which is
// kept as it is (and copied beside) unless the user changes the tree, with its error shown once.
#include "k5test.h"

#include "controls/tree/treefile.h"
#include "controls/tree/zozezo.h"
#include "platform/folders.h"

#include <QDir>
#include <QFile>

using namespace tree;

namespace {

QStringList shape(TZozeZONodes *items)
{
    QStringList out;
    for (TZozeZONode *n = items->GetFirstNode(); n; n = n->GetNext())
        out << QString(n->Level(), u'.') + n->Text();
    return out;
}

QString path(const QString &name)
{
    return QDir(k5test::Root()).filePath(QStringLiteral("files/") + name);
}

} // namespace

class TestTreeFile : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        k5test::ResetEnvironment();
        TTreeFile::ForgetReportedErrors();
        QDir(path(QString())).removeRecursively();
        QDir().mkpath(path(QString()));
    }

    void writesOneTabALevelWithCrLf()
    {
        TZozeZO view;
        TTreeFile file(&view, path(QStringLiteral("tags.qvl")));
        QVERIFY(file.Load());
        QVERIFY(!file.Changed());
        TZozeZONode *a = view.Items()->Add(nullptr, QStringLiteral("Root"));
        TZozeZONode *b = view.Items()->AddChild(a, QStringLiteral("<B>"));
        view.Items()->AddChild(b, QStringLiteral("<I>x</I>"));
        view.Items()->Add(nullptr, QStringLiteral("Second"));
        QVERIFY(file.Changed());
        QVERIFY(file.Save());
        QCOMPARE(k5test::ReadFile(file.Path()), QByteArray("Root\r\n\t<B>\r\n\t\t<I>x</I>\r\nSecond\r\n"));

        TZozeZO again;
        TTreeFile reread(&again, file.Path());
        QVERIFY(reread.Load());
        QCOMPARE(shape(again.Items()), (QStringList{"Root", ".<B>", "..<I>x</I>", "Second"}));
        QVERIFY(!reread.Changed());
    }

    void missingFileIsAnEmptyTreeAndSavesWhenAsked()
    {
        k5test::Answerer answers;
        TZozeZO view;
        view.Items()->Add(nullptr, QStringLiteral("left over"));
        TTreeFile file(&view, path(QStringLiteral("none.qvl")));
        QVERIFY(file.Load());
        QCOMPARE(view.Items()->Count(), 0);
        QVERIFY(answers.Messages().isEmpty());
        // An unchanged empty tree from a missing file may be written: nothing is lost by it.
        QVERIFY(file.Save());
        QCOMPARE(k5test::ReadFile(file.Path()), QByteArray());
    }

    void badFileIsKeptUnlessTheTreeChanges_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("level skipped") << QByteArray("Top\r\n\t\t\tToo deep\r\n");
        QTest::newRow("NUL inside") << QByteArray("One\r\nTw\0o\r\nThree\r\n", 19);
        QTest::newRow("damaged record stream") << QByteArray("\x0D\x54\x4E\x54\x0D\x00\x05\x00\x00\x00", 10);
    }
    void badFileIsKeptUnlessTheTreeChanges()
    {
        QFETCH(QByteArray, bytes);
        const QString name = path(QStringLiteral("customtags.qvl"));
        k5test::WriteFile(name, bytes);
        k5test::Answerer answers;
        {
            TZozeZO view;
            view.Items()->Add(nullptr, QStringLiteral("stale"));
            TTreeFile file(&view, name);
            QVERIFY(!file.Load());
            QVERIFY(file.LoadFailed());
            QVERIFY(!file.LoadError().isEmpty());
            QCOMPARE(view.Items()->Count(), 0);
            QCOMPARE(answers.Messages().size(), 1);
            QVERIFY(answers.Messages().at(0).text.contains(name + QStringLiteral(".bak")));
            QCOMPARE(k5test::ReadFile(name + QStringLiteral(".bak")), bytes);
            // Closing without a change writes nothing.
            QVERIFY(!file.Save());
            QCOMPARE(k5test::ReadFile(name), bytes);
            // Read again (a picker does each time it is shown): no second message.
            QVERIFY(!file.Load());
            QCOMPARE(answers.Messages().size(), 1);
        }
        {
            // A second window on the same file in the same run stays quiet too, and does not write it.
            TZozeZO view;
            TTreeFile file(&view, name);
            QVERIFY(!file.Load());
            QCOMPARE(answers.Messages().size(), 1);
            QVERIFY(!file.Save());
            QCOMPARE(k5test::ReadFile(name), bytes);
            // Once the user changes the tree, it is written; the copy keeps the old bytes.
            view.Items()->Add(nullptr, QStringLiteral("<HR>"));
            QVERIFY(file.Changed());
            QVERIFY(file.Save());
            QCOMPARE(k5test::ReadFile(name), QByteArray("<HR>\r\n"));
            QCOMPARE(k5test::ReadFile(name + QStringLiteral(".bak")), bytes);
            QVERIFY(!file.LoadFailed());
        }
    }

    void aBackupNeverReplacesAFileItDidNotMake()
    {
        const QString name = path(QStringLiteral("projects.qvl"));
        const QByteArray bad("Top\r\n\t\t\tToo deep\r\n");
        k5test::WriteFile(name, bad);
        k5test::WriteFile(name + QStringLiteral(".bak"), "the user's own");
        k5test::Answerer answers;
        TZozeZO view;
        TTreeFile file(&view, name);
        QVERIFY(!file.Load());
        QCOMPARE(k5test::ReadFile(name + QStringLiteral(".bak")), QByteArray("the user's own"));
        QCOMPARE(k5test::ReadFile(name + QStringLiteral(".bak2")), bad);
        QVERIFY(answers.Messages().at(0).text.contains(name + QStringLiteral(".bak2")));
        // The same bad bytes in a later run find their copy: no third one.
        TTreeFile::ForgetReportedErrors();
        QVERIFY(!file.Load());
        QCOMPARE(answers.Messages().size(), 2);
        QVERIFY(answers.Messages().at(1).text.contains(name + QStringLiteral(".bak2")));
        QCOMPARE(QDir(path(QString())).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"projects.qvl", "projects.qvl.bak", "projects.qvl.bak2"}));
        // A name taken by a link that leads nowhere is not followed either.
        TTreeFile::ForgetReportedErrors();
        k5test::WriteFile(name, "Other\r\n\t\t\tbad\r\n");
        QVERIFY(QFile::link(path(QStringLiteral("nowhere")), name + QStringLiteral(".bak3")));
        QVERIFY(!file.Load());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("nowhere"))));
        QCOMPARE(k5test::ReadFile(name + QStringLiteral(".bak4")), QByteArray("Other\r\n\t\t\tbad\r\n"));
        // A file only shown is neither copied nor written.
        TTreeFile::ForgetReportedErrors();
        TTreeFile shown(&view, path(QStringLiteral("picture.png")));
        shown.SetReadOnly(true);
        k5test::WriteFile(shown.Path(), QByteArray("\x89PNG\0", 5));
        QVERIFY(!shown.Load());
        QVERIFY(!QFileInfo::exists(shown.Path() + QStringLiteral(".bak")));
        view.Items()->Add(nullptr, QStringLiteral("added"));
        QVERIFY(!shown.Save());
        QCOMPARE(k5test::ReadFile(shown.Path()), QByteArray("\x89PNG\0", 5));
    }

    void unreadableFileIsNotOverwritten()
    {
        // A folder where the file should be cannot be read (nor copied); it is reported and left alone.
        const QString name = path(QStringLiteral("projects.qvl"));
        QVERIFY(QDir().mkpath(name));
        k5test::Answerer answers;
        TZozeZO view;
        TTreeFile file(&view, name);
        QVERIFY(!file.Load());
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY(!QFileInfo::exists(name + QStringLiteral(".bak")));
        QVERIFY(!file.Save());
        QVERIFY(QFileInfo(name).isDir());
    }

    void writeFailureRaises()
    {
        const QString name = path(QStringLiteral("sub/locked.qvl"));
        k5test::WriteFile(name, "Old\r\n");
        TZozeZO view;
        TTreeFile file(&view, name);
        QVERIFY(file.Load());
        view.Items()->Add(nullptr, QStringLiteral("New"));
        // Its folder became a file: no one can write there, root included.
        QVERIFY(QDir(path(QStringLiteral("sub"))).removeRecursively());
        k5test::WriteFile(path(QStringLiteral("sub")), "in the way");
        QVERIFY_THROWS_EXCEPTION(platform::FileError, file.Save());
        QVERIFY(file.Changed());
    }

    // A text that would split into two lines, or end the file at a NUL, is never written: the file keeps
    // what it held.
    void textTheFileCannotGiveBackIsNotWritten()
    {
        for (const QString &bad : {QStringLiteral("two\nlines"), QStringLiteral("car\rriage"), QString::fromUtf16(u"nu\0l", 4)}) {
            const QString name = path(QStringLiteral("guarded.qvl"));
            k5test::WriteFile(name, "Old\r\n");
            TZozeZO view;
            TTreeFile file(&view, name);
            QVERIFY(file.Load());
            view.Items()->AddChild(view.Items()->GetFirstNode(), bad);
            QVERIFY_THROWS_EXCEPTION(platform::FileError, file.Save());
            QCOMPARE(k5test::ReadFile(name), QByteArray("Old\r\n"));
        }
    }

    void utf16AndRecordFormsRead()
    {
        // Both other forms the tree reads are taken; the file is written back in the text form.
        TZozeZO source;
        TZozeZONode *p = source.Items()->Add(nullptr, QStringLiteral("Project"));
        source.Items()->AddChild(p, QStringLiteral("/home/u/page.htm"));
        const QString name = path(QStringLiteral("projects.qvl"));
        k5test::WriteFile(name, source.SaveToBytes(true));
        TZozeZO view;
        TTreeFile file(&view, name);
        QVERIFY(file.Load());
        QCOMPARE(shape(view.Items()), (QStringList{"Project", "./home/u/page.htm"}));
        QVERIFY(file.Save());
        QCOMPARE(k5test::ReadFile(name), QByteArray("Project\r\n\t/home/u/page.htm\r\n"));

        QByteArray utf16("\xFF\xFE", 2);
        for (QChar c : QStringLiteral("A\r\n\tb\u00E9\r\n"))
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        k5test::WriteFile(name, utf16);
        QVERIFY(file.Load());
        QCOMPARE(shape(view.Items()), (QStringList{"A", QStringLiteral(".b\u00E9")}));
    }
};

K5_TEST_MAIN(TestTreeFile)
#include "test_treefile.moc"
