#pragma once
// Text of a document: paragraphs kept in blocks of about 64 KB (one byte per character while the
// paragraph's characters all fit, else two), with per-paragraph highlighting transitions beside the
// characters. Offset -> paragraph is a binary search over blocks. Display lines belong to views (linelayout.h).
#include "textcontrol/contextstate.h"

#include <QString>
#include <QStringView>
#include <cstring>
#include <memory>
#include <span>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace textcontrol {

struct FirstChar;

// The state in force from character pos of a paragraph on.
struct Transition {
    quint32 pos;
    StateId state;
};

// What the highlighting of a paragraph has done: its contexts, its keywords.
enum : quint8 { pfContexts = 2, pfKeywords = 4 };

// Index of the first byte from i on outside 32..127 (n when none); sixteen or eight bytes at a time.
inline qsizetype FirstSpecial(const char *d, qsizetype i, qsizetype n)
{
#ifdef __SSE2__
    // Compared as signed bytes, those from 128 on are negative: one comparison finds both kinds.
    const __m128i space = _mm_set1_epi8(32);
    for (; i + 16 <= n; i += 16) {
        const int m = _mm_movemask_epi8(_mm_cmplt_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i)), space));
        if (m)
            return i + __builtin_ctz(unsigned(m));
    }
#endif
    constexpr quint64 ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    for (; i + 8 <= n; i += 8) {
        quint64 x;
        std::memcpy(&x, d + i, 8);
        if (((x - ones * 32) | x) & highs)
            break;
    }
    while (i < n && uchar(d[i]) >= 32 && uchar(d[i]) < 128)
        ++i;
    return i;
}

// Style codes inside the text toggle style bits for the text after them.
inline bool IsStyleCode(ushort c) { return c == 1 || c == 2 || c == 3 || c == 4 || c == 21; }
inline quint8 ToggleCode(quint8 style, ushort c)
{
    switch (c) {
    case 2: return style ^ 1;
    case 1: return style ^ 2;
    case 21: return style ^ 4;
    case 3: return style ^ 16;
    case 4: return style ^ 32;
    default: return style;
    }
}

// Read access to one paragraph's characters.
struct ParaText {
    const uchar *narrow = nullptr;
    const char16_t *wide = nullptr;
    int length = 0;
    ushort operator[](int i) const { return narrow ? narrow[i] : ushort(wide[i]); }
    QString Mid(int from, int to) const;
    // Whether position i lies between the two halves of a surrogate pair.
    bool SplitsPair(int i) const
    {
        return wide && i > 0 && i < length && QChar::isLowSurrogate(wide[i]) && QChar::isHighSurrogate(wide[i - 1]);
    }
};

// What the highlighting passes read of one paragraph, found with one lookup; valid until the text or
// its transitions change.
struct ParaInfo {
    ParaText text;
    StateId state = 0;
    quint8 flags = 0;
    std::span<const Transition> trans;
};

struct NewParagraph {
    QString text;
    quint8 style = 0;
    StateId state = 0;
    quint8 flags = 0;
    std::vector<Transition> trans;
};

class TextStorage {
public:
    TextStorage();
    ~TextStorage();
    TextStorage(const TextStorage &) = delete;
    TextStorage &operator=(const TextStorage &) = delete;

    // Builds a new text paragraph by paragraph, then replaces the old one with Finish(). expected: about
    // how many characters will come (sizes the memory taken at once; 0 when not known).
    class Builder {
    public:
        explicit Builder(TextStorage &owner, qsizetype expected = 0);
        ~Builder();
        void AddNarrow(const uchar *chars, qsizetype n, quint8 style);
        void AddWide(const char16_t *chars, qsizetype n, quint8 style);
        // Where the next paragraph of at most n characters is written in place, one byte a character
        // (narrow) or two (wide); both have room for n + 16. Commit then says which one holds it.
        struct Room {
            uchar *narrow;
            char16_t *wide;
        };
        Room Reserve(qsizetype n);
        void Commit(qsizetype k, bool wide, quint8 style);
        void Finish();

    private:
        friend class TextStorage;
        TextStorage &owner_;
        struct Impl;
        std::unique_ptr<Impl> d_;
    };

    void Reset(); // one empty paragraph

