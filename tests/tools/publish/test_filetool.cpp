#include "k5test.h"

#include "tools/publish/fileoperatorform.h"

#include "controls/zel/explorer.h"
#include "platform/shell/volumes.h"

#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QPushButton>

using namespace publish;
using k5test::User;

class TestFileTool : public QObject {
    Q_OBJECT

    QString disk, src, dst;

    // The window with both folders chosen and, when given, a file selected by its shown name.
    void choose(TFileOperatorForm &form, const QString &shown = QString())
    {
        form.DirectoryListBox2->SetDirectory(src);
        form.DirectoryListBox1->SetDirectory(dst);
        if (shown.isEmpty())
            return;
        const auto items = form.FileListBox2->findItems(shown, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        form.FileListBox2->setCurrentItem(items.first());
    }
    static QStringList files(const QString &dir) { return QDir(dir).entryList(QDir::Files, QDir::Name); }

private slots:
    void initTestCase()
    {
        disk = k5test::Root() + QStringLiteral("/disk/");
        const QList<platform::Volume> volumes{{disk, QStringLiteral("Local Disk (C:)"), platform::DRIVE_FIXED}};
        platform::SetVolumeProvider([volumes] { return volumes; });
    }
    void cleanupTestCase() { platform::SetVolumeProvider(nullptr); }

    void init()
    {
        QDir(disk).removeRecursively();
        src = disk + QStringLiteral("Source/");
        dst = disk + QStringLiteral("Target/");
        QDir().mkpath(dst);
        k5test::WriteFile(src + QStringLiteral("ReadMe.TXT"), "read me");
        k5test::WriteFile(src + QStringLiteral("Other.Htm"), "<p>");
    }
    void cleanup() { k5test::Settle(); }

    void listShowsLowerCaseNames()
    {
        TFileOperatorForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("File Operator"));
        choose(form);
        QStringList shown;
        for (int i = 0; i < form.FileListBox2->count(); ++i)
            shown << form.FileListBox2->item(i)->text();
        QCOMPARE(shown, (QStringList{"other.htm", "readme.txt"}));
        QVERIFY(!form.FileListbox1->isVisibleTo(&form));
    }

    void everyOperationWantsAFile()
    {
        TFileOperatorForm form;
        choose(form);
        k5test::Answerer answers;
        for (QPushButton *b : {form.CopyButton, form.DeleteButton, form.MoveButton, form.RenameButton})
            QTest::mouseClick(b, Qt::LeftButton);
        k5test::Settle();
        QCOMPARE(answers.Texts(), QStringList(4, QStringLiteral("Please select a file")));
        QCOMPARE(answers.ModalCount(), 0);
        QCOMPARE(files(src), (QStringList{"Other.Htm", "ReadMe.TXT"}));
        QVERIFY(files(dst).isEmpty());
    }

    void copyMoveAndDeleteUseTheRealNameAndKeepTheWorkingFolder()
    {
        const QString cwd = QDir::currentPath();
        TFileOperatorForm form;
        choose(form, QStringLiteral("readme.txt"));
        k5test::Answerer answers;
        QTest::mouseClick(form.CopyButton, Qt::LeftButton);
        QCOMPARE(files(dst), QStringList{"ReadMe.TXT"});
        QCOMPARE(k5test::ReadFile(dst + QStringLiteral("ReadMe.TXT")), QByteArray("read me"));
        QCOMPARE(QDir::currentPath(), cwd);
        // The target list was read again.
        QCOMPARE(form.FileListbox1->count(), 1);

        // Copying again asks to replace; declining fails.
        answers.Queue(platform::IDNO);
        answers.Queue(platform::IDOK);
        QTest::mouseClick(form.CopyButton, Qt::LeftButton);

        choose(form, QStringLiteral("other.htm"));
        QTest::mouseClick(form.MoveButton, Qt::LeftButton);
        QCOMPARE(files(src), QStringList{"ReadMe.TXT"});
        QCOMPARE(files(dst), (QStringList{"Other.Htm", "ReadMe.TXT"}));
        QCOMPARE(form.FileListBox2->count(), 1);

        choose(form, QStringLiteral("readme.txt"));
        answers.Queue(platform::IDYES);
        QTest::mouseClick(form.DeleteButton, Qt::LeftButton);
        k5test::Settle();
        QVERIFY(files(src).isEmpty());
        QCOMPARE(form.FileListBox2->count(), 0);
        QCOMPARE(QDir::currentPath(), cwd);

        const QStringList texts = answers.Texts();
        QCOMPARE(texts.size(), 6);
        QCOMPARE(texts[0], QStringLiteral("Success Copy"));
        QVERIFY(texts[1].contains(QStringLiteral("ReadMe.TXT")));
        QCOMPARE(texts.mid(2, 2), (QStringList{"Fail Copy", "Success Move"}));
        QVERIFY(texts[4].contains(QStringLiteral("ReadMe.TXT")));
        QCOMPARE(texts[5], QStringLiteral("Success Delete"));
    }

