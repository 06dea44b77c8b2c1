#include "k5test.h"

#include "controls/qv/qvcomboedit.h"

#include <QClipboard>
#include <QListWidget>
#include <QStyle>

using namespace qv;

namespace {

bool showAndWait(QWidget *w)
{
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    w->activateWindow();
    return true;
}

// An edit with a list as its pop-up; an empty choice does not pass.
class ListComboEdit : public TCustomComboEdit {
public:
    QListWidget *list = new QListWidget;
    ListComboEdit()
    {
        list->addItems({QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")});
        list->resize(100, 60);
        SetPopup(list);
    }

protected:
    void SetPopupValue(const QString &value) override
    {
        const auto found = list->findItems(value, Qt::MatchExactly);
        list->setCurrentItem(found.isEmpty() ? nullptr : found.first());
    }
    QString GetPopupValue() const override { return list->currentItem() ? list->currentItem()->text() : QString(); }
    bool AcceptPopup(const QString &value) override { return !value.isEmpty(); }
};

} // namespace

class TestQvComboEdit : public QObject {
    Q_OBJECT
private slots:
    void defaults()
    {
        TComboEdit e;
        QCOMPARE(e.ClickKey(), QKeyCombination(Qt::AltModifier, Qt::Key_Down));
        QVERIFY(e.DirectInput());
        QVERIFY(!e.ReadOnly());
        QVERIFY(!e.isReadOnly());
        QCOMPARE(e.GlyphKind(), gkCustom);
        QCOMPARE(e.ButtonWidth(), 21);
        QCOMPARE(e.NumGlyphs(), 1);
        QCOMPARE(e.Alignment(), taLeftJustify);
        QVERIFY(e.height() >= 21);
        QVERIFY(e.minimumHeight() >= e.fontMetrics().height() + 5 || e.minimumHeight() >= 5);
        QVERIFY(!e.PopupVisible());
    }