    int ParagraphCount() const { return paraCount_.back(); }
    int CharCount() const { return charCount_.back() - 2; }

    ParaText Text(int p) const;
    QString ParagraphString(int p) const { const ParaText t = Text(p); return t.Mid(0, t.length); }
    int Length(int p) const;
    int Start(int p) const;
    quint8 Style(int p) const;
    StateId State(int p) const;
    void SetState(int p, StateId s);
    quint8 Flags(int p) const;
    void SetFlags(int p, quint8 f);
    // flags = (flags | set) & ~clear in one lookup.
    void ChangeFlags(int p, quint8 set, quint8 clear);
    ParaInfo Info(int p) const;
    // Clears the given flags of every paragraph.
    void ClearFlagsAll(quint8 f);

    // Paragraph holding an offset (the CR and LF of a paragraph end belong to it).
    int ParagraphAt(int offset) const;
    // The paragraphs stored together with p, for walks over every paragraph: the first of them and how
    // many; paragraph first + k starts at offset base + starts[k] + 2 k and holds starts[k + 1] - starts[k]
    // characters.
    struct Run {
        int first, count, base;
        const quint32 *starts;
    };
    Run RunOf(int p) const;

    std::span<const Transition> Transitions(int p) const;
    // Replaces the transitions with pos >= from by the given ones (positions >= from, ascending).
    // compact: release spare room when p is the last paragraph of its block (sequential passes).
    void SetTransitionsFrom(int p, int from, const std::vector<Transition> &tail, bool compact = false);
    // Replaces the transitions with from <= pos < to.
    void SpliceTransitions(int p, int from, int to, const std::vector<Transition> &repl, bool compact = false);
    void SetTransitions(int p, const std::vector<Transition> &all);
    StateId StateAt(int p, int i) const; // the state in force at character i


    // Replaces characters i0 of p0 up to i1 of p1 by text; CR (and a LF right after it) splits
    // paragraphs. Returns the number of paragraphs the replacement spans.
    int Replace(int p0, int i0, int p1, int i1, QStringView text);
    // An edit whose paragraphs between its first and last hold at least this many characters writes them
    // straight into new blocks (64 K by default; tests and the fuzzer lower it to take that way often).
    static void SetBulkEditChars(int chars);

    // The first paragraph from p on (from character col of p) whose text may hold f at or after that
    // place, found by one scan over the bytes of a block's one-byte paragraphs instead of paragraph by
    // paragraph; paragraphs of two bytes a character are returned as they come. ParagraphCount() when none.
    int NextParagraphWith(int p, int col, const FirstChar &f, bool caseSensitive) const;

    QString Copy(int from, int to) const; // paragraph ends as CR LF
    size_t MemoryUsed() const;
    void CompactTransitions();
    // Gives back the spare room of count blocks from block `from` on; the next block to do, -1 after the last.
    int CompactBlocks(int from, int count);

private:
    struct Block;
    struct Loc {
        int block, local;
    };
    // Most calls ask for the paragraph of the call before: that is found without a call.
    Loc Find(int p) const
    {
        const int b = hint_;
        if (paraCount_[size_t(b)] <= p && p < paraCount_[size_t(b + 1)])
            return {b, p - paraCount_[size_t(b)]};
        return FindElsewhere(p);
    }
    Loc FindElsewhere(int p) const;
    void Reindex(int fromBlock);
    void ReindexBlock(int b);
    void SplitIfLarge(int b);
    void RemoveBlock(int b);
    static void MakeParaWide(Block &bl, int local);
    static void EraseParas(Block &bl, int lo, int hi);
    static void InsertParas(Block &bl, int at, std::vector<NewParagraph> &paras);
    static std::unique_ptr<Block> EmptyParagraphBlock();
    // Paragraphs [from, to) of a block copied into a block of their own; the block cut before `from`.
    static std::unique_ptr<Block> CopyParas(const Block &bl, size_t from, size_t to);
    static void CutAt(Block &bl, size_t cut);

    std::vector<std::unique_ptr<Block>> blocks_;
    std::vector<int> paraCount_, charCount_; // prefix sums, size blocks + 1
    mutable int hint_ = 0;
    int transPerKChar_ = 0; // transitions per 1000 characters in the last block highlighted whole
};

} // namespace textcontrol