    // Brackets, stars and question marks are parts of a name: each command acts on the one file chosen,
    // never on the others such a pattern would match.
    void namesWithPatternCharactersAreNames()
    {
        for (const QString &name : {QStringLiteral("[draft].htm"), QStringLiteral("a*b?.htm")}) {
            init();
            k5test::WriteFile(src + name, "chosen");
            k5test::WriteFile(src + QStringLiteral("aXbY.htm"), "bystander"); // matches a*b?.htm
            k5test::WriteFile(src + QStringLiteral("d.htm"), "bystander");    // matches [draft].htm as a set
            const QStringList before = files(src);
            TFileOperatorForm form;
            form.show();
            choose(form, name.toLower());
            k5test::Answerer answers;

            QTest::mouseClick(form.CopyButton, Qt::LeftButton);
            QCOMPARE(files(dst), QStringList{name});
            QCOMPARE(k5test::ReadFile(dst + name), QByteArray("chosen"));

            QDir(dst).removeRecursively();
            QDir().mkpath(dst);
            choose(form, name.toLower());
            QTest::mouseClick(form.MoveButton, Qt::LeftButton);
            QCOMPARE(files(dst), QStringList{name});
            QVERIFY(!QFile::exists(src + name));
            QFile::rename(dst + name, src + name);
            form.FileListBox2->Update();

            choose(form, name.toLower());
            answers.OnModal([](QDialog *d) {
                auto *box = qobject_cast<QInputDialog *>(d);
                if (!box)
                    return int(platform::mrCancel);
                box->setTextValue(QStringLiteral("renamed.htm"));
                return int(platform::mrOk);
            });
            QTest::mouseClick(form.RenameButton, Qt::LeftButton);
            QVERIFY(QFile::exists(src + QStringLiteral("renamed.htm")));
            QVERIFY(!QFile::exists(src + name));
            QFile::rename(src + QStringLiteral("renamed.htm"), src + name);
            form.FileListBox2->Update();

            choose(form, name.toLower());
            answers.Queue(platform::IDYES);
            QTest::mouseClick(form.DeleteButton, Qt::LeftButton);
            k5test::Settle();
            QVERIFY(!QFile::exists(src + name));
            QStringList left = before;
            left.removeAll(name);
            QCOMPARE(files(src), left);
            const QStringList texts = answers.Texts();
            QCOMPARE(texts.size(), 5);
            QCOMPARE(texts.mid(0, 3), (QStringList{"Success Copy", "Success Move", "Success Rename"}));
            QVERIFY2(texts[3].contains(name), qPrintable(texts[3])); // the question names the one file
            QCOMPARE(texts[4], QStringLiteral("Success Delete"));
        }
    }

    void copyWithoutTargetFolderSaysSo()
    {
        TFileOperatorForm form;
        form.DirectoryListBox2->SetDirectory(src);
        form.FileListBox2->setCurrentRow(0);
        k5test::Answerer answers;
        QTest::mouseClick(form.CopyButton, Qt::LeftButton);
        QCOMPARE(answers.Texts(), QStringList{"Please select a target folder"});
        QCOMPARE(files(src), (QStringList{"Other.Htm", "ReadMe.TXT"}));
    }

    void renameBoxAnsweredByTyping()
    {
        const QString cwd = QDir::currentPath();
        TFileOperatorForm form;
        form.show();
        choose(form, QStringLiteral("readme.txt"));
        User person;
        person.TypeInput(QStringLiteral("Read Me Too.txt")).Click(QStringLiteral("OK")).Click(QStringLiteral("OK"));
        QTest::mouseClick(form.RenameButton, Qt::LeftButton);
        QVERIFY(person.Done());
        k5test::Settle();
        // The box offered the real name with its folder; a bare answer stays in that folder.
        QCOMPARE(person.Texts, (QStringList{src + QStringLiteral("ReadMe.TXT"), QStringLiteral("Success Rename")}));
        QCOMPARE(files(src), (QStringList{"Other.Htm", "Read Me Too.txt"}));
        QCOMPARE(QDir::currentPath(), cwd);
        QVERIFY(!form.FileListBox2->findItems(QStringLiteral("read me too.txt"), Qt::MatchExactly).isEmpty());
    }

    void renameAnswersThatNameNothingNewLoseNothing()
    {
        TFileOperatorForm form;
        form.show();
        choose(form, QStringLiteral("readme.txt"));
        k5test::Answerer answers;
        // The default answer names the file itself; an empty answer names nothing.
        for (const QString &answer : {src + QStringLiteral("ReadMe.TXT"), QString()}) {
            answers.OnModal([&](QDialog *d) {
                auto *box = qobject_cast<QInputDialog *>(d);
                if (!box)
                    return int(platform::mrCancel);
                box->setTextValue(answer);
                return int(platform::mrOk);
            });
            QTest::mouseClick(form.RenameButton, Qt::LeftButton);
            k5test::Settle();
        }
        QCOMPARE(answers.Texts(), (QStringList{"Success Rename", "Directory Information is invalid"}));
        QCOMPARE(files(src), (QStringList{"Other.Htm", "ReadMe.TXT"}));
        QCOMPARE(k5test::ReadFile(src + QStringLiteral("ReadMe.TXT")), QByteArray("read me"));
    }

    void renameBoxCancelledChangesNothing()
    {
        TFileOperatorForm form;
        form.show();
        choose(form, QStringLiteral("readme.txt"));
        User person;
        person.TypeInput(QStringLiteral("Gone.txt")).Click(QStringLiteral("Cancel"));
        QTest::mouseClick(form.RenameButton, Qt::LeftButton);
        QVERIFY(person.Done());
        k5test::Settle();
        QCOMPARE(person.Texts, QStringList{src + QStringLiteral("ReadMe.TXT")});
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(files(src), (QStringList{"Other.Htm", "ReadMe.TXT"}));
    }
};

K5_TEST_MAIN(TestFileTool)
#include "test_filetool.moc"