    void clickKeyRunsTheButton()
    {
        TComboEdit e;
        e.setText(QStringLiteral("text"));
        int clicks = 0;
        e.OnButtonClick = [&](QObject *sender) {
            QCOMPARE(sender, &e);
            ++clicks;
        };
        QTest::keyClick(&e, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(clicks, 1);
        QCOMPARE(e.text(), QStringLiteral("text"));
        QTest::keyClick(&e, Qt::Key_Down);
        QTest::keyClick(&e, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(clicks, 1);
        e.SetClickKey(QKeyCombination(Qt::Key_F4));
        QTest::keyClick(&e, Qt::Key_F4);
        QCOMPARE(clicks, 2);
        QTest::keyClick(&e, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(clicks, 2);
        // Width 1 hides the button but keeps its key; width 0 takes the key too.
        e.SetButtonWidth(1);
        QCOMPARE(e.ButtonWidth(), 1);
        QVERIFY(e.ButtonHolder()->isHidden());
        QTest::keyClick(&e, Qt::Key_F4);
        QCOMPARE(clicks, 3);
        e.SetButtonWidth(0);
        QVERIFY(e.ButtonHolder()->isHidden());
        QTest::keyClick(&e, Qt::Key_F4);
        QCOMPARE(clicks, 3);
        e.SetButtonWidth(2);
        QVERIFY(!e.ButtonHolder()->isHidden());
        QTest::keyClick(&e, Qt::Key_F4);
        QCOMPARE(clicks, 4);
        // A button as wide as the edit is refused.
        e.SetButtonWidth(e.width());
        QCOMPARE(e.ButtonWidth(), 2);
    }

    void mouseClickOnTheButton()
    {
        QWidget window;
        auto *other = new QLineEdit(&window);
        auto *e = new TComboEdit(&window);
        e->move(0, 40);
        QVERIFY(showAndWait(&window));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        int clicks = 0;
        e->OnButtonClick = [&](QObject *) { ++clicks; };
        QVERIFY(e->Button()->isVisible());
        QCOMPARE(e->Button()->mapTo(e, QPoint(e->ButtonWidth(), 0)).x(),
                 e->width() - e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
        QTest::mouseClick(e->Button(), Qt::LeftButton);
        QCOMPARE(clicks, 1);
        QVERIFY(e->hasFocus());
    }

    void directInputOffLeavesTextToTheButton()
    {
        QWidget window;
        auto *e = new TComboEdit(&window);
        QVERIFY(showAndWait(&window));
        e->setFocus();
        e->setText(QStringLiteral("kept"));
        e->SetDirectInput(false);
        QVERIFY(e->isReadOnly());
        e->OnButtonClick = [&](QObject *) { e->setText(QStringLiteral("chosen")); };
        QTest::keyClicks(e, QStringLiteral("typed"));
        QApplication::clipboard()->setText(QStringLiteral("pasted"));
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("kept"));
        QTest::mouseClick(e->Button(), Qt::LeftButton);
        QCOMPARE(e->text(), QStringLiteral("chosen"));
        e->SetDirectInput(true);
        QVERIFY(!e->isReadOnly());
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClicks(e, QStringLiteral("!"));
        QCOMPARE(e->text(), QStringLiteral("chosen!"));
    }

    void readOnlyButtonDoesNothing()
    {
        TComboEdit e;
        int clicks = 0;
        e.OnButtonClick = [&](QObject *) { ++clicks; };
        e.SetReadOnly(true);
        QVERIFY(e.isReadOnly());
        QTest::keyClick(&e, Qt::Key_Down, Qt::AltModifier);
        QTest::mouseClick(e.Button(), Qt::LeftButton);
        QTest::keyClicks(&e, QStringLiteral("x"));
        QCOMPARE(clicks, 0);
        QCOMPARE(e.text(), QString());
        e.SetReadOnly(false);
        QTest::keyClick(&e, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(clicks, 1);
    }

    void glyphKinds()
    {
        TComboEdit e;
        e.SetGlyphKind(gkEllipsis);
        QImage g = e.Glyph();
        QCOMPARE(g.size(), QSize(15, 4));
        auto dots = [](const QImage &img) {
            QList<int> xs;
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, 1) == QColor(Qt::black) && (x == 0 || img.pixelColor(x - 1, 1) != QColor(Qt::black)))
                    xs << x;
            return xs;
        };
        QCOMPARE(dots(g), QList<int>({1, 6, 11}));
        QCOMPARE(g.pixelColor(1, 2), QColor(Qt::black));
        QCOMPARE(g.pixelColor(1, 0), QColor(Qt::white));
        QCOMPARE(g.pixelColor(1, 3), QColor(Qt::white));
        // A new width draws the dots again.
        e.SetButtonWidth(30);
        QCOMPARE(e.Glyph().width(), 24);
        QCOMPARE(dots(e.Glyph()), QList<int>({6, 11, 16}));
        QCOMPARE(dots(EllipsisGlyph(14)), QList<int>({0, 3, 6}));
        QCOMPARE(dots(EllipsisGlyph(8)), QList<int>({0})); // too narrow for three
        QCOMPARE(EllipsisGlyph(0).size(), QSize(1, 4));
        e.SetNumGlyphs(3);
        QCOMPARE(e.NumGlyphs(), 1);
        e.SetGlyphKind(gkDropDown);
        QCOMPARE(e.ButtonWidth(), e.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        QCOMPARE(e.Glyph().size(), QSize(7, 4));
        QImage own(10, 5, QImage::Format_RGB32);
        own.fill(Qt::red);
        e.SetGlyph(own);
        QCOMPARE(e.GlyphKind(), gkCustom);
        e.SetNumGlyphs(2);
        QCOMPARE(e.NumGlyphs(), 2);
        e.setEnabled(false);
        (void)e.grab();
    }

    void popUpOpensUnderTheEditAndCloses()
    {
        QWidget window;
        auto *e = new ListComboEdit;
        e->setParent(&window);
        auto *other = new QLineEdit(&window);
        other->move(0, 60);
        QVERIFY(showAndWait(&window));
        e->setFocus();
        QTRY_VERIFY(e->hasFocus());
        e->setText(QStringLiteral("beta"));
        int clicks = 0, changes = 0;
        e->OnButtonClick = [&](QObject *) { ++clicks; };
        e->OnChange = [&](QObject *) { ++changes; };

        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(clicks, 1);
        QVERIFY(e->PopupVisible());
        QVERIFY(e->list->isVisible());
        QCOMPARE(e->list->currentItem()->text(), QStringLiteral("beta"));
        QCOMPARE(e->list->pos(), e->mapToGlobal(QPoint(0, e->height())));
        QVERIFY(e->isReadOnly());
        QVERIFY(e->hasFocus());
        // Enter takes the value.
        e->list->setCurrentRow(2);
        QTest::keyClick(e, Qt::Key_Return);
        QVERIFY(!e->PopupVisible());
        QVERIFY(!e->list->isVisible());
        QVERIFY(!e->isReadOnly());
        QCOMPARE(e->text(), QStringLiteral("gamma"));
        QVERIFY(e->isModified());
        QCOMPARE(changes, 1);
        // Escape leaves the text; so does a value that does not pass.
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        e->list->setCurrentRow(0);
        QTest::keyClick(e, Qt::Key_Escape);
        QCOMPARE(e->text(), QStringLiteral("gamma"));
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        e->list->setCurrentItem(nullptr);
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier); // the button again: close accepting
        QVERIFY(!e->PopupVisible());
        QCOMPARE(e->text(), QStringLiteral("gamma"));
        // A press on the button while open only closes.
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        const int before = clicks;
        QTest::mouseClick(e->Button(), Qt::LeftButton);
        QVERIFY(!e->PopupVisible());
        QCOMPARE(clicks, before);
        QTest::mouseClick(e->Button(), Qt::LeftButton);
        QVERIFY(e->PopupVisible());
        // Losing the focus closes it unchanged.
        e->list->setCurrentRow(0);
        other->setFocus();
        QTRY_VERIFY(!e->PopupVisible());
        QCOMPARE(e->text(), QStringLiteral("gamma"));
        // So does a press on the text.
        e->setFocus();
        QTest::keyClick(e, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(e->PopupVisible());
        QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!e->PopupVisible());
        QCOMPARE(e->text(), QStringLiteral("gamma"));
    }
};

K5_TEST_MAIN(TestQvComboEdit)
#include "test_qvcomboedit.moc"
