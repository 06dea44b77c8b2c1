// Text from outside (a file name, an address, a title, a value, a number pasted into a number field) sent
// through every route that writes it into a page: an HTML parser reads the value back as it was typed, and
// the page has the shape it has with a plain value.
#include "k5test.h"
#include "apptest.h"

#include "app/assistants/searchfile.h"
#include "app/dialogs/engine.h"
#include "app/dialogs/unit_channel.h"
#include "app/workflow.h"
#include "controls/zel/explorer.h"
#include "controls/zel/spinedit.h"
#include "controls/zel/zelstores.h"
#include "tools/publish/ie2url.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

using app::TEditForm;

namespace {

const QString typed = QStringLiteral("R&D \"q\" <b>%'.htm");
const QString plain = QStringLiteral("Qz7.htm");
const QString pastedNumber = QStringLiteral("30\"><b>x");

// What a user writes markup into, as into the page itself: put in as it stands, so not sent here (but a
// list's option shows text only).
const QStringList markupFields{"Description", "Applet Attributes", "Message", "Scrolling Text", "Text", "Memo1",
                               "Document Type", "Option", "Editor Area", "Blink Table Text", "Text to scroll",
                               "Text to animate", "The text the user will click on to activate this script", "Entity"};
// Builders of scripts (a server's too), an attribute, a style sheet, a colour or characters: no page structure to keep (the
// script tests read what they write).
const QStringList notMarkup{"TGetCookie", "TDeleteCookie", "TSetCookie", "TWindowOpen", "TAttributes", "TStyle",
                            "TASP", "TFarve1", "TExCharacters", "Txmltext", "Tinsert", "TDHTML", "TJavaScriptSamples1", "TVBScript"};

// The shapes of the texts as Python's HTML parser reads them (one run for all).
QJsonArray shapes(const QStringList &texts)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(K5_SOURCE_DIR "/tests/app/htmlshape.py")});
    if (!python.waitForStarted())
        return {};
    python.write(QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
    python.closeWriteChannel();
    python.waitForFinished(60000);
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

// Routes that write a file's name as an address: it is compared as the file system gets it, percent-decoded.
const QStringList fileRoutes{"Browse tab", "File search"};

QJsonValue addressesDecoded(const QJsonValue &v)
{
    if (!v.isArray())
        return v;
    QJsonArray out;
    const QJsonArray items = v.toArray();
    for (const QJsonValue &item : items)
        out.append(addressesDecoded(item));
    if (out.size() == 2 && out.at(0).toString() == QLatin1String("href"))
        out[1] = QUrl::fromPercentEncoding(out.at(1).toString().toUtf8());
    return out;
}

// The shape with every plain value replaced by the typed one.
QJsonValue typedInto(const QJsonValue &v)
{
    if (v.isString())
        return v.toString().replace(plain, typed);
    if (v.isArray()) {
        QJsonArray out;
        for (const QJsonValue &item : v.toArray())
            out.append(typedInto(item));
        return out;
    }
    return v;
}

void paste(QWidget *field, const QString &text)
{
    auto *spin = qobject_cast<QLineEdit *>(field);
    spin->setFocus();
    spin->selectAll();
    QApplication::clipboard()->setText(text);
    QTest::keyClick(spin, Qt::Key_V, Qt::ControlModifier);
}

// The text a dialog hands over with `value` in every field of outside text and `number` pasted into every
// number field.
QString dialogText(const QString &className, const QString &value, const QString &number)
{
    std::unique_ptr<dialogs::TTagDialog> d(dialogs::CreateDialog(className, nullptr));
    d->show();
    k5test::Settle(); // the channel's folder chooser comes up, and is cancelled
    const dialogs::TDialogDesc *desc = dialogs::FindDescription(className);
    for (const dialogs::TFieldDesc &f : desc->fields) {
        QWidget *w = d->findChild<QWidget *>(f.name);
        const bool markup = markupFields.contains(f.name) && !(className == QLatin1String("TLinkCombobox") && f.name == QLatin1String("Description"));
        if (f.kind == dialogs::TFieldKind::Spin || markup ||
            (f.kind == dialogs::TFieldKind::Hidden && !f.initial.isEmpty()))
            continue;
        dialogs::SetFieldText(w, value);
    }
    for (auto *spin : d->findChildren<zel::TZELSpinEdit *>())
        paste(spin, number);
    // Items are added with their own button; a choice of radio buttons takes the first.
    for (const QString &add : {desc->addName, QStringLiteral("Add")})
        if (auto *b = d->findChild<QPushButton *>(add); b && b != d->Button1)
            b->click();
    if (auto radios = d->findChildren<QRadioButton *>(); !radios.isEmpty() && !std::any_of(radios.begin(), radios.end(), [](QRadioButton *r) { return r->isChecked(); }))
        radios.first()->click();
    QString built;
    d->OnOk = [&] { built = d->Build(); };
    d->OnRelay = [&](const QString &t) { built = t; };
    if (auto *channel = qobject_cast<dialogs::TChannel *>(d.get()))
        return channel->FileText();
    QTest::mouseClick(d->Button1, Qt::LeftButton);
    return built;
}

} // namespace

class TestOutsideText : public QObject {
    Q_OBJECT
    app::TFrameForm *frame = nullptr;
    QString folder;

