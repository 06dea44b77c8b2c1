// The icon list: its stored form round trip, byte for byte, with empty entries; damaged forms refused
// without loss; change notification through nested updates, Clear and the icons it holds.
#include "graphics/qv/qvicolist.h"

#include "icontestsupport.h"
#include "k5test.h"

#include "platform/formstream.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace gfx;
using namespace icontest;

namespace {

const QList<QRgb> kColours = {qRgb(200, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 220), qRgb(250, 250, 0)};

QByteArray iconFile(int side, int bits = 24)
{
    QList<QRgb> palette = kColours;
    while (bits <= 8 && palette.size() < (1 << bits))
        palette.append(qRgb(1, 2, 3));
    return SimpleIcon(Picture(side, side, kColours), bits, bits <= 8 ? palette : QList<QRgb>());
}

std::unique_ptr<TIcon> icon(int side, int bits = 24)
{
    auto i = std::make_unique<TIcon>();
    i->LoadFromBytes(iconFile(side, bits));
    return i;
}

// The stored form of entries given as icon files (empty for an empty entry).
QByteArray storedForm(const QList<QByteArray> &entries)
{
    QByteArray out = U32(quint32(entries.size()));
    for (const QByteArray &e : entries)
        out += U32(quint32(e.size())) + e;
    return out;
}

struct Counter {
    int changes = 0;
    explicit Counter(TIconList &list)
    {
        list.OnChange = [this](TIconList *) { ++changes; };
    }
};

} // namespace

class TestQvIconList : public QObject {
    Q_OBJECT

private slots:
    void storedFormRoundTripsByteForByte()
    {
        const QByteArray form = storedForm({iconFile(16, 4), QByteArray(), iconFile(9, 8), iconFile(32, 32)});
        TIconList list;
        Counter counter(list);
        QBuffer in;
        in.setData(form + "after");
        in.open(QIODevice::ReadOnly);
        list.LoadFromStream(in);
        QCOMPARE(counter.changes, 1);
        QCOMPARE(in.read(5), QByteArray("after"));
        QCOMPARE(list.Count(), 4);
        QVERIFY(list[1] == nullptr);
        QCOMPARE(list[0]->Width(), 16);
        QCOMPARE(list[2]->Width(), 9);
        QCOMPARE(list.SaveToBytes(), form);

        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        list.SaveToStream(buffer);
        QCOMPARE(out, form);

        // An icon emptied in the list is stored as an empty entry.
        list[2]->Assign(nullptr);
        QCOMPARE(list.SaveToBytes(), storedForm({iconFile(16, 4), QByteArray(), QByteArray(), iconFile(32, 32)}));
        TIconList none;
        QCOMPARE(none.SaveToBytes(), U32(0));
    }

