#include "textcontrol/textstorage.h"

#include "textcontrol/casefold.h"

#include "platform/error.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

namespace textcontrol {

namespace {
constexpr int kBlockBytes = 64 * 1024;
constexpr int kMaxParagraph = 2147483547;
int bulkEditChars = kBlockBytes;

bool NeedsWide(QStringView s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return true;
    return false;
}
} // namespace

QString ParaText::Mid(int from, int to) const
{
    if (to <= from)
        return QString();
    if (narrow)
        return QString::fromLatin1(reinterpret_cast<const char *>(narrow + from), to - from);
    return QString(reinterpret_cast<const QChar *>(wide + from), to - from);
}

// ---- memory of loaded text -------------------------------------------------------------------------
//
// A big load writes its text into a few large mappings (slabs), made ahead 2 MB at a time and in huge
// pages while the system has them free: the first touch of fresh memory, page by page, costs more than
// decoding the text. Each block's arrays are exact pieces
// (chunks) of a slab, each with a small head naming its slab; a slab goes back to the system when its
// last chunk is freed. Arrays that grow later move to the heap like any other.

namespace {

constexpr size_t kPage = 4096, kHuge = size_t(2) << 20, kSlabMost = size_t(32) << 20;
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;
#endif

struct Slab {
    std::atomic<int> refs{1};
    char *base = nullptr;
    size_t size = 0;
};

struct alignas(16) ChunkHead {
    Slab *slab;
    size_t bytes;
};
static_assert(sizeof(ChunkHead) == 16);

size_t RoundUp(size_t v, size_t to) { return (v + to - 1) / to * to; }

// While a whole text is freed its slabs go at once: freed chunks need not give their pages back one by one.
thread_local int tearingDown = 0;
struct TearDown {
    TearDown() { ++tearingDown; }
    ~TearDown() { --tearingDown; }
};

void Unmap(Slab *s)
{
    ASAN_UNPOISON_MEMORY_REGION(s->base, s->size);
    ::munmap(s->base, s->size);
    delete s;
}

void *HeapChunk(size_t bytes)
{
    auto *h = static_cast<ChunkHead *>(std::malloc(sizeof(ChunkHead) + std::max<size_t>(bytes, 1)));
    if (!h)
        throw std::bad_alloc();
    h->slab = nullptr;
    h->bytes = bytes;
    return h + 1;
}

void FreeChunk(void *p) noexcept
{
    if (!p)
        return;
    auto *h = static_cast<ChunkHead *>(p) - 1;
    ASAN_UNPOISON_MEMORY_REGION(h, sizeof(ChunkHead));
    Slab *s = h->slab;
    if (!s) {
        std::free(h);
        return;
    }
    const size_t bytes = h->bytes;
    if (s->refs.fetch_sub(1) == 1) {
        Unmap(s);
        return;
    }
    // The slab lives on: the chunk's whole pages go back (an edit moved the array to the heap).
    char *const a = reinterpret_cast<char *>(RoundUp(reinterpret_cast<uintptr_t>(h), kPage));
    char *const e = reinterpret_cast<char *>((reinterpret_cast<uintptr_t>(p) + bytes) / kPage * kPage);
    if (!tearingDown && e > a)
        ::madvise(a, size_t(e - a), MADV_DONTNEED);
    ASAN_POISON_MEMORY_REGION(h, sizeof(ChunkHead) + bytes);
}

// How many 2 MB pieces of memory the system has free. Huge pages help only when they are free: making
// them by moving other pages away costs as much as the faults they would save.
size_t FreeHugePages()
{
    FILE *f = std::fopen("/proc/buddyinfo", "re");
    if (!f)
        return 0;
    size_t free = 0;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        // "Node 0, zone   Normal  n0 n1 ... n10": free runs of 2^k pages; 2 MB is 2^9 pages. The low
        // zones keep what they have for allocations that need them.
        const char *p = std::strstr(line, "zone");
        if (!p)
            continue;
        p += 4;
        while (*p == ' ')
            ++p;
        if (std::strncmp(p, "Normal ", 7) != 0 && std::strncmp(p, "Movable ", 8) != 0)
            continue;
        while (*p && *p != ' ')
            ++p;
        char *next = nullptr;
        for (int k = 0;; ++k) {
            const unsigned long long n = std::strtoull(p, &next, 10);
            if (next == p)
                break;
            if (k >= 9 && k < 20)
                free += size_t(n) << (k - 9);
            p = next;
        }
    }
    std::fclose(f);
    return free;
}

// Where a builder writes: the next chunk of one array kind is written at top, past room for its head.
struct Lane {
    Slab *slab = nullptr;
    char *top = nullptr, *end = nullptr, *populated = nullptr;
    size_t most = kSlabMost;

    // Pages up to `upTo` are made at once, 2 MB at a time: one call instead of a fault per page.
    void Populate(const char *upTo)
    {
        if (!slab || upTo <= populated)
            return;
        char *const to = std::min(end, reinterpret_cast<char *>(RoundUp(reinterpret_cast<uintptr_t>(upTo), kHuge)));
        if (to > populated && ::madvise(populated, size_t(to - populated), kPopulateWrite) != 0)
            populated = end; // not offered here: pages come by faults as before
        else
            populated = to;
    }

