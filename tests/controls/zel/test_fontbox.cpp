#include "k5test.h"

#include "controls/zel/fontbox.h"

using namespace zel;
using platform::FontFamily;

namespace {
QList<FontFamily> families()
{
    return {{QStringLiteral("Liberation Sans"), platform::FontTrueType},
            {QStringLiteral("@Mincho"), platform::FontTrueType},
            {QStringLiteral("courier 10 pitch"), platform::FontPostScript},
            {QStringLiteral("Fixed"), platform::FontRaster},
            {QStringLiteral("Mixed Family"), platform::FontOther},
            {QStringLiteral("DejaVu Sans"), platform::FontTrueType}};
}

QStringList comboItems(const QComboBox &c)
{
    QStringList out;
    for (int i = 0; i < c.count(); ++i)
        out << c.itemText(i);
    return out;
}
} // namespace

class TestFontBox : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::SetFontFamilyProvider(families); }
    void cleanup() { platform::SetFontFamilyProvider(nullptr); }

    void listsEveryFamilySortedWithTheFirstSelected()
    {
        TZELFontCombo combo;
        QCOMPARE(comboItems(combo), QStringList({QStringLiteral("@Mincho"), QStringLiteral("courier 10 pitch"),
                                                 QStringLiteral("DejaVu Sans"), QStringLiteral("Fixed"),
                                                 QStringLiteral("Liberation Sans"), QStringLiteral("Mixed Family")}));
        QCOMPARE(combo.FontSelected(), QStringLiteral("@Mincho"));
        QCOMPARE(combo.ItemHeight(), 16);
        TZELFontBox box;
        QCOMPARE(box.count(), 6);
        QCOMPARE(box.FontSelected(), QStringLiteral("@Mincho"));
        QCOMPARE(box.FontList().Object(1).Kind, quint8(0));
        QCOMPARE(box.FontList().Object(3).Kind, quint8(2));
    }

    void filterOptionsChooseKinds()
    {
        TZELFontBox box;
        box.SetFilterOptions(ShowTrueType);
        QCOMPARE(box.count(), 3);
        for (int i = 0; i < box.FontList().Count(); ++i)
            QCOMPARE(box.FontList().Object(i).Kind, quint8(platform::FontTrueType));
        box.SetFilterOptions(ShowRaster | ShowOther);
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.item(0)->text(), QStringLiteral("Fixed"));
        QCOMPARE(box.item(1)->text(), QStringLiteral("Mixed Family"));
    }

    void validationRemovesVerticalFamilies()
    {
        TZELFontCombo combo;
        QStringList asked;
        combo.OnValidateFont = [&](QObject *sender, TZELFontClass &font, bool &accept) {
            asked << font.Name;
            if (sender == &combo && font.Name.startsWith(QLatin1Char('@')))
                accept = false;
        };
        combo.SetFilterOptions(ShowTrueType | ShowPostScript);
        QCOMPARE(asked.size(), 6);
        QCOMPARE(comboItems(combo), QStringList({QStringLiteral("courier 10 pitch"), QStringLiteral("DejaVu Sans"),
                                                 QStringLiteral("Liberation Sans")}));
    }

    void selectingByName()
    {
        TZELFontBox box;
        box.SetFontSelected(QStringLiteral("dejavu sans"));
        QCOMPARE(box.FontSelected(), QStringLiteral("DejaVu Sans"));
        box.SetFontSelected(QStringLiteral("No Such Font"));
        QCOMPARE(box.currentRow(), -1);
        QCOMPARE(box.FontSelected(), QString());

        TZELFontCombo combo;
        combo.SetFontSelected(QStringLiteral("Fixed"));
        QCOMPARE(combo.currentIndex(), 3);
        QCOMPARE(combo.FontSelected(), QStringLiteral("Fixed"));
        // A family this system lacks stays as text, as the dialogs' stored "Arial" must.
        combo.SetFontSelected(QStringLiteral("Arial"));
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.currentText(), QStringLiteral("Arial"));
        QCOMPARE(combo.FontSelected(), QStringLiteral("Arial"));
        // An installed family that the filter leaves out is no choice.
        combo.SetFilterOptions(ShowRaster);
        combo.SetFontSelected(QStringLiteral("DejaVu Sans"));
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.FontSelected(), QString());
        // Typed names read back as the listed family.
        combo.setEditText(QStringLiteral("fixed"));
        QCOMPARE(combo.FontSelected(), QStringLiteral("Fixed"));
    }

    void fontChangeSetsTheListItemHeight()
    {
        TZELFontBox box;
        QFont f = box.font();
        f.setPixelSize(30);
        box.setFont(f);
        QCOMPARE(box.ItemHeight(), QFontMetrics(f).height());
        QCOMPARE(box.sizeHintForRow(0), QFontMetrics(f).height());
    }

    void itemsShowTheirKindGlyph()
    {
        TZELFontBox box;
        box.resize(200, 200);
        box.show();
        box.setCurrentRow(-1);
        box.clearSelection();
        const QImage shot = box.grab().toImage();
        // The first row starts with the glyph square: something other than the background is drawn there.
        const QRect row = box.visualItemRect(box.item(0));
        const QColor back = box.palette().color(QPalette::Base);
        bool drawn = false;
        for (int y = row.top(); y < row.top() + row.height() && !drawn; ++y)
            for (int x = row.left(); x < row.left() + row.height() && !drawn; ++x)
                drawn = shot.pixelColor(x + box.frameWidth(), y + box.frameWidth()) != back;
        QVERIFY(drawn);
    }

    void systemFamiliesHaveKinds()
    {
        platform::SetFontFamilyProvider(nullptr);
        const QList<FontFamily> all = platform::InstalledFontFamilies();
        QVERIFY(!all.isEmpty());
        QVERIFY(platform::IsFontInstalled(all.first().name.toUpper()));
        QVERIFY(!platform::IsFontInstalled(QStringLiteral("No Such Family 12345")));
    }
};

K5_TEST_MAIN(TestFontBox)
#include "test_fontbox.moc"
