// Files chosen for a saved page, with names that an address reads otherwise, through every route that
// writes a file into a page as an address: what is written, resolved from the page's place as a browser
// resolves it, names the file, and a file field shows what the page gets.
#include "k5test.h"
#include "apptest.h"

#include "app/assistants/searchfile.h"
#include "app/dialogs/engine.h"
#include "app/dialogs/escape.h"
#include "app/dialogs/unit_channel.h"
#include "app/dialogs/unit_clipart.h"
#include "app/launchers.h"
#include "app/workflow.h"
#include "controls/zel/explorer.h"
#include "controls/zel/lookupedit.h"
#include "tools/publish/vcmain.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QUrl>

using app::TEditForm;

namespace {

// A picture of one pixel, so that the Picture dialog's preview takes it.
const QByteArray pixel("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00"
                       ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                       43);

// A query, a fragment, an escape, a blank a browser trims, a line end it drops, letters beyond ASCII, a
// scheme, a character reference and a backslash a browser reads as a slash.
const QStringList awkward{QStringLiteral("q?x.gif"),     QStringLiteral("h#1.gif"),       QStringLiteral("p%41.gif"),
                          QStringLiteral(" lead .gif"),  QStringLiteral("line\nend.gif"), QStringLiteral("ünï€ 2.gif"),
                          QStringLiteral("c:d.gif"),     QStringLiteral("r&amp;s.gif"),   QStringLiteral("b\\s.gif")};

// An attribute's value as a browser reads it from between its quotes.
QString attributeValue(QString written)
{
    static const QRegularExpression numeric(QStringLiteral("&#(\\d+);"));
    for (QRegularExpressionMatch m = numeric.match(written); m.hasMatch(); m = numeric.match(written))
        written.replace(m.capturedStart(), m.capturedLength(), QChar(m.captured(1).toInt()));
    written.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    written.replace(QStringLiteral("&gt;"), QStringLiteral(">")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return written;
}

// The file an address names when a page at `base` holds it, as a browser finds it: tabs and line ends
// dropped, control characters and blanks trimmed at either end, a backslash read as a slash, then
// resolved against the page's file address.
QString resolved(const QString &base, QString address)
{
    address.remove(QRegularExpression(QStringLiteral("[\t\r\n]")));
    while (!address.isEmpty() && address.front().unicode() <= 0x20)
        address.remove(0, 1);
    while (!address.isEmpty() && address.back().unicode() <= 0x20)
        address.chop(1);
    address.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QUrl url = QUrl::fromLocalFile(base).resolved(QUrl(address));
    return url.isLocalFile() ? url.toLocalFile() : url.toString();
}

// The values of the address attributes in a written text, as a browser reads them.
QStringList addresses(const QString &text)
{
    static const QRegularExpression attribute(QStringLiteral("\\b(?:HREF|SRC)=\"([^\"]*)\""),
                                              QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (auto it = attribute.globalMatch(text); it.hasNext();)
        out << attributeValue(it.next().captured(1));
    return out;
}

} // namespace

class TestLinkedFiles : public QObject {
    Q_OBJECT
    app::TFrameForm *frame = nullptr;
    QString site, page;

    // The saved page, active, emptied.
    TEditForm *pageDocument()
    {
        TEditForm *doc = frame->OpenFile(page, true);
        if (doc)
            doc->ReplaceText(QString());
        return doc;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
        site = k5test::Root() + QStringLiteral("/my site");
        page = k5test::WriteFile(site + QStringLiteral("/page.htm"), "<P>page</P>");
        for (const QString &name : awkward)
            k5test::WriteFile(site + QLatin1Char('/') + name, pixel);
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }

    // Every dialog with a file field (the tags', the effects', the wizards' and the channel file's): each
    // file is chosen with the field's browse button; the field shows an address, the text holds it as it
    // stands, and it names the file from the file that holds it (the page, or the channel file).
    void fileFieldsShowAndWriteAddressesThatNameTheFile()
    {
        QStringList wrong, swept;
        for (const dialogs::TDialogDesc &desc : dialogs::Descriptions()) {
            QStringList fields;
            for (const dialogs::TFieldDesc &f : desc.fields)
                if (f.kind == dialogs::TFieldKind::FileLookup)
                    fields << f.name;
            if (fields.isEmpty())
                continue;
            swept << desc.className;
            for (const QString &name : awkward) {
                const QString file = site + QLatin1Char('/') + name;
                std::unique_ptr<dialogs::TTagDialog> d(dialogs::CreateDialog(desc.className, nullptr));
                auto *engine = qobject_cast<dialogs::TEngineDialog *>(d.get());
                QVERIFY(engine);
                d->DocumentFile = [this] { return page; };
                auto *channel = qobject_cast<dialogs::TChannel *>(d.get());
                QStringList shown;
                for (const QString &field : fields) {
                    auto *lookup = qobject_cast<zel::TZELFileLookup *>(engine->Field(field));
                    k5test::Answerer answers;
                    answers.OnModal(apptest::ChooseFile(file));
                    lookup->ClickButton1();
                    QCOMPARE(answers.ModalCount(), 1);
                }
                // The channel file's folder is chosen after its pictures: they follow it.
                if (channel)
                    channel->SourceFolder->setText(site + QStringLiteral("/feed #1"));
                const QString text = channel ? channel->FileText() : d->Build();
                const QString base = channel ? channel->LinkingFile() : page;
                for (const QString &field : fields) {
                    const QString address = dialogs::FieldText(engine->Field(field));
                    const QString written = dialogs::HtmlAttribute(address);
                    if (!text.contains(QLatin1Char('"') + written + QLatin1Char('"')) ||
                        resolved(base, attributeValue(written)) != file)
                        wrong << QStringLiteral("%1 %2 [%3]: shows \"%4\", wrote %5")
                                     .arg(desc.className, field, name, address, text.left(300));
                }
            }
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
        for (const char *cls : {"TPicture", "TSound", "TBGSound", "TMovie", "TEmbed", "Tapplet", "ThtmlStart", "TFrame",
                                "TIFrame", "TFormImage", "TDHTML_Menu", "TPopUpImage", "TChannel", "TWizard1", "TWizard2", "TWizard3"})
            QVERIFY2(swept.contains(QLatin1String(cls)), cls);
    }

    // The user picks a picture in the real file dialog: the field shows the address the page gets, the
    // preview finds the picture by it, and OK writes it.
    void aPictureChosenByTheUserIsShownAndWrittenAsItsAddress()
    {
        const QString name = QStringLiteral("h#1 %41.gif");
        const QString file = k5test::WriteFile(site + QStringLiteral("/pics/") + name, pixel);
        TEditForm *doc = pageDocument();
        QVERIFY(doc);
        QString shown, width;
        k5test::User user;
        user.Then([](QWidget *w) {
                auto *d = dynamic_cast<dialogs::TTagDialog *>(w);
                auto *url = d ? d->findChild<zel::TZELFileLookup *>(QStringLiteral("URL")) : nullptr;
                if (!url || !d->isVisible())
                    return false;
                QTest::mouseClick(url->EditButton1().Button(), Qt::LeftButton);
                return true;
            })
            .TypeFileName(file)
            .Then([&](QWidget *w) {
                auto *d = dynamic_cast<dialogs::TTagDialog *>(w);
                if (!d)
                    return false;
                shown = d->findChild<QLineEdit *>(QStringLiteral("URL"))->text();
                width = d->findChild<QLineEdit *>(QStringLiteral("Width"))->text();
                QTest::mouseClick(d->Button1, Qt::LeftButton);
                return true;
            });
        QVERIFY(app::Launch(QStringLiteral("Picture2")));
        apptest::Settle();
        QVERIFY(user.Done());
        QCOMPARE(user.Texts, QStringList());
        QCOMPARE(shown, QStringLiteral("pics/h%231%20%2541.gif"));
        QCOMPARE(width, QStringLiteral("1"));
        QVERIFY2(doc->Text().startsWith(QStringLiteral("<IMG SRC=\"pics/h%231%20%2541.gif\" ALT=\"\" WIDTH=\"1\"")),
                 qPrintable(doc->Text()));
        QCOMPARE(resolved(page, addresses(doc->Text()).value(0)), file);
        apptest::CloseAll(*frame);
    }

    // The routes that link a file chosen from a list or a tree, or saved: the side panel's Browse tab,
    // the file search, the clip art, the channel file's link and the vCard. Each gives the text it wrote
    // and the file it was to link.
    void listsAndTreesLinkAddressesThatNameTheFile()
    {
        using Written = std::pair<QString, QString>;
        QList<QPair<QString, std::function<Written(const QString &name)>>> routes;
        routes.append({QStringLiteral("Browse tab"), [this](const QString &name) {
                           TEditForm *doc = pageDocument();
                           doc->AllFiles1->trigger();
                           doc->FileListBox1->SetDirectory(site);
                           const auto items = doc->FileListBox1->findItems(name, Qt::MatchExactly);
                           if (items.size() != 1)
                               return Written(QStringLiteral("(not listed)"), QString());
                           doc->FileListBox1->setCurrentItem(items.first());
                           doc->InsertAsLink1->trigger();
                           return Written(doc->Text(), site + QLatin1Char('/') + name);
                       }});
        routes.append({QStringLiteral("File search"), [this](const QString &name) {
                           TEditForm *doc = pageDocument();
                           QPointer<assistants::TSearchFile> search = app::ShowSearchFile(frame);
                           search->ListBox1->clear();
                           search->ListBox1->addItem(site + QLatin1Char('/') + name);
                           search->ListBox1->setCurrentRow(0);
                           QTest::mouseClick(search->LinkButton, Qt::LeftButton);
                           search->close();
                           apptest::Settle();
                           return Written(doc->Text(), site + QLatin1Char('/') + name);
                       }});
        routes.append({QStringLiteral("Clip art"), [this](const QString &name) {
                           const QString clip = dialogs::TClipart::CategoryFolder(QStringLiteral("Mix")) + QLatin1Char('/') + name;
                           k5test::WriteFile(clip, pixel);
                           std::unique_ptr<dialogs::TTagDialog> d(dialogs::CreateDialog(QStringLiteral("TClipart"), nullptr));
                           d->DocumentFile = [this] { return page; };
                           auto *art = qobject_cast<dialogs::TClipart *>(d.get());
                           art->ComboBox1->setCurrentText(QStringLiteral("Mix"));
                           const auto items = art->FileListBox1->findItems(name, Qt::MatchExactly);
                           QString text = QStringLiteral("(not listed)");
                           if (items.size() == 1) {
                               art->FileListBox1->setCurrentItem(items.first());
                               text = d->Build();
                           }
                           QFile::remove(clip);
                           return Written(text, clip);
                       }});
        routes.append({QStringLiteral("Channel link"), [this](const QString &name) {
                           // The channel file goes into a folder of this name, beside the page.
                           std::unique_ptr<dialogs::TTagDialog> d(dialogs::CreateDialog(QStringLiteral("TChannel"), nullptr));
                           d->DocumentFile = [this] { return page; };
                           auto *channel = qobject_cast<dialogs::TChannel *>(d.get());
                           channel->SourceFolder->setText(site + QLatin1Char('/') + name);
                           return Written(d->Build(), site + QLatin1Char('/') + name + QLatin1Char('/') + dialogs::TChannel::FileName());
                       }});
        routes.append({QStringLiteral("vCard"), [this](const QString &name) {
                           TEditForm *doc = pageDocument();
                           publish::TvCardForm *card = app::VCardForm();
                           card->New1Click();
                           card->FormattedNameEdit->setText(QStringLiteral("Ann"));
                           const QString file = site + QStringLiteral("/cards/") + name + QStringLiteral(".vcf");
                           QDir().mkpath(site + QStringLiteral("/cards"));
                           k5test::Answerer answers;
                           answers.OnModal(apptest::ChooseFile(file));
                           card->SaveAndInsert1->trigger();
                           return Written(doc->Text(), file);
                       }});

        QStringList wrong;
        for (const auto &[route, run] : routes)
            for (const QString &name : awkward) {
                const auto [text, file] = run(name);
                const QStringList written = addresses(text);
                if (written.size() != 1 || resolved(page, written.first()) != file)
                    wrong << QStringLiteral("%1 [%2]: %3").arg(route, name, text.left(200));
            }
        apptest::CloseAll(*frame);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }
};

K5_TEST_MAIN(TestLinkedFiles)
#include "test_linkedfiles.moc"