    ~Lane() { Retire(); }
    bool Fits(size_t bytes) const { return slab && size_t(end - top) >= sizeof(ChunkHead) + bytes; }
    // Room for bytes at Data(); a fresh slab of about `expect` bytes when this one is short.
    char *Room(size_t bytes, size_t expect)
    {
        if (!Fits(bytes)) {
            Retire();
            Open(std::max(sizeof(ChunkHead) + bytes + 64, std::min(expect, most)));
        }
        ASAN_UNPOISON_MEMORY_REGION(Data(), bytes);
        return Data();
    }
    char *Data() const { return top + sizeof(ChunkHead); }
    // The first bytes at Data() become a chunk.
    void *Take(size_t bytes)
    {
        auto *h = reinterpret_cast<ChunkHead *>(top);
        ASAN_UNPOISON_MEMORY_REGION(h, sizeof(ChunkHead));
        h->slab = slab;
        h->bytes = bytes;
        slab->refs.fetch_add(1);
        top += RoundUp(sizeof(ChunkHead) + bytes, 16);
        ASAN_POISON_MEMORY_REGION(h, sizeof(ChunkHead));
        ASAN_POISON_MEMORY_REGION(top, size_t(end - top));
        return h + 1;
    }
    void Open(size_t want)
    {
        size_t size = want >= kHuge / 2 ? RoundUp(want, kHuge) : RoundUp(want, kPage);
        const bool huge = size >= kHuge;
        // Huge pages need 2 MB alignment: map more, then cut the ends off.
        const size_t mapped = huge ? size + kHuge : size;
        void *m = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED)
            throw std::bad_alloc();
        char *base = static_cast<char *>(m);
        if (huge) {
            char *const aligned = reinterpret_cast<char *>(RoundUp(reinterpret_cast<uintptr_t>(base), kHuge));
            if (aligned > base)
                ::munmap(base, size_t(aligned - base));
            if (base + mapped > aligned + size)
                ::munmap(aligned + size, size_t(base + mapped - (aligned + size)));
            base = aligned;
#ifdef MADV_HUGEPAGE
            if (FreeHugePages() >= size / kHuge)
                ::madvise(base, size, MADV_HUGEPAGE);
#endif
        }
        slab = new Slab;
        slab->base = base;
        slab->size = size;
        top = populated = base;
        end = base + size;
        ASAN_POISON_MEMORY_REGION(base, size);
    }
    // Done with the slab: its unused pages go back, and with them the slab when it holds no chunk.
    void Retire()
    {
        if (!slab)
            return;
        char *const cut = reinterpret_cast<char *>(RoundUp(reinterpret_cast<uintptr_t>(top), kPage));
        if (cut < end && slab->refs.load() > 1) {
            ASAN_UNPOISON_MEMORY_REGION(cut, size_t(end - cut));
            ::munmap(cut, size_t(end - cut));
            slab->size = size_t(cut - slab->base);
        }
        if (slab->refs.fetch_sub(1) == 1)
            Unmap(slab);
        slab = nullptr;
        top = end = populated = nullptr;
    }
};

// The arrays of a block: chunks of a slab or of the heap. A fresh array can take over bytes already
// written (adopted), and growing one leaves the new elements as they are (every caller writes them).
template <class T> struct BlockAlloc {
    using value_type = T;
    using is_always_equal = std::true_type;
    using propagate_on_container_move_assignment = std::true_type;
    T *adopt = nullptr;
    size_t adoptN = 0;

    BlockAlloc() = default;
    BlockAlloc(T *p, size_t n) : adopt(p), adoptN(n) {}
    template <class U> BlockAlloc(const BlockAlloc<U> &) noexcept {}
    T *allocate(size_t n)
    {
        if (adopt && n == adoptN) {
            T *p = adopt;
            adopt = nullptr;
            return p;
        }
        return static_cast<T *>(HeapChunk(n * sizeof(T)));
    }
    void deallocate(T *p, size_t) noexcept { FreeChunk(p); }
    template <class U> void construct(U *p) noexcept { ::new (static_cast<void *>(p)) U; }
    template <class U, class... A> void construct(U *p, A &&...a) { ::new (static_cast<void *>(p)) U(std::forward<A>(a)...); }
    BlockAlloc select_on_container_copy_construction() const { return {}; }
    friend bool operator==(const BlockAlloc &, const BlockAlloc &) { return true; }
    friend bool operator!=(const BlockAlloc &, const BlockAlloc &) { return false; }
};
template <class T> using Arr = std::vector<T, BlockAlloc<T>>;

// An array of n elements over a chunk whose bytes are already written.
template <class T> void Adopt(Arr<T> &v, void *chunk, size_t n)
{
    v = Arr<T>(BlockAlloc<T>(static_cast<T *>(chunk), n));
    v.resize(n);
}

} // namespace

// A paragraph keeps one byte per character while its characters allow, else two: the narrow ones in
// text, the wide ones in wtext. nstart counts the narrow characters before each paragraph (empty while
// every paragraph of the block is narrow), so a wide paragraph starts at start - nstart in wtext.
struct TextStorage::Block {
    Arr<uchar> text;
    Arr<char16_t> wtext;
    Arr<quint32> nstart;
    Arr<quint32> start{0};
    Arr<quint32> transStart{0};
    // Highlighting runs paragraph by paragraph: the shift of the later transStart entries is kept
    // here (entries from pendIdx on lack pendDelta) instead of rewriting them every time.
    size_t pendIdx = SIZE_MAX;
    std::ptrdiff_t pendDelta = 0;
    size_t TS(size_t i) const { return size_t(std::ptrdiff_t(transStart[i]) + (i >= pendIdx ? pendDelta : 0)); }
    void Flush()
    {
        for (size_t i = pendIdx; i < transStart.size(); ++i)
            transStart[i] = quint32(std::ptrdiff_t(transStart[i]) + pendDelta);
        pendIdx = SIZE_MAX;
        pendDelta = 0;
    }
    // Entries after `local` move by delta.
    void ShiftAfter(size_t local, std::ptrdiff_t delta)
    {
        const size_t from = local + 1;
        if (pendIdx == SIZE_MAX) {
            pendIdx = from;
            pendDelta = delta;
            return;
        }
        if (from >= pendIdx) {
            for (size_t i = pendIdx; i < from && i < transStart.size(); ++i)
                transStart[i] = quint32(std::ptrdiff_t(transStart[i]) + pendDelta);
            pendIdx = from;
            pendDelta += delta;
        } else {
            for (size_t i = from; i < pendIdx && i < transStart.size(); ++i)
                transStart[i] = quint32(std::ptrdiff_t(transStart[i]) + delta);
            pendDelta += delta;
        }
    }
    std::vector<Transition> trans;
    Arr<StateId> state;
    Arr<quint8> style, flags;

    int Count() const { return int(state.size()); }
    int Chars() const { return int(start.back()); }
    int Span() const { return Chars() + 2 * Count(); }
    size_t N(size_t l) const { return nstart.empty() ? start[l] : nstart[l]; }
    size_t Wd(size_t l) const { return nstart.empty() ? 0 : start[l] - nstart[l]; }
    bool WideP(size_t l) const { return !nstart.empty() && nstart[l + 1] == nstart[l] && start[l + 1] > start[l]; }
    void NeedIndex()
    {
        if (nstart.empty())
            nstart = start;
    }
    // Without wide paragraphs the narrow count is the count.
    void DropIndexIfNarrow()
    {
        if (wtext.empty() && !nstart.empty()) {
            nstart.clear();
            nstart.shrink_to_fit();
        }
    }
    size_t Bytes() const { return text.size() + 2 * wtext.size(); }
    void Shrink()
    {
        auto fit = [](auto &v) {
            if (v.capacity() > v.size() + v.size() / 8 + 16)
                v.shrink_to_fit();
        };
        fit(text);
        fit(wtext);
        fit(nstart);
        fit(start);
        fit(transStart);
        fit(trans);
        fit(state);
        fit(style);
        fit(flags);
    }
};

