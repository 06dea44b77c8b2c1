// The speed bar's stored form: written and read back, and forms of the older kind that name sections by
// list and items by section index.
#include "barfixture.h"
#include "k5test.h"

#include "platform/error.h"
#include "platform/formstream.h"

using namespace speedbar;

namespace {

QStringList captions(const TSpeedBar *bar)
{
    QStringList out;
    for (int i = 0; i < bar->SectionCount(); ++i)
        out << bar->Section(i)->Caption();
    return out;
}

// Section index, caption, place and visibility of every item, in bar order.
QStringList itemRows(const TSpeedBar *bar)
{
    QStringList out;
    bar->ForEachItem([&out](TSpeedItem *it) {
        out << QStringLiteral("%1 %2 [%3] %4,%5 %6")
                   .arg(it->objectName())
                   .arg(it->SectionIndex())
                   .arg(it->Caption())
                   .arg(it->Left())
                   .arg(it->Top())
                   .arg(it->Visible() ? QStringLiteral("shown") : QStringLiteral("hidden"));
    });
    return out;
}

// The names of the stored properties in a bar's form, in order.
QStringList barPropertyNames(const QByteArray &form)
{
    platform::FormReader r(form);
    QStringList names;
    r.ReadListBegin();
    while (!r.EndOfList()) {
        names << r.ReadString();
        r.SkipValue();
    }
    return names;
}

// How many of the form's children store a property of that name.
int childrenStoring(const QByteArray &form, const QString &property)
{
    platform::FormReader r(form);
    r.SkipValue(); // the bar's own properties
    int count = 0;
    r.ReadListBegin();
    while (!r.EndOfList()) {
        r.ReadString();
        r.ReadString();
        r.ReadListBegin();
        while (!r.EndOfList()) {
            count += r.ReadString() == property;
            r.SkipValue();
        }
        r.ReadListEnd();
    }
    return count;
}

// A form of the older kind, written value by value.
struct OldForm {
    platform::FormWriter w;
    OldForm &name(const char *n)
    {
        w.WriteString(QString::fromLatin1(n));
        return *this;
    }
};

} // namespace

class TestSpeedBarStream : public QObject {
    Q_OBJECT
private slots:
    void init() { k5test::ResetEnvironment(); }

    void roundTrip()
    {
        BarFixture f;
        f.bar->SetAlign(alLeft);
        f.bar->SetVersion(3);
        f.place(1, 3, 3);
        f.place(5, 3, 30);
        f.item(2)->SetStored(false);
        auto *extra = new TSpeedbarSection(f.form.get());
        extra->SetCaption(QStringLiteral("Empty"));
        f.bar->AddSection(extra);
        platform::FormWriter w;
        f.bar->WriteForm(w);
        QVERIFY(barPropertyNames(w.Data()).contains(QStringLiteral("InternalVer")));

        TFrameForm other;
        auto *bar = new TSpeedBar(&other);
        bar->ReadForm(w.Data(), &other);
        QCOMPARE(captions(bar), (QStringList{QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("Empty")}));
        QCOMPARE(itemRows(bar), itemRows(f.bar));
        QCOMPARE(bar->InternalVer(), 1);
        QCOMPARE(bar->Align(), alLeft);
        QCOMPARE(bar->Version(), 3);
        QVERIFY(!bar->Loading());
        QVERIFY(!bar->FindItemByName(QStringLiteral("SpeedItem2"))->Stored());
        QCOMPARE(bar->FindItemByName(QStringLiteral("SpeedItem4"))->SectionName(), QStringLiteral("Edit"));
        QCOMPARE(bar->FindItemByName(QStringLiteral("SpeedItem4"))->parent(), &other);
        QVERIFY(bar->FindItemByName(QStringLiteral("SpeedItem5"))->Button()->isVisibleTo(bar));

        // Written again over an ancestor: no InternalVer, and an item's section name only where it differs.
        f.bar->AddItem(0, f.item(4));
        platform::FormWriter over;
        f.bar->WriteForm(over, bar);
        QVERIFY(!barPropertyNames(over.Data()).contains(QStringLiteral("InternalVer")));
        QCOMPARE(childrenStoring(over.Data(), QStringLiteral("SectionName")), 1);
        QCOMPARE(childrenStoring(w.Data(), QStringLiteral("SectionName")), 6);
    }

