// The table and list dialogs' preview: each turn of the tabs writes the built text to the preview file and
// shows it in the real browser; a file that cannot be written is reported and leaves the preview alone.
#include "k5test.h"
#include "tests/app/dialogs/dialogtest.h"

#include "app/dialogs/unit_table.h"
#include "app/preview/previewhtml.h"
#include "platform/fileio.h"
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
        QCOMPARE(QString::fromUtf8(platform::ReadWholeFile(d->PreviewFile)), d->Build());
        QVERIFY(d->PreviewHTML1->HasBrowser());
        QVERIFY(browsertest::WaitUntil([&] { return d->PreviewHTML1->LocationURL().endsWith(QStringLiteral("kestrova_preview.htm")); }));
        d->PageControl1->setCurrentIndex(0);
        dialogtest::FillGrid(d->StringGrid1, {{"changed"}});
        d->PageControl1->setCurrentIndex(1);
        QVERIFY(QString::fromUtf8(platform::ReadWholeFile(d->PreviewFile)).contains(QStringLiteral("<TD>changed</TD>")));
        // Unless told otherwise the file goes to the system's temporary folder.
        auto fresh = dialogtest::OpenDialog<TList>("TList");
        QCOMPARE(fresh->PreviewFile, QDir::tempPath() + QStringLiteral("/kestrova_preview.htm"));
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
