// Undo history: records of replaced ranges, kept within a size and a count.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

#include "platform/error.h"

#include <algorithm>

namespace textcontrol {

using namespace memo_detail;

// ---- undo ------------------------------------------------------------------------------------------

void TextDocument::RecordUndo(int lower, int upper, int inserted, const QString &removed)
{
    if (!undoing_)
        while (int(undo_.size()) > undoIndex_)
            DeleteRecord(int(undo_.size()) - 1);
    const int caret = lower;
    if (upper == lower && undoIndex_ > 0 && !undoing_ && !forceNewRecord_) {
        UndoRecord &r = undo_[size_t(undoIndex_ - 1)];
        if (r.end == caret && r.start != caret) {
            r.end = caret + inserted;
            return;
        }
    }
    UndoRecord rec;
    rec.start = lower;
    rec.end = lower + inserted;
    rec.text = removed;
    if (rec.Size() > undoMaxSpace_ || rec.Size() > kMaxUndoRecord) {
        ClearUndo(); // a cut record could never restore the text
        return;
    }
    if (undoIndex_ < int(undo_.size())) {
        undoTotal_ -= undo_[size_t(undoIndex_)].Size();
        undo_[size_t(undoIndex_)] = std::move(rec);
        undoTotal_ += undo_[size_t(undoIndex_)].Size();
    } else {
        undoTotal_ += rec.Size();
        undo_.push_back(std::move(rec));
    }
    ++undoIndex_;
    TrimUndo();
}

const UndoRecord &TextDocument::UndoRecordAt(int i) const
{
    if (i < 0 || i >= int(undo_.size()))
        throw platform::Error(QStringLiteral("List index out of bounds"));
    return undo_[size_t(i)];
}

void TextDocument::DeleteRecord(int i)
{
    undoTotal_ -= undo_[size_t(i)].Size();
    undo_.erase(undo_.begin() + i);
    if (i < undoIndex_)
        --undoIndex_;
}

void TextDocument::TrimUndo()
{
    // Within both budgets, space and count: redo records go first, then the oldest.
    auto over = [this] { return undoTotal_ > undoMaxSpace_ || int(undo_.size()) > undoMaxLevel_; };
    while (over() && int(undo_.size()) > undoIndex_)
        DeleteRecord(int(undo_.size()) - 1);
    while (over() && undoIndex_ > 0)
        DeleteRecord(0);
    if (undoIndex_ > 0 && undo_[0].grouped && undoIndex_ <= int(undo_.size()))
        undo_[0].grouped = false; // its partner is gone
}

void TextDocument::ClearUndo()
{
    undo_.clear();
    undoIndex_ = 0;
    undoTotal_ = 0;
}

void TextDocument::Undo(const ApplyEdit &apply)
{
    if (undoIndex_ <= 0 || undoIndex_ > int(undo_.size()))
        return;
    const UndoRecord r = undo_[size_t(undoIndex_ - 1)];
    undoing_ = true;
    --undoIndex_;
    const quint64 serial = editSerial_;
    try {
        apply(r.start, r.end, r.text);
    } catch (...) {
        // A refused edit changed nothing: its record stays to be undone.
        if (editSerial_ == serial)
            ++undoIndex_;
        else if (undoIndex_ > 0)
            --undoIndex_;
        undoing_ = false;
        throw;
    }
    if (undoIndex_ > 0)
        --undoIndex_;
    undoing_ = false;
    forceNewRecord_ = true;
    if (r.grouped && undoIndex_ > 0) {
        Undo(apply);
        if (undoIndex_ + 1 < int(undo_.size()))
            undo_[size_t(undoIndex_ + 1)].grouped = true;
    }
}

void TextDocument::Redo(const ApplyEdit &apply)
{
    if (undoIndex_ < 0 || undoIndex_ >= int(undo_.size()))
        return;
    const UndoRecord r = undo_[size_t(undoIndex_)];
    const bool nextGrouped = undoIndex_ + 1 < int(undo_.size()) && undo_[size_t(undoIndex_ + 1)].grouped;
    undoing_ = true;
    try {
        apply(r.start, r.end, r.text);
    } catch (...) {
        undoing_ = false;
        throw;
    }
    undoing_ = false;
    forceNewRecord_ = true;
    if (nextGrouped && undoIndex_ < int(undo_.size())) {
        Redo(apply);
        if (undoIndex_ > 0 && undoIndex_ - 1 < int(undo_.size()))
            undo_[size_t(undoIndex_ - 1)].grouped = true;
    }
}

void TextDocument::GroupLastRecord()
{
    if (undoIndex_ > 1)
        undo_[size_t(undoIndex_ - 1)].grouped = true;
}

void TextDocument::SetUndoMaxLevel(int value)
{
    if (value > 134217727)
        throw platform::Error(QStringLiteral("Undo set too high"));
    value = std::max(value, 0);
    while (int(undo_.size()) > std::max(undoIndex_, value))
        DeleteRecord(int(undo_.size()) - 1);
    while (value < undoIndex_)
        DeleteRecord(0);
    undoMaxLevel_ = value;
}

void TextDocument::SetUndoMaxSpace(int value)
{
    value = std::max(value, 0);
    while (undoTotal_ > value && int(undo_.size()) > undoIndex_)
        DeleteRecord(int(undo_.size()) - 1);
    while (undoTotal_ > value && !undo_.empty())
        DeleteRecord(0);
    undoMaxSpace_ = value;
}

} // namespace textcontrol
