// The table and list dialogs' preview: each turn of the tabs writes the built text to the preview file and
// shows it in the real browser; a file that cannot be written is reported and leaves the preview alone.
#include "k5test.h"
#include "tests/app/dialogs/dialogtest.h"

#include "app/dialogs/unit_table.h"
#include "app/preview/previewhtml.h"
#include "platform/fileio.h"
#include "platform/folders.h"
#include "platform/textfile.h"
#include "tests/platform/browser/browsertest.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace dialogs;

namespace {

const bool prepared = browsertest::Prepare();

} // namespace

class TestTablePreview : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void eachTurnOfTheTabsWritesThePreview()
    {
        auto d = dialogtest::OpenDialog<Ttable>("Ttable");
        d->PreviewFile = dir.filePath(QStringLiteral("kestrova_preview.htm"));
        dialogtest::FillGrid(d->StringGrid1, {{"cell"}});
        d->PageControl1->setCurrentIndex(1);
        QCOMPARE(QString::fromUtf8(platform::ReadWholeFile(d->PreviewFile)),
                 QLatin1String(platform::kUtf8Declaration) + QStringLiteral("\r\n") + d->Build());
        QVERIFY(d->PreviewHTML1->HasBrowser());
        QVERIFY(browsertest::WaitUntil([&] { return d->PreviewHTML1->LocationURL().endsWith(QStringLiteral("kestrova_preview.htm")); }));
        d->PageControl1->setCurrentIndex(0);
        dialogtest::FillGrid(d->StringGrid1, {{"changed"}});
        d->PageControl1->setCurrentIndex(1);
        QVERIFY(QString::fromUtf8(platform::ReadWholeFile(d->PreviewFile)).contains(QStringLiteral("<TD>changed</TD>")));
    }

    // Unless told otherwise the preview goes to the program's own folder, not the shared temporary one (where
    // another user's file of that name would block it), and says how it is written: the letters show as typed.
    void thePreviewIsTheUsersOwnAndShowsItsLettersRight()
    {
        const QString foreign = QDir::tempPath() + QStringLiteral("/kestrova_preview.htm");
        k5test::WriteFile(foreign, "another user's");
        QVERIFY(QFile::setPermissions(foreign, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QString typed = QStringLiteral("Caf\u00e9 \u2013 ok \u4f60\u597d");
        auto shown = [](TGridDialog *d) {
            return browsertest::RunJavaScript(d->PreviewHTML1->Browser()->Page(), QStringLiteral("document.body.innerText")).toString();
        };
        auto table = dialogtest::OpenDialog<Ttable>("Ttable");
        auto list = dialogtest::OpenDialog<TList>("TList");
        for (TGridDialog *d : {static_cast<TGridDialog *>(table.get()), static_cast<TGridDialog *>(list.get())}) {
            QCOMPARE(d->PreviewFile, platform::ProgramFile(QStringLiteral("kestrova_preview.htm")));
            dialogtest::FillGrid(d->StringGrid1, {{typed}});
            k5test::User watchman; // no error may show
            d->PageControl1->setCurrentIndex(1);
            QVERIFY(watchman.Texts.isEmpty());
            const QByteArray bytes = platform::ReadWholeFile(d->PreviewFile);
            QVERIFY(bytes.startsWith(QByteArray(platform::kUtf8Declaration) + "\r\n"));
            QVERIFY(bytes.contains(typed.toUtf8()));
            QVERIFY(browsertest::WaitUntil([&] { return !d->PreviewHTML1->Busy() && shown(d).contains(QStringLiteral("ok")); }));
            QVERIFY2(shown(d).contains(typed), qPrintable(shown(d)));
        }
        QCOMPARE(k5test::ReadFile(foreign), QByteArray("another user's"));
    }

    void aPreviewThatCannotBeWrittenIsReported()
    {
        auto d = dialogtest::OpenDialog<TList>("TList");
        // Under a plain file no folder can be made, whoever runs the test.
        k5test::WriteFile(dir.filePath(QStringLiteral("plain")), "x");
        d->PreviewFile = dir.filePath(QStringLiteral("plain/kestrova_preview.htm"));
        k5test::User user;
        user.Click(QStringLiteral("OK"));
        d->PageControl1->setCurrentIndex(1);
        k5test::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts.size(), 1);
        QVERIFY(!QFile::exists(d->PreviewFile));
        // The preview was not touched.
        QVERIFY(!d->PreviewHTML1->HasBrowser());
        // The dialog goes on working.
        QVERIFY(dialogtest::OkText(d.get()).startsWith(QStringLiteral("<OL TYPE=\"\">")));
    }
};

K5_TEST_MAIN(TestTablePreview)
#include "test_tablepreview.moc"
