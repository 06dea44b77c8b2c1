// Background highlighting: the slices of the views' background work give the document its share first,
// and it highlights the paragraphs they are about to wrap, each once whatever the number of views.
#include "textcontrol/textdocument.h"
#include "textcontrol/memointernal.h"

namespace textcontrol {

using namespace memo_detail;

bool TextDocument::BackgroundDone()
{
    const int n = ParagraphCount();
    while (hlNext_ < n && Highlighted(hlNext_))
        ++hlNext_;
    return hlNext_ >= n && compactNext_ < 0;
}

bool TextDocument::BackgroundSlice(const QElapsedTimer &slice, int upTo)
{
    const int n = ParagraphCount();
    upTo = std::min(upTo, n - 1);
    int budget = kCheckChars;
    while (hlNext_ <= upTo) {
        const int p = hlNext_;
        const ParaInfo in = text_.Info(p);
        if ((in.flags & (pfContexts | pfKeywords)) == (pfContexts | pfKeywords)) {
            ++hlNext_;
            continue;
        }
        compactNext_ = 0;
        const int len = in.text.length;
        if (len > chunkChars_) {
            do
                HighlightChunk(p, chunkChars_);
            while (!Highlighted(p) && slice.elapsed() < sliceMs_);
            if (!Highlighted(p))
                return false; // the rest of it in the next slices
        } else {
            HighlightParagraph(p, in);
        }
        ++hlNext_;
        if ((budget -= len + kParagraphChars) <= 0) {
            budget = kCheckChars;
            if (slice.elapsed() >= sliceMs_)
                return BackgroundDone();
        }
    }
    if (hlNext_ < n)
        return false;
    // The spare room the passes left is given back a few blocks at a time.
    while (compactNext_ >= 0) {
        compactNext_ = CompactBlocks(compactNext_, 16);
        if (compactNext_ >= 0 && slice.elapsed() >= sliceMs_)
            return false;
    }
    return BackgroundDone();
}

void TextDocument::SetBackgroundTuning(int sliceMs, int chunkChars)
{
    sliceMs_ = std::max(0, sliceMs);
    chunkChars_ = std::max(16, chunkChars);
}

} // namespace textcontrol