    // A new empty document, active.
    TEditForm *newDocument()
    {
        frame->Start2->click();
        TEditForm *doc = frame->ActiveEditForm();
        doc->ReplaceText(QString());
        return doc;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(apptest::ShowFrame(frame));
        folder = k5test::Root() + QStringLiteral("/files");
        QVERIFY(QDir().mkpath(folder));
    }
    void cleanupTestCase() { apptest::DeleteFrame(frame); }

    void everyRouteWritesTheValueAsTyped()
    {
        k5test::Answerer answers; // a question on the way is answered as Cancel would
        // Each route, run with a value: the text it writes.
        QList<QPair<QString, std::function<QString(const QString &)>>> routes;
        for (const dialogs::TDialogDesc &d : dialogs::Descriptions())
            if (!notMarkup.contains(d.className))
                routes.append({d.className, [cls = d.className](const QString &v) { return dialogText(cls, v, QStringLiteral("30")); }});
        // The side panel's Browse tab: a file's name.
        routes.append({QStringLiteral("Browse tab"), [this](const QString &v) {
                           const QString dir = folder + QStringLiteral("/browse-") + QString::number(v.size());
                           QDir().mkpath(dir);
                           k5test::WriteFile(dir + QLatin1Char('/') + v, "<P>x</P>");
                           TEditForm *doc = newDocument();
                           doc->FileListBox1->SetDirectory(dir);
                           doc->FileListBox1->setCurrentRow(0);
                           doc->InsertAsLink1->trigger();
                           return doc->Text();
                       }});
        // The Link and Email tabs: addresses.
        for (const bool email : {false, true})
            routes.append({email ? QStringLiteral("Email tab") : QStringLiteral("Link tab"), [this, email](const QString &v) {
                               TEditForm *doc = newDocument();
                               const auto &pair = (email ? doc->EmailPairs : doc->LinkPairs).at(0);
                               pair.first->setText(QStringLiteral("http://a/") + v);
                               pair.second->setText(QStringLiteral("words"));
                               doc->findChild<QPushButton *>(email ? QStringLiteral("InsertEmail1") : QStringLiteral("InsertLink1"))->click();
                               return doc->Text();
                           }});
        // The file search's Insert as Link: a path.
        routes.append({QStringLiteral("File search"), [this](const QString &v) {
                           TEditForm *doc = newDocument();
                           QPointer<assistants::TSearchFile> search = app::ShowSearchFile(frame);
                           search->ListBox1->clear();
                           search->ListBox1->addItem(folder + QLatin1Char('/') + v);
                           search->ListBox1->setCurrentRow(0);
                           QTest::mouseClick(search->LinkButton, Qt::LeftButton);
                           search->close();
                           apptest::Settle();
                           return doc->Text();
                       }});
        // Favourites to a page: a shortcut's name and address.
        routes.append({QStringLiteral("Favourites"), [this](const QString &v) {
                           const QString dir = folder + QStringLiteral("/favourites-") + QString::number(v.size());
                           k5test::WriteFile(dir + QLatin1Char('/') + v + QStringLiteral(".url"),
                                             (QStringLiteral("[InternetShortcut]\r\nURL=http://a/") + v + QStringLiteral("\r\n")).toUtf8());
                           return publish::FavouriteLines(dir).join(QStringLiteral("\r\n"));
                       }});
        // A page of the history: its address and description.
        routes.append({QStringLiteral("History"), [](const QString &v) {
                           publish::TIETOURL history(nullptr, std::make_unique<publish::THistorySource>());
                           QString inserted;
                           history.OnInsertText = [&](const QString &t) { inserted = t; };
                           history.Edit1->setText(v);
                           history.Edit2->setText(QStringLiteral("http://a/") + v);
                           history.OkClick();
                           return inserted;
                       }});

        QStringList texts;
        for (const auto &[name, run] : routes)
            texts << run(plain) << run(typed);
        const QJsonArray read = shapes(texts);
        QCOMPARE(read.size(), texts.size());
        QStringList wrong;
        for (qsizetype i = 0; i < routes.size(); ++i) {
            auto shape = [&](qsizetype at) {
                return fileRoutes.contains(routes.at(i).first) ? addressesDecoded(read.at(at)) : read.at(at);
            };
            if (typedInto(shape(2 * i)) != shape(2 * i + 1) ||
                (!dialogs::FindDescription(routes.at(i).first) && !texts.at(2 * i).contains(plain))) {
                wrong << routes.at(i).first;
                qWarning("%s wrote: %s", qPrintable(routes.at(i).first), qPrintable(texts.at(2 * i + 1)));
            }
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    }

    // A number field takes the number of what is pasted into it, whatever the dialog does with it.
    void numberFieldsTakeNumbersOnly()
    {
        k5test::Answerer answers;
        QStringList wrong;
        for (const dialogs::TDialogDesc &d : dialogs::Descriptions()) {
            std::unique_ptr<dialogs::TTagDialog> probe(dialogs::CreateDialog(d.className, nullptr));
            if (probe->findChildren<zel::TZELSpinEdit *>().isEmpty())
                continue;
            const QString typedNumber = dialogText(d.className, QString(), QStringLiteral("30"));
            const QString pasted = dialogText(d.className, QString(), pastedNumber);
            if (pasted != typedNumber) {
                wrong << d.className;
                qWarning("%s wrote: %s", qPrintable(d.className), qPrintable(pasted));
            }
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    }
};

K5_TEST_MAIN(TestOutsideText)
#include "test_outsidetext.moc"