std::unique_ptr<TextStorage::Block> TextStorage::EmptyParagraphBlock()
{
    auto b = std::make_unique<Block>();
    b->start.push_back(0);
    b->transStart.push_back(0);
    b->state.push_back(0);
    b->style.push_back(0);
    b->flags.push_back(pfContexts | pfKeywords);
    return b;
}

TextStorage::TextStorage() { Reset(); }
TextStorage::~TextStorage()
{
    TearDown t;
    blocks_.clear();
}

void TextStorage::Reset()
{
    {
        TearDown t;
        blocks_.clear();
    }
    blocks_.push_back(EmptyParagraphBlock());
    Reindex(0);
}

// ---- building --------------------------------------------------------------------------------------

// The block being built keeps its characters at the tops of the narrow and wide lanes and its paragraph
// ends here; when it is full its arrays become chunks, the index arrays copied into the index lane.
struct TextStorage::Builder::Impl {
    std::vector<std::unique_ptr<Block>> blocks;
    Lane narrow, wide, index;
    size_t expect; // characters still to come, as far as the caller knows
    size_t nUsed = 0, wUsed = 0;
    std::vector<quint32> starts{0}, nstarts{0};
    std::vector<quint8> styles;

    explicit Impl(size_t expected) : expect(expected)
    {
        index.most = kSlabMost / 4;
    }
    ~Impl()
    {
        TearDown t;
        blocks.clear();
    }

    Room Reserve(size_t n)
    {
        const size_t nb = nUsed + n + 16, wb = 2 * (wUsed + n + 16);
        if (!styles.empty() && (nUsed + 2 * wUsed + n > size_t(kBlockBytes) || !narrow.Fits(nb) || !wide.Fits(wb)))
            Close();
        const size_t left = std::max(expect, size_t(256) << 10) + n;
        auto *np = reinterpret_cast<uchar *>(narrow.Room(nUsed + n + 16, left)) + nUsed;
        auto *wp = reinterpret_cast<char16_t *>(wide.Room(2 * (wUsed + n + 16), 2 * left)) + wUsed;
        narrow.Populate(reinterpret_cast<char *>(np + n + 16));
        return {np, wp};
    }
    void Commit(size_t k, bool isWide, quint8 style)
    {
        isWide = isWide && k > 0; // an empty paragraph is narrow
        (isWide ? wUsed : nUsed) += k;
        if (isWide) // the wide room is made once it is written in, not for every paragraph that might be
            wide.Populate(wide.Data() + 2 * wUsed + 1);
        nstarts.push_back(nstarts.back() + quint32(isWide ? 0 : k));
        starts.push_back(starts.back() + quint32(k));
        styles.push_back(style);
        expect -= std::min(expect, k + 1);
    }
    // One index array of n elements copied into the index lane (zeros without a source).
    template <class T> void Index(Arr<T> &v, const T *from, size_t n)
    {
        const size_t bytes = n * sizeof(T);
        char *d = index.Room(bytes, 0);
        if (from)
            std::memcpy(d, from, bytes);
        else
            std::memset(d, 0, bytes);
        Adopt(v, index.Take(bytes), n);
    }
    void Close()
    {
        auto b = std::make_unique<Block>();
        const size_t k = styles.size();
        if (nUsed)
            Adopt(b->text, narrow.Take(nUsed), nUsed);
        if (wUsed)
            Adopt(b->wtext, wide.Take(2 * wUsed), wUsed);
        // All of a block's index arrays in one slab.
        const size_t all = 4 * (RoundUp(16 + 4 * (k + 1), 16) + RoundUp(16 + k, 16)) + 2 * RoundUp(16 + 4 * k, 16);
        index.Populate(index.Room(all, std::max(expect / 2, size_t(256) << 10) + all) + all);
        Index<quint32>(b->start, starts.data(), k + 1);
        Index<quint32>(b->transStart, nullptr, k + 1);
        if (wUsed)
            Index<quint32>(b->nstart, nstarts.data(), k + 1);
        Index<StateId>(b->state, nullptr, k);
        Index<quint8>(b->style, styles.data(), k);
        Index<quint8>(b->flags, nullptr, k);
        blocks.push_back(std::move(b));
        nUsed = wUsed = 0;
        starts.resize(1);
        nstarts.resize(1);
        styles.clear();
    }
};

TextStorage::Builder::Builder(TextStorage &owner, qsizetype expected)
    : owner_(owner), d_(std::make_unique<Impl>(size_t(std::max<qsizetype>(expected, 0))))
{
}
TextStorage::Builder::~Builder() = default;

TextStorage::Builder::Room TextStorage::Builder::Reserve(qsizetype n) { return d_->Reserve(size_t(n)); }

void TextStorage::Builder::Commit(qsizetype k, bool wide, quint8 style) { d_->Commit(size_t(k), wide, style); }

void TextStorage::Builder::AddNarrow(const uchar *chars, qsizetype n, quint8 style)
{
    const Room r = Reserve(n);
    if (n > 0)
        std::memcpy(r.narrow, chars, size_t(n));
    Commit(n, false, style);
}

void TextStorage::Builder::AddWide(const char16_t *chars, qsizetype n, quint8 style)
{
    const Room r = Reserve(n);
    if (n > 0)
        std::memcpy(r.wide, chars, size_t(n) * 2);
    Commit(n, true, style);
}

void TextStorage::Builder::Finish()
{
    if (!d_->styles.empty())
        d_->Close();
    d_->narrow.Retire();
    d_->wide.Retire();
    d_->index.Retire();
    if (d_->blocks.empty()) {
        owner_.Reset();
        return;
    }
    {
        TearDown t;
        owner_.blocks_ = std::move(d_->blocks);
    }
    owner_.hint_ = 0;
    owner_.Reindex(0);
}

// ---- lookup ----------------------------------------------------------------------------------------

