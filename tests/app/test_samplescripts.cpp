// The DHTML and JavaScript samples put into a page and run in the browser engine: every sample loads and
// keeps running without a script error, and a few are worked to see that they do what they are for.
#include "k5test.h"

#include "tests/platform/browser/browsertest.h"

#include <QDir>
#include <QRegularExpression>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using browsertest::WaitUntil;

namespace {

const bool prepared = browsertest::Prepare();

QString sampleFile(const QString &folder, const QString &file)
{
    return QStringLiteral(K5_SOURCE_DIR "/data/") + folder + QLatin1Char('/') + file;
}

// A page holding the sample in its body; after its timers have run a while, the title says so.
QString pageOf(const QString &sample)
{
    return QStringLiteral("<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>sample</title></head><body>\r\n") +
           sample +
           QStringLiteral("\r\n<script>setTimeout(function () { document.title = \"settled\"; }, 600);</script>\r\n"
                          "</body></html>\r\n");
}

struct Browser {
    QWebEngineProfile profile;
    browsertest::ScriptPage page{&profile};
    Browser() { page.keepLocal = false; }

    QVariant Js(const QString &script) { return browsertest::RunJavaScript(&page, script); }
    bool Show(const QString &folder, const QString &file)
    {
        const int before = page.loads;
        page.setHtml(pageOf(QString::fromUtf8(k5test::ReadFile(sampleFile(folder, file)))),
                     QUrl());
        return WaitUntil([&] { return page.loads > before; }) && page.loaded &&
               WaitUntil([&] { return page.title() == QLatin1String("settled"); });
    }
    bool WaitFor(const QString &condition)
    {
        return WaitUntil([&] { return Js(condition).toBool(); }, 10000);
    }
};

} // namespace

class TestSampleScripts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(prepared); }

    void everySampleRunsWithoutErrors_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        for (const char *folder : {"DHTML", "JavaScript"}) {
            const QString f = QString::fromLatin1(folder);
            const QStringList files = QDir(QStringLiteral(K5_SOURCE_DIR "/data/") + f).entryList(QDir::Files, QDir::Name);
            QCOMPARE(files.size(), f == QLatin1String("DHTML") ? 23 : 51);
            for (const QString &file : files)
                QTest::newRow(qPrintable(f + QLatin1Char('/') + file)) << f << file;
        }
    }
    void everySampleRunsWithoutErrors()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        Browser b;
        QVERIFY(b.Show(folder, file));
        QVERIFY2(b.page.errors.isEmpty(), qPrintable(b.page.errors.join(QLatin1Char('\n'))));
        // Nothing pops up by itself.
        QVERIFY(b.page.alerts.isEmpty());
    }

    void samplesDoWhatTheyAreFor()
    {
        Browser b;
        QVERIFY(b.Show(QStringLiteral("DHTML"), QStringLiteral("clock01")));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                    .match(b.Js(QStringLiteral("document.getElementById('clock01').textContent")).toString())
                    .hasMatch());

        QVERIFY(b.Show(QStringLiteral("DHTML"), QStringLiteral("calculator")));
        QCOMPARE(b.Js(QStringLiteral("var f = document.getElementById('calc1'); f.a.value = '6'; f.b.value = '7';"
                                     "f.op.value = '*'; f.requestSubmit(); f.result.value")),
                 QVariant(QStringLiteral("42")));

        QVERIFY(b.Show(QStringLiteral("JavaScript"), QStringLiteral("calculator")));
        QCOMPARE(b.Js(QStringLiteral("var keys = {}; document.querySelectorAll('#jscalc button').forEach(function (k) "
                                     "{ keys[k.textContent] = k; }); ['1', '2', '+', '3', '=', '*', '2', '='].forEach("
                                     "function (k) { keys[k].click(); }); document.querySelector('#jscalc output').value")),
                 QVariant(QStringLiteral("30")));

        QVERIFY(b.Show(QStringLiteral("JavaScript"), QStringLiteral("database")));
        QCOMPARE(b.Js(QStringLiteral("var f = document.getElementById('databaseFilter'); f.value = 'madrid';"
                                     "f.dispatchEvent(new Event('input')); document.querySelectorAll('#database tbody tr').length")),
                 QVariant(1));

        QVERIFY(b.Show(QStringLiteral("JavaScript"), QStringLiteral("quiz")));
        QCOMPARE(b.Js(QStringLiteral("var f = document.getElementById('quiz'); ['q1', 'q2', 'q3'].forEach(function (q) {"
                                     "f.querySelector('input[name=' + q + '][value=\"1\"]').checked = true; });"
                                     "f.requestSubmit(); f.score.value")),
                 QVariant(QStringLiteral("3 of 3 right - well done!")));

        QVERIFY(b.Show(QStringLiteral("JavaScript"), QStringLiteral("dayofbirth")));
        QCOMPARE(b.Js(QStringLiteral("var f = document.getElementById('dayofbirth'); f.born.value = '2000-01-01';"
                                     "f.requestSubmit(); f.day.value")),
                 QVariant(QStringLiteral("You were born on a Saturday.")));

        QVERIFY(b.Show(QStringLiteral("JavaScript"), QStringLiteral("Random Color")));
        QVERIFY(b.Js(QStringLiteral("document.getElementById('randomColor').click();"
                                    "/^#[0-9a-f]{6}$/.test(document.getElementById('randomColorCode').textContent)"))
                    .toBool());
        QVERIFY(b.page.errors.isEmpty());
    }
};

K5_TEST_MAIN(TestSampleScripts)
#include "test_samplescripts.moc"