    void damagedFormsLeaveTheListAsItWas_data()
    {
        QTest::addColumn<QByteArray>("form");
        QTest::addColumn<QString>("message");
        const QByteArray good = storedForm({iconFile(8), iconFile(10)});
        const QString readError = QStringLiteral("Stream read error");
        QTest::newRow("nothing") << QByteArray() << readError;
        QTest::newRow("count cut") << QByteArray("\x01\x00", 2) << readError;
        QTest::newRow("count beyond the bytes") << U32(3) + good.mid(4) << readError;
        QTest::newRow("huge count") << U32(0x7FFFFFFF) << readError;
        QTest::newRow("size beyond the bytes") << U32(1) + U32(1000) + iconFile(8) << readError;
        QTest::newRow("size cut") << U32(2) + U32(0) + QByteArray("\x05", 1) << readError;
        QTest::newRow("last entry cut") << good.left(good.size() - 1) << readError;
        QTest::newRow("not an icon") << storedForm({iconFile(8), QByteArray(70, 'x')}) << QStringLiteral("Invalid icon");
    }
    void damagedFormsLeaveTheListAsItWas()
    {
        QFETCH(QByteArray, form);
        QFETCH(QString, message);
        TIconList list;
        list.Add(icon(12).get());
        list.Add(nullptr);
        const QByteArray before = list.SaveToBytes();
        Counter counter(list);
        try {
            list.LoadFromBytes(form);
            QFAIL("the form was taken");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(counter.changes, 0);
        QCOMPARE(list.UpdateCount(), 0);
        QCOMPARE(list.SaveToBytes(), before);
    }

    // Sizes below 1 stand for empty entries, a negative count for no entry at all.
    void sizesBelowOneAreEmptyEntries()
    {
        TIconList list;
        list.LoadFromBytes(U32(3) + U32(0) + U32(0xFFFFFFFF) + U32(quint32(iconFile(8).size())) + iconFile(8));
        QCOMPARE(list.Count(), 3);
        QVERIFY(!list[0] && !list[1] && list[2]);
        list.LoadFromBytes(U32(0xFFFFFFFE));
        QCOMPARE(list.Count(), 0);
    }

    void clearFiresOnce()
    {
        TIconList list;
        for (int side : {8, 9, 10})
            list.Add(icon(side).get());
        Counter counter(list);
        list.Clear();
        QCOMPARE(list.Count(), 0);
        QCOMPARE(counter.changes, 1);
    }

    void nestedUpdatesFireAtTheOutermostEnd()
    {
        TIconList list;
        Counter counter(list);
        list.BeginUpdate();
        list.Add(icon(8).get());
        list.BeginUpdate();
        list.Add(icon(9).get());
        list.Delete(0);
        list.EndUpdate();
        QCOMPARE(counter.changes, 0);
        list.Exchange(0, 0);
        QCOMPARE(counter.changes, 0);
        list.EndUpdate();
        QCOMPARE(counter.changes, 1);
        QCOMPARE(list.UpdateCount(), 0);
        // One change per operation outside an update.
        list.Add(icon(10).get());
        list.Insert(0, icon(11).get());
        list.Move(0, 2);
        list.Exchange(0, 1);
        list.Delete(1);
        QCOMPARE(counter.changes, 6);
        // An extra end does not go below zero.
        list.EndUpdate();
        QCOMPARE(list.UpdateCount(), 0);
    }

    // The list hears its icons change, and stops hearing an icon it let go.
    void iconsTellTheirList()
    {
        TIconList list;
        list.Add(icon(8).get());
        Counter counter(list);
        list[0]->LoadFromBytes(iconFile(12));
        QCOMPARE(counter.changes, 1);
        QCOMPARE(list[0]->Width(), 12);
        list.Delete(0);
        QCOMPARE(counter.changes, 2);
    }

    void putAtCountAppends()
    {
        TIconList list;
        list.Add(icon(8).get());
        list.Add(nullptr);
        Counter counter(list);
        const auto nine = icon(9);
        list.Put(2, nine.get());
        QCOMPARE(counter.changes, 1);
        QCOMPARE(list.Count(), 3);
        QVERIFY(list[2] != nine.get());
        QVERIFY(list[2]->Equals(nine.get()));
        // An empty entry gets an icon of its own.
        list.Put(1, nine.get());
        QCOMPARE(counter.changes, 2);
        QVERIFY(list[1]->Equals(nine.get()));
        list.Put(0, nullptr);
        QVERIFY(list[0]->Empty());
        QCOMPARE(list.IndexOf(list[2]), 2);
        QCOMPARE(list.IndexOf(nine.get()), -1);
        try {
            list.Put(4, nine.get());
            QFAIL("put past the end");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("List index out of bounds (4)"));
        }
        QVERIFY_THROWS_EXCEPTION(platform::Error, list.Icons(-1));
        QVERIFY_THROWS_EXCEPTION(platform::Error, list.Insert(5, nine.get()));
        QVERIFY_THROWS_EXCEPTION(platform::Error, list.Move(0, 3));
        QCOMPARE(list.Count(), 3);
        QCOMPARE(counter.changes, 3);
    }