void TextStorage::Reindex(int fromBlock)
{
    const int n = int(blocks_.size());
    paraCount_.resize(size_t(n + 1));
    charCount_.resize(size_t(n + 1));
    if (fromBlock <= 0) {
        fromBlock = 0;
        paraCount_[0] = charCount_[0] = 0;
    }
    for (int b = fromBlock; b < n; ++b) {
        const Block &bl = *blocks_[size_t(b)];
        paraCount_[size_t(b + 1)] = paraCount_[size_t(b)] + bl.Count();
        charCount_[size_t(b + 1)] = charCount_[size_t(b)] + bl.Span();
    }
    if (hint_ >= n)
        hint_ = 0;
}

void TextStorage::ReindexBlock(int b)
{
    // Only block b changed: shift the sums after it (contiguous, no block is visited).
    const Block &bl = *blocks_[size_t(b)];
    const int dp = bl.Count() - (paraCount_[size_t(b + 1)] - paraCount_[size_t(b)]);
    const int dc = bl.Span() - (charCount_[size_t(b + 1)] - charCount_[size_t(b)]);
    for (size_t i = size_t(b + 1); i < paraCount_.size(); ++i) {
        paraCount_[i] += dp;
        charCount_[i] += dc;
    }
}

TextStorage::Loc TextStorage::FindElsewhere(int p) const
{
    if (p < 0 || p >= ParagraphCount())
        throw platform::Error(QStringLiteral("List index out of bounds"));
    int b = hint_;
    if (b + 1 < int(blocks_.size()) && paraCount_[size_t(b + 1)] <= p && p < paraCount_[size_t(b + 2)])
        ++b;
    else
        b = int(std::upper_bound(paraCount_.begin(), paraCount_.end(), p) - paraCount_.begin()) - 1;
    hint_ = b;
    return {b, p - paraCount_[size_t(b)]};
}

ParaText TextStorage::Text(int p) const
{
    const Loc l = Find(p);
    const Block &bl = *blocks_[size_t(l.block)];
    ParaText t;
    const size_t lo = size_t(l.local);
    t.length = int(bl.start[lo + 1] - bl.start[lo]);
    if (bl.WideP(lo))
        t.wide = bl.wtext.data() + bl.Wd(lo);
    else
        t.narrow = bl.text.data() + bl.N(lo);
    return t;
}

int TextStorage::Length(int p) const
{
    const Loc l = Find(p);
    const Block &bl = *blocks_[size_t(l.block)];
    return int(bl.start[size_t(l.local + 1)] - bl.start[size_t(l.local)]);
}

TextStorage::Run TextStorage::RunOf(int p) const
{
    const Loc l = Find(p);
    const Block &bl = *blocks_[size_t(l.block)];
    return {paraCount_[size_t(l.block)], paraCount_[size_t(l.block + 1)] - paraCount_[size_t(l.block)], charCount_[size_t(l.block)],
            bl.start.data()};
}

int TextStorage::Start(int p) const
{
    const Loc l = Find(p);
    return charCount_[size_t(l.block)] + int(blocks_[size_t(l.block)]->start[size_t(l.local)]) + 2 * l.local;
}

quint8 TextStorage::Style(int p) const
{
    const Loc l = Find(p);
    return blocks_[size_t(l.block)]->style[size_t(l.local)];
}

StateId TextStorage::State(int p) const
{
    const Loc l = Find(p);
    return blocks_[size_t(l.block)]->state[size_t(l.local)];
}

void TextStorage::SetState(int p, StateId s)
{
    const Loc l = Find(p);
    blocks_[size_t(l.block)]->state[size_t(l.local)] = s;
}

quint8 TextStorage::Flags(int p) const
{
    const Loc l = Find(p);
    return blocks_[size_t(l.block)]->flags[size_t(l.local)];
}

void TextStorage::SetFlags(int p, quint8 f)
{
    const Loc l = Find(p);
    blocks_[size_t(l.block)]->flags[size_t(l.local)] = f;
}

void TextStorage::ChangeFlags(int p, quint8 set, quint8 clear)
{
    const Loc l = Find(p);
    quint8 &f = blocks_[size_t(l.block)]->flags[size_t(l.local)];
    f = quint8((f | set) & ~clear);
}

ParaInfo TextStorage::Info(int p) const
{
    const Loc l = Find(p);
    const Block &bl = *blocks_[size_t(l.block)];
    const size_t lo = size_t(l.local);
    ParaInfo in;
    in.text.length = int(bl.start[lo + 1] - bl.start[lo]);
    if (bl.WideP(lo))
        in.text.wide = bl.wtext.data() + bl.Wd(lo);
    else
        in.text.narrow = bl.text.data() + bl.N(lo);
    in.state = bl.state[lo];
    in.flags = bl.flags[lo];
    const size_t a = bl.TS(lo), e = bl.TS(lo + 1);
    in.trans = {bl.trans.data() + a, e - a};
    return in;
}

void TextStorage::ClearFlagsAll(quint8 f)
{
    for (auto &b : blocks_)
        for (quint8 &x : b->flags)
            x &= quint8(~f);
}

int TextStorage::ParagraphAt(int offset) const
{
    offset = std::clamp(offset, 0, CharCount());
    int b = int(std::upper_bound(charCount_.begin(), charCount_.end(), offset) - charCount_.begin()) - 1;
    b = std::clamp(b, 0, int(blocks_.size()) - 1);
    const Block &bl = *blocks_[size_t(b)];
    const int o = offset - charCount_[size_t(b)];
    int lo = 0, hi = bl.Count() - 1; // largest l with start[l] + 2l <= o
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (int(bl.start[size_t(mid)]) + 2 * mid <= o)
            lo = mid;
        else
            hi = mid - 1;
    }
    return paraCount_[size_t(b)] + lo;
}

// ---- side structures -------------------------------------------------------------------------------

std::span<const Transition> TextStorage::Transitions(int p) const
{
    const Loc l = Find(p);
    const Block &bl = *blocks_[size_t(l.block)];
    const size_t a = bl.TS(size_t(l.local)), e = bl.TS(size_t(l.local + 1));
    return {bl.trans.data() + a, e - a};
}

void TextStorage::SetTransitionsFrom(int p, int from, const std::vector<Transition> &tail, bool compact)
{
    SpliceTransitions(p, from, std::numeric_limits<int>::max(), tail, compact);
}