    // An older form names its sections in "Sections" and its items' sections by index; a name, when
    // there is one, wins over the index.
    void olderForms()
    {
        OldForm form;
        form.w.WriteListBegin();
        form.name("Align").w.WriteInteger(alNone);
        form.name("Sections").w.WriteListBegin();
        form.w.WriteString(QStringLiteral("File"));
        form.w.WriteString(QStringLiteral("Edit"));
        form.w.WriteListEnd();
        form.name("NewStyle").w.WriteBool(true);
        form.name("Options").w.WriteInteger(sbGrayedBtns);
        form.name("AllowDrag").w.WriteBool(true);
        form.name("Unknown").w.WriteListBegin();
        form.w.WriteInteger(7);
        form.w.WriteListEnd();
        form.w.WriteListEnd();
        form.w.WriteListBegin();
        auto item = [&](const char *name, std::function<void()> props) {
            form.w.WriteString(QStringLiteral("TSpeedItem"));
            form.w.WriteString(QString::fromLatin1(name));
            form.w.WriteListBegin();
            props();
            form.w.WriteListEnd();
        };
        item("ByIndex", [&] { form.name("Section").w.WriteInteger(1); });
        item("ByName", [&] {
            form.name("Section").w.WriteInteger(0);
            form.name("SectionName").w.WriteString(QStringLiteral("Edit"));
        });
        item("UnknownName", [&] { form.name("SectionName").w.WriteString(QStringLiteral("Gone")); });
        item("Nothing", [] {});
        form.w.WriteListEnd();

        QWidget parent;
        parent.resize(300, 200);
        TFrameForm owner;
        auto *bar = new TSpeedBar(&parent);
        bar->ReadForm(form.w.Data(), &owner);
        QCOMPARE(captions(bar), (QStringList{QStringLiteral("File"), QStringLiteral("Edit")}));
        QCOMPARE(bar->FindItemByName(QStringLiteral("ByIndex"))->SectionIndex(), 1);
        QCOMPARE(bar->FindItemByName(QStringLiteral("ByName"))->SectionIndex(), 1);
        QCOMPARE(bar->FindItemByName(QStringLiteral("UnknownName"))->SectionIndex(), 0);
        QCOMPARE(bar->FindItemByName(QStringLiteral("Nothing"))->SectionIndex(), 0);
        QVERIFY(bar->NewStyle());
        QCOMPARE(bar->Options(), TSpeedbarOptions(sbGrayedBtns | sbAllowDrag));
        // Stored before the version was written, and without alignment: the bar goes to the top.
        QCOMPARE(bar->InternalVer(), 0);
        QCOMPARE(bar->Align(), alTop);

        // With an ancestor, an empty section list adds nothing; a list adds the captions the bar lacks.
        QCOMPARE(bar->SectionCount(), 2);
        platform::FormWriter sections;
        sections.WriteListBegin();
        sections.WriteListEnd();
        platform::FormReader none(sections.Data());
        QVERIFY(bar->ReadProperty(QStringLiteral("Sections"), none, true));
        QCOMPARE(bar->SectionCount(), 2);
        platform::FormWriter more;
        more.WriteListBegin();
        more.WriteString(QStringLiteral("Edit"));
        more.WriteString(QStringLiteral("View"));
        more.WriteListEnd();
        platform::FormReader list(more.Data());
        QVERIFY(bar->ReadProperty(QStringLiteral("Sections"), list, true));
        QCOMPARE(captions(bar), (QStringList{QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("View")}));
        platform::FormWriter other;
        other.WriteBool(false);
        platform::FormReader r(other.Data());
        QVERIFY(!bar->ReadProperty(QStringLiteral("Caption"), r));
    }

    // A damaged form is refused whole: the bar keeps what it had.
    void damagedFormsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("form");
        BarFixture f;
        platform::FormWriter w;
        f.bar->WriteForm(w);
        const QByteArray good = w.Data();
        QTest::newRow("cut short") << good.left(good.size() / 2);
        QTest::newRow("data after the end") << good + QByteArray(1, '\x02');
        platform::FormWriter wrongKind;
        wrongKind.WriteListBegin();
        wrongKind.WriteString(QStringLiteral("InternalVer"));
        wrongKind.WriteString(QStringLiteral("one"));
        wrongKind.WriteListEnd();
        wrongKind.WriteListBegin();
        wrongKind.WriteListEnd();
        QTest::newRow("a value of the wrong kind") << wrongKind.Data();
        platform::FormWriter tooBig;
        tooBig.WriteListBegin();
        tooBig.WriteListEnd();
        tooBig.WriteListBegin();
        tooBig.WriteString(QStringLiteral("TSpeedItem"));
        tooBig.WriteString(QStringLiteral("Big"));
        tooBig.WriteListBegin();
        tooBig.WriteString(QStringLiteral("Left"));
        tooBig.WriteInteger(qint64(1) << 40);
        tooBig.WriteListEnd();
        tooBig.WriteListEnd();
        QTest::newRow("a number out of range") << tooBig.Data();
        platform::FormWriter stranger;
        stranger.WriteListBegin();
        stranger.WriteListEnd();
        stranger.WriteListBegin();
        stranger.WriteString(QStringLiteral("TButton"));
        stranger.WriteListEnd();
        QTest::newRow("a child of another class") << stranger.Data();
    }
    void damagedFormsChangeNothing()
    {
        QFETCH(QByteArray, form);
        BarFixture f;
        const QStringList before = itemRows(f.bar);
        QVERIFY_THROWS_EXCEPTION(platform::StreamError, f.bar->ReadForm(form, f.form.get()));
        QCOMPARE(itemRows(f.bar), before);
        QCOMPARE(captions(f.bar), (QStringList{QStringLiteral("File"), QStringLiteral("Edit")}));
        QVERIFY(!f.bar->Loading());
    }
};

K5_TEST_MAIN(TestSpeedBarStream)
#include "test_speedbarstream.moc"
