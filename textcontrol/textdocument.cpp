// The document: navigators, construction, observers and reading the text.
#include "textcontrol/textdocument.h"

#include "platform/error.h"

#include <algorithm>

namespace textcontrol {

// ---- navigators ------------------------------------------------------------------------------------

TRiloNavigator::TRiloNavigator(TextDocument *owner) : owner_(owner)
{
    if (owner_)
        owner_->Register(this);
}

TRiloNavigator::~TRiloNavigator() { Detach(); }

void TRiloNavigator::Detach()
{
    if (owner_)
        owner_->Unregister(this);
    owner_ = nullptr;
}

void TRiloNavigator::SetOffset(int offset)
{
    offset_ = owner_ ? std::clamp(offset, 0, owner_->CharCount()) : std::max(0, offset);
}

int TRiloNavigator::Paragraph() const { return owner_ ? owner_->text_.ParagraphAt(offset_) : 0; }

int TRiloNavigator::Column() const { return owner_ ? offset_ - owner_->text_.Start(Paragraph()) : offset_; }

void TextDocument::Unregister(TRiloNavigator *n)
{
    auto it = std::find(navigators_.begin(), navigators_.end(), n);
    if (it != navigators_.end())
        navigators_.erase(it);
}

void TextDocument::AdjustNavigators(int lower, int upper, int delta)
{
    for (TRiloNavigator *n : navigators_) {
        if (n->offset_ >= lower && n->offset_ <= upper)
            n->offset_ = lower;
        else if (n->offset_ > upper)
            n->offset_ += delta;
    }
}

TRiloHighlighter::~TRiloHighlighter()
{
    for (TextDocument *d : documents_)
        d->highlighter_ = nullptr;
}

// ---- construction ----------------------------------------------------------------------------------

TextDocument::TextDocument()
{
    SetSeparators(QStringLiteral("\t ,.:;"));
    keywords_.OnChange = [this] { KeyListsChanged(); };
    startStop_.OnChange = [this] { KeyListsChanged(); };
    progressTimer_.start();
}

TextDocument::~TextDocument()
{
    SetHighlighter(nullptr);
    for (TRiloNavigator *n : navigators_)
        n->owner_ = nullptr;
    navigators_.clear();
}

void TextDocument::RemoveObserver(DocumentObserver *o)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void TextDocument::KeyListsChanged()
{
    keyTablesValid_ = false;
    pushCache_.clear();
    keywordCache_.clear();
    popCache_.clear();
    stripCache_.clear();
}

// ---- reading ---------------------------------------------------------------------------------------

int TextDocument::ParagraphStart(int index) const
{
    index = std::clamp(index, 0, ParagraphCount() - 1);
    return text_.Start(index);
}

QChar TextDocument::CharAt(int offset) const
{
    if (offset < 0 || offset >= CharCount())
        return QChar(0);
    const int p = text_.ParagraphAt(offset);
    const int i = offset - text_.Start(p);
    const ParaText t = text_.Text(p);
    if (i < t.length)
        return QChar(t[i]);
    return i == t.length ? QLatin1Char('\r') : QLatin1Char('\n');
}

QString TextDocument::ParagraphText(int index) const
{
    if (index < 0 || index >= ParagraphCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    return text_.ParagraphString(index);
}

int TextDocument::Snap(int offset, bool forward) const
{
    if (offset <= 0 || offset >= CharCount())
        return offset;
    const int p = text_.ParagraphAt(offset);
    const int i = offset - text_.Start(p);
    if (i == text_.Length(p) + 1 || text_.Text(p).SplitsPair(i))
        return forward ? offset + 1 : offset - 1; // between CR and LF, or inside a surrogate pair
    return offset;
}

} // namespace textcontrol