void TextStorage::SpliceTransitions(int p, int from, int to, const std::vector<Transition> &tail, bool compact)
{
    const Loc l = Find(p);
    Block &bl = *blocks_[size_t(l.block)];
    // A block highlighted from its first paragraph on gets room for about what the last one needed.
    if (compact && l.local == 0 && bl.trans.empty() && transPerKChar_ > 0)
        bl.trans.reserve(size_t(qint64(bl.Chars()) * transPerKChar_ / 1000) + 16);
    const size_t a = bl.TS(size_t(l.local));
    size_t e = bl.TS(size_t(l.local + 1));
    auto cmp = [](const Transition &x, quint32 v) { return x.pos < v; };
    size_t k = size_t(std::lower_bound(bl.trans.begin() + std::ptrdiff_t(a), bl.trans.begin() + std::ptrdiff_t(e), quint32(from), cmp) - bl.trans.begin());
    if (to != std::numeric_limits<int>::max())
        e = size_t(std::lower_bound(bl.trans.begin() + std::ptrdiff_t(k), bl.trans.begin() + std::ptrdiff_t(e), quint32(to), cmp) - bl.trans.begin());
    const size_t removed = e - k;
    const std::ptrdiff_t delta = std::ptrdiff_t(tail.size()) - std::ptrdiff_t(removed);
    if (delta == 0) {
        std::copy(tail.begin(), tail.end(), bl.trans.begin() + std::ptrdiff_t(k));
    } else {
        if (removed == 0 && k == bl.trans.size()) {
            bl.trans.insert(bl.trans.end(), tail.begin(), tail.end());
        } else {
            bl.trans.erase(bl.trans.begin() + std::ptrdiff_t(k), bl.trans.begin() + std::ptrdiff_t(e));
            bl.trans.insert(bl.trans.begin() + std::ptrdiff_t(k), tail.begin(), tail.end());
        }
        bl.ShiftAfter(size_t(l.local), delta);
    }
    if (compact && l.local == bl.Count() - 1) {
        if (bl.Chars() > 0)
            transPerKChar_ = int(qint64(bl.trans.size()) * 1000 / bl.Chars()) + 1;
        if (bl.trans.capacity() > bl.trans.size() + bl.trans.size() / 8 + 16)
            bl.trans.shrink_to_fit();
    }
}

void TextStorage::SetTransitions(int p, const std::vector<Transition> &all) { SetTransitionsFrom(p, 0, all); }

StateId TextStorage::StateAt(int p, int i) const
{
    const auto t = Transitions(p);
    auto it = std::upper_bound(t.begin(), t.end(), quint32(i), [](quint32 v, const Transition &x) { return v < x.pos; });
    if (it == t.begin())
        return State(p);
    return (it - 1)->state;
}

// ---- editing ---------------------------------------------------------------------------------------

void TextStorage::MakeParaWide(Block &bl, int local)
{
    const size_t l = size_t(local);
    if (bl.WideP(l) || bl.start[l + 1] == bl.start[l])
        return;
    bl.NeedIndex();
    const size_t a = bl.nstart[l], n = bl.start[l + 1] - bl.start[l], w = bl.Wd(l);
    bl.wtext.insert(bl.wtext.begin() + std::ptrdiff_t(w), bl.text.begin() + std::ptrdiff_t(a), bl.text.begin() + std::ptrdiff_t(a + n));
    bl.text.erase(bl.text.begin() + std::ptrdiff_t(a), bl.text.begin() + std::ptrdiff_t(a + n));
    for (size_t i = l + 1; i < bl.nstart.size(); ++i)
        bl.nstart[i] -= quint32(n);
}

void TextStorage::EraseParas(Block &bl, int lo, int hi)
{
    if (hi <= lo)
        return;
    bl.Flush();
    const quint32 chars = bl.start[size_t(hi)] - bl.start[size_t(lo)];
    const size_t n0 = bl.N(size_t(lo)), n1 = bl.N(size_t(hi)), w0 = bl.Wd(size_t(lo)), w1 = bl.Wd(size_t(hi));
    bl.text.erase(bl.text.begin() + std::ptrdiff_t(n0), bl.text.begin() + std::ptrdiff_t(n1));
    bl.wtext.erase(bl.wtext.begin() + std::ptrdiff_t(w0), bl.wtext.begin() + std::ptrdiff_t(w1));
    auto eraseIndex = [&](Arr<quint32> &idx, quint32 shift) {
        idx.erase(idx.begin() + lo + 1, idx.begin() + hi + 1);
        for (size_t i = size_t(lo + 1); i < idx.size(); ++i)
            idx[i] -= shift;
    };
    const quint32 tr = bl.transStart[size_t(hi)] - bl.transStart[size_t(lo)];
    bl.trans.erase(bl.trans.begin() + std::ptrdiff_t(bl.transStart[size_t(lo)]), bl.trans.begin() + std::ptrdiff_t(bl.transStart[size_t(hi)]));
    eraseIndex(bl.start, chars);
    if (!bl.nstart.empty())
        eraseIndex(bl.nstart, quint32(n1 - n0));
    bl.DropIndexIfNarrow();
    eraseIndex(bl.transStart, tr);
    bl.state.erase(bl.state.begin() + lo, bl.state.begin() + hi);
    bl.style.erase(bl.style.begin() + lo, bl.style.begin() + hi);
    bl.flags.erase(bl.flags.begin() + lo, bl.flags.begin() + hi);
}

