#pragma once
// A position in one document's text that edits keep valid.
namespace textcontrol {

class MemoCore;
class TextDocument;

// A position in one document's text, kept valid across edits while it is registered.
class TRiloNavigator {
public:
    explicit TRiloNavigator(TextDocument *owner = nullptr);
    explicit TRiloNavigator(MemoCore *view); // in the document the view shows
    ~TRiloNavigator();
    TRiloNavigator(const TRiloNavigator &) = delete;
    TRiloNavigator &operator=(const TRiloNavigator &) = delete;
    int Offset() const { return offset_; }
    void SetOffset(int offset);
    TextDocument *Owner() const { return owner_; }
    void Detach(); // the document forgets it; the offset stays
    int Paragraph() const;
    int Column() const; // offset within the paragraph

private:
    friend class TextDocument;
    friend class MemoCore;
    TextDocument *owner_ = nullptr;
    int offset_ = 0;
};

} // namespace textcontrol
