#pragma once
// Types shared by the tree nodes, the tree view and its editor: colour values as the stored forms keep
// them, the option set, the tree's errors and a small image list.
#include "platform/error.h"

#include <QColor>
#include <QFlags>
#include <QList>
#include <QObject>
#include <QPixmap>

class QPalette;

namespace tree {

// A colour as stored: 0x00BBGGRR for a plain colour, 0x800000nn for the system colour number nn.
using TColor = qint32;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBtnFace = TColor(0x8000000F);
constexpr TColor clBtnShadow = TColor(0x80000010);
constexpr TColor clBtnHighlight = TColor(0x80000014);
constexpr TColor cl3DLight = TColor(0x80000016);
constexpr TColor clWindow = TColor(0x80000005);
constexpr TColor clWindowText = TColor(0x80000008);
constexpr TColor clHighlight = TColor(0x8000000D);
constexpr TColor clHighlightText = TColor(0x8000000E);
constexpr TColor clGrayText = TColor(0x80000011);

// System colours come from the palette.
QColor ColorToQColor(TColor color, const QPalette &palette);
QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor &color);

enum TTreeOption : quint32 {
    toAutoExpand = 1u << 0,
    toAutoScroll = 1u << 1,
    toCheckSupport = 1u << 2,
    toNoEraseBkgnd = 1u << 3,
    toEvenHeight = 1u << 4,
    toFullRowSelect = 1u << 5,
    toHideSelection = 1u << 6,
    toHotTrack = 1u << 7,
    toInfoTip = 1u << 8,
    toLevelSelectConstraint = 1u << 9,
    toMultiSelect = 1u << 10,
    toNoScroll = 1u << 11,
    toReadOnly = 1u << 12,
    toRightClickSelect = 1u << 13,
    toToolTips = 1u << 14,
    toShowButtons = 1u << 15,
    toShowLines = 1u << 16,
    toShowRoot = 1u << 17,
    toSingleExpand = 1u << 18,
    toWantReturn = 1u << 19,
};
Q_DECLARE_FLAGS(TTreeOptions, TTreeOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TTreeOptions)

constexpr TTreeOptions DefaultTreeOptions = TTreeOptions(toAutoExpand | toAutoScroll | toEvenHeight | toHideSelection |
                                                         toRightClickSelect | toShowButtons | toShowLines | toShowRoot);

enum TSortType { stNone, stData, stText, stBoth };
enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
enum TDragMode { dmManual, dmAutomatic };
enum TBorderStyle { bsNone, bsSingle };

// Raised by the tree for wrong use and bad text data.
class EZozeZOError : public platform::Error {
public:
    using Error::Error;
};
// Index, capacity and count errors of the node lists.
class EListError : public platform::Error {
public:
    using Error::Error;
};
// The view could not take another item.
class EOutOfResources : public platform::Error {
public:
    using Error::Error;
};

// Images of one size, addressed by index; trees re-read it when it tells them it changed.
class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(int width = 16, int height = 16, QObject *parent = nullptr)
        : QObject(parent), width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return int(images_.size()); }
    int Add(const QPixmap &image);
    void Clear();
    void Replace(int index, const QPixmap &image);
    QPixmap Image(int index) const;
    bool Valid(int index) const { return index >= 0 && index < images_.size(); }

signals:
    void Changed();

private:
    int width_;
    int height_;
    QList<QPixmap> images_;
};

} // namespace tree
