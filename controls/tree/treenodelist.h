#pragma once
// A growable list of node references: the children of a node, the flat node cache and the selection.
#include <QtGlobal>
#include <functional>
#include <vector>

namespace tree {

class TZozeZONode;

// Negative, zero or positive like a string comparison.
using TListSortCompare = std::function<int(TZozeZONode *, TZozeZONode *)>;

class TTreeNodeList {
public:
    static constexpr int MaxListSize = 134217727;

    int Count() const { return count_; }
    void SetCount(int value);
    int Capacity() const { return capacity_; }
    void SetCapacity(int value);

    int Add(TZozeZONode *item);
    void Insert(int index, TZozeZONode *item);
    void Delete(int index);
    int Remove(TZozeZONode *item);
    int IndexOf(const TZozeZONode *item) const;
    TZozeZONode *Items(int index) const;
    void SetItems(int index, TZozeZONode *item);
    TZozeZONode *operator[](int index) const { return Items(index); }
    TZozeZONode *First() const { return count_ > 0 ? items_[0] : nullptr; }
    TZozeZONode *Last() const { return count_ > 0 ? items_[size_t(count_ - 1)] : nullptr; }
    void Pack();
    void Clear();
    // Quicksort with the pivot at (L + R) div 2; ties come out in this algorithm's order.
    void Sort(const TListSortCompare &compare);

    TZozeZONode *const *begin() const { return items_.data(); }
    TZozeZONode *const *end() const { return items_.data() + count_; }

private:
    void grow();
    void quickSort(int l, int r, const TListSortCompare &compare);
    [[noreturn]] static void error(const char *format, int value);

    std::vector<TZozeZONode *> items_;
    int count_ = 0;
    int capacity_ = 0;
};

} // namespace tree
