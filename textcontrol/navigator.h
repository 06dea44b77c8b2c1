#pragma once
// A position in one memo's text that edits keep valid.
namespace textcontrol {

class MemoCore;

// A position in one memo's text, kept valid across edits while it is registered.
class TRiloNavigator {
public:
    explicit TRiloNavigator(MemoCore *owner = nullptr);
    ~TRiloNavigator();
    TRiloNavigator(const TRiloNavigator &) = delete;
    TRiloNavigator &operator=(const TRiloNavigator &) = delete;
    int Offset() const { return offset_; }
    void SetOffset(int offset);
    MemoCore *Owner() const { return owner_; }
    void Detach(); // the memo forgets it; the offset stays
    int Paragraph() const;
    int Column() const; // offset within the paragraph
    int Line() const;   // display line

private:
    friend class MemoCore;
    MemoCore *owner_ = nullptr;
    int offset_ = 0;
};

} // namespace textcontrol
