#include "treenodelist.h"

#include "treetypes.h"

#include <utility>

namespace tree {

void TTreeNodeList::error(const char *format, int value)
{
    throw EListError(QString::fromLatin1(format).arg(value));
}

void TTreeNodeList::grow()
{
    int delta = 4;
    if (capacity_ > 64)
        delta = capacity_ / 4;
    else if (capacity_ > 8)
        delta = 16;
    SetCapacity(capacity_ + delta);
}

void TTreeNodeList::SetCapacity(int value)
{
    if (value < count_ || value > MaxListSize)
        error("List capacity out of bounds (%1)", value);
    if (value != capacity_) {
        items_.resize(size_t(value), nullptr);
        capacity_ = value;
    }
}

void TTreeNodeList::SetCount(int value)
{
    if (value < 0 || value > MaxListSize)
        error("List count out of bounds (%1)", value);
    if (value > capacity_)
        SetCapacity(value);
    for (int i = count_; i < value; ++i)
        items_[size_t(i)] = nullptr;
    count_ = value;
}

int TTreeNodeList::Add(TZozeZONode *item)
{
    const int result = count_;
    if (result == capacity_)
        grow();
    items_[size_t(result)] = item;
    ++count_;
    return result;
}

void TTreeNodeList::Insert(int index, TZozeZONode *item)
{
    if (index < 0 || index > count_)
        error("List index out of bounds (%1)", index);
    if (count_ == capacity_)
        grow();
    for (int i = count_; i > index; --i)
        items_[size_t(i)] = items_[size_t(i - 1)];
    items_[size_t(index)] = item;
    ++count_;
}

void TTreeNodeList::Delete(int index)
{
    if (index < 0 || index >= count_)
        error("List index out of bounds (%1)", index);
    --count_;
    for (int i = index; i < count_; ++i)
        items_[size_t(i)] = items_[size_t(i + 1)];
    items_[size_t(count_)] = nullptr;
}

int TTreeNodeList::Remove(TZozeZONode *item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

int TTreeNodeList::IndexOf(const TZozeZONode *item) const
{
    for (int i = 0; i < count_; ++i)
        if (items_[size_t(i)] == item)
            return i;
    return -1;
}

TZozeZONode *TTreeNodeList::Items(int index) const
{
    if (index < 0 || index >= count_)
        error("List index out of bounds (%1)", index);
    return items_[size_t(index)];
}

void TTreeNodeList::SetItems(int index, TZozeZONode *item)
{
    if (index < 0 || index >= count_)
        error("List index out of bounds (%1)", index);
    items_[size_t(index)] = item;
}

void TTreeNodeList::Pack()
{
    int j = 0;
    for (int i = 0; i < count_; ++i)
        if (items_[size_t(i)])
            items_[size_t(j++)] = items_[size_t(i)];
    for (int i = j; i < count_; ++i)
        items_[size_t(i)] = nullptr;
    count_ = j;
}

void TTreeNodeList::Clear()
{
    items_.clear();
    items_.shrink_to_fit();
    count_ = 0;
    capacity_ = 0;
}

void TTreeNodeList::Sort(const TListSortCompare &compare)
{
    if (count_ > 1)
        quickSort(0, count_ - 1, compare);
}

void TTreeNodeList::quickSort(int l, int r, const TListSortCompare &compare)
{
    // Each range is partitioned the same way whichever is done first, so recursing into the smaller
    // part keeps the order and bounds the depth.
    while (l < r) {
        int i = l;
        int j = r;
        TZozeZONode *const pivot = items_[size_t((l + r) >> 1)];
        do {
            // The bounds only matter for a comparison that contradicts itself.
            while (i < r && compare(items_[size_t(i)], pivot) < 0)
                ++i;
            while (j > l && compare(items_[size_t(j)], pivot) > 0)
                --j;
            if (i <= j) {
                std::swap(items_[size_t(i)], items_[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - l < r - i) {
            if (l < j)
                quickSort(l, j, compare);
            l = i;
        } else {
            if (i < r)
                quickSort(i, r, compare);
            r = j;
        }
    }
}

} // namespace tree