void TextStorage::InsertParas(Block &bl, int at, std::vector<NewParagraph> &paras)
{
    bl.Flush();
    std::vector<bool> wideP(paras.size());
    for (size_t k = 0; k < paras.size(); ++k)
        if (NeedsWide(paras[k].text)) {
            wideP[k] = true;
            bl.NeedIndex();
        }
    const bool indexed = !bl.nstart.empty();
    std::vector<uchar> bytes;
    std::vector<char16_t> wchars;
    std::vector<quint32> starts, nstarts, tstarts;
    std::vector<Transition> trans;
    quint32 total = 0, narrowTotal = 0;
    for (size_t k = 0; k < paras.size(); ++k) {
        const NewParagraph &np = paras[k];
        const auto *u = reinterpret_cast<const char16_t *>(np.text.utf16());
        if (wideP[k]) {
            wchars.insert(wchars.end(), u, u + np.text.size());
        } else {
            const size_t old = bytes.size();
            bytes.resize(old + size_t(np.text.size()));
            for (qsizetype i = 0; i < np.text.size(); ++i)
                bytes[old + size_t(i)] = uchar(u[i]);
            narrowTotal += quint32(np.text.size());
        }
        total += quint32(np.text.size());
        starts.push_back(bl.start[size_t(at)] + total);
        if (indexed)
            nstarts.push_back(bl.nstart[size_t(at)] + narrowTotal);
        trans.insert(trans.end(), np.trans.begin(), np.trans.end());
        tstarts.push_back(bl.transStart[size_t(at)] + quint32(trans.size()));
    }
    bl.text.insert(bl.text.begin() + std::ptrdiff_t(bl.N(size_t(at))), bytes.begin(), bytes.end());
    bl.wtext.insert(bl.wtext.begin() + std::ptrdiff_t(bl.Wd(size_t(at))), wchars.begin(), wchars.end());
    if (indexed) {
        for (size_t i = size_t(at + 1); i < bl.nstart.size(); ++i)
            bl.nstart[i] += narrowTotal;
        bl.nstart.insert(bl.nstart.begin() + at + 1, nstarts.begin(), nstarts.end());
    }
    for (size_t i = size_t(at + 1); i < bl.start.size(); ++i)
        bl.start[i] += total;
    bl.start.insert(bl.start.begin() + at + 1, starts.begin(), starts.end());
    bl.trans.insert(bl.trans.begin() + std::ptrdiff_t(bl.transStart[size_t(at)]), trans.begin(), trans.end());
    for (size_t i = size_t(at + 1); i < bl.transStart.size(); ++i)
        bl.transStart[i] += quint32(trans.size());
    bl.transStart.insert(bl.transStart.begin() + at + 1, tstarts.begin(), tstarts.end());
    for (size_t k = 0; k < paras.size(); ++k) {
        bl.state.insert(bl.state.begin() + at + std::ptrdiff_t(k), paras[k].state);
        bl.style.insert(bl.style.begin() + at + std::ptrdiff_t(k), paras[k].style);
        bl.flags.insert(bl.flags.begin() + at + std::ptrdiff_t(k), paras[k].flags);
    }
}

void TextStorage::RemoveBlock(int b) { blocks_.erase(blocks_.begin() + b); }

std::unique_ptr<TextStorage::Block> TextStorage::CopyParas(const Block &bl, size_t from, size_t to)
{
    auto nb = std::make_unique<Block>();
    const quint32 c0 = bl.start[from], t0 = bl.transStart[from], t1 = bl.transStart[to];
    const size_t n0 = bl.N(from), n1 = bl.N(to), w0 = bl.Wd(from), w1 = bl.Wd(to);
    nb->text.assign(bl.text.begin() + std::ptrdiff_t(n0), bl.text.begin() + std::ptrdiff_t(n1));
    nb->wtext.assign(bl.wtext.begin() + std::ptrdiff_t(w0), bl.wtext.begin() + std::ptrdiff_t(w1));
    if (!bl.nstart.empty())
        for (size_t i = from; i <= to; ++i)
            nb->nstart.push_back(bl.nstart[i] - quint32(n0));
    nb->start.clear();
    nb->transStart.clear();
    for (size_t i = from; i <= to; ++i) {
        nb->start.push_back(bl.start[i] - c0);
        nb->transStart.push_back(bl.transStart[i] - t0);
    }
    nb->trans.assign(bl.trans.begin() + t0, bl.trans.begin() + t1);
    nb->state.assign(bl.state.begin() + std::ptrdiff_t(from), bl.state.begin() + std::ptrdiff_t(to));
    nb->style.assign(bl.style.begin() + std::ptrdiff_t(from), bl.style.begin() + std::ptrdiff_t(to));
    nb->flags.assign(bl.flags.begin() + std::ptrdiff_t(from), bl.flags.begin() + std::ptrdiff_t(to));
    nb->DropIndexIfNarrow();
    return nb;
}

void TextStorage::CutAt(Block &bl, size_t cut)
{
    bl.Flush();
    const quint32 t0 = bl.transStart[cut];
    bl.text.resize(bl.N(cut));
    bl.wtext.resize(bl.Wd(cut));
    if (!bl.nstart.empty())
        bl.nstart.resize(cut + 1);
    bl.DropIndexIfNarrow();
    bl.start.resize(cut + 1);
    bl.transStart.resize(cut + 1);
    bl.trans.resize(t0);
    bl.state.resize(cut);
    bl.style.resize(cut);
    bl.flags.resize(cut);
    bl.Shrink();
}

void TextStorage::SplitIfLarge(int b)
{
    Block &bl = *blocks_[size_t(b)];
    if (bl.Bytes() <= size_t(2 * kBlockBytes) || bl.Count() < 2)
        return;
    bl.Flush();
    // Every cut is found first and each new block copies its own part, so a block that grew by a big
    // edit is split in one pass instead of copying its tail once per cut.
    std::vector<int> cuts;
    size_t base = 0;
    for (int i = 1; i < bl.Count(); ++i) {
        const size_t at = bl.N(size_t(i)) + 2 * bl.Wd(size_t(i));
        if (at - base >= size_t(kBlockBytes)) {
            cuts.push_back(i);
            base = at;
        }
    }
    if (cuts.empty())
        cuts.push_back(bl.Count() - 1);
    std::vector<std::unique_ptr<Block>> parts;
    for (size_t k = 0; k < cuts.size(); ++k)
        parts.push_back(CopyParas(bl, size_t(cuts[k]), k + 1 < cuts.size() ? size_t(cuts[k + 1]) : size_t(bl.Count())));
    CutAt(bl, size_t(cuts.front()));
    blocks_.insert(blocks_.begin() + b + 1, std::make_move_iterator(parts.begin()), std::make_move_iterator(parts.end()));
    Reindex(b);
}

void TextStorage::SetBulkEditChars(int chars) { bulkEditChars = std::max(chars, 1); }