    void resourcesAreReadOrRefused()
    {
        QTemporaryDir dir;
        const QString good = k5test::WriteFile(dir.filePath(QStringLiteral("a.ico")), iconFile(14));
        const QString bad = k5test::WriteFile(dir.filePath(QStringLiteral("b.ico")), "not an icon");
        TIconList list;
        Counter counter(list);
        QCOMPARE(list.AddResource(good), 0);
        QCOMPARE(list[0]->Width(), 14);
        try {
            list.AddResource(dir.filePath(QStringLiteral("missing.ico")));
            QFAIL("a missing resource was added");
        } catch (const platform::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Resource %1 not found").arg(dir.filePath("missing.ico")));
        }
        QVERIFY_THROWS_EXCEPTION(platform::InvalidGraphic, list.InsertResource(0, bad));
        QCOMPARE(list.Count(), 1);
        QCOMPARE(counter.changes, 1);
        list.InsertResource(0, good);
        QCOMPARE(list.Count(), 2);
    }

    // A name that is no file (a named pipe above all, which would hold a plain open until a writer came)
    // is refused at once by both resource routes, and the list stays as it was.
    void whatIsNoFileIsNoResource()
    {
        QTemporaryDir dir;
        k5test::NotFiles names(dir.path(), QStringLiteral("x"), QStringLiteral("ico"));
        QVERIFY2(names.Error.isEmpty(), qPrintable(names.Error));
        TIconList list;
        list.Add(icon(14).get());
        Counter counter(list);
        k5test::PipeWatchdog watchdog(names.Pipe);
        for (const QString &name : names.All()) {
            const QString refused = QStringLiteral("Resource %1 not found").arg(name);
            try {
                list.AddResource(name);
                QFAIL(qPrintable(name));
            } catch (const platform::Error &e) {
                QCOMPARE(e.message(), refused);
            }
            try {
                list.InsertResource(0, name);
                QFAIL(qPrintable(name));
            } catch (const platform::Error &e) {
                QCOMPARE(e.message(), refused);
            }
        }
        QVERIFY(!watchdog.Fired());
        QCOMPARE(list.Count(), 1);
        QCOMPARE(counter.changes, 0);
    }

    void assignsListsAndIcons()
    {
        TIconList a, b;
        a.Add(icon(8).get());
        a.Add(nullptr);
        a.Add(icon(10, 8).get());
        Counter counter(b);
        b.Assign(&a);
        QCOMPARE(counter.changes, 1);
        QVERIFY(b.Equals(&a));
        QCOMPARE(b.SaveToBytes(), a.SaveToBytes());
        QVERIFY(b[0] != a[0]);
        const auto single = icon(11);
        b.Assign(single.get());
        QCOMPARE(counter.changes, 2);
        QCOMPARE(b.Count(), 1);
        QVERIFY(b[0]->Equals(single.get()));
        QVERIFY(!b.Equals(&a));
        b.Assign(static_cast<const TIconList *>(nullptr));
        QCOMPARE(b.Count(), 0);
    }

    // "Icons" is stored when the list has entries, or differs from its ancestor.
    void storedAsThePropertyIcons()
    {
        TIconList list, ancestor;
        QVERIFY(!list.IconsStored());
        platform::FormWriter none;
        list.DefineProperties(none);
        QVERIFY(none.Data().isEmpty());

        list.Add(icon(8).get());
        list.Add(nullptr);
        QVERIFY(list.IconsStored());
        ancestor.Assign(&list);
        QVERIFY(!list.IconsStored(&ancestor));
        ancestor.Put(1, icon(9).get());
        QVERIFY(list.IconsStored(&ancestor));

        platform::FormWriter writer;
        list.DefineProperties(writer, &ancestor);
        platform::FormReader reader(writer.Data());
        const QString name = reader.ReadString();
        TIconList back;
        QVERIFY(!back.ReadProperty(QStringLiteral("Data"), reader));
        QVERIFY(back.ReadProperty(name, reader));
        QVERIFY(back.Equals(&list));
        QVERIFY(reader.AtEnd());
    }
};

K5_TEST_MAIN(TestQvIconList)
#include "test_qvicolist.moc"
