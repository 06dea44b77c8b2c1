#pragma once
// List box and combo box of the installed font families, each item drawn with a glyph of its kind.
#include "platform/shell/fonts.h"

#include <QComboBox>
#include <QListWidget>
#include <functional>
#include <memory>
#include <vector>

namespace zel {

class TZELFontClass {
public:
    TZELFontClass(const QString &name, quint8 kind) : Name(name), Kind(kind) {}
    QString Name;
    quint8 Kind; // 0 PostScript, 1 TrueType, 2 raster, 3 other
};

enum TZELFilterOption : unsigned { ShowTrueType = 1u << 0, ShowPostScript = 1u << 1, ShowRaster = 1u << 2, ShowOther = 1u << 3 };
using TZELFilterOptions = unsigned;
constexpr TZELFilterOptions AllFontKinds = ShowTrueType | ShowPostScript | ShowRaster | ShowOther;

using TZELOnFontValidate = std::function<void(QObject *sender, TZELFontClass &font, bool &accept)>;

// Sorted (ignoring case, no duplicates) names with the font objects it owns.
class TZELFontList {
public:
    int Count() const { return int(items_.size()); }
    const TZELFontClass &Object(int i) const { return *items_[size_t(i)]; }
    QString Name(int i) const { return items_[size_t(i)]->Name; }
    // The position of a name, ignoring case; -1 when it is not listed.
    int IndexOf(const QString &name) const;
    void Add(std::unique_ptr<TZELFontClass> font);
    void Clear() { items_.clear(); }
    // Enumerates the installed families into the list: kinds in filter and accepted by validate.
    void Fill(QObject *sender, TZELFilterOptions filter, const TZELOnFontValidate &validate);

private:
    std::vector<std::unique_ptr<TZELFontClass>> items_;
};

// What the list box and the combo share: the owned font list, the kind filter and the validation event.
template <class Base>
class TZELFontControl : public Base {
public:
    using Base::Base;
    TZELFilterOptions FilterOptions() const { return filter_; }
    void SetFilterOptions(TZELFilterOptions options)
    {
        if (options == filter_)
            return;
        filter_ = options;
        rebuild();
    }
    TZELOnFontValidate OnValidateFont;
    int ItemHeight() const { return itemHeight_; }
    const TZELFontList &FontList() const { return fonts_; }

protected:
    // Puts the font list's names into the control's items.
    virtual void fillItems() = 0;
    void rebuild()
    {
        fonts_.Clear();
        fonts_.Fill(this, filter_, OnValidateFont);
        fillItems();
    }
    TZELFontList fonts_;
    TZELFilterOptions filter_ = AllFontKinds;
    int itemHeight_ = 16;
};

class TZELFontBox : public TZELFontControl<QListWidget> {
    Q_OBJECT
public:
    explicit TZELFontBox(QWidget *parent = nullptr);

    QString FontSelected() const;
    void SetFontSelected(const QString &name);

protected:
    void changeEvent(QEvent *e) override;
    void fillItems() override;
};

class TZELFontCombo : public TZELFontControl<QComboBox> {
    Q_OBJECT
public:
    explicit TZELFontCombo(QWidget *parent = nullptr);

    // The selected family; a name that is not installed at all stays in the combo as text and reads back.
    QString FontSelected() const;
    void SetFontSelected(const QString &name);

protected:
    void fillItems() override;
};

} // namespace zel
