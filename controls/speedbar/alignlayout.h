#pragma once
// A layout that places a widget's children along its edges by their alignment:
// first the children aligned to the top, then bottom, left and right, each group in the order of their
// current positions, each keeping its own thickness; a child aligned to the client area takes what is
// left. Children without an alignment stay where they are.
#include <QLayout>
#include <QList>

namespace speedbar {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TAlignLayout : public QLayout {
    Q_OBJECT
public:
    explicit TAlignLayout(QWidget *parent = nullptr);
    ~TAlignLayout() override;

    // Adds the widget when it is not in the layout yet.
    void SetAlign(QWidget *widget, TAlign align);
    // alNone for a widget that is not in the layout.
    TAlign AlignOf(const QWidget *widget) const;
    // Places the children now (nothing while the layout is disabled).
    void Realign();
    // The area the children are placed in, in the parent's coordinates.
    QRect AlignArea() const;

    // The alignment layout of a widget; with create, one is installed on a widget that has no layout.
    // Null when the widget has a layout of another kind.
    static TAlignLayout *Of(QWidget *parent, bool create);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override { return int(entries_.size()); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Entry {
        QLayoutItem *item;
        TAlign align;
    };
    QList<Entry> entries_;
};

} // namespace speedbar