int TextStorage::Replace(int p0, int i0, int p1, int i1, QStringView text)
{
    const int len1 = Length(p1);
    i0 = std::clamp(i0, 0, Length(p0));
    i1 = std::clamp(i1, 0, len1);
    const bool hasCr = text.contains(QLatin1Char('\r'));
    if (p0 == p1 && !hasCr) {
        const Loc l = Find(p0);
        Block &bl = *blocks_[size_t(l.block)];
        const int L = int(text.size());
        const int delta = L - (i1 - i0);
        if (qint64(len1) + delta > kMaxParagraph)
            return 0;
        const size_t lo = size_t(l.local);
        if (!bl.WideP(lo) && NeedsWide(text)) {
            if (len1 == 0)
                bl.NeedIndex(); // an empty paragraph is narrow: it becomes wide by what comes in
            else
                MakeParaWide(bl, l.local);
        }
        const bool wide = bl.WideP(lo) || (len1 == 0 && NeedsWide(text));
        // One edit in one of the two arrays; the other one does not move.
        auto splice = [&](auto &v, size_t base, auto put) {
            const size_t at = base + size_t(i0), tailAt = base + size_t(i1), oldSize = v.size();
            if (delta > 0) {
                v.resize(oldSize + size_t(delta));
                std::memmove(v.data() + tailAt + size_t(delta), v.data() + tailAt, (oldSize - tailAt) * sizeof(v[0]));
            } else if (delta < 0) {
                std::memmove(v.data() + tailAt - size_t(-delta), v.data() + tailAt, (oldSize - tailAt) * sizeof(v[0]));
                v.resize(oldSize - size_t(-delta));
            }
            put(v.data() + at);
        };
        if (wide) {
            splice(bl.wtext, bl.Wd(lo), [&](char16_t *d) {
                if (L > 0)
                    std::memcpy(d, text.utf16(), size_t(L) * 2);
            });
        } else {
            splice(bl.text, bl.N(lo), [&](uchar *d) {
                for (int i = 0; i < L; ++i)
                    d[i] = uchar(text[i].unicode());
            });
            if (!bl.nstart.empty())
                for (size_t i = lo + 1; i < bl.nstart.size(); ++i)
                    bl.nstart[i] = quint32(int(bl.nstart[i]) + delta);
        }
        for (size_t i = lo + 1; i < bl.start.size(); ++i)
            bl.start[i] = quint32(int(bl.start[i]) + delta);
        bl.DropIndexIfNarrow();

        // Transitions: those in the removed range go, the last one's state stays for the tail. Only
        // the part from the edit on is looked at, so a key costs what follows it, not the paragraph.
        {
            const auto cur = Transitions(p0);
            auto first = [&](int v) {
                return size_t(std::lower_bound(cur.begin(), cur.end(), quint32(v), [](const Transition &x, quint32 w) { return x.pos < w; }) -
                              cur.begin());
            };
            const size_t k0 = first(i0), k1 = first(i1);
            const StateId before = k0 > 0 ? cur[k0 - 1].state : bl.state[size_t(l.local)];
            const bool removed = k1 > k0, atI1 = k1 < cur.size() && cur[k1].pos == quint32(i1);
            std::vector<Transition> tail;
            tail.reserve(cur.size() - k1 + 1);
            if (removed && !atI1 && cur[k1 - 1].state != before)
                tail.push_back({quint32(i0 + L), cur[k1 - 1].state});
            for (size_t k = k1; k < cur.size(); ++k)
                tail.push_back({quint32(int(cur[k].pos) + delta), cur[k].state});
            SetTransitionsFrom(p0, i0, tail);
        }
        ReindexBlock(l.block);
        SplitIfLarge(l.block);
        return 1;
    }

    // General case: the first and last new paragraphs take the head and the tail of the old ones; those
    // between them are made as paragraphs of their own, or, when they are many, written straight into new
    // blocks as a load writes them (no string per paragraph, no block grown and split again).
    const qsizetype firstCr = text.indexOf(QLatin1Char('\r'));
    qsizetype lastStart = 0, middleFrom = 0, middleTo = 0;
    if (firstCr >= 0) {
        const qsizetype lastCr = text.lastIndexOf(QLatin1Char('\r'));
        lastStart = lastCr + (lastCr + 1 < text.size() && text[lastCr + 1] == QLatin1Char('\n') ? 2 : 1);
        middleFrom = firstCr + (firstCr + 1 < text.size() && text[firstCr + 1] == QLatin1Char('\n') ? 2 : 1);
        middleTo = std::max(middleFrom, lastCr + 1); // each middle piece ends with its CR
    }
    const bool many = middleTo > middleFrom && middleTo - middleFrom >= bulkEditChars;
    const ParaText t0 = Text(p0), t1 = Text(p1);
    const QString head = t0.Mid(0, i0), tailText = t1.Mid(i1, len1);
    std::vector<NewParagraph> np(1);
    np[0].text = head + (firstCr >= 0 ? text.left(firstCr) : text).toString();
    np[0].style = Style(p0);
    np[0].state = State(p0);
    for (const Transition &t : Transitions(p0))
        if (t.pos < quint32(i0))
            np[0].trans.push_back(t);
    quint8 st = np[0].style;
    auto toggleThrough = [&st](QStringView s) {
        for (QChar c : s)
            if (c.unicode() <= 21)
                st = ToggleCode(st, c.unicode());
    };
    toggleThrough(np[0].text);
    std::vector<std::unique_ptr<Block>> built;
    // Each middle piece: the text up to its CR (the CR and a LF after it are the paragraph end).
    auto eachMiddle = [&](auto f) {
        for (qsizetype s = middleFrom; s < middleTo;) {
            const qsizetype cr = text.indexOf(QLatin1Char('\r'), s);
            f(text.mid(s, cr - s));
            s = cr + (cr + 1 < text.size() && text[cr + 1] == QLatin1Char('\n') ? 2 : 1);
        }
    };
    if (many) {
        Builder b(*this, middleTo - middleFrom);
        eachMiddle([&](QStringView piece) {
            const qsizetype n = piece.size();
            const char16_t *src = piece.utf16();
            char16_t high = 0, least = 0xFFFF;
            for (qsizetype i = 0; i < n; ++i) {
                high |= src[i];
                least = std::min(least, src[i]);
            }
            const Builder::Room r = b.Reserve(n);
            const bool wide = (high & 0xFF00) != 0;
            if (wide)
                std::memcpy(r.wide, src, size_t(n) * 2);
            else
                for (qsizetype i = 0; i < n; ++i)
                    r.narrow[i] = uchar(src[i]);
            b.Commit(n, wide, st);
            if (least <= 21)
                toggleThrough(piece);
        });
        if (!b.d_->styles.empty())
            b.d_->Close();
        built = std::move(b.d_->blocks);
    } else {
        eachMiddle([&](QStringView piece) {
            np.emplace_back();
            np.back().text = piece.toString();
            np.back().style = st;
            toggleThrough(piece);
        });
    }
    if (firstCr >= 0) {
        np.emplace_back();
        np.back().text = text.mid(lastStart).toString();
        np.back().style = st;
    }
    NewParagraph &last = np.back();
    const int shift = int(last.text.size()) - i1;
    const StateId tailState = StateAt(p1, i1);
    bool atI1 = false;
    std::vector<Transition> tailTrans;
    for (const Transition &t : Transitions(p1))
        if (t.pos >= quint32(i1)) {
            atI1 |= t.pos == quint32(i1);
            tailTrans.push_back({quint32(int(t.pos) + shift), t.state});
        }
    if (!atI1 && !tailText.isEmpty())
        last.trans.push_back({quint32(last.text.size()), tailState});
    last.trans.insert(last.trans.end(), tailTrans.begin(), tailTrans.end());
    last.text += tailText;
    for (const auto &p : np)
        if (p.text.size() > kMaxParagraph)
            return 0;

    const Loc a = Find(p0), b = Find(p1);
    int count = int(np.size());
    if (!built.empty()) {
        // Block a keeps what comes before p0 and takes the first new paragraph; the built blocks follow,
        // then a block of the last new paragraph and what came after p1.
        Block &ba = *blocks_[size_t(a.block)];
        Block &bb = *blocks_[size_t(b.block)];
        bb.Flush();
        std::unique_ptr<Block> after = CopyParas(bb, size_t(b.local + 1), size_t(bb.Count()));
        std::vector<NewParagraph> lastOne(1);
        lastOne[0] = std::move(np.back());
        np.pop_back();
        blocks_.erase(blocks_.begin() + a.block + 1, blocks_.begin() + std::max(a.block + 1, b.block + 1));
        CutAt(ba, size_t(a.local));
        InsertParas(ba, a.local, np);
        InsertParas(*after, 0, lastOne);
        for (const auto &bl : built)
            count += bl->Count();
        built.push_back(std::move(after));
        blocks_.insert(blocks_.begin() + a.block + 1, std::make_move_iterator(built.begin()), std::make_move_iterator(built.end()));
        Reindex(a.block);
        SplitIfLarge(a.block + int(built.size()));
    } else if (a.block == b.block) {
        EraseParas(*blocks_[size_t(a.block)], a.local, b.local + 1);
        InsertParas(*blocks_[size_t(a.block)], a.local, np);
        Reindex(a.block);
    } else {
        Block &ba = *blocks_[size_t(a.block)];
        EraseParas(ba, a.local, ba.Count());
        EraseParas(*blocks_[size_t(b.block)], 0, b.local + 1);
        InsertParas(ba, a.local, np);
        blocks_.erase(blocks_.begin() + a.block + 1, blocks_.begin() + b.block);
        if (blocks_[size_t(a.block + 1)]->Count() == 0)
            RemoveBlock(a.block + 1);
        Reindex(a.block);
    }
    SplitIfLarge(a.block);
    return count;
}

int TextStorage::NextParagraphWith(int p, int col, const FirstChar &f, bool caseSensitive) const
{
    const int count = ParagraphCount();
    while (p < count) {
        const Loc l = Find(p);
        const Block &bl = *blocks_[size_t(l.block)];
        size_t lo = size_t(l.local);
        if (bl.WideP(lo))
            return p;
        // The one-byte paragraphs up to the next wide one lie back to back in text.
        size_t e = lo + 1;
        if (!bl.nstart.empty())
            while (e < size_t(bl.Count()) && !bl.WideP(e))
                ++e;
        else
            e = size_t(bl.Count());
        const int from = int(bl.N(lo)) + col, end = int(bl.N(e));
        const int hit = NextCandidate(bl.text.data(), bl.text.size(), from, end, f, caseSensitive);
        if (hit < end) {
            // The paragraph holding the byte: the last one of lo..e-1 starting at or before it.
            size_t a = lo, b = e - 1;
            while (a < b) {
                const size_t mid = (a + b + 1) / 2;
                if (bl.N(mid) <= size_t(hit))
                    a = mid;
                else
                    b = mid - 1;
            }
            return paraCount_[size_t(l.block)] + int(a);
        }
        p = paraCount_[size_t(l.block)] + int(e);
        col = 0;
    }
    return count;
}

QString TextStorage::Copy(int from, int to) const
{
    from = std::max(from, 0);
    to = std::min(to, CharCount());
    QString out;
    if (from >= to)
        return out;
    // Written in place, paragraph by paragraph: no string is made per paragraph.
    out.resize(to - from);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    for (int p = ParagraphAt(from); p < ParagraphCount() && from < to; ++p) {
        const int s = Start(p);
        const ParaText t = Text(p);
        const int a = from - s, e = std::min(to - s, t.length);
        if (a < e) {
            if (t.narrow)
                for (int i = a; i < e; ++i)
                    *d++ = t.narrow[i];
            else
                d = std::copy(t.wide + a, t.wide + e, d);
            from = s + e;
        }
        if (from < to && from == s + t.length) {
            *d++ = u'\r';
            ++from;
        }
        if (from < to && from == s + t.length + 1) {
            *d++ = u'\n';
            ++from;
        }
    }
    return out;
}

size_t TextStorage::MemoryUsed() const
{
    size_t m = blocks_.capacity() * sizeof(void *) + (paraCount_.capacity() * 2) * sizeof(int);
    for (const auto &b : blocks_)
        m += sizeof(Block) + 16 + b->text.capacity() + b->wtext.capacity() * 2 + (b->nstart.capacity() + b->start.capacity() + b->transStart.capacity()) * 4 +
             b->trans.capacity() * sizeof(Transition) + b->state.capacity() * 4 +
             b->style.capacity() + b->flags.capacity();
    return m;
}

void TextStorage::CompactTransitions()
{
    for (auto &b : blocks_)
        b->Shrink();
}

int TextStorage::CompactBlocks(int from, int count)
{
    const int n = int(blocks_.size());
    const int to = int(std::min<qint64>(n, qint64(std::max(0, from)) + std::max(0, count)));
    for (int b = std::max(0, from); b < to; ++b)
        blocks_[size_t(b)]->Shrink();
    return to < n ? to : -1;
}

} // namespace textcontrol
